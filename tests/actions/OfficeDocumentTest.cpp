// A document from an office suite inserted into an entry: its bullets of
// the Symbol and Wingdings fonts (private-use characters there) are the
// Unicode characters they show, on screen and in the copies written; a
// heading level marked "no number" shows none.
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "actions/VLActionsList.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/SymbolEncoding.h"
#include "platform/gui/TextMeasure.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "richtext/view/VLCopy.h"
#include "support/KeySeam.h"
#include "support/TestSupport.h"

#include "EditorBench.h"
#include "NestedTablesEntry.h"

#include <QFont>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// As LibreOffice writes them: bullets in the private-use range of the
// symbol fonts, headings on an outline list whose level has no number.
const char kOfficeRtf[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1\\fnil\\fcharset2 Symbol;}"
    "{\\f2\\fnil\\fcharset2 Wingdings;}}"
    "{\\*\\listtable"
    "{\\list\\listtemplateid1{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\levelstartat1\\levelfollow0"
    "{\\leveltext\\'01\\u61623 ?;}{\\levelnumbers;}\\f1\\fi-360\\li720}\\listid1}"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc23\\leveljc0\\levelstartat1\\levelfollow0"
    "{\\leveltext\\'01\\u61692 ?;}{\\levelnumbers;}\\f2\\fi-360\\li720}\\listid2}"
    "{\\list\\listtemplateid3{\\listlevel\\levelnfc255\\levelnfcn255\\leveljc0\\levelstartat1\\levelfollow2"
    "{\\leveltext\\'00;}{\\levelnumbers;}\\fi0\\li0}\\listid3}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
    "{\\listoverride\\listid2\\listoverridecount0\\ls2}{\\listoverride\\listid3\\listoverridecount0\\ls3}}"
    "\\pard\\plain\\ls3\\ilvl0 Trip Report\\par"
    "\\pard\\plain\\ls1\\ilvl0\\fi-360\\li720 caf\\u233?\\par"
    "\\pard\\plain\\ls2\\ilvl0\\fi-360\\li720 done\\par"
    "\\pard\\plain Symbol {\\f1\\u61623?} Wingdings {\\f2\\u61692?} arrow {\\f2\\u61656?} "
    "scissors {\\f2\\u61474?} none {\\f2\\u61567?}\\par}";

const std::string kBullet = "\xE2\x80\xA2", kCheck = "\xE2\x9C\x94", kArrow = "\xE2\x9E\xA2",
                  kScissors = "\xE2\x9C\x82";

// The text of the items as their fonts show it (the codes of the symbol
// fonts as the characters they show), paragraphs joined by "|".
std::string ShownText(TVellumEdit* e) {
  std::string r;
  TVLStyle& sheet = *e->GetStyle();
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    if (i > 0 && e->VLData()->IsParaStart(i)) r += "|";
    const Integer style = e->VLData()->GetItemStyle(i);
    if (style < 0) continue;
    const Integer actual = e->VLData()->GetItemActualStyle(e->GetItem(i));
    r += WideToUtf8(VLSymbolFontText(e->VLData()->GetItemTextA(i), e->VLData()->GetItemOptions(i) & vlioUnicode,
                                     sheet.TextStyles->Items(actual)->FontName, 1252));
  }
  return r;
}

// An editor with nothing in it, the caret at its start.
void MakeEmpty(TEditorBench& b) {
  TEditorBench::Fill(b.Edit, "");
  b.Edit->SetCaret(0, 0);
}

// Insert > File of an RTF file at the caret, as the user chooses it: the
// file dialog is the one window shown.
void InsertRtfFile(TEditorBench& b, const std::filesystem::path& file) {
  auto* insert = new TvlActionInsertFile(b.Form);
  insert->SetControl(b.Edit);
  insert->Filter = {ffiRTF};
  TInteractionScript script;
  script.AnswerValue(file.string());
  insert->Update();
  ASSERT_TRUE(insert->Execute());
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(script.Shown.size(), 1u);
}

