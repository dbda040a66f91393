#pragma once
// Helpers of the RTF tests: import text into a document and read the
// document back as plain UTF-8 text.
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/table/VLTable.h"

#include <string>
#include <vector>

namespace rtftest {

// One item's text in UTF-8.
inline std::string ItemText(TCustomVLData& doc, Integer i) {
  const AnsiString raw = doc.GetItemTextA(i);
  if (doc.GetItemOptions(i) & vlioUnicode) return WideToUtf8(RawUnicodeToWide(raw));
  return AnsiToUtf8(raw, doc.GetStyleCodePage(doc.GetItemStyle(i)));
}

// Paragraphs end in "\n", line breaks are "\n" too; table cells are
// written cell by cell, each ending in "|", rows ending in "\n".
inline std::string PlainText(TCustomVLData& doc) {
  std::string out;
  for (Integer i = 0; i < doc.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = doc.GetItem(i);
    if (i > 0 && !item->GetSameAsPrev()) out += "\n";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      for (Integer r = 0; r < t->RowCount(); ++r) {
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) out += PlainText(*cell) + "|";
        out += "\n";
      }
    } else if (item->StyleNo >= 0) {
      out += ItemText(doc, i);
    } else if (item->StyleNo == vlsPicture || item->StyleNo == vlsHotPicture) {
      out += "[picture]";
    }
  }
  return out;
}

// The numbers of the document's own list paragraphs, in document order
// (those in table cells are not listed).
inline std::vector<std::string> MarkerTexts(TCustomVLData& doc) {
  std::vector<std::string> r;
  TVLMarkerList* list = doc.GetMarkers(false);
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (doc.GetItem(i)->StyleNo == vlsListMarker) r.push_back(list ? list->DisplayStringOf(doc.GetItem(i)) : "?");
  return r;
}

// The document as its plain-text copy gives it (the clipboard's text and
// text export), in UTF-8.
inline std::string CopiedText(TCustomVLData& doc) {
  TMemoryStream s;
  doc.SaveTextToStream(String(), s, 80, false, false, true, false);
  return WideToUtf8(RawUnicodeToWide(s.Bytes()));
}

inline Byte Import(TVLRTFReaderProperties& props, TCustomVLData& doc, const std::string& rtf) {
  TStringStream s(rtf);
  return props.ReadFromStream(s, &doc);
}

// A document read from RTF into a style sheet of its own, with the styles
// it needs added.
struct TImported {
  TVLStyle Style{nullptr};
  TVLDocumentData Doc{&Style};
  TVLRTFReaderProperties Props;
  TImported() { Props.ParaStyleMode = Props.TextStyleMode = vlrsAddIfNeeded; }
  Byte Read(const std::string& rtf) { return Import(Props, Doc, rtf); }
};

}  // namespace rtftest
