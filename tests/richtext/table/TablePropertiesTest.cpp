// Table and cell properties set by name in an editor: each change is one
// undo step that undo and redo take back and forth exactly, an unchanged
// value leaves no step, and outside an editor the values are just stored.
#include "TableDump.h"
#include "TableTestSupport.h"

#include "platform/gui/Graphics.h"
#include "richtext/editor/EditorFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Every published property of the table, by name.
std::string TableProps(const TVLTableItemInfo& t) {
  std::string s;
  for (const String& name : TVLTableItemInfo::PropertyNames()) {
    Integer v = 0;
    EXPECT_TRUE(t.GetIntProperty(name, v)) << name;
    s += name + "=" + std::to_string(v) + " ";
  }
  return s;
}

// "before", a 3x3 table whose (1,1) spans two rows and columns, "after".
struct TableProperties : ::testing::Test {
  TableProperties() {
    VLRegisterTableItem();
    TVLEditVLData& d = E.D();
    d.Clear();
    d.AddTextItem(WideStringToRawUnicode(Utf8ToWide("before")), 0, 0);
    auto t = TVLTableItemInfo::CreateEx(3, 3, &d);
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        cell->Clear();
        const char text[] = {static_cast<char>('a' + r * 3 + c), 0};
        cell->AddTextItem(WideStringToRawUnicode(Utf8ToWide(text)), 0, 0);
      }
    EXPECT_TRUE(t->Rows.MergeCells(1, 1, 2, 2, true));
    T = t.get();
    d.AddItem("", t.release());
    d.AddTextItem(WideStringToRawUnicode(Utf8ToWide("after")), 0, 0);
    E.Edit->Format();
  }
  Integer Steps() { return E.D().UndoList->Count(); }
  std::string State() {
    // What the structural dump leaves out: each cell's background.
    std::string backs;
    for (Integer r = 0; r < T->RowCount(); ++r)
      for (Integer c = 0; c < T->ColCount(); ++c)
        if (TVLTableCellData* cell = T->GetCell(r, c))
          backs += std::to_string(cell->GetBackgroundStyle()) + (cell->GetBackgroundImage() ? "p " : " ");
    for (Integer r = 0; r < T->RowCount(); ++r) backs += "v" + std::to_string(T->Rows.GetRow(r)->VAlign);
    return TableProps(*T) + "\n" + backs + "\n" + tabletest::Dump(*T);
  }
  // One step that undo and redo take back and forth exactly.
  void ExpectOneExactStep(const std::function<void()>& change) {
    E.D().UndoList->Clear();
    E.D().RedoList->Clear();
    const std::string before = State();
    change();
    const std::string after = State();
    EXPECT_NE(after, before);
    EXPECT_EQ(Steps(), 1);
    for (int round = 0; round < 2; ++round) {
      E.Edit->Undo();
      EXPECT_EQ(State(), before);
      E.Edit->Redo();
      EXPECT_EQ(State(), after);
    }
    ASSERT_TRUE(tabletest::assertGridInvariant(*T));
  }
  qytest::TEditor E;
  TVLTableItemInfo* T;
};

