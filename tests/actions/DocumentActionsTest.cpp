#include "actions/VLActionsDocument.h"
#include "actions/VLActionsInsert.h"

#include "EditorBench.h"

#include <gtest/gtest.h>

namespace {

TEST(DocumentColour, SetsTheColourAndMarksOnlyDocumentsThatSaveIt) {
  struct Case {
    const char* Name;
    bool SavesBack, ReadOnly, SameColour;
    TColor Expected;
    bool Modified;
  } cases[] = {
      {"saved background", true, false, false, clYellow, true},
      {"background not saved", false, false, false, clYellow, false},
      {"read-only entry that saves it", true, true, false, clNone, false},
      {"the colour it already has", true, false, true, clYellow, false},
  };
  for (const Case& c : cases) {
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "text");
    if (c.SavesBack) b.Edit->VLFOptions.Include(vlfoSaveBack);
    else b.Edit->VLFOptions.Exclude(vlfoSaveBack);
    b.Edit->SetColor(c.SameColour ? clYellow : clNone);
    b.Edit->Modified = false;
    b.Edit->SetReadOnly(c.ReadOnly);
    auto* action = new TvlActionColor(b.Form);
    action->SetControl(b.Edit);
    action->UserInterface = vlacNone;
    action->SetColor(clYellow);
    ASSERT_TRUE(action->Execute()) << c.Name;
    EXPECT_EQ(b.Edit->GetColor(), c.Expected) << c.Name;
    EXPECT_EQ(b.Edit->Modified, c.Modified) << c.Name;
  }
}

TEST(DocumentColour, TheCurrentColourFallsBackToTheStyleSheets) {
  TEditorBench b;
  b.Sheet->Color = clAqua;
  TvlActionColor action(b.Form);
  b.Edit->SetColor(clNone);
  EXPECT_EQ(action.GetCurrentColor(ActionEditorOf(b.Edit)), clAqua);
  b.Edit->SetColor(clLime);
  EXPECT_EQ(action.GetCurrentColor(ActionEditorOf(b.Edit)), clLime);
}

}  // namespace
