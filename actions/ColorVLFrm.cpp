#include "actions/ColorVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/gui/GfxColors.h"
#include "platform/gui/Mouse.h"

#include <algorithm>

TVLPaletteColor PaletteColors[PALETTE_COLOR_COUNT] = {
    {"Black", 0x000000},        {"Brown", 0x003399},          {"Olive Green", 0x003333},
    {"Dark Green", 0x003300},   {"Dark Teal", 0x663300},      {"Dark blue", 0x800000},
    {"Indigo", 0x993333},       {"Gray-80%", 0x333333},       {"Dark Red", 0x000080},
    {"Orange", 0x0066FF},       {"Dark Yellow", 0x008080},    {"Green", 0x008000},
    {"Teal", 0x808000},         {"Blue", 0xFF0000},           {"Blue-Gray", 0x996666},
    {"Gray-50%", 0x808080},     {"Red", 0x0000FF},            {"Light Orange", 0x0099FF},
    {"Lime", 0x00CC99},         {"Sea Green", 0x669933},      {"Aqua", 0xCCCC33},
    {"Light Blue", 0xFF6633},   {"Violet", 0x800080},         {"Grey-40%", 0x969696},
    {"Pink", 0xFF00FF},         {"Gold", 0x00CCFF},           {"Yellow", 0x00FFFF},
    {"Bright Green", 0x00FF00}, {"Turquoise", 0xFFFF00},      {"Sky Blue", 0xFFCC00},
    {"Plum", 0x663399},         {"Gray-25%", 0xC0C0C0},       {"Rose", 0xCC99FF},
    {"Tan", 0x99CCFF},          {"Light Yellow", 0x99FFFF},   {"Light Green", 0xCCFFCC},
    {"Light Turquoise", 0xFFFFCC}, {"Pale Blue", 0xFFCC99},   {"Lavender", 0xFF99CC},
    {"White", 0xFFFFFF},
};

void LocalizePaletteNames() {
  for (int i = 0; i < PALETTE_COLOR_COUNT; ++i) PaletteColors[i].Name = GetLanguagePChar(static_cast<Word>(232 + i));
}

namespace {
constexpr int kCell = 18, kMargin = 6, kGap = 4, kColumns = 8, kRows = 5;
// The height of a new speed button before anything resizes it.
constexpr int kButtonHeight = 22;
constexpr int kCount = 1 + PALETTE_COLOR_COUNT;
}  // namespace

void MakeColorSwatch(TBitmap& Bitmap, TColor Color) {
  Bitmap.SetSize(14, 14);
  TCanvas& c = *Bitmap.Canvas();
  // The frame: (1,1)-(13,13) in the button-shadow colour.
  c.Brush.Style = bsSolid;
  c.Brush.Color = clBtnFace;
  c.FillRect(TRect(0, 0, 14, 14));
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  c.Pen.Color = clBtnShadow;
  c.Brush.Style = bsClear;
  c.Rectangle(1, 1, 13, 13);
  c.Brush.Style = bsSolid;
  c.Brush.Color = Color;
  c.FillRect(TRect(2, 2, 12, 12));
  c.Pen.Color = ColorToRGB(Color) == 0x0000FF ? TColor(0xFFFFFF) : TColor(0x0000FF);
  c.Brush.Style = bsClear;
  c.Rectangle(0, 0, 14, 14);
}

TfrmColor::TfrmColor(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetBorderStyle(bsNone);
  cd = new TColorDialog(this);
  cd->SetName("cd");
}

TfrmColor::~TfrmColor() {
  // The opener reads the outcome while every field still exists.
  GuardedCall([this] {
    if (OnDestroy) OnDestroy(this);
  });
  OnDestroy = nullptr;
}

void TfrmColor::Localize() {
  TfrmVLBase::Localize();
  LocalizePaletteNames();
  SetText("");
}

