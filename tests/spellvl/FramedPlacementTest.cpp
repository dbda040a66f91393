// Under a window manager the spelling and thesaurus dialogs keep their whole
// frame, title bar included, off the word they are about. These tests need
// frames: the "_framed" test runs them on a display of their own with a
// window manager (tests/scripts/with_window_manager.sh); elsewhere they skip.
#include "SpellEditorSupport.h"

#include "platform/gui/ControlsPrivate.h"
#include "spell/scSpellDialog.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
using spellvltest::TSpellEditor;

// Whether windows here get frames from a window manager.
bool WindowsAreFramed() {
  static const bool framed = [] {
    if (QGuiApplication::platformName() != "xcb") return false;
    TForm probe(nullptr);
    probe.SetBounds(300, 300, 200, 100);
    probe.Show();
    return QTest::qWaitFor([&] { return probe.GetFrameMargins().Top > 0; }, 60000);
  }();
  return framed;
}

#define SKIP_UNLESS_FRAMED()                                                                    \
  if (!WindowsAreFramed())                                                                      \
  GTEST_SKIP() << "no window manager frames the windows here (run through the _framed test, "   \
                  "which starts Xvfb with openbox)"

QRect FrameOf(TCustomForm* f) { return WindowWidgetOf(f)->frameGeometry(); }
QRect Q(const TRect& r) { return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)); }

// The selected word on screen.
QRect WordLine(TSpellEditor& w) { return Q(w.E.Edit->GetInnermostEditor()->GetSelectionRect()); }

// An editor window away from the screen's edges, framed and settled.
void Place(TSpellEditor& w) {
  w.E.Form->SetBounds(200, 260, 420, 320);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.E.Form->GetFrameMargins().Top > 0; }, 60000));
  QApplication::processEvents();
}

TEST(Framed, TheSpellingDialogMovedOverTheNextWordMovesOffItTitleBarIncluded) {
  SKIP_UNLESS_FRAMED();
  TSpellEditor w;
  w.SetText({"Caf\xC3\xA9 wrods and teh \xC5\x81\xC3\xB3" "d\xC5\xBA"});
  ASSERT_NO_FATAL_FAILURE(Place(w));
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  TSpellDialog* d = w.Dialog();
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->NotFoundEdit->GetText(), "wrods");
  ASSERT_TRUE(QTest::qWaitFor([&] { return d->GetFrameMargins().Top > 0; }, 60000));
  // The user drags the dialog so that its client area starts just below
  // the line: only the title bar lies over the words.
  const QRect line = WordLine(w);
  d->SetBounds(line.left(), line.bottom() + 2, d->GetWidth(), d->GetHeight());
  ASSERT_TRUE(QTest::qWaitFor([&] { return FrameOf(d).intersects(line); }, 60000));
  d->IgnoreButton->Click();
  // The check goes on to the next word as the window system lets it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return d->NotFoundEdit->GetText() == "teh"; }, 60000))
      << "the check is still at " << d->NotFoundEdit->GetText();
  const QRect next = WordLine(w);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !FrameOf(d).intersects(next); }, 60000))
      << "frame " << FrameOf(d).top() << ".." << FrameOf(d).bottom() << " over the word at " << next.top() << ".."
      << next.bottom();
  d->CancelButton->Click();
}

TEST(Framed, TheThesaurusOpensBesideTheWordTitleBarIncluded) {
  SKIP_UNLESS_FRAMED();
  for (const char* text : {"I am happy today", "Un caf\xC3\xA9 sad and happy"}) {
    SCOPED_TRACE(text);
    TSpellEditor w;
    w.SetText({text});
    ASSERT_NO_FATAL_FAILURE(Place(w));
    const std::string s = text;
    const Integer at = static_cast<Integer>(s.find("happy")) + 2;
    w.E.Edit->SetSelectionBounds(0, at, 0, at);
    bool seen = false;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = dynamic_cast<TThesDialog*>(r.Form);
      if (!d) return static_cast<int>(mrCancel);
      seen = true;
      const QRect word = WordLine(w);
      EXPECT_TRUE(QTest::qWaitFor([&] { return d->GetFrameMargins().Top > 0 && !FrameOf(d).intersects(word); }, 60000))
          << "frame " << FrameOf(d).top() << ".." << FrameOf(d).bottom() << " over the word at " << word.top()
          << ".." << word.bottom();
      return static_cast<int>(mrCancel);
    });
    w.Thesaurus->LookupVellumEdit(w.E.Edit);
    EXPECT_TRUE(seen);
  }
}

}  // namespace
