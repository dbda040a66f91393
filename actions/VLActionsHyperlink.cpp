#include "actions/VLActionsHyperlink.h"

#include "actions/HypVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/os/ShellOpen.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"

#include <memory>

namespace {

bool IsLinkText(TVLActionEditor* E, Integer ItemNo) {
  TCustomVLData* d = E->GetVLData();
  if (ItemNo < 0 || ItemNo >= d->GetItemCount()) return false;
  const Integer styleNo = d->GetItem(ItemNo)->StyleNo;
  TVLStyle* sheet = E->GetStyle();
  return styleNo >= 0 && sheet && styleNo < sheet->TextStyles->Count() && sheet->TextStyles->Items(styleNo)->Jump;
}

bool IsPicture(TCustomVLData* d, Integer ItemNo) {
  const Integer s = d->GetItem(ItemNo)->StyleNo;
  return s == vlsPicture || s == vlsHotPicture;
}

void SelectItem(TVLActionEditor* E, Integer ItemNo) {
  E->SetSelectionBounds(ItemNo, E->GetItemStartOffset(ItemNo), ItemNo, E->GetItemEndOffset(ItemNo));
}

// The undo group mode raised and lowered on one editor, also when a step
// raises.
class TUndoGroupGuard {
public:
  TUndoGroupGuard(TVLActionEditor* E, Integer UndoType) : FEditor(E) {
    FEditor->BeginUndoGroup(UndoType);
    FEditor->SetUndoGroupMode(true);
  }
  ~TUndoGroupGuard() { FEditor->SetUndoGroupMode(false); }
  TUndoGroupGuard(const TUndoGroupGuard&) = delete;
  TUndoGroupGuard& operator=(const TUndoGroupGuard&) = delete;

private:
  TVLActionEditor* FEditor;
};

constexpr Integer UndoTypeTags = 8;

}  // namespace

TvlActionInsertHyperlink::TvlActionInsertHyperlink(TComponent* AOwner) : TvlActionTextStyles(AOwner) {
  ChangesDocument = true;
  MessageID = 55;
  Localize();
}

void TvlActionInsertHyperlink::UpdateTarget(TObject* Target) {
  UpdateEnabledFor(Target, [&](TVLActionEditor* root) {
    TVLActionEditor* E = root ? GetCaretEditor(Target) : nullptr;
    bool enabled = E && !root->IsReadOnly() && E->TagsArePChars() && !E->HasActiveItem();
    if (enabled) {
      Integer first = 0, last = 0;
      GetSelectedItemRange(E, first, last);
      TCustomVLData* d = E->GetVLData();
      for (Integer i = std::max<Integer>(first, 0); i <= last && i < d->GetItemCount(); ++i)
        if (d->GetItem(i)->StyleNo == vlsTable) {
          enabled = false;
          break;
        }
    }
    return enabled;
  });
}

void TvlActionInsertHyperlink::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E || RefusedAsReadOnly(E)) return;
  String target;
  const bool insertNew = !GetSelectionTarget(E, target);
  String text = GetCaretEditor(Target)->GetSelText();
  if (text.find_first_of("\r\n") != String::npos) text.clear();
  TVLEditorWatch watch(E);
  if (!ShowHyperlinkForm(insertNew, text, target) || watch.Gone() || RefusedAsReadOnly(E)) return;
  // Asked again: the cell editors may have been opened anew meanwhile.
  TVLActionEditor* inner = GetCaretEditor(Target);
  const Integer saved = inner->GetCurTextStyleNo();
  if (insertNew) {
    inner->SetCurTextStyleNo(GetHyperlinkStyleNo(inner));
    inner->InsertTaggedText(text, NormalizeTarget(target));
  } else {
    ApplyTargetToSelection(E, NormalizeTarget(target));
  }
  inner->SetCurTextStyleNo(saved);
}

