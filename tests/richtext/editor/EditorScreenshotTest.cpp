// A real editor window after typing: a heading, styled paragraphs, a list, a
// selection and the caret, checked and kept as editor.png
// (support/Screenshots.h). Runs only on a real display; CTest runs it as
// test_richtext_editor_screenshots.
#include "EditorFixture.h"

#include "richtext/model/VLMarkers.h"
#include "support/Screenshots.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <cstdlib>
#include <filesystem>

using namespace qytest;

TEST(EditorScreenshot, TypedEntryWithSelectionAndCaret) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  TEditor e;
  e.Form->SetText("Editor");
  e.Form->SetBounds(40, 40, 560, 400);
  e.Edit->SetAlign(alClient);
  TVLStyle& s = e.Style;
  s.TextStyles->Items(1)->Size = 16;
  s.TextStyles->Items(1)->Color = 0x803000;
  TFontInfo* italic = s.TextStyles->Add();
  italic->Assign(s.TextStyles->Items(0));
  italic->Style = TFontStyles{fsItalic};
  const Integer italicStyle = s.TextStyles->Count() - 1;
  s.ParaStyles->Items(0)->SpaceAfter = 6;
  TVLListLevel* level = s.ListStyles->Add()->Levels->Add();
  level->ListType = vllstDecimal;
  level->FormatString = "%0:s.";
  level->MarkerIndent = 12;
  level->LeftIndent = 36;

  e.Edit->SetCurTextStyleNo(1);
  e.Type("Tuesday by the river");
  e.Key(Qt::Key_Return);
  e.Edit->SetCurTextStyleNo(0);
  e.Type("We walked along the water in the morning; the light was ");
  e.Edit->SetCurTextStyleNo(italicStyle);
  e.Type("quiet and grey");
  e.Edit->SetCurTextStyleNo(0);
  e.Type(", and the garden smelled of rain.");
  e.Key(Qt::Key_Return);
  e.Type("Things to do:");
  e.Key(Qt::Key_Return);
  e.Edit->ApplyListStyle(0, 0, 1, false);
  e.Type("answer the letters");
  e.Key(Qt::Key_Return);
  e.Type("seeds for the garden");
  e.Key(Qt::Key_Return);
  e.Type("call the library");
  e.Key(Qt::Key_Return);
  e.Edit->RemoveLists();
  e.Type("In the evening I wrote this entry and read it again.");
  // The last two words selected by the keyboard; the caret at their start.
  e.Key(Qt::Key_Left);
  e.Key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
  e.Key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_TRUE(e.D().SelectionExists());
  EXPECT_EQ(e.Edit->GetSelText(), "it again");
  QCoreApplication::processEvents();
  EXPECT_TRUE(e.Edit->CaretVisible());
  // The heading's blue.
  EXPECT_EQ(KeepScreenshot(WindowWidgetOf(e.Form.get())->grab().toImage(), "editor.png", {500, 340, {0x003080}}), "");
}
