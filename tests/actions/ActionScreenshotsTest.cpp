#include "actions/ColorVLFrm.h"
#include "actions/VLActionsFind.h"
#include "platform/gui/ControlsPrivate.h"

#include "ActionTestSupport.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The find and replace dialogs and the colour pop-up, saved for review to
// docs/screenshots/. Runs only on a real display:
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" test_actions --gtest_filter=Screenshot*
bool OnDisplay() { return std::getenv("DISPLAY") && QGuiApplication::platformName() == "xcb"; }

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

void Save(QWidget* w, const char* name) {
  ASSERT_NE(w, nullptr);
  QPixmap shot = w->grab();
  ASSERT_FALSE(shot.isNull());
  auto out = qytest::SourceDir() / "docs/screenshots" / name;
  std::filesystem::create_directories(out.parent_path());
  ASSERT_TRUE(shot.save(QString::fromStdString(out.string()), "PNG"));
}

TEST(ScreenshotTest, FindAndReplaceDialogs) {
  if (!OnDisplay()) GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
  TActionBench b;
  b.Editor->SetRuns({{"The quick brown fox", 0, 0, true}});
  auto* find = new TvlActionFind(b.Form);
  auto* replace = new TvlActionReplace(b.Form);
  find->SetControl(b.Editor);
  replace->SetControl(b.Editor);
  ASSERT_TRUE(find->Execute());
  find->FindDialog()->FindText = "brown";
  find->FindDialog()->CloseDialog();
  ASSERT_TRUE(find->Execute());
  Settle();
  Save(find->FindDialog()->FWindow->Dialog, "find-dialog.png");
  ASSERT_TRUE(replace->Execute());
  replace->ReplaceDialog()->FindText = "brown";
  replace->ReplaceDialog()->ReplaceText = "red";
  replace->ReplaceDialog()->CloseDialog();
  ASSERT_TRUE(replace->Execute());
  Settle();
  Save(replace->ReplaceDialog()->FWindow->Dialog, "replace-dialog.png");
  replace->ReplaceDialog()->CloseDialog();
}

TEST(ScreenshotTest, ColourPopup) {
  if (!OnDisplay()) GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
  Application->Initialize();
  auto* popup = new TfrmColor(nullptr);
  popup->DoCreate();
  popup->Init(clWindowText, nullptr, 0x0000FF);
  popup->PopupAtRect(TRect(100, 100, 180, 122));
  Settle();
  Save(WindowWidgetOf(popup), "colour-popup.png");
  delete popup;
}

}  // namespace
