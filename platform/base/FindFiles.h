#pragma once
// Folder listing by wildcard, with each file's size and last-write time,
// and the last-write time of one file.
#include "platform/base/Types.h"

#include <memory>
#include <vector>

constexpr int faReadOnly = 0x01;
constexpr int faDirectory = 0x10;
constexpr int faAnyFile = 0xFF;

struct TSearchRec {
  String Name;        // without folder
  Int64 Size = 0;
  Int64 Time = 0;     // last write, nanoseconds since the epoch
  int Attr = 0;       // faDirectory, faReadOnly
  // The remaining matches, taken by FindNext.
  std::shared_ptr<std::vector<TSearchRec>> Pending;
};

// Path is a folder and a pattern ("dir/*.spm"; "*" and "?" match, case-
// sensitively, never a leading "." unless the pattern has one). Attr
// faAnyFile lists folders too; otherwise only files. Matches come in name
// order. 0 when a match was found, else non-zero.
int FindFirst(const String& Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// The file's last-write time in nanoseconds since the epoch; -1 when it
// does not exist.
Int64 FileAge(const String& FileName);
