#pragma once
// The installed fonts as the font choosers list them: families, the sizes
// offered for a family, and the character sets (scripts) it covers.
#include "platform/base/CodePages.h"
#include "platform/base/Types.h"

#include <vector>

// The family drawn for Family: itself when installed, else the one the
// system puts in its place ("Arial" may be drawn as "Liberation Sans").
String InstalledFontFamily(const String& family);
// True for an outline font that scales to any size.
bool FontIsScalable(const String& family);
// The sizes (points) to offer: the 16 standard ones for a scalable font,
// else the family's own sizes, ascending without repeats.
std::vector<Integer> FontPointSizes(const String& family);
// The character sets the family covers, judged by its writing systems.
std::vector<TFontCharset> FontCharsets(const String& family);
// Whether the family's own face has a glyph for the UTF-16 unit (other
// faces that would stand in for a missing glyph do not count).
bool FontHasCharacter(const String& family, char16_t ch);
// The English script name of a character set ("Western", "Cyrillic", …);
// empty for one without a name.
String CharsetScriptName(TFontCharset charset);
