// Commands given while a table cell holds the caret, or while cells are
// selected, in the journal window as its user gives them: the date and
// time stamps by menu, keys, tool bar and the cell's right-click menu go
// into the cell, before the caret's line, as one undo step; the tool bar's
// font and style boxes change what is selected in the cell; Copy and Cut of
// selected cells offer a table in every clipboard form (a merged cell
// reaching into the block whole), Cut empties the cells, and the copy
// pastes back as a table.
#include "TableWindowSupport.h"
#include "WindowSeamSupport.h"

#include "actions/HypVLFrm.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Menus.h"
#include "richtext/model/VLClipFormats.h"
#include "richtext/view/VLCopy.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using qytest::DocumentText;

struct TCellWindow : qytest::TMouseOn<qytest::TDiaryWindow> {
  // An entry of "after" with a 2 × 2 table before it (and "intro" before
  // that unless the table comes first); tables nested in its first cell to
  // `depth`; the innermost one's cells hold in1..in4, the caret after in4.
  bool Tables(int depth, bool first) {
    if (!first && !(Type("intro") && Key(Qt::Key_Return))) return false;
    if (!Type("after") || !Key(Qt::Key_Home) || !InsertTable(2, 2)) return false;
    for (int level = 2; level <= depth; ++level)
      if (!Type(level == 2 ? "outer" : "mid") || !InsertTable(2, 2)) return false;
    return Type("in1") && Key(Qt::Key_Tab) && Type("in2") && Key(Qt::Key_Tab) && Type("in3") &&
           Key(Qt::Key_Tab) && Type("in4");
  }
  std::vector<TVLTableInplaceEdit*> Cells() const { return qytest::CellEditorChain(Edit()); }
  // The editor whose document holds the innermost table.
  TCustomVellumEdit* Holder(int depth) const {
    if (depth == 1) return Edit();
    const auto chain = Cells();
    return chain.size() + 2 > static_cast<size_t>(depth) ? chain[static_cast<size_t>(depth - 2)] : nullptr;
  }
  TVLTableItemInfo* InnerTable(int depth) const {
    TCustomVellumEdit* h = Holder(depth);
    return h ? qytest::FirstTableIn(h) : nullptr;
  }
  // A point at the end of the entry's last paragraph, on the screen.
  QPoint EndOfEntry() const {
    TVLEditVLData& d = *Edit()->EditData();
    const TVLDrawLineInfo* li = d.DrawItems[d.DrawItems.Count() - 1];
    return ClientWidgetOf(Edit())->mapToGlobal(
        QPoint(li->Left + li->Width + 20 - d.GetHOffset(), li->Top + li->Height / 2 - d.GetVOffset()));
  }
  bool SelectAllCells(int depth) {
    TCustomVellumEdit* h = Holder(depth);
    TVLTableItemInfo* t = InnerTable(depth);
    if (!t) return false;
    return DragBetween(qytest::CellPointOnScreen(h, t, 0, 0, 2), qytest::CellPointOnScreen(h, t, 1, 1));
  }
  // No message came up meanwhile (an error shown ends the program).
  TInteractionScript Boxes;
};

String StyleName(TCustomVellumEdit* e, Integer itemNo) {
  TCustomVLItemInfo* item = e->GetItem(itemNo);
  return e->GetStyle()->TextStyles->Items(item->StyleNo)->StyleName;
}

String ParaName(TCustomVellumEdit* e, Integer itemNo) {
  return e->GetStyle()->ParaStyles->Items(e->GetItem(itemNo)->ParaNo)->StyleName;
}

// ---------------------------------------------------------------------------
// Stamps

enum class TRoute { Menu, Keys, ToolBar, RightClick };

struct TStampCase {
  const char* name;
  TRoute route;
  const char* action;
  Qt::Key key;
  int depth;
  bool first;
  // The caret on a second line of the cell rather than its first.
  bool secondLine;
};

