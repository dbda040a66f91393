#pragma once
// The main window over a set-up database with the journals opened in real
// editor windows, for the tests of navigation, editor windows and commands.
#include "JournalTestSupport.h"

#include "app/QYEditor.h"
#include "app/QYMain.h"
#include "app/QYStartup.h"

#include "platform/base/Streams.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "spellvl/VLSpellChecker.h"

#include <cmath>
#include <functional>

namespace qytest {

class TMainJournalWorld : public TJournalWorld {
public:
  TMainJournalWorld() : TMainJournalWorld(nullptr) {}
  // beforeStart sets up the database folder and its settings as an earlier
  // run left them, before the main window starts on them; the boxes the
  // start shows are kept in StartShown.
  explicit TMainJournalWorld(const std::function<void(TMainJournalWorld&)>& beforeStart) {
    if (beforeStart) beforeStart(*this);
    SetMainWindowDatabaseFolders(Folders);
    AppHooks() = {};
    RegisterJournalHooks();
    TInteractionScript script;
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    Main = Application->CreateForm<TformQuilloryMain>();
    StartShown = script.Shown;
    ProfileSettings.ProtectPriorEntries = false;
    ProfileSettings.KeepJournalStyle = true;
    ProfileSettings.ConfirmDelete = false;
    ProfileSettings.AutoSaveOn = ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = false;
    Main->SetScreenMode(smOpen);
  }
  ~TMainJournalWorld() {
    TInteractionScript script;
    for (int i = 0; i < 20; ++i) script.Answer(IDOK);
    if (FirstJournal) JournalsLoaded = true;
    UnloadJournals();
    Application->ProcessMessages();
    delete Main;
    Application->MainForm = nullptr;
    Application->OnException = nullptr;
    SetMainWindowDatabaseFolders(std::nullopt);
    AppHooks() = {};
  }

  // The main window's spelling checker on the dictionaries of the build, its
  // dialog answered by the test rather than run to its end.
  TVLSpellChecker* UseBuiltDictionaries() {
    TVLSpellChecker* spell = Main->VLSpellChecker;
    TStringList dirs;
    dirs.Add("%AppData%/%AppName%");
    // The build's main dictionaries by name, and nothing else of its folder.
    dirs.Add(qytest::LinksToFiles(QY_BIN_DIR, ".spm"));
    spell->SetConfigDictionaryDir(dirs);
    spell->SynchronousCheck = false;
    return spell;
  }

  // A journal opened in its window, with today's entry, made current.
  TOpenJournal* OpenWindow(const String& name, Byte kind) {
    const Integer id = AddJournal(name, kind);
    JournalsLoaded = true;
    TInteractionScript script;
    script.Answer(IDOK);
    TOpenJournal* j = FindOrOpenJournal(id);
    if (!script.Shown.empty()) throw Exception("opening " + name + ": " + script.Shown[0].Text);
    CurrentJournal = j;
    return j;
  }

  static TVellumEdit* Editor(TOpenJournal* j) { return j->EditorWindow->QuilloryText; }

  // Typed at the end of the entry, through the editor's edit protocol.
  static void TypeAtEnd(TOpenJournal* j, const String& text) {
    TVellumEdit* e = Editor(j);
    const Integer last = e->ItemCount() - 1;
    if (last >= 0) e->SetCaret(last, e->GetItemEndOffset(last));
    e->InsertText(text);
  }

  // The text stored for the journal and date ("" when no row).
  String StoredText(Integer id, double date) {
    const String blob = StoredBlob(id, std::floor(date));
    if (blob.empty()) return String();
    TEntryDocument doc;
    TMemoryStream s;
    s.Write(blob.data(), static_cast<Int64>(blob.size()));
    s.Seek(0, soBeginning);
    doc.LoadVLF(s);
    return doc.Text();
  }

  TformQuilloryMain* Main = nullptr;
  std::vector<TInteraction> StartShown;
};

}  // namespace qytest
