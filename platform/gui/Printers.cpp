#include "platform/gui/Printers.h"

#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"
#include "platform/base/SysUtils.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QDir>
#include <QStandardPaths>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The part files of jobs to this name whose programs no longer run (killed
// while printing) go: their process number follows the stem.
void RemoveDeadParts(const String& folder, const String& stem) {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(folder), ec)) {
    const String name = e.path().filename().string();
    if (name.compare(0, stem.size(), stem) != 0) continue;
    const long pid = std::strtol(name.c_str() + stem.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ::unlink(e.path().c_str());
  }
}

// PDF output and measuring without a printer use a common printer
// resolution, so layouts are the same on every machine.
constexpr int PdfResolution = 600;

QPageSize::PageSizeId LocalePageSize() {
  return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

// After a dialog ran on the toolkit's printer: what it chose.
void ReadChoice(QPrinter* printer, TInteraction& r) {
  if (printer->outputFormat() == QPrinter::PdfFormat) {
    r.PrinterName = PdfFileChoice;
    r.FileName = FromQ(printer->outputFileName());
  } else {
    r.PrinterName = FromQ(printer->printerName());
  }
}

// Before a dialog runs: the current choice on the toolkit's printer.
void WriteChoice(QPrinter* printer, const TInteraction& r) {
  if (r.PrinterName == PdfFileChoice) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    QString file = ToQ(r.FileName);
    // A name to start from, where the user keeps documents; a fresh home
    // may have no Documents folder, and the dialog refuses a file there.
    if (file.isEmpty()) {
      QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
      file = ToQ(UnusedPdfFileName(FromQ(folder + "/" + (printer->docName().isEmpty() ? QString("document") : printer->docName()) + ".pdf")));
    }
    printer->setOutputFileName(file);
  }
}

void ApplyPrinterName(const String& name) {
  if (name.empty()) return;
  const std::vector<String>& names = Printer()->Printers();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) Printer()->SetPrinterIndex(static_cast<Integer>(i));
}

// The real print dialog: printer, copies, collation and the page range.
int RunPrintDialog(TInteraction& r) {
  QPrinter* printer = Printer()->Handle();
  if (!printer) return mrCancel;
  printer->setCopyCount(r.Copies);
  printer->setCollateCopies(r.Collate);
  WriteChoice(printer, r);
  // The toolkit's dialog lists the installed printers and "Print to File
  // (PDF)" with its file name.
  QPrintDialog dlg(printer, QApplication::activeWindow());
  if (r.MaxPage > 0) {
    dlg.setMinMax(r.MinPage, r.MaxPage);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
  }
  if (r.PrintRange) {
    dlg.setFromTo(r.FromPage, r.ToPage);
    dlg.setPrintRange(QAbstractPrintDialog::PageRange);
  }
  if (dlg.exec() != QDialog::Accepted) return mrCancel;
  ReadChoice(printer, r);
  r.Copies = printer->copyCount();
  r.Collate = printer->collateCopies();
  r.PrintRange = printer->printRange() == QPrinter::PageRange;
  r.FromPage = printer->fromPage();
  r.ToPage = printer->toPage();
  return mrOk;
}

// The real printer set-up: the printer or a PDF file, and through the
// dialog's properties the paper, orientation and margins; nothing printed.
int RunPrinterSetup(TInteraction& r) {
  QPrinter* printer = Printer()->Handle();
  if (!printer) return mrCancel;
  WriteChoice(printer, r);
  QPrintDialog dlg(printer, QApplication::activeWindow());
  dlg.setWindowTitle(ToQ(r.Caption.empty() ? String("Printer Setup") : r.Caption));
  dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
  dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dlg.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
  // It chooses; the commands print.
  for (QDialogButtonBox* box : dlg.findChildren<QDialogButtonBox*>())
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText("OK");
  if (dlg.exec() != QDialog::Accepted) return mrCancel;
  ReadChoice(printer, r);
  return mrOk;
}

// One registration for the printing dialogs, in the unit every print path
// links.
struct TRegisterPrintRunners {
  TRegisterPrintRunners() {
    RegisterInteractionRunner(TInteractionKind::PrintDialog, &RunPrintDialog);
    RegisterInteractionRunner(TInteractionKind::PrinterSetupDialog, &RunPrinterSetup);
  }
} gRegisterPrintRunners;

std::unique_ptr<TPrinter>& CurrentPrinter() {
  static std::unique_ptr<TPrinter> printer;
  return printer;
}

}  // namespace

TPrinter::TPrinter() = default;

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
  if (!FPrinting) UpdateCanvasResolution();
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
    // Without a printer the pages are the locale's usual paper.
    FPrinter->setPageSize(QPageSize(LocalePageSize()));
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

namespace {
struct TPaper {
  Integer Number;
  QPageSize::PageSizeId Id;
};
const TPaper kPapers[] = {{DMPAPER_LETTER, QPageSize::Letter}, {DMPAPER_LEGAL, QPageSize::Legal},
                          {DMPAPER_A3, QPageSize::A3},         {DMPAPER_A4, QPageSize::A4},
                          {DMPAPER_A5, QPageSize::A5}};
}  // namespace

Integer TPrinter::GetPaperSize() {
  Prepare();
  const QPageSize::PageSizeId id = FPrinter->pageLayout().pageSize().id();
  for (const TPaper& p : kPapers)
    if (p.Id == id) return p.Number;
  return 0;
}

