#include "platform/gui/Dialogs.h"

#include "platform/gui/Forms.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTreeView>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTextBoundaryFinder>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <map>

int BeepCount = 0;

namespace {

std::map<TInteractionKind, TInteractionRunner>& Runners() {
  static std::map<TInteractionKind, TInteractionRunner> runners;
  return runners;
}

QPointer<QWidget>& AskingWindowSlot() {
  static QPointer<QWidget> current;
  return current;
}

// Whether window w is modal's or one of its own (the help window lent to a
// modal box): input reaches it while modal is up.
bool BelongsTo(QWidget* w, QWidget* modal) {
  for (QWidget* p = w; p; p = p->parentWidget())
    if (p->window() == modal) return true;
  const QWindow* target = modal->windowHandle();
  for (const QWindow* p = w->windowHandle(); p && target; p = p->transientParent())
    if (p == target) return true;
  return false;
}

// The window that asks: the one a click came from, else the modal box or
// window that is up, else the active window.
QWidget* DialogParent() {
  QWidget* modal = QApplication::activeModalWidget();
  if (QWidget* asking = TAskingWindow::Current(); asking && (!modal || BelongsTo(asking, modal))) return asking;
  if (modal) return modal;
  return QApplication::activeWindow();
}

// A question comes up in front of the window that asked it: over a window
// that stays on top (a progress window) only when it stays on top too; and
// no other window of the program that stays on top hides it either.
void InFrontOfStayOnTop(QWidget& box) {
  bool onTop = false;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != &box && w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint)) onTop = true;
  if (onTop) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

// ---- message boxes ---------------------------------------------------------

QMessageBox::Icon IconOf(int icon) {
  switch (icon & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

struct TButtonDef {
  int Id;
  QMessageBox::StandardButton Qt;
};

std::vector<TButtonDef> ButtonsOf(int type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, QMessageBox::Ok}, {IDCANCEL, QMessageBox::Cancel}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, QMessageBox::Abort}, {IDRETRY, QMessageBox::Retry}, {IDIGNORE, QMessageBox::Ignore}};
    case MB_YESNOCANCEL:
      return {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {IDCANCEL, QMessageBox::Cancel}};
    case MB_YESNO: return {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}};
    case MB_RETRYCANCEL: return {{IDRETRY, QMessageBox::Retry}, {IDCANCEL, QMessageBox::Cancel}};
    default: return {{IDOK, QMessageBox::Ok}};
  }
}

// A message box breaks its lines between words only, and sizes itself by
// them: a word wider than the box (a long name, a path) ran past its edge
// and the lines after it were cut. Such a word may break after any of its
// characters (a zero-width space between them), so the box wraps it.
constexpr int kLongestUnbrokenWord = 30;

QString MessageBoxText(const String& text) {
  const QString q = ToQ(NormalizeLineBreaks(text));
  QString out;
  out.reserve(q.size());
  qsizetype start = 0;
  while (start < q.size()) {
    qsizetype end = start;
    while (end < q.size() && !q[end].isSpace()) ++end;
    const QString word = q.mid(start, end - start);
    if (word.size() <= kLongestUnbrokenWord) {
      out += word;
    } else {
      // Between characters as the user sees them: a letter keeps its accents.
      QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, word);
      qsizetype from = 0;
      for (qsizetype at = graphemes.toNextBoundary(); at > 0; at = graphemes.toNextBoundary()) {
        out += word.mid(from, at - from);
        if (at < word.size()) out += QChar(0x200B);
        from = at;
      }
    }
    while (end < q.size() && q[end].isSpace()) out += q[end++];
    start = end;
  }
  return out;
}

