#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWindow>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A small dialog as the program builds them: an edit, a check box and the
// OK/Cancel pair.
class TNameDialog : public TForm {
public:
  explicit TNameDialog(TComponent* owner) : TForm(owner) {
    SetText("Add Journal");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetBounds(0, 0, 300, 140);
    Name = new TEdit(this);
    Name->SetParent(this);
    Name->SetBounds(10, 10, 200, 21);
    Topic = new TCheckBox(this);
    Topic->SetParent(this);
    Topic->SetText("Topic Journal");
    Topic->SetBounds(10, 40, 150, 17);
    Ok = new TButton(this);
    Ok->SetParent(this);
    Ok->SetText("&OK");
    Ok->SetDefault(true);
    Ok->ModalResult = mrOk;
    Ok->SetBounds(130, 100, 75, 25);
    Cancel = new TButton(this);
    Cancel->SetParent(this);
    Cancel->SetText("&Cancel");
    Cancel->Cancel = true;
    Cancel->ModalResult = mrCancel;
    Cancel->SetBounds(215, 100, 75, 25);
  }
  TEdit* Name;
  TCheckBox* Topic;
  TButton* Ok;
  TButton* Cancel;
};

void SendKey(QWidget* w, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QCoreApplication::sendEvent(w, &release);
}

TEST(ShowModalTest, ScriptedDialogReturnsTheResultAndKeepsWhatWasTyped) {
  TNameDialog dlg(nullptr);
  std::vector<String> events;
  dlg.OnShow = [&](TObject*) { events.push_back("show"); };
  dlg.OnClose = [&](TObject*, TCloseAction& a) {
    events.push_back("close");
    EXPECT_EQ(a, caHide);
  };
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* form = dynamic_cast<TNameDialog*>(r.Form);
    EXPECT_TRUE(form->Showing());
    // Typed the way a user types: key events into the focused edit.
    form->Name->SetFocus();
    for (QChar c : QString("Travel")) SendKey(WidgetOf(form->Name), Qt::Key_A + (c.toUpper().unicode() - 'A'), c);
    form->Topic->SetChecked(true);
    form->Ok->Click();
    return mrNone;
  });
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(dlg.Name->GetText(), "Travel");
  EXPECT_TRUE(dlg.Topic->GetChecked());
  EXPECT_FALSE(dlg.GetVisible());
  EXPECT_EQ(events, (std::vector<String>{"show", "close"}));
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::ShowModal);
  EXPECT_EQ(script.Shown[0].Caption, "Add Journal");
}

TEST(ShowModalTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  struct Case {
    int key;
    TModalResult result;
  };
  for (const Case& c : {Case{Qt::Key_Return, mrOk}, Case{Qt::Key_Escape, mrCancel}}) {
    TNameDialog dlg(nullptr);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* form = dynamic_cast<TNameDialog*>(r.Form);
      form->Name->SetFocus();
      SendKey(WidgetOf(form->Name), c.key);
      return mrNone;
    });
    EXPECT_EQ(dlg.ShowModal(), c.result) << c.key;
  }
}

TEST(ShowModalTest, RealModalLoopEndsWhenAButtonSetsTheResult) {
  TNameDialog dlg(nullptr);
  QTimer::singleShot(0, [&] {
    dlg.Name->SetText("typed");
    dlg.Ok->Click();
  });
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(dlg.Name->GetText(), "typed");
  // A visible form cannot become modal.
  dlg.Show();
  EXPECT_THROW(dlg.ShowModal(), EInvalidOperation);
  dlg.Hide();
}

TEST(ShowModalTest, CloseQueryCanKeepTheRealDialogOpen) {
  TNameDialog dlg(nullptr);
  int asked = 0;
  dlg.OnCloseQuery = [&](TObject*, bool& canClose) {
    ++asked;
    canClose = !dlg.Name->GetText().empty();
  };
  QTimer::singleShot(0, [&] {
    dlg.Ok->Click();  // refused: the name is empty
    QTimer::singleShot(0, [&] {
      dlg.Name->SetText("x");
      dlg.Ok->Click();
    });
  });
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(asked, 2);
}

TEST(FormTest, KeyPreviewSeesKeysBeforeTheFocusedControl) {
  TNameDialog dlg(nullptr);
  std::vector<String> order;
  dlg.KeyPreview = true;
  dlg.OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    order.push_back("form " + std::to_string(key));
    if (key == VK_F5) key = 0;  // swallowed
  };
  dlg.Name->OnKeyDown = [&](TObject*, Word& key, TShiftState) { order.push_back("edit " + std::to_string(key)); };
  dlg.Show();
  dlg.Name->SetFocus();
  ASSERT_TRUE(dlg.Name->Focused());
  SendKey(WidgetOf(dlg.Name), Qt::Key_F5);
  SendKey(WidgetOf(dlg.Name), Qt::Key_F6);
  EXPECT_EQ(order, (std::vector<String>{"form 116", "form 117", "edit 117"}));
  dlg.Hide();
}

TEST(FormTest, KeyPressCanChangeOrSwallowTheTypedCharacter) {
  TNameDialog dlg(nullptr);
  dlg.Name->OnKeyPress = [](TObject*, char16_t& c) {
    if (c == u'x') c = 0;
    if (c == u'a') c = u'A';
  };
  dlg.Show();
  dlg.Name->SetFocus();
  for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, {Qt::Key_X, "x"}, {Qt::Key_B, "b"}})
    SendKey(WidgetOf(dlg.Name), key, text);
  EXPECT_EQ(dlg.Name->GetText(), "Ab");
  dlg.Hide();
}

}  // namespace

