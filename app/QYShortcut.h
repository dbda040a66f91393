#pragma once
// The start-up shortcut: an autostart entry "QUILLORY" that starts the program
// with the desktop session, kept in line with the setting StartUpFolder.
#include "platform/base/Types.h"

// The entry's name (the file is QUILLORY.desktop in the autostart folder).
extern const char* const StartUpShortcutName;

// StartUpFolder values.
constexpr Byte sufInStartUpFolder = 0;
constexpr Byte sufNotInStartUpFolder = 1;

// Creates the entry when the setting asks for it and it is missing; removes it
// when the setting says no and it is there. An entry of another name, or one
// the desktop treats as removed (Hidden=true), does not count.
void SyncStartUpShortcut(Byte startUpFolder);
// Writes the entry for this program; a failure is reported in a message box.
void CreateStartUpShortcut();
// Deletes the entry; a failure is reported in a message box.
void RemoveStartUpShortcut();
