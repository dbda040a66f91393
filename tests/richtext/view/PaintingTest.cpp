// Painting a laid-out document: selection pieces at the measured places,
// selection colours by focus, marks and paragraph backgrounds.
#include "ViewerFixture.h"

#include "LayoutTestSupport.h"

#include "platform/gui/GfxColors.h"

#include <vector>

using namespace qytest;

namespace {

struct TDrawn {
  AnsiString Text;
  Integer Left, Top;
  bool Selected;
};

// Records every text piece the painter hands to the style sheet.
std::vector<TDrawn> Record(TViewer& v) {
  std::vector<TDrawn> drawn;
  v.Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer left,
                                Integer top, Integer, Integer, TVLTextDrawStates state, bool&) {
    drawn.push_back({s, left, top, state.Contains(vltsSelected)});
  };
  TBitmap image(400, 300);
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, 400, 300), TVLPaintInfo());
  v.Style.OnDrawStyleText = nullptr;
  return drawn;
}

TColor PixelAfterPaint(TViewer& v, Integer x, Integer y) {
  TBitmap image(400, 300);
  v.View->PaintTo(image.Canvas());
  return image.Canvas()->GetPixel(x, y);
}

}  // namespace

TEST(Painting, SelectionInsideOneDrawItemDrawsTheTextTwice) {
  TViewer v;
  v.Add("Hello wonderful world");
  v.Format();
  ASSERT_EQ(v.Data().DrawItems.Count(), 1);
  // Characters 7..15 ("wonderful") are selected.
  v.View->SetSelectionBounds(0, 7, 0, 16);
  const std::vector<TDrawn> drawn = Record(v);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].Text, Raw(u"Hello wonderful world"));
  EXPECT_FALSE(drawn[0].Selected);
  EXPECT_EQ(drawn[1].Text, Raw(u"wonderful"));
  EXPECT_TRUE(drawn[1].Selected);
  const Integer prefix = VLTextPrefixWidth(v.Data(), v.Data().GetCanvas(), 0, 7);
  EXPECT_GT(prefix, 0);
  EXPECT_EQ(drawn[1].Left, v.DI(0).Left + prefix);

  // Pixel probe: the selection colour starts exactly at the measured prefix.
  v.Style.SelColor = v.Style.InactiveSelColor = 0x0000FF;
  v.Style.SelTextColor = v.Style.InactiveSelTextColor = clWhite;
  const Integer x = v.DI(0).Left + prefix, y = v.DI(0).Top + 1;
  EXPECT_EQ(ColorToRGB(PixelAfterPaint(v, x + 1, y)), 0x0000FF);
  EXPECT_NE(ColorToRGB(PixelAfterPaint(v, x - 2, y)), 0x0000FF);
}

TEST(Painting, WholeAndEmptySelections) {
  TViewer v;
  v.Add("one two");
  v.Add("three");
  v.Format();
  // The whole first draw item and part of the second.
  v.View->SetSelectionBounds(0, 1, 1, 3);
  std::vector<TDrawn> drawn = Record(v);
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_TRUE(drawn[0].Selected);
  EXPECT_FALSE(drawn[1].Selected);
  EXPECT_EQ(drawn[2].Text, Raw(u"th"));
  EXPECT_TRUE(drawn[2].Selected);
  EXPECT_EQ(drawn[2].Left, v.DI(1).Left);
  // A collapsed selection paints nothing selected.
  v.View->SetSelectionBounds(0, 3, 0, 3);
  drawn = Record(v);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_FALSE(drawn[0].Selected || drawn[1].Selected);
}

namespace {
// A picture that remembers the state it was last painted in.
class TProbePicture : public TVLGraphicItemInfo {
public:
  using TVLGraphicItemInfo::TVLGraphicItemInfo;
  void Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
             TCustomVLData* vlData) override {
    Painted = state;
  }
  TVLTextDrawStates Painted;
};
}  // namespace

