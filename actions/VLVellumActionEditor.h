#pragma once
// The editor control behind the actions' editor seam. Each editor control
// gets one adapter, made when the actions first ask for it and dropped with
// the control; the default resolver of EditorOfControl finds it, so an
// action bound to nothing works on whichever editor has the focus.
#include "actions/VLActionEditor.h"

class TCustomVellumEdit;

// The adapter of Edit (nullptr for nullptr).
TVLActionEditor* ActionEditorOf(TCustomVellumEdit* Edit);
// An editor control through its adapter; else a control that is itself an
// editor for the actions; else nullptr.
TVLActionEditor* ResolveActionEditor(TObject* control);
