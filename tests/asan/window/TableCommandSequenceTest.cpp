// Seeded random sequences of what a user does in the journal window, over
// tables nested up to three deep. The steps are drawn from what the window
// offers when the sequence starts: every command of its action lists by its
// menu item, its key or its tool button, an item of the right-click menu,
// the tool bar's boxes, and the gestures: typing, Tab, Enter and Backspace,
// clicks, Shift+clicks, double and triple clicks, drags over cells, drags of
// row and column borders, selections from a table's end into the text after
// it deleted or typed over, text dragged and dropped between the entry's text
// and cells at every depth (moved, or copied with Ctrl), and runs of Undo
// and Redo, Delete and Backspace. Between any two steps the automatic save's
// timer may fire; between a scroll and the presses after it, work the user
// does not do (the automatic save, the lock's countdown, the focus going to
// another window and back, a dialog cancelled, the idle work) leaves the
// view and every open editor's caret exactly as they were. A share of the
// scrolls takes the view to an open cell two or three tables deep, until
// the view's edge cuts it. Every window a command opens is answered: with its
// defaults or cancelled at random, or with values chosen where it needs them
// to do something; a share of the right-click menus is the toolkit's own,
// worked by its keys, and a share of the Insert Table windows is typed into.
//
// Documents are compared by their outline (markers with the numbers they
// show, breaks, styles, link addresses, tables' shapes, merges, widths and
// colours), not by their words. After every step the program must still
// answer, keys must reach the editor the caret is in, a saved entry must
// read back as the window shows it, a Copy or Cut must leave what was
// selected on the clipboard in every form the clipboard offers (read back,
// with its outline; a read-only entry refuses a Cut and keeps the
// clipboard as it was), the entry's list of markers must name the markers of
// its text and cells, each marker must show its list's count in reading
// order, text after a table must start a paragraph and a marker must start
// its own, and undoing everything must give back the entry as it was last
// read. A model kept beside the window says what the table commands (Merge
// and Split with the words each cell holds), Paste, the list commands and
// typing over cells make, which cells stay selected after a border drag (a
// block shows only in the table the keys go to), and where the caret is
// after a save, a border drag, the automatic save, a date change and back
// (by the Date menu, the month calendar or the date picker) or Toggle Read
// Only and back (a word typed lands there); Find must match
// a word with two styles; Undo and Redo around a save take back and give
// back the same step. The view shows the caret after every step, and Lock
// and Open that show the same day again leave it where it was.
//
// QY_TABLE_SEQUENCE_SEED=N runs that seed alone, QY_TABLE_SEQUENCE_STEPS=N
// sets the steps of each sequence, QY_TABLE_SEQUENCE_TRACE=1 prints the
// commands found and the entry after each step; scripts/table-sequences.sh
// runs many seeds side by side.
#include "app/FindReportSupport.h"
#include "app/PrintedPagesSupport.h"
#include "app/TableWindowSupport.h"

#include "actions/ColorVLFrm.h"
#include "actions/FontVLFrm.h"
#include "actions/HypVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/VLActionsFind.h"
#include "actions/VLActionsList.h"
#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEntryStore.h"
#include "app/QYJournalManager.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "platform/base/DateTime.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Printers.h"
#include "platform/os/HelpViewer.h"
#include "richtext/editor/VLResize.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/view/VLCopy.h"
#include "spell/scSpell.h"
#include "spell/scSpellDialog.h"
#include "spellvl/VLSpellChecker.h"
#include "support/TestSupport.h"

#include <optional>

#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

// The toolkit's key sequence of a shortcut (the menus' own conversion).
QKeySequence KeySequenceOf(TShortCut sc);

namespace {

using qytest::DocumentOutline;
using qytest::TableOutline;
using qytest::DocumentText;
using qytest::TFindReportWorld;
using qytest::TWindowSeam;

const String kPassword = "Table;Seq-7";

// Commands no sequence gives: each ends the session or leaves the world the
// test keeps (its database, its password, its processes). Everything else
// the window offers is a step.
const char* const kLeftOut[] = {
    "ActionExit",                // ends the program
    "ActionRestore",             // puts another database in place of this one
    "ActionBackup",              // writes where the settings point, outside the test's folders
    "ActionChangePassword",      // the lock's password is the test's own
    "ActionGotoBrixaneWebSite",  // starts a web browser
};

// Commands that take the keyboard elsewhere on purpose (the entry tree, the
// activity window, the advanced find window): after them the user gives it
// back to the entry.
const char* const kKeyboardElsewhere[] = {"ActionJumpWindow", "ShowActivityDisplayWindow", "ActionGlobalFind",
                                          "ActionHideShowEntryTree", "ActionShowHideMonthCalendar"};

bool Named(const String& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}
template <size_t N>
bool Listed(const String& name, const char* const (&list)[N]) {
  return std::any_of(std::begin(list), std::end(list), [&](const char* n) { return name == n; });
}

// Occurrences of a text in another.
size_t Occurrences(const std::string& in, const std::string& what) {
  size_t n = 0;
  for (size_t at = in.find(what); at != std::string::npos; at = in.find(what, at + what.size())) ++n;
  return n;
}

// Text typed went in at one place of a document: a new copy of it, or
// one that splits an earlier copy ("c|afé" typed into "café"), which no
// count of copies shows.
bool InsertedOnce(const std::string& before, const std::string& after, const std::string& text) {
  if (Occurrences(after, text) > Occurrences(before, text)) return true;
  if (after.size() != before.size() + text.size()) return false;
  for (size_t at = 0; at <= before.size(); ++at)
    if (after.compare(0, at, before, 0, at) == 0 && after.compare(at, text.size(), text) == 0 &&
        after.compare(at + text.size(), std::string::npos, before, at, std::string::npos) == 0)
      return true;
  return false;
}

// The words of a text: runs of letters and digits, any non-ASCII character
// counting as a letter.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string w;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80 || std::isalnum(c)) {
      w += ch;
    } else if (!w.empty()) {
      words.push_back(w);
      w.clear();
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

// A cell of a table that lies in an editor's own document, where the user
// sees it.
struct TSpot {
  TCustomVellumEdit* Editor;
  TVLTableItemInfo* Table;
  Integer Row, Col;
  int Level;  // how many cell editors the editor is inside
};

// A way the window offers a command: its menu item, its key, its tool
// button, or (for a command none of those reach) the command run by code;
// or its menu item reached by the menu bar's keys (Alt and the menu's
// letter, then the item's letter or the arrows, and Enter).
enum class TRoute { Menu, Key, Button, Code, MenuKeys };
struct TOffer {
  TRoute Route;
  TBasicAction* Action;
  TMenuItem* Item = nullptr;
  TToolButton* Button = nullptr;
  TShortCut Key = 0;
};

// What was selected when a Copy or Cut was given.
struct TSelected {
  bool Any = false;
  std::string Text;
  std::string Outline;  // empty: not known
};

// The clock of a sequence stands still at one moment from before the window
// opens: the text of a stamp, and with it the layout the mouse finds, is the
// same on every run and every day.
struct TStillClock {
  TFixedClock Clock{LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 30, 0, 0))};
};

struct TSequence : TStillClock, TFindReportWorld {
  // The entry starts with tables nested `depth` deep (0 to 3) between two
  // paragraphs, each made through the Table menu with words in its cells.
  // `offered`: the steps are drawn from what the window offers; else from
  // the list of steps the earlier faults were found with.
  TSequence(unsigned seed, int depth, bool offered, bool recorded = false)
      : Rng(seed), Side(seed * 2654435761u + 97u), Offered(offered) {
    // Nothing cut by an earlier seed or test to paste: a seed runs here as
    // it does in a program of its own.
    Clipboard().Clear();
    ProfileSettings.ConfirmPrint = false;
    Password = std::make_unique<TPasswordDlg>(nullptr);
    // The journal's file protected by a password, which the session knows
    // as after it was typed at the start.
    RestructureTablePassword("", kPassword, "QUILLORY");
    QuillorySession().AddPassword(kPassword);
    JournalPassword = kPassword;
    // An exception that reaches the application ends the program there (it
    // saves and exits); here it fails the sequence, which cannot go on.
    Application->OnException = [this](TObject*, const Exception& e) {
      Escaped = std::string(e.ClassName()) + ": " + e.what();
    };
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
    // Drawn from the window, half the entries have their words' letters in
    // two styles ("ca" bold, "fé" plain): Find must match them whole.
    StyledWords = Offered && !recorded && Chance(50);
    Type("Before ");
    TypeWord("café", Qt::Key_B);
    Key(Qt::Key_Return);
    // Drawn from the window, half the entries are taller than the view:
    // the wheel and the scroll bars then take an open cell out of sight (a
    // recorded list makes its own lines).
    if (Offered && !recorded && Chance(50)) {
      for (int i = 1; i <= 40; ++i) {
        Type("tl " + std::to_string(i));
        Key(Qt::Key_Return);
      }
    }
    Type("After");
    // Drawn from the window, the last paragraph goes on in bold: a
    // selection from a table's end may then end past its first item.
    if (Offered) {
      Key(Qt::Key_B, Qt::ControlModifier);
      Type(" bold");
      Key(Qt::Key_B, Qt::ControlModifier);
    }
    Key(Qt::Key_Home);
    // Drawn from the window, a share of the entries have a numbered list of
    // two lines in a cell of each table: its editor counts them.
    const bool numbered = Offered && !recorded && Chance(40);
    for (int level = 0; level < depth; ++level) {
      InsertTable(2, 2);
      TypeWord(level % 2 ? "Łódź" : "café", Qt::Key_I);
      Key(Qt::Key_Tab);
      if (numbered) {
        Menu("vlActionParaNumbering");
        Type("one");
        Key(Qt::Key_Return);
      }
      TypeWord("don’t", Qt::Key_U);
      Key(Qt::Key_Tab);
    }
    Edit()->ClearUndo();
    Start = Shown();
    if (!Offered) return;
    UseBuiltDictionaries();
    Main->VLThesaurus->SetFilename(String(QY_BIN_DIR) + "/Wordhoard.spt");
    MakeFiles();
    FindOffers();
    EntryShown = CurrentEntry();
    // Each entry read from the store counted: a day read anew has an undo
    // of its own.
    LoadedBefore = OnEntryLoaded;
    OnEntryLoaded = [this](TOpenJournal* j) {
      ++Loads;
      if (LoadedBefore) LoadedBefore(j);
    };
    Answers.S = this;
    Answers.Previous = SetInteractionHook(&Answers);
  }
  ~TSequence() {
    if (Offered) {
      SetInteractionHook(Answers.Previous);
      OnEntryLoaded = LoadedBefore;
    }
    QuillorySession().RemoveAllPasswords();
    WipeString(JournalPassword);
  }

  // A word typed, with its first two letters in another style (Ctrl+B, I
  // or U around them) when the entry has its words so.
  void TypeWord(const std::string& word, Qt::Key style) {
    if (!StyledWords) {
      Type(word);
      return;
    }
    Key(style, Qt::ControlModifier);
    Type(word.substr(0, 2));
    Key(style, Qt::ControlModifier);
    Type(word.substr(2));
  }

