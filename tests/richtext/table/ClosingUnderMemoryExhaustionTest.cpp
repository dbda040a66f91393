// An editor that goes while a table's cell editor is open in it (the
// window closing, the program ending) closes the cell editor from the
// table's destructor. Under memory exhaustion closing it may fail: any
// allocation of the program's own code in the teardown failing leaves the
// process running, never in std::terminate. Each is failed in turn, in a
// child process. The toolkit's own allocations are left alone: it does not
// survive a failed one anywhere.
#include "CellEditorSupport.h"
#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <dlfcn.h>
#include <cstdlib>
#include <new>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Armed (>= 0): the allocation that many allocations on fails once.
std::atomic<long> gFailIn{-1};
std::atomic<long> gCounted{0};
std::atomic<bool> gCounting{false};

// Whether the code at address is the program's own (not a shared library's).
bool OwnCode(const void* address) {
  static const void* own = [] {
    Dl_info self{};
    return dladdr(reinterpret_cast<const void*>(&OwnCode), &self) ? self.dli_fbase : nullptr;
  }();
  Dl_info at{};
  return dladdr(address, &at) && at.dli_fbase == own;
}

void* Allocate(std::size_t n, const void* caller) {
  if ((gCounting || gFailIn >= 0) && OwnCode(caller)) {
    if (gCounting) ++gCounted;
    if (gFailIn >= 0 && gFailIn.fetch_sub(1) == 0) throw std::bad_alloc();
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t n) { return Allocate(n, __builtin_return_address(0)); }
void* operator new[](std::size_t n) { return Allocate(n, __builtin_return_address(0)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Tables nested depth deep, each cell editor open down to the innermost
// one, typing in that one (its own undo history).
struct TOpenCells {
  explicit TOpenCells(int depth) : Editor(std::in_place) {
    VLRegisterTableItem();
    TVellumEdit* edit = Editor->Edit;
    edit->Clear();
    edit->EditData()->AddTextItem(celltest::TTableEditor::U("Entry"), 0, 0);
    edit->Format();
    for (int level = 0; level < depth; ++level) {
      TCustomVellumEdit* inner = edit->GetInnermostEditor();
      auto t = TVLTableItemInfo::CreateEx(2, 2, inner->EditData());
      TVLTableItemInfo* placed = t.get();
      EXPECT_TRUE(inner->InsertItem("", t.release()));
      placed->EditCell(0, 0);
      QApplication::processEvents();
    }
    QTest::keyClicks(WidgetOf(edit->GetInnermostEditor()), "typed");
    QApplication::processEvents();
  }
  bool Open(int depth) {
    TCustomVellumEdit* e = Editor->Edit;
    for (int level = 0; level < depth && e; ++level) e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor());
    return e != nullptr;
  }
  std::optional<qytest::TEditor> Editor;
};

TEST(ClosingUnderMemoryExhaustion, AnyAllocationOfTheTeardownFailingEndsNoProcess) {
  for (const int depth : {1, 3}) {
    SCOPED_TRACE("tables " + std::to_string(depth) + " deep");
    // How many allocations the teardown makes.
    long total = 0;
    {
      TOpenCells open(depth);
      ASSERT_TRUE(open.Open(depth));
      gCounted = 0;
      gCounting = true;
      open.Editor.reset();
      gCounting = false;
      total = gCounted;
    }
    ASSERT_GT(total, 0);
    TOpenCells open(depth);
    ASSERT_TRUE(open.Open(depth));
    std::vector<long> terminated;
    for (long k = 0; k < total; ++k) {
      const pid_t child = fork();
      if (child == 0) {
        // A failure a handler reports is answered, not waited on.
        TInteractionScript answers;
        gFailIn = k;
        open.Editor.reset();
        gFailIn = -1;
        _exit(0);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) terminated.push_back(k);
    }
    EXPECT_TRUE(terminated.empty()) << terminated.size() << " of " << total
                                    << " allocations of the teardown, failed, ended the process; the first: "
                                    << (terminated.empty() ? -1 : terminated.front());
  }
}

}  // namespace
