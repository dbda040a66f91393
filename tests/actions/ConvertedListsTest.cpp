// Lists saved as a Word document by either installed converter (and as
// Markdown by the document converter) keep their numbering, numbering
// styles, the form of their numbers ("a)") and nesting: the document
// converter's RTF reader drops list numbering, so it is given our web page
// instead. The lists come back through Insert > File.
#include "actions/ListGalleryVLFrm.h"
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "actions/VLActionsList.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include "EditorBench.h"
#include "NestedTablesEntry.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace {

using nestedentry::Output;

// Insert > File of `file` into an empty entry of `back`, through the
// dialog's Word (importDocx) or other converter entry: what it showed.
std::vector<TInteraction> InsertThroughDialog(TEditorBench& back, const std::string& file, int importDocx) {
  TEditorBench::Fill(back.Edit, "");
  auto* insert = new TvlActionInsertFile(back.Form);
  insert->SetControl(back.Edit);
  insert->Filter = {ffiRTF, ffiOfficeConverters};
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    r.FileName = file;
    r.FilterIndex = 2 + importDocx;
    return mrOk;
  });
  insert->Update();
  EXPECT_TRUE(insert->Execute());
  return script.Shown;
}

// Lower-case letters with a bullet list under b., bullets, upper-case Roman
// numerals.
const char kLists[] =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable"
    "{\\list{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
    "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\li1440\\fi-360}\\listid1}"
    "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\li720\\fi-360}\\listid2}"
    "{\\list{\\listlevel\\levelnfc1\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
    "\\listid3}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}"
    "{\\listoverride\\listid3\\ls3}}"
    "\\pard Before the lists.\\par"
    "\\pard\\ls1\\ilvl0 apple\\par\\pard\\ls1\\ilvl0 birch\\par\\pard\\ls1\\ilvl1 bark\\par"
    "\\pard\\ls1\\ilvl0 cedar\\par\\pard\\ls1\\ilvl0 daisy\\par"
    "\\pard Between.\\par"
    "\\pard\\ls2\\ilvl0 north\\par\\pard\\ls2\\ilvl0 caf\\'e9\\par"
    "\\pard Between again.\\par"
    "\\pard\\ls3\\ilvl0 one\\par\\pard\\ls3\\ilvl0 two\\par"
    "\\pard After.\\par}";

std::vector<std::string> MarkerTexts(TVellumEdit* e) {
  std::vector<std::string> r;
  TVLMarkerList* list = e->VLData()->GetMarkers(false);
  for (Integer i = 0; i < e->ItemCount(); ++i)
    if (e->VLData()->GetItem(i)->StyleNo == vlsListMarker)
      r.push_back(list ? list->DisplayStringOf(e->VLData()->GetItem(i)) : "?");
  return r;
}

