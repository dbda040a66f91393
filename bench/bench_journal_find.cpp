// Advanced find over a journal of twenty years (7,300 daily entries of about
// 3 KB of real VLF text, in the encrypted journal file), and a report of one
// year of it (365 entries) built up to the preview window.
//   GlobalFind20Years/ours       the word only in the last entry: Find, the
//                                hit shown, Find Next, the end of the scan
//   GlobalFindFirstHit20Years    the word in the third entry: Find until the
//                                hit is shown in its journal's window
//   JournalReportOneYearPreview  page per day, the selection of one year,
//                                until the preview window shows
//   GlobalFindGuiLatency20Years  a word in no entry: the whole scan, while
//                                another thread posts an event to the GUI
//                                thread every 5 ms; counters: how long
//                                those waited (median, 95th percentile,
//                                longest, in ms)
#include "app/QYActivity.h"
#include "BenchJournal.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYGlobalFind.h"
#include "app/QYJournalReport.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPrintPreview.h"
#include "app/QYProfile.h"
#include "app/QYRecordSelection.h"
#include "app/QYSchema.h"
#include "app/QYStartup.h"
#include "platform/base/CodePages.h"
#include "platform/base/DateTime.h"
#include "platform/base/Streams.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Printers.h"
#include "platform/gui/Threads.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLPrint.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Entries = 7300;

String Words(std::mt19937& rng, int count) {
  static const char* const words[] = {"garden", "morning", "letter", "quiet", "river", "walked", "remember",
                                      "the",    "and",     "of",     "under", "window", "summer", "bread"};
  String s;
  for (int i = 0; i < count; ++i) s += (i ? " " : "") + String(words[rng() % 14]);
  return s;
}

String EntryBlob(std::mt19937& rng, const String& extra) {
  TEntryDocument doc;
  doc.Style.TextStyles->Items(0)->Unicode = true;
  for (int p = 0; p < 7; ++p) {
    const String text = Words(rng, 70) + (p == 3 ? " " + extra : String());
    doc.Data.AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(text)), 0, 0, TVLTag());
  }
  TMemoryStream s;
  doc.SaveVLF(s);
  return String(s.Memory(), static_cast<size_t>(s.GetSize()));
}

struct TBench {
  fs::path Root;
  TformQuilloryMain* Main = nullptr;
  Integer JournalID = 0;
  Integer FirstDay = 0;
  Integer ReportYear = 0;
  TPrinter Pdf;

  TBench() {
    Root = fs::temp_directory_path() / ("qybench-find-" + std::to_string(::getpid()));
    TInteractionScript script;
    script.Answer(IDOK);
    Main = CreateBenchMainWindow(Root);
    Application->CreateForm<TfGlobalFind>();
    Application->CreateForm<TFormPrintPreview>();
    Application->CreateForm<TFormPrintJournalLoadProgress>();
    Application->CreateForm<TDlgRecordSelection>();
    Application->CreateForm<TActivityDisplayWindow>();
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.ProtectPriorEntries = false;
    ProfileSettings.AutoSaveOn = ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = false;
    Main->SetBounds(0, 0, 1000, 720);
    Main->SetScreenMode(smOpen);
    // The journal file encrypted, as a user's is.
    RestructureTablePassword("", "bench-pass", "QUILLORY");
    QuillorySession().AddPassword("bench-pass");
    InsertJournal("Bench", 0, JournalID);

    std::mt19937 rng(5);
    FirstDay = static_cast<Integer>(Date()) - Entries;
    ReportYear = YearOf(FirstDay + 3000);
    TDatabase db;
    db.SessionName = SessionName;
    db.AliasName = AliasName;
    db.StartTransaction();
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, Editor ) "
              "VALUES ( :bJournalID, :bJournalDate, :bJournalText, 0, 0, 'VLF' )");
    q.Prepare();
    for (int i = 0; i < Entries; ++i) {
      const String extra = i == 2 ? "xylophone" : i == Entries - 1 ? "zeppelin" : "";
      q.ParamByName("bJournalID").SetAsInteger(JournalID);
      q.ParamByName("bJournalDate").SetAsDate(FirstDay + i);
      q.ParamByName("bJournalText").SetAsBlob(EntryBlob(rng, extra), ftFmtMemo);
      q.ExecSQL();
    }
    db.Commit();
    JournalsLoaded = true;
    CurrentJournal = FindOrOpenJournal(JournalID);
    Pdf.OutputFileName = (Root / "report.pdf").string();
    FormPrintPreview->VLPrint1->PrinterOverride = &Pdf;
  }
  ~TBench() {
    fGlobalFind->StopFind();
    FormPrintPreview->VLPrint1->PrinterOverride = nullptr;
    UnloadJournals();
    Application->ProcessMessages();
    QuillorySession().CloseIdleConnections();
    std::error_code ec;
    fs::remove_all(Root, ec);
  }
};

