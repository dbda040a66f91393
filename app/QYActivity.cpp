#include "app/QYActivity.h"

#include "app/QYErrorDisplay.h"
#include "app/QYFormBuild.h"
#include "app/QYMainPlacement.h"
#include "app/QYPrintPreview.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Printers.h"
#include "richtext/view/VLPrint.h"

#include <algorithm>

TActivityDisplayWindow* ActivityDisplayWindow = nullptr;

TActivityDisplayWindow::TActivityDisplayWindow(TComponent* AOwner) : TForm(AOwner) {
  ActivityDisplayWindow = this;
  SetName("ActivityDisplayWindow");
  SetCaption("Activity Window");
  ShowHint = true;
  SetBounds(0, 0, 420, 480);
  SetVisible(false);

  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetParent(this);
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetHeight(49);
  auto button = [this](const char* name, const char* caption, const char* hint, int left) {
    auto* b = MakeControl<TButton>(this, ToolBar1, name, left, 0, 39, 39);
    b->SetCaption(caption);
    b->SetHint(hint);
    b->ShowHint = true;
    return b;
  };
  BitBtn1 = button("BitBtn1", "Clear", "clear", 0);
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  BitBtn2 = button("BitBtn2", "Print", "print", 39);
  BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };
  bFormat = button("bFormat", "Format", "", 78);
  bFormat->OnClick = [this](TObject* s) { bFormatClick(s); };

  StatusBar1 = new TStatusBar(this);
  StatusBar1->SetName("StatusBar1");
  StatusBar1->SetParent(this);
  StatusBar1->SetAlign(alBottom);

  LogStyle = new TVLStyle(this);
  LogStyle->SetName("LogStyle");
  for (Integer i = 0; i < LogStyle->TextStyles->Count(); ++i) {
    LogStyle->TextStyles->Items(i)->FontName = "Arial";
    LogStyle->TextStyles->Items(i)->Unicode = true;
  }
  Vellum1 = new TVellum(this);
  Vellum1->SetName("Vellum1");
  Vellum1->SetParent(this);
  Vellum1->SetAlign(alClient);
  Vellum1->SetStyle(LogStyle);

  // Margins of 20 mm at the right, top and bottom.
  VLPrint1 = std::make_unique<TVLPrint>();
  VLPrint1->Data().LeftMarginMM = 0;
  VLPrint1->Data().RightMarginMM = 20;
  VLPrint1->Data().TopMarginMM = 20;
  VLPrint1->Data().BottomMarginMM = 20;

  ToggleWindow = new TAction(this);
  ToggleWindow->SetName("ToggleWindow");
  ToggleWindow->SetCaption("Activity Window");
  ToggleWindow->SetShortCut(ActivityWindowShortCut);
  ToggleWindow->OnExecute = [this](TObject*) {
    if (Application && Application->MainForm && Application->MainForm != this)
      ToggleBeside(Application->MainForm);
    else
      SetVisible(!GetVisible());
  };
}

TActivityDisplayWindow::~TActivityDisplayWindow() {
  if (ActivityDisplayWindow == this) ActivityDisplayWindow = nullptr;
}

void TActivityDisplayWindow::AddLine(const String& text) {
  Vellum1->AddTextItem(text, 0, 0);
  Vellum1->Format();
  // The newest event in view.
  Vellum1->ScrollTo(Vellum1->GetDocumentHeight());
  Vellum1->Repaint();
}

int TActivityDisplayWindow::LineCount() { return Vellum1->ItemCount(); }

String TActivityDisplayWindow::Line(int index) { return Vellum1->GetItemTextUtf8(index); }

void TActivityDisplayWindow::BitBtn1Click(TObject*) {
  Vellum1->Clear();
  Vellum1->Format();
  Vellum1->Repaint();
}

void TActivityDisplayWindow::BitBtn2Click(TObject*) {
  // No printer is no reason to end the program, and the reader wants the
  // reason, not the name of an error class.
  try {
    PrintLog();
  } catch (const std::exception& e) {
    MessageBox("The log could not be printed.\r\n\r\n" + PrintProblemText(e), "Print Log", MB_OK | MB_ICONERROR);
  }
}

String PrintProblemText(const std::exception& e) {
  static const std::pair<const char*, const char*> plain[] = {
      {"No Printer Defined", "No printer is set up on this computer."},
      {"Printer selected is not valid", "The chosen printer is not available."},
      {"Printing in progress", "Another print job of Quillory is still running."},
      {"The print job could not be started", "The printer did not accept the print job."},
  };
  const String what = e.what();
  for (const auto& [message, text] : plain)
    if (what == message) return text;
  return what.empty() ? String("The printer reported a problem.") : what;
}

void TActivityDisplayWindow::bFormatClick(TObject*) { Vellum1->Format(); }

void TActivityDisplayWindow::ToggleBeside(TCustomForm* main) {
  if (GetVisible()) {
    SetVisible(false);
    return;
  }
  // Frame beside frame, the whole frame on the screen: a window not framed
  // yet is placed by the main window's frame, and again by its own once the
  // window manager has drawn it.
  const int width = GetWidth(), height = GetHeight();
  SetVisible(true);
  PlaceByFrame([this, main, width, height](const TRect& frame) {
    const TRect mainFrame = main->GetFrameMargins();
    TWindowBounds b{main->GetLeft() + main->GetWidth() + mainFrame.Right + frame.Left, main->GetTop(), width,
                    height};
    b = FitWindowOnScreen(b, {Screen->WorkAreaRect()}, frame);
    SetBounds(b.Left, b.Top, b.Width, b.Height);
  });
}

bool TActivityDisplayWindow::LogIsEmpty() {
  for (int i = 0; i < LineCount(); ++i)
    if (!Line(i).empty()) return false;
  return true;
}

void TActivityDisplayWindow::PrintLog() {
  // No page to print: the user hears why nothing comes out, before any
  // printer or file is asked for.
  if (LogIsEmpty()) {
    MessageBox("The activity log is empty: there is nothing to print.", "Print Log", MB_OK | MB_ICONINFORMATION);
    return;
  }
  // Without a printer the print dialog offers a PDF file, as every other
  // print does; Cancel prints nothing.
  if (!ChoosePrintTargetFor(this, VLPrint1->GetPrinter())) return;
  // The log's own pages: its style sheet, its paragraphs wrapped to the page.
  VLPrint1->AssignSource(Vellum1);
  VLPrint1->FormatPages();
  try {
    VLPrint1->Print("Quillory Log", 1, true);
  } catch (...) {
    VLPrint1->AssignSource(nullptr);
    throw;
  }
  VLPrint1->AssignSource(nullptr);
}
