// The preferences dialog over a real database and main window: what OK
// writes, what Cancel and Restore Defaults do, intervals it refuses, the
// start-up entry, and the style editor with its reach into the journals.
#include "MainWindowJournalSupport.h"

#include "app/QYAutoSave.h"
#include "app/QYPreferences.h"
#include "app/QYShortcut.h"
#include "actions/FontVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "actions/VLSpinEdit.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/os/Autostart.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"
#include "support/KeySeam.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using qytest::TMainJournalWorld;

struct TPrefsWorld : TMainJournalWorld {
  TPrefsWorld() : Dialog(std::make_unique<TdlgPreferences>(Application)) {}

  // Shows the dialog; edit works on it, then OK (or Cancel) is pressed.
  // Answers queued after it serve the boxes the dialog shows meanwhile.
  TModalResult Run(const std::function<void(TdlgPreferences*)>& edit, bool ok = true,
                   std::vector<int> answers = {}, std::vector<TInteraction>* shown = nullptr) {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      edit(d);
      (ok ? d->OKBtn : d->CancelBtn)->Click();
      return static_cast<int>(d->ModalResult);
    });
    for (int a : answers) script.Answer(a);
    const TModalResult result = Dialog->ShowModal();
    if (shown) *shown = script.Shown;
    EXPECT_EQ(script.Unexpected, 0);
    return result;
  }

  // The settings as the Profile table holds them.
  TProfileSettings Stored() {
    const TProfileSettings kept = ProfileSettings;
    ProfileSettings = TProfileSettings();
    LoadProfile();
    const TProfileSettings stored = ProfileSettings;
    ProfileSettings = kept;
    return stored;
  }

  std::unique_ptr<TdlgPreferences> Dialog;
};

