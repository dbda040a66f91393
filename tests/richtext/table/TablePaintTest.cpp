// Painting a 3 x 3 table onto an image: borders in their styles, grid lines
// only in an editor, rules, cell colours, the border hook.
#include "TableTestSupport.h"

#include "richtext/editor/EditorFixture.h"
#include "richtext/view/LayoutTestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr TColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Magenta = 0xFF00FF, Yellow = 0x00FFFF;
constexpr Integer Left = 10, Top = 10;

struct TPainted {
  QImage Image{400, 300, QImage::Format_RGB32};
  bool Is(Integer x, Integer y, TColor color) const {
    const TColor rgb = ColorToRGB(color);
    return Image.pixel(x, y) == qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  }
  // Pixels of a colour along a horizontal run.
  int CountH(Integer x1, Integer x2, Integer y, TColor color) const {
    int n = 0;
    for (Integer x = x1; x < x2; ++x) n += Is(x, y, color);
    return n;
  }
  int CountAll(TColor color) const {
    int n = 0;
    for (Integer y = 0; y < Image.height(); ++y) n += CountH(0, Image.width(), y, color);
    return n;
  }
};

void Paint(TVLTableItemInfo& t, TVLStyle& style, TPainted& out, TVLTextDrawStates state = {}) {
  out.Image.fill(Qt::white);
  t.Layout(300, true, nullptr);
  TCanvas canvas(&out.Image);
  t.PaintFullWidth(Left, Left + 300, Top, &canvas, state, &style, TRect(0, 0, 400, 300), t.GetVLData());
  canvas.ReleaseHandle();
}

TVLTableItemInfo* AddTable(TCustomVLData& doc) {
  auto t = TVLTableItemInfo::CreateEx(3, 3, &doc);
  TVLTableItemInfo* raw = t.get();
  doc.AddItem("", t.release());
  raw->Color = clNone;
  return raw;
}

struct TablePaint : ::testing::Test {
  TablePaint() : Viewer(&ViewerStyle) {
    qytest::ResetStylesForLayout(ViewerStyle);
    VLRegisterTableItem();
  }
  TVLStyle ViewerStyle{nullptr};
  qytest::TTestLayoutData Viewer;
  qytest::TEditor Editor;
};

TEST_F(TablePaint, GridLinesOnlyInAnEditor) {
  struct Case {
    const char* name;
    bool editor, hideGrid;
    bool grid;
  };
  for (const Case& c : {Case{"editor", true, false, true}, Case{"viewer", false, false, false},
                        Case{"editor, grid hidden", true, true, false}}) {
    SCOPED_TRACE(c.name);
    TVLTableItemInfo* t = AddTable(c.editor ? static_cast<TCustomVLData&>(Editor.D()) : Viewer);
    if (c.hideGrid) t->Options.Include(vltoHideGridLines);
    TPainted p;
    Paint(*t, c.editor ? Editor.Style : ViewerStyle, p);
    EXPECT_EQ(p.CountH(Left, Left + t->GetWidth(), Top, clBtnFace) > 0, c.grid);
    for (Integer r = 0; r < 3; ++r)
      for (Integer col = 0; col < 3; ++col) {
        TVLTableCellData* cell = t->GetCell(r, col);
        EXPECT_EQ(p.CountH(Left + cell->Left, Left + cell->Left + cell->Width, Top + cell->Top, clBtnFace) > 0, c.grid)
            << r << "," << col;
      }
    if (!c.grid) {
      EXPECT_EQ(p.CountAll(clBtnFace), 0);
    }
  }
}

TEST_F(TablePaint, BordersInTheirStylesAndHiddenSidesAsGrid) {
  for (bool editor : {true, false}) {
    SCOPED_TRACE(editor ? "editor" : "viewer");
    TVLTableItemInfo* t = AddTable(editor ? static_cast<TCustomVLData&>(Editor.D()) : Viewer);
    t->BorderWidth = 2;
    t->BorderStyle = vltbColor;
    t->BorderColor = Red;
    t->CellBorderWidth = 1;
    t->CellBorderStyle = vltbRaisedColor;
    t->CellBorderLightColor = Green;
    t->CellBorderColor = Blue;
    t->GetCell(1, 1)->VisibleBorders.Top = false;
    TPainted p;
    Paint(*t, editor ? Editor.Style : ViewerStyle, p);
    // The outer border: two red rings.
    EXPECT_TRUE(p.Is(Left, Top + 20, Red));
    EXPECT_TRUE(p.Is(Left + 1, Top + 20, Red));
    EXPECT_TRUE(p.Is(Left + t->GetWidth() - 1, Top + 20, Red));
    EXPECT_FALSE(p.Is(Left + 2, Top + 20, Red));
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        const Integer x = Left + cell->Left, y = Top + cell->Top;
        // Raised in colours: light on the left and top, dark on the right and bottom.
        EXPECT_TRUE(p.Is(x - 1, y + 3, Green)) << r << "," << c;
        EXPECT_TRUE(p.Is(x + cell->Width, y + 3, Blue)) << r << "," << c;
        EXPECT_TRUE(p.Is(x + 3, y + cell->Height, Blue)) << r << "," << c;
        if (r == 1 && c == 1) {
          EXPECT_EQ(p.CountH(x, x + cell->Width, y - 1, Green), 0);
          EXPECT_EQ(p.CountH(x, x + cell->Width, y - 1, clBtnFace) > 0, editor);
        } else {
          EXPECT_TRUE(p.Is(x + 3, y - 1, Green)) << r << "," << c;
        }
      }
  }
}

