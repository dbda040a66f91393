#include "actions/VLALanguageCheck.h"
#include "actions/VLALocalize.h"
#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

extern const char* const VLAL_EngUS[VLA_MESSAGE_COUNT];

namespace {

// A table whose every text is its own name, for registrations of tests.
struct TNamedTable {
  explicit TNamedTable(const char* text) {
    for (auto& row : Rows) row = text;
    Rows[0] = "";
  }
  const char* Rows[VLA_MESSAGE_COUNT];
};

// Starts every test from the program's start-up state.
class LanguageRegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    InitializeLanguages();
  }
  void TearDown() override { SetUp(); }
};

TEST_F(LanguageRegistryTest, EnglishIsFirstAndCurrentAfterStartUp) {
  ASSERT_EQ(LanguageCount(), 15);
  EXPECT_EQ(LanguageInfo(0).Name, "English (US)");
  EXPECT_EQ(LanguageInfo(0).Charset, 0);
  EXPECT_EQ(LanguageInfo(0).HelpFile, "");
  EXPECT_EQ(CurrentLanguageIndex(), 0);
  EXPECT_EQ(GetLanguageCharset(), 0);
  EXPECT_EQ(GetLanguageString(0), "");
  EXPECT_EQ(GetLanguageStringPadded(0), "  ");
  EXPECT_EQ(GetLanguageString(1), "&File");
  EXPECT_EQ(GetLanguageStringPadded(203), " percents ");
  EXPECT_STREQ(GetLanguagePChar(213), "Error");
  // The table's own text, not a copy that dies with the call.
  EXPECT_EQ(LanguageInfo(0).Messages, VLAL_EngUS);
  EXPECT_EQ(static_cast<const void*>(GetLanguagePChar(213)), static_cast<const void*>(VLAL_EngUS[213]));
}

TEST_F(LanguageRegistryTest, LaterRegistrationsAppendAndSwitchingIsExact) {
  TNamedTable french("fr"), norwegian("no"), twin("twin");
  const int base = LanguageCount();
  ASSERT_EQ(base, 15);
  // Names no real table holds: the first of two equal names must win.
  RegisterLanguage("Testais", 0, french.Rows, "");
  RegisterLanguage("Test (Bokm\xE5l)", 0, norwegian.Rows, "");
  RegisterLanguage("Testais", 0, twin.Rows, "");
  EXPECT_EQ(LanguageCount(), base + 3);
  EXPECT_EQ(CurrentLanguageIndex(), 0);  // registering never switches

  struct Case {
    const char* name;
    bool ok;
    const char* text;
  };
  const Case cases[] = {
      {"Testais", true, "fr"},  // the first of two equal names wins
      {"Test (Bokm\xE5l)", true, "no"},
      {"Test (Bokm\xC3\xA5l)", false, "no"},  // UTF-8 bytes are another name
      {"english (us)", false, "no"},          // case counts
      {"Test\xE7" "ais", false, "no"},
      {"English (US)", true, "&File"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.ok) {
      SwitchLanguage(c.name);
    } else {
      try {
        SwitchLanguage(c.name);
        ADD_FAILURE() << "switched";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message.rfind("Invalid language: ", 0), 0u);
      }
    }
    EXPECT_STREQ(GetLanguagePChar(1), c.text);
  }
  try {
    SwitchLanguage("english (us)");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Invalid language: english (us)");
  }
}

