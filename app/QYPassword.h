#pragma once
// The password dialog (asked when the journal is opened) and the
// change-password dialog.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <functional>

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

  // Shown in place of "Enter password for …" while not empty: the password
  // wanted is not the journal's own (a backup's).
  String Prompt;

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

// The change-password command: asks for the existing and the new password
// (again until they agree or the user cancels), closes the journals, puts the
// journal's file under the new password (an empty one removes it), records
// the change and opens the journals again. A failure on the way is shown and
// leaves the journal under the old password, every entry as it was; answers
// whether the password changed. A change that went through is confirmed in
// a message box with one of the texts below.
bool ChangePassword();
// Runs after a change went through (the password report).
extern std::function<void()> AfterPasswordChange;
inline constexpr const char* PasswordSetText =
    "The journal is now protected by the new password.\r\nYou will be asked for it each time you open the journal.";
inline constexpr const char* PasswordChangedText =
    "The password has been changed.\r\nUse the new password from now on.";
inline constexpr const char* PasswordRemovedText =
    "The password has been removed.\r\nThe journal is no longer protected: anyone can open it.";
// Asked before an empty new password takes the protection away.
inline constexpr const char* RemovePasswordQuestion =
    "Remove the password?\r\nThe journal will no longer be protected: anyone who can open its folder can "
    "read it.";

// The read-only toggle of the current entry (only while prior entries are
// protected), and the commands and controls that follow its state.
void ActionToggleReadOnlyExecute();
void UpdateReadOnlyState();
struct TOpenJournal;
// Why the journal's entry is read-only, for the status bar; empty when it
// is not.
String ReadOnlyReason(const TOpenJournal* journal);
