// "&" in captions marks the access key: labels underline it and focus their
// control on Alt+key, "&&" is one "&"; a tool bar without room for every
// button offers the rest through its overflow button.
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The text a label shows, markup and access-key marks taken out.
QString Shown(QLabel* label) {
  if (label->textFormat() == Qt::RichText) {
    QTextDocument doc;
    doc.setHtml(label->text());
    return doc.toPlainText();
  }
  QString out;
  const QString t = label->text();
  for (qsizetype i = 0; i < t.size(); ++i) {
    if (t[i] == '&' && i + 1 < t.size()) ++i;
    out += t[i];
  }
  return out;
}

void ShowActive(TForm& form) {
  form.Show();
  QWidget* w = WidgetOf(&form)->window();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w, 60000));
}

TEST(AccessKeys, LabelsTakeTheAmpersandAsTheirKey) {
  const struct {
    const char* Caption;
    bool WithControl;
    const char* Shown;
    Qt::Key Key;  // Qt::Key_unknown: no key focuses the control
  } cases[] = {
      {"Fi&nd what:", true, "Find what:", Qt::Key_N},
      {"&Password", true, "Password", Qt::Key_P},
      {"Save && close", true, "Save & close", Qt::Key_unknown},
      {"Fi&nd what:", false, "Find what:", Qt::Key_unknown},
      {"Tom && Jerry", false, "Tom & Jerry", Qt::Key_unknown},
      {"Plain", false, "Plain", Qt::Key_unknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 120);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(8, 8, 100, 22);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(8, 40, 80, 16);
    auto* target = new TEdit(&form);
    target->SetParent(&form);
    target->SetBounds(100, 40, 100, 22);
    label->SetText(c.Caption);
    if (c.WithControl) label->SetFocusControl(target);
    auto* q = static_cast<QLabel*>(WidgetOf(label));
    EXPECT_EQ(Shown(q).toStdString(), c.Shown);
    // The key's letter is underlined where the label has no control to focus.
    if (!c.WithControl && String(c.Caption).find("&&") == String::npos && String(c.Caption).find('&') != String::npos) {
      EXPECT_TRUE(q->text().contains("<u>n</u>")) << q->text().toStdString();
    }
    ShowActive(form);
    other->SetFocus();
    ASSERT_TRUE(other->Focused());
    // Alt with the marked letter, or with the letter of "Fi&nd" where no key
    // is marked or no control is named.
    QTest::keyClick(WidgetOf(other), c.Key != Qt::Key_unknown ? c.Key : Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(target->Focused(), c.Key != Qt::Key_unknown);
  }
}

TEST(AccessKeys, TheFindWindowsLabelsShowTheirKeysAndFocusTheirEdits) {
  for (bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "replace" : "find");
    std::unique_ptr<TFindDialog> fd(replace ? new TReplaceDialog(nullptr) : new TFindDialog(nullptr));
    ASSERT_TRUE(fd->Execute());
    QDialog* dlg = fd->FWindow->Dialog;
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg, 60000));
    std::vector<std::string> shown;
    for (QLabel* l : dlg->findChildren<QLabel*>()) {
      shown.push_back(Shown(l).toStdString());
      EXPECT_NE(l->buddy(), nullptr) << shown.back();
    }
    const std::vector<std::string> expected =
        replace ? std::vector<std::string>{"Find what:", "Replace with:"} : std::vector<std::string>{"Find what:"};
    EXPECT_EQ(shown, expected);
    if (replace) {
      fd->FWindow->Find->setFocus();
      QTest::keyClick(fd->FWindow->Find, Qt::Key_P, Qt::AltModifier);
      EXPECT_TRUE(fd->FWindow->Replace->hasFocus());
      QTest::keyClick(fd->FWindow->Replace, Qt::Key_N, Qt::AltModifier);
      EXPECT_TRUE(fd->FWindow->Find->hasFocus());
    }
    fd->CloseDialog();
  }
}

TEST(AccessKeys, TheOverflowButtonOffersTheButtonsThatDoNotFit) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 1200, 200);
  TActionList list(&form);
  auto* bar = new TToolBar(&form);
  bar->SetParent(&form);
  bar->SetShowCaptions(true);
  std::vector<String> ran;
  const char* captions[] = {"&First", "Second", "Third", "Fourth", "Fifth", "Sixth", "Seventh", "Eighth"};
  for (const char* caption : captions) {
    auto* a = new TAction(&form);
    a->SetActionList(&list);
    a->SetCaption(caption);
    a->OnExecute = [&ran, caption](TObject*) { ran.push_back(caption); };
    auto* b = new TToolButton(&form);
    b->SetAction(a);
    b->SetParent(bar);
  }
  bar->SetAlign(alNone);
  bar->SetBounds(0, 0, 150, 29);
  ShowActive(form);
  QApplication::processEvents();

  const std::vector<TToolButton*> hidden = bar->HiddenButtons();
  ASSERT_FALSE(hidden.empty());
  ASSERT_LT(hidden.size(), 8u);
  // The hidden ones are the last ones, and only they are in the menu.
  EXPECT_EQ(hidden.back()->GetText(), "Eighth");
  EXPECT_FALSE(WidgetOf(bar->Buttons(0))->isHidden());

  auto* more = WidgetOf(bar)->findChild<QToolButton*>("qt_toolbar_ext_button");
  ASSERT_NE(more, nullptr);
  ASSERT_TRUE(more->isVisible());
  ASSERT_TRUE(more->isEnabled());
  QTest::mouseClick(more, Qt::LeftButton);
  auto* menu = WidgetOf(bar)->findChild<QMenu*>("qy_toolbar_overflow");
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(hidden.size()));
  for (size_t i = 0; i < hidden.size(); ++i)
    EXPECT_EQ(menu->actions()[static_cast<qsizetype>(i)]->text().toStdString(), hidden[i]->GetText());
  menu->actions().back()->trigger();
  EXPECT_EQ(ran, std::vector<String>{"Eighth"});
  menu->hide();

  // With room for all there is nothing to offer.
  bar->SetBounds(0, 0, 1190, 29);
  QApplication::processEvents();
  EXPECT_TRUE(bar->HiddenButtons().empty());
}

}  // namespace
