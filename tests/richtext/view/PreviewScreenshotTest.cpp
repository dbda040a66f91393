// A print preview window showing the first page of a journal entry, at full
// page and at 100 %, kept side by side as preview.png
// (support/Screenshots.h). Runs only on a real display; CTest runs it as
// test_richtext_view_screenshots.
#include "PrintFixture.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "richtext/view/VLPreview.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QPainter>
#include <QThread>
#include <QWidget>

namespace {

QImage Grab(TForm& form) {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  return WindowWidgetOf(&form)->grab().toImage();
}

}  // namespace

TEST(PreviewScreenshot, FullPageAndHundredPercent) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  qytest::TPrintDoc doc;
  TVLStyle& style = doc.Style;
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) {
    style.TextStyles->Items(i)->FontName = "Arial";
    style.TextStyles->Items(i)->Unicode = true;
  }
  style.TextStyles->Items(1)->Size = 18;
  style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
  style.TextStyles->Items(1)->Color = 0x803000;
  style.ParaStyles->Items(0)->SpaceAfter = 6;
  TParaInfo* quote = style.ParaStyles->Add();
  quote->LeftIndent = 30;
  quote->Background.Color = 0xE8F0F8;
  const Integer quotePara = style.ParaStyles->Count() - 1;
  doc.Add("A week by the river", 1, 0);
  for (int day = 1; day <= 40; ++day) {
    doc.Add("Day " + std::to_string(day) +
                ": the morning was grey and quiet; we walked along the water, wrote letters in the "
                "afternoon and remembered the garden in the evening light.",
            0, 0);
    if (day % 6 == 0) doc.Add("\"There is no hurry. We shall get there some day.\"", 0, quotePara);
  }
  TVellum header(nullptr), footer(nullptr);
  header.SetStyle(&style);
  footer.SetStyle(&style);
  header.AddTextItem("Journal, summer", 0, 0);
  footer.AddTextItem("Kept by the river", 0, 0);
  doc.Print.SetHeader(header.VLData());
  doc.Print.SetFooter(footer.VLData());
  ASSERT_GE(doc.Paginate(), 2);

  TForm form(nullptr);
  form.SetText("Print preview");
  form.SetBounds(40, 40, 560, 720);
  TVLPrintPreview preview(&form);
  preview.SetParent(&form);
  preview.SetAlign(alClient);
  preview.SetVLPrint(&doc.Print);
  preview.SetZoomMode(vlzmFullPage);
  form.Show();
  const QImage full = Grab(form);
  preview.SetZoomMode(vlzmPercent);
  preview.SetZoomPercent(100);
  EXPECT_EQ(preview.PageWidthZoomed, doc.Print.GetPreview100PercentWidth());
  const QImage actual = Grab(form);
  form.Hide();
  doc.Print.SetHeader(nullptr);
  doc.Print.SetFooter(nullptr);

  // Both side by side with a gap.
  QImage both(full.width() + 16 + actual.width(), std::max(full.height(), actual.height()), QImage::Format_RGB32);
  both.fill(QColor(0xFF, 0xFF, 0xFF));
  {
    QPainter painter(&both);
    painter.drawImage(0, 0, full);
    painter.drawImage(full.width() + 16, 0, actual);
  }
  // The white sheet, the heading's blue and the quotation's ground.
  EXPECT_EQ(qytest::KeepScreenshot(both, "preview.png", {1000, 600, {0xFFFFFF, 0x003080, 0xF8F0E8}}), "");
}
