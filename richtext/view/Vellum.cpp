#include "richtext/view/Vellum.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Menus.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLCopy.h"
#include "richtext/view/VLMessages.h"
#include "richtext/view/VLSearch.h"

#include <algorithm>

TCustomVellum::TCustomVellum(TComponent* owner) : TVLScroller(owner) {
  FData = std::make_unique<TVellumVLData>(this);
  Init();
}

TCustomVellum::TCustomVellum(TComponent* owner,
                             const std::function<std::unique_ptr<TVellumVLData>(TCustomVellum*)>& makeData)
    : TVLScroller(owner) {
  FData = makeData(this);
  Init();
}

void TCustomVellum::Init() {
  DocProperties = std::make_unique<TStringList>();
  FBackground = std::make_unique<TVLBackground>(true);
  FBackground->Image->OnChange = [this](TObject*) { BackgroundChanged(); };
  FAutoScrollTimer = std::make_unique<TTimer>(nullptr);
  FAutoScrollTimer->SetEnabled(false);
  FAutoScrollTimer->OnTimer = [this](TObject*) { AutoScrollTick(); };
  SetColor(clNone);
  SetBounds(GetLeft(), GetTop(), 100, 40);
  SetBorderStyle(bsSingle);
  // Tab reaches the control, which moves among the document's hyperlinks.
  WantTabs = TabNavigation != vltnNone;
  CreateWnd();
}

TCustomVellum::~TCustomVellum() {
  FDestroying = true;
  if (FStyle) FStyle->RemoveFreeNotification(this);
  StopAutoScrollTimer();
  // The document goes whatever clearing it asks for (memory may be
  // exhausted): no destructor lets an exception out.
  try {
    Clear();
  } catch (...) {
  }
  FData.reset();
}

void TCustomVellum::SetStyle(TVLStyle* value) {
  if (FStyle) FStyle->RemoveFreeNotification(this);
  FStyle = value;
  if (FStyle) FStyle->FreeNotification(this);
  if (Options.Contains(vloFormatInvalidate)) Invalidate();
}

void TCustomVellum::SetVSmallStep(Integer value) {
  // Keeps the vertical range inside a 16-bit thumb position.
  if (value <= 0 || (FData && FData->DocumentHeight / value >= 32001)) return;
  TVLScroller::SetVSmallStep(value);
}

void TCustomVellum::SetBiDiMode(TVLBiDiMode value) {
  if (value == GetBiDiMode()) return;
  TVLScroller::SetBiDiMode(value);
  Format();
}

void TCustomVellum::Notification(TComponent* component, TOperation operation) {
  TVLScroller::Notification(component, operation);
  if (operation == opRemove && component == FStyle) {
    FStyle = nullptr;
    FData->ClearDrawLines();
  }
}

TBitmap* TCustomVellum::GetBackgroundBitmap() const { return static_cast<TBitmap*>(FBackground->Image.get()); }

void TCustomVellum::SetBackgroundBitmap(const TBitmap* value) {
  TBitmap* bitmap = GetBackgroundBitmap();
  if (value)
    bitmap->Assign(value);
  else
    bitmap->SetSize(0, 0);
  BackgroundChanged();
}

TBackgroundStyle TCustomVellum::GetBackgroundStyle() const { return FBackground->Style; }

void TCustomVellum::SetBackgroundStyle(TBackgroundStyle value) {
  FBackground->Style = value;
  BackgroundChanged();
}

void TCustomVellum::BackgroundChanged() {
  if (!FData || FData->UpdatingBackground) return;
  FullRedraw = FBackground->ScrollRequiresFullRedraw();
  FBackground->UpdatePaletted(DoInPaletteMode);
  if (Options.Contains(vloFormatInvalidate)) Invalidate();
}

void TCustomVellum::UpdatePaletteInfo() {
  FData->UpdateItemsPaletteInfo();
  FBackground->UpdatePaletted(DoInPaletteMode);
  Invalidate();
}