std::unique_ptr<TBench> GBench;
TBench& Bench() {
  if (!GBench) GBench = std::make_unique<TBench>();
  return *GBench;
}

void Pump(const std::function<bool()>& done) {
  while (!done()) {
    Application->ProcessMessages();
    TThread::CheckSynchronize();
  }
}

void StartFind(const String& word) {
  ActionGlobalFindExecute();
  fGlobalFind->leTextToFind->SetText(word);
  fGlobalFind->pbFind->Click();
}

void GlobalFindLastEntry(benchmark::State& state) {
  Bench();
  for (auto _ : state) {
    const int before = fGlobalFind->HitsShown;
    StartFind("zeppelin");
    Pump([&] { return fGlobalFind->HitsShown > before || !fGlobalFind->FindRunning; });
    if (fGlobalFind->HitsShown == before) state.SkipWithError("no hit");
    fGlobalFind->pbFind->Click();
    Pump([] { return !fGlobalFind->FindRunning; });
  }
  state.counters["entries"] = Entries;
}

void GlobalFindFirstHit(benchmark::State& state) {
  Bench();
  for (auto _ : state) {
    const int before = fGlobalFind->HitsShown;
    StartFind("xylophone");
    Pump([&] { return fGlobalFind->HitsShown > before || !fGlobalFind->FindRunning; });
    if (fGlobalFind->HitsShown == before) state.SkipWithError("no hit");
    state.PauseTiming();
    fGlobalFind->StopFind();
    state.ResumeTiming();
  }
}

void GlobalFindGuiLatency(benchmark::State& state) {
  Bench();
  std::vector<double> latencies;
  for (auto _ : state) {
    struct TProbe {
      std::atomic<bool> Stop{false};
      std::atomic<int> Pending{0};
      std::vector<double> Latencies;  // GUI thread only
    };
    auto probe = std::make_shared<TProbe>();
    StartFind("quetzalcoatl");
    std::thread poster([probe] {
      while (!probe->Stop) {
        const auto sent = std::chrono::steady_clock::now();
        ++probe->Pending;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [probe, sent] {
              probe->Latencies.push_back(
                  std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count());
              --probe->Pending;
            },
            Qt::QueuedConnection);
        while (probe->Pending > 0 && !probe->Stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    Pump([] { return !fGlobalFind->FindRunning; });
    probe->Stop = true;
    poster.join();
    Application->ProcessMessages();
    latencies.insert(latencies.end(), probe->Latencies.begin(), probe->Latencies.end());
  }
  if (latencies.empty()) {
    state.SkipWithError("no event was answered");
    return;
  }
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double q) { return latencies[static_cast<size_t>(q * static_cast<double>(latencies.size() - 1))]; };
  state.counters["median_ms"] = at(0.5);
  state.counters["p95_ms"] = at(0.95);
  state.counters["max_ms"] = latencies.back();
  state.counters["events"] = static_cast<double>(latencies.size());
}

void JournalReportOneYear(benchmark::State& state) {
  TBench& b = Bench();
  int pages = 0;
  for (auto _ : state) {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = static_cast<TDlgRecordSelection*>(r.Form);
      d->rbYear->SetChecked(true);
      d->cbYear->SetText(IntToStr(b.ReportYear));
      d->pbOk->Click();
      return static_cast<int>(mrOk);
    });
    script.Do([&](TInteraction& r) {
      pages = static_cast<TFormPrintPreview*>(r.Form)->VLPrint1->GetPagesCount();
      return static_cast<int>(mrOk);
    });
    BuildJournalReport(roPreview, rsSelection, rlPagePerDay);
    if (script.Unexpected) state.SkipWithError("the report asked something unexpected");
  }
  state.counters["entries"] = ReportEntriesPlaced;
  state.counters["pages"] = pages;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RegisterBenchmark("GlobalFind20Years/ours", GlobalFindLastEntry)->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RegisterBenchmark("GlobalFindFirstHit20Years", GlobalFindFirstHit)->Unit(benchmark::kMillisecond)->Iterations(5);
  benchmark::RegisterBenchmark("GlobalFindGuiLatency20Years", GlobalFindGuiLatency)->Unit(benchmark::kMillisecond)->Iterations(1);
  benchmark::RegisterBenchmark("JournalReportOneYearPreview", JournalReportOneYear)->Unit(benchmark::kMillisecond)->Iterations(3);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  GBench.reset();
  return 0;
}
