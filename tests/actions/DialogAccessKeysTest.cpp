// Every dialog of the editing commands by keyboard alone: each key a
// caption shows ("&X") does with Alt what a click does. A button is
// pressed, a check box toggled, a radio or picture button checked, each
// taking the focus; a label's key moves the focus to its control; a page's
// key turns to that page. No two controls in view show the same key, in
// any language. The find and replace windows take their keys so too.
// The find and replace windows open with the keyboard in the find field.
#include "ActionTestSupport.h"
#include "support/AccessKeyWalk.h"
#include "EditorBench.h"
#include "actions/BackVLFrm.h"
#include "actions/ColorVLFrm.h"
#include "actions/FillColorVLFrm.h"
#include "actions/FourSidesVLFrm.h"
#include "actions/FontVLFrm.h"
#include "actions/HypVLFrm.h"
#include "actions/InsTableVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/ListGalleryVLFrm.h"
#include "actions/ListVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaListVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/SymbolVLFrm.h"
#include "actions/TableBackVLFrm.h"
#include "actions/TableBrdrVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsFind.h"
#include "actions/VLOfficeRadioBtn.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/model/VLStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

using namespace qytest::keywalk;

class DialogAccessKeys : public ::testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    SwitchLanguage("English (US)");
  }
};

struct TDialog {
  const char* Name;
  std::function<TCustomForm*()> Make;
  // Another state of a dialog above it, walked in every language only.
  bool State = false;
};

// The list dialog on a numbered level that starts at 3, so that its start
// shows; or with the level turned to a picture.
TfrmVLParaList* NumberedListDialog(bool picture) {
  auto* f = CreateVLForm<TfrmVLParaList>(nullptr);
  TVLStyle sheet(nullptr);
  TVLListLevel* level = sheet.ListStyles->Add()->Levels->Add();
  level->ListType = vllstDecimal;
  level->FormatString = "%0:s.";
  level->StartFrom = 3;
  f->SetListInfo(*sheet.ListStyles->Items(0));
  if (picture) {
    f->cmbNumbers->SetItemIndex(6);
    f->cmbNumbersClick(f->cmbNumbers);
  }
  return f;
}

// Every dialog of the editing commands, made in the current language.
const std::vector<TDialog>& Dialogs() {
  static const std::vector<TDialog> dialogs = {
      {"row count",
       [] {
         auto* f = CreateVLForm<TfrmInteger>(nullptr);
         f->SetFormCaption(LanguageText(545));
         f->SetControlText(f->_lbl, LanguageText(546));
         return f;
       }},
      {"paste special",
       [] {
         auto* f = CreateVLForm<TfrmVLList>(nullptr);
         f->FillPasteFormats(LanguageText(212));
         return f;
       }},
      {"font", [] { return CreateVLForm<TfrmVLFont>(nullptr); }},
      {"paragraph", [] { return CreateVLForm<TfrmVLPara>(nullptr); }},
      {"borders", [] { return CreateVLForm<TfrmVLParaBrdr>(nullptr); }},
      {"fill colour",
       [] {
         auto* f = CreateVLForm<TfrmVLFillColor>(nullptr);
         f->AddElement(vlafcaText);
         f->AddElement(vlafcaParagraph);
         return f;
       }},
      {"four sides", [] { return CreateVLForm<TfrmVLFourSides>(nullptr); }},
      {"spacing", [] { return CreateVLForm<TfrmVLSpacing>(nullptr); }},
      {"symbol", [] { return CreateVLForm<TfrmVLInsertSymbol>(nullptr); }},
      {"insert table", [] { return CreateVLForm<TfrmInsTable>(nullptr); }},
      {"split cells", [] { return CreateVLForm<TfrmVLSplit>(nullptr); }},
      {"split cells, unmerging",
       [] {
         auto* f = CreateVLForm<TfrmVLSplit>(nullptr);
         f->rbUnmerge->SetChecked(true);
         return f;
       },
       true},
      {"table borders", [] { return CreateVLForm<TfrmVLTableBrdr>(nullptr); }},
      // A flat border names its one colour otherwise and hides the light one.
      {"table borders, flat",
       [] {
         auto* f = CreateVLForm<TfrmVLTableBrdr>(nullptr);
         f->SetBorder(vltbColor, clBtnFace, clBlack, 1);
         return f;
       },
       true},
      {"table background", [] { return CreateVLForm<TfrmVLTableBack>(nullptr); }},
      {"background", [] { return CreateVLForm<TfrmVLBack>(nullptr); }},
      {"table properties",
       [] {
         auto* f = CreateVLForm<TfrmVLItemProp>(nullptr);
         for (TTabSheet* t : {f->tsImage, f->tsImgLayout, f->tsBreak}) f->HideTabSheet(t);
         return f;
       }},
      {"picture properties",
       [] {
         auto* f = CreateVLForm<TfrmVLItemProp>(nullptr);
         for (TTabSheet* t : {f->tsTable, f->tsRows, f->tsCells, f->tsBreak}) f->HideTabSheet(t);
         return f;
       }},
      {"line properties",
       [] {
         auto* f = CreateVLForm<TfrmVLItemProp>(nullptr);
         for (TTabSheet* t : {f->tsImage, f->tsImgLayout, f->tsTable, f->tsRows, f->tsCells}) f->HideTabSheet(t);
         return f;
       }},
      // With a text and a target, so that OK takes its key.
      {"hyperlink",
       [] {
         auto* f = CreateVLForm<TfrmVLHyp>(nullptr);
         f->txtText->SetText("text");
         f->txtTarget->SetText("https://example.org/");
         return f;
       }},
      {"hyperlink attributes", [] { return CreateVLForm<TfrmVLHypProp>(nullptr); }},
      {"list gallery", [] { return CreateVLForm<TfrmVLListGallery>(nullptr); }},
      {"customize list", [] { return CreateVLForm<TfrmVLParaList>(nullptr); }},
      {"customize list, numbers", [] { return NumberedListDialog(false); }, true},
      {"customize list, picture", [] { return NumberedListDialog(true); }, true},
  };
  return dialogs;
}

