#pragma once
// Whether a path lies on removable media (a USB stick, a memory card): the
// mount that holds the path is looked up in the mount table and its block
// device's "removable" flag read from sysfs.
#include "platform/base/Types.h"

// The mount point that holds path (the longest matching mount), or empty.
String MountPointOf(const String& path, const String& procRoot = "/proc");
// True when path's mount is backed by a block device marked removable.
// procRoot and sysRoot let tests supply their own tables.
bool IsOnRemovableMedia(const String& path, const String& procRoot = "/proc", const String& sysRoot = "/sys");
