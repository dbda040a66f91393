#include "actions/VLFontCombos.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/FontList.h"
#include "platform/gui/Forms.h"

namespace {
TObject* AsObject(intptr_t v) { return reinterpret_cast<TObject*>(v); }
intptr_t FromObject(TObject* o) { return reinterpret_cast<intptr_t>(o); }
}  // namespace

TVLFontComboBox::TVLFontComboBox(TComponent* AOwner) : TSimpleComboBox(AOwner) { Refill(); }

void TVLFontComboBox::Refill() { Items().Assign(&Screen->Fonts()); }

TVLFontDropDownComboBox::TVLFontDropDownComboBox(TComponent* AOwner) : TComboBox(AOwner) {
  SetStyle(csDropDownList);
  Items().Assign(&Screen->Fonts());
}

bool TVLFontDropDownComboBox::SelectFont(const String& Name) {
  for (int i = 0; i < Items().Count(); ++i)
    if (SameText(Items().Get(i), Name)) {
      SetItemIndex(i);
      return true;
    }
  SetItemIndex(Items().Count() > 0 ? 0 : -1);
  return false;
}

// ---------------------------------------------------------------------------

void InsertFontSize(TStrings& Items, Integer Size) {
  for (int i = 0; i < Items.Count(); ++i) {
    const Integer n = StrToIntDef(Items.Get(i), 0);
    if (n == Size) return;
    if (n > Size) {
      Items.Insert(i, IntToStr(Size));
      return;
    }
  }
  Items.Add(IntToStr(Size));
}

TVLFontSizeComboBox::TVLFontSizeComboBox(TComponent* AOwner) : TSimpleComboBox(AOwner) {
  OnChange = [this](TObject*) {
    const String text = GetText();
    String digits;
    for (char ch : text)
      if (ch >= '0' && ch <= '9') digits += ch;
    if (digits == text) return;
    SetText(digits);
    MessageBeep(0);
  };
}

void TVLFontSizeComboBox::SetFontName(const String& value) {
  FFontName = value;
  Refill();
}

void TVLFontSizeComboBox::Refill() {
  Items().Clear();
  if (FFontName.empty()) return;
  for (Integer size : FontPointSizes(FFontName)) InsertFontSize(Items(), size);
  TNotifyEvent click = OnClick;
  OnClick = nullptr;
  const int index = Items().IndexOf(GetText());
  if (index >= 0) SetItemIndex(index);
  OnClick = click;
  if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------

TVLFontCharsetComboBox::TVLFontCharsetComboBox(TComponent* AOwner) : TComboBox(AOwner) {
  SetStyle(csDropDownList);
}

void TVLFontCharsetComboBox::SetFontName(const String& value) {
  FFontName = value;
  Refill();
}

void TVLFontCharsetComboBox::SetAddDefaultCharset(bool value) {
  if (FAddDefaultCharset == value) return;
  FAddDefaultCharset = value;
  Refill();
}

TFontCharset TVLFontCharsetComboBox::Charsets(int Index) {
  return static_cast<TFontCharset>(FromObject(Items().GetObject(Index)));
}

int TVLFontCharsetComboBox::IndexOfCharset(TFontCharset Charset) {
  for (int i = 0; i < Items().Count(); ++i)
    if (Charsets(i) == Charset) return i;
  return -1;
}

void TVLFontCharsetComboBox::Fill(const std::vector<std::pair<TFontCharset, String>>& Scripts) {
  const int old = GetItemIndex();
  const int remembered = old >= 0 ? Charsets(old) : -1;
  Items().Clear();
  for (const auto& [charset, name] : Scripts) {
    if (charset == 77 || IndexOfCharset(charset) >= 0) continue;
    int at = Items().Count();
    for (int i = 0; i < Items().Count(); ++i)
      if (AnsiCompareText(Items().Get(i), name) > 0) {
        at = i;
        break;
      }
    Items().InsertObject(at, name, AsObject(charset));
  }
  if (FAddDefaultCharset) Items().AddObject(DefaultCharsetCaption, AsObject(DEFAULT_CHARSET));
  const int index = remembered >= 0 ? IndexOfCharset(static_cast<TFontCharset>(remembered)) : -1;
  TNotifyEvent click = OnClick;
  OnClick = nullptr;
  SetItemIndex(index >= 0 ? index : (Items().Count() > 0 ? 0 : -1));
  OnClick = click;
  if (OnClick) OnClick(this);
}

void TVLFontCharsetComboBox::Refill() {
  if (FFontName.empty()) {
    Items().Clear();
    return;
  }
  std::vector<std::pair<TFontCharset, String>> scripts;
  for (TFontCharset cs : FontCharsets(FFontName)) {
    const String name = CharsetScriptName(cs);
    if (!name.empty()) scripts.emplace_back(cs, name);
  }
  Fill(scripts);
}
