#include "actions/BaseVLFrm.h"

#include "actions/ColorVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLColorCombo.h"
#include "actions/VLColorGrid.h"
#include "actions/VLOfficeRadioBtn.h"
#include "actions/VLSpinEdit.h"
#include "platform/base/CodePages.h"
#include "platform/base/Strings.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/SysLocale.h"
#include "platform/gui/ThemeDraw.h"
#include "platform/os/SysPaths.h"

#include <algorithm>

bool (*VLAMiddleEastLocale)() = &SysLocaleMiddleEast;

namespace {

template <typename T>
T& Cast(TControl* Control) {
  auto* c = dynamic_cast<T*>(Control);
  if (!c) throw EInvalidCast("Invalid class typecast");
  return *c;
}

bool FontInstalled(const String& name) {
  if (name.empty() || !Screen) return false;
  TStrings& fonts = Screen->Fonts();
  for (int i = 0; i < fonts.Count(); ++i)
    if (SameText(fonts.Get(i), name)) return true;
  return false;
}

// The controls whose children the dialog lays out; other controls with
// children (spin edits, radio groups) place their parts for the reading
// order themselves.
bool HoldsLaidOutChildren(TControl* c) {
  return dynamic_cast<TGroupBox*>(c) || dynamic_cast<TTabSheet*>(c) || dynamic_cast<TPageControl*>(c) ||
         dynamic_cast<TPanel*>(c) || dynamic_cast<TScrollBox*>(c);
}

// The line a container's children mirror about, as the sum of the client
// area's left and right.
Integer MirrorAxis(TWinControl* parent) {
  const TRect r = parent->GetClientRect();
  return r.Left + r.Right;
}

// A page takes its size from its page control only when first shown, so
// pages mirror about the span their dialog laid out on all of them (pages
// are the same size and keep like margins).
Integer PagesMirrorAxis(TPageControl* pages) {
  Integer left = 0, right = 0;
  bool any = false;
  for (int p = 0; p < pages->PageCount(); ++p) {
    TTabSheet* sheet = pages->Pages(p);
    for (int i = 0; i < sheet->ControlCount(); ++i) {
      TControl* c = sheet->Controls(i);
      left = any ? std::min(left, c->GetLeft()) : c->GetLeft();
      right = any ? std::max(right, c->GetLeft() + c->GetWidth()) : c->GetLeft() + c->GetWidth();
      any = true;
    }
  }
  return any ? left + right : pages->ClientWidth();
}

// Mirrors the children of a container (and of the containers in it) about
// the axis.
void FlipChildren(TWinControl* parent, Integer axis) {
  if (auto* pages = dynamic_cast<TPageControl*>(parent)) {
    // Pages fill their control wherever they are put.
    const Integer pageAxis = PagesMirrorAxis(pages);
    for (int p = 0; p < pages->PageCount(); ++p) FlipChildren(pages->Pages(p), pageAxis);
    return;
  }
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    c->SetLeft(axis - c->GetLeft() - c->GetWidth());
    if (HoldsLaidOutChildren(c)) {
      auto* inner = static_cast<TWinControl*>(c);
      FlipChildren(inner, MirrorAxis(inner));
    }
  }
}

TAlignment Mirrored(TAlignment a) {
  if (a == taLeftJustify) return taRightJustify;
  if (a == taRightJustify) return taLeftJustify;
  return a;
}

}  // namespace

TfrmVLBase::TfrmVLBase(TComponent* AOwner) : TForm(AOwner) {
  SetText("frmVLBase");
  SetColor(clBtnFace);
  SetBorderStyle(bsDialog);
  Font.SetName("MS Sans Serif");
  Font.SetHeight(-11);
  Font.SetCharset(DEFAULT_CHARSET);
  Font.SetColor(clWindowText);
}

void TfrmVLBase::DoCreate() {
  if (!FCreated) {
    FCreated = true;
    FormCreate(this);
  }
  TForm::DoCreate();
}

