#include "platform/gui/CommonDialogs.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Printers.h"
#include "platform/gui/QtText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QVBoxLayout>
#include <QWindow>

// ---------------------------------------------------------------------------
// Open and save

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() {
  TInteraction r;
  r.Kind = FKind;
  r.Title = Title;
  r.Caption = Title;
  r.FileName = FileName;
  r.Filter = Filter;
  r.FilterIndex = FilterIndex;
  r.InitialDir = InitialDir;
  r.DefaultExt = DefaultExt;
  r.Options = Options;
  if (OnShow) OnShow(this);
  bool ok = RunInteraction(r) == mrOk && !r.FileName.empty();
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FileName = r.FileName;
  FilterIndex = r.FilterIndex;
  FFiles->Clear();
  if (r.Files.empty()) r.Files.push_back(r.FileName);
  for (const String& f : r.Files) FFiles->Add(f);
  return true;
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
  Filter = PictureFileFilter();
  DefaultExt = "bmp";
}

TSavePictureDialog::TSavePictureDialog(TComponent* AOwner) : TSaveDialog(AOwner) {
  Filter = "Bitmaps (*.bmp)|*.bmp";
  DefaultExt = "bmp";
  Options |= ofOverwritePrompt;
}

// ---------------------------------------------------------------------------
// Font and colour

bool TFontDialog::Execute() {
  TInteraction r;
  r.Kind = TInteractionKind::FontDialog;
  r.Font.Name = Font.GetName();
  r.Font.Size = Font.GetSize();
  r.Font.Style = static_cast<int>(Font.GetStyle().ToMask());
  r.Font.Color = Font.GetColor();
  r.Font.Charset = Font.GetCharset();
  if (RunInteraction(r) != mrOk) return false;
  Font.SetName(r.Font.Name);
  if (r.Font.Size > 0) Font.SetSize(r.Font.Size);
  Font.SetStyle(TFontStyles::FromMask(static_cast<TFontStyles::Mask>(r.Font.Style) & 0xF));
  Font.SetColor(r.Font.Color);
  Font.SetCharset(static_cast<TFontCharset>(r.Font.Charset));
  return true;
}

bool TColorDialog::Execute() {
  TInteraction r;
  r.Kind = TInteractionKind::ColorDialog;
  r.Color = Color;
  if (RunInteraction(r) != mrOk) return false;
  Color = r.Color;
  return true;
}

// ---------------------------------------------------------------------------
// Printing

bool TPrintDialog::Execute() {
  TInteraction r;
  r.Kind = TInteractionKind::PrintDialog;
  r.PrinterName = CurrentPrinterChoice(r.FileName);
  r.Copies = Copies;
  r.Collate = Collate;
  r.FromPage = FromPage;
  r.ToPage = ToPage;
  r.MinPage = MinPage;
  r.MaxPage = MaxPage;
  r.PrintRange = PrintRange == prPageNums;
  r.Options = Options;
  if (RunInteraction(r) != mrOk) return false;
  ApplyPrinterChoice(r.PrinterName, r.FileName);
  Copies = r.Copies;
  Collate = r.Collate;
  PrintRange = r.PrintRange ? prPageNums : prAllPages;
  FromPage = r.FromPage;
  ToPage = r.ToPage;
  Printer()->SetCopies(Copies);
  Printer()->SetCollate(Collate);
  return true;
}

bool TPrinterSetupDialog::Execute() {
  TInteraction r;
  r.Kind = TInteractionKind::PrinterSetupDialog;
  r.PrinterName = CurrentPrinterChoice(r.FileName);
  if (RunInteraction(r) != mrOk) return false;
  ApplyPrinterChoice(r.PrinterName, r.FileName);
  return true;
}

// ---------------------------------------------------------------------------
// Find and replace

TFindDialog::TFindDialog(TComponent* AOwner) : TCommonDialog(AOwner), FWindow(std::make_unique<TWindow>()) {}

TFindDialog::~TFindDialog() { delete FWindow->Dialog; }

bool TFindDialog::Execute() {
  TInteraction r;
  r.Kind = FKind;
  r.FindText = FindText;
  if (auto* rd = dynamic_cast<TReplaceDialog*>(this)) r.ReplaceText = rd->ReplaceText;
  r.Options = Options;
  r.FindDialog = this;
  return RunInteraction(r) == mrOk;
}

void TFindDialog::PressFindNext() {
  if (FindText.empty()) return;
  Options = (Options & ~(frReplace | frReplaceAll)) | frFindNext;
  DoFind();
}

