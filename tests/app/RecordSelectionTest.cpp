// The record selection dialog: the rows each choice selects, its order, and
// the choices it refuses before any query is written.
#include "FindReportSupport.h"

#include "platform/base/DateTime.h"

#include <gtest/gtest.h>

using namespace qytest;

namespace {

class RecordSelectionTest : public ::testing::Test {
protected:
  RecordSelectionTest() {
    A = W.Journal("Alpha");
    B = W.Journal("Beta");
    C = W.Journal("Closed", 0, false);
    T = W.Journal("Topics", 1);
    const String text = TFindReportWorld::EntryVLF({"x"});
    W.Store({{A, EncodeDate(2004, 3, 1), text},
             {A, EncodeDate(2004, 3, 15), text},
             {A, EncodeDate(2005, 1, 10), text},
             {B, EncodeDate(2004, 3, 15), text},
             {B, EncodeDate(2004, 7, 4), text},
             {C, EncodeDate(2004, 3, 2), text},
             {T, TopicEntryDate, text}});
    D = W.Selection.get();
    D->TargetQuery = &Q;
    BindToDatabase(Q);
    D->InitSelection();
  }

  // The rows of the built query: "journal yyyy-mm-dd" (topic: "journal topic").
  std::vector<String> Rows() {
    std::vector<String> out;
    Q.Open();
    for (; !Q.Eof(); Q.Next()) {
      const double d = Q.FieldByName("JournalDate").AsDateTime();
      out.push_back(Q.FieldByName("JournalName").AsString() + " " +
                    (d == TopicEntryDate ? String("topic") : FormatDateTime("yyyy-mm-dd", d)));
    }
    Q.Close();
    return out;
  }

  void SelectOnly(std::initializer_list<const char*> names) {
    for (int i = 0; i < D->lbJournals->Items().Count(); ++i) {
      bool on = false;
      for (const char* n : names) on = on || D->lbJournals->Items()[i] == n;
      D->lbJournals->SetSelected(i, on);
    }
  }

