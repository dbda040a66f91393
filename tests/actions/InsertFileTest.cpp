#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLMarkerText.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/view/VLCopy.h"
#include "support/DamageSweep.h"
#include "support/FifoWatch.h"
#include "support/TableCells.h"
#include "support/VLFRoundTrip.h"
#include "support/TestSupport.h"
#include "support/WorkCost.h"

#include "EditorBench.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Insert > File on "ab|cd", not yet modified, offering the filter's formats.
TvlActionInsertFile* InsertInto(TEditorBench& b, TvlFileImportFilterSet filter) {
  TEditorBench::Fill(b.Edit, "abcd");
  b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0) + 2);
  b.Edit->Modified = false;
  auto* action = new TvlActionInsertFile(b.Form);
  action->SetControl(b.Edit);
  action->Filter = filter;
  return action;
}

// The last import converter of Word documents without a description
// file of the user's (-1: none).
int WordImport(TVLOfficeConverter& probe, const qytest::TempDir& dir) {
  probe.DescriptionFile = (dir / "none.ini").string();
  TVLOfficeCnvList& imports = probe.GetImportConverters();
  int docx = -1;
  for (Integer i = 0; i < imports.Count(); ++i)
    if (imports.GetItem(i)->Filter == "*.docx") docx = i;
  return docx;
}

TEST(InsertFile, EachFilterEntryReadsItsFormatAndUnreadableFilesChangeNothing) {
  const std::string utf16{'\xFF', '\xFE', 'h', '\0', 'i', '\0'};
  struct Case {
    const char* Name;
    TvlFileImportFilterSet Filter;
    int Index;  // 1-based, as the dialog reports it
    std::string Bytes;
    const char* Text;  // the document afterwards; nullptr: refused
  } cases[] = {
      {"RTF", {ffiVLF, ffiRTF, ffiTextAuto}, 2, "{\\rtf1\\ansi hello}", "abhellocd"},
      {"UTF-16 detected", {ffiVLF, ffiRTF, ffiTextAuto}, 3, utf16, "abhicd"},
      {"odd length read as 8-bit", {ffiTextAuto}, 1, "odd", "aboddcd"},
      {"8-bit text", {ffiTextANSI, ffiTextUnicode}, 1, "plain", "abplaincd"},
      {"UTF-16 text", {ffiTextANSI, ffiTextUnicode}, 2, utf16, "abhicd"},
      {"RTF under the Vellum entry is read as RTF", {ffiVLF, ffiRTF}, 1, "{\\rtf1\\ansi hello}", "abhellocd"},
      {"not a VLF file", {ffiVLF}, 1, "this is no document", nullptr},
      {"an index past the entries", {ffiRTF}, 4, "{\\rtf1 x}", nullptr},
  };
  qytest::TempDir dir;
  for (const Case& c : cases) {
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "abcd");
    b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0) + 2);
    auto* action = new TvlActionInsertFile(b.Form);
    action->SetControl(b.Edit);
    action->Filter = c.Filter;
    const std::string path = (dir / "in.file").string();
    std::ofstream(path, std::ios::binary) << c.Bytes;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = path;
      r.FilterIndex = c.Index;
      return mrOk;
    });
    if (!c.Text) script.Answer(IDOK);
    action->Update();
    ASSERT_TRUE(action->Execute()) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    if (c.Text) {
      EXPECT_EQ(TEditorBench::Text(b.Edit), c.Text) << c.Name;
      EXPECT_EQ(action->FileName, path) << c.Name;
    } else {
      EXPECT_EQ(TEditorBench::Text(b.Edit), "abcd") << c.Name;
      ASSERT_EQ(script.Shown.size(), 2u) << c.Name;
      // A file read and found damaged is named; an entry the filter does
      // not have was never read.
      if (c.Index == 1)
        EXPECT_EQ(script.Shown[1].Text, "The file " + path +
                                            " was not inserted: it could not be read as a Vellum Format file; it may "
                                            "be damaged or cut short.");
      else
        EXPECT_EQ(script.Shown[1].Text.rfind("Error loading file.", 0), 0u) << c.Name;
      EXPECT_EQ(action->FileName, "") << c.Name;
    }
    EXPECT_EQ(action->FilterIndex, c.Index) << c.Name;
  }
}

