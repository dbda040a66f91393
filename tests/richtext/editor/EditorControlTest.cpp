// The editor control under toolkit key and input-method events: typing,
// selecting and replacing, the change protocol (OnChanging, OnChange,
// Modified, read-only, change lock), keys without characters, input-method
// commits and pre-edits, and repairs after an internal error.
#include "EditorFixture.h"

#include "platform/base/Streams.h"
#include "richtext/model/VLMarkers.h"

#include <functional>

#include <QImage>

using namespace qytest;

TEST(EditorKeys, TypeAParagraphSelectAWordAndReplaceIt) {
  TEditor e;
  e.Type("The quick brown fox");
  EXPECT_EQ(e.Text(), "The quick brown fox");
  e.Key(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
  ASSERT_TRUE(e.D().SelectionExists());
  EXPECT_EQ(e.Edit->GetSelText(), "fox");
  e.Type("cat");
  EXPECT_EQ(e.Text(), "The quick brown cat");
  EXPECT_FALSE(e.D().SelectionExists());
  EXPECT_EQ(e.Edit->OffsetInCurItem(), 20);
  // The replaced word comes back with the first letter that replaced it.
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "The quick brown c");
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "The quick brown fox");
}

TEST(EditorKeys, EditingAndMovementKeys) {
  struct TCase {
    const char* What;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> Keys;
    const char* Typed;  // typed after the keys
    std::string Expected;
  };
  const auto none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
  const TCase cases[] = {
      {"backspace", {{Qt::Key_Backspace, none}}, "", "alpha beta gamm"},
      {"ctrl+backspace takes the word", {{Qt::Key_Backspace, ctrl}}, "", "alpha beta "},
      {"home then delete", {{Qt::Key_Home, none}, {Qt::Key_Delete, none}}, "", "lpha beta gamma"},
      {"ctrl+home then ctrl+delete", {{Qt::Key_Home, ctrl}, {Qt::Key_Delete, ctrl}}, "", "beta gamma"},
      {"enter splits", {{Qt::Key_Left, ctrl}, {Qt::Key_Return, none}}, "", "alpha beta |gamma"},
      {"shift+enter breaks the line", {{Qt::Key_Left, ctrl}, {Qt::Key_Return, shift}}, "", "alpha beta /gamma"},
      {"left and type", {{Qt::Key_Left, none}, {Qt::Key_Left, none}}, "X", "alpha beta gamXma"},
      {"shift+home selects to the line start", {{Qt::Key_Home, shift}}, "Z", "Z"},
      {"shift+left then delete", {{Qt::Key_Left, shift}, {Qt::Key_Left, shift}, {Qt::Key_Delete, none}}, "",
       "alpha beta gam"},
      {"a selection is removed by a plain arrow", {{Qt::Key_Left, shift}, {Qt::Key_Right, none}}, "!",
       "alpha beta gamma!"},
  };
  for (const TCase& c : cases) {
    TEditor e;
    e.Type("alpha beta gamma");
    for (const auto& [k, m] : c.Keys) e.Key(k, m);
    e.Type(c.Typed);
    EXPECT_EQ(e.Text(), c.Expected) << c.What;
  }
}

