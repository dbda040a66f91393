#include "spell/scLanguage.h"
#include "spell/scSpellBase.h"
#include "spell/scThesaurusBase.h"
#include "spell/scThesaurusLanguage.h"

#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST(InterfaceTexts, SpellTablesAreCompleteWithTheirEnglishExceptions) {
  EXPECT_EQ(GetSpellLanguageString(lsDlgOK, ltGerman), "&OK");
  EXPECT_EQ(GetSpellLanguageString(lsLiveSpelling, ltEnglish), "Check spelling as you type");
  EXPECT_EQ(GetSpellLanguageString(68, ltEnglish), "");
  EXPECT_EQ(GetSpellLanguageString(0, 13), "");
  // The entries that keep the English text, by language.
  const std::map<int, std::set<int>> english = {
      {ltSwedish, {46}}, {ltCzech, {46}},          {ltDanish, {46}},
      {ltPolish, {46}},  {ltNorwegianBok, {46}},   {ltGerman, {36, 46}},
      {ltDutch, {31, 46, 67}}, {ltFrench, {11, 22, 34, 46}}};
  for (int lang = 1; lang < kSpellLanguageCount; ++lang)
    for (int id = 0; id < kSpellStringCount; ++id) {
      const String en = GetSpellLanguageString(id, ltEnglish);
      const String t = GetSpellLanguageString(id, lang);
      ASSERT_FALSE(t.empty()) << lang << "/" << id;
      const bool keep = english.count(lang) && english.at(lang).count(id);
      EXPECT_EQ(t == en, keep) << lang << "/" << id << " " << t;
      EXPECT_EQ(en.find('&') != String::npos, t.find('&') != String::npos) << lang << "/" << id;
      if (id == lsDlgOptionsLabel || id == lsDlgDictionariesLabel ||
          id == lsDlgCustomDictionaries) {
        EXPECT_TRUE(t.front() == ' ' && t.back() == ' ') << lang << "/" << id;
      }
    }
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->UILanguage = ltSpanish;
  EXPECT_EQ(e->GetString(lsSpelling), "Ortografía");
  e->OnGetString = [](TObject*, TSpellLanguageString, String& t) { t.clear(); };
  EXPECT_EQ(e->GetString(lsSpelling), "");
}

TEST(InterfaceTexts, ThesaurusTablesAndTheNameInTheTitle) {
  using L = TThesaurusLanguageType;
  using S = TThesaurusLanguageString;
  EXPECT_EQ(GetThesaurusLanguageString(0, static_cast<int>(L::ltGerman)), "Thesaurus: %name%");
  EXPECT_EQ(GetThesaurusLanguageString(9, 0), "");
  EXPECT_EQ(GetThesaurusLanguageString(0, 8), "");
  for (int lang = 1; lang < kThesaurusLanguageCount; ++lang)
    for (int id = 0; id < kThesaurusStringCount; ++id) {
      const String t = GetThesaurusLanguageString(id, lang);
      const bool keep = id == 0 && (lang == 1 || lang == 2 || lang == 4);
      EXPECT_EQ(t == GetThesaurusLanguageString(id, 0), keep) << lang << "/" << id;
    }
  TThesaurusBase th(nullptr);
  th.SetFilename(spelltest::Thesaurus());
  th.ThesaurusFile().SetActive(true);
  EXPECT_EQ(th.GetString(S::lsThesaurus), "Thesaurus: English");
  th.OnGetString = [](TObject*, S, String& t) { t = "%name% / %name%"; };
  EXPECT_EQ(th.GetString(S::lsThesaurus), "English / %name%");
  EXPECT_EQ(th.GetString(S::lsDlgClose), "%name% / %name%");  // only the title is filled in
}
