#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

String ShiftText(TShiftState s) {
  String t;
  if (s.Contains(ssShift)) t += "S";
  if (s.Contains(ssCtrl)) t += "C";
  if (s.Contains(ssAlt)) t += "A";
  if (s.Contains(ssLeft)) t += "L";
  return t;
}

// What OnKeyDown, OnKeyUp and OnKeyPress of an edit see for one toolkit key
// press and release.
struct TKeyProbe {
  TForm Form{nullptr};
  TEdit Edit{&Form};
  std::vector<Word> Downs, Ups;
  std::vector<String> DownShifts;
  std::vector<char16_t> Presses;

  TKeyProbe() {
    Edit.SetParent(&Form);
    Edit.OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
      Downs.push_back(key);
      DownShifts.push_back(ShiftText(shift));
    };
    Edit.OnKeyUp = [this](TObject*, Word& key, TShiftState) { Ups.push_back(key); };
    Edit.OnKeyPress = [this](TObject*, char16_t& key) { Presses.push_back(key); };
  }

  void Type(int qtKey, Qt::KeyboardModifiers mods, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, qtKey, mods, text);
    QCoreApplication::sendEvent(WidgetOf(&Edit), &down);
    QKeyEvent up(QEvent::KeyRelease, qtKey, mods, text);
    QCoreApplication::sendEvent(WidgetOf(&Edit), &up);
  }
};

TEST(KeyboardInput, ToolkitKeyEventsReachHandlersAsVirtualKeysAndShiftStates) {
  struct Case {
    int QtKey;
    Qt::KeyboardModifiers Mods;
    const char* Text;
    Word Vk;
    const char* Shift;
  };
  const Case cases[] = {
      {Qt::Key_A, Qt::NoModifier, "a", 'A', ""},
      {Qt::Key_A, Qt::ShiftModifier, "A", 'A', "S"},
      {Qt::Key_S, Qt::ControlModifier, "\x13", 'S', "C"},
      {Qt::Key_F4, Qt::AltModifier, "", VK_F4, "A"},
      {Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier, "", VK_F12, "SC"},
      {Qt::Key_F13, Qt::NoModifier, "", static_cast<Word>(VK_F12 + 1), ""},
      {Qt::Key_Return, Qt::NoModifier, "\r", VK_RETURN, ""},
      {Qt::Key_Enter, Qt::KeypadModifier, "\r", VK_RETURN, ""},
      {Qt::Key_Backtab, Qt::ShiftModifier, "", VK_TAB, "S"},
      {Qt::Key_Escape, Qt::NoModifier, "\x1b", VK_ESCAPE, ""},
      {Qt::Key_Delete, Qt::ControlModifier, "", VK_DELETE, "C"},
      {Qt::Key_PageDown, Qt::NoModifier, "", VK_NEXT, ""},
      {Qt::Key_Home, Qt::ShiftModifier, "", VK_HOME, "S"},
      // Shifted symbols report the key they sit on.
      {Qt::Key_Exclam, Qt::ShiftModifier, "!", '1', "S"},
      {Qt::Key_ParenRight, Qt::ShiftModifier, ")", '0', "S"},
      {Qt::Key_Colon, Qt::ShiftModifier, ":", VK_OEM_1, "S"},
      {Qt::Key_Underscore, Qt::ShiftModifier, "_", VK_OEM_MINUS, "S"},
      {Qt::Key_Equal, Qt::NoModifier, "=", VK_OEM_PLUS, ""},
      {Qt::Key_QuoteDbl, Qt::ShiftModifier, "\"", VK_OEM_7, "S"},
      {Qt::Key_Bar, Qt::ShiftModifier, "|", VK_OEM_5, "S"},
      // The numeric keypad's operators are keys of their own, not the
      // shifted digits or the main block's symbols.
      {Qt::Key_Asterisk, Qt::KeypadModifier, "*", VK_MULTIPLY, ""},
      {Qt::Key_Plus, Qt::KeypadModifier, "+", VK_ADD, ""},
      {Qt::Key_Minus, Qt::KeypadModifier, "-", VK_SUBTRACT, ""},
      {Qt::Key_Slash, Qt::KeypadModifier, "/", VK_DIVIDE, ""},
  };
  for (const Case& c : cases) {
    TKeyProbe probe;
    probe.Type(c.QtKey, c.Mods, QString::fromLatin1(c.Text));
    ASSERT_EQ(probe.Downs.size(), 1u) << c.QtKey;
    EXPECT_EQ(probe.Downs[0], c.Vk) << std::hex << c.QtKey;
    EXPECT_EQ(probe.DownShifts[0], c.Shift) << std::hex << c.QtKey;
    EXPECT_EQ(probe.Ups, std::vector<Word>{c.Vk}) << std::hex << c.QtKey;
  }
}

TEST(KeyboardInput, KeysWithoutAVirtualKeyAndCharactersUnderCtrlSkipTheKeyPhases) {
  TKeyProbe probe;
  probe.Type(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xE9)));
  EXPECT_TRUE(probe.Downs.empty());
  EXPECT_EQ(probe.Presses, std::vector<char16_t>{u'\xe9'});
  probe.Presses.clear();
  probe.Type(Qt::Key_C, Qt::ControlModifier, "\x03");  // the command, not a character
  EXPECT_EQ(probe.Downs, std::vector<Word>{'C'});
  EXPECT_TRUE(probe.Presses.empty());
  // A handler that zeroes the key swallows it: no character follows.
  probe.Edit.OnKeyDown = [](TObject*, Word& key, TShiftState) { key = 0; };
  probe.Type(Qt::Key_X, Qt::NoModifier, "x");
  EXPECT_TRUE(probe.Presses.empty());
  EXPECT_EQ(probe.Edit.GetText(), "\xC3\xA9");  // only the character typed first
}

