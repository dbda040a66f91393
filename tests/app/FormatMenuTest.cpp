// The journal window's Format menu: every formatting command of the editing
// library is on it, its dialogs open on the entry's selection, and each
// change is one undo step.
#include "MainWindowJournalSupport.h"

#include "actions/FontVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

using qytest::TMainJournalWorld;

class FormatMenuTest : public testing::Test {
protected:
  TMainJournalWorld World;
};

TEST_F(FormatMenuTest, EveryFormattingCommandIsOnAMenuWithALetterOfItsOwn) {
  World.Main->Show();
  std::set<std::string> shown;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    std::map<QChar, std::string> letters;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      const QString text = a->text();
      const int amp = text.indexOf('&');
      if (amp >= 0 && amp + 1 < text.size()) {
        const QChar letter = text.at(amp + 1).toLower();
        EXPECT_EQ(letters.count(letter), 0u)
            << text.toStdString() << " and " << letters[letter] << " in " << menu->title().toStdString();
        letters[letter] = text.toStdString();
      }
      if (a->menu()) walk(a->menu());
      else shown.insert(text.toStdString());
    }
  };
  for (QAction* top : WidgetOf(World.Main)->window()->findChild<QMenuBar*>()->actions())
    if (top->menu()) walk(top->menu());
  for (const char* name :
       {"vlActionFontEx", "vlActionParagraph", "vlActionParaBorder", "vlActionFontBackColor", "vlActionParaColor",
        "vlActionFontAllCaps", "vlActionFontOverline", "vlActionFontStrikeout", "vlActionFontGrow",
        "vlActionFontShrink", "vlActionFontGrowOnePoint", "vlActionFontShrinkOnePoint", "vlActionLineSpacing100",
        "vlActionLineSpacing150", "vlActionLineSpacing200", "vlActionWordWrap", "vlActionPasteSpecial"}) {
    SCOPED_TRACE(name);
    auto* a = dynamic_cast<TCustomAction*>(World.Main->FindComponent(name));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(shown.count(a->Handle()->text().toStdString()), 1u);
  }
}

TEST_F(FormatMenuTest, DialogsOpenOnTheSelectionAndEachChangeIsOneUndoStep) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  e->InsertText("first line\r\nsecond line");
  TformQuilloryMain* m = World.Main;
  m->Show();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  TVLStyle& sheet = *j->EditorWindow->QuilloryStyle;
  // "first" bold, then the whole first line: bold is mixed.
  const Integer start = e->GetItemStartOffset(0);
  e->SetSelectionBounds(0, start, 0, start + 5);
  ASSERT_TRUE(dynamic_cast<TAction*>(m->FindComponent("vlActionFontBold"))->Execute());
  e->SetSelectionBounds(0, start, 1, e->GetItemEndOffset(1));
  const String before = j->Document->Text();
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLFont*>(r.Form);
    EXPECT_EQ(d.cbB->GetState(), cbGrayed);
    EXPECT_EQ(d.SampleText, "first line");
    d.cbI->SetChecked(true);
    return mrOk;
  });
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLPara*>(r.Form);
    EXPECT_EQ(d.gbAlignment->GetItemIndex(), 0);
    d.gbAlignment->SetItemIndex(3);
    return mrOk;
  });
  ASSERT_TRUE(dynamic_cast<TAction*>(m->FindComponent("vlActionFontEx"))->Execute());
  // The focus goes back to the entry when a dialog closes.
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  ASSERT_TRUE(dynamic_cast<TAction*>(m->FindComponent("vlActionParagraph"))->Execute());
  EXPECT_EQ(script.Unexpected, 0);
  auto text = [&](Integer item) -> TFontInfo& { return *sheet.TextStyles->Items(e->VLData()->GetItemStyle(item)); };
  auto para = [&](Integer item) -> TParaInfo& { return *sheet.ParaStyles->Items(e->VLData()->GetItemPara(item)); };
  EXPECT_TRUE(text(0).Style.Contains(fsBold));
  EXPECT_TRUE(text(0).Style.Contains(fsItalic));
  EXPECT_FALSE(text(1).Style.Contains(fsBold));
  EXPECT_TRUE(text(1).Style.Contains(fsItalic));
  EXPECT_EQ(para(0).Alignment, vlaJustify);
  EXPECT_TRUE(j->Document->Modified);
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  auto* undo = dynamic_cast<TAction*>(m->FindComponent("vlActionUndo"));
  EXPECT_TRUE(undo->Execute());
  EXPECT_EQ(para(0).Alignment, vlaLeft);
  EXPECT_TRUE(text(1).Style.Contains(fsItalic));
  EXPECT_TRUE(undo->Execute());
  EXPECT_FALSE(text(1).Style.Contains(fsItalic));
  EXPECT_TRUE(text(0).Style.Contains(fsBold));
  EXPECT_EQ(j->Document->Text(), before);
}

}  // namespace
