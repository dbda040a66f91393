#pragma once
// The style sheet stored as one section of an INI file: one key per
// property, named after the style's number, written only when it differs
// from its default.
#include "richtext/model/VLStyle.h"

class TIniFile;

// The application's styles file and its section.
inline constexpr const char* VLStyleFileName = "QYStyle.ini";
inline constexpr const char* VLStyleSectionName = "Vellum Styles";

void VLStyleSaveToINI(TVLStyle& style, TIniFile& ini, const String& section);
void VLStyleLoadFromINI(TVLStyle& style, TIniFile& ini, const String& section);
// Open the file, save or load, close it (the save replaces the file whole;
// ownerOnly: readable by its owner alone from its first byte).
void VLStyleSaveINI(TVLStyle& style, const String& fileName, const String& section, bool ownerOnly = false);
void VLStyleLoadINI(TVLStyle& style, const String& fileName, const String& section);

// The sheet the program starts with when it has no styles file yet: the
// default styles, with every text style Unicode so that typed text is kept
// exactly as typed.
void VLStyleSetUpInitial(TVLStyle& style);
// Loads "QYStyle.ini" from folder when it exists, else sets up the initial
// sheet. True when the file was read.
bool VLStyleLoadOrInitial(TVLStyle& style, const String& folder);