#include "platform/os/HelpViewer.h"
#include "support/TestSupport.h"

namespace {

TEST(ApplicationTest, HintsAndHelpRouting) {
  std::vector<String> hints;
  auto savedHint = Application->OnHint;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->GetHint()); };
  Application->SetHint("Print|Print the current entry");
  Application->SetHint("Print|Print the current entry");  // unchanged: no event
  Application->SetHint("");
  Application->OnHint = savedHint;
  EXPECT_EQ(hints, (std::vector<String>{"Print|Print the current entry", ""}));
  EXPECT_EQ(GetShortHint("Print|Print the current entry"), "Print");
  EXPECT_EQ(GetLongHint("Print|Print the current entry"), "Print the current entry");
  EXPECT_EQ(GetLongHint("Only"), "Only");

  THelpViewer::Instance().SetHelpFolder((qytest::SourceDir() / "resources/help").string());
  EXPECT_TRUE(Application->HelpContext(86));
  EXPECT_EQ(THelpViewer::Instance().CurrentPage(), "preferences.html");
  EXPECT_TRUE(Application->HelpKeyword("Manage Journals"));
  EXPECT_EQ(THelpViewer::Instance().CurrentPage(), "manage-journals.html");
  EXPECT_FALSE(Application->HelpContext(99999));
  THelpViewer::Instance().Close();
}

// A dialog narrower than its caption is widened when shown, so the title bar
// shows the caption whole; a window without a title bar keeps its size.
TEST(FormTest, ADialogIsWideEnoughForItsCaption) {
  const struct {
    const char* Caption;
    TFormBorderStyle Border;
    int Width;
    bool Widened;
  } cases[] = {
      {"Change Password Dialog", bsDialog, 150, true},
      {"Add Journal", bsDialog, 600, false},
      {"Splash", bsNone, 60, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    TForm form(nullptr);
    form.SetBorderStyle(c.Border);
    form.SetCaption(c.Caption);
    form.SetWidth(c.Width);
    form.Show();
    if (c.Widened) {
      EXPECT_GE(form.GetWidth(), CaptionFitWidth(c.Caption));
      // Measured: a longer caption needs more room.
      EXPECT_GT(CaptionFitWidth(String(c.Caption) + " with more words"), CaptionFitWidth(c.Caption));
    } else {
      EXPECT_EQ(form.GetWidth(), c.Width);
    }
    form.Hide();
  }
}

TEST(ApplicationTest, ScreenFontsAreSortedWithoutCase) {
  TStrings& fonts = Screen->Fonts();
  ASSERT_GT(fonts.Count(), 0);
  for (int i = 1; i < fonts.Count(); ++i) EXPECT_LT(AnsiCompareText(fonts[i - 1], fonts[i]), 0) << "twice or unsorted";
  // Families, not foundries: "Name [foundry]" entries are folded into one.
  for (int i = 0; i < fonts.Count(); ++i) EXPECT_EQ(fonts[i].find(" ["), String::npos) << fonts[i];
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_LE(Screen->WorkAreaHeight(), Screen->Height());
}

TEST(ApplicationTest, ANewFormsClientSizeIsRightBeforeItIsShown) {
  auto form = std::make_unique<TForm>(nullptr);
  EXPECT_EQ(form->ClientWidth(), form->GetWidth());
  form->SetClientWidth(432);
  form->SetClientHeight(210);
  EXPECT_EQ(form->ClientWidth(), 432);
  EXPECT_EQ(form->ClientHeight(), 210);
}

TEST(ApplicationTest, ReleaseFreesTheFormAfterTheHandler) {
  bool destroyed = false;
  auto* form = new TForm(nullptr);
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  form->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  form->Show();
  form->Close();
  EXPECT_FALSE(destroyed);
  for (int i = 0; i < 3 && !destroyed; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
  EXPECT_TRUE(destroyed);
}

}  // namespace

namespace {

// The window system hands the keyboard back to the journal window while a
// menu is open (a pop-up window of ours went meanwhile; on a busy machine
// the window manager answers late): once the menu closes, the journal
// window is the active one again, not none or the window that went.
TEST(ApplicationTest, TheWindowGivenTheKeyboardDuringAMenuIsActiveAfterIt) {
  TForm journal(nullptr);
  journal.SetBounds(40, 40, 300, 200);
  journal.Show();
  QWidget* window = WindowWidgetOf(&journal);
  QApplication::setActiveWindow(window);
  TForm colours(nullptr);
  colours.SetBounds(60, 60, 120, 90);
  colours.Show();
  QWidget* popupWindow = WindowWidgetOf(&colours);
  popupWindow->activateWindow();
  QApplication::setActiveWindow(popupWindow);
  ASSERT_EQ(QApplication::activeWindow(), popupWindow);

  QMenu menu;
  menu.addAction("Fo&rmat");
  menu.popup(QPoint(50, 50));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == &menu; }, 60000))
      << "the menu to open";
  colours.Hide();
  window->windowHandle()->requestActivate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == window->windowHandle(); }, 60000))
      << "the window system to hand the keyboard to the journal window";
  menu.close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }, 60000))
      << "the active window is "
      << (QApplication::activeWindow() ? QApplication::activeWindow()->windowTitle().toStdString() : "none");
  journal.Hide();
}

}  // namespace
