// The words of an OpenDocument file, read to tell what a converter left
// out, come from a foreign file: whole, cut short at every length, with
// flipped bytes and with a size claimed far past what it holds, the reader
// ends with an answer and never reads outside what it holds.
#include "richtext/rtf/VLConvertedText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::filesystem::path kFile = "tests/richtext/rtf/data/odt-tables-nested-three-deep.odt";

TEST(OpenDocumentTextCorruptInput, WholeCutFlippedAndOverclaimed) {
  qytest::TempDir dir;
  const std::string bytes = qytest::ReadFileBytes(qytest::SourceDir() / kFile);
  TVLFileText text;
  ASSERT_TRUE(VLOpenDocumentText((qytest::SourceDir() / kFile).string(), text));
  // A span inside a word leaves it one word; a reference is its character.
  EXPECT_EQ(text.Words, (std::vector<String>{"Before", "words,", "fish", "&", "chips,", "halfbold", "and", "tab",
                                            "outer", "one", "outer", "two", "mid", "one", "deep", "three", "deep",
                                            "four", "mid", "two", "mid", "five", "merged", "cell", "After",
                                            "words."}));
  EXPECT_TRUE(text.NestedTables);

  const auto read = [&](const std::string& damaged) {
    const std::filesystem::path file = dir / "damaged.odt";
    qytest::WriteFileBytes(file, damaged);
    TVLFileText t;
    return VLOpenDocumentText(file.string(), t);
  };
  int whole = 0;
  for (size_t cut = 0; cut < bytes.size(); cut += 97) whole += read(bytes.substr(0, cut));
  // Without the directory at its end a file is not read.
  EXPECT_EQ(whole, 0);
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string damaged = bytes;
    for (int flip = 0; flip < 4; ++flip) damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
    read(damaged);
  }
  // Every entry claims to unpack to nearly 4 GiB: nothing that large is made.
  std::string overclaimed = bytes;
  for (size_t at = overclaimed.find("PK\x01\x02"); at != std::string::npos; at = overclaimed.find("PK\x01\x02", at + 4))
    overclaimed.replace(at + 24, 4, "\xF0\xFF\xFF\xFF");
  EXPECT_FALSE(read(overclaimed));
}

}  // namespace
