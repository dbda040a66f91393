// Drag and drop into the editor: the drop caret follows the pointer, the
// effect is a move only for the editor's own drag without Ctrl, and the drop
// is one undo step. A move inserts first and takes the dragged text out only
// after the insertion went in, so a failed drop leaves the document as it was.
#include "richtext/editor/VellumEdit.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLCopy.h"
#include "richtext/view/VLHitTesting.h"

#include <algorithm>

namespace {

// The distance to the pointer from the top or bottom at which a drag scrolls.
constexpr int AutoScrollZone = 20;

// A position counted from the end of the document: insertions and deletions
// before it leave it where it is (items joined at their ends included).
struct TTailPos {
  Integer Items = 0, Offs = 0;
};

TTailPos ToTail(TVLEditVLData& d, Integer itemNo, Integer offs) {
  return {d.GetItemCount() - itemNo, d.GetItemEndOffset(itemNo) - offs};
}

bool FromTail(TVLEditVLData& d, const TTailPos& t, Integer& itemNo, Integer& offs) {
  itemNo = d.GetItemCount() - t.Items;
  if (itemNo < 0 || itemNo >= d.GetItemCount()) return false;
  offs = d.GetItemEndOffset(itemNo) - t.Offs;
  return offs >= d.GetItemStartOffset(itemNo);
}

// a before b in the document.
bool Before(Integer ai, Integer ao, Integer bi, Integer bo) { return ai < bi || (ai == bi && ao < bo); }

}  // namespace

class TVLEditDropTarget : public TDropTarget {
public:
  explicit TVLEditDropTarget(TCustomVellumEdit* edit) : E(edit) {}

  int DragEnter(const TDragData& data, TShiftState shift, TPoint pt, int allowed) override {
    FAccepting = E->GetStyle() && !E->GetReadOnly() && Acceptable(data);
    return DragOver(data, shift, pt, allowed);
  }

  int DragOver(const TDragData& data, TShiftState shift, TPoint pt, int allowed) override {
    if (!FAccepting) return DROPEFFECT_NONE;
    AutoScroll(pt);
    if (!ShowCaretAt(pt)) return DROPEFFECT_NONE;
    return ChooseDropEffect(shift, allowed, OwnDrag(data));
  }

  void DragLeave() override { HideCaret(); }

