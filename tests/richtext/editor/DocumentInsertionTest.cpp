// VLF and RTF documents inserted at the caret: styles of another sheet
// mapped into ours, pictures kept, the ends joined, one Undo for all, and a
// document that breaks off part-way changing nothing.
#include "EditTestSupport.h"
#include "richtext/model/VLItem.h"
#include "richtext/rtf/VLRTFImport.h"

using namespace qytest;

namespace {

// A document of another program's sheet: style 1 is italic and size 12,
// which the editor's sheet does not have.
struct TForeignDoc {
  TForeignDoc() : Doc(&Style) {
    while (Style.TextStyles->Count() < 2) Style.TextStyles->Add();
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) Style.TextStyles->Items(i)->Size = 10;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsItalic};
    Style.TextStyles->Items(1)->Size = 12;
    while (Style.ParaStyles->Count() < 2) Style.ParaStyles->Add();
    Doc.VLFOptions = Doc.VLFOptions + TVLFOptions{vlfoSaveTextStyles, vlfoSaveParaStyles};
    // Styles travel with a view's own document (and with a copied selection).
    Doc.SetState(Doc.GetState() | vlstViewDocument);
  }
  AnsiString Vlf() {
    TMemoryStream s;
    Doc.SaveVLFToStream(s, false, clWhite, nullptr, bsNoBitmap, nullptr);
    return s.Bytes();
  }
  TVLStyle Style{nullptr};
  TVLDocumentData Doc;
};

AnsiString ForeignVlf(bool withPicture, bool secondPara) {
  TForeignDoc f;
  f.Doc.AddTextItem("Hello ", 0, 0);
  f.Doc.AddTextItem("world", 1, -1);
  if (withPicture) {
    auto p = TVLGraphicItemInfo::CreateEx(&f.Doc, std::make_unique<TBitmap>(30, 20), vlvaBaseline);
    p->ParaNo = -1;
    f.Doc.AddItem("", p.release());
  }
  if (secondPara) f.Doc.AddTextItem("Second", 0, 0);
  return f.Vlf();
}

bool InsertVlf(TEditDoc& d, const AnsiString& vlf) {
  TMemoryStream s;
  s.WriteBuffer(vlf.data(), static_cast<Int64>(vlf.size()));
  s.SetPosition(0);
  return d.Data.InsertVLFFromStream(s);
}

Integer ItalicStyle(TVLStyle& style) {
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) {
    TFontInfo* fi = style.TextStyles->Items(i);
    if (fi->Style.Contains(fsItalic) && fi->Size == 12) return i;
  }
  return -1;
}

}  // namespace

