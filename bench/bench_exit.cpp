// File > Exit of the real program, from the press of the command to the end
// of the process, in a process of its own per run (a home and documents
// folder of its own, the journal made by an earlier start of the same
// folders: twenty years of daily entries of about 3 KB, protected by a
// password):
//   Exit/editor   the journal open, today's entry changed by typing
//   Exit/cover    the journal locked again (no password in the session)
//   Exit/start    at the cover of a start, the journal never opened
// Counters, ms per exit, in the order the time is spent: "0 stop" (the
// search and the tree's reader stopped), one per shut-down step, "6 end"
// (the message loop's end, the windows destroyed, the database files
// closed); "total" (Exit pressed to the program's end), "derivations" (keys
// derived per exit), and "whole run" (the process from its start, for
// comparison).
#include "app/QYAddJournal.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"
#include "platform/base/DateTime.h"
#include "platform/base/Streams.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLUni.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;
double MsSince(TClock::time_point t) { return std::chrono::duration<double, std::milli>(TClock::now() - t).count(); }

const char* const kPassword = "caf\xC3\xA9-\xC5\x81\xC3\xB3" "d\xC5\xBA-bench";

void UsePrivateFolders(const fs::path& root) {
  for (const char* sub : {"home", "docs", "run"}) fs::create_directories(root / sub);
  fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
  const fs::path home = root / "home";
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home / ".local/state").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
  ::setenv("XDG_DOCUMENTS_DIR", (root / "docs").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
}

// Boxes answered as a user making a first journal would; the password
// dialog gets the password.
class TAnsweringHook : public TInteractionHook {
public:
  int Run(TInteraction& r) override {
    if (auto* dlg = dynamic_cast<TdlgAddJournal*>(r.Form)) {
      dlg->eJournalName->SetText("Caf\xC3\xA9 Diary");
      return mrOk;
    }
    if (auto* dlg = dynamic_cast<TPasswordDlg*>(r.Form)) {
      dlg->ePassword->SetText(kPassword);
      dlg->OKBtn->Click();
      return static_cast<int>(dlg->ModalResult);
    }
    if (r.Caption == "Welcome to Quillory") return IDYES;
    if (r.Caption == "Quillory Start-Up") return IDNO;
    return r.Kind == TInteractionKind::MessageBox ? IDOK : static_cast<int>(mrOk);
  }
};

constexpr int kEntries = 7300;

String EntryBlob(std::mt19937& rng) {
  static const char* const words[] = {"garden", "morning", "letter", "quiet", "river", "walked", "remember",
                                      "the",    "and",     "of",     "under", "window", "summer", "caf\xC3\xA9"};
  TEntryDocument doc;
  doc.Style.TextStyles->Items(0)->Unicode = true;
  for (int p = 0; p < 7; ++p) {
    String text;
    for (int i = 0; i < 70; ++i) text += (i ? " " : "") + String(words[rng() % 14]);
    doc.Data.AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(text)), 0, 0, TVLTag());
  }
  TMemoryStream s;
  doc.SaveVLF(s);
  return String(s.Memory(), static_cast<size_t>(s.GetSize()));
}

// Twenty years of entries before today in the journal.
void StoreEntries(Integer journalID) {
  std::mt19937 rng(7);
  TDatabase db;
  db.SessionName = SessionName;
  db.AliasName = AliasName;
  db.StartTransaction();
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, Editor ) "
            "VALUES ( :bJournalID, :bJournalDate, :bJournalText, 0, 0, 'VLF' )");
  q.Prepare();
  const Integer today = static_cast<Integer>(Date());
  for (int i = 1; i <= kEntries; ++i) {
    q.ParamByName("bJournalID").SetAsInteger(journalID);
    q.ParamByName("bJournalDate").SetAsDate(today - i);
    q.ParamByName("bJournalText").SetAsBlob(EntryBlob(rng), ftFmtMemo);
    q.ExecSQL();
  }
  db.Commit();
}