  int Drop(const TDragData& data, TShiftState shift, TPoint pt, int allowed) override {
    const bool accepting = FAccepting;
    FAccepting = false;
    const bool placed = ShowCaretAt(pt);
    const TVLDragDropCaretInfo at = Caret();
    HideCaret();
    if (!accepting || !placed) return DROPEFFECT_NONE;
    const bool own = OwnDrag(data);
    int effect = ChooseDropEffect(shift, allowed, own);
    TVLEditVLData* d = E->EditData();
    if (at.VLData != d) return DROPEFFECT_NONE;
    // Moving the selection into itself changes nothing: the caret goes there.
    Integer s, so, e, eo;
    d->GetSelectionBounds(s, so, e, eo, true);
    const bool hadSelection = d->SelectionExists();
    if (own && hadSelection && !Before(at.ItemNo, at.ItemOffs, s, so) && !Before(e, eo, at.ItemNo, at.ItemOffs)) {
      d->Deselect(nullptr, false);
      d->SetCaretToItemPos(at.ItemNo, at.ItemOffs);
      E->Invalidate();
      return DROPEFFECT_NONE;
    }
    const bool move = own && effect == DROPEFFECT_MOVE && hadSelection;
    bool inserted = false, moved = false;
    TVLFWarning stale;
    d->TakeRefusedTable(stale);
    E->RunEdit([&] {
      if (d->IsParaReadOnly(at.ItemNo) || !E->BeforeChange(false)) return;
      d->BeginUndoSequence(vlutInsert, true);
      E->SetUndoGroupMode(true);
      struct TOff {
        TCustomVellumEdit* E;
        ~TOff() { E->EndInsert(); }
      } off{E};
      const TVLEditVLData::TUndoMark mark = d->MarkUndo();
      // The dragged text as seen from the end: it keeps that place when it
      // lies after the drop.
      const bool sourceAfter = move && Before(at.ItemNo, at.ItemOffs, s, so);
      const TTailPos ts = move ? ToTail(*d, s, so) : TTailPos(), te = move ? ToTail(*d, e, eo) : TTailPos();
      d->Deselect(nullptr, false);
      d->SetCaretToItemPos(at.ItemNo, at.ItemOffs);
      const Integer startItem = d->GetCaretItemNo(), startOffs = d->GetCaretOffset();
      const TTailPos startTail = ToTail(*d, startItem, startOffs);
      inserted = E->InsertDroppedData(data);
      if (!inserted) {
        d->RollBackTo(mark);
        return;
      }
      Integer endItem = d->GetCaretItemNo(), endOffs = d->GetCaretOffset();
      const TTailPos endTail = ToTail(*d, endItem, endOffs);
      Integer newStart = startItem, newStartOffs = startOffs;
      if (move) {
        Integer ms = s, mso = so, me = e, meo = eo;
        if (sourceAfter && !(FromTail(*d, ts, ms, mso) && FromTail(*d, te, me, meo))) return;
        d->SetSelectionBounds(ms, mso, me, meo);
        moved = d->DeleteSelection();
        if (moved && !sourceAfter) {
          // The inserted text stands after the removed one: found from the end.
          FromTail(*d, startTail, newStart, newStartOffs);
          FromTail(*d, endTail, endItem, endOffs);
        }
        d->Deselect(nullptr, false);
      }
      // The inserted content ends selected.
      d->SetSelectionBounds(newStart, newStartOffs, endItem, endOffs);
    });
    if (own) E->FOwnDropDone = true;
    if (!inserted) {
      E->TellRefusedTable();
      return DROPEFFECT_NONE;
    }
    // Our own text that could not be taken out stayed: that was a copy.
    if (move && !moved) effect = (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_LINK;
    return effect;
  }

private:
  bool OwnDrag(const TDragData& data) const { return data.FromSameControl && E->IsDraggingSelection(); }

  bool Acceptable(const TDragData& data) const {
    const TVLDragDropFormats f = E->AcceptDragDropFormats;
    return (f.Contains(vlddVLF) && data.HasFormat(RegisterClipboardFormat(VLFClipboardFormatName))) ||
           (f.Contains(vlddRTF) && data.HasFormat(RegisterClipboardFormat(RTFClipboardFormatName))) ||
           ((f.Contains(vlddText) || f.Contains(vlddUnicodeText)) && data.HasFormat(CF_UNICODETEXT)) ||
           (f.Contains(vlddBitmap) && data.HasPicture()) || (f.Contains(vlddURL) && !data.GetUrls().empty()) ||
           (f.Contains(vlddFiles) && !data.GetFileNames().empty());
  }

  void AutoScroll(TPoint pt) {
    TVLEditVLData* d = E->EditData();
    const Integer step = d->GetVSmallStep();
    if (pt.Y < AutoScrollZone)
      d->VScrollTo(std::max(0, d->GetVOffset() - step));
    else if (pt.Y > E->ClientHeight() - AutoScrollZone)
      d->VScrollTo(d->GetVOffset() + step);
  }

  // The drop caret at the client point; false where nothing can go.
  bool ShowCaretAt(TPoint pt) {
    TVLEditVLData* d = E->EditData();
    if (d->DrawItems.Count() == 0) d->PrepareEmptyDocument();
    TCustomVLFormattedData* data = nullptr;
    Integer itemNo = -1, offs = 0;
    bool found = false;
    VLGetItemAt(*d, pt.X + d->GetHOffset(), pt.Y + d->GetVOffset(), data, itemNo, offs, false, found);
    if (itemNo < 0 || data != d) {
      HideCaret();
      return false;
    }
    auto info = std::make_unique<TVLDragDropCaretInfo>();
    VLSetDragDropCaret(*d, d->GetCanvas(), itemNo, offs, *info);
    d->DragDropCaret = std::move(info);
    E->Invalidate();
    return true;
  }

  TVLDragDropCaretInfo Caret() const {
    TVLEditVLData* d = E->EditData();
    return d->DragDropCaret ? *d->DragDropCaret : TVLDragDropCaretInfo();
  }

  void HideCaret() {
    TVLEditVLData* d = E->EditData();
    if (!d->DragDropCaret) return;
    d->DragDropCaret.reset();
    E->Invalidate();
  }

  TCustomVellumEdit* E;
  bool FAccepting = false;
};

void TCustomVellumEdit::RegisterEditDropTarget() {
  FDropTarget = std::make_unique<TVLEditDropTarget>(this);
  RegisterDropTarget(this, FDropTarget.get());
}

bool TCustomVellumEdit::InsertDroppedData(const TDragData& data) {
  TVLEditVLData* d = EditData();
  const TVLDragDropFormats f = AcceptDragDropFormats;
  const Word vlf = RegisterClipboardFormat(VLFClipboardFormatName);
  const Word rtf = RegisterClipboardFormat(RTFClipboardFormatName);
  if (f.Contains(vlddVLF) && data.HasFormat(vlf))
    // A block whose length lies is refused outright, not read another way.
    return d->InsertVLFBlock(data.GetData(vlf));
  if (f.Contains(vlddRTF) && data.HasFormat(rtf)) {
    const AnsiString bytes = data.GetData(rtf);
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    s.SetPosition(0);
    if (d->InsertRTFFromStream(s)) return true;
  }
  // Addresses of local files are files (below); any other address is a link.
  if (f.Contains(vlddURL)) {
    const std::vector<String> urls = data.GetUrls();
    if (!urls.empty() && InsertDroppedURL(urls.front())) return true;
  }
  // Dropped files come with their names as text too: they go first.
  if (f.Contains(vlddFiles) && !data.GetFileNames().empty()) return InsertDroppedFiles(data.GetFileNames());
  if ((f.Contains(vlddUnicodeText) || f.Contains(vlddText)) && data.HasFormat(CF_UNICODETEXT)) {
    const WideString text = data.GetAsUnicodeText();
    if (!text.empty()) {
      d->InsertRawUnicodeText(WideStringToRawUnicode(text), false);
      return true;
    }
  }
  if (f.Contains(vlddBitmap) && data.HasPicture()) {
    auto bitmap = std::make_unique<TBitmap>();
    if (data.GetBitmap(*bitmap) && d->InsertPictureAtCaret(std::move(bitmap), AnsiString())) return true;
  }
  return false;
}

bool TCustomVellumEdit::InsertDroppedURL(const String& url) {
  TVLEditVLData* d = EditData();
  TCustomVellumEdit* root = GetRootEditor();
  if (!root->OnReadHyperlink) {
    d->InsertRawUnicodeText(WideStringToRawUnicode(Utf8ToWide(url)), false);
    return true;
  }
  // The application makes the link: its style, and the tag it gives the
  // text item offered to it.
  Integer styleNo = d->CurTextStyleNo;
  std::unique_ptr<TCustomVLItemInfo> link = d->CreateTextItem(styleNo, d->CurParaStyleNo, false, false);
  root->OnReadHyperlink(root, url, String(), VLDroppedLinkFormat, styleNo, link.get());
  TVLStyle* style = GetStyle();
  if (style && styleNo >= 0 && styleNo < style->TextStyles->Count()) SetCurTextStyleNo(styleNo);
  return InsertTaggedText(url, link->Tag);
}

bool TCustomVellumEdit::InsertDroppedFiles(const std::vector<String>& files) {
  TVLEditVLData* d = EditData();
  bool doDefault = true;
  TVLDropFileAction action = vldfNone;
  if (OnDropFiles) {
    TStringList list;
    for (const String& name : files) list.Add(name);
    OnDropFiles(GetRootEditor(), &list, action, doDefault);
  }
  if (!doDefault) return action != vldfNone;
  bool any = false, failed = false;
  for (const String& name : files) {
    // A file counts only once it is in the document.
    const bool ok = d->InsertDroppedFile(name);
    any = any || ok;
    failed = failed || !ok;
  }
  if (failed) d->Beep();
  return any;
}

int TCustomVellumEdit::DragEffects() {
  int effects = DROPEFFECT_COPY;
  if (!GetReadOnly() && EditData()->CanDeleteSelection()) effects |= DROPEFFECT_MOVE;
  FOwnDropDone = false;
  return effects;
}

void TCustomVellumEdit::DragFinished(int effect) {
  const bool ownDrop = FOwnDropDone;
  FOwnDropDone = false;
  if (effect != DROPEFFECT_MOVE || ownDrop) return;
  // Moved to another window: the text leaves this document.
  RunEdit([&] {
    if (!BeforeChange(false)) return;
    TVLEditVLData* d = EditData();
    d->BeginUndoSequence(vlutDelete, true);
    d->DeleteSelection();
  });
}
