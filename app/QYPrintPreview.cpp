#include "app/QYPrintPreview.h"

#include "app/QYActivity.h"
#include "app/QYFormBuild.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"

#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Printers.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLPreview.h"
#include "richtext/view/VLPrint.h"

#include <algorithm>

TFormPrintPreview* FormPrintPreview = nullptr;
TFormPrintJournalLoadProgress* FormPrintJournalLoadProgress = nullptr;

void WipeDocument(TCustomVLData& data) {
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i))) {
      for (Integer r = 0; r < table->RowCount(); ++r)
        for (Integer c = 0; c < table->ColCount(); ++c)
          if (TVLTableCellData* cell = table->GetCell(r, c)) WipeDocument(*cell);
    }
    // The list keeps the string it has and copies into it: the old bytes
    // are overwritten, not left in freed memory.
    const size_t length = data.ItemTextRef(i).size();
    if (length > 0) data.SetItemTextA(i, AnsiString(length, ' '));
  }
  data.Clear();
}

TFormPrintPreview::TFormPrintPreview(TComponent* AOwner) : TForm(AOwner) {
  FormPrintPreview = this;
  SetName("FormPrintPreview");
  SetCaption("Quillory Print Preview");
  SetWindowState(wsMaximized);
  SetVisible(false);

  ActionList = new TActionList(this);
  auto action = [this](TAction*& a, const char* name, const char* caption, const char* hint, TShortCut key,
                       std::function<void()> run) {
    a = new TAction(this);
    a->SetName(name);
    a->SetActionList(ActionList);
    a->SetCaption(caption);
    a->SetHint(hint);
    a->SetShortCut(key);
    a->OnExecute = [run](TObject*) { run(); };
  };
  action(ActionPrint, "ActionPrint", "Print", "print", scCtrl | 'P', [this] { ActionPrintExecute(this); });
  action(ActionZoomIn, "ActionZoomIn", "Zoom In", "zoom in", scNone,
         [this] { VLPrintPreview1->SetZoomPercent(VLPrintPreview1->GetZoomPercent() + 5); });
  action(ActionZoomOut, "ActionZoomOut", "Zoom Out", "zoom out", scNone,
         [this] { VLPrintPreview1->SetZoomPercent(std::max<Integer>(5, VLPrintPreview1->GetZoomPercent() - 5)); });
  action(ActionZoomFullPage, "ActionZoomFullPage", "Show Full Page", "show full page", scNone,
         [this] { VLPrintPreview1->SetZoomMode(vlzmFullPage); });
  action(ActionZoomPageWidth, "ActionZoomPageWidth", "Show Page Width", "show page width", scNone,
         [this] { VLPrintPreview1->SetZoomMode(vlzmPageWidth); });
  action(ActionGotoFirstPage, "ActionGotoFirstPage", "Goto First Page", "goto first page", scNone,
         [this] { VLPrintPreview1->First(); });
  action(ActionGotoLastPage, "ActionGotoLastPage", "Goto Last Page", "goto last page", scNone,
         [this] { VLPrintPreview1->Last(); });
  action(ActionGotoNextPage, "ActionGotoNextPage", "Goto Next Page", "goto next page", scNone,
         [this] { VLPrintPreview1->Next(); });
  action(ActionGotoPreviousPage, "ActionGotoPreviousPage", "Goto Previous Page", "goto previous page", scNone,
         [this] { VLPrintPreview1->Prev(); });
  action(ActionPreviewClose, "ActionPreviewClose", "Close", "close", scNone,
         [this] { ActionPreviewCloseExecute(this); });

  auto items = [](TMenuItem* parent, std::initializer_list<TBasicAction*> actions) {
    for (TBasicAction* a : actions) {
      auto* m = new TMenuItem(nullptr);
      if (a) m->SetAction(a);
      else m->SetCaption("-");
      parent->Add(m);
    }
  };
  auto menu = [](TMenuItem* parent, const char* caption) {
    auto* m = new TMenuItem(nullptr);
    m->SetCaption(caption);
    parent->Add(m);
    return m;
  };
  PreviewMenu = new TMainMenu(this);
  PreviewMenu->SetName("PreviewMenu");
  items(menu(PreviewMenu->Items(), "&File"), {ActionPrint, nullptr, ActionPreviewClose});
  items(menu(PreviewMenu->Items(), "&Zoom"),
        {ActionZoomIn, ActionZoomOut, nullptr, ActionZoomFullPage, ActionZoomPageWidth});
  items(menu(PreviewMenu->Items(), "&Page"),
        {ActionGotoFirstPage, ActionGotoPreviousPage, ActionGotoNextPage, ActionGotoLastPage});
  SetMenu(PreviewMenu);
  PreviewPopup = new TPopupMenu(this);
  PreviewPopup->SetName("PreviewPopup");
  items(PreviewPopup->Items(), {ActionPrint, nullptr, ActionZoomIn, ActionZoomOut, ActionZoomFullPage,
                                ActionZoomPageWidth, nullptr, ActionGotoFirstPage, ActionGotoPreviousPage,
                                ActionGotoNextPage, ActionGotoLastPage, nullptr, ActionPreviewClose});

  tbPreview = new TToolBar(this);
  tbPreview->SetName("tbPreview");
  tbPreview->SetParent(this);
  tbPreview->SetAlign(alTop);
  tbPreview->SetShowCaptions(true);
  for (TAction* a : {ActionPrint, ActionZoomIn, ActionZoomOut, ActionZoomFullPage, ActionZoomPageWidth,
                     ActionGotoFirstPage, ActionGotoPreviousPage, ActionGotoNextPage, ActionGotoLastPage,
                     ActionPreviewClose}) {
    auto* b = new TToolButton(this);
    b->SetName(String("tb") + a->GetName());
    b->SetAction(a);
    b->SetParent(tbPreview);
  }
  // The main window's printer set-up, from here too.
  if (formQuilloryMain && formQuilloryMain->ActionPrinterSetupDialog) {
    auto* b = new TToolButton(this);
    b->SetName("tbActionPrinterSetupDialog");
    b->SetAction(formQuilloryMain->ActionPrinterSetupDialog);
    b->SetParent(tbPreview);
  }

  sbPrintPreview = new TStatusBar(this);
  sbPrintPreview->SetName("sbPrintPreview");
  sbPrintPreview->SetParent(this);
  sbPrintPreview->SetAlign(alBottom);
  sbPrintPreview->Panels().Add()->SetWidth(200);

  pBottom = new TPanel(this);
  pBottom->SetName("pBottom");
  pBottom->SetParent(this);
  pBottom->SetAlign(alBottom);
  pBottom->SetHeight(40);
  pBottom->SetCaption("");
  pbClose = MakeControl<TButton>(this, pBottom, "pbClose", 8, 6, 90, 28);
  pbClose->SetCaption(ActionPreviewClose->GetCaption());
  pbClose->Cancel = true;
  pbClose->OnClick = [this](TObject*) { ActionPreviewClose->Execute(); };

  // The report's documents: laid out for the printer, never shown.
  auto document = [this](TVLStyle*& sheet, TVellumEdit*& editor, const char* sheetName, const char* name) {
    sheet = new TVLStyle(this);
    sheet->SetName(sheetName);
    editor = new TVellumEdit(this);
    editor->SetName(name);
    editor->SetVisible(false);
    editor->SetParent(pBottom);
    editor->SetBounds(0, 0, 600, 400);
    // Paper takes its tables' widths from the text width here: a scroll bar
    // coming with a long report would narrow them against the entry alone.
    editor->SetVScrollVisible(false);
    editor->SetHScrollVisible(false);
    editor->SetStyle(sheet);
    editor->SetDoInPaletteMode(vlpaCreateCopies);
    // Entries come in as stored: links with their targets as text, and
    // what this program cannot show is skipped rather than refused.
    editor->Options.Include(vloTagsArePChars);
    editor->VLFOptions += TVLFOptions{vlfoIgnoreUnknownPicFmt, vlfoIgnoreUnknownCtrls, vlfoConvUnknownStylesToZero,
                                      vlfoConvLargeImageIdxToZero};
    if (auto* rtf = dynamic_cast<TVLRTFReaderProperties*>(editor->GetRTFReadProperties())) {
      rtf->TextStyleMode = vlrsAddIfNeeded;
      rtf->ParaStyleMode = vlrsAddIfNeeded;
    }
  };
  document(vlStyleBody, vlBody, "vlStyleBody", "vlBody");
  document(vlStyleHeader, vlHeader, "vlStyleHeader", "vlHeader");
  document(vlStyleFooter, vlFooter, "vlStyleFooter", "vlFooter");

  VLPrint1 = std::make_unique<TVLPrint>();
  VLPrint1->AssignSource(vlBody);
  VLPrint1->OnPagePostpaint = [this](TVLPrint* sender, Integer pageNo, TCanvas*, bool, const TRect&, const TRect&) {
    sbPrintPreview->Panels()[0]->SetText(" page " + IntToStr(pageNo) + " of " + IntToStr(sender->GetPagesCount()));
  };

  pPreview = new TPanel(this);
  pPreview->SetName("pPreview");
  pPreview->SetParent(this);
  pPreview->SetAlign(alClient);
  pPreview->SetCaption("");
  VLPrintPreview1 = new TVLPrintPreview(this);
  VLPrintPreview1->SetName("VLPrintPreview1");
  VLPrintPreview1->SetParent(pPreview);
  VLPrintPreview1->SetAlign(alClient);
  VLPrintPreview1->SetPopupMenu(PreviewPopup);
  VLPrintPreview1->SetVLPrint(VLPrint1.get());

  OnActivate = [this](TObject* s) { FormActivate(s); };
}

