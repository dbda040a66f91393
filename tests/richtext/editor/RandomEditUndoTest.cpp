// Random edit sequences: undoing everything gives back the document byte for
// byte (as VLF), redoing everything gives the edited one, and the partial
// re-layout after every edit equals a full layout.
#include "EditTestSupport.h"

#include <random>

using namespace qytest;

namespace {

struct TRandomDoc : TEditDoc {
  explicit TRandomDoc(unsigned seed) : Rng(seed) {
    static const char* words[] = {"a", "quill", "ink", "journal", "entry", "of", "the", "day", "writing"};
    const int paras = Pick(1, 4);
    for (int p = 0; p < paras; ++p) {
      const int kind = Pick(0, 5);
      if (kind == 0) {
        Text("", 0, Pick(0, 1));
        continue;
      }
      AnsiString s;
      for (int w = Pick(1, 12); w > 0; --w) s += AnsiString(words[Pick(0, 8)]) + (w > 1 ? " " : "");
      Text(s, Pick(0, 3) == 0 ? 1 : 0, Pick(0, 1));
      if (kind == 1) Picture(Pick(5, 40), Pick(5, 20));
      if (kind == 2) Text(" tail", 1, -1);
      if (kind == 3) Data.AddUnicodeTextItemTag(WideToRawUnicode(u" \U0001F600e\u0301"), UStyle, -1, TVLTag());
    }
    Format();
    RandomCaret();
  }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }
  void RandomCaret() {
    const Integer item = Pick(0, Data.GetItemCount() - 1);
    Caret(item, Pick(Data.GetItemStartOffset(item), Data.GetItemEndOffset(item)));
  }
  // One edit as the control runs it: a group with group mode for the
  // operations that do not open their own.
  template <class F>
  void Grouped(Byte undoType, F f) {
    Data.BeginUndoSequence(undoType, true);
    Data.SetUndoGroupMode(true);
    f();
    Data.SetUndoGroupMode(false);
  }
  void Step(std::string& log) {
    switch (Pick(0, 9)) {
      case 0:
      case 1: {
        const char c = "abcxyz  .,"[Pick(0, 9)];
        log += "type ";
        Data.KeyPressed(c);
        break;
      }
      case 2:
        log += "bs ";
        Data.BackspacePressed(Pick(0, 3) == 0, Pick(0, 1) == 1, false);
        break;
      case 3:
        log += "del ";
        Data.DeleteKey(false);
        break;
      case 4:
        log += "enter ";
        Data.InsertEnter(Pick(0, 3) == 0);
        break;
      case 5:
        log += "pic ";
        Grouped(vlutInsert, [&] {
          auto* p = new TVLGraphicItemInfo(&Data);
          p->StyleNo = vlsPicture;
          p->ImageWidth = Pick(5, 30);
          p->ImageHeight = Pick(5, 30);
          AnsiString t;
          Data.InsertItemAtCaret(t, p, false, false);
        });
        break;
      case 6: {
        log += "selection ";
        Integer a = Pick(0, Data.GetItemCount() - 1), b = Pick(0, Data.GetItemCount() - 1);
        if (a > b) std::swap(a, b);
        Data.StoreSelBounds(a, Pick(Data.GetItemStartOffset(a), Data.GetItemEndOffset(a)), b,
                            Pick(Data.GetItemStartOffset(b), Data.GetItemEndOffset(b)));
        Grouped(vlutDelete, [&] { Data.DeleteSelection(); });
        Data.Deselect(nullptr, false);
        break;
      }
      case 7:
        log += "ime ";
        Data.InsertTypedText(Pick(0, 2) == 0   ? std::u16string(u"\u65e5\u672c")
                             : Pick(0, 1) ? std::u16string(u"\U0001F600")
                                          : std::u16string(u"\u0416x"));
        break;
      default: {
        const int how = Pick(0, 6);
        log += "move" + std::to_string(how) + " ";
        switch (how) {
          case 0: Data.MoveCaretLeft(false, Pick(0, 1) == 1); break;
          case 1: Data.MoveCaretRight(false, Pick(0, 1) == 1); break;
          case 2: Data.MoveCaretUp(false, false); break;
          case 3: Data.MoveCaretDown(false, false); break;
          case 4: Data.MoveCaretHome(Pick(0, 1) == 1); break;
          case 5: Data.MoveCaretEnd(Pick(0, 1) == 1); break;
          default: RandomCaret(); break;
        }
      }
    }
  }
  // Draw items as the edits left them against a full layout.
  std::string Layout() {
    std::string r;
    for (Integer i = 0; i < Data.DrawItems.Count(); ++i) {
      const TVLDrawLineInfo* d = Data.DrawItems[i];
      r += std::to_string(d->ItemNo) + ":" + std::to_string(d->TextOffset) + "," + std::to_string(d->Length) +
           "@" + std::to_string(d->Left) + "," + std::to_string(d->Top) + ";";
    }
    // Each item's first draw item, by which positions are found.
    for (Integer i = 0; i < Data.GetItemCount(); ++i) r += "i" + std::to_string(Data.GetItem(i)->DrawItemNo);
    return r + "h" + std::to_string(Data.DocumentHeight);
  }

  std::mt19937 Rng;
};

}  // namespace

TEST(RandomEdits, UndoAllRestoresTheDocumentAndRedoAllReproducesTheEdits) {
  for (unsigned seq = 0; seq < 5000; ++seq) {
    TRandomDoc d(seq);
    const AnsiString original = d.Vlf();
    std::string log;
    const int steps = d.Pick(1, 10);
    for (int i = 0; i < steps; ++i) {
      try {
        d.Step(log);
      } catch (const std::exception& e) {
        FAIL() << "seq " << seq << ": " << log << ": " << e.what();
      }
      ASSERT_TRUE(d.Data.CaretStop() != nullptr) << "seq " << seq << ": " << log;
      ASSERT_EQ(d.Data.Repairs, 0) << "seq " << seq << ": " << log;
    }
    const std::string partial = d.Layout();
    d.Format();
    ASSERT_EQ(partial, d.Layout()) << "seq " << seq << ": " << log;
    d.Caret(0, 1);
    const AnsiString edited = d.Vlf();
    int guard = 0;
    while (d.Data.UndoList->Count() > 0 && ++guard < 1000) d.Data.UndoList->Undo(&d.Data);
    ASSERT_EQ(d.Vlf(), original) << "seq " << seq << ": " << log;
    while (d.Data.RedoList->Count() > 0 && ++guard < 2000) d.Data.RedoList->Redo(&d.Data);
    ASSERT_EQ(d.Vlf(), edited) << "seq " << seq << ": " << log;
    ASSERT_EQ(d.Data.Repairs, 0) << "seq " << seq << ": " << log;
  }
}
