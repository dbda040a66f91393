#include "actions/SymbolVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/FontList.h"

#include <algorithm>

namespace {

constexpr Integer FirstCode = 32;
constexpr Integer Columns = 28;
constexpr Integer CharsetRows = 8;
// Enough rows for every UTF-16 unit from the space on; the last row's
// cells past U+FFFF stay empty.
constexpr Integer UnicodeRows = 2340;

// What one cell shows: the byte in the character set's code page (the view
// draws 8-bit text the same way), or the UTF-16 unit itself.
WideString CellText(Integer Code, TFontCharset Charset, bool Unicode) {
  if (Unicode) return WideString(1, static_cast<char16_t>(Code));
  return AnsiToWide(AnsiString(1, static_cast<char>(Code)), CharsetToCodePage(Charset));
}

}  // namespace

TZoomPanel::TZoomPanel(TComponent* AOwner) : TPanel(AOwner) {
  ShowCaption = false;
  SetBevelOuter(bvNone);
}

void TZoomPanel::Paint() {
  TCanvas& c = *Canvas();
  const TRect r = GetClientRect();
  c.Brush.Style = bsSolid;
  c.Brush.Color = clHighlight;
  c.FillRect(r);
  c.Font.SetName(FontName);
  c.Font.SetCharset(Charset);
  c.Font.SetStyle({});
  c.Font.SetHeight(std::max(1, GetHeight() - 10));
  c.Font.SetColor(clHighlightText);
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  c.Pen.Color = clActiveBorder;
  c.Rectangle(r);
  c.Brush.Style = bsClear;
  const WideString text = Charset == DEFAULT_CHARSET ? WideChar : AnsiToWide(Char, CharsetToCodePage(Charset));
  if (!text.empty()) {
    const TSize size = c.TextExtentW(text);
    c.TextOutW(r.Left + (r.Width() - size.cx) / 2, r.Top + (r.Height() - size.cy) / 2, text);
    // A wide glyph widens the panel rather than being cut.
    if (size.cx > BaseWidth && GetWidth() != size.cx) SetWidth(size.cx);
  }
  c.Brush.Style = bsSolid;
}

// ---------------------------------------------------------------------------

TfrmVLInsertSymbol::TfrmVLInsertSymbol(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLInsertSymbol");
  SetBorderStyle(bsSizeable);
  SetBounds(0, 0, 703, 336);
  SetClientWidth(703);
  SetClientHeight(336);
  // The window's 560 x 363, less the title bar and borders.
  SetMinimumSize(552, 336);
  Position = poScreenCenter;
  // The grid's help topic; controls here have none of their own.
  HelpContext = 109;
  lblFont = PutControl<TLabel>(this, this, "lblFont", 8, 14, 84, 16);
  cmbFont = PutControl<TVLFontDropDownComboBox>(this, this, "cmbFont", 96, 10, 240, 24);
  cmbFont->SetDropDownCount(20);
  lblCharset = PutControl<TLabel>(this, this, "lblCharset", 346, 14, 140, 16);
  lblCharset->SetAlignment(taRightJustify);
  cmbCharset = PutControl<TVLFontCharsetComboBox>(this, this, "cmbCharset", 495, 10, 200, 24);
  cmbCharset->SetDropDownCount(20);
  cmbCharset->SetAddDefaultCharset(true);
  cmbCharset->DefaultCharsetCaption = "Unicode";
  lblFont->SetFocusControl(cmbFont);
  lblCharset->SetFocusControl(cmbCharset);
  dg = PutControl<TVLGrid>(this, this, "dg", 8, 43, 687, 246);
  dg->SetColCount(Columns);
  dg->SetRowCount(CharsetRows);
  dg->SetRowsVisible(CharsetRows);
  dg->SetGridLineWidth(1);
  dg->SetDefaultColWidth(32);
  dg->SetDefaultRowHeight(20);
  dg->SetBoundsType(bbtByGridBounds);
  // Sized by the cells until now.
  dg->SetBounds(8, 43, 687, 246);
  Label1 = PutControl<TLabel>(this, this, "Label1", 8, 305, 360, 16);
  btnOk = PutControl<TButton>(this, this, "btnOk", 537, 301, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 620, 301, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  cmbFont->OnClick = cmbFont->OnSelect = [this](TObject* s) { cmbFontClick(s); };
  cmbCharset->OnClick = cmbCharset->OnSelect = [this](TObject* s) { cmbCharsetClick(s); };
  dg->OnDrawCell = [this](TObject* s, Integer c, Integer r, const TRect& rect, bool sel) {
    dgDrawCell(s, c, r, rect, sel);
  };
  dg->OnSelectCell = [this](TObject* s) { dgSelectCell(s); };
  dg->OnTopLeftChanged = [this](TObject* s) { dgTopLeftChanged(s); };
  dg->OnEnter = [this](TObject* s) { dgEnter(s); };
  FPlacedWidth = ClientWidth();
  FPlacedHeight = ClientHeight();
}

void TfrmVLInsertSymbol::DoCreate() {
  FOkButton = btnOk;
  FCharsetLabel = lblCharset;
  TfrmVLBase::DoCreate();
  if (FZoom) return;
  FZoom = new TZoomPanel(this);
  FZoom->SetName("ZoomPanel");
  FZoom->SetParent(this);
  FZoom->Hide();
  FZoom->SetMouseTransparent(true);
  SetActiveControl(btnOk);
  Init(0xB7, "Symbol", SYMBOL_CHARSET);
}

void TfrmVLInsertSymbol::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(345));
  btnOk->SetText(LanguageText(198));
  btnCancel->SetText(LanguageText(196));
  lblFont->SetText(LanguageText(346));
  lblCharset->SetText(LanguageText(347));
  cmbCharset->DefaultCharsetCaption = LanguageText(348);
}

