#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// A form with the standard controls, checked and kept as controls.png
// (support/Screenshots.h). Runs only on a real display; CTest runs it as
// test_platform_gui_screenshots.
TEST(ScreenshotTest, StandardControlsForm) {
  QY_SCREENSHOT_NEEDS_DISPLAY();

  TForm form(nullptr);
  form.SetText("Controls");
  form.SetBounds(40, 40, 760, 560);
  TMainMenu menu(&form);
  for (const char* caption : {"&File", "&Edit", "&View", "&Help"}) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(caption);
    auto* sub = new TMenuItem(nullptr);
    sub->SetCaption("&Open...");
    item->Add(sub);
    menu.Items()->Add(item);
  }
  form.SetMenu(&menu);

  TToolBar bar(&form);
  bar.SetParent(&form);
  for (const char* caption : {"New", "Open", "Save", "-", "Bold"}) {
    auto* b = new TToolButton(&form);
    b->SetParent(&bar);
    if (String(caption) == "-")
      b->SetStyle(tbsSeparator);
    else
      b->SetText(caption);
  }
  TStatusBar status(&form);
  status.SetParent(&form);
  const std::pair<int, const char*> panels[] = {{30, "num"}, {30, "cap"}, {120, "Ready"}, {160, "Save in 5 min"},
                                                {200, "Journal of tester"}, {50, ""}};
  for (auto [w, text] : panels) {
    TStatusPanel* p = status.Panels().Add();
    p->SetWidth(w);
    p->SetText(text);
    p->SetAlignment(taCenter);
  }

  TTreeView tree(&form);
  tree.SetParent(&form);
  tree.SetBounds(0, 0, 180, 100);
  tree.SetAlign(alLeft);
  TTreeNode* root = tree.Items().AddChild(nullptr, "Journal Entries By Date");
  TTreeNode* year = tree.Items().AddChild(root, "2004");
  TTreeNode* month = tree.Items().AddChild(year, "Mar");
  tree.Items().AddChild(month, "Wed, 03");
  tree.Items().AddChild(nullptr, "Topic Journals");
  root->Expand(true);
  TSplitter splitter(&form);
  splitter.SetParent(&form);
  splitter.SetBounds(180, 0, 4, 100);

  TPageControl pages(&form);
  pages.SetParent(&form);
  pages.SetAlign(alClient);
  TTabSheet basic(&form), more(&form);
  basic.SetPageControl(&pages);
  basic.SetText("Standard");
  more.SetPageControl(&pages);
  more.SetText("Dates");

  TLabeledEdit name(&form);
  name.SetParent(&basic);
  name.EditLabel()->SetText("&Journal name:");
  name.SetBounds(12, 28, 180, 23);
  name.SetText("Travel notes");
  TEdit password(&form);
  password.SetParent(&basic);
  password.SetBounds(210, 28, 120, 23);
  password.SetPasswordChar(u'*');
  password.SetText("secret");
  TUpDown upDown(&form);
  upDown.SetParent(&basic);
  TEdit interval(&form);
  interval.SetParent(&basic);
  interval.SetBounds(350, 28, 60, 23);
  upDown.SetMax(60);
  upDown.SetPosition(5);
  upDown.SetAssociate(&interval);

  TMemo memo(&form);
  memo.SetParent(&basic);
  memo.SetBounds(12, 64, 250, 90);
  memo.SetScrollBars(ssVertical);
  memo.SetText("A memo with lines.\r\nSecond line.\r\nThird line.");
  TComboBox combo(&form);
  combo.SetParent(&basic);
  combo.SetBounds(280, 64, 150, 23);
  combo.SetStyle(csDropDownList);
  for (const char* s : {"Daily Journal", "Topic Journal"}) combo.Items().Add(s);
  combo.SetItemIndex(0);
  TListBox list(&form);
  list.SetParent(&basic);
  list.SetBounds(280, 96, 150, 58);
  for (const char* s : {"Work", "Travel", "Reading"}) list.Items().Add(s);
  list.SetItemIndex(1);

  TCheckBox check(&form), grayed(&form);
  check.SetParent(&basic);
  check.SetText("Save window positions");
  check.SetBounds(12, 166, 200, 20);
  check.SetChecked(true);
  grayed.SetParent(&basic);
  grayed.SetText("Mixed selection");
  grayed.SetBounds(12, 190, 200, 20);
  grayed.SetState(cbGrayed);
  TRadioGroup group(&form);
  group.SetParent(&basic);
  group.SetText("Journals");
  group.SetBounds(220, 164, 210, 80);
  group.SetColumns(2);
  for (const char* s : {"Active", "Inactive", "All"}) group.Items().Add(s);
  group.SetItemIndex(0);
  TGroupBox box(&form);
  box.SetParent(&basic);
  box.SetText("Sort Order");
  box.SetBounds(12, 216, 200, 60);
  TRadioButton fwd(&form), back(&form);
  fwd.SetParent(&box);
  fwd.SetText("Forward");
  fwd.SetBounds(10, 24, 90, 20);
  fwd.SetChecked(true);
  back.SetParent(&box);
  back.SetText("Backward");
  back.SetBounds(100, 24, 90, 20);

  TPanel panel(&form);
  panel.SetParent(&basic);
  panel.SetText("Panel caption");
  panel.SetBounds(12, 290, 200, 40);
  TProgressBar progress(&form);
  progress.SetParent(&basic);
  progress.SetBounds(220, 260, 210, 18);
  progress.SetPosition(60);
  TPaintBox paint(&form);
  paint.SetParent(&basic);
  paint.SetBounds(220, 290, 80, 40);
  paint.OnPaint = [&](TObject*) {
    paint.Canvas()->Brush.Color = clTeal;
    paint.Canvas()->Ellipse(0, 0, 80, 40);
  };
  TButton ok(&form), cancel(&form);
  ok.SetParent(&basic);
  ok.SetText("&OK");
  ok.SetDefault(true);
  ok.SetBounds(260, 350, 80, 27);
  cancel.SetParent(&basic);
  cancel.SetText("&Cancel");
  cancel.SetBounds(350, 350, 80, 27);
  TBitBtn help(&form);
  help.SetParent(&basic);
  help.SetKind(bkHelp);
  help.SetBounds(12, 350, 80, 27);

  TMonthCalendar cal(&form);
  cal.SetParent(&more);
  cal.SetDate(38049);
  TSize s = cal.NaturalSize();
  cal.SetBounds(12, 12, s.cx, s.cy);
  TDateTimePicker picker(&form);
  picker.SetParent(&more);
  picker.SetDateFormat(dfLong);
  picker.SetBounds(12, 24 + s.cy, 240, 23);
  picker.SetDate(38049);

  form.Show();
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  // The teal of the painted ellipse.
  EXPECT_EQ(qytest::KeepScreenshot(WindowWidgetOf(&form)->grab().toImage(), "controls.png", {700, 500, {0x008080}}), "");
  form.Hide();
}

}  // namespace