void TfrmColor::Init(TColor AutoColor, TColorDialog* AColorDialog, TColor InitialColor) {
  ColorDialog = AColorDialog ? AColorDialog : cd;
  SelectedColor = InitialColor;
  Chosen = false;
  SelectedIndex = -1;
  auto addButton = [this](int left, int top, int width, int height, TColor color) {
    auto* b = new TSpeedButton(this);
    b->SetParent(this);
    b->SetBounds(left, top, width, height);
    b->SetFlat(true);
    b->SetGroupIndex(1);
    b->Tag = color;
    b->OnClick = [this](TObject* Sender) { ColorButtonClick(Sender); };
    if (color == SelectedColor) {
      SelectedIndex = static_cast<int>(Buttons.size());
      b->SetDown(true);
    }
    Buttons.push_back(b);
    return b;
  };

  int y = kMargin;
  TSpeedButton* autoButton;
  if (AutoColor == clNone) {
    autoButton = addButton(kMargin, y, kColumns * kCell, kButtonHeight, clNone);
    autoButton->SetText(LanguageText(272));
  } else {
    autoButton = addButton(kMargin, y, kColumns * kCell, kButtonHeight, AutoColor);
    MakeColorSwatch(autoButton->Glyph(), AutoColor);
    autoButton->GlyphChanged();
    autoButton->SetText(LanguageText(273));
  }
  if (!DefaultCaption.empty()) autoButton->SetText(DefaultCaption);
  y += kButtonHeight + kGap;

  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      const int k = r * kColumns + c;
      TSpeedButton* b = addButton(kMargin + kCell * c, y + kCell * r, kCell, kCell, PaletteColors[k].Color);
      MakeColorSwatch(b->Glyph(), PaletteColors[k].Color);
      b->GlyphChanged();
      b->SetHint(AnsiToUtf8(PaletteColors[k].Name ? PaletteColors[k].Name : "", 1252));
      b->ShowHint = true;
    }
  // When several carry the initial colour the last one created holds it.
  if (SelectedIndex >= 0) UpdateSelection(SelectedIndex);
  y += kRows * kCell + kGap;

  MoreColorsButton = new TSpeedButton(this);
  MoreColorsButton->SetParent(this);
  MoreColorsButton->SetBounds(kMargin, y, kColumns * kCell, kButtonHeight);
  MoreColorsButton->SetText(LanguageText(274));
  MoreColorsButton->SetFlat(true);
  MoreColorsButton->OnClick = [this](TObject* Sender) { MoreColorsClick(Sender); };

  // Borderless: the window is the client area.
  SetBounds(GetLeft(), GetTop(), kColumns * kCell + 2 * kMargin, y + kButtonHeight + 8);
}

void TfrmColor::UpdateSelection(int s) {
  SelectedIndex = s;
  for (int i = 0; i < static_cast<int>(Buttons.size()); ++i)
    if (i == s)
      Buttons[static_cast<size_t>(i)]->SetDown(true);
    else if (Buttons[static_cast<size_t>(i)]->GetDown()) {
      Buttons[static_cast<size_t>(i)]->SetAllowAllUp(true);
      Buttons[static_cast<size_t>(i)]->SetDown(false);
    }
  if (s >= 0 && s < static_cast<int>(Buttons.size())) SelectedColor = static_cast<TColor>(Buttons[static_cast<size_t>(s)]->Tag);
}

void TfrmColor::ColorButtonClick(TObject* Sender) {
  auto* b = dynamic_cast<TSpeedButton*>(static_cast<TComponent*>(Sender));
  if (!b) return;
  SelectedColor = static_cast<TColor>(b->Tag);
  Chosen = true;
  Close();
}

void TfrmColor::MoreColorsClick(TObject*) {
  ColorDialog->Color = SelectedColor == clNone ? TColor(0x0000FFFF) : SelectedColor;
  // The dialog takes the activation: the pop-up stays open until it returns.
  FInColorDialog = true;
  bool ok = false;
  try {
    ok = ColorDialog->Execute();
  } catch (...) {
    FInColorDialog = false;
    throw;
  }
  FInColorDialog = false;
  if (!ok) return;
  SelectedColor = ColorDialog->Color;
  Chosen = true;
  Close();
}