  TVellumEdit* Edit() const { return J && J->EditorWindow ? Editor(J) : nullptr; }
  // The entry by its outline (markers, breaks, styles, tables' shapes and
  // merges, widths, colours): what every comparison of the sequence holds
  // the entry to; ShownText by its words alone.
  std::string Shown(bool sizes = true, bool numbers = true) const {
    return Edit() ? DocumentOutline(*Edit()->VLData(), sizes, numbers) : std::string("no window");
  }
  std::string ShownText() const { return Edit() ? DocumentText(*Edit()->VLData()) : std::string("no window"); }
  TCustomVellumEdit* Innermost() const { return Edit()->GetInnermostEditor(); }
  // The open editors, the entry's first, then each cell editor inside.
  std::vector<TCustomVellumEdit*> Chain() const {
    std::vector<TCustomVellumEdit*> chain;
    for (TCustomVellumEdit* e = Edit(); e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
      chain.push_back(e);
    return chain;
  }

  // The caret's place in an editor's text: the start of an item that goes
  // on a line is the end of the one before it (a change of layout may join
  // a wrapped line, and the caret then shows as that end).
  static std::pair<Integer, Integer> CaretPlace(TCustomVellumEdit* e) {
    TVLEditVLData* d = e->EditData();
    Integer item = d->GetCaretItemNo(), offs = d->GetCaretOffset();
    while (item > 0 && offs <= d->GetItemStartOffset(item) && d->GetItem(item)->GetSameAsPrev()) {
      --item;
      offs = d->GetItemEndOffset(item);
    }
    return std::make_pair(item, offs);
  }
  // Where an editor's lines as laid out now can show a caret kept at
  // `place`: the spaces a soft break swallows inside an item have no caret
  // stop, and a caret among them shows at the start of the next line.
  static std::pair<Integer, Integer> ShownPlace(TCustomVellumEdit* e, std::pair<Integer, Integer> place) {
    TVLEditVLData* d = e->EditData();
    if (place.first < 0 || place.first >= d->GetItemCount() || d->GetItemStyle(place.first) < 0) return place;
    for (Integer i = 0; i + 1 < d->DrawItems.Count(); ++i) {
      const TVLDrawLineInfo* line = d->DrawItems[i];
      const TVLDrawLineInfo* next = d->DrawItems[i + 1];
      if (line->ItemNo == place.first && next->ItemNo == place.first && next->StartsNewLine &&
          place.second > line->TextOffset + line->Length && place.second < next->TextOffset)
        return std::make_pair(place.first, next->TextOffset);
    }
    return place;
  }
  // The bounds of the text selected in an editor, by item and offset (all
  // -1: none).
  static std::array<Integer, 4> SelectedPlace(TCustomVellumEdit* e) {
    std::array<Integer, 4> b{-1, -1, -1, -1};
    if (e->EditData()->SelectionExists(false, false)) e->GetSelectionBounds(b[0], b[1], b[2], b[3], true);
    return b;
  }
  // Where the caret is, from the entry down: each cell editor by its
  // table's item and its cell, then the place in the innermost.
  struct TCaretAt {
    std::vector<std::array<Integer, 3>> Cells;
    std::pair<Integer, Integer> Place;
    bool operator==(const TCaretAt&) const = default;
  };
  TCaretAt CaretAt() const {
    TCaretAt at;
    const std::vector<TCustomVellumEdit*> chain = Chain();
    for (size_t i = 1; i < chain.size(); ++i) {
      auto* cell = static_cast<TVLTableInplaceEdit*>(chain[i]);
      at.Cells.push_back({chain[i - 1]->VLData()->GetItemNo(cell->Table), cell->Row, cell->Col});
    }
    at.Place = CaretPlace(chain.back());
    return at;
  }
  static std::string Describe(const TCaretAt& at) {
    std::string s;
    for (const auto& c : at.Cells)
      s += "table item " + std::to_string(c[0]) + " cell " + std::to_string(c[1]) + "," + std::to_string(c[2]) + " > ";
    return s + "item " + std::to_string(at.Place.first) + " offset " + std::to_string(at.Place.second);
  }
  // The caret is where it was (`why`: after what), and a word typed lands
  // there.
  void ProbeCaret(const TCaretAt& was, const std::string& why) {
    if (J->EditorWindow->ReadOnly()) return;
    const TCaretAt now = CaretAt();
    EXPECT_TRUE(now == was) << "the caret is not where it was " << why << ": it was at " << Describe(was)
                            << ", it is at " << Describe(now) << "; shown: " << Shown();
    if (now == was) TypeChecked("Ω" + std::to_string(++Probes));
  }

  // The block of selected cells of every table the user sees (none: -1).
  struct TBlock {
    const TVLTableItemInfo* Table;
    Integer Top, Left, Cols, Rows;
    bool operator==(const TBlock&) const = default;
  };
  friend std::ostream& operator<<(std::ostream& o, const TBlock& b) {
    return o << "{" << b.Top << "," << b.Left << " " << b.Rows << "x" << b.Cols << "}";
  }
  std::vector<TBlock> Blocks() const {
    std::vector<TBlock> blocks;
    for (const TSpot& s : Spots()) {
      if (s.Row != 0 || s.Col != 0) continue;
      TBlock b{s.Table, -1, -1, 0, 0};
      if (s.Table->CellsSelected()) s.Table->GetNormalizedSelectionBounds(false, b.Top, b.Left, b.Cols, b.Rows);
      blocks.push_back(b);
    }
    return blocks;
  }

  // A block of selected cells shows only in the table its document's keys
  // go to: one left behind as the caret went into a cell of another table
  // stays shown while the keys go there.
  void CheckBlocksHeld() {
    // Text selected by Shift and the keys is the selection the next key
    // works on: no block of cells stays beside it.
    if (TCustomVellumEdit* inner = Innermost(); ShiftSelected && inner->EditData()->SelectionExists())
      for (const TSpot& s : Spots())
        if (s.Row == 0 && s.Col == 0 && s.Editor == inner && s.Table->CellsSelected())
          ADD_FAILURE() << "cells of a table at level " << s.Level
                        << " stay selected beside the text Shift and the keys selected; shown: " << Shown();
    for (const TSpot& s : Spots())
      if (s.Row == 0 && s.Col == 0 && s.Table->CellsSelected() &&
          (s.Editor->EditData()->ActiveItem.Get() != s.Table || s.Editor->GetInplaceEditor())) {
        ADD_FAILURE() << "cells of a table at level " << s.Level
                      << " stay selected while the keys go elsewhere; shown: " << Shown();
      }
  }

  // What every document of the entry must hold to: the entry's list of
  // markers names exactly the markers of its text and its cells, those the
  // cell editors hold too; text after a table starts a paragraph; a marker
  // starts its paragraph and keeps an item of it after it.
  void CheckStructure() {
    TCustomVLData* entry = Edit()->VLData();
    const std::set<const TCustomVLItemInfo*> named = qytest::MarkersNamed(entry);
    std::set<const TCustomVLItemInfo*> held;
    for (TCustomVellumEdit* e : Chain()) held.merge(qytest::MarkersOf(e->VLData()));
    if (named != held) {
      size_t unknown = 0;
      for (const auto* m : named) unknown += held.count(m) == 0;
      ADD_FAILURE() << "the entry's list of markers names " << named.size() << " markers, " << unknown
                    << " of them not in its text or cells, which hold " << held.size()
                    << "; shown: " << Shown();
    }
    std::string faults;
    for (TCustomVellumEdit* e : Chain()) StructureFaults(*e->VLData(), "", faults);
    EXPECT_EQ(faults, "") << "shown: " << Shown();
  }
  static void StructureFaults(TCustomVLData& d, const std::string& where, std::string& faults) {
    for (Integer i = 0; i < d.GetItemCount(); ++i) {
      TCustomVLItemInfo* item = d.GetItem(i);
      const bool last = i + 1 == d.GetItemCount();
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
        if (!last && !d.GetItem(i + 1)->IsParaStart())
          faults += where + "item " + std::to_string(i + 1) + " goes on in the paragraph of the table before it; ";
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c))
              StructureFaults(*cell->GetVLData(),
                              where + "cell " + std::to_string(r) + "," + std::to_string(c) + " of item " +
                                  std::to_string(i) + ": ",
                              faults);
      } else if (item->StyleNo == vlsListMarker) {
        if (!item->IsParaStart() && i > 0) faults += where + "the marker at item " + std::to_string(i) + " does not start its paragraph; ";
        if (last || d.GetItem(i + 1)->IsParaStart() || d.GetItem(i + 1)->GetBR())
          faults += where + "the marker at item " + std::to_string(i) + " has nothing of its paragraph after it; ";
      }
    }
  }

  // Every list marker of the entry, in its text and in its cells at any
  // depth, open or closed, shows what a count of its list from the
  // entry's start in reading order gives: a cell shows the numbers it shows
  // closed while it is edited, the markers after it count its own, and no
  // insertion, deletion, Undo or Redo leaves a number behind.
  void CheckNumbers() {
    std::vector<std::pair<TVLMarkerItemInfo*, TCustomVLData*>> order;
    std::function<void(TCustomVLData*)> walk = [&](TCustomVLData* data) {
      for (Integer i = 0; i < data->GetItemCount(); ++i)
        if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(data->GetItem(i))) {
          order.push_back({m, data});
        } else if (auto* t = dynamic_cast<TVLTableItemInfo*>(data->GetItem(i))) {
          for (Integer r = 0; r < t->RowCount(); ++r)
            for (Integer c = 0; c < t->ColCount(); ++c)
              if (TVLTableCellData* cell = t->GetCell(r, c)) walk(cell->GetVLData());
        }
    };
    TCustomVLData* entry = Edit()->VLData();
    walk(entry);
    TVLMarkerList fresh;
    for (const auto& m : order) fresh.Insert(fresh.Count(), m.first);
    fresh.RecalcFrom(0, entry->GetStyle());
    std::string wrong;
    for (Integer i = 0; i < fresh.Count(); ++i) {
      const auto& [marker, data] = order[static_cast<size_t>(i)];
      TVLMarkerList* list = data->GetMarkers(false);
      const std::string shown = list && list->IndexOf(marker) >= 0 ? std::string(list->DisplayStringOf(marker))
                                                                   : std::string("(counted in no list)");
      if (shown != std::string(fresh.GetDisplayString(i)))
        wrong += "marker " + std::to_string(i) + " shows \"" + shown + "\", not \"" +
                 std::string(fresh.GetDisplayString(i)) + "\"; ";
    }
    EXPECT_EQ(wrong, "") << "the list markers are not counted as the entry reads (" << Chain().size() - 1
                         << " cell editors open); shown: " << Shown();
  }

  // The view shows the caret of the innermost editor: its point lies in
  // the part of the entry's surface on the screen (none to show while the
  // entry is read-only or cells are selected).
  void CheckCaretShown() {
    if (J->EditorWindow->ReadOnly() || AnyCellsSelected()) return;
    // The wheel or a scroll bar leaves the caret out of sight until it moves.
    if (AwayCaret && *AwayCaret == CaretAt()) return;
    AwayCaret.reset();
    TCustomVellumEdit* inner = Innermost();
    TPoint p;
    if (!inner->EditData()->GetCaretClientPoint(p)) return;
    const TPoint origin = ClientOriginOf(inner);
    QWidget* surface = ClientWidgetOf(inner);
    QWidget* view = ClientWidgetOf(Edit());
    if (!surface || !view || !surface->isVisible()) return;
    // (The caret is drawn on the pixel column its point names, left of the
    // letters' boundary.)
    const QPoint at = view->mapFromGlobal(surface->mapToGlobal(QPoint(p.X + origin.X, p.Y + origin.Y + 2)));
    // A press leaves the caret it puts on a line partly shown as it is,
    // and so do the steps after it that leave the caret there.
    const QRect caret(at.x(), at.y() - 2, 1, std::max<Integer>(inner->EditData()->CaretHeight, 1));
    const bool pressPlace = Pressed || (PressedCaret && *PressedCaret == CaretAt());
    // A cell's caret is drawn on its editor, which cuts off what lies
    // below it: the editor is as tall as the cell's lines. (Sideways a
    // caret at a full line's end may stand in the cell's padding.)
    const Integer middle = p.Y + origin.Y + std::max<Integer>(inner->EditData()->CaretHeight, 1) / 2;
    EXPECT_TRUE(surface == view || (middle >= 0 && middle < surface->height()))
        << "the caret's middle stands at " << middle << " of its cell editor " << surface->height()
        << " high, which does not show it (level " << Chain().size() - 1 << "; the caret " << p.Y << " + "
        << inner->EditData()->CaretHeight << ", the lines " << inner->EditData()->DocumentHeight << " high)";
    // Only the text area shows it: not the frame, nor under a scroll bar.
    const TPoint viewOrigin = ClientOriginOf(Edit());
    const TRect client = Edit()->GetClientRect();
    const QRect text(viewOrigin.X, viewOrigin.Y, client.Width(), client.Height());
    EXPECT_TRUE(text.contains(at) || (pressPlace && text.intersects(caret)))
        << "the view does not show the caret: it stands at " << at.x() << "," << at.y() << " of a view of "
        << view->width() << "x" << view->height() << " showing " << text.width() << "x" << text.height()
        << " from " << text.x() << "," << text.y() << ", in the editor at level " << Chain().size() - 1
        << " (scrolled to " << Edit()->EditData()->GetHOffset() << "," << Edit()->EditData()->GetVOffset()
        << "); shown: " << Shown();
  }

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }
  bool Chance(int percent) { return Pick(1, 100) <= percent; }
  int SidePick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Side); }
  bool SideChance(int percent) { return SidePick(1, 100) <= percent; }
  template <typename T>
  const T& OneOf(const std::vector<T>& v) {
    return v[static_cast<size_t>(Pick(0, static_cast<int>(v.size()) - 1))];
  }

  // Each step printed as it starts: a crash leaves the way to it.
  void Note(const std::string& what) {
    Log += what + "; ";
    std::printf("  %s\n", what.c_str());
    std::fflush(stdout);
  }

  // Every cell the user sees of the tables in the open editors' documents.
  std::vector<TSpot> Spots() const {
    std::vector<TSpot> spots;
    const std::vector<TCustomVellumEdit*> chain = Chain();
    for (size_t level = 0; level < chain.size(); ++level) {
      TCustomVLData* d = chain[level]->VLData();
      for (Integer i = 0; i < d->GetItemCount(); ++i)
        if (auto* t = dynamic_cast<TVLTableItemInfo*>(d->GetItem(i)))
          for (Integer r = 0; r < t->RowCount(); ++r)
            for (Integer c = 0; c < t->ColCount(); ++c)
              if (t->GetCell(r, c)) spots.push_back({chain[level], t, r, c, static_cast<int>(level)});
    }
    return spots;
  }
  // A point of an editor's surface, in the main window; false when it is
  // not on the screen.
  bool OnScreen(TCustomVellumEdit* editor, QPoint p, QPoint& at) const {
    QWidget* surface = ClientWidgetOf(editor);
    // The document shows inside the editor's frame and beside its scroll
    // bars (not in the square between them), where its coordinates start.
    const TRect client = editor->GetClientRect();
    if (p.x() < 0 || p.y() < 0 || p.x() >= client.Width() || p.y() >= client.Height()) return false;
    const TPoint origin = ClientOriginOf(editor);
    p += QPoint(origin.X, origin.Y);
    if (!surface || !surface->isVisible() || !surface->rect().contains(p)) return false;
    at = surface->mapTo(Window(), p);
    if (!Window()->rect().contains(at)) return false;
    // Not under a scroll bar or another part of the window that covers it
    // (the listed steps keep the points they were drawn with).
    QWidget* under = Window()->childAt(at);
    // Not on the editor's scroll bars (their own menu is the toolkit's).
    if (qobject_cast<QScrollBar*>(under) || (under && qobject_cast<QScrollBar*>(under->parentWidget()))) return false;
    return !Offered || (under && (under == surface || surface->isAncestorOf(under)));
  }
  // The line a table is laid out on in its editor's document, found from
  // the table (the number the table keeps is the last one it was painted
  // at); nullptr when it is not laid out there.
  static const TVLDrawLineInfo* LineOf(TVLEditVLData* d, TVLTableItemInfo* t) {
    const Integer itemNo = d->GetItemNo(t);
    const Integer n = itemNo >= 0 ? d->Item2FirstDrawItem(itemNo) : -1;
    return n >= 0 && n < d->DrawItems.Count() ? d->DrawItems[n] : nullptr;
  }
  // Where a cell's middle (or a point dx pixels into its text) lies in the
  // main window; false when it is not on the screen.
  bool WindowPoint(const TSpot& s, QPoint& at, Integer dx = -1) const {
    TVLEditVLData* d = s.Editor->EditData();
    const TVLDrawLineInfo* item = LineOf(d, s.Table);
    if (!item) return false;
    const TVLTableCellData* cell = s.Table->GetCell(s.Row, s.Col);
    if (!cell || cell->Width <= 0 || cell->Height <= 0) return false;
    const QPoint p(item->Left - d->GetHOffset() + cell->Left + (dx < 0 ? cell->Width / 2 : s.Table->CellPadding + dx),
                   item->Top - d->GetVOffset() + cell->Top + cell->GetVAlignOffset() +
                       std::min<Integer>(cell->Height / 2, 6));
    return OnScreen(s.Editor, p, at);
  }
  // A point of the selection of an editor (one word on one line), in the
  // main window: scanned along the line of its start for where a press
  // lands inside it; false when none is on the screen.
  bool SelectedWordPoint(TCustomVellumEdit* editor, QPoint& at) const {
    TVLEditVLData* d = editor->EditData();
    Integer s, so, e, eo;
    d->GetDrawItemSelBounds(true, s, so, e, eo);
    if (s < 0 || s >= d->DrawItems.Count()) return false;
    const TVLDrawLineInfo* item = d->DrawItems[s];
    const Integer y = item->Top + item->Height / 2;
    for (Integer x = item->Left + 1; x < item->Left + item->Width; x += 2) {
      Integer n, o;
      d->FindDrawItemForSel(x, y, n, o, false);
      if (n != s || o <= so || (e == s && o >= eo)) continue;
      return OnScreen(editor, QPoint(x - d->GetHOffset(), y - d->GetVOffset()), at);
    }
    return false;
  }
  // The mouse at a point of the window, through the window as the window
  // system hands it over.
  void MouseAt(qytest::TWindowMouseAct act, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Pressed = true;
    // A drag the press or a move starts ends where the mouse is let go.
    DropAt = at;
    DropMods = mods;
    qytest::WindowMouse(Window(), act, Window()->mapToGlobal(at), mods);
  }
  void ClickWindowAt(QPoint at, Qt::KeyboardModifiers mods) {
    MouseAt(qytest::TWindowMouseAct::Press, at, mods);
    MouseAt(qytest::TWindowMouseAct::Release, at, mods);
  }
  std::string Name(const TSpot& s) const {
    return "cell " + std::to_string(s.Row) + "," + std::to_string(s.Col) + " of a table at level " +
           std::to_string(s.Level);
  }

  bool ClickCell(Qt::KeyboardModifiers mods) {
    const std::vector<TSpot> spots = Spots();
    if (spots.empty()) return false;
    const TSpot s = spots[static_cast<size_t>(Pick(0, static_cast<int>(spots.size()) - 1))];
    QPoint at;
    if (!WindowPoint(s, at)) return false;
    Note(std::string(mods ? "shift+click " : "click ") + Name(s));
    ClickWindowAt(at, mods);
    return true;
  }
  // Another cell of the same table, and where it lies in the window.
  bool OtherCell(const TSpot& a, TSpot& b, QPoint& at) {
    std::vector<TSpot> same;
    for (const TSpot& s : Spots())
      if (s.Table == a.Table && (s.Row != a.Row || s.Col != a.Col)) same.push_back(s);
    if (same.empty()) return false;
    b = same[static_cast<size_t>(Pick(0, static_cast<int>(same.size()) - 1))];
    return WindowPoint(b, at);
  }
  void DragTo(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    DropAt = to;
    DropMods = mods;
    Pressed = true;
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, Window()->mapToGlobal(from));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal((from + to) / 2), mods);
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(to), mods);
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, Window()->mapToGlobal(to), mods);
  }
  bool DragCells() {
    const std::vector<TSpot> spots = Spots();
    if (spots.size() < 2) return false;
    const TSpot a = spots[static_cast<size_t>(Pick(0, static_cast<int>(spots.size()) - 1))];
    TSpot b{};
    QPoint from, to;
    if (!WindowPoint(a, from) || !OtherCell(a, b, to)) return false;
    Note("drag from " + Name(a) + " to " + std::to_string(b.Row) + "," + std::to_string(b.Col));
    DragTo(from, to);
    return true;
  }
  // A double click on a cell's first word, which selects it; then perhaps a
  // drag from the selected word over another cell of the table.
  bool DoubleClickWord() {
    const std::vector<TSpot> spots = Spots();
    if (spots.empty()) return false;
    const TSpot a = spots[static_cast<size_t>(Pick(0, static_cast<int>(spots.size()) - 1))];
    QPoint word;
    if (!WindowPoint(a, word, 3)) return false;
    Note("double-click the word in " + Name(a));
    MouseAt(qytest::TWindowMouseAct::DoubleClick, word);
    TSpot b{};
    QPoint to;
    if (!Chance(50) || !Settle() || !OtherCell(a, b, to)) return true;
    Note("drag from the word to " + std::to_string(b.Row) + "," + std::to_string(b.Col));
    const TCaretAt caret = CaretAt();
    const std::string sized = Shown(), unsized = Shown(false);
    DragTo(word, to);
    KeepAwayIfBorderDragged(caret, sized, unsized);
    return true;
  }
  // A cell a pixel wide has no word to press: the press takes its border,
  // and the drag moves it. The view stays under the pointer, and a caret
  // the wider table pushes out of sight stays there until it moves (as
  // after the wheel).
  void KeepAwayIfBorderDragged(const TCaretAt& caret, const std::string& sized, const std::string& unsized) {
    Settle();
    if (CaretAt() == caret && Shown(false) == unsized && Shown() != sized) {
      Note("  (a border dragged)");
      AwayCaret = caret;
    }
  }
  // The entry's scroll bar of one direction, when shown.
  QScrollBar* Bar(Qt::Orientation o) const {
    QWidget* view = ClientWidgetOf(Edit());
    if (!view || !view->parentWidget()) return nullptr;
    for (QScrollBar* b : view->parentWidget()->findChildren<QScrollBar*>())
      if (b->orientation() == o && b->isVisible()) return b;
    return nullptr;
  }
  // The view moved by the wheel (some notches up or down over the entry),
  // by a press on a scroll bar's trough, or by the window resized.
  void ScrollSomehow() {
    QWidget* view = ClientWidgetOf(Edit());
    if (!view) return;
    Reached = nullptr;
    // Cells two or three deep open: a share of the scrolls takes the view
    // to one of them, until the view's edge cuts it.
    if (Chain().size() > 2 && SideChance(35)) {
      ScrollToOpenCell(static_cast<size_t>(SidePick(2, static_cast<int>(Chain().size()) - 1)));
      Settle();
      AwayCaret = CaretAt();
      return;
    }
    const int how = Pick(0, 9);
    TPoint caret;
    if (how < 3 && Chain().size() > 1 && Innermost()->EditData()->GetCaretClientPoint(caret)) {
      // The wheel turned away from the caret of an open cell until the
      // view no longer shows it (or stops).
      const QPoint seen = view->mapFromGlobal(ClientWidgetOf(Innermost())->mapToGlobal(QPoint(caret.X, caret.Y)));
      const bool down = seen.y() < view->height() / 2 ? Chance(80) : Chance(20);
      Note(std::string("the wheel turned ") + (down ? "down" : "up") + " until the caret leaves the view");
      for (int i = 0; i < 30; ++i) {
        const Integer before = Edit()->EditData()->GetVOffset();
        const QPoint at(view->width() / 2, view->height() / 2);
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, down ? -120 : 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        Settle();
        TPoint p;
        if (Chain().size() < 2 || !Innermost()->EditData()->GetCaretClientPoint(p)) break;
        const QPoint now = view->mapFromGlobal(ClientWidgetOf(Innermost())->mapToGlobal(QPoint(p.X, p.Y)));
        if (now.y() + Innermost()->EditData()->CaretHeight < 0 || now.y() > view->height() ||
            Edit()->EditData()->GetVOffset() == before)
          break;
      }
    } else if (how < 5) {
      const int notches = Pick(1, 8) * (Chance(70) ? 1 : -1);
      Note("the wheel " + std::to_string(notches) + " notches down");
      for (int i = 0; i < std::abs(notches); ++i) {
        const QPoint at(Pick(0, view->width() - 1), Pick(0, view->height() - 1));
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, notches > 0 ? -120 : 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        Settle();
      }
    } else if (how < 9) {
      const Qt::Orientation o = Chance(70) ? Qt::Vertical : Qt::Horizontal;
      QScrollBar* bar = Bar(o);
      if (!bar) return;
      // Just inside the trough at one end or the other.
      const bool forward = Chance(70);
      const int along = o == Qt::Vertical ? bar->height() : bar->width();
      const int across = o == Qt::Vertical ? bar->width() : bar->height();
      const int at = forward ? along - across - 3 : across + 3;
      const QPoint p = o == Qt::Vertical ? QPoint(across / 2, at) : QPoint(at, across / 2);
      Note(std::string("the ") + (o == Qt::Vertical ? "vertical" : "horizontal") + " scroll bar's trough pressed " +
           (forward ? "near its end" : "near its start"));
      Pressed = true;
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, bar->mapToGlobal(p));
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, bar->mapToGlobal(p));
    } else {
      QWidget* w = Window();
      const QSize size(std::clamp(w->width() + Pick(-150, 150), 500, 1100),
                       std::clamp(w->height() + Pick(-120, 120), 400, 900));
      Note("the window resized to " + std::to_string(size.width()) + "x" + std::to_string(size.height()));
      w->resize(size);
      Resized = true;
    }
    Settle();
    // The view goes where the user took it, away from the caret.
    AwayCaret = CaretAt();
  }
  // The wheel turned over the view until the edge of the cell editor open
  // at `level` (2 or 3) stands inside it, cut by the view's top or bottom
  // edge (or the view stops).
  void ScrollToOpenCell(size_t level) {
    QWidget* view = ClientWidgetOf(Edit());
    const std::vector<TCustomVellumEdit*> chain = Chain();
    if (!view || level >= chain.size()) return;
    Reached = chain[level];
    QWidget* surface = ClientWidgetOf(Reached);
    if (!surface) return;
    auto place = [&] { return QRect(view->mapFromGlobal(surface->mapToGlobal(QPoint(0, 0))), surface->size()); };
    // Which edge: the top one cuts it from above (the wheel up), the
    // bottom one from below.
    const bool atTop = SideChance(50);
    Note(std::string("the wheel turned until the view's ") + (atTop ? "top" : "bottom") + " edge cuts the cell open " +
         std::to_string(level) + " deep");
    for (int i = 0; i < 60; ++i) {
      const QRect r = place();
      if (atTop ? (r.top() < 0 && r.bottom() > 0) : (r.top() < view->height() && r.bottom() >= view->height())) break;
      // Up while the cell lies below where it should stand.
      const bool down = atTop ? r.top() >= 0 : r.bottom() < view->height();
      const Integer before = Edit()->EditData()->GetVOffset();
      const QPoint at(view->width() / 2, view->height() / 2);
      QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, down ? -40 : 40), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(view, &wheel);
      Settle();
      if (Chain().size() <= level || Chain()[level] != Reached) {
        Reached = nullptr;
        return;
      }
      if (Edit()->EditData()->GetVOffset() == before) break;
    }
  }

  // The view and the caret of every open editor, exactly.
  struct TStill {
    Integer Left = 0, Top = 0;
    std::vector<std::array<Integer, 5>> Carets;  // editor's level, caret item, offset, selection's ends
    bool operator==(const TStill&) const = default;
  };
  TStill Still() const {
    TStill s{Edit()->EditData()->GetHOffset(), Edit()->EditData()->GetVOffset(), {}};
    const std::vector<TCustomVellumEdit*> chain = Chain();
    for (size_t i = 0; i < chain.size(); ++i) {
      // (A caret or a selection's end at an item's start is the end of the
      // item before it on the line: the same place. An editor with a cell
      // editor open has its caret at that cell's table, whichever side.)
      auto place = CaretPlace(chain[i]);
      if (i + 1 < chain.size()) place.second = -1;
      const std::array<Integer, 4> b = SelectedPlace(chain[i]);
      s.Carets.push_back({static_cast<Integer>(i), place.first, place.second, b[0] * 100000 + b[1],
                          b[2] * 100000 + b[3]});
    }
    return s;
  }
  static std::string Describe(const TStill& s) {
    std::string out = "view at " + std::to_string(s.Left) + "," + std::to_string(s.Top);
    for (const auto& c : s.Carets)
      out += "; level " + std::to_string(c[0]) + " caret " + std::to_string(c[1]) + ":" + std::to_string(c[2]) +
             (c[3] < 0 ? std::string()
                       : " selecting " + std::to_string(c[3] / 100000) + ":" + std::to_string(c[3] % 100000) +
                             " to " + std::to_string(c[4] / 100000) + ":" + std::to_string(c[4] % 100000));
    return out;
  }
  // Work the user does not do, between a scroll and the press after it:
  // the automatic save's timer (its minutes run out: the entry is saved),
  // the lock's countdown ticking, the window losing the focus to another
  // and getting it back, a dialog opened and cancelled, the idle work. The
  // view and every open editor's caret stay exactly as they were.
  void Background(int kind) {
    static const char* const names[] = {"the automatic save's timer, its minutes run out", "the lock's countdown tick",
                                        "the focus to another window and back", "a dialog opened and cancelled",
                                        "the idle work"};
    const TStill before = Still();
    Note(std::string("  (") + names[kind] + ")");
    switch (kind) {
      case 0: {
        if (!AutomaticSaveTimer) return;
        const bool on = ProfileSettings.AutoSaveOn;
        ProfileSettings.AutoSaveOn = true;
        LastSaveTime = Now() - (ProfileSettings.AutoSaveInterval + 1) / 1440.0;
        AutomaticSaveTimer->Fire();
        ProfileSettings.AutoSaveOn = on;
        break;
      }
      case 1: {
        if (!AutomaticSaveTimer) return;
        const bool on = ProfileSettings.AutoLockOn;
        ProfileSettings.AutoLockOn = true;
        LastActivityTime = Now();
        AutomaticSaveTimer->Fire();
        ProfileSettings.AutoLockOn = on;
        break;
      }
      case 2: {
        if (!Elsewhere) {
          Elsewhere = std::make_unique<QWidget>();
          Elsewhere->setWindowTitle("Elsewhere");
          Elsewhere->resize(160, 90);
        }
        Elsewhere->show();
        Activate(Elsewhere.get());
        Settle();
        Elsewhere->hide();
        Activate(Window());
        break;
      }
      case 3: {
        TInteractionScript script;
        for (int i = 0; i < 3; ++i) script.Answer(mrCancel);
        if (!Menu("vlActionParagraph")) return;
        break;
      }
      default: Application->Idle(); break;
    }
    Settle();
    const TStill after = Still();
    EXPECT_TRUE(after == before) << names[kind] << " moved the view or a caret: " << Describe(before) << " became "
                                 << Describe(after) << "; shown: " << Shown();
  }

  // The editor whose surface is under a point of the window (the innermost
  // open one), and the point in its document.
  TCustomVellumEdit* EditorAt(QPoint at, QPoint& inDocument) const {
    QWidget* under = Window()->childAt(at);
    const std::vector<TCustomVellumEdit*> chain = Chain();
    for (auto e = chain.rbegin(); e != chain.rend(); ++e) {
      QWidget* surface = ClientWidgetOf(*e);
      if (!surface || !under || !(under == surface || surface->isAncestorOf(under))) continue;
      const TPoint origin = ClientOriginOf(*e);
      const QPoint p = surface->mapFrom(Window(), at) - QPoint(origin.X, origin.Y);
      // A cell editor's outermost pixels lie over the table's border: a
      // press there is the table's (a border drag, a column or row chosen).
      const QPoint w = surface->mapFrom(Window(), at);
      if (dynamic_cast<TVLTableInplaceEdit*>(*e) &&
          (w.x() < 1 || w.y() < 1 || w.x() >= surface->width() - 1 || w.y() >= surface->height() - 1))
        return nullptr;
      TVLEditVLData* d = (*e)->EditData();
      inDocument = QPoint(p.x() + d->GetHOffset(), p.y() + d->GetVOffset());
      return *e;
    }
    return nullptr;
  }
  // The view scrolled (by the wheel, a scroll bar or a resize), then a press
  // anywhere on it: where the hit test before the press finds text (a
  // word, a line past its end, a cell, open or not, at any depth), the
  // press puts the caret there, in the editor of that text, whatever editor
  // had the caret before and wherever the view had left it.
  void ScrollThenPress() {
    for (int round = Pick(1, 3); round > 0; --round) {
      Resized = false;
      ScrollSomehow();
      // Between the scroll and the press, what the user does not do.
      for (int k = SidePick(0, 2); k > 0 && Failures() == 0; --k) Background(SidePick(0, 4));
      if (Failures() > 0) return;
      QWidget* view = ClientWidgetOf(Edit());
      if (!view || J->EditorWindow->ReadOnly() || AnyCellsSelected()) return;
      // A point of the view not on its edge where the hit test finds text
      // (of an open editor, or of a closed cell at any depth), the same a
      // few pixels around it (not a table's border or the gap between
      // cells); a picture or a list marker is another gesture.
      QPoint local, at;
      TCustomVLFormattedData* data = nullptr;
      Integer item = -1, offs = 0;
      bool chosen = false;
      std::string aside;
      // After a scroll to an open nested cell, half the presses go to what
      // the view shows of it.
      QRect shownPart;
      const std::vector<TCustomVellumEdit*> open = Chain();
      if (Reached && std::find(open.begin() + 1, open.end(), Reached) != open.end() && SideChance(50)) {
        QWidget* surface = ClientWidgetOf(Reached);
        if (surface && surface->isVisible())
          shownPart = QRect(view->mapFromGlobal(surface->mapToGlobal(QPoint(0, 0))), surface->size())
                          .intersected(QRect(4, 4, view->width() - 9, view->height() - 9));
      }
      for (int tries = 0; tries < 40 && !chosen; ++tries) {
        local = shownPart.width() > 2 && shownPart.height() > 2
                    ? QPoint(SidePick(shownPart.left(), shownPart.right()), SidePick(shownPart.top(), shownPart.bottom()))
                    : QPoint(Pick(4, std::max(4, view->width() - 5)), Pick(4, std::max(4, view->height() - 5)));
        at = view->mapTo(Window(), local);
        // A scroll bar laid over the view's edge takes the press: it
        // moves the view, never the caret; nor does the square between the
        // two bars, which shows no text.
        if (!(aside = Aside(local)).empty()) break;
        QPoint p;
        TCustomVellumEdit* e = EditorAt(at, p);
        if (!e) continue;
        bool found = false;
        VLGetItemAt(*e->EditData(), p.x(), p.y(), data, item, offs, false, found);
        // Not in the editor's left margin (a press there selects lines),
        // nor on a link.
        if (!data || item < 0 || data->GetItemStyle(item) < 0 || data->GetItem(item)->StyleNo == vlsListMarker ||
            p.x() < e->EditData()->GetLeftMargin() + 4 ||
            data->GetStyle()->TextStyles->Items(data->GetItemStyle(item))->Jump)
          continue;
        // Nor in the left margin of the cell hit (its editor selects lines
        // there too).
        Integer ex = 0, ey = 0, dx = 0, dy = 0;
        e->EditData()->GetOrigin(ex, ey);
        data->GetOrigin(dx, dy);
        if (p.x() + ex - dx < data->GetLeftMargin() + 4) continue;
        chosen = true;
        for (const QPoint d : {QPoint(-5, 0), QPoint(5, 0), QPoint(0, -4), QPoint(0, 4)}) {
          TCustomVLFormattedData* near = nullptr;
          Integer n = -1, o = 0;
          VLGetItemAt(*e->EditData(), p.x() + d.x(), p.y() + d.y(), near, n, o, false, found);
          // (A table met in the same document, not a cell of it, is its
          // border: a press that near takes the border.)
          chosen = chosen && near == data && !(n >= 0 && dynamic_cast<TVLTableItemInfo*>(near->GetItem(n)));
        }
      }
      if (!aside.empty()) {
        PressAside(local, aside);
        return;
      }
      if (!chosen) continue;
      if (!PressWhereHit(local, data, item)) return;
    }
  }
  // What of the view's own (not its client area) lies at a point of it:
  // a scroll bar, the square between the two, or nothing ("").
  std::string Aside(QPoint local) const {
    QWidget* view = ClientWidgetOf(Edit());
    if (qobject_cast<QScrollBar*>(Window()->childAt(view->mapTo(Window(), local)))) return "a scroll bar over the view";
    const TPoint origin = ClientOriginOf(Edit());
    const QPoint p = local - QPoint(origin.X, origin.Y);
    const TRect client = Edit()->GetClientRect();
    if (p.x() >= client.Width() && p.y() >= client.Height() && Bar(Qt::Vertical) && Bar(Qt::Horizontal))
      return "the square between the view's scroll bars";
    return "";
  }
  // A press on the view beside its client area (a scroll bar, the square
  // between the two): it moves the view at most, never the caret, and
  // selects nothing.
  void PressAside(QPoint local, const std::string& what) {
    TCustomVellumEdit* before = Innermost();
    const Integer caretItem = before->EditData()->GetCaretItemNo(), caretOffs = before->EditData()->GetCaretOffset();
    const bool selected = before->EditData()->SelectionExists();
    Note("press at " + std::to_string(local.x()) + "," + std::to_string(local.y()) + " of the view, on " + what);
    ClickWindowAt(ClientWidgetOf(Edit())->mapTo(Window(), local), Qt::NoModifier);
    Settle();
    AwayCaret = CaretAt();
    EXPECT_TRUE(Innermost() == before && before->EditData()->GetCaretItemNo() == caretItem &&
                before->EditData()->GetCaretOffset() == caretOffs &&
                before->EditData()->SelectionExists() == selected)
        << "a press on " << what << " moved the caret: it is at item "
        << Innermost()->EditData()->GetCaretItemNo() << " of \"" << DocumentText(*Innermost()->VLData()).substr(0, 40)
        << "\"" << (Innermost()->EditData()->SelectionExists() ? " selecting \"" + WideToUtf8(Innermost()->GetSelTextW()) + "\"" : "")
        << ", not at item " << caretItem << "; shown: " << Shown();
  }
  // A press at a point of the view where the hit test before it found text
  // (item of data: an open editor's document or a closed cell's): the
  // caret goes there, in the editor of that text. False when it did not.
  bool PressWhereHit(QPoint local, TCustomVLFormattedData* data, Integer item) {
    const std::string where = DocumentText(*data).substr(0, 40);
    Note("press at " + std::to_string(local.x()) + "," + std::to_string(local.y()) + " of the view, on item " +
         std::to_string(item) + " of \"" + where + "\"");
    ClickWindowAt(ClientWidgetOf(Edit())->mapTo(Window(), local), Qt::NoModifier);
    Settle();
    TCustomVellumEdit* inner = Innermost();
    auto* cell = dynamic_cast<TVLTableInplaceEdit*>(inner);
    const bool editsIt = inner->EditData() == data ||
                         (cell && static_cast<TCustomVLFormattedData*>(cell->Cell) == data);
    // In the paragraph of the text hit (past a line's end, or on a
    // piece's edge, the caret may stand at the item beside).
    auto paragraph = [](TCustomVLData* d, Integer i) {
      while (i > 0 && i < d->GetItemCount() && !d->IsParaStart(i)) --i;
      return i;
    };
    TCustomVLData* now = inner->VLData();
    const bool inParagraph = item < now->GetItemCount() &&
                             paragraph(now, inner->EditData()->GetCaretItemNo()) == paragraph(now, item);
    EXPECT_TRUE(editsIt && inParagraph)
        << "the press after the view moved landed elsewhere: the caret is at item "
        << inner->EditData()->GetCaretItemNo() << " of \"" << DocumentText(*inner->VLData()).substr(0, 40)
        << "\" at level " << Chain().size() - 1 << ", not at item " << item << " of \"" << where
        << "\"; shown: " << Shown();
    // A click selects nothing: the view stays still under the pointer
    // between the press and its release.
    EXPECT_FALSE(editsIt && inner->EditData()->SelectionExists())
        << "the click at " << local.x() << "," << local.y() << " selected \"" << WideToUtf8(inner->GetSelTextW())
        << "\"; shown: " << Shown();
    return editsIt;
  }
  // The point of the entry's first paragraph, outside every table.
  bool FirstLinePoint(QPoint& at, Integer dx = 3) const {
    TVLEditVLData* d = Edit()->EditData();
    if (d->DrawItems.Count() == 0 || dynamic_cast<TVLTableItemInfo*>(d->GetItem(0))) return false;
    const TVLDrawLineInfo* item = d->DrawItems[0];
    const QPoint p(item->Left - d->GetHOffset() + dx, item->Top - d->GetVOffset() + 3);
    // Not on the frame of the view (scrolled past the line's start, or the
    // line starting at its right edge).
    const QWidget* view = ClientWidgetOf(Edit());
    if (p.x() < 0 || p.y() < 0 || !view || p.x() >= view->width() || p.y() >= view->height()) return false;
    // Nor on a list marker whose text starts past the view's right edge:
    // the caret put after the marker scrolls the view, and the release
    // then lands on other text (noticed, left alone).
    if (d->GetItemStyle(item->ItemNo) == vlsListMarker && d->DrawItems.Count() > 1 &&
        d->DrawItems[1]->Left - d->GetHOffset() >= view->width())
      return false;
    return OnScreen(Edit(), p, at);
  }
  // A click on the entry's first paragraph, outside every table.
  bool ClickOutside() {
    QPoint at;
    if (!FirstLinePoint(at)) return false;
    Note("click outside the tables");
    ClickWindowAt(at, Qt::NoModifier);
    // The caret goes to the first letters of the line clicked (past its
    // list marker), nothing selected but a picture clicked, and no cell
    // editor stays open.
    TVLEditVLData* d = Edit()->EditData();
    const Integer first = d->DrawItems.Count() ? d->DrawItems[0]->ItemNo : 0;
    const Integer item = d->GetCaretItemNo();
    EXPECT_TRUE(Chain().size() == 1 && item >= 0 && item <= first + 1 &&
                d->GetCaretOffset() <= d->GetItemStartOffset(item) + 1 &&
                (!d->SelectionExists() || d->GetItemStyle(item) < 0))
        << "a click on the entry's first line left the caret at item " << d->GetCaretItemNo() << " offset "
        << d->GetCaretOffset() << (d->SelectionExists() ? ", text selected" : "") << ", " << Chain().size() - 1
        << " cell editors deep; shown: " << Shown();
    return true;
  }

  // Text typed where the keyboard is: it must land in the editor the caret
  // is in, once (nowhere in a read-only entry).
  void TypeChecked(const std::string& text) {
    TCustomVellumEdit* inner = Innermost();
    const std::string before = DocumentText(*inner->VLData());
    const std::string shownBefore = Shown();
    const bool cellsSelected = AnyCellsSelected();
    // Typed over a selection, the text replaces it, and with it perhaps an
    // earlier copy of the same text: then it need only be there.
    const bool replacing = inner->EditData()->SelectionExists();
    const bool readOnly = J->EditorWindow->ReadOnly();
    Note("type " + text);
    // (The keys may close the editor that took them.)
    const QPointer<QWidget> target = KeyTarget();
    const bool toEditor = target && (target == WidgetOf(inner) || WidgetOf(inner)->isAncestorOf(target));
    // Selected cells of a table of the caret's editor (cells of another
    // table left selected do not take the keys).
    std::vector<TBlock> selectedBlocks;
    for (const TSpot& s : Spots())
      if (s.Row == 0 && s.Col == 0 && s.Editor == inner && s.Table->CellsSelected()) {
        TBlock b{s.Table, -1, -1, 0, 0};
        s.Table->GetNormalizedSelectionBounds(false, b.Top, b.Left, b.Cols, b.Rows);
        selectedBlocks.push_back(b);
      }
    // Over selected cells key by key, each where the keyboard is when it
    // comes: the first opens a cell's editor, which takes the rest.
    if (cellsSelected && !readOnly) {
      const QString keys = QString::fromUtf8(text.c_str());
      for (const QChar ch : keys) ASSERT_TRUE(Type(QString(ch).toStdString())) << "typing does not end";
    } else {
      ASSERT_TRUE(Type(text)) << "typing does not end";
    }
    if (cellsSelected) {
      // Typed over selected cells, the text goes into a cell of the block.
      if (readOnly || selectedBlocks.size() != 1) return;
      const TBlock& b = selectedBlocks[0];
      bool seen = false, there = false;
      for (const TSpot& s : Spots())
        if (s.Table == b.Table) {
          seen = true;
          // A cell meets the block when its span does.
          TVLTableCellData* cell = s.Table->GetCell(s.Row, s.Col);
          if (s.Row < b.Top + b.Rows && s.Row + cell->RowSpan > b.Top && s.Col < b.Left + b.Cols &&
              s.Col + cell->ColSpan > b.Left && DocumentText(*cell->GetVLData()).find(text) != std::string::npos)
            there = true;
        }
      EXPECT_TRUE(!seen || there) << "\"" << text << "\" typed over the selected cells " << b
                                  << " is in none of them; shown: " << Shown();
      return;
    }
    EXPECT_TRUE(toEditor) << "the keys go to " << (target ? target->metaObject()->className() : "nothing")
                          << ", not to the editor of the caret";
    if (readOnly) {
      EXPECT_EQ(Shown(), shownBefore) << "a read-only entry took the keys";
      return;
    }
    // The caret's editor may have closed (a key left the cell), but not
    // before the text went into it.
    const std::vector<TCustomVellumEdit*> chain = Chain();
    if (std::find(chain.begin(), chain.end(), inner) != chain.end()) {
      const std::string after = DocumentText(*inner->VLData());
      EXPECT_TRUE(replacing ? Occurrences(after, text) > 0 : InsertedOnce(before, after, text))
          << "the text did not land in the editor of the caret (" << Chain().size() - 1
          << " cell editors open, the keys went to "
          << (toEditor ? "that editor" : target ? target->metaObject()->className() : "nothing")
          << "); shown: " << Shown();
    }
  }
  bool AnyCellsSelected() const {
    for (const TSpot& s : Spots())
      if (s.Table->CellsSelected()) return true;
    return false;
  }

  // Type-ahead: the text arrives while what the Tab set going is still
  // under way, and goes where the keyboard is by then.
  void TabThenTypeAhead(bool back) {
    Note(std::string(back ? "shift+tab" : "tab") + " with type-ahead");
    const Qt::KeyboardModifiers mods = back ? Qt::ShiftModifier : Qt::NoModifier;
    QWidget* target = KeyTarget();
    if (!target) return;
    const std::string before = Shown();
    QTest::keyClick(target, Qt::Key_Tab, mods);
    QTimer::singleShot(0, [] { qytest::TypeKeys(KeyTarget(), "ÿ"); });
    ASSERT_TRUE(Settle()) << "Tab does not end";
    // Where the caret went, the letter is.
    TCustomVellumEdit* inner = Innermost();
    if (AnyCellsSelected()) return;
    if (J->EditorWindow->ReadOnly()) {
      EXPECT_EQ(Shown(), before) << "a read-only entry took the keys";
      return;
    }
    EXPECT_GT(Occurrences(DocumentText(*inner->VLData()), "ÿ"), 0u)
        << "the letter typed after the Tab is not where the caret went; shown: " << Shown();
  }

  void UndoRun(bool redo) {
    const int n = Pick(1, 6);
    const bool keys = Chance(50);
    Note(std::string(redo ? "redo" : "undo") + " x" + std::to_string(n) + (keys ? " by keys" : " by menu"));
    const std::string before = Shown();
    int done = 0;
    for (int i = 0; i < n; ++i) {
      if (keys)
        ASSERT_TRUE(redo ? Key(Qt::Key_Y, Qt::ControlModifier) : Key(Qt::Key_Z, Qt::ControlModifier));
      else if (!Menu(redo ? "vlActionRedo" : "vlActionUndo"))
        break;
      ++done;
    }
    // Undone by the menu, as many Redos give back the entry as it was.
    if (redo || keys || done == 0 || !Offered || !Chance(40)) return;
    Note("  redo x" + std::to_string(done));
    for (int i = 0; i < done; ++i) Menu("vlActionRedo");
    EXPECT_EQ(Shown(), before) << "redoing " << done << " undone steps does not give back the entry";
  }

  void Save() {
    Note("save");
    if (Chance(50))
      ASSERT_TRUE(Key(Qt::Key_S, Qt::ControlModifier));
    else
      ASSERT_TRUE(Menu("ActionSave"));
    CheckStored();
  }
  // The entry stored for the day reads back as the window shows it.
  void CheckStored() {
    const String blob = StoredBlob(J->JournalID, std::floor(J->EntryDate));
    ASSERT_FALSE(blob.empty()) << "nothing stored";
    TEntryDocument doc;
    TMemoryStream s;
    s.Write(blob.data(), static_cast<Int64>(blob.size()));
    s.Seek(0, soBeginning);
    ASSERT_TRUE(doc.LoadVLF(s)) << "the stored entry does not read";
    EXPECT_EQ(DocumentOutline(doc.Data), Shown())
        << "the stored entry differs from the shown one";
  }

  // The word searched for: one in a nested table's cell when there is one.
  std::string FindWord() {
    std::string nested, any;
    for (const char* w : {"café", "Łódź", "don’t", "After"}) {
      std::string out;
      NestedCells(*Edit()->VLData(), 0, out);
      if (nested.empty() && out.find(w) != std::string::npos) nested = w;
      if (any.empty() && ShownText().find(w) != std::string::npos) any = w;
    }
    return nested.empty() ? any : nested;
  }
  // Whether one line of text of the document or of a cell at any depth
  // holds the word whole: the text items between two paragraph starts or
  // line breaks, which the search reads as one text (a style change inside
  // a word, "ca" bold and "fé" plain, splits no match; a picture does).
  static bool HeldInALine(TCustomVLData& d, const std::string& word) {
    std::string line;
    for (Integer i = 0; i < d.GetItemCount(); ++i) {
      TCustomVLItemInfo* item = d.GetItem(i);
      if (item->StyleNo < 0 || d.IsFromNewLine(i)) {
        if (line.find(word) != std::string::npos) return true;
        line.clear();
      }
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c); cell && HeldInALine(*cell->GetVLData(), word))
              return true;
      } else if (item->StyleNo >= 0) {
        line += ItemText(d, i);
      }
    }
    return line.find(word) != std::string::npos;
  }
  // From the start (or the end, going up) of the document of the caret's
  // editor, the entry's or a cell's at any depth, every match in it lies
  // ahead: the search must find the word there when one of its lines
  // holds it.
  bool WordAhead(const std::string& word, bool up) const {
    if (word.empty() || AnyCellsSelected()) return false;
    TCustomVellumEdit* inner = Innermost();
    TVLEditVLData* d = inner->EditData();
    const Integer last = d->GetItemCount() - 1;
    if (d->SelectionExists()) return false;
    const bool atEdge = up ? d->GetCaretItemNo() == last && d->GetCaretOffset() >= d->GetItemEndOffset(last)
                           : d->GetCaretItemNo() == 0 && d->GetCaretOffset() <= d->GetItemStartOffset(0);
    return atEdge && HeldInALine(*inner->VLData(), word);
  }
  static void NestedCells(TCustomVLData& d, int level, std::string& out) {
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i)))
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c)) {
              if (level > 0) out += DocumentText(*cell->GetVLData()) + "/";
              NestedCells(*cell->GetVLData(), level + 1, out);
            }
  }

  // Failures recorded so far in the running test (of every seed).
  static int Failures() {
    return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
  }

  void Step() {
    if (Offered)
      OfferedStep();
    else
      ListedStep();
  }

  // Everything undone (by the menu, as far as it goes) gives back the
  // entry the sequence started with, or last read back.
  void UndoAll() {
    Note("undo everything");
    int presses = 0;
    while (Edit()->GetUndoType() != vlutNone && presses < 2000) {
      ++presses;
      if (!Menu("vlActionUndo")) break;
    }
    EXPECT_EQ(Shown(), Start) << "undoing everything does not give back the start";
  }

  // ===========================================================================
  // The steps the earlier faults were found with, each drawn as then: the
  // sequences that found them replay step for step.

  void Command(const char* action) {
    Note(action);
    Menu(action);  // a disabled command is not reached, as in its menu
  }

  void InsertTableHere() {
    if (Chain().size() > 3) return;  // deeper than three is refused
    const int rows = Pick(1, 3), cols = Pick(1, 3);
    Note("insert table " + std::to_string(rows) + "x" + std::to_string(cols));
    InsertTable(rows, cols);
  }

  void Split() {
    Note("split cells");
    TInteractionScript script;
    const int cols = Pick(1, 3), rows = Pick(1, 2);
    const bool merge = Chance(50), unmerge = Chance(30);
    script.Do([=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmVLSplit*>(r.Form);
      if (!f) return static_cast<int>(mrCancel);
      if (unmerge && f->rbUnmerge->GetEnabled()) {
        f->rbUnmerge->SetChecked(true);
      } else {
        f->rbSplit->SetChecked(true);
        f->seColumns->SetValue(cols);
        f->seRows->SetValue(rows);
        if (f->cbMerge->GetEnabled()) f->cbMerge->SetChecked(merge);
      }
      return static_cast<int>(mrOk);
    });
    Menu("vlActionTableSplitCells");
  }

  void ClipboardCommand() {
    if (Chance(50)) {
      Note("select 3 to the left");
      Keys(Qt::Key_Left, 3, Qt::ShiftModifier);
    }
    static const char* const commands[] = {"vlActionCut", "vlActionCopy", "vlActionPaste"};
    Command(commands[Pick(0, 2)]);
  }

  void Find() {
    const std::string word = FindWord();
    if (word.empty()) return;
    Note("find " + word + ", close the window");
    // Ctrl+Home in a cell goes to the cell's start; in the entry's text,
    // to the entry's, from where every match is ahead.
    const bool home = Chance(50);
    if (home) Key(Qt::Key_Home, Qt::ControlModifier);
    const bool fromTop = home && WordAhead(word, false);
    // The find window is the toolkit's own, not one of the answered boxes.
    TInteractionHook* answers = SetInteractionHook(nullptr);
    const bool shown = Menu("vlActionFind");
    SetInteractionHook(answers);
    if (!shown) return;
    auto* f = dynamic_cast<TvlActionFind*>(Main->FindComponent("vlActionFind"));
    ASSERT_NE(f, nullptr);
    TFindDialog* d = f->FindDialog();
    ASSERT_TRUE(d && d->FWindow->Dialog);
    d->FWindow->Find->setText(QString::fromUtf8(word.c_str()));
    d->FindText = word;
    ASSERT_TRUE(Activate(d->FWindow->Dialog));
    d->FWindow->Find->setFocus();
    Settle();
    {
      TInteractionScript script;  // "not found" answered
      script.Answer(IDOK);
      ASSERT_TRUE(Key(Qt::Key_Return)) << "Find Next does not end";
      // From the top the word is there to be found, and shown selected
      // where the caret went.
      if (fromTop) {
        EXPECT_TRUE(script.Shown.empty()) << word << " not found in " << Shown();
        EXPECT_EQ(WideToUtf8(Innermost()->GetSelTextW()), word) << "the match is not selected where the caret is";
      }
    }
    d->CloseDialog();
    Settle();
    ASSERT_TRUE(Activate(Window()));
    TypeChecked("ð");
  }

  void Print() {
    Note("print to a PDF file");
    TInteractionScript script;
    const std::string pdf = (Dir / ("entry" + std::to_string(++Prints) + ".pdf")).string();
    script.Do([pdf](TInteraction& r) {
      r.PrinterName = PdfFileChoice;
      r.FileName = pdf;
      return static_cast<int>(mrOk);
    });
    for (int i = 0; i < 3; ++i) script.Answer(IDOK);
    Menu("ActionPrint");
    TypeChecked("þ");
  }

  void DateAndBack() {
    const std::string before = Shown();
    const bool back = Chance(50);
    Note(back ? "the day before and back" : "the day after and back");
    {
      TInteractionScript script;
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      if (SideChance(50)) {
        ASSERT_TRUE(Menu(back ? "ActionDatePrevious" : "ActionDateNext"));
        ASSERT_TRUE(Menu(back ? "ActionDateNext" : "ActionDatePrevious"));
      } else {
        // By a day of the month calendar double-clicked, there and back.
        Note("  by the month calendar");
        const double day = std::floor(CurrentJournal->EntryDate);
        for (const double to : {back ? day - 1 : day + 1, day}) {
          Main->MonthCalendar->SetDate(to);
          Main->MonthCalendarDblClick(Main->MonthCalendar);
          ASSERT_TRUE(Settle());
        }
        ASSERT_TRUE(Activate(Window()));
        J->EditorWindow->FocusEditor();
        Settle();
      }
    }
    EXPECT_EQ(Shown(), before) << "the entry read back differs";
    Start = Shown();
  }

  void LockAndOpen() {
    const std::string before = Shown();
    Note("lock and open with the password");
    {
      TInteractionScript script;
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      ASSERT_TRUE(Menu("ActionLock"));
    }
    ASSERT_EQ(ScreenMode, smCover);
    {
      TInteractionScript script;
      script.Do([](TInteraction& r) { return EnterPassword(r); });
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      QTest::mouseClick(WidgetOf(Main->pbOpenQuillory), Qt::LeftButton);
      ASSERT_TRUE(Settle());
    }
    ASSERT_EQ(ScreenMode, smOpen);
    J = CurrentJournal;
    ASSERT_TRUE(J && J->EditorWindow) << "the journal is not shown after the password";
    ASSERT_TRUE(Activate(Window()));
    J->EditorWindow->FocusEditor();
    Settle();
    EXPECT_EQ(Shown(), before) << "the entry read back differs";
    Start = Shown();
  }
  static int EnterPassword(TInteraction& r) { return qytest::AnswerPasswordDialog(r, kPassword); }

  void ListedStep() {
    const int failuresBefore = Failures();
    // (The checks of the model come after the step and draw nothing: the
    // listed steps replay as drawn when they were found.)
    static const char* const texts[] = {"café", "Łódź", "don’t ", "x", "Ünïcödé"};
    // What a step asks besides its own dialogs: a count (Insert Rows
    // Below the last row), a message box read and closed.
    TInteractionScript answers;
    for (int i = 0; i < 8; ++i)
      answers.Do([this](TInteraction& r) {
        if (auto* f = dynamic_cast<TfrmInteger*>(r.Form)) {
          AskedCount = Pick(1, 2);
          f->SetValue(AskedCount);
          return static_cast<int>(mrOk);
        }
        return r.Form ? static_cast<int>(mrCancel) : static_cast<int>(IDOK);
      });
    switch (Pick(0, 38)) {
      case 0: case 1: case 2: InsertTableHere(); break;
      case 3: Command("vlActionTableInsertRowsAbove"); break;
      case 4: Command("vlActionTableInsertRowsBelow"); break;
      case 5: Command("vlActionTableInsertColLeft"); break;
      case 6: Command("vlActionTableInsertColRight"); break;
      case 7: Command("vlActionTableDeleteRows"); break;
      case 8: Command("vlActionTableDeleteCols"); break;
      case 9: if (Chance(40)) Command("vlActionTableDeleteTable"); break;
      case 10: case 11: Command("vlActionTableMergeCells"); break;
      case 12: Split(); break;
      case 13: Command(Chance(50) ? "vlActionTableSelectTable" : "vlActionTableSelectCell"); break;
      case 14: case 15: ClickCell(Qt::ShiftModifier); break;
      case 16: case 17: DragCells(); break;
      case 18: case 19: case 20: TypeChecked(texts[Pick(0, 4)]); break;
      case 21: Note("tab"); Key(Qt::Key_Tab); break;
      case 22: Note("shift+tab"); Key(Qt::Key_Tab, Qt::ShiftModifier); break;
      case 23: TabThenTypeAhead(Chance(30)); break;
      case 24: Note("enter"); Key(Qt::Key_Return); break;
      case 25: Note("join by backspace"); Key(Qt::Key_Home); Key(Qt::Key_Backspace); break;
      case 26: case 27: ClickCell(Qt::NoModifier); break;
      case 28: if (!ClickOutside()) { Note("ctrl+end"); Key(Qt::Key_End, Qt::ControlModifier); } break;
      case 29: case 30: UndoRun(false); break;
      case 31: UndoRun(true); break;
      case 32: ClipboardCommand(); break;
      case 33: if (Chance(50)) Find(); else Print(); break;
      case 34: if (Chance(50)) DateAndBack(); else LockAndOpen(); break;
      case 35: case 36: DoubleClickWord(); break;
      default: Save(); break;
    }
    if (Failures() > failuresBefore) return;
    ASSERT_TRUE(Settle()) << "the window never settles";
    ASSERT_EQ(Escaped, "") << "an exception reached the application";
    // A dialog must not have taken the window's activation for good.
    if (QApplication::activeWindow() != Window()) Activate(Window());
    CheckStructure();
    CheckNumbers();
  }

  // ===========================================================================
  // The steps drawn from what the window offers.

  // The files a dialog may be given: a picture of each kind the program
  // reads, a small RTF document and a text file.
  void MakeFiles() {
    QImage picture(12, 9, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    for (const char* kind : {"png", "jpg"}) {
      const std::string path = (Dir / (std::string("picture.") + kind)).string();
      if (picture.save(QString::fromStdString(path), kind)) Pictures.push_back(path);
    }
    qytest::WriteFileBytes(Dir / "inserted.rtf", "{\\rtf1\\ansi Inserted {\\b RTF} text.\\par}");
    qytest::WriteFileBytes(Dir / "inserted.txt", "Inserted plain text.\n");
  }

  // Every command of the main window's action lists, with each way the
  // window gives it: menu items, keys and tool buttons. One that none of
  // them reach is run by code.
  void FindOffers() {
    std::vector<TBasicAction*> actions;
    for (int i = 0; i < Main->ComponentCount(); ++i)
      if (auto* list = dynamic_cast<TActionList*>(Main->Components(i)))
        for (int k = 0; k < list->ActionCount(); ++k)
          if (!Listed(list->Actions(k)->GetName(), kLeftOut)) actions.push_back(list->Actions(k));
    auto ours = [&](TBasicAction* a) { return a && std::find(actions.begin(), actions.end(), a) != actions.end(); };
    std::function<void(TMenuItem*)> walk = [&](TMenuItem* menu) {
      for (int k = 0; k < menu->Count(); ++k) {
        TMenuItem* item = menu->Items(k);
        if (item->Count() > 0) walk(item);
        else if (ours(item->GetAction())) {
          Offers.push_back({TRoute::Menu, item->GetAction(), item});
          Offers.push_back({TRoute::MenuKeys, item->GetAction(), item});
        }
      }
    };
    walk(Main->MainMenu->Items());
    for (int i = 0; i < Main->ComponentCount(); ++i)
      if (auto* b = dynamic_cast<TToolButton*>(Main->Components(i)); b && ours(b->GetAction()))
        Offers.push_back({TRoute::Button, b->GetAction(), nullptr, b});
    for (TBasicAction* a : actions)
      if (auto* c = dynamic_cast<TCustomAction*>(a)) {
        std::vector<TShortCut> keys = c->GetSecondaryShortCuts();
        if (c->GetShortCut() != 0) keys.insert(keys.begin(), c->GetShortCut());
        for (TShortCut k : keys) Offers.push_back({TRoute::Key, a, nullptr, nullptr, k});
      }
    for (TBasicAction* a : actions)
      if (std::none_of(Offers.begin(), Offers.end(), [a](const TOffer& o) { return o.Action == a; }))
        Offers.push_back({TRoute::Code, a});
    Commands = actions;
    if (!std::getenv("QY_TABLE_SEQUENCE_TRACE")) return;
    static const char* const routes[] = {"menu", "key", "tool button", "code", "the menu bar's keys"};
    for (const TOffer& o : Offers)
      std::printf("offered: %s by %s%s\n", o.Action->GetName().c_str(), routes[static_cast<int>(o.Route)],
                  o.Route == TRoute::Key ? (" " + KeyName(o.Key)).c_str() : "");
  }

  static std::string KeyName(TShortCut key) {
    return KeySequenceOf(key).toString().toStdString();
  }

  // A command given by one of its ways, drawn at random; `table`: one of
  // the Table menu's.
  void OfferedCommand(bool table) {
    std::vector<TBasicAction*> from;
    for (TBasicAction* a : Commands)
      if (!table || a->GetName().rfind("vlActionTable", 0) == 0 || a->GetName() == "vlActionInsertTable")
        from.push_back(a);
    if (from.empty()) return;
    TBasicAction* action = OneOf(from);
    if (Named(action->GetName(), {"ActionDatePrevious", "ActionDateNext", "ActionToggleReadOnly"}) && Chance(60))
      return RoundTrip(action->GetName());
    GiveAny(action->GetName());
  }
  // A command by one of its ways, drawn at random; false when the window
  // offers none.
  bool GiveAny(const String& name) {
    std::vector<TOffer> ways;
    for (const TOffer& o : Offers)
      if (o.Action->GetName() == name) ways.push_back(o);
    if (ways.empty()) return false;
    Give(OneOf(ways));
    return true;
  }

  // Another day and back (Date Previous and Date Next, by menu or key), or
  // Toggle Read Only and back, perhaps with another day and back between
  // them: the day shown again has its caret where it was, in its cell at
  // any depth, and the next letter typed lands there.
  void RoundTrip(const String& first) {
    const TCaretAt was = CaretAt();
    const int boxes = Boxes;
    const bool readOnly = first == "ActionToggleReadOnly";
    auto dayAndBack = [this](bool back) {
      // By the Date menu's commands, or by a day of the month calendar
      // double-clicked, or by the date picker.
      const int by = SidePick(0, 3);
      Note(std::string(back ? "the day before and back" : "the day after and back") +
           (by == 2 ? " by the month calendar:" : by == 3 ? " by the date picker:" : ":"));
      if (by < 2) {
        if (GiveAny(back ? "ActionDatePrevious" : "ActionDateNext") && Settle() && Escaped.empty())
          GiveAny(back ? "ActionDateNext" : "ActionDatePrevious");
        return;
      }
      const double day = std::floor(CurrentJournal->EntryDate);
      for (const double to : {back ? day - 1 : day + 1, day}) {
        if (!Escaped.empty() || !CurrentJournal) return;
        if (by == 2) {
          Main->MonthCalendar->SetDate(to);
          Main->MonthCalendarDblClick(Main->MonthCalendar);
        } else {
          Main->QuilloryDate->SetDate(to);
        }
        Settle();
      }
      if (QApplication::activeWindow() != Window()) Activate(Window());
      if (CurrentJournal && CurrentJournal->EditorWindow) CurrentJournal->EditorWindow->FocusEditor();
      Settle();
    };
    if (readOnly) {
      Note("toggle read only and back:");
      GiveAny(first);
      if (Chance(50) && Settle() && Escaped.empty()) dayAndBack(Chance(70));
      if (Settle() && Escaped.empty()) GiveAny(first);
    } else {
      dayAndBack(first == "ActionDatePrevious");
    }
    Given = first;
    // (A box answered on the way may have left the entry unsaved, or shown
    // another.)
    if (Boxes == boxes && ErrorsShown.empty()) RoundTripCaret = std::make_pair(was, std::string(readOnly ? "after Toggle Read Only and back" : "after a date change and back"));
  }

  void Give(const TOffer& o) {
    const String name = o.Action->GetName();
    switch (o.Route) {
      case TRoute::Menu: {
        Note(name + " by its menu");
        o.Action->Update();
        QAction* handle = o.Item->Handle();
        if (!handle || !handle->isEnabled() || !handle->isVisible()) return Note("  (disabled)");
        Run(name, [handle] { handle->trigger(); });
        break;
      }
      case TRoute::Key: {
        const QKeyCombination key = KeySequenceOf(o.Key)[0];
        Note(name + " by " + KeyName(o.Key));
        QWidget* active = QApplication::activeWindow();
        if (!active || !active->windowHandle()) return;
        Run(name, [&] { qytest::WindowKeyClick(active->windowHandle(), key.key(), key.keyboardModifiers()); });
        break;
      }
      case TRoute::Button: {
        QWidget* w = WidgetOf(o.Button);
        const bool shown = w && w->isVisible() && w->window() == Window();
        Note(name + " by its tool button" + (shown ? "" : " (from the bar's overflow)"));
        // A greyed button does nothing (a Cut in a read-only entry).
        o.Action->Update();
        if (w && !w->isEnabled()) return Note("  (disabled)");
        if (!shown) {
          // Where the bar has no room, its overflow menu clicks the button.
          Run(name, [&] { o.Button->Click(); });
          break;
        }
        const QPoint at = w->mapTo(Window(), w->rect().center());
        Run(name, [&] { ClickWindowAt(at, Qt::NoModifier); });
        break;
      }
      case TRoute::Code:
        Note(name + " (no menu, key or button: run by code)");
        Run(name, [&] { o.Action->Execute(); });
        break;
      case TRoute::MenuKeys: {
        Note(name + " by the menu bar's keys");
        o.Action->Update();
        QAction* handle = o.Item->Handle();
        if (!handle || !handle->isEnabled() || !handle->isVisible()) return Note("  (disabled)");
        // The bar answers its keys in the main window only.
        if (QApplication::activeWindow() != Window()) return Note("  (the main window is not the active one)");
        const std::vector<QAction*> path = MenuPath(Main->MainMenu->Items(), o.Item);
        Run(name, [&] { ChooseFromBarByKeys(path); });
        break;
      }
    }
  }

  // The items of a menu from its top down to an item, inclusive (empty
  // when the item is not in it).
  static std::vector<QAction*> MenuPath(TMenuItem* menu, TMenuItem* item) {
    std::vector<QAction*> path;
    std::function<bool(TMenuItem*)> find = [&](TMenuItem* m) {
      for (int k = 0; k < m->Count(); ++k) {
        TMenuItem* i = m->Items(k);
        path.push_back(i->Handle());
        if (i == item || (i->Count() > 0 && find(i))) return true;
        path.pop_back();
      }
      return false;
    };
    find(menu);
    return path;
  }

  // The main menu bar opened by Alt and its menu's letter, each menu below
  // gone into by its item's letter or by Down to it and Right, and the last
  // item chosen by its letter or by Down and Enter, as a user at the
  // keyboard does; each press through the window system.
  void ChooseFromBarByKeys(const std::vector<QAction*>& path) {
    ASSERT_GE(path.size(), 2u);
    const QKeySequence bar = QKeySequence::mnemonic(path[0]->text());
    ASSERT_FALSE(bar.isEmpty()) << "the menu \"" << path[0]->text().toStdString() << "\" has no letter";
    bool chosen = false;
    const QMetaObject::Connection watch = QObject::connect(path.back(), &QAction::triggered, [&chosen] { chosen = true; });
    struct TUnwatch {
      const QMetaObject::Connection& C;
      ~TUnwatch() { QObject::disconnect(C); }
    } unwatch{watch};
    qytest::WindowKeyClick(Window()->windowHandle(), bar[0].key(), Qt::AltModifier);
    for (size_t level = 1; level < path.size(); ++level) {
      QAction* want = path[level];
      // A menu gone into by its letter opens a moment later.
      QMenu* menu = nullptr;
      WaitFor([&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu && menu->actions().contains(want);
      }, 5000);
      ASSERT_TRUE(menu && menu->actions().contains(want))
          << "the keys do not open the menu that holds \"" << want->text().toStdString() << "\"";
      // Opening the menu brings its items' states up to date.
      if (!want->isEnabled() || !want->isVisible()) {
        Note("  (disabled when its menu opened)");
        while (QApplication::activePopupWidget()) QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        return;
      }
      const QKeySequence letter = QKeySequence::mnemonic(want->text());
      if (!letter.isEmpty() && Chance(50)) {
        // The item's own letter chooses it (or opens its menu).
        QTest::keyClick(menu, letter[0].key());
        continue;
      }
      for (qsizetype i = 0; menu->activeAction() != want && i <= menu->actions().size(); ++i)
        QTest::keyClick(menu, Qt::Key_Down);
      ASSERT_EQ(menu->activeAction(), want) << "Down never reaches \"" << want->text().toStdString() << "\"";
      QTest::keyClick(menu, level + 1 < path.size() ? Qt::Key_Right : Qt::Key_Return);
    }
    // Chosen, every menu is closed.
    Settle();
    EXPECT_TRUE(chosen) << "the menu bar's keys did not choose \"" << path.back()->text().toStdString() << "\"";
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu stays open after its item was chosen";
    while (auto* left = QApplication::activePopupWidget()) left->close();
  }

  // Gives a command and answers what it opened; a Copy or Cut is followed
  // by a look at the clipboard.
  void Run(const String& name, const std::function<void()>& give) {
    Given = name;
    const bool copying = Named(name, {"vlActionCopy", "vlActionCut"});
    const TSelected selected = copying ? Selection() : TSelected();
    const std::string clipboardBefore = copying ? ClipboardContent() : std::string();
    // A read-only entry refuses a Cut given by its keys as its greyed items
    // do: nothing goes, so nothing reaches the clipboard.
    const bool refusedCut = name == "vlActionCut" && J->EditorWindow->ReadOnly();
    const std::string shownBefore = refusedCut ? Shown() : std::string();
    const bool stamping = Named(name, {"ActionDateStamp", "ActionTimeStamp", "ActionDateTimeStamp"}) &&
                          !J->EditorWindow->ReadOnly() && !AnyCellsSelected();
    TCustomVellumEdit* caretEditor = Innermost();
    const std::string textBefore = stamping ? DocumentText(*caretEditor->VLData()) : std::string();
    const TCommandModel model = ModelBefore(name);
    const TCellsModel cells = CellsBefore(name);
    // Around a save, Undo takes back the same step: the save's closing and
    // opening of cell editors adds nothing to undo.
    std::string undone;
    if (name == "ActionSave" && !J->EditorWindow->ReadOnly() && (Replaying || Chance(40))) {
      const std::string was = Shown();
      if (Menu("vlActionUndo")) {
        Note("  undo and redo before the save");
        undone = Shown();
        Menu("vlActionRedo");
        EXPECT_EQ(Shown(), was) << "Redo does not give back what Undo took";
      }
    }
    // Where the save finds the caret.
    if (name == "ActionSave") CaretAtSave = CaretAt();
    {
      const qytest::TCallWatchdog watchdog("the command " + name);
      give();
      Settle();
    }
    if (!undone.empty() && Escaped.empty() && CurrentJournal == J && Loads == LoadsSeen && Edit()) {
      Note("  undo and redo after the save");
      const std::string saved = Shown();
      Menu("vlActionUndo");
      EXPECT_EQ(Shown(), undone) << "after a save, Undo does not take back the last step before it";
      Menu("vlActionRedo");
      EXPECT_EQ(Shown(), saved) << "after a save, Redo does not give back what Undo took";
    }
    if (Escaped.empty() && CurrentJournal == J && Edit()) CheckModel(model);
    if (Escaped.empty() && CurrentJournal == J && Edit()) CheckCells(cells);
    if (refusedCut) {
      EXPECT_EQ(Shown(), shownBefore) << name << " in a read-only entry changed it";
      EXPECT_EQ(ClipboardContent(), clipboardBefore) << name << " in a read-only entry changed the clipboard";
    } else if (copying) {
      CheckClipboard(name, selected, clipboardBefore);
    }
    // A stamp goes in as a paragraph of its own in the editor of the caret.
    // (Other commands may have closed the journal the sequence holds.)
    if (!stamping || !Escaped.empty()) return;
    const std::vector<TCustomVellumEdit*> chain = Chain();
    if (std::find(chain.begin(), chain.end(), caretEditor) != chain.end()) {
      // The stamp goes before the caret's item, which may split a paragraph
      // (one that began with an older stamp, or a stamp whose text got two
      // styles): one more stamp text, and one more paragraph that is one.
      const std::string after = DocumentText(*caretEditor->VLData());
      const std::map<std::string, int> was = StampParagraphs(textBefore), is = StampParagraphs(after);
      const auto whole = [](const std::map<std::string, int>& m) {
        int n = 0;
        for (const auto& p : m) n += p.second;
        return n;
      };
      const auto paragraphs = [](const std::string& text) { return std::count(text.begin(), text.end(), '|'); };
      // A stamp that splits an older one of the same text leaves as many
      // whole ones of that text: then the split shows as two more
      // paragraphs.
      const bool grew = std::any_of(is.begin(), is.end(),
                                    [&](const auto& p) {
                                      const auto w = was.find(p.first);
                                      return p.second > (w == was.end() ? 0 : w->second);
                                    }) ||
                        (whole(is) >= whole(was) && paragraphs(after) == paragraphs(textBefore) + 2);
      // One stamp more; or, put inside an older one (or between two run
      // together, whose stars looked like a third's), as many and two
      // paragraphs more.
      const int added = StampTexts(after) - StampTexts(textBefore);
      EXPECT_TRUE(grew && (added == 1 || (added == 0 && paragraphs(after) == paragraphs(textBefore) + 2)))
          << name << ": no stamp of its own paragraph came into the editor of the caret (" << chain.size() - 1
          << " cell editors open); before: " << textBefore << "; after: " << Shown();
    }
  }
  // What a command is expected to make, from the caret's cell and table
  // before it: a table of the shape asked for, with the caret in its first
  // cell, put before the paragraph when the caret began a list's line; rows
  // or columns more or fewer in the caret's table and the other way
  // unchanged; the table gone; a list's marker set or taken off the caret's
  // paragraph; pasted words where the caret was.
  struct TCommandModel {
    String Name;
    bool Active = false;
    TCustomVellumEdit* Editor = nullptr;  // the caret's
    TCustomVellumEdit* Holder = nullptr;  // the one that holds the caret's table
    TVLTableItemInfo* Table = nullptr;
    Integer Rows = 0, Cols = 0;
    Integer Tables = 0;  // in the caret's editor's document
    bool ListStart = false;
    std::string Outline;  // of the caret's editor's document
    std::string PastedWord;
  };
  static Integer TablesIn(TCustomVLData& d) {
    Integer n = 0;
    for (Integer i = 0; i < d.GetItemCount(); ++i) n += dynamic_cast<TVLTableItemInfo*>(d.GetItem(i)) != nullptr;
    return n;
  }
  bool InChain(const TCustomVellumEdit* e) const {
    const std::vector<TCustomVellumEdit*> chain = Chain();
    return e && std::find(chain.begin(), chain.end(), e) != chain.end();
  }
  // A table takes no list marker, so the toggle is not checked over it: a
  // selection of tables and paragraphs that all carry the toggle's list
  // already changes nothing.
  bool ListAllTheyCanTake(TVLEditVLData& d, const String& name) const {
    if (!d.SelectionExists()) return false;
    TvlActionCustomParaListSwitcher* toggle = nullptr;
    for (TBasicAction* a : Commands)
      if (a->GetName() == name) toggle = dynamic_cast<TvlActionCustomParaListSwitcher*>(a);
    Integer first = 0, firstOffs = 0, last = 0, lastOffs = 0;
    d.GetSelBounds(true, first, firstOffs, last, lastOffs);
    if (!toggle || first < 0) return false;
    while (first > 0 && !d.IsParaStart(first)) --first;
    TVLListInfos& lists = *d.GetStyle()->ListStyles;
    bool table = false;
    for (Integer i = first; i <= last && i < d.GetItemCount(); ++i) {
      if (!d.IsParaStart(i)) continue;
      if (dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) {
        table = true;
        continue;
      }
      Integer list = -1, level = 0, start = 0;
      bool reset = false;
      if (d.GetListMarkerInfo(i, list, level, start, reset) < 0 || list < 0 || list >= lists.Count() ||
          !lists.Items(list)->Levels->IsEqual(toggle->GetListLevels()))
        return false;
    }
    return table;
  }
  TCommandModel ModelBefore(const String& name) {
    TCommandModel m;
    m.Name = name;
    if (J->EditorWindow->ReadOnly() || AnyCellsSelected()) return m;
    const std::vector<TCustomVellumEdit*> chain = Chain();
    m.Editor = chain.back();
    if (auto* cell = dynamic_cast<TVLTableInplaceEdit*>(m.Editor); cell && chain.size() > 1) {
      m.Holder = chain[chain.size() - 2];
      m.Table = cell->Table;
      m.Rows = m.Table->RowCount();
      m.Cols = m.Table->ColCount();
    }
    TVLEditVLData* d = m.Editor->EditData();
    // The caret on a table of its editor: that table is the one a table
    // command works on (Delete Table is the one whose outcome is plain).
    if (const Integer at = d->GetCaretItemNo(); at >= 0 && at < d->GetItemCount())
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d->GetItem(at))) {
        m.Table = name == "vlActionTableDeleteTable" ? t : nullptr;
        m.Holder = m.Editor;
      }
    // (A selection the command replaces may hold tables.)
    m.Tables = d->SelectionExists() ? -1 : TablesIn(*d);
    m.Outline = DocumentOutline(*d);
    const Integer n = d->GetCaretItemNo();
    m.ListStart = n > 0 && n < d->GetItemCount() && d->GetItem(n - 1)->StyleNo == vlsListMarker &&
                  d->GetItem(n)->StyleNo >= 0 && !d->SelectionExists() &&
                  (d->GetItemTextA(n).empty() || d->GetCaretOffset() <= d->GetItemStartOffset(n));
    if (name == "vlActionPaste") {
      // The longest word of the clipboard's text (not a list's number).
      for (const std::string& w : Words(Clipboard().GetAsText()))
        if (w.size() > m.PastedWord.size() &&
            !std::all_of(w.begin(), w.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); }))
          m.PastedWord = w;
    }
    if (name == "vlActionParaBullets" || name == "vlActionParaNumbering")
      m.Active = n >= 0 && n < d->GetItemCount() && d->GetItem(n)->StyleNo >= 0 && !ListAllTheyCanTake(*d, name);
    else
      m.Active = name == "vlActionInsertTable" || name == "vlActionPaste" || m.Table;
    InsTableAsked = false;
    return m;
  }
  void CheckModel(const TCommandModel& m) {
    if (!m.Active || J->EditorWindow->ReadOnly()) return;
    const std::string name = m.Name;
    const bool editorOpen = InChain(m.Editor);
    const bool tableThere = m.Table && InChain(m.Holder) && m.Holder->VLData()->GetItemNo(m.Table) >= 0;
    if (name == "vlActionInsertTable") {
      if (!InsTableAsked || !editorOpen) return;
      auto* cell = dynamic_cast<TVLTableInplaceEdit*>(Innermost());
      const std::vector<TCustomVellumEdit*> chain = Chain();
      ASSERT_TRUE(cell && chain.size() >= 2 && chain[chain.size() - 2] == m.Editor)
          << "Insert Table: the caret is not in a cell of a table in the editor it was in; shown: " << Shown();
      if (m.Tables >= 0) {
        EXPECT_EQ(TablesIn(*m.Editor->VLData()), m.Tables + 1) << "Insert Table: not one table more where the caret was";
      }
      EXPECT_EQ(std::make_pair(cell->Table->RowCount(), cell->Table->ColCount()), InsTableShape)
          << "Insert Table: not the shape asked for";
      EXPECT_EQ(std::make_pair(cell->Row, cell->Col), std::make_pair(Integer(0), Integer(0)))
          << "Insert Table: the caret is not in the new table's first cell";
      if (m.ListStart) {
        TCustomVLData* d = m.Editor->VLData();
        const Integer at = d->GetItemNo(cell->Table);
        EXPECT_TRUE(at >= 0 && at + 1 < d->GetItemCount() && d->GetItem(at + 1)->StyleNo == vlsListMarker)
            << "Insert Table at the start of a list's line: the table is not put before the line's marker; shown: "
            << Shown();
      }
    } else if (name == "vlActionTableInsertRowsAbove" || name == "vlActionTableInsertRowsBelow") {
      if (!tableThere) return;
      // One row above; below, one, or as many as the prompt was given.
      const Integer added = name != "vlActionTableInsertRowsBelow" || AskedCount == 0 ? 1 : std::max(AskedCount, 0);
      EXPECT_TRUE(m.Table->RowCount() == m.Rows + added && m.Table->ColCount() == m.Cols)
          << name << ": " << m.Rows << "x" << m.Cols << " became " << m.Table->RowCount() << "x" << m.Table->ColCount()
          << ", not with " << added << " more rows";
    } else if (name == "vlActionTableInsertColLeft" || name == "vlActionTableInsertColRight") {
      if (!tableThere) return;
      EXPECT_TRUE(m.Table->ColCount() == m.Cols + 1 && m.Table->RowCount() == m.Rows)
          << name << ": " << m.Rows << "x" << m.Cols << " became " << m.Table->RowCount() << "x" << m.Table->ColCount();
    } else if (name == "vlActionTableDeleteRows") {
      if (!tableThere) return;
      // (Columns that only merged cells kept apart may go with them.)
      EXPECT_TRUE(m.Table->RowCount() < m.Rows && m.Table->ColCount() <= m.Cols)
          << name << ": " << m.Rows << "x" << m.Cols << " became " << m.Table->RowCount() << "x" << m.Table->ColCount();
    } else if (name == "vlActionTableDeleteCols") {
      if (!tableThere) return;
      EXPECT_TRUE(m.Table->ColCount() < m.Cols && m.Table->RowCount() <= m.Rows)
          << name << ": " << m.Rows << "x" << m.Cols << " became " << m.Table->RowCount() << "x" << m.Table->ColCount();
    } else if (name == "vlActionTableDeleteTable") {
      if (!InChain(m.Holder)) return;
      EXPECT_LT(m.Holder->VLData()->GetItemNo(m.Table), 0) << "Delete Table left the table; shown: " << Shown();
    } else if (name == "vlActionParaBullets" || name == "vlActionParaNumbering") {
      if (!editorOpen) return;
      EXPECT_NE(DocumentOutline(*m.Editor->VLData()), m.Outline)
          << name << " changed nothing in the caret's editor; shown: " << Shown();
    } else if (name == "vlActionPaste") {
      if (m.PastedWord.empty()) return;
      // In the caret's editor, or (cells pasted) in the table it is a cell of.
      const bool landed = (InChain(m.Editor) && DocumentText(*m.Editor->VLData()).find(m.PastedWord) != std::string::npos) ||
                          (InChain(m.Holder) && DocumentText(*m.Holder->VLData()).find(m.PastedWord) != std::string::npos);
      EXPECT_TRUE(landed)
          << "Paste: \"" << m.PastedWord << "\" of the clipboard did not land where the caret was; shown: " << Shown();
    }
  }

  // Merge and Split of cells, from the table the keys go to: its block of
  // selected cells, else the cell the caret is in; each cell's words by
  // its place.
  struct TSplitAsked {
    bool Given = false, Unmerge = false, Merge = false;
    int Cols = 0, Rows = 0;
  };
  struct TCellsModel {
    String Name;
    TVLTableItemInfo* Table = nullptr;
    TCustomVellumEdit* Holder = nullptr;
    bool Block = false;  // cells selected, not the caret's cell
    Integer Top = 0, Left = 0, Cols = 0, Rows = 0, TableRows = 0, TableCols = 0;
    std::map<std::pair<Integer, Integer>, std::vector<std::string>> Words;
    std::string Outline;  // of the holder's document
  };
  static std::string Joined(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
  }
  static std::map<std::pair<Integer, Integer>, std::vector<std::string>> CellWords(TVLTableItemInfo* t) {
    std::map<std::pair<Integer, Integer>, std::vector<std::string>> words;
    for (Integer r = 0; r < t->RowCount(); ++r)
      for (Integer c = 0; c < t->ColCount(); ++c)
        if (TVLTableCellData* cell = t->GetCell(r, c)) words[{r, c}] = Words(DocumentText(*cell->GetVLData()));
    return words;
  }
  TCellsModel CellsBefore(const String& name) {
    TCellsModel m;
    m.Name = name;
    SplitAsked = TSplitAsked{};
    if (!Named(name, {"vlActionTableMergeCells", "vlActionTableSplitCells"}) || J->EditorWindow->ReadOnly()) return m;
    TCustomVellumEdit* inner = Innermost();
    for (const TSpot& s : Spots())
      if (s.Row == 0 && s.Col == 0 && s.Editor == inner && s.Table->CellsSelected() &&
          inner->EditData()->ActiveItem.Get() == s.Table) {
        m.Table = s.Table;
        m.Holder = inner;
        m.Block = true;
        s.Table->GetNormalizedSelectionBounds(false, m.Top, m.Left, m.Cols, m.Rows);
      }
    const std::vector<TCustomVellumEdit*> chain = Chain();
    if (auto* cell = dynamic_cast<TVLTableInplaceEdit*>(inner); !m.Table && cell && chain.size() > 1 &&
                                                                !inner->EditData()->SelectionExists()) {
      m.Table = cell->Table;
      m.Holder = chain[chain.size() - 2];
      m.Top = cell->Row;
      m.Left = cell->Col;
      m.Rows = cell->Cell->RowSpan;
      m.Cols = cell->Cell->ColSpan;
    }
    if (!m.Table) return m;
    m.TableRows = m.Table->RowCount();
    m.TableCols = m.Table->ColCount();
    m.Words = CellWords(m.Table);
    m.Outline = DocumentOutline(*m.Holder->VLData(), false);
    return m;
  }
  // A cell spanning `span` columns (or rows) split into more parts: its
  // columns share them, the left ones taking the extra ones (from the
  // right, each takes the parts left over its columns left, rounded down).
  static std::vector<Integer> SplitShares(Integer span, Integer parts) {
    std::vector<Integer> shares(static_cast<size_t>(span), 1);
    for (Integer k = span - 1, left = parts; k >= 0; --k) {
      shares[static_cast<size_t>(k)] = left / (k + 1);
      left -= shares[static_cast<size_t>(k)];
    }
    return shares;
  }
  // Where a column (or row) k of the table went by the split of the cell
  // whose columns from `first` took those shares: a column's new parts go
  // in before it, and the cells of the other rows there grow over them.
  static Integer SplitPlace(Integer k, Integer first, const std::vector<Integer>& shares) {
    Integer at = k;
    for (Integer i = first; i < first + static_cast<Integer>(shares.size()) && i < k; ++i)
      at += shares[static_cast<size_t>(i - first)] - 1;
    return at;
  }
  // Merge makes the block one cell at its top left, spanning it, holding
  // the words of its cells in reading order (or, refused, changes
  // nothing). Split of the caret's cell into C columns and R rows makes it
  // C x R cells (the columns and rows it spanned sharing the parts), its
  // words in the last part of its first column and row, the others empty;
  // Unmerge makes a merged cell the cells it spanned, its words in the
  // first. Cells outside keep their words.
  void CheckCells(const TCellsModel& m) {
    if (!m.Table || !InChain(m.Holder) || m.Holder->VLData()->GetItemNo(m.Table) < 0) return;
    const std::string name = m.Name;
    if (DocumentOutline(*m.Holder->VLData(), false) == m.Outline) return;  // refused, or cancelled
    TVLTableItemInfo* t = m.Table;
    const auto after = CellWords(t);
    auto words = [&after](Integer r, Integer c) {
      const auto w = after.find({r, c});
      return w == after.end() ? std::string("(none)") : Joined(w->second);
    };
    std::string faults;
    Integer addRows = 0, addCols = 0;
    // The parts each row and column the split cell spanned became (one
    // each when none were added).
    std::vector<Integer> rowShares(static_cast<size_t>(m.Rows), 1), colShares(static_cast<size_t>(m.Cols), 1);
    if (name == "vlActionTableMergeCells") {
      if (!m.Block) return;
      std::vector<std::string> all;
      for (Integer r = m.Top; r < m.Top + m.Rows; ++r)
        for (Integer c = m.Left; c < m.Left + m.Cols; ++c)
          if (const auto w = m.Words.find({r, c}); w != m.Words.end()) all.insert(all.end(), w->second.begin(), w->second.end());
      if (t->RowCount() != m.TableRows || t->ColCount() != m.TableCols) return;  // rows or columns only merges kept apart go
      TVLTableCellData* merged = t->GetCell(m.Top, m.Left);
      if (!merged || merged->RowSpan != m.Rows || merged->ColSpan != m.Cols)
        faults += "the cell " + std::to_string(m.Top) + "," + std::to_string(m.Left) + " does not span the " +
                  std::to_string(m.Rows) + "x" + std::to_string(m.Cols) + " block; ";
      if (words(m.Top, m.Left) != Joined(all))
        faults += "the merged cell holds \"" + words(m.Top, m.Left) + "\", not \"" + Joined(all) + "\"; ";
      for (Integer r = m.Top; r < m.Top + m.Rows; ++r)
        for (Integer c = m.Left; c < m.Left + m.Cols; ++c)
          if ((r != m.Top || c != m.Left) && t->GetCell(r, c))
            faults += "the cell " + std::to_string(r) + "," + std::to_string(c) + " of the block is still a cell; ";
    } else {
      if (m.Block || !SplitAsked.Given || SplitAsked.Merge) return;
      std::vector<std::string> was;
      if (const auto w = m.Words.find({m.Top, m.Left}); w != m.Words.end()) was = w->second;
      Integer rows = m.Rows, cols = m.Cols;
      // Where the words stay: a cell split into more parts than it spans
      // gains them before it and keeps its words as the last; one split
      // into as many, or unmerged, keeps them in the first.
      Integer wordsRow = m.Top, wordsCol = m.Left;
      // Parts of one row and column each, when the cell spanned no more
      // than asked (a wider one is merged again into groups).
      bool single = true;
      if (!SplitAsked.Unmerge) {
        addRows = std::max<Integer>(0, SplitAsked.Rows - m.Rows);
        addCols = std::max<Integer>(0, SplitAsked.Cols - m.Cols);
        rows = std::max<Integer>(m.Rows, SplitAsked.Rows);
        cols = std::max<Integer>(m.Cols, SplitAsked.Cols);
        if (addRows > 0) rowShares = SplitShares(m.Rows, SplitAsked.Rows);
        if (addCols > 0) colShares = SplitShares(m.Cols, SplitAsked.Cols);
        wordsRow = m.Top + rowShares.front() - 1;
        wordsCol = m.Left + colShares.front() - 1;
        single = SplitAsked.Rows >= m.Rows && SplitAsked.Cols >= m.Cols;
      }
      if (t->RowCount() != m.TableRows + addRows || t->ColCount() != m.TableCols + addCols)
        faults += "the table of " + std::to_string(m.TableRows) + "x" + std::to_string(m.TableCols) + " became " +
                  std::to_string(t->RowCount()) + "x" + std::to_string(t->ColCount()) + "; ";
      else
        for (Integer r = m.Top; r < m.Top + rows; ++r)
          for (Integer c = m.Left; c < m.Left + cols; ++c) {
            TVLTableCellData* part = t->GetCell(r, c);
            const std::string want = r == wordsRow && c == wordsCol ? Joined(was) : std::string();
            if (single ? !part || part->RowSpan != 1 || part->ColSpan != 1 || words(r, c) != want
                       : part && words(r, c) != want)
              faults += "the part " + std::to_string(r) + "," + std::to_string(c) + " is " +
                        (part ? std::to_string(part->RowSpan) + "x" + std::to_string(part->ColSpan) + " holding \"" +
                                    words(r, c) + "\""
                              : std::string("no cell")) +
                        ", not " + (single ? "1x1 " : "") + "holding \"" + want + "\"; ";
          }
    }
    // The cells outside keep their words (beside the split, at their
    // places moved by the rows and columns it added).
    if (t->RowCount() == m.TableRows + addRows && t->ColCount() == m.TableCols + addCols)
      for (const auto& [at, w] : m.Words) {
        const bool inside = at.first >= m.Top && at.first < m.Top + m.Rows && at.second >= m.Left && at.second < m.Left + m.Cols;
        if (inside) continue;
        const Integer r = SplitPlace(at.first, m.Top, rowShares), c = SplitPlace(at.second, m.Left, colShares);
        if (words(r, c) != Joined(w))
          faults += "the cell " + std::to_string(at.first) + "," + std::to_string(at.second) + " outside holds \"" +
                    words(r, c) + "\", not \"" + Joined(w) + "\"; ";
      }
    const std::string asked = name != "vlActionTableSplitCells" || SplitAsked.Unmerge
                                  ? std::string()
                                  : " into " + std::to_string(SplitAsked.Cols) + " columns and " +
                                        std::to_string(SplitAsked.Rows) + " rows";
    EXPECT_EQ(faults, "") << name << (SplitAsked.Unmerge ? " (unmerge)" : asked) << " of " << m.Rows << "x" << m.Cols
                          << " at " << m.Top << "," << m.Left << (m.Block ? " (selected)" : " (the caret's cell)")
                          << " in a table of " << m.TableRows << "x" << m.TableCols << "; shown: " << Shown();
  }

  // The paragraphs of a document's text that are whole stamps, by text.
  static std::map<std::string, int> StampParagraphs(const std::string& text) {
    std::map<std::string, int> n;
    std::string paragraph;
    for (const char c : text + "|") {
      if (c != '|' && c != '[' && c != ']') {
        paragraph += c;
        continue;
      }
      if (paragraph.size() > 14 && paragraph.rfind("* * *  ", 0) == 0 &&
          paragraph.compare(paragraph.size() - 7, 7, "  * * *") == 0)
        ++n[paragraph];
      paragraph.clear();
    }
    return n;
  }
  // The stamps' beginnings in a text.
  static int StampTexts(const std::string& text) {
    int n = 0;
    for (size_t at = text.find("* * *  "); at != std::string::npos; at = text.find("* * *  ", at + 1)) ++n;
    return n;
  }

  // What a Copy would take: the selected cells, else the selected text of
  // the editor the caret is in; and its outline (without widths and list
  // numbers, which a copy read alone counts anew): the block of cells as a
  // table of its own, or the selected part of the editor's document.
  TSelected Selection() const {
    TSelected s;
    std::vector<const TVLTableItemInfo*> tables;
    for (const TSpot& spot : Spots())
      if (spot.Table->CellsSelected() && spot.Table->IsCellSelected(spot.Row, spot.Col)) {
        s.Any = true;
        s.Text += DocumentText(*spot.Table->GetCell(spot.Row, spot.Col)->GetVLData()) + " ";
        if (std::find(tables.begin(), tables.end(), spot.Table) == tables.end()) tables.push_back(spot.Table);
      }
    if (s.Any) {
      if (tables.size() == 1) s.Outline = BlockOutline(const_cast<TVLTableItemInfo*>(tables[0]));
      return s;
    }
    TCustomVellumEdit* inner = Innermost();
    if (inner->SelectionExists()) {
      s.Any = true;
      s.Text = WideToUtf8(inner->GetSelTextW());
      qytest::TOutlineRange r;
      inner->GetSelectionBounds(r.From, r.FromOffs, r.To, r.ToOffs, true);
      if (r.From >= 0) s.Outline = DocumentOutline(*inner->VLData(), false, false, nullptr, r);
    }
    return s;
  }
  // The selected block of a table's cells as a table of its own.
  static std::string BlockOutline(TVLTableItemInfo* t) {
    Integer top, left, cols, rows;
    if (!t->GetNormalizedSelectionBounds(false, top, left, cols, rows)) return std::string();
    std::map<std::pair<Integer, bool>, std::string> keys;
    return TableOutline(*t, top, left, rows, cols, false, false, &keys);
  }
  static std::string ClipboardContent() {
    std::string all;
    for (const Word f : Clipboard().Formats()) all += ClipboardFormatName(f) + "=" + Clipboard().GetData(f) + ";";
    return all;
  }
  // What the clipboard holds after a Copy or Cut: the selected words in its
  // plain text, and the RTF and the program's own format there and reading
  // back with those words. Without a selection it is left as it was.
  void CheckClipboard(const String& command, const TSelected& selected, const std::string& before) {
    if (!selected.Any) {
      EXPECT_EQ(ClipboardContent(), before) << command << " without a selection changed the clipboard";
      return;
    }
    const std::vector<std::string> words = Words(selected.Text);
    TClipboard& c = Clipboard();
    const std::string plain = c.GetAsText();
    // A document read back keeps a list's numbers as markers, not as the
    // text the plain form writes: there a word of digits alone is not looked
    // for (the plain text has them all).
    auto lacking = [&](const std::string& text, bool document = false) {
      std::string missing;
      for (const std::string& w : words)
        if (!(document && std::all_of(w.begin(), w.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); })) &&
            text.find(w) == std::string::npos)
          missing += w + " ";
      return missing;
    };
    EXPECT_EQ(lacking(plain), "") << command << " of \"" << selected.Text << "\": the clipboard's text \"" << plain
                                  << "\" lacks these words";
    static const Word rtf = RegisterClipboardFormat(RTFClipboardFormatName);
    static const Word vlf = RegisterClipboardFormat(VLFClipboardFormatName);
    const std::vector<Word> formats = c.Formats();
    for (const Word f : {rtf, vlf})
      EXPECT_NE(std::find(formats.begin(), formats.end(), f), formats.end())
          << command << ": the clipboard offers no " << ClipboardFormatName(f);
    for (const Word f : formats) {
      if (f == CF_BITMAP || f == CF_DIB) {
        TBitmap picture;
        EXPECT_TRUE(c.GetBitmap(picture)) << command << ": the clipboard's picture does not read";
        continue;
      }
      // The plain text holds the words (none for a picture alone).
      if (f == CF_TEXT || f == CF_UNICODETEXT) continue;
      const AnsiString bytes = c.GetData(f);
      EXPECT_FALSE(bytes.empty()) << command << ": the clipboard offers " << ClipboardFormatName(f) << " empty";
      if (bytes.empty() || (f != rtf && f != vlf)) continue;
      TEntryDocument doc;
      TMemoryStream s;
      AnsiString document = bytes;
      if (f == vlf) {
        EXPECT_TRUE(VLReadVLFBlock(bytes, document)) << command << ": the clipboard's VLF block is broken";
      }
      s.Write(document.data(), static_cast<Int64>(document.size()));
      s.Seek(0, soBeginning);
      const bool read = f == rtf ? doc.LoadRTF(s) : doc.LoadVLF(s);
      EXPECT_TRUE(read) << command << ": the clipboard's " << ClipboardFormatName(f) << " does not read back";
      EXPECT_EQ(lacking(DocumentText(doc.Data), true), "")
          << command << " of \"" << selected.Text << "\": the clipboard's " << ClipboardFormatName(f)
          << " reads back as \"" << DocumentText(doc.Data) << "\", without these words";
      // The program's own format reads back with the outline of what was
      // selected: tables, spans, styles, lists, links.
      if (f == vlf && !selected.Outline.empty()) {
        const std::string copied = DocumentOutline(doc.Data, false, false);
        EXPECT_NE(copied.find(selected.Outline), std::string::npos)
            << command << ": the clipboard's " << ClipboardFormatName(f) << " reads back as\n  " << copied
            << "\nnot holding the outline of what was selected\n  " << selected.Outline;
      }
    }
  }

  // --- the answers to every window a command opens ---------------------------

  struct TAnswers : TInteractionHook {
    TSequence* S = nullptr;
    TInteractionHook* Previous = nullptr;
    int Run(TInteraction& r) override { return S->Answer(r); }
  };

  int Answer(TInteraction& r) {
    switch (r.Kind) {
      case TInteractionKind::MessageBox: {
        ++Boxes;
        Note("  box \"" + r.Caption + ": " + r.Text.substr(0, 60) + "\"");
        // The program's report of an error it caught: a fault shown.
        if (r.Caption == "Error Display") ErrorsShown += r.Text + "\n";
        switch (r.Buttons & MB_TYPEMASK) {
          case MB_OKCANCEL: return Chance(70) ? IDOK : IDCANCEL;
          case MB_YESNO: {
            const int answer = Chance(60) ? IDYES : IDNO;
            if (r.Caption == "Entry Not Saved" && answer == IDYES) LeftUnsaved = true;
            return answer;
          }
          case MB_YESNOCANCEL: return OneOf(std::vector<int>{IDYES, IDNO, IDCANCEL});
          case MB_RETRYCANCEL: return IDCANCEL;
          case MB_ABORTRETRYIGNORE: return IDABORT;
          default: return IDOK;
        }
      }
      case TInteractionKind::MessageDlg: {
        Note("  box \"" + r.Text.substr(0, 60) + "\"");
        if (r.DlgButtons.empty()) return mrOk;
        static const std::map<TMsgDlgBtn, int> result = {
            {mbYes, mrYes}, {mbNo, mrNo},       {mbOK, mrOk},     {mbCancel, mrCancel}, {mbAbort, mrAbort},
            {mbRetry, mrCancel}, {mbIgnore, mrIgnore}, {mbAll, mrAll}, {mbNoToAll, mrNoToAll},
            {mbYesToAll, mrYesToAll}, {mbHelp, mrCancel}};
        return result.at(OneOf(r.DlgButtons));
      }
      case TInteractionKind::InputQuery: return Chance(60) ? mrOk : mrCancel;
      case TInteractionKind::ShowModal: return AnswerForm(r);
      case TInteractionKind::OpenDialog: {
        const String file = FileFor(r.Filter);
        if (file.empty() || Chance(20)) return mrCancel;
        Note("  open " + file.substr(file.rfind('/') + 1));
        r.FileName = file;
        r.Files = {file};
        return mrOk;
      }
      case TInteractionKind::SaveDialog: {
        if (Chance(20)) return mrCancel;
        // A format the filter offers that the program writes itself.
        std::vector<std::pair<int, String>> kinds;
        std::vector<String> parts;
        for (size_t from = 0;;) {
          const size_t bar = r.Filter.find('|', from);
          parts.push_back(r.Filter.substr(from, bar == String::npos ? String::npos : bar - from));
          if (bar == String::npos) break;
          from = bar + 1;
        }
        for (size_t i = 1; i < parts.size(); i += 2)
          for (const char* ext : {"htm", "rtf", "txt"})
            if (parts[i].find(String("*.") + ext) != String::npos) kinds.push_back({static_cast<int>(i / 2 + 1), ext});
        if (kinds.empty()) return mrCancel;
        const auto& kind = OneOf(kinds);
        r.FilterIndex = kind.first;
        r.FileName = (Dir / ("copy" + std::to_string(++Files) + "." + kind.second)).string();
        Note("  save " + r.FileName.substr(r.FileName.rfind('/') + 1));
        return mrOk;
      }
      case TInteractionKind::SelectDirectory: return mrCancel;
      case TInteractionKind::FontDialog:
        if (Chance(30)) return mrCancel;
        r.Font.Size = Pick(8, 20);
        r.Font.Style = Pick(0, 15);
        return mrOk;
      case TInteractionKind::ColorDialog:
        if (Chance(30)) return mrCancel;
        r.Color = static_cast<TColor>(Pick(0, 0xFFFFFF));
        return mrOk;
      case TInteractionKind::PrintDialog:
      case TInteractionKind::PrinterSetupDialog:
        if (Chance(15)) return mrCancel;
        r.PrinterName = PdfFileChoice;
        r.FileName = (Dir / ("print" + std::to_string(++Files) + ".pdf")).string();
        return mrOk;
      case TInteractionKind::FindDialog:
      case TInteractionKind::ReplaceDialog: {
        // The find window is the toolkit's own: it stays open, and the step
        // works it afterwards.
        TInteractionHook* answers = SetInteractionHook(nullptr);
        const int shown = InteractionHook().Run(r);
        SetInteractionHook(answers);
        return shown;
      }
      case TInteractionKind::PopupMenu: return PickFromMenu(r);
      case TInteractionKind::DragDrop: return Drop(r);
    }
    return mrCancel;
  }

  String FileFor(const String& filter) {
    const bool pictures = filter.empty() || filter.find("*.png") != String::npos || filter.find("*.jpg") != String::npos;
    std::vector<String> files;
    if (pictures)
      for (const std::string& p : Pictures) files.push_back(p);
    if (filter.empty() || filter.find("*.rtf") != String::npos) files.push_back((Dir / "inserted.rtf").string());
    if (filter.empty() || filter.find("*.txt") != String::npos || filter.find("*.*") != String::npos)
      files.push_back((Dir / "inserted.txt").string());
    return files.empty() ? String() : OneOf(files);
  }

  // A window shown modally: the ones that need values to do something get
  // them, the others are confirmed as they stand or cancelled.
  int AnswerForm(TInteraction& r) {
    TCustomForm* form = r.Form;
    Note("  window \"" + (form ? form->GetText() : String()) + "\"");
    if (dynamic_cast<TPasswordDlg*>(form)) return EnterPassword(r);
    // A count asked counts once the window closes with OK (-1: nothing).
    int count = 0;
    if (dynamic_cast<TfrmInteger*>(form)) AskedCount = -1;
    if (Chance(20)) return mrCancel;
    if (auto* f = dynamic_cast<TfrmInsTable*>(form)) {
      const int rows = Pick(1, 3), cols = Pick(1, 3);
      // Now and then the user's own keys: Tab to each box, the number
      // typed over it, Tab to OK and Space.
      if (Chance(40)) {
        Note("  " + std::to_string(rows) + " rows, " + std::to_string(cols) + " columns typed in the window");
        const int result = TypeIntoForm(*form, {{f->seRows, std::to_string(rows)}, {f->seColumns, std::to_string(cols)}},
                                        f->btnOk);
        InsTableAsked = result == mrOk;
        InsTableShape = {rows, cols};
        return result;
      }
      f->SetRows(rows);
      f->SetColumns(cols);
      InsTableAsked = true;
      InsTableShape = {rows, cols};
    } else if (auto* f = dynamic_cast<TfrmVLSplit*>(form)) {
      SplitAsked = TSplitAsked{};
      if (Chance(30) && f->rbUnmerge->GetEnabled()) {
        f->rbUnmerge->SetChecked(true);
        SplitAsked.Unmerge = true;
      } else {
        f->rbSplit->SetChecked(true);
        SplitAsked.Cols = SplitWanted.first > 0 ? SplitWanted.first : Pick(1, 3);
        SplitAsked.Rows = SplitWanted.first > 0 ? SplitWanted.second : Pick(1, 2);
        f->seColumns->SetValue(SplitAsked.Cols);
        f->seRows->SetValue(SplitAsked.Rows);
        if (f->cbMerge->GetEnabled()) f->cbMerge->SetChecked(Chance(50));
        SplitAsked.Merge = f->cbMerge->GetEnabled() && f->cbMerge->GetChecked();
      }
      SplitAsked.Given = true;
    } else if (auto* f = dynamic_cast<TfrmInteger*>(form)) {
      count = Pick(1, 2);
      f->SetValue(count);
    } else if (auto* f = dynamic_cast<TfrmVLItemProp*>(form)) {
      // A table's properties: its width, padding and spacing, and the
      // cells' width, colour and alignment.
      if (f->tsTable && f->tsTable->GetTabVisible()) {
        if (Chance(40)) f->seTableWidth->SetValue(Pick(150, 600));
        if (Chance(40)) f->seCellPadding->SetValue(Pick(0, 8));
        if (Chance(40)) f->seCellSpacing->SetValue(Pick(0, 6));
        if (Chance(30)) {
          f->cbCellWidth->SetChecked(true);
          f->seCellBestWidth->SetValue(Pick(20, 200));
        }
        if (Chance(30)) f->rgCellVAlign->SetItemIndex(Pick(0, f->rgCellVAlign->ItemCount() - 1));
        if (Chance(30)) f->rgRowVAlign->SetItemIndex(Pick(0, f->rgRowVAlign->ItemCount() - 1));
      }
    } else if (auto* f = dynamic_cast<TfrmVLParaBrdr*>(form)) {
      f->rgBorderType->SetItemIndex(Pick(0, f->rgBorderType->ItemCount() - 1));
      for (TSpeedButton* side : {f->btnLeft, f->btnRight, f->btnTop, f->btnBottom})
        if (Chance(40)) side->Click();
      if (f->cmbWidth->Items().Count() > 0) f->cmbWidth->SetItemIndex(Pick(0, f->cmbWidth->Items().Count() - 1));
    } else if (auto* f = dynamic_cast<TfrmVLPara*>(form)) {
      f->gbAlignment->SetItemIndex(Pick(0, f->gbAlignment->ItemCount() - 1));
      if (Chance(50)) f->seLeftIndent->SetValue(Pick(0, 40));
      if (Chance(50)) f->seFirstLineIndent->SetValue(Pick(0, 20));
      if (Chance(50)) f->seSpaceBefore->SetValue(Pick(0, 12));
      if (Chance(50)) f->seSpaceAfter->SetValue(Pick(0, 12));
    } else if (auto* f = dynamic_cast<TfrmVLFont*>(form)) {
      for (TCheckBox* box : {f->cbB, f->cbI, f->cbU, f->cbS})
        if (Chance(40)) box->SetChecked(!box->GetChecked());
      if (Chance(50)) f->cmbSize->SetText(IntToStr(Pick(8, 20)));
    } else if (auto* f = dynamic_cast<TfrmVLHyp*>(form)) {
      if (f->txtText->GetEnabled()) f->txtText->SetText("a link");
      f->txtTarget->SetText("https://example.org/" + IntToStr(Pick(1, 9)));
      f->UpdateOkButton();
    } else if (auto* f = dynamic_cast<TDlgRecordSelection*>(form)) {
      f->pbOk->Click();
      return mrOk;
    }
    // OK as its user presses it: the form's own OK button (a form that
    // refuses what it holds stays up, which is a Cancel here).
    TButton* ok = nullptr;
    if (auto* vl = dynamic_cast<TfrmVLBase*>(form)) ok = vl->GetOkButton();
    for (int i = 0; !ok && form && i < form->ComponentCount(); ++i)
      if (auto* b = dynamic_cast<TButton*>(form->Components(i)); b && (b->ModalResult == mrOk || b->Default))
        ok = b;
    if (!ok) return mrOk;
    if (!ok->GetEnabled()) {
      InsTableAsked = false;
      return mrCancel;
    }
    ok->Click();
    const int result = form->ModalResult != mrNone ? static_cast<int>(form->ModalResult) : static_cast<int>(mrCancel);
    if (result != mrOk) InsTableAsked = false;
    if (result == mrOk && count > 0) AskedCount = count;
    return result;
  }

  // A shown window worked by keys as the window system hands them over:
  // Tab until each box has the focus and the text typed over what it holds,
  // then Tab to the button and Space. The window's result (Cancel when a
  // box or the button is never reached).
  int TypeIntoForm(TCustomForm& form, const std::vector<std::pair<TWinControl*, std::string>>& fields, TButton* ok) {
    QWidget* top = WindowWidgetOf(&form);
    if (!top || !Activate(top)) return mrCancel;
    auto tabTo = [&](QWidget* w) {
      for (int i = 0; i < 40; ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == w || w->isAncestorOf(focus))) return true;
        qytest::WindowKeyClick(top->windowHandle(), Qt::Key_Tab);
        Settle();
      }
      return false;
    };
    for (const auto& [control, text] : fields) {
      EXPECT_TRUE(tabTo(WidgetOf(control))) << "Tab never reaches " << control->GetName() << " in \"" << form.GetText() << "\"";
      qytest::WindowKeyClick(top->windowHandle(), Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(text));
      Settle();
    }
    EXPECT_TRUE(tabTo(WidgetOf(ok))) << "Tab never reaches OK in \"" << form.GetText() << "\"";
    qytest::WindowKeyClick(top->windowHandle(), Qt::Key_Space);
    Settle();
    EXPECT_EQ(form.ModalResult, mrOk) << "Space on OK does not close \"" << form.GetText() << "\" with OK";
    return form.ModalResult == mrOk ? static_cast<int>(mrOk) : static_cast<int>(mrCancel);
  }

  // The toolkit's own menu for a pop-up, worked by its keys: Down until the
  // item (or the submenu holding it) is the active one, Right into a
  // submenu, Return on the item. The answers come back before the Return,
  // for what the item opens.
  void ChooseByKeys(TInteraction& r, const std::vector<QAction*>& path) {
    struct TState {
      size_t Level = 0;
      int Waits = 0;
    };
    auto state = std::make_shared<TState>();
    auto drive = std::make_shared<std::function<void()>>();
    TInteractionHook* answers = SetInteractionHook(nullptr);
    *drive = [this, state, path, answers, drive] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      const bool opened = menu && menu->actions().contains(path[state->Level]);
      if (!opened) {
        if (++state->Waits < 100) QTimer::singleShot(10, *drive);
        else if (menu) menu->close();
        return;
      }
      for (int i = 0; menu->activeAction() != path[state->Level] && i <= menu->actions().size(); ++i)
        QTest::keyClick(menu, Qt::Key_Down);
      if (menu->activeAction() != path[state->Level]) {
        ADD_FAILURE() << "Down never reaches \"" << path[state->Level]->text().toStdString() << "\" in the menu";
        menu->close();
        return;
      }
      if (++state->Level < path.size()) {
        state->Waits = 0;
        QTest::keyClick(menu, Qt::Key_Right);
        QTimer::singleShot(0, *drive);
        return;
      }
      SetInteractionHook(answers);
      QTest::keyClick(menu, Qt::Key_Return);
    };
    QTimer::singleShot(0, *drive);
    InteractionHook().Run(r);
    SetInteractionHook(answers);
    *drive = nullptr;
  }

  // An item of a right-click menu, chosen as the user chooses it (a menu
  // closed with nothing chosen now and then).
  int PickFromMenu(TInteraction& r) {
    MenuShown = true;
    std::vector<TMenuItem*> items;
    std::function<void(TMenuItem*)> walk = [&](TMenuItem* m) {
      for (int k = 0; k < m->Count(); ++k) {
        TMenuItem* item = m->Items(k);
        if (item->Count() > 0) {
          walk(item);
          continue;
        }
        QAction* h = item->Handle();
        if (!item->IsLine() && h && h->isEnabled() && h->isVisible() &&
            !(item->GetAction() && Listed(item->GetAction()->GetName(), kLeftOut)))
          items.push_back(item);
      }
    };
    if (r.Menu) walk(r.Menu->Items());
    Note("  the menu \"" + r.Caption + "\" shows " + std::to_string(items.size()) + " enabled items");
    if (!MenuChoice.empty()) {
      // A recorded step names its item.
      for (TMenuItem* item : items)
        if (item->GetAction() && item->GetAction()->GetName() == MenuChoice) {
          QAction* handle = item->Handle();
          Note("  choose " + MenuChoice);
          Run(MenuChoice, [handle] { handle->trigger(); });
          return mrOk;
        }
      ADD_FAILURE() << "the menu offers no enabled " << MenuChoice;
      return mrCancel;
    }
    if (items.empty() || Chance(10)) return mrCancel;
    TMenuItem* item = OneOf(items);
    const String name = item->GetAction() ? item->GetAction()->GetName() : item->GetCaption();
    QAction* handle = item->Handle();
    if (Chance(30)) {
      // The menu's own items from the top down to the one chosen.
      const std::vector<QAction*> path = MenuPath(r.Menu->Items(), item);
      if (!path.empty()) {
        Note("  choose " + name + " by the menu's keys");
        Run(name, [&] { ChooseByKeys(r, path); });
        return mrOk;
      }
    }
    Note("  choose " + name);
    Run(name, [handle] { handle->trigger(); });
    return mrOk;
  }

  // A drag the program started, dropped where the mouse is let go (with
  // Ctrl held for a copy), as the toolkit's drag and drop hands it over.
  int Drop(TInteraction& r) {
    DragsStarted++;
    const QPoint global = Window()->mapToGlobal(DropAt);
    QWidget* target = Window()->childAt(DropAt);
    while (target && !target->acceptDrops()) target = target->parentWidget();
    if (!target || !r.Drag) return DROPEFFECT_NONE;
    const QPoint p = target->mapFromGlobal(global);
    Qt::DropActions actions;
    if (r.Buttons & DROPEFFECT_COPY) actions |= Qt::CopyAction;
    if (r.Buttons & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
    if (r.Buttons & DROPEFFECT_LINK) actions |= Qt::LinkAction;
    QDragEnterEvent enter(p, actions, r.Drag, Qt::LeftButton, DropMods);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return DROPEFFECT_NONE;
    QDragMoveEvent move(p, actions, r.Drag, Qt::LeftButton, DropMods);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted()) {
      QDragLeaveEvent leave;
      QApplication::sendEvent(target, &leave);
      return DROPEFFECT_NONE;
    }
    QDropEvent drop(QPointF(p), actions, r.Drag, Qt::LeftButton, DropMods);
    QApplication::sendEvent(target, &drop);
    if (!drop.isAccepted()) return DROPEFFECT_NONE;
    switch (drop.dropAction()) {
      case Qt::MoveAction: return DROPEFFECT_MOVE;
      case Qt::CopyAction: return DROPEFFECT_COPY;
      case Qt::LinkAction: return DROPEFFECT_LINK;
      default: return DROPEFFECT_NONE;
    }
  }

  // --- what stays open after a command, worked as its user works it ---------

  // The find window: a word of the entry from its start down or from its
  // end up (the word must be found and selected there), or Find Next,
  // Replace and Replace All in the replace window; then closed, and the
  // keys go back into the entry.
  void WorkFindWindow() {
    auto* find = dynamic_cast<TvlActionFind*>(Main->FindComponent("vlActionFind"));
    auto* replace = dynamic_cast<TvlActionReplace*>(Main->FindComponent("vlActionReplace"));
    TFindDialog* d = nullptr;
    if (replace && replace->ReplaceDialog() && replace->ReplaceDialog()->Visible()) d = replace->ReplaceDialog();
    else if (find && find->FindDialog() && find->FindDialog()->Visible()) d = find->FindDialog();
    if (!d) return;
    TFindDialog::TWindow& w = *d->FWindow;
    const std::string word = FindWord();
    const bool up = w.Up && Chance(50);
    // From the start of the caret's document down, or its end up, every
    // match in it lies ahead.
    bool whole = false;
    if (Chance(50) && !word.empty()) {
      ASSERT_TRUE(Activate(Window()));
      Key(up ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
      whole = WordAhead(word, up);
    }
    Note(std::string("find ") + (word.empty() ? "\"none\"" : word) + (up ? " up" : " down") +
         (whole ? (up ? " from the end" : " from the start") : ""));
    w.Find->setText(QString::fromUtf8(word.empty() ? "none" : word.c_str()));
    if (w.Replace) w.Replace->setText(QString::fromUtf8(Chance(50) ? word.c_str() : "Ŵ"));
    // The direction by its access key, with Enter right behind it, as a
    // user types them; or by a click.
    const bool byKey = w.Up && Chance(50);
    if (w.Up && !byKey) (up ? w.Up : w.Down)->click();
    ASSERT_TRUE(Activate(w.Dialog));
    w.Find->setFocus();
    Settle();
    if (byKey) qytest::WindowKeyClick(w.Dialog->windowHandle(), up ? Qt::Key_U : Qt::Key_D, Qt::AltModifier);
    const int boxes = Boxes;
    if (w.Replace && Chance(60) && w.SearchButtons.size() >= 3) {
      QPushButton* b = w.SearchButtons[static_cast<size_t>(Pick(0, 2))];
      Note("  " + b->text().toStdString());
      QTest::mouseClick(b, Qt::LeftButton);
      Settle();
    } else {
      Note("  find next by Enter");
      Key(Qt::Key_Return);
      if (whole && !word.empty()) {
        EXPECT_EQ(Boxes, boxes) << "Enter in the " << (w.Replace ? "replace" : "find") << " window: " << word
                                << " not found " << (up ? "up from the end" : "down from the start") << " of "
                                << Shown() << " (a box said so, or what another button does)";
        EXPECT_EQ(WideToUtf8(Innermost()->GetSelTextW()), word) << "the match is not selected where the caret is";
      }
    }
    if (d->Visible()) d->CloseDialog();
    Settle();
    ASSERT_TRUE(Activate(Window()));
    TypeChecked("ð");
  }

  // The spelling window: each word it stops at ignored, changed, or the
  // check cancelled.
  void WorkSpelling() {
    TVLSpellChecker* spell = Main->VLSpellChecker;
    for (int i = 0; i < 20 && spell->CheckRunning(); ++i) {
      TSpellDialog* d = spell->Dialog();
      if (!d) break;
      const int choice = Pick(0, 9);
      TButton* b = choice < 5 ? d->IgnoreButton : choice < 8 ? d->ChangeButton : d->CancelButton;
      if (!b->GetEnabled() || !b->GetVisible()) b = d->CancelButton;
      Note("  spelling: " + b->GetText() + " \"" + d->NotFoundEdit->GetText() + "\"");
      if (b == d->ChangeButton && d->ReplaceWithEdit->GetText().empty()) d->ReplaceWithEdit->SetText("spelt");
      b->Click();
      Settle();
    }
    if (spell->CheckRunning()) spell->CancelCheck();
  }

  // The advanced find window: a word searched in every entry, then closed.
  void WorkAdvancedFind() {
    TfGlobalFind* window = TFindReportWorld::Find.get();
    if (!window || !window->GetVisible()) return;
    const std::string word = FindWord();
    Note("  advanced find " + word);
    window->leTextToFind->SetText(word.empty() ? String("none") : String(word));
    // The search stops at each hit it shows until Find is pressed again.
    for (int press = Pick(1, 3); press > 0; --press) {
      const int hits = window->HitsShown;
      window->pbFind->Click();
      EXPECT_TRUE(PumpUntil([window, hits] { return window->HitsShown > hits || !window->FindRunning; }))
          << "the advanced find never ends";
      if (!window->FindRunning) break;
    }
    window->Close();
    Settle();
  }

  // A colour pop-up: a colour chosen from it, or closed with Escape.
  void WorkColourPopups() {
    for (int i = 0; i < Screen->FormCount(); ++i) {
      auto* popup = dynamic_cast<TfrmColor*>(Screen->Forms(i));
      if (!popup || !popup->GetVisible()) continue;
      std::vector<TSpeedButton*> colours;
      for (TSpeedButton* b : popup->Buttons)
        if (b && b->GetVisible()) colours.push_back(b);
      if (!colours.empty() && Chance(80)) {
        Note("  choose a colour");
        QTest::mouseClick(WidgetOf(OneOf(colours)), Qt::LeftButton);
      } else {
        Note("  close the colour pop-up");
        QTest::keyClick(WindowWidgetOf(popup), Qt::Key_Escape);
        if (popup->GetVisible()) popup->Close();
      }
      Settle();
      return;
    }
  }

  void WorkWhatIsOpen() {
    if (QWidget* help = THelpViewer::Instance().Window(); help && help->isVisible()) {
      Note("  close the help window");
      THelpViewer::Instance().Close();
    }
    WorkColourPopups();
    WorkFindWindow();
    WorkSpelling();
    WorkAdvancedFind();
  }

  // --- gestures ----------------------------------------------------------------

  // A right click on a cell or on the entry's text; the menu it shows is
  // chosen from.
  void RightClick() {
    std::vector<std::pair<std::string, QPoint>> places;
    for (const TSpot& s : Spots()) {
      QPoint at;
      if (WindowPoint(s, at, 3)) places.push_back({Name(s), at});
    }
    QPoint at;
    if (FirstLinePoint(at)) places.push_back({"the entry's first line", at});
    if (places.empty()) return;
    const auto& place = OneOf(places);
    RightClickAt(place.first, place.second);
  }
  void RightClickAt(const std::string& name, const QPoint& at) {
    const std::pair<std::string, QPoint> place{name, at};
    Note("right-click " + place.first);
    MenuShown = false;
    Given.clear();
    QWindow* window = Window()->windowHandle();
    QCursor::setPos(Window()->mapToGlobal(place.second));
    Pressed = true;
    QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, place.second);
    QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, place.second);
    Settle();
    if (!MenuShown) Note("  (no menu)");
  }

  // A double click and a click at once after it on a word of a cell.
  void TripleClick() {
    const std::vector<TSpot> spots = Spots();
    if (spots.empty()) return;
    const TSpot s = OneOf(spots);
    QPoint at;
    if (!WindowPoint(s, at, 3)) return;
    Note("triple-click the word in " + Name(s));
    MouseAt(qytest::TWindowMouseAct::DoubleClick, at);
    MouseAt(qytest::TWindowMouseAct::Press, at);
    MouseAt(qytest::TWindowMouseAct::Release, at);
  }

  // A column or row border of a table dragged to a new place: the text
  // stays, and so do the cell editors and the caret in them.
  void DragBorder() {
    std::vector<TSpot> tables;
    for (const TSpot& s : Spots())
      if (s.Row == 0 && s.Col == 0) tables.push_back(s);
    if (tables.empty()) return;
    const TSpot s = OneOf(tables);
    TVLTableItemInfo* t = s.Table;
    const auto& f = t->FormattingInfo;
    if (!LineOf(s.Editor->EditData(), t) || f.ColStarts.size() < static_cast<size_t>(t->ColCount()) ||
        f.RowStarts.size() < static_cast<size_t>(t->RowCount()))
      return;
    const bool column = Chance(60);
    // Past the last column or row, the table's own edge.
    const Integer k = Pick(1, column ? t->ColCount() : t->RowCount());
    QPoint from;
    if (!BorderPoint(s, column, k, from)) return;
    DragBorderBy(s, column, k, from, Pick(-30, 40));
  }
  // Where the border k of a table's columns (or rows) is grabbed, in the
  // main window; false when it has none there or it is not on the screen.
  bool BorderPoint(const TSpot& s, bool column, Integer k, QPoint& from) {
    TVLTableItemInfo* t = s.Table;
    TVLEditVLData* d = s.Editor->EditData();
    const TVLDrawLineInfo* item = LineOf(d, t);
    const auto& f = t->FormattingInfo;
    if (!item || f.ColStarts.size() < static_cast<size_t>(t->ColCount()) ||
        f.RowStarts.size() < static_cast<size_t>(t->RowCount()) || k < 1 || k > (column ? t->ColCount() : t->RowCount()))
      return false;
    // Grabbed beside a cell that it bounds: inside a merged cell there is
    // no border to grab, and a press there is a click in the cell's text.
    auto cellAt = [t](Integer row, Integer col) {
      Integer r, c;
      return t->Rows.GetMainCell(row, col, r, c);
    };
    Integer across = 0;
    const Integer count = column ? t->RowCount() : t->ColCount();
    if (k < (column ? t->ColCount() : t->RowCount()))
      while (across < count && (column ? cellAt(across, k - 1) == cellAt(across, k)
                                       : cellAt(k - 1, across) == cellAt(k, across)))
        ++across;
    if (across >= count) return false;
    Integer x, y;
    if (column) {
      const Integer inner = 2 * t->CellBorderWidth + t->CellHSpacing;
      const Integer outer = t->BorderWidth + t->BorderHSpacing + t->CellBorderWidth;
      x = k < t->ColCount() ? f.ColStarts[static_cast<size_t>(k)] - (inner + 1) / 2 : f.Width - outer / 2;
      y = f.RowStarts[static_cast<size_t>(across)] + 4;
    } else {
      const Integer inner = 2 * t->CellBorderWidth + t->CellVSpacing;
      const Integer outer = t->BorderWidth + t->BorderVSpacing + t->CellBorderWidth;
      y = k < t->RowCount() ? f.RowStarts[static_cast<size_t>(k)] - (inner + 1) / 2 : f.Height - outer / 2;
      x = f.ColStarts[static_cast<size_t>(across)] + 4;
    }
    Integer pos, prev;
    if ((column ? t->ColBorderAt(x, pos, prev) : t->RowBorderAt(y, pos, prev)) != k) return false;
    return OnScreen(s.Editor, QPoint(item->Left - d->GetHOffset() + x, item->Top - d->GetVOffset() + y), from);
  }
  // The border dragged by `by` pixels: only widths change, every table
  // keeps its selected cells, and the cell editors and the caret stay.
  void DragBorderBy(const TSpot& s, bool column, Integer k, QPoint from, int by) {
    const QPoint to = from + (column ? QPoint(by, 0) : QPoint(0, by));
    const std::string before = Shown(false);
    const size_t editors = Chain().size();
    const std::vector<TBlock> blocks = Blocks();
    // The innermost editor by its cell: a drag of a table around it opens
    // it anew (at the old address, or not).
    auto cellOf = [](TCustomVellumEdit* e) {
      auto* cell = dynamic_cast<TVLTableInplaceEdit*>(e);
      return cell ? cell->Cell : nullptr;
    };
    const TVLTableCellData* innerCell = cellOf(Innermost());
    const std::pair<Integer, Integer> caret = CaretPlace(Innermost());
    const std::array<Integer, 4> selection = SelectedPlace(Innermost());
    TCaretAt caretAt = CaretAt();
    Note(std::string("drag the ") + (column ? "column" : "row") + " border " + std::to_string(k) + " of the table at level " +
         std::to_string(s.Level) + " by " + std::to_string(by));
    DragTo(from, to);
    Settle();
    EXPECT_EQ(Shown(false), before) << "a border drag changed more than widths";
    // Every table keeps its block of selected cells (or none).
    EXPECT_EQ(Blocks(), blocks) << "a border drag changed which cells are selected";
    // The selected text stays what it was, though the lines before the
    // table wrap anew.
    if (Chain().size() == editors && cellOf(Innermost()) == innerCell) {
      EXPECT_EQ(SelectedPlace(Innermost()), selection) << "a border drag moved the selection";
    }
    if (editors > 1 && !J->EditorWindow->ReadOnly()) {
      EXPECT_EQ(Chain().size(), editors) << "the cell editors open before a border drag are not open after it";
      // The cell's text wraps anew: the caret keeps its offset where the
      // new lines show it.
      if (Chain().size() == editors && cellOf(Innermost()) == innerCell) {
        caretAt.Place = ShownPlace(Innermost(), caret);
        EXPECT_EQ(CaretPlace(Innermost()), caretAt.Place) << "a border drag moved the caret";
      }
      if (!AnyCellsSelected()) ProbeCaret(caretAt, "after a border drag");
    }
  }

  // A word double-clicked in the entry's text or a cell at any depth, then
  // dragged to the start of another of them: it moves there (copied with
  // Ctrl held), in one step that Undo takes back.
  void DragText() {
    // The words and the starts of the entry's first line and of every cell
    // with text, by name (with the table's address: two tables of a level
    // have cells of one name), where they are now.
    using TPoints = std::vector<std::pair<std::string, QPoint>>;
    auto places = [this](TPoints& words, TPoints& starts) {
      words.clear();
      starts.clear();
      for (const TSpot& s : Spots()) {
        QPoint word, start;
        TCustomVLData& cell = *s.Table->GetCell(s.Row, s.Col)->GetVLData();
        // A cell that begins with a table has no word at its start: the
        // point is that table's border.
        if (DocumentText(cell).empty() || dynamic_cast<TVLTableItemInfo*>(cell.GetItem(0))) continue;
        // A column squeezed narrower than its padding and the 3 pixels has
        // the word's point on the border past it: a press there sizes the
        // column and selects nothing in the cell.
        const TVLTableCellData* box = s.Table->GetCell(s.Row, s.Col);
        if (s.Table->CellPadding + 3 >= box->Width - s.Table->CellPadding) continue;
        if (WindowPoint(s, word, 3) && WindowPoint(s, start, 0)) {
          const std::string key = Name(s) + "@" + std::to_string(reinterpret_cast<uintptr_t>(s.Table));
          words.push_back({key, word});
          starts.push_back({key, start});
        }
      }
      QPoint word, start;
      if (FirstLinePoint(word, 3) && FirstLinePoint(start, 0)) {
        words.push_back({"the entry's first line", word});
        starts.push_back({"the entry's first line", start});
      }
    };
    TPoints words, starts;
    places(words, starts);
    if (words.size() < 2) return;
    const size_t from = static_cast<size_t>(Pick(0, static_cast<int>(words.size()) - 1));
    size_t to = static_cast<size_t>(Pick(0, static_cast<int>(words.size()) - 2));
    if (to >= from) ++to;
    const bool copy = Chance(40);
    const std::string fromKey = words[from].first, toKey = starts[to].first;
    const std::string fromName = fromKey.substr(0, fromKey.find('@')), toName = toKey.substr(0, toKey.find('@'));
    Note("double-click the word in " + fromName);
    MouseAt(qytest::TWindowMouseAct::DoubleClick, words[from].second);
    Settle();
    TCustomVellumEdit* source = Innermost();
    const std::string dragged = WideToUtf8(source->GetSelTextW());
    // A word: not a nested table the click selected whole.
    if (Words(dragged).size() != 1 || Words(dragged)[0] != dragged || AnyCellsSelected() ||
        J->EditorWindow->ReadOnly())
      return;
    // The click may have scrolled the entry to show the caret (or opened a
    // cell editor that aligns its text anew): the places as they are now.
    places(words, starts);
    auto find = [](const TPoints& points, const std::string& name, QPoint& at) {
      for (const auto& [n, p] : points)
        if (n == name) {
          at = p;
          return true;
        }
      return false;
    };
    // The press goes on the selected word where it is shown now: the first
    // click may have scrolled the entry under the mouse (a cell below the
    // view opened), and the second then selected a word further down than
    // the cell's start.
    QPoint at;
    if (!find(words, fromKey, at) || !SelectedWordPoint(source, at) || !find(starts, toKey, DropAt)) return;
    // A drag that near the entry's top or bottom scrolls it, as it should:
    // the drop would land on what scrolled under the pointer.
    {
      const QWidget* surface = ClientWidgetOf(Edit());
      const QPoint top = surface->mapTo(Window(), QPoint(0, 0));
      if (DropAt.y() < top.y() + 24 || DropAt.y() > top.y() + surface->height() - 24) return;
    }
    const std::string before = ShownText(), outlineBefore = Shown();
    const int started = DragsStarted;
    Note(std::string(copy ? "copy" : "move") + " \"" + dragged + "\" by the mouse to the start of " + toName);
    // The press on the selection, the moves past the drag distance (towards
    // the drop, so within the window) with Ctrl for a copy, and the release
    // at the drop.
    DropMods = copy ? Qt::ControlModifier : Qt::NoModifier;
    const QPoint step(DropAt.x() >= at.x() ? 12 : -12, DropAt.y() >= at.y() ? 4 : -4);
    Pressed = true;
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, Window()->mapToGlobal(at));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(at + step), DropMods);
    if (DragsStarted == started)
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(DropAt), DropMods);
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, Window()->mapToGlobal(DropAt), DropMods);
    Settle();
    ASSERT_GT(DragsStarted, started) << "the selected word \"" << dragged << "\" in " << fromName
                                     << " did not start a drag; shown: " << Shown();
    const std::string after = ShownText();
    if (copy) {
      EXPECT_EQ(Occurrences(after, dragged), Occurrences(before, dragged) + 1)
          << "\"" << dragged << "\" was not copied to " << toName << "; shown: " << after;
    } else {
      EXPECT_EQ(Occurrences(after, dragged), Occurrences(before, dragged))
          << "\"" << dragged << "\" was not moved to " << toName << "; shown: " << after;
      EXPECT_NE(after, before) << "\"" << dragged << "\" stayed where it was";
    }
    if (after != before && Chance(50)) {
      Note("undo the drop");
      Menu("vlActionUndo");
      EXPECT_EQ(Shown(), outlineBefore) << "one Undo does not take back the drop";
    }
  }

  // The paragraph after a table of a document: its items [first, end),
  // none when nothing follows the table.
  static std::pair<Integer, Integer> ParagraphAfter(TCustomVLData& d, Integer table) {
    Integer end = table + 1;
    while (end < d.GetItemCount() && (end == table + 1 || !d.GetItem(end)->IsParaStart())) ++end;
    return {table + 1, end};
  }
  static std::string ItemText(TCustomVLData& d, Integer i) {
    if (d.GetItem(i)->StyleNo < 0) return std::string();
    return d.GetItem(i)->IsUnicode() ? WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i)))
                                     : std::string(d.GetItemTextA(i));
  }
  // A point of the paragraph after a table, in the main window: on one of
  // its first pieces (past its first item, a line break or a wrap).
  bool PointAfterTable(const TSpot& s, QPoint& at) {
    TVLEditVLData* d = s.Editor->EditData();
    const auto [first, end] = ParagraphAfter(*d, d->GetItemNo(s.Table));
    if (first >= end) return false;
    std::vector<const TVLDrawLineInfo*> pieces;
    for (Integer k = d->Item2FirstDrawItem(first); k >= 0 && k < d->DrawItems.Count() && d->DrawItems[k]->ItemNo < end; ++k)
      if (d->DrawItems[k]->Width > 2) pieces.push_back(d->DrawItems[k]);
    if (pieces.empty()) return false;
    // Mostly past the first piece, where a deletion from the table leaves
    // the paragraph no item of its start.
    const int last = std::min(5, static_cast<int>(pieces.size()) - 1);
    const TVLDrawLineInfo* p = pieces[static_cast<size_t>(Pick(last > 0 && Chance(80) ? 1 : 0, last))];
    return OnScreen(s.Editor, QPoint(p->Left - d->GetHOffset() + Pick(1, p->Width - 1), p->Top - d->GetVOffset() + p->Height / 2), at);
  }
  // The editor of a table selects from the table's end into the text
  // after it (no cell editor open).
  bool SelectedFromTableEnd(const TSpot& s) const {
    if (Innermost() != s.Editor || !InChain(s.Editor)) return false;
    TVLEditVLData* d = s.Editor->EditData();
    const Integer n = d->GetItemNo(s.Table);
    if (n < 0 || !d->SelectionExists()) return false;
    Integer si, so, ei, eo;
    d->GetSelBounds(true, si, so, ei, eo);
    return si == n && so >= d->GetItemEndOffset(n) && ei > n;
  }

  // A selection from a table's end into the paragraph after it, past that
  // paragraph's first item, a line break or a wrap: by Shift+Down out of a
  // cell of the last row and Shift+Right on, by Shift+Left from the text
  // back to the table, by a drag from a cell of the last row into the text,
  // or a Shift+click there; then Delete, Backspace or a letter typed over
  // it. The table stays, and what is left of the paragraph starts one of
  // its own, beginning with the letter typed.
  void SelectPastTable() {
    std::vector<TSpot> tables;
    for (const TSpot& s : Spots()) {
      TCustomVLData* d = s.Editor->VLData();
      const Integer n = d->GetItemNo(s.Table);
      if (s.Row == 0 && s.Col == 0 && n >= 0 && n + 1 < d->GetItemCount() && d->GetItem(n + 1)->StyleNo >= 0)
        tables.push_back(s);
    }
    if (tables.empty()) return;
    const TSpot s = OneOf(tables);
    std::vector<TSpot> lastRow;
    for (const TSpot& c : Spots())
      if (c.Table == s.Table && c.Row + c.Table->GetCell(c.Row, c.Col)->RowSpan >= c.Table->RowCount())
        lastRow.push_back(c);
    if (lastRow.empty()) return;
    const TSpot cell = OneOf(lastRow);
    const std::string after = "the text after the table at level " + std::to_string(s.Level);
    QPoint in, out;
    switch (Pick(0, 3)) {
      case 0: {
        if (!WindowPoint(cell, in)) return;
        const int right = Pick(1, 12);
        const bool home = Chance(50);
        Note("click " + Name(cell) + (home ? ", Home" : ", End") + ", Shift+Down, Shift+Right x" + std::to_string(right));
        ClickWindowAt(in, Qt::NoModifier);
        Settle();
        Key(home ? Qt::Key_Home : Qt::Key_End);
        Key(Qt::Key_Down, Qt::ShiftModifier);
        Keys(Qt::Key_Right, right, Qt::ShiftModifier);
        break;
      }
      case 1: {
        if (!PointAfterTable(s, out)) return;
        Note("click " + after + ", Shift+Left back to the table");
        ClickWindowAt(out, Qt::NoModifier);
        Settle();
        TVLEditVLData* d = s.Editor->EditData();
        for (int i = 0; i < 80 && InChain(s.Editor) && d->GetItemNo(s.Table) >= 0 && !SelectedFromTableEnd(s); ++i) {
          Integer si, so, ei, eo;
          d->GetSelBounds(true, si, so, ei, eo);
          if (d->SelectionExists() && si <= d->GetItemNo(s.Table)) break;
          Key(Qt::Key_Left, Qt::ShiftModifier);
        }
        break;
      }
      case 2:
        if (!WindowPoint(cell, in) || !PointAfterTable(s, out)) return;
        Note("drag from " + Name(cell) + " into " + after);
        DragTo(in, out);
        break;
      default:
        if (!WindowPoint(cell, in) || !PointAfterTable(s, out)) return;
        Note("click " + Name(cell) + ", shift+click " + after);
        ClickWindowAt(in, Qt::NoModifier);
        Settle();
        ClickWindowAt(out, Qt::ShiftModifier);
        break;
    }
    Settle();
    const bool fromEnd = SelectedFromTableEnd(s) && !J->EditorWindow->ReadOnly();
    if (fromEnd) Note("  (selected from the table's end)");
    const int how = Pick(0, 2);
    const std::string typed = "Ŧ";
    if (how == 2) {
      TypeChecked(typed);
    } else {
      Note(how ? "backspace" : "delete");
      Key(how ? Qt::Key_Backspace : Qt::Key_Delete);
    }
    if (!fromEnd || !InChain(s.Editor)) return;
    TCustomVLData* d = s.Editor->VLData();
    const Integer n = d->GetItemNo(s.Table);
    EXPECT_GE(n, 0) << "what was selected from a table's end took the table; shown: " << Shown();
    if (n < 0 || n + 1 >= d->GetItemCount()) return;
    EXPECT_TRUE(d->GetItem(n + 1)->IsParaStart())
        << "what is left after a selection from a table's end goes on in the table's paragraph; shown: " << Shown();
    if (how == 2) {
      EXPECT_EQ(ItemText(*d, n + 1).rfind(typed, 0), 0u)
          << "the letter typed over a selection from a table's end does not start the paragraph after it; shown: "
          << Shown();
    }
  }

  // The tool bar's boxes: a font name, a size typed and Enter, a text or
  // paragraph style chosen.
  void ToolBarBox() {
    switch (Pick(0, 3)) {
      case 0:
      case 2:
      case 3: {
        TComboBox* box = OneOf(std::vector<TComboBox*>{Main->tbFontName, Main->cbTextStyles, Main->cbParagraphStyles});
        const int count = box->Items().Count();
        if (count == 0 || !box->GetEnabled()) return;
        const int index = box == Main->tbFontName ? std::max(0, box->Items().IndexOf(Chance(50) ? "DejaVu Sans" : "Liberation Serif"))
                                                   : Pick(0, count - 1);
        Choose(box, index);
        break;
      }
      case 1: {
        if (!FontSize(std::to_string(Pick(8, 18)))) return;
        break;
      }
    }
    Settle();
  }
  void Choose(TComboBox* box, int index) {
    Note(box->GetName() + ": " + box->Items()[index]);
    Given = box->GetName();
    box->SetItemIndex(index);
    if (box->OnSelect) box->OnSelect(box);
  }
  // The tool bar's size box clicked, the size typed over it and Enter.
  bool FontSize(const std::string& size) {
    auto* field = qobject_cast<QLineEdit*>(WidgetOf(Main->tbFontSize));
    if (!field || !Main->tbFontSize->GetEnabled()) return false;
    Note("font size " + size + " and Enter");
    Given = Main->tbFontSize->GetName();
    QTest::mouseClick(field, Qt::LeftButton);
    field->selectAll();
    QTest::keyClicks(field, QString::fromStdString(size));
    QTest::keyClick(field, Qt::Key_Return);
    return true;
  }

  // Keys that move the caret, perhaps selecting as they go.
  void CaretKeys() {
    static const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End};
    const Qt::Key key = keys[Pick(0, 5)];
    const bool shift = Chance(60), control = Chance(20);
    const int times = Pick(1, 4);
    Note(std::string(shift ? "shift+" : "") + (control ? "ctrl+" : "") + QKeySequence(key).toString().toStdString() +
         " x" + std::to_string(times));
    ShiftSelected = shift;
    Keys(key, times, (shift ? Qt::ShiftModifier : Qt::NoModifier) | (control ? Qt::ControlModifier : Qt::NoModifier));
  }

  // The timer's run, as its tick comes: an automatic save when the entry
  // changed since the last save.
  void AutomaticSave() {
    if (!AutomaticSaveTimer) return;
    Note("the automatic save's timer");
    ProfileSettings.AutoSaveOn = true;
    ProfileSettings.AutoSaveInterval = 0;
    AutomaticSaveTimer->Fire();
    ProfileSettings.AutoSaveOn = false;
    Settle();
  }

  // --- pictures ------------------------------------------------------------------

  // A picture of an open editor's document (the entry's, or a cell's being
  // edited) that shows handles when selected, by its editor and item.
  struct TPicture {
    TCustomVellumEdit* Editor = nullptr;
    Integer Item = -1;
  };
  std::vector<TPicture> PicturesShown() const {
    std::vector<TPicture> out;
    for (TCustomVellumEdit* e : Chain()) {
      TVLEditVLData* d = e->EditData();
      for (Integer i = 0; i < d->GetItemCount(); ++i)
        if (dynamic_cast<TVLGraphicItemInfo*>(d->GetItem(i)) && d->GetItem(i)->GetBoolValue(8) &&
            d->Item2FirstDrawItem(i) >= 0)
          out.push_back({e, i});
    }
    return out;
  }
  // A point of a picture's line in the main window, (fx, fy) of its width
  // and height from its top left corner; false when not on the screen.
  bool PicturePoint(const TPicture& p, double fx, double fy, QPoint& at) const {
    TVLEditVLData* d = p.Editor->EditData();
    const Integer n = d->Item2FirstDrawItem(p.Item);
    if (n < 0 || n >= d->DrawItems.Count()) return false;
    const TVLDrawLineInfo* l = d->DrawItems[n];
    return OnScreen(p.Editor, QPoint(static_cast<int>(l->Left - d->GetHOffset() + l->Width * fx),
                                     static_cast<int>(l->Top - d->GetVOffset() + l->Height * fy)),
                    at);
  }
  // Which of the handles of a selected picture lies at (fx, fy) of its
  // width and height, as the program's own handles say.
  static bool PictureHandleAt(const TPicture& p, double fx, double fy, Integer& handle) {
    TVLEditVLData* d = p.Editor->EditData();
    const Integer n = d->Item2FirstDrawItem(p.Item);
    if (!d->Resizer || n < 0 || n >= d->DrawItems.Count()) return false;
    const TVLDrawLineInfo* l = d->DrawItems[n];
    return d->Resizer->HandleAt(static_cast<Integer>(l->Left - d->GetHOffset() + l->Width * fx),
                                static_cast<Integer>(l->Top - d->GetVOffset() + l->Height * fy), d->GetHOffset(),
                                d->GetVOffset(), handle);
  }
  static std::pair<Integer, Integer> PictureSize(const TPicture& p) {
    TVLEditVLData* d = p.Editor->EditData();
    const TVLDrawLineInfo* l = d->DrawItems[d->Item2FirstDrawItem(p.Item)];
    return {l->Width, l->Height};
  }

  // A picture file of that size, one colour; empty when it cannot be made.
  std::string Photo(int width, int height) const {
    QImage photo(width, height, QImage::Format_RGB32);
    photo.fill(Qt::darkMagenta);
    const std::string file = (Dir / ("photo-" + std::to_string(width) + "x" + std::to_string(height) + ".png")).string();
    return photo.save(QString::fromStdString(file), "png") ? file : std::string();
  }
  // The picture file put in where the caret is by Insert Picture.
  void InsertPhoto(const std::string& file) {
    Note("a picture put in by Insert Picture");
    TInteractionScript script;
    script.Do([file](TInteraction& r) {
      if (r.Kind != TInteractionKind::OpenDialog) return static_cast<int>(mrCancel);
      r.FileName = file;
      r.Files = {file};
      return static_cast<int>(mrOk);
    });
    Run("vlActionInsertPicture", [this] { Menu("vlActionInsertPicture"); });
    Settle();
  }

  // A press on a picture shown (30% into it, half down): it is selected
  // in its editor, with its handles. pressed: the press was made and the
  // picture is still there to drag.
  void PressPicture(const TPicture& p, bool& pressed) {
    pressed = false;
    // (Pressed a second time, for a drag, far enough from here not to make
    // a double click.)
    QPoint middle;
    if (!PicturePoint(p, 0.3, 0.5, middle)) return;
    const std::vector<TCustomVellumEdit*> chain = Chain();
    Note("press on the picture at item " + std::to_string(p.Item) + " of the editor at level " +
         std::to_string(std::find(chain.begin(), chain.end(), p.Editor) - chain.begin()));
    ClickWindowAt(middle, Qt::NoModifier);
    Settle();
    // The press may have scrolled or closed editors: the picture as it is now.
    if (!InChain(p.Editor) || p.Item >= p.Editor->EditData()->GetItemCount()) return;
    TVLEditVLData* d = p.Editor->EditData();
    ASSERT_EQ(Innermost(), p.Editor) << "the press on the picture left its editor; shown: " << Shown();
    ASSERT_EQ(d->GetSingleSelectedItem(), p.Item) << "the press on the picture does not select it; shown: " << Shown();
    ASSERT_TRUE(d->Resizer) << "the picture pressed shows no handles; shown: " << Shown();
    pressed = true;
  }

  // A picture pressed with the mouse (one put in where the caret is when
  // the open editors hold none), then resized by one of its handles or
  // dragged to another place in its text; the text around it stays, and
  // Undo gives back its size or place.
  void PictureStep() {
    if (J->EditorWindow->ReadOnly()) return;
    if (PicturesShown().empty()) {
      if (PhotoFile.empty()) PhotoFile = Photo(48, 30);
      if (PhotoFile.empty()) return;
      InsertPhoto(PhotoFile);
    }
    const std::vector<TPicture> pictures = PicturesShown();
    if (pictures.empty()) return;
    const TPicture p = OneOf(pictures);
    bool pressed = false;
    PressPicture(p, pressed);
    if (!pressed) return;
    if (Chance(50))
      ResizePicture(p);
    else
      MovePicture(p);
  }

  // One of the eight handles dragged: a side's handle moves that side by
  // the drag, a corner's keeps the picture's proportions.
  void ResizePicture(const TPicture& p) {
    TVLEditVLData* d = p.Editor->EditData();
    const Integer handle = Pick(0, 7);
    Integer hx = 0, hy = 0;
    d->Resizer->GetHandlePos(handle, true, hx, hy);
    const std::pair<Integer, Integer> was = PictureSize(p);
    // The handles of a picture smaller than this overlap: which one a press
    // takes is no one's to say.
    if (std::min(was.first, was.second) < 20) return Note("  (too small for its handles)");
    QPoint from;
    if (!PicturePoint(p, double(hx) / was.first, double(hy) / was.second, from)) return;
    // Outwards or inwards, never to less than a third.
    const int grow = Chance(60) ? Pick(4, 30) : -Pick(2, static_cast<int>(std::min(was.first, was.second) / 3));
    const bool left = handle == 0 || handle == 3 || handle == 7, top = handle == 0 || handle == 1 || handle == 4;
    const bool sideways = handle != 4 && handle != 6, upright = handle != 5 && handle != 7;
    const QPoint by(sideways ? (left ? -grow : grow) : 0, upright ? (top ? -grow : grow) : 0);
    DragHandle(p, handle, by);
  }
  // Handle `handle` of the selected picture p pressed and dragged `by`
  // pixels, then checked; false when it or the drag's end is not on the
  // screen.
  bool DragHandle(const TPicture& p, Integer handle, QPoint by) {
    TVLEditVLData* d = p.Editor->EditData();
    if (!d->Resizer) return false;
    Integer hx = 0, hy = 0;
    d->Resizer->GetHandlePos(handle, true, hx, hy);
    const std::pair<Integer, Integer> was = PictureSize(p);
    QPoint from;
    if (!PicturePoint(p, double(hx) / was.first, double(hy) / was.second, from)) return false;
    const QPoint to = from + by;
    if (!Window()->rect().contains(to)) return false;
    const std::string text = DocumentText(*p.Editor->VLData()), outline = Shown();
    Note("drag the picture's handle " + std::to_string(handle) + " by " + std::to_string(by.x()) + "," +
         std::to_string(by.y()));
    Pressed = true;
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, Window()->mapToGlobal(from));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(from + by / 2));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(to));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, Window()->mapToGlobal(to));
    Settle();
    ExpectHandleDragged(p, handle, by, was, text, outline);
    return true;
  }

  // After handle `handle` of picture p (of size `was`) was pressed and the
  // mouse let go `by` pixels from the press: a side's handle moves that
  // side (outwards when `by` points away from the picture), a corner's keeps
  // the proportions, grown when either side went outwards and shrunk when
  // both went in; the text and the entry's outline stay, and Undo gives the
  // size back.
  void ExpectHandleDragged(const TPicture& p, Integer handle, QPoint by, std::pair<Integer, Integer> was,
                           const std::string& text, const std::string& outline) {
    // (A cell grown by its picture may have its editor made anew.)
    if (!InChain(p.Editor)) return Note("  (the cell's editor was made anew)");
    TVLEditVLData* d = p.Editor->EditData();
    ASSERT_TRUE(p.Item < d->GetItemCount() && dynamic_cast<TVLGraphicItemInfo*>(d->GetItem(p.Item)))
        << "the picture is gone from its place after its handle was dragged; shown: " << Shown();
    const bool left = handle == 0 || handle == 3 || handle == 7, top = handle == 0 || handle == 1 || handle == 4;
    const bool sideways = handle != 4 && handle != 6, upright = handle != 5 && handle != 7;
    const Integer outX = sideways ? (left ? -by.x() : by.x()) : 0, outY = upright ? (top ? -by.y() : by.y()) : 0;
    const std::pair<Integer, Integer> now = PictureSize(p);
    if (!sideways || !upright) {
      // A side's handle: that side moved by the drag (down to the least
      // size the picture keeps), the other way kept.
      const auto side = [](Integer was, Integer out, Integer now) { return was + out >= 8 ? now == was + out : now < was; };
      EXPECT_TRUE(side(was.first, outX, now.first) && side(was.second, outY, now.second))
          << "handle " << handle << " dragged by " << by.x() << "," << by.y() << ": " << was.first << "x"
          << was.second << " became " << now.first << "x" << now.second;
    } else {
      // A corner's: the proportions of the picture inside its spacing
      // kept (to a pixel), grown or shrunk the way of the drag.
      const bool grown = now.first > was.first && now.second > was.second,
                 shrunk = now.first < was.first && now.second < was.second;
      const auto* rect = dynamic_cast<TVLRectItemInfo*>(d->GetItem(p.Item));
      const Integer sp = rect ? 2 * rect->Spacing : 0;
      const Integer w0 = was.first - sp, h0 = was.second - sp, w1 = now.first - sp, h1 = now.second - sp;
      EXPECT_TRUE((outX > 0 || outY > 0 ? grown : outX < 0 && outY < 0 ? shrunk : now == was) &&
                  std::abs(w1 * h0 - h1 * w0) <= std::max(w0, h0))
          << "corner " << handle << " dragged by " << by.x() << "," << by.y() << ": " << was.first << "x"
          << was.second << " became " << now.first << "x" << now.second;
    }
    EXPECT_EQ(DocumentText(*p.Editor->VLData()), text) << "the text around the picture changed with its size";
    EXPECT_EQ(Shown(), outline) << "the entry changed but for the picture's size";
    if (now == was) return;
    Note("undo the new size");
    Menu("vlActionUndo");
    if (InChain(p.Editor) && p.Item < d->GetItemCount()) {
      EXPECT_EQ(PictureSize(p), was) << "Undo does not give the picture its size back";
    }
    EXPECT_EQ(Shown(), outline) << "Undo of the picture's size changes the entry";
  }

  // The picture dragged to a point of a text line of its editor: it goes
  // there (after the letters before the point), the words stay.
  void MovePicture(const TPicture& p) {
    TVLEditVLData* d = p.Editor->EditData();
    // The lines of text on the screen, a point inside one, and what its
    // hit test says lies before it.
    std::vector<Integer> lines;
    for (Integer n = 0; n < d->DrawItems.Count(); ++n)
      if (d->GetItemStyle(d->DrawItems[n]->ItemNo) >= 0 && d->DrawItems[n]->Width > 8) lines.push_back(n);
    if (lines.empty()) return;
    const TVLDrawLineInfo* l = d->DrawItems[OneOf(lines)];
    const Integer x = l->Left + Pick(2, static_cast<int>(l->Width) - 2), y = l->Top + l->Height / 2;
    Integer n = -1, o = -1;
    d->FindDrawItemForSel(x, y, n, o, false);
    if (n < 0 || d->DrawItems[n]->ItemNo == p.Item || d->GetItemStyle(d->DrawItems[n]->ItemNo) < 0) return;
    const Integer target = d->DrawItems[n]->ItemNo;
    const std::u16string targetText = RawUnicodeToWideString(d->GetItemTextA(target));
    if (!d->GetItem(target)->IsUnicode()) return;
    // (The offset counts from 1 in the line's part of the item.)
    const size_t offs = static_cast<size_t>(std::max<Integer>(0, d->DrawItems[n]->TextOffset - 1 + o - 1));
    const std::string leftText = WideToUtf8(targetText.substr(offs >= 2 ? offs - 2 : 0, std::min<size_t>(offs, 2)));
    QPoint from, to;
    if (!PicturePoint(p, 0.7, 0.5, from) || !OnScreen(p.Editor, QPoint(x - d->GetHOffset(), y - d->GetVOffset()), to))
      return;
    {
      // Clear of the edges where a drag scrolls the view under the pointer:
      // the bottom one lies above the horizontal scroll bar when it shows.
      const QWidget* surface = ClientWidgetOf(Edit());
      const QPoint top = surface->mapTo(Window(), QPoint(0, 0));
      if (to.y() < top.y() + 24 || to.y() > top.y() + Edit()->ClientHeight() - 24) return;
    }
    const std::string text = ShownText(), outline = Shown();
    const size_t pictures = Occurrences(outline, "{picture}");
    const int started = DragsStarted;
    Note("drag the picture to after \"" + leftText + "\" in its text");
    // A press on one of its handles (a small picture is all handles) takes
    // that handle, which the drag resizes by: the picture stays.
    if (Integer handle = -1; PictureHandleAt(p, 0.7, 0.5, handle)) {
      Note("  (pressed on its handle " + std::to_string(handle) + ")");
      const std::pair<Integer, Integer> was = PictureSize(p);
      const std::string words = DocumentText(*p.Editor->VLData());
      Pressed = true;
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, Window()->mapToGlobal(from));
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal((from + to) / 2));
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(to));
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, Window()->mapToGlobal(to));
      Settle();
      ASSERT_EQ(DragsStarted, started) << "a press on the picture's handle " << handle << " started a drag; shown: " << Shown();
      return ExpectHandleDragged(p, handle, to - from, was, words, outline);
    }
    DropAt = to;
    DropMods = Qt::NoModifier;
    Pressed = true;
    const QPoint step(to.x() >= from.x() ? 12 : -12, to.y() >= from.y() ? 4 : -4);
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, Window()->mapToGlobal(from));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(from + step));
    if (DragsStarted == started) qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(to));
    qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, Window()->mapToGlobal(to));
    Settle();
    ASSERT_GT(DragsStarted, started) << "the selected picture did not start a drag; shown: " << Shown();
    EXPECT_EQ(ShownText(), text) << "the words changed with the picture's move";
    EXPECT_EQ(Occurrences(Shown(), "{picture}"), pictures) << "the pictures are not as many after the move";
    if (!InChain(p.Editor)) return;
    // The picture after the letters that stood before the drop point.
    bool there = false;
    for (Integer i = 1; i < d->GetItemCount() && !there; ++i)
      if (dynamic_cast<TVLGraphicItemInfo*>(d->GetItem(i)) && d->GetItemStyle(i - 1) >= 0 && d->GetItem(i - 1)->IsUnicode()) {
        const std::string before = WideToUtf8(RawUnicodeToWideString(d->GetItemTextA(i - 1)));
        there = before.size() >= leftText.size() && before.compare(before.size() - leftText.size(), leftText.size(), leftText) == 0;
      }
    EXPECT_TRUE(there || leftText.empty()) << "no picture after \"" << leftText << "\" where it was dropped; shown: " << Shown();
    if (Shown() == outline) return;
    Note("undo the move");
    Menu("vlActionUndo");
    EXPECT_EQ(Shown(), outline) << "one Undo does not take back the picture's move";
  }

  // --- after a step ------------------------------------------------------------

  // The journal and day the window shows.
  std::pair<Integer, double> CurrentEntry() const {
    return CurrentJournal ? std::make_pair(CurrentJournal->JournalID, std::floor(CurrentJournal->EntryDate))
                          : std::make_pair(Integer(-1), 0.0);
  }

  // Back from the cover (with the password after a lock), the entry read
  // back as it was.
  void OpenFromCover() {
    Note("open from the cover");
    QTest::mouseClick(WidgetOf(Main->pbOpenQuillory), Qt::LeftButton);
    ASSERT_TRUE(Settle());
    ASSERT_EQ(ScreenMode, smOpen) << "the journal did not open from the cover";
    ASSERT_TRUE(CurrentJournal && CurrentJournal->EditorWindow) << "the journal is not shown after the password";
    ASSERT_TRUE(Activate(Window()));
    CurrentJournal->EditorWindow->FocusEditor();
    Settle();
  }

  // The journal manager, closed with OK as it stands (nothing deleted): the
  // journals open again.
  void CloseJournalManager() {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* manager = dynamic_cast<TformJournalManager*>(Screen->Forms(i)); manager && manager->GetVisible()) {
        Note("  OK in the journal manager");
        manager->pbOk->Click();
        ASSERT_TRUE(Settle());
        ASSERT_TRUE(CurrentJournal && CurrentJournal->EditorWindow) << "no journal shown after the journal manager";
        ASSERT_TRUE(Activate(Window()));
        CurrentJournal->EditorWindow->FocusEditor();
        Settle();
        return;
      }
  }

  // Another day or journal shown, or the journals read anew (a lock, the
  // journal manager): the entry left was saved as it was shown, one shown
  // again reads back so, and the entry read anew starts its own undo.
  void FollowEntry(const std::string& before) {
    const auto now = CurrentEntry();
    const bool reread = CurrentJournal != J || Loads != LoadsSeen;
    LoadsSeen = Loads;
    const bool deleted = Given == "ActionDelete";
    if (!reread && now == EntryShown && !deleted) return;
    const bool same = now == EntryShown;
    if (!same && !LeftUnsaved) Kept[EntryShown] = before;
    if (deleted) Kept.erase(now);
    if (!same || reread)
      Note("  (the entry of journal " + std::to_string(now.first) + ", day " +
           std::to_string(static_cast<long>(now.second)) + (reread ? ", read anew)" : ")"));
    J = CurrentJournal;
    EntryShown = now;
    ASSERT_TRUE(J && J->EditorWindow) << "no entry is shown";
    if (!deleted && same && !LeftUnsaved) {
      EXPECT_EQ(Shown(), before) << "the entry read anew differs from the one shown";
    } else if (auto kept = Kept.find(now); !deleted && kept != Kept.end()) {
      EXPECT_EQ(Shown(), kept->second) << "the entry read back differs from the one left";
    }
    Start = Shown();
    EXPECT_EQ(Edit()->GetUndoType(), vlutNone) << "an entry read anew keeps an undo of the text shown before it";
  }

  // A step drawn from what the window offers, or the recorded one given.
  void OfferedStep(const std::string* recorded = nullptr) {
    const int failuresBefore = Failures();
    static const char* const texts[] = {"café", "Łódź", "don’t ", "x", "Ünïcödé"};
    // The pause between two things the user does: the idle work brings the
    // commands' states up to date.
    Application->Idle();
    const std::string before = Shown();
    const TCaretAt caretBefore = CaretAt();
    const auto entryBefore = EntryShown;
    const qytest::TCallWatchdog watchdog("step " + std::to_string(++Steps));
    Given.clear();
    RoundTripCaret.reset();
    Pressed = false;
    ShiftSelected = false;
    AskedCount = 0;
    LeftUnsaved = false;
    ErrorsShown.clear();
    const int boxesBefore = Boxes;
    const int pick = recorded ? -1 : Pick(0, 99);
    Replaying = recorded != nullptr;
    if (recorded) {
      ASSERT_TRUE(RecordedStep(*recorded)) << "the recorded step \"" << *recorded << "\" cannot be taken; shown: " << Shown();
    }
    else if (pick < 22) OfferedCommand(false);
    else if (pick < 32) OfferedCommand(true);
    else if (pick < 37) RightClick();
    else if (pick < 39) ToolBarBox();
    else if (pick < 51) TypeChecked(texts[Pick(0, 4)]);
    else if (pick < 52) { Note("tab"); Key(Qt::Key_Tab); }
    else if (pick < 53) { Note("shift+tab"); Key(Qt::Key_Tab, Qt::ShiftModifier); }
    else if (pick < 54) TabThenTypeAhead(Chance(30));
    else if (pick < 55) { Note("enter"); Key(Qt::Key_Return); }
    else if (pick < 56) { Note("join by backspace"); Key(Qt::Key_Home); Key(Qt::Key_Backspace); }
    else if (pick < 59) CaretKeys();
    else if (pick < 63) ClickCell(Qt::NoModifier);
    else if (pick < 65) ClickCell(Qt::ShiftModifier);
    else if (pick < 67) DragCells();
    else if (pick < 70) DoubleClickWord();
    else if (pick < 71) TripleClick();
    else if (pick < 73) { if (!ClickOutside()) { Note("ctrl+end"); Key(Qt::Key_End, Qt::ControlModifier); } }
    else if (pick < 77) DragBorder();
    else if (pick < 83) DragText();
    else if (pick < 89) UndoRun(false);
    else if (pick < 91) PictureStep();
    else if (pick < 94) UndoRun(true);
    else if (pick < 96) {
      const bool del = Chance(50);
      Note(del ? "delete" : "backspace");
      Key(del ? Qt::Key_Delete : Qt::Key_Backspace);
    }
    else if (pick < 97) SelectPastTable();
    else ScrollThenPress();
    if (Failures() > failuresBefore) return;
    ASSERT_TRUE(Settle()) << "the window never settles";
    ASSERT_EQ(Escaped, "") << "an exception reached the application";
    if (ScreenMode == smCover) OpenFromCover();
    if (Failures() > failuresBefore) return;
    CloseJournalManager();
    if (Failures() > failuresBefore) return;
    // The journals closed and opened again leave the sequence's journal
    // gone: the one shown now is followed before anything else.
    FollowEntry(before);
    if (Failures() > failuresBefore) return;
    WorkWhatIsOpen();
    if (Failures() > failuresBefore) return;
    ASSERT_EQ(Escaped, "") << "an exception reached the application";
    EXPECT_EQ(ErrorsShown, "") << "the program reported an error";
    FollowEntry(before);
    if (Failures() > failuresBefore) return;
    // A window must not have taken the main window's activation for good.
    if (QApplication::activeWindow() != Window()) Activate(Window());
    if (Listed(Given, kKeyboardElsewhere) && !Chain().empty()) {
      QWidget* target = KeyTarget();
      if (!target || !WidgetOf(Edit())->isAncestorOf(target)) {
        Note("  the keyboard back to the entry");
        J->EditorWindow->FocusEditor();
        Settle();
      }
    }
    // A save, or the journal locked and opened, leave the caret where it
    // was (by the automatic save's timer, where the step left it).
    if (Given == "ActionSave" && CurrentEntry() == EntryShown && ErrorsShown.empty() && Boxes == boxesBefore)
      ProbeCaret(CaretAtSave, "after a save");
    // (The journals open at the day they open on: another day shown has
    // no caret of its own to bring back.)
    else if (Given == "ActionLock" && CurrentEntry() == entryBefore)
      ProbeCaret(caretBefore, "after Lock and Open");
    else if (RoundTripCaret && CurrentEntry() == entryBefore)
      ProbeCaret(RoundTripCaret->first, RoundTripCaret->second);
    if (Failures() > failuresBefore) return;
    if (!recorded && Chance(10)) {
      const TCaretAt was = CaretAt();
      AutomaticSave();
      ProbeCaret(was, "after the automatic save");
    }
    ASSERT_EQ(Escaped, "") << "an exception reached the application";
    if (!J->Document->Modified && !ShownText().empty()) CheckStored();
    // Nothing left to undo: the entry is as it was last read.
    const std::vector<TCustomVellumEdit*> chain = Chain();
    if (std::all_of(chain.begin(), chain.end(), [](TCustomVellumEdit* e) { return e->GetUndoType() == vlutNone; })) {
      EXPECT_EQ(Shown(), Start) << "nothing is left to undo, but the entry is not as it was last read";
    }
    CheckStructure();
    CheckNumbers();
    CheckBlocksHeld();
    CheckCaretShown();
    if (Pressed)
      PressedCaret = CaretAt();
    else if (PressedCaret && !(*PressedCaret == CaretAt()))
      PressedCaret.reset();
    // Now and then the entry goes to paper (drawn from no chance of its own:
    // the steps of a seed stay as they were).
    if (!recorded && Steps % kPrintEvery == 0 && Failures() == failuresBefore) PrintChecked();
  }
  static constexpr int kPrintEvery = 40;

  // ===========================================================================
  // The entry printed through the program's own print path (File > Print to
  // a PDF file), held to the printed-page check.
  void PrintChecked() {
    namespace printed = qytest::printed;
    printed::TScreen shown;
    printed::ReadScreen(*Edit()->VLData(), "", shown);
    if (shown.Words.empty()) return;
    const std::string pdf = (Dir / ("checked" + std::to_string(++Prints) + ".pdf")).string();
    Note("print the entry to a PDF file and read it back");
    {
      TInteractionScript script;
      script.Do([pdf](TInteraction& r) {
        if (r.Kind != TInteractionKind::PrintDialog) return static_cast<int>(mrCancel);
        r.PrinterName = PdfFileChoice;
        r.FileName = pdf;
        return static_cast<int>(mrOk);
      });
      ASSERT_TRUE(Menu("ActionPrint")) << "Print is not offered";
      ASSERT_EQ(script.Unexpected, 0) << "printing asked more than the printer";
    }
    // Every word of the entry on paper whole, in order in its cell, and
    // broken only where its table has no room for it on the line; none off
    // the printable area.
    const qytest::TPdfLayout paper = qytest::PdfLayout(pdf, true);
    const std::vector<std::string> faults = printed::WordsKeptOnPaper(shown, paper, *Preview->VLPrint1);
    // QY_PRINT_KEEP=<folder> keeps the PDFs that lose words, as the
    // printed-page sweep does.
    if (const char* keep = std::getenv("QY_PRINT_KEEP"); keep && !faults.empty())
      std::filesystem::copy_file(pdf, std::string(keep) + "/sequence-print" + std::to_string(Prints) + ".pdf",
                                 std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(faults, std::vector<std::string>()) << "the printed entry differs from the screen; on paper: "
                                                  << qytest::PdfText(pdf, true) << "; shown: " << Shown();
    // The keyboard goes back to the entry as it was.
    if (QApplication::activeWindow() != Window()) Activate(Window());
  }

  // ===========================================================================
  // A recorded step, as the faults the sequences found are kept: a verb and
  // what it needs, nothing drawn. A cell is "L.T R,C": the T-th table (from
  // 0, in the order of Spots) of those at level L, row R, column C.
  //   table R C             Insert Table by its menu, R rows and C columns
  //   type TEXT             the text typed where the keyboard is
  //   key KEYS [xN]         a key (as "Ctrl+Z", "Shift+Left", "Return")
  //   command ACTION        a command by its menu item (its key, else code)
  //   click CELL, shift+click CELL, drag CELL R,C (to another cell)
  //   double-click CELL [to R,C]  3 pixels into the cell's first line (then
  //                         a drag from there to another cell of the table)
  //   click outside         on the entry's first line
  //   right-click CELL ACTION   the item ACTION of the cell's pop-up menu
  //   drag CELL edge        from the start of the cell's text along its line
  //                         to the right edge of the entry's view
  //   border L.T column|row K N  the border before column or row K (from 1)
  //                         of the table dragged by N
  //   size N                the tool bar's size box set to N by its keys
  //   font NAME             the tool bar's font box set to NAME
  //   lock, undo N, redo N
  //   save                  the Save command by its menu, Undo and Redo tried
  //                         around it, the caret checked after it
  //   lines N               N paragraphs "tl 1" ... "tl N", each with Return
  //   wheel N               N notches down (up when negative) over the view
  //   trough start|end      the vertical scroll bar's trough pressed there
  //   press TEXT            a press on the entry's paragraph TEXT (shown),
  //                         checked to put the caret there
  //   press-at X,Y          a press at that point of the view, checked to
  //                         land where the hit test before it finds text
  //                         (on a scroll bar or between the two, to move
  //                         no caret)
  //   corner                a press on the square between the view's two
  //                         scroll bars, checked to move no caret
  //   hbar N                the horizontal scroll bar moved N pixels
  //   split C R             Split of the caret's cell (or the selected
  //                         ones) into C columns and R rows
  //   picture W H           a picture W by H put in by Insert Picture
  //   press-picture [cell]  a press on the entry's (or the innermost cell
  //                         editor's) first picture shown, checked to
  //                         select it
  //   handle N DX,DY        handle N of the picture selected dragged by
  //                         DX,DY, its new size checked
  //   autosave              the automatic save's timer run
  //   background N          work the user does not do (0 the automatic
  //                         save, 1 the lock's countdown, 2 the focus away
  //                         and back, 3 a dialog cancelled, 4 idle work),
  //                         checked to keep the view and every caret
  //   print                 the entry printed to a PDF file by File > Print
  //                         and held to the printed-page check
  //   markers N             (a check) the entry holds N list markers
  //   shown TEXT            (a check) the entry's outline holds TEXT
  bool RecordedStep(const std::string& step) {
    const size_t space = step.find(' ');
    const std::string verb = step.substr(0, space), rest = space == std::string::npos ? "" : step.substr(space + 1);
    auto cell = [this](const std::string& at, TSpot& spot) {
      int level = 0, table = 0, row = 0, col = 0;
      if (std::sscanf(at.c_str(), "%d.%d %d,%d", &level, &table, &row, &col) != 4) return false;
      int seen = -1;
      for (const TSpot& s : Spots())
        if (s.Level == level && s.Row == 0 && s.Col == 0 && ++seen == table)
          for (const TSpot& c : Spots())
            if (c.Table == s.Table && c.Row == row && c.Col == col) {
              spot = c;
              return true;
            }
      return false;
    };
    TSpot spot{};
    QPoint at;
    if (verb == "table") {
      int rows = 0, cols = 0;
      if (std::sscanf(rest.c_str(), "%d %d", &rows, &cols) != 2) return false;
      Note("insert table " + std::to_string(rows) + "x" + std::to_string(cols));
      return InsertTable(rows, cols);
    }
    if (verb == "type") {
      TypeChecked(rest);
      return true;
    }
    if (verb == "key") {
      const size_t x = rest.rfind(" x");
      const int times = x == std::string::npos ? 1 : std::atoi(rest.c_str() + x + 2);
      const QKeySequence keys = QKeySequence::fromString(QString::fromStdString(rest.substr(0, x)));
      if (keys.isEmpty()) return false;
      Note(rest);
      ShiftSelected = keys[0].keyboardModifiers().testFlag(Qt::ShiftModifier) && keys[0].key() >= Qt::Key_Home &&
                      keys[0].key() <= Qt::Key_PageDown;
      return Keys(keys[0].key(), times, keys[0].keyboardModifiers());
    }
    if (verb == "command") {
      for (const TRoute route : {TRoute::Menu, TRoute::Key, TRoute::Button, TRoute::Code})
        for (const TOffer& o : Offers)
          if (o.Route == route && o.Action->GetName() == rest) {
            Give(o);
            return true;
          }
      return false;
    }
    if (verb == "click" && rest == "outside") return ClickOutside();
    if (verb == "double-click") {
      // double-click CELL to R,C: then a drag from the word to another cell.
      const size_t to = rest.find(" to ");
      if (!cell(rest.substr(0, to), spot) || !WindowPoint(spot, at, 3)) return false;
      Note("double-click the word in " + Name(spot));
      const std::vector<std::string> words = Words(DocumentText(*spot.Table->GetCell(spot.Row, spot.Col)->GetVLData()));
      MouseAt(qytest::TWindowMouseAct::DoubleClick, at);
      if (to == std::string::npos) {
        // The cell's first word is selected in its editor (an empty cell
        // a pixel wide is a press on the table's border).
        if (words.empty()) return true;
        Settle();
        auto* cell = dynamic_cast<TVLTableInplaceEdit*>(Innermost());
        EXPECT_TRUE(cell && cell->Table == spot.Table && cell->Row == spot.Row && cell->Col == spot.Col &&
                    WideToUtf8(cell->GetSelTextW()) == words[0])
            << "a double click on the first word of " << Name(spot) << " did not select it; shown: " << Shown();
        return true;
      }
      TSpot other{};
      QPoint end;
      // From the word where it is shown now: the click may have scrolled.
      if (!Settle() || !WindowPoint(spot, at, 3) ||
          !cell(rest.substr(0, rest.find(' ')) + " " + rest.substr(to + 4), other) || !WindowPoint(other, end))
        return false;
      Note("drag from the word to " + rest.substr(to + 4));
      DragTo(at, end);
      return true;
    }
    if (verb == "click" || verb == "shift+click") {
      if (!cell(rest, spot) || !WindowPoint(spot, at)) return false;
      Note(verb + " " + Name(spot));
      ClickWindowAt(at, verb == "click" ? Qt::NoModifier : Qt::ShiftModifier);
      return true;
    }
    if (verb == "right-click") {
      // right-click CELL ACTION: the item of the cell's pop-up menu chosen.
      const size_t last = rest.rfind(' ');
      if (last == std::string::npos || !cell(rest.substr(0, last), spot) || !WindowPoint(spot, at, 3)) return false;
      MenuChoice = rest.substr(last + 1);
      RightClickAt(Name(spot), at);
      const bool shown = MenuShown;
      MenuChoice.clear();
      return shown;
    }
    if (verb == "drag" && rest.size() > 5 && rest.compare(rest.size() - 5, 5, " edge") == 0) {
      // From the start of the cell's text along its line to the right edge
      // of the entry's view, where the caret shown scrolls the entry.
      QWidget* view = ClientWidgetOf(Edit());
      if (!cell(rest.substr(0, rest.size() - 5), spot) || !view || !WindowPoint(spot, at, 0)) return false;
      const QPoint edge(view->mapTo(Window(), QPoint(view->width() - 1, 0)).x(), at.y());
      Note("drag from the start of " + Name(spot) + " to the right edge of the view");
      // The last pixels one by one: the caret at the nearest letter may lie
      // past the edge.
      DropAt = edge;
      DropMods = Qt::NoModifier;
      Pressed = true;
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, Window()->mapToGlobal(at));
      // (The pointer goes along: a move the view makes up is where it is.)
      for (int x = at.x() + (edge.x() - at.x()) / 2; x <= edge.x(); x = x < edge.x() - 8 ? edge.x() - 8 : x + 1) {
        QCursor::setPos(Window()->mapToGlobal(QPoint(x, at.y())));
        qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Move, Window()->mapToGlobal(QPoint(x, at.y())));
      }
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, Window()->mapToGlobal(edge));
      return true;
    }
    if (verb == "drag") {
      TSpot to{};
      QPoint end;
      int row = 0, col = 0;
      const size_t last = rest.rfind(' ');
      if (!cell(rest.substr(0, last), spot) || std::sscanf(rest.c_str() + last + 1, "%d,%d", &row, &col) != 2 ||
          !cell(rest.substr(0, rest.find(' ')) + " " + std::to_string(row) + "," + std::to_string(col), to) ||
          !WindowPoint(spot, at) || !WindowPoint(to, end))
        return false;
      Note("drag from " + Name(spot) + " to " + std::to_string(row) + "," + std::to_string(col));
      DragTo(at, end);
      return true;
    }
    if (verb == "border") {
      char kind[16] = {};
      int level = 0, table = 0, k = 0, by = 0;
      QPoint from;
      if (std::sscanf(rest.c_str(), "%d.%d %15s %d %d", &level, &table, kind, &k, &by) != 5 ||
          !cell(std::to_string(level) + "." + std::to_string(table) + " 0,0", spot) ||
          !BorderPoint(spot, std::string(kind) == "column", k, from))
        return false;
      DragBorderBy(spot, std::string(kind) == "column", k, from, by);
      return true;
    }
    if (verb == "lines") {
      Note("paragraphs tl 1 to tl " + rest);
      for (int i = 1; i <= std::atoi(rest.c_str()); ++i) {
        Type("tl " + std::to_string(i));
        Key(Qt::Key_Return);
      }
      return true;
    }
    if (verb == "wheel") {
      QWidget* view = ClientWidgetOf(Edit());
      const int notches = std::atoi(rest.c_str());
      if (!view || notches == 0) return false;
      Note("the wheel " + rest + " notches down");
      for (int i = 0; i < std::abs(notches); ++i) {
        const QPoint c(view->width() / 2, view->height() / 2);
        QWheelEvent wheel(c, view->mapToGlobal(c), QPoint(), QPoint(0, notches > 0 ? -120 : 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &wheel);
        Settle();
      }
      AwayCaret = CaretAt();
      return true;
    }
    if (verb == "trough") {
      QScrollBar* bar = Bar(Qt::Vertical);
      if (!bar || (rest != "start" && rest != "end")) return false;
      const int y = rest == "end" ? bar->height() - bar->width() - 3 : bar->width() + 3;
      Note("the vertical scroll bar's trough pressed near its " + rest);
      Pressed = true;
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Press, bar->mapToGlobal(QPoint(bar->width() / 2, y)));
      qytest::WindowMouse(Window(), qytest::TWindowMouseAct::Release, bar->mapToGlobal(QPoint(bar->width() / 2, y)));
      Settle();
      AwayCaret = CaretAt();
      return true;
    }
    if (verb == "hbar") {
      // The horizontal scroll bar's thumb dragged N pixels along.
      QScrollBar* bar = Bar(Qt::Horizontal);
      if (!bar) return false;
      Note("the horizontal scroll bar moved by " + rest);
      bar->setSliderDown(true);
      bar->setSliderPosition(bar->value() + std::atoi(rest.c_str()));
      bar->setSliderDown(false);
      Settle();
      AwayCaret = CaretAt();
      return true;
    }
    if (verb == "press-at") {
      // At a point of the view where the hit test finds text.
      QWidget* view = ClientWidgetOf(Edit());
      int x = 0, y = 0;
      if (!view || std::sscanf(rest.c_str(), "%d,%d", &x, &y) != 2 || !view->rect().contains(x, y)) return false;
      if (const std::string aside = Aside(QPoint(x, y)); !aside.empty()) {
        PressAside(QPoint(x, y), aside);
        return true;
      }
      QPoint p;
      TCustomVellumEdit* e = EditorAt(view->mapTo(Window(), QPoint(x, y)), p);
      if (!e) return false;
      TCustomVLFormattedData* data = nullptr;
      Integer item = -1, offs = 0;
      bool found = false;
      VLGetItemAt(*e->EditData(), p.x(), p.y(), data, item, offs, false, found);
      if (!data || item < 0 || data->GetItemStyle(item) < 0) return false;
      PressWhereHit(QPoint(x, y), data, item);
      return true;
    }
    if (verb == "corner") {
      QWidget* view = ClientWidgetOf(Edit());
      if (!view) return false;
      const QPoint local(view->width() - 5, view->height() - 5);
      const std::string aside = Aside(local);
      if (aside.empty() || qobject_cast<QScrollBar*>(Window()->childAt(view->mapTo(Window(), local)))) return false;
      PressAside(local, aside);
      return true;
    }
    if (verb == "press") {
      // On the paragraph's text, 3 pixels in, half down its line.
      TVLEditVLData* d = Edit()->EditData();
      QWidget* view = ClientWidgetOf(Edit());
      Integer item = -1;
      for (Integer i = 0; i < d->GetItemCount() && item < 0; ++i)
        if (d->GetItemStyle(i) >= 0 && d->IsParaStart(i) && ItemText(*d, i) == rest)
          item = i;
      if (item < 0 || !view) return false;
      Integer line = -1;
      for (Integer n = 0; n < d->DrawItems.Count() && line < 0; ++n)
        if (d->DrawItems[n]->ItemNo == item) line = n;
      if (line < 0) return false;
      const TVLDrawLineInfo* l = d->DrawItems[line];
      const QPoint local(l->Left - d->GetHOffset() + 3, l->Top - d->GetVOffset() + l->Height / 2);
      if (!view->rect().contains(local)) return false;
      Note("press on \"" + rest + "\"");
      ClickWindowAt(view->mapTo(Window(), local), Qt::NoModifier);
      Settle();
      EXPECT_TRUE(Innermost() == Edit() && d->GetCaretItemNo() == item)
          << "the press on \"" << rest << "\" put the caret at item " << Innermost()->EditData()->GetCaretItemNo()
          << " of \"" << DocumentText(*Innermost()->VLData()).substr(0, 40) << "\" at level " << Chain().size() - 1
          << ", not at item " << item << " of the entry; shown: " << Shown();
      return true;
    }
    if (verb == "split") {
      // split C R: Split of the caret's cell (or the selected ones) into C
      // columns and R rows.
      if (std::sscanf(rest.c_str(), "%d %d", &SplitWanted.first, &SplitWanted.second) != 2) return false;
      const bool given = RecordedStep("command vlActionTableSplitCells");
      SplitWanted = {0, 0};
      return given;
    }
    if (verb == "picture") {
      // picture W H: one of that size put in by Insert Picture.
      int width = 0, height = 0;
      if (std::sscanf(rest.c_str(), "%d %d", &width, &height) != 2) return false;
      const std::string file = Photo(width, height);
      if (file.empty()) return false;
      InsertPhoto(file);
      return true;
    }
    if (verb == "press-picture") {
      // On the entry's first picture shown (with "cell", the innermost
      // cell editor's).
      for (const TPicture& p : PicturesShown())
        if (p.Editor == (rest == "cell" ? Innermost() : Edit())) {
          bool pressed = false;
          PressPicture(p, pressed);
          return true;
        }
      return false;
    }
    if (verb == "handle") {
      // handle N DX,DY: handle N of the picture selected in the innermost
      // editor dragged by DX,DY.
      int handle = 0, dx = 0, dy = 0;
      if (std::sscanf(rest.c_str(), "%d %d,%d", &handle, &dx, &dy) != 3) return false;
      TCustomVellumEdit* inner = Innermost();
      const Integer item = inner->EditData()->GetSingleSelectedItem();
      return item >= 0 && DragHandle({inner, item}, handle, QPoint(dx, dy));
    }
    if (verb == "print") {
      PrintChecked();
      return true;
    }
    if (verb == "autosave") {
      AutomaticSave();
      return true;
    }
    if (verb == "background") {
      // background N: the work the user does not do of that kind (see
      // Background), checked to keep the view and the carets.
      const int kind = std::atoi(rest.c_str());
      if (kind < 0 || kind > 4) return false;
      Background(kind);
      return true;
    }
    if (verb == "lock") LockAndOpen();
    else if (verb == "save") {
      Note("ActionSave by its menu");
      Run("ActionSave", [this] { Menu("ActionSave"); });
    } else if (verb == "size") {
      if (!FontSize(rest)) return false;
      Settle();
    } else if (verb == "font") {
      const int index = Main->tbFontName->Items().IndexOf(rest);
      if (index < 0 || !Main->tbFontName->GetEnabled()) return false;
      Choose(Main->tbFontName, index);
      Settle();
    }
    else if (verb == "shown") {
      EXPECT_NE(Shown().find(rest), std::string::npos) << "the entry does not show \"" << rest << "\"; shown: " << Shown();
    } else if (verb == "markers") {
      EXPECT_EQ(Occurrences(Shown(), "{list "), static_cast<size_t>(std::atoi(rest.c_str()))) << "shown: " << Shown();
    } else if (verb == "undo+redo") {
      // Undone by the menu, as many Redos give back the entry as it was.
      Note(step);
      const std::string before = Shown();
      int done = 0;
      for (int i = std::max(1, std::atoi(rest.c_str())); i > 0 && Menu("vlActionUndo"); --i) ++done;
      for (int i = 0; i < done; ++i) Menu("vlActionRedo");
      EXPECT_EQ(Shown(), before) << "redoing " << done << " undone steps does not give back the entry";
    } else if (verb == "undo" || verb == "redo") {
      Note(step);
      for (int i = std::max(1, std::atoi(rest.c_str())); i > 0; --i) Menu(verb == "undo" ? "vlActionUndo" : "vlActionRedo");
    } else {
      return false;
    }
    return true;
  }

  std::mt19937 Rng;
  // The draws of the work the user does not do (the automatic save, the
  // focus going away and back...) and of the scrolls to an open nested
  // cell: the steps the main draws make stay as they were for every seed.
  std::mt19937 Side;
  const bool Offered;
  // Another window of the desktop, which takes the focus for a while.
  std::unique_ptr<QWidget> Elsewhere;
  // The open cell editor a scroll took the view to (its edge cut by the
  // view's), for the presses after it.
  TCustomVellumEdit* Reached = nullptr;
  std::unique_ptr<TPasswordDlg> Password;
  TOpenJournal* J = nullptr;
  std::string Start;
  std::string Log;
  std::string Escaped;
  qytest::TempDir Dir;
  int Prints = 0;
  TCaretAt CaretAtSave;
  // Where the caret was before a round trip to another day or read-only
  // and back, and what the trip was.
  std::optional<std::pair<TCaretAt, std::string>> RoundTripCaret;
  // What the Split window was given.
  TSplitAsked SplitAsked;
  // The columns and rows a recorded step asks the Split window for.
  std::pair<int, int> SplitWanted{0, 0};
  // The entry's words have their first letters in another style.
  bool StyledWords = false;
  // The step is a recorded one: every check that a drawn step makes by
  // chance is made.
  bool Replaying = false;
  // The window was resized by the step's scroll.
  bool Resized = false;
  // The step pressed the mouse on the window; it selected by Shift and the
  // caret keys.
  bool Pressed = false, ShiftSelected = false;
  // The count the step's prompt was given (0: none asked, -1: the prompt
  // cancelled).
  int AskedCount = 0;
  // Where the caret stood when the wheel, a scroll bar or a resize took
  // the view away from it.
  std::optional<TCaretAt> AwayCaret;
  // Where the caret was after the last step that pressed the mouse.
  std::optional<TCaretAt> PressedCaret;
  // The Insert Table window answered with OK, and the shape it was given.
  bool InsTableAsked = false;
  std::pair<Integer, Integer> InsTableShape;
  int Probes = 0;
  // The steps the window offers.
  std::vector<TOffer> Offers;
  std::vector<TBasicAction*> Commands;
  TAnswers Answers;
  std::vector<std::string> Pictures;
  std::string PhotoFile;
  int Files = 0;
  // The command of the step (its name), and what its windows showed.
  String Given;
  std::string ErrorsShown;
  int Boxes = 0;
  int Steps = 0;
  bool LeftUnsaved = false;
  bool MenuShown = false;
  // The item a recorded right click chooses from its menu.
  std::string MenuChoice;
  // Where a drag drops, and the keys held for it.
  QPoint DropAt;
  Qt::KeyboardModifiers DropMods;
  int DragsStarted = 0;
  // The entry shown, and each one left as it was shown then.
  std::pair<Integer, double> EntryShown;
  std::map<std::pair<Integer, double>, std::string> Kept;
  std::function<void(TOpenJournal*)> LoadedBefore;
  int Loads = 0, LoadsSeen = 0;
};