TEST(OfficeDocument, SymbolBulletsAreTheirUnicodeCharactersAndUnnumberedHeadingsShowNoNumber) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "report.rtf", kOfficeRtf);
  TEditorBench b;
  MakeEmpty(b);
  ASSERT_NO_FATAL_FAILURE(InsertRtfFile(b, dir / "report.rtf"));
  // What the screen draws: the marker texts and the text items.
  TVLMarkerList* markers = b.Edit->VLData()->GetMarkers(false);
  ASSERT_NE(markers, nullptr);
  ASSERT_EQ(markers->Count(), 3);
  EXPECT_EQ(markers->GetDisplayString(0), "");
  const std::string text = ShownText(b.Edit);
  EXPECT_NE(text.find("Symbol " + kBullet + " Wingdings " + kCheck + " arrow " + kArrow + " scissors " + kScissors),
            String::npos)
      << text;
  // One the font has nothing at stays as it was.
  EXPECT_NE(text.find("none \xEF\x81\xBF"), String::npos) << text;
  TVLStyle& sheet = *b.Edit->GetStyle();
  std::vector<std::string> bullets;
  for (Integer i = 0; i < markers->Count(); ++i) {
    const TVLMarkerItemInfo* m = markers->Get(i);
    const TVLListLevel& level = *sheet.ListStyles->Items(m->ListNo)->Levels->Items(m->Level);
    bullets.push_back(level.ListType == vllstUnicodeBullet ? WideToUtf8(level.FormatStringW) : "8-bit");
  }
  EXPECT_EQ(bullets, (std::vector<std::string>{"8-bit", kBullet, kCheck}));

  // The copies written: text and web page.
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), (dir / "copy.txt").string(), ffeTextANSI));
  ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), (dir / "copy.html").string(), ffeHTMLCSS));
  const std::string plain = qytest::ReadFileBytes(dir / "copy.txt");
  EXPECT_EQ(plain.find("1Trip"), std::string::npos) << plain;
  EXPECT_EQ(plain.find("1 Trip"), std::string::npos) << plain;
  EXPECT_NE(plain.find(kBullet + " caf\xC3\xA9"), std::string::npos) << plain;
  EXPECT_NE(plain.find(kCheck + " done"), std::string::npos) << plain;
  EXPECT_NE(plain.find("Symbol " + kBullet), std::string::npos) << plain;
  const std::string page = qytest::ReadFileBytes(dir / "copy.html");
  // The private-use characters (U+F0B7, U+F0FC) are not written.
  EXPECT_EQ(page.find("&#61623;"), std::string::npos);
  EXPECT_EQ(page.find("\xEF\x82\xB7"), std::string::npos);
  EXPECT_EQ(page.find("&#61692;"), std::string::npos);
  EXPECT_EQ(page.find("\xEF\x83\xBC"), std::string::npos);
  EXPECT_TRUE(page.find("&#8226;") != std::string::npos || page.find(kBullet) != std::string::npos);
  EXPECT_TRUE(page.find("&#10004;") != std::string::npos || page.find(kCheck) != std::string::npos);
}

// Text in the Symbol font as the font's codes and as the characters a \\u
// names (as other programs write it), and Wingdings codes.
const char kSymbolTextRtf[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1\\fcharset2 Symbol;}"
    "{\\f2\\fnil\\fcharset2 Wingdings;}}"
    "\\pard\\plain Codes({\\f1 \\'d2\\'d3\\'b4\\'b8\\'d8abp})\\par"
    "\\pard\\plain Named({\\f1\\uc1\\u174 ?\\u169 ?\\u215 ?\\u247 ?\\u172 ?})\\par"
    "\\pard\\plain Wingdings({\\f2 \\'4a\\'fc\\'6e\\'a1\\'31})\\par}";
const std::vector<std::string> kSymbolLines = {"Codes(\u00AE\u00A9\u00D7\u00F7\u00AC\u03B1\u03B2\u03C0)",
                                               "Named(\u00AE\u00A9\u00D7\u00F7\u00AC)",
                                               "Wingdings(\u263A\u2714\u25A0\u25CB\U0001F5C1)"};

