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
// The item offset (1-based) where pattern starts in one text item of data,
// 0 when it is not there. Searched whole when offs < 0, else from offs
// onwards (down) or before it (up); pattern is already folded unless
// matchCase.
Integer VLFindInItem(TCustomVLData& data, Integer itemNo, Integer offs, bool down, const WideString& pattern,
                     bool matchCase, bool wholeWord, const AnsiString& delimiters);
// Upper case character by character (lengths keep).
WideString VLFoldCase(const WideString& text);
