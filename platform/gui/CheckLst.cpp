#include "platform/gui/CheckLst.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"

#include <QListWidget>
#include <QMouseEvent>

namespace {
QListWidget* List(const TCheckListBox* c) { return qobject_cast<QListWidget*>(WidgetOf(c)); }
}  // namespace

namespace {
// A click on a row's caption ticks it as a click on its box does; the box
// itself, and Space, the list's own handling ticks. A double-click is two
// clicks, as on a check box. Where captions are edited (AllowEdit) a click
// on the caption only selects and a double-click edits.
class TCheckRowClicks : public QObject {
public:
  TCheckRowClicks(TCheckListBox* Box, QListWidget* List) : QObject(List), FBox(Box), FList(List) {}

  // The state of the row under the press, to see afterwards whether the
  // list ticked it itself (a press on the box).
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick &&
        e->type() != QEvent::MouseButtonRelease)
      return false;
    auto* m = static_cast<QMouseEvent*>(e);
    if (m->button() != Qt::LeftButton) return false;
    QListWidgetItem* item = FList->itemAt(m->position().toPoint());
    if (e->type() == QEvent::MouseButtonRelease) {
      // The release of a double-click is its second click; the list does
      // nothing with it.
      if (FSecondClick && item && item == FPressed && item->checkState() == FPressState && FToggles) Toggle(item);
      FSecondClick = false;
      return false;
    }
    FPressed = item;
    FPressState = item ? item->checkState() : Qt::Unchecked;
    FSecondClick = e->type() == QEvent::MouseButtonDblClick;
    return false;
  }

  // After the list's own handling of a click's release.
  void Clicked(QListWidgetItem* item) {
    if (!item || item != FPressed) return;
    if (item->checkState() != FPressState) {
      FToggles = true;  // on the box
      return;
    }
    FToggles = !FBox->AllowEdit;
    if (FToggles) Toggle(item);
  }

private:
  void Toggle(QListWidgetItem* item) {
    if (!(item->flags() & Qt::ItemIsEnabled) || !(item->flags() & Qt::ItemIsUserCheckable)) return;
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }

  TCheckListBox* FBox;
  QListWidget* FList;
  QListWidgetItem* FPressed = nullptr;
  Qt::CheckState FPressState = Qt::Unchecked;
  bool FSecondClick = false;
  bool FToggles = false;
};
}  // namespace

TCheckListBox::TCheckListBox(TComponent* AOwner) : TListBox(AOwner) {
  QListWidget* l = List(this);
  if (!l) return;
  l->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* clicks = new TCheckRowClicks(this, l);
  l->viewport()->installEventFilter(clicks);
  QObject::connect(l, &QListWidget::itemClicked, clicks, [clicks](QListWidgetItem* item) { clicks->Clicked(item); });
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
    // New items are checkable by default but have no state, and so no box.
    if (!(item->flags() & Qt::ItemIsUserCheckable) || !item->data(Qt::CheckStateRole).isValid()) {
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