unsigned EnvNumber(const char* name, unsigned fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : fallback;
}

void RunSeeds(const std::vector<unsigned>& seeds, int steps, bool offered) {
  // Every seed runs, in a window of its own, whatever an earlier one found.
  const testing::TestResult& result = *testing::UnitTest::GetInstance()->current_test_info()->result();
  std::vector<unsigned> failed;
  for (const unsigned seed : seeds) {
    std::printf("table sequence seed %u, %d steps (rerun alone with QY_TABLE_SEQUENCE_SEED=%u)\n", seed, steps, seed);
    std::fflush(stdout);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun alone with QY_TABLE_SEQUENCE_SEED=" +
                 std::to_string(seed) + ")");
    const int before = result.total_part_count();
    auto failing = [&] { return result.total_part_count() > before; };
    TSequence s(seed, static_cast<int>(seed % 4), offered);
    for (int step = 0; step < steps && !failing(); ++step) {
      s.Step();
      if (std::getenv("QY_TABLE_SEQUENCE_TRACE")) {
        std::printf("%d: %s\n", step, s.Shown().c_str());
        std::fflush(stdout);
      }
    }
    if (!failing()) s.UndoAll();
    if (failing()) {
      ADD_FAILURE() << "steps: " << s.Log;
      failed.push_back(seed);
    }
  }
  for (const unsigned seed : failed) std::printf("failing seed %u\n", seed);
}

