// Escaping, colour and token helpers, and the break and rectangle items'
// own behaviour.
#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLTextItems.h"

#include <gtest/gtest.h>

TEST(TextItemHelpers, HtmlAndRtfEscaping) {
  struct TCase {
    AnsiString In, Html, Rtf;
  };
  const TCase cases[] = {
      {" ", "&nbsp;", " "},
      {"a  b", "a&nbsp; b", "a  b"},
      {"<&>", "&lt;&amp;&gt;", "<&>"},
      {"{x}", "{x}", "\\{x\\}"},
      {"\x1B", "\x1B", "\x1B"},
      {"\xE9", "\xE9", "\\'e9"},
      {"a\\b\x01", "a\\b\x01", "a\\\\b\\'01"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(MakeHTMLStr(c.In, false, false), c.Html) << c.In;
    EXPECT_EQ(MakeRTFStr(c.In, false), c.Rtf) << c.In;
  }
  EXPECT_EQ(MakeHTMLStr("", true, false), "&nbsp;");
  EXPECT_EQ(MakeHTMLStr("<b>", false, true), "<b>");
  EXPECT_EQ(MakeRTFName("a{b}\\c"), "a_b__c");
  EXPECT_EQ(MakeRTFBookmarkName("to do-list"), "to_do_list");
  EXPECT_EQ(FormatHint(vlhmHTML, "say \"hi\" <now>"), "title=\"say 'hi' &lt;now&gt;\"");
  EXPECT_EQ(UnicodeRTFStr(AnsiString("\x2D\x4E", 2), 1252, false, false), "\\u20013 ");
  EXPECT_EQ(UnicodeRTFStr(AnsiString("\xFD\xFF", 2), 1252, false, false), "\\u-3 ");
  EXPECT_EQ(UnicodeRTFStr(AnsiString("A\0\xE9\0", 4), 1252, false, true), "A\\u233 \\'e9");
}

TEST(TextItemHelpers, ColoursAndSizes) {
  EXPECT_EQ(ColorToHtml(0x0000FF), "#FF0000");
  EXPECT_EQ(ColorToHtml(clWindowText), "#000000");
  EXPECT_EQ(ColorToHtml(clNone), "");
  EXPECT_EQ(ColorToHtmlOrTransparent(clNone), "transparent");
  EXPECT_EQ(FontSizeToHtml(12), 3);
  EXPECT_EQ(FontSizeToHtml(36), 7);
  EXPECT_EQ(FontSizeToHtml(8), 1);
  EXPECT_EQ(CharsetToHtmlName(204), "Windows-1251");
  EXPECT_EQ(CharsetToHtmlName(0), "");
  struct TMode {
    TVLColorMode Mode;
    TColor Fore, Back;
  };
  const TMode modes[] = {
      {vlcmColor, clYellow, clYellow},
      {vlcmPrinterColor, clYellow, clYellow},
      {vlcmGrayScale, ColorToGray(clYellow), ColorToGray(clYellow)},
      {vlcmBlackAndWhite, clBlack, clWhite},
      {vlcmBlackOnWhite, clBlack, clWhite},
  };
  for (const TMode& m : modes) {
    EXPECT_EQ(ApplyColorModeFore(clYellow, m.Mode), m.Fore) << m.Mode;
    EXPECT_EQ(ApplyColorModeBack(clYellow, m.Mode), m.Back) << m.Mode;
    EXPECT_EQ(ApplyColorModeFore(clNone, m.Mode), clNone);
  }
  EXPECT_EQ(ApplyColorModeFore(clWhite, vlcmBlackOnWhite), clWhite);
  EXPECT_EQ(FixSystemColor(clBtnShadow), 0x808080);
  EXPECT_EQ(PixelsToTwips(96), 1440);
  EXPECT_EQ(TwipsToPixels(720), 48);
}

TEST(TextItemHelpers, FontTags) {
  TVLStyle style(nullptr);
  TFontInfo& base = *style.TextStyles->Items(0);
  TFontInfo& bold = *style.TextStyles->Items(1);  // bold, blue
  EXPECT_EQ(OpenFontTag(bold, base, true), "<FONT color=#0000FF><B>");
  EXPECT_EQ(CloseFontTag(bold, base, true), "</B></FONT>");
  bold.VShift = 30;
  EXPECT_EQ(OpenFontTag(bold, base, false), "<FONT size=2 color=#0000FF face=\"Arial\"><B><SUP>");
  EXPECT_EQ(CloseFontTag(bold, base, false), "</SUP></B></FONT>");
  TFont f;
  f.SetName("Arial");
  f.SetSize(12);
  f.SetStyle({fsBold, fsUnderline});
  f.SetColor(clRed);
  EXPECT_EQ(FontToCSS(f), "font: bold 12pt 'Arial'; text-decoration: underline; color: #FF0000;");
}

TEST(TextItemHelpers, VlfTokensAndHex) {
  const char* p = "- 5";
  Integer v = 9;
  EXPECT_TRUE(VLFReadNumber(p, v));
  EXPECT_EQ(v, 0);
  p = "12a";
  EXPECT_FALSE(VLFReadNumber(p, v));
  p = "";
  EXPECT_FALSE(VLFReadNumber(p, v));
  p = "99999999999";
  EXPECT_FALSE(VLFReadNumber(p, v));
  Integer it;
  AnsiString st;
  bool has;
  p = "x";
  EXPECT_FALSE(VLFReadTagToken(p, false, true, it, st, has));
  p = "0";
  EXPECT_TRUE(VLFReadTagToken(p, true, true, it, st, has));
  EXPECT_FALSE(has);
  p = "\"0\"";
  EXPECT_TRUE(VLFReadTagToken(p, true, true, it, st, has));
  EXPECT_TRUE(has);
  EXPECT_EQ(st, "0");
  p = "\"a\"\"b\" rest";
  AnsiString q;
  EXPECT_TRUE(VLFReadQuotedString(p, q));
  EXPECT_EQ(q, "a\"b");
  EXPECT_STREQ(p, "rest");
  EXPECT_EQ(VLFHexToString("4a4B"), "JK");
  EXPECT_EQ(VLFHexToString("4A4"), "");
  EXPECT_EQ(VLFSaveTag(true, 0, ""), "0");
  EXPECT_EQ(VLFSaveTag(true, 0, "a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(VLFWideToHex(u"\u4E2D"), "4E2D");
  EXPECT_EQ(VLFHexToWide("4E2D"), u"\u4E2D");
  EXPECT_EQ(VLFEncodeLineBreaks("a\r\nb"), "a\x01\x02" "b");
  EXPECT_EQ(VLFDecodeLineBreaks("a\x01\x02" "b"), "a\r\nb");
}

TEST(TextItemHelpers, BreakAndRectangleItems) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLBreakItemInfo b(&doc);
  b.LineWidth = 1;
  EXPECT_EQ(VLBreakAsText(b, 4), "----");
  b.LineWidth = 2;
  EXPECT_EQ(VLBreakAsText(b, 0), "=");
  b.Color = clNone;
  EXPECT_EQ(VLBreakColor(b, &style), style.TextStyles->Items(0)->Color);

  auto pic = TVLGraphicItemInfo::CreateEx(&doc, std::make_unique<TBitmap>(10, 50), vlvaBaseline);
  pic->VShift = 20;
  EXPECT_EQ(VLRectVShiftCSS(*pic, &style), "vertical-align : 10");
  pic->VShiftAbs = true;
  EXPECT_EQ(VLRectVShiftCSS(*pic, &style), "vertical-align : 20");
  pic->VAlign = vlvaMiddle;
  EXPECT_EQ(VLRectVShiftCSS(*pic, &style), "");

  // A break painted into a bitmap lies on the line 5 pixels below its top.
  TBitmap bmp(40, 20);
  bmp.Canvas()->Brush.Color = clWhite;
  bmp.Canvas()->FillRect(TRect(0, 0, 40, 20));
  b.Color = clRed;
  b.LineWidth = 1;
  b.Style = 0;
  VLPaintBreak(b, 0, 40, 2, *bmp.Canvas(), {}, &style);
  EXPECT_EQ(bmp.Canvas()->GetPixel(20, 7), clRed);
  EXPECT_EQ(bmp.Canvas()->GetPixel(20, 12), clWhite);
  EXPECT_EQ(bmp.Canvas()->GetPixel(2, 7), clWhite);
}
