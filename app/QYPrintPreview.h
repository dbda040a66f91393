#pragma once
// The journal report's preview window and its progress window, created once
// at start-up and used by the report builder and the password report.
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

class TVellumEdit;
class TVLStyle;
class TVLPrint;
class TVLPrintPreview;
class TCustomVLData;
class TPrinter;

class TFormPrintPreview : public TForm {
public:
  explicit TFormPrintPreview(TComponent* AOwner);
  ~TFormPrintPreview() override;

  TPanel* pPreview = nullptr;   // where the pages are shown
  TPanel* pBottom = nullptr;    // holds the report's documents, hidden
  TButton* pbClose = nullptr;
  TStatusBar* sbPrintPreview = nullptr;
  TToolBar* tbPreview = nullptr;
  TMainMenu* PreviewMenu = nullptr;
  TPopupMenu* PreviewPopup = nullptr;
  TActionList* ActionList = nullptr;
  TAction* ActionPrint = nullptr;
  TAction* ActionZoomIn = nullptr;
  TAction* ActionZoomOut = nullptr;
  TAction* ActionZoomFullPage = nullptr;
  TAction* ActionZoomPageWidth = nullptr;
  TAction* ActionGotoFirstPage = nullptr;
  TAction* ActionGotoLastPage = nullptr;
  TAction* ActionGotoNextPage = nullptr;
  TAction* ActionGotoPreviousPage = nullptr;
  TAction* ActionPreviewClose = nullptr;

  // The report as documents: body, page header and page footer.
  TVLStyle* vlStyleBody = nullptr;
  TVLStyle* vlStyleHeader = nullptr;
  TVLStyle* vlStyleFooter = nullptr;
  TVellumEdit* vlBody = nullptr;
  TVellumEdit* vlHeader = nullptr;
  TVellumEdit* vlFooter = nullptr;
  std::unique_ptr<TVLPrint> VLPrint1;
  TVLPrintPreview* VLPrintPreview1 = nullptr;

  // Style numbers SetUpReportStyles recorded.
  Integer HeaderTextStyle = 0, BodyHeadingTextStyle = 0, FooterTextStyle = 0;
  Integer HeaderLeftPara = 0, HeaderCenterPara = 0, HeaderRightPara = 0;
  Integer BodyLeftPara = 0, BodyCenterPara = 0, BodyRightPara = 0;
  Integer FooterLeftPara = 0, FooterCenterPara = 0, FooterRightPara = 0;

  void FormActivate(TObject* Sender);
  void ActionPrintExecute(TObject* Sender);
  void ActionPreviewCloseExecute(TObject* Sender);
  // Adds the report's text and paragraph styles to the three sheets.
  void SetUpReportStyles();
  // The printer the pages are made for has a device or a file to go to.
  bool HasPrinter();
  // Before a print: without a printer or a PDF file the print dialog asks
  // for one (it offers "Print to PDF file"). False: nothing to print to.
  bool ChoosePrintTarget();
  // Prints the report: "QUILLORY", one copy, collated. A failure is shown.
  void PrintReport();
  // Empties the three documents and the pages, overwriting their text
  // first (the password report holds the password in clear).
  void ClearReport();
  // The page shown and the status text of the last page painted.
  String PageStatus() const;
};

// The print commands' hint: the printer or the PDF file the jobs go to.
String PrintHintText();
// Before a print to the printer: with a printer installed and no PDF file
// chosen it prints at once; otherwise the print dialog asks (offering "Print
// to PDF file", a file name that no earlier print took). False: cancelled,
// or nothing to print to.
bool ChoosePrintTargetFor(TComponent* owner, TPrinter* printer);

class TFormPrintJournalLoadProgress : public TForm {
public:
  explicit TFormPrintJournalLoadProgress(TComponent* AOwner);
  ~TFormPrintJournalLoadProgress() override;

  TPanel* pTop = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TStatusBar* sbProgress = nullptr;
  TButton* pbCancel = nullptr;

  // Asks whether to stop the report; Yes stops it, No lets it go on.
  void pbCancelClick(TObject* Sender);
  // False once the user chose to stop the report being built.
  bool ReportRunning = false;
};

extern TFormPrintPreview* FormPrintPreview;
extern TFormPrintJournalLoadProgress* FormPrintJournalLoadProgress;

// Overwrites every item text of a document in place, then empties it.
void WipeDocument(TCustomVLData& data);
