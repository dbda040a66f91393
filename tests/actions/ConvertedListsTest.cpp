// Lists saved as a Word document by either installed converter (and as
// Markdown by the document converter) keep their numbering, numbering
// styles and nesting: the document converter's RTF reader drops list
// numbering, so it is given our web page instead. The lists come back
// through Insert > File.
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include "EditorBench.h"
#include "NestedTablesEntry.h"

#include <gtest/gtest.h>

namespace {

using nestedentry::Output;

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
    TEditorBench::Fill(back.Edit, "");
    auto* insert = new TvlActionInsertFile(back.Form);
    insert->SetControl(back.Edit);
    insert->Filter = {ffiRTF, ffiOfficeConverters};
    {
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        r.FileName = word;
        r.FilterIndex = 2 + importDocx;
        return mrOk;
      });
      insert->Update();
      ASSERT_TRUE(insert->Execute());
      EXPECT_EQ(script.Shown.size(), 1u) << script.Shown.back().Text;
    }
    const std::vector<std::string> markers = MarkerTexts(back.Edit);
    ASSERT_EQ(markers.size(), 9u) << TEditorBench::Text(back.Edit);
    EXPECT_EQ(std::vector<std::string>(markers.begin(), markers.begin() + 2), (std::vector<std::string>{"a.", "b."}));
    EXPECT_EQ(std::vector<std::string>(markers.begin() + 3, markers.begin() + 5),
              (std::vector<std::string>{"c.", "d."}));
    EXPECT_EQ(std::vector<std::string>(markers.begin() + 7, markers.end()), (std::vector<std::string>{"I.", "II."}));
  }
}

}  // namespace