TEST(InsertDocument, VLFOfAnotherSheetGoesInAtTheCaretWithMappedStylesAndPictures) {
  struct TCase {
    const char* What;
    Integer CaretOffs;
    bool Picture, SecondPara;
    const char* Expected;
  } cases[] = {
      {"middle of a word", 4, true, true, "abcHello +world+#|Seconddef"},
      {"start of the text", 1, true, true, "Hello +world+#|Secondabcdef"},
      {"end of the text", 7, true, true, "abcdefHello +world+#|Second"},
      {"one paragraph, no picture", 4, false, false, "abcHello +world+def"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Text("abcdef");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(0, c.CaretOffs);
    ASSERT_TRUE(InsertVlf(d, ForeignVlf(c.Picture, c.SecondPara)));
    EXPECT_EQ(d.Dump(), c.Expected);
    const Integer italic = ItalicStyle(d.Style);
    ASSERT_GE(italic, 0) << "the foreign style is added to our sheet";
    Integer world = -1;
    for (Integer i = 0; i < d.Data.GetItemCount(); ++i)
      if (d.Data.GetItemTextA(i) == "world") world = i;
    ASSERT_GE(world, 0);
    EXPECT_EQ(d.Data.GetItemStyle(world), italic);
    if (c.Picture) {
      auto* pic = dynamic_cast<TVLGraphicItemInfo*>(d.Data.GetItem(world + 1));
      ASSERT_NE(pic, nullptr);
      ASSERT_NE(pic->GetGraphic(), nullptr);
      EXPECT_EQ(pic->GetGraphic()->GetWidth(), 30);
    }
    // Every paragraph has one paragraph style throughout.
    for (Integer i = 1; i < d.Data.GetItemCount(); ++i)
      if (!d.Data.GetItem(i)->IsParaStart()) {
        EXPECT_EQ(d.Data.GetItem(i)->ParaNo, d.Data.GetItem(i - 1)->ParaNo);
      }
    // The caret stands after the inserted document.
    if (c.SecondPara) {
      EXPECT_EQ(d.Data.GetItemTextA(d.Data.GetCaretItemNo()).substr(0, 6), "Second");
      EXPECT_EQ(d.Data.GetCaretOffset(), 7);
    }
    const AnsiString after = d.Vlf();
    ASSERT_EQ(d.Data.UndoList->Count(), 1);
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
    d.Data.RedoList->Redo(&d.Data);
    EXPECT_EQ(d.Vlf(), after);
  }
}

TEST(InsertDocument, APictureWiderThanTheDocumentWidensIt) {
  TForeignDoc f;
  f.Doc.AddTextItem("wide", 0, 0);
  auto p = TVLGraphicItemInfo::CreateEx(&f.Doc, std::make_unique<TBitmap>(600, 20), vlvaBaseline);
  p->ParaNo = -1;
  f.Doc.AddItem("", p.release());
  TEditDoc d;
  d.Text("abcdef");
  d.Format();
  const Integer width = d.Data.DocumentWidth;
  ASSERT_LT(width, 600);
  const int fullBefore = d.Data.FullFormats;
  d.Caret(0, 4);
  ASSERT_TRUE(InsertVlf(d, f.Vlf()));
  EXPECT_GT(d.Data.FullFormats, fullBefore);
  EXPECT_GE(d.Data.DocumentWidth, 600);
  // Narrow text keeps to the paragraphs around it.
  TEditDoc n;
  n.Text("abcdef");
  n.Format();
  const int narrowBefore = n.Data.FullFormats;
  n.Caret(0, 4);
  ASSERT_TRUE(InsertVlf(n, ForeignVlf(false, true)));
  EXPECT_EQ(n.Data.FullFormats, narrowBefore);
}

TEST(InsertDocument, AListParagraphIntoTheMiddleOfTextContinuesTheCaretParagraph) {
  auto addList = [](TEditDoc& doc) { doc.Style.ListStyles->Add()->Levels->Add()->ListType = vllstBullet; };
  TEditDoc src;
  addList(src);
  src.Text("one");
  src.Format();
  src.Caret(0, 1);
  src.Data.ApplyListOperation(0, 0, 0, 1, false);
  ASSERT_EQ(src.Dump(), "#+one");
  TEditDoc d;
  addList(d);
  d.Text("abcdef");
  d.Format();
  const AnsiString before = d.Vlf();
  d.Caret(0, 4);
  ASSERT_TRUE(InsertVlf(d, src.Vlf()));
  EXPECT_EQ(d.Dump(), "abconedef");
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Vlf(), before);
  // At the start of an empty paragraph the list paragraph keeps its marker.
  TEditDoc e;
  addList(e);
  e.Text("");
  e.Format();
  e.Caret(0, 1);
  ASSERT_TRUE(InsertVlf(e, src.Vlf()));
  EXPECT_EQ(e.Dump(), "#+one");
}

