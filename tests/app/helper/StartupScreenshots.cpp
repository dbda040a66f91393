// Screenshots of the start-up windows, for the documentation and for a look
// at the real program under a virtual display. Each picture is checked (size,
// not blank, some text) before it is written; a picture that fails makes the
// run fail. CTest runs both modes as startup_screenshots.
//
//   startup_screenshots windows <folder> <program folder>
//                                          the cover in each draw mode, the
//                                          splash and the about box, made in
//                                          this process (answers the first
//                                          start's question itself)
//   startup_screenshots lock <file> <program folder>
//                                          the main window after a lock of an
//                                          open, protected journal (in a
//                                          documents folder of its own)
//   startup_screenshots first <folder> <program folder>
//                                          a first start: the offer of a first
//                                          journal, the window without one, a
//                                          topic journal, the change-password
//                                          dialog, a short message box and the
//                                          help window (documents folder of
//                                          its own)
//   startup_screenshots grab <file>        the whole screen, as it is now
#include "app/QYAbout.h"
#include "app/QYAddJournal.h"
#include "app/QYEditor.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "app/QYSplash.h"
#include "app/QYStartup.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/os/HelpViewer.h"
#include "richtext/editor/VellumEdit.h"
#include "tests/support/Screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
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
  QWidget* w = WindowWidgetOf(form);
  QPixmap shot = w->grab();
  if (!w->mask().isEmpty()) {
    // A shaped window shows only its region: leave the rest transparent.
    QImage shaped(shot.size(), QImage::Format_ARGB32_Premultiplied);
    shaped.fill(Qt::transparent);
    QPainter p(&shaped);
    p.setClipRegion(w->mask());
    p.drawPixmap(0, 0, shot);
    p.end();
    shot = QPixmap::fromImage(shaped);
  }
  const std::string wrong = qytest::CheckPicture(shot.toImage(), check);
  if (!wrong.empty()) std::printf("BAD PICTURE %s: %s\n", file.c_str(), wrong.c_str());
  const bool ok = shot.save(QString::fromStdString(file), "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", file.c_str());
  return ok && wrong.empty();
}

int Windows(const std::string& folder, const std::string& programDir) {
  TInteractionScript script;
  script.Answer(IDOK);  // the new database folder
  Application->Initialize();
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = programDir;
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  TformQuilloryMain* main = Application->CreateForm<TformQuilloryMain>();
  if (main->SetUpCancelled) return 1;
  auto* about = Application->CreateForm<TdlgAboutBox>();
  ProfileSettings.UserName = "Anne Shirley";
  ProfileSettings.UserAddress = "12 Orchard Lane\r\nAvonlea, PE C0A 1H0";
  ProfileSettings.DisplayAddress = true;
  main->SetBounds(0, 0, 1000, 720);
  main->Show();
  const char* names[] = {"none", "normal", "tiled", "stretched"};
  bool ok = true;
  for (Byte mode = 0; mode < 4; ++mode) {
    ProfileSettings.BitmapDrawMode = mode;
    main->CoverBitMap->Invalidate();
    // The cover's own picture only shows in the modes that draw it.
    ok &= Save(main, folder + "/cover-" + names[mode] + ".png", {640, 480, {}});
  }
  main->Hide();

  TSplash splash(nullptr);
  splash.Show();
  ok &= Save(&splash, folder + "/splash.png", {200, 100, {}, 6, false});
  splash.Hide();

  about->Show();
  ok &= Save(about, folder + "/about.png", {200, 150, {}});
  about->Hide();
  Application->DestroyComponents();
  return ok ? 0 : 1;
}

int Lock(const std::string& file, const std::string& programDir) {
  const std::filesystem::path docs =
      std::filesystem::temp_directory_path() / ("qy-lock-shot-" + std::to_string(::getpid()));
  std::filesystem::create_directories(docs);
  TInteractionScript script;
  script.Answer(IDOK);  // the new database folder
  Application->Initialize();
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = programDir;
  folders.DocumentsDir = docs.string();
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  TformQuilloryMain* main = Application->CreateForm<TformQuilloryMain>();
  if (main->SetUpCancelled) return 1;
  Application->CreateForm<TPasswordDlg>();
  RegisterDocumentFormats();
  RegisterJournalHooks();
  ProfileSettings.UserName = "Anne Shirley";
  ProfileSettings.AutoLockMinimize = false;
  // An entry, the journal protected, then opened with its password.
  Integer id = 0;
  InsertJournal("Diary", 0, id);
  TOpenJournal* j = FindOrOpenJournal(id);
  if (j->EditorWindow) j->EditorWindow->QuilloryText->InsertText("Dear diary, nobody may read this.");
  else j->Document->Data.AddTextItem("Dear diary, nobody may read this.", 0, 0);
  j->Document->Modified = true;
  SaveEntry(j, smExplicit);
  JournalsLoaded = true;
  UnloadJournals();
  RestructureTablePassword("", "Shot;Pass", "QUILLORY");
  QuillorySession().RemoveAllPasswords();
  script.Do([](TInteraction& r) {
    auto* dlg = static_cast<TPasswordDlg*>(r.Form);
    dlg->ePassword->SetText("Shot;Pass");
    dlg->OKBtn->Click();
    return static_cast<int>(dlg->ModalResult);
  });
  main->SetBounds(0, 0, 1000, 720);
  main->Show();
  main->pbOpenQuilloryClick(nullptr);
  Settle();
  const bool opened = ScreenMode == smOpen && CurrentJournal;
  main->ActionLock->Execute();
  const bool ok = opened && ScreenMode == smCover && !JournalsLoaded && Save(main, file, {640, 480, {}});
  main->Hide();
  Application->DestroyComponents();
  std::error_code ec;
  std::filesystem::remove_all(docs, ec);
  return ok ? 0 : 1;
}

