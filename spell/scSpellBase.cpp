#include "spell/scSpellBase.h"

#include "platform/base/FindFiles.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/FormMonitor.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "spell/scCustomDictionary.h"
#include "spell/scIgnore.h"
#include "spell/scMainDictionary.h"
#include "spell/scParseEngine.h"
#include "spell/scPhoneticsMap.h"
#include "spell/scStringParser.h"
#include "spell/scSuggestions.h"
#include "spell/scUtil.h"
#include "spell/scWinAPIParser.h"
#include "spell/scWordCache.h"

#include <algorithm>
#include <limits>
#include <bit>
#include <set>
#include <typeinfo>
#include <sys/stat.h>
#include <chrono>
#include <climits>
#include <cmath>

namespace {
bool HasSlash(const String& s) { return s.find_first_of("/\\") != String::npos; }

String JoinPath(String folder, const String& name) {
  while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder + "/" + name;
}

int64_t TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The most dictionary words a weak suggestion list takes in, and what
// sounding as typed takes off a candidate's cost (SuggestionCost's tenths).
constexpr size_t kNearWords = 200;
// Up to so many words added to the custom dictionaries, they join the set a
// suggestion's single edits are first compared with (see BuildPlainSuggestions).
constexpr size_t kFewAddedWords = 2000;
constexpr int kSoundsAlike = 3;
// Where no candidate comes within two slips, one that sounds as typed, the
// whole word (MakeSoundKey), gains more: there the sound is what the typist
// kept.
constexpr int kFarCost = 25, kFarSoundsAlike = 8;

// A word that sounds as typed is offered when the near words two edits out
// do not hold it, within half the longer word's letters in edits (the
// typed word's half would keep out a longer spelling of the same sound:
// "criteak", "critique") and the phonetic maximum; beyond that maximum only
// into a list with room left ("ekspeeriens", "experience"), where it can
// push out no other word.
enum class TSoundReach { None, Near, Far };
TSoundReach SoundReach(const AnsiString& Typed, const AnsiString& Candidate, int MaxDistance) {
  const int longer = static_cast<int>(std::max(Typed.size(), Candidate.size()));
  const int distance = EditDistance(Typed, Candidate);
  if (distance <= 2 || distance > longer / 2) return TSoundReach::None;
  return distance <= MaxDistance ? TSoundReach::Near : TSoundReach::Far;
}

TObject* ScoreObject(intptr_t score) { return reinterpret_cast<TObject*>(score); }
intptr_t ScoreOf(const TStrings& l, int i) { return reinterpret_cast<intptr_t>(l.Objects(i)); }

// A number under the fixed locale: digits with an optional sign, decimal
// separator and exponent; no "inf", "nan" or hexadecimal forms.
bool IsNumber(const AnsiString& w) {
  if (w.empty()) return false;
  for (char c : w)
    if (!((c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-' || c == '+' || c == 'e' ||
          c == 'E'))
      return false;
  double v = 0;
  return TryStrToFloat(w, v) && std::isfinite(v);
}
}  // namespace

// ---------------------------------------------------------------------------
// Construction

TSpellCheckerBase::TSpellCheckerBase(TComponent* AOwner)
    : TComponent(AOwner),
      FInternal(std::make_unique<TCustomDictionary>()),
      FGenerator(std::make_unique<TSuggestionsGenerator>()),
      FPhonetics(std::make_unique<TPhoneticsMap>()),
      FParsingEngine(std::make_unique<TMainParsingEngine>()),
      FConfig(std::make_unique<TSpellConfig>()) {
  ConnectFilters(*FParsingEngine);
  FConfig->Engine = this;
  // Writable dictionaries go to the first folder: the user's data folder;
  // the program's folder holds the main dictionaries.
  ConfigDictionaryDir.Add("%AppData%/%AppName%");
  ConfigDictionaryDir.Add("%AppDir%");
  ConfigDictionaryDir.OnChange = [this](TObject* s) { DictionaryDirChange(s); };
  FDirs.Assign(&ConfigDictionaryDir);
  ConfigDefaultMain.Add("American.spm");
  FOptionsListeners = std::make_unique<TEventList>();
  FConfigListeners = std::make_unique<TEventList>();
  FIgnoreListeners = std::make_unique<TEventList>();
  FPopupListeners = std::make_unique<TEventList>();
}

TSpellCheckerBase::~TSpellCheckerBase() {
  ConfigDictionaryDir.OnChange = nullptr;
  FInternal.reset();
  FGenerator.reset();
  FPhonetics.reset();
  FParsingEngine.reset();
  FMain.clear();
  FCustom.clear();
  FWordDicts.clear();
  FActiveCustom.reset();
  FMapping.reset();
  FLearning.reset();
  FParserFilters.clear();
  FLineFilters.clear();
  FCharFilters.clear();
  FFilters.clear();
  FConfig->Save();
  FConfig->Engine = nullptr;
  FConfig.reset();
  FUndo.clear();
}

String TSpellCheckerBase::Version() const {
  String v;
  GetLibraryVersion(v);
  return v;
}

void TSpellCheckerBase::SetParsingEngine(TMainParsingEngine* Engine) {
  if (!Engine) return;
  FParsingEngine.reset(Engine);
  ConnectFilters(*FParsingEngine);
  ApplyOptions(true);
}

void TSpellCheckerBase::SetSuggestionsGenerator(TSuggestionsGenerator* Generator) {
  if (Generator) FGenerator.reset(Generator);
}

void TSpellCheckerBase::SetPhoneticsMap(TPhoneticsMap* Map) {
  if (Map) FPhonetics.reset(Map);
}

// ---------------------------------------------------------------------------
// Property writers

void TSpellCheckerBase::SetConfigStorage(TConfigStorage Value) {
  ConfigStorage = Value;
  FConfig->Reload();
}

void TSpellCheckerBase::SetConfigID(const String& Value) {
  ConfigID = Value;
  FConfig->Reload();
}

void TSpellCheckerBase::SetConfigFilename(const String& Value) {
  ConfigFilename = Value;
  if (ConfigStorage == csFile) FConfig->Reload();
}

void TSpellCheckerBase::SetConfigRegistryKey(const String& Value) {
  ConfigRegistryKey = Value;
  if (ConfigStorage == csRegistry) FConfig->Reload();
}

void TSpellCheckerBase::SetConfigDictionaryDir(const TStrings& Value) {
  auto handler = std::move(ConfigDictionaryDir.OnChange);
  ConfigDictionaryDir.OnChange = nullptr;
  ConfigDictionaryDir.Assign(&Value);
  ConfigDictionaryDir.OnChange = std::move(handler);
  FDirs.Assign(&ConfigDictionaryDir);
  if (FConfig->Active) FDirs.AddStrings(FConfig->NewPaths);
  FMainFiles.Clear();
  FCustomFiles.Clear();
  FWordFiles.Clear();
}

void TSpellCheckerBase::DictionaryDirChange(TObject* Sender) { ConfigurationChanged(true); }

void TSpellCheckerBase::SetQuoteChars(const AnsiString& Value) {
  FQuoteChars = Value;
  ApplyOptions(true);
}

void TSpellCheckerBase::SetKeepDictionariesActive(bool Value) {
  FKeepActive = Value;
  if (!Value) CloseDictionaries();
}

void TSpellCheckerBase::SetPhoneticMaxDistance(int Value) { FPhonetics->MaxDistance = Value; }
void TSpellCheckerBase::SetPhoneticDivisor(int Value) { FPhonetics->Divisor = Value; }
void TSpellCheckerBase::SetPhoneticDepth(int Value) { FPhonetics->SetPrefixDepth(Value); }
int TSpellCheckerBase::GetPhoneticMaxDistance() const { return FPhonetics->MaxDistance; }
int TSpellCheckerBase::GetPhoneticDivisor() const { return FPhonetics->Divisor; }
int TSpellCheckerBase::GetPhoneticDepth() const { return FPhonetics->PrefixDepth(); }

void TSpellCheckerBase::SetMappingDictionaryName(const String& Value) {
  if (Value == FMappingName) return;
  FMappingName = Value;
  FMapping.reset();
  if (!FMain.empty()) OpenDictionaries();
}

void TSpellCheckerBase::SetSuggestionsLearning(bool Value) {
  if (Value == FSuggestionsLearning) return;
  FLearning.reset();
  FSuggestionsLearning = Value;
  if (Value && FConfig->Active) OpenDictionaries();
}

void TSpellCheckerBase::SetSuggestionsLearningDict(const String& Value) {
  if (Value == FSuggestionsLearningDict) return;
  FSuggestionsLearningDict = Value;
  if (FLearning && FSuggestionsLearning) {
    FLearning.reset();
    OpenDictionaries();
  }
}

// ---------------------------------------------------------------------------
// Paths and texts

void TSpellCheckerBase::ExpandConfigID(const String& Path, String& Result) {
  ReplaceMacro("%ConfigID%", ExpandPathMacros(ConfigID), Path, Result);
}

void TSpellCheckerBase::ExpandPath(const String& Path, String& Result) {
  String r;
  ExpandPathMacros(Path, r);
  ExpandConfigID(r, Result);
}

String TSpellCheckerBase::ExpandPath(const String& Path) {
  String r;
  ExpandPath(Path, r);
  return r;
}

void TSpellCheckerBase::GetString(TSpellLanguageString LanguageString, String& Text) {
  Text = GetSpellLanguageString(LanguageString, UILanguage);
  if (OnGetString) OnGetString(this, LanguageString, Text);
}

String TSpellCheckerBase::GetString(TSpellLanguageString LanguageString) {
  String t;
  GetString(LanguageString, t);
  return t;
}

void TSpellCheckerBase::DoConfigReadString(const String& ID, const String& Key,
                                           const String& Default, String& Value) {
  Value = Default;
  if (OnConfigReadString) OnConfigReadString(this, ID, Key, Default, Value);
}

void TSpellCheckerBase::DoConfigWriteString(const String& ID, const String& Key,
                                            const String& Value) {
  if (OnConfigWriteString) OnConfigWriteString(this, ID, Key, Value);
}

void TSpellCheckerBase::DoConfigLoaded() {
  if (OnConfigLoaded) OnConfigLoaded(this);
}

void TSpellCheckerBase::DoConfigSaved() {
  if (OnConfigSaved) OnConfigSaved(this);
}

// ---------------------------------------------------------------------------
// Dictionaries

int TSpellCheckerBase::GetLanguage() { return FMain.empty() ? 0 : FMain.front()->Language(); }

std::unique_ptr<TMainDictionary> TSpellCheckerBase::OpenMainDictionary(const String& Name) {
  auto d = std::make_unique<TMainDictionary>();
  String path;
  String refused;
  if (!HasSlash(Name)) {
    for (int i = 0; i < FDirs.Count(); ++i) {
      // The folder is the program's and may hold macros; the name is a
      // plain file name, "%" and all.
      String candidate = JoinPath(ExpandPath(FDirs[i]), Name);
      d->Open(candidate);
      if (d->FileName() == candidate) {
        path = candidate;
        break;
      }
      if (refused.empty() && FileExists(candidate)) refused = candidate;
    }
  } else {
    path = ExpandPath(Name);
    d->Open(path);
    if (d->FileName() != path && FileExists(path)) refused = path;
  }
  if (path.empty() || d->FileName() != path) {
    if (!refused.empty()) DictionaryRefused(refused);
    return nullptr;
  }
  return d;
}

std::unique_ptr<TCustomDictionary> TSpellCheckerBase::MakeCustomDictionary() {
  std::unique_ptr<TCustomDictionary> d;
  if (OnCreateCustomDictionary) OnCreateCustomDictionary(this, d);
  if (!d) d = std::make_unique<TCustomDictionary>();
  return d;
}

std::unique_ptr<TCustomDictionary> TSpellCheckerBase::OpenCustomDictionary(const String& Name) {
  if (Name.empty()) return nullptr;
  auto d = MakeCustomDictionary();
  String path;
  if (HasSlash(Name)) {
    path = ExpandPath(Name);
    ForcePrivateFolder(ExtractFileDir(path));
  } else {
    String first;
    for (int i = 0; i < FDirs.Count(); ++i) {
      const String dir = ExpandPath(FDirs[i]);
      ForcePrivateFolder(dir);
      String candidate = JoinPath(dir, Name);
      if (first.empty()) first = candidate;
      if (FileExists(candidate)) {
        path = candidate;
        break;
      }
    }
    if (path.empty()) path = first;
  }
  if (path.empty()) return nullptr;
  // Another open object of the same file writes its changes first, so this
  // one reads the file as it is.
  for (auto& c : FCustom)
    if (c->FileName() == path) c->Save();
  if (FActiveCustom && FActiveCustom->FileName() == path) FActiveCustom->Save();
  if (!d->SetFileName(path) || d->FileName() != path) {
    // A user's file that is not a dictionary is left alone, and named; so
    // is what is no file at all in its place (a named pipe, a folder).
    if (struct stat st {}; ::stat(path.c_str(), &st) == 0) DictionaryRefused(path);
    return nullptr;
  }
  return d;
}

void TSpellCheckerBase::DictionaryRefused(const String& FileName) {
  FRefusedOne = true;
  FRefusedForNow = TooLargeToRead(FileName);
  if (OnDictionaryRefused) OnDictionaryRefused(this, FileName);
}

std::unique_ptr<TCustomDictionary> TSpellCheckerBase::OpenMSWordDictionary(const String& FileName) {
  if (!FileExists(FileName)) return nullptr;
  if (TooLargeToRead(FileName)) {
    DictionaryRefused(FileName);
    return nullptr;
  }
  TStringList lines;
  try {
    lines.LoadFromFile(FileName);
  } catch (const Exception&) {
    lines.Clear();
  }
  auto d = MakeCustomDictionary();
  for (int i = 0; i < lines.Count(); ++i) d->AddWord(lines[i]);
  return d;
}

TStrings* TSpellCheckerBase::GetMSWordCustomDictionaries() {
  // The word processor's dictionary list lives in a registry that this
  // platform does not have; the list stays empty.
  return &FWordFiles;
}

void TSpellCheckerBase::FindDictionaryFiles(const String& Ext, TStrings& List) {
  FConfig->SetActive(true);
  for (int i = 0; i < FDirs.Count(); ++i) {
    TSearchRec f;
    for (int r = FindFirst(ExpandPath(JoinPath(FDirs[i], "*." + Ext)), 0, f); r == 0;
         r = FindNext(f))
      List.Add(f.Name);
    FindClose(f);
  }
  for (int i = List.Count() - 1; i > 0; --i)
    for (int j = 0; j < i; ++j)
      if (List[j] == List[i]) {
        List.Delete(i);
        break;
      }
}

TStrings* TSpellCheckerBase::GetMainDictionaryFiles() {
  if (FMainFiles.Count() == 0) FindDictionaryFiles("spm", FMainFiles);
  return &FMainFiles;
}

TStrings* TSpellCheckerBase::GetCustomDictionaryFiles() {
  if (FCustomFiles.Count() == 0) {
    FindDictionaryFiles("spu", FCustomFiles);
    const String active = FConfig->GetActiveCustom();
    if (!active.empty() && FCustomFiles.IndexOf(active) < 0) FCustomFiles.Insert(0, active);
  }
  return &FCustomFiles;
}

void TSpellCheckerBase::OpenDictionaries() {
  FPossessive = false;
  FReorderCountdown = 100;
  FMain.clear();
  // A file that is there and refused (damaged, no dictionary) leaves the
  // settings: kept, it would be named again at every start. One that is
  // missing stays, its folder may come back; so does one refused for its
  // size: the user's words are in it, and it is used again once it is back
  // in order.
  auto prune = [this](TStringList& list, int& i) {
    if (!FRefusedOne || FRefusedForNow) return;
    list.Delete(i--);
    FConfig->Modified = true;
  };
  TStringList& mains = FConfig->GetMainDictionaries();
  for (int i = 0; i < mains.Count(); ++i) {
    FRefusedOne = false;
    if (auto d = OpenMainDictionary(mains[i])) {
      if ((d->Language() & 0xFF) == 9) FPossessive = true;
      FMain.push_back(std::move(d));
    } else {
      prune(mains, i);
    }
  }
  FCustom.clear();
  const String active = FConfig->GetActiveCustom();
  TStringList& customs = FConfig->GetCustomDictionaries();
  for (int i = 0; i < customs.Count(); ++i) {
    FRefusedOne = false;
    if (customs[i] == active) continue;
    if (auto d = OpenCustomDictionary(customs[i]))
      FCustom.push_back(std::move(d));
    else
      prune(customs, i);
  }
  FWordDicts.clear();
  TStringList& words = FConfig->GetMSWordDictionaries();
  for (int i = 0; i < words.Count(); ++i)
    if (auto d = OpenMSWordDictionary(words[i])) FWordDicts.push_back(std::move(d));
  FActiveCustom.reset();
  FRefusedOne = false;
  FActiveCustom = OpenCustomDictionary(FConfig->ActiveCustom);
  if (!FActiveCustom && FRefusedOne && !FRefusedForNow) {
    if (int i = customs.IndexOf(FConfig->ActiveCustom); i >= 0) customs.Delete(i);
    FConfig->ActiveCustom.clear();
    FConfig->Modified = true;
  }
  if (!FMapping && !FMappingName.empty()) FMapping = OpenCustomDictionary(FMappingName);
  if (!FLearning && FSuggestionsLearning) {
    FLearning = OpenCustomDictionary(FSuggestionsLearningDict);
    if (FLearning) DropMisencodedEntries(*FLearning);
  }
  if (OnDictionariesChanged) OnDictionariesChanged(this);
}

void TSpellCheckerBase::DropMisencodedEntries(TCustomDictionary& Dictionary) {
  // Offered first, such an entry would put the damage back in the text.
  std::vector<AnsiString> words, pairs;
  AnsiString w, r;
  for (int i = 0; i < Dictionary.GetAddedCount(); ++i) {
    Dictionary.GetAddedWord(i, w);
    if (IsMisencodedWord(w)) words.push_back(w);
  }
  for (int i = 0; i < Dictionary.GetAutoCorrectCount(); ++i) {
    Dictionary.GetAutoCorrect(i, r, w);
    if (IsMisencodedWord(w) || IsMisencodedWord(r)) pairs.push_back(w);
  }
  for (const AnsiString& x : words) Dictionary.RemoveWord(x);
  for (const AnsiString& x : pairs) Dictionary.RemoveAutoCorrect(x);
  if (!words.empty() || !pairs.empty()) Dictionary.Save();
}

void TSpellCheckerBase::ReorderMainDictionaries() {
  if (FMain.size() > 1) {
    size_t best = 0;
    for (size_t i = 1; i < FMain.size(); ++i)
      if (FMain[i]->Usage() > FMain[best]->Usage()) best = i;
    if (best != 0) {
      auto d = std::move(FMain[best]);
      FMain.erase(FMain.begin() + static_cast<long>(best));
      FMain.insert(FMain.begin(), std::move(d));
    }
  }
  if (!FMain.empty()) {
    FGenerator->SetLanguage(FMain.front()->Language());
    FParsingEngine->SetApostropheSplits((FGenerator->Language() & 0xFF) == 12);
  }
}

void TSpellCheckerBase::CloseDictionaries() {
  if (FKeepActive || FCheckRunning) return;
  FConfig->Save();
  for (auto& d : FMain) d->SetActive(false);
  if (FActiveCustom) FActiveCustom->SetActive(false);
  for (auto& d : FCustom) d->SetActive(false);
  if (FLearning) FLearning->SetActive(false);
}

void TSpellCheckerBase::ConfigurationChanged(bool Reload) {
  FDirs.Assign(&ConfigDictionaryDir);
  FDirs.AddStrings(FConfig->NewPaths);
  FMainFiles.Clear();
  FCustomFiles.Clear();
  FWordFiles.Clear();
  if (Reload) {
    const String before = FActiveCustom ? FActiveCustom->FileName() : String();
    OpenDictionaries();
    if (!FActiveCustom || FActiveCustom->FileName() != before) ClearUndo();
  }
  ApplyOptions(false);
  if (OnConfigChanged) OnConfigChanged(this);
  FConfigListeners->Fire(this);
}

void TSpellCheckerBase::SetCustomDictionaryListed(const String& Name, bool Listed) {
  TStringList& list = FConfig->GetCustomDictionaries();
  const int i = list.IndexOf(Name);
  if (i >= 0) {
    if (Listed) return;
    list.Delete(i);
    if (Name == FConfig->ActiveCustom)
      FConfig->SetActiveCustom(list.Count() > 0 ? list[0] : String());
    return;
  }
  // Only a name the settings file gives back unchanged is listed in it.
  if (Listed && IsStorableDictionaryName(Name) && OpenCustomDictionary(Name)) list.Add(Name);
}

void TSpellCheckerBase::SetMSWordDictionaryListed(const String& FileName, bool Listed) {
  TStringList& list = FConfig->GetMSWordDictionaries();
  const int i = list.IndexOf(FileName);
  if (i >= 0) {
    if (!Listed) list.Delete(i);
    return;
  }
  if (Listed && FileExists(FileName)) list.Add(FileName);
}

void TSpellCheckerBase::DeleteCustomDictionary(const String& Name) {
  SetCustomDictionaryListed(Name, false);
  FCustomFiles.Clear();
  if (auto d = OpenCustomDictionary(Name)) {
    const String path = d->FileName();
    d->SetModified(false);
    d.reset();
    if (FileExists(path)) DeleteFile(path);
  }
}

bool TSpellCheckerBase::NewCustomDictionary(const String& Name) {
  const String file = CustomDictionaryFileName(Name);
  if (file.empty()) return false;
  auto d = OpenCustomDictionary(file);
  if (!d) return false;
  d->SetActive(true);
  d->SetModified(true);
  if (!d->Save()) return false;
  d.reset();
  TStringList& list = FConfig->GetCustomDictionaries();
  if (list.IndexOf(file) < 0) list.Add(file);
  FCustomFiles.Clear();
  return true;
}

bool TSpellCheckerBase::RenameCustomDictionary(const String& OldName, const String& NewName) {
  const String newFile = CustomDictionaryFileName(NewName);
  if (newFile.empty() || OldName == newFile || GetCustomDictionaryFiles()->IndexOf(OldName) < 0)
    return false;
  auto d = OpenCustomDictionary(OldName);
  if (!d) return false;
  const String oldPath = d->FileName();
  const String newPath = ExtractFilePath(oldPath) + newFile;
  if (FileExists(newPath) || !CanCreateFile(newPath, true)) return false;
  d->SetActive(true);
  d->SetModified(true);
  if (!d->Save()) return false;
  d.reset();
  if (!RenameFile(oldPath, newPath)) return false;
  TStringList& list = FConfig->GetCustomDictionaries();
  const bool wasActive = FConfig->ActiveCustom == OldName;
  // An unticked dictionary stays unticked under its new name.
  if (int i = list.IndexOf(OldName); i >= 0) {
    list.Delete(i);
    list.Insert(i, newFile);
  }
  if (wasActive) FConfig->SetActiveCustom(newFile);
  FCustomFiles.Clear();
  return true;
}

// ---------------------------------------------------------------------------
// Options, filters and acceptance

void TSpellCheckerBase::ApplyOptions(bool Force) {
  const TSpellOptions options = FConfig->GetOptions();
  if (options == FAppliedOptions && !Force) return;
  FAppliedOptions = options;
  ClearParserIgnores();
  if (options.Contains(soInternet)) AddParserIgnore(new TURLIgnore);
  if (options.Contains(soUpcase)) AddParserIgnore(new TUppercaseWordIgnore);
  if (options.Contains(soNumbers)) AddParserIgnore(new TNumbersIgnore);
  if (options.Contains(soHTML)) AddParserIgnore(new THTMLIgnore);
  if (options.Contains(soQuoted)) AddParserIgnore(new TQuotedLineIgnore(FQuoteChars));
  if (options.Contains(soAbbreviations)) AddParserIgnore(new TAbbreviationsIgnore);
  FPrimaryOnly = options.Contains(soPrimaryOnly);
  FRepeatedTest = options.Contains(soRepeated);
  FDualCaps = options.Contains(soDUalCaps);
  FLiveSpelling = options.Contains(soLiveSpelling);
  FLiveCorrect = options.Contains(soLiveCorrect);
  if (OnAddCustomIgnore) OnAddCustomIgnore(this);
  FOptionsListeners->Fire(this);
}

void TSpellCheckerBase::AddParserIgnore(TParserIgnore* Filter) {
  if (!Filter) return;
  FFilters.emplace_back(Filter);
  if (Filter->HasParserIgnore()) FParserFilters.push_back(Filter);
  if (Filter->HasLineIgnore()) FLineFilters.push_back(Filter);
  if (Filter->HasParserIgnore() && Filter->HasCharIgnore()) FCharFilters.push_back(Filter);
  if (FParsingEngine) ConnectFilters(*FParsingEngine);
}

void TSpellCheckerBase::ClearParserIgnores() {
  FParserFilters.clear();
  FLineFilters.clear();
  FCharFilters.clear();
  FFilters.clear();
  if (FParsingEngine) ConnectFilters(*FParsingEngine);
}

void TSpellCheckerBase::ConnectFilters(TParsingEngine& Engine) {
  Engine.OnCharFilter = nullptr;
  if (!FCharFilters.empty())
    Engine.OnCharFilter = [this](char c, TControlParser* p, bool& s) { CharFilter(c, p, s); };
  Engine.OnWordFilter = [this](const AnsiString& w, TControlParser* p, bool& s) {
    WordFilter(w, p, s);
  };
  for (int c = 0; c < 256; ++c) {
    bool asked = false;
    for (TParserIgnore* f : FParserFilters) asked = asked || f->IgnoresWordBefore(static_cast<char>(c));
    Engine.WordFilterAfter[static_cast<size_t>(c)] = asked;
  }
}

void TSpellCheckerBase::CharFilter(char Ch, TControlParser* Parser, bool& Skip) {
  for (TParserIgnore* f : FCharFilters)
    if (f->IgnoreFromChar(Ch, Parser)) {
      Skip = true;
      return;
    }
}

void TSpellCheckerBase::WordFilter(const AnsiString& Word, TControlParser* Parser, bool& Skip) {
  for (TParserIgnore* f : FParserFilters)
    if (f->IgnoreFromWord(Word, Parser)) {
      Skip = true;
      return;
    }
}

bool TSpellCheckerBase::IgnoreWordByFilters(const AnsiString& Word, TControlParser* Parser) {
  for (auto& f : FFilters)
    if (f->IgnoreWord(Word, Parser)) return true;
  return false;
}

bool TSpellCheckerBase::IgnoreLineByFilters(const AnsiString& Line) {
  for (TParserIgnore* f : FLineFilters)
    if (f->IgnoreLine(Line)) return true;
  return false;
}

namespace {
// A word's letters in lower case folded in a number: a rotation per letter
// (one step of latency), mixed once at the end.
uint64_t Fold(uint64_t h) {
  h *= 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}
uint64_t LowerHash(const AnsiString& Word) {
  const Byte* low = SpellLowerTable();
  uint64_t h = 0;
  for (char c : Word) h = std::rotl(h, 7) ^ low[static_cast<Byte>(c)];
  return Fold(h);
}
}  // namespace

bool TSpellCheckerBase::MayBeNear(const AnsiString& Word) const {
  if (!FNearOnly || Word.size() + 1 < FNearLength) return true;
  // A typographic apostrophe may be straightened on the way: such a word is
  // looked up; so is a possessive's form (IsPossessive finds its stem).
  static const Byte* const low = SpellLowerTable();
  uint64_t h = 0;
  for (char c : Word) {
    if (c == kTypographicApostrophe) return true;
    h = std::rotl(h, 7) ^ low[static_cast<Byte>(c)];
  }
  const size_t n = Word.size();
  if (n >= 2 && Word[n - 2] == '\'' && (Word[n - 1] == 's' || Word[n - 1] == 'S')) return true;
  h = Fold(h);
  return ((FNearBits[h >> 58] >> ((h >> 52) & 63)) & 1) &&
         std::binary_search(FNearHashes.begin(), FNearHashes.end(), h);
}

bool TSpellCheckerBase::IsWordInMainDictionaries(const AnsiString& Word) {
  if (!FConfig->Active) FConfig->SetActive(true);
  if (!MayBeNear(Word)) return false;
  // Dictionaries hold the straight apostrophe; the text may not.
  if (HasTypographicApostrophe(Word)) return IsWordInMainDictionaries(StraightApostrophes(Word));
  for (auto& d : FMain)
    if (d->WordExists(Word)) {
      d->IncUsage();
      FLastMainHit = d.get();
      return true;
    }
  return false;
}

bool TSpellCheckerBase::IsWordInDictionaries(const AnsiString& Word) {
  // A custom dictionary may hold either apostrophe: try the straight form first.
  if (HasTypographicApostrophe(Word) && IsWordInDictionaries(StraightApostrophes(Word)))
    return true;
  if (IsWordInMainDictionaries(Word)) return true;
  if (FActiveCustom && FActiveCustom->IsAddedWord(Word)) return true;
  for (auto& d : FCustom)
    if (d->IsAddedWord(Word)) return true;
  for (auto& d : FWordDicts)
    if (d->IsAddedWord(Word)) return true;
  return FInternal->IsAddedWord(Word);
}

bool TSpellCheckerBase::IsWordExcluded(const AnsiString& Word) {
  if (!FConfig->Active) FConfig->SetActive(true);
  if (HasTypographicApostrophe(Word) && IsWordExcluded(StraightApostrophes(Word)))
    return true;
  if (FActiveCustom && FActiveCustom->IsExcludedWord(Word)) return true;
  for (auto& d : FCustom)
    if (d->IsExcludedWord(Word)) return true;
  AnsiString r;
  return FMapping && FMapping->FindAutoCorrect(Word, r);
}

namespace {
enum TCaseForm { cfLower, cfCapitalised, cfUpper, cfOther };

TCaseForm CaseFormOf(const AnsiString& Word) {
  if (IsAllLower(Word)) return cfLower;
  if (Word.size() > 1 && IsAllUpper(Word)) return cfUpper;
  if (SpellUpperChar(Word[0]) == Word[0] && IsAllLower(Word.substr(1))) return cfCapitalised;
  return cfOther;
}

// Base as Form writes it: capitalised raises the first letter only, so a
// replacement with capitals of its own keeps them.
AnsiString InCaseForm(const AnsiString& Base, TCaseForm Form) {
  if (Form == cfUpper) return SpellUpper(Base);
  AnsiString r = Base;
  if (Form == cfCapitalised && !r.empty()) r[0] = SpellUpperChar(r[0]);
  return r;
}

// The pair Dictionary holds for another case form of Word, its replacement
// in Word's case. A replacement written as its key is ("Believe" for
// "Beleive") takes the occurrence's case; one with a case of its own
// ("Brûlée" for "brulee") keeps it, in capitals for a word in capitals.
bool FindPairOfCaseForm(TCustomDictionary& Dictionary, const AnsiString& Word, AnsiString& Replacement) {
  const TCaseForm form = CaseFormOf(Word);
  if (form == cfOther || Word.empty()) return false;
  const AnsiString lower = SpellLower(Word);
  AnsiString found;
  for (TCaseForm keyForm : {cfLower, cfCapitalised, cfUpper}) {
    const AnsiString key = InCaseForm(lower, keyForm);
    if (key == Word || !Dictionary.FindAutoCorrect(key, found)) continue;
    const AnsiString base = CaseFormOf(found) == keyForm ? SpellLower(found) : found;
    Replacement = InCaseForm(base, form);
    return true;
  }
  return false;
}
}  // namespace

bool TSpellCheckerBase::FindTaughtPair(const AnsiString& Word, AnsiString& Replacement, bool OtherCaseForms) {
  if (FActiveCustom && FActiveCustom->FindAutoCorrect(Word, Replacement)) return true;
  if (FInternal->FindAutoCorrect(Word, Replacement)) return true;
  for (auto& d : FCustom)
    if (d->FindAutoCorrect(Word, Replacement)) return true;
  if (!OtherCaseForms) return false;
  // Change All and Auto-Correct take the word's lower-case, capitalised
  // and upper-case forms alike.
  if (FActiveCustom && FindPairOfCaseForm(*FActiveCustom, Word, Replacement)) return true;
  if (FindPairOfCaseForm(*FInternal, Word, Replacement)) return true;
  for (auto& d : FCustom)
    if (FindPairOfCaseForm(*d, Word, Replacement)) return true;
  return false;
}

bool TSpellCheckerBase::FindCorrection(const AnsiString& Word, AnsiString& Replacement) {
  if (!FConfig->Active) FConfig->SetActive(true);
  if (HasTypographicApostrophe(Word) && FindCorrection(StraightApostrophes(Word), Replacement)) {
    Replacement = ApostrophesAs(Replacement, ApostropheOf(Word, '\''));
    return true;
  }
  if (FindTaughtPair(Word, Replacement, false)) return true;
  if (MappingAutoReplace && FMapping && FMapping->FindAutoCorrect(Word, Replacement)) return true;
  if (SuggestionsAutoReplace && FLearning && FLearning->FindAutoCorrect(Word, Replacement))
    return true;
  if (FindTaughtPair(Word, Replacement, true)) return true;
  if (FDualCaps && Word.size() > 2 && IsAllLower(Word.substr(2)) && IsAllUpper(Word.substr(0, 2))) {
    Replacement = Word;
    Replacement[1] = SpellLower(Word.substr(1, 1))[0];
    const auto isLetter = [](char c) {
      return SpellLower(AnsiString(1, c)) != SpellUpper(AnsiString(1, c));
    };
    return Replacement != Word && isLetter(Word[0]) && isLetter(Word[1]) &&
           IsWordAcceptable(Replacement);
  }
  return false;
}

void TSpellCheckerBase::ModifyCase(const AnsiString& Word, AnsiString& Result) {
  Result = Word;
  if (Word.empty()) return;
  switch (AllowedCases) {
    case cmNone: break;
    case cmInitialCaps: Result[0] = SpellLowerChar(Word[0]); break;
    case cmInitialCapsOrUpcase:
      if (IsAllUpper(Word))
        Result = SpellLower(Word);
      else
        Result[0] = SpellLowerChar(Word[0]);
      break;
    case cmAnyCase: Result = SpellLower(Word); break;
    case cmCustom:
      if (OnCaseModification) OnCaseModification(this, Result);
      break;
  }
}

bool TSpellCheckerBase::IsPossessive(const AnsiString& Word) {
  const AnsiString straight = StraightApostrophes(Word);
  auto p = straight.find("'s");
  if (p == AnsiString::npos) p = straight.find("'S");
  if (p == AnsiString::npos || p + 2 != straight.size() || p == 0) return false;
  const AnsiString stem = straight.substr(0, p);
  // Pronouns have possessive forms of their own ("yours", "its"); "your's"
  // is a misspelling, and "it's" a contraction the dictionary lists.
  static const char* const kPronouns[] = {"i",   "you", "your", "yours", "he",   "his",
                                          "she", "her", "hers", "it",    "its",  "we",
                                          "our", "ours", "they", "their", "theirs", "my",
                                          "mine", "me",  "us",   "them",  "him",  "who",
                                          "whose", "thy", "thine"};
  const AnsiString lowerStem = SpellLower(stem);
  for (const char* pronoun : kPronouns)
    if (lowerStem == pronoun) return false;
  AnsiString modified;
  ModifyCase(stem, modified);
  for (auto& d : FMain)
    if ((d->Language() & 0xFF) == 9 && (d->WordExists(modified) || d->WordExists(stem)))
      return true;
  return false;
}

bool TSpellCheckerBase::IsRepeatedWord(const AnsiString& Word, TControlParser* Parser) {
  if (!Parser) return false;
  int x = 0, y = 0;
  Parser->GetPosition(x, y);
  bool result = false;
  bool moved = true;
  for (size_t i = 0; i < Word.size() + 1 && moved; ++i) moved = Parser->MovePrevious();
  if (moved && Parser->GetChar() == ' ') {
    result = true;
    for (size_t i = Word.size(); i-- > 0;) {
      if (!Parser->MovePrevious() || Parser->GetChar() != Word[i]) {
        result = false;
        break;
      }
    }
  }
  Parser->SetPosition(x, y, ppCurrent);
  return result;
}

bool TSpellCheckerBase::IsWordAcceptable(const AnsiString& Word) {
  const int known = DictionaryVerdict(Word);
  return known >= 0 ? known > 0 : OtherwiseAcceptable(Word);
}

int TSpellCheckerBase::DictionaryVerdict(const AnsiString& Word) {
  // No dictionary can hold a letter the code page lacks: such a word is
  // passed over, never offered a replacement that would lose the letter.
  if (HasForeignLetter(Word)) return 1;
  if (IsWordInDictionaries(Word)) return !(UseExcludeWords && IsWordExcluded(Word));
  AnsiString w2;
  ModifyCase(Word, w2);
  if (w2 != Word && IsWordInDictionaries(w2)) return !(UseExcludeWords && IsWordExcluded(w2));
  // A word in capitals whose dictionary form is capitalised ("MONDAY").
  if (Word.size() > 1 && IsAllUpper(Word) && AllowedCases != cmNone && AllowedCases != cmCustom) {
    const AnsiString w3 = Word.substr(0, 1) + SpellLower(Word.substr(1));
    if (w3 != Word && w3 != w2 && IsWordInDictionaries(w3))
      return !(UseExcludeWords && IsWordExcluded(w3));
  }
  return -1;
}

bool TSpellCheckerBase::OtherwiseAcceptable(const AnsiString& Word) {
  if (FPossessive && IsPossessive(Word)) return true;
  if (IsHyphenatedWord(Word)) return true;
  if (IsNumber(Word)) return true;
  if (Word.size() == 1) return true;
  return IgnoreWordByFilters(Word, FParser);
}

// Bound prefixes that are not words by themselves but begin hyphenated ones.
static bool IsHyphenPrefix(const AnsiString& Part) {
  static const char* const kPrefixes[] = {
      "co",    "re",   "pre",  "non",   "anti",  "ex",    "semi",   "sub",   "multi", "inter",
      "post",  "mid",  "un",   "de",    "bi",    "tri",   "pro",    "counter", "vice", "quasi",
      "pseudo", "ultra", "mega", "micro", "mini", "neo",  "e",      "x",     "t",     "u"};
  const AnsiString lower = SpellLower(Part);
  for (const char* p : kPrefixes)
    if (lower == p) return true;
  return false;
}

bool TSpellCheckerBase::IsHyphenatedWord(const AnsiString& Word) {
  if (Word.find('-') == AnsiString::npos || Word.front() == '-' || Word.back() == '-') return false;
  size_t start = 0;
  for (;;) {
    const size_t end = Word.find('-', start);
    const AnsiString part = Word.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
    if (part.empty()) return false;
    const bool last = end == AnsiString::npos;
    if (!(IsWordAcceptable(part) || (!last && IsHyphenPrefix(part)))) return false;
    if (last) return true;
    start = end + 1;
  }
}

// Elided forms written with a leading apostrophe; the splitter never
// starts a word with one, so they reach the engine without it.
bool TSpellCheckerBase::IsElidedWord(const AnsiString& Word) {
  static const char* const kElided[] = {"til", "tis", "twas", "twere", "twill", "twould", "em",
                                        "cause", "bout", "round", "neath", "gainst", "mongst",
                                        "n", "nother", "kay", "sup"};
  const AnsiString lower = SpellLower(Word);
  for (const char* e : kElided)
    if (lower == e) return true;
  return IsWordInDictionaries("'" + Word) || IsWordInDictionaries("'" + lower);
}

bool TSpellCheckerBase::FollowsApostrophe(const AnsiString& Word, TControlParser* Parser) {
  if (!Parser) return false;
  int x = 0, y = 0;
  Parser->GetPosition(x, y);
  bool moved = true;
  for (size_t i = 0; i < Word.size() + 1 && moved; ++i) moved = Parser->MovePrevious();
  const bool result = moved && IsApostrophe(Parser->GetChar());
  Parser->SetPosition(x, y, ppCurrent);
  return result;
}

// ---------------------------------------------------------------------------
// Suggestions

void TSpellCheckerBase::IsSuggestionWord(const AnsiString& Word, bool& Valid) {
  AnsiString modified;
  ModifyCase(Word, modified);
  const bool same = modified == Word;
  if (FPrimaryOnly)
    Valid = IsWordInMainDictionaries(Word) || (!same && IsWordInMainDictionaries(modified));
  else
    Valid = IsWordInDictionaries(Word) || (!same && IsWordInDictionaries(modified));
  // A name typed in capitals, as acceptance allows it ("WEDNESDAY").
  if (!Valid && Word.size() > 1 && IsAllUpper(Word) && AllowedCases != cmNone &&
      AllowedCases != cmCustom) {
    const AnsiString initial = Word.substr(0, 1) + SpellLower(Word.substr(1));
    Valid = FPrimaryOnly ? IsWordInMainDictionaries(initial) : IsWordInDictionaries(initial);
  }
  if (!Valid && FPossessive && std::any_of(Word.begin(), Word.end(), IsApostrophe)) Valid = IsPossessive(Word);
}

void TSpellCheckerBase::GetSuggestions(const AnsiString& Word, TStrings* List) {
  FConfig->SetActive(true);
  BuildSuggestions(Word, MaxSuggestions, List);
}

void TSpellCheckerBase::BuildSuggestions(const AnsiString& Word, int Max, TStrings* List) {
  if (!List) return;
  // Suggestions keep the apostrophe the user writes: the word's own, or
  // the one last seen in the text.
  const char apostrophe = ApostropheOf(Word, FApostrophe);
  const AnsiString straight = StraightApostrophes(Word);
  AnsiString mapped;
  if (FMapping && FMapping->FindAutoCorrect(straight, mapped)) {
    List->Add(ApostrophesAs(mapped, apostrophe));
    return;
  }
  const bool capitalised = straight.size() > 1 && !IsAllLower(straight) &&
                           (IsAllUpper(straight) || (SpellUpperChar(straight[0]) == straight[0] &&
                                                     IsAllLower(straight.substr(1))));
  TStringList work;
  if (capitalised) {
    // The lower-case form's suggestions in the word's case pattern, ranked
    // as in lower case; then what the typed form adds (names).
    const bool upper = IsAllUpper(straight);
    auto pattern = [&](const AnsiString& s) {
      if (upper) return SpellUpper(s);
      AnsiString r = s;
      r[0] = SpellUpperChar(r[0]);
      return r;
    };
    TStringList lower, typed;
    BuildPlainSuggestions(SpellLower(straight), Max, &lower);
    BuildPlainSuggestions(straight, Max, &typed, true);
    // A word in lower case takes the typed case (the start of a sentence);
    // one entry per word whatever its case.
    std::set<AnsiString> seen;
    for (TStringList* l : {&lower, &typed})
      for (int i = 0; i < l->Count(); ++i) {
        const AnsiString& found = (*l)[i];
        const AnsiString s = l == &lower || IsAllLower(found) ? pattern(found) : found;
        if (s == straight || s.empty()) continue;
        if (seen.insert(SpellLower(s)).second) work.AddObject(s, l->Objects(i));
      }
    // Names from the typed form join by score, behind equals of the lower form.
    std::vector<std::pair<AnsiString, TObject*>> items;
    for (int i = 0; i < work.Count(); ++i) items.emplace_back(work[i], work.Objects(i));
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
      return reinterpret_cast<intptr_t>(a.second) < reinterpret_cast<intptr_t>(b.second);
    });
    work.Clear();
    for (auto& [s, o] : items) work.AddObject(s, o);
    if (Max >= 0)
      while (work.Count() > Max) work.Delete(work.Count() - 1);
  } else {
    BuildPlainSuggestions(straight, Max, &work);
  }
  for (int i = 0; i < work.Count(); ++i)
    if (ApostropheOf(work[i], apostrophe) != apostrophe) work.Put(i, ApostrophesAs(work[i], apostrophe));
  List->Assign(&work);
  AddTaughtSuggestion(straight, apostrophe, Max, List);
}

