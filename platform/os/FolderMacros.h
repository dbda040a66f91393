#pragma once
// "%NAME%" expansion from the environment, and the XDG folders that the
// folder macros of the libraries stand for.
#include "platform/base/Types.h"

// S with every "%NAME%" whose NAME is set in the environment replaced by
// its value; unknown names and a lone "%" stay as written. False (Result
// = S) when the expansion would pass MaxLength characters.
bool ExpandEnvironmentStrings(const String& S, String& Result, size_t MaxLength = 4096);

// The user's data folder ($XDG_DATA_HOME when absolute, else
// ~/.local/share); "" when there is no home folder. No trailing delimiter.
String GetDataFolder();
// The user's configuration folder ($XDG_CONFIG_HOME when absolute, else
// ~/.config); "" when there is no home folder.
String GetUserConfigFolder();
// The log-on name; "" when it cannot be read.
String GetLoginName();
// The running program's file name without folder and extension.
String GetProgramName();
