#pragma once
// Journals (rows of Journals) and the open-journal list: one record per
// journal open while the journal is open; one of them is current.
#include "app/QYEntryStore.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TformQuilloryEditor;

struct TOpenJournal {
  // The journal's editor window (none for a list without windows).
  TformQuilloryEditor* EditorWindow = nullptr;
  // The text of the shown entry (the editor window's document).
  std::unique_ptr<TEntryDocument> Document;
  Integer JournalID = 0;
  String JournalName;
  Byte JournalKind = 0;  // 0 daily ("D"), 1 topic ("T")
  TDateTime EntryDate = 0;
  bool EntryStored = false;
  bool WasActiveWindow = false;
  TOpenJournal* Next = nullptr;
  TOpenJournal* Prev = nullptr;

  // Window geometry, stored back on unload.
  Integer WindowTop = 0, WindowLeft = 0, WindowWidth = 0, WindowHeight = 0, WindowState = 0;
  bool Maximized = true;
  // The editor window's caption and journal-kind panel for the shown entry.
  String Caption, KindPanel;
  // The stored VLF of the shown entry could not be read: shown read-only,
  // never saved over without the user's consent.
  bool EntryDamaged = false;
  // The load failed before the row was known: a save could not tell an
  // insert from an update, so none is made until a load succeeds.
  bool EntryUnread = false;
  // The user was told that the journal's row is gone (told once, not at
  // every automatic save).
  bool JournalMissingTold = false;
  // An error stopped a save of the shown entry part way: what the window
  // holds may be half-changed, so it is not stored over the entry until the
  // entry is read again (the user told once).
  bool SaveInterrupted = false;
  bool SaveInterruptedTold = false;
};

inline constexpr int MaxOpenJournals = 75;

extern TOpenJournal* FirstJournal;
extern TOpenJournal* LastJournal;
extern TOpenJournal* CurrentJournal;
extern bool CreatingJournal;
extern bool JournalsLoaded;
// Set from an unload (lock, exit, Manage Journals, backup, restore, pack, a
// password change) until the next load: nothing may open a journal then, or
// a journal deleted meanwhile would come back with a window that saves nowhere.
extern bool JournalsHeldClosed;

// The journal selector's lines: name and journal id.
extern std::vector<std::pair<String, Integer>> SelectJournalLines;
// Counts the times the journals in the table may have changed (a new
// journal, a load after Manage Journals or a restore): lists made from the
// table compare it with the count they were made at.
extern int JournalListChanges;

// A new record becomes last and current; the editor window hook makes its
// window.
extern std::function<void(TOpenJournal* journal)> OnJournalAdded;
// Before a record is freed (its window goes).
extern std::function<void(TOpenJournal* journal)> OnJournalRemoving;
// Before a record's window geometry is stored: the window writes it in.
extern std::function<void(TOpenJournal* journal)> OnJournalGeometry;

TOpenJournal* AddOpenJournal(const String& name, Integer journalID, Integer top, Integer left,
                             Integer width, Integer height, Integer windowState, Byte kind);
void LoadJournals();
void UnloadJournals();
// Saves every modified entry before the journals close; false while one of
// them could not be saved, which closing would lose.
bool SaveJournalsBeforeClosing();
// Saves the journal's entry and removes its record (the editor window's close).
void CloseJournal(TOpenJournal* journal);
void SaveWindowGeometry(TOpenJournal* journal);
void RemoveOpenJournal(TOpenJournal* journal);
Integer NextJournalID();
// False (and an error shown) when the row was not written.
bool InsertJournal(const String& name, Byte kind, Integer& journalID);
// nullptr while the journals are held closed, or when there is no such journal.
TOpenJournal* FindOrOpenJournal(Integer journalID);
void OpenJournalByID(Integer journalID);
int OpenJournalCount();
// Journals in the table, active or not (0 when they cannot be counted).
int JournalCount();
// The add-journal command after its dialog: creates and opens the journal.
// Cancelled (empty name): today's entry of the current journal is reloaded.
void NewJournal(const String& name, Byte kind, bool confirmed);

// The longest journal name: longer ones make captions and lists unreadable.
inline constexpr int MaxJournalNameLength = 100;
// Why the name cannot be a journal's (empty when it can): blank, too long,
// or already used by another journal (letter case aside) than exceptID.
String JournalNameProblem(const String& name, Integer exceptID = 0);

// Gives the start-up and shut-down the journal operations they call.
void RegisterJournalHooks();
