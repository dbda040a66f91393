// The HTML writer with CSS: the style sheet inline in the head, linked from
// a file, or as style attributes on every element; text in SPAN elements of
// class VLTS<n> and paragraphs in P elements of class VLPS<n>.
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLHTMLWrite.h"
#include "richtext/model/VLMarkers.h"

namespace {

AnsiString I(Integer v) { return std::to_string(v); }

// An element's class and style, written as one attribute each.
struct TAttrs {
  AnsiString Class;
  AnsiString Style;
  AnsiString Text() const {
    AnsiString r;
    if (!Class.empty()) r = "class=" + Class;
    if (!Style.empty()) AddWithSpace(r, "style=\"" + MakeHTMLAttrStr(Style) + "\"");
    return r;
  }
};

const char* const BackRepeat[] = {"", "no-repeat", "repeat", "repeat", "no-repeat"};
const char* const BackAttachment[] = {"", "fixed", "fixed", "scroll", "fixed"};

}  // namespace

bool TCustomVLData::SaveHTMLToStreamCSS(TStream& stream, const String& path, const String& title,
                                        const String& imagesPrefix, const String& extraStyles,
                                        const String& externalCSS, const String& cpPrefix,
                                        TVLSaveOptions options, TColor color, TColor& currentFileColor,
                                        Integer& imgSaveNo, Integer leftMargin, Integer topMargin,
                                        Integer rightMargin, Integer bottomMargin,
                                        const TVLBackgroundImage* background, TVLList* bullets) {
  TVLStyle* style = GetStyle();
  if (!style) return false;
  TVLList ownBullets;
  TVLHTMLSaveContext ctx;
  ctx.Path = path;
  ctx.ImagesPrefix = imagesPrefix;
  ctx.Options = options;
  ctx.imgSaveNo = &imgSaveNo;
  ctx.Bullets = bullets ? bullets : &ownBullets;
  TVLHTMLWriterCore w(*this, stream, ctx, true);
  if (!cpPrefix.empty()) w.CPPrefix = cpPrefix;
  currentFileColor = color;
  const bool inlineCSS = options.Contains(vlsoInlineCSS);
  const bool noDef = options.Contains(vlsoNoDefCSSStyle);
  const bool head = !options.Contains(vlsoMiddleOnly) && !options.Contains(vlsoLastOnly);
  const bool body = !options.Contains(vlsoFirstOnly) && !options.Contains(vlsoLastOnly);
  const bool end = !options.Contains(vlsoFirstOnly) && !options.Contains(vlsoMiddleOnly);
  if (head) {
    w.Str("<!DOCTYPE html>\r\n<HTML><HEAD><TITLE>" + VLUtf8ToHTML(title) +
          "</TITLE>\r\n<META charset=\"utf-8\">\r\n");
    w.Line("<STYLE type=\"text/css\"><!--");
    w.Line("BODY {");
    w.Line("  margin: " + I(topMargin) + "px " + I(rightMargin) + "px " + I(bottomMargin) + "px " +
           I(leftMargin) + "px;");
    const AnsiString c = ColorToHtml(color);
    if (!c.empty()) w.Line("  background-color: " + c + ";");
    const String bg = w.SaveBackground(background, color);
    if (!bg.empty()) {
      const Integer st = background->Style;
      w.Line("  background-image: url(\"" + VLHTMLFileLocation(bg) + "\");");
      w.Line(AnsiString("  background-repeat: ") + BackRepeat[st] + ";");
      w.Line(AnsiString("  background-attachment: ") + BackAttachment[st] + ";");
      if (background->Style == bsStretched || background->Style == bsCentered)
        w.Line("  background-position: center center;");
    }
    w.Line("}");
    if (externalCSS.empty() && !inlineCSS) style->SaveCSS(stream, noDef ? 4 : 0);
    // A STYLE element ends at the first "</": extra rules may not close it.
    w.Line(ReplaceAllOnce(extraStyles, "</", "<\\/"));
    w.Line("--></STYLE>");
    if (!externalCSS.empty() && !inlineCSS)
      w.Line("<LINK type=\"text/css\" href=\"" + VLHTMLFileLocation(externalCSS) + "\" rel=STYLESHEET>");
    w.Str(DoSaveHTMLExtra(0, true));
    w.Line("</HEAD>");
    const AnsiString extra = DoSaveHTMLExtra(1, true);
    w.Line("<BODY" + (extra.empty() ? AnsiString() : " " + extra) + ">");
    w.Str(DoSaveHTMLExtra(2, true));
  }
  if (body) {
    const Integer textCount = style->TextStyles->Count();
    const Integer paraCount = style->ParaStyles->Count();
    auto textStyle = [&](Integer n) { return style->TextStyles->Items(n >= 0 && n < textCount ? n : 0); };
    auto paraStyle = [&](Integer n) { return style->ParaStyles->Items(n >= 0 && n < paraCount ? n : 0); };
    const bool plain0 = textCount > 0 && !textStyle(0)->Jump && textStyle(0)->BackColor == clNone && !noDef;
    auto TA = [&](Integer n) {
      TAttrs a;
      if (inlineCSS)
        a.Style = VLTextStyleInlineCSS(*textStyle(n));
      else
        a.Class = "VLTS" + I(n);
      return a;
    };
    auto PA = [&](TCustomVLItemInfo* item) {
      TAttrs a;
      const AnsiString pb = item->GetPageBreakBefore() ? "page-break-before: always;" : "";
      const Integer p = item->ParaNo;
      if (inlineCSS) {
        a.Style = VLParaStyleInlineCSS(*paraStyle(p));
        if (!pb.empty()) AddWithSpace(a.Style, pb);
      } else {
        if (p > 0 || noDef) a.Class = "VLPS" + I(p);
        a.Style = pb;
      }
      return a;
    };
    auto openTag = [&](const AnsiString& tag, const TAttrs& a) {
      const AnsiString t = a.Text();
      return "<" + tag + (t.empty() ? AnsiString() : " " + t) + ">";
    };
    bool paraOpen = false;
    Integer listItemNo = -1, spanStyle = -1;
    const Integer count = GetItemCount();
    for (Integer i = 0; i < count; ++i) {
      TCustomVLItemInfo* item = GetItem(i);
      if (!item->GetSameAsPrev()) {
        if ((!paraOpen && !w.ListItemOpen()) || item->GetBR()) w.Str("\r\n");
        if (item->IsParaStart()) {
          if (w.ListItemOpen() && listItemNo >= 0) {
            w.Str(w.ParaExtra(listItemNo, false));
          } else if (paraOpen) {
            w.Line("</P>");
            w.Str(w.ParaExtra(i, false));
          }
          paraOpen = false;
          const TColor back = paraStyle(item->ParaNo)->Background.Color;
          currentFileColor = back == clNone ? color : back;
          auto* marker = item->StyleNo == vlsListMarker ? static_cast<TVLMarkerItemInfo*>(item) : nullptr;
          TVLListLevel* lvl = marker ? marker->GetLevelInfo(style) : nullptr;
          if (marker && !lvl) {
            w.CloseAllLists();
            listItemNo = -1;
            w.Str(w.ParaExtra(i, true));
            w.Str(openTag("P", PA(item)));
            paraOpen = true;
          } else if (marker && !options.Contains(vlsoMarkersAsText)) {
            w.PrepareListItem(*marker, *lvl);
            w.Str(w.ParaExtra(i, true));
            TVLMarkerList* markers = GetMarkers(false);
            TAttrs a = PA(item);
            AnsiString value;
            if (lvl->HasNumbering()) value = " value=" + I(markers ? markers->CounterOf(marker) : 1);
            String location;
            if (lvl->ListType == vllstPicture && lvl->HasPicture())
              location = VLSaveBulletForHTML(*this, ctx, nullptr, 0, lvl->GetPicture()->GetGraphic(),
                                             currentFileColor);
            else if (lvl->ListType == vllstImageList || lvl->ListType == vllstImageListCounter)
              location = VLSaveBulletForHTML(
                  *this, ctx, lvl->ImageList,
                  lvl->ImageIndex + (lvl->ListType == vllstImageListCounter
                                         ? (markers ? markers->CounterOf(marker) : 1) - 1
                                         : 0),
                  nullptr, currentFileColor);
            if (!location.empty())
              AddWithSpace(a.Style, "list-style: url('" + VLHTMLFileLocation(location) + "');");
            // The list places the marker and the text; a paragraph's own
            // first-line and left indents would move the text under it.
            const TParaInfo& para = *paraStyle(item->ParaNo);
            if (para.FirstIndent != 0 || para.LeftIndent != 0)
              AddWithSpace(a.Style, "text-indent: inherit; margin-left: 0px;");
            const TVLHTMLWriterCore::TListItemForm form = w.ListItemForm(*marker, *lvl);
            AddWithSpace(a.Style, form.CSS);
            const AnsiString t = a.Text();
            w.Str("<LI" + value + (t.empty() ? AnsiString() : " " + t) + ">" + form.Start);
            w.SetListItemOpen();
            listItemNo = i;
          } else if (marker) {
            w.CloseAllLists();
            listItemNo = -1;
            w.Str(w.ParaExtra(i, true));
            TAttrs a = PA(item);
            if ((item->ParaNo == 0 && !noDef) || inlineCSS) {
              a.Class.clear();
              a.Style = VLParaStyleInlineCSS(*paraStyle(item->ParaNo));
              if (item->GetPageBreakBefore()) AddWithSpace(a.Style, "page-break-before: always;");
            }
            AddWithSpace(a.Style, lvl->GetIndentCSSForTextVersion());
            w.Str(openTag("P", a));
            paraOpen = true;
          } else if (item->GetBoolValue(0) && item->StyleNo < 0) {
            // Rules stand between paragraphs and lists, never inside them.
            w.CloseAllLists();
            listItemNo = -1;
          } else {
            w.CloseAllLists();
            listItemNo = -1;
            w.Str(w.ParaExtra(i, true));
            w.Str(openTag("P", PA(item)));
            paraOpen = true;
          }
        } else {
          w.Str("<BR>");
        }
      }
      if (item->Checkpoint) w.Anchor(*item->Checkpoint, true);
      if (item->StyleNo < 0) {
        const AnsiString link = w.LinkTag(i, AnsiString());
        if (!link.empty()) w.Str(link);
        AnsiString hooked;
        if (SaveItemToFile(path, i, vlsfHTML, false, hooked))
          w.Str(hooked);
        else
          item->SaveToHTML(stream, this, i, Items->Get(i), ctx, currentFileColor, true);
        if (!link.empty()) w.Str("</A>");
        continue;
      }
      const Integer actual = GetItemActualStyle(item);
      const TFontInfo& f = *textStyle(actual);
      if (!f.Options.Contains(vlteoHTMLCode) && f.Options.Contains(vlteoRTFCode)) continue;
      const AnsiString link = f.Jump ? w.LinkTag(i, TA(actual).Text()) : AnsiString();
      bool spanOpened = false;
      if (link.empty() && actual != spanStyle) {
        if (actual != 0 || !plain0 || inlineCSS) {
          w.Str(openTag("SPAN", TA(actual)));
          spanStyle = actual;
          spanOpened = true;
        }
      } else if (link.empty()) {
        spanOpened = true;
      }
      if (!link.empty()) w.Str(link);
      const AnsiString hint = link.empty() ? FormatHint(vlhmHTML, item->Hint) : AnsiString();
      if (!hint.empty()) w.Str("<SPAN " + hint + ">");
      w.Str(w.ItemText(i));
      if (!hint.empty()) w.Str("</SPAN>");
      if (!link.empty()) {
        w.Str("</A>");
      } else if (spanOpened) {
        TCustomVLItemInfo* next = i + 1 < count ? GetItem(i + 1) : nullptr;
        const bool keep = !f.Jump && next && next->GetSameAsPrev() && next->StyleNo >= 0 && GetItemActualStyle(next) == actual;
        if (!keep) {
          w.Str("</SPAN>");
          spanStyle = -1;
        }
      }
    }
    if (w.ListItemOpen() && listItemNo >= 0) w.Str(w.ParaExtra(listItemNo, false));
    w.CloseAllLists();
    if (paraOpen) {
      w.Line("</P>");
      w.Str(w.ParaExtra(count - 1, false));
    }
    if (NotAddedCP) w.Anchor(*NotAddedCP, false);
  }
  if (end) {
    w.Line("");
    w.Str(DoSaveHTMLExtra(3, true));
    w.Line("</BODY></HTML>");
  }
  return true;
}

bool TCustomVLData::SaveCSSHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                                    const String& extraStyles, const String& externalCSS,
                                    const String& cpPrefix, TVLSaveOptions options, TColor color,
                                    TColor& currentFileColor, Integer& imgSaveNo, Integer leftMargin,
                                    Integer topMargin, Integer rightMargin, Integer bottomMargin,
                                    const TVLBackgroundImage* background) {
  TAtomicFileStream stream(fileName);
  const bool ok = SaveHTMLToStreamCSS(stream, ExtractFilePath(fileName), title, imagesPrefix, extraStyles,
                                      externalCSS, cpPrefix, options, color, currentFileColor, imgSaveNo,
                                      leftMargin, topMargin, rightMargin, bottomMargin, background, nullptr);
  if (ok) stream.Commit();
  return ok;
}