void TFindDialog::PressReplace(bool all) {
  if (FindText.empty()) return;
  Options = (Options & ~(frFindNext | frReplace | frReplaceAll)) | (all ? frReplaceAll : frReplace);
  DoReplace();
}

void TFindDialog::DoFind() {
  if (OnFind) OnFind(this);
}

void TFindDialog::DoReplace() {}

void TReplaceDialog::DoReplace() {
  if (OnReplace) OnReplace(this);
}

void TFindDialog::CloseDialog() {
  QWidget* dialog = FWindow->Dialog;
  if (!dialog) return;
  const bool active = dialog->isActiveWindow();
  dialog->hide();
  // Closed from its own window: the keyboard goes back to the window it
  // searches (else the main window), as a window manager gives it to a
  // closed window's owner.
  QWidget* owner = WidgetOf(OwnerControl);
  if (!owner && Application && Application->MainForm) owner = WindowWidgetOf(Application->MainForm);
  if (!active || !owner || !owner->window()->isVisible()) return;
  owner->window()->activateWindow();
  // Without a window manager activation would never arrive.
  if (QGuiApplication::platformName() == "offscreen") QApplication::setActiveWindow(owner->window());
}

bool TFindDialog::Visible() const { return FWindow->Dialog && FWindow->Dialog->isVisible(); }

namespace {

// An option's access key sets the option at once: the toolkit's animated
// press sets it a moment later, after an Enter typed right behind the key
// has searched with the old option.
class TOptionKeyAtOnce : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Shortcut || static_cast<QShortcutEvent*>(event)->isAmbiguous()) return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !button->isEnabled()) return false;
    button->setFocus(Qt::ShortcutFocusReason);
    button->click();
    return true;
  }
};

