#include "richtext/view/VLCopy.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/model/VLClipFormats.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/Vellum.h"

#include <memory>

namespace {

// What a copy leaves for the formats made later: the VLF of the selection,
// the style sheet it refers to and the options it was written under (a
// link's address is a string tag only under the source's options; read
// without them, the VLF stops at the first link). The sheet belongs to the
// program; when it goes first, nothing more is made.
class TVLClipSnapshot : public TComponent {
public:
  TVLClipSnapshot(AnsiString vlf, TVLStyle* style, TColor color, TCustomVLData& source)
      : TComponent(nullptr),
        FVLF(std::move(vlf)),
        FStyle(style),
        FColor(color),
        FOptions(source.GetOptions()),
        FVLFOptions(source.GetVLFOptions()),
        FRTFOptions(source.GetRTFOptions()) {
    if (FStyle) FStyle->FreeNotification(this);
  }
  ~TVLClipSnapshot() override {
    FDoc.reset();
    if (FStyle) FStyle->RemoveFreeNotification(this);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FStyle) {
      FDoc.reset();
      FStyle = nullptr;
    }
  }
  TVLDocumentData* Document() {
    if (!FStyle) return nullptr;
    if (!FDoc) {
      FDoc = std::make_unique<TVLDocumentData>(FStyle);
      FDoc->Options = FOptions;
      FDoc->VLFOptions = FVLFOptions;
      FDoc->RTFOptions = FRTFOptions;
      // The styles are those of the sheet already: read them as they are.
      FDoc->VLFTextStylesReadMode = vlf_sIgnore;
      FDoc->VLFParaStylesReadMode = vlf_sIgnore;
      // The source's link handler knows its own items only: a link's
      // address is its string tag here. Pictures stay out of the web page
      // (no files are written for it); the other forms carry them.
      if (FOptions.Contains(vloTagsArePChars))
        FDoc->ExportEvents.OnWriteHyperlink = [](TCustomVLData* d, Integer, Integer itemNo, Integer, String& target,
                                                 String&) { target = d->GetItem(itemNo)->Tag.Str; };
      FDoc->ExportEvents.OnHTMLSaveImage = [](TCustomVLData*, Integer, const String&, TColor, bool& doDefault,
                                              String&) { doDefault = false; };
      FDoc->ExportEvents.OnSaveImage2 = [](const TGraphic*, Integer, const String&, const String&, Integer&,
                                           bool& doDefault, String&) { doDefault = false; };
      TMemoryStream stream;
      stream.WriteBuffer(FVLF.data(), static_cast<Int64>(FVLF.size()));
      stream.SetPosition(0);
      TColor color = FColor;
      FDoc->LoadVLFFromStream(stream, color, nullptr, nullptr, nullptr);
    }
    return FDoc.get();
  }
  TColor Color() const { return FColor; }

private:
  AnsiString FVLF;
  TVLStyle* FStyle;
  TColor FColor;
  TVLOptions FOptions;
  TVLFOptions FVLFOptions;
  TVLRTFOptions FRTFOptions;
  std::unique_ptr<TVLDocumentData> FDoc;
};

}  // namespace

WideString VLDocumentText(TCustomVLData& data, bool selectionOnly, bool markers) {
  TMemoryStream stream;
  if (!data.SaveTextToStream(String(), stream, 80, selectionOnly, false, true, false, markers))
    return WideString();
  return RawUnicodeToWideString(AnsiString(stream.Memory(), static_cast<size_t>(stream.GetSize())));
}

namespace {

// The item whose own selection is this document's (a table with selected
// cells); nullptr when the selection is the document's own or lies deeper.
TCustomVLItemInfo* PartlySelectedItem(TVLControlData& data) {
  TCustomVLItemInfo* item = data.ActiveItem;
  return item && item->PartiallySelected() ? item : nullptr;
}

// The document whose selection a copy takes: a cell being edited holds it,
// unless cells selected around it hold it here.
TVLControlData* SelectionHolder(TVLControlData& data) {
  TVLControlData* d = &data;
  while (!PartlySelectedItem(*d))
    if (auto* sub = dynamic_cast<TVLControlData*>(d->GetActiveSubVLData()); sub && sub != d)
      d = sub;
    else
      break;
  return d;
}

}  // namespace