bool TvlActionInsertHyperlink::GetSelectionTarget(TVLActionEditor* E0, String& Target) {
  TVLActionEditor* E = E0->GetInnermostEditor();
  TCustomVLData* d = E->GetVLData();
  if (!E->SelectionExists()) {
    Integer n = 0, o = 0, n2 = 0, o2 = 0;
    E->GetSelectionBounds(n, o, n2, o2);
    bool selected = false;
    if (n >= 0 && n < d->GetItemCount()) {
      if (IsLinkText(E, n)) {
        SelectItem(E, n);
        selected = true;
      } else {
        Integer neighbour = -1;
        if (n > 0 && !E->IsFromNewLine(n) && o <= E->GetItemStartOffset(n))
          neighbour = n - 1;
        else if (n + 1 < d->GetItemCount() && !E->IsFromNewLine(n + 1) && o >= E->GetItemEndOffset(n))
          neighbour = n + 1;
        if (neighbour >= 0 && IsLinkText(E, neighbour)) {
          SelectItem(E, neighbour);
          selected = true;
        }
      }
      if (!selected && SetToPictures && IsPicture(d, n)) SelectItem(E, n);
    }
  }
  Target.clear();
  Integer sNo = 0, sOffs = 0, eNo = 0, eOffs = 0;
  E->GetSelectionBounds(sNo, sOffs, eNo, eOffs);
  const bool result = sNo >= 0 && (sNo != eNo || sOffs != eOffs);
  if (result) {
    bool first = true;
    for (Integer i = sNo; i <= eNo && i < d->GetItemCount(); ++i) {
      const Integer style = d->GetItem(i)->StyleNo;
      if (!(style >= 0 || (SetToPictures && IsPicture(d, i)))) continue;
      const String tag = E->GetItemTag(i);
      if (first) {
        Target = tag;
        first = false;
      } else if (tag != Target) {
        Target.clear();
        break;
      }
    }
  }
  return result;
}

bool TvlActionInsertHyperlink::ShowHyperlinkForm(bool InsertNew, String& Text, String& Target) {
  if (OnHyperlinkForm) {
    bool proceed = true;
    OnHyperlinkForm(this, InsertNew, Text, Target, proceed);
    return proceed;
  }
  std::unique_ptr<TfrmVLHyp> dlg(CreateVLForm<TfrmVLHyp>(Application));
  dlg->Color = Color;
  dlg->HoverColor = HoverColor;
  dlg->BackColor = BackColor;
  dlg->HoverBackColor = HoverBackColor;
  if (!InsertNew) {
    dlg->TextControl->SetEnabled(false);
    dlg->TextControl->SetText(Text.empty() ? LanguageText(334) : Text);
    dlg->TextControl->SetColor(clBtnFace);
    dlg->TargetControl->SetText(Target);
  }
  if (dlg->ShowModal() != mrOk) return false;
  Color = dlg->Color;
  HoverColor = dlg->HoverColor;
  BackColor = dlg->BackColor;
  HoverBackColor = dlg->HoverBackColor;
  Text = dlg->TextControl->GetText();
  Target = dlg->TargetControl->GetText();
  return true;
}

Integer TvlActionInsertHyperlink::GetHyperlinkStyleNo(TVLActionEditor* E) {
  TFontInfos& styles = *E->GetStyle()->TextStyles;
  const Integer current = E->GetCurTextStyleNo();
  auto f = std::make_unique<TFontInfo>(nullptr);
  f->Assign(styles.Items(current));
  ConvertTextStyle(E, *f, current, 1);
  Integer n = styles.FindSuchStyle(current, *f, vlfiAll);
  if (n < 0) {
    TFontInfo* added = styles.Add();
    added->Assign(f.get());
    n = styles.Count() - 1;
    added->Standard = false;
    FireStyleAdded(this, added);
  }
  return n;
}