TEST(EditorKeys, AKeyWithoutACharacterChangesNothing) {
  TEditor e;
  e.Type("one two");
  e.Key(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
  ASSERT_TRUE(e.D().SelectionExists());
  int changes = 0;
  e.Edit->OnChange = [&](TObject*) { ++changes; };
  const Integer groups = e.D().UndoList->Count();
  // A dead key waiting for its letter, unmapped Ctrl and Alt combinations
  // (an Alt letter no menu took is not typing), a key with no text and a
  // bare control character.
  e.RawKey(Qt::Key_Dead_Acute, Qt::NoModifier, QString());
  e.RawKey(Qt::Key_Q, Qt::ControlModifier, QString(QChar(17)));
  e.RawKey(Qt::Key_Q, Qt::AltModifier, QString("q"));
  e.RawKey(Qt::Key_K, Qt::AltModifier | Qt::ShiftModifier, QString("K"));
  e.RawKey(Qt::Key_F13, Qt::NoModifier, QString());
  e.RawKey(Qt::Key_unknown, Qt::NoModifier, QString());
  e.RawKey(Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
  EXPECT_EQ(e.Text(), "one two");
  EXPECT_TRUE(e.D().SelectionExists());
  EXPECT_EQ(e.D().UndoList->Count(), groups);
  EXPECT_EQ(changes, 0);
  // The letter the dead key waited for replaces the selection.
  e.RawKey(Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
  EXPECT_EQ(e.Text(), "one \xC3\xA9");
  EXPECT_EQ(changes, 1);
  // Ctrl and Alt together stand for AltGr on some keyboards: that types.
  e.RawKey(Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, QString("@"));
  EXPECT_EQ(e.Text(), "one \xC3\xA9@");
}

TEST(EditorChange, OnChangingVetoBeepsAndChangesNothing) {
  TEditor e;
  e.Type("abc");
  e.Edit->Modified = false;
  int changing = 0, changes = 0;
  e.Edit->OnChanging = [&](TCustomVellumEdit* sender, bool& can) {
    EXPECT_EQ(sender, e.Edit);
    ++changing;
    can = false;
  };
  e.Edit->OnChange = [&](TObject*) { ++changes; };
  const Integer groups = e.D().UndoList->Count();
  const int beeps = BeepCount;
  e.Type("x");
  e.Key(Qt::Key_Backspace);
  e.Key(Qt::Key_Return);
  e.Commit(u"\u4e2d");
  EXPECT_TRUE(e.Edit->InsertText("more") == false);
  EXPECT_EQ(e.Text(), "abc");
  EXPECT_EQ(e.D().UndoList->Count(), groups);
  EXPECT_FALSE(e.Edit->Modified);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(changing, 5);
  EXPECT_EQ(BeepCount - beeps, 5);
  // Movement is not a change.
  e.Key(Qt::Key_Left);
  EXPECT_EQ(changing, 5);
  EXPECT_EQ(e.Edit->OffsetInCurItem(), 3);
  // A silent style sheet refuses without a sound.
  e.Style.UseSound = false;
  e.Type("y");
  EXPECT_EQ(BeepCount - beeps, 5);
}

TEST(EditorChange, ModifiedOnChangeUndoAndRedo) {
  TEditor e;
  int changes = 0;
  e.Edit->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, e.Edit);
    ++changes;
  };
  e.Type("ab");
  EXPECT_TRUE(e.Edit->Modified);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(e.Edit->GetUndoType(), vlutTyping);
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "a");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(e.D().RedoList->Count(), 1);
  e.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(e.Text(), "ab");
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  e.Type("x");
  EXPECT_EQ(e.Text(), "ax");
  EXPECT_EQ(e.D().RedoList->Count(), 0) << "a new edit empties the redo list";
  // The change lock keeps the events quiet; the edit happens.
  int changing = 0;
  e.Edit->OnChanging = [&](TCustomVellumEdit*, bool& can) {
    ++changing;
    can = false;
  };
  e.Edit->LockChangeEvent();
  const int before = changes;
  e.Type("y");
  e.Edit->UnlockChangeEvent();
  EXPECT_EQ(e.Text(), "axy");
  EXPECT_EQ(changes, before);
  EXPECT_EQ(changing, 0);
}