// Our own modeless find/replace window (the toolkit has none).
int RunFindWindow(TInteraction& r) {
  TFindDialog* fd = r.FindDialog;
  if (!fd) return mrCancel;
  auto* rd = dynamic_cast<TReplaceDialog*>(fd);
  TFindDialog::TWindow& w = *fd->FWindow;
  if (!w.Dialog) {
    // Ours to delete: not a child of a window that might go first.
    auto* dlg = new QDialog(nullptr, Qt::Tool);
    // Each text the caller's, else the built-in one.
    using TCaptions = TFindDialog::TCaptions;
    auto text = [&w](auto set, String TCaptions::*field, const char* builtIn) {
      w.Texts.push_back(
          [set, field, builtIn](const TCaptions& c) { set(ToQ((c.*field).empty() ? String(builtIn) : c.*field)); });
    };
    if (rd)
      text([dlg](const QString& t) { dlg->setWindowTitle(t); }, &TCaptions::Replace, "Replace");
    else
      text([dlg](const QString& t) { dlg->setWindowTitle(t); }, &TCaptions::Find, "Find");
    auto* grid = new QGridLayout(dlg);
    // Each label's key focuses its edit (and so shows as a key, not an "&").
    auto* findLabel = new QLabel;
    text([findLabel](const QString& t) { findLabel->setText(t); }, &TCaptions::FindWhat, "Fi&nd what:");
    grid->addWidget(findLabel, 0, 0);
    w.Find = new QLineEdit;
    findLabel->setBuddy(w.Find);
    grid->addWidget(w.Find, 0, 1);
    if (rd) {
      auto* replaceLabel = new QLabel;
      text([replaceLabel](const QString& t) { replaceLabel->setText(t); }, &TCaptions::ReplaceWith, "Re&place with:");
      grid->addWidget(replaceLabel, 1, 0);
      w.Replace = new QLineEdit;
      replaceLabel->setBuddy(w.Replace);
      grid->addWidget(w.Replace, 1, 1);
    }
    w.WholeWord = new QCheckBox;
    w.MatchCase = new QCheckBox;
    text([&w](const QString& t) { w.WholeWord->setText(t); }, &TCaptions::WholeWord, "Match &whole word only");
    text([&w](const QString& t) { w.MatchCase->setText(t); }, &TCaptions::MatchCase, "Match &case");
    auto* optionKeys = new TOptionKeyAtOnce(dlg);
    w.WholeWord->installEventFilter(optionKeys);
    w.MatchCase->installEventFilter(optionKeys);
    grid->addWidget(w.WholeWord, 2, 0, 1, 2);
    grid->addWidget(w.MatchCase, 3, 0, 1, 2);
    if (!rd) {
      auto* dir = new QGroupBox;
      auto* dl = new QHBoxLayout(dir);
      w.Up = new QRadioButton;
      w.Down = new QRadioButton;
      text([dir](const QString& t) { dir->setTitle(t); }, &TCaptions::Direction, "Direction");
      text([&w](const QString& t) { w.Up->setText(t); }, &TCaptions::Up, "&Up");
      text([&w](const QString& t) { w.Down->setText(t); }, &TCaptions::Down, "&Down");
      w.Up->installEventFilter(optionKeys);
      w.Down->installEventFilter(optionKeys);
      dl->addWidget(w.Up);
      dl->addWidget(w.Down);
      grid->addWidget(dir, 4, 0, 1, 2);
    }
    auto* buttons = new QVBoxLayout;
    auto sync = [fd, &w, rd] {
      fd->FindText = FromQ(w.Find->text());
      if (rd && w.Replace) rd->ReplaceText = FromQ(w.Replace->text());
      int o = fd->Options & ~(frWholeWord | frMatchCase | frDown);
      if (w.WholeWord->isChecked()) o |= frWholeWord;
      if (w.MatchCase->isChecked()) o |= frMatchCase;
      if (!w.Up || !w.Up->isChecked()) o |= frDown;
      fd->Options = o;
    };
    auto addButton = [&](String TCaptions::*field, const char* builtIn, std::function<void()> action, bool search) {
      auto* b = new QPushButton;
      text([b](const QString& t) { b->setText(t); }, field, builtIn);
      buttons->addWidget(b);
      QObject::connect(b, &QPushButton::clicked, b, [action] { GuardedCall(action); });
      if (search) w.SearchButtons.push_back(b);
      return b;
    };
    w.FindNext = addButton(&TCaptions::FindNext, "&Find Next", [fd, sync] { sync(); fd->PressFindNext(); }, true);
    w.FindNext->setDefault(true);
    if (rd) {
      addButton(&TCaptions::ReplaceOne, "&Replace", [fd, sync] { sync(); fd->PressReplace(false); }, true);
      addButton(&TCaptions::ReplaceAll, "Replace &All", [fd, sync] { sync(); fd->PressReplace(true); }, true);
    }
    addButton(&TCaptions::Cancel, "Cancel", [fd] { fd->CloseDialog(); }, false);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);
    QObject::connect(w.Find, &QLineEdit::textChanged, dlg, [&w](const QString& t) {
      for (QPushButton* b : w.SearchButtons) b->setEnabled(!t.isEmpty());
    });
    w.Dialog = dlg;
  }
  for (const auto& apply : w.Texts) apply(fd->Captions);
  w.Find->setText(ToQ(fd->FindText));
  if (rd && w.Replace) w.Replace->setText(ToQ(rd->ReplaceText));
  w.WholeWord->setChecked(fd->Options & frWholeWord);
  w.MatchCase->setChecked(fd->Options & frMatchCase);
  w.WholeWord->setVisible(!(fd->Options & frHideWholeWord));
  w.MatchCase->setVisible(!(fd->Options & frHideMatchCase));
  if (w.Down) {
    w.Down->setChecked(fd->Options & frDown);
    w.Up->setChecked(!(fd->Options & frDown));
  }
  for (QPushButton* b : w.SearchButtons) b->setEnabled(!fd->FindText.empty());
  if (fd->Left >= 0 && fd->Top >= 0) w.Dialog->move(fd->Left, fd->Top);
  // Owned by the searched window: that window coming to the front (a match
  // shown in it) does not hide the find window.
  if (QWidget* owner = WidgetOf(fd->OwnerControl)) {
    QWidget* top = owner->window();
    top->winId();
    w.Dialog->winId();
    if (w.Dialog->windowHandle() && top->windowHandle() && top != w.Dialog)
      w.Dialog->windowHandle()->setTransientParent(top->windowHandle());
  }
  // Opened again, the keyboard is in the find field with its text chosen, so
  // typing replaces it: not on whichever button had the focus last time.
  w.Find->selectAll();
  w.Dialog->show();
  w.Dialog->raise();
  w.Dialog->activateWindow();
  w.Find->setFocus(Qt::ActiveWindowFocusReason);
  // A button that had the keyboard when the window closed would still be
  // the one Enter presses: in the find field Enter is Find Next.
  w.FindNext->setDefault(true);
  return mrOk;
}

struct TRegisterRunners {
  TRegisterRunners() {
    RegisterInteractionRunner(TInteractionKind::FindDialog, &RunFindWindow);
    RegisterInteractionRunner(TInteractionKind::ReplaceDialog, &RunFindWindow);
  }
} gRegisterRunners;

}  // namespace