void TCustomVellum::SetDoInPaletteMode(TVLPaletteAction value) {
  if (value == DoInPaletteMode) return;
  DoInPaletteMode = value;
  UpdatePaletteInfo();
}

TColor TCustomVellum::GetEffectiveColor() const {
  if (GetColor() != clNone) return GetColor();
  if (FStyle) return FStyle->Color;
  return clWindow;
}

TVLRTFReadHook* TCustomVellum::GetRTFReadProperties() {
  if (!FRTFReadProperties) FRTFReadProperties = VLMakeRTFReadHook();
  return FRTFReadProperties ? FRTFReadProperties.get() : VLGetRTFReadHook();
}

// ---- content ----------------------------------------------------------------------------

void TCustomVellum::Format() {
  if (VSmallStep == 0 || !FStyle) return;
  FData->Format(false, true, false, 0, FData->GetCanvas(), false, true);
  if (Options.Contains(vloFormatInvalidate)) Invalidate();
}

void TCustomVellum::Clear() {
  ClearDrawLines();
  FData->Clear();
  FLoadFailed = false;
}

void TCustomVellum::ClearDrawLines() {
  StopAutoScrollTimer();
  FData->ClearDrawLines();
}

void TCustomVellum::Deselect() { FData->Deselect(nullptr, true); }

void TCustomVellum::SelectAll() {
  // The whole document is selected, cells included: an open cell editor
  // gives its cell its items back.
  DestroyInplaceEditor();
  FData->SelectAll();
  // An editor's caret goes to the selection's end, as for any selection.
  FData->SelectionChanged();
  Invalidate();
}

bool TCustomVellum::SelectionExists() { return FData->SelectionExists(true, true); }

void TCustomVellum::GetSelectionBounds(Integer& startItemNo, Integer& startItemOffs, Integer& endItemNo,
                                       Integer& endItemOffs, bool normalize) {
  FData->GetSelectionBounds(startItemNo, startItemOffs, endItemNo, endItemOffs, normalize);
}

void TCustomVellum::SetSelectionBounds(Integer startItemNo, Integer startItemOffs, Integer endItemNo,
                                       Integer endItemOffs) {
  FData->SetSelectionBounds(startItemNo, startItemOffs, endItemNo, endItemOffs);
  Invalidate();
}

TRect TCustomVellum::GetSelectionRect() {
  // While a cell is edited, its editor holds the selection.
  if (auto* inner = dynamic_cast<TCustomVellum*>(GetInplaceEditor())) return inner->GetSelectionRect();
  TRect r = FData->GetSelectionRect();
  const TPoint a = ClientToScreen(r.TopLeft()), b = ClientToScreen(r.BottomRight());
  return TRect(a.X, a.Y, b.X, b.Y);
}

TGraphic* TCustomVellum::GetSelectedImage() { return VLGetSelectedImage(*FData); }
String TCustomVellum::GetSelText() { return WideToUtf8(VLGetSelText(*FData)); }
WideString TCustomVellum::GetSelTextW() { return VLGetSelText(*FData); }

void TCustomVellum::AddTextItem(const String& text, Integer styleNo, Integer paraNo) {
  // Text arrives as UTF-8; the item keeps it in its style's encoding.
  TVLStyle* style = FStyle;
  const WideString w = Utf8ToWide(text);
  if (style && style->TextStyles->Items(styleNo)->Unicode)
    FData->AddUnicodeTextItemTag(WideStringToRawUnicode(w), styleNo, paraNo, TVLTag());
  else
    FData->AddTextItem(RawUnicodeToAnsi(WideStringToRawUnicode(w), FData->GetStyleCodePage(styleNo)), styleNo,
                       paraNo);
}

void TCustomVellum::AddItem(const AnsiString& text, TCustomVLItemInfo* item) { FData->AddItem(text, item); }
Integer TCustomVellum::ItemCount() const { return FData->GetItemCount(); }

