// The viewer control and the scrolling window under it: defaults, units and
// steps, the wheel, keys, auto-scroll, loading and saving.
#include "ViewerFixture.h"

#include "platform/base/Streams.h"
#include "support/TestSupport.h"

#include <QCursor>
#include <algorithm>

using namespace qytest;

namespace {

// A viewer with a tall document of numbered lines.
void FillLines(TViewer& v, int lines) {
  for (int i = 0; i < lines; ++i) v.Add("Line " + std::to_string(i) + " of a long journal entry");
  v.Format();
}

}  // namespace

TEST(ViewerControl, NewViewerDefaults) {
  TViewer v;
  TVellum fresh(nullptr);
  EXPECT_EQ(fresh.Options.ToMask(), 64805u);
  EXPECT_EQ(fresh.VLFOptions.ToMask(), 49219u);
  EXPECT_EQ(fresh.RTFOptions.ToMask(), 14u);
  EXPECT_EQ(fresh.LeftMargin, 5);
  EXPECT_EQ(fresh.RightMargin, 5);
  EXPECT_EQ(fresh.TopMargin, 5);
  EXPECT_EQ(fresh.BottomMargin, 5);
  EXPECT_EQ(fresh.GetWidth(), 100);
  EXPECT_EQ(fresh.GetHeight(), 40);
  EXPECT_EQ(fresh.GetBorderStyle(), bsSingle);
  EXPECT_EQ(fresh.GetColor(), clNone);
  EXPECT_EQ(fresh.Delimiters, " .;,:(){}\"/\\");
  EXPECT_EQ(fresh.WheelStep, 2);
  EXPECT_EQ(fresh.GetVSmallStep(), 10);
}

TEST(ViewerControl, WheelNotchInUnits) {
  // WheelStep x lines / 3, to the nearest integer (halves to even).
  const struct {
    Integer Step, Lines, Units;
  } cases[] = {{2, 1, 1}, {2, 3, 2}, {2, 6, 4}, {0, 3, 0}, {3, 1, 1}, {1, 1, 0}, {9, 1, 3}, {3, 5, 5}};
  for (const auto& c : cases)
    EXPECT_EQ(TVLScroller::WheelDelta(c.Step, c.Lines), c.Units) << c.Step << " " << c.Lines;
}

TEST(ViewerControl, ScrollUnitsClampAndEvents) {
  TViewer v;
  FillLines(v, 200);
  int scrolled = 0;
  v.View->OnVScrolled = [&](TObject*) { ++scrolled; };
  const Integer last = v.View->VMax - (v.View->VPage - 1);
  ASSERT_GT(last, 0);
  v.View->VScrollTo(last + 50, true);
  EXPECT_EQ(v.View->VPos, last);
  EXPECT_EQ(scrolled, 1);
  v.View->VScrollTo(last, true);
  EXPECT_EQ(scrolled, 1) << "no event for the same position";
  v.View->VScrollTo(-5, true);
  EXPECT_EQ(v.View->VPos, 0);
  // Without the bar the same limits hold.
  v.View->SetVScrollVisible(false);
  v.View->VScrollTo(last + 50, true);
  EXPECT_EQ(v.View->VPos, last);
  EXPECT_EQ(v.Data().GetVOffset(), last * v.View->GetVSmallStep());
}

TEST(ViewerControl, ScrollCodesKeysAndThumb) {
  TViewer v;
  FillLines(v, 200);
  const Integer page = v.View->ClientHeight() / v.View->GetVSmallStep();
  const struct {
    Word Key;
    Integer From, Expected;
  } keys[] = {{VK_DOWN, 0, 1}, {VK_NEXT, 0, page}, {VK_UP, 5, 4}, {VK_PRIOR, page + 3, 3}, {VK_HOME, 20, 0}};
  for (const auto& k : keys) {
    v.View->VScrollTo(k.From, false);
    Word key = k.Key;
    v.View->DoKeyDown(key, TShiftState());
    EXPECT_EQ(v.View->VPos, k.Expected) << k.Key;
  }
  v.View->VScrollTo(0, false);
  v.View->Tracking = false;
  int pos = 7;
  v.View->ScrollByCode(sbVertical, scTrack, pos);
  EXPECT_EQ(v.View->VPos, 0) << "thumb tracking off keeps the position";
  pos = 7;
  v.View->ScrollByCode(sbVertical, scPosition, pos);
  EXPECT_EQ(v.View->VPos, 7);
  v.View->Tracking = true;
  pos = 9;
  v.View->ScrollByCode(sbVertical, scTrack, pos);
  EXPECT_EQ(v.View->VPos, 9);
}

