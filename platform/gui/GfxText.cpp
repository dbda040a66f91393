// Formatted text in a rectangle and classic 3-D edges, drawn through the
// canvas (and so measured with the same contract as everything else).
#include "platform/base/CodePages.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/TextMeasure.h"

#include <QPainter>
#include <algorithm>

namespace {

struct TLine {
  WideString Text;
  Integer Prefix = -1;  // index of the underlined character in Text
  Integer Width = 0;
};

// Removes the "&" markers; returns the index of the last marked character.
WideString StripPrefixes(const WideString& text, Integer& prefix) {
  WideString out;
  prefix = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != u'&') prefix = static_cast<Integer>(out.size());
    } else if (text[i] == u'&') {
      continue;  // a trailing "&" shows nothing
    }
    out += text[i];
  }
  return out;
}

WideString ExpandTabs(const WideString& text) {
  WideString out;
  for (char16_t c : text) {
    if (c == u'\t') {
      out.append(8 - out.size() % 8, u' ');
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

Integer DrawText(TCanvas& canvas, const String& text, TRect& r, unsigned format) {
  return DrawTextW(canvas, Utf8ToWide(text), r, format);
}

Integer DrawTextW(TCanvas& canvas, const WideString& source, TRect& r, unsigned format) {
  const TFontData& fd = *canvas.FontData();
  const Integer extra = canvas.GetTextCharacterExtra();
  const Integer lineHeight = fd.Height;
  auto width = [&](const WideString& s) { return TextWidthOf(fd, s.data(), s.size(), extra); };

  Integer prefix = -1;
  WideString text = source;
  if (!(format & DT_NOPREFIX)) text = StripPrefixes(source, prefix);
  if (format & DT_EXPANDTABS) text = ExpandTabs(text);

  // Paragraphs: the text between line breaks (one with DT_SINGLELINE).
  std::vector<std::pair<size_t, size_t>> paragraphs;
  if (format & DT_SINGLELINE) {
    paragraphs.push_back({0, text.size()});
  } else {
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i == text.size() || text[i] == u'\n' || text[i] == u'\r') {
        paragraphs.push_back({start, i});
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
        start = i + 1;
      }
    }
  }

  std::vector<TLine> lines;
  const Integer maxWidth = r.Width();
  auto addLine = [&](size_t from, size_t to) {
    TLine line;
    for (size_t i = from; i < to; ++i) {
      if (text[i] == u'\r' || text[i] == u'\n') continue;
      if (static_cast<Integer>(i) == prefix) line.Prefix = static_cast<Integer>(line.Text.size());
      line.Text += text[i];
    }
    line.Width = width(line.Text);
    lines.push_back(std::move(line));
  };
  for (const auto& [from, to] : paragraphs) {
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
      addLine(from, to);
      continue;
    }
    size_t s = from;
    do {
      std::vector<Integer> extents;
      TextExtents(fd, text.data() + s, to - s, extra, extents);
      size_t fit = static_cast<size_t>(FitCount(extents, maxWidth));
      size_t end = s + fit;
      if (end < to) {
        // Break after the last space that fits; a longer word stays whole
        // unless edit-control wrapping breaks it.
        size_t space = end;
        while (space > s && text[space] != u' ') --space;
        if (text[space] == u' ' && space > s) {
          end = space;
        } else if (format & DT_EDITCONTROL) {
          end = std::max(end, s + 1);
        } else {
          end = s;
          while (end < to && text[end] != u' ') ++end;
        }
      }
      addLine(s, end);
      s = end;
      while (s < to && text[s] == u' ') ++s;
    } while (s < to);
  }

  if ((format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT)) {
    const WideString dots = u"...";
    for (TLine& line : lines) {
      if (line.Width <= maxWidth) continue;
      while (!line.Text.empty() && width(line.Text + dots) > maxWidth) line.Text.pop_back();
      line.Text += dots;
      line.Width = width(line.Text);
      if (line.Prefix >= static_cast<Integer>(line.Text.size()) - 3) line.Prefix = -1;
    }
  }

  Integer widest = 0;
  for (const TLine& line : lines) widest = std::max(widest, line.Width);
  const Integer height = lineHeight * static_cast<Integer>(lines.size());
  Integer top = r.Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top = r.Top + (r.Height() - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = r.Bottom - lineHeight;
    }
  }
  if (format & DT_CALCRECT) {
    const Integer w = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE) ? std::max(maxWidth, widest) : widest;
    r.Right = r.Left + w;
    r.Bottom = r.Top + height;
    return height;
  }

  const int savedAlign = canvas.SetTextAlign((format & DT_RTLREADING) ? TA_RTLREADING : 0);
  Integer y = top;
  for (const TLine& line : lines) {
    Integer x = r.Left;
    if (format & DT_CENTER) {
      x = r.Left + (r.Width() - line.Width) / 2;
    } else if (format & DT_RIGHT) {
      x = r.Right - line.Width;
    }
    canvas.ExtTextOut(x, y, (format & DT_NOCLIP) ? 0 : ETO_CLIPPED, &r, line.Text, nullptr);
    if (line.Prefix >= 0 && !(format & DT_HIDEPREFIX)) {
      std::vector<Integer> extents;
      TextExtents(fd, line.Text.data(), line.Text.size(), extra, extents);
      const Integer left = x + (line.Prefix > 0 ? extents[static_cast<size_t>(line.Prefix) - 1] : 0);
      const Integer right = x + extents[static_cast<size_t>(line.Prefix)];
      if (QPainter* p = canvas.Handle()) {
        p->save();
        if (!(format & DT_NOCLIP)) p->setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::IntersectClip);
        p->fillRect(QRect(left, y + fd.Ascent + fd.UnderlinePosition - fd.UnderlineThickness / 2, right - left,
                          fd.UnderlineThickness),
                    QColorOf(canvas.Font.GetColor()));
        p->restore();
      }
    }
    y += lineHeight;
  }
  canvas.SetTextAlign(savedAlign);
  return top - r.Top + height;
}