// What the editor draws: each text item through the face found for its
// font, a symbol face's codes as the glyphs it has there.
std::string DrawnText(TVellumEdit* e) {
  std::string r;
  TVLStyle& sheet = *e->GetStyle();
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    if (i > 0 && e->VLData()->IsParaStart(i)) r += "|";
    if (e->VLData()->GetItemStyle(i) < 0) continue;
    const TFontInfo& f = *sheet.TextStyles->Items(e->VLData()->GetItemActualStyle(e->GetItem(i)));
    const AnsiString raw = e->VLData()->GetItemTextA(i);
    WideString units;
    if (e->VLData()->GetItemOptions(i) & vlioUnicode) units = RawUnicodeToWide(raw);
    else
      for (char c : raw) units += static_cast<char16_t>(static_cast<unsigned char>(c));
    QFont qf;
    qf.setFamilies({QString::fromStdString(f.FontName)});
    const std::shared_ptr<const TFontData> face = FontDataFor(qf);
    std::u16string buffer;
    const char16_t* shown = FaceText(*face, units.data(), units.size(), buffer);
    WideString drawn;
    for (size_t k = 0; k < units.size(); ++k) {
      const char16_t c = shown[k];
      drawn += face->SymbolFace && c < 0x100 && SymbolCodeToUnicode(c) ? SymbolCodeToUnicode(c) : c;
    }
    r += WideToUtf8(drawn);
  }
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> r;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) r.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) r.push_back(line);
  if (!r.empty() && r.front().rfind("\xEF\xBB\xBF", 0) == 0) r.front().erase(0, 3);
  return r;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string r;
  for (const std::string& l : lines) r += (r.empty() ? "" : "|") + l;
  return r;
}

// Symbol and Wingdings text from another program: the editor shows the
// characters the fonts show, and every copy holds those characters, as the
// converters and the office suite read the copies back, character by
// character.
TEST(OfficeDocument, SymbolFontTextIsTheSameCharactersOnScreenAndInEveryCopy) {
  using nestedentry::Output;
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "symbols.rtf", kSymbolTextRtf);
  TEditorBench b;
  MakeEmpty(b);
  ASSERT_NO_FATAL_FAILURE(InsertRtfFile(b, dir / "symbols.rtf"));
  const std::string entry = Joined(kSymbolLines);
  EXPECT_EQ(ShownText(b.Edit), entry);
  EXPECT_EQ(DrawnText(b.Edit), entry);

  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  auto pandocRoute = [&](const char* mask) {
    for (Integer i = 0; i < exports.Count(); ++i)
      if (exports.GetItem(i)->Filter == mask && exports.GetItem(i)->ExportCommand.front().find("pandoc") != String::npos)
        return static_cast<int>(i);
    return -1;
  };
  const std::string soffice = "soffice -env:UserInstallation=file://" + (dir / "profile").string() +
                              " --headless --convert-to txt:Text --outdir '" + (dir / "read").string() + "' ";
  struct TRoute {
    const char* Name;
    TvlFileExportFilter Format;
    const char* Mask;  // of a converter
    const char* File;
    // How the copy is read back; the lines compared (all when 0).
    std::function<std::string(const std::string&)> Read;
    size_t Lines;
  } routes[] = {
      {"text", ffeTextANSI, nullptr, "copy.txt", [](const std::string& f) { return qytest::ReadFileBytes(f); }, 0},
      {"RTF, the office suite", ffeRTF, nullptr, "copy.rtf",
       [&](const std::string& f) {
         Output(soffice + "'" + f + "' 2>&1");
         return qytest::ReadFileBytes(dir / "read" / "copy.txt");
       },
       0},
      // Its RTF reader takes no character beyond 16 bits.
      {"RTF, the document converter", ffeRTF, nullptr, "copy.rtf",
       [](const std::string& f) { return Output("pandoc --from=rtf --to=plain --wrap=none '" + f + "'"); }, 2},
      {"web page", ffeHTML, nullptr, "copy.html",
       [](const std::string& f) { return Output("pandoc --from=html --to=plain --wrap=none '" + f + "'"); }, 0},
      {"web page with CSS", ffeHTMLCSS, nullptr, "copy-css.html",
       [](const std::string& f) { return Output("pandoc --from=html --to=plain --wrap=none '" + f + "'"); }, 0},
      {"Word via the document converter", ffeOfficeConverters, "*.docx", "copy.docx",
       [](const std::string& f) { return Output("pandoc --from=docx --to=plain --wrap=none '" + f + "'"); }, 0},
      {"Markdown via the document converter", ffeOfficeConverters, "*.md;*.markdown", "copy.md",
       [](const std::string& f) { return Output("pandoc --from=markdown --to=plain --wrap=none '" + f + "'"); }, 0},
  };
  for (const TRoute& r : routes) {
    SCOPED_TRACE(r.Name);
    const std::string file = (dir / r.File).string();
    const int converter = r.Mask ? pandocRoute(r.Mask) : -1;
    ASSERT_TRUE(!r.Mask || converter >= 0);
    ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), file, r.Format, converter));
    std::vector<std::string> expected = kSymbolLines;
    if (r.Lines) expected.resize(r.Lines);
    std::vector<std::string> read = Lines(r.Read(file));
    if (r.Lines && read.size() > r.Lines) read.resize(r.Lines);
    EXPECT_EQ(Joined(read), Joined(expected)) << qytest::ReadFileBytes(file);
  }
}

}  // namespace

