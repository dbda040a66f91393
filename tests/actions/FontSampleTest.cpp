#include "actions/FontVLFrm.h"
#include "actions/BaseVLFrm.h"
#include "platform/gui/ControlImage.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/GfxColors.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// The rows inside the sample's frame where the marker colour runs from edge
// to edge (the sample text's own background may cover its middle): the
// baseline the sample text is measured against.
std::vector<int> BaselineRows(TfrmVLFont& d) {
  TBitmap bmp(d.vl->ClientWidth(), d.vl->GetHeight());
  PaintControlTo(d.vl, *bmp.Canvas(), 0, 0, false);
  const TColor marker = ColorToRGB(clBtnShadow) & 0xFFFFFF;
  std::vector<int> rows;
  const int w = bmp.GetWidth();
  auto isMarker = [&](int x, int y) { return (bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF) == marker; };
  for (int y = 3; y < bmp.GetHeight() - 3; ++y) {
    bool edges = true;
    for (int x = 3; x < 40; ++x) edges = edges && isMarker(x, y) && isMarker(w - 1 - x, y);
    if (edges) rows.push_back(y);
  }
  return rows;
}

TEST(FontSampleTest, ABaselineCrossesTheSampleWhateverTheShift) {
  Application->Initialize();
  for (const int shift : {0, 6, -6}) {
    SCOPED_TRACE(shift);
    std::unique_ptr<TfrmVLFont> d(CreateVLForm<TfrmVLFont>(nullptr));
    TInteractionScript script;
    script.Do([&](TInteraction&) {
      Application->ProcessMessages();
      d->seShift->SetValue(std::abs(shift));
      (shift < 0 ? d->rbDown : d->rbUp)->SetChecked(true);
      d->UpdateSample();
      Application->ProcessMessages();
      const std::vector<int> rows = BaselineRows(*d);
      // One pixel high and inside the frame, whatever the shift.
      EXPECT_EQ(rows.size(), 1u);
      return mrCancel;
    });
    d->ShowModal();
  }
}

}  // namespace
