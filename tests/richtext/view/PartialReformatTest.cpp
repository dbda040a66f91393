// The partial reformat after an edit gives what a full layout gives.
#include "LayoutFixture.h"

#include <random>
#include <tuple>

using namespace qytest;

namespace {

using TSnapshot = std::vector<std::tuple<Integer, Integer, Integer, Integer, Integer, Integer, Integer, bool,
                                         Integer, Integer>>;

TSnapshot Snapshot(TCustomVLFormattedData& d) {
  TSnapshot s;
  for (Integer i = 0; i < d.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo* a = d.DrawItems[i];
    s.emplace_back(a->Left, a->Top, a->Width, a->Height, a->ItemNo, a->TextOffset, a->Length, a->StartsNewLine,
                   a->JustifyExtra, a->ExtraSpaceBelow);
  }
  for (Integer i = 0; i < d.GetItemCount(); ++i) s.emplace_back(d.GetItem(i)->DrawItemNo, 0, 0, 0, 0, 0, 0, false, 0, 0);
  s.emplace_back(d.DocumentHeight, 0, 0, 0, 0, 0, 0, false, 0, 0);
  return s;
}

Integer LastDrawItemOf(TCustomVLFormattedData& d, Integer itemNo) {
  Integer n = d.GetItem(itemNo)->DrawItemNo;
  while (n + 1 < d.DrawItems.Count() && d.DrawItems[n + 1]->ItemNo == itemNo) ++n;
  return n;
}

struct TRange {
  Integer First = 0, Last = 0, Delta = 0;
};

// One random edit of the kinds an editor makes, with the draw items it
// touched; false when the document offered no place for the kind chosen.
bool RandomEdit(TLayoutDoc& doc, std::mt19937& rng, const std::vector<Integer>& paras, TRange& r) {
  TTestLayoutData& d = doc.Data;
  const Integer count = d.GetItemCount();
  auto pick = [&](Integer n) { return static_cast<Integer>(rng() % static_cast<unsigned>(n)); };
  const Integer i = pick(count);
  TCustomVLItemInfo* item = d.GetItem(i);
  const bool isText = item->StyleNo >= 0;
  const Integer first = d.GetItem(i)->DrawItemNo, last = LastDrawItemOf(d, i);
  static const char16_t letters[] = u"abcdefghij   klmno";
  switch (pick(7)) {
    case 0:
    case 1: {  // typing
      if (!isText) return false;
      const char16_t c = letters[pick(18)];
      AnsiString text = d.GetItemTextA(i);
      if (item->IsUnicode()) {
        const size_t at = 2 * static_cast<size_t>(pick(static_cast<Integer>(text.size() / 2) + 1));
        text.insert(at, Raw(std::u16string(1, c)));
      } else {
        text.insert(static_cast<size_t>(pick(static_cast<Integer>(text.size()) + 1)), 1, static_cast<char>(c));
      }
      d.SetItemTextA(i, text);
      r = {first, last, 0};
      return true;
    }
    case 2: {  // deleting characters
      if (!isText) return false;
      AnsiString text = d.GetItemTextA(i);
      const size_t unit = item->IsUnicode() ? 2 : 1;
      if (text.size() < 2 * unit) return false;
      const size_t at = unit * static_cast<size_t>(pick(static_cast<Integer>(text.size() / unit)));
      text.erase(at, unit * (1 + static_cast<size_t>(pick(3))));
      if (text.size() % unit) text.pop_back();
      d.SetItemTextA(i, text);
      r = {first, last, 0};
      return true;
    }
    case 3: {  // a new paragraph after the last item of a paragraph
      if (i + 1 < count && !d.GetItem(i + 1)->IsParaStart()) return false;
      auto* t = new TVLTextItemInfo(&d);
      t->StyleNo = pick(3) == 0 ? 1 : 0;
      t->ParaNo = paras[static_cast<size_t>(pick(static_cast<Integer>(paras.size())))];
      d.Items->InsertObject(i + 1, pick(2) ? "new words here" : "", t);
      r = {first, last, 1};
      return true;
    }
    case 4: {  // a picture on the line
      if (item->GetBoolValue(0) || (i + 1 < count && d.GetItem(i + 1)->GetBoolValue(0) && false)) return false;
      auto* p = new TVLGraphicItemInfo(&d);
      p->StyleNo = vlsPicture;
      p->ParaNo = item->ParaNo;
      p->ImageWidth = 5 + pick(40);
      p->ImageHeight = 5 + pick(30);
      p->SetSameAsPrev(true);
      d.Items->InsertObject(i + 1, "", p);
      r = {first, last, 1};
      return true;
    }
    case 5: {  // deleting an item
      if (count < 4) return false;
      const Integer start = d.GetItem(std::max(i - 1, 0))->DrawItemNo;
      const Integer end = LastDrawItemOf(d, std::min(i + 1, count - 1));
      d.DeleteItems(i, 1);
      // What follows a full-line item, or starts the document, starts a
      // paragraph.
      if (i < d.GetItemCount() && d.GetItem(i)->GetSameAsPrev() && (i == 0 || d.GetItem(i - 1)->GetBoolValue(0)))
        d.GetItem(i)->SetSameAsPrev(false);
      r = {start, end, -1};
      return true;
    }
    default: {  // another paragraph style for a whole paragraph
      const Integer start = d.GetParaStartItem(i);
      Integer end = i;
      while (end + 1 < count && !d.GetItem(end + 1)->IsParaStart()) ++end;
      if (d.GetItem(start)->GetBoolValue(0)) return false;
      const Integer para = paras[static_cast<size_t>(pick(static_cast<Integer>(paras.size())))];
      for (Integer k = start; k <= end; ++k) d.GetItem(k)->ParaNo = para;
      r = {d.GetItem(start)->DrawItemNo, LastDrawItemOf(d, end), 0};
      return true;
    }
  }
}

void BuildMixedDocument(TLayoutDoc& doc, std::vector<Integer>& paras, std::mt19937& rng) {
  paras.push_back(0);
  paras.push_back(doc.Para(vlaJustify, 150));
  const Integer spaced = doc.Para(vlaCenter);
  doc.Style.ParaStyles->Items(spaced)->SpaceBefore = 4;
  doc.Style.ParaStyles->Items(spaced)->SpaceAfter = 6;
  doc.Style.ParaStyles->Items(spaced)->FirstIndent = 12;
  paras.push_back(spaced);
  const Integer right = doc.Para(vlaRight, 3, vllsSpaceBetween);
  doc.Style.ParaStyles->Items(right)->LeftIndent = 8;
  paras.push_back(right);
  paras.push_back(doc.Para(vlaLeft, 50));
  static const char* words[] = {"lorem", "ipsum", "dolor", "sit", "amet", "consectetur", "x", "adipiscing"};
  for (int p = 0; p < 24; ++p) {
    const Integer para = paras[static_cast<size_t>(p) % paras.size()];
    if (p % 9 == 4) doc.Break();
    const int pieces = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < pieces; ++k) {
      std::string text;
      const int n = static_cast<int>(rng() % 14);
      for (int w = 0; w < n; ++w) text += std::string(w ? " " : "") + words[rng() % 8];
      const Integer styleNo = k == 1 ? 1 : 0;
      const Integer paraNo = k == 0 ? para : -1;
      if (p % 4 == 3 && k == 0) doc.Wide(std::u16string(text.begin(), text.end()) + u" \u05D0\u05D1", styleNo, paraNo);
      else doc.Text(text, styleNo, paraNo);
    }
  }
}