TEST(Preferences, OkWritesEveryPageToTheProfile) {
  TPrefsWorld w;
  const struct {
    const char* What;
    std::function<void(TdlgPreferences*)> Edit;
    std::function<bool(const TProfileSettings&)> Holds;
  } cases[] = {
      {"name", [](auto* d) { d->qy_UserName->SetText("Ada Byron"); }, [](auto& p) { return p.UserName == "Ada Byron"; }},
      {"address", [](auto* d) { d->qy_UserAddress->SetText("1 Lane\nTown"); },
       [](auto& p) { return p.UserAddress.find("Town") != String::npos; }},
      {"display name", [](auto* d) { d->cbDisplayUserName->SetChecked(false); }, [](auto& p) { return !p.DisplayUserName; }},
      {"display address", [](auto* d) { d->cbDisplayAddress->SetChecked(true); }, [](auto& p) { return p.DisplayAddress; }},
      {"replace styles", [](auto* d) { d->rgDefaultStyleOptions->SetItemIndex(1); },
       [](auto& p) { return !p.KeepJournalStyle; }},
      {"auto save", [](auto* d) { d->cbAutoSaveOn->SetChecked(false); d->eAutoSaveInterval->SetText("7"); },
       [](auto& p) { return !p.AutoSaveOn && p.AutoSaveInterval == 7; }},
      {"auto hide", [](auto* d) { d->cbAutoHideOn->SetChecked(true); d->eAutoHideInterval->SetText("12"); },
       [](auto& p) { return p.AutoHideOn && p.AutoHideInterval == 12; }},
      {"minimize", [](auto* d) { d->cbAutoHideMinimize->SetChecked(true); d->cbAutoLockMinimize->SetChecked(true); },
       [](auto& p) { return p.AutoHideMinimize && p.AutoLockMinimize; }},
      {"reminders", [](auto* d) { d->eBackupReminderInterval->SetText("45"); d->cbPasswordChangeReminder->SetChecked(true); },
       [](auto& p) { return p.BackupReminderInterval == 45 && p.PasswordChangeReminder; }},
      {"checks", [](auto* d) { d->cbConfirmDelete->SetChecked(false); d->cbConfirmPrint->SetChecked(false); },
       [](auto& p) { return !p.ConfirmDelete && !p.ConfirmPrint; }},
      {"backup folder", [](auto* d) { d->eBackupRestoreLocation->SetText("/media/stick/journal/"); },
       [](auto& p) { return p.BackupRestoreLocation == "/media/stick/journal"; }},
      {"cover", [](auto* d) { d->eBitmapLocation->SetText("/pictures/cover.bmp"); d->cbBitmapDrawMode->SetItemIndex(d->cbBitmapDrawMode->Items().IndexOf("Stretched")); },
       [](auto& p) { return p.BitmapLocation == "/pictures/cover.bmp" && p.BitmapDrawMode == 3; }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(w.Run(c.Edit), mrOk) << c.What;
    EXPECT_TRUE(c.Holds(ProfileSettings)) << c.What;
    EXPECT_TRUE(c.Holds(w.Stored())) << c.What;
  }
  // The owner's text follows the name at once.
  EXPECT_EQ(w.Main->StatusText(spOwner), "Journal of alice");
  w.Run([](auto* d) { d->cbDisplayUserName->SetChecked(true); });
  EXPECT_EQ(w.Main->StatusText(spOwner), "Journal of Ada Byron");
}

TEST(Preferences, LockMinutesChangedInTheDialogChangeTheCountdown) {
  TPrefsWorld w;
  w.OpenWindow("Diary", 0);
  ProfileSettings.AutoLockOn = true;
  ProfileSettings.AutoLockInterval = 10;
  const TDateTime now = Now();
  LastActivityTime = now;
  EXPECT_NE(AutomaticSaveTimerTimer(now).find("lock:10 m"), String::npos);
  w.Run([](auto* d) { d->eAutoLockInterval->SetText("25"); });
  EXPECT_EQ(ProfileSettings.AutoLockInterval, 25);
  // The status bar shows it at once, not only from the timer's next tick.
  EXPECT_NE(w.Main->StatusText(spCountdown).find("lock:25 m"), String::npos) << w.Main->StatusText(spCountdown);
  EXPECT_NE(AutomaticSaveTimerTimer(now).find("lock:25 m"), String::npos);
}

TEST(Preferences, CancelUndoesWhatTheDialogChangedAtOnce) {
  TPrefsWorld w;
  ProfileSettings.BitmapDrawMode = 2;
  const TProfileSettings stored = w.Stored();
  EXPECT_EQ(w.Run(
                [](TdlgPreferences* d) {
                  d->cbBitmapDrawMode->SetItemIndex(d->cbBitmapDrawMode->Items().IndexOf("Stretched"));
                  d->cbBitmapDrawModeSelect(d);
                  EXPECT_EQ(ProfileSettings.BitmapDrawMode, 3);  // the preview shows it at once
                  d->eAutoLockInterval->SetText("99");
                },
                false),
            mrCancel);
  EXPECT_EQ(ProfileSettings.BitmapDrawMode, 2);
  EXPECT_EQ(ProfileSettings.AutoLockInterval, 10);
  EXPECT_EQ(w.Stored().AutoLockInterval, stored.AutoLockInterval);
}

TEST(Preferences, RestoreDefaultsShowsTheResetValuesAndOkStoresThem) {
  TPrefsWorld w;
  TProfileSettings& p = ProfileSettings;
  p.UserName = "Kept Name";
  p.DisplayAddress = false;
  p.AutoHideOn = false;
  p.SaveWindowPositions = true;
  p.AutoSaveInterval = 9;
  p.AutoLockInterval = 50;
  p.BackupReminderInterval = 3;
  p.BackupRestoreLocation = "/elsewhere";
  p.BitmapDrawMode = 3;
  std::vector<TInteraction> shown;
  w.Run([](TdlgPreferences* d) { d->pbSetRefault->Click(); }, true, {IDYES}, &shown);
  ASSERT_GE(shown.size(), 2u);
  // Boxes are recorded as they close: the question before the dialog.
  EXPECT_EQ(shown[0].Text, "Ok to restore defaults?");
  EXPECT_EQ(shown[0].Caption, "Confirm Revert Back To Defaults");
  const TProfileSettings s = w.Stored();
  const struct {
    const char* Field;
    bool Holds;
  } checks[] = {
      {"UserName unchanged", s.UserName == "Kept Name"},
      {"DisplayAddress on", s.DisplayAddress},
      {"AutoHideOn on", s.AutoHideOn},
      {"SaveWindowPositions off", !s.SaveWindowPositions},
      {"AutoSaveInterval 1", s.AutoSaveInterval == 1},
      {"AutoHideInterval 5", s.AutoHideInterval == 5},
      {"AutoLockInterval 10", s.AutoLockInterval == 10},
      {"BackupReminderInterval 30", s.BackupReminderInterval == 30},
      {"PasswordChangeInterval 365", s.PasswordChangeInterval == 365},
      {"BackupRestoreLocation", s.BackupRestoreLocation == w.DataDir() + " Backup"},
      {"BitmapDrawMode unchanged", s.BitmapDrawMode == 3},
      {"StartUpFolder 0", s.StartUpFolder == 0},
      {"KeepJournalStyle", s.KeepJournalStyle},
  };
  for (const auto& c : checks) EXPECT_TRUE(c.Holds) << c.Field;
  // Answering No keeps what the dialog shows.
  p.AutoSaveInterval = 9;
  w.Run([](TdlgPreferences* d) { d->pbSetRefault->Click(); }, true, {IDNO});
  EXPECT_EQ(w.Stored().AutoSaveInterval, 9);
}

TEST(Preferences, IntervalsThatAreNoNumberInRangeAreRefused) {
  const struct {
    const char* Text;
    bool Backup;  // the backup reminder's days, else the save minutes
    const char* Expected;
  } cases[] = {
      {"abc", false, "Auto Save Interval: \"abc\" is not a number of minutes from 1 to 120."},
      {"0", false, "from 1 to 120"},
      {"121", false, "from 1 to 120"},
      {"", false, "\"\" is not a number"},
      {"366", true, "Backup Reminder: \"366\" is not a number of days from 1 to 365."},
      {"-4", true, "from 1 to 365"},
  };
  for (const auto& c : cases) {
    TPrefsWorld w;
    std::vector<TInteraction> shown;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      (c.Backup ? d->eBackupReminderInterval : d->eAutoSaveInterval)->SetText(c.Text);
      d->OKBtn->Click();
      EXPECT_EQ(d->ModalResult, mrNone) << c.Text;  // the dialog stays open
      (c.Backup ? d->eBackupReminderInterval : d->eAutoSaveInterval)->SetText("20");
      d->OKBtn->Click();
      return static_cast<int>(d->ModalResult);
    });
    script.Answer(IDOK);
    EXPECT_EQ(w.Dialog->ShowModal(), mrOk) << c.Text;
    ASSERT_EQ(script.Shown.size(), 2u) << c.Text;
    EXPECT_NE(script.Shown[0].Text.find(c.Expected), String::npos) << script.Shown[0].Text;
    EXPECT_EQ(c.Backup ? ProfileSettings.BackupReminderInterval : ProfileSettings.AutoSaveInterval, 20);
  }
}