TEST_F(TablePaint, BorderHookCanReplaceEveryBorder) {
  TVLTableItemInfo* t = AddTable(Editor.D());
  t->BorderWidth = 2;
  t->BorderStyle = vltbColor;
  t->BorderColor = Red;
  t->GetCell(0, 0)->VisibleBorders.Left = false;
  std::vector<std::pair<Integer, Integer>> calls;
  t->OnDrawBorder = [&](TVLTableItemInfo*, TCanvas*, Integer, Integer, Integer, Integer, Integer, TColor, TColor,
                        TColor, TVLTableBorderStyle, bool printing, const TVLBooleanRect* visible, Integer row,
                        Integer col, bool& doDefault) {
    EXPECT_FALSE(printing);
    EXPECT_EQ(visible == nullptr, row < 0);
    calls.emplace_back(row, col);
    doDefault = false;
  };
  TPainted p;
  Paint(*t, Editor.Style, p);
  ASSERT_EQ(calls.size(), 10u);
  EXPECT_EQ(calls[0], std::make_pair(-1, -1));
  EXPECT_EQ(p.CountAll(Red), 0);
  EXPECT_EQ(p.CountAll(clBtnFace), 0);
}

TEST_F(TablePaint, RulesAndCellColours) {
  TVLTableItemInfo* t = AddTable(Viewer);
  t->VRuleWidth = 1;
  t->VRuleColor = Magenta;
  t->HRuleWidth = 3;
  t->HRuleColor = Blue;
  t->GetCell(2, 2)->Color = Yellow;
  TPainted p;
  Paint(*t, ViewerStyle, p);
  const auto& F = t->FormattingInfo;
  for (Integer j = 1; j < 3; ++j) {
    const Integer x = Left + F.ColStarts[static_cast<size_t>(j)] - (t->CellHSpacing + 1) / 2;
    EXPECT_TRUE(p.Is(x, Top + t->GetCell(0, 0)->Top + 2, Magenta)) << j;
  }
  const Integer y = Top + F.RowStarts[1] - (t->CellVSpacing + 1) / 2;
  for (Integer dy : {-1, 0, 1}) EXPECT_TRUE(p.Is(Left + 4, y + dy, Blue)) << dy;
  EXPECT_FALSE(p.Is(Left + 4, y + 2, Blue));
  TVLTableCellData* yellow = t->GetCell(2, 2);
  EXPECT_TRUE(p.Is(Left + yellow->Left + yellow->Width - 2, Top + yellow->Top + yellow->Height - 2, Yellow));
  // The whole table selected, without the focus: the inactive selection colour.
  ViewerStyle.InactiveSelColor = Green;
  Paint(*t, ViewerStyle, p, TVLTextDrawStates{vltsSelected});
  TVLTableCellData* first = t->GetCell(0, 0);
  EXPECT_TRUE(p.Is(Left + first->Left + first->Width - 2, Top + first->Top + first->Height - 2, Green));
}

TEST_F(TablePaint, ClipOverTheLowerPartPaintsFromTheRowAbove) {
  TVLTableItemInfo* t = AddTable(Viewer);
  ASSERT_TRUE(t->MergeCells(0, 0, 1, 3));
  for (Integer r = 0; r < 3; ++r) t->GetCell(r, 2)->Color = Yellow;
  t->GetCell(0, 0)->Color = Green;
  t->Layout(300, true, nullptr);
  TPainted p;
  p.Image.fill(Qt::white);
  TCanvas canvas(&p.Image);
  // The clip starts inside row 2: rows 0 and 1 are not painted, the merged
  // cell that reaches into row 2 is.
  const Integer clipTop = Top + t->GetCell(2, 2)->Top + 2;
  const TRect clip(0, clipTop, 400, 300);
  t->PaintFullWidth(Left, Left + 300, Top - clipTop, &canvas, {}, &ViewerStyle, clip, &Viewer);
  canvas.ReleaseHandle();
  EXPECT_GT(p.CountAll(Green), 0);
  EXPECT_TRUE(p.Is(Left + t->GetCell(2, 2)->Left + 2, 0, Yellow));
}

}  // namespace
