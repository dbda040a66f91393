#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GfxColors.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/StdCtrls.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

TEST(ListControls, SortedListBoxPlacesEachItemAndKeepsItsObject) {
  TForm form(nullptr);
  TListBox list(&form);
  list.SetParent(&form);
  TObject objs[6];
  // Unsorted first: turning sorting on re-orders what is there, objects too.
  list.Items().AddObject("delta", &objs[0]);
  list.Items().AddObject("Bravo", &objs[1]);
  list.SetSorted(true);
  struct Case {
    const char* Text;
    int Obj;
    int ExpectedIndex;
  };
  const Case adds[] = {
      {"alpha", 2, 0},
      {"charlie", 3, 2},
      {"bravo", 4, 2},  // equal without case: after the one already there
      {"Echo", 5, 5},
  };
  for (const Case& c : adds) EXPECT_EQ(list.Items().AddObject(c.Text, &objs[c.Obj]), c.ExpectedIndex) << c.Text;
  EXPECT_EQ(list.Items().ToVector(),
            (std::vector<String>{"alpha", "Bravo", "bravo", "charlie", "delta", "Echo"}));
  const int objectOrder[] = {2, 1, 4, 3, 0, 5};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(list.Items().Objects(i), &objs[objectOrder[i]]) << i;
  list.Items().Delete(1);
  EXPECT_EQ(list.Items().Objects(1), &objs[4]);
  EXPECT_EQ(list.Items().IndexOf("CHARLIE"), 2);
  list.Clear();
  EXPECT_EQ(list.Items().Count(), 0);
  EXPECT_THROW(list.Items().Objects(0), EStringListError);
}

TEST(ListControls, ItemIndexFollowsItsItemThroughInsertsAndDeletes) {
  // Each step acts on a five-item list with item 2 ("c") selected.
  struct Case {
    const char* Name;
    bool Insert;
    int At;
    int ExpectedIndex;
  };
  const Case cases[] = {
      {"insert before", true, 0, 3},
      {"insert at", true, 2, 3},
      {"insert after", true, 4, 2},
      {"delete before", false, 1, 1},
      {"delete after", false, 4, 2},
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    TListBox list(&form);
    list.SetParent(&form);
    TComboBox combo(&form);
    combo.SetParent(&form);
    combo.SetStyle(csDropDownList);
    for (const char* s : {"a", "b", "c", "d", "e"}) {
      list.Items().Add(s);
      combo.Items().Add(s);
    }
    list.SetItemIndex(2);
    combo.SetItemIndex(2);
    if (c.Insert) {
      list.Items().Insert(c.At, "new");
      combo.Items().Insert(c.At, "new");
    } else {
      list.Items().Delete(c.At);
      combo.Items().Delete(c.At);
    }
    EXPECT_EQ(list.GetItemIndex(), c.ExpectedIndex) << c.Name;
    EXPECT_EQ(combo.GetItemIndex(), c.ExpectedIndex) << c.Name;
    EXPECT_EQ(combo.GetText(), "c") << c.Name;
  }
  // Out-of-range indexes select nothing.
  TForm form(nullptr);
  TListBox list(&form);
  list.SetParent(&form);
  for (const char* s : {"a", "b"}) list.Items().Add(s);
  for (int bad : {2, -2, 99}) {
    list.SetItemIndex(1);
    list.SetItemIndex(bad);
    EXPECT_EQ(list.GetItemIndex(), -1) << bad;
  }
}