void TSpellCheckerBase::AddTaughtSuggestion(const AnsiString& Word, char Apostrophe, int Max, TStrings* List) {
  // The user's own pair for the word, in any of its case forms, comes first
  // (read-only text, the pop-up menu: where it was not applied by itself).
  AnsiString taught;
  if (!FindTaughtPair(Word, taught, true) || taught.empty()) return;
  taught = ApostrophesAs(taught, Apostrophe);
  for (int i = List->Count() - 1; i >= 0; --i)
    if ((*List)[i] == taught) List->Delete(i);
  List->Insert(0, taught);
  if (Max >= 0)
    while (List->Count() > Max) List->Delete(List->Count() - 1);
}

void TSpellCheckerBase::BuildPlainSuggestions(const AnsiString& Word, int Max, TStrings* List, bool Names) {
  if (!Names) FNearKey.clear();
  AnsiString mapped;
  if (FMapping && FMapping->FindAutoCorrect(Word, mapped)) {
    List->Add(mapped);
    return;
  }
  TStringList work;
  // The words of the main dictionaries within two edits, one walk each: the
  // generator's single edits (all within two edits, whatever their case) are
  // looked up there only when they are among them, and the near-word step
  // below takes the first dictionary's from here; a word's typed form takes
  // the walk of its lower-case form, made just before. Not for short words,
  // whose walk costs more than the look-ups it saves; not where a case
  // modification of the caller's or another generator may try other forms.
  TStringList near2;
  bool filter = false;
  if (!FMain.empty() && Word.size() >= 5 && Word.size() < 250 && AllowedCases != cmCustom &&
      typeid(*FGenerator) == typeid(TSuggestionsGenerator)) {
    const AnsiString key = SpellLower(Word);
    if (!Names) {
      filter = true;
      FNearMain.clear();
      FNearPlaces = {};
      for (auto& d : FMain) {
        TStringList found;
        d->FindNearWords(Word, 2, SIZE_MAX, &found);
        filter = filter && d->UsesNodeTable();
        for (int i = 0; i < found.Count(); ++i) {
          FNearMain.push_back(LowerHash(found[i]));
          FNearPlaces.Add(found[i], Word.size());
        }
        if (d == FMain.front()) near2.Assign(&found);
      }
      FNearKey = filter ? key : AnsiString();
    } else {
      filter = !FNearKey.empty() && key == FNearKey;
    }
  }
  const bool haveNear2 = filter && !Names;
  if (filter) {
    FNearHashes = FNearMain;
    std::sort(FNearHashes.begin(), FNearHashes.end());
    FNearBits.fill(0);
    for (uint64_t h : FNearHashes) FNearBits[h >> 58] |= 1ull << ((h >> 52) & 63);
    FNearLength = Word.size();
  }
  FNearOnly = filter;
  // Only for this generation, however it ends.
  struct TNearScope {
    bool& On;
    ~TNearScope() { On = false; }
  } nearScope{FNearOnly};
  // The words added elsewhere join them while they are few: then a
  // candidate outside the set is in no dictionary at all, and is not asked.
  std::vector<TCustomDictionary*> others;
  size_t added = 0;
  if (filter) {
    others.push_back(FInternal.get());
    if (FActiveCustom) others.push_back(FActiveCustom.get());
    for (auto& d : FCustom) others.push_back(d.get());
    for (auto& d : FWordDicts) others.push_back(d.get());
    for (TCustomDictionary* d : others) added += static_cast<size_t>(d->GetAddedCount());
  }
  const bool sure = filter && added <= kFewAddedWords;
  TPlaceLetters places;
  if (sure) places = FNearPlaces;
  if (sure && added > 0) {
    AnsiString w;
    for (TCustomDictionary* d : others)
      for (int i = 0; i < d->GetAddedCount(); ++i) {
        d->GetAddedWord(i, w);
        FNearHashes.push_back(LowerHash(w));
        places.Add(w, Word.size());
      }
    std::sort(FNearHashes.begin(), FNearHashes.end());
    for (uint64_t h : FNearHashes) FNearBits[h >> 58] |= 1ull << ((h >> 52) & 63);
  }
  // Then the generator leaves out the single edits that put a letter where
  // none of those words has it: most of them, none a word. A word with an
  // apostrophe is looked up whatever it is (see MayBeNear).
  // A word's typed form tries again only the single edits of its lower-case
  // form that passed the sieve (see TSuggestionsGenerator::SetSieve).
  struct TPlacesScope {
    TSuggestionsGenerator& Generator;
    ~TPlacesScope() {
      Generator.ClearPlaceLetters();
      Generator.ClearSieve();
    }
  } placesScope{*FGenerator};
  if (!Names) FGenerator->ForgetPassedEdits();
  if (sure && std::none_of(Word.begin(), Word.end(), IsApostrophe)) FGenerator->SetPlaceLetters(std::move(places));
  if (sure) FGenerator->SetSieve([this](const AnsiString& c) { return MayBeNear(c); });
  FGenerator->Generate(
      Word, Max, [this](const AnsiString& c, bool& found) { IsSuggestionWord(c, found); }, &work);
  FNearOnly = false;
  const int generated = work.Count();
  if (PhoneticSuggestions && !FMain.empty() && !Names) {
    TMainDictionary& d = *FMain.front();
    if (d.Language() != FPhonetics->Language()) {
      FPhonetics->BuildRules(d.Language());
      if (OnAdjustPhoneticsMap) OnAdjustPhoneticsMap(this);
    }
    d.FindPhoneticMatches(Word, *FPhonetics, &work);
    if ((FPhonetics->Language() & 0xFF) == 9 && work.Count() < 20 && SecondPhoneticPass) {
      FPhonetics->BuildRules(0);
      if (OnAdjustPhoneticsMap) OnAdjustPhoneticsMap(this);
      d.FindPhoneticMatches(Word, *FPhonetics, &work);
    }
  }
  // The sound-alike words within the phonetic distance stay; the edit
  // distances then only tell whether a word is a single edit away.
  for (int i = work.Count() - 1; i >= generated; --i) {
    const int distance = EditDistance(Word, work[i]);
    if (FPhonetics->IsWithinDistance(Word, distance))
      work.PutObject(i, ScoreObject(distance));
    else
      work.Delete(i);
  }
  // Weak candidates (none a single edit away, or fewer than twice as many as
  // asked for): the words of the dictionary two edits away join them, and
  // three away from seven letters on while the list is still short. The
  // reach grows with the word: slips add up in a long word, whatever letter
  // they fall on (the first one too: "fonetik", "wundeews"); only where a
  // word is a single edit away do the words three away just fill the list,
  // from those with the typed first letter (a search that costs less).
  bool close = false;
  for (int i = 0; i < work.Count() && !close; ++i)
    close = (i < generated ? EditDistance(Word, work[i]) : ScoreOf(work, i)) <= 1;
  auto shortOf = [&] { return Max < 0 || work.Count() < Max; };
  // (A word of three letters has many words two edits away that are not
  // what was meant: they join only a list shorter than asked for.)
  const int weak = Word.size() > 3 ? 2 * Max : Max;
  const bool english = SoundAlikeSuggestions && !FMain.empty() && (FMain.front()->Language() & 0xFF) == 9;
  if (!Names && !FMain.empty() && Word.size() >= 3 && (!close || Max < 0 || work.Count() < weak)) {
    // Words of the first main dictionary: suggestion words as they are (a
    // look-up would find them there, and count them to its use).
    std::set<AnsiString> listed;
    for (int i = 0; i < work.Count(); ++i) listed.insert(SpellLower(work[i]));
    const int reach = Word.size() < 7 ? 2 : 3;
    for (int distance = 2; distance <= reach && (distance < 3 || shortOf()); ++distance) {
      TStringList near;
      if (distance == 2 && haveNear2)
        for (int i = 0; i < near2.Count() && static_cast<size_t>(i) < kNearWords; ++i) near.Add(near2[i]);
      else
        FMain.front()->FindNearWords(Word, distance, kNearWords, &near, distance >= 3 && close);
      for (int i = 0; i < near.Count(); ++i) {
        FMain.front()->IncUsage();
        if (listed.insert(SpellLower(near[i])).second) work.Add(near[i]);
      }
    }
    // The English words that sound as typed, however far apart the
    // spellings ("beaurocracy" for "bureaucracy"): after the near words, so
    // that they decide no reach of the spelling's search and come behind
    // the spelling's words among equal scores (a list they had filled
    // lacked the words three edits out; a tie they had won pushed out a
    // word the spelling alone offered).
    if (PhoneticSuggestions && english) {
      TStringList alike;
      FMain.front()->FindSoundAlikes(Word, kNearWords, &alike);
      for (int i = 0; i < alike.Count(); ++i) {
        FMain.front()->IncUsage();
        const TSoundReach sound = SoundReach(Word, alike[i], FPhonetics->MaxDistance);
        if ((sound == TSoundReach::Near || (sound == TSoundReach::Far && shortOf())) &&
            listed.insert(SpellLower(alike[i])).second)
          work.Add(alike[i]);
      }
    }
  }
  // Ranked by the slips people make; a candidate that sounds as typed gains.
  AnsiString sound, candidateSound, whole, candidateWhole;
  FPhonetics->MakeKey(Word, sound);
  if (english) MakeSoundKey(Word, whole);
  const TSuggestionScorer scorer(Word);
  int best = INT_MAX;
  for (int i = 0; i < work.Count(); ++i) {
    int cost = scorer.Cost(work[i]);
    FPhonetics->MakeKey(work[i], candidateSound);
    if (!sound.empty() && candidateSound == sound) cost -= kSoundsAlike;
    best = std::min(best, cost);
    work.PutObject(i, ScoreObject(cost));
  }
  const bool far = best >= kFarCost && whole.size() >= 2;
  for (int i = 0; i < work.Count(); ++i) {
    intptr_t cost = ScoreOf(work, i);
    if (far) {
      MakeSoundKey(work[i], candidateWhole);
      if (candidateWhole == whole) cost -= kFarSoundsAlike;
    }
    work.PutObject(i, ScoreObject(std::max<intptr_t>(cost, 1)));
  }
  if (FLearning) {
    AnsiString learned;
    if (FLearning->FindAutoCorrect(Word, learned)) {
      const int i = work.IndexOf(learned);
      if (i >= 0 && work[i] == learned)
        work.PutObject(i, ScoreObject(0));
      else
        work.InsertObject(0, learned, ScoreObject(0));
    }
    for (int i = 0; i < work.Count(); ++i)
      work.PutObject(i, ScoreObject(ScoreOf(work, i) * 2 - (FLearning->IsAddedWord(work[i]) ? 1 : 0)));
  }
  // An exchange sort; its order among equal scores is part of the result.
  // Run on the scores alone; a place once passed holds its word for good, so
  // the sort stops once the list has its words. Of words that differ only
  // in case ("may", "May"), the better placed one.
  const int n = work.Count();
  std::vector<std::pair<intptr_t, int>> order(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = {ScoreOf(work, i), i};
  std::set<AnsiString> keys;
  TStringList sorted;
  for (size_t i = 0; i < order.size() && (Max < 0 || sorted.Count() < Max); ++i) {
    for (size_t j = i + 1; j < order.size(); ++j)
      if (order[i].first > order[j].first) std::swap(order[i], order[j]);
    const AnsiString& word = work[order[i].second];
    if (keys.insert(SpellLower(word)).second) sorted.AddObject(word, ScoreObject(order[i].first));
  }
  work.Assign(&sorted);
  List->Assign(&work);
}

void TSpellCheckerBase::LearnCorrection(const AnsiString& Word, const AnsiString& Replacement) {
  if (!FLearning || Replacement.empty() || HasLineBreak(Replacement)) return;
  // A new choice replaces the one learnt before.
  AnsiString old;
  if (FLearning->FindAutoCorrect(Word, old) && old != Replacement) FLearning->RemoveAutoCorrect(Word);
  FLearning->AddAutoCorrect(Word, Replacement);
  FLearning->AddWord(Replacement);
}

// ---------------------------------------------------------------------------
// Pop-up menu

TObject* TSpellCheckerBase::CreatePopupMenu(TComponent* Owner) {
  TObject* menu = nullptr;
  if (OnPopupCreateMenu) {
    OnPopupCreateMenu(this, Owner, menu);
    return menu;
  }
  return new TPopupMenu(Owner);
}

TObject* TSpellCheckerBase::AddPopupMenuItem(TObject* Menu, TObject* SubMenu, const String& Caption,
                                             bool Enable, bool HasChildren, int Tag) {
  TObject* item = nullptr;
  if (OnPopupAddMenuItem) {
    OnPopupAddMenuItem(this, Menu, SubMenu, Caption, Enable, HasChildren, Tag, item);
    return item;
  }
  if (OnPopupCreateMenu) return nullptr;
  auto* popup = dynamic_cast<TPopupMenu*>(Menu);
  if (!popup) return nullptr;
  auto* mi = new TMenuItem(popup);
  mi->SetCaption(Caption);
  mi->SetEnabled(Enable);
  mi->Tag = Tag;
  if (Tag > 0) mi->OnClick = [this](TObject* s) { PopupItemClick(s); };
  if (auto* parent = dynamic_cast<TMenuItem*>(SubMenu))
    parent->Add(mi);
  else
    popup->Items()->Add(mi);
  return mi;
}

void TSpellCheckerBase::DoPopupMenu(TObject* Menu, int XPos, int YPos, int& PopupAction,
                                    String& PopupWord) {
  FPopupTag = 0;
  FPopupCaption.clear();
  if (OnPopupDoMenu) {
    OnPopupDoMenu(this, Menu, XPos, YPos, PopupAction, PopupWord);
    return;
  }
  if (!OnPopupCreateMenu) {
    if (auto* popup = dynamic_cast<TPopupMenu*>(Menu)) popup->Popup(XPos, YPos);
    if (Application) Application->ProcessMessages();
  }
  PopupAction = FPopupTag;
  PopupWord = FPopupCaption;
}

void TSpellCheckerBase::PopupItemClick(TObject* Sender) {
  if (auto* mi = dynamic_cast<TMenuItem*>(Sender)) {
    FPopupTag = static_cast<int>(mi->Tag);
    FPopupCaption = mi->GetCaption();
  }
}

TSpellPopupOption TSpellCheckerBase::ShowPopupMenu(TComponent* Owner, TSpellPopupOptions Options,
                                                   int XPos, int YPos, AnsiString& Word) {
  TSpellPopupOption result = spCancel;
  if (Word.empty() || FPopupActive) return result;
  const AnsiString original = Word;
  FPopupActive = true;
  FConfig->SetActive(true);
  std::unique_ptr<TObject> menu(CreatePopupMenu(Owner));
  TStringList list;
  if (Options.Contains(spReplace)) {
    BuildSuggestions(Word, 5, &list);
    for (int i = 0; i < list.Count(); ++i)
      AddPopupMenuItem(menu.get(), nullptr, SpellWordToText(list[i]), true, false, 7);
    if (list.Count() == 0)
      AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnNoSuggestions), false, false, 0);
    AddPopupMenuItem(menu.get(), nullptr, "-", true, false, 0);
  }
  if (Options.Contains(spIgnore)) AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnIgnore), true, false, 6);
  if (Options.Contains(spIgnoreAll))
    AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnIgnoreAll), true, false, 5);
  if (Options.Contains(spAdd))
    AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnAdd), FActiveCustom != nullptr, false, 4);
  AddPopupMenuItem(menu.get(), nullptr, "-", true, false, 0);
  if (Options.Contains(spChangeAll) && list.Count() > 0) {
    TObject* sub = AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnChangeAll), true, true, 0);
    for (int i = 0; i < list.Count(); ++i) AddPopupMenuItem(menu.get(), sub, SpellWordToText(list[i]), true, false, 3);
  }
  if (Options.Contains(spAutoCorrect) && list.Count() > 0 && FActiveCustom) {
    TObject* sub = AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnAutoCorrect), true, true, 0);
    for (int i = 0; i < list.Count(); ++i) AddPopupMenuItem(menu.get(), sub, SpellWordToText(list[i]), true, false, 2);
  }
  if (Options.Contains(spDialog)) AddPopupMenuItem(menu.get(), nullptr, GetString(lsMnSpelling), true, false, 1);
  int tag = 0;
  String chosen;
  DoPopupMenu(menu.get(), XPos, YPos, tag, chosen);
  // The captions are the suggestions as text: back to the engine's form.
  const AnsiString caption = SpellWordFromText(chosen);
  switch (tag) {
    case 1: result = spDialog; break;
    case 2:
      if (FActiveCustom) {
        FActiveCustom->AddAutoCorrect(Word, caption);
        result = spAutoCorrect;
        LearnCorrection(Word, caption);
        Word = caption;
      }
      break;
    case 3:
      FInternal->AddAutoCorrect(Word, caption);
      result = spChangeAll;
      LearnCorrection(Word, caption);
      Word = caption;
      break;
    case 4:
      if (FActiveCustom) {
        FActiveCustom->AddWord(StraightApostrophes(Word));
        result = spAdd;
      }
      break;
    case 5:
      FInternal->AddWord(Word);
      result = spIgnoreAll;
      break;
    case 6: result = spIgnore; break;
    case 7:
      result = spReplace;
      LearnCorrection(Word, caption);
      Word = caption;
      break;
    default: result = spCancel;
  }
  if (OnPopupResult) OnPopupResult(this, original, Word, result);
  PopupResult = result;
  FPopupListeners->Fire(this);
  menu.reset();
  FPopupActive = false;
  return result;
}

