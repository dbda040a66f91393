#include "spell/scConfiguration.h"

#include "platform/base/IniFiles.h"
#include "platform/base/SysUtils.h"
#include "spell/scSpellBase.h"
#include "spell/scUtil.h"

const TSpellOption TSpellConfig::kSaveOrder[15] = {
    soUpcase,  soNumbers,    soHTML,         soInternet,    soQuoted,
    soAbbreviations, soPrimaryOnly, soRepeated, soDUalCaps, soLiveSpelling,
    soLiveCorrect, soUser1, soUser2, soUser3, soUser4};

String TSpellConfig::OptionKey(TSpellOption O) {
  static const char* const names[15] = {
      "_soLiveSpelling", "_soLiveCorrect", "_soUpcase", "_soNumbers", "_soHTML",
      "_soInternet", "_soQuoted", "_soAbbreviations", "_soPrimaryOnly", "_soRepeated",
      "_soDUalCaps", "_soUser1", "_soUser2", "_soUser3", "_soUser4"};
  return names[static_cast<int>(O)];
}

TSpellConfig::TSpellConfig() {
  for (TStringList* l : {&MainDictionaries, &CustomDictionaries, &MSWordCustomDictionaries,
                         &NewPaths})
    l->OnChange = [this](TObject* s) { ListChanged(s); };
  NewPaths.SetSorted(true);
  NewPaths.Duplicates = dupIgnore;
}

TSpellConfig::~TSpellConfig() {
  Save();
  for (TStringList* l : {&MainDictionaries, &CustomDictionaries, &MSWordCustomDictionaries,
                         &NewPaths})
    l->OnChange = nullptr;
}

void TSpellConfig::SetActiveCustom(const String& Value) {
  if (Value == ActiveCustom) return;
  ActiveCustom = Value;
  if (CustomDictionaries.IndexOf(Value) < 0) CustomDictionaries.Add(Value);
  Changed(true);
}

void TSpellConfig::SetActive(bool Value) {
  if (Value) {
    if (!Active) Load();
  } else {
    Save();
    Active = false;
  }
}

void TSpellConfig::SetOptions(TSpellOptions Value) {
  if (Value == Options) return;
  Options = Value;
  Changed(false);
}

void TSpellConfig::SetDialogX(int32_t Value) {
  if (Value == DialogX) return;
  DialogX = Value;
  Changed(false);
}

void TSpellConfig::SetDialogY(int32_t Value) {
  if (Value == DialogY) return;
  DialogY = Value;
  Changed(false);
}

TStringList& TSpellConfig::GetMainDictionaries() {
  EnsureLoaded();
  return MainDictionaries;
}
TStringList& TSpellConfig::GetCustomDictionaries() {
  EnsureLoaded();
  return CustomDictionaries;
}
TStringList& TSpellConfig::GetMSWordDictionaries() {
  EnsureLoaded();
  return MSWordCustomDictionaries;
}
String TSpellConfig::GetActiveCustom() {
  EnsureLoaded();
  // A name the user chose, stored as typed: the default's macros were
  // expanded when it was made.
  return ActiveCustom;
}
TSpellOptions TSpellConfig::GetOptions() {
  EnsureLoaded();
  return Options;
}
int32_t TSpellConfig::GetDialogX() {
  EnsureLoaded();
  return DialogX;
}
int32_t TSpellConfig::GetDialogY() {
  EnsureLoaded();
  return DialogY;
}
TStringList& TSpellConfig::GetNewPaths() {
  EnsureLoaded();
  return NewPaths;
}

void TSpellConfig::ListChanged(TObject* Sender) { Changed(true); }

void TSpellConfig::Changed(bool DictionariesChanged) {
  if (!Engine || !Active) return;
  Modified = true;
  Engine->ConfigurationChanged(DictionariesChanged);
}