namespace {

// The picture checks themselves: a blank, small or colourless picture is
// refused, whatever window it came from.
TEST(ScreenshotCheckTest, RefusesBlankSmallAndMissingColours) {
  QImage blank(200, 100, QImage::Format_RGB32);
  blank.fill(Qt::white);
  QImage drawn = blank;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 20; ++y) drawn.setPixel(x + 10, y + 10, qRgb(x * 6, 0x80, 0x80 - y));
  QImage lettered = drawn;  // with some dark "text"
  for (int x = 0; x < 30; ++x) lettered.setPixel(x + 100, 50, qRgb(0x20, 0x20, 0x20));
  struct Case {
    const char* what;
    const QImage* image;
    qytest::TPictureCheck check;
    const char* answer;  // the start of what CheckPicture says
  };
  const Case cases[] = {
      {"drawn", &lettered, {100, 50, {0x008080}, 0, true}, ""},
      {"blank", &blank, {100, 50, {}, 6, false}, "blank"},
      {"too small", &drawn, {300, 50, {}, 6, false}, "size 200x100"},
      {"colour missing", &drawn, {100, 50, {0xFF0000}, 6, false}, "colour FF0000 missing"},
      {"no text", &drawn, {100, 50, {}, 6, true}, "no text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string answer = qytest::CheckPicture(*c.image, c.check);
    EXPECT_EQ(answer.substr(0, std::string(c.answer).size()), c.answer);
    EXPECT_EQ(answer.empty(), std::string(c.answer).empty());
  }
}

}  // namespace