// ---------------------------------------------------------------------------
// Interactive check

void TSpellCheckerBase::SetCurrentParser(TControlParser* Parser) { FParser = Parser; }

void TSpellCheckerBase::CheckString(AnsiString& Text) {
  auto* parser = new TStringParser;
  parser->Initialize(&Text);
  CheckParser(parser, ctWholeText);
  if (!FreeParserAtEnd) delete parser;
}

void TSpellCheckerBase::CheckWinControl(TWinControl* Control, Byte CheckType) {
  auto* parser = new TWinAPIControlParser;
  parser->Initialize(Control);
  CheckParser(parser, CheckType);
  if (!FreeParserAtEnd) delete parser;
}

void TSpellCheckerBase::CheckRichEdit(TWinControl* Control, Byte CheckType) {
  CheckWinControl(Control, CheckType);
}

int TSpellCheckerBase::WordCountWinControl(TWinControl* Control, Byte CheckType) {
  auto* parser = new TWinAPIControlParser;
  parser->Initialize(Control);
  const int n = WordCountParser(parser, CheckType);
  if (!FreeParserAtEnd) delete parser;
  return n;
}

int TSpellCheckerBase::WordCountString(const AnsiString& Text) {
  AnsiString copy = Text;
  auto* parser = new TStringParser;
  parser->Initialize(&copy);
  const int n = WordCountParser(parser, ctWholeText);
  if (!FreeParserAtEnd) delete parser;
  return n;
}