TEST(KeyboardInput, VirtualKeysMapToToolkitKeysAndBack) {
  // Every virtual key the toolkit knows comes back from its toolkit key.
  int known = 0;
  for (int vk = 1; vk < 0xFF; ++vk) {
    const int qt = QtKeyFromVirtualKey(static_cast<Word>(vk));
    if (qt == 0) continue;
    ++known;
    EXPECT_EQ(VirtualKeyFromQtKey(qt), vk) << std::hex << vk;
  }
  EXPECT_GE(known, 26 + 10 + 24 + 30);
  // The unshifted key of each punctuation key is the one named.
  struct Case {
    Word Vk;
    int Qt;
  };
  for (const Case& c : {Case{VK_OEM_1, Qt::Key_Semicolon}, Case{VK_OEM_PLUS, Qt::Key_Equal},
                        Case{VK_OEM_COMMA, Qt::Key_Comma}, Case{VK_OEM_MINUS, Qt::Key_Minus},
                        Case{VK_OEM_PERIOD, Qt::Key_Period}, Case{VK_OEM_2, Qt::Key_Slash},
                        Case{VK_OEM_3, Qt::Key_QuoteLeft}, Case{VK_OEM_4, Qt::Key_BracketLeft},
                        Case{VK_OEM_5, Qt::Key_Backslash}, Case{VK_OEM_6, Qt::Key_BracketRight},
                        Case{VK_OEM_7, Qt::Key_Apostrophe}, Case{VK_TAB, Qt::Key_Tab},
                        Case{VK_RETURN, Qt::Key_Return}, Case{VK_F1 + 23, Qt::Key_F24}}) {
    EXPECT_EQ(QtKeyFromVirtualKey(c.Vk), c.Qt) << std::hex << c.Vk;
  }
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F25), 0);
  EXPECT_EQ(QtKeyFromVirtualKey(0), 0);
}

TEST(KeyboardInput, EveryNamedShortCutSurvivesTextWithEveryModifierSet) {
  const TShortCut modSets[] = {0, scShift, scCtrl, scAlt, scShift | scCtrl, scShift | scAlt, scCtrl | scAlt,
                               scShift | scCtrl | scAlt};
  int named = 0;
  for (Word key = 1; key < 0xFF; ++key) {
    const String plain = ShortCutToText(key);
    if (plain.empty()) continue;
    ++named;
    for (TShortCut mods : modSets) {
      const TShortCut sc = static_cast<TShortCut>(key | mods);
      const String text = ShortCutToText(sc);
      EXPECT_EQ(TextToShortCut(text), sc) << text;
      Word k = 0;
      TShiftState s;
      ShortCutToKey(sc, k, s);
      EXPECT_EQ(ShortCut(k, s), sc) << text;
    }
  }
  EXPECT_GE(named, 26 + 10 + 12 + 15 + 8);
  struct Case {
    const char* Text;
    TShortCut Sc;
  };
  for (const Case& c : {Case{"Ctrl+-", static_cast<TShortCut>(scCtrl | VK_OEM_MINUS)},
                        Case{"Ctrl+=", static_cast<TShortCut>(scCtrl | VK_OEM_PLUS)},
                        Case{"alt+shift+f4", static_cast<TShortCut>(scAlt | scShift | VK_F4)},
                        Case{"Ctrl+", 0}, Case{"Shift+", 0}, Case{"", 0}, Case{"F13", 0}, Case{"Ctrl+SS", 0}}) {
    EXPECT_EQ(TextToShortCut(c.Text), c.Sc) << c.Text;
  }
  EXPECT_EQ(ShortCut(0x1234, {ssCtrl}), 0);  // not a key
}

TEST(KeyboardInput, MenuShortCutsFireOnTheKeysTheirTextNames) {
  // The toolkit matches what the key produces; the shortcut must name the
  // key the text shows, unshifted.
  struct Case {
    TShortCut Sc;
    QKeySequence Expected;
  };
  const Case cases[] = {
      {static_cast<TShortCut>(scCtrl | VK_OEM_PLUS), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
      {static_cast<TShortCut>(scCtrl | VK_OEM_MINUS), QKeySequence(Qt::CTRL | Qt::Key_Minus)},
      {static_cast<TShortCut>(scCtrl | VK_OEM_4), QKeySequence(Qt::CTRL | Qt::Key_BracketLeft)},
      {static_cast<TShortCut>(scShift | scCtrl | 'Z'), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
      {static_cast<TShortCut>(scAlt | VK_F4), QKeySequence(Qt::ALT | Qt::Key_F4)},
      {VK_DELETE, QKeySequence(Qt::Key_Delete)},
      {scNone, QKeySequence()},
  };
  TForm form(nullptr);
  TMainMenu menu(&form);
  for (const Case& c : cases) {
    auto* item = new TMenuItem(nullptr);
    menu.Items()->Add(item);
    item->SetCaption("x");
    item->SetShortCut(c.Sc);
    EXPECT_EQ(item->Handle()->shortcut(), c.Expected) << ShortCutToText(c.Sc);
  }
}

}  // namespace
