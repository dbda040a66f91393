#include "app/QYPreferences.h"

#include "app/QYAutoSave.h"
#include "app/QYBackup.h"
#include "app/QYCover.h"
#include "app/QYEditor.h"
#include "app/QYErrorDisplay.h"
#include "app/QYFormBuild.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYShortcut.h"

#include "actions/BaseVLFrm.h"
#include "actions/FontVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "actions/VLActionsFontDlg.h"
#include "actions/VLActionsParaDlg.h"
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"

#include <cmath>

TdlgPreferences* dlgPreferences = nullptr;

namespace {
// The commands' parts that turn an accepted dialog into a style's
// attributes, open to the style editor (the dialog's commands are made as
// these).
struct TStyleFontAction : TvlActionFontEx {
  using TvlActionFontEx::TvlActionFontEx;
  using TvlActionFontEx::ConvertTextStyle;
};
struct TStyleParaAction : TvlActionParagraph {
  using TvlActionParagraph::TvlActionParagraph;
  using TvlActionParagraph::ConvertParaStyle;
};
struct TStyleBorderAction : TvlActionParaBorder {
  using TvlActionParaBorder::TvlActionParaBorder;
  using TvlActionParaBorder::ConvertParaStyle;
};
TTabSheet* Page(TForm* owner, TPageControl* control, const char* name, const char* caption) {
  auto* page = new TTabSheet(owner);
  page->SetName(name);
  page->SetPageControl(control);
  page->SetCaption(caption);
  return page;
}
}  // namespace

TCheckBox* TdlgPreferences::Check(TWinControl* parent, const char* name, const char* caption, int left,
                                  int top) {
  auto* c = MakeControl<TCheckBox>(this, parent, name, left, top, 240, 22);
  c->SetCaption(caption);
  return c;
}

void TdlgPreferences::BuildAutomationRow(TCheckBox*& check, TEdit*& edit, TUpDown*& upDown,
                                         const char* checkName, const char* caption, const char* editName,
                                         const char* upDownName, int top, int max) {
  check = Check(tsAutomation, checkName, caption, 12, top);
  edit = MakeControl<TEdit>(this, tsAutomation, editName, 260, top, 50, 22);
  upDown = MakeControl<TUpDown>(this, tsAutomation, upDownName, 310, top, 18, 22);
  upDown->SetMin(1);
  upDown->SetMax(max);
  upDown->SetAssociate(edit);
  auto* unit = MakeControl<TLabel>(this, tsAutomation, (String(editName) + "Unit").c_str(), 334, top + 3, 60, 18);
  unit->SetCaption(max > 120 ? "days" : "minutes");
}

