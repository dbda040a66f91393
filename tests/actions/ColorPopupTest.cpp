#include "actions/ColorVLFrm.h"
#include "actions/VLColorCombo.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "support/KeySeam.h"

#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

void Pump() {
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
}

// A key as the window system hands it to the pop-up's window, shown and
// active as it opens: the toolkit finds the receiver.
void PressIn(TfrmColor* p, Qt::Key key) {
  if (!p->GetVisible()) p->Show();
  QWidget* w = WindowWidgetOf(p);
  ASSERT_NE(w, nullptr);
  ASSERT_NE(w->windowHandle(), nullptr);
  qytest::WindowKeyClick(w->windowHandle(), key);
}

class TProbePopup : public TfrmColor {
public:
  using TfrmColor::TfrmColor;
  void Key(Qt::Key key) { PressIn(this, key); }
};

TProbePopup* NewPopup(TColor autoColor, TColor initial, const String& defaultCaption = "") {
  Application->Initialize();
  auto* p = new TProbePopup(nullptr);
  p->DoCreate();
  p->DefaultCaption = defaultCaption;
  p->Init(autoColor, nullptr, initial);
  return p;
}

TEST(ColorPopupTest, LayoutAndTheAutomaticEntry) {
  std::unique_ptr<TProbePopup> p(NewPopup(clWindowText, clWindowText));
  ASSERT_EQ(p->Buttons.size(), 41u);
  EXPECT_EQ(p->ClientWidth(), 156);
  EXPECT_EQ(p->ClientHeight(), 2 * 22 + 112);
  EXPECT_EQ(p->Buttons[0]->GetText(), "&Auto");
  EXPECT_EQ(p->Buttons[0]->GetWidth(), 144);
  EXPECT_EQ(p->SelectedIndex, 0);
  EXPECT_TRUE(p->Buttons[0]->GetDown());
  EXPECT_EQ(p->Buttons[17]->GetHint(), "Red");
  EXPECT_EQ(p->Buttons[9]->GetLeft(), 6);  // row 1, column 0
  EXPECT_EQ(p->Buttons[9]->GetTop(), 6 + 22 + 4 + 18);
  EXPECT_EQ(p->MoreColorsButton->GetText(), "&More Colors...");

  std::unique_ptr<TProbePopup> none(NewPopup(clNone, clNone));
  EXPECT_EQ(none->Buttons[0]->GetText(), "Tr&ansparent");
  EXPECT_TRUE(none->Buttons[0]->Glyph().GetEmpty());
  EXPECT_EQ(none->SelectedIndex, 0);
  std::unique_ptr<TProbePopup> named(NewPopup(clWindowText, 0x123456, "Auto"));
  EXPECT_EQ(named->Buttons[0]->GetText(), "Auto");
  EXPECT_EQ(named->SelectedIndex, -1);
}

TEST(ColorPopupTest, SwatchesAreFramedAndRedGetsAWhiteRing) {
  TBitmap red, blue;
  MakeColorSwatch(red, 0x0000FF);
  MakeColorSwatch(blue, 0xFF0000);
  auto pixel = [](TBitmap& b, int x, int y) { return b.Canvas()->GetPixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(pixel(red, 0, 0), 0xFFFFFF);
  EXPECT_EQ(pixel(blue, 0, 13), 0x0000FF);
  EXPECT_EQ(pixel(blue, 6, 6), 0xFF0000);
  EXPECT_EQ(pixel(red, 2, 2), 0x0000FF);
  EXPECT_EQ(pixel(blue, 1, 1), ColorToRGB(clBtnShadow) & 0xFFFFFF);
  EXPECT_EQ(pixel(blue, 12, 12), ColorToRGB(clBtnShadow) & 0xFFFFFF);
}

TEST(ColorPopupTest, ArrowKeysWalkTheEntriesWithWrapAround) {
  struct Case {
    int from;
    Qt::Key key;
    int to;
  };
  // 0 is the automatic entry, 1 + k the palette entry k.
  const Case cases[] = {
      {33, Qt::Key_Down, 2},   // Rose -> Brown
      {2, Qt::Key_Up, 33},     // Brown -> Rose
      {40, Qt::Key_Down, 0},   // White -> automatic
      {0, Qt::Key_Left, 40},   // automatic -> White
      {40, Qt::Key_Right, 0},  {1, Qt::Key_Up, 0},  {0, Qt::Key_Up, 40},  {-1, Qt::Key_Down, 0},
      {-1, Qt::Key_Left, 0},   {-1, Qt::Key_Right, 0}, {-1, Qt::Key_Up, 0}, {0, Qt::Key_Down, 1},
      {1, Qt::Key_Down, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " " + std::to_string(c.key));
    std::unique_ptr<TProbePopup> p(NewPopup(clWindowText, 0x123456));
    if (c.from >= 0) p->Key(Qt::Key_Right), p->SelectedIndex = c.from;
    p->Key(c.key);
    EXPECT_EQ(p->SelectedIndex, c.to);
    EXPECT_TRUE(p->Buttons[static_cast<size_t>(c.to)]->GetDown());
    EXPECT_FALSE(p->Chosen);
  }
}

TEST(ColorPopupTest, EnterPicksOnlyASelectionAndEscapeNothing) {
  struct Case {
    TColor initial;
    std::vector<Qt::Key> keys;
    bool chosen;
    TColor color;
  };
  const Case cases[] = {
      {0x123456, {Qt::Key_Return}, false, 0x123456},  // nothing selected: no pick
      {0x123456, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}, true, 0x000000},
      {0x0000FF, {Qt::Key_Enter}, true, 0x0000FF},
      {0x0000FF, {Qt::Key_Left, Qt::Key_Escape}, false, 0x808080},  // Red, then left to Gray-50%
  };
  for (const Case& c : cases) {
    TProbePopup* p = NewPopup(clWindowText, c.initial);
    bool chosen = false;
    TColor color = clNone;
    p->OnDestroy = [&](TObject* s) {
      auto* popup = static_cast<TfrmColor*>(static_cast<TComponent*>(s));
      chosen = popup->Chosen;
      color = popup->SelectedColor;
    };
    p->Show();
    for (Qt::Key k : c.keys) p->Key(k);
    Pump();
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(color, c.color);
  }
}

