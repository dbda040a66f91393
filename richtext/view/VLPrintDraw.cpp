// Drawing one page of a printed document on the printer or a preview.
#include "richtext/model/VLBack.h"
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLPrint.h"

#include <algorithm>

namespace {

Integer ToDeviceX(const TVLScreenAndDevice& sad, Integer v) { return MulDiv(v, sad.ppixDevice, sad.ppixScreen); }
Integer ToDeviceY(const TVLScreenAndDevice& sad, Integer v) { return MulDiv(v, sad.ppiyDevice, sad.ppiyScreen); }

// Clears what a page leaves behind, also when drawing fails.
struct TPageGuard {
  TCustomPrintableVLData& Data;
  std::unique_ptr<TBitmap>& PageBack;
  ~TPageGuard() {
    Data.DrawingPageNo = -1;
    Data.CurrentDrawItemNo = -1;
    Data.CurrentPart = -1;
    PageBack.reset();
    Data.ResetMeasuring();
  }
};

void FillBitmap(TBitmap& bitmap, TColor color) {
  TCustomPrintableVLData::FillBackground(bitmap.Canvas(), TRect(0, 0, bitmap.GetWidth(), bitmap.GetHeight()), color);
}

// Draws the text of a secret document as such, for the page's length.
struct TSecretCanvas {
  TCanvas* Canvas;
  bool Was;
  TSecretCanvas(TCanvas* canvas, bool secret) : Canvas(canvas), Was(canvas->SensitiveText) {
    canvas->SensitiveText = Was || secret;
  }
  ~TSecretCanvas() { Canvas->SensitiveText = Was; }
};

}  // namespace

void TCustomPrintableVLData::LineSpan(Integer n, Integer& top, Integer& bottom) const {
  Integer first, last;
  GetLineBounds(n, first, last);
  top = DrawItems[first]->Top;
  bottom = top + DrawItems[first]->Height;
  for (Integer i = first + 1; i <= last; ++i) {
    top = std::min(top, DrawItems[i]->Top);
    bottom = std::max(bottom, DrawItems[i]->Top + DrawItems[i]->Height);
  }
}