TEST_F(TableProperties, EachTablePropertyByNameIsOneStepUndoneAndRedoneExactly) {
  using Field = std::function<Integer(const TVLTableItemInfo&)>;
  struct Case {
    const char* name;
    Integer value;
    Field field;  // where the value must land
  } cases[] = {
      {"BestWidth", -60, [](auto& t) { return t.BestWidth; }},
      {"BorderColor", 0x123456, [](auto& t) { return t.BorderColor; }},
      {"BorderHSpacing", 9, [](auto& t) { return t.BorderHSpacing; }},
      {"BorderLightColor", 0x00AA00, [](auto& t) { return t.BorderLightColor; }},
      {"BorderStyle", vltbColor, [](auto& t) { return t.BorderStyle; }},
      {"BorderVSpacing", 7, [](auto& t) { return t.BorderVSpacing; }},
      {"BorderWidth", 3, [](auto& t) { return t.BorderWidth; }},
      {"CellBorderColor", 0x0000FF, [](auto& t) { return t.CellBorderColor; }},
      {"CellBorderLightColor", 0xFF0000, [](auto& t) { return t.CellBorderLightColor; }},
      {"CellBorderWidth", 2, [](auto& t) { return t.CellBorderWidth; }},
      {"CellHSpacing", 5, [](auto& t) { return t.CellHSpacing; }},
      {"CellPadding", 6, [](auto& t) { return t.CellPadding; }},
      {"CellVSpacing", 4, [](auto& t) { return t.CellVSpacing; }},
      {"Color", 0xC0FFC0, [](auto& t) { return t.Color; }},
      {"HeadingRowCount", 1, [](auto& t) { return t.HeadingRowCount; }},
      {"HOutermostRule", 1, [](auto& t) { return t.HOutermostRule; }},
      {"HRuleColor", 0x808080, [](auto& t) { return t.HRuleColor; }},
      {"HRuleWidth", 2, [](auto& t) { return t.HRuleWidth; }},
      {"VOutermostRule", 1, [](auto& t) { return t.VOutermostRule; }},
      {"VRuleColor", 0x404040, [](auto& t) { return t.VRuleColor; }},
      {"VRuleWidth", 1, [](auto& t) { return t.VRuleWidth; }},
      {"CellBorderStyle", vltbRaisedColor, [](auto& t) { return t.CellBorderStyle; }},
      {"BackgroundStyle", vlbsCentered, [](auto& t) { return t.BackgroundStyle; }},
      {"PrintOptions", static_cast<Integer>(TVLTablePrintOptions{vltoHalftoneBorders}.ToMask()),
       [](auto& t) { return static_cast<Integer>(t.PrintOptions.ToMask()); }},
  };
  // Every published property has its case.
  EXPECT_EQ(TVLTableItemInfo::PropertyNames().size(), std::size(cases));
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ASSERT_NE(k.field(*T), k.value);
    ExpectOneExactStep([&] { EXPECT_TRUE(T->SetPropertyWithUndo(k.name, k.value)); });
    EXPECT_EQ(k.field(*T), k.value);
    E.Edit->Undo();
    EXPECT_NE(k.field(*T), k.value);
  }
  EXPECT_FALSE(T->SetPropertyWithUndo("NoSuchProperty", 1));
}

