#include "actions/VLActionsFile.h"

#include "actions/VLALocalize.h"

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
