#pragma once
// Panels, splitters, paint boxes, images and scroll boxes.
#include "platform/gui/Controls.h"

#include <memory>

class TPanel : public TCustomControl {
public:
  explicit TPanel(TComponent* AOwner);
  String GetText() const override { return FText; }
  void SetText(const String& value) override;
  TBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  // Paints the caption (clear it for a panel that only holds controls).
  bool ShowCaption = true;
  // "&" marks an access key; off for captions made of the user's text.
  bool ShowAccelChar = true;

protected:
  void Paint() override;
  TRect AlignRect() const override;

private:
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  TAlignment FAlignment = taCenter;
  TBorderStyle FBorderStyle = bsNone;
};

// Resizes the control it sits beside: drag it to move the shared edge.
class TSplitter : public TCustomControl {
public:
  explicit TSplitter(TComponent* AOwner);
  int MinSize = 30;
  TNotifyEvent OnMoved;
  // The control whose size the splitter changes (found by alignment).
  TControl* FindControl() const;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool FDragging = false;
  TPoint FStart;
  int FStartSize = 0;
  TControl* FControl = nullptr;
};

// Painted by its OnPaint handler.
class TPaintBox : public TCustomControl {
public:
  explicit TPaintBox(TComponent* AOwner);
};

class TImage : public TCustomControl {
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture& Picture() { return *FPicture; }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool value);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool value);
  bool GetProportional() const { return FProportional; }
  void SetProportional(bool value);
  bool Transparent = false;
  // The rectangle the picture is drawn in.
  TRect DestRect() const;

protected:
  void Paint() override;

private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
};

// A scrolling area: the children are placed on a surface that grows to hold
// them, with scroll bars as needed.
class TScrollBox : public TWinControl {
public:
  explicit TScrollBox(TComponent* AOwner);
  void AlignControls() override;
  TRect GetClientRect() const override;
  void ScrollInView(TControl* control);
  TBorderStyle BorderStyle = bsSingle;

protected:
  QWidget* ClientWidget() const override;
  void ChildBoundsChanged(TControl*) override { AlignControls(); }

private:
  QWidget* FSurface;
};