void TfrmVLBase::FormCreate(TObject*) {
  const Byte charset = GetLanguageCharset();
  Font.SetCharset(charset);
  if (FontInstalled(DialogFontName)) Font.SetName(DialogFontName);
  ApplyXPThemes(UseXPThemesInDialogs);
  if (charset == HEBREW_CHARSET || charset == ARABIC_CHARSET) {
    BiDiMode = bdRightToLeft;
    // Spin edits follow the form's reading order, as children do.
    for (int i = 0; i < ComponentCount(); ++i)
      if (auto* spin = dynamic_cast<TVLSpinEdit*>(Components(i))) spin->SetBiDiMode(BiDiMode);
      else if (auto* group = dynamic_cast<TVLOfficeRadioGroup*>(Components(i))) group->SetBiDiMode(BiDiMode);
    FlipChildren(this, MirrorAxis(this));
    RecordRightEdges();
    if (!VLAMiddleEastLocale || !VLAMiddleEastLocale()) {
      for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (auto* label = dynamic_cast<TLabel*>(c))
          label->SetAlignment(Mirrored(label->GetAlignment()));
        else if (auto* check = dynamic_cast<TCheckBox*>(c))
          check->SetAlignment(Mirrored(check->GetAlignment()));
        else if (auto* radio = dynamic_cast<TRadioButton*>(c))
          radio->SetAlignment(Mirrored(radio->GetAlignment()));
      }
    }
  }
  Localize();
  KeepRightEdges();
  const String help = GetLanguageHelpFile();
  if (!help.empty()) {
    String folder = GetProgramFolder();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    HelpFile = folder + help;
    AddHelpButton();
    if (BiDiMode == bdRightToLeft) RecordRightEdges();
  }
}

void TfrmVLBase::RecordRightEdges() {
  FRightEdges.clear();
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(Components(i)); c && c->GetParent())
      FRightEdges[c] = c->GetLeft() + c->GetWidth();
  FPlacedWidth = ClientWidth();
}

void TfrmVLBase::KeepRightEdges() {
  if (BiDiMode != bdRightToLeft) return;
  const Integer growth = ClientWidth() - FPlacedWidth;
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* c = dynamic_cast<TControl*>(Components(i));
    auto edge = FRightEdges.find(c);
    if (edge == FRightEdges.end() || !c->GetParent()) continue;
    const Integer right = edge->second + (c->GetParent() == this ? growth : 0);
    if (c->GetLeft() + c->GetWidth() != right) c->SetLeft(right - c->GetWidth());
  }
  RecordRightEdges();
}

void TfrmVLBase::DoShow() {
  KeepRightEdges();
  TForm::DoShow();
}

void TfrmVLBase::ApplyXPThemes(bool Value) {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* combo = dynamic_cast<TVLColorCombo*>(Components(i))) combo->SetUseXPThemes(Value);
    else if (auto* button = dynamic_cast<TVLOfficeRadioButton*>(Components(i))) button->SetUseXPThemes(Value);
    else if (auto* group = dynamic_cast<TVLOfficeRadioGroup*>(Components(i))) group->SetUseXPThemes(Value);
    else if (auto* grid = dynamic_cast<TVLColorGrid*>(Components(i))) grid->SetFlat(Value && ThemesActive());
}

void TfrmVLBase::Localize() { LocalizeColorNames(); }

void TfrmVLBase::LocalizeColorNames() {
  bool hasColorControl = false;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* combo = dynamic_cast<TVLColorCombo*>(Components(i))) {
      combo->TransparentCaption = LanguageText(230);
      combo->AutoCaption = LanguageText(231);
      hasColorControl = true;
    } else if (dynamic_cast<TVLColorGrid*>(Components(i))) {
      hasColorControl = true;
    }
  if (hasColorControl) LocalizePaletteNames();
}

TButton* TfrmVLBase::FindButtonByModalResult(TModalResult ModalResult) {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(Components(i)); b && b->ModalResult == ModalResult) return b;
  return nullptr;
}

TButton* TfrmVLBase::GetOkButton() { return FindButtonByModalResult(mrOk); }
TButton* TfrmVLBase::GetCancelButton() { return FindButtonByModalResult(mrCancel); }

