#include "actions/VLActions.h"

#include "actions/ColorVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GfxColors.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLFormattedData.h"
#include "richtext/view/Vellum.h"

#include <algorithm>
#include <memory>

bool ActionsEnabled = true;
String DialogFontName = "MS Sans Serif";
bool UseXPThemesInDialogs = true;
bool DeleteUnusedStylesOnNewOpen = true;
bool LocalizedVLFNames = true;
TPenStyle TableGridPenStyle = psDot;
Integer DefaultDocumentMargin = 5;
TColor DefaultDocumentColor = clWindow;
bool ColorNameInHint = true;
String VLFFormatName = "Vellum Format";
String VLFDefaultExt = "vlf";
String DefaultDocumentFileName = "Untitled.vlf";
String VLFFilterText = "Vellum Files (*.vlf)|*.vlf";

namespace {
// Sub-document positions and the state of a cell inside a cell selection.
constexpr Integer kFirstSelectedCell = 3;
constexpr Integer kNextCell = 4;
constexpr Cardinal kWhollySelected = 0x40;

// Holds the weak settings references and clears them on destruction.
class TSettingsLinks : public TComponent {
public:
  TSettingsLinks() : TComponent(nullptr) {}
  void Set(TComponent*& slot, TComponent* value) {
    if (slot == value) return;
    if (slot) slot->RemoveFreeNotification(this);
    slot = value;
    if (slot) slot->FreeNotification(this);
  }
  TComponent* DefaultControl = nullptr;
  TComponent* ColorDialog = nullptr;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == DefaultControl) DefaultControl = nullptr;
    if (AComponent == ColorDialog) ColorDialog = nullptr;
  }
};

TSettingsLinks& Links() {
  static TSettingsLinks links;
  return links;
}

TVLAEvents gActionEvents;
}  // namespace

TVLAEvents* ActionEvents = &gActionEvents;

TWinControl* GetDefaultActionControl() { return static_cast<TWinControl*>(Links().DefaultControl); }
void SetDefaultActionControl(TWinControl* control) { Links().Set(Links().DefaultControl, control); }
TColorDialog* GetSharedColorDialog() { return static_cast<TColorDialog*>(Links().ColorDialog); }
void SetSharedColorDialog(TColorDialog* dialog) { Links().Set(Links().ColorDialog, dialog); }

void FireStyleAdded(TObject* Sender, TCustomVLInfo* Style) {
  if (ActionEvents && ActionEvents->OnStyleAdded) ActionEvents->OnStyleAdded(Sender, Style);
}

void FireMarginsChanged(TObject* Sender, TVLActionEditor* Editor) {
  if (ActionEvents && ActionEvents->OnMarginsChanged) ActionEvents->OnMarginsChanged(Sender, Editor);
}

// ---------------------------------------------------------------------------

TvlCustomAction::TvlCustomAction(TComponent* AOwner) : TAction(AOwner) {}

void TvlCustomAction::Localize() {
  if (MessageID == 0) return;
  SetCaption(LanguageText(MessageID));
  SetHint(LanguageText(static_cast<Word>(MessageID + 1)));
}

TvlAction::TvlAction(TComponent* AOwner) : TvlCustomAction(AOwner) {}

TvlAction::~TvlAction() { SetControl(nullptr); }

void TvlAction::SetControl(TWinControl* value) {
  if (value == FControl) return;
  if (FControl) FControl->RemoveFreeNotification(this);
  FControl = value;
  if (FControl) FControl->FreeNotification(this);
}

void TvlAction::Notification(TComponent* AComponent, TOperation Operation) {
  TvlCustomAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl) FControl = nullptr;
}

TObject* TvlAction::Candidate(TObject* Target) const {
  if (FControl) return FControl;
  if (TWinControl* d = GetDefaultActionControl()) return d;
  return Target;
}

TObject* TvlAction::FindTarget() {
  // A bound action works on its editor wherever the focus is.
  if (FControl) return FControl;
  if (TWinControl* d = GetDefaultActionControl()) return d;
  return TvlCustomAction::FindTarget();
}

TVLActionEditor* TvlAction::GetControl(TObject* Target) {
  TObject* candidate = Candidate(Target);
  if (!candidate) return nullptr;
  TVLActionEditor* editor = EditorOfControl(candidate);
  if (!editor) throw EInvalidCast("Invalid class typecast");
  while (TVLActionEditor* parent = editor->GetCellEditorParent()) editor = parent;
  return editor;
}

TVLActionEditor* TvlAction::GetCaretEditor(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  return editor ? editor->GetInnermostEditor() : nullptr;
}

bool TvlAction::HandlesTarget(TObject* Target) { return EditorOfControl(Candidate(Target)) != nullptr; }

