// List and override tables opened again from inside the one being read:
// the table being filled keeps its records, and no level word reaches for
// a list or override that is gone.
#include "RTFTestSupport.h"
#include "richtext/rtf/VLRTFReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TableShape {
  size_t Lists, ListLevels, Overrides, OverrideLevels;
};

TEST(RTFListTableReentry, TheTableBeingReadKeepsItsRecords) {
  struct Case {
    const char* Rtf;
    TableShape Shape;
  } cases[] = {
      {"{\\rtf1{\\*\\listtable{\\list{\\*\\listtable}{\\listlevel}}}}", {1, 1, 0, 0}},
      {"{\\rtf1{\\*\\listtable{\\list{\\*\\listtable{\\list}}{\\listlevel}\\listid7}}}", {1, 1, 0, 0}},
      // Reached through another destination.
      {"{\\rtf1{\\*\\listtable{\\list{\\fonttbl{\\*\\listtable}}{\\listlevel}}}}", {1, 1, 0, 0}},
      {"{\\rtf1{\\*\\listtable{\\list{\\listlevel{\\*\\listtable}\\levelnfc23}}}}", {1, 1, 0, 0}},
      {"{\\rtf1{\\*\\listoverridetable{\\listoverride{\\*\\listoverridetable}{\\lfolevel}}}}", {0, 0, 1, 1}},
      {"{\\rtf1{\\*\\listoverridetable{\\listoverride{\\stylesheet{\\*\\listoverridetable}}{\\lfolevel}}}}",
       {0, 0, 1, 1}},
      // One table inside the other is not the same table read again.
      {"{\\rtf1{\\*\\listtable{\\list{\\*\\listoverridetable{\\listoverride}}{\\listlevel}}}}", {1, 1, 1, 0}},
      // Outside any group.
      {"\\*\\listtable{\\list{\\*\\listtable}{\\listlevel}}", {1, 1, 0, 0}},
      // A later table of its own still replaces the earlier one.
      {"{\\rtf1{\\*\\listtable{\\list\\listid1}}{\\*\\listtable{\\list\\listid2}{\\list{\\listlevel}\\listid3}}}",
       {2, 1, 0, 0}},
      {"{\\rtf1{\\*\\listoverridetable{\\listoverride\\ls1}}{\\*\\listoverridetable{\\listoverride{\\lfolevel}\\ls2}}}",
       {0, 0, 1, 1}},
  };
  for (const auto& c : cases) {
    TVLRTFReader reader;
    reader.OnNewText = [](TVLRTFReader*, const AnsiString&, TVLRTFPosition) {};
    TStringStream s(c.Rtf);
    ASSERT_EQ(reader.ReadFromStream(s), 0) << c.Rtf;
    ASSERT_EQ(reader.ListTable.size(), c.Shape.Lists) << c.Rtf;
    if (c.Shape.Lists) {
      EXPECT_EQ(reader.ListTable.back()->Levels.size(), c.Shape.ListLevels) << c.Rtf;
    }
    ASSERT_EQ(reader.ListOverrideTable.size(), c.Shape.Overrides) << c.Rtf;
    if (c.Shape.Overrides) {
      EXPECT_EQ(reader.ListOverrideTable.back()->Levels.size(), c.Shape.OverrideLevels) << c.Rtf;
    }
  }
}

// The reported files, imported with lists on and off, appended and inserted.
TEST(RTFListTableReentry, ReportedFilesImport) {
  struct Case {
    const char* File;
    Byte Code;
  } cases[] = {
      {"rtf-list-reentry.rtf", 0},
      {"rtf-override-reentry.rtf", 0},
      {"fuzz-crash-list-1.rtf", 3},
      {"fuzz-crash-list-2.rtf", 3},
  };
  for (const auto& c : cases) {
    const std::string bytes = qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/rtf/data" / c.File);
    ASSERT_FALSE(bytes.empty()) << c.File;
    for (bool lists : {false, true}) {
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TVLRTFReaderProperties props;
      if (lists) {
        props.ParaStyleMode = vlrsAddIfNeeded;
        props.TextStyleMode = vlrsAddIfNeeded;
        props.UnicodeMode = vlruMixed;
      }
      EXPECT_EQ(rtftest::Import(props, doc, bytes), c.Code) << c.File;
      doc.AddTextItem("before", 0, 0);
      TStringStream in(bytes);
      Integer index = 0;
      EXPECT_EQ(props.InsertFromStream(in, &doc, index), c.Code) << c.File;
      EXPECT_NE(rtftest::PlainText(doc).find("before"), std::string::npos) << c.File;
    }
  }
}

}  // namespace

namespace {

// A list table read again later in the document maps its own lists: the
// paragraphs after it are numbered in the lists they name.
TEST(RTFListTableReentry, ALaterListTableMapsItsOwnLists) {
  const std::string rtf =
      "{\\rtf1{\\fonttbl{\\f0 Arial;}}"
      "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
      "\\pard\\ls1 a\\par"
      "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}"
      "{\\list{\\listlevel\\levelnfc4{\\leveltext\\'02\\'00);}}\\listid2}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}"
      "\\pard\\ls2 b\\par}";
  rtftest::TImported in;
  ASSERT_EQ(in.Read(rtf), 0);
  std::vector<TVLListType> types;
  for (Integer i = 0; i < in.Doc.GetItemCount(); ++i)
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(in.Doc.GetItem(i))) {
      ASSERT_GE(m->ListNo, 0);
      types.push_back(in.Style.ListStyles->Items(m->ListNo)->Levels->Items(m->Level)->ListType);
    }
  EXPECT_EQ(types, (std::vector<TVLListType>{vllstDecimal, vllstLowerAlpha}));
}

}  // namespace