void TfrmVLInsertSymbol::Init(Word Code, const String& FontName, TFontCharset Charset) {
  // A font that is not installed: the one drawn in its place.
  if (!cmbFont->SelectFont(FontName)) cmbFont->SelectFont(InstalledFontFamily(FontName));
  cmbFontClick(cmbFont);
  // A character set the font lacks: Unicode, not the first set listed.
  int index = cmbCharset->IndexOfCharset(Charset);
  if (index < 0) index = cmbCharset->IndexOfCharset(DEFAULT_CHARSET);
  if (index >= 0) cmbCharset->SetItemIndex(index);
  cmbCharsetClick(cmbCharset);
  // The control characters have no cell: they open on the space.
  const Integer code = Code < FirstCode ? FirstCode : Code;
  dg->SelectCell((code - FirstCode) % Columns, (code - FirstCode) / Columns);
}

void TfrmVLInsertSymbol::Restrict(bool OfferUnicode, bool ShowCharset) {
  if (!ShowCharset) {
    const int index = cmbCharset->IndexOfCharset(DEFAULT_CHARSET);
    if (index >= 0) cmbCharset->SetItemIndex(index);
    cmbCharset->Hide();
    FCharsetLabel->Hide();
  }
  if (!OfferUnicode) {
    // Rebuilding raises the list's click, which leaves Unicode mode.
    cmbCharset->SetAddDefaultCharset(false);
  }
  cmbCharsetClick(cmbCharset);
}

void TfrmVLInsertSymbol::GetResult(Word& Code, String& FontName, TFontCharset& Charset) const {
  Code = static_cast<Word>(CellCode(std::max(dg->Col(), 0), std::max(dg->Row(), 0)));
  FontName = FFontName;
  Charset = FCharset;
}

Integer TfrmVLInsertSymbol::CellCode(Integer ACol, Integer ARow) const {
  return dg->GetColCount() * ARow + FirstCode + ACol;
}

bool TfrmVLInsertSymbol::CodeInsertable(Integer Code) const {
  if (!UnicodeMode()) return Code >= FirstCode && Code <= 0xFF;
  // A lone surrogate half or a non-character is not text: writers and
  // conversions to UTF-8 fail on it.
  if (Code >= 0xD800 && Code <= 0xDFFF) return false;
  return Code >= FirstCode && Code < 0xFFFE;
}

Integer TfrmVLInsertSymbol::CellFontSize() const {
  return MulDiv(std::min(dg->GetWidth(), 2 * dg->GetHeight()), 10, 320);
}

void TfrmVLInsertSymbol::cmbFontClick(TObject*) {
  if (cmbFont->GetItemIndex() < 0) return;
  dg->Invalidate();
  FFontName = cmbFont->Items().Get(cmbFont->GetItemIndex());
  if (FZoom) {
    FZoom->FontName = FFontName;
    FZoom->Invalidate();
  }
  // Rebuilds the list for the font and clicks it: cmbCharsetClick follows.
  cmbCharset->SetFontName(FFontName);
}