// The start-up registers the fifteen tables in their fixed order, each with
// its charset and all 591 ids; switching by name shows that table's texts,
// the Find and Replace window's (579-590) included.
TEST_F(LanguageRegistryTest, StartUpRegistersTheFifteenTablesInOrderWithEveryId) {
  static_assert(VLA_MESSAGE_COUNT == 591);
  struct Case {
    const char* Name;  // code page 1252 bytes, as registered
    Byte Charset;
  };
  const Case cases[] = {
      {"English (US)", ANSI_CHARSET},
      {"Russian", RUSSIAN_CHARSET},
      {"Svenska", ANSI_CHARSET},
      {"Norsk (Bokm\xE5l)", ANSI_CHARSET},
      {"German", ANSI_CHARSET},
      {"Italian", ANSI_CHARSET},
      {"Francais", ANSI_CHARSET},
      {"Portuguese (Brazilian)", ANSI_CHARSET},
      {"Czech", EASTEUROPE_CHARSET},
      {"Dutch (NL)", ANSI_CHARSET},
      {"Slovak", EASTEUROPE_CHARSET},
      {"Persian", ARABIC_CHARSET},
      {"Lithuanian", BALTIC_CHARSET},
      {"Spanish", ANSI_CHARSET},
      {"Ukrainian", RUSSIAN_CHARSET},
  };
  ASSERT_EQ(LanguageCount(), 15);
  String english[VLA_MESSAGE_COUNT];
  for (Word id = 0; id < VLA_MESSAGE_COUNT; ++id) english[id] = LanguageText(id);
  for (int i = 0; i < 15; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(LanguageInfo(i).Name, c.Name);
    EXPECT_EQ(LanguageInfo(i).Charset, c.Charset);
    EXPECT_EQ(LanguageInfo(i).HelpFile, "");
    SwitchLanguage(c.Name);
    EXPECT_EQ(CurrentLanguageIndex(), i);
    // The table's own texts, the last ids included; nothing beyond them.
    int translated = 0;
    for (Word id = 1; id < VLA_MESSAGE_COUNT; ++id) translated += LanguageText(id) != english[id];
    if (i > 0) {
      EXPECT_GT(translated, 400);
    }
    for (Word id = 579; id < VLA_MESSAGE_COUNT; ++id) EXPECT_NE(GetLanguageString(id), "") << id;
    EXPECT_EQ(GetLanguageString(VLA_MESSAGE_COUNT), "");
  }
  SwitchLanguage("English (US)");
}

TEST_F(LanguageRegistryTest, AfterShutDownNothingIsCurrentAndLookupsAreEmpty) {
  FinalizeLanguages();
  EXPECT_EQ(CurrentLanguageIndex(), -1);
  EXPECT_EQ(GetLanguageCharset(), 1);
  EXPECT_EQ(GetLanguageHelpFile(), "");
  EXPECT_EQ(GetLanguageString(1), "");
  // A registration after shut-down becomes current.
  TNamedTable t("x");
  RegisterLanguage("Test", 178, t.Rows, "help.htm");
  EXPECT_EQ(CurrentLanguageIndex(), 0);
  EXPECT_EQ(GetLanguageCharset(), 178);
  EXPECT_EQ(GetLanguageHelpFile(), "help.htm");
  FinalizeLanguages();
}

TEST_F(LanguageRegistryTest, OutOfRangeIdsGiveTheEmptyText) {
  EXPECT_STREQ(GetLanguagePChar(VLA_MESSAGE_COUNT), "");
  EXPECT_EQ(GetLanguageString(0xFFFF), "");
}

TEST(LanguageTableTest, EnglishRowsAreTheReferenceTexts) {
  struct Case {
    Word id;
    const char* text;
  };
  const Case cases[] = {
      {68, "Fill Color|Changes background color of  text, paragraph, cell, table or document"},
      {82, "Decrease Indent|Dereases left indent of the selected paragraphs"},
      {102, "Paragraph Borders and Background|Sets borders and backround for the selected paragraphs"},
      {211, "%s may contain features that are not compatible with the chosen saving format.\r"
            "Do you want to save the document in this format?"},
      {227, "Search string '%s' not found."},
      {335, "Cannot navigate to \"%s\""},
      {440, "Insert Number|"},
      {578, "Special character combinations:\r&&p - page number; &&P - count of pages; &&d - current date; "
            "&&t - current time."},
  };
  for (const Case& c : cases) EXPECT_STREQ(VLAL_EngUS[c.id], c.text) << c.id;
}

TEST(LanguageTableTest, EnglishPassesTheValidatorWithItsBaseline) {
  EXPECT_EQ(CheckLanguageTable(VLAL_EngUS, 1252, VLAL_EngUS), std::vector<String>{});
  TVLALanguageProfile p = ProfileLanguageTable(VLAL_EngUS);
  EXPECT_EQ(p.SingleAccelRows, 267);
  EXPECT_EQ(p.DoubleAccelRows, 1);  // 390 "&Cell &spacing:"
  EXPECT_EQ(p.BarRows, 102);
  EXPECT_EQ(p.LineBreaks, 20);
  EXPECT_EQ(p.EllipsisRows, 48);
  EXPECT_EQ(p.EmptyRows, 1);
  EXPECT_EQ(p.LongestRowId, 215);
}

