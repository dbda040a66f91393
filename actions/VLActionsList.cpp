#include "actions/VLActionsList.h"

#include "actions/ListGalleryVLFrm.h"

#include "richtext/model/VLClasses.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLStyle.h"

namespace {

// The selection (or the caret) widened to whole paragraphs.
void ParagraphRange(TVLActionEditor* E, Integer& First, Integer& Last) {
  Integer sNo = 0, sOffs = 0, eNo = 0, eOffs = 0;
  E->GetSelectionBounds(sNo, sOffs, eNo, eOffs);
  First = sNo;
  Last = eNo;
}

void WidenToParas(TCustomVLData* d, Integer& First, Integer& Last) {
  const Integer count = d->GetItemCount();
  if (count == 0) return;
  First = std::clamp<Integer>(First, 0, count - 1);
  Last = std::clamp<Integer>(Last, First, count - 1);
  while (First > 0 && !d->IsParaStart(First)) --First;
  while (Last + 1 < count && !d->IsParaStart(Last + 1)) ++Last;
}

// The list number of the paragraph that starts at ItemNo, -1 without one.
Integer ListOfPara(TCustomVLData* d, Integer ItemNo) {
  Integer listNo = -1, level = 0, startFrom = 0;
  bool reset = false;
  if (d->GetListMarkerInfo(ItemNo, listNo, level, startFrom, reset) < 0) return -1;
  return listNo;
}

bool ListHasLevels(TVLStyle* Sheet, Integer ListNo, const TVLListLevelCollection& Levels) {
  return ListNo >= 0 && ListNo < Sheet->ListStyles->Count() && Sheet->ListStyles->Items(ListNo)->Levels->IsEqual(Levels);
}

void SetMarkerFont(TVLListLevel* L, const char* Name, TFontCharset Charset, Integer Size) {
  TVLMarkerFont* f = L->GetFont();
  if (Name) f->SetName(Name);
  if (Name) f->SetCharset(Charset);
  f->SetSize(Size);
}

void DefaultIndents(TVLListLevel* L, Integer Level) {
  L->FirstIndent = 0;
  L->LeftIndent = 48 * Level + 24;
  L->MarkerIndent = 48 * Level;
}

}  // namespace

TvlActionCustomParaListSwitcher::TvlActionCustomParaListSwitcher(TComponent* AOwner)
    : TvlAction(AOwner), FListLevels(std::make_unique<TVLListLevelCollection>(nullptr)) {}

TvlActionCustomParaListSwitcher::~TvlActionCustomParaListSwitcher() = default;

void TvlActionCustomParaListSwitcher::InitLevels() { FillDefaultLevels(*FListLevels); }

void TvlActionCustomParaListSwitcher::SetListLevels(const TVLListLevelCollection& Value) {
  if (&Value != FListLevels.get()) FListLevels->Assign(&Value);
}

void TvlActionCustomParaListSwitcher::UpdateTarget(TObject* Target) {
  if (!StandardEnabled()) {
    SetEnabled(false);
    return;
  }
  try {
    TvlAction::UpdateTarget(Target);
    TVLActionEditor* E = GetCaretEditor(Target);
    bool checked = E != nullptr;
    if (E) {
      TCustomVLData* d = E->GetVLData();
      Integer first = 0, last = 0;
      ParagraphRange(E, first, last);
      WidenToParas(d, first, last);
      Integer listNo = -1;
      bool firstPara = true;
      for (Integer i = first; checked && i <= last && i < d->GetItemCount(); ++i) {
        if (!d->IsParaStart(i)) continue;
        const Integer no = ListOfPara(d, i);
        if (no < 0) checked = false;
        else if (firstPara) {
          checked = ListHasLevels(E->GetStyle(), no, *FListLevels);
          listNo = no;
          firstPara = false;
        } else if (no != listNo) {
          checked = false;
        }
      }
      if (d->GetItemCount() == 0) checked = false;
    }
    SetChecked(checked);
  } catch (...) {
    SetEnabled(false);
  }
}

Integer TvlActionCustomParaListSwitcher::AddListStyle(TVLActionEditor* Editor, bool Announce) {
  TVLListInfos& lists = *Editor->GetStyle()->ListStyles;
  TVLListInfo* added = lists.Add();
  added->SetLevels(*FListLevels);
  added->StyleName = "2";
  added->Standard = false;
  added->OneLevelPreview = true;
  if (Announce) FireStyleAdded(this, added);
  return lists.Count() - 1;
}

