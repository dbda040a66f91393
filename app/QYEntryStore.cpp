#include "app/QYEntryStore.h"
#include "app/QYSpelling.h"

#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYErrorDisplay.h"
#include "app/QYJournals.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "platform/base/Streams.h"
#include "platform/gui/Dialogs.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/table/VLTable.h"

#include <cmath>
#include <map>
#include <mutex>

bool EntryStatementsPrepared = false;
TOpenJournal* TreeRefreshJournal = nullptr;
String EntryStateWord;
std::function<void(const String&)> OnEntryStateWord;
std::function<void(const TTreeRefreshEntry&)> OnEntryInserted;
std::function<void(const TTreeRefreshEntry&)> OnEntryDeleted;
std::function<void(TOpenJournal*)> OnEntryLoaded;
TDateTime LastSaveTime = 0;
bool VerifySavesReadBack = false;

namespace {
// By journal and stored date. Item numbers and cells only: nothing of the
// entry's text stays in memory while it is locked.
std::map<std::pair<Integer, double>, std::vector<TEntryDocument::TCaretStep>> KeptCarets;
}  // namespace

void KeepCaretPlaces() {
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) KeepCaretPlace(j);
}

void KeepCaretPlace(TOpenJournal* j) {
  if (j && j->Document && !j->EntryUnread)
    KeptCarets[{j->JournalID, StoredEntryDate(j, j->EntryDate)}] = j->Document->CaretPlace();
}

void ForgetCaretPlaces() { KeptCarets.clear(); }

void RegisterDocumentFormats() {
  static std::once_flag once;
  std::call_once(once, [] { VLRegisterRTFReader(); });
}

// ---------------------------------------------------------------------------

TEntryDocument::TEntryDocument() : Style(nullptr), Data(&Style) {
  Data.Options = TVLOptions{vloTagsArePChars};
  Data.VLFOptions = TVLFOptions{vlfoSavePicturesBody, vlfoSaveControlsBody, vlfoIgnoreUnknownPicFmt,
                                vlfoIgnoreUnknownCtrls, vlfoConvUnknownStylesToZero,
                                vlfoConvLargeImageIdxToZero, vlfoSaveBinary, vlfoSaveBack,
                                vlfoLoadBack, vlfoSaveTextStyles, vlfoSaveParaStyles,
                                vlfoSaveLayout, vlfoLoadLayout};
  Data.SetState(Data.GetState() | vlstViewDocument);
}

TEntryDocument::~TEntryDocument() = default;

void TEntryDocument::Clear() {
  Data.Clear();
  CaretItemNo = 0;
  CaretOffset = 0;
}

bool TEntryDocument::LoadVLF(TStream& stream) {
  return Data.LoadVLFFromStream(stream, Color, nullptr, nullptr, &Layout);
}

bool TEntryDocument::LoadRTF(TStream& stream) { return Data.LoadRTFFromStream(stream) == 0; }

bool TEntryDocument::SaveVLF(TStream& stream) {
  return Data.SaveVLFToStream(stream, false, Color, nullptr, bsNoBitmap, &Layout);
}

void TEntryDocument::DeleteUnusedStyles() { Data.DeleteUnusedStyles(true, true, true); }

String TEntryDocument::Text() const {
  String out;
  for (Integer i = 0; i < Data.GetItemCount(); ++i) {
    if (i > 0 && Data.IsParaStart(i)) out += "\n";
    if (Data.GetItemStyle(i) < 0) continue;
    const AnsiString raw = Data.GetItemTextA(i);
    if (Data.GetItemOptions(i) & 8) {
      // Raw UTF-16LE: only the basic plane is needed for reading back.
      for (size_t k = 0; k + 1 < raw.size(); k += 2) {
        const unsigned c = static_cast<unsigned char>(raw[k]) | (static_cast<unsigned char>(raw[k + 1]) << 8);
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else if (c < 0x800) {
          out += static_cast<char>(0xC0 | (c >> 6));
          out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
          out += static_cast<char>(0xE0 | (c >> 12));
          out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (c & 0x3F));
        }
      }
    } else {
      out += raw;
    }
  }
  return out;
}

