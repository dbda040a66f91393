// The VLF writer's records, and write→read→write round trips of generated
// documents that must give the same bytes.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A document whose save range is a selection.
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

AnsiString Write(TCustomVLData& doc, bool selection = false) {
  TMemoryStream s;
  EXPECT_TRUE(doc.SaveVLFToStream(s, selection, clNone, nullptr, bsNoBitmap, nullptr));
  return s.Bytes();
}

AnsiString Utf16(const std::u16string& w) {
  AnsiString r;
  for (char16_t c : w) {
    r += static_cast<char>(c & 0xFF);
    r += static_cast<char>(c >> 8);
  }
  return r;
}

}  // namespace

TEST(VLFWriter, WorkedCases) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(1)->Unicode = true;
  struct TCase {
    const char* Name;
    std::function<void(TSelectionData&)> Build;
    bool Binary;
    bool Selection;
    AnsiString Plain;  // the format's own bytes: one version line first, nothing after the records
  };
  const TCase cases[] = {
      {"empty document", [](TSelectionData&) {}, false, false, ""},
      {"five paragraphs are one record",
       [](TSelectionData& d) {
         for (const char* t : {"a", "b", "c", "d", "e"}) d.AddTextItem(t, 0, 0);
       },
       false, false, "-8 1 3\r\n0 5 0 0 0 0\r\na\r\nb\r\nc\r\nd\r\ne\r\n"},
      {"two styles in one paragraph",
       [](TSelectionData& d) {
         d.AddTextItem("x", 0, 0);
         d.AddTextItem("y", 2, -1);
       },
       false, false, "-8 1 3\r\n0 1 0 0 0 0\r\nx\r\n2 1 -1 1 0 0\r\ny\r\n"},
      {"selection inside one word",
       [](TSelectionData& d) {
         d.AddTextItem("hello", 0, 0);
         d.SelStart = d.SelEnd = 0;
         d.SelStartOffs = 2;
         d.SelEndOffs = 4;
       },
       false, true, "-8 1 3\r\n0 1 -1 0 0 0\r\nel\r\n"},
      {"selection ending inside the third item of a run",
       [](TSelectionData& d) {
         for (const char* t : {"one", "two", "three"}) d.AddTextItem(t, 0, 0);
         d.SelStart = 0;
         d.SelStartOffs = 1;
         d.SelEnd = 2;
         d.SelEndOffs = 3;
       },
       false, true, "-8 1 3\r\n0 2 0 0 0 0\r\none\r\ntwo\r\n0 1 0 0 0 0\r\nth\r\n"},
      {"unicode in a text stream is hexadecimal",
       [](TSelectionData& d) { d.AddTextItem(Utf16(u"\u4E2D"), 1, 0); }, false, false,
       "-8 1 3\r\n1 1 0 8 3 0\r\n2D4E\r\n"},
      {"unicode in a binary stream is raw",
       [](TSelectionData& d) { d.AddTextItem(Utf16(u"ab"), 1, 0); }, true, false,
       AnsiString("-8 1 3\r\n1 1 0 8 0 0\r\na\0b\0\x29\x20", 27)},
      {"line ends in 8-bit text are carried as Unicode in hexadecimal",
       [](TSelectionData& d) { d.AddTextItem("a\r\nb", 0, 0); }, false, false,
       "-8 1 3\r\n0 1 0 8 3 0\r\n61000D000A006200\r\n"},
      {"paragraph separator in raw unicode is carried in hexadecimal",
       [](TSelectionData& d) { d.AddTextItem(Utf16(u"a\u2029b"), 1, 0); }, true, false,
       "-8 1 3\r\n1 1 0 8 3 0\r\n610029206200\r\n"},
      {"break and trailing checkpoint",
       [](TSelectionData& d) {
         auto b = std::make_unique<TVLBreakItemInfo>(&d);
         b->StyleNo = vlsBreak;
         b->LineWidth = 2;
         b->Color = clNone;
         d.AddItem("", b.release());
         d.NotAddedCP = new TVLCPInfo();
         d.NotAddedCP->Name = "end";
         ++d.CPCount;
       },
       false, false, "-8 1 3\r\n-1 0 0 0 0 0 536870911 0 2\r\n-2 1 0 0 0 0 0 0\r\nend\r\n"},
      {"no trailing checkpoint after text",
       [](TSelectionData& d) {
         d.AddTextItem("t", 0, 0);
         d.NotAddedCP = new TVLCPInfo();
         ++d.CPCount;
       },
       false, false, "-8 1 3\r\n0 1 0 0 0 0\r\nt\r\n"},
  };
  const AnsiString version = "-8 1 3\r\n";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSelectionData doc(&style);
    if (!c.Binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    c.Build(doc);
    // A document on its own carries the end line its first line announces:
    // the same records between.
    const AnsiString announced = c.Plain.empty() ? AnsiString()
                                                 : "-8 1 3 1\r\n" + c.Plain.substr(version.size()) + version;
    EXPECT_EQ(Write(doc, c.Selection), announced);
    if (c.Selection) continue;
    // A cell's content is written in the plain form, after its length.
    TMemoryStream cell;
    doc.SaveDataProperty(cell);
    const AnsiString data = cell.Bytes();
    ASSERT_GE(data.size(), 4u);
    EXPECT_EQ(data.substr(4), c.Plain);
    EXPECT_EQ(static_cast<size_t>(static_cast<Byte>(data[0]) | static_cast<Byte>(data[1]) << 8), c.Plain.size());
  }
}

