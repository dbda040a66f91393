#include "actions/VLActionsEdit.h"
#include "actions/VLActionsFontStyle.h"
#include "actions/VLActionsPara.h"
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "richtext/editor/VellumEdit.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The editor window as the journal builds it: a real editor control, an
// action list with the editing commands, a menu bound to them and Ctrl+B
// on Bold. Runs headless and also on a real display:
//   QT_QPA_PLATFORM=xcb xvfb-run -a test_actions --gtest_filter=RealEditor*
struct TEditorWindow {
  TEditorWindow() {
    Application->Initialize();
    Form = new TForm(Application);
    Form->SetBounds(50, 50, 480, 320);
    Sheet = new TVLStyle(Form);
    Edit = new TVellumEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(0, 0, 480, 280);
    Edit->SetStyle(Sheet);
    Edit->AddTextItem("Hello world", 0, 0);
    Edit->Format();
    List = new TActionList(Form);
    Bold = Add(new TvlActionFontBold(Form));
    Bold->SetShortCut(ShortCut('B', TShiftState{ssCtrl}));
    Center = Add(new TvlActionAlignCenter(Form));
    Copy = Add(new TvlActionCopy(Form));
    Paste = Add(new TvlActionPaste(Form));
    Undo = Add(new TvlActionUndo(Form));
    Redo = Add(new TvlActionRedo(Form));
    Menu = new TMainMenu(Form);
    for (TBasicAction* a : {static_cast<TBasicAction*>(Center), static_cast<TBasicAction*>(Copy),
                            static_cast<TBasicAction*>(Paste), static_cast<TBasicAction*>(Undo),
                            static_cast<TBasicAction*>(Redo)}) {
      auto* item = new TMenuItem(Form);
      item->SetAction(a);
      Menu->Items()->Add(item);
    }
    Form->SetMenu(Menu);
    Form->Show();
    Form->BringToFront();
    WindowWidgetOf(Form)->activateWindow();
    Edit->SetFocus();
    Settle();
  }
  ~TEditorWindow() { delete Form; }
  template <typename T>
  T* Add(T* action) {
    action->SetActionList(List);
    return action;
  }
  // Events, then the idle pass that updates the actions.
  void Settle() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    Application->Idle();
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(WidgetOf(Edit), key, mods);
    Settle();
  }
  // A click on the menu item bound to the action.
  void Choose(TBasicAction* action) {
    for (int i = 0; i < Menu->Items()->Count(); ++i)
      if (Menu->Items()->Items(i)->GetAction() == action) Menu->Items()->Items(i)->Handle()->trigger();
    Settle();
  }
  String Text() {
    String s;
    for (Integer i = 0; i < Edit->ItemCount(); ++i) s += Edit->GetItemTextUtf8(i);
    return s;
  }
  // The text of every bold item, in order.
  std::vector<String> BoldRuns() {
    std::vector<String> runs;
    for (Integer i = 0; i < Edit->ItemCount(); ++i) {
      const Integer no = Edit->GetItem(i)->StyleNo;
      if (no >= 0 && Sheet->TextStyles->Items(no)->Style.Contains(fsBold)) runs.push_back(Edit->GetItemTextUtf8(i));
    }
    return runs;
  }
  TVLAlignment Alignment() { return Sheet->ParaStyles->Items(Edit->GetItem(0)->ParaNo)->Alignment; }

  TForm* Form;
  TVLStyle* Sheet;
  TVellumEdit* Edit;
  TActionList* List;
  TMainMenu* Menu;
  TvlActionFontBold* Bold;
  TvlActionAlignCenter* Center;
  TvlActionCopy* Copy;
  TvlActionPaste* Paste;
  TvlActionUndo* Undo;
  TvlActionRedo* Redo;
};

TEST(RealEditorScript, BoldAlignCopyPasteUndoRedo) {
  TEditorWindow w;
  ASSERT_EQ(QApplication::focusWidget(), WidgetOf(w.Edit));
  ASSERT_EQ(EditorOfControl(w.Edit), ActionEditorOf(w.Edit));

  // Moving the caret and changing the document call for an update.
  for (Qt::Key key : {Qt::Key_End, Qt::Key_A}) {
    ASSERT_FALSE(Application->ActionsInvalid());
    QTest::keyClick(WidgetOf(w.Edit), key);
    EXPECT_TRUE(Application->ActionsInvalid());
    w.Settle();
  }
  w.Key(Qt::Key_Backspace);
  ASSERT_EQ(w.Text(), "Hello world");

  // Select the last word from the keyboard and make it bold with Ctrl+B.
  w.Key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(w.Edit->GetSelText(), "world");
  w.Key(Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(w.BoldRuns(), std::vector<String>{"world"});
  EXPECT_EQ(w.Text(), "Hello world");
  // The idle update sees the bold selection.
  EXPECT_TRUE(w.Bold->GetChecked());

  w.Choose(w.Center);
  EXPECT_EQ(w.Alignment(), vlaCenter);
  EXPECT_TRUE(w.Center->GetChecked());

  w.Choose(w.Copy);
  EXPECT_EQ(Clipboard().GetAsText(), "world");
  w.Key(Qt::Key_End);
  w.Choose(w.Paste);
  EXPECT_EQ(w.Text(), "Hello worldworld");

  ASSERT_TRUE(w.Undo->GetEnabled());
  w.Choose(w.Undo);
  EXPECT_EQ(w.Text(), "Hello world");
  ASSERT_TRUE(w.Redo->GetEnabled());
  w.Choose(w.Redo);
  EXPECT_EQ(w.Text(), "Hello worldworld");

  // Bold and centring survive the round trip of undo and redo.
  EXPECT_EQ(w.Alignment(), vlaCenter);
  std::vector<String> bold = w.BoldRuns();
  String boldText;
  for (const String& s : bold) boldText += s;
  EXPECT_EQ(boldText, "worldworld");
  EXPECT_TRUE(w.Edit->Modified);
}

}  // namespace
