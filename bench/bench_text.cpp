// Measuring and drawing a 10,000-word paragraph through the canvas, the way
// layout and painting use it: whole-text extents, line fitting from each
// line start, and drawing the fitted lines as glyph runs.
#include "platform/gui/Graphics.h"
#include "platform/gui/TextMeasure.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <random>

namespace {

WideString Paragraph(int words, bool mixedScripts) {
  std::mt19937 rng(42);
  WideString text;
  for (int w = 0; w < words; ++w) {
    if (w) text += u' ';
    const int len = 2 + static_cast<int>(rng() % 9);
    const bool hebrew = mixedScripts && w % 7 == 3;
    for (int i = 0; i < len; ++i) {
      text += hebrew ? static_cast<char16_t>(0x05D0 + rng() % 27) : static_cast<char16_t>(u'a' + rng() % 26);
    }
    if (w % 13 == 12) text += u',';
  }
  return text;
}

void SetFont(TCanvas& canvas) {
  canvas.Font.SetName("Liberation Serif");
  canvas.Font.SetSize(11);
}

// Line starts of the paragraph wrapped at width pixels: each line measures
// the rest of the text and breaks after the last space that fits.
std::vector<size_t> Wrap(TCanvas& canvas, const WideString& text, Integer width) {
  std::vector<size_t> starts{0};
  std::vector<Integer> dx;
  size_t start = 0;
  while (start < text.size()) {
    // Measure a window of the rest, as layout measures from the line start.
    const WideString rest = text.substr(start, std::min<size_t>(text.size() - start, 400));
    Integer fit = 0;
    canvas.GetTextExtentExPoint(rest, width, &fit, &dx);
    size_t end = start + static_cast<size_t>(std::max(fit, 1));
    if (end < text.size()) {
      size_t space = text.rfind(u' ', end);
      if (space != WideString::npos && space > start) end = space + 1;
    }
    start = end;
    starts.push_back(start);
  }
  return starts;
}

void BM_MeasureParagraph(benchmark::State& state) {
  const WideString text = Paragraph(10000, state.range(0) != 0);
  TCanvas canvas;
  SetFont(canvas);
  std::vector<Integer> dx;
  for (auto _ : state) {
    canvas.GetTextExtentExPoint(text, 1 << 30, nullptr, &dx);
    benchmark::DoNotOptimize(dx.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["chars"] = static_cast<double>(text.size());
}
BENCHMARK(BM_MeasureParagraph)->Arg(0)->Arg(1)->ArgName("mixed")->Unit(benchmark::kMillisecond);

void BM_MeasureParagraphUncached(benchmark::State& state) {
  // Right-to-left words force shaping; here every pass shapes afresh.
  const WideString text = Paragraph(10000, true);
  TCanvas canvas;
  SetFont(canvas);
  std::vector<Integer> dx;
  for (auto _ : state) {
    ClearTextMeasureCache();
    canvas.GetTextExtentExPoint(text, 1 << 30, nullptr, &dx);
    benchmark::DoNotOptimize(dx.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MeasureParagraphUncached)->Unit(benchmark::kMillisecond);

void BM_WrapParagraph(benchmark::State& state) {
  const WideString text = Paragraph(10000, state.range(0) != 0);
  TCanvas canvas;
  SetFont(canvas);
  size_t lines = 0;
  for (auto _ : state) {
    lines = Wrap(canvas, text, 600).size() - 1;
    benchmark::DoNotOptimize(lines);
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_WrapParagraph)->Arg(0)->Arg(1)->ArgName("mixed")->Unit(benchmark::kMillisecond);

void BM_DrawParagraph(benchmark::State& state) {
  const WideString text = Paragraph(10000, state.range(0) != 0);
  TCanvas measure;
  SetFont(measure);
  const std::vector<size_t> starts = Wrap(measure, text, 600);
  TTextMetric tm;
  measure.GetTextMetrics(tm);
  // Lines are drawn into a page-sized image, wrapping around to its top.
  QImage image(640, 1000, QImage::Format_RGB32);
  TCanvas canvas(static_cast<QPaintDevice*>(&image));
  SetFont(canvas);
  canvas.Brush.Style = bsClear;
  for (auto _ : state) {
    image.fill(Qt::white);
    Integer y = 0;
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
      canvas.TextOutW(20, y, text.substr(starts[i], starts[i + 1] - starts[i]));
      y += tm.tmHeight;
      if (y + tm.tmHeight > 1000) y = 0;
    }
  }
  state.counters["lines"] = static_cast<double>(starts.size() - 1);
}
BENCHMARK(BM_DrawParagraph)->Arg(0)->Arg(1)->ArgName("mixed")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