// A file refused says why, and leaves the entry as it was: not changed, and
// not marked as changed.
TEST(InsertFile, ARefusedFileSaysWhyAndLeavesTheEntryUnmodified) {
  const std::string grid = qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/table/data/vlf-table-grid-512x512.vlf");
  const auto claiming = [&grid](const std::string& size) {
    std::string vlf = grid;
    vlf.replace(vlf.find(" 512 512 ") + 1, 7, size);
    return vlf;
  };
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Message;  // the start of what is said
  } cases[] = {
      {"a table claiming the limit its record does not hold", claiming("400 500"),
       "The text was not inserted: a table in it is damaged (it claims more cells than it holds)."},
      {"a table past the limit", claiming("401 500"), "The text was not inserted: a table in it has more than 200000 cells."},
      {"not a VLF file", "this is no document", "The file "},
  };
  qytest::TempDir dir;
  const std::string path = (dir / "in.vlf").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorBench b;
    TvlActionInsertFile* action = InsertInto(b, {ffiVLF});
    qytest::WriteFileBytes(path, c.Bytes);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = path;
      r.FilterIndex = 1;
      return mrOk;
    });
    script.Answer(IDOK);
    action->Update();
    ASSERT_TRUE(action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Text.rfind(c.Message, 0), 0u) << script.Shown[1].Text;
    EXPECT_EQ(TEditorBench::Text(b.Edit), "abcd");
    EXPECT_FALSE(b.Edit->Modified);
  }
}

// What is chosen may be no file at all: a named pipe nobody writes (its
// name says RTF or text, which the first bytes would be read to tell), a
// folder, a device. Through every entry of the filter it is refused at once,
// without a byte read, naming the file and what it is; the entry is as it
// was.
TEST(InsertFile, WhatIsNoRegularFileIsRefusedByNameWithoutWaiting) {
  qytest::TempDir dir;
  TVLOfficeConverter probe(nullptr);
  const int docx = WordImport(probe, dir);
  ASSERT_GE(docx, 0) << "the set-up installs the document converter";
  const fs::path pipe = dir / "pipe.rtf";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const fs::path textPipe = dir / "pipe.txt";
  ASSERT_EQ(::mkfifo(textPipe.c_str(), 0600), 0);
  fs::create_directory(dir / "folder.vlf");
  const struct {
    fs::path Path;
    const char* Says;
  } chosen[] = {
      {pipe, "it is a named pipe, not a file."},
      {textPipe, "it is a named pipe, not a file."},
      {dir / "folder.vlf", "it is a folder, not a file."},
      {"/dev/zero", "it is a device or socket, not a file."},
  };
  const TvlFileImportFilterSet filter = {ffiVLF, ffiRTF, ffiTextAuto, ffiTextANSI, ffiTextUnicode, ffiOfficeConverters};
  for (const auto& c : chosen)
    for (int index = 1; index <= 6; ++index) {
      SCOPED_TRACE(c.Path.string() + " through entry " + std::to_string(index));
      TEditorBench b;
      TvlActionInsertFile* action = InsertInto(b, filter);
      qytest::TFifoWatch watch({pipe, textPipe});
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        r.FileName = c.Path.string();
        r.FilterIndex = index == 6 ? 6 + docx : index;
        return mrOk;
      });
      script.Answer(IDOK);
      action->Update();
      ASSERT_TRUE(action->Execute());
      EXPECT_EQ(watch.Waited(), 0) << "Insert > File waited to read the named pipe";
      EXPECT_EQ(script.Unexpected, 0);
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_EQ(script.Shown[1].Text, "The file " + c.Path.string() + " was not inserted: " + c.Says);
      EXPECT_EQ(TEditorBench::Text(b.Edit), "abcd");
      EXPECT_FALSE(b.Edit->Modified);
    }
}

// The text of the items as their fonts show it: in the symbol fonts a unit
// below 0x100 is the font's code ("\u00AE" is the Symbol font's arrow).
std::string ShownText(TVellumEdit* e) {
  std::string r;
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    const Integer style = e->VLData()->GetItemStyle(i);
    if (style < 0) continue;
    r += WideToUtf8(VLSymbolFontText(e->VLData()->GetItemTextA(i), e->VLData()->GetItemOptions(i) & vlioUnicode,
                                     e->GetStyle()->TextStyles->Items(style)->FontName, 1252));
  }
  return r;
}

