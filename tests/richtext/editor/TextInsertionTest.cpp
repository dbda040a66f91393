// Whole texts and text files inserted at the caret: line endings, UTF-16
// separators, byte-order marks, list paragraphs, and one Undo for all.
#include "EditTestSupport.h"

#include <cstdio>
#include <fstream>

using namespace qytest;

namespace {

void Insert(TEditDoc& d, Byte type, const std::function<void()>& f) {
  d.Data.BeginUndoSequence(type, true);
  d.Data.SetUndoGroupMode(true);
  f();
  d.Data.SetUndoGroupMode(false);
}

AnsiString Raw(const std::u16string& s) { return WideStringToRawUnicode(s); }

std::string TempFile(const AnsiString& bytes) {
  char name[] = "/tmp/qy_textins_XXXXXX";
  const int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  close(fd);
  return name;
}

}  // namespace

TEST(InsertText, LineEndingsAndSeparatorsMakeParagraphsAndLines) {
  struct TCase {
    const char* What;
    bool Unicode;
    AnsiString Text;
    const char* Expected;
    Integer CaretItem, CaretOffs;
  } cases[] = {
      {"CR, LF and CR LF", false, "a\rb\nc\r\nd", "xa|b|c|dy", 3, 2},
      {"a trailing break leaves an empty paragraph", false, "a\r\n", "xa|y", 1, 1},
      {"line then paragraph separator", true, Raw(u"A\u2028B\u2029C"), "u:xA/u:B|u:Cy", 2, 2},
      {"paragraph then line separator", true, Raw(u"A\u2029B\u2028C"), "u:xA|u:B/u:Cy", 2, 2},
      {"LF CR pairs and vertical tab", true, Raw(u"A\n\rB\u000bC"), "u:xA|u:B/u:Cy", 2, 2},
      {"a form feed gives a page break", true, Raw(u"A\u000cB"), "u:xA|u:By", 1, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    if (c.Unicode) {
      d.Data.AddTextItem(Raw(u"xy"), d.UStyle, 0);
      d.Data.CurTextStyleNo = d.UStyle;
    } else {
      d.Text("xy");
    }
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(0, 2);
    Insert(d, vlutInsert, [&] {
      if (c.Unicode)
        d.Data.InsertRawUnicodeText(c.Text, false);
      else
        d.Data.InsertTextA(c.Text, false, false);
    });
    EXPECT_EQ(d.Dump(), c.Expected);
    EXPECT_EQ(d.Data.GetCaretItemNo(), c.CaretItem);
    EXPECT_EQ(d.Data.GetCaretOffset(), c.CaretOffs);
    if (std::string(c.What).find("form feed") != std::string::npos) {
      EXPECT_TRUE(d.Data.GetItem(1)->GetPageBreakBefore());
    }
    ASSERT_EQ(d.Data.UndoList->Count(), 1);
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
    d.Data.RedoList->Redo(&d.Data);
    EXPECT_EQ(d.Dump(), c.Expected);
  }
}

TEST(InsertText, LinesIntoAListParagraphGetMarkers) {
  TEditDoc d;
  d.Style.ListStyles->Add()->Levels->Add()->ListType = vllstBullet;
  d.Text("item");
  d.Format();
  d.Caret(0, 1);
  d.Data.ApplyListOperation(0, 0, 0, 1, false);
  d.Data.UndoList->Clear();
  d.Caret(1, 5);
  Insert(d, vlutInsert, [&] { d.Data.InsertTextA("\r\nsecond\r\nthird", false, false); });
  EXPECT_EQ(d.Dump(), "#+item|#+second|#+third");
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Dump(), "#+item");
  EXPECT_EQ(d.Data.GetMarkers(false)->Count(), 1);
}

TEST(InsertText, TextFiles) {
  struct TCase {
    const char* What;
    bool Unicode;
    AnsiString Bytes;
    const char* Expected;
    bool Ok;
  } cases[] = {
      {"8-bit with CR, LF and CR LF", false, "one\rtwo\nthree\r\nfour", "one|two|three|four", true},
      {"8-bit form feed", false, "one\ftwo", "one|two", true},
      {"UTF-16 with byte-order mark", true, AnsiString("\xFF\xFE", 2) + Raw(u"a\r\nb"), "u:a|u:b", true},
      {"UTF-16 byte-swapped", true, AnsiString("\xFE\xFF\0a\0\r\0\n\0b", 10), "u:a|u:b", true},
      {"UTF-16 without a mark keeps its first unit", true, Raw(u"ab"), "u:ab", true},
      {"UTF-16 of odd length fails", true, AnsiString("abc"), "", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Data.CurTextStyleNo = c.Unicode ? d.UStyle : 0;
    d.Format();
    const std::string file = TempFile(c.Bytes);
    const bool ok = c.Unicode ? d.Data.InsertUnicodeTextFromFile(file, false)
                              : d.Data.InsertTextFromFile(file, false);
    std::remove(file.c_str());
    EXPECT_EQ(ok, c.Ok);
    if (!ok) continue;
    EXPECT_EQ(d.Dump(), c.Expected);
    if (std::string(c.What) == "8-bit form feed") {
      EXPECT_TRUE(d.Data.GetItem(1)->GetPageBreakBefore());
    }
    ASSERT_EQ(d.Data.UndoList->Count(), 1);
  }
  TEditDoc d;
  d.Format();
  EXPECT_FALSE(d.Data.InsertTextFromFile("/nonexistent/file.txt", false));
}

TEST(InsertText, UnicodeIntoAn8BitStyleKeepsEveryCharacter) {
  TEditDoc d;
  d.Text("ab");
  d.Format();
  d.Caret(0, 3);
  Insert(d, vlutInsert, [&] { d.Data.InsertRawUnicodeText(Raw(u"\u4e2d\u2029\u00e9"), false); });
  EXPECT_EQ(d.Dump(), "ab+u:\u4e2d|u:\u00e9");
}
