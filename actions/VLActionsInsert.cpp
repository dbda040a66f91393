#include "actions/VLActionsInsert.h"

#include "actions/ItemPropVLFrm.h"
#include "actions/SymbolVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsFile.h"
#include "platform/base/Streams.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLPictureLimits.h"
#include "richtext/model/VLUni.h"
#include "richtext/rtf/VLOfficeCnv.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No picture file larger than this is read at all.
constexpr std::streamoff MaxPictureFileBytes = 256LL << 20;

// Only a regular file is read: a named pipe or a device would hold the
// program. Refusal then says what is there instead.
bool ReadWholeFile(const String& FileName, AnsiString& Bytes, String* Refusal) {
  String why;
  const int fd = OpenRegularFile(FileName, O_RDONLY | O_CLOEXEC, 0, why);
  if (fd < 0) {
    if (Refusal) *Refusal = why;
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && st.st_size > 0 && st.st_size <= MaxPictureFileBytes;
  if (ok) {
    Bytes.resize(static_cast<size_t>(st.st_size));
    ok = ReadUpTo(fd, Bytes.data(), Bytes.size()) == Bytes.size();
  }
  ::close(fd);
  return ok;
}

bool StartsWith(const AnsiString& Bytes, std::initializer_list<unsigned char> Magic) {
  if (Bytes.size() < Magic.size()) return false;
  size_t i = 0;
  for (unsigned char m : Magic)
    if (static_cast<unsigned char>(Bytes[i++]) != m) return false;
  return true;
}

}  // namespace

std::unique_ptr<TGraphic> LoadPictureFile(const String& FileName, String* Refusal) {
  AnsiString bytes;
  if (!ReadWholeFile(FileName, bytes, Refusal) || !VLPictureWithinLimits(bytes)) return nullptr;
  try {
    std::unique_ptr<TGraphic> graphic;
    if (StartsWith(bytes, {0xFF, 0xD8, 0xFF})) graphic = CreateGraphicOfClassName("TJPEGImage");
    else if (StartsWith(bytes, {'B', 'M'})) graphic = CreateGraphicOfClassName("TBitmap");
    if (graphic) {
      TMemoryStream stream;
      stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
      stream.SetPosition(0);
      graphic->LoadFromStream(stream);
    } else {
      auto bitmap = std::make_unique<TBitmap>();
      if (!bitmap->LoadFromAnyImageBytes(bytes, std::filesystem::path(FileName).extension().string(),
                                         VLMaxPicturePixels))
        return nullptr;
      graphic = std::move(bitmap);
    }
    if (graphic->GetEmpty()) return nullptr;
    return graphic;
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::unique_ptr<TGraphic> LoadChosenPicture(const String& FileName, int Icon) {
  String refusal;
  std::unique_ptr<TGraphic> graphic = LoadPictureFile(FileName, &refusal);
  if (graphic) return graphic;
  if (!refusal.empty())
    MessageBox("The file " + FileName + " cannot be used as a picture: " + refusal + ".", LanguageText(213),
               MB_OK | Icon);
  else
    MessageBox(LanguageText(215), LanguageText(213), MB_OK | Icon);
  return nullptr;
}

void TvlActionInsertAtCaret::UpdateTarget(TObject* Target) {
  UpdateEnabledFor(Target,
                   [&](TVLActionEditor* E) { return E && !E->IsReadOnly() && !GetCaretEditor(Target)->HasActiveItem(); });
}

TvlActionInsertPicture::TvlActionInsertPicture(TComponent* AOwner) : TvlActionInsertAtCaret(AOwner) {
  MessageID = 51;
  Localize();
}

void TvlActionInsertPicture::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E || RefusedAsReadOnly(E)) return;
  TOpenPictureDialog dialog(Application);
  dialog.Filter = Filter.empty() ? PictureFileFilter() : Filter;
  dialog.Title = DialogTitle;
  dialog.DefaultExt = DefaultExt;
  dialog.Options = ofHideReadOnly | ofNoChangeDir | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  dialog.FilterIndex = FilterIndex;
  dialog.InitialDir = InitialDir;
  TVLEditorWatch watch(E);
  // The entry may have turned read-only while the dialog was open.
  if (!dialog.Execute() || watch.Gone() || RefusedAsReadOnly(E)) return;
  FilterIndex = dialog.FilterIndex;
  std::unique_ptr<TGraphic> graphic = LoadChosenPicture(dialog.FileName, MB_ICONEXCLAMATION);
  // A picture that does not load inserts nothing; a refused insertion is
  // the editor's to signal.
  if (!graphic) return;
  E->InsertPicture(StoreFileName ? dialog.FileName : String(), std::move(graphic), VAlign);
}

