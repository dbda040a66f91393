// Whatever reads a whole document sees the text typed into a table cell
// whose editor is still open (a cell of a nested table too): the files
// written, the printed pages, a copy, the style clean-up. The editor stays
// where it was, with its caret, focus and an undo history that still works.
#include "CellEditorSupport.h"
#include "TableDump.h"

#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Printers.h"
#include "richtext/view/VLPrint.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <functional>

using namespace celltest;

namespace {

// Every cell's text of every table of a document, nested ones too, where
// the items are now.
void CollectCells(TCustomVLData* doc, std::string& out) {
  for (Integer i = 0; i < doc->GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc->GetItem(i)))
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) {
            out += DocText(cell->GetVLData()) + ",";
            CollectCells(cell->GetVLData(), out);
          }
}

// Only the letters of a text that may be UTF-16 or carry markup between
// runs: enough to find a typed word.
std::string Letters(const std::string& bytes) {
  std::string s;
  for (char ch : bytes)
    if (ch != 0) s += ch;
  return s;
}

// A 2 x 2 table; with nested, a 2 x 2 table inside its cell (1, 1). The
// typed word goes in bold italic, a style nothing else uses, into cell
// (0, 1) of the innermost table, whose editor stays open.
struct TOpenCell {
  explicit TOpenCell(bool nested) : E(2, 2) {
    TFontInfo* only = E.Style.TextStyles->Add();
    only->Assign(E.Style.TextStyles->Items(1));
    only->Style = TFontStyles{fsBold, fsItalic};
    only->Standard = false;
    Inner = E.T;
    if (nested) {
      TVLTableCellData* cell = E.T->GetCell(1, 1);
      auto t = TVLTableItemInfo::CreateEx(2, 2, cell);
      for (Integer r = 0; r < 2; ++r)
        for (Integer c = 0; c < 2; ++c) {
          t->GetCell(r, c)->Clear();
          t->GetCell(r, c)->AddTextItem(TTableEditor::U(("n" + std::to_string(r) + std::to_string(c)).c_str()), 0, 0);
        }
      Inner = t.get();
      cell->AddItem("", t.release());
      E.Edit->Format();
    }
    E.Edit->ClearUndo();
    Inner->EditCellEx(0, 1, true);
    QApplication::processEvents();
    TVLTableInplaceEdit* editor = Inner->GetInplaceEditor();
    EXPECT_NE(editor, nullptr);
    if (!editor) return;
    editor->SetFocus();
    editor->SetCaret(0, editor->GetItemEndOffset(0));
    editor->SetCurTextStyleNo(E.Style.TextStyles->Count() - 1);
    QTest::keyClicks(WidgetOf(editor), "typed");
    QApplication::processEvents();
  }
  TVLTableInplaceEdit* Editor() const { return Inner->GetInplaceEditor(); }
  std::string Written(const std::function<void(TStream&)>& save) {
    TMemoryStream s;
    save(s);
    return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
  }
  // The cells of a VLF document read into an editor of its own.
  std::string CellsOfVLF(const std::string& vlf) {
    qytest::TEditor other;
    other.Edit->SetStyle(&E.Style);
    TMemoryStream s;
    s.Write(vlf.data(), static_cast<Int64>(vlf.size()));
    s.Seek(0, soBeginning);
    if (!other.Edit->LoadVLFFromStream(s)) return "not read";
    std::string out;
    CollectCells(other.Edit->VLData(), out);
    return out;
  }

  TTableEditor E;
  TVLTableItemInfo* Inner = nullptr;
  qytest::TempDir Dir;
};

