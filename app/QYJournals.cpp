#include "app/QYJournals.h"

#include "app/QYDatabase.h"
#include "app/QYDatabaseVersion.h"
#include "app/QYEntryTree.h"
#include "app/QYErrorDisplay.h"
#include "app/QYGlobalFind.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <algorithm>
#include <cmath>

TOpenJournal* FirstJournal = nullptr;
TOpenJournal* LastJournal = nullptr;
TOpenJournal* CurrentJournal = nullptr;
bool CreatingJournal = false;
bool JournalsLoaded = false;
bool JournalsHeldClosed = false;
std::vector<std::pair<String, Integer>> SelectJournalLines;
int JournalListChanges = 0;
std::function<void(TOpenJournal*)> OnJournalAdded;
std::function<void(TOpenJournal*)> OnJournalRemoving;
std::function<void(TOpenJournal*)> OnJournalGeometry;

namespace {

const char* const JournalColumns =
    "SELECT JournalID, JournalName, WindowTop, WindowLeft, WindowHeight, WindowWidth, WindowState, "
    "WindowOrder, ActiveWindow, JournalType FROM Journals ";

Integer IntOrZero(TQuery& q, const char* field) {
  TField& f = q.FieldByName(field);
  return f.IsNull() ? 0 : f.AsInteger();
}

// One row of the journals query: its record, window and today's entry.
TOpenJournal* OpenRow(TQuery& q) {
  const Byte kind = q.FieldByName("JournalType").AsString() == "T" ? 1 : 0;
  TOpenJournal* j = AddOpenJournal(q.FieldByName("JournalName").AsString(), IntOrZero(q, "JournalID"),
                                   IntOrZero(q, "WindowTop"), IntOrZero(q, "WindowLeft"),
                                   IntOrZero(q, "WindowWidth"), IntOrZero(q, "WindowHeight"),
                                   IntOrZero(q, "WindowState"), kind);
  LoadEntry(j, Date());
  return j;
}

void ProcessPending() {
  if (Application) Application->ProcessMessages();
}

}  // namespace

TOpenJournal* AddOpenJournal(const String& name, Integer journalID, Integer top, Integer left,
                             Integer width, Integer height, Integer windowState, Byte kind) {
  CreatingJournal = true;
  auto* j = new TOpenJournal;
  j->Document = std::make_unique<TEntryDocument>();
  j->JournalID = journalID;
  j->JournalName = name;
  j->JournalKind = kind;
  j->EntryDate = kind == 1 ? TopicEntryDate : std::floor(Date());
  j->Caption = name;
  j->Document->Clear();
  if (ProfileSettings.SaveWindowPositions && width >= 1 && height >= 1) {
    j->WindowTop = top;
    j->WindowLeft = left;
    j->WindowWidth = width;
    j->WindowHeight = height;
    j->WindowState = windowState;
    j->Maximized = false;
  }
  if (std::none_of(SelectJournalLines.begin(), SelectJournalLines.end(),
                   [&](const auto& l) { return l.second == journalID; }))
    SelectJournalLines.emplace_back(name, journalID);
  j->Prev = LastJournal;
  if (LastJournal) LastJournal->Next = j;
  else FirstJournal = j;
  LastJournal = j;
  CurrentJournal = j;
  try {
    if (OnJournalAdded) OnJournalAdded(j);
  } catch (...) {
    CreatingJournal = false;
    throw;
  }
  CreatingJournal = false;
  return j;
}

void LoadJournals() {
  JournalsHeldClosed = false;
  if (JournalsLoaded) return;
  UpgradeDatabase();
  PrepareEntryStatements();
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add(String(JournalColumns) + "WHERE ( JournalActive = True ) ORDER BY ActiveWindow");
    q.Open();
    int count = 0;
    while (!q.Eof()) {
      OpenRow(q);
      if (++count >= MaxOpenJournals) {
        MessageBox("Max Number of Active Journals open at one time (" + IntToStr(MaxOpenJournals) +
                       ") Reached",
                   "Max Journals", MB_OK | MB_ICONINFORMATION);
        break;
      }
      q.Next();
      ProcessPending();
    }
    q.Close();
  } catch (const std::exception& e) {
    ShowErrorDisplay("Load Journals", e);
  }
  // Manage Journals and a restore end by loading them again.
  ++JournalListChanges;
  JournalsLoaded = true;
  ForgetCaretPlaces();
}