int TSpellCheckerBase::WordCountParser(TControlParser* Parser, Byte CheckType) {
  bool hasErrors = false;
  int errors = 0, words = 0;
  CheckParserSilent(Parser, CheckType, false, false, hasErrors, errors, words);
  return words;
}

void TSpellCheckerBase::CheckParser(TControlParser* Parser, Byte CheckType) {
  if (FCheckRunning || (FInSequence && FCheckCancelled)) {
    if (FreeParserAtEnd) delete Parser;
    return;
  }
  if (CheckType == ctSelectionThenRest) {
    CheckSelectionThenRest(Parser);
    return;
  }
  FTextChanged = false;
  FCheckRunning = true;
  FCheckCancelled = false;
  FConfig->SetActive(true);
  SetCurrentParser(Parser);
  Parser->GetCursorPosition(FSavedX, FSavedY);
  FPreviousWord.clear();
  FPreviousCached = nullptr;
  FRepeated = false;
  if (CheckType <= ctWholeText) {
    FParsingEngine->Initialize(Parser, static_cast<TParseCheckType>(CheckType));
  } else {
    // From the position and up to the end mark the caller has set.
    int x = 0, y = 0;
    Parser->GetPosition(x, y);
    FParsingEngine->Initialize(Parser, ctWholeText);
    Parser->SetPosition(x, y, ppCurrent);
  }
  FUndo.clear();
  FSkipped.clear();
  FTrackSkipped = CheckType == ctWholeText || CheckType == ctFromCursor;
  FPrompted = FInSkipped = false;
  if (!FInSequence) {
    FWordsChecked = 0;
    FReorderCountdown = 100;
  }
  if (DialogShowImmediate) ShowSpellDialog();
  ReorderMainDictionaries();
  if (!(DialogShowImmediate && DialogShowModal)) ContinueCheck();
  if (SynchronousCheck)
    while (FCheckRunning) HandleOneMessage();
}

