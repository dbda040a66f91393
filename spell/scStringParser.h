#pragma once
// A parser over a string variable, edited in place; positions are
// (1-based character index, 0).
#include "spell/scParserBase.h"

class TStringParser : public TControlParser {
public:
  // Target: the address of an AnsiString.
  void Initialize(void* Target) override;
  char GetChar() override;
  void GetLine(AnsiString& Line) override;
  bool MoveNext() override;
  bool MovePrevious() override;
  void SetPosition(int X, int Y, TParserPosition Which) override;
  void GetPosition(int& X, int& Y) override;
  void SelectWord(int Length) override;
  void ReplaceWord(const AnsiString& Replacement, int State) override;
  void IgnoreWord(int State) override;
  void CenterSelection() override {}
  void GetCursorPosition(int& X, int& Y) override;
  void GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) override;
  void GetControlScreenRect(TRect& R) override { R = TRect(-1, -1, -1, -1); }
  void GetSelectionScreenRect(TRect& R) override { R = TRect(-1, -1, -1, -1); }
  void UndoLast(int UndoState, TSpellAction UndoAction, int& UndoData) override {}
  int Ahead(const char*& Data) override;
  void Skip(int N) override { FPosition += N; }

private:
  AnsiString* FText = nullptr;
  int FEndPosition = 0;
  bool FEndSet = false;
  int FPosition = 1;
  int FSelectedLength = 0;
};