bool GiveStamp(TCellWindow& w, const TStampCase& k) {
  switch (k.route) {
    case TRoute::Menu: return w.Menu(k.action);
    case TRoute::Keys: return w.Key(k.key, Qt::ControlModifier | Qt::ShiftModifier);
    case TRoute::ToolBar: {
      TToolBar* bar = w.Main->tbFormat;
      for (int i = 0; i < bar->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(bar->Controls(i));
            b && b->GetAction() && b->GetAction()->GetName() == k.action) {
          b->GetAction()->Update();
          b->Click();
          return w.Settle();
        }
      return false;
    }
    case TRoute::RightClick: {
      // The caret's cell right-clicked where the caret is, the item chosen
      // from the menu that comes up.
      TInteractionScript script;
      bool chosen = false;
      script.Do([&](TInteraction& r) {
        if (r.Kind != TInteractionKind::PopupMenu || !r.Menu) return 0;
        for (int i = 0; i < r.Menu->Items()->Count(); ++i)
          if (TMenuItem* item = r.Menu->Items()->Items(i);
              item->GetAction() && item->GetAction()->GetName() == k.action && item->GetEnabled()) {
            item->Click();
            chosen = true;
          }
        return 0;
      });
      TCustomVellumEdit* cell = w.Innermost();
      TPoint caret;
      if (!cell->EditData()->GetCaretClientPoint(caret)) return false;
      QTest::mouseClick(ClientWidgetOf(cell), Qt::RightButton, Qt::NoModifier, QPoint(caret.X + 1, caret.Y + 4));
      return w.Settle() && chosen;
    }
  }
  return false;
}

void StampInCell(const TStampCase& k) {
  TCellWindow w;
  ASSERT_TRUE(w.Tables(k.depth, k.first));
  if (k.secondLine) {
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("line two"));
    ASSERT_TRUE(w.Key(Qt::Key_Left));
    ASSERT_TRUE(w.Key(Qt::Key_Left));
  }
  ASSERT_EQ(w.Cells().size(), static_cast<size_t>(k.depth));
  TCustomVellumEdit* cell = w.Innermost();
  const std::string entryBefore = w.Shown();
  w.J->Document->Modified = false;
  const int kind = k.key == Qt::Key_D ? 1 : k.key == Qt::Key_T ? 2 : 3;
  const std::string early = DateTimeStampText(kind, Now());
  ASSERT_TRUE(GiveStamp(w, k));
  // The minute may turn meanwhile.
  const std::string late = DateTimeStampText(kind, Now());
  ASSERT_TRUE(w.Boxes.Shown.empty()) << w.Boxes.Shown[0].Text;
  ASSERT_EQ(w.Cells().size(), static_cast<size_t>(k.depth)) << "the cell stays open";
  ASSERT_EQ(w.Innermost(), cell);
  const std::string stamp = DocumentText(*cell->VLData()).find(late) != std::string::npos ? late : early;
  const std::string expected = k.secondLine ? "in4||" + stamp + "|line two" : stamp + "|in4";
  EXPECT_EQ(DocumentText(*cell->VLData()), expected);
  EXPECT_TRUE(w.J->Document->Modified);
  const Integer stampItem = k.secondLine ? 2 : 0;
  ASSERT_GT(cell->ItemCount(), stampItem + 1);
  EXPECT_EQ(StyleName(cell, stampItem), "Date and Time Stamp Font Style");
  EXPECT_EQ(ParaName(cell, stampItem), "Date and Time Stamp Paragraph Style");
  EXPECT_EQ(StyleName(cell, stampItem + 1), "Quillory Text");
  // The next letter where the caret was, in the cell's style.
  ASSERT_TRUE(w.Type("Q"));
  const std::string typed = k.secondLine ? "in4||" + stamp + "|line tQwo" : stamp + "|in4Q";
  EXPECT_EQ(DocumentText(*cell->VLData()), typed);
  for (Integer i = stampItem + 1; i < cell->ItemCount(); ++i) EXPECT_EQ(StyleName(cell, i), "Quillory Text");
  ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_EQ(DocumentText(*w.Innermost()->VLData()), expected);
  ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_EQ(w.Shown(), entryBefore) << "the stamp is one undo step";
  EXPECT_TRUE(w.Boxes.Shown.empty());
}

// The stamp in a cell: a paragraph of its own before the caret's line in
// that cell, in the two stamp styles; the caret back where it was, so the
// next letter goes there in the cell's own style; the entry marked changed
// and the program going on; one Undo takes it back.
TEST(TableCellCommands, AStampInACellGoesBeforeTheCaretsLineThere) {
  const TStampCase cases[] = {
      {"menu, date, first item, depth 1", TRoute::Menu, "ActionDateStamp", Qt::Key_D, 1, true, false},
      {"menu, time, not first, depth 3", TRoute::Menu, "ActionTimeStamp", Qt::Key_T, 3, false, false},
      {"keys, date and time, first item, depth 3", TRoute::Keys, "ActionDateTimeStamp", Qt::Key_B, 3, true, true},
      {"keys, date, not first, depth 1", TRoute::Keys, "ActionDateStamp", Qt::Key_D, 1, false, true},
      {"tool bar, time, first item, depth 1", TRoute::ToolBar, "ActionTimeStamp", Qt::Key_T, 1, true, true},
      {"tool bar, date and time, not first, depth 3", TRoute::ToolBar, "ActionDateTimeStamp", Qt::Key_B, 3, false,
       false},
      {"right-click, date, first item, depth 3", TRoute::RightClick, "ActionDateStamp", Qt::Key_D, 3, true, false},
      {"right-click, time, not first, depth 1", TRoute::RightClick, "ActionTimeStamp", Qt::Key_T, 1, false, true},
  };
  for (const TStampCase& k : cases) {
    SCOPED_TRACE(k.name);
    StampInCell(k);
  }
}

