#include "actions/VLActionsFile.h"

#include "actions/VLALocalize.h"
#include "platform/base/SaveTarget.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ProgressWindow.h"

#include "richtext/model/VLUni.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "richtext/view/Vellum.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {
// The dialog's filter string of the formats Filter holds, in the given
// order; Formats gets the format of each entry.
template <class F, class S>
String JoinFilters(S Filter, std::vector<F>& Formats, std::initializer_list<std::pair<F, String>> Entries) {
  Formats.clear();
  String result;
  for (const auto& [format, entry] : Entries) {
    if (!Filter.Contains(format)) continue;
    if (!result.empty()) result += "|";
    result += entry;
    Formats.push_back(format);
  }
  return result;
}

String VLFFilterEntry() { return LocalizedVLFNames ? LanguageText(217) : VLFFilterText; }
}  // namespace

namespace {
String WithConverters(String filter, const String& converters) {
  if (converters.empty()) return filter;
  return filter.empty() ? converters : filter + "|" + converters;
}

// Index past the fixed entries: the converter's, when it has that many.
template <class TFormat>
bool IndexToFormat(const std::vector<TFormat>& Formats, int Index, TFormat& Format, TFormat Converters,
                   int* ConverterIndex) {
  if (Index < 0) return false;
  if (Index < static_cast<int>(Formats.size())) {
    Format = Formats[static_cast<size_t>(Index)];
    return true;
  }
  if (!ConverterIndex) return false;
  Format = Converters;
  *ConverterIndex = Index - static_cast<int>(Formats.size());
  return true;
}
}  // namespace

String BuildOpenFilter(TvlFileImportFilterSet Filter, std::vector<TvlFileImportFilter>& Formats,
                       TVLOfficeConverter* Converter) {
  const String own = JoinFilters(Filter, Formats,
                                 {{ffiVLF, VLFFilterEntry()},
                                  {ffiRTF, LanguageText(218)},
                                  {ffiTextAuto, LanguageText(222)},
                                  {ffiTextANSI, LanguageText(220)},
                                  {ffiTextUnicode, LanguageText(221)}});
  const bool converters = Converter && Filter.Contains(ffiOfficeConverters);
  return converters ? WithConverters(own, Converter->GetImportFilter()) : own;
}

bool ImportFilterIndexToFormat(const std::vector<TvlFileImportFilter>& Formats, int Index,
                               TvlFileImportFilter& Format, int* ConverterIndex) {
  return IndexToFormat(Formats, Index, Format, ffiOfficeConverters, ConverterIndex);
}

String BuildSaveFilter(TvlFileExportFilterSet Filter, std::vector<TvlFileExportFilter>& Formats,
                       TVLOfficeConverter* Converter) {
  const String own = JoinFilters(Filter, Formats,
                                 {{ffeVLF, VLFFilterEntry()},
                                  {ffeRTF, LanguageText(218)},
                                  {ffeTextANSI, LanguageText(220)},
                                  {ffeTextUnicode, LanguageText(221)},
                                  {ffeHTMLCSS, LanguageText(224)},
                                  {ffeHTML, LanguageText(225)}});
  const bool converters = Converter && Filter.Contains(ffeOfficeConverters);
  return converters ? WithConverters(own, Converter->GetExportFilter()) : own;
}

bool ExportFilterIndexToFormat(const std::vector<TvlFileExportFilter>& Formats, int Index,
                               TvlFileExportFilter& Format, int* ConverterIndex) {
  return IndexToFormat(Formats, Index, Format, ffeOfficeConverters, ConverterIndex);
}

namespace {

namespace fs = std::filesystem;

std::mt19937& Random() {
  static std::mt19937 random{std::random_device{}()};
  return random;
}

}  // namespace

bool RunConversion(TVLOfficeConverter& Converter, const std::function<bool()>& Convert) {
  TProgressWindow progress(Application ? Application->GetTitle() : String(), "Converting the document\u2026");
  Converter.OnWait = [&progress] { return progress.Pump(); };
  bool ok = false;
  try {
    ok = Convert();
  } catch (...) {
    Converter.OnWait = nullptr;
    throw;
  }
  Converter.OnWait = nullptr;
  return ok;
}

