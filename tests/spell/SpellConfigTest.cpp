#include "spell/scConfiguration.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSpellBase.h"
#include "spell/scUtil.h"

#include "platform/base/IniFiles.h"
#include "SpellTestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {
std::unique_ptr<TSpellCheckerBase> FileEngine(const std::string& dir) {
  auto e = spelltest::MakeEngine(dir);
  e->ConfigStorage = csFile;
  e->ConfigFilename = dir + "/Spell.cfg";
  e->ConfigID = "U";
  return e;
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> out;
  for (auto l : spelltest::ReadLines(path)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    out.push_back(l);
  }
  return out;
}
}  // namespace

TEST(SpellConfig, FirstRunWritesTheDefaultSection) {
  qytest::TempDir tmp;
  auto e = FileEngine(tmp.str());
  int loaded = 0, saved = 0;
  e->OnConfigLoaded = [&](TObject*) { ++loaded; };
  e->OnConfigSaved = [&](TObject*) { ++saved; };
  e->Configuration().SetActive(true);
  EXPECT_EQ(loaded, 1);
  EXPECT_TRUE(e->Configuration().Modified);  // a loaded configuration is written back
  ASSERT_TRUE(e->Configuration().Save());
  EXPECT_EQ(saved, 1);
  const std::vector<std::string> expected = {
      "[U]",           "_FirstRun=+",      "_Main_count=1",      "_Main_0=American.spm",
      "_Custom_count=1", "_Custom_0=U.spu", "_MSWordCustom_count=0", "_ActiveCustom=U.spu",
      "_soUpcase=-",   "_soNumbers=-",     "_soHTML=-",          "_soInternet=+",
      "_soQuoted=-",   "_soAbbreviations=+", "_soPrimaryOnly=-",  "_soRepeated=+",
      "_soDUalCaps=+", "_soLiveSpelling=+", "_soLiveCorrect=+",   "_soUser1=-",
      "_soUser2=-",    "_soUser3=-",       "_soUser4=-",         "_DialogX=-1",
      "_DialogY=-1",   "_NewPaths_count=0", "_UserData_count=0"};
  EXPECT_EQ(Lines(tmp.str() + "/Spell.cfg"), expected);
  EXPECT_FALSE(e->Configuration().Modified);
  EXPECT_TRUE(e->Configuration().Save());  // nothing to write
  EXPECT_EQ(saved, 1);
}

TEST(SpellConfig, StoredValuesAndTheirQuirks) {
  qytest::TempDir tmp;
  const std::string cfg = tmp.str() + "/Spell.cfg";
  qytest::WriteFileBytes(cfg,
                         "[U]\n_FirstRun=+\n_Main_count=3\n_Main_0=A.spm\n_Main_1=\n_Main_2=C.spm\n"
                         "_Custom_count=x\n_soUpcase=1\n_soNumbers=yes\n_soHTML=+\n_DialogX=12\n"
                         "_NewPaths_count=2000000000\n_UserData_count=1\n_UserData_0=k\nUser_k=v\n"
                         "[Other]\n_Main_count=1\n_Main_0=Z.spm\n");
  auto e = FileEngine(tmp.str());
  // A count of two thousand million is not walked: CPU time (not the
  // clock's, which a loaded machine changes) stays small.
  TSpellConfig* read = nullptr;
  EXPECT_LT(qytest::MeasureWork([&] { read = &e->Configuration(); }).CpuSeconds, 5.0);
  TSpellConfig& c = *read;
  EXPECT_EQ(c.GetMainDictionaries().ToVector(), (std::vector<String>{"A.spm", "C.spm"}));
  EXPECT_EQ(c.CustomDictionaries.Count(), 0);
  EXPECT_EQ(c.GetOptions(), TSpellOptions{soHTML});
  EXPECT_EQ(c.GetDialogX(), 12);
  EXPECT_EQ(c.GetDialogY(), -1);
  EXPECT_EQ(c.GetUserData("k"), "v");
  EXPECT_EQ(c.GetUserData("never"), "");
  c.SetUserData("n", "w");
  c.SetActiveCustom("C.spu");
  c.SetActiveCustom("C.spu");
  EXPECT_EQ(c.CustomDictionaries.ToVector(), std::vector<String>{"C.spu"});
  ASSERT_TRUE(c.Save());
  TIniFile ini(cfg);
  EXPECT_EQ(ini.ReadString("U", "User_n", ""), "w");
  EXPECT_EQ(ini.ReadString("Other", "_Main_0", ""), "Z.spm");  // other users untouched
  // A store without "_FirstRun" is a first run: its other keys are ignored.
  ini.DeleteKey("U", "_FirstRun");
  ini.UpdateFile();
  auto again = FileEngine(tmp.str());
  EXPECT_EQ(again->Configuration().GetMainDictionaries().ToVector(),
            std::vector<String>{"American.spm"});
}