String ContentOutline(TCustomVLData& d) {
  String out;
  for (Integer i = 0; i < d.GetItemCount(); ++i) {
    if (i > 0 && d.IsParaStart(i)) out += "\n";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) {
      out += "[" + std::to_string(t->RowCount()) + "x" + std::to_string(t->ColCount());
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) out += "|" + ContentOutline(*cell->GetVLData());
      out += "]";
    } else if (d.GetItemStyle(i) >= 0) {
      out += d.GetItemTextA(i);
    }
  }
  return out;
}

// ---------------------------------------------------------------------------

namespace {

std::unique_ptr<TQuery> SelectQuery, InsertQuery, UpdateQuery, DeleteQuery;
bool LoadingEntry = false, SavingEntry = false, DeletingEntry = false;

// Clears a busy flag however the operation ends.
struct TBusy {
  explicit TBusy(bool& flag) : Flag(flag) { Flag = true; }
  ~TBusy() { Flag = false; }
  bool& Flag;
};

// The saved journal's own values, not the current journal's: a window that
// closes saves its entry while another journal is current.
TTreeRefreshEntry RefreshEntryOf(TOpenJournal* j) {
  TreeRefreshJournal = j;
  return {j->JournalID, j->JournalName, j->JournalKind, StoredEntryDate(j, j->EntryDate)};
}

void ShowStateWord(const String& word) {
  EntryStateWord = word;
  if (OnEntryStateWord) OnEntryStateWord(word);
}

std::unique_ptr<TQuery> Prepared(const char* sql, const char* step) {
  auto q = std::make_unique<TQuery>();
  try {
    BindToDatabase(*q);
    q->SQL.Add(sql);
    q->Prepare();
  } catch (const std::exception& e) {
    ShowErrorDisplay(step, e);
  }
  return q;
}

void ClearDocument(TEntryDocument& doc) {
  CancelSpellCheck();  // a check must not go on in a replaced document
  doc.Clear();
  doc.Modified = false;
}

// The stored text as it is: a row of a new, inactive journal, so the user
// can still reach it and nothing in the table is overwritten.
bool KeepStoredEntryAside(TOpenJournal* j) {
  try {
    TQuery read;
    BindToDatabase(read);
    read.SQL.Add("SELECT JournalText, Editor FROM QUILLORY WHERE JournalID = :bJournalID AND JournalDate = :bJournalDate");
    read.ParamByName("bJournalID").SetAsInteger(j->JournalID);
    read.ParamByName("bJournalDate").SetAsDate(StoredEntryDate(j, j->EntryDate));
    read.Open();
    if (read.Eof()) return true;
    const String blob = read.FieldByName("JournalText").AsString();
    const String editor = read.FieldByName("Editor").AsString();
    read.Close();
    Integer keptID = 0;
    if (!InsertJournal("Kept aside: " + j->JournalName, j->JournalKind, keptID)) return false;
    TQuery hide;
    BindToDatabase(hide);
    hide.SQL.Add("UPDATE Journals SET JournalActive = :bActive WHERE JournalID = :bJournalID");
    hide.ParamByName("bActive").SetAsBoolean(false);
    hide.ParamByName("bJournalID").SetAsInteger(keptID);
    hide.ExecSQL();
    TQuery keep;
    BindToDatabase(keep);
    keep.SQL.Add("INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, CreatedDate, ModifiedDate, Editor ) VALUES ( :bJournalID, :bJournalDate, :bJournalText, 0, 0, :bCreatedDate, :bModifiedDate, :bEditor )");
    keep.ParamByName("bJournalID").SetAsInteger(keptID);
    keep.ParamByName("bJournalDate").SetAsDate(StoredEntryDate(j, j->EntryDate));
    keep.ParamByName("bJournalText").SetAsBlob(blob, ftFmtMemo);
    keep.ParamByName("bCreatedDate").SetAsDateTime(Now());
    keep.ParamByName("bModifiedDate").SetAsDateTime(Now());
    keep.ParamByName("bEditor").SetAsString(editor);
    keep.ExecSQL();
    return true;
  } catch (const std::exception& e) {
    ShowErrorDisplay("Save Journal Text - Keep Damaged Entry", e);
    return false;
  }
}

// False only when the journal's row is known to be gone (deleted in Manage
// Journals): an entry inserted then would be stored where nothing reaches it.
bool JournalRowExists(Integer journalID) {
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT COUNT(*) FROM Journals WHERE JournalID = :bJournalID");
    q.ParamByName("bJournalID").SetAsInteger(journalID);
    q.Open();
    return q.Eof() || q.Fields(0).AsInteger() > 0;
  } catch (const std::exception&) {
    // The insert reports what is wrong with the database.
    return true;
  }
}

}  // namespace

