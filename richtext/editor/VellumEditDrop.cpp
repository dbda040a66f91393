// Drag and drop into the editor: the drop caret follows the pointer, also
// into the documents nested in items (table cells); the effect is a move
// only for a drag from this editor or one open inside the same outermost
// editor, without Ctrl; and the drop is one undo step. A move inserts first
// and takes the dragged text out only after the insertion went in, so a
// failed drop leaves the document as it was.
#include "richtext/editor/VellumEdit.h"

#include "platform/base/ComponentGuard.h"
#include "platform/base/Streams.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/WindowFocus.h"
#include "richtext/editor/VLUndoRecords.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLCopy.h"
#include "richtext/view/VLHitTesting.h"

#include <algorithm>
#include <memory>
#include <vector>

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

// One step from a document into a document nested in one of its items.
struct TNestStep {
  TVLItemRef Item;
  std::unique_ptr<TVLStoreSubVLData> Location;
};
using TNestPath = std::vector<TNestStep>;

// The steps from outer down to inner (a document nested in it, an editor's
// standing for the cell it edits); no steps when they are one. False when
// inner does not lie in outer.
bool PathDown(TCustomVLData* outer, TCustomVLData* inner, TNestPath& path) {
  path.clear();
  for (TCustomVLData* d = inner; d && d != outer;) {
    TCustomVLData* nested = d->GetSourceVLData();
    TCustomVLData* parent = nested->GetParentData();
    Integer itemNo = -1;
    std::unique_ptr<TVLStoreSubVLData> location;
    nested->GetParentInfo(itemNo, location);
    if (!parent || itemNo < 0 || itemNo >= parent->GetItemCount() || !location) return false;
    path.insert(path.begin(), TNestStep{parent->GetItem(itemNo), std::move(location)});
    d = parent;
  }
  return inner != nullptr;
}

// The document at the end of path from outer (null when a step is gone).
TCustomVLData* FollowPath(TCustomVLData* outer, const TNestPath& path) {
  TCustomVLData* d = outer;
  for (const TNestStep& step : path) {
    TCustomVLItemInfo* item = step.Item.Get();
    if (!item || d->GetItemNo(item) < 0) return nullptr;
    d = item->GetSubVLDataOf(step.Location.get());
    if (!d) return nullptr;
  }
  return d;
}

// The nested document at the end of path as it is now, kept in the undo
// list of outer as one record.
void RecordNestedContent(TVLEditVLData& outer, const TNestPath& path, TCustomVLData& inner) {
  TVLUndoList* list = outer.GetRecordingUndoList();
  if (!list || path.empty()) return;
  auto record = std::make_unique<TVLUndoNestedContent>();
  record->Action = vlumModifyItem;
  TCustomVLData* d = &outer;
  for (const TNestStep& step : path) {
    record->Path.push_back({d->GetItemNo(step.Item.Get()), step.Location->Duplicate()});
    d = step.Item->GetSubVLDataOf(step.Location.get());
  }
  record->ItemNo = record->Path.front().ItemNo;
  TMemoryStream content;
  inner.SaveDataProperty(content);
  record->Content = content.Bytes();
  list->AddInfo(std::move(record));
}

// The items on path lay their inner documents out anew, innermost first.
void NestedChanged(const TNestPath& path) {
  for (auto it = path.rbegin(); it != path.rend(); ++it)
    if (TCustomVLItemInfo* item = it->Item.Get()) item->SubVLDataChanged();
}

// The document of an invisible editor standing for a nested one: tables
// read into it count the cells that document lies in.
class TStandInData : public TVLEditVLData {
public:
  TStandInData(TCustomVellum* vellum, TCustomVLData* doc) : TVLEditVLData(vellum), FDoc(doc) {}
  TCustomVLData* GetSourceVLData() override { return FDoc; }

private:
  TCustomVLData* FDoc;
};

class TStandInEditor : public TCustomVellumEdit {
public:
  explicit TStandInEditor(TCustomVLData* doc)
      : TCustomVellumEdit(nullptr, [doc](TCustomVellum* v) { return std::make_unique<TStandInData>(v, doc); }) {}
};