TEST(LanguageTableTest, ValidatorNamesEachBrokenRule) {
  struct Case {
    int id;
    const char* text;
    const char* problem;
  };
  const Case cases[] = {
      {227, "Chaine '%d' introuvable.", "placeholders"},
      {12, "New Creates a new blank document", "exactly one \"|\""},
      {217, "Vellum Files (*.vlf)|*.vel", "filter pattern"},
      {214, "Error loading file.", "line breaks"},
      {5, "&Para&graph", "more than one accelerator"},
      {13, "Open && more", "\"&&\" outside 578"},
      {226, "Search\nComplete", "line feed"},
      {228, "1 string replaced\x81", "outside the code page"},
      // A group box caption fetched padded: "Position des Aufzählungszeichens".
      {449, "Position des Aufz\xE4hlungszeichens", "longer than 30 bytes"},
      {448, "Posizione del testo dell'elenco", "longer than 30 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const char* rows[VLA_MESSAGE_COUNT];
    std::copy(VLAL_EngUS, VLAL_EngUS + VLA_MESSAGE_COUNT, rows);
    rows[c.id] = c.text;
    std::vector<String> problems = CheckLanguageTable(rows, 1252, VLAL_EngUS);
    ASSERT_FALSE(problems.empty());
    bool named = false;
    for (const String& p : problems) named |= p.find(c.problem) != String::npos && p.find(std::to_string(c.id)) != String::npos;
    EXPECT_TRUE(named) << problems.front();
  }
}

TEST(LanguageFormatTest, PlaceholdersAreFilledAndMismatchesRefused) {
  EXPECT_EQ(FormatLanguageString(227, {AnsiString("abc")}), "Search string 'abc' not found.");
  EXPECT_EQ(FormatLanguageString(229, {Integer(0)}), "0 strings replaced.");
  EXPECT_EQ(FormatPattern("%d x %d", {Integer(640), Integer(480)}), "640 x 480");
  // Percent signs that are no placeholder stay as they are.
  EXPECT_EQ(FormatPattern("80% gr\xE5 %%", {}), "80% gr\xE5 %");
  EXPECT_EQ(FormatLanguageString(239, {}), "Gray-80%");
  EXPECT_THROW(FormatLanguageString(227, {}), EConvertError);
  EXPECT_THROW(FormatLanguageString(227, {Integer(1)}), EConvertError);
  EXPECT_THROW(FormatLanguageString(229, {Integer(1), Integer(2)}), EConvertError);
}

TEST(LanguageFormatTest, TextArgumentsStayIntactInEveryLanguage) {
  // UTF-8 arguments go into the converted pattern, not into the code-page one.
  const String args[] = {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xD0\x9A\xD0\xB8\xD1\x97\xD0\xB2", "plain"};
  const TVLALanguageName before = LanguageInfo(CurrentLanguageIndex()).Name;
  for (int i = 0; i < LanguageCount(); ++i) {
    SwitchLanguage(LanguageInfo(i).Name);
    for (Word id : {209, 211, 227, 335})
      for (const String& arg : args) {
        SCOPED_TRACE(std::to_string(i) + " " + std::to_string(id) + " " + arg);
        String expected = LanguageText(id);
        const size_t at = expected.find("%s");
        ASSERT_NE(at, String::npos);
        expected.replace(at, 2, arg);
        EXPECT_EQ(FormatLanguageText(id, {arg}), expected);
      }
  }
  SwitchLanguage(before);
}

TEST(LanguageFormatTest, FindOptionsBecomeSearchOptions) {
  struct Case {
    int options;
    TVLSearchOptions expected;
  };
  const Case cases[] = {
      {0, {}},
      {frDown, {vlseoDown}},
      {frMatchCase | frWholeWord, {vlseoMatchCase, vlseoWholeWord}},
      {frMatchCase | frWholeWord | frDown | frReplaceAll | frFindNext, {vlseoMatchCase, vlseoWholeWord, vlseoDown}},
  };
  for (const Case& c : cases) EXPECT_TRUE(FindOptionsToSearchOptions(c.options) == c.expected) << c.options;
}

}  // namespace
