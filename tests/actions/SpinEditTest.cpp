#include "actions/VLSpinEdit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ControlsPrivate.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

// Reaches the edit's key, wheel and focus phases as the toolkit does.
class TProbeSpin : public TVLSpinEdit {
public:
  using TVLSpinEdit::TVLSpinEdit;
  bool Press(char16_t ch) { return DoKeyPress(ch) || ch == 0; }
  void Key(Word key, TShiftState shift = {}) { DoKeyDown(key, shift); }
  void Wheel(int delta) { DoMouseWheel({}, delta, TPoint(0, 0)); }
  void Leave() { DoExit(); }
};

struct TSpinBench {
  TSpinBench() {
    Application->Initialize();
    Form = new TForm(Application);
    Spin = new TProbeSpin(Form);
    Spin->SetParent(Form);
  }
  ~TSpinBench() { delete Form; }
  TForm* Form;
  TProbeSpin* Spin;
};

TEST(SpinEditTest, LeavingTheFieldClampsRoundsOrKeepsItEmpty) {
  struct Case {
    double min, max;
    bool integer;
    const char* typed;
    double read;     // Value while focused
    const char* shown;  // text after leaving
  };
  const Case cases[] = {
      {1, 100, true, "250", 250, "100"}, {1, 100, true, "0", 0, "1"},     {1, 100, true, "", 1, ""},
      {0, 1000, true, "2.5", 2.5, "2"},  {0, 1000, true, "3.5", 3.5, "4"}, {1, 100, true, "abc", 1, "abc"},
      {0, 0, true, "-5000", -5000, "-5000"}, {0, 10, false, "2.25", 2.25, "2.25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TSpinBench b;
    b.Spin->MinValue = c.min;
    b.Spin->MaxValue = c.max;
    b.Spin->IntegerValue = c.integer;
    b.Spin->SetText(c.typed);
    EXPECT_DOUBLE_EQ(b.Spin->GetValue(), c.read);
    b.Spin->Leave();
    EXPECT_EQ(b.Spin->GetText(), c.shown);
    EXPECT_EQ(b.Spin->GetIndeterminate(), std::string(c.shown).empty());
  }
}

TEST(SpinEditTest, KeysStepAndTypingIsFiltered) {
  TSpinBench b;
  TProbeSpin& s = *b.Spin;
  s.SetValue(2);
  s.Increment = 0.5;
  s.Key(VK_UP);
  EXPECT_EQ(s.GetText(), "2");  // 2.5 rounds to the even 2
  s.SetValue(3);
  s.Key(VK_UP);
  EXPECT_EQ(s.GetText(), "4");
  s.IntegerValue = false;
  s.Key(VK_PRIOR);
  EXPECT_EQ(s.GetText(), "9");
  s.Wheel(-120);
  EXPECT_EQ(s.GetText(), "8.5");

  struct Case {
    char16_t ch;
    bool integer, editorEnabled, accepted;
  };
  const Case cases[] = {
      {u'5', true, true, true},  {u'-', true, true, true}, {u'+', true, true, true},
      {u'.', true, true, false}, {u'.', false, true, true}, {u'a', true, true, false},
      {8, true, true, true},    {u'5', true, false, false},
      {8, true, false, false},
  };
  for (const Case& c : cases) {
    s.IntegerValue = c.integer;
    s.EditorEnabled = c.editorEnabled;
    const int beeps = BeepCount;
    EXPECT_EQ(s.IsValidChar(c.ch), c.accepted) << int(c.ch);
    EXPECT_EQ(s.Press(c.ch), !c.accepted);
    EXPECT_EQ(BeepCount - beeps, c.accepted ? 0 : 1);
  }
  // Return is no character of a number, yet passes on silently.
  EXPECT_FALSE(s.IsValidChar(13));
  const int beeps = BeepCount;
  EXPECT_FALSE(s.Press(13));
  EXPECT_EQ(BeepCount, beeps);
}

TEST(SpinEditTest, ReturnInTheFieldPressesTheDialogsDefaultButton) {
  TSpinBench b;
  auto* ok = new TButton(b.Form);
  ok->SetParent(b.Form);
  ok->Default = true;
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  b.Form->Show();
  b.Spin->SetFocus();
  QWidget* w = WidgetOf(b.Spin);
  ASSERT_NE(w, nullptr);
  QTest::keyClick(w, Qt::Key_Return);
  EXPECT_EQ(clicks, 1);
  b.Form->Hide();
}

TEST(SpinEditTest, ReadOnlyBeepsOnStepsButIgnoresTheWheel) {
  TSpinBench b;
  TProbeSpin& s = *b.Spin;
  s.SetValue(5);
  s.SetReadOnly(true);
  const int beeps = BeepCount;
  for (Word key : {VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT}) s.Key(key);
  s.UpDown()->Press(btNext);
  EXPECT_EQ(BeepCount - beeps, 5);
  s.Wheel(120);
  EXPECT_EQ(BeepCount - beeps, 5);
  EXPECT_EQ(s.GetText(), "5");
  s.SetReadOnly(false);
  s.UpDown()->Press(btNext);
  s.UpDown()->Press(btNext);
  EXPECT_EQ(s.GetText(), "7");
  EXPECT_EQ(s.UpDown()->GetPosition(), 0);  // the arrows never reach a limit
}

TEST(SpinEditTest, IndeterminateEmptiesAndFillsWithTheClampedZero) {
  TSpinBench b;
  TProbeSpin& s = *b.Spin;
  s.MinValue = 1;
  s.MaxValue = 100;
  s.SetIndeterminate(true);
  EXPECT_EQ(s.GetText(), "");
  EXPECT_TRUE(s.GetIndeterminate());
  s.Key(VK_UP);  // a step from empty starts at the clamped zero
  EXPECT_EQ(s.GetText(), "2");
  s.SetIndeterminate(true);
  s.SetIndeterminate(false);
  EXPECT_EQ(s.GetText(), "1");
  s.SetText("  \t");
  EXPECT_TRUE(s.GetIndeterminate());
  s.SetText("2.5");
  EXPECT_EQ(s.AsInteger(), 2);
  s.SetText("1e30");
  EXPECT_EQ(s.CheckValue(1e30), 1);  // beyond 64 bits: the clamped zero
}

TEST(SpinEditTest, HeightFollowsTheFontAndTheArrowsFollowTheReadingOrder) {
  TSpinBench b;
  TProbeSpin& s = *b.Spin;
  auto charHeight = [](const TFont& f) {
    TBitmap bmp(1, 1);
    bmp.Canvas()->Font.Assign(f);
    TTextMetric tm;
    bmp.Canvas()->GetTextMetrics(tm);
    return tm.tmHeight;
  };
  TFont system;
  GetSystemFont(system);
  for (Integer pixels : {8, 11, 30}) {
    SCOPED_TRACE(pixels);
    s.Font.SetHeight(-pixels);
    const Integer h = charHeight(s.Font);
    EXPECT_EQ(s.MinHeight(), h + std::min(h, charHeight(system)) / 4 + 4 + 2);
    s.SetBounds(5, 5, 80, 1);
    EXPECT_EQ(s.GetHeight(), s.MinHeight());
    s.SetBounds(5, 5, 80, s.MinHeight() + 10);
    EXPECT_EQ(s.GetHeight(), s.MinHeight() + 10);
  }
  const Integer w = s.UpDown()->GetWidth(), cw = s.ClientWidth(), ch = s.ClientHeight();
  struct Case {
    TBiDiMode mode;
    Integer arrowsLeft;
    TRect text;
  };
  const Case cases[] = {
      {bdLeftToRight, 80 - w, TRect(0, 0, cw - w - 2, ch + 1)},
      {bdRightToLeft, 0, TRect(w + 2, 0, cw + 1, ch + 1)},
      {bdRightToLeftNoAlign, 0, TRect(w + 2, 0, cw + 1, ch + 1)},
      {bdRightToLeftReadingOnly, 80 - w, TRect(0, 0, cw - w - 2, ch + 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    s.SetBiDiMode(c.mode);
    EXPECT_EQ(s.UpDown()->GetLeft(), c.arrowsLeft);
    EXPECT_EQ(s.UpDown()->GetHeight(), s.GetHeight());
    const TRect r = s.GetEditRect();
    EXPECT_EQ(r.Left, c.text.Left);
    EXPECT_EQ(r.Right, c.text.Right);
    EXPECT_EQ(r.Bottom, c.text.Bottom);
  }
}

}  // namespace
