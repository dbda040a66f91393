// Text converters from a description file: lists, dialog filters, running
// the programs, and their failures.
#include "RTFTestSupport.h"
#include "platform/os/SysPaths.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

TEST(ConverterList, ExtensionsToMasks) {
  EXPECT_EQ(ExtensionsToMasks("doc dot"), "*.doc;*.dot");
  EXPECT_EQ(ExtensionsToMasks("rtf"), "*.rtf");
  EXPECT_EQ(ExtensionsToMasks("a  b"), "*.a;*.;*.b");
}

struct ConverterFixture : ::testing::Test {
  ConverterFixture() {
    qytest::WriteFileBytes(Dir / "converters.ini",
                           "[Rich text]\nExtensions=rtf\nImport=cat %1\nExport=cp %2 %1\n"
                           "[Web page]\nExtensions=htm html\nImport=cat %1\n"
                           "[Missing program]\nExtensions=zzz\nImport=/nonexistent/tool %1\nExport=/nonexistent/tool\n"
                           "[No extensions]\nImport=cat %1\n"
                           "[Slow]\nExtensions=slow\nImport=sleep 5\n");
    Cnv.DescriptionFile = (Dir / "converters.ini").string();
    Cnv.UseInstalledConverters = false;
    Cnv.TimeLimitMs = 500;
  }
  qytest::TempDir Dir;
  TVLOfficeConverter Cnv;
};

TEST_F(ConverterFixture, FiltersListConvertersInFileOrder) {
  EXPECT_EQ(Cnv.GetImportFilter(),
            "Rich text|*.rtf|Web page|*.htm;*.html|Missing program|*.zzz|Slow|*.slow");
  EXPECT_EQ(Cnv.GetExportFilter(), "Rich text|*.rtf|Missing program|*.zzz");
  TVLOfficeConverter shown;
  shown.DescriptionFile = Cnv.DescriptionFile;
  shown.UseInstalledConverters = false;
  shown.ExtensionsInFilter = true;
  shown.ExcludeHTMLImportConverter = true;
  EXPECT_EQ(shown.GetImportFilter().substr(0, 29), "Rich text (*.rtf)|*.rtf|Missi");
}

TEST_F(ConverterFixture, NoDescriptionFileGivesEmptyLists) {
  TVLOfficeConverter none;
  none.DescriptionFile = (Dir / "absent.ini").string();
  none.UseInstalledConverters = false;
  EXPECT_EQ(none.GetImportFilter(), "");
  EXPECT_EQ(none.GetExportConverters().Count(), 0);
  EXPECT_FALSE(none.ImportRTF("x.rtf", 0));
}

TEST_F(ConverterFixture, ImportAndExportRunThePrograms) {
  qytest::WriteFileBytes(Dir / "in.rtf", "{\\rtf1 hello}");
  std::vector<Integer> progress;
  Cnv.OnConverting = [&](TObject*, Integer p) { progress.push_back(p); };
  ASSERT_TRUE(Cnv.ImportRTF((Dir / "in.rtf").string(), 0));
  EXPECT_EQ(Cnv.Stream.Bytes(), "{\\rtf1 hello}");
  EXPECT_EQ(progress, (std::vector<Integer>{0, 100}));
  Cnv.Stream.SetPosition(0);
  ASSERT_TRUE(Cnv.ExportRTF((Dir / "out.rtf").string(), 0));
  EXPECT_EQ(qytest::ReadFileBytes(Dir / "out.rtf"), "{\\rtf1 hello}");
}

TEST_F(ConverterFixture, Failures) {
  EXPECT_FALSE(Cnv.ImportRTF((Dir / "in.zzz").string(), 2));
  EXPECT_EQ(Cnv.ErrorCode, 1);
  EXPECT_EQ(Cnv.Stream.GetSize(), 0);
  EXPECT_FALSE(Cnv.ImportRTF((Dir / "missing.rtf").string(), 0));
  EXPECT_NE(Cnv.ErrorCode, 0);
  EXPECT_FALSE(Cnv.ImportRTF("x.slow", 3));
  EXPECT_EQ(Cnv.ErrorCode, 3);
  // Exporting nothing is a failure, and no file appears.
  Cnv.Stream.Clear();
  EXPECT_FALSE(Cnv.ExportRTF((Dir / "empty.rtf").string(), 0));
  EXPECT_TRUE(qytest::ReadFileBytes(Dir / "empty.rtf").empty());
  EXPECT_FALSE(Cnv.ExportVL((Dir / "w.rtf").string(), [](TStream&) { return false; }, 0));
}

