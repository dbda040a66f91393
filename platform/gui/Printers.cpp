#include "platform/gui/Printers.h"

#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>

namespace {

// PDF output and measuring without a printer use a common printer
// resolution, so layouts are the same on every machine.
constexpr int PdfResolution = 600;

// The real set-up dialog, run by the Qt interaction hook.
int RunPrinterSetup(TInteraction& request) {
  QPrinter* printer = Printer()->Handle();
  QPrintDialog dialog(printer);
  dialog.setWindowTitle(request.Caption.empty() ? QStringLiteral("Print Setup") : ToQ(request.Caption));
  if (dialog.exec() != QDialog::Accepted) return mrCancel;
  request.PrinterName = FromQ(printer->printerName());
  request.Copies = printer->copyCount();
  request.Collate = printer->collateCopies();
  return mrOk;
}

// The real print dialog: printer, copies, collation and page range.
int RunPrintDialog(TInteraction& request) {
  QPrinter* printer = Printer()->Handle();
  printer->setCopyCount(request.Copies);
  printer->setCollateCopies(request.Collate);
  QPrintDialog dialog(printer);
  if (request.MaxPage > 0) {
    dialog.setMinMax(request.MinPage, request.MaxPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  }
  if (dialog.exec() != QDialog::Accepted) return mrCancel;
  request.PrinterName = FromQ(printer->printerName());
  request.Copies = printer->copyCount();
  request.Collate = printer->collateCopies();
  request.PrintRange = dialog.printRange() == QAbstractPrintDialog::PageRange;
  request.FromPage = printer->fromPage();
  request.ToPage = printer->toPage();
  return mrOk;
}

void RegisterRunners() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterInteractionRunner(TInteractionKind::PrinterSetupDialog, &RunPrinterSetup);
  RegisterInteractionRunner(TInteractionKind::PrintDialog, &RunPrintDialog);
}

std::unique_ptr<TPrinter>& CurrentPrinter() {
  static std::unique_ptr<TPrinter> printer;
  return printer;
}

}  // namespace

TPrinter::TPrinter() { RegisterRunners(); }

TPrinter::~TPrinter() {
  if (FPrinting) Abort();
}

const std::vector<String>& TPrinter::Printers() {
  FPrinters.clear();
  for (const QString& name : QPrinterInfo::availablePrinterNames()) FPrinters.push_back(FromQ(name));
  return FPrinters;
}

void TPrinter::SetPrinterIndex(Integer index) {
  if (FPrinting) throw EPrinter("Printing in progress");
  if (index < -1 || index >= static_cast<Integer>(Printers().size()))
    throw EPrinter("Printer selected is not valid");
  FPrinterIndex = index;
  if (FPrinter) FPrinter->setPrinterName(ToQ(PrinterName()));
  if (FCanvas && !FPrinting) FCanvas->SetPixelsPerInch(YDPI());
}

String TPrinter::PrinterName() {
  const auto& names = Printers();
  if (FPrinterIndex >= 0 && FPrinterIndex < static_cast<Integer>(names.size()))
    return names[static_cast<size_t>(FPrinterIndex)];
  if (names.empty()) return String();
  const String def = FromQ(QPrinterInfo::defaultPrinterName());
  return def.empty() ? names.front() : def;
}

void TPrinter::Prepare() {
  if (FPrinter) return;
  FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  const String name = PrinterName();
  if (name.empty()) {
    FPrinter->setOutputFormat(QPrinter::PdfFormat);
    FPrinter->setResolution(PdfResolution);
  } else {
    FPrinter->setPrinterName(ToQ(name));
  }
}

QPrinter* TPrinter::Handle() {
  Prepare();
  return FPrinter.get();
}

Integer TPrinter::GetCopies() const { return FPrinter ? FPrinter->copyCount() : 1; }

void TPrinter::SetCopies(Integer copies) {
  Prepare();
  FPrinter->setCopyCount(std::max(1, copies));
}

bool TPrinter::GetCollate() const { return FPrinter ? FPrinter->collateCopies() : true; }

