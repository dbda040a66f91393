// Save a Copy through every installed converter keeps the whole entry:
// every cell of tables nested two and three deep (with merged cells), and
// paragraphs, list items and cells whose style changes within them stay
// one paragraph each, as the converters' own readers and the office suite
// read the copies back. A nested decimal list stays decimal, and an EPUB
// book has a title.
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "platform/base/CodePages.h"
#include "platform/gui/Dialogs.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "richtext/table/VLTable.h"
#include "support/TestSupport.h"

#include "EditorBench.h"
#include "NestedTablesEntry.h"

#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <optional>
#include <regex>

namespace fs = std::filesystem;

namespace {

// Saves b's entry as a copy named file, as Save a Copy does in format
// (through converter index for the converters' entries).
bool SaveCopy(TEditorBench& b, const fs::path& file, TvlFileExportFilter format, int index = -1) {
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  return exporter->Export(ActionEditorOf(b.Edit), file.string(), format, index);
}

using nestedentry::AddNestedTables;
using nestedentry::kRuns;
using nestedentry::Output;

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
    const fs::path copy = dir / ("copy" + std::to_string(i) + ext);
    ASSERT_TRUE(SaveCopy(b, copy, ffeOfficeConverters, i))
        << info->Name;
    ++checked;

    const std::string text = TextOf(copy);
    for (const std::string& cell : nestedentry::kCells) EXPECT_NE(text.find(cell), std::string::npos) << cell;
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
    const std::string html = Output("pandoc --wrap=none -t html '" + copy.string() + "'");
    for (const char* whole : {"Start <strong>middle</strong> end of sentence.",
                              "Item <strong>bold</strong> rest of the item", "Cell start <strong>bold</strong> cell end"})
      EXPECT_NE(html.find(whole), std::string::npos) << whole << " in\n" << html;
    EXPECT_EQ(html.find("type=\"a\""), std::string::npos) << html;
    if (ext == ".epub") {
      const std::string opf = Output("unzip -p '" + copy.string() + "' '*.opf'");
      EXPECT_NE(opf.find(">copy" + std::to_string(i) + "</dc:title>"), std::string::npos) << opf;
      // The chapter holds the entry alone, no heading it does not have, in a
      // book whose every part reads whole.
      const std::string chapter = Output("unzip -p '" + copy.string() + "' 'EPUB/text/ch*.xhtml'");
      EXPECT_EQ(chapter.find("<h1"), std::string::npos) << chapter;
      EXPECT_NE(chapter.find("Nested decimal"), std::string::npos);
      EXPECT_NE(Output("unzip -t '" + copy.string() + "' 2>&1").find("No errors detected"), std::string::npos);
    }
    if (ext == ".docx") {
      // And as the office suite reads it.
      const fs::path out = dir / "read";
      Output("soffice -env:UserInstallation=file://" + (dir / "profile").string() +
             " --headless --convert-to txt:Text --outdir '" + out.string() + "' '" + copy.string() + "' 2>&1");
      const std::string read = qytest::ReadFileBytes(out / copy.filename().replace_extension(".txt"));
      for (const char* whole : {"Start middle end of sentence.", "Item bold rest of the item"})
        EXPECT_NE(read.find(whole), std::string::npos) << whole << " in\n" << read;
    }
  }
  EXPECT_EQ(checked, exports.Count());
}

// The blocks of text a reader finds in a file: pandoc's HTML of it with the
// markup of runs dropped, cut at every other tag and at line ends.
std::vector<std::string> Blocks(const fs::path& file, const std::string& reader) {
  std::string html = Output("pandoc --wrap=none -f " + reader + " -t html '" + file.string() + "' 2>&1");
  html = std::regex_replace(html, std::regex("</?(strong|em|span|a|b|i|u|s|sup|sub|small|mark|ins|del)( [^>]*)?>"), "");
  std::vector<std::string> blocks;
  std::string piece;
  bool inTag = false;
  for (char c : html + "\n") {
    if (c == '<' || c == '>' || c == '\n') {
      if (!inTag && piece.find_first_not_of(" ") != std::string::npos) blocks.push_back(piece);
      piece.clear();
      inTag = c == '<';
      continue;
    }
    if (!inTag) piece += c;
  }
  return blocks;
}

