#pragma once
// The file commands: New, Open, Save, Save As and Export, and the formats
// they offer (dialog filters and the way back from a chosen entry to its
// format).
#include "actions/VLActions.h"

#include <memory>
#include <vector>

enum TvlFileImportFilter { ffiVLF, ffiRTF, ffiTextANSI, ffiTextUnicode, ffiTextAuto, ffiOfficeConverters };
using TvlFileImportFilterSet = TSet<TvlFileImportFilter>;

class TVLOfficeConverter;

// The filter entries of the set in the fixed order VLF, RTF, text of
// detected encoding, 8-bit text, UTF-16 text; Formats receives each entry's
// format. With ffiOfficeConverters and a Converter, its import entries
// follow, one per converter.
String BuildOpenFilter(TvlFileImportFilterSet Filter, std::vector<TvlFileImportFilter>& Formats,
                       TVLOfficeConverter* Converter = nullptr);
// The format of a zero-based filter index; false for an index with none.
// An index past Formats is a converter's: ffiOfficeConverters, and
// ConverterIndex (when given) tells which.
bool ImportFilterIndexToFormat(const std::vector<TvlFileImportFilter>& Formats, int Index,
                               TvlFileImportFilter& Format, int* ConverterIndex = nullptr);

enum TvlFileExportFilter { ffeVLF, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeHTMLCSS, ffeHTML, ffeOfficeConverters };
using TvlFileExportFilterSet = TSet<TvlFileExportFilter>;

// The save entries in the order VLF, RTF, 8-bit text, UTF-16 text, HTML with
// CSS, simplified HTML, then the Converter's export entries.
String BuildSaveFilter(TvlFileExportFilterSet Filter, std::vector<TvlFileExportFilter>& Formats,
                       TVLOfficeConverter* Converter = nullptr);
bool ExportFilterIndexToFormat(const std::vector<TvlFileExportFilter>& Formats, int Index,
                               TvlFileExportFilter& Format, int* ConverterIndex = nullptr);

// Runs Convert (a call of Converter's that runs a converter program) with a
// progress window whose Cancel stops the program; the window behind keeps
// repainting meanwhile.
bool RunConversion(TVLOfficeConverter& Converter, const std::function<bool()>& Convert);
// Tells what stopped a conversion that failed: its limit, or message Id.
// Nothing after a cancel.
void ShowConversionError(Integer ErrorCode, const String& ErrorText, Word Id);
// Tells that the file FileName could not be written and why: what the
// failing call reported when Watch kept it, else the system's answer for
// its folder; message Id when the folder takes files.
void ShowSaveError(const String& FileName, Word Id, const TFileWriteWatch* Watch = nullptr);
// Tells, once in the program's run, that the converter description file
// was ignored and why.
void ShowDescriptionProblem(TVLOfficeConverter& Converter);

// The folder beside an HTML page that holds its pictures: "page.files", or
// "page.files<N>" when a file of that name is in the way. Empty when none
// is to be used or it cannot be made; Created tells whether it was made now.
String PrepareHTMLImageFolder(const String& FileName, bool CreateFolder, bool& Created);

