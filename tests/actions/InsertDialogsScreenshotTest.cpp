#include "actions/HypVLFrm.h"
#include "platform/gui/ControlsPrivate.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The insert and link dialogs, shown modeless, checked and kept
// (support/Screenshots.h); runs as test_actions_screenshots.

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

void Keep(TCustomForm* form, const char* name, const qytest::TPictureCheck& check) {
  form->Show();
  Settle();
  EXPECT_EQ(qytest::KeepScreenshot(WindowWidgetOf(form)->grab().toImage(), name, check), "");
  form->Hide();
}

TEST(InsertScreenshotTest, HyperlinkDialogs) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  std::unique_ptr<TfrmVLHyp> hyp(CreateVLForm<TfrmVLHyp>(Application));
  hyp->txtText->SetText("Our trip");
  hyp->txtTarget->SetText("https://example.org/trip");
  Keep(hyp.get(), "hyperlink.png", {300, 150, {}});
  std::unique_ptr<TfrmVLHypProp> prop(CreateVLForm<TfrmVLHypProp>(Application));
  prop->cmbText->SetChosenColor(clBlue);
  prop->cmbTextBack->SetChosenColor(clNone);
  prop->cmbHoverText->SetChosenColor(clRed);
  prop->cmbHoverTextBack->SetChosenColor(clNone);
  Keep(prop.get(), "hyperlink-attributes.png", {300, 250, {0x0000FF, 0xFF0000}});
}

}  // namespace