TEST_F(ConverterFixture, AFailedExportLeavesTheFileAsItWas) {
  qytest::WriteFileBytes(Dir / "tools.ini", "[Silent]\nExtensions=x\nExport=true %1 %2\n"
                                             "[Broken]\nExtensions=y\nExport=false %1 %2\n"
                                             "[Empty]\nExtensions=z\nImport=true %1\n");
  TVLOfficeConverter c;
  c.DescriptionFile = (Dir / "tools.ini").string();
  c.UseInstalledConverters = false;
  for (const Integer index : {0, 1}) {
    SCOPED_TRACE(index);
    qytest::WriteFileBytes(Dir / "kept.doc", "old");
    c.Stream.Clear();
    c.Stream.Write("{\\rtf1 new}", 11);
    c.Stream.SetPosition(0);
    EXPECT_FALSE(c.ExportRTF((Dir / "kept.doc").string(), index));
    EXPECT_EQ(qytest::ReadFileBytes(Dir / "kept.doc"), "old");
  }
  EXPECT_EQ(c.ErrorCode, 101);
  // Nothing hidden is left beside the file either.
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(Dir.path())) ++files;
  EXPECT_EQ(files, 3u);
  // An import that ends well but hands over nothing has failed.
  EXPECT_FALSE(c.ImportRTF((Dir / "kept.doc").string(), 0));
  EXPECT_EQ(c.ErrorCode, 5);
}

// The installed document converter: our own RTF goes out as Word and
// OpenDocument files and comes back with its text, bold, list items and table.
TEST(InstalledConverters, WordAndOpenDocumentComeBackWithTheirContent) {
  ASSERT_FALSE(FindProgramInPath("pandoc").empty()) << "the set-up installs pandoc";
  qytest::TempDir dir;
  TVLOfficeConverter cnv;
  cnv.DescriptionFile = (dir / "absent.ini").string();
  cnv.ExcludeHTMLExportConverter = true;
  const String exportFilter = cnv.GetExportFilter();
  EXPECT_NE(exportFilter.find("*.docx"), String::npos);
  EXPECT_NE(exportFilter.find("*.odt"), String::npos);
  EXPECT_EQ(exportFilter.find("*.htm"), String::npos);
  EXPECT_NE(cnv.GetImportFilter().find("*.htm"), String::npos);

  // The document, read from RTF and written by our own writer.
  TVLStyle style(nullptr);
  TVLDocumentData source(&style);
  TVLRTFReaderProperties props;
  props.ParaStyleMode = vlrsAddIfNeeded;
  props.TextStyleMode = vlrsAddIfNeeded;
  ASSERT_EQ(rtftest::Import(props, source,
                            "{\\rtf1{\\fonttbl{\\f0 Arial;}}"
                            "{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}"
                            "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                            "\\pard Plain and {\\b heavy} words.\\par"
                            "\\pard\\ls1\\ilvl0 first item\\par\\pard\\ls1\\ilvl0 second item\\par"
                            "\\trowd\\cellx2000\\cellx4000\\pard\\intbl north\\cell\\pard\\intbl south\\cell\\row"
                            "\\pard After.\\par}"),
            0);
  TMemoryStream ours;
  ASSERT_TRUE(source.SaveRTFToStream(ours, false, 0, clNone, nullptr, nullptr));

  const auto indexOf = [](TVLOfficeCnvList& list, const char* mask) {
    for (Integer i = 0; i < list.Count(); ++i)
      if (list.GetItem(i)->Filter == mask) return i;
    return Integer(-1);
  };
  for (const char* mask : {"*.docx", "*.odt"}) {
    SCOPED_TRACE(mask);
    const String file = (dir / (String("entry") + (mask + 1))).string();
    cnv.Stream.Clear();
    cnv.Stream.CopyFrom(ours, 0);
    cnv.Stream.SetPosition(0);
    const Integer out = indexOf(cnv.GetExportConverters(), mask);
    ASSERT_GE(out, 0);
    ASSERT_TRUE(cnv.ExportRTF(file, out)) << cnv.ErrorCode;
    // A copy is made as any new file, not with the hidden file's mode.
    const mode_t umaskNow = ::umask(0);
    ::umask(umaskNow);
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0666 & ~umaskNow));
    const Integer in = indexOf(cnv.GetImportConverters(), mask);
    ASSERT_GE(in, 0);
    ASSERT_TRUE(cnv.ImportRTF(file, in)) << cnv.ErrorCode;

    TVLStyle backStyle(nullptr);
    TVLDocumentData back(&backStyle);
    ASSERT_EQ(props.ReadFromStream(cnv.Stream, &back), 0);
    const std::string text = rtftest::PlainText(back);
    for (const char* words : {"Plain and ", "heavy", "first item", "second item", "north|south|", "After."})
      EXPECT_NE(text.find(words), std::string::npos) << words << " in\n" << text;
    // List items come back as paragraphs of their own (the converter's
    // RTF reader does not take over our list numbering).
    EXPECT_NE(text.find("first item\nsecond item\n"), std::string::npos) << text;
    bool bold = false, table = false;
    for (Integer i = 0; i < back.GetItemCount(); ++i) {
      const Integer styleNo = back.GetItem(i)->StyleNo;
      if (styleNo >= 0 && rtftest::ItemText(back, i) == "heavy")
        bold = backStyle.TextStyles->Items(styleNo)->Style.Contains(fsBold);
      table = table || dynamic_cast<TVLTableItemInfo*>(back.GetItem(i)) != nullptr;
    }
    EXPECT_TRUE(bold);
    EXPECT_TRUE(table);
  }
}

}  // namespace
