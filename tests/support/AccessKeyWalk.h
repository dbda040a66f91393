#pragma once
// Walks a dialog by keyboard alone: each key a caption shows ("&X") is
// pressed with Alt in a copy of the dialog of its own, as it opens, and
// checked to do what a click does. A button is pressed, a check box
// toggled, a radio or picture button checked, each taking the focus; a
// label's key moves the focus to its control (a label that shows a key but
// names no control is a fault); a group's key into the group. A key two
// controls show moves the focus from one to the other.
// CheckKeys walks the same keys faster, for walking a dialog in many
// languages; CheckOpenKeys walks a dialog already open in the middle of its
// work, CheckWindowKeys a window of the toolkit's own widgets.
#include "actions/VLOfficeRadioBtn.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/QtText.h"
#include "platform/gui/StdCtrls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

namespace qytest::keywalk {


inline void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// A pushed button clicks a little later, as the toolkit animates it.
inline void SettleClick() {
  QTest::qWait(150);
  Settle();
}

inline bool Shown(TControl* c) {
  for (TControl* p = c; p; p = p->GetParent())
    if (!p->GetVisible()) return false;
  return WidgetOf(c) && WidgetOf(c)->isVisible();
}

// The control the keyboard is in.
inline TControl* FocusedControl() {
  QWidget* f = QApplication::focusWidget();
  return f ? TControl::FromWidget(f) : nullptr;
}

// The controls in view, each with its place in the tree of controls (the
// same in every copy of a dialog).
inline void Collect(TWinControl* parent, std::vector<TControl*>& out, std::vector<std::vector<int>>* paths = nullptr,
             std::vector<int> path = {}) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!Shown(c)) continue;
    path.push_back(i);
    out.push_back(c);
    if (paths) paths->push_back(path);
    if (auto* w = dynamic_cast<TWinControl*>(c)) Collect(w, out, paths, path);
    path.pop_back();
  }
}

inline TControl* ControlAt(TWinControl* form, const std::vector<int>& path) {
  TControl* c = form;
  for (int i : path) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || i >= w->ControlCount()) return nullptr;
    c = w->Controls(i);
  }
  return c;
}

// Alt with the key of a letter of any script, as a keyboard sends it: Alt
// down, the capital letter's code as the key with the small letter as the
// text, Alt up.
inline void PressAlt(QWidget* to, int key) {
  const QPointer<QWidget> target(to);
  QTest::sendKeyEvent(QTest::Press, to, Qt::Key_Alt, QString(), Qt::NoModifier);
  QTest::sendKeyEvent(QTest::Click, to, static_cast<Qt::Key>(key), QString(QChar(key)).toLower(), Qt::AltModifier);
  if (target) QTest::sendKeyEvent(QTest::Release, to, Qt::Key_Alt, QString(), Qt::AltModifier);
}

// Some other control that takes the focus: where each key starts from.
inline TWinControl* Elsewhere(const std::vector<TControl*>& shown, TControl* target, TWinControl* avoid) {
  for (TControl* c : shown)
    if (auto* w = dynamic_cast<TWinControl*>(c);
        w && c != target && w != avoid && w->CanFocus() && !dynamic_cast<TVLOfficeRadioButton*>(c) &&
        !dynamic_cast<TVLOfficeRadioGroup*>(c) && !dynamic_cast<TRadioButton*>(c) &&
        !dynamic_cast<TSpeedButton*>(c) && (dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c) ||
                                            dynamic_cast<TCustomEdit*>(c) || dynamic_cast<TComboBox*>(c)))
      return w;
  return nullptr;
}

