#pragma once
// The user's and the program's folders, the log-on name, and file copy.
#include "platform/base/Types.h"

// The log-on name of the user running the program; "System" when it cannot
// be found or is empty.
String GetLogonUserName();
// The user's documents folder: $XDG_DOCUMENTS_DIR when set, else the XDG
// user-dirs entry, else ~/Documents. No trailing delimiter.
String GetDocumentsFolder();
// The temporary folder (no trailing delimiter).
String GetTempFolder();
// The user's configuration folder ($XDG_CONFIG_HOME or ~/.config).
String GetConfigFolder();
// The per-user runtime folder for lock files and sockets: $XDG_RUNTIME_DIR
// when it is a folder of the user's alone, else "quillory-<uid>" in the
// temporary folder, made 0700 when missing; when that name is taken by
// someone else, "quillory-run-<uid>" in $XDG_STATE_HOME (or ~/.cache).
// Empty when none is private (failure, when given, then says why): a folder
// others can write in lets them take the lock names before us.
String GetRuntimeFolder(String* failure = nullptr);
// True when path is a folder (not a link) owned by the user and closed to
// everyone else.
bool IsPrivateFolder(const String& path);
// The folder of the running executable, no trailing delimiter.
String GetProgramFolder();
// The full path of the running executable.
String GetProgramPath();
// The first executable regular file of that name in the folders of PATH;
// empty when there is none.
String FindProgramInPath(const String& name);
// An absolute path as a "file://" URL, each byte that a URL may not hold
// percent-encoded.
String LocalFileUrl(const String& path);
// The folder of the program's data (dictionaries, database template,
// pictures, help): <prefix>/share/quillory when the program runs installed
// as <prefix>/bin/quillory, else the program's own folder, where the build
// tree keeps them. No trailing delimiter.
String GetProgramDataFolder();

// Copies source over dest (replacing it). The copy goes to a temporary file
// beside dest and is renamed into place, so dest is never left half written.
// False when the source cannot be read or dest cannot be written.
bool CopyFileOverwrite(const String& source, const String& dest);

// Makes a folder (0700) or a regular file (0600) its owner's alone; a folder
// also each regular file directly in it. Symbolic links are left alone.
// False when something could not be changed.
bool RestrictToOwner(const String& path);