void SaveWindowGeometry(TOpenJournal* j) {
  if (!j) return;
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("UPDATE Journals SET WindowTop = :bWinTop, WindowLeft = :bWinLeft, WindowHeight = :bWinHeight, WindowWidth = :bWinWidth, WindowState = :bWinState, ActiveWindow = :bActiveWindow WHERE JournalID = :bJournalID; ");
    q.ParamByName("bWinTop").SetAsInteger(j->WindowTop);
    q.ParamByName("bWinLeft").SetAsInteger(j->WindowLeft);
    q.ParamByName("bWinHeight").SetAsInteger(j->WindowHeight);
    q.ParamByName("bWinWidth").SetAsInteger(j->WindowWidth);
    q.ParamByName("bWinState").SetAsInteger(j->WindowState);
    q.ParamByName("bActiveWindow").SetAsBoolean(j->WasActiveWindow);
    q.ParamByName("bJournalID").SetAsInteger(j->JournalID);
    q.ExecSQL();
  } catch (const std::exception& e) {
    ShowErrorDisplay("Save Journal Position", e);
  }
}

void CloseJournal(TOpenJournal* j) {
  if (!j) return;
  SaveEntry(j, smAuto);
  RemoveOpenJournal(j);
}

void UnloadJournals() {
  if (!JournalsLoaded) return;
  JournalsHeldClosed = true;
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) {
    j->WasActiveWindow = j == CurrentJournal;
    if (OnJournalGeometry) OnJournalGeometry(j);
    SaveWindowGeometry(j);
  }
  // Every journal is saved and closed, whatever happens to one of them.
  while (FirstJournal) {
    TOpenJournal* j = FirstJournal;
    try {
      SaveEntry(j, smAuto);
    } catch (const std::exception& e) {
      ShowErrorDisplay("Problem Saving Current Entry", e);
    }
    RemoveOpenJournal(j);
  }
  SelectJournalLines.clear();
  FreeEntryStatements();
  JournalsLoaded = false;
}

bool SaveJournalsBeforeClosing() {
  bool all = true;
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) {
    // An entry that could not be read holds nothing typed: closing loses nothing.
    if (!j->Document || !j->Document->Modified || j->EntryUnread) continue;
    try {
      if (!SaveEntry(j, smAuto)) all = false;
    } catch (const std::exception& e) {
      ShowErrorDisplay("Problem Saving Current Entry", e);
      all = false;
    }
  }
  return all;
}

void RemoveOpenJournal(TOpenJournal* j) {
  if (!j) return;
  if (OnJournalRemoving) OnJournalRemoving(j);
  if (j == FirstJournal) FirstJournal = j->Next;
  if (j == LastJournal) LastJournal = j->Prev;
  if (j->Prev) j->Prev->Next = j->Next;
  if (j->Next) j->Next->Prev = j->Prev;
  if (TreeRefreshJournal == j) TreeRefreshJournal = nullptr;
  delete j;
  if (!FirstJournal) JournalsLoaded = false;
  CurrentJournal = nullptr;
}

int JournalCount() {
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT COUNT(*) AS JournalCount FROM Journals");
    q.Open();
    const int n = q.Eof() ? 0 : q.Fields(0).AsInteger();
    q.Close();
    return n;
  } catch (const std::exception& e) {
    ShowErrorDisplay("Count Journals", e);
    return 0;
  }
}