void CheckRandomEdits(TLayoutDoc& doc, int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Integer> paras;
  BuildMixedDocument(doc, paras, rng);
  doc.Format();
  int edits = 0;
  for (int attempt = 0; edits < count && attempt < 20000; ++attempt) {
    TRange r;
    if (!RandomEdit(doc, rng, paras, r)) continue;
    // As the editor does: an edit that changes the document's width is laid
    // out whole.
    const Integer width = std::max(doc.Data.Width - 10, doc.Data.CalculateMinDocWidth(nullptr, nullptr));
    if (width != doc.Data.DocumentWidth) {
      doc.Format();
      continue;
    }
    doc.Data.FormatParas(r.First, r.Last, r.Delta);
    ++edits;
    const TSnapshot partial = Snapshot(doc.Data);
    doc.Format();
    const TSnapshot full = Snapshot(doc.Data);
    if (partial != full) {
      size_t k = 0;
      while (k < partial.size() && k < full.size() && partial[k] == full[k]) ++k;
      auto show = [](const TSnapshot& s, size_t k) {
        if (k >= s.size()) return std::string("(end)");
        const auto& t = s[k];
        return std::to_string(std::get<0>(t)) + "," + std::to_string(std::get<1>(t)) + "," +
               std::to_string(std::get<2>(t)) + "," + std::to_string(std::get<3>(t)) + " item " +
               std::to_string(std::get<4>(t)) + " offs " + std::to_string(std::get<5>(t)) + " len " +
               std::to_string(std::get<6>(t)) + " extra " + std::to_string(std::get<8>(t)) + "/" +
               std::to_string(std::get<9>(t));
      };
      FAIL() << "edit " << edits << " (" << r.First << ".." << r.Last << " by " << r.Delta
             << "): first difference at " << k << " of " << partial.size() << "/" << full.size()
             << ": partial " << show(partial, k) << ", full " << show(full, k);
    }
  }
  EXPECT_EQ(edits, count);
}

}  // namespace

