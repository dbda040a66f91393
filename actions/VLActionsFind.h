#pragma once
// Find, Find Next and Replace: modeless find and replace dialogs whose
// buttons search the editor the action last ran on, replace the match or
// every match, and report the outcome from the language table.
#include "actions/VLActions.h"
#include "platform/gui/CommonDialogs.h"

class TvlActionFind;
class TvlActionReplace;

class TvlaFindDialog : public TFindDialog {
public:
  explicit TvlaFindDialog(TComponent* AOwner) : TFindDialog(AOwner) {}
  TvlActionFind* Action = nullptr;
};

class TvlaReplaceDialog : public TReplaceDialog {
public:
  explicit TvlaReplaceDialog(TComponent* AOwner) : TReplaceDialog(AOwner) {}
  TvlActionReplace* Action = nullptr;
};

using TVLAReplacingEvent = std::function<void(TObject* Sender, TVLActionEditor* Editor, const AnsiString& NewText)>;

// The shared part: the editor searched (weak) and the search itself.
class TvlActionSearchBase : public TvlAction {
public:
  explicit TvlActionSearchBase(TComponent* AOwner) : TvlAction(AOwner) {}
  ~TvlActionSearchBase() override;
  void UpdateTarget(TObject* Target) override;
  TWinControl* SearchedEditor() const { return FEditor; }

protected:
  void SetSearchedEditor(TWinControl* control);
  // Searches FindText; reports "not found" when it fails. True when found.
  bool Search(TFindDialog* Dialog);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DialogGone(TComponent*) {}

private:
  TWinControl* FEditor = nullptr;
};

class TvlActionFind : public TvlActionSearchBase {
public:
  explicit TvlActionFind(TComponent* AOwner);
  ~TvlActionFind() override;
  void ExecuteTarget(TObject* Target) override;
  // The find dialog's search (Find Next runs it too).
  void SearchHandler();
  TvlaFindDialog* FindDialog() const { return FDialog; }
  TvlActionReplace* GetActionReplace() const { return FActionReplace; }
  void SetActionReplace(TvlActionReplace* value);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void CloseReplaceDialog();
  TvlaFindDialog* FDialog = nullptr;
  TvlActionReplace* FActionReplace = nullptr;
};

class TvlActionFindNext : public TvlAction {
public:
  explicit TvlActionFindNext(TComponent* AOwner);
  ~TvlActionFindNext() override;
  void ExecuteTarget(TObject* Target) override;
  TvlActionFind* GetActionFind() const { return FActionFind; }
  void SetActionFind(TvlActionFind* value);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TvlActionFind* FActionFind = nullptr;
};

class TvlActionReplace : public TvlActionSearchBase {
public:
  explicit TvlActionReplace(TComponent* AOwner);
  ~TvlActionReplace() override;
  void ExecuteTarget(TObject* Target) override;
  void SearchHandler();
  void ReplaceHandler();
  TvlaReplaceDialog* ReplaceDialog() const { return FDialog; }
  TvlActionFind* GetActionFind() const { return FActionFind; }
  void SetActionFind(TvlActionFind* value);
  bool ShowReplaceAllSummary = true;
  TVLAReplacingEvent OnReplacing;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool SelectionMatches(TVLActionEditor* Editor);
  // True when the editor carried the replacement out.
  bool ReplaceOne(TVLActionEditor* Editor);
  TvlaReplaceDialog* FDialog = nullptr;
  TvlActionFind* FActionFind = nullptr;
};
