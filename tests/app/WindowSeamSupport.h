#pragma once
// The real main window as its user drives it: keys and typed text go where
// the keyboard focus is, menu commands run through their menu items, and
// clicks land on a control's widget. Activation and focus work offscreen;
// what needs a window manager (frames, stacking) asks WindowManagerRunning()
// and skips without one.
#include "MainWindowJournalSupport.h"

#include "actions/FontVLFrm.h"
#include "actions/InsTableVLFrm.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "richtext/model/VLFStyles.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLCellEditor.h"

#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Menus.h"
#include "support/KeySeam.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace qytest {

// A document's text as the user reads it: "|" between paragraphs, a table
// as "[cell/cell/...]" row by row.
inline std::string DocumentText(TCustomVLData& d) {
  std::string s;
  for (Integer i = 0; i < d.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = d.GetItem(i);
    if (i > 0 && item->IsParaStart()) s += "|";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      s += "[";
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c))
            s += (r + c > 0 ? "/" : "") + DocumentText(*cell->GetVLData());
      s += "]";
    } else if (item->StyleNo >= 0) {
      s += item->IsUnicode() ? WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i))) : std::string(d.GetItemTextA(i));
    }
  }
  return s;
}

// What a text or paragraph style looks like (its CSS), as a short key:
// style numbers change when a sheet is tidied or read back, looks do not.
inline std::string StyleKey(TVLStyle* style, Integer no, bool para) {
  if (!style) return std::to_string(no);
  TMemoryStream css;
  if (para)
    (*style->ParaStyles)[no]->SaveCSSToStream(css, nullptr, false, false, false);
  else
    (*style->TextStyles)[no]->SaveCSSToStream(css, nullptr, false);
  const std::string text(static_cast<const char*>(css.Memory()), static_cast<size_t>(css.GetSize()));
  return std::to_string(std::hash<std::string>{}(text) % 100000);
}

// What a list style looks like (its levels as a file stores them, without
// the list's identifier), as a short key: a sheet tidied on saving numbers
// its lists anew.
inline std::string ListKey(TVLStyle* style, Integer no) {
  if (!style || no < 0 || no >= style->ListStyles->Count()) return "?" + std::to_string(no);
  TVLListInfos one(style->GetListStyleClass(), style);
  TVLListInfo* copy = one.Add();
  copy->Assign(style->ListStyles->Items(no));
  copy->SetListID(1);
  return std::to_string(std::hash<std::string>{}(VLFListStylesToBytes(one)) % 100000);
}

// A part of a document, from an item and offset to another (as a
// selection's bounds; all items when From is -1).
struct TOutlineRange {
  Integer From = -1, FromOffs = 0, To = -1, ToOffs = 0;
};

// A document as its reader takes it in, not only its words: the text as
// DocumentText gives it, and besides each paragraph's style ("<pK>") where
// it looks other than the first style, each change of how the text looks
// ("<sK>"; K a key of the style's looks), line breaks (a backslash and "n")
// and page breaks ("{page}"), list markers with their list, level and
// what it shows ("{list L.V #N}", N its number or bullet; "restart at S"
// when one starts its list anew; L is which list in the order they first
// come, and a key of its looks), the address a piece of text or a picture
// links to where it changes ("<a URL>"), pictures, lines and other items by
// kind, and each table's shape: rows and columns, its width and colour,
// each cell's spans, colour and width ("-" for one a merge covers). `sizes`
// false leaves widths out (what a border drag changes); `numbers` false the
// markers' numbers; `range` takes a part of the document alone.
inline std::string DocumentOutline(TCustomVLData& d, bool sizes = true, bool numbers = true,
                                   std::map<std::pair<Integer, bool>, std::string>* keys = nullptr,
                                   TOutlineRange range = {});
