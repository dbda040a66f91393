// Saving a document to VLF bytes and reading it back, for the tests that
// check what the writer and the reader agree on.
#pragma once

#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"

#include <gtest/gtest.h>

#include <string>

namespace qytest {

inline std::string SaveVLFBytes(TVLDocumentData& doc, bool binary = true) {
  if (binary)
    doc.VLFOptions.Include(vlfoSaveBinary);
  else
    doc.VLFOptions.Exclude(vlfoSaveBinary);
  TMemoryStream out;
  EXPECT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  return out.Bytes();
}

inline bool LoadVLFBytes(TVLDocumentData& doc, const std::string& vlf) {
  TStringStream in(vlf);
  TColor color = clNone;
  return doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
}

}  // namespace qytest
