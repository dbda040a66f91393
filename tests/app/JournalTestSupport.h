#pragma once
// A set-up database folder with the journal operations' globals reset, for
// the tests of journals and entries.
#include "DatabaseTestSupport.h"

#include "app/QYEditor.h"
#include "app/QYEntryTree.h"
#include "app/QYJournals.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Threads.h"
#include "richtext/editor/VellumEdit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace qytest {

class TJournalWorld : public TDatabaseWorld {
public:
  TJournalWorld() {
    SetUp();
    ProfileSettings.DatabaseVersion = CurrentDatabaseVersion;
    ProfileSettings.ProtectPriorEntries = false;
    RegisterDocumentFormats();
  }
  ~TJournalWorld() {
    // A failing test must not leave a box waiting for an answer.
    TInteractionScript script;
    for (int i = 0; i < 20; ++i) script.Answer(IDOK);
    JournalsLoaded = true;
    UnloadJournals();
    FreeEntryStatements();
    OnEntryInserted = nullptr;
    OnEntryDeleted = nullptr;
    OnJournalAdded = nullptr;
  }

  Integer AddJournal(const String& name, Byte kind, bool active = true) {
    Integer id = 0;
    if (!InsertJournal(name, kind, id)) throw Exception("journal not added");
    if (!active) Exec("UPDATE Journals SET JournalActive = FALSE WHERE JournalID = " + IntToStr(id));
    return id;
  }

  // A journal open in the list with its today's entry loaded.
  TOpenJournal* Open(const String& name, Byte kind) {
    const Integer id = AddJournal(name, kind);
    JournalsLoaded = true;
    TOpenJournal* j = FindOrOpenJournal(id);
    CurrentJournal = j;
    return j;
  }

  // A paragraph added to the entry (in its editor when it has a window).
  static void Type(TOpenJournal* j, const String& text) {
    if (j->EditorWindow) {
      TVellumEdit* e = j->EditorWindow->QuilloryText;
      const Integer last = e->ItemCount() - 1;
      // A blank day holds the empty line typing starts in.
      const bool blank = last == 0 && e->GetItemTextUtf8(0).empty();
      if (last >= 0 && !blank) {
        e->SetCaret(last, e->GetItemEndOffset(last));
        e->InsertText("\r\n" + text);
      } else {
        if (blank) e->SetCaret(0, e->GetItemEndOffset(0));
        e->InsertText(text);
      }
    } else {
      j->Document->Data.AddTextItem(text, 0, 0);
    }
    j->Document->Modified = true;
  }

  String StoredBlob(Integer id, double date) {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT JournalText FROM QUILLORY WHERE JournalID = " + IntToStr(id) +
              " AND JournalDate = " + IntToStr(static_cast<Int64>(date)));
    q.Open();
    return q.Eof() ? String() : q.Fields(0).AsString();
  }
};

// Runs what the entry tree's workers hand over until it has nothing to do.
inline void DrainEntryTree() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  if (EntryTree) EntryTree->RunPending();
  while (EntryTree && !EntryTree->Idle() && std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    TThread::CheckSynchronize();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(!EntryTree || EntryTree->Idle()) << "the tree never finished";
}

}  // namespace qytest