// Alt with the key of target's caption, from the focus elsewhere; "" when it
// did what a click does, else what went wrong.
inline std::string PressKeyOf(TCustomForm* form, TControl* target, const std::vector<TControl*>& shown) {
  const QKeySequence key = QKeySequence::mnemonic(ToQ(target->GetText()));
  const Qt::Key letter = key[0].key();
  auto press = [&] {
    QWidget* from = QApplication::focusWidget() ? QApplication::focusWidget() : WindowWidgetOf(form);
    PressAlt(from, letter);
    Settle();
  };
  auto start = [&](TWinControl* avoid) {
    if (TWinControl* other = Elsewhere(shown, target, avoid)) other->SetFocus();
    Settle();
  };
  auto focusedOn = [&](TControl* c) {
    TControl* f = FocusedControl();
    for (TControl* p = f; p; p = p->GetParent())
      if (p == c) return true;
    return false;
  };
  // Each key leaves the dialog as it found it: a choice may show, hide or
  // disable other controls.
  if (auto* button = dynamic_cast<TVLOfficeRadioButton*>(target)) {
    TVLOfficeRadioButton* was = nullptr;
    for (TControl* c : shown)
      if (auto* s = dynamic_cast<TVLOfficeRadioButton*>(c); s && s->GetParent() == button->GetParent() && s->GetChecked())
        was = s;
    struct TRestore {
      TVLOfficeRadioButton *Button, *Was;
      ~TRestore() {
        if (Was) Was->SetChecked(true);
        else Button->SetChecked(false);
      }
    } restore{button, was};
    if (button->GetChecked()) {
      // A sibling checked, so that the key has something to do.
      for (TControl* c : shown)
        if (auto* s = dynamic_cast<TVLOfficeRadioButton*>(c);
            s && s != button && s->GetParent() == button->GetParent() && s->CanCheck()) {
          s->SetChecked(true);
          break;
        }
      button->SetChecked(false);
    }
    start(nullptr);
    press();
    if (!button->GetChecked()) return "the picture button is not checked";
    if (!button->Focused()) return "the picture button has not the focus";
    return "";
  }
  if (auto* group = dynamic_cast<TVLOfficeRadioGroup*>(target)) {
    start(nullptr);
    press();
    return focusedOn(group) ? "" : "the focus is not in the group";
  }
  if (auto* check = dynamic_cast<TCheckBox*>(target)) {
    start(check);
    const bool was = check->GetChecked();
    press();
    SettleClick();
    const bool changed = check->GetChecked() != was, focused = check->Focused();
    check->SetChecked(was);
    if (!changed) return "the check box did not change";
    if (!focused) return "the check box has not the focus";
    return "";
  }
  if (auto* radio = dynamic_cast<TRadioButton*>(target)) {
    TRadioButton* was = nullptr;
    for (TControl* c : shown)
      if (auto* s = dynamic_cast<TRadioButton*>(c); s && s->GetParent() == radio->GetParent() && s->GetChecked())
        was = s;
    struct TRestore {
      TRadioButton* Was;
      ~TRestore() {
        if (Was) Was->SetChecked(true);
      }
    } restore{was};
    for (TControl* c : shown)
      if (auto* s = dynamic_cast<TRadioButton*>(c); s && s != radio && s->GetParent() == radio->GetParent()) {
        s->SetChecked(true);
        break;
      }
    start(nullptr);
    press();
    SettleClick();
    if (!radio->GetChecked()) return "the radio button is not checked";
    if (!radio->Focused()) return "the radio button has not the focus";
    return "";
  }
  if (auto* button = dynamic_cast<TButton*>(target)) {
    // Counted, not run: some open dialogs of their own.
    int clicks = 0;
    const TNotifyEvent was = button->OnClick;
    const TModalResult result = button->ModalResult;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    button->ModalResult = mrNone;
    start(button);
    press();
    SettleClick();
    button->OnClick = was;
    button->ModalResult = result;
    if (clicks != 1) return "the button was pressed " + std::to_string(clicks) + " times";
    if (!button->Focused()) return "the button has not the focus";
    return "";
  }
  if (auto* label = dynamic_cast<TLabel*>(target)) {
    auto* q = qobject_cast<QLabel*>(WidgetOf(label));
    QWidget* buddy = q ? q->buddy() : nullptr;
    if (!buddy) return "the label shows a key but has no control";
    TControl* to = TControl::FromWidget(buddy);
    start(dynamic_cast<TWinControl*>(to));
    press();
    if (focusedOn(to)) return "";
    QWidget* f = QApplication::focusWidget();
    return std::string("the focus is not in the label's control but in ") + (f ? f->metaObject()->className() : "none") +
           " " + (FocusedControl() ? FocusedControl()->GetName() : "") + "; buddy " + buddy->metaObject()->className();
  }
  if (auto* box = dynamic_cast<TGroupBox*>(target)) {
    start(nullptr);
    press();
    return focusedOn(box) ? "" : "the focus is not in the group";
  }
  if (auto* page = dynamic_cast<TTabSheet*>(target)) {
    auto* pages = dynamic_cast<TPageControl*>(page->GetParent());
    if (!pages) return "a page outside a page control";
    press();
    return pages->GetActivePage() == page ? "" : "the page is not turned to";
  }
  return std::string("a key on a ") + typeid(*target).name() + " is not checked here";
}