TEST(Preferences, HideMinutesRaiseTheLockMinutes) {
  TPrefsWorld w;
  ProfileSettings.AutoHideInterval = 6;
  ProfileSettings.AutoLockInterval = 3;
  w.Run([](TdlgPreferences* d) {
    d->udAutoHide->Press(btNext);
    EXPECT_EQ(d->eAutoHideInterval->GetText(), "7");
    EXPECT_EQ(d->eAutoLockInterval->GetText(), "7");
    EXPECT_EQ(d->udAutoLock->GetMin(), 7);
  });
  EXPECT_EQ(ProfileSettings.AutoLockInterval, 7);
}

TEST(Preferences, StartUpChoiceCreatesAndRemovesTheAutostartEntryAtOnce) {
  TPrefsWorld w;
  fs::remove_all(AutostartFolder());
  ProfileSettings.StartUpFolder = 0;
  const fs::path entry = AutostartEntryPath(StartUpShortcutName);
  for (int choice : {1, 0, 1}) {
    TInteractionScript script;
    script.Do([choice](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      d->rgStartUpFolder->SetItemIndex(choice);
      d->OKBtn->Click();
      return static_cast<int>(d->ModalResult);
    });
    ActionPreferencesExecute(w.Main);
    EXPECT_EQ(fs::exists(entry), choice == 0) << choice;
    EXPECT_EQ(w.Stored().StartUpFolder, choice);
  }
  fs::remove_all(AutostartFolder());
}

