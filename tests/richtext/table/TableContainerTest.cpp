// Cells as documents of their own: background pictures kept in files and
// painted behind the content.
#include "TableTestSupport.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/editor/EditorFixture.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/LayoutTestSupport.h"
#include "support/VLFRoundTrip.h"

#include <QImage>
#include <array>
#include <gtest/gtest.h>

namespace {

constexpr TColor Blue = 0xFF0000;

std::unique_ptr<TBitmap> Square(TColor color) {
  auto b = std::make_unique<TBitmap>(4, 4);
  b->Canvas()->Brush.Color = color;
  b->Canvas()->FillRect(TRect(0, 0, 4, 4));
  return b;
}

TEST(TableContainer, CellBackgroundsAreStoredAndPainted) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  qytest::ResetStylesForLayout(style);
  for (bool binary : {true, false}) {
    SCOPED_TRACE(binary);
    qytest::TTestLayoutData doc(&style);
    if (!binary) doc.SetVLFOptions(doc.GetVLFOptions() - TVLFOptions{vlfoSaveBinary});
    auto t = TVLTableItemInfo::CreateEx(2, 2, &doc);
    t->GetCell(1, 1)->SetBackgroundImage(Square(Blue));
    t->GetCell(1, 1)->SetBackgroundStyle(vlbsTiled);
    t->GetCell(0, 1)->SetBackgroundStyle(vlbsCentered);
    // A style without a picture and back: nothing left to keep.
    t->GetCell(1, 0)->SetBackgroundStyle(vlbsStretched);
    t->GetCell(1, 0)->SetBackgroundStyle(vlbsColor);
    EXPECT_EQ(t->GetCell(1, 0)->GetBackground(), nullptr);
    doc.AddItem("", t.release());
    TMemoryStream out;
    ASSERT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
    out.SetPosition(0);
    qytest::TTestLayoutData back(&style);
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(out, color, nullptr, nullptr, nullptr));
    auto* r = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
    ASSERT_TRUE(r);
    EXPECT_FALSE(back.GetVLFWarnings().Contains(vlfwTableGridRepaired));
    struct Cell {
      Integer row, col;
      bool picture;
      TVLItemBackgroundStyle placement;
    } cells[] = {{0, 0, false, vlbsColor}, {0, 1, false, vlbsCentered}, {1, 0, false, vlbsColor}, {1, 1, true, vlbsTiled}};
    for (const Cell& c : cells) {
      TVLTableCellData* cell = r->GetCell(c.row, c.col);
      EXPECT_EQ(cell->GetBackgroundImage() != nullptr, c.picture) << c.row << "," << c.col;
      EXPECT_EQ(cell->GetBackgroundStyle(), c.placement) << c.row << "," << c.col;
    }
    ASSERT_TRUE(r->GetCell(1, 1)->GetBackgroundImage());
    EXPECT_EQ(r->GetCell(1, 1)->GetBackgroundImage()->GetWidth(), 4);

    r->Color = clNone;
    r->Layout(300, true, nullptr);
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    r->PaintFullWidth(10, 310, 10, &canvas, {}, &style, TRect(0, 0, 400, 300), &back);
    canvas.ReleaseHandle();
    auto blue = [&](TVLTableCellData* cell) {
      return image.pixel(10 + cell->Left + cell->Width - 2, 10 + cell->Top + cell->Height - 2) == qRgb(0, 0, 255);
    };
    EXPECT_TRUE(blue(r->GetCell(1, 1)));
    EXPECT_FALSE(blue(r->GetCell(0, 1)));
    EXPECT_FALSE(blue(r->GetCell(1, 0)));
  }
}

}  // namespace

namespace {

// Numbers of the list markers, in document order, cells included.
void CollectCounters(TCustomVLData& data, std::vector<Integer>& out) {
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = data.GetItem(i);
    if (item->StyleNo == vlsListMarker) {
      TVLMarkerList* list = data.GetMarkers(false);
      out.push_back(list && list->IndexOf(item) >= 0 ? list->CounterOf(item) : -1);
    } else if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) CollectCounters(*cell, out);
    }
  }
}

// A numbered paragraph "text" (a marker before it) appended to data.
void Numbered(TCustomVLData& data, const char* text) {
  data.AddTextItem(text, 0, 0);
  data.SetListMarker(data.GetItemCount() - 1, 0, 0, 1, 0, false);
}

