// The table dialogs as a user meets them, kept as pictures
// (support/Screenshots.h); only on a real display.
#include "actions/InsTableVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/TableBrdrVLFrm.h"
#include "platform/gui/ControlsPrivate.h"

#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

template <typename T>
void ShowAndSave(T* d, const char* name, const qytest::TPictureCheck& check) {
  d->Show();
  Settle();
  QWidget* w = WindowWidgetOf(d);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(qytest::KeepScreenshot(w->grab().toImage(), name, check), "");
  d->Hide();
  delete d;
}

TEST(ScreenshotTest, InsertTableDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* d = CreateVLForm<TfrmInsTable>(nullptr);
  d->SetRows(3);
  d->SetColumns(4);
  d->SetTableWidth(-80);
  ShowAndSave(d, "insert-table.png", {300, 250, {}});
}

TEST(ScreenshotTest, TablePropertiesDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  VLRegisterTableItem();
  auto table = TVLTableItemInfo::CreateEx(3, 4, nullptr);
  table->BestWidth = -50;
  table->Color = TColor(0xCCFFFF);
  table->CellPadding = 4;
  table->HeadingRowCount = 1;
  auto* d = CreateVLForm<TfrmVLItemProp>(nullptr);
  d->LoadTable(table.get(), true);
  ShowAndSave(d, "table-properties.png", {400, 380, {0xFFFFCC}});
}

TEST(ScreenshotTest, TableBordersDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* d = CreateVLForm<TfrmVLTableBrdr>(nullptr);
  d->SetFormCaption("Table Border");
  d->SetBorder(vltbRaisedColor, TColor(0xFFCC99), TColor(0x800000), 3);
  ShowAndSave(d, "table-borders.png", {300, 250, {0x000080}});
}

}  // namespace
