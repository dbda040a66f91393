#pragma once
// The paths the settings hold (the cover picture, the backup folder, the
// styles file): each is checked the same way when it is chosen and again
// when it is used, so that a folder, a named pipe, an unreadable, empty or
// foreign file gives the user one message and the program goes on with its
// default instead of ending or waiting for ever.
#include "platform/base/IniFiles.h"
#include "platform/base/Types.h"

class TBitmap;
class TVLStyle;

enum class TSettingsPathKind { File, Picture, Styles, Folder };

// The problem of a path that is not there (callers often skip it quietly).
inline constexpr const char* SettingsPathMissing = "it does not exist";

// Why path cannot serve as the kind of path its setting needs: "" when it
// can. Nothing but a regular file is ever opened (a named pipe would block
// the reading), and a picture or a styles file is read whole only when it is
// no larger than any such file could be.
String SettingsPathProblem(const String& path, TSettingsPathKind kind);

// The picture of path in bitmap: "" when loaded, else why not (as above).
String LoadSettingsPicture(const String& path, TBitmap& bitmap);

// Tells the user that the path of a setting (named as in "the cover
// picture") cannot be used, why, and what the program does instead. Each
// setting, path and problem is told once in the program's run: windows
// that paint or load again and again would repeat it.
void ReportSettingsPath(const String& setting, const String& path, const String& problem, const String& instead);

// The default styles read from the styles file into style; false (the user
// told once) when the file cannot be used, style then left as it was.
bool LoadStylesFile(TVLStyle& style);
