#pragma once
// The validator of the language tables: the rules every table keeps so that
// the actions and dialogs work in any language (placeholders, hint bars,
// line breaks, accelerators, filters, code-page bytes, the length of the
// captions fetched padded), and the counts a table's review compares.
#include "actions/VLALocalize.h"

#include <vector>

struct TVLALanguageProfile {
  int SingleAccelRows = 0;  // rows with exactly one "&" accelerator
  int DoubleAccelRows = 0;  // rows with two or more
  int BarRows = 0;          // rows holding a "|"
  int LineBreaks = 0;       // carriage returns in the whole table
  int EllipsisRows = 0;     // rows holding "..."
  int EmptyRows = 0;
  int LongestRowId = 0;
  int LongestRowLength = 0;
};

TVLALanguageProfile ProfileLanguageTable(TVLAMessages Table);

// Every rule the table breaks, one line each ("id 211: …"); empty when the
// table is sound. English fixes the placeholders, bars, line breaks and
// filter patterns the table must match; CodePage is the table's own.
std::vector<String> CheckLanguageTable(TVLAMessages Table, Cardinal CodePage, TVLAMessages English);
