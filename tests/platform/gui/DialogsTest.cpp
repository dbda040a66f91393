#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

TEST(MessageBoxTest, RecordsWhatWasShownAndReturnsTheScriptedAnswer) {
  struct Case {
    int flags;
    int answer;
    int buttons;
    int icon;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONINFORMATION, IDOK, MB_OK, MB_ICONINFORMATION},
      {MB_OKCANCEL | MB_ICONEXCLAMATION, IDCANCEL, MB_OKCANCEL, MB_ICONEXCLAMATION},
      {MB_YESNO | MB_ICONQUESTION, IDYES, MB_YESNO, MB_ICONQUESTION},
      {MB_YESNOCANCEL | MB_ICONERROR | MB_DEFBUTTON2, IDNO, MB_YESNOCANCEL | MB_DEFBUTTON2, MB_ICONERROR},
  };
  for (const Case& c : cases) {
    TInteractionScript script;
    script.Answer(c.answer);
    EXPECT_EQ(MessageBox("Line one\r\nLine two", "Quillory", c.flags), c.answer);
    ASSERT_EQ(script.Shown.size(), 1u);
    const TInteraction& shown = script.Shown[0];
    EXPECT_EQ(shown.Kind, TInteractionKind::MessageBox);
    EXPECT_EQ(shown.Caption, "Quillory");
    EXPECT_EQ(shown.Text, "Line one\r\nLine two");
    EXPECT_EQ(shown.Buttons, c.buttons);
    EXPECT_EQ(shown.Icon, c.icon);
    EXPECT_EQ(script.Unexpected, 0);
  }
}