void TCustomPrintableVLData::DrawPage(Integer pageNo, TCanvas* canvas, bool preview, bool correction) {
  DrawingPageNo = pageNo;
  TVLStyle* s = GetStyle();
  if (!s) throw EVellumError("Style of printable TVellum component is not assigned");
  const TVLScreenAndDevice sad = PrintResolution();
  const TVLColorMode mode = GetColorMode();
  Integer first, firstPart, last;
  GetDrawItemsRange(pageNo, first, firstPart, last);
  Integer topCoord = GetPageTopCoord(pageNo);
  const Integer left = GetPrintableAreaLeft(pageNo);
  canvas->Brush.Style = bsClear;
  TPageGuard guard{*this, FPageBack};
  const bool secret = IsSensitive();
  const TSecretCanvas secretCanvas(canvas, secret);
  ResetMeasuring();

  // The page background.
  const TRect area = Bounds(left, GetPrintableAreaTop(), GetWidth(), GetHeight());
  const TColor color = GetColor();
  if (color != clNone) {
    canvas->Brush.Style = bsSolid;
    canvas->Brush.Color = ApplyColorModeBack(color, mode);
    canvas->Pen.Color = canvas->Brush.Color;
    canvas->FillRect(area);
    canvas->Brush.Style = bsClear;
  }
  if (TVLBackground* back = GetPrintBackground(); back && back->Image && back->Style != bsNoBitmap) {
    back->Print(canvas, area, area, sad, color);
    // The same in screen pixels, for the items printed through a bitmap
    // to show what lies under them.
    const Integer w = VLToScreenX(sad, GetWidth()), h = VLToScreenY(sad, GetHeight());
    if (w > 0 && h > 0) {
      FPageBack = std::make_unique<TBitmap>(w, h);
      FillBitmap(*FPageBack, ApplyColorModeBack(color == clNone ? clWhite : color, mode));
      const TBackgroundStyle style = back->Style;
      if (style == bsTiledAndScrolled) back->Style = bsTiled;
      back->Draw(FPageBack->Canvas(), TRect(0, 0, w, h), 0, 0, 0, 0, w, h, clNone, true);
      back->Style = style;
    }
  }
  PagePrepaint(canvas, pageNo, preview, correction);

  const Integer rightEdge = left + GetWidth() - ToDeviceX(sad, GetRightMargin());
  Integer part = firstPart;
  for (Integer i = first; i <= last && i < DrawItems.Count(); ++i) {
    TVLDrawLineInfo* d = DrawItems[i];
    // The source lost items since the pages were made: what is left of
    // the page cannot be drawn from them.
    if (d->ItemNo >= GetItemCount()) break;
    TCustomVLItemInfo* item = GetItem(d->ItemNo);
    // What an item sets on the canvas ends with it: text after a table or a
    // picture starts from the page's own state (a non-text item may change
    // the font too).
    if ((LinesAfter != kAllLinesAfter || LinesUpTo != kAllLinesUpTo) && item->StyleNo != vlsTable) {
      Integer top, bottom;
      LineSpan(i, top, bottom);
      if (bottom <= LinesAfter || bottom > LinesUpTo) continue;
    }
    const TCanvasToolsKeeper keep(canvas, item->StyleNo < 0);
    CurrentDrawItemNo = i;
    const TVLBiDiMode bidi = VLGetParaBiDiMode(s, item->ParaNo, GetBiDiMode());
    if (i == last && i != first && part < 0 && d->PartCount() > 0) part = 0;

    // Paragraph background and border, once per paragraph on the page.
    const bool paraStart = i == first || (DrawItems[i - 1]->ItemNo != d->ItemNo && item->IsParaStart());
    if (paraStart && item->ParaNo >= 0 && item->StyleNo != vlsBreak) {
      TParaInfo* para = s->ParaStyles->Items(item->ParaNo);
      if (para->Border.Style != vlbNone || para->Background.Color != clNone || s->OnDrawParaBack) {
        // The box spans the paragraph's lines as on screen: a list number
        // in a smaller font than its line starts lower than the line.
        Integer top = d->Top, bottom = d->Top;
        // A list's marker and text lie by the level's indents: the box
        // holds them, clear of its lines, as on screen.
        const bool list = item->StyleNo == vlsListMarker;
        const Integer clear = list ? std::max<Integer>(ToDeviceX(sad, 1), 1) : 0;
        Integer itemsLeft = d->Left, itemsRight = d->Left + d->Width;
        Integer j = i;
        do {
          const TVLDrawLineInfo* e = DrawItems[j];
          top = std::min(top, e->Top);
          bottom = std::max(bottom, e->Top + e->Height + e->ExtraSpaceBelow);
          itemsLeft = std::min(itemsLeft, e->Left);
          itemsRight = std::max(itemsRight, e->Left + e->Width);
          ++j;
        } while (j <= last && j < DrawItems.Count() &&
                 !(DrawItems[j - 1]->ItemNo != DrawItems[j]->ItemNo && GetItem(DrawItems[j]->ItemNo)->IsParaStart()));
        Integer paraLeft =
            left + ToDeviceX(sad, GetLeftMargin() + para->LeftIndent + std::min<Integer>(para->FirstIndent, 0));
        Integer paraRight = left + GetWidth() - ToDeviceX(sad, GetRightMargin() + para->RightIndent);
        if (list) {
          paraLeft = std::min(paraLeft, left + itemsLeft - clear);
          paraRight = std::max(paraRight, left + itemsRight + clear);
        }
        TRect r(paraLeft, top - topCoord, paraRight, bottom - topCoord);
        para->Background.PrepareDrawScaled(r, sad);
        s->DrawParaBack(canvas, item->ParaNo, r, mode, true);
        para->Border.DrawScaled(r, canvas, mode, sad);
        canvas->Brush.Style = bsClear;
      }
    }

    if (item->GetBoolValueEx(1, s))
      DrawHyperlink(GetSourceForPrinting(), d->ItemNo, Bounds(left + d->Left, d->Top - topCoord, d->Width, d->Height));

    if (item->StyleNo >= 0) {
      const Integer styleNo = GetItemActualStyle(item);
      s->ApplyStyleColor(canvas, styleNo, TVLTextDrawStates(), true, mode);
      s->ApplyStyle(canvas, styleNo, bidi);
      CanvasFontChanged();
      if (s->OnDrawTextBack)
        s->DrawTextBack(canvas, this, d->ItemNo, styleNo, left + d->Left, d->Top - topCoord, d->Width, d->Height,
                        TVLTextDrawStates());
      AnsiString text = TextCopy(ItemTextRef(d->ItemNo), d->TextOffset, d->Length, item->ItemOptions);
      const TWipeTextOnExit<char> wipe(text, secret);
      s->DrawStyleText(text, canvas, styleNo, d->JustifyExtra, left + d->Left, d->Top - topCoord, d->Width,
                       d->Height, TVLTextDrawStates(), true, preview && correction, mode, bidi, this, d->ItemNo,
                       d->TextOffset);
      canvas->Brush.Style = bsClear;
    } else {
      const Integer y = part > 0 || (part == 0 && i == first) ? -topCoord : d->Top - topCoord;
      // A list marker draws its own text or picture, as on the screen.
      if (item->StyleNo != vlsListMarker && item->GetBoolValueEx(0, s)) {
        Integer w = item->GetImageWidth(s), h = item->GetImageHeight(s);
        auto* multi = dynamic_cast<TVLMultiImagePrintInfo*>(d);
        if (multi && part >= 0 && part < static_cast<Integer>(multi->PartsList.size()))
          h = VLToScreenY(sad, multi->PartsList[static_cast<size_t>(part)]->Height);
        if (item->GetBoolValue(0)) w = MulDiv(rightEdge - left - d->Left, sad.ppixScreen, sad.ppixDevice);
        if (w > 0 && h > 0) {
          TBitmap bitmap(w, h);
          CurrentItemY = y;
          DrawPageBackground(VLToScreenX(sad, d->Left) + item->GetBorderWidth(),
                             VLToScreenY(sad, y - GetPrintableAreaTop()) + item->GetBorderHeight(), bitmap, sad, -1,
                             false);
          if (item->PrintToBitmap(&bitmap, preview, this, d, part, mode)) {
            const Integer bx = left + d->Left + ToDeviceX(sad, item->GetBorderWidth());
            const Integer by = y + ToDeviceY(sad, item->GetBorderHeight());
            Integer bw = ToDeviceX(sad, bitmap.GetWidth()), bh = ToDeviceY(sad, bitmap.GetHeight());
            // A picture the layout narrowed to its line (wider than the
            // paper) is drawn at that width, its height in proportion.
            if (const Integer full = ToDeviceX(sad, w + 2 * item->GetBorderWidth()); part < 0 && d->Width < full && full > 0) {
              bh = std::max<Integer>(1, MulDiv(bh, d->Width, full));
              bw = std::max<Integer>(1, MulDiv(bw, d->Width, full));
            }
            // A picture taller than a page that cannot be split has a page
            // of its own; shrink it to that page instead of losing its foot.
            const Integer room = GetPageContentBottom(pageNo) - by;
            if (part < 0 && bh > room && room > 0) {
              bw = std::max<Integer>(1, MulDiv(bw, room, bh));
              bh = room;
            }
            canvas->StretchDraw(Bounds(bx, by, bw, bh), &bitmap);
          }
        }
      } else {
        CurrentPart = part;
        item->Print(canvas, left + d->Left, y, item->GetBoolValue(0) ? rightEdge : 0, preview, correction, sad, this,
                    mode);
        CurrentPart = -1;
      }
      CanvasFontChanged();
    }
    if (part >= 0) {
      if (i == first) topCoord = GetPageTopCoord2(pageNo);
      part = -1;
    }
  }
  PagePostpaint(canvas, pageNo, preview);
}