void TvlActionInsertHyperlink::ApplyTargetToSelection(TVLActionEditor* E0, const String& Target) {
  TVLActionEditor* E = E0->GetInnermostEditor();
  TUndoGroupGuard group(E, UndoTypeTags);
  NormalStyle = E->GetStyle()->TextStyles->Items(0);
  try {
    ApplyTextStyleConversion(E, Target.empty() ? 0 : 1);
  } catch (...) {
    NormalStyle = nullptr;
    throw;
  }
  NormalStyle = nullptr;
  Integer first = 0, last = 0;
  GetSelectedItemRange(E, first, last);
  TCustomVLData* d = E->GetVLData();
  for (Integer i = std::max<Integer>(first, 0); i <= last && i < d->GetItemCount(); ++i) {
    if (SetToPictures && ValidProperties.Contains(vlhlJump)) {
      const Integer s = d->GetItem(i)->StyleNo;
      if (!Target.empty() && s == vlsPicture) E->ConvertToHotPicture(i);
      else if (Target.empty() && s == vlsHotPicture) E->ConvertToPicture(i);
    }
    if (d->GetItem(i)->StyleNo >= 0 || (SetToPictures && IsPicture(d, i))) E->SetItemTag(i, Target);
  }
}

void TvlActionInsertHyperlink::ConvertTextStyle(TVLActionEditor*, TFontInfo& F, Integer StyleNo, Integer UserData) {
  if (UserData != 0 && UserData != 1) return;
  const bool make = UserData == 1;
  if (!make && !NormalStyle) return;
  const bool wasLink = F.Jump;
  const TVLHyperlinkProperties& v = ValidProperties;
  if (v.Contains(vlhlJump)) F.Jump = make;
  if (v.Contains(vlhlColor)) F.Color = make ? Color : NormalStyle->Color;
  if (v.Contains(vlhlHoverColor)) F.HoverColor = make ? HoverColor : NormalStyle->HoverColor;
  if (v.Contains(vlhlBackColor)) F.BackColor = make ? BackColor : NormalStyle->BackColor;
  if (v.Contains(vlhlHoverBackColor)) F.HoverBackColor = make ? HoverBackColor : NormalStyle->HoverBackColor;
  if (v.Contains(vlhlCursor)) F.JumpCursor = make ? Cursor : NormalStyle->JumpCursor;
  const TFontStyles from = make ? Style : NormalStyle->Style;
  const std::pair<TVLHyperlinkProperty, TFontStyle> bits[] = {
      {vlhlBold, fsBold}, {vlhlItalic, fsItalic}, {vlhlUnderline, fsUnderline}, {vlhlStrikeout, fsStrikeOut}};
  for (const auto& [prop, fs] : bits) {
    if (!v.Contains(prop)) continue;
    if (from.Contains(fs)) F.Style.Include(fs);
    else F.Style.Exclude(fs);
  }
  // Relinking a link keeps the plain style typing continues in; pointing it
  // at the link style itself would make every later keystroke link text and
  // add a style on each relink.
  if (!make) F.NextStyleNo = -1;
  else if (!(wasLink && F.NextStyleNo >= 0)) F.NextStyleNo = StyleNo;
}

String TvlActionInsertHyperlink::NormalizeTarget(const String& Source) const {
  String result;
  result.reserve(Source.size());
  for (char c : Source)
    if (c != '\r' && c != '\n') result += c;
  if (SpaceFiller.find(' ') != String::npos) return result;
  String filled;
  for (char c : result) {
    if (c == ' ') filled += SpaceFiller;
    else filled += c;
  }
  return filled;
}

bool TvlActionInsertHyperlink::OpenLink(const String& Target) {
  String target;
  for (char c : Target)
    if (c != '\r' && c != '\n') target += c;
  if (target.empty()) return false;
  // Only web and mail links are handed to the desktop from here: a local
  // file, a program or an unknown kind of link is never opened on one click.
  const TLinkVerdict verdict = ClassifyLinkTarget(target);
  if (verdict.Decision == TLinkDecision::Open && ShellOpen(target)) return true;
  // The user learns why, not only that nothing happened.
  String reason = verdict.Reason;
  if (verdict.Decision == TLinkDecision::Ask) reason = "only web and mail links open from here";
  else if (verdict.Decision == TLinkDecision::Open) reason = "the desktop could not open it";
  MessageBox(FormatLanguageText(335, {target}) + ": " + reason + ".", LanguageText(213), MB_OK | MB_ICONEXCLAMATION);
  return false;
}
