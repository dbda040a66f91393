#pragma once
// The preferences dialog: the settings by page, the default style sheet's
// editor and the cover page with its live preview.
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

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
  TPanel* pStyleTools = nullptr;
  TButton* bAddStyleItem = nullptr;
  TButton* bRenameStyleItem = nullptr;
  TButton* bDeleteStyleItem = nullptr;
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

private:
  void BuildAutomationRow(TCheckBox*& check, TEdit*& edit, TUpDown*& upDown, const char* checkName,
                          const char* caption, const char* editName, const char* upDownName, int top,
                          int max);
  TCheckBox* Check(TWinControl* parent, const char* name, const char* caption, int left, int top);
};

extern TdlgPreferences* dlgPreferences;