bool TfrmColor::DoKeyDown(Word& Key, TShiftState Shift) {
  int s = SelectedIndex;
  switch (Key) {
    case VK_RETURN:
      // Enter with nothing selected is no pick.
      if (s >= 0) Chosen = true;
      Close();
      return true;
    case VK_ESCAPE:
      Close();
      return true;
    case VK_RIGHT:
      ++s;
      if (s >= kCount) s = 0;
      break;
    case VK_LEFT:
      s = s < 0 ? 0 : s - 1;
      if (s < 0) s = kCount - 1;
      break;
    case VK_DOWN:
      s = s < 1 ? s + 1 : s + kColumns;
      if (s >= kCount + kColumns - 1)
        s = 0;
      else if (s >= kCount)
        s -= kCount - 2;
      break;
    case VK_UP:
      if (s < 0 || s == 1)
        s = 0;
      else if (s == 0)
        s = kCount - 1;
      else {
        s -= kColumns;
        if (s < 1) s += kCount - 2;
      }
      break;
    default:
      // Alt with a letter is for the menus of the window the pop-up came
      // from: it leaves the pop-up, as a click elsewhere does.
      if (Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) &&
          ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))) {
        TCustomForm* beneath = OwnerForm(Owner());
        Close();
        if (beneath) OpenMenuOfAccessKey(beneath, Key);
        return true;
      }
      return TfrmVLBase::DoKeyDown(Key, Shift);
  }
  UpdateSelection(s);
  return true;
}

void TfrmColor::Paint() {
  TfrmVLBase::Paint();
  if (!Canvas()) return;
  TRect r = GetClientRect();
  DrawEdge(*Canvas(), r, EDGE_RAISED, BF_RECT);
}

namespace {
// Posted on a loss of activation: closes the pop-up if it is still inactive.
constexpr Cardinal kCloseIfInactive = WM_USER + 1;
}  // namespace

void TfrmColor::Activate() {
  FActiveNow = true;
  TfrmVLBase::Activate();
}

void TfrmColor::Deactivate() {
  FActiveNow = false;
  TfrmVLBase::Deactivate();
  // Judged once the window system's pending word is through: a menu that
  // closed as the pop-up opened may hand the activation back for a moment
  // before the pop-up's own activation arrives.
  if (!FInColorDialog) PostMessage(this, kCloseIfInactive);
}

void TfrmColor::WndProc(TMessage& Message) {
  if (Message.Msg == kCloseIfInactive) {
    if (!FActiveNow && !FInColorDialog && GetVisible()) Close();
    return;
  }
  TfrmVLBase::WndProc(Message);
}

void TfrmColor::DoClose(TCloseAction& Action) {
  TfrmVLBase::DoClose(Action);
  Action = caFree;
}

void TfrmColor::PlaceAt(Integer x, Integer y) {
  SetBounds(x, y, GetWidth(), GetHeight());
  Show();
}

void TfrmColor::PopupAtCursor() {
  TPoint p = GetCursorPos();
  const Integer sw = Screen->Width(), sh = Screen->Height();
  if (p.X + GetWidth() > sw) p.X = sw - GetWidth();
  if (p.Y + GetHeight() > sh) p.Y = sh - GetHeight();
  // Never off the screen's top or left edge.
  PlaceAt(std::max(0, p.X), std::max(0, p.Y));
}

void TfrmColor::PopupAtRect(const TRect& R) {
  const Integer sw = Screen->Width(), sh = Screen->Height();
  Integer y = R.Bottom;
  if (y + GetHeight() > sh) y = R.Top - GetHeight();
  if (y < 0) y = 0;
  Integer x = R.Left;
  if (x + GetWidth() > sw) x = R.Right - GetWidth();
  if (x < 0) x = 0;
  PlaceAt(x, y);
}

void TfrmColor::PopupUnder(TControl* Control) {
  TPoint tl(Control->GetLeft(), Control->GetTop());
  TPoint br(Control->GetLeft() + Control->GetWidth(), Control->GetTop() + Control->GetHeight());
  if (TWinControl* parent = Control->GetParent()) {
    tl = parent->ClientToScreen(tl);
    br = parent->ClientToScreen(br);
  }
  PopupAtRect(TRect(tl.X, tl.Y, br.X, br.Y));
}
