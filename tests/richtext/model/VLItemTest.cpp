#include "platform/base/Strings.h"
#include "richtext/model/VLItem.h"

#include <gtest/gtest.h>

namespace {

class TTestTableItem : public TVLFullLineItemInfo {
public:
  using TVLFullLineItemInfo::TVLFullLineItemInfo;
};
class TOtherTableItem : public TVLFullLineItemInfo {
public:
  using TVLFullLineItemInfo::TVLFullLineItemInfo;
};

TEST(VLItemTest, TheFactoryMakesTheClassOfEachStyleNumber) {
  struct TCase {
    Integer styleNo;
    const std::type_info* type;
  };
  const TCase cases[] = {
      {0, &typeid(TVLTextItemInfo)},         {5, &typeid(TVLTextItemInfo)},
      {vlsDefStyle, &typeid(TVLTextItemInfo)}, {-1, &typeid(TVLBreakItemInfo)},
      {-3, &typeid(TVLGraphicItemInfo)},     {-4, &typeid(TVLHotspotItemInfo)},
      {-5, &typeid(TVLControlItemInfo)},     {-6, &typeid(TVLBulletItemInfo)},
      {-10, &typeid(TVLHotGraphicItemInfo)}, {-11, &typeid(TVLMarkerItemInfo)},
      {-2, nullptr},                         {-7, nullptr},
      {-8, nullptr},                         {-9, nullptr},
      {-12, nullptr},                        {-1000, nullptr},
  };
  for (const TCase& c : cases) {
    auto item = CreateVellumItem(c.styleNo, nullptr);
    if (!c.type) {
      EXPECT_EQ(nullptr, item) << c.styleNo;
      continue;
    }
    ASSERT_NE(nullptr, item) << c.styleNo;
    EXPECT_EQ(*c.type, typeid(*item)) << c.styleNo;
    EXPECT_EQ(c.styleNo, item->StyleNo);
    EXPECT_EQ(-1, item->DrawItemNo);
    EXPECT_EQ(0, item->ItemOptions);
  }
  auto rect = CreateVellumItem(vlsPicture, nullptr);
  EXPECT_EQ(1, static_cast<TVLRectItemInfo*>(rect.get())->Spacing);
  auto br = CreateVellumItem(vlsBreak, nullptr);
  EXPECT_EQ(0, static_cast<TVLBreakItemInfo*>(br.get())->LineWidth);
}

// Takes back on leaving the class a test registers: the registry is the
// whole program's, and later tests expect no class for that number.
struct TRegisteredItemClassGuard {
  explicit TRegisteredItemClassGuard(Integer no) : No(no) {}
  ~TRegisteredItemClassGuard() { UnregisterItemClass(No); }
  Integer No;
};

TEST(VLItemTest, RegistryRules) {
  ASSERT_EQ(nullptr, CreateVellumItem(-60, nullptr));
  TRegisteredItemClassGuard guard(-60);
  RegisterItemClass(-60, VLItemClassOf<TTestTableItem>());
  RegisterItemClass(-60, VLItemClassOf<TTestTableItem>());  // the same class again is fine
  try {
    RegisterItemClass(-60, VLItemClassOf<TOtherTableItem>());
    FAIL() << "another class for a taken number";
  } catch (const EVellumError& e) {
    EXPECT_STREQ("Can't register Vellum item type - this StyleNo is already registered", e.what());
    EXPECT_STREQ("EVellumError", e.ClassName());
  }
  for (Integer reserved : {-9, -2, -1, 0, 7})
    EXPECT_THROW(RegisterItemClass(reserved, VLItemClassOf<TTestTableItem>()), EVellumError)
        << reserved;
  auto table = CreateVellumItem(-60, nullptr);
  ASSERT_NE(nullptr, table);
  EXPECT_EQ(typeid(TTestTableItem), typeid(*table));
  EXPECT_EQ(-60, table->StyleNo);
  EXPECT_TRUE(table->GetBoolValue(0));

  // A copy keeps the registered class.
  table->ParaNo = 3;
  auto copy = DuplicateItem(*table, nullptr, false);
  EXPECT_EQ(typeid(TTestTableItem), typeid(*copy));
  EXPECT_EQ(3, copy->ParaNo);
}

TEST(VLItemTest, OptionBits) {
  struct TCase {
    Byte start;
    std::function<void(TCustomVLItemInfo&)> change;
    Byte after;
  };
  const TCase cases[] = {
      {1 | 4 | 8, [](TCustomVLItemInfo& i) { i.SetPageBreakBefore(true); }, 2 | 8},
      {2 | 4, [](TCustomVLItemInfo& i) { i.SetSameAsPrev(true); }, 1},
      {1 | 8, [](TCustomVLItemInfo& i) { i.SetBR(true); }, 4 | 8},
      {1 | 2 | 4, [](TCustomVLItemInfo& i) { i.SetSameAsPrev(false); }, 2 | 4},
      {2 | 4, [](TCustomVLItemInfo& i) { i.SetBR(false); }, 2},
      {2, [](TCustomVLItemInfo& i) { i.SetPageBreakBefore(false); }, 0},
  };
  for (const TCase& c : cases) {
    TVLTextItemInfo item(nullptr);
    item.ItemOptions = c.start;
    c.change(item);
    EXPECT_EQ(c.after, item.ItemOptions) << int(c.start);
  }
  TVLBreakItemInfo br(nullptr);
  br.ItemOptions = 1 | 4;
  br.SetBR(true);
  EXPECT_EQ(0, br.ItemOptions);

  TVLTextItemInfo item(nullptr);
  EXPECT_TRUE(item.IsParaStart());
  item.ItemOptions = 4;
  EXPECT_FALSE(item.IsParaStart());
  EXPECT_TRUE(item.IsFromNewLine());
  item.ItemOptions = 2 | 8;
  EXPECT_TRUE(item.IsParaStart());

  EXPECT_EQ(1 | 8, VLFItemOptions(2 | 4 | 8 | 0x30, true));
  EXPECT_EQ(2 | 4, VLFItemOptions(2 | 4 | 0x80, false));
}

TEST(VLItemTest, ExtraPropertyLines) {
  struct TCase {
    const char* line;
    Integer vshift, spacing;
    bool vshiftAbs, unremovable;
    const char* hint;
  };
  const TCase cases[] = {
      {"vshift=abc", 0, 1, false, false, ""},  {"vshift=-30", -30, 1, false, false, ""},
      {"spacing=-4", 7, 0, false, false, ""},  {"spacing=6", 7, 6, false, false, ""},
      {"vshiftabs=2", 7, 1, true, false, ""},  {"unremovable=1", 7, 1, false, true, ""},
      {"Width=5", 7, 1, false, false, ""},     {"no equals sign", 7, 1, false, false, ""},
      {"hint=a=b", 7, 1, false, false, "a=b"},
  };
  for (const TCase& c : cases) {
    TVLGraphicItemInfo item(nullptr);
    item.VShift = 7;
    ReadExtraProperty(item, c.line);
    EXPECT_EQ(c.vshift, item.VShift) << c.line;
    EXPECT_EQ(c.spacing, item.Spacing) << c.line;
    EXPECT_EQ(c.vshiftAbs, item.VShiftAbs) << c.line;
    EXPECT_EQ(c.unremovable, item.DeleteProtect) << c.line;
    EXPECT_EQ(c.hint, item.Hint) << c.line;
    EXPECT_EQ(0, item.ImageWidth) << c.line;
  }

  // Lines go out in class order, only where a value is set.
  TVLGraphicItemInfo picture(nullptr);
  EXPECT_EQ(0, picture.GetVLFExtraPropertyCount());
  picture.Hint = "look";
  picture.DeleteProtect = true;
  picture.VShift = 10;
  picture.Spacing = 3;
  picture.ImageWidth = 40;
  picture.Alt = "a \"cat\"";
  TMemoryStream stream;
  picture.SaveVLFExtraProperties(stream);
  EXPECT_EQ(6, picture.GetVLFExtraPropertyCount());
  EXPECT_EQ("hint=look\r\nunremovable=1\r\nvshift=10\r\nspacing=3\r\nwidth=40\r\nalt=a \"cat\"\r\n",
            stream.Bytes());

  // Reading them back gives the same item; a hint with a percent sign stays
  // as written, and line breaks in a value keep it on one line.
  TVLGraphicItemInfo back(nullptr);
  picture.Hint = "100%s done %d";
  picture.ImageFileName = "two\r\nlines\n";
  TMemoryStream again;
  picture.SaveVLFExtraProperties(again);
  TStringList lines;
  lines.SetText(again.Bytes());
  for (int i = 0; i < lines.Count(); ++i) ReadExtraProperty(back, lines[i]);
  EXPECT_EQ("100%s done %d", back.Hint);
  EXPECT_TRUE(back.DeleteProtect);
  EXPECT_EQ(10, back.VShift);
  EXPECT_EQ(3, back.Spacing);
  EXPECT_EQ(40, back.ImageWidth);
  EXPECT_EQ("a \"cat\"", back.Alt);
  EXPECT_EQ("two\r\nlines\n", back.ImageFileName);
  EXPECT_EQ(7, lines.Count());

  TVLTextItemInfo text(nullptr);
  Integer value = 0;
  EXPECT_FALSE(text.SetExtraIntProperty(vleipSpacing, 3));
  EXPECT_FALSE(text.GetExtraIntProperty(vleipSpacing, value));
  EXPECT_TRUE(text.SetExtraStrProperty(vlesipHint, "h"));
  EXPECT_FALSE(text.SetExtraStrProperty(vlesipAltText, "a"));
}

TEST(VLItemTest, BooleanPropertiesByClass) {
  TVLStyle sheet(nullptr);
  TVLTextItemInfo text(nullptr), link(nullptr);
  link.StyleNo = 4;
  TVLBreakItemInfo br(nullptr);
  TVLGraphicItemInfo picture(nullptr), icon(nullptr);
  picture.Image = std::make_unique<TBitmap>(2, 2);
  icon.Image = std::make_unique<TIcon>();
  TVLHotspotItemInfo hotspot(nullptr);
  hotspot.HotImageIndex = 1;
  TVLMarkerItemInfo marker(nullptr);
  TVLControlItemInfo control(nullptr);
  struct TCase {
    const TCustomVLItemInfo* item;
    Integer prop;
    bool value;
  };
  const TCase plain[] = {
      {&text, 0, false},   {&text, 1, true},     {&text, 2, true},     {&text, 3, false},
      {&text, 12, true},   {&br, 0, true},       {&br, 2, false},      {&picture, 1, true},
      {&picture, 3, true}, {&picture, 4, true},  {&picture, 8, true},  {&icon, 8, false},
      {&hotspot, 1, false}, {&hotspot, 3, true}, {&marker, 4, true},   {&marker, 5, true},
      {&marker, 6, false}, {&control, 1, false}, {&control, 7, true},  {&control, 9, true},
      {&control, 8, false}, {&text, 11, false},
  };
  for (const TCase& c : plain)
    EXPECT_EQ(c.value, c.item->GetBoolValue(c.prop)) << typeid(*c.item).name() << " " << c.prop;
  const TCase ex[] = {
      {&text, 0, true},    {&text, 1, false},  {&link, 1, true},    {&link, 2, true},
      {&link, 4, true},    {&br, 0, false},    {&picture, 0, true}, {&hotspot, 1, true},
      {&hotspot, 3, true}, {&marker, 5, true}, {&marker, 0, true},  {&control, 4, false},
  };
  for (const TCase& c : ex)
    EXPECT_EQ(c.value, c.item->GetBoolValueEx(c.prop, &sheet))
        << typeid(*c.item).name() << " " << c.prop;
  // Hover sensitivity: a hover colour somewhere, or a hover background that differs.
  EXPECT_FALSE(link.GetBoolValueEx(3, &sheet));
  sheet.TextStyles->Items(4)->HoverBackColor = clYellow;
  EXPECT_TRUE(link.GetBoolValueEx(3, &sheet));
}

TEST(VLItemTest, StyleNumbersAssignAndCopies) {
  TVLStyle sheet(nullptr);
  TVLTextItemInfo item(nullptr);
  item.StyleNo = vlsDefStyle;
  item.ParaNo = 1;
  EXPECT_EQ(0, item.GetActualStyleNo(&sheet));
  sheet.ParaStyles->Items(1)->DefStyleNo = 3;
  EXPECT_EQ(3, item.GetActualStyleNo(&sheet));
  item.StyleNo = 2;
  EXPECT_EQ(2, item.GetActualStyleNo(&sheet));

  TVLMarkerItemInfo marker(nullptr);
  marker.StyleNo = vlsListMarker;
  marker.ParaNo = 2;
  marker.ListNo = 1;
  marker.Level = 3;
  marker.Reset = true;
  marker.VShift = 4;
  marker.Hint = "m";
  marker.JumpID = 9;
  marker.Tag.Int = 77;
  marker.Tag.Str = "tag";
  TVLCPInfo cp;
  cp.Name = "here";
  cp.RaiseEvent = true;
  cp.Tag.Int = 5;
  cp.Tag.Str = "five";
  marker.Checkpoint = &cp;
  auto copy = DuplicateItem(marker, nullptr, true);
  auto* m = dynamic_cast<TVLMarkerItemInfo*>(copy.get());
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(1, m->ListNo);
  EXPECT_EQ(3, m->Level);
  EXPECT_TRUE(m->Reset);
  EXPECT_EQ(4, m->VShift);
  EXPECT_EQ("m", m->Hint);
  EXPECT_EQ(2, m->ParaNo);
  EXPECT_EQ(0, m->JumpID);
  EXPECT_EQ(-1, m->DrawItemNo);
  // Integer tags without a document that says otherwise.
  EXPECT_EQ(77, m->Tag.Int);
  EXPECT_EQ("", m->Tag.Str);
  ASSERT_NE(nullptr, m->Checkpoint);
  std::unique_ptr<TVLCPInfo> cpCopy(m->Checkpoint);
  m->Checkpoint = nullptr;
  EXPECT_NE(&cp, cpCopy.get());
  EXPECT_EQ("here", cpCopy->Name);
  EXPECT_TRUE(cpCopy->RaiseEvent);
  EXPECT_EQ(5, cpCopy->Tag.Int);
  marker.Checkpoint = nullptr;

  auto strCp = cp.CreateCopy(true);
  EXPECT_EQ("five", strCp->Tag.Str);
  EXPECT_TRUE(VLTagsEqual(cp.Tag, strCp->Tag, true));
  EXPECT_FALSE(VLTagsEqual(cp.Tag, strCp->Tag, false));

  // Assigning between kinds copies the common part only.
  TVLTextItemInfo text(nullptr);
  text.Assign(&marker);
  EXPECT_EQ(vlsListMarker, text.StyleNo);
  EXPECT_EQ("m", text.Hint);
  TVLBreakItemInfo br(nullptr);
  br.Color = clRed;
  br.Assign(&marker);
  EXPECT_EQ(clRed, br.Color);

  // Style usage and renumbering.
  TVLIntegerList used[3] = {TVLIntegerList::CreateFilled(3, 0), TVLIntegerList::CreateFilled(3, 0),
                            TVLIntegerList::CreateFilled(3, 0)};
  text.StyleNo = 2;
  text.ParaNo = 1;
  text.MarkStylesInUse(used[0], used[1], used[2]);
  marker.MarkStylesInUse(used[0], used[1], used[2]);
  EXPECT_EQ(std::vector<Integer>({0, 0, 1}), used[0].Values());
  EXPECT_EQ(std::vector<Integer>({0, 1, 1}), used[1].Values());
  EXPECT_EQ(std::vector<Integer>({0, 1, 0}), used[2].Values());
  // A number past the list is left alone rather than read past its end.
  text.ParaNo = 40;
  text.MarkStylesInUse(used[0], used[1], used[2]);
  TVLIntegerList shift = TVLIntegerList::CreateFilled(3, 1);
  shift.Put(2, 2);
  text.UpdateStyles(shift, shift, shift);
  EXPECT_EQ(1, text.StyleNo);
  EXPECT_EQ(40, text.ParaNo);
}

TEST(VLItemTest, HeaderParameters) {
  struct TCase {
    Integer styleNo;
    const char* params;
  };
  const TCase cases[] = {{vlsBreak, "255 2 3"}, {vlsListMarker, "2 1 5 1"}, {vlsPicture, "1"},
                         {vlsHotspot, "7 3 4"}, {vlsBullet, "7 3"}};
  for (const TCase& c : cases) {
    auto item = CreateVellumItem(c.styleNo, nullptr);
    const char* p = c.params;
    ASSERT_TRUE(item->ReadVLFParams(p)) << c.params;
    EXPECT_EQ(c.params, item->GetVLFParams(nullptr)) << c.styleNo;
  }
  auto marker = CreateVellumItem(vlsListMarker, nullptr);
  const char* bad = "1 x";
  EXPECT_FALSE(marker->ReadVLFParams(bad));
  EXPECT_EQ(" align=middle", GetHTMLImageAlign(vlvaMiddle));
  EXPECT_EQ("", GetHTMLImageAlign(vlvaBaseline));
}

TEST(VLItemTest, DocumentHooksAreUsedWhenSet) {
  TVLItemDocumentHooks saved = VLItemDocumentHooks();
  std::vector<TVLItemAction> actions;
  auto* doc = reinterpret_cast<TCustomVLData*>(&actions);
  VLItemDocumentHooks().ItemAction = [&](TCustomVLData*, TVLItemAction a, TCustomVLItemInfo*,
                                         AnsiString& text) {
    actions.push_back(a);
    if (a == vliaInserting) text = "changed";
  };
  VLItemDocumentHooks().GetItemText = [](const TCustomVLData*, Integer) { return AnsiString("t"); };
  VLItemDocumentHooks().GetOptions = [](const TCustomVLData*) { return TVLOptions{vloTagsArePChars}; };
  TVLTextItemInfo item(nullptr);
  AnsiString text = "x";
  item.Inserting(doc, text, false);
  item.Inserted(doc, 0);
  item.MovingToUndoList(0, doc, nullptr);
  item.Inserting(nullptr, text, false);
  EXPECT_EQ("changed", text);
  EXPECT_EQ(std::vector<TVLItemAction>({vliaInserting, vliaInserted, vliaMovingToUndoList}), actions);
  item.Tag.Int = 3;
  item.Tag.Str = "s";
  auto copy = DuplicateItem(item, doc, false);
  EXPECT_EQ(0, copy->Tag.Int);
  EXPECT_EQ("s", copy->Tag.Str);
  VLItemDocumentHooks() = saved;
}

// ---------------------------------------------------------------------------
// Paragraph navigation.
class TItemList {
public:
  // Each entry: option bits of one item.
  explicit TItemList(std::initializer_list<Byte> options) {
    for (Byte o : options) {
      auto item = std::make_unique<TVLTextItemInfo>(nullptr);
      item->ItemOptions = o;
      List.AddObject("x", item.get());
      Owned.push_back(std::move(item));
    }
  }
  TStringList List;
  std::vector<std::unique_ptr<TVLTextItemInfo>> Owned;
};

TEST(VLNavigationTest, ParagraphsAndLines) {
  // Items 0-4: one paragraph, with a line break at item 3; then a paragraph 5-6.
  TItemList doc({0, 1, 1, 4, 1, 0, 1});
  struct TCase {
    Integer first, last, paraFirst, paraLast, sectionFirst, sectionLast;
  };
  const TCase cases[] = {{2, 2, 0, 4, 0, 2}, {3, 3, 0, 4, 3, 4}, {4, 5, 0, 6, 3, 6},
                         {6, 6, 5, 6, 5, 6}, {0, 0, 0, 4, 0, 2}};
  for (const TCase& c : cases) {
    Integer a = -9, b = -9;
    VLExpandToParas(doc.List, c.first, c.last, a, b);
    EXPECT_EQ(c.paraFirst, a) << c.first;
    EXPECT_EQ(c.paraLast, b) << c.first;
    VLExpandToParaSections(doc.List, c.first, c.last, a, b);
    EXPECT_EQ(c.sectionFirst, a) << c.first;
    EXPECT_EQ(c.sectionLast, b) << c.first;
  }
  EXPECT_EQ(0, VLGetParaStartItem(doc.List, 4));
  EXPECT_EQ(5, VLGetParaStartItem(doc.List, 6));
  EXPECT_EQ(3, VLGetLineBreakStartItem(doc.List, 4));
  EXPECT_EQ(-1, VLGetParaStartItem(doc.List, -1));

  // A paragraph that starts with a list marker answers the marker.
  TStringList withMarker;
  TVLMarkerItemInfo marker(nullptr);
  TVLTextItemInfo first(nullptr), second(nullptr);
  first.ItemOptions = vlioSameAsPrev;
  second.ItemOptions = vlioSameAsPrev;
  withMarker.AddObject("", &marker);
  withMarker.AddObject("a", &first);
  withMarker.AddObject("b", &second);
  EXPECT_EQ(0, VLGetParaStartItem(withMarker, 2));

  struct TClamp {
    Integer itemNo, count, clamped;
  };
  for (const TClamp& c : {TClamp{5, 3, 2}, TClamp{-4, 3, 0}, TClamp{0, 0, 0}, TClamp{7, 0, 0}, TClamp{1, 3, 1}}) {
    Integer no = c.itemNo;
    VLClampItemNo(no, c.count);
    EXPECT_EQ(c.clamped, no) << c.itemNo << " of " << c.count;
  }
}

TEST(VLNavigationTest, DirectionsOfItemsAndParagraphs) {
  TVLStyle sheet(nullptr);
  TItemList doc({0, 1, 0});
  doc.Owned[0]->StyleNo = 1;
  doc.Owned[1]->StyleNo = 0;
  doc.Owned[2]->ParaNo = 1;
  sheet.TextStyles->Items(1)->BiDiMode = vlbdRightToLeft;
  sheet.ParaStyles->Items(0)->BiDiMode = vlbdLeftToRight;
  EXPECT_EQ(vlbdRightToLeft, VLGetItemBiDiMode(doc.List, &sheet, 0, vlbdUnspecified));
  EXPECT_EQ(vlbdLeftToRight, VLGetItemBiDiMode(doc.List, &sheet, 1, vlbdUnspecified));
  EXPECT_EQ(vlbdRightToLeft, VLGetItemBiDiMode(doc.List, &sheet, 2, vlbdRightToLeft));
  EXPECT_EQ(vlbdUnspecified, VLGetItemBiDiMode(doc.List, &sheet, 2, vlbdUnspecified));
  EXPECT_EQ(vlbdLeftToRight, VLGetParaBiDiMode(&sheet, 0, vlbdRightToLeft));
}

}  // namespace
