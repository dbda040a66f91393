// Hostile RTF must end in a result code and never read outside the data
// (this program runs under the address and undefined-behaviour sanitizers).
// Every file of the fuzz corpus is read, whole, cut short and with flipped
// bytes.
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFImport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

void ImportBoth(const AnsiString& bytes) {
  for (int variant = 0; variant < 2; ++variant) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLDocumentData header(&style);
    TVLRTFReaderProperties props;
    props.LinkPolicy.LinkedPictures = false;
    if (variant) {
      props.UnicodeMode = vlruMixed;
      props.TextStyleMode = vlrsAddIfNeeded;
      props.ParaStyleMode = vlrsAddIfNeeded;
      props.HeaderVLData = &header;
    }
    TStringStream in(bytes);
    const Byte code = props.ReadFromStream(in, &doc);
    EXPECT_LE(code, 11);
  }
}

}  // namespace

TEST(RTFCorruptInput, FuzzCorpusCutAndFlipped) {
  namespace fs = std::filesystem;
  std::vector<AnsiString> files;
  for (const auto& e : fs::directory_iterator(qytest::SourceDir() / "fuzz/corpus/rtf"))
    files.push_back(qytest::ReadFileBytes(e.path()));
  ASSERT_GE(files.size(), 10u);
  std::mt19937 r(19);
  for (const AnsiString& good : files) {
    ImportBoth(good);
    // Cut at a spread of offsets, then a few random byte changes.
    const size_t step = std::max<size_t>(1, good.size() / 60);
    for (size_t cut = 0; cut < good.size(); cut += step) ImportBoth(good.substr(0, cut));
    for (int round = 0; round < 40 && !good.empty(); ++round) {
      AnsiString bad = good;
      for (int k = 1 + static_cast<int>(r() % 4); k > 0; --k) bad[r() % bad.size()] = static_cast<char>(r());
      ImportBoth(bad);
    }
  }
}

TEST(RTFCorruptInput, LimitsHoldAgainstFloods) {
  ImportBoth(AnsiString(200000, '{'));
  ImportBoth("{\\rtf1 {\\colortbl" + AnsiString(300000, ';') + "}}");
  ImportBoth("{\\rtf1 \\" + AnsiString(100000, 'a') + " x}");
  ImportBoth("{\\rtf1 \\trowd" + [] {
    AnsiString s;
    for (int i = 0; i < 10000; ++i) s += "\\cellx" + std::to_string(i * 10);
    return s;
  }() + "\\intbl x\\cell\\row}");
  ImportBoth("{\\rtf1 \\intbl\\itap2000000000 deep}");
}