// In body text the stamp is a paragraph of its own before the caret's
// line, whether the caret is on the first line or a later one, with a word
// selected or not, by the menu or the right-click menu.
TEST(TableCellCommands, AStampInBodyTextIsAParagraphBeforeTheCaretsLine) {
  struct TCase {
    const char* name;
    TRoute route;
    bool firstLine;
    bool selectWord;
    // The caret in a bold word that ends the second line: the stamp goes
    // before that word's item, in a paragraph of its own.
    bool boldWord;
  };
  const TCase cases[] = {
      {"right-click, second line", TRoute::RightClick, false, false, false},
      {"right-click, first line, word selected", TRoute::RightClick, true, true, false},
      {"menu, second line, word selected", TRoute::Menu, false, true, false},
      {"keys, first line", TRoute::Keys, true, false, false},
      {"right-click, bold word", TRoute::RightClick, false, false, true},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.name);
    TCellWindow w;
    ASSERT_TRUE(w.Type("one two") && w.Key(Qt::Key_Return) && w.Type("three "));
    if (k.boldWord) {
      ASSERT_TRUE(w.Key(Qt::Key_B, Qt::ControlModifier) && w.Type("four") && w.Key(Qt::Key_Left));
    } else {
      ASSERT_TRUE(w.Type("four"));
    }
    if (k.firstLine) {
      ASSERT_TRUE(w.Key(Qt::Key_Up));
    }
    if (!k.boldWord) {
      ASSERT_TRUE(w.Key(Qt::Key_Left, Qt::ControlModifier));
    }
    if (k.selectWord) {
      ASSERT_TRUE(w.Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier));
    }
    const std::string early = DateTimeStampText(1, Now());
    ASSERT_TRUE(GiveStamp(w, {"", k.route, "ActionDateStamp", Qt::Key_D, 0, false, false}));
    const std::string late = DateTimeStampText(1, Now());
    ASSERT_TRUE(w.Boxes.Shown.empty()) << w.Boxes.Shown[0].Text;
    TCustomVellumEdit* e = w.Edit();
    const std::string shown = w.Shown();
    const std::string stamp = shown.find(late) != std::string::npos ? late : early;
    const Integer stampItem = k.firstLine ? 0 : 2;
    EXPECT_EQ(shown, k.firstLine  ? stamp + "|one two|three four"
                     : k.boldWord ? "one two|three |" + stamp + "|four"
                                  : "one two||" + stamp + "|three four");
    ASSERT_GT(e->ItemCount(), stampItem + 1) << shown;
    EXPECT_EQ(e->GetItemTextUtf8(stampItem), stamp) << shown;
    EXPECT_EQ(e->GetItemTextUtf8(stampItem + 1), k.firstLine ? "one two" : k.boldWord ? "four" : "three four");
    EXPECT_EQ(StyleName(e, stampItem), "Date and Time Stamp Font Style");
    EXPECT_EQ(ParaName(e, stampItem), "Date and Time Stamp Paragraph Style");
    EXPECT_TRUE(e->VLData()->IsParaStart(stampItem)) << shown;
    EXPECT_TRUE(e->VLData()->IsParaStart(stampItem + 1)) << "the stamp is a paragraph of its own: " << shown;
    EXPECT_NE(StyleName(e, stampItem + 1), "Date and Time Stamp Font Style");
  }
}

