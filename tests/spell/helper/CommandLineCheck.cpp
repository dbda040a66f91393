// A check of a long text with the engine alone, the way a command-line
// program or a benchmark runs it: no GUI application exists. The first word
// holds the check for over a second, so the rest runs where a desktop
// program would show the busy cursor. Exits 0 when the whole text was read.
#include "spell/scSpellBase.h"

#include <chrono>
#include <cstdio>
#include <thread>

int main() {
  TSpellCheckerBase spell(nullptr);
  spell.ConfigStorage = csNone;
  spell.UIType = suiSilent;
  // The words are judged here: no dictionary folder (the program's own
  // folder among them) is looked in.
  spell.SetConfigDictionaryDir(TStringList());
  int words = 0;
  spell.OnWordCheck = [&words](TObject*, const AnsiString&, TWordCheckType& type, AnsiString&) {
    if (words++ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    type = wcAccepted;
  };
  const char* const kWords[] = {"caf\xE9 ", "alpha ", "beta ", "gamma "};
  AnsiString text;
  for (int i = 0; i < 1200; ++i) text += kWords[i % 4];
  spell.CheckString(text);
  std::printf("%d words checked\n", words);
  return words == 1200 && !spell.CheckRunning() ? 0 : 1;
}
