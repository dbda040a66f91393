#pragma once
// The spell checker's per-user settings (dictionaries, options, dialog
// position, the host's named values) and their storage: an INI file, an
// INI file standing in for the registry, the engine's callbacks, or none.
#include "platform/base/Set.h"
#include "platform/base/Strings.h"

#include <memory>

class TSpellCheckerBase;
class TIniFile;

enum TSpellOption {
  soLiveSpelling, soLiveCorrect, soUpcase, soNumbers, soHTML, soInternet, soQuoted,
  soAbbreviations, soPrimaryOnly, soRepeated, soDUalCaps, soUser1, soUser2, soUser3, soUser4
};
using TSpellOptions = TSet<TSpellOption>;

enum TConfigStorage { csFile, csRegistry, csCallback, csNone };

// Counts read from a store are capped, so a damaged count cannot make a
// load run for billions of steps.
constexpr int kMaxConfigListCount = 100000;

class TSpellConfig : public TObject {
public:
  TSpellConfig();
  ~TSpellConfig() override;
  TSpellConfig(const TSpellConfig&) = delete;
  TSpellConfig& operator=(const TSpellConfig&) = delete;

  virtual void SetActiveCustom(const String& Value);
  virtual void SetActive(bool Value);
  virtual void SetOptions(TSpellOptions Value);
  virtual void SetDialogX(int32_t Value);
  virtual void SetDialogY(int32_t Value);
  virtual TStringList& GetMainDictionaries();
  virtual TStringList& GetCustomDictionaries();
  virtual TStringList& GetMSWordDictionaries();
  virtual String GetActiveCustom();
  virtual TSpellOptions GetOptions();
  virtual int32_t GetDialogX();
  virtual int32_t GetDialogY();
  virtual TStringList& GetNewPaths();
  virtual void ListChanged(TObject* Sender);
  virtual void Changed(bool DictionariesChanged);
  virtual void ReadWriteList(const String& Name, TStringList& List, bool Reading);
  virtual void ReadString(const String& Key, const String& Default, String& Value);
  virtual void WriteString(const String& Key, const String& Value);
  virtual void Load();
  virtual void EnsureLoaded();
  virtual String GetUserData(const String& Name);
  virtual void SetUserData(const String& Name, const String& Value);
  virtual void ResetToDefaults();
  // The store is a file larger than any settings file: it was neither read
  // nor written (the engine was told).
  bool StoreRefused() const { return FStoreRefused; }
  // Saves first when active, then loads; false when the save failed.
  virtual bool Reload();
  // Writes the whole section; false when the store could not be written
  // (the settings stay modified and the previous file stays as it was).
  virtual bool Save();

  bool Modified = false;
  TStringList MainDictionaries, CustomDictionaries, MSWordCustomDictionaries;
  String ActiveCustom;
  TStringList UserDataNames, UserDataValues;
  TSpellOptions Options;
  int32_t DialogX = -1, DialogY = -1;
  TStringList NewPaths;
  TConfigStorage StorageInUse = csNone;
  String FileName, RegistryKey, Section;
  bool Active = false;
  TSpellCheckerBase* Engine = nullptr;
  bool ResetPending = false;

  // The option keys, in the order a save writes them.
  static const TSpellOption kSaveOrder[15];
  static String OptionKey(TSpellOption O);

private:
  bool OpenStore();
  std::unique_ptr<TIniFile> FIni;
  bool FWriteFailed = false;
  bool FStoreRefused = false;
};
