// Printing a 1 MB entry (Arial, body text with italic runs and a bold
// heading every tenth paragraph) to a PDF file: ours beside Qt's
// QTextDocument::print on the same text; pagination alone; the preview
// switching to the next page (with the paint it causes). Each case runs
// five times, the runs of the cases interleaved so that a change in the
// machine's load falls on both sides of a pair, and counts by the median.
// Run with --print-memory to see the peak memory of printing a 10 MB entry
// instead.
#include "platform/gui/Graphics.h"
#include "platform/gui/Printers.h"
#include "richtext/view/VLPreview.h"
#include "richtext/view/VLPrint.h"
#include "richtext/view/Vellum.h"

#include <QApplication>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include "BenchText.h"

#include <random>

namespace fs = std::filesystem;

namespace {

fs::path OutFolder() {
  static const fs::path folder = [] {
    fs::path f = fs::temp_directory_path() / ("qy_bench_print_" + std::to_string(::getpid()));
    fs::create_directories(f);
    return f;
  }();
  return folder;
}

struct TOurs {
  explicit TOurs(size_t size) : Style(nullptr) {
    Style.TextStyles->Items(1)->Size = 14;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    Style.TextStyles->Items(2)->Style = TFontStyles{fsItalic};
    for (Integer i = 0; i < 3; ++i) {
      Style.TextStyles->Items(i)->FontName = "Arial";
      Style.TextStyles->Items(i)->Unicode = true;
    }
    View = std::make_unique<TVellum>(nullptr);
    View->SetBounds(0, 0, 1000, 800);
    View->SetStyle(&Style);
    for (const TBenchRun& r : BenchStyledDocument(size)) View->AddTextItem(r.Text, r.Style, r.ParaStart ? 0 : -1);
    View->Format();
    Pdf.OutputFileName = (OutFolder() / "ours.pdf").string();
    Print.PrinterOverride = &Pdf;
    Print.AssignSource(View.get());
  }
  ~TOurs() {
    Print.AssignSource(nullptr);
    View.reset();
  }
  TVLStyle Style;
  std::unique_ptr<TVellum> View;
  TPrinter Pdf;
  TVLPrint Print;
};

TOurs& Ours() {
  static TOurs o(1000000);
  return o;
}

struct TQt {
  TQt() {
    QFont base("Arial");
    base.setPointSize(10);
    base.setKerning(false);
    Doc.setDefaultFont(base);
    QTextCharFormat formats[3];
    for (int i = 0; i < 3; ++i) {
      QFont f = base;
      if (i == 1) {
        f.setPointSize(14);
        f.setBold(true);
      }
      if (i == 2) f.setItalic(true);
      formats[i].setFont(f);
    }
    QTextCursor c(&Doc);
    bool first = true;
    for (const TBenchRun& r : BenchStyledDocument(1000000)) {
      if (r.ParaStart && !first) c.insertBlock();
      first = false;
      c.insertText(QString::fromUtf8(r.Text.data(), static_cast<int>(r.Text.size())), formats[r.Style]);
    }
  }
  QTextDocument Doc;
};

TQt& Qt() {
  static TQt q;
  return q;
}

void PrintPdfOurs(benchmark::State& state) {
  TOurs& o = Ours();
  for (auto _ : state) {
    o.Print.FormatPages();
    o.Print.Print("Bench", 1, true);
  }
  state.counters["pages"] = o.Print.GetPagesCount();
}

void PrintPdfQt(benchmark::State& state) {
  TQt& q = Qt();
  int pages = 0;
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((OutFolder() / "qt.pdf").string()));
    // The document adds its own 2 cm margin, as ours has 20 mm.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    q.Doc.print(&printer);
  }
  // The printed copy's page count: the page objects of the file.
  std::FILE* f = std::fopen((OutFolder() / "qt.pdf").string().c_str(), "rb");
  if (f) {
    std::string data;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) data.append(buffer, n);
    std::fclose(f);
    for (size_t at = data.find("/Type /Page"); at != std::string::npos; at = data.find("/Type /Page", at + 1))
      if (data.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  state.counters["pages"] = pages;
}

void PaginateOurs(benchmark::State& state) {
  TOurs& o = Ours();
  for (auto _ : state) o.Print.FormatPages();
  state.counters["pages"] = o.Print.GetPagesCount();
}

void PreviewSwitchPageOurs(benchmark::State& state) {
  TOurs& o = Ours();
  o.Print.FormatPages();
  TVLPrintPreview preview(nullptr);
  preview.SetBounds(0, 0, 800, 1000);
  preview.SetVLPrint(&o.Print);
  preview.SetZoomMode(vlzmFullPage);
  TBitmap image(preview.ClientWidth(), preview.ClientHeight());
  const Integer pages = o.Print.GetPagesCount();
  Integer page = 1;
  for (auto _ : state) {
    page = page % pages + 1;
    preview.SetPageNo(page);
    preview.PaintTo(image.Canvas());
  }
}

long MaxRssKB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Peak memory of printing a 10 MB entry, beside the entry's own size.
int PrintMemory() {
  const size_t size = 10 * 1000 * 1000;
  TOurs o(size);
  const long before = MaxRssKB();
  o.Print.FormatPages();
  const long paginated = MaxRssKB();
  o.Print.Print("Memory", 1, true);
  const long printed = MaxRssKB();
  std::printf("10 MB entry: %d pages; peak RSS %ld kB loaded, %ld kB paginated (+%ld), %ld kB printed (+%ld); "
              "printing took %.1f x the text's size\n",
              static_cast<int>(o.Print.GetPagesCount()), before, paginated, paginated - before, printed,
              printed - before, (printed - before) * 1024.0 / static_cast<double>(size));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  int status = 0;
  if (argc > 1 && std::strcmp(argv[1], "--print-memory") == 0) {
    status = PrintMemory();
  } else {
    for (const auto& [name, run] : {std::pair{"PrintPdf/ours", &PrintPdfOurs}, std::pair{"PrintPdf/qt", &PrintPdfQt},
                                    std::pair{"Paginate/ours", &PaginateOurs},
                                    std::pair{"PreviewSwitchPage/ours", &PreviewSwitchPageOurs}})
      benchmark::RegisterBenchmark(name, run)
          ->Unit(benchmark::kMillisecond)
          ->Repetitions(5)
          ->DisplayAggregatesOnly(true);
    // Interleaved unless asked otherwise.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(args.begin(), args.end(),
                     [](const char* a) { return std::strstr(a, "--benchmark_enable_random_interleaving") == a; }))
      args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::error_code ec;
  fs::remove_all(OutFolder(), ec);
  return status;
}
