#pragma once
// The printer: installed printers, the job settings, page size and
// resolution in device pixels, and a canvas that draws on the pages. With
// an output file name it writes a PDF instead, which also works where no
// printer is installed.
#include "platform/base/SysUtils.h"
#include "platform/gui/Graphics.h"

#include <memory>
#include <vector>

class QPrinter;

QY_DECLARE_EXCEPTION(EPrinter, Exception);

enum TPrinterOrientation { poPortrait, poLandscape };

// Paper sizes by their device-mode numbers.
constexpr Integer DMPAPER_LETTER = 1;
constexpr Integer DMPAPER_LEGAL = 5;
constexpr Integer DMPAPER_A3 = 8;
constexpr Integer DMPAPER_A4 = 9;
constexpr Integer DMPAPER_A5 = 11;

class TPrinter {
public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Names of the installed printers (asked again on every call).
  const std::vector<String>& Printers();
  bool HasPrinters() { return !Printers().empty(); }
  // Index into Printers; -1 is the system's default printer. Raises EPrinter
  // "Printer selected is not valid" for any other value.
  Integer GetPrinterIndex() const { return FPrinterIndex; }
  void SetPrinterIndex(Integer index);
  // The current printer's name, "" when there is none (or for PDF output).
  String PrinterName();

  String Title;
  Integer GetCopies() const;
  void SetCopies(Integer copies);
  bool GetCollate() const;
  void SetCollate(bool value);
  // True when the device prints copies itself (otherwise callers repeat).
  bool SupportsMultipleCopies();
  TPrinterOrientation GetOrientation() const;
  void SetOrientation(TPrinterOrientation value);
  // The sheet (DMPAPER_…; 0 for a size without a number). Setting raises
  // EPrinter for an unknown number and while printing.
  Integer GetPaperSize();
  void SetPaperSize(Integer paper);

  // Writes a PDF to this file instead of printing ("" prints).
  String OutputFileName;

  // Printable area and device resolution, in device pixels.
  Integer PageWidth();
  Integer PageHeight();
  Integer XDPI();
  Integer YDPI();
  // The sheet and the unprintable margins at its top-left corner.
  Integer PhysicalWidth();
  Integer PhysicalHeight();
  Integer PhysicalOffsetX();
  Integer PhysicalOffsetY();

  // A job: BeginDoc (EPrinter "No Printer Defined" when there is neither a
  // printer nor an output file; "Printing in progress" when one runs),
  // NewPage, EndDoc; Abort ends it without output.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  Integer PageNumber() const { return FPageNumber; }

  // Draws on the current page during a job; outside one it measures text at
  // the printer's resolution.
  TCanvas* Canvas();
  QPrinter* Handle();

private:
  void Prepare();
  void UpdateCanvasResolution();
  // Removes the part file of a PDF being written (none after EndDoc).
  void DropPartFile();
  std::unique_ptr<QPrinter> FPrinter;
  std::unique_ptr<QPainter> FPainter;
  std::unique_ptr<TCanvas> FCanvas;
  std::vector<String> FPrinters;
  Integer FPrinterIndex = -1;
  bool FPrinting = false;
  bool FAborted = false;
  Integer FPageNumber = 0;
  // The PDF file a job writes, and the part file it goes to until whole.
  String FJobFile, FPartFile;
};

// The program's printer (created on first use).
TPrinter* Printer();
// Replaces the program's printer (tests) and hands back the previous one.
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer);

// The choice of the print dialogs that writes a PDF file instead of
// printing: the dialogs answer it as the printer name, with the file's name.
inline constexpr const char* PdfFileChoice = "Print to PDF file";

// The path itself when nothing is there, else the first free one of
// "<name> (2).pdf", "<name> (3).pdf", …: the name a print to a file suggests,
// so that it replaces no earlier one.
String UnusedPdfFileName(const String& path);

// The page size the locale uses (Letter where the measures are the US ones,
// else A4): the pages without a printer.
Integer LocaleDefaultPaperSize();

// Shows the printer set-up dialog through the interaction hook; on OK the
// chosen printer becomes current. Returns true on OK.
bool ExecutePrinterSetup();
// Makes the printer a dialog chose current (nothing for "" or an unknown
// name); PdfFileChoice with a file name makes the jobs write that PDF file,
// any printer makes them print again.
void ApplyPrinterChoice(const String& name, const String& pdfFile = String());
// What a dialog shows as chosen: the printer's name, or PdfFileChoice with
// the file (pdfFile) when the jobs write a PDF file or no printer exists.
String CurrentPrinterChoice(String& pdfFile);