String TCustomVellum::GetItemTextUtf8(Integer itemNo) const {
  TCustomVLItemInfo* item = FData->GetItem(itemNo);
  if (item->StyleNo < 0) return String();
  const AnsiString raw = FData->GetItemTextA(itemNo);
  if (item->IsUnicode()) return WideToUtf8(RawUnicodeToWideString(raw));
  return WideToUtf8(RawUnicodeToWideString(AnsiToRawUnicode(raw, FData->GetStyleCodePage(FData->GetItemActualStyle(item)))));
}
TCustomVLItemInfo* TCustomVellum::GetItem(Integer itemNo) const { return FData->GetItem(itemNo); }

bool TCustomVellum::GetItemCoords(Integer itemNo, Integer& left, Integer& top) {
  const Integer n = FData->GetItem(itemNo)->DrawItemNo;
  if (n < 0 || n >= FData->DrawItems.Count()) return false;
  left = FData->DrawItems[n]->Left;
  top = FData->DrawItems[n]->Top;
  return true;
}

Integer TCustomVellum::GetItemStartOffset(Integer itemNo) const { return FData->GetItemStartOffset(itemNo); }
Integer TCustomVellum::GetItemEndOffset(Integer itemNo) const { return FData->GetItemEndOffset(itemNo); }
Integer TCustomVellum::GetDocumentHeight() const { return FData->DocumentHeight; }
Integer TCustomVellum::GetJumpPointItemNo(Integer jumpId) { return FData->GetJumpPointItemNo(jumpId); }

bool TCustomVellum::ClearSoftPageBreaks() {
  const bool had = FData->SoftPageBreaks != nullptr;
  FData->SoftPageBreaks.reset();
  if (had) Invalidate();
  return had;
}

bool TCustomVellum::SearchText(const String& text, bool down, bool matchCase, bool wholeWord) {
  return VLSearchText(*FData, down, matchCase, Utf8ToWide(text), wholeWord);
}

// ---- files ------------------------------------------------------------------------------

void TCustomVellum::ApplyLayout(const TVLLayoutInfo& layout) {
  FLoadedLayout = layout;
  LeftMargin = layout.LeftMargin;
  RightMargin = layout.RightMargin;
  TopMargin = layout.TopMargin;
  BottomMargin = layout.BottomMargin;
  MinTextWidth = layout.MinTextWidth;
  MaxTextWidth = layout.MaxTextWidth;
  SetBiDiMode(layout.BiDiMode);
}

TVLLayoutInfo TCustomVellum::CreateLayoutInfo() const {
  TVLLayoutInfo layout;
  layout.LeftMargin = LeftMargin;
  layout.RightMargin = RightMargin;
  layout.TopMargin = TopMargin;
  layout.BottomMargin = BottomMargin;
  layout.MinTextWidth = MinTextWidth;
  layout.MaxTextWidth = MaxTextWidth;
  layout.BiDiMode = GetBiDiMode();
  if (FLoadedLayout.Loaded) {
    // Lengths that reading had to bound go back as they were stored.
    Integer* const lengths[6] = {&layout.LeftMargin,   &layout.RightMargin,  &layout.TopMargin,
                                 &layout.BottomMargin, &layout.MinTextWidth, &layout.MaxTextWidth};
    const Integer loaded[6] = {FLoadedLayout.LeftMargin,   FLoadedLayout.RightMargin,  FLoadedLayout.TopMargin,
                               FLoadedLayout.BottomMargin, FLoadedLayout.MinTextWidth, FLoadedLayout.MaxTextWidth};
    for (size_t k = 0; k < 6; ++k)
      if (*lengths[k] == loaded[k]) *lengths[k] = FLoadedLayout.StoredLengths[k];
  }
  return layout;
}