TEST(ViewerControl, ChildrenKeepTheirTrueTop) {
  TViewer v;
  FillLines(v, 300);
  TCustomControl child(nullptr);
  child.SetParent(v.View.get());
  child.SetBounds(10, 50, 20, 20);
  child.Tag = 50;
  v.View->ScrollChildren(0, -20050);
  EXPECT_EQ(child.Tag, -20000);
  EXPECT_EQ(child.GetTop(), -10000);
  v.View->ScrollChildren(0, 20000);
  EXPECT_EQ(child.GetTop(), 0);
  child.SetParent(nullptr);
}

TEST(ViewerControl, VerticalStepStaysWithinThumbRange) {
  TViewer v;
  // A document 400,000 pixels high: 400000 div 32000 = 12, and 400000 div
  // 12 is still above 32000, so the step becomes 13.
  v.Data().DocumentHeight = 400000;
  v.Data().AdjustVScrollStep();
  EXPECT_EQ(v.View->GetVSmallStep(), 13);
  // Steps whose range would reach 32001 units are refused, as are 0 and less.
  for (Integer bad : {0, -3, 12}) {
    v.View->SetVSmallStep(bad);
    EXPECT_EQ(v.View->GetVSmallStep(), 13) << bad;
  }
  v.Data().DocumentHeight = 3000;
  v.Data().AdjustVScrollStep();
  EXPECT_EQ(v.View->GetVSmallStep(), 10);
}

TEST(ViewerControl, AutoScrollStepsFromThePointer) {
  TViewer v;
  FillLines(v, 300);
  const Integer h = v.View->ClientHeight();
  const struct {
    int Y;
    Integer Step;
  } cases[] = {{-25, -10}, {-5, -1}, {10, 0}, {h + 5, 1}, {h + 25, 10}};
  for (const auto& c : cases) {
    v.View->MouseMove(TShiftState(), 10, c.Y);
    EXPECT_EQ(v.View->AutoScrollDY, c.Step) << c.Y;
  }
  // A left press starts the 100 ms timer; each tick moves by the step.
  v.View->VScrollTo(50, false);
  v.View->MouseDown(mbLeft, TShiftState{ssLeft}, 10, 10);
  EXPECT_TRUE(v.View->AutoScrollTimerOn());
  EXPECT_EQ(v.View->AutoScrollInterval(), 100u);
  v.View->MouseMove(TShiftState{ssLeft}, 10, -25);
  v.View->AutoScrollTick();
  EXPECT_EQ(v.View->VPos, 40);
  v.View->MouseUp(mbLeft, TShiftState(), 10, -25);
  EXPECT_FALSE(v.View->AutoScrollTimerOn());
}

// A scroll makes up a move where the pointer is, for what now lies under
// it; but not inside a move being handled (showing a cell's caret may
// scroll there): that move may be closing the very cell editor the scroll
// came from.
TEST(ViewerControl, AScrollInsideAMoveMakesUpNoMoveWithinIt) {
  TViewer v;
  FillLines(v, 300);
  const TPoint at = v.View->ClientToScreen(TPoint(10, 10));
  QCursor::setPos(at.X, at.Y);
  int moves = 0, depth = 0, deepest = 0;
  v.View->OnMouseMove = [&](TObject*, TShiftState, int, int) {
    ++moves;
    deepest = std::max(deepest, ++depth);
    if (moves == 1) v.View->VScrollTo(20, true);
    --depth;
  };
  v.View->MouseMove(TShiftState(), 10, 10);
  EXPECT_EQ(v.View->VPos, 20);
  EXPECT_EQ(deepest, 1) << "a move made up inside the move";
  moves = 0;
  v.View->VScrollTo(40, true);
  EXPECT_EQ(moves, 1) << "no move made up after a scroll";
}