Integer NextJournalID() {
  Integer best = 0;
  const std::pair<const char*, const char*> steps[] = {
      {"SELECT MAX(JournalID) AS MaxJournalID FROM Journals;", "Add Journal - Select A"},
      {"SELECT MAX(JournalID) AS MaxJournalID FROM Quillory;", "Add Journal - Select B"}};
  for (const auto& [sql, step] : steps) {
    try {
      TQuery q;
      BindToDatabase(q);
      q.SQL.Add(sql);
      q.Open();
      if (!q.Eof() && !q.Fields(0).IsNull()) best = std::max(best, q.Fields(0).AsInteger());
    } catch (const std::exception& e) {
      ShowErrorDisplay(step, e);
    }
  }
  return best + 1;
}

bool InsertJournal(const String& name, Byte kind, Integer& journalID) {
  journalID = NextJournalID();
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("INSERT INTO Journals ( JournalID, JournalName, JournalActive, JournalType ) Values (:bJournalID, :bJournalName, :bJournalActive, :bJournalType );");
    q.ParamByName("bJournalID").SetAsInteger(journalID);
    q.ParamByName("bJournalName").SetAsString(name);
    q.ParamByName("bJournalActive").SetAsBoolean(true);
    q.ParamByName("bJournalType").SetAsString(kind == 1 ? "T" : "D");
    q.ExecSQL();
    return true;
  } catch (const std::exception& e) {
    ShowErrorDisplay("Add Journal - Insert", e);
    return false;
  }
}

int OpenJournalCount() {
  int n = 0;
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) ++n;
  return n;
}

TOpenJournal* FindOrOpenJournal(Integer journalID) {
  if (JournalsHeldClosed) return nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    for (TOpenJournal* j = FirstJournal; j; j = j->Next)
      if (j->JournalID == journalID) return j;
    if (pass == 0) OpenJournalByID(journalID);
  }
  return nullptr;
}

void OpenJournalByID(Integer journalID) {
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add(String(JournalColumns) + "WHERE ( JournalID = :bJournalID )");
    q.ParamByName("bJournalID").SetAsInteger(journalID);
    q.Open();
    if (!q.Eof()) OpenRow(q);
    q.Close();
  } catch (const std::exception& e) {
    ShowErrorDisplay("Open A Journal " + IntToStr(journalID), e);
  }
}

void NewJournal(const String& name, Byte kind, bool confirmed) {
  SaveEntry(CurrentJournal, smAuto);
  Integer id = 0;
  if (confirmed && InsertJournal(name, kind, id)) {
    ++JournalListChanges;
    AddOpenJournal(name, id, 0, 0, 0, 0, 0, kind);
  }
  if (CurrentJournal) LoadEntry(CurrentJournal, Date());
}

void RegisterJournalHooks() {
  TAppHooks& h = AppHooks();
  h.SaveCurrentEntry = [](int mode) { SaveEntry(CurrentJournal, mode); };
  h.UnloadJournals = [] {
    // A search reads the files that backup, restore, pack and a password
    // change close after this.
    StopGlobalFind();
    UnloadJournals();
  };
  h.LoadJournals = [] {
    LoadJournals();
    StartEntryTreeLoad();
  };
  h.JournalsLoaded = [] { return JournalsLoaded; };
}

String JournalNameProblem(const String& name, Integer exceptID) {
  const String trimmed = Trim(name);
  if (trimmed.empty()) return "A journal needs a name.";
  // Characters, not bytes: "Łódź" is four.
  const auto length = std::count_if(trimmed.begin(), trimmed.end(),
                                    [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
  if (length > MaxJournalNameLength)
    return "A journal name can be at most " + IntToStr(MaxJournalNameLength) + " characters long; this one has " +
           IntToStr(static_cast<int>(length)) + ".";
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT JournalID, JournalName FROM Journals");
    q.Open();
    for (; !q.Eof(); q.Next())
      if (q.Fields(0).AsInteger() != exceptID && AnsiSameText(Trim(q.Fields(1).AsString()), trimmed))
        return "There is a journal named \"" + trimmed + "\" already. Choose another name.";
  } catch (const std::exception& e) {
    ShowErrorDisplay("Journal Names", e);
  }
  return String();
}
