// The input method and a control that draws its own preedit: the preedit's
// cursor, and the answers about the text around the caret.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(InputMethodQueries, PreeditCarriesTheInputMethodsOwnCursor) {
  TForm form(nullptr);
  TCustomControl editor(&form);
  editor.SetParent(&form);
  editor.SetInputMethodEnabled(true);
  std::vector<int> cursors;
  editor.OnImePreedit = [&](TObject*, const WideString&, int cursor) { cursors.push_back(cursor); };
  struct Case {
    const char16_t* Text;
    int Cursor;  // -1: the event names none
    int Expected;
  };
  const Case cases[] = {
      {u"\u306b\u307b\u3093", 1, 1}, {u"\u306b\u307b\u3093", 0, 0}, {u"\u306b\u307b\u3093", -1, 3},
      {u"ab", 9, 2},  // past the end: at the end
      {u"", -1, 0},
  };
  for (const Case& c : cases) {
    QList<QInputMethodEvent::Attribute> attrs;
    if (c.Cursor >= 0) attrs << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, c.Cursor, 1, QVariant());
    QInputMethodEvent e(QString::fromUtf16(c.Text), attrs);
    cursors.clear();
    QCoreApplication::sendEvent(WidgetOf(&editor), &e);
    EXPECT_EQ(cursors, (std::vector<int>{c.Expected})) << c.Cursor;
  }
}

TEST(InputMethodQueries, SurroundingTextCursorAndSelectionComeFromTheControl) {
  TForm form(nullptr);
  TCustomControl editor(&form);
  editor.SetParent(&form);
  editor.SetInputMethodEnabled(true);
  QWidget* w = WidgetOf(&editor);
  // Without an answer the input method learns nothing.
  EXPECT_EQ(w->inputMethodQuery(Qt::ImSurroundingText).toString(), QString());
  EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorPosition).toInt(), 0);

  struct Case {
    int Cursor, Anchor;
    int ExpectedCursor, ExpectedAnchor;
    const char* Selection;
  };
  const Case cases[] = {
      {5, 5, 5, 5, ""},
      {5, 0, 5, 0, "Hello"},
      {6, 11, 6, 11, "world"},
      {40, -3, 11, 0, "Hello world"},  // out of range: clamped to the text
  };
  for (const Case& c : cases) {
    editor.OnImeSurrounding = [&](TObject*, WideString& text, int& cursor, int& anchor) {
      text = u"Hello world";
      cursor = c.Cursor;
      anchor = c.Anchor;
      return true;
    };
    EXPECT_EQ(w->inputMethodQuery(Qt::ImSurroundingText).toString(), QString("Hello world"));
    EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorPosition).toInt(), c.ExpectedCursor);
    EXPECT_EQ(w->inputMethodQuery(Qt::ImAnchorPosition).toInt(), c.ExpectedAnchor);
    EXPECT_EQ(w->inputMethodQuery(Qt::ImCurrentSelection).toString(), QString(c.Selection)) << c.Cursor;
  }
}

}  // namespace
