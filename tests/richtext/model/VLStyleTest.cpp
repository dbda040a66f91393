#include "platform/base/PropStream.h"
#include "platform/base/Strings.h"
#include "platform/gui/Controls.h"
#include "richtext/model/VLStyle.h"

#include <gtest/gtest.h>

namespace {

TEST(VLStyleTest, AFreshSheetHasTheDefaultStyles) {
  TVLStyle sheet(nullptr);
  struct TExpected {
    const char* name;
    TColor color;
    TFontStyles style;
    bool jump;
  };
  const TExpected expected[] = {
      {"Normal text", clWindowText, {}, false}, {"Heading", 0xFF0000, {fsBold}, false},
      {"Subheading", 0x800000, {fsBold}, false}, {"Keywords", 0x000080, {fsItalic}, false},
      {"Jump 1", 0x008000, {fsUnderline}, true}, {"Jump 2", 0x008000, {fsUnderline}, true},
  };
  ASSERT_EQ(6, sheet.TextStyles->Count());
  for (Integer i = 0; i < 6; ++i) {
    const TFontInfo* fi = sheet.TextStyles->Items(i);
    const TExpected& e = expected[i];
    EXPECT_EQ(e.name, fi->StyleName) << i;
    EXPECT_EQ(e.color, fi->Color) << i;
    EXPECT_EQ(e.style, fi->Style) << i;
    EXPECT_EQ(e.jump, fi->Jump) << i;
    EXPECT_EQ("Arial", fi->FontName);
    EXPECT_EQ(10, fi->Size);
    EXPECT_EQ(crJump, fi->JumpCursor);
    EXPECT_EQ(1, fi->Charset);
    EXPECT_EQ(-1, fi->BaseStyleNo);
    EXPECT_TRUE(fi->Standard);
  }
  ASSERT_EQ(2, sheet.ParaStyles->Count());
  EXPECT_EQ("Paragraph Style", sheet.ParaStyles->Items(0)->StyleName);
  EXPECT_EQ(vlaLeft, sheet.ParaStyles->Items(0)->Alignment);
  EXPECT_EQ("Centered", sheet.ParaStyles->Items(1)->StyleName);
  EXPECT_EQ(vlaCenter, sheet.ParaStyles->Items(1)->Alignment);
  EXPECT_EQ(0, sheet.ListStyles->Count());

  EXPECT_EQ(clWindow, sheet.Color);
  EXPECT_EQ(clNone, sheet.HoverColor);
  EXPECT_EQ(clHighlight, sheet.SelColor);
  EXPECT_EQ(clHighlightText, sheet.InactiveSelTextColor);
  EXPECT_EQ(0x008000, sheet.CheckpointColor);
  EXPECT_EQ(8, sheet.SpacesInTab);
  EXPECT_EQ(clBtnShadow, sheet.PageBreakColor);
  EXPECT_EQ(-1, sheet.DefUnicodeStyle);
  EXPECT_EQ(vlsmWord, sheet.SelectionMode);
  EXPECT_EQ(106, sheet.LineSelectCursor);

  TStringList names;
  names.Assign(sheet.TextStyles.get());
  EXPECT_EQ("\"Normal text\",Heading,Subheading,Keywords,\"Jump 1\",\"Jump 2\"", names.GetCommaText());
}

TEST(VLStyleTest, OutOfRangeNumbersGiveTheFallbackCopies) {
  TVLStyle sheet(nullptr);
  sheet.TextStyles->Items(0)->FontName = "Courier New";
  TFontInfo* fallback = sheet.TextStyles->Items(-1);
  EXPECT_EQ(fallback, sheet.TextStyles->Items(sheet.TextStyles->Count()));
  EXPECT_EQ(fallback, sheet.TextStyles->Items(1000));
  EXPECT_EQ(0xFFFFFF, fallback->Color);
  EXPECT_EQ(0x0000FF, fallback->BackColor);
  EXPECT_EQ("Courier New", fallback->FontName);
  EXPECT_EQ("Normal text", fallback->StyleName);
  // Not refreshed when style 0 changes afterwards.
  sheet.TextStyles->Items(0)->Size = 20;
  EXPECT_EQ(10, sheet.TextStyles->Items(-1)->Size);

  TParaInfo* paraFallback = sheet.ParaStyles->Items(-5);
  EXPECT_EQ(paraFallback, sheet.ParaStyles->Items(2));
  EXPECT_EQ(vlbSingle, paraFallback->Border.Style);
  EXPECT_EQ(0x0000FF, paraFallback->Border.Color);
  EXPECT_EQ(2, paraFallback->Border.Width);
  EXPECT_EQ(1, paraFallback->Border.BorderOffsets.Left);
  EXPECT_EQ(1, paraFallback->Border.BorderOffsets.Bottom);
  EXPECT_EQ(1, paraFallback->LeftIndent);
  EXPECT_EQ(1, paraFallback->SpaceAfter);
  sheet.ParaStyles->Items(0)->Alignment = vlaRight;
  EXPECT_EQ(vlaLeft, sheet.ParaStyles->Items(7)->Alignment);

  // Without any styles the fallback has the constructor's values.
  TVLStyle empty(nullptr);
  empty.TextStyles->Clear();
  TFontInfo* bare = empty.TextStyles->Items(0);
  EXPECT_EQ("Font Style", bare->StyleName);
  EXPECT_EQ(0xFFFFFF, bare->Color);
  EXPECT_EQ(0x0000FF, bare->BackColor);
  // List styles have no fallback.
  EXPECT_THROW(sheet.ListStyles->Items(0), EListError);
}

TEST(VLStyleTest, FontHeightsAndApplyingToACanvas) {
  TVLStyle sheet(nullptr);
  TFontInfo* fi = sheet.TextStyles->Items(0);
  struct TCase {
    Integer size, ppi, height;
  };
  for (const TCase& c : {TCase{10, 96, -13}, TCase{12, 96, -16}, TCase{10, 600, -83}, TCase{8, 72, -8}}) {
    fi->Size = c.size;
    EXPECT_EQ(c.height, fi->FontHeight(c.ppi)) << c.size << "pt at " << c.ppi;
  }
  fi->Size = 10;
  TVLLogFont lf;
  sheet.TextStyles->Items(1)->AssignToLogFont(lf, nullptr);
  EXPECT_EQ(-13, lf.Height);
  EXPECT_EQ(700, lf.Weight);
  EXPECT_EQ("Arial", lf.FaceName);

  TCanvas canvas;
  sheet.TextStyles->PixelsPerInch = 96;
  fi->Style = {fsItalic};
  fi->CharSpacing = 2;
  sheet.ApplyStyle(&canvas, 0, vlbdUnspecified);
  EXPECT_EQ(-13, canvas.Font.GetHeight());
  EXPECT_EQ("Arial", canvas.Font.GetName());
  EXPECT_EQ(TFontStyles{fsItalic}, canvas.Font.GetStyle());
  EXPECT_EQ(2, canvas.GetTextCharacterExtra());
  // A left-to-right reading order takes no character spacing.
  fi->BiDiMode = vlbdLeftToRight;
  sheet.ApplyStyle(&canvas, 0, vlbdUnspecified);
  EXPECT_EQ(0, canvas.GetTextCharacterExtra());
  // Printing resolution, also for the fallback of an unknown style.
  sheet.TextStyles->PixelsPerInch = 600;
  for (Integer styleNo : {0, -1, 99}) {
    sheet.ApplyStyle(&canvas, styleNo, vlbdUnspecified);
    EXPECT_EQ(-83, canvas.Font.GetHeight()) << styleNo;
  }
  sheet.TextStyles->PixelsPerInch = 0;
  fi->CharScale = 50;
  sheet.ApplyStyle(&canvas, 0, vlbdUnspecified);
  EXPECT_EQ(-13, canvas.Font.GetHeight());
  TTextMetric tm;
  TCanvas plain;
  plain.Font.SetName("Arial");
  plain.Font.SetHeight(-13);
  plain.Font.SetStyle({fsItalic});
  ASSERT_TRUE(plain.GetTextMetrics(tm));
  EXPECT_EQ(tm.tmAveCharWidth * 50 / 100, canvas.Font.GetWidth());
  fi->CharScale = 100;

  // A handler that clears DoDefault keeps the canvas font as it set it.
  sheet.OnApplyStyle = [](TVLStyle*, TCanvas* c, Integer, bool& doDefault) {
    c->Font.SetName("Liberation Serif");
    doDefault = false;
  };
  sheet.ApplyStyle(&canvas, 1, vlbdUnspecified);
  EXPECT_EQ("Liberation Serif", canvas.Font.GetName());
  EXPECT_TRUE(canvas.Font.GetStyle().Contains(fsItalic));
}

TEST(VLStyleTest, ColoursForDrawStatesAndPrinting) {
  TVLStyle sheet(nullptr);
  TFontInfo* fi = sheet.TextStyles->Items(4);
  fi->HoverBackColor = clYellow;
  struct TCase {
    TColor color, back;
    TVLTextDrawStates state;
    bool printing;
    TVLColorMode mode;
    TColor font, brush;
  };
  const TCase cases[] = {
      // Hypertext under the mouse without any hover colour: its own colour.
      {0x008000, clNone, {vltsHover}, false, vlcmColor, 0x008000, clYellow},
      {0x008000, clNone, {vltsSelected, vltsControlFocused}, false, vlcmColor, clHighlightText,
       clHighlight},
      // Yellow text on white paper prints black.
      {clYellow, clNone, {}, true, vlcmBlackAndWhite, clBlack, clNone},
      // White text on navy prints white on black.
      {clWhite, clNavy, {}, true, vlcmBlackAndWhite, clWhite, clBlack},
      // Dark text on a light background prints black on white.
      {clNavy, clSilver, {}, true, vlcmBlackAndWhite, clBlack, clWhite},
      {clRed, clGreen, {}, true, vlcmBlackOnWhite, clBlack, clNone},
  };
  TCanvas canvas;
  for (const TCase& c : cases) {
    fi->Color = c.color;
    fi->BackColor = c.back;
    sheet.ApplyStyleColor(&canvas, 4, c.state, c.printing, c.mode);
    EXPECT_EQ(c.font, canvas.Font.GetColor());
    EXPECT_EQ(c.brush, canvas.Brush.Color);
    EXPECT_EQ(c.brush == clNone ? bsClear : bsSolid, canvas.Brush.Style);
  }
  EXPECT_EQ(clRed, sheet.GetHoverColor(clRed));
  sheet.HoverColor = clBlue;
  EXPECT_EQ(clBlue, sheet.GetHoverColor(clNone));
  EXPECT_EQ(clBlue, sheet.GetHoverColorByStyle(4));
}

TEST(VLStyleTest, TextStyleAssignAndPlatformFonts) {
  TVLStyle sheet(nullptr);
  TFontInfo* source = sheet.TextStyles->Add();
  source->StyleName = "Mine";
  source->BaseStyleNo = 2;
  source->Standard = false;
  source->FontName = "Liberation Mono";
  source->Size = 14;
  source->Color = clMaroon;
  source->BackColor = clAqua;
  source->Style = {fsBold, fsStrikeOut};
  source->StyleEx = {vlfsAllCaps};
  source->VShift = -30;
  source->Jump = true;
  source->HoverColor = clLime;
  source->Protection = {vlprDeleteProtect, vlprSticking};
  source->Options = {vlteoRTFCode};
  source->CharScale = 80;
  source->CharSpacing = 3;
  source->Charset = 204;
  source->BiDiMode = vlbdRightToLeft;
  source->NextStyleNo = 0;
  TFontInfo* copy = sheet.TextStyles->Add();
  copy->Assign(source);
  EXPECT_TRUE(copy->IsEqual(*source, false, false));
  EXPECT_TRUE(source->IsEqual(*copy, false, false));
  EXPECT_EQ("Mine", copy->StyleName);
  EXPECT_EQ(2, copy->BaseStyleNo);
  EXPECT_FALSE(copy->Standard);

  // Each property on its own breaks the equality.
  const std::vector<std::function<void(TFontInfo&)>> changes = {
      [](TFontInfo& f) { f.Size = 9; },
      [](TFontInfo& f) { f.FontName = "Arial"; },
      [](TFontInfo& f) { f.Color = clBlack; },
      [](TFontInfo& f) { f.Style = {fsBold}; },
      [](TFontInfo& f) { f.StyleEx = {}; },
      [](TFontInfo& f) { f.HoverColor = clNone; },
      [](TFontInfo& f) { f.Protection = {}; },
      [](TFontInfo& f) { f.CharScale = 100; },
      [](TFontInfo& f) { f.BiDiMode = vlbdUnspecified; },
      [](TFontInfo& f) { f.Unicode = true; },
      [](TFontInfo& f) { f.Charset = 0; },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    copy->Assign(source);
    changes[i](*copy);
    EXPECT_FALSE(copy->IsEqual(*source, false, false)) << "change " << i;
  }
  // Names and references are not compared (references unless asked).
  copy->Assign(source);
  copy->StyleName = "Other";
  copy->NextStyleNo = 3;
  EXPECT_FALSE(copy->IsEqual(*source, false, false));
  EXPECT_TRUE(copy->IsEqual(*source, true, false));

  // From and to platform fonts.
  TFont font;
  font.SetName("Liberation Serif");
  font.SetSize(18);
  font.SetColor(clTeal);
  font.SetStyle({fsUnderline});
  font.SetCharset(238);
  copy->Assign(&font);
  EXPECT_EQ("Liberation Serif", copy->FontName);
  EXPECT_EQ(18, copy->Size);
  EXPECT_EQ(clTeal, copy->Color);
  EXPECT_EQ(TFontStyles{fsUnderline}, copy->Style);
  EXPECT_EQ(238, copy->Charset);
  EXPECT_TRUE(copy->Jump);
  EXPECT_EQ(80, copy->CharScale);
  EXPECT_EQ("Other", copy->StyleName);

  TFont target;
  target.SetCharset(0);
  copy->Unicode = true;
  copy->AssignToFont(target);
  EXPECT_EQ("Liberation Serif", target.GetName());
  EXPECT_EQ(18, target.GetSize());
  EXPECT_EQ(0, target.GetCharset());
  copy->Unicode = false;
  copy->AssignToFont(target);
  EXPECT_EQ(238, target.GetCharset());
}

TEST(VLStyleTest, ParagraphStylesBordersAndBackgrounds) {
  TVLStyle sheet(nullptr);
  TParaInfo* source = sheet.ParaStyles->Items(1);
  source->FirstIndent = -10;
  source->LeftIndent = 20;
  source->SpaceAfter = 4;
  source->LineSpacing = 150;
  source->Options = {vlpaoReadOnly};
  source->NextParaNo = 0;
  source->DefStyleNo = 3;
  source->Border.Style = vlbDouble;
  source->Border.Color = clRed;
  source->Border.VisibleBorders.SetValues(true, false, true, false);
  source->Border.BorderOffsets.SetAll(3);
  source->Background.Color = clYellow;
  source->Background.BorderOffsets.Top = 2;
  TParaInfo* target = sheet.ParaStyles->Items(0);
  TVLBorder* ownBorder = &target->Border;
  target->Assign(source);
  EXPECT_EQ(ownBorder, &target->Border);
  EXPECT_TRUE(target->IsEqual(*source, false, false));
  EXPECT_EQ("Centered", target->StyleName);
  EXPECT_FALSE(target->Border.VisibleBorders.Top);
  EXPECT_EQ(2, target->Background.BorderOffsets.Top);

  const std::vector<std::function<void(TParaInfo&)>> changes = {
      [](TParaInfo& p) { p.Alignment = vlaJustify; },
      [](TParaInfo& p) { p.LineSpacingType = vllsSpaceBetween; },
      [](TParaInfo& p) { p.Border.Width = 2; },
      [](TParaInfo& p) { p.Border.VisibleBorders.Top = true; },
      [](TParaInfo& p) { p.Border.BorderOffsets.Right = 0; },
      [](TParaInfo& p) { p.Background.Color = clNone; },
      [](TParaInfo& p) { p.Background.BorderOffsets.Left = 1; },
      [](TParaInfo& p) { p.Options = {}; },
      [](TParaInfo& p) { p.DefStyleNo = -1; },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    target->Assign(source);
    changes[i](*target);
    EXPECT_FALSE(target->IsEqual(*source, false, false)) << "change " << i;
  }
  target->Assign(source);
  target->DefStyleNo = 0;
  EXPECT_TRUE(target->IsEqual(*source, true, false));

  TVLBorder border;
  struct TCase {
    TVLBorderStyle style;
    Integer width, internal, total;
  };
  const TCase widths[] = {{vlbNone, 5, 5, 0},        {vlbSingle, 2, 3, 2},
                          {vlbDouble, 2, 3, 7},      {vlbTriple, 2, 3, 12},
                          {vlbThickInside, 2, 3, 9}, {vlbThickOutside, 1, 1, 4}};
  for (const TCase& c : widths) {
    border.Style = c.style;
    border.Width = c.width;
    border.InternalWidth = c.internal;
    EXPECT_EQ(c.total, border.GetTotalWidth()) << c.style;
  }

  TVLRect offsets;
  offsets.Left = 1;
  offsets.Top = 2;
  offsets.Right = 3;
  offsets.Bottom = 4;
  TRect r(10, 10, 50, 30);
  offsets.InflateRect(r);
  EXPECT_EQ(TRect(9, 8, 53, 34), r);
  TVLScreenAndDevice sad{96, 96, 192, 288};
  TRect scaled(0, 0, 10, 10);
  offsets.InflateRectScaled(scaled, sad);
  EXPECT_EQ(TRect(-2, -6, 16, 22), scaled);
}

TEST(VLStyleTest, BordersAndBackgroundsOnACanvas) {
  TBitmap bitmap(64, 48);
  TCanvas* canvas = bitmap.Canvas();
  canvas->Brush.Color = clWhite;
  canvas->FillRect(TRect(0, 0, 64, 48));
  TVLBorder border;
  border.Style = vlbDouble;
  border.Color = clRed;
  border.Draw(TRect(10, 10, 50, 30), canvas);
  EXPECT_EQ(1, canvas->Pen.Width);
  // The inner line lies on the rectangle, the outer one two pixels out.
  EXPECT_EQ(clRed, canvas->GetPixel(30, 10));
  EXPECT_EQ(clWhite, canvas->GetPixel(30, 9));
  EXPECT_EQ(clRed, canvas->GetPixel(30, 8));
  EXPECT_EQ(clRed, canvas->GetPixel(52, 20));
  EXPECT_EQ(clRed, canvas->GetPixel(8, 32));
  EXPECT_EQ(clWhite, canvas->GetPixel(30, 20));

  // No visible side: nothing drawn, pen width back to 1.
  TBitmap blank(64, 48);
  TCanvas* c2 = blank.Canvas();
  c2->Brush.Color = clWhite;
  c2->FillRect(TRect(0, 0, 64, 48));
  border.Width = 3;
  border.VisibleBorders.SetAll(false);
  border.Draw(TRect(10, 10, 50, 30), c2);
  EXPECT_EQ(1, c2->Pen.Width);
  for (Integer x : {8, 10, 30, 50})
    EXPECT_EQ(clWhite, c2->GetPixel(x, 10));

  // Printing: offsets and widths scaled to the device, colours by mode.
  TBitmap printed(128, 96);
  TCanvas* c3 = printed.Canvas();
  c3->Brush.Color = clWhite;
  c3->FillRect(TRect(0, 0, 128, 96));
  TVLBorder single;
  single.Style = vlbSingle;
  single.Color = clRed;
  single.BorderOffsets.SetAll(2);
  single.DrawScaled(TRect(20, 20, 100, 60), c3, vlcmBlackOnWhite, TVLScreenAndDevice{96, 96, 192, 192});
  EXPECT_EQ(clBlack, c3->GetPixel(60, 16));
  EXPECT_EQ(clWhite, c3->GetPixel(60, 20));
  EXPECT_EQ(clBlack, c3->GetPixel(16, 40));
  EXPECT_EQ(1, c3->Pen.Width);

  TVLBackgroundRect back;
  back.Color = clBlue;
  back.Draw(TRect(5, 5, 10, 10), c2, false, vlcmColor);
  EXPECT_EQ(clBlue, c2->GetPixel(10, 10));
  EXPECT_EQ(clWhite, c2->GetPixel(11, 11));
  back.Color = clLime;
  back.Draw(TRect(20, 20, 25, 25), c2, true, vlcmBlackOnWhite);
  EXPECT_EQ(clWhite, c2->GetPixel(22, 22));
}

TEST(VLStyleTest, ListStylesAndLevels) {
  TVLStyle sheet(nullptr);
  TVLListInfo* list = sheet.ListStyles->Add();
  EXPECT_EQ("List Style", list->StyleName);
  EXPECT_TRUE(list->AllNumbered());
  EXPECT_FALSE(list->HasNumbering());
  TVLListLevel* level = list->Levels->Add();
  EXPECT_EQ(AnsiString(1, '\xB7'), level->FormatString);
  EXPECT_EQ(10, level->FirstIndent);
  EXPECT_EQ(1, level->StartFrom);
  EXPECT_EQ((TVLListLevelOptions{vlloContinuous, vlloLevelReset}), level->Options);
  EXPECT_EQ(nullptr, level->PictureOrNil());
  EXPECT_EQ(nullptr, level->FontOrNil());
  EXPECT_EQ("List Level 0", level->GetDisplayName());

  struct TCase {
    TVLListType type;
    bool numbering, textNumbering, usesFont;
  };
  const TCase types[] = {{vllstBullet, false, false, true},
                         {vllstPicture, false, false, false},
                         {vllstDecimal, true, true, true},
                         {vllstUpperRoman, true, true, true},
                         {vllstImageListCounter, true, false, false},
                         {vllstUnicodeBullet, false, false, true}};
  for (const TCase& c : types) {
    level->ListType = c.type;
    EXPECT_EQ(c.numbering, level->HasNumbering()) << c.type;
    EXPECT_EQ(c.textNumbering, level->HasTextNumbering()) << c.type;
    EXPECT_EQ(c.usesFont, level->UsesFont()) << c.type;
  }
  level->ListType = vllstDecimal;
  EXPECT_TRUE(list->AllNumbered());
  list->Levels->Add();
  EXPECT_FALSE(list->AllNumbered());
  EXPECT_TRUE(list->HasTextNumbering());

  EXPECT_EQ("Arial", level->GetFont()->GetName());
  EXPECT_EQ(8, level->GetFont()->GetSize());
  EXPECT_TRUE(level->GetFont()->IsDefault());
  level->SetFont(nullptr);
  EXPECT_EQ(nullptr, level->FontOrNil());

  TPicture picture;
  picture.SetGraphic(std::make_unique<TBitmap>(4, 4));
  level->SetPicture(&picture);
  ASSERT_NE(nullptr, level->PictureOrNil());
  EXPECT_TRUE(level->PictureOrNil()->GetGraphic()->GetTransparent());
  TPicture empty;
  level->SetPicture(&empty);
  EXPECT_EQ(nullptr, level->PictureOrNil());

  level->FormatString = "%0:s.";
  level->LeftIndent = 24;
  TVLListInfo* copy = sheet.ListStyles->Add();
  copy->Assign(list);
  EXPECT_TRUE(copy->IsEqual(*list, false, true));
  // A copy draws an identifier of its own.
  EXPECT_NE(0, list->GetListID());
  EXPECT_NE(list->GetListID(), copy->GetListID());
  EXPECT_FALSE(copy->IsEqual(*list, false, false));
  copy->Levels->Items(0)->LeftIndent = 25;
  EXPECT_FALSE(copy->IsEqual(*list, false, true));

  // Removing an image list clears every level that uses it, nothing else.
  TComponent form(nullptr);
  auto* owned = new TVLStyle(&form);
  owned->ListStyles->Assign(sheet.ListStyles.get());
  auto images = std::unique_ptr<TComponent>(new TComponent(&form));
  owned->ListStyles->Items(0)->Levels->Items(0)->ImageList = images.get();
  owned->ListStyles->Items(1)->Levels->Items(1)->ImageList = images.get();
  owned->ListStyles->Items(1)->Levels->Items(1)->ImageIndex = 4;
  images.reset();
  EXPECT_EQ(nullptr, owned->ListStyles->Items(0)->Levels->Items(0)->ImageList);
  EXPECT_EQ(nullptr, owned->ListStyles->Items(1)->Levels->Items(1)->ImageList);
  EXPECT_EQ(4, owned->ListStyles->Items(1)->Levels->Items(1)->ImageIndex);
  EXPECT_EQ(24, owned->ListStyles->Items(0)->Levels->Items(0)->LeftIndent);

  // Those that hear of the sheet going (a document built on it) still find
  // its lists whole then.
  struct TListener : TComponent {
    using TComponent::TComponent;
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      if (auto* s = dynamic_cast<TVLStyle*>(c); s && op == opRemove)
        Indent = s->ListStyles && s->ListStyles->Count() > 0 ? s->ListStyles->Items(0)->Levels->Items(0)->LeftIndent : -1;
    }
    Integer Indent = 0;
  } listener(nullptr);
  listener.FreeNotification(owned);
  delete owned;
  EXPECT_EQ(listener.Indent, 24);
}