// The lines of a text file, cut at tabs too (between a table's cells).
std::vector<std::string> TextBlocks(const std::string& text) {
  std::vector<std::string> blocks;
  std::string piece;
  for (char c : text + "\n") {
    if (c == '\n' || c == '\r' || c == '\t') {
      if (!piece.empty()) blocks.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  return blocks;
}

// Whether paragraph is one of blocks; where a format writes list markers as
// text, it may follow a marker and blanks.
bool Holds(const std::vector<std::string>& blocks, const std::string& paragraph, bool markersAsText) {
  return std::any_of(blocks.begin(), blocks.end(), [&](const std::string& b) {
    const size_t at = b.size() - std::min(b.size(), paragraph.size());
    return b == paragraph || (markersAsText && at > 0 && b.compare(at, std::string::npos, paragraph) == 0 &&
                              std::isspace(static_cast<unsigned char>(b[at - 1])));
  });
}

// Each paragraph of the entry is one block of blocks, blanks included, and
// no blank became a hard one.
void ExpectEveryParagraph(const std::vector<std::string>& entry, const std::vector<std::string>& blocks,
                          bool markersAsText = false) {
  std::string all;
  for (const std::string& block : blocks) all += "[" + block + "]";
  for (const std::string& paragraph : entry) {
    if (paragraph.empty()) continue;
    EXPECT_TRUE(Holds(blocks, paragraph, markersAsText)) << paragraph << " in\n" << all;
  }
  EXPECT_EQ(all.find("\xC2\xA0"), std::string::npos) << all;
}

// Every route's copy read back: each paragraph of the entry (in the text,
// in list items, in the cells of tables three deep, two in a merged cell)
// is one block there, character for character, blanks included; a blank
// beside a change of style stays a blank. pandoc reads the copies, except
// RTF, Word 97 and OpenDocument files (its readers there leave nested
// tables out, or have none), which the office suite turns into web pages
// first; a text file is read as it is.
TEST(ConvertedCopyContent, EveryCopyReadBackHoldsEachParagraphAsTheEntryHasIt) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "runs.rtf", kRuns);
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  struct TRoute {
    std::string Name, Ext;
    TvlFileExportFilter Format;
    int Index;
  };
  std::vector<TRoute> routes = {{"web page with styles", ".htm", ffeHTMLCSS, -1},
                                {"web page", ".html", ffeHTML, -1},
                                {"RTF", ".rtf", ffeRTF, -1},
                                {"text", ".txt", ffeTextANSI, -1}};
  for (Integer i = 0; i < exports.Count(); ++i) {
    const String mask = exports.GetItem(i)->Filter.substr(0, exports.GetItem(i)->Filter.find(';'));
    routes.push_back({exports.GetItem(i)->Name, mask.substr(1), ffeOfficeConverters, i});
  }
  ASSERT_GE(routes.size(), 8u) << "the set-up installs both converters";
  std::vector<std::string> entry;
  std::vector<std::pair<fs::path, std::string>> byOffice;
  for (const TRoute& route : routes) {
    SCOPED_TRACE(route.Name);
    TEditorBench b;
    const Integer bold = b.AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
    ASSERT_TRUE(b.Edit->LoadRTF((dir / "runs.rtf").string()));
    AddNestedTables(b.Edit, bold);
    if (HasFatalFailure()) return;
    if (entry.empty()) nestedentry::Paragraphs(*b.Edit->VLData(), entry);
    const fs::path copy = dir / ("copy" + std::to_string(&route - routes.data()) + route.Ext);
    ASSERT_TRUE(SaveCopy(b, copy, route.Format, route.Index));
    const std::string ext = copy.extension().string();
    if (ext == ".odt" || ext == ".rtf" || ext == ".doc") byOffice.emplace_back(copy, route.Name);
    else if (ext == ".txt") ExpectEveryParagraph(entry, TextBlocks(qytest::ReadFileBytes(copy)), true);
    else ExpectEveryParagraph(entry, Blocks(copy, ext == ".md" ? "markdown" : ext == ".htm" || ext == ".html" ? "html" : ext.substr(1)));
  }
  ASSERT_NE(std::find(entry.begin(), entry.end(), "Outer12"), entry.end());
  ASSERT_FALSE(byOffice.empty());
  const fs::path read = dir / "read";
  std::string files;
  for (const auto& [copy, name] : byOffice) files += " '" + copy.string() + "'";
  Output("soffice -env:UserInstallation=file://" + (dir / "profile").string() +
         " --headless --convert-to html --outdir '" + read.string() + "'" + files + " 2>&1");
  for (const auto& [copy, name] : byOffice) {
    SCOPED_TRACE(name);
    ExpectEveryParagraph(entry, Blocks(read / copy.filename().replace_extension(".html"), "html"));
  }
}

// The deepest table in data (1 for a table in the text, 0 for none).
int TableDepth(TCustomVLData& data) {
  int depth = 0;
  for (Integer i = 0; i < data.GetItemCount(); ++i)
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i)))
      for (Integer r = 0; r < table->RowCount(); ++r)
        for (Integer c = 0; c < table->ColCount(); ++c)
          if (TVLTableCellData* cell = table->GetCell(r, c)) depth = std::max(depth, 1 + TableDepth(*cell));
  return depth;
}