void TfrmVLBase::AddHelpButton() {
  TButton* ok = GetOkButton();
  if (!ok) return;
  TButton* cancel = GetCancelButton();
  if (!cancel) return;
  auto* help = new TButton(this);
  help->SetName("btnHelp");
  help->SetText(LanguageText(202));
  help->SetBounds(cancel->GetLeft(), cancel->GetTop(), cancel->GetWidth(), cancel->GetHeight());
  cancel->SetBounds(ok->GetLeft(), ok->GetTop(), ok->GetWidth(), ok->GetHeight());
  ok->SetBounds(cancel->GetLeft() - (help->GetLeft() - cancel->GetLeft()),
                cancel->GetTop() - (help->GetTop() - cancel->GetTop()), ok->GetWidth(), ok->GetHeight());
  help->SetParent(this);
  help->SetTabOrder(cancel->GetTabOrder() + 1);
  help->OnClick = [this](TObject* Sender) { HelpButtonClick(Sender); };
}

void TfrmVLBase::HelpButtonClick(TObject*) {
  if (Application) Application->HelpContext(HelpContext);
}

bool TfrmVLBase::GetRadioButtonChecked(TControl* Control) { return Cast<TRadioButton>(Control).GetChecked(); }
void TfrmVLBase::SetRadioButtonChecked(TControl* Control, bool Value) { Cast<TRadioButton>(Control).SetChecked(Value); }
bool TfrmVLBase::GetCheckBoxChecked(TControl* Control) { return Cast<TCheckBox>(Control).GetChecked(); }
void TfrmVLBase::SetCheckBoxChecked(TControl* Control, bool Value) { Cast<TCheckBox>(Control).SetChecked(Value); }
TCheckBoxState TfrmVLBase::GetCheckBoxState(TControl* Control) { return Cast<TCheckBox>(Control).GetState(); }
void TfrmVLBase::SetCheckBoxState(TControl* Control, TCheckBoxState Value) { Cast<TCheckBox>(Control).SetState(Value); }
TStrings& TfrmVLBase::GetComboBoxItems(TControl* Control) { return Cast<TComboBox>(Control).Items(); }
int TfrmVLBase::GetComboBoxItemIndex(TControl* Control) { return Cast<TComboBox>(Control).GetItemIndex(); }
void TfrmVLBase::SetComboBoxItemIndex(TControl* Control, int Value) { Cast<TComboBox>(Control).SetItemIndex(Value); }
int TfrmVLBase::GetActivePageIndex(TControl* Control) { return Cast<TPageControl>(Control).GetActivePageIndex(); }
TTabSheet* TfrmVLBase::GetActivePage(TControl* Control) { return Cast<TPageControl>(Control).GetActivePage(); }
void TfrmVLBase::SetActivePage(TControl* Control, TTabSheet* Page) { Cast<TPageControl>(Control).SetActivePage(Page); }
void TfrmVLBase::HideTabSheet(TControl* Control) { Cast<TTabSheet>(Control).SetTabVisible(false); }
bool TfrmVLBase::IsTabSheetVisible(TControl* Control) { return Cast<TTabSheet>(Control).GetTabVisible(); }
void TfrmVLBase::SetFormCaption(const String& Text) { SetText(Text); }
void TfrmVLBase::SetControlText(TControl* Control, const String& Text) { Control->SetText(Text); }
String TfrmVLBase::GetControlText(TControl* Control) { return Control->GetText(); }
TFont& TfrmVLBase::GetControlFont(TControl* Control) { return Control->Font; }
int TfrmVLBase::GetEditSelStart(TControl* Control) { return Cast<TCustomEdit>(Control).GetSelStart(); }
void TfrmVLBase::SetEditSelStart(TControl* Control, int Value) { Cast<TCustomEdit>(Control).SetSelStart(Value); }
void TfrmVLBase::SetEditSelLength(TControl* Control, int Value) { Cast<TCustomEdit>(Control).SetSelLength(Value); }

void TfrmVLBase::SetEditSelText(TControl* Control, const String& Text) {
  auto& edit = Cast<TCustomEdit>(Control);
  // Positions count UTF-16 units, as the edit's own do.
  WideString all = Utf8ToWide(edit.GetText());
  size_t start = std::min(all.size(), static_cast<size_t>(std::max(0, edit.GetSelStart())));
  size_t len = std::min(all.size() - start, static_cast<size_t>(std::max(0, edit.GetSelLength())));
  WideString inserted = Utf8ToWide(Text);
  all.replace(start, len, inserted);
  edit.SetText(WideToUtf8(all));
  edit.SetSelStart(static_cast<int>(start + inserted.size()));
  edit.SetSelLength(0);
}
