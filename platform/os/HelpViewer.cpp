#include "platform/os/HelpViewer.h"

#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

struct THelpViewer::TWindow {
  QPointer<QTextBrowser> Browser;
};

THelpViewer& THelpViewer::Instance() {
  static THelpViewer viewer;
  return viewer;
}

THelpViewer::THelpViewer() : FWindow(std::make_unique<TWindow>()) {}

THelpViewer::~THelpViewer() {
  // The program's viewer goes at exit, after the Qt application: leave the
  // window to the process's end then.
  if (FWindow->Browser && QCoreApplication::instance()) delete FWindow->Browser.data();
}

void THelpViewer::SetHelpFolder(const String& folder) {
  FFolder = folder;
  FLoaded = false;
  FEntries.clear();
}

String THelpViewer::HelpFolder() {
  if (!FFolder.empty()) return FFolder;
  std::error_code ec;
  fs::path program = GetProgramFolder();
  for (fs::path candidate : {program / "help", program / "../share/quillory/help"})
    if (fs::exists(candidate / "index.txt", ec)) return FFolder = fs::weakly_canonical(candidate, ec).string();
  for (fs::path p = program; !p.empty() && p != p.root_path(); p = p.parent_path())
    if (fs::exists(p / "resources/help/index.txt", ec)) return FFolder = (p / "resources/help").string();
  return {};
}

void THelpViewer::LoadIndex() {
  if (FLoaded) return;
  FLoaded = true;
  std::ifstream in(fs::path(HelpFolder()) / "index.txt");
  String line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    size_t a = line.find('|');
    size_t b = a == String::npos ? String::npos : line.find('|', a + 1);
    if (b == String::npos) continue;
    TEntry e;
    String number = Trim(line.substr(0, a));
    e.Context = number.empty() ? 0 : std::atoi(number.c_str());
    e.Keyword = Trim(line.substr(a + 1, b - a - 1));
    e.Page = Trim(line.substr(b + 1));
    // Pages stay inside the help folder.
    if (e.Page.empty() || e.Page.find("..") != String::npos || e.Page[0] == '/') continue;
    FEntries.push_back(e);
  }
}

String THelpViewer::PageForContext(int context) {
  LoadIndex();
  for (auto& e : FEntries)
    if (context != 0 && e.Context == context) return e.Page;
  return {};
}

String THelpViewer::PageForKeyword(const String& keyword) {
  LoadIndex();
  String k = LowerCase(Trim(keyword));
  for (auto& e : FEntries)
    if (!k.empty() && LowerCase(e.Keyword) == k) return e.Page;
  return {};
}

bool THelpViewer::ShowContext(int context) { return ShowPage(PageForContext(context)); }
bool THelpViewer::ShowKeyword(const String& keyword) { return ShowPage(PageForKeyword(keyword)); }

bool THelpViewer::ShowPage(const String& page) {
  if (page.empty()) return false;
  fs::path file = fs::path(HelpFolder()) / page;
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return false;
  if (!FWindow->Browser) {
    auto* browser = new QTextBrowser();
    browser->setAttribute(Qt::WA_DeleteOnClose, false);
    browser->setOpenExternalLinks(true);
    browser->setSearchPaths({QString::fromStdString(HelpFolder())});
    browser->resize(640, 520);
    FWindow->Browser = browser;
  }
  FWindow->Browser->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
  FWindow->Browser->setWindowTitle(FWindow->Browser->documentTitle().isEmpty()
                                       ? QStringLiteral("Help")
                                       : FWindow->Browser->documentTitle());
  FWindow->Browser->show();
  FWindow->Browser->raise();
  FCurrentPage = page;
  return true;
}

QWidget* THelpViewer::Window() const { return FWindow->Browser.data(); }

void THelpViewer::Close() {
  if (FWindow->Browser) FWindow->Browser->hide();
}
