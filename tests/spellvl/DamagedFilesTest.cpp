// Damaged or foreign dictionary and thesaurus files: named in a message,
// left as they are, and the check goes on without them.
#include "SpellEditorSupport.h"

#include "spell/scCustomDictionary.h"
#include "spell/scUtil.h"
#include "platform/base/IniFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {
using spellvltest::TSpellEditor;

TEST(DamagedFiles, RefusedWithTheirNameAndTheCheckGoesOn) {
  const std::string garbage = std::string("not a dictionary at all\n") + std::string(300, '\x7F');
  struct Case {
    const char* file;  // written with garbage in the user's folder
    const char* active;
    bool named;        // a message names it
  } cases[] = {
      {"Mine.spu", "Mine.spu", true},
      // A damaged copy ahead of the program's own main dictionary: the
      // good one is used and nothing needs saying.
      {"American.spm", "Other.spu", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TSpellEditor w;
    const auto path = w.Tmp / c.file;
    qytest::WriteFileBytes(path, garbage);
    w.Spell->ConfigDefaultActiveCustom = c.active;
    w.SetText({"some wrods"});
    TInteractionScript script;
    script.Answer(IDOK);  // the message about the file
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "wrods");
    ASSERT_EQ(script.Shown.size(), c.named ? 1u : 0u);
    if (c.named) {
      EXPECT_NE(script.Shown[0].Text.find(path.string()), String::npos) << script.Shown[0].Text;
      EXPECT_FALSE(w.Dialog()->AddButton->GetEnabled());  // no dictionary to add to
    }
    w.Spell->CancelCheck();
    EXPECT_EQ(qytest::ReadFileBytes(path), garbage);  // the user's file is untouched
  }
}

// The spelling settings, the user's dictionary, the learning file and the
// thesaurus grown past the bound of the settings files (sparse: just over
// it, and 2 GB): each is named once, neither read nor written over, and
// spelling goes on (the thesaurus looks up nothing). The user's dictionary
// is used again once it is back in order.
TEST(DamagedFiles, AFileLargerThanAnyItCouldBeIsNamedOnceAndSpellingGoesOn) {
  enum TKind { kSettings, kDictionary, kLearning, kThesaurus };
  const struct {
    TKind kind;
    const char* file;
    const char* any;  // "larger than any ..."
  } kinds[] = {{kSettings, "Spell.cfg", "settings file"},
               {kDictionary, "root.spu", "dictionary"},
               {kLearning, "learn.spl", "dictionary"},
               {kThesaurus, "Big.spt", "thesaurus"}};
  for (const auto& k : kinds)
    for (const Int64 size : {LargestSettingsFile + 1, Int64(2) << 30}) {
      SCOPED_TRACE(std::string(k.file) + " of " + std::to_string(size) + " bytes");
      TSpellEditor w;
      const auto path = w.Tmp / k.file;
      switch (k.kind) {
        case kSettings:
          qytest::WriteFileBytes(path, "[Quillory]\n_FirstRun=+\n");
          w.Spell->ConfigStorage = csFile;
          w.Spell->ConfigFilename = path.string();
          break;
        case kDictionary:
        case kLearning: {
          // A dictionary that would accept "wrods" if it were read.
          TCustomDictionary d;
          ASSERT_TRUE(d.SetFileName(path.string()));
          d.SetActive(true);
          ASSERT_TRUE(d.AddWord("wrods"));
          ASSERT_TRUE(d.Save());
          if (k.kind == kDictionary) w.Spell->ConfigDefaultActiveCustom = k.file;
          break;
        }
        case kThesaurus:
          std::filesystem::copy_file(spellvltest::BinDir() + "/Wordhoard.spt", path);
          w.Thesaurus->SetFilename(path.string());
          break;
      }
      const uintmax_t whole = std::filesystem::file_size(path);
      ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
      w.SetText({"happy wrods days"});
      TInteractionScript script;
      script.Answer(IDOK);  // the message about the file
      for (int round = 0; round < 2; ++round) {
        if (k.kind == kThesaurus) {
          w.E.Edit->SetSelectionBounds(0, 3, 0, 3);
          w.Thesaurus->LookupVellumEdit(w.E.Edit);
          continue;
        }
        w.Check();
        if (!w.Spell->CheckRunning()) {
          ADD_FAILURE() << "the check asked nothing: the file was read";
          break;
        }
        EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "wrods");
        w.Spell->CancelCheck();
      }
      if (k.kind == kSettings) {
        w.Spell->Configuration().SetOptions(TSpellOptions{soNumbers});
        EXPECT_FALSE(w.Spell->Configuration().Save());
      }
      // A thesaurus is named at each look-up it cannot serve.
      EXPECT_EQ(script.Shown.size(), k.kind == kThesaurus ? 2u : 1u);
      for (const auto& shown : script.Shown) {
        EXPECT_NE(shown.Text.find(path.string()), String::npos) << shown.Text;
        EXPECT_NE(shown.Text.find(String("larger than any ") + k.any), String::npos) << shown.Text;
      }
      EXPECT_EQ(w.E.Text(), "happy wrods days");
      w.Spell->CloseDictionaries();  // what it keeps open is written as it closes
      EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(size));
      EXPECT_FALSE(std::filesystem::exists(path.string() + ".damaged"));
      if (k.kind != kDictionary) continue;
      // Refused for now, not for good: the settings keep it, and once the
      // file is back in order the user's words are known again, without a
      // word more.
      EXPECT_EQ(w.Spell->Configuration().GetActiveCustom(), k.file);
      ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(whole)), 0);
      w.Spell->ConfigurationChanged(true);
      w.Check();
      EXPECT_FALSE(w.Spell->CheckRunning()) << "the word of the user's dictionary is still flagged";
      w.Spell->CancelCheck();
      ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
      EXPECT_TRUE(w.Spell->ActiveCustomDictionary()->IsAddedWord("wrods"));
      // Nothing but the end of the check is said.
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_EQ(script.Shown[1].Text, "The spelling check is complete.");
    }
}

