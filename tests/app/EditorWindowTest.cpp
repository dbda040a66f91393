// A journal's editor window and the main window's commands on it: date and
// time stamps, the font and style boxes, the tree and calendar toggles, the
// spelling commands and the tool-bar layout kept across starts.
#include "MainWindowJournalSupport.h"

#include "app/QYAutoSave.h"
#include "app/QYToolBarLayout.h"
#include "platform/base/DateTime.h"

#include <gtest/gtest.h>

namespace {

using qytest::TMainJournalWorld;

class EditorWindowTest : public testing::Test {
protected:
  // An entry of two paragraphs, the caret in the middle of one of them.
  TOpenJournal* TwoLines(Integer caretItem) {
    TOpenJournal* j = World.OpenWindow("Diary", 0);
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    e->InsertText("first line\r\nsecond line");
    e->SetCaret(caretItem, 4);
    return j;
  }
  Integer ItemWithText(TVellumEdit* e, const String& text) {
    for (Integer i = 0; i < e->ItemCount(); ++i)
      if (e->GetItemTextUtf8(i) == text) return i;
    return -1;
  }
  TMainJournalWorld World;
};

TEST_F(EditorWindowTest, AStampStandsInItsOwnParagraphBeforeTheCaretsLine) {
  const struct {
    const char* Name;
    Integer CaretItem;
    const char* Before;  // the paragraph the stamp follows ("" for none)
    const char* After;   // the paragraph that follows the stamp
  } cases[] = {
      {"caret in the first line", 0, "", "first line"},
      {"caret in the second line", 1, "first line", "second line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TOpenJournal* j = TwoLines(c.CaretItem);
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    // The stamp names the clock's day, the same for the product and here.
    TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 23, 59, 59, 900)));
    const String stamp = DateTimeStampText(1, Now());
    World.Main->ActionDateStamp->Execute();
    const Integer at = ItemWithText(e, stamp);
    ASSERT_GE(at, 0) << j->Document->Text();
    EXPECT_TRUE(e->VLData()->IsParaStart(at));
    EXPECT_EQ(e->GetItemTextUtf8(at + 1), c.After);
    EXPECT_TRUE(e->VLData()->IsParaStart(at + 1));
    if (*c.Before) EXPECT_NE(j->Document->Text().find(String(c.Before) + "\n"), String::npos);
    else EXPECT_EQ(at, 0);
    EXPECT_EQ(j->EditorWindow->QuilloryStyle->TextStyles->Items(e->VLData()->GetItemStyle(at))->StyleName,
              "Date and Time Stamp Font Style");
    EXPECT_EQ(j->EditorWindow->QuilloryStyle->ParaStyles->Items(e->VLData()->GetItemPara(at))->StyleName,
              "Date and Time Stamp Paragraph Style");
    // The caret is back in its line, at its offset.
    EXPECT_EQ(e->GetItemTextUtf8(e->CurItemNo()), c.After);
    EXPECT_EQ(e->OffsetInCurItem(), 4);
    EXPECT_TRUE(j->Document->Modified);
    // One undo takes the whole stamp away.
    e->Undo();
    EXPECT_EQ(ItemWithText(e, stamp), -1);
    EXPECT_EQ(j->Document->Text(), "first line\nsecond line");
    CloseJournal(j);
  }
}