WideString VLGetSelText(TVLControlData& data0, bool markers) {
  TVLControlData& data = *SelectionHolder(data0);
  if (TCustomVLItemInfo* item = PartlySelectedItem(data)) {
    TVLDocumentData doc(data.GetStyle());
    WideString text;
    item->CopyPartiallySelected(&doc, text);
    return text;
  }
  if (!data.SelectionExists(false, false)) return WideString();
  return VLDocumentText(data, true, markers);
}

TGraphic* VLGetSelectedImage(TVLControlData& data0) {
  TVLControlData& data = *SelectionHolder(data0);
  if (PartlySelectedItem(data)) return nullptr;
  Integer d0, o0, d1, o1;
  data.GetDrawItemSelBounds(true, d0, o0, d1, o1);
  if (d0 < 0 || d1 < 0) return nullptr;
  Integer target = -1;
  auto before = [&](Integer n) { return data.GetOffsBeforeDrawItem(n); };
  auto after = [&](Integer n) { return data.GetOffsAfterDrawItem(n); };
  if (d0 == d1) {
    if (o0 == before(d0) && o1 == after(d0)) target = d0;
  } else if (d1 == d0 + 1) {
    if (o0 == after(d0) && o1 == after(d1)) target = d1;
    else if (o0 == before(d0) && o1 == before(d1)) target = d0;
  } else if (d1 == d0 + 2) {
    if (o0 == after(d0) && o1 == before(d1)) target = d0 + 1;
  }
  if (target < 0) return nullptr;
  TCustomVLItemInfo* item = data.GetItem(data.DrawItems[target]->ItemNo);
  return item->StyleNo < 0 ? item->GetGraphic() : nullptr;
}

