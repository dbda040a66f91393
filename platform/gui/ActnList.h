#pragma once
// Actions: commands shared by menu items, tool buttons and shortcuts. Running
// one first updates it and runs it only when it is then enabled. Actions
// without handlers work on a target: the focused control (then its parents),
// asked through HandlesTarget, UpdateTarget and ExecuteTarget.
#include "platform/base/Components.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Menus.h"

#include <functional>
#include <vector>

class QAction;
class TActionList;

class TBasicAction : public TComponent {
public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Update, then (when enabled) the handlers or the target; true when
  // something handled it.
  virtual bool Execute();
  // OnUpdate or the target's update; true when something handled it.
  virtual bool Update();

  virtual bool HandlesTarget(TObject* Target);
  virtual void UpdateTarget(TObject* Target);
  virtual void ExecuteTarget(TObject* Target);

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  // The menu item or tool button the action runs through (nullptr from a
  // shortcut or code).
  TComponent* ActionComponent = nullptr;

  // Menu items and tool buttons follow the action's state through these.
  void RegisterChanges(const void* client, std::function<void()> onChange);
  void UnRegisterChanges(const void* client);
  // Points a client's action slot at action: the old one forgets the client,
  // the new one tells it of changes (at once, too) and of its destruction.
  static void LinkClient(TComponent* client, TBasicAction*& slot, TBasicAction* action,
                         std::function<void()> onChange);

protected:
  void Change();
  // The target: the focused control, or the one the caller names.
  virtual TObject* FindTarget();
  virtual bool DoExecute();

private:
  std::vector<std::pair<const void*, std::function<void()>>> FClients;
};

class TContainedAction : public TBasicAction {
public:
  explicit TContainedAction(TComponent* AOwner);
  ~TContainedAction() override;
  TActionList* GetActionList() const { return FActionList; }
  void SetActionList(TActionList* list);
  String Category;
  int Index() const;

protected:
  bool DoExecute() override;

private:
  TActionList* FActionList = nullptr;
};

class TCustomAction : public TContainedAction {
public:
  explicit TCustomAction(TComponent* AOwner);
  ~TCustomAction() override;

  bool Execute() override;
  bool Update() override;

  String GetCaption() const { return FCaption; }
  void SetCaption(const String& value);
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool value);
  // False also while the list refuses the action (TActionList::Allows).
  bool GetEnabled() const;
  void SetEnabled(bool value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  // "short|long".
  String GetHint() const { return FHint; }
  void SetHint(const String& value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);
  // Further keys for the same command; menus show only the first.
  const std::vector<TShortCut>& GetSecondaryShortCuts() const { return FSecondaryShortCuts; }
  void SetSecondaryShortCuts(std::vector<TShortCut> value);
  int ImageIndex = -1;
  int HelpContext = 0;
  int GroupIndex = 0;
  bool AutoCheck = false;
  // An action nobody handles is disabled by its update.
  bool DisableIfNoHandler = true;

  // The toolkit's action (menus, tool bars and the window's shortcuts).
  QAction* Handle() const;

private:
  friend class TActionList;
  bool Refused() const;
  void Apply();
  String FCaption;
  String FHint;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  TShortCut FShortCut = 0;
  std::vector<TShortCut> FSecondaryShortCuts;
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

class TAction : public TCustomAction {
public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TActionList : public TComponent {
public:
  explicit TActionList(TComponent* AOwner);
  ~TActionList() override;

  int ActionCount() const { return static_cast<int>(FActions.size()); }
  TContainedAction* Actions(int index) const;
  // Updates every action (the application does it when idle).
  void UpdateActions();

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  // While false the actions of the list neither update nor run.
  bool State = true;
  // While set, the actions it answers false for show disabled and neither
  // update nor run, whatever their own state (which comes back when it
  // answers true again). Call AllowsChanged when its answers change.
  std::function<bool(const TContainedAction*)> Allows;
  void AllowsChanged();

private:
  friend class TContainedAction;
  std::vector<TContainedAction*> FActions;
};
