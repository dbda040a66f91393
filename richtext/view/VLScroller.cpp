#include "richtext/view/VLScroller.h"

#include "richtext/model/VLData.h"

#include <algorithm>
#include <cmath>

Integer ClampedControlTop(intptr_t top) {
  return static_cast<Integer>(std::clamp<intptr_t>(top, -10000, 10000));
}

void UpdateControlTop(TControl* control) { control->SetTop(ClampedControlTop(control->Tag)); }

TVLScroller::TVLScroller(TComponent* owner) : TCustomControl(owner) {
  TabStop = true;
  SetMessageHandler(WM_ERASEBKGND, [](TMessage& m) { m.Result = 1; });
  CreateWnd();
}

TVLScroller::~TVLScroller() { FDestroying = true; }

void TVLScroller::CreateWnd() {
  VSmallStep = GetDefSmallStep();
  ResetScrollPositions();
  InitScrollBars();
}

void TVLScroller::CreateParams(TCreateParams& params) {
  if (FBorderStyle == bsSingle) {
    if (Ctl3D)
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  if (FBiDiMode == vlbdRightToLeft) params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  params.Style |= WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;
  DisableNoScroll = false;
}

void TVLScroller::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
}

void TVLScroller::SetBiDiMode(TVLBiDiMode value) {
  if (value == FBiDiMode) return;
  FBiDiMode = value;
  RecreateWnd();
}

void TVLScroller::HideBar(TScrollBarKind kind) {
  TScrollInfo i = GetScrollInfo(kind);
  if (i.Min == 0 && i.Max == 1 && i.Page == 0 && i.Pos == 0 && !ScrollBarVisible(kind)) return;
  // A page larger than the range hides the bar.
  SetScrollInfo(kind, TScrollInfo{0, 1, 2, 0, 0});
}

void TVLScroller::UpdateScrollBars(Integer xSize, Integer ySize, bool updateH, bool allowDisableNoScroll) {
  if (FUpdatingBars) return;
  FUpdatingBars = true;
  try {
    if (updateH) {
      XSize = xSize;
      HPage = ClientWidth();
      HMax = xSize - 1;
      if (FHScrollVisible) {
        HPos = std::max(0, std::min(HPos, xSize - ClientWidth()));
        SetScrollInfo(sbHorizontal, TScrollInfo{0, HMax, HPage, HPos, 0});
      } else {
        HideBar(sbHorizontal);
      }
    }
    YSize = ySize;
    VPage = ClientHeight() / VSmallStep;
    VMax = ySize - 1;
    VPos = std::max(0, std::min(VPos, VMax - (VPage - 1)));
    if (FVScrollVisible)
      SetScrollInfo(sbVertical, TScrollInfo{0, VMax, VPage, VPos, 0},
                    allowDisableNoScroll && DisableNoScroll);
    else
      HideBar(sbVertical);
  } catch (...) {
    FUpdatingBars = false;
    throw;
  }
  FUpdatingBars = false;
}

void TVLScroller::SetVScrollVisible(bool value) {
  const bool switchedOn = value && !FVScrollVisible;
  FVScrollVisible = value;
  UpdateScrollBars(XSize, YSize, true, false);
  if (switchedOn && DisableNoScroll) {
    UpdateScrollBars(XSize, YSize, true, true);
    ShowScrollBar(sbVertical, true);
  }
}

void TVLScroller::SetHScrollVisible(bool value) {
  FHScrollVisible = value;
  UpdateScrollBars(XSize, YSize, true, true);
}

void TVLScroller::ScrollChildren(Integer dx, Integer dy) {
  if (dx == 0 && dy == 0) return;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->Tag += dy;
    c->SetBounds(c->GetLeft() + dx, ClampedControlTop(c->Tag), c->GetWidth(), c->GetHeight());
  }
}

void TVLScroller::VScrollTo(Integer y, bool redraw) {
  const Integer oldPos = VPos;
  VPos = y;
  if (FVScrollVisible) {
    SetScrollPos(sbVertical, VPos);
    VPos = GetScrollPos(sbVertical);
  } else {
    VPos = std::max(0, std::min(VPos, VMax - (VPage - 1)));
  }
  const Integer delta = oldPos - VPos;
  if (delta == 0) return;
  const Integer dy = delta * VSmallStep;
  if (!redraw) {
    ScrollChildren(0, dy);
  } else if (FullRedraw) {
    ScrollChildren(0, dy);
    Invalidate();
    Update();
  } else {
    ScrollWindow(0, dy);
    ScrollChildren(0, dy);
    Update();
  }
  VScrolled();
}

void TVLScroller::HScrollTo(Integer x) {
  const Integer oldPos = HPos;
  HPos = x;
  if (FHScrollVisible) {
    SetScrollPos(sbHorizontal, HPos);
    HPos = GetScrollPos(sbHorizontal);
  } else {
    HPos = std::max(0, std::min(HPos, HMax - (HPage - 1)));
  }
  const Integer delta = oldPos - HPos;
  if (delta == 0) return;
  if (FullRedraw) {
    ScrollChildren(delta, 0);
    Invalidate();
    Update();
  } else {
    ScrollWindow(delta, 0);
    ScrollChildren(delta, 0);
    Update();
  }
  HScrolled();
}

void TVLScroller::VScrolled() {
  if (OnVScrolled) OnVScrolled(this);
}

void TVLScroller::HScrolled() {
  if (OnHScrolled) OnHScrolled(this);
}

void TVLScroller::Scroll(TScrollBarKind kind, TScrollCode code, int& pos) {
  TCustomControl::Scroll(kind, code, pos);
  ScrollByCode(kind, code, pos);
}

