// The viewer's events: checkpoints reported as they scroll into view, and
// the reading and saving events reaching the control's handlers.
#include "ViewerFixture.h"

#include "platform/base/Streams.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/model/VLItem.h"

#include <vector>

using namespace qytest;

namespace {

// 100 one-line paragraphs; raising checkpoints on items 10, 40 and 80, a
// silent one on 55.
struct TCPViewer : TViewer {
  TCPViewer() {
    for (int i = 0; i < 100; ++i) Add("Line " + std::to_string(i));
    for (Integer itemNo : {10, 40, 55, 80}) {
      auto* cp = new TVLCPInfo();
      cp->Name = "cp" + std::to_string(itemNo);
      cp->RaiseEvent = itemNo != 55;
      TCustomVLItemInfo* item = View->GetItem(itemNo);
      cp->ItemInfo = item;
      item->Checkpoint = cp;
      Data().LinkCheckpoint(cp, itemNo);
    }
    Format();
    View->OnCheckpointVisible = [this](TCustomVellum*, TVLCPInfo* cp) {
      Reported.push_back(cp ? cp->Name : String("nil"));
    };
  }
  Integer TopOf(Integer itemNo) { return DI(View->GetItem(itemNo)->DrawItemNo).Top; }
  // Scrolls so that the view's top is y pixels into the document.
  void ScrollToPixel(Integer y) { View->VScrollTo(y / View->GetVSmallStep(), false); }
  std::vector<String> Reported;
};

}  // namespace

TEST(ViewerEvents, CheckpointsReportedAsTheViewScrolls) {
  struct TCase {
    TCPEventKind Kind;
    std::vector<String> Expected;
  } cases[] = {
      // The section shown: the first checkpoint at or below the top while it
      // is in view, else the one before it; the silent one never counts.
      {cpeAsSectionStart, {"cp10", "cp40", "cp10", "cp40", "cp80"}},
      // Each one entering the view; nil once when the next lies below it.
      {cpeWhenVisible, {"cp10", "nil", "cp40", "cp10", "nil", "cp80"}},
      {cpeNone, {}},
  };
  for (const TCase& c : cases) {
    TCPViewer v;
    v.View->CPEventKind = c.Kind;
    const Integer h = v.View->ClientHeight();
    const Integer step = v.View->GetVSmallStep();
    auto down = [&](Integer y) { return (y / step) * step; };
    const Integer y10 = v.TopOf(10), y40 = v.TopOf(40), y55 = v.TopOf(55), y80 = v.TopOf(80);
    ASSERT_GT(y40 - y10, h + 2 * step);
    ASSERT_GT(y80 - y55, h + 2 * step);
    v.ScrollToPixel(down(y10 - 10));             // cp10 in view
    v.ScrollToPixel(down(y10) + 2 * step);       // between cp10 and cp40, neither in view
    v.ScrollToPixel(down(y40 - 10));             // cp40 in view
    v.ScrollToPixel(down(y10 - 10));             // back to cp10
    v.ScrollToPixel(down(y10 - 10) + step / 2);  // the same place: nothing new
    v.ScrollToPixel(down(y55 - 10));             // only the silent one in view
    v.ScrollToPixel(down(y80 - 10));             // cp80 in view
    EXPECT_EQ(v.Reported, c.Expected) << "kind " << c.Kind;
  }
}

TEST(ViewerEvents, ReadingAndSavingReachTheControlsHandlers) {
  TViewer v;
  v.Add("see ");
  const Integer link = v.Add("the page", 4, -1);  // "Jump 1"
  v.Format();

  // A link without OnWriteHyperlink takes its target from OnURLNeeded.
  std::vector<Integer> asked;
  v.View->OnURLNeeded = [&](TCustomVellum*, Integer id, String& url) {
    asked.push_back(id);
    url = "https://example.org/entry";
  };
  TStringStream first;
  ASSERT_TRUE(v.View->SaveRTFToStream(first, false));
  const AnsiString rtf = first.DataString();
  EXPECT_NE(rtf.find("HYPERLINK \"https://example.org/entry\""), AnsiString::npos) << rtf;
  EXPECT_EQ(asked, std::vector<Integer>({v.View->GetItem(link)->JumpID}));

  // OnWriteHyperlink wins over OnURLNeeded.
  v.View->ExportEvents.OnWriteHyperlink = [](TCustomVLData*, Integer, Integer, Integer, String& target,
                                             String&) { target = "https://example.org/other"; };
  TStringStream second;
  ASSERT_TRUE(v.View->SaveRTFToStream(second, false));
  EXPECT_NE(second.DataString().find("example.org/other"), AnsiString::npos);

  // A control's text in a plain-text save comes from the application.
  auto* control = new TVLControlItemInfo(v.View->VLData());
  control->StyleNo = vlsComponent;
  control->ParaNo = -1;
  control->Control = new TButton(nullptr);
  v.View->AddItem("", control);
  v.View->ExportEvents.OnSaveComponentToFile = [](const String&, TControl* c, Integer format, AnsiString& text) {
    if (format == vlsfText && dynamic_cast<TButton*>(c)) text = "[button]";
  };
  TStringStream text;
  ASSERT_TRUE(v.View->SaveTextToStream(text, false, false));
  EXPECT_NE(text.DataString().find("the page[button]"), AnsiString::npos) << text.DataString();
}

TEST(ViewerEvents, APictureReadWithALinkBecomesAHypertextPicture) {
  TViewer v;
  struct TCase {
    Integer Proposed, Expected;
  } cases[] = {{vlsPicture, vlsHotPicture}, {vlsBullet, vlsHotspot}, {0, 0}};
  for (const TCase& c : cases) {
    Integer seen = 99;
    v.View->OnReadHyperlink = [&](TCustomVellum*, const String&, const String&, Integer, Integer& styleNo,
                                  TCustomVLItemInfo*) { seen = styleNo; };
    Integer styleNo = c.Proposed;
    v.Data().DoReadHyperlink("https://example.org", "", 2, styleNo, nullptr);
    EXPECT_EQ(seen, c.Expected);
    EXPECT_EQ(styleNo, c.Expected);
  }
}

TEST(ViewerEvents, ItemHintsFollowThePointer) {
  TViewer v;
  const Integer first = v.Add("with a hint");
  v.Add("plain");
  v.View->GetItem(first)->Hint = "the first line";
  v.Format();
  std::vector<Integer> asked;
  v.View->OnItemHint = [&](TCustomVellum*, TCustomVLData*, Integer itemNo, String& hint) {
    asked.push_back(itemNo);
    hint += " (shown)";
  };
  const TPoint over = v.At(0, 3);
  struct TCase {
    bool Option;
    TPoint Point;
    String Hint;
  } cases[] = {
      {true, over, "the first line (shown)"},
      {true, TPoint(200, 280), ""},  // below the text: the hint goes
      {false, over, "left alone"},
  };
  for (const TCase& c : cases) {
    if (c.Option)
      v.View->Options.Include(vloShowItemHints);
    else
      v.View->Options.Exclude(vloShowItemHints);
    v.View->SetHint("left alone");
    v.View->MouseMove(TShiftState(), c.Point.X, c.Point.Y);
    EXPECT_EQ(v.View->GetHint(), c.Hint);
  }
  EXPECT_EQ(asked, std::vector<Integer>({first}));
}