void TPrinter::SetCollate(bool value) {
  Prepare();
  FPrinter->setCollateCopies(value);
}

bool TPrinter::SupportsMultipleCopies() {
  Prepare();
  return FPrinter->outputFormat() == QPrinter::NativeFormat && FPrinter->supportsMultipleCopies();
}

TPrinterOrientation TPrinter::GetOrientation() const {
  if (!FPrinter) return poPortrait;
  return FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
  if (FPrinting) throw EPrinter("Printing in progress");
  Prepare();
  FPrinter->setPageOrientation(value == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

Integer TPrinter::XDPI() {
  Prepare();
  return FPrinter->resolution();
}

Integer TPrinter::YDPI() { return XDPI(); }

Integer TPrinter::PageWidth() {
  Prepare();
  return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).width();
}

Integer TPrinter::PageHeight() {
  Prepare();
  return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).height();
}

Integer TPrinter::PhysicalWidth() {
  Prepare();
  return FPrinter->pageLayout().fullRectPixels(FPrinter->resolution()).width();
}

Integer TPrinter::PhysicalHeight() {
  Prepare();
  return FPrinter->pageLayout().fullRectPixels(FPrinter->resolution()).height();
}

Integer TPrinter::PhysicalOffsetX() {
  Prepare();
  return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).left();
}

Integer TPrinter::PhysicalOffsetY() {
  Prepare();
  return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).top();
}

TCanvas* TPrinter::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TCanvas>();
    FCanvas->SetPixelsPerInch(YDPI());
  }
  return FCanvas.get();
}

void TPrinter::BeginDoc() {
  if (FPrinting) throw EPrinter("Printing in progress");
  Prepare();
  if (OutputFileName.empty()) {
    if (PrinterName().empty()) throw EPrinter("No Printer Defined");
    FPrinter->setOutputFormat(QPrinter::NativeFormat);
    FPrinter->setPrinterName(ToQ(PrinterName()));
    FPrinter->setOutputFileName(QString());
  } else {
    FPrinter->setOutputFormat(QPrinter::PdfFormat);
    FPrinter->setResolution(PdfResolution);
    FPrinter->setOutputFileName(ToQ(OutputFileName));
  }
  FPrinter->setDocName(ToQ(Title));
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(FPrinter.get())) {
    FPainter.reset();
    throw EPrinter("The print job could not be started");
  }
  FJobFile = OutputFileName;
  Canvas()->SetHandle(FPainter.get());
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
}

void TPrinter::NewPage() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  FPrinter->newPage();
  ++FPageNumber;
}

void TPrinter::EndDoc() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  FCanvas->SetHandle(nullptr);
  FPainter->end();
  FPainter.reset();
  FPrinting = false;
  FPageNumber = 0;
  FCanvas->SetPixelsPerInch(YDPI());
}

void TPrinter::Abort() {
  if (!FPrinting) return;
  FCanvas->SetHandle(nullptr);
  FPrinter->abort();
  if (FPainter->isActive()) FPainter->end();
  FPainter.reset();
  // Nothing of an aborted PDF is left behind.
  if (!FJobFile.empty()) std::remove(FJobFile.c_str());
  FPrinting = false;
  FAborted = true;
  FPageNumber = 0;
}

TPrinter* Printer() {
  auto& p = CurrentPrinter();
  if (!p) p = std::make_unique<TPrinter>();
  return p.get();
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer) {
  std::unique_ptr<TPrinter> old = std::move(CurrentPrinter());
  CurrentPrinter() = std::move(printer);
  return old;
}

bool ExecutePrinterSetup() {
  TPrinter* printer = Printer();
  TInteraction request;
  request.Kind = TInteractionKind::PrinterSetupDialog;
  request.PrinterName = printer->PrinterName();
  if (RunInteraction(request) != mrOk) return false;
  const auto& names = printer->Printers();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == request.PrinterName) printer->SetPrinterIndex(static_cast<Integer>(i));
  }
  return true;
}
