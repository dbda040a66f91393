#include "spell/scCustomDictionary.h"
#include "spell/scMainDictionary.h"
#include "spell/scParseEngine.h"
#include "spell/scSpellBase.h"

#include "SpellTestSupport.h"

#include <gtest/gtest.h>

TEST(WordAcceptance, CaseRulesOnTheAmericanDictionary) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  struct Case {
    TCaseModification cases;
    const char* word;
    bool ok;
  } cases[] = {
      {cmInitialCapsOrUpcase, "elephant", true},  {cmInitialCapsOrUpcase, "Elephant", true},
      {cmInitialCapsOrUpcase, "ELEPHANT", true},  {cmInitialCapsOrUpcase, "eLephant", false},
      {cmInitialCapsOrUpcase, "ElEPHANT", false}, {cmInitialCapsOrUpcase, "Monday", true},
      {cmInitialCapsOrUpcase, "MONDAY", true},  // held capitalised, typed in capitals
      {cmInitialCapsOrUpcase, "monday", false}, {cmNone, "Elephant", false},
      {cmNone, "elephant", true},               {cmAnyCase, "eLEPHant", true},
      {cmInitialCaps, "ELEPHANT", false},       {cmInitialCapsOrUpcase, "3.14", true},
      {cmInitialCapsOrUpcase, "x", true},       {cmInitialCapsOrUpcase, "abc123", false},
      {cmInitialCapsOrUpcase, "1e5", true},     {cmInitialCapsOrUpcase, "1e5x", false},
      {cmInitialCapsOrUpcase, "qqzzt", false},
  };
  for (const auto& c : cases) {
    e->AllowedCases = c.cases;
    EXPECT_EQ(e->IsWordAcceptable(c.word), c.ok) << c.word << " " << c.cases;
  }
  EXPECT_EQ(e->GetLanguage(), 0x0409);
  EXPECT_TRUE(e->PossessiveFlag());
}

TEST(WordAcceptance, ExcludedWordsAndFilters) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  ASSERT_TRUE(e->IsWordAcceptable("elephant"));
  ASSERT_NE(e->ActiveCustomDictionary(), nullptr);
  e->ActiveCustomDictionary()->AddExcludedWord("elephant");
  EXPECT_FALSE(e->IsWordAcceptable("elephant"));
  EXPECT_FALSE(e->IsWordAcceptable("Elephant"));  // its case form is excluded too
  e->UseExcludeWords = false;
  EXPECT_TRUE(e->IsWordAcceptable("elephant"));
  // Custom words are accepted; digits only with the numbers option.
  e->ActiveCustomDictionary()->AddWord("Quillory");
  EXPECT_TRUE(e->IsWordAcceptable("Quillory"));
  EXPECT_FALSE(e->IsWordAcceptable("b4"));
  e->Configuration().SetOptions(TSpellOptions{soNumbers});
  EXPECT_TRUE(e->IsWordAcceptable("b4"));
  EXPECT_EQ(e->ParserIgnoreCount(), 1);
}

TEST(WordAcceptance, PossessivesOnlyWithAnEnglishDictionary) {
  qytest::TempDir tmp;
  for (auto [lang, accepted] : {std::pair{"0x0409", true}, std::pair{"0x0407", false}}) {
    const std::string dict = tmp.str() + "/Small" + lang + ".spm";
    ASSERT_TRUE(spelltest::CompileWords({"Kant", "house"}, dict, lang));
    auto e = spelltest::MakeEngine(tmp.str());
    e->ConfigDefaultMain.Clear();
    e->ConfigDefaultMain.Add(dict);
    EXPECT_EQ(e->IsWordAcceptable("Kant's"), accepted) << lang;
    EXPECT_EQ(e->IsWordAcceptable("house's"), accepted) << lang;
    EXPECT_FALSE(e->IsWordAcceptable("Kantian's")) << lang;
  }
}

TEST(WordAcceptance, EmptyOptionsLeaveDefaultsAndDualCapitalsCorrect) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->ConfigDefaultOptions = TSpellOptions{};
  e->Configuration().SetActive(true);
  e->ApplyOptions(false);
  EXPECT_EQ(e->ParserIgnoreCount(), 0);
  e->Configuration().SetOptions(TSpellOptions{soDUalCaps});
  struct Case {
    const char* word;
    bool corrected;
    const char* replacement;
  } cases[] = {{"THe", true, "The"},  {"HOuse", true, "House"}, {"TH", false, ""},
               {"T2e", false, ""},    {"THE", false, ""},       {"QQzzt", false, ""}};
  for (const auto& c : cases) {
    AnsiString r;
    EXPECT_EQ(e->FindCorrection(c.word, r), c.corrected) << c.word;
    if (c.corrected) {
      EXPECT_EQ(r, c.replacement);
    }
  }
  e->Configuration().SetOptions(TSpellOptions{});
  AnsiString r;
  EXPECT_FALSE(e->FindCorrection("THe", r));
}

TEST(WordAcceptance, MostUsedMainDictionaryMovesToTheFront) {
  qytest::TempDir tmp;
  ASSERT_TRUE(spelltest::CompileWords({"alpha"}, tmp.str() + "/One.spm"));
  ASSERT_TRUE(spelltest::CompileWords({"beta", "gamma"}, tmp.str() + "/Two.spm", "0x040C"));
  auto e = spelltest::MakeEngine(tmp.str());
  e->ConfigDefaultMain.Clear();
  e->ConfigDefaultMain.Add("One.spm");
  e->ConfigDefaultMain.Add("Two.spm");
  EXPECT_TRUE(e->IsWordAcceptable("beta"));
  EXPECT_TRUE(e->IsWordAcceptable("gamma"));
  EXPECT_TRUE(e->IsWordAcceptable("alpha"));
  ASSERT_EQ(e->MainDictionaries().size(), 2u);
  e->ReorderMainDictionaries();
  EXPECT_EQ(ExtractFileName(e->MainDictionaries().front()->FileName()), "Two.spm");
  EXPECT_TRUE(e->ParsingEngine().ApostropheSplits());  // French in front
  auto* files = e->GetMainDictionaryFiles();
  EXPECT_EQ(files->IndexOf("One.spm"), 0);
  EXPECT_NE(files->IndexOf("American.spm"), -1);
}