// Whether the key of c can do anything: a disabled control, or a label
// whose control is, takes none (as a click does nothing there).
inline bool Usable(TControl* c) {
  if (auto* label = dynamic_cast<TLabel*>(c)) {
    auto* q = qobject_cast<QLabel*>(WidgetOf(label));
    auto* to = q && q->buddy() ? dynamic_cast<TWinControl*>(TControl::FromWidget(q->buddy())) : nullptr;
    return !to || to->CanFocus();
  }
  if (auto* w = dynamic_cast<TWinControl*>(c)) return w->CanFocus();
  return c->GetEnabled();
}

// Where the focus lands for the key of c: c, or a label's control.
inline TControl* FocusTarget(TControl* c) {
  if (auto* label = dynamic_cast<TLabel*>(c)) {
    auto* q = qobject_cast<QLabel*>(WidgetOf(label));
    return q && q->buddy() ? TControl::FromWidget(q->buddy()) : nullptr;
  }
  return c;
}

// Makes window the active one, as a click on it does, and waits until it is
// and stays so. The application's active window is asked: a window counts
// as active while a dialog it owns has the focus, and a window manager may
// hand the focus back to a window it has just mapped.
inline testing::AssertionResult ActivateWindow(QWidget* window) {
  constexpr int kTries = 10, kActiveWithin = 6000, kStays = 250;
  auto active = [window] { return QApplication::activeWindow() == window; };
  for (int attempt = 0; attempt < kTries; ++attempt) {
    window->activateWindow();
    if (!QTest::qWaitFor(active, kActiveWithin)) continue;
    if (!QTest::qWaitFor([&] { return !active(); }, kStays)) return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "the window \"" << window->windowTitle().toStdString()
                                     << "\" did not become the active one and stay so for " << kStays << " ms ("
                                     << kTries << " tries of up to " << kActiveWithin << " ms)";
}

using TMakeDialog = std::function<TCustomForm*()>;
using TTurnPage = std::function<void(TCustomForm*)>;

inline std::unique_ptr<TCustomForm> Open(const TMakeDialog& make, const TTurnPage& turn) {
  std::unique_ptr<TCustomForm> form(make());
  form->Show();
  QWidget* window = WindowWidgetOf(form.get());
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window, 60000));
  if (turn) turn(form.get());
  Settle();
  return form;
}

