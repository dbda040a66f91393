// Moving a journal's editor window to the date of a 1 MB entry through the
// date picker, as the user does: the entry left is saved (nothing to write),
// the stored entry is read from the encrypted file, laid out and painted.
#include "BenchJournal.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"
#include "app/QYStartup.h"

#include "platform/base/DateTime.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "richtext/editor/VellumEdit.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

String Words(std::mt19937& rng, int count) {
  static const char* const words[] = {"garden", "morning", "letter", "quiet", "river", "walked", "remember",
                                      "the",    "and",     "of",     "under", "window", "summer", "bread"};
  String s;
  for (int i = 0; i < count; ++i) s += (i ? " " : "") + String(words[rng() % 14]);
  return s;
}

struct TBench {
  fs::path Root;
  TformQuilloryMain* Main = nullptr;
  TOpenJournal* Journal = nullptr;
  const double BigDay = EncodeDate(2024, 3, 1), OtherDay = EncodeDate(2024, 3, 2);
  std::unique_ptr<TBitmap> Screen;
  size_t Bytes = 0;

  TBench() {
    Root = fs::temp_directory_path() / ("qybench-dates-" + std::to_string(::getpid()));
    TInteractionScript script;
    script.Answer(IDOK);
    Main = CreateBenchMainWindow(Root);
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.ProtectPriorEntries = false;
    ProfileSettings.AutoSaveOn = ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = false;
    Main->SetBounds(0, 0, 1000, 720);
    Main->SetScreenMode(smOpen);
    Integer id = 0;
    InsertJournal("Bench", 0, id);
    JournalsLoaded = true;
    Journal = FindOrOpenJournal(id);
    CurrentJournal = Journal;
    // About 1 MB: body paragraphs with a sub-heading run, a heading every
    // tenth paragraph.
    LoadEntry(Journal, BigDay);
    TVellumEdit* e = Editor();
    std::mt19937 rng(7);
    for (int p = 0; Bytes < 1000000; ++p) {
      const String head = Words(rng, p % 10 == 0 ? 6 : 9);
      e->AddTextItem(head, p % 10 == 0 ? 1 : 0, 0);
      Bytes += head.size();
      if (p % 10 != 0) {
        const String rest = " " + Words(rng, 40);
        e->AddTextItem(" " + Words(rng, 3), 2, -1);
        e->AddTextItem(rest, 0, -1);
        Bytes += rest.size() + 20;
      }
    }
    e->Format();
    Journal->Document->Modified = true;
    SaveEntry(Journal, smAuto);
    LoadEntry(Journal, OtherDay);
    Screen = std::make_unique<TBitmap>(e->GetWidth() > 0 ? e->GetWidth() : 900, e->GetHeight() > 0 ? e->GetHeight() : 600);
  }
  ~TBench() {
    UnloadJournals();
    Application->ProcessMessages();
    Application->ProcessMessages();
    delete Main;
    QuillorySession().CloseIdleConnections();
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
  TVellumEdit* Editor() { return Journal->EditorWindow->QuilloryText; }
};

TBench& Bench() {
  static TBench b;
  return b;
}

void BM_SwitchDateTo1MBEntry(benchmark::State& state) {
  TBench& b = Bench();
  for (auto _ : state) {
    state.PauseTiming();
    LoadEntry(b.Journal, b.OtherDay);
    state.ResumeTiming();
    b.Main->QuilloryDate->SetDate(b.BigDay);
    b.Editor()->PaintTo(b.Screen->Canvas());
  }
  if (b.Journal->EntryDate != b.BigDay || b.Editor()->ItemCount() < 1000) state.SkipWithError("the entry did not load");
  state.counters["bytes"] = static_cast<double>(b.Bytes);
  state.counters["items"] = b.Editor()->ItemCount();
}
BENCHMARK(BM_SwitchDateTo1MBEntry)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication toolkit(argc, argv);
  Application->Initialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
