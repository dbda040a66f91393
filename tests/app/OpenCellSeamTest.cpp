// Every part of the program that reads a whole entry, run while the caret
// is still in a table cell with freshly typed text (a cell of a nested
// table too): the saves of every path, the exports, printing and preview,
// journal find, spelling and a copy of the whole entry all get the text.
#include "FindReportSupport.h"

#include "actions/VLActionsFile.h"
#include "actions/VLVellumActionEditor.h"
#include "app/QYAutoSave.h"
#include "app/QYEntryTree.h"
#include "app/QYJournalReport.h"
#include "app/QYSpelling.h"
#include "platform/base/DateTime.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Printers.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/view/VLPrint.h"
#include "spell/scConfigDialogs.h"
#include "spellvl/VLSpellChecker.h"
#include "support/TestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using qytest::TFindReportWorld;
using qytest::TMainJournalWorld;

// The word typed into the cell: found by find, flagged by spelling.
const char* const kTyped = "wrods";

std::string ItemUtf8(TCustomVLData& d, Integer i) {
  if (d.GetItem(i)->IsUnicode()) return WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i)));
  return d.GetItemTextA(i);
}

// Every cell's text of every table in a document, nested tables too, read
// where the items are now.
void Cells(TCustomVLData& doc, std::string& out) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i)))
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) {
            TCustomVLData& d = *cell->GetVLData();
            for (Integer k = 0; k < d.GetItemCount(); ++k) out += ItemUtf8(d, k);
            out += ",";
            Cells(d, out);
          }
}

std::string Letters(const std::string& bytes) {
  std::string s;
  for (char ch : bytes)
    if (ch != 0) s += ch;
  return s;
}

struct TSeam : TFindReportWorld {
  // An entry "Before", a 2 x 2 table (with nested, a 2 x 2 table in its
  // cell (1, 1)) and "After"; the word typed at the end of cell (0, 1) of
  // the innermost table, whose editor stays open.
  TSeam(bool nested) {
    ProfileSettings.ConfirmPrint = false;
    Pdf.OutputFileName = (Dir / "entry.pdf").string();
    Preview->VLPrint1->PrinterOverride = &Pdf;
    J = OpenWindow("Diary", 0);
    Id = J->JournalID;
    TVellumEdit* e = Editor(J);
    e->InsertText("Before\r\n");
    // Words the spelling knows, so that the typed one is the first it stops at.
    auto fill = [](TVLTableItemInfo& t, std::vector<std::string> words) {
      for (Integer r = 0; r < t.RowCount(); ++r)
        for (Integer c = 0; c < t.ColCount(); ++c) {
          TVLTableCellData* cell = t.GetCell(r, c);
          cell->Clear();
          cell->AddTextItem(WideStringToRawUnicode(Utf8ToWide(words[static_cast<size_t>(r * 2 + c)])), 0, 0);
        }
    };
    auto table = TVLTableItemInfo::CreateEx(2, 2, e->VLData());
    fill(*table, {"one", "two", "three", "four"});
    Inner = table.get();
    if (nested) {
      TVLTableCellData* cell = table->GetCell(1, 1);
      auto inner = TVLTableItemInfo::CreateEx(2, 2, cell);
      fill(*inner, {"five", "six", "seven", "eight"});
      Inner = inner.get();
      cell->AddItem("", inner.release());
    }
    Outer = table.get();
    e->InsertItem("", table.release());
    e->SetCaret(e->ItemCount() - 1, e->GetItemEndOffset(e->ItemCount() - 1));
    e->InsertText("\r\nAfter");
    Main->Show();
    J->EditorWindow->FocusEditor();
    Application->ProcessMessages();
    Inner->EditCellEx(0, 1, true);
    TVLTableInplaceEdit* cell = Inner->GetInplaceEditor();
    if (!cell) return;
    cell->SetFocus();
    cell->SetCaret(0, cell->GetItemEndOffset(0));
    QTest::keyClicks(WidgetOf(cell), " wrods");
    Application->ProcessMessages();
    CellText = (nested ? std::string("six ") : std::string("two ")) + kTyped;
  }

  std::string OpenCells() {
    std::string out;
    if (J->EditorWindow) Cells(*Editor(J)->VLData(), out);
    return out;
  }
  // The cells of the entry stored for today.
  std::string StoredCells() {
    const String blob = StoredBlob(Id, Date());
    if (blob.empty()) return "nothing stored";
    TEntryDocument doc;
    TMemoryStream s;
    s.Write(blob.data(), static_cast<Int64>(blob.size()));
    s.Seek(0, soBeginning);
    if (!doc.LoadVLF(s)) return "not read";
    std::string out;
    Cells(doc.Data, out);
    return out;
  }
  std::string PdfText() {
    const std::string out = (Dir / "entry.txt").string();
    const std::string cmd = "pdftotext '" + Pdf.OutputFileName + "' '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return "pdftotext failed";
    return qytest::ReadFileBytes(out);
  }
  std::string Exported(TvlFileExportFilter format, const char* name) {
    auto* x = dynamic_cast<TvlActionExport*>(Main->FindComponent("vlActionExport"));
    if (!x) return "no export command";
    const auto path = Dir / name;
    if (!x->Export(ActionEditorOf(Editor(J)), path.string(), format)) return "not exported";
    return Letters(qytest::ReadFileBytes(path));
  }
  void Run(const char* action) {
    auto* a = dynamic_cast<TBasicAction*>(Main->FindComponent(action));
    ASSERT_NE(a, nullptr) << action;
    a->Update();
    a->Execute();
    Application->ProcessMessages();
  }

