// Screenshots of the preferences dialog (each page) and the manage-journals
// window under a display, each picture checked before it is written:
//
//   options_screenshots <folder> <program folder>
//
// Works in a documents folder of its own under the temporary folder, with
// two journals, and answers the first start's question itself.
#include "app/QYJournalManager.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPreferences.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "tests/support/Screenshots.h"

#include <QApplication>
#include <QPixmap>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    Application->ProcessMessages();
    QThread::msleep(25);
  }
}

bool Save(TCustomForm* form, const std::string& file, const qytest::TPictureCheck& check) {
  Settle();
  const QPixmap shot = WindowWidgetOf(form)->grab();
  const std::string wrong = qytest::CheckPicture(shot.toImage(), check);
  if (!wrong.empty()) std::printf("BAD PICTURE %s: %s\n", file.c_str(), wrong.c_str());
  const bool ok = shot.save(QString::fromStdString(file), "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", file.c_str());
  return ok && wrong.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string folder = argv[1], programDir = argv[2];
  QApplication toolkit(argc, argv);
  const std::filesystem::path docs =
      std::filesystem::temp_directory_path() / ("qy-options-shot-" + std::to_string(::getpid()));
  std::filesystem::create_directories(docs);
  Application->Initialize();
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = programDir;
  folders.DocumentsDir = docs.string();
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  TformQuilloryMain* main = nullptr;
  {
    TInteractionScript script;
    script.Answer(IDOK);  // the new database folder
    main = Application->CreateForm<TformQuilloryMain>();
  }
  if (main->SetUpCancelled) return 1;
  auto* prefs = Application->CreateForm<TdlgPreferences>();
  RegisterDocumentFormats();
  RegisterJournalHooks();
  main->SetBounds(0, 0, 1000, 720);
  main->Show();
  Integer id = 0;
  InsertJournal("Garden Diary", 0, id);
  InsertJournal("Recipes", 1, id);
  InsertJournal("Travel", 0, id);
  main->pbOpenQuilloryClick(nullptr);
  ProfileSettings.UserName = "Anne Shirley";
  ProfileSettings.UserAddress = "12 Orchard Lane\r\nAvonlea, PE C0A 1H0";
  ProfileSettings.DisplayAddress = true;
  ProfileSettings.BackupRestoreLocation = docs.string() + "/Journal Backups";
  bool ok = true;

  prefs->Show();
  const struct {
    TTabSheet* Page;
    const char* Name;
  } pages[] = {{prefs->tsPersonal, "personal"}, {prefs->tsDefaultStyle, "default-style"},
               {prefs->tsAutomation, "automation"}, {prefs->tsStartUp, "startup"},
               {prefs->tsDatabase, "database"}, {prefs->tsCoverPage, "cover-page"}};
  for (const auto& p : pages) {
    prefs->PageControl->SetActivePage(p.Page);
    if (p.Page == prefs->tsDefaultStyle && prefs->FontListBox->Items().Count() > 1) {
      prefs->FontListBox->SetItemIndex(1);
      prefs->ShowTextStyleSample(prefs->FontListBox->Items()[1]);
    }
    ok &= Save(prefs, folder + "/preferences-" + p.Name + ".png", {400, 300, {}});
  }
  prefs->PageControl->SetActivePage(prefs->tsPersonal);
  ok &= Save(prefs, folder + "/preferences.png", {400, 300, {}});
  prefs->CancelBtnClick(prefs);
  prefs->Hide();

  TformJournalManager* manager = ActionJournalManagerExecute(main);
  if (!manager) return 1;
  manager->SetBounds(20, 20, 560, 320);
  manager->JournalManagerGrid->ToggleCell(jmcShow, 2);
  ok &= Save(main, folder + "/manage-journals.png", {640, 480, {}});
  manager->pbOkClick(manager);
  Settle();
  Application->DestroyComponents();
  std::error_code ec;
  std::filesystem::remove_all(docs, ec);
  return ok ? 0 : 1;
}
