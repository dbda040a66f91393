#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(ClipboardTest, RegisteredFormatsAreStableAndMapToMimeTypes) {
  const std::pair<const char*, const char*> cases[] = {
      {"Vellum Format", "application/x-vellum-format"},
      {"Rich Text Format", "text/rtf"},
      {"UniformResourceLocator", "text/uri-list"},
      {"HTML Format", "text/html"},
  };
  std::vector<Word> ids;
  for (auto& [name, mime] : cases) {
    Word id = RegisterClipboardFormat(name);
    EXPECT_GE(id, 0xC000);
    EXPECT_EQ(ClipboardFormatMimeType(id), mime);
    EXPECT_EQ(RegisterClipboardFormat(name), id);
    ids.push_back(id);
  }
  EXPECT_EQ(RegisterClipboardFormat("vellum format"), ids[0]);
  EXPECT_EQ(RegisterClipboardFormat(""), 0);
  EXPECT_EQ(ClipboardFormatMimeType(RegisterClipboardFormat("Spell Words/1")), "application/x-quillory-spell-words-1");
}

TEST(ClipboardTest, CustomFormatAndUnicodeTextRoundTripAsOneContent) {
  Word vlf = RegisterClipboardFormat("Vellum Format");
  Word rtf = RegisterClipboardFormat("Rich Text Format");
  // A block with a length prefix and bytes that are not text.
  AnsiString block("\x05\x00\x00\x00\x00\xff\x80\r\n", 9);
  WideString text = u"Entry \u00e9\u4e2d\U0001F600 end";
  Clipboard().Open();
  Clipboard().Clear();
  Clipboard().SetData(vlf, block);
  Clipboard().SetAsUnicodeText(text);
  Clipboard().SetData(rtf, "{\\rtf1 x}");
  EXPECT_EQ(Clipboard().GetData(vlf), block);  // readable while open
  Clipboard().Close();

  EXPECT_TRUE(Clipboard().HasFormat(vlf));
  EXPECT_TRUE(Clipboard().HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(Clipboard().HasFormat(rtf));
  EXPECT_FALSE(Clipboard().HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard().GetData(vlf), block);
  EXPECT_EQ(Clipboard().GetAsUnicodeText(), text);
  EXPECT_EQ(Clipboard().GetAsText(), "Entry \xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80 end");
  EXPECT_EQ(Clipboard().GetData(rtf), "{\\rtf1 x}");

  // Outside Open a single format replaces the whole content.
  Clipboard().SetAsText("plain");
  EXPECT_FALSE(Clipboard().HasFormat(vlf));
  EXPECT_EQ(Clipboard().GetAsUnicodeText(), u"plain");
}

TEST(ClipboardTest, PicturesGoThroughBitmaps) {
  TBitmap bmp(4, 3);
  bmp.Canvas()->Brush.Color = clBlue;
  bmp.Canvas()->FillRect(Rect(0, 0, 4, 3));
  Clipboard().Assign(bmp);
  EXPECT_TRUE(Clipboard().HasPicture());
  TBitmap back;
  ASSERT_TRUE(Clipboard().GetBitmap(back));
  EXPECT_EQ(back.GetWidth(), 4);
  EXPECT_EQ(back.ToImage().pixelColor(1, 1), QColor(0, 0, 255));
}

// A program asking for the bitmap as a DIB gets one: a BITMAPINFOHEADER of
// the picture's size, the pixels after it, and set back it is the picture.
TEST(ClipboardTest, AReportedDibHasTheBytesOfThePicture) {
  auto le = [](const AnsiString& b, size_t at, int n) {
    int64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    return v;
  };
  const std::pair<int, int> sizes[] = {{4, 3}, {1, 1}, {33, 7}};
  for (auto [w, h] : sizes) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TBitmap bmp(w, h);
    bmp.Canvas()->Brush.Color = clRed;
    bmp.Canvas()->FillRect(Rect(0, 0, w, h));
    Clipboard().Assign(bmp);
    ASSERT_TRUE(Clipboard().HasFormat(CF_DIB));
    const std::vector<Word> formats = Clipboard().Formats();
    EXPECT_NE(std::find(formats.begin(), formats.end(), CF_DIB), formats.end());
    const AnsiString dib = Clipboard().GetData(CF_DIB);
    ASSERT_GE(dib.size(), 40u);
    EXPECT_GE(le(dib, 0, 4), 40);  // header size
    EXPECT_EQ(le(dib, 4, 4), w);
    EXPECT_EQ(std::abs(static_cast<int>(static_cast<int32_t>(le(dib, 8, 4)))), h);
    const int bits = static_cast<int>(le(dib, 14, 2));
    const size_t stride = static_cast<size_t>(((w * bits + 31) / 32) * 4);
    EXPECT_GE(dib.size(), static_cast<size_t>(le(dib, 0, 4)) + stride * static_cast<size_t>(h));

    Clipboard().Clear();
    Clipboard().SetData(CF_DIB, dib);
    TBitmap back;
    ASSERT_TRUE(Clipboard().GetBitmap(back));
    EXPECT_EQ(back.GetWidth(), w);
    EXPECT_EQ(back.GetHeight(), h);
    EXPECT_EQ(back.ToImage().pixelColor(w - 1, h - 1), QColor(255, 0, 0));
  }
  // Bytes that are no DIB put no picture on the clipboard.
  for (const AnsiString& junk : {AnsiString(), AnsiString(39, 'x'), AnsiString("\xff\xff\xff\xff", 4) + AnsiString(60, 0)}) {
    Clipboard().SetAsText("none");
    Clipboard().SetData(CF_DIB, junk);
    EXPECT_FALSE(Clipboard().HasPicture());
  }
}

