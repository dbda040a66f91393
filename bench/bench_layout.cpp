// Layout of long documents: our layout beside Qt's own text engine on the
// same text, font (kerning off) and width. Cases: a full layout of a 1 MB
// and a 10 MB document of mixed styles (again, and for the first time with
// nothing measured before), one partial reformat after a one-character
// change in the middle of each (and after an edit that adds a line there,
// so that everything after it moves), and one 200 kB paragraph.
#include "richtext/model/VLMarkers.h"
#include "richtext/view/VLFormattedData.h"
#include "platform/gui/TextMeasure.h"
#include "tests/richtext/view/LayoutTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include "BenchText.h"

#include <random>

namespace {

constexpr Integer LayoutWidth = 1000;

// One style run of the generated text.
struct TRun {
  std::string Text;
  Integer Style;
  bool ParaStart;
};

// Paragraphs of about 100 bytes: body text with an italic run, and a bold
// heading every tenth paragraph.
std::vector<TRun> Document(int paragraphs) {
  std::mt19937 rng(7);
  std::vector<TRun> runs;
  for (int p = 0; p < paragraphs; ++p) {
    if (p % 10 == 0) {
      runs.push_back({BenchWords(rng, 40), 1, true});
      continue;
    }
    runs.push_back({BenchWords(rng, 55), 0, true});
    runs.push_back({" " + BenchWords(rng, 18), 2, false});
    runs.push_back({" " + BenchWords(rng, 20), 0, false});
  }
  return runs;
}

struct TOurs {
  explicit TOurs(const std::vector<TRun>& runs) : Style(nullptr), Data(&Style) {
    Style.TextStyles->Items(0)->Size = 10;
    Style.TextStyles->Items(1)->Size = 14;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    Style.TextStyles->Items(2)->Size = 10;
    Style.TextStyles->Items(2)->Style = TFontStyles{fsItalic};
    for (Integer i = 0; i < 3; ++i) Style.TextStyles->Items(i)->FontName = "Arial";
    Data.Width = LayoutWidth + 10;
    Data.Height = 800;
    for (const TRun& r : runs) Data.AddTextItem(r.Text, r.Style, r.ParaStart ? 0 : -1);
  }
  TVLStyle Style;
  qytest::TTestLayoutData Data;
};

struct TQt {
  explicit TQt(const std::vector<TRun>& runs) {
    QFont base("Arial");
    base.setPixelSize(13);
    base.setKerning(false);
    Doc.setDefaultFont(base);
    Doc.setDocumentMargin(0);
    Doc.setTextWidth(LayoutWidth);
    QTextCharFormat formats[3];
    for (int i = 0; i < 3; ++i) {
      QFont f = base;
      if (i == 1) {
        f.setPixelSize(19);
        f.setBold(true);
      }
      if (i == 2) f.setItalic(true);
      formats[i].setFont(f);
    }
    QTextCursor c(&Doc);
    bool first = true;
    for (const TRun& r : runs) {
      if (r.ParaStart && !first) c.insertBlock();
      first = false;
      c.insertText(QString::fromUtf8(r.Text.data(), static_cast<int>(r.Text.size())), formats[r.Style]);
    }
    Doc.size();
  }
  QTextDocument Doc;
};

template <class T>
T& Cached(int paragraphs) {
  static std::map<int, std::unique_ptr<T>> docs;
  auto& d = docs[paragraphs];
  if (!d) {
    std::mt19937 rng(3);
    d = std::make_unique<T>(paragraphs > 0 ? Document(paragraphs) : std::vector<TRun>{{BenchWords(rng, 200000), 0, true}});
  }
  return *d;
}

void FullOurs(benchmark::State& state, int paragraphs) {
  TOurs& o = Cached<TOurs>(paragraphs);
  for (auto _ : state) o.Data.Format(false, true, false, 0, nullptr, false, false);
  state.counters["drawitems"] = o.Data.DrawItems.Count();
  state.counters["height"] = o.Data.DocumentHeight;
}

// A document laid out for the first time: nothing measured before.
void FirstOurs(benchmark::State& state, int paragraphs) {
  TOurs& o = Cached<TOurs>(paragraphs);
  for (auto _ : state) {
    state.PauseTiming();
    o.Data.ExtentsCache.Clear();
    ClearTextMeasureCache();
    state.ResumeTiming();
    o.Data.Format(false, true, false, 0, nullptr, false, false);
  }
}

void FirstQt(benchmark::State& state, int paragraphs) {
  TQt& q = Cached<TQt>(paragraphs);
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<QTextDocument> copy(q.Doc.clone());
    copy->setTextWidth(LayoutWidth);
    state.ResumeTiming();
    benchmark::DoNotOptimize(copy->size());
    state.PauseTiming();
    copy.reset();
    state.ResumeTiming();
  }
}