bool DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags) {
  QPainter* p = canvas.Handle();
  auto line = [&](const TRect& band, TColor color) {
    if (!p || IsRectEmpty(band)) return;
    p->fillRect(QRect(band.Left, band.Top, band.Width(), band.Height()), QColorOf(color));
  };
  // One ring of the edge: the top-left colour first, then the bottom-right
  // colour, which owns the corners it meets.
  auto ring = [&](TColor topLeft, TColor bottomRight) {
    if (IsRectEmpty(r)) return;
    if (flags & BF_TOP) line(TRect(r.Left, r.Top, r.Right, r.Top + 1), topLeft);
    if (flags & BF_LEFT) line(TRect(r.Left, r.Top, r.Left + 1, r.Bottom), topLeft);
    if (flags & BF_BOTTOM) line(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottomRight);
    if (flags & BF_RIGHT) line(TRect(r.Right - 1, r.Top, r.Right, r.Bottom), bottomRight);
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
  };
  const TRect original = r;
  if (p) p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (flags & (BF_MONO | BF_FLAT)) {
    const TColor c = (flags & BF_MONO) ? clWindowFrame : clBtnShadow;
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) ring(c, c);
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) ring((flags & BF_MONO) ? clWindow : clBtnFace,
                                                          (flags & BF_MONO) ? clWindow : clBtnFace);
  } else {
    if (edge & BDR_RAISEDOUTER) {
      ring(cl3DLight, cl3DDkShadow);
    } else if (edge & BDR_SUNKENOUTER) {
      ring(clBtnShadow, clBtnHighlight);
    }
    if (edge & BDR_RAISEDINNER) {
      ring(clBtnHighlight, clBtnShadow);
    } else if (edge & BDR_SUNKENINNER) {
      ring(cl3DDkShadow, cl3DLight);
    }
  }
  if (flags & BF_MIDDLE) line(r, clBtnFace);
  if (!(flags & BF_ADJUST)) r = original;
  return true;
}
