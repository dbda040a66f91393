#include "EditorBench.h"
#include "actions/VLActionsFontDlg.h"
#include "actions/VLFontCombos.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/FontList.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

std::vector<String> Entries(TStrings& items) {
  std::vector<String> v;
  for (int i = 0; i < items.Count(); ++i) v.push_back(items.Get(i));
  return v;
}

TEST(FontCombosTest, SizesStayAscendingWithoutRepeats) {
  Application->Initialize();
  TStringList list;
  for (Integer size : {10, 8, 12, 10, 9, 72}) InsertFontSize(list, size);
  EXPECT_EQ(Entries(list), (std::vector<String>{"8", "9", "10", "12", "72"}));
}

TEST(FontCombosTest, ScriptsAreSortedOnceEachWithTheDefaultLastAndTheChoiceKept) {
  Application->Initialize();
  TForm form(nullptr);
  auto* box = new TVLFontCharsetComboBox(&form);
  box->SetParent(&form);
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->SetAddDefaultCharset(true);
  clicks = 0;
  struct Case {
    std::vector<std::pair<TFontCharset, String>> scripts;
    std::vector<String> shown;
    String selected;
  };
  const Case cases[] = {
      // Macintosh is never listed; a script reported twice is listed once.
      {{{204, "Cyrillic"}, {0, "western"}, {161, "Greek"}, {204, "Cyrillic"}, {77, "Mac"}},
       {"Cyrillic", "Greek", "western", "(Default)"},
       "Cyrillic"},
      {{{0, "Western"}, {161, "Greek"}}, {"Greek", "Western", "(Default)"}, "Greek"},
      {{{0, "Western"}, {238, "Central European"}}, {"Central European", "Western", "(Default)"}, "Central European"},
  };
  const int pick[] = {1, -1, -1};
  int n = 0;
  for (const Case& c : cases) {
    box->Fill(c.scripts);
    EXPECT_EQ(Entries(box->Items()), c.shown);
    EXPECT_EQ(box->Items().Get(box->GetItemIndex()), c.selected);
    EXPECT_EQ(box->Charsets(box->Items().Count() - 1), DEFAULT_CHARSET);
    EXPECT_EQ(clicks, 1);
    clicks = 0;
    // The user's pick: Greek is kept by the second list, not by the third.
    if (pick[n] >= 0) box->SetItemIndex(pick[n]);
    ++n;
  }
  box->SetAddDefaultCharset(true);
  EXPECT_EQ(clicks, 0);
}

TEST(FontCombosTest, TheSizeBoxTakesDigitsAndRefusesOtherCharactersWithABeep) {
  Application->Initialize();
  TForm form(nullptr);
  auto* box = new TVLFontSizeComboBox(&form);
  box->SetParent(&form);
  form.Show();
  QWidget* edit = WidgetOf(box)->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  const int beeps = BeepCount;
  QTest::keyClicks(edit, "1a2");
  EXPECT_EQ(box->GetText(), "12");
  EXPECT_EQ(BeepCount - beeps, 1);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(box->GetText(), "1");
  EXPECT_EQ(BeepCount - beeps, 1);
  // A scalable font lists the sixteen standard sizes.
  box->SetFontName("DejaVu Sans");
  if (FontIsScalable("DejaVu Sans")) {
    EXPECT_EQ(box->Items().Count(), 16);
  }
}

TEST(FontCombosTest, TheStandardFontCommandAppliesTheWholeFontItGets) {
  TEditorBench b;
  b.PlainSheet();
  TEditorBench::Fill(b.Edit, "word");
  b.Edit->SelectAll();
  auto* fonts = new TvlActionFonts(b.Form);
  fonts->SetControl(b.Edit);
  struct Case {
    int result;
    const char* name;
    int size;
  };
  for (const Case& c : {Case{mrCancel, "Arial", 10}, Case{mrOk, "Courier", 14}}) {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      EXPECT_EQ(r.Kind, TInteractionKind::FontDialog);
      EXPECT_EQ(r.Font.Name, "Arial");
      r.Font.Name = "Courier";
      r.Font.Size = 14;
      r.Font.Style = 1;
      return c.result;
    });
    b.Edit->SelectAll();
    ASSERT_TRUE(fonts->Execute());
    const TFontInfo& s = b.Text(b.Edit->GetItem(0)->StyleNo);
    EXPECT_EQ(s.FontName, c.name);
    EXPECT_EQ(s.Size, c.size);
    EXPECT_EQ(s.Style.Contains(fsBold), c.result == mrOk);
  }
}

}  // namespace
