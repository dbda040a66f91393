#include "actions/VLOfficeRadioBtn.h"

#include "platform/gui/ThemeDraw.h"

#include <algorithm>

void ClampInteger(Integer& Value, Integer Min, Integer Max) {
  if (Value < Min) Value = Min;
  if (Value > Max) Value = Max;
}

TVLOfficeRadioButton::TVLOfficeRadioButton(TComponent* AOwner)
    : TCustomControl(AOwner), FAccessKey(this, [this] {
        if (!CanCheck()) return;
        SetFocus();
        SetChecked(true);
      }) {
  SetBounds(GetLeft(), GetTop(), 100, 100);
  TabStop = false;
  FChangeLink.OnChange = [this](TObject*) { Invalidate(); };
}

TVLOfficeRadioButton::~TVLOfficeRadioButton() {
  if (FImages) FImages->UnRegisterChanges(&FChangeLink);
}

void TVLOfficeRadioButton::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  if (value && FParent) {
    for (int i = 0; i < FParent->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TVLOfficeRadioButton*>(FParent->Controls(i)); b && b != this) b->SetChecked(false);
  }
  Invalidate();
  if (value) Click();
}

#define QY_SETTER(Name, Type, Field, When)   \
  void TVLOfficeRadioButton::Set##Name(Type value) { \
    if (Field == value) return;               \
    Field = value;                            \
    if (When) Invalidate();                   \
  }
QY_SETTER(FillColor, TColor, FFillColor, true)
QY_SETTER(SelColor, TColor, FSelColor, FChecked)
QY_SETTER(SelWidth, Integer, FSelWidth, FChecked)
QY_SETTER(TextAreaHeight, Integer, FTextAreaHeight, true)
QY_SETTER(Disabled3D, bool, FDisabled3D, !GetEnabled())
QY_SETTER(ImageIndex, Integer, FImageIndex, true)
QY_SETTER(Square, bool, FSquare, true)
QY_SETTER(LargeSelection, bool, FLargeSelection, true)
QY_SETTER(TextPosition, TORBTextPosition, FTextPosition, true)
QY_SETTER(UseXPThemes, bool, FUseXPThemes, true)
#undef QY_SETTER

void TVLOfficeRadioButton::SetImages(TCustomImageList* value) {
  if (FImages) FImages->UnRegisterChanges(&FChangeLink);
  FImages = value;
  if (FImages) {
    FImages->RegisterChanges(&FChangeLink);
    FImages->FreeNotification(this);
  }
}

void TVLOfficeRadioButton::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TVLOfficeRadioButton::SetText(const String& value) {
  if (FText == value) return;
  FText = value;
  FAccessKey.SetCaption(FText);
  Invalidate();
}

void TVLOfficeRadioButton::SetEnabled(bool value) {
  TCustomControl::SetEnabled(value);
  Invalidate();
}

void TVLOfficeRadioButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight() && CanCheck())
    SetChecked(true);
}

bool TVLOfficeRadioButton::DoKeyPress(char16_t& Key) {
  if (TCustomControl::DoKeyPress(Key)) return true;
  if (Key == u' ' && CanCheck()) SetChecked(true);
  return false;
}

// A button checks itself whenever the focus arrives, whatever moved it.
void TVLOfficeRadioButton::DoEnter() {
  TCustomControl::DoEnter();
  if (CanCheck()) SetChecked(true);
}

Integer TVLOfficeRadioButton::ScaledTextAreaHeight() const { return FTextAreaHeight; }

TRect TVLOfficeRadioButton::ImageArea(const TRect& ARect) const {
  const Integer h = ScaledTextAreaHeight();
  TRect r = ARect;
  if (FTextPosition == orbtpBottom)
    r.Bottom = ARect.Bottom - h;
  else
    r.Top = ARect.Top + h;
  if (FSquare) {
    const Integer w = r.Width(), ht = r.Height();
    if (w > ht) {
      r.Left += (w - ht) / 2;
      r.Right = r.Left + ht;
    } else if (ht > w) {
      r.Top += (ht - w) / 2;
      r.Bottom = r.Top + w;
    }
  }
  return r;
}