// Text in the Symbol and Wingdings fonts, saved as an RTF copy and inserted
// from that file, comes in showing the characters it showed, codes and
// characters alike.
TEST(InsertFile, SymbolFontTextSavedAsRTFComesInWithItsCharacters) {
  qytest::TempDir dir;
  const std::string path = (dir / "copy.rtf").string();
  const char* symbolText = "\u00AE\u00A9\u00D7\u00F7\u00AC\u2192\u03B1a";
  const char* wingdingsText = "\u263A\u27A2J";
  std::string shown;
  {
    TEditorBench from;
    const auto font = [](const char* name) {
      return [name](TFontInfo& f) {
        f.FontName = name;
        f.Charset = SYMBOL_CHARSET;
        f.Unicode = true;
      };
    };
    const Integer symbol = from.AddText(font("Symbol")), wingdings = from.AddText(font("Wingdings"));
    from.Edit->Clear();
    from.Edit->AddTextItem("x", 0, 0);
    from.Edit->AddTextItem(symbolText, symbol, -1);
    from.Edit->AddTextItem("y", 0, -1);
    from.Edit->AddTextItem(wingdingsText, wingdings, -1);
    from.Edit->Format();
    shown = ShownText(from.Edit);
    ASSERT_TRUE(from.Edit->SaveRTF(path, false));
  }
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "abcd");
  b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0) + 2);
  auto* action = new TvlActionInsertFile(b.Form);
  action->SetControl(b.Edit);
  action->Filter = {ffiRTF};
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    r.FileName = path;
    r.FilterIndex = 1;
    return mrOk;
  });
  action->Update();
  ASSERT_TRUE(action->Execute());
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(shown, "x\u2192\u2665\u22C5\u239F\u2190\u2192\u03B1\u03B1y\u263A\u27A2\u263A");
  EXPECT_EQ(ShownText(b.Edit), "ab" + shown + "cd");
}

TEST(InsertFile, TheFilterListsTheChosenFormatsInTheirOrder) {
  TEditorBench b;
  struct Case {
    TvlFileImportFilterSet Filter;
    const char* Expected;
  } cases[] = {
      {{ffiRTF}, "RTF Files (*.rtf)|*.rtf"},
      {{ffiTextUnicode, ffiTextAuto, ffiTextANSI},
       "Text Files - Autodetect (*.txt)|*.txt|Text Files (*.txt)|*.txt|Text Files - Unicode (*.txt)|*.txt"},
      {{ffiOfficeConverters}, ""},  // no converter given
  };
  for (const Case& c : cases) {
    std::vector<TvlFileImportFilter> formats;
    EXPECT_EQ(BuildOpenFilter(c.Filter, formats), c.Expected);
    TvlFileImportFilter f = ffiVLF;
    for (size_t i = 0; i < formats.size(); ++i) {
      ASSERT_TRUE(ImportFilterIndexToFormat(formats, static_cast<int>(i), f));
      EXPECT_TRUE(c.Filter.Contains(f));
    }
    EXPECT_FALSE(ImportFilterIndexToFormat(formats, static_cast<int>(formats.size()), f));
  }
}

