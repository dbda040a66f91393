#pragma once
// File operations that make copies of a database folder whole: a copy that
// is on disk before it is used, a digest that tells two copies apart, and
// an exchange of two folders in one step.
#include "platform/base/Types.h"

// Copies source to dest (created or truncated, owner-only) and flushes it
// to disk. False, with the cause in error, when either side fails; a dest
// left half written is removed.
bool CopyFileDurably(const String& source, const String& dest, String& error);

// The SHA-256 of the file's bytes as 64 lower-case hex digits; "" when the
// file cannot be read.
String FileDigest(const String& path);

// Flushes a folder's entries (renames, new files) to disk.
bool SyncFolder(const String& folder);

// Swaps two existing paths in one step: afterwards each name holds what the
// other held, and a crash leaves either the old or the new pair, never a
// mixture. False, with the cause in error, when the system refuses.
bool ExchangePaths(const String& a, const String& b, String& error);