// Each key shown on the page in view, each in a dialog of its own as it
// opens. A key two controls show (as the language's own texts have it in
// places) moves the focus from one to the other, doing nothing else.
inline std::vector<std::string> WalkKeys(const TMakeDialog& make, const TTurnPage& turn) {
  std::vector<std::string> faults;
  std::map<int, std::vector<std::vector<int>>> byKey;
  {
    std::unique_ptr<TCustomForm> form = Open(make, turn);
    std::vector<TControl*> shown;
    std::vector<std::vector<int>> paths;
    Collect(form.get(), shown, &paths);
    for (size_t i = 0; i < shown.size(); ++i) {
      const QKeySequence key = QKeySequence::mnemonic(ToQ(shown[i]->GetText()));
      if (!key.isEmpty() && Usable(shown[i])) byKey[key[0].key()].push_back(paths[i]);
    }
    form->Hide();
  }
  auto name = [](TControl* c) {
    const String own = !c->GetName().empty() || !c->GetParent() ? c->GetName() : c->GetParent()->GetName() + "'s";
    return own + " \"" + c->GetText() + "\"";
  };
  for (const auto& [key, where] : byKey) {
    std::unique_ptr<TCustomForm> form = Open(make, turn);
    std::vector<TControl*> shown, controls;
    Collect(form.get(), shown);
    for (const std::vector<int>& path : where) controls.push_back(ControlAt(form.get(), path));
    if (std::find(controls.begin(), controls.end(), nullptr) != controls.end()) {
      faults.push_back("a control is not where it was in the dialog's other copy");
      continue;
    }
    if (controls.size() == 1) {
      const std::string problem = PressKeyOf(form.get(), controls[0], shown);
      if (!problem.empty()) faults.push_back(name(controls[0]) + ": " + problem);
      form->Hide();
      continue;
    }
    std::vector<TControl*> targets, reached;
    for (TControl* c : controls) targets.push_back(FocusTarget(c));
    if (TWinControl* other = Elsewhere(shown, nullptr, nullptr)) other->SetFocus();
    Settle();
    for (size_t i = 0; i < controls.size(); ++i) {
      PressAlt(QApplication::focusWidget(), key);
      Settle();
      for (TControl* p = FocusedControl(); p; p = p->GetParent())
        if (std::find(targets.begin(), targets.end(), p) != targets.end()) {
          reached.push_back(p);
          break;
        }
    }
    std::sort(targets.begin(), targets.end());
    std::sort(reached.begin(), reached.end());
    if (reached != targets) faults.push_back("the key shared by " + name(controls[0]) + " and others leaves some out");
    form->Hide();
  }
  return faults;
}

// Every page of the dialog, as the user turns to it; each fault names its
// page.
inline std::vector<std::string> WalkDialog(const TMakeDialog& make) {
  std::vector<std::string> faults = WalkKeys(make, nullptr);
  std::vector<std::pair<int, int>> pages;  // the page control's place among the components, the page
  {
    std::unique_ptr<TCustomForm> form = Open(make, nullptr);
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto* pc = dynamic_cast<TPageControl*>(form->Components(i)); pc && Shown(pc))
        for (int p = 1; p < pc->PageCount(); ++p)
          if (pc->Pages(p)->GetTabVisible()) pages.emplace_back(i, p);
    form->Hide();
  }
  for (auto [component, page] : pages) {
    const TTurnPage turn = [component, page](TCustomForm* f) {
      static_cast<TPageControl*>(f->Components(component))->SetActivePageIndex(page);
    };
    for (const std::string& fault : WalkKeys(make, turn)) faults.push_back("page " + std::to_string(page) + ": " + fault);
  }
  return faults;
}

// Whether the controls on a page ("" for the page the dialog opens on,
// "page N: " for the others) may share a key.
using TMayShare = std::function<bool(const std::string& page, int key)>;