void TSpellConfig::ReadWriteList(const String& Name, TStringList& List, bool Reading) {
  if (Reading) {
    String countText;
    ReadString(Name + "_count", "-", countText);
    int count = 0;
    if (countText != "-" && !TryStrToInt(countText, count)) count = 0;
    count = std::clamp(count, 0, kMaxConfigListCount);
    for (int i = 0; i < count; ++i) {
      String v;
      ReadString(Name + "_" + IntToStr(i), "", v);
      if (!v.empty()) List.Add(v);
    }
    return;
  }
  WriteString(Name + "_count", IntToStr(List.Count()));
  for (int i = 0; i < List.Count(); ++i) WriteString(Name + "_" + IntToStr(i), List[i]);
  // Entries past the list's end (dictionaries since removed) go from the
  // file: it names only what the settings hold.
  if (!FIni || FWriteFailed || (StorageInUse != csFile && StorageInUse != csRegistry)) return;
  try {
    TStringList keys;
    FIni->ReadSection(Section, keys);
    const String prefix = Name + "_";
    for (int k = 0; k < keys.Count(); ++k) {
      const String key = keys[k];
      if (key.compare(0, prefix.size(), prefix) != 0) continue;
      const String index = key.substr(prefix.size());
      int i = 0;
      if (!index.empty() && index.find_first_not_of("0123456789") == String::npos && TryStrToInt(index, i) &&
          i >= List.Count())
        FIni->DeleteKey(Section, key);
    }
  } catch (const Exception&) {
    FWriteFailed = true;
  }
}

void TSpellConfig::ReadString(const String& Key, const String& Default, String& Value) {
  Value = Default;
  if (!Engine) return;
  switch (Engine->ConfigStorage) {
    case csFile:
    case csRegistry:
      if (FIni) {
        try {
          Value = FIni->ReadString(Section, Key, Default);
        } catch (const Exception&) {
          Value = Default;
        }
      }
      break;
    case csCallback: Engine->DoConfigReadString(Section, Key, Default, Value); break;
    case csNone: break;
  }
}

void TSpellConfig::WriteString(const String& Key, const String& Value) {
  switch (StorageInUse) {
    case csFile:
    case csRegistry:
      if (FIni && !FWriteFailed) {
        try {
          FIni->WriteString(Section, Key, Value);
        } catch (const Exception&) {
          FWriteFailed = true;  // the rest of this save is skipped
        }
      }
      break;
    case csCallback:
      if (Engine) Engine->DoConfigWriteString(Section, Key, Value);
      break;
    case csNone: break;
  }
}

bool TSpellConfig::OpenStore() {
  FIni.reset();
  FWriteFailed = false;
  FStoreRefused = false;
  String path;
  if (StorageInUse == csFile) {
    path = FileName;
  } else if (StorageInUse == csRegistry) {
    // No registry here: the key becomes an INI file in the configuration
    // folder, one section per configuration, as in the file storage.
    String key = RegistryKey;
    for (char& c : key)
      if (c == '\\') c = '/';
    String base;
    GetSpecialFolder(CSIDL_CONFIG, base);
    path = base + "/" + key + ".ini";
  } else {
    return true;
  }
  ForcePrivateFolder(ExtractFileDir(path));
  try {
    FIni = std::make_unique<TIniFile>(path);
    // The settings name the user's dictionaries and words.
    FIni->OwnerOnly = true;
  } catch (const Exception&) {
    return false;
  }
  if (FIni->TooLarge()) {
    FIni.reset();
    FStoreRefused = true;
    if (Engine) Engine->SettingsRefused(path);
    return false;
  }
  return true;
}

