#include "platform/base/DateTime.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/StdCtrls.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QTabBar>
#include <QTabWidget>
#include <QInputMethodEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(AlignTest, AlignedControlsShareTheClientAreaInOrder) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  struct Case {
    TAlign align;
    int size;
    TRect expected;
  };
  // Top 30, bottom 20, left 50, right 60, and the client gets the rest.
  const Case cases[] = {
      {alTop, 30, Rect(0, 0, 400, 30)},       {alBottom, 20, Rect(0, 280, 400, 300)},
      {alLeft, 50, Rect(0, 30, 50, 280)},     {alRight, 60, Rect(340, 30, 400, 280)},
      {alClient, 0, Rect(50, 30, 340, 280)},
  };
  std::vector<TPanel*> panels;
  for (const Case& c : cases) {
    auto* p = new TPanel(&form);
    p->SetBounds(0, 0, c.size, c.size);
    p->SetParent(&form);
    p->SetAlign(c.align);
    panels.push_back(p);
  }
  ASSERT_EQ(form.ClientWidth(), 400);
  for (size_t i = 0; i < panels.size(); ++i) EXPECT_EQ(panels[i]->BoundsRect(), cases[i].expected) << i;

  // A hidden panel gives its room back; a resized form re-aligns.
  panels[0]->SetVisible(false);
  EXPECT_EQ(panels[4]->BoundsRect(), Rect(50, 0, 340, 280));
  form.SetBounds(0, 0, 500, 300);
  EXPECT_EQ(panels[3]->BoundsRect(), Rect(440, 0, 500, 280));
}

TEST(ComboBoxTest, SortedItemsKeepTheirObjectsAndIgnoreCase) {
  TForm form(nullptr);
  TComboBox combo(&form);
  combo.SetParent(&form);
  combo.SetSorted(true);
  TObject a, b, c, d;
  combo.Items().AddObject("banana", &a);
  combo.Items().AddObject("Apple", &b);
  combo.Items().AddObject("cherry", &c);
  combo.Items().AddObject("apricot", &d);
  EXPECT_EQ(combo.Items().ToVector(), (std::vector<String>{"Apple", "apricot", "banana", "cherry"}));
  EXPECT_EQ(combo.Items().Objects(0), &b);
  EXPECT_EQ(combo.Items().Objects(3), &c);
  EXPECT_EQ(combo.GetItemIndex(), -1);
  EXPECT_EQ(combo.GetText(), "");
  combo.SetItemIndex(2);
  EXPECT_EQ(combo.GetText(), "banana");
  combo.SetText("typed");  // an editable combo keeps free text
  EXPECT_EQ(combo.GetItemIndex(), -1);
  EXPECT_EQ(combo.GetText(), "typed");
  combo.SetStyle(csDropDownList);
  combo.SetText("cherry");
  EXPECT_EQ(combo.GetItemIndex(), 3);
  EXPECT_THROW(combo.Items().Objects(4), EStringListError);
}

TEST(ListBoxTest, MultiSelectionAndIndex) {
  TForm form(nullptr);
  TListBox list(&form);
  list.SetParent(&form);
  for (const char* s : {"one", "two", "three"}) list.Items().Add(s);
  list.SetMultiSelect(true);
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  EXPECT_EQ(list.SelCount(), 2);
  EXPECT_TRUE(list.GetSelected(2));
  EXPECT_FALSE(list.GetSelected(1));
  list.Items().Delete(0);
  EXPECT_EQ(list.SelCount(), 1);
  EXPECT_TRUE(list.GetSelected(1));
}

TEST(MemoTest, LinesTextAndMaxLength) {
  TForm form(nullptr);
  TMemo memo(&form);
  memo.SetParent(&form);
  EXPECT_EQ(memo.Lines().Count(), 0);
  memo.SetText("first\r\nsecond\rthird\n");
  EXPECT_EQ(memo.Lines().ToVector(), (std::vector<String>{"first", "second", "third"}));
  memo.Lines().Insert(1, "inserted");
  memo.Lines().Delete(0);
  EXPECT_EQ(memo.GetText(), "inserted\r\nsecond\r\nthird");
  int changes = 0;
  memo.OnChange = [&](TObject*) { ++changes; };
  memo.SetMaxLength(10);  // what does not fit goes; a line break counts two
  EXPECT_EQ(memo.GetText().size(), 10u);
  EXPECT_EQ(memo.GetText(), "inserted\r\n");
  memo.Clear();
  EXPECT_GT(changes, 0);
  EXPECT_EQ(memo.Lines().Count(), 0);
}