TvlActionInsertHLine::TvlActionInsertHLine(TComponent* AOwner) : TvlActionInsertAtCaret(AOwner) {
  MessageID = 53;
  Localize();
}

void TvlActionInsertHLine::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* E = GetControl(Target); E && !RefusedAsReadOnly(E))
    E->InsertBreak(static_cast<Byte>(std::clamp<Integer>(Width, 0, 255)), 0, Color);
}

TvlActionInsertPageBreak::TvlActionInsertPageBreak(TComponent* AOwner) : TvlAction(AOwner) {
  ChangesDocument = true;
  MessageID = 69;
  Localize();
}

void TvlActionInsertPageBreak::UpdateTarget(TObject* Target) {
  UpdateEnabledFor(Target, [&](TVLActionEditor* E) {
    return E && !E->IsReadOnly() && !E->GetInplaceEditor();
  });
}

void TvlActionInsertPageBreak::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* E = GetControl(Target); E && !RefusedAsReadOnly(E)) E->InsertPageBreak();
}

TvlActionRemovePageBreak::TvlActionRemovePageBreak(TComponent* AOwner) : TvlAction(AOwner) {
  ChangesDocument = true;
  MessageID = 71;
  Localize();
}

void TvlActionRemovePageBreak::UpdateTarget(TObject* Target) {
  UpdateEnabledFor(Target, [&](TVLActionEditor* E) {
    return E && !E->IsReadOnly() && GetCaretEditor(Target)->CaretLineHasPageBreak();
  });
}

void TvlActionRemovePageBreak::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* E = GetCaretEditor(Target); E && !RefusedAsReadOnly(GetControl(Target)))
    E->RemoveCurrentPageBreak();
}

TvlActionItemProperties::TvlActionItemProperties(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 73;
  Localize();
}

void TvlActionItemProperties::UpdateTarget(TObject* Target) {
  UpdateEnabledFor(Target, [&](TVLActionEditor* root) {
    TVLActionEditor* E = root ? GetCaretEditor(Target) : nullptr;
    TCustomVLItemInfo* item = E ? E->GetCurrentItem() : nullptr;
    bool enabled = item && (dynamic_cast<TVLGraphicItemInfo*>(item) || dynamic_cast<TVLBreakItemInfo*>(item));
    if (enabled && E->SelectionExists() && GetSingleSelectedItem(E) != item) enabled = false;
    return enabled;
  });
}

void TvlActionItemProperties::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  std::unique_ptr<TfrmVLItemProp> dlg(CreateVLForm<TfrmVLItemProp>(Application));
  dlg->ColorDialog = GetSharedColorDialog();
  dlg->GraphicFilter = GraphicFilter;
  if (!dlg->LoadItem(E)) return;
  if (dlg->ShowModal() == mrOk) dlg->ApplyItem(E);
}