void FullQt(benchmark::State& state, int paragraphs) {
  TQt& q = Cached<TQt>(paragraphs);
  for (auto _ : state) {
    q.Doc.markContentsDirty(0, q.Doc.characterCount());
    benchmark::DoNotOptimize(q.Doc.size());
  }
  state.counters["height"] = q.Doc.size().height();
}

// An edit that adds a line to a paragraph in the middle: everything after it
// moves down.
void NewLineOurs(benchmark::State& state, int paragraphs) {
  TOurs& o = Cached<TOurs>(paragraphs);
  o.Data.Format(false, true, false, 0, nullptr, false, false);
  const Integer item = o.Data.GetItemCount() / 2 + 1;
  const AnsiString original = o.Data.GetItemTextA(item);
  const AnsiString longer = original + " " + AnsiString(180, 'w');
  bool inserted = false;
  for (auto _ : state) {
    o.Data.SetItemTextA(item, inserted ? original : longer);
    const Integer first = o.Data.GetItem(item)->DrawItemNo;
    Integer last = first;
    while (last + 1 < o.Data.DrawItems.Count() && o.Data.DrawItems[last + 1]->ItemNo == item) ++last;
    inserted = !inserted;
    o.Data.FormatParas(first, last, 0);
  }
  o.Data.SetItemTextA(item, original);
  o.Data.Format(false, true, false, 0, nullptr, false, false);
}

void NewLineQt(benchmark::State& state, int paragraphs) {
  TQt& q = Cached<TQt>(paragraphs);
  QTextCursor c(q.Doc.findBlockByNumber(q.Doc.blockCount() / 2 + 1));
  c.movePosition(QTextCursor::EndOfBlock);
  const QString word = " " + QString(180, 'w');
  bool inserted = false;
  for (auto _ : state) {
    if (!inserted) {
      c.insertText(word);
    } else {
      c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, static_cast<int>(word.size()));
      c.removeSelectedText();
    }
    inserted = !inserted;
    benchmark::DoNotOptimize(q.Doc.size());
  }
}

void PartialOurs(benchmark::State& state, int paragraphs) {
  TOurs& o = Cached<TOurs>(paragraphs);
  o.Data.Format(false, true, false, 0, nullptr, false, false);
  const Integer item = o.Data.GetItemCount() / 2 + 1;
  const AnsiString original = o.Data.GetItemTextA(item);
  bool inserted = false;
  for (auto _ : state) {
    AnsiString text = original;
    if (!inserted) text.insert(5, 1, 'x');
    o.Data.SetItemTextA(item, text);
    inserted = !inserted;
    const Integer first = o.Data.GetItem(item)->DrawItemNo;
    Integer last = first;
    while (last + 1 < o.Data.DrawItems.Count() && o.Data.DrawItems[last + 1]->ItemNo == item) ++last;
    o.Data.FormatParas(first, last, 0);
  }
  o.Data.SetItemTextA(item, original);
}

void PartialQt(benchmark::State& state, int paragraphs) {
  TQt& q = Cached<TQt>(paragraphs);
  QTextCursor c(q.Doc.findBlockByNumber(q.Doc.blockCount() / 2 + 1));
  c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
  bool inserted = false;
  for (auto _ : state) {
    if (!inserted) c.insertText("x");
    else c.deletePreviousChar();
    inserted = !inserted;
    benchmark::DoNotOptimize(q.Doc.size());
  }
}

void Register() {
  struct TSize {
    const char* Name;
    int Paragraphs;
  };
  for (const TSize& s : {TSize{"1MB", 10000}, TSize{"10MB", 100000}}) {
    const std::string full = std::string("FullLayout") + s.Name;
    const std::string partial = std::string("PartialReformat") + s.Name;
    const std::string firstLayout = std::string("FirstLayout") + s.Name;
    const int n = s.Paragraphs;
    benchmark::RegisterBenchmark((firstLayout + "/ours").c_str(), [n](benchmark::State& st) { FirstOurs(st, n); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((firstLayout + "/qt").c_str(), [n](benchmark::State& st) { FirstQt(st, n); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((full + "/ours").c_str(), [n](benchmark::State& st) { FullOurs(st, n); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((full + "/qt").c_str(), [n](benchmark::State& st) { FullQt(st, n); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((partial + "/ours").c_str(), [n](benchmark::State& st) { PartialOurs(st, n); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((partial + "/qt").c_str(), [n](benchmark::State& st) { PartialQt(st, n); })
        ->Unit(benchmark::kMicrosecond);
    const std::string newLine = std::string("PartialReformatNewLine") + s.Name;
    benchmark::RegisterBenchmark((newLine + "/ours").c_str(), [n](benchmark::State& st) { NewLineOurs(st, n); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((newLine + "/qt").c_str(), [n](benchmark::State& st) { NewLineQt(st, n); })
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("LongParagraph200kB/ours", [](benchmark::State& st) { FullOurs(st, 0); })
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("LongParagraph200kB/qt", [](benchmark::State& st) { FullQt(st, 0); })
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