TEST_F(EditorWindowTest, EditingCommandsReachTheFocusedEditor) {
  TOpenJournal* j = TwoLines(0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  TformQuilloryMain* m = World.Main;
  m->Show();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  e->SetSelectionBounds(0, 1, 0, 6);
  auto* bold = dynamic_cast<TAction*>(m->FindComponent("vlActionFontBold"));
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(bold->Execute());
  const Integer first = 0;
  EXPECT_TRUE(j->EditorWindow->QuilloryStyle->TextStyles->Items(e->VLData()->GetItemStyle(first))->Style.Contains(fsBold));
  EXPECT_EQ(e->GetItemTextUtf8(first), "first");
  EXPECT_TRUE(j->Document->Modified);
  auto* undo = dynamic_cast<TAction*>(m->FindComponent("vlActionUndo"));
  ASSERT_NE(undo, nullptr);
  EXPECT_TRUE(undo->Execute());
  EXPECT_FALSE(j->EditorWindow->QuilloryStyle->TextStyles->Items(e->VLData()->GetItemStyle(0))->Style.Contains(fsBold));
}

TEST_F(EditorWindowTest, StampsChangeNothingInAReadOnlyEntry) {
  TOpenJournal* j = TwoLines(1);
  j->Document->ReadOnly = true;
  j->Document->StoreChanged();
  for (TAction* a : {World.Main->ActionDateStamp, World.Main->ActionTimeStamp, World.Main->ActionDateTimeStamp})
    a->Execute();
  EXPECT_EQ(j->Document->Text(), "first line\nsecond line");
}

TEST_F(EditorWindowTest, FontBoxesMakeOneStyleForEachNewLook) {
  TOpenJournal* j = TwoLines(0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  TFontInfos& styles = *j->EditorWindow->QuilloryStyle->TextStyles;
  TformQuilloryMain* m = World.Main;
  e->SelectAll();
  const Integer before = styles.Count();
  const struct {
    const char* Size;
    Integer Added;  // styles added by this step
    Integer Size0;  // the size of the first item's style afterwards
  } steps[] = {
      {"0", 0, 12},     // refused: nothing to see
      {"251", 0, 12},   // refused: too large
      {"", 0, 12},      // an empty box is ignored
      {"14", 1, 14},
      {"14", 0, 14},    // the same look again reuses its style
      {"12", 0, 12},    // back to the look of style 0
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Size);
    const Integer count = styles.Count();
    m->tbFontSize->SetText(s.Size);
    m->tbFontSizeApply();
    EXPECT_EQ(styles.Count(), count + s.Added);
    EXPECT_EQ(styles.Items(e->VLData()->GetItemStyle(0))->Size, s.Size0);
  }
  m->ChosenFontName = "Liberation Serif";
  j->EditorWindow->ApplyChosenFont(ConvertFontName);
  j->EditorWindow->ApplyChosenFont(ConvertFontName);
  EXPECT_EQ(styles.Count(), before + 2);
  TFontInfo* added = styles.Items(e->VLData()->GetItemStyle(0));
  EXPECT_EQ(added->FontName, "Liberation Serif");
  EXPECT_FALSE(added->Standard);
  EXPECT_EQ(added->StyleName, "Style " + IntToStr(e->VLData()->GetItemStyle(0)));
}

TEST_F(EditorWindowTest, StyleBoxesListTheStandardStylesAndApplyThemByName) {
  TOpenJournal* j = TwoLines(0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  TformQuilloryMain* m = World.Main;
  m->FillStyleBoxes();
  ASSERT_EQ(m->cbTextStyles->Items().Count(), 4);
  EXPECT_EQ(m->cbTextStyles->Items()[1], "Heading");
  EXPECT_EQ(m->cbParagraphStyles->Items()[1], "Centered");
  e->SetSelectionBounds(0, 1, 0, e->GetItemEndOffset(0));
  m->cbTextStyles->SetItemIndex(1);
  m->cbTextStylesClick(m->cbTextStyles);
  EXPECT_EQ(e->VLData()->GetItemStyle(0), 1);
  m->cbParagraphStyles->SetItemIndex(1);
  m->cbParagraphStylesClick(m->cbParagraphStyles);
  EXPECT_EQ(e->GetCurParaStyleNo(), 1);
  EXPECT_TRUE(j->Document->Modified);
  // The caret's styles show in the boxes; a style that is not standard
  // leaves the text box without a line.
  e->SetCaret(0, 3);
  j->EditorWindow->QuilloryTextCaretMove(e);
  EXPECT_EQ(m->cbTextStyles->GetItemIndex(), 1);
  EXPECT_EQ(m->cbParagraphStyles->GetItemIndex(), 1);
  j->EditorWindow->QuilloryStyle->TextStyles->Items(1)->Standard = false;
  j->EditorWindow->QuilloryTextCaretMove(e);
  EXPECT_EQ(m->cbTextStyles->GetItemIndex(), -1);
  // A name the journal's sheet does not hold is reported, nothing applied.
  m->cbTextStyles->Items().Add("Nowhere");
  m->cbTextStyles->SetItemIndex(m->cbTextStyles->Items().Count() - 1);
  TInteractionScript script;
  script.Answer(IDOK);
  m->cbTextStylesClick(m->cbTextStyles);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Text, "StyleNotFound");
}

// The font and style boxes follow the caret; the font box shows the font the
// text asks for also when that font is not installed and has no line.
TEST_F(EditorWindowTest, TheFontBoxesShowTheCaretsFontEvenWhenItIsNotInstalled) {
  TOpenJournal* j = TwoLines(0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  TformQuilloryMain* m = World.Main;
  m->FillStyleBoxes();
  TStrings& fonts = m->tbFontName->Items();
  ASSERT_GT(fonts.Count(), 0);
  const String installed = fonts[fonts.Count() - 1];
  TFontInfos& styles = *j->EditorWindow->QuilloryStyle->TextStyles;
  TFontInfo* other = styles.Add();
  other->FontName = installed;
  other->Size = 17;
  other->Standard = false;
  e->SetSelectionBounds(1, 1, 1, e->GetItemEndOffset(1));
  e->ApplyTextStyle(styles.Count() - 1);
  auto line = [&](const String& name) {
    for (int i = 0; i < fonts.Count(); ++i)
      if (fonts[i] == name) return i;
    return -1;
  };
  const struct {
    Integer Item;
    String Font, Size;
    int TextStyleLine;
  } steps[] = {
      {0, styles.Items(0)->FontName, "12", 0},  // "Arial": not installed here
      {1, installed, "17", -1},                 // not a standard style
      {0, styles.Items(0)->FontName, "12", 0},  // nothing stays from the other font
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Item);
    e->SetCaret(s.Item, 2);
    j->EditorWindow->QuilloryTextCaretMove(e);
    EXPECT_EQ(m->tbFontName->GetText(), s.Font);
    EXPECT_EQ(m->tbFontName->GetItemIndex(), line(s.Font));
    EXPECT_EQ(m->tbFontSize->GetText(), s.Size);
    EXPECT_EQ(m->cbTextStyles->GetItemIndex(), s.TextStyleLine);
    EXPECT_EQ(m->cbParagraphStyles->GetItemIndex(), 0);
  }
  EXPECT_EQ(styles.Items(0)->FontName, "Arial");
  // Showing the name chose nothing: no style was made or applied.
  EXPECT_EQ(e->VLData()->GetItemStyle(0), 0);
}

TEST_F(EditorWindowTest, TogglesAreWrittenAtOnceAndTheFocusSwitchNeedsTheTree) {
  TformQuilloryMain* m = World.Main;
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  const struct {
    TAction* Action;
    bool* Setting;
    const char* Key;
  } toggles[] = {{m->ActionHideShowEntryTree, &ProfileSettings.ShowEntryTree, "ShowEntryTree"},
                 {m->ActionShowHideMonthCalendar, &ProfileSettings.ShowMonthCalendar, "ShowMonthCalendar"}};
  for (const auto& t : toggles) {
    for (int round = 0; round < 2; ++round) {
      const bool was = *t.Setting;
      t.Action->Execute();
      EXPECT_EQ(*t.Setting, !was) << t.Key;
      EXPECT_EQ(std::get<bool>(GetProfileValue(t.Key, pvBoolean, was)), !was) << t.Key;
    }
  }
  ProfileSettings.ShowEntryTree = false;
  m->ArrangeLeftColumn();
  j->EditorWindow->FocusEditor();
  const bool editorHadFocus = j->EditorWindow->EditorFocused();
  m->ActionJumpWindow->Execute();
  EXPECT_EQ(j->EditorWindow->EditorFocused(), editorHadFocus);
}

TEST_F(EditorWindowTest, TheToolBarLayoutIsKeptAcrossStarts) {
  TformQuilloryMain* m = World.Main;
  m->tbFormat->SetVisible(false);
  m->tbFontName->SetVisible(false);
  SaveToolBarLayoutHook(ToolBarFilePath);
  const TToolBarLayout saved = CurrentToolBarLayout(m);
  delete World.Main;
  Application->MainForm = nullptr;
  TInteractionScript script;
  script.Answer(IDOK);
  World.Main = m = Application->CreateForm<TformQuilloryMain>();
  EXPECT_FALSE(m->tbFormat->GetVisible());
  EXPECT_FALSE(m->tbFontName->GetVisible());
  EXPECT_TRUE(m->tbStandard->GetVisible());
  EXPECT_EQ(CurrentToolBarLayout(m), saved);
}

}  // namespace