bool TCustomVellum::LoadVLFFromStream(TStream& stream) {
  TVLLayoutInfo layout;
  TColor color = GetColor();
  bool ok = false;
  try {
    // The reader fills the bitmap piecemeal: one notice when it is done.
    FData->UpdatingBackground = true;
    ok = FData->LoadVLFFromStream(stream, color, GetBackgroundBitmap(), &FBackground->Style, &layout);
  } catch (...) {
    ok = false;
  }
  FData->UpdatingBackground = false;
  BackgroundChanged();
  if (layout.Loaded) ApplyLayout(layout);
  else FLoadedLayout = TVLLayoutInfo();
  SetColor(color);
  // A partial document must never be saved over the stored one.
  FLoadFailed = !ok;
  return ok;
}

bool TCustomVellum::LoadVLF(const String& fileName) {
  try {
    TFileStream stream(fileName, fmOpenRead);
    return LoadVLFFromStream(stream);
  } catch (const Exception&) {
    FLoadFailed = true;
    return false;
  }
}

bool TCustomVellum::SaveVLFToStream(TStream& stream, bool selectionOnly) {
  if (FLoadFailed && !selectionOnly) return false;
  const TVLInplaceEditorPause pause(*this, !selectionOnly);
  // A cell's text is still in its busy editor: the document is not whole.
  if (pause.Refused()) return false;
  const TVLLayoutInfo layout = CreateLayoutInfo();
  return FData->SaveVLFToStream(stream, selectionOnly, GetColor(), GetBackgroundBitmap(), FBackground->Style,
                                &layout);
}

bool TCustomVellum::SaveVLF(const String& fileName, bool selectionOnly) {
  if (FLoadFailed && !selectionOnly) return false;
  const TVLInplaceEditorPause pause(*this, !selectionOnly);
  if (pause.Refused()) return false;
  const TVLLayoutInfo layout = CreateLayoutInfo();
  return FData->SaveVLF(fileName, selectionOnly, GetColor(), GetBackgroundBitmap(), FBackground->Style, &layout);
}

bool TCustomVellum::LoadRTFFromStream(TStream& stream) {
  TVLRTFReadHook* hook = GetRTFReadProperties();
  return hook && hook->ReadFromStream(stream, FData.get()) == 0;
}

bool TCustomVellum::LoadRTF(const String& fileName) {
  TVLRTFReadHook* hook = GetRTFReadProperties();
  return hook && hook->ReadFromFile(fileName, FData.get()) == 0;
}

bool TCustomVellum::SaveRTFToStream(TStream& stream, bool selectionOnly) {
  if (FLoadFailed && !selectionOnly) return false;
  const TVLInplaceEditorPause pause(*this, !selectionOnly);
  if (pause.Refused()) return false;
  return FData->SaveRTFToStream(stream, selectionOnly, 0, GetEffectiveColor(), GetBackgroundBitmap(), nullptr);
}

bool TCustomVellum::SaveRTF(const String& fileName, bool selectionOnly) {
  if (FLoadFailed && !selectionOnly) return false;
  const TVLInplaceEditorPause pause(*this, !selectionOnly);
  if (pause.Refused()) return false;
  return FData->SaveRTF(fileName, selectionOnly, GetEffectiveColor(), GetBackgroundBitmap());
}

bool TCustomVellum::SaveHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                                 TVLSaveOptions options) {
  if (FLoadFailed) return false;
  const TVLInplaceEditorPause pause(*this);
  if (pause.Refused()) return false;
  Integer counter = 0;
  const TVLBackgroundImage background{FBackground->Style, GetBackgroundBitmap()};
  return FData->SaveHTMLFile(fileName, title, imagesPrefix, options, GetEffectiveColor(), counter, LeftMargin,
                             TopMargin, RightMargin, BottomMargin, &background);
}

bool TCustomVellum::SaveCSSHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                                    TVLSaveOptions options) {
  if (FLoadFailed) return false;
  const TVLInplaceEditorPause pause(*this);
  if (pause.Refused()) return false;
  Integer counter = 0;
  TColor fileColor = clNone;
  const TVLBackgroundImage background{FBackground->Style, GetBackgroundBitmap()};
  return FData->SaveCSSHTMLFile(fileName, title, imagesPrefix, String(), String(), String(), options,
                                GetEffectiveColor(), fileColor, counter, LeftMargin, TopMargin, RightMargin,
                                BottomMargin, &background);
}

