// The style sheet in an INI section: the keys a fresh sheet writes, and
// sheets that load back equal.
#include "platform/base/IniFiles.h"
#include "platform/base/Strings.h"
#include "richtext/model/VLStyleIni.h"
#include "support/TestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::map<String, String> SectionValues(const String& fileName, const String& section) {
  TIniFile ini(fileName);
  TStringList keys;
  ini.ReadSection(section, keys);
  std::map<String, String> r;
  for (int i = 0; i < keys.Count(); ++i) r[keys.Get(i)] = ini.ReadString(section, keys.Get(i), "");
  return r;
}

}  // namespace

TEST(IniStyleStorage, FreshSheetWritesExactlyTheListedKeys) {
  qytest::TempDir dir;
  const String file = (dir / "QYStyle.ini").string();
  TVLStyle style(nullptr);
  VLStyleSaveINI(style, file, VLStyleSectionName);
  const std::map<String, String> expected{
      {"ParasCount", "2"},          {"ParaStyleName0", "Paragraph Style"},
      {"ParaStyleName1", "Centered"}, {"ParaAlignment1", "2"},
      {"FontsCount", "6"},          {"FontStyleName0", "Normal text"},
      {"FontName0", "Arial"},       {"FontJump0", "No"},
      {"FontStyleName1", "Heading"}, {"FontName1", "Arial"},
      {"FontJump1", "No"},          {"FontColor1", "16711680"},
      {"FontBold1", "Yes"},         {"FontStyleName2", "Subheading"},
      {"FontName2", "Arial"},       {"FontJump2", "No"},
      {"FontColor2", "8388608"},    {"FontBold2", "Yes"},
      {"FontStyleName3", "Keywords"}, {"FontName3", "Arial"},
      {"FontJump3", "No"},          {"FontColor3", "128"},
      {"FontItalic3", "Yes"},       {"FontStyleName4", "Jump 1"},
      {"FontName4", "Arial"},       {"FontJump4", "Yes"},
      {"FontColor4", "32768"},      {"FontUnderline4", "Yes"},
      {"FontStyleName5", "Jump 2"}, {"FontName5", "Arial"},
      {"FontJump5", "Yes"},         {"FontColor5", "32768"},
      {"FontUnderline5", "Yes"},    {"ListCount", "0"},
  };
  EXPECT_EQ(SectionValues(file, VLStyleSectionName), expected);

  TVLStyle back(nullptr);
  back.TextStyles->Clear();
  back.ParaStyles->Clear();
  VLStyleLoadINI(back, file, VLStyleSectionName);
  ASSERT_EQ(back.TextStyles->Count(), style.TextStyles->Count());
  ASSERT_EQ(back.ParaStyles->Count(), style.ParaStyles->Count());
  for (Integer i = 0; i < style.TextStyles->Count(); ++i)
    EXPECT_TRUE(back.TextStyles->Items(i)->IsEqual(*style.TextStyles->Items(i), false, true)) << i;
  for (Integer i = 0; i < style.ParaStyles->Count(); ++i)
    EXPECT_TRUE(back.ParaStyles->Items(i)->IsEqual(*style.ParaStyles->Items(i), false, true)) << i;
}

