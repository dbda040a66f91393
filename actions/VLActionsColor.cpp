#include "actions/VLActionsColor.h"

#include "actions/ColorVLFrm.h"
#include "actions/FillColorVLFrm.h"
#include "actions/VLActionsPara.h"
#include "actions/VLActionsTable.h"
#include "actions/VLALocalize.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "richtext/table/VLTable.h"

#include <memory>

void ConvertTextStyleThrough(TObject* Action, TVLActionEditor* Sender, Integer StyleNo, bool AppliedToText,
                             Integer& NewStyleNo,
                             const std::function<void(TVLActionEditor*, TFontInfo&, Integer)>& Step) {
  TVLStyle* sheet = Sender->GetStyle();
  if (!sheet) return;
  TFontInfos& styles = *sheet->TextStyles;
  TFontInfo* s = styles.Items(StyleNo);
  if (s->Protection.Contains(vlprStyleProtect)) return;
  if (!AppliedToText && s->Protection.Contains(vlprDoNotAutoSwitch)) return;
  auto copy = std::make_unique<TFontInfo>(nullptr);
  copy->Assign(s);
  Step(Sender, *copy, StyleNo);
  NewStyleNo = styles.FindSuchStyle(StyleNo, *copy, vlfiAll);
  if (NewStyleNo < 0) {
    TFontInfo* added = styles.Add();
    NewStyleNo = styles.Count() - 1;
    added->Assign(copy.get());
    added->Standard = false;
    FireStyleAdded(Action, added);
  }
}

void WithStyleConversion(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler,
                         const std::function<void()>& Run) {
  TVLActionStyleConversionEvent saved = Editor->GetOnStyleConversion();
  SetStyleConversionHandler(Editor, Handler);
  try {
    Run();
  } catch (...) {
    SetStyleConversionHandler(Editor, saved);
    throw;
  }
  SetStyleConversionHandler(Editor, saved);
}

void TvlActionTextStyles::ApplyTextStyleConversion(TVLActionEditor* Editor, Integer UserData) {
  if (!Editor) return;
  auto handler = [this](TVLActionEditor* Sender, Integer StyleNo, Integer Data, bool AppliedToText,
                        Integer& NewStyleNo) {
    ConvertTextStyleThrough(this, Sender, StyleNo, AppliedToText, NewStyleNo,
                            [this, Data](TVLActionEditor* e, TFontInfo& copy, Integer no) {
                              ConvertTextStyle(e, copy, no, Data);
                            });
  };
  WithStyleConversion(Editor, handler, [Editor, UserData] { Editor->ApplyStyleConversion(UserData); });
}

void TvlActionTextStyles::ExecuteTarget(TObject* Target) { ApplyTextStyleConversion(GetControl(Target), 0); }

// ---------------------------------------------------------------------------

TvlActionCustomColor::TvlActionCustomColor(TComponent* AOwner) : TvlAction(AOwner) { SetColor(clNone); }

TvlActionCustomColor::~TvlActionCustomColor() {
  // A pop-up that outlives the action no longer reports to it.
  if (FPopup) {
    FPopup->OnDestroy = nullptr;
    FPopup->RemoveFreeNotification(this);
  }
  SetPopupEditor(nullptr);
  SetCallerControl(nullptr);
}

void TvlActionCustomColor::SetColor(TColor value) {
  FColor = value;
  // Only the hint names the colour: the caption stays the one the window
  // gave, with its access key.
  if (ColorNameInHint) LocalizeHint();
}

void TvlActionCustomColor::Localize() {
  if (MessageID == 0) return;
  SetCaption(LanguageText(MessageID));
  LocalizeHint();
}

void TvlActionCustomColor::LocalizeHint() {
  if (MessageID == 0) return;
  const String hint = LanguageText(static_cast<Word>(MessageID + 1));
  if (ColorNameInHint && UserInterface == vlacNone)
    SetHint(GetShortHint(hint) + " (" + ColorToDisplayString(FColor) + ")|" + GetLongHint(hint));
  else
    SetHint(hint);
}

void TvlActionCustomColor::SetCallerControl(TControl* value) {
  if (value == FCallerControl) return;
  if (FCallerControl) FCallerControl->RemoveFreeNotification(this);
  FCallerControl = value;
  if (FCallerControl) FCallerControl->FreeNotification(this);
}

void TvlActionCustomColor::SetPopupEditor(TWinControl* control) {
  if (control == FPopupEditor) return;
  if (FPopupEditor) FPopupEditor->RemoveFreeNotification(this);
  FPopupEditor = control;
  if (FPopupEditor) FPopupEditor->FreeNotification(this);
}

void TvlActionCustomColor::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupEditor) FPopupEditor = nullptr;
  if (AComponent == FCallerControl) FCallerControl = nullptr;
  if (AComponent == FPopup) FPopup = nullptr;
}