TEST(TableContainer, ListsInCellsNumberWithTheDocument) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
  TVLDocumentData doc(&style);
  Numbered(doc, "one");
  Numbered(doc, "two");
  auto t = TVLTableItemInfo::CreateEx(2, 2, &doc);
  t->GetCell(0, 0)->Clear();
  Numbered(*t->GetCell(0, 0), "three");
  t->GetCell(1, 1)->Clear();
  Numbered(*t->GetCell(1, 1), "five");
  auto inner = TVLTableItemInfo::CreateEx(1, 1, t->GetCell(1, 0));
  inner->GetCell(0, 0)->Clear();
  Numbered(*inner->GetCell(0, 0), "four");
  t->GetCell(1, 0)->Clear();
  t->GetCell(1, 0)->AddItem("", inner.release());
  TVLTableItemInfo* table = t.get();
  doc.AddItem("", t.release());
  Numbered(doc, "six");
  std::vector<Integer> counters;
  CollectCounters(doc, counters);
  EXPECT_EQ(counters, (std::vector<Integer>{1, 2, 3, 4, 5, 6}));

  // Saved and read back, the numbering is the same.
  TVLDocumentData back(&style);
  ASSERT_TRUE(qytest::LoadVLFBytes(back, qytest::SaveVLFBytes(doc)));
  counters.clear();
  CollectCounters(back, counters);
  EXPECT_EQ(counters, (std::vector<Integer>{1, 2, 3, 4, 5, 6}));

  // A row deleted takes its numbers with it; the rest count on.
  table->DeleteRows(0, 1, false);
  counters.clear();
  CollectCounters(doc, counters);
  EXPECT_EQ(counters, (std::vector<Integer>{1, 2, 3, 4, 5}));
  // Cells merged keep their markers in order.
  EXPECT_TRUE(table->MergeCells(0, 0, 2, 1));
  counters.clear();
  CollectCounters(doc, counters);
  EXPECT_EQ(counters, (std::vector<Integer>{1, 2, 3, 4, 5}));
  EXPECT_EQ(doc.GetMarkers(false)->Count(), 5);
}

}  // namespace