// The block of a table's cells from (top, left), rows by cols, as the
// outline of a table of its own: its shape, width and colour, each cell's
// spans, colour, width and document. A merged cell that reaches out of the
// block is cut to it, and one that reaches in from above or the left stands
// at the block's edge (as the rows and columns around, deleted, leave it).
inline std::string TableOutline(TVLTableItemInfo& t, Integer top, Integer left, Integer rows, Integer cols, bool sizes,
                                bool numbers, std::map<std::pair<Integer, bool>, std::string>* keys) {
  std::string s = "[" + std::to_string(rows) + "x" + std::to_string(cols);
  if (sizes && t.BestWidth != 0) s += " w" + std::to_string(t.BestWidth);
  if (t.Color != clWindow && t.Color != clNone) s += " c" + std::to_string(t.Color);
  s += ":";
  for (Integer r = top; r < top + rows; ++r)
    for (Integer c = left; c < left + cols; ++c) {
      if (r != top || c != left) s += "/";
      Integer mr = -1, mc = -1;
      TVLTableCellData* cell = t.Rows.GetMainCell(r, c, mr, mc);
      if (!cell || r != std::max(mr, top) || c != std::max(mc, left)) {
        s += "-";
        continue;
      }
      // (The whole table's spans as they are, past its grid too.)
      const bool whole = top == 0 && left == 0 && rows == t.RowCount() && cols == t.ColCount();
      const Integer rowSpan = whole ? cell->RowSpan : std::min(mr + cell->RowSpan, top + rows) - r,
                    colSpan = whole ? cell->ColSpan : std::min(mc + cell->ColSpan, left + cols) - c;
      if (rowSpan != 1 || colSpan != 1) s += "{" + std::to_string(rowSpan) + "x" + std::to_string(colSpan) + "}";
      if (cell->Color != clNone) s += "{c" + std::to_string(cell->Color) + "}";
      if (sizes && cell->BestWidth != 0) s += "{w" + std::to_string(cell->BestWidth) + "}";
      s += DocumentOutline(*cell->GetVLData(), sizes, numbers, keys);
    }
  return s + "]";
}
inline std::string DocumentOutline(TCustomVLData& d, bool sizes, bool numbers,
                                   std::map<std::pair<Integer, bool>, std::string>* keys, TOutlineRange range) {
  std::map<std::pair<Integer, bool>, std::string> ownKeys;
  if (!keys) keys = &ownKeys;
  TVLStyle* style = d.GetStyle();
  auto key = [&](Integer no, bool para) -> const std::string& {
    auto [at, added] = keys->try_emplace({no, para});
    if (added) at->second = StyleKey(style, no, para);
    return at->second;
  };
  std::string s;
  const std::string plainText = key(0, false), plainPara = key(0, true);
  std::string textStyle = plainText;
  // Lists beside the styles in keys, as negative numbers.
  auto list = [&](Integer no) -> const std::string& {
    const auto seen = std::count_if(keys->begin(), keys->end(), [](const auto& k) { return k.first.first < 0; });
    auto [at, added] = keys->try_emplace({-2 - std::max(no, -1), false});
    if (added) at->second = std::to_string(seen) + ":" + ListKey(style, no);
    return at->second;
  };
  // The link each piece of text or picture goes to, where it changes.
  std::string link;
  const bool part = range.From >= 0;
  const Integer first = part ? range.From : 0, last = part ? std::min(range.To, d.GetItemCount() - 1) : d.GetItemCount() - 1;
  bool emitted = false;
  for (Integer i = first; i <= last; ++i) {
    TCustomVLItemInfo* item = d.GetItem(i);
    // The text of an item, cut to the range at its ends.
    std::string text;
    if (item->StyleNo >= 0 && !part) {
      text = item->IsUnicode() ? WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i))) : std::string(d.GetItemTextA(i));
    } else if (item->StyleNo >= 0) {
      WideString w = item->IsUnicode() ? RawUnicodeToWideString(d.GetItemTextA(i)) : Utf8ToWide(std::string(d.GetItemTextA(i)));
      if (part && i == range.To) w = w.substr(0, static_cast<size_t>(std::max<Integer>(range.ToOffs - 1, 0)));
      if (part && i == range.From) w = w.substr(std::min(w.size(), static_cast<size_t>(std::max<Integer>(range.FromOffs - 1, 0))));
      text = WideToUtf8(w);
      // A range that ends at a piece's start, or starts at its end, has
      // none of it (an empty paragraph it starts at is in it).
      if (part && text.empty() && first != last &&
          ((i == range.From && range.FromOffs > d.GetItemStartOffset(i)) || i == range.To))
        continue;
    } else if (part && ((i == range.From && range.FromOffs >= 1) || (i == range.To && range.ToOffs < 1))) {
      continue;
    }
    if (emitted && item->IsParaStart()) s += "|";
    if (emitted && item->GetBR()) s += "\\n";
    const bool firstShown = !emitted;
    emitted = true;
    if (item->GetPageBreakBefore()) s += "{page}";
    if (item->StyleNo >= 0 || dynamic_cast<TVLGraphicItemInfo*>(item))
      if (const std::string to = std::string(d.GetItemTag(i).Str); to != link) s += "<a " + (link = to) + ">";
    // A part that starts inside a paragraph takes none of its looks (as a
    // copy of it does).
    const bool insidePara = item->GetSameAsPrev() || (i == range.From && range.FromOffs > d.GetItemStartOffset(i));
    if ((firstShown ? !(part && insidePara) : !item->GetSameAsPrev()) && item->ParaNo != 0)
      if (const std::string& k = key(item->ParaNo, true); k != plainPara) s += "<p" + k + ">";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      s += TableOutline(*t, 0, 0, t->RowCount(), t->ColCount(), sizes, numbers, keys);
    } else if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(item)) {
      s += "{list " + list(m->ListNo) + "." + std::to_string(m->Level);
      // The number (or bullet) the marker shows: one its document's list
      // does not count shows none.
      if (numbers) s += " #" + WideToUtf8(VLMarkerShownText(*m, d));
      if (m->Reset) s += " restart at " + std::to_string(m->StartFrom);
      s += "}";
    } else if (item->StyleNo >= 0) {
      if (const std::string& k = key(item->StyleNo, false); k != textStyle) s += "<s" + (textStyle = k) + ">";
      s += text;
    } else if (dynamic_cast<TVLGraphicItemInfo*>(item)) {
      s += item->StyleNo == vlsHotPicture ? "{hot picture}" : "{picture}";
    } else if (dynamic_cast<TVLBreakItemInfo*>(item)) {
      s += "{line}";
    } else {
      s += "{item " + std::to_string(item->StyleNo) + "}";
    }
  }
  return s;
}

