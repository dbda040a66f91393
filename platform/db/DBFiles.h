#pragma once
// What a table file is before any engine opens it, and the housekeeping of
// the files in a database folder.
#include "platform/base/Types.h"

enum TDBFileKind {
  dfMissing,      // no such file
  dfEmpty,        // 0 bytes: never a database (the engine would make it one)
  dfPlain,        // a database without a key
  dfEncrypted,    // looks like an encrypted database (a key is needed)
  dfNotDatabase,  // anything else: a damaged, truncated or foreign file
};

// Looks at the file's size and first page; reason (may be null) receives a
// short text for dfNotDatabase.
TDBFileKind ClassifyDatabaseFile(const String& path, String* reason = nullptr);

// The first bytes of an encrypted file that salt its key (count bytes);
// "" when the file is shorter or cannot be read.
String CipherSaltOf(const String& path, size_t count);

// The name a restructure writes its new file under before it replaces path.
String RestructureTargetName(const String& path);

// Removes what a restructure killed half-way leaves beside the tables
// ("*.db.new" and its journal, log and index files): they may hold entry
// text in clear, so each is overwritten with zeros and truncated before it
// goes. Answers the number of files removed.
int RemoveStaleTableFiles(const String& folder);

// Creates an empty file only its owner may read and write; false when it
// exists or cannot be made.
bool CreatePrivateFile(const String& path);
