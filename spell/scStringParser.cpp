#include "spell/scStringParser.h"

#include <algorithm>

void TStringParser::Initialize(void* Target) {
  FText = static_cast<AnsiString*>(Target);
  FEndPosition = 0;
  FEndSet = false;
  FPosition = 1;
  FSelectedLength = 0;
}

char TStringParser::GetChar() {
  if (!FText || FPosition < 1 || FPosition > static_cast<int>(FText->size())) return 0;
  return (*FText)[static_cast<size_t>(FPosition - 1)];
}

void TStringParser::GetLine(AnsiString& Line) { Line = FText ? *FText : AnsiString(); }

bool TStringParser::MoveNext() {
  const bool ok = FText && FPosition <= static_cast<int>(FText->size());
  ++FPosition;
  if (ok && FEndSet && FPosition > FEndPosition) return false;
  return ok;
}

int TStringParser::Ahead(const char*& Data) {
  if (!FText || FPosition < 1 || FPosition > static_cast<int>(FText->size())) return 0;
  int last = static_cast<int>(FText->size());
  if (FEndSet) last = std::min(last, FEndPosition);
  Data = FText->data() + (FPosition - 1);
  return std::max(last - FPosition + 1, 1);
}

bool TStringParser::MovePrevious() {
  if (FPosition >= 2) {
    --FPosition;
    return true;
  }
  return false;
}

void TStringParser::SetPosition(int X, int Y, TParserPosition Which) {
  if (Which == ppCurrent) {
    FPosition = std::max(X, 1);
  } else {
    FEndSet = true;
    FEndPosition = X;
  }
}

void TStringParser::GetPosition(int& X, int& Y) {
  X = FPosition;
  Y = 0;
}

void TStringParser::SelectWord(int Length) {
  FSelectedLength = Length;
  FPosition -= Length;
}

void TStringParser::ReplaceWord(const AnsiString& Replacement, int State) {
  if (!FText) return;
  if (FEndSet) FEndPosition += static_cast<int>(Replacement.size()) - FSelectedLength;
  const size_t at = static_cast<size_t>(std::max(FPosition - 1, 0));
  if (at <= FText->size()) {
    FText->erase(at, static_cast<size_t>(std::max(FSelectedLength, 0)));
    FText->insert(at, Replacement);
  }
  FPosition += static_cast<int>(Replacement.size());
}

void TStringParser::IgnoreWord(int State) { FPosition += FSelectedLength; }

void TStringParser::GetCursorPosition(int& X, int& Y) {
  X = FPosition;
  Y = 0;
}

void TStringParser::GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) {
  XStart = XEnd = FPosition;
  YStart = YEnd = 0;
}
