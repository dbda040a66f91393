// Text converters from a description file: lists, dialog filters, running
// the programs, and their failures.
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include <filesystem>
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
                           "[Slow]\nExtensions=slow\nImport=sleep 600\n");
    Cnv.DescriptionFile = (Dir / "converters.ini").string();
    Cnv.UseInstalledConverters = false;
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
  // A name that holds a placeholder is not substituted again.
  qytest::WriteFileBytes(Dir / "in%2.rtf", "{\\rtf1 hello}");
  std::vector<Integer> progress;
  Cnv.OnConverting = [&](TObject*, Integer p) { progress.push_back(p); };
  ASSERT_TRUE(Cnv.ImportRTF((Dir / "in%2.rtf").string(), 0));
  EXPECT_EQ(Cnv.Stream.Bytes(), "{\\rtf1 hello}");
  EXPECT_EQ(progress, (std::vector<Integer>{0, 100}));
  Cnv.Stream.SetPosition(0);
  ASSERT_TRUE(Cnv.ExportRTF((Dir / "out.rtf").string(), 0));
  EXPECT_EQ(qytest::ReadFileBytes(Dir / "out.rtf"), "{\\rtf1 hello}");
  // A relative name that looks like an option reaches the program as a file.
  qytest::WriteFileBytes(Dir / "-n", "{\\rtf1 dash}");
  const auto kept = std::filesystem::current_path();
  std::filesystem::current_path(Dir.path());
  const bool dash = Cnv.ImportRTF("-n", 0);
  std::filesystem::current_path(kept);
  ASSERT_TRUE(dash) << Cnv.ErrorCode;
  EXPECT_EQ(Cnv.Stream.Bytes(), "{\\rtf1 dash}");
}

TEST_F(ConverterFixture, Failures) {
  EXPECT_FALSE(Cnv.ImportRTF((Dir / "in.zzz").string(), 2));
  EXPECT_EQ(Cnv.ErrorCode, 1);
  EXPECT_EQ(Cnv.Stream.GetSize(), 0);
  EXPECT_FALSE(Cnv.ImportRTF((Dir / "missing.rtf").string(), 0));
  EXPECT_NE(Cnv.ErrorCode, 0);
  // The default limit lets a converter work for minutes; one set short
  // stops the one that would sleep for ten.
  Cnv.TimeLimitMs = 1000;
  EXPECT_FALSE(Cnv.ImportRTF("x.slow", 3));
  EXPECT_EQ(Cnv.ErrorCode, 3);
  EXPECT_NE(Cnv.ErrorText().find("did not finish within 1 second and"), String::npos) << Cnv.ErrorText();
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

// The office suite's converters are offered where its word processor is
// installed, not wherever its program is (which comes with any part of it).
TEST(ConverterList, TheOfficeSuiteNeedsItsWordProcessor) {
  qytest::TempDir dir;
  const auto program = dir / "lib/office/program";
  std::filesystem::create_directories(program);
  std::filesystem::create_directory(dir / "bin");
  qytest::WriteFileBytes(program / "soffice", "#!/bin/sh\nexit 0\n");
  std::filesystem::permissions(program / "soffice", std::filesystem::perms::owner_all);
  std::filesystem::create_symlink(program / "soffice", dir / "bin/soffice");
  const char* kept = std::getenv("PATH");
  const std::string path = kept ? kept : "";
  ::setenv("PATH", (dir / "bin").c_str(), 1);
  const auto importCount = [&] {
    TVLOfficeConverter cnv;
    cnv.DescriptionFile = (dir / "absent.ini").string();
    return cnv.GetImportConverters().Count();
  };
  const Integer without = importCount();
  qytest::WriteFileBytes(program / "libswlo.so", "");
  TVLOfficeConverter with;
  with.DescriptionFile = (dir / "absent.ini").string();
  const Integer withCount = with.GetImportConverters().Count();
  const Integer exportCount = with.GetExportConverters().Count();
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(without, 0);
  ASSERT_EQ(withCount, 4);
  EXPECT_EQ(exportCount, 3);
  EXPECT_EQ(with.GetImportConverters().GetItem(0)->ImportCommand[0], (dir / "bin/soffice").string());
}

}  // namespace
