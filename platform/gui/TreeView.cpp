#include "platform/gui/ComCtrls.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/QtText.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

// The toolkit's item owns its node, so deleting an item (with its subtree)
// deletes the nodes too.
class TTreeItem : public QTreeWidgetItem {
public:
  std::unique_ptr<TTreeNode> Node;

  static QTreeWidgetItem* Of(const TTreeNode* node) {
    return node ? static_cast<QTreeWidgetItem*>(node->FItem) : nullptr;
  }
  static TTreeNode* NodeOf(QTreeWidgetItem* item) {
    return item ? static_cast<TTreeItem*>(item)->Node.get() : nullptr;
  }
  static TTreeNode* Make(TTreeNodes* owner, TTreeItem* item) {
    item->Node.reset(new TTreeNode(owner, item));
    return item->Node.get();
  }
  static QTreeWidget* Tree(const TTreeNodes* nodes) { return static_cast<QTreeWidget*>(nodes->Owner()->Widget()); }
};

namespace {
QTreeWidgetItem* ItemOf(const TTreeNode* node) { return TTreeItem::Of(node); }
TTreeNode* NodeOf(QTreeWidgetItem* item) { return TTreeItem::NodeOf(item); }
}  // namespace

// ---------------------------------------------------------------------------

TTreeNode::~TTreeNode() = default;

String TTreeNode::GetText() const { return FromQ(ItemOf(this)->text(0)); }
void TTreeNode::SetText(const String& value) { ItemOf(this)->setText(0, ToQ(value)); }
TTreeNode* TTreeNode::Parent() const { return NodeOf(ItemOf(this)->parent()); }
int TTreeNode::Count() const { return ItemOf(this)->childCount(); }

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return NodeOf(ItemOf(this)->child(index));
}

TTreeNode* TTreeNode::GetFirstChild() const { return Count() ? NodeOf(ItemOf(this)->child(0)) : nullptr; }
TTreeNode* TTreeNode::GetLastChild() const { return Count() ? NodeOf(ItemOf(this)->child(Count() - 1)) : nullptr; }

TTreeNode* TTreeNode::GetNextSibling() const {
  QTreeWidgetItem* item = ItemOf(this);
  QTreeWidgetItem* parent = item->parent();
  if (parent) {
    int i = parent->indexOfChild(item);
    return i + 1 < parent->childCount() ? NodeOf(parent->child(i + 1)) : nullptr;
  }
  QTreeWidget* tree = item->treeWidget();
  int i = tree->indexOfTopLevelItem(item);
  return i + 1 < tree->topLevelItemCount() ? NodeOf(tree->topLevelItem(i + 1)) : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  QTreeWidgetItem* item = ItemOf(this);
  QTreeWidgetItem* parent = item->parent();
  if (parent) {
    int i = parent->indexOfChild(item);
    return i > 0 ? NodeOf(parent->child(i - 1)) : nullptr;
  }
  QTreeWidget* tree = item->treeWidget();
  int i = tree->indexOfTopLevelItem(item);
  return i > 0 ? NodeOf(tree->topLevelItem(i - 1)) : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (TTreeNode* child = GetFirstChild()) return child;
  for (const TTreeNode* n = this; n; n = n->Parent())
    if (TTreeNode* sibling = n->GetNextSibling()) return sibling;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
  TTreeNode* prev = GetPrevSibling();
  if (!prev) return Parent();
  while (TTreeNode* last = prev->GetLastChild()) prev = last;
  return prev;
}

int TTreeNode::Level() const {
  int level = 0;
  for (QTreeWidgetItem* p = ItemOf(this)->parent(); p; p = p->parent()) ++level;
  return level;
}

int TTreeNode::Index() const {
  QTreeWidgetItem* item = ItemOf(this);
  if (QTreeWidgetItem* parent = item->parent()) return parent->indexOfChild(item);
  return item->treeWidget() ? item->treeWidget()->indexOfTopLevelItem(item) : -1;
}

int TTreeNode::AbsoluteIndex() const {
  int i = 0;
  for (QTreeWidgetItemIterator it(ItemOf(this)->treeWidget()); *it; ++it, ++i)
    if (*it == ItemOf(this)) return i;
  return -1;
}

bool TTreeNode::GetExpanded() const { return ItemOf(this)->isExpanded(); }

void TTreeNode::SetExpanded(bool value) {
  if (value == GetExpanded()) return;
  TTreeView* tv = TreeView();
  bool allow = true;
  if (value && tv->OnExpanding) tv->OnExpanding(tv, this, allow);
  if (!value && tv->OnCollapsing) tv->OnCollapsing(tv, this, allow);
  if (allow) ItemOf(this)->setExpanded(value);
}