TFormPrintPreview::~TFormPrintPreview() {
  if (VLPrintPreview1) VLPrintPreview1->SetVLPrint(nullptr);
  if (VLPrint1) VLPrint1->AssignSource(nullptr);
  if (FormPrintPreview == this) FormPrintPreview = nullptr;
}

bool TFormPrintPreview::HasPrinter() {
  TPrinter* p = VLPrint1->GetPrinter();
  return p && (!p->OutputFileName.empty() || p->HasPrinters());
}

bool TFormPrintPreview::ChoosePrintTarget() {
  const bool chosen = ChoosePrintTargetFor(this, VLPrint1->GetPrinter());
  ActionPrint->SetHint(PrintHintText());
  return chosen;
}

bool ChoosePrintTargetFor(TComponent* owner, TPrinter* printer) {
  if (!printer) return false;
  // The dialog sets up the program's printer; a printer of the print
  // component's own is used as it was set up.
  if (printer != Printer()) return !printer->OutputFileName.empty() || printer->HasPrinters();
  const String previous = printer->OutputFileName;
  // A printer prints without a question; a file is asked for each time,
  // under a name no earlier print took, so that no report is replaced
  // without a word (the dialog asks before an existing file is replaced).
  if (previous.empty() && printer->HasPrinters()) return true;
  if (!previous.empty()) printer->OutputFileName = UnusedPdfFileName(previous);
  TPrintDialog dialog(owner);
  const bool chosen = dialog.Execute() && (!printer->OutputFileName.empty() || printer->HasPrinters());
  if (!chosen) printer->OutputFileName = previous;
  if (formQuilloryMain) formQuilloryMain->ShowPrintTarget();
  return chosen;
}

