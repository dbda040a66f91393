#include "spell/scIgnore.h"
#include "spell/scParseEngine.h"
#include "spell/scStringParser.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
// Splits Text into words with the given filters (dispatched as the engine
// does) and answers them; ignored words are marked with a leading "-".
std::vector<std::string> Split(const std::string& text, std::vector<TParserIgnore*> filters = {},
                               bool french = false, TParseCheckType type = ctWholeText,
                               int endMark = 0) {
  std::vector<std::unique_ptr<TParserIgnore>> owned(filters.begin(), filters.end());
  AnsiString s = text;
  TStringParser p;
  p.Initialize(&s);
  TMainParsingEngine e;
  e.SetApostropheSplits(french);
  e.OnCharFilter = [&](char c, TControlParser* parser, bool& skip) {
    for (auto& f : owned)
      if (f->HasParserIgnore() && f->IgnoreFromChar(c, parser)) skip = true;
  };
  e.OnWordFilter = [&](const AnsiString& w, TControlParser* parser, bool& skip) {
    for (auto& f : owned)
      if (f->HasParserIgnore() && f->IgnoreFromWord(w, parser)) skip = true;
  };
  if (endMark) p.SetPosition(endMark, 0, ppEnd);
  e.Initialize(&p, type);
  std::vector<std::string> words;
  for (AnsiString w; e.NextWord(w), !w.empty();) {
    bool ignored = false;
    for (auto& f : owned) ignored = ignored || f->IgnoreWord(w, &p);
    words.push_back((ignored ? "-" : "") + w);
  }
  return words;
}
using V = std::vector<std::string>;
}  // namespace

TEST(WordSplitter, WordsApostrophesAndPeriods) {
  struct Case {
    const char* text;
    V words;
  } cases[] = {
      {"the dogs' bone", {"the", "dogs", "bone"}},
      {"'tis \"so\" said", {"tis", "so", "said"}},
      {"e.g. this one.", {"e.g.", "this", "one"}},
      {"end. Next", {"end", "Next"}},
      {"AT&T", {"AT", "&T"}},
      {"l'homme", {"l'homme"}},
      {"don't stop", {"don't", "stop"}},
      {"3.14 and 2nd", {"3.14", "and", "2nd"}},
      {"", {}},
      {"  ", {}},
      {"caf\xE9 na\xEFve", {"caf\xE9", "na\xEFve"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.text), c.words) << c.text;
}

TEST(WordSplitter, FrenchElisions) {
  EXPECT_EQ(Split("l'homme aujourd'hui entr'acte", {}, true),
            (V{"l", "homme", "aujourd'hui", "entr'acte"}));
}

TEST(WordSplitter, ParserStandsAfterTheWord) {
  AnsiString s = "dogs' x";
  TStringParser p;
  p.Initialize(&s);
  TMainParsingEngine e;
  e.Initialize(&p, ctWholeText);
  AnsiString w;
  e.NextWord(w);
  EXPECT_EQ(w, "dogs");
  EXPECT_EQ(p.GetChar(), '\'');
}

TEST(WordSplitter, SelectionEndCutsAWord) {
  // "alpha beta": an end mark inside "beta" drops it; one at its end keeps it.
  EXPECT_EQ(Split("alpha beta", {}, false, ctWholeText, 8), V{"alpha"});
  EXPECT_EQ(Split("alpha beta", {}, false, ctWholeText, 11), (V{"alpha", "beta"}));
}

TEST(IgnoreFilters, MarkupAddressesQuotesCapitalsNumbersAbbreviations) {
  struct Case {
    const char* text;
    std::vector<TParserIgnore*> filters;
    V words;
  } cases[] = {
      {"<b>bold</b> text", {new THTMLIgnore}, {"bold", "text"}},
      {"a <!-- x > y --> b", {new THTMLIgnore}, {"a", "b"}},
      {"a <% if (x > 1) %> b", {new THTMLIgnore}, {"a", "b"}},
      {"AT&T &nbsp; ok", {new THTMLIgnore}, {"AT", "-&T", "-&nbsp", "ok"}},
      {"see http://example.org/x?y=1, then", {new TURLIgnore}, {"see", "then"}},
      {"mail joe@example.org now", {new TURLIgnore}, {"mail", "now"}},
      {"at www.example.org/path ok", {new TURLIgnore}, {"at", "ok"}},
      {"plain www.example.org", {new TURLIgnore}, {"plain", "-www.example.org"}},
      {"> quoted line", {new TQuotedLineIgnore(">")}, {"-quoted", "-line"}},
      {" > not quoted", {new TQuotedLineIgnore(">")}, {"not", "quoted"}},
      {"NASA and I x", {new TUppercaseWordIgnore}, {"-NASA", "and", "-I", "x"}},
      {"4th w0rd word", {new TNumbersIgnore}, {"-4th", "-w0rd", "word"}},
      {"U.S.A. e.g. etc. i.e", {new TAbbreviationsIgnore}, {"-U.S.A.", "-e.g.", "etc", "-i.e"}},
  };
  for (auto& c : cases) EXPECT_EQ(Split(c.text, c.filters), c.words) << c.text;
  TAbbreviationsIgnore a;
  EXPECT_FALSE(a.IgnoreWord("ab.c", nullptr));
  EXPECT_TRUE(a.IgnoreWord("a.b", nullptr));
}
