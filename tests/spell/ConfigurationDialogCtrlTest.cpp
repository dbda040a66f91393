// The control through which the spelling forms reach the engine: attaching,
// the neutral answers without an engine and the prompt relay.
#include "spell/scConfigurationDialogCtrl.h"
#include "spell/scCustomDictionary.h"
#include "spell/scMainDictionary.h"
#include "spell/scSpellBase.h"

#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Counted {
  int configuration = 0, dictionary = 0;
  void Watch(TConfigurationDialogCtrl& c) {
    c.OnConfigurationAvailable = [this, &c](TObject* s) {
      EXPECT_EQ(s, &c);
      ++configuration;
    };
    c.OnCustomDictionaryAvailable = [this](TObject*) { ++dictionary; };
  }
};

TEST(ConfigurationDialogCtrl, OnlyTheFirstEngineIsAttached) {
  qytest::TempDir tmp;
  auto first = spelltest::MakeEngine(tmp.str());
  auto second = spelltest::MakeEngine(tmp.str());
  first->ConfigAvailableOptions = TSpellOptions{soUpcase, soUser2};
  struct Case {
    const char* name;
    std::vector<TSpellCheckerBase*> attach;
    TSpellCheckerBase* attached;
    int events;
  } cases[] = {
      {"nil", {nullptr}, nullptr, 0},
      {"one", {first.get()}, first.get(), 1},
      {"second ignored", {first.get(), second.get()}, first.get(), 1},
      {"nil then one", {nullptr, first.get()}, first.get(), 1},
      {"nil after one", {first.get(), nullptr}, first.get(), 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TConfigurationDialogCtrl c(nullptr);
    Counted n;
    n.Watch(c);
    for (TSpellCheckerBase* e : k.attach) c.SetSpellChecker(e);
    EXPECT_EQ(c.SpellChecker, k.attached);
    EXPECT_EQ(n.configuration, k.events);
    EXPECT_EQ(c.Configuration, k.attached ? &k.attached->Configuration() : nullptr);
    EXPECT_EQ(c.AvailableOptions, k.attached ? k.attached->ConfigAvailableOptions : TSpellOptions{});
  }
  // The options are a snapshot: later changes do not reach the control.
  TConfigurationDialogCtrl c(nullptr);
  c.SetSpellChecker(first.get());
  first->ConfigAvailableOptions = TSpellOptions{soRepeated};
  EXPECT_EQ(c.AvailableOptions, (TSpellOptions{soUpcase, soUser2}));
}

TEST(ConfigurationDialogCtrl, ADictionaryIsHandedOverAndNilFiresNothing) {
  TCustomDictionary dict;
  struct Case {
    TCustomDictionary* given;
    int events;
  } cases[] = {{nullptr, 0}, {&dict, 1}};
  for (const Case& k : cases) {
    TConfigurationDialogCtrl c(nullptr);
    c.CustomDictionary = &dict;
    Counted n;
    n.Watch(c);
    c.SetCustomDictionary(k.given);
    EXPECT_EQ(c.CustomDictionary, k.given);
    EXPECT_EQ(n.dictionary, k.events);
  }
}

TEST(ConfigurationDialogCtrl, OptionCaptionsComeFromTheEngine) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->ConfigUserOption1 = "Check names";
  e->ConfigUserOption3 = "";
  TConfigurationDialogCtrl c(nullptr);
  EXPECT_EQ(c.GetOptionCaption(soUpcase), "");  // no engine yet
  c.SetSpellChecker(e.get());
  struct Case {
    TSpellOption option;
    String caption;
  } cases[] = {
      {soLiveSpelling, e->GetString(lsLiveSpelling)},
      {soUpcase, e->GetString(lsIgnoreUpcase)},
      {soDUalCaps, e->GetString(lsDUalCaps)},
      {soUser1, "Check names"},
      {soUser3, ""},  // the user option's own text, even when empty
  };
  for (const Case& k : cases) EXPECT_EQ(c.GetOptionCaption(k.option), k.caption) << k.option;
  EXPECT_EQ(c.GetOptionCaption(soUpcase), "Ignore words in &UPPERCASE");
}