void TVLOfficeRadioButton::Paint() { PaintButton(*Canvas(), GetClientRect(), Focused()); }

void TVLOfficeRadioButton::PaintButton(TCanvas& c, const TRect& ARect, bool IsFocused) {
  const bool themed = FUseXPThemes && ThemesActive();
  const Integer h = ScaledTextAreaHeight();
  c.Brush.Style = bsSolid;
  c.Brush.Color = GetParent() ? GetParent()->GetColor() : GetColor();
  if (c.Brush.Color == clDefault) c.Brush.Color = clBtnFace;
  c.FillRect(ARect);
  TRect ir = ImageArea(ARect);
  c.Brush.Color = GetEnabled() ? FFillColor : clBtnFace;
  c.FillRect(ir);
  // The themed edit box paints its own face: it goes under the picture.
  if (themed) DrawEditFrame(c, ir, GetEnabled());
  bool doDefault = true;
  if (OnCustomDraw) {
    TRect inner = ir;
    InflateRect(inner, -(4 + FSelWidth), -(4 + FSelWidth));
    OnCustomDraw(this, &c, inner, doDefault);
  }
  if (doDefault && FImages && FImageIndex >= 0 && FImageIndex < FImages->Count())
    FImages->Draw(&c, (ir.Left + ir.Right - FImages->GetWidth()) / 2,
                  (ir.Top + ir.Bottom - FImages->GetHeight()) / 2, FImageIndex, GetEnabled());
  ir = ImageArea(ARect);
  if (!themed) {
    TRect e = ir;
    DrawEdge(c, e, EDGE_SUNKEN, BF_RECT);
  }
  if (!FLargeSelection) {
    if (IsFocused) {
      InflateRect(ir, -3, -3);
      c.Font.SetColor(clBlack);
      c.Brush.Style = bsSolid;
      c.Brush.Color = FFillColor;
      c.DrawFocusRect(ir);
      InflateRect(ir, -1, -1);
    } else {
      InflateRect(ir, -4, -4);
    }
  }
  if (FChecked) {
    c.Pen.Color = FSelColor;
    c.Pen.Style = psInsideFrame;
    c.Pen.Width = FSelWidth;
    c.Brush.Style = bsClear;
    c.Rectangle(ir.Left, ir.Top, ir.Right, ir.Bottom);
  }
  if (FTextAreaHeight <= 0) return;
  TRect tr = ARect;
  if (FTextPosition == orbtpBottom)
    tr.Top = ARect.Bottom - h + 2;
  else
    tr.Bottom = ARect.Top + h;
  c.Brush.Style = bsClear;
  c.Font.Assign(&Font);
  const unsigned flags = DT_CENTER | DT_WORDBREAK;
  if (FTextPosition == orbtpTop) {
    const Integer y = tr.Bottom - 2;
    TRect m = tr;
    DrawText(c, FText, m, flags | DT_CALCRECT);
    tr = TRect(0, y - m.Height(), ARect.Right, y);
  }
  if (!GetEnabled() && FDisabled3D && !themed) {
    TRect o = tr;
    OffsetRect(o, 1, 1);
    c.Font.SetColor(clBtnHighlight);
    DrawText(c, FText, o, flags);
    c.Font.SetColor(clBtnShadow);
  } else if (!GetEnabled()) {
    c.Font.SetColor(clBtnShadow);
  }
  DrawText(c, FText, tr, flags);
}

// ---------------------------------------------------------------------------

TOfficeGroupButton::TOfficeGroupButton(TVLOfficeRadioGroup* Group) : TVLOfficeRadioButton(Group), FGroup(Group) {
  FGroup->FButtons.push_back(this);
  SetVisible(false);
  SetEnabled(Group->GetEnabled());
  OnClick = [Group](TObject* s) { Group->ButtonClick(s); };
  SetParent(Group);
}

