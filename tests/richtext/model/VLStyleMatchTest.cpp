#include "platform/base/PropStream.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLStyle.h"

#include <gtest/gtest.h>

namespace {

TEST(VLStyleMatchTest, IntegerAndColourSimilarity) {
  struct TIntCase {
    Integer a, b, weight, score;
  };
  const TIntCase ints[] = {{10, 10, 1000, 1000}, {10, 12, 1000, 800}, {10, 25, 1000, -500},
                           {0, 0, 300, 300},     {0, 3, 300, -600},   {-4, -5, 100, 75},
                           // Halves go to the even neighbour.
                           {8, 9, 4, 4},         {8, 7, 12, 10}};
  for (const TIntCase& c : ints)
    EXPECT_EQ(c.score, IntegerSimilarity(c.a, c.b, c.weight)) << c.a << " " << c.b;
  // Values from a damaged file stay within the score's range.
  EXPECT_EQ(INT32_MIN, IntegerSimilarity(1, INT32_MAX, 10000));
  EXPECT_EQ(INT32_MIN, IntegerSimilarity(0, INT32_MIN, 10000));

  struct TColorCase {
    TColor c1, c2;
    Integer score;
  };
  const TColorCase colors[] = {{clNone, clNone, 12999},
                               {clNone, 0x000000, 0},
                               {0x000000, clNone, 0},
                               {0x000000, 0x000000, 3000},
                               {0x000000, 0xFFFFFF, -9999},
                               {0xFFFFFF, 0xFFFFFF, 3000},
                               // 0x40 is not light, 0x41 is: no bonus.
                               {0x404040, 0x414141, -3 * (3333 / 255)},
                               {0x414141, 0x424242, 3000 - 3 * (3333 / 255)}};
  for (const TColorCase& c : colors)
    EXPECT_EQ(c.score, ColorSimilarity(c.c1, c.c2, 3333, 3000)) << std::hex << c.c1 << " " << c.c2;
}

TEST(VLStyleMatchTest, SimilarityScoresOfStyles) {
  TVLStyle sheet(nullptr);
  const TFontInfo* normal = sheet.TextStyles->Items(0);
  // Every term at its best for two default styles.
  EXPECT_EQ(615300, normal->SimilarityValue(*normal));
  TFontInfo* bigger = sheet.TextStyles->Add();
  bigger->Assign(normal);
  bigger->Size = 12;
  // The size term is scored relative to the other style's size.
  EXPECT_EQ(615300 - 10000 + 8333, normal->SimilarityValue(*bigger));
  EXPECT_EQ(615300 - 10000 + 8000, bigger->SimilarityValue(*normal));
  bigger->Protection = {vlprModifyProtect};
  EXPECT_EQ(615300 - 10000 + 8000 - 100000, bigger->SimilarityValue(*normal));
  bigger->Protection = {};
  bigger->Charset = 0;
  EXPECT_EQ(615300 - 10000 + 8000 - 50000 + 12500, bigger->SimilarityValue(*normal));

  bigger->Size = INT32_MAX;
  bigger->CharSpacing = INT32_MIN;
  EXPECT_GT(normal->SimilarityValue(*bigger), 0);
  EXPECT_EQ(INT32_MIN, bigger->SimilarityValue(*normal));

  const TParaInfo* para = sheet.ParaStyles->Items(0);
  const TParaInfo* centered = sheet.ParaStyles->Items(1);
  EXPECT_EQ(para->SimilarityValue(*centered) + 50000, para->SimilarityValue(*para));

  TVLListInfo* a = sheet.ListStyles->Add();
  TVLListInfo* b = sheet.ListStyles->Add();
  a->Levels->Add();
  a->Levels->Add()->ListType = vllstDecimal;
  b->Levels->Add();
  // OneLevelPreview equal, different ids, level 0 all equal (5000 + 1300),
  // one level more: -100.
  EXPECT_EQ(100 + 6300 - 100, a->SimilarityValue(*b));
  b->SetListID(a->GetListID());
  EXPECT_EQ(100 + 50 + 6300 - 100, a->SimilarityValue(*b));
}

TEST(VLStyleMatchTest, FindingStylesUnderAMask) {
  TVLStyle sheet(nullptr);
  TFontInfo wanted(nullptr);
  wanted.Style = {fsBold};
  wanted.Size = 30;
  wanted.FontName = "Courier";
  struct TCase {
    Integer base;
    Cardinal mask;
    Integer found;
  };
  const TCase cases[] = {
      {1, vlfiBold, 1},                  // the base matches in boldness: nothing else counts
      {2, vlfiBold, 2},
      {0, vlfiBold, 1},                  // the first other bold style
      {0, vlfiBold | vlfiSize, -1},
      {3, vlfiItalic | vlfiBold, 1},     // "Heading": bold and not italic
      {5, vlfiFontName, -1},
      {4, 0, 4},                         // an empty mask matches the base
  };
  for (const TCase& c : cases)
    EXPECT_EQ(c.found, sheet.TextStyles->FindSuchStyle(c.base, wanted, c.mask))
        << c.base << " " << std::hex << c.mask;

  // Hover colours count only when the style looked for is hypertext.
  TFontInfo link(nullptr);
  link.Assign(sheet.TextStyles->Items(4));
  link.HoverColor = clRed;
  EXPECT_EQ(-1, sheet.TextStyles->FindSuchStyle(0, link, vlfiAll));
  link.Jump = false;
  link.Style = {fsUnderline};
  EXPECT_EQ(-1, sheet.TextStyles->FindSuchStyle(0, link, vlfiAll));
  link.Color = 0x008000;
  link.Jump = true;
  link.HoverColor = clNone;
  EXPECT_EQ(4, sheet.TextStyles->FindSuchStyle(0, link, vlfiAll));

  TParaInfo centered(nullptr);
  centered.Alignment = vlaCenter;
  centered.LeftIndent = 50;
  EXPECT_EQ(1, sheet.ParaStyles->FindSuchStyle(0, centered, vlpiAlignment));
  EXPECT_EQ(-1, sheet.ParaStyles->FindSuchStyle(0, centered, vlpiAll));
  EXPECT_EQ(0, sheet.ParaStyles->FindSuchStyle(0, centered, vlpiBorder_Style | vlpiRightIndent));

  // Character sets: the same style in another charset, never a Unicode one.
  TFontInfo* cyr = sheet.TextStyles->Add();
  cyr->Assign(sheet.TextStyles->Items(0));
  cyr->Charset = 204;
  TFontInfo* uni = sheet.TextStyles->Add();
  uni->Assign(sheet.TextStyles->Items(0));
  uni->Charset = 238;
  uni->Unicode = true;
  EXPECT_EQ(6, sheet.TextStyles->FindStyleWithCharset(0, 204));
  EXPECT_EQ(6, sheet.TextStyles->FindStyleWithCharset(6, 204));
  EXPECT_EQ(0, sheet.TextStyles->FindStyleWithCharset(6, 1));
  EXPECT_EQ(-1, sheet.TextStyles->FindStyleWithCharset(0, 238));
  EXPECT_EQ(-1, sheet.TextStyles->FindStyleWithCharset(1, 204));
}

TEST(VLStyleMatchTest, MergingAnIdenticalSheetAddsNothingAndChangesNothing) {
  TVLStyle target(nullptr), incoming(nullptr);
  // References that point past what the mapping holds while merging.
  target.TextStyles->Items(0)->NextStyleNo = 5;
  target.TextStyles->Items(0)->BaseStyleNo = 3;
  incoming.TextStyles->Items(0)->NextStyleNo = 5;
  target.ParaStyles->Items(0)->NextParaNo = 1;
  incoming.ParaStyles->Items(0)->NextParaNo = 1;

  TVLIntegerList map;
  target.TextStyles->MergeWith(*incoming.TextStyles, vlsmmMerge, map, nullptr);
  EXPECT_EQ(6, target.TextStyles->Count());
  EXPECT_EQ(std::vector<Integer>({0, 1, 2, 3, 4, 5}), map.Values());
  EXPECT_EQ(5, target.TextStyles->Items(0)->NextStyleNo);
  EXPECT_EQ(3, target.TextStyles->Items(0)->BaseStyleNo);
  EXPECT_TRUE(target.TextStyles->Items(0)->Standard);

  TVLIntegerList paraMap;
  target.ParaStyles->MergeWith(*incoming.ParaStyles, vlsmmMerge, paraMap, &map);
  EXPECT_EQ(2, target.ParaStyles->Count());
  EXPECT_EQ(std::vector<Integer>({0, 1}), paraMap.Values());
  EXPECT_EQ(1, target.ParaStyles->Items(0)->NextParaNo);

  // A style that differs is appended and renumbered.
  TFontInfo* extra = incoming.TextStyles->Add();
  extra->Assign(incoming.TextStyles->Items(1));
  extra->Size = 22;
  extra->BaseStyleNo = 1;
  extra->NextStyleNo = 6;
  target.TextStyles->MergeWith(*incoming.TextStyles, vlsmmMerge, map, nullptr);
  ASSERT_EQ(7, target.TextStyles->Count());
  EXPECT_EQ(6, map[6]);
  EXPECT_EQ(22, target.TextStyles->Items(6)->Size);
  EXPECT_FALSE(target.TextStyles->Items(6)->Standard);
  EXPECT_EQ(1, target.TextStyles->Items(6)->BaseStyleNo);
  EXPECT_EQ(6, target.TextStyles->Items(6)->NextStyleNo);
}

// A style that goes on to another (a link's style to the plain one) equals
// a receiving style only when both go on to the same style once merged: the
// earlier style it goes on to through the mapping, or a later one (not
// numbered yet) on both sides. The same sheet merged again adds nothing
// more: an equal copy adds nothing at all.
TEST(VLStyleMatchTest, StylesThatGoOnToOthersMergeByWhereTheyGo) {
  struct TCase {
    const char* name;
    Integer targetNext, incomingNext;
    bool appended;
  };
  const TCase cases[] = {{"both to an earlier style", 0, 0, false},
                         {"both to a later style", 5, 5, false},
                         {"both to themselves", 3, 3, false},
                         {"to different earlier styles", 1, 0, true},
                         {"only the incoming one goes on", -1, 0, true},
                         {"only the receiving one goes on", 0, -1, true},
                         {"only the receiving one, to a later style", 5, -1, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TVLStyle target(nullptr), incoming(nullptr);
    target.TextStyles->Items(3)->Jump = incoming.TextStyles->Items(3)->Jump = true;
    target.TextStyles->Items(3)->NextStyleNo = c.targetNext;
    incoming.TextStyles->Items(3)->NextStyleNo = c.incomingNext;
    for (int round = 1; round <= 3; ++round) {
      TVLIntegerList map;
      target.TextStyles->MergeWith(*incoming.TextStyles, vlsmmMerge, map, nullptr);
      ASSERT_EQ(target.TextStyles->Count(), c.appended ? 7 : 6) << "round " << round;
      EXPECT_EQ(map[3], c.appended ? 6 : 3);
      if (c.appended) {
        EXPECT_EQ(target.TextStyles->Items(6)->NextStyleNo, c.incomingNext);
      }
    }
  }
  // Paragraph styles alike: the second goes on to the first.
  TVLStyle target(nullptr), incoming(nullptr);
  target.ParaStyles->Items(1)->NextParaNo = incoming.ParaStyles->Items(1)->NextParaNo = 0;
  for (int round = 1; round <= 3; ++round) {
    TVLIntegerList map;
    target.ParaStyles->MergeWith(*incoming.ParaStyles, vlsmmMerge, map, nullptr);
    EXPECT_EQ(std::vector<Integer>({0, 1}), map.Values()) << "round " << round;
  }
  EXPECT_EQ(target.ParaStyles->Count(), 2);
}

TEST(VLStyleMatchTest, MappingToTheClosestAndAppending) {
  TVLStyle target(nullptr), incoming(nullptr);
  incoming.TextStyles->Clear();
  TFontInfo* plainLink = incoming.TextStyles->Add();
  plainLink->Jump = true;  // otherwise exactly "Normal text"
  TFontInfo* big = incoming.TextStyles->Add();
  big->Size = 30;
  big->Style = {fsBold};
  TVLIntegerList map;
  target.TextStyles->MergeWith(*incoming.TextStyles, vlsmmMap, map, nullptr);
  EXPECT_EQ(6, target.TextStyles->Count());
  // Bold text in the default colour is nearest to the navy "Subheading".
  EXPECT_EQ(std::vector<Integer>({4, 2}), map.Values());

  // Appending: every style is added, references go through the map.
  incoming.ParaStyles->Items(1)->NextParaNo = 0;
  incoming.ParaStyles->Items(1)->DefStyleNo = 1;
  incoming.ParaStyles->Items(1)->BaseStyleNo = 0;
  TVLIntegerList textMap, paraMap;
  target.TextStyles->MergeWith(*incoming.TextStyles, vlsmmAppend, textMap, nullptr);
  EXPECT_EQ(std::vector<Integer>({6, 7}), textMap.Values());
  target.ParaStyles->MergeWith(*incoming.ParaStyles, vlsmmAppend, paraMap, &textMap);
  ASSERT_EQ(4, target.ParaStyles->Count());
  const TParaInfo* appended = target.ParaStyles->Items(3);
  EXPECT_FALSE(appended->Standard);
  EXPECT_EQ(2, appended->NextParaNo);
  EXPECT_EQ(2, appended->BaseStyleNo);
  EXPECT_EQ(7, appended->DefStyleNo);
  EXPECT_TRUE(target.ParaStyles->Items(0)->Standard);

  // Into itself: merging adds nothing, appending doubles once.
  target.ParaStyles->MergeWith(*target.ParaStyles, vlsmmMerge, paraMap, nullptr);
  EXPECT_EQ(4, target.ParaStyles->Count());
  EXPECT_EQ(4, paraMap.Count());
  target.ParaStyles->MergeWith(*target.ParaStyles, vlsmmAppend, paraMap, nullptr);
  EXPECT_EQ(8, target.ParaStyles->Count());
}

TEST(VLStyleMatchTest, ListStylesFoundMergedAndNeverSharingANumbering) {
  TVLStyle target(nullptr), incoming(nullptr);
  TVLListInfo* numbered = target.ListStyles->Add();
  numbered->Levels->Add()->ListType = vllstDecimal;
  for (int i = 0; i < 2; ++i) {
    TVLListInfo* list = incoming.ListStyles->Add();
    list->Assign(numbered);
    list->SetListID(numbered->GetListID());
  }
  TVLIntegerList map;
  target.ListStyles->MergeWith(*incoming.ListStyles, vlsmmMerge, map, nullptr);
  EXPECT_EQ(std::vector<Integer>({0, 1}), map.Values());
  EXPECT_EQ(2, target.ListStyles->Count());

  // Bullets may share one style.
  TVLStyle bullets(nullptr), into(nullptr);
  TVLListInfo* bullet = into.ListStyles->Add();
  bullet->Levels->Add();
  for (int i = 0; i < 2; ++i) {
    TVLListInfo* list = bullets.ListStyles->Add();
    list->Assign(bullet);
    list->SetListID(bullet->GetListID());
  }
  into.ListStyles->MergeWith(*bullets.ListStyles, vlsmmMerge, map, nullptr);
  EXPECT_EQ(std::vector<Integer>({0, 0}), map.Values());

  TVLListInfo probe(nullptr);
  probe.Assign(numbered);
  EXPECT_EQ(0, target.ListStyles->FindSuchList(probe, false));
  probe.Levels->Items(0)->StartFrom = 5;
  EXPECT_EQ(-1, target.ListStyles->FindSuchList(probe, false));
  EXPECT_EQ(2, target.ListStyles->FindSuchList(probe, true));
  EXPECT_FALSE(target.ListStyles->Items(2)->Standard);

  EXPECT_EQ(2, target.ListStyles->FindListByLevels(*probe.Levels, "Found", false));
  probe.Levels->Add();
  EXPECT_EQ(-1, target.ListStyles->FindListByLevels(*probe.Levels, "Found", false));
  EXPECT_EQ(3, target.ListStyles->FindListByLevels(*probe.Levels, "Found", true));
  const TVLListInfo* added = target.ListStyles->Items(3);
  EXPECT_EQ("Found", added->StyleName);
  EXPECT_TRUE(added->OneLevelPreview);
  EXPECT_FALSE(added->Standard);
  EXPECT_EQ(2, added->Levels->Count());
}

// ---------------------------------------------------------------------------
// Streaming.

void ExpectSheetsEqual(TVLStyle& a, TVLStyle& b) {
  ASSERT_EQ(a.TextStyles->Count(), b.TextStyles->Count());
  for (Integer i = 0; i < a.TextStyles->Count(); ++i) {
    const TFontInfo* x = a.TextStyles->Items(i);
    const TFontInfo* y = b.TextStyles->Items(i);
    EXPECT_TRUE(x->IsEqual(*y, false, false)) << "text style " << i;
    EXPECT_EQ(x->StyleName, y->StyleName);
    EXPECT_EQ(x->BaseStyleNo, y->BaseStyleNo);
    EXPECT_EQ(x->Standard, y->Standard);
    EXPECT_EQ(x->HoverColor, y->HoverColor);
  }
  ASSERT_EQ(a.ParaStyles->Count(), b.ParaStyles->Count());
  for (Integer i = 0; i < a.ParaStyles->Count(); ++i) {
    EXPECT_TRUE(a.ParaStyles->Items(i)->IsEqual(*b.ParaStyles->Items(i), false, false)) << i;
    EXPECT_EQ(a.ParaStyles->Items(i)->StyleName, b.ParaStyles->Items(i)->StyleName);
  }
  ASSERT_EQ(a.ListStyles->Count(), b.ListStyles->Count());
  for (Integer i = 0; i < a.ListStyles->Count(); ++i) {
    EXPECT_TRUE(a.ListStyles->Items(i)->IsEqual(*b.ListStyles->Items(i), false, false)) << i;
    EXPECT_EQ(a.ListStyles->Items(i)->StyleName, b.ListStyles->Items(i)->StyleName);
  }
  EXPECT_EQ(a.Color, b.Color);
  EXPECT_EQ(a.HoverColor, b.HoverColor);
  EXPECT_EQ(a.SpacesInTab, b.SpacesInTab);
  EXPECT_EQ(a.DefCodePage, b.DefCodePage);
  EXPECT_EQ(a.SelectionMode, b.SelectionMode);
  EXPECT_EQ(a.UseSound, b.UseSound);
}

TEST(VLStyleStreamTest, ASheetStreamedOutAndInIsEqual) {
  TVLStyle sheet(nullptr);
  sheet.Color = clInfoBk;
  sheet.HoverColor = clRed;
  sheet.SpacesInTab = 4;
  sheet.DefCodePage = 1251;
  sheet.SelectionMode = vlsmParagraph;
  sheet.UseSound = false;
  TFontInfo* fi = sheet.TextStyles->Add();
  fi->StyleName = "Quote";
  fi->FontName = "Liberation Serif";
  fi->Size = 11;
  fi->Style = {fsItalic, fsStrikeOut};
  fi->StyleEx = {vlfsOverline};
  fi->Protection = {vlprModifyProtect, vlprStickToBottom};
  fi->Options = {vlteoHTMLCode};
  fi->Unicode = true;
  fi->Charset = 0;
  fi->BackColor = clYellow;
  fi->VShift = -33;
  fi->BaseStyleNo = 0;
  fi->Standard = false;
  fi->BiDiMode = vlbdRightToLeft;
  TParaInfo* pi = sheet.ParaStyles->Add();
  pi->StyleName = "Boxed";
  pi->Border.Style = vlbThickOutside;
  pi->Border.Color = clNavy;
  pi->Border.VisibleBorders.Left = false;
  pi->Border.BorderOffsets.Bottom = -2;
  pi->Background.Color = clSilver;
  pi->Background.BorderOffsets.SetAll(4);
  pi->LineSpacingType = vllsSpaceBetween;
  pi->LineSpacing = 6;
  pi->Options = {vlpaoNoWrap, vlpaoDoNotWantReturns};
  pi->DefStyleNo = 6;
  TVLListInfo* li = sheet.ListStyles->Add();
  li->StyleName = "Outline";
  li->OneLevelPreview = true;
  TVLListLevel* l0 = li->Levels->Add();
  l0->ListType = vllstUpperRoman;
  l0->FormatString = "%0:s)";
  l0->StartFrom = 3;
  l0->Options = {vlloLegalStyleNumbering};
  l0->GetFont()->SetName("Liberation Sans");
  l0->GetFont()->SetSize(14);
  TVLListLevel* l1 = li->Levels->Add();
  l1->ListType = vllstUnicodeBullet;
  l1->FormatStringW = WideString(2, u'\u25A0');
  l1->MarkerAlignment = vlmaRight;
  TPicture picture;
  picture.SetGraphic(std::make_unique<TBitmap>(6, 3));
  l1->SetPicture(&picture);

  TMemoryStream stream;
  WriteComponentToStream(stream, sheet);
  stream.SetPosition(0);
  TVLStyle copy(nullptr);
  ReadComponentFromStream(stream, copy);
  ExpectSheetsEqual(sheet, copy);
  const TVLListLevel* r0 = copy.ListStyles->Items(0)->Levels->Items(0);
  ASSERT_NE(nullptr, r0->FontOrNil());
  EXPECT_EQ("Liberation Sans", r0->FontOrNil()->GetName());
  EXPECT_EQ("%0:s)", r0->FormatString);
  const TVLListLevel* r1 = copy.ListStyles->Items(0)->Levels->Items(1);
  ASSERT_TRUE(r1->HasPicture());
  EXPECT_EQ(6, r1->PictureOrNil()->GetWidth());
  EXPECT_EQ(li->GetListID(), copy.ListStyles->Items(0)->GetListID());

  EXPECT_EQ(sheet.GetInvalidPicture()->GetWidth(), copy.GetInvalidPicture()->GetWidth());

  // A fresh sheet streams to a fresh sheet too, without its picture.
  TVLStyle fresh(nullptr), freshCopy(nullptr);
  fresh.GetInvalidPicture();
  freshCopy.TextStyles->Clear();
  TMemoryStream freshStream;
  WriteComponentToStream(freshStream, fresh);
  EXPECT_EQ(AnsiString::npos, freshStream.Bytes().find("InvalidPicture"));
  freshStream.SetPosition(0);
  ReadComponentFromStream(freshStream, freshCopy);
  ExpectSheetsEqual(fresh, freshCopy);

  // A picture of the user's own is kept.
  TPicture mine;
  mine.SetGraphic(std::make_unique<TBitmap>(9, 4));
  fresh.SetInvalidPicture(&mine);
  TMemoryStream mineStream;
  WriteComponentToStream(mineStream, fresh);
  mineStream.SetPosition(0);
  ReadComponentFromStream(mineStream, freshCopy);
  EXPECT_EQ(9, freshCopy.GetInvalidPicture()->GetWidth());
  EXPECT_EQ(4, freshCopy.GetInvalidPicture()->GetHeight());
}

TEST(VLStyleStreamTest, StoredOnlyWhatDiffersAndReadOnlyProperties) {
  TVLStyle sheet(nullptr);
  TVLListInfo* li = sheet.ListStyles->Add();
  TVLListLevel* level = li->Levels->Add();
  level->GetFont();  // an "Arial" 8 font
  AnsiString bytes = CollectionToBytes(*sheet.ListStyles);
  EXPECT_EQ(14, static_cast<Byte>(bytes[0]));
  for (const char* absent : {"FormatStringCode", "FormatStringWCode", "Name", "Height", "ILTag",
                             "ListType", "FirstIndent", "Picture"})
    EXPECT_EQ(AnsiString::npos, bytes.find(absent)) << absent;
  EXPECT_NE(AnsiString::npos, bytes.find("LstID"));
  level->FormatString = "x";
  level->GetFont()->SetSize(9);
  bytes = CollectionToBytes(*sheet.ListStyles);
  for (const char* present : {"FormatStringCode", "Height"})
    EXPECT_NE(AnsiString::npos, bytes.find(present)) << present;

  // "SingleSymbols" is read and never written.
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteValue(vaCollection);
  writer.WriteListBegin();
  writer.WritePropName("SingleSymbols");
  writer.WriteBoolean(true);
  writer.WriteListEnd();
  writer.WriteListEnd();
  stream.SetPosition(0);
  TReader reader(stream);
  reader.ReadCollection(*sheet.TextStyles);
  ASSERT_EQ(1, sheet.TextStyles->Count());
  EXPECT_EQ((TVLProtectOptions{vlprStyleProtect, vlprDoNotAutoSwitch}),
            sheet.TextStyles->Items(0)->Protection);
  EXPECT_EQ(AnsiString::npos, CollectionToBytes(*sheet.TextStyles).find("SingleSymbols"));
}

TEST(VLStyleStreamTest, ImageListsGoByTagWithADocumentAndByNameWithout) {
  TComponent form(nullptr);
  auto* sheet = new TVLStyle(&form);
  auto* images = new TComponent(&form);
  images->SetName("Bullets");
  images->Tag = 42;
  TVLListLevel* level = sheet->ListStyles->Add()->Levels->Add();
  level->ListType = vllstImageList;
  level->ImageList = images;

  // Without a document: the component's name.
  AnsiString bytes = CollectionToBytes(*sheet->ListStyles);
  EXPECT_NE(AnsiString::npos, bytes.find("Bullets"));
  EXPECT_EQ(AnsiString::npos, bytes.find("ILTag"));
  auto* reread = new TVLStyle(&form);
  CollectionFromBytes(*reread->ListStyles, bytes);
  EXPECT_EQ(images, reread->ListStyles->Items(0)->Levels->Items(0)->ImageList);

  // With a document: the tag, and the document answers for it.
  TVLDocumentData doc(sheet);
  Integer asked = 0;
  TComponent other(nullptr);
  doc.OnVLFImageListNeeded = [&](TCustomVLData*, Integer tag, TComponent*& imageList) {
    asked = tag;
    imageList = &other;
  };
  sheet->ListStyles->FVLData = &doc;
  bytes = CollectionToBytes(*sheet->ListStyles);
  sheet->ListStyles->FVLData = nullptr;
  EXPECT_NE(AnsiString::npos, bytes.find("ILTag"));
  EXPECT_EQ(AnsiString::npos, bytes.find("Bullets"));
  reread->ListStyles->FVLData = &doc;
  CollectionFromBytes(*reread->ListStyles, bytes);
  reread->ListStyles->FVLData = nullptr;
  EXPECT_EQ(42, asked);
  EXPECT_EQ(&other, reread->ListStyles->Items(0)->Levels->Items(0)->ImageList);
}

}  // namespace

namespace {

// A text style changed with the styles made from it: those made by the
// bold, italic and underline switches (recorded as made from it, or in
// older documents of its name and like it but for the switches) take the
// new font and size and keep their own switches and own colour; others,
// standard look-alikes included, stay as they are.
TEST(VLStyleMatchTest, AChangedTextStyleTakesTheStylesMadeFromItAlong) {
  TVLStyle sheet(nullptr);
  TFontInfos& styles = *sheet.TextStyles;
  styles.Clear();
  auto add = [&](const char* name, bool standard, Integer base, TFontStyles style, TColor color) {
    TFontInfo* f = styles.Add();
    f->StyleName = name;
    f->FontName = "Arial";
    f->Size = 12;
    f->Standard = standard;
    f->BaseStyleNo = base;
    f->Style = style;
    f->Color = color;
    return styles.Count() - 1;
  };
  const Integer text = add("Quillory Text", true, -1, {}, clBlack);
  struct TCase {
    const char* What;
    Integer No;
    bool Follows;
    TFontStyles Style;  // after the change
    TColor Color;
  } cases[] = {
      {"bold, made from it", add("Quillory Text", false, text, {fsBold}, clBlack), true, {fsBold}, clBlue},
      {"italic and red, made from it", add("Quillory Text", false, text, {fsItalic}, clRed), true, {fsItalic}, clRed},
      {"underlined, of its name", add("Quillory Text", false, -1, {fsUnderline}, clBlack), true, {fsUnderline},
       clBlue},
      {"of its name in another colour", add("Quillory Text", false, -1, {fsBold}, clRed), false, {fsBold}, clRed},
      {"a standard look-alike", add("Sub Heading", true, -1, {fsBold}, clBlack), false, {fsBold}, clBlack},
      {"another name", add("Caf\xC3\xA9 Notes", false, -1, {fsBold}, clBlack), false, {fsBold}, clBlack},
  };
  TFontInfo changed(nullptr);
  changed.Assign(styles.Items(text));
  changed.FontName = "Liberation Serif";
  changed.Size = 14;
  changed.Color = clBlue;
  styles.ChangeWithDerived(text, changed);
  EXPECT_EQ(styles.Items(text)->Size, 14);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const TFontInfo& f = *styles.Items(c.No);
    EXPECT_EQ(f.FontName, c.Follows ? "Liberation Serif" : "Arial");
    EXPECT_EQ(f.Size, c.Follows ? 14 : 12);
    EXPECT_EQ(f.Style, c.Style);
    EXPECT_EQ(f.Color, c.Color);
    EXPECT_FALSE(f.Standard && c.Follows);
  }
}

}  // namespace