// A short text makes a narrow box whose caption the title bar cuts: a spacer
// across the box's grid keeps it wide enough.
void KeepCaptionWhole(QMessageBox& box, const String& caption) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  const int fit = CaptionFitWidth(caption);
  if (!grid || fit <= 0) return;
  const QMargins m = grid->contentsMargins();
  grid->addItem(new QSpacerItem(std::max(0, fit - m.left() - m.right()), 0, QSizePolicy::Minimum,
                                QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

int RunMessageBox(TInteraction& r) {
  QMessageBox box(IconOf(r.Icon), ToQ(r.Caption), MessageBoxText(r.Text), QMessageBox::NoButton, DialogParent());
  auto defs = ButtonsOf(r.Buttons);
  for (auto& s : defs) box.addButton(s.Qt);
  size_t def = static_cast<size_t>((r.Buttons & MB_DEFMASK) >> 8);
  if (def < defs.size()) box.setDefaultButton(defs[def].Qt);
  if ((r.Buttons & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0)
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  InFrontOfStayOnTop(box);
  KeepCaptionWhole(box, r.Caption);
  box.exec();
  auto clicked = box.standardButton(box.clickedButton());
  for (auto& s : defs)
    if (s.Qt == clicked) return s.Id;
  // Closed by the window manager or Escape: the cancel-like answer.
  for (int id : {IDCANCEL, IDNO, IDOK})
    for (auto& s : defs)
      if (s.Id == id) return id;
  return IDCANCEL;
}

const char* DlgCaption(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return nullptr;
  }
}

struct TDlgButtonDef {
  TMsgDlgBtn Btn;
  QMessageBox::StandardButton Qt;
  TModalResult Result;
};

const TDlgButtonDef kDlgButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},       {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},          {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort}, {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore}, {mbAll, QMessageBox::YesToAll, mrAll},
    {mbNoToAll, QMessageBox::NoToAll, mrNoToAll}, {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
    {mbHelp, QMessageBox::Help, mrNone},
};

int RunMessageDlg(TInteraction& r) {
  static const QMessageBox::Icon icons[] = {QMessageBox::Warning, QMessageBox::Critical,
                                            QMessageBox::Information, QMessageBox::Question,
                                            QMessageBox::NoIcon};
  QMessageBox box(icons[r.DlgType], ToQ(r.Caption), MessageBoxText(r.Text), QMessageBox::NoButton, DialogParent());
  InFrontOfStayOnTop(box);
  KeepCaptionWhole(box, r.Caption);
  std::vector<TDlgButtonDef> used;
  for (TMsgDlgBtn b : r.DlgButtons)
    for (auto& s : kDlgButtons)
      if (s.Btn == b) {
        box.addButton(s.Qt);
        used.push_back(s);
      }
  if (used.empty()) {
    box.addButton(QMessageBox::Ok);
    used.push_back(kDlgButtons[2]);
  }
  box.exec();
  auto clicked = box.standardButton(box.clickedButton());
  for (auto& s : used)
    if (s.Qt == clicked) return s.Result;
  return mrCancel;
}

// ---- prompts ---------------------------------------------------------------

int RunInputQuery(TInteraction& r) {
  QInputDialog dlg(DialogParent());
  InFrontOfStayOnTop(dlg);
  dlg.setWindowTitle(ToQ(r.Caption));
  dlg.setLabelText(ToQ(r.Text));
  dlg.setTextValue(ToQ(r.Value));
  if (dlg.exec() != QDialog::Accepted) return mrCancel;
  r.Value = FromQ(dlg.textValue());
  return mrOk;
}

// ---- file dialogs ----------------------------------------------------------

// The desktop's own file dialog is used wherever the platform theme offers
// one (a portal or the desktop's toolkit); where none is, the toolkit's own
// opens large enough to show its columns whole: sizes, types and dates are
// never cut, and a long name gives way in its middle, keeping its extension.
void FitOwnFileDialog(QFileDialog& dlg) {
  const QList<QTreeView*> views = dlg.findChildren<QTreeView*>();
  if (views.isEmpty()) return;  // the desktop's dialog sizes itself
  QWidget* parent = DialogParent();
  if (const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    dlg.resize(std::min(900, area.width() * 9 / 10), std::min(560, area.height() * 9 / 10));
  }
  for (QTreeView* view : views) {
    view->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    for (int c = 0; c < header->count(); ++c)
      header->setSectionResizeMode(c, c == 0 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
  }
}

// The toolkit's own dialog reads double quotes in the name box as its list
// of several files ("a" "b") even where one is asked for, and answers the
// first of them: `x" ;.docx` became " ;.docx". Where one file or folder is
// chosen, the name is taken as typed (the desktop's dialogs have no name
// box of this kind and answer what was chosen).
class TOneFileDialog : public QFileDialog {
public:
  using QFileDialog::QFileDialog;
  // The name as typed, when the toolkit would have read it otherwise.
  QString Typed;

  void accept() override {
    Typed.clear();
    auto* box = findChild<QLineEdit*>("fileNameEdit");
    const QString text = box ? box->text() : QString();
    if (!text.contains(QLatin1Char('"')) || fileMode() == QFileDialog::ExistingFiles) {
      QFileDialog::accept();
      return;
    }
    QString path = text.startsWith(QLatin1Char('/'))    ? text
                   : text.startsWith(QLatin1String("~/")) ? QDir::homePath() + text.mid(1)
                                                          : directory().absoluteFilePath(text);
    QFileInfo info(path);
    if (info.isDir()) {
      if (fileMode() == QFileDialog::Directory) {
        Typed = info.absoluteFilePath();
        QDialog::accept();
        return;
      }
      setDirectory(info.absoluteFilePath());
      box->clear();
      return;
    }
    if (acceptMode() == QFileDialog::AcceptSave) {
      if (!defaultSuffix().isEmpty() && !info.fileName().contains(QLatin1Char('.'))) {
        path += QLatin1Char('.') + defaultSuffix();
        info = QFileInfo(path);
      }
      if (info.exists() && !testOption(QFileDialog::DontConfirmOverwrite) &&
          QMessageBox::warning(this, windowTitle(),
                               QString("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    } else if (!info.exists() || fileMode() == QFileDialog::Directory) {
      const QString text = info.exists() ? "%1 is not a folder." : "%1 was not found.";
      QMessageBox::warning(this, windowTitle(), text.arg(info.absoluteFilePath()));
      return;
    }
    Typed = info.absoluteFilePath();
    QDialog::accept();
  }

  // What was chosen: the typed name, or the toolkit's answer.
  QStringList Chosen() const { return Typed.isEmpty() ? selectedFiles() : QStringList{Typed}; }
};

int RunSelectDirectory(TInteraction& r) {
  TOneFileDialog dlg(DialogParent(), ToQ(r.Caption), ToQ(r.Value.empty() ? r.Root : r.Value));
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setOption(QFileDialog::ShowDirsOnly, true);
  FitOwnFileDialog(dlg);
  if (dlg.exec() != QDialog::Accepted || dlg.Chosen().isEmpty()) return mrCancel;
  r.Value = FromQ(dlg.Chosen().front());
  return mrOk;
}

// "Vellum Files (*.vlf)|*.vlf|HTML (*.htm;*.html)|*.htm;*.html" becomes the
// toolkit's "Vellum Files (*.vlf)", "HTML (*.htm *.html)".
struct TFilterEntry {
  QString NameFilter;
  QString FirstExt;  // "vlf", empty for "*.*"
  QStringList Masks;
};

// Where a dialog starts when the caller names no folder: the user's
// Pictures for pictures, else Documents (never the program's folder).
QString StartFolder(const std::vector<TFilterEntry>& filters) {
  static const QStringList pictures = {"*.jpg", "*.jpeg", "*.png", "*.bmp", "*.gif", "*.ico", "*.wmf", "*.emf"};
  QStandardPaths::StandardLocation where = QStandardPaths::DocumentsLocation;
  for (const TFilterEntry& f : filters)
    for (const QString& m : f.Masks)
      if (pictures.contains(m.toLower())) where = QStandardPaths::PicturesLocation;
  const QString folder = QStandardPaths::writableLocation(where);
  return QDir(folder).exists() ? folder : QDir::homePath();
}

bool FitsMasks(const TFilterEntry& filter, const QString& suffix) {
  for (const QString& m : filter.Masks)
    if (m == "*" || m == "*.*" || m.toLower() == "*." + suffix) return true;
  return false;
}

// The filter (1-based) a file's extension names, 0 for none. The chosen one
// holds while the extension fits it: several types share ".txt" or ".docx",
// and the first of them is not the one the user picked.
int FilterOfExtension(const std::vector<TFilterEntry>& filters, const QString& file, int chosen) {
  const QString suffix = QFileInfo(file).suffix().toLower();
  if (suffix.isEmpty()) return 0;
  if (chosen >= 1 && chosen <= static_cast<int>(filters.size()) &&
      FitsMasks(filters[static_cast<size_t>(chosen - 1)], suffix))
    return chosen;
  for (size_t i = 0; i < filters.size(); ++i)
    if (FitsMasks(filters[i], suffix) && !filters[i].Masks.contains("*") && !filters[i].Masks.contains("*.*"))
      return static_cast<int>(i) + 1;
  return 0;
}

std::vector<TFilterEntry> ParseFilter(const String& filter) {
  std::vector<TFilterEntry> out;
  QStringList parts = ToQ(filter).split('|');
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i].trimmed();
    QStringList masks = parts[i + 1].split(';', Qt::SkipEmptyParts);
    for (auto& m : masks) m = m.trimmed();
    static const QRegularExpression trailingParens(R"(\s*\([^()]*\)\s*$)");
    desc.remove(trailingParens);
    TFilterEntry e;
    e.NameFilter = desc + " (" + masks.join(' ') + ")";
    e.Masks = masks;
    if (!masks.isEmpty() && masks[0].startsWith("*.") && !masks[0].mid(2).contains(QLatin1Char(0x2A)) && !masks[0].contains('?'))
      e.FirstExt = masks[0].mid(2);
    out.push_back(e);
  }
  return out;
}

int RunFileDialog(TInteraction& r) {
  bool save = r.Kind == TInteractionKind::SaveDialog;
  TOneFileDialog dlg(DialogParent(), ToQ(r.Title));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (save)
    dlg.setFileMode(QFileDialog::AnyFile);
  else
    dlg.setFileMode((r.Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (save && !(r.Options & ofOverwritePrompt)) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
  auto filters = ParseFilter(r.Filter);
  QStringList names;
  for (auto& f : filters) names << f.NameFilter;
  if (!names.isEmpty()) dlg.setNameFilters(names);
  int index = r.FilterIndex - 1;
  if (index >= 0 && index < names.size()) dlg.selectNameFilter(names[index]);
  dlg.setDirectory(r.InitialDir.empty() ? StartFolder(filters) : ToQ(r.InitialDir));
  FitOwnFileDialog(dlg);
  if (!r.FileName.empty()) dlg.selectFile(ToQ(r.FileName));
  // The default extension follows the chosen filter, so "foo" saved under
  // "RTF Files" does not become foo.vlf.
  QString defExt = ToQ(r.DefaultExt);
  auto suffixFor = [&](const QString& nameFilter) {
    for (auto& f : filters)
      if (f.NameFilter == nameFilter && !f.FirstExt.isEmpty()) return f.FirstExt;
    return defExt;
  };
  if (!defExt.isEmpty()) {
    dlg.setDefaultSuffix(suffixFor(dlg.selectedNameFilter()));
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg,
                     [&dlg, suffixFor](const QString& f) { dlg.setDefaultSuffix(suffixFor(f)); });
  }
  QStringList files;
  for (;;) {
    if (dlg.exec() != QDialog::Accepted) return mrCancel;
    files = dlg.Chosen();
    if (files.isEmpty()) return mrCancel;
    // A file that cannot be written is refused here, not when saving fails.
    QFileInfo chosen(files.front());
    if (!save || !chosen.exists() || chosen.isWritable()) break;
    QMessageBox::warning(&dlg, ToQ(r.Title), QString("%1 is read-only.\nChoose another name.").arg(chosen.fileName()));
  }
  r.Files.clear();
  for (auto& f : files) r.Files.push_back(FromQ(f));
  r.FileName = r.Files.front();
  r.FilterIndex = static_cast<int>(names.indexOf(dlg.selectedNameFilter())) + 1;
  if (r.FilterIndex == 0) r.FilterIndex = 1;
  // A typed extension that does not fit the chosen type says the type:
  // "entry.rtf" under "Vellum Files" is RTF.
  if (const int typed = FilterOfExtension(filters, files.front(), r.FilterIndex)) r.FilterIndex = typed;
  return mrOk;
}

// ---- font and colour -------------------------------------------------------

int RunFontDialog(TInteraction& r) {
  QFont f(ToQ(r.Font.Name));
  if (r.Font.Size > 0) f.setPointSize(r.Font.Size);
  f.setBold(r.Font.Style & 1);
  f.setItalic(r.Font.Style & 2);
  f.setUnderline(r.Font.Style & 4);
  f.setStrikeOut(r.Font.Style & 8);
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, f, DialogParent(), ToQ(r.Title));
  if (!ok) return mrCancel;
  // The toolkit's dialog has no colour or script: those stay as they were.
  r.Font.Name = FromQ(chosen.family());
  r.Font.Size = chosen.pointSize();
  r.Font.Style = (chosen.bold() ? 1 : 0) | (chosen.italic() ? 2 : 0) | (chosen.underline() ? 4 : 0) |
                 (chosen.strikeOut() ? 8 : 0);
  return mrOk;
}

int RunColorDialog(TInteraction& r) {
  // One dialog for the run, so custom colours are kept between uses.
  static QPointer<QColorDialog> shared;
  if (!shared) shared = new QColorDialog();
  shared->setParent(DialogParent(), Qt::Dialog);
  shared->setCurrentColor(QColorOf(r.Color));
  if (shared->exec() != QDialog::Accepted) return mrCancel;
  r.Color = FromQColor(shared->currentColor());
  return mrOk;
}

class TQtInteraction : public TInteractionHook {
public:
  int Run(TInteraction& r) override {
    auto it = Runners().find(r.Kind);
    if (it != Runners().end()) return it->second(r);
    switch (r.Kind) {
      case TInteractionKind::MessageBox: return RunMessageBox(r);
      case TInteractionKind::MessageDlg: return RunMessageDlg(r);
      case TInteractionKind::InputQuery: return RunInputQuery(r);
      case TInteractionKind::SelectDirectory: return RunSelectDirectory(r);
      case TInteractionKind::OpenDialog:
      case TInteractionKind::SaveDialog: return RunFileDialog(r);
      case TInteractionKind::FontDialog: return RunFontDialog(r);
      case TInteractionKind::ColorDialog: return RunColorDialog(r);
      default: return mrCancel;  // no dialog of that kind is linked in
    }
  }
};

TQtInteraction& QtHook() {
  static TQtInteraction hook;
  return hook;
}
TInteractionHook* gHook = nullptr;

}  // namespace

void RegisterInteractionRunner(TInteractionKind kind, TInteractionRunner runner) {
  // Two units registering the same kind would leave whichever ran last.
  auto it = Runners().find(kind);
  if (it != Runners().end() && it->second != runner)
    throw Exception("A dialog runner is already registered for this kind of interaction");
  Runners()[kind] = runner;
}

TInteractionHook& InteractionHook() { return gHook ? *gHook : QtHook(); }

TInteractionHook* SetInteractionHook(TInteractionHook* hook) {
  TInteractionHook* old = gHook;
  gHook = hook;
  return old;
}

TAskingWindow::TAskingWindow(QWidget* from) : FPrevious(AskingWindowSlot()) {
  if (from) AskingWindowSlot() = from->window();
}

TAskingWindow::~TAskingWindow() { AskingWindowSlot() = FPrevious; }

QWidget* TAskingWindow::Current() {
  QWidget* w = AskingWindowSlot();
  return w && w->isVisible() ? w : nullptr;
}

TFocusBack::TFocusBack() : FFocus(QApplication::focusWidget()) {}

TFocusBack::~TFocusBack() { GiveFocusBack(FFocus); }

void GiveFocusBack(QWidget* focus) {
  if (!focus || !focus->isVisible() || !focus->window()->isVisible()) return;
  QWidget* top = focus->window();
  if (QApplication::activeWindow() != top) {
    top->activateWindow();
    // Without a window manager activation would never arrive.
    if (QGuiApplication::platformName() == "offscreen") QApplication::setActiveWindow(top);
  }
  focus->setFocus(Qt::OtherFocusReason);
}

int RunInteraction(TInteraction& request) {
  // Message boxes and the common dialogs give the focus back as modal forms
  // do (those keep it themselves: the form is hidden only after this).
  switch (request.Kind) {
    case TInteractionKind::MessageBox:
    case TInteractionKind::MessageDlg:
    case TInteractionKind::InputQuery:
    case TInteractionKind::OpenDialog:
    case TInteractionKind::SaveDialog:
    case TInteractionKind::SelectDirectory:
    case TInteractionKind::FontDialog:
    case TInteractionKind::ColorDialog:
    case TInteractionKind::PrintDialog:
    case TInteractionKind::PrinterSetupDialog: {
      TFocusBack focusBack;
      return InteractionHook().Run(request);
    }
    default:
      return InteractionHook().Run(request);
  }
}

// ---------------------------------------------------------------------------

TInteractionScript::TInteractionScript() { FPrevious = SetInteractionHook(this); }
TInteractionScript::~TInteractionScript() { SetInteractionHook(FPrevious); }

TInteractionScript& TInteractionScript::Answer(int result) {
  FQueue.push_back([result](TInteraction&) { return result; });
  return *this;
}

TInteractionScript& TInteractionScript::AnswerValue(const String& value, int result) {
  FQueue.push_back([value, result](TInteraction& r) {
    switch (r.Kind) {
      case TInteractionKind::OpenDialog:
      case TInteractionKind::SaveDialog:
        r.FileName = value;
        r.Files = {value};
        break;
      case TInteractionKind::FindDialog:
      case TInteractionKind::ReplaceDialog: r.FindText = value; break;
      default: r.Value = value; break;
    }
    return result;
  });
  return *this;
}

TInteractionScript& TInteractionScript::Do(TAction action) {
  FQueue.push_back(std::move(action));
  return *this;
}

int TInteractionScript::Run(TInteraction& request) {
  int result;
  if (FQueue.empty()) {
    ++Unexpected;
    result = request.Kind == TInteractionKind::MessageBox ? IDCANCEL : mrCancel;
  } else {
    TAction action = std::move(FQueue.front());
    FQueue.pop_front();
    result = action(request);
  }
  Shown.push_back(request);
  return result;
}

// ---------------------------------------------------------------------------

String NormalizeLineBreaks(const String& text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

int MessageBox(const String& text, const String& caption, int flags) {
  TInteraction r;
  r.Kind = TInteractionKind::MessageBox;
  r.Caption = caption;
  r.Text = text;
  r.Buttons = flags & ~MB_ICONMASK;
  r.Icon = flags & MB_ICONMASK;
  return RunInteraction(r);
}

TModalResult MessageDlg(const String& text, TMsgDlgType dlgType, const TMsgDlgButtons& buttons, int) {
  TInteraction r;
  r.Kind = TInteractionKind::MessageDlg;
  const char* caption = DlgCaption(dlgType);
  r.Caption = caption ? caption : FromQ(QGuiApplication::applicationDisplayName());
  r.Text = text;
  r.DlgType = dlgType;
  r.DlgButtons = buttons;
  return RunInteraction(r);
}

void ShowMessage(const String& text) {
  TInteraction r;
  r.Kind = TInteractionKind::MessageDlg;
  r.Caption = FromQ(QGuiApplication::applicationDisplayName());
  r.Text = text;
  r.DlgType = mtCustom;
  r.DlgButtons = {mbOK};
  RunInteraction(r);
}

bool InputQuery(const String& caption, const String& prompt, String& value) {
  TInteraction r;
  r.Kind = TInteractionKind::InputQuery;
  r.Caption = caption;
  r.Text = prompt;
  r.Value = value;
  if (RunInteraction(r) != mrOk) return false;
  value = r.Value;
  return true;
}

String InputBox(const String& caption, const String& prompt, const String& defaultValue) {
  String v = defaultValue;
  return InputQuery(caption, prompt, v) ? v : defaultValue;
}

bool SelectDirectory(const String& caption, const String& root, String& directory) {
  TInteraction r;
  r.Kind = TInteractionKind::SelectDirectory;
  r.Caption = caption;
  r.Root = root;
  r.Value = directory;
  if (RunInteraction(r) != mrOk || r.Value.empty()) return false;
  directory = r.Value;
  return true;
}

void MessageBeep(int) {
  ++BeepCount;
  QApplication::beep();
}
