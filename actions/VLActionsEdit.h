#pragma once
// Undo, Redo, Cut, Copy, Paste, Paste Special and Select All: the editor's
// own operations behind menu items, tool buttons and keys.
#include "actions/VLActions.h"

class TvlActionUndo : public TvlAction {
public:
  explicit TvlActionUndo(TComponent* AOwner);
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionRedo : public TvlAction {
public:
  explicit TvlActionRedo(TComponent* AOwner);
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionCut : public TvlAction {
public:
  explicit TvlActionCut(TComponent* AOwner);
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionCopy : public TvlAction {
public:
  explicit TvlActionCopy(TComponent* AOwner);
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionPaste : public TvlAction {
public:
  explicit TvlActionPaste(TComponent* AOwner);
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionPasteSpecial : public TvlActionPaste {
public:
  explicit TvlActionPasteSpecial(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionSelectAll : public TvlAction {
public:
  explicit TvlActionSelectAll(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
};
