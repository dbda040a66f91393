// A spelling check left at a prompt for a click into the entry, a cell of a
// table nested up to three deep included, and taken up again from the
// dialog: it goes on from the word clicked and asks every misspelt word from
// there to the end in reading order, then those the click passed over (from
// the prompted word on), none left out, before it says it is complete.
#include "SpellEditorSupport.h"

#include "app/TableWindowSupport.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/view/VLHitTesting.h"
#include "spell/scSpellDialog.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {
using spellvltest::TSpellEditor;

const char kEntryRtf[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Sans;}}\\fs24 \\pard Bodywrng line before the tables.\\par "
    "\\trowd\\cellx3000\\cellx7000 \\pard\\intbl onewrng cell one alpha\\cell \\pard\\intbl lvltwo start\\par "
    "\\pard\\intbl\\itap2 twowrng deep cell\\nestcell \\pard\\intbl\\itap2 inner start\\par "
    "\\pard\\intbl\\itap3 thrwrng deepest cell\\nestcell \\pard\\intbl\\itap3 another thrtwo cell\\nestcell "
    "{\\*\\nesttableprops\\trowd\\cellx1200\\cellx2400\\nestrow} \\pard\\intbl\\itap2 after thrfour three\\nestcell "
    "{\\*\\nesttableprops\\trowd\\cellx2000\\cellx4000\\nestrow} \\pard\\intbl after twofive nest\\cell \\row "
    "\\pard Midwrng text after the table.\\par \\pard Lastwrng line of the entry ends here.\\par }";

std::string Renamed(std::string rtf) {
  for (auto [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"wrng", "wrnq"}, {"lvltwo", "lvlsix"}, {"thrtwo", "thrsix"}, {"thrfour", "thrsev"}, {"twofive", "twonin"}})
    for (size_t at = 0; (at = rtf.find(from, at)) != std::string::npos; at += to.size()) rtf.replace(at, from.size(), to);
  return rtf;
}

void InsertRtf(TSpellEditor& w, const std::string& rtf) {
  TMemoryStream s;
  s.WriteBuffer(rtf.data(), static_cast<Int64>(rtf.size()));
  s.SetPosition(0);
  ASSERT_TRUE(w.E.Edit->InsertRTFFromStream(s));
}

// One word of the entry: its document (a cell's own, whichever editor shows
// it), item and characters (from 1).
struct TWordAt {
  TCustomVLData* Doc;
  Integer Item, Start, End;
  std::string Text;
};

// Every word of the entry in reading order (a table's cells row by row,
// each cell's nested tables where they stand), split as the editor splits
// words under the mouse.
void CollectWords(TCustomVLData* doc, std::vector<TWordAt>& out) {
  TCustomVLData* d = doc->GetVLData();
  for (Integer i = 0; i < d->GetItemCount(); ++i) {
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(d->GetItem(i))) {
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) CollectWords(cell, out);
      continue;
    }
    if (d->GetItemStyle(i) < 0) continue;
    auto* shown = dynamic_cast<TCustomVLFormattedData*>(d);
    const WideString text = shown->GetDisplayText(i);
    const AnsiString delims = shown->GetDelimiters();
    auto delimiter = [&](wchar_t c) { return c <= 0xFF && delims.find(static_cast<char>(c)) != AnsiString::npos; };
    for (size_t k = 0; k < text.size();) {
      if (delimiter(text[k])) {
        ++k;
        continue;
      }
      size_t e = k;
      while (e < text.size() && !delimiter(text[e])) ++e;
      out.push_back({doc->GetSourceVLData(), i, static_cast<Integer>(k + 1), static_cast<Integer>(e + 1),
                     WideToUtf8(text.substr(k, e - k))});
      k = e;
    }
  }
}

// The index of the word holding character Offs of item Item of Doc; -1.
int WordIndex(const std::vector<TWordAt>& words, TCustomVLData* doc, Integer item, Integer offs) {
  for (size_t i = 0; i < words.size(); ++i)
    if (words[i].Doc == doc && words[i].Item == item && words[i].Start <= offs && offs < words[i].End)
      return static_cast<int>(i);
  return -1;
}

// The word the prompt selected, by the innermost editor's selection.
int PromptedWord(TSpellEditor& w, const std::vector<TWordAt>& words) {
  TCustomVellumEdit* inner = w.E.Edit->GetInnermostEditor();
  Integer si = 0, so = 0, ei = 0, eo = 0;
  inner->EditData()->GetSelectionBounds(si, so, ei, eo, true);
  return WordIndex(words, inner->EditData()->GetSourceVLData(), si, std::min(so, eo));
}