void TTreeNode::Expand(bool recursive) {
  if (HasChildren()) SetExpanded(true);
  if (recursive)
    for (int i = 0; i < Count(); ++i) Item(i)->Expand(true);
}

void TTreeNode::Collapse(bool recursive) {
  if (recursive)
    for (int i = 0; i < Count(); ++i) Item(i)->Collapse(true);
  SetExpanded(false);
}

bool TTreeNode::GetSelected() const {
  QTreeWidgetItem* item = ItemOf(this);
  return item->treeWidget() && item->treeWidget()->currentItem() == item;
}

void TTreeNode::SetSelected(bool value) {
  QTreeWidget* tree = ItemOf(this)->treeWidget();
  if (!tree) return;
  if (value)
    tree->setCurrentItem(ItemOf(this));
  else if (GetSelected())
    tree->setCurrentItem(nullptr);
}

void TTreeNode::MakeVisible() {
  if (QTreeWidget* tree = ItemOf(this)->treeWidget()) tree->scrollToItem(ItemOf(this));
}

bool TTreeNode::IsVisible() const {
  for (QTreeWidgetItem* p = ItemOf(this)->parent(); p; p = p->parent())
    if (!p->isExpanded()) return false;
  return true;
}

TRect TTreeNode::DisplayRect(bool) const {
  QTreeWidget* tree = ItemOf(this)->treeWidget();
  if (!tree) return {};
  QRect r = tree->visualItemRect(ItemOf(this));
  return Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (Count() > 0) FOwner->Delete(GetLastChild());
}

TTreeView* TTreeNode::TreeView() const { return FOwner->Owner(); }

bool TTreeNode::IsDescendantOf(const TTreeNode* node) const {
  for (TTreeNode* p = Parent(); p; p = p->Parent())
    if (p == node) return true;
  return false;
}

// ---------------------------------------------------------------------------

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, int index, const String& text, std::any data) {
  auto* item = new TTreeItem();
  TTreeNode* node = TTreeItem::Make(this, item);
  node->Data = std::move(data);
  item->setText(0, ToQ(text));
  if (parent) {
    ItemOf(parent)->insertChild(index, item);
  } else {
    TTreeItem::Tree(this)->insertTopLevelItem(index, item);
  }
  if (FOwner->FImages && node->ImageIndex >= 0 && node->ImageIndex < FOwner->FImages->Count())
    item->setIcon(0, QIcon(QPixmap::fromImage(FOwner->FImages->Image(node->ImageIndex))));
  return node;
}

namespace {
int SiblingCount(QTreeWidget* tree, TTreeNode* parent) {
  return parent ? ItemOf(parent)->childCount() : tree->topLevelItemCount();
}
}  // namespace

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const String& text) { return AddObject(sibling, text, {}); }

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const String& text, std::any data) {
  TTreeNode* parent = sibling ? sibling->Parent() : nullptr;
  return InsertAt(parent, SiblingCount(TTreeItem::Tree(this), parent), text, std::move(data));
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const String& text) {
  return InsertAt(sibling ? sibling->Parent() : nullptr, 0, text, {});
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const String& text) { return AddChildObject(parent, text, {}); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const String& text, std::any data) {
  return InsertAt(parent, SiblingCount(TTreeItem::Tree(this), parent), text, std::move(data));
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const String& text) { return InsertAt(parent, 0, text, {}); }

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const String& text) { return InsertObject(sibling, text, {}); }

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const String& text, std::any data) {
  if (!sibling) return AddObject(nullptr, text, std::move(data));
  return InsertAt(sibling->Parent(), sibling->Index(), text, std::move(data));
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node) return;
  if (FOwner->OnDeletion) {
    std::vector<TTreeNode*> subtree;
    TTreeNode* end = node->GetNextSibling();
    for (const TTreeNode* p = node; !end && p; p = p->Parent()) end = p->GetNextSibling();
    for (TTreeNode* n = node; n && n != end; n = n->GetNext()) subtree.push_back(n);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) FOwner->OnDeletion(FOwner, *it);
  }
  TTreeNode* selected = FOwner->GetSelected();
  if (selected && (selected == node || selected->IsDescendantOf(node))) {
    // The selection moves on to a neighbour, as the platform's tree does.
    TTreeNode* next = node->GetNextSibling();
    if (!next) next = node->GetPrevSibling();
    if (!next) next = node->Parent();
    FOwner->FLastSelected = nullptr;
    FOwner->SetSelected(next);
  }
  delete ItemOf(node);
}