void TCustomPrintableVLData::CurrentItemOffset(const TVLScreenAndDevice& sad, Integer& x, Integer& y) {
  if (CurrentDrawItemNo < 0 || CurrentDrawItemNo >= DrawItems.Count()) return;
  x += VLToScreenX(sad, DrawItems[CurrentDrawItemNo]->Left);
  y += VLToScreenY(sad, CurrentItemY - GetPrintableAreaTop());
}

TColor TCustomPrintableVLData::CurrentParaColor() {
  TVLStyle* s = GetStyle();
  TCustomVLItemInfo* item = CurrentDrawnItem();
  if (!s || !item || item->ParaNo < 0 || item->ParaNo >= s->ParaStyles->Count()) return clNone;
  return s->ParaStyles->Items(item->ParaNo)->Background.Color;
}

void TCustomPrintableVLData::FillBackground(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = color;
  canvas->Pen.Color = color;
  canvas->FillRect(r);
}

TCustomVLItemInfo* TCustomPrintableVLData::CurrentDrawnItem() {
  if (CurrentDrawItemNo < 0 || CurrentDrawItemNo >= DrawItems.Count()) return nullptr;
  const Integer itemNo = DrawItems[CurrentDrawItemNo]->ItemNo;
  return itemNo >= 0 && itemNo < GetItemCount() ? GetItem(itemNo) : nullptr;
}