// Screen points of the words the mouse reaches now, found by the editors'
// own hit test before any press: the innermost open editor under a point
// answers for it. Word index -> the point of the word nearest the middle of
// those that hit it (away from its cell's borders and its line's edges).
std::map<int, QPoint> WordPoints(TSpellEditor& w, const std::vector<TWordAt>& words) {
  std::vector<TCustomVellumEdit*> editors{w.E.Edit};
  for (TVLTableInplaceEdit* e : qytest::CellEditorChain(w.E.Edit)) editors.push_back(e);
  QWidget* root = ClientWidgetOf(w.E.Edit);
  std::map<int, std::vector<QPoint>> hits;
  for (int y = 2; y < root->height() - 2; y += 2)
    for (int x = 2; x < root->width() - 2; x += 3) {
      const QPoint global = root->mapToGlobal(QPoint(x, y));
      for (auto e = editors.rbegin(); e != editors.rend(); ++e) {
        QWidget* surface = ClientWidgetOf(*e);
        const QPoint local = surface->mapFromGlobal(global);
        if (!surface->isVisible() || !surface->rect().contains(local)) continue;
        TCustomVLFormattedData* data = nullptr;
        Integer item = -1, style = 0, start = 0;
        WideString word;
        VLGetWordAt(*(*e)->EditData(), (*e)->EditData()->GetCanvas(), local.x(), local.y(), data, item, style, word,
                    start);
        if (item >= 0 && !word.empty()) {
          const int index = WordIndex(words, data->GetSourceVLData(), item, start);
          if (index >= 0) hits[index].push_back(global);
        }
        break;
      }
    }
  std::map<int, QPoint> points;
  for (const auto& [index, at] : hits) {
    QPoint sum;
    for (const QPoint& p : at) sum += p;
    const QPoint middle = sum / static_cast<int>(at.size());
    points[index] = *std::min_element(at.begin(), at.end(), [&](const QPoint& a, const QPoint& b) {
      return (a - middle).manhattanLength() < (b - middle).manhattanLength();
    });
  }
  return points;
}

// The window made the active one; where a window manager holds the focus
// back, as the dialog tests make it so.
bool ActivateNow(QWidget* window) {
  window->activateWindow();
  if (QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 2000)) return true;
  return qytest::keywalk::ActivateWindow(window);
}

// The check's prompts answered with Ignore until it ends; the words asked.
// The first Keyed prompts take Alt+G from the dialog's keyboard (the key
// clicks the button a moment later, as the toolkit animates it), the rest
// the button itself.
std::vector<std::string> IgnoreToTheEnd(TSpellEditor& w, int Keyed, std::vector<int>* at = nullptr,
                                        const std::vector<TWordAt>* words = nullptr) {
  std::vector<std::string> asked;
  for (int n = 0; w.Spell->CheckRunning() && n < 100; ++n) {
    TSpellDialog* d = w.Dialog();
    asked.push_back(d->NotFoundEdit->GetText());
    if (at) at->push_back(PromptedWord(w, *words));
    if (n >= Keyed) {
      d->IgnoreButton->Click();
      continue;
    }
    QWidget* keys = QApplication::focusWidget();
    if (!keys || keys->window() != WindowWidgetOf(d)) keys = WindowWidgetOf(d);
    qytest::keywalk::PressAlt(keys, Qt::Key_G);
    qytest::keywalk::SettleClick();
  }
  return asked;
}

struct TEntry {
  TEntry() {
    VLRegisterRTFReader();
    w.E.Form->SetBounds(0, 0, 1000, 900);
    w.E.Edit->SetBounds(0, 0, 980, 880);
    // Styles of the pasted text added as the journal's editor adds them.
    if (auto* rtf = dynamic_cast<TVLRTFReaderProperties*>(w.E.Edit->GetRTFReadProperties())) {
      rtf->TextStyleMode = vlrsAddIfNeeded;
      rtf->ParaStyleMode = vlrsAddIfNeeded;
    }
    w.E.D().Clear();
    w.E.Edit->Format();
    // The paste, a line typed after it, the second paste after Enter.
    InsertRtf(w, kEntryRtf);
    w.E.Key(Qt::Key_Return);
    spellvltest::TypeText(w.E.W(), "And the cat sat. It\u2019s a tset \U0001F600smiel here, I don\u2019t know.");
    w.E.Key(Qt::Key_Return);
    InsertRtf(w, Renamed(kEntryRtf));
    w.Format();
    QApplication::processEvents();
    CollectWords(&w.E.D(), words);
  }
  // Ctrl+Home and F7: the check up to its first prompt.
  void Start() {
    w.E.Edit->SetSelectionBounds(0, 1, 0, 1);
    w.Check();
    QApplication::processEvents();
  }
  TSpellEditor w;
  std::vector<TWordAt> words;
};

