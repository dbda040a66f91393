// The dialogs of the editing commands with a Cyrillic table current: every
// text fits its control and no two controls overlap; on a display the
// dialogs are kept side by side as dialogs-ru.png (support/Screenshots.h).
#include "actions/ColorVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/ListVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"

#include "support/Screenshots.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QThread>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(qytest::OnDisplay() ? 20 : 0);
  }
}

// The text as drawn: without mnemonic marks, or without the markup that
// underlines the mnemonic letter of a label.
QString Shown(QString text) {
  if (text.startsWith('<')) return text.remove(QRegularExpression("<[^>]*>"));
  return text.remove(QRegularExpression("&(?!&)"));
}

// Texts wider than their control, and visible siblings that overlap.
std::vector<std::string> LayoutFaults(QWidget* window) {
  std::vector<std::string> faults;
  std::function<void(QWidget*)> walk = [&](QWidget* parent) {
    std::vector<QWidget*> shown;
    for (QObject* o : parent->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (!w || w->isWindow() || !w->isVisibleTo(window)) continue;
      shown.push_back(w);
      const QFontMetrics fm(w->font());
      if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
        if (fm.horizontalAdvance(Shown(label->text())) > label->width())
          faults.push_back("cut label: " + label->text().toStdString());
      } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
        // Room for the frame, or for the box of a check or radio button.
        if (fm.horizontalAdvance(Shown(button->text())) + 8 > button->width())
          faults.push_back("cut button: " + button->text().toStdString());
      }
      walk(w);
    }
    for (size_t i = 0; i < shown.size(); ++i)
      for (size_t j = i + 1; j < shown.size(); ++j)
        if (shown[i]->geometry().intersects(shown[j]->geometry()))
          faults.push_back("overlap: " + shown[i]->objectName().toStdString() + " and " +
                           shown[j]->objectName().toStdString());
  };
  walk(window);
  return faults;
}

class LanguageDialogsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    InitializeLanguages();
    SwitchLanguage("Russian");
  }
  void TearDown() override {
    SwitchLanguage("English (US)");
    TClipboard& clip = Clipboard();
    clip.Open();
    clip.Clear();
    clip.Close();
  }
};

TEST_F(LanguageDialogsTest, ScreenshotRussianDialogsShowWholeTexts) {
  std::unique_ptr<TfrmInteger> rows(CreateVLForm<TfrmInteger>(nullptr));
  rows->SetFormCaption(LanguageText(545));
  rows->SetControlText(rows->_lbl, LanguageText(546));
  // Rich text and plain text on the clipboard: the list names both kinds.
  TClipboard& clip = Clipboard();
  clip.Open();
  clip.Clear();
  clip.SetAsText("text");
  clip.SetData(RegisterClipboardFormat("Rich Text Format"), "{\\rtf1 text}");
  clip.Close();
  std::unique_ptr<TfrmVLList> paste(CreateVLForm<TfrmVLList>(nullptr));
  paste->FillPasteFormats(LanguageText(212));
  ASSERT_GE(paste->lst->Items().Count(), 3);
  EXPECT_EQ(paste->lst->Items()[0], "Текст в формате RTF");

  std::vector<QImage> pictures;
  auto check = [&](TCustomForm* form) {
    QWidget* window = WindowWidgetOf(form);
    ASSERT_NE(window, nullptr);
    SCOPED_TRACE(window->windowTitle().toStdString());
    EXPECT_EQ(LayoutFaults(window), std::vector<std::string>{});
    pictures.push_back(window->grab().toImage());
  };
  for (TCustomForm* form : std::vector<TCustomForm*>{rows.get(), paste.get()}) {
    form->Show();
    Settle();
    check(form);
    form->Hide();
  }
  // The texts are the Russian ones.
  EXPECT_EQ(WindowWidgetOf(paste.get())->windowTitle().toStdString(), "Специальная вставка");
  EXPECT_EQ(WindowWidgetOf(rows.get())->windowTitle().toStdString(), "Добавление строк");

  // The pop-up frees itself when it closes; it stays open while looked at.
  auto* colours = CreateVLForm<TfrmColor>(nullptr);
  colours->Init(clWindowText, nullptr, 0x0000FF);
  colours->PopupAtRect(TRect(100, 100, 180, 122));
  Settle();
  check(colours);
  delete colours;

  QY_SCREENSHOT_NEEDS_DISPLAY();
  int width = 0, height = 0;
  for (const QImage& p : pictures) {
    width += p.width() + 16;
    height = std::max(height, p.height());
  }
  QImage sheet(width + 16, height + 32, QImage::Format_RGB32);
  sheet.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&sheet);
  int x = 16;
  for (const QImage& p : pictures) {
    painter.drawImage(x, 16, p);
    x += p.width() + 16;
  }
  painter.end();
  EXPECT_EQ(qytest::KeepScreenshot(sheet, "dialogs-ru.png", {400, 150, {0xFF0000}}), "");
}

}  // namespace
