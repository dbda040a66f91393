// A page break at the caret: the paragraph is split first when the caret is
// inside it, and one Undo takes both back.
#include "EditTestSupport.h"

using namespace qytest;

TEST(InsertPageBreak, SplitsWhenNeededAndOneUndoRestores) {
  struct TCase {
    const char* What;
    Integer Item, Offs;
    const char* Dump;
    Integer BreakItem;
  } cases[] = {
      {"middle of a paragraph", 0, 3, "ab|cdef|gh+x", 1},
      {"start of a paragraph", 1, 1, "abcdef|gh+x", 1},
      {"item that continues a line", 2, 1, "abcdef|gh|x", 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Text("abcdef");
    d.Text("gh");
    d.Data.AddTextItem("x", 1, -1);
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(c.Item, c.Offs);
    d.Data.InsertPageBreak();
    EXPECT_EQ(d.Dump(), c.Dump);
    for (Integer i = 0; i < d.Data.GetItemCount(); ++i)
      EXPECT_EQ(d.Data.GetItem(i)->GetPageBreakBefore(), i == c.BreakItem) << i;
    ASSERT_EQ(d.Data.UndoList->Count(), 1);
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
  }
}