namespace {

// Read back, the markers of a table's cells count where the table stands,
// also when the main cell of the last place is not the last cell (one that
// spans rows down to the last row stands before the cells left of it).
TEST(TableContainer, ListsInCellsReadBackInDocumentOrder) {
  VLRegisterTableItem();
  struct Case {
    const char* name;
    Integer rows, cols;
    std::vector<std::array<Integer, 4>> merges;  // top row, left col, col span, row span
    Integer row, col;                            // the cell with three markers
    bool before;                                 // a marker before the table too
  } cases[] = {
      {"last column's cells span both rows", 2, 3, {{0, 1, 1, 2}, {0, 2, 1, 2}}, 1, 0, false},
      {"the same after a marker", 2, 3, {{0, 1, 1, 2}, {0, 2, 1, 2}}, 1, 0, true},
      {"one cell spans the last column", 3, 2, {{0, 1, 1, 3}}, 2, 0, false},
      {"no merged cells", 2, 2, {}, 1, 1, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TVLStyle style(nullptr);
    style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
    TVLDocumentData doc(&style);
    if (k.before) Numbered(doc, "before");
    auto t = TVLTableItemInfo::CreateEx(k.rows, k.cols, &doc);
    for (const auto& m : k.merges) ASSERT_TRUE(t->MergeCells(m[0], m[1], m[2], m[3]));
    TVLTableCellData* cell = t->GetCell(k.row, k.col);
    ASSERT_TRUE(cell);
    cell->Clear();
    for (const char* text : {"one", "two", "three"}) Numbered(*cell, text);
    doc.AddItem("", t.release());
    Numbered(doc, "after");
    std::vector<Integer> all;
    for (Integer i = 1; i <= (k.before ? 5 : 4); ++i) all.push_back(i);
    std::vector<Integer> counters;
    CollectCounters(doc, counters);
    EXPECT_EQ(counters, all);

    TVLDocumentData back(&style);
    ASSERT_TRUE(qytest::LoadVLFBytes(back, qytest::SaveVLFBytes(doc)));
    counters.clear();
    CollectCounters(back, counters);
    EXPECT_EQ(counters, all);
  }
}

TEST(TableContainer, UndoneStructureChangesRenumberLists) {
  VLRegisterTableItem();
  qytest::TEditor E;
  E.Style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
  TVLEditVLData& d = E.D();
  d.Clear();
  auto add = [](TCustomVLData& data, const char* text) {
    data.AddTextItem(WideStringToRawUnicode(Utf8ToWide(text)), 0, 0);
    data.SetListMarker(data.GetItemCount() - 1, 0, 0, 1, 0, false);
  };
  add(d, "one");
  auto t = TVLTableItemInfo::CreateEx(3, 1, &d);
  for (Integer r = 0; r < 3; ++r) {
    t->GetCell(r, 0)->Clear();
    add(*t->GetCell(r, 0), "cell");
  }
  TVLTableItemInfo* table = t.get();
  d.AddItem("", t.release());
  add(d, "five");
  E.Edit->Format();
  auto counters = [&] {
    std::vector<Integer> v;
    CollectCounters(d, v);
    return v;
  };
  const std::vector<Integer> all{1, 2, 3, 4, 5};
  ASSERT_EQ(counters(), all);
  struct Case {
    const char* name;
    std::function<void()> op;
    std::vector<Integer> after;
  } cases[] = {
      {"rows deleted", [&] { table->DeleteRows(0, 2, false); }, {1, 2, 3}},
      {"cells merged", [&] { table->MergeCells(0, 0, 1, 3); }, {1, 2, 3, 4, 5}},
      {"a row inserted", [&] { table->InsertRows(1, 1, -1, false); }, {1, 2, 3, 4, 5}},
      {"a cell split", [&] { table->SplitCellVertically(1, 0, 2); }, {1, 2, 3, 4, 5}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    k.op();
    EXPECT_EQ(counters(), k.after);
    EXPECT_EQ(d.GetMarkers(false)->Count(), static_cast<Integer>(k.after.size()));
    E.Edit->Undo();
    EXPECT_EQ(counters(), all);
    E.Edit->Redo();
    EXPECT_EQ(counters(), k.after);
    E.Edit->Undo();
    EXPECT_EQ(counters(), all);
    EXPECT_EQ(d.GetMarkers(false)->Count(), 5);
  }
}

}  // namespace

namespace {

// The names of the checkpoints of a cell, in item order.
std::string Checkpoints(TCustomVLData& cell) {
  std::string s;
  for (Integer i = 0; i < cell.GetItemCount(); ++i)
    if (TVLCPInfo* cp = cell.GetItemCheckpoint(i)) s += cp->Name + ";";
  return s;
}

TEST(TableContainer, CheckpointsInCellsGoWithTheirCells) {
  VLRegisterTableItem();
  qytest::TEditor E;
  TVLEditVLData& d = E.D();
  d.Clear();
  auto t = TVLTableItemInfo::CreateEx(2, 2, &d);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) {
      TVLTableCellData* cell = t->GetCell(r, c);
      cell->Clear();
      auto* cp = new TVLCPInfo();
      cp->Name = "cp" + std::to_string(r) + std::to_string(c);
      cell->AddTextItem(WideStringToRawUnicode(Utf8ToWide("text")), 0, 0);
      cell->NotAddedCP = cp;
      ++cell->CPCount;
      cell->AttachPendingCheckpoint(cell->GetItem(0));
    }
  TVLTableItemInfo* table = t.get();
  d.AddItem("", t.release());
  E.Edit->Format();
  ASSERT_EQ(Checkpoints(*table->GetCell(1, 1)), "cp11;");
  EXPECT_TRUE(table->MergeCells(0, 0, 2, 2));
  EXPECT_EQ(Checkpoints(*table->GetCell(0, 0)), "cp00;cp01;cp10;cp11;");
  E.Edit->Undo();
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c)
      EXPECT_EQ(Checkpoints(*table->GetCell(r, c)), "cp" + std::to_string(r) + std::to_string(c) + ";");
  E.Edit->Redo();
  EXPECT_EQ(Checkpoints(*table->GetCell(0, 0)), "cp00;cp01;cp10;cp11;");
  // Kept in the file with the cell.
  TMemoryStream out;
  ASSERT_TRUE(d.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  out.SetPosition(0);
  TVLDocumentData back(&E.Style);
  TColor color = clNone;
  ASSERT_TRUE(back.LoadVLFFromStream(out, color, nullptr, nullptr, nullptr));
  auto* r = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
  ASSERT_TRUE(r);
  EXPECT_EQ(Checkpoints(*r->GetCell(0, 0)), "cp00;cp01;cp10;cp11;");
}

// The table's own picture: kept in both forms of the record, painted under
// cells without a colour of their own and under the spacing between them,
// on screen and on paper, where the table stands; a cell's picture stays
// on top of it.
TEST(TableContainer, TheTablesPictureIsStoredPaintedAndPrinted) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  qytest::ResetStylesForLayout(style);
  constexpr TColor Red = 0x0000FF;
  for (bool binary : {true, false}) {
    SCOPED_TRACE(binary);
    qytest::TTestLayoutData doc(&style);
    if (!binary) doc.SetVLFOptions(doc.GetVLFOptions() - TVLFOptions{vlfoSaveBinary});
    auto t = TVLTableItemInfo::CreateEx(2, 2, &doc);
    t->SetBackgroundImage(Square(Red));
    t->SetBackgroundStyle(vlbsStretched);
    t->GetCell(1, 1)->SetBackgroundImage(Square(Blue));
    t->GetCell(1, 1)->SetBackgroundStyle(vlbsTiled);
    doc.AddItem("", t.release());
    TMemoryStream out;
    ASSERT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
    out.SetPosition(0);
    qytest::TTestLayoutData back(&style);
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(out, color, nullptr, nullptr, nullptr));
    auto* r = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->GetBackgroundImage());
    EXPECT_EQ(r->GetBackgroundImage()->GetWidth(), 4);
    EXPECT_EQ(r->BackgroundStyle, vlbsStretched);
    ASSERT_TRUE(r->GetCell(1, 1)->GetBackgroundImage());
    EXPECT_EQ(r->GetCell(0, 0)->GetBackgroundImage(), nullptr);