bool TCustomVellum::LoadText(const String& fileName, Integer styleNo, Integer paraNo, bool asSingleParagraph) {
  return FData->LoadText(fileName, styleNo, paraNo, asSingleParagraph);
}

bool TCustomVellum::LoadTextUnicode(const String& fileName, Integer styleNo, Integer paraNo,
                                    bool asSingleParagraph) {
  return FData->LoadTextUnicode(fileName, styleNo, paraNo, asSingleParagraph);
}

bool TCustomVellum::SaveText(const String& fileName, Integer lineWidth) {
  if (FLoadFailed) return false;
  const TVLInplaceEditorPause pause(*this);
  if (pause.Refused()) return false;
  return FData->SaveText(fileName, lineWidth, false);
}

bool TCustomVellum::SaveTextUnicode(const String& fileName, Integer lineWidth) {
  if (FLoadFailed) return false;
  const TVLInplaceEditorPause pause(*this);
  if (pause.Refused()) return false;
  return FData->SaveText(fileName, lineWidth, true);
}

bool TCustomVellum::SaveTextToStream(TStream& stream, bool selectionOnly, bool unicode) {
  if (FLoadFailed && !selectionOnly) return false;
  const TVLInplaceEditorPause pause(*this, !selectionOnly);
  if (pause.Refused()) return false;
  return FData->SaveTextToStream(String(), stream, 80, selectionOnly, false, unicode, false);
}

bool TCustomVellum::Copy() { return VLCopy(*FData, GetEffectiveColor()); }

void TCustomVellum::AssignEvents(const TCustomVellum& source) {
  OnJump = source.OnJump;
  OnVLMouseMove = source.OnVLMouseMove;
  OnSelect = source.OnSelect;
  OnVLDblClick = source.OnVLDblClick;
  OnVLRightClick = source.OnVLRightClick;
  OnCopy = source.OnCopy;
  OnVLMouseDown = source.OnVLMouseDown;
  OnVLMouseUp = source.OnVLMouseUp;
  OnClick = source.OnClick;
  OnDblClick = source.OnDblClick;
  OnKeyDown = source.OnKeyDown;
  OnKeyUp = source.OnKeyUp;
  OnKeyPress = source.OnKeyPress;
  OnVLFPictureNeeded = source.OnVLFPictureNeeded;
  OnVLFImageListNeeded = source.OnVLFImageListNeeded;
  OnVLFControlNeeded = source.OnVLFControlNeeded;
  OnControlAction = source.OnControlAction;
  OnItemAction = source.OnItemAction;
  OnItemHint = source.OnItemHint;
  OnURLNeeded = source.OnURLNeeded;
  ExportEvents.OnSaveComponentToFile = source.ExportEvents.OnSaveComponentToFile;
  ExportEvents.OnSaveItemToFile = source.ExportEvents.OnSaveItemToFile;
  ExportEvents.OnHTMLSaveImage = source.ExportEvents.OnHTMLSaveImage;
  ExportEvents.OnSaveImage2 = source.ExportEvents.OnSaveImage2;
}

// ---- window ----------------------------------------------------------------------------

void TCustomVellum::ResetScrollPositions() {
  if (!FData || FData->GetItemCount() == 0) TVLScroller::ResetScrollPositions();
}

void TCustomVellum::InitScrollBars() {
  if (FData && FData->GetItemCount() > 0 && FStyle)
    FData->Format(true, false, false, 0, FData->GetCanvas(), false, true);
  else
    TVLScroller::InitScrollBars();
}

void TCustomVellum::Resize() {
  TVLScroller::Resize();
  if (FData && FStyle && VSmallStep > 0 && FData->GetItemCount() > 0)
    FData->Format(true, false, false, 0, FData->GetCanvas(), false, true);
}