void ShowConversionError(Integer ErrorCode, const String& ErrorText, Word Id) {
  switch (ErrorCode) {
    case 8: return;  // the user's own cancel
    case 3:
    case 6:
    case 7: MessageBox(ErrorText, LanguageText(213), MB_OK | MB_ICONERROR); return;
    default: MessageBox(LanguageText(Id), LanguageText(213), MB_OK | MB_ICONERROR); return;
  }
}

void ShowSaveError(const String& FileName, Word Id, const TFileWriteWatch* Watch) {
  // What the failing call reported; else what the system says of the
  // folder, where it refuses; the general reasons only when the fault lay
  // elsewhere.
  const String problem = Watch && Watch->Error() ? FileWriteReason(Watch->Path(), Watch->Error())
                                                 : FileWriteProblem(FileName);
  MessageBox(problem.empty() ? LanguageText(Id) : FileNotWrittenText(FileName, problem), LanguageText(213),
             MB_OK | MB_ICONERROR);
}

void ShowDescriptionProblem(TVLOfficeConverter& Converter) {
  const String problem = Converter.TakeDescriptionProblem();
  if (!problem.empty()) MessageBox(problem, LanguageText(213), MB_OK | MB_ICONWARNING);
}

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
  // The page is private, and so are its pictures: their folder is closed
  // to others from the start.
  if (::mkdir(folder.c_str(), 0700) != 0) return String();
  Created = true;
  return folder.filename().string();
}

TvlActionExport::TvlActionExport(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 19;
  Localize();
}

bool TvlActionExport::Export(TVLActionEditor* E, const String& Name, TvlFileExportFilter Format,
                             int ConverterIndex) {
  if (Format == ffeOfficeConverters) {
    // The converter writes the file whole or not at all itself.
    TVLOfficeConverter converter(nullptr);
    converter.ExcludeHTMLExportConverter = true;
    converter.Title = FileTitle;
    converter.OwnerOnlyCopies = true;
    const bool ok = RunConversion(converter, [&] {
      // A converter that reads lists from a web page (and not from RTF) gets
      // our plain one; its title would become a heading of the document.
      const auto page = [this, E](const String& file) {
        TVLSaveOptions options = SaveOptions;
        options.Include(vlsoConverterHints);
        return E->SaveHTML(file, String(), ImagePrefix, false, options);
      };
      return converter.ExportVL(Name, [E](TStream& s) { return E->SaveRTFToStream(s); }, ConverterIndex, page);
    });
    FConversionError = converter.ErrorCode;
    FConversionText = converter.ErrorText();
    return ok;
  }
  // Through a symbolic link its file is replaced (the page's pictures go
  // beside that).
  const String real = SaveTargetOf(Name);
  const fs::path target(real);
  // Written beside it, the owner's alone, and stays so as the target: a
  // copy of a diary is as private as a printed one.
  TCopyBeside part(real, true);
  if (part.Name().empty()) return false;
  const fs::path tmp(part.Name());
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
        folder = PrepareHTMLImageFolder(real, CreateDirectoryForHTMLImages, created);
        // Pictures are named relative to the page, with "/" on this platform.
        const String prefix = folder.empty() ? ImagePrefix : folder + "/" + ImagePrefix;
        const String title = FileTitle.empty() ? fs::path(Name).filename().string() : FileTitle;
        ok = E->SaveHTML(tmp.string(), title, prefix, Format == ffeHTMLCSS, SaveOptions);
        break;
      }
      case ffeOfficeConverters: break;
    }
  } catch (const std::exception&) {
    ok = false;
  }
  ok = ok && part.Place();
  const fs::path made = target.parent_path() / folder;
  // A folder made now goes again when the page failed, and when it stayed
  // empty (a page without pictures).
  if (created && !ok) fs::remove_all(made, ec);
  else if (created && fs::is_empty(made, ec)) fs::remove(made, ec);
  return ok;
}

