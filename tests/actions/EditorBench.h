#pragma once
// Real editor controls on a form over one style sheet, reached by the
// actions through the adapter the program uses.
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/rtf/VLRTFImport.h"

#include <functional>
#include <string>

struct TEditorBench {
  TEditorBench() {
    Application->Initialize();
    VLRegisterRTFReader();  // as the program does at start-up
    Form = new TForm(Application);
    Sheet = new TVLStyle(Form);
    Edit = Make();
  }
  ~TEditorBench() { delete Form; }
  TVellumEdit* Make() {
    auto* e = new TVellumEdit(Form);
    e->SetParent(Form);
    e->SetBounds(0, 0, 400, 200);
    e->SetStyle(Sheet);
    return e;
  }
  static void Fill(TVellumEdit* e, const String& text) {
    e->Clear();
    e->AddTextItem(text, 0, 0);
    e->Format();
  }
  static String Text(TVellumEdit* e) {
    String s;
    for (Integer i = 0; i < e->ItemCount(); ++i) s += e->GetItemTextUtf8(i);
    return s;
  }
  // Characters from..to (0-based, end excluded) of a one-item document.
  static void Select(TVellumEdit* e, Integer from, Integer to) {
    e->SetSelectionBounds(0, e->GetItemStartOffset(0) + from, 0, e->GetItemStartOffset(0) + to);
  }
  // One plain text style and one default paragraph style, as a new journal
  // starts; styles the tests add come after them.
  void PlainSheet() {
    Sheet->TextStyles->Clear();
    Sheet->TextStyles->Add();
    Sheet->ParaStyles->Clear();
    Sheet->ParaStyles->Add();
  }
  Integer AddText(const std::function<void(TFontInfo&)>& change) {
    change(*Sheet->TextStyles->Add());
    return Sheet->TextStyles->Count() - 1;
  }
  Integer AddPara(const std::function<void(TParaInfo&)>& change) {
    change(*Sheet->ParaStyles->Add());
    return Sheet->ParaStyles->Count() - 1;
  }
  TFontInfo& Text(Integer no) { return *Sheet->TextStyles->Items(no); }
  TParaInfo& Para(Integer no) { return *Sheet->ParaStyles->Items(no); }
  // The items as "text:style" joined by "|", a paragraph's first with "/"
  // before it (the editor may join neighbours of one style).
  static std::string Runs(TVellumEdit* e) {
    std::string s;
    for (Integer i = 0; i < e->ItemCount(); ++i) {
      if (i) s += e->GetItem(i)->GetSameAsPrev() ? "|" : "/";
      s += e->GetItemTextUtf8(i) + ":" + std::to_string(e->GetItem(i)->StyleNo);
    }
    return s;
  }
  bool Bold(TVellumEdit* e, Integer item) {
    return Sheet->TextStyles->Items(e->GetItem(item)->StyleNo)->Style.Contains(fsBold);
  }
  TForm* Form;
  TVLStyle* Sheet;
  TVellumEdit* Edit;
};