// The program's own Markdown copy, brought back with Insert > File: its
// tables come back as tables, nested as they were, with each paragraph of
// the entry where it was.
TEST(ConvertedCopyContent, TheMarkdownCopyInsertedComesBackWithItsTables) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "runs.rtf", kRuns);
  const auto markdown = [](TVLOfficeCnvList& list) {
    for (Integer i = 0; i < list.Count(); ++i)
      if (list.GetItem(i)->Filter.rfind("*.md;", 0) == 0) return i;
    return -1;
  };
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  const int out = markdown(probe.GetExportConverters()), in = markdown(probe.GetImportConverters());
  ASSERT_GE(out, 0);
  ASSERT_GE(in, 0);
  const fs::path copy = dir / "copy.md";
  std::vector<std::string> entry;
  {
    TEditorBench b;
    const Integer bold = b.AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
    ASSERT_TRUE(b.Edit->LoadRTF((dir / "runs.rtf").string()));
    AddNestedTables(b.Edit, bold);
    if (HasFatalFailure()) return;
    nestedentry::Paragraphs(*b.Edit->VLData(), entry);
    ASSERT_TRUE(SaveCopy(b, copy, ffeOfficeConverters, out));
  }
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "");
  b.Edit->SetCaret(0, 0);
  auto* action = new TvlActionInsertFile(b.Form);
  action->SetControl(b.Edit);
  action->Filter = {ffiOfficeConverters};
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    r.FileName = copy.string();
    r.FilterIndex = 1 + in;
    return mrOk;
  });
  action->Update();
  ASSERT_TRUE(action->Execute());
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(TableDepth(*b.Edit->VLData()), 3);
  // A list item comes back with its marker as text (the converter's RTF has
  // no lists).
  std::vector<std::string> back;
  nestedentry::Paragraphs(*b.Edit->VLData(), back);
  ExpectEveryParagraph(entry, back, true);
  // No cell's text stands outside its table.
  for (Integer i = 0; i < b.Edit->ItemCount(); ++i) EXPECT_NE(b.Edit->GetItemTextUtf8(i).rfind("Outer", 0), 0u) << i;
}

// The paragraphs of a document converter's copy as its file holds them:
// the text of each paragraph element (Word, OpenDocument with its counted
// blanks, the book's XHTML) or each block of a Markdown file, where an empty
// paragraph is one in HTML.
std::vector<std::string> FileParagraphs(const fs::path& file) {
  const std::string ext = file.extension().string();
  std::string text;
  std::regex paragraph;
  if (ext == ".md") {
    text = std::regex_replace(qytest::ReadFileBytes(file), std::regex("<p></p>"), "<p/>");
    text = std::regex_replace("\n\n" + text + "\n\n", std::regex("\n\n+"), "\n\n\n");
    paragraph = std::regex("\n\n([^\n]*)(?=\n\n)");
  } else if (ext == ".docx") {
    text = Output("unzip -p '" + file.string() + "' word/document.xml");
    paragraph = std::regex("<w:p>(.*?)</w:p>|<w:p/>");
  } else if (ext == ".odt") {
    text = Output("unzip -p '" + file.string() + "' content.xml");
    text = std::regex_replace(text, std::regex("<text:s/>"), " ");
    for (int n = 9; n > 1; --n)
      text = std::regex_replace(text, std::regex("<text:s text:c=\"" + std::to_string(n) + "\" ?/>"),
                                std::string(static_cast<size_t>(n), ' '));
    text = std::regex_replace(text, std::regex("<text:s text:c=\"1\" ?/>"), " ");
    paragraph = std::regex("<text:p[^>]*>(.*?)</text:p>|<text:p[^>]*/>");
  } else {
    text = Output("unzip -p '" + file.string() + "' 'EPUB/text/*.xhtml'");
    paragraph = std::regex("<p>(.*?)</p>");
  }
  std::vector<std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), paragraph); it != std::sregex_iterator(); ++it) {
    std::string p = std::regex_replace((*it)[1].str(), std::regex("<[^>]*>"), "");
    out.push_back(p == "<p/>" ? std::string() : p);
  }
  return out;
}