TEST(EditorChange, ReadOnlyRefusesEditsAndUndo) {
  TEditor e;
  e.Type("ab");
  e.Edit->SetReadOnly(true);
  const int beeps = BeepCount;
  e.Type("c");
  e.Key(Qt::Key_Backspace);
  EXPECT_EQ(e.Text(), "ab");
  EXPECT_EQ(BeepCount - beeps, 2);
  // Undo while read-only: a beep even when the sheet is silent.
  e.Style.UseSound = false;
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(e.Text(), "ab");
  EXPECT_EQ(BeepCount - beeps, 3);
  e.Key(Qt::Key_Home);
  EXPECT_EQ(e.Edit->OffsetInCurItem(), 1) << "the caret still moves";
}

TEST(EditorChange, ReturnAndTabOptions) {
  struct TCase {
    const char* What;
    TVLEditorOptions Options;
    Qt::Key Key;
    Qt::KeyboardModifiers Mods;
    std::string Expected;
  };
  const TCase cases[] = {
      {"enter", {}, Qt::Key_Return, Qt::NoModifier, "ab|"},
      {"no returns: enter", {vloDoNotWantReturns}, Qt::Key_Return, Qt::NoModifier, "ab"},
      {"no returns: shift+enter", {vloDoNotWantReturns}, Qt::Key_Return, Qt::ShiftModifier, "ab"},
      {"no shift returns", {vloDoNotWantShiftReturns}, Qt::Key_Return, Qt::ShiftModifier, "ab"},
      {"no shift returns: enter", {vloDoNotWantShiftReturns}, Qt::Key_Return, Qt::NoModifier, "ab|"},
      {"tab moves on", {}, Qt::Key_Tab, Qt::NoModifier, "ab"},
      {"wanted tab", {vloWantTabs}, Qt::Key_Tab, Qt::NoModifier, "ab        "},
      {"ctrl+tab", {}, Qt::Key_Tab, Qt::ControlModifier, "ab        "},
  };
  for (const TCase& c : cases) {
    TEditor e;
    e.Edit->SetEditorOptions(c.Options);
    e.Type("ab");
    e.Key(c.Key, c.Mods);
    EXPECT_EQ(e.Text(), c.Expected) << c.What;
  }
}

TEST(EditorChange, CaretGetsOutAtTheDocumentsEdges) {
  TEditor e;
  e.Type("ab");
  std::vector<TVLGetOutDirection> outs;
  e.Edit->OnCaretGetOut = [&](TCustomVellumEdit*, TVLGetOutDirection d) { outs.push_back(d); };
  e.Key(Qt::Key_Right);
  e.Key(Qt::Key_Home);
  e.Key(Qt::Key_Left);
  e.Key(Qt::Key_Up);
  e.Key(Qt::Key_Down);
  EXPECT_EQ(outs, (std::vector<TVLGetOutDirection>{vldRight, vldLeft, vldUp, vldDown}));
  EXPECT_THROW(e.Edit->SetTabNavigation(vltnTab), EVellumError);
}

TEST(EditorChange, AnInternalErrorIsRepairedAndTheProgramGoesOn) {
  TEditor e;
  e.Type("abc");
  bool fail = true;
  e.Edit->OnCaretMove = [&](TObject*) {
    if (fail) {
      fail = false;
      throw EVellumError("Undo error");
    }
  };
  e.Key(Qt::Key_Return);
  EXPECT_EQ(e.Edit->RepairCount, 1);
  EXPECT_EQ(e.D().UndoList->GroupModeCounter, 0);
  ASSERT_NE(e.D().CaretStop(), nullptr);
  // The editor goes on working on a consistent document.
  e.Type("d");
  e.Key(Qt::Key_Home, Qt::ControlModifier);
  e.Type("X");
  EXPECT_EQ(e.Text(), "Xabc|d");
}

// ---- input methods ----------------------------------------------------------------------

