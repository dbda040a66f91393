#include "actions/VLActionsFontDlg.h"

#include "actions/FontVLFrm.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/FontList.h"

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

TvlActionFonts::TvlActionFonts(TComponent* AOwner) : TvlActionTextStyles(AOwner) {
  MessageID = 155;
  Localize();
}

void TvlActionFonts::ConvertTextStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) {
  Style.AssignFromFont(Font);
}

void TvlActionFonts::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  if (!UserInterface) {
    ApplyTextStyleConversion(editor, 0);
    return;
  }
  TVLStyle* sheet = editor->GetStyle();
  if (!sheet) return;
  TFontInfo* current = sheet->TextStyles->Items(editor->GetCurTextStyleNo());
  current->AssignToFont(Font);
  std::unique_ptr<TFontDialog> dialog(new TFontDialog(Application));
  dialog->Font.Assign(&Font);
  if (dialog->Execute()) {
    Font.Assign(&dialog->Font);
    ApplyTextStyleConversion(editor, 0);
  }
}

// ---------------------------------------------------------------------------

TvlActionFontEx::TvlActionFontEx(TComponent* AOwner) : TvlActionFonts(AOwner) {}

void TvlActionFontEx::TakeStyle(const TFontInfo& S) {
  S.AssignToFont(Font);
  Font.SetCharset(S.Charset);
  StyleEx = S.StyleEx;
  VShift = S.VShift;
  CharScale = S.CharScale;
  CharSpacing = S.CharSpacing;
}

void TvlActionFontEx::ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) {
  Integer& last = *static_cast<Integer*>(Param);
  const Integer no = VLData->GetItemStyle(ItemNo);
  if (no < 0 || no == last) return;
  const TFontInfo& s = *Data->GetStyle()->TextStyles->Items(no);
  if (last == -1) {
    TakeStyle(s);
  } else {
    TVLFontProperties& v = ValidProperties;
    const TFontStyles fs = Font.GetStyle();
    if (AnsiCompareText(Font.GetName(), s.FontName) != 0) v.Exclude(vlfpName);
    if (Font.GetSize() != s.Size) v.Exclude(vlfpSize);
    if (Font.GetCharset() != s.Charset) v.Exclude(vlfpCharset);
    if (fs.Contains(fsBold) != s.Style.Contains(fsBold)) v.Exclude(vlfpBold);
    if (fs.Contains(fsItalic) != s.Style.Contains(fsItalic)) v.Exclude(vlfpItalic);
    if (fs.Contains(fsUnderline) != s.Style.Contains(fsUnderline)) v.Exclude(vlfpUnderline);
    if (fs.Contains(fsStrikeOut) != s.Style.Contains(fsStrikeOut)) v.Exclude(vlfpStrikeOut);
    if (StyleEx.Contains(vlfsOverline) != s.StyleEx.Contains(vlfsOverline)) v.Exclude(vlfpOverline);
    if (StyleEx.Contains(vlfsAllCaps) != s.StyleEx.Contains(vlfsAllCaps)) v.Exclude(vlfpAllCaps);
    if (VShift != s.VShift) v.Exclude(vlfpVShift);
    if (Font.GetColor() != s.Color) v.Exclude(vlfpColor);
    if (CharScale != s.CharScale) v.Exclude(vlfpCharScale);
    if (CharSpacing != s.CharSpacing) v.Exclude(vlfpCharSpacing);
  }
  last = no;
}

void TvlActionFontEx::GatherProperties(TVLActionEditor* Editor) {
  TVLActionEditor* inner = Editor->GetInnermostEditor();
  ValidProperties = AllFontProperties;
  Integer first = 0, lastItem = 0;
  GetSelectedItemRange(inner, first, lastItem);
  Integer last = -1;
  WalkItems(inner->GetVLData(), inner, first, lastItem, &last);
  // Pictures only: show the style new text would get, not what the last
  // run of some earlier selection left in the fields.
  if (last == -1 && inner->GetStyle()) {
    ValidProperties = AllFontProperties;
    TakeStyle(*inner->GetStyle()->TextStyles->Items(inner->GetCurTextStyleNo()));
  }
}