// Formats of the installed document converter come in through RTF; one that
// fails changes nothing. The round trip out goes through Save a Copy.
TEST(InsertFile, ConvertedFormatsComeInAndGoOutThroughRTF) {
  qytest::TempDir dir;
  TVLOfficeConverter probe(nullptr);
  const int docx = WordImport(probe, dir);
  ASSERT_GE(docx, 0) << "the set-up installs the document converter";

  // Out: the entry saved as a Word document.
  TEditorBench out;
  TEditorBench::Fill(out.Edit, "north wind");
  auto* exporter = new TvlActionExport(out.Form);
  exporter->SetControl(out.Edit);
  exporter->Filter = {ffeRTF, ffeOfficeConverters};
  std::vector<TvlFileExportFilter> exportFormats;
  TVLOfficeConverter exportList(nullptr);
  exportList.ExcludeHTMLExportConverter = true;
  exportList.ExtensionsInFilter = true;
  const String saveFilter = BuildSaveFilter(exporter->Filter, exportFormats, &exportList);
  EXPECT_EQ(saveFilter.find("Web Page"), String::npos);
  int docxOut = -1;
  for (Integer i = 0; i < exportList.GetExportConverters().Count(); ++i)
    if (exportList.GetExportConverters().GetItem(i)->Filter == "*.docx") docxOut = i;
  ASSERT_GE(docxOut, 0);
  const std::string word = (dir / "entry.docx").string();
  {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = word;
      r.FilterIndex = 2 + docxOut;
      return mrOk;
    });
    exporter->Update();
    ASSERT_TRUE(exporter->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(script.Shown.size(), 1u);
  }
  ASSERT_EQ(qytest::ReadFileBytes(word).substr(0, 2), "PK");

  // In: the Word document inserted at the caret; a damaged one refused.
  const std::string damaged = (dir / "damaged.docx").string();
  qytest::WriteFileBytes(damaged, "PK but no archive");
  const std::string cut = (dir / "cut.docx").string();
  const std::string wordBytes = qytest::ReadFileBytes(word);
  qytest::WriteFileBytes(cut, wordBytes.substr(0, wordBytes.size() / 2));
  for (const std::string& file : {word, damaged, cut}) {
    SCOPED_TRACE(file);
    const bool whole = file == word;
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "abcd");
    auto* action = new TvlActionInsertFile(b.Form);
    action->SetControl(b.Edit);
    action->Filter = {ffiRTF, ffiOfficeConverters};
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = file;
      r.FilterIndex = 2 + docx;
      return mrOk;
    });
    if (!whole) script.Answer(IDOK);
    action->Update();
    ASSERT_TRUE(action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    const String text = TEditorBench::Text(b.Edit);
    if (whole) {
      EXPECT_NE(text.find("north wind"), String::npos) << text;
    } else {
      EXPECT_EQ(text, "abcd");
      ASSERT_EQ(script.Shown.size(), 2u);
      // Named, with what it was to be.
      const std::string said = "The file " + file + " was not inserted: it could not be read as a file of the kind \"" +
                               probe.GetImportConverters().GetItem(docx)->Name +
                               "\"; it may be damaged or cut short.";
      EXPECT_EQ(script.Shown[1].Text.rfind(said, 0), 0u) << script.Shown[1].Text;
    }
  }
}

// Bytes of another kind than the one chosen came in as garbage: they are
// refused with a message naming the file, and the entry is left as it was.
TEST(InsertFile, AFileOfAnotherKindThanTheOneChosenIsRefusedNamingIt) {
  qytest::TempDir dir;
  TVLOfficeConverter probe(nullptr);
  const int docx = WordImport(probe, dir);
  ASSERT_GE(docx, 0) << "the set-up installs the document converter";
  std::mt19937 random(83);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  noise[0] = '\x01';
  const std::string wordRefusal =
      "it is not a file of the kind \"" + probe.GetImportConverters().GetItem(docx)->Name + "\".";
  int markdown = -1;
  for (Integer i = 0; i < probe.GetImportConverters().Count(); ++i)
    if (probe.GetImportConverters().GetItem(i)->Filter.find("*.md") != String::npos) markdown = i;
  ASSERT_GE(markdown, 0);
  const std::string markdownRefusal =
      "it is not a file of the kind \"" + probe.GetImportConverters().GetItem(markdown)->Name + "\".";
  // Every kind of the filter: VLF, RTF, text (its kind guessed), 8-bit
  // text, Unicode text, then the converters'.
  const TvlFileImportFilterSet every{ffiVLF, ffiRTF, ffiTextAuto, ffiTextANSI, ffiTextUnicode, ffiOfficeConverters};
  const std::string latin1 = "caf\xE9 au lait, cr\xE8" "me br\xFB" "l\xE9" "e\n";
  std::string noNul = noise;
  for (char& c : noNul)
    if (c == '\0') c = '\x01';
  struct TCase {
    const char* Name;
    const char* File;
    TvlFileImportFilterSet Filter;
    int Index;
    std::string Bytes;
    const char* Refusal;  // nullptr: inserted
  } cases[] = {
      {"random bytes chosen as RTF", "noise.bin", {ffiVLF, ffiRTF}, 2, noise, "it is not an RTF file."},
      {"random bytes named .rtf", "noise.rtf", {ffiVLF, ffiRTF}, 1, noise, "it is not an RTF file."},
      {"random bytes chosen as a Word document", "noise.docx", {ffiRTF, ffiOfficeConverters}, 2 + docx, noise,
       wordRefusal.c_str()},
      {"RTF chosen as RTF", "rtf.bin", {ffiVLF, ffiRTF}, 2, "{\\rtf1\\ansi hello}", nullptr},
      {"RTF after a byte-order mark chosen as RTF", "bom.bin", every, 2, "\xEF\xBB\xBF{\\rtf1\\ansi hello}", nullptr},
      {"RTF after a byte-order mark named .rtf", "bom.rtf", every, 1, "\xEF\xBB\xBF{\\rtf1\\ansi hello}", nullptr},
      {"random bytes chosen as text", "noise.txt", every, 3, noise, "it is not a text file."},
      {"random bytes chosen as 8-bit text", "noise.txt", every, 4, noise, "it is not a text file."},
      {"random bytes chosen as Unicode text", "noise.txt", every, 5, noise, "it is not a text file."},
      {"random bytes without NULs chosen as 8-bit text", "noise.txt", every, 4, noNul, "it is not a text file."},
      {"random bytes chosen as Markdown", "noise.md", every, 6 + markdown, noise, markdownRefusal.c_str()},
      {"random bytes without NULs chosen as Markdown", "noise.md", every, 6 + markdown, noNul,
       markdownRefusal.c_str()},
      {"8-bit text chosen as Markdown", "latin1.md", every, 6 + markdown, latin1, markdownRefusal.c_str()},
      {"text chosen as 8-bit text", "hello.txt", every, 4, "hello", nullptr},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorBench b;
    TvlActionInsertFile* action = InsertInto(b, c.Filter);
    const std::string path = (dir / c.File).string();
    qytest::WriteFileBytes(path, c.Bytes);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = path;
      r.FilterIndex = c.Index;
      return mrOk;
    });
    if (c.Refusal) script.Answer(IDOK);
    action->Update();
    ASSERT_TRUE(action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    if (!c.Refusal) {
      EXPECT_EQ(TEditorBench::Text(b.Edit), "abhellocd");
      continue;
    }
    EXPECT_EQ(TEditorBench::Text(b.Edit), "abcd");
    EXPECT_FALSE(b.Edit->Modified);
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Text, "The file " + path + " was not inserted: " + c.Refusal);
  }
}

