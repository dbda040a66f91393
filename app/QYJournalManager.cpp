#include "app/QYJournalManager.h"

#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEntryTree.h"
#include "app/QYErrorDisplay.h"
#include "app/QYFormBuild.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYStartup.h"

#include "platform/gui/Dialogs.h"

TformJournalManager::TformJournalManager(TComponent* AOwner) : TForm(AOwner) {
  // A child window of the main window's frame.
  if (dynamic_cast<TformQuilloryMain*>(AOwner)) SetFormStyle(fsMDIChild);
  // A window closed a moment ago may not be freed yet and keeps the name.
  if (!AOwner || !AOwner->FindComponent("formJournalManager")) SetName("formJournalManager");
  SetCaption("Manage Journals");
  HelpKeyword = "Manage Journals";
  HelpContext = 22;
  SetBounds(40, 40, 560, 360);

  JournalManagerNavigator = MakeControl<TPanel>(this, this, "JournalManagerNavigator", 0, 0, 560, 34);
  JournalManagerNavigator->SetAlign(alTop);
  JournalManagerNavigator->SetCaption("");
  nbInsert = MakeControl<TButton>(this, JournalManagerNavigator, "nbInsert", 4, 3, 110, 28);
  nbInsert->SetCaption("&Add Journal");
  nbInsert->SetHint("Insert record");
  nbInsert->OnClick = [this](TObject*) { InsertJournalRow(); };
  nbDelete = MakeControl<TButton>(this, JournalManagerNavigator, "nbDelete", 118, 3, 110, 28);
  nbDelete->SetCaption("&Delete Journal");
  nbDelete->SetHint("Delete record");
  nbDelete->OnClick = [this](TObject*) { DeleteJournalRow(JournalManagerGrid->GetRow()); };

  pButtons = MakeControl<TPanel>(this, this, "pButtons", 0, 320, 560, 40);
  pButtons->SetAlign(alBottom);
  pButtons->SetCaption("");
  pbOk = MakeControl<TButton>(this, pButtons, "pbOk", 360, 6, 90, 28);
  pbOk->SetCaption("&OK");
  // Every change is stored as it is made: Escape closes as OK does.
  pbOk->Cancel = true;
  pbOk->OnClick = [this](TObject* s) { pbOkClick(s); };
  pbHelp = MakeControl<TButton>(this, pButtons, "pbHelp", 456, 6, 90, 28);
  pbHelp->SetCaption("&Help");
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };

  JournalManagerGrid = new TStringGrid(this);
  JournalManagerGrid->SetName("JournalManagerGrid");
  JournalManagerGrid->SetParent(this);
  JournalManagerGrid->SetAlign(alClient);
  JournalManagerGrid->SetColumns({{"Journal Name", gckText, true, 260},
                                  {"Show Journal", gckCheck, true, 110},
                                  {"Journal Type", gckReadOnly, true, 100},
                                  {"JournalID", gckReadOnly, false, 60}});
  JournalManagerGrid->OnCellChanged = [this](TObject*, int col, int row) { GridCellChanged(col, row); };
  // Closed without Ok: the journals open again all the same, or the main
  // window would be left open with no journal and its commands disabled.
  OnClose = [this](TObject*, TCloseAction& action) {
    action = caFree;
    if (!FReopened && formQuilloryMain && !formQuilloryMain->Closing) ReopenJournals();
  };
}

TformJournalManager::~TformJournalManager() = default;

void TformJournalManager::FillRow(int row, Integer id, const String& name, bool active, const String& type) {
  JournalManagerGrid->SetCell(jmcName, row, name);
  JournalManagerGrid->SetChecked(jmcShow, row, active);
  // The stored letter, shown as the word.
  JournalManagerGrid->SetCell(jmcType, row, type == "T" ? String("Topic") : type == "D" ? String("Daily") : type);
  JournalManagerGrid->SetCell(jmcID, row, IntToStr(id));
}

Integer TformJournalManager::RowID(int row) const {
  return StrToIntDef(JournalManagerGrid->Cell(jmcID, row), 0);
}

void TformJournalManager::OpenTable() {
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("SELECT JournalID, JournalName, JournalActive, JournalType FROM Journals ORDER BY JournalID");
  q.Open();
  JournalManagerGrid->SetRowCount(0);
  JournalManagerGrid->SetRowCount(q.RecordCount());
  for (int row = 0; !q.Eof(); q.Next(), ++row)
    FillRow(row, q.Fields(0).AsInteger(), q.Fields(1).AsString(), q.Fields(2).AsBoolean(),
            q.Fields(3).AsString().empty() ? String("D") : q.Fields(3).AsString());
  if (JournalManagerGrid->RowCount() > 0) JournalManagerGrid->SetRow(0);
  NextNumber = NextJournalID();
}

