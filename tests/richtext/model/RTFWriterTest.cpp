// The RTF writer: header tables, paragraphs and runs, bookmarks and links,
// list tables, pictures, rules and the text escaping that readers rely on.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class TSelectionData : public TVLDocumentData {
public:
  using TVLDocumentData::TVLDocumentData;
  void GetSaveRange(bool selectionOnly, Integer& si, Integer& ei, Integer& so, Integer& eo,
                    Integer& sp, Integer& ep) override {
    TVLDocumentData::GetSaveRange(selectionOnly, si, ei, so, eo, sp, ep);
    if (selectionOnly) {
      si = SelStart;
      so = SelStartOffs;
      ei = SelEnd;
      eo = SelEndOffs;
    }
  }
  Integer SelStart = 0, SelStartOffs = 1, SelEnd = 0, SelEndOffs = 1;
};

AnsiString Rtf(TCustomVLData& d, bool selection = false) {
  VLSetRTFRandomSeed(7);
  TMemoryStream s;
  EXPECT_TRUE(d.SaveRTFToStream(s, selection, 0, clWindow, nullptr, nullptr));
  return s.Bytes();
}

// The body: what follows the header's CR LF and the \uc word.
AnsiString Body(const AnsiString& rtf) {
  const size_t p = rtf.find("\\uc1\r\n");
  return p == AnsiString::npos ? rtf : rtf.substr(p + 4);
}

size_t Count(const AnsiString& s, const AnsiString& what) {
  size_t n = 0;
  for (size_t p = s.find(what); p != AnsiString::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

AnsiString Utf16(const std::u16string& w) {
  AnsiString r;
  for (char16_t c : w) {
    r += static_cast<char>(c & 0xFF);
    r += static_cast<char>(c >> 8);
  }
  return r;
}

void AddCheckpoint(TCustomVLData& d, Integer itemNo, const String& name) {
  auto* cp = new TVLCPInfo();
  cp->Name = name;
  cp->ItemInfo = d.GetItem(itemNo);
  d.GetItem(itemNo)->Checkpoint = cp;
  d.LinkCheckpoint(cp, itemNo);
  ++d.CPCount;
}

void AddList(TVLStyle& style, Integer levels, TVLListType type, const AnsiString& format) {
  TVLListInfo* list = style.ListStyles->Add();
  for (Integer k = 0; k < levels; ++k) {
    TVLListLevel* l = list->Levels->Add();
    l->ListType = type;
    l->FormatString = format;
    l->LeftIndent = 24 * (k + 1);
  }
}

}  // namespace

TEST(RTFWriter, HeaderTables) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(1)->FontName = "ARIAL";
  style.TextStyles->Items(2)->Charset = 204;
  style.TextStyles->Items(3)->FontName = "Odd;{Name}";
  TVLDocumentData d(&style);
  d.AddTextItem("x", 0, 0);
  const AnsiString rtf = Rtf(d);
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1024\\deflangfe1024{\\fonttbl", 0), 0u)
      << rtf;
  // Same name in another case shares an entry; another charset does not;
  // a name cannot break the table.
  EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset204 Arial;}"
                     "{\\f2\\fnil\\fcharset0 Odd__Name_;}}"),
            AnsiString::npos)
      << rtf;
  EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"),
            AnsiString::npos);
  // No list styles: no list table, only a line end.
  EXPECT_EQ(rtf.find("listtable"), AnsiString::npos);
  EXPECT_EQ(rtf.back(), '}');

  // An empty document is still a document a reader opens: the header and
  // its end, no paragraph.
  TVLDocumentData empty(&style);
  const AnsiString none = Rtf(empty);
  EXPECT_EQ(none.rfind("{\\rtf1\\ansi", 0), 0u) << none;
  EXPECT_EQ(none.back(), '}');
  EXPECT_EQ(none.find("\\par"), AnsiString::npos) << none;
}

