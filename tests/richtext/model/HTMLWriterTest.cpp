// The two HTML writers: page frame, paragraphs and lists, spans and links,
// images written beside the page, and escaping of what an entry holds.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLMarkers.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

size_t Count(const AnsiString& s, const AnsiString& what) {
  size_t n = 0;
  for (size_t p = s.find(what); p != AnsiString::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

AnsiString Plain(TCustomVLData& d, TVLSaveOptions options = {}, const String& path = "") {
  TMemoryStream s;
  Integer no = 0;
  EXPECT_TRUE(d.SaveHTMLToStream(s, path, "T", "img", options, clNone, no, 0, 0, 0, 0, nullptr, nullptr));
  return s.Bytes();
}

AnsiString WithCSS(TCustomVLData& d, TVLSaveOptions options = {}, const String& external = "",
                   const String& path = "") {
  TMemoryStream s;
  Integer no = 0;
  TColor cur = clNone;
  EXPECT_TRUE(d.SaveHTMLToStreamCSS(s, path, "T", "img", "", external, "", options, clNone, cur, no, 0, 0,
                                    0, 0, nullptr, nullptr));
  return s.Bytes();
}

void AddList(TVLStyle& style, TVLListType type) {
  TVLListInfo* list = style.ListStyles->Add();
  for (int k = 0; k < 3; ++k) list->Levels->Add()->ListType = type;
}

}  // namespace

TEST(HTMLWriter, PageFrame) {
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  const AnsiString page = Plain(d);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\r\n<HTML><HEAD><TITLE>T</TITLE>\r\n<META charset=\"utf-8\">\r\n</HEAD>\r\n<BODY", 0), 0u);
  EXPECT_NE(page.find("</BODY></HTML>\r\n"), AnsiString::npos);
  const AnsiString first = Plain(d, TVLSaveOptions{vlsoFirstOnly});
  EXPECT_NE(first.find("<BODY"), AnsiString::npos);
  EXPECT_EQ(first.find("</BODY>"), AnsiString::npos);
  // The title is text, not markup.
  TMemoryStream s;
  Integer no = 0;
  d.SaveHTMLToStream(s, "", "<script>\"x\"", "", {}, clNone, no, 0, 0, 0, 0, nullptr, nullptr);
  EXPECT_NE(s.Bytes().find("<TITLE>&lt;script&gt;&quot;x&quot;</TITLE>"), AnsiString::npos);
}

TEST(HTMLWriter, TextAndBlanks) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(5)->Unicode = true;
  TVLDocumentData d(&style);
  d.AddTextItem("   rest <&>", 0, 0);
  d.AddTextItem(AnsiString("a\0\x01\x00\x3D\xD8\x00\xDE", 8), 5, 0);
  const AnsiString page = Plain(d);
  EXPECT_NE(page.find("&nbsp;&nbsp; rest &lt;&amp;&gt;"), AnsiString::npos) << page;
  // A control character and a lone surrogate cannot appear; a pair is one
  // character.
  EXPECT_NE(page.find("a&#65533;&#128512;"), AnsiString::npos) << page;
  // A blank beside a change of style is a plain one; one that meets another
  // blank across runs, or ends the line, is hard.
  TVLDocumentData runs(&style);
  runs.AddTextItem("Start ", 0, 0);
  runs.AddTextItem("middle", 1, -1);
  runs.AddTextItem(" end ", 0, -1);
  runs.AddTextItem(" two ", 1, -1);
  const AnsiString styled = Plain(runs);
  for (const char* text : {"Start <", ">middle<", "> end&nbsp;<", ">&nbsp;two&nbsp;<"})
    EXPECT_NE(styled.find(text), AnsiString::npos) << text << " in " << styled;
}

TEST(HTMLWriter, ListsNestInsideItems) {
  TVLStyle style(nullptr);
  AddList(style, vllstDecimal);
  TVLDocumentData d(&style);
  d.SetListMarker(-1, 0, 0, 1, 0, false);
  d.AddTextItem("one", 0, -1);
  d.SetListMarker(-1, 0, 2, 1, 0, false);
  d.AddTextItem("deep", 0, -1);
  d.AddTextItem("after", 0, 0);
  for (const AnsiString& page : {Plain(d), WithCSS(d)}) {
    EXPECT_EQ(Count(page, "<OL"), 3u) << page;
    EXPECT_EQ(Count(page, "</OL>"), 3u);
    // A list inside a list stands inside an item; the skipped level gets an
    // unmarked item.
    EXPECT_NE(page.find("<LI style=\"list-style-type: none;\"><OL"), AnsiString::npos) << page;
    EXPECT_LT(page.rfind("</OL>"), page.find("after"));
    EXPECT_NE(page.find("<LI value=1"), AnsiString::npos);
  }
}