namespace detail {

// A button's key clicks it a moment later, on a timer of the button's own:
// the timer is held back.
struct THoldClicks : QObject {
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

inline void HoldClicks(TCustomForm* form, THoldClicks& hold) {
  for (QAbstractButton* b : WindowWidgetOf(form)->findChildren<QAbstractButton*>()) b->installEventFilter(&hold);
}

inline int KeyOf(TControl* c) {
  const QKeySequence key = QKeySequence::mnemonic(ToQ(c->GetText()));
  return key.isEmpty() ? 0 : key[0].key();
}

inline std::string Describe(TControl* c) {
  const String own = !c->GetName().empty() || !c->GetParent() ? c->GetName() : c->GetParent()->GetName() + "'s";
  return own + " \"" + c->GetText() + "\"";
}

inline bool FocusIn(TControl* c) {
  for (TControl* p = FocusedControl(); p; p = p->GetParent())
    if (p == c) return true;
  return false;
}

inline std::string FocusNow() {
  TControl* f = FocusedControl();
  return f ? "the focus is on " + Describe(f) : "the focus is on no control";
}

// Presses the key of c; "" when it reached c.
inline std::string Reach(TCustomForm* form, TControl* c, int key, const std::vector<TControl*>& shown) {
  auto press = [&](TWinControl* avoid) {
    if (TWinControl* other = Elsewhere(shown, c, avoid)) other->SetFocus();
    Settle();
    PressAlt(QApplication::focusWidget() ? QApplication::focusWidget() : WindowWidgetOf(form), key);
    Settle();
  };
  if (auto* page = dynamic_cast<TTabSheet*>(c)) {
    auto* pages = dynamic_cast<TPageControl*>(page->GetParent());
    TTabSheet* was = pages->GetActivePage();
    press(nullptr);
    const bool turned = pages->GetActivePage() == page;
    pages->SetActivePage(was);
    Settle();
    return turned ? "" : "the page is not turned to; " + FocusNow();
  }
  if (auto* button = dynamic_cast<TVLOfficeRadioButton*>(c)) {
    // The choice is made and taken back unseen by the dialog, which would
    // otherwise change the controls for the keys after it.
    auto* group = dynamic_cast<TVLOfficeRadioGroup*>(button->GetParent());
    TNotifyEvent& onClick = group ? group->OnClick : button->OnClick;
    const TNotifyEvent was = onClick;
    onClick = nullptr;
    TVLOfficeRadioButton* checked = nullptr;
    for (TControl* s : shown)
      if (auto* b = dynamic_cast<TVLOfficeRadioButton*>(s); b && b->GetParent() == button->GetParent() && b->GetChecked())
        checked = b;
    const Integer index = group ? group->GetItemIndex() : -1;
    if (checked == button)
      for (TControl* s : shown)
        if (auto* b = dynamic_cast<TVLOfficeRadioButton*>(s);
            b && b != button && b->GetParent() == button->GetParent() && b->CanCheck()) {
          b->SetChecked(true);
          break;
        }
    press(nullptr);
    const bool chosen = button->GetChecked(), focused = button->Focused();
    if (group) group->SetItemIndex(index);
    else if (checked) checked->SetChecked(true);
    else button->SetChecked(false);
    onClick = was;
    if (!chosen) return "the picture button is not checked; " + FocusNow();
    return focused ? "" : "the picture button has not the focus; " + FocusNow();
  }
  if (dynamic_cast<TVLOfficeRadioGroup*>(c) || dynamic_cast<TGroupBox*>(c)) {
    press(nullptr);
    return FocusIn(c) ? "" : "the focus is not in the group; " + FocusNow();
  }
  if (dynamic_cast<TLabel*>(c)) {
    TControl* to = FocusTarget(c);
    if (!to) return "the label shows a key but has no control";
    press(dynamic_cast<TWinControl*>(to));
    if (auto* button = qobject_cast<QAbstractButton*>(WidgetOf(to)); button && button->isDown())
      return "the label's key presses its control";
    return FocusIn(to) ? "" : "the focus is not in the label's control; " + FocusNow();
  }
  if (auto* w = dynamic_cast<TWinControl*>(c))
    if (auto* button = qobject_cast<QAbstractButton*>(WidgetOf(w))) {
      press(w);
      if (!button->isDown()) return "the key does not press it; " + FocusNow();
      if ((button->focusPolicy() & Qt::TabFocus) && !FocusIn(c)) return "it has not the focus; " + FocusNow();
      return "";
    }
  return std::string("a key on a ") + typeid(*c).name() + " is not checked here";
}

// Checks the page in view. A control is pressed on the first page that
// shows it only: a button's click, held back, stays pending.
inline void CheckPage(TCustomForm* form, const std::string& where, const TMayShare& mayShare,
                      std::set<TControl*>& pressed, std::vector<std::string>& faults) {
  std::vector<TControl*> shown;
  Collect(form, shown);
  // The keyed controls in view: the shown ones and every tab of the page
  // controls among them.
  std::map<int, std::vector<TControl*>> byKey;
  for (TControl* c : shown) {
    if (int key = KeyOf(c)) byKey[key].push_back(c);
    if (auto* pc = dynamic_cast<TPageControl*>(c))
      for (int p = 0; p < pc->PageCount(); ++p)
        if (TTabSheet* sheet = pc->Pages(p); sheet->GetTabVisible() && !Shown(sheet) && KeyOf(sheet))
          byKey[KeyOf(sheet)].push_back(sheet);
  }
  for (const auto& [key, controls] : byKey) {
    if (controls.size() > 1) {
      std::string all;
      for (TControl* c : controls) all += (all.empty() ? "" : ", ") + Describe(c);
      if (!mayShare || !mayShare(where, key)) {
        faults.push_back(where + "one key for " + all);
        continue;
      }
      for (TControl* c : controls)
        if (dynamic_cast<TLabel*>(c) && !FocusTarget(c))
          faults.push_back(where + Describe(c) + ": the label shows a key but has no control");
      // Pressed as often as there are controls, the key visits each that
      // takes the focus.
      std::vector<TControl*> targets, reached;
      for (TControl* c : controls)
        if (TControl* to = FocusTarget(c); to && Usable(c) && pressed.insert(c).second) targets.push_back(to);
      if (TWinControl* other = Elsewhere(shown, nullptr, nullptr)) other->SetFocus();
      Settle();
      for (size_t i = 0; i < controls.size(); ++i) {
        PressAlt(QApplication::focusWidget() ? QApplication::focusWidget() : WindowWidgetOf(form), key);
        Settle();
        for (TControl* p = FocusedControl(); p; p = p->GetParent())
          if (std::find(targets.begin(), targets.end(), p) != targets.end()) {
            reached.push_back(p);
            break;
          }
      }
      std::sort(targets.begin(), targets.end());
      std::sort(reached.begin(), reached.end());
      reached.erase(std::unique(reached.begin(), reached.end()), reached.end());
      if (reached != targets) faults.push_back(where + "the key of " + all + " leaves some out");
      continue;
    }
    TControl* c = controls[0];
    if ((!dynamic_cast<TTabSheet*>(c) && !Usable(c)) || !pressed.insert(c).second) continue;
    const std::string problem = Reach(form, c, key, shown);
    if (!problem.empty()) faults.push_back(where + Describe(c) + ": " + problem);
  }
}

}  // namespace detail

// The keys of a dialog quickly, for walking it in many languages: one copy
// of the dialog, turned from page to page. On each page no two controls in
// view show the same key (the tabs of a page control count on every page),
// and each key, pressed once from another control, reaches its control: a
// button, check box or radio button goes down and takes the focus, a
// picture button is checked and takes it, a label's control or a group
// takes it, a tab turns to its page. The clicks a key starts are held back
// (a button stays down) and a picture button's choice is taken back, so
// that no key changes what the next one finds.
// CheckKeys on a form that is open and active already (a dialog in the
// middle of its work): its buttons' clicks stay held for the form's life.
inline std::vector<std::string> CheckOpenKeys(TCustomForm* form, const TMayShare& mayShare = nullptr) {
  std::vector<std::string> faults;
  detail::HoldClicks(form, *new detail::THoldClicks(WindowWidgetOf(form)));
  std::set<TControl*> pressed;
  detail::CheckPage(form, "", mayShare, pressed, faults);
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* pc = dynamic_cast<TPageControl*>(form->Components(i)); pc && Shown(pc))
      for (int p = 0, opened = pc->GetActivePageIndex(); p < pc->PageCount(); ++p)
        if (p != opened && pc->Pages(p)->GetTabVisible()) {
          pc->SetActivePageIndex(p);
          Settle();
          detail::CheckPage(form, "page " + std::to_string(p) + ": ", mayShare, pressed, faults);
        }
  return faults;
}

