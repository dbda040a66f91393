#pragma once
// What a save over an existing name replaces, and how: shared by every
// writer that puts a whole new file in place of an old one.
#include "platform/base/Types.h"

// Where a save over path writes: the file a symbolic link there leads to
// (the link stays), else path itself.
String SaveTargetOf(const String& path);
// The permission bits for a file that replaces target: target's own, so a
// private file stays private; those of any new file (umask) when there is
// none yet.
unsigned ReplacementMode(const String& target);
// The process's file creation mask.
unsigned ProcessUmask();