namespace {

String LowerExtension(const String& Name) {
  String ext = fs::path(Name).extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  return LowerCase(ext);
}

bool MasksHold(const String& Masks, const String& Ext) {
  size_t from = 0;
  for (;;) {
    const size_t to = Masks.find(';', from);
    if (LowerCase(Trim(Masks.substr(from, to == String::npos ? String::npos : to - from))) == "*." + Ext) return true;
    if (to == String::npos) return false;
    from = to + 1;
  }
}

// The extensions our own writers' files carry.
bool OwnFormatHolds(TvlFileExportFilter Format, const String& Ext) {
  switch (Format) {
    case ffeVLF: return Ext == LowerCase(VLFDefaultExt);
    case ffeRTF: return Ext == "rtf";
    case ffeTextANSI:
    case ffeTextUnicode: return Ext == "txt";
    case ffeHTMLCSS:
    case ffeHTML: return Ext == "htm" || Ext == "html";
    default: return false;
  }
}

// A name whose extension belongs to another format we write takes that
// format: HTML written into "seam.vlf" could not be read back as one. The
// chosen format holds while the extension fits it, or when no format
// claims the extension.
void FormatOfName(const String& Name, TVLOfficeConverter& Converter, bool Converters, TvlFileExportFilter& Format,
                  int& ConverterIndex) {
  const String ext = LowerExtension(Name);
  if (ext.empty()) return;
  TVLOfficeCnvList* list = Converters ? &Converter.GetExportConverters() : nullptr;
  if (Format == ffeOfficeConverters) {
    if (list && ConverterIndex >= 0 && ConverterIndex < list->Count() &&
        MasksHold(list->GetItem(ConverterIndex)->Filter, ext))
      return;
  } else if (OwnFormatHolds(Format, ext)) {
    return;
  }
  for (TvlFileExportFilter own : {ffeVLF, ffeRTF, ffeTextANSI, ffeHTMLCSS}) {
    if (!OwnFormatHolds(own, ext)) continue;
    Format = own;
    ConverterIndex = -1;
    return;
  }
  for (int i = 0; list && i < list->Count(); ++i) {
    if (!MasksHold(list->GetItem(i)->Filter, ext)) continue;
    Format = ffeOfficeConverters;
    ConverterIndex = i;
    return;
  }
}

// A picture of the document's own, in its text or in a cell of a table at
// any depth: what a page would show as a picture.
bool HoldsPictures(TCustomVLData& Data, int Depth = 0) {
  for (Integer i = 0; i < Data.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = Data.GetItem(i);
    if (item->StyleNo == vlsBullet || item->StyleNo == vlsHotspot) return true;
    if ((item->StyleNo == vlsPicture || item->StyleNo == vlsHotPicture) && item->GetGraphic()) return true;
    if (Depth >= 64) continue;
    std::unique_ptr<TVLStoreSubVLData> state;
    for (TCustomVLData* sub = item->GetSubVLData(state, 0); sub; sub = item->GetSubVLData(state, 4))
      if (HoldsPictures(*sub, Depth + 1)) return true;
  }
  return false;
}

// A converter whose files cannot hold pictures asks before it writes a copy
// of a document that has some; true when the copy is to be written. Plain
// text is chosen for what it is and asks nothing.
bool PicturesMayBeLeftOut(TVLActionEditor* E, TVLOfficeConverter& Converter, TvlFileExportFilter Format,
                          int ConverterIndex) {
  if (Format != ffeOfficeConverters) return true;
  TVLOfficeCnvList& list = Converter.GetExportConverters();
  if (ConverterIndex < 0 || ConverterIndex >= list.Count()) return true;
  const TVLOfficeConverterInfo* info = list.GetItem(ConverterIndex);
  if (info->KeepsPictures || !E->GetVLData() || !HoldsPictures(*E->GetVLData())) return true;
  return MessageBox("The copy as " + info->Name +
                        " cannot hold the pictures of this document; they are left out.\rSave the copy anyway?",
                    LanguageText(210), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

void TvlActionExport::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  std::vector<TvlFileExportFilter> formats;
  // The installed document converters' formats follow our own (web pages
  // are ours alone).
  TVLOfficeConverter converter(nullptr);
  converter.ExcludeHTMLExportConverter = true;
  converter.ExtensionsInFilter = true;
  FConversionError = 0;
  TSaveDialog dialog(Application);
  dialog.DefaultExt = VLFDefaultExt;
  dialog.Filter = BuildSaveFilter(Filter, formats, &converter);
  ShowDescriptionProblem(converter);
  dialog.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing;
  dialog.FilterIndex = FilterIndex;
  dialog.FileName = FileName;
  dialog.Title = DialogTitle;
  if (fs::path(FileName).parent_path().empty()) dialog.InitialDir = InitialDir;
  if (!dialog.Execute()) return;
  FilterIndex = dialog.FilterIndex;
  TvlFileExportFilter format = ffeVLF;
  int converterIndex = -1;
  int* converterOf = Filter.Contains(ffeOfficeConverters) ? &converterIndex : nullptr;
  const bool known = ExportFilterIndexToFormat(formats, dialog.FilterIndex - 1, format, converterOf);
  if (known) {
    FormatOfName(dialog.FileName, converter, converterOf != nullptr, format, converterIndex);
    // The question is answered before anything is written; No writes nothing.
    TVLEditorWatch watch(E);
    if (!PicturesMayBeLeftOut(E, converter, format, converterIndex) || watch.Gone()) return;
  }
  bool ok = false;
  const TFileWriteWatch failure;
  if (known) {
    TWaitCursor wait;
    ok = Export(E, dialog.FileName, format, converterIndex);
  }
  if (!ok) {
    // The converter's own limits and a cancel say so; else the file failed.
    const bool converterStop = FConversionError == 3 || FConversionError == 6 || FConversionError == 7 ||
                               FConversionError == 8;
    if (converterStop) ShowConversionError(FConversionError, FConversionText, 216);
    else ShowSaveError(dialog.FileName, 216, &failure);
    return;
  }
  if (AutoUpdateFileName) FileName = dialog.FileName;
}

// ---------------------------------------------------------------------------

namespace {

template <typename T>
void SetLink(TComponent* self, T*& slot, T* value) {
  if (slot == value) return;
  if (slot) slot->RemoveFreeNotification(self);
  slot = value;
  if (slot) slot->FreeNotification(self);
}

const char* const NoSaveAction = "TvlActionSave object is not assigned!";
const char* const NoSaveAsAction = "TvlActionSaveAs object is not assigned!";

String NameWithoutPath(const String& FileName) { return fs::path(FileName).filename().string(); }

void ShowFileError(Word Id) { MessageBox(LanguageText(Id), LanguageText(213), MB_OK | MB_ICONERROR); }

// Whether a view outside Own (its cell editors belong to it) shows a
// document over Sheet.
bool SheetUsedBeside(TWinControl* Control, TWinControl* Own, TVLStyle* Sheet) {
  if (!Control || Control == Own) return false;
  if (auto* view = dynamic_cast<TCustomVellum*>(Control); view && view->GetStyle() == Sheet) return true;
  for (int i = 0; i < Control->ControlCount(); ++i)
    if (SheetUsedBeside(dynamic_cast<TWinControl*>(Control->Controls(i)), Own, Sheet)) return true;
  return false;
}

bool SheetShared(TVLActionEditor* E) {
  TVLStyle* sheet = E->GetStyle();
  if (!sheet || !Screen) return false;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (SheetUsedBeside(Screen->Forms(i), E->EditorControl(), sheet)) return true;
  return false;
}

// The dialog is gone; the active form shows again before the long work.
void RepaintActiveForm() {
  if (TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr) form->Update();
}

}  // namespace

bool WriteDocumentFile(TVLActionEditor* E, const String& Name, TvlFileSaveFilter Format) {
  TCopyBeside part(SaveTargetOf(Name));
  const String& tmp = part.Name();
  if (tmp.empty()) return false;
  bool ok = false;
  try {
    switch (Format) {
      case ffeVLF: ok = E->SaveVLF(tmp); break;
      case ffeRTF: ok = E->SaveRTF(tmp); break;
      case ffeTextANSI: ok = E->SaveText(tmp, false); break;
      case ffeTextUnicode: ok = E->SaveText(tmp, true); break;
      default: break;
    }
  } catch (const std::exception&) {
    ok = false;
  }
  return ok && part.Place();
}

// ---- New ------------------------------------------------------------------

TvlActionNew::TvlActionNew(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 11;
  Localize();
}

TvlActionNew::~TvlActionNew() { SetActionSave(nullptr); }

void TvlActionNew::SetActionSave(TvlActionSave* value) { SetLink(this, FActionSave, value); }

void TvlActionNew::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionSave) FActionSave = nullptr;
}

