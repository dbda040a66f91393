// The thesaurus dialog on the word at an editor's caret.
#include "SpellEditorSupport.h"

#include "platform/gui/ControlsPrivate.h"
#include "richtext/table/VLCellEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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

// Replace With typed to show nothing (spaces, a mark alone, a format
// character) offers neither Replace nor Look Up: the word would go unseen,
// or a message would quote nothing.
TEST(ThesaurusDialog, NothingVisibleIsNoReplacement) {
  TSpellEditor w;
  w.SetText({"I am happy today"});
  w.E.Edit->SetSelectionBounds(0, 8, 0, 8);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TThesDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    for (const char* typed : {"  ", "\xC2\xA0", "\xCC\x80", "\xE2\x81\xA0\xEF\xBF\xB9"}) {
      SCOPED_TRACE(testing::PrintToString(std::string(typed)));
      d->ReplaceEdit->SetText("");
      spellvltest::TypeText(WidgetOf(d->ReplaceEdit), typed);
      EXPECT_EQ(d->ReplaceEdit->GetText(), typed);
      EXPECT_FALSE(d->ReplaceButton->GetEnabled());
      EXPECT_FALSE(d->LookupButton->GetEnabled());
      spellvltest::TypeText(WidgetOf(d->ReplaceEdit), "glad");
      EXPECT_TRUE(d->ReplaceButton->GetEnabled());
    }
    return static_cast<int>(mrCancel);
  });
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
  EXPECT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(w.E.Text(), "I am happy today");
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

// Shift+F7 on a word: the word's own senses come first, each meaning is
// named by words of its own, and no meaning offers only words another
// already offers.
TEST(ThesaurusDialog, TheWordsOwnSensesComeFirstAndNoMeaningRepeatsAnother) {
  struct Case {
    const char* text;
    const char* word;
    std::vector<String> ownWords;  // the first meaning offers one of them
    std::vector<String> notFirst;  // words the first meaning is not named by
  } cases[] = {
      {"so sad today", "sad", {"unhappy", "sorrowful", "melancholy", "tragic", "deplorable"}, {"hard", "pretty", "bad"}},
      // Words of its senses; "better" and "best" are forms of the word.
      {"a good day", "good", {"great", "full", "estimable", "beneficial", "nice", "just"}, {"mean", "complete"}},
      {"caf\xC3\xA9 and happy", "happy", {"glad", "content", "felicitous", "golden"}, {"cheerful", "joyful"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TSpellEditor w;
    w.SetText({c.text});
    const std::string text = c.text, word = c.word;
    const Integer at = static_cast<Integer>(text.find(word)) + 2;
    w.E.Edit->SetSelectionBounds(0, at, 0, at);
    std::vector<String> captions;
    std::vector<std::set<String>> offered;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = dynamic_cast<TThesDialog*>(r.Form);
      if (!d) return static_cast<int>(mrCancel);
      captions = Rows(d->ContextLV);
      for (int m = 0; m < static_cast<int>(captions.size()); ++m) {
        d->ContextLV->SetItemIndex(m);
        d->SelectContext(m);
        const std::vector<String> words = Rows(d->WordList);
        offered.emplace_back(words.begin(), words.end());
      }
      return static_cast<int>(mrCancel);
    });
    w.Thesaurus->LookupVellumEdit(w.E.Edit);
    ASSERT_GE(captions.size(), 2u);
    bool own = false;
    for (const String& x : c.ownWords) own = own || offered[0].count(x) > 0;
    EXPECT_TRUE(own) << captions[0];
    for (const String& x : c.notFirst) EXPECT_NE(captions[0].rfind(x, 0), 0u) << captions[0];
    std::set<String> unique(captions.begin(), captions.end());
    EXPECT_EQ(unique.size(), captions.size());
    for (size_t i = 0; i < offered.size(); ++i) {
      std::set<String> mine = offered[i];
      mine.erase(word);
      for (size_t j = 0; j < offered.size(); ++j) {
        if (i == j) continue;
        EXPECT_FALSE(std::includes(offered[j].begin(), offered[j].end(), mine.begin(), mine.end()))
            << "\"" << captions[i] << "\" lies within \"" << captions[j] << "\"";
      }
    }
  }
}

// Shift+F7 at the end of a paragraph (of a cell's too, and of the entry)
// looks up the word before the caret, not the next paragraph's first word;
// in or at the start of a word, that word.
TEST(ThesaurusDialog, AtAParagraphsEndTheWordBeforeTheCaretIsLookedUp) {
  struct Case {
    const char* name;
    std::vector<std::string> paragraphs;
    Integer item, offset;  // the caret: in the entry, or in the cell below
    bool inCell;           // the table's cell (0, 0), whose text is "so glad|Tomorrow"
    const char* looked;
  } cases[] = {
      {"a paragraph's end", {"I am happy", "Tomorrow is fine"}, 0, 11, false, "happy"},
      {"after a full stop and spaces", {"I am happy.  ", "Tomorrow is fine"}, 0, 14, false, "happy"},
      {"the entry's end", {"Tomorrow is fine", "I am happy"}, 1, 11, false, "happy"},
      {"a cell paragraph's end", {}, 0, 8, true, "glad"},
      {"inside a word", {"I am happy", "Tomorrow is fine"}, 0, 8, false, "happy"},
      {"before a word", {"I am happy", "Tomorrow is fine"}, 0, 6, false, "happy"},
      {"between words", {"I am happy", "Tomorrow is fine"}, 1, 9, false, "is"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSpellEditor w;
    TCustomVellumEdit* at = w.E.Edit;
    if (c.inCell) {
      TVLEditVLData& d = w.E.D();
      d.Clear();
      d.AddTextItem(spellvltest::U("before"), 0, 0);
      auto t = TVLTableItemInfo::CreateEx(1, 2, &d);
      t->GetCell(0, 0)->Clear();
      t->GetCell(0, 0)->AddTextItem(spellvltest::U("so glad"), 0, 0);
      t->GetCell(0, 0)->AddTextItem(spellvltest::U("Tomorrow"), 0, 0);
      t->GetCell(0, 1)->Clear();
      t->GetCell(0, 1)->AddTextItem(spellvltest::U("Sunny"), 0, 0);
      TVLTableItemInfo* table = t.get();
      d.AddItem("", t.release());
      d.AddTextItem(spellvltest::U("after"), 0, 0);
      w.Format();
      table->EditCell(0, 0);
      at = table->GetInplaceEditor();
      ASSERT_NE(at, nullptr);
    } else {
      w.SetText(c.paragraphs);
    }
    at->SetSelectionBounds(c.item, c.offset, c.item, c.offset);
    String looked;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      if (auto* d = dynamic_cast<TThesDialog*>(r.Form)) looked = d->LookupCombo->GetText();
      return static_cast<int>(mrCancel);
    });
    w.Thesaurus->LookupVellumEdit(w.E.Edit);
    EXPECT_EQ(looked, c.looked);
  }
}

}  // namespace