void TPrinter::SetPaperSize(Integer paper) {
  if (FPrinting) throw EPrinter("Printing in progress");
  for (const TPaper& p : kPapers) {
    if (p.Number != paper) continue;
    Prepare();
    FPrinter->setPageSize(QPageSize(p.Id));
    return;
  }
  throw EPrinter("Paper size is not valid");
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

// The canvas moves to the device's resolution with its font keeping its size
// in points, as text measured for the page must be.
void TPrinter::UpdateCanvasResolution() {
  if (!FCanvas) return;
  const Integer ppi = YDPI();
  if (ppi == FCanvas->GetPixelsPerInch()) return;
  const Integer points = FCanvas->Font.GetSize();
  FCanvas->SetPixelsPerInch(ppi);
  FCanvas->Font.SetSize(points);
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
    // Written to a part file beside it and renamed over it when whole, as a
    // copy is saved: a job cut short (a kill, a crash) leaves no cut PDF
    // under the name chosen, nor spoils the file it would replace. The part
    // is the owner's alone before a byte is written: a report may hold the
    // password in clear.
    FJobFile = OutputFileName;
    struct stat st {};
    // Through a symbolic link its file is replaced.
    if (::lstat(FJobFile.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      if (char* real = ::realpath(FJobFile.c_str(), nullptr)) {
        FJobFile = real;
        ::free(real);
      }
    if (::stat(FJobFile.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      throw EPrinter(FileNotWrittenText(OutputFileName, FileWriteReason(OutputFileName, EISDIR)));
    const size_t slash = FJobFile.rfind('/');
    const String folder = slash == String::npos ? String() : FJobFile.substr(0, slash + 1);
    const String stem = "." + FJobFile.substr(folder.size()) + ".part-";
    RemoveDeadParts(folder.empty() ? String(".") : folder, stem);
    String part = folder + stem + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(part.data(), O_CLOEXEC);
    if (fd < 0) {
      // Said as the system says it: the folder may not exist, or take no files.
      const int error = errno;
      throw EPrinter(FileNotWrittenText(OutputFileName, FileWriteReason(OutputFileName, error)));
    }
    ::close(fd);
    FPartFile = part;
    FPrinter->setOutputFormat(QPrinter::PdfFormat);
    FPrinter->setResolution(PdfResolution);
    FPrinter->setOutputFileName(ToQ(FPartFile));
  }
  FPrinter->setDocName(ToQ(Title));
  FPainter = std::make_unique<QPainter>();
  if (!FPainter->begin(FPrinter.get())) {
    FPainter.reset();
    DropPartFile();
    throw EPrinter("The print job could not be started");
  }
  // The job may run at another resolution than the canvas measured at
  // (a PDF instead of the printer).
  Canvas();
  UpdateCanvasResolution();
  FCanvas->SetHandle(FPainter.get());
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
}

void TPrinter::NewPage() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  // The text the canvas holds back belongs to the page that ends.
  FCanvas->Flush();
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
  UpdateCanvasResolution();
  if (FPartFile.empty()) return;
  // Durable before it takes the name chosen.
  const int fd = ::open(FPartFile.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  bool ok = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(FPartFile.c_str(), FJobFile.c_str()) == 0;
  const int error = errno;
  DropPartFile();
  if (!ok) throw EPrinter(FileNotWrittenText(OutputFileName, FileWriteReason(OutputFileName, error)));
}

void TPrinter::DropPartFile() {
  // Gone once renamed: then this removes nothing.
  if (!FPartFile.empty()) ::unlink(FPartFile.c_str());
  FPartFile.clear();
}

void TPrinter::Abort() {
  if (!FPrinting) return;
  FCanvas->SetHandle(nullptr);
  FPrinter->abort();
  if (FPainter->isActive()) FPainter->end();
  FPainter.reset();
  // Nothing of an aborted PDF is left behind; a file it would have
  // replaced stays as it was.
  DropPartFile();
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
  TInteraction request;
  request.Kind = TInteractionKind::PrinterSetupDialog;
  request.PrinterName = CurrentPrinterChoice(request.FileName);
  if (RunInteraction(request) != mrOk) return false;
  ApplyPrinterChoice(request.PrinterName, request.FileName);
  return true;
}

void ApplyPrinterChoice(const String& name, const String& pdfFile) {
  TPrinter* printer = Printer();
  if (name == PdfFileChoice) {
    if (!pdfFile.empty()) printer->OutputFileName = pdfFile;
    return;
  }
  if (name.empty()) return;
  printer->OutputFileName.clear();
  if (name != printer->PrinterName()) ApplyPrinterName(name);
}

String CurrentPrinterChoice(String& pdfFile) {
  TPrinter* printer = Printer();
  pdfFile = printer->OutputFileName;
  const String name = printer->PrinterName();
  return !pdfFile.empty() || name.empty() ? String(PdfFileChoice) : name;
}

String UnusedPdfFileName(const String& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return path;
  String stem = path;
  String ext;
  const size_t slash = stem.rfind('/');
  const size_t dot = stem.rfind('.');
  if (dot != String::npos && (slash == String::npos || dot > slash)) {
    ext = stem.substr(dot);
    stem.erase(dot);
  }
  // "report (2).pdf" goes on as "report (3).pdf", not "report (2) (2).pdf".
  if (stem.size() > 4 && stem.back() == ')') {
    const size_t open = stem.rfind(" (");
    if (open != String::npos && open + 2 < stem.size() - 1 &&
        stem.find_first_not_of("0123456789", open + 2) == stem.size() - 1)
      stem.erase(open);
  }
  for (int n = 2; n < 10000; ++n) {
    const String candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (::lstat(candidate.c_str(), &st) != 0) return candidate;
  }
  return path;
}

Integer LocaleDefaultPaperSize() {
  for (const TPaper& p : kPapers)
    if (p.Id == LocalePageSize()) return p.Number;
  return DMPAPER_A4;
}