TEST(DamagedFiles, ThesaurusFileRefusedWithItsName) {
  TSpellEditor w;
  const auto path = w.Tmp / "Broken.spt";
  qytest::WriteFileBytes(path, std::string(500, 'x'));
  w.Thesaurus->SetFilename(path.string());
  w.SetText({"happy"});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_NE(script.Shown[0].Text.find(path.string()), String::npos);
  EXPECT_EQ(w.E.Text(), "happy");
}

// The user's dictionary file with the replacement of its pair "Zqxv" to
// "ZZZ" overwritten, byte for byte, as an earlier version (an empty
// Auto-Correct) or a hand edit left it.
std::string DictionaryWithPatchedPair(const std::filesystem::path& Folder, const std::string& Replacement) {
  const auto file = Folder / "Mine.spu";
  {
    TCustomDictionary d;
    EXPECT_TRUE(d.SetFileName(file.string()));
    d.SetActive(true);
    EXPECT_TRUE(d.AddWord(SpellWordFromText("Caf\xC3\xA9")));
    EXPECT_TRUE(d.AddAutoCorrect("Zqxv", "ZZZ"));
    EXPECT_TRUE(d.AddAutoCorrect("teh", "the"));
    EXPECT_TRUE(d.Save());
  }
  std::string bytes = qytest::ReadFileBytes(file);
  const std::string pair("Zqxv\0ZZZ\0", 9);
  const size_t at = bytes.find(pair);
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(Replacement.size(), 3u);
  if (at != std::string::npos) bytes.replace(at + 5, 3, Replacement);
  qytest::WriteFileBytes(file, bytes);
  return file.string();
}