// The list markers a document's numbering counts, in its own items and its
// cells' at any depth (a cell being edited holds none: its editor has them).
inline std::set<const TCustomVLItemInfo*> MarkersOf(TCustomVLData* data) {
  std::set<const TCustomVLItemInfo*> found;
  std::function<void(TCustomVLData*)> walk = [&](TCustomVLData* d) {
    for (Integer i = 0; i < d->GetItemCount(); ++i) {
      TCustomVLItemInfo* item = d->GetItem(i);
      if (item->StyleNo == vlsListMarker) found.insert(item);
      std::unique_ptr<TVLStoreSubVLData> state;
      for (TCustomVLData* sub = item->GetSubVLData(state, 0); sub && state; sub = item->GetSubVLData(state, 4))
        walk(sub);
    }
  };
  walk(data);
  return found;
}
// The markers a document's list names.
inline std::set<const TCustomVLItemInfo*> MarkersNamed(TCustomVLData* data) {
  std::set<const TCustomVLItemInfo*> named;
  if (TVLMarkerList* list = data->GetMarkers(false))
    for (Integer i = 0; i < list->Count(); ++i) named.insert(list->Get(i));
  return named;
}

class TWindowSeam : public TMainJournalWorld {
public:
  QWidget* Window() const { return WidgetOf(Main)->window(); }

