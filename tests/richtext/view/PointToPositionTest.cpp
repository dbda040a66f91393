// A point in document coordinates to a draw item and the offset in it.
#include "LayoutFixture.h"

#include "richtext/view/VLItemFormattedData.h"

using namespace qytest;

TEST(PointToPosition, TextLines) {
  TLayoutDoc d;
  d.Text("aaaa bbbb cccc dd");
  d.Format();
  // Lines: "aaaa bbbb" at (5, 5), 63 wide; "cccc dd" at (5, 18), 49 wide.
  struct TCase {
    Integer X, Y;
    bool Strict;
    Integer DrawItem, Offs;
  };
  const TCase cases[] = {
      {0, 10, false, 0, 1},     // left of the first line
      {0, 20, false, 1, 1},     // left of the second line
      {200, 10, false, 0, 10},  // right of the first line
      {29, 10, false, 0, 4},    // 24 pixels in: nearest edge after three characters
      {8, 10, false, 0, 1},     // a tie-free point near the start
      {10, 500, false, 1, 2},   // below the document: the last line
      {10, 0, false, 0, 2},     // above the document: the first line
      {29, 10, true, 0, 4},
      {200, 10, true, -1, -1},  // strict: nothing there
  };
  for (const TCase& c : cases) {
    Integer n = -2, offs = -2;
    d.Data.FindDrawItemForSel(c.X, c.Y, n, offs, c.Strict);
    EXPECT_EQ(n, c.DrawItem) << c.X << "," << c.Y;
    EXPECT_EQ(offs, c.Offs) << c.X << "," << c.Y;
  }
  // The piece under a point (what a press reaches): a row two lines share
  // is the lower one's top, as the selection finds it.
  struct TPiece {
    Integer X, Y, DrawItem;
  };
  const TPiece pieces[] = {
      {29, 10, 0}, {29, 20, 1}, {200, 20, -1},
      {29, 18, 1},   // the second line's top row
      {60, 18, -1},  // past its end, under the first line's end
      {29, 31, 1},   // the last line's bottom row
  };
  for (const TPiece& c : pieces) EXPECT_EQ(d.Data.FindDrawItemAtPoint(c.X, c.Y), c.DrawItem) << c.X << "," << c.Y;
}

TEST(PointToPosition, PicturesMarkersAndDirections) {
  struct TCase {
    TVLBiDiMode Mode;
    Integer DX;  // from the picture's left edge
    Integer DY;  // from its top; 30 is below the document's end
    Integer Offs;
  };
  // The picture is 22 pixels wide (20 and its spacing).
  const TCase cases[] = {{vlbdUnspecified, 3, 2, 0}, {vlbdUnspecified, 15, 2, 1}, {vlbdRightToLeft, 3, 2, 1},
                         {vlbdRightToLeft, 15, 2, 0}, {vlbdUnspecified, 3, 30, 1}, {vlbdRightToLeft, 15, 30, 1}};
  for (const TCase& c : cases) {
    TLayoutDoc d;
    d.Picture(20, 10, d.Para(vlaLeft, 100, vllsPercent, c.Mode));
    d.Format();
    Integer n, offs;
    d.Data.FindDrawItemForSel(d.DI(0).Left + c.DX, d.DI(0).Top + c.DY, n, offs, false);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(offs, c.Offs) << c.Mode << " " << c.DX << " " << c.DY;
  }
  // A click on a marker lands at the start of its text.
  TLayoutDoc d;
  d.Marker();
  d.Text("abc", 0, -1);
  d.Format();
  Integer n, offs;
  d.Data.FindDrawItemForSel(d.DI(0).Left + 2, d.DI(0).Top + 2, n, offs, false);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(offs, 1);
  // A point left of a right-to-left line: its leftmost piece, which is the
  // line's last one.
  TLayoutDoc r;
  const Integer p = r.Para(vlaLeft, 100, vllsPercent, vlbdRightToLeft);
  r.Wide(u"\u05D0\u05D1", 0, p);
  r.Wide(u"\u05D2\u05D3", 0, -1);
  r.Format();
  r.Data.FindDrawItemForSel(0, 8, n, offs, false);
  EXPECT_EQ(n, 1);
}

