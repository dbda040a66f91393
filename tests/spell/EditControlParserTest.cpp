#include "spell/scSpellBase.h"
#include "spell/scThesaurusBase.h"
#include "spell/scWinAPIParser.h"

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "SpellTestSupport.h"

#include <gtest/gtest.h>

TEST(EditControlParser, LinesEndInCrLfAndMovesCrossThem) {
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetText("ab\r\ncd");
  TWinAPIControlParser p;
  p.Initialize(memo);
  std::string seen;
  do seen += p.GetChar() ? p.GetChar() : '0';
  while (p.MoveNext());
  EXPECT_EQ(seen, "ab\r\ncd\r\n");
  // Back from the start of line 1 to the LF of line 0; not before line 0.
  p.SetPosition(0, 1, ppCurrent);
  EXPECT_EQ(p.GetChar(), 'c');
  EXPECT_TRUE(p.MovePrevious());
  EXPECT_EQ(p.GetChar(), '\n');
  p.SetPosition(0, 0, ppCurrent);
  EXPECT_FALSE(p.MovePrevious());
  EXPECT_EQ(p.GetControl(), memo);
  TRect r;
  p.GetControlScreenRect(r);
  EXPECT_NE(r.Left, -1);
}

TEST(EditControlParser, CheckReplacesWordsOnTheirLines) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SynchronousCheck = false;
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetText("teh cat\r\nsat on teh mat");
  EXPECT_EQ(e->WordCountWinControl(memo, ctWholeText), 6);
  e->CheckWinControl(memo, ctWholeText);
  std::vector<std::string> prompts;
  while (e->CheckRunning()) {
    prompts.push_back(e->CurrentWord());
    e->Change("the");
  }
  EXPECT_EQ(prompts, (std::vector<std::string>{"teh", "teh"}));
  EXPECT_EQ(memo->GetText(), "the cat\r\nsat on the mat");
}

TEST(EditControlParser, ThesaurusLooksUpTheWordAtTheCaret) {
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetText("a happy day");
  edit->SetSelStart(4);  // inside "happy"
  TThesaurusBase th(nullptr);
  th.SetFilename(spelltest::Thesaurus());
  AnsiString seen;
  th.OnPromptLookup = [&](TObject*, const AnsiString& w, auto&) {
    seen = w;
    th.ChooseReplacement("glad");
  };
  th.LookupControl(edit);
  EXPECT_EQ(seen, "happy");
  EXPECT_EQ(edit->GetText(), "a glad day");
}