double StoredEntryDate(const TOpenJournal* journal, TDateTime date) {
  return journal->JournalKind == 1 ? TopicEntryDate : std::floor(date);
}

void PrepareEntryStatements() {
  if (EntryStatementsPrepared) return;
  EntryStatementsPrepared = true;
  SelectQuery = Prepared(
      "SELECT JournalText, ItemNumber, ItemOffset, Editor FROM QUILLORY WHERE JournalID = :bJournalID AND JournalDate = :bJournalDate",
      "Initialize Queries - Select");
  InsertQuery = Prepared(
      "INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, CreatedDate, ModifiedDate, Editor ) VALUES ( :bJournalID, :bJournalDate, :bJournalText, :bItemNumber, :bItemOffset, :bCreatedDate, :bModifiedDate, :bEditor );",
      "Initialize Queries - Insert");
  UpdateQuery = Prepared(
      "UPDATE Quillory SET JournalText = :bJournalText, ItemNumber = :bItemNumber, ItemOffset = :bItemOffset, ModifiedDate = :bModifiedDate, Editor = :bEditor WHERE JournalID = :bJournalID AND JournalDate = :bJournalDate; ",
      "Initialize Queries - Update");
  DeleteQuery = Prepared(
      "DELETE FROM Quillory WHERE JournalID = :bJournalID AND JournalDate = :bJournalDate;",
      "Initialize Queries - Delete");
}

void FreeEntryStatements() {
  SelectQuery.reset();
  InsertQuery.reset();
  UpdateQuery.reset();
  DeleteQuery.reset();
  EntryStatementsPrepared = false;
}

void LoadEntry(TOpenJournal* j, TDateTime date) {
  if (LoadingEntry) return;
  TBusy busy(LoadingEntry);
  if (!j) return;
  PrepareEntryStatements();
  TEntryDocument& doc = *j->Document;
  const double stored = StoredEntryDate(j, date);
  bool opened = false;
  try {
    SelectQuery->Close();
    SelectQuery->ParamByName("bJournalDate").SetAsDate(stored);
    SelectQuery->ParamByName("bJournalID").SetAsInteger(j->JournalID);
    SelectQuery->Open();
    SelectQuery->First();
    opened = true;
  } catch (const std::exception& e) {
    ShowErrorDisplay("Get Journal Text - Open", e);
  }
  j->EntryDamaged = false;
  j->EntryUnread = false;
  j->SaveInterrupted = j->SaveInterruptedTold = false;
  String word;
  try {
    if (!opened) throw EDatabaseError("The entry could not be read");
    if (!SelectQuery->Eof()) {
      const String editor = SelectQuery->FieldByName("Editor").AsString();
      ClearDocument(doc);
      std::unique_ptr<TStream> blob =
          SelectQuery->CreateBlobStream(SelectQuery->FieldByName("JournalText"), bmRead);
      const bool rtf = editor == "RTF";
      // An entry read only in part opens as a damaged one too.
      const bool read = rtf ? doc.LoadRTF(*blob) : doc.LoadVLF(*blob) && !doc.LoadedInPart();
      if (!rtf && editor == "VLF") {
        doc.CaretItemNo = SelectQuery->FieldByName("ItemNumber").AsInteger();
        doc.CaretOffset = SelectQuery->FieldByName("ItemOffset").AsInteger();
      }
      j->EntryStored = true;
      doc.Modified = false;
      LastSaveTime = Now();
      j->EntryDamaged = !read;
      word = read ? "retrieved" : "damaged entry";
    } else {
      ClearDocument(doc);
      j->EntryStored = false;
      // A blank day is loaded too: its save minutes count from now, or the
      // first tick after typing saves at once and shows minutes since 1899.
      LastSaveTime = Now();
      word = "blank slate";
    }
    SelectQuery->Close();
  } catch (const std::exception& e) {
    if (opened) ShowErrorDisplay("Get Journal Text", e);
    // Nothing is known about the row: the day must not pass for empty.
    ClearDocument(doc);
    j->EntryUnread = true;
    word = "not retrieved";
    try {
      SelectQuery->Close();
    } catch (...) {
    }
  }
  const bool prior = j->JournalKind == 0 && std::floor(Date()) > std::floor(date);
  doc.ReadOnly = (ProfileSettings.ProtectPriorEntries && prior) || j->EntryDamaged || j->EntryUnread;
  j->EntryDate = date;
  const String dateText = FormatDateTime(FormatSettings.LongDateFormat, date);
  if (j->JournalKind == 0) {
    j->Caption = j->JournalName + " - " + dateText;
    j->KindPanel = "Daily Journal " + j->JournalName + " - " + dateText;
  } else {
    j->Caption = j->JournalName;
    j->KindPanel = "Topic Journal " + j->JournalName;
  }
  doc.StoreChanged();
  if (const auto kept = KeptCarets.find({j->JournalID, stored}); kept != KeptCarets.end()) {
    if (word == "retrieved") doc.PlaceCaretAt(kept->second);
    KeptCarets.erase(kept);
  }
  ShowStateWord(word);
  if (OnEntryLoaded) OnEntryLoaded(j);
  if (j == CurrentJournal) UpdateReadOnlyState();
}