void TformJournalManager::GridCellChanged(int col, int row) {
  const Integer id = RowID(row);
  if (id == 0) return;
  try {
    TQuery q;
    BindToDatabase(q);
    if (col == jmcName) {
      const String name = Trim(JournalManagerGrid->Cell(jmcName, row));
      if (const String problem = JournalNameProblem(name, id); !problem.empty()) {
        // The row shows the stored name again: the selector and the tree
        // could not tell two journals of one name apart.
        TQuery old;
        BindToDatabase(old);
        old.SQL.Add("SELECT JournalName FROM Journals WHERE JournalID = :bJournalID");
        old.ParamByName("bJournalID").SetAsInteger(id);
        old.Open();
        JournalManagerGrid->SetCell(jmcName, row, old.Eof() ? String() : old.Fields(0).AsString());
        MessageBox(problem, "Manage Journals", MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      q.SQL.Add("UPDATE Journals SET JournalName = :bJournalName WHERE JournalID = :bJournalID");
      q.ParamByName("bJournalName").SetAsString(name);
    } else if (col == jmcShow) {
      q.SQL.Add("UPDATE Journals SET JournalActive = :bJournalActive WHERE JournalID = :bJournalID");
      q.ParamByName("bJournalActive").SetAsInteger(JournalManagerGrid->Checked(jmcShow, row) ? 1 : 0);
    } else {
      return;
    }
    q.ParamByName("bJournalID").SetAsInteger(id);
    q.ExecSQL();
    FChanged = true;
  } catch (const std::exception& e) {
    ShowErrorDisplay("Manage Journals", e);
  }
}

bool TformJournalManager::InsertJournalRow() {
  NextNumber = NextNumber + 1;
  const Integer id = NextNumber;
  // A name no other journal has, so the row is valid until the user names it.
  String name = "New Journal";
  for (int n = 2; !JournalNameProblem(name).empty() && n < 1000; ++n) name = "New Journal " + IntToStr(n);
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("INSERT INTO Journals ( JournalID, JournalName, JournalActive, JournalType ) Values (:bJournalID, "
              ":bJournalName, :bJournalActive, :bJournalType );");
    q.ParamByName("bJournalID").SetAsInteger(id);
    q.ParamByName("bJournalName").SetAsString(name);
    q.ParamByName("bJournalActive").SetAsInteger(1);
    q.ParamByName("bJournalType").SetAsString("D");
    q.ExecSQL();
  } catch (const std::exception& e) {
    ShowErrorDisplay("Insert Journal", e);
    return false;
  }
  const int row = JournalManagerGrid->RowCount();
  JournalManagerGrid->SetRowCount(row + 1);
  FillRow(row, id, name, true, "D");
  FChanged = true;
  // The user names it at once: typing replaces "New Journal".
  JournalManagerGrid->BeginEdit(jmcName, row);
  return true;
}

bool TformJournalManager::DeleteJournalRow(int row, bool confirm) {
  if (row < 0 || row >= JournalManagerGrid->RowCount()) return false;
  const Integer id = RowID(row);
  const String name = JournalManagerGrid->Cell(jmcName, row);
  if (confirm && MessageBox("Delete the journal \"" + name + "\" and every entry written in it?\r\n\r\n" +
                                "This cannot be undone.",
                            "Delete Journal", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
    return false;
  // The entries and the journal go together, or neither does: entries
  // without their journal could never be reached again.
  TDatabase db;
  db.SessionName = SessionName;
  db.AliasName = AliasName;
  try {
    db.StartTransaction();
    for (const char* sql : {"DELETE FROM Quillory WHERE ( JournalID = :bJournalID );",
                            "DELETE FROM Journals WHERE ( JournalID = :bJournalID );"}) {
      TQuery q;
      BindToDatabase(q);
      q.SQL.Add(sql);
      q.ParamByName("bJournalID").SetAsInteger(id);
      q.ExecSQL();
    }
    db.Commit();
  } catch (const std::exception& e) {
    try {
      if (db.InTransaction()) db.Rollback();
    } catch (const std::exception&) {
    }
    ShowErrorDisplay("Delete Journals", e);
    return false;
  }
  JournalManagerGrid->DeleteRow(row);
  FChanged = true;
  return true;
}

void TformJournalManager::ReopenJournals() {
  FReopened = true;
  if (formQuilloryMain) {
    formQuilloryMain->SetJournalCommandsEnabled(true);
    formQuilloryMain->SetStatusText(spState, String());
  }
  // Names, hidden journals and deleted entries: the tree is read again.
  if (FChanged) ReloadEntryTree();
  LoadJournalsHook();
}

void TformJournalManager::pbOkClick(TObject*) {
  ReopenJournals();
  Close();
}

void TformJournalManager::pbHelpClick(TObject*) { Application->HelpContext(22); }

TformJournalManager* ActionJournalManagerExecute(TformQuilloryMain* main) {
  if (!JournalsLoadedHook()) {
    MessageBox("Open the journal first: its journals are managed with the journal open.", "Manage Journals",
               MB_OK | MB_ICONINFORMATION);
    return nullptr;
  }
  PauseTimer();
  struct TResume {
    ~TResume() { ResumeTimer(); }
  } resume;
  if (!SaveJournalsBeforeClosing()) {
    MessageBox("An entry could not be saved, so the journals stay open.\r\nSave it or undo its changes first.",
               "Manage Journals", MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
  }
  const Byte mode = ScreenMode;
  ScreenMode = 3;  // neither cover nor open: the timer neither saves nor hides
  UnloadJournalsHook();
  if (main) {
    main->SetStatusText(spState, "managing journals");
    main->SetJournalCommandsEnabled(false);
    // The selector lists open journals; none is open until the window closes.
    main->cbSelectJournal->Items().Clear();
  }
  auto* window = new TformJournalManager(main ? static_cast<TComponent*>(main) : Application);
  try {
    window->OpenTable();
  } catch (const std::exception& e) {
    ShowErrorDisplay("Manage Journals", e);
  }
  window->Show();
  // The keyboard goes with the window: its keys (Escape) work at once.
  if (window->JournalManagerGrid->CanFocus()) window->JournalManagerGrid->SetFocus();
  ScreenMode = mode;
  return window;
}