// An entry with empty paragraphs, blanks at a paragraph's start and end and
// a doubled blank: every copy through the document converter holds each
// paragraph with the blanks it has, no no-break space stands in for a
// blank, and an empty paragraph stays an empty paragraph. (A book's HTML
// writer shows a doubled blank as one, as a browser would.)
TEST(ConvertedCopyContent, PandocCopiesKeepBlanksAndEmptyParagraphsAsTyped) {
  qytest::TempDir dir;
  TEditorBench b;
  ASSERT_TRUE(b.Edit->LoadRTF((qytest::SourceDir() / "tests/actions/data/rtf-blanks-empty-paragraphs.rtf").string()));
  b.Edit->Format();
  std::vector<std::string> entry;
  nestedentry::Paragraphs(*b.Edit->VLData(), entry);
  ASSERT_EQ(entry, (std::vector<std::string>{"one", "", " two", "three ", "four  five"}));
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  int checked = 0;
  for (Integer i = 0; i < exports.Count(); ++i) {
    const TVLOfficeConverterInfo* info = exports.GetItem(i);
    if (info->ExportCommand.front().find("pandoc") == String::npos) continue;
    SCOPED_TRACE(info->Name);
    const String mask = info->Filter.substr(0, info->Filter.find(';'));
    const fs::path copy = dir / ("copy" + mask.substr(1));
    ASSERT_TRUE(SaveCopy(b, copy, ffeOfficeConverters, i));
    ++checked;
    std::vector<std::string> expected = entry;
    if (copy.extension() == ".epub") expected.back() = "four five";
    EXPECT_EQ(FileParagraphs(copy), expected);
    EXPECT_EQ(TextOf(copy).find("\xC2\xA0"), std::string::npos);
  }
  EXPECT_EQ(checked, 4);
}

// The tables of a document as a text: each table's size, each cell by its
// place and each paragraph's text (outside the tables too, withText),
// indented by depth.
std::string TableShape(TCustomVLData& data, int depth = 0, bool withText = true) {
  std::string out;
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i))) {
      out += indent + "table " + std::to_string(table->RowCount()) + "x" + std::to_string(table->ColCount()) + "\n";
      for (Integer r = 0; r < table->RowCount(); ++r)
        for (Integer c = 0; c < table->ColCount(); ++c)
          if (TVLTableCellData* cell = table->GetCell(r, c))
            out += indent + " cell " + std::to_string(r) + "," + std::to_string(c) + "\n" + TableShape(*cell, depth + 1);
    } else if ((withText || depth > 0) && data.GetItem(i)->StyleNo >= 0 && !data.GetItemTextA(i).empty()) {
      out += indent + "  " + data.GetItemTextA(i) + "\n";
    }
  }
  return out;
}

// Inserts file into an empty editor by Insert > File through import
// converter in (or the program's own format), as the user picks it in the
// file dialog. The messages shown go to told; without told, none may be.
void InsertThroughImportConverter(TEditorBench& back, const fs::path& file, int in,
                                  std::vector<std::string>* told = nullptr,
                                  TvlFileImportFilter own = ffiOfficeConverters) {
  TEditorBench::Fill(back.Edit, "");
  auto* action = new TvlActionInsertFile(back.Form);
  action->SetControl(back.Edit);
  action->Filter = {own};
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    r.FileName = file.string();
    r.FilterIndex = own == ffiOfficeConverters ? 1 + in : 1;
    return mrOk;
  });
  script.Answer(IDOK).Answer(IDOK);
  action->Update();
  ASSERT_TRUE(action->Execute());
  std::vector<std::string> messages;
  for (const TInteraction& r : script.Shown)
    if (r.Kind == TInteractionKind::MessageBox) messages.push_back(r.Text);
  if (told) *told = messages;
  else EXPECT_TRUE(messages.empty()) << messages.front();
}

// The office suite's Word copy of an entry whose merged cell holds a table
// with another table in one of its cells, inserted again through the
// document converter's Word entry: every table comes back nested where it
// was, with its own rows, columns and merged cell. (The office suite's own
// Word entry reads it through its RTF, which loses the inner tables'
// shape: the README says so.)
TEST(ConvertedCopyContent, AWordCopyOfTablesNestedInAMergedCellComesBackNestedThroughPandoc) {
  qytest::TempDir dir;
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "Before.");
  VLRegisterTableItem();
  auto outer = TVLTableItemInfo::CreateEx(2, 3, b.Edit->VLData());
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 3; ++c) outer->GetCell(r, c)->SetItemTextA(0, "Outer" + std::to_string(r) + std::to_string(c));
  ASSERT_TRUE(outer->MergeCells(0, 0, 1, 2, true));
  TVLTableCellData* host = outer->GetCell(0, 0);
  auto middle = TVLTableItemInfo::CreateEx(2, 2, host);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) middle->GetCell(r, c)->SetItemTextA(0, "Middle" + std::to_string(r) + std::to_string(c));
  TVLTableCellData* deepHost = middle->GetCell(1, 1);
  auto deep = TVLTableItemInfo::CreateEx(2, 2, deepHost);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) deep->GetCell(r, c)->SetItemTextA(0, "Deep" + std::to_string(r) + std::to_string(c));
  deepHost->AddItem("", deep.release());
  host->AddItem("", middle.release());
  b.Edit->AddItem("", outer.release());
  b.Edit->AddTextItem("After.", 0, 0);
  b.Edit->Format();
  const std::string shape = TableShape(*b.Edit->VLData());
  ASSERT_EQ(TableDepth(*b.Edit->VLData()), 3);

  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  int out = -1, in = -1;
  for (Integer i = 0; i < probe.GetExportConverters().Count(); ++i) {
    const TVLOfficeConverterInfo* info = probe.GetExportConverters().GetItem(i);
    if (info->Filter == "*.docx" && info->ExportCommand.front().find("pandoc") == String::npos) out = i;
  }
  for (Integer i = 0; i < probe.GetImportConverters().Count(); ++i) {
    const TVLOfficeConverterInfo* info = probe.GetImportConverters().GetItem(i);
    if (info->Filter == "*.docx" && info->ImportCommand.front().find("pandoc") != String::npos) in = i;
  }
  ASSERT_GE(out, 0) << "the set-up installs the office suite";
  ASSERT_GE(in, 0) << "the set-up installs the document converter";
  const fs::path copy = dir / "nested.docx";
  ASSERT_TRUE(SaveCopy(b, copy, ffeOfficeConverters, out));

  TEditorBench back;
  InsertThroughImportConverter(back, copy, in);
  EXPECT_EQ(TableShape(*back.Edit->VLData()), shape);
}

