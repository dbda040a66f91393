// Keys of the editor control: the key and the text it produces arrive in
// one event, so the key's part (movement, shortcuts, deleting) and the
// character's part (typing) run together.
#include "richtext/editor/VellumEdit.h"

#include "platform/base/SysUtils.h"

namespace {

bool IsNavigationKey(Word key) {
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: return true;
    default: return false;
  }
}

// Keys that neither select nor type: modifiers, locks, function and
// media keys.
bool IsInertKey(Word key) {
  switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_PAUSE:
    case VK_CAPITAL:
    case VK_ESCAPE:
    case VK_SNAPSHOT:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case 0xE5: return true;
    default: break;
  }
  return (key >= VK_F1 && key <= VK_F1 + 23) || (key >= 0xA0 && key <= 0xB7) || key >= 0xF6;
}

// Characters that are typed: control characters (Tab aside) are keys.
WideString TypedCharacters(const WideString& text) {
  WideString r;
  for (char16_t c : text)
    if (c >= 32 && c != 127) r += c;
  return r;
}

}  // namespace

bool TCustomVellumEdit::WantsShortcutKey(Word key, TShiftState shift) {
  const bool ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt);
  if (IsNavigationKey(key) || key == VK_BACK || key == VK_DELETE || key == VK_RETURN) return !alt || key == VK_BACK;
  if (key == VK_TAB) return ctrl || WantTabs;
  if (ctrl && !alt && (key == 'Z' || key == 'C' || key == 'X' || key == 'V' || key == VK_INSERT)) return true;
  if (shift.Contains(ssShift) && key == VK_INSERT) return true;
  // Plain characters belong to the text, not to single-key shortcuts.
  return !ctrl && !alt && !IsInertKey(key) && key >= VK_SPACE;
}

bool TCustomVellumEdit::DoKeyDown(Word& key, TShiftState shift) {
  // Escape during a resize drag leaves the picture as it was.
  if (key == VK_ESCAPE && EditData()->CancelResize()) {
    key = 0;
    return true;
  }
  const WideString text = KeyText();
  try {
    KeyDownPhase(key, shift, text);
  } catch (const std::exception& e) {
    Repair(e.what());
    key = 0;
  }
  return key == 0;
}

bool TCustomVellumEdit::DoKeyUp(Word& key, TShiftState shift) {
  const bool handled = TCustomVellum::DoKeyUp(key, shift);
  // Releasing Ctrl ends the hyperlink mode that pressing it began.
  if (key == VK_CONTROL && FEditorOptions.Contains(vloCtrlJumps) && GetStyle()) {
    EditData()->LeaveJumpMode();
    GenerateMouseMove();
  }
  return handled;
}

void TCustomVellumEdit::LeaveJumpModeWithoutCtrl(TShiftState shift) {
  if (!FEditorOptions.Contains(vloCtrlJumps) || !GetStyle() || shift.Contains(ssCtrl)) return;
  EditData()->LeaveJumpMode();
}

void TCustomVellumEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  LeaveJumpModeWithoutCtrl(shift);
  TCustomVellum::MouseDown(button, shift, x, y);
}

void TCustomVellumEdit::DblClick() {
  // The word selected on a line partly shown leaves the view as it is, as
  // the press before it did: the pointer stays on the word.
  TVLEditVLData::TKeepView keep{*EditData()};
  TCustomVellum::DblClick();
}

bool TCustomVellumEdit::DoKeyPress(char16_t& key) {
  // Characters without a key of their own (composed or unmapped keys).
  if (TCustomVellum::DoKeyPress(key)) return true;
  if (key >= 0xD800 && key <= 0xDBFF) {
    FHighSurrogate = key;
    return true;
  }
  WideString text;
  if (key >= 0xDC00 && key <= 0xDFFF && FHighSurrogate) text += FHighSurrogate;
  FHighSurrogate = 0;
  text += key;
  if (TypedCharacters(text).empty()) return false;
  TypeText(text);
  return true;
}

