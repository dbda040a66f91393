// Embedded controls resized like pictures: the handles' drag is one undo
// step that sets the control's bounds (its place kept), the data names the
// control while its bounds change (also when that fails), and a control
// that grows past the document's width lays the whole document out again.
#include "EditorFixture.h"

#include "platform/gui/ExtCtrls.h"
#include "richtext/model/VLItem.h"

#include <stdexcept>

using namespace qytest;

namespace {

// A panel that reports which control the editor data was resizing when its
// bounds changed, and can refuse the change.
class TProbePanel : public TPanel {
public:
  explicit TProbePanel(TVLEditVLData* data) : TPanel(nullptr), Data(data) {}
  void SetBounds(Integer l, Integer t, Integer w, Integer h) override {
    if (Data && (w != GetWidth() || h != GetHeight())) {
      SeenDuringResize.push_back(Data->ResizingControl);
      if (Refuse) throw std::runtime_error("no room");
    }
    TPanel::SetBounds(l, t, w, h);
  }
  TVLEditVLData* Data;
  std::vector<TControl*> SeenDuringResize;
  bool Refuse = false;
};

// "Before ", a resizable 120 x 80 panel, " after".
TProbePanel* Fill(TEditor& e) {
  e.Edit->Clear();
  e.Edit->AddTextItem("Before ", 0, 0);
  auto* item = new TVLControlItemInfo(e.Edit->VLData());
  item->StyleNo = vlsComponent;
  item->ParaNo = -1;
  auto* panel = new TProbePanel(nullptr);
  panel->SetBounds(0, 0, 120, 80);
  item->Control = panel;
  item->ResizableControl = true;
  e.Edit->AddItem("", item);
  e.Edit->AddTextItem(" after", 0, -1);
  e.Edit->Format();
  panel->Data = &e.D();
  return panel;
}

TPoint Handle(TEditor& e, Integer index) {
  TVLItemResizer* r = e.D().Resizer.get();
  Integer x, y;
  r->GetHandlePos(index, true, x, y);
  return TPoint(r->DrawItem->Left + x - e.D().GetHOffset(), r->DrawItem->Top + y - e.D().GetVOffset());
}

void SelectControlByClick(TEditor& e) {
  const TVLDrawLineInfo* d = e.D().DrawItems[e.D().Item2FirstDrawItem(1)];
  const Integer x = d->Left + d->Width / 2, y = d->Top + d->Height / 2 - e.D().GetVOffset();
  e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
  e.Edit->MouseUp(mbLeft, TShiftState(), x, y);
}

}  // namespace

TEST(ControlResize, HandlesResizeAControlInOneUndoStep) {
  TEditor e;
  TProbePanel* panel = Fill(e);
  SelectControlByClick(e);
  ASSERT_NE(e.D().Resizer, nullptr) << "a resizable control gets handles";
  EXPECT_TRUE(e.D().Resizer->HandlesOutside);
  const Integer left = panel->GetLeft(), top = panel->GetTop();
  const TVLDrawLineInfo* before = e.D().DrawItems[e.D().Item2FirstDrawItem(1)];
  const Integer drawWidth = before->Width;

  // The right handle dragged 40 pixels: only the width changes.
  const TPoint h = Handle(e, 5);
  e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, h.X, h.Y);
  for (int dx = 10; dx <= 40; dx += 10) e.Edit->MouseMove(TShiftState{ssLeft}, h.X + dx, h.Y);
  e.Edit->MouseUp(mbLeft, TShiftState(), h.X + 40, h.Y);
  EXPECT_EQ(panel->GetWidth(), 160);
  EXPECT_EQ(panel->GetHeight(), 80);
  EXPECT_EQ(panel->GetLeft(), left) << "the control keeps its place";
  EXPECT_EQ(panel->GetTop(), top);
  ASSERT_EQ(e.D().UndoList->Count(), 1);
  EXPECT_EQ(e.Edit->GetUndoType(), vlutModifyItem);
  EXPECT_TRUE(e.Edit->Modified);
  // The line was laid out around the new size.
  EXPECT_EQ(e.D().DrawItems[e.D().Item2FirstDrawItem(1)]->Width, drawWidth + 40);
  ASSERT_EQ(panel->SeenDuringResize.size(), 1u);
  EXPECT_EQ(panel->SeenDuringResize[0], panel);
  EXPECT_EQ(e.D().ResizingControl, nullptr);

  e.Edit->Undo();
  EXPECT_EQ(panel->GetWidth(), 120);
  EXPECT_EQ(e.D().DrawItems[e.D().Item2FirstDrawItem(1)]->Width, drawWidth);
  e.Edit->Redo();
  EXPECT_EQ(panel->GetWidth(), 160);
  EXPECT_EQ(e.D().DrawItems[e.D().Item2FirstDrawItem(1)]->Width, drawWidth + 40);
}

TEST(ControlResize, TheResizedControlIsForgottenWhenItsBoundsFail) {
  TEditor e;
  TProbePanel* panel = Fill(e);
  panel->Refuse = true;
  EXPECT_THROW(e.D().ResizeControl(1, 200, 90, true), std::runtime_error);
  ASSERT_EQ(panel->SeenDuringResize.size(), 1u);
  EXPECT_EQ(panel->SeenDuringResize[0], panel);
  EXPECT_EQ(e.D().ResizingControl, nullptr);
  // The same size again changes nothing and asks the control nothing.
  panel->Refuse = false;
  panel->SeenDuringResize.clear();
  e.D().ResizeControl(1, 120, 80, true);
  EXPECT_TRUE(panel->SeenDuringResize.empty());
}

TEST(ControlResize, AControlWiderThanTheDocumentWidensItAndBack) {
  TEditor e;
  TProbePanel* panel = Fill(e);
  const Integer narrow = e.D().DocumentWidth;
  ASSERT_LT(panel->GetWidth(), narrow);
  struct TStep {
    const char* What;
    Integer Width;
    bool Wider;  // the document is wider than it was at first
  } steps[] = {
      {"past the document's width", narrow + 150, true},
      {"a little narrower, still too wide", narrow + 100, true},
      {"back inside", 100, false},
  };
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.What);
    e.D().ResizeControl(1, s.Width, 80, true);
    EXPECT_EQ(panel->GetWidth(), s.Width);
    if (s.Wider) {
      EXPECT_GE(e.D().DocumentWidth, s.Width);
    } else {
      EXPECT_EQ(e.D().DocumentWidth, narrow);
    }
  }
}
