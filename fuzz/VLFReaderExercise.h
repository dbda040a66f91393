#pragma once
// What the VLF reader fuzz target does with its input, shared with the
// sanitizer test that runs the seed corpus: load the bytes with both tag
// kinds and option sets, write what was read, and insert the bytes again in
// the middle of the document as the editor would.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"

inline void VLFExerciseReader(const AnsiString& bytes) {
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
    TMemoryStream out;
    doc.SaveVLFToStream(out, false, color, nullptr, bsNoBitmap, &layout);
    TStringStream again(bytes);
    doc.InsertVLFFromStream(again, doc.GetItemCount() / 2, color, nullptr, nullptr, nullptr, false);
  }
}