TEST(Painting, PictureSelectedOnlyWhenCovered) {
  TViewer v;
  v.Add("before ");
  auto* pic = new TProbePicture(v.View->VLData());
  pic->StyleNo = vlsPicture;
  pic->ParaNo = -1;
  pic->ImageWidth = 40;
  pic->ImageHeight = 20;
  v.View->AddItem("", pic);
  v.Add(" after", 0, -1);
  v.Format();
  // Ending at offset 0 of the picture or starting at its offset 1 leaves it
  // unselected; covering it selects it.
  const struct {
    Integer S, SO, E, EO;
    bool Selected;
  } cases[] = {{0, 1, 1, 0, false}, {1, 1, 2, 3, false}, {0, 1, 1, 1, true}, {1, 0, 2, 1, true}};
  for (const auto& c : cases) {
    v.View->SetSelectionBounds(c.S, c.SO, c.E, c.EO);
    Record(v);
    EXPECT_EQ(pic->Painted.Contains(vltsSelected), c.Selected) << c.S << "/" << c.SO << "-" << c.E << "/" << c.EO;
  }
}

TEST(Painting, FocusChoosesTheSelectionColour) {
  TViewer v;
  v.Add("Selected words here");
  v.Format();
  v.View->SetSelectionBounds(0, 1, 0, 9);
  v.Style.SelColor = 0x00FF00;
  v.Style.InactiveSelColor = 0xFF0000;
  v.Style.SelTextColor = v.Style.InactiveSelTextColor = clWhite;
  TBitmap image(400, 300);
  TVLPaintInfo focused;
  focused.Focused = true;
  const Integer x = v.DI(0).Left + 2, y = v.DI(0).Top + 1;
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, 400, 300), focused);
  EXPECT_EQ(ColorToRGB(image.Canvas()->GetPixel(x, y)), 0x00FF00);
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, 400, 300), TVLPaintInfo());
  EXPECT_EQ(ColorToRGB(image.Canvas()->GetPixel(x, y)), 0xFF0000);
}

TEST(Painting, ParagraphBackgroundOnlyWhenSomethingToDraw) {
  TViewer v;
  v.Add("plain paragraph");
  TParaInfo* p = v.Style.ParaStyles->Add();
  p->Background.Color = 0x00FFFF;
  const Integer coloured = v.Style.ParaStyles->Count() - 1;
  v.Add("yellow paragraph", 0, coloured);
  v.Format();
  int paraBacks = 0;
  v.Style.OnDrawParaBack = [&](TVLStyle*, TCanvas*, Integer paraNo, TRect&, bool&) { ++paraBacks; };
  TBitmap image(400, 300);
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, 400, 300), TVLPaintInfo());
  EXPECT_EQ(paraBacks, 2) << "with the hook set every paragraph is offered";
  v.Style.OnDrawParaBack = nullptr;
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, 400, 300), TVLPaintInfo());
  EXPECT_EQ(ColorToRGB(image.Canvas()->GetPixel(v.DI(1).Left + 1, v.DI(1).Top + 1)), 0x00FFFF);
  EXPECT_NE(ColorToRGB(image.Canvas()->GetPixel(v.DI(0).Left + 1, v.DI(0).Top + 1)), 0x00FFFF);
}

TEST(Painting, SpecialCharacterMarksFollowTheReadingOrder) {
  TViewer v;
  v.Add("left to right");
  TParaInfo* p = v.Style.ParaStyles->Add();
  p->BiDiMode = vlbdRightToLeft;
  v.Add("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", 0, v.Style.ParaStyles->Count() - 1);
  v.View->Options.Include(vloShowSpecialCharacters);
  v.Format();
  TBitmap image(400, 300);
  // The marks are drawn outside the style sheet's text hook: find them by
  // their ink left or right of the pieces.
  VLPaintTo(v.Data(), image.Canvas(), TRect(0, 0, 400, 300), TVLPaintInfo());
  auto inkBetween = [&](Integer x0, Integer x1, Integer top, Integer bottom) {
    for (Integer x = std::max<Integer>(0, x0); x < x1; ++x)
      for (Integer y = top; y < bottom; ++y)
        if (ColorToRGB(image.Canvas()->GetPixel(x, y)) != ColorToRGB(v.Style.Color)) return true;
    return false;
  };
  const TVLDrawLineInfo& ltr = v.DI(0);
  const TVLDrawLineInfo& rtl = v.DI(1);
  EXPECT_TRUE(inkBetween(ltr.Left + ltr.Width, ltr.Left + ltr.Width + 12, ltr.Top, ltr.Top + ltr.Height));
  EXPECT_TRUE(inkBetween(rtl.Left - 12, rtl.Left, rtl.Top, rtl.Top + rtl.Height));
}