void TvlActionFontEx::FillDialog(TfrmVLFont& d) {
  const TFontStyles fs = Font.GetStyle();
  struct Box {
    TControl* control;
    TVLFontProperty property;
    bool value;
  };
  const Box boxes[] = {{d._cbB, vlfpBold, fs.Contains(fsBold)},
                       {d._cbI, vlfpItalic, fs.Contains(fsItalic)},
                       {d._cbU, vlfpUnderline, fs.Contains(fsUnderline)},
                       {d._cbS, vlfpStrikeOut, fs.Contains(fsStrikeOut)},
                       {d._cbO, vlfpOverline, StyleEx.Contains(vlfsOverline)},
                       {d._cbAC, vlfpAllCaps, StyleEx.Contains(vlfsAllCaps)}};
  for (const Box& b : boxes) {
    if (ValidProperties.Contains(b.property))
      d.SetCheckBoxChecked(b.control, b.value);
    else
      d.SetCheckBoxState(b.control, cbGrayed);
  }
  d.cmbFont->SetText(ValidProperties.Contains(vlfpName) ? Font.GetName() : String());
  if (ValidProperties.Contains(vlfpColor)) d.cmbColor->SetChosenColor(Font.GetColor());
  d.cmbFont->SetItemIndex(d.cmbFont->Items().IndexOf(d.cmbFont->GetText()));
  d.cmbFontClick(d.cmbFont);
  d.cmbSize->SetText(ValidProperties.Contains(vlfpSize) ? IntToStr(Font.GetSize()) : String());
  if (!ValidProperties.Contains(vlfpName) && ValidProperties.Contains(vlfpCharset)) {
    // No one font to list scripts for: the script the runs share is offered.
    std::vector<std::pair<TFontCharset, String>> scripts;
    const String script = CharsetScriptName(Font.GetCharset());
    if (!script.empty()) scripts.emplace_back(Font.GetCharset(), script);
    d.cmbCharset->Fill(scripts);
  }
  d.cmbCharset->SetItemIndex(ValidProperties.Contains(vlfpCharset) ? d.cmbCharset->IndexOfCharset(Font.GetCharset())
                                                                  : -1);
  if (ValidProperties.Contains(vlfpCharSpacing)) {
    d.rbCond->SetChecked(CharSpacing < 0);
    d.rbExp->SetChecked(CharSpacing > 0);
    d.seSpacing->SetValue(std::abs(CharSpacing));
  }
  if (ValidProperties.Contains(vlfpCharScale)) d.seCharScale->SetValue(CharScale);
  if (ValidProperties.Contains(vlfpVShift)) {
    d.rbDown->SetChecked(VShift < 0);
    d.rbUp->SetChecked(VShift > 0);
    d.seShift->SetValue(std::abs(VShift));
  }
}

namespace {
// Enter confirms without leaving a field: read the value as its range allows.
Integer Limited(const TVLSpinEdit& se) { return static_cast<Integer>(se.CheckValue(se.AsInteger())); }
}  // namespace

