#pragma once
// Text converters: external programs that turn another file format into
// RTF (import) or RTF into it (export): those of a converter description
// file and those of the programs installed here (with neither, the lists
// and the dialog filters are empty). Programs run directly (never through a
// shell) with a time, memory and output limit, in a process group of their
// own, with their temporary files in a private folder of the run (in the
// runtime folder) and every proxy set to a closed port, so that the
// document being converted does not reach the network.
//
// The description file is an INI file, one section per converter:
//   [Plain text]
//   Extensions=txt text
//   Import=/usr/bin/some-tool --to-rtf %1      (RTF on standard output)
//   Export=/usr/bin/some-tool --from-rtf %2 %1 (RTF in the file %2)
// %1 is the foreign file (on export, one of that name in the run's private
// folder: the copy replaces the target only when whole), %2 a temporary RTF
// file, %3 an empty temporary folder, %4 the file URL of a new profile
// folder of the office suite (LibreOffice), whose settings keep it off the
// network, and %5 a Lua filter of the document converter (pandoc) for the
// program's web page. An Import command writes its RTF to the file %2 when
// it names %2, else as the one file in %3 when it names %3, else to
// standard output; an Export command writes the file %1, or when it does
// not name %1, one file in %3.
//
// A section [Limits] (not a converter) may set the bounds of every run:
//   Memory=2048   (MiB of address space for each process)
//   Output=512    (MiB: the largest file a converter may write)
//   Time=1800     (seconds)
//
// Besides those, the converters of the programs installed here are listed
// after the file's, unless the file already has one of the same name: the
// office suite's (LibreOffice: Word, Word 97-2003, OpenDocument, and
// WordPerfect for import), then the document converter's (pandoc: Word,
// OpenDocument, EPUB, Markdown and web pages). A format both offer is the
// office suite's first; the document converter's follows it under its name
// and " via pandoc". The document converter writes from the program's web
// page when it is given one: its RTF reader drops list numbering.
#include "platform/base/Components.h"
#include "platform/base/Streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TCustomVLData;

using TConvertingEvent = std::function<void(TObject* sender, Integer percent)>;

class TVLOfficeConverterInfo : public TObject {
public:
  String Name;
  // Command lines, split into arguments.
  std::vector<String> ImportCommand;
  std::vector<String> ExportCommand;
  // Where the converter reads a web page better than RTF (lists): the
  // export command that takes the page (%2, its pictures beside it).
  std::vector<String> ExportHTMLCommand;
  // "*.doc;*.dot"
  String Filter;
  // Reads or writes web pages, which the program also does itself.
  bool HTML = false;
  // Its files hold the document's pictures. A Markdown file can only name
  // picture files, and those of a run go with the run: such a copy is
  // written without the pictures (and without references to them).
  bool KeepsPictures = true;
  // Listed in the description file: its program may read any content under
  // its extensions.
  bool Described = false;
  // The office suite's, which reads a file whole.
  bool OfficeSuite = false;
  // Its files are OpenDocument text: what an import brings in is checked
  // against the words the file holds.
  bool OpenDocument = false;
  // Its reader leaves out the tables that stand in another table's cells.
  bool LeavesOutNestedTables = false;
};

class TVLOfficeConverter;

class TVLOfficeCnvList {
public:
  // Reads the description file; the list holds the converters that have a
  // command for the direction (import or export), in file order.
  TVLOfficeCnvList(const String& descriptionFile, bool import, bool excludeHTML, TVLOfficeConverter* owner);
  void LoadFromFile(const String& descriptionFile, bool excludeHTML);
  // Appends the converters of the programs installed on this machine.
  void AddInstalled(bool excludeHTML);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TVLOfficeConverterInfo* GetItem(Integer index) const { return FItems.at(static_cast<size_t>(index)).get(); }
  // "Name|*.a;*.b" pairs joined by "|", or "Name (*.a;*.b)|*.a;*.b".
  String GetFilter(bool showExtensions) const;
  // Why the description file was ignored; empty when it was read, or there
  // is none.
  String Problem;
  // Raise EAbort on failure, with the owner's ErrorCode set.
  void ImportRTF(const String& fileName, Integer index, TMemoryStream& stream);
  // False when the file does not start as the converter's formats start
  // (packaged documents, Word 97 and WordPerfect files have a mark of their
  // own); true for formats without one, for a converter of the description
  // file and for an index past the list.
  bool ContentFits(const String& fileName, Integer index) const;
  void ExportRTF(const String& fileName, Integer index, TMemoryStream& stream);
  // writePage writes the document as a web page to the file it is given.
  void ExportHTML(const String& fileName, Integer index, const std::function<bool(const String&)>& writePage);

private:
  // withPictures false: the page filter leaves the pictures out.
  void Export(const String& fileName, const std::vector<String>& command, const String& inputName,
              const std::function<bool(const String&)>& writeInput, bool withPictures = true);
  TVLOfficeConverter* FOwner;
  bool FImport;
  std::vector<std::unique_ptr<TVLOfficeConverterInfo>> FItems;
};