TEST(VLStyleTest, InvalidPictureIsMadeOnceAndReplaceable) {
  TVLStyle sheet(nullptr);
  TPicture* first = sheet.GetInvalidPicture();
  ASSERT_NE(nullptr, first->GetGraphic());
  EXPECT_EQ(first, sheet.GetInvalidPicture());
  sheet.SetInvalidPicture(nullptr);
  TPicture* again = sheet.GetInvalidPicture();
  ASSERT_NE(nullptr, again->GetGraphic());
  EXPECT_GT(again->GetWidth(), 0);
  TPicture mine;
  mine.SetGraphic(std::make_unique<TBitmap>(7, 5));
  sheet.SetInvalidPicture(&mine);
  EXPECT_EQ(7, sheet.GetInvalidPicture()->GetWidth());
}

}  // namespace

namespace {

struct TPaper {
  TPaper() : Bitmap(120, 40), Canvas(Bitmap.Canvas()) {
    Canvas->Brush.Color = clWhite;
    Canvas->Brush.Style = bsSolid;
    Canvas->FillRect(TRect(0, 0, 120, 40));
  }
  Integer Count(TColor color, const TRect& r) {
    Integer n = 0;
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x) n += Canvas->GetPixel(x, y) == color;
    return n;
  }
  // Pixels that are no longer the white paper (text is antialiased).
  Integer Inked(const TRect& r) {
    return (r.Right - r.Left) * (r.Bottom - r.Top) - Count(clWhite, r);
  }
  TBitmap Bitmap;
  TCanvas* Canvas;
};