namespace {

std::string NumberedRtf(const char* indents, std::initializer_list<const char*> items) {
  std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}"
      "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\leveljc0\\levelstartat1\\levelfollow0"
      "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}";
  rtf += indents;
  rtf += "}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}";
  for (const char* item : items) rtf += std::string("\\pard\\plain\\ls1\\ilvl0 ") + item + "\\par";
  return rtf + "}";
}

std::vector<std::string> Numbers(TVellumEdit* e) {
  std::vector<std::string> out;
  TVLMarkerList* markers = e->VLData()->GetMarkers(false);
  for (Integer i = 0; markers && i < markers->Count(); ++i) out.push_back(markers->GetDisplayString(i));
  return out;
}

// A numbered list inserted under the entry's own numbered list goes on
// with its numbers, whether the caret is in the list's last paragraph or
// in an empty one below it; after text, it starts anew.
TEST(OfficeDocument, AnInsertedNumberedListContinuesTheEntrysListBeforeIt) {
  qytest::TempDir dir;
  // The entry's list and the inserted one are laid out differently, as two
  // programs' lists are.
  qytest::WriteFileBytes(dir / "entry.rtf", NumberedRtf("\\fi-360\\li720", {"one", "two", "caf\\u233?"}));
  qytest::WriteFileBytes(dir / "more.rtf", NumberedRtf("\\fi-283\\li567", {"three", "four"}));
  struct TCase {
    const char* Name;
    const char* After;  // typed after the list: a new paragraph and its text
    std::vector<std::string> Expected;
  } cases[] = {// The first inserted paragraph joins the caret's, as any insertion does.
               {"in the list's last paragraph", nullptr, {"1.", "2.", "3.", "4."}},
               {"in an empty paragraph below it", "", {"1.", "2.", "3.", "4.", "5."}},
               {"after a paragraph of text", "Łódź", {"1.", "2.", "3.", "1."}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorBench b;
    MakeEmpty(b);
    ASSERT_NO_FATAL_FAILURE(InsertRtfFile(b, dir / "entry.rtf"));
    ASSERT_EQ(Numbers(b.Edit), (std::vector<std::string>{"1.", "2.", "3."}));
    const Integer last = b.Edit->ItemCount() - 1;
    b.Edit->SetCaret(last, b.Edit->GetItemEndOffset(last));
    if (c.After) {
      // A new paragraph without a number, and what is typed in it.
      b.Edit->InsertText("\r");
      if (b.Edit->VLData()->GetItemStyle(b.Edit->VLData()->GetParaStartItem(b.Edit->ItemCount() - 1)) == vlsListMarker)
        b.Edit->RemoveLists();
      if (*c.After) b.Edit->InsertText(c.After);
    }
    ASSERT_NO_FATAL_FAILURE(InsertRtfFile(b, dir / "more.rtf"));
    EXPECT_EQ(Numbers(b.Edit), c.Expected);
  }
}

}  // namespace

namespace {

// A list as a word processor saves it ("1. alpha", "2. beta" in a .docx)
// and LibreOffice turns it into RTF for Insert > File and the clipboard.
std::string OfficeNumberedList() {
  return qytest::ReadFileBytes(qytest::SourceDir() / "tests/actions/data/numbered-list-from-docx.rtf");
}

// The texts of the paragraphs, each after its marker's number and a space.
std::vector<std::string> NumberedParagraphs(TVellumEdit* e) {
  std::vector<std::string> out;
  TVLMarkerList* markers = e->VLData()->GetMarkers(false);
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    if (e->VLData()->IsParaStart(i)) out.emplace_back();
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(e->GetItem(i)))
      out.back() += markers->GetDisplayString(markers->IndexOf(m)) + " ";
    else
      out.back() += e->GetItemTextUtf8(i);
  }
  return out;
}

