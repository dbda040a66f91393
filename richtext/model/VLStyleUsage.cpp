// Which styles a document uses, and deleting the others with every
// reference renumbered.
#include "richtext/model/VLData.h"


namespace {

// References of a style that keep other styles of its own collection alive.
std::vector<Integer*> OwnReferences(TCustomVLInfo* info) {
  std::vector<Integer*> refs{&info->BaseStyleNo};
  if (auto* f = dynamic_cast<TFontInfo*>(info)) refs.push_back(&f->NextStyleNo);
  if (auto* p = dynamic_cast<TParaInfo*>(info)) refs.push_back(&p->NextParaNo);
  return refs;
}

void CloseMarks(TCustomVLInfos& infos, TVLIntegerList& used) {
  const Integer count = infos.Count();
  std::vector<char> visited(static_cast<size_t>(count), 0);
  // An explicit stack: a long chain of references cannot exhaust the call stack.
  std::vector<Integer> stack;
  for (Integer i = 0; i < count; ++i) {
    if (!used.Get(i)) continue;
    stack.push_back(i);
    while (!stack.empty()) {
      Integer k = stack.back();
      stack.pop_back();
      if (visited[static_cast<size_t>(k)]) continue;
      visited[static_cast<size_t>(k)] = 1;
      used.Put(k, 1);
      for (Integer* ref : OwnReferences(infos.GetInfo(k))) {
        if (*ref < 0) continue;
        if (*ref >= count)
          *ref = -1;
        else
          stack.push_back(*ref);
      }
    }
  }
}

Integer NewNumber(Integer no, const TVLIntegerList& map) {
  if (no < 0) return no;
  if (no >= map.Count() || map.Get(no) == 0) return -1;
  return no - map.Get(no) + 1;
}

// Turns the usage list into the shift map and frees the unused styles.
void CleanCollection(TCustomVLInfos& infos, TVLIntegerList& used) {
  Integer counter = 1;
  for (Integer i = 0; i < used.Count(); ++i) {
    if (used.Get(i) == 0)
      ++counter;
    else
      used.Put(i, counter);
  }
  for (Integer i = infos.Count() - 1; i >= 0; --i)
    if (used.Get(i) == 0) infos.Delete(i);
  for (Integer i = 0; i < infos.Count(); ++i)
    for (Integer* ref : OwnReferences(infos.GetInfo(i))) *ref = NewNumber(*ref, used);
}

TVLIntegerList Identity(Integer count) { return TVLIntegerList::CreateFilled(count, 1); }

}  // namespace

void TCustomVLData::MarkStylesInUse(TVLIntegerList& textUsed, TVLIntegerList& paraUsed,
                                    TVLIntegerList& listUsed) {
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TCustomVLItemInfo* item = GetItem(i);
    // Items from files may name styles the sheet does not have; those marks
    // have no place to go.
    if (item->ParaNo >= paraUsed.Count() || (item->StyleNo >= textUsed.Count() && item->StyleNo != vlsDefStyle))
      continue;
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(item))
      if (m->ListNo >= listUsed.Count()) continue;
    item->MarkStylesInUse(textUsed, paraUsed, listUsed);
  }
}

void TCustomVLData::RenumberItemStyles(const TVLIntegerList& textMap, const TVLIntegerList& paraMap,
                                       const TVLIntegerList& listMap) {
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TCustomVLItemInfo* item = GetItem(i);
    if (item->ParaNo >= paraMap.Count() || (item->StyleNo >= textMap.Count() && item->StyleNo != vlsDefStyle))
      continue;
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(item))
      if (m->ListNo >= listMap.Count()) continue;
    item->UpdateStyles(textMap, paraMap, listMap);
  }
}

bool TCustomVLData::DeleteUnusedStyles(bool textStyles, bool paraStyles, bool listStyles) {
  TVLStyle* style = GetStyle();
  if (!style) return false;
  TFontInfos& fonts = *style->TextStyles;
  TParaInfos& paras = *style->ParaStyles;
  TVLListInfos& lists = *style->ListStyles;
  TVLIntegerList textUsed = TVLIntegerList::CreateFilled(fonts.Count(), textStyles ? 0 : 1);
  TVLIntegerList paraUsed = TVLIntegerList::CreateFilled(paras.Count(), paraStyles ? 0 : 1);
  TVLIntegerList listUsed = TVLIntegerList::CreateFilled(lists.Count(), listStyles ? 0 : 1);
  const Integer oldTextCount = fonts.Count();
  const Integer oldParaCount = paras.Count();
  const Integer oldListCount = lists.Count();

  if (textStyles && style->DefUnicodeStyle >= 0) {
    if (style->DefUnicodeStyle < fonts.Count())
      textUsed.Put(style->DefUnicodeStyle, 1);
    else
      style->DefUnicodeStyle = -1;
  }
  auto markStandard = [](TCustomVLInfos& infos, TVLIntegerList& used) {
    for (Integer i = 0; i < infos.Count(); ++i)
      if (infos.GetInfo(i)->Standard) used.Put(i, 1);
  };
  if (textStyles) markStandard(fonts, textUsed);
  if (paraStyles) markStandard(paras, paraUsed);
  if (listStyles) markStandard(lists, listUsed);

  MarkStylesInUse(textUsed, paraUsed, listUsed);

  if (paraStyles) CloseMarks(paras, paraUsed);
  if (textStyles) {
    for (Integer i = 0; i < paras.Count(); ++i) {
      Integer def = paras.Items(i)->DefStyleNo;
      if (paraUsed.Get(i) && def >= 0) {
        if (def < fonts.Count())
          textUsed.Put(def, 1);
        else
          paras.Items(i)->DefStyleNo = -1;
      }
    }
    CloseMarks(fonts, textUsed);
  }
  if (listStyles) CloseMarks(lists, listUsed);

  if (textStyles) {
    CleanCollection(fonts, textUsed);
    // Paragraph styles name their default text style by number too.
    for (Integer i = 0; i < paras.Count(); ++i) {
      TParaInfo* p = paras.Items(i);
      if (p->DefStyleNo >= 0) p->DefStyleNo = NewNumber(p->DefStyleNo, textUsed);
    }
  }
  if (paraStyles) CleanCollection(paras, paraUsed);
  if (listStyles) CleanCollection(lists, listUsed);

  if (textStyles && style->DefUnicodeStyle >= 0)
    style->DefUnicodeStyle = style->DefUnicodeStyle < oldTextCount ? NewNumber(style->DefUnicodeStyle, textUsed) : -1;

  // Nothing went: every number stands, and what refers to styles by number
  // (the editor's undo records among them) stays valid.
  if (fonts.Count() == oldTextCount && paras.Count() == oldParaCount && lists.Count() == oldListCount)
    return false;

  const TVLIntegerList textMap = textStyles ? textUsed : Identity(fonts.Count());
  const TVLIntegerList paraMap = paraStyles ? paraUsed : Identity(paras.Count());
  const TVLIntegerList listMap = listStyles ? listUsed : Identity(lists.Count());
  RenumberItemStyles(textMap, paraMap, listMap);
  RenumberStyles(textMap, paraMap, listMap);
  return true;
}