TEST(ColorPopupTest, MoreColorsStartsOnYellowAndSurvivesItsDialog) {
  TProbePopup* p = NewPopup(clNone, clNone);
  bool destroyed = false, chosen = false;
  TColor color = clNone;
  p->OnDestroy = [&](TObject*) {
    destroyed = true;
    chosen = p->Chosen;
    color = p->SelectedColor;
  };
  p->Show();
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    EXPECT_EQ(r.Color, 0x0000FFFF);
    EXPECT_FALSE(destroyed);
    return int(mrCancel);
  });
  script.Do([&](TInteraction& r) {
    r.Color = 0x00ABCDEF;
    return int(mrOk);
  });
  p->MoreColorsButton->Click();  // cancelled: still open, nothing chosen
  Pump();
  EXPECT_FALSE(destroyed);
  EXPECT_FALSE(p->Chosen);
  p->MoreColorsButton->Click();
  Pump();
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(color, 0x00ABCDEF);
}

TEST(ColorPopupTest, PlacementStaysOnTheScreen) {
  std::unique_ptr<TProbePopup> p(NewPopup(clWindowText, clWindowText));
  const Integer sw = Screen->Width(), sh = Screen->Height();
  const Integer w = p->GetWidth(), h = p->GetHeight();
  struct Case {
    TRect r;
    Integer x, y;
  };
  const Case cases[] = {
      {TRect(10, 10, 60, 30), 10, 30},                       // below, left-aligned
      {TRect(10, sh - 20, 60, sh), 10, sh - 20 - h},         // opens above near the bottom
      {TRect(sw - 30, 10, sw - 5, 30), sw - 5 - w, 30},      // right edges meet
      {TRect(-50, -50, -10, -40), 0, 0},                     // never off the origin
  };
  for (const Case& c : cases) {
    p->PopupAtRect(c.r);
    EXPECT_EQ(p->GetLeft(), c.x);
    EXPECT_EQ(p->GetTop(), c.y);
  }
}

TEST(ColorComboTest, HeightLightnessAndAutoText) {
  EXPECT_EQ(TVLColorCombo::ComboHeight(13, 16, 1), 26);
  struct Case {
    TColor color;
    Integer lightness;
  };
  const Case cases[] = {{0xFFFFFF, 240}, {0x000000, 0}, {0x00FFFF, 120}, {0x99FFFF, 192}};
  for (const Case& c : cases) EXPECT_EQ(ColorLightness(c.color), c.lightness);
  TVLColorCombo combo(nullptr);
  EXPECT_EQ(combo.GetAutoText(), "Transparent");
  combo.AutoColor = clWindowText;
  EXPECT_EQ(combo.GetAutoText(), "Auto");
  combo.DefaultCaption = "Default";
  EXPECT_EQ(combo.GetAutoText(), "Default");
}

TEST(ColorComboTest, APickSetsTheColourAndFiresOnceWritesNever) {
  Application->Initialize();
  auto* form = new TForm(nullptr);
  auto* combo = new TVLColorCombo(form);
  combo->SetParent(form);
  combo->SetBounds(10, 10, 100, 5);
  EXPECT_GT(combo->GetHeight(), 5);  // the height follows the font
  int changes = 0;
  combo->OnColorChange = [&](TObject*) { ++changes; };
  combo->SetIndeterminate(true);
  combo->SetChosenColor(0x0000FF);
  EXPECT_FALSE(combo->GetIndeterminate());
  EXPECT_EQ(changes, 0);
  combo->SetIndeterminate(true);
  // Down opens the pop-up on the stored colour; Enter without moving picks it.
  Word down = VK_DOWN;
  struct TKeys : TVLColorCombo {
    static bool Down(TVLColorCombo* c, Word& k) { return static_cast<TKeys*>(c)->DoKeyDown(k, {}); }
  };
  EXPECT_TRUE(TKeys::Down(combo, down));
  ASSERT_NE(combo->PopupForm(), nullptr);
  EXPECT_EQ(combo->PopupForm()->SelectedIndex, 17);
  PressIn(combo->PopupForm(), Qt::Key_Return);
  Pump();
  EXPECT_EQ(combo->PopupForm(), nullptr);
  EXPECT_FALSE(combo->GetIndeterminate());
  EXPECT_EQ(combo->GetChosenColor(), 0x0000FF);
  EXPECT_EQ(changes, 1);
  // A dialog given to the box is forgotten when it goes.
  auto* dialog = new TColorDialog(nullptr);
  combo->SetColorDialog(dialog);
  delete dialog;
  EXPECT_EQ(combo->GetColorDialog(), nullptr);
  delete form;
}

}  // namespace