TEST_F(TableProperties, AnUnchangedValueRecordsNothingButMarksTheTableChanged) {
  struct Case {
    const char* name;
    std::function<void(TVLTableItemInfo&)> set;
  } cases[] = {
      {"table BorderColor", [](auto& t) { t.SetBorderColor(t.BorderColor); }},
      {"table CellPadding", [](auto& t) { t.SetCellPadding(t.CellPadding); }},
      {"cell BorderColor", [](auto& t) { t.SetCellBorderColor(t.GetCell(1, 1)->BorderColor, 1, 1); }},
      {"cell VAlign", [](auto& t) { t.SetCellVAlign(t.GetCell(0, 2)->VAlign, 0, 2); }},
      {"cell borders", [](auto& t) { t.SetCellVisibleBorders(true, true, true, true, 0, 0); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    E.D().UndoList->Clear();
    E.Edit->Format();
    ASSERT_FALSE(T->IsChanged());
    E.Edit->Modified = false;
    k.set(*T);
    EXPECT_EQ(Steps(), 0);
    EXPECT_FALSE(E.Edit->Modified);
    EXPECT_TRUE(T->IsChanged());
  }
}

TEST_F(TableProperties, EachCellPropertyIsOneStepUndoneAndRedoneExactly) {
  using Set = std::function<void(TVLTableItemInfo&)>;
  struct Case {
    const char* name;
    Set set;
  } cases[] = {
      {"BestHeight of the merged cell", [](auto& t) { t.SetCellBestHeight(80, 1, 1); }},
      {"BestWidth in percent", [](auto& t) { t.SetCellBestWidth(-30, 0, 0); }},
      {"Color", [](auto& t) { t.SetCellColor(0x00FFFF, 1, 1); }},
      {"BackgroundStyle", [](auto& t) { t.SetCellBackgroundStyle(vlbsTiled, 2, 0); }},
      {"BorderColor", [](auto& t) { t.SetCellBorderColor(0x0000FF, 0, 1); }},
      {"BorderLightColor", [](auto& t) { t.SetCellBorderLightColor(0x00FF00, 0, 1); }},
      {"VAlign", [](auto& t) { t.SetCellVAlign(vlcBottom, 1, 1); }},
      {"by name", [](auto& t) { EXPECT_TRUE(t.SetCellPropertyWithUndo("VAlign", 0, 2, vlcMiddle)); }},
      {"visible borders", [](auto& t) { t.SetCellVisibleBorders(false, true, false, true, 2, 0); }},
      {"a row's alignment", [](auto& t) { t.SetRowVAlign(vlcBottom, 2); }},
      {"attributes of another cell",
       [](auto& t) {
         TVLTableCellData source(&t);
         source.Color = 0x112233;
         source.VAlign = vlcBottom;
         source.BestWidth = 90;
         source.VisibleBorders.SetValues(false, false, true, true);
         t.AssignCellAttributesWithUndo(-1, 0, 1, source, true, 1, 3);
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ExpectOneExactStep([&] { k.set(*T); });
  }
  EXPECT_EQ(T->GetCell(0, 1)->BestWidth, 30);
}

TEST_F(TableProperties, ACellPictureIsOneStepAndComesBackWhole) {
  auto picture = std::make_unique<TBitmap>(4, 3);
  TGraphic* given = picture.get();
  T->SetCellBackgroundImage(std::move(picture), 1, 1);
  TVLTableCellData* cell = T->GetCell(1, 1);
  EXPECT_EQ(cell->GetBackgroundImage(), given);
  EXPECT_EQ(Steps(), 1);
  E.Edit->Undo();
  EXPECT_EQ(cell->GetBackgroundImage(), nullptr);
  E.Edit->Redo();
  // The same picture object comes back, not a copy.
  EXPECT_EQ(cell->GetBackgroundImage(), given);
  T->SetCellBackgroundImage(nullptr, 1, 1);
  EXPECT_EQ(cell->GetBackgroundImage(), nullptr);
  EXPECT_EQ(Steps(), 2);
  E.Edit->Undo();
  EXPECT_EQ(cell->GetBackgroundImage(), given);
}

TEST_F(TableProperties, TheTablePictureIsOneStepAndLeavesTheCellsAlone) {
  auto cellPicture = std::make_unique<TBitmap>(2, 2);
  T->SetCellBackgroundImage(std::move(cellPicture), 0, 0);
  TGraphic* cellGiven = T->GetCell(0, 0)->GetBackgroundImage();
  const Integer before = Steps();
  auto picture = std::make_unique<TBitmap>(4, 3);
  TGraphic* given = picture.get();
  T->SetBackgroundImage(std::move(picture));
  EXPECT_EQ(T->GetBackgroundImage(), given);
  EXPECT_EQ(Steps(), before + 1);
  E.Edit->Undo();
  EXPECT_EQ(T->GetBackgroundImage(), nullptr);
  EXPECT_EQ(T->GetCell(0, 0)->GetBackgroundImage(), cellGiven);
  E.Edit->Redo();
  EXPECT_EQ(T->GetBackgroundImage(), given);
  // Clearing is a step too; an empty picture clears.
  T->SetBackgroundImage(std::make_unique<TBitmap>());
  EXPECT_EQ(T->GetBackgroundImage(), nullptr);
  EXPECT_EQ(Steps(), before + 2);
  E.Edit->Undo();
  EXPECT_EQ(T->GetBackgroundImage(), given);
  EXPECT_EQ(T->GetCell(0, 0)->GetBackgroundImage(), cellGiven);
}

TEST(TablePropertiesOutsideEditor, ValuesAreStoredWithoutUndo) {
  VLRegisterTableItem();
  auto t = TVLTableItemInfo::CreateEx(2, 2, nullptr);
  t->SetBorderWidth(4);
  t->SetCellVAlign(vlcBottom, 1, 0);
  t->SetCellVisibleBorders(false, false, false, false, 0, 1);
  EXPECT_EQ(t->BorderWidth, 4);
  EXPECT_EQ(t->GetCell(1, 0)->VAlign, vlcBottom);
  EXPECT_TRUE(t->GetCell(0, 1)->VisibleBorders.IsAllEqual(false));
  EXPECT_TRUE(t->IsChanged());
  EXPECT_THROW(t->SetCellColor(clRed, 5, 0), EVellumError);
  t->SetBackgroundImage(std::make_unique<TBitmap>(3, 3));
  ASSERT_TRUE(t->GetBackgroundImage());
  t->SetBackgroundImage(nullptr);
  EXPECT_EQ(t->GetBackgroundImage(), nullptr);
}

}  // namespace
