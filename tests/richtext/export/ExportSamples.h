#pragma once
// A reproducible set of documents that uses every item kind, text, paragraph
// and list styles, Unicode and 8-bit text, right-to-left paragraphs,
// hyperlinks, checkpoints and pictures: the input of the export checks and
// the export benchmark.
#include "richtext/model/VLData.h"

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/gui/ImgList.h"

struct TExportSample {
  std::unique_ptr<TVLStyle> Style;
  std::unique_ptr<TVLDocumentData> Doc;
  std::unique_ptr<TCustomImageList> Images;
  std::map<const TCustomVLItemInfo*, String> Targets;
  // The texts of the paragraphs as a reader shows them (UTF-8; empty
  // paragraphs left out).
  std::vector<std::string> Paragraphs;
};

// Document number n of the set; paragraphs and pictures scale the size.
std::unique_ptr<TExportSample> MakeExportSample(unsigned n, int paragraphs = 40, int pictures = 3);
