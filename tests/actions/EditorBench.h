#pragma once
// Real editor controls on a form over one style sheet, reached by the
// actions through the adapter the program uses.
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/rtf/VLRTFImport.h"

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
  bool Bold(TVellumEdit* e, Integer item) {
    return Sheet->TextStyles->Items(e->GetItem(item)->StyleNo)->Style.Contains(fsBold);
  }
  TForm* Form;
  TVLStyle* Sheet;
  TVellumEdit* Edit;
};
