#include "platform/gui/ActnList.h"

#include "platform/gui/Forms.h"
#include "platform/gui/QtText.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>
#include <algorithm>

QKeySequence KeySequenceOf(TShortCut sc);  // Menus.cpp

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
TBasicAction::~TBasicAction() = default;

void TBasicAction::RegisterChanges(const void* client, std::function<void()> onChange) {
  UnRegisterChanges(client);
  FClients.emplace_back(client, std::move(onChange));
}

void TBasicAction::UnRegisterChanges(const void* client) {
  FClients.erase(std::remove_if(FClients.begin(), FClients.end(), [client](auto& c) { return c.first == client; }),
                 FClients.end());
}

void TBasicAction::LinkClient(TComponent* client, TBasicAction*& slot, TBasicAction* action,
                              std::function<void()> onChange) {
  if (slot) {
    slot->UnRegisterChanges(client);
    slot->RemoveFreeNotification(client);
  }
  slot = action;
  if (!slot) return;
  slot->FreeNotification(client);
  slot->RegisterChanges(client, onChange);
  if (onChange) onChange();
}

void TBasicAction::Change() {
  auto clients = FClients;  // a client may unregister while told
  for (auto& c : clients)
    if (c.second) c.second();
}

TObject* TBasicAction::FindTarget() { return Screen ? Screen->ActiveControl() : nullptr; }

bool TBasicAction::HandlesTarget(TObject*) { return false; }
void TBasicAction::UpdateTarget(TObject*) {}
void TBasicAction::ExecuteTarget(TObject*) {}

namespace {
// The target and then its parent controls, as far as one takes the action.
TObject* FirstHandlingTarget(TBasicAction* action, TObject* target) {
  if (!target) return nullptr;
  if (auto* c = dynamic_cast<TControl*>(target)) {
    for (; c; c = c->GetParent())
      if (action->HandlesTarget(c)) return c;
    return nullptr;
  }
  return action->HandlesTarget(target) ? target : nullptr;
}
}  // namespace

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  if (TObject* t = FirstHandlingTarget(this, FindTarget())) {
    UpdateTarget(t);
    return true;
  }
  return false;
}

bool TBasicAction::DoExecute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  if (TObject* t = FirstHandlingTarget(this, FindTarget())) {
    ExecuteTarget(t);
    return true;
  }
  return false;
}

bool TBasicAction::Execute() { return DoExecute(); }

// ---------------------------------------------------------------------------

TContainedAction::TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TActionList* list) {
  if (list == FActionList) return;
  if (FActionList) {
    auto& v = FActionList->FActions;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  FActionList = list;
  if (list) {
    list->FActions.push_back(this);
    // Shortcuts work anywhere in the window that owns the list.
    if (auto* action = dynamic_cast<TCustomAction*>(this))
      if (auto* form = dynamic_cast<TCustomForm*>(list->Owner()))
        if (QWidget* w = WindowWidgetOf(form)) w->addAction(action->Handle());
  }
}

int TContainedAction::Index() const {
  if (!FActionList) return -1;
  auto& v = FActionList->FActions;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

bool TContainedAction::DoExecute() {
  if (FActionList && FActionList->OnExecute) {
    bool handled = false;
    FActionList->OnExecute(this, handled);
    if (handled) return true;
  }
  return TBasicAction::DoExecute();
}

// ---------------------------------------------------------------------------

struct TCustomAction::TImpl {
  std::unique_ptr<QAction> Action;
};

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner), FImpl(std::make_unique<TImpl>()) {
  FImpl->Action = std::make_unique<QAction>();
  QAction* a = FImpl->Action.get();
  a->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(a, &QAction::triggered, a, [this] {
    GuardedCall([this] {
      FImpl->Action->setChecked(FChecked);  // state is ours, not the toolkit's flip
      Execute();
    });
  });
  if (auto* form = dynamic_cast<TCustomForm*>(AOwner))
    if (QWidget* w = WindowWidgetOf(form)) w->addAction(a);
}

TCustomAction::~TCustomAction() = default;

QAction* TCustomAction::Handle() const { return FImpl->Action.get(); }

void TCustomAction::Apply() {
  QAction* a = FImpl->Action.get();
  a->setText(ToQ(FCaption));
  a->setEnabled(GetEnabled());
  a->setCheckable(FChecked || AutoCheck || GroupIndex > 0);
  a->setChecked(FChecked);
  a->setVisible(FVisible);
  QList<QKeySequence> keys;
  if (FShortCut != scNone) keys << KeySequenceOf(FShortCut);
  for (TShortCut sc : FSecondaryShortCuts)
    if (sc != scNone) keys << KeySequenceOf(sc);
  a->setShortcuts(keys);
  a->setToolTip(ToQ(GetShortHint(FHint)));
  a->setStatusTip(ToQ(GetLongHint(FHint)));
  Change();
}

void TCustomAction::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  Apply();
}

void TCustomAction::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  // Checking one of a group unchecks the others of its list.
  if (value && GroupIndex > 0 && GetActionList())
    for (int i = 0; i < GetActionList()->ActionCount(); ++i)
      if (auto* other = dynamic_cast<TCustomAction*>(GetActionList()->Actions(i));
          other && other != this && other->GroupIndex == GroupIndex)
        other->SetChecked(false);
  Apply();
}

void TCustomAction::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Apply();
}

void TCustomAction::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Apply();
}

void TCustomAction::SetHint(const String& value) {
  if (value == FHint) return;
  FHint = value;
  Apply();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (value == FShortCut) return;
  FShortCut = value;
  Apply();
}

void TCustomAction::SetSecondaryShortCuts(std::vector<TShortCut> value) {
  FSecondaryShortCuts = std::move(value);
  Apply();
}

bool TCustomAction::GetEnabled() const { return FEnabled && !Refused(); }

bool TCustomAction::Refused() const {
  const TActionList* list = GetActionList();
  return list && list->Allows && !list->Allows(this);
}

bool TCustomAction::Update() {
  TActionList* list = GetActionList();
  if (list && !list->State) return false;
  if (Refused()) return true;
  if (list && list->OnUpdate) {
    bool handled = false;
    list->OnUpdate(this, handled);
    if (handled) return true;
  }
  if (TBasicAction::Update()) return true;
  if (DisableIfNoHandler && !OnExecute) SetEnabled(false);
  return false;
}

bool TCustomAction::Execute() {
  TActionList* list = GetActionList();
  if (list && !list->State) return false;
  // The state the command acts on is the one of this moment.
  Update();
  if (!GetEnabled()) return false;
  if (AutoCheck) SetChecked(!FChecked);
  return DoExecute();
}

// ---------------------------------------------------------------------------

TActionList::TActionList(TComponent* AOwner) : TComponent(AOwner) {
  if (Application) Application->RegisterActionList(this);
}

TActionList::~TActionList() {
  if (Application) Application->UnregisterActionList(this);
  auto actions = FActions;
  for (TContainedAction* a : actions) a->SetActionList(nullptr);
}

TContainedAction* TActionList::Actions(int index) const {
  if (index < 0 || index >= ActionCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FActions[static_cast<size_t>(index)];
}

void TActionList::AllowsChanged() {
  auto actions = FActions;
  for (TContainedAction* a : actions)
    if (auto* c = dynamic_cast<TCustomAction*>(a)) c->Apply();
}

void TActionList::UpdateActions() {
  if (!State) return;
  auto actions = FActions;
  for (TContainedAction* a : actions) GuardedCall([a] { a->Update(); });
}
