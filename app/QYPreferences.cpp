#include "app/QYPreferences.h"

#include "app/QYCover.h"
#include "app/QYFormBuild.h"
#include "app/QYMain.h"

TdlgPreferences* dlgPreferences = nullptr;

namespace {
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
  rgDefaultStyleOptions = MakeControl<TRadioGroup>(this, tsDefaultStyle, "rgDefaultStyleOptions", 8, 8, 520, 70);
  rgDefaultStyleOptions->SetCaption("Default Style Options");
  rgDefaultStyleOptions->Items().Add("Keep Existing Journal Styles");
  rgDefaultStyleOptions->Items().Add("Replace Existing Journal Styles");
  pStyleTools = MakeControl<TPanel>(this, tsDefaultStyle, "pStyleTools", 8, 84, 520, 34);
  pStyleTools->SetCaption("");
  bAddStyleItem = MakeControl<TButton>(this, pStyleTools, "bAddStyleItem", 4, 3, 80, 28);
  bAddStyleItem->SetCaption("Add");
  bRenameStyleItem = MakeControl<TButton>(this, pStyleTools, "bRenameStyleItem", 88, 3, 80, 28);
  bRenameStyleItem->SetCaption("Rename");
  bDeleteStyleItem = MakeControl<TButton>(this, pStyleTools, "bDeleteStyleItem", 172, 3, 80, 28);
  bDeleteStyleItem->SetCaption("Delete");
  StylePageControl = MakeControl<TPageControl>(this, tsDefaultStyle, "StylePageControl", 8, 124, 520, 250);
  tsFontStyles = Page(this, StylePageControl, "tsFontStyles", "Font");
  tsParagraphStyles = Page(this, StylePageControl, "tsParagraphStyles", "Paragraph");
  FontListBox = MakeControl<TListBox>(this, tsFontStyles, "FontListBox", 8, 8, 300, 200);
  bChangeFontItem = MakeControl<TButton>(this, tsFontStyles, "bChangeFontItem", 320, 8, 90, 28);
  bChangeFontItem->SetCaption("Font");
  ParagraphListBox = MakeControl<TListBox>(this, tsParagraphStyles, "ParagraphListBox", 8, 8, 300, 200);
  bChangeParagraphItem =
      MakeControl<TButton>(this, tsParagraphStyles, "bChangeParagraphItem", 320, 8, 90, 28);
  bChangeParagraphItem->SetCaption("Paragraph");
  bChangeParagraphBorderItem =
      MakeControl<TButton>(this, tsParagraphStyles, "bChangeParagraphBorderItem", 320, 42, 90, 28);
  bChangeParagraphBorderItem->SetCaption("Border");

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

  // Cover Page
  lBitmapLocation = MakeControl<TLabel>(this, tsCoverPage, "lBitmapLocation", 12, 12, 100, 18);
  lBitmapLocation->SetCaption("Location");
  eBitmapLocation = MakeControl<TEdit>(this, tsCoverPage, "eBitmapLocation", 12, 32, 400, 24);
  bBrowse = MakeControl<TButton>(this, tsCoverPage, "bBrowse", 420, 30, 90, 28);
  bBrowse->SetCaption("Browse");
  lBitmapDrawMode = MakeControl<TLabel>(this, tsCoverPage, "lBitmapDrawMode", 12, 66, 140, 18);
  lBitmapDrawMode->SetCaption("Bitmap Draw Mode");
  cbBitmapDrawMode = MakeControl<TComboBox>(this, tsCoverPage, "cbBitmapDrawMode", 160, 62, 150, 24);
  cbBitmapDrawMode->SetStyle(csDropDownList);
  cbBitmapDrawMode->SetSorted(true);
  for (const char* mode : {"None", "Normal", "Tiled", "Stretched"}) cbBitmapDrawMode->Items().Add(mode);
  SimulatedCoverBitMap = MakeControl<TPaintBox>(this, tsCoverPage, "SimulatedCoverBitMap", 12, 96, 400, 280);
  SimulatedCoverBitMap->OnPaint = [this](TObject* s) { SimulatedCoverBitMapPaint(s); };

  // Buttons
  OKBtn = MakeControl<TButton>(this, this, "OKBtn", 200, 432, 80, 28);
  OKBtn->SetCaption("&OK");
  OKBtn->SetDefault(true);
  CancelBtn = MakeControl<TButton>(this, this, "CancelBtn", 286, 432, 80, 28);
  CancelBtn->SetCaption("&Cancel");
  CancelBtn->Cancel = true;
  HelpBtn = MakeControl<TButton>(this, this, "HelpBtn", 372, 432, 80, 28);
  HelpBtn->SetCaption("&Help");
  HelpBtn->OnClick = [this](TObject* s) { HelpBtnClick(s); };
  pbSetRefault = MakeControl<TButton>(this, this, "pbSetRefault", 8, 432, 130, 28);
  pbSetRefault->SetCaption("Restore Defaults");
}

TdlgPreferences::~TdlgPreferences() {
  if (dlgPreferences == this) dlgPreferences = nullptr;
}

void TdlgPreferences::SimulatedCoverBitMapPaint(TObject*) { PaintCover(formQuilloryMain, SimulatedCoverBitMap); }

void TdlgPreferences::HelpBtnClick(TObject*) { Application->HelpContext(86); }