void TCustomVellum::Paint() {
  TCanvas* canvas = Canvas();
  if (!canvas) return;
  const TRect clip = canvas->ClipRect();
  if (!FStyle) {
    canvas->Brush.Style = bsSolid;
    canvas->Brush.Color = GetEffectiveColor();
    canvas->FillRect(clip);
    canvas->Font.SetName("DejaVu Sans");
    canvas->Font.SetSize(8);
    canvas->Font.SetColor(clWindowText);
    canvas->Brush.Style = bsClear;
    canvas->TextOut(4, 4, "Style is not defined");
    canvas->TextOut(4, 20, "Create a TVLStyle object and assign it to " + GetName() + ".Style");
    return;
  }
  FData->PaintBuffered(canvas, clip);
  if (OnPaint) OnPaint(this, canvas, false);
}

void TCustomVellum::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_COPY: Copy(); return;
    case CM_MOUSELEAVE:
      if (Flags & vllfCollectJumps) FData->ResetHoverAndRepaint();
      return;
    case WM_VLEVENT: VLDispatchEvent(*this, message); return;
    case WM_VLDRAGDROP: StartDragging(); return;
    default: TVLScroller::WndProc(message);
  }
}

void TCustomVellum::StartDragging() {
  FDragArmed = false;
  FData->SetState(FData->GetState() & ~vlstDragPending);
  StopAutoScrollTimer();
  TDragSource source;
  TVLTransferTarget target;
  target.SetData = [&](Word format, const AnsiString& bytes) { source.SetData(format, bytes); };
  target.SetLazyData = [&](Word format, std::function<AnsiString()> render) {
    source.SetLazyData(format, std::move(render));
  };
  target.SetPicture = [&](const TGraphic& graphic) { source.SetPicture(graphic); };
  if (!VLPutSelection(*FData, GetEffectiveColor(), target)) return;
  // The drag takes the rest of the press: the views this one is open in (a
  // cell's editor in the editors that hold its table) leave the mouse to it.
  for (TWinControl* p = GetParent(); p; p = p->GetParent())
    if (auto* outer = dynamic_cast<TCustomVellum*>(p)) outer->FData->CaptureMouseItem = nullptr;
  FDragSource = &source;
  int effect = DROPEFFECT_NONE;
  try {
    effect = source.Execute(this, DragEffects());
  } catch (...) {
    FDragSource = nullptr;
    throw;
  }
  FDragSource = nullptr;
  DragFinished(effect);
}

void TCustomVellum::ClickInsteadOfDrag(int x, int y, bool releasing) {
  // The press on the selection was a click: the selection collapses where
  // the pointer is.
  FDragArmed = false;
  FData->SetState(FData->GetState() & ~vlstDragPending);
  TCustomVLFormattedData* data;
  Integer itemNo, offs;
  bool found;
  VLGetItemAt(*FData, x + FData->GetHOffset(), y + FData->GetVOffset(), data, itemNo, offs, false, found);
  if (itemNo < 0) return;
  if (auto* target = dynamic_cast<TVLControlData*>(data)) {
    if (releasing) {
      // The view stays under the pointer until the release is handled:
      // moved now, the release would take what scrolled there.
      const Integer left = FData->GetHOffset(), top = FData->GetVOffset();
      target->CollapseSelectionForClick(itemNo, offs);
      if (FData->GetHOffset() != left) FData->HScrollTo(left);
      if (FData->GetVOffset() != top) FData->VScrollTo(top);
    } else {
      // The release went elsewhere: no press is left for a moving view to
      // spoil.
      target->SetSelectionBounds(itemNo, offs, itemNo, offs);
    }
    target->Invalidate();
  }
}

void TCustomVellum::DoEnter() {
  TVLScroller::DoEnter();
  if (FDestroying) return;
  if (FStyle && FStyle->SelColor != FStyle->InactiveSelColor) Invalidate();
}

