#include "platform/os/HelpViewer.h"

#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QKeySequence>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

struct THelpViewer::TWindow {
  // The top-level window: the Back and Forward bar over the page.
  QPointer<QWidget> Frame;
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
  explicit THostWatch(QWidget* frame) : FFrame(frame) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if ((e->type() == QEvent::Hide || e->type() == QEvent::DeferredDelete) && FFrame &&
        FFrame->parentWidget() == watched) {
      const bool shown = FFrame->isVisible();
      const QRect where = FFrame->geometry();
      FFrame->setParent(nullptr, Qt::Window);
      FFrame->setGeometry(where);
      if (shown) FFrame->show();
    }
    return false;
  }

private:
  QPointer<QWidget> FFrame;
};

// The window's title: the page's own, else "Help".
QString TitleOf(const QTextBrowser* browser) {
  return browser->documentTitle().isEmpty() ? QStringLiteral("Help") : browser->documentTitle();
}

// A Back or Forward button of the bar, usable only while there is a page
// to go to (the browser says so as its history changes).
QAction* HistoryButton(QToolBar* bar, QTextBrowser* browser, bool back) {
  QAction* a = bar->addAction(bar->style()->standardIcon(back ? QStyle::SP_ArrowBack : QStyle::SP_ArrowForward),
                              back ? QStringLiteral("&Back") : QStringLiteral("&Forward"));
  a->setObjectName(back ? QStringLiteral("HelpBack") : QStringLiteral("HelpForward"));
  a->setShortcut(back ? QKeySequence(Qt::ALT | Qt::Key_Left) : QKeySequence(Qt::ALT | Qt::Key_Right));
  a->setToolTip(back ? QStringLiteral("Back to the page seen before (Alt+Left)")
                     : QStringLiteral("Forward to the next page seen (Alt+Right)"));
  a->setEnabled(false);
  if (back) {
    QObject::connect(a, &QAction::triggered, browser, &QTextBrowser::backward);
    QObject::connect(browser, &QTextBrowser::backwardAvailable, a, &QAction::setEnabled);
  } else {
    QObject::connect(a, &QAction::triggered, browser, &QTextBrowser::forward);
    QObject::connect(browser, &QTextBrowser::forwardAvailable, a, &QAction::setEnabled);
  }
  return a;
}

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
  if (FWindow->Frame && QCoreApplication::instance()) delete FWindow->Frame.data();
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
  if (!FWindow->Frame) {
    auto* frame = new QWidget(nullptr, Qt::Window);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setObjectName(QStringLiteral("HelpWindow"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(frame);
    bar->setObjectName(QStringLiteral("HelpBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    auto* browser = new QTextBrowser(frame);
    browser->setOpenExternalLinks(true);
    browser->setSearchPaths({QString::fromStdString(HelpFolder())});
    HistoryButton(bar, browser, true);
    HistoryButton(bar, browser, false);
    layout->addWidget(bar);
    layout->addWidget(browser);
    // Escape closes it, as it does the program's other windows.
    auto* close = new QAction(frame);
    close->setObjectName(QStringLiteral("HelpClose"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(close, &QAction::triggered, frame, &QWidget::close);
    frame->addAction(close);
    // The title follows the page shown, also after a link, Back or Forward.
    QObject::connect(browser, &QTextBrowser::sourceChanged, frame,
                     [frame, browser](const QUrl&) { frame->setWindowTitle(TitleOf(browser)); });
    FWindow->Frame = frame;
    FWindow->Browser = browser;
    place = true;
  }
  QWidget* frame = FWindow->Frame.data();
  // Help asked for from a modal box must be usable while the box is up: a
  // window of the box's own is not blocked by it.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == frame) modal = nullptr;
  if (modal && frame->parentWidget() != modal) {
    const QRect where = frame->geometry();
    frame->setParent(modal, Qt::Window);
    frame->setGeometry(where);
    FWindow->HostWatch = std::make_unique<THostWatch>(frame);
    modal->installEventFilter(FWindow->HostWatch.get());
    FWindow->Host = modal;
  }
  if (place || !frame->isVisible()) Place();
  FWindow->Browser->setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
  frame->setWindowTitle(TitleOf(FWindow->Browser));
  frame->show();
  frame->raise();
  FCurrentPage = page;
  return true;
}

QWidget* THelpViewer::Window() const { return FWindow->Frame.data(); }

void THelpViewer::Place() {
  QWidget* window = FWindow->Frame.data();
  QScreen* screen = ScreenInUse();
  if (!window || !screen) return;
  const QRect area = screen->availableGeometry();
  // Room for the frame the window manager adds around it.
  const QMargins frame(8, 32, 8, 8);
  const QSize size(std::min(640, area.width() - frame.left() - frame.right()),
                   std::min(560, area.height() - frame.top() - frame.bottom()));
  window->resize(size);
  // Beside the window in use when there is room, else centred, and always
  // whole on the screen.
  QPoint at = area.center() - QPoint(size.width() / 2, size.height() / 2);
  if (QWidget* near = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
      near && near != window) {
    const QRect g = near->frameGeometry();
    if (g.right() + frame.left() + size.width() + frame.right() <= area.right())
      at = QPoint(g.right() + 1 + frame.left(), g.top() + frame.top());
    else if (g.left() - size.width() - frame.left() - frame.right() >= area.left())
      at = QPoint(g.left() - size.width() - frame.right(), g.top() + frame.top());
  }
  at.setX(std::clamp(at.x(), area.left() + frame.left(), area.right() - frame.right() - size.width() + 1));
  at.setY(std::clamp(at.y(), area.top() + frame.top(), area.bottom() - frame.bottom() - size.height() + 1));
  window->move(at);
}

void THelpViewer::Close() {
  if (FWindow->Frame) FWindow->Frame->hide();
}
