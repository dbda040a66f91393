#include "actions/ColorVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/ListVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/gui/ControlsPrivate.h"

#include "support/Screenshots.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The dialogs of the editing commands with Persian current: right to left,
// every text whole and no two controls on top of each other. Runs only on a
// real display (test_actions_screenshots).

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

// Texts that do not fit their control, controls that stick out of their
// parent, and sibling controls that overlap.
std::vector<std::string> LayoutFaults(QWidget* root) {
  std::vector<std::string> faults;
  const auto children = root->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (QWidget* w : children) {
    if (!w->isVisible()) continue;
    const std::string name = w->objectName().toStdString() + " " + w->metaObject()->className();
    int need = 0;
    if (auto* label = qobject_cast<QLabel*>(w)) need = label->text().isEmpty() ? 0 : label->sizeHint().width();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
      need = button->text().isEmpty() ? 0 : button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) + 8;
    if (need > w->width()) faults.push_back("cut: " + name + " needs " + std::to_string(need) + " > " + std::to_string(w->width()));
    if (!root->rect().contains(w->geometry()))
      faults.push_back("outside its parent: " + name);
    for (QWidget* other : children)
      if (other != w && other->isVisible() && w < other && w->geometry().intersects(other->geometry()))
        faults.push_back("overlap: " + name + " / " + other->objectName().toStdString());
    for (const std::string& f : LayoutFaults(w)) faults.push_back(f);
  }
  return faults;
}

void Check(QWidget* window, const char* name) {
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(LayoutFaults(window), std::vector<std::string>{}) << name;
  EXPECT_EQ(qytest::KeepScreenshot(window->grab().toImage(), name, {100, 60, {}}), "");
}

class PersianScreenshotTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    SwitchLanguage("Persian");
  }
  void TearDown() override { SwitchLanguage("English (US)"); }
};

TEST_F(PersianScreenshotTest, IntegerPrompt) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  std::unique_ptr<TfrmInteger> d(CreateVLForm<TfrmInteger>(nullptr));
  // As the insert-rows action asks for its count.
  d->SetText(LanguageText(545));
  d->lbl->SetText(LanguageText(546));
  d->SetValue(3);
  EXPECT_EQ(d->BiDiMode, bdRightToLeft);
  d->Show();
  Settle();
  Check(WindowWidgetOf(d.get()), "dialogs-fa-integer.png");
  d->Hide();
}

TEST_F(PersianScreenshotTest, PasteSpecialList) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  QGuiApplication::clipboard()->setText("Sample");
  std::unique_ptr<TfrmVLList> d(CreateVLForm<TfrmVLList>(nullptr));
  d->FillPasteFormats(LanguageText(212));
  EXPECT_EQ(d->BiDiMode, bdRightToLeft);
  d->Show();
  Settle();
  Check(WindowWidgetOf(d.get()), "dialogs-fa-paste-special.png");
  d->Hide();
}

TEST_F(PersianScreenshotTest, ColourPopup) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  auto* popup = new TfrmColor(nullptr);
  popup->DoCreate();
  popup->Init(clWindowText, nullptr, 0x0000FF);
  EXPECT_EQ(popup->BiDiMode, bdRightToLeft);
  popup->PopupAtRect(TRect(400, 100, 480, 122));
  Settle();
  Check(WindowWidgetOf(popup), "dialogs-fa-colour-popup.png");
  delete popup;
}

}  // namespace
