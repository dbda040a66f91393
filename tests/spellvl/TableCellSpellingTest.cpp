// Corrections of misspellings inside table cells, nested ones too: made
// through the cell's own editor, one undo step of the document each.
#include "SpellEditorSupport.h"

#include "richtext/table/VLCellEditor.h"

#include <QApplication>
#include <functional>
#include <gtest/gtest.h>

namespace {
using spellvltest::TSpellEditor;
using spellvltest::U;

// Paragraphs joined by "|"; a table as [a,b;c,d] with each cell's current
// document (its editor's while one is open).
std::string Dump(TCustomVLData* doc) {
  std::string s;
  for (Integer i = 0; i < doc->GetItemCount(); ++i) {
    TCustomVLItemInfo* item = doc->GetItem(i);
    if (i > 0 && item->IsParaStart()) s += "|";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      s += "[";
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c) {
          if (c > 0) s += ",";
          else if (r > 0) s += ";";
          if (TVLTableCellData* cell = t->GetCell(r, c)) s += Dump(cell->GetVLData());
        }
      s += "]";
    } else if (item->StyleNo < 0) {
      s += "#";
    } else {
      s += WideToUtf8(RawUnicodeToWideString(doc->GetItemTextA(i)));
    }
  }
  return s;
}

// A table whose cells hold the texts given row by row.
std::unique_ptr<TVLTableItemInfo> Table(TCustomVLData* owner, Integer rows, Integer cols,
                                        const std::vector<std::string>& texts) {
  auto t = TVLTableItemInfo::CreateEx(rows, cols, owner);
  for (Integer r = 0; r < rows; ++r)
    for (Integer c = 0; c < cols; ++c) {
      TVLTableCellData* cell = t->GetCell(r, c);
      cell->Clear();
      cell->AddTextItem(U(texts[static_cast<size_t>(r * cols + c)].c_str()), 0, 0);
    }
  return t;
}

// Body text, a 2 x 2 table, body text.
void TwoByTwo(TSpellEditor& w, const std::string& before, const std::vector<std::string>& cells,
              const std::string& after) {
  TVLEditVLData& d = w.E.D();
  d.Clear();
  d.AddTextItem(U(before.c_str()), 0, 0);
  d.AddItem("", Table(&d, 2, 2, cells).release());
  d.AddTextItem(U(after.c_str()), 0, 0);
  w.Format();
}

// The same with a 1 x 2 table inside the second cell of the first row.
void Nested(TSpellEditor& w, const std::vector<std::string>& inner) {
  TVLEditVLData& d = w.E.D();
  d.Clear();
  d.AddTextItem(U("start"), 0, 0);
  auto outer = Table(&d, 2, 2, {"one", "two", "three", "four"});
  TVLTableCellData* holder = outer->GetCell(0, 1);
  holder->AddItem("", Table(holder, 1, 2, inner).release());
  d.AddItem("", outer.release());
  d.AddTextItem(U("end"), 0, 0);
  w.Format();
}

TButton* Change(TSpellDialog* d) { return d->ChangeButton; }
TButton* ChangeAll(TSpellDialog* d) { return d->ChangeAllButton; }
TButton* AutoCorrect(TSpellDialog* d) { return d->AutoCorrectButton; }

struct TStep {
  std::string shown;
  TButton* (*button)(TSpellDialog*);
  std::string replaceWith = "";
};

// Runs a whole check through the dialog; each prompt's word must be the
// selected text of the innermost open editor, as the user sees it.
void RunCheck(TSpellEditor& w, const std::vector<TStep>& steps) {
  TInteractionScript script;
  script.Answer(IDOK);  // "The spelling check is complete."
  w.Check();
  for (const TStep& s : steps) {
    ASSERT_TRUE(w.Spell->CheckRunning()) << "ended before " << s.shown;
    TSpellDialog* d = w.Dialog();
    EXPECT_EQ(d->NotFoundEdit->GetText(), s.shown);
    EXPECT_EQ(w.E.Edit->GetInnermostEditor()->GetSelText(), s.shown);
    if (!s.replaceWith.empty()) d->ReplaceWithEdit->SetText(s.replaceWith);
    TButton* b = s.button(d);
    ASSERT_TRUE(b->GetEnabled()) << b->GetName() << " for " << s.shown;
    b->Click();
  }
  for (int guard = 0; w.Spell->CheckRunning() && guard < 10; ++guard) {
    ADD_FAILURE() << "unexpected prompt " << w.Dialog()->NotFoundEdit->GetText();
    w.Dialog()->CancelButton->Click();
  }
}

// Undo steps of the editor that bring the document back; -1 when it never
// comes back. Cell records replay through posted messages, which may post
// the next one: each step runs until none is left.
int UndoStepsTo(TSpellEditor& w, const std::string& text, int most = 12) {
  for (int n = 1; n <= most; ++n) {
    w.E.Edit->Undo();
    for (int i = 0; i < 4; ++i) QApplication::processEvents();
    if (Dump(&w.E.D()) == text) return n;
  }
  return -1;
}

