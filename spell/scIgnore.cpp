#include "spell/scIgnore.h"

#include "spell/scUtil.h"

namespace {
// Matches Text character by character from the parser's position; on a
// mismatch the parser goes back to where the match began. On success it
// stands on the last matched character.
bool MatchText(TControlParser* P, const char* Text) {
  int moved = 0;
  for (const char* t = Text; *t; ++t) {
    if (t != Text) {
      if (!P->MoveNext()) {
        ++moved;
        break;
      }
      ++moved;
    }
    if (P->GetChar() != *t) {
      for (int i = 0; i < moved; ++i) P->MovePrevious();
      return false;
    }
  }
  return true;
}

// "www." in any case, as SpellLower would see it.
bool StartsWithWww(const AnsiString& Word) {
  return Word.size() >= 4 && SpellLowerChar(Word[0]) == 'w' && SpellLowerChar(Word[1]) == 'w' &&
         SpellLowerChar(Word[2]) == 'w' && Word[3] == '.';
}
}  // namespace

bool THTMLIgnore::IgnoreFromChar(char Ch, TControlParser* Parser) {
  if (Ch != '<') return false;
  if (!Parser->MoveNext()) return true;
  const bool comment = MatchText(Parser, "!--");
  const char first = Parser->GetChar();
  const bool server = !comment && (first == '%' || first == '?');
  char previous = 0;
  for (;;) {
    const char ch = Parser->GetChar();
    if (ch == 0) break;
    if (comment) {
      if (MatchText(Parser, "-->")) break;
    } else if (ch == '>' && (!server || previous == first)) {
      break;
    }
    previous = Parser->GetChar();
    if (!Parser->MoveNext()) break;
  }
  return true;
}

bool THTMLIgnore::IgnoreWord(const AnsiString& Word, TControlParser* Parser) {
  return !Word.empty() && Word[0] == '&';
}

bool TURLIgnore::IgnoreFromWord(const AnsiString& Word, TControlParser* Parser) {
  // Only the characters that can follow a scheme, a user or a host make
  // the word worth lowering; this runs for every word of a check.
  const char ch = Parser->GetChar();
  bool address = false;
  if (ch == ':') {
    const AnsiString lower = SpellLower(Word);
    for (const char* scheme :
         {"http", "ftp", "news", "mailto", "nntp", "file", "https", "telnet", "wais"})
      if (lower == scheme) address = true;
  } else if (ch == '@') {
    address = true;
  } else if ((ch == '\\' || ch == '/') && StartsWithWww(Word)) {
    address = true;
  }
  if (!address) return false;
  static const AnsiString delimiters = "\r\n\t \"()[]{},<>'";
  for (;;) {
    const char c = Parser->GetChar();
    if (c == 0 || delimiters.find(c) != AnsiString::npos) break;
    if (!Parser->MoveNext()) break;
  }
  return true;
}

bool TURLIgnore::IgnoreWord(const AnsiString& Word, TControlParser* Parser) {
  return StartsWithWww(Word);
}

bool TQuotedLineIgnore::IgnoreWord(const AnsiString& Word, TControlParser* Parser) {
  if (!Parser) return false;
  AnsiString line;
  Parser->GetLine(line);
  return IgnoreLine(line);
}

bool TQuotedLineIgnore::IgnoreLine(const AnsiString& Line) {
  return !Line.empty() && FQuoteChars.find(Line[0]) != AnsiString::npos;
}

bool TUppercaseWordIgnore::IgnoreWord(const AnsiString& Word, TControlParser* Parser) {
  return IsAllUpper(Word);
}

bool TNumbersIgnore::IgnoreWord(const AnsiString& Word, TControlParser* Parser) {
  for (char c : Word)
    if (c >= '0' && c <= '9') return true;
  return false;
}

bool TAbbreviationsIgnore::IgnoreWord(const AnsiString& Word, TControlParser* Parser) {
  if (Word.find('.') == AnsiString::npos) return false;
  AnsiString s = Word;
  while (s.size() >= 3 && s[1] == '.') s.erase(0, 2);
  return s.size() < 3;
}