// Cells selected, so the caret's item is the table itself: the stamp is a
// paragraph of its own before the table, in the stamp styles, with no
// message and one undo step; the table keeps its cells.
TEST(TableCellCommands, AStampWithCellsSelectedGoesBeforeTheTable) {
  struct TCase {
    const char* name;
    bool first;
    bool byDrag;
    TStampCase stamp;
  };
  const TCase cases[] = {
      {"Select Table, menu, first item", true, false, {"", TRoute::Menu, "ActionTimeStamp", Qt::Key_T, 1, true, false}},
      {"drag, keys, first item", true, true, {"", TRoute::Keys, "ActionDateStamp", Qt::Key_D, 1, true, false}},
      {"Select Table, keys, not first", false, false,
       {"", TRoute::Keys, "ActionDateTimeStamp", Qt::Key_B, 1, false, false}},
      {"drag, menu, not first", false, true, {"", TRoute::Menu, "ActionDateStamp", Qt::Key_D, 1, false, false}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.name);
    TCellWindow w;
    ASSERT_TRUE(w.Tables(1, k.first));
    ASSERT_TRUE(k.byDrag ? w.SelectAllCells(1) : w.Menu("vlActionTableSelectTable"));
    ASSERT_TRUE(w.InnerTable(1)->CellsSelected());
    const std::string entryBefore = w.Shown();
    const int kind = k.stamp.key == Qt::Key_D ? 1 : k.stamp.key == Qt::Key_T ? 2 : 3;
    const std::string early = DateTimeStampText(kind, Now());
    ASSERT_TRUE(GiveStamp(w, k.stamp));
    const std::string late = DateTimeStampText(kind, Now());
    ASSERT_TRUE(w.Boxes.Shown.empty()) << w.Boxes.Shown[0].Text;
    TCustomVellumEdit* e = w.Edit();
    const Integer tableItem = k.first ? 1 : 2;
    ASSERT_GT(e->ItemCount(), tableItem);
    ASSERT_NE(dynamic_cast<TVLTableItemInfo*>(e->GetItem(tableItem)), nullptr) << w.Shown();
    const std::string stampText = e->GetItemTextUtf8(tableItem - 1);
    EXPECT_TRUE(stampText == early || stampText == late) << w.Shown();
    EXPECT_EQ(StyleName(e, tableItem - 1), "Date and Time Stamp Font Style");
    EXPECT_EQ(ParaName(e, tableItem - 1), "Date and Time Stamp Paragraph Style");
    EXPECT_TRUE(e->VLData()->IsParaStart(tableItem - 1)) << "the stamp is a paragraph of its own: " << w.Shown();
    EXPECT_NE(w.Shown().find("[in1/in2/in3/in4]"), std::string::npos) << w.Shown();
    if (!k.first) {
      EXPECT_EQ(e->GetItemTextUtf8(0), "intro");
    }
    ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(w.Shown(), entryBefore) << "the stamp is one undo step";
    EXPECT_TRUE(w.Boxes.Shown.empty());
  }
}

// The tool bar's font and style boxes with text selected in a cell: the
// selected text takes the chosen size, font and text style, the paragraph
// the chosen paragraph style, and the rest of the cell keeps its own.
TEST(TableCellCommands, TheFontAndStyleBoxesChangeTheSelectionInACell) {
  for (const int depth : {1, 3}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    TCellWindow w;
    ASSERT_TRUE(w.Tables(depth, false));
    ASSERT_TRUE(w.Type(" end"));
    ASSERT_TRUE(w.Key(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier));
    TCustomVellumEdit* cell = w.Innermost();
    TformQuilloryMain* m = w.Main;
    TFontInfos& styles = *cell->GetStyle()->TextStyles;
    m->tbFontSize->SetText("20");
    m->tbFontSizeApply();
    ASSERT_EQ(w.Innermost(), cell);
    ASSERT_GE(cell->ItemCount(), 2);
    const Integer last = cell->ItemCount() - 1;
    EXPECT_EQ(styles.Items(cell->GetItem(last)->StyleNo)->Size, 20);
    EXPECT_EQ(styles.Items(cell->GetItem(0)->StyleNo)->Size, 12) << "the rest keeps its size";
    m->tbFontName->SetItemIndex(-1);
    for (int i = 0; i < m->tbFontName->Items().Count(); ++i)
      if (m->tbFontName->Items()[i] == "Liberation Serif") m->tbFontName->SetItemIndex(i);
    ASSERT_GE(m->tbFontName->GetItemIndex(), 0);
    m->tbFontNameClick(nullptr);
    EXPECT_EQ(styles.Items(cell->GetItem(cell->ItemCount() - 1)->StyleNo)->FontName, "Liberation Serif");
    const auto choose = [](TComboBox* box, const char* name) {
      for (int i = 0; i < box->Items().Count(); ++i)
        if (box->Items()[i] == name) box->SetItemIndex(i);
      return box->GetItemIndex() >= 0 && box->Items()[box->GetItemIndex()] == name;
    };
    ASSERT_TRUE(choose(m->cbTextStyles, "Heading"));
    m->cbTextStylesClick(nullptr);
    EXPECT_EQ(StyleName(cell, cell->ItemCount() - 1), "Heading");
    EXPECT_EQ(StyleName(cell, 0), "Quillory Text");
    ASSERT_TRUE(choose(m->cbParagraphStyles, "Centered"));
    m->cbParagraphStylesClick(nullptr);
    EXPECT_EQ(ParaName(cell, 0), "Centered");
    EXPECT_NE(w.Shown().find("in4 end"), std::string::npos) << w.Shown();
    EXPECT_TRUE(w.Boxes.Shown.empty());
  }
}

