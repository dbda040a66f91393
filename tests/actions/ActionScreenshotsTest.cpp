#include "actions/ColorVLFrm.h"
#include "actions/VLActionsFind.h"
#include "platform/gui/ControlsPrivate.h"

#include "EditorBench.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The find and replace dialogs and the colour pop-up, checked and kept
// (support/Screenshots.h). Runs only on a real display; CTest runs it as
// test_actions_screenshots.

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

void Save(QWidget* w, const char* name, const qytest::TPictureCheck& check) {
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(qytest::KeepScreenshot(w->grab().toImage(), name, check), "");
}

TEST(ScreenshotTest, FindAndReplaceDialogs) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "The quick brown fox");
  auto* find = new TvlActionFind(b.Form);
  auto* replace = new TvlActionReplace(b.Form);
  find->SetControl(b.Edit);
  replace->SetControl(b.Edit);
  ASSERT_TRUE(find->Execute());
  find->FindDialog()->FindText = "brown";
  find->FindDialog()->CloseDialog();
  ASSERT_TRUE(find->Execute());
  Settle();
  Save(find->FindDialog()->FWindow->Dialog, "find-dialog.png", {250, 80, {}});
  ASSERT_TRUE(replace->Execute());
  replace->ReplaceDialog()->FindText = "brown";
  replace->ReplaceDialog()->ReplaceText = "red";
  replace->ReplaceDialog()->CloseDialog();
  ASSERT_TRUE(replace->Execute());
  Settle();
  Save(replace->ReplaceDialog()->FWindow->Dialog, "replace-dialog.png", {250, 100, {}});
  replace->ReplaceDialog()->CloseDialog();
}

TEST(ScreenshotTest, ColourPopup) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* popup = new TfrmColor(nullptr);
  popup->DoCreate();
  popup->Init(clWindowText, nullptr, 0x0000FF);
  popup->PopupAtRect(TRect(100, 100, 180, 122));
  Settle();
  // Red and blue of the colour grid.
  Save(WindowWidgetOf(popup), "colour-popup.png", {80, 80, {0xFF0000, 0x0000FF}, 0, false});
  delete popup;
}

}  // namespace