TEST(VLStyleDrawTest, CheckpointAndPageBreakMarks) {
  TVLStyle sheet(nullptr);
  sheet.CheckpointColor = clRed;
  sheet.PageBreakColor = clBlue;
  TWinControl control(nullptr);
  control.SetBounds(0, 0, 100, 30);
  struct TCase {
    Integer itemNo;
    Integer circlePixels;  // red pixels around the circle, off the line
  };
  for (const TCase& c : {TCase{-1, 0}, TCase{3, 1}}) {
    TPaper paper;
    sheet.DrawCheckpoint(paper.Canvas, 50, 20, c.itemNo, 0, false, &control);
    EXPECT_GT(paper.Count(clRed, TRect(0, 20, 100, 21)), 20) << c.itemNo;
    EXPECT_LT(paper.Count(clRed, TRect(0, 20, 100, 21)), 90) << "dotted";
    const Integer off = paper.Count(clRed, TRect(47, 17, 53, 20));
    if (c.circlePixels == 0)
      EXPECT_EQ(0, off);
    else
      EXPECT_GT(off, 0);
    EXPECT_EQ(psSolid, paper.Canvas->Pen.Style);
    EXPECT_EQ(bsClear, paper.Canvas->Brush.Style);
  }

  TPaper paper;
  const Integer w = control.ClientWidth();
  sheet.DrawPageBreak(paper.Canvas, 10, 0, vlpbPageBreak, &control);
  EXPECT_EQ(clBlue, paper.Canvas->GetPixel(5, 10));
  EXPECT_EQ(clBlue, paper.Canvas->GetPixel(w - 10, 10));
  // The folded corner: 8 pixels wide and high, filled with the window colour.
  EXPECT_EQ(ColorToRGB(clWindow), paper.Canvas->GetPixel(w - 6, 16));
  EXPECT_EQ(clWhite, paper.Canvas->GetPixel(w - 6, 20));
  EXPECT_EQ(clWhite, paper.Canvas->GetPixel(w - 10, 16));
  EXPECT_EQ(bsClear, paper.Canvas->Brush.Style);

  bool asked = false;
  sheet.OnDrawPageBreak = [&](TVLStyle*, TCanvas*, Integer y, Integer, TVLPageBreakType type,
                              TControl*, bool& doDefault) {
    asked = y == 30 && type == vlpbSoftPageBreak;
    doDefault = false;
  };
  TPaper untouched;
  sheet.DrawPageBreak(untouched.Canvas, 30, 0, vlpbSoftPageBreak, &control);
  EXPECT_TRUE(asked);
  EXPECT_EQ(0, untouched.Count(clBtnShadow, TRect(0, 0, 120, 40)) +
                   untouched.Count(ColorToRGB(clBtnFace), TRect(0, 29, 90, 31)));
}

