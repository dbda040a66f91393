#pragma once
// The interfaces through which the spell engine and the thesaurus see text:
// a cursor over a text container, ignore filters and the word splitter.
#include "platform/base/Types.h"
#include "platform/gui/GfxTypes.h"

#include <array>
#include <functional>

enum TParserPosition { ppCurrent, ppEnd };
enum TParseCheckType { ctSelection, ctFromCursor, ctWholeText };
enum TSpellAction { saIgnore, saIgnoreAll, saChange, saChangeAll, saAdd, saAutoCorrect };

// A cursor over one text container; positions (X, Y) belong to the parser.
class TControlParser : public TObject {
public:
  virtual void Initialize(void* Target) = 0;
  virtual char GetChar() = 0;  // #0 beyond the text
  virtual void GetLine(AnsiString& Line) = 0;
  virtual bool MoveNext() = 0;
  virtual bool MovePrevious() = 0;
  virtual void SetPosition(int X, int Y, TParserPosition Which) = 0;
  virtual void GetPosition(int& X, int& Y) = 0;
  virtual void SelectWord(int Length) = 0;
  virtual void ReplaceWord(const AnsiString& Replacement, int State) = 0;
  virtual void IgnoreWord(int State) = 0;
  virtual void CenterSelection() = 0;
  virtual void GetCursorPosition(int& X, int& Y) = 0;
  virtual void GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) = 0;
  virtual void GetControlScreenRect(TRect& R) = 0;
  virtual void GetSelectionScreenRect(TRect& R) = 0;
  virtual void UndoLast(int UndoState, TSpellAction UndoAction, int& UndoData) = 0;
  // Whether a replacement of the selected word would change the text; read-only
  // text is checked in report-only mode.
  virtual bool CanReplace() { return true; }
  // The characters from the current one on that MoveNext steps through with
  // success and GetChar then returns, as one block: Data[0] is the current
  // character. Lets a caller scan a run without two calls per character;
  // 0 where the parser has no such block at hand.
  virtual int Ahead(const char*& Data) { return 0; }
  // Moves N characters forward, N below what Ahead returned.
  virtual void Skip(int N) {}
};

class TControlParser2 : public TControlParser {
public:
  virtual TObject* GetControl() = 0;
};

class TParserIgnore : public TObject {
public:
  virtual bool HasParserIgnore() = 0;
  virtual bool HasLineIgnore() = 0;
  virtual bool IgnoreFromChar(char Ch, TControlParser* Parser) = 0;
  // Whether IgnoreFromChar can ever skip: the splitter calls no filter per
  // character while none can.
  virtual bool HasCharIgnore() { return HasParserIgnore(); }
  virtual bool IgnoreFromWord(const AnsiString& Word, TControlParser* Parser) = 0;
  // Whether IgnoreFromWord can skip a word after which the parser stands
  // on Next: the splitter asks the filters only after such characters.
  virtual bool IgnoresWordBefore(char Next) { return true; }
  virtual bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) = 0;
  virtual bool IgnoreLine(const AnsiString& Line) = 0;
};

using TCharFilterEvent = std::function<void(char Ch, TControlParser* Parser, bool& Skip)>;
using TWordFilterEvent =
    std::function<void(const AnsiString& Word, TControlParser* Parser, bool& Skip)>;

class TParsingEngine : public TObject {
public:
  virtual void Initialize(TControlParser* Parser, TParseCheckType CheckType) = 0;
  virtual void StartAt(int X, int Y) = 0;
  virtual void NextWord(AnsiString& Word) = 0;

  TCharFilterEvent OnCharFilter;
  TWordFilterEvent OnWordFilter;
  // The characters after a word for which OnWordFilter is called.
  std::array<bool, 256> WordFilterAfter = AllChars();

private:
  static std::array<bool, 256> AllChars() {
    std::array<bool, 256> a;
    a.fill(true);
    return a;
  }
};
