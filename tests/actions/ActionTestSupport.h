#pragma once
// A form holding one fake editor over a style sheet of plain text styles,
// the ground the action tests stand on.
#include "FakeEditor.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"

#include <memory>

struct TActionBench {
  TActionBench() {
    Application->Initialize();
    Form = new TForm(Application);
    Sheet = new TVLStyle(Form);
    Sheet->TextStyles->Clear();
    Sheet->TextStyles->Add();  // style 0: plain Arial 10
    Sheet->ParaStyles->Clear();
    Sheet->ParaStyles->Add();  // paragraph style 0: the defaults
    Editor = new TFakeEditor(Form, Sheet);
    Editor->SetParent(Form);
  }
  ~TActionBench() { delete Form; }
  TFontInfo& Text(Integer no) { return *Sheet->TextStyles->Items(no); }
  TParaInfo& Para(Integer no) { return *Sheet->ParaStyles->Items(no); }
  Integer AddText(std::function<void(TFontInfo&)> change) {
    TFontInfo* s = Sheet->TextStyles->Add();
    change(*s);
    return Sheet->TextStyles->Count() - 1;
  }
  Integer AddPara(std::function<void(TParaInfo&)> change) {
    TParaInfo* s = Sheet->ParaStyles->Add();
    change(*s);
    return Sheet->ParaStyles->Count() - 1;
  }
  // Runs an action the way a menu item does: update, then execute.
  static bool Run(TBasicAction& action) { return action.Execute(); }

  TForm* Form;
  TVLStyle* Sheet;
  TFakeEditor* Editor;
};
