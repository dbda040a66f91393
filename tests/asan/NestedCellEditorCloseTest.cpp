// A document closed while the editor of a cell in a nested table is open:
// the editors go with it, in any order, and leave no window behind. The
// sanitizers judge what the closing frees.
#include "EditorForm.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"

#include "platform/gui/Forms.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(NestedCellEditorClose, ClosingTheDocumentWithANestedCellOpenLeavesNothing) {
  // The item registry is the whole program's: the model's tests here expect
  // no class for the table's number.
  VLRegisterTableItem();
  struct TUnregister {
    ~TUnregister() { UnregisterItemClass(vlsTable); }
  } unregister;
  const auto widgetsBefore = QApplication::allWidgets().size();
  {
    TVLStyle style(nullptr);
    TVellumEdit* edit = nullptr;
    auto form = qytest::FormWithEditor(style, edit);
    TVLEditVLData& d = *edit->EditData();
    d.AddTextItem("before", 0, 0);
    auto outer = TVLTableItemInfo::CreateEx(1, 3, &d);
    TVLTableCellData* holder = outer->GetCell(0, 2);
    auto inner = TVLTableItemInfo::CreateEx(1, 2, holder);
    TVLTableItemInfo* in = inner.get();
    holder->AddItem("", inner.release());
    d.AddItem("", outer.release());
    d.AddTextItem("after", 0, 0);
    edit->Format();
    form->Show();
    QApplication::processEvents();
    in->EditCell(0, 1);
    ASSERT_NE(in->GetInplaceEditor(), nullptr);
    EXPECT_GT(QApplication::allWidgets().size(), widgetsBefore);
    form.reset();
    QApplication::processEvents();
  }
  // Deferred deletions run too: nothing of the document's windows is left.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(QApplication::allWidgets().size(), widgetsBefore);
}

}  // namespace
