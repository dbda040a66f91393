// The rows of a check-list box tick as a user expects: a click on the box or
// the caption, Space, a double-click as two clicks; where captions are edited
// a click on the caption only selects and a double-click edits.
#include "platform/gui/CheckLst.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <gtest/gtest.h>

namespace {

enum class TAct { ClickCaption, ClickBox, Space, DoubleClickCaption, DoubleClickBox };

QRect BoxRect(QListWidget* l, QListWidgetItem* item) {
  QStyleOptionViewItem opt;
  opt.initFrom(l);
  opt.rect = l->visualItemRect(item);
  opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  opt.text = item->text();
  opt.checkState = item->checkState();
  return l->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, l);
}

void DoubleClick(QWidget* w, QPoint at) {
  QTest::mousePress(w, Qt::LeftButton, {}, at);
  QTest::mouseRelease(w, Qt::LeftButton, {}, at);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
  QApplication::sendEvent(w, &dbl);
  QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

TEST(CheckListBox, RowsTickByMouseAndSpaceAsAUserExpects) {
  const struct {
    TAct act;
    bool editable;
    bool ticked;  // after the act, from unticked
    int checks;   // OnClickCheck calls
    int doubles;  // OnDblClick calls
  } cases[] = {
      {TAct::ClickCaption, false, true, 1, 0},
      {TAct::ClickBox, false, true, 1, 0},
      {TAct::Space, false, true, 1, 0},
      {TAct::DoubleClickCaption, false, false, 2, 1},
      {TAct::DoubleClickBox, false, false, 2, 1},
      {TAct::ClickCaption, true, false, 0, 0},
      {TAct::ClickBox, true, true, 1, 0},
      {TAct::Space, true, true, 1, 0},
      {TAct::DoubleClickCaption, true, false, 0, 1},
      {TAct::DoubleClickBox, true, false, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.act) * 10 + c.editable);
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto* box = new TCheckListBox(&form);
    box->SetParent(&form);
    box->SetBounds(8, 8, 280, 150);
    box->AllowEdit = c.editable;
    // The last row is a command row with no state of its own yet, as the
    // options dialog's "Locate Dictionaries..." row is.
    for (const char* caption : {"American (Łódź)", "British", "Locate Dictionaries…"}) box->Items().Add(caption);
    box->PrepareRows();
    int checks = 0, doubles = 0;
    box->OnClickCheck = [&](TObject*, int) { ++checks; };
    box->OnDblClick = [&](TObject*) { ++doubles; };
    form.Show();
    auto* l = qobject_cast<QListWidget*>(WidgetOf(box));
    ASSERT_NE(l, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(l->window(), 60000));
    for (int row : {0, 2}) {
      checks = doubles = 0;
      QListWidgetItem* item = l->item(row);
      ASSERT_FALSE(box->GetChecked(row));
      const QRect tick = BoxRect(l, item);
      ASSERT_TRUE(tick.isValid()) << "row " << row << " has no box";
      const QPoint onBox = tick.center();
      const QPoint onCaption(tick.right() + 40, tick.center().y());
      switch (c.act) {
        case TAct::ClickCaption: QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, onCaption); break;
        case TAct::ClickBox: QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, onBox); break;
        case TAct::Space:
          box->SetItemIndex(row);
          l->setFocus();
          QTest::keyClick(l, Qt::Key_Space);
          break;
        case TAct::DoubleClickCaption: DoubleClick(l->viewport(), onCaption); break;
        case TAct::DoubleClickBox: DoubleClick(l->viewport(), onBox); break;
      }
      EXPECT_EQ(box->GetChecked(row), c.ticked) << "row " << row;
      EXPECT_EQ(checks, c.checks) << "row " << row;
      EXPECT_EQ(doubles, c.doubles) << "row " << row;
      box->SetChecked(row, false);
    }
  }
}

}  // namespace