namespace {

// RTF starts "{\rtf", after the byte-order mark some writers put first.
bool StartsAsRTF(const String& name) {
  String head = VLFileHead(name, 8);
  if (head.rfind("\xEF\xBB\xBF", 0) == 0) head.erase(0, 3);
  return head.rfind("{\\rtf", 0) == 0;
}

// A file whose content or extension says what it is is read as that,
// whichever of our own entries of the filter was chosen.
TvlFileImportFilter FormatOfFile(const String& name, TvlFileImportFilter chosen) {
  if (chosen == ffiOfficeConverters) return chosen;
  if (StartsAsRTF(name)) return ffiRTF;
  String ext = std::filesystem::path(name).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == ".rtf") return ffiRTF;
  if (ext == ".vlf") return ffiVLF;
  const bool text = chosen == ffiTextANSI || chosen == ffiTextUnicode || chosen == ffiTextAuto;
  if (ext == ".txt" && !text) return ffiTextAuto;
  return chosen;
}

// The converters' formats whose files are text in UTF-8; one of the user's
// description file may read anything under its extensions.
bool ConverterReadsText(const TVLOfficeConverterInfo& info) {
  if (info.Described) return false;
  const String masks = ";" + LowerCase(info.Filter) + ";";
  for (const char* mask : {";*.md;", ";*.markdown;", ";*.html;", ";*.htm;", ";*.txt;"})
    if (masks.find(mask) != String::npos) return true;
  return false;
}

enum class TTextBytes { EightBit, Utf8, Utf16 };

// Whether the file's bytes may be text of that kind: no text holds NULs or
// control characters other than tabs and line and page breaks; UTF-8 is
// well formed, UTF-16 pairs its surrogates. The first MiB tells.
bool HoldsText(const String& name, TTextBytes kind) {
  constexpr size_t Head = 1 << 20;
  AnsiString bytes = VLFileHead(name, Head);
  const bool whole = bytes.size() < Head;
  const auto control = [](unsigned c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r' && c != 0x1A; };
  if (kind == TTextBytes::Utf16) {
    if (whole && bytes.size() % 2 != 0) return false;
    bool high = false;  // a high surrogate waits for its low one
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const unsigned u = static_cast<Byte>(bytes[i]) | static_cast<Byte>(bytes[i + 1]) << 8;
      const bool low = u >= 0xDC00 && u <= 0xDFFF;
      if (control(u) || high != low) return false;
      high = u >= 0xD800 && u <= 0xDBFF;
    }
    return !high || !whole;
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  if (std::any_of(bytes.begin(), bytes.end(), [&](char c) { return control(static_cast<Byte>(c)); })) return false;
  if (kind == TTextBytes::EightBit) return true;
  // A character the cut at the end of the head split is no fault.
  if (!whole) {
    size_t end = bytes.size();
    while (end > 0 && bytes.size() - end < 3 && (static_cast<Byte>(bytes[end - 1]) & 0xC0) == 0x80) --end;
    if (end > 0 && static_cast<Byte>(bytes[end - 1]) >= 0xC0) bytes.resize(end - 1);
  }
  return IsUtf8(bytes);
}

// What the file was to be, as the messages name it.
String KindOfFile(TvlFileImportFilter kind, TVLOfficeConverter& converter, int converterIndex) {
  switch (kind) {
    case ffiVLF: return "a " + VLFFormatName + " file";
    case ffiRTF: return "an RTF file";
    case ffiOfficeConverters:
      return "a file of the kind \"" + converter.GetImportConverters().GetItem(converterIndex)->Name + "\"";
    default: return "a text file";
  }
}

// Bytes of another kind than the one chosen would come in as garbage:
// true when they may be of that kind.
bool OfKind(const String& name, TvlFileImportFilter kind, TVLOfficeConverter& converter, int converterIndex) {
  switch (kind) {
    case ffiRTF: return StartsAsRTF(name);
    case ffiTextANSI: return HoldsText(name, TTextBytes::EightBit);
    case ffiTextUnicode: return HoldsText(name, TTextBytes::Utf16);
    case ffiTextAuto:
      return HoldsText(name, GuessTextFileEncoding(name) == 1 ? TTextBytes::Utf16 : TTextBytes::EightBit);
    case ffiOfficeConverters: {
      TVLOfficeCnvList& list = converter.GetImportConverters();
      if (!list.ContentFits(name, converterIndex)) return false;
      return !ConverterReadsText(*list.GetItem(converterIndex)) || HoldsText(name, TTextBytes::Utf8);
    }
    default: return true;
  }
}

void ShowNotInserted(const String& name, const String& why) {
  MessageBox("The file " + name + " was not inserted: " + why, LanguageText(213), MB_OK | MB_ICONERROR);
}

}  // namespace

