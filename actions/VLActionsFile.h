#pragma once
// The file formats the file commands offer (dialog filters and the way back
// from a chosen entry to its format), and Export.
#include "actions/VLActions.h"

#include <vector>

enum TvlFileImportFilter { ffiVLF, ffiRTF, ffiTextANSI, ffiTextUnicode, ffiTextAuto, ffiOfficeConverters };
using TvlFileImportFilterSet = TSet<TvlFileImportFilter>;

// The filter entries of the set in the fixed order VLF, RTF, text of
// detected encoding, 8-bit text, UTF-16 text; Formats receives each entry's
// format. No text converters are installed on this platform, so
// ffiOfficeConverters adds nothing.
String BuildOpenFilter(TvlFileImportFilterSet Filter, std::vector<TvlFileImportFilter>& Formats);
// The format of a zero-based filter index; false for an index with none.
bool ImportFilterIndexToFormat(const std::vector<TvlFileImportFilter>& Formats, int Index,
                               TvlFileImportFilter& Format);

enum TvlFileExportFilter { ffeVLF, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeHTMLCSS, ffeHTML, ffeOfficeConverters };
using TvlFileExportFilterSet = TSet<TvlFileExportFilter>;

// The save entries in the order VLF, RTF, 8-bit text, UTF-16 text, HTML with
// CSS, simplified HTML.
String BuildSaveFilter(TvlFileExportFilterSet Filter, std::vector<TvlFileExportFilter>& Formats);

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
  // Writes Editor's document to FileName in Format; false on failure.
  bool Export(TVLActionEditor* Editor, const String& FileName, TvlFileExportFilter Format);

  TvlFileExportFilterSet Filter{ffeVLF, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeHTMLCSS, ffeHTML, ffeOfficeConverters};
  String FileTitle;
  String ImagePrefix = "img";
  bool CreateDirectoryForHTMLImages = true;
  bool AutoUpdateFileName = true;
  String DialogTitle;
  String InitialDir;
  int FilterIndex = 1;
  String FileName;
};