TEST(ConvertedLists, DocumentsOfBothConvertersKeepTheLists) {
  qytest::TempDir dir;
  const std::string source = (dir / "lists.rtf").string();
  qytest::WriteFileBytes(source, kLists);
  TVLOfficeConverter probe(nullptr);
  probe.DescriptionFile = (dir / "none.ini").string();
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  TVLOfficeCnvList& imports = probe.GetImportConverters();
  int importDocx = -1;
  for (Integer i = imports.Count() - 1; i >= 0; --i)
    if (imports.GetItem(i)->Filter == "*.docx") importDocx = i;  // the first: what the dialog offers first
  ASSERT_GE(importDocx, 0) << "the set-up installs the document converter";
  struct TCase {
    const char* Name;
    bool Pandoc;
    const char* Mask;
  } cases[] = {{"the office suite", false, "*.docx"},
               {"the document converter", true, "*.docx"},
               {"the document converter's Markdown", true, "*.md;*.markdown"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    int out = -1;
    for (Integer i = 0; i < exports.Count(); ++i)
      if (exports.GetItem(i)->Filter == c.Mask &&
          (exports.GetItem(i)->ExportCommand.front().find("pandoc") != String::npos) == c.Pandoc)
        out = i;
    if (out < 0 && !c.Pandoc) {
      ADD_FAILURE() << "no office suite here: its route is not checked";
      continue;
    }
    ASSERT_GE(out, 0);

    // Out: Save a Copy as a Word document.
    TEditorBench b;
    ASSERT_TRUE(b.Edit->LoadRTF(source));
    b.Edit->Format();
    auto* exporter = new TvlActionExport(b.Form);
    exporter->SetControl(b.Edit);
    exporter->Filter = {ffeRTF, ffeOfficeConverters};
    const bool markdown = String(c.Mask) != "*.docx";
    const std::string word =
        (dir / (std::string(c.Pandoc ? "pandoc" : "office") + " caf\u00e9" + (markdown ? ".md" : ".docx"))).string();
    {
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        r.FileName = word;
        r.FilterIndex = 2 + out;
        return mrOk;
      });
      exporter->Update();
      ASSERT_TRUE(exporter->Execute());
      ASSERT_EQ(script.Shown.size(), 1u) << script.Shown.back().Text;
    }

    // What another reader finds in the file; Markdown as it is, without the
    // markup of our page.
    const std::string text =
        markdown ? qytest::ReadFileBytes(word) : Output("pandoc --from=docx --to=markdown '" + word + "'");
    for (const char* line : {"a.  apple", "b.  birch", "    -   bark", "c.  cedar", "d.  daisy", "-   north",
                             "-   caf\u00e9", "I.  one", "II. two"})
      EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    if (markdown) {
      EXPECT_EQ(text.rfind("Before the lists.", 0), 0u) << text;
      for (const char* markup : {"<div", ":::", "{style", "---"})
        EXPECT_EQ(text.find(markup), std::string::npos) << markup << " in\n" << text;
      continue;
    }

    // In: Insert > File with the Word entry the dialog offers.
    TEditorBench back;
    {
      const std::vector<TInteraction> shown = InsertThroughDialog(back, word, importDocx);
      EXPECT_EQ(shown.size(), 1u) << (shown.empty() ? std::string() : shown.back().Text);
    }
    const std::vector<std::string> markers = MarkerTexts(back.Edit);
    ASSERT_EQ(markers.size(), 9u) << TEditorBench::Text(back.Edit);
    EXPECT_EQ(std::vector<std::string>(markers.begin(), markers.begin() + 2), (std::vector<std::string>{"a.", "b."}));
    EXPECT_EQ(std::vector<std::string>(markers.begin() + 3, markers.begin() + 5),
              (std::vector<std::string>{"c.", "d."}));
    EXPECT_EQ(std::vector<std::string>(markers.begin() + 7, markers.end()), (std::vector<std::string>{"I.", "II."}));
  }
}

// Each marker as the editor draws it: its text through its level's font
// (a symbol font shows its codes as other characters).
std::vector<std::string> DrawnMarkers(TVellumEdit* e) {
  std::vector<std::string> r;
  TVLMarkerList* list = e->VLData()->GetMarkers(false);
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    auto* m = dynamic_cast<TVLMarkerItemInfo*>(e->GetItem(i));
    if (!m || !list) continue;
    const TVLListLevel* level = m->GetLevelInfo(e->GetStyle());
    const String font = level && level->FontOrNil() ? level->FontOrNil()->GetName() : String();
    const WideString shown = VLMarkerDisplayText(list->DisplayStringOf(m), font, 1252);
    r.push_back(WideToUtf8(SymbolFontTextShown(font.c_str(), shown)));
  }
  return r;
}

// The texts of the paragraphs without their markers.
std::vector<std::string> Paragraphs(TVellumEdit* e) {
  std::vector<std::string> r;
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    if (e->VLData()->IsParaStart(i)) r.emplace_back();
    if (e->GetItem(i)->StyleNo >= 0) r.back() += e->GetItemTextUtf8(i);
  }
  return r;
}