TEST(VLStyleDrawTest, StyleTextGoesThroughItsEvent) {
  TVLStyle sheet(nullptr);
  TFontInfo* fi = sheet.TextStyles->Items(0);
  fi->StyleEx = {vlfsAllCaps};
  fi->Color = clBlack;
  AnsiString seen;
  Integer seenItem = 0;
  TObject context;
  sheet.OnDrawStyleText = [&](TVLStyle* s, const AnsiString& text, TCanvas*, Integer, Integer,
                              Integer, Integer, Integer, Integer, TVLTextDrawStates,
                              bool& doDefault) {
    seen = text;
    seenItem = s->DrawContextItemNo;
    doDefault = s->DrawContextData != &context;
  };
  TPaper paper;
  sheet.ApplyStyle(paper.Canvas, 0, vlbdUnspecified);
  sheet.ApplyStyleColor(paper.Canvas, 0, {}, false, vlcmColor);
  sheet.DrawStyleText("abc", paper.Canvas, 0, 0, 2, 2, 60, 20, {}, false, false, vlcmColor,
                      vlbdUnspecified, &context, 7, 1);
  EXPECT_EQ("ABC", seen);
  EXPECT_EQ(7, seenItem);
  EXPECT_EQ(0, paper.Inked(TRect(0, 0, 120, 40)));
  // With the default drawing the text shows, in the cell only.
  sheet.DrawStyleText("abc", paper.Canvas, 0, 0, 2, 2, 60, 20, {}, false, false, vlcmColor,
                      vlbdUnspecified, nullptr, 7, 1);
  EXPECT_GT(paper.Inked(TRect(2, 2, 62, 22)), 10);
  EXPECT_EQ(0, paper.Inked(TRect(70, 0, 120, 40)));

  // Overline: a line along the top of the cell.
  fi->StyleEx = {vlfsOverline};
  sheet.OnDrawStyleText = nullptr;
  TPaper over;
  sheet.ApplyStyleColor(over.Canvas, 0, {}, false, vlcmColor);
  sheet.DrawStyleText("x", over.Canvas, 0, 0, 10, 5, 30, 20, {}, false, false, vlcmColor,
                      vlbdUnspecified, nullptr, 0, 0);
  EXPECT_GE(over.Count(clBlack, TRect(10, 5, 40, 6)), 29);
}

}  // namespace
