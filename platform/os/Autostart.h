#pragma once
// The start-with-the-desktop entry: $XDG_CONFIG_HOME/autostart/<name>.desktop.
#include "platform/base/Types.h"

// The folder that holds autostart entries (not created).
String AutostartFolder();
String AutostartEntryPath(const String& name);
// True when a regular entry file of exactly that name exists and is not
// marked Hidden=true (which the desktop treats as removed).
bool AutostartEntryExists(const String& name);
// Writes the entry that starts programPath (absolute); the folder is created
// when missing. The file is replaced atomically. False on a write failure.
bool WriteAutostartEntry(const String& name, const String& displayName, const String& programPath);
// Deletes the entry; true when it is gone afterwards.
bool RemoveAutostartEntry(const String& name);
// One argument of an Exec line, quoted and escaped by the desktop entry
// rules (quoting, "%%", then the string escapes of the value).
String DesktopExecArgument(const String& arg);
