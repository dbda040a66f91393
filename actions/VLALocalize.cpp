#include "actions/VLALocalize.h"

#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"

#include <memory>
#include <vector>

// The generated tables (lang/*.rows).
extern const char* const VLAL_EngUS[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Rus[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Sv[VLA_MESSAGE_COUNT];
extern const char* const VLAL_NorBok[VLA_MESSAGE_COUNT];
extern const char* const VLAL_De[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Ita[VLA_MESSAGE_COUNT];
extern const char* const VLAL_FR[VLA_MESSAGE_COUNT];
extern const char* const VLAL_PtBr[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Czech[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Dutch[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Slovak[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Persian[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Lith[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Esp[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Ukr[VLA_MESSAGE_COUNT];

namespace {

struct TRegistry {
  std::unique_ptr<std::vector<TVLALanguageInfo>> List;
  int Current = 0;  // 0 before any registration, -1 after shut-down
  int InitCount = 0;
  bool Initialized = false;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

struct TLanguageTable {
  const char* Name;
  Byte Charset;
  TVLAMessages Messages;
};

// The start-up order of the language tables: English (US) first.
const TLanguageTable kLanguageTables[] = {
    {"English (US)", ANSI_CHARSET, VLAL_EngUS},
    {"Russian", RUSSIAN_CHARSET, VLAL_Rus},
    {"Svenska", ANSI_CHARSET, VLAL_Sv},
    {"Norsk (Bokm\xE5l)", ANSI_CHARSET, VLAL_NorBok},
    {"German", ANSI_CHARSET, VLAL_De},
    {"Italian", ANSI_CHARSET, VLAL_Ita},
    {"Francais", ANSI_CHARSET, VLAL_FR},
    {"Portuguese (Brazilian)", ANSI_CHARSET, VLAL_PtBr},
    {"Czech", EASTEUROPE_CHARSET, VLAL_Czech},
    {"Dutch (NL)", ANSI_CHARSET, VLAL_Dutch},
    {"Slovak", EASTEUROPE_CHARSET, VLAL_Slovak},
    {"Persian", ARABIC_CHARSET, VLAL_Persian},
    {"Lithuanian", BALTIC_CHARSET, VLAL_Lith},
    {"Spanish", ANSI_CHARSET, VLAL_Esp},
    {"Ukrainian", RUSSIAN_CHARSET, VLAL_Ukr},
};

const TVLALanguageInfo* Current() {
  TRegistry& r = Registry();
  if (!r.Initialized) InitializeLanguages();
  if (!r.List || r.Current < 0 || r.Current >= static_cast<int>(r.List->size())) return nullptr;
  return &(*r.List)[static_cast<size_t>(r.Current)];
}

}  // namespace

void RegisterLanguage(const TVLALanguageName& Name, Byte Charset, TVLAMessages Messages, const String& HelpFile) {
  TRegistry& r = Registry();
  if (!r.List) r.List = std::make_unique<std::vector<TVLALanguageInfo>>();
  r.List->push_back(TVLALanguageInfo{Name, Charset, Messages, HelpFile});
  if (r.Current < 0) r.Current = static_cast<int>(r.List->size()) - 1;
}

void SwitchLanguage(const TVLALanguageName& Name) {
  TRegistry& r = Registry();
  // A switch before any lookup still finds the languages of the start-up.
  if (!r.Initialized) InitializeLanguages();
  if (r.List)
    for (size_t i = 0; i < r.List->size(); ++i)
      if ((*r.List)[i].Name == Name) {
        r.Current = static_cast<int>(i);
        return;
      }
  throw Exception("Invalid language: " + AnsiToUtf8(Name, 1252));
}

const char* GetLanguagePChar(Word Id) {
  const TVLALanguageInfo* info = Current();
  if (!info || !info->Messages || Id >= VLA_MESSAGE_COUNT || !info->Messages[Id]) return "";
  return info->Messages[Id];
}

AnsiString GetLanguageString(Word Id) { return GetLanguagePChar(Id); }

AnsiString GetLanguageStringPadded(Word Id) {
  AnsiString s = GetLanguageString(Id);
  if (s.size() > 255) s.resize(255);
  return " " + s + " ";
}

Byte GetLanguageCharset() {
  const TVLALanguageInfo* info = Current();
  return info ? info->Charset : DEFAULT_CHARSET;
}

String GetLanguageHelpFile() {
  const TVLALanguageInfo* info = Current();
  return info ? info->HelpFile : String();
}

namespace {
String ToUtf8(const AnsiString& s) { return AnsiToUtf8(s, CharsetToCodePage(GetLanguageCharset())); }
}  // namespace

String LanguageText(Word Id) { return ToUtf8(GetLanguageString(Id)); }
String LanguageTextPadded(Word Id) { return ToUtf8(GetLanguageStringPadded(Id)); }

AnsiString FormatPattern(const AnsiString& Pattern, std::initializer_list<TVLAFormatArg> Args) {
  AnsiString out;
  auto arg = Args.begin();
  for (size_t i = 0; i < Pattern.size(); ++i) {
    char c = Pattern[i];
    char next = i + 1 < Pattern.size() ? Pattern[i + 1] : '\0';
    if (c != '%' || (next != 's' && next != 'd' && next != '%')) {
      out += c;
      continue;
    }
    ++i;
    if (next == '%') {
      out += '%';
      continue;
    }
    if (arg == Args.end()) throw EConvertError("Format '" + Pattern + "' has more placeholders than arguments");
    if (next == 's') {
      const AnsiString* s = std::get_if<AnsiString>(&*arg);
      if (!s) throw EConvertError("Format '" + Pattern + "': %s needs a text");
      out += *s;
    } else {
      const Integer* n = std::get_if<Integer>(&*arg);
      if (!n) throw EConvertError("Format '" + Pattern + "': %d needs a number");
      out += std::to_string(*n);
    }
    ++arg;
  }
  if (arg != Args.end()) throw EConvertError("Format '" + Pattern + "' has fewer placeholders than arguments");
  return out;
}

AnsiString FormatLanguageString(Word Id, std::initializer_list<TVLAFormatArg> Args) {
  return FormatPattern(GetLanguageString(Id), Args);
}

String FormatLanguageText(Word Id, std::initializer_list<TVLAFormatArg> Args) {
  // The arguments are UTF-8 already: only the table's pattern needs converting.
  return FormatPattern(LanguageText(Id), Args);
}

TVLSearchOptions FindOptionsToSearchOptions(int Options) {
  TVLSearchOptions result;
  if (Options & frMatchCase) result.Include(vlseoMatchCase);
  if (Options & frDown) result.Include(vlseoDown);
  if (Options & frWholeWord) result.Include(vlseoWholeWord);
  return result;
}

int LanguageCount() {
  Current();
  TRegistry& r = Registry();
  return r.List ? static_cast<int>(r.List->size()) : 0;
}

const TVLALanguageInfo& LanguageInfo(int Index) {
  TRegistry& r = Registry();
  if (!r.List || Index < 0 || Index >= static_cast<int>(r.List->size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return (*r.List)[static_cast<size_t>(Index)];
}

int CurrentLanguageIndex() {
  Current();
  return Registry().Current;
}

void InitializeLanguages() {
  TRegistry& r = Registry();
  r.Initialized = true;
  if (r.InitCount++ != 0) return;
  for (const TLanguageTable& t : kLanguageTables) RegisterLanguage(t.Name, t.Charset, t.Messages, "");
  SwitchLanguage("English (US)");
}

void FinalizeLanguages() {
  TRegistry& r = Registry();
  r.Initialized = true;
  if (r.InitCount > 0 && --r.InitCount != 0) return;
  r.List.reset();
  r.Current = -1;
}