String PrintHintText() {
  String file;
  const String choice = CurrentPrinterChoice(file);
  if (choice != PdfFileChoice) return "print to " + choice;
  return file.empty() ? String("print to a PDF file (no printer installed)") : "print to PDF file " + file;
}

void TFormPrintPreview::FormActivate(TObject*) {
  VLPrint1->FormatPages();
  VLPrintPreview1->UpdateZoom();
  ActionPrint->SetHint(PrintHintText());
}

void TFormPrintPreview::ActionPrintExecute(TObject*) {
  if (!ChoosePrintTarget()) return;
  if (ProfileSettings.ConfirmPrint &&
      MessageBox("Print Journal", "Confirm Print", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  PrintReport();
}

void TFormPrintPreview::PrintReport() {
  try {
    VLPrint1->Print("QUILLORY", 1, true);
  } catch (const std::exception& e) {
    MessageBox(PrintProblemText(e), "Print Journal", MB_OK | MB_ICONERROR);
  }
}

void TFormPrintPreview::ActionPreviewCloseExecute(TObject*) {
  ModalResult = mrOk;
  Close();
}

String TFormPrintPreview::PageStatus() const { return sbPrintPreview->Panels()[0]->GetText(); }

void TFormPrintPreview::SetUpReportStyles() {
  auto text = [](TVLStyle* sheet, const char* name, Integer size) {
    TFontInfo* f = sheet->TextStyles->Add();
    f->StyleName = name;
    f->FontName = "Arial";
    f->Size = size;
    f->Style = TFontStyles();
    // Journal names and dates in any script.
    f->Unicode = true;
    return sheet->TextStyles->Count() - 1;
  };
  HeaderTextStyle = text(vlStyleHeader, "Header", 14);
  BodyHeadingTextStyle = text(vlStyleBody, "Header", 14);
  FooterTextStyle = text(vlStyleFooter, "Footer", 8);
  auto para = [](TVLStyle* sheet, const String& name, TVLAlignment alignment) {
    TParaInfo* p = sheet->ParaStyles->Add();
    p->StyleName = name;
    p->Alignment = alignment;
    p->Standard = false;
    return sheet->ParaStyles->Count() - 1;
  };
  auto three = [&](TVLStyle* sheet, const String& prefix, Integer& left, Integer& center, Integer& right) {
    left = para(sheet, prefix + " Left Justify", vlaLeft);
    center = para(sheet, prefix + " Center Justify", vlaCenter);
    right = para(sheet, prefix + " Right Justify", vlaRight);
  };
  three(vlStyleHeader, "Header", HeaderLeftPara, HeaderCenterPara, HeaderRightPara);
  three(vlStyleBody, "Header", BodyLeftPara, BodyCenterPara, BodyRightPara);
  three(vlStyleFooter, "Footer", FooterLeftPara, FooterCenterPara, FooterRightPara);
}

void TFormPrintPreview::ClearReport() {
  VLPrint1->SetHeader(nullptr);
  VLPrint1->SetFooter(nullptr);
  VLPrint1->Clear();
  for (TVellumEdit* e : {vlHeader, vlFooter, vlBody}) {
    WipeDocument(*e->VLData());
    e->Clear();
    e->ClearUndo();
    e->Format();
    e->VLData()->SetSensitive(false);
  }
  VLPrint1->FormatPages();
  // The page picture the preview kept goes too.
  VLPrintPreview1->SetVLPrint(VLPrint1.get());
  sbPrintPreview->Panels()[0]->SetText("");
}

// ---------------------------------------------------------------------------

TFormPrintJournalLoadProgress::TFormPrintJournalLoadProgress(TComponent* AOwner) : TForm(AOwner) {
  FormPrintJournalLoadProgress = this;
  SetName("FormPrintJournalLoadProgress");
  SetCaption("Journal Report Generation Progress");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  // Shown over the journal window while a report is built: the keys typed
  // meanwhile and afterwards stay the journal window's.
  SetTakesKeyboard(false);
  Position = poScreenCenter;
  // Its controls follow the width; the caption is long.
  SetWidth(std::max(360, CaptionFitWidth(GetCaption())));
  SetHeight(110);
  SetVisible(false);

  sbProgress = new TStatusBar(this);
  sbProgress->SetName("sbProgress");
  sbProgress->SetParent(this);
  sbProgress->SetAlign(alBottom);
  sbProgress->Panels().Add()->SetWidth(300);

  pTop = new TPanel(this);
  pTop->SetName("pTop");
  pTop->SetParent(this);
  pTop->SetAlign(alTop);
  pTop->SetHeight(40);
  pTop->SetCaption("");
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetName("ProgressBar1");
  ProgressBar1->SetParent(pTop);
  ProgressBar1->SetAlign(alClient);

  pbCancel = MakeControl<TButton>(this, this, "pbCancel", 140, 48, 80, 28);
  pbCancel->SetCaption("Cancel");
  pbCancel->OnClick = [this](TObject* s) { pbCancelClick(s); };
}

TFormPrintJournalLoadProgress::~TFormPrintJournalLoadProgress() {
  if (FormPrintJournalLoadProgress == this) FormPrintJournalLoadProgress = nullptr;
}

void TFormPrintJournalLoadProgress::pbCancelClick(TObject*) {
  ReportRunning = MessageBox("Cancel Journal Report Generation?", "Confirm Cancel",
                             MB_YESNO | MB_ICONEXCLAMATION) != IDYES;
}
