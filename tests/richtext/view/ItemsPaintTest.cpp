// A laid-out document with a photo, a rule, bullets, a hotspot, a control and
// a tiled background, painted through the items' own painting where layout
// placed them. With QY_SCREENSHOT_DIR set the picture is kept there as
// items.png.
#include "LayoutFixture.h"

#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/model/CtrlImg.h"
#include "richtext/model/VLBack.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>

using namespace qytest;

namespace {

std::unique_ptr<TJPEGImage> Photo() {
  QImage img(240, 150, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient sky(0, 0, 0, 150);
  sky.setColorAt(0, QColor(80, 140, 220));
  sky.setColorAt(1, QColor(250, 210, 150));
  p.fillRect(img.rect(), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 240, 180));
  p.drawEllipse(QPoint(180, 45), 18, 18);
  p.setBrush(QColor(50, 120, 60));
  p.drawEllipse(QPoint(60, 190), 180, 90);
  p.setBrush(QColor(30, 90, 45));
  p.drawEllipse(QPoint(220, 200), 140, 90);
  p.end();
  TBitmap b;
  b.SetImage(img);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(&b);
  jpeg->Compress();
  return jpeg;
}

// A bullet, a star and a lit star, 14 x 14.
std::unique_ptr<TImageList> Marks() {
  auto list = std::make_unique<TImageList>(nullptr, 14, 14);
  for (QColor c : {QColor(40, 90, 160), QColor(200, 150, 20), QColor(250, 90, 30)}) {
    QImage img(14, 14, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    if (list->Count() == 0) {
      p.drawEllipse(QRectF(3, 3, 8, 8));
    } else {
      QPolygonF star;
      for (int k = 0; k < 10; ++k) {
        const double r = k % 2 ? 3 : 7, a = k * 3.14159265 / 5 - 3.14159265 / 2;
        star << QPointF(7 + r * std::cos(a), 7 + r * std::sin(a));
      }
      p.drawPolygon(star);
    }
    p.end();
    list->AddImage(img);
  }
  return list;
}

std::unique_ptr<TBitmap> Paper() {
  auto b = std::make_unique<TBitmap>(24, 24);
  TCanvas* c = b->Canvas();
  c->Brush.Color = 0xF4F8FC;
  c->FillRect(TRect(0, 0, 24, 24));
  c->Pen.Color = 0xE8DCD0;
  c->MoveTo(0, 23);
  c->LineTo(24, 23);
  c->MoveTo(23, 0);
  c->LineTo(23, 24);
  return b;
}

struct TItemsDoc : TLayoutDoc {
  TItemsDoc() {
    Data.Measurer = TVLTextMeasurer::Default();
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) Style.TextStyles->Items(i)->FontName = "Arial";
    Style.TextStyles->Items(1)->Size = 14;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    Style.HoverColor = clRed;
    Data.Width = 460;
    List = Marks();
    Back.AssignImage(Paper(), nullptr);
    Back.Style = bsTiled;
  }
  Integer Add(TCustomVLItemInfo* item, Integer styleNo, Integer paraNo) {
    item->StyleNo = styleNo;
    item->ParaNo = paraNo;
    Data.AddItem("", item);
    return Data.GetItemCount() - 1;
  }
  void Build() {
    Text("Saturday by the river", 1, 0);
    Text("We walked to the old bridge before breakfast.", 0, 0);
    auto photo = TVLGraphicItemInfo::CreateEx(&Data, Photo(), vlvaBaseline);
    PhotoItem = Add(photo.release(), vlsPicture, 0);
    auto* rule = new TVLBreakItemInfo(&Data);
    rule->LineWidth = 2;
    rule->Color = 0x806040;
    Add(rule, vlsBreak, 0);
    for (const char* entry : {"letters to answer", "seeds for the garden", "call the library"}) {
      auto* bullet = new TVLBulletItemInfo(&Data);
      bullet->ImageList = List.get();
      BulletItem = Add(bullet, vlsBullet, 0);
      Text(AnsiString(" ") + entry, 0, -1);
    }
    Text("Favourite of the day ", 0, 0);
    auto* hot = new TVLHotspotItemInfo(&Data);
    hot->ImageList = List.get();
    hot->ImageIndex = 1;
    hot->HotImageIndex = 2;
    HotspotItem = Add(hot, vlsHotspot, -1);
    Text("Mark the entry: ", 0, 0);
    auto* button = new TButton(nullptr);
    button->SetBounds(0, 0, 110, 26);
    button->SetText("Save the day");
    auto* control = new TVLControlItemInfo(&Data);
    control->Control = button;
    ControlItem = Add(control, vlsComponent, -1);
  }

  // Background, then every piece through its item's painting. The control
  // is drawn as printing images it (a live control paints itself).
  QImage Paint(Integer hotItem) {
    QImage image(Data.Width, Data.DocumentHeight + 10, QImage::Format_RGB32);
    TCanvas canvas;
    canvas.SetDevice(&image);
    Back.Draw(&canvas, TRect(0, 0, image.width(), image.height()), 0, 0, 0, 0, image.width(), image.height(),
              clWhite, true);
    for (Integer i = 0; i < Data.DrawItems.Count(); ++i) {
      const TVLDrawLineInfo& di = DI(i);
      TCustomVLItemInfo* item = Data.GetItem(di.ItemNo);
      const Integer styleNo = Data.GetItemStyle(di.ItemNo);
      if (styleNo >= 0) {
        Style.ApplyStyle(&canvas, styleNo, vlbdUnspecified);
        canvas.Font.SetColor(styleNo == 1 ? 0x603010 : clBlack);
        canvas.Brush.Style = bsClear;
        const WideString text = Data.GetDisplayText(di.ItemNo).substr(static_cast<size_t>(di.TextOffset - 1),
                                                                      static_cast<size_t>(di.Length));
        canvas.SetTextAlign(0);
        canvas.TextOutW(di.Left + di.JustifyExtra, di.Top, text);
      } else if (item->GetBoolValue(0)) {
        item->PaintFullWidth(di.Left, Data.GetLeftMargin() + Data.TextWidth, di.Top, &canvas, {}, &Style,
                             TRect(0, 0, image.width(), image.height()), &Data);
      } else {
        TVLTextDrawStates state;
        if (di.ItemNo == hotItem) state = {vltsItemStart, vltsHover};
        item->Paint(di.Left, di.Top, &canvas, state, &Style, &Data);
        if (auto* c = dynamic_cast<TVLControlItemInfo*>(item))
          DrawControlTo(c->Control, canvas, di.Left + c->Spacing, di.Top + c->Spacing);
      }
    }
    canvas.ReleaseHandle();
    return image;
  }

  const TVLDrawLineInfo& PieceOf(Integer itemNo) { return DI(Data.GetItem(itemNo)->DrawItemNo); }

  std::unique_ptr<TImageList> List;
  TVLBackground Back{false};
  Integer PhotoItem = -1, BulletItem = -1, HotspotItem = -1, ControlItem = -1;
};

bool Near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 40;
}

}  // namespace

