#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Forms.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(FileDialogTest, ScriptedChoiceAndRecordedSettings) {
  TForm owner(nullptr);
  TSaveDialog save(&owner);
  save.Filter = "Vellum Files (*.vlf)|*.vlf|HTML (*.htm;*.html)|*.htm;*.html";
  save.FilterIndex = 1;
  save.DefaultExt = "vlf";
  save.InitialDir = "/tmp";
  save.Options |= ofOverwritePrompt;
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    r.FileName = "/tmp/entry.htm";
    r.FilterIndex = 2;
    return mrOk;
  });
  script.Answer(mrCancel);
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, "/tmp/entry.htm");
  EXPECT_EQ(save.FilterIndex, 2);
  EXPECT_EQ(save.Files().Count(), 1);
  const TInteraction& shown = script.Shown[0];
  EXPECT_EQ(shown.Kind, TInteractionKind::SaveDialog);
  EXPECT_EQ(shown.Filter, save.Filter);
  EXPECT_EQ(shown.InitialDir, "/tmp");
  EXPECT_TRUE(shown.Options & ofOverwritePrompt);
  // Cancel changes nothing.
  EXPECT_FALSE(save.Execute());
  EXPECT_EQ(save.FileName, "/tmp/entry.htm");
}

TEST(FileDialogTest, OpenSeveralFiles) {
  TOpenDialog open(nullptr);
  open.Options |= ofAllowMultiSelect | ofFileMustExist;
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    r.Files = {"/a/one.txt", "/a/two.txt"};
    r.FileName = r.Files[0];
    return mrOk;
  });
  ASSERT_TRUE(open.Execute());
  EXPECT_EQ(open.Files().ToVector(), (std::vector<String>{"/a/one.txt", "/a/two.txt"}));
  EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::OpenDialog);
}

TEST(FontColorDialogTest, ChoicesComeBackAndTheRestIsKept) {
  TFontDialog fd(nullptr);
  fd.Font.SetName("Liberation Sans");
  fd.Font.SetSize(10);
  fd.Font.SetColor(clRed);
  TColorDialog cd(nullptr);
  cd.Color = clYellow;
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    EXPECT_EQ(r.Font.Name, "Liberation Sans");
    EXPECT_EQ(r.Font.Size, 10);
    r.Font.Name = "DejaVu Serif";
    r.Font.Size = 14;
    r.Font.Style = 1 | 2;
    return mrOk;
  });
  script.Do([](TInteraction& r) {
    EXPECT_EQ(r.Color, clYellow);
    r.Color = clTeal;
    return mrOk;
  });
  ASSERT_TRUE(fd.Execute());
  EXPECT_EQ(fd.Font.GetName(), "DejaVu Serif");
  EXPECT_EQ(fd.Font.GetSize(), 14);
  EXPECT_EQ(fd.Font.GetStyle(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(fd.Font.GetColor(), clRed);
  ASSERT_TRUE(cd.Execute());
  EXPECT_EQ(cd.Color, clTeal);
}

TEST(FindDialogTest, ButtonsFireTheEventsWithTheOptions) {
  TReplaceDialog rd(nullptr);
  rd.Options = frDown | frMatchCase;
  std::vector<String> log;
  rd.OnFind = [&](TObject*) { log.push_back("find " + rd.FindText + " " + std::to_string(rd.Options & frFindNext)); };
  rd.OnReplace = [&](TObject*) {
    log.push_back("replace " + rd.ReplaceText + ((rd.Options & frReplaceAll) ? " all" : " one"));
  };
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    EXPECT_EQ(r.Kind, TInteractionKind::ReplaceDialog);
    auto* dlg = static_cast<TReplaceDialog*>(r.FindDialog);
    dlg->PressFindNext();  // empty find text: nothing runs
    dlg->FindText = "teh";
    dlg->ReplaceText = "the";
    dlg->PressFindNext();
    dlg->PressReplace(false);
    dlg->PressReplace(true);
    return mrOk;
  });
  EXPECT_TRUE(rd.Execute());
  EXPECT_EQ(log, (std::vector<String>{"find teh 8", "replace the one", "replace the all"}));
  EXPECT_TRUE(rd.Options & frMatchCase);
}

TEST(FindDialogTest, RealWindowKeepsSearchButtonsOffWhileEmpty) {
  TFindDialog fd(nullptr);
  int finds = 0;
  fd.OnFind = [&](TObject*) { ++finds; };
  ASSERT_TRUE(fd.Execute());  // the real, modeless window
  EXPECT_TRUE(fd.Visible());
  ASSERT_FALSE(fd.FWindow->SearchButtons.empty());
  EXPECT_FALSE(fd.FWindow->SearchButtons[0]->isEnabled());
  fd.FWindow->Find->setText("word");
  EXPECT_TRUE(fd.FWindow->SearchButtons[0]->isEnabled());
  fd.FWindow->SearchButtons[0]->click();
  EXPECT_EQ(finds, 1);
  EXPECT_EQ(fd.FindText, "word");
  fd.CloseDialog();
  EXPECT_FALSE(fd.Visible());
}

}  // namespace
