#pragma once
// Text search in a laid-out document, forward or backward from the current
// position; a match is selected and scrolled into view. Item text and the
// search text are compared in UTF-16 (8-bit items through their code page),
// without case by folding each character on its own, so that positions
// keep and no character is lost to an 8-bit conversion.
#include "richtext/view/VLControlData.h"

bool VLSearchText(TVLControlData& data, bool down, bool matchCase, const WideString& text, bool wholeWord);
// The same from a given item and offset (an editor searches from its caret).
bool VLSearchTextFrom(TVLControlData& data, bool down, bool matchCase, const WideString& text, bool wholeWord,
                      Integer itemNo, Integer offs);
// The 1-based position of the first (last) acceptable occurrence of pattern
// in text, 0 when none; occurrences never overlap a found or rejected one.
Integer VLFindWord(const WideString& text, const WideString& pattern, bool wholeWord, const AnsiString& delimiters);
Integer VLFindWordBackward(const WideString& text, const WideString& pattern, bool wholeWord,
                           const AnsiString& delimiters);
// Where a match lies: from an offset of one text item to an offset of the
// same or a later one (a style change inside a word splits it over items).
struct TVLTextMatch {
  Integer StartItem = -1, StartOffs = 0, EndItem = -1, EndOffs = 0;
};
// A match of pattern that starts in text item itemNo (down) or ends in it
// (up), read with the text items beside it in the same line. Searched whole
// when offs < 0, else from offs onwards (down) or before it (up); pattern is
// already folded unless matchCase.
bool VLFindInItem(TCustomVLData& data, Integer itemNo, Integer offs, bool down, const WideString& pattern,
                  bool matchCase, bool wholeWord, const AnsiString& delimiters, TVLTextMatch& match);
// Upper case character by character (lengths keep).
WideString VLFoldCase(const WideString& text);