TEST(VLFWriter, PicturesGoInTheirOwnStreamFormat) {
  TVLStyle style(nullptr);
  for (bool binary : {true, false}) {
    TVLDocumentData doc(&style);
    if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    auto bmp = std::make_unique<TBitmap>(3, 2);
    AnsiString bytes = bmp->SaveToBytes();
    auto pic = TVLGraphicItemInfo::CreateEx(&doc, std::move(bmp), vlvaBaseline);
    pic->StyleNo = vlsPicture;
    doc.AddItem("pic", pic.release());
    AnsiString vlf = Write(doc);
    AnsiString head = "-8 1 3 1\r\n-3 3 0 0 " + std::string(binary ? "2" : "0") + " 0 0\r\npic\r\nTBitmap\r\n";
    const AnsiString end = "-8 1 3\r\n";
    ASSERT_EQ(vlf.substr(0, head.size()), head);
    AnsiString rest = vlf.substr(head.size());
    if (binary) {
      ASSERT_EQ(rest.size(), 4 + bytes.size() + end.size());
      EXPECT_EQ(rest.substr(4, bytes.size()), bytes);
      EXPECT_EQ(rest.substr(4 + bytes.size()), end);
    }
    TVLDocumentData back(&style);
    TStringStream in(vlf);
    TColor color;
    ASSERT_TRUE(back.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr));
    ASSERT_EQ(back.GetItemCount(), 1);
    ASSERT_NE(back.GetItem(0)->GetGraphic(), nullptr);
    EXPECT_EQ(back.GetItem(0)->GetGraphic()->SaveToBytes(), bytes);
    EXPECT_EQ(back.GetItemTextA(0), "pic");
  }
}

namespace {

// Random documents of every item kind the model has.
class TGenerator {
public:
  explicit TGenerator(uint32_t seed) : R(seed) {}
  Integer N(Integer n) { return static_cast<Integer>(R() % static_cast<uint32_t>(n)); }

  AnsiString Text8() {
    static const char pool[] = "abc XYZ\xE9\xFC\t\"\r\n0-";
    AnsiString s;
    for (Integer i = N(12); i > 0; --i) s += pool[N(sizeof(pool) - 1)];
    return s;
  }
  AnsiString Text16() {
    static const char16_t pool[] = u"ab \u4E2D\u00E9\u2029\r\n\"\U0001F600";
    AnsiString s;
    for (Integer i = N(10); i > 0; --i) {
      char16_t c = pool[N(sizeof(pool) / 2 - 1)];
      s += static_cast<char>(c & 0xFF);
      s += static_cast<char>(c >> 8);
    }
    return s;
  }

