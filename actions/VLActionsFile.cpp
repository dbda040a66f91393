#include "actions/VLActionsFile.h"

#include "actions/VLALocalize.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <filesystem>
#include <random>

String BuildOpenFilter(TvlFileImportFilterSet Filter, std::vector<TvlFileImportFilter>& Formats) {
  Formats.clear();
  String result;
  auto add = [&](TvlFileImportFilter format, const String& entry) {
    if (!Filter.Contains(format)) return;
    if (!result.empty()) result += "|";
    result += entry;
    Formats.push_back(format);
  };
  add(ffiVLF, LocalizedVLFNames ? LanguageText(217) : VLFFilterText);
  add(ffiRTF, LanguageText(218));
  add(ffiTextAuto, LanguageText(222));
  add(ffiTextANSI, LanguageText(220));
  add(ffiTextUnicode, LanguageText(221));
  return result;
}

bool ImportFilterIndexToFormat(const std::vector<TvlFileImportFilter>& Formats, int Index,
                               TvlFileImportFilter& Format) {
  if (Index < 0 || Index >= static_cast<int>(Formats.size())) return false;
  Format = Formats[static_cast<size_t>(Index)];
  return true;
}

String BuildSaveFilter(TvlFileExportFilterSet Filter, std::vector<TvlFileExportFilter>& Formats) {
  Formats.clear();
  String result;
  auto add = [&](TvlFileExportFilter format, const String& entry) {
    if (!Filter.Contains(format)) return;
    if (!result.empty()) result += "|";
    result += entry;
    Formats.push_back(format);
  };
  add(ffeVLF, LocalizedVLFNames ? LanguageText(217) : VLFFilterText);
  add(ffeRTF, LanguageText(218));
  add(ffeTextANSI, LanguageText(220));
  add(ffeTextUnicode, LanguageText(221));
  add(ffeHTMLCSS, LanguageText(224));
  add(ffeHTML, LanguageText(225));
  return result;
}

namespace {

namespace fs = std::filesystem;

std::mt19937& Random() {
  static std::mt19937 random{std::random_device{}()};
  return random;
}

// A name beside Target for the file being written.
fs::path TemporaryBeside(const fs::path& Target) {
  fs::path tmp = Target;
  tmp += ".part" + std::to_string(Random()() % 1000000);
  return tmp;
}

}  // namespace

String PrepareHTMLImageFolder(const String& FileName, bool CreateFolder, bool& Created) {
  Created = false;
  if (!CreateFolder) return String();
  std::error_code ec;
  fs::path folder = fs::path(FileName).replace_extension();
  folder += ".files";
  if (fs::is_directory(folder, ec)) return folder.filename().string();
  if (fs::exists(folder, ec)) {
    unsigned n = Random()() % 0x3FFFFFFF;
    auto numbered = [&] {
      fs::path p = folder;
      p += std::to_string(n);
      return p;
    };
    while (fs::exists(numbered(), ec)) ++n;
    folder = numbered();
  }
  if (!fs::create_directory(folder, ec)) return String();
  Created = true;
  return folder.filename().string();
}

TvlActionExport::TvlActionExport(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 19;
  Localize();
}

bool TvlActionExport::Export(TVLActionEditor* E, const String& Name, TvlFileExportFilter Format) {
  const fs::path target(Name);
  const fs::path tmp = TemporaryBeside(target);
  std::error_code ec;
  bool ok = false;
  bool created = false;
  String folder;
  // A file that cannot be made raises; that is a failed export too.
  try {
    switch (Format) {
      case ffeVLF: ok = E->SaveVLF(tmp.string()); break;
      case ffeRTF: ok = E->SaveRTF(tmp.string()); break;
      case ffeTextANSI: ok = E->SaveText(tmp.string(), false); break;
      case ffeTextUnicode: ok = E->SaveText(tmp.string(), true); break;
      case ffeHTMLCSS:
      case ffeHTML: {
        folder = PrepareHTMLImageFolder(Name, CreateDirectoryForHTMLImages, created);
        // Pictures are named relative to the page, with "/" on this platform.
        const String prefix = folder.empty() ? ImagePrefix : folder + "/" + ImagePrefix;
        const String title = FileTitle.empty() ? target.filename().string() : FileTitle;
        ok = E->SaveHTML(tmp.string(), title, prefix, Format == ffeHTMLCSS);
        break;
      }
      case ffeOfficeConverters: break;
    }
  } catch (const std::exception&) {
    ok = false;
  }
  if (ok) {
    fs::rename(tmp, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(tmp, ec);
  const fs::path made = target.parent_path() / folder;
  // A folder made now goes again when the page failed, and when it stayed
  // empty (a page without pictures).
  if (created && !ok) fs::remove_all(made, ec);
  else if (created && fs::is_empty(made, ec)) fs::remove(made, ec);
  return ok;
}

void TvlActionExport::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  std::vector<TvlFileExportFilter> formats;
  TSaveDialog dialog(Application);
  dialog.DefaultExt = VLFDefaultExt;
  dialog.Filter = BuildSaveFilter(Filter, formats);
  dialog.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing;
  dialog.FilterIndex = FilterIndex;
  dialog.FileName = FileName;
  dialog.Title = DialogTitle;
  if (fs::path(FileName).parent_path().empty()) dialog.InitialDir = InitialDir;
  if (!dialog.Execute()) return;
  FilterIndex = dialog.FilterIndex;
  bool ok = false;
  {
    TWaitCursor wait;
    const int index = dialog.FilterIndex - 1;
    if (index >= 0 && index < static_cast<int>(formats.size()))
      ok = Export(E, dialog.FileName, formats[static_cast<size_t>(index)]);
  }
  if (!ok) {
    MessageBox(LanguageText(216), LanguageText(213), MB_OK | MB_ICONERROR);
    return;
  }
  if (AutoUpdateFileName) FileName = dialog.FileName;
}
