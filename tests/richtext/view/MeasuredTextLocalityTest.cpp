// The measured texts of a document lie in the order of its items, one after
// another, however the heap was left by earlier work: a layout reads them
// in that order, and measures scattered over the heap made every layout of
// a program that had been working twice as slow as in a fresh one.
#include "LayoutFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace qytest;

namespace {

// Blocks of many sizes, every other one freed in a shuffled order: the free
// lists a program that has been working leaves.
std::vector<std::unique_ptr<char[]>> HeapFullOfHoles() {
  std::mt19937 rng(11);
  std::vector<std::unique_ptr<char[]>> kept, freed;
  for (int i = 0; i < 40000; ++i) {
    auto block = std::make_unique<char[]>(16 + rng() % 600);
    block[0] = static_cast<char>(i);
    (i % 2 ? kept : freed).push_back(std::move(block));
  }
  std::shuffle(freed.begin(), freed.end(), rng);
  freed.clear();
  return kept;
}

TEST(MeasuredTexts, LieInTheOrderOfTheItems) {
  struct TCase {
    const char* Name;
    // Measured afresh over a heap full of holes.
    bool Refilled;
    // Every text measured again in another size, then laid out once more.
    bool Resized;
  };
  const TCase cases[] = {
      {"first layout", false, false},
      {"measured again after the cache was emptied", true, false},
      {"measured again in another size", false, true},
      {"both", true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLayoutDoc d;
    d.Data.Width = 400;
    std::mt19937 rng(5);
    for (int p = 0; p < 3000; ++p) {
      d.Text("paragraph " + std::to_string(p) + std::string(rng() % 120, 'w'), 0, 0);
      d.Text(" and its second run " + std::string(rng() % 40, 'v'), 1, -1);
    }
    d.Format();
    std::vector<std::unique_ptr<char[]>> holes;
    if (c.Refilled) {
      holes = HeapFullOfHoles();
      d.Data.ExtentsCache.Clear();
      d.Format();
    }
    if (c.Resized) {
      d.Style.TextStyles->Items(0)->Size = 12;
      d.Format();
      d.Format();
    }
    TCanvas* canvas = d.Data.GetCanvas();
    const Integer count = d.Data.GetItemCount();
    Integer together = 0;
    for (Integer i = 0; i + 1 < count; ++i) {
      const TVLMeasuredText& a = d.Data.MeasureItemText(canvas, i);
      const char* at = reinterpret_cast<const char*>(a.Extents.data());
      const size_t bytes = a.Extents.size() * sizeof(Integer) + a.Text.size() * sizeof(char16_t) + a.Raw.size();
      const char* next = reinterpret_cast<const char*>(d.Data.MeasureItemText(canvas, i + 1).Extents.data());
      // The next item's measure starts right after this one's (a few bytes
      // of alignment between them).
      if (next > at && static_cast<size_t>(next - at) <= bytes + 16) ++together;
    }
    EXPECT_GE(together, (count - 1) * 99 / 100) << "of " << count - 1 << " neighbouring items";
  }
}

// Items that moved (one deleted before them) keep their measures: a layout
// after the move measures no more than one after no change.
TEST(MeasuredTexts, AreFoundAgainAfterTheItemsMoved) {
  struct TCountingMeasurer : TFixedMeasurer {
    void GetExtents(TCanvas* canvas, const WideString& text, std::vector<Integer>& extents) override {
      ++Calls;
      TFixedMeasurer::GetExtents(canvas, text, extents);
    }
    int Calls = 0;
  };
  for (const bool moved : {false, true}) {
    SCOPED_TRACE(moved ? "first item deleted" : "nothing changed");
    TLayoutDoc d;
    TCountingMeasurer m;
    d.Data.Measurer = &m;
    d.Data.Width = 400;
    for (int p = 0; p < 300; ++p) {
      d.Text("paragraph " + std::to_string(p), 0, 0);
      d.Text(" and its second run", 1, -1);
    }
    d.Format();
    const int first = m.Calls;
    ASSERT_GE(first, 600);
    if (moved) d.Data.DeleteItems(0, 2);
    m.Calls = 0;
    d.Format();
    EXPECT_EQ(m.Calls, 0);
  }
}

}  // namespace
