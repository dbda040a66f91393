#include "spell/scCustomDictionary.h"
#include "spell/scSpellBase.h"
#include "spell/scStringParser.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>

namespace {
// Each prompt is answered by the next step of a script, which checks the
// word it was shown and then calls one command.
struct Script {
  struct Step {
    std::string expect;
    std::function<void(TSpellCheckerBase&)> command;
  };
  std::deque<Step> steps;
  std::vector<std::string> prompts;
};
}  // namespace

TEST(InteractiveCheck, ScriptedSessionOnAString) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  AnsiString text = "Teh cat sat on on the mat zzyzx qwertz Recieve it Recieve teh";
  Script s;
  s.steps = {
      {"Teh", [](auto& c) { c.Change("The"); }},
      {"on on", [](auto& c) { c.DeleteRepeated(); }},
      {"zzyzx", [](auto& c) { c.Add(); }},
      {"qwertz", [](auto& c) { c.AutoCorrect("quartz"); }},
      {"Recieve", [](auto& c) { c.ChangeAll("Receive"); }},
      // The second "Recieve" was corrected by itself; undo takes back both.
      {"teh", [](auto& c) { c.Undo(); }},
      {"Recieve", [](auto& c) { c.Change("Receive"); }},
      {"Recieve", [](auto& c) { c.Ignore(); }},
      {"teh", [](auto& c) { c.Change("the"); }},
  };
  bool completed = false;
  e->OnCompleteCheck = [&](TObject*) { completed = true; };
  e->CheckString(text);
  while (e->CheckRunning() && !s.steps.empty()) {
    ASSERT_EQ(e->CurrentWord(), s.steps.front().expect) << text;
    auto step = s.steps.front();
    s.steps.pop_front();
    step.command(*e);
  }
  EXPECT_TRUE(s.steps.empty());
  EXPECT_FALSE(e->CheckRunning());
  EXPECT_TRUE(completed);
  EXPECT_EQ(text, "The cat sat on the mat zzyzx quartz Receive it Recieve the");
  EXPECT_TRUE(e->TextChanged());
  // What the commands taught stays after the check.
  auto* active = e->ActiveCustomDictionary();
  ASSERT_NE(active, nullptr);
  EXPECT_TRUE(active->IsAddedWord("zzyzx"));
  AnsiString r;
  EXPECT_TRUE(active->FindAutoCorrect("qwertz", r));
  EXPECT_EQ(r, "quartz");
  EXPECT_FALSE(e->InternalDictionary().FindAutoCorrect("Recieve", r));  // undone
}

TEST(InteractiveCheck, RepeatsReplacementsAndUndoLimits) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  struct Case {
    std::string text;
    std::vector<std::string> prompts;  // each answered with Ignore
  } cases[] = {
      {"the the end", {"the the"}},
      {"the  the end", {}},            // two spaces: not a repetition
      {"the\nthe end", {}},            // a line break neither
      {"", {}},
      {"qqzzt and qqzzt", {"qqzzt", "qqzzt"}},
  };
  for (const auto& c : cases) {
    AnsiString text = c.text;
    std::vector<std::string> prompts;
    e->CheckString(text);
    for (int guard = 0; e->CheckRunning() && guard < 20; ++guard) {
      prompts.push_back(e->CurrentWord());
      e->Ignore();
    }
    EXPECT_EQ(prompts, c.prompts) << c.text;
  }
  // A replacement that is itself unknown is reported next.
  AnsiString text = "teh end";
  e->CheckString(text);
  e->Change("thw");
  EXPECT_EQ(e->CurrentWord(), "thw");
  // MaxUndo 2 keeps the two newest records; 0 records nothing.
  e->MaxUndo = 2;
  e->Ignore();
  EXPECT_FALSE(e->CheckRunning());
  text = "aaqz bbqz ccqz ddqz";
  e->CheckString(text);
  e->Ignore();
  e->Ignore();
  e->Ignore();
  EXPECT_EQ(e->UndoList().size(), 2u);
  e->Cancel();
  e->MaxUndo = 0;
  e->CheckString(text);
  e->Ignore();
  EXPECT_FALSE(e->CanUndo());
  e->Undo();
  EXPECT_EQ(e->CurrentWord(), "bbqz");
  e->Cancel();
}