TEST_F(DialogAccessKeys, EveryKeyShownDoesWhatAClickDoes) {
  for (const TDialog& d : Dialogs()) {
    if (d.State) continue;
    SCOPED_TRACE(d.Name);
    EXPECT_EQ(WalkDialog(d.Make), std::vector<std::string>{});
  }
}

class TranslatedDialogAccessKeys : public ::testing::Test {
protected:
  void SetUp() override { Application->Initialize(); }
  void TearDown() override {
    // The dialogs name the palette's colours in their language; later tests read them in English.
    SwitchLanguage("English (US)");
    LocalizePaletteNames();
  }
};

// The keys two texts share where both texts are fixed as they stand (a
// language's own choice of letter); the key moves the focus along them.
struct TFixedShare {
  const char* Language;
  const char* Dialog;
  const char* Page;
  char16_t Key;
};
const TFixedShare kFixedShares[] = {
    {"English (US)", "background", "", u'O'},                // &Open..., C&olor:
    {"English (US)", "table properties", "", u'C'},          // &Cell &spacing:, &Cell Borders...
    {"English (US)", "customize list", "", u'F'},            // &Font..., &First line indent:
    {"English (US)", "customize list, numbers", "", u'F'},   // the same
    {"Dutch (NL)", "font", "page 1: ", u'O'},                // &Offset:, &Om&hoog
    {"Francais", "table properties", "page 5: ", u'V'},      // &Valider, Côtés &visibles:
    {"Francais", "hyperlink attributes", "", u'A'},          // B&ackground, &Annuler
};

// Each language's texts in each dialog, by keyboard: on each page every key
// a control shows is its own and reaches it.
TEST_F(TranslatedDialogAccessKeys, EveryLanguageGivesEachControlAKeyOfItsOwn) {
  ASSERT_EQ(LanguageCount(), 15);
  for (int l = 0; l < LanguageCount(); ++l) {
    const TVLALanguageName name = LanguageInfo(l).Name;
    SwitchLanguage(name);
    for (const TDialog& d : Dialogs())
      for (const std::string& fault : CheckKeys(d.Make, [&](const std::string& page, int key) {
             return std::any_of(std::begin(kFixedShares), std::end(kFixedShares), [&](const TFixedShare& f) {
               return name == f.Language && std::string(d.Name) == f.Dialog && page == f.Page && key == f.Key;
             });
           }))
        ADD_FAILURE() << name << ", " << d.Name << ": " << fault;
  }
}