// Format > Numbering, "one", Enter, "two", Enter, as typed; then the office
// list goes in at the caret by Insert > File or Ctrl+V. Into the empty
// numbered paragraph its first paragraph takes that paragraph's place and
// goes on with the list; after a paragraph without a number it starts at
// its own numbers, though its list is the one the entry already uses.
TEST(OfficeDocument, AnOfficeListInsertedAtAnEmptyNumberedParagraphHasOneNumberAPara) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "list.rtf", OfficeNumberedList());
  enum TWay { InsertFile, CtrlV };
  struct TCase {
    const char* Name;
    TWay Way;
    bool FromOffice;      // the entry's list is one inserted before, not made with Format > Numbering
    const char* Between;  // typed in an unnumbered paragraph before the insertion
    std::vector<std::string> Expected;
  } cases[] = {
      {"Insert > File", InsertFile, false, nullptr, {"1. one", "2. two", "3. alpha", "4. beta"}},
      {"Ctrl+V", CtrlV, false, nullptr, {"1. one", "2. two", "3. alpha", "4. beta"}},
      {"Insert > File under the same list", InsertFile, true, nullptr, {"1. alpha", "2. beta", "3. alpha", "4. beta"}},
      {"Insert > File after text", InsertFile, true, "caf\xC3\xA9", {"1. alpha", "2. beta", "caf\xC3\xA9", "1. alpha", "2. beta"}},
      {"Ctrl+V after text", CtrlV, true, "\xC5\x81\xC3\xB3""d\xC5\xBA", {"1. alpha", "2. beta", "\xC5\x81\xC3\xB3""d\xC5\xBA", "1. alpha", "2. beta"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorBench b;
    MakeEmpty(b);
    QWidget* keys = ClientWidgetOf(b.Edit);
    auto* numbering = new TvlActionParaNumbering(b.Form);
    numbering->SetControl(b.Edit);
    if (c.FromOffice) {
      ASSERT_NO_FATAL_FAILURE(InsertRtfFile(b, dir / "list.rtf"));
      QTest::keyClick(keys, Qt::Key_Return);
    } else {
      numbering->Update();
      ASSERT_TRUE(numbering->Execute());
      qytest::TypeKeys(keys, "one");
      QTest::keyClick(keys, Qt::Key_Return);
      qytest::TypeKeys(keys, "two");
      QTest::keyClick(keys, Qt::Key_Return);
    }
    if (c.Between) {
      // Backspace takes the empty paragraph's number away.
      QTest::keyClick(keys, Qt::Key_Backspace);
      qytest::TypeKeys(keys, c.Between);
      QTest::keyClick(keys, Qt::Key_Return);
    }
    const std::vector<std::string> before = NumberedParagraphs(b.Edit);
    if (c.Way == InsertFile) {
      ASSERT_NO_FATAL_FAILURE(InsertRtfFile(b, dir / "list.rtf"));
    } else {
      Clipboard().Clear();
      Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName), OfficeNumberedList());
      QTest::keyClick(keys, Qt::Key_V, Qt::ControlModifier);
    }
    std::vector<std::string> paras = NumberedParagraphs(b.Edit);
    if (!paras.empty() && paras.back().empty()) paras.pop_back();
    EXPECT_EQ(paras, c.Expected);
    // The copy written holds one number a paragraph too.
    auto* exporter = new TvlActionExport(b.Form);
    exporter->SetControl(b.Edit);
    ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), (dir / "copy.rtf").string(), ffeRTF));
    const std::string rtf = qytest::ReadFileBytes(dir / "copy.rtf");
    size_t listTexts = 0;
    for (size_t at = rtf.find("\\listtext"); at != std::string::npos; at = rtf.find("\\listtext", at + 1)) ++listTexts;
    EXPECT_EQ(listTexts, 4u) << rtf;
    // Undo gives the empty numbered paragraph back.
    QTest::keyClick(keys, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(NumberedParagraphs(b.Edit), before);
  }
}

}  // namespace