TEST(Painting, PartlySelectedRightToLeftTextIsHighlightedWhereItsCharactersStand) {
  TViewer v;
  TParaInfo* p = v.Style.ParaStyles->Add();
  p->BiDiMode = vlbdRightToLeft;
  // Two Hebrew words; the first (logically) reads at the right.
  v.Add("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D", 0, v.Style.ParaStyles->Count() - 1);
  v.Format();
  ASSERT_EQ(v.Data().DrawItems.Count(), 1);
  v.Style.SelColor = v.Style.InactiveSelColor = 0x0000FF;
  v.Style.SelTextColor = v.Style.InactiveSelTextColor = 0x0000FF;
  const TVLDrawLineInfo& d = v.DI(0);
  auto selectedAt = [&](Integer x) {
    return ColorToRGB(PixelAfterPaint(v, x, d.Top + d.Height / 2)) == 0x0000FF;
  };
  // Characters 1..4 (the first word) are selected.
  v.View->SetSelectionBounds(0, 1, 0, 5);
  EXPECT_TRUE(selectedAt(d.Left + d.Width - 3));
  EXPECT_FALSE(selectedAt(d.Left + 3));
  // Characters 6..9 (the second word) are selected.
  v.View->SetSelectionBounds(0, 6, 0, 10);
  EXPECT_TRUE(selectedAt(d.Left + 3));
  EXPECT_FALSE(selectedAt(d.Left + d.Width - 3));
}

TEST(Painting, BreaksAreDrawnAcrossTheTextWidth) {
  TViewer v;
  v.Add("above");
  auto* rule = new TVLBreakItemInfo(v.View->VLData());
  rule->StyleNo = vlsBreak;
  rule->ParaNo = 0;
  rule->LineWidth = 3;
  rule->Color = 0x00FF00;
  v.View->AddItem("", rule);
  v.Add("below");
  v.Format();
  const TVLDrawLineInfo& d = v.DI(1);
  // The rule stands 5 pixels inside the text width, 5 below the break's top.
  const Integer y = d.Top + 5, right = v.View->ClientWidth() - v.View->RightMargin;
  for (Integer x : {v.View->LeftMargin + 6, v.View->ClientWidth() / 2, right - 6})
    EXPECT_EQ(ColorToRGB(PixelAfterPaint(v, x, y)), 0x00FF00) << x;
  for (Integer x : {v.View->LeftMargin + 3, right - 3})
    EXPECT_NE(ColorToRGB(PixelAfterPaint(v, x, y)), 0x00FF00) << x;
  EXPECT_NE(ColorToRGB(PixelAfterPaint(v, v.View->ClientWidth() / 2, y - 4)), 0x00FF00);
}