// The style editor edits a copy of the default sheet; OK puts it in place,
// writes the styles file and merges it into the open journals.
TEST(Preferences, StyleEditorAddsRenamesAndDeletesStylesOnOk) {
  // "Today" and "the day before" must not move while the test runs: at
  // midnight the journal opened today would become the earlier day's.
  TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0)));
  TPrefsWorld w;
  TOpenJournal* today = w.OpenWindow("Today", 0);
  TOpenJournal* older = w.OpenWindow("Older", 0);
  LoadEntry(older, std::floor(Date()) - 1);
  TVLStyle& sheet = *w.Main->QuilloryDefaultStyle;
  const Integer textCount = sheet.TextStyles->Count();
  auto named = [](TVLStyle& s, const String& name) {
    for (Integer i = 0; i < s.TextStyles->Count(); ++i)
      if (s.TextStyles->Items(i)->StyleName == name) return i;
    return -1;
  };
  const String first = sheet.TextStyles->Items(0)->StyleName;
  const String second = sheet.TextStyles->Items(1)->StyleName;
  // Cancel leaves the default sheet alone.
  {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      d->bAddStyleItemClick(d);
      EXPECT_GE(named(*d->WorkingStyle(), "Cancelled"), 0);
      d->CancelBtn->Click();
      return static_cast<int>(d->ModalResult);
    });
    script.AnswerValue("Cancelled");
    EXPECT_EQ(w.Dialog->ShowModal(), mrCancel);
  }
  EXPECT_EQ(named(sheet, "Cancelled"), -1);

  std::vector<TInteraction> shown;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = static_cast<TdlgPreferences*>(r.Form);
    EXPECT_TRUE(d->EditingTextStyles());
    d->bAddStyleItemClick(d);  // blank, taken, then a new name
    d->FontListBox->SetItemIndex(d->FontListBox->Items().IndexOf(second));
    d->bRenameStyleItemClick(d);
    d->FontListBox->SetItemIndex(0);
    d->bDeleteStyleItemClick(d);  // style 0 is refused
    d->StylePageControl->SetActivePage(d->tsParagraphStyles);
    d->ParagraphListBox->SetItemIndex(0);
    d->bDeleteStyleItemClick(d);  // paragraph style 0 as well
    d->OKBtn->Click();
    return static_cast<int>(d->ModalResult);
  });
  script.AnswerValue("  ").Answer(IDOK);          // blank
  script.AnswerValue(first).Answer(IDOK);         // taken
  script.AnswerValue("Quote");                    // accepted
  script.AnswerValue("Renamed Second");           // rename
  script.Answer(mrYes).Answer(IDOK);              // delete text style 0: refused
  script.Answer(mrYes).Answer(IDOK);              // delete paragraph style 0: refused
  ASSERT_EQ(w.Dialog->ShowModal(), mrOk);
  for (const TInteraction& i : script.Shown) shown.push_back(i);
  EXPECT_EQ(script.Unexpected, 0);
  const std::vector<String> texts = [&] {
    std::vector<String> t;
    for (const TInteraction& i : shown)
      if (i.Kind == TInteractionKind::MessageBox) t.push_back(i.Text);
    return t;
  }();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], "\"  \" Cannot be blank");
  EXPECT_EQ(texts[1], "\"" + first + "\" Is Not Unique");
  EXPECT_EQ(texts[2], "Cannot delete \"" + first + "\" style\rThis is the default style");
  EXPECT_EQ(texts[3].rfind("Cannot delete", 0), 0u);

  EXPECT_EQ(sheet.TextStyles->Count(), textCount + 1);
  EXPECT_GE(named(sheet, "Quote"), 0);
  EXPECT_GE(named(sheet, "Renamed Second"), 0);
  EXPECT_EQ(named(sheet, second), -1);
  // The styles file has them; the journal showing today took them, the one
  // on an earlier day kept its own (Keep Existing Journal Styles).
  TVLStyle fromFile(nullptr);
  VLStyleLoadINI(fromFile, StyleFilePath, VLStyleSectionName);
  EXPECT_GE(named(fromFile, "Quote"), 0);
  EXPECT_GE(named(*today->EditorWindow->QuilloryStyle, "Quote"), 0);
  EXPECT_EQ(named(*older->EditorWindow->QuilloryStyle, "Quote"), -1);
  // Replace Existing Journal Styles reaches the earlier day too.
  w.Run([](TdlgPreferences* d) { d->rgDefaultStyleOptions->SetItemIndex(1); });
  EXPECT_GE(named(*older->EditorWindow->QuilloryStyle, "Quote"), 0);
}