TEST(CheckBoxTest, GrayedFromCodeNeverComesBackByClicking) {
  TForm form(nullptr);
  TCheckBox box(&form);
  box.SetParent(&form);
  int clicks = 0;
  box.OnClick = [&](TObject*) { ++clicks; };
  box.SetState(cbGrayed);
  EXPECT_EQ(box.GetState(), cbGrayed);
  auto* qbox = static_cast<QCheckBox*>(WidgetOf(&box));
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 4; ++i) {
    qbox->click();
    seen.push_back(box.GetState());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbChecked, cbUnchecked}));
  EXPECT_EQ(clicks, 5);
  box.SetAllowGrayed(true);
  qbox->click();
  EXPECT_EQ(box.GetState(), cbGrayed);
  qbox->click();
  EXPECT_EQ(box.GetState(), cbChecked);
}

TEST(RadioGroupTest, ItemIndexFollowsTheButtons) {
  TForm form(nullptr);
  TRadioGroup group(&form);
  group.SetParent(&form);
  group.SetBounds(0, 0, 200, 120);
  group.SetColumns(2);
  for (const char* s : {"Active", "Inactive", "All"}) group.Items().Add(s);
  int clicks = 0;
  group.OnClick = [&](TObject*) { ++clicks; };
  group.SetItemIndex(1);
  EXPECT_TRUE(group.Buttons(1)->GetChecked());
  EXPECT_EQ(clicks, 0);  // set from code
  static_cast<QAbstractButton*>(WidgetOf(group.Buttons(2)))->click();
  EXPECT_EQ(group.GetItemIndex(), 2);
  EXPECT_FALSE(group.Buttons(1)->GetChecked());
  EXPECT_EQ(clicks, 1);
  EXPECT_GT(group.Buttons(2)->GetLeft(), group.Buttons(0)->GetLeft());  // second column
  group.SetItemIndex(-1);
  EXPECT_FALSE(group.Buttons(2)->GetChecked());
}

TEST(TreeViewTest, NodesKeepTheirTypedDataAndOrder) {
  struct TNodeData {
    int Kind;
    int64_t Id;
  };
  TForm form(nullptr);
  TTreeView tree(&form);
  tree.SetParent(&form);
  TTreeNodes& items = tree.Items();
  TTreeNode* years = items.AddChildObject(nullptr, "Journal Entries By Date", TNodeData{0, 0});
  TTreeNode* y2004 = items.AddChildObject(years, "2004", TNodeData{1, 2004});
  TTreeNode* y2003 = items.InsertObject(y2004, "2003", TNodeData{1, 2003});
  TTreeNode* mar = items.AddChildObject(y2004, "Mar", TNodeData{2, 3});
  TTreeNode* leaf = items.AddChildObject(mar, "3", TNodeData{5, 777});
  TTreeNode* topics = items.Add(years, "Topic Journals");
  ASSERT_NE(leaf->DataAs<TNodeData>(), nullptr);
  EXPECT_EQ(leaf->DataAs<TNodeData>()->Id, 777);
  EXPECT_EQ(leaf->DataAs<int>(), nullptr);  // the type is checked
  EXPECT_FALSE(topics->Data.has_value());
  EXPECT_EQ(y2003->GetNextSibling(), y2004);
  EXPECT_EQ(years->Count(), 2);
  EXPECT_EQ(leaf->Level(), 3);
  EXPECT_EQ(y2004->Index(), 1);
  EXPECT_EQ(items.Count(), 6);
  std::vector<String> order;
  for (TTreeNode* n = items.GetFirstNode(); n; n = n->GetNext()) order.push_back(n->GetText());
  EXPECT_EQ(order, (std::vector<String>{"Journal Entries By Date", "2003", "2004", "Mar", "3", "Topic Journals"}));
  EXPECT_EQ(leaf->AbsoluteIndex(), 4);
  EXPECT_EQ(items.Item(4), leaf);

  std::vector<String> changes;
  tree.OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n ? n->GetText() : "-"); };
  tree.SetSelected(leaf);
  EXPECT_EQ(tree.GetSelected(), leaf);
  years->Expand(false);
  EXPECT_TRUE(years->GetExpanded());
  EXPECT_FALSE(mar->GetExpanded());
  years->Expand(true);
  EXPECT_TRUE(mar->GetExpanded());

  std::vector<String> deleted;
  tree.OnDeletion = [&](TObject*, TTreeNode* n) { deleted.push_back(n->GetText()); };
  y2004->Delete();  // with its subtree
  EXPECT_EQ(deleted, (std::vector<String>{"3", "Mar", "2004"}));
  EXPECT_EQ(items.Count(), 3);
  EXPECT_EQ(changes.front(), "3");
  EXPECT_EQ(tree.GetSelected(), y2003);  // the selection moved on, not dangling
  EXPECT_EQ(changes.back(), "2003");
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(tree.GetSelected(), nullptr);
}