void TSpellConfig::Load() {
  Active = false;
  if (!Engine) return;
  StorageInUse = Engine->ConfigStorage;
  Section = Engine->ExpandPath(Engine->ConfigID);
  if (StorageInUse == csFile) FileName = Engine->ExpandPath(Engine->ConfigFilename);
  if (StorageInUse == csRegistry) RegistryKey = Engine->ExpandPath(Engine->ConfigRegistryKey);
  OpenStore();
  String first;
  ReadString("_FirstRun", "-", first);
  const bool firstRun = first == "-" || ResetPending;
  ResetPending = false;
  if (firstRun) {
    MainDictionaries.Assign(&Engine->ConfigDefaultMain);
    CustomDictionaries.Assign(&Engine->ConfigDefaultCustom);
    MSWordCustomDictionaries.Clear();
    if (Engine->ConfigUseMSWordCustom && Engine->ConfigDefaultUseMSWordCustom)
      MSWordCustomDictionaries.Assign(Engine->GetMSWordCustomDictionaries());
    Options = Engine->ConfigDefaultOptions;
    DialogX = DialogY = -1;
    NewPaths.Clear();
    String active;
    Engine->ExpandConfigID(Engine->ConfigDefaultActiveCustom, active);
    ReplaceMacro("%AppName%", ExpandPathMacros("%AppName%"), active, active);
    ReplaceMacro("%UserName%", SpellUserName(), active, active);
    SetActiveCustom(active);
  } else {
    MainDictionaries.Clear();
    ReadWriteList("_Main", MainDictionaries, true);
    CustomDictionaries.Clear();
    ReadWriteList("_Custom", CustomDictionaries, true);
    MSWordCustomDictionaries.Clear();
    ReadWriteList("_MSWordCustom", MSWordCustomDictionaries, true);
    String active;
    ReadString("_ActiveCustom", "", active);
    SetActiveCustom(active);
    Options.Clear();
    for (TSpellOption o : kSaveOrder) {
      String v;
      ReadString(OptionKey(o), "-", v);
      if (v == "+") Options.Include(o);
    }
    String x, y;
    ReadString("_DialogX", "-1", x);
    ReadString("_DialogY", "-1", y);
    DialogX = StrToIntDef(x, -1);
    DialogY = StrToIntDef(y, -1);
    NewPaths.Clear();
    ReadWriteList("_NewPaths", NewPaths, true);
    UserDataNames.Clear();
    UserDataValues.Clear();
    ReadWriteList("_UserData", UserDataNames, true);
    for (int i = 0; i < UserDataNames.Count(); ++i) {
      String v;
      ReadString("User_" + UserDataNames[i], "", v);
      UserDataValues.Add(v);
    }
  }
  Active = true;
  Modified = false;
  FIni.reset();
  Engine->DoConfigLoaded();
  Changed(true);
}

void TSpellConfig::EnsureLoaded() {
  if (!Active) Load();
}

String TSpellConfig::GetUserData(const String& Name) {
  EnsureLoaded();
  if (!Active) return String();
  int i = UserDataNames.IndexOf(Name);
  return i >= 0 && i < UserDataValues.Count() ? UserDataValues[i] : String();
}

void TSpellConfig::SetUserData(const String& Name, const String& Value) {
  EnsureLoaded();
  if (!Active) return;
  Modified = true;
  int i = UserDataNames.IndexOf(Name);
  if (i >= 0 && i < UserDataValues.Count()) {
    UserDataValues.Put(i, Value);
  } else {
    UserDataNames.Add(Name);
    UserDataValues.Add(Value);
  }
  Changed(false);
}

void TSpellConfig::ResetToDefaults() {
  ResetPending = true;
  Reload();
}

bool TSpellConfig::Reload() {
  if (!Active) return true;
  const bool saved = Save();
  Load();
  return saved;
}

bool TSpellConfig::Save() {
  if (!Modified || !Active) return true;
  if (!OpenStore()) return false;
  if (StorageInUse != csNone) {
    WriteString("_FirstRun", "+");
    ReadWriteList("_Main", MainDictionaries, false);
    ReadWriteList("_Custom", CustomDictionaries, false);
    ReadWriteList("_MSWordCustom", MSWordCustomDictionaries, false);
    WriteString("_ActiveCustom", ActiveCustom);
    for (TSpellOption o : kSaveOrder) WriteString(OptionKey(o), Options.Contains(o) ? "+" : "-");
    WriteString("_DialogX", IntToStr(DialogX));
    WriteString("_DialogY", IntToStr(DialogY));
    ReadWriteList("_NewPaths", NewPaths, false);
    ReadWriteList("_UserData", UserDataNames, false);
    for (int i = 0; i < UserDataValues.Count() && i < UserDataNames.Count(); ++i)
      WriteString("User_" + UserDataNames[i], UserDataValues[i]);
  }
  // The file is replaced whole, or not at all.
  if (FIni && !FWriteFailed) {
    try {
      FIni->UpdateFile();
    } catch (const Exception&) {
      FWriteFailed = true;
    }
  }
  const bool ok = !FWriteFailed;
  if (ok) Modified = false;
  if (FIni && !ok) {
    // Drop the unwritten changes without letting the destructor retry.
    FIni.reset();
  }
  FIni.reset();
  if (Engine) Engine->DoConfigSaved();
  return ok;
}