// A table damaged before its cells came in as one empty cell without a
// word; damaged inside them, with the cells read and no word of the rest.
// Through Insert > File and Ctrl+V alike: what can be read comes in, and
// text that could not be is told.
TEST(InsertFile, ADamagedTableComesInWithWhatCouldBeReadAndTextLostIsTold) {
  VLRegisterTableItem();
  const std::filesystem::path data = qytest::SourceDir() / "tests/richtext/table/data";
  const std::string intact = qytest::ReadFileBytes(data / "vlf-nested-tables-intact.vlf");
  const std::string flipped = qytest::ReadFileBytes(data / "vlf-nested-tables-grid-byte-flipped.vlf");
  const std::string spanZeroed = qytest::ReadFileBytes(data / "vlf-nested-tables-span-zeroed.vlf");
  const std::string colsZeroed = qytest::ReadFileBytes(data / "vlf-nested-tables-columns-zeroed.vlf");
  std::string cellDamaged = intact;
  const std::string td = std::string("QPS1\x02TD", 7);
  cellDamaged[cellDamaged.find(td, cellDamaged.find(td) + 1) + 5] = '\xFF';
  auto level = [](char n) {
    std::string s = "3x3: dNr0c0 dNr0c1dNr1c1[2x1] dNr0c2 / dNr1c0 . dNr1c2 / dNr2c0 dNr2c1 dNr2c2";
    for (char& c : s)
      if (c == 'N') c = n;
    return s;
  };
  // Three tables, each in the last cell of the one around it.
  const std::string all = level('1') + "{" + level('2') + "{" + level('3') + "}}";
  struct TCase {
    const char* Name;
    const std::string& Bytes;
    bool TextLost;
    const char* Cells;  // of a table whose text was lost; nullptr: any
  } cases[] = {
      {"intact", intact, false, nullptr},
      {"the cell list's name damaged", flipped, false, nullptr},
      {"a cell record damaged", cellDamaged, true, "3x3: d1r0c0 [2x1]  /  .  /   "},
      // The zero read as the end of the cell list, and a grid without
      // columns: they said nothing.
      {"a cell's span zeroed", spanZeroed, true, nullptr},
      {"the grid's column count zeroed", colsZeroed, true, nullptr},
  };
  qytest::TempDir dir;
  for (const TCase& c : cases)
    for (const bool paste : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (paste ? ", Ctrl+V" : ", Insert > File"));
      TEditorBench b;
      TEditorBench::Fill(b.Edit, "abcd");
      b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0) + 2);
      TInteractionScript script;
      if (paste) {
        Clipboard().Clear();
        Clipboard().SetData(RegisterClipboardFormat(VLFClipboardFormatName), VLMakeVLFBlock(c.Bytes));
      } else {
        const std::string path = (dir / "tables.vlf").string();
        qytest::WriteFileBytes(path, c.Bytes);
        script.AnswerValue(path);
      }
      if (c.TextLost) script.Answer(IDOK);
      if (paste) {
        b.Edit->Paste();
      } else {
        auto* action = new TvlActionInsertFile(b.Form);
        action->SetControl(b.Edit);
        action->Filter = {ffiVLF};
        action->Update();
        ASSERT_TRUE(action->Execute());
      }
      EXPECT_EQ(script.Unexpected, 0);
      EXPECT_EQ(script.Pending(), 0u);
      TVLTableItemInfo* t = nullptr;
      for (Integer i = 0; i < b.Edit->ItemCount() && !t; ++i) t = dynamic_cast<TVLTableItemInfo*>(b.Edit->GetItem(i));
      ASSERT_TRUE(t);
      std::vector<std::string> messages;
      for (const TInteraction& r : script.Shown)
        if (r.Kind == TInteractionKind::MessageBox) messages.push_back(r.Text);
      if (!c.TextLost) {
        EXPECT_EQ(tabletest::Cells(*t), all);
        EXPECT_TRUE(messages.empty());
        continue;
      }
      if (c.Cells) {
        EXPECT_EQ(tabletest::Cells(*t), c.Cells);
      }
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0], "The text was inserted, but a table in it is damaged: the text of the cells that could "
                             "not be read is lost.");
    }
}

