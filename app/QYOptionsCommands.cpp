// The main window's commands for the preferences, the journal manager, and
// the backup, restore and pack of the database.
#include "app/QYBackup.h"
#include "app/QYJournalManager.h"
#include "app/QYMain.h"
#include "app/QYPreferences.h"
#include "app/QYProfile.h"

#include <algorithm>
#include <initializer_list>

void TformQuilloryMain::ShowBackupTarget() {
  if (ActionBackup) ActionBackup->SetHint("backup database to " + ProfileSettings.BackupRestoreLocation);
}

void TformQuilloryMain::BuildOptionsCommands() {
  ActionPreferences = NewAction("ActionPreferences", "&Preferences...", "set preferences", scNone,
                                [this](TObject*) { ActionPreferencesExecute(this); });
  ActionJournalManager = NewAction("ActionJournalManager", "&Manage Journals...", "manage journals", scNone,
                                   [this](TObject*) { ActionJournalManagerExecute(this); });
  ActionBackup = NewAction("ActionBackup", "&Backup Database...", "backup database", scNone,
                           [this](TObject*) { ActionBackupExecute(this); });
  ActionRestore = NewAction("ActionRestore", "&Restore Database...", "restore database", scNone,
                            [this](TObject*) { ActionRestoreExecute(this); });
  ActionPackAndRegenIndexes = NewAction("ActionPackAndRegenIndexes", "Pack and Regenerate &Indexes",
                                        "regenerate indexes", scNone,
                                        [this](TObject*) { PackAndReindexTables(this); });

  TMenuItem* root = MainMenu->Items();
  TMenuItem* tools = nullptr;
  int help = root->Count();
  for (int i = 0; i < root->Count(); ++i) {
    String caption = root->Items(i)->GetCaption();
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    if (caption == "Tools") tools = root->Items(i);
    if (root->Items(i)->GetCaption() == "&Help") help = i;
  }
  if (!tools) {
    tools = new TMenuItem(nullptr);
    // Alt+T is the Today command's, Alt+O the cover's Open, Alt+L its Lock.
    tools->SetCaption("Tool&s");
    root->Insert(help, tools);
  }
  for (TAction* a : std::initializer_list<TAction*>{ActionPreferences, nullptr, ActionJournalManager, nullptr, ActionBackup, ActionRestore,
                     ActionPackAndRegenIndexes}) {
    auto* m = new TMenuItem(nullptr);
    if (a) m->SetAction(a);
    else m->SetCaption("-");
    tools->Add(m);
  }
}
