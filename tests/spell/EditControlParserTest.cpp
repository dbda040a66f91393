#include "spell/scSpellBase.h"
#include "spell/scThesaurusBase.h"
#include "spell/scWinAPIParser.h"

#include "platform/gui/EditGeometry.h"
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

// The check replaces words on their lines. Letters the engine's code page
// lacks are letters of their words: such a word is passed over whole, and
// the words around it keep their places.
TEST(EditControlParser, CheckReplacesWordsOnTheirLinesAndPassesOverWordsBeyondTheCodePage) {
  const struct {
    const char* Text;
    int WordCount;  // -1: not counted
    std::vector<const char*> Replacements;  // the last one for every later prompt
    std::vector<std::string> Prompts;
    const char* After;
  } cases[] = {
      {"teh cat\r\nsat on teh mat", 6, {"the"}, {"teh", "teh"}, "the cat\r\nsat on the mat"},
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA cafe\r\nb\xC4\x99" "d\xC4\x99 \xC5\xAB" "kis teh Gy\xC5\x91r", -1,
       {"caf\xE9", "the"}, {"cafe", "teh"},
       "\xC5\x81\xC3\xB3" "d\xC5\xBA caf\xC3\xA9\r\nb\xC4\x99" "d\xC4\x99 \xC5\xAB" "kis the Gy\xC5\x91r"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    qytest::TempDir tmp;
    auto e = spelltest::MakeEngine(tmp.str());
    e->SynchronousCheck = false;
    TForm form(nullptr);
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    memo->SetText(c.Text);
    if (c.WordCount >= 0) {
      EXPECT_EQ(e->WordCountWinControl(memo, ctWholeText), c.WordCount);
    }
    e->CheckWinControl(memo, ctWholeText);
    std::vector<std::string> prompts;
    for (int guard = 0; e->CheckRunning() && guard < 20; ++guard) {
      prompts.push_back(e->CurrentWord());
      e->Change(c.Replacements[std::min(prompts.size(), c.Replacements.size()) - 1]);
    }
    EXPECT_EQ(prompts, c.Prompts);
    EXPECT_EQ(memo->GetText(), c.After);
  }
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

TEST(EditControlParser, SelectedWordRectangleAndCentring) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  memo->SetBounds(0, 0, 300, 120);
  memo->SetWordWrap(false);
  String text;
  for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + " of words\r\n";
  memo->SetText(text);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(0, 130, 300, 24);
  edit->SetText("a happy day");
  form.Show();
  Application->ProcessMessages();

  // Words selected through the parser: each rectangle lies in the control,
  // further right for a later column, lower for a later visible line.
  struct Case {
    TWinControl* control;
    int x, y, length;
  } cases[] = {{memo, 0, 0, 4}, {memo, 8, 0, 2}, {memo, 0, 1, 4}, {edit, 2, 0, 5}, {edit, 8, 0, 3}};
  TRect previous(0, 0, 0, 0);
  TWinControl* previousControl = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    TWinAPIControlParser p;
    p.Initialize(c.control);
    EXPECT_EQ(p.Kind(), c.control == memo ? TWinAPIControlParser::ekMemo : TWinAPIControlParser::ekOneLine);
    p.SetPosition(c.x + c.length, c.y, ppCurrent);
    p.SelectWord(c.length);
    TRect word, whole;
    p.GetSelectionScreenRect(word);
    p.GetControlScreenRect(whole);
    EXPECT_GT(word.Right, word.Left);
    EXPECT_GT(word.Bottom, word.Top);
    EXPECT_GE(word.Left, whole.Left);
    EXPECT_LE(word.Right, whole.Right);
    EXPECT_GE(word.Top, whole.Top);
    EXPECT_LE(word.Bottom, whole.Bottom);
    if (previousControl == c.control) {
      if (c.y == 0 && c.x > 0) {
        EXPECT_GT(word.Left, previous.Left);
      }
      if (c.y > 0) {
        EXPECT_GT(word.Top, previous.Top);
      }
    }
    previous = word;
    previousControl = c.control;
  }

  // A word far down the memo comes to the middle of its view, selected.
  TWinAPIControlParser p;
  p.Initialize(memo);
  ASSERT_EQ(EditFirstVisibleLine(memo), 0);
  p.SetPosition(4, 40, ppCurrent);
  p.SelectWord(4);
  p.CenterSelection();
  Application->ProcessMessages();
  const int first = EditFirstVisibleLine(memo), shown = EditVisibleLineCount(memo);
  EXPECT_GT(first, 0);
  EXPECT_LE(first, 40);
  EXPECT_LT(40, first + shown);
  EXPECT_LE(std::abs(40 - (first + shown / 2)), 1);
  EXPECT_EQ(memo->GetSelText(), "line");
}
