// Save a Copy through every installed converter keeps the whole entry:
// every cell of tables nested two and three deep (with merged cells), and
// paragraphs, list items and cells whose style changes within them stay
// one paragraph each, as the converters' own readers and the office suite
// read the copies back. A nested decimal list stays decimal, and an EPUB
// book has a title.
#include "actions/VLActionsFile.h"
#include "platform/gui/Dialogs.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "richtext/table/VLTable.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;

namespace {

// Blanks at the ends of a run reach the page as hard blanks (a writer's
// rule, left alone here): a blank is a blank.
std::string Blanks(std::string s) {
  for (const char* hard : {"\xC2\xA0", "&nbsp;", "&#160;"})
    for (size_t at = s.find(hard); at != std::string::npos; at = s.find(hard, at)) s.replace(at, std::strlen(hard), " ");
  return s;
}

std::string Output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  std::array<char, 4096> buf{};
  size_t n = 0;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  pclose(p);
  return out;
}

// Bold runs inside a paragraph and a list item; a decimal list with a
// decimal second level.
const char kRuns[] =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable"
    "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\li720\\fi-360}\\listid1}"
    "{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}\\li1440\\fi-360}"
    "\\listid2}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}"
    "\\pard Start {\\b middle} end of sentence.\\par"
    "\\pard\\ls1\\ilvl0 Item {\\b bold} rest of the item\\par"
    "\\pard\\ls1\\ilvl0 Plain item\\par"
    "\\pard\\ls2\\ilvl0 First\\par\\pard\\ls2\\ilvl1 Nested decimal\\par"
    "\\pard Closing words.\\par}";

// A table whose cell holds a 2x2 table, a cell of which holds another 2x2
// table; merged cells at the first two levels, and a cell with a bold run.
void AddNestedTables(TVellumEdit* edit, Integer bold) {
  VLRegisterTableItem();
  auto outer = TVLTableItemInfo::CreateEx(2, 3, edit->VLData());
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 3; ++c) {
      const std::string t = "Outer" + std::to_string(r) + std::to_string(c);
      outer->GetCell(r, c)->SetItemTextA(0, t);
    }
  // The last column's two cells are one.
  ASSERT_TRUE(outer->MergeCells(0, 2, 1, 2, true));
  TVLTableCellData* host = outer->GetCell(0, 0);
  auto middle = TVLTableItemInfo::CreateEx(3, 2, host);
  for (Integer r = 0; r < 3; ++r)
    for (Integer c = 0; c < 2; ++c)
      middle->GetCell(r, c)->SetItemTextA(0, "Middle" + std::to_string(r) + std::to_string(c));
  // The last row's two cells are one.
  ASSERT_TRUE(middle->MergeCells(2, 0, 2, 1, true));
  TVLTableCellData* deepHost = middle->GetCell(1, 0);
  auto deep = TVLTableItemInfo::CreateEx(2, 2, deepHost);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) {
      const std::string t = "Deep" + std::to_string(r) + std::to_string(c);
      deep->GetCell(r, c)->SetItemTextA(0, t);
    }
  deepHost->AddItem("", deep.release());
  host->AddItem("", middle.release());
  // A cell whose style changes inside it.
  TVLTableCellData* styled = outer->GetCell(1, 1);
  styled->Clear();
  styled->AddTextItem("Cell start ", 0, 0);
  styled->AddTextItem("bold", bold, -1);
  styled->AddTextItem(" cell end", 0, -1);
  edit->AddItem("", outer.release());
  edit->AddTextItem("After the table.", 0, 0);
  edit->Format();
}

