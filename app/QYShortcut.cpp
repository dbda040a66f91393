#include "app/QYShortcut.h"

#include "platform/gui/Dialogs.h"
#include "platform/os/Autostart.h"
#include "platform/os/SysPaths.h"

#include <exception>

const char* const StartUpShortcutName = "QUILLORY";

void SyncStartUpShortcut(Byte startUpFolder) {
  const bool found = AutostartEntryExists(StartUpShortcutName);
  if (found && startUpFolder == sufNotInStartUpFolder)
    RemoveStartUpShortcut();
  else if (!found && startUpFolder == sufInStartUpFolder)
    CreateStartUpShortcut();
}

void CreateStartUpShortcut() {
  bool ok = false;
  try {
    ok = WriteAutostartEntry(StartUpShortcutName, "Quillory", GetProgramPath());
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) MessageBox("Problem Creating Startup Short Cut", "Shortcut Problem", MB_OK | MB_ICONERROR);
}

void RemoveStartUpShortcut() {
  bool ok = false;
  try {
    ok = RemoveAutostartEntry(StartUpShortcutName);
  } catch (const std::exception&) {
    ok = false;
  }
  // An entry left behind would start the program against the user's choice,
  // so it is reported like any other failure.
  if (!ok) MessageBox("Problem Removing Shortcut", "Shortcut Problem", MB_OK | MB_ICONERROR);
}