void TVLScroller::ScrollByCode(TScrollBarKind kind, TScrollCode code, int& pos) {
  // Thumb positions travel as signed 16-bit values.
  const Integer thumb = static_cast<int16_t>(pos);
  if (kind == sbVertical) {
    Integer p;
    switch (code) {
      case scLineUp: p = VPos - LineStep; break;
      case scLineDown: p = VPos + LineStep; break;
      case scPageUp: p = VPos - ClientHeight() / VSmallStep; break;
      case scPageDown: p = VPos + ClientHeight() / VSmallStep; break;
      case scPosition: p = thumb; break;
      case scTrack:
        if (!Tracking) { pos = VPos; return; }
        p = thumb;
        break;
      case scTop: p = 0; break;
      case scBottom: p = YSize; break;
      default: pos = VPos; return;
    }
    VScrollTo(p, true);
    pos = VPos;
  } else {
    Integer p;
    switch (code) {
      case scLineUp: p = HPos - VSmallStep * LineStep; break;
      case scLineDown: p = HPos + VSmallStep * LineStep; break;
      case scPageUp: p = HPos - ClientWidth(); break;
      case scPageDown: p = HPos + ClientWidth(); break;
      case scPosition: p = thumb; break;
      case scTrack:
        if (!Tracking) { pos = HPos; return; }
        p = thumb;
        break;
      case scTop: p = 0; break;
      case scBottom: p = XSize; break;
      default: pos = HPos; return;
    }
    HScrollTo(p);
    pos = HPos;
  }
}

bool TVLScroller::DoKeyDown(Word& key, TShiftState shift) {
  if (TCustomControl::DoKeyDown(key, shift)) return true;
  if (!KeyboardScroll) return false;
  auto vs = [this](TScrollCode c) { int p = VPos; ScrollByCode(sbVertical, c, p); };
  auto hs = [this](TScrollCode c) { int p = HPos; ScrollByCode(sbHorizontal, c, p); };
  switch (key) {
    case VK_PRIOR: vs(scPageUp); return true;
    case VK_NEXT: vs(scPageDown); return true;
    case VK_END: vs(scBottom); return true;
    case VK_HOME: vs(scTop); return true;
    case VK_UP: vs(scLineUp); return true;
    case VK_DOWN: vs(scLineDown); return true;
    case VK_LEFT: hs(scLineUp); return true;
    case VK_RIGHT: hs(scLineDown); return true;
    default: return false;
  }
}

Integer TVLScroller::WheelDelta(Integer wheelStep, Integer systemLines) {
  // Nearest integer, halves to the even neighbour.
  return static_cast<Integer>(std::nearbyint(static_cast<double>(wheelStep) * systemLines / 3.0));
}

bool TVLScroller::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  unsigned lines = 3;
  if (!SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines)) lines = 3;
  const Integer delta = WheelDelta(WheelStep, static_cast<Integer>(lines));
  if (wheelDelta < 0)
    VScrollTo(VPos + delta, true);
  else
    VScrollTo(VPos - delta, true);
  return WheelStep != 0;
}

void TVLScroller::DoEnter() {
  TCustomControl::DoEnter();
  if (FDestroying) return;
  if (TControl* editor = GetInplaceEditor())
    if (auto* w = dynamic_cast<TWinControl*>(editor)) w->SetFocus();
}

TControl* TVLScroller::AssignActiveSubData(TCustomVLData* vlData, TCustomVLItemInfo* item) {
  if (vlData != ActiveSubData) {
    DestroyInplaceEditor();
    UnassignActiveSubData(ActiveSubData);
    ActiveSubData = vlData;
    ActiveItem = item;
  }
  TControl* editor = GetInplaceEditor();
  if (editor) editor->Tag = editor->GetTop();
  return editor;
}

void TVLScroller::DestroyInplaceEditor() {
  if (!FInplaceEditor || !FCloseInplaceEditor) return;
  // The closer unregisters the editor; a copy outlives that.
  const std::function<void()> close = FCloseInplaceEditor;
  close();
}

std::function<void()> TVLScroller::SuspendInplaceEditor() {
  if (!FInplaceEditor || !FSuspendInplaceEditor) return {};
  const std::function<std::function<void()>()> suspend = FSuspendInplaceEditor;
  return suspend();
}

void TVLScroller::SetInplaceEditor(TControl* editor, std::function<void()> close,
                                   std::function<std::function<void()>()> suspend) {
  // The item that opened the editor is the one that frees it, and it sets
  // this back to null first (also when the document or the control goes).
  FInplaceEditor = editor;
  FCloseInplaceEditor = editor ? std::move(close) : std::function<void()>();
  FSuspendInplaceEditor = editor ? std::move(suspend) : std::function<std::function<void()>()>();
}

void TVLScroller::SetActiveSubDataSilent(TCustomVLData* vlData) {
  ActiveSubData = vlData;
  if (!vlData) ActiveItem = nullptr;
}

void TVLScroller::UnassignActiveSubData(TCustomVLData* vlData) {
  if (!vlData || !ActiveSubData) return;
  if (vlData != ActiveSubData && vlData != ActiveSubData->GetVLData()) return;
  ActiveSubData = nullptr;
  ActiveItem = nullptr;
}

TCustomVLData* TVLScroller::GetActiveSubVLData() {
  return ActiveSubData ? ActiveSubData->GetVLData() : nullptr;
}

bool TVLScroller::FocusedEx(TControl* control) {
  while (control) {
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->Focused()) return true;
    auto* s = dynamic_cast<TVLScroller*>(control);
    control = s ? s->GetInplaceEditor() : nullptr;
  }
  return false;
}