TEST(StatusBarTest, PanelsTakeTheirWidthsAndTheLastTheRest) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 600, 200);
  TStatusBar bar(&form);
  bar.SetParent(&form);
  for (int w : {30, 30, 120}) bar.Panels().Add()->SetWidth(w);
  bar.Panels()[1]->SetText("cap");
  EXPECT_EQ(bar.GetWidth(), 600);
  EXPECT_EQ(bar.PanelRect(1).Left, 30);
  EXPECT_EQ(bar.PanelRect(2).Right, 598);
  EXPECT_EQ(bar.Panels()[1]->GetText(), "cap");
}

TEST(UpDownTest, PositionStaysInRangeAndShowsInTheEdit) {
  TForm form(nullptr);
  TEdit edit(&form);
  edit.SetParent(&form);
  edit.SetBounds(10, 10, 60, 21);
  TUpDown ud(&form);
  ud.SetParent(&form);
  ud.SetMin(1);
  ud.SetMax(1200);
  ud.SetPosition(999);
  ud.SetAssociate(&edit);
  EXPECT_EQ(edit.GetText(), "999");
  EXPECT_EQ(ud.GetLeft(), edit.GetLeft() + edit.GetWidth());
  std::vector<int> clicks;
  ud.OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b == btNext ? 1 : -1); };
  ud.Press(btNext);
  EXPECT_EQ(edit.GetText(), "1,000");
  ud.SetPosition(5000);
  EXPECT_EQ(ud.GetPosition(), 1200);
  ud.Press(btNext);
  EXPECT_EQ(ud.GetPosition(), 1200);
  ud.Wrap = true;
  ud.Press(btNext);
  EXPECT_EQ(ud.GetPosition(), 1);
  EXPECT_EQ(clicks, (std::vector<int>{1, 1, 1}));
}

TEST(PageControlTest, SheetsTabsAndHiddenTabs) {
  TForm form(nullptr);
  TPageControl pages(&form);
  pages.SetParent(&form);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"General", "Saving", "StartUp"}) {
    auto* s = new TTabSheet(&form);
    s->SetPageControl(&pages);
    s->SetText(caption);
    sheets.push_back(s);
  }
  EXPECT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(sheets[2]->PageIndex(), 2);
  int changes = 0;
  pages.OnChange = [&](TObject*) { ++changes; };
  pages.SetActivePage(sheets[1]);
  EXPECT_EQ(pages.GetActivePageIndex(), 1);
  EXPECT_EQ(changes, 0);  // from code
  sheets[2]->SetTabVisible(false);
  pages.SelectNextPage(true);
  EXPECT_EQ(pages.GetActivePage(), sheets[0]);  // the hidden one is skipped
  EXPECT_EQ(changes, 1);
}

