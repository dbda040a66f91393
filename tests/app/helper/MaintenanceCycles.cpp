// Backups, restores or packs one after another, for the test that kills the
// program at random moments:
//
//   maintenance_cycles <backup|restore|pack> <data folder> <backup folder> <password> <report> <last cycle>
//
// backup and pack: each cycle first stores a new entry (day 45000 + cycle),
// appends the cycle to <report> once it is committed, then backs up or packs.
// restore: each cycle restores the backup folder; the report gets the cycle.
// preferences: each cycle saves the settings with values of that cycle
// (SettingsOfCycle) and the styles file, as the preferences' OK does, then
// reports the cycle.
// Every box is answered OK. Ends with 0 when every cycle went through.
#include "SettingsOfCycle.h"

#include "app/QYBackup.h"
#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"
#include "platform/base/Streams.h"
#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class TAnsweringHook : public TInteractionHook {
public:
  int Run(TInteraction& r) override {
    if (r.Kind == TInteractionKind::MessageBox && (r.Icon & MB_ICONMASK) == MB_ICONERROR) {
      std::fprintf(stderr, "box %s: %s\n", r.Caption.c_str(), r.Text.c_str());
      Errors++;
    }
    return IDOK;
  }
  int Errors = 0;
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

void StoreEntry(int cycle) {
  // A run killed before it reported the cycle may have stored it already.
  TQuery d;
  BindToDatabase(d);
  d.SQL.Add("DELETE FROM Quillory WHERE JournalID = 1 AND JournalDate = :bDate");
  d.ParamByName("bDate").SetAsInteger(45000 + cycle);
  d.ExecSQL();
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (1, :bDate, :bText, 'VLF')");
  q.ParamByName("bDate").SetAsInteger(45000 + cycle);
  q.ParamByName("bText").SetAsString("entry " + std::to_string(cycle) + std::string(20000, 'x'));
  q.ExecSQL();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) return 2;
  const std::string mode = argv[1], folder = argv[2], backup = argv[3], password = argv[4], report = argv[5];
  const int lastCycle = std::stoi(argv[6]);
  QApplication toolkit(argc, argv);
  TAnsweringHook hook;
  SetInteractionHook(&hook);
  RegisterDocumentFormats();
  RegisterAlias(folder);
  if (!password.empty()) QuillorySession().AddPassword(password);
  LoadProfile();
  ProfileSettings.BackupRestoreLocation = backup;
  for (int cycle = LastReported(report) + 1; cycle <= lastCycle; ++cycle) {
    if (mode == "preferences") {
      SettingsOfCycle(cycle, ProfileSettings);
      SaveProfile();
      SaveBytesAtomically(folder + "/QYStyle.ini", "[Style]\r\nColor=" + std::to_string(cycle) + "\r\n" +
                                                       std::string(200000, ';') + "\r\n");
      Report(report, cycle);
      continue;
    }
    if (mode == "restore") {
      if (!CopyDatabaseFiles(cdfRestore)) return 5;
      QuillorySession().AddPassword(password);
      Report(report, cycle);
      continue;
    }
    StoreEntry(cycle);
    Report(report, cycle);
    if (mode == "backup" && !CopyDatabaseFiles(cdfBackup)) return 5;
    if (mode == "pack" && PackAndReindexFiles() != 0) return 6;
    QuillorySession().CloseIdleConnections();
  }
  return hook.Errors == 0 ? 0 : 7;
}
