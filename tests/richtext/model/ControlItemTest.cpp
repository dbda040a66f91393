// Control items: their boxes and percent widths, placing, the whitelist of
// classes a document may create, the control's state in VLF, and printing
// through the control's image.
#include "platform/base/Streams.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/model/CtrlImg.h"
#include "richtext/model/VLControlClasses.h"
#include "richtext/model/VLData.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TVLControlItemInfo> ControlItem(TControl* control) {
  auto item = std::make_unique<TVLControlItemInfo>(nullptr);
  item->StyleNo = vlsComponent;
  item->Control = control;
  return item;
}

AnsiString Write(TCustomVLData& doc) {
  TMemoryStream s;
  EXPECT_TRUE(doc.SaveVLFToStream(s, false, clNone, nullptr, bsNoBitmap, nullptr));
  return s.Bytes();
}

bool Read(TCustomVLData& doc, const AnsiString& vlf) {
  TStringStream in(vlf);
  TColor color = clNone;
  return doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
}

// A row of the bitmap as dark (true) and light pixels.
std::vector<bool> DarkColumns(TBitmap& b, Integer y0, Integer y1) {
  std::vector<bool> dark(static_cast<size_t>(b.GetWidth()), false);
  for (Integer x = 0; x < b.GetWidth(); ++x)
    for (Integer y = y0; y < y1; ++y) {
      const TColor c = b.Canvas()->GetPixel(x, y);
      if ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 200) dark[static_cast<size_t>(x)] = true;
    }
  return dark;
}

Integer FirstDark(const std::vector<bool>& d, Integer from) {
  for (size_t i = static_cast<size_t>(from); i < d.size(); ++i)
    if (d[i]) return static_cast<Integer>(i);
  return -1;
}

}  // namespace

