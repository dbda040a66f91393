// The main window's commands of journal find and printing: advanced find,
// the six report commands and the password report, in the File and Edit
// menus and on the standard tool bar.
#include "app/QYAutoSave.h"
#include "app/QYGlobalFind.h"
#include "app/QYJournalReport.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"

namespace {

// The menu of the main menu with that caption.
TMenuItem* TopMenu(TMainMenu* menu, const char* caption) {
  TMenuItem* root = menu->Items();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->GetCaption() == caption) return root->Items(i);
  return nullptr;
}

TMenuItem* Entry(TBasicAction* action) {
  auto* m = new TMenuItem(nullptr);
  if (action) m->SetAction(action);
  else m->SetCaption("-");
  return m;
}

// The index of the menu's entry for the action, -1 when it has none.
int EntryOf(TMenuItem* menu, TBasicAction* action) {
  for (int i = 0; i < menu->Count(); ++i)
    if (menu->Items(i)->GetAction() == action) return i;
  return -1;
}

void Report(TReportOutput output, TReportScope scope, TReportLayout layout) {
  if (!JournalsLoaded) return;
  PauseTimer();
  BuildJournalReport(output, scope, layout);
  ResumeTimer();
}

}  // namespace

void TformQuilloryMain::BuildFindAndPrintCommands() {
  auto make = [this](const char* name, const char* caption, const char* hint, TShortCut shortcut,
                     std::function<void()> run) {
    return NewAction(name, caption, hint, shortcut, [run](TObject*) { run(); });
  };
  ActionGlobalFind = make("ActionGlobalFind", "Advanced Fin&d...", "find text in all entries",
                          scCtrl | scShift | 'F', [] { ActionGlobalFindExecute(); });
  ActionPreview = make("ActionPreview", "Print Pre&view", "preview entry", scNone,
                       [] { Report(roPreview, rsCurrentEntry, rlPagePerDay); });
  ActionPrint = make("ActionPrint", "P&rint", "print entry", scCtrl | 'P',
                     [] { Report(roPrint, rsCurrentEntry, rlPagePerDay); });
  ActionPreviewPagePerDay = make("ActionPreviewPagePerDay", "Preview Selection, Page per Da&y...",
                                 "preview selected entries, each on its own page", scNone,
                                 [] { Report(roPreview, rsSelection, rlPagePerDay); });
  ActionPrintPagePerDay = make("ActionPrintPagePerDay", "Print Selection, Page per D&ay...",
                               "print selected entries, each on its own page", scNone,
                               [] { Report(roPrint, rsSelection, rlPagePerDay); });
  ActionPreviewPageFilled = make("ActionPreviewPageFilled", "Preview Selection, Pages &Filled...",
                                 "preview selected entries, one after another", scNone,
                                 [] { Report(roPreview, rsSelection, rlPageFilled); });
  ActionPrintPageFilled = make("ActionPrintPageFilled", "Print Selection, Pa&ges Filled...",
                               "print selected entries, one after another", scNone,
                               [] { Report(roPrint, rsSelection, rlPageFilled); });
  ActionPrintPassword = make("ActionPrintPassword", "&Print Password", "print password", scNone, [] {
    // The password is known only while the journal is open.
    if (!JournalsLoaded) return;
    PauseTimer();
    BuildPasswordReport();
    ResumeTimer();
  });
  // After a change the report shows the new password.
  AfterPasswordChange = [] {
    PauseTimer();
    BuildPasswordReport();
    ResumeTimer();
  };

  if (TMenuItem* file = TopMenu(MainMenu, "&File")) {
    int at = EntryOf(file, ActionPrinterSetupDialog);
    at = at < 0 ? file->Count() : at + 1;
    for (TBasicAction* a : {static_cast<TBasicAction*>(ActionPreview), static_cast<TBasicAction*>(ActionPrint),
                            static_cast<TBasicAction*>(nullptr), static_cast<TBasicAction*>(ActionPreviewPagePerDay),
                            static_cast<TBasicAction*>(ActionPrintPagePerDay),
                            static_cast<TBasicAction*>(ActionPreviewPageFilled),
                            static_cast<TBasicAction*>(ActionPrintPageFilled)})
      file->Insert(at++, Entry(a));
    const int password = EntryOf(file, ActionChangePassword);
    file->Insert(password < 0 ? file->Count() : password + 1, Entry(ActionPrintPassword));
  }
  if (TMenuItem* edit = TopMenu(MainMenu, "&Edit")) {
    edit->Add(Entry(nullptr));
    edit->Add(Entry(ActionGlobalFind));
  }
  ShowPrintTarget();
  for (TAction* a : {ActionPreview, ActionPrint, ActionGlobalFind}) {
    auto* button = new TToolButton(this);
    button->SetName(String("tb") + a->GetName());
    button->SetAction(a);
    button->SetParent(tbStandard);
  }
}
