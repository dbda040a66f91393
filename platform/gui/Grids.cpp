#include "platform/gui/Grids.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

QTableWidget* TableOf(const TControl* c) { return static_cast<QTableWidget*>(WidgetOf(c)); }

}  // namespace

TStringGrid::TStringGrid(TComponent* AOwner) : TWinControl(AOwner) {
  auto* table = new QTableWidget();
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setStretchLastSection(true);
  QObject::connect(table, &QTableWidget::itemChanged, table, [this](QTableWidgetItem* item) {
    if (FUpdating || !item) return;
    const int col = item->column(), row = item->row();
    GuardedCall([this, col, row] {
      if (OnCellChanged) OnCellChanged(this, col, row);
    });
  });
  QObject::connect(table, &QTableWidget::currentCellChanged, table,
                   [this](int, int, int, int) { GuardedCall([this] { Click(); }); });
  SetWidget(table);
  SetBounds(0, 0, 320, 200);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetColumns(const std::vector<TGridColumn>& columns) {
  FColumns = columns;
  QTableWidget* t = TableOf(this);
  if (!t) return;
  FUpdating = true;
  t->setColumnCount(static_cast<int>(columns.size()));
  QStringList titles;
  for (const TGridColumn& c : columns) titles << ToQ(c.Title);
  t->setHorizontalHeaderLabels(titles);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    t->setColumnHidden(i, !columns[static_cast<size_t>(i)].Visible);
    t->setColumnWidth(i, columns[static_cast<size_t>(i)].Width);
  }
  FUpdating = false;
}

int TStringGrid::RowCount() const {
  QTableWidget* t = TableOf(this);
  return t ? t->rowCount() : 0;
}

void TStringGrid::SetRowCount(int rows) {
  QTableWidget* t = TableOf(this);
  if (!t || rows < 0) return;
  FUpdating = true;
  const int old = t->rowCount();
  t->setRowCount(rows);
  for (int r = old; r < rows; ++r)
    for (int c = 0; c < ColCount(); ++c) {
      auto* item = new QTableWidgetItem();
      const TGridColumnKind kind = FColumns[static_cast<size_t>(c)].Kind;
      Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
      if (kind == gckText) flags |= Qt::ItemIsEditable;
      if (kind == gckCheck) {
        flags |= Qt::ItemIsUserCheckable;
        item->setCheckState(Qt::Unchecked);
      }
      item->setFlags(flags);
      t->setItem(r, c, item);
    }
  FUpdating = false;
}

void TStringGrid::DeleteRow(int row) {
  QTableWidget* t = TableOf(this);
  if (!t || row < 0 || row >= t->rowCount()) return;
  FUpdating = true;
  t->removeRow(row);
  FUpdating = false;
}

String TStringGrid::Cell(int col, int row) const {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  return item ? FromQ(item->text()) : String();
}

void TStringGrid::SetCell(int col, int row, const String& text) {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  if (!item) return;
  FUpdating = true;
  item->setText(ToQ(text));
  FUpdating = false;
}

bool TStringGrid::Checked(int col, int row) const {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  return item && item->checkState() == Qt::Checked;
}

void TStringGrid::SetChecked(int col, int row, bool value) {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  if (!item) return;
  FUpdating = true;
  item->setCheckState(value ? Qt::Checked : Qt::Unchecked);
  FUpdating = false;
}

int TStringGrid::GetRow() const {
  QTableWidget* t = TableOf(this);
  return t ? t->currentRow() : -1;
}

void TStringGrid::SetRow(int row) {
  QTableWidget* t = TableOf(this);
  if (!t) return;
  int col = t->currentColumn();
  if (col < 0) col = 0;
  while (col < ColCount() && !FColumns[static_cast<size_t>(col)].Visible) ++col;
  QSignalBlocker block(t);
  t->setCurrentCell(row, col < ColCount() ? col : 0);
}

int TStringGrid::GetCol() const {
  QTableWidget* t = TableOf(this);
  return t ? t->currentColumn() : -1;
}

void TStringGrid::EditCell(int col, int row, const String& text) {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  if (!item || !(item->flags() & Qt::ItemIsEditable)) return;
  item->setText(ToQ(text));  // reported through itemChanged
}

void TStringGrid::BeginEdit(int col, int row) {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  if (!item || !(item->flags() & Qt::ItemIsEditable)) return;
  t->setCurrentCell(row, col);
  t->setFocus(Qt::OtherFocusReason);
  t->editItem(item);
}

void TStringGrid::ToggleCell(int col, int row) {
  QTableWidget* t = TableOf(this);
  QTableWidgetItem* item = t ? t->item(row, col) : nullptr;
  if (!item || !(item->flags() & Qt::ItemIsUserCheckable)) return;
  item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