TEST(ViewerControl, ClipboardShortcuts) {
  const struct {
    TShiftState Shift;
    Word Key;
    bool Copy, Cut, Paste;
  } cases[] = {
      {TShiftState{ssCtrl}, 'C', true, false, false},
      {TShiftState{ssCtrl, ssAlt}, 'C', false, false, false},
      {TShiftState{ssCtrl}, VK_INSERT, true, false, false},
      {TShiftState{ssShift}, VK_INSERT, false, false, true},
      {TShiftState{ssCtrl}, 'X', false, true, false},
      {TShiftState{ssShift}, VK_DELETE, false, true, false},
      {TShiftState{ssCtrl}, 'V', false, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TCustomVellum::IsCopyShortcut(c.Shift, c.Key), c.Copy) << c.Key;
    EXPECT_EQ(TCustomVellum::IsCutShortcut(c.Shift, c.Key), c.Cut) << c.Key;
    EXPECT_EQ(TCustomVellum::IsPasteShortcut(c.Shift, c.Key), c.Paste) << c.Key;
  }
}

TEST(ViewerControl, VLFRoundTripCarriesLayout) {
  TViewer source;
  source.Add("First paragraph");
  source.Add("Second paragraph");
  source.View->LeftMargin = 17;
  source.View->TopMargin = 9;
  source.View->VLFOptions.Include(vlfoSaveLayout);
  TMemoryStream stream;
  ASSERT_TRUE(source.View->SaveVLFToStream(stream, false));

  TViewer target;
  target.View->VLFOptions.Include(vlfoLoadLayout);
  stream.SetPosition(0);
  ASSERT_TRUE(target.View->LoadVLFFromStream(stream));
  EXPECT_EQ(target.View->ItemCount(), 2);
  EXPECT_EQ(target.View->LeftMargin, 17);
  EXPECT_EQ(target.View->TopMargin, 9);
  EXPECT_FALSE(target.View->LoadFailed());
}

TEST(ViewerControl, FailedLoadNeverSavesOverTheStoredDocument) {
  TViewer source;
  for (int i = 0; i < 20; ++i) source.Add("Paragraph number " + std::to_string(i));
  TMemoryStream good;
  ASSERT_TRUE(source.View->SaveVLFToStream(good, false));
  // Cut short in the middle: what was read stays visible, but the viewer
  // reports the failure and refuses every whole-document save.
  const AnsiString bytes(good.Memory(), static_cast<size_t>(good.GetSize() / 2));
  TMemoryStream damaged;
  damaged.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  damaged.SetPosition(0);
  TViewer v;
  EXPECT_FALSE(v.View->LoadVLFFromStream(damaged));
  EXPECT_TRUE(v.View->LoadFailed());
  TMemoryStream out;
  EXPECT_FALSE(v.View->SaveVLFToStream(out, false));
  EXPECT_EQ(out.GetSize(), 0);
  EXPECT_FALSE(v.View->SaveTextToStream(out, false, true));
  // Clearing (or a good load) ends the state.
  v.View->Clear();
  EXPECT_FALSE(v.View->LoadFailed());
  good.SetPosition(0);
  EXPECT_TRUE(v.View->LoadVLFFromStream(good));
  EXPECT_TRUE(v.View->SaveVLFToStream(out, false));
}

TEST(ViewerControl, TextFilesInAndOut) {
  TViewer v;
  qytest::TempDir dir;
  const String path = (dir / "viewer-text.txt").string();
  {
    TFileStream file(path, fmCreate);
    const AnsiString text = "first line\r\nsecond line\nthird";
    file.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
  }
  ASSERT_TRUE(v.View->LoadText(path, 0, 0, false));
  EXPECT_EQ(v.View->ItemCount(), 3);
  EXPECT_EQ(v.View->GetItemTextUtf8(1), "second line");
  TMemoryStream out;
  ASSERT_TRUE(v.View->SaveTextToStream(out, false, false));
  EXPECT_EQ(AnsiString(out.Memory(), static_cast<size_t>(out.GetSize())), "first line\r\nsecond line\r\nthird");
}
