// A real viewer window with a document of several screens: styles, a list,
// a picture and a selection, checked and kept as viewer.png
// (support/Screenshots.h). Runs only on a real display; CTest runs it as
// test_richtext_view_screenshots.
#include "ViewerFixture.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "richtext/model/VLMarkers.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <filesystem>

TEST(ViewerScreenshot, MultiPageDocumentWithSelection) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  TForm form(nullptr);
  form.SetText("Viewer");
  form.SetBounds(40, 40, 640, 520);
  TVLStyle style(nullptr);
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) {
    style.TextStyles->Items(i)->FontName = "Arial";
    style.TextStyles->Items(i)->Unicode = true;
  }
  style.TextStyles->Items(1)->Size = 16;
  style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
  style.TextStyles->Items(1)->Color = 0x803000;
  style.TextStyles->Items(2)->Style = TFontStyles{fsItalic};
  TFontInfo* link = style.TextStyles->Add();
  link->Jump = true;
  link->Unicode = true;
  link->Color = clBlue;
  link->Style = TFontStyles{fsUnderline};
  const Integer linkStyle = style.TextStyles->Count() - 1;
  style.ParaStyles->Items(0)->SpaceAfter = 6;
  TParaInfo* quote = style.ParaStyles->Add();
  quote->LeftIndent = 30;
  quote->Background.Color = 0xE8F0F8;
  quote->Border.Style = vlbSingle;
  quote->Border.Color = 0xA0A0A0;
  const Integer quotePara = style.ParaStyles->Count() - 1;
  TVLListLevel* level = style.ListStyles->Add()->Levels->Add();
  level->ListType = vllstDecimal;
  level->FormatString = "%0:s.";
  level->MarkerIndent = 12;
  level->LeftIndent = 36;

  TVellum view(&form);
  view.SetParent(&form);
  view.SetAlign(alClient);
  view.SetStyle(&style);
  view.AddTextItem("A day by the river", 1, 0);
  view.AddTextItem("We walked along the water in the morning; the light was ", 0, 0);
  view.AddTextItem("quiet and grey", 2, -1);
  view.AddTextItem(", and the garden smelled of rain. See ", 0, -1);
  view.AddTextItem("the map of the valley", linkStyle, -1);
  view.AddTextItem(" for the path we took.", 0, -1);
  for (const char* entry : {"letters to answer", "seeds for the garden", "call the library"}) {
    view.VLData()->SetListMarker(view.ItemCount(), 0, 0, 1, 0, false);
    view.AddTextItem(entry, 0, -1);
  }
  view.AddTextItem("\"Rivers know this: there is no hurry. We shall get there some day.\"", 2, quotePara);
  view.AddTextItem("A sketch of the bridge: ", 0, 0);
  auto* picture = new TVLGraphicItemInfo(view.VLData());
  picture->StyleNo = vlsPicture;
  picture->ParaNo = -1;
  auto bitmap = std::make_unique<TBitmap>(160, 80);
  bitmap->Canvas()->Brush.Color = 0xC8A070;
  bitmap->Canvas()->FillRect(TRect(0, 0, 160, 80));
  bitmap->Canvas()->Brush.Color = 0x406080;
  bitmap->Canvas()->Ellipse(20, 30, 140, 110);
  picture->Image = std::move(bitmap);
  view.AddItem("", picture);
  for (int day = 1; day <= 60; ++day)
    view.AddTextItem("Day " + std::to_string(day) +
                         ": the evening was long and the letters I wrote were short; I remembered the garden "
                         "and the quiet light over the water.",
                     0, 0);
  // A paper-like tiled background under the text.
  TBitmap tile(24, 24);
  tile.Canvas()->Brush.Color = 0xF4F8FC;
  tile.Canvas()->FillRect(TRect(0, 0, 24, 24));
  tile.Canvas()->Brush.Color = 0xE4ECF4;
  tile.Canvas()->FillRect(TRect(0, 23, 24, 24));
  view.SetBackgroundBitmap(&tile);
  view.SetBackgroundStyle(bsTiledAndScrolled);
  view.Format();
  view.SetSelectionBounds(1, 13, 3, 12);
  form.Show();
  view.SetFocus();
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  EXPECT_GT(view.GetDocumentHeight(), 3 * view.ClientHeight()) << "several screens";
  // The background shows between the lines.
  const QImage grabbed = WindowWidgetOf(&form)->grab().toImage();
  EXPECT_EQ(grabbed.pixel(form.ClientWidth() - 40, form.ClientHeight() - 3) & 0xFFFFFF, 0xFCF8F4u & 0xFFFFFF)
      << "tile colour at the bottom right";
  // The tile, the heading's blue, the link's blue and the quotation's ground.
  EXPECT_EQ(qytest::KeepScreenshot(grabbed, "viewer.png", {600, 460, {0xFCF8F4, 0x003080, 0x0000FF, 0xF8F0E8}}), "");
  form.Hide();
}