  qytest::TempDir Dir;
  TPrinter Pdf;
  TOpenJournal* J = nullptr;
  Integer Id = 0;
  TVLTableItemInfo *Outer = nullptr, *Inner = nullptr;
  std::string CellText;
};

TEST(OpenCellSeam, EveryReaderOfAnEntryGetsTheTextOfAnOpenCell) {
  struct Case {
    const char* name;
    // What the reader produced, as text.
    std::function<std::string(TSeam&)> read;
    // The entry stays in its window: the cell is still being edited.
    bool staysOpen;
    // A reader that stores nothing goes on in the entry the one before it
    // left (its cell holds the word in its editor again).
    bool shared = false;
  };
  const Case cases[] = {
      {"Save", [](TSeam& w) { w.Main->ActionSave->Execute(); return w.StoredCells(); }, true},
      {"another entry of the tree",
       [](TSeam& w) {
         // The tree saves before it opens what was chosen.
         tEntryTreeChange(nullptr);
         return w.StoredCells();
       },
       true},
      {"the day before", [](TSeam& w) { w.Main->ActionDatePrevious->Execute(); return w.StoredCells(); }, false},
      {"Lock",
       [](TSeam& w) {
         TInteractionScript script;
         for (int i = 0; i < 3; ++i) script.Answer(IDOK);
         w.Main->ActionLock->Execute();
         return w.StoredCells();
       },
       false},
      {"Exit",
       [](TSeam& w) {
         TInteractionScript script;
         for (int i = 0; i < 3; ++i) script.Answer(IDOK);
         w.Main->RunExitSequence();
         return w.StoredCells();
       },
       false},
      {"closing the journal's window",
       [](TSeam& w) {
         w.J->EditorWindow->Close();
         Application->ProcessMessages();
         return w.StoredCells();
       },
       false},
      {"automatic save, then the program killed",
       [](TSeam& w) {
         ProfileSettings.AutoSaveOn = true;
         ProfileSettings.AutoSaveInterval = 1;
         LastSaveTime = Now() - 1.0;
         AutomaticSaveTimerTimer(Now());
         // What a kill leaves is what is stored now.
         return w.StoredCells();
       },
       true},
      {"RTF export", [](TSeam& w) { return w.Exported(ffeRTF, "entry.rtf"); }, true, true},
      {"HTML export", [](TSeam& w) { return w.Exported(ffeHTML, "entry.htm"); }, true, true},
      {"HTML export with CSS", [](TSeam& w) { return w.Exported(ffeHTMLCSS, "entry.html"); }, true, true},
      {"text export", [](TSeam& w) { return w.Exported(ffeTextANSI, "entry.txt"); }, true, true},
      {"Unicode text export", [](TSeam& w) { return w.Exported(ffeTextUnicode, "entry16.txt"); }, true, true},
      {"Print",
       [](TSeam& w) {
         BuildJournalReport(roPrint, rsCurrentEntry, rlPagePerDay);
         return w.PdfText();
       },
       true},
      {"Print Preview",
       [](TSeam& w) {
         std::string shown;
         TInteractionScript script;
         script.Do([&](TInteraction& r) {
           Cells(*static_cast<TFormPrintPreview*>(r.Form)->vlBody->VLData(), shown);
           return static_cast<int>(mrOk);
         });
         BuildJournalReport(roPreview, rsCurrentEntry, rlPagePerDay);
         return shown;
       },
       true},
      {"journal find",
       [](TSeam& w) {
         w.StartFind(kTyped);
         int seen = 0;
         const bool hit = w.NextHit(seen);
         w.Find->StopFind();
         return hit ? std::string(kTyped) + " found" : std::string("not found");
       },
       // The hit is shown: the caret goes to it.
       false},
      {"spelling",
       [](TSeam& w) {
         TVLSpellChecker* spell = w.UseBuiltDictionaries();
         TInteractionScript script;
         script.Answer(IDOK);
         w.Main->ActionSpell->Execute();
         const std::string flagged =
             spell->CheckRunning() && spell->Dialog() ? std::string(spell->Dialog()->NotFoundEdit->GetText()) : "";
         CancelSpellCheck();
         return flagged;
       },
       // The check moves the caret through the cells.
       false},
      {"copy of the whole entry",
       [](TSeam& w) {
         Clipboard().SetAsText("");
         w.Run("vlActionSelectAll");
         w.Run("vlActionCopy");
         return std::string(Clipboard().GetAsText());
       },
       false, true},
  };
  TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0)));
  for (const bool nested : {false, true}) {
    std::unique_ptr<TSeam> shared;
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(k.name) + (nested ? ", nested table" : ""));
      if (!k.shared || !shared) {
        shared.reset();  // one world at a time: they share the program's globals
        shared = std::make_unique<TSeam>(nested);
      }
      TSeam& w = *shared;
      ASSERT_NE(w.Inner->GetInplaceEditor(), nullptr);
      ASSERT_NE(w.OpenCells().find(w.CellText), std::string::npos) << w.OpenCells();
      ASSERT_TRUE(k.shared || w.J->Document->Modified);
      const std::string text = k.read(w);
      EXPECT_NE(text.find(kTyped), std::string::npos) << text;
      if (!k.staysOpen) {
        shared.reset();
        continue;
      }
      // The caret is still in the cell, which holds the text once.
      TVLTableInplaceEdit* cell = w.Inner->GetInplaceEditor();
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(cell->Row, 0);
      EXPECT_EQ(cell->Col, 1);
      const std::string now = w.OpenCells();
      EXPECT_NE(now.find(w.CellText), std::string::npos) << now;
      EXPECT_EQ(now.find(kTyped), now.rfind(kTyped)) << now;
    }
  }
}

}  // namespace
