#include "app/QYPassword.h"

#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEntryStore.h"
#include "app/QYErrorDisplay.h"
#include "app/QYFormBuild.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"
#include "platform/base/CoreDumps.h"
#include "platform/base/DateTime.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/SecretText.h"

#include <algorithm>
#include <cmath>

String JournalPassword;
std::function<void()> AfterPasswordChange;
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
  SetCaption("Password");
  SetHint("Enter Quillory Password");
  SetBorderStyle(bsDialog);
  Position = poOwnerFormCenter;
  HelpKeyword = "Password";
  // As wide as the title bar needs to show the caption whole.
  const int width = std::max(300, CaptionFitWidth(GetCaption()));
  const int shift = (width - 300) / 2;
  SetWidth(width);
  SetHeight(120);

  lEnterPassword = MakeControl<TLabel>(this, this, "lEnterPassword", 12, 12, width - 24, 18);
  lEnterPassword->SetCaption("Enter Password:");
  ePassword = PasswordEdit(this, "ePassword", 12, 36);
  ePassword->SetWidth(width - 24);
  OKBtn = DialogButton(this, "OKBtn", "&OK", 36 + shift, 80, mrOk);
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = DialogButton(this, "CancelBtn", "&Cancel", 122 + shift, 80, mrCancel);
  CancelBtn->Cancel = true;
  pbHelp = DialogButton(this, "pbHelp", "&Help", 208 + shift, 80, mrNone);
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };
  lEnterPassword->SetFocusControl(ePassword);
  OnShow = [this](TObject* s) { FormShow(s); };
}

TPasswordDlg::~TPasswordDlg() {
  if (dlgPassword == this) dlgPassword = nullptr;
}

void TPasswordDlg::FormShow(TObject*) {
  lEnterPassword->SetCaption(Prompt.empty() ? "Enter password for " + JournalOwnerText() : Prompt);
  ePassword->SetText("");
  if (ePassword->CanFocus()) ePassword->SetFocus();
}

void TPasswordDlg::OKBtnClick(TObject*) {
  WipeString(JournalPassword);
  // The edit keeps no copy once the session has it.
  JournalPassword = TakeEditText(*ePassword);
  QuillorySession().AddPassword(JournalPassword);
  LeaveOutOfCoreDumps(JournalPassword.data(), JournalPassword.size());
  ModalResult = mrOk;
}

void TPasswordDlg::pbHelpClick(TObject*) { Application->HelpContext(1001); }

// ---------------------------------------------------------------------------

TChangePasswordDlg::TChangePasswordDlg(TComponent* AOwner) : TForm(AOwner) {
  dlgChangePassword = this;
  SetName("ChangePasswordDlg");
  SetCaption("Change Password");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpKeyword = "Change Password";
  // As wide as the title bar needs to show the caption whole.
  const int width = std::max(330, CaptionFitWidth(GetCaption()));
  SetWidth(width);
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
    (*editFields[i])->SetWidth(width - 138 - 14);
    (*labelFields[i])->SetFocusControl(*editFields[i]);
  }
  // The buttons keep to the right edge.
  const int shift = width - 330;
  OKBtn = DialogButton(this, "OKBtn", "&OK", 66 + shift, 128, mrNone);
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = DialogButton(this, "CancelBtn", "Cancel", 152 + shift, 128, mrNone);
  CancelBtn->Cancel = true;
  CancelBtn->OnClick = [this](TObject* s) { CancelBtnClick(s); };
  pbHelp = DialogButton(this, "pbHelp", "&Help", 238 + shift, 128, mrNone);
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

// ---------------------------------------------------------------------------

namespace {

// Wipes what the change dialog's edits held.
void ClearChangeEdits(TChangePasswordDlg& dlg) {
  for (TEdit* e : {dlg.eExistingPassword, dlg.eNewPassword, dlg.eRepeatNewPassword}) {
    String held = TakeEditText(*e);
    WipeString(held);
  }
}

// The passwords the user gave, or false when the dialog was left.
bool AskNewPassword(TChangePasswordDlg& dlg, String& existing, String& fresh) {
  for (;;) {
    if (dlg.ShowModal() != mrOk) return false;
    existing = dlg.eExistingPassword->GetText();
    fresh = dlg.eNewPassword->GetText();
    String repeated = dlg.eRepeatNewPassword->GetText();
    const bool matches = existing == JournalPassword;
    const bool same = fresh == repeated;
    WipeString(repeated);
    if (!matches) {
      MessageBox("Existing password entered does not match database password", "Message",
                 MB_OK | MB_ICONERROR);
    } else if (!same) {
      MessageBox("New password and repeated new password are different", "Message",
                 MB_OK | MB_ICONERROR);
    } else {
      return true;
    }
    WipeString(existing);
    WipeString(fresh);
  }
}

}  // namespace