TEST(TableCommandSequence, RandomSequencesKeepTheEntryWhole) {
  std::vector<unsigned> seeds;
  if (std::getenv("QY_TABLE_SEQUENCE_SEED"))
    seeds.push_back(EnvNumber("QY_TABLE_SEQUENCE_SEED", 1));
  else
    for (unsigned s = 1; s <= 14; ++s) seeds.push_back(s);
  RunSeeds(seeds, static_cast<int>(EnvNumber("QY_TABLE_SEQUENCE_STEPS", 100)), true);
}

// Sequences that once found a fault, replayed whole with the steps they were
// drawn from then (table commands, typing, clicks, Undo, the clipboard,
// Find, Print, Lock, a change of date): 91 pressed into a cell that the
// mouse move run by the focus leaving the table's editor took for another
// one: that move selected cells and closed the cell editor the focus was
// going to. 576 saved while a cell editor closed over caret stops of lines
// an undo had taken away (a null line under the caret); it was found before
// words were double-clicked, and now makes other steps. The first 150 steps
// of 6 undid in a cell whose change showed the caret before it was placed
// anew: its stops still named a line the undo took away. The first 230
// steps of 792 printed tables nested in a table fitted to the line, each
// fitted in turn: the scale's exact fraction outgrew an Integer. 9284 undid
// a run of table commands after a merge, and the keys typed next went to a
// plain widget instead of the cell editor the caret was in.
TEST(TableCommandSequence, SequencesThatFoundFaults) {
  if (std::getenv("QY_TABLE_SEQUENCE_SEED")) GTEST_SKIP() << "one seed asked for";
  // The first 124 steps of 60626 (drawn from the offered commands) set a
  // border of the open cell by the menu: the table, laid out anew,
  // narrowed the cell's column, and its lines, rewrapped taller, stayed
  // cut off by the row measured before.
  RunSeeds({60626}, 124, true);
  RunSeeds({576, 91, 9284}, 300, false);
  RunSeeds({6}, 150, false);
  RunSeeds({792}, 230, false);
  // Drawn from the window's commands and gestures: the first 60 steps of
  // 1223 took a word of a nested cell for a drag while the table around it
  // had cells selected, and its copy of those cells failed to read back
  // ("Invalid cell data") into the application.
  RunSeeds({1223}, 60, true);
  // A cell's caret below its editor: 54018 typed in a table two deep,
  // whose outer table, laid out anew, rewrapped the inner cell's lines;
  // 54142 showed or hid the entry tree, and the new width did the same;
  // 61058 put a date and time stamp into a cell from its pop-up menu.
  RunSeeds({54018, 54142, 61058}, 300, false);
  // The first 200 steps of 90628 showed the entry tree with the caret
  // partly shown at the view's bottom: the lines above it, rewrapped
  // narrower, pushed it down until only its top pixel showed.
  RunSeeds({90628}, 200, false);
  // The first 62 steps of 99926 put a date stamp into a cell from its
  // pop-up menu, which made the entry taller than the window: the vertical
  // scroll bar narrowed the table, and the cell's lines, rewrapped taller,
  // stayed cut off by the row measured before.
  RunSeeds({99926}, 62, true);
  // The first 90 steps of 100374 double-clicked a word of a nested cell
  // whose editor, half scrolled out of the view, covered the horizontal
  // scroll bar: the press went into the cell, its caret under the bar was
  // shown, and the drag that followed pressed the bar.
  RunSeeds({100374}, 90, true);
}