// One start of the program on root: mode "make" opens the journal (making
// it), sets the password and ends; "editor" and "cover" open it, type, lock
// for "cover" ("start" does none of it), then press Exit and write the
// timings to out as "name=ms" lines.
int Child(const std::string& mode, const fs::path& root, const std::string& out) {
  UsePrivateFolders(root);
  int one = 1;
  char name[] = "bench_exit";
  char* args[] = {name, nullptr};
  QApplication toolkit(one, args);
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = QY_BIN_DIR;
  folders.DocumentsDir = (root / "docs").string();
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  TAnsweringHook hook;
  SetInteractionHook(&hook);
  std::map<std::string, double> ms;
  std::atomic<int> derivations{0};
  TClock::time_point exitPressed{}, stepStart{};
  int stepNo = 0;
  std::function<void()> step = [&] {
    TformQuilloryMain* m = formQuilloryMain;
    if (!m || !m->Showing()) {
      QTimer::singleShot(20, step);
      return;
    }
    ProfileSettings.AutoSaveOn = false;
    auto timeExit = [&] {
      SetKeyDerivationNotice([&derivations](bool begins) {
        if (begins) ++derivations;
        BusyNotice(begins);
      });
      ShutdownStepTimed = [&](const String& what, bool begins) {
        if (begins) {
          if (stepNo == 0) ms["0 stop"] = MsSince(exitPressed);
          stepStart = TClock::now();
          return;
        }
        ms[std::to_string(++stepNo) + " " + what] = MsSince(stepStart);
        stepStart = TClock::now();
      };
      exitPressed = TClock::now();
      m->ActionExit->Execute();
    };
    if (mode == "start") {
      timeExit();
      return;
    }
    m->pbOpenQuilloryClick(m);
    TOpenJournal* j = CurrentJournal;
    if (!j || !j->EditorWindow) {
      std::fprintf(stderr, "no journal open\n");
      Application->Terminate();
      return;
    }
    if (mode == "make") {
      StoreEntries(j->JournalID);
      dlgChangePassword->eExistingPassword->SetText("");
      dlgChangePassword->eNewPassword->SetText(kPassword);
      dlgChangePassword->eRepeatNewPassword->SetText(kPassword);
      TInteractionScript script;
      script.Do([](TInteraction&) { return static_cast<int>(mrOk); });
      script.Answer(IDOK);
      ChangePassword();
      m->ActionExit->Execute();
      return;
    }
    TVellumEdit* e = j->EditorWindow->QuilloryText;
    const Integer last = e->ItemCount() - 1;
    if (last >= 0) e->SetCaret(last, e->GetItemEndOffset(last));
    e->InsertText("\r\ntyped before Exit: na\xC3\xAFve, don\xE2\x80\x99t");
    Application->ProcessMessages();
    if (mode == "cover") m->ActionLockExecute(m);
    Application->ProcessMessages();
    timeExit();
  };
  QTimer::singleShot(50, step);
  const int code = QuilloryMain(one, args);
  if (mode != "make") ms["6 end"] = MsSince(stepStart);
  ShutdownStepTimed = nullptr;
  SetInteractionHook(nullptr);
  if (!out.empty()) {
    std::ostringstream s;
    for (const auto& [k, v] : ms) s << k << "=" << v << "\n";
    s << "derivations=" << derivations << "\n";
    FILE* f = std::fopen(out.c_str(), "w");
    if (f) {
      std::fputs(s.str().c_str(), f);
      std::fclose(f);
    }
  }
  return code;
}

fs::path GRoot;
std::string GSelf;

bool RunChild(const std::string& mode, const std::string& out) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(GSelf.c_str(), GSelf.c_str(), "--child", mode.c_str(), GRoot.c_str(), out.c_str(), nullptr);
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ExitBench(benchmark::State& state, const std::string& mode) {
  if (!fs::exists(GRoot / "made")) {
    if (!RunChild("make", "")) {
      state.SkipWithError("the journal could not be made");
      return;
    }
    std::FILE* made = std::fopen((GRoot / "made").c_str(), "w");
    if (made) std::fclose(made);
  }
  std::map<std::string, double> sums;
  const std::string out = (GRoot / "times.txt").string();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(out);
    state.ResumeTiming();
    const auto started = TClock::now();
    // The child's whole life is timed by the counters; the benchmark's own
    // time is the process from start to end.
    if (!RunChild(mode, out)) {
      state.SkipWithError("the program failed");
      return;
    }
    const double whole = MsSince(started);
    state.PauseTiming();
    FILE* f = std::fopen(out.c_str(), "r");
    if (!f) {
      state.SkipWithError("no timings");
      return;
    }
    char line[256];
    double total = 0;
    while (std::fgets(line, sizeof line, f)) {
      std::string l(line);
      const size_t eq = l.find('=');
      if (eq == std::string::npos) continue;
      const double v = std::atof(l.c_str() + eq + 1);
      sums[l.substr(0, eq)] += v;
      if (l.rfind("derivations", 0) != 0) total += v;
    }
    std::fclose(f);
    sums["total"] += total;
    sums["whole run"] += whole;
    state.ResumeTiming();
  }
  for (const auto& [k, v] : sums)
    state.counters[k == "derivations" || k == "total" || k == "whole run" ? k : k + " ms"] =
        benchmark::Counter(v, benchmark::Counter::kAvgIterations);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && std::string(argv[1]) == "--child") return Child(argv[2], argv[3], argv[4]);
  if (argc >= 4 && std::string(argv[1]) == "--child") return Child(argv[2], argv[3], "");
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  GSelf = fs::read_symlink("/proc/self/exe").string();
  GRoot = fs::temp_directory_path() / ("qybench-exit-" + std::to_string(::getpid()));
  fs::remove_all(GRoot);
  fs::create_directories(GRoot);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RegisterBenchmark("Exit/editor", [](benchmark::State& s) { ExitBench(s, "editor"); })
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RegisterBenchmark("Exit/cover", [](benchmark::State& s) { ExitBench(s, "cover"); })
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RegisterBenchmark("Exit/start", [](benchmark::State& s) { ExitBench(s, "start"); })
      ->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(GRoot, ec);
  return 0;
}
