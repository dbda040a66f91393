#include "spell/scParseEngine.h"

#include "spell/scUtil.h"

#include <cstring>

AnsiString DefaultSpellCharacters() {
  AnsiString s;
  for (char c = '0'; c <= '9'; ++c) s += c;
  s += "&'";
  for (char c = 'a'; c <= 'z'; ++c) s += c;
  for (char c = 'A'; c <= 'Z'; ++c) s += c;
  for (int c = 0xC0; c <= 0xFF; ++c) s += static_cast<char>(c);
  // A letter the code page lacks is one letter of its word.
  s += kForeignLetter;
  s += "\x8A\x8C\x8D\x8E\x8F\x92\x9A\x9C\x9D\x9E\x9F\xA1\xA2\xA3\xA5\xA6\xA8\xAC\xAF\xB1\xB2\xB3"
       "\xB6\xB8\xB9\xBC\xBF";
  return s;
}

namespace {
// Short strings compared without a library call (once per word).
bool SameText(const AnsiString& A, const AnsiString& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (A[i] != B[i]) return false;
  return true;
}
}  // namespace

TMainParsingEngine::TMainParsingEngine() { SetCharacters(DefaultSpellCharacters()); }

void TMainParsingEngine::SetCharacters(const AnsiString& Chars) {
  FCharacters = Chars;
  Rebuild();
}

void TMainParsingEngine::SetNonContinuing(const AnsiString& Chars) {
  FNonContinuing = Chars;
  Rebuild();
}

void TMainParsingEngine::Rebuild() {
  FWordStart.fill(false);
  FWordChar.fill(false);
  FTrailing.fill(false);
  for (char c : FCharacters) {
    FWordStart[static_cast<Byte>(c)] = true;
    if (FNonContinuing.find(c) == AnsiString::npos) FWordChar[static_cast<Byte>(c)] = true;
  }
  for (char c : TrailingStrip) FTrailing[static_cast<Byte>(c)] = true;
  FLowerRuns = true;
  for (char c = 'a'; c <= 'z'; ++c) FLowerRuns = FLowerRuns && FWordChar[static_cast<Byte>(c)];
  FStarts = FWordStart;
  for (char c : LeadingExclusions) FStarts[static_cast<Byte>(c)] = false;
  FBuiltExclusions = LeadingExclusions;
}

void TMainParsingEngine::SetApostropheSplits(bool Value) {
  FApostropheSplits = Value;
  AnsiString nc = FNonContinuing;
  for (char a : {'\'', kTypographicApostrophe}) {
    if (Value) {
      nc += a;
    } else if (auto p = nc.find(a); p != AnsiString::npos) {
      nc.erase(p, 1);
    }
  }
  SetNonContinuing(nc);
}

void TMainParsingEngine::Initialize(TControlParser* Parser, TParseCheckType CheckType) {
  FParser = Parser;
  if (!FParser) return;
  int sx = 0, sy = 0, ex = 0, ey = 0;
  FParser->GetSelectionPosition(sx, sy, ex, ey);
  switch (CheckType) {
    case ctSelection:
      StartAt(sx, sy);
      FParser->SetPosition(ex, ey, ppEnd);
      break;
    case ctFromCursor: StartAt(sx, sy); break;
    case ctWholeText: FParser->SetPosition(0, 0, ppCurrent); break;
  }
}

void TMainParsingEngine::StartAt(int X, int Y) {
  if (!FParser) return;
  FParser->SetPosition(X, Y, ppCurrent);
  while (IsWordChar(FParser->GetChar()))
    if (!FParser->MovePrevious()) break;
}

