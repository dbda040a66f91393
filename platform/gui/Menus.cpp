#include "platform/gui/Menus.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <algorithm>

namespace {

struct TKeyName {
  Word Key;
  const char* Name;
};

const TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},  {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},   {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

String KeyName(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return String(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
  for (auto& k : kKeyNames)
    if (k.Key == key) return k.Name;
  switch (key) {
    case VK_OEM_PLUS: return "=";
    case VK_OEM_MINUS: return "-";
    case VK_OEM_COMMA: return ",";
    case VK_OEM_PERIOD: return ".";
    case VK_OEM_2: return "/";
    case VK_OEM_1: return ";";
    case VK_OEM_4: return "[";
    case VK_OEM_6: return "]";
    default: return {};
  }
}

bool SameTextAscii(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

QKeySequence KeySequenceOf(TShortCut sc) {
  if (sc == 0) return {};
  int key = QtKeyFromVirtualKey(static_cast<Word>(sc & 0xFF));
  if (key == 0) return {};
  Qt::KeyboardModifiers mods;
  if (sc & scShift) mods |= Qt::ShiftModifier;
  if (sc & scCtrl) mods |= Qt::ControlModifier;
  if (sc & scAlt) mods |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut sc = Key;
  if (Shift.Contains(ssShift)) sc |= scShift;
  if (Shift.Contains(ssCtrl)) sc |= scCtrl;
  if (Shift.Contains(ssAlt)) sc |= scAlt;
  return sc;
}

void ShortCutToKey(TShortCut sc, Word& Key, TShiftState& Shift) {
  Key = static_cast<Word>(sc & 0xFF);
  Shift = {};
  if (sc & scShift) Shift.Include(ssShift);
  if (sc & scCtrl) Shift.Include(ssCtrl);
  if (sc & scAlt) Shift.Include(ssAlt);
}

String ShortCutToText(TShortCut sc) {
  String name = KeyName(static_cast<Word>(sc & 0xFF));
  if (name.empty()) return {};
  String text;
  if (sc & scShift) text += "Shift+";
  if (sc & scCtrl) text += "Ctrl+";
  if (sc & scAlt) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(const String& Text) {
  String rest = Text;
  TShortCut mods = 0;
  for (;;) {
    bool found = false;
    for (auto [prefix, bit] : {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
      size_t n = std::char_traits<char>::length(prefix);
      if (rest.size() > n && SameTextAscii(rest.substr(0, n), prefix)) {
        mods |= bit;
        rest = rest.substr(n);
        found = true;
      }
    }
    if (!found) break;
  }
  for (Word key = 1; key < 0xFF; ++key) {
    String name = KeyName(key);
    if (!name.empty() && SameTextAscii(name, rest)) return static_cast<TShortCut>(key | mods);
  }
  return 0;
}

String StripHotkey(const String& Text) {
  String out;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += Text[i];
  }
  return out;
}

// ---------------------------------------------------------------------------

struct TMenuItem::TImpl {
  std::unique_ptr<QAction> Action;
  std::unique_ptr<QMenu> Menu;
  std::function<void()> OnChildrenChanged;  // the root of a main menu
};

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
  FImpl->Action = std::make_unique<QAction>();
  QObject::connect(FImpl->Action.get(), &QAction::triggered, FImpl->Action.get(), [this] {
    GuardedCall([this] {
      FImpl->Action->setChecked(FChecked);  // the toolkit flipped it already
      Click();
    });
  });
}

TMenuItem::~TMenuItem() {
  SetAction(nullptr);
  for (TMenuItem* item : FItems) {
    item->FParent = nullptr;
    if (item->FOwnedByParent) delete item;
  }
  FItems.clear();
  if (FParent) FParent->Remove(this);
}

QAction* TMenuItem::Handle() const {
  if (auto* action = dynamic_cast<TCustomAction*>(FAction)) return action->Handle();
  return FImpl->Action.get();
}

QMenu* TMenuItem::SubMenu() const { return FImpl->Menu.get(); }

void TMenuItem::Apply() {
  QAction* a = FImpl->Action.get();
  a->setSeparator(IsLine());
  // A line shows as a line, not as a section headed "-".
  a->setText(IsLine() ? QString() : ToQ(FCaption));
  a->setShortcut(KeySequenceOf(FShortCut));
  a->setCheckable(FChecked || FRadioItem || AutoCheck);
  a->setChecked(FChecked);
  a->setEnabled(FEnabled);
  a->setVisible(FVisible);
  a->setStatusTip(ToQ(GetLongHint(Hint)));
}

void TMenuItem::SetCaption(const String& value) {
  FCaption = value;
  Apply();
  if (FParent) FParent->Rebuild();
}
void TMenuItem::SetShortCut(TShortCut value) {
  FShortCut = value;
  Apply();
}
void TMenuItem::SetChecked(bool value) {
  FChecked = value;
  if (value && FRadioItem && FParent)
    for (TMenuItem* sibling : FParent->FItems)
      if (sibling != this && sibling->FRadioItem && sibling->GroupIndex == GroupIndex && sibling->FChecked) {
        sibling->FChecked = false;
        sibling->Apply();
      }
  Apply();
}
void TMenuItem::SetEnabled(bool value) {
  FEnabled = value;
  Apply();
}
void TMenuItem::SetVisible(bool value) {
  FVisible = value;
  Apply();
}
void TMenuItem::SetRadioItem(bool value) {
  FRadioItem = value;
  Apply();
}

void TMenuItem::SetAction(TBasicAction* action) {
  if (action == FAction) return;
  TBasicAction::LinkClient(this, FAction, action, [this] { ActionChanged(); });
  if (FImpl->Menu) Handle()->setMenu(FImpl->Menu.get());
  if (FParent) FParent->Rebuild();
}

void TMenuItem::ActionChanged() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  if (!a) return;
  FCaption = a->GetCaption();
  FChecked = a->GetChecked();
  FEnabled = a->GetEnabled();
  FVisible = a->GetVisible();
  FShortCut = a->GetShortCut();
  Hint = a->GetHint();
  ImageIndex = a->ImageIndex;
  Apply();
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAction) {
    FAction = nullptr;
    if (FParent) FParent->Rebuild();
  }
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->FParent) throw EInvalidOperation("Menu inserted twice");
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  item->FOwnedByParent = item->Owner() == nullptr;
  Rebuild();
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
  Rebuild();
  if (item->FOwnedByParent) delete item;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
  item->FOwnedByParent = false;
  Rebuild();
}