void TSpellCheckerBase::ContinueCheck() {
  const int64_t start = TickCount();
  bool hourglass = false;
  TCursor savedCursor = crDefault;
  auto restoreCursor = [&] {
    if (hourglass && Screen) Screen->SetCursor(savedCursor);
    hourglass = false;
  };
  // Dictionaries and options change only between runs: what they accepted
  // is remembered for this run.
  if (!FAccepted) FAccepted = std::make_unique<TWordCache<TAcceptedWord>>();
  if (FPreviousCached) FPreviousWord = FAccepted->TextOf(FPreviousCached);
  FPreviousCached = nullptr;
  FAccepted->Clear();
  // The splitter fills the current word in place: no copy per word.
  const AnsiString& word = FCurrentWord;
  while (FCheckRunning && FParser) {
    FParsingEngine->NextWord(FCurrentWord);
    if (!word.empty() && FInSkipped && PastSkippedEnd()) FCurrentWord.clear();
    if (word.empty()) {
      // The end of the text: what the user's moves passed over comes next.
      if (StartSkippedText()) continue;
      CompleteCheck();
      restoreCursor();
      return;
    }
    ++FWordsChecked;
    if (FReorderCountdown > 0 && --FReorderCountdown == 0) ReorderMainDictionaries();
    TWordCheckType verdict;
    AnsiString replacement;
    // A stored pair goes into the text only as one typed would.
    auto usableCorrection = [&] { return FindCorrection(word, replacement) && !IsUnusableReplacement(replacement); };
    // An accepted word is the previous one for the next (repeated words).
    bool remember = false;
    // Where the cache keeps the word: the same place is the same word.
    const TAcceptedWord* cached = FAccepted->Find(word.data(), word.size());
    if (cached) {
      // Accepted before in this run, with no correction to apply.
      if (cached->Apostrophe) FApostrophe = cached->Apostrophe;
      if (cached->Dictionary) cached->Dictionary->IncUsage();
      verdict = wcAccepted;
      remember = FRepeatedTest;
      if (remember && cached == FPreviousCached && IsRepeatedWord(word, FParser)) verdict = wcRepeated;
    } else {
      FApostrophe = ApostropheOf(word, FApostrophe);
      FLastMainHit = nullptr;
      const int known = DictionaryVerdict(word);
      TMainDictionary* const hit = FLastMainHit;
      if (known > 0 || (known < 0 && OtherwiseAcceptable(word)) ||
          (FollowsApostrophe(word, FParser) && IsElidedWord(word))) {
        verdict = wcAccepted;
        if (UseAutoCorrectFirst && usableCorrection()) {
          verdict = wcCorrected;
        } else {
          // Only what the dictionaries decided holds for the word anywhere.
          // A word the cache holds is not the one before, which it lacks.
          const bool same = !FPreviousCached && FPreviousWord == word;
          if (known > 0) cached = FAccepted->Add(word.data(), word.size(), {hit, ApostropheOf(word, 0)});
          remember = FRepeatedTest;
          if (remember && same && IsRepeatedWord(word, FParser)) verdict = wcRepeated;
        }
      } else if (usableCorrection()) {
        verdict = wcCorrected;
      } else if (UseExcludeWords) {
        AnsiString modified;
        ModifyCase(word, modified);
        verdict = IsWordExcluded(word) || IsWordExcluded(modified) ? wcExcluded : wcDenied;
      } else {
        verdict = wcDenied;
      }
    }
    if (OnWordCheck) OnWordCheck(this, word, verdict, replacement);
    // Read-only text is reported, never corrected.
    if (verdict == wcCorrected && ReportOnly()) verdict = wcDenied;
    if (verdict == wcCorrected) {
      if (remember) RememberPrevious(cached);
      int endX = 0, endY = 0;
      FParser->GetPosition(endX, endY);
      // The record holds the word's first character, where undo looks.
      FParser->SelectWord(static_cast<int>(word.size()));
      AddUndo(saChange, replacement, true);
      if (ReplaceCurrentWord(replacement, 2)) continue;
      // The text refused the correction (an editor that takes no changes):
      // the word is reported, not read and corrected again for ever.
      ForgetLastUndo();
      FParser->SetPosition(endX, endY, ppCurrent);
      verdict = wcDenied;
    }
    // The clock is read every 256 words: a long check is still seen within
    // a few milliseconds of its first second.
    if (UseHourglassCursor && !hourglass && (FWordsChecked & 0xFF) == 0 && TickCount() - start > 1000 && Screen) {
      savedCursor = Screen->GetCursor();
      Screen->SetCursor(crHourGlass);
      hourglass = true;
    }
    if (verdict == wcAccepted) {
      if (remember) RememberPrevious(cached);
      continue;
    }
    if (remember) RememberPrevious(cached);
    // The next run starts with a cache of its own.
    if (FPreviousCached) FPreviousWord = FAccepted->TextOf(FPreviousCached);
    FPreviousCached = nullptr;
    restoreCursor();
    FRepeated = verdict == wcRepeated;
    if (FRepeated) FCurrentWord = word + " " + word;
    FParser->SelectWord(static_cast<int>(FCurrentWord.size()));
    FParser->GetPosition(FPromptX, FPromptY);
    FPrompted = true;
    FParser->CenterSelection();
    ShowSpellDialog();
    if (FCheckRunning) PromptWord();
    return;
  }
  restoreCursor();
}