// ---------------------------------------------------------------------------

TvlActionParaBullets::TvlActionParaBullets(TComponent* AOwner) : TvlActionCustomParaListSwitcher(AOwner) {
  MessageID = 61;
  InitLevels();
  Localize();
}

void TvlActionParaBullets::FillDefaultLevels(TVLListLevelCollection& Levels) {
  Levels.Clear();
  for (Integer i = 0; i < 9; ++i) {
    TVLListLevel* L = Levels.Add();
    DefaultIndents(L, i);
    switch (i % 3) {
      case 0:
        SetMarkerFont(L, "Symbol", 2, 12);
        L->FormatString = AnsiString(1, '\xB7');
        break;
      case 1:
        SetMarkerFont(L, "Courier New", 0, 12);
        L->FormatString = "o";
        break;
      default:
        SetMarkerFont(L, "Wingdings", 2, 12);
        L->FormatString = AnsiString(1, '\xA7');
        break;
    }
  }
}

void TvlActionParaBullets::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  if (GetChecked()) {
    E->RemoveLists();
    return;
  }
  const Integer index = E->GetStyle()->ListStyles->FindListByLevels(GetListLevels(), "2", true);
  E->ApplyListStyle(index, -1, 1, false);
}

// ---------------------------------------------------------------------------

TvlActionParaNumbering::TvlActionParaNumbering(TComponent* AOwner) : TvlActionCustomParaListSwitcher(AOwner) {
  MessageID = 63;
  InitLevels();
  Localize();
}

void TvlActionParaNumbering::FillDefaultLevels(TVLListLevelCollection& Levels) {
  Levels.Clear();
  for (Integer i = 0; i < 9; ++i) {
    TVLListLevel* L = Levels.Add();
    DefaultIndents(L, i);
    SetMarkerFont(L, nullptr, 0, 10);
    L->ListType = vllstDecimal;
    L->FormatString = "%" + std::to_string(i) + ":s.";
  }
}

void TvlActionParaNumbering::ExecuteTarget(TObject* Target) {
  TVLActionEditor* root = GetControl(Target);
  if (!root) return;
  if (GetChecked()) {
    root->RemoveLists();
    return;
  }
  TVLActionEditor* E = GetCaretEditor(Target);
  TCustomVLData* d = E->GetVLData();
  TVLStyle* sheet = E->GetStyle();
  // The paragraphs of the selection and one more on each side.
  Integer first = 0, last = 0;
  ParagraphRange(E, first, last);
  WidenToParas(d, first, last);
  if (first > 0) --first;
  if (last < d->GetItemCount() - 1) ++last;
  WidenToParas(d, first, last);
  for (Integer i = first; i <= last && i < d->GetItemCount(); ++i) {
    if (!d->IsParaStart(i)) continue;
    const Integer no = ListOfPara(d, i);
    if (no >= 0 && ListHasLevels(sheet, no, GetListLevels())) {
      E->ApplyListStyle(no, -1, 1, false);
      return;
    }
  }
  // A list of these levels that this document does not use yet starts anew.
  TVLListInfos& lists = *sheet->ListStyles;
  TVLIntegerList textUsed = TVLIntegerList::CreateFilled(sheet->TextStyles->Count(), 1);
  TVLIntegerList paraUsed = TVLIntegerList::CreateFilled(sheet->ParaStyles->Count(), 1);
  TVLIntegerList listUsed = TVLIntegerList::CreateFilled(lists.Count(), 0);
  root->GetVLData()->MarkStylesInUse(textUsed, paraUsed, listUsed);
  Integer index = -1;
  for (Integer i = 0; i < lists.Count() && index < 0; ++i)
    if (listUsed.Get(i) == 0 && lists.Items(i)->Levels->IsEqual(GetListLevels())) index = i;
  if (index < 0) index = AddListStyle(root, true);
  root->ApplyListStyle(index, -1, 1, false);
}

// ---------------------------------------------------------------------------

TvlActionParaList::TvlActionParaList(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 59;
  Localize();
}

TvlActionParaList::~TvlActionParaList() {
  SetActionParaBullets(nullptr);
  SetActionParaNumbering(nullptr);
}