TEST(PointToPosition, SelectionConversions) {
  TLayoutDoc d;
  d.Text("aaaa bbbb cccc dd");
  d.Picture(10, 10);
  d.Format();
  struct TCase {
    Integer Item, Offs, DrawItem, DrawOffs;
  };
  // The boundary between two pieces of one item belongs to the earlier one.
  const TCase cases[] = {{0, 1, 0, 1}, {0, 10, 0, 10}, {0, 11, 1, 1}, {0, 12, 1, 2},
                         {1, 0, 2, 0}, {1, 1, 2, 1},   {-1, 0, -1, -1}};
  for (const TCase& c : cases) {
    Integer n, o;
    d.Data.Item2DrawItem(c.Item, c.Offs, n, o);
    EXPECT_EQ(n, c.DrawItem) << c.Item << ":" << c.Offs;
    EXPECT_EQ(o, c.DrawOffs) << c.Item << ":" << c.Offs;
    if (n < 0) continue;
    Integer i, io;
    d.Data.DrawItem2Item(n, o, i, io);
    EXPECT_EQ(i, c.Item);
    EXPECT_EQ(io, c.Offs);
  }
  d.Data.SelStartDrawItem = d.Data.SelEndDrawItem = 0;
  d.Data.SelStartOffs = 5;
  d.Data.SelEndOffs = 2;
  Integer sn, so, en, eo;
  d.Data.GetDrawItemSelBounds(true, sn, so, en, eo);
  EXPECT_EQ(std::vector<Integer>({sn, so, en, eo}), std::vector<Integer>({0, 2, 0, 5}));
  Integer first, last;
  d.Data.GetLineBounds(2, first, last);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 2);
  EXPECT_EQ(d.Data.FindDrawItemByItem(1), 2);
  EXPECT_EQ(d.Data.FindDrawItemByItem(-1), -1);
}

namespace {

class TCellList : public TVLDataList {
public:
  explicit TCellList(TCustomVLData* parent) : Parent(parent) {}
  TCustomVLData* GetParentData() override { return Parent; }
  TCustomVLData* Parent;
};

class TCell : public TVLItemFormattedData {
public:
  using TVLItemFormattedData::TVLItemFormattedData;
  ~TCell() override { Clear(); }
  Integer GetWidth() override { return 40; }
  Integer GetHeight() override { return 0; }
  TColor GetColor() override { return clNone; }
};

}  // namespace

TEST(NestedDocument, AnswersForItselfAndDefersTheRest) {
  TLayoutDoc outer;
  TCellList list(&outer.Data);
  TCell cell(&list);
  cell.Measurer = &outer.M;
  for (int i = 0; i < 5; ++i) cell.AddTextItem("ab cd", 0, 0);
  cell.Format(false, true, false, 0, nullptr, false, false);
  EXPECT_EQ(cell.GetLeftMargin() + cell.GetTopMargin() + cell.GetRightMargin() + cell.GetBottomMargin(), 0);
  EXPECT_EQ(cell.GetStyle(), &outer.Style);
  EXPECT_EQ(cell.GetRootData(), &outer.Data);
  EXPECT_EQ(cell.GetLayoutFlags(), 18);
  EXPECT_THROW(cell.SetLayoutFlags(0), EVellumError);
  EXPECT_EQ(cell.GetFirstItemVisible(), 0);
  EXPECT_EQ(cell.GetLastItemVisible(), 4);
  // No margins: the first line at the top, 40 pixels of text width.
  EXPECT_EQ(cell.DrawItems[0]->Top, 0);
  EXPECT_EQ(cell.DrawItems[0]->Left, 0);
  EXPECT_EQ(cell.TextWidth, 40);
  EXPECT_EQ(cell.DocumentHeight, 5 * 13);
  EXPECT_EQ(outer.Data.SizeReports, 0);
}
