#include "platform/os/HelpViewer.h"

#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

struct THelpViewer::TWindow {
  QPointer<QTextBrowser> Browser;
  // The modal box the window was lent to (see Lend).
  QPointer<QWidget> Host;
  std::unique_ptr<QObject> HostWatch;
};

namespace {

// Puts the window back on its own when the box it was lent to goes, so the
// help stays open (and no longer counts as part of the box).
class THostWatch : public QObject {
public:
  explicit THostWatch(QTextBrowser* browser) : FBrowser(browser) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if ((e->type() == QEvent::Hide || e->type() == QEvent::DeferredDelete) && FBrowser &&
        FBrowser->parentWidget() == watched) {
      const bool shown = FBrowser->isVisible();
      const QRect where = FBrowser->geometry();
      FBrowser->setParent(nullptr, Qt::Window);
      FBrowser->setGeometry(where);
      if (shown) FBrowser->show();
    }
    return false;
  }

private:
  QPointer<QTextBrowser> FBrowser;
};

// The screen the user is looking at: the modal box's, the active window's,
// else the primary one.
QScreen* ScreenInUse() {
  for (QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow()})
    if (w && w->screen()) return w->screen();
  return QGuiApplication::primaryScreen();
}

}  // namespace

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
  if (fs::path shipped = fs::path(GetProgramDataFolder()) / "help"; fs::exists(shipped / "index.txt", ec))
    return FFolder = shipped.string();
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
  bool place = false;
  if (!FWindow->Browser) {
    auto* browser = new QTextBrowser();
    browser->setAttribute(Qt::WA_DeleteOnClose, false);
    browser->setOpenExternalLinks(true);
    browser->setSearchPaths({QString::fromStdString(HelpFolder())});
    // The title follows the page shown, also after a link or Alt+Left and
    // Alt+Right, which go back and forward through the pages seen.
    QObject::connect(browser, &QTextBrowser::sourceChanged, browser, [browser](const QUrl&) {
      browser->setWindowTitle(browser->documentTitle().isEmpty() ? QStringLiteral("Help") : browser->documentTitle());
    });
    FWindow->Browser = browser;
    place = true;
  }
  // Help asked for from a modal box must be usable while the box is up: a
  // window of the box's own is not blocked by it.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == FWindow->Browser.data()) modal = nullptr;
  if (modal && FWindow->Browser->parentWidget() != modal) {
    const QRect where = FWindow->Browser->geometry();
    FWindow->Browser->setParent(modal, Qt::Window);
    FWindow->Browser->setGeometry(where);
    FWindow->HostWatch = std::make_unique<THostWatch>(FWindow->Browser.data());
    modal->installEventFilter(FWindow->HostWatch.get());
    FWindow->Host = modal;
  }
  if (place || !FWindow->Browser->isVisible()) Place();
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

void THelpViewer::Place() {
  QTextBrowser* browser = FWindow->Browser.data();
  QScreen* screen = ScreenInUse();
  if (!browser || !screen) return;
  const QRect area = screen->availableGeometry();
  // Room for the frame the window manager adds around it.
  const QMargins frame(8, 32, 8, 8);
  const QSize size(std::min(640, area.width() - frame.left() - frame.right()),
                   std::min(560, area.height() - frame.top() - frame.bottom()));
  browser->resize(size);
  // Beside the window in use when there is room, else centred, and always
  // whole on the screen.
  QPoint at = area.center() - QPoint(size.width() / 2, size.height() / 2);
  if (QWidget* near = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
      near && near != browser) {
    const QRect g = near->frameGeometry();
    if (g.right() + frame.left() + size.width() + frame.right() <= area.right())
      at = QPoint(g.right() + 1 + frame.left(), g.top() + frame.top());
    else if (g.left() - size.width() - frame.left() - frame.right() >= area.left())
      at = QPoint(g.left() - size.width() - frame.right(), g.top() + frame.top());
  }
  at.setX(std::clamp(at.x(), area.left() + frame.left(), area.right() - frame.right() - size.width() + 1));
  at.setY(std::clamp(at.y(), area.top() + frame.top(), area.bottom() - frame.bottom() - size.height() + 1));
  browser->move(at);
}

void THelpViewer::Close() {
  if (FWindow->Browser) FWindow->Browser->hide();
}
