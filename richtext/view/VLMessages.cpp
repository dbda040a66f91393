#include "richtext/view/VLMessages.h"

#include "platform/gui/Messages.h"
#include "richtext/view/Vellum.h"

void TVLDNDMessageData::SetObj(TComponent* obj) {
  if (FObj) FObj->RemoveFreeNotification(this);
  FObj = obj;
  if (FObj) FObj->FreeNotification(this);
}

void TVLDNDMessageData::Notification(TComponent* component, TOperation operation) {
  TVLMessageData::Notification(component, operation);
  if (operation == opRemove && component == FObj) FObj = nullptr;
}

bool VLPostEvent(TCustomVLData* data, std::unique_ptr<TVLMessageData> record) {
  TCustomVLData* root = data ? data->GetAbsoluteRootData() : nullptr;
  auto* control = root ? dynamic_cast<TControl*>(root->GetParentControl()) : nullptr;
  return PostMessage(control, WM_VLEVENT, 0, 0, std::move(record));
}

void VLDispatchEvent(TCustomVellum& view, TMessage& message) {
  auto* record = dynamic_cast<TVLMessageData*>(message.Data);
  if (!record) return;
  TVellumVLData* data = view.VLData();
  switch (record->Event) {
    case 0:
      if (auto* r = dynamic_cast<TVLDblClickMessageData*>(record)) data->DoVLDblClick(r->ClickedWord, r->StyleNo);
      break;
    case 1:
      if (auto* r = dynamic_cast<TVLJumpMessageData*>(record)) data->DoJump(r->Id);
      break;
    case 2:
    case 3:
      if (auto* r = dynamic_cast<TVLMouseUpDownMessageData*>(record)) {
        if (record->Event == 2)
          data->DoVLMouseUp(r->Button, r->Shift, r->ItemNo, r->X, r->Y);
        else
          data->DoVLMouseDown(r->Button, r->Shift, r->ItemNo, r->X, r->Y);
      }
      break;
    case 4: view.Click(); break;
    case 5: view.DblClick(); break;
    case 6:
      if (auto* r = dynamic_cast<TVLMouseMoveMessageData*>(record)) view.MouseMove(r->Shift, r->X, r->Y);
      break;
    case 7:
      if (auto* r = dynamic_cast<TVLDNDMessageData*>(record); r && view.OnEndDrag)
        view.OnEndDrag(&view, r->GetObj(), r->X, r->Y);
      break;
    case 8:
      if (auto* r = dynamic_cast<TVLDNDMessageData*>(record); r && view.OnDragDrop)
        view.OnDragDrop(&view, r->GetObj(), r->X, r->Y);
      break;
    default: break;
  }
}
