#pragma once
// A small editor behind the actions' editor seam: a list of text runs with a
// text style and a paragraph style each, a selection, snapshot undo with
// groups, and search and replace in the runs' text. Enough to watch what
// the actions ask of an editor.
#include "actions/VLActionEditor.h"
#include "platform/base/CodePages.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Controls.h"
#include "richtext/model/VLData.h"

#include <algorithm>
#include <string>
#include <vector>

struct TFakeRun {
  std::string Text;
  Integer StyleNo = 0;
  Integer ParaNo = 0;
  bool ParaStart = true;
};

class TFakeEditor : public TCustomControl, public TVLActionEditor {
public:
  explicit TFakeEditor(TComponent* owner, TVLStyle* style) : TCustomControl(owner), Style(style), Doc(style) {}

  // --- the document
  std::vector<TFakeRun> Runs;
  TVLStyle* Style;
  // The items GetVLData answers; tests that look at items fill it.
  TVLDocumentData Doc;
  Integer CurTextStyleNo = 0;
  bool ReadOnly = false;
  TFakeEditor* Inplace = nullptr;  // the active cell editor
  TFakeEditor* CellParent = nullptr;
  TVLBiDiMode BiDi = vlbdUnspecified;
  Integer LeftMargin = 5, RightMargin = 5;
  Integer SelStartNo = 0, SelStartOffs = 1, SelEndNo = 0, SelEndOffs = 1;
  std::vector<std::string> Calls;  // operations the actions ran
  int ListLevelChanges = 0;

  void SetRuns(std::vector<TFakeRun> runs) {
    Runs = std::move(runs);
    Select(0, 1, 0, 1);
  }
  void Select(Integer sn, Integer so, Integer en, Integer eo) {
    SelStartNo = sn, SelStartOffs = so, SelEndNo = en, SelEndOffs = eo;
  }
  std::string Text() const {
    std::string s;
    for (const auto& r : Runs) s += r.Text;
    return s;
  }

  // --- the seam
  TWinControl* EditorControl() override { return this; }
  TVLActionEditor* GetCellEditorParent() override { return CellParent; }
  TVLActionEditor* GetInplaceEditor() override { return Inplace; }
  TVLActionEditor* GetInnermostEditor() override { return Inplace ? Inplace->GetInnermostEditor() : this; }
  TCustomVLData* GetVLData() override { return &Doc; }
  TVLStyle* GetStyle() override { return Style; }
  Integer GetCurTextStyleNo() override { return CurTextStyleNo; }
  Integer GetCurParaStyleNo() override { return Runs.empty() ? 0 : Runs[static_cast<size_t>(SelStartNo)].ParaNo; }
  TVLBiDiMode GetBiDiMode() override { return BiDi; }
  Integer GetLeftMargin() override { return LeftMargin; }
  Integer GetRightMargin() override { return RightMargin; }
  TVLActionStyleConversionEvent GetOnStyleConversion() override { return OnStyleConversion; }
  void SetOnStyleConversion(TVLActionStyleConversionEvent h) override { OnStyleConversion = std::move(h); }
  TVLActionStyleConversionEvent GetOnParaStyleConversion() override { return OnParaStyleConversion; }
  void SetOnParaStyleConversion(TVLActionStyleConversionEvent h) override { OnParaStyleConversion = std::move(h); }

  void ApplyStyleConversion(Integer UserData) override {
    if (Inplace) return Inplace->ApplyStyleConversion(UserData);
    if (!OnStyleConversion || !CanChange()) return;
    BeginChange(2);
    Integer n = CurTextStyleNo;
    OnStyleConversion(this, CurTextStyleNo, UserData, false, n);
    CurTextStyleNo = n;
    if (SelectionExists())
      for (Integer i = FirstSelected(); i <= LastSelected(); ++i) {
        Integer m = Runs[static_cast<size_t>(i)].StyleNo;
        OnStyleConversion(this, m, UserData, true, m);
        Runs[static_cast<size_t>(i)].StyleNo = m;
      }
  }