namespace {
bool Before(int ax, int ay, int bx, int by) { return ay < by || (ay == by && ax < bx); }
}  // namespace

bool TSpellCheckerBase::StartSkippedText() {
  FInSkipped = false;
  if (FSkipped.empty() || !FParser) return false;
  const TSkippedText t = FSkipped.front();
  FSkipped.erase(FSkipped.begin());
  FInSkipped = true;
  FSkippedEndX = t.ToX;
  FSkippedEndY = t.ToY;
  // No pair of repeated words spans the jump.
  FPreviousWord.clear();
  FPreviousCached = nullptr;
  FParsingEngine->StartAt(t.FromX, t.FromY);
  return true;
}

bool TSpellCheckerBase::PastSkippedEnd() {
  int x = 0, y = 0;
  FParser->GetPosition(x, y);
  return !Before(x - static_cast<int>(FCurrentWord.size()), y, FSkippedEndX, FSkippedEndY);
}

void TSpellCheckerBase::NoteResumedAt(int X, int Y) {
  if (!FTrackSkipped || !FPrompted) return;
  constexpr int kEnd = std::numeric_limits<int>::max();
  const int endX = FInSkipped ? FSkippedEndX : kEnd, endY = FInSkipped ? FSkippedEndY : kEnd;
  // The walk reads from (X, Y) to its end again: that much waits no longer.
  const bool reads = Before(X, Y, endX, endY);
  std::vector<TSkippedText> left;
  for (const TSkippedText& t : FSkipped) {
    if (!reads || !Before(X, Y, t.ToX, t.ToY) || !Before(t.FromX, t.FromY, endX, endY)) {
      left.push_back(t);
      continue;
    }
    if (Before(t.FromX, t.FromY, X, Y)) left.push_back({t.FromX, t.FromY, X, Y});
    if (Before(endX, endY, t.ToX, t.ToY)) left.push_back({endX, endY, t.ToX, t.ToY});
  }
  // From the word the check stopped at up to where it goes on, nothing was read.
  if (Before(FPromptX, FPromptY, X, Y)) {
    const bool cut = Before(endX, endY, X, Y);
    left.push_back({FPromptX, FPromptY, cut ? endX : X, cut ? endY : Y});
  }
  std::sort(left.begin(), left.end(),
            [](const TSkippedText& a, const TSkippedText& b) { return Before(a.FromX, a.FromY, b.FromX, b.FromY); });
  FSkipped = std::move(left);
}

