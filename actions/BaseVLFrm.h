#pragma once
// The base form of every dialog of the editing actions: at creation it
// applies the current language's charset and the library's dialog font,
// passes the theme switch to its themed controls, mirrors the dialog for
// right-to-left languages, sets its texts by id (Localize) and, when the
// language names a help file, adds a Help button. Its control access
// operations are how dialogs and actions read and write the controls.
#include "actions/VLActions.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <map>


// The Middle-East locale test the base form uses (replaceable for tests).
extern bool (*VLAMiddleEastLocale)();

class TfrmVLBase : public TForm {
public:
  explicit TfrmVLBase(TComponent* AOwner);

  // The creation sequence; DoCreate runs it once the dialog's own
  // constructor has built its controls.
  void FormCreate(TObject* Sender);
  void DoCreate() override;
  virtual void ApplyXPThemes(bool Value);
  virtual void Localize();
  void LocalizeColorNames();
  virtual TButton* GetOkButton();
  TButton* GetCancelButton();
  TButton* FindButtonByModalResult(TModalResult ModalResult);
  void AddHelpButton();
  void HelpButtonClick(TObject* Sender);

  TBiDiMode BiDiMode = bdLeftToRight;
  String HelpFile;

  // Control access operations; the class-tested ones raise EInvalidCast.
  bool GetRadioButtonChecked(TControl* Control);
  void SetRadioButtonChecked(TControl* Control, bool Value);
  bool GetCheckBoxChecked(TControl* Control);
  void SetCheckBoxChecked(TControl* Control, bool Value);
  TCheckBoxState GetCheckBoxState(TControl* Control);
  void SetCheckBoxState(TControl* Control, TCheckBoxState Value);
  TStrings& GetComboBoxItems(TControl* Control);
  int GetComboBoxItemIndex(TControl* Control);
  void SetComboBoxItemIndex(TControl* Control, int Value);
  int GetActivePageIndex(TControl* Control);
  TTabSheet* GetActivePage(TControl* Control);
  void SetActivePage(TControl* Control, TTabSheet* Page);
  void HideTabSheet(TControl* Control);
  bool IsTabSheetVisible(TControl* Control);
  void SetFormCaption(const String& Text);
  void SetControlText(TControl* Control, const String& Text);
  String GetControlText(TControl* Control);
  TFont& GetControlFont(TControl* Control);
  int GetEditSelStart(TControl* Control);
  void SetEditSelStart(TControl* Control, int Value);
  void SetEditSelLength(TControl* Control, int Value);
  void SetEditSelText(TControl* Control, const String& Text);

protected:
  void DoShow() override;

private:
  bool FCreated = false;
  // Right to left, controls keep their right edges, as they keep their left
  // ones left to right: when a label sizes itself to a new text, and when
  // the dialog grows wider on showing. The edges and client width as last
  // placed.
  std::map<TControl*, Integer> FRightEdges;
  Integer FPlacedWidth = 0;
  void RecordRightEdges();
  void KeepRightEdges();
};

// Creates a dialog and runs its creation sequence.
template <typename T, typename... Args>
T* CreateVLForm(TComponent* Owner, Args&&... args) {
  T* form = new T(Owner, std::forward<Args>(args)...);
  form->DoCreate();
  return form;
}

// Creates a control of a dialog: owned by the form, placed on Parent.
template <typename T>
T* PutControl(TComponent* Owner, TWinControl* Parent, const char* Name, Integer Left, Integer Top, Integer Width,
              Integer Height) {
  T* c = new T(Owner);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}