// An invisible editor that holds a nested document's items for one change
// made outside the document's own editor, with the settings of the editor
// the document lies in, and no history of its own.
class THiddenEditor {
public:
  THiddenEditor(TCustomVellumEdit& host, TCustomVLData& doc) : Doc(doc), E(std::make_unique<TStandInEditor>(&doc)) {
    E->SetVisible(false);
    E->Options = host.Options;
    E->SetEditorOptions(host.GetEditorOptions());
    E->AcceptDragDropFormats = host.AcceptDragDropFormats;
    E->SetStyle(host.GetStyle());
    E->SetUndoLimit(0);
    E->SetParent(&host);
    E->SetBounds(0, 0, std::max(host.GetWidth(), 100), 100);
    TCustomVellumEdit* root = host.GetRootEditor();
    E->OnReadHyperlink = root->OnReadHyperlink;
    E->OnDropFiles = root->OnDropFiles;
    TVLEditVLData* d = E->EditData();
    d->Clear();
    d->MoveItemsFrom(&Doc);
    if (d->GetItemCount() == 0) d->AddTextItem("", 0, 0);
    E->Format();
  }
  // The items go back to the document.
  ~THiddenEditor() {
    TVLEditVLData* d = E->EditData();
    Doc.Clear();
    Doc.MoveItemsFrom(d);
    d->Clear();
  }
  THiddenEditor(const THiddenEditor&) = delete;
  THiddenEditor& operator=(const THiddenEditor&) = delete;

