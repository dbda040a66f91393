// Dragging the selection out of a viewer: it starts only once the pointer
// moved the drag distance from a press on the selection, offers the VLF
// block at once and the text when a target reads it, and a press released
// in place is a click.
#include "ViewerFixture.h"

#include "platform/gui/Dialogs.h"

#include <QMimeData>

using namespace qytest;

namespace {

void Prepare(TViewer& v) {
  v.Style.SelectionMode = vlsmChar;
  v.Add("alpha beta gamma delta");
  v.Format();
  v.View->SetSelectionBounds(0, 7, 0, 11);
}

}  // namespace

TEST(DragOut, StartsPastTheDragDistanceAndOffersTheSelection) {
  TViewer v;
  Prepare(v);
  const TPoint p = v.At(0, 9);
  TInteractionScript script;
  String text;
  AnsiString block;
  int allowed = 0;
  script.Do([&](TInteraction& r) {
    allowed = r.Buttons;
    TDragData data(r.Drag);
    block = data.GetData(RegisterClipboardFormat(VLFClipboardFormatName));
    text = data.GetAsText();
    return DROPEFFECT_COPY;
  });
  v.View->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
  // A move inside the drag distance neither drags nor selects.
  v.View->MouseMove(TShiftState{ssLeft}, p.X + 1, p.Y);
  EXPECT_EQ(script.Shown.size(), 0u);
  EXPECT_EQ(v.View->GetSelText(), "beta");
  v.View->MouseMove(TShiftState{ssLeft}, p.X + 40, p.Y);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(allowed, DROPEFFECT_COPY) << "a viewer's text is never moved away";
  EXPECT_EQ(text, "beta");
  AnsiString vlf;
  ASSERT_TRUE(VLReadVLFBlock(block, vlf));
  EXPECT_NE(vlf.find(AnsiString("b\0e\0t\0a\0", 8)), AnsiString::npos) << "the text styles are Unicode";
  EXPECT_FALSE(v.View->IsDraggingSelection());
  EXPECT_FALSE(v.Data().GetState() & vlstDragPending);
  v.View->MouseUp(mbLeft, TShiftState(), p.X + 40, p.Y);
  EXPECT_EQ(v.View->GetSelText(), "beta");
}

TEST(DragOut, APressReleasedInPlaceIsAClick) {
  TViewer v;
  Prepare(v);
  const TPoint p = v.At(0, 9);
  TInteractionScript script;
  v.View->MouseDown(mbLeft, TShiftState{ssLeft}, p.X, p.Y);
  v.View->MouseUp(mbLeft, TShiftState(), p.X, p.Y);
  EXPECT_EQ(script.Shown.size(), 0u);
  EXPECT_FALSE(v.View->SelectionExists());
  EXPECT_FALSE(v.Data().GetState() & vlstDragPending);
}

TEST(DragOut, VLFBlocksWhoseLengthLiesAreRefused) {
  const AnsiString vlf = "0 1 0 0\nabc\n";
  const AnsiString good = VLMakeVLFBlock(vlf);
  auto withLength = [&](uint32_t n) {
    AnsiString b = good;
    for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return b;
  };
  struct TCase {
    const char* What;
    AnsiString Block;
    bool Ok;
    size_t Length;
  } cases[] = {
      {"exact", good, true, vlf.size()},
      {"shorter than the block: only that much", withLength(3), true, 3},
      {"longer than the block", withLength(static_cast<uint32_t>(vlf.size() + 1)), false, 0},
      {"negative", withLength(0xFFFFFFF0u), false, 0},
      {"absurd", withLength(0x7FFFFFFFu), false, 0},
      {"shorter than the length field", AnsiString("\x01\x00", 2), false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    AnsiString out = "stale";
    EXPECT_EQ(VLReadVLFBlock(c.Block, out), c.Ok);
    EXPECT_EQ(out.size(), c.Length);
  }
}
