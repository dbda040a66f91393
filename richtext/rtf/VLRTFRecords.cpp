#include "richtext/rtf/VLRTFRecords.h"

#include <cmath>
#include <stdexcept>

Integer RTFRound(double value) {
  const double r = std::nearbyint(value);  // the default rounding mode is half to even
  if (r > 2147483647.0) return 2147483647;
  if (r < -2147483648.0) return -2147483647 - 1;
  return static_cast<Integer>(r);
}

Integer RTFHalf(Integer value) { return RTFRound(value / 2.0); }

TColor RTFHighlightColor(Integer index) {
  static const TColor colors[] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF,
                                  0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000, 0x800080,
                                  0x000080, 0x008080, 0x808080, 0xC0C0C0};
  if (index < 1 || index > 16) return rtf_clNone;
  return colors[index - 1];
}

namespace {
TColor PlainRGB(TColor c) {
  if (c == rtf_clNone) return 0xFFFFFF;
  return ColorToRGB(c) & 0xFFFFFF;
}
}  // namespace

TColor RTFBlendShading(TColor background, TColor pattern, Integer shading) {
  if (shading < 0) shading = 0;
  if (shading > 10000) shading = 10000;
  const Cardinal b = static_cast<Cardinal>(PlainRGB(background));
  const Cardinal p = static_cast<Cardinal>(pattern == rtf_clNone ? 0 : PlainRGB(pattern));
  Cardinal result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const Int64 bc = (b >> shift) & 0xFF, pc = (p >> shift) & 0xFF;
    const Int64 c = (bc * (10000 - shading) + pc * shading) / 10000;
    result |= static_cast<Cardinal>(c & 0xFF) << shift;
  }
  return static_cast<TColor>(result);
}

// ---------------------------------------------------------------------------

void TVLRTFCharProperties::Reset(Integer language, Integer fontIndex) {
  *this = TVLRTFCharProperties();
  Language = language;
  FontIndex = fontIndex;
}

void TVLRTFCharProperties::Assign(const TVLRTFCharProperties& s) {
  Hidden = s.Hidden;
  Size = s.Size;
  Color = s.Color;
  BackColor = s.BackColor;
  FontIndex = s.FontIndex;
  Style = s.Style;
  AllCaps = s.AllCaps;
  HScale = s.HScale;
  VPosition = s.VPosition;
  CharSpacing = s.CharSpacing;
}

void TVLRTFParaBorder::Assign(const TVLRTFParaBorder& source) {
  for (size_t i = 0; i < 4; ++i) {
    if (source.Sides[i]) {
      if (!Sides[i]) Sides[i] = std::make_unique<TVLRTFBorderSide>();
      *Sides[i] = *source.Sides[i];
    } else {
      Sides[i].reset();
    }
  }
}

void TVLRTFParaBorder::Reset() {
  for (auto& s : Sides)
    if (s) s->Reset();
}

TVLRTFBorderSide& TVLRTFParaBorder::GetSide(Integer index) {
  auto& s = Sides.at(static_cast<size_t>(index & 3));
  if (!s) s = std::make_unique<TVLRTFBorderSide>();
  return *s;
}

const TVLRTFBorderSide* TVLRTFParaBorder::SideOrNil(Integer index) const {
  return Sides.at(static_cast<size_t>(index & 3)).get();
}

bool TVLRTFParaBorder::HasLine(Integer index) const {
  const TVLRTFBorderSide* s = SideOrNil(index);
  return s && s->Style != 0;
}

bool TVLRTFParaBorder::HasAny() const {
  for (Integer i = 0; i < 4; ++i)
    if (HasLine(i)) return true;
  return false;
}

void TVLRTFParaProperties::Reset() { *this = TVLRTFParaProperties(); }

void TVLRTFParaProperties::Assign(const TVLRTFParaProperties& s) {
  if (this == &s) return;
  LeftIndent = s.LeftIndent;
  RightIndent = s.RightIndent;
  FirstIndent = s.FirstIndent;
  SpaceBefore = s.SpaceBefore;
  SpaceAfter = s.SpaceAfter;
  Alignment = s.Alignment;
  if (s.Border) {
    if (!Border) Border = std::make_unique<TVLRTFParaBorder>();
    Border->Assign(*s.Border);
  } else {
    Border.reset();
  }
  if (s.Marker) {
    if (!Marker) Marker = std::make_unique<TVLRTFMarkerProperties>();
    *Marker = *s.Marker;
  } else {
    Marker.reset();
  }
  CurBorderSide = s.CurBorderSide;
  LineSpacing = s.LineSpacing;
  LineSpacingMulti = s.LineSpacingMulti;
  BackColor = s.BackColor;
  NestingLevel = s.NestingLevel;
  InTable = s.InTable;
  Shading = s.Shading;
  ShadingColor = s.ShadingColor;
  ListOverrideIndex = s.ListOverrideIndex;
  ListLevel = s.ListLevel;
  NoOverlap = s.NoOverlap;
}