  void Sheet(TVLStyle& style) {
    for (Integer i = N(3); i > 0; --i) {
      TFontInfo* f = style.TextStyles->Add();
      f->StyleName = "Gen \"" + std::to_string(i) + "\"";
      f->Size = 8 + N(20);
      f->Unicode = N(2) == 1;
      f->Color = static_cast<TColor>(R() & 0xFFFFFF);
    }
    for (Integer i = 0; i < style.TextStyles->Count(); ++i)
      if (N(3) == 0) style.TextStyles->Items(i)->Unicode = !style.TextStyles->Items(i)->Unicode;
    if (N(2)) style.ParaStyles->Add()->LeftIndent = N(50);
    for (Integer i = N(3); i > 0; --i) {
      TVLListInfo* l = style.ListStyles->Add();
      for (Integer k = 1 + N(3); k > 0; --k) {
        TVLListLevel* lv = l->Levels->Add();
        lv->ListType = static_cast<TVLListType>(N(8));
        lv->FormatString = "%0:s.%1:s";
      }
    }
  }

  void Document(TVLDocumentData& doc, TVLStyle& style) {
    const bool strTags = doc.TagsArePChars();
    for (Integer i = 1 + N(25); i > 0; --i) {
      const Integer kind = N(10);
      const Integer para = N(2) ? -1 : N(style.ParaStyles->Count());
      if (kind == 0) {
        auto b = std::make_unique<TVLBreakItemInfo>(&doc);
        b->StyleNo = vlsBreak;
        b->LineWidth = static_cast<Byte>(1 + N(4));
        b->Style = static_cast<Byte>(N(3));
        b->Color = N(2) ? clNone : 0x00FF00;
        b->ParaNo = para < 0 ? 0 : para;
        doc.AddItem("", b.release());
      } else if (kind == 1 && style.ListStyles->Count() > 0) {
        doc.SetListMarker(doc.GetItemCount(), N(style.ListStyles->Count()), N(3), 1 + N(5),
                          para < 0 ? 0 : para, N(4) == 0);
        // A marker is always followed by an item of its own paragraph.
        const Integer st = N(style.TextStyles->Count());
        doc.AddTextItem(style.TextStyles->Items(st)->Unicode ? Text16() : Text8(), st, -1);
      } else if (kind == 2 && N(3) == 0) {
        auto pic = TVLGraphicItemInfo::CreateEx(&doc, std::make_unique<TBitmap>(1 + N(3), 1 + N(3)),
                                                vlvaBaseline);
        pic->StyleNo = N(2) ? vlsPicture : vlsHotPicture;
        pic->ParaNo = para;
        pic->Spacing = N(3);
        if (N(2)) pic->Hint = "picture\r\nhint";
        if (N(2)) pic->Alt = "alt " + Text8();
        if (N(3) == 0) pic->ImageFileName = "f" + Text8() + ".jpg";
        if (N(3) == 0) pic->ImageWidth = 1 + N(40);
        if (N(3) == 0) pic->MinHeightOnPage = N(20);
        if (N(4) == 0) pic->Image->SetTransparent(true);
        if (N(4) == 0) static_cast<TBitmap*>(pic->Image.get())->SetTransparentColor(0x102030);
        if (N(4) == 0) {
          pic->Image = std::make_unique<TJPEGImage>();
          pic->Image->LoadFromBytes(Jpeg());
        }
        doc.AddItem("p" + std::to_string(i), pic.release());
      } else if (kind == 3 && N(2) == 0) {
        auto* bullet = N(2) ? new TVLBulletItemInfo(&doc) : new TVLHotspotItemInfo(&doc);
        bullet->StyleNo = dynamic_cast<TVLHotspotItemInfo*>(bullet) ? vlsHotspot : vlsBullet;
        bullet->ParaNo = para < 0 ? 0 : para;
        if (para < 0) bullet->SetSameAsPrev(true);
        bullet->ImageList = &Marks();
        bullet->ImageIndex = N(3);
        if (auto* hot = dynamic_cast<TVLHotspotItemInfo*>(bullet)) hot->HotImageIndex = N(3);
        bullet->Spacing = N(3);
        if (N(3) == 0) bullet->VShift = N(20) - 10;
        doc.AddItem("b" + Text8(), bullet);
      } else if (kind == 4 && N(2) == 0) {
        TControl* control = nullptr;
        switch (N(3)) {
          case 0: control = new TButton(nullptr); break;
          case 1: control = new TEdit(nullptr); break;
          default: control = new TMemo(nullptr); break;
        }
        control->SetBounds(0, 0, 20 + N(100), 10 + N(40));
        control->SetText(N(2) ? "caption" : "two\nlines");
        auto* item = new TVLControlItemInfo(&doc);
        item->StyleNo = vlsComponent;
        item->Control = control;
        item->ParaNo = para < 0 ? 0 : para;
        if (para < 0) item->SetSameAsPrev(true);
        item->PercentWidth = N(2) ? 0 : N(101);
        item->ResizableControl = N(2);
        item->MinHeightOnPage = N(2) ? 0 : N(30);
        doc.AddItem("c" + std::to_string(i), item);
      } else {
        const Integer st = N(style.TextStyles->Count());
        TVLTag tag;
        if (strTags) {
          if (N(3) == 0) tag.Str = N(2) ? "http://x/" + std::to_string(N(9)) : "q\"\r\nx";
        } else {
          tag.Int = N(3) == 0 ? N(1000) - 500 : 0;
        }
        const bool uni = style.TextStyles->Items(st)->Unicode;
        doc.AddTextItemTag(uni ? Text16() : Text8(), st, para, tag);
        if (N(6) == 0) doc.GetItem(doc.GetItemCount() - 1)->Hint = "hint " + Text8();
        if (N(8) == 0) {
          TVLCPInfo* cp = new TVLCPInfo();
          cp->Name = "cp" + Text8();
          cp->RaiseEvent = N(2);
          cp->Persistent = N(2);
          if (strTags && N(2)) cp->Tag.Str = "t" + std::to_string(N(9));
          TCustomVLItemInfo* item = doc.GetItem(doc.GetItemCount() - 1);
          if (!item->Checkpoint) {
            doc.LinkCheckpoint(cp, doc.GetItemCount() - 1);
            cp->ItemInfo = item;
            item->Checkpoint = cp;
            ++doc.CPCount;
          } else {
            delete cp;
          }
        }
      }
    }
    if (N(6) == 0) {
      doc.NotAddedCP = new TVLCPInfo();
      doc.NotAddedCP->Name = "trailing";
      ++doc.CPCount;
    }
  }

