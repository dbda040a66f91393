// Paste into the editor: the first format of the clipboard in the order of
// preference (our VLF, RTF, files, text, HTML as text, a picture), each as
// one undo step that replaces the selection; a format that cannot be read
// changes nothing.
#include "richtext/editor/VellumEdit.h"

#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLCopy.h"

namespace {

Word VLFFormat() { return RegisterClipboardFormat(VLFClipboardFormatName); }
Word RTFFormat() { return RegisterClipboardFormat(RTFClipboardFormatName); }

TMemoryStream StreamOf(const AnsiString& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  return s;
}

}  // namespace

bool TCustomVellumEdit::CanPaste() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->CanPaste();
  const TDragData clip = ClipboardDragData();
  return clip.HasFormat(VLFFormat()) || clip.HasFormat(RTFFormat()) || clip.HasFormat(CF_UNICODETEXT) ||
         clip.HasPicture() || clip.HasHtml() || !clip.GetFileNames().empty();
}

void TCustomVellumEdit::Paste() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->Paste();
  if (!BeforeChange(false)) return;
  bool doDefault = true;
  if (OnPaste) OnPaste(GetRootEditor(), doDefault);
  if (!doDefault) return;
  const TDragData clip = ClipboardDragData();
  if (clip.HasFormat(VLFFormat())) {
    PasteVLF();
  } else if (clip.HasFormat(RTFFormat())) {
    PasteRTF();
  } else if (!clip.GetFileNames().empty()) {
    PasteFiles();
  } else if (clip.HasFormat(CF_UNICODETEXT)) {
    PasteUnicodeText();
  } else if (clip.HasHtml()) {
    PasteHTML();
  } else if (clip.HasPicture()) {
    PasteBitmap(false);
  } else {
    EditData()->Beep();
  }
}

bool TCustomVellumEdit::PasteWith(const std::function<bool(TVLEditVLData&)>& insert) {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->PasteWith(insert);
  bool done = false;
  RunEdit([&] {
    TVLEditVLData* d = EditData();
    if (d->ActiveItem || !BeforeChange(false)) return;
    d->BeginUndoSequence(vlutInsert, true);
    SetUndoGroupMode(true);
    struct TEnd {
      TCustomVellumEdit* E;
      ~TEnd() { E->EndInsert(); }
    } end{this};
    // The selection goes in the same step, and comes back when the paste
    // turns out unreadable.
    const TVLEditVLData::TUndoMark mark = d->MarkUndo();
    const Integer style = d->CurTextStyleNo;
    d->CaptureCurTag();
    d->Inserting = true;
    d->DeleteSelection();
    d->Deselect(nullptr, false);
    d->SetCurTextStyleNo(style);
    done = insert(*d);
    if (!done) d->RollBackTo(mark);
  });
  return done;
}

bool TCustomVellumEdit::PasteVLF() {
  const AnsiString block = ClipboardDragData().GetData(VLFFormat());
  return PasteWith([&](TVLEditVLData& d) { return d.InsertVLFBlock(block); });
}

bool TCustomVellumEdit::PasteRTF() {
  const AnsiString rtf = ClipboardDragData().GetData(RTFFormat());
  return PasteWith([&](TVLEditVLData& d) {
    TMemoryStream s = StreamOf(rtf);
    return d.InsertRTFFromStream(s);
  });
}

bool TCustomVellumEdit::PasteUnicodeText() {
  const WideString text = ClipboardDragData().GetAsUnicodeText();
  if (text.empty()) return false;
  return PasteWith([&](TVLEditVLData& d) {
    d.InsertRawUnicodeText(WideStringToRawUnicode(text), false);
    return true;
  });
}

bool TCustomVellumEdit::PasteHTML() {
  // Until HTML is read as a document, its text goes in.
  const String text = ClipboardDragData().GetHtmlAsText();
  if (text.empty()) return false;
  return PasteWith([&](TVLEditVLData& d) {
    d.InsertRawUnicodeText(WideStringToRawUnicode(Utf8ToWide(text)), false);
    return true;
  });
}

bool TCustomVellumEdit::PasteBitmap(bool textAsName) {
  const TDragData clip = ClipboardDragData();
  auto bitmap = std::make_unique<TBitmap>();
  if (!clip.GetBitmap(*bitmap)) return false;
  const AnsiString name = textAsName ? AnsiString(clip.GetAsText()) : AnsiString();
  return PasteWith([&](TVLEditVLData& d) { return d.InsertPictureAtCaret(std::move(bitmap), name); });
}

bool TCustomVellumEdit::PasteFiles() {
  const std::vector<String> files = ClipboardDragData().GetFileNames();
  if (files.empty()) return false;
  return PasteWith([&](TVLEditVLData&) { return InsertDroppedFiles(files); });
}

bool TCustomVellumEdit::InsertVLFFromStream(TStream& stream) {
  return PasteWith([&](TVLEditVLData& d) { return d.InsertVLFFromStream(stream); });
}

bool TCustomVellumEdit::InsertRTFFromStream(TStream& stream) {
  return PasteWith([&](TVLEditVLData& d) { return d.InsertRTFFromStream(stream); });
}

bool TCustomVellumEdit::InsertVLFFromFile(const String& fileName) {
  return PasteWith([&](TVLEditVLData& d) { return d.InsertVLFFromFile(fileName); });
}

bool TCustomVellumEdit::InsertRTFFromFile(const String& fileName) {
  return PasteWith([&](TVLEditVLData& d) { return d.InsertRTFFromFile(fileName); });
}
