#include "richtext/model/VLClasses.h"

#include <gtest/gtest.h>

namespace {

// Records the order in which objects go.
class TTracked : public TObject {
public:
  TTracked(std::vector<int>& log, int id) : FLog(log), FId(id) {}
  ~TTracked() override { FLog.push_back(FId); }
  int Id() const { return FId; }

private:
  std::vector<int>& FLog;
  int FId;
};

TEST(VLListTest, ClearFreesFirstToLastAndDeleteWithoutFreeHandsOver) {
  std::vector<int> freed;
  {
    TVLList list;
    for (int i = 1; i <= 3; ++i) list.Add(std::make_unique<TTracked>(freed, i));
    std::unique_ptr<TObject> kept = list.DeleteWithoutFree(1);
    EXPECT_EQ(2, list.Count());
    EXPECT_TRUE(freed.empty());
    EXPECT_EQ(2, static_cast<TTracked*>(kept.get())->Id());
    list.Add(std::make_unique<TTracked>(freed, 4));
    list.Delete(0);
    EXPECT_EQ(std::vector<int>({1}), freed);
    list.Clear();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(std::vector<int>({1, 3, 4}), freed);
  }
  // The handed-over object lived until its new owner let it go.
  EXPECT_EQ(std::vector<int>({1, 3, 4, 2}), freed);
}

TEST(VLListTest, IndexesOutsideTheListRaiseTheListError) {
  std::vector<int> freed;
  TVLList list;
  list.Add(std::make_unique<TTracked>(freed, 1));
  TVLIntegerList ints = TVLIntegerList::CreateFilled(2, 0);
  const std::vector<std::function<void()>> calls = {
      [&] { list.Get(1); },         [&] { list.Get(-1); },      [&] { list.Delete(1); },
      [&] { list.DeleteWithoutFree(-1); }, [&] { ints.Get(2); }, [&] { ints.Put(-1, 0); },
      [&] { ints.Insert(3, 0); },   [&] { ints.Delete(2); }};
  for (size_t i = 0; i < calls.size(); ++i) EXPECT_THROW(calls[i](), EListError) << "call " << i;
  EXPECT_EQ(1, list.Count());
  EXPECT_EQ(2, ints.Count());
}

TEST(VLIntegerListTest, AddUniqueFillSortAndCopies) {
  struct TCase {
    std::vector<Integer> start;
    Integer value;
    Integer index;
    std::vector<Integer> after;
  };
  const TCase cases[] = {
      {{3, 7, 7}, 7, 1, {3, 7, 7}},
      {{3, 7, 7}, 9, 3, {3, 7, 7, 9}},
      {{}, -4, 0, {-4}},
  };
  for (const TCase& c : cases) {
    TVLIntegerList list;
    for (Integer v : c.start) list.Add(v);
    EXPECT_EQ(c.index, list.AddUnique(c.value));
    EXPECT_EQ(c.after, list.Values());
  }
  EXPECT_EQ(0, TVLIntegerList::CreateFilled(0, 5).Count());
  EXPECT_EQ(0, TVLIntegerList::CreateFilled(-2, 5).Count());
  EXPECT_EQ(std::vector<Integer>({-1, -1, -1}), TVLIntegerList::CreateFilled(3, -1).Values());

  TVLIntegerList list;
  for (Integer v : {5, -2, 0, 5}) list.Add(v);
  TVLIntegerList copy = TVLIntegerList::CreateCopy(list);
  list.Sort();
  EXPECT_EQ(std::vector<Integer>({-2, 0, 5, 5}), list.Values());
  EXPECT_EQ(std::vector<Integer>({5, -2, 0, 5}), copy.Values());
  copy.Fill(8, 2);
  EXPECT_EQ(std::vector<Integer>({8, 8}), copy.Values());
}

TEST(VLColorListTest, NoColourIsNeverAdded) {
  TVLColorList colors;
  EXPECT_EQ(0, colors.AddUnique(clRed));
  EXPECT_EQ(-1, colors.AddUnique(clNone));
  EXPECT_EQ(1, colors.AddUnique(clBlue));
  EXPECT_EQ(0, colors.AddUnique(clRed));
  EXPECT_EQ(std::vector<Integer>({clRed, clBlue}), colors.Values());
  // Through the base class too.
  TVLIntegerList& base = colors;
  base.AddUnique(clNone);
  EXPECT_EQ(2, colors.Count());
}

}  // namespace