void TvlAction::UpdateEnabledFor(TObject* Target, const std::function<bool(TVLActionEditor*)>& Test) {
  if (!StandardEnabled()) {
    SetEnabled(false);
    return;
  }
  try {
    SetEnabled(Test(GetControl(Target)));
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlAction::UpdateTarget(TObject*) { SetEnabled(StandardEnabled()); }

TVLActionEditor* TvlAction::TargetEditor() {
  TObject* target = FindTarget();
  if (auto* c = dynamic_cast<TControl*>(target)) {
    while (c && !HandlesTarget(c)) c = c->GetParent();
    target = c;
  }
  if (!target || !HandlesTarget(target)) return nullptr;
  try {
    return GetControl(target);
  } catch (...) {
    return nullptr;
  }
}

bool TvlAction::Update() {
  const bool handled = TvlCustomAction::Update();
  if (ChangesDocument && GetEnabled())
    if (TVLActionEditor* E = TargetEditor(); E && E->IsReadOnly()) SetEnabled(false);
  return handled;
}

bool TvlAction::Execute() {
  if (TvlCustomAction::Execute()) return true;
  if (ChangesDocument && !GetEnabled() && StandardEnabled()) RefusedAsReadOnly(TargetEditor(), ChangesInPlace);
  return false;
}

bool TellReadOnlyKey(TActionList* List, TShortCut Key) {
  if (!List || Key == scNone) return false;
  for (int i = 0; i < List->ActionCount(); ++i) {
    auto* a = dynamic_cast<TvlAction*>(List->Actions(i));
    if (!a || !a->ChangesDocument) continue;
    const auto& more = a->GetSecondaryShortCuts();
    if (a->GetShortCut() != Key && std::find(more.begin(), more.end(), Key) == more.end()) continue;
    a->Update();
    // An enabled command took its key already.
    return !a->GetEnabled() && !a->Execute();
  }
  return false;
}

void TellReadOnly(bool inPlace) {
  MessageBox(inPlace ? "This entry is read-only: nothing in it can be changed."
                     : "This entry is read-only: nothing can be inserted into it.",
             LanguageText(213), MB_OK | MB_ICONINFORMATION);
}

bool RefusedAsReadOnly(TVLActionEditor* E, bool inPlace) {
  if (!E || !E->IsReadOnly()) return false;
  TellReadOnly(inPlace);
  return true;
}

void TvlAction::ProcessItem(TCustomVLData*, Integer, TVLActionEditor*, void*) {}

bool TvlAction::CanContinue(void*) { return true; }

void TvlAction::WalkItems(TCustomVLData* VLData, TVLActionEditor* Data, Integer FirstItemNo, Integer LastItemNo,
                          void* Param) {
  if (!VLData) return;
  // A table with selected cells owns the selection: its cells replace the range.
  auto* formatted = dynamic_cast<TCustomVLFormattedData*>(VLData);
  if (TCustomVLItemInfo* owner = formatted ? formatted->ActiveItem : nullptr) {
    // A table's selected cells are whole cells: each one's items, row by
    // row, a merged cell once.
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(owner); table && table->CellsSelected()) {
      for (Integer r = 0; r < table->RowCount(); ++r)
        for (Integer c = 0; c < table->Rows.GetRow(r)->Count(); ++c) {
          TVLTableCellData* cell = table->GetCell(r, c);
          if (!cell || !table->IsCellSelected(r, c)) continue;
          WalkItems(cell, Data, 0, cell->GetItemCount() - 1, Param);
          if (!CanContinue(Param)) return;
        }
      return;
    }
    std::unique_ptr<TVLStoreSubVLData> store;
    TCustomVLData* cell = owner->GetSubVLData(store, kFirstSelectedCell);
    for (; cell; cell = owner->GetSubVLData(store, kNextCell)) {
      if (!(cell->GetState() & kWhollySelected)) continue;
      WalkItems(cell, Data, 0, cell->GetItemCount() - 1, Param);
      if (!CanContinue(Param)) break;
    }
    return;
  }
  for (Integer i = FirstItemNo; i <= LastItemNo; ++i) {
    if (!CanContinue(Param)) return;
    ProcessItem(VLData, i, Data, Param);
  }
}

// ---------------------------------------------------------------------------

String ColorToDisplayString(TColor Color) {
  if (Color == clNone) return LanguageText(230);
  if (Color == clWindow || Color == clBtnFace || Color == clWindowText) return LanguageText(231);
  for (int i = 0; i < PALETTE_COLOR_COUNT; ++i)
    if (PaletteColors[i].Color == Color) return LanguageText(static_cast<Word>(232 + i));
  TColor rgb = ColorToRGB(Color);
  return "RGB(" + std::to_string(rgb & 0xFF) + "," + std::to_string((rgb >> 8) & 0xFF) + "," +
         std::to_string((rgb >> 16) & 0xFF) + ")";
}

bool AskInteger(const String& Caption, const String& Prompt, Integer& Value) {
  std::unique_ptr<TfrmInteger> dialog(CreateVLForm<TfrmInteger>(Application));
  dialog->SetFormCaption(Caption);
  dialog->SetControlText(dialog->_lbl, Prompt);
  dialog->SetValue(Value);
  if (dialog->ShowModal() != mrOk) return false;
  Value = dialog->GetValue();
  return true;
}

void SetStyleConversionHandler(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler) {
  for (TVLActionEditor* e = Editor; e; e = e->GetInplaceEditor()) e->SetOnStyleConversion(Handler);
}

void SetParaStyleConversionHandler(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler) {
  for (TVLActionEditor* e = Editor; e; e = e->GetInplaceEditor()) e->SetOnParaStyleConversion(Handler);
}

void GetSelectedItemRange(TVLActionEditor* Editor, Integer& FirstItemNo, Integer& LastItemNo) {
  Integer startNo = 0, startOffs = 0, endNo = 0, endOffs = 0;
  Editor->GetSelectionBounds(startNo, startOffs, endNo, endOffs);
  FirstItemNo = startNo;
  LastItemNo = endNo;
  if (startNo == endNo && startOffs == endOffs) return;
  if (startOffs >= Editor->GetItemEndOffset(startNo)) ++FirstItemNo;
  if (endOffs <= Editor->GetItemStartOffset(endNo)) --LastItemNo;
}

TCustomVLItemInfo* GetSingleSelectedItem(TVLActionEditor* Editor) {
  if (!Editor) return nullptr;
  Integer first = 0, last = 0;
  GetSelectedItemRange(Editor, first, last);
  TCustomVLData* data = Editor->GetVLData();
  if (first != last || !data || first < 0 || first >= data->GetItemCount()) return nullptr;
  return data->GetItem(first);
}

void InvalidateVellums(TWinControl* Control) {
  if (!Control) return;
  for (int i = 0; i < Control->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(Control->Controls(i))) InvalidateVellums(child);
  if (auto* view = dynamic_cast<TCustomVellum*>(Control)) view->Invalidate();
}

void InvalidateAllVellums() {
  if (!Screen) return;
  for (int i = 0; i < Screen->FormCount(); ++i) InvalidateVellums(Screen->Forms(i));
}

void DrawBorderLineSample(TCanvas& Canvas, const TRect& Rect, Integer Width, TColor Color, bool Selected) {
  Canvas.SelectClipRect(&Rect);
  Canvas.Brush.Style = bsSolid;
  Canvas.Brush.Color = clWindow;
  Canvas.FillRect(Rect);
  Canvas.Pen.Style = psSolid;
  Canvas.Pen.Color = Color;
  Canvas.Pen.Width = Width + 1;
  const Integer m = (Rect.Top + Rect.Bottom) / 2;
  Canvas.MoveTo(Rect.Left - 3, m);
  Canvas.LineTo(Rect.Right + 3, m);
  if (Selected) {
    Canvas.Pen.Style = psInsideFrame;
    Canvas.Pen.Color = clHighlight;
    Canvas.Pen.Width = 2;
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(Rect);
  }
  Canvas.SelectClipRect(nullptr);
}

void DrawBorderBoxSample(TCanvas& Canvas, const TRect& Rect, Integer Width, TColor TopLeftColor,
                         TColor BottomRightColor, bool Selected) {
  Canvas.Brush.Style = bsSolid;
  Canvas.Brush.Color = clWindow;
  Canvas.FillRect(Rect);
  if (Selected) {
    Canvas.Pen.Style = psInsideFrame;
    Canvas.Pen.Color = clHighlight;
    Canvas.Pen.Width = 2;
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(Rect);
  }
  TRect r(Rect.Left + 4, Rect.Top + 4, Rect.Right - 4, Rect.Bottom - 4);
  Canvas.Pen.Style = psSolid;
  Canvas.Pen.Width = 1;
  for (Integer i = 0; Width >= 0 && i <= Width; ++i) {
    Canvas.Pen.Color = TopLeftColor;
    Canvas.MoveTo(r.Left, r.Bottom - 1);
    Canvas.LineTo(r.Left, r.Top);
    Canvas.LineTo(r.Right - 1, r.Top);
    Canvas.Pen.Color = BottomRightColor;
    Canvas.LineTo(r.Right - 1, r.Bottom - 1);
    Canvas.LineTo(r.Left, r.Bottom - 1);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
}