// The top-level tables of a document, each as the texts of its cells that
// hold any, joined with "|" (the OpenDocument reader adds an empty heading
// row).
std::vector<std::string> TopTables(TCustomVLData& data) {
  std::vector<std::string> tables;
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i));
    if (!table) continue;
    std::string texts;
    for (Integer r = 0; r < table->RowCount(); ++r)
      for (Integer c = 0; c < table->ColCount(); ++c)
        if (TVLTableCellData* cell = table->GetCell(r, c))
          for (Integer j = 0; j < cell->GetItemCount(); ++j) {
            const std::string text = cell->GetItemOptions(j) & vlioUnicode
                                         ? WideToUtf8(RawUnicodeToWide(cell->GetItemTextA(j)))
                                         : std::string(cell->GetItemTextA(j));
            if (!text.empty()) texts += (texts.empty() ? "" : "|") + text;
          }
    tables.push_back(texts);
  }
  return tables;
}

// The tables in the first cell of data's first table, as TopTables gives
// them; none when there is no such table.
std::vector<std::string> TablesInFirstCell(TCustomVLData& data) {
  for (Integer i = 0; i < data.GetItemCount(); ++i)
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i)))
      if (TVLTableCellData* cell = table->GetCell(0, 0)) return TopTables(*cell);
  return {};
}

// Two tables one empty paragraph apart (a 1 x 1 table, then a 1 x 2 one),
// in the text and in a table's cell: the document converter's Word,
// OpenDocument and Markdown copies, inserted back through the same
// converter, bring back two tables, not one. (Its readers drop the empty
// paragraph between them; the OpenDocument reader drops tables in a cell.)
TEST(ConvertedCopyContent, TwoTablesAnEmptyParagraphApartComeBackAsTwoThroughPandoc) {
  qytest::TempDir dir;
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  const auto pandocEntry = [](TVLOfficeCnvList& list, const String& mask, bool import) {
    for (Integer i = 0; i < list.Count(); ++i) {
      const TVLOfficeConverterInfo* info = list.GetItem(i);
      const auto& command = import ? info->ImportCommand : info->ExportCommand;
      if (!command.empty() && command.front().find("pandoc") != String::npos &&
          (info->Filter == mask || info->Filter.rfind(mask + ";", 0) == 0))
        return static_cast<int>(i);
    }
    return -1;
  };
  const std::vector<std::string> two = {"A", "B|C"};
  for (const bool inCell : {false, true})
    for (const char* mask : {"*.docx", "*.odt", "*.md"}) {
      SCOPED_TRACE(std::string(mask) + (inCell ? " in a cell" : " in the text"));
      const int out = pandocEntry(probe.GetExportConverters(), mask, false);
      const int in = pandocEntry(probe.GetImportConverters(), mask, true);
      ASSERT_GE(out, 0) << "the set-up installs the document converter";
      ASSERT_GE(in, 0);
      const auto tables = [inCell](TCustomVLData& d) { return inCell ? TablesInFirstCell(d) : TopTables(d); };
      TEditorBench b;
      ASSERT_TRUE(b.Edit->LoadRTF((qytest::SourceDir() / "tests/actions/data" /
                                   (inCell ? "rtf-two-tables-an-empty-paragraph-apart-in-a-cell.rtf"
                                           : "rtf-two-tables-an-empty-paragraph-apart.rtf"))
                                      .string()));
      ASSERT_EQ(tables(*b.Edit->VLData()), two);
      const fs::path copy = dir / (std::string(inCell ? "cell" : "text") + (mask + 1));
      ASSERT_TRUE(SaveCopy(b, copy, ffeOfficeConverters, out));

      TEditorBench back;
      InsertThroughImportConverter(back, copy, in);
      EXPECT_EQ(tables(*back.Edit->VLData()), two);
    }
}