// At the prompt of PromptWord, a click on every word of the entry in turn
// (each in a check of its own, in one editor and checker), then the dialog
// taken up again and Ignore at every prompt.
void ClickEveryWordAtThePromptOf(const std::string& promptWord) {
  TEntry entry;
  TSpellEditor& w = entry.w;
  const std::vector<TWordAt>& words = entry.words;
  // The check with no click: the misspelt words in reading order.
  std::vector<int> misspelt;
  std::vector<std::string> asked;
  {
    TInteractionScript script;
    script.Answer(IDOK);
    entry.Start();
    ASSERT_TRUE(w.Spell->CheckRunning());
    ASSERT_TRUE(ActivateNow(WindowWidgetOf(w.Dialog())));
    asked = IgnoreToTheEnd(w, 100, &misspelt, &words);
    EXPECT_EQ(asked, (std::vector<std::string>{"Bodywrng", "onewrng", "lvltwo", "twowrng", "thrwrng", "thrtwo",
                                               "thrfour", "twofive", "Midwrng", "Lastwrng", "tset", "smiel",
                                               "Bodywrnq", "onewrnq", "lvlsix", "twowrnq", "thrwrnq", "thrsix",
                                               "thrsev", "twonin", "Midwrnq", "Lastwrnq"}));
    ASSERT_EQ(script.Shown.size(), 1u);
    ASSERT_TRUE(std::is_sorted(misspelt.begin(), misspelt.end()));
    ASSERT_EQ(std::count(misspelt.begin(), misspelt.end(), -1), 0);
  }
  {
    const size_t p = static_cast<size_t>(std::find_if(misspelt.begin(), misspelt.end(), [&](int i) {
                       return words[static_cast<size_t>(i)].Text == promptWord;
                     }) - misspelt.begin());
    ASSERT_LT(p, misspelt.size()) << promptWord;
    // Every word of the entry, one click each; the words are where the
    // mouse finds them at this prompt.
    std::map<int, QPoint> points;
    for (size_t target = 0;; ++target) {
      TInteractionScript script;
      script.Answer(IDOK);  // "The spelling check is complete."
      entry.Start();
      for (size_t k = 0; k < p && w.Spell->CheckRunning(); ++k) w.Dialog()->IgnoreButton->Click();
      ASSERT_TRUE(w.Spell->CheckRunning());
      ASSERT_EQ(w.Dialog()->NotFoundEdit->GetText(), promptWord);
      if (points.empty()) points = WordPoints(w, words);
      ASSERT_GE(points.size(), words.size() * 9 / 10) << "words out of the mouse's reach";
      auto it = points.begin();
      std::advance(it, static_cast<long>(std::min(target, points.size() - 1)));
      const int clicked = it->first;
      SCOPED_TRACE("at the prompt " + promptWord + ", a click on \"" + words[static_cast<size_t>(clicked)].Text +
                   "\" (word " + std::to_string(clicked) + ")");
      QWidget* window = WindowWidgetOf(w.E.Form.get());
      ASSERT_TRUE(ActivateNow(window));
      qytest::WindowMouse(window, qytest::TWindowMouseAct::Press, it->second);
      qytest::WindowMouse(window, qytest::TWindowMouseAct::Release, it->second);
      QApplication::processEvents();
      {
        // The press landed where the hit test said, in the clicked word.
        TVLEditVLData* inner = w.E.Edit->GetInnermostEditor()->EditData();
        ASSERT_EQ(WordIndex(words, inner->GetSourceVLData(), inner->GetCaretItemNo(), inner->GetCaretOffset()), clicked);
      }
      ASSERT_TRUE(ActivateNow(WindowWidgetOf(w.Dialog())));
      // On from the word clicked to the end; then what the click passed
      // over, from the prompted word on.
      std::vector<std::string> expected;
      for (size_t m = 0; m < misspelt.size(); ++m)
        if (misspelt[m] >= clicked) expected.push_back(asked[m]);
      for (size_t m = p; m < misspelt.size() && misspelt[m] < clicked; ++m) expected.push_back(asked[m]);
      EXPECT_EQ(IgnoreToTheEnd(w, 1), expected);
      EXPECT_EQ(script.Shown.size(), 1u);
      if (target + 1 >= points.size()) break;
    }
  }
}

TEST(CheckResumedAtAClick, AtTheFirstPromptEveryMisspeltWordIsAsked) { ClickEveryWordAtThePromptOf("Bodywrng"); }
TEST(CheckResumedAtAClick, AtAPromptTwoCellsDeepEveryMisspeltWordIsAsked) { ClickEveryWordAtThePromptOf("twowrng"); }
TEST(CheckResumedAtAClick, AtAPromptThreeCellsDeepEveryMisspeltWordIsAsked) { ClickEveryWordAtThePromptOf("thrwrng"); }
TEST(CheckResumedAtAClick, AtAPromptAfterTheTablesEveryMisspeltWordIsAsked) { ClickEveryWordAtThePromptOf("tset"); }

}  // namespace
