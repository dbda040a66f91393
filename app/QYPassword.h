#pragma once
// The password dialog (asked when the journal is opened) and the
// change-password dialog.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

// The password the user last entered or set (empty until then).
extern String JournalPassword;

// Passwords are at most this long.
constexpr int MaxPasswordLength = 15;

class TPasswordDlg : public TForm {
public:
  explicit TPasswordDlg(TComponent* AOwner);
  ~TPasswordDlg() override;

  TLabel* lEnterPassword = nullptr;
  TEdit* ePassword = nullptr;
  TButton* OKBtn = nullptr;
  TButton* CancelBtn = nullptr;
  TButton* pbHelp = nullptr;

  void FormShow(TObject* Sender);
  void OKBtnClick(TObject* Sender);
  void pbHelpClick(TObject* Sender);
};

class TChangePasswordDlg : public TForm {
public:
  explicit TChangePasswordDlg(TComponent* AOwner);
  ~TChangePasswordDlg() override;

  TLabel* lExistingPassword = nullptr;
  TLabel* lNewPassword = nullptr;
  TLabel* lRepeatPassword = nullptr;
  TEdit* eExistingPassword = nullptr;
  TEdit* eNewPassword = nullptr;
  TEdit* eRepeatNewPassword = nullptr;
  TButton* OKBtn = nullptr;
  TButton* CancelBtn = nullptr;
  TButton* pbHelp = nullptr;

  void FormShow(TObject* Sender);
  void OKBtnClick(TObject* Sender);
  void CancelBtnClick(TObject* Sender);
  void pbHelpClick(TObject* Sender);
};

extern TPasswordDlg* dlgPassword;
extern TChangePasswordDlg* dlgChangePassword;
