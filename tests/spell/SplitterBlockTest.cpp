// The splitter reads a parser's block of characters in runs (eight
// lower-case letters at a time where it can); it must split exactly as it
// does one character at a time.
#include "spell/scIgnore.h"
#include "spell/scParseEngine.h"
#include "spell/scStringParser.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The same string, offered one character at a time only.
class TSingleStepParser : public TStringParser {
public:
  int Ahead(const char*& Data) override { return 0; }
};

// Words with the parser's position after each; ignored words marked "-".
std::vector<std::string> Split(TStringParser& p, const std::string& text, int endMark, bool french,
                               bool urls) {
  AnsiString s = text;
  p.Initialize(&s);
  TMainParsingEngine e;
  e.SetApostropheSplits(french);
  TURLIgnore url;
  if (urls) {
    e.OnWordFilter = [&](const AnsiString& w, TControlParser* parser, bool& skip) {
      skip = url.IgnoreFromWord(w, parser);
    };
    for (int c = 0; c < 256; ++c) e.WordFilterAfter[static_cast<size_t>(c)] = url.IgnoresWordBefore(static_cast<char>(c));
  }
  if (endMark) p.SetPosition(endMark, 0, ppEnd);
  e.Initialize(&p, ctWholeText);
  std::vector<std::string> words;
  for (AnsiString w; e.NextWord(w), !w.empty();) {
    int x = 0, y = 0;
    p.GetPosition(x, y);
    words.push_back(w + "@" + std::to_string(x));
  }
  return words;
}

TEST(SplitterBlock, RunsSplitAsSingleSteps) {
  struct Case {
    std::string text;
    std::vector<std::string> words;  // expected words, positions left out
    int endMark = 0;
    bool french = false;
    bool urls = false;
  } cases[] = {
      {"abcdefghijklmnopqrstuvwxyz end", {"abcdefghijklmnopqrstuvwxyz", "end"}},
      {"abcdefg abcdefgh abcdefghi", {"abcdefg", "abcdefgh", "abcdefghi"}},
      {"remembered evening", {"remembered", "evening"}},
      {"abcdefghIJKLmnopqrst mixed", {"abcdefghIJKLmnopqrst", "mixed"}},
      {"internationalization's end.", {"internationalization's", "end"}},
      // Characters beside the letters' range, and 8-bit letters after them.
      {"aaaaaaa{bbbbbbbb aaaaaaa`bbbbbbbbb", {"aaaaaaa", "bbbbbbbb", "aaaaaaa", "bbbbbbbbb"}},
      {"aaaaaaaa\xE9" "bbbbbbbb caf\xE9s na\xEFvet\xE9", {"aaaaaaaa\xE9" "bbbbbbbb", "caf\xE9s", "na\xEFvet\xE9"}},
      {"aaaaaaaa\x92s zzzzzzzz\x85yyyy", {"aaaaaaaa\x92s", "zzzzzzzz", "yyyy"}},
      {"zzzzzzzzz-yyyyyyyyy well-known", {"zzzzzzzzz-yyyyyyyyy", "well-known"}},
      {"wwwwwwwwww.xxxxxxxxx end. e.g.", {"wwwwwwwwww.xxxxxxxxx", "end", "e.g."}},
      {"aujourdhuiaaaa aujourd'hui entr'acte", {"aujourdhuiaaaa", "aujourd'hui", "entr'acte"}, 0, true},
      // A word cut by the end of the range is no word.
      {"longwordsarelong and", {}, 12},
      {"longwordsarelong and", {}, 16},
      {"longwordsarelong and", {"longwordsarelong"}, 17},
      {"see http://averyverylonghost.example/pathpathpath now", {"see", "now"}, 0, false, true},
      {"\"quotedwordsss\" (parenthesised)", {"quotedwordsss", "parenthesised"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TStringParser block;
    TSingleStepParser single;
    const auto a = Split(block, c.text, c.endMark, c.french, c.urls);
    const auto b = Split(single, c.text, c.endMark, c.french, c.urls);
    EXPECT_EQ(a, b);
    std::vector<std::string> words;
    for (const std::string& w : a) words.push_back(w.substr(0, w.rfind('@')));
    EXPECT_EQ(words, c.words);
  }
}

}  // namespace