TEST(SpellConfig, NoStorageResetAndFailedWrites) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());  // csNone
  int saved = 0;
  e->OnConfigSaved = [&](TObject*) { ++saved; };
  TSpellConfig& c = e->Configuration();
  c.SetActive(true);
  c.SetOptions(TSpellOptions{soUpcase});
  EXPECT_TRUE(c.Save());
  EXPECT_EQ(saved, 1);
  EXPECT_TRUE(c.Reload());
  EXPECT_EQ(c.GetOptions(), e->ConfigDefaultOptions);  // every load a first run

  auto f = FileEngine(tmp.str());
  TSpellConfig& fc = f->Configuration();
  fc.ResetToDefaults();  // inactive: only marks the reset
  EXPECT_FALSE(fc.Active);
  fc.SetActive(true);
  fc.SetOptions(TSpellOptions{soQuoted});
  ASSERT_TRUE(fc.Save());
  const std::string before = qytest::ReadFileBytes(tmp.str() + "/Spell.cfg");
  fc.SetOptions(TSpellOptions{soNumbers});
  {
    spelltest::FileSizeLimit limit(16);
    EXPECT_FALSE(fc.Save());
  }
  EXPECT_TRUE(fc.Modified);
  EXPECT_EQ(qytest::ReadFileBytes(tmp.str() + "/Spell.cfg"), before);
  EXPECT_TRUE(fc.Save());
  fc.ResetToDefaults();
  EXPECT_EQ(fc.GetOptions(), f->ConfigDefaultOptions);
}

// A settings file grown past any the program writes (a 2 GB one) is neither
// read nor written: the engine is told once, goes on with the standard
// settings, and a save fails without touching the file. One of 200,000
// sections is read and saved at a cost linear in their number.
TEST(SpellConfig, AHugeSettingsFileIsRefusedAndAManySectionedOneIsCheap) {
  struct TRefusing : TSpellCheckerBase {
    using TSpellCheckerBase::TSpellCheckerBase;
    void SettingsRefused(const String& FileName) override { Refused.push_back(FileName); }
    std::vector<String> Refused;
  };
  qytest::TempDir tmp;
  const std::string cfg = tmp.str() + "/Spell.cfg";
  qytest::WriteFileBytes(cfg, "[U]\n_FirstRun=+\n_soUpcase=+\n");
  ASSERT_EQ(::truncate(cfg.c_str(), off_t(2) << 30), 0);
  TRefusing e(nullptr);
  e.ConfigStorage = csFile;
  e.ConfigFilename = cfg;
  e.ConfigID = "U";
  TSpellConfig& c = e.Configuration();
  c.SetActive(true);
  EXPECT_EQ(c.GetOptions(), e.ConfigDefaultOptions);
  EXPECT_TRUE(c.StoreRefused());
  c.SetOptions(TSpellOptions{soNumbers});
  EXPECT_FALSE(c.Save());
  EXPECT_TRUE(c.Modified);
  EXPECT_EQ(std::filesystem::file_size(cfg), uintmax_t(2) << 30);
  std::string head(10, '\0');
  std::ifstream(cfg, std::ios::binary).read(head.data(), 10);
  EXPECT_EQ(head, "[U]\n_First");
  EXPECT_EQ(e.Refused, (std::vector<String>{cfg, cfg}));  // the engine names it; its dialogs tell once

  std::unique_ptr<TSpellCheckerBase> f;
  bool saved = false;
  // 200,000 sections against 5,000: a look-up that walked the sections
  // costs the square of the ratio.
  const qytest::TGrowth growth = qytest::MeasureGrowth(5000, 200000, [&](int n) -> std::function<void()> {
    f.reset();
    std::string many;
    for (int i = 0; i < n; ++i) many += "[S" + std::to_string(i) + "]\r\n_FirstRun=+\r\n";
    qytest::WriteFileBytes(cfg, many + "[U]\r\n_FirstRun=+\r\n_soUpcase=+\r\n");
    f = FileEngine(tmp.str());
    saved = false;
    return [&] {
      TSpellConfig& m = f->Configuration();
      m.SetActive(true);
      m.SetOptions(TSpellOptions{soQuoted});
      saved = m.Save();
    };
  });
  EXPECT_LT(growth.Ratio(), qytest::LinearGrowthBound(5000, 200000))
      << growth.SmallSeconds << " s, then " << growth.LargeSeconds << " s";
  // The save costs a few readings of the file (3 to 4 here), not one for
  // each key it writes (each write found every section again: about 20),
  // measured against a reading of the same file in the same run.
  double reading = 1e300;
  for (int i = 0; i < 3; ++i)
    reading = std::min(reading, qytest::MeasureWork([&] { TIniFile(cfg).ReadString("U", "_soQuoted", ""); }).CpuSeconds);
  EXPECT_LT(growth.LargeSeconds, 10 * reading) << "a reading costs " << reading << " s";
  // The last measured was the larger.
  EXPECT_TRUE(saved);
  EXPECT_FALSE(f->Configuration().StoreRefused());
  TIniFile ini(cfg);
  EXPECT_EQ(ini.ReadString("U", "_soQuoted", ""), "+");
  EXPECT_EQ(ini.ReadString("S199999", "_FirstRun", ""), "+");
}

