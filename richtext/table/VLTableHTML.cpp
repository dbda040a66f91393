// Tables in HTML and plain text. The page is HTML5, so what older HTML put
// into presentational attributes of TABLE, TR and TD (width, bgcolor,
// border, cellpadding, cellspacing, valign, bordercolor) goes into style
// attributes; spans stay attributes. Cells are written by the same HTML
// writer as the page, body only.
#include "platform/base/Streams.h"
#include "platform/gui/GfxColors.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLHTMLWrite.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLTable.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

AnsiString I(Int64 v) { return std::to_string(v); }

// A length: pixels when positive, percent when negative, nothing for 0.
AnsiString CSSLength(Integer v) {
  if (v > 0) return I(v) + "px";
  if (v < 0) return I(-static_cast<Int64>(v)) + "%";
  return AnsiString();
}

void Add(AnsiString& css, const AnsiString& name, const AnsiString& value) {
  if (value.empty()) return;
  if (!css.empty()) css += " ";
  css += name + ": " + value + ";";
}

// A border in CSS: raised and lowered styles as outset and inset, the
// coloured 3-D ones as four colours, the light one at the top and left of
// a raised border.
AnsiString BorderCSS(Integer width, TVLTableBorderStyle style, TColor color, TColor light) {
  if (width <= 0) return AnsiString();
  AnsiString css = "border-width: " + I(width) + "px;";
  switch (style) {
    case vltbRaised: css += " border-style: outset;"; break;
    case vltbLowered: css += " border-style: inset;"; break;
    case vltbColor:
      css += " border-style: solid; border-color: " + ColorToHtml(color) + ";";
      break;
    case vltbRaisedColor:
      css += " border-style: solid; border-color: " + ColorToHtml(light) + " " + ColorToHtml(color) + " " +
             ColorToHtml(color) + " " + ColorToHtml(light) + ";";
      break;
    case vltbLoweredColor:
      css += " border-style: solid; border-color: " + ColorToHtml(color) + " " + ColorToHtml(light) + " " +
             ColorToHtml(light) + " " + ColorToHtml(color) + ";";
      break;
  }
  return css;
}

const char* VAlignName(TVLCellVAlign v) {
  switch (v) {
    case vlcTop: return "top";
    case vlcMiddle: return "middle";
    case vlcBottom: return "bottom";
    default: return "";
  }
}

// A background picture's file for the page: the item's own file when the
// options ask for it, else what the application answers, else a file the
// document writes beside the page (as for pictures in the text).
String SaveBackgroundPicture(TCustomVLData* vlData, Integer itemNo, TVLHTMLSaveContext& ctx, const TGraphic* image,
                             const String& ownFile, TColor color) {
  if (!vlData || !image || image->GetEmpty()) return {};
  String location;
  const bool useName = !ownFile.empty() && ctx.Options.Contains(vlsoUseItemImageFileNames);
  auto ownName = [&] {
    const std::filesystem::path rel =
        std::filesystem::path(ownFile).lexically_relative(ctx.Path.empty() ? "." : ctx.Path);
    return rel.empty() ? ownFile : String(rel.generic_string());
  };
  if (useName) location = ownName();
  bool doDefault = true;
  vlData->DoHTMLSaveImage(itemNo, ctx.Path, color, doDefault, location);
  if (doDefault) {
    if (useName)
      location = ownName();
    else
      vlData->SaveImageForHTML(dynamic_cast<const TJPEGImage*>(image) != nullptr, *image, ctx, color, location);
  }
  std::replace(location.begin(), location.end(), '\\', '/');
  return location;
}

void AddPicture(AnsiString& css, const String& location) {
  if (!location.empty()) Add(css, "background-image", "url('" + VLHTMLFileLocation(location) + "')");
}

// A stretched or centred picture is drawn once; stretched fills the box.
void AddPlacement(AnsiString& css, TVLItemBackgroundStyle style) {
  if (style != vlbsStretched && style != vlbsCentered) return;
  Add(css, "background-position", "center center");
  Add(css, "background-repeat", "no-repeat");
  if (style == vlbsStretched) Add(css, "background-size", "100% 100%");
}