// What Insert > File made of a file: the messages shown, and the text of
// the entry after it.
struct TInserted {
  std::vector<std::string> Messages;
  std::string Shown;
  bool Done = false;
};

TInserted InsertFileBytes(const std::string& bytes, const qytest::TempDir& dir) {
  TEditorBench b;
  auto* action = InsertInto(b, {ffiVLF});
  const std::string path = (dir / "inserted.vlf").string();
  qytest::WriteFileBytes(path, bytes);
  TInteractionScript script;
  script.AnswerValue(path);
  for (int k = 0; k < 4; ++k) script.Answer(IDOK);
  action->Update();
  TInserted r;
  r.Done = action->Execute() && b.Edit->Modified;
  for (const TInteraction& i : script.Shown)
    if (i.Kind == TInteractionKind::MessageBox) r.Messages.push_back(i.Text);
  r.Shown = qytest::ShownText(*b.Edit->VLData());
  return r;
}

// Damage to a file inserted, anywhere: it is refused with a word, or all its
// text comes in, or what does not is told lost. A span or a grid size read
// as zero, or a cut between two records, brought in less text without a
// word.
TEST(InsertFile, EveryDamageIsRefusedOrComesInWholeOrItsLossIsTold) {
  TVLStyle style(nullptr);
  qytest::AddSweepLists(style);
  TVLDocumentData doc(&style);
  doc.VLFOptions = TVLFOptions{vlfoSavePicturesBody, vlfoSaveBinary, vlfoSaveTextStyles, vlfoSaveParaStyles};
  const qytest::TSweepEntry entry = qytest::MakeSweepEntry(doc, [&doc] { return qytest::SaveVLFBytes(doc); });
  qytest::TempDir dir;
  const size_t grid = entry.Bytes.find(std::string("\x01" "C\x02\x03\x02\x03", 6));
  ASSERT_NE(grid, std::string::npos);
  std::vector<qytest::TDamage> found = qytest::CutsAtTheLastText(entry.Bytes);
  ASSERT_EQ(found.size(), 2u);
  found.push_back({qytest::TDamage::Cut, entry.Bytes.size()});
  found.push_back({qytest::TDamage::Zeroed, grid + 5});
  int refused = 0, whole = 0, told = 0, empty = 0;
  for (const qytest::TDamage& d : qytest::DamagesToTry(entry.Bytes, 60, found)) {
    SCOPED_TRACE(d.Name());
    const TInserted r = InsertFileBytes(d.Apply(entry.Bytes), dir);
    const std::vector<std::string> missing = qytest::WordsNotShown(entry.Words, entry.Bytes, d, r.Shown);
    if (!r.Done) {
      ++refused;
      EXPECT_EQ(r.Messages.size(), 1u);
      continue;
    }
    if (missing.empty()) {
      ++whole;
      continue;
    }
    if (qytest::CutToNothing(d)) {
      ++empty;
      continue;
    }
    ++told;
    EXPECT_EQ(r.Messages.size(), 1u) << missing.front();
    if (!r.Messages.empty()) {
      EXPECT_NE(r.Messages[0].find(" is lost"), std::string::npos) << r.Messages[0];
    }
  }
  std::printf("%d damaged copies: %d refused, %d came in whole, %d with their loss told, %d cut to nothing\n",
              refused + whole + told + empty, refused, whole, told, empty);
}