void TCustomPrintableVLData::DrawItemBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad,
                                                Integer layer) {
  TCustomVLItemInfo* item = layer == 0 ? nullptr : CurrentDrawnItem();
  if (!item) return;
  const TVLDrawLineInfo* d = DrawItems[CurrentDrawItemNo];
  const TRect itemRect = Bounds(VLToScreenX(sad, d->Left) - x, VLToScreenY(sad, CurrentItemY - GetPrintableAreaTop()) - y,
                                VLToScreenX(sad, d->Width), VLToScreenY(sad, d->Height));
  item->DrawBackgroundForPrinting(bitmap.Canvas(), TRect(0, 0, bitmap.GetWidth(), bitmap.GetHeight()),
                                                itemRect, GetColorMode(), layer);
}

void TCustomPrintableVLData::DrawPageBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad,
                                                Integer layer, bool fromItem) {
  if (fromItem) CurrentItemOffset(sad, x, y);
  const TColor para = CurrentParaColor();
  if (para == clNone && FPageBack) {
    FillBitmap(bitmap, clWhite);
    bitmap.Canvas()->Draw(-x, -y, FPageBack.get());
  } else {
    TColor color = para;
    if (color == clNone) color = GetColor();
    if (color == clNone) color = clWhite;
    FillBitmap(bitmap, ApplyColorModeBack(color, GetColorMode()));
  }
  DrawItemBackground(x, y, bitmap, sad, layer);
}

void TVLRectPrintableData::DrawPageBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad,
                                              Integer layer, bool fromItem) {
  if (fromItem) CurrentItemOffset(sad, x, y);
  const TColor para = CurrentParaColor();
  if (para != clNone) {
    FillBitmap(bitmap, ApplyColorModeBack(para, GetColorMode()));
  } else if (Transparent && Parent) {
    const Integer page = DrawingPageNo > 0 ? DrawingPageNo : 1;
    const Integer parentPage = Parent->DrawingPageNo > 0 ? Parent->DrawingPageNo : page;
    Parent->DrawPageBackground(x + VLToScreenX(sad, GetPrintableAreaLeft(page) - Parent->GetPrintableAreaLeft(parentPage)),
                               y + VLToScreenY(sad, GetPrintableAreaTop() - Parent->GetPrintableAreaTop()), bitmap, sad,
                               -1, false);
  } else {
    TCustomPrintableVLData::DrawPageBackground(x, y, bitmap, sad, 0, false);
  }
  DrawItemBackground(x, y, bitmap, sad, layer);
}

void TVLMainPrintableData::DrawPage(Integer pageNo, TCanvas* canvas, bool preview, bool correction) {
  CheckPageNo(pageNo);
  // The clipping of the printable area ends with the page.
  struct TRestore {
    TCanvas* C;
    int Saved;
    ~TRestore() { C->RestoreDC(Saved); }
  } restore{canvas, canvas->SaveDC()};
  TCustomPrintableVLData::DrawPage(pageNo, canvas, preview, correction);
}

void TVLMainPrintableData::PagePrepaint(TCanvas* canvas, Integer pageNo, bool preview, bool correction) {
  if (Owner && Owner->OnPagePrepaint) {
    const TCanvasToolsKeeper keep(canvas, true);
    Owner->OnPagePrepaint(Owner, pageNo, canvas, preview, SheetRect(), PrintAreaRect(pageNo));
  }
  if (FHeader && FHeader->DrawItems.Count() > 0) FHeader->DrawPage(pageNo, canvas, preview, correction);
  if (FFooter && FFooter->DrawItems.Count() > 0) FFooter->DrawPage(pageNo, canvas, preview, correction);
  if (ClipMargins) {
    const TRect r = PrintAreaRect(pageNo);
    canvas->IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
  }
}

void TVLMainPrintableData::PagePostpaint(TCanvas* canvas, Integer pageNo, bool preview) {
  if (Owner && Owner->OnPagePostpaint) {
    const TCanvasToolsKeeper keep(canvas, true);
    Owner->OnPagePostpaint(Owner, pageNo, canvas, preview, SheetRect(), PrintAreaRect(pageNo));
  }
}