TEST(IniStyleStorage, EverySettingSurvivesSaveAndLoad) {
  qytest::TempDir dir;
  const String file = (dir / "s.ini").string();
  TVLStyle style(nullptr);
  style.UseSound = false;
  style.SelColor = clRed;
  style.DefUnicodeStyle = 2;
  TFontInfo* f = style.TextStyles->Items(2);
  f->Standard = false;
  f->Unicode = true;
  f->Protection = {vlprModifyProtect, vlprStickToBottom};
  f->StyleEx = {vlfsAllCaps};
  f->NextStyleNo = 1;
  TParaInfo* p = style.ParaStyles->Items(1);
  p->Border.Style = vlbDouble;
  p->Border.VisibleBorders.Top = false;
  p->Background.Color = clYellow;
  p->Background.BorderOffsets.Bottom = 4;
  p->DefStyleNo = 3;
  for (bool preview : {true, false}) {
    TVLListInfo* list = style.ListStyles->Add();
    list->OneLevelPreview = preview;
    TVLListLevel* l = list->Levels->Add();
    l->ListType = vllstUpperRoman;
    l->FormatString = "%0:s)";
    l->FormatStringW = u"\u2022x";
    l->StartFrom = 5;
    l->Options = {vlloLegalStyleNumbering};
    l->GetFont()->SetName("Liberation Serif");
    l->GetFont()->SetStyle({fsBold, fsStrikeOut});
    l->GetFont()->SetColor(clBtnFace);
  }
  // A picture longer than one piece of the long-string form.
  auto bmp = std::make_unique<TBitmap>(20, 10);
  TPicture pic;
  pic.SetGraphic(std::move(bmp));
  style.ListStyles->Items(0)->Levels->Items(0)->SetPicture(&pic);

  VLStyleSaveINI(style, file, "S");
  auto values = SectionValues(file, "S");
  EXPECT_EQ(values["UseSound"], "No");
  EXPECT_EQ(values["FontStandard2"], "0");
  EXPECT_EQ(values["List0LvlGraphicClass0"], "TBitmap");
  EXPECT_EQ(values["List0LvlPicture0_0"].size(), 500u);
  EXPECT_EQ(values.count("List0LvlPicture0_1"), 1u);
  EXPECT_EQ(values["List0LvlFont0"].substr(0, 18), "Liberation Serif,-");

  TVLStyle back(nullptr);
  VLStyleLoadINI(back, file, "S");
  EXPECT_FALSE(back.UseSound);
  EXPECT_EQ(back.SelColor, clRed);
  EXPECT_EQ(back.DefUnicodeStyle, 2);
  EXPECT_TRUE(back.TextStyles->Items(2)->IsEqual(*f, false, true));
  EXPECT_FALSE(back.TextStyles->Items(2)->Standard);
  EXPECT_TRUE(back.ParaStyles->Items(1)->IsEqual(*p, false, true));
  ASSERT_EQ(back.ListStyles->Count(), 2);
  for (Integer i = 0; i < 2; ++i) {
    TVLListInfo* l = back.ListStyles->Items(i);
    // Each list keeps its own preview flag.
    EXPECT_EQ(l->OneLevelPreview, i == 0);
    TVLListLevel* lv = l->Levels->Items(0);
    EXPECT_EQ(lv->ListType, vllstUpperRoman);
    EXPECT_EQ(lv->FormatString, "%0:s)");
    EXPECT_EQ(lv->FormatStringW, u"\u2022x");
    EXPECT_EQ(lv->StartFrom, 5);
    EXPECT_TRUE(lv->Options.Contains(vlloLegalStyleNumbering));
    EXPECT_FALSE(lv->Options.Contains(vlloContinuous));
    ASSERT_NE(lv->FontOrNil(), nullptr);
    EXPECT_TRUE(lv->FontOrNil()->IsEqual(*style.ListStyles->Items(i)->Levels->Items(0)->GetFont()));
  }
  ASSERT_NE(back.ListStyles->Items(0)->Levels->Items(0)->PictureOrNil(), nullptr);
  EXPECT_EQ(back.ListStyles->Items(0)->Levels->Items(0)->PictureOrNil()->GetWidth(), 20);
  EXPECT_EQ(back.ListStyles->Items(1)->Levels->Items(0)->PictureOrNil(), nullptr);
}

TEST(IniStyleStorage, EmptySectionAndForeignPictureClasses) {
  qytest::TempDir dir;
  const String file = (dir / "e.ini").string();
  {
    TIniFile ini(file);
    ini.WriteString("S", "JumpCursor", "77");
    ini.WriteString("S", "ListCount", "1");
    ini.WriteString("S", "ListLevelsCount0", "1");
    ini.WriteString("S", "List0LvlGraphicClass0", "TShellObject");
    ini.WriteString("S", "List0LvlPicture0_0", "00FF");
    ini.WriteString("S", "FontsCount", "-5");
    ini.UpdateFile();
  }
  TVLStyle style(nullptr);
  VLStyleLoadINI(style, file, "S");
  EXPECT_EQ(style.TextStyles->Count(), 0);
  ASSERT_EQ(style.ParaStyles->Count(), 2);
  EXPECT_EQ(style.ParaStyles->Items(0)->StyleName, "Paragraph Style");
  ASSERT_EQ(style.ListStyles->Count(), 1);
  EXPECT_EQ(style.ListStyles->Items(0)->Levels->Items(0)->PictureOrNil(), nullptr);

  TIniFile ini(file);
  ini.EraseSection("S");
  ini.UpdateFile();
  TVLStyle empty(nullptr);
  VLStyleLoadINI(empty, file, "S");
  ASSERT_EQ(empty.TextStyles->Count(), 6);
  for (Integer i = 0; i < 6; ++i) {
    EXPECT_EQ(empty.TextStyles->Items(i)->StyleName, "Font Style");
    EXPECT_EQ(empty.TextStyles->Items(i)->Jump, i == 4 || i == 5);
  }
}

