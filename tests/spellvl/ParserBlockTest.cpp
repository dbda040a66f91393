// A parser's block of characters (Ahead) promises what single steps would
// give: the splitter takes words from it without a call per character.
#include "spellvl/VellumParser.h"

#include "SpellEditorSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Walks Block by blocks and Steps one character at a time from the same
// start; both must read the same characters and stop at the same place.
// Returns what was read, or a description of the first disagreement.
std::string WalkBoth(TControlParser& Block, TControlParser& Steps) {
  std::string read;
  for (int guard = 0; guard < 100000; ++guard) {
    const char* data = nullptr;
    const int n = Block.Ahead(data);
    for (int i = 0; i < n; ++i) {
      if (i > 0 && !Steps.MoveNext()) return read + "|step " + std::to_string(i) + " of " + std::to_string(n) + " failed";
      if (Steps.GetChar() != data[i]) return read + "|block differs at " + std::to_string(i);
      read += data[i];
    }
    if (n > 1) Block.Skip(n - 1);
    if (n == 0) read += Block.GetChar();
    const bool a = Block.MoveNext(), b = Steps.MoveNext();
    if (a != b) return read + "|moves disagree";
    if (!a) return read;
    int ax = 0, ay = 0, bx = 0, by = 0;
    Block.GetPosition(ax, ay);
    Steps.GetPosition(bx, by);
    if (ax != bx || ay != by) return read + "|positions differ";
  }
  return read + "|no end";
}

}  // namespace

TEST(ParserBlock, VellumBlocksAgreeWithSingleSteps) {
  struct Case {
    const char* name;
    int endX, endY;  // end mark; endY < 0: none
  } cases[] = {
      {"whole text", 0, -1},
      {"end mark inside the first line", 3, 0},
      {"end mark at the first character", 0, 0},
      {"end mark in the second paragraph", 4, 1},
  };
  for (const auto& c : cases) {
    spellvltest::TSpellEditor w;
    TVLEditVLData& d = w.E.D();
    d.Clear();
    d.AddTextItem(spellvltest::U("one two"), 0, 0);
    d.AddTextItem(spellvltest::U("three four"), 0, 0);
    d.AddTextItem(spellvltest::U(" five"), 1, -1);  // another style, same line
    w.Format();
    TVellumParser block, steps;
    block.Initialize(w.E.Edit);
    steps.Initialize(w.E.Edit);
    for (TVellumParser* p : {&block, &steps}) {
      if (c.endY >= 0) p->SetPosition(c.endX, c.endY, ppEnd);
      p->SetPosition(0, 0, ppCurrent);
    }
    const std::string read = WalkBoth(block, steps);
    EXPECT_EQ(read.find('|'), std::string::npos) << c.name << ": " << read;
    if (c.endY < 0) {
      EXPECT_EQ(read, "one two\r\nthree four five\r\n") << c.name;
    }
  }
}
