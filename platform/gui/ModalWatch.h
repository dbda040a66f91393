#pragma once
// Tells when a modal window (a form shown modally, a message box, a file or
// print dialog) is shown or hidden.
#include <functional>

// Replaces the previous watcher; an empty function stops watching.
void WatchModalChanges(std::function<void()> onChange);
