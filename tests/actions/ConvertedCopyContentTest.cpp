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
#include "NestedTablesEntry.h"

#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;

namespace {

using nestedentry::AddNestedTables;
using nestedentry::Blanks;
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
    auto* exporter = new TvlActionExport(b.Form);
    exporter->SetControl(b.Edit);
    const fs::path copy = dir / ("copy" + std::to_string(i) + ext);
    ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), copy.string(), ffeOfficeConverters, i))
        << info->Name;
    ++checked;

    const std::string text = Blanks(TextOf(copy));
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