    r->Layout(300, true, nullptr);
    auto check = [&](const QImage& image, Integer x, Integer y) {
      auto at = [&](Integer px, Integer py) { return image.pixel(x + px, y + py); };
      TVLTableCellData* plain = r->GetCell(0, 0);
      TVLTableCellData* own = r->GetCell(1, 1);
      EXPECT_EQ(at(plain->Left + plain->Width - 2, plain->Top + plain->Height - 2), qRgb(255, 0, 0));
      EXPECT_EQ(at(own->Left + own->Width - 2, own->Top + own->Height - 2), qRgb(0, 0, 255));
      // The spacing between the cells, and nothing outside the table.
      EXPECT_EQ(at(1, 1), qRgb(255, 0, 0));
      EXPECT_EQ(at(r->GetWidth() + 2, 1), qRgb(255, 255, 255));
    };
    {
      QImage image(400, 300, QImage::Format_RGB32);
      image.fill(Qt::white);
      TCanvas canvas(&image);
      r->PaintFullWidth(10, 310, 10, &canvas, {}, &style, TRect(0, 0, 400, 300), &back);
      canvas.ReleaseHandle();
      check(image, 10, 10);
    }
    {
      QImage image(400, 300, QImage::Format_RGB32);
      image.fill(Qt::white);
      TCanvas canvas(&image);
      TVLScreenAndDevice sad;
      sad.ppixScreen = sad.ppiyScreen = sad.ppixDevice = sad.ppiyDevice = 96;
      r->Print(&canvas, 30, 20, 330, false, false, sad, nullptr, vlcmColor);
      canvas.ReleaseHandle();
      check(image, 30, 20);
    }
  }
}

// The table's background behind something printed over it: nothing, the
// colour only, or the colour and the picture where the table lies.
TEST(TableContainer, TheTableBackgroundForPrinting) {
  VLRegisterTableItem();
  constexpr TColor Green = 0x00FF00, Red = 0x0000FF, White = 0xFFFFFF, Grey = 0x808080;
  struct Case {
    Integer what;
    bool whiteBackground, picture;
    TColor inside;
  } cases[] = {{0, false, true, Grey},  {1, false, true, Green}, {2, false, true, Red},
               {2, false, false, Green}, {1, true, true, White},  {2, true, true, Red}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.what) + std::to_string(c.whiteBackground) + std::to_string(c.picture));
    auto t = TVLTableItemInfo::CreateEx(1, 1, nullptr);
    t->Color = Green;
    if (c.whiteBackground) t->PrintOptions += TVLTablePrintOptions{vltoWhiteBackground};
    if (c.picture) {
      t->SetBackgroundImage(Square(Red));
      t->BackgroundStyle = vlbsStretched;
    }
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(QColor(0x80, 0x80, 0x80));
    TCanvas canvas(&image);
    // The table lies at (10, 5), 30 x 20, in the 60 x 40 bitmap.
    t->DrawBackgroundForPrinting(&canvas, TRect(0, 0, 60, 40), TRect(10, 5, 40, 25), vlcmColor, c.what);
    canvas.ReleaseHandle();
    auto at = [&](int x, int y) {
      const QRgb p = image.pixel(x, y);
      return static_cast<TColor>(qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16));
    };
    EXPECT_EQ(at(25, 15), c.inside);
    EXPECT_EQ(at(11, 6), c.inside);
    EXPECT_EQ(at(5, 2), Grey);
    EXPECT_EQ(at(45, 30), Grey);
  }
}

}  // namespace
