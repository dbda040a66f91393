#pragma once
// Facts about the user's locale that layouts depend on.
#include "platform/base/CodePages.h"
#include "platform/base/Types.h"

// True when the system locale writes right to left (a Middle-East locale).
bool SysLocaleMiddleEast();

// The font charset of the 8-bit code page a language is written in
// (ANSI_CHARSET for the Western ones); DEFAULT_CHARSET for a language that
// has none. localeName: a locale or language tag ("ru_RU", "zh-Hant-TW",
// "sr_Latn"). The table is an approximation: the code page of the script
// the language is usually written in.
TFontCharset LanguageCharset(const String& localeName);