void TfrmVLInsertSymbol::cmbCharsetClick(TObject*) {
  const int index = cmbCharset->GetItemIndex();
  if (index >= 0) FCharset = cmbCharset->Charsets(index);
  if (FZoom) FZoom->Charset = FCharset;
  dg->SetRowCount(UnicodeMode() ? UnicodeRows : CharsetRows);
  dgSelectCell(dg);
}

void TfrmVLInsertSymbol::dgDrawCell(TObject*, Integer ACol, Integer ARow, const TRect& ARect, bool Selected) {
  TCanvas& c = *dg->Canvas();
  c.FillRect(ARect);
  c.Font.SetName(FFontName);
  c.Font.SetCharset(FCharset);
  c.Font.SetStyle({});
  c.Font.SetSize(CellFontSize());
  const Integer code = CellCode(ACol, ARow);
  // Cells that stand for no character stay blank.
  if (!CodeInsertable(code)) return;
  const WideString text = CellText(code, FCharset, UnicodeMode());
  // A character the font lacks shows in another face, greyed, so that the
  // grid tells what the chosen font has.
  if (!Selected && UnicodeMode() && !FontHasCharacter(FFontName, static_cast<char16_t>(code)))
    c.Font.SetColor(clGrayText);
  const TSize size = c.TextExtentW(text);
  c.Brush.Style = bsClear;
  c.TextOutW(ARect.Left + (ARect.Width() - size.cx) / 2, ARect.Top + (ARect.Height() - size.cy) / 2, text);
  c.Brush.Style = bsSolid;
}

void TfrmVLInsertSymbol::dgSelectCell(TObject*) {
  const Integer code = CellCode(std::max(dg->Col(), 0), std::max(dg->Row(), 0));
  const bool insertable = CodeInsertable(code);
  FOkButton->SetEnabled(insertable);
  if (!insertable) Label1->SetText(LanguageText(351));
  else if (UnicodeMode()) Label1->SetText(FormatLanguageText(350, {code}));
  else Label1->SetText(FormatLanguageText(349, {code}));
  if (!FZoom) return;
  FZoom->Char.clear();
  FZoom->WideChar.clear();
  if (insertable) {
    if (UnicodeMode()) FZoom->WideChar = WideString(1, static_cast<char16_t>(code));
    else FZoom->Char = AnsiString(1, static_cast<char>(code));
  }
  TRect cell;
  dg->GetCellRect(std::max(dg->Col(), 0), std::max(dg->Row(), 0), cell);
  const TPoint topLeft = ScreenToClient(dg->ClientToScreen(TPoint(cell.Left - 10, cell.Top - 10)));
  const Integer width = cell.Width() + 20, height = cell.Height() + 20;
  FZoom->BaseWidth = width;
  FZoom->SetBounds(topLeft.X, topLeft.Y, width, height);
  FZoom->BringToFront();
  FZoom->Invalidate();
}

void TfrmVLInsertSymbol::dgTopLeftChanged(TObject* Sender) { dgSelectCell(Sender); }

void TfrmVLInsertSymbol::dgEnter(TObject*) {
  if (FZoom) FZoom->Show();
}

void TfrmVLInsertSymbol::Resize() {
  TfrmVLBase::Resize();
  LayOut();
}

// The grid grows with the dialog; the code line and the buttons keep to the
// bottom, the character-set choice to the far side of the top line.
void TfrmVLInsertSymbol::LayOut() {
  if (!btnCancel || !dg) return;
  const Integer dw = ClientWidth() - FPlacedWidth, dh = ClientHeight() - FPlacedHeight;
  if (dw == 0 && dh == 0) return;
  FPlacedWidth = ClientWidth();
  FPlacedHeight = ClientHeight();
  const bool rtl = BiDiMode == bdRightToLeft;
  auto move = [](TControl* c, Integer dx, Integer dy) { c->SetBounds(c->GetLeft() + dx, c->GetTop() + dy, c->GetWidth(), c->GetHeight()); };
  dg->SetBounds(dg->GetLeft(), dg->GetTop(), dg->GetWidth() + dw, dg->GetHeight() + dh);
  move(Label1, rtl ? dw : 0, dh);
  move(btnOk, rtl ? 0 : dw, dh);
  move(btnCancel, rtl ? 0 : dw, dh);
  move(lblCharset, rtl ? 0 : dw, 0);
  move(cmbCharset, rtl ? 0 : dw, 0);
  move(lblFont, rtl ? dw : 0, 0);
  move(cmbFont, rtl ? dw : 0, 0);
  dgSelectCell(dg);
}
