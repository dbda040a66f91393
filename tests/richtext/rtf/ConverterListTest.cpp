// Text converters from a description file: lists, dialog filters, running
// the programs, and their failures.
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

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
  shown.ExtensionsInFilter = true;
  shown.ExcludeHTMLImportConverter = true;
  EXPECT_EQ(shown.GetImportFilter().substr(0, 29), "Rich text (*.rtf)|*.rtf|Missi");
}

TEST_F(ConverterFixture, NoDescriptionFileGivesEmptyLists) {
  TVLOfficeConverter none;
  none.DescriptionFile = (Dir / "absent.ini").string();
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

}  // namespace
