#include "app/QYTreeThreads.h"

#include "app/QYDatabase.h"
#include "app/QYEntryTree.h"
#include "app/QYErrorDisplay.h"

#include <algorithm>
#include <vector>

namespace {

const char* const PassQueries[2] = {
    "SELECT DISTINCT JournalName, JournalID, JournalType, JournalDate, CursorPosition FROM Quillory, "
    "Journals WHERE ( Quillory.JournalID = Journals.JournalID ) AND ( JournalActive = True ) ORDER BY JournalDate, "
    "JournalName;",
    "SELECT DISTINCT JournalName, JournalID, JournalType, JournalDate, CursorPosition FROM Quillory, "
    "Journals WHERE ( Quillory.JournalID = Journals.JournalID ) AND ( JournalActive = True ) ORDER BY JournalName, "
    "JournalDate;"};

TEntryTreeRow ReadRow(TQuery& q, const TFormatSettings& settings) {
  TField& cursor = q.FieldByName("CursorPosition");
  return MakeEntryTreeRow(q.FieldByName("JournalName").AsString(), q.FieldByName("JournalID").AsInteger(),
                          q.FieldByName("JournalType").AsString(), q.FieldByName("JournalDate").AsDateTime(),
                          cursor.IsNull() ? 0 : cursor.AsInteger(), settings);
}

}  // namespace

TEntryTreeWorker::TEntryTreeWorker(TEntryTree* tree, std::shared_ptr<bool> token)
    : TThread(true), FTree(tree), FToken(std::move(token)), FSettings(FormatSettings) {}

TEntryTreeWorker::~TEntryTreeWorker() = default;

void TEntryTreeWorker::Post(std::function<void(TEntryTree&)> step) {
  Queue([token = FToken, tree = FTree, step = std::move(step)] {
    if (*token) step(*tree);
  });
}

// ---------------------------------------------------------------------------

ThreadLoadEntryTree::ThreadLoadEntryTree(TEntryTree* tree, std::shared_ptr<bool> token)
    : TEntryTreeWorker(tree, std::move(token)) {
  Start();
}

ThreadLoadEntryTree::~ThreadLoadEntryTree() {
  Terminate();
  WaitFor();
}

void ThreadLoadEntryTree::Execute() {
  // Both passes show the same rows: the second sorts those the first read
  // (reading every entry's page again costs as much as the first pass). It
  // queries for itself only when the first could not read them all.
  std::vector<TEntryTreeRow> all;
  bool readAll = false;
  for (int pass = 0; pass < 2 && !Terminated(); ++pass) {
    try {
      if (pass == 1 && readAll) {
        std::vector<const TEntryTreeRow*> order;
        order.reserve(all.size());
        for (const TEntryTreeRow& r : all) order.push_back(&r);
        // By journal, then (as read) by date: the order of the second query.
        std::stable_sort(order.begin(), order.end(), [](const TEntryTreeRow* a, const TEntryTreeRow* b) {
          return a->Record->JournalName < b->Record->JournalName;
        });
        PostPass(pass, static_cast<int>(order.size()), [&](int i) { return *order[static_cast<size_t>(i)]; });
        continue;
      }
      TQuery q;
      BindToDatabase(q);
      q.SQL.Add(PassQueries[pass]);
      // Exit and lock wait for this thread: it stops mid-query.
      q.Cancelled = [this] { return Terminated(); };
      q.Open();
      const int count = q.RecordCount();
      if (pass == 0) all.reserve(static_cast<size_t>(count));
      PostPass(pass, count, [&](int) {
        TEntryTreeRow row = ReadRow(q, FSettings);
        q.Next();
        if (pass == 0) all.push_back(row);
        return row;
      });
      readAll = pass == 0 && static_cast<int>(all.size()) == count;
    } catch (const std::exception& e) {
      if (Terminated()) return;  // stopped mid-query: nothing to report
      Post([pass, message = String(e.what()), cls = ExceptionClassName(e)](TEntryTree& t) {
        t.ShowPassError(pass, message, cls);
      });
    }
  }
  Post([](TEntryTree& t) { t.FinishLoad(); });
}

void ThreadLoadEntryTree::PostPass(int pass, int count, const std::function<TEntryTreeRow(int)>& row) {
  Post([pass, count](TEntryTree& t) { t.BeginPass(pass, count); });
  std::vector<TEntryTreeRow> rows;
  rows.reserve(EntryTreeBatchRows);
  for (int i = 0; i < count && !Terminated(); ++i) {
    rows.push_back(row(i));
    if (static_cast<int>(rows.size()) == EntryTreeBatchRows || i + 1 == count) {
      Post([pass, count, rowNo = i + 1, batch = std::move(rows)](TEntryTree& t) {
        t.AddRows(pass, batch, rowNo, count);
      });
      rows.clear();
      rows.reserve(EntryTreeBatchRows);
    }
  }
}

// ---------------------------------------------------------------------------

ThreadRefreshEntryTreeAdd::ThreadRefreshEntryTreeAdd(TEntryTree* tree, std::shared_ptr<bool> token,
                                                     TTreeRefreshEntry entry)
    : TEntryTreeWorker(tree, std::move(token)), FEntry(std::move(entry)) {
  Start();
}

ThreadRefreshEntryTreeAdd::~ThreadRefreshEntryTreeAdd() {
  Terminate();
  WaitFor();
}

void ThreadRefreshEntryTreeAdd::Execute() {
  std::vector<TEntryTreeRow> rows;
  try {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add(
        "SELECT DISTINCT JournalName, JournalID, JournalType, JournalDate, CursorPosition FROM Quillory, "
        "Journals WHERE ( ( Quillory.JournalID = Journals.JournalID ) AND ( Quillory.JournalDate = "
        ":bJournalDate ) AND ( Quillory.JournalID = :bJournalID ) );");
    q.ParamByName("bJournalDate").SetAsDate(FEntry.JournalKind == 1 ? TopicEntryDate : FEntry.EntryDate);
    q.ParamByName("bJournalID").SetAsInteger(FEntry.JournalID);
    q.Cancelled = [this] { return Terminated(); };
    q.Open();
    for (; !q.Eof() && !Terminated(); q.Next()) rows.push_back(ReadRow(q, FSettings));
  } catch (const std::exception& e) {
    if (Terminated()) return;  // stopped mid-query: nothing to report
    Post([message = String(e.what()), cls = ExceptionClassName(e)](TEntryTree&) {
      ShowErrorDisplay("Refresh Entry Tree", message, cls);
    });
  }
  Post([rows = std::move(rows)](TEntryTree& t) { t.FinishAdd(rows); });
}
