// A paragraph style applied through the editor control is one undo step of
// its own, whatever step came before it.
#include "EditorFixture.h"

#include <functional>

namespace {

TEST(ApplyParaStyleStep, IsOneStepUndoneExactly) {
  struct Case {
    const char* name;
    std::function<void(qytest::TEditor&)> before;  // the step that precedes
  } cases[] = {
      {"first step", [](qytest::TEditor&) {}},
      {"after typing", [](qytest::TEditor& e) { e.Type("xy"); }},
      {"after a deletion", [](qytest::TEditor& e) { e.Key(Qt::Key_Backspace); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    qytest::TEditor e;
    while (e.Style.ParaStyles->Count() < 2) e.Style.ParaStyles->Add();
    e.Style.ParaStyles->Items(1)->Alignment = vlaCenter;
    e.Edit->InsertText("one\r\ntwo");
    e.Edit->ClearUndo();
    k.before(e);
    const Integer steps = e.D().UndoList->Count();
    const std::string text = e.Text();
    e.Edit->ApplyParaStyle(1);
    EXPECT_EQ(e.D().UndoList->Count(), steps + 1);
    EXPECT_EQ(e.Edit->GetItem(e.Edit->ItemCount() - 1)->ParaNo, 1);
    EXPECT_EQ(e.Edit->GetItem(0)->ParaNo, 0);
    e.Edit->Undo();
    EXPECT_EQ(e.Edit->GetItem(e.Edit->ItemCount() - 1)->ParaNo, 0);
    // The step before is still there, untouched.
    EXPECT_EQ(e.Text(), text);
    EXPECT_EQ(e.D().UndoList->Count(), steps);
  }
}

}  // namespace