TvlActionSave* TvlActionNew::FindSaveAction() {
  TvlActionSave* save = FActionSave ? FActionSave : FindComponentOfClass<TvlActionSave>(Owner());
  if (!save) throw Exception(NoSaveAction);
  return save;
}

TVLActionEditor* TvlActionNew::Prepare(TObject* Target, TvlActionSave*& Save) {
  TVLActionEditor* E = GetControl(Target);
  Save = FindSaveAction();
  if (E && Save->IndexOfDocumentInfo(E) < 0)
    Save->SetDocumentInfo(E, DefaultDocumentFileName, ffeVLF, false, false, false);
  return E;
}

void TvlActionNew::ResetDocument(TVLActionEditor* E) {
  E->SetDocumentColor(DefaultDocumentColor);
  E->SetDocumentMargins(DefaultDocumentMargin);
  E->SetBackgroundBitmap(nullptr);
  E->SetBackgroundStyle(bsNoBitmap);
  if (OnNew) OnNew(this);
}

void TvlActionNew::AfterReplace(TVLActionEditor* E) {
  E->Format();
  FireMarginsChanged(this, E);
  // Styles this document does not use may be another's: with a sheet
  // shared by several documents, deleting and renumbering would corrupt them.
  if (DeleteUnusedStylesOnNewOpen && !SheetShared(E)) E->GetVLData()->DeleteUnusedStyles(true, true, true);
}