// The entry's words, paragraph by paragraph (cells at any depth included).
std::vector<std::string> Words(TCustomVLData& data) {
  std::vector<std::string> paragraphs, words;
  nestedentry::Paragraphs(data, paragraphs);
  for (const std::string& p : paragraphs) {
    std::string word;
    for (char c : p + " ") {
      if (c != ' ' && c != '\t') word += c;
      else if (!word.empty()) words.push_back(word), word.clear();
    }
  }
  return words;
}

// The words of words that are not among back, each as often as it is missing.
std::vector<std::string> MissingWords(const std::vector<std::string>& words, const std::vector<std::string>& back) {
  std::map<std::string, int> count;
  for (const std::string& w : back) ++count[w];
  std::vector<std::string> missing;
  for (const std::string& w : words)
    if (--count[w] < 0) missing.push_back(w);
  return missing;
}

// The index of the converter of the list with the mask whose command is
// pandoc's (or not), -1 when there is none.
int ConverterOf(TVLOfficeCnvList& list, const String& mask, bool pandoc, bool import) {
  for (Integer i = 0; i < list.Count(); ++i) {
    const TVLOfficeConverterInfo* info = list.GetItem(i);
    const auto& command = import ? info->ImportCommand : info->ExportCommand;
    if (!command.empty() && (command.front().find("pandoc") != String::npos) == pandoc &&
        (";" + info->Filter + ";").find(";" + mask + ";") != String::npos)
      return static_cast<int>(i);
  }
  return -1;
}

// PATH holds the document converter alone while it lives: the office suite
// is not installed, as the program sees it.
class TPandocAloneOnPath {
public:
  explicit TPandocAloneOnPath(const fs::path& folder) : FPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
    std::string pandoc = Output("command -v pandoc");
    while (!pandoc.empty() && std::isspace(static_cast<unsigned char>(pandoc.back()))) pandoc.pop_back();
    fs::create_directories(folder);
    std::error_code ec;
    fs::create_symlink(pandoc, folder / "pandoc", ec);
    setenv("PATH", folder.c_str(), 1);
  }
  ~TPandocAloneOnPath() { setenv("PATH", FPath.c_str(), 1); }
  TPandocAloneOnPath(const TPandocAloneOnPath&) = delete;
  TPandocAloneOnPath& operator=(const TPandocAloneOnPath&) = delete;

private:
  std::string FPath;
};

// The document converter's OpenDocument copy of tables nested three deep,
// inserted through its own OpenDocument entry (whose reader leaves nested
// tables out): with the office suite installed, its converter reads the
// file and every table comes in nested with every word; with the document
// converter alone, what came in is inserted and the user is told how many
// of the file's words could not be read.
TEST(ConvertedCopyContent, AnOpenDocumentCopyOfNestedTablesComesInWholeOrTellsWhatWasNotRead) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "runs.rtf", kRuns);
  const fs::path copy = dir / "nested.odt";
  std::vector<std::string> words;
  {
    TVLOfficeConverter probe(nullptr);
    probe.ExcludeHTMLExportConverter = true;
    const int out = ConverterOf(probe.GetExportConverters(), "*.odt", true, false);
    ASSERT_GE(out, 0) << "the set-up installs the document converter";
    TEditorBench b;
    const Integer bold = b.AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
    ASSERT_TRUE(b.Edit->LoadRTF((dir / "runs.rtf").string()));
    AddNestedTables(b.Edit, bold);
    if (HasFatalFailure()) return;
    words = Words(*b.Edit->VLData());
    ASSERT_TRUE(SaveCopy(b, copy, ffeOfficeConverters, out));
  }
  for (const bool office : {true, false}) {
    SCOPED_TRACE(office ? "with the office suite" : "with the document converter alone");
    std::optional<TPandocAloneOnPath> alone;
    if (!office) alone.emplace(dir / "bin");
    TVLOfficeConverter probe(nullptr);
    const int in = ConverterOf(probe.GetImportConverters(), "*.odt", true, true);
    ASSERT_GE(in, 0);
    ASSERT_EQ(ConverterOf(probe.GetImportConverters(), "*.odt", false, true) >= 0, office);
    TEditorBench back;
    std::vector<std::string> told;
    InsertThroughImportConverter(back, copy, in, &told);
    alone.reset();
    const size_t missing = MissingWords(words, Words(*back.Edit->VLData())).size();
    if (office) {
      EXPECT_TRUE(told.empty()) << told.front();
      EXPECT_EQ(missing, 0u);
      EXPECT_EQ(TableDepth(*back.Edit->VLData()), 3);
    } else {
      // The words of the middle and the deep table, and no other.
      const size_t nested = std::count_if(words.begin(), words.end(), [](const std::string& w) {
        return w.rfind("Middle", 0) == 0 || w.rfind("Deep", 0) == 0;
      });
      EXPECT_EQ(missing, nested);
      ASSERT_EQ(told.size(), 1u);
      EXPECT_NE(told[0].find(std::to_string(missing) + " of the " + std::to_string(words.size()) + " words"),
                std::string::npos)
          << told[0];
      EXPECT_NE(told[0].find("tables that stand in another table's cells"), std::string::npos) << told[0];
    }
  }
}

