// The handles on a selected picture name a line of the layout: a command
// that lays the paragraph out again (a list applied) frees that line, and
// the next paint must not read it.
#include "EditorForm.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/editor/VLResize.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"

#include "platform/gui/Forms.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(PictureHandles, ALayoutAfterThePictureWasSelectedLeavesHandlesOnTheLiveLine) {
  TVLStyle style(nullptr);
  style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
  TVellumEdit* edit = nullptr;
  auto form = qytest::FormWithEditor(style, edit);
  TVLEditVLData& d = *edit->EditData();
  d.AddTextItem("don’t ", 0, 0);
  auto picture = TVLGraphicItemInfo::CreateEx(&d, std::make_unique<TBitmap>(40, 20), vlvaBaseline);
  picture->ParaNo = -1;
  d.AddItem("", picture.release());
  d.AddTextItem(" café", 0, -1);
  edit->Format();
  form->Show();
  QApplication::processEvents();
  edit->SetSelectionBounds(1, 0, 1, 1);
  ASSERT_NE(d.Resizer, nullptr) << "the picture shows no handles";
  edit->ApplyListStyle(0, 0, 1, false);
  // Painted as the toolkit paints it: the handles are drawn over the text.
  edit->Repaint();
  QApplication::processEvents();
  if (d.Resizer) {
    ASSERT_GE(d.Resizer->DrawItemNo, 0);
    ASSERT_LT(d.Resizer->DrawItemNo, d.DrawItems.Count());
    EXPECT_EQ(d.Resizer->DrawItem, d.DrawItems[d.Resizer->DrawItemNo]);
  }
}

}  // namespace
