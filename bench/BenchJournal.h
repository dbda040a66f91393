// An encrypted journal file of its own for the journal benchmarks: created
// empty in a temporary folder with one journal "Bench", removed at the end.
#pragma once

#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"

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