// Tables two deep for the route sweep: a 2 x 3 table whose last column is
// one merged cell, its first cell holding a 3 x 2 table whose last row is.
void AddTwoDeepTables(TVellumEdit* edit) {
  VLRegisterTableItem();
  auto outer = TVLTableItemInfo::CreateEx(2, 3, edit->VLData());
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 3; ++c) outer->GetCell(r, c)->SetItemTextA(0, "Top" + std::to_string(r) + std::to_string(c));
  ASSERT_TRUE(outer->MergeCells(0, 2, 1, 2, true));
  TVLTableCellData* host = outer->GetCell(1, 0);
  auto inner = TVLTableItemInfo::CreateEx(3, 2, host);
  for (Integer r = 0; r < 3; ++r)
    for (Integer c = 0; c < 2; ++c) inner->GetCell(r, c)->SetItemTextA(0, "Inner" + std::to_string(r) + std::to_string(c));
  ASSERT_TRUE(inner->MergeCells(2, 0, 2, 1, true));
  host->AddItem("", inner.release());
  edit->AddItem("", outer.release());
  edit->AddTextItem("Below the table.", 0, 0);
  edit->Format();
}

// The VLF options of the program's entry editor: styles go with a copy,
// and an unknown style is read as the first one.
void AsTheEntryEditor(TVellumEdit* edit) {
  edit->VLFOptions = TVLFOptions{vlfoSavePicturesBody, vlfoSaveControlsBody, vlfoIgnoreUnknownPicFmt,
                                 vlfoIgnoreUnknownCtrls, vlfoConvUnknownStylesToZero, vlfoConvLargeImageIdxToZero,
                                 vlfoSaveBinary, vlfoSaveBack, vlfoLoadBack, vlfoSaveTextStyles,
                                 vlfoSaveParaStyles, vlfoSaveLayout, vlfoLoadLayout};
}