// A styles file gone while the program ran is written anew at OK, the
// user's alone from its first byte like every other file of the folder.
TEST(Preferences, AStylesFileWrittenAnewIsTheUsersAlone) {
  const mode_t umaskWas = ::umask(022);
  TPrefsWorld w;
  ASSERT_FALSE(StyleFilePath.empty());
  fs::remove(StyleFilePath);
  ASSERT_EQ(w.Run([](TdlgPreferences*) {}), mrOk);
  ASSERT_TRUE(fs::exists(StyleFilePath));
  EXPECT_EQ(static_cast<unsigned>(fs::status(StyleFilePath).permissions() & fs::perms::all), 0600u);
  ::umask(umaskWas);
}

// The font, paragraph and border dialogs edit the selected style: what they
// accept goes into it, what they cancel leaves it.
TEST(Preferences, StyleDialogsEditTheSelectedStyle) {
  TPrefsWorld w;
  TVLStyle& sheet = *w.Main->QuilloryDefaultStyle;
  const String text = sheet.TextStyles->Items(0)->StyleName;
  const String para = sheet.ParaStyles->Items(0)->StyleName;
  const Integer size = sheet.TextStyles->Items(0)->Size;
  const struct {
    const char* What;
    bool Accept;
  } cases[] = {{"cancelled", false}, {"accepted", true}};
  for (const auto& c : cases) {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      d->FontListBox->SetItemIndex(0);
      d->bChangeFontItem->Click();
      d->StylePageControl->SetActivePage(d->tsParagraphStyles);
      d->ParagraphListBox->SetItemIndex(0);
      d->bChangeParagraphItem->Click();
      d->bChangeParagraphBorderItem->Click();
      d->OKBtn->Click();
      return static_cast<int>(d->ModalResult);
    });
    script.Do([&](TInteraction& r) {
      auto& f = *static_cast<TfrmVLFont*>(r.Form);
      EXPECT_EQ(f.cmbSize->GetText(), IntToStr(size)) << c.What;
      f.cmbSize->SetText("19");
      f.cbB->SetChecked(true);
      (c.Accept ? f.btnOk : f.btnCancel)->Click();
      return static_cast<int>(f.ModalResult);
    });
    script.Do([&](TInteraction& r) {
      auto& p = *static_cast<TfrmVLPara*>(r.Form);
      p.seLeftIndent->SetValue(30);
      (c.Accept ? p.btnOk : p.btnCancel)->Click();
      return static_cast<int>(p.ModalResult);
    });
    script.Do([&](TInteraction& r) {
      auto& b = *static_cast<TfrmVLParaBrdr*>(r.Form);
      b.rgBorderType->SetItemIndex(1);
      b.rgBorderTypeClick(b.rgBorderType);
      (c.Accept ? b.btnOk : b.btnCancel)->Click();
      return static_cast<int>(b.ModalResult);
    });
    ASSERT_EQ(w.Dialog->ShowModal(), mrOk) << c.What;
    EXPECT_EQ(script.Unexpected, 0) << c.What;
    const TFontInfo& t = *sheet.TextStyles->Items(0);
    const TParaInfo& p = *sheet.ParaStyles->Items(0);
    EXPECT_EQ(t.StyleName, text);
    EXPECT_EQ(p.StyleName, para);
    EXPECT_EQ(t.Size, c.Accept ? 19 : size) << c.What;
    EXPECT_EQ(t.Style.Contains(fsBold), c.Accept) << c.What;
    EXPECT_EQ(p.LeftIndent >= 30, c.Accept) << c.What << " " << p.LeftIndent;
    EXPECT_EQ(p.Border.Style != vlbNone, c.Accept) << c.What;
  }
}