TvlActionInsertFile::TvlActionInsertFile(TComponent* AOwner) : TvlActionInsertAtCaret(AOwner) {
  MessageID = 49;
  Localize();
}

void TvlActionInsertFile::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E || RefusedAsReadOnly(E)) return;
  std::vector<TvlFileImportFilter> formats;
  TVLOfficeConverter converter(nullptr);
  converter.ExtensionsInFilter = true;
  TOpenDialog dialog(Application);
  dialog.DefaultExt = VLFDefaultExt;
  dialog.Filter = BuildOpenFilter(Filter, formats, &converter);
  ShowDescriptionProblem(converter);
  dialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  dialog.FilterIndex = FilterIndex;
  dialog.Title = DialogTitle;
  dialog.FileName = FileName;
  TVLEditorWatch watch(E);
  // The entry may have turned read-only while the dialog was open: the
  // file is not to blame.
  if (!dialog.Execute() || watch.Gone() || RefusedAsReadOnly(E)) return;
  FilterIndex = dialog.FilterIndex;
  TvlFileImportFilter format = ffiVLF;
  TvlFileImportFilter kind = ffiVLF;
  int kindIndex = -1;
  bool tried = false;
  bool ok = false;
  {
    TWaitCursor wait;
    int converterIndex = -1;
    int* converterOf = Filter.Contains(ffiOfficeConverters) ? &converterIndex : nullptr;
    if (ImportFilterIndexToFormat(formats, dialog.FilterIndex - 1, format, converterOf)) {
      const String& name = dialog.FileName;
      // Nothing but a regular file is read, not even its first bytes (a
      // named pipe would hold the program for ever).
      if (const String problem = RegularFileProblem(name); !problem.empty()) {
        ShowNotInserted(name, problem + ".");
        return;
      }
      kind = FormatOfFile(name, format);
      kindIndex = converterIndex;
      // Bytes of another kind would come in as garbage: refused, as a file
      // that cannot be read is.
      if (!OfKind(name, kind, converter, converterIndex)) {
        ShowNotInserted(name, "it is not " + KindOfFile(kind, converter, converterIndex) + ".");
        return;
      }
      tried = true;
      switch (kind) {
        case ffiVLF: ok = E->InsertVLFFromFile(name); break;
        case ffiRTF: ok = E->InsertRTFFromFile(name); break;
        case ffiTextANSI: ok = E->InsertTextFromFile(name); break;
        case ffiTextUnicode: ok = E->InsertUnicodeTextFromFile(name); break;
        case ffiTextAuto:
          ok = GuessTextFileEncoding(name) == 1 ? E->InsertUnicodeTextFromFile(name) : E->InsertTextFromFile(name);
          break;
        case ffiOfficeConverters:
          // The foreign file comes in through RTF.
          ok = RunConversion(converter, [&] { return converter.ImportRTF(name, converterIndex); });
          // The window may have gone while the converter ran.
          if (watch.Gone()) return;
          if (ok) {
            converter.Stream.SetPosition(0);
            ok = E->InsertRTFFromStream(converter.Stream);
          }
          break;
      }
    }
  }
  if (!ok) {
    E->Format();
    if (E->InsertRefusalTold()) return;
    // The converter's own limits and a cancel say so; else the file is
    // named with what it was to be.
    const Integer code = converter.ErrorCode;
    if (!tried || code == 3 || code == 6 || code == 7 || code == 8)
      ShowConversionError(code, converter.ErrorText(), 214);
    else
      ShowNotInserted(dialog.FileName, "it could not be read as " + KindOfFile(kind, converter, kindIndex) +
                                           "; it may be damaged or cut short." +
                                           (code ? " " + converter.ErrorText() : String()));
    return;
  }
  // Words of the file the converter left out are told, as a damaged table
  // of an inserted document is.
  if (kind == ffiOfficeConverters)
    if (const String lost = converter.NotReadText(); !lost.empty())
      MessageBox(lost, Application->GetTitle(), MB_OK | MB_ICONEXCLAMATION);
  if (AutoUpdateFileName) FileName = dialog.FileName;
}