// A table nested Depth deep, each cell taller than the window, the
// misspelling at the end of the innermost one.
void DeepTable(TSpellEditor& w, int Depth) {
  TVLEditVLData& d = w.E.D();
  d.Clear();
  d.AddTextItem(U("start"), 0, 0);
  std::function<std::unique_ptr<TVLTableItemInfo>(TCustomVLData*, int)> make = [&](TCustomVLData* owner, int level) {
    auto t = TVLTableItemInfo::CreateEx(1, 1, owner);
    TVLTableCellData* cell = t->GetCell(0, 0);
    cell->Clear();
    for (int i = 0; i < 20; ++i) cell->AddTextItem(U("fine words"), 0, 0);
    if (level < Depth)
      cell->AddItem("", make(cell, level + 1).release());
    else
      cell->AddTextItem(U("caf\xC3\xA9 mispeled word"), 0, 0);
    return t;
  };
  d.AddItem("", make(&d, 1).release());
  d.AddTextItem(U("end"), 0, 0);
  w.Format();
}

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Right <= outer.Right && inner.Top >= outer.Top &&
         inner.Bottom <= outer.Bottom;
}

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TEST(TableCellSpelling, ThePromptedWordIsInViewAtAnyNestingDepth) {
  for (int depth : {1, 2, 3}) {
    SCOPED_TRACE(depth);
    TSpellEditor w;
    DeepTable(w, depth);
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    ASSERT_EQ(d->NotFoundEdit->GetText(), "mispeled");
    QApplication::processEvents();
    TCustomVellumEdit* cell = w.E.Edit->GetInnermostEditor();
    ASSERT_NE(cell, w.E.Edit);
    EXPECT_EQ(cell->GetSelText(), "mispeled");
    const TRect word = cell->GetSelectionRect();
    const TPoint origin = w.E.Edit->ClientToScreen(TPoint(0, 0));
    const TRect window(origin.X, origin.Y, origin.X + w.E.Edit->ClientWidth(),
                       origin.Y + w.E.Edit->ClientHeight());
    EXPECT_GT(word.Height(), 0);
    EXPECT_TRUE(Inside(word, window)) << "word " << word.Left << "," << word.Top << " - " << word.Right << ","
                                      << word.Bottom << " window " << window.Top << " - " << window.Bottom;
    const TRect dialog(d->GetLeft(), d->GetTop(), d->GetLeft() + d->GetWidth(), d->GetTop() + d->GetHeight());
    EXPECT_FALSE(Overlap(word, dialog));
    d->CancelButton->Click();
  }
}

TEST(TableCellSpelling, CorrectionsInCellsAreOneUndoStepEach) {
  struct Case {
    const char* name;
    std::function<void(TSpellEditor&)> build;
    std::vector<TStep> steps;
    std::string result;
    int undoSteps;
  } cases[] = {
      {"Change in a cell of a 2 x 2 table",
       [](TSpellEditor& w) { TwoByTwo(w, "fine", {"good", "a teh cat", "more", "words"}, "done"); },
       {{"teh", Change}},
       "fine|[good,a the cat;more,words]|done",
       1},
      // Change All corrects the later occurrences by itself, in the body
      // and in two cells, each its own step.
      {"Change All across body text and two cells",
       [](TSpellEditor& w) { TwoByTwo(w, "we recieve", {"recieve it", "good", "fine", "to recieve"}, "recieve all"); },
       {{"recieve", ChangeAll, "receive"}},
       "we receive|[receive it,good;fine,to receive]|receive all",
       4},
      {"two changes in one cell",
       [](TSpellEditor& w) { TwoByTwo(w, "fine", {"teh quik fox", "good", "more", "words"}, "done"); },
       {{"teh", Change}, {"quik", Change, "quick"}},
       "fine|[the quick fox,good;more,words]|done",
       2},
      {"Change in a table nested in a cell",
       [](TSpellEditor& w) { Nested(w, {"fine", "a wrods list"}); },
       {{"wrods", Change, "words"}},
       "start|[one,two|[fine,a words list];three,four]|end",
       1},
      // The learnt correction then applies by itself in the later cell.
      {"Auto-Correct in a cell",
       [](TSpellEditor& w) { TwoByTwo(w, "fine", {"good", "recieve", "more", "recieve"}, "done"); },
       {{"recieve", AutoCorrect, "receive"}},
       "fine|[good,receive;more,receive]|done",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSpellEditor w;
    c.build(w);
    const std::string before = Dump(&w.E.D());
    RunCheck(w, c.steps);
    EXPECT_FALSE(w.Spell->CheckRunning());
    EXPECT_EQ(Dump(&w.E.D()), c.result);
    EXPECT_TRUE(w.E.Edit->Modified);
    EXPECT_EQ(UndoStepsTo(w, before), c.undoSteps);
  }
}

TEST(TableCellSpelling, PromptSelectsTheWordInsideTheCellsEditor) {
  TSpellEditor w;
  TwoByTwo(w, "fine", {"good", "more", "words", "a teh end"}, "done");
  TVLTableItemInfo* t = dynamic_cast<TVLTableItemInfo*>(w.E.D().GetItem(1));
  ASSERT_NE(t, nullptr);
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  TVLTableInplaceEdit* cell = t->GetInplaceEditor();
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->Row, 1);
  EXPECT_EQ(cell->Col, 1);
  EXPECT_EQ(cell->GetSelText(), "teh");
  Integer si, so, ei, eo;
  cell->EditData()->GetSelectionBounds(si, so, ei, eo, true);
  EXPECT_EQ(so, 3);  // after "a ", offsets counted from 1
  EXPECT_EQ(eo, 6);
  // The dialog is placed by the word's rectangle in the cell.
  TRect r;
  w.Spell->CurrentParser()->GetSelectionScreenRect(r);
  EXPECT_EQ(r, cell->GetSelectionRect());
  EXPECT_TRUE(w.Dialog()->ChangeButton->GetEnabled());
  w.Dialog()->ChangeButton->Click();
  EXPECT_FALSE(w.Spell->CheckRunning());
  EXPECT_EQ(Dump(&w.E.D()), "fine|[good,more;words,a the end]|done");
}