TOfficeGroupButton::~TOfficeGroupButton() {
  auto& v = FGroup->FButtons;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

bool TOfficeGroupButton::CanCheck() { return FGroup->CanModify(); }

bool TOfficeGroupButton::DoKeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN) {
    const Integer n = FGroup->GetNextButton(FGroup->IndexOfButton(this), Key);
    if (n >= 0) FGroup->Buttons(n)->SetFocus();
    Key = 0;
    return true;
  }
  return TVLOfficeRadioButton::DoKeyDown(Key, Shift);
}

bool TOfficeGroupButton::DoKeyPress(char16_t& Key) {
  if ((Key == u'\b' || Key == u' ') && !FGroup->CanModify()) {
    Key = 0;
    return true;
  }
  return TVLOfficeRadioButton::DoKeyPress(Key);
}

void TOfficeGroupButton::DblClick() {
  TVLOfficeRadioButton::DblClick();
  if (FGroup->OnDblClickItem) FGroup->OnDblClickItem(FGroup);
}

// ---------------------------------------------------------------------------

TVLOfficeRadioGroup::TVLOfficeRadioGroup(TComponent* AOwner)
    : TCustomControl(AOwner), FAccessKey(this, [this] { SetFocus(); }) {
  SetBounds(GetLeft(), GetTop(), 200, 200);
  TabStop = true;
}

TVLOfficeRadioGroup::~TVLOfficeRadioGroup() { SetButtonCount(0); }

void TVLOfficeRadioGroup::AddItem(const String& Caption, Integer ImageIndex) {
  TOfficeGroupItem item;
  item.Caption = Caption;
  item.ImageIndex = ImageIndex;
  FItems.push_back(item);
  UpdateButtons();
}

void TVLOfficeRadioGroup::DeleteItem(Integer Index) {
  FItems.erase(FItems.begin() + Index);
  UpdateButtons();
}

void TVLOfficeRadioGroup::ClearItems() {
  FItems.clear();
  UpdateButtons();
}

void TVLOfficeRadioGroup::ItemChanged(Integer Index) { UpdateButton(Index); }

Integer TVLOfficeRadioGroup::IndexOfButton(const TOfficeGroupButton* Button) const {
  auto it = std::find(FButtons.begin(), FButtons.end(), Button);
  return it == FButtons.end() ? -1 : static_cast<Integer>(it - FButtons.begin());
}

void TVLOfficeRadioGroup::SetButtonCount(Integer Count) {
  while (ButtonCount() < Count) new TOfficeGroupButton(this);
  while (ButtonCount() > Count) delete FButtons.back();
}

void TVLOfficeRadioGroup::UpdateButtonProps(bool Repaint) {
  for (TOfficeGroupButton* b : FButtons) {
    b->SetImages(FImages);
    b->FSelColor = FSelColor;
    b->FSelWidth = FSelWidth;
    b->FTextAreaHeight = FTextAreaHeight;
    b->FDisabled3D = FDisabled3D;
    b->FTextPosition = FTextPosition;
    b->FSquare = FSquare;
    b->SetUseXPThemes(FUseXPThemes);
    if (FOnCustomDraw) {
      b->OnCustomDraw = [this](TVLOfficeRadioButton* s, TCanvas* c, const TRect& r, bool& d) {
        if (FOnCustomDraw) FOnCustomDraw(this, IndexOfButton(static_cast<TOfficeGroupButton*>(s)), c, r, d);
      };
    } else {
      b->OnCustomDraw = nullptr;
    }
    if (Repaint) b->Invalidate();
  }
}

