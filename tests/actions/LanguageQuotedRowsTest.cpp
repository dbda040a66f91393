// The byte lengths that the translated tables promise for their long rows,
// read as a caller reads them: by switching to the language by name.
#include "actions/VLALocalize.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TQuotedRow {
  const char* Language;  // registered name, code page 1252 bytes
  Word Id;
  size_t Bytes;
};

const TQuotedRow kQuotedRows[] = {
    {"English (US)", 211, 127}, {"English (US)", 578, 112}, {"English (US)", 215, 238},
    {"Spanish", 211, 137},      {"Spanish", 215, 264},
    {"Lithuanian", 211, 119},   {"Lithuanian", 216, 227},
    {"Persian", 211, 114},      {"Persian", 216, 207},
    {"Slovak", 211, 135},       {"Slovak", 216, 214},
    {"Dutch (NL)", 211, 106},   {"Dutch (NL)", 216, 228},   {"Dutch (NL)", 578, 111},
    {"Czech", 211, 129},        {"Czech", 216, 207},        {"Czech", 578, 112},
    {"Portuguese (Brazilian)", 211, 125}, {"Portuguese (Brazilian)", 215, 241},
    {"Portuguese (Brazilian)", 578, 120},
    {"Francais", 211, 149},     {"Francais", 215, 250},     {"Francais", 578, 73},
    {"Italian", 211, 142},      {"Italian", 214, 191},      {"Italian", 215, 260},
    {"Italian", 216, 273},      {"Italian", 578, 124},
    {"German", 211, 156},       {"German", 214, 213},       {"German", 215, 277},
    {"German", 216, 298},       {"German", 578, 115},
    {"Norsk (Bokm\xE5l)", 211, 126}, {"Norsk (Bokm\xE5l)", 214, 166}, {"Norsk (Bokm\xE5l)", 215, 205},
    {"Norsk (Bokm\xE5l)", 216, 221}, {"Norsk (Bokm\xE5l)", 459, 185}, {"Norsk (Bokm\xE5l)", 485, 92},
    {"Norsk (Bokm\xE5l)", 510, 185}, {"Norsk (Bokm\xE5l)", 578, 108},
    {"Svenska", 211, 108},      {"Svenska", 214, 180},      {"Svenska", 215, 207},
    {"Svenska", 216, 238},      {"Svenska", 578, 107},
    {"Russian", 211, 137},      {"Russian", 214, 187},      {"Russian", 215, 252},
    {"Russian", 216, 225},      {"Russian", 459, 185},      {"Russian", 485, 92},
    {"Russian", 510, 185},      {"Russian", 578, 113},
};

// The longest row of each table, where the table names one.
struct TLongest {
  const char* Language;
  Word Id;
};
const TLongest kLongest[] = {
    {"English (US)", 215}, {"Spanish", 215}, {"Lithuanian", 216}, {"Persian", 216}, {"Slovak", 216},
    {"Dutch (NL)", 216},   {"Czech", 216},   {"Portuguese (Brazilian)", 215},      {"Francais", 215},
    {"Italian", 216},      {"German", 216},  {"Norsk (Bokm\xE5l)", 216},           {"Svenska", 216},
    {"Russian", 215},
};

class LanguageQuotedRowsTest : public ::testing::Test {
protected:
  void TearDown() override { SwitchLanguage("English (US)"); }
};

TEST_F(LanguageQuotedRowsTest, RowsHaveTheirStatedLengths) {
  for (const TQuotedRow& r : kQuotedRows) {
    SwitchLanguage(r.Language);
    EXPECT_EQ(GetLanguageString(r.Id).size(), r.Bytes) << r.Language << " row " << r.Id;
  }
}

TEST_F(LanguageQuotedRowsTest, NoRowIsLongerThanTheStatedLongest) {
  for (const TLongest& l : kLongest) {
    SwitchLanguage(l.Language);
    const size_t longest = GetLanguageString(l.Id).size();
    for (Word id = 0; id < VLA_MESSAGE_COUNT; ++id) {
      if (id == l.Id) continue;
      EXPECT_LT(GetLanguageString(id).size(), longest) << l.Language << " row " << id;
    }
  }
}

// Code page 1256 letters: the Arabic block and the Persian additions.
bool IsPersianLetter(unsigned char b) {
  switch (b) {
  case 0x81: case 0x8D: case 0x8E: case 0x90: case 0x98: return true;
  case 0xD7: case 0xF7: return false;
  default: return b >= 0xC1;
  }
}

// A word ends where no letter follows; the non-joiner is no letter.
TEST_F(LanguageQuotedRowsTest, PersianWordFinalYehForms) {
  SwitchLanguage("Persian");
  int maksuraAtEnd = 0, yehAtEnd = 0, maksuraInside = 0;
  for (Word id = 0; id < VLA_MESSAGE_COUNT; ++id) {
    const std::string row = GetLanguageString(id);
    for (size_t i = 0; i < row.size(); ++i) {
      const auto b = static_cast<unsigned char>(row[i]);
      const bool atEnd = i + 1 == row.size() || !IsPersianLetter(static_cast<unsigned char>(row[i + 1]));
      if (b == 0xEC) (atEnd ? maksuraAtEnd : maksuraInside)++;
      if (b == 0xED && atEnd) ++yehAtEnd;
    }
  }
  EXPECT_EQ(maksuraAtEnd, 210);
  EXPECT_EQ(yehAtEnd, 17);
  EXPECT_EQ(maksuraInside, 0);
}

}  // namespace