void TvlActionNew::ExecuteTarget(TObject* Target) {
  TvlActionSave* save = nullptr;
  TVLActionEditor* E = Prepare(Target, save);
  if (!E) return;
  TVLEditorWatch watch(E);
  if (!save->QuerySave(E) || watch.Gone()) return;
  E->ClearDocument();
  ResetDocument(E);
  AfterReplace(E);
  // An empty document has nothing to save; a kept flag would ask again.
  E->SetModified(false);
  save->SetDocumentInfo(E, DefaultDocumentFileName, ffeVLF, false, false, false);
}

// ---- Open -----------------------------------------------------------------

TvlActionOpen::TvlActionOpen(TComponent* AOwner) : TvlActionNew(AOwner) {
  MessageID = 13;
  Localize();
}

void TvlActionOpen::ExecuteTarget(TObject* Target) {
  TvlActionSave* save = nullptr;
  TVLActionEditor* E = Prepare(Target, save);
  if (!E) return;
  TVLEditorWatch watch(E);
  if (!save->QuerySave(E) || watch.Gone()) return;
  std::vector<TvlFileImportFilter> formats;
  TOpenDialog dialog(Application);
  dialog.DefaultExt = VLFDefaultExt;
  dialog.Filter = BuildOpenFilter(Filter, formats);
  dialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  dialog.FilterIndex = FilterIndex;
  dialog.InitialDir = InitialDir;
  dialog.Title = DialogTitle;
  if (!dialog.Execute() || watch.Gone()) return;
  RepaintActiveForm();
  FilterIndex = dialog.FilterIndex;
  TvlFileImportFilter format = ffiVLF;
  if (!ImportFilterIndexToFormat(formats, dialog.FilterIndex - 1, format)) return;
  LoadFile(E, dialog.FileName, format);
}