TEST(Preferences, SamplesDescribeTheChosenStyle) {
  TPrefsWorld w;
  TVLStyle& sheet = *w.Main->QuilloryDefaultStyle;
  TFontInfo* bold = sheet.TextStyles->Items(0);
  bold->Style = TFontStyles{fsBold, fsItalic};
  bold->Size = 13;
  w.Run([&](TdlgPreferences* d) {
    auto text = [d] {
      String all;
      for (Integer i = 0; i < d->vleSample->ItemCount(); ++i) all += d->vleSample->GetItemTextUtf8(i) + "\n";
      return all;
    };
    d->ShowTextStyleSample(bold->StyleName);
    EXPECT_EQ(text(), "This is a sample of \"" + bold->StyleName + "\" font style\nFont Name: " + bold->FontName +
                          "\nFont Size: 13\nFont Modifiers: Bold Italic \nVertical Shift: 0\n"
                          "Character Spacing: 0\nCharacter Scaling: 100\n");
    d->ShowParaStyleSample("No Such Style");
    EXPECT_EQ(text(), "Style Not Found \"No Such Style\" paragraph style\n");
    const String para = sheet.ParaStyles->Items(0)->StyleName;
    d->ShowParaStyleSample(para);
    EXPECT_EQ(text().rfind("This is a sample of \"" + para + "\" paragraph style\nThis is some text", 0), 0u);
  });
}

// Words made bold, italic and underlined with the keys follow a later change
// of the text style they were made from (Preferences > Default Style > Font)
// and keep their own bold, italic and underline.
TEST(Preferences, AChangedTextStyleReachesTheWordsStyledWithTheKeys) {
  TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0)));
  TPrefsWorld w;
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  QWidget* window = WidgetOf(w.Main)->window();
  w.Main->Show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  auto press = [](Qt::Key key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(QApplication::focusWidget(), key, mods);
    Application->ProcessMessages();
  };
  qytest::TypeKeys(QApplication::focusWidget(), "caf\xC3\xA9 \xC5\x81\xC3\xB3" "d\xC5\xBA don\xE2\x80\x99t plain");
  Application->ProcessMessages();
  ASSERT_EQ(e->ItemCount(), 1);
  // From the last word back, so that the first item keeps the words before.
  const struct {
    Integer From, To;  // characters of the first item, 0-based, end excluded
    Qt::Key Key;
  } words[] = {{10, 15, Qt::Key_U}, {5, 9, Qt::Key_I}, {0, 4, Qt::Key_B}};
  for (const auto& word : words) {
    e->SetSelectionBounds(0, e->GetItemStartOffset(0) + word.From, 0, e->GetItemStartOffset(0) + word.To);
    press(word.Key, Qt::ControlModifier);
  }
  TVLStyle& journal = *j->EditorWindow->QuilloryStyle;
  auto looks = [&] {
    std::map<std::string, std::string> out;
    for (Integer i = 0; i < e->ItemCount(); ++i) {
      const TFontInfo& f = *journal.TextStyles->Items(e->GetItem(i)->StyleNo);
      std::string l = std::to_string(f.Size);
      if (f.Style.Contains(fsBold)) l += " bold";
      if (f.Style.Contains(fsItalic)) l += " italic";
      if (f.Style.Contains(fsUnderline)) l += " underlined";
      out[e->GetItemTextUtf8(i)] = l;
    }
    return out;
  };
  const Integer size = w.Main->QuilloryDefaultStyle->TextStyles->Items(0)->Size;
  const std::string was = std::to_string(size);
  ASSERT_EQ(looks(), (std::map<std::string, std::string>{{"caf\xC3\xA9", was + " bold"},
                                                         {" ", was},
                                                         {"\xC5\x81\xC3\xB3" "d\xC5\xBA", was + " italic"},
                                                         {"don\xE2\x80\x99t", was + " underlined"},
                                                         {" plain", was}}));
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = static_cast<TdlgPreferences*>(r.Form);
    d->FontListBox->SetItemIndex(0);
    d->bChangeFontItem->Click();
    d->OKBtn->Click();
    return static_cast<int>(d->ModalResult);
  });
  script.Do([&](TInteraction& r) {
    auto& f = *static_cast<TfrmVLFont*>(r.Form);
    f.cmbSize->SetText("14");
    f.btnOk->Click();
    return static_cast<int>(f.ModalResult);
  });
  ASSERT_EQ(w.Dialog->ShowModal(), mrOk);
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(looks(), (std::map<std::string, std::string>{{"caf\xC3\xA9", "14 bold"},
                                                         {" ", "14"},
                                                         {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "14 italic"},
                                                         {"don\xE2\x80\x99t", "14 underlined"},
                                                         {" plain", "14"}}));
}

}  // namespace