TEST(PageControlTest, TabsWidthHoldsEveryCaptionWhole) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 800, 300);
  TPageControl pages(&form);
  pages.SetParent(&form);
  pages.SetBounds(0, 0, 150, 200);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"Add&ed Words", "A&uto-Correct Pairs", "&Excluded Words"}) {
    auto* s = new TTabSheet(&form);
    s->SetPageControl(&pages);
    s->SetText(caption);
    sheets.push_back(s);
  }
  form.Show();
  const int all = pages.TabsWidth();
  EXPECT_GT(all, 150);  // more than the control has: the captions were cut
  pages.SetWidth(all + 16);
  QCoreApplication::processEvents();
  QTabBar* bar = static_cast<QTabWidget*>(WidgetOf(&pages))->tabBar();
  for (int i = 0; i < bar->count(); ++i) {
    const QString text = bar->tabText(i).remove('&');
    EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(text)) << i;
    EXPECT_LE(bar->tabRect(i).right(), bar->width()) << i;
  }
  sheets[2]->SetTabVisible(false);
  EXPECT_LT(pages.TabsWidth(), all);
}

TEST(ProgressBarTest, StepItWrapsAndPositionClamps) {
  TForm form(nullptr);
  TProgressBar bar(&form);
  bar.SetParent(&form);
  bar.SetMax(25);
  bar.SetOrientation(pbVertical);
  bar.SetPosition(20);
  bar.StepIt();
  EXPECT_EQ(bar.GetPosition(), 5);
  bar.SetPosition(99);
  EXPECT_EQ(bar.GetPosition(), 25);
}

TEST(DatePickerTest, DateRoundTripAndChangeFromCode) {
  TForm form(nullptr);
  TDateTimePicker picker(&form);
  picker.SetParent(&form);
  int changes = 0;
  picker.OnChange = [&](TObject*) { ++changes; };
  picker.SetDate(38049);  // 2004-03-03
  EXPECT_EQ(picker.GetDate(), 38049);
  EXPECT_EQ(changes, 1);
  picker.SetDateFormat(dfLong);
  TMonthCalendar cal(&form);
  cal.SetDate(38049.75);
  EXPECT_EQ(cal.GetDate(), 38049);
  struct Case {
    const char* design;
    const char* qt;
  };
  for (const Case& c : {Case{"dddd, mmmm d, yyyy", "dddd, MMMM d, yyyy"}, Case{"m/d/yyyy", "M/d/yyyy"},
                        Case{"h:nn AMPM", "h:mm AP"}, Case{"d 'of' mmm", "d 'of' MMM"}})
    EXPECT_EQ(QtDateFormat(c.design), c.qt) << c.design;
}

// A new picker and calendar start on today by the program's clock.
TEST(DatePickerTest, NewDateControlsStartOnTheClocksToday) {
  TFixedClock clock(0);
  clock.SetLocal(EncodeDateTime(2031, 5, 6, 23, 30, 0, 0));
  TForm form(nullptr);
  TDateTimePicker picker(&form);
  TMonthCalendar cal(&form);
  EXPECT_EQ(picker.GetDate(), EncodeDate(2031, 5, 6));
  EXPECT_EQ(cal.GetDate(), EncodeDate(2031, 5, 6));
}

TEST(PaintBoxTest, OnPaintDrawsOnTheCanvas) {
  TForm form(nullptr);
  TPaintBox box(&form);
  box.SetParent(&form);
  box.SetBounds(0, 0, 40, 30);
  box.OnPaint = [&](TObject*) {
    box.Canvas()->Brush.Color = clRed;
    box.Canvas()->FillRect(Rect(0, 0, 40, 30));
  };
  QImage image = WidgetOf(&box)->grab().toImage();
  EXPECT_EQ(image.pixelColor(20, 15), QColor(255, 0, 0));
}

