// Painting the cover in each draw mode, its rule and labels, and the picture
// that is read once per file.
#include "app/QYAbout.h"
#include "app/QYCover.h"
#include "app/QYProfile.h"

#include "platform/gui/Dialogs.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr int AreaW = 800, AreaH = 600;
constexpr TColor Back = clWhite;
// Quadrant colours of the test picture.
constexpr TColor TopLeft = clRed, TopRight = clLime, BottomLeft = clBlue, BottomRight = clYellow;

class CoverPaintTest : public testing::Test {
protected:
  void SetUp() override {
    TBitmap pic(100, 100);
    TCanvas* c = pic.Canvas();
    const std::pair<TRect, TColor> quads[] = {{Rect(0, 0, 50, 50), TopLeft},
                                              {Rect(50, 0, 100, 50), TopRight},
                                              {Rect(0, 50, 50, 100), BottomLeft},
                                              {Rect(50, 50, 100, 100), BottomRight}};
    for (const auto& [r, color] : quads) {
      c->Brush.Color = color;
      c->FillRect(r);
    }
    FPath = (FDir / "cover.bmp").string();
    pic.SaveToFile(FPath);
    CoverPicture().Reset();
  }

  // Paints the cover with only the title, so probes away from the centre
  // column see the picture.
  void Paint(Byte mode, const TCoverTexts& texts = {}) {
    FCanvas = FImage.Canvas();
    FCanvas->Brush.Color = Back;
    PaintCoverOn(*FCanvas, AreaW, AreaH, AreaW, AreaH, mode, CoverPicture().Get(FPath), texts);
  }
  TColor At(int x, int y) { return FCanvas->GetPixel(x, y); }

  qytest::TempDir FDir;
  String FPath;
  TBitmap FImage{AreaW, AreaH};
  TCanvas* FCanvas = nullptr;
};

TEST_F(CoverPaintTest, EachDrawModePlacesThePicture) {
  struct Probe {
    int x, y;
    TColor color;
  };
  struct Case {
    Byte mode;
    std::vector<Probe> probes;
  };
  // Centred picture: (350, 250) to (450, 350). Tiles start at (-50, -50).
  const Case cases[] = {
      {cdmNone, {{355, 255, Back}, {30, 300, Back}, {770, 550, Back}}},
      {cdmNormal, {{355, 255, TopLeft}, {445, 255, TopRight}, {30, 300, Back}, {460, 255, Back}}},
      {cdmTiled, {{355, 255, TopLeft}, {30, 300, BottomRight}, {5, 5, BottomRight}, {70, 530, BottomLeft}}},
      {cdmStretched, {{30, 100, TopLeft}, {770, 100, TopRight}, {30, 500, BottomLeft}, {770, 500, BottomRight}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << int(c.mode));
    Paint(c.mode);
    for (const Probe& p : c.probes) EXPECT_EQ(At(p.x, p.y), p.color) << p.x << "," << p.y;
  }
}

TEST_F(CoverPaintTest, RuleAndFramedLabelsAreDrawnOverThePicture) {
  Paint(cdmNone, {"JOURNAL OF ANNE", "", "Monday, March 1, 2004", "notice", "Version 3.0.0"});
  // The navy rule at row 9 (y = 180) from x = 66 to 734.
  EXPECT_EQ(At(100, 180), clNavy);
  EXPECT_EQ(At(700, 181), clNavy);
  EXPECT_EQ(At(40, 180), Back);
  EXPECT_EQ(At(760, 180), Back);
  // Each label row has a silver frame around its text, centred.
  for (int row : {6, 10, 16, 25, 26}) {
    const int y = AreaH / CoverRows * row;
    int silver = 0, left = AreaW, right = 0;
    for (int x = 0; x < AreaW; ++x)
      if (At(x, y) == clSilver) {
        ++silver;
        left = std::min(left, x);
        right = std::max(right, x);
      }
    SCOPED_TRACE(testing::Message() << "row " << row);
    EXPECT_GT(silver, 0);
    EXPECT_NEAR(left + right, AreaW, 8);  // centred
  }
  // No address was given: nothing framed at row 12 apart from other labels.
  EXPECT_EQ(At(AreaW / 2, AreaH / CoverRows * 12), Back);
}

TEST_F(CoverPaintTest, AddressBlockAndEmptyTexts) {
  Paint(cdmNone, {"", "12 Main Street\r\nSpringfield", "", "", ""});
  // The two-line address is framed around row 12; the caption row is empty.
  EXPECT_EQ(At(AreaW / 2, AreaH / CoverRows * 10), Back);
  int silver = 0;
  for (int y = 225; y < 265; ++y)
    for (int x = 300; x < 500; ++x) silver += At(x, y) == clSilver;
  EXPECT_GT(silver, 100);
}

TEST_F(CoverPaintTest, BadPictureIsReportedOnceAndTheCoverStillPaints) {
  // A missing file is skipped silently.
  {
    TInteractionScript script;
    FPath = (FDir / "missing.bmp").string();
    Paint(cdmNormal);
    EXPECT_EQ(At(355, 255), Back);
    EXPECT_TRUE(script.Shown.empty());
  }
  // A file that is no picture: one message, however often the cover paints.
  FPath = (FDir / "broken.bmp").string();
  qytest::WriteFileBytes(FPath, "this is not a bitmap");
  TInteractionScript script;
  script.Answer(IDOK);
  Paint(cdmNormal);
  Paint(cdmNormal);
  Paint(cdmTiled);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Text, "The cover picture \"" + FPath +
                                      "\" cannot be used: it is no picture the program can show.\r\n\r\nThe "
                                      "cover is shown without a picture. Choose another one on the Cover Page of "
                                      "the preferences.");
  EXPECT_EQ(script.Shown[0].Caption, "Quillory");
  EXPECT_EQ(script.Shown[0].Icon, MB_ICONWARNING);
  EXPECT_EQ(At(100, 180), clNavy);  // the rest of the cover is painted
}

}  // namespace

namespace {

TEST(CoverTexts, FollowTheSettings) {
  const TProfileSettings saved = ProfileSettings;
  struct Case {
    String userName, address;
    bool displayName, displayAddress;
    String caption, shownAddress;
  };
  const Case cases[] = {
      {"Zo\xC3\xAB Brontë", "12 Orchard Lane", true, true, "JOURNAL OF ZO\xC3\x8B BRONTË", "12 Orchard Lane"},
      {"Anne", "x", true, true, "JOURNAL OF ANNE", ""},                 // one character: not shown
      {"Anne", "\xC3\xA9", true, true, "JOURNAL OF ANNE", ""},          // one character in two bytes
      {"Anne", "ab", true, true, "JOURNAL OF ANNE", "ab"},
      {"Anne", "12 Orchard Lane", true, false, "JOURNAL OF ANNE", ""},  // address not displayed
  };
  for (const Case& c : cases) {
    ProfileSettings.UserName = c.userName;
    ProfileSettings.DisplayUserName = c.displayName;
    ProfileSettings.UserAddress = c.address;
    ProfileSettings.DisplayAddress = c.displayAddress;
    const TCoverTexts t = CurrentCoverTexts();
    EXPECT_EQ(t.Caption, c.caption);
    EXPECT_EQ(t.Address, c.shownAddress);
    EXPECT_EQ(t.VersionText, "Version " + ProgramProductVersion());
    EXPECT_FALSE(t.DateText.empty());
  }
  ProfileSettings = saved;
}

}  // namespace
