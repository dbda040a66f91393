// The spelling dialog, the options dialog and the thesaurus, checked and
// kept (support/Screenshots.h). Runs only on a real display; CTest runs it
// as test_spellvl_screenshots.
#include "SpellEditorSupport.h"

#include "platform/gui/ControlsPrivate.h"
#include "spell/scConfigDialogs.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

// The window with its frame's content: the form's top-level widget.
void Save(TCustomForm* form, const char* name, qytest::TPictureCheck check) {
  ASSERT_NE(form, nullptr);
  Settle();
  QWidget* w = WindowWidgetOf(form);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(qytest::KeepScreenshot(w->grab().toImage(), name, check), "");
}

TEST(SpellScreenshot, SpellingOptionsAndThesaurus) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  spellvltest::TSpellEditor w;
  w.Spell->ConfigAvailableOptions = {soLiveSpelling, soLiveCorrect, soUpcase, soNumbers,
                                     soPrimaryOnly,  soRepeated,    soDUalCaps};
  const std::string text =
      "Today the weather was fine and we walked to the harbor. The boats were quiet and the gulls "
      "were loud. I am happy with teh day.";
  w.SetText({text});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  ASSERT_EQ(w.Dialog()->NotFoundEdit->GetText(), "teh");
  Save(w.Dialog(), "spelling.png", {432, 160, {}});

  {
    TSpellCheckConfigDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    d.Show();
    Save(&d, "spell-options.png", {300, 300, {}});
    d.Hide();
  }
  w.Spell->CancelCheck();

  const Integer caret = static_cast<Integer>(text.find("happy")) + 3;  // in "happy"
  w.E.Edit->SetSelectionBounds(0, caret, 0, caret);
  TInteractionScript thesaurus;
  thesaurus.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TThesDialog*>(r.Form);
    if (d) {
      d->ContextLV->SetItemIndex(2);
      d->SelectContext(2);
      d->WordList->SetItemIndex(0);
      d->SelectWord(0);
      Save(d, "thesaurus.png", {350, 200, {}});
    }
    return static_cast<int>(mrCancel);
  });
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
}

}  // namespace
