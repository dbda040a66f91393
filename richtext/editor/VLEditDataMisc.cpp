// Overrides that keep the editor's own state in step with operations of
// the document: deleting unused styles, tags of replaced items, and the
// hypertext areas that writers and Ctrl+click need.
#include "richtext/editor/VLEditData.h"
#include "richtext/view/VLFlags.h"

namespace {

// A style's number after unused styles went (-1: deleted).
Integer Renumbered(Integer no, const TVLIntegerList& map) {
  if (no < 0) return no;
  if (no >= map.Count() || map.Get(no) == 0) return -1;
  return no - map.Get(no) + 1;
}

}  // namespace

void TVLEditVLData::MarkStylesInUse(TVLIntegerList& textUsed, TVLIntegerList& paraUsed,
                                    TVLIntegerList& listUsed) {
  TCustomVLData::MarkStylesInUse(textUsed, paraUsed, listUsed);
  const Integer text = GetActualStyleNo(CurTextStyleNo, CurParaStyleNo);
  if (text >= 0 && text < textUsed.Count()) textUsed.Put(text, 1);
  if (CurParaStyleNo >= 0 && CurParaStyleNo < paraUsed.Count()) paraUsed.Put(CurParaStyleNo, 1);
}

void TVLEditVLData::RenumberStyles(const TVLIntegerList& textMap, const TVLIntegerList& paraMap,
                                   const TVLIntegerList& listMap) {
  UndoList->Clear();
  RedoList->Clear();
  Integer text = Renumbered(CurTextStyleNo, textMap);
  Integer para = Renumbered(CurParaStyleNo, paraMap);
  if (text < 0 && CurTextStyleNo >= 0) text = 0;
  if (para < 0 && CurParaStyleNo >= 0) para = 0;
  SetCurTextStyleNo(text);
  SetCurParaStyleNo(para);
  TCustomVLData::RenumberStyles(textMap, paraMap, listMap);
}

void TVLEditVLData::ReleaseCurTag() { CurTag = TVLTag(); }

void TVLEditVLData::CaptureCurTag() {
  ReleaseCurTag();
  const Integer itemNo = GetSingleSelectedItem();
  if (itemNo >= 0 && GetItemStyle(itemNo) == CurTextStyleNo) CurTag = CopyTag(GetItem(itemNo)->Tag);
}

void TVLEditVLData::EnterJumpMode(bool force) {
  if ((!force && HostReadOnly()) || CaptureMouseItem) return;
  ClearJumps();
  SetLayoutFlags(GetLayoutFlags() | vllfCollectJumps);
  SetState(GetState() & ~vlstJumpHovered);
  // Ctrl alone moves nothing: a style chosen for the next typing (Ctrl+B
  // with nothing selected) survives pressing and releasing it.
  ReformatKeepingCaret(true, false, -1, false, true);
}

void TVLEditVLData::LeaveJumpMode() {
  if (HostReadOnly() || CaptureMouseItem || !(GetLayoutFlags() & vllfCollectJumps)) return;
  ClearJumps();
  SetLayoutFlags(GetLayoutFlags() & ~vllfCollectJumps);
  SetState(GetState() & ~vlstJumpHovered);
  PlaceCaret(false, true, true);
  InvalidateHost();
}

namespace {
// Writers see the links numbered as the reader's hyperlink events expect.
template <typename F>
bool InJumpMode(TVLEditVLData& data, F write) {
  if (!(data.GetLayoutFlags() & vllfWriterJumpMode) || (data.GetLayoutFlags() & vllfCollectJumps)) return write();
  data.EnterJumpMode(false);
  struct TLeave {
    TVLEditVLData& D;
    ~TLeave() { D.LeaveJumpMode(); }
  } leave{data};
  return write();
}
}  // namespace

bool TVLEditVLData::SaveRTFToStream(TStream& stream, bool selectionOnly, Integer level, TColor color,
                                    const TBitmap* background, TVLRTFSaveTables* tables) {
  return InJumpMode(*this, [&] {
    return TCustomVLData::SaveRTFToStream(stream, selectionOnly, level, color, background, tables);
  });
}

bool TVLEditVLData::SaveHTMLToStream(TStream& stream, const String& path, const String& title,
                                     const String& imagesPrefix, TVLSaveOptions options, TColor color,
                                     Integer& imgSaveNo, Integer leftMargin, Integer topMargin, Integer rightMargin,
                                     Integer bottomMargin, const TVLBackgroundImage* background, TVLList* bullets) {
  return InJumpMode(*this, [&] {
    return TCustomVLData::SaveHTMLToStream(stream, path, title, imagesPrefix, options, color, imgSaveNo, leftMargin,
                                           topMargin, rightMargin, bottomMargin, background, bullets);
  });
}

bool TVLEditVLData::SaveHTMLToStreamCSS(TStream& stream, const String& path, const String& title,
                                        const String& imagesPrefix, const String& extraStyles,
                                        const String& externalCSS, const String& cpPrefix, TVLSaveOptions options,
                                        TColor color, TColor& currentFileColor, Integer& imgSaveNo,
                                        Integer leftMargin, Integer topMargin, Integer rightMargin,
                                        Integer bottomMargin, const TVLBackgroundImage* background,
                                        TVLList* bullets) {
  return InJumpMode(*this, [&] {
    return TCustomVLData::SaveHTMLToStreamCSS(stream, path, title, imagesPrefix, extraStyles, externalCSS, cpPrefix,
                                              options, color, currentFileColor, imgSaveNo, leftMargin, topMargin,
                                              rightMargin, bottomMargin, background, bullets);
  });
}