// A word double-clicked in a cell keeps Copy and Cut enabled after its
// font changes, by the menu or the tool bar's boxes, as the tool bar and
// the menu show them once the window is idle; Edit > Copy copies the word.
TEST(TableCellCommands, CopyAndCutStayEnabledAfterAFontChangeInACell) {
  struct TCase {
    const char* name;
    int depth;
    std::function<bool(TCellWindow&)> change;
  };
  // The boxes as the mouse uses them: the box takes the keyboard first.
  const auto size = [](TCellWindow& w) {
    w.Main->tbFontSize->SetFocus();
    if (!w.Settle()) return false;
    if (Application->ActionsInvalid()) Application->Idle();
    w.Main->tbFontSize->SetText("20");
    w.Main->tbFontSizeApply();
    return w.Settle();
  };
  const auto font = [](TCellWindow& w) {
    TComboBox* box = w.Main->tbFontName;
    box->SetFocus();
    if (!w.Settle()) return false;
    if (Application->ActionsInvalid()) Application->Idle();
    box->SetItemIndex(-1);
    for (int i = 0; i < box->Items().Count(); ++i)
      if (box->Items()[i] == "Liberation Serif") box->SetItemIndex(i);
    if (box->GetItemIndex() < 0) return false;
    w.Main->tbFontNameClick(nullptr);
    return w.Settle();
  };
  const TCase cases[] = {
      {"Shrink One Point, depth 1", 1, [](TCellWindow& w) { return w.Menu("vlActionFontShrinkOnePoint"); }},
      {"Grow, depth 3", 3, [](TCellWindow& w) { return w.Menu("vlActionFontGrow"); }},
      {"font size box, depth 1", 1, size},
      {"font name box, depth 3", 3, font},
  };
  // The double click puts the pointer on the screen; the next test's drags
  // expect it where it was.
  struct TPointerBack {
    QPoint At = QCursor::pos();
    ~TPointerBack() { QCursor::setPos(At); }
  } pointerBack;
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.name);
    TCellWindow w;
    ASSERT_TRUE(w.Tables(k.depth, false));
    TCustomVellumEdit* holder = w.Holder(k.depth);
    TVLTableItemInfo* t = w.InnerTable(k.depth);
    ASSERT_NE(t, nullptr);
    // The event loop's idle pass: the actions follow what changed since.
    const auto idle = [&w] {
      if (Application->ActionsInvalid()) Application->Idle();
      return w.Settle();
    };
    ASSERT_TRUE(idle());
    qytest::WindowMouse(w.Window(), qytest::TWindowMouseAct::DoubleClick, qytest::CellPointOnScreen(holder, t, 0, 0, 6));
    ASSERT_TRUE(idle());
    TCustomVellumEdit* cell = w.Innermost();
    ASSERT_EQ(WideToUtf8(cell->GetSelTextW()), "in1");
    ASSERT_TRUE(k.change(w));
    ASSERT_TRUE(idle());
    ASSERT_EQ(w.Innermost(), cell) << "the cell stays edited";
    ASSERT_EQ(WideToUtf8(cell->GetSelTextW()), "in1") << "the word stays selected";
    for (const char* name : {"vlActionCopy", "vlActionCut"}) {
      auto* a = dynamic_cast<TCustomAction*>(w.Main->FindComponent(name));
      ASSERT_NE(a, nullptr) << name;
      EXPECT_TRUE(a->GetEnabled()) << name << " once idle";
    }
    Clipboard().SetAsText("held before");
    ASSERT_TRUE(w.Menu("vlActionCopy"));
    EXPECT_EQ(Clipboard().GetAsText(), "in1");
    EXPECT_TRUE(w.Boxes.Shown.empty());
  }
}

// ---------------------------------------------------------------------------
// Copy and Cut of selected cells