// Writes a copy of the document in another format. The file appears whole
// or not at all: a failed export leaves no half-written page and no
// picture folder it made.
class TvlActionExport : public TvlAction {
public:
  explicit TvlActionExport(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
  // Writes Editor's document to FileName in Format (through converter
  // ConverterIndex for ffeOfficeConverters); false on failure.
  bool Export(TVLActionEditor* Editor, const String& FileName, TvlFileExportFilter Format,
              int ConverterIndex = -1);

  TvlFileExportFilterSet Filter{ffeVLF, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeHTMLCSS, ffeHTML, ffeOfficeConverters};
  // The title of a web page or book copy: empty, the file's name.
  String FileTitle;
  String ImagePrefix = "img";
  // Passed to the HTML writers.
  TVLSaveOptions SaveOptions;
  bool CreateDirectoryForHTMLImages = true;
  bool AutoUpdateFileName = true;
  String DialogTitle;
  String InitialDir;
  int FilterIndex = 1;
  String FileName;

private:
  // What stopped the last export through a converter.
  Integer FConversionError = 0;
  String FConversionText;
};

// ---------------------------------------------------------------------------
// New, Open, Save and Save As. The Save action keeps, per editor, the file
// the document belongs to and its format, asks before a changed document is
// replaced, and warns before a save in a format that may lose features.

// Open offers ffiVLF..ffiTextAuto; Save and Save As ffeVLF..ffeTextUnicode.
using TvlFileOpenFilter = TvlFileImportFilter;
using TvlFileOpenFilterSet = TvlFileImportFilterSet;
using TvlFileSaveFilter = TvlFileExportFilter;
using TvlFileSaveFilterSet = TvlFileExportFilterSet;

class TvlActionSave;
class TvlActionSaveAs;

struct TvlaDocumentInfo {
  TVLActionEditor* Editor = nullptr;
  // The control behind Editor; the record goes when it is destroyed.
  TWinControl* Control = nullptr;
  // The full path, or DefaultDocumentFileName for a new document.
  String FileName;
  TvlFileSaveFilter FileFormat = ffeVLF;
  // False for a document that has no file of its own yet.
  bool HasFileName = false;
};

// IsNew: the document has no file of its own.
using TVLFileChangeEvent = std::function<void(TObject* Sender, TVLActionEditor* Editor, const String& FileName,
                                              TvlFileSaveFilter FileFormat, bool IsNew)>;

class TvlActionNew : public TvlAction {
public:
  explicit TvlActionNew(TComponent* AOwner);
  ~TvlActionNew() override;
  void ExecuteTarget(TObject* Target) override;
  TvlActionSave* GetActionSave() const { return FActionSave; }
  void SetActionSave(TvlActionSave* value);
  // Fired when a document is reset, before Open loads the file.
  TNotifyEvent OnNew;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // ActionSave, else the owner's first Save action; raises when there is none.
  TvlActionSave* FindSaveAction();
  // Default colour and margins, no background picture; fires OnNew.
  void ResetDocument(TVLActionEditor* Editor);
  // The margins notice and the clean-up of styles nothing uses.
  void AfterReplace(TVLActionEditor* Editor);
  // Steps every New and Open starts with: the editor, its Save action and
  // a record for it.
  TVLActionEditor* Prepare(TObject* Target, TvlActionSave*& Save);

private:
  TvlActionSave* FActionSave = nullptr;
};

class TvlActionOpen : public TvlActionNew {
public:
  explicit TvlActionOpen(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
  // Replaces Editor's document with the file. A file that cannot be read
  // changes nothing: the error is shown and the document, its record and
  // its modified state stay as they were. False then.
  bool LoadFile(TVLActionEditor* Editor, const String& FileName, TvlFileOpenFilter Format);

  String DialogTitle;
  String InitialDir;
  TvlFileOpenFilterSet Filter{ffiVLF, ffiRTF, ffiTextANSI, ffiTextUnicode, ffiTextAuto};
  int FilterIndex = 1;
};

class TvlActionSave : public TvlAction {
public:
  explicit TvlActionSave(TComponent* AOwner);
  ~TvlActionSave() override;
  void ExecuteTarget(TObject* Target) override;

  TvlActionSaveAs* GetActionSaveAs() const { return FActionSaveAs; }
  void SetActionSaveAs(TvlActionSaveAs* value);
  TVLFileChangeEvent OnDocumentFileChange;
  TvlFileSaveFilterSet LostFormatWarning{ffeRTF, ffeTextANSI, ffeTextUnicode};

  // -1 when the editor has no record.
  int IndexOfDocumentInfo(TVLActionEditor* Editor) const;
  int DocumentInfoCount() const { return static_cast<int>(FInfos.size()); }
  const TvlaDocumentInfo& DocumentInfo(int Index) const { return *FInfos[static_cast<size_t>(Index)]; }
  // Stores the record (made when missing); saves it when SaveNow, else
  // announces the change. The record's index.
  int SetDocumentInfo(TVLActionEditor* Editor, const String& FileName, TvlFileSaveFilter FileFormat,
                      bool HasFileName, bool SaveNow, bool NoWarning);
  void RemoveDocumentInfo(TVLActionEditor* Editor);
  // Writes the record's document (asking for a name first when it has
  // none); true when it was written.
  bool SaveDocument(int Index, bool NoWarning);
  // Whether the editor's document may be replaced: not modified, saved, or
  // its changes given up. False when the user cancels.
  bool QuerySave(TVLActionEditor* Editor);
  void DoDocumentFileChange(int Index);
  // The format warning for FileName; true when the user goes on.
  bool ConfirmFormat(const String& FileName, TvlFileSaveFilter Format);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TvlActionSaveAs* FindSaveAsAction();

private:
  TvlActionSaveAs* FActionSaveAs = nullptr;
  std::vector<std::unique_ptr<TvlaDocumentInfo>> FInfos;
};

class TvlActionSaveAs : public TvlAction {
public:
  explicit TvlActionSaveAs(TComponent* AOwner);
  ~TvlActionSaveAs() override;
  void ExecuteTarget(TObject* Target) override;
  // Asks for a name and format for Editor's document and saves it there,
  // recording it with Save (nullptr: this action's partner).
  void SaveEditorAs(TVLActionEditor* Editor, TvlActionSave* Save = nullptr);
  TvlActionSave* GetActionSave() const { return FActionSave; }
  void SetActionSave(TvlActionSave* value);

  String DialogTitle;
  String InitialDir;
  TvlFileSaveFilterSet Filter{ffeVLF, ffeRTF, ffeTextANSI, ffeTextUnicode};

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TvlActionSave* FActionSave = nullptr;
};

// Writes Editor's document to FileName in one of the save formats; the
// file is replaced whole or not at all. False on failure.
bool WriteDocumentFile(TVLActionEditor* Editor, const String& FileName, TvlFileSaveFilter Format);
