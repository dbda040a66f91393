// The thesaurus dialog on the word at an editor's caret.
#include "SpellEditorSupport.h"

#include <gtest/gtest.h>

namespace {
using spellvltest::TSpellEditor;

std::vector<String> Rows(TListBox* l) {
  std::vector<String> r;
  for (int i = 0; i < l->Items().Count(); ++i) r.push_back(l->Items().Get(i));
  return r;
}

TEST(ThesaurusDialog, ReplacePutsTheChosenWordInPlaceOfTheWordAtTheCaret) {
  TSpellEditor w;
  w.SetText({"I am happy today"});
  w.E.Edit->SetSelectionBounds(0, 8, 0, 8);  // inside "happy"
  String chosen;
  std::vector<String> meanings;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TThesDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    EXPECT_EQ(d->LookupCombo->GetText(), "happy");
    meanings = Rows(d->ContextLV);
    EXPECT_TRUE(d->ContextLV->GetEnabled());
    EXPECT_FALSE(d->ReplaceButton->GetEnabled());
    // The first word other than "happy" of the first meaning that has one.
    for (int m = 0; m < d->ContextLV->Items().Count() && chosen.empty(); ++m) {
      d->ContextLV->SetItemIndex(m);
      d->SelectContext(m);
      const std::vector<String> words = Rows(d->WordList);
      for (size_t i = 0; i < words.size() && chosen.empty(); ++i)
        if (words[i] != "happy") {
          d->WordList->SetItemIndex(static_cast<int>(i));
          d->SelectWord(static_cast<int>(i));
          chosen = words[i];
        }
    }
    EXPECT_EQ(d->ReplaceEdit->GetText(), chosen);
    EXPECT_TRUE(d->ReplaceButton->GetEnabled());
    d->ReplaceButton->Click();
    return static_cast<int>(mrOk);
  });
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
  EXPECT_GE(meanings.size(), 2u);
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(w.E.Text(), "I am " + chosen + " today");
  EXPECT_EQ(w.UndoStepsTo("I am happy today"), 1);
}

TEST(ThesaurusDialog, LookUpPreviousAndUnknownWords) {
  TSpellEditor w;
  w.SetText({"happy"});
  struct Step {
    std::function<void(TThesDialog*)> act;
    String top;          // the newest word of the history
    int history;         // words in the history
    bool found;          // meanings listed
    bool previousEnabled;
  };
  const std::vector<Step> steps = {
      {[](TThesDialog*) {}, "happy", 1, true, false},
      {[](TThesDialog* d) {
         d->ReplaceEdit->SetText("glad");
         d->LookupButton->Click();
       },
       "glad", 2, true, true},
      {[](TThesDialog* d) {
         d->ReplaceEdit->SetText("qqzzxq");
         d->LookupButton->Click();
       },
       "qqzzxq", 3, false, true},
      {[](TThesDialog* d) {
         d->ReplaceEdit->SetText("glad");  // again: one entry only
         d->LookupButton->Click();
       },
       "glad", 3, true, true},
      {[](TThesDialog* d) { d->PreviousButton->Click(); }, "qqzzxq", 2, false, true},
      {[](TThesDialog* d) { d->PreviousButton->Click(); }, "happy", 1, true, false},
      {[](TThesDialog* d) { d->PreviousButton->Click(); }, "happy", 1, true, false},
  };
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TThesDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    for (size_t i = 0; i < steps.size(); ++i) {
      SCOPED_TRACE(i);
      steps[i].act(d);
      EXPECT_EQ(d->LookupCombo->Items().Get(0), steps[i].top);
      EXPECT_EQ(d->LookupCombo->Items().Count(), steps[i].history);
      EXPECT_EQ(d->ContextLV->GetEnabled(), steps[i].found);
      if (!steps[i].found) {
        EXPECT_EQ(Rows(d->ContextLV), std::vector<String>{"(not found)"});
        EXPECT_TRUE(Rows(d->WordList).empty());
      }
      EXPECT_EQ(d->PreviousButton->GetEnabled(), steps[i].previousEnabled);
    }
    d->CloseButton->Click();
    return static_cast<int>(mrCancel);
  });
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(w.E.Text(), "happy");  // closed without a replacement
}

}  // namespace