void TvlActionCustomColor::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (FPopup) {
    FPopup->Close();
    return;
  }
  if (!editor) return;
  switch (UserInterface) {
    case vlacNone:
      ApplyColor(editor, 0);
      break;
    case vlacColorDialog: {
      const TColor current = GetCurrentColor(editor);
      std::unique_ptr<TColorDialog> own;
      TColorDialog* dialog = GetSharedColorDialog();
      if (!dialog) {
        own = std::make_unique<TColorDialog>(nullptr);
        dialog = own.get();
      }
      dialog->Color = current == clNone ? TColor(0x0000FFFF) : current;
      if (OnShowColorPicker) OnShowColorPicker(this);
      bool ok = dialog->Execute();
      if (ok) {
        SetColor(dialog->Color);
        ApplyColor(editor, 0);
      }
      if (OnHideColorPicker) OnHideColorPicker(this);
      break;
    }
    case vlacAdvanced: {
      SetPopupEditor(editor->EditorControl());
      const TColor current = GetCurrentColor(editor);
      auto* popup = new TfrmColor(editor->EditorControl()->Owner());
      popup->DoCreate();
      FPopup = popup;
      popup->FreeNotification(this);
      popup->OnDestroy = [this](TObject* Sender) { PopupClosed(Sender); };
      popup->Init(DefaultColor, GetSharedColorDialog(), current);
      if (OnShowColorPicker) OnShowColorPicker(this);
      if (auto* caller = dynamic_cast<TControl*>(ActionComponent)) {
        TPoint tl = caller->ClientToScreen(TPoint(0, 0));
        TPoint br = caller->ClientToScreen(TPoint(caller->GetWidth(), caller->GetHeight()));
        popup->PopupAtRect(TRect(tl.X, tl.Y, br.X, br.Y));
      } else {
        popup->PopupAtCursor();
      }
      break;
    }
  }
}

void TvlActionCustomColor::PopupClosed(TObject* Sender) {
  auto* popup = static_cast<TfrmColor*>(static_cast<TComponent*>(Sender));
  if (popup->Chosen) {
    SetColor(popup->SelectedColor);
    if (TVLActionEditor* editor = EditorOfControl(FPopupEditor)) ApplyColor(editor, 0);
  }
  FPopup = nullptr;
  if (OnHideColorPicker) OnHideColorPicker(this);
}

// ---------------------------------------------------------------------------

void TvlActionFontCustomColor::ApplyColor(TVLActionEditor* Editor, Integer UserData) {
  if (!Editor) return;
  auto handler = [this](TVLActionEditor* Sender, Integer StyleNo, Integer Data, bool AppliedToText,
                        Integer& NewStyleNo) {
    ConvertTextStyleThrough(this, Sender, StyleNo, AppliedToText, NewStyleNo,
                            [this, Data](TVLActionEditor* e, TFontInfo& copy, Integer no) {
                              ApplyColorToStyle(e, copy, no, Data);
                            });
  };
  WithStyleConversion(Editor, handler, [Editor, UserData] { Editor->ApplyStyleConversion(UserData); });
}

namespace {
TFontInfo* CurrentTextStyle(TVLActionEditor* Editor) {
  TVLStyle* sheet = Editor->GetStyle();
  return sheet ? sheet->TextStyles->Items(Editor->GetCurTextStyleNo()) : nullptr;
}
}  // namespace

TvlActionFontColor::TvlActionFontColor(TComponent* AOwner) : TvlActionFontCustomColor(AOwner) {
  MessageID = 177;
  DefaultColor = clWindowText;
  SetColor(clWindowText);
  Localize();
}

TColor TvlActionFontColor::GetCurrentColor(TVLActionEditor* Editor) {
  TFontInfo* s = CurrentTextStyle(Editor);
  return s ? s->Color : clNone;
}

void TvlActionFontColor::ApplyColorToStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) {
  Style.Color = GetColor();
}

TvlActionFontBackColor::TvlActionFontBackColor(TComponent* AOwner) : TvlActionFontCustomColor(AOwner) {
  MessageID = 179;
  Localize();
}

TColor TvlActionFontBackColor::GetCurrentColor(TVLActionEditor* Editor) {
  TFontInfo* s = CurrentTextStyle(Editor);
  return s ? s->BackColor : clNone;
}

void TvlActionFontBackColor::ApplyColorToStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) {
  if (Style.Jump && Style.BackColor == Style.HoverBackColor) Style.HoverBackColor = GetColor();
  Style.BackColor = GetColor();
}

// ---------------------------------------------------------------------------

TvlActionFillColor::TvlActionFillColor(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 67;
  Localize();
}

