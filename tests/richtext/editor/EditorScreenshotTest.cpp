// A real editor window after typing: a heading, styled paragraphs, a list, a
// selection and the caret, saved for review to docs/screenshots/editor.png.
// Runs only on a real display:
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" test_richtext_editor --gtest_filter=EditorScreenshot*
#include "EditorFixture.h"

#include "richtext/model/VLMarkers.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <cstdlib>
#include <filesystem>

using namespace qytest;

TEST(EditorScreenshot, TypedEntryWithSelectionAndCaret) {
  if (!std::getenv("DISPLAY") || QGuiApplication::platformName() != "xcb")
    GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
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
  QPixmap shot = WindowWidgetOf(e.Form.get())->grab();
  ASSERT_FALSE(shot.isNull());
  auto out = qytest::SourceDir() / "docs/screenshots/editor.png";
  std::filesystem::create_directories(out.parent_path());
  ASSERT_TRUE(shot.save(QString::fromStdString(out.string()), "PNG"));
}