class TVLOfficeConverter : public TComponent {
public:
  explicit TVLOfficeConverter(TComponent* owner = nullptr);
  ~TVLOfficeConverter() override;

  TVLOfficeCnvList& GetImportConverters();
  TVLOfficeCnvList& GetExportConverters();
  String GetImportFilter();
  String GetExportFilter();
  // The foreign file as RTF in Stream.
  bool ImportRTF(const String& fileName, Integer index);
  // Stream from its position to its end, written as the foreign file.
  bool ExportRTF(const String& fileName, Integer index);
  // The document saved as RTF by writer, then exported; Stream ends empty.
  // A converter with an ExportHTMLCommand gets the web page pageWriter
  // writes instead, when one is given.
  bool ExportVL(const String& fileName, const std::function<bool(TStream&)>& writer, Integer index,
                const std::function<bool(const String&)>& pageWriter = {});

  TConvertingEvent OnConverting;
  TMemoryStream Stream;
  // The title of a copy that has one (a book): empty, the copy's file name
  // without its extension.
  String Title;
  bool ExcludeHTMLImportConverter = false;
  bool ExcludeHTMLExportConverter = false;
  bool PreviewMode = false;
  bool ExtensionsInFilter = false;
  // 0, or: 1 the program could not be started, 2 the converter has no
  // command for the direction, 3 it ran past the time limit, 4 nothing to
  // export or a file that could not be written, 5 it wrote nothing, 6 its
  // output passed OutputLimit, 7 it failed on MemoryLimit, 8 cancelled
  // (OnWait), other: its exit status.
  Integer ErrorCode = 0;
  // What stopped the last conversion, for the user; empty after success
  // and after a cancel.
  String ErrorText() const;
  // Where the converters are described ($XDG_CONFIG_HOME/quillory/converters.ini
  // unless set before the first list is asked for).
  String DescriptionFile;
  // The bounds of a run; the description file's [Limits] replaces them when
  // the first list is read. The time is a stop for a converter that hangs:
  // the office suite, started on a busy machine, may work for minutes, and
  // the user can cancel it from the progress window before then.
  Integer TimeLimitMs = 30 * 60 * 1000;
  uint64_t MemoryLimit = uint64_t(2048) << 20;
  uint64_t OutputLimit = uint64_t(512) << 20;
  // A copy ExportVL writes is the owner's alone (0600), whatever the file
  // it replaces allowed; else it takes that file's permissions.
  bool OwnerOnlyCopies = false;
  // Called about every 20 ms while a converter runs; false cancels it.
  std::function<bool()> OnWait;
  // After an import: the converter that read the file (the office suite's
  // of the same format when the one chosen would leave out tables nested
  // in the file's tables), and of the words the file holds (where that can
  // be told), how many did not come in.
  Integer ReadBy = -1;
  size_t WordsInFile = 0;
  size_t WordsNotRead = 0;
  // The file has tables nested in tables, which the converter left out.
  bool NestedTablesLeftOut = false;
  // What the last import could not read, for the user; empty when it read
  // every word.
  String NotReadText();
  // Why the description file was ignored, once per file and reason in the
  // program's run: empty when it was read, missing, or already told.
  String TakeDescriptionProblem();
  // Whether the installed programs' converters are listed too.
  bool UseInstalledConverters = true;

private:
  void ReadLimits();
  std::unique_ptr<TVLOfficeCnvList> FImport, FExport;
  bool FLimitsRead = false;
};

// "doc dot" -> "*.doc;*.dot"
String ExtensionsToMasks(const String& extensions);
// The first bytes of a file, at most count; empty when it cannot be read
// or is no regular file.
String VLFileHead(const String& fileName, size_t count);
// The office suite's program (soffice or libreoffice on PATH), where its
// word processor is installed too: the program itself comes with any part
// of the suite. Empty when there is none.
String FindOfficeSuite();

// A file that becomes target whole or not at all, written first as a hidden
// file beside it: made exclusively, the owner's alone (0600) from its first
// byte, and named in a record of this run's, so that a start after a kill
// removes it (with the hidden temporary a writer that replaces it whole
// makes beside it). Removed unless placed.
class TCopyBeside {
public:
  explicit TCopyBeside(const String& target, bool ownerOnly = false);
  ~TCopyBeside();
  TCopyBeside(const TCopyBeside&) = delete;
  TCopyBeside& operator=(const TCopyBeside&) = delete;
  // The file to write; empty when none could be made.
  const String& Name() const;
  // Gives it target's permissions (any new file's when there is none yet;
  // the owner's alone, 0600, when made ownerOnly), makes it durable and
  // renames it over target.
  bool Place();

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// The private folder (0700) the conversions' run folders live in, made when
// missing: in the runtime folder. Empty when none can be had.
String ConversionFolder();
// Removes what conversions of programs no longer running left behind (a
// killed program's entry in RTF, and the hidden copy it had begun beside
// the target), here and in the temporary folder where earlier versions
// kept it. Answers how many run folders went.
int RemoveConversionLeftovers();
