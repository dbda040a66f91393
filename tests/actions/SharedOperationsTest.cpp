#include "ActionTestSupport.h"
#include "EditorBench.h"
#include "actions/IntegerVLFrm.h"
#include "actions/VLActions.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "richtext/view/Vellum.h"

#include <gtest/gtest.h>

namespace {

TEST(AskIntegerTest, OkTakesTheClampedAnswerAndCancelKeepsTheValue) {
  TActionBench b;
  struct Case {
    Integer start;
    const char* typed;  // nullptr: leave the field as it opened
    int answer;
    bool result;
    Integer value, shown;
  };
  const Case cases[] = {
      {1, "7", mrOk, true, 7, 1},        {0, nullptr, mrOk, true, 1, 1},     {250, nullptr, mrOk, true, 100, 100},
      {5, "9", mrCancel, false, 5, 5},   {3, "0", mrOk, true, 1, 3},      {3, "5000", mrOk, true, 100, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    String caption, prompt, shown;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = dynamic_cast<TfrmInteger*>(r.Form);
      if (!d) return int(mrCancel);
      caption = d->GetText();
      prompt = d->lbl->GetText();
      shown = d->se->GetText();
      if (c.typed) d->se->SetText(c.typed);
      return c.answer;
    });
    Integer value = c.start;
    EXPECT_EQ(AskInteger("Add Rows", "Row &count:", value), c.result);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(caption, "Add Rows");
    EXPECT_EQ(prompt, "Row &count:");
    EXPECT_EQ(shown, std::to_string(c.shown));
    EXPECT_EQ(script.Unexpected, 0);
  }
}

// Records what a walk visits and stops after Limit items.
class TWalkProbe : public TvlAction {
public:
  TWalkProbe() : TvlAction(nullptr) {}
  void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor*, void* Param) override {
    Visited.emplace_back(VLData, ItemNo);
    ++*static_cast<int*>(Param);
  }
  bool CanContinue(void* Param) override { return *static_cast<int*>(Param) < Limit; }
  std::vector<std::pair<TCustomVLData*, Integer>> Visited;
  int Limit = 1000;
};

// A table-like item whose cells are documents; positions 3 and 4 give the
// first and the next cell.
class TCellsItem : public TCustomVLItemInfo {
public:
  struct TStore : TVLStoreSubVLData {
    explicit TStore(size_t i) : Index(i) {}
    size_t Index;
  };
  explicit TCellsItem(TCustomVLData* owner) : TCustomVLItemInfo(owner) {}
  TCustomVLData* GetSubVLData(std::unique_ptr<TVLStoreSubVLData>& store, Integer position) override {
    size_t i = 0;
    if (position == 4) {
      auto* s = dynamic_cast<TStore*>(store.get());
      if (!s) return nullptr;
      i = s->Index + 1;
    } else if (position != 3) {
      return nullptr;
    }
    if (i >= Cells.size()) {
      store.reset();
      return nullptr;
    }
    store = std::make_unique<TStore>(i);
    return Cells[i];
  }
  std::vector<TCustomVLData*> Cells;
};