bool ChangePassword() {
  if (!dlgChangePassword) return false;
  TChangePasswordDlg& dlg = *dlgChangePassword;
  String existing, fresh;
  if (!AskNewPassword(dlg, existing, fresh)) {
    ClearChangeEdits(dlg);
    return false;
  }
  ClearChangeEdits(dlg);
  if (fresh.empty() && !existing.empty() &&
      MessageBox(RemovePasswordQuestion, "Change Password", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
    WipeString(existing);
    WipeString(fresh);
    return false;
  }
  // Closing the journals drops what they could not save: an entry that
  // cannot be saved now keeps them open and the password as it is.
  bool saved = true;
  if (JournalsLoaded)
    for (TOpenJournal* j = FirstJournal; j; j = j->Next) saved = SaveEntry(j, smAuto) && saved;
  if (!saved) {
    WipeString(existing);
    WipeString(fresh);
    MessageBox("The password was not changed: an entry could not be saved.", "Change Password",
               MB_OK | MB_ICONERROR);
    return false;
  }
  // No table may stay open while its file is written anew. The entries
  // come back with their carets where they were.
  KeepCaretPlaces();
  UnloadJournalsHook();
  bool changed = false;
  try {
    // Both tables share one file: the first call moves it whole to the new
    // password and the second only packs it. A failure before the new file
    // is in place leaves the old one as it was, under the old password.
    RestructureTablePassword(existing, fresh, "QUILLORY");
    changed = true;
    TSession& session = QuillorySession();
    if (!fresh.empty()) session.AddPassword(fresh);
    if (existing != fresh) session.RemovePassword(existing);
    WipeString(JournalPassword);
    JournalPassword = fresh;
    LeaveOutOfCoreDumps(JournalPassword.data(), JournalPassword.size());
    RestructureTablePassword(fresh, fresh, "Journals");
  } catch (const std::exception& e) {
    ShowErrorDisplay(changed ? "Change Password - Pack" : "Change Password", e);
  }
  if (changed) {
    try {
      RecordPasswordChange(fresh, Now());
    } catch (const std::exception& e) {
      ShowErrorDisplay("Change Password - Profile", e);
    }
  }
  const String confirmation = !changed              ? String()
                              : fresh.empty()         ? String(PasswordRemovedText)
                              : existing.empty()      ? String(PasswordSetText)
                                                      : String(PasswordChangedText);
  WipeString(existing);
  WipeString(fresh);
  LoadJournalsHook();
  // The dialog closed at OK: without a word the user cannot tell the change
  // went through.
  if (!confirmation.empty()) MessageBox(confirmation, "Change Password", MB_OK | MB_ICONINFORMATION);
  if (changed && AfterPasswordChange) AfterPasswordChange();
  return changed;
}

// ---------------------------------------------------------------------------

void ActionToggleReadOnlyExecute() {
  if (!ProfileSettings.ProtectPriorEntries || !CurrentJournal) return;
  TEntryDocument& doc = *CurrentJournal->Document;
  doc.ReadOnly = !doc.ReadOnly;
  doc.StoreChanged();
  UpdateReadOnlyState();
}

String ReadOnlyReason(const TOpenJournal* j) {
  if (!j || !j->Document || !j->Document->ReadOnly) return "";
  // Short: the panel shares the bar with the others.
  if (j->EntryDamaged || j->EntryUnread) return "Unreadable entry: read only";
  if (j->JournalKind == 0 && ProfileSettings.ProtectPriorEntries && std::floor(j->EntryDate) < std::floor(Date()))
    return "Earlier day: read only";
  return "Set read only";
}

void UpdateReadOnlyState() {
  TformQuilloryMain* main = formQuilloryMain;
  if (!main) return;
  const bool readOnly = CurrentJournal && CurrentJournal->Document->ReadOnly;
  if (auto* toggle = dynamic_cast<TCustomAction*>(main->FindComponent("ActionToggleReadOnly")))
    toggle->SetChecked(readOnly);
  // Otherwise the state word of the load just shown stays.
  if (readOnly)
    main->SetStatusText(spState, "locked read only");
  else if (main->StatusText(spState) == "locked read only")
    main->SetStatusText(spState, "");
  main->SetStatusText(spHint, ReadOnlyReason(CurrentJournal));
  // The commands and tool-bar boxes that would change the entry; the ones
  // not built yet are simply not found.
  for (const char* name : {"ActionSave", "ActionDelete", "ActionSpell", "ActionThesaurus",
                           "ActionDateStamp", "ActionTimeStamp", "ActionDateTimeStamp"})
    if (auto* a = dynamic_cast<TCustomAction*>(main->FindComponent(name))) a->SetEnabled(!readOnly);
  for (const char* name : {"tbFontName", "tbFontSize", "cbTextStyles", "cbParagraphStyles"})
    if (auto* c = dynamic_cast<TControl*>(main->FindComponent(name))) c->SetEnabled(!readOnly);
}