// The text of a file for a search: the XML of a packaged document without
// its tags, a Word 97 document's bytes with its 16-bit characters narrowed.
std::string TextOf(const fs::path& file) {
  const std::string ext = file.extension().string();
  if (ext == ".md") return qytest::ReadFileBytes(file);
  if (ext == ".doc") {
    const std::string bytes = qytest::ReadFileBytes(file);
    std::string narrow;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) narrow += bytes[i + 1] == 0 ? bytes[i] : '\x01';
    return bytes + "\n" + narrow;
  }
  const std::string xml = Output("unzip -p '" + file.string() + "'");
  return std::regex_replace(xml, std::regex("<[^>]*>"), "");
}

TEST(ConvertedCopyContent, EveryRouteKeepsEveryCellAndEveryParagraphWhole) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "runs.rtf", kRuns);
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  ASSERT_GE(exports.Count(), 7) << "the set-up installs both converters";
  int checked = 0;
  for (Integer i = 0; i < exports.Count(); ++i) {
    const TVLOfficeConverterInfo* info = exports.GetItem(i);
    const bool pandoc = info->ExportCommand.front().find("pandoc") != String::npos;
    const String mask = info->Filter.substr(0, info->Filter.find(';'));
    const std::string ext = mask.substr(1);
    SCOPED_TRACE(info->Name);
    TEditorBench b;
    const Integer bold = b.AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
    ASSERT_TRUE(b.Edit->LoadRTF((dir / "runs.rtf").string()));
    AddNestedTables(b.Edit, bold);
    if (HasFatalFailure()) return;
    const std::vector<std::string> cells = {"Outer00", "Outer01", "Outer10", "Outer02", "Middle00", "Middle01", "Middle10",
             "Middle11", "Middle20", "Deep00", "Deep01", "Deep10", "Deep11"};
    auto* exporter = new TvlActionExport(b.Form);
    exporter->SetControl(b.Edit);
    const fs::path copy = dir / ("copy" + std::to_string(i) + ext);
    ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), copy.string(), ffeOfficeConverters, i))
        << info->Name;
    ++checked;

    const std::string text = Blanks(TextOf(copy));
    for (const std::string& cell : cells) EXPECT_NE(text.find(cell), std::string::npos) << cell;
    EXPECT_NE(text.find("Nested decimal"), std::string::npos);
    if (!pandoc) continue;

    // Read back: the runs stay inside their paragraph, item and cell.
    if (ext == ".md") {
      for (const char* whole : {"Start **middle** end of sentence.", "-   Item **bold** rest of the item",
                                "Cell start <strong>bold</strong> cell end", "    1.  Nested decimal",
                                "colspan=\"2\"", "rowspan=\"2\""})
        EXPECT_NE(text.find(whole), std::string::npos) << whole << " in\n" << text;
      continue;
    }
    const std::string html = Blanks(Output("pandoc --wrap=none -t html '" + copy.string() + "'"));
    for (const char* whole : {"Start <strong>middle</strong> end of sentence.",
                              "Item <strong>bold</strong> rest of the item", "Cell start <strong>bold</strong> cell end"})
      EXPECT_NE(html.find(whole), std::string::npos) << whole << " in\n" << html;
    EXPECT_EQ(html.find("type=\"a\""), std::string::npos) << html;
    if (ext == ".epub") {
      const std::string opf = Output("unzip -p '" + copy.string() + "' '*.opf'");
      EXPECT_NE(opf.find(">copy" + std::to_string(i) + "</dc:title>"), std::string::npos) << opf;
    }
    if (ext == ".docx") {
      // And as the office suite reads it.
      const fs::path out = dir / "read";
      Output("soffice -env:UserInstallation=file://" + (dir / "profile").string() +
             " --headless --convert-to txt:Text --outdir '" + out.string() + "' '" + copy.string() + "' 2>&1");
      const std::string read = Blanks(qytest::ReadFileBytes(out / copy.filename().replace_extension(".txt")));
      for (const char* whole : {"Start middle end of sentence.", "Item bold rest of the item"})
        EXPECT_NE(read.find(whole), std::string::npos) << whole << " in\n" << read;
    }
  }
  EXPECT_EQ(checked, exports.Count());
}

}  // namespace
