#pragma once
// A parser over an edit control of the platform layer (a memo or a one-line
// edit), walked line by line; positions are (column, line). Each line is
// read with CR LF after it, so words never run across a line break.
#include "spell/scParserBase.h"

class TCustomEdit;
class TWinControl;

class TWinAPIControlParser : public TControlParser2 {
public:
  // Target: a TWinControl that is an edit control; anything else binds to
  // nothing (no text).
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
  // Brings the word's line to the middle of a memo's view.
  void CenterSelection() override;
  void GetCursorPosition(int& X, int& Y) override;
  void GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) override;
  void GetControlScreenRect(TRect& R) override;
  // The selected word's rectangle on the screen (the control's when it
  // shows nothing).
  void GetSelectionScreenRect(TRect& R) override;
  void UndoLast(int UndoState, TSpellAction UndoAction, int& UndoData) override {}
  TObject* GetControl() override;
  // The kinds of edit: a memo is walked by its lines, a one-line edit is
  // one line.
  enum TEditKind { ekNone, ekOneLine, ekMemo };
  TEditKind Kind() const { return FKind; }
  virtual bool LoadCurrentLine();

private:
  int LineCount() const;
  AnsiString LineText(int Y) const;  // one byte per UTF-16 unit
  int LineIndex(int Y) const;        // -1 beyond the last line
  void LineFromChar(int CharIndex, int& X, int& Y) const;

  TCustomEdit* FControl = nullptr;
  TEditKind FKind = ekNone;
  int FEndX = 0, FEndY = 0;
  bool FEndSet = false;
  int FX = 0, FY = 0;
  AnsiString FBuffer;
  int FLoadedLine = -1;
  int FLineLength = 0;
  int FLineCount = 0;
  bool FReload = true;
  int FSelStart = 0, FSelLength = 0;
};
