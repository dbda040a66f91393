// Writes the seed corpus of the VLF reader fuzz target: documents made by
// the writer, so that the fuzzer starts from records it could not easily
// invent (style collections, pictures in both forms, markers, layout,
// properties, checkpoints, Unicode text and a record of an unknown kind).
//   make_vlf_seeds <folder>
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"

#include <QGuiApplication>

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {

void Write(const std::string& folder, const std::string& name, const AnsiString& bytes) {
  std::ofstream f(folder + "/" + name, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct TSeedDoc {
  TSeedDoc() : Style(nullptr), Doc(&Style) {
    Doc.SetState(Doc.GetState() | vlstViewDocument);
    Doc.DocProperties = std::make_unique<TStringList>();
    Doc.VLFOptions.Include(vlfoSaveTextStyles);
    Doc.VLFOptions.Include(vlfoSaveParaStyles);
    Doc.VLFOptions.Include(vlfoSaveLayout);
    Doc.VLFOptions.Include(vlfoSaveDocProperties);
    Doc.VLFOptions.Include(vlfoSaveBack);
  }
  AnsiString Save(bool binary, bool names) {
    if (binary)
      Doc.VLFOptions.Include(vlfoSaveBinary);
    else
      Doc.VLFOptions.Exclude(vlfoSaveBinary);
    if (names)
      Doc.VLFOptions.Include(vlfoUseStyleNames);
    else
      Doc.VLFOptions.Exclude(vlfoUseStyleNames);
    TMemoryStream out;
    TVLLayoutInfo layout;
    layout.LeftMargin = 5;
    layout.StartsInsideParagraph = true;
    layout.StartMarkerListNo = 0;
    TBitmap back(2, 2);
    Doc.SaveVLFToStream(out, false, clWhite, &back, bsTiled, &layout);
    return out.Bytes();
  }
  TVLStyle Style;
  TVLDocumentData Doc;
};

void Fill(TSeedDoc& s) {
  TVLListInfo* list = s.Style.ListStyles->Add();
  const TVLListType types[] = {vllstUpperRoman, vllstLowerAlpha, vllstDecimal};
  for (TVLListType t : types) {
    TVLListLevel* l = list->Levels->Add();
    l->ListType = t;
    l->FormatString = "%0:s.%1:s.%2:s";
  }
  s.Style.TextStyles->Items(1)->Unicode = true;
  s.Style.TextStyles->Items(0)->StyleName = "Body \"quoted\"";
  s.Doc.DocProperties->Add("title");
  s.Doc.DocProperties->Add("line\r\nbreak");
  s.Doc.AddTextItem("plain paragraph", 0, 0);
  s.Doc.AddTextItem(AnsiString("u\0n\0i\0", 6), 1, -1);
  s.Doc.SetListMarker(s.Doc.GetItemCount(), 0, 0, 1, 0, false);
  s.Doc.AddTextItem("first", 0, -1);
  s.Doc.SetListMarker(s.Doc.GetItemCount(), 0, 1, 1, 0, false);
  s.Doc.AddTextItem("nested", 0, -1);
  s.Doc.SetListMarker(s.Doc.GetItemCount(), 0, 2, 3999, 0, true);
  s.Doc.AddTextItem("deep", 0, -1);
  auto pic = TVLGraphicItemInfo::CreateEx(&s.Doc, std::make_unique<TBitmap>(3, 2), vlvaMiddle);
  pic->StyleNo = vlsPicture;
  pic->Alt = "alt text";
  pic->ImageWidth = 6;
  s.Doc.AddItem("pic", pic.release());
  auto hot = TVLGraphicItemInfo::CreateEx(&s.Doc, std::make_unique<TBitmap>(1, 1), vlvaBaseline);
  hot->StyleNo = vlsHotPicture;
  s.Doc.AddItem("hot", hot.release());
  auto brk = std::make_unique<TVLBreakItemInfo>(&s.Doc);
  brk->StyleNo = vlsBreak;
  s.Doc.AddItem("", brk.release());
  s.Doc.AddTextItem("after the rule", 2, 0);
  s.Doc.NotAddedCP = new TVLCPInfo();
  s.Doc.NotAddedCP->Name = "end";
  ++s.Doc.CPCount;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_vlf_seeds <folder>\n";
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  const std::string folder = argv[1];
  TSeedDoc s;
  Fill(s);
  Write(folder, "writer_all_records_hex.vlf", s.Save(false, false));
  Write(folder, "writer_all_records_binary.vlf", s.Save(true, false));
  Write(folder, "writer_style_names.vlf", s.Save(false, true));
  // A record of a kind not known here, with a body of cell data: a 32-bit
  // length and a VLF document of its own.
  TSeedDoc cell;
  cell.Doc.AddTextItem("cell text", 0, 0);
  TMemoryStream data;
  cell.Doc.SaveDataProperty(data);
  AnsiString table = "-8 1 3\r\n-60 2 0 0 2 0 1 1\r\ncell\r\n";
  AnsiString body = data.Bytes();
  for (int k = 0; k < 4; ++k) table += static_cast<char>((body.size() >> (8 * k)) & 0xFF);
  table += body;
  table += "0 1 0 0 0 0\r\nafter the table\r\n";
  Write(folder, "unknown_record_with_cell_data.vlf", table);
  return 0;
}