void TSpellCheckerBase::RememberPrevious(const TAcceptedWord* Cached) {
  // A cached word is remembered by its place, without a copy.
  FPreviousCached = Cached;
  if (!Cached) FPreviousWord = FCurrentWord;
}

void TSpellCheckerBase::PromptWord() {
  ReorderMainDictionaries();
  // The open dialog shows the word before the host hears of it, so a host
  // that answers at once finds the dialog on this word.
  if (TConfigurationDialogCtrl* c = FindDialogControl(SpellDialog))
    c->PromptWord(this, SpellWordToText(FCurrentWord), FRepeated);
  if (OnPromptWord) OnPromptWord(this, FCurrentWord, FRepeated);
}

void TSpellCheckerBase::BindDialogControl(TComponent* Form, TCustomDictionary* Dictionary) {
  TConfigurationDialogCtrl* c = FindDialogControl(Form);
  if (!c) return;
  c->SetSpellChecker(this);
  c->SetCustomDictionary(Dictionary);
}

void TSpellCheckerBase::ShowConfigDialog(TComponent* AOwner) {
  if (OnShowConfigDialog) OnShowConfigDialog(this, AOwner);
}

void TSpellCheckerBase::ShowCustomDictionariesDialog(TComponent* AOwner) {
  if (OnShowCustomDictionariesDialog) OnShowCustomDictionariesDialog(this, AOwner);
}

void TSpellCheckerBase::ShowEditCustomDictionaryDialog(TComponent* AOwner,
                                                       TCustomDictionary* Dictionary) {
  if (OnShowEditCustomDictionaryDialog) OnShowEditCustomDictionaryDialog(this, AOwner, Dictionary);
}

bool TSpellCheckerBase::ShowAddDictionaryDir(TComponent* AOwner) {
  if (!OnShowAddDictionaryDir) return false;
  OnShowAddDictionaryDir(this, AOwner);
  return true;
}

void TSpellCheckerBase::CaretToEnd(bool Cancelled) {
  if (!FParser || Cancelled) return;
  switch (EndCursorPosition) {
    case epHome: FParser->SetPosition(0, 0, ppCurrent); break;
    case epOriginal: FParser->SetPosition(FSavedX, FSavedY, ppCurrent); break;
    case epNoModify: break;
  }
  if (EndCursorPosition != epNoModify) FParser->SelectWord(0);
}

void TSpellCheckerBase::CompleteCheck() {
  FSkipped.clear();
  FInSkipped = FPrompted = false;
  if (OnCompleteCheck) OnCompleteCheck(this);
  ShowEndMessage();
  CaretToEnd(FCheckCancelled);
  if (FreeParserAtEnd) delete FParser;
  FParser = nullptr;
  HideSpellDialog();
  FUndo.clear();
  FCheckRunning = false;
  CloseDictionaries();
}

void TSpellCheckerBase::ShowEndMessage() {
  if (UIType != suiDialog || FInSequence) return;
  bool show = false;
  switch (EndMessage) {
    case emAlways: show = true; break;
    case emExceptCancel: show = !FCheckCancelled; break;
    case emNoDialog: show = FDialogShown; break;
    case emNever: show = false; break;
  }
  if (!show) return;
  if (CloseDialogAtEnd && SpellDialog) SpellDialog->Hide();
  if (OnShowEndMessage) {
    OnShowEndMessage(this);
    return;
  }
  String text = GetString(lsEndMessage);
  if (EndMessageWordCount)
    text += "\r\n\r\n" + GetString(lsWordsChecked) + " " + IntToStr(FWordsChecked);
  if (Application) Application->MessageBox(text, GetString(lsSpelling), MB_OK | MB_ICONINFORMATION);
}

bool TSpellCheckerBase::ReplaceCurrentWord(const AnsiString& Replacement, int State) {
  const bool changedBefore = FTextChanged;
  if (!FTextChanged) {
    FTextChanged = true;
    if (OnBeforeChange) OnBeforeChange(this);
  }
  // A replacement keeps the user's apostrophe.
  const AnsiString r = ApostrophesAs(Replacement, ApostropheOf(FCurrentWord, FApostrophe));
  if (OnParserReplaceWord) OnParserReplaceWord(this, true, r, State);
  // A parser moves past the text it put in; one that stays where the word
  // starts had its text refuse the replacement.
  int x = 0, y = 0, xAfter = 0, yAfter = 0;
  if (FParser) FParser->GetPosition(x, y);
  if (FParser) FParser->ReplaceWord(r, State);
  if (FParser) FParser->GetPosition(xAfter, yAfter);
  if (OnParserReplaceWord) OnParserReplaceWord(this, false, r, State);
  const bool taken = r.empty() || xAfter != x || yAfter != y;
  if (!taken) FTextChanged = changedBefore;
  return taken;
}

void TSpellCheckerBase::ForgetLastUndo() {
  if (FParser && MaxUndo != 0 && !FUndo.empty()) FUndo.pop_back();
}

void TSpellCheckerBase::PassOverRefusedWord() {
  ForgetLastUndo();
  Ignore();
}

void TSpellCheckerBase::IgnoreCurrentWord(int State) {
  if (OnParserIgnoreWord) OnParserIgnoreWord(this, true, State);
  ListenerBefore = true;
  ListenerState = State;
  FIgnoreListeners->Fire(this);
  if (FParser) FParser->IgnoreWord(State);
  if (OnParserIgnoreWord) OnParserIgnoreWord(this, false, State);
  ListenerBefore = false;
  FIgnoreListeners->Fire(this);
}

void TSpellCheckerBase::AddUndo(TSpellAction Action, const AnsiString& Replacement, bool Automatic) {
  if (!FParser || MaxUndo == 0) return;
  auto r = std::make_unique<TSpellUndo>();
  FParser->GetPosition(r->X, r->Y);
  r->Word = FCurrentWord;
  r->Replacement = Replacement;
  r->Action = Action;
  r->Automatic = Automatic;
  TSpellUndo& rec = *r;
  FUndo.push_back(std::move(r));
  ParserUndoLast(0, Action, rec.UndoData);
  while (MaxUndo != -1 && static_cast<int>(FUndo.size()) > MaxUndo) FUndo.erase(FUndo.begin());
}

void TSpellCheckerBase::ParserUndoLast(int UndoState, TSpellAction UndoAction, int& UndoData) {
  if (OnParserUndoLast) OnParserUndoLast(this, UndoState, UndoAction, UndoData);
  if (FParser) FParser->UndoLast(UndoState, UndoAction, UndoData);
}

void TSpellCheckerBase::SelectReplacementOf(const TSpellUndo& R) {
  const int l = static_cast<int>(R.Replacement.size());
  FParser->SetPosition(R.X + l, R.Y, ppCurrent);
  FParser->SelectWord(l);
}

void TSpellCheckerBase::UndoLastAction() {
  if (FUndo.empty() || !FParser) return;
  TSpellUndo r = *FUndo.back();
  ParserUndoLast(1, r.Action, r.UndoData);
  switch (r.Action) {
    case saIgnore: break;
    case saIgnoreAll: FInternal->RemoveWord(r.Word); break;
    case saChange:
      SelectReplacementOf(r);
      ReplaceCurrentWord(r.Word, 3);
      break;
    case saChangeAll:
      FInternal->RemoveAutoCorrect(r.Word);
      SelectReplacementOf(r);
      ReplaceCurrentWord(r.Word, 4);
      break;
    case saAdd:
      if (FActiveCustom) FActiveCustom->RemoveWord(r.Word);
      break;
    case saAutoCorrect:
      if (FActiveCustom) FActiveCustom->RemoveAutoCorrect(r.Word);
      FInternal->RemoveAutoCorrect(r.Word);
      SelectReplacementOf(r);
      ReplaceCurrentWord(r.Word, 5);
      break;
  }
  FParser->SetPosition(r.X, r.Y, ppCurrent);
  FUndo.pop_back();
  ParserUndoLast(2, r.Action, r.UndoData);
  if (r.Automatic) UndoLastAction();
}

void TSpellCheckerBase::Ignore() {
  if (!FCheckRunning) return;
  AddUndo(saIgnore, "", false);
  IgnoreCurrentWord(10);
  ContinueCheck();
}

void TSpellCheckerBase::IgnoreRepeated() { Ignore(); }

void TSpellCheckerBase::IgnoreAll() {
  if (!FCheckRunning || FRepeated) return;
  AddUndo(saIgnoreAll, "", false);
  FInternal->AddWord(FCurrentWord);
  IgnoreCurrentWord(11);
  ContinueCheck();
}

bool TSpellCheckerBase::ReportOnly() const { return FParser && !FParser->CanReplace(); }

void TSpellCheckerBase::Change(const AnsiString& Typed) {
  if (!FCheckRunning || FRepeated) return;
  // A replacement is one line: a pasted line break would split the paragraph.
  const AnsiString NewWord = OneLine(Typed);
  // Nothing visible would delete the word unseen: the check stays at it.
  if (IsUnusableReplacement(NewWord)) return;
  if (ReportOnly()) return Ignore();
  AddUndo(saChange, NewWord, false);
  if (!ReplaceCurrentWord(NewWord, 0)) return PassOverRefusedWord();
  if (RecheckReplacedWords && FParser) {
    int x = 0, y = 0;
    FParser->GetPosition(x, y);
    FParser->SetPosition(x - static_cast<int>(NewWord.size()), y, ppCurrent);
  }
  LearnCorrection(FCurrentWord, NewWord);
  ContinueCheck();
}

void TSpellCheckerBase::ChangeAll(const AnsiString& Typed) {
  if (!FCheckRunning || FRepeated) return;
  const AnsiString NewWord = OneLine(Typed);
  // A pair that changes a word to nothing (or to spaces) would delete it
  // wherever it comes again: refused, the check stays at the word.
  if (IsUnusableReplacement(NewWord)) return;
  if (ReportOnly()) return Ignore();
  AddUndo(saChangeAll, NewWord, false);
  const bool added = FInternal->AddAutoCorrect(FCurrentWord, NewWord);
  if (!ReplaceCurrentWord(NewWord, 1)) {
    if (added) FInternal->RemoveAutoCorrect(FCurrentWord);
    return PassOverRefusedWord();
  }
  LearnCorrection(FCurrentWord, NewWord);
  ContinueCheck();
}

void TSpellCheckerBase::Add() {
  if (!FCheckRunning || FRepeated) return;
  AddUndo(saAdd, "", false);
  // Custom dictionaries hold the straight apostrophe, which matches both.
  if (FActiveCustom) FActiveCustom->AddWord(StraightApostrophes(FCurrentWord));
  IgnoreCurrentWord(12);
  ContinueCheck();
}

void TSpellCheckerBase::AutoCorrect(const AnsiString& Typed) {
  if (!FCheckRunning || FRepeated) return;
  const AnsiString NewWord = OneLine(Typed);
  if (IsUnusableReplacement(NewWord)) return;  // as Change All
  if (ReportOnly()) return Ignore();
  AddUndo(saAutoCorrect, NewWord, false);
  const bool added = FActiveCustom && FActiveCustom->AddAutoCorrect(FCurrentWord, NewWord);
  if (!ReplaceCurrentWord(NewWord, 2)) {
    if (added) FActiveCustom->RemoveAutoCorrect(FCurrentWord);
    return PassOverRefusedWord();
  }
  LearnCorrection(FCurrentWord, NewWord);
  ContinueCheck();
}

