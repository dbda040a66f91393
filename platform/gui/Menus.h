#pragma once
// Menus: main menus, pop-up menus and their items ("&" marks the access key,
// "-" is a separator), and the shortcut helpers.
#include "platform/base/Components.h"
#include "platform/gui/Controls.h"

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class TBasicAction;

// Virtual key in the low byte, modifiers in the high bits.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+Ctrl+Z", "Alt+F4", "Del"; empty for none.
String ShortCutToText(TShortCut ShortCut);
// The reverse; 0 for text it does not know.
TShortCut TextToShortCut(const String& Text);
// Removes the access-key marks ("&File" -> "File", "&&" -> "&").
String StripHotkey(const String& Text);

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  String GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool IsLine() const { return FCaption == "-"; }
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);
  bool GetChecked() const { return FChecked; }
  // A checked radio item unchecks the others of its GroupIndex.
  void SetChecked(bool value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  bool GetRadioItem() const { return FRadioItem; }
  void SetRadioItem(bool value);
  Byte GroupIndex = 0;
  bool AutoCheck = false;
  String Hint;
  int ImageIndex = -1;

  // An item linked to an action shows and runs the action.
  TBasicAction* GetAction() const { return FAction; }
  void SetAction(TBasicAction* action);

  // --- sub-items (an item created without an owner belongs to its parent)
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const;
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Delete(int index);
  void Remove(TMenuItem* item);
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
  TMenuItem* Find(const String& caption) const;

  // Runs the action, or OnClick.
  virtual void Click();
  TNotifyEvent OnClick;

  // The toolkit's action shown for this item (the action's own when linked).
  QAction* Handle() const;
  // The sub-menu, created with the first sub-item.
  QMenu* SubMenu() const;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TMainMenu;
  void Rebuild();
  void ActionChanged();
  void Apply();
  String FCaption;
  TShortCut FShortCut = 0;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FRadioItem = false;
  TBasicAction* FAction = nullptr;
  TMenuItem* FParent = nullptr;
  bool FOwnedByParent = false;
  std::vector<TMenuItem*> FItems;
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  TMenuItem* Items() const { return FItems.get(); }

protected:
  std::unique_ptr<TMenuItem> FItems;
};

class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  // The menu bar a form shows (built from the items).
  QMenuBar* MenuBar();

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* AOwner);
  // Shows the menu at screen coordinates; returns after the chosen item ran.
  virtual void Popup(int X, int Y);
  bool AutoPopup = true;
  // The control the menu was opened from (set before OnPopup).
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;
};