void TVLOfficeRadioGroup::UpdateButton(Integer Index) {
  TOfficeGroupButton* b = FButtons.at(static_cast<size_t>(Index));
  const TOfficeGroupItem& it = FItems.at(static_cast<size_t>(Index));
  b->FFillColor = it.FillColor;
  b->FImageIndex = it.ImageIndex;
  b->SetEnabled(it.Enabled);
  b->SetHint(it.Hint);
  b->SetText(it.Caption);
  b->Invalidate();
}

void TVLOfficeRadioGroup::UpdateButtons() {
  ClampInteger(FItemIndex, -1, ItemCount() - 1);
  SetButtonCount(ItemCount());
  UpdateButtonProps(false);
  for (Integer i = 0; i < ButtonCount(); ++i) UpdateButton(i);
  if (FItemIndex >= 0) {
    FUpdating = true;
    FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
    FUpdating = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TVLOfficeRadioGroup::ButtonClick(TObject* Sender) {
  if (FUpdating) return;
  FItemIndex = IndexOfButton(static_cast<TOfficeGroupButton*>(Sender));
  Click();
}

void TVLOfficeRadioGroup::SetItemIndex(Integer value) {
  ClampInteger(value, -1, ButtonCount() - 1);
  if (value == FItemIndex) return;
  if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(false);
  FItemIndex = value;
  // Checking the button clicks it, which reaches the group's OnClick.
  if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
}

void TVLOfficeRadioGroup::SetColumns(Integer value) {
  ClampInteger(value, 1, 16);
  if (value == FColumns) return;
  FColumns = value;
  ArrangeButtons();
  Invalidate();
}

void TVLOfficeRadioGroup::SetMargin(Integer value) {
  if (value == FMargin) return;
  FMargin = value;
  ArrangeButtons();
}

#define QY_GROUP_SETTER(Name, Type, Field)        \
  void TVLOfficeRadioGroup::Set##Name(Type value) { \
    if (Field == value) return;                    \
    Field = value;                                 \
    UpdateButtonProps(true);                       \
  }
QY_GROUP_SETTER(Images, TCustomImageList*, FImages)
QY_GROUP_SETTER(SelColor, TColor, FSelColor)
QY_GROUP_SETTER(SelWidth, Integer, FSelWidth)
QY_GROUP_SETTER(TextAreaHeight, Integer, FTextAreaHeight)
QY_GROUP_SETTER(Disabled3D, bool, FDisabled3D)
QY_GROUP_SETTER(TextPosition, TORBTextPosition, FTextPosition)
QY_GROUP_SETTER(Square, bool, FSquare)
#undef QY_GROUP_SETTER

void TVLOfficeRadioGroup::SetUseXPThemes(bool value) {
  if (FUseXPThemes == value) return;
  FUseXPThemes = value;
  UpdateButtonProps(true);
  Invalidate();
}

void TVLOfficeRadioGroup::SetOnCustomDraw(TORGCustomDrawEvent value) {
  FOnCustomDraw = std::move(value);
  UpdateButtonProps(true);
}

void TVLOfficeRadioGroup::SetBiDiMode(TBiDiMode value) {
  if (FBiDiMode == value) return;
  FBiDiMode = value;
  ArrangeButtons();
}

void TVLOfficeRadioGroup::SetText(const String& value) {
  FText = value;
  FAccessKey.SetCaption(FText);
  Invalidate();
}

void TVLOfficeRadioGroup::SetEnabled(bool value) {
  TCustomControl::SetEnabled(value);
  for (TOfficeGroupButton* b : FButtons) b->SetEnabled(value);
  Invalidate();
}

Integer TVLOfficeRadioGroup::CaptionBandHeight() {
  TTextMetric tm;
  TCanvas* c = Canvas();
  std::unique_ptr<TBitmap> scratch;
  if (!c) {
    scratch = std::make_unique<TBitmap>();
    scratch->SetSize(1, 1);
    c = scratch->Canvas();
  }
  c->Font.Assign(&Font);
  c->GetTextMetrics(tm);
  return tm.tmHeight + 1;
}

void TVLOfficeRadioGroup::ArrangeButtons() {
  if (FButtons.empty()) return;
  const Integer t = CaptionBandHeight();
  const Integer n = ButtonCount();
  const Integer rows = (n + FColumns - 1) / FColumns;
  const Integer p = (GetWidth() - 2 * FMargin) / FColumns;
  const Integer h = (GetHeight() - t - 2 * FMargin) / rows;
  const bool rtl = FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
  for (Integer i = 0; i < n; ++i) {
    const Integer col = i / rows, row = i % rows;
    Integer x = col * p + FMargin + FMargin / 2;
    if (rtl) x = ClientWidth() - x - p + FMargin;
    const Integer y = row * h + t + FMargin;
    FButtons[static_cast<size_t>(i)]->SetBounds(x, y, p - FMargin, h);
    FButtons[static_cast<size_t>(i)]->SetVisible(true);
  }
}

Integer TVLOfficeRadioGroup::GetNextButton(Integer Index, Word Key) const {
  auto canFocus = [this](Integer i) {
    const TOfficeGroupButton* b = FButtons[static_cast<size_t>(i)];
    return b->GetVisible() && b->GetEnabled() && GetEnabled();
  };
  const Integer count = ButtonCount();
  bool any = false;
  for (Integer i = 0; i < count && !any; ++i) any = canFocus(i);
  if (!any) return -1;
  const Integer rows = (count + FColumns - 1) / FColumns;
  const Integer cells = FColumns * rows;
  Integer n = Index;
  for (Integer steps = 0; steps <= cells; ++steps) {
    switch (Key) {
      case VK_LEFT:
        if (n == 0) n = cells - 1;
        else if (n < rows) n = n - rows - 1;
        else n -= rows;
        break;
      case VK_RIGHT:
        if (n == cells - 1) n = 0;
        else if (n >= cells - rows) n = n + rows + 1;
        else n += rows;
        break;
      case VK_UP: n -= 1; break;
      case VK_DOWN: n += 1; break;
      default: return -1;
    }
    if (n < 0) n += cells;
    n %= cells;
    if (n < count && canFocus(n)) return n;
  }
  return -1;
}

void TVLOfficeRadioGroup::Resize() {
  TCustomControl::Resize();
  ArrangeButtons();
}

void TVLOfficeRadioGroup::FontChanged() {
  TCustomControl::FontChanged();
  ArrangeButtons();
}

void TVLOfficeRadioGroup::DoEnter() {
  TCustomControl::DoEnter();
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) FButtons[static_cast<size_t>(FItemIndex)]->SetFocus();
}