TEST(SpellConfig, DictionaryListsFollowTheConfiguration) {
  qytest::TempDir tmp;
  auto e = FileEngine(tmp.str());
  TSpellConfig& c = e->Configuration();
  c.SetActive(true);
  ASSERT_NE(e->ActiveCustomDictionary(), nullptr);
  EXPECT_EQ(e->ActiveCustomDictionary()->FileName(), tmp.str() + "/U.spu");  // the first folder
  e->NewCustomDictionary("Extra");
  EXPECT_TRUE(std::filesystem::exists(tmp.str() + "/Extra.spu"));
  EXPECT_EQ(c.CustomDictionaries.IndexOf("Extra.spu") >= 0, true);
  EXPECT_EQ(e->CustomDictionaries().size(), 1u);  // the active one is not listed twice
  EXPECT_TRUE(e->RenameCustomDictionary("Extra.spu", "Renamed"));
  EXPECT_TRUE(std::filesystem::exists(tmp.str() + "/Renamed.spu"));
  EXPECT_FALSE(e->RenameCustomDictionary("Missing.spu", "Other"));
  // Unlisting the active dictionary makes the first remaining one active.
  e->SetCustomDictionaryListed("U.spu", false);
  EXPECT_EQ(c.ActiveCustom, "Renamed.spu");
  e->DeleteCustomDictionary("Renamed.spu");
  EXPECT_FALSE(std::filesystem::exists(tmp.str() + "/Renamed.spu"));
  EXPECT_EQ(c.ActiveCustom, "");
  EXPECT_EQ(e->ActiveCustomDictionary(), nullptr);
}

TEST(SpellConfig, DictionaryNamesArePlainFileNamesOfTheFolder) {
  struct Case {
    const char* name;
    const char* file;  // empty: refused
  };
  const Case cases[] = {
      {"Trips", "Trips.spu"},     {"Trips.txt", "Trips.spu"}, {"My words.spu", "My words.spu"},
      {"..", ""},                 {".", ""},                  {"../escaped", ""},
      {".hidden", ""},            {"a/b", ""},                {"a\\b", ""},
      {"/tmp/abs", ""},           {"tab\there", ""},          {"line\nbreak", ""},
      {"del\x7f", ""},            {"", ""},                   {"..spu", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CustomDictionaryFileName(c.name), c.file);
    qytest::TempDir tmp;
    const std::string dir = tmp.str() + "/dicts";
    std::filesystem::create_directories(dir);
    auto e = FileEngine(dir);
    TSpellConfig& cfg = e->Configuration();
    cfg.SetActive(true);
    auto files = [&] {
      std::vector<std::string> names;
      for (const auto& f : std::filesystem::recursive_directory_iterator(tmp.str()))
        names.push_back(f.path().lexically_relative(tmp.str()).string());
      std::sort(names.begin(), names.end());
      return names;
    };
    ASSERT_TRUE(e->NewCustomDictionary("Old"));
    const std::vector<std::string> before = files();
    const bool plain = *c.file != '\0';
    EXPECT_EQ(e->NewCustomDictionary(c.name), plain);
    if (plain) {
      EXPECT_TRUE(std::filesystem::exists(dir + "/" + c.file));
      EXPECT_GE(cfg.CustomDictionaries.IndexOf(c.file), 0);
      EXPECT_GE(e->GetCustomDictionaryFiles()->IndexOf(c.file), 0);  // listed as it is used
      e->DeleteCustomDictionary(c.file);
    }
    EXPECT_EQ(files(), before);
    EXPECT_EQ(e->RenameCustomDictionary("Old.spu", c.name), plain);
    if (plain) {
      EXPECT_FALSE(std::filesystem::exists(dir + "/Old.spu"));
      EXPECT_TRUE(std::filesystem::exists(dir + "/" + std::string(c.file)));
      EXPECT_EQ(cfg.CustomDictionaries.IndexOf("Old.spu"), -1);
      EXPECT_GE(cfg.CustomDictionaries.IndexOf(c.file), 0);
    } else {
      EXPECT_EQ(files(), before);
      EXPECT_GE(cfg.CustomDictionaries.IndexOf("Old.spu"), 0);
    }
  }
}

TEST(SpellConfig, RenamedUntickedDictionaryStaysUnticked) {
  qytest::TempDir tmp;
  auto e = FileEngine(tmp.str());
  TSpellConfig& c = e->Configuration();
  c.SetActive(true);
  ASSERT_TRUE(e->NewCustomDictionary("Extra"));
  e->SetCustomDictionaryListed("Extra.spu", false);
  ASSERT_TRUE(e->RenameCustomDictionary("Extra.spu", "Other"));
  EXPECT_EQ(c.CustomDictionaries.IndexOf("Other.spu"), -1);
  EXPECT_EQ(c.CustomDictionaries.IndexOf("Extra.spu"), -1);
  EXPECT_TRUE(std::filesystem::exists(tmp.str() + "/Other.spu"));
}