// A table's record kind changed by one digit came in as a record kept and
// not shown, its tables' text hidden without a word: it is refused by name.
TEST(InsertFile, ARecordOfAKindNotKnownIsRefusedWithAWord) {
  TVLStyle style(nullptr);
  qytest::AddSweepLists(style);
  TVLDocumentData doc(&style);
  doc.VLFOptions = TVLFOptions{vlfoSavePicturesBody, vlfoSaveBinary, vlfoSaveTextStyles, vlfoSaveParaStyles};
  std::string bytes = qytest::MakeSweepEntry(doc, [&doc] { return qytest::SaveVLFBytes(doc); }).Bytes;
  const size_t kind = bytes.find("\n-60 ");
  ASSERT_NE(kind, std::string::npos);
  bytes[kind + 3] = '1';
  qytest::TempDir dir;
  const TInserted r = InsertFileBytes(bytes, dir);
  EXPECT_FALSE(r.Done);
  EXPECT_EQ(r.Messages, std::vector<std::string>{
                            "The text was not inserted: part of it is damaged or of a kind this program cannot show."});
}

// Pictures that cannot be decoded came in as crosses without a word: they
// come in, kept, and the insert says once that they cannot be shown.
TEST(InsertFile, PicturesThatCannotBeShownComeInAndAreToldOnce) {
  const std::string bytes =
      qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/model/data/repro/repro-rle-bomb-x4.vlf");
  ASSERT_FALSE(bytes.empty());
  qytest::TempDir dir;
  for (const bool paste : {false, true}) {
    SCOPED_TRACE(paste ? "Ctrl+V" : "Insert > File");
    TInserted r;
    if (paste) {
      TEditorBench b;
      TEditorBench::Fill(b.Edit, "abcd");
      Clipboard().Clear();
      Clipboard().SetData(RegisterClipboardFormat(VLFClipboardFormatName), VLMakeVLFBlock(bytes));
      TInteractionScript script;
      script.Answer(IDOK);
      b.Edit->Paste();
      r.Done = b.Edit->Modified;
      for (const TInteraction& i : script.Shown)
        if (i.Kind == TInteractionKind::MessageBox) r.Messages.push_back(i.Text);
    } else {
      r = InsertFileBytes(bytes, dir);
    }
    EXPECT_TRUE(r.Done);
    EXPECT_EQ(r.Messages, std::vector<std::string>{"The text was inserted, but pictures in it cannot be shown."});
  }
}