TEST(PartialReformat, MatchesFullLayoutForRandomEdits) {
  for (Word flags : {Word(vllfCollectJumps | vllfSwallowSpaces), Word(0),
                     Word(vllfSwallowSpaces | vllfExternalLeading)}) {
    TLayoutDoc doc;
    doc.Data.Width = 130;
    doc.Data.SetLayoutFlags(flags);
    // With external leading, raised text too.
    if (flags & vllfExternalLeading) doc.Style.TextStyles->Items(1)->VShift = 30;
    CheckRandomEdits(doc, 2000, 20261207u + flags);
  }
}

TEST(PartialReformat, MatchesFullLayoutWithRealFonts) {
  TLayoutDoc doc;
  doc.Data.Measurer = TVLTextMeasurer::Default();
  doc.Data.Width = 300;
  CheckRandomEdits(doc, 300, 7u);
}

TEST(PartialReformat, TypingWithoutHeightChangeMovesNothingElse) {
  TLayoutDoc doc;
  doc.Text("aaaa bbbb");
  doc.Text("cccc", 0, 0);
  doc.Text("dddd", 0, 0);
  doc.Format();
  const TSnapshot before = Snapshot(doc.Data);
  TVLDrawLineInfo* later = doc.Data.DrawItems[2];
  doc.Data.SetItemTextA(1, "ccxcc");
  doc.Data.FormatParas(1, 1, 0);
  EXPECT_EQ(doc.Data.DrawItems[2], later);
  EXPECT_EQ(doc.Data.DrawItems[2]->Top, std::get<1>(before[2]));
  EXPECT_EQ(doc.Data.DocumentHeight, std::get<0>(before.back()));
  // Inserting a paragraph moves what follows down by a line and renumbers.
  auto* t = new TVLTextItemInfo(&doc.Data);
  doc.Data.Items->InsertObject(2, "new", t);
  doc.Data.FormatParas(1, 1, 1);
  EXPECT_EQ(doc.Data.DrawItems[3]->ItemNo, 3);
  EXPECT_EQ(doc.Data.GetItem(3)->DrawItemNo, 3);
  EXPECT_EQ(doc.Data.DrawItems[3]->Top, std::get<1>(before[2]) + 13);
  EXPECT_EQ(doc.Data.DocumentHeight, std::get<0>(before.back()) + 13);
  EXPECT_GE(doc.Data.BandBottom, doc.Data.BandTop);
}

TEST(PartialReformat, ExpandsToTheNeighbouringParagraphs) {
  TLayoutDoc doc;
  doc.Text("aa");
  doc.Text("bb");
  doc.Text("cc", 0, -1);
  doc.Text("dd");
  doc.Text("ee");
  doc.Text("ff");
  doc.Format();
  struct TCase {
    Integer First, Last, ExpFirst, ExpLast;
  };
  const TCase cases[] = {{3, 3, 1, 4}, {0, 0, 0, 2}, {5, 5, 4, 5}, {2, 3, 0, 4}};
  for (const TCase& c : cases) {
    Integer f = -1, l = -1;
    doc.Data.ExpandReformatRange(c.First, c.Last, f, l);
    EXPECT_EQ(f, c.ExpFirst) << c.First << ".." << c.Last;
    EXPECT_EQ(l, c.ExpLast) << c.First << ".." << c.Last;
  }
  // Clearing while clearing keeps the mark.
  doc.Data.SetState(doc.Data.GetState() | vlstClearing);
  doc.Data.Clear();
  EXPECT_NE(doc.Data.GetState() & vlstClearing, 0u);
  EXPECT_EQ(doc.Data.DocumentHeight, 10);
}
