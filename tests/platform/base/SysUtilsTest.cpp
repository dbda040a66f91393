#include "platform/base/SysUtils.h"

#include <gtest/gtest.h>

TEST(SysUtils, MulDivRoundsHalfAwayFromZero) {
  struct Case { Integer a, b, c, expected; };
  const Case cases[] = {
      {10, 96, 72, 13},    // 10 pt at 96 ppi
      {1, 1, 2, 1},        // half rounds up
      {-1, 1, 2, -1},      // and away from zero when negative
      {3, 1, 4, 1},
      {1, 1, 4, 0},
      {1440, 96, 1440, 96},
      {0x40000000, 4, 2, static_cast<Integer>(0x80000000u)},  // 64-bit intermediate
      {5, 5, 0, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
  }
}

TEST(SysUtils, ExceptionsNameTheirClass) {
  try {
    throw EConvertError("'abc' is not a valid integer value");
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EConvertError");
    EXPECT_EQ(e.Message, "'abc' is not a valid integer value");
  }
  EXPECT_THROW(Abort(), EAbort);
}

#include "platform/base/Streams.h"
#include "support/FolderWatch.h"
#include "support/TestSupport.h"

#include <cmath>
#include <functional>
#include <sys/stat.h>

TEST(SysUtils, IntegerTextConversions) {
  struct Case { const char* text; bool ok; Integer value; };
  const Case cases[] = {
      {"0", true, 0},           {"42", true, 42},          {"-17", true, -17},
      {"+5", true, 5},          {"  12", true, 12},        {"12 ", false, 0},
      {"$1F", true, 31},        {"$ff", true, 255},        {"0x1F", true, 31},
      {"-$10", true, -16},      {"$FFFFFFFF", true, -1},   {"$80000000", true, INT32_MIN},
      {"$100000000", false, 0}, {"2147483647", true, INT32_MAX},
      {"2147483648", false, 0}, {"-2147483648", true, INT32_MIN},
      {"", false, 0},           {"$", false, 0},           {"-", false, 0},
      {"1.5", false, 0},        {"abc", false, 0},         {"12a", false, 0},
  };
  for (const auto& c : cases) {
    Integer v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
      EXPECT_EQ(StrToInt(c.text), c.value);
      EXPECT_EQ(StrToIntDef(c.text, 77), c.value);
    } else {
      EXPECT_EQ(StrToIntDef(c.text, 77), 77) << c.text;
      try {
        StrToInt(c.text);
        ADD_FAILURE() << "no error for " << c.text;
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, std::string("'") + c.text + "' is not a valid integer value");
      }
    }
  }
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", -3), -3);
  EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0x1234, 2), "1234");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST(SysUtils, BooleanAndFloatConversions) {
  EXPECT_TRUE(StrToBool("TRUE"));
  EXPECT_TRUE(StrToBool("true"));
  EXPECT_FALSE(StrToBool("False"));
  EXPECT_TRUE(StrToBool("-1"));
  EXPECT_FALSE(StrToBool("0"));
  EXPECT_THROW(StrToBool("Yes"), EConvertError);
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false, true), "False");

  EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloat(" -2.5e3 "), -2500);
  EXPECT_THROW(StrToFloat("1,5"), EConvertError);
  EXPECT_THROW(StrToFloat("nan"), EConvertError);
  EXPECT_DOUBLE_EQ(StrToFloatDef("x", 7.25), 7.25);

  struct Case { double v; const char* text; };
  const Case general[] = {
      {0, "0"},         {1, "1"},           {-1.5, "-1.5"},     {0.1, "0.1"},
      {1e-4, "0.0001"}, {1e-5, "1E-5"},     {1.5e20, "1.5E20"}, {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},   {2.0 / 3, "0.666666666666667"},
  };
  for (const auto& c : general) EXPECT_EQ(FloatToStr(c.v), c.text) << c.v;

  EXPECT_EQ(FloatToStrF(1234567.891, ffNumber, 15, 2), "1,234,567.89");
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 5, 1), "1,234.5");
  EXPECT_EQ(FloatToStrF(-0.5, ffFixed, 15, 0), "-1");
  EXPECT_EQ(FloatToStrF(2.5, ffFixed, 15, 3), "2.500");
  EXPECT_EQ(FloatToStrF(1.5, ffExponent, 4, 2), "1.500E+00");
  EXPECT_EQ(FloatToStrF(-12.5, ffCurrency, 15, 2), "($12.50)");
}

