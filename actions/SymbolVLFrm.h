#pragma once
// The Insert Symbol dialog: a grid of the characters of one font, either the
// 224 codes of one character set or the UTF-16 range ("Unicode" mode), with
// a magnified copy of the selected cell floating over the grid and a line
// naming the selected code.
#include "actions/BaseVLFrm.h"
#include "actions/VLFontCombos.h"
#include "actions/VLGrids.h"
#include "platform/gui/ExtCtrls.h"

// The magnified cell. Mouse input passes through it to the grid below.
class TZoomPanel : public TPanel {
public:
  explicit TZoomPanel(TComponent* AOwner);
  // The width it keeps unless the character is wider.
  Integer BaseWidth = 0;
  String FontName;
  TFontCharset Charset = 0;
  // One byte in Charset's code page, or one UTF-16 unit in Unicode mode.
  AnsiString Char;
  WideString WideChar;

protected:
  void Paint() override;
};

class TfrmVLInsertSymbol : public TfrmVLBase {
public:
  explicit TfrmVLInsertSymbol(TComponent* AOwner);
  void DoCreate() override;
  void Localize() override;
  TButton* GetOkButton() override { return btnOk; }

  // Selects Font (the first listed font when it is not), Charset when the
  // font offers it, and the cell of Code (0 stands for the space).
  void Init(Word Code, const String& FontName, TFontCharset Charset);
  // OfferUnicode off takes the "Unicode" entry away; ShowCharset off hides
  // the character-set choice and keeps to Unicode mode when offered.
  void Restrict(bool OfferUnicode, bool ShowCharset);
  // The selected cell's code, the font and the character set (1: Unicode).
  void GetResult(Word& Code, String& FontName, TFontCharset& Charset) const;

  bool UnicodeMode() const { return FCharset == DEFAULT_CHARSET; }
  // The code a cell stands for.
  Integer CellCode(Integer ACol, Integer ARow) const;
  // Whether a code can be inserted in the current mode: in Unicode mode no
  // surrogate half, no non-character U+FFFE/U+FFFF and nothing past U+FFFF.
  bool CodeInsertable(Integer Code) const;
  // The point size the cells are drawn in, following the grid's size.
  Integer CellFontSize() const;
  TZoomPanel* ZoomPanel() const { return FZoom; }

  TButton *btnOk = nullptr, *btnCancel = nullptr;
  TLabel *lblCharset = nullptr, *lblFont = nullptr, *Label1 = nullptr;
  TVLFontDropDownComboBox* cmbFont = nullptr;
  TVLFontCharsetComboBox* cmbCharset = nullptr;
  TVLGrid* dg = nullptr;

  void cmbFontClick(TObject* Sender);
  void cmbCharsetClick(TObject* Sender);
  void dgDrawCell(TObject* Sender, Integer ACol, Integer ARow, const TRect& ARect, bool Selected);
  void dgSelectCell(TObject* Sender);
  void dgTopLeftChanged(TObject* Sender);
  void dgEnter(TObject* Sender);

protected:
  void Resize() override;

private:
  void LayOut();
  String FFontName;
  TFontCharset FCharset = SYMBOL_CHARSET;
  TZoomPanel* FZoom = nullptr;
  TButton* FOkButton = nullptr;
  TLabel* FCharsetLabel = nullptr;
  // The client size the controls were last placed for.
  Integer FPlacedWidth = 0, FPlacedHeight = 0;
};