bool TvlActionOpen::LoadFile(TVLActionEditor* E, const String& FileName, TvlFileOpenFilter Format) {
  TWaitCursor wait;
  TvlActionSave* save = FindSaveAction();
  bool known = true;
  TVLDocumentFormat kind = TVLDocumentFormat::VLF;
  TvlFileSaveFilter recorded = ffeVLF;
  if (Format == ffiTextAuto)
    Format = GuessTextFileEncoding(FileName) == 1 ? ffiTextUnicode : ffiTextANSI;
  switch (Format) {
    case ffiVLF: break;
    case ffiRTF: kind = TVLDocumentFormat::RTF, recorded = ffeRTF; break;
    case ffiTextANSI: kind = TVLDocumentFormat::Text, recorded = ffeTextANSI; break;
    case ffiTextUnicode: kind = TVLDocumentFormat::UnicodeText, recorded = ffeTextUnicode; break;
    default: known = false; break;
  }
  const Integer styleNo = E->GetCurTextStyleNo();
  const Integer paraNo = E->GetCurParaStyleNo();
  // Tried aside first: a file that cannot be read must not cost the open
  // document, whose record would otherwise still point at its intact file.
  if (!known || !E->CanLoadDocument(FileName, kind, styleNo, paraNo)) {
    ShowFileError(214);
    return false;
  }
  E->ClearDocument();
  ResetDocument(E);
  E->SetCurTextStyleNo(styleNo);
  E->SetCurParaStyleNo(paraNo);
  const bool ok = E->LoadDocument(FileName, kind, styleNo, paraNo);
  if (ok) {
    E->SetModified(false);
    save->SetDocumentInfo(E, FileName, recorded, true, false, false);
  } else {
    // The file failed between the trial and the load: what is left is not
    // the old file's document, so a save must ask for a name.
    ShowFileError(214);
    E->SetModified(true);
    save->SetDocumentInfo(E, DefaultDocumentFileName, ffeVLF, false, false, false);
  }
  AfterReplace(E);
  return ok;
}

// ---- Save -----------------------------------------------------------------

TvlActionSave::TvlActionSave(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 15;
  Localize();
}

TvlActionSave::~TvlActionSave() {
  SetActionSaveAs(nullptr);
  for (const auto& info : FInfos) info->Control->RemoveFreeNotification(this);
}

void TvlActionSave::SetActionSaveAs(TvlActionSaveAs* value) { SetLink(this, FActionSaveAs, value); }

void TvlActionSave::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FActionSaveAs) FActionSaveAs = nullptr;
  std::erase_if(FInfos, [&](const auto& info) { return info->Control == AComponent; });
}

TvlActionSaveAs* TvlActionSave::FindSaveAsAction() {
  TvlActionSaveAs* saveAs = FActionSaveAs ? FActionSaveAs : FindComponentOfClass<TvlActionSaveAs>(Owner());
  if (!saveAs) throw Exception(NoSaveAsAction);
  return saveAs;
}

int TvlActionSave::IndexOfDocumentInfo(TVLActionEditor* Editor) const {
  for (size_t i = 0; i < FInfos.size(); ++i)
    if (FInfos[i]->Editor == Editor) return static_cast<int>(i);
  return -1;
}

int TvlActionSave::SetDocumentInfo(TVLActionEditor* Editor, const String& FileName, TvlFileSaveFilter FileFormat,
                                   bool HasFileName, bool SaveNow, bool NoWarning) {
  int i = IndexOfDocumentInfo(Editor);
  if (i < 0) {
    auto info = std::make_unique<TvlaDocumentInfo>();
    info->Editor = Editor;
    info->Control = Editor->EditorControl();
    info->Control->FreeNotification(this);
    FInfos.push_back(std::move(info));
    i = static_cast<int>(FInfos.size()) - 1;
  }
  TvlaDocumentInfo& info = *FInfos[static_cast<size_t>(i)];
  info.FileName = FileName;
  info.FileFormat = FileFormat;
  info.HasFileName = HasFileName;
  if (SaveNow) SaveDocument(i, NoWarning);
  else DoDocumentFileChange(i);
  return i;
}

void TvlActionSave::RemoveDocumentInfo(TVLActionEditor* Editor) {
  const int i = IndexOfDocumentInfo(Editor);
  if (i < 0) return;
  TWinControl* control = FInfos[static_cast<size_t>(i)]->Control;
  FInfos.erase(FInfos.begin() + i);
  // Another record may not hold the same control; the link goes with this one.
  control->RemoveFreeNotification(this);
}

void TvlActionSave::DoDocumentFileChange(int Index) {
  if (!OnDocumentFileChange) return;
  const TvlaDocumentInfo& info = *FInfos[static_cast<size_t>(Index)];
  OnDocumentFileChange(this, info.Editor, info.FileName, info.FileFormat, !info.HasFileName);
}