TEST(ItemsPaint, EveryItemKindPaintsWhereLayoutPlacedIt) {
  TItemsDoc d;
  d.Build();
  d.Format();
  const QImage image = d.Paint(d.HotspotItem);
  if (const char* dir = std::getenv("QY_SCREENSHOT_DIR")) image.save(QString::fromUtf8(dir) + "/items.png");

  const TVLDrawLineInfo& photo = d.PieceOf(d.PhotoItem);
  EXPECT_EQ(photo.Width, 242);
  EXPECT_EQ(photo.Height, 152);
  // The sun of the photo, one pixel of spacing in.
  EXPECT_TRUE(Near(image.pixel(photo.Left + 1 + 180, photo.Top + 1 + 45), qRgb(250, 240, 180)));
  const TVLDrawLineInfo& bullet = d.PieceOf(d.BulletItem);
  EXPECT_EQ(bullet.Width, 16);
  EXPECT_TRUE(Near(image.pixel(bullet.Left + 8, bullet.Top + 8), qRgb(40, 90, 160)));
  // The hotspot under the mouse shows its lit star in a hover frame.
  const TVLDrawLineInfo& hot = d.PieceOf(d.HotspotItem);
  EXPECT_TRUE(Near(image.pixel(hot.Left + 8, hot.Top + 8), qRgb(250, 90, 30)));
  EXPECT_EQ(image.pixel(hot.Left, hot.Top + 8), qRgb(255, 0, 0));
  const TVLDrawLineInfo& control = d.PieceOf(d.ControlItem);
  EXPECT_EQ(control.Width, 112);
  EXPECT_EQ(control.Height, 28);
  // The paper shows in the margin, one tile line every 24 pixels.
  EXPECT_TRUE(Near(image.pixel(2, 23), qRgb(0xD0, 0xDC, 0xE8)));
  EXPECT_TRUE(Near(image.pixel(2, 47), qRgb(0xD0, 0xDC, 0xE8)));
  EXPECT_TRUE(Near(image.pixel(2, 30), qRgb(0xFC, 0xF8, 0xF4)));
}