TEST(SysUtils, TextHelpers) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(UpperCase("abc-äz"), "ABC-äZ");
  EXPECT_EQ(LowerCase("ABC"), "abc");
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("Hello", "Hell"));
  EXPECT_LT(CompareText("apple", "Banana"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_EQ(AnsiCompareText("Äpfel", "äPFEL"), 0);
  EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
  EXPECT_LT(AnsiCompareText("Eagle", "\xC3\x89" "clair"), 0);  // accents sort with the base letter
  EXPECT_LT(AnsiCompareText("\xC3\x89" "clair", "Fig"), 0);
  EXPECT_LT(AnsiCompareText("e", "\xC3\xA9"), 0);
  EXPECT_FALSE(AnsiSameText("e", "\xC3\xA9"));
  EXPECT_LT(AnsiCompareText("\xC5\xA0koda", "Tatra"), 0);  // Š
  // Bytes that are not UTF-8 still compare apart.
  EXPECT_NE(AnsiCompareText("\xE4", "\xE5"), 0);
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
  EXPECT_EQ(StringReplace("xAx", "a", "b", rfReplaceAll | rfIgnoreCase), "xbx");
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
}

TEST(SysUtils, PathHelpers) {
  struct Case { const char* path; const char* dir; const char* name; const char* ext; const char* changed; };
  const Case cases[] = {
      {"/a/b/c.txt", "/a/b/", "c.txt", ".txt", "/a/b/c.ini"},
      {"c.tar.gz", "", "c.tar.gz", ".gz", "c.tar.ini"},
      {"/a.b/c", "/a.b/", "c", "", "/a.b/c.ini"},
      {"/a/b/", "/a/b/", "", "", "/a/b/.ini"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.dir) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    EXPECT_EQ(ChangeFileExt(c.path, ".ini"), c.changed) << c.path;
  }
  EXPECT_EQ(ExtractFileDir("/a/b/c.txt"), "/a/b");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a//"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(SysUtils, FileHelpers) {
  qytest::TempDir tmp;
  const String dir = tmp.str() + "/x/y/z";
  EXPECT_FALSE(DirectoryExists(dir));
  EXPECT_TRUE(ForceDirectories(dir));
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_FALSE(FileExists(dir));

  const String src = dir + "/src.bin";
  const String dst = tmp.str() + "/dst.bin";
  qytest::WriteFileBytes(src, std::string("one\0two", 7));
  EXPECT_TRUE(FileExists(src));
  EXPECT_EQ(FileSizeOf(src), 7);
  EXPECT_TRUE(CopyFile(src, dst, true));
  EXPECT_EQ(qytest::ReadFileBytes(dst), std::string("one\0two", 7));

  // failIfExists leaves the target alone; otherwise it is replaced.
  qytest::WriteFileBytes(src, "new");
  EXPECT_FALSE(CopyFile(src, dst, true));
  EXPECT_EQ(qytest::ReadFileBytes(dst).size(), 7u);
  EXPECT_TRUE(CopyFile(src, dst, false));
  EXPECT_EQ(qytest::ReadFileBytes(dst), "new");
  EXPECT_FALSE(CopyFile(tmp.str() + "/missing", dst, false));
  EXPECT_EQ(qytest::ReadFileBytes(dst), "new");
  // No temporary files are left behind.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(tmp.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1);

  EXPECT_FALSE(RenameFile(src, dst));  // never replaces
  EXPECT_TRUE(RenameFile(src, dir + "/moved"));
  EXPECT_TRUE(DeleteFile(dir + "/moved"));
  EXPECT_FALSE(DeleteFile(dir + "/moved"));
  EXPECT_FALSE(DeleteFile(dir));  // not a folder
  EXPECT_TRUE(RemoveDir(dir));
  EXPECT_FALSE(CreateDir(tmp.str() + "/p/q"));  // one level only
  EXPECT_TRUE(CreateDir(tmp.str() + "/p"));
}

// A copy of a private file, and a file replaced whole, are never readable
// by others while they are written, in a folder others may read: a watcher
// of the folder finds no such file at any moment. The results keep the
// source's or the replaced file's permissions.
TEST(SysUtils, PrivateFilesAreNeverReadableByOthersWhileWritten) {
  const mode_t umaskWas = ::umask(022);
  qytest::TempDir tmp;
  ::chmod(tmp.path().c_str(), 0755);
  const std::string words(4 << 20, 'w');
  const String src = tmp.str() + "/private.bin";
  qytest::WriteFileBytes(src, words);
  ::chmod(src.c_str(), 0600);
  const String copy = tmp.str() + "/copy.bin";
  const String replaced = tmp.str() + "/replaced.bin";
  qytest::WriteFileBytes(replaced, "old");
  ::chmod(replaced.c_str(), 0600);
  const struct {
    const char* Name;
    std::function<void()> Write;
    String Result;
  } cases[] = {
      {"copy", [&] { EXPECT_TRUE(CopyFile(src, copy, false)); }, copy},
      {"atomic save", [&] { SaveBytesAtomically(replaced, words); }, replaced},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    qytest::TFolderWatch watch(tmp.path());
    ASSERT_TRUE(watch.Watching());
    c.Write();
    const std::vector<std::string> open = watch.Stop();
    EXPECT_TRUE(open.empty()) << open.front();
    EXPECT_EQ(qytest::ReadFileBytes(c.Result).size(), words.size());
    struct stat st {};
    ASSERT_EQ(::stat(c.Result.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  ::umask(umaskWas);
}

TEST(SysUtils, FormatSpecifiers) {
  struct Case { const char* fmt; std::vector<TVarRec> args; const char* expected; };
  const Case cases[] = {
      {"%s and %s", {"a", String("b")}, "a and b"},
      {"%d items", {42}, "42 items"},
      {"%5d|%-5d|", {42, 7}, "   42|7    |"},
      {"%.3d", {7}, "007"},
      {"%.3d", {-7}, "-007"},
      {"%u", {-1}, "4294967295"},
      {"%x %X %.2x %.4X", {255, 255, 10, 0xAB}, "FF FF 0A 00AB"},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%-6s|%6s|", {"ab", "cd"}, "ab    |    cd|"},
      {"%.2s", {"abcdef"}, "ab"},
      {"%3s", {"äö"}, " äö"},
      {"100%%", {}, "100%"},
      {"%f %.1f %.0f", {2.5, 2.25, 2.5}, "2.50 2.3 3"},
      {"%n", {1234567.5}, "1,234,567.50"},
      {"%g", {0.5}, "0.5"},
      {"%e", {1500.0}, "1.50000000000000E+003"},
      {"%m", {3.0}, "$3.00"},
      {"%*d", {4, 5}, "   5"},
      {"%d", {int64_t{1} << 40}, "1099511627776"},
      {"%s", {true}, "True"},
      {"%S %D", {"x", 3}, "x 3"},
      {"%c", {"x"}, "%c"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.fmt, c.args), c.expected) << c.fmt;
}

TEST(SysUtils, FormatNeverFailsOnHostilePatterns) {
  struct Case { const char* fmt; std::vector<TVarRec> args; const char* expected; };
  const Case cases[] = {
      {"%", {}, "%"},
      {"abc%", {1}, "abc%"},
      {"%n", {}, "%n"},
      {"%n", {"text"}, "%n"},
      {"%5:s", {"a", "b"}, "%5:s"},
      {"%s %s %s", {"a"}, "a %s %s"},
      {"%d", {"text"}, "%d"},
      {"%s", {}, "%s"},
      {"%-", {}, "%-"},
      {"%.", {}, "%."},
      {"%1:", {}, "%1:"},
      {"%:s", {"a"}, "%:s"},
      {"%*s", {"a"}, "%*s"},
      {"%99999999999999999999d", {1}, nullptr},
      {"%.99999999999d", {1}, nullptr},
      {"%p", {1}, "%p"},
      {"%x", {1.5}, "%x"},
      {"%%%", {}, "%%"},
      {"%s%n%d%x%u%e%f%g%m%p%z", {}, "%s%n%d%x%u%e%f%g%m%p%z"},
  };
  for (const auto& c : cases) {
    String out;
    EXPECT_NO_THROW(out = Format(c.fmt, c.args)) << c.fmt;
    if (c.expected) {
      EXPECT_EQ(out, c.expected) << c.fmt;
    }
  }
  // Huge widths are capped rather than allocating without limit.
  EXPECT_LE(Format("%999999999d", {1}).size(), 70000u);
  // Random patterns: text comes out, nothing throws.
  uint32_t seed = 12345;
  const char alphabet[] = "%%%sdxunmefgp:.-*0123456789 ab";
  for (int i = 0; i < 20000; ++i) {
    String f;
    const int len = static_cast<int>(seed % 12);
    for (int k = 0; k < len; ++k) {
      seed = seed * 1103515245 + 12345;
      f.push_back(alphabet[(seed >> 16) % (sizeof alphabet - 1)]);
    }
    seed = seed * 1103515245 + 12345;
    EXPECT_NO_THROW(Format(f, {"s", 1, 2.5}));
  }
}
