// Painting one screen that holds 20 photographs: 800 x 600 JPEG pictures
// shown at 160 x 120 through the picture items' own painting, after their
// first paint (the pictures are decoded by then).
#include "platform/gui/Graphics.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLItem.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

AnsiString Photo(int seed) {
  QImage img(800, 600, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient sky(0, 0, 0, 600);
  sky.setColorAt(0, QColor(90 + seed * 5, 140, 220));
  sky.setColorAt(1, QColor(240, 200, 120 + seed * 3));
  p.fillRect(img.rect(), sky);
  p.setBrush(QColor(40, 110 + seed * 4, 50));
  p.drawEllipse(QPoint(200 + seed * 20, 620), 500, 220);
  p.end();
  TBitmap b;
  b.SetImage(img);
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  jpeg.Compress();
  return jpeg.SaveToBytes();
}

void PaintScreenOf20Photos(benchmark::State& state) {
  std::vector<std::unique_ptr<TVLGraphicItemInfo>> items;
  for (int i = 0; i < 20; ++i) {
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromBytes(Photo(i));
    auto item = TVLGraphicItemInfo::CreateEx(nullptr, std::move(jpeg), vlvaBaseline);
    item->ImageWidth = 160;
    item->ImageHeight = 120;
    items.push_back(std::move(item));
  }
  QImage screen(1000, 800, QImage::Format_RGB32);
  TCanvas canvas;
  canvas.SetDevice(&screen);
  auto paint = [&] {
    for (int i = 0; i < 20; ++i) items[static_cast<size_t>(i)]->Paint(10 + (i % 5) * 190, 10 + (i / 5) * 190, &canvas, {}, nullptr, nullptr);
  };
  paint();
  for (auto _ : state) {
    paint();
    canvas.ReleaseHandle();
    benchmark::DoNotOptimize(screen.constBits());
  }
}
BENCHMARK(PaintScreenOf20Photos)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