TEST(WalkItemsTest, RangeOrWhollySelectedCellsUntilTheActionStops) {
  TActionBench b;
  TVLDocumentData doc(b.Sheet);
  for (const char* t : {"a", "b", "c", "d"}) doc.AddTextItem(t, 0, 0);
  TWalkProbe probe;
  int count = 0;
  probe.WalkItems(&doc, b.Editor, 1, 2, &count);
  EXPECT_EQ(probe.Visited, (decltype(probe.Visited){{&doc, 1}, {&doc, 2}}));
  probe.Visited.clear();
  count = 0;
  probe.WalkItems(&doc, b.Editor, 3, 2, &count);
  EXPECT_TRUE(probe.Visited.empty());
  probe.Limit = 2;
  probe.WalkItems(&doc, b.Editor, 0, 3, &count);
  EXPECT_EQ(probe.Visited.size(), 2u);

  // With selected cells the range is not used.
  auto* view = new TVellum(b.Form);
  TVLDocumentData whole1(b.Sheet), part(b.Sheet), whole2(b.Sheet);
  for (auto* cell : {&whole1, &part, &whole2}) {
    cell->AddTextItem("x", 0, 0);
    cell->AddTextItem("y", 0, 0);
  }
  whole1.SetState(0x40);
  whole2.SetState(0x40);
  TCellsItem table(view->VLData());
  table.Cells = {&whole1, &part, &whole2};
  view->VLData()->ActiveItem = &table;
  struct Case {
    int limit;
    decltype(probe.Visited) visited;
  };
  const Case cases[] = {
      {1000, {{&whole1, 0}, {&whole1, 1}, {&whole2, 0}, {&whole2, 1}}},
      {2, {{&whole1, 0}, {&whole1, 1}}},  // stops after the cell in which it turned
      {1, {{&whole1, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    probe.Visited.clear();
    probe.Limit = c.limit;
    count = 0;
    probe.WalkItems(view->VLData(), b.Editor, 5, 9, &count);
    EXPECT_EQ(probe.Visited, c.visited);
  }
  table.Cells.clear();  // no first cell: nothing at all
  probe.Visited.clear();
  probe.Limit = 1000;
  probe.WalkItems(view->VLData(), b.Editor, 0, 0, &count);
  EXPECT_TRUE(probe.Visited.empty());
  view->VLData()->ActiveItem = nullptr;
}

TEST(SharedOperationsTest, SingleSelectedItemOnlyForAOneItemRange) {
  TEditorBench b;
  // Styles differ so that the three stay three items.
  b.Edit->AddTextItem("abc", 0, 0);
  b.Edit->AddTextItem("de", 1, -1);
  b.Edit->AddTextItem("fgh", 0, -1);
  b.Edit->Format();
  ASSERT_EQ(b.Edit->ItemCount(), 3);
  ASSERT_EQ(b.Edit->GetItemStartOffset(0), 1);
  struct Case {
    Integer sn, so, en, eo;
    Integer item;  // -1: none
  };
  const Case cases[] = {
      {1, 1, 1, 3, 1},  // inside one item
      {0, 2, 0, 2, 0},  // the caret
      {0, 4, 2, 1, 1},  // only touches its neighbours
      {0, 2, 1, 2, -1},
      {0, 4, 1, 1, -1},  // nothing between the two ends
  };
  for (const Case& c : cases) {
    b.Edit->SetSelectionBounds(c.sn, c.so, c.en, c.eo);
    EXPECT_EQ(GetSingleSelectedItem(ActionEditorOf(b.Edit)), c.item < 0 ? nullptr : b.Edit->GetItem(c.item))
        << c.sn << "," << c.so << " " << c.en << "," << c.eo;
  }
  EXPECT_EQ(GetSingleSelectedItem(nullptr), nullptr);
}

class TCountingView : public TVellum {
public:
  using TVellum::TVellum;
  void Invalidate() override {
    ++Invalidated;
    TVellum::Invalidate();
  }
  int Invalidated = 0;
};

TEST(SharedOperationsTest, EveryViewOfEveryFormIsRepainted) {
  TActionBench b;
  auto* top = new TCountingView(b.Form);
  top->SetParent(b.Form);
  auto* panel = new TPanel(b.Form);
  panel->SetParent(b.Form);
  auto* nested = new TCountingView(b.Form);
  nested->SetParent(panel);
  std::unique_ptr<TForm> other(new TForm(Application));
  auto* elsewhere = new TCountingView(other.get());
  elsewhere->SetParent(other.get());
  auto* unparented = new TCountingView(b.Form);  // on no form: not reached

  InvalidateVellums(panel);
  EXPECT_EQ(nested->Invalidated, 1);
  EXPECT_EQ(top->Invalidated, 0);
  InvalidateAllVellums();
  EXPECT_EQ(top->Invalidated, 1);
  EXPECT_EQ(nested->Invalidated, 2);
  EXPECT_EQ(elsewhere->Invalidated, 1);
  EXPECT_EQ(unparented->Invalidated, 0);
}

}  // namespace
