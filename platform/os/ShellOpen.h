#pragma once
// Opening links and files with the desktop's handler, never through a shell.
// Web and mail links open at once; a local file or folder only after the
// user agreed; programs, launchers, devices and every other kind of target
// never.
#include "platform/base/Types.h"

#include <functional>

enum class TLinkDecision {
  Open,    // http, https, mailto without attachments
  Ask,     // an existing regular file or folder that is not a program
  Refuse,  // anything else
};

struct TLinkVerdict {
  TLinkDecision Decision = TLinkDecision::Refuse;
  // What goes to the desktop ("https://…", "mailto:…", "file:///abs/path"),
  // empty when refused.
  String Url;
  // The local file or folder to name when asking, with links resolved.
  String Path;
  // Why a refused target is refused, to tell the user ("it is a program, …").
  String Reason;
};

// Decides what one click on a link target may do. Reads the file system
// (existence, kind, permission bits) and changes nothing.
TLinkVerdict ClassifyLinkTarget(const String& target);

// The URL that would be handed to the desktop, or empty when refused.
String ShellOpenTarget(const String& target);

// Opens a target that is not refused (the caller asks first where the
// verdict says so); true when the desktop accepted it.
bool ShellOpen(const String& target);

// Tests replace the desktop's handler (receives the URL of ShellOpenTarget);
// returns the previous one. An empty function restores the desktop's.
using TUrlOpener = std::function<bool(const String& url)>;
TUrlOpener SetUrlOpener(TUrlOpener opener);