  void ApplyParaStyleConversion(Integer UserData) override {
    if (Inplace) return Inplace->ApplyParaStyleConversion(UserData);
    if (!OnParaStyleConversion || !CanChange()) return;
    BeginChange(3);
    // The paragraphs the selection touches: from the start's paragraph start
    // to the end's paragraph end.
    Integer first = std::min(SelStartNo, SelEndNo), last = std::max(SelStartNo, SelEndNo);
    while (first > 0 && !Runs[static_cast<size_t>(first)].ParaStart) --first;
    while (last + 1 < static_cast<Integer>(Runs.size()) && !Runs[static_cast<size_t>(last) + 1].ParaStart) ++last;
    Integer converted = -1, from = -1;
    for (Integer i = first; i <= last; ++i) {
      auto& r = Runs[static_cast<size_t>(i)];
      if (r.ParaStart || i == first) {
        from = r.ParaNo;
        converted = r.ParaNo;
        OnParaStyleConversion(this, from, UserData, false, converted);
      }
      r.ParaNo = converted;
    }
  }
  void ChangeListLevels(Integer Delta) override {
    if (!CanChange()) return;
    BeginChange(3);
    ListLevelChanges += Delta;
  }

  // --- undo: snapshots of runs, styles and list levels
  struct TState {
    std::vector<TFakeRun> Runs;
    Integer CurTextStyleNo;
    int ListLevelChanges;
    int Type;
  };
  std::vector<TState> UndoList, RedoList;
  int GroupMode = 0;
  int PendingGroupType = 0;
  void BeginUndoGroup(Integer UndoType) override {
    PendingGroupType = UndoType;
    UndoList.push_back(Snapshot(UndoType));
    RedoList.clear();
  }
  void SetUndoGroupMode(bool On) override { GroupMode += On ? 1 : -1; }
  Integer GetUndoType() override { return UndoList.empty() ? 0 : UndoList.back().Type; }
  Integer GetRedoType() override { return RedoList.empty() ? 0 : RedoList.back().Type; }
  void Undo() override {
    if (UndoList.empty()) return;
    RedoList.push_back(Snapshot(UndoList.back().Type));
    Restore(UndoList.back());
    UndoList.pop_back();
  }
  void Redo() override {
    if (RedoList.empty()) return;
    UndoList.push_back(Snapshot(RedoList.back().Type));
    Restore(RedoList.back());
    RedoList.pop_back();
  }

  // --- selection and clipboard
  bool SelectionExists() override { return SelStartNo != SelEndNo || SelStartOffs != SelEndOffs; }
  void GetSelectionBounds(Integer& sn, Integer& so, Integer& en, Integer& eo) override {
    sn = SelStartNo, so = SelStartOffs, en = SelEndNo, eo = SelEndOffs;
    if (sn > en || (sn == en && so > eo)) std::swap(sn, en), std::swap(so, eo);
  }
  Integer GetItemStartOffset(Integer) override { return 1; }
  Integer GetItemEndOffset(Integer ItemNo) override {
    return static_cast<Integer>(Runs[static_cast<size_t>(ItemNo)].Text.size()) + 1;
  }
  AnsiString GetSelText() override {
    size_t a, b;
    FlatSelection(a, b);
    return Text().substr(a, b - a);
  }
  void SelectAll() override {
    Calls.push_back("SelectAll");
    if (Runs.empty()) return;
    Select(0, 1, static_cast<Integer>(Runs.size()) - 1, GetItemEndOffset(static_cast<Integer>(Runs.size()) - 1));
  }
  void CutToClipboard() override {
    Calls.push_back("Cut");
    if (!CanChange()) return;
    Copy();
    InsertText("", false);
  }
  void Copy() override {
    Calls.push_back("Copy");
    Clipboard().SetAsText(GetSelText());
  }
  bool CanPaste() override { return !Clipboard().Formats().empty(); }
  void Paste() override {
    Calls.push_back("Paste");
    PasteText();
  }
  void PasteVLF() override { Calls.push_back("PasteVLF"); }
  void PasteRTF() override { Calls.push_back("PasteRTF"); }
  void PasteText() override {
    Calls.push_back("PasteText");
    InsertText(Utf8ToAnsi(Clipboard().GetAsText(), 1252), false);
  }
  void PasteUnicodeText() override { Calls.push_back("PasteUnicodeText"); }
  void PasteBitmap(bool TextAsName) override { Calls.push_back(TextAsName ? "PasteBitmapNamed" : "PasteBitmap"); }
  void PasteMetafile(bool) override { Calls.push_back("PasteMetafile"); }

