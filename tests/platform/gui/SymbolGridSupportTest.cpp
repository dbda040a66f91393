#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/FontList.h"
#include "platform/gui/Forms.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(SymbolGridSupport, AFamilyAnswersForItsOwnGlyphsOnly) {
  Application->Initialize();
  struct Case {
    const char* family;
    char16_t ch;
    bool has;
  };
  const Case cases[] = {
      {"DejaVu Sans", u'A', true},
      {"DejaVu Sans", u'\u03A9', true},   // Greek capital omega
      {"DejaVu Sans", u'\u0378', false},  // unassigned
      {"DejaVu Sans", u'\u4E00', false},  // a CJK ideograph: only other faces have it
      {"DejaVu Sans", u'\u2605', true},   // black star
      {"Liberation Sans", u'\u2605', false},
      {"Liberation Sans", u'\u0416', true},
      // Asked again after another family: no answer is kept for the wrong one.
      {"DejaVu Sans", u'\u2605', true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FontHasCharacter(c.family, c.ch), c.has) << c.family << " " << int(c.ch);
}

// An overlay that lets the mouse through: what lies under it gets the click.
TEST(SymbolGridSupport, AMouseTransparentControlLeavesTheHitToTheOneBelow) {
  Application->Initialize();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 200, 120);
  auto* below = new TPanel(form.get());
  below->SetParent(form.get());
  below->SetBounds(10, 10, 100, 60);
  auto* over = new TPanel(form.get());
  over->SetParent(form.get());
  over->SetBounds(40, 20, 40, 30);
  form->Show();
  QWidget* window = WindowWidgetOf(form.get());
  const QPoint middle = WidgetOf(over)->mapTo(window, QPoint(20, 15));
  for (bool transparent : {false, true}) {
    over->SetMouseTransparent(transparent);
    EXPECT_EQ(window->childAt(middle), transparent ? WidgetOf(below) : WidgetOf(over)) << transparent;
  }
  form->Hide();
}

TEST(SymbolGridSupport, AWindowIsNotMadeSmallerThanItsMinimum) {
  Application->Initialize();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 400, 300);
  form->SetMinimumSize(300, 200);
  form->SetBounds(0, 0, 100, 100);
  EXPECT_GE(form->GetWidth(), 300);
  EXPECT_GE(form->GetHeight(), 200);
}

}  // namespace