// The faults the sequences found, each kept as the steps that found it
// (cut down to what it needs): a recorded step names everything it does,
// and so takes the same path whatever the window comes to offer.
struct TRecorded {
  const char* Fault;
  int Depth;  // of the tables nested in the entry at the start
  std::vector<std::string> Steps;
};
const TRecorded kRecorded[] = {
    // A cell three tables deep edited, the wheel turned until its caret
    // left the view, then the automatic save, the focus to another window
    // and back, the lock's countdown: the save reopened the cell editors,
    // whose carets, shown, scrolled the view back to the cell, and the
    // press meant for a line of the entry landed in a cell.
    {"work the user did not do after the wheel took a cell three deep out of view", 0,
     {"key Ctrl+End", "lines 40", "key Ctrl+Home", "table 2 2", "click 0.0 0,0", "table 2 2", "click 1.0 0,0",
      "table 2 2", "click 2.0 0,0", "type deepA", "wheel 20", "background 0", "background 2", "background 1",
      "background 3", "background 4", "press tl 20", "type M", "shown Mtl 20"}},
    // Found by 33 (and 35): a cell of a table nested in a cell edited, the
    // wheel turned until its caret left the view, a press on a line of the
    // entry. The focus the press gave came back through the outer cell's
    // editor, whose caret, shown, scrolled the inner caret back into view
    // under the pointer: the press landed in the cell.
    {"a press on the entry after the wheel took a nested cell's caret out of view", 0,
     {"key Ctrl+End", "lines 40", "key Ctrl+Home", "table 2 2", "click 0.0 0,0", "table 2 2", "click 1.0 0,0",
      "type cellX", "wheel 20", "press tl 20", "type M", "shown Mtl 20"}},
    // Found by 82098 at its step 200 (a heap-use-after-free): a link in a
    // cell, cell commands there, a time stamp from the cell's pop-up menu,
    // then Undo by the keys. Undoing a cell command reopened the cell's
    // editor, which took the cell's lines with its items while the entry's
    // list of links still named them; the caret shown scrolled the entry
    // sideways, and the mouse move the scroll made up read the link's
    // freed line under the pointer.
    {"Undo of cell commands after a time stamp in a cell holding a link, the entry scrolled sideways", 0,
     {"key Ctrl+End", "table 2 2", "type café", "key Tab", "type don’t", "border 0.0 column 2 600", "click 0.0 1,1",
      "key Home", "command vlActionInsertHyperlink", "command vlActionTableCellTopBorder",
      "command vlActionTableCellVAlignMiddle", "right-click 0.0 1,1 ActionTimeStamp", "key Ctrl+Z x4"}},
    // Found by 500441 at its step 258: a click on the text while a cell
    // of a table nested in a cell wider than the view was edited. The
    // nested editor, closing, handed the keyboard to the outer one, whose
    // caret at the cell's far end scrolled the view under the pointer:
    // the press landed there and selected the text between.
    {"a click outside the tables while a cell of a table nested in a wide cell is edited", 0,
     {"key Ctrl+End", "table 1 1", "border 0.0 column 1 300", "click 0.0 0,0", "command vlActionAlignRight",
      "table 3 1", "click outside", "type Łódź"}},
    // Found with the steps of 201227: Down on the entry's last line, the
    // caret before a table taller than the view, scrolled to the entry's
    // end and left the caret's top above the view.
    {"Down beside a table taller than the view that ends the entry", 0,
     {"key Ctrl+End", "table 2 1", "border 0.0 row 2 460", "border 0.0 row 1 300", "key Up", "key Down"}},
    // Found by 201227 at its step 292: a double click on a column a few
    // pixels wide selected the table, which was dragged into one of its own
    // cells near the foot of the view. The drag scrolled the view, the drop
    // moved nothing, and the caret beside the table stood above the view.
    {"a table dragged into one of its own cells, scrolling the view", 0,
     {"key Ctrl+End", "table 4 2", "border 0.0 column 2 -400", "border 0.0 column 1 -300", "border 0.0 column 2 -298",
      "border 0.0 row 4 300", "border 0.0 row 2 460", "key Up", "key Ctrl+End", "double-click 0.0 1,1 to 2,1",
      "type x"}},
    // Found by 100607 at its step 194: a double click on a column narrowed
    // to a pixel selected the table, and the table took the release; the
    // press after it, anywhere in the entry, was taken for the double
    // click's and left the caret where it was.
    {"a click in the text after a double click on a column a pixel wide", 0,
     {"key Ctrl+End", "table 2 3", "border 0.0 column 2 -400", "double-click 0.0 1,1", "click outside",
      "type Łódź"}},
    // Found by 70005 at its step 300: the last cell of a table whose last
    // column's cell spans the rows was taken for that cell, so a marker
    // after the table, read back, found no marker in the cells before it
    // and counted first.
    {"a list marker in a cell left of one spanning the rows, and one after the table, read back", 0,
     {"key Ctrl+End", "command vlActionParaBullets", "key Ctrl+Home", "table 2 2", "click 0.0 0,1",
      "shift+click 0.0 1,1", "command vlActionTableMergeCells", "click 0.0 1,0", "command vlActionParaBullets",
      "key Ctrl+End x2", "markers 2", "command ActionPrint"}},
    // Found by 1435 at its step 226: a drag from a cell whose editor was
    // not open yet, along a line wider than the view, reached the view's
    // edge; the caret shown there scrolled the entry sideways, and the move
    // that scroll made up ran inside the drag's own: it found the pointer
    // over the next cell, selected both and freed the cell editor the
    // drag's move was still in.
    {"a drag along a cell's unwrapped line to the edge of the view, which scrolls the entry sideways", 1,
     {"click 0.0 0,0", "key End", "command vlActionWordWrap",
      "type Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź "
      "Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź ",
      "key Tab", "key End", "command vlActionWordWrap", "type Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź "
      "Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź ",
      "key Shift+Tab", "key Home", "key Up", "drag 0.0 0,0 edge", "type x"}},
    // Found by 11458 at its step 242.
    {"a copy of cells holding a list, read from the clipboard, then the journal locked: the window's styles, "
     "going, took apart their list levels before the copy let go of its document, which read them",
     2,
     {"command vlActionParaBullets", "type Łódź", "key Return", "type x", "click 0.0 0,0", "shift+click 0.0 1,1",
      "command vlActionCopy", "command ActionLock"}},
    // Found by 27 (steps 121 to 124) once typing took Delete: the Delete
    // key at the end of a list paragraph (empty, or with text) joined the
    // next list paragraph with its marker, which stood inside the joined
    // paragraph after this one's.
    {"Delete at the end of an empty list paragraph before another", 0,
     {"key Ctrl+Home", "command vlActionParaBullets", "key Ctrl+Home", "key Return", "key Up", "markers 2",
      "key Delete", "markers 1", "type Ł"}},
    {"Delete at the end of a list paragraph with text before another", 0,
     {"key Ctrl+Home", "command vlActionParaBullets", "key End", "key Return", "type x", "key Up", "key End",
      "markers 2", "key Delete", "markers 1", "type Ł"}},
    // Found by 10023, 10049 and 10985: a table taken out by undo kept its
    // selected cells, and brought back by redo it showed them while the
    // keys typed next went into the paragraph after it.
    {"typing over the cells selected in a table that undo took out and redo brought back", 0,
     {"key Ctrl+End", "type x", "table 1 2", "command vlActionTableSelectTable", "undo 1", "redo 1", "type Łódź"}},
    // Found by 10075, 10108 and 11123: Shift+Up from a cell selected the
    // text of a list paragraph and the paragraph after it up to the table;
    // typed over, it left the marker alone and the text a paragraph of its
    // own.
    {"typing over the text of a list paragraph selected up to a table", 0,
     {"key Ctrl+Home", "command vlActionParaBullets", "key Ctrl+End", "table 1 2", "type x", "key Shift+Up x3",
      "type Łódź", "markers 1"}},
    // Found by 30080 at its step 171: Backspace took the marker of a list
    // paragraph followed by one of another list; the recount after it went
    // to that list, and the next marker of its own list kept its number.
    {"Backspace taking a list marker before a marker of another list", 0,
     {"key Ctrl+Home", "command vlActionParaBullets", "key End", "key Return", "type x",
      "command vlActionParaNumbering", "key Return", "type y", "command vlActionParaBullets", "key Ctrl+Home",
      "key Backspace", "markers 2", "save"}},
    // Found by 30330 (steps 91 to 154): the entry left with a list after
    // an unused one, and no history, had its sheet tidied by the save; its
    // list read back under another number, as the window showed it then.
    {"an entry left with its list after an unused one, read back", 0,
     {"key Ctrl+Home", "command vlActionParaBullets", "undo 1", "command vlActionParaNumbering", "key Ctrl+End",
      "table 1 2", "lock", "click 0.0 0,0", "command vlActionTableCellVAlignDefault", "command ActionDateNext",
      "command ActionDatePrevious", "markers 1"}},
    // Found by 22 (steps 41 to 52): a border set from a nested table's cell
    // left an empty step in that cell's history; undone, it did nothing,
    // and the Redos then went one step further, into a Redo from before.
    // Found by 40008 and 40028: a column border dragged past the window's
    // edge widened the table and left the caret beside it out of sight
    // (Delete before the table selects it, End leaves the caret beside it).
    // Found by 40093 (steps 81 to 120): Backspace took the list marker of
    // a cell before a marker of the same list in the entry's text; the cell
    // recounted its own markers, and the entry's kept the number it had
    // with the cell's marker before it, which the entry read back lost.
    {"Backspace taking a cell's list marker before a marker of the same list after the table", 0,
     {"key Ctrl+End", "command vlActionParaBullets", "type x", "key Ctrl+Home", "table 1 1", "click 0.0 0,0",
      "command vlActionParaBullets", "key Ctrl+End", "click 0.0 0,0", "key Home", "key Backspace", "key Ctrl+End",
      "key Ctrl+S"}},
    {"a table widened by its border past the view, the caret beside it", 0,
     {"table 1 2", "border 0.0 column 1 10", "key Ctrl+Home", "key End", "key Delete", "key End",
      "border 0.0 column 2 40"}},
    // Found by 80174 at its step 300: a table in a right-aligned paragraph,
    // grown by a long word wider than the line, was laid out from the
    // line's right end, so its left part stood left of the document, where
    // no scroll reaches; the caret in its first column stayed out of sight.
    {"a table in a right-aligned paragraph grown wider than the line", 0,
     {"table 1 2", "border 0.0 column 1 10", "key Ctrl+Home", "key End", "key Delete", "command vlActionAlignRight",
      "click 0.0 0,0",
      "type ÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödéÜnïcödé", "key Home"}},
    // Found by 41115: the entry tree shown narrowed the view under the
    // caret of a cell near its right edge, which stayed out of sight.
    {"the view narrowed under the caret of a cell", 0,
     {"table 1 2", "border 0.0 column 1 10", "key Tab", "type café café café café café café",
      "command ActionHideShowEntryTree"}},
    // Found by 54041 at its step 278: the view kept its width from the last
    // resize, when the vertical scroll bar was shown; with the bar gone, a
    // caret beside a wide table stood in the strip the bar had covered,
    // taken for out of sight, and the entry tree narrowing the view left it
    // there.
    {"the view narrowed under a caret shown where a scroll bar had been", 0,
     {"key Ctrl+End", "lines 30", "command ActionHideShowEntryTree", "command ActionHideShowEntryTree",
      "key Shift+Up x30", "key Delete", "key Ctrl+Home", "table 1 2", "border 0.0 column 1 10", "key Ctrl+Home",
      "key End", "border 0.0 column 2 40", "command ActionHideShowEntryTree"}},
    // Found by 42093 at its step 300: a table taller than the view pasted
    // into a cell from its pop-up menu left the caret beside it, as tall as
    // it; shown whole, the view scrolled to its foot and its top stood far
    // above the view.
    {"a table taller than the view pasted into a cell by its pop-up menu", 1,
     {"click 0.0 0,0", "key Return x40", "command vlActionTableSelectTable", "command vlActionCopy", "click 0.0 1,1",
      "right-click 0.0 1,1 vlActionPaste"}},
    {"a cell command of a nested table, its steps undone and redone", 2,
     {"click 1.0 0,0", "type x", "command vlActionTableCellTopBorder", "key Ctrl+Home", "type z", "undo 1",
      "undo+redo 3"}},
    // Found by 30650 at its step 216: the size box applies its size on
    // Enter and again as the keyboard leaves it; the second time changed
    // nothing but left an empty step. Undo before the save took that, the
    // save's closing of the cell editor dropped it, and Undo after the save
    // took the size back instead.
    {"Undo around a save after a size set from the tool bar", 1,
     {"click 0.0 0,0", "key End", "key Shift+Home", "size 15", "save"}},
    // Found by 11246 at its step 125: a drag of a nested table's border
    // laid its cell out anew, the text before the table took fewer lines,
    // and the selection, held by lines, moved onto other text (the
    // automatic save then put the caret there).
    {"a border drag of a nested table that rewraps the text selected before it", 1,
     {"click 0.0 0,0",
      "type Before the table a paragraph long enough to wrap over several lines in a cell of the table around it, "
      "and then some more words",
      "key Return", "type y", "key Home", "table 1 1", "key Down", "key Home", "key Shift+Left",
      "border 1.0 column 1 150"}},
    // Found by 10087 at its step 91 (after Table Properties): a nested
    // table with cells selected, changed so that its cell is laid out
    // anew. The save's closing of the cell let go of the block first, which
    // left the cell no caret, and handed the cell's history over from
    // there; Undo after the save replayed it from the cell's start, and Redo
    // put the caret before the table instead of after it.
    {"Undo and Redo around a save with cells of a nested table selected", 2,
     {"click 1.0 0,0", "command vlActionTableSelectCell", "border 1.0 column 1 40", "save"}},
    // Found by 201058 at its step 170: Backspace over the selection from a
    // table's end to the text after it deletes nothing, but left an empty
    // step; Undo took that step, doing nothing, and the Redos after it went
    // one step further, into a letter undone before the Backspace.
    {"Undo and Redo over a Backspace that deletes nothing from a table's end", 1,
     {"click outside", "key Ctrl+End", "type xy", "undo 1", "key Home", "key Shift+Left", "key Backspace",
      "undo+redo 2"}},
    // Found by 200926 (steps 50 to 57): cells selected in one table stayed
    // selected as Down took the caret into a cell of the next table, and
    // the keys went there; a later border drag let go of them.
    {"Down from cells selected in a table into a cell of the next one", 1,
     {"key Ctrl+Home", "table 1 2", "drag 0.0 0,0 0,1", "key Down x2", "type x"}},
    // Found by 201486 at its step 174: text typed in a cell, then rows of
    // a table nested in the cell selected. Undo there keeps the caret at
    // the nested table; the save's closing of the cell let go of the
    // selected rows, and Undo after the save, replaying the cell's history
    // without them, moved the caret back into the text: after Redo it was
    // after the typed text, not at the nested table.
    {"Undo and Redo around a save with rows of a table nested in the cell selected", 1,
     {"click 0.0 0,0", "table 1 1", "click 0.0 0,0", "type x", "click 1.0 0,0", "command vlActionTableSelectRows",
      "save"}},
    // Found by 320134 at its step 123: a double click on a cell's list
    // marker took the marker for the word, and its drop on the empty item a
    // date stamp leaves after a picture put the marker in the middle of
    // that paragraph.
    {"a list marker dropped after a picture in another cell", 0,
     {"table 2 1", "click 0.0 1,0", "command vlActionParaBullets", "type y", "click 0.0 0,0", "type ab",
      "command vlActionInsertPicture", "type xy", "command ActionDateStamp", "double-click 0.0 1,0 to 0,0",
      "markers 1"}},
    // Found by 400086 at its step 108: with a block of a nested table's
    // cells selected, the keys selected words from the table's end; a
    // border drag of the table around them closed the cell editor and
    // opened it again, and bringing back the block let go of the text.
    {"a border drag of a table around a block of cells with text selected beside it", 0,
     {"table 2 1", "click 0.0 0,0", "type ab cd", "key Home", "table 1 1", "command vlActionTableSelectCell",
      "key Shift+Ctrl+Right x2", "border 0.0 row 1 -17"}},
    // Found by 901483 at its step 300: the cells of a table sized by its
    // columns' pixel widths, its first row merged and holding a long word,
    // pasted into a cell. Laid out, the word widened both columns before
    // the pixel widths applied, so the table was wider than the minimum it
    // told its cell; the cell stayed narrower, and the caret after the
    // table stood beyond the entry's right end, where no scrolling reached.
    {"cells of a table sized by pixel columns below a long merged word, pasted into a cell", 0,
     {"key Ctrl+End", "table 2 2", "border 0.0 column 1 -280", "click 0.0 0,0", "shift+click 0.0 0,1",
      "command vlActionTableMergeCells", "type ŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódźŁódź",
      "command vlActionTableSelectTable", "command vlActionCopy", "click outside", "key Ctrl+End", "table 1 1",
      "right-click 0.1 0,0 vlActionPaste"}},
    // Found by 1101990 at its step 276: a double click on the first word of
    // a cell whose first line was partly above the view. The first press
    // opened the cell's editor, whose caret scrolled the view to show the
    // line whole; the second press landed on what scrolled under the
    // pointer (the table's border) and left the caret above the view.
    {"a double click on a word of a cell on a line partly above the view", 0,
     {"key Ctrl+Home", "key Down", "table 2 1", "type café Łódź", "border 0.0 row 1 300", "border 0.0 row 2 170",
      "key Ctrl+End x2", "double-click 0.0 0,0", "type x"}},
    // Found by 1201253 at its step 256: rows of a table selected, then text
    // after it selected by Shift and the keys. The block stayed selected,
    // and the letter typed went into a cell of it, not over the text.
    {"text selected by Shift+Down beside a block of cells, then typed over", 0,
     {"key Ctrl+Home", "table 2 2", "type x", "command vlActionTableSelectRows", "key Shift+Down", "type Ŧ",
      "shown ]|Ŧ|After"}},
    // Found by 1300449 at its step 300 (the block let go of wrongly at
    // first): the caret stood at the table that held the block, and the
    // view did not follow the keys to the entry's end.
    {"text selected by Shift+Ctrl+End beside a block of cells in a table taller than the view", 0,
     {"key Ctrl+Home", "table 2 2", "type x", "border 0.0 row 2 460", "border 0.0 row 1 300", "click 0.0 0,0",
      "command vlActionTableSelectRows", "key Shift+Ctrl+End", "type Ŧ", "shown ]|Ŧ"}},
    // Found by 20018: a press on the top row of the line under a table
    // that begins the entry, past that line's end. The first line's bottom
    // row was taken for its own, the table's (a drag of its bottom border),
    // and the caret stayed in the open cell.
    {"a press on the first row of the line under a table that begins the entry", 0,
     {"key Ctrl+Home", "table 2 2", "press-at 402,61"}},
    // Found by 262: a press past the end of a cell's line whose end the
    // entry, scrolled sideways, left out of sight. The caret put there was
    // shown at once, which moved the view under the pointer, and the release
    // selected up to what came under it. The same in the entry's own text.
    {"a click past the end of a cell's line scrolled out of sight to the left", 0,
     {"key Ctrl+End", "table 2 2", "border 0.0 column 2 600", "click 0.0 0,0", "type Ünïcödé café don’t", "key Return",
      "command vlActionWordWrap",
      "type Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź "
      "Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź",
      "press-at 100,60"}},
    {"a click past the end of the entry's line scrolled out of sight to the left", 0,
     {"key Ctrl+End", "table 2 2", "border 0.0 column 2 600", "click 0.0 0,0", "command vlActionWordWrap",
      "type Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź "
      "Ünïcödé café don’t Łódź Ünïcödé café don’t Łódź",
      "press-at 40,16"}},
    // The focus a press on the entry gives comes back to the open cell's
    // editor first; its caret, shown then, moved the view under the pointer
    // and the press landed lines away. Found by 1301958 (the trough pressed
    // near its start after typing in a cell, then a press on a line of the
    // entry) and by 2, the first of today's seeds to catch it (a word of a
    // cell selected by a double click, the wheel turned up).
    {"a press on the entry after its scroll bar took the caret of a cell out of view", 0,
     {"lines 40", "table 2 2", "type café", "trough start", "press tl 23"}},
    {"a press on the entry after the wheel took a word selected in a cell out of view", 0,
     {"lines 40", "table 2 2", "type café don’t", "double-click 0.0 0,0", "wheel -8", "press tl 20"}},
    // Found by 92719 at its step 294: a table wider than the view, so both
    // scroll bars shown, and a press on the square between them. The press
    // reached the entry at a point below and right of what the view shows
    // and put the caret there, in text hidden under the bar; its release,
    // kept inside the view, landed lines away and selected up to it.
    {"a press on the square between the entry's two scroll bars", 0,
     {"lines 40", "table 1 1", "border 0.0 column 1 600", "corner"}},
    // Found by 96712: Insert Page Break with a picture selected split the
    // paragraph after it and put the caret on the new line, but left the
    // picture selected; a click on it then kept that selection and the
    // caret a line below. The break lets go of the selection; the picture
    // stays, and a click selects it again, so a letter replaces it.
    {"a page break put in with a picture selected", 0,
     {"key Ctrl+Home", "picture 14 11", "click outside", "command vlActionInsertPageBreak", "click outside",
      "type Q", "shown Q|{page}Before café"}},
    {"a page break put in with a picture selected, then typing", 0,
     {"key Ctrl+Home", "picture 14 11", "click outside", "command vlActionInsertPageBreak", "type Q",
      "shown {picture}|{page}QBefore café"}},
    // The same with words selected: the letter typed after the break
    // replaced the stale selection ("wor" lost) on the line before.
    {"a page break put in with words selected backwards, then typing", 0,
     {"key Ctrl+Home", "type hello world", "key Shift+Left x5", "command vlActionInsertPageBreak", "type Q",
      "shown hello |{page}QworldBefore café"}},
    {"a page break put in with words selected forwards, then typing", 0,
     {"key Ctrl+Home", "type hello world", "key Left x5", "key Shift+Right x3", "command vlActionInsertPageBreak",
      "type Q", "shown hello wor|{page}QldBefore café"}},
    // Found by 13 once the numbers were compared with cell editors open: a
    // list paragraph pasted into a cell showed its number counted anew in
    // the cell's editor ("1." beside the entry's "1." and "2." before the
    // table); closed, the cell counts on in the entry's list ("3."), and
    // so do the markers after the table.
    {"a cell holding a marker of the entry's list, edited", 0,
     {"key Ctrl+Home", "command vlActionParaNumbering", "key End", "key Return", "type two", "key Ctrl+End",
      "command vlActionParaNumbering", "key Ctrl+Home", "key Shift+Down", "command vlActionCopy", "key Ctrl+End",
      "key Home", "table 1 1", "command vlActionPaste", "key Return", "type y", "click outside", "click 0.0 0,0",
      "undo+redo 2", "save"}},
    // Found by 31723: a press on another cell of a table whose open cell
    // holds cell editors two deep, scrolled out of sight. Closing, the
    // innermost put the caret of the cell that held it, which was shown:
    // the view moved under the pointer, and the release selected text.
    {"a press on a cell beside one whose nested cell editors are scrolled out of sight", 0,
     {"key Ctrl+Home", "table 2 2", "click 0.0 0,1", "lines 30", "key Ctrl+Home", "click 0.0 0,0", "table 2 2",
      "click 1.0 0,0", "table 2 2", "click 2.0 0,0", "type x", "wheel 6", "press-at 500,300"}},
    // Found by 31616 and 31495: a right click on a cell that opens its
    // editor. The caret the editor opened with (after a table wider than
    // the view) was shown at the press, which scrolled the view; the release
    // put the caret under the pointer, then out of sight.
    {"a right click on a cell beside a nested table wider than the view", 0,
     {"key Ctrl+End", "table 1 1", "click 0.0 0,0", "table 2 2", "border 1.0 column 2 500",
      "right-click 0.0 0,0 vlActionFontBold"}},
    // Found by 31791: a press on a cell's text below a table nested in it
    // whose cell editor was open, after the scroll bar moved the view. The
    // nested editor, closing, put the cell's caret at its table, which the
    // table around showed: the view moved under the pointer.
    {"a press on a cell's text after the scroll bar, a cell editor open in a table above it", 0,
     {"key Ctrl+Home", "table 2 2", "click 0.0 0,0", "lines 30", "wheel -20", "press-at 20,12", "key Home", "table 2 2",
      "click 1.0 0,0", "type café", "trough end", "press-at 100,300"}},
    // Found by 40255 at its step 300: a cell split into two rows beside
    // cells holding a list in tables nested two and three deep. The cells
    // moved up are copies, read into a cell not yet in the table: their
    // tables took themselves for placed, and their markers, finding none
    // before them, went first in the entry's list (the deeper ones before
    // the others). A recorded merge copies the cells the same way.
    {"a cell split into rows beside cells holding one list in tables nested two and three deep", 0,
     {"key Ctrl+End", "table 1 3", "click 0.0 0,1", "table 1 2", "click 1.0 0,1", "command vlActionParaNumbering",
      "type a", "key Return", "type b", "key Ctrl+A", "key Ctrl+C", "click 0.0 0,2", "key Ctrl+V", "click 0.0 0,0",
      "split 1 2", "undo+redo 1"}},
    {"cells holding one list in tables nested two and three deep merged", 0,
     {"key Ctrl+End", "table 1 3", "click 0.0 0,1", "table 1 2", "click 1.0 0,1", "command vlActionParaNumbering",
      "type a", "key Return", "type b", "key Ctrl+A", "key Ctrl+C", "click 0.0 0,2", "key Ctrl+V", "click 0.0 0,1",
      "shift+click 0.0 0,2", "command vlActionTableMergeCells", "markers 4", "undo+redo 1"}},
    // Found by 41087 and 41274: a press on a tall picture partly shown at
    // the foot of the view, its line's caret below the view. The release
    // showed the caret before it looked what lay under the pointer: the
    // view had moved, and the picture was not selected.
    {"a press on a picture partly shown at the foot of the view, the caret beside it below the view", 0,
     {"key Ctrl+End", "lines 25", "type xx", "picture 48 72", "key Ctrl+Home", "press-picture"}},
    // Found by 44487: a cell over three columns split into two columns
    // and two rows. The first part's split grew the last part over the new
    // row; taking in the rows added on its left again, it swallowed the
    // cell below, whose words went up into the split cell.
    {"a cell over three columns split into two columns and two rows above a cell holding words", 0,
     {"key Ctrl+End", "table 2 3", "click 0.0 1,2", "type below", "click 0.0 0,0", "shift+click 0.0 0,2",
      "command vlActionTableMergeCells", "click 0.0 0,0", "type top", "split 2 2"}},
    // Found by 44134: a picture in a cell, its corner's handle dragged out
    // after an automatic save. The press went on to the entry around the
    // cell, which took the focus and handed it back to the cell's editor;
    // placing its caret again made the handles anew and dropped the drag,
    // and the picture kept its size.
    {"a handle of a picture in a cell dragged while the entry around hands the focus back to the cell", 0,
     {"key Ctrl+End", "table 1 2", "click 0.0 0,1", "key Return x6", "click 0.0 0,0", "picture 50 32", "autosave",
      "type x", "key Shift+Home", "press-picture cell", "handle 2 30,30"}},
    // Found by 44696: a press on a picture inside the selection of the
    // whole entry, the view scrolled a little sideways. The release, no
    // drag begun, put the caret under the pointer, and the caret shown
    // took the view to its left edge before the picture under the pointer
    // was taken: the release found the text beside it.
    {"a press on a selected picture, the view scrolled a little sideways", 0,
     {"key Ctrl+End", "table 1 1", "click 0.0 0,0", "table 2 2", "border 1.0 column 2 500", "click outside",
      "key Ctrl+End", "type xx xx xx xx xx", "picture 48 72", "type yy", "command vlActionSelectAll", "hbar 40",
      "press-picture"}},
    // Found by 47178: a long word typed into the last cell of a table
    // wider than the entry, a column of pixel width before it. Each
    // keystroke laid the table out in the entry's old width, so the pixel
    // column gave its width to the typed one; the next full layout (the
    // tool bar's font) gave it back and pushed the caret out of the view.
    {"a word typed into a cell past the entry's width, a pixel column before it, then the tool bar's font", 0,
     {"key Ctrl+End", "table 1 3", "border 0.0 column 2 300", "click 0.0 0,2",
      "type abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz",
      "font DejaVu Sans", "type Z"}},
    // Found by 47555: a row border dragged up to the window's top left
    // corner, then a press in a cell. The presses and moves no control took
    // went on to the journal window's frame, which took the last move for a
    // hover on its (hidden) title bar's system button: the press opened the
    // frame's system menu, which took the release and the rest of a double
    // click; the table kept the mouse, and refused the keys typed next.
    {"a press in a cell after a row border was dragged to the window's top left corner", 0,
     {"key Ctrl+Home", "table 2 2", "border 0.0 row 1 -60", "click 0.0 0,0", "type x"}},
    {"a double click on a cell's word after a row border was dragged to the window's top left corner", 0,
     {"key Ctrl+Home", "table 2 2", "type café", "border 0.0 row 1 -60", "double-click 0.0 0,0", "type x"}},
    // Found by 48041 and 50156: a click inside the selection, past the end
    // of a short line, the view scrolled sideways by a wide table. No drag
    // begun, the release put the caret at the line's end, left of the
    // view, and kept the view still for the release: the caret stayed out
    // of sight.
    {"a click in the selection past the end of a short line, the view scrolled sideways", 0,
     {"key Ctrl+End", "table 1 1", "border 0.0 column 1 600", "click outside", "command vlActionSelectAll", "hbar 400",
      "press-at 300,10"}},
    // Found by 62342: Undo of Delete Columns brought back a cell whose list
    // paragraph had a table after it holding the same list. The inner
    // table came back before the cell rejoined the entry's list: its
    // markers, finding none counted before them, went first in the list.
    {"Undo of Delete Columns that took a cell holding one list in itself and in a table nested in it", 0,
     {"key Ctrl+Home", "command vlActionParaNumbering", "key Ctrl+End", "table 1 2", "click 0.0 0,1", "key Ctrl+A",
      "key Ctrl+C", "click 0.0 0,1", "key Ctrl+V", "click 1.0 0,0", "key Ctrl+V", "click 0.0 0,1",
      "command vlActionTableDeleteCols", "key Ctrl+Z"}},
    // Found by 68096: the caret between two spaces of a cell, whose column
    // a border drag narrowed until its line broke there. The spaces at a
    // soft break are swallowed and hold no caret stop: the caret reopened
    // at the start of the next line (the check asked for the old offset).
    {"a border drag that breaks a cell's line at the two spaces the caret is between", 0,
     {"table 1 2", "click 0.0 0,1", "type aaaa  bbbb", "key Left x5", "border 0.0 column 1 400"}},
    // Found by 62737: Delete Rows given in a cell editor, then Undo. The
    // command's undo group was opened in the cell editor, which the
    // deletion closed: the emptied columns' removal undid alone, leaving a
    // one-row table with a column kept apart only by a merged cell, which a
    // Split then took away.
    {"Undo of Delete Rows given in a cell editor, beside a merged cell; then a Split", 0,
     {"key Ctrl+End", "table 2 3", "type a", "click 0.0 0,0", "shift+click 0.0 0,1", "command vlActionTableMergeCells",
      "click 0.0 1,0", "type c", "command vlActionTableDeleteRows", "key Ctrl+Z", "shown [2x3:", "click 0.0 0,2",
      "type w", "split 2 1"}},
    // Found by 55045: a cell's caret a few lines above the view's bottom,
    // the journal hidden and opened again. Under the cover the view grew
    // (no tool or status bar) and scrolled up as far as the entry's end
    // allowed; shrinking back it kept the caret's top in sight but not the
    // rest of its line, which stood below the text area.
    {"a cell's caret near the bottom of the view, the journal hidden and opened again", 0,
     {"key Ctrl+Home", "key End", "key Return", "lines 40", "table 2 2", "type café", "key Tab", "type one",
      "border 0.0 row 1 24", "key Ctrl+End", "click 0.0 0,1", "key Shift+Tab", "command ActionHide"}},
    // Found by 92818: a double click on a border of one table while the
    // row of another, wider than the view, was selected. The second press
    // let go of the block (the first, a border drag, had kept it), and the
    // caret after the wide table came back out of sight.
    {"a double click on a table's border while a row of a table wider than the view is selected", 0,
     {"table 1 2", "click outside", "border 0.0 column 1 -400", "key Ctrl+End", "table 1 2", "border 0.1 column 1 600",
      "command vlActionTableSelectRows", "double-click 0.0 0,0"}},
    // Found by a user: tables two and three deep in the narrow column of a
    // table whose border was dragged, their words at 18 points. On paper
    // the outer columns kept their dragged shares and the nested tables
    // broke their words into pieces of two or three letters.
    {"a dragged table's narrow column holding tables two and three deep, printed", 0,
     {"key Ctrl+End", "table 2 2", "type A1 left", "key Tab", "type B1 right side words", "border 0.0 column 1 209",
      "click 0.0 1,1", "type B2 cell", "key Return", "table 2 2", "type d2a", "key Tab", "type d2b", "key Tab",
      "type d2c", "key Tab", "type d2d", "key Return", "table 1 2", "size 18",
      "type deep one two lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor", "key Tab",
      "size 18", "type d3b", "print"}},
};

