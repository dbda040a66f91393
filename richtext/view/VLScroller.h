#pragma once
// The scrolling window every rich-text control stands on. It owns the two
// scroll bars and the scroll position, moves the window contents and the
// embedded child controls when the position changes, and turns scroll-bar
// actions, navigation keys and the wheel into position changes. Horizontal
// positions are pixels; vertical ones are units of VSmallStep pixels, so
// that a tall document stays within a 16-bit thumb position.
#include "platform/gui/Controls.h"
#include "platform/gui/Messages.h"
#include "richtext/model/VLData.h"

#include <functional>

class TCustomVLData;
class TCustomVLItemInfo;

// An in-place editor that cannot close now: a handler of its own (or of an
// editor open inside it) is on the stack.
QY_DECLARE_EXCEPTION(EVLTableInplaceError, EVellumError);

class TVLScroller : public TCustomControl {
public:
  explicit TVLScroller(TComponent* owner);
  ~TVLScroller() override;

  // --- sizes and positions ------------------------------------------------
  void UpdateScrollBars(Integer xSize, Integer ySize, bool updateH, bool allowDisableNoScroll);
  virtual void VScrollTo(Integer y, bool redraw);  // vertical units
  virtual void HScrollTo(Integer x);               // pixels
  void ScrollTo(Integer y) { VScrollTo(y / VSmallStep, true); }  // pixels
  void ScrollToNoRedraw(Integer y) { VScrollTo(y / VSmallStep, false); }
  void ScrollChildren(Integer dx, Integer dy);
  // A scroll-bar action (line, page, thumb, ends) on one axis; pos gets the
  // position that resulted.
  void ScrollByCode(TScrollBarKind kind, TScrollCode code, int& pos);
  virtual void SetVSmallStep(Integer value) { VSmallStep = value; }
  Integer GetVSmallStep() const { return VSmallStep; }
  Integer HPos = 0, VPos = 0;  // pixels, units
  Integer XSize = 0, YSize = 0;
  Integer VMax = 0, VPage = 0, HMax = 0, HPage = 0;

  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TVLBiDiMode GetBiDiMode() const { return FBiDiMode; }
  virtual void SetBiDiMode(TVLBiDiMode value);
  bool GetVScrollVisible() const { return FVScrollVisible; }
  void SetVScrollVisible(bool value);
  bool GetHScrollVisible() const { return FHScrollVisible; }
  void SetHScrollVisible(bool value);
  // Palettes are a thing of 8-bit screens; the mode is kept for files.
  TVLPaletteAction DoInPaletteMode = vlpaCreateCopies;
  bool UseXPThemes = true;
  // Scrolling repaints everything (a background that does not scroll).
  bool FullRedraw = false;
  bool DisableNoScroll = false;
  // Navigation keys scroll (the editor moves a caret instead).
  bool KeyboardScroll = true;
  Integer LineStep = 1;
  // Vertical units per wheel notch at three system wheel lines.
  Integer WheelStep = 2;
  TNotifyEvent OnVScrolled, OnHScrolled;

  // --- active sub-document (a table cell being edited) ---------------------
  virtual TControl* AssignActiveSubData(TCustomVLData* vlData, TCustomVLItemInfo* item);
  void SetActiveSubDataSilent(TCustomVLData* vlData);
  virtual void UnassignActiveSubData(TCustomVLData* vlData);
  virtual TControl* GetInplaceEditor() { return FInplaceEditor; }
  virtual void DestroyInplaceEditor();
  // The item that opened an in-place editor over this control registers it
  // with the way to close it (null: none open) and the way to close it for
  // a while: suspend closes it and any editor open inside it, so that the
  // document holds all they show, and answers how to open them again.
  void SetInplaceEditor(TControl* editor, std::function<void()> close,
                        std::function<std::function<void()>()> suspend = {});
  // Closes the in-place editor for a while (see above); the answer opens it
  // again where it was (empty when none was open). Raises
  // EVLTableInplaceError, the editor staying open, while it is busy.
  std::function<void()> SuspendInplaceEditor();
  TCustomVLData* GetActiveSubVLData();
  // This control or an in-place editor nested in it has the focus.
  static bool FocusedEx(TControl* control);
  TVLItemRef ActiveItem;
  TCustomVLData* ActiveSubData = nullptr;

  // The wheel notch delta in units for the system's lines setting.
  static Integer WheelDelta(Integer wheelStep, Integer systemLines);

protected:
  void CreateParams(TCreateParams& params) override;
  void Scroll(TScrollBarKind kind, TScrollCode code, int& pos) override;
  bool DoKeyDown(Word& key, TShiftState shift) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void DoEnter() override;
  virtual void VScrolled();
  virtual void HScrolled();
  virtual Integer GetDefSmallStep() { return 10; }
  virtual void ResetScrollPositions() { HPos = VPos = 0; }
  virtual void InitScrollBars() { UpdateScrollBars(ClientWidth(), ClientHeight() / VSmallStep, true, true); }
  // Window creation: the unit's size, positions and bars.
  void CreateWnd();
  Integer VSmallStep = 1;
  bool FDestroying = false;

private:
  void HideBar(TScrollBarKind kind);
  TBorderStyle FBorderStyle = bsNone;
  TVLBiDiMode FBiDiMode = vlbdUnspecified;
  bool FVScrollVisible = true, FHScrollVisible = true;
  bool FUpdatingBars = false;
  TControl* FInplaceEditor = nullptr;
  std::function<void()> FCloseInplaceEditor;
  std::function<std::function<void()>()> FSuspendInplaceEditor;
};

// For its lifetime a control's in-place editors are closed: what reads the
// whole document finds every cell's items in the cell. They open again,
// with their selection and focus, when it ends. Inactive, it does nothing.
// A busy editor stays open: Refused, and the reader must not take the
// document for whole (a cell's text is in that editor).
class TVLInplaceEditorPause {
public:
  explicit TVLInplaceEditorPause(TVLScroller& control, bool active = true) {
    if (!active) return;
    try {
      FResume = control.SuspendInplaceEditor();
    } catch (const EVLTableInplaceError&) {
      FRefused = true;
    }
  }
  ~TVLInplaceEditorPause() {
    if (FResume) FResume();
  }
  TVLInplaceEditorPause(const TVLInplaceEditorPause&) = delete;
  TVLInplaceEditorPause& operator=(const TVLInplaceEditorPause&) = delete;
  bool Refused() const { return FRefused; }

private:
  std::function<void()> FResume;
  bool FRefused = false;
};

// Embedded controls keep their true top in Tag; their Top is that value
// held inside -10000..10000.
Integer ClampedControlTop(intptr_t top);
void UpdateControlTop(TControl* control);
