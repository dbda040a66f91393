// libFuzzer target: any bytes given to the VLF reader end in true or false,
// never in a crash or a read outside the data.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char arg0[] = "vlf_reader_fuzz";
  static char* argv[] = {arg0, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QGuiApplication(argc, argv);
  }();
  (void)app;

  const AnsiString bytes(reinterpret_cast<const char*>(data), size);
  // Both tag kinds, text and binary options, with and without repairs.
  for (int variant = 0; variant < 2; ++variant) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    doc.DocProperties = std::make_unique<TStringList>();
    doc.VLFOptions.Include(vlfoLoadLayout);
    doc.VLFOptions.Include(vlfoLoadBack);
    if (variant) {
      doc.Options.Include(vloTagsArePChars);
      doc.VLFOptions.Include(vlfoConvUnknownStylesToZero);
      doc.VLFOptions.Include(vlfoIgnoreUnknownPicFmt);
    }
    TStringStream in(bytes);
    TColor color = clNone;
    TVLLayoutInfo layout;
    TBitmap back;
    TBackgroundStyle backStyle = bsNoBitmap;
    doc.LoadVLFFromStream(in, color, &back, &backStyle, &layout);
    // Whatever was read must write again.
    TMemoryStream out;
    doc.SaveVLFToStream(out, false, color, nullptr, bsNoBitmap, &layout);
    // And insert in the middle of itself as the editor would.
    TStringStream again(bytes);
    doc.InsertVLFFromStream(again, doc.GetItemCount() / 2, color, nullptr, nullptr, nullptr, false);
  }
  return 0;
}
