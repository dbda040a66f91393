// Table layout: 100 tables of 10 x 5 cells of prose (about 1 MB of text),
// our layout beside Qt's QTextTable in a QTextDocument, same font (kerning
// off) and width. Every run lays every table and every cell out afresh.
// Table merge: a 10 x 10 block of a 50 x 10 table of short texts made one
// cell, in our editor as one undo step (laid out again) and with
// QTextTable::mergeCells; each side is undone between runs, untimed.
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/table/VLTable.h"
#include "tests/richtext/view/LayoutTestSupport.h"

#include <QApplication>
#include <QFont>
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

constexpr int MergeRows = 50, MergeCols = 10, Block = 10;

std::vector<std::string> MergeTexts() {
  std::mt19937 rng(5);
  std::vector<std::string> texts;
  for (int i = 0; i < MergeRows * MergeCols; ++i) texts.push_back(BenchWords(rng, 20));
  return texts;
}

void MergeOurs(benchmark::State& state) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(0)->Size = 10;
  style.TextStyles->Items(0)->FontName = "Arial";
  style.UseSound = false;
  TForm form(nullptr);
  form.SetBounds(0, 0, 820, 620);
  auto* edit = new TVellumEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(0, 0, 800, 600);
  edit->SetStyle(&style);
  TVLEditVLData& data = *edit->EditData();
  auto table = TVLTableItemInfo::CreateEx(MergeRows, MergeCols, &data);
  const std::vector<std::string> texts = MergeTexts();
  for (int r = 0; r < MergeRows; ++r)
    for (int c = 0; c < MergeCols; ++c) table->GetCell(r, c)->SetItemTextA(0, texts[size_t(r * MergeCols + c)]);
  TVLTableItemInfo* t = table.get();
  data.AddItem("", table.release());
  edit->Format();
  for (auto _ : state) {
    if (!t->MergeCells(0, 0, Block, Block)) state.SkipWithError("not merged");
    state.PauseTiming();
    edit->Undo();
    state.ResumeTiming();
  }
  state.counters["cells"] = t->RowCount() * t->ColCount();
}

void MergeQt(benchmark::State& state) {
  QTextDocument doc;
  QFont base("Arial");
  base.setPixelSize(13);
  doc.setDefaultFont(base);
  doc.setTextWidth(800);
  QTextCursor c(&doc);
  QTextTable* table = c.insertTable(MergeRows, MergeCols);
  const std::vector<std::string> texts = MergeTexts();
  for (int r = 0; r < MergeRows; ++r)
    for (int col = 0; col < MergeCols; ++col) {
      const std::string& s = texts[size_t(r * MergeCols + col)];
      table->cellAt(r, col).firstCursorPosition().insertText(QString::fromUtf8(s.data(), static_cast<int>(s.size())));
    }
  doc.size();
  for (auto _ : state) {
    table->mergeCells(0, 0, Block, Block);
    benchmark::DoNotOptimize(doc.size());
    state.PauseTiming();
    doc.undo();
    state.ResumeTiming();
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::RegisterBenchmark("TableLayout/ours", LayoutOurs)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TableLayout/qt", LayoutQt)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TableMerge/ours", MergeOurs)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("TableMerge/qt", MergeQt)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
