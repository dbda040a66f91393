#pragma once
// Where characters of an edit control show, and scrolling a memo's line to
// the middle of its view (for the spell checker's parser over edits).
#include "platform/gui/GfxTypes.h"

class TCustomEdit;

// A memo (lines of text) rather than a one-line edit.
bool EditIsMultiLine(const TCustomEdit* edit);
// The client rectangle of the character at Index (UTF-16 units from 0; the
// end of the text gives the place after the last character, zero wide).
// An empty rectangle when the control shows nothing.
TRect EditCharRect(const TCustomEdit* edit, int index);
// The first line a memo shows (0 for a one-line edit).
int EditFirstVisibleLine(const TCustomEdit* edit);
// The number of whole lines a memo shows.
int EditVisibleLineCount(const TCustomEdit* edit);
// Scrolls a memo so that Line stands in the middle of its view, then makes
// both ends of the selection visible; the selection stays as it was.
void EditCenterLine(TCustomEdit* edit, int line);
