#pragma once
// A bevel: a sunken or raised box, frame or single line that groups
// controls visually. It draws itself and takes no input.
#include "platform/gui/Controls.h"

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TCustomControl {
public:
  explicit TBevel(TComponent* AOwner);
  TBevelShape GetShape() const { return FShape; }
  void SetShape(TBevelShape value);
  TBevelStyle GetStyle() const { return FStyle; }
  void SetStyle(TBevelStyle value);
  bool CanFocus() const override { return false; }

protected:
  void Paint() override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};
