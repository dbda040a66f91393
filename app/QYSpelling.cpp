// The Spell Check, Thesaurus and Setup Spell Check commands of the main
// window on the current journal's editor.
#include "app/QYSpelling.h"

#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYEntryStore.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYSettingsPaths.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/Dialogs.h"
#include "richtext/editor/VellumEdit.h"
#include "spell/scCustomDictionary.h"
#include "spellvl/VLSpellChecker.h"

namespace {

// A failure of the engine is reported; the entry stays as it is.
void ReportFailure(const char* what, const std::exception& e) {
  MessageBox(String("The ") + what + " stopped because of an error:\r\n\r\n" + e.what(), "Quillory",
             MB_OK | MB_ICONERROR);
}

// Settings that could not be written are reported, not lost silently.
void SaveSpellSettings(TVLSpellChecker* spell) {
  TSpellConfig& config = spell->Configuration();
  // A file refused as too large was named when it was met.
  if (!config.Modified || config.Save() || config.StoreRefused()) return;
  MessageBox("The spelling settings could not be saved to\r\n" + config.FileName +
                 "\r\n\r\nThey stay in effect until Quillory ends.",
             "Spelling", MB_OK | MB_ICONWARNING);
}

// The dictionaries the spelling settings name, checked as settings paths
// before the engine opens them: one that is a folder, a named pipe or a
// link that leads nowhere would be passed over without a word (a regular
// file that is no dictionary the engine names itself). Spelling goes on
// without it.
void CheckDictionaryPaths(TVLSpellChecker& spell) {
  TSpellConfig& config = spell.Configuration();
  std::vector<String> names;
  for (TStringList* list : {&config.GetMainDictionaries(), &config.GetCustomDictionaries()})
    for (int i = 0; i < list->Count(); ++i) names.push_back((*list)[i]);
  names.push_back(config.GetActiveCustom());
  for (const String& name : names) {
    if (Trim(name).empty()) continue;
    // A plain name is looked for in the dictionary folders: the first file
    // of that name serves.
    std::vector<String> candidates;
    if (name.find('/') != String::npos)
      candidates.push_back(spell.ExpandPath(name));
    else
      for (int i = 0; i < spell.ConfigDictionaryDir.Count(); ++i)
        candidates.push_back(IncludeTrailingPathDelimiter(spell.ExpandPath(spell.ConfigDictionaryDir[i])) + name);
    String badPath, problem;
    bool served = false;
    for (const String& path : candidates) {
      const String p = SettingsPathProblem(path, TSettingsPathKind::File);
      if (p == SettingsPathMissing) continue;
      if (FileExists(path)) {
        served = true;  // a regular file: the engine opens it or says why not
        break;
      }
      if (badPath.empty()) {
        badPath = path;
        problem = p;
      }
    }
    if (!served && !badPath.empty())
      ReportSettingsPath("dictionary", badPath, problem, "Spelling goes on without it.");
  }
}

}  // namespace

int RemoveSpellingLeftovers(TSpellCheckerBase& spell) {
  int removed = RemoveInterruptedSaves(ExtractFileDir(spell.ExpandPath(spell.ConfigFilename)));
  // The folder the user's dictionaries are made in.
  if (spell.ConfigDictionaryDir.Count() > 0) removed += RemoveInterruptedSaves(spell.ExpandPath(spell.ConfigDictionaryDir[0]));
  return removed;
}

void CancelSpellCheck() {
  if (formQuilloryMain && formQuilloryMain->VLSpellChecker) formQuilloryMain->VLSpellChecker->CancelCheck();
}

void TformQuilloryMain::BuildSpelling() {
  TCustomDictionary::OnDamaged = [](const String& fileName, const String& setAside, int recovered) {
    MessageBox("The dictionary\r\n" + fileName + "\r\ncould not be read whole, so it was set aside as\r\n" + setAside +
                   "\r\nand a new one was started with the " + IntToStr(recovered) +
                   (recovered == 1 ? " word" : " words") +
                   " that could still be read. Words added from now on go into the new one.",
               "Spelling", MB_OK | MB_ICONWARNING);
  };
  TCustomDictionary::OnEntriesDropped = [](const String& fileName, int dropped) {
    MessageBox("The dictionary\r\n" + fileName + "\r\nheld " + IntToStr(dropped) +
                   (dropped == 1 ? " replacement" : " replacements") +
                   " that would have put nothing visible, a control character or a line break into the text. " +
                   (dropped == 1 ? "It was" : "They were") + " left out and will not be written back.",
               "Spelling", MB_OK | MB_ICONWARNING);
  };
  VLSpellChecker = new TVLSpellChecker(this);
  VLSpellChecker->SetName("VLSpellChecker");
  VLSpellChecker->ConfigStorage = csFile;
  VLSpellChecker->ConfigAvailableOptions = {soLiveSpelling, soLiveCorrect, soUpcase,  soNumbers,
                                            soPrimaryOnly,  soRepeated,    soDUalCaps};
  VLSpellChecker->DialogShowModal = false;
  RemoveSpellingLeftovers(*VLSpellChecker);
  VLThesaurus = new TVLThesaurus(this);
  VLThesaurus->SetName("VLThesaurus");

  auto make = [this](const char* name, const char* caption, const char* hint, TShortCut key,
                     std::function<void()> run) {
    return NewAction(name, caption, hint, key, [run](TObject*) { run(); });
  };
  ActionSpell = make("ActionSpell", "&Spell Check", "check spelling", VK_F7, [this] { ActionSpellExecute(this); });
  ActionThesaurus = make("ActionThesaurus", "&Thesaurus...", "look up a synonym", scShift | VK_F7,
                         [this] { ActionThesaurusExecute(this); });
  ActionSpellSetup = make("ActionSpellSetup", "Set&up Spell Check...", "spell check options", scNone,
                          [this] { ActionSpellSetupExecute(this); });
}

void TformQuilloryMain::ActionSpellExecute(TObject*) {
  TformQuilloryEditor* w = CurrentEditorWindow();
  if (!w || !w->QuilloryText || VLSpellChecker->CheckRunning()) return;
  PauseTimer();
  SaveEntry(CurrentJournal, smAuto);
  CheckDictionaryPaths(*VLSpellChecker);
  // The check runs while the dialog is open; the editor may go meanwhile
  // (the check then ends by itself), so w is not used afterwards.
  try {
    VLSpellChecker->CheckVellumEdit(w->QuilloryText, ctWholeText);
  } catch (const std::exception& e) {
    VLSpellChecker->CancelCheck();
    ReportFailure("spelling check", e);
  }
  SaveSpellSettings(VLSpellChecker);
  ResumeTimer();
}

void TformQuilloryMain::ActionThesaurusExecute(TObject*) {
  TformQuilloryEditor* w = CurrentEditorWindow();
  if (!w || !w->QuilloryText) return;
  PauseTimer();
  SaveEntry(CurrentJournal, smAuto);
  try {
    VLThesaurus->LookupVellumEdit(w->QuilloryText);
  } catch (const std::exception& e) {
    ReportFailure("thesaurus", e);
  }
  ResumeTimer();
}

void TformQuilloryMain::ActionSpellSetupExecute(TObject*) {
  PauseTimer();
  try {
    VLSpellChecker->Configuration().SetActive(true);
    VLSpellChecker->ShowConfigDialog(this);
  } catch (const std::exception& e) {
    ReportFailure("spelling options", e);
  }
  CheckDictionaryPaths(*VLSpellChecker);
  SaveSpellSettings(VLSpellChecker);
  ResumeTimer();
}