TEST(CustomControlTest, ScrollBarsFollowTheInfoAndReportCodes) {
  TForm form(nullptr);
  TCustomControl view(&form);
  view.SetParent(&form);
  view.SetBounds(0, 0, 200, 100);
  std::vector<std::pair<int, int>> seen;
  view.SetMessageHandler(WM_VSCROLL, [&](TMessage& m) { seen.push_back({static_cast<int>(m.WParam), static_cast<int>(m.LParam)}); });
  TScrollInfo info;
  info.Max = 99;
  info.Page = 10;
  info.Pos = 95;
  view.SetScrollInfo(sbVertical, info);
  EXPECT_TRUE(view.ScrollBarVisible(sbVertical));
  EXPECT_EQ(view.GetScrollPos(sbVertical), 90);  // Max - Page + 1
  EXPECT_LT(view.ClientWidth(), 200);
  auto* bar = WidgetOf(&view)->findChild<QAbstractSlider*>();
  ASSERT_NE(bar, nullptr);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{scPageUp, 80}}));
  info.Page = 200;  // the page holds everything: no bar
  view.SetScrollInfo(sbVertical, info);
  EXPECT_FALSE(view.ScrollBarVisible(sbVertical));
  EXPECT_EQ(view.ClientWidth(), 200);

  view.CreateCaret(1, 14);
  view.SetCaretPos(5, 6);
  view.ShowCaret();
  EXPECT_TRUE(view.CaretVisible());
  EXPECT_EQ(view.GetCaretPos(), Point(5, 6));
  view.DestroyCaret();
  EXPECT_FALSE(view.CaretVisible());
}

TEST(KeyMapTest, QtKeysMapToVirtualKeys) {
  const std::pair<int, Word> cases[] = {
      {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},       {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},
      {Qt::Key_Shift, 16},    {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27}, {Qt::Key_Space, 32},
      {Qt::Key_Left, 37},     {Qt::Key_Delete, 46},   {Qt::Key_A, 'A'},     {Qt::Key_Z, 'Z'},
      {Qt::Key_0, '0'},       {Qt::Key_F1, VK_F1},    {Qt::Key_F12, VK_F12}, {Qt::Key_NumLock, 144},
  };
  for (auto [qt, vk] : cases) {
    EXPECT_EQ(VirtualKeyFromQtKey(qt), vk) << qt;
    if (qt != Qt::Key_Enter) {
      EXPECT_EQ(QtKeyFromVirtualKey(vk), qt) << vk;
    }
  }
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_unknown), 0);
}

TEST(MouseTest, DoubleClickArrivesAsDownWithDoubleThenDblClick) {
  TForm form(nullptr);
  TPaintBox box(&form);
  box.SetParent(&form);
  box.SetBounds(0, 0, 50, 50);
  std::vector<String> log;
  box.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back(String("down") + (s.Contains(ssDouble) ? "+double" : "") + " " + std::to_string(x) + "," +
                  std::to_string(y));
  };
  box.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
  box.OnClick = [&](TObject*) { log.push_back("click"); };
  box.OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
  auto send = [&](QEvent::Type t) {
    QMouseEvent e(t, QPointF(7, 9), QPointF(7, 9), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(WidgetOf(&box), &e);
  };
  send(QEvent::MouseButtonPress);
  send(QEvent::MouseButtonRelease);
  send(QEvent::MouseButtonDblClick);
  send(QEvent::MouseButtonRelease);
  EXPECT_EQ(log, (std::vector<String>{"down 7,9", "up", "click", "dblclick", "down+double 7,9", "up", "click"}));
}

// A control takes over a press whose own control went (a cell editor closed
// by the drag begun in it): the mouse is its own until the release, or
// until a move shows the button up (the release went to a dialog).
TEST(MouseTest, APressTakenOverEndsWithTheReleaseOrAMoveWithoutTheButton) {
  for (const bool released : {true, false}) {
    SCOPED_TRACE(released ? "released" : "a move without the button");
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    TPanel host(&form);
    host.SetParent(&form);
    host.SetBounds(0, 0, 200, 100);
    std::vector<String> log;
    host.OnMouseMove = [&](TObject*, TShiftState s, int, int) { log.push_back(s.Contains(ssLeft) ? "drag" : "move"); };
    host.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    TPanel hidden(&form);
    hidden.SetParent(&form);
    hidden.Hide();
    form.Show();
    hidden.TakeOverMousePress();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "a hidden control took the mouse";
    host.TakeOverMousePress();
    EXPECT_EQ(QWidget::mouseGrabber(), WidgetOf(&host));
    EXPECT_TRUE(host.HoldsMousePress());
    auto send = [&](QEvent::Type t, Qt::MouseButtons buttons) {
      QMouseEvent e(t, QPointF(5, 5), WidgetOf(&host)->mapToGlobal(QPointF(5, 5)),
                    t == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
      QCoreApplication::sendEvent(WidgetOf(&host), &e);
    };
    send(QEvent::MouseMove, Qt::LeftButton);
    EXPECT_EQ(QWidget::mouseGrabber(), WidgetOf(&host));
    if (released)
      send(QEvent::MouseButtonRelease, Qt::NoButton);
    else
      send(QEvent::MouseMove, Qt::NoButton);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_FALSE(host.HoldsMousePress());
    EXPECT_EQ(log, (std::vector<String>{"drag", released ? "up" : "move"}));
    form.Hide();
  }
}

}  // namespace

