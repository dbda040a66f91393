#pragma once
// Deferred events: records that nested documents, tables and cell editors
// post to the window of the outermost view, fired when that window handles
// its queue. A record is owned by its posted message: it is freed after
// dispatch, and with the message when the receiving window goes first.
#include "platform/base/Components.h"
#include "platform/gui/Controls.h"

#include <memory>

class TCustomVLData;
class TCustomVellum;
struct TMessage;

class TVLMessageData : public TComponent {
public:
  TVLMessageData() : TComponent(nullptr) {}
  // 0 double click, 1 jump, 2 mouse up, 3 mouse down, 4 click, 5 double
  // click of the control, 6 mouse move, 7 end of drag, 8 drop.
  Byte Event = 0;
};
class TVLClickMessageData : public TVLMessageData {};
class TVLDblClickMessageData : public TVLMessageData {
public:
  String ClickedWord;
  Integer StyleNo = 0;
};
class TVLJumpMessageData : public TVLMessageData {
public:
  Integer Id = 0;
};
class TVLMouseMoveMessageData : public TVLMessageData {
public:
  Integer X = 0, Y = 0, ItemNo = 0;
  TShiftState Shift;
};
class TVLMouseUpDownMessageData : public TVLMouseMoveMessageData {
public:
  TMouseButton Button = mbLeft;
};
// The drag source or target is held weakly: it may be gone before the
// record is handled, and then Obj is null.
class TVLDNDMessageData : public TVLMessageData {
public:
  ~TVLDNDMessageData() override { SetObj(nullptr); }
  Integer X = 0, Y = 0;
  TComponent* GetObj() const { return FObj; }
  void SetObj(TComponent* obj);
  void Notification(TComponent* component, TOperation operation) override;

private:
  TComponent* FObj = nullptr;
};

// Posts record to the control that shows data's outermost document; false
// (record freed) when there is none.
bool VLPostEvent(TCustomVLData* data, std::unique_ptr<TVLMessageData> record);
// Handles a WM_VLEVENT message of view (the record stays the message's).
void VLDispatchEvent(TCustomVellum& view, TMessage& message);
