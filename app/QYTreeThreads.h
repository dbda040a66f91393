#pragma once
// The entry tree's workers. Each reads the entry table through a connection
// of its own thread and hands the rows to its tree on the GUI thread; what
// it hands over after its token is cleared (the tree stopped it or is gone)
// is dropped there.
#include "app/QYEntryStore.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Threads.h"

#include <functional>
#include <memory>

class TEntryTree;
struct TEntryTreeRow;

// Rows handed over at a time: few enough hand-overs for a large journal,
// often enough for the progress text to move.
inline constexpr int EntryTreeBatchRows = 256;

class TEntryTreeWorker : public TThread {
public:
  TEntryTreeWorker(TEntryTree* tree, std::shared_ptr<bool> token);
  ~TEntryTreeWorker() override;

protected:
  // Runs step on the GUI thread with the tree, unless the token was cleared.
  void Post(std::function<void(TEntryTree& tree)> step);
  TEntryTree* FTree;
  std::shared_ptr<bool> FToken;
  // The date names as the GUI thread had them at the start.
  TFormatSettings FSettings;
};

// Both passes of the full load: by date, then by journal.
class ThreadLoadEntryTree : public TEntryTreeWorker {
public:
  ThreadLoadEntryTree(TEntryTree* tree, std::shared_ptr<bool> token);
  ~ThreadLoadEntryTree() override;

protected:
  void Execute() override;

private:
  // Hands the pass's rows (row(0) ... row(count - 1)) over in batches.
  void PostPass(int pass, int count, const std::function<TEntryTreeRow(int)>& row);
};

// The rows of one entry just stored for the first time.
class ThreadRefreshEntryTreeAdd : public TEntryTreeWorker {
public:
  ThreadRefreshEntryTreeAdd(TEntryTree* tree, std::shared_ptr<bool> token, TTreeRefreshEntry entry);
  ~ThreadRefreshEntryTreeAdd() override;

protected:
  void Execute() override;

private:
  TTreeRefreshEntry FEntry;
};