TEST(MessageBoxTest, UnscriptedRequestIsCancelledAndCounted) {
  TInteractionScript script;
  EXPECT_EQ(MessageBox("?", "c", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageDlg("?", mtWarning, {mbYes, mbNo, mbCancel}), mrCancel);
  EXPECT_EQ(script.Unexpected, 2);
}

TEST(MessageBoxTest, ScriptsNestAndRestoreThePreviousHook) {
  TInteractionScript outer;
  outer.Answer(IDYES);
  {
    TInteractionScript inner;
    inner.Answer(IDNO);
    EXPECT_EQ(MessageBox("a", "b", MB_YESNO), IDNO);
  }
  EXPECT_EQ(MessageBox("a", "b", MB_YESNO), IDYES);
  EXPECT_EQ(outer.Shown.size(), 1u);
}

TEST(MessageDlgTest, CaptionFollowsTheTypeAndButtonsAreRecorded) {
  TInteractionScript script;
  script.Answer(mrNo).Answer(mrOk);
  EXPECT_EQ(MessageDlg("Save changes?", mtWarning, {mbYes, mbNo, mbCancel}), mrNo);
  EXPECT_EQ(MessageDlg("Gone", mtError, {mbOK}), mrOk);
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_EQ(script.Shown[0].Caption, "Warning");
  EXPECT_EQ(script.Shown[0].DlgButtons, (TMsgDlgButtons{mbYes, mbNo, mbCancel}));
  EXPECT_EQ(script.Shown[1].Caption, "Error");
}

TEST(InputQueryTest, ValueChangesOnlyWhenConfirmed) {
  TInteractionScript script;
  script.AnswerValue("typed", mrOk).AnswerValue("ignored", mrCancel);
  String value = "initial";
  EXPECT_TRUE(InputQuery("Name", "Enter a name:", value));
  EXPECT_EQ(value, "typed");
  EXPECT_FALSE(InputQuery("Name", "Enter a name:", value));
  EXPECT_EQ(value, "typed");
  EXPECT_EQ(script.Shown[0].Text, "Enter a name:");
  EXPECT_EQ(script.Shown[1].Value, "ignored");
}

TEST(SelectDirectoryTest, ChosenFolderIsWrittenBack) {
  TInteractionScript script;
  script.AnswerValue("/tmp/backup").Answer(mrCancel);
  String dir = "/home";
  EXPECT_TRUE(SelectDirectory("Backup folder", "", dir));
  EXPECT_EQ(dir, "/tmp/backup");
  EXPECT_FALSE(SelectDirectory("Backup folder", "", dir));
  EXPECT_EQ(dir, "/tmp/backup");
  EXPECT_EQ(script.Shown[0].Value, "/tmp/backup");
}

TEST(LineBreakTest, CarriageReturnsBecomeNewlines) {
  const std::pair<String, String> cases[] = {
      {"a\r\nb", "a\nb"}, {"a\rb", "a\nb"}, {"a\nb", "a\nb"}, {"a\r\r\nb\r", "a\n\nb\n"}, {"", ""}};
  for (auto& [in, out] : cases) EXPECT_EQ(NormalizeLineBreaks(in), out) << in;
}

// The real dialog: a timer presses "No" on the box the way a user would.
TEST(MessageBoxTest, QtDialogMapsTheClickedButton) {
  QString seenText;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
    }
    ASSERT_NE(box, nullptr);
    seenText = box->text();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(MessageBox("First\rSecond", "Question", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(seenText, "First\nSecond");
}

// A box with a short text is still wide enough for its whole caption.
TEST(MessageBoxTest, TheCaptionIsNeverCutByANarrowBox) {
  const std::pair<const char*, const char*> cases[] = {
      {"Search Complete", "x"},
      {"Change Password Dialog - a long caption for a short question", "Go?"},
  };
  for (auto [caption, text] : cases) {
    SCOPED_TRACE(caption);
    int width = 0;
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      width = box->width();
      qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    MessageBox(text, caption, MB_OK);
    EXPECT_GE(width, CaptionFitWidth(caption));
  }
}

// A box fits its text: a long name wraps inside the box instead of running
// past its edge, and the lines after it show whole. The label's text is
// laid out as the label lays it out, at the width it has.
TEST(MessageBoxTest, ALongNameWrapsAndEveryLineShowsWhole) {
  std::string accented;
  for (int i = 0; i < 118; ++i) accented += "\xC3\xA9";
  const std::string reason = "is too long: a dictionary name has at most 235 letters.";
  const std::pair<const char*, std::string> cases[] = {
      {"240 letters", "The dictionary name\r\n" + std::string(240, 'n') + "\r\n" + reason},
      {"118 accented letters", "The dictionary name\r\n" + accented + "\r\n" + reason},
      {"a long path", "The backup folder \"/home/" + std::string(150, 'p') + "/Backup\" cannot be written."},
  };
  for (const auto& [name, text] : cases) {
    SCOPED_TRACE(name);
    QString shown;
    int lines = 0, widest = 0, width = 0, height = 0, needed = 0, screenWidth = 0;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
      ASSERT_NE(label, nullptr);
      shown = label->text();
      width = label->contentsRect().width();
      height = label->contentsRect().height();
      screenWidth = box->screen()->availableGeometry().width();
      QTextLayout layout(shown, label->font());
      QTextOption option;
      option.setWrapMode(QTextOption::WordWrap);
      layout.setTextOption(option);
      layout.beginLayout();
      qreal y = 0;
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, static_cast<int>(std::ceil(line.naturalTextWidth())));
        ++lines;
      }
      layout.endLayout();
      needed = static_cast<int>(std::ceil(y));
      EXPECT_LE(box->width(), screenWidth);
      box->button(QMessageBox::Ok)->click();
    });
    MessageBox(text, "Dictionaries", MB_OK | MB_ICONWARNING);
    EXPECT_GT(lines, 3);
    EXPECT_LE(widest, width) << "a line runs past the box's edge";
    EXPECT_LE(needed, height) << "the last lines are cut";
    // Only where a line may break: the words themselves are all there.
    QString plain = shown;
    plain.remove(QChar(0x200B));
    EXPECT_EQ(plain, QString::fromStdString(NormalizeLineBreaks(text)));
  }
}

}  // namespace

// Message boxes and common dialogs give the keyboard focus back to the
// control that had it, so the editing commands that follow it stay live.
TEST(ModalBoxFocusTest, TheFocusGoesBackWhereItWas) {
  QWidget window;
  new QLineEdit(&window);  // the focus would otherwise land here
  auto* second = new QLineEdit(&window);
  second->move(0, 40);
  window.show();
  QApplication::setActiveWindow(&window);
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"message box", [] { MessageBox("Sure?", "Quillory", MB_YESNO); }},
      {"message dialog", [] { MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}, 0); }},
      {"input query", [] {
         String value = "x";
         InputQuery("Name", "Name:", value);
       }},
  };
  for (const auto& [name, run] : cases) {
    SCOPED_TRACE(name);
    second->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), second);
    QTimer::singleShot(0, [] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      // The box holds the focus while it is up.
      if (QWidget* f = box->focusWidget()) f->setFocus();
      qobject_cast<QDialog*>(box)->reject();
    });
    run();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), second);
  }
}
