// The resizer driven by the mouse on the editor control: a click selects the
// picture and shows the handles, a drag of a handle resizes it as one undo
// step, Escape during a drag keeps the size. The screenshot of the handles
// is checked and kept as resizer.png (support/Screenshots.h; on a real
// display only, as CTest's test_richtext_editor_screenshots).
#include "EditorFixture.h"

#include "richtext/model/VLItem.h"
#include "support/Screenshots.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <cstdlib>
#include <filesystem>

using namespace qytest;

namespace {

// "Before ", a 120 x 80 picture, " after".
void Fill(TEditor& e) {
  e.Edit->Clear();
  e.Edit->AddTextItem("Before ", 0, 0);
  auto bitmap = std::make_unique<TBitmap>(120, 80);
  bitmap->Canvas()->Brush.Color = 0xC8A070;
  bitmap->Canvas()->FillRect(TRect(0, 0, 120, 80));
  auto pic = TVLGraphicItemInfo::CreateEx(e.Edit->VLData(), std::move(bitmap), vlvaBaseline);
  pic->ParaNo = -1;
  e.Edit->AddItem("", pic.release());
  e.Edit->AddTextItem(" after", 0, -1);
  e.Edit->Format();
}

// The client point of the picture's handle.
TPoint Handle(TEditor& e, Integer index) {
  TVLItemResizer* r = e.D().Resizer.get();
  Integer x, y;
  r->GetHandlePos(index, true, x, y);
  return TPoint(r->DrawItem->Left + x - e.D().GetHOffset(), r->DrawItem->Top + y - e.D().GetVOffset());
}

void SelectPictureByClick(TEditor& e) {
  const TVLDrawLineInfo* d = e.D().DrawItems[e.D().Item2FirstDrawItem(1)];
  const Integer x = d->Left + d->Width / 2, y = d->Top + d->Height / 2 - e.D().GetVOffset();
  e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
  e.Edit->MouseUp(mbLeft, TShiftState(), x, y);
}

}  // namespace

TEST(ResizerMouse, AClickSelectsThePictureAndADragResizesItInOneStep) {
  TEditor e;
  Fill(e);
  TMemoryStream before;
  e.Edit->SaveVLFToStream(before, false);
  SelectPictureByClick(e);
  ASSERT_NE(e.D().Resizer, nullptr) << "the click selected the picture";
  // Over a handle the pointer shows which way it sizes.
  const TPoint h = Handle(e, 5);
  e.Edit->MouseMove(TShiftState(), h.X, h.Y);
  EXPECT_EQ(e.Edit->GetCursor(), crSizeWE);
  e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, h.X, h.Y);
  for (int dx = 5; dx <= 40; dx += 5) e.Edit->MouseMove(TShiftState{ssLeft}, h.X + dx, h.Y);
  e.Edit->MouseUp(mbLeft, TShiftState(), h.X + 40, h.Y);
  auto* pic = static_cast<TVLGraphicItemInfo*>(e.Edit->GetItem(1));
  EXPECT_EQ(pic->GetImageWidth(&e.Style), 160);
  EXPECT_EQ(pic->GetImageHeight(&e.Style), 80);
  ASSERT_EQ(e.D().UndoList->Count(), 1);
  EXPECT_EQ(e.Edit->GetUndoType(), vlutModifyItem);
  EXPECT_TRUE(e.Edit->Modified);
  ASSERT_NE(e.D().Resizer, nullptr) << "the handles follow the new size";
  EXPECT_EQ(e.D().Resizer->Width, 162);
  e.Edit->Undo();
  TMemoryStream after;
  e.Edit->SaveVLFToStream(after, false);
  EXPECT_EQ(after.Bytes(), before.Bytes());

  // Escape in the middle of a drag: the size stays and the release commits nothing.
  SelectPictureByClick(e);
  ASSERT_NE(e.D().Resizer, nullptr);
  const TPoint c = Handle(e, 2);
  e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, c.X, c.Y);
  e.Edit->MouseMove(TShiftState{ssLeft}, c.X + 30, c.Y + 30);
  Word key = VK_ESCAPE;
  e.Edit->DoKeyDown(key, TShiftState());
  e.Edit->MouseUp(mbLeft, TShiftState(), c.X + 30, c.Y + 30);
  EXPECT_EQ(pic->GetImageWidth(&e.Style), 120);
  EXPECT_EQ(e.D().UndoList->Count(), 0);
}

TEST(ResizerMouse, NoHandlesWhenTheEditorSaysSoOrIsReadOnly) {
  struct TCase {
    const char* What;
    bool NoResize, ReadOnly;
  } cases[] = {{"image resizing switched off", true, false}, {"read-only editor", false, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    Fill(e);
    if (c.NoResize) e.Edit->SetEditorOptions(e.Edit->GetEditorOptions() + TVLEditorOptions{vloNoImageResize});
    e.Edit->SetReadOnly(c.ReadOnly);
    SelectPictureByClick(e);
    EXPECT_EQ(e.D().Resizer, nullptr);
  }
}

TEST(ResizerScreenshot, HandlesOnAPicture) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  TEditor e;
  Fill(e);
  e.Form->SetText("Resizer");
  SelectPictureByClick(e);
  ASSERT_NE(e.D().Resizer, nullptr);
  e.Edit->Invalidate();
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  EXPECT_EQ(qytest::KeepScreenshot(WindowWidgetOf(e.Form.get())->grab().toImage(), "resizer.png", {100, 80, {}}), "");
}
