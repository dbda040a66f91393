// The journal window's Format menu: every formatting command of the editing
// library is on it, its dialogs open on the entry's selection, each change
// is one undo step, and the colour pop-up of Text Color takes the keyboard.
#include "WindowSeamSupport.h"

#include "actions/ColorVLFrm.h"
#include "actions/VLActionsColor.h"

#include "actions/FontVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <utility>
#include <vector>

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

// Text Color's pop-up opened by the keyboard (Alt+R, O) or by the menu
// item, driven by keys handed to the active window as the window system
// does: the arrows walk the colours, Enter picks one for the selection,
// Escape closes without a pick, and Alt with a menu's letter closes it and
// opens that menu. The menu item keeps its letter after any of these and a
// click's pick, so Alt+R, O opens the pop-up again afterwards.
void ColourPopUpTakesTheKeyboard() {
  enum TOpener { byKeys, byMenuItem };
  struct Case {
    const char* name;
    TOpener opener;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
    bool picked;  // Orange (0x0066FF), else the colour the text had
    const char* menuOpen;  // the menu the keys leave open, if any
    int clicked = -1;      // the entry then clicked with the mouse
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Case cases[] = {
      // From the automatic entry: Black, Dark Red, Orange.
      {"arrows and Enter", byKeys, {{Qt::Key_Down, none}, {Qt::Key_Down, none}, {Qt::Key_Right, none},
                                    {Qt::Key_Return, none}}, true, nullptr},
      {"arrows and Enter, opened by the menu item", byMenuItem,
       {{Qt::Key_Down, none}, {Qt::Key_Down, none}, {Qt::Key_Right, none}, {Qt::Key_Enter, none}}, true, nullptr},
      {"arrows and Escape", byKeys, {{Qt::Key_Down, none}, {Qt::Key_Escape, none}}, false, nullptr},
      {"Alt+R", byKeys, {{Qt::Key_Down, none}, {Qt::Key_R, Qt::AltModifier}}, false, "Fo&rmat"},
      {"a click on Orange", byMenuItem, {}, true, nullptr, 10},
  };
  // Each case on its own: a failed step ends that case only.
  auto run = [](const Case& c) {
    qytest::TDiaryWindow w;
    auto* action = dynamic_cast<TvlActionCustomColor*>(w.Main->FindComponent("vlActionFontColor"));
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(w.Type("some words"));
    ASSERT_TRUE(w.Key(Qt::Key_A, Qt::ControlModifier));
    TFontInfo& text = *w.J->EditorWindow->QuilloryStyle->TextStyles->Items(w.Edit()->VLData()->GetItemStyle(0));
    const TColor before = text.Color;
    auto openByKeys = [&] {
      return w.WindowKey(Qt::Key_R, Qt::AltModifier) && w.WindowKey(Qt::Key_O) && action->ColorPopup();
    };
    if (c.opener == byKeys) {
      ASSERT_TRUE(openByKeys());
    } else {
      ASSERT_TRUE(w.Menu("vlActionFontColor"));
    }
    TfrmColor* popup = action->ColorPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(w.WaitFor([&] { return QApplication::activeWindow() == WindowWidgetOf(popup); }))
        << "the pop-up is not the active window";
    ASSERT_EQ(popup->SelectedIndex, 0);
    for (const auto& [key, mods] : c.keys) ASSERT_TRUE(w.WindowKey(key, mods));
    if (c.clicked >= 0) {
      QTest::mouseClick(WidgetOf(popup->Buttons[static_cast<size_t>(c.clicked)]), Qt::LeftButton);
      ASSERT_TRUE(w.Settle());
    }
    EXPECT_TRUE(w.WaitFor([&] { return action->ColorPopup() == nullptr; })) << "the pop-up is still open";
    const TFontInfo& now = *w.J->EditorWindow->QuilloryStyle->TextStyles->Items(w.Edit()->VLData()->GetItemStyle(0));
    EXPECT_EQ(now.Color, c.picked ? TColor(0x0066FF) : before);
    if (c.menuOpen) {
      EXPECT_TRUE(w.WaitFor([&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu && menu->title() == c.menuOpen;
      })) << "the menu is not open";
      ASSERT_TRUE(w.WindowKey(Qt::Key_Escape));
      ASSERT_TRUE(w.WindowKey(Qt::Key_Escape));
      ASSERT_TRUE(w.WaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    }
    // The window's caption stays, and with it the item's letter.
    EXPECT_EQ(action->GetCaption(), "Text C&olor...");
    ASSERT_TRUE(w.WaitFor([&] { return QApplication::activeWindow() == w.Window(); }))
        << "the journal window is not active again: " << w.ActiveWindowText();
    EXPECT_TRUE(openByKeys()) << "Alt+R, O opens no pop-up";
    if (action->ColorPopup()) {
      ASSERT_TRUE(w.WaitFor([&] { return QApplication::activeWindow() == WindowWidgetOf(action->ColorPopup()); }));
      ASSERT_TRUE(w.WindowKey(Qt::Key_Escape));
      EXPECT_TRUE(w.WaitFor([&] { return action->ColorPopup() == nullptr; }));
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    run(c);
  }
}

TEST(FormatMenuKeys, TheColourPopUpTakesTheKeyboard) { ColourPopUpTakesTheKeyboard(); }

// The same under a window manager, which hands the activation over itself
// (the "_framed" test runs it on a display of its own; elsewhere it skips).
TEST(Framed, TheColourPopUpTakesTheKeyboard) {
  if (!qytest::TWindowSeam::WindowManagerRunning())
    GTEST_SKIP() << "no window manager here (run through the _framed test, which starts Xvfb with openbox)";
  ColourPopUpTakesTheKeyboard();
}

}  // namespace