// The find and replace windows so too, in each language.
TEST_F(TranslatedDialogAccessKeys, TheFindAndReplaceWindowsGiveEachControlAKeyOfItsOwn) {
  TEditorBench b;
  auto* find = new TvlActionFind(b.Form);
  auto* replace = new TvlActionReplace(b.Form);
  find->SetControl(b.Edit);
  replace->SetControl(b.Edit);
  TEditorBench::Fill(b.Edit, "some text");
  b.Form->Show();
  for (int l = 0; l < LanguageCount(); ++l) {
    const TVLALanguageName name = LanguageInfo(l).Name;
    SwitchLanguage(name);
    for (bool replacing : {false, true}) {
      TBasicAction& action = replacing ? static_cast<TBasicAction&>(*replace) : *find;
      ASSERT_TRUE(action.Execute());
      TFindDialog* d = replacing ? static_cast<TFindDialog*>(replace->ReplaceDialog())
                                 : static_cast<TFindDialog*>(find->FindDialog());
      ASSERT_NE(d, nullptr);
      QDialog* window = d->FWindow->Dialog;
      ASSERT_TRUE(ActivateWindow(window));
      // A text to find: the search buttons wait for one.
      d->FWindow->Find->setText("text");
      Settle();
      for (const std::string& fault : CheckWindowKeys(window))
        ADD_FAILURE() << name << ", " << (replacing ? "replace" : "find") << " window: " << fault;
      // Its clicks held, the window goes; the next language's is a new one.
      d->CloseDialog();
      delete d;
      Settle();
    }
  }
}

// The two keys that did nothing: Alt+C and Alt+R in the Paragraph dialog
// leave Left chosen, Alt+D in the Borders dialog does not choose Double.
TEST_F(DialogAccessKeys, PictureButtonsTakeTheirKeys) {
  struct TCase {
    const char* Name;
    std::function<TCustomForm*()> Make;
    std::function<TVLOfficeRadioGroup*(TCustomForm*)> Group;
    Qt::Key Key;
    Integer Chosen;
  };
  const TCase cases[] = {
      {"paragraph, Center", [] { return CreateVLForm<TfrmVLPara>(nullptr); },
       [](TCustomForm* f) { return static_cast<TfrmVLPara*>(f)->gbAlignment; }, Qt::Key_C, 2},
      {"paragraph, Right", [] { return CreateVLForm<TfrmVLPara>(nullptr); },
       [](TCustomForm* f) { return static_cast<TfrmVLPara*>(f)->gbAlignment; }, Qt::Key_R, 1},
      {"borders, Double", [] { return CreateVLForm<TfrmVLParaBrdr>(nullptr); },
       [](TCustomForm* f) { return static_cast<TfrmVLParaBrdr*>(f)->rgBorderType; }, Qt::Key_D, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::unique_ptr<TCustomForm> form(c.Make());
    TVLOfficeRadioGroup* group = c.Group(form.get());
    group->SetItemIndex(0);
    form->Show();
    QWidget* window = WindowWidgetOf(form.get());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
    Settle();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, c.Key, Qt::AltModifier);
    Settle();
    EXPECT_EQ(group->GetItemIndex(), c.Chosen);
    EXPECT_TRUE(group->Buttons(c.Chosen)->Focused());
    form->Hide();
  }
}

// Find, then Replace opened again after the keyboard was left on a button:
// typing goes into the find field over its old text, and Space there is a
// space, not a tick in Match case.
TEST_F(DialogAccessKeys, TheFindWindowsOpenWithTheKeyboardInTheFindField) {
  TEditorBench b;
  auto* find = new TvlActionFind(b.Form);
  auto* replace = new TvlActionReplace(b.Form);
  find->SetControl(b.Edit);
  replace->SetControl(b.Edit);
  TEditorBench::Fill(b.Edit, "some text");
  b.Form->Show();
  for (bool replacing : {false, true}) {
    SCOPED_TRACE(replacing ? "replace" : "find");
    TBasicAction& action = replacing ? static_cast<TBasicAction&>(*replace) : *find;
    ASSERT_TRUE(action.Execute());
    TFindDialog* d = replacing ? static_cast<TFindDialog*>(replace->ReplaceDialog())
                               : static_cast<TFindDialog*>(find->FindDialog());
    ASSERT_NE(d, nullptr);
    QDialog* window = d->FWindow->Dialog;
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
    Settle();
    ASSERT_NE(window->focusWidget(), nullptr);
    QTest::keyClicks(window->focusWidget(), "old");
    // The keyboard left on a button (Match case's box here), the window closed.
    d->FWindow->MatchCase->setFocus();
    d->CloseDialog();
    Settle();
    ASSERT_TRUE(action.Execute());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
    Settle();
    // The window's keyboard (whether or not the window manager has made it
    // the active one yet).
    EXPECT_EQ(window->focusWidget(), d->FWindow->Find);
    QTest::keyClicks(window->focusWidget(), "new words");
    EXPECT_EQ(d->FWindow->Find->text().toStdString(), "new words");
    EXPECT_FALSE(d->FWindow->MatchCase->isChecked());
    d->CloseDialog();
    Settle();
  }
}

}  // namespace
