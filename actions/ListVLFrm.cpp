#include "actions/ListVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/gui/Clipbrd.h"

namespace {
template <typename T>
T* MakeControl(TWinControl* form, const char* name, Integer left, Integer top, Integer width, Integer height) {
  T* c = new T(form);
  c->SetName(name);
  c->SetParent(form);
  c->SetBounds(left, top, width, height);
  return c;
}
}  // namespace

TfrmVLList::TfrmVLList(TComponent* AOwner) : TfrmVLBase(AOwner) {
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 260, 236);
  SetClientWidth(260);
  SetClientHeight(236);
  Position = poScreenCenter;
  Label1 = MakeControl<TLabel>(this, "Label1", 8, 8, 240, 16);
  lst = MakeControl<TListBox>(this, "lst", 8, 28, 244, 160);
  Label1->SetFocusControl(lst);
  lst->OnDblClick = [this](TObject*) {
    if (lst->GetItemIndex() >= 0) ModalResult = mrOk;
  };
  btnOk = MakeControl<TButton>(this, "btnOk", 92, 200, 80, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = MakeControl<TButton>(this, "btnCancel", 176, 200, 80, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
}

void TfrmVLList::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
}

void TfrmVLList::FillPasteFormats(const String& VLFName) {
  SetFormCaption(LanguageText(414));
  Label1->SetText(LanguageText(415));
  TStrings& items = lst->Items();
  items.Clear();
  TClipboard& clip = Clipboard();
  const struct {
    Word Format;
    int Code;
    String Text;
  } formats[] = {
      {RegisterClipboardFormat("Vellum Format"), 1, VLFName},
      {RegisterClipboardFormat("Rich Text Format"), 2, LanguageText(416)},
      {CF_TEXT, 3, LanguageText(418)},
      {CF_UNICODETEXT, 4, LanguageText(419)},
      {CF_BITMAP, 5, LanguageText(420)},
      {CF_METAFILEPICT, 6, LanguageText(421)},
  };
  for (const auto& f : formats)
    if (clip.HasFormat(f.Format)) items.AddObject(f.Text, reinterpret_cast<TObject*>(static_cast<intptr_t>(f.Code)));
  if (items.Count() > 0) lst->SetItemIndex(0);
  HelpContext = 91300;
}

int TfrmVLList::SelectedCode() {
  int i = lst->GetItemIndex();
  if (i < 0) return -1;
  return static_cast<int>(reinterpret_cast<intptr_t>(lst->Items().GetObject(i)));
}