void TvlActionFontEx::ReadDialog(TfrmVLFont& d) {
  ValidProperties = TVLFontProperties();
  TFontStyles fs;
  TVLFontStyles ex;
  struct Box {
    TControl* control;
    TVLFontProperty property;
  };
  const Box boxes[] = {{d._cbB, vlfpBold},      {d._cbI, vlfpItalic},   {d._cbU, vlfpUnderline},
                       {d._cbS, vlfpStrikeOut}, {d._cbO, vlfpOverline}, {d._cbAC, vlfpAllCaps}};
  for (const Box& b : boxes) {
    const TCheckBoxState state = d.GetCheckBoxState(b.control);
    if (state == cbGrayed) continue;
    ValidProperties.Include(b.property);
    if (state != cbChecked) continue;
    switch (b.property) {
      case vlfpBold: fs.Include(fsBold); break;
      case vlfpItalic: fs.Include(fsItalic); break;
      case vlfpUnderline: fs.Include(fsUnderline); break;
      case vlfpStrikeOut: fs.Include(fsStrikeOut); break;
      case vlfpOverline: ex.Include(vlfsOverline); break;
      default: ex.Include(vlfsAllCaps); break;
    }
  }
  Font.SetStyle(fs);
  StyleEx = ex;
  const String name = Trim(d.cmbFont->GetText());
  if (!name.empty()) {
    ValidProperties.Include(vlfpName);
    Font.SetName(name);
  }
  // A size that is no number is left as each run has it, not made 10.
  Integer size = 0;
  if (d.GetSize(size)) {
    ValidProperties.Include(vlfpSize);
    Font.SetSize(size);
  }
  const int ci = d.cmbCharset->GetItemIndex();
  if (ci >= 0) {
    ValidProperties.Include(vlfpCharset);
    Font.SetCharset(d.cmbCharset->Charsets(ci));
  }
  if (!d.seSpacing->GetIndeterminate()) {
    ValidProperties.Include(vlfpCharSpacing);
    CharSpacing = d.rbCond->GetChecked() ? -Limited(*d.seSpacing) : Limited(*d.seSpacing);
  }
  if (!d.seCharScale->GetIndeterminate()) {
    ValidProperties.Include(vlfpCharScale);
    CharScale = Limited(*d.seCharScale);
  }
  if (!d.seShift->GetIndeterminate()) {
    ValidProperties.Include(vlfpVShift);
    VShift = d.rbUp->GetChecked() ? Limited(*d.seShift) : -Limited(*d.seShift);
  }
  if (!d.cmbColor->GetIndeterminate()) {
    ValidProperties.Include(vlfpColor);
    Font.SetColor(d.cmbColor->GetChosenColor());
  }
}

void TvlActionFontEx::ConvertTextStyle(TVLActionEditor*, TFontInfo& S, Integer, Integer) {
  const TVLFontProperties& v = ValidProperties;
  if (v.Contains(vlfpName)) S.FontName = Font.GetName();
  if (v.Contains(vlfpSize)) S.Size = Font.GetSize();
  if (v.Contains(vlfpCharset)) S.Charset = Font.GetCharset();
  if (v.Contains(vlfpColor)) S.Color = Font.GetColor();
  const TFontStyles fs = Font.GetStyle();
  auto bit = [&](TVLFontProperty p, TFontStyle f) {
    if (!v.Contains(p)) return;
    if (fs.Contains(f)) S.Style.Include(f);
    else S.Style.Exclude(f);
  };
  bit(vlfpBold, fsBold);
  bit(vlfpItalic, fsItalic);
  bit(vlfpUnderline, fsUnderline);
  bit(vlfpStrikeOut, fsStrikeOut);
  auto bitEx = [&](TVLFontProperty p, TVLFontStyle f) {
    if (!v.Contains(p)) return;
    if (StyleEx.Contains(f)) S.StyleEx.Include(f);
    else S.StyleEx.Exclude(f);
  };
  bitEx(vlfpOverline, vlfsOverline);
  bitEx(vlfpAllCaps, vlfsAllCaps);
  if (v.Contains(vlfpVShift)) S.VShift = VShift;
  if (v.Contains(vlfpCharScale)) S.CharScale = CharScale;
  if (v.Contains(vlfpCharSpacing)) S.CharSpacing = CharSpacing;
}

void TvlActionFontEx::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  if (!UserInterface) {
    ApplyTextStyleConversion(editor, 0);
    return;
  }
  GatherProperties(editor);
  std::unique_ptr<TfrmVLFont> d(CreateVLForm<TfrmVLFont>(Application));
  d->ColorDialog = GetSharedColorDialog();
  FillDialog(*d);
  String text = editor->GetSelText();
  const size_t cr = text.find_first_of("\r\n");
  if (cr != String::npos) text.erase(cr);
  d->SampleText = text;
  if (d->ShowModal() == mrOk) {
    ReadDialog(*d);
    ApplyTextStyleConversion(editor, 0);
  }
}
