#include "platform/gui/CheckLst.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"

#include <QListWidget>

namespace {
QListWidget* List(const TCheckListBox* c) { return qobject_cast<QListWidget*>(WidgetOf(c)); }
}  // namespace

TCheckListBox::TCheckListBox(TComponent* AOwner) : TListBox(AOwner) {
  QListWidget* l = List(this);
  if (!l) return;
  l->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QObject::connect(l, &QListWidget::itemChanged, l, [this](QListWidgetItem* item) {
    if (FSetting) return;
    QListWidget* list = List(this);
    const int row = list->row(item);
    if (row < 0) return;
    if (row < static_cast<int>(FCaptions.size()) &&
        FromQ(item->text()) != FCaptions[static_cast<size_t>(row)]) {
      CommitEdit(row, FromQ(item->text()));
      return;
    }
    GuardedCall([&] {
      if (OnClickCheck) OnClickCheck(this, row);
    });
  });
}

void TCheckListBox::PrepareRows() {
  QListWidget* l = List(this);
  if (!l) return;
  FSetting = true;
  FCaptions.clear();
  for (int i = 0; i < l->count(); ++i) {
    QListWidgetItem* item = l->item(i);
    if (!(item->flags() & Qt::ItemIsUserCheckable)) {
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
    FCaptions.push_back(FromQ(item->text()));
  }
  FSetting = false;
}

void TCheckListBox::CommitEdit(int index, const String& text) {
  QListWidget* l = List(this);
  if (!l || index < 0 || index >= l->count()) return;
  if (static_cast<int>(FCaptions.size()) != l->count()) PrepareRows();
  const String old = FCaptions[static_cast<size_t>(index)];
  String now = text;
  GuardedCall([&] {
    if (OnEdited) OnEdited(this, index, old, now);
  });
  FSetting = true;
  l->item(index)->setText(ToQ(now));
  FSetting = false;
  FCaptions[static_cast<size_t>(index)] = now;
}

bool TCheckListBox::GetChecked(int index) const {
  QListWidget* l = List(this);
  if (!l || index < 0 || index >= l->count()) return false;
  return l->item(index)->checkState() == Qt::Checked;
}

void TCheckListBox::SetChecked(int index, bool value) {
  QListWidget* l = List(this);
  if (!l || index < 0 || index >= l->count()) return;
  FSetting = true;
  QListWidgetItem* item = l->item(index);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(value ? Qt::Checked : Qt::Unchecked);
  FSetting = false;
}

void TCheckListBox::EditRow(int index) {
  QListWidget* l = List(this);
  if (!l || !AllowEdit || index < 0 || index >= l->count()) return;
  bool allow = true;
  if (OnEditing) OnEditing(this, index, allow);
  if (!allow) return;
  if (static_cast<int>(FCaptions.size()) != l->count()) PrepareRows();
  QListWidgetItem* item = l->item(index);
  FSetting = true;
  item->setFlags(item->flags() | Qt::ItemIsEditable);
  FSetting = false;
  l->editItem(item);
}
