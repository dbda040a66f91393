#pragma once
// The spell checker and the thesaurus over a rich-text editor.
#include "spell/scSpell.h"
#include "spell/scThesaurus.h"

class TCustomVellumEdit;
class TVellumParser;
using TVLCodePage = Cardinal;

class TVLSpellChecker : public TSpellChecker {
public:
  explicit TVLSpellChecker(TComponent* AOwner);
  ~TVLSpellChecker() override;

  // Checks the editor's document with the spelling dialog. With
  // SynchronousCheck it returns when the check has ended.
  void CheckVellumEdit(TCustomVellumEdit* Edit, Byte CheckType);
  // Ends a running check as cancelled before its editor's document goes
  // (another entry loaded, the journal locked or switched).
  void CancelCheck();
  TCustomVellumEdit* CheckedEditor() const { return FEdit; }
  void SpellDialogDeactivate(TObject* Sender) override;
  void CompleteCheck() override;

  TVLCodePage CodePage = 0;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TVellumParser* CurrentVellumParser() const;
  TCustomVellumEdit* FEdit = nullptr;
};

class TVLThesaurus : public TThesaurus {
public:
  explicit TVLThesaurus(TComponent* AOwner);
  // The word at the caret; a chosen word replaces it (one undo step).
  void LookupVellumEdit(TCustomVellumEdit* Edit);

  TVLCodePage CodePage = 0;
};