namespace {

TEST(ImageTest, DestinationRectangleFollowsStretchCenterAndProportional) {
  TForm form(nullptr);
  TImage image(&form);
  image.SetParent(&form);
  image.SetBounds(0, 0, 100, 50);
  TBitmap bmp(40, 40);
  image.Picture().SetGraphic(&bmp);
  struct Case {
    bool stretch, center, proportional;
    TRect expected;
  };
  const Case cases[] = {
      {false, false, false, Rect(0, 0, 40, 40)},
      {false, true, false, Rect(30, 5, 70, 45)},
      {true, false, false, Rect(0, 0, 100, 50)},
      {true, false, true, Rect(0, 0, 50, 50)},
      {true, true, true, Rect(25, 0, 75, 50)},
  };
  for (const Case& c : cases) {
    image.SetStretch(c.stretch);
    image.SetCenter(c.center);
    image.SetProportional(c.proportional);
    EXPECT_EQ(image.DestRect(), c.expected) << c.stretch << c.center << c.proportional;
  }
}

TEST(InputMethodTest, PreeditAndCommitReachTheControl) {
  TForm form(nullptr);
  TCustomControl editor(&form);
  editor.SetParent(&form);
  editor.SetInputMethodEnabled(true);
  std::vector<std::u16string> log;
  editor.OnImePreedit = [&](TObject*, const WideString& text, int) { log.push_back(u"pre:" + text); };
  editor.OnImeCommit = [&](TObject*, const WideString& text) { log.push_back(u"commit:" + text); };
  QInputMethodEvent compose(QString::fromUtf16(u"\u306b"), {});
  QCoreApplication::sendEvent(WidgetOf(&editor), &compose);
  QInputMethodEvent done;
  done.setCommitString(QString::fromUtf16(u"\u65e5\u672c"));
  QCoreApplication::sendEvent(WidgetOf(&editor), &done);
  EXPECT_EQ(log, (std::vector<std::u16string>{u"pre:\u306b", u"commit:\u65e5\u672c", u"pre:"}));
  editor.CreateCaret(1, 16);
  editor.SetCaretPos(12, 4);
  EXPECT_EQ(WidgetOf(&editor)->inputMethodQuery(Qt::ImCursorRectangle).toRect(), QRect(12, 4, 1, 16));
}

TEST(BitBtnTest, KindsSetCaptionResultAndRole) {
  TForm form(nullptr);
  TBitBtn b(&form);
  b.SetParent(&form);
  b.SetKind(bkCancel);
  EXPECT_EQ(b.GetText(), "Cancel");
  EXPECT_EQ(b.ModalResult, mrCancel);
  EXPECT_TRUE(b.Cancel);
  b.SetKind(bkYes);
  EXPECT_EQ(b.ModalResult, mrYes);
  EXPECT_TRUE(b.Default);
}

}  // namespace

