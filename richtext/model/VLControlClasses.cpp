#include "richtext/model/VLControlClasses.h"

#include "platform/base/PropStream.h"
#include "platform/base/Streams.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TVLControlClass>& Classes();

const std::initializer_list<const char*> AlignmentNames{"taLeftJustify", "taRightJustify", "taCenter"};
const std::initializer_list<const char*> BevelNames{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const std::initializer_list<const char*> BorderNames{"bsNone", "bsSingle"};
const std::initializer_list<const char*> ScrollNames{"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
const std::initializer_list<const char*> FontStyleNames{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

void DeclareText(TControl& c, TPropertyList& l, const char* name) {
  l.AddStringProp(name, [&c] { return c.GetText(); }, [&c](const AnsiString& v) { c.SetText(v); }, "");
}

template <class T>
TVLControlClass MakeClass(const char* name, std::function<void(T&, TPropertyList&)> declare) {
  TVLControlClass cls;
  cls.Name = name;
  cls.Create = [](TComponent* owner) -> TControl* {
    auto* c = new T(owner);
    c->SetVisible(false);
    return c;
  };
  cls.IsOf = [](const TControl* c) { return c && typeid(*c) == typeid(T); };
  cls.Declare = [declare](TControl& c, TPropertyList& l) { declare(static_cast<T&>(c), l); };
  return cls;
}

std::vector<TVLControlClass>& Classes() {
  static std::vector<TVLControlClass> classes = [] {
    std::vector<TVLControlClass> v;
    v.push_back(MakeClass<TButton>("TButton", [](TButton& c, TPropertyList& l) { DeclareText(c, l, "Caption"); }));
    v.push_back(MakeClass<TEdit>("TEdit", [](TEdit& c, TPropertyList& l) {
      DeclareText(c, l, "Text");
      l.AddBoolProp("ReadOnly", [&c] { return c.GetReadOnly(); }, [&c](bool b) { c.SetReadOnly(b); }, false);
      l.AddIntProp("MaxLength", [&c] { return Int64{c.GetMaxLength()}; },
                   [&c](Int64 v) { c.SetMaxLength(static_cast<int>(v)); }, 0);
    }));
    v.push_back(MakeClass<TMemo>("TMemo", [](TMemo& c, TPropertyList& l) {
      DeclareText(c, l, "Text");
      l.AddBoolProp("ReadOnly", [&c] { return c.GetReadOnly(); }, [&c](bool b) { c.SetReadOnly(b); }, false);
      l.AddBoolProp("WordWrap", [&c] { return c.GetWordWrap(); }, [&c](bool b) { c.SetWordWrap(b); }, true);
      l.AddEnumProp("Alignment", [&c] { return Int64{c.GetAlignment()}; },
                    [&c](Int64 v) { c.SetAlignment(static_cast<TAlignment>(v)); }, AlignmentNames, taLeftJustify);
      l.AddEnumProp("ScrollBars", [&c] { return Int64{c.GetScrollBars()}; },
                    [&c](Int64 v) { c.SetScrollBars(static_cast<TScrollStyle>(v)); }, ScrollNames, ssNone);
    }));
    v.push_back(MakeClass<TPanel>("TPanel", [](TPanel& c, TPropertyList& l) {
      DeclareText(c, l, "Caption");
      l.AddEnumProp("Alignment", [&c] { return Int64{c.GetAlignment()}; },
                    [&c](Int64 v) { c.SetAlignment(static_cast<TAlignment>(v)); }, AlignmentNames, taCenter);
      l.AddEnumProp("BevelOuter", [&c] { return Int64{c.GetBevelOuter()}; },
                    [&c](Int64 v) { c.SetBevelOuter(static_cast<TBevelCut>(v)); }, BevelNames, bvRaised);
      l.AddEnumProp("BevelInner", [&c] { return Int64{c.GetBevelInner()}; },
                    [&c](Int64 v) { c.SetBevelInner(static_cast<TBevelCut>(v)); }, BevelNames, bvNone);
      l.AddIntProp("BevelWidth", [&c] { return Int64{c.GetBevelWidth()}; },
                   [&c](Int64 v) { c.SetBevelWidth(static_cast<int>(v)); }, 1);
      l.AddEnumProp("BorderStyle", [&c] { return Int64{c.GetBorderStyle()}; },
                    [&c](Int64 v) { c.SetBorderStyle(static_cast<TBorderStyle>(v)); }, BorderNames, bsNone);
      l.AddBool("ShowCaption", c.ShowCaption, true);
    }));
    return v;
  }();
  return classes;
}

// The stored state of one control: common properties, its class's own and
// its children.
class TControlState : public TPersistent {
public:
  TControlState(TControl& control, const TVLControlClass& cls) : C(control), K(cls) {}

  void DeclareProperties(TPropertyList& l) override {
    TPersistent::DeclareProperties(l);
    TControl& c = C;
    l.AddIntProp("Left", [&c] { return Int64{c.GetLeft()}; }, [&c](Int64 v) { c.SetLeft(static_cast<Integer>(v)); }, 0);
    l.AddIntProp("Top", [&c] { return Int64{c.GetTop()}; }, [&c](Int64 v) { c.SetTop(static_cast<Integer>(v)); }, 0);
    l.AddIntProp("Width", [&c] { return Int64{c.GetWidth()}; }, [&c](Int64 v) { c.SetWidth(static_cast<Integer>(v)); }, 0)
        .Min = 0;
    l.AddIntProp("Height", [&c] { return Int64{c.GetHeight()}; }, [&c](Int64 v) { c.SetHeight(static_cast<Integer>(v)); }, 0)
        .Min = 0;
    l.AddIntProp("Color", [&c] { return Int64{c.GetColor()}; }, [&c](Int64 v) { c.SetColor(static_cast<TColor>(v)); },
                 clDefault);
    l.AddBoolProp("Enabled", [&c] { return c.GetEnabled(); }, [&c](bool b) { c.SetEnabled(b); }, true);
    l.AddStringProp("Hint", [&c] { return c.GetHint(); }, [&c](const AnsiString& v) { c.SetHint(v); }, "");
    l.AddStringProp("FontName", [&c] { return c.Font.GetName(); }, [&c](const AnsiString& v) { c.Font.SetName(v); }, "");
    l.AddIntProp("FontHeight", [&c] { return Int64{c.Font.GetHeight()}; },
                 [&c](Int64 v) { c.Font.SetHeight(static_cast<Integer>(v)); }, 0);
    l.AddIntProp("FontColor", [&c] { return Int64{c.Font.GetColor()}; },
                 [&c](Int64 v) { c.Font.SetColor(static_cast<TColor>(v)); }, clWindowText);
    l.AddSetProp("FontStyle", [&c] { return c.Font.GetStyle().ToMask(); },
                 [&c](uint64_t m) { c.Font.SetStyle(TFontStyles::FromMask(m)); }, FontStyleNames, 0);
    if (auto* w = dynamic_cast<TWinControl*>(&c)) l.AddBool("TabStop", w->TabStop, true);
    K.Declare(c, l);
  }

  void DefineProperties(TFiler& f) override {
    TPersistent::DefineProperties(f);
    auto* parent = dynamic_cast<TWinControl*>(&C);
    if (!parent) return;
    bool any = false;
    for (int i = 0; i < parent->ControlCount(); ++i) any = any || VLControlClassOf(parent->Controls(i));
    f.DefineBinaryProperty(
        "Controls", [parent](TStream& s) { ReadChildren(*parent, s); },
        [parent](TStream& s) { WriteChildren(*parent, s); }, any);
  }

private:
  static void WriteChildren(TWinControl& parent, TStream& s) {
    TWriter w(s);
    for (int i = 0; i < parent.ControlCount(); ++i) {
      TControl* child = parent.Controls(i);
      if (!VLControlClassOf(child)) continue;
      w.WriteIdent(VLControlClassOf(child)->Name);
      w.WriteBinary(VLControlToBytes(*child));
    }
    w.WriteListEnd();
  }

  static void ReadChildren(TWinControl& parent, TStream& s) {
    TReader r(s);
    while (!r.EndOfList()) {
      const String name = r.ReadIdent();
      const AnsiString bytes = r.ReadBinary();
      const TVLControlClass* cls = FindVLControlClass(name);
      if (!cls) continue;
      TControl* child = cls->Create(&parent);
      child->SetParent(&parent);
      if (!VLControlFromBytes(*child, bytes)) throw EReadError("Invalid control data");
      child->SetVisible(true);
    }
    r.ReadListEnd();
  }

  TControl& C;
  const TVLControlClass& K;
};

}  // namespace

void RegisterVLControlClass(const TVLControlClass& cls) {
  for (TVLControlClass& c : Classes())
    if (c.Name == cls.Name) {
      c = cls;
      return;
    }
  Classes().push_back(cls);
}

void UnregisterVLControlClass(const String& name) {
  auto& all = Classes();
  all.erase(std::remove_if(all.begin(), all.end(), [&](const TVLControlClass& c) { return c.Name == name; }), all.end());
}

const TVLControlClass* FindVLControlClass(const String& name) {
  for (const TVLControlClass& c : Classes())
    if (c.Name == name) return &c;
  return nullptr;
}

const TVLControlClass* VLControlClassOf(const TControl* control) {
  if (!control) return nullptr;
  for (const TVLControlClass& c : Classes())
    if (c.IsOf(control)) return &c;
  return nullptr;
}

AnsiString VLControlToBytes(TControl& control) {
  const TVLControlClass* cls = VLControlClassOf(&control);
  if (!cls) return {};
  TControlState state(control, *cls);
  TMemoryStream s;
  TWriter w(s);
  w.WriteProperties(state);
  w.WriteListEnd();
  s.SetPosition(0);
  return s.ReadBytes(s.Remaining());
}

bool VLControlFromBytes(TControl& control, const AnsiString& bytes) {
  const TVLControlClass* cls = VLControlClassOf(&control);
  if (!cls) return false;
  try {
    TControlState state(control, *cls);
    TStringStream s(bytes);
    TReader r(s);
    r.ReadProperties(state);
    return s.Remaining() == 0;
  } catch (const Exception&) {
    return false;
  }
}
