// Holding Ctrl in an editor with vloCtrlJumps makes its hyperlinks work as
// in a viewer; releasing Ctrl makes them text again.
#include "EditorFixture.h"

using namespace qytest;

namespace {

void SendCtrl(QWidget* w, QEvent::Type type) {
  QKeyEvent e(type, Qt::Key_Control, type == QEvent::KeyPress ? Qt::ControlModifier : Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

}  // namespace

TEST(CtrlHyperlinkMode, CtrlHeldMakesAClickFollowTheLink) {
  struct TCase {
    const char* What;
    bool Option;
    bool ModeWhileHeld;
    std::vector<Integer> JumpsWhileHeld;
  } cases[] = {
      {"with the option", true, true, {0}},
      {"without the option", false, false, {}},
  };
  for (const TCase& c : cases) {
    TEditor e;
    TFontInfo* link = e.Style.TextStyles->Add();
    link->Jump = true;
    link->FontName = "Arial";
    link->Unicode = true;
    const Integer linkStyle = e.Style.TextStyles->Count() - 1;
    e.Edit->AddTextItem("Visit ", 0, 0);
    e.Edit->AddTextItem("the river", linkStyle, -1);
    e.Edit->AddTextItem(" today", 0, -1);
    e.Edit->Format();
    Integer linkItem = 0;
    while (linkItem < e.Edit->ItemCount() && e.Edit->GetItem(linkItem)->StyleNo != linkStyle) ++linkItem;
    const std::string text = e.Text();
    if (c.Option) e.Edit->SetEditorOptions(e.Edit->GetEditorOptions() + vloCtrlJumps);
    std::vector<Integer> jumps;
    e.Edit->OnJump = [&](TObject*, Integer id) { jumps.push_back(id); };
    Integer left = 0, top = 0;
    ASSERT_TRUE(e.Edit->GetItemCoords(linkItem, left, top));
    const int x = left - e.D().GetHOffset() + 8, y = top - e.D().GetVOffset() + 4;
    auto click = [&] {
      e.Edit->MouseDown(mbLeft, TShiftState{ssLeft, ssCtrl}, x, y);
      e.Edit->MouseUp(mbLeft, TShiftState{ssCtrl}, x, y);
    };

    SendCtrl(e.W(), QEvent::KeyPress);
    EXPECT_EQ((e.D().GetLayoutFlags() & vllfCollectJumps) != 0, c.ModeWhileHeld) << c.What;
    EXPECT_EQ(e.D().Jumps.empty(), !c.ModeWhileHeld) << c.What;
    // Auto-repeat of the held key changes nothing.
    SendCtrl(e.W(), QEvent::KeyPress);
    EXPECT_EQ((e.D().GetLayoutFlags() & vllfCollectJumps) != 0, c.ModeWhileHeld) << c.What;
    click();
    EXPECT_EQ(jumps, c.JumpsWhileHeld) << c.What;
    EXPECT_EQ(e.Text(), text) << c.What;

    SendCtrl(e.W(), QEvent::KeyRelease);
    EXPECT_EQ(e.D().GetLayoutFlags() & vllfCollectJumps, 0) << c.What;
    EXPECT_TRUE(e.D().Jumps.empty()) << c.What;
    jumps.clear();
    click();
    EXPECT_TRUE(jumps.empty()) << c.What;
    // The click placed the caret in the link's text.
    EXPECT_EQ(e.Edit->CurItemNo(), linkItem) << c.What;
  }
}

// The Ctrl release can go to another window (a box the link opened, or a
// window that took the focus): a click without Ctrl then ends the mode and
// places the caret, and so does losing the focus.
TEST(CtrlHyperlinkMode, AClickWithoutCtrlOrAFocusLossEndsTheMode) {
  for (const bool viaFocus : {false, true}) {
    SCOPED_TRACE(viaFocus ? "focus lost" : "click without Ctrl");
    TEditor e;
    TFontInfo* link = e.Style.TextStyles->Add();
    link->Jump = true;
    link->FontName = "Arial";
    link->Unicode = true;
    e.Edit->AddTextItem("Café ", 0, 0);
    e.Edit->AddTextItem("Łódź", e.Style.TextStyles->Count() - 1, -1);
    e.Edit->Format();
    e.Edit->SetEditorOptions(e.Edit->GetEditorOptions() + vloCtrlJumps);
    std::vector<Integer> jumps;
    e.Edit->OnJump = [&](TObject*, Integer id) { jumps.push_back(id); };
    Integer left = 0, top = 0;
    ASSERT_TRUE(e.Edit->GetItemCoords(1, left, top));
    const int x = left - e.D().GetHOffset() + 8, y = top - e.D().GetVOffset() + 4;
    SendCtrl(e.W(), QEvent::KeyPress);
    ASSERT_NE(e.D().GetLayoutFlags() & vllfCollectJumps, 0);
    if (viaFocus) {
      QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
      QCoreApplication::sendEvent(e.W(), &out);
      EXPECT_EQ(e.D().GetLayoutFlags() & vllfCollectJumps, 0);
    }
    e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
    e.Edit->MouseUp(mbLeft, TShiftState{}, x, y);
    EXPECT_TRUE(jumps.empty());
    EXPECT_EQ(e.D().GetLayoutFlags() & vllfCollectJumps, 0);
    EXPECT_EQ(e.Edit->CurItemNo(), 1);
  }
}
