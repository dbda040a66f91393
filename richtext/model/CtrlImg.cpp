#include "richtext/model/CtrlImg.h"

#include "platform/gui/ControlImage.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/ThemeDraw.h"

namespace {

TColor OwnOr(TColor color, TColor fallback) { return color == clDefault || color == clNone ? fallback : color; }

void UseFont(TCanvas& canvas, const TControl& control) {
  canvas.Font.Assign(control.Font);
  canvas.Brush.Style = bsClear;
}

}  // namespace

std::unique_ptr<TBitmap> DrawControl(TControl* control) {
  if (!control) return nullptr;
  auto bitmap = std::make_unique<TBitmap>(std::max(control->GetWidth(), 1), std::max(control->GetHeight(), 1));
  DrawControlTo(control, *bitmap->Canvas(), 0, 0);
  return bitmap;
}

void DrawControlTo(TControl* control, TCanvas& canvas, Integer x, Integer y) {
  if (auto* button = dynamic_cast<TButton*>(control))
    DrawButtonImage(button, canvas, x, y);
  else if (auto* edit = dynamic_cast<TEdit*>(control))
    DrawEditImage(edit, canvas, x, y);
  else if (auto* memo = dynamic_cast<TMemo*>(control))
    DrawMemoImage(memo, canvas, x, y);
  else if (auto* panel = dynamic_cast<TPanel*>(control))
    DrawPanelImage(panel, canvas, x, y);
  else if (dynamic_cast<TWinControl*>(control))
    PaintControlTo(control, canvas, x, y, true);
}

void DrawButtonImage(TButton* button, TCanvas& canvas, Integer x, Integer y) {
  TRect r = Bounds(x, y, button->GetWidth(), button->GetHeight());
  DrawPushButtonFrame(canvas, r, button->GetEnabled());
  UseFont(canvas, *button);
  DrawText(canvas, button->GetText(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawEditFrame(TCanvas& canvas, TRect& rect, TColor color, bool hasBorder, bool ctl3D) {
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = color;
  canvas.FillRect(rect);
  if (hasBorder) {
    if (ctl3D) {
      DrawEdge(canvas, rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else {
      canvas.Pen.Color = clWindowFrame;
      canvas.Pen.Width = 1;
      canvas.Pen.Style = psSolid;
      canvas.Brush.Style = bsClear;
      canvas.Rectangle(rect);
      InflateRect(rect, -1, -1);
    }
  }
  InflateRect(rect, -1, -1);
}

void DrawEditImage(TEdit* edit, TCanvas& canvas, Integer x, Integer y) {
  TRect r = Bounds(x, y, edit->GetWidth(), edit->GetHeight());
  DrawEditFrame(canvas, r, OwnOr(edit->GetColor(), clWindow), true, true);
  UseFont(canvas, *edit);
  DrawText(canvas, edit->GetText(), r, DT_SINGLELINE | DT_EDITCONTROL | DT_NOPREFIX);
}

void DrawMemoImage(TMemo* memo, TCanvas& canvas, Integer x, Integer y) {
  TRect r = Bounds(x, y, memo->GetWidth(), memo->GetHeight());
  DrawEditFrame(canvas, r, OwnOr(memo->GetColor(), clWindow), true, true);
  UseFont(canvas, *memo);
  unsigned format = DT_NOPREFIX | DT_EDITCONTROL;
  if (memo->GetAlignment() == taRightJustify)
    format |= DT_RIGHT;
  else if (memo->GetAlignment() == taCenter)
    format |= DT_CENTER;
  // Lines break where the text has line breaks only.
  DrawText(canvas, memo->GetText(), r, format);
}

void DrawPanelImage(TPanel* panel, TCanvas& canvas, Integer x, Integer y) {
  PaintControlTo(panel, canvas, x, y, false);
  for (int i = 0; i < panel->ControlCount(); ++i) {
    TControl* child = panel->Controls(i);
    DrawControlTo(child, canvas, x + child->GetLeft(), y + child->GetTop());
  }
}