bool SaveEntry(TOpenJournal* j, int mode) {
  if (SavingEntry) return false;
  TBusy busy(SavingEntry);
  if (!j || !j->Document || !j->Document->Modified) {
    // Nothing was written: only the Save command says so.
    if (mode == smExplicit) ShowStateWord("nothing to save");
    return true;
  }
  TEntryDocument& doc = *j->Document;
  const std::shared_ptr<void> still = doc.HoldView();
  if (j->EntryUnread) {
    ShowStateWord("not saved");
    return false;
  }
  if (j->EntryDamaged) {
    // Only the user may replace a stored entry that could not be read.
    if (mode != smExplicit ||
        MessageBox("This entry could not be read completely.\r\nSave it over the stored entry? "
                   "The stored entry is kept aside in a journal of its own.",
                   "Damaged Entry", MB_YESNO | MB_ICONEXCLAMATION) != IDYES ||
        !KeepStoredEntryAside(j)) {
      ShowStateWord("not saved");
      return false;
    }
  }
  if (j->SaveInterrupted) {
    ShowStateWord("not saved");
    if (!j->SaveInterruptedTold) {
      j->SaveInterruptedTold = true;
      MessageBox("An error stopped the last save of this entry part way, so what its window shows may be "
                 "incomplete.\r\nIt was not saved: the entry stored before is kept.",
                 "Entry Not Saved", MB_OK | MB_ICONEXCLAMATION);
    }
    return false;
  }
  PrepareEntryStatements();
  doc.DeleteUnusedStyles();
  TMemoryStream text;
  bool written = false;
  try {
    written = doc.SaveVLF(text);
  } catch (...) {
    // The error goes on to end the program; the exit's own save must not
    // store what it left.
    j->SaveInterrupted = true;
    ShowStateWord("not saved");
    throw;
  }
  if (!written) {
    ShowStateWord("not saved");
    return false;
  }
  if (VerifySavesReadBack) {
    // After an error nobody caught, what is stored must read back as the
    // entry is shown; else the stored entry stays.
    TEntryDocument back;
    text.Seek(0, soBeginning);
    const bool read = back.LoadVLF(text) && !back.LoadedInPart();
    if (!read || ContentOutline(back.Data) != ContentOutline(doc.Shown())) {
      ShowStateWord("not saved");
      MessageBox("After an error, this entry did not read back as it is shown, so it was not saved: the entry "
                 "stored before is kept.",
                 "Entry Not Saved", MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
  }
  const double stored = StoredEntryDate(j, j->EntryDate);
  bool inserted = false;
  auto fill = [&](TQuery& q, bool insert) {
    q.ParamByName("bJournalID").SetAsInteger(j->JournalID);
    q.ParamByName("bJournalDate").SetAsDate(stored);
    q.ParamByName("bItemNumber").SetAsInteger(doc.CaretItemNo);
    q.ParamByName("bItemOffset").SetAsInteger(doc.CaretOffset);
    q.ParamByName("bModifiedDate").SetAsDateTime(Now());
    if (insert) q.ParamByName("bCreatedDate").SetAsDateTime(Now());
    q.ParamByName("bEditor").SetAsString("VLF");
    q.ParamByName("bJournalText").SetAsBlob(text.Bytes(), ftFmtMemo);
  };
  if (j->EntryStored) {
    try {
      fill(*UpdateQuery, false);
      UpdateQuery->ExecSQL();
      // The row went away meanwhile: the text is not stored until inserted.
      if (UpdateQuery->RowsAffected() == 0) j->EntryStored = false;
    } catch (const std::exception& e) {
      ShowErrorDisplay("Save Journal Text - Update", e);
      ShowStateWord("not saved");
      return false;
    }
  }
  if (!j->EntryStored && !JournalRowExists(j->JournalID)) {
    ShowStateWord("not saved");
    if (!j->JournalMissingTold || mode == smExplicit) {
      j->JournalMissingTold = true;
      MessageBox("The journal \"" + j->JournalName + "\" is no longer in the database, so this entry was not "
                 "saved.\r\nIts text stays in the window: copy it into another journal to keep it.",
                 "Save", MB_OK | MB_ICONEXCLAMATION);
    }
    return false;
  }
  if (!j->EntryStored) {
    try {
      fill(*InsertQuery, true);
      InsertQuery->ExecSQL();
      inserted = true;
    } catch (const std::exception& e) {
      ShowErrorDisplay("Save Journal Text - Insert", e);
      ShowStateWord("not saved");
      return false;
    }
  }
  j->EntryStored = true;
  j->EntryDamaged = false;
  doc.Modified = false;
  doc.ReadOnly = doc.ReadOnly && ProfileSettings.ProtectPriorEntries;
  doc.StoreChanged();
  LastSaveTime = Now();
  if (inserted && OnEntryInserted) OnEntryInserted(RefreshEntryOf(j));
  ShowStateWord(mode == smExplicit ? "saved" : "auto saved");
  return true;
}

void DeleteEntry(TOpenJournal* j) {
  if (DeletingEntry) return;
  TBusy busy(DeletingEntry);
  if (!j) return;
  PrepareEntryStatements();
  try {
    DeleteQuery->ParamByName("bJournalID").SetAsInteger(j->JournalID);
    DeleteQuery->ParamByName("bJournalDate").SetAsDate(StoredEntryDate(j, j->EntryDate));
    DeleteQuery->ExecSQL();
  } catch (const std::exception& e) {
    // The row is still there, and so is the text in the editor.
    ShowErrorDisplay("Delete Journal Text", e);
    return;
  }
  if (OnEntryDeleted) OnEntryDeleted(RefreshEntryOf(j));
  ClearDocument(*j->Document);
  LastSaveTime = Now();
  j->EntryStored = false;
  j->EntryDamaged = false;
  j->Document->StoreChanged();
  ShowStateWord("deleted");
}

void ActionSaveExecute() {
  if (!JournalsLoaded || !CurrentJournal) return;
  CurrentJournal->Document->Modified = true;
  SaveEntry(CurrentJournal, smExplicit);
}

void ActionDeleteExecute() {
  if (!JournalsLoaded || !CurrentJournal || CurrentJournal->Document->ReadOnly) return;
  TOpenJournal* j = CurrentJournal;
  if (!j->EntryStored && !j->Document->Modified) {
    ShowStateWord("nothing to delete");
    return;
  }
  if (ProfileSettings.ConfirmDelete &&
      MessageBox("Delete this entry? It cannot be undone.", "Confirm Delete",
                 MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
    ShowStateWord("nothing to delete");
    return;
  }
  if (!j->EntryStored) {
    ClearDocument(*j->Document);
    j->Document->StoreChanged();
    ShowStateWord("cleared");
    return;
  }
  DeleteEntry(j);
}