TEST(Painting, XorFigureIsAnOverlayShownOrNot) {
  TViewer v;
  v.Add("text under the line");
  v.Format();
  TVLControlData& data = v.Data();
  const TObject owner, stranger;
  data.AssignXorDrawing(&owner, [](TCustomVLFormattedData*, TCanvas* c, Integer x, Integer) {
    c->Brush.Style = bsSolid;
    c->Brush.Color = 0xFF0000;
    c->FillRect(TRect(x, 0, x + 1, 300));
  });
  EXPECT_TRUE(data.UsesXorDrawing(&owner));
  EXPECT_FALSE(data.UsesXorDrawing(&stranger));
  data.XorDrawAt(120, 0);
  EXPECT_EQ(ColorToRGB(PixelAfterPaint(v, 120, 150)), 0xFF0000);
  // Drawn again: erased.
  data.XorDraw();
  EXPECT_NE(ColorToRGB(PixelAfterPaint(v, 120, 150)), 0xFF0000);
  data.XorDrawAt(200, 0);
  EXPECT_EQ(ColorToRGB(PixelAfterPaint(v, 200, 150)), 0xFF0000);
  // Only its owner takes the figure away.
  data.UnAssignXorDrawing(&stranger);
  EXPECT_EQ(ColorToRGB(PixelAfterPaint(v, 200, 150)), 0xFF0000);
  EXPECT_TRUE(data.ClearXorDrawing());
  EXPECT_FALSE(data.ClearXorDrawing());
  data.XorDrawAt(60, 0);
  data.UnAssignXorDrawing(&owner);
  EXPECT_FALSE(data.XorDrawn);
  EXPECT_NE(ColorToRGB(PixelAfterPaint(v, 60, 150)), 0xFF0000);
}

TEST(Painting, DropCaretFollowsThePointer) {
  TViewer v;
  v.Add("drop here please");
  v.Format();
  TVLControlData& data = v.Data();
  // Without a drag hovering there is no caret to move.
  data.SetDragDropCaretTo(20, 10);
  EXPECT_FALSE(data.DragDropCaret);
  data.DragDropCaret = std::make_unique<TVLDragDropCaretInfo>();
  const TPoint p = v.At(0, 6);
  data.SetDragDropCaretTo(p.X + 1, p.Y);
  ASSERT_TRUE(data.DragDropCaret->VLData);
  EXPECT_EQ(data.DragDropCaret->ItemNo, 0);
  EXPECT_EQ(data.DragDropCaret->ItemOffs, 6);
  EXPECT_EQ(data.DragDropCaret->X, p.X);
  // The dashes are painted into the view at the caret, on its even rows.
  const TColor dash = PixelAfterPaint(v, p.X + 1, v.DI(0).Top);
  data.RemoveDragDropCaret();
  EXPECT_NE(PixelAfterPaint(v, p.X + 1, v.DI(0).Top), dash);
}

TEST(Painting, ComputedPageBreaksAreDrawnAboveTheirLines) {
  TViewer v;
  for (int i = 0; i < 12; ++i) v.Add("line " + std::to_string(i));
  v.Format();
  v.Style.SoftPageBreakColor = 0x0000FF;
  auto list = std::make_unique<TVLSoftPageBreakList>();
  // Before everything (never drawn), before line 5, and 3 pixels into line 8
  // as if it were an item split over pages.
  list->Items = {{0, v.View->GetItemStartOffset(0), -1}, {5, v.View->GetItemStartOffset(5), -1},
                 {8, v.View->GetItemStartOffset(8), 3}};
  v.Data().SoftPageBreaks = std::move(list);
  const Integer x = v.View->ClientWidth() / 2;
  const Integer above5 = v.DI(v.View->GetItem(5)->DrawItemNo).Top - 1;
  const Integer inPicture = v.DI(v.View->GetItem(8)->DrawItemNo).Top + 3 - 1;
  const Integer above0 = v.DI(0).Top - 1;
  struct TCase {
    bool Show;
    Integer Y;
    bool Red;
  } cases[] = {{true, above5, true}, {true, inPicture, true}, {true, above0, false}, {false, above5, false}};
  for (const TCase& c : cases) {
    if (c.Show)
      v.View->Options.Include(vloShowPageBreaks);
    else
      v.View->Options.Exclude(vloShowPageBreaks);
    EXPECT_EQ(ColorToRGB(PixelAfterPaint(v, x, c.Y)) == 0x0000FF, c.Red) << c.Y << " " << c.Show;
  }
  v.View->Options.Include(vloShowPageBreaks);
  EXPECT_TRUE(v.View->ClearSoftPageBreaks());
  EXPECT_NE(ColorToRGB(PixelAfterPaint(v, x, above5)), 0x0000FF);
}