TEST(ConfigurationDialogCtrl, AnUnattachedControlAnswersNeutrallyAndChangesNothing) {
  qytest::TempDir tmp;
  TConfigurationDialogCtrl c(nullptr);
  TCustomDictionary dict;
  TStringList list;
  const String file = (tmp / "Mine.spu").string();
  struct Case {
    const char* name;
    std::function<bool()> neutral;
  } cases[] = {
      {"GetMainDictionaryFiles", [&] { return c.GetMainDictionaryFiles() == nullptr; }},
      {"GetCustomDictionaryFiles", [&] { return c.GetCustomDictionaryFiles() == nullptr; }},
      {"GetMSWordCustomDictionaries", [&] { return c.GetMSWordCustomDictionaries() == nullptr; }},
      {"UseExcludeWords", [&] { return c.UseExcludeWords(); }},
      {"CanUndo", [&] { return !c.CanUndo(); }},
      {"InternalDictionary", [&] { return c.InternalDictionary() == nullptr; }},
      {"ActiveCustomDictionary", [&] { return c.ActiveCustomDictionary() == nullptr; }},
      {"CommandsVisible", [&] { return c.CommandsVisible().Empty(); }},
      {"CommandsEnabled", [&] { return c.CommandsEnabled().Empty(); }},
      {"HelpCtx", [&] {
         return c.HelpCtxSpellDialog() == 0 && c.HelpCtxConfigDialog() == 0 &&
                c.HelpCtxDictionariesDialog() == 0 && c.HelpCtxDictionaryEditDialog() == 0;
       }},
      {"GetString", [&] { return c.GetString(lsSpelling).empty(); }},
      {"GetOptionCaption", [&] { return c.GetOptionCaption(soUser1).empty(); }},
      {"OpenMainDictionary", [&] { return c.OpenMainDictionary(spelltest::American()) == nullptr; }},
      {"OpenCustomDictionary", [&] { return c.OpenCustomDictionary(file) == nullptr; }},
      {"ShowAddDictionaryDir", [&] { return !c.ShowAddDictionaryDir(); }},
      {"NewCustomDictionary", [&] { return !c.NewCustomDictionary(file); }},
      {"RenameCustomDictionary", [&] { return !c.RenameCustomDictionary("Mine.spu", "Other.spu"); }},
      {"GetSuggestions", [&] {
         c.GetSuggestions("teh", &list);
         return list.Count() == 0;
       }},
      {"commands", [&] {
         c.ShowConfigDialog();
         c.ShowCustomDictionariesDialog();
         c.ShowEditCustomDictionaryDialog(&dict);
         c.SetCustomDictionaryListed(file, true);
         c.SetMSWordDictionaryListed(file, true);
         c.DeleteCustomDictionary(file);
         c.Ignore();
         c.IgnoreAll();
         c.Add();
         c.Undo();
         c.Cancel();
         c.IgnoreRepeated();
         c.DeleteRepeated();
         c.Change("the");
         c.ChangeAll("the");
         c.AutoCorrect("the");
         c.HelpSpellDialog();
         c.HelpConfigDialog();
         c.HelpDictionariesDialog();
         c.HelpDictionaryEditDialog();
         return true;
       }},
  };
  for (const Case& k : cases) EXPECT_TRUE(k.neutral()) << k.name;
  EXPECT_EQ(c.GetVersion(), "1.0");
  c.SetVersion("2.0");
  EXPECT_EQ(c.GetVersion(), "1.0");
  // Nothing was written or attached on the way.
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(c.SpellChecker, nullptr);
  EXPECT_EQ(c.Configuration, nullptr);
}

TEST(ConfigurationDialogCtrl, CommandsAreTheEnginesAllNineteen) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  TConfigurationDialogCtrl c(nullptr);
  c.SetSpellChecker(e.get());
  for (int n = sdcIgnore; n <= sdcResetDefaults; ++n) {
    const auto command = static_cast<TSpellDialogCommand>(n);
    EXPECT_TRUE(c.Visible(command)) << n;
    EXPECT_TRUE(c.Enabled(command)) << n;
  }
  EXPECT_EQ(sdcResetDefaults, 18);
  e->CommandsEnabled = e->CommandsEnabled - TSpellDialogCommands{sdcAdd};
  EXPECT_FALSE(c.Enabled(sdcAdd));  // read through, not copied
  EXPECT_TRUE(c.Visible(sdcAdd));
}

TEST(ConfigurationDialogCtrl, TheEngineBindsTheFormsFirstControl) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  TCustomDictionary dict;
  TForm form(nullptr);
  auto* first = new TConfigurationDialogCtrl(&form);
  auto* second = new TConfigurationDialogCtrl(&form);
  Counted n;
  n.Watch(*first);
  e->BindDialogControl(&form, &dict);
  EXPECT_EQ(first->SpellChecker, e.get());
  EXPECT_EQ(first->CustomDictionary, &dict);
  EXPECT_EQ(n.configuration, 1);
  EXPECT_EQ(n.dictionary, 1);
  EXPECT_EQ(second->SpellChecker, nullptr);
  TForm bare(nullptr);
  e->BindDialogControl(&bare);  // a form without a control: nothing to bind
  e->BindDialogControl(nullptr);
}

TEST(ConfigurationDialogCtrl, TheOpenDialogHearsOfAWordBeforeTheHost) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  std::vector<std::string> heard;
  // A dialog the host made: the engine finds its control.
  e->OnCreateSpellDialog = [&](TObject*, TCustomForm*& form, bool create) {
    if (!create) {
      delete form;
      form = nullptr;
      return;
    }
    form = new TForm(nullptr);
    auto* c = new TConfigurationDialogCtrl(form);
    c->OnPromptWord = [&, engine = e.get()](TObject* sender, const String& word, bool repeated) {
      EXPECT_EQ(sender, engine);
      heard.push_back("dialog " + word + (repeated ? " (repeated)" : ""));
    };
  };
  e->OnPromptWord = [&](TObject* sender, const AnsiString& word, bool) {
    EXPECT_EQ(sender, e.get());
    heard.push_back("host " + word);
  };
  e->UIType = suiDialog;
  // A message the check shows (its end) is answered at once and named
  // below, never waited for.
  TInteractionScript unasked;
  AnsiString text = "teh cat sat on on the mat";
  e->CheckString(text);
  ASSERT_TRUE(e->CheckRunning());
  e->Ignore();
  e->Cancel();
  const std::vector<std::string> expected = {"dialog teh", "host teh", "dialog on on (repeated)",
                                             "host on on"};
  EXPECT_EQ(heard, expected);
  for (const TInteraction& m : unasked.Shown) ADD_FAILURE() << "the check showed \"" << m.Caption << "\": " << m.Text;
}

}  // namespace