  // One small photograph for every document.
  static const AnsiString& Jpeg() {
    static const AnsiString bytes = [] {
      TBitmap b(9, 7);
      b.Canvas()->Brush.Color = 0x3070C0;
      b.Canvas()->FillRect(TRect(0, 0, 9, 7));
      TJPEGImage j;
      j.Assign(&b);
      j.Compress();
      return j.SaveToBytes();
    }();
    return bytes;
  }
  // The image list that bullets and hotspots name (by its tag, 3).
  static TImageList& Marks() {
    static TImageList* list = [] {
      auto* l = new TImageList(nullptr, 8, 8);
      l->Tag = 3;
      for (int k = 0; k < 3; ++k) {
        TBitmap b(8, 8);
        l->Add(&b, nullptr);
      }
      return l;
    }();
    return *list;
  }

  std::mt19937 R;
};

void Prepare(TVLDocumentData& doc, bool binary, bool strTags) {
  doc.OnVLFImageListNeeded = [](TCustomVLData*, Integer tag, TComponent*& list) {
    if (tag == 3) list = &TGenerator::Marks();
  };
  doc.SetState(doc.GetState() | vlstViewDocument);
  doc.VLFOptions.Include(vlfoSaveTextStyles);
  doc.VLFOptions.Include(vlfoSaveParaStyles);
  if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
  if (strTags) doc.Options.Include(vloTagsArePChars);
}

}  // namespace

TEST(VLFWriter, RandomDocumentsRoundTripToTheSameBytes) {
  for (uint32_t seed = 1; seed <= 2000; ++seed) {
    TGenerator g(seed);
    const bool binary = g.N(2), strTags = g.N(2);
    TVLStyle style(nullptr);
    g.Sheet(style);
    TVLDocumentData doc(&style);
    Prepare(doc, binary, strTags);
    g.Document(doc, style);
    AnsiString first = Write(doc);

    TVLStyle style2(nullptr);
    TVLDocumentData back(&style2);
    Prepare(back, binary, strTags);
    TStringStream in(first);
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr)) << "seed " << seed;
    EXPECT_EQ(back.GetItemCount(), doc.GetItemCount()) << "seed " << seed;
    AnsiString second = Write(back);
    ASSERT_EQ(first, second) << "seed " << seed;
    for (Integer i = 0; i < doc.GetItemCount(); ++i)
      ASSERT_EQ(back.GetItemTextA(i), doc.GetItemTextA(i)) << "seed " << seed << " item " << i;
  }
}