TEST(OpenCellReaders, EveryWholeDocumentReaderSeesTheTypedText) {
  struct Case {
    const char* name;
    std::function<std::string(TOpenCell&)> read;
    // How the output reads as text (after the checks of the editor).
    std::function<std::string(TOpenCell&, const std::string&)> decode = nullptr;
    // Printing shares the document's items: the editor closes for it.
    bool reopens = true;
  };
  auto vlf = [](TOpenCell& o, const std::string& bytes) { return o.CellsOfVLF(bytes); };
  const Case cases[] = {
      {"VLF stream", [](TOpenCell& o) { return o.Written([&](TStream& s) { o.E.Edit->SaveVLFToStream(s, false); }); },
       vlf},
      {"VLF file",
       [](TOpenCell& o) {
         const auto path = o.Dir / "entry.vlf";
         o.E.Edit->SaveVLF(path.string(), false);
         return qytest::ReadFileBytes(path);
       },
       vlf},
      {"RTF stream", [](TOpenCell& o) {
         return o.Written([&](TStream& s) { o.E.Edit->SaveRTFToStream(s, false); });
       }},
      {"RTF file", [](TOpenCell& o) {
         o.E.Edit->SaveRTF((o.Dir / "entry.rtf").string(), false);
         return qytest::ReadFileBytes(o.Dir / "entry.rtf");
       }},
      {"HTML", [](TOpenCell& o) {
         o.E.Edit->SaveHTMLFile((o.Dir / "entry.html").string(), "entry", "img", {});
         return qytest::ReadFileBytes(o.Dir / "entry.html");
       }},
      {"HTML with CSS", [](TOpenCell& o) {
         o.E.Edit->SaveCSSHTMLFile((o.Dir / "entry.html").string(), "entry", "img", {});
         return qytest::ReadFileBytes(o.Dir / "entry.html");
       }},
      {"text", [](TOpenCell& o) {
         o.E.Edit->SaveText((o.Dir / "entry.txt").string(), 80);
         return qytest::ReadFileBytes(o.Dir / "entry.txt");
       }},
      {"Unicode text", [](TOpenCell& o) {
         o.E.Edit->SaveTextUnicode((o.Dir / "entry.txt").string(), 80);
         return Letters(qytest::ReadFileBytes(o.Dir / "entry.txt"));
       }},
      {"text stream", [](TOpenCell& o) {
         return o.Written([&](TStream& s) { o.E.Edit->SaveTextToStream(s, false, false); });
       }},
      {"printed pages", [](TOpenCell& o) {
         TPrinter pdf;
         pdf.OutputFileName = (o.Dir / "entry.pdf").string();
         TVLPrint print;
         print.PrinterOverride = &pdf;
         print.AssignSource(o.E.Edit);
         print.FormatPages();
         print.Print("entry", 1, false);
         const std::string cmd = "pdftotext '" + pdf.OutputFileName + "' '" + (o.Dir / "entry.txt").string() + "'";
         if (std::system(cmd.c_str()) != 0) return std::string("pdftotext failed");
         return qytest::ReadFileBytes(o.Dir / "entry.txt");
       },
       nullptr, false},
      {"unused styles removed", [](TOpenCell& o) {
         // The typed word's style is used in the open cell only: it stays,
         // and the word keeps its look.
         o.E.Edit->VLData()->DeleteUnusedStyles(true, true, true);
         TVLEditVLData* d = o.Editor()->EditData();
         std::string bold;
         for (Integer i = 0; i < d->GetItemCount(); ++i) {
           const Integer st = d->GetItem(i)->StyleNo;
           if (st >= 0 && st < o.E.Style.TextStyles->Count() &&
               o.E.Style.TextStyles->Items(st)->Style == TFontStyles{fsBold, fsItalic})
             bold += tabletest::ItemText(*d, i);
         }
         return bold;
       }},
      {"copy of the whole document", [](TOpenCell& o) {
         Clipboard().SetAsText("");
         o.E.Edit->SelectAll();
         o.E.Edit->Copy();
         return std::string(Clipboard().GetAsText());
       },
       nullptr, false},
  };
  for (const bool nested : {false, true}) {
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(k.name) + (nested ? ", nested table" : ""));
      TOpenCell o(nested);
      ASSERT_NE(o.Editor(), nullptr);
      const Integer row = o.Editor()->Row, col = o.Editor()->Col;
      const Integer caret = o.Editor()->OffsetInCurItem();
      const std::string output = k.read(o);
      TVLTableInplaceEdit* e = o.Editor();
      const bool focused = e && e->Focused();
      const std::string text = k.decode ? k.decode(o, output) : output;
      EXPECT_NE(text.find("typed"), std::string::npos) << text;
      if (!k.reopens) continue;
      // The editor is open where it was, with the word, caret and focus.
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->Row, row);
      EXPECT_EQ(e->Col, col);
      const std::string cell = nested ? "n01" : "01";
      EXPECT_EQ(DocText(e->EditData()), cell + "typed");
      EXPECT_EQ(e->OffsetInCurItem(), caret);
      EXPECT_TRUE(focused);
      // The typing goes on, and undo takes it back a character a step.
      QTest::keyClicks(WidgetOf(e), "!");
      QApplication::processEvents();
      EXPECT_EQ(DocText(e->EditData()), cell + "typed!");
      for (const std::string& expected : {cell + "typed", cell + "type"}) {
        QTest::keyClick(WidgetOf(o.E.Edit->GetInnermostEditor()), Qt::Key_Z, Qt::ControlModifier);
        // The replay is posted once for each table it passes through.
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
        EXPECT_EQ(DocText(o.Inner->GetCell(0, 1)->GetVLData()), expected);
      }
    }
  }
}

}  // namespace