namespace {

TEST(SplitterTest, DraggingResizesTheNeighbourAndKeepsTheMinimum) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 200);
  TPanel left(&form);
  left.SetParent(&form);
  left.SetBounds(0, 0, 100, 200);
  left.SetAlign(alLeft);
  TSplitter splitter(&form);
  splitter.SetParent(&form);
  splitter.SetBounds(100, 0, 4, 200);
  TPanel rest(&form);
  rest.SetParent(&form);
  rest.SetAlign(alClient);
  form.Show();
  ASSERT_EQ(splitter.FindControl(), &left);
  int moved = 0;
  splitter.OnMoved = [&](TObject*) { ++moved; };
  auto mouse = [&](QEvent::Type t, int x) {
    QPointF local(x, 10);
    QMouseEvent e(t, local, WidgetOf(&splitter)->mapToGlobal(local), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(WidgetOf(&splitter), &e);
  };
  mouse(QEvent::MouseButtonPress, 1);
  mouse(QEvent::MouseMove, 51);
  EXPECT_EQ(left.GetWidth(), 150);
  EXPECT_EQ(splitter.GetLeft(), 150);
  EXPECT_EQ(rest.GetLeft(), 154);
  mouse(QEvent::MouseMove, -300);  // not below the minimum
  EXPECT_EQ(left.GetWidth(), splitter.MinSize);
  mouse(QEvent::MouseButtonRelease, -300);
  EXPECT_EQ(moved, 1);
  form.Hide();
}

TEST(ScrollBoxTest, SurfaceGrowsToHoldTheChildren) {
  TForm form(nullptr);
  TScrollBox box(&form);
  box.SetParent(&form);
  box.SetBounds(0, 0, 100, 80);
  TPanel far(&form);
  far.SetParent(&box);
  far.SetBounds(300, 400, 50, 50);
  EXPECT_GE(ClientWidgetOf(&box)->width(), 350);
  EXPECT_GE(ClientWidgetOf(&box)->height(), 450);
}

}  // namespace

namespace {

TEST(OwnerDrawTest, ListItemsArePaintedByTheHandler) {
  TForm form(nullptr);
  TListBox list(&form);
  list.SetParent(&form);
  list.SetBounds(0, 0, 120, 100);
  list.SetItemHeight(20);
  list.SetOwnerDraw(true);
  for (const char* s : {"1 pt", "2 pt", "3 pt"}) list.Items().Add(s);
  list.SetItemIndex(1);
  std::vector<std::pair<int, bool>> drawn;
  list.OnDrawItem = [&](TWinControl*, int index, const TRect& r, TOwnerDrawState state) {
    drawn.push_back({index, state.Contains(odSelected)});
    list.Canvas()->Brush.Color = state.Contains(odSelected) ? clNavy : clWhite;
    list.Canvas()->FillRect(r);
    list.Canvas()->Pen.Width = index + 1;
    list.Canvas()->MoveTo(r.Left + 4, (r.Top + r.Bottom) / 2);
    list.Canvas()->LineTo(r.Right - 4, (r.Top + r.Bottom) / 2);
  };
  QImage shot = WidgetOf(&list)->grab().toImage();
  ASSERT_GE(drawn.size(), 3u);
  std::sort(drawn.begin(), drawn.end());
  drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
  EXPECT_EQ(drawn, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}, {2, false}}));
  EXPECT_EQ(list.ItemRect(1).Height(), 20);
  TRect second = list.ItemRect(1);
  EXPECT_EQ(shot.pixelColor(second.Left + 2, second.Top + 2), QColor(0, 0, 128));
}

TEST(FontColourTest, DisabledControlsKeepTheDimmedText) {
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  auto* check = new TCheckBox(&form);
  auto* radio = new TRadioButton(&form);
  auto* edit = new TEdit(&form);
  int n = 0;
  for (TControl* c : std::initializer_list<TControl*>{label, check, radio, edit}) {
    SCOPED_TRACE(n++);
    c->SetParent(&form);
    for (TColor colour : {clWindowText, clBlack, clNavy}) {
      c->Font.SetColor(colour);
      c->Font.SetName("DejaVu Sans");
      c->SetEnabled(false);
      const QPalette pal = WidgetOf(c)->palette();
      for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        EXPECT_EQ(pal.color(QPalette::Active, role), QColor(QColorOf(colour))) << role;
        EXPECT_NE(pal.color(QPalette::Disabled, role), pal.color(QPalette::Active, role)) << role;
      }
    }
  }
}

}  // namespace