// A document ends with a version line that its first announces: a cut
// between two records read as the whole of a shorter document, without a
// word. One written before (neither line; otherwise the same bytes) reads
// whole, with no warning, and is saved with both.
TEST(VLFWriter, EveryCutOfADocumentIsRefusedAndOneWrittenBeforeReadsWhole) {
  const AnsiString head = "-8 1 3 1\r\n", end = "-8 1 3\r\n";
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    TGenerator g(seed);
    const bool binary = g.N(2), strTags = g.N(2);
    TVLStyle style(nullptr);
    g.Sheet(style);
    TVLDocumentData doc(&style);
    Prepare(doc, binary, strTags);
    g.Document(doc, style);
    const AnsiString whole = Write(doc);
    ASSERT_EQ(whole.substr(0, head.size()), head) << "seed " << seed;
    ASSERT_GE(whole.size(), head.size() + end.size());
    ASSERT_EQ(whole.substr(whole.size() - end.size()), end) << "seed " << seed;
    struct TRead {
      bool Ok;
      Integer Count;
      TVLFWarnings Warnings;
      AnsiString Saved;
    };
    auto read = [&](const AnsiString& bytes) {
      TVLStyle sheet(nullptr);
      TVLDocumentData back(&sheet);
      Prepare(back, binary, strTags);
      TStringStream in(bytes);
      TColor color = clNone;
      const bool ok = back.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
      return TRead{ok, back.GetItemCount(), back.GetVLFWarnings(), ok ? Write(back) : AnsiString()};
    };
    const TRead first = read(whole);
    ASSERT_TRUE(first.Ok) << "seed " << seed;
    // Every cut at a line's end: between records, or inside one.
    for (size_t at = 1; at < whole.size(); ++at) {
      if (whole[at - 1] != '\n') continue;
      const TRead cut = read(whole.substr(0, at));
      EXPECT_FALSE(cut.Ok) << "seed " << seed << " cut at " << at << " of " << whole.size();
      EXPECT_TRUE(cut.Warnings.Contains(vlfwInvalidData)) << "seed " << seed << " cut at " << at;
    }
    const TRead before = read("-8 1 3\r\n" + whole.substr(head.size(), whole.size() - head.size() - end.size()));
    ASSERT_TRUE(before.Ok) << "seed " << seed;
    EXPECT_EQ(before.Count, doc.GetItemCount()) << "seed " << seed;
    EXPECT_EQ(before.Warnings, first.Warnings) << "seed " << seed;
    EXPECT_EQ(before.Saved, whole) << "seed " << seed;
  }
}

TEST(VLFWriter, StyleNamesRefersToStylesByName) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.VLFOptions = {vlfoUseStyleNames};
  doc.AddTextItem("a", 3, 1);
  doc.AddTextItem("b", vlsDefStyle, 0);
  AnsiString vlf = Write(doc);
  const AnsiString end = "-8 1 3\r\n";
  EXPECT_EQ(vlf, "-8 1 3 1\r\n\"Keywords\" 1 \"Centered\" 0 0 0\r\na\r\n" + std::to_string(vlsDefStyle) +
                     " 1 \"Paragraph Style\" 0 0 0\r\nb\r\n" + end);
  // The reader finds the numbers of the names in its own sheet; an unknown name is style 0.
  TVLStyle other(nullptr);
  std::swap(other.TextStyles->Items(3)->StyleName, other.TextStyles->Items(1)->StyleName);
  TVLDocumentData back(&other);
  TStringStream in(vlf.substr(0, vlf.size() - end.size()) + "\"Nobody\" 1 0 0 0 0\r\nc\r\n" + end);
  TColor color;
  ASSERT_TRUE(back.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr));
  ASSERT_EQ(back.GetItemCount(), 3);
  EXPECT_EQ(back.GetItem(0)->StyleNo, 1);
  EXPECT_EQ(back.GetItem(0)->ParaNo, 1);
  EXPECT_EQ(back.GetItem(2)->StyleNo, 0);
}
