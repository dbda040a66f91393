// The draw-line list: in-place replacement of a stretch, and the text of
// a piece.
#include "platform/base/Strings.h"
#include "richtext/model/VLData.h"
#include "richtext/view/VLDrawLines.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TVLDrawLineInfo> Line(Integer tag) {
  return TVLDrawLineInfo::CreateEx(tag, 0, 0, 0, tag, false);
}

std::vector<Integer> Tags(const TVLDrawLines& lines) {
  std::vector<Integer> r;
  for (Integer i = 0; i < lines.Count(); ++i) r.push_back(lines[i]->Left);
  return r;
}

}  // namespace

TEST(DrawLines, PendingRangeIsRefilledInPlace) {
  struct TCase {
    Integer MarkFirst, MarkLast;
    std::vector<Integer> InsertAt;
    std::vector<Integer> Expected;
  };
  // Six lines tagged 0..5; inserted lines are tagged 100, 101, ...
  const TCase cases[] = {
      {2, 4, {2, 3}, {0, 1, 100, 101, 5}},
      {2, 3, {2, 3, 4}, {0, 1, 100, 101, 102, 4, 5}},
      {0, 5, {}, {}},
      {3, 2, {3}, {0, 1, 2, 100, 3, 4, 5}},
      {5, 5, {5}, {0, 1, 2, 3, 4, 100}},
  };
  for (const TCase& c : cases) {
    TVLDrawLines lines;
    for (Integer i = 0; i < 6; ++i) lines.Add(Line(i));
    lines.MarkForDelete(c.MarkFirst, c.MarkLast);
    Integer tag = 100;
    for (Integer at : c.InsertAt) lines.Insert(at, Line(tag++));
    lines.DeleteMarked();
    EXPECT_EQ(Tags(lines), c.Expected) << c.MarkFirst << ".." << c.MarkLast;
    EXPECT_EQ(lines.PendingCount(), 0);
  }
}

TEST(DrawLines, DeleteBeforeThePendingRangeJoinsIt) {
  TVLDrawLines lines;
  for (Integer i = 0; i < 6; ++i) lines.Add(Line(i));
  lines.MarkForDelete(3, 3);
  lines.Delete(2);
  EXPECT_EQ(lines.PendingFirst(), 2);
  EXPECT_EQ(lines.PendingCount(), 2);
  lines.Insert(2, Line(100));
  lines.DeleteMarked();
  EXPECT_EQ(Tags(lines), (std::vector<Integer>{0, 1, 100, 4, 5}));
  // Without a pending range nothing is marked and a delete removes.
  lines.DeleteMarked();
  lines.Delete(0);
  EXPECT_EQ(Tags(lines), (std::vector<Integer>{1, 100, 4, 5}));
}

TEST(DrawLines, TextOfAPiece) {
  TVLDocumentData doc;
  doc.AddTextItem("hello world", 0, 0);
  doc.AddTextItem(AnsiString("a\0b\0c\0d\0e\0", 10), 0, 0);
  doc.GetItem(1)->ItemOptions |= vlioUnicode;
  TVLDrawLines lines;
  auto piece = TVLDrawLineInfo::CreateEx(0, 0, 0, 0, 0, true);
  piece->TextOffset = 7;
  piece->Length = 5;
  lines.Add(std::move(piece));
  auto wide = TVLDrawLineInfo::CreateEx(0, 0, 0, 0, 1, true);
  wide->TextOffset = 2;
  wide->Length = 3;
  lines.Add(std::move(wide));
  EXPECT_EQ(lines.GetText(0, *doc.Items), "world");
  EXPECT_EQ(lines.GetSubText(0, *doc.Items, 4, 10), "ld");
  EXPECT_EQ(lines.GetSubText(0, *doc.Items, 2, 2), "or");
  EXPECT_EQ(lines.GetText(1, *doc.Items), AnsiString("b\0c\0d\0", 6));
}