TVLRTFParaBorder& TVLRTFParaProperties::GetBorder() {
  if (!Border) Border = std::make_unique<TVLRTFParaBorder>();
  return *Border;
}

TVLRTFMarkerProperties& TVLRTFParaProperties::GetMarker() {
  if (!Marker) Marker = std::make_unique<TVLRTFMarkerProperties>();
  return *Marker;
}

void TVLRTFParaProperties::FoldShading() {
  if (Shading == 0) return;
  BackColor = RTFBlendShading(BackColor, ShadingColor, Shading);
  Shading = 0;
}

void TVLRTFSectionProperties::Reset() { *this = TVLRTFSectionProperties(); }

void TVLRTFSectionProperties::Assign(const TVLRTFSectionProperties& s) {
  if (this == &s) return;
  Columns = s.Columns;
  SectionBreak = s.SectionBreak;
  PageNumberX = s.PageNumberX;
  PageNumberY = s.PageNumberY;
  PageNumberFormat = s.PageNumberFormat;
  if (s.Levels.empty()) {
    Levels.clear();
    return;
  }
  Levels.resize(s.Levels.size());
  for (size_t i = 0; i < s.Levels.size(); ++i) {
    if (!s.Levels[i]) {
      Levels[i].reset();
      continue;
    }
    if (!Levels[i]) Levels[i] = std::make_unique<TVLRTFMarkerProperties>();
    *Levels[i] = *s.Levels[i];
  }
}

TVLRTFMarkerProperties& TVLRTFSectionProperties::GetLevel(Integer level) {
  if (level < 1 || level > 11) throw std::out_of_range("section numbering level");
  if (Levels.empty()) {
    Levels.resize(11);
    for (auto& l : Levels) l = std::make_unique<TVLRTFMarkerProperties>();
  }
  return *Levels[static_cast<size_t>(level - 1)];
}

TVLRTFRowProperties::TVLRTFRowProperties() { Reset(); }

void TVLRTFRowProperties::Reset() {
  Heading = false;
  Gap = Left = Height = 0;
  Padding = {};
  Spacing = {};
  PaddingTwips = {};
  SpacingTwips = {};
  Width = 0;
  Alignment = 0;
  Border.Reset();
  CurBorderSide = 0;
  Cells.clear();
  Cells.push_back(std::make_unique<TVLRTFCellProperties>());
  Cells.back()->Border.Reset();
  CellsNeedShading = true;
  LastCellPending = true;
  AlignmentGiven = false;
  HasOwnSizes = false;
}

std::unique_ptr<TVLRTFRowProperties> TVLRTFRowProperties::Clone() const {
  auto r = std::make_unique<TVLRTFRowProperties>();
  r->WidthIsPercent = WidthIsPercent;
  r->Heading = Heading;
  r->Gap = Gap;
  r->Left = Left;
  r->Height = Height;
  r->Padding = Padding;
  r->Spacing = Spacing;
  r->PaddingTwips = PaddingTwips;
  r->SpacingTwips = SpacingTwips;
  r->Width = Width;
  r->Alignment = Alignment;
  r->Border.Assign(Border);
  r->CurBorderSide = CurBorderSide;
  r->Cells.clear();
  for (const auto& c : Cells) r->Cells.push_back(std::make_unique<TVLRTFCellProperties>(*c));
  r->CellsNeedShading = CellsNeedShading;
  r->LastCellPending = LastCellPending;
  r->AlignmentGiven = AlignmentGiven;
  r->HasOwnSizes = HasOwnSizes;
  return r;
}

void TVLRTFReaderState::AssignGroup(const TVLRTFReaderState& s) {
  if (this == &s) return;
  DefLanguage = s.DefLanguage;
  CharProps.Assign(s.CharProps);
  ParaProps.Assign(s.ParaProps);
  SectProps.Assign(s.SectProps);
  DocProps = s.DocProps;
  // The row record is shared until one side writes to it.
  Row = s.Row;
  BorderTarget = s.BorderTarget;
  Destination = s.Destination;
  ParseMode = s.ParseMode;
  HFType = s.HFType;
}

void TVLRTFReaderState::Reset() {
  DefLanguage = 0;
  CharProps.Reset(0, 0);
  ParaProps.Reset();
  SectProps.Reset();
  DocProps = TVLRTFDocProperties();
  Row.reset();
  FieldInstruction.clear();
  FieldPictureInserted = false;
  BorderTarget = 0;
  Destination = rtf_ds_Normal;
  ParseMode = rtf_pm_Normal;
  DefFontNo = 0;
  DefFontIndex = -1;
  HFType = 0;
}

TVLRTFRowProperties& TVLRTFReaderState::GetRowProperties() {
  if (!Row) {
    Row = std::make_shared<TVLRTFRowProperties>();
  } else if (Row.use_count() > 1) {
    std::shared_ptr<TVLRTFRowProperties> own(Row->Clone().release());
    Row = std::move(own);
  }
  return *Row;
}