  TCustomVLData& Doc;
  std::unique_ptr<TCustomVellumEdit> E;
};

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
    return ChooseDropEffect(shift, allowed, SameDocumentSource(data) != nullptr);
  }

  void DragLeave() override { HideCaret(); }

  int Drop(const TDragData& data, TShiftState shift, TPoint pt, int allowed) override {
    const bool accepting = FAccepting;
    FAccepting = false;
    const bool placed = ShowCaretAt(pt);
    const TVLDragDropCaretInfo at = Caret();
    HideCaret();
    if (!accepting || !placed) return DROPEFFECT_NONE;
    TCustomVellumEdit* source = SameDocumentSource(data);
    const bool own = source == E;
    int effect = ChooseDropEffect(shift, allowed, source != nullptr);
    TVLEditVLData* d = E->EditData();
    // Into a cell, from the editor of another cell (or out to the document
    // around it), or beside cells being edited: the editor that holds both
    // ends does it, with the cell editors inside it closed.
    if (at.VLData != d || (source && !own) || E->InplaceEdit())
      return TCustomVellumEdit::DropAcrossDocuments(E, data, *at.VLData, at.ItemNo, at.ItemOffs,
                                                    effect == DROPEFFECT_MOVE ? source : nullptr, allowed);
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
      inserted = E->InsertDroppedData(data);
      if (!inserted) {
        d->RollBackTo(mark);
        return;
      }
      // Both ends of the inserted text as seen from the end, taken once it
      // is in (before, its start would count the text yet to come).
      Integer endItem = d->GetCaretItemNo(), endOffs = d->GetCaretOffset();
      const TTailPos startTail = ToTail(*d, startItem, startOffs), endTail = ToTail(*d, endItem, endOffs);
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
  // The editor the drag comes from when it shows the same outermost
  // document as this one (this one, or one open in a cell of it).
  TCustomVellumEdit* SameDocumentSource(const TDragData& data) const {
    auto* source = dynamic_cast<TCustomVellumEdit*>(data.Source);
    if (!source || !source->IsDraggingSelection() || source->GetRootEditor() != E->GetRootEditor()) return nullptr;
    return source;
  }

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
    TNestPath path;
    if (itemNo < 0 || !data || !PathDown(d, data, path)) {
      HideCaret();
      return false;
    }
    auto info = std::make_unique<TVLDragDropCaretInfo>();
    VLSetDragDropCaret(*data, d->GetCanvas(), itemNo, offs, *info);
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

int TCustomVellumEdit::DropAcrossDocuments(TCustomVellumEdit* target, const TDragData& data, TCustomVLData& at,
                                           Integer itemNo, Integer offs, TCustomVellumEdit* source, int allowed) {
  // The editors open from the outermost in; the drop's and the drag's are
  // among them, and the outer one of the two holds both ends.
  std::vector<TCustomVellumEdit*> chain;
  for (TCustomVellumEdit* e = target->GetRootEditor(); e; e = e->InplaceEdit()) chain.push_back(e);
  auto depth = [&](TCustomVellumEdit* e) {
    return static_cast<Integer>(std::find(chain.begin(), chain.end(), e) - chain.begin());
  };
  const Integer dt = depth(target), ds = source ? depth(source) : dt;
  if (dt >= static_cast<Integer>(chain.size()) || ds >= static_cast<Integer>(chain.size())) return DROPEFFECT_NONE;
  TCustomVellumEdit* holder = chain[static_cast<size_t>(std::min(dt, ds))];
  TVLEditVLData* d = holder->EditData();
  // The cell editors opened from the holder down the steps to the document
  // at their end; the innermost editor reached (the holder when none opens).
  auto openDown = [holder](const TNestPath& path) {
    TCustomVellumEdit* shown = holder;
    for (const TNestStep& step : path) {
      TCustomVLItemInfo* item = step.Item.Get();
      if (!item || shown->EditData()->GetItemNo(item) < 0) break;
      item->ChooseSubVLData(step.Location.get());
      TCustomVellumEdit* inner = shown->InplaceEdit();
      if (!inner || inner->EditData() != item->GetSubVLDataOf(step.Location.get())) break;
      shown = inner;
    }
    return shown;
  };
  // Both ends as seen from it: the dragged selection by the editor's own
  // positions, the drop by those of the document it falls in.
  TNestPath to, from;
  if (!PathDown(d, &at, to)) return DROPEFFECT_NONE;
  Integer s = 0, so = 0, e = 0, eo = 0;
  if (source) {
    TVLEditVLData* sd = source->EditData();
    if (!sd->SelectionExists() || !PathDown(d, sd, from)) return DROPEFFECT_NONE;
    sd->GetSelectionBounds(s, so, e, eo, true);
  }
  bool focused = false;
  for (TCustomVellumEdit* x : chain) focused = focused || HoldsWindowFocus(x);
  // Into a cell of a table that is itself dragged: nothing moves, and the
  // caret goes there, as for a drop into the selection itself (the view
  // the drag scrolled shows the drop, not the selection's end).
  if (source && from.empty() && !to.empty()) {
    const Integer n = d->GetItemNo(to.front().Item.Get());
    if (!Before(n, 0, s, so) && !Before(e, eo, n, 1)) {
      holder->DestroyInplaceEditor();
      d->Deselect(nullptr, false);
      TCustomVellumEdit* shown = openDown(to);
      TVLEditVLData* sd = shown->EditData();
      if (sd == FollowPath(d, to) && itemNo < sd->GetItemCount()) sd->SetCaretToItemPos(itemNo, offs);
      holder->Invalidate();
      if (focused && shown->Showing()) SetWindowFocus(shown);
      return DROPEFFECT_NONE;
    }
  }
  const TComponentGuard<TCustomVellumEdit> dragged(source);
  // The editors inside the holder close (their histories go to it as
  // closing does); the dragged text was taken when the drag began.
  holder->DestroyInplaceEditor();
  TVLFWarning stale;
  d->TakeRefusedTable(stale);
  bool inserted = false, moved = false;
  Integer startItem = 0, startOffs = 0, endItem = 0, endOffs = 0;
  holder->RunEdit([&] {
    if (!holder->BeforeChange(false)) return;
    d->BeginUndoSequence(vlutInsert, true);
    holder->SetUndoGroupMode(true);
    struct TOff {
      TCustomVellumEdit* E;
      ~TOff() { E->EndInsert(); }
    } off{holder};
    const TVLEditVLData::TUndoMark mark = d->MarkUndo();
    d->Deselect(nullptr, false);
    if (to.empty()) {
      if (d->IsParaReadOnly(itemNo)) return;
      d->SetCaretToItemPos(itemNo, offs);
      startItem = d->GetCaretItemNo();
      startOffs = d->GetCaretOffset();
      inserted = holder->InsertDroppedData(data);
      endItem = d->GetCaretItemNo();
      endOffs = d->GetCaretOffset();
    } else if (TCustomVLData* doc = FollowPath(d, to); doc && itemNo < doc->GetItemCount()) {
      RecordNestedContent(*d, to, *doc);
      THiddenEditor h(*holder, *doc);
      TVLEditVLData* hd = h.E->EditData();
      if (!hd->IsParaReadOnly(itemNo)) {
        hd->SetCaretToItemPos(itemNo, offs);
        startItem = hd->GetCaretItemNo();
        startOffs = hd->GetCaretOffset();
        inserted = h.E->InsertDroppedData(data);
        if (!inserted) h.E->TellRefusedTable();
        endItem = hd->GetCaretItemNo();
        endOffs = hd->GetCaretOffset();
      }
      NestedChanged(to);
    }
    if (!inserted) {
      d->RollBackTo(mark);
      return;
    }
    if (source && from.empty()) {
      // The drop went into a cell: the dragged text keeps its positions.
      d->SetSelectionBounds(s, so, e, eo);
      moved = d->DeleteSelection();
      d->Deselect(nullptr, false);
    } else if (source) {
      if (TCustomVLData* doc = FollowPath(d, from)) {
        RecordNestedContent(*d, from, *doc);
        THiddenEditor h(*holder, *doc);
        TVLEditVLData* hd = h.E->EditData();
        if (e < hd->GetItemCount()) {
          hd->SetSelectionBounds(s, so, e, eo);
          moved = hd->DeleteSelection();
        }
        NestedChanged(from);
      }
      // Undone, the text goes back into its cell, and so does the caret
      // (beside the text, as after undoing typing there).
      if (TVLUndoList* list = d->GetRecordingUndoList(); moved && list && list->LastGroup() && !list->LastGroup()->CaretCell) {
        TVLUndoInfos* group = list->LastGroup();
        TCustomVLData* doc = d;
        for (const TNestStep& step : from) {
          const Integer n = doc->GetItemNo(step.Item.Get());
          if (doc == d)
            group->NoteCaretCell(n, *step.Location, e, eo);
          else
            group->NoteInnerCell(n, *step.Location);
          doc = step.Item->GetSubVLDataOf(step.Location.get());
        }
      }
    }
    holder->Format();
  });
  if (TCustomVellumEdit* src = dragged.Get()) src->FOwnDropDone = true;
  if (!inserted) {
    if (to.empty()) holder->TellRefusedTable();
    return DROPEFFECT_NONE;
  }
  // The dropped content ends selected, in the editor of the cell it went
  // into, which takes the keyboard when the editors it left had it.
  TCustomVellumEdit* shown = openDown(to);
  TVLEditVLData* sd = shown->EditData();
  if (sd == FollowPath(d, to) && endItem < sd->GetItemCount()) {
    sd->SetSelectionBounds(startItem, startOffs, endItem, endOffs);
    shown->Invalidate();
  }
  if (focused && shown->Showing()) SetWindowFocus(shown);
  if (moved) return DROPEFFECT_MOVE;
  return (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_LINK;
}

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

bool TCustomVellumEdit::LinkStyleAndTag(const String& url, Integer& styleNo, TVLTag& tag) {
  TCustomVellumEdit* root = GetRootEditor();
  if (!root->OnReadHyperlink) return false;
  // The application makes the link: its style, and the tag it gives the
  // text item offered to it.
  TVLEditVLData* d = EditData();
  styleNo = d->CurTextStyleNo;
  std::unique_ptr<TCustomVLItemInfo> link = d->CreateTextItem(styleNo, d->CurParaStyleNo, false, false);
  root->OnReadHyperlink(root, url, String(), VLDroppedLinkFormat, styleNo, link.get());
  TVLStyle* style = GetStyle();
  if (!style || styleNo < 0 || styleNo >= style->TextStyles->Count()) styleNo = d->CurTextStyleNo;
  tag = link->Tag;
  return true;
}

bool TCustomVellumEdit::InsertDroppedURL(const String& url) {
  Integer styleNo = 0;
  TVLTag tag;
  if (!LinkStyleAndTag(url, styleNo, tag)) {
    EditData()->InsertRawUnicodeText(WideStringToRawUnicode(Utf8ToWide(url)), false);
    return true;
  }
  SetCurTextStyleNo(styleNo);
  return InsertTaggedText(url, tag);
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
    // A named pipe or a device in a file's place would hold the program
    // until someone writes to it: refused by name before a byte is read.
    const String why = RegularFileProblem(name);
    if (!why.empty()) {
      MessageBox("The file " + name + " was not inserted: " + why + ".", Application->GetTitle(),
                 MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
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