TEST(ControlItem, PercentWidthsFollowTheDocumentWidth) {
  struct TCase {
    Integer Percent, DocWidth, ControlWidth, MinWidth;
  } cases[] = {{50, 400, 198, 20}, {100, 400, 398, 20}, {0, 400, 75, 77}, {101, 400, 75, 20}, {1, 300, 1, 20}};
  for (const TCase& c : cases) {
    auto* button = new TButton(nullptr);
    button->SetBounds(0, 0, 75, 25);
    auto item = ControlItem(button);
    item->PercentWidth = c.Percent;
    Integer offset = -1, second = -1;
    item->CalcSizeForDocWidth(c.DocWidth, offset, second);
    EXPECT_EQ(button->GetWidth(), c.ControlWidth) << c.Percent;
    EXPECT_EQ(item->GetMinWidth(nullptr, nullptr, nullptr), c.MinWidth) << c.Percent;
    EXPECT_EQ(offset, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(item->GetWidth(), c.ControlWidth + 2);
  }
}

TEST(ControlItem, KeepsItsDocumentPositionInTheTagWhileTheWindowStaysInRange) {
  auto* edit = new TEdit(nullptr);
  edit->SetBounds(0, 0, 80, 20);
  auto item = ControlItem(edit);
  item->Spacing = 3;
  item->MovingToPosition(40, 25000, true);
  EXPECT_EQ(edit->Tag, 25003);
  EXPECT_EQ(edit->GetTop(), 10000);
  EXPECT_EQ(edit->GetLeft(), 43);
  EXPECT_TRUE(edit->GetVisible());
  item->MovingToPosition(40, -30000, true);
  EXPECT_EQ(edit->GetTop(), -10000);
  item->MovingToPosition(40, 500, false);
  EXPECT_EQ(edit->Tag, 503);
  EXPECT_EQ(edit->GetTop(), -10000);

  auto other = ControlItem(new TButton(nullptr));
  other->PercentWidth = 30;
  other->ResizableControl = true;
  TControl* kept = item->Control;
  item->Assign(other.get());
  EXPECT_EQ(item->Control, kept);
  EXPECT_EQ(item->PercentWidth, 30);
  EXPECT_FALSE(item->GetBoolValue(8));
}

TEST(ControlItem, ControlStateTravelsInVLF) {
  TVLStyle style(nullptr);
  for (bool binary : {true, false}) {
    TVLDocumentData doc(&style);
    if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    auto* button = new TButton(nullptr);
    button->SetBounds(0, 0, 90, 30);
    button->SetText("Press \"me\"");
    auto* memo = new TMemo(nullptr);
    memo->SetBounds(0, 0, 120, 60);
    memo->SetText("first\nsecond");
    memo->SetAlignment(taCenter);
    auto* panel = new TPanel(nullptr);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetText("");
    auto* inner = new TButton(panel);
    inner->SetParent(panel);
    inner->SetBounds(10, 10, 60, 24);
    inner->SetText("OK");
    auto* innerEdit = new TEdit(panel);
    innerEdit->SetParent(panel);
    innerEdit->SetBounds(80, 10, 100, 22);
    innerEdit->SetText("typed");
    auto item = ControlItem(button);
    item->ResizableControl = true;
    doc.AddItem("button", item.release());
    doc.AddItem("memo", ControlItem(memo).release());
    auto panelItem = ControlItem(panel);
    panelItem->PercentWidth = 50;
    doc.AddItem("panel", panelItem.release());
    const AnsiString vlf = Write(doc);

    TVLDocumentData back(&style);
    if (!binary) back.VLFOptions.Exclude(vlfoSaveBinary);
    ASSERT_TRUE(Read(back, vlf));
    ASSERT_EQ(back.GetItemCount(), 3);
    auto* b = dynamic_cast<TButton*>(static_cast<TVLControlItemInfo*>(back.GetItem(0))->Control);
    auto* m = dynamic_cast<TMemo*>(static_cast<TVLControlItemInfo*>(back.GetItem(1))->Control);
    auto* p = dynamic_cast<TPanel*>(static_cast<TVLControlItemInfo*>(back.GetItem(2))->Control);
    ASSERT_TRUE(b && m && p);
    EXPECT_EQ(b->GetText(), "Press \"me\"");
    EXPECT_EQ(b->GetWidth(), 90);
    EXPECT_TRUE(static_cast<TVLControlItemInfo*>(back.GetItem(0))->ResizableControl);
    EXPECT_EQ(m->GetText(), memo->GetText());
    EXPECT_EQ(m->GetAlignment(), taCenter);
    ASSERT_EQ(p->ControlCount(), 2);
    EXPECT_EQ(p->Controls(0)->GetText(), "OK");
    EXPECT_EQ(p->Controls(1)->GetText(), "typed");
    EXPECT_EQ(p->Controls(1)->GetLeft(), 80);
    EXPECT_EQ(back.GetItemTextA(1), "memo");
    EXPECT_FALSE(b->GetVisible());
    EXPECT_EQ(Write(back), vlf);
  }
}

TEST(ControlItem, OnlyWhitelistedClassesAreEverCreatedFromADocument) {
  static int created = 0;
  TVLControlClass spy;
  spy.Name = "TSpyButton";
  spy.Create = [](TComponent* owner) -> TControl* {
    ++created;
    return new TButton(owner);
  };
  spy.IsOf = [](const TControl*) { return false; };
  spy.Declare = [](TControl&, TPropertyList&) {};
  RegisterVLControlClass(spy);
  // The registry is the whole program's: the spy leaves with this test.
  struct TTakeBack {
    ~TTakeBack() { UnregisterVLControlClass("TSpyButton"); }
  } takeBack;
  struct TCase {
    const char* ClassName;
    bool IgnoreUnknown;
    bool Read;
    Integer Items;
    int Created;
  } cases[] = {
      {"TSpyButton", false, true, 1, 1}, {"TSPYBUTTON", false, false, 0, 0}, {"TForm", false, false, 0, 0},
      {"TForm", true, true, 0, 0},       {"TOpenDialog", true, true, 0, 0},
  };
  TVLStyle style(nullptr);
  for (const TCase& c : cases) {
    created = 0;
    TVLDocumentData doc(&style);
    doc.VLFOptions.Exclude(vlfoSaveBinary);
    if (c.IgnoreUnknown) doc.VLFOptions.Include(vlfoIgnoreUnknownCtrls);
    const AnsiString vlf = AnsiString("-8 1 3\r\n-5 3 0 0 0 0 0\r\nctl\r\n") + c.ClassName + "\r\n00\r\n";
    EXPECT_EQ(Read(doc, vlf), c.Read) << c.ClassName;
    EXPECT_EQ(doc.GetItemCount(), c.Items) << c.ClassName;
    EXPECT_EQ(created, c.Created) << c.ClassName;
    EXPECT_EQ(doc.GetVLFWarnings().Contains(vlfwUnknownCtrls), c.Created == 0) << c.ClassName;
  }
  EXPECT_EQ(FindVLControlClass("TForm"), nullptr);
}

TEST(ControlItem, ControlsSuppliedByTheApplicationComeByName) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.VLFOptions.Exclude(vlfoSaveControlsBody);
  auto item = ControlItem(new TButton(nullptr));
  item->MinHeightOnPage = 7;
  doc.AddItem("go", item.release());
  const AnsiString vlf = Write(doc);
  EXPECT_EQ(vlf, "-8 1 3 1\r\n-5 2 0 0 1 0 0\r\ngo\r\nminheightonpage=7\r\n-8 1 3\r\n");
  TVLDocumentData back(&style);
  back.OnVLFControlNeeded = [](TCustomVLData*, const String& name, Integer, TObject*& control) {
    auto* e = new TEdit(nullptr);
    e->SetText(name);
    control = e;
  };
  ASSERT_TRUE(Read(back, vlf));
  auto* read = static_cast<TVLControlItemInfo*>(back.GetItem(0));
  EXPECT_EQ(read->Control->GetText(), "go");
  EXPECT_EQ(read->MinHeightOnPage, 7);
}

