// Every window the program shows belongs to the window it was shown over
// (its transient parent, which keeps it above that window under a window
// manager and lets a pop-up of a modal dialog take input), and the focus
// comes back to where it was once a modal dialog closes.
#include "FindReportSupport.h"

#include "actions/ColorVLFrm.h"
#include "actions/VLColorCombo.h"
#include "actions/BorderSidesVLFrm.h"
#include "app/QYAbout.h"
#include "app/QYAddJournal.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

using namespace qytest;

namespace {

QWindow* WindowOf(TCustomForm* f) { return WidgetOf(f)->window()->windowHandle(); }

class DialogOwnersTest : public testing::Test {
protected:
  DialogOwnersTest() {
    Journal = W.OpenWindow("Diary", 0);
    TMainJournalWorld::Editor(Journal)->InsertText("a line of text");
    W.Main->Show();
    WidgetOf(W.Main)->window()->activateWindow();
    QApplication::setActiveWindow(WidgetOf(W.Main)->window());
    Journal->EditorWindow->FocusEditor();
    Application->ProcessMessages();
  }

  TFindReportWorld W;
  TOpenJournal* Journal = nullptr;
};

TEST_F(DialogOwnersTest, EveryFormOfTheProgramBelongsToTheMainWindow) {
  std::unique_ptr<TForm> add(new TdlgAddJournal(nullptr));
  std::unique_ptr<TForm> password(new TPasswordDlg(nullptr));
  std::unique_ptr<TForm> change(new TChangePasswordDlg(nullptr));
  std::unique_ptr<TForm> preferences(new TdlgPreferences(nullptr));
  std::unique_ptr<TForm> about(new TdlgAboutBox(nullptr));
  about->DoCreate();
  const std::vector<TForm*> forms = {add.get(),        password.get(),   change.get(),      preferences.get(),
                                     about.get(),      W.Find.get(),     W.Preview.get(),   W.Progress.get(),
                                     W.Selection.get(), W.Activity.get()};
  for (TForm* f : forms) {
    SCOPED_TRACE(f->GetName());
    // Shown modally (the script answers once it is up) and as a window.
    TInteractionScript script;
    QWindow* owner = nullptr;
    script.Do([&](TInteraction& r) {
      owner = r.Form->OwnerWindow();
      return static_cast<int>(mrCancel);
    });
    f->ShowModal();
    EXPECT_EQ(owner, WindowOf(W.Main));
    f->Show();
    EXPECT_EQ(f->OwnerWindow(), WindowOf(W.Main));
    f->Hide();
    QApplication::setActiveWindow(WidgetOf(W.Main)->window());
  }
}

TEST_F(DialogOwnersTest, TheSelectionBelongsToTheFindWindowItIsOpenedFrom) {
  // The record selection over the stay-on-top find window.
  ActionGlobalFindExecute();
  ASSERT_TRUE(W.Find->GetVisible());
  {
    TInteractionScript script;
    QWindow* owner = nullptr;
    script.Do([&](TInteraction& r) {
      owner = r.Form->OwnerWindow();
      return static_cast<int>(mrCancel);
    });
    W.Find->pbSelection->Click();
    EXPECT_EQ(owner, WindowOf(W.Find.get()));
  }
  W.Find->Close();
}

TEST_F(DialogOwnersTest, AColourDropDownBelongsToTheModalDialogItDropsFrom) {
  // The colour drop-down of the paragraph borders dialog.
  auto* borders = dynamic_cast<TCustomAction*>(W.Main->FindComponent("vlActionParaBorder"));
  ASSERT_NE(borders, nullptr);
  TInteractionScript script;
  QWindow* dialog = nullptr;
  QWindow* popupOwner = nullptr;
  bool opened = false;
  script.Do([&](TInteraction& r) {
    auto* sides = dynamic_cast<TfrmVLBorderSides*>(r.Form);
    if (!sides) return static_cast<int>(mrCancel);
    dialog = WindowOf(sides);
    QTest::mouseClick(WidgetOf(sides->cmbColor), Qt::LeftButton, {}, QPoint(5, 5));
    if (TfrmColor* popup = sides->cmbColor->PopupForm()) {
      opened = popup->GetVisible();
      popupOwner = popup->OwnerWindow();
      popup->Close();
    }
    return static_cast<int>(mrCancel);
  });
  ASSERT_TRUE(borders->Execute());
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(opened);
  EXPECT_EQ(popupOwner, dialog);
}

TEST_F(DialogOwnersTest, TheFocusComesBackToTheEntryAfterEachModalDialog) {
  for (const char* name : {"vlActionParaBorder", "vlActionParagraph", "vlActionFontEx", "vlActionFillColor",
                           "vlActionInsertSymbol", "vlActionParaList"}) {
    SCOPED_TRACE(name);
    auto* a = dynamic_cast<TCustomAction*>(W.Main->FindComponent(name));
    ASSERT_NE(a, nullptr);
    Journal->EditorWindow->FocusEditor();
    Application->ProcessMessages();
    ASSERT_TRUE(Journal->EditorWindow->EditorFocused());
    TInteractionScript script;
    for (int i = 0; i < 3; ++i) script.Answer(mrCancel);
    a->Execute();
    Application->ProcessMessages();
    EXPECT_FALSE(script.Shown.empty());
    EXPECT_TRUE(Journal->EditorWindow->EditorFocused());
    // The commands that follow the focused editor are live without a click.
    auto* undo = dynamic_cast<TCustomAction*>(W.Main->FindComponent("vlActionUndo"));
    W.Main->ActionList->UpdateActions();
    EXPECT_TRUE(undo->GetEnabled());
  }
}

}  // namespace
