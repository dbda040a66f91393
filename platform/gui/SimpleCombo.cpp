#include "platform/gui/SimpleCombo.h"

#include "platform/gui/QtText.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWidget>

struct TSimpleComboBox::TParts {
  QLineEdit* Edit = nullptr;
  QListWidget* List = nullptr;
};

namespace {
class TSimpleItems : public TControlItems {
public:
  explicit TSimpleItems(QListWidget* list) : FList(list) {}

protected:
  int ViewCount() const override { return FList->count(); }
  String ViewGet(int i) const override { return FromQ(FList->item(i)->text()); }
  void ViewSet(int i, const String& s) override { FList->item(i)->setText(ToQ(s)); }
  void ViewInsert(int i, const String& s) override {
    QSignalBlocker block(FList);
    FList->insertItem(i, ToQ(s));
  }
  void ViewDelete(int i) override {
    QSignalBlocker block(FList);
    delete FList->takeItem(i);
  }
  void ViewClear() override {
    QSignalBlocker block(FList);
    FList->clear();
  }

private:
  QListWidget* FList;
};
}  // namespace

TSimpleComboBox::TSimpleComboBox(TComponent* AOwner) : TWinControl(AOwner), FParts(std::make_unique<TParts>()) {
  auto* box = new QWidget();
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  FParts->Edit = new QLineEdit(box);
  FParts->List = new QListWidget(box);
  layout->addWidget(FParts->Edit);
  layout->addWidget(FParts->List, 1);
  box->setFocusProxy(FParts->Edit);
  FParts->List->setFocusPolicy(Qt::NoFocus);
  FItems = std::make_unique<TSimpleItems>(FParts->List);
  QObject::connect(FParts->Edit, &QLineEdit::textEdited, box, [this](const QString&) {
    GuardedCall([this] {
      SelectMatching();
      if (OnChange) OnChange(this);
    });
  });
  QObject::connect(FParts->List, &QListWidget::itemClicked, box, [this](QListWidgetItem* item) {
    GuardedCall([this, item] { ClickItem(FParts->List->row(item)); });
  });
  SetWidget(box);
  SetBounds(0, 0, 145, 120);
}

TSimpleComboBox::~TSimpleComboBox() = default;

TStrings& TSimpleComboBox::Items() { return *FItems; }

int TSimpleComboBox::GetItemIndex() const {
  QListWidgetItem* item = FParts->List->currentItem();
  return item && item->isSelected() ? FParts->List->row(item) : -1;
}

void TSimpleComboBox::SetItemIndex(int value) {
  QSignalBlocker block(FParts->List);
  if (value < 0 || value >= FParts->List->count()) {
    FParts->List->clearSelection();
    FParts->List->setCurrentRow(-1);
    return;
  }
  FParts->List->setCurrentRow(value);
  FParts->List->scrollToItem(FParts->List->item(value));
  FParts->Edit->setText(FParts->List->item(value)->text());
}

String TSimpleComboBox::GetText() const { return FromQ(FParts->Edit->text()); }

void TSimpleComboBox::SetText(const String& value) {
  FParts->Edit->setText(ToQ(value));
  SelectMatching();
}

void TSimpleComboBox::SelectMatching() {
  const QString text = FParts->Edit->text();
  QSignalBlocker block(FParts->List);
  for (int i = 0; i < FParts->List->count(); ++i)
    if (FParts->List->item(i)->text().compare(text, Qt::CaseInsensitive) == 0) {
      FParts->List->setCurrentRow(i);
      FParts->List->scrollToItem(FParts->List->item(i));
      return;
    }
  FParts->List->clearSelection();
  FParts->List->setCurrentRow(-1);
}

int TSimpleComboBox::GetSelStart() const {
  return FParts->Edit->hasSelectedText() ? FParts->Edit->selectionStart() : FParts->Edit->cursorPosition();
}

int TSimpleComboBox::GetSelLength() const { return static_cast<int>(FParts->Edit->selectedText().size()); }

void TSimpleComboBox::SelectAll() { FParts->Edit->selectAll(); }

void TSimpleComboBox::ClickItem(int index) {
  if (index < 0 || index >= FParts->List->count()) return;
  SetItemIndex(index);
  Click();
}