bool HoldsNothing(TCustomVLData& cell) {
  return cell.GetItemCount() == 0 ||
         (cell.GetItemCount() == 1 && cell.GetItem(0)->StyleNo >= 0 && cell.GetItemTextA(0).empty());
}

}  // namespace

void TVLTableItemInfo::SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo,
                                  const AnsiString& /*text*/, TVLHTMLSaveContext& ctx, TColor curColor,
                                  bool useCSS) {
  const auto W = [&stream](const AnsiString& s) { stream.WriteBytes(s); };
  AnsiString css;
  // Without a width of its own the table takes the whole width available
  // unless its columns have widths (as laid out here): a browser would
  // shrink it to its content.
  Add(css, "width", CSSLength(BestWidth == 0 && !SizedByColumns() ? -100 : BestWidth));
  if (Color != clNone) Add(css, "background-color", ColorToHtml(Color));
  if (BorderWidth > 0) css += (css.empty() ? "" : " ") + BorderCSS(BorderWidth, BorderStyle, BorderColor, BorderLightColor);
  // Cell spacing: the gaps between cells and, as padding of the table,
  // between the outer border and the cells. A negative spacing (tables
  // from RTF that gives none) lays neighbouring borders over each other:
  // collapsed borders; CSS has no negative lengths here.
  if (CellHSpacing < 0 || CellVSpacing < 0)
    Add(css, "border-collapse", "collapse");
  else
    Add(css, "border-spacing", I(CellHSpacing) + "px " + I(CellVSpacing) + "px");
  Add(css, "padding", I(std::max(0, BorderVSpacing)) + "px " + I(std::max(0, BorderHSpacing)) + "px");
  const TColor pageBack = Color != clNone ? Color : curColor;
  AddPicture(css, SaveBackgroundPicture(vlData, itemNo, ctx, GetBackgroundImage(), FileName, pageBack));
  AddPlacement(css, BackgroundStyle);
  W("<TABLE" + VLStyleAttr(css) + ">\r\n");
  TVLSaveOptions cellOptions = ctx.Options;
  cellOptions.Exclude(vlsoFirstOnly);
  cellOptions.Exclude(vlsoLastOnly);
  cellOptions.Include(vlsoMiddleOnly);
  Integer ownImgNo = 0;
  Integer& imgNo = ctx.imgSaveNo ? *ctx.imgSaveNo : ownImgNo;
  const TColor tableBack = pageBack;
  // HTML knows rows and columns only by the cells that start in them: rows
  // and columns in which none starts (all covered by merged cells) are left
  // out and the spans over them shortened.
  const Integer R = RowCount(), C = ColCount();
  std::vector<char> rowStarts(static_cast<size_t>(R), 0), colStarts(static_cast<size_t>(C), 0);
  for (Integer r = 0; r < R; ++r)
    for (Integer c = 0; c < C; ++c)
      if (Rows.GetRow(r)->GetCell(c)) rowStarts[static_cast<size_t>(r)] = colStarts[static_cast<size_t>(c)] = 1;
  auto span = [](const std::vector<char>& starts, Integer first, Integer n) {
    Integer k = 0;
    for (Integer i = first; i < first + n && i < static_cast<Integer>(starts.size()); ++i) k += starts[static_cast<size_t>(i)];
    return std::max<Integer>(k, 1);
  };
  for (Integer r = 0; r < R; ++r) {
    if (!rowStarts[static_cast<size_t>(r)]) continue;
    const TVLTableRow* row = Rows.GetRow(r);
    AnsiString rowCss;
    Add(rowCss, "vertical-align", VAlignName(row->VAlign));
    W("<TR" + VLStyleAttr(rowCss) + ">\r\n");
    for (Integer c = 0; c < C; ++c) {
      TVLTableCellData* cell = row->GetCell(c);
      if (!cell) continue;
      AnsiString attrs;
      const Integer colSpan = span(colStarts, c, cell->ColSpan), rowSpan = span(rowStarts, r, cell->RowSpan);
      if (colSpan != 1) attrs += " colspan=\"" + I(colSpan) + "\"";
      if (rowSpan != 1) attrs += " rowspan=\"" + I(rowSpan) + "\"";
      AnsiString cellCss;
      Add(cellCss, "width", CSSLength(cell->BestWidth));
      Add(cellCss, "height", CSSLength(cell->BestHeight));
      if (cell->Color != clNone && cell->Color != Color) Add(cellCss, "background-color", ColorToHtml(cell->Color));
      Add(cellCss, "vertical-align", VAlignName(cell->VAlign));
      Add(cellCss, "padding", I(std::max(0, CellPadding)) + "px");
      AddPicture(cellCss, SaveBackgroundPicture(vlData, itemNo, ctx, cell->GetBackgroundImage(),
                                                cell->BackgroundImageFileName,
                                                cell->Color != clNone ? cell->Color : pageBack));
      if (cell->GetBackgroundStyle() == vlbsStretched || cell->GetBackgroundStyle() == vlbsCentered) {
        AddPlacement(cellCss, cell->GetBackgroundStyle());
      } else if (BackgroundStyle == vlbsStretched || BackgroundStyle == vlbsCentered) {
        Add(cellCss, "background-position", "left top");
        Add(cellCss, "background-repeat", "repeat");
      }
      if (CellBorderWidth > 0) {
        const TColor bc = cell->BorderColor != clNone ? cell->BorderColor : CellBorderColor;
        const TColor lc = cell->BorderLightColor != clNone ? cell->BorderLightColor : CellBorderLightColor;
        cellCss += " " + BorderCSS(CellBorderWidth, CellBorderStyle, bc, lc);
        const TVLBooleanRect& v = cell->VisibleBorders;
        if (!v.Top) cellCss += " border-top: none;";
        if (!v.Right) cellCss += " border-right: none;";
        if (!v.Bottom) cellCss += " border-bottom: none;";
        if (!v.Left) cellCss += " border-left: none;";
      }
      W("<TD" + attrs + VLStyleAttr(cellCss) + ">");
      if (HoldsNothing(*cell)) {
        // The document converter keeps an empty cell without one.
        if (!ctx.Options.Contains(vlsoConverterHints)) W("&nbsp;");
        W("\r\n");
      } else {
        const TColor back = cell->Color != clNone ? cell->Color : tableBack;
        if (useCSS) {
          TColor current = back;
          cell->SaveHTMLToStreamCSS(stream, ctx.Path, String(), ctx.ImagesPrefix, String(), String(), String(),
                                    cellOptions, back, current, imgNo, 0, 0, 0, 0, nullptr, ctx.Bullets);
        } else {
          cell->SaveHTMLToStream(stream, ctx.Path, String(), ctx.ImagesPrefix, cellOptions, back, imgNo, 0, 0, 0,
                                 0, nullptr, ctx.Bullets);
        }
      }
      W("</TD>\r\n");
    }
    W("</TR>\r\n");
  }
  W("</TABLE>\r\n");
}

AnsiString TVLTableItemInfo::AsText(Integer lineWidth, TCustomVLData* vlData, const AnsiString& /*text*/,
                                    const String& path, bool textOnly, bool unicode) const {
  const Cardinal codePage = vlData ? vlData->GetDefaultCodePage() : 1252;
  const AnsiString colSep = unicode ? AnsiToRawUnicode(TextColSeparator, codePage) : TextColSeparator;
  const AnsiString rowSep = unicode ? AnsiToRawUnicode(TextRowSeparator, codePage) : TextRowSeparator;
  AnsiString out;
  const Integer cols = ColCount();
  for (Integer r = 0; r < RowCount(); ++r) {
    for (Integer c = 0; c < cols; ++c) {
      if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c)) {
        TMemoryStream s;
        cell->SaveTextToStream(path, s, lineWidth, false, textOnly, unicode, false);
        out += s.Bytes();
      }
      if (c < cols - 1) out += colSep;
    }
    out += rowSep;
  }
  return out;
}