TEST(TableCellSpelling, WordAfterTheTableIsChangedInTheBodyNotInTheCell) {
  // A cell editor opened for an ignored word must not take the next change.
  TSpellEditor w;
  TwoByTwo(w, "fine", {"good", "wrods", "more", "fine"}, "teh end");
  RunCheck(w, {{"wrods", [](TSpellDialog* d) { return d->IgnoreButton; }}, {"teh", Change}});
  EXPECT_EQ(Dump(&w.E.D()), "fine|[good,wrods;more,fine]|the end");
}

// The check stops in a cell; the user clicks on the last line of the entry,
// then on the dialog: the check goes on from the click, and the words it
// passed over (the rest of the table, the lines after it) are asked about
// before the check says it is complete.
TEST(TableCellSpelling, AClickFurtherOnLeavesNoWordBetweenUnasked) {
  TSpellEditor w;
  TVLEditVLData& d = w.E.D();
  d.Clear();
  d.AddTextItem(U("fine"), 0, 0);
  d.AddItem("", Table(&d, 2, 2, {"good", "a onewrng word", "teh more", "words"}).release());
  d.AddTextItem(U("qqxqq here"), 0, 0);
  d.AddTextItem(U("zzyzx there"), 0, 0);
  d.AddTextItem(U("last wrods line"), 0, 0);
  w.Format();
  TInteractionScript script;
  script.Answer(IDOK);  // "The spelling check is complete."
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  TSpellDialog* dialog = w.Dialog();
  ASSERT_EQ(dialog->NotFoundEdit->GetText(), "onewrng");
  // The click on the last line leaves the cell; the dialog loses and then
  // takes up the activation.
  dialog->OnDeactivate(dialog);
  w.E.Edit->DestroyInplaceEditor();
  const Integer last = d.GetItemCount() - 1;
  w.E.Edit->SetSelectionBounds(last, 1, last, 1);
  dialog->OnActivate(dialog);
  std::vector<std::string> shown;
  for (int n = 0; w.Spell->CheckRunning() && n < 10; ++n) {
    shown.push_back(w.Dialog()->NotFoundEdit->GetText());
    EXPECT_EQ(w.E.Edit->GetInnermostEditor()->GetSelText(), shown.back());
    w.Dialog()->IgnoreButton->Click();
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"wrods", "onewrng", "teh", "qqxqq", "zzyzx"}));
  EXPECT_FALSE(w.Spell->CheckRunning());
  ASSERT_EQ(script.Shown.size(), 1u);
}

TEST(TableCellSpelling, ReadOnlyEntryLeavesCellsAlone) {
  TSpellEditor w;
  TwoByTwo(w, "fine", {"good", "teh", "more", "fine"}, "done");
  w.E.Edit->SetReadOnly(true);
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "teh");
  EXPECT_FALSE(w.Dialog()->ChangeButton->GetEnabled());
  w.Spell->Change("the");  // arrives anyway: changes nothing
  EXPECT_FALSE(w.Spell->CheckRunning());
  EXPECT_EQ(Dump(&w.E.D()), "fine|[good,teh;more,fine]|done");
  EXPECT_FALSE(w.E.Edit->Modified);
}

}  // namespace
