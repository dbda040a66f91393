#include "app/QYPassword.h"

#include "app/QYDatabase.h"
#include "app/QYFormBuild.h"
#include "app/QYMain.h"
#include "platform/db/DBPassword.h"

String JournalPassword;
TPasswordDlg* dlgPassword = nullptr;
TChangePasswordDlg* dlgChangePassword = nullptr;

namespace {
TEdit* PasswordEdit(TForm* form, const char* name, Integer left, Integer top) {
  auto* e = MakeControl<TEdit>(form, form, name, left, top, 180, 24);
  e->SetMaxLength(MaxPasswordLength);
  e->SetPasswordChar(u'*');
  return e;
}

TButton* DialogButton(TForm* form, const char* name, const char* caption, Integer left, Integer top,
                      TModalResult result) {
  auto* b = MakeButton(form, name, caption, left, top);
  b->ModalResult = result;
  return b;
}
}  // namespace

// ---------------------------------------------------------------------------

TPasswordDlg::TPasswordDlg(TComponent* AOwner) : TForm(AOwner) {
  dlgPassword = this;
  SetName("PasswordDlg");
  SetCaption("Password Dialog");
  SetHint("Enter Quillory Password");
  SetBorderStyle(bsDialog);
  Position = poOwnerFormCenter;
  HelpKeyword = "Password";
  SetWidth(300);
  SetHeight(120);

  lEnterPassword = MakeControl<TLabel>(this, this, "lEnterPassword", 12, 12, 276, 18);
  lEnterPassword->SetCaption("Enter Password:");
  ePassword = PasswordEdit(this, "ePassword", 12, 36);
  ePassword->SetWidth(276);
  OKBtn = DialogButton(this, "OKBtn", "&OK", 36, 80, mrOk);
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = DialogButton(this, "CancelBtn", "&Cancel", 122, 80, mrCancel);
  CancelBtn->Cancel = true;
  pbHelp = DialogButton(this, "pbHelp", "&Help", 208, 80, mrNone);
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };
  lEnterPassword->SetFocusControl(ePassword);
  OnShow = [this](TObject* s) { FormShow(s); };
}

TPasswordDlg::~TPasswordDlg() {
  if (dlgPassword == this) dlgPassword = nullptr;
}

void TPasswordDlg::FormShow(TObject*) {
  lEnterPassword->SetCaption("Enter password for " + JournalOwnerText());
  ePassword->SetText("");
  if (ePassword->CanFocus()) ePassword->SetFocus();
}

void TPasswordDlg::OKBtnClick(TObject*) {
  WipeString(JournalPassword);
  JournalPassword = ePassword->GetText();
  QuillorySession().AddPassword(JournalPassword);
  // The edit keeps no copy once the session has it.
  ePassword->SetText("");
  ModalResult = mrOk;
}

void TPasswordDlg::pbHelpClick(TObject*) { Application->HelpContext(1001); }

// ---------------------------------------------------------------------------

TChangePasswordDlg::TChangePasswordDlg(TComponent* AOwner) : TForm(AOwner) {
  dlgChangePassword = this;
  SetName("ChangePasswordDlg");
  SetCaption("Change Password Dialog");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpKeyword = "Change Password";
  SetWidth(330);
  SetHeight(170);

  const char* labels[] = {"Existing Password", "New Password", "Repeat Password"};
  const char* labelNames[] = {"lExistingPassword", "lNewPassword", "lRepeatPassword"};
  TLabel** labelFields[] = {&lExistingPassword, &lNewPassword, &lRepeatPassword};
  const char* editNames[] = {"eExistingPassword", "eNewPassword", "eRepeatNewPassword"};
  TEdit** editFields[] = {&eExistingPassword, &eNewPassword, &eRepeatNewPassword};
  for (int i = 0; i < 3; ++i) {
    *labelFields[i] = MakeControl<TLabel>(this, this, labelNames[i], 12, 16 + i * 36, 120, 18);
    (*labelFields[i])->SetCaption(labels[i]);
    *editFields[i] = PasswordEdit(this, editNames[i], 138, 12 + i * 36);
    (*labelFields[i])->SetFocusControl(*editFields[i]);
  }
  OKBtn = DialogButton(this, "OKBtn", "&OK", 66, 128, mrNone);
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = DialogButton(this, "CancelBtn", "Cancel", 152, 128, mrNone);
  CancelBtn->Cancel = true;
  CancelBtn->OnClick = [this](TObject* s) { CancelBtnClick(s); };
  pbHelp = DialogButton(this, "pbHelp", "&Help", 238, 128, mrNone);
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
}

TChangePasswordDlg::~TChangePasswordDlg() {
  if (dlgChangePassword == this) dlgChangePassword = nullptr;
}

void TChangePasswordDlg::FormShow(TObject*) {
  if (eExistingPassword->CanFocus()) eExistingPassword->SetFocus();
}

void TChangePasswordDlg::OKBtnClick(TObject*) { ModalResult = mrOk; }
void TChangePasswordDlg::CancelBtnClick(TObject*) { ModalResult = mrCancel; }
void TChangePasswordDlg::pbHelpClick(TObject*) { Application->HelpContext(13); }