  // The main window shown and active, as after a start.
  bool ShowActive() {
    Main->Show();
    return Activate(Window());
  }

  // A top-level window made the active one, as a click on its frame does
  // (offscreen no window manager answers, so the toolkit is told directly).
  static bool Activate(QWidget* window) {
    if (!window) return false;
    window->activateWindow();
    if (QGuiApplication::platformName() == "offscreen") QApplication::setActiveWindow(window);
    return WaitFor([window] { return QApplication::activeWindow() == window; });
  }

  // What the toolkit holds active now, for a failure's message.
  static std::string ActiveWindowText() {
    QWidget* active = QApplication::activeWindow();
    QWindow* focus = QGuiApplication::focusWindow();
    QWidget* popup = QApplication::activePopupWidget();
    return std::string("active window \"") + (active ? active->windowTitle().toStdString() : "(none)") +
           "\", focus window \"" + (focus ? focus->title().toStdString() : "(none)") + "\"" +
           (popup ? ", a pop-up open" : "");
  }

  // The widget the keyboard reaches now.
  static QWidget* KeyTarget() {
    if (QWidget* f = QApplication::focusWidget()) return f;
    return QApplication::activeWindow();
  }

  // One key pressed and released where the keyboard focus is; false when
  // what it set going does not settle.
  bool Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = KeyTarget();
    if (!target) return false;
    const TCallWatchdog watchdog("a key press");
    QTest::keyClick(target, key, mods);
    return Settle();
  }
  // One key as the window system hands it over: to the active window,
  // where the toolkit finds the receiver (an open menu, the focused
  // control, else the window itself) and the window's access keys and
  // shortcuts run; false when what it set going does not settle.
  bool WindowKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    // Under a window manager the activation may still be on its way (a menu
    // just closed): the key waits for a window to take it.
    QWindow* window = nullptr;
    WaitFor([&window] {
      QWidget* active = QApplication::activeWindow();
      window = active ? active->windowHandle() : QGuiApplication::focusWindow();
      return window != nullptr;
    });
    if (!window) return false;
    const TCallWatchdog watchdog("a key press");
    WindowKeyClick(window, key, mods);
    return Settle();
  }
  bool Keys(Qt::Key key, int times, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    for (int i = 0; i < times; ++i)
      if (!Key(key, mods)) return false;
    return true;
  }

  // Text typed where the keyboard focus is, any character a key.
  bool Type(const std::string& utf8) {
    TypeKeys(KeyTarget(), utf8);
    return Settle();
  }

  // The menu item that carries the command, clicked (its state brought up
  // to date first, as opening the menu does); false when no menu item
  // carries it or it is disabled.
  bool Menu(const char* actionName) {
    TMenuItem* item = MenuItemOf(Main->MainMenu->Items(), actionName);
    if (!item || !item->GetAction()) return false;
    item->GetAction()->Update();
    QAction* handle = item->Handle();
    if (!handle || !handle->isEnabled()) return false;
    const TCallWatchdog watchdog(std::string("the menu command ") + actionName);
    handle->trigger();
    return Settle();
  }

  // Table > Insert Table, rows x cols, where the caret is (sized to fit
  // the window when asked).
  bool InsertTable(Integer rows, Integer cols, bool fitWindow = false) {
    TInteractionScript script;
    script.Do([=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmInsTable*>(r.Form);
      if (!f) return static_cast<int>(mrCancel);
      f->SetRows(rows);
      f->SetColumns(cols);
      if (fitWindow) f->rbFitWindow->SetChecked(true);
      return static_cast<int>(mrOk);
    });
    return Menu("vlActionInsertTable") && script.Pending() == 0;
  }

  // Preferences > Default Style > Font: the first text style's size (with
  // Replace Existing Journal Styles ticked when asked).
  bool ChangeTextStyleSize(const char* size, bool replaceExisting = false) {
    auto dialog = std::make_unique<TdlgPreferences>(Application);
    TInteractionScript script;
    script.Do([replaceExisting](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      if (replaceExisting) d->rgDefaultStyleOptions->SetItemIndex(1);
      d->FontListBox->SetItemIndex(0);
      d->bChangeFontItem->Click();
      d->OKBtn->Click();
      return static_cast<int>(d->ModalResult);
    });
    script.Do([size](TInteraction& r) {
      auto& f = *static_cast<TfrmVLFont*>(r.Form);
      f.cmbSize->SetText(size);
      f.btnOk->Click();
      return static_cast<int>(f.ModalResult);
    });
    const bool done = Menu("ActionPreferences") && script.Pending() == 0;
    dialog.reset();
    return done && Settle();
  }

  // A left click at a point of a control (its client coordinates).
  bool Click(TWinControl* control, QPoint at) {
    QWidget* w = ClientWidgetOf(control);
    if (!w) return false;
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
    return Settle();
  }

  // Events processed until no posted message arrives any more.
  bool Settle() { return SettleWithin(Posted, 16); }

  // Events processed until the condition holds (false past the bound, far
  // above what a loaded machine needs).
  static bool WaitFor(const std::function<bool()>& holds, int ms = 60000) {
    QElapsedTimer t;
    t.start();
    while (!holds()) {
      if (t.elapsed() > ms) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
  }

  // A window manager keeps frames and stacking (X11 with one running).
  static bool WindowManagerRunning() {
    if (QGuiApplication::platformName() != "xcb") return false;
    return std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0;
  }

  // The window manager keeps `upper` above `lower` (its stacking list).
  static bool StackedAbove(QWidget* upper, QWidget* lower) {
    const std::string list = RootProperty("_NET_CLIENT_LIST_STACKING");
    auto at = [&](QWidget* w) {
      char id[32];
      std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(w->window()->winId()));
      return list.find(id);
    };
    const size_t u = at(upper), l = at(lower);
    return u != std::string::npos && l != std::string::npos && u > l;
  }

  TPostedCounter Posted;