TEST(ListControls, TreeWalksAgreeInBothDirectionsAndWithAbsoluteIndexes) {
  TForm form(nullptr);
  TTreeView tree(&form);
  tree.SetParent(&form);
  TTreeNodes& items = tree.Items();
  // Built out of order with every kind of insertion.
  TTreeNode* b = items.Add(nullptr, "B");
  TTreeNode* a = items.AddFirst(b, "A");
  TTreeNode* d = items.Add(a, "D");
  TTreeNode* c = items.Insert(d, "C");
  TTreeNode* b2 = items.AddChild(b, "B2");
  items.AddChildFirst(b, "B1");
  items.AddChild(b2, "B2a");
  items.Insert(b2, "B1x");
  items.AddChildFirst(d, "D1");
  items.Insert(nullptr, "E");
  const std::vector<String> expected{"A", "B", "B1", "B1x", "B2", "B2a", "C", "D", "D1", "E"};
  const std::vector<int> levels{0, 0, 1, 1, 1, 2, 0, 0, 1, 0};
  ASSERT_EQ(items.Count(), static_cast<int>(expected.size()));

  std::vector<TTreeNode*> forward;
  for (TTreeNode* n = items.GetFirstNode(); n; n = n->GetNext()) forward.push_back(n);
  ASSERT_EQ(forward.size(), expected.size());
  for (size_t i = 0; i < forward.size(); ++i) {
    EXPECT_EQ(forward[i]->GetText(), expected[i]);
    EXPECT_EQ(forward[i]->AbsoluteIndex(), static_cast<int>(i)) << expected[i];
    EXPECT_EQ(items.Item(static_cast<int>(i)), forward[i]) << expected[i];
    EXPECT_EQ(forward[i]->Level(), levels[i]) << expected[i];
    EXPECT_EQ(forward[i]->GetPrev(), i == 0 ? nullptr : forward[i - 1]) << expected[i];
  }
  EXPECT_EQ(forward.back()->GetNext(), nullptr);
  EXPECT_EQ(c->GetPrev()->GetText(), "B2a");  // the deepest last node before it
  EXPECT_TRUE(forward[5]->IsDescendantOf(b));
  EXPECT_FALSE(b->IsDescendantOf(b));
  EXPECT_THROW(items.Item(static_cast<int>(expected.size())), EListError);
  EXPECT_THROW(b->Item(3), EListError);

  // Deleting a parent takes its subtree; the walk closes over the gap.
  std::vector<String> deleted;
  tree.OnDeletion = [&](TObject*, TTreeNode* n) { deleted.push_back(n->GetText()); };
  b->Delete();
  EXPECT_EQ(deleted, (std::vector<String>{"B2a", "B2", "B1x", "B1", "B"}));
  std::vector<String> after;
  for (TTreeNode* n = items.GetFirstNode(); n; n = n->GetNext()) after.push_back(n->GetText());
  EXPECT_EQ(after, (std::vector<String>{"A", "C", "D", "D1", "E"}));
  EXPECT_EQ(c->GetPrev(), a);
  EXPECT_EQ(c->AbsoluteIndex(), 1);
  deleted.clear();
  d->DeleteChildren();
  EXPECT_EQ(deleted, std::vector<String>{"D1"});
  EXPECT_FALSE(d->HasChildren());
  EXPECT_EQ(items.Count(), 4);
}

TEST(ListControls, DeletingTheSelectedBranchMovesTheSelectionToANeighbour) {
  struct Case {
    const char* Select;
    const char* Delete;
    const char* Expected;  // "" for none
  };
  // Tree: P(p1, p2(q)), R; the selection moves to the next sibling, else
  // the previous one, else the parent.
  const Case cases[] = {
      {"q", "p2", "p1"}, {"p1", "p1", "p2"}, {"q", "q", "p2"}, {"q", "P", "R"},
      {"R", "R", "P"},   {"p1", "p2", "p1"},
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    TTreeView tree(&form);
    tree.SetParent(&form);
    TTreeNodes& items = tree.Items();
    TTreeNode* p = items.AddChild(nullptr, "P");
    items.AddChild(p, "p1");
    TTreeNode* p2 = items.AddChild(p, "p2");
    items.AddChild(p2, "q");
    items.AddChild(nullptr, "R");
    auto find = [&](const String& text) -> TTreeNode* {
      for (TTreeNode* n = items.GetFirstNode(); n; n = n->GetNext())
        if (n->GetText() == text) return n;
      return nullptr;
    };
    tree.SetSelected(find(c.Select));
    find(c.Delete)->Delete();
    TTreeNode* sel = tree.GetSelected();
    EXPECT_EQ(sel ? sel->GetText() : String(), c.Expected) << c.Select << " / " << c.Delete;
  }
}