  TFindReportWorld W;
  TDlgRecordSelection* D = nullptr;
  TQuery Q;
  Integer A = 0, B = 0, C = 0, T = 0;
};

TEST_F(RecordSelectionTest, EachChoiceSelectsItsRowsInItsOrder) {
  struct TCase {
    const char* Name;
    std::function<void(TDlgRecordSelection&)> Choose;
    std::vector<String> Expected;
    String LastDescription;
  };
  const std::vector<TCase> cases = {
      {"defaults: every entry of every active journal, ascending, topic entries included",
       [](TDlgRecordSelection&) {},
       {"Alpha 2004-03-01", "Alpha 2004-03-15", "Beta 2004-03-15", "Beta 2004-07-04", "Alpha 2005-01-10",
        "Topics topic"},
       "All Dates"},
      {"backward",
       [](TDlgRecordSelection& d) { d.rbBackwardTravers->SetChecked(true); },
       {"Topics topic", "Alpha 2005-01-10", "Beta 2004-07-04", "Alpha 2004-03-15", "Beta 2004-03-15",
        "Alpha 2004-03-01"},
       "All Dates"},
      {"date range includes both ends",
       [](TDlgRecordSelection& d) {
         d.rbRange->SetChecked(true);
         d.dpFromDate->SetDate(EncodeDate(2004, 3, 1));
         d.dpToDate->SetDate(EncodeDate(2004, 7, 4));
       },
       {"Alpha 2004-03-01", "Alpha 2004-03-15", "Beta 2004-03-15", "Beta 2004-07-04"},
       "From:3/1/2004 To:7/4/2004"},
      {"year",
       [](TDlgRecordSelection& d) {
         d.rbYear->SetChecked(true);
         d.cbYear->SetText("2005");
       },
       {"Alpha 2005-01-10"},
       "For Year:2005"},
      {"month",
       [](TDlgRecordSelection& d) {
         d.rbMonth->SetChecked(true);
         d.cbMonth->SetText("March, 2004");
       },
       {"Alpha 2004-03-01", "Alpha 2004-03-15", "Beta 2004-03-15"},
       "For Month:March/ 2004"},
      {"day",
       [](TDlgRecordSelection& d) {
         d.rbDay->SetChecked(true);
         d.dpDate->SetDate(EncodeDate(2004, 3, 15));
       },
       {"Alpha 2004-03-15", "Beta 2004-03-15"},
       "For Day:3/15/2004"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    D->rbForwardTraverse->SetChecked(true);
    D->rbAll->SetChecked(true);
    c.Choose(*D);
    ASSERT_TRUE(D->BuildSelectionQuery(true));
    EXPECT_EQ(D->SelectionResult, 1);
    EXPECT_EQ(Rows(), c.Expected);
    const TStringList& desc = *D->SelectionDescription;
    EXPECT_EQ(desc[0], "  JOURNALS SELECTED");
    EXPECT_EQ(desc[desc.Count() - 1], c.LastDescription);
  }
}

TEST_F(RecordSelectionTest, AJournalSubsetAndTheOtherJournalLists) {
  SelectOnly({"Beta"});
  ASSERT_TRUE(D->BuildSelectionQuery(true));
  EXPECT_EQ(Rows(), (std::vector<String>{"Beta 2004-03-15", "Beta 2004-07-04"}));
  // Without "only selected" every listed journal takes part.
  ASSERT_TRUE(D->BuildSelectionQuery(false));
  EXPECT_EQ(Rows().size(), 6u);

  struct TCase {
    TRadioButton* Button;
    std::vector<String> Listed;
  };
  for (const TCase& c : {TCase{D->rbInactive, {"Closed"}}, TCase{D->rbAllJournals, {"Alpha", "Beta", "Closed", "Topics"}},
                         TCase{D->rbActive, {"Alpha", "Beta", "Topics"}}}) {
    c.Button->SetChecked(true);
    std::vector<String> listed;
    for (int i = 0; i < D->lbJournals->Items().Count(); ++i) {
      listed.push_back(D->lbJournals->Items()[i]);
      EXPECT_TRUE(D->lbJournals->GetSelected(i));
    }
    EXPECT_EQ(listed, c.Listed);
  }
}

TEST_F(RecordSelectionTest, YearAndMonthListsLeaveTopicEntriesOut) {
  std::vector<String> years, months;
  for (int i = 0; i < D->cbYear->Items().Count(); ++i) years.push_back(D->cbYear->Items()[i]);
  for (int i = 0; i < D->cbMonth->Items().Count(); ++i) months.push_back(D->cbMonth->Items()[i]);
  EXPECT_EQ(years, (std::vector<String>{"2004", "2005"}));
  EXPECT_EQ(months, (std::vector<String>{"March, 2004", "July, 2004", "January, 2005"}));
}

TEST_F(RecordSelectionTest, InvalidChoicesAreRefusedInTheDialog) {
  struct TCase {
    const char* Name;
    std::function<void(TDlgRecordSelection&)> Choose;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"no journal", [this](TDlgRecordSelection&) { SelectOnly({}); }, "No journal selected"},
      {"a year that is no number",
       [](TDlgRecordSelection& d) {
         d.rbYear->SetChecked(true);
         d.cbYear->SetText("20x4");
       },
       "is not a year"},
      {"a month that is none",
       [](TDlgRecordSelection& d) {
         d.rbMonth->SetChecked(true);
         d.cbMonth->SetText("Smarch, 2004");
       },
       "Unknown month"},
      {"a month without its year",
       [](TDlgRecordSelection& d) {
         d.rbMonth->SetChecked(true);
         d.cbMonth->SetText("March");
       },
       "Unknown month"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SelectOnly({"Alpha", "Beta", "Topics"});
    D->rbAll->SetChecked(true);
    ASSERT_TRUE(D->BuildSelectionQuery(true));
    const String before = Q.SQL.Text();
    c.Choose(*D);
    EXPECT_FALSE(D->BuildSelectionQuery(true));
    EXPECT_EQ(Q.SQL.Text(), before);
    // Ok shows why and keeps the dialog open.
    TInteractionScript script;
    script.Answer(IDOK);
    D->ModalResult = mrNone;
    D->pbOk->Click();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_NE(script.Shown[0].Text.find(c.Message), String::npos) << script.Shown[0].Text;
    EXPECT_EQ(D->ModalResult, mrNone);
  }
}

TEST_F(RecordSelectionTest, CancelKeepsThePreviousQuery) {
  ASSERT_TRUE(D->BuildSelectionQuery(true));
  const String before = Q.SQL.Text();
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* d = static_cast<TDlgRecordSelection*>(r.Form);
    d->rbYear->SetChecked(true);
    d->pbCancel->Click();
    return static_cast<int>(mrCancel);
  });
  EXPECT_NE(D->ShowModal(), mrOk);
  EXPECT_EQ(D->SelectionResult, 2);
  EXPECT_EQ(Q.SQL.Text(), before);
  D->rbAll->SetChecked(true);
}

}  // namespace