TEST(EditorInputMethod, ACommitIsOneGroupWithTheCaretAfterIt) {
  TEditor e;
  e.Type("ab");
  e.Key(Qt::Key_Left);
  const Integer groups = e.D().UndoList->Count();
  e.Commit(u"\u65e5\u672c\u8a9e");
  EXPECT_EQ(e.Text(), "a\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" "b");
  EXPECT_EQ(e.D().UndoList->Count(), groups + 1);
  EXPECT_EQ(e.Edit->OffsetInCurItem(), 5) << "after the third character";
  e.Type("c");
  EXPECT_EQ(e.Text(), "a\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" "cb");
  e.Edit->Undo();
  e.Edit->Undo();
  EXPECT_EQ(e.Text(), "ab") << "one undo takes the whole commit";
}

TEST(EditorInputMethod, PreeditIsShownAtTheCaretButNotInTheDocument) {
  TEditor e;
  e.Type("ab");
  e.W()->repaint();
  QImage before = e.W()->grab().toImage();
  const QPoint caret = e.W()->inputMethodQuery(Qt::ImCursorRectangle).toRect().topLeft();
  e.Preedit(u"\u306b\u307b");
  EXPECT_EQ(e.Text(), "ab");
  EXPECT_EQ(e.Edit->Preedit(), u"\u306b\u307b");
  QImage with = e.W()->grab().toImage();
  // Something is drawn right of the caret, nothing left of it; the caret
  // stands after the pre-edit.
  EXPECT_GT(e.W()->inputMethodQuery(Qt::ImCursorRectangle).toRect().x(), caret.x() + 10);
  int rightDiff = 0, leftDiff = 0;
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x)
      if (before.pixel(x, y) != with.pixel(x, y)) ++(x < caret.x() - 2 ? leftDiff : rightDiff);
  EXPECT_GT(rightDiff, 20);
  EXPECT_EQ(leftDiff, 0);
  // The commit replaces the pre-edit.
  e.Commit(u"\u306b");
  EXPECT_TRUE(e.Edit->Preedit().empty());
  EXPECT_EQ(e.Text(), "ab\xE3\x81\xAB");
}

TEST(EditorInputMethod, QueriesAnswerTheCaretAndTheParagraph) {
  TEditor e;
  e.Type("first");
  e.Key(Qt::Key_Return);
  e.Type("second line");
  e.Key(Qt::Key_Left);
  e.Key(Qt::Key_Left, Qt::ShiftModifier);
  QWidget* w = e.W();
  const QRect r = w->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_TRUE(w->rect().contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
  TPoint caret;
  ASSERT_TRUE(e.D().GetCaretClientPoint(caret));
  EXPECT_NEAR(r.x(), caret.X, 2);
  EXPECT_GT(r.y(), 10) << "on the second line";
  EXPECT_GT(r.height(), 8);
  EXPECT_EQ(w->inputMethodQuery(Qt::ImSurroundingText).toString(), QString("second line"));
  EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorPosition).toInt(), 9);
  EXPECT_EQ(w->inputMethodQuery(Qt::ImAnchorPosition).toInt(), 10);
  EXPECT_TRUE(w->inputMethodQuery(Qt::ImEnabled).toBool());
}

// ---- files ---------------------------------------------------------------------------------------

TEST(EditorFiles, SaveLoadAndTheCaretAfterFormat) {
  TEditor e;
  e.Type("saved text");
  TMemoryStream s;
  ASSERT_TRUE(e.Edit->SaveVLFToStream(s, false));
  TEditor f;
  s.SetPosition(0);
  ASSERT_TRUE(f.Edit->LoadVLFFromStream(s));
  f.Edit->Format();
  EXPECT_EQ(f.Text(), "saved text");
  ASSERT_NE(f.D().CaretStop(), nullptr);
  f.Edit->SetCaret(0, 6);
  f.Type("!");
  EXPECT_EQ(f.Text(), "saved! text");
  f.Edit->Format();
  EXPECT_EQ(f.Edit->OffsetInCurItem(), 7) << "a new layout keeps the caret";
}

