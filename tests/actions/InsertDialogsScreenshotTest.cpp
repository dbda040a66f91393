#include "actions/HypVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/SymbolVLFrm.h"
#include "actions/VLVellumActionEditor.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLItem.h"
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

TEST(InsertScreenshotTest, ObjectPropertiesOfAPicture) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  auto* form = new TForm(Application);
  auto* sheet = new TVLStyle(form);
  auto* edit = new TVellumEdit(form);
  edit->SetParent(form);
  edit->SetStyle(sheet);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetSize(120, 80);
  bmp->Canvas()->Brush.Color = 0x0000C0;  // red
  bmp->Canvas()->FillRect(TRect(0, 0, 120, 80));
  edit->AddItem("", TVLGraphicItemInfo::CreateEx(edit->VLData(), std::move(bmp), vlvaBaseline).release());
  edit->Format();
  edit->SetSelectionBounds(0, 0, 0, 1);
  std::unique_ptr<TfrmVLItemProp> dlg(CreateVLForm<TfrmVLItemProp>(Application));
  ASSERT_TRUE(dlg->LoadItem(ActionEditorOf(edit)));
  Keep(dlg.get(), "object-properties.png", {300, 250, {0xC00000}});
  dlg->SetActivePage(dlg->pc, dlg->tsImgLayout);
  Keep(dlg.get(), "object-properties-layout.png", {300, 250, {}});
  delete form;
}

TEST(InsertScreenshotTest, InsertSymbolWithTheZoomedCell) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  std::unique_ptr<TfrmVLInsertSymbol> dlg(CreateVLForm<TfrmVLInsertSymbol>(Application));
  dlg->Init(0x3A9, "DejaVu Sans", DEFAULT_CHARSET);  // Omega, among the Greek letters
  dlg->Show();
  Settle();
  dlg->dg->SetFocus();
  Settle();
  ASSERT_TRUE(dlg->ZoomPanel()->GetVisible());
  EXPECT_EQ(qytest::KeepScreenshot(WindowWidgetOf(dlg.get())->grab().toImage(), "insert-symbol.png", {600, 300, {}}),
            "");
  dlg->Hide();
}

}  // namespace
