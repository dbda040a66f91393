// An encrypted journal file of its own for the journal benchmarks: created
// empty in a temporary folder with one journal "Bench", removed at the end.
#pragma once

#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"
#include "app/QYStartup.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <filesystem>
#include <string>
#include <unistd.h>

struct TBenchJournalFile {
  std::filesystem::path Dir;
  Integer JournalID = 0;

  explicit TBenchJournalFile(const std::string& name) {
    Dir = std::filesystem::temp_directory_path() / ("qybench-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    RegisterDocumentFormats();
    RegisterAlias(Dir.string());
    CreateEmptyDatabase(QuillorySession(), AliasName, Dir.string());
    RestructureTablePassword("", "bench-pass", "QUILLORY");
    QuillorySession().AddPassword("bench-pass");
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.ProtectPriorEntries = false;
    InsertJournal("Bench", 0, JournalID);
  }
  ~TBenchJournalFile() {
    UnloadJournals();
    QuillorySession().CloseIdleConnections();
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
};

// The program's main window over the folders under root, as a first start
// makes it: an empty database template beside the program, the documents
// folder still to be made. The caller answers the first-start question
// (a TInteractionScript that lives while the window starts).
inline TformQuilloryMain* CreateBenchMainWindow(const std::filesystem::path& root) {
  std::filesystem::remove_all(root);
  const std::filesystem::path templ = root / "prog" / "DataTemplate";
  std::filesystem::create_directories(templ);
  std::filesystem::create_directories(root / "docs");
  {
    TSession s;
    s.SessionName = "BenchTemplate";
    RegisterTableFiles(s);
    s.AddStandardAlias("T", templ.string(), "STANDARD");
    CreateEmptyDatabase(s, "T", templ.string());
  }
  TDatabaseFolders folders;
  folders.ProgramDir = (root / "prog").string();
  folders.DocumentsDir = (root / "docs").string();
  folders.TempDir = root.string();
  folders.WindowsUserName = "bench";
  SetMainWindowDatabaseFolders(folders);
  RegisterDocumentFormats();
  RegisterJournalHooks();
  return Application->CreateForm<TformQuilloryMain>();
}