TEST(EditorLists, ListCommandsKeepTheCaretOnItsText) {
  struct TCase {
    const char* What;
    std::function<void(TVellumEdit*)> Op;
    std::string Expected;
  } cases[] = {
      {"numbering on", [](TVellumEdit* e) { e->ApplyListStyle(0, 0, 1, false); }, "a|#b|#x"},
      {"numbering off again", [](TVellumEdit* e) {
         e->ApplyListStyle(0, 0, 1, false);
         e->RemoveLists();
       }, "a|#b|x"},
      {"a level down", [](TVellumEdit* e) {
         e->ApplyListStyle(0, 0, 1, false);
         e->ChangeListLevels(1);
       }, "a|#b|#x"},
  };
  for (const TCase& c : cases) {
    TEditor e;
    TVLListInfo* list = e.Style.ListStyles->Add();
    for (int k = 0; k < 2; ++k) {
      TVLListLevel* level = list->Levels->Add();
      level->ListType = vllstDecimal;
      level->FormatString = "%0:s.";
    }
    e.Type("a");
    e.Key(Qt::Key_Return);
    e.Edit->ApplyListStyle(0, 0, 1, false);
    e.Type("b");
    e.Key(Qt::Key_Return);
    EXPECT_EQ(e.Text(), "a|#b|#") << c.What;
    e.Edit->RemoveLists();
    c.Op(e.Edit);
    e.Type("x");
    EXPECT_EQ(e.Text(), c.Expected) << c.What;
    EXPECT_EQ(e.Edit->RepairCount, 0) << c.What;
  }
}

