// Paste into the editor: the first format of the clipboard in the order of
// preference (our VLF, RTF, files, HTML that holds links, text, other HTML,
// a picture; HTML goes in as its text and links), each as
// one undo step that replaces the selection; a format that cannot be read
// changes nothing.
#include "richtext/editor/VellumEdit.h"

#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLCopy.h"

#include <algorithm>

namespace {

Word VLFFormat() { return RegisterClipboardFormat(VLFClipboardFormatName); }
Word RTFFormat() { return RegisterClipboardFormat(RTFClipboardFormatName); }

TMemoryStream StreamOf(const AnsiString& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s.SetPosition(0);
  return s;
}

// Windows-style programs put HTML on the clipboard under this name, with a
// header of "Name:value" lines before the markup.
const char* const HTMLFormatMime = "HTML Format";

AnsiString LowerAscii(AnsiString s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes of a file address's path.
AnsiString PercentDecoded(const AnsiString& s) {
  AnsiString out;
  for (size_t i = 0; i < s.size(); ++i) {
    const int hi = s[i] == '%' && i + 2 < s.size() ? HexValue(s[i + 1]) : -1;
    const int lo = hi >= 0 ? HexValue(s[i + 2]) : -1;
    // A zero byte would end the name early: "%00" stays as it is.
    if (lo >= 0 && hi * 16 + lo != 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// While a pasted document is read, the reader takes linked pictures and
// relative links from the folder the clipboard names; the reader's own
// folder comes back afterwards.
class TReaderBasePath {
public:
  TReaderBasePath(TVLRTFReadHook* hook, const String& path) : FHook(path.empty() ? nullptr : hook) {
    if (!FHook) return;
    FSaved = FHook->GetBasePath();
    FHook->SetBasePath(path);
  }
  ~TReaderBasePath() {
    if (FHook) FHook->SetBasePath(FSaved);
  }

private:
  TVLRTFReadHook* FHook;
  String FSaved;
};

bool HoldsLink(const std::vector<THtmlRun>& runs) {
  return std::any_of(runs.begin(), runs.end(), [](const THtmlRun& r) { return !r.Link.empty(); });
}

}  // namespace

String VLHTMLSourceFolder(const AnsiString& block) {
  static const AnsiString key = "SourceURL:";
  size_t p = block.find(key);
  if (p == AnsiString::npos) return String();
  p += key.size();
  const size_t end = block.find_first_of(AnsiString("\0\n\r", 3), p);
  AnsiString url = block.substr(p, end == AnsiString::npos ? AnsiString::npos : end - p);
  while (!url.empty() && (url.front() == ' ' || url.front() == '\t')) url.erase(0, 1);
  while (!url.empty() && (url.back() == ' ' || url.back() == '\t')) url.pop_back();
  const AnsiString lower = LowerAscii(url);
  bool web = false;
  if (lower.compare(0, 7, "file://") == 0) {
    url = PercentDecoded(url.substr(7));
  } else if (lower.compare(0, 7, "http://") == 0) {
    url.erase(0, 7);
    web = true;
  }
  // Well-formed UTF-8 from here on (bad sequences become replacement marks).
  String folder = WideToUtf8(Utf8ToWide(url));
  // A backslash of a Windows path separates folders as "/" does here.
  for (char& c : folder)
    if (c == '\\') c = '/';
  const size_t last = folder.rfind('/');
  folder = last == String::npos ? String() : folder.substr(0, last + 1);
  if (web && !folder.empty()) folder = "http://" + folder;
  return folder;
}

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
  } else if (clip.HasHtml() && HoldsLink(clip.GetHtmlRuns())) {
    // Its text alone would lose the links' addresses.
    PasteHTML();
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
  TVLFWarning stale;
  EditData()->TakeRefusedTable(stale);
  GetRootEditor()->FRefusalTold = false;
  const Cardinal stamp = EditData()->EditStamp;
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
    DeleteSelectionForInsert();
    done = insert(*d);
    if (!done) {
      // Rolled back, or nothing was recorded (the step's group is gone):
      // the document is as it was, and no change is reported.
      const bool undone = d->RollBackTo(mark) || (mark.Group && d->UndoList->LastGroup() != mark.Group);
      if (undone) {
        FPendingChange = false;
        d->EditStamp = stamp;
      }
    }
  });
  if (!done) TellRefusedTable();
  const TVLFWarnings notShown = EditData()->TakeInsertedNotShown();
  if (done && !notShown.Empty()) {
    // One message for all of it.
    String text;
    auto add = [&](TVLFWarning w, const char* what) {
      if (!notShown.Contains(w)) return;
      text += text.empty() ? "The text was inserted, but " : "; and ";
      text += what;
    };
    add(vlfwTableTextLost, "a table in it is damaged: the text of the cells that could not be read is lost");
    add(vlfwInvalidPicture, "pictures in it cannot be shown");
    MessageBox(text + ".", Application->GetTitle(), MB_OK | MB_ICONEXCLAMATION);
  }
  return done;
}

bool TCustomVellumEdit::PasteDocument(const std::function<bool(TVLEditVLData&)>& insert) {
  bool read = false;
  const bool done = PasteWith([&](TVLEditVLData& d) {
    read = true;
    return insert(d);
  });
  // A clipboard that held the format but nothing readable in it is not
  // passed over in silence, as a file that cannot be read is not.
  if (read && !done && !InsertRefusalTold())
    MessageBox("The text was not pasted: the copy on the clipboard is damaged or cut short.",
               Application->GetTitle(), MB_OK | MB_ICONEXCLAMATION);
  return done;
}

bool TCustomVellumEdit::TellRefusedTable() {
  TVLFWarning why;
  if (!EditData()->TakeRefusedTable(why)) return false;
  GetRootEditor()->FRefusalTold = true;
  const String text =
      why == vlfwTableTooDeep
          ? "The text was not inserted: a table in it would lie more than " + std::to_string(VLTableMaxNesting) +
                " tables deep."
      : why == vlfwTableDamaged
          ? String("The text was not inserted: a table in it is damaged (it claims more cells than it holds).")
      : why == vlfwRecordNotShown
          ? String("The text was not inserted: part of it is damaged or of a kind this program cannot show.")
          : "The text was not inserted: a table in it has more than " + std::to_string(VLTableMaxCells) +
                " cells.";
  MessageBox(text, Application->GetTitle(), MB_OK | MB_ICONEXCLAMATION);
  return true;
}

bool TCustomVellumEdit::PasteVLF() {
  const AnsiString block = ClipboardDragData().GetData(VLFFormat());
  return PasteDocument([&](TVLEditVLData& d) { return d.InsertVLFBlock(block); });
}

bool TCustomVellumEdit::PasteRTF() {
  const TDragData clip = ClipboardDragData();
  const AnsiString rtf = clip.GetData(RTFFormat());
  const String folder = VLHTMLSourceFolder(clip.GetMimeData(HTMLFormatMime));
  const TReaderBasePath base(EditData()->GetRTFReadProperties(), folder);
  return PasteDocument([&](TVLEditVLData& d) {
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
  // Until HTML is read as a document, its text goes in, with its links.
  const std::vector<THtmlRun> runs = ClipboardDragData().GetHtmlRuns();
  if (runs.empty()) return false;
  return PasteWith([&](TVLEditVLData& d) {
    const Integer plain = d.CurTextStyleNo;
    for (const THtmlRun& run : runs) {
      Integer styleNo = plain;
      TVLTag tag;
      if (!run.Link.empty() && LinkStyleAndTag(run.Link, styleNo, tag)) {
        if (!InsertTaggedItem(d, run.Text, tag, styleNo)) return false;
        continue;
      }
      if (d.CurTextStyleNo != plain) d.SetCurTextStyleNo(plain);
      d.InsertRawUnicodeText(WideStringToRawUnicode(Utf8ToWide(run.Text)), false);
    }
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

void TCustomVellumEdit::MiddleClick(int x, int y) {
  TClipboard& primary = PrimarySelection();
  if (GetReadOnly() || !primary.Available()) return;
  // Read before the click below, which may change what is selected here.
  const WideString text = primary.GetAsUnicodeText();
  if (text.empty()) return;
  // The caret goes where a left click would put it.
  TShiftState pressed;
  pressed.Include(ssLeft);
  MouseDown(mbLeft, pressed, x, y);
  MouseUp(mbLeft, TShiftState(), x, y);
  InsertWideText(text);
}