bool TvlActionSave::ConfirmFormat(const String& FileName, TvlFileSaveFilter Format) {
  if (!LostFormatWarning.Contains(Format)) return true;
  return MessageBox(FormatPattern(LanguageText(211), {NameWithoutPath(FileName)}), LanguageText(210),
                    MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool TvlActionSave::SaveDocument(int Index, bool NoWarning) {
  TvlaDocumentInfo* info = FInfos[static_cast<size_t>(Index)].get();
  TVLActionEditor* E = info->Editor;
  TVLEditorWatch watch(E);
  if (!info->HasFileName) {
    // Save As gets this very editor, not whichever has the focus.
    FindSaveAsAction()->SaveEditorAs(E, this);
    if (watch.Gone()) return false;
    const int i = IndexOfDocumentInfo(E);
    return i >= 0 && FInfos[static_cast<size_t>(i)]->HasFileName;
  }
  if (!NoWarning && !ConfirmFormat(info->FileName, info->FileFormat)) return false;
  if (watch.Gone()) return false;
  bool ok = false;
  const TFileWriteWatch failure;
  {
    TWaitCursor wait;
    ok = WriteDocumentFile(E, info->FileName, info->FileFormat);
  }
  if (ok) {
    E->SetModified(false);
  } else {
    info->HasFileName = false;
    ShowSaveError(info->FileName, 216, &failure);
  }
  DoDocumentFileChange(Index);
  return ok;
}

bool TvlActionSave::QuerySave(TVLActionEditor* Editor) {
  int i = IndexOfDocumentInfo(Editor);
  if (i < 0) i = SetDocumentInfo(Editor, DefaultDocumentFileName, ffeVLF, false, false, false);
  if (!Editor->GetModified()) return true;
  const String name = NameWithoutPath(FInfos[static_cast<size_t>(i)]->FileName);
  TVLEditorWatch watch(Editor);
  const int answer =
      MessageBox(FormatPattern(LanguageText(209), {name}), LanguageText(210), MB_YESNOCANCEL | MB_ICONQUESTION);
  if (watch.Gone()) return false;
  switch (answer) {
    case IDYES: return SaveDocument(IndexOfDocumentInfo(Editor), false);
    case IDNO: return true;
    default: return false;
  }
}

void TvlActionSave::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  const int i = IndexOfDocumentInfo(E);
  if (i < 0) FindSaveAsAction()->SaveEditorAs(E, this);
  else SaveDocument(i, false);
}

// ---- Save As --------------------------------------------------------------

TvlActionSaveAs::TvlActionSaveAs(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 17;
  Localize();
}

TvlActionSaveAs::~TvlActionSaveAs() { SetActionSave(nullptr); }

void TvlActionSaveAs::SetActionSave(TvlActionSave* value) { SetLink(this, FActionSave, value); }

void TvlActionSaveAs::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionSave) FActionSave = nullptr;
}

void TvlActionSaveAs::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* E = GetControl(Target)) SaveEditorAs(E, nullptr);
}

void TvlActionSaveAs::SaveEditorAs(TVLActionEditor* E, TvlActionSave* Save) {
  if (!Save) Save = FActionSave ? FActionSave : FindComponentOfClass<TvlActionSave>(Owner());
  if (!Save) throw Exception(NoSaveAction);
  std::vector<TvlFileExportFilter> formats;
  TSaveDialog dialog(Application);
  dialog.DefaultExt = VLFDefaultExt;
  dialog.Filter = BuildSaveFilter(Filter, formats);
  dialog.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing;
  dialog.Title = DialogTitle;
  const int i = Save->IndexOfDocumentInfo(E);
  if (i >= 0) {
    const TvlaDocumentInfo& info = Save->DocumentInfo(i);
    dialog.FileName = info.FileName;
    const auto at = std::find(formats.begin(), formats.end(), info.FileFormat);
    dialog.FilterIndex = at == formats.end() ? 1 : static_cast<int>(at - formats.begin()) + 1;
  }
  if (fs::path(dialog.FileName).parent_path().empty()) dialog.InitialDir = InitialDir;
  TVLEditorWatch watch(E);
  if (!dialog.Execute() || watch.Gone()) return;
  RepaintActiveForm();
  const int index = dialog.FilterIndex - 1;
  if (index < 0 || index >= static_cast<int>(formats.size())) return;
  const TvlFileSaveFilter format = formats[static_cast<size_t>(index)];
  if (!Save->ConfirmFormat(dialog.FileName, format) || watch.Gone()) return;
  Save->SetDocumentInfo(E, dialog.FileName, format, true, true, true);
}
