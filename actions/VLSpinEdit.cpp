#include "actions/VLSpinEdit.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"

#include <cmath>

namespace {
constexpr double kEpsilon = 1e-20;
constexpr Integer kUpDownWidth = 15;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

String Trimmed(const String& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return s.substr(a, b - a);
}
}  // namespace

TVLUpDown::TVLUpDown(TComponent* AOwner) : TUpDown(AOwner) {
  SetMin(-10);
  SetMax(10);
  SetPosition(0);
  OnClick = [this](TObject*, TUDBtnType button) {
    if (OnDelta) OnDelta(this, button == btNext ? 1 : -1);
    SetPosition(0);
  };
}

TVLSpinEdit::TVLSpinEdit(TComponent* AOwner) : TEdit(AOwner) {
  FUpDown = new TVLUpDown(this);
  FUpDown->SetParent(this);
  FUpDown->SetBounds(0, 0, kUpDownWidth, 17);
  FUpDown->TabStop = false;
  FUpDown->OnDelta = [this](TObject*, Integer delta) {
    if (GetReadOnly())
      MessageBeep(0);
    else
      Step(delta * Increment);
  };
  FUpDown->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
    if (TabStop && CanFocus() && !Focused()) SetFocus();
  };
  SetText("0");
  SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

double TVLSpinEdit::CheckValue(double value) const {
  if (IntegerValue) {
    const double r = std::nearbyint(value);
    if (!std::isfinite(r) || std::fabs(r) >= 9.2e18) return CheckValue(0);
    value = r;
  }
  if (std::fabs(MaxValue - MinValue) >= kEpsilon) {
    if (value < MinValue - kEpsilon) value = MinValue;
    if (value > MaxValue + kEpsilon) value = MaxValue;
  }
  return value;
}

double TVLSpinEdit::GetValue() const {
  double v = 0;
  const String text = Trimmed(GetText());
  if (text.empty() || !TryStrToFloat(text, v)) return CheckValue(0);
  return v;
}

void TVLSpinEdit::SetValue(double value) { SetText(FloatToStr(CheckValue(value))); }

Integer TVLSpinEdit::AsInteger() const { return static_cast<Integer>(std::nearbyint(GetValue())); }

bool TVLSpinEdit::GetIndeterminate() const { return Trimmed(GetText()).empty(); }

void TVLSpinEdit::SetIndeterminate(bool value) {
  if (value)
    SetText("");
  else if (GetText().empty())
    SetValue(CheckValue(0));
}

bool TVLSpinEdit::IsValidChar(char16_t Key) const {
  bool ok = Key == u'+' || Key == u'-' || (Key >= u'0' && Key <= u'9') ||
            (!IntegerValue && Key == static_cast<char16_t>(FormatSettings.DecimalSeparator)) ||
            (Key < 32 && Key != 13);
  if (ok && !EditorEnabled && (Key >= 32 || Key == 8)) ok = false;
  return ok;
}

void TVLSpinEdit::Step(double delta) { SetValue(GetValue() + delta); }

bool TVLSpinEdit::DoKeyDown(Word& Key, TShiftState Shift) {
  if (GetEnabled()) {
    double step = 0;
    if (Key == VK_UP) step = Increment;
    if (Key == VK_DOWN) step = -Increment;
    if (Key == VK_PRIOR) step = 10 * Increment;
    if (Key == VK_NEXT) step = -10 * Increment;
    if (step != 0) {
      if (GetReadOnly())
        MessageBeep(0);
      else
        Step(step);
    }
    // Cutting and pasting only where typing is allowed.
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    const bool clipboardEdit = (ctrl && (Key == 'V' || Key == 'X')) ||
                               (shift && (Key == VK_INSERT || Key == VK_DELETE));
    if (clipboardEdit && (!EditorEnabled || GetReadOnly())) return true;
  }
  return TEdit::DoKeyDown(Key, Shift);
}

bool TVLSpinEdit::DoKeyPress(char16_t& Key) {
  // Return is no character of a number, but it must reach the dialog's
  // default button rather than end here with a beep.
  if (Key == 13) return TEdit::DoKeyPress(Key);
  if (GetEnabled() && !IsValidChar(Key)) {
    Key = 0;
    MessageBeep(0);
    return true;
  }
  return TEdit::DoKeyPress(Key);
}

bool TVLSpinEdit::DoMouseWheel(TShiftState, int WheelDelta, TPoint) {
  if (!GetReadOnly() && WheelDelta != 0) Step(WheelDelta > 0 ? Increment : -Increment);
  return true;
}

void TVLSpinEdit::DoEnter() {
  TEdit::DoEnter();
  if (AutoSelect && !KeyboardShiftState().Contains(ssLeft)) SelectAll();
}

void TVLSpinEdit::DoExit() {
  TEdit::DoExit();
  if (GetText().empty()) {
    SetIndeterminate(true);
  } else {
    const double v = GetValue();
    if (std::fabs(CheckValue(v) - v) >= kEpsilon) SetValue(v);
  }
}

namespace {
Integer CharHeight(const TFont& font) {
  TBitmap screen(1, 1);
  screen.Canvas()->Font.Assign(font);
  TTextMetric tm;
  screen.Canvas()->GetTextMetrics(tm);
  return tm.tmHeight;
}
}  // namespace

Integer TVLSpinEdit::MinHeight() const {
  TFont system;
  GetSystemFont(system);
  const Integer h = CharHeight(Font);
  const Integer s = std::min(h, CharHeight(system));
  return h + s / 4 + 4 * GetSystemMetrics(SM_CYBORDER) + 2;
}

void TVLSpinEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FUpDown) AHeight = std::max(AHeight, MinHeight());
  TEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!FUpDown) return;
  // The arrows fill the client height inside the edit's own border.
  const Integer b = 2 * ((AHeight - ClientHeight()) / 2);
  const Integer w = FUpDown->GetWidth();
  FUpDown->SetBounds(RightToLeft() ? 0 : AWidth - w - b, 0, w, std::max<Integer>(AHeight - b, 1));
  UpdateEditRect();
}

void TVLSpinEdit::SetBiDiMode(TBiDiMode value) {
  if (value == FBiDiMode) return;
  FBiDiMode = value;
  SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

void TVLSpinEdit::UpdateEditRect() {
  const Integer cw = ClientWidth(), ch = ClientHeight(), w = FUpDown->GetWidth();
  if (RightToLeft())
    SetEditRect(TRect(w + 2, 0, cw + 1, ch + 1));
  else
    SetEditRect(TRect(0, 0, cw - w - 2, ch + 1));
}

void TVLSpinEdit::SetEnabled(bool value) {
  TEdit::SetEnabled(value);
  if (FUpDown) FUpDown->SetEnabled(value);
}
