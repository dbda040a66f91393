#pragma once
// What a converter brought in, set against what the file holds: the words
// of an OpenDocument file's text and those of the RTF a converter made of
// it, so that an import that leaves text out can say how much.
#include "platform/base/Strings.h"

#include <cstddef>
#include <vector>

class TStream;

struct TVLFileText {
  std::vector<String> Words;
  // A table stands in a cell of another.
  bool NestedTables = false;
};

// The words of an OpenDocument file's body (its content.xml): paragraphs
// and headings, in tables at any depth; not comments, deleted text kept for
// tracked changes, or the numbers of notes. False when it cannot be read.
bool VLOpenDocumentText(const String& fileName, TVLFileText& text);
// The words of RTF as the program reads it, table cells at any depth
// included; the stream's position is kept.
std::vector<String> VLRTFWords(TStream& rtf);
// How many of words are not among found, each counted as often as it occurs.
size_t VLWordsMissing(const std::vector<String>& words, const std::vector<String>& found);