// A VLF clipboard block read over the entry's styles and options.
bool ReadBlock(const AnsiString& block, TCustomVellumEdit* e, TVLDocumentData& doc) {
  AnsiString vlf;
  if (!VLReadVLFBlock(block, vlf)) return false;
  doc.Options = e->VLData()->GetOptions();
  doc.VLFTextStylesReadMode = vlf_sIgnore;
  doc.VLFParaStylesReadMode = vlf_sIgnore;
  TMemoryStream stream;
  stream.WriteBuffer(vlf.data(), static_cast<Int64>(vlf.size()));
  stream.SetPosition(0);
  TColor color = clNone;
  return doc.LoadVLFFromStream(stream, color, nullptr, nullptr, nullptr);
}

// The text of the clipboard's VLF block, as the window shows it.
std::string TextOfBlock(TCustomVellumEdit* e) {
  TVLDocumentData doc(e->GetStyle());
  if (!ReadBlock(Clipboard().GetData(RegisterClipboardFormat(VLFClipboardFormatName)), e, doc)) return "unreadable";
  return DocumentText(doc);
}

// The table the clipboard's VLF block holds: its cells' text as the
// window shows a table.
std::string TableOfBlock(TCustomVellumEdit* e) {
  TVLDocumentData doc(e->GetStyle());
  if (!ReadBlock(Clipboard().GetData(RegisterClipboardFormat(VLFClipboardFormatName)), e, doc)) return "unreadable";
  if (doc.GetItemCount() != 1 || !dynamic_cast<TVLTableItemInfo*>(doc.GetItem(0)))
    return "not a lone table: " + DocumentText(doc);
  return DocumentText(doc);
}

struct TClipCase {
  const char* name;
  int depth;
  std::function<bool(TCellWindow&, int depth)> select;
  std::function<bool(TCellWindow&)> command;
  bool cut;
};

bool ByDrag(TCellWindow& w, int depth) { return w.SelectAllCells(depth); }
bool BySelectTable(TCellWindow& w, int) { return w.Menu("vlActionTableSelectTable"); }

void CopyOrCutCells(const TClipCase& k) {
  const std::string table = "[in1/in2/in3/in4]";
  TCellWindow w;
  ASSERT_TRUE(w.Tables(k.depth, false));
  TVLTableItemInfo* t = w.InnerTable(k.depth);
  ASSERT_NE(t, nullptr);
  ASSERT_TRUE(k.select(w, k.depth));
  ASSERT_TRUE(t->CellsSelected() && t->IsCellSelected(0, 0) && t->IsCellSelected(1, 1)) << "all four cells";
  Clipboard().SetAsText("held before");
  const std::string entryBefore = w.Shown();
  ASSERT_TRUE(k.command(w));
  EXPECT_TRUE(w.Boxes.Shown.empty());
  EXPECT_EQ(TableOfBlock(w.Edit()), table);
  const std::string rtf = Clipboard().GetData(RegisterClipboardFormat(RTFClipboardFormatName));
  EXPECT_NE(rtf.find("\\cell"), std::string::npos) << rtf;
  for (const char* text : {"in1", "in2", "in3", "in4"}) EXPECT_NE(rtf.find(text), std::string::npos) << text;
  EXPECT_EQ(Clipboard().GetAsText(), "in1\tin2\r\nin3\tin4\r\n");
  EXPECT_EQ(Clipboard().GetAsUnicodeText(), u"in1\tin2\r\nin3\tin4\r\n");
  // The web page holds them as a table, a cell each.
  const std::string page = Clipboard().GetData(ClipboardFormatHTML());
  std::string cells;
  for (size_t at = page.find("<TD"); at != std::string::npos; at = page.find("<TD", at + 1)) {
    const size_t word = page.find("in", page.find('>', at));
    cells += "[" + page.substr(word, 3) + "]";
  }
  EXPECT_EQ(cells, "[in1][in2][in3][in4]") << page;
  // Nothing else is offered, and nothing offered is empty.
  const Word vlfFormat = RegisterClipboardFormat(VLFClipboardFormatName);
  const Word rtfFormat = RegisterClipboardFormat(RTFClipboardFormatName);
  for (const Word f : Clipboard().Formats()) {
    SCOPED_TRACE(ClipboardFormatName(f));
    EXPECT_TRUE(f == CF_TEXT || f == CF_UNICODETEXT || f == vlfFormat || f == rtfFormat || f == ClipboardFormatHTML());
    EXPECT_FALSE(Clipboard().GetData(f).empty());
  }
  // A cut empties the cells and keeps them; a copy leaves them as they were.
  EXPECT_NE(w.Shown().find(k.cut ? "[///]" : table), std::string::npos) << w.Shown();
  if (k.cut) {
    // One undo step brings the cells back.
    ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(w.Shown(), entryBefore);
    ASSERT_TRUE(w.Key(Qt::Key_Y, Qt::ControlModifier));
    EXPECT_EQ(w.Shown().find("in1"), std::string::npos) << w.Shown();
  }
  // Pasted at the end of the entry, the cells come back as a table.
  ASSERT_TRUE(w.ClickAt(w.EndOfEntry()));
  ASSERT_TRUE(w.Cells().empty());
  ASSERT_TRUE(w.Key(Qt::Key_V, Qt::ControlModifier));
  const std::string shown = w.Shown();
  EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), table.size())), table) << shown;
  EXPECT_TRUE(w.Boxes.Shown.empty());
}

