#pragma once
// Bulleted and numbered lists: two toggles that apply a list of their own
// levels to the selected paragraphs, or take the lists away when every
// paragraph already carries one of exactly those levels.
#include "actions/VLActions.h"

#include <memory>

class TVLListLevelCollection;
class TVLListInfos;

class TvlActionCustomParaListSwitcher : public TvlAction {
public:
  explicit TvlActionCustomParaListSwitcher(TComponent* AOwner);
  ~TvlActionCustomParaListSwitcher() override;
  // Checked when every paragraph of the selection carries one list whose
  // levels are ListLevels.
  void UpdateTarget(TObject* Target) override;

  TVLListLevelCollection& GetListLevels() { return *FListLevels; }
  void SetListLevels(const TVLListLevelCollection& Value);
  // Empties Levels and adds the nine default levels.
  virtual void FillDefaultLevels(TVLListLevelCollection& Levels) = 0;

protected:
  // Called by the concrete constructors (the defaults are theirs).
  void InitLevels();
  // Adds a list style of ListLevels named "2" at the end of the sheet.
  Integer AddListStyle(TVLActionEditor* Editor, bool Announce);

private:
  std::unique_ptr<TVLListLevelCollection> FListLevels;
};

class TvlActionParaBullets : public TvlActionCustomParaListSwitcher {
public:
  explicit TvlActionParaBullets(TComponent* AOwner);
  void FillDefaultLevels(TVLListLevelCollection& Levels) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionParaNumbering : public TvlActionCustomParaListSwitcher {
public:
  explicit TvlActionParaNumbering(TComponent* AOwner);
  void FillDefaultLevels(TVLListLevelCollection& Levels) override;
  // Joins a numbered list of the same levels just before, after or partly
  // in the selection; otherwise starts one anew at 1.
  void ExecuteTarget(TObject* Target) override;
};

// "Bullets and Numbering...": the list gallery for the target editor; the
// choice is applied to the selected paragraphs and its levels become those
// of the bullets or numbering toggles.
class TvlActionParaList : public TvlAction {
public:
  explicit TvlActionParaList(TComponent* AOwner);
  ~TvlActionParaList() override;
  void ExecuteTarget(TObject* Target) override;

  // A gallery choice also updates every toggle of the action's owner.
  bool UpdateAllSwitchers = true;
  TvlActionParaBullets* GetActionParaBullets() const { return FActionParaBullets; }
  void SetActionParaBullets(TvlActionParaBullets* Value);
  TvlActionParaNumbering* GetActionParaNumbering() const { return FActionParaNumbering; }
  void SetActionParaNumbering(TvlActionParaNumbering* Value);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void UpdateBulletsActions(TVLListInfos& ListStyles, Integer Index);
  void UpdateNumberingActions(TVLListInfos& ListStyles, Integer Index);
  TvlActionParaBullets* FActionParaBullets = nullptr;
  TvlActionParaNumbering* FActionParaNumbering = nullptr;
};
