// libFuzzer target: any bytes given to the RTF import end in a result code,
// never in a crash, a read outside the data, or unbounded memory.
#include "fuzz/FuzzApplication.h"
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFImport.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartApplication();
  const AnsiString bytes(reinterpret_cast<const char*>(data), size);
  // The default options, then every list, table and Unicode path with a
  // header document (and a footer one for inputs of even length), inserted
  // in the middle as the editor does.
  for (int variant = 0; variant < 2; ++variant) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLDocumentData header(&style), footer(&style);
    TVLRTFReaderProperties props;
    props.LinkPolicy.LinkedPictures = false;
    if (variant) {
      props.UnicodeMode = vlruMixed;
      props.TextStyleMode = vlrsAddIfNeeded;
      props.ParaStyleMode = vlrsAddIfNeeded;
      props.HeaderVLData = &header;
      // Without a footer document footers are read into a discarded one.
      props.FooterVLData = size % 2 ? nullptr : &footer;
      props.SkipHiddenText = false;
      props.LineBreaksAsParagraphs = true;
      doc.AddTextItem("before", 0, 0);
      doc.AddTextItem("after", 0, 0);
      TStringStream in(bytes);
      Integer index = 1;
      try {
        props.InsertFromStream(in, &doc, index);
      } catch (const EAbort&) {
      }
    } else {
      TStringStream in(bytes);
      props.ReadFromStream(in, &doc);
    }
  }
  return 0;
}