// Saves the modal box up now (the whole screen, so its place shows too) and
// presses its button of the given role.
void ShootModal(const std::string& file, QMessageBox::StandardButton press) {
  QTimer::singleShot(400, [file, press] {
    QScreen* screen = QGuiApplication::primaryScreen();
    const bool ok = screen->grabWindow(0).save(QString::fromStdString(file), "PNG");
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    std::printf("%s %s (box %dx%d)\n", ok ? "wrote" : "FAILED", file.c_str(), box ? box->width() : 0,
                box ? box->height() : 0);
    if (box && box->button(press)) box->button(press)->click();
  });
}

int First(const std::string& folder, const std::string& programDir) {
  const std::filesystem::path docs =
      std::filesystem::temp_directory_path() / ("qy-first-shot-" + std::to_string(::getpid()));
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
  Application->CreateForm<TdlgAddJournal>();
  auto* change = Application->CreateForm<TChangePasswordDlg>();
  RegisterDocumentFormats();
  RegisterJournalHooks();
  main->SetBounds(0, 0, 1000, 720);
  main->Show();
  bool ok = true;
  // The real boxes from here on.
  ShootModal(folder + "/first-offer.png", QMessageBox::No);
  main->pbOpenQuilloryClick(nullptr);
  ok &= Save(main, folder + "/first-no-journal.png", {640, 480, {}});
  Integer daily = 0, topic = 0;
  InsertJournal("Garden Diary", 0, daily);
  InsertJournal("Recipes", 1, topic);
  FindOrOpenJournal(daily);
  TOpenJournal* t = FindOrOpenJournal(topic);
  if (t && t->EditorWindow) {
    t->EditorWindow->QuilloryText->InsertText("Apple pie: six apples, a pinch of cinnamon.");
    t->EditorWindow->BringToFront();
  }
  Settle();
  ok &= Save(main, folder + "/topic-journal.png", {640, 480, {}});
  change->Show();
  ok &= Save(change, folder + "/change-password.png", {250, 120, {}});
  std::printf("change password dialog %dx%d for its caption's %d\n", change->GetWidth(), change->GetHeight(),
              CaptionFitWidth(change->GetCaption()));
  change->Hide();
  ShootModal(folder + "/search-complete.png", QMessageBox::Ok);
  MessageBox("Search string 'x' not found.", "Search Complete", MB_OK | MB_ICONINFORMATION);
  THelpViewer::Instance().ShowContext(57);
  Settle();
  if (QWidget* help = THelpViewer::Instance().Window()) {
    const QRect g = help->frameGeometry(), screen = QGuiApplication::primaryScreen()->availableGeometry();
    std::printf("help at %d,%d %dx%d, on the screen: %s\n", g.x(), g.y(), g.width(), g.height(),
                screen.contains(g) ? "yes" : "NO");
    const bool saved = help->grab().save(QString::fromStdString(folder + "/help.png"), "PNG");
    std::printf("%s %s/help.png\n", saved ? "wrote" : "FAILED", folder.c_str());
    ok &= saved;
    THelpViewer::Instance().Close();
  }
  JournalsLoaded = true;
  UnloadJournals();
  main->Hide();
  Application->DestroyComponents();
  std::error_code ec;
  std::filesystem::remove_all(docs, ec);
  return ok ? 0 : 1;
}

int Grab(const std::string& file) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const bool ok = screen && screen->grabWindow(0).save(QString::fromStdString(file), "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", file.c_str());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication toolkit(argc, argv);
  if (argc == 4 && std::string(argv[1]) == "windows") return Windows(argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "lock") return Lock(argv[2], argv[3]);
  if (argc == 3 && std::string(argv[1]) == "grab") return Grab(argv[2]);
  if (argc == 4 && std::string(argv[1]) == "first") return First(argv[2], argv[3]);
  std::fprintf(stderr, "usage: %s windows <folder> <program folder> | lock <file> <program folder> | grab <file>\n",
               argv[0]);
  return 2;
}
