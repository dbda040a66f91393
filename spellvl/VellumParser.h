#pragma once
// The spell checker's and the thesaurus's view of a rich-text editor: the
// document, table cells included, offered as lines of 8-bit text, and the
// selection and replacement of words in the editor.
//
// A line is one run of text items side by side in one paragraph line (a
// word whose letters carry two text styles stays one word), followed by
// CR LF. Y is the serial position of the run's first item, X a character
// index in the line. Unicode text becomes exactly one byte per UTF-16 unit,
// so indexes in the line are indexes in the item.
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"
#include "spell/scParserBase.h"
#include "spellvl/VLSerializer.h"

#include <memory>
#include <vector>

class TCustomVellumEdit;
class TVLTableItemInfo;
QY_DECLARE_EXCEPTION(EInvalidCast, Exception);
class TCustomVLData;
using TVLCodePage = Cardinal;

class TVellumParser : public TControlParser2 {
public:
  TVellumParser();
  ~TVellumParser() override;

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
  // Brings the selected word into the window: a word in a nested table
  // too, whose cell editors grow with their cells and scroll nothing.
  void CenterSelection() override;
  void GetCursorPosition(int& X, int& Y) override;
  void GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) override;
  void GetControlScreenRect(TRect& R) override;
  void GetSelectionScreenRect(TRect& R) override;
  void UndoLast(int UndoState, TSpellAction UndoAction, int& UndoData) override {}
  int Ahead(const char*& Data) override;
  void Skip(int N) override { CharIndex += N; }
  bool CanReplace() override;
  TObject* GetControl() override;
  virtual bool LoadCurrentText();
  void Reset();
  // The editor went away or its document was replaced: the parser offers
  // nothing more and touches nothing.
  void Detach();

  TVLCodePage CodePage = 0;
  TCustomVellumEdit* Edit = nullptr;
  int CharIndex = 0;
  int EndPos = 0, EndOffset = 0;
  bool EndSet = false;
  AnsiString Text;
  int CachedPos = -1;
  int TextLen = 0;
  bool NeedReload = true;
  std::unique_ptr<TVLSerializer> Serializer;
  bool UseCaretFirst = false;
  // Set by ReplaceWord: whether the editor took the replacement.
  bool LastReplaced = false;

private:
  // The loaded line holds the current character and nothing has moved the
  // walk since: no reload is due.
  bool LineReady() const {
    return !NeedReload && CachedPos >= 0 && CharIndex >= 0 && CharIndex < TextLen && Serializer &&
           !Serializer->AtEnd;
  }
  struct TPiece {
    int ItemNo;
    int Start;   // in Text
    int Length;  // characters (UTF-16 units of a Unicode item)
  };
  bool Checkable(TCustomVLData* data, int itemNo) const;
  bool RunStart(TCustomVLData* data, int itemNo) const;
  void SkipForward();
  void SkipBackward();
  // Moves from the run's first item to the item after its last one.
  bool StepOverRun();
  void LoadRun();
  // Brings the serializer from an item inside a run to the run's first
  // item, adding the skipped lengths to X.
  void ToRunStart(int& X);
  // Appends the text of one item, one byte per character, to Out; returns
  // its length.
  int AppendItemLine(TCustomVLData* data, int itemNo, AnsiString& Out) const;
  int ItemChars(TCustomVLData* data, int itemNo) const;
  // Piece index and offset in it of line index I; AtEnd chooses the
  // earlier piece at a boundary.
  void Locate(int I, bool AtEnd, int& Piece, int& Offs) const;
  bool InCell() const;
  // The tables and cell entries that hold the current item, outermost
  // first; false when a table of them takes no cell editor.
  struct TCellLevel {
    TVLTableItemInfo* Table;
    const TVLSerEntry* Entry;
  };
  bool CellLevels(std::vector<TCellLevel>& Levels) const;
  // Opens the cell editors down to the cell of the current item (closing
  // any other one): the editor whose document holds the item, or nullptr.
  TCustomVellumEdit* OpenItemEditor();

  std::vector<TPiece> FPieces;
  TCustomVLData* FRunData = nullptr;
  // Length of the word SelectWord selected last.
  int FSelLength = 0;
};