// Format > Bullets and Numbering, the Numbered page's "a) b) c)", and items
// typed, the last one left empty; saved through each route and read back:
// the letters stay letters in their own form, and every item stays.
TEST(ConvertedLists, LettersInParenthesisFormStayLettersInThatForm) {
  qytest::TempDir dir;
  TVLOfficeConverter probe(nullptr);
  probe.DescriptionFile = (dir / "none.ini").string();
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  TVLOfficeCnvList& imports = probe.GetImportConverters();
  int importDocx = -1;
  for (Integer i = imports.Count() - 1; i >= 0; --i)
    if (imports.GetItem(i)->Filter == "*.docx") importDocx = i;
  ASSERT_GE(importDocx, 0);

  TEditorBench b;
  TEditorBench::Fill(b.Edit, "Before.");
  b.Edit->SetCaret(0, b.Edit->GetItemEndOffset(0));
  b.Edit->InsertText("\ralpha item");
  auto* gallery = new TvlActionParaList(b.Form);
  gallery->SetControl(b.Edit);
  {
    TInteractionScript script;
    script.Do([](TInteraction& r) {
      auto* g = dynamic_cast<TfrmVLListGallery*>(r.Form);
      if (!g) return mrCancel;
      g->pc->SetActivePage(g->ts2);
      g->rg2->SetItemIndex(6);  // "a)"
      g->rg2Click(nullptr);
      return mrOk;
    });
    gallery->Update();
    ASSERT_TRUE(gallery->Execute());
    EXPECT_EQ(script.Unexpected, 0);
  }
  for (const char* item : {"beta item", "gamma item", ""}) b.Edit->InsertText(String("\r") + item);
  b.Edit->Format();
  const std::vector<std::string> markers = {"a)", "b)", "c)", "d)"};
  ASSERT_EQ(DrawnMarkers(b.Edit), markers);
  const std::vector<std::string> paragraphs = {"Before.", "alpha item", "beta item", "gamma item", ""};
  ASSERT_EQ(Paragraphs(b.Edit), paragraphs);

  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  // The web pages: a browser draws each marker as it is.
  for (TvlFileExportFilter format : {ffeHTML, ffeHTMLCSS}) {
    const std::string page = (dir / ("page" + std::to_string(format) + ".html")).string();
    ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), page, format));
    const std::string html = qytest::ReadFileBytes(page);
    for (const std::string& m : markers)
      EXPECT_NE(html.find("list-style-type: '" + m + "\\A0'"), std::string::npos) << m << " in\n" << html;
    const std::string read = Output("pandoc --from=html --to=plain --wrap=none '" + page + "'");
    for (const char* line : {"a.  alpha item", "b.  beta item", "c.  gamma item", "d.  \xC2\xA0\n"})
      EXPECT_NE(read.find(line), std::string::npos) << line << " in\n" << read;
  }

  // The document converter's Word and Markdown copies; the Word copy comes
  // back through Insert > File.
  for (const char* mask : {"*.docx", "*.md;*.markdown"}) {
    SCOPED_TRACE(mask);
    int out = -1;
    for (Integer i = 0; i < exports.Count(); ++i)
      if (exports.GetItem(i)->Filter == mask && exports.GetItem(i)->ExportCommand.front().find("pandoc") != String::npos)
        out = i;
    ASSERT_GE(out, 0);
    const bool markdown = String(mask) != "*.docx";
    const std::string copy = (dir / (markdown ? "letters.md" : "letters.docx")).string();
    ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), copy, ffeOfficeConverters, out));
    const std::string text =
        markdown ? qytest::ReadFileBytes(copy) : Output("pandoc --from=docx --to=markdown '" + copy + "'");
    // The empty item stays empty: no no-break space stands in for it.
    for (const char* line : {"a)  alpha item", "b)  beta item", "c)  gamma item", "\nd)"})
      EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    EXPECT_EQ(text.find("\xC2\xA0"), std::string::npos) << text;
    if (markdown) continue;

    TEditorBench back;
    InsertThroughDialog(back, copy, importDocx);
    EXPECT_EQ(DrawnMarkers(back.Edit), markers) << TEditorBench::Text(back.Edit);
    EXPECT_EQ(Paragraphs(back.Edit), paragraphs);
  }
}

// The document converter's copy of the entry in b through Save a Copy, in
// the format of mask (its first extension): the file.
std::string PandocCopy(TEditorBench& b, const qytest::TempDir& dir, const std::string& mask) {
  TVLOfficeConverter probe(nullptr);
  probe.DescriptionFile = (dir / "none.ini").string();
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  int out = -1;
  for (Integer i = 0; i < exports.Count(); ++i)
    if (exports.GetItem(i)->Filter == mask && exports.GetItem(i)->ExportCommand.front().find("pandoc") != String::npos)
      out = i;
  EXPECT_GE(out, 0) << mask;
  const std::string copy = (dir / ("copy" + mask.substr(1, mask.find(';') - 1))).string();
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  EXPECT_TRUE(exporter->Export(ActionEditorOf(b.Edit), copy, ffeOfficeConverters, out));
  return copy;
}

