// The check's word cache and what a run of the check decides with it:
// repeated words, addresses and accepted words across prompts.
#include "spell/scSpellBase.h"
#include "spell/scStringParser.h"
#include "spell/scWordCache.h"

#include "SpellTestSupport.h"

#include "platform/gui/Forms.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

TEST(WordCache, KeepsWordsApartAndForgetsThemOnClear) {
  // Words that differ only in their length or in one byte of each 8-byte
  // part of the key, and the longest word kept.
  const std::vector<std::string> words = {
      "a",        "ab",        "abc",       "abd",       "abcd",       "abce",     "abcdefg",
      "abcdefh",  "abcdefgh",  "abcdefgi",  "aaaaaaaa",  "aaaaaaaaa",  "aaaaaaaab", "abcdefghijklmnop",
      "abcdefghijklmnoq",      "abcdefghijklmnopq",      "abcdefghijklmnopqrstuvwx"};
  TWordCache<int> cache;
  std::vector<const int*> places;
  for (size_t i = 0; i < words.size(); ++i) {
    const int* p = cache.Add(words[i].data(), words[i].size(), static_cast<int>(i));
    ASSERT_NE(p, nullptr) << words[i];
    places.push_back(p);
  }
  for (size_t i = 0; i < words.size(); ++i) {
    SCOPED_TRACE(words[i]);
    const int* p = cache.Find(words[i].data(), words[i].size());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*p, static_cast<int>(i));
    EXPECT_EQ(p, places[i]);  // the same place stands for the same word
    EXPECT_EQ(cache.TextOf(p), words[i]);
    EXPECT_EQ(cache.Add(words[i].data(), words[i].size(), -1), p);  // added once
  }
  struct Absent {
    std::string word;
  } absent[] = {{"b"}, {"abcdef"}, {"abcdefghijklmno"}, {"abcdefghijklmnopqrstuvwxy"}, {""}};
  for (const Absent& a : absent) EXPECT_EQ(cache.Find(a.word.data(), a.word.size()), nullptr) << a.word;
  // Longer than the key: never kept.
  const std::string longWord(TWordCache<int>::kMaxLength + 1, 'x');
  EXPECT_EQ(cache.Add(longWord.data(), longWord.size(), 1), nullptr);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  for (const std::string& w : words) EXPECT_EQ(cache.Find(w.data(), w.size()), nullptr) << w;
}

TEST(WordCache, SmallTableFillsToHalfAndStillFindsEveryWord) {
  // 16 places: colliding words probe on, and the table stops at 8.
  TWordCache<int> cache(4);
  std::vector<std::string> words;
  for (int i = 0; i < 12; ++i) words.push_back("w" + std::to_string(i * 7919));
  int stored = 0;
  for (int i = 0; i < 12; ++i)
    if (cache.Add(words[static_cast<size_t>(i)].data(), words[static_cast<size_t>(i)].size(), i)) ++stored;
  EXPECT_EQ(stored, 8);
  for (int i = 0; i < 12; ++i) {
    const int* p = cache.Find(words[static_cast<size_t>(i)].data(), words[static_cast<size_t>(i)].size());
    if (i < 8) {
      ASSERT_NE(p, nullptr) << words[static_cast<size_t>(i)];
      EXPECT_EQ(*p, i);
    } else {
      EXPECT_EQ(p, nullptr) << words[static_cast<size_t>(i)];
    }
  }
  // Many generations later the table is still empty after a clear.
  for (int i = 0; i < 1000; ++i) cache.Clear();
  for (const std::string& w : words) EXPECT_EQ(cache.Find(w.data(), w.size()), nullptr);
}

// Runs a whole check of Text, ignoring every prompt; the prompts in order.
std::vector<std::string> Prompts(TSpellCheckerBase& e, const std::string& text) {
  AnsiString t = text;
  std::vector<std::string> shown;
  e.CheckString(t);
  for (int guard = 0; e.CheckRunning() && guard < 50; ++guard) {
    shown.push_back(e.CurrentWord());
    e.Ignore();
  }
  return shown;
}