TEST(IniStyleStorage, InitialSheetIsUnicodeAndFileSheetKeepsWhatItSays) {
  qytest::TempDir dir;
  TVLStyle initial(nullptr);
  EXPECT_FALSE(VLStyleLoadOrInitial(initial, dir.str()));
  ASSERT_EQ(initial.TextStyles->Count(), 6);
  for (Integer i = 0; i < 6; ++i) EXPECT_TRUE(initial.TextStyles->Items(i)->Unicode) << i;

  TVLStyle plain(nullptr);
  VLStyleSaveINI(plain, (dir / VLStyleFileName).string(), VLStyleSectionName);
  TVLStyle fromFile(nullptr);
  EXPECT_TRUE(VLStyleLoadOrInitial(fromFile, dir.str()));
  for (Integer i = 0; i < 6; ++i) EXPECT_FALSE(fromFile.TextStyles->Items(i)->Unicode) << i;
}

TEST(IniStyleStorage, StyleNamesKeepTheirBlanksAndQuotes) {
  qytest::TempDir dir;
  const String file = (dir / "QYStyle.ini").string();
  const String names[] = {" Heading ", "  two leading", "trailing\t", "\"quoted\"", "'single'", "Quote; note", "plain"};
  TVLStyle style(nullptr);
  style.TextStyles->Clear();
  style.ParaStyles->Clear();
  for (const String& n : names) {
    style.TextStyles->Add()->StyleName = n;
    style.ParaStyles->Add()->StyleName = n;
  }
  VLStyleSaveINI(style, file, VLStyleSectionName);
  TVLStyle back(nullptr);
  VLStyleLoadINI(back, file, VLStyleSectionName);
  ASSERT_EQ(back.TextStyles->Count(), static_cast<Integer>(std::size(names)));
  ASSERT_EQ(back.ParaStyles->Count(), static_cast<Integer>(std::size(names)));
  for (Integer i = 0; i < back.TextStyles->Count(); ++i) {
    EXPECT_EQ(back.TextStyles->Items(i)->StyleName, names[i]);
    EXPECT_EQ(back.ParaStyles->Items(i)->StyleName, names[i]);
  }
}

namespace {

// A styles file that claims more styles than it holds: the counts are bounded
// by the keys the section has, so loading stays quick, and a file of many
// real styles still loads every one of them.
TEST(IniStyleStorage, CountsAreBoundedByWhatTheFileHolds) {
  qytest::TempDir dir;
  const String file = (dir / "hostile.ini").string();
  {
    TIniFile ini(file);
    ini.WriteString("S", "ParasCount", "65535");
    ini.WriteString("S", "FontsCount", "2000000000");
    ini.WriteString("S", "ListCount", "65535");
    for (int i = 0; i < 10; ++i) ini.WriteString("S", "ListLevelsCount" + std::to_string(i), "65535");
    ini.WriteString("S", "ParaStyleName3", "Fourth");
    ini.UpdateFile();
  }
  TVLStyle style(nullptr);
  // CPU time, not the clock's: a loaded machine does not change it.
  EXPECT_LT(qytest::MeasureWork([&] { VLStyleLoadINI(style, file, "S"); }).CpuSeconds, 2.0);
  const Integer loaded = style.ParaStyles->Count() + style.TextStyles->Count() + style.ListStyles->Count();
  EXPECT_LE(loaded, 15 + 8);
  ASSERT_GE(style.ParaStyles->Count(), 4);
  EXPECT_EQ(style.ParaStyles->Items(3)->StyleName, "Fourth");

  // 3,000 real text styles: each has its keys, each is read.
  TVLStyle many(nullptr);
  many.TextStyles->Clear();
  for (int i = 0; i < 3000; ++i) many.TextStyles->Add()->StyleName = "Style " + std::to_string(i);
  const String manyFile = (dir / "many.ini").string();
  VLStyleSaveINI(many, manyFile, "S");
  TVLStyle back(nullptr);
  EXPECT_LT(qytest::MeasureWork([&] { VLStyleLoadINI(back, manyFile, "S"); }).CpuSeconds, 5.0);
  ASSERT_EQ(back.TextStyles->Count(), 3000);
  EXPECT_EQ(back.TextStyles->Items(2999)->StyleName, "Style 2999");
}

}  // namespace
