// Table layout: 100 tables of 10 x 5 cells of prose (about 1 MB of text),
// our layout beside Qt's QTextTable in a QTextDocument, same font (kerning
// off) and width. Every run lays every table and every cell out afresh.
#include "richtext/table/VLTable.h"
#include "tests/richtext/view/LayoutTestSupport.h"

#include <QFont>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include "BenchText.h"

namespace {

constexpr Integer LayoutWidth = 1000;
constexpr int Tables = 100, Rows = 10, Cols = 5;
constexpr size_t CellBytes = 200;

std::vector<std::string> CellTexts() {
  std::mt19937 rng(11);
  std::vector<std::string> texts;
  for (int i = 0; i < Tables * Rows * Cols; ++i) texts.push_back(BenchWords(rng, CellBytes));
  return texts;
}

struct TOurs {
  TOurs() : Style(nullptr), Data(&Style) {
    Style.TextStyles->Items(0)->Size = 10;
    Style.TextStyles->Items(0)->FontName = "Arial";
    Data.Width = LayoutWidth + 10;
    Data.Height = 800;
    const std::vector<std::string> texts = CellTexts();
    size_t next = 0;
    for (int t = 0; t < Tables; ++t) {
      Data.AddTextItem("Table " + std::to_string(t), 0, 0);
      auto table = TVLTableItemInfo::CreateEx(Rows, Cols, &Data);
      for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Cols; ++c) table->GetCell(r, c)->SetItemTextA(0, texts[next++]);
      TablesMade.push_back(table.get());
      Data.AddItem("", table.release());
    }
  }
  TVLStyle Style;
  qytest::TTestLayoutData Data;
  std::vector<TVLTableItemInfo*> TablesMade;
};

struct TQt {
  TQt() {
    QFont base("Arial");
    base.setPixelSize(13);
    base.setKerning(false);
    Doc.setDefaultFont(base);
    Doc.setDocumentMargin(0);
    Doc.setTextWidth(LayoutWidth);
    const std::vector<std::string> texts = CellTexts();
    size_t next = 0;
    QTextCursor c(&Doc);
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setCellPadding(1);
    format.setCellSpacing(2);
    for (int t = 0; t < Tables; ++t) {
      c.movePosition(QTextCursor::End);
      c.insertText(QString("Table %1").arg(t));
      QTextTable* table = c.insertTable(Rows, Cols, format);
      for (int r = 0; r < Rows; ++r)
        for (int col = 0; col < Cols; ++col) {
          QTextCursor cell = table->cellAt(r, col).firstCursorPosition();
          const std::string& s = texts[next++];
          cell.insertText(QString::fromUtf8(s.data(), static_cast<int>(s.size())));
        }
    }
    Doc.size();
  }
  QTextDocument Doc;
};

void LayoutOurs(benchmark::State& state) {
  static TOurs o;
  for (auto _ : state) {
    for (TVLTableItemInfo* t : o.TablesMade) t->Changed();
    o.Data.Format(false, true, false, 0, nullptr, false, false);
  }
  state.counters["height"] = o.Data.DocumentHeight;
}

void LayoutQt(benchmark::State& state) {
  static TQt q;
  for (auto _ : state) {
    q.Doc.markContentsDirty(0, q.Doc.characterCount());
    benchmark::DoNotOptimize(q.Doc.size());
  }
  state.counters["height"] = q.Doc.size().height();
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::RegisterBenchmark("TableLayout/ours", LayoutOurs)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TableLayout/qt", LayoutQt)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
