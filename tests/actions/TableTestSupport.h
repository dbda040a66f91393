#pragma once
// A shown journal-like editor holding "Before", a table whose cells say
// where they are ("00", "01", …) and "After", driven by toolkit mouse and
// key events; and a dump of the table's grid for comparisons.
#include "actions/VLActionsTable.h"
#include "platform/base/CodePages.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLCellEditor.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>

namespace tabletest {

inline std::string DocText(TCustomVLData* doc) {
  std::string s;
  for (Integer i = 0; i < doc->GetItemCount(); ++i) {
    TCustomVLItemInfo* item = doc->GetItem(i);
    if (i > 0 && item->IsParaStart()) s += "|";
    if (item->StyleNo < 0) s += "#";
    else s += WideToUtf8(RawUnicodeToWideString(doc->GetItemTextA(i)));
  }
  return s;
}

struct TTableWindow {
  explicit TTableWindow(Integer rows = 3, Integer cols = 3, bool withTable = true) : Style(nullptr) {
    Application->Initialize();
    VLRegisterTableItem();
    while (Style.TextStyles->Count() < 2) Style.TextStyles->Add();
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) {
      Style.TextStyles->Items(i)->FontName = "Arial";
      Style.TextStyles->Items(i)->Size = 10;
      Style.TextStyles->Items(i)->Unicode = true;
    }
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 520, 420);
    Edit = new TVellumEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(0, 0, 500, 400);
    Edit->SetStyle(&Style);
    TVLEditVLData& d = *Edit->EditData();
    d.Clear();
    d.AddTextItem(U("Before"), 0, 0);
    if (withTable) {
      auto t = TVLTableItemInfo::CreateEx(rows, cols, &d);
      t->CellBorderWidth = 1;
      t->CellPadding = 2;
      for (Integer r = 0; r < rows; ++r)
        for (Integer c = 0; c < cols; ++c) {
          TVLTableCellData* cell = t->GetCell(r, c);
          cell->Clear();
          cell->AddTextItem(U((std::to_string(r) + std::to_string(c)).c_str()), 0, 0);
        }
      d.AddItem("", t.release());
    }
    d.AddTextItem(U("After"), 0, 0);
    Edit->Format();
    Form->Show();
    WindowWidgetOf(Form.get())->activateWindow();
    Edit->SetFocus();
    Settle();
  }
  ~TTableWindow() { Form.reset(); }

  static AnsiString U(const char* text) { return WideStringToRawUnicode(Utf8ToWide(text)); }
  void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  // The table in the document (nullptr when there is none).
  TVLTableItemInfo* T() const {
    TVLEditVLData& d = *Edit->EditData();
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) return t;
    return nullptr;
  }
  QPoint CellPoint(Integer row, Integer col) const {
    TVLEditVLData& d = *Edit->EditData();
    TVLTableItemInfo* t = T();
    const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
    const TVLTableCellData* cell = t->GetCell(row, col);
    return QPoint(li->Left - d.GetHOffset() + cell->Left + cell->Width / 2,
                  li->Top - d.GetVOffset() + cell->Top + cell->Height / 2);
  }
  // A click into a cell (the cell editor opens there); with Shift, the
  // cells from the last clicked one to this one are selected.
  void Click(Integer row, Integer col, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(ClientWidgetOf(Edit), Qt::LeftButton, mods, CellPoint(row, col));
    Settle();
  }
  // The caret in "Before", outside the table.
  void CaretOutside() {
    T()->ClearCellSelection();
    Edit->SetCaret(0, 1);
    Edit->SetFocus();
    Settle();
  }
  // What the user chooses: update, then execute, as a menu click does.
  bool Run(TBasicAction& action) {
    action.Update();
    const bool done = action.Execute();
    Settle();
    return done;
  }
  bool Enabled(TCustomAction& action) {
    action.Update();
    return action.GetEnabled();
  }
  // Each row's cells: their text, "." for a covered position, with the
  // spans of merged cells.
  std::string Grid() const {
    TVLTableItemInfo* t = T();
    if (!t) return "no table";
    std::string s;
    for (Integer r = 0; r < t->RowCount(); ++r) {
      if (r) s += " / ";
      for (Integer c = 0; c < t->Rows.GetRow(r)->Count(); ++c) {
        if (c) s += ",";
        TVLTableCellData* cell = t->GetCell(r, c);
        if (!cell) {
          s += ".";
          continue;
        }
        s += DocText(cell->GetVLData());
        if (cell->RowSpan > 1 || cell->ColSpan > 1)
          s += "[" + std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) + "]";
      }
    }
    return s;
  }

  TVLStyle Style;
  std::unique_ptr<TForm> Form;
  TVellumEdit* Edit = nullptr;
};

}  // namespace tabletest