void TvlActionFillColor::ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void*) {
  TVLStyle* sheet = Data->GetStyle();
  const Integer styleNo = VLData->GetItemStyle(ItemNo);
  if (styleNo >= 0) {
    const TColor back = sheet->TextStyles->Items(styleNo)->BackColor;
    if (!TextColorFound) {
      TextColor = back;
      TextColorFound = true;
    } else if (back != TextColor) {
      TextColorMixed = true;
    }
  }
  const Integer paraNo = VLData->GetItemPara(ItemNo);
  if (paraNo < 0) return;
  const TVLBackgroundRect& background = sheet->ParaStyles->Items(paraNo)->Background;
  if (!ParaColorFound) {
    ParaColor = background.Color;
    Padding.Assign(&background.BorderOffsets);
    PaddingSides.SetValues(true, true, true, true);
    ParaColorFound = true;
    return;
  }
  if (background.Color != ParaColor) ParaColorMixed = true;
  // Every side is compared whatever the colours: padding the paragraphs do
  // not share stays undecided, so that OK does not write one paragraph's
  // padding over the others'.
  const TVLRect& pad = background.BorderOffsets;
  if (pad.Left != Padding.Left) PaddingSides.Left = false;
  if (pad.Top != Padding.Top) PaddingSides.Top = false;
  if (pad.Right != Padding.Right) PaddingSides.Right = false;
  if (pad.Bottom != Padding.Bottom) PaddingSides.Bottom = false;
}

void TvlActionFillColor::GatherColors(TVLActionEditor* Editor) {
  TextColorFound = ParaColorFound = TextColorMixed = ParaColorMixed = false;
  TextColor = ParaColor = clNone;
  Padding.SetAll(0);
  PaddingSides.SetValues(false, false, false, false);
  TVLActionEditor* inner = Editor->GetInnermostEditor();
  if (!inner->GetStyle()) return;
  Integer first = 0, last = 0;
  GetSelectedItemRange(inner, first, last);
  WalkItems(inner->GetVLData(), inner, first, last, nullptr);
}

void TvlActionFillColor::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  GatherColors(E);
  std::unique_ptr<TfrmVLFillColor> d(CreateVLForm<TfrmVLFillColor>(Application));
  d->ColorDialog = GetSharedColorDialog();
  auto show = [&d](TColor color) {
    d->ColorIndeterminate = false;
    d->SetFillColor(color);
  };
  const bool text = AllowApplyingTo.Contains(vlafcaApplyText);
  const bool paragraph = AllowApplyingTo.Contains(vlafcaApplyParagraph);
  if (text) d->AddElement(vlafcaText);
  if (paragraph) d->AddElement(vlafcaParagraph);
  bool settled = false;
  TVLActionEditor* holder = nullptr;
  TVLTableItemInfo* table = E->FindCurrentTable(holder);
  if (table && holder) {
    Integer top = 0, left = 0, cols = 0, rows = 0;
    // The cell being edited counts as selected.
    const bool cells = table->GetNormalizedSelectionBounds(true, top, left, cols, rows);
    if (cells && AllowApplyingTo.Contains(vlafcaApplyCell)) {
      d->AddElement(vlafcaCell);
      Integer row = -1, col = -1;
      if (!table->GetEditedCell(row, col)) {
        // Whole cells are selected: the cells are what the user means.
        TColor color = clNone;
        if (GetSelectedCellsColor(table, color)) show(color);
        d->SetComboBoxItemIndex(d->_cmb, d->GetComboBoxItems(d->_cmb).Count() - 1);
        settled = true;
      }
    }
    if (AllowApplyingTo.Contains(vlafcaApplyTable)) {
      d->AddElement(vlafcaTable);
      if (!cells) {
        show(table->Color);
        d->SetComboBoxItemIndex(d->_cmb, d->GetComboBoxItems(d->_cmb).Count() - 1);
        settled = true;
      }
    }
  }
  if (!settled) {
    if (text && E->GetInnermostEditor()->SelectionExists()) {
      d->SetComboBoxItemIndex(d->_cmb, 0);
      if (TextColorFound && !TextColorMixed) show(TextColor);
    } else if (paragraph) {
      d->SetComboBoxItemIndex(d->_cmb, text ? 1 : 0);
      if (ParaColorFound && !ParaColorMixed) show(ParaColor);
    }
  }
  d->SetPadding(Padding, PaddingSides);
  if (d->GetComboBoxItems(d->_cmb).Count() == 0) {
    MessageBeep(0);
    return;
  }
  if (d->ShowModal() != mrOk || d->ColorIndeterminate) return;
  const TColor color = d->FillColor;
  switch (d->SelectedElement()) {
    case vlafcaTable:
      // A read-only entry keeps its table's colour.
      if (holder->CanChange()) table->SetColor(color);
      break;
    case vlafcaCell: SetSelectedCellsColor(holder, table, color); break;
    case vlafcaParagraph: {
      d->GetPadding(Padding, PaddingSides);
      TvlActionParaColorAndPadding apply(nullptr);
      apply.SetControl(E->EditorControl());
      apply.UserInterface = vlacNone;
      apply.SetColor(color);
      apply.Padding.Assign(&Padding);
      apply.PaddingSides.Assign(&PaddingSides);
      apply.Execute();
      break;
    }
    case vlafcaText: {
      TvlActionFontBackColor apply(nullptr);
      apply.SetControl(E->EditorControl());
      apply.UserInterface = vlacNone;
      apply.SetColor(color);
      apply.Execute();
      break;
    }
    default: break;
  }
}
