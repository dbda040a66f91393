#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

// The application's main form becomes the MDI frame for the test's life.
class TMdiFixture : public ::testing::Test {
protected:
  void SetUp() override {
    Frame = new TForm(nullptr);
    Frame->SetFormStyle(fsMDIForm);
    Frame->SetBounds(0, 0, 800, 600);
    Saved = Application->MainForm;
    Application->MainForm = Frame;
    Frame->Show();
  }
  void TearDown() override {
    Application->MainForm = Saved;
    delete Frame;
  }
  TForm* NewChild(const String& caption) {
    auto* child = new TForm(nullptr);
    child->SetText(caption);
    child->SetFormStyle(fsMDIChild);
    child->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
    return child;
  }
  TForm* Frame = nullptr;
  TCustomForm* Saved = nullptr;
};

TEST_F(TMdiFixture, ClosingTheActiveChildActivatesTheNext) {
  std::vector<String> activations;
  TForm* a = NewChild("A");
  TForm* b = NewChild("B");
  TForm* c = NewChild("C");
  for (TForm* f : {a, b, c}) f->OnActivate = [&activations, f](TObject*) { activations.push_back(f->GetText()); };
  b->BringToFront();
  c->BringToFront();
  EXPECT_EQ(Frame->MDIChildCount(), 3);
  EXPECT_EQ(Frame->ActiveMDIChild(), c);
  EXPECT_EQ(Frame->MDIChildren(0), c);

  activations.clear();
  c->Close();  // caFree: freed once the handler has returned
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(Frame->MDIChildCount(), 2);
  EXPECT_EQ(Frame->ActiveMDIChild(), b);
  EXPECT_EQ(activations, (std::vector<String>{"B"}));

  b->Close();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(Frame->ActiveMDIChild(), a);
  a->Close();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(Frame->MDIChildCount(), 0);
  EXPECT_EQ(Frame->ActiveMDIChild(), nullptr);
}

// Closing the maximised child leaves the next one maximised in the whole
// area, not at its small normal size; closing a normal one changes nothing.
TEST_F(TMdiFixture, TheChildBelowAMaximisedOneTakesTheWholeArea) {
  for (bool maximised : {true, false}) {
    SCOPED_TRACE(maximised ? "maximised" : "normal");
    TForm* below = NewChild("Below");
    below->SetBounds(10, 10, 275, 200);
    TForm* top = NewChild("Top");
    top->SetBounds(30, 30, 275, 200);
    top->BringToFront();
    if (maximised) top->SetWindowState(wsMaximized);
    QCoreApplication::processEvents();
    ASSERT_EQ(Frame->ActiveMDIChild(), top);
    ASSERT_EQ(top->GetWindowState(), maximised ? wsMaximized : wsNormal);
    top->Close();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(Frame->ActiveMDIChild(), below);
    EXPECT_EQ(below->GetWindowState(), maximised ? wsMaximized : wsNormal);
    if (maximised) {
      EXPECT_GT(below->GetWidth(), 275);
      EXPECT_GT(below->GetHeight(), 200);
    } else {
      EXPECT_EQ(below->GetWidth(), 275);
    }
    delete below;
    QCoreApplication::processEvents();
  }
}

TEST_F(TMdiFixture, CloseQueryOfAChildCanRefuse) {
  TForm* a = NewChild("A");
  a->OnCloseQuery = [](TObject*, bool& can) { can = false; };
  a->Close();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(Frame->MDIChildCount(), 1);
  EXPECT_FALSE(Frame->CloseQuery());  // the frame asks its children
  a->OnCloseQuery = nullptr;
  delete a;
  EXPECT_EQ(Frame->MDIChildCount(), 0);
}

TEST_F(TMdiFixture, ToolBarAndStatusBarLeaveTheRestToTheChildren) {
  TToolBar bar(Frame);
  bar.SetParent(Frame);
  TStatusBar status(Frame);
  status.SetParent(Frame);
  TForm* a = NewChild("A");
  EXPECT_EQ(bar.GetTop(), 0);
  EXPECT_EQ(bar.GetWidth(), Frame->ClientWidth());
  EXPECT_EQ(status.GetTop() + status.GetHeight(), Frame->ClientHeight());
  a->Close();
  QCoreApplication::sendPostedEvents();
}

TEST(MdiChildTest, NeedsAnMdiFrame) {
  TForm orphan(nullptr);
  auto* saved = Application->MainForm;
  Application->MainForm = nullptr;
  EXPECT_THROW(orphan.SetFormStyle(fsMDIChild), EInvalidOperation);
  EXPECT_EQ(orphan.GetFormStyle(), fsNormal);
  Application->MainForm = saved;
}

}  // namespace
