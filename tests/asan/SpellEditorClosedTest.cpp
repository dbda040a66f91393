// A spelling check whose editor goes while the dialog waits (its window
// closed, its document replaced) ends without touching what went.
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"
#include "spellvl/VLSpellChecker.h"

#include "platform/base/CodePages.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TWindow {
  TWindow() : Style(nullptr) {
    Style.TextStyles->Items(0)->Unicode = true;
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 420, 320);
    Edit = new TVellumEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(0, 0, 400, 300);
    Edit->SetStyle(&Style);
    Edit->VLData()->AddTextItem(WideStringToRawUnicode(Utf8ToWide("teh wrods and mroe wrods")), 0, 0);
    Edit->Format();
    Form->Show();
  }
  TVLStyle Style;
  std::unique_ptr<TForm> Form;
  TVellumEdit* Edit;
};

TEST(SpellEditorClosed, CheckEndsWhenTheEditorGoesOrItsDocumentIsReplaced) {
  enum How { CloseWindow, ClearDocument, DeleteSpellChecker };
  for (How how : {CloseWindow, ClearDocument, DeleteSpellChecker}) {
    SCOPED_TRACE(how);
    qytest::TempDir tmp;
    auto spell = std::make_unique<TVLSpellChecker>(nullptr);
    spell->ConfigStorage = csNone;
    TStringList dirs;
    dirs.Add(tmp.str());
    dirs.Add(qytest::LinksToFiles(QY_BIN_DIR, ".spm"));
    spell->SetConfigDictionaryDir(dirs);
    spell->SetSuggestionsLearningDict(tmp.str() + "/learn.spl");
    spell->SynchronousCheck = false;
    TInteractionScript script;
    TWindow w;
    spell->CheckVellumEdit(w.Edit, ctWholeText);
    ASSERT_TRUE(spell->CheckRunning());
    ASSERT_NE(spell->Dialog(), nullptr);
    switch (how) {
      case CloseWindow: w.Form.reset(); break;
      case ClearDocument:
        spell->CancelCheck();
        w.Edit->Clear();
        break;
      case DeleteSpellChecker: spell.reset(); break;
    }
    Application->ProcessMessages();
    if (spell) {
      EXPECT_FALSE(spell->CheckRunning());
      EXPECT_EQ(spell->CurrentParser(), nullptr);
      // The dialog's buttons after the end do nothing harmful.
      spell->Ignore();
      spell->Change("x");
      spell->Cancel();
    }
    EXPECT_TRUE(script.Shown.empty());
  }
}

}  // namespace
