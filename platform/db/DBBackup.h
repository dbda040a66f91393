#pragma once
// File operations that make copies of a database folder whole: a copy that
// is on disk before it is used, a digest that tells two copies apart, and
// an exchange of two folders in one step.
#include "platform/base/Types.h"

// Copies source to dest (created or truncated, owner-only) and flushes it
// to disk. False, with the cause in error, when either side fails; a dest
// left half written is removed. The source must be a regular file reached
// without a link (a FIFO would block the copy for ever).
bool CopyFileDurably(const String& source, const String& dest, String& error);

// True when path is a regular file (not reached through a link) that can be
// read; its size then goes to size, else the cause to error. Never waits.
bool InspectRegularFile(const String& path, Int64& size, String& error);

// Before a database file is copied: true when its first page classifies it
// as a database (plain or encrypted) and the disk holds most of its length
// (a sparse file of hundreds of gigabytes would fill the disk when copied).
// Else false with the reason, in words for the user, in error.
bool InspectDatabaseSource(const String& path, String& error);

// Bytes that the user may still write in the folder's file system; -1 when
// it cannot be told.
Int64 FreeSpaceOf(const String& folder);

// The SHA-256 of the file's bytes as 64 lower-case hex digits; "" when the
// file cannot be read or is no regular file.
String FileDigest(const String& path);

// Flushes a folder's entries (renames, new files) to disk.
bool SyncFolder(const String& folder);

// Swaps two existing paths in one step: afterwards each name holds what the
// other held, and a crash leaves either the old or the new pair, never a
// mixture. False, with the cause in error, when the system refuses.
bool ExchangePaths(const String& a, const String& b, String& error);
