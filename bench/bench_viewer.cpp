// The viewer control beside QTextEdit on the same 1 MB document (Arial,
// kerning off, the same styles) in a 1000 x 800 window: painting one screen
// in the middle, scrolling by one page (with the paint it causes), hit
// testing a point, and select all + copy (with the text read back).
#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"
#include "richtext/view/VLCopy.h"
#include "richtext/view/VLHitTesting.h"
#include "richtext/view/Vellum.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include "BenchText.h"

#include <random>

namespace {

constexpr int ViewWidth = 1000, ViewHeight = 800;

struct TOurs {
  TOurs() : Style(nullptr) {
    Style.TextStyles->Items(1)->Size = 14;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    Style.TextStyles->Items(2)->Style = TFontStyles{fsItalic};
    for (Integer i = 0; i < 3; ++i) {
      Style.TextStyles->Items(i)->FontName = "Arial";
      Style.TextStyles->Items(i)->Unicode = true;
    }
    View = std::make_unique<TVellum>(nullptr);
    View->SetBorderStyle(bsNone);
    View->SetBounds(0, 0, ViewWidth, ViewHeight);
    View->SetStyle(&Style);
    for (const TBenchRun& r : BenchStyledDocument(1000000)) View->AddTextItem(r.Text, r.Style, r.ParaStart ? 0 : -1);
    View->Format();
    Image = std::make_unique<TBitmap>(ViewWidth, ViewHeight);
  }
  void Middle() { View->VScrollTo(View->YSize / 2, false); }
  TVLStyle Style;
  std::unique_ptr<TVellum> View;
  std::unique_ptr<TBitmap> Image;
};

struct TQt {
  TQt() {
    QFont base("Arial");
    base.setPixelSize(13);
    base.setKerning(false);
    Edit.setFont(base);
    Edit.document()->setDefaultFont(base);
    Edit.setReadOnly(true);
    Edit.setFrameStyle(QFrame::NoFrame);
    Edit.resize(ViewWidth, ViewHeight);
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
    QTextCursor c(Edit.document());
    bool first = true;
    for (const TBenchRun& r : BenchStyledDocument(1000000)) {
      if (r.ParaStart && !first) c.insertBlock();
      first = false;
      c.insertText(QString::fromUtf8(r.Text.data(), static_cast<int>(r.Text.size())), formats[r.Style]);
    }
    Edit.document()->size();
    Image = QImage(ViewWidth, ViewHeight, QImage::Format_ARGB32_Premultiplied);
  }
  void Middle() { Edit.verticalScrollBar()->setValue(Edit.verticalScrollBar()->maximum() / 2); }
  void Paint() { Edit.viewport()->render(&Image); }
  QTextEdit Edit;
  QImage Image;
};

TOurs& Ours() {
  static TOurs o;
  return o;
}
TQt& Qt() {
  static TQt q;
  return q;
}

void PaintOurs(benchmark::State& state) {
  TOurs& o = Ours();
  o.Middle();
  for (auto _ : state) o.View->PaintTo(o.Image->Canvas());
  state.counters["drawitems"] = o.View->VLData()->DrawItems.Count();
}
void PaintQt(benchmark::State& state) {
  TQt& q = Qt();
  q.Middle();
  for (auto _ : state) q.Paint();
}

void ScrollOurs(benchmark::State& state) {
  TOurs& o = Ours();
  o.Middle();
  bool down = true;
  for (auto _ : state) {
    int pos = o.View->VPos;
    o.View->ScrollByCode(sbVertical, down ? scPageDown : scPageUp, pos);
    o.View->PaintTo(o.Image->Canvas());
    down = !down;
  }
}
void ScrollQt(benchmark::State& state) {
  TQt& q = Qt();
  q.Middle();
  bool down = true;
  for (auto _ : state) {
    q.Edit.verticalScrollBar()->triggerAction(down ? QAbstractSlider::SliderPageStepAdd
                                                   : QAbstractSlider::SliderPageStepSub);
    q.Paint();
    down = !down;
  }
}

void HitTestOurs(benchmark::State& state) {
  TOurs& o = Ours();
  o.Middle();
  TVellumVLData& d = *o.View->VLData();
  for (auto _ : state) {
    TCustomVLFormattedData* data;
    Integer itemNo, offs;
    bool found;
    VLGetItemAt(d, 400 + d.GetHOffset(), 300 + d.GetVOffset(), data, itemNo, offs, false, found);
    benchmark::DoNotOptimize(itemNo);
  }
}
void HitTestQt(benchmark::State& state) {
  TQt& q = Qt();
  q.Middle();
  for (auto _ : state) benchmark::DoNotOptimize(q.Edit.cursorForPosition(QPoint(400, 300)).position());
}

void CopyOurs(benchmark::State& state) {
  TOurs& o = Ours();
  size_t size = 0;
  for (auto _ : state) {
    o.View->SelectAll();
    o.View->Copy();
    size = Clipboard().GetAsText().size();
  }
  state.counters["textbytes"] = static_cast<double>(size);
}
void CopyQt(benchmark::State& state) {
  TQt& q = Qt();
  size_t size = 0;
  for (auto _ : state) {
    q.Edit.selectAll();
    q.Edit.copy();
    size = QApplication::clipboard()->text().size();
  }
  state.counters["textchars"] = static_cast<double>(size);
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::RegisterBenchmark("PaintScreen1MB/ours", PaintOurs)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("PaintScreen1MB/qt", PaintQt)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ScrollPage1MB/ours", ScrollOurs)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ScrollPage1MB/qt", ScrollQt)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("HitTest1MB/ours", HitTestOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("HitTest1MB/qt", HitTestQt)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("SelectAllCopy1MB/ours", CopyOurs)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("SelectAllCopy1MB/qt", CopyQt)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