void TVLOfficeRadioGroup::Paint() {
  TCanvas& c = *Canvas();
  c.Font.Assign(&Font);
  c.Brush.Style = bsSolid;
  c.Brush.Color = GetParent() && GetParent()->GetColor() != clDefault ? GetParent()->GetColor() : clBtnFace;
  c.FillRect(GetClientRect());
  TRect cr(0, 0, 0, 0);
  if (!FText.empty()) {
    cr = TRect(0, 0, 0, 0);
    DrawText(c, FText, cr, DT_SINGLELINE | DT_CALCRECT);
    const Integer w = cr.Width();
    const bool rtl = FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
    OffsetRect(cr, rtl ? GetWidth() - 8 - w : 8, 0);
  }
  TRect frame = GetClientRect();
  frame.Top = cr.Height() / 2;
  TRect e = frame;
  DrawEdge(c, e, EDGE_ETCHED, BF_RECT);
  if (!FText.empty()) {
    c.Brush.Style = bsSolid;
    TRect pad = cr;
    InflateRect(pad, 2, 0);
    c.FillRect(pad);
    c.Brush.Style = bsClear;
    c.Font.SetColor(GetEnabled() ? clWindowText : clGrayText);
    DrawText(c, FText, cr, DT_SINGLELINE);
  }
}