TdlgPreferences::TdlgPreferences(TComponent* AOwner) : TForm(AOwner) {
  dlgPreferences = this;
  SetName("dlgPreferences");
  SetCaption("Quillory Preferences");
  SetBorderStyle(bsDialog);
  Position = poMainFormCenter;
  HelpContext = 86;
  SetWidth(560);
  SetHeight(470);
  SetVisible(false);

  PageControl = MakeControl<TPageControl>(this, this, "PageControl", 8, 8, 544, 414);
  tsPersonal = Page(this, PageControl, "tsPersonal", "Personal");
  tsDefaultStyle = Page(this, PageControl, "tsDefaultStyle", "Default Style");
  tsAutomation = Page(this, PageControl, "tsAutomation", "Automation");
  tsStartUp = Page(this, PageControl, "tsStartUp", "StartUp");
  tsDatabase = Page(this, PageControl, "tsDatabase", "Database");
  tsCoverPage = Page(this, PageControl, "tsCoverPage", "Cover Page");

  // Personal
  qy_UserName = MakeControl<TLabeledEdit>(this, tsPersonal, "qy_UserName", 12, 28, 300, 24);
  qy_UserName->EditLabel()->SetCaption("Name");
  qy_UserName->SetHint("name of Quillory user");
  lUserAddress = MakeControl<TLabel>(this, tsPersonal, "lUserAddress", 12, 62, 100, 18);
  lUserAddress->SetCaption("Address");
  qy_UserAddress = MakeControl<TMemo>(this, tsPersonal, "qy_UserAddress", 12, 82, 300, 100);
  qy_UserAddress->SetMaxLength(255);
  qy_UserAddress->SetScrollBars(ssVertical);
  cbDisplayUserName = Check(tsPersonal, "cbDisplayUserName", "Display Name on Cover Page", 12, 194);
  cbDisplayAddress = Check(tsPersonal, "cbDisplayAddress", "Display Address on Cover Page", 12, 220);

  // Default Style
  rgDefaultStyleOptions = MakeControl<TRadioGroup>(this, tsDefaultStyle, "rgDefaultStyleOptions", 8, 8, 520, 64);
  rgDefaultStyleOptions->SetCaption("Default Style Options");
  rgDefaultStyleOptions->Items().Add("Keep Existing Journal Styles");
  rgDefaultStyleOptions->Items().Add("Replace Existing Journal Styles");
  pStyleTools = MakeControl<TPanel>(this, tsDefaultStyle, "pStyleTools", 8, 78, 520, 34);
  pStyleTools->SetCaption("");
  bAddStyleItem = MakeControl<TButton>(this, pStyleTools, "bAddStyleItem", 4, 3, 80, 28);
  bAddStyleItem->SetCaption("Add");
  bRenameStyleItem = MakeControl<TButton>(this, pStyleTools, "bRenameStyleItem", 88, 3, 80, 28);
  bRenameStyleItem->SetCaption("Rename");
  bDeleteStyleItem = MakeControl<TButton>(this, pStyleTools, "bDeleteStyleItem", 172, 3, 80, 28);
  bDeleteStyleItem->SetCaption("Delete");
  StylePageControl = MakeControl<TPageControl>(this, tsDefaultStyle, "StylePageControl", 8, 118, 230, 262);
  tsFontStyles = Page(this, StylePageControl, "tsFontStyles", "Font");
  tsParagraphStyles = Page(this, StylePageControl, "tsParagraphStyles", "Paragraph");
  FontListBox = MakeControl<TListBox>(this, tsFontStyles, "FontListBox", 4, 4, 214, 190);
  bChangeFontItem = MakeControl<TButton>(this, tsFontStyles, "bChangeFontItem", 4, 200, 90, 28);
  bChangeFontItem->SetCaption("Font");
  bChangeFontItem->OnClick = [this](TObject* s) { bChangeFontItemClick(s); };
  ParagraphListBox = MakeControl<TListBox>(this, tsParagraphStyles, "ParagraphListBox", 4, 4, 214, 190);
  bChangeParagraphItem = MakeControl<TButton>(this, tsParagraphStyles, "bChangeParagraphItem", 4, 200, 90, 28);
  bChangeParagraphItem->SetCaption("Paragraph");
  bChangeParagraphItem->OnClick = [this](TObject* s) { bChangeParagraphItemClick(s); };
  bChangeParagraphBorderItem =
      MakeControl<TButton>(this, tsParagraphStyles, "bChangeParagraphBorderItem", 100, 200, 90, 28);
  bChangeParagraphBorderItem->SetCaption("Border");
  bChangeParagraphBorderItem->OnClick = [this](TObject* s) { bChangeParagraphBorderItemClick(s); };
  FontListBox->OnDblClick = [this](TObject* s) { bChangeFontItemClick(s); };
  ParagraphListBox->OnDblClick = [this](TObject* s) { bChangeParagraphItemClick(s); };
  vlActionFontEx1 = new TStyleFontAction(this);
  vlActionFontEx1->SetName("vlActionFontEx1");
  vlActionParagraph1 = new TStyleParaAction(this);
  vlActionParagraph1->SetName("vlActionParagraph1");
  vlActionParaBorder1 = new TStyleBorderAction(this);
  vlActionParaBorder1->SetName("vlActionParaBorder1");
  vleSample = new TVellumEdit(this);
  vleSample->SetName("vleSample");
  vleSample->SetParent(tsDefaultStyle);
  vleSample->SetBounds(246, 118, 282, 262);
  vleSample->SetReadOnly(true);
  FWorkingStyle = new TVLStyle(this);
  vleSample->SetStyle(FWorkingStyle);
  bAddStyleItem->OnClick = [this](TObject* s) { bAddStyleItemClick(s); };
  bRenameStyleItem->OnClick = [this](TObject* s) { bRenameStyleItemClick(s); };
  bDeleteStyleItem->OnClick = [this](TObject* s) { bDeleteStyleItemClick(s); };
  FontListBox->OnClick = [this](TObject*) {
    const int i = FontListBox->GetItemIndex();
    if (i >= 0) ShowTextStyleSample(FontListBox->Items()[i]);
  };
  ParagraphListBox->OnClick = [this](TObject*) {
    const int i = ParagraphListBox->GetItemIndex();
    if (i >= 0) ShowParaStyleSample(ParagraphListBox->Items()[i]);
  };
  FontListBox->OnKeyDown = [this](TObject*, Word& key, TShiftState) { ListKeyDown(FontListBox, key); };
  ParagraphListBox->OnKeyDown = [this](TObject*, Word& key, TShiftState) { ListKeyDown(ParagraphListBox, key); };

  // Automation
  BuildAutomationRow(cbAutoSaveOn, eAutoSaveInterval, udAutoSave, "cbAutoSaveOn", "Auto Save Interval",
                     "eAutoSaveInterval", "udAutoSave", 12, 120);
  BuildAutomationRow(cbAutoHideOn, eAutoHideInterval, udAutoHide, "cbAutoHideOn", "Auto Hide When Idle",
                     "eAutoHideInterval", "udAutoHide", 40, 120);
  cbAutoHideMinimize = Check(tsAutomation, "cbAutoHideMinimize", "Minimize on Hide", 32, 66);
  BuildAutomationRow(cbAutoLockOn, eAutoLockInterval, udAutoLock, "cbAutoLockOn", "Auto Lock When Idle",
                     "eAutoLockInterval", "udAutoLock", 94, 120);
  cbAutoLockMinimize = Check(tsAutomation, "cbAutoLockMinimize", "Minimize on Lock", 32, 120);
  BuildAutomationRow(cbBackupReminder, eBackupReminderInterval, udBackupReminderInterval,
                     "cbBackupReminder", "Backup Reminder", "eBackupReminderInterval",
                     "udBackupReminderInterval", 148, 365);
  BuildAutomationRow(cbPasswordChangeReminder, ePasswordChangeInterval, udPasswordChangeInterval,
                     "cbPasswordChangeReminder", "Password Change Reminder", "ePasswordChangeInterval",
                     "udPasswordChangeInterval", 176, 365);
  cbProtectPriorEntries = Check(tsAutomation, "cbProtectPriorEntries", "Protect Prior Entries", 12, 212);
  cbConfirmDelete = Check(tsAutomation, "cbConfirmDelete", "Confirm Delete", 12, 238);
  cbConfirmPrint = Check(tsAutomation, "cbConfirmPrint", "Confirm Print", 12, 264);
  cbSaveWindowPositions =
      Check(tsAutomation, "cbSaveWindowPositions", "Save Quillory Window Positions", 12, 290);

  // StartUp
  rgStartUpFolder = MakeControl<TRadioGroup>(this, tsStartUp, "rgStartUpFolder", 8, 8, 300, 80);
  rgStartUpFolder->SetCaption("Quillory StartUp");
  rgStartUpFolder->Items().Add("In StartUp Folder");
  rgStartUpFolder->Items().Add("Not In StartUp Folder");

  // Database
  lBackupRestoreLocation = MakeControl<TLabel>(this, tsDatabase, "lBackupRestoreLocation", 12, 12, 300, 18);
  lBackupRestoreLocation->SetCaption("Backup / Restore Location");
  eBackupRestoreLocation = MakeControl<TEdit>(this, tsDatabase, "eBackupRestoreLocation", 12, 32, 400, 24);
  pbBrowseBackup = MakeControl<TButton>(this, tsDatabase, "pbBrowseBackup", 420, 30, 90, 28);
  pbBrowseBackup->SetCaption("browse");
  pbBrowseBackup->OnClick = [this](TObject* s) { pbBrowseBackupClick(s); };
  auto* note = MakeControl<TLabel>(this, tsDatabase, "lBackupNote", 12, 66, 500, 40);
  note->SetCaption("Backups are written to this folder and restored from it. It must exist\r\n"
                   "and lie outside the database folder.");

  // Cover Page
  lBitmapLocation = MakeControl<TLabel>(this, tsCoverPage, "lBitmapLocation", 12, 12, 100, 18);
  lBitmapLocation->SetCaption("Location");
  eBitmapLocation = MakeControl<TEdit>(this, tsCoverPage, "eBitmapLocation", 12, 32, 400, 24);
  bBrowse = MakeControl<TButton>(this, tsCoverPage, "bBrowse", 420, 30, 90, 28);
  bBrowse->SetCaption("Browse");
  bBrowse->OnClick = [this](TObject* s) { bBrowseClick(s); };
  lBitmapDrawMode = MakeControl<TLabel>(this, tsCoverPage, "lBitmapDrawMode", 12, 66, 140, 18);
  lBitmapDrawMode->SetCaption("Bitmap Draw Mode");
  cbBitmapDrawMode = MakeControl<TComboBox>(this, tsCoverPage, "cbBitmapDrawMode", 160, 62, 150, 24);
  cbBitmapDrawMode->SetStyle(csDropDownList);
  cbBitmapDrawMode->SetSorted(true);
  for (const char* mode : {"None", "Normal", "Tiled", "Stretched"}) cbBitmapDrawMode->Items().Add(mode);
  cbBitmapDrawMode->OnSelect = [this](TObject* s) { cbBitmapDrawModeSelect(s); };
  eBitmapLocation->OnChange = [this](TObject*) { SimulatedCoverBitMap->Invalidate(); };
  SimulatedCoverBitMap = MakeControl<TPaintBox>(this, tsCoverPage, "SimulatedCoverBitMap", 12, 96, 400, 280);
  SimulatedCoverBitMap->OnPaint = [this](TObject* s) { SimulatedCoverBitMapPaint(s); };

  // Buttons
  OKBtn = MakeControl<TButton>(this, this, "OKBtn", 200, 432, 80, 28);
  OKBtn->SetCaption("&OK");
  OKBtn->SetDefault(true);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = MakeControl<TButton>(this, this, "CancelBtn", 286, 432, 80, 28);
  CancelBtn->SetCaption("&Cancel");
  CancelBtn->Cancel = true;
  CancelBtn->OnClick = [this](TObject* s) { CancelBtnClick(s); };
  HelpBtn = MakeControl<TButton>(this, this, "HelpBtn", 372, 432, 80, 28);
  HelpBtn->SetCaption("&Help");
  HelpBtn->OnClick = [this](TObject* s) { HelpBtnClick(s); };
  pbSetRefault = MakeControl<TButton>(this, this, "pbSetRefault", 8, 432, 130, 28);
  pbSetRefault->SetCaption("Restore Defaults");
  pbSetRefault->OnClick = [this](TObject* s) { pbSetRefaultClick(s); };
  udAutoHide->OnClick = [this](TObject* s, TUDBtnType) { udAutoHideClick(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  // Closing the window another way is a Cancel.
  OnClose = [this](TObject*, TCloseAction&) {
    if (FShown && ModalResult != mrOk) ProfileSettings = FSaved;
    FShown = false;
  };
}

TdlgPreferences::~TdlgPreferences() {
  if (dlgPreferences == this) dlgPreferences = nullptr;
}

void TdlgPreferences::SimulatedCoverBitMapPaint(TObject*) { PaintCover(formQuilloryMain, SimulatedCoverBitMap); }

void TdlgPreferences::HelpBtnClick(TObject*) { Application->HelpContext(86); }

// ---------------------------------------------------------------------------
// Showing, OK, Cancel and the defaults.

namespace {

const char* const kDrawModeNames[] = {"None", "Normal", "Tiled", "Stretched"};

template <typename Infos>
Integer StyleIndexNamed(Infos& infos, const String& name) {
  for (Integer i = 0; i < infos.Count(); ++i)
    if (infos.Items(i)->StyleName == name) return i;
  return -1;
}

void FillStyleList(TListBox* list, auto& infos) {
  list->Items().Clear();
  for (Integer i = 0; i < infos.Count(); ++i)
    if (infos.Items(i)->Standard) list->Items().Add(infos.Items(i)->StyleName);
}

String QuotedName(const String& name) { return "\"" + name + "\""; }

}  // namespace

void TdlgPreferences::FormShow(TObject*) {
  FSaved = ProfileSettings;
  FShown = true;
  TVLStyle* sheet = formQuilloryMain ? formQuilloryMain->QuilloryDefaultStyle : nullptr;
  if (sheet) {
    FWorkingStyle->TextStyles->Assign(sheet->TextStyles.get());
    FWorkingStyle->ParaStyles->Assign(sheet->ParaStyles.get());
    FWorkingStyle->ListStyles->Assign(sheet->ListStyles.get());
  }
  vleSample->Clear();
  vleSample->Format();
  LoadPreferenceControls();
}

void TdlgPreferences::LoadPreferenceControls() {
  FillStyleList(FontListBox, *FWorkingStyle->TextStyles);
  FillStyleList(ParagraphListBox, *FWorkingStyle->ParaStyles);
  const TProfileSettings& p = ProfileSettings;
  qy_UserName->SetText(p.UserName);
  qy_UserAddress->SetText(p.UserAddress);
  cbDisplayUserName->SetChecked(p.DisplayUserName);
  cbDisplayAddress->SetChecked(p.DisplayAddress);
  rgDefaultStyleOptions->SetItemIndex(p.KeepJournalStyle ? 0 : 1);
  cbAutoSaveOn->SetChecked(p.AutoSaveOn);
  udAutoSave->SetPosition(p.AutoSaveInterval);
  eAutoSaveInterval->SetText(IntToStr(p.AutoSaveInterval));
  cbAutoHideOn->SetChecked(p.AutoHideOn);
  udAutoHide->SetPosition(p.AutoHideInterval);
  eAutoHideInterval->SetText(IntToStr(p.AutoHideInterval));
  cbAutoHideMinimize->SetChecked(p.AutoHideMinimize);
  cbAutoLockOn->SetChecked(p.AutoLockOn);
  udAutoLock->SetMin(1);
  udAutoLock->SetPosition(p.AutoLockInterval);
  eAutoLockInterval->SetText(IntToStr(p.AutoLockInterval));
  cbAutoLockMinimize->SetChecked(p.AutoLockMinimize);
  cbBackupReminder->SetChecked(p.BackupReminder);
  udBackupReminderInterval->SetPosition(p.BackupReminderInterval);
  eBackupReminderInterval->SetText(IntToStr(p.BackupReminderInterval));
  cbPasswordChangeReminder->SetChecked(p.PasswordChangeReminder);
  udPasswordChangeInterval->SetPosition(p.PasswordChangeInterval);
  ePasswordChangeInterval->SetText(IntToStr(p.PasswordChangeInterval));
  cbProtectPriorEntries->SetChecked(p.ProtectPriorEntries);
  cbConfirmDelete->SetChecked(p.ConfirmDelete);
  cbConfirmPrint->SetChecked(p.ConfirmPrint);
  cbSaveWindowPositions->SetChecked(p.SaveWindowPositions);
  rgStartUpFolder->SetItemIndex(p.StartUpFolder == 0 ? 0 : 1);
  eBackupRestoreLocation->SetText(p.BackupRestoreLocation);
  eBitmapLocation->SetText(p.BitmapLocation);
  // The mode's name; the last line when the stored mode has none.
  const String mode = p.BitmapDrawMode < 4 ? kDrawModeNames[p.BitmapDrawMode] : String();
  int line = cbBitmapDrawMode->Items().Count() - 1;
  for (int i = 0; i < cbBitmapDrawMode->Items().Count(); ++i)
    if (cbBitmapDrawMode->Items()[i] == mode) line = i;
  cbBitmapDrawMode->SetItemIndex(line);
  SimulatedCoverBitMap->Invalidate();
}

bool TdlgPreferences::ReadInterval(TEdit* edit, TUpDown* upDown, const char* what, const char* unit,
                                   Integer& value) {
  Int64 n = 0;
  const String text = Trim(edit->GetText());
  if (TryStrToInt64(text, n) && n >= upDown->GetMin() && n <= upDown->GetMax()) {
    value = static_cast<Integer>(n);
    return true;
  }
  // A number out of range would lock at every tick or never; text that is
  // no number would end the program.
  MessageBox(String(what) + ": " + QuotedName(edit->GetText()) + " is not a number of " + unit + " from " +
                 IntToStr(upDown->GetMin()) + " to " + IntToStr(upDown->GetMax()) + ".",
             "Quillory Preferences", MB_OK | MB_ICONEXCLAMATION);
  ShowRefused(edit);
  return false;
}

void TdlgPreferences::ShowRefused(TEdit* edit) {
  if (TTabSheet* page = dynamic_cast<TTabSheet*>(edit->GetParent())) PageControl->SetActivePage(page);
  if (edit->CanFocus()) edit->SetFocus();
}

bool TdlgPreferences::AcceptedPath(TEdit* edit, TSettingsPathKind kind, const char* what,
                                   const String& unchanged) {
  const String path = edit->GetText();
  // No path is a choice (no cover picture, no backup folder yet); a path
  // left as it was is checked where it is used.
  if (Trim(path).empty() || path == unchanged) return true;
  TBitmap picture;
  const String problem =
      kind == TSettingsPathKind::Picture ? LoadSettingsPicture(path, picture) : SettingsPathProblem(path, kind);
  // A path not there yet may be (a backup stick, the folder the first
  // backup makes): where it is used, its absence is told or skipped.
  if (problem.empty() || problem == SettingsPathMissing) return true;
  MessageBox("The " + String(what) + " " + QuotedName(path) + " cannot be used: " + problem +
                 ".\r\nChoose another one, or leave the box empty.",
             "Quillory Preferences", MB_OK | MB_ICONEXCLAMATION);
  ShowRefused(edit);
  return false;
}

bool TdlgPreferences::AcceptedBackupFolder() {
  // A backup inside the database folder goes with the database it should
  // save; a folder left as it was is checked where it is used.
  const String path = eBackupRestoreLocation->GetText();
  if (Trim(path).empty() || path == FSaved.BackupRestoreLocation) return true;
  const String problem = BackupFolderInsideProblem(path, DatabaseFolder(), cdfBackup);
  if (problem.empty()) return true;
  MessageBox(problem, "Quillory Preferences", MB_OK | MB_ICONEXCLAMATION);
  ShowRefused(eBackupRestoreLocation);
  return false;
}

void TdlgPreferences::OKBtnClick(TObject*) {
  TProfileSettings& p = ProfileSettings;
  Integer save = 0, hide = 0, lock = 0, backup = 0, password = 0;
  if (!ReadInterval(eAutoSaveInterval, udAutoSave, "Auto Save Interval", "minutes", save) ||
      !ReadInterval(eAutoHideInterval, udAutoHide, "Auto Hide When Idle", "minutes", hide) ||
      !ReadInterval(eAutoLockInterval, udAutoLock, "Auto Lock When Idle", "minutes", lock) ||
      !ReadInterval(eBackupReminderInterval, udBackupReminderInterval, "Backup Reminder", "days", backup) ||
      !ReadInterval(ePasswordChangeInterval, udPasswordChangeInterval, "Password Change Reminder", "days",
                    password)) {
    ModalResult = mrNone;
    return;
  }
  if (!AcceptedPath(eBitmapLocation, TSettingsPathKind::Picture, "cover picture", FSaved.BitmapLocation) ||
      !AcceptedPath(eBackupRestoreLocation, TSettingsPathKind::Folder, "backup folder",
                    FSaved.BackupRestoreLocation) ||
      !AcceptedBackupFolder()) {
    ModalResult = mrNone;
    return;
  }
  p.BitmapLocation = eBitmapLocation->GetText();
  p.BackupRestoreLocation = ExcludeTrailingPathDelimiter(eBackupRestoreLocation->GetText());
  p.DisplayUserName = cbDisplayUserName->GetChecked();
  p.DisplayAddress = cbDisplayAddress->GetChecked();
  p.AutoSaveOn = cbAutoSaveOn->GetChecked();
  p.AutoHideOn = cbAutoHideOn->GetChecked();
  p.AutoHideMinimize = cbAutoHideMinimize->GetChecked();
  p.AutoLockOn = cbAutoLockOn->GetChecked();
  p.AutoLockMinimize = cbAutoLockMinimize->GetChecked();
  p.BackupReminder = cbBackupReminder->GetChecked();
  p.PasswordChangeReminder = cbPasswordChangeReminder->GetChecked();
  p.ProtectPriorEntries = cbProtectPriorEntries->GetChecked();
  p.ConfirmDelete = cbConfirmDelete->GetChecked();
  p.ConfirmPrint = cbConfirmPrint->GetChecked();
  p.SaveWindowPositions = cbSaveWindowPositions->GetChecked();
  p.AutoSaveInterval = save;
  p.AutoHideInterval = hide;
  p.AutoLockInterval = lock;
  p.BackupReminderInterval = backup;
  p.PasswordChangeInterval = password;
  p.StartUpFolder = rgStartUpFolder->GetItemIndex() == 1 ? 1 : 0;
  p.KeepJournalStyle = rgDefaultStyleOptions->GetItemIndex() != 1;
  p.UserName = qy_UserName->GetText();
  p.UserAddress = qy_UserAddress->GetText();
  const int mode = cbBitmapDrawMode->GetItemIndex();
  if (mode >= 0)
    for (Byte m = 0; m < 4; ++m)
      if (cbBitmapDrawMode->Items()[mode] == kDrawModeNames[m]) p.BitmapDrawMode = m;
  ApplyPreferences(formQuilloryMain, *FWorkingStyle);
  ModalResult = mrOk;
}

void TdlgPreferences::CancelBtnClick(TObject*) {
  ProfileSettings = FSaved;
  ModalResult = mrCancel;
}

void TdlgPreferences::pbSetRefaultClick(TObject*) {
  if (MessageBox("Ok to restore defaults?", "Confirm Revert Back To Defaults", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ResetProfileDefaults();
  LoadPreferenceControls();
}

void TdlgPreferences::bBrowseClick(TObject*) {
  TOpenPictureDialog dialog(this);
  dialog.Filter = "Bitmap files (*.bmp)|*.BMP";
  dialog.FileName = eBitmapLocation->GetText();
  if (dialog.Execute()) {
    TBitmap picture;
    const String problem = LoadSettingsPicture(dialog.FileName, picture);
    if (problem.empty() || problem == SettingsPathMissing) {
      eBitmapLocation->SetText(dialog.FileName);
      ProfileSettings.BitmapLocation = dialog.FileName;
    } else {
      MessageBox("The cover picture " + QuotedName(dialog.FileName) + " cannot be used: " + problem + ".",
                 "Quillory Preferences", MB_OK | MB_ICONEXCLAMATION);
    }
  }
  SimulatedCoverBitMap->Invalidate();
}

void TdlgPreferences::cbBitmapDrawModeSelect(TObject*) {
  const int i = cbBitmapDrawMode->GetItemIndex();
  if (i < 0) return;
  for (Byte m = 0; m < 4; ++m)
    if (cbBitmapDrawMode->Items()[i] == kDrawModeNames[m]) ProfileSettings.BitmapDrawMode = m;
  SimulatedCoverBitMap->Invalidate();
}

void TdlgPreferences::pbBrowseBackupClick(TObject*) {
  String folder = eBackupRestoreLocation->GetText();
  if (SelectDirectory("Backup / Restore Location", "", folder)) eBackupRestoreLocation->SetText(folder);
}

void TdlgPreferences::udAutoHideClick(TObject*) {
  const Integer hide = StrToIntDef(Trim(eAutoHideInterval->GetText()), udAutoHide->GetPosition());
  udAutoLock->SetMin(hide);
  if (StrToIntDef(Trim(eAutoLockInterval->GetText()), 0) < hide) {
    udAutoLock->SetPosition(hide);
    eAutoLockInterval->SetText(IntToStr(hide));
  }
}

// ---------------------------------------------------------------------------
// The style editor.

bool TdlgPreferences::EditingTextStyles() const { return StylePageControl->GetActivePage() != tsParagraphStyles; }

TListBox* TdlgPreferences::ActiveStyleList() const { return EditingTextStyles() ? FontListBox : ParagraphListBox; }

void TdlgPreferences::ListKeyDown(TListBox* list, Word& key) {
  if (list != ActiveStyleList()) return;
  if (key == VK_INSERT) bAddStyleItemClick(list);
  else if (key == VK_F2) bRenameStyleItemClick(list);
  else if (key == VK_DELETE) bDeleteStyleItemClick(list);
  else if (key == VK_RETURN && list == FontListBox) bChangeFontItemClick(list);
  else if (key == VK_RETURN) bChangeParagraphItemClick(list);
  else return;
  key = 0;
}

bool TdlgPreferences::AskStyleName(TListBox* list, String& name, const String& unchanged) {
  for (;;) {
    if (!InputQuery("Style Name", "Style Name", name)) return false;
    if (Trim(name).empty()) {
      MessageBox((name.empty() ? String("\"\"") : QuotedName(name)) + " Cannot be blank", "Style Name", MB_OK);
      continue;
    }
    if (name == unchanged) return true;
    bool taken = false;
    for (int i = 0; i < list->Items().Count(); ++i) taken = taken || list->Items()[i] == name;
    if (!taken) return true;
    MessageBox(QuotedName(name) + " Is Not Unique", "Style Name", MB_OK);
  }
}

void TdlgPreferences::bAddStyleItemClick(TObject*) {
  TListBox* list = ActiveStyleList();
  String name = "New Style Name";
  if (!AskStyleName(list, name, String())) return;
  list->Items().Add(name);
  list->SetItemIndex(list->Items().Count() - 1);
  if (EditingTextStyles()) {
    TFontInfo* style = FWorkingStyle->TextStyles->Add();
    style->StyleName = name;
    style->Standard = true;
    ShowTextStyleSample(name);
  } else {
    TParaInfo* style = FWorkingStyle->ParaStyles->Add();
    style->StyleName = name;
    style->Standard = true;
    ShowParaStyleSample(name);
  }
}

void TdlgPreferences::bRenameStyleItemClick(TObject*) {
  TListBox* list = ActiveStyleList();
  const int index = list->GetItemIndex();
  if (index < 0) return;
  const String old = list->Items()[index];
  String name = old;
  if (!AskStyleName(list, name, old)) return;
  list->Items().Put(index, name);
  list->SetItemIndex(index);
  if (EditingTextStyles()) {
    const Integer i = StyleIndexNamed(*FWorkingStyle->TextStyles, old);
    if (i >= 0) FWorkingStyle->TextStyles->Items(i)->StyleName = name;
    ShowTextStyleSample(name);
  } else {
    const Integer i = StyleIndexNamed(*FWorkingStyle->ParaStyles, old);
    if (i >= 0) FWorkingStyle->ParaStyles->Items(i)->StyleName = name;
    ShowParaStyleSample(name);
  }
}

void TdlgPreferences::bDeleteStyleItemClick(TObject*) {
  TListBox* list = ActiveStyleList();
  const int index = list->GetItemIndex();
  if (index < 0) return;
  const String name = list->Items()[index];
  if (MessageDlg("Are you sure you want to delete " + QuotedName(name) + " Style?", mtWarning,
                 {mbYes, mbNo, mbCancel}) != mrYes)
    return;
  const bool text = EditingTextStyles();
  const Integer i =
      text ? StyleIndexNamed(*FWorkingStyle->TextStyles, name) : StyleIndexNamed(*FWorkingStyle->ParaStyles, name);
  // Style 0 is what every entry falls back to: text style 0 and, since every
  // load applies it, paragraph style 0 as well.
  if (i == 0) {
    MessageBox("Cannot delete " + QuotedName(name) + " style\rThis is the default style", "Delete Style",
               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  list->Items().Delete(index);
  if (i > 0) {
    if (text) FWorkingStyle->TextStyles->Delete(i);
    else FWorkingStyle->ParaStyles->Delete(i);
  }
  vleSample->Clear();
  vleSample->Format();
}

namespace {

// The style chosen in list: its name and number in infos; -1 when none is.
template <class Infos>
Integer ChosenStyle(TListBox* list, Infos& infos, String& name) {
  const int index = list->GetItemIndex();
  if (index < 0) return -1;
  name = list->Items()[index];
  return StyleIndexNamed(infos, name);
}

}  // namespace

void TdlgPreferences::bChangeFontItemClick(TObject*) {
  String name;
  const Integer i = ChosenStyle(FontListBox, *FWorkingStyle->TextStyles, name);
  if (i < 0) return;
  TFontInfo& style = *FWorkingStyle->TextStyles->Items(i);
  TvlActionFontEx& a = *vlActionFontEx1;
  style.AssignToFont(a.Font);
  a.Font.SetCharset(style.Charset);
  a.StyleEx = style.StyleEx;
  a.VShift = style.VShift;
  a.CharScale = style.CharScale;
  a.CharSpacing = style.CharSpacing;
  a.ValidProperties = AllFontProperties;
  std::unique_ptr<TfrmVLFont> d(CreateVLForm<TfrmVLFont>(Application));
  d->ColorDialog = GetSharedColorDialog();
  a.FillDialog(*d);
  d->SampleText = name;
  if (d->ShowModal() != mrOk) return;
  a.ReadDialog(*d);
  static_cast<TStyleFontAction&>(a).ConvertTextStyle(nullptr, style, i, 0);
  ShowTextStyleSample(name);
}

void TdlgPreferences::bChangeParagraphItemClick(TObject*) {
  String name;
  const Integer i = ChosenStyle(ParagraphListBox, *FWorkingStyle->ParaStyles, name);
  if (i < 0) return;
  TParaInfo& style = *FWorkingStyle->ParaStyles->Items(i);
  TvlActionParagraph& a = *vlActionParagraph1;
  a.ValidProperties = AllParaProperties;
  a.Alignment = style.Alignment;
  a.FirstIndent = style.FirstIndent;
  a.LeftIndent = style.LeftIndent;
  a.RightIndent = style.RightIndent;
  a.SpaceBefore = style.SpaceBefore;
  a.SpaceAfter = style.SpaceAfter;
  // Only a spacing in percent shows in the dialog; another stays as it is.
  a.LineSpacing = style.LineSpacingType == vllsPercent ? style.LineSpacing : (style.LineSpacing == 0 ? 100 : -1);
  if (a.LineSpacing < 0) a.ValidProperties.Exclude(vlppLineSpacing);
  std::unique_ptr<TfrmVLPara> d(CreateVLForm<TfrmVLPara>(Application));
  a.FillDialog(*d, ActionEditorOf(vleSample));
  if (d->ShowModal() != mrOk) return;
  a.ReadDialog(*d);
  static_cast<TStyleParaAction&>(a).ConvertParaStyle(nullptr, style, i, 0);
  ShowParaStyleSample(name);
}

void TdlgPreferences::bChangeParagraphBorderItemClick(TObject*) {
  String name;
  const Integer i = ChosenStyle(ParagraphListBox, *FWorkingStyle->ParaStyles, name);
  if (i < 0) return;
  TParaInfo& style = *FWorkingStyle->ParaStyles->Items(i);
  TvlActionParaBorder& a = *vlActionParaBorder1;
  a.ValidProperties = vlpbAll;
  a.Border.Assign(&style.Border);
  a.Background.Assign(&style.Background);
  std::unique_ptr<TfrmVLParaBrdr> d(CreateVLForm<TfrmVLParaBrdr>(Application));
  a.FillDialog(*d);
  if (d->ShowModal() != mrOk) return;
  a.ReadDialog(*d);
  static_cast<TStyleBorderAction&>(a).ConvertParaStyle(nullptr, style, i, 0);
  ShowParaStyleSample(name);
}

void TdlgPreferences::ShowTextStyleSample(const String& name) {
  vleSample->Clear();
  const Integer i = StyleIndexNamed(*FWorkingStyle->TextStyles, name);
  if (i < 0) {
    vleSample->AddTextItem("Style Not Found " + QuotedName(name) + " font style", 0, 0);
    vleSample->Format();
    return;
  }
  const TFontInfo* s = FWorkingStyle->TextStyles->Items(i);
  String modifiers;
  if (s->Style.Contains(fsBold)) modifiers += "Bold ";
  if (s->Style.Contains(fsItalic)) modifiers += "Italic ";
  if (s->Style.Contains(fsUnderline)) modifiers += "Underline ";
  if (s->Style.Contains(fsStrikeOut)) modifiers += "Strikout ";
  if (s->StyleEx.Contains(vlfsOverline)) modifiers += "Overline ";
  if (s->StyleEx.Contains(vlfsAllCaps)) modifiers += "All Caps ";
  for (const String& line :
       {"This is a sample of " + QuotedName(name) + " font style", "Font Name: " + s->FontName,
        "Font Size: " + IntToStr(s->Size), "Font Modifiers: " + (modifiers.empty() ? String("None") : modifiers),
        "Vertical Shift: " + IntToStr(s->VShift), "Character Spacing: " + IntToStr(s->CharSpacing),
        "Character Scaling: " + IntToStr(s->CharScale)})
    vleSample->AddTextItem(line, i, 0);
  vleSample->Format();
}

void TdlgPreferences::ShowParaStyleSample(const String& name) {
  vleSample->Clear();
  const Integer i = StyleIndexNamed(*FWorkingStyle->ParaStyles, name);
  if (i < 0) {
    vleSample->AddTextItem("Style Not Found " + QuotedName(name) + " paragraph style", 0, 0);
    vleSample->Format();
    return;
  }
  vleSample->AddTextItem("This is a sample of " + QuotedName(name) + " paragraph style", 0, i);
  vleSample->AddTextItem(String("This is some text to see how a paragraph will look using the style selected.  ") +
                             "The style selected has certain attributes as to how it will be displayed.  " +
                             "By changing these attributes one can change the appearance of how the text will "
                             "look.  " +
                             "This could be good or it could be bad, depending upon how you look at it.",
                         0, i);
  vleSample->Format();
}

// ---------------------------------------------------------------------------

void ApplyPreferences(TformQuilloryMain* main, TVLStyle& changedStyles) {
  if (TOpenJournal* j = JournalsLoaded ? CurrentJournal : nullptr)
    if (j->EditorWindow) j->EditorWindow->Invalidate();
  try {
    SaveProfile([main](const String& text) {
      if (main) main->SetStatusText(spState, text);
    });
  } catch (const std::exception& e) {
    ShowErrorDisplay("Problem Saving Profile", e);
  }
  if (!main) return;
  main->ShowBackupTarget();
  main->SetStatusText(spCountdown, CountdownText(Now()));
  if (TVLStyle* sheet = main->QuilloryDefaultStyle) {
    sheet->TextStyles->Assign(changedStyles.TextStyles.get());
    sheet->ParaStyles->Assign(changedStyles.ParaStyles.get());
    sheet->ListStyles->Assign(changedStyles.ListStyles.get());
    try {
      if (!StyleFilePath.empty()) VLStyleSaveINI(*sheet, StyleFilePath, VLStyleSectionName, true);
    } catch (const std::exception& e) {
      ShowErrorDisplay("Save Styles", e);
    }
  }
  for (TOpenJournal* j = JournalsLoaded ? FirstJournal : nullptr; j; j = j->Next) {
    TformQuilloryEditor* w = j->EditorWindow;
    if (!w || !w->QuilloryStyle) continue;
    if (ShowsStandardStyles(j->EntryDate)) {
      CopyStandardStyles(*w->QuilloryStyle);
      w->QuilloryText->Format();
      w->QuilloryText->Invalidate();
    }
  }
  main->FillStyleBoxes();
  main->SetStatusText(spOwner, JournalOwnerText());
}

void ActionPreferencesExecute(TformQuilloryMain* main) {
  if (!dlgPreferences) return;
  PauseTimer();
  struct TResume {
    ~TResume() { ResumeTimer(); }
  } resume;
  if (JournalsLoaded && CurrentJournal) SaveEntry(CurrentJournal, smAuto);
  const Byte startUp = ProfileSettings.StartUpFolder;
  dlgPreferences->ShowModal();
  if (ProfileSettings.StartUpFolder != startUp) SyncStartUpShortcut(ProfileSettings.StartUpFolder);
  if (main) main->Invalidate();
}