void TTreeNodes::Clear() {
  QTreeWidget* tree = TTreeItem::Tree(this);
  while (tree->topLevelItemCount() > 0) Delete(NodeOf(tree->topLevelItem(tree->topLevelItemCount() - 1)));
}

int TTreeNodes::Count() const {
  int n = 0;
  for (QTreeWidgetItemIterator it(TTreeItem::Tree(this)); *it; ++it) ++n;
  return n;
}

TTreeNode* TTreeNodes::Item(int index) const {
  int i = 0;
  for (QTreeWidgetItemIterator it(TTreeItem::Tree(this)); *it; ++it, ++i)
    if (i == index) return NodeOf(*it);
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TTreeNode* TTreeNodes::GetFirstNode() const {
  QTreeWidget* tree = TTreeItem::Tree(this);
  return tree->topLevelItemCount() ? NodeOf(tree->topLevelItem(0)) : nullptr;
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0) TTreeItem::Tree(this)->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) TTreeItem::Tree(this)->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------------------

TTreeView::TTreeView(TComponent* AOwner) : TWinControl(AOwner), FItems(std::make_unique<TTreeNodes>(this)) {
  auto* tree = new QTreeWidget();
  tree->setColumnCount(1);
  tree->header()->hide();
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  SetWidget(tree);
  new TChildEventForwarder(this, tree->viewport());
  QObject::connect(tree, &QTreeWidget::currentItemChanged, tree,
                   [this, tree](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                     GuardedCall([&] {
                       if (FChanging) return;
                       if (OnChanging && current) {
                         bool allow = true;
                         OnChanging(this, NodeOf(current), allow);
                         if (!allow) {
                           FChanging = true;
                           tree->setCurrentItem(previous == FLastSelected ? previous : nullptr);
                           FChanging = false;
                           return;
                         }
                       }
                       FLastSelected = current;
                       if (OnChange) OnChange(this, NodeOf(current));
                     });
                   });
  QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [this](QTreeWidgetItem* item) {
    GuardedCall([&] {
      if (OnExpanded) OnExpanded(this, NodeOf(item));
    });
  });
  QObject::connect(tree, &QTreeWidget::itemCollapsed, tree, [this](QTreeWidgetItem* item) {
    GuardedCall([&] {
      if (OnCollapsed) OnCollapsed(this, NodeOf(item));
    });
  });
  QObject::connect(tree, &QTreeWidget::itemClicked, tree,
                   [this](QTreeWidgetItem*, int) { GuardedCall([this] { Click(); }); });
  SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView() {
  // Deleting the widget deletes the items and their nodes, quietly.
  if (QWidget* w = Widget()) w->blockSignals(true);
}

TTreeNode* TTreeView::GetSelected() const {
  auto* tree = static_cast<QTreeWidget*>(Widget());
  return tree ? NodeOf(tree->currentItem()) : nullptr;
}

void TTreeView::SetSelected(TTreeNode* node) {
  auto* tree = static_cast<QTreeWidget*>(Widget());
  if (tree) tree->setCurrentItem(node ? ItemOf(node) : nullptr);
}

TTreeNode* TTreeView::GetTopItem() const {
  auto* tree = static_cast<QTreeWidget*>(Widget());
  return tree ? NodeOf(tree->itemAt(0, 0)) : nullptr;
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const {
  auto* tree = static_cast<QTreeWidget*>(Widget());
  if (!tree) return nullptr;
  QPoint p = tree->viewport()->mapFrom(tree, QPoint(x, y));
  return NodeOf(tree->itemAt(p));
}

void TTreeView::FullExpand() {
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNextSibling()) n->Expand(true);
}

void TTreeView::FullCollapse() {
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNextSibling()) n->Collapse(true);
}

void TTreeView::SetShowLines(bool value) {
  if (auto* tree = static_cast<QTreeWidget*>(Widget())) tree->setIndentation(value ? 19 : 12);
}

void TTreeView::SetShowRoot(bool value) {
  if (auto* tree = static_cast<QTreeWidget*>(Widget())) tree->setRootIsDecorated(value);
}

void TTreeView::SetHideSelection(bool value) {
  auto* tree = static_cast<QTreeWidget*>(Widget());
  if (!tree) return;
  QPalette pal = tree->palette();
  if (!value)
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  tree->setPalette(pal);
}

void TTreeView::SetImages(TCustomImageList* images) {
  FImages = images;
  auto* tree = static_cast<QTreeWidget*>(Widget());
  if (!tree) return;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    TTreeNode* n = NodeOf(*it);
    bool has = images && n->ImageIndex >= 0 && n->ImageIndex < images->Count();
    (*it)->setIcon(0, has ? QIcon(QPixmap::fromImage(images->Image(n->ImageIndex))) : QIcon());
  }
}