void TMenuItem::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& caption) const {
  for (TMenuItem* item : FItems)
    if (SameTextAscii(StripHotkey(item->FCaption), StripHotkey(caption))) return item;
  return nullptr;
}

void TMenuItem::Rebuild() {
  if (!FItems.empty() && !FImpl->Menu) {
    FImpl->Menu = std::make_unique<QMenu>();
    QMenu* menu = FImpl->Menu.get();
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this] {
      // Linked actions show their state of the moment.
      GuardedCall([this] {
        for (TMenuItem* item : FItems)
          if (item->FAction) item->FAction->Update();
      });
    });
    Handle()->setMenu(menu);
  }
  if (QMenu* menu = FImpl->Menu.get()) {
    menu->clear();
    for (TMenuItem* item : FItems) menu->addAction(item->Handle());
  }
  if (FImpl->OnChildrenChanged) FImpl->OnChildrenChanged();
}

void TMenuItem::Click() {
  if (FAction) {
    FAction->ActionComponent = this;
    FAction->Execute();
    FAction->ActionComponent = nullptr;
    return;
  }
  if (AutoCheck) SetChecked(!FChecked);
  if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {}
TMenu::~TMenu() = default;

struct TMainMenu::TImpl {
  QPointer<QMenuBar> Bar;
};

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner), FImpl(std::make_unique<TImpl>()) {
  FItems->FImpl->OnChildrenChanged = [this] {
    if (!FImpl->Bar) return;
    FImpl->Bar->clear();
    for (int i = 0; i < FItems->Count(); ++i) FImpl->Bar->addAction(FItems->Items(i)->Handle());
  };
}

TMainMenu::~TMainMenu() {
  FItems->FImpl->OnChildrenChanged = nullptr;
  if (FImpl->Bar) delete FImpl->Bar.data();
}

QMenuBar* TMainMenu::MenuBar() {
  if (!FImpl->Bar) {
    FImpl->Bar = new QMenuBar();
    FItems->FImpl->OnChildrenChanged();
  }
  return FImpl->Bar;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

namespace {
int RunPopupMenu(TInteraction& r) {
  if (!r.Menu) return mrCancel;
  QMenu menu;
  for (int i = 0; i < r.Menu->Items()->Count(); ++i) menu.addAction(r.Menu->Items()->Items(i)->Handle());
  return menu.exec(QPoint(r.X, r.Y)) ? mrOk : mrCancel;
}
struct TRegisterPopupRunner {
  TRegisterPopupRunner() { RegisterInteractionRunner(TInteractionKind::PopupMenu, &RunPopupMenu); }
} gRegisterPopupRunner;
}  // namespace

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  for (int i = 0; i < FItems->Count(); ++i)
    if (TBasicAction* a = FItems->Items(i)->GetAction()) a->Update();
  TInteraction r;
  r.Kind = TInteractionKind::PopupMenu;
  r.Caption = GetName();
  r.Menu = this;
  r.X = X;
  r.Y = Y;
  // The chosen item has run when this returns.
  RunInteraction(r);
}
