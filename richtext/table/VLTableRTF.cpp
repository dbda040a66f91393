// Tables in RTF: per row the row properties, one cell definition per grid
// column and the cells' content written by the document's RTF writer one
// nesting level deeper (nested tables use \nestcell and \nestrow, a row's
// properties after its cells). The words
// \vellumtbw, \vellumcbw and \vellumcbh carry the widths as the table keeps
// them, so that our own reader restores them exactly.
#include "platform/base/Streams.h"
#include "platform/gui/GfxColors.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLTable.h"

#include <algorithm>
#include <cmath>

bool TVLTableItemInfo::RTFAllowAutofitAll = false;

namespace {

AnsiString I(Int64 v) { return VLRTFInt(v); }

// Halves go to the even neighbour.
Int64 Nearest(double x) { return static_cast<Int64>(std::clamp(std::nearbyint(x), -9.0e18, 9.0e18)); }

AnsiString BorderWord(TVLTableBorderStyle style, Int64 twips, TColor color, const TVLColorList& colors) {
  switch (style) {
    case vltbRaised: return "\\brdroutset\\brdrw" + I(twips);
    case vltbLowered: return "\\brdrinset\\brdrw" + I(twips);
    default: return "\\brdrs\\brdrw" + I(twips) + "\\brdrcf" + I(VLRTFColorIndex(colors, color));
  }
}

// The four sides (left, top, right, bottom) of a border; visible nullptr
// writes all of them.
AnsiString Borders(TVLTableBorderStyle style, Integer width, TColor color, TColor light,
                   const TVLBooleanRect* visible, const char* prefix, const TVLRTFSaveTables& t) {
  if (width <= 0) return AnsiString();
  const Int64 twips = Nearest(width * t.TwipsPerPixel);
  // Raised sides are light at the left and top; lowered ones the reverse.
  TColor leftTop = color, rightBottom = color;
  if (style == vltbRaisedColor) leftTop = light;
  if (style == vltbLoweredColor) rightBottom = light;
  const AnsiString p = AnsiString("\\") + prefix;
  AnsiString r;
  if (!visible || visible->Left) r += p + "brdrl" + BorderWord(style, twips, leftTop, t.ColorList);
  if (!visible || visible->Top) r += p + "brdrt" + BorderWord(style, twips, leftTop, t.ColorList);
  if (!visible || visible->Right) r += p + "brdrr" + BorderWord(style, twips, rightBottom, t.ColorList);
  if (!visible || visible->Bottom) r += p + "brdrb" + BorderWord(style, twips, rightBottom, t.ColorList);
  return r;
}

void AddBorderColors(TVLColorList& colors, TVLTableBorderStyle style, TColor color, TColor light) {
  switch (style) {
    case vltbRaised:
    case vltbLowered:
      colors.AddUnique(clBtnHighlight);
      colors.AddUnique(clBtnShadow);
      colors.AddUnique(clBtnFace);
      break;
    case vltbColor: colors.AddUnique(color); break;
    default:
      colors.AddUnique(color);
      colors.AddUnique(light);
      break;
  }
}

}  // namespace

void TVLTableItemInfo::FillRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList,
                                     TCustomVLData* /*vlData*/) {
  colorList.AddUnique(Color);
  AddBorderColors(colorList, BorderStyle, BorderColor, BorderLightColor);
  AddBorderColors(colorList, CellBorderStyle, CellBorderColor, CellBorderLightColor);
  if (VRuleWidth > 0) colorList.AddUnique(VRuleColor);
  if (HRuleWidth > 0) colorList.AddUnique(HRuleColor);
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell) {
        colorList.AddUnique(cell->Color);
        colorList.AddUnique(cell->BorderColor);
        colorList.AddUnique(cell->BorderLightColor);
        cell->MakeRTFTables(colorList, listOverrideCountList, false);
      }
}