void TvlActionParaList::SetActionParaBullets(TvlActionParaBullets* Value) {
  if (FActionParaBullets) FActionParaBullets->RemoveFreeNotification(this);
  FActionParaBullets = Value;
  if (Value) Value->FreeNotification(this);
}

void TvlActionParaList::SetActionParaNumbering(TvlActionParaNumbering* Value) {
  if (FActionParaNumbering) FActionParaNumbering->RemoveFreeNotification(this);
  FActionParaNumbering = Value;
  if (Value) Value->FreeNotification(this);
}

void TvlActionParaList::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FActionParaBullets) FActionParaBullets = nullptr;
  if (AComponent == FActionParaNumbering) FActionParaNumbering = nullptr;
}

void TvlActionParaList::UpdateBulletsActions(TVLListInfos& ListStyles, Integer Index) {
  const TVLListLevelCollection& levels = *ListStyles.Items(Index)->Levels;
  if (FActionParaBullets) FActionParaBullets->SetListLevels(levels);
  auto* owner = dynamic_cast<TComponent*>(GetOwner());
  if (!UpdateAllSwitchers || !owner) return;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* a = dynamic_cast<TvlActionParaBullets*>(owner->Components(i)); a && a != FActionParaBullets)
      a->SetListLevels(levels);
}

void TvlActionParaList::UpdateNumberingActions(TVLListInfos& ListStyles, Integer Index) {
  const TVLListLevelCollection& levels = *ListStyles.Items(Index)->Levels;
  if (FActionParaNumbering) FActionParaNumbering->SetListLevels(levels);
  auto* owner = dynamic_cast<TComponent*>(GetOwner());
  if (!UpdateAllSwitchers || !owner) return;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* a = dynamic_cast<TvlActionParaNumbering*>(owner->Components(i)); a && a != FActionParaNumbering)
      a->SetListLevels(levels);
}

void TvlActionParaList::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  // The choice is copied out: the gallery owns what it reports.
  std::unique_ptr<TVLStyle> chosen;
  Integer listNo = -1, startFrom = 1;
  bool useStartFrom = false;
  {
    std::unique_ptr<TfrmVLListGallery> gallery(CreateVLForm<TfrmVLListGallery>(Application));
    gallery->InitFromEditor(E);
    TVLEditorWatch watch(E);
    if (gallery->ShowModal() != mrOk || watch.Gone()) return;
    TVLListInfo* style = nullptr;
    gallery->GetListStyle(style, listNo, startFrom, useStartFrom);
    if (style) {
      chosen = std::make_unique<TVLStyle>(nullptr);
      chosen->ListStyles->Add()->Assign(style);
    }
  }
  if (!chosen) {
    E->RemoveLists();
    return;
  }
  const TVLListInfo& style = *chosen->ListStyles->Items(0);
  TVLStyle* sheet = E->GetStyle();
  TVLListInfos& lists = *sheet->ListStyles;
  if (listNo >= lists.Count()) listNo = -1;
  if (style.HasNumbering()) {
    Integer index = listNo;
    if (index < 0) {
      // A new list: an equal list style that no paragraph uses yet, or a
      // new one, so that it never joins a list already in the document.
      TVLIntegerList textUsed = TVLIntegerList::CreateFilled(sheet->TextStyles->Count(), 1);
      TVLIntegerList paraUsed = TVLIntegerList::CreateFilled(sheet->ParaStyles->Count(), 1);
      TVLIntegerList listUsed = TVLIntegerList::CreateFilled(lists.Count(), 0);
      E->GetVLData()->MarkStylesInUse(textUsed, paraUsed, listUsed);
      for (Integer i = 0; i < lists.Count() && index < 0; ++i)
        if (listUsed.Get(i) == 0 && lists.Items(i)->IsEqual(style, false, true)) index = i;
      if (index < 0) {
        TVLListInfo* added = lists.Add();
        added->Assign(&style);
        added->Standard = false;
        index = lists.Count() - 1;
        FireStyleAdded(this, added);
      }
    }
    E->ApplyListStyle(index, -1, startFrom, useStartFrom);
    if (lists.Items(index)->AllNumbered()) UpdateNumberingActions(lists, index);
    return;
  }
  Integer index = listNo;
  if (index < 0) {
    const Integer before = lists.Count();
    index = lists.FindSuchList(style, true);
    if (index == before) FireStyleAdded(this, lists.Items(index));
  }
  E->ApplyListStyle(index, -1, 1, false);
  UpdateBulletsActions(lists, index);
}