namespace {

// Items of the entry's own numbered list, copied with Ctrl+C and pasted with
// Ctrl+V at the end of a paragraph without a number, as the program's own
// rich text or as RTF: the first pasted paragraph goes on from the caret's
// text, and the rest start at their own numbers either way instead of
// going on with the entry's list.
TEST(OfficeDocument, ListItemsPastedAfterAPlainParagraphStartAtTheirOwnNumbers) {
  for (const bool own : {true, false}) {
    SCOPED_TRACE(own ? "own rich text" : "RTF");
    TEditorBench b;
    MakeEmpty(b);
    QWidget* keys = ClientWidgetOf(b.Edit);
    auto* numbering = new TvlActionParaNumbering(b.Form);
    numbering->SetControl(b.Edit);
    numbering->Update();
    ASSERT_TRUE(numbering->Execute());
    for (const char* item : {"one", "two", "three", "four"}) {
      qytest::TypeKeys(keys, item);
      QTest::keyClick(keys, Qt::Key_Return);
    }
    QTest::keyClick(keys, Qt::Key_Backspace);
    qytest::TypeKeys(keys, "after");
    // "one" to "three", from the start of the first item's text.
    Integer first = -1, last = -1;
    for (Integer i = 0; i < b.Edit->ItemCount(); ++i) {
      if (b.Edit->GetItemTextUtf8(i) == "one") first = i;
      if (b.Edit->GetItemTextUtf8(i) == "three") last = i;
    }
    ASSERT_GE(first, 0);
    ASSERT_GE(last, 0);
    b.Edit->SetSelectionBounds(first, b.Edit->GetItemStartOffset(first), last, b.Edit->GetItemEndOffset(last));
    QTest::keyClick(keys, Qt::Key_C, Qt::ControlModifier);
    const Word format = RegisterClipboardFormat(own ? VLFClipboardFormatName : RTFClipboardFormatName);
    const AnsiString copied = Clipboard().GetData(format);
    ASSERT_FALSE(copied.empty());
    Clipboard().Clear();
    Clipboard().SetData(format, copied);
    QTest::keyClick(keys, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(keys, Qt::Key_V, Qt::ControlModifier);
    std::vector<std::string> paras = NumberedParagraphs(b.Edit);
    EXPECT_EQ(paras, (std::vector<std::string>{"1. one", "2. two", "3. three", "4. four", "afterone", "1. two",
                                               "2. three"}));
  }
}

}  // namespace

namespace {

// A bulleted .docx whose bullets are the Symbol font's middle-dot code, as
// LibreOffice writes it to RTF: the level's text is \u183 in that font (not
// the private-use form). The bullets are bullets, on screen and in the copy.
TEST(OfficeDocument, SymbolFontBulletsWrittenAsTheirEightBitCodesAreBullets) {
  qytest::TempDir dir;
  TEditorBench b;
  MakeEmpty(b);
  ASSERT_NO_FATAL_FAILURE(
      InsertRtfFile(b, qytest::SourceDir() / "tests/actions/data/symbol-bullets-from-docx.rtf"));
  TVLMarkerList* markers = b.Edit->VLData()->GetMarkers(false);
  ASSERT_NE(markers, nullptr);
  ASSERT_EQ(markers->Count(), 2);
  TVLStyle& sheet = *b.Edit->GetStyle();
  for (Integer i = 0; i < markers->Count(); ++i) {
    const TVLMarkerItemInfo* m = markers->Get(i);
    const TVLListLevel& level = *sheet.ListStyles->Items(m->ListNo)->Levels->Items(m->Level);
    ASSERT_EQ(level.ListType, vllstUnicodeBullet);
    EXPECT_EQ(WideToUtf8(level.FormatStringW), kBullet);
  }
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), (dir / "copy.txt").string(), ffeTextANSI));
  const std::string plain = qytest::ReadFileBytes(dir / "copy.txt");
  EXPECT_NE(plain.find(kBullet + " caf\xC3\xA9"), std::string::npos) << plain;
  EXPECT_NE(plain.find(kBullet + " \xC5\x81\xC3\xB3" "d\xC5\xBA"), std::string::npos) << plain;
  EXPECT_EQ(plain.find("\xC2\xB7"), std::string::npos) << plain;
}

}  // namespace