// A journal window comes back where it was left, but never smaller than a
// usable window nor where none of it shows.
TEST_F(EditorWindowTest, AStoredWindowComesBackUsableAndOnScreen) {
  struct Case {
    const char* Name;
    int Left, Top, Width, Height;
    bool Kept;  // the stored bounds come back as they are
  } cases[] = {
      {"a usable size where it was", 30, 20, 600, 400, true},
      {"too small", 10, 10, 310, 220, false},
      {"far off to the right and below", 9000, 9000, 600, 400, false},
      {"above and left of the area", -800, -600, 600, 400, false},
  };
  ProfileSettings.SaveWindowPositions = true;
  World.Main->SetBounds(0, 0, 1200, 900);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Integer id = World.AddJournal(String("Window ") + c.Name, 0);
    World.Exec("UPDATE Journals SET WindowLeft = " + IntToStr(c.Left) + ", WindowTop = " + IntToStr(c.Top) +
               ", WindowWidth = " + IntToStr(c.Width) + ", WindowHeight = " + IntToStr(c.Height) +
               ", WindowState = 0 WHERE JournalID = " + IntToStr(id));
    JournalsLoaded = true;
    TInteractionScript script;
    script.Answer(IDOK);
    TOpenJournal* j = FindOrOpenJournal(id);
    ASSERT_NE(j, nullptr);
    ASSERT_NE(j->EditorWindow, nullptr);
    TformQuilloryEditor* w = j->EditorWindow;
    EXPECT_GE(w->GetWidth(), MinJournalWindowWidth);
    EXPECT_GE(w->GetHeight(), MinJournalWindowHeight);
    EXPECT_GE(w->GetLeft(), 0);
    EXPECT_GE(w->GetTop(), 0);
    EXPECT_LT(w->GetLeft(), World.Main->ClientWidth());
    EXPECT_LT(w->GetTop(), World.Main->ClientHeight());
    if (c.Kept) {
      EXPECT_EQ(w->GetLeft(), c.Left);
      EXPECT_EQ(w->GetTop(), c.Top);
      EXPECT_EQ(w->GetWidth(), c.Width);
      EXPECT_EQ(w->GetHeight(), c.Height);
    }
  }
}