// A pair read from the file is held to the rules of one typed: nothing
// visible, a control character (0x81 is the stand-in for a letter the
// code page lacks) or a line break, and it is dropped, the user told once
// which dictionary held it.
TEST(DamagedFiles, APairThatWouldHarmTheTextIsDroppedNotApplied) {
  const std::string cases[] = {
      std::string("\0ZZ", 3), "   ", "\xA0\xA0\xA0", "\xAD\xA0 ", std::string("Z\x1FZ"),
      "Z\x81Z", "Z\nZ", "Z\rZ", "\x81\x81\x81", "Z\x9DZ"};
  for (const std::string& replacement : cases) {
    SCOPED_TRACE(testing::PrintToString(replacement));
    TSpellEditor w;
    const std::string file = DictionaryWithPatchedPair(w.Tmp.path(), replacement);
    std::vector<std::pair<String, int>> told;
    TCustomDictionary::OnEntriesDropped = [&told](const String& name, int dropped) { told.emplace_back(name, dropped); };
    struct TUntell {
      ~TUntell() { TCustomDictionary::OnEntriesDropped = nullptr; }
    } untell;
    w.Spell->ConfigDefaultActiveCustom = "Mine.spu";
    w.SetText({"happy Zqxv teh days"});
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    if (!w.Spell->CheckRunning()) {
      ADD_FAILURE() << "the pair was applied: " << testing::PrintToString(std::string(w.E.Text()));
      continue;
    }
    // The word is asked about, not changed; the sound pair still applies.
    EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "Zqxv");
    TCustomDictionary* mine = w.Spell->ActiveCustomDictionary();
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->DroppedEntries(), 1);
    w.Dialog()->IgnoreButton->Click();
    EXPECT_FALSE(w.Spell->CheckRunning());
    EXPECT_EQ(w.E.Text(), "happy Zqxv the days");
    // Read again by the settings dialogs: said once.
    EXPECT_NE(w.Spell->OpenCustomDictionary("Mine.spu"), nullptr);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, file);
    EXPECT_EQ(told[0].second, 1);
    w.Spell->CloseDictionaries();  // the dictionary is written as it closes
    TCustomDictionary again;
    ASSERT_TRUE(again.SetFileName(file));
    again.SetActive(true);
    AnsiString with;
    EXPECT_FALSE(again.FindAutoCorrect("Zqxv", with)) << with;
    EXPECT_TRUE(again.FindAutoCorrect("teh", with));
    EXPECT_TRUE(again.IsAddedWord(SpellWordFromText("Caf\xC3\xA9")));
    EXPECT_EQ(again.DroppedEntries(), 0);
    EXPECT_EQ(again.GetAutoCorrectCount(), 1);
    EXPECT_EQ(told.size(), 1u);
  }
}

// A damaged dictionary is set aside and what can still be read of it
// starts the new one: a pair whose replacement reads as spaces is not
// among it, or it would delete its word from every text.
TEST(DamagedFiles, ARecoveredDictionaryTakesNoBlankPair) {
  TSpellEditor w;
  const auto file = w.Tmp / "Mine.spu";
  {
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName(file.string()));
    d.SetActive(true);
    ASSERT_TRUE(d.AddAutoCorrect("Zqxv", "ZZZ"));
    ASSERT_TRUE(d.AddAutoCorrect("teh", "the"));
    ASSERT_TRUE(d.Save());
  }
  std::string bytes = qytest::ReadFileBytes(file);
  const size_t at = bytes.find(std::string("Zqxv\0ZZZ\0", 9));
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at + 5, 3, "   ");
  bytes[kSpuBannerLength + 2] ^= 0x40;  // the added words' count: the file no longer adds up
  qytest::WriteFileBytes(file, bytes);
  w.Spell->ConfigDefaultActiveCustom = "Mine.spu";
  w.SetText({"happy Zqxv teh days"});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "Zqxv");
  w.Dialog()->IgnoreButton->Click();
  EXPECT_FALSE(w.Spell->CheckRunning());
  EXPECT_EQ(w.E.Text(), "happy Zqxv the days");  // the sound pair came through
  EXPECT_TRUE(std::filesystem::exists(w.Tmp / "Mine.spu.damaged"));
}

}  // namespace