TEST(TableCommandSequence, RecordedStepsOfFaultsFound) {
  if (std::getenv("QY_TABLE_SEQUENCE_SEED")) GTEST_SKIP() << "one seed asked for";
  const testing::TestResult& result = *testing::UnitTest::GetInstance()->current_test_info()->result();
  // QY_RECORDED="step;step;..." runs those steps alone (for finding a
  // short list that a seed's fault needs).
  std::vector<TRecorded> only;
  if (const char* e = std::getenv("QY_RECORDED")) {
    TRecorded r{"asked", 0, {}};
    std::string all = e;
    for (size_t at = 0; at != std::string::npos;) {
      const size_t semi = all.find(';', at);
      r.Steps.push_back(all.substr(at, semi == std::string::npos ? semi : semi - at));
      at = semi == std::string::npos ? semi : semi + 1;
    }
    only.push_back(r);
  }
  for (const TRecorded& r : only.empty() ? std::vector<TRecorded>(std::begin(kRecorded), std::end(kRecorded)) : only) {
    SCOPED_TRACE(r.Fault);
    const int before = result.total_part_count();
    TSequence s(1, r.Depth, true, true);
    for (const std::string& step : r.Steps) {
      s.OfferedStep(&step);
      if (result.total_part_count() > before) break;
    }
    if (result.total_part_count() == before) s.UndoAll();
    if (result.total_part_count() > before) ADD_FAILURE() << "steps: " << s.Log;
  }
}

}  // namespace
