// Selecting with the mouse and clicking hyperlinks in a viewer, driven by
// scripted presses, moves and releases.
#include "ViewerFixture.h"

using namespace qytest;

namespace {

struct TSel {
  Integer S, SO, E, EO;
};

TSel Selection(TViewer& v, bool normalize = false) {
  TSel s;
  v.View->GetSelectionBounds(s.S, s.SO, s.E, s.EO, normalize);
  return s;
}

void Drag(TViewer& v, TPoint from, TPoint to, TShiftState shift = TShiftState()) {
  TShiftState held = shift;
  held.Include(ssLeft);
  v.View->MouseDown(mbLeft, held, from.X, from.Y);
  v.View->MouseMove(held, to.X, to.Y);
  v.View->MouseUp(mbLeft, shift, to.X, to.Y);
}

}  // namespace

TEST(MouseSelection, ShiftClickExtendsFromTheAnchor) {
  TViewer v;
  v.Style.SelectionMode = vlsmChar;
  v.Add("alpha beta gamma delta");
  v.Format();
  Drag(v, v.At(0, 1), v.At(0, 6));
  TSel s = Selection(v);
  EXPECT_EQ(s.SO, 1);
  EXPECT_EQ(s.EO, 6);
  v.Click(v.At(0, 18), TShiftState{ssShift});
  s = Selection(v);
  EXPECT_EQ(s.SO, 1) << "the anchor stays";
  EXPECT_EQ(s.EO, 18);
  // Without a selection a Shift+click collapses at the click.
  v.View->Deselect();
  v.Click(v.At(0, 12), TShiftState{ssShift});
  s = Selection(v);
  EXPECT_EQ(s.SO, 12);
  EXPECT_EQ(s.EO, 12);
  EXPECT_FALSE(v.View->SelectionExists());
}

TEST(MouseSelection, WordModeSelectsWholeWords) {
  TViewer v;
  v.Style.SelectionMode = vlsmWord;
  v.Add("alpha beta gamma delta");
  v.Format();
  // Pressing inside "beta" and dragging into "gamma" selects both whole.
  Drag(v, v.At(0, 8), v.At(0, 14));
  const TSel s = Selection(v, true);
  EXPECT_EQ(s.SO, 7);
  EXPECT_EQ(s.EO, 17);
  EXPECT_EQ(v.View->GetSelText(), "beta gamma");
}

TEST(MouseSelection, DoubleClickedWordStaysAfterMouseUp) {
  TViewer v;
  v.Add("alpha beta gamma");
  v.Format();
  String clicked;
  v.View->OnVLDblClick = [&](TCustomVellum*, const String& word, Integer) { clicked = word; };
  const TPoint p = v.At(0, 8);
  // The toolkit's order: first press and release, then the double click
  // with the second press, then its release.
  v.Click(p);
  v.Data().DblClick(p.X, p.Y);
  v.View->MouseDown(mbLeft, TShiftState{ssLeft, ssDouble}, p.X, p.Y);
  v.View->MouseUp(mbLeft, TShiftState(), p.X, p.Y);
  EXPECT_EQ(clicked, "beta");
  EXPECT_EQ(v.View->GetSelText(), "beta");
  const TSel s = Selection(v, true);
  EXPECT_EQ(s.SO, 7);
  EXPECT_EQ(s.EO, 11);
}

TEST(MouseSelection, JumpFiresOnlyForPressAndReleaseOnTheSameJump) {
  TViewer v;
  TFontInfo* link = v.Style.TextStyles->Add();
  link->Jump = true;
  link->FontName = "Arial";
  link->Unicode = true;
  const Integer linkStyle = v.Style.TextStyles->Count() - 1;
  v.Add("Visit ");
  v.Add("the river", linkStyle, -1);
  v.Add(" and ", 0, -1);
  v.Add("the bridge", linkStyle, -1);
  v.Format();
  std::vector<Integer> jumps;
  v.View->OnJump = [&](TObject*, Integer id) { jumps.push_back(id); };
  const TPoint river = v.At(1, 3), bridge = v.At(3, 3), plain = v.At(0, 2);
  const struct {
    TPoint Down, Up;
    std::vector<Integer> Expected;
  } cases[] = {
      {river, river, {0}},
      {bridge, bridge, {1}},
      {river, plain, {}},
      {plain, river, {}},
      {river, bridge, {}},
  };
  for (const auto& c : cases) {
    jumps.clear();
    v.View->Deselect();
    v.View->MouseDown(mbLeft, TShiftState{ssLeft}, c.Down.X, c.Down.Y);
    v.View->MouseUp(mbLeft, TShiftState(), c.Up.X, c.Up.Y);
    EXPECT_EQ(jumps, c.Expected) << c.Down.X << "->" << c.Up.X;
  }
}