TEST(HTMLWriter, SpansOfTheCSSWriter) {
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  d.AddTextItem("a", 3, 0);
  d.AddTextItem("b", 3, -1);
  d.SetAddParagraphMode(false);
  d.AddTextItem("c", 3, 0);
  d.SetAddParagraphMode(true);
  d.AddTextItem("pb", 0, 0);
  d.SetPageBreakBefore(3, true);
  const AnsiString page = WithCSS(d);
  EXPECT_NE(page.find("<SPAN class=VLTS3>ab</SPAN>"), AnsiString::npos) << page;
  EXPECT_NE(page.find("<BR><SPAN class=VLTS3>c</SPAN>"), AnsiString::npos) << page;
  EXPECT_NE(page.find("<P style=\"page-break-before: always;\">pb"), AnsiString::npos) << page;

  const AnsiString inl = WithCSS(d, TVLSaveOptions{vlsoInlineCSS});
  EXPECT_EQ(inl.find("SPAN.VLTS"), AnsiString::npos);
  EXPECT_NE(inl.find("BODY {"), AnsiString::npos);
  EXPECT_NE(inl.find("<SPAN style=\"font-size: 10pt;"), AnsiString::npos) << inl;
  const AnsiString ext = WithCSS(d, {}, "my style.css");
  EXPECT_NE(ext.find("<LINK type=\"text/css\" href=\"my%20style.css\" rel=STYLESHEET>"), AnsiString::npos);
  EXPECT_EQ(ext.find("SPAN.VLTS"), AnsiString::npos);
  EXPECT_NE(ext.find("BODY {"), AnsiString::npos);
}

TEST(HTMLWriter, LinksAndAttributesAreEscaped) {
  struct TCase {
    String Target;
    AnsiString Expected;
  };
  const TCase cases[] = {
      {"http://example.com/a b\"><script>", "href=\"http://example.com/a%20b%22%3E%3Cscript%3E\""},
      {"javascript:alert(1)", ""},
      {"data:text/html,x", ""},
      {"mailto:me@example.com", "href=\"mailto:me@example.com\""},
      {"C:\\notes\\a.txt", "href=\"file:///C:/notes/a.txt\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Target);
    TVLStyle style(nullptr);
    TVLDocumentData d(&style);
    d.AddTextItem("go", 4, 0);
    d.ExportEvents.OnWriteHyperlink = [&](TCustomVLData*, Integer, Integer, Integer, String& t, String&) {
      t = c.Target;
    };
    for (const AnsiString& page : {Plain(d), WithCSS(d)}) {
      if (c.Expected.empty())
        EXPECT_EQ(page.find("href"), AnsiString::npos) << page;
      else
        EXPECT_NE(page.find(c.Expected), AnsiString::npos) << page;
      EXPECT_EQ(page.find("<script"), AnsiString::npos);
    }
  }
}

TEST(HTMLWriter, ImageFilesStayInTheirFolderAndReplaceNothing) {
  qytest::TempDir dir;
  const String path = dir.str() + "/";
  qytest::WriteFileBytes(dir / "img1.jpg", "someone else's");
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  auto pic = TVLGraphicItemInfo::CreateEx(&d, std::make_unique<TBitmap>(4, 4), vlvaMiddle);
  pic->Alt = "a \"quoted\" <alt>";
  d.AddItem("", pic.release());
  TCustomImageList images(nullptr, 8, 8);
  images.AddImage(TBitmap(8, 8).Image());
  for (int k = 0; k < 2; ++k) {
    auto b = std::make_unique<TVLBulletItemInfo>(&d);
    b->StyleNo = vlsBullet;
    b->ImageList = &images;
    b->SetSameAsPrev(true);
    d.AddItem("", b.release());
  }
  TMemoryStream s;
  Integer no = 0;
  ASSERT_TRUE(d.SaveHTMLToStream(s, path, "T", "../../up/img", {vlsoOverrideImages}, clNone, no, 0, 0, 0, 0,
                                 nullptr, nullptr));
  const AnsiString page = s.Bytes();
  EXPECT_EQ(qytest::ReadFileBytes(dir / "img1.jpg"), "someone else's");
  // The picture is no JPEG: written losslessly, as PNG.
  EXPECT_EQ(qytest::ReadFileBytes(dir / "up" / "img1.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "up" / "img1.jpg"));
  EXPECT_TRUE(std::filesystem::exists(dir / "up" / "img2.jpg"));
  // Two bullets of one image share a file.
  EXPECT_FALSE(std::filesystem::exists(dir / "up" / "img3.jpg"));
  EXPECT_EQ(Count(page, "src=\"up/img2.jpg\""), 2u) << page;
  EXPECT_NE(page.find("alt=\"a &quot;quoted&quot; &lt;alt&gt;\""), AnsiString::npos) << page;
  EXPECT_NE(page.find("style=\"vertical-align: middle;\""), AnsiString::npos);
}

TEST(HTMLWriter, RulesCloseListsAndCarryTheirColour) {
  TVLStyle style(nullptr);
  AddList(style, vllstBullet);
  TVLDocumentData d(&style);
  d.SetListMarker(-1, 0, 0, 1, 0, false);
  d.AddTextItem("item", 0, -1);
  auto rule = std::make_unique<TVLBreakItemInfo>(&d);
  rule->StyleNo = vlsBreak;
  rule->LineWidth = 2;
  rule->Color = 0x0000FF;
  d.AddItem("", rule.release());
  for (const AnsiString& page : {Plain(d), WithCSS(d)}) {
    EXPECT_NE(page.find("<HR style=\"height: 2px; border: none; color: #FF0000; background-color: #FF0000;\">"),
              AnsiString::npos)
        << page;
    EXPECT_LT(page.find("</UL>"), page.find("<HR"));
  }
}
