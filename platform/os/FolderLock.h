#pragma once
// An advisory lock on a file inside a folder, held while the object lives
// (flock: the kernel drops it however the holder ends, and a network file
// system passes it on to the server). Two programs on one folder, whatever
// their runtime folders and machines, never both hold it. The lock file
// names its holder, so that a later start can hand over to it or say who
// has the folder.
#include "platform/base/Types.h"

#include <memory>

class TFolderLock {
public:
  struct THolder {
    long Pid = 0;
    String Host;
    String User;
    String Contact;  // where the holder takes hand-overs ("" none)
  };
  enum TResult { flTaken, flBusy, flFailed };

  // The lock file is folder + "/" + LockFileName.
  explicit TFolderLock(const String& folder);
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

  static const char* const LockFileName;

  // Takes the lock without waiting; contact is written into the lock file
  // for later starts. flBusy when another holds it (Holder() says who).
  TResult TryTake(const String& contact = String());
  bool Held() const;
  // The holder recorded in the lock file (empty when none can be read).
  THolder Holder() const;
  // The folder the lock was taken in; Moved tells it that the folder now
  // lies at another path (the lock goes with the folder's file).
  const String& Folder() const { return FFolder; }
  void Moved(const String& folder) { FFolder = folder; }
  String FailureText() const { return FFailure; }

private:
  String FFolder;
  String FFailure;
  int FFd = -1;
};

// The name of this machine ("" when unknown).
String HostName();