TEST(EditorPainting, WhatIsShownAfterEachChangeIsWhatAWholeRepaintShows) {
  TEditor e;
  for (int i = 0; i < 40; ++i) {
    e.Type("A line of the entry that fills the window ");
    e.Key(Qt::Key_Return);
  }
  e.Edit->SetCaret(5, 3);
  auto* other = new TVellumEdit(e.Form.get());
  other->SetParent(e.Form.get());
  other->SetBounds(0, 302, 100, 10);
  auto same = [&](const char* what) {
    QApplication::processEvents();
    e.Edit->HideCaret();
    const QImage shown = e.W()->grab().toImage();
    e.Edit->Repaint();
    const QImage whole = e.W()->grab().toImage();
    EXPECT_TRUE(shown == whole) << what;
  };
  struct TStep {
    const char* What;
    std::function<void()> Do;
  } steps[] = {
      {"typing", [&] { e.Type("xyz"); }},
      {"a selection by keys", [&] { e.Key(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier); }},
      {"deleting it", [&] { e.Key(Qt::Key_Delete); }},
      {"enter", [&] { e.Key(Qt::Key_Return); }},
      {"scrolled down", [&] { e.Edit->VScrollTo(e.Edit->VPos + 13, true); }},
      {"scrolled back a little", [&] { e.Edit->VScrollTo(e.Edit->VPos - 4, true); }},
      {"page down moves the caret and the window", [&] { e.Key(Qt::Key_PageDown); }},
      {"undo", [&] { e.Key(Qt::Key_Z, Qt::ControlModifier); }},
      {"typing, then a scroll before anything was painted", [&] {
         e.Type("pq");
         e.Edit->VScrollTo(e.Edit->VPos + 3, true);
       }},
      {"a scroll not yet painted, then typing", [&] {
         for (int i = 0; i < 6; ++i) e.Key(Qt::Key_Down);
         e.Key(Qt::Key_Home);
         QApplication::processEvents();
         e.Edit->VScrollTo(e.Edit->VPos - 4, false);
         e.Type("r");
       }},
      {"a line typed until it wraps", [&] { e.Type(" and more words until the line wraps over once"); }},
      {"a character of it undone", [&] { e.Key(Qt::Key_Z, Qt::ControlModifier); }},
      {"undone over a selection", [&] {
         e.Key(Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
         e.Key(Qt::Key_Z, Qt::ControlModifier);
       }},
      {"the focus gone", [&] { other->SetFocus(); }},
  };
  for (const TStep& s : steps) {
    s.Do();
    same(s.What);
  }
}

TEST(EditorPainting, AnEditRepaintsItsOwnLinesAndWhatMovedBelowThem) {
  TEditor e;
  for (int i = 0; i < 12; ++i) {
    e.Type("short line");
    e.Key(Qt::Key_Return);
  }
  e.Edit->SetCaret(4, 5);
  QApplication::processEvents();
  ASSERT_TRUE(IsRectEmpty(e.Edit->GetUpdateRect()));
  const TVLDrawLineInfo* line = e.D().DrawItems[e.D().GetItem(4)->DrawItemNo];
  const Integer lineBottom = line->Top + line->Height - e.D().GetVOffset();
  const Integer height = e.Edit->ClientHeight();
  ASSERT_LT(lineBottom + 40, height);

  // A character that keeps the line count: that paragraph only.
  e.RawKey(Qt::Key_X, Qt::NoModifier, "x");
  TRect r = e.Edit->GetUpdateRect();
  EXPECT_LE(r.Top, line->Top - e.D().GetVOffset());
  EXPECT_GE(r.Bottom, lineBottom);
  EXPECT_LT(r.Bottom, lineBottom + 30);
  QApplication::processEvents();

  // Enter moves every line below.
  e.RawKey(Qt::Key_Return, Qt::NoModifier, "\r");
  r = e.Edit->GetUpdateRect();
  EXPECT_EQ(r.Bottom, height);
  QApplication::processEvents();

  // Undoing the character moves nothing either.
  e.Key(Qt::Key_Z, Qt::ControlModifier);
  QApplication::processEvents();
  e.RawKey(Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
  EXPECT_EQ(e.Text().find('x'), std::string::npos);
  r = e.Edit->GetUpdateRect();
  EXPECT_LT(r.Bottom, lineBottom + 30);
}

TEST(EditorPainting, TypingInALongParagraphRepaintsTheLineItChanged) {
  for (const bool border : {false, true}) {
    TEditor e;
    // A border's edges follow the widest line: the whole paragraph repaints.
    if (border) e.Style.ParaStyles->Items(0)->Border.Style = vlbSingle;
    // One long word a line, with room left on each.
    const std::string word(28, 'm');
    for (int i = 0; i < 8; ++i) e.Type((word + " ").c_str());
    ASSERT_EQ(e.Edit->ItemCount(), 1);
    e.Edit->SetCaret(0, 2 * 29 + 10);
    QApplication::processEvents();
    const Integer lineHeight = e.D().DrawItems[0]->Height;
    ASSERT_GE(e.D().DrawItems.Count(), 8);
    ASSERT_EQ(e.D().DrawItems[2]->TextOffset, 2 * 29 + 1);
    const Integer lineTop = e.D().DrawItems[2]->Top - e.D().GetVOffset();
    for (const char* key : {"x", "\b"}) {
      e.RawKey(key[0] == '\b' ? Qt::Key_Backspace : Qt::Key_X, Qt::NoModifier, key);
      const TRect r = e.Edit->GetUpdateRect();
      EXPECT_LE(r.Top, lineTop) << key;
      EXPECT_GE(r.Bottom, lineTop + lineHeight) << key;
      if (border)
        EXPECT_GE(r.Bottom, lineTop + 6 * lineHeight) << key;
      else
        EXPECT_LT(r.Height(), 3 * lineHeight) << key;
      QApplication::processEvents();
      e.Edit->HideCaret();
      const QImage shown = e.W()->grab().toImage();
      e.Edit->Repaint();
      EXPECT_TRUE(shown == e.W()->grab().toImage()) << key;
      e.Edit->ShowCaret();
    }
    EXPECT_EQ(e.Text(), [&] {
      std::string t;
      for (int i = 0; i < 8; ++i) t += word + " ";
      return t;
    }());
  }
}
