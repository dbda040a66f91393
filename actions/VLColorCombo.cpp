#include "actions/VLColorCombo.h"

#include "actions/ColorVLFrm.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GfxColors.h"
#include "platform/gui/ThemeDraw.h"

#include <algorithm>
#include <cmath>

Integer ColorLightness(TColor Color) {
  TColor rgb = ColorToRGB(Color);
  int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  return static_cast<Integer>(std::nearbyint(((mx + mn) * 240.0 + 255.0) / 510.0));
}

TVLColorCombo::TVLColorCombo(TComponent* AOwner) : TCustomControl(AOwner) {
  TabStop = true;
  auto hover = [this](bool inside) {
    FMouseInControl = inside;
    if (FUseXPThemes && ThemesActive()) Repaint();
  };
  OnMouseEnter = [hover](TObject*) { hover(true); };
  OnMouseLeave = [hover](TObject*) { hover(false); };
}

TVLColorCombo::~TVLColorCombo() {
  if (FPopupForm) {
    FPopupForm->OnDestroy = nullptr;
    FPopupForm->Close();
    FPopupForm = nullptr;
  }
  SetColorDialog(nullptr);
}

void TVLColorCombo::SetChosenColor(TColor value) {
  FChosenColor = value;
  SetIndeterminate(false);
}

void TVLColorCombo::SetIndeterminate(bool value) {
  FIndeterminate = value;
  Invalidate();
}

void TVLColorCombo::SetColorDialog(TColorDialog* value) {
  if (value == FColorDialog) return;
  if (FColorDialog) FColorDialog->RemoveFreeNotification(this);
  FColorDialog = value;
  if (FColorDialog) FColorDialog->FreeNotification(this);
}

void TVLColorCombo::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FColorDialog) FColorDialog = nullptr;
}

void TVLColorCombo::SetUseXPThemes(bool value) {
  if (value == FUseXPThemes) return;
  FUseXPThemes = value;
  Invalidate();
}

String TVLColorCombo::GetAutoText() const {
  if (!DefaultCaption.empty()) return DefaultCaption;
  return AutoColor == clNone ? TransparentCaption : AutoCaption;
}

Integer TVLColorCombo::ComboHeight(Integer FontHeight, Integer SystemFontHeight, Integer BorderHeight) {
  return FontHeight + std::min(SystemFontHeight, FontHeight) / 4 + 4 * BorderHeight + 6;
}

Integer TVLColorCombo::GetComboHeight() const {
  TBitmap probe;
  probe.SetWidth(1);
  probe.SetHeight(1);
  TCanvas& c = *probe.Canvas();
  const Integer hs = c.TextHeight("Wg");
  c.Font.Assign(Font);
  const Integer hf = c.TextHeight("Wg");
  return ComboHeight(hf, hs, 1);
}

void TVLColorCombo::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  // The height always follows the font.
  TCustomControl::SetBounds(ALeft, ATop, AWidth, GetComboHeight());
}

void TVLColorCombo::Paint() {
  TCanvas& c = *Canvas();
  TRect r = GetClientRect();
  c.Brush.Style = bsSolid;
  c.Brush.Color = clWindow;
  c.FillRect(r);
  DrawEditFrame(c, r, GetEnabled());
  r = TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  TRect b(r.Right - VerticalScrollBarWidth(), r.Top, r.Right, r.Bottom);
  const bool themed = FUseXPThemes && ThemesActive();
  TThemePartState state = !GetEnabled() ? tpsDisabled
                          : FLeftDown  ? tpsPressed
                          : (themed && FMouseInControl && !FPopupForm) ? tpsHot
                                                                        : tpsNormal;
  DrawComboButton(c, b, state);
  TRect a(r.Left + 2, r.Top + 2, b.Left - 2, r.Bottom - 2);
  if (!FIndeterminate && FChosenColor != clNone) {
    c.Brush.Color = FChosenColor;
    c.FillRect(a);
  }
  if (Focused()) {
    TRect f(a.Left - 1, a.Top - 1, a.Right + 1, a.Bottom + 1);
    c.Font.SetColor(clBlack);
    c.Brush.Style = bsSolid;
    c.Brush.Color = clWindow;
    c.DrawFocusRect(f);
  }
  if (!FIndeterminate && FChosenColor == AutoColor) {
    c.Font.Assign(Font);
    TColor text = AutoColor == clWindowText ? clWindow
                  : AutoColor == clNone     ? clWindowText
                  : ColorLightness(FChosenColor) > 150 ? clWindowText
                                                       : clWindow;
    c.Font.SetColor(text);
    c.Brush.Style = bsClear;
    DrawText(c, GetAutoText(), a, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void TVLColorCombo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FLeftDown = X >= 0;
  if (CanFocus()) SetFocus();
  if (FPopupForm) {
    FPopupForm->Close();
  } else {
    FPopupForm = new TfrmColor(Application);
    FPopupForm->DoCreate();
    FPopupForm->DefaultCaption = DefaultCaption;
    FPopupForm->Silent = true;
    FPopupForm->OnDestroy = [this](TObject* Sender) { PopupDestroyed(Sender); };
    FPopupForm->Init(AutoColor, FColorDialog, FChosenColor);
    FPopupForm->PopupUnder(this);
  }
  Repaint();
}

void TVLColorCombo::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  FLeftDown = false;
  Repaint();
}

void TVLColorCombo::PopupDestroyed(TObject* Sender) {
  auto* popup = static_cast<TfrmColor*>(static_cast<TComponent*>(Sender));
  if (popup->Chosen) {
    SetChosenColor(popup->SelectedColor);
    if (OnColorChange) OnColorChange(this);
    Invalidate();
  }
  FPopupForm = nullptr;
}

bool TVLColorCombo::DoKeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_DOWN || Key == VK_F4) {
    MouseDown(mbLeft, TShiftState(), -1, -1);
    return true;
  }
  // The box keeps the arrows from the dialog's navigation.
  return Key == VK_UP || Key == VK_LEFT || Key == VK_RIGHT;
}

void TVLColorCombo::DoEnter() {
  TCustomControl::DoEnter();
  Repaint();
}

void TVLColorCombo::DoExit() {
  TCustomControl::DoExit();
  Repaint();
}

void TVLColorCombo::SetEnabled(bool value) {
  TCustomControl::SetEnabled(value);
  Invalidate();
}
