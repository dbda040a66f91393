#pragma once
// Opening links and files with the desktop's handler. Only http, https and
// mailto links and existing local files are opened; never through a shell.
#include "platform/base/Types.h"

#include <functional>

// The URL that would be handed to the desktop ("https://…", "mailto:…",
// "file:///abs/path"), or empty when the target is refused.
String ShellOpenTarget(const String& target);

// Opens target; true when the desktop accepted it.
bool ShellOpen(const String& target);

// Tests replace the desktop's handler (receives the URL of ShellOpenTarget);
// returns the previous one. An empty function restores the desktop's.
using TUrlOpener = std::function<bool(const String& url)>;
TUrlOpener SetUrlOpener(TUrlOpener opener);