void TCustomVellumEdit::KeyDownPhase(Word& key, TShiftState shift, const WideString& text) {
  TVLEditVLData* d = EditData();
  const bool sh = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt);
  if (GetStyle()) d->PrepareEmptyDocument();
  if (key == VK_RETURN && FEditorOptions.Contains(vloDoNotWantReturns)) {
    d->Beep();
    key = 0;
    return;
  }
  if ((ctrl && !alt && key == 'Z') || (alt && !ctrl && key == VK_BACK)) {
    if (sh)
      Redo();
    else
      Undo();
    key = 0;
    return;
  }
  // The viewer's keys (copy) and the application's OnKeyDown.
  if (TCustomVellum::DoKeyDown(key, shift) || key == 0) {
    key = 0;
    return;
  }
  if (!GetStyle()) return;
  bool changed = false;
  if (IsNavigationKey(key)) {
    if (sh) {
      d->StartSelectionAtCaret();
      changed = true;
    } else if (d->SelectionExists()) {
      d->Deselect(nullptr, true);
      changed = true;
    }
  } else if (key == VK_CONTROL) {
    // While Ctrl is held, hyperlinks react to the pointer as in a viewer.
    if (FEditorOptions.Contains(vloCtrlJumps) && !(d->GetLayoutFlags() & vllfCollectJumps)) {
      d->EnterJumpMode(false);
      GenerateMouseMove();
    }
  } else if (key == VK_BACK || key == VK_DELETE) {
    if (!BeforeChange(false)) {
      key = 0;
      return;
    }
    Integer s1, o1, s2, o2;
    d->GetSelBounds(true, s1, o1, s2, o2);
    if (d->SelectionExists() && s1 == s2 && o1 == 0 && o2 == 1 && d->KeepTableFromKey(s1)) {
      key = 0;
      return;
    }
    // A block of table cells is the selection too: the keys empty it.
    const bool cells = !d->SelectionExists() && d->ActiveItem && d->ActiveItem->PartiallySelected();
    if (d->SelectionExists() || cells) {
      if (IsCutShortcut(shift, key))
        CutToClipboard();
      else
        RunEdit([&] { d->DeleteSelection(); });
      key = 0;
      Invalidate();
      return;
    }
  } else if (!IsInertKey(key)) {
    if (IsCutShortcut(shift, key)) {
      CutToClipboard();
      key = 0;
      return;
    }
    if (IsPasteShortcut(shift, key)) {
      Paste();
      key = 0;
      return;
    }
  }

  switch (key) {
    case VK_BACK:
      RunEdit([&] { d->BackspacePressed(ctrl, false, false); });
      key = 0;
      return;
    case VK_DELETE:
      RunEdit([&] {
        if (ctrl) {
          // To the start of the next word, as one deletion.
          d->StartSelectionAtCaret();
          d->MoveCaretRight(true, true);
          d->ExtendSelectionToCaret();
          if (d->SelectionExists()) d->DeleteSelection();
        } else {
          d->DeleteKey(false);
        }
      });
      key = 0;
      return;
    case VK_RETURN:
      if (!(sh && FEditorOptions.Contains(vloDoNotWantShiftReturns)) && BeforeChange(false)) {
        RunEdit([&] {
          if (d->SelectionExists()) {
            d->BeginUndoSequence(vlutEnter, true);
            TVLUndoGroupModeGuard group(d);
            d->DeleteSelection();
            d->InsertEnter(sh);
          } else {
            d->InsertEnter(sh);
          }
        });
        Invalidate();
      }
      key = 0;
      return;
    case VK_TAB:
      if (ctrl || WantTabs) {
        char16_t tab = 9;
        if (!TCustomVellum::DoKeyPress(tab) && BeforeChange(false)) {
          TVLStyle* style = GetStyle();
          InsertText(String(static_cast<size_t>(std::max<int16_t>(style->SpacesInTab, 0)), ' '));
        }
        key = 0;
      }
      return;
    default: break;
  }
  if (IsNavigationKey(key)) {
    CaretKey(key, shift);
    if (sh) d->ExtendSelectionToCaret();
    // Text the keys select is what the next key works on: a block of cells
    // selected beside it goes, or typing would go into the block's cell.
    if (sh && d->SelectionExists() && d->ActiveItem && d->ActiveItem->PartiallySelected() && !GetInplaceEditor()) {
      // (Not by SetActiveItem, which would let go of the text too; the
      // caret, placed at the table while it held the block, goes where the
      // keys took it.)
      TCustomVLItemInfo* block = d->ActiveItem;
      d->ActiveItem = nullptr;
      block->Deselect();
      d->PlaceCaret(true, false, true);
      d->DoSelect();
      changed = true;
    }
    if (changed) Invalidate();
    key = 0;
    return;
  }
  if (changed) Invalidate();
  // Ctrl or Alt alone makes a command key, never a character; both together
  // stand for AltGr on some keyboards.
  if (IsInertKey(key) || ctrl != alt) return;
  // The character part: a key that produces nothing changes nothing (a
  // dead key waiting for its letter keeps the selection).
  WideString typed;
  for (char16_t c : TypedCharacters(text)) {
    char16_t k = c;
    if (!TCustomVellum::DoKeyPress(k) && k != 0) typed += k;
  }
  if (typed.empty()) return;
  TypeText(typed);
  key = 0;
}

bool TCustomVellumEdit::CaretKey(Word key, TShiftState shift) {
  TVLEditVLData* d = EditData();
  const bool sh = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
  const bool rtl = GetBiDiMode() == vlbdRightToLeft;
  bool edge = false;
  TVLGetOutDirection dir = vldLeft;
  switch (key) {
    case VK_HOME:
      edge = d->MoveCaretHome(ctrl);
      dir = vldTop;
      break;
    case VK_END:
      edge = d->MoveCaretEnd(ctrl);
      dir = vldBottom;
      break;
    case VK_LEFT:
      edge = rtl ? d->MoveCaretRight(sh, ctrl) : d->MoveCaretLeft(sh, ctrl);
      dir = rtl ? vldRight : vldLeft;
      break;
    case VK_RIGHT:
      edge = rtl ? d->MoveCaretLeft(sh, ctrl) : d->MoveCaretRight(sh, ctrl);
      dir = rtl ? vldLeft : vldRight;
      break;
    case VK_UP:
      edge = d->MoveCaretUp(sh, ctrl);
      dir = vldUp;
      break;
    case VK_DOWN:
      edge = d->MoveCaretDown(sh, ctrl);
      dir = vldDown;
      break;
    case VK_PRIOR: d->MoveCaretPageUp(); return false;
    case VK_NEXT: d->MoveCaretPageDown(); return false;
    default: return false;
  }
  if (edge && OnCaretGetOut) OnCaretGetOut(this, dir);
  return edge;
}