TEST(ControlItem, PrintsTheControlImageOrAnEmptyFrameWhenImagingFails) {
  auto* button = new TButton(nullptr);
  button->SetBounds(0, 0, 60, 20);
  button->SetText("B");
  auto item = ControlItem(button);
  TBitmap fine(40, 10);
  ASSERT_TRUE(item->PrintToBitmap(&fine, false, nullptr, nullptr, -1, vlcmColor));
  // The bitmap grew to the image.
  EXPECT_EQ(fine.GetWidth(), 60);
  EXPECT_EQ(fine.GetHeight(), 20);

  auto& hooks = VLItemDocumentHooks();
  auto saved = hooks.PrintComponent;
  hooks.PrintComponent = [](TCustomVLData*, TControl*, std::unique_ptr<TBitmap>&) -> bool {
    throw EInvalidOperation("no image");
  };
  TBitmap framed(30, 12);
  framed.Canvas()->Brush.Color = clWhite;
  framed.Canvas()->FillRect(TRect(0, 0, 30, 12));
  const bool printed = item->PrintToBitmap(&framed, false, nullptr, nullptr, -1, vlcmColor);
  hooks.PrintComponent = saved;
  EXPECT_TRUE(printed);
  EXPECT_EQ(framed.Canvas()->GetPixel(0, 5), clBlack);
  EXPECT_EQ(framed.Canvas()->GetPixel(29, 5), clBlack);
  EXPECT_EQ(framed.Canvas()->GetPixel(15, 5), clWhite);
}

TEST(ControlImage, MemoLinesFollowTheirAlignment) {
  std::map<TAlignment, Integer> start;
  for (TAlignment a : {taLeftJustify, taCenter, taRightJustify}) {
    TMemo memo(nullptr);
    memo.SetBounds(0, 0, 300, 60);
    memo.SetText("mmm");
    memo.SetAlignment(a);
    auto image = DrawControl(&memo);
    ASSERT_TRUE(image);
    start[a] = FirstDark(DarkColumns(*image, 4, 30), 4);
  }
  EXPECT_LT(start[taLeftJustify], 20);
  EXPECT_GT(start[taCenter], 120);
  EXPECT_LT(start[taCenter], 160);
  EXPECT_GT(start[taRightJustify], 250);
}

TEST(ControlImage, APanelPrintsItselfAndThenItsControlsAtTheirOffsets) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 80);
  panel.SetText("");
  auto* edit = new TEdit(&panel);
  edit->SetParent(&panel);
  edit->SetBounds(100, 30, 80, 24);
  edit->SetText("x");
  auto whole = DrawControl(&panel);
  auto alone = DrawControl(edit);
  ASSERT_TRUE(whole && alone);
  for (auto [x, y] : {std::pair{1, 1}, std::pair{40, 12}, std::pair{70, 22}, std::pair{5, 20}})
    EXPECT_EQ(whole->Canvas()->GetPixel(100 + x, 30 + y), alone->Canvas()->GetPixel(x, y)) << x << "," << y;
}