inline std::vector<std::string> CheckKeys(const TMakeDialog& make, const TMayShare& mayShare = nullptr) {
  std::unique_ptr<TCustomForm> form = Open(make, nullptr);
  std::vector<std::string> faults = CheckOpenKeys(form.get(), mayShare);
  form->Hide();
  return faults;
}

// The keys of a window made of the toolkit's own widgets (the find and
// replace windows), open and active: no two widgets in view show the same
// key; each key, pressed from another widget, presses its button (a check
// box or radio button takes the focus as well) or takes the focus to a
// label's widget or into a group. The clicks stay held for the window's
// life; the options are put back as they were.
inline std::vector<std::string> CheckWindowKeys(QWidget* window) {
  std::vector<std::string> faults;
  auto* hold = new detail::THoldClicks;
  hold->setParent(window);
  std::map<int, std::vector<QWidget*>> byKey;
  auto textOf = [](QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return QString();
  };
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (qobject_cast<QAbstractButton*>(w)) w->installEventFilter(hold);
    const QKeySequence key = QKeySequence::mnemonic(textOf(w));
    if (w->isVisibleTo(window) && !key.isEmpty()) byKey[key[0].key()].push_back(w);
  }
  auto name = [&](QWidget* w) { return "\"" + textOf(w).toStdString() + "\""; };
  auto focusIn = [](QWidget* w) {
    for (QWidget* f = QApplication::focusWidget(); f; f = f->parentWidget())
      if (f == w) return true;
    return false;
  };
  for (const auto& [key, widgets] : byKey) {
    if (widgets.size() > 1) {
      std::string all;
      for (QWidget* w : widgets) all += (all.empty() ? "" : ", ") + name(w);
      faults.push_back("one key for " + all);
      continue;
    }
    QWidget* w = widgets[0];
    if (!w->isEnabled()) continue;
    auto* label = qobject_cast<QLabel*>(w);
    QWidget* to = label ? label->buddy() : w;
    if (!to) {
      faults.push_back(name(w) + ": the label shows a key but has no control");
      continue;
    }
    auto* button = qobject_cast<QAbstractButton*>(w);
    auto* radio = qobject_cast<QRadioButton*>(w);
    QRadioButton* was = nullptr;
    for (QRadioButton* r : window->findChildren<QRadioButton*>())
      if (r->isChecked()) was = r;
    // A checked radio button unchecked, so that the key has something to do.
    if (radio && radio->isChecked())
      for (QRadioButton* r : radio->parentWidget()->findChildren<QRadioButton*>())
        if (r != radio) r->setChecked(true);
    const bool checked = button && button->isChecked();
    for (QWidget* from : window->findChildren<QWidget*>())
      if (from != to && from->isVisibleTo(window) && from->isEnabled() &&
          (qobject_cast<QLineEdit*>(from) || qobject_cast<QPushButton*>(from))) {
        from->setFocus(Qt::OtherFocusReason);
        break;
      }
    Settle();
    PressAlt(QApplication::focusWidget() ? QApplication::focusWidget() : window, key);
    Settle();
    std::string problem;
    if (button) {
      const bool pressed = button->isDown() || (button->isCheckable() && button->isChecked() != checked);
      if (!pressed) problem = "the key does not press it";
      else if (button->isCheckable() && (button->focusPolicy() & Qt::TabFocus) && !focusIn(button))
        problem = "it has not the focus";
      button->setDown(false);
      if (button->isCheckable() && !radio) button->setChecked(checked);
      if (radio && was) was->setChecked(true);
    } else if (!focusIn(to)) {
      problem = label ? "the focus is not in the label's control" : "the focus is not in the group";
    }
    if (!problem.empty()) faults.push_back(name(w) + ": " + problem);
  }
  return faults;
}

}  // namespace qytest::keywalk