TEST(ListControls, StatusPanelsLieSideBySideWithTheLastTakingTheRest) {
  struct Case {
    int BarWidth;
    std::vector<int> Widths;
    std::vector<std::pair<int, int>> Expected;  // left, right of each panel
  };
  const Case cases[] = {
      {400, {100, 50, 60}, {{0, 98}, {100, 148}, {150, 398}}},
      {400, {250}, {{0, 398}}},
      {120, {100, 80}, {{0, 98}, {100, 178}}},  // the last keeps its width past the edge
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    form.SetBounds(0, 0, c.BarWidth, 200);
    ASSERT_EQ(form.ClientWidth(), c.BarWidth);
    TStatusBar bar(&form);
    bar.SetParent(&form);
    for (int w : c.Widths) bar.Panels().Add()->SetWidth(w);
    for (size_t i = 0; i < c.Expected.size(); ++i) {
      const TRect r = bar.PanelRect(static_cast<int>(i));
      EXPECT_EQ(r.Left, c.Expected[i].first) << c.BarWidth << " #" << i;
      EXPECT_EQ(r.Right, c.Expected[i].second) << c.BarWidth << " #" << i;
      EXPECT_EQ(r.Bottom, bar.ClientHeight());
    }
    EXPECT_EQ(bar.PanelRect(static_cast<int>(c.Widths.size())), TRect{});
    EXPECT_EQ(bar.PanelRect(-1), TRect{});
  }
}

TEST(ListControls, UpDownStepsFromWhatTheEditShows) {
  struct Case {
    const char* Typed;
    TUDBtnType Button;
    int Expected;
    const char* Shown;
  };
  // Min 0, Max 2000, Position 10, Increment 5 before each press.
  const Case cases[] = {
      {"50", btNext, 55, "55"},
      {"1,234", btPrev, 1229, "1,229"},
      {"1998", btNext, 2000, "2,000"},
      {"-40", btNext, 5, "5"},  // typed out of range: clamped, then stepped
      {"abc", btNext, 15, "15"},  // not a number: the last position counts
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    TEdit edit(&form);
    edit.SetParent(&form);
    TUpDown ud(&form);
    ud.SetParent(&form);
    ud.SetMax(2000);
    ud.Increment = 5;
    ud.SetPosition(10);
    ud.SetAssociate(&edit);
    ASSERT_EQ(edit.GetText(), "10");
    edit.SetText(c.Typed);
    ud.Press(c.Button);
    EXPECT_EQ(ud.GetPosition(), c.Expected) << c.Typed;
    EXPECT_EQ(edit.GetText(), c.Shown) << c.Typed;
  }
}

TEST(ListControls, UpDownRangeChangesKeepThePositionInside) {
  struct Case {
    int Min, Max, Position, Expected;
  };
  const Case cases[] = {
      {0, 10, 20, 10}, {5, 10, 0, 5}, {-10, -5, 0, -5}, {10, 0, 20, 10},  // a reversed range still clamps
  };
  for (const Case& c : cases) {
    TForm form(nullptr);
    TUpDown ud(&form);
    ud.SetMax(100);
    ud.SetPosition(c.Position);
    ud.SetMin(c.Min);
    ud.SetMax(c.Max);
    EXPECT_EQ(ud.GetPosition(), c.Expected) << c.Min << ".." << c.Max;
  }
  // Reversed range: the Next button moves towards Max.
  TForm form(nullptr);
  TUpDown ud(&form);
  ud.SetMin(10);
  ud.SetMax(0);
  ud.SetPosition(5);
  ud.Press(btNext);
  EXPECT_EQ(ud.GetPosition(), 4);
  // A vetoed change leaves the position and fires no click.
  int clicks = 0;
  ud.OnClick = [&](TObject*, TUDBtnType) { ++clicks; };
  ud.OnChanging = [](TObject*, bool& allow) { allow = false; };
  ud.Press(btPrev);
  EXPECT_EQ(ud.GetPosition(), 4);
  EXPECT_EQ(clicks, 0);
}

}  // namespace