// Every import route the program offers, over its own copies of entries
// with tables nested two and three deep and merged cells through every
// export route: each route either brings every word back or tells the user
// what it could not read, and tables come in nested as deep as they were
// (but from text and web pages). The table of routes, with whether each
// table came back cell for cell, goes to the test's output.
TEST(ConvertedCopyContent, EveryImportRouteBringsEveryWordBackOrTellsWhatItCouldNotRead) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "runs.rtf", kRuns);
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  TVLOfficeCnvList& imports = probe.GetImportConverters();
  struct TRoute {
    std::string Name, Ext;
    TvlFileExportFilter Format;
    int Index;
  };
  std::vector<TRoute> routes = {{"VLF", ".vlf", ffeVLF, -1},         {"RTF", ".rtf", ffeRTF, -1},
                                {"text", ".txt", ffeTextANSI, -1},   {"Unicode text", ".txt", ffeTextUnicode, -1},
                                {"web page with styles", ".htm", ffeHTMLCSS, -1}, {"web page", ".html", ffeHTML, -1}};
  for (Integer i = 0; i < exports.Count(); ++i) {
    const String mask = exports.GetItem(i)->Filter.substr(0, exports.GetItem(i)->Filter.find(';'));
    routes.push_back({exports.GetItem(i)->Name, mask.substr(1), ffeOfficeConverters, i});
  }
  ASSERT_GE(routes.size(), 13u) << "the set-up installs both converters";
  std::string table = "depth | copy | inserted through | words back | tables deep | same tables | told\n";
  int pairs = 0;
  for (const int depth : {2, 3}) {
    for (const TRoute& route : routes) {
      SCOPED_TRACE(route.Name + ", tables " + std::to_string(depth) + " deep");
      TEditorBench b;
      AsTheEntryEditor(b.Edit);
      const Integer bold = b.AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
      ASSERT_TRUE(b.Edit->LoadRTF((dir / "runs.rtf").string()));
      if (depth == 3) AddNestedTables(b.Edit, bold);
      else AddTwoDeepTables(b.Edit);
      if (HasFatalFailure()) return;
      ASSERT_EQ(TableDepth(*b.Edit->VLData()), depth);
      const std::vector<std::string> words = Words(*b.Edit->VLData());
      const std::string shape = TableShape(*b.Edit->VLData(), 0, false);
      const fs::path copy =
          dir / ("copy" + std::to_string(depth) + "-" + std::to_string(&route - routes.data()) + route.Ext);
      ASSERT_TRUE(SaveCopy(b, copy, route.Format, route.Index));
      // The program's own formats, then every converter that reads the kind.
      std::vector<std::pair<std::string, std::pair<TvlFileImportFilter, int>>> readers;
      if (route.Ext == ".vlf") readers.push_back({"VLF", {ffiVLF, -1}});
      if (route.Ext == ".rtf") readers.push_back({"RTF", {ffiRTF, -1}});
      if (route.Ext == ".txt") readers.push_back({"text", {ffiTextAuto, -1}});
      for (Integer i = 0; i < imports.Count(); ++i)
        if ((";" + imports.GetItem(i)->Filter + ";").find(";*" + route.Ext + ";") != String::npos)
          readers.push_back({imports.GetItem(i)->Name, {ffiOfficeConverters, static_cast<int>(i)}});
      ASSERT_FALSE(readers.empty());
      for (const auto& [name, reader] : readers) {
        SCOPED_TRACE("inserted through " + name);
        TEditorBench back;
        AsTheEntryEditor(back.Edit);
        std::vector<std::string> told;
        InsertThroughImportConverter(back, copy, reader.second, &told, reader.first);
        const size_t missing = MissingWords(words, Words(*back.Edit->VLData())).size();
        const bool toldCount = std::any_of(told.begin(), told.end(), [&](const std::string& t) {
          const std::string count = std::to_string(missing) + " of the " + std::to_string(words.size()) + " words";
          return t.find(count) != std::string::npos;
        });
        EXPECT_TRUE(missing == 0 || toldCount) << missing << " words lost without a word";
        EXPECT_TRUE(missing > 0 || told.empty()) << told.front();
        // Tables come in nested as they were, but from text, and from a web
        // page, whose tables the document converter's reader flattens.
        const bool flat =
            route.Ext == ".txt" || (reader.first == ffiOfficeConverters && imports.GetItem(reader.second)->HTML);
        if (!flat) {
          EXPECT_EQ(TableDepth(*back.Edit->VLData()), depth);
        }
        ++pairs;
        table += std::to_string(depth) + " | " + route.Name + " | " + name + " | " +
                 std::to_string(words.size() - missing) + "/" + std::to_string(words.size()) + " | " +
                 std::to_string(TableDepth(*back.Edit->VLData())) + " | " +
                 (TableShape(*back.Edit->VLData(), 0, false) == shape ? "yes" : "no") + " | " +
                 (told.empty() ? "-" : told.front()) + "\n";
      }
    }
  }
  EXPECT_GE(pairs, 2 * 17);
  std::cout << table;
}

// A book copy is titled as Save a Copy says (the journal gives the entry's
// date): the book's title and its title page; its chapter starts with the
// entry's first paragraph.
TEST(ConvertedCopyContent, ABookIsTitledAsGivenAndStartsWithTheEntry) {
  qytest::TempDir dir;
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  int out = -1;
  for (Integer i = 0; i < probe.GetExportConverters().Count(); ++i)
    if (probe.GetExportConverters().GetItem(i)->Filter == "*.epub") out = static_cast<int>(i);
  ASSERT_GE(out, 0) << "the set-up installs the document converter";
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "First words of the day.");
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  exporter->FileTitle = "Thursday, 10 December 2026";
  const fs::path copy = dir / "Diary 2026-12-10.epub";
  ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), copy.string(), ffeOfficeConverters, out));
  const std::string opf = Output("unzip -p '" + copy.string() + "' '*.opf'");
  EXPECT_NE(opf.find(">Thursday, 10 December 2026</dc:title>"), std::string::npos) << opf;
  const std::string titlePage = Output("unzip -p '" + copy.string() + "' EPUB/text/title_page.xhtml");
  EXPECT_NE(titlePage.find("Thursday, 10 December 2026"), std::string::npos) << titlePage;
  const std::string chapter = Output("unzip -p '" + copy.string() + "' EPUB/text/ch001.xhtml");
  const std::regex firstBlock("<body[^>]*>\\s*(<section[^>]*>\\s*)?(<p>)?([^<\\n]*)");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(chapter, m, firstBlock)) << chapter;
  EXPECT_EQ(m[3].str(), "First words of the day.") << chapter;
  EXPECT_EQ(chapter.find("Diary 2026-12-10"), std::string::npos) << chapter;
}

}  // namespace