TEST(InsertDocument, ADocumentThatBreaksOffChangesNothingAndKeepsEarlierUndo) {
  // Cut inside the items: the reader fails after it has read some of them.
  const AnsiString whole = ForeignVlf(true, true);
  struct TCase {
    const char* What;
    AnsiString Vlf;
  } cases[] = {
      {"cut inside the picture", whole.substr(0, whole.size() - 20)},
      {"garbage after valid items", whole + "\n-99 zz\nnot a record"},
      {"nothing valid at all", AnsiString("not a document at all")},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Text("abcdef");
    d.Format();
    const AnsiString original = d.Vlf();
    d.Caret(0, 7);
    d.Data.BeginUndoSequence(vlutTyping, true);
    d.Data.InsertTypedString("xy");
    const AnsiString typed = d.Vlf();
    d.Caret(0, 4);
    EXPECT_FALSE(InsertVlf(d, c.Vlf));
    EXPECT_EQ(d.Vlf(), typed);
    // Laid out: every item has its draw items.
    for (Integer i = 0; i < d.Data.GetItemCount(); ++i) EXPECT_GE(d.Data.Item2FirstDrawItem(i), 0);
    ASSERT_GE(d.Data.UndoList->Count(), 1);
    while (d.Data.UndoList->Count() > 0) d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), original);
  }
}

TEST(InsertDocument, RTFGoesInThroughTheRegisteredReader) {
  VLRegisterRTFReader();
  TEditDoc d;
  d.Text("abcdef");
  d.Format();
  const AnsiString before = d.Vlf();
  d.Caret(0, 4);
  const AnsiString rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 one \\i two\\i0\\par three}";
  TMemoryStream s;
  s.WriteBuffer(rtf.data(), static_cast<Int64>(rtf.size()));
  s.SetPosition(0);
  ASSERT_TRUE(d.Data.InsertRTFFromStream(s));
  std::string dump = d.Dump();
  EXPECT_EQ(dump.substr(0, 3), "abc");
  EXPECT_NE(dump.find("two"), std::string::npos);
  EXPECT_NE(dump.find("|three"), std::string::npos) << dump;
  EXPECT_EQ(dump.substr(dump.size() - 3), "def");
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Vlf(), before);
  // Broken RTF inserts nothing.
  const AnsiString bad = "{\\rtf1 {{{ never closed";
  TMemoryStream b;
  b.WriteBuffer(bad.data(), static_cast<Int64>(bad.size()));
  b.SetPosition(0);
  EXPECT_FALSE(d.Data.InsertRTFFromStream(b));
  EXPECT_EQ(d.Vlf(), before);
}

TEST(InsertDocument, PastedRTFKeepsItsFirstParagraphsAlignment) {
  VLRegisterRTFReader();
  // As the program reads RTF: paragraph styles added where none fits.
  TVLRTFReaderProperties& props = VLDefaultRTFReaderProperties();
  const auto savedPara = props.ParaStyleMode;
  props.ParaStyleMode = vlrsAddIfNeeded;
  const AnsiString rtf = "{\\rtf1 \\pard\\qc Centered\\par \\pard\\qr Right\\par}";
  struct TCase {
    const char* What;
    const char* Existing;  // the caret's paragraph before the paste
    TVLAlignment First, Last;  // the pasted paragraphs' alignments after it
  } cases[] = {
      {"into an empty paragraph", "", vlaCenter, vlaRight},
      // Into text the first and the last piece join the caret's paragraph,
      // which keeps its own.
      {"into the middle of text", "abcdef", vlaLeft, vlaLeft},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Text(c.Existing);
    d.Format();
    d.Caret(0, *c.Existing ? 4 : 1);
    TMemoryStream s;
    s.WriteBuffer(rtf.data(), static_cast<Int64>(rtf.size()));
    s.SetPosition(0);
    ASSERT_TRUE(d.Data.InsertRTFFromStream(s));
    auto alignmentOf = [&](const char* text) {
      for (Integer i = 0; i < d.Data.GetItemCount(); ++i)
        if (d.Data.GetItemTextA(i).find(text) != AnsiString::npos)
          return d.Style.ParaStyles->Items(d.Data.GetItem(i)->ParaNo)->Alignment;
      ADD_FAILURE() << text << " not found in " << d.Dump();
      return vlaJustify;
    };
    EXPECT_EQ(alignmentOf("Centered"), c.First) << d.Dump();
    EXPECT_EQ(alignmentOf("Right"), c.Last) << d.Dump();
  }
  props.ParaStyleMode = savedPara;
}