private:
  static std::string RootProperty(const char* name) {
    std::string out;
    const std::string cmd = std::string("xprop -root ") + name + " 2>/dev/null";
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[512];
      while (std::fgets(buf, sizeof buf, p)) out += buf;
      pclose(p);
    }
    return out;
  }

  static TMenuItem* MenuItemOf(TMenuItem* menu, const char* actionName) {
    if (!menu) return nullptr;
    for (int k = 0; k < menu->Count(); ++k) {
      TMenuItem* item = menu->Items(k);
      if (item->GetAction() && item->GetAction()->GetName() == actionName) return item;
      if (TMenuItem* inner = MenuItemOf(item, actionName)) return inner;
    }
    return nullptr;
  }
};

// The "Diary" journal open in the shown, active main window, the keyboard in
// its entry's editor.
struct TDiaryWindow : TWindowSeam {
  // beforeOpen is done first (the journal's file given a password).
  explicit TDiaryWindow(const std::function<void()>& beforeOpen = {}) {
    if (beforeOpen) beforeOpen();
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
  }
  TVellumEdit* Edit() const { return Editor(J); }
  std::string Shown() const { return DocumentText(*Edit()->VLData()); }
  TCustomVellumEdit* Innermost() const { return Edit()->GetInnermostEditor(); }

  TOpenJournal* J = nullptr;
};

// Answers the password dialog with the given password, by its OK button.
inline int AnswerPasswordDialog(TInteraction& r, const String& password) {
  auto* dlg = dynamic_cast<TPasswordDlg*>(r.Form);
  if (!dlg) return static_cast<int>(mrCancel);
  dlg->FormShow(dlg);
  dlg->ePassword->SetText(password);
  dlg->OKBtn->Click();
  return static_cast<int>(dlg->ModalResult);
}

}  // namespace qytest