// RTF that some writers start with a UTF-8 byte-order mark came in with
// "\u00EF\u00BB\u00BF" before its text, pasted or inserted from a file; a
// cut-short or damaged RTF file is named when it cannot be read.
TEST(InsertFile, RTFAfterAByteOrderMarkComesInWithoutItAndADamagedOneIsNamed) {
  const std::string bom = "\xEF\xBB\xBF";
  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* Text;  // nullptr: refused, named
  } cases[] = {
      {"a byte-order mark", bom + "{\\rtf1\\ansi hello}", "abhellocd"},
      {"a byte-order mark, a paragraph", bom + "{\\rtf1\\ansi\\pard hello\\par}", "abhellocd"},
      {"no mark", "{\\rtf1\\ansi hello}", "abhellocd"},
      {"cut short in a group", bom + "{\\rtf1\\ansi{\\fonttbl{\\f0 Ar", nullptr},
      {"damaged hex", "{\\rtf1\\ansi \\'zz hello}", nullptr},
  };
  qytest::TempDir dir;
  const std::string path = (dir / "in.rtf").string();
  for (const TCase& c : cases)
    for (const bool paste : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (paste ? ", Ctrl+V" : ", Insert > File"));
      if (paste && !c.Text) continue;  // a paste has no file to name
      TEditorBench b;
      TEditorBench::Fill(b.Edit, "abcd");
      b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0) + 2);
      b.Edit->Modified = false;
      TInteractionScript script;
      if (paste) {
        Clipboard().Clear();
        Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName), c.Bytes);
        b.Edit->Paste();
      } else {
        qytest::WriteFileBytes(path, c.Bytes);
        script.AnswerValue(path);
        if (!c.Text) script.Answer(IDOK);
        auto* action = new TvlActionInsertFile(b.Form);
        action->SetControl(b.Edit);
        action->Filter = {ffiVLF, ffiRTF};
        action->Update();
        ASSERT_TRUE(action->Execute());
      }
      EXPECT_EQ(script.Unexpected, 0);
      if (c.Text) {
        EXPECT_EQ(TEditorBench::Text(b.Edit), c.Text);
        continue;
      }
      EXPECT_EQ(TEditorBench::Text(b.Edit), "abcd");
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_EQ(script.Shown[1].Text, "The file " + path +
                                          " was not inserted: it could not be read as an RTF file; it may be "
                                          "damaged or cut short.");
    }
}

// An RTF file with a table of 100,000 fonts, its text in 20,000 of them,
// cost seconds of CPU to insert: each font number was searched for through
// the table, and each name not installed was matched to a system font and
// kept as a font of its own. The cost now grows with the file, not with its
// square. Each paragraph still comes in in its own font, also one past the
// 65,536th (it came in as the first font, "Font0").
TEST(InsertFile, AHugeFontTableCostsLittleAndEachParagraphKeepsItsFont) {
  constexpr int kFonts = 100000, kUsed = 20000;
  qytest::TempDir dir;
  const std::string path = (dir / "fonts.rtf").string();
  std::unique_ptr<TEditorBench> bench;
  std::unique_ptr<TInteractionScript> script;
  TvlActionInsertFile* action = nullptr;
  // A twentieth of the fonts and of the paragraphs against all: a search through
  // the table for each paragraph costs the square of the ratio.
  const qytest::TGrowth growth = qytest::MeasureGrowth(kUsed / 20, kUsed, [&](int used) -> std::function<void()> {
    const int fonts = used * (kFonts / kUsed);
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl";
    for (int i = 0; i < fonts; ++i) rtf += "{\\f" + std::to_string(i) + "\\fswiss Font" + std::to_string(i) + ";}";
    rtf += "}\n";
    for (int i = 0; i < used; ++i)
      rtf += "\\pard\\plain\\f" + std::to_string(5 * i) + "\\fs24 p" + std::to_string(i) + "\\par\n";
    rtf += "}";
    qytest::WriteFileBytes(path, rtf);
    script.reset();
    bench = std::make_unique<TEditorBench>();
    TEditorBench::Fill(bench->Edit, "abcd");
    action = new TvlActionInsertFile(bench->Form);
    action->SetControl(bench->Edit);
    action->Filter = {ffiRTF};
    script = std::make_unique<TInteractionScript>();
    script->AnswerValue(path);
    action->Update();
    return [&] { ASSERT_TRUE(action->Execute()); };
  });
  EXPECT_EQ(script->Unexpected, 0);
  EXPECT_LT(growth.Ratio(), qytest::LinearGrowthBound(kUsed / 20, kUsed))
      << growth.SmallSeconds << " s, then " << growth.LargeSeconds << " s";
  // The last inserted was the larger file.
  TEditorBench& b = *bench;
  int inOwnFont = 0;
  for (Integer i = 0; i < b.Edit->ItemCount(); ++i) {
    const std::string text = b.Edit->GetItemTextUtf8(i);
    if (text.size() < 2 || text[0] != 'p') continue;
    const String font = b.Sheet->TextStyles->Items(b.Edit->GetItem(i)->StyleNo)->FontName;
    EXPECT_EQ(font, "Font" + std::to_string(5 * std::stoi(text.substr(1)))) << text;
    ++inOwnFont;
  }
  EXPECT_EQ(inOwnFont, kUsed);
}

}  // namespace
