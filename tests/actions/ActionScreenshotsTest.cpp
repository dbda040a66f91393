#include "actions/ColorVLFrm.h"
#include "actions/FillColorVLFrm.h"
#include "actions/FontVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"
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

// The formatting dialogs as a user meets them, each with values that show
// what its controls do.
template <typename T>
void ShowAndSave(T* d, const char* name, const qytest::TPictureCheck& check) {
  d->Show();
  Settle();
  Save(WindowWidgetOf(d), name, check);
  d->Hide();
  delete d;
}

TEST(ScreenshotTest, FontDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* d = CreateVLForm<TfrmVLFont>(nullptr);
  d->cmbFont->SetText("DejaVu Sans");
  d->cmbFont->SetItemIndex(d->cmbFont->Items().IndexOf("DejaVu Sans"));
  d->cmbFontClick(nullptr);
  d->cmbSize->SetText("12");
  d->SetCheckBoxChecked(d->_cbB, true);
  d->SetCheckBoxState(d->_cbI, cbGrayed);
  d->cmbColor->SetChosenColor(TColor(0x800000));
  d->SampleText = "A quiet morning";
  ShowAndSave(d, "font-dialog.png", {400, 400, {0x000080}});
}

TEST(ScreenshotTest, ParagraphDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* d = CreateVLForm<TfrmVLPara>(nullptr);
  d->gbAlignment->SetItemIndex(3);
  d->seLeftIndent->SetValue(24);
  d->seRightIndent->SetValue(0);
  d->rbNegative->SetChecked(true);
  d->seFirstLineIndent->SetValue(18);
  d->seSpaceBefore->SetValue(6);
  d->seSpaceAfter->SetValue(6);
  d->SetComboBoxItemIndex(d->_cmbLineSpacing, 1);
  ShowAndSave(d, "paragraph-dialog.png", {400, 400, {}});
}

TEST(ScreenshotTest, BordersDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* d = CreateVLForm<TfrmVLParaBrdr>(nullptr);
  d->rgBorderType->SetItemIndex(2);
  d->cmbColor->SetChosenColor(TColor(0x800000));
  d->SetComboBoxItemIndex(d->_cmbWidth, 1);
  d->seIW->SetValue(2);
  for (TSpeedButton* b : {d->btnLeft, d->btnTop, d->btnRight, d->btnBottom}) {
    b->SetFlat(false);
    b->SetDown(true);
  }
  d->ColorIndeterminate = false;
  d->SetFillColor(TColor(0x99FFFF));
  TVLRect pad;
  pad.SetAll(4);
  d->SetPadding(pad, TVLBooleanRect(true));
  ShowAndSave(d, "borders-dialog.png", {400, 380, {0x000080}});
}

TEST(ScreenshotTest, FillColourDialog) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* d = CreateVLForm<TfrmVLFillColor>(nullptr);
  d->AddElement(vlafcaText);
  d->AddElement(vlafcaParagraph);
  d->SetComboBoxItemIndex(d->_cmb, 1);
  d->ColorIndeterminate = false;
  d->SetFillColor(TColor(0x0000FF));
  ShowAndSave(d, "fill-colour.png", {200, 280, {0xFF0000}});
}

}  // namespace