// A numbered list whose second level is a list of its own, as Word and
// LibreOffice write one, twice (lettered, then in Roman numerals): in every
// copy through the document converter each second level stands inside the
// item above it, with no empty item of its own and its own numbers (the
// OpenDocument copy's one list style per list lettered both), and the first
// level goes on counting after it.
TEST(ConvertedLists, ASecondLevelOfAListOfItsOwnNestsInEveryPandocCopy) {
  qytest::TempDir dir;
  const std::string source = (dir / "two.rtf").string();
  qytest::WriteFileBytes(
      source,
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable"
      "{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
      "\\listid1}"
      "{\\list{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
      "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}\\li1440\\fi-360}\\listid2}"
      "{\\list{\\listlevel\\levelnfc2\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
      "{\\listlevel\\levelnfc2\\levelstartat1{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}\\li1440\\fi-360}\\listid3}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}"
      "{\\listoverride\\listid3\\ls3}}"
      "\\pard Before.\\par\\pard\\ls1\\ilvl0 one\\par\\pard\\ls2\\ilvl1\\li1440 sub a\\par"
      "\\pard\\ls2\\ilvl1\\li1440 sub b\\par\\pard\\ls1\\ilvl0 two\\par"
      "\\pard\\ls3\\ilvl1\\li1440 sub i\\par\\pard\\ls3\\ilvl1\\li1440 sub ii\\par\\pard\\ls1\\ilvl0 three\\par"
      "\\pard After.\\par}");
  TEditorBench b;
  ASSERT_TRUE(b.Edit->LoadRTF(source));
  b.Edit->Format();
  ASSERT_EQ(MarkerTexts(b.Edit), (std::vector<std::string>{"1.", "a.", "b.", "2.", "i.", "ii.", "3."}));
  const std::vector<std::string> items = {"1.  one",       "    a.  sub a",  "    b.  sub b", "2.  two",
                                          "    i.  sub i", "    ii. sub ii", "3.  three"};
  for (const char* mask : {"*.docx", "*.odt", "*.epub", "*.md;*.markdown"}) {
    SCOPED_TRACE(mask);
    const std::string copy = PandocCopy(b, dir, mask);
    const std::string ext = copy.substr(copy.rfind('.') + 1);
    const std::string text = ext == "md" ? qytest::ReadFileBytes(copy)
                                         : Output("pandoc --from=" + ext + " --to=markdown '" + copy + "'");
    // The list's items as Markdown shows them: each with its number and
    // its depth.
    std::vector<std::string> found;
    std::istringstream lines(text);
    const std::regex item("^ *[0-9A-Za-z]{1,4}\\. +\\S.*");
    for (std::string line; std::getline(lines, line);)
      if (std::regex_match(line, item)) found.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    EXPECT_EQ(found, items) << text;
  }
}

// "a)" and "(a)" lists in an EPUB book through the document converter:
// each item's marker is drawn in its own form, as our web page draws it
// (HTML has no list type for the parentheses).
TEST(ConvertedLists, TheBookKeepsTheParenthesesOfItsNumbers) {
  qytest::TempDir dir;
  const std::string source = (dir / "paren.rtf").string();
  qytest::WriteFileBytes(
      source,
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\*\\listtable"
      "{\\list{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}\\li720\\fi-360}"
      "\\listid1}"
      "{\\list{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'03(\\'00);}{\\levelnumbers\\'02;}\\li720\\fi-360}"
      "\\listid2}}"
      "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}"
      "\\pard Before.\\par\\pard\\ls1\\ilvl0 alpha\\par\\pard\\ls1\\ilvl0 beta {\\b bold}\\par"
      "\\pard Between.\\par\\pard\\ls2\\ilvl0 one\\par\\pard\\ls2\\ilvl0 two\\par\\pard After.\\par}");
  TEditorBench b;
  ASSERT_TRUE(b.Edit->LoadRTF(source));
  b.Edit->Format();
  ASSERT_EQ(MarkerTexts(b.Edit), (std::vector<std::string>{"a)", "b)", "(a)", "(b)"}));
  const std::string book = PandocCopy(b, dir, "*.epub");
  std::string page = Output("unzip -p '" + book + "' 'EPUB/text/*.xhtml'");
  page = std::regex_replace(page, std::regex("&#39;|&apos;"), "'");
  std::vector<std::string> drawn;
  const std::regex item(R"(<li style="list-style-type: '([^']*)\\A0';">(.*?)</li>)");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), item); it != std::sregex_iterator(); ++it)
    drawn.push_back((*it)[1].str() + " " + std::regex_replace((*it)[2].str(), std::regex("<[^>]*>"), ""));
  EXPECT_EQ(drawn, (std::vector<std::string>{"a) alpha", "b) beta bold", "(a) one", "(b) two"})) << page;
}

}  // namespace
