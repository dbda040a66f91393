#pragma once
// An editor control 400 x 300 on a shown form, with a style sheet of real
// fonts (all Unicode, style 1 bold), driven by toolkit key and input-method
// events as a user's keyboard would send them.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLUni.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace qytest {

struct TEditor {
  TEditor() : Style(nullptr) {
    while (Style.TextStyles->Count() < 2) Style.TextStyles->Add();
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) {
      Style.TextStyles->Items(i)->FontName = "Arial";
      Style.TextStyles->Items(i)->Size = 10;
      Style.TextStyles->Items(i)->Unicode = true;
    }
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    Style.UseSound = true;
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 420, 320);
    Edit = new TVellumEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(0, 0, 400, 300);
    Edit->SetStyle(&Style);
    Form->Show();
    Edit->SetFocus();
    QApplication::processEvents();
  }
  ~TEditor() { Form.reset(); }

  QWidget* W() const { return WidgetOf(Edit); }
  TVLEditVLData& D() const { return *Edit->EditData(); }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(W(), key, mods); }
  void Type(const char* text) { QTest::keyClicks(W(), text); }
  // A key press with exactly this text (dead keys, unmapped combinations).
  void RawKey(int key, Qt::KeyboardModifiers mods, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(W(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(W(), &release);
  }
  void Commit(const char16_t* text) {
    QInputMethodEvent e;
    e.setCommitString(QString::fromUtf16(text));
    QCoreApplication::sendEvent(W(), &e);
  }
  void Preedit(const char16_t* text) {
    QInputMethodEvent e(QString::fromUtf16(text), {});
    QCoreApplication::sendEvent(W(), &e);
  }
  // Item texts in UTF-8, paragraphs separated by "|", lines by "/".
  std::string Text() const {
    std::string r;
    for (Integer i = 0; i < Edit->ItemCount(); ++i) {
      TCustomVLItemInfo* item = Edit->GetItem(i);
      if (i > 0 && item->IsParaStart()) r += "|";
      else if (i > 0 && item->GetBR()) r += "/";
      r += item->StyleNo < 0 ? "#" : Edit->GetItemTextUtf8(i);
    }
    return r;
  }

  TVLStyle Style;
  std::unique_ptr<TForm> Form;
  TVellumEdit* Edit;
};

}  // namespace qytest