TEST(CheckRun, RepeatedWordsAndAddressesAsBeforeTheCache) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  e->EndMessage = emNever;
  struct Case {
    std::string text;
    std::vector<std::string> prompts;
  } cases[] = {
      {"the cat and the the dog", {"the the"}},
      {"the the cat", {"the the"}},
      {"the cat the", {}},
      // Kept by their place in the cache across a prompt for the pair.
      {"the the the end", {"the the", "the the"}},
      // A prompt between: the word before the second one is not the first.
      {"the zzyzx the", {"zzyzx"}},
      {"zzyzx the the", {"zzyzx", "the the"}},
      // Numbers are accepted by rule, not by the dictionaries.
      {"42 42 and", {"42 42"}},
      {"the 42 the", {}},
      {"42 the the", {"the the"}},
      // Hyphenated words are accepted by rule too, and this one is longer
      // than the cache's keys.
      {"twenty-first-century-responsibilities twenty-first-century-responsibilities",
       {"twenty-first-century-responsibilities twenty-first-century-responsibilities"}},
      // The repeat must match in case.
      {"The the", {}},
      {"Cat Cat", {"Cat Cat"}},
      // Addresses are skipped from their scheme, user or "www." host on.
      {"see http://teh.zzyzx.example/wrods now", {}},
      {"write to tehh@zzyzx.example today", {}},
      {"at www.zzyzx.example/qqq here", {}},
      // A word before ":" that is no scheme is checked.
      {"an http teh: later", {"http", "teh"}},
      {"teh. wrods, zzyzx!", {"teh", "wrods", "zzyzx"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Prompts(*e, c.text), c.prompts) << c.text;
    EXPECT_FALSE(e->CheckRunning());
  }
}

// A string whose caret the user moves while the check waits at a prompt.
class TCaretParser : public TStringParser {
public:
  int Caret = 1;
  void GetCursorPosition(int& X, int& Y) override {
    X = Caret;
    Y = 0;
  }
};