// Selected cells copied or cut: the clipboard holds them as a table in our
// own format, as RTF, as a web page and as text (a tab between cells, a line per row); a
// cut empties the cells as one undo step; the copy pastes back as a table.
TEST(TableCellCommands, SelectedCellsCopyAndCutAsATable) {
  const auto copyKeys = [](TCellWindow& w) { return w.Key(Qt::Key_C, Qt::ControlModifier); };
  const auto copyMenu = [](TCellWindow& w) { return w.Menu("vlActionCopy"); };
  const auto cutKeys = [](TCellWindow& w) { return w.Key(Qt::Key_X, Qt::ControlModifier); };
  const auto cutMenu = [](TCellWindow& w) { return w.Menu("vlActionCut"); };
  const TClipCase cases[] = {
      {"drag, Ctrl+C, depth 1", 1, ByDrag, copyKeys, false},
      {"Select Table, Edit > Copy, depth 3", 3, BySelectTable, copyMenu, false},
      {"drag, Edit > Copy, depth 3", 3, ByDrag, copyMenu, false},
      {"Select Table, Ctrl+X, depth 1", 1, BySelectTable, cutKeys, true},
      {"drag, Edit > Cut, depth 1", 1, ByDrag, cutMenu, true},
      {"drag, Ctrl+X, depth 3", 3, ByDrag, cutKeys, true},
  };
  for (const TClipCase& k : cases) {
    SCOPED_TRACE(k.name);
    CopyOrCutCells(k);
  }
}

// A merged cell that reaches into a block of cells from above or from the
// left, its own corner outside the block: the block takes it whole (a Cut
// empties it), so every clipboard form holds its words too, in the part of
// it that lies in the block; the cut pastes back whole.
TEST(TableCellCommands, AMergedCellReachingIntoSelectedCellsCopiesWhole) {
  struct TCase {
    const char* name;
    // The two cells merged (row, column each), and the block dragged over.
    Integer mergeFrom[2], mergeTo[2], dragFrom[2], dragTo[2];
    const char* copied;
    bool cut;
  };
  // ant bee cat / dog elk fox / gnu hen ibis
  const TCase cases[] = {
      {"from above, Ctrl+C", {0, 0}, {1, 0}, {2, 0}, {1, 2}, "[ant|dog/elk/fox/gnu/hen/ibis]", false},
      {"from above, Ctrl+X", {0, 0}, {1, 0}, {2, 0}, {1, 2}, "[ant|dog/elk/fox/gnu/hen/ibis]", true},
      {"from the left, Ctrl+C", {1, 0}, {1, 1}, {0, 1}, {2, 2}, "[bee/cat/dog|elk/fox/hen/ibis]", false},
      {"from the left, Ctrl+X", {1, 0}, {1, 1}, {2, 2}, {0, 1}, "[bee/cat/dog|elk/fox/hen/ibis]", true},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.name);
    TCellWindow w;
    ASSERT_TRUE(w.Type("after") && w.Key(Qt::Key_Home) && w.InsertTable(3, 3));
    bool typed = true;
    for (const char* word : {"ant", "bee", "cat", "dog", "elk", "fox", "gnu", "hen", "ibis"})
      typed = typed && (std::string(word) == "ant" || w.Key(Qt::Key_Tab)) && w.Type(word);
    ASSERT_TRUE(typed);
    TVLTableItemInfo* t = qytest::FirstTableIn(w.Edit());
    ASSERT_NE(t, nullptr);
    auto at = [&](const Integer (&cell)[2]) { return qytest::CellPointOnScreen(w.Edit(), t, cell[0], cell[1], 2); };
    ASSERT_TRUE(w.DragBetween(at(k.mergeFrom), at(k.mergeTo)));
    ASSERT_TRUE(w.Menu("vlActionTableMergeCells"));
    ASSERT_TRUE(w.ClickAt(w.EndOfEntry()));
    ASSERT_TRUE(w.DragBetween(at(k.dragFrom), at(k.dragTo)));
    ASSERT_TRUE(t->CellsSelected() && t->IsCellSelected(k.mergeFrom[0], k.mergeFrom[1])) << w.Shown();
    Clipboard().SetAsText("held before");
    ASSERT_TRUE(w.Key(k.cut ? Qt::Key_X : Qt::Key_C, Qt::ControlModifier));
    EXPECT_EQ(TableOfBlock(w.Edit()), k.copied);
    std::vector<std::string> words;
    std::string word;
    for (const char c : std::string(k.copied) + "/")
      if (c == '[' || c == ']' || c == '/' || c == '|') {
        if (!word.empty()) words.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    const std::string text = Clipboard().GetAsText();
    const std::string rtf = Clipboard().GetData(RegisterClipboardFormat(RTFClipboardFormatName));
    for (const std::string& each : words) {
      EXPECT_NE(text.find(each), std::string::npos) << each << " in the text " << text;
      EXPECT_NE(rtf.find(each), std::string::npos) << each << " in the RTF " << rtf;
    }
    if (!k.cut) continue;
    // The words cut are gone from the entry, and come back with the paste.
    for (const std::string& each : words) EXPECT_EQ(w.Shown().find(each), std::string::npos) << w.Shown();
    ASSERT_TRUE(w.ClickAt(w.EndOfEntry()));
    ASSERT_TRUE(w.Key(Qt::Key_V, Qt::ControlModifier));
    const std::string shown = w.Shown();
    EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), std::strlen(k.copied))), k.copied) << shown;
    EXPECT_TRUE(w.Boxes.Shown.empty());
  }
}