  // --- search and replace over the runs' text (one paragraph)
  bool SearchText(const AnsiString& Text, TVLSearchOptions Options) override {
    const std::string all = Options.Contains(vlseoMatchCase) ? this->Text() : AnsiUpperCase(this->Text());
    const std::string what = Options.Contains(vlseoMatchCase) ? Text : AnsiUpperCase(Text);
    size_t a, b;
    FlatSelection(a, b);
    size_t found;
    if (Options.Contains(vlseoDown))
      found = all.find(what, b);
    else
      found = a >= what.size() ? all.rfind(what, a - what.size()) : std::string::npos;
    if (found == std::string::npos || what.empty()) return false;
    SetFlatSelection(found, found + what.size());
    return true;
  }
  bool InsertText(const AnsiString& Text, bool CaretBefore) override {
    if (!CanChange()) return false;
    BeginChange(2);
    size_t a, b;
    FlatSelection(a, b);
    Integer no;
    size_t offs;
    FlatToItem(a, no, offs);
    // Selections stay inside one run in these tests.
    auto& r = Runs[static_cast<size_t>(no)];
    r.Text.replace(offs, b - a, Text);
    size_t caret = CaretBefore ? a : a + Text.size();
    SetFlatSelection(caret, caret);
    return true;
  }

  TVLActionStyleConversionEvent OnStyleConversion;
  TVLActionStyleConversionEvent OnParaStyleConversion;

private:
  bool CanChange() {
    if (ReadOnly || !Style) MessageBeepCount++;
    return !ReadOnly && Style;
  }
  void BeginChange(int type) {
    if (GroupMode > 0) return;
    UndoList.push_back(Snapshot(type));
    RedoList.clear();
  }
  TState Snapshot(int type) const { return TState{Runs, CurTextStyleNo, ListLevelChanges, type}; }
  void Restore(const TState& s) {
    Runs = s.Runs;
    CurTextStyleNo = s.CurTextStyleNo;
    ListLevelChanges = s.ListLevelChanges;
  }
  Integer FirstSelected() {
    Integer sn, so, en, eo;
    GetSelectionBounds(sn, so, en, eo);
    return so >= GetItemEndOffset(sn) ? sn + 1 : sn;
  }
  Integer LastSelected() {
    Integer sn, so, en, eo;
    GetSelectionBounds(sn, so, en, eo);
    return eo <= 1 ? en - 1 : en;
  }
  size_t ItemToFlat(Integer no, Integer offs) const {
    size_t p = 0;
    for (Integer i = 0; i < no; ++i) p += Runs[static_cast<size_t>(i)].Text.size();
    return p + static_cast<size_t>(offs - 1);
  }
  void FlatToItem(size_t p, Integer& no, size_t& offs) const {
    for (size_t i = 0; i < Runs.size(); ++i) {
      if (p <= Runs[i].Text.size()) {
        no = static_cast<Integer>(i);
        offs = p;
        return;
      }
      p -= Runs[i].Text.size();
    }
    no = static_cast<Integer>(Runs.size()) - 1;
    offs = Runs.back().Text.size();
  }
  void FlatSelection(size_t& a, size_t& b) {
    Integer sn, so, en, eo;
    GetSelectionBounds(sn, so, en, eo);
    a = ItemToFlat(sn, so);
    b = ItemToFlat(en, eo);
  }
  void SetFlatSelection(size_t a, size_t b) {
    Integer sn, en;
    size_t so, eo;
    FlatToItem(a, sn, so);
    FlatToItem(b, en, eo);
    Select(sn, static_cast<Integer>(so) + 1, en, static_cast<Integer>(eo) + 1);
  }

public:
  int MessageBeepCount = 0;
};
