// A drag source renders formats only when a target reads them.
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Forms.h"

#include <QMimeData>
#include <gtest/gtest.h>

#include <map>

namespace {

TEST(DragSource, LazyFormatsRenderOnceAndOnlyWhenRead) {
  TForm form(nullptr);
  TCustomControl view(&form);
  view.SetParent(&form);
  const Word vlf = RegisterClipboardFormat("Vellum Format");
  const Word rtf = RegisterClipboardFormat("Rich Text Format");
  std::map<Word, int> renders;
  auto lazy = [&](Word format, AnsiString bytes) {
    return [&renders, format, bytes] {
      ++renders[format];
      return bytes;
    };
  };
  TDragSource source;
  source.SetLazyData(vlf, lazy(vlf, AnsiString("\x02\x00\x00\x00" "ab", 6)));
  source.SetLazyData(rtf, lazy(rtf, "{\\rtf1 ab}"));
  source.SetLazyData(CF_UNICODETEXT, lazy(CF_UNICODETEXT, AnsiString("a\0b\0\0\0", 6)));

  // The formats are offered before anything is rendered.
  TDragData offered(source.MimeData());
  EXPECT_TRUE(offered.HasFormat(vlf));
  EXPECT_TRUE(offered.HasFormat(rtf));
  EXPECT_TRUE(offered.HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(renders.empty());

  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    TDragData data(r.Drag);
    EXPECT_TRUE(renders.empty());
    EXPECT_EQ(data.GetData(vlf), AnsiString("\x02\x00\x00\x00" "ab", 6));
    EXPECT_EQ(data.GetData(vlf), AnsiString("\x02\x00\x00\x00" "ab", 6));
    EXPECT_EQ(data.GetAsUnicodeText(), u"ab");
    return DROPEFFECT_COPY;
  });
  EXPECT_EQ(source.Execute(&view, DROPEFFECT_COPY), DROPEFFECT_COPY);
  // Read twice, rendered once; the rich text nobody read was never made.
  EXPECT_EQ(renders, (std::map<Word, int>{{vlf, 1}, {CF_UNICODETEXT, 1}}));

  // Rendering ahead keeps what the format said then.
  AnsiString text = "before";
  TDragSource ahead;
  ahead.SetLazyData(CF_TEXT, [&] { return text; });
  ahead.PreRenderFormat(CF_TEXT);
  text = "after";
  EXPECT_EQ(TDragData(ahead.MimeData()).GetAsText(), "before");
  // Setting bytes replaces a lazy format.
  ahead.SetLazyData(vlf, [] { return AnsiString("lazy"); });
  ahead.SetData(vlf, "eager");
  EXPECT_EQ(TDragData(ahead.MimeData()).GetData(vlf), "eager");
  EXPECT_EQ(ahead.MimeData()->formats().count(QString::fromUtf8(ClipboardFormatMimeType(vlf).c_str())), 1);
}

}  // namespace