void TMainParsingEngine::NextWord(AnsiString& Word) {
  Word.clear();
  if (!FParser) return;
  if (!SameText(LeadingExclusions, FBuiltExclusions)) Rebuild();
  for (;;) {
    Word.clear();
    // Find the start of a word. With no filter to ask, the gap before it is
    // skipped in one go, and the block the parser offered stays at hand:
    // the parser stands on Run[0], the word starts at Run[At].
    char ch = 0;
    const char* run = nullptr;
    int avail = 0, at = 0;
    for (;;) {
      if (!OnCharFilter) {
        avail = FParser->Ahead(run);
        at = 0;
        while (at + 1 < avail && !FStarts[static_cast<Byte>(run[at])]) ++at;
        if (avail > 0) {
          ch = run[at];
          if (FStarts[static_cast<Byte>(ch)]) break;
          if (at > 0) FParser->Skip(at);
          if (!FParser->MoveNext()) return;
          continue;
        }
      }
      avail = 0;
      ch = FParser->GetChar();
      if (OnCharFilter) {
        bool skip = false;
        OnCharFilter(ch, FParser, skip);
        if (skip) continue;  // the filter has moved the parser
      }
      if (FStarts[static_cast<Byte>(ch)]) break;
      if (!FParser->MoveNext()) return;
    }
    // With the block at hand the first character goes in with the rest.
    bool firstPending = avail > 0;
    if (!firstPending) Word = ch;
    bool innerPeriods = false;
    // The word's last character so far.
    char last = ch;
    for (;;) {
      // A run of plain word characters is taken from the parser's text in
      // one piece; what ends it goes the character-by-character way below.
      if (avail == 0) {
        avail = FParser->Ahead(run);
        at = 0;
      }
      int k = at + 1;
      if (FLowerRuns) {
        // Eight lower-case ASCII letters at a time; the first other
        // character goes to the table below.
        constexpr uint64_t kHigh = 0x8080808080808080ull;
        while (k + 8 <= avail) {
          uint64_t v;
          std::memcpy(&v, run + k, 8);
          const uint64_t letters = (v + 0x1F1F1F1F1F1F1F1Full) & ~(v + 0x0505050505050505ull) & ~v & kHigh;
          if (letters != kHigh) {
            k += static_cast<int>(__builtin_ctzll(~letters & kHigh) >> 3);
            break;
          }
          k += 8;
        }
      }
      while (k < avail && FWordChar[static_cast<Byte>(run[k])]) ++k;
      if (firstPending) {
        Word.assign(run + at, static_cast<size_t>(k - at));
        firstPending = false;
      } else if (k > at + 1) {
        Word.append(run + at + 1, static_cast<size_t>(k - at - 1));
      }
      if (k > at + 1) last = run[k - 1];
      if (k < avail) {
        // What ends the run lies in the same block: MoveNext would succeed.
        FParser->Skip(k);
        ch = run[k];
      } else {
        if (k > 1) FParser->Skip(k - 1);
        if (!FParser->MoveNext()) {
          // Cut by the end of the text or of the range.
          Word.clear();
          break;
        }
        ch = FParser->GetChar();
      }
      avail = 0;
      bool ends = !IsWordChar(ch);
      if (ends && ch == '.') {
        const bool more = FParser->MoveNext();
        const char after = more ? FParser->GetChar() : 0;
        if (more && IsWordChar(after)) ends = false;
        if (Word.find('.') != AnsiString::npos) {
          ends = false;
          innerPeriods = true;
        }
        FParser->MovePrevious();
      } else if (ends && ch == '-' && IsSpellLetter(Word.back())) {
        // A hyphen between letters joins one word ("co-founder"); the engine
        // accepts it when the whole or each part is a word.
        const bool more = FParser->MoveNext();
        const char after = more ? FParser->GetChar() : 0;
        if (more && IsWordChar(after) && IsSpellLetter(after)) ends = false;
        FParser->MovePrevious();
      } else if (ends && FApostropheSplits && IsApostrophe(ch)) {
        const AnsiString lower = SpellLower(Word);
        if (lower == "aujourd" || lower == "entr") ends = false;
      }
      if (ends) break;
      Word += ch;
      last = ch;
    }
    // The character the parser stands on after the word.
    char next = ch;
    if (!Word.empty() && FTrailing[static_cast<Byte>(last)]) {
      while (!Word.empty() && FTrailing[static_cast<Byte>(Word.back())]) {
        if (innerPeriods && Word.back() == '.') break;
        next = Word.back();
        Word.pop_back();
        FParser->MovePrevious();
      }
    }
    if (OnWordFilter && !Word.empty() && WordFilterAfter[static_cast<Byte>(next)]) {
      bool skip = false;
      OnWordFilter(Word, FParser, skip);
      if (skip) continue;
    }
    return;
  }
}