// A target that takes text and follows the usual effect rule.
class TTextTarget : public TDropTarget {
public:
  int DragEnter(const TDragData& d, TShiftState s, TPoint, int allowed) override { return Decide(d, s, allowed); }
  int DragOver(const TDragData& d, TShiftState s, TPoint, int allowed) override { return Decide(d, s, allowed); }
  void DragLeave() override { ++Left; }
  int Drop(const TDragData& d, TShiftState s, TPoint p, int allowed) override {
    Dropped = d.GetAsText();
    At = p;
    return Decide(d, s, allowed);
  }
  int Decide(const TDragData& d, TShiftState s, int allowed) {
    return d.HasFormat(CF_TEXT) ? ChooseDropEffect(s, allowed, d.FromSameControl) : DROPEFFECT_NONE;
  }
  String Dropped;
  TPoint At;
  int Left = 0;
};

TEST(DragDropTest, DropTargetNegotiatesTheEffectAndReadsTheData) {
  TForm form(nullptr);
  TPanel panel(&form);
  panel.SetParent(&form);
  TTextTarget target;
  RegisterDropTarget(&panel, &target);
  QMimeData text;
  text.setText("dragged words");
  QMimeData image;
  image.setImageData(QImage(2, 2, QImage::Format_RGB32));

  auto send = [&](QEvent::Type type, const QMimeData* data, Qt::DropActions actions, Qt::KeyboardModifiers mods) {
    QDropEvent* e = nullptr;
    if (type == QEvent::DragEnter)
      e = new QDragEnterEvent(QPoint(5, 6), actions, data, Qt::LeftButton, mods);
    else if (type == QEvent::DragMove)
      e = new QDragMoveEvent(QPoint(5, 6), actions, data, Qt::LeftButton, mods);
    else
      e = new QDropEvent(QPointF(5, 6), actions, data, Qt::LeftButton, mods);
    QCoreApplication::sendEvent(WidgetOf(&panel), e);
    std::pair<bool, Qt::DropAction> result{e->isAccepted(), e->dropAction()};
    delete e;
    return result;
  };
  struct Case {
    QEvent::Type type;
    const QMimeData* data;
    Qt::DropActions actions;
    Qt::KeyboardModifiers mods;
    bool accepted;
    Qt::DropAction action;
  };
  const Case cases[] = {
      {QEvent::DragEnter, &text, Qt::CopyAction | Qt::MoveAction, Qt::NoModifier, true, Qt::CopyAction},
      {QEvent::DragMove, &text, Qt::MoveAction | Qt::LinkAction, Qt::NoModifier, true, Qt::LinkAction},
      {QEvent::DragMove, &image, Qt::CopyAction, Qt::NoModifier, false, Qt::CopyAction},
      {QEvent::Drop, &text, Qt::CopyAction, Qt::ControlModifier, true, Qt::CopyAction},
      // A source that only moves gets a link: the drag goes on with its
      // move, the drop is taken without an action so that it keeps its data.
      {QEvent::DragEnter, &text, Qt::MoveAction, Qt::ControlModifier, true, Qt::MoveAction},
      {QEvent::DragMove, &text, Qt::MoveAction, Qt::ControlModifier, true, Qt::MoveAction},
      {QEvent::Drop, &text, Qt::MoveAction, Qt::ControlModifier, true, Qt::IgnoreAction},
      {QEvent::DragEnter, &text, Qt::MoveAction, Qt::NoModifier, true, Qt::MoveAction},
      {QEvent::Drop, &text, Qt::MoveAction, Qt::NoModifier, true, Qt::IgnoreAction},
  };
  for (const Case& c : cases) {
    auto [accepted, action] = send(c.type, c.data, c.actions, c.mods);
    EXPECT_EQ(accepted, c.accepted) << c.type;
    if (accepted) {
      EXPECT_EQ(action, c.action) << c.type;
    }
  }
  EXPECT_EQ(target.Dropped, "dragged words");
  EXPECT_EQ(target.At, Point(5, 6));

  // The effect rule by itself.
  EXPECT_EQ(ChooseDropEffect({}, DROPEFFECT_COPY | DROPEFFECT_MOVE, true), DROPEFFECT_MOVE);
  EXPECT_EQ(ChooseDropEffect({ssCtrl}, DROPEFFECT_COPY | DROPEFFECT_MOVE, true), DROPEFFECT_COPY);
  EXPECT_EQ(ChooseDropEffect({}, DROPEFFECT_COPY | DROPEFFECT_MOVE, false), DROPEFFECT_COPY);
  EXPECT_EQ(ChooseDropEffect({}, DROPEFFECT_LINK, false), DROPEFFECT_LINK);
  EXPECT_EQ(ChooseDropEffect({}, DROPEFFECT_MOVE, true), DROPEFFECT_MOVE);
  EXPECT_EQ(ChooseDropEffect({ssCtrl}, DROPEFFECT_MOVE, true), DROPEFFECT_LINK);
  EXPECT_EQ(ChooseDropEffect({ssCtrl}, DROPEFFECT_MOVE, false), DROPEFFECT_LINK);
  EXPECT_EQ(ChooseDropEffect({}, DROPEFFECT_MOVE, false), DROPEFFECT_LINK);
  RegisterDropTarget(&panel, nullptr);
  EXPECT_FALSE(WidgetOf(&panel)->acceptDrops());
}

TEST(DragDropTest, DragSourceOffersItsFormatsThroughTheHook) {
  TForm form(nullptr);
  TPanel panel(&form);
  panel.SetParent(&form);
  Word vlf = RegisterClipboardFormat("Vellum Format");
  TDragSource source;
  source.SetData(vlf, AnsiString("\x01\x00\x00\x00Z", 5));
  source.SetAsText("Z");
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    EXPECT_EQ(r.Kind, TInteractionKind::DragDrop);
    EXPECT_EQ(r.Buttons, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    TDragData data(r.Drag);
    EXPECT_EQ(data.GetData(vlf), AnsiString("\x01\x00\x00\x00Z", 5));
    EXPECT_EQ(data.GetAsText(), "Z");
    return DROPEFFECT_MOVE | DROPEFFECT_LINK;  // only allowed effects come back
  });
  EXPECT_EQ(source.Execute(&panel, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
}

}  // namespace
