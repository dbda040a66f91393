#include "actions/ListGalleryVLFrm.h"
#include "actions/ParaListVLFrm.h"
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/ControlsPrivate.h"

#include "EditorBench.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The list gallery and the Customize List dialog as a user meets them,
// checked and kept (support/Screenshots.h); runs as test_actions_screenshots.

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

TEST(ListScreenshotTest, GalleryOnTheNumberedListOfTheCaret) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  VLResetListPresetStore();
  TEditorBench b;
  b.PlainSheet();
  b.Sheet->ListStyles->Clear();
  TVLStyle factory(nullptr);
  VLFillListTemplates(factory, 1);
  TVLListInfo* list = b.Sheet->ListStyles->Add();
  list->Assign(factory.ListStyles->Items(3));
  b.Edit->Clear();
  b.Edit->VLData()->SetListMarker(-1, 0, 0, 2, 0, true);
  b.Edit->VLData()->AddTextItem("Pack the tent", 0, -1);
  b.Edit->Format();
  b.Edit->SetCaret(1, b.Edit->GetItemStartOffset(1));
  std::unique_ptr<TfrmVLListGallery> g(CreateVLForm<TfrmVLListGallery>(Application));
  g->InitFromEditor(ActionEditorOf(b.Edit));
  Keep(g.get(), "list-gallery.png", {400, 350, {}});
  VLResetListPresetStore();
}

TEST(ListScreenshotTest, CustomizeListOnAThirdLevelNumber) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  Application->Initialize();
  ResetBulletCharacters();
  TVLStyle sheet(nullptr);
  VLFillListTemplates(sheet, 1);
  std::unique_ptr<TfrmVLParaList> d(CreateVLForm<TfrmVLParaList>(Application));
  d->SetListInfo(*sheet.ListStyles->Items(0));
  d->seLevels->SetValue(4);
  d->lstLevels->SetItemIndex(2);
  d->lstLevelsClick(nullptr);
  Keep(d.get(), "customize-list.png", {450, 400, {}});
}

}  // namespace