void TVLTableItemInfo::SaveRTF(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/,
                               const AnsiString& /*text*/, Integer level, TVLRTFSaveTables& t) {
  if (!vlData) vlData = FVLData;
  if (FormattingInfo.ColStarts.empty() && !Rows.IsEmpty()) {
    Integer w1, w2;
    CalcSizeForDocWidth(600, w1, w2);
  }
  const double F = t.TwipsPerPixel;
  const Integer L = level;
  const AnsiString nest = L > 0 ? "nest" : "";
  const TVLColorList& colors = t.ColorList;
  const auto W = [&stream](const AnsiString& s) { stream.WriteBytes(s); };
  AnsiString align;
  if (TVLStyle* style = vlData ? vlData->GetStyle() : nullptr) {
    const Integer n = style->ParaStyles->Count();
    if (n > 0) {
      const TParaInfo& p = *style->ParaStyles->Items(ParaNo >= 0 && ParaNo < n ? ParaNo : 0);
      if (p.Alignment == vlaRight) align = "\\trqr";
      if (p.Alignment == vlaCenter) align = "\\trqc";
    }
  }
  const Integer rows = RowCount(), cols = ColCount();
  const auto& F_ = FormattingInfo;
  for (Integer r = 0; r < rows; ++r) {
    AnsiString s = L > 0 ? "{\\*\\nesttableprops" : "{";
    s += "\\trowd" + align + "\\trgaph" + I(Nearest((2 * (CellPadding + CellBorderWidth) + CellHSpacing) * F / 2)) +
         "\\trleft0\\itap" + I(L + 1);
    if (r < HeadingRowCount) s += "\\trhdr";
    if (const Integer h = Rows.GetRow(r)->GetBestHeight(); h > 0) s += "\\trrh" + I(Nearest(h * F));
    const AnsiString p = I(Nearest(CellPadding * F));
    s += "\\trpaddl" + p + "\\trpaddt" + p + "\\trpaddr" + p + "\\trpaddb" + p +
         "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3";
    const AnsiString sp = I(Nearest(CellHSpacing * F / 2));
    s += "\\trspdl" + sp + "\\trspdr" + sp + "\\trspdfl3\\trspdfr3";
    const Int64 top = Nearest((r == 0 ? BorderVSpacing : CellVSpacing) * F / 2);
    const Int64 bottom = Nearest((r == rows - 1 ? BorderVSpacing : CellVSpacing) * F / 2);
    s += "\\trspdt" + I(top) + "\\trspdb" + I(bottom) + "\\trspdft3\\trspdfb3";
    if (BestWidth > 0)
      s += "\\trwWidth" + I(Nearest((BestWidth + 2 * BorderWidth) * F)) + "\\trftsWidth3";
    else if (BestWidth < 0)
      s += "\\trwWidth" + I(-static_cast<Int64>(BestWidth) * 50) + "\\trftsWidth2";
    else
      s += "\\trftsWidth1";
    if (RTFAllowAutofitAll || Options.Contains(vltoRTFAllowAutofit)) s += "\\trautofit1";
    s += "\\vellumtbw" + I(BestWidth);
    s += Borders(BorderStyle, BorderWidth, BorderColor, BorderLightColor, nullptr, "tr", t);
    if (vlData) s += vlData->DoSaveRTFExtra(vl_rtfs_RowProps, this, false, r, -1);
    for (Integer c = 0; c < cols; ++c) {
      Integer mr, mc;
      TVLTableCellData* m = Rows.GetMainCell(r, c, mr, mc);
      if (!m) continue;
      if (mr != r || mc != c) {
        if (r > mr) {
          s += "\\clvmrg";
          if (c == mc && m->ColSpan > 1) s += "\\clmgf";
        }
        if (c > mc) {
          s += "\\clmrg";
          if (r == mr && m->RowSpan > 1) s += "\\clvmgf";
        }
      } else {
        if (m->RowSpan > 1) s += "\\clvmgf";
        if (m->ColSpan > 1) s += "\\clmgf";
        if (m->BestWidth > 0 && Options.Contains(vltoRTFSaveCellPixelBestWidth))
          s += "\\clwWidth" + I(Nearest(m->BestWidth * F)) + "\\clftsWidth3";
        else if (m->BestWidth > 0)
          s += "\\clwWidth0";
        else if (m->BestWidth < 0)
          s += "\\clwWidth" + I(-static_cast<Int64>(m->BestWidth) * 50) + "\\clftsWidth2";
        else
          s += "\\clftsWidth1";
        s += "\\vellumcbw" + I(m->BestWidth) + "\\vellumcbh" + I(m->BestHeight);
      }
      s += Borders(CellBorderStyle, CellBorderWidth, m->BorderColor != clNone ? m->BorderColor : CellBorderColor,
                   m->BorderLightColor != clNone ? m->BorderLightColor : CellBorderLightColor, &m->VisibleBorders,
                   "cl", t);
      if (m->Color != clNone) s += "\\clcbpat" + I(VLRTFColorIndex(colors, m->Color));
      const TVLCellVAlign va = m->GetRealVAlign();
      if (va == vlcMiddle) s += "\\clvertalc";
      if (va == vlcBottom) s += "\\clvertalb";
      if (vlData) s += vlData->DoSaveRTFExtra(vl_rtfs_CellProps, this, false, r, c);
      const Integer right = c < static_cast<Integer>(F_.ColStarts.size()) && c < static_cast<Integer>(F_.ColWidths.size())
                                ? F_.ColStarts[static_cast<size_t>(c)] + F_.ColWidths[static_cast<size_t>(c)]
                                : (c + 1) * 100;
      s += "\\cellx" + I(Nearest(right * F + CellHSpacing * F / 2));
    }
    const auto cells = [&] {
      W("\\pard\\intbl\\itap" + I(L + 1) + "{");
      for (Integer c = 0; c < cols; ++c) {
        W("{");
        if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c))
          cell->SaveRTFToStream(stream, false, L + 1, clNone, nullptr, &t);
        W("\\" + nest + "cell}");
      }
      W("}");
    };
    if (L == 0) {
      W(s);
      cells();
      W("\\pard\\intbl\\itap1\\row}");
    } else {
      // A nested row's properties follow its cells, in a group of their own:
      // a reader that skips the destination still has every cell. The row
      // is a group, so the outer cell's paragraph state comes back after it.
      W("{");
      cells();
      W(s + "\\nestrow}{\\nonesttables\\par}}");
    }
  }
}