TvlActionInsertSymbol::TvlActionInsertSymbol(TComponent* AOwner) : TvlActionInsertAtCaret(AOwner) {
  MessageID = 57;
  Localize();
}

Integer TvlActionInsertSymbol::SymbolStyleNo(TVLActionEditor* Editor) {
  TFontInfos& styles = *Editor->GetStyle()->TextStyles;
  const Integer current = Editor->GetCurTextStyleNo();
  auto symbol = std::make_unique<TFontInfo>(nullptr);
  symbol->Assign(styles.Items(current));
  symbol->FontName = SymbolFontName;
  symbol->Charset = SymbolCharset;
  symbol->Unicode = SymbolCharset == DEFAULT_CHARSET || AlwaysInsertUnicode;
  symbol->Protection.Include(vlprDoNotAutoSwitch);
  symbol->Standard = false;
  Integer no = styles.FindSuchStyle(current, *symbol, vlfiAll);
  if (no < 0) {
    TFontInfo* added = styles.Add();
    added->Assign(symbol.get());
    no = styles.Count() - 1;
    FireStyleAdded(this, added);
  }
  return no;
}

void TvlActionInsertSymbol::ExecuteTarget(TObject* Target) {
  if (RefusedAsReadOnly(GetControl(Target))) return;
  std::unique_ptr<TfrmVLInsertSymbol> dlg(CreateVLForm<TfrmVLInsertSymbol>(Application));
  if (HasLastSymbol) {
    dlg->Init(SymbolCharCode, SymbolFontName, SymbolCharset);
  } else if (TVLActionEditor* E = GetControl(Target); E && E->GetStyle()) {
    // The first time: the font of the text at the caret, in Unicode.
    TFontInfos& styles = *E->GetStyle()->TextStyles;
    const Integer no = E->GetCurTextStyleNo();
    if (no >= 0 && no < styles.Count()) dlg->Init(0xB7, styles.Items(no)->FontName, DEFAULT_CHARSET);
  }
  dlg->Restrict(SymbolType == vlisBoth || SymbolType == vlisUnicode,
                SymbolType == vlisBoth || SymbolType == vlisSingleByte);
  if (dlg->ShowModal() != mrOk) return;
  dlg->GetResult(SymbolCharCode, SymbolFontName, SymbolCharset);
  HasLastSymbol = true;
  TVLActionEditor* E = GetControl(Target);
  if (!E || !E->GetStyle() || RefusedAsReadOnly(E)) return;
  const Integer previous = E->GetCurTextStyleNo();
  const Integer no = SymbolStyleNo(E);
  // The character the cell showed: a code of a character set means that
  // set's character also in a Unicode style, never the UTF-16 unit of the
  // same number. The editor stores it in the style's own encoding.
  const String text = SymbolCharset == DEFAULT_CHARSET
                          ? WideToUtf8(WideString(1, static_cast<char16_t>(SymbolCharCode)))
                          : AnsiToUtf8(AnsiString(1, static_cast<char>(SymbolCharCode & 0xFF)),
                                       CharsetToCodePage(SymbolCharset));
  E->SetCurTextStyleNo(no);
  try {
    E->InsertText(text, false);
  } catch (...) {
    E->SetCurTextStyleNo(previous);
    throw;
  }
  E->SetCurTextStyleNo(previous);
}