TEST(InteractiveCheck, EndMessageCaretAndWordCounts) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  e->UIType = suiDialog;
  e->EndMessage = emAlways;
  int messages = 0;
  e->OnShowEndMessage = [&](TObject*) { ++messages; };
  AnsiString empty;
  e->CheckString(empty);
  EXPECT_EQ(messages, 1);
  EXPECT_EQ(e->WordsChecked(), 0);
  e->EndMessage = emExceptCancel;
  AnsiString text = "one qqzzt two";
  e->CheckString(text);
  e->Cancel();
  EXPECT_EQ(messages, 1);
  EXPECT_EQ(e->WordCountString("one two, three. e.g. four"), 5);
  // Silent checks count errors and words without prompting.
  auto* p = new TStringParser;
  AnsiString silent = "one qqzzt two two zzqq";
  p->Initialize(&silent);
  bool has = false;
  int errors = 0, words = 0;
  e->CheckParserSilent(p, ctWholeText, true, false, has, errors, words);
  EXPECT_TRUE(has);
  EXPECT_EQ(errors, 3);
  EXPECT_EQ(words, 5);
  auto* q = new TStringParser;
  q->Initialize(&silent);
  e->CheckParserSilent(q, ctFromCursor, true, false, has, errors, words);
  EXPECT_EQ(words, 0);
}

TEST(InteractiveCheck, SynchronousCheckWaitsForPostedCommands) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  ASSERT_TRUE(e->SynchronousCheck);
  TTimer timer(nullptr);
  timer.SetInterval(1);
  std::vector<std::string> seen;
  // Bounded: a check that goes on asking is cancelled, and the test says so.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  bool gaveUp = false;
  timer.OnTimer = [&](TObject*) {
    if (!e->CheckRunning()) return;
    if (seen.size() >= 10 || std::chrono::steady_clock::now() > until) {
      gaveUp = true;
      e->Cancel();
      return;
    }
    seen.push_back(e->CurrentWord());
    e->Change("the");
  };
  AnsiString text = "teh cat teh";
  e->CheckString(text);  // returns once the timer has answered both prompts
  timer.SetEnabled(false);
  EXPECT_FALSE(gaveUp) << "the check was still asking after " << seen.size() << " answers";
  EXPECT_EQ(text, "the cat the");
  EXPECT_EQ(seen, (std::vector<std::string>{"teh", "teh"}));
}

TEST(InteractiveCheck, DialogIsShownPlacedAndDisposedOf) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  e->UIType = suiDialog;
  e->EndMessage = emNever;
  TCustomForm* shown = nullptr;
  int created = 0, disposed = 0, hidden = 0;
  e->OnCreateSpellDialog = [&](TObject*, TCustomForm*& form, bool create) {
    if (create) {
      form = new TForm(nullptr);
      form->SetBounds(-50, -50, 200, 100);
      ++created;
    } else {
      delete form;
      ++disposed;
    }
  };
  e->OnSpellDialogHide = [&](TObject*) { ++hidden; };
  e->OnPromptWord = [&](TObject*, const AnsiString&, bool) { shown = e->SpellDialog; };
  AnsiString text = "teh qqzzt end";
  e->CheckString(text);
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->GetVisible());
  // No stored position and no window for a string: kept on the monitor.
  EXPECT_GE(shown->GetLeft(), 0);
  EXPECT_GE(shown->GetTop(), 0);
  e->Change("the");
  EXPECT_EQ(e->SpellDialog, shown);  // one dialog for the whole check
  e->Ignore();
  EXPECT_FALSE(e->CheckRunning());
  EXPECT_EQ(created, 1);
  EXPECT_EQ(disposed, 1);
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(e->SpellDialog, nullptr);
  // The last position is kept in the configuration for the next check.
  EXPECT_GE(e->Configuration().GetDialogX(), 0);
  EXPECT_EQ(text, "the qqzzt end");
}
