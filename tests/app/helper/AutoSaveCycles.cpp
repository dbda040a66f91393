// Automatic saves, one after another, for the test that kills the program
// at random moments:
//
//   autosave_cycles <data folder> <password> <report> <last cycle>
//
// Opens the journals of the folder, and for each cycle from the one after
// the last reported up to <last cycle> types a line "cycle <n>" into the
// current entry and lets the timer tick past the save minutes. A cycle whose
// save was reported ("auto saved") is appended to <report> and flushed to
// disk before the next one starts. Ends with 0 when every cycle was saved.
// The clock stands at the moment the test's does, so that
// every run saves into the entry the test reads, also across midnight.
#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"
#include "platform/base/DateTime.h"
#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// No one answers boxes here: each is printed and answered OK.
class TPrintingHook : public TInteractionHook {
public:
  int Run(TInteraction& r) override {
    std::fprintf(stderr, "box %s: %s\n", r.Caption.c_str(), r.Text.c_str());
    return IDOK;
  }
};

int LastReported(const std::string& report) {
  std::ifstream in(report);
  int n = 0, last = 0;
  while (in >> n) last = n;
  return last;
}

void Report(const std::string& report, int cycle) {
  const int fd = ::open(report.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  const std::string line = std::to_string(cycle) + "\n";
  if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()) || ::fsync(fd) != 0)
    std::_Exit(3);
  ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string folder = argv[1], password = argv[2], report = argv[3];
  const int lastCycle = std::stoi(argv[4]);
  QApplication toolkit(argc, argv);
  TFixedClock clock(0);
  clock.SetLocal(EncodeDateTime(2025, 6, 14, 12, 0, 0, 0));
  TPrintingHook hook;
  SetInteractionHook(&hook);
  RegisterDocumentFormats();
  RegisterAlias(folder);
  if (!password.empty()) QuillorySession().AddPassword(password);
  ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
  ProfileSettings.AutoSaveOn = true;
  ProfileSettings.AutoSaveInterval = 1;
  LoadJournals();
  if (!CurrentJournal) return 4;
  TDateTime now = Now();
  for (int cycle = LastReported(report) + 1; cycle <= lastCycle; ++cycle) {
    CurrentJournal->Document->Data.AddTextItem("cycle " + std::to_string(cycle), 0, 0);
    CurrentJournal->Document->Modified = true;
    now = LastSaveTime + 1.5 / (24.0 * 60.0);
    LastActivityTime = now;
    AutomaticSaveTimerTimer(now);
    if (EntryStateWord != "auto saved") return 5;
    Report(report, cycle);
  }
  return 0;
}