void TSpellCheckerBase::DeleteRepeated() {
  if (!FCheckRunning || !FRepeated) return;
  if (ReportOnly()) return Ignore();
  AddUndo(saChange, FPreviousWord, false);
  if (!ReplaceCurrentWord(FPreviousWord, 0)) return PassOverRefusedWord();
  ContinueCheck();
}

void TSpellCheckerBase::Undo() {
  if (!FCheckRunning || !CanUndo()) return;
  UndoLastAction();
  ContinueCheck();
}

void TSpellCheckerBase::ResumeCheck() {
  if (!FCheckRunning || !FParser) return;
  FUndo.clear();
  int x = 0, y = 0, cx = 0, cy = 0;
  FParser->GetPosition(x, y);
  x = std::max(0, x - static_cast<int>(FCurrentWord.size()));
  FParser->GetCursorPosition(cx, cy);
  if (ResumeFromLastPosition) {
    if (cy < y) {
      x = cx;
      y = cy;
    } else if (cy == y && cx < x) {
      x = cx;
    }
  } else {
    x = cx;
    y = cy;
  }
  FParsingEngine->StartAt(x, y);
  // Where the walk really goes on: the start of the word there.
  FParser->GetPosition(x, y);
  NoteResumedAt(x, y);
  ContinueCheck();
}

void TSpellCheckerBase::Cancel() {
  if (!FCheckRunning) return;
  FCheckCancelled = true;
  CompleteCheck();
}

void TSpellCheckerBase::StopCheck(bool Cancelled) {
  if (!FCheckRunning) return;
  FCheckCancelled = Cancelled;
  CompleteCheck();
}

void TSpellCheckerBase::StartSequenceCheck() {
  FWordsChecked = 0;
  FReorderCountdown = 100;
  FCheckCancelled = false;
  FInSequence = true;
  FSavedCloseDialog = CloseDialogAtEnd;
  FSavedKeepActive = FKeepActive;
  CloseDialogAtEnd = false;
  FKeepActive = true;
}

void TSpellCheckerBase::StopSequenceCheck() {
  if (!FInSequence) return;
  FInSequence = false;
  CloseDialogAtEnd = true;
  ShowEndMessage();
  CloseSpellDialog();
  CloseDialogAtEnd = FSavedCloseDialog;
  SetKeepDictionariesActive(FSavedKeepActive);
}

void TSpellCheckerBase::CheckSelectionThenRest(TControlParser* Parser) {
  const bool savedSync = SynchronousCheck, savedFree = FreeParserAtEnd;
  SynchronousCheck = true;
  FreeParserAtEnd = false;
  StartSequenceCheck();
  int sx = 0, sy = 0, ex = 0, ey = 0;
  Parser->GetSelectionPosition(sx, sy, ex, ey);
  if (sx == ex && sy == ey) {
    CheckParser(Parser, ctFromCursor);
    Parser->SetPosition(0, 0, ppCurrent);
    Parser->SetPosition(sx, sy, ppEnd);
    CheckParser(Parser, ctToEndMark);
  } else {
    CheckParser(Parser, ctSelection);
    if (!FCheckCancelled) {
      const int answer =
          UIType == suiDialog && Application
              ? Application->MessageBox(GetString(lsEndSelectionMessage), GetString(lsSpelling),
                                        MB_YESNO | MB_ICONINFORMATION)
              : IDNO;
      if (answer == IDYES) {
        Parser->SetPosition(ex, ey, ppCurrent);
        Parser->SetPosition(2147483647, 2147483647, ppEnd);
        CheckParser(Parser, ctToEndMark);
        Parser->SetPosition(0, 0, ppCurrent);
        Parser->SetPosition(sx, sy, ppEnd);
        CheckParser(Parser, ctToEndMark);
      } else {
        FCheckCancelled = true;
      }
    }
  }
  StopSequenceCheck();
  SynchronousCheck = savedSync;
  FreeParserAtEnd = savedFree;
  if (FreeParserAtEnd) delete Parser;
}

void TSpellCheckerBase::CheckParserSilent(TControlParser* Parser, Byte CheckType, bool CheckWords,
                                          bool StopAtFirst, bool& HasErrors, int& ErrorCount,
                                          int& WordCount) {
  HasErrors = false;
  ErrorCount = WordCount = 0;
  if (CheckType != ctSelection && CheckType != ctWholeText) return;
  FConfig->SetActive(true);
  int savedX = 0, savedY = 0;
  Parser->GetCursorPosition(savedX, savedY);
  TMainParsingEngine splitter;
  ConnectFilters(splitter);
  splitter.Initialize(Parser, static_cast<TParseCheckType>(CheckType));
  AnsiString previous;
  TControlParser* outer = FParser;
  FParser = Parser;  // the filters see the parser of this walk
  for (;;) {
    AnsiString word;
    splitter.NextWord(word);
    if (word.empty()) break;
    ++WordCount;
    if (!CheckWords) continue;
    bool error = false;
    if (!IsWordAcceptable(word) && !(FollowsApostrophe(word, Parser) && IsElidedWord(word))) {
      error = true;
    } else if (FRepeatedTest) {
      error = previous == word && IsRepeatedWord(word, Parser);
      previous = word;
    }
    if (error) {
      ++ErrorCount;
      if (StopAtFirst) break;
    }
  }
  FParser = outer;
  switch (EndCursorPosition) {
    case epHome: Parser->SetPosition(0, 0, ppCurrent); break;
    case epOriginal: Parser->SetPosition(savedX, savedY, ppCurrent); break;
    case epNoModify: break;
  }
  Parser->SelectWord(0);
  if (FreeParserAtEnd) delete Parser;
  HasErrors = ErrorCount > 0;
}

// ---------------------------------------------------------------------------
// The spelling dialog's life

void TSpellCheckerBase::CreateSpellDialog() {}

void TSpellCheckerBase::ShowSpellDialog() {
  if (UIType == suiSilent) return;
  FDialogDeactivated = false;
  if (!SpellDialog) {
    if (OnCreateSpellDialog)
      OnCreateSpellDialog(this, SpellDialog, true);
    else
      CreateSpellDialog();
    if (SpellDialog) {
      SpellDialog->HelpContext = HelpCtxSpellDialog;
      BindDialogControl(SpellDialog);
    }
  }
  if (!SpellDialog) return;
  if (!FDialogShown) {
    FDialogShown = true;
    if (OnSpellDialogShow) OnSpellDialogShow(this);
    PositionSpellDialog();
    if (!DialogShowModal) SpellDialog->Show();
    FSavedShow = SpellDialog->OnShow;
    FSavedActivate = SpellDialog->OnActivate;
    FSavedDeactivate = SpellDialog->OnDeactivate;
    SpellDialog->OnShow = [this](TObject* s) { SpellDialogShow(s); };
    SpellDialog->OnActivate = [this](TObject* s) { SpellDialogActivate(s); };
    SpellDialog->OnDeactivate = [this](TObject* s) { SpellDialogDeactivate(s); };
  }
  AvoidSelection();
  if (DialogShowModal) SpellDialog->ShowModal();
}

void TSpellCheckerBase::SpellDialogShow(TObject* Sender) {
  if (DialogShowModal) {
    if (DialogShowImmediate)
      ContinueCheck();
    else
      PromptWord();
  }
  if (FSavedShow) FSavedShow(Sender);
}

void TSpellCheckerBase::SpellDialogDeactivate(TObject* Sender) {
  if (!FDialogDeactivated) {
    FDialogDeactivated = true;
    if (OnDialogDeactivate) OnDialogDeactivate(this);
  }
  if (FSavedDeactivate) FSavedDeactivate(Sender);
}

void TSpellCheckerBase::SpellDialogActivate(TObject* Sender) {
  if (FSavedActivate) FSavedActivate(Sender);
  if (FDialogDeactivated) {
    FDialogDeactivated = false;
    if (OnDialogActivate) OnDialogActivate(this);
    ResumeCheck();
  }
}

void TSpellCheckerBase::HideSpellDialog() {
  if (!SpellDialog) return;
  if (DialogInitialPos == ipLastUserPos) {
    FConfig->SetDialogX(SpellDialog->GetLeft());
    FConfig->SetDialogY(SpellDialog->GetTop());
  }
  if (!CloseDialogAtEnd && !DialogShowModal) return;
  FDialogShown = false;
  SpellDialog->OnShow = FSavedShow;
  SpellDialog->OnActivate = FSavedActivate;
  SpellDialog->OnDeactivate = FSavedDeactivate;
  if (DialogShowModal)
    SpellDialog->ModalResult = mrOk;
  else
    SpellDialog->Hide();
  if (OnSpellDialogHide) OnSpellDialogHide(this);
  if (OnCreateSpellDialog)
    OnCreateSpellDialog(this, SpellDialog, false);
  else
    SpellDialog->Release();
  SpellDialog = nullptr;
}

void TSpellCheckerBase::CloseSpellDialog() { HideSpellDialog(); }

void TSpellCheckerBase::PositionSpellDialog() {
  if (!SpellDialog) return;
  switch (DialogInitialPos) {
    case ipScreenCenter: SpellDialog->Position = poScreenCenter; break;
    case ipUnderSelection:
      if (!DialogShowImmediate) PositionDialogAvoidSelection(true, true);
      break;
    case ipAvoidControl: PositionDialogBesideControl(); break;
    case ipUserDefined:
      if (OnPositionDialog) OnPositionDialog(this);
      break;
    case ipLastUserPos: {
      const int x = FConfig->GetDialogX();
      if (x != -1)
        PlaceDialog(SpellDialog, x, FConfig->GetDialogY());
      else
        PositionDialogBesideControl();
      break;
    }
    case ipIgnore: SpellDialog->Position = poDefaultPosOnly; break;
    case ipDesktopCenter: SpellDialog->Position = poDesktopCenter; break;
  }
}

void TSpellCheckerBase::AvoidSelection() {
  if (!SpellDialog || !FParser || DialogSelectionAvoid == saNone) return;
  TRect word;
  FParser->GetSelectionScreenRect(word);
  // The title bar hides the word as the dialog's client area does.
  TCustomForm* dialog = SpellDialog;
  const TSpellDialogAvoidPos avoid = DialogSelectionAvoid;
  dialog->PlaceByFrame([dialog, word, avoid](const TRect& m) {
    const TRect dlg = FrameRectOf(dialog, m);
    const bool overlap = word.Left < dlg.Right && dlg.Left < word.Right && word.Top < dlg.Bottom &&
                         dlg.Top < word.Bottom;
    const bool across = avoid == saAvoid || avoid == saMove;
    if (overlap || avoid == saMove || avoid == saMoveUpDown) PlaceFrameBeside(dialog, m, word, across, true);
  });
}

void TSpellCheckerBase::PositionDialogAvoidSelection(bool Horizontal, bool Vertical) {
  if (!SpellDialog || !FParser) return;
  TRect r;
  FParser->GetSelectionScreenRect(r);
  PlaceDialogBeside(SpellDialog, r, Horizontal, Vertical);
}

void TSpellCheckerBase::PositionDialogBesideControl() {
  if (!SpellDialog || !FParser) return;
  TRect r;
  FParser->GetControlScreenRect(r);
  const TRect m = MonitorBoundsOf(SpellDialog);
  const int w = SpellDialog->GetWidth(), h = SpellDialog->GetHeight();
  TPoint p;
  if (r.Bottom + h <= m.Bottom)
    p = {r.Left, r.Bottom};
  else if (r.Right + w <= m.Right)
    p = {r.Right, r.Top};
  else if (r.Top - h >= m.Top)
    p = {r.Left, r.Top - h};
  else if (r.Left - w >= m.Left)
    p = {r.Left - w, r.Top};
  else if (DialogShowImmediate)
    p = {r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2};
  else {
    PositionDialogAvoidSelection(true, true);
    return;
  }
  PlaceDialog(SpellDialog, p.X, p.Y);
}
