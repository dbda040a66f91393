// The journal window's Insert and Format commands on an entry: where the
// menus place them and what they do to the entry.
#include "MainWindowJournalSupport.h"

#include "actions/VLActionsHyperlink.h"
#include "app/QYPassword.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Menus.h"

#include <QApplication>
#include <QKeySequence>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using qytest::TMainJournalWorld;

// The names of the actions of the top-level menu with this caption, "-" for
// a line between groups.
std::vector<String> MenuActions(TformQuilloryMain* m, const String& caption) {
  std::vector<String> names;
  TMenuItem* root = m->MainMenu->Items();
  for (int i = 0; i < root->Count(); ++i) {
    if (root->Items(i)->GetCaption() != caption) continue;
    for (int k = 0; k < root->Items(i)->Count(); ++k) {
      TMenuItem* item = root->Items(i)->Items(k);
      names.push_back(item->GetAction() ? item->GetAction()->GetName() : String("-"));
    }
  }
  return names;
}

TEST(InsertFormatMenus, TheCommandsStandInTheirGroups) {
  TMainJournalWorld world;
  EXPECT_EQ(MenuActions(world.Main, "&Insert"),
            (std::vector<String>{"ActionDateStamp", "ActionTimeStamp", "ActionDateTimeStamp", "-",
                                 "vlActionInsertFile", "vlActionInsertPicture", "vlActionInsertHLine", "vlActionInsertHyperlink",
                                 "vlActionInsertSymbol", "-",
                                 "vlActionInsertPageBreak", "vlActionRemovePageBreak"}));
  const std::vector<String> file = MenuActions(world.Main, "&File");
  ASSERT_GE(file.size(), 4u);
  EXPECT_EQ(file[3], "vlActionExport");
  const std::vector<String> format = MenuActions(world.Main, "Fo&rmat");
  ASSERT_GE(format.size(), 8u);
  const auto paraColor = std::find(format.begin(), format.end(), "vlActionParaColor");
  ASSERT_NE(paraColor, format.end());
  ASSERT_NE(paraColor + 1, format.end());
  EXPECT_EQ(paraColor[1], "vlActionFillColor");
  EXPECT_EQ(std::vector<String>(format.end() - 8, format.end()),
            (std::vector<String>{"-", "vlActionParaBullets", "vlActionParaNumbering", "vlActionParaList", "-",
                                 "vlActionColor", "vlActionBackground", "vlActionItemProperties"}));
}

TEST(InsertFormatMenus, ALinkMadeInAnEntryIsStoredInItAndMarksItChanged) {
  TMainJournalWorld world;
  TOpenJournal* j = world.OpenWindow("Diary", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  e->InsertText("see the site");
  world.Main->Show();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  j->Document->Modified = false;
  e->SetSelectionBounds(0, e->GetItemStartOffset(0) + 8, 0, e->GetItemEndOffset(0));
  auto* link = dynamic_cast<TvlActionInsertHyperlink*>(world.Main->FindComponent("vlActionInsertHyperlink"));
  ASSERT_NE(link, nullptr);
  link->OnHyperlinkForm = [](TObject*, bool insertNew, String&, String& target, bool& proceed) {
    EXPECT_FALSE(insertNew);
    target = "https://example.org/";
    proceed = true;
  };
  link->Update();
  ASSERT_TRUE(link->GetEnabled());
  ASSERT_TRUE(link->Execute());
  ASSERT_EQ(e->ItemCount(), 2);
  EXPECT_EQ(e->GetItemTextUtf8(1), "site");
  EXPECT_EQ(e->GetItem(1)->Tag.Str, "https://example.org/");
  EXPECT_TRUE(j->EditorWindow->QuilloryStyle->TextStyles->Items(e->GetItem(1)->StyleNo)->Jump);
  EXPECT_TRUE(j->Document->Modified);
}


// The commands of a menu, those of its submenus too.
void Commands(TMenuItem* menu, std::vector<TBasicAction*>& out) {
  for (int k = 0; k < menu->Count(); ++k) {
    if (menu->Items(k)->Count() > 0) Commands(menu->Items(k), out);
    else if (menu->Items(k)->GetAction()) out.push_back(menu->Items(k)->GetAction());
  }
}

// A read-only entry greys every command of the Insert and Format menus
// (Bold, Italic, Underline and the alignments among them, also on the tool
// bar), the date and time stamps, Undo and Redo; a key of one pressed
// there all the same says why nothing happens, and the entry stays as it
// was.
TEST(InsertFormatMenus, AReadOnlyEntryGreysWhatWouldChangeItAndAKeyToOneSaysWhy) {
  TMainJournalWorld world;
  TOpenJournal* j = world.OpenWindow("Diary", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  e->InsertText("my own words");
  ASSERT_NE(e->GetUndoType(), vlutNone);
  QWidget* window = WidgetOf(world.Main)->window();
  world.Main->Show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
  j->EditorWindow->FocusEditor();
  j->Document->ReadOnly = true;
  j->Document->Modified = false;
  j->EditorWindow->SyncFromDocument();
  UpdateReadOnlyState();
  Application->ProcessMessages();
  std::vector<TBasicAction*> greyed;
  TMenuItem* root = world.Main->MainMenu->Items();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->GetCaption() == "&Insert" || root->Items(i)->GetCaption() == "Fo&rmat")
      Commands(root->Items(i), greyed);
  for (const char* name : {"vlActionUndo", "vlActionRedo"}) greyed.push_back(world.Main->FindComponent(name) ?
      dynamic_cast<TBasicAction*>(world.Main->FindComponent(name)) : nullptr);
  for (const char* name : {"vlActionFontBold", "vlActionFontItalic", "vlActionFontUnderline", "vlActionAlignLeft",
                           "vlActionAlignCenter", "vlActionAlignRight", "vlActionUndo", "ActionDateStamp",
                           "ActionTimeStamp", "ActionDateTimeStamp"})
    EXPECT_NE(std::find_if(greyed.begin(), greyed.end(), [name](TBasicAction* a) { return a && a->GetName() == name; }),
              greyed.end())
        << name << " is not among the commands checked";
  for (TBasicAction* b : greyed) {
    auto* a = dynamic_cast<TCustomAction*>(b);
    ASSERT_NE(a, nullptr);
    a->Update();
    EXPECT_FALSE(a->GetEnabled()) << a->GetName();
  }
  const char* const inserted = "This entry is read-only: nothing can be inserted into it.";
  const char* const changed = "This entry is read-only: nothing in it can be changed.";
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    const char* says;
  } keys[] = {
      {Qt::Key_K, Qt::ControlModifier, inserted},
      {Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier, inserted},
      {Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier, inserted},
      {Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier, inserted},
      {Qt::Key_B, Qt::ControlModifier, changed},
      {Qt::Key_I, Qt::ControlModifier, changed},
      {Qt::Key_U, Qt::ControlModifier, changed},
      {Qt::Key_Z, Qt::ControlModifier, changed},
  };
  const std::string before = e->GetItemTextUtf8(0);
  const Integer styleBefore = e->GetItem(0)->StyleNo;
  for (const auto& k : keys) {
    SCOPED_TRACE(QKeySequence(static_cast<int>(k.mods) | k.key).toString().toStdString());
    TInteractionScript script;
    script.Answer(IDOK);
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(focus, k.key, k.mods);
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, k.says);
    EXPECT_EQ(e->ItemCount(), 1);
    EXPECT_EQ(e->GetItemTextUtf8(0), before);
    EXPECT_EQ(e->GetItem(0)->StyleNo, styleBefore);
    EXPECT_FALSE(j->Document->Modified);
  }
}

}  // namespace
