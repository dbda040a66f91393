// Unlocking by typing the password, then locking again, leaves no copy of
// the password in the process's memory: not in the password box, its undo
// or the strings the dialog passed it through; while the journal is open,
// no copy lies where a core dump would hold it. The process's writable
// memory is searched for the password in every encoding text takes.
#include "DatabaseTestSupport.h"
#include "JournalTestSupport.h"
#include "support/SecretMemory.h"

#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYStartup.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using qytest::TSecretText;

std::string Copies(const TSecretText& password, qytest::TMemoryPart part = qytest::mpAll) {
  std::string s;
  for (qytest::TSecretEncoding e : qytest::SecretEncodings)
    s += std::string(qytest::SecretEncodingName(e)) + " " +
         std::to_string(qytest::CountInMemory(password.In(e), part)) + ", ";
  return s;
}

// The password typed key by key into the box, as the user types it: no key
// event holds more than one letter of it.
void TypeInto(QWidget* box, const TSecretText& password) {
  const qytest::TMaskedPattern& p = password.In(qytest::seUtf16);
  for (size_t i = 0; i + 1 < p.Size(); i += 2) {
    const QChar c(static_cast<char16_t>(p.At(i) | p.At(i + 1) << 8));
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &release);
  }
}

TEST(UnlockMemory, TypingThePasswordThenLockingLeavesNoCopyOfIt) {
  const struct {
    const char* Name;
    const qytest::TExtraLetters& Letters;
    bool Mistyped;  // a wrong password first
  } cases[] = {
      {"typed once", qytest::Latin1Letters, false},
      {"Hebrew letters", qytest::HebrewLetters, false},
      {"a wrong one first", qytest::Latin1Letters, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    // Room for the letter too many.
    const TSecretText password(MaxPasswordLength - 1, c.Letters);
    qytest::TDatabaseWorld world;
    SetMainWindowDatabaseFolders(world.Folders);
    TformQuilloryMain* main = nullptr;
    {
      TInteractionScript script;
      script.Answer(IDOK);
      main = Application->CreateForm<TformQuilloryMain>();
    }
    auto dialog = std::make_unique<TPasswordDlg>(nullptr);
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.AutoLockMinimize = ProfileSettings.AutoHideMinimize = false;
    ProfileSettings.BackupReminder = ProfileSettings.PasswordChangeReminder = false;
    RegisterDocumentFormats();
    RegisterJournalHooks();
    Integer id = 0;
    ASSERT_TRUE(InsertJournal("Diary", 0, id));
    JournalsLoaded = true;
    UnloadJournals();
    {
      String clear;
      password.Into(clear);
      RestructureTablePassword("", clear, "QUILLORY");
      WipeString(clear);
    }
    QuillorySession().RemoveAllPasswords();

    // Opened and locked again and again: where the allocator puts the
    // password differs each time, and a page that happens to hold one of
    // the copies left out of dumps would cover it by chance.
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      TInteractionScript script;
      size_t takenUtf16 = 99;
      bool boxKeptIt = true;
      const auto typed = [&](bool wrong) {
        return [&, wrong](TInteraction& r) {
          auto* dlg = static_cast<TPasswordDlg*>(r.Form);
          dlg->FormShow(dlg);
          QWidget* box = WidgetOf(dlg->ePassword);
          // The wrong one has a letter too many; the right one is corrected
          // from that.
          TypeInto(box, password);
          QTest::keyClick(box, Qt::Key_X);
          if (!wrong) QTest::keyClick(box, Qt::Key_Backspace);
          // Where the box holds the typed text: freed at OK, it must not
          // keep the password there.
          const void* held = static_cast<QLineEdit*>(box)->text().constData();
          dlg->OKBtn->Click();
          if (!wrong) boxKeptIt = qytest::HeldAt(held, password.In(qytest::seUtf16));
          // The session holds the password now, as UTF-8 only: the box and
          // what it was read through keep no copy.
          if (!wrong) takenUtf16 = qytest::CountInMemory(password.In(qytest::seUtf16));
          return static_cast<int>(dlg->ModalResult);
        };
      };
      if (c.Mistyped && round == 0) script.Do(typed(true)).Answer(IDOK);
      script.Do(typed(false));
      main->pbOpenQuilloryClick(nullptr);
      EXPECT_EQ(script.Unexpected, 0);
      EXPECT_FALSE(boxKeptIt);
      EXPECT_EQ(takenUtf16, 0u);
      ASSERT_TRUE(JournalsLoaded);
      ASSERT_EQ(ScreenMode, smOpen);
      // What the program remembers of the password while the journal is
      // open lies in memory left out of any core dump (also one allowed for
      // debugging). The entry tree's thread is done with it first.
      qytest::DrainEntryTree();
      EXPECT_EQ(qytest::CountSecretCopies(password, qytest::mpDumped), 0u) << Copies(password, qytest::mpDumped);
      // Ctrl+L.
      main->ActionLock->Execute();
      ASSERT_EQ(ScreenMode, smCover);
      ASSERT_FALSE(JournalsLoaded);
      Application->ProcessMessages();
      EXPECT_EQ(qytest::CountSecretCopies(password), 0u) << Copies(password);
    }

    dialog.reset();
    delete main;
    Application->MainForm = nullptr;
    Application->OnException = nullptr;
    SetMainWindowDatabaseFolders(std::nullopt);
    AppHooks() = {};
    QuillorySession().RemoveAllPasswords();
  }
}

}  // namespace
