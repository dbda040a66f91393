#pragma once
// Unicode properties of single characters (code points), for checks made
// outside the drawing layer: what belongs to a word, what shows nothing.
#include <cstddef>

// A letter, a mark written on one or a digit: a word goes on across it
// (a letter beyond the basic plane included).
bool IsWordCharacter(char32_t C);
// Shows nothing by itself: control and format characters, spaces, line
// and paragraph separators, variation selectors and the fillers of
// scripts that draw nothing for them.
bool IsBlankCharacter(char32_t C);
// A mark that sits on the character before it (nonspacing): alone, it
// shows nothing of its own.
bool IsNonSpacingMark(char32_t C);
// The code point that starts at Text[I] (a surrogate pair as one) and the
// number of units it takes; a lone surrogate is itself, one unit.
char32_t CodePointAt(const char16_t* Text, size_t Length, size_t I, size_t* Units);
