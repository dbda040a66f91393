#pragma once
// Positions on the surface of a laid-out document: the item and the word
// under a point, whether a position is selected, showing a rectangle, the
// selection extended by characters, words, lines and paragraphs, and the
// drop caret. Points are document coordinates unless called client ones.
#include "richtext/view/VLFormattedData.h"

// The state of a mouse selection by words or paragraphs.
class TVLSelectingInfo : public TObject {
public:
  // mode 3: paragraphs (both states 3); otherwise the anchor state is mode.
  void Init(Integer mode) {
    CurrentOffs = AnchorOffs;
    CurrentDrawItem = AnchorDrawItem;
    CurrentWordStart = AnchorWordStart;
    CurrentWordEnd = AnchorWordEnd;
    AnchorState = static_cast<Byte>(mode);
    CurrentState = mode == 3 ? 3 : 0;
  }
  Integer AnchorOffs = 0, CurrentOffs = 0;
  Integer AnchorWordStart = 0, AnchorWordEnd = 0;
  Integer CurrentWordStart = 0, CurrentWordEnd = 0;
  Integer AnchorDrawItem = -1, CurrentDrawItem = -1;
  // Anchor: 0 inside the anchor word, 1 left it, 2 back in it, 3 paragraphs.
  // Current word: 0 snapping, 2 snapping suspended.
  Byte AnchorState = 0, CurrentState = 0;
};

// The item position nearest to a document point; itemNo -1 without draw
// items. found: the point lies on the item itself.
void VLGetItemAt(TCustomVLFormattedData& data, Integer x, Integer y, TCustomVLFormattedData*& vlData,
                 Integer& itemNo, Integer& offs, bool strict, bool& found);
// The word under a client point (empty on a delimiter or a non-text item);
// itemNo -1 when no draw item contains the point. wordStart: 1-based.
void VLGetWordAt(TCustomVLFormattedData& data, TCanvas* canvas, Integer x, Integer y,
                 TCustomVLFormattedData*& vlData, Integer& itemNo, Integer& styleNo, WideString& word,
                 Integer& wordStart);
bool VLIsDrawItemInSelection(TCustomVLFormattedData& data, Integer drawItemNo, Integer offs);
// Offs lies strictly inside a word of text draw item drawItemNo.
bool VLIsInsideWord(TCustomVLFormattedData& data, Integer drawItemNo, Integer offs);
void VLGetWordBounds(TCustomVLFormattedData& data, Integer drawItemNo, Integer offs, Integer& wordStart,
                     Integer& wordEnd);
// Selection extension; each answers whether the selection changed.
bool VLExtendSelectionTo(TCustomVLFormattedData& data, Integer x, Integer y);
bool VLExtendSelectionByWords(TCustomVLFormattedData& data, TVLSelectingInfo& info, Integer x, Integer y);
bool VLExpandSelectionToLines(TCustomVLFormattedData& data, bool fromAnchor);
bool VLExpandSelectionToParagraph(TCustomVLFormattedData& data, bool onlyIfMultiPara);
// Scrolls so that the rectangle is visible (a quarter of the width stays
// left of it when scrolling sideways).
void VLShowRectangle(TCustomVLFormattedData& data, Integer x, Integer y, Integer width, Integer height);

// Where the drop caret of a drag stands (document coordinates of VLData).
struct TVLDragDropCaretInfo {
  Integer X = 0, Y = 0, Height = 0;
  Integer ItemNo = -1, ItemOffs = 0;
  TCustomVLFormattedData* VLData = nullptr;
};
// Fills info for the position itemNo/offs of data.
void VLSetDragDropCaret(TCustomVLFormattedData& data, TCanvas* canvas, Integer itemNo, Integer offs,
                        TVLDragDropCaretInfo& info);
// Dashes on every even row of the caret (drawing twice erases).
void VLDrawDragDropCaret(TCanvas* canvas, const TVLDragDropCaretInfo& info, Integer hOffset, Integer vOffset);
