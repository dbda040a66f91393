// Links inside cells, nested tables included, are found where the cells
// lie and followed by a click.
#include "TableTestSupport.h"

#include "platform/base/CodePages.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/ViewerFixture.h"

#include <gtest/gtest.h>

namespace {

AnsiString U(const char* text) { return WideStringToRawUnicode(Utf8ToWide(text)); }

void Put(TCustomVLData* cell, std::initializer_list<std::pair<const char*, Integer>> runs) {
  cell->Clear();
  bool first = true;
  for (auto [text, style] : runs) {
    cell->AddTextItem(U(text), style, first ? 0 : -1);
    first = false;
  }
}

TEST(TableJumps, LinksInCellsAreFoundAndFollowed) {
  VLRegisterTableItem();
  qytest::TViewer v;
  TFontInfo* link = v.Style.TextStyles->Add();
  link->Jump = true;
  link->FontName = "Arial";
  link->Unicode = true;
  const Integer L = v.Style.TextStyles->Count() - 1;
  v.Add(U("Above the table"));
  auto t = TVLTableItemInfo::CreateEx(2, 2, v.View->VLData());
  TVLTableItemInfo* table = t.get();
  t->CellPadding = 4;
  Put(t->GetCell(0, 0), {{"first", L}});
  Put(t->GetCell(0, 1), {{"plain text", 0}});
  Put(t->GetCell(1, 1), {{"see ", 0}, {"second", L}});
  auto inner = TVLTableItemInfo::CreateEx(1, 1, t->GetCell(1, 0));
  Put(inner->GetCell(0, 0), {{"deep", L}});
  t->GetCell(1, 0)->Clear();
  t->GetCell(1, 0)->AddItem("", inner.release());
  v.View->AddItem("", t.release());
  v.Add(U("Below"), L);
  v.Format();
  std::vector<Integer> followed;
  v.View->OnJump = [&](TObject*, Integer id) { followed.push_back(id); };

  const TVLJumpList& jumps = v.Data().Jumps;
  ASSERT_EQ(jumps.size(), 4u);
  const TVLDrawLineInfo& td = *v.Data().DrawItems[table->DrawItemNo];
  struct Case {
    Integer row, col;  // the outer cell that holds the link
    Integer id;
  } cases[] = {{0, 0, 0}, {1, 0, 1}, {1, 1, 2}, {-1, -1, 3}};
  for (size_t i = 0; i < jumps.size(); ++i) {
    const Case& k = cases[i];
    SCOPED_TRACE(i);
    const TVLJumpInfo& j = *jumps[i];
    EXPECT_EQ(j.JumpID, k.id);
    if (k.row >= 0) {
      TVLTableCellData* cell = table->GetCell(k.row, k.col);
      const Integer left = td.Left + cell->Left, top = td.Top + cell->Top;
      EXPECT_GE(j.Left, left + table->CellPadding);
      EXPECT_GE(j.Top, top + table->CellPadding);
      EXPECT_LE(j.Left + j.Width, left + cell->Width);
      EXPECT_LE(j.Top + j.Height, top + cell->Height);
    } else {
      EXPECT_GT(j.Top, td.Top + td.Height - 1);
    }
    followed.clear();
    const Integer x = j.Left + j.Width / 2 - v.Data().GetHOffset(), y = j.Top + j.Height / 2 - v.Data().GetVOffset();
    v.View->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
    v.View->MouseUp(mbLeft, TShiftState(), x, y);
    EXPECT_EQ(followed, std::vector<Integer>{k.id});
  }
  // The plain cell is no link.
  followed.clear();
  TVLTableCellData* plain = table->GetCell(0, 1);
  const Integer x = td.Left + plain->Left + plain->Width / 2, y = td.Top + plain->Top + plain->Height / 2;
  v.View->MouseDown(mbLeft, TShiftState{ssLeft}, x - v.Data().GetHOffset(), y - v.Data().GetVOffset());
  v.View->MouseUp(mbLeft, TShiftState(), x - v.Data().GetHOffset(), y - v.Data().GetVOffset());
  EXPECT_TRUE(followed.empty());
}

}  // namespace