AnsiString VLMakeVLFBlock(const AnsiString& vlf) {
  AnsiString block(4, '\0');
  const uint32_t n = static_cast<uint32_t>(vlf.size());
  for (int i = 0; i < 4; ++i) block[static_cast<size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return block + vlf;
}

bool VLReadVLFBlock(const AnsiString& block, AnsiString& vlf) {
  vlf.clear();
  if (block.size() < 4) return false;
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<uint32_t>(static_cast<unsigned char>(block[static_cast<size_t>(i)])) << (8 * i);
  if (static_cast<int32_t>(n) < 0 || n > block.size() - 4) return false;
  vlf = block.substr(4, n);
  return true;
}

bool VLPutSelection(TVLControlData& data0, TColor color, const TVLTransferTarget& target) {
  TVLControlData& data = *SelectionHolder(data0);
  if (&data != &data0) color = clNone;
  if (!data.SelectionExists(true, true)) return false;
  const TVLOptions opts = data.GetOptions();
  // The VLF of the selection: the VLF format itself and what the others
  // are made from. Selected cells go as a table of their own, and their
  // text is the table's as a sheet's cells are.
  TMemoryStream stream;
  std::shared_ptr<const WideString> cellsText;
  if (TCustomVLItemInfo* item = PartlySelectedItem(data)) {
    TVLDocumentData doc(data.GetStyle());
    doc.Options = opts;
    doc.VLFOptions = data.GetVLFOptions();
    doc.RTFOptions = data.GetRTFOptions();
    auto text = std::make_shared<WideString>();
    std::unique_ptr<TCustomVLItemInfo> copy = item->CopyPartiallySelected(&doc, *text);
    if (!copy) return false;
    doc.AddItem(AnsiString(), copy.release());
    doc.SaveVLFToStream(stream, true, color, nullptr, bsNoBitmap, nullptr);
    cellsText = text;
  } else {
    data.SaveVLFToStream(stream, true, color, nullptr, bsNoBitmap, nullptr);
  }
  AnsiString vlf(stream.Memory(), static_cast<size_t>(stream.GetSize()));
  auto snapshot = std::make_shared<TVLClipSnapshot>(vlf, data.GetStyle(), color, data);
  if (opts.Contains(vloAutoCopyVLF))
    target.SetData(RegisterClipboardFormat(VLFClipboardFormatName), VLMakeVLFBlock(vlf));
  if (opts.Contains(vloAutoCopyImage))
    if (TGraphic* graphic = VLGetSelectedImage(data)) {
      try {
        target.SetPicture(*graphic);
      } catch (const Exception&) {
        // A picture that cannot be offered is left out.
      }
    }
  // One text format carries both the 8-bit and the Unicode text here.
  if ((opts.Contains(vloAutoCopyText) || opts.Contains(vloAutoCopyUnicodeText)) && cellsText)
    target.SetLazyData(CF_UNICODETEXT, [cellsText] { return WideStringToRawUnicode(*cellsText); });
  else if (opts.Contains(vloAutoCopyText) || opts.Contains(vloAutoCopyUnicodeText))
    target.SetLazyData(CF_UNICODETEXT, [snapshot] {
      TVLDocumentData* doc = snapshot->Document();
      TMemoryStream text;
      if (!doc || !doc->SaveTextToStream(String(), text, 80, false, false, true, false)) return AnsiString();
      return AnsiString(text.Memory(), static_cast<size_t>(text.GetSize()));
    });
  if (opts.Contains(vloAutoCopyRTF) && VLGetRTFCopyWriter())
    target.SetLazyData(RegisterClipboardFormat(RTFClipboardFormatName), [snapshot] {
      TVLDocumentData* doc = snapshot->Document();
      TMemoryStream rtf;
      const TVLRTFCopyWriter& writer = VLGetRTFCopyWriter();
      if (!doc || !writer || !writer(*doc, rtf)) return AnsiString();
      return AnsiString(rtf.Memory(), static_cast<size_t>(rtf.GetSize()));
    });
  // The web page goes with the RTF: programs that read no RTF keep links
  // and the look of the text from it.
  if (opts.Contains(vloAutoCopyRTF))
    target.SetLazyData(ClipboardFormatHTML(), [snapshot] {
      TVLDocumentData* doc = snapshot->Document();
      TMemoryStream page;
      Integer pictures = 0;
      if (!doc || !doc->SaveHTMLToStream(page, String(), String(), String(), TVLSaveOptions(), clNone, pictures, 0, 0,
                                         0, 0, nullptr, nullptr))
        return AnsiString();
      return AnsiString(page.Memory(), static_cast<size_t>(page.GetSize()));
    });
  return true;
}

bool VLCopy(TVLControlData& data0, TColor color) {
  TVLControlData& data = *SelectionHolder(data0);
  if (&data != &data0) color = clNone;
  const TVLOptions opts = data.GetOptions();
  const bool result = opts.Contains(vloAutoCopyText) || opts.Contains(vloAutoCopyUnicodeText) ||
                      opts.Contains(vloAutoCopyVLF) || opts.Contains(vloAutoCopyImage) ||
                      opts.Contains(vloAutoCopyRTF) || data.IsOnCopyAssigned();
  if (!result) return false;
  if (!data.SelectionExists(true, true)) return result;
  TClipboard& clipboard = Clipboard();
  clipboard.Open();
  struct TCloser {
    TClipboard& C;
    ~TCloser() { C.Close(); }
  } closer{clipboard};
  clipboard.Clear();
  if (auto* view = dynamic_cast<TVellumVLData*>(&data); view && view->Vellum->OnCopy)
    view->Vellum->OnCopy(view->Vellum);
  TVLTransferTarget target;
  target.SetData = [&](Word format, const AnsiString& bytes) { clipboard.SetData(format, bytes); };
  target.SetLazyData = [&](Word format, std::function<AnsiString()> render) {
    clipboard.SetLazyData(format, std::move(render));
  };
  target.SetPicture = [&](const TGraphic& graphic) { clipboard.Assign(graphic); };
  VLPutSelection(data, color, target);
  return result;
}