void TCustomVellum::DoExit() {
  TVLScroller::DoExit();
  if (FStyle && FStyle->SelColor != FStyle->InactiveSelColor) Invalidate();
}

void TCustomVellum::DoContextPopup(TPoint mousePos, bool& handled) {
  TVLScroller::DoContextPopup(mousePos, handled);
  // A right click on the document raises the menu from MouseUp.
  if (!handled && mousePos.X != -1 && !FPopupFromMouseUp) handled = true;
}

void TCustomVellum::VScrolled() {
  TVLScroller::VScrolled();
  GenerateMouseMove();
  FData->CheckCheckpointsVisibility();
  RefreshNested(false);
}

void TCustomVellum::HScrolled() {
  TVLScroller::HScrolled();
  GenerateMouseMove();
  RefreshNested(false);
}

void TCustomVellum::RefreshNested(bool refreshSelf) {
  if (refreshSelf) Repaint();
  if (FullRedraw)
    if (auto* nested = dynamic_cast<TCustomVellum*>(GetInplaceEditor())) nested->RefreshNested(true);
}

// ---- mouse and keys --------------------------------------------------------------------

void TCustomVellum::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbMiddle) {
    MiddleClick(x, y);
    return;
  }
  if (!GetInplaceEditor()) {
    FData->SetState(FData->GetState() | vlstFocusOrigin);
    if (!shift.Contains(ssDouble) && CanFocus()) SetFocus();
  }
  TVLScroller::MouseDown(button, shift, x, y);
  FDragArmed = false;
  FPressPoint = TPoint(x, y);
  FData->MouseDown(button, shift, x, y);
  if (button == mbLeft) StartAutoScrollTimer(false);
}

void TCustomVellum::MouseMove(TShiftState shift, int x, int y) {
  ++FMouseMoveDepth;
  struct TLeave {
    int& Depth;
    ~TLeave() { --Depth; }
  } leave{FMouseMoveDepth};
  auto step = [](int v, int size) { return v < -20 ? -10 : v < 0 ? -1 : v > size + 20 ? 10 : v > size ? 1 : 0; };
  AutoScrollDY = step(y, ClientHeight());
  AutoScrollDX = step(x, ClientWidth());
  TVLScroller::MouseMove(shift, x, y);
  if (FDragArmed) {
    if (!shift.Contains(ssLeft))
      ClickInsteadOfDrag(x, y, false);
    else if (DragDetect(FPressPoint, TPoint(x, y)))
      StartDragging();
    return;
  }
  FData->MouseMove(shift, x, y);
}

void TCustomVellum::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TVLScroller::MouseUp(button, shift, x, y);
  if (button == mbLeft) StopAutoScrollTimer();
  if (FDragArmed && button == mbLeft) ClickInsteadOfDrag(x, y, true);
  FData->MouseUp(button, shift, x, y);
  if (button == mbLeft) OfferPrimarySelection();
  if (button == mbRight) {
    bool handled = false;
    FPopupFromMouseUp = true;
    DoContextPopup(TPoint(x, y), handled);
    FPopupFromMouseUp = false;
    TPopupMenu* menu = GetPopupMenu();
    if (!handled && menu && menu->AutoPopup) {
      menu->PopupComponent = this;
      const TPoint p = ClientToScreen(TPoint(x, y));
      menu->Popup(p.X, p.Y);
    }
  }
}

void TCustomVellum::DblClick() {
  TPoint p;
  GetCursorPos(p);
  p = ScreenToClient(p);
  FData->DblClick(p.X, p.Y);
  TVLScroller::DblClick();
}

bool TCustomVellum::IsCopyShortcut(TShiftState shift, Word key) {
  return shift.Contains(ssCtrl) && !shift.Contains(ssAlt) && (key == 'C' || key == VK_INSERT);
}

bool TCustomVellum::IsCutShortcut(TShiftState shift, Word key) {
  return (shift.Contains(ssCtrl) && !shift.Contains(ssAlt) && key == 'X') ||
         (shift.Contains(ssShift) && key == VK_DELETE);
}

