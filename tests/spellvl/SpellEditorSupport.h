#pragma once
// A real editor with a spell checker and thesaurus on the build's
// dictionaries, kept away from the user's files.
#include "richtext/editor/EditorFixture.h"
#include "richtext/table/VLTable.h"
#include "spellvl/VLSpellChecker.h"
#include "support/AccessKeyWalk.h"
#include "support/TestSupport.h"

#include "platform/base/CodePages.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace spellvltest {

inline std::string BinDir() { return QY_BIN_DIR; }
inline AnsiString U(const char* text) { return WideStringToRawUnicode(Utf8ToWide(text)); }

// Types Text (UTF-8) into Widget a character at a time, as a keyboard
// layout that has each character sends it: one key event per character, a
// surrogate pair too.
inline void TypeText(QWidget* Widget, const char* Text) {
  const QString text = QString::fromUtf8(Text);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString ch = text.mid(i, n);
    i += n - 1;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
    QCoreApplication::sendEvent(Widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
    QCoreApplication::sendEvent(Widget, &release);
  }
}

// Makes the window of Form the active one and waits until it stays so.
inline testing::AssertionResult ActivateWindowOf(TCustomForm* Form) {
  return qytest::keywalk::ActivateWindow(WindowWidgetOf(Form));
}

struct TSpellEditor {
  TSpellEditor() {
    VLRegisterTableItem();
    E.Style.TextStyles->Items(0)->FontName = "DejaVu Sans";
    Spell = std::make_unique<TVLSpellChecker>(nullptr);
    Spell->ConfigStorage = csNone;
    TStringList dirs;
    dirs.Add(Tmp.str());
    // The build's main dictionaries by name, and nothing else of its folder.
    dirs.Add(qytest::LinksToFiles(BinDir(), ".spm"));
    Spell->SetConfigDictionaryDir(dirs);
    Spell->SetSuggestionsLearningDict(Tmp.str() + "/learn.spl");
    Spell->SynchronousCheck = false;
    Thesaurus = std::make_unique<TVLThesaurus>(nullptr);
    Thesaurus->SetFilename(BinDir() + "/Wordhoard.spt");
  }
  ~TSpellEditor() {
    Spell->CancelCheck();
    Spell.reset();
  }
  // One paragraph per text; every item Unicode.
  void SetText(const std::vector<std::string>& paragraphs) {
    E.D().Clear();
    for (const auto& p : paragraphs) E.D().AddTextItem(U(p.c_str()), 0, 0);
    Format();
  }
  void Format() {
    E.Edit->Format();
    E.Edit->SetSelectionBounds(0, 1, 0, 1);
  }
  TSpellDialog* Dialog() const { return Spell->Dialog(); }
  void Check() { Spell->CheckVellumEdit(E.Edit, ctWholeText); }
  // Undoes the editor's steps one by one; the number it took to get Text
  // back, or -1.
  int UndoStepsTo(const std::string& text, int most = 20) {
    for (int n = 1; n <= most; ++n) {
      E.Edit->Undo();
      if (E.Text() == text) return n;
    }
    return -1;
  }

  qytest::TempDir Tmp;
  qytest::TEditor E;
  std::unique_ptr<TVLSpellChecker> Spell;
  std::unique_ptr<TVLThesaurus> Thesaurus;
};

}  // namespace spellvltest
