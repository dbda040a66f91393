#pragma once
// The preferences dialog: the settings by page, the default style sheet's
// editor and the cover page with its live preview.
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include "app/QYProfile.h"
#include "app/QYSettingsPaths.h"

class TVLStyle;
class TVellumEdit;
class TvlActionFontEx;
class TvlActionParagraph;
class TvlActionParaBorder;
class TformQuilloryMain;

class TdlgPreferences : public TForm {
public:
  explicit TdlgPreferences(TComponent* AOwner);
  ~TdlgPreferences() override;

  TPageControl* PageControl = nullptr;
  TTabSheet* tsPersonal = nullptr;
  TTabSheet* tsDefaultStyle = nullptr;
  TTabSheet* tsAutomation = nullptr;
  TTabSheet* tsStartUp = nullptr;
  TTabSheet* tsDatabase = nullptr;
  TTabSheet* tsCoverPage = nullptr;

  // Personal
  TLabeledEdit* qy_UserName = nullptr;
  TLabel* lUserAddress = nullptr;
  TMemo* qy_UserAddress = nullptr;
  TCheckBox* cbDisplayUserName = nullptr;
  TCheckBox* cbDisplayAddress = nullptr;
  // Default Style
  TRadioGroup* rgDefaultStyleOptions = nullptr;
  TPageControl* StylePageControl = nullptr;
  TTabSheet* tsFontStyles = nullptr;
  TTabSheet* tsParagraphStyles = nullptr;
  TListBox* FontListBox = nullptr;
  TButton* bChangeFontItem = nullptr;
  TListBox* ParagraphListBox = nullptr;
  TButton* bChangeParagraphItem = nullptr;
  TButton* bChangeParagraphBorderItem = nullptr;
  // The editing commands whose dialogs edit a style's attributes.
  TvlActionFontEx* vlActionFontEx1 = nullptr;
  TvlActionParagraph* vlActionParagraph1 = nullptr;
  TvlActionParaBorder* vlActionParaBorder1 = nullptr;
  TPanel* pStyleTools = nullptr;
  TButton* bAddStyleItem = nullptr;
  TButton* bRenameStyleItem = nullptr;
  TButton* bDeleteStyleItem = nullptr;
  TVellumEdit* vleSample = nullptr;
  // Automation
  TCheckBox* cbAutoSaveOn = nullptr;
  TEdit* eAutoSaveInterval = nullptr;
  TUpDown* udAutoSave = nullptr;
  TCheckBox* cbAutoHideOn = nullptr;
  TEdit* eAutoHideInterval = nullptr;
  TUpDown* udAutoHide = nullptr;
  TCheckBox* cbAutoHideMinimize = nullptr;
  TCheckBox* cbAutoLockOn = nullptr;
  TEdit* eAutoLockInterval = nullptr;
  TUpDown* udAutoLock = nullptr;
  TCheckBox* cbAutoLockMinimize = nullptr;
  TCheckBox* cbBackupReminder = nullptr;
  TEdit* eBackupReminderInterval = nullptr;
  TUpDown* udBackupReminderInterval = nullptr;
  TCheckBox* cbPasswordChangeReminder = nullptr;
  TEdit* ePasswordChangeInterval = nullptr;
  TUpDown* udPasswordChangeInterval = nullptr;
  TCheckBox* cbProtectPriorEntries = nullptr;
  TCheckBox* cbConfirmDelete = nullptr;
  TCheckBox* cbConfirmPrint = nullptr;
  TCheckBox* cbSaveWindowPositions = nullptr;
  // StartUp
  TRadioGroup* rgStartUpFolder = nullptr;
  // Database
  TLabel* lBackupRestoreLocation = nullptr;
  TEdit* eBackupRestoreLocation = nullptr;
  TButton* pbBrowseBackup = nullptr;
  // Cover Page
  TLabel* lBitmapLocation = nullptr;
  TEdit* eBitmapLocation = nullptr;
  TButton* bBrowse = nullptr;
  TLabel* lBitmapDrawMode = nullptr;
  TComboBox* cbBitmapDrawMode = nullptr;
  TPaintBox* SimulatedCoverBitMap = nullptr;
  // Buttons
  TButton* OKBtn = nullptr;
  TButton* CancelBtn = nullptr;
  TButton* HelpBtn = nullptr;
  TButton* pbSetRefault = nullptr;

  void SimulatedCoverBitMapPaint(TObject* Sender);
  void HelpBtnClick(TObject* Sender);
  void FormShow(TObject* Sender);
  void LoadPreferenceControls();
  void OKBtnClick(TObject* Sender);
  void CancelBtnClick(TObject* Sender);
  void pbSetRefaultClick(TObject* Sender);
  void bBrowseClick(TObject* Sender);
  void cbBitmapDrawModeSelect(TObject* Sender);
  void pbBrowseBackupClick(TObject* Sender);
  void udAutoHideClick(TObject* Sender);
  // The style editor: each acts on the text styles while the "Font" page is
  // active, on the paragraph styles while the "Paragraph" page is.
  void bAddStyleItemClick(TObject* Sender);
  void bRenameStyleItemClick(TObject* Sender);
  void bDeleteStyleItemClick(TObject* Sender);
  // The selected style through the font, paragraph or border dialog; what
  // the dialog accepts goes into the style.
  void bChangeFontItemClick(TObject* Sender);
  void bChangeParagraphItemClick(TObject* Sender);
  void bChangeParagraphBorderItemClick(TObject* Sender);
  void ShowTextStyleSample(const String& name);
  void ShowParaStyleSample(const String& name);

  // The style sheet the editor works on: a copy of the default sheet made
  // when the dialog shows, which only OK puts in the default sheet's place.
  TVLStyle* WorkingStyle() const { return FWorkingStyle; }
  bool EditingTextStyles() const;

private:
  // Reads an interval edit; false (the user told, the edit focused) when it
  // is no whole number within the up-down's range.
  bool ReadInterval(TEdit* edit, TUpDown* upDown, const char* what, const char* unit, Integer& value);
  // Checks a path the user typed or chose in an edit as its setting will
  // use it; false (the user told, the edit focused) when it cannot serve.
  bool AcceptedPath(TEdit* edit, TSettingsPathKind kind, const char* what, const String& unchanged);
  // False, the user told, when a new backup folder lies in the database folder.
  bool AcceptedBackupFolder();
  // The page and the box of a refused value, for the user to mend it.
  void ShowRefused(TEdit* edit);
  // Asks for a style name until it is neither blank nor in the list; false
  // when the user cancels.
  bool AskStyleName(TListBox* list, String& name, const String& unchanged);
  TListBox* ActiveStyleList() const;
  void ListKeyDown(TListBox* list, Word& key);
  TProfileSettings FSaved;
  bool FShown = false;  // FSaved holds the settings of this showing
  TVLStyle* FWorkingStyle = nullptr;

  void BuildAutomationRow(TCheckBox*& check, TEdit*& edit, TUpDown*& upDown, const char* checkName,
                          const char* caption, const char* editName, const char* upDownName, int top,
                          int max);
  TCheckBox* Check(TWinControl* parent, const char* name, const char* caption, int left, int top);
};

extern TdlgPreferences* dlgPreferences;

// The preferences command: saves the current entry, shows the dialog, and
// brings the autostart entry in line when the start-up choice changed.
void ActionPreferencesExecute(TformQuilloryMain* main);
// What OK does after the settings are read: the Profile, the backup
// command's hint, the styles file and the open journals' editors.
void ApplyPreferences(TformQuilloryMain* main, TVLStyle& changedStyles);