// The user moves the caret while the check waits at a word, then takes the
// dialog up again: the check goes on from the caret, and what the move
// passed over is asked about before the check is complete.
TEST(CheckRun, WordsPassedOverByAMovedCaretAreCheckedBeforeTheEnd) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  e->EndMessage = emNever;
  // As the rich-text parser does, the check goes on from the caret.
  e->ResumeFromLastPosition = false;
  struct Case {
    std::string text;
    // At the prompt of this number (from 0) the caret moves to the text's
    // first occurrence of the word, and the dialog is taken up again.
    std::vector<std::pair<int, std::string>> moves;
    std::vector<std::string> prompts;
  } cases[] = {
      {"teh cat wrods dog zzyzx end qqxqq", {{0, "qqxqq"}}, {"teh", "qqxqq", "teh", "wrods", "zzyzx"}},
      {"teh cat wrods dog zzyzx end", {{1, "end"}}, {"teh", "wrods", "wrods", "zzyzx"}},
      // Two moves ahead: both stretches, in the order of the text.
      {"teh a wrods b zzyzx c qqxqq d vvqvv", {{0, "zzyzx"}, {2, "vvqvv"}},
       {"teh", "zzyzx", "qqxqq", "vvqvv", "teh", "wrods", "qqxqq"}},
      // Back to the start: the walk reads it all again, nothing is left.
      {"teh cat wrods dog", {{1, "teh"}}, {"teh", "wrods", "teh", "wrods"}},
      // Ahead, then back before the stretch: the second walk covers it.
      {"teh a wrods b zzyzx", {{0, "zzyzx"}, {1, "teh"}}, {"teh", "zzyzx", "teh", "wrods", "zzyzx"}},
      // Moves while a passed-over stretch is checked: ahead inside it, and
      // to its end.
      {"teh a wrods b zzyzx c qqxqq", {{0, "qqxqq"}, {2, "zzyzx"}}, {"teh", "qqxqq", "teh", "zzyzx", "teh", "wrods"}},
      {"teh a wrods b zzyzx c qqxqq", {{0, "qqxqq"}, {2, "qqxqq"}},
       {"teh", "qqxqq", "teh", "teh", "wrods", "zzyzx"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    AnsiString text = c.text;
    auto* parser = new TCaretParser;  // the engine frees it at the end
    parser->Initialize(&text);
    e->CheckParser(parser, ctWholeText);
    std::vector<std::string> shown;
    for (int n = 0; e->CheckRunning() && n < 20; ++n) {
      shown.push_back(e->CurrentWord());
      auto move = std::find_if(c.moves.begin(), c.moves.end(), [n](const auto& m) { return m.first == n; });
      if (move == c.moves.end()) {
        e->Ignore();
        continue;
      }
      parser->Caret = static_cast<int>(text.find(move->second)) + 1;
      e->ResumeCheck();
    }
    EXPECT_EQ(shown, c.prompts);
    EXPECT_FALSE(e->CheckRunning());
  }
}

TEST(CheckRun, WordsTaughtAtAPromptCountForTheRestOfTheCheck) {
  // The cache lives for one run: what a prompt changes holds afterwards.
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  e->EndMessage = emNever;
  AnsiString text = "cat zzyzx dog zzyzx cat";
  e->CheckString(text);
  ASSERT_TRUE(e->CheckRunning());
  EXPECT_EQ(e->CurrentWord(), "zzyzx");
  e->IgnoreAll();
  EXPECT_FALSE(e->CheckRunning());
  // Undoing an Ignore All brings the word back for the rest of the check.
  text = "cat qqxqq dog qqxqq cat";
  e->CheckString(text);
  ASSERT_TRUE(e->CheckRunning());
  e->IgnoreAll();
  EXPECT_FALSE(e->CheckRunning());
  text = "mat vvqvv mat vvqvv";
  e->CheckString(text);
  ASSERT_TRUE(e->CheckRunning());
  e->Ignore();
  ASSERT_TRUE(e->CheckRunning());
  EXPECT_EQ(e->CurrentWord(), "vvqvv");
  e->Undo();  // back to the first
  ASSERT_TRUE(e->CheckRunning());
  EXPECT_EQ(e->CurrentWord(), "vvqvv");
  e->Ignore();
  ASSERT_TRUE(e->CheckRunning());
  e->Ignore();
  EXPECT_FALSE(e->CheckRunning());
}

}  // namespace

namespace {

// A long check shows the busy cursor where there is a desktop to show it
// on, and runs to its end in a program that has none (a command-line check,
// a benchmark): the cursor is never asked for there.
TEST(CheckRun, ALongCheckShowsTheBusyCursorOnlyWhereAGuiExists) {
  const auto helper = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "spell_command_line_check";
  const int status = qytest::RunChild({helper.string()}, std::nullopt);
  EXPECT_TRUE(WIFEXITED(status)) << "the program ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);

  // This program has a GUI application: the cursor shows, then goes.
  TSpellCheckerBase spell(nullptr);
  spell.ConfigStorage = csNone;
  spell.UIType = suiSilent;
  // The words are judged here: no dictionary folder (the program's own
  // folder among them) is looked in.
  spell.SetConfigDictionaryDir(TStringList());
  int words = 0;
  bool busy = false;
  spell.OnWordCheck = [&](TObject*, const AnsiString&, TWordCheckType& type, AnsiString&) {
    if (words++ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    if (words == 600) busy = Screen->GetCursor() == crHourGlass;
    type = wcAccepted;
  };
  AnsiString text;
  for (int i = 0; i < 800; ++i) text += i % 2 ? "caf\xE9 " : "alpha ";
  spell.CheckString(text);
  EXPECT_EQ(words, 800);
  EXPECT_TRUE(busy);
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

}  // namespace