bool TCustomVellum::IsPasteShortcut(TShiftState shift, Word key) {
  return (shift.Contains(ssCtrl) && !shift.Contains(ssAlt) && key == 'V') ||
         (shift.Contains(ssShift) && !shift.Contains(ssCtrl) && key == VK_INSERT);
}

bool TCustomVellum::DoKeyUp(Word& key, TShiftState shift) {
  const bool handled = TVLScroller::DoKeyUp(key, shift);
  // A selection made or changed by the keyboard.
  OfferPrimarySelection();
  return handled;
}

void TCustomVellum::OfferPrimarySelection() {
  TClipboard& primary = PrimarySelection();
  if (!primary.Available() || !SelectionExists()) return;
  std::array<Integer, 4> bounds{};
  GetSelectionBounds(bounds[0], bounds[1], bounds[2], bounds[3], true);
  if (bounds == FOfferedSelection && primary.HasFormat(CF_UNICODETEXT)) return;
  const WideString text = VLGetSelText(*FData, true);
  if (text.empty()) return;
  primary.SetAsUnicodeText(text);
  FOfferedSelection = bounds;
}

bool TCustomVellum::DoKeyDown(Word& key, TShiftState shift) {
  if (IsCopyShortcut(shift, key)) {
    Perform(WM_COPY);
    return true;
  }
  if (TabNavigation != vltnNone && key == VK_TAB && !shift.Contains(ssAlt)) {
    const bool ctrl = shift.Contains(ssCtrl);
    if ((ctrl && TabNavigation == vltnCtrlTab) || (!ctrl && TabNavigation == vltnTab)) {
      FData->SetState(FData->GetState() & ~vlstFocusOrigin);
      FData->MoveFocus(shift.Contains(ssShift), this);
      return true;
    }
  }
  if (key == VK_RETURN && FData->InnerFocusedData) {
    FData->ExecuteFocusedJump();
    return true;
  }
  return TVLScroller::DoKeyDown(key, shift);
}

// ---- auto-scroll ----------------------------------------------------------------------

void TCustomVellum::StartAutoScrollTimer(bool slow) {
  if (FAutoScrollTimer->GetEnabled()) return;
  FAutoScrollTimer->SetInterval(slow ? 300 : 100);
  FAutoScrollTimer->SetEnabled(true);
  FData->SetState(FData->GetState() | vlstPointerMayLeave);
}

void TCustomVellum::StopAutoScrollTimer() {
  if (!FAutoScrollTimer || !FAutoScrollTimer->GetEnabled()) return;
  FAutoScrollTimer->SetEnabled(false);
  FData->SetState(FData->GetState() & ~vlstPointerMayLeave);
}

bool TCustomVellum::AutoScrollTimerOn() const { return FAutoScrollTimer->GetEnabled(); }
Cardinal TCustomVellum::AutoScrollInterval() const { return FAutoScrollTimer->GetInterval(); }

void TCustomVellum::AutoScrollTick() {
  const Integer v = VPos, h = HPos;
  if (AutoScrollDY != 0) VScrollTo(VPos + AutoScrollDY, true);
  if (AutoScrollDX != 0) HScrollTo(HPos + AutoScrollDX);
  if (v != VPos || h != HPos) GenerateMouseMove();
}

void TCustomVellum::GenerateMouseMove() {
  // Within a move, whose handling is not over yet (and may be closing the
  // very cell editor that scrolled).
  if (FMouseMoveDepth > 0) return;
  // Nor while the document is being laid out (a scroll the layout makes):
  // its lines and links are not all there yet.
  if (FData->GetState() & vlstDoNotFormat) return;
  TPoint p;
  if (!GetCursorPos(p)) return;
  p = ScreenToClient(p);
  if (p.X < 0 || p.Y < 0 || p.X >= ClientWidth() || p.Y >= ClientHeight()) return;
  MouseMove(KeyboardShiftState(), p.X, p.Y);
}