TEST(MouseSelection, RightClickCollapsesOnlyOutsideTheSelection) {
  TViewer v;
  v.Style.SelectionMode = vlsmChar;
  v.Add("alpha beta gamma delta");
  v.Format();
  const struct {
    Integer ClickOffs;
    bool Kept;
  } cases[] = {{3, true}, {15, false}};
  for (const auto& c : cases) {
    v.View->SetSelectionBounds(0, 1, 0, 6);
    v.Click(v.At(0, c.ClickOffs), TShiftState(), mbRight);
    EXPECT_EQ(v.View->SelectionExists(), c.Kept) << c.ClickOffs;
  }
}

TEST(MouseSelection, LeftMarginSelectsLines) {
  TViewer v;
  v.Add("first paragraph");
  v.Add("second paragraph");
  v.Format();
  v.View->MouseMove(TShiftState(), 2, v.At(0, 1).Y);
  EXPECT_EQ(v.View->GetCursor(), static_cast<TCursor>(v.Style.LineSelectCursor));
  Drag(v, TPoint(2, v.At(0, 1).Y), TPoint(2, v.At(1, 1).Y));
  EXPECT_EQ(v.View->GetSelText(), "first paragraph\r\nsecond paragraph");
}

TEST(MouseSelection, PressInsideTheSelectionAsksForADrag) {
  TViewer v;
  v.Style.SelectionMode = vlsmChar;
  v.Add("alpha beta gamma delta");
  v.Format();
  v.View->SetSelectionBounds(0, 7, 0, 11);
  const TPoint p = v.At(0, 9);
  v.View->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
  EXPECT_TRUE(v.Data().GetState() & vlstDragPending);
  EXPECT_EQ(v.View->GetSelText(), "beta") << "the selection is not moved";
  v.View->MouseUp(mbLeft, TShiftState(), p.X, p.Y);
  // With dragging disallowed the press places the selection instead.
  v.Data().SetState(v.Data().GetState() & ~vlstDragPending);
  v.View->Options.Include(vloDisallowDrag);
  v.Click(p);
  EXPECT_FALSE(v.View->SelectionExists());
}

TEST(MouseSelection, HoverReportsTheJumpUnderThePointer) {
  TViewer v;
  TFontInfo* link = v.Style.TextStyles->Add();
  link->Jump = true;
  link->Unicode = true;
  v.Add("Go ");
  v.Add("home", v.Style.TextStyles->Count() - 1, -1);
  v.Format();
  std::vector<Integer> moves;
  v.View->OnVLMouseMove = [&](TObject*, Integer id) { moves.push_back(id); };
  v.View->MouseMove(TShiftState(), v.At(1, 2).X, v.At(1, 2).Y);
  v.View->MouseMove(TShiftState(), v.At(1, 3).X, v.At(1, 3).Y);
  EXPECT_EQ(v.View->GetCursor(), static_cast<TCursor>(link->JumpCursor));
  v.View->MouseMove(TShiftState(), v.At(0, 2).X, v.At(0, 2).Y);
  EXPECT_EQ(moves, (std::vector<Integer>{0, -1}));
}

TEST(MouseSelection, TabWalksTheHyperlinksAndEnterFollowsOne) {
  TViewer v;
  TFontInfo* link = v.Style.TextStyles->Add();
  link->Jump = true;
  link->Unicode = true;
  const Integer linkStyle = v.Style.TextStyles->Count() - 1;
  v.Add("See ");
  const Integer first = v.Add("the river", linkStyle, -1);
  v.Add(" or ", 0, -1);
  const Integer second = v.Add("the bridge", linkStyle, -1);
  v.Format();
  std::vector<Integer> jumps;
  v.View->OnJump = [&](TObject*, Integer id) { jumps.push_back(id); };
  auto key = [&](Word k, TShiftState shift = TShiftState()) { v.View->DoKeyDown(k, shift); };
  key(VK_TAB);
  EXPECT_EQ(v.Data().FocusedItem, first);
  EXPECT_TRUE(v.Data().FocusFrameShown);
  key(VK_TAB);
  EXPECT_EQ(v.Data().FocusedItem, second);
  key(VK_RETURN);
  EXPECT_EQ(jumps, std::vector<Integer>{1});
  key(VK_TAB, TShiftState{ssShift});
  EXPECT_EQ(v.Data().FocusedItem, first);
  // Past the last link, with no other control to go to, the walk starts over.
  key(VK_TAB);
  key(VK_TAB);
  EXPECT_EQ(v.Data().FocusedItem, first);
  EXPECT_TRUE(v.Data().FocusFrameShown);
  // A deselect erases the frame.
  v.View->Deselect();
  EXPECT_FALSE(v.Data().FocusFrameShown);
}
