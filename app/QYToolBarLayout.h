#pragma once
// The tool-bar layout file ("ToolBar.cfg"): which tool bars show, in which
// order, and which of their items are hidden. A file that cannot be read is
// never trusted in part: the layout falls back to the defaults and the file
// is kept aside, so that the next save does not destroy what the user had.
#include "platform/base/SysUtils.h"

#include <vector>

struct TToolBarLayoutBar {
  String Name;
  bool Visible = true;
  std::vector<String> HiddenItems;
  bool operator==(const TToolBarLayoutBar&) const = default;
};

struct TToolBarLayout {
  // Top to bottom.
  std::vector<TToolBarLayoutBar> Bars;
  bool operator==(const TToolBarLayout&) const = default;
};

// The text of the file.
AnsiString ToolBarLayoutText(const TToolBarLayout& layout);
// Parses the text; false (layout untouched) when it is not a layout file of
// ours: wrong header or version, bytes that are not text, a malformed line.
bool ParseToolBarLayout(const AnsiString& text, TToolBarLayout& layout);

// The layout the program knows (defaults) with what a file says applied:
// bars the file names come first in its order, bars it does not name follow
// as in the defaults, names the program does not know are dropped. So no
// bar of the program can go missing through a file.
TToolBarLayout MergeToolBarLayout(const TToolBarLayout& defaults, const TToolBarLayout& stored);

// Reads the file into layout (merged with defaults). A missing file gives
// the defaults. A damaged one gives the defaults too, is renamed to
// "<file>.damaged" (replacing an older one), the user is told once, and
// false is answered; so is one larger than any settings file, never read
// whole.
bool LoadToolBarLayoutFile(const String& fileName, const TToolBarLayout& defaults, TToolBarLayout& layout);
// Writes the file atomically (a crash leaves the old file or the new one).
// Raises on failure.
void SaveToolBarLayoutFile(const String& fileName, const TToolBarLayout& layout);