// An 8-bit style's font carries the charset of the code page its bytes are
// in, so that other readers decode "café" as it was typed; Unicode styles
// (written as \u) and symbol fonts keep theirs.
TEST(RTFWriter, FontCharsetFollowsTheCodePageOfEightBitStyles) {
  struct Case {
    const char* name;
    bool unicode;
    Byte charset;
    AnsiString text;
    const char* font;
    const char* run;
  };
  const Case cases[] = {
      {"8-bit default", false, DEFAULT_CHARSET, "caf\xE9", "\\fcharset0 Tahoma;", "caf\\'e9"},
      {"8-bit Western", false, ANSI_CHARSET, "caf\xE9", "\\fcharset0 Tahoma;", "caf\\'e9"},
      {"8-bit Central European", false, EASTEUROPE_CHARSET, "\xA3\xF3" "d\x9F", "\\fcharset238 Tahoma;", "\\'f3d"},
      {"8-bit Cyrillic", false, RUSSIAN_CHARSET, "\xE4\xE0", "\\fcharset204 Tahoma;", "\\u1076"},
      {"8-bit symbol", false, SYMBOL_CHARSET, "a", "\\fcharset2 Tahoma;", "a"},
      {"Unicode default", true, DEFAULT_CHARSET, Utf16(u"caf\u00E9"), "\\fcharset1 Tahoma;", "caf\\u233\\'e9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLStyle style(nullptr);
    TFontInfo* f = style.TextStyles->Items(0);
    f->FontName = "Tahoma";
    f->Unicode = c.unicode;
    f->Charset = c.charset;
    TVLDocumentData d(&style);
    d.AddTextItem(c.text, 0, 0);
    const AnsiString rtf = Rtf(d);
    EXPECT_NE(rtf.find(AnsiString("{\\f0\\fnil") + c.font), AnsiString::npos) << rtf;
    EXPECT_NE(Body(rtf).find(c.run), AnsiString::npos) << rtf;
  }
}

TEST(RTFWriter, ColourOfThePageGetsAnIndex) {
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  d.AddTextItem("x", 0, 0);
  TMemoryStream s;
  d.SaveRTFToStream(s, false, 0, 0x123456, nullptr, nullptr);
  EXPECT_NE(s.Bytes().find("\\red86\\green52\\blue18;}"), AnsiString::npos) << s.Bytes();
}

TEST(RTFWriter, ListTables) {
  struct TCase {
    const char* Name;
    Integer Levels;
    TVLListType Type;
    AnsiString Format;
    size_t LevelGroups;
    AnsiString Expected;
  };
  const TCase cases[] = {
      {"three levels write nine", 3, vllstDecimal, "%0:s.", 9, "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}"},
      {"twelve levels write nine", 12, vllstLowerRoman, "%1:s)", 9, "\\levelnfc2"},
      {"one level is simple", 1, vllstBullet, "\xB7", 1, "\\listsimple1"},
      {"braces in a format are escaped", 1, vllstDecimal, "{%s}", 1,
       "{\\leveltext\\'03\\{\\'00\\};}{\\levelnumbers\\'02;}"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    AddList(style, c.Levels, c.Type, c.Format);
    TVLDocumentData d(&style);
    d.AddTextItem("x", 0, 0);
    const AnsiString rtf = Rtf(d);
    EXPECT_EQ(Count(rtf, "{\\listlevel"), c.LevelGroups);
    EXPECT_NE(rtf.find(c.Expected), AnsiString::npos) << rtf;
    EXPECT_NE(rtf.find("{\\listoverride\\listid"), AnsiString::npos);
    // Fixed seed: the same ids each time.
    EXPECT_EQ(rtf, Rtf(d));
  }
}

TEST(RTFWriter, BodyCases) {
  struct TCase {
    const char* Name;
    std::function<void(TSelectionData&, TVLStyle&)> Build;
    bool Selection;
    std::vector<AnsiString> Present;
    std::vector<AnsiString> Absent;
  };
  const TCase cases[] = {
      {"two paragraphs, one \\par",
       [](TSelectionData& d, TVLStyle&) {
         d.AddTextItem("a", 0, 0);
         d.AddTextItem("b", 0, 0);
       },
       false,
       {"\r\n\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0\\itap0 \\plain \\f0\\fs20 a\r\n\\par\\pard"},
       {}},
      {"a subscript run doubles its size word",
       [](TSelectionData& d, TVLStyle& s) {
         s.TextStyles->Items(1)->VShift = -50;
         d.AddTextItem("x", 1, 0);
       },
       false,
       {"\\sub\\fs40"},
       {}},
      {"line break inside a paragraph",
       [](TSelectionData& d, TVLStyle&) {
         d.AddTextItem("a", 0, 0);
         d.SetAddParagraphMode(false);
         d.AddTextItem("b", 0, 0);
       },
       false,
       {"a\r\n\\line\\plain"},
       {"\\par\\pard"}},
      {"selection inside one text item",
       [](TSelectionData& d, TVLStyle&) {
         d.AddTextItem("hello", 3, 0);
         d.SelStartOffs = 2;
         d.SelEndOffs = 4;
       },
       true,
       {"\\i\\fs20\\cf", " el}"},
       {"hello"}},
      {"last empty paragraph of a range gets its \\par",
       [](TSelectionData& d, TVLStyle&) {
         d.AddTextItem("a", 0, 0);
         d.AddTextItem("", 0, 0);
       },
       false,
       {"\\fs20 \\par}"},
       {}},
      {"checkpoints become bookmarks",
       [](TSelectionData& d, TVLStyle&) {
         d.AddTextItem("a", 0, 0);
         d.AddTextItem("b", 0, 0);
         d.AddTextItem("c", 0, 0);
         AddCheckpoint(d, 0, "Part 1");
         AddCheckpoint(d, 1, "");
         AddCheckpoint(d, 2, "");
       },
       false,
       {"{\\*\\bkmkstart Part_1}{\\*\\bkmkend Part_1}", "{\\*\\bkmkstart VellumCheckpoint1}",
        "{\\*\\bkmkend VellumCheckpoint2}"},
       {}},
      {"double border on every side",
       [](TSelectionData& d, TVLStyle& s) {
         TParaInfo* p = s.ParaStyles->Items(1);
         p->Border.Style = vlbDouble;
         p->Border.Width = 1;
         p->Border.Color = 0x0000FF;
         d.AddTextItem("a", 0, 1);
       },
       false,
       {"\\brdrbtw\\brdrl\\brsp0\\brdrth\\brdrcf", "\\brdrt\\brsp0\\brdrth", "\\brdrr\\brsp0\\brdrth",
        "\\brdrb\\brsp0\\brdrth\\brdrcf"},
       {}},
      {"text outside the code page goes out as \\u, never as ?",
       [](TSelectionData& d, TVLStyle& s) {
         s.TextStyles->Items(0)->Unicode = true;
         d.AddTextItem(Utf16(u"a\u4E2D\u00E9\U0001F600"), 0, 0);
       },
       false,
       {"a\\uc0\\u20013 \\uc1 \\u233\\'e9\\uc0\\u-10179 \\uc1 \\uc0\\u-8704 \\uc1 "},
       {"?"}},
      {"8-bit text of another code page",
       [](TSelectionData& d, TVLStyle& s) {
         s.TextStyles->Items(2)->Charset = 204;
         d.AddTextItem("\xC0\xE1{", 2, 0);
       },
       false,
       {"\\uc0\\u1040 \\uc1 \\uc0\\u1073 \\uc1 \\{"},
       {}},
      {"a page break before a paragraph",
       [](TSelectionData& d, TVLStyle&) {
         d.AddTextItem("a", 0, 0);
         d.AddTextItem("b", 0, 0);
         d.SetPageBreakBefore(1, true);
       },
       false,
       {"\\par\\page\\pard"},
       {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    TSelectionData d(&style);
    c.Build(d, style);
    if (c.Selection) {
      d.SelStart = 0;
      d.SelEnd = d.GetItemCount() - 1;
    }
    const AnsiString rtf = Body(Rtf(d, c.Selection));
    for (const AnsiString& p : c.Present) EXPECT_NE(rtf.find(p), AnsiString::npos) << p << "\n" << rtf;
    for (const AnsiString& a : c.Absent) EXPECT_EQ(rtf.find(a), AnsiString::npos) << a << "\n" << rtf;
    if (c.Name == std::string("two paragraphs, one \\par")) {
      EXPECT_EQ(Count(rtf, "\\par\\pard"), 1u);
    }
  }
}

TEST(RTFWriter, Hyperlinks) {
  struct TCase {
    String Target, Extras;
    AnsiString Expected;
  };
  const TCase cases[] = {
      {"", "", ""},
      {"http://example.com/a\"b", "", "{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a%22b\"}}{\\fldrslt"},
      {"http://x.org/\xC3\xA9", "\\l", "HYPERLINK \"http://x.org/\\u233\\'e9\" \\\\l}}"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Target);
    TVLStyle style(nullptr);
    TVLDocumentData d(&style);
    d.AddTextItem("go", 4, 0);
    d.ExportEvents.OnWriteHyperlink = [&](TCustomVLData*, Integer, Integer, Integer format, String& t,
                                          String& x) {
      EXPECT_EQ(format, vlsfRTF);
      t = c.Target;
      x = c.Extras;
    };
    const AnsiString rtf = Rtf(d);
    if (c.Expected.empty()) {
      EXPECT_EQ(rtf.find("\\field"), AnsiString::npos);
      EXPECT_EQ(rtf.find("fldrslt"), AnsiString::npos);
    } else {
      EXPECT_NE(rtf.find(c.Expected), AnsiString::npos) << rtf;
      EXPECT_NE(rtf.find("go}}"), AnsiString::npos) << rtf;
    }
  }
}

TEST(RTFWriter, ItemOutputs) {
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  // A 100×50 bitmap shown at 200×100.
  auto bmp = std::make_unique<TBitmap>(100, 50);
  auto pic = TVLGraphicItemInfo::CreateEx(&d, std::move(bmp), vlvaBaseline);
  pic->ImageWidth = 200;
  pic->ImageHeight = 100;
  pic->ParaNo = 0;
  d.AddItem("", pic.release());
  // A JPEG picture keeps its bytes.
  TBitmap src(8, 4);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(&src);
  const AnsiString jpegBytes = jpeg->SaveToBytes();
  auto jpic = TVLGraphicItemInfo::CreateEx(&d, std::move(jpeg), vlvaBaseline);
  jpic->SetSameAsPrev(true);
  d.AddItem("", jpic.release());
  // A bullet whose image index is past its list writes nothing.
  TCustomImageList images(nullptr, 16, 16);
  auto bullet = std::make_unique<TVLBulletItemInfo>(&d);
  bullet->StyleNo = vlsBullet;
  bullet->ImageList = &images;
  bullet->ImageIndex = 3;
  bullet->SetSameAsPrev(true);
  d.AddItem("", bullet.release());
  // A rule of no colour uses the automatic colour.
  auto rule = std::make_unique<TVLBreakItemInfo>(&d);
  rule->StyleNo = vlsBreak;
  rule->LineWidth = 2;
  rule->Color = clNone;
  d.AddItem("", rule.release());
  const AnsiString rtf = Rtf(d);
  EXPECT_NE(rtf.find("{\\pict\\picscalex200\\picscaley200\\pngblip\\picw100\\pich50\\picwgoal1500\\pichgoal750 "
                     "89504E470D0A1A0A"),
            AnsiString::npos)
      << rtf.substr(0, 600);
  EXPECT_NE(rtf.find("\\jpegblip\\picw8\\pich4\\picwgoal120\\pichgoal60 " + VLFStringToHex(jpegBytes)),
            AnsiString::npos);
  EXPECT_EQ(Count(rtf, "{\\pict"), 2u);
  EXPECT_NE(rtf.find("\\pard\\plain\\fs6\\brdrb\\brdrs\\brdrw30\\brdrcf0\\par\\pard"), AnsiString::npos);
}

TEST(RTFWriter, ListMarkersRestartTheirNumbering) {
  TVLStyle style(nullptr);
  AddList(style, 1, vllstDecimal, "%0:s.");
  TVLDocumentData d(&style);
  for (Integer k = 0; k < 3; ++k) {
    d.SetListMarker(-1, 0, 0, 1, 0, k == 2);
    d.AddTextItem("item", 0, -1);
  }
  const AnsiString rtf = Rtf(d);
  EXPECT_NE(rtf.find("{\\listoverride\\listid"), AnsiString::npos);
  EXPECT_NE(rtf.find("{\\lfolevel\\listoverridestartat\\levelstartat1}\\ls2}"), AnsiString::npos) << rtf;
  EXPECT_NE(rtf.find("{\\listtext\\pard\\plain\\f0\\fs16 1.\\tab}\\ls1\\ilvl0"), AnsiString::npos) << rtf;
  EXPECT_NE(rtf.find(" 1.\\tab}\\ls2\\ilvl0"), AnsiString::npos) << rtf;
}

TEST(RTFWriter, CopyWriterIsRegistered) {
  TVLStyle style(nullptr);
  TVLDocumentData d(&style);
  d.AddTextItem("copied", 0, 0);
  TMemoryStream s;
  ASSERT_TRUE(VLGetRTFCopyWriter());
  EXPECT_TRUE(VLGetRTFCopyWriter()(d, s));
  EXPECT_NE(s.Bytes().find("copied"), AnsiString::npos);
  bool called = false;
  // The writer is the whole program's: the one found here goes back.
  struct TRestore {
    TVLRTFCopyWriter Kept = VLGetRTFCopyWriter();
    ~TRestore() { VLRegisterRTFCopyWriter(Kept); }
  } restore;
  VLRegisterRTFCopyWriter([&](TCustomVLData&, TStream&) { return called = true; });
  VLGetRTFCopyWriter()(d, s);
  EXPECT_TRUE(called);
}