// ---------------------------------------------------------------------------
// Copy and Cut of text holding a link

// Insert > Hyperlink where the caret is, its text and address given.
bool InsertLink(TCellWindow& w, const char* text, const char* target) {
  TInteractionScript script;
  script.Do([=](TInteraction& r) {
    auto* f = dynamic_cast<TfrmVLHyp*>(r.Form);
    if (!f) return static_cast<int>(mrCancel);
    f->txtText->SetText(text);
    f->txtTarget->SetText(target);
    f->UpdateOkButton();
    return static_cast<int>(mrOk);
  });
  return w.Menu("vlActionInsertHyperlink") && script.Pending() == 0;
}

// Text around a link, all of it selected, copied or cut: every clipboard
// form holds the whole of it, not just what comes before the link; a cut
// pastes back as it was.
TEST(TableCellCommands, TextHoldingALinkCopiesWhole) {
  struct TCase {
    const char* name;
    std::function<bool(TCellWindow&)> command;
    bool cut;
  };
  const TCase cases[] = {
      {"Ctrl+C", [](TCellWindow& w) { return w.Key(Qt::Key_C, Qt::ControlModifier); }, false},
      {"Edit > Copy", [](TCellWindow& w) { return w.Menu("vlActionCopy"); }, false},
      {"Ctrl+X", [](TCellWindow& w) { return w.Key(Qt::Key_X, Qt::ControlModifier); }, true},
      {"Edit > Cut", [](TCellWindow& w) { return w.Menu("vlActionCut"); }, true},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.name);
    TCellWindow w;
    ASSERT_TRUE(w.Type("one "));
    ASSERT_TRUE(InsertLink(w, "a link", "https://example.org/"));
    ASSERT_TRUE(w.Type(" two"));
    const std::string entry = w.Shown();
    ASSERT_EQ(entry, "one a link two");
    ASSERT_TRUE(w.Key(Qt::Key_A, Qt::ControlModifier));
    Clipboard().SetAsText("held before");
    ASSERT_TRUE(k.command(w));
    EXPECT_EQ(TextOfBlock(w.Edit()), entry);
    EXPECT_EQ(Clipboard().GetAsText(), entry);
    EXPECT_EQ(Clipboard().GetAsUnicodeText(), u"one a link two");
    const std::string rtf = Clipboard().GetData(RegisterClipboardFormat(RTFClipboardFormatName));
    for (const char* text : {"one ", "a link", " two"})
      EXPECT_NE(rtf.find(text), std::string::npos) << text << " in " << rtf;
    if (k.cut) {
      EXPECT_EQ(w.Shown(), "");
      ASSERT_TRUE(w.Key(Qt::Key_V, Qt::ControlModifier));
      EXPECT_EQ(w.Shown(), entry);
    }
    EXPECT_TRUE(w.Boxes.Shown.empty());
  }
}

}  // namespace
