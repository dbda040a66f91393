// Tables written to RTF, HTML and plain text: the words and markup for
// widths, spans, nesting, borders and colours; outside readers (pandoc, the
// Nu HTML Checker, Qt's HTML reader) and our own RTF reader read them back.
#include "TableTestSupport.h"

#include "platform/base/Streams.h"
#include "platform/gui/GfxColors.h"
#include "richtext/model/VLUni.h"
#include "richtext/rtf/VLRTFImport.h"

#include "support/TestSupport.h"

#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using tabletest::AllText;
using tabletest::assertGridInvariant;
using tabletest::CellText;

namespace {

std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    status = -1;
    return out;
  }
  std::array<char, 65536> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  status = pclose(p);
  return out;
}

bool HaveCommand(const std::string& name) {
  int status = 0;
  RunCommand("command -v " + name + " >/dev/null 2>&1", status);
  return status == 0;
}

// Every page in folder passes the Nu HTML checker.
void ExpectNuCheckerPasses(const fs::path& folder) {
  const char* src = std::getenv("QY_SOURCE_DIR");
  const fs::path jar =
      fs::path(src ? src : qytest::SourceDir().string()) / "tools/node_modules/vnu-jar/build/dist/vnu.jar";
  ASSERT_TRUE(fs::exists(jar)) << "the set-up installs the checker: " << jar;
  ASSERT_TRUE(HaveCommand("java"));
  int status = 0;
  const std::string out =
      RunCommand("java -jar '" + jar.string() + "' --errors-only --format gnu '" + folder.string() + "' 2>&1", status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out.find("error"), std::string::npos) << out;
}

TVLTableItemInfo* FirstTable(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) return t;
  return nullptr;
}

// "before", a table with the given cell texts (row by row), "after".
TVLTableItemInfo* AddTable(TVLDocumentData& doc, Integer rows, Integer cols,
                           const std::vector<std::string>& texts = {}) {
  VLRegisterTableItem();
  doc.AddTextItem("before", 0, 0);
  auto t = TVLTableItemInfo::CreateEx(rows, cols, &doc);
  for (size_t i = 0; i < texts.size(); ++i)
    t->GetCell(static_cast<Integer>(i) / cols, static_cast<Integer>(i) % cols)->SetItemTextA(0, texts[i]);
  TVLTableItemInfo* raw = t.get();
  doc.AddItem("", t.release());
  doc.AddTextItem("after", 0, 0);
  return raw;
}

std::string RTFOf(TVLDocumentData& doc) {
  TMemoryStream s;
  EXPECT_TRUE(doc.SaveRTFToStream(s, false, 0, clWindow, nullptr, nullptr));
  return s.Bytes();
}

std::string HTMLOf(TVLDocumentData& doc, bool css) {
  TMemoryStream s;
  Integer imgNo = 0;
  TColor cur = clNone;
  if (css)
    EXPECT_TRUE(doc.SaveHTMLToStreamCSS(s, "", "t", "img", "", "", "", TVLSaveOptions(), clNone, cur, imgNo, 0, 0,
                                        0, 0, nullptr, nullptr));
  else
    EXPECT_TRUE(doc.SaveHTMLToStream(s, "", "t", "img", TVLSaveOptions(), clNone, imgNo, 0, 0, 0, 0, nullptr,
                                     nullptr));
  return s.Bytes();
}

std::string HTMLOfPath(TVLDocumentData& doc, bool css, const String& path, TVLSaveOptions options) {
  TMemoryStream s;
  Integer imgNo = 100;
  TColor cur = clNone;
  if (css)
    EXPECT_TRUE(doc.SaveHTMLToStreamCSS(s, path, "t", "img", "", "", "", options, clNone, cur, imgNo, 0, 0, 0, 0,
                                        nullptr, nullptr));
  else
    EXPECT_TRUE(doc.SaveHTMLToStream(s, path, "t", "img", options, clNone, imgNo, 0, 0, 0, 0, nullptr, nullptr));
  return s.Bytes();
}

// Row by row, the part of the RTF from one \trowd to the next.
std::vector<std::string> RTFRows(const std::string& rtf) {
  std::vector<std::string> rows;
  for (size_t at = rtf.find("\\trowd"); at != std::string::npos;) {
    const size_t next = rtf.find("\\trowd", at + 1);
    rows.push_back(rtf.substr(at, next == std::string::npos ? std::string::npos : next - at));
    at = next;
  }
  return rows;
}

// The cell definitions of a row: the words before each \cellx.
std::vector<std::string> CellDefinitions(const std::string& row) {
  std::vector<std::string> defs;
  // Definitions start after the row's own words: at the first cell word.
  size_t start = std::string::npos;
  for (const char* w : {"\\clvmgf", "\\clmgf", "\\clvmrg", "\\clmrg", "\\clftsWidth", "\\clwWidth", "\\cellx"}) {
    const size_t at = row.find(w);
    if (at < start) start = at;
  }
  size_t from = start;
  for (size_t at = row.find("\\cellx", from); at != std::string::npos; at = row.find("\\cellx", at + 1)) {
    defs.push_back(row.substr(from, at - from));
    from = row.find_first_not_of("0123456789", at + 6);
  }
  return defs;
}

TEST(TableExport, RTFRowAndCellWords) {
  struct Case {
    const char* name;
    std::function<void(TVLTableItemInfo&)> setUp;
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      {"half the width", [](TVLTableItemInfo& t) { t.BestWidth = -50; },
       {"\\trwWidth2500\\trftsWidth2", "\\vellumtbw-50"}, {"\\trautofit1"}},
      {"pixel width", [](TVLTableItemInfo& t) { t.BestWidth = 200; t.BorderWidth = 2; },
       {"\\trwWidth3060\\trftsWidth3", "\\vellumtbw200"}, {}},
      {"automatic width", [](TVLTableItemInfo&) {}, {"\\trftsWidth1\\vellumtbw0"}, {"\\trbrdr", "\\trhdr", "\\trrh"}},
      {"padding and spacing at 15 twips a pixel",
       [](TVLTableItemInfo& t) {
         t.CellPadding = 1;
         t.CellBorderWidth = 1;
         t.CellHSpacing = 2;
       },
       {"\\trgaph45\\trleft0\\itap1", "\\trpaddl15\\trpaddt15\\trpaddr15\\trpaddb15\\trpaddfl3",
        "\\trspdl15\\trspdr15\\trspdfl3\\trspdfr3", "\\clbrdrl\\brdrinset\\brdrw15"},
       {}},
      {"flat outer border",
       [](TVLTableItemInfo& t) {
         t.BorderWidth = 1;
         t.BorderStyle = vltbColor;
         t.BorderColor = 0x0000FF;
       },
       {"\\trbrdrl\\brdrs\\brdrw15\\brdrcf", "\\trbrdrb\\brdrs\\brdrw15\\brdrcf"}, {"\\brdroutset"}},
      {"heading row, height, colour, alignment",
       [](TVLTableItemInfo& t) {
         t.HeadingRowCount = 1;
         t.GetCell(0, 0)->BestHeight = 20;
         t.GetCell(0, 1)->Color = 0x00FF00;
         t.GetCell(0, 1)->VAlign = vlcBottom;
         t.GetCell(0, 0)->VAlign = vlcMiddle;
         t.Options.Include(vltoRTFAllowAutofit);
       },
       {"\\trhdr", "\\trrh300", "\\clcbpat", "\\clvertalb", "\\clvertalc", "\\trautofit1",
        "\\vellumcbw0\\vellumcbh20"},
       {}},
      {"cell widths",
       [](TVLTableItemInfo& t) {
         t.GetCell(0, 0)->BestWidth = -25;
         t.GetCell(0, 1)->BestWidth = 40;
       },
       {"\\clwWidth1250\\clftsWidth2\\vellumcbw-25", "\\clwWidth0\\vellumcbw40"}, {"\\clftsWidth3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLTableItemInfo* t = AddTable(doc, 2, 2, {"a", "b", "c", "d"});
    c.setUp(*t);
    const std::string rtf = RTFOf(doc);
    for (const std::string& w : c.present) EXPECT_NE(rtf.find(w), std::string::npos) << w << "\n" << rtf;
    for (const std::string& w : c.absent) EXPECT_EQ(rtf.find(w), std::string::npos) << w;
    EXPECT_EQ(RTFRows(rtf).size(), 2u);
    for (const char* text : {"a\\cell}", "b\\cell}", "c\\cell}", "d\\cell}"})
      EXPECT_NE(rtf.find(text), std::string::npos) << text;
  }
}

TEST(TableExport, RTFSpanWordsAndTheGridReadBack) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 3, 3, {"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  ASSERT_TRUE(t->MergeCells(0, 0, 2, 2));
  t->BestWidth = -50;
  t->GetCell(2, 2)->BestWidth = 33;
  const std::string rtf = RTFOf(doc);
  const std::vector<std::string> rows = RTFRows(rtf);
  ASSERT_EQ(rows.size(), 3u);
  const std::vector<std::string> row0 = CellDefinitions(rows[0]), row1 = CellDefinitions(rows[1]);
  ASSERT_EQ(row0.size(), 3u);
  ASSERT_EQ(row1.size(), 3u);
  EXPECT_EQ(row0[0].substr(0, 13), "\\clvmgf\\clmgf");
  EXPECT_EQ(row0[1].substr(0, 13), "\\clmrg\\clvmgf");
  EXPECT_EQ(row1[0].substr(0, 13), "\\clvmrg\\clmgf");
  EXPECT_EQ(row1[1].substr(0, 13), "\\clvmrg\\clmrg");
  EXPECT_EQ(row1[2].find("\\clvmrg"), std::string::npos);
  // The right edges grow from column to column.
  Integer last = 0;
  for (const std::string& row : rows)
    for (size_t at = row.find("\\cellx"), n = 0; at != std::string::npos; at = row.find("\\cellx", at + 1), ++n) {
      const Integer x = std::stoi(row.substr(at + 6));
      if (n > 0) {
        EXPECT_GT(x, last);
      }
      last = x;
    }

  TVLDocumentData back(&style);
  TVLRTFReaderProperties props;
  TStringStream s(rtf);
  props.ReadFromStream(s, &back);
  TVLTableItemInfo* b = FirstTable(back);
  ASSERT_TRUE(b);
  EXPECT_TRUE(assertGridInvariant(*b));
  // Every cell's span and text: the block's merge words once widened it
  // over the next column of its rows.
  EXPECT_EQ(tabletest::Cells(*t), "3x3: abde[2x2] . c / . . f / g h i");
  EXPECT_EQ(tabletest::Cells(*b), tabletest::Cells(*t));
  EXPECT_EQ(b->BestWidth, -50);
  ASSERT_TRUE(b->GetCell(2, 2));
  EXPECT_EQ(b->GetCell(2, 2)->BestWidth, 33);
}

TEST(TableExport, NestedTablesUseTheNestedWords) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 1, 2, {"outer"});
  TVLTableCellData* host = t->GetCell(0, 1);
  auto inner = TVLTableItemInfo::CreateEx(1, 2, host);
  inner->GetCell(0, 0)->SetItemTextA(0, "x");
  inner->GetCell(0, 1)->SetItemTextA(0, "y");
  host->AddItem("", inner.release());
  const std::string rtf = RTFOf(doc);
  for (const char* w : {"{\\*\\nesttableprops\\trowd", "\\itap2", "x\\nestcell}", "y\\nestcell}", "\\nestrow}",
                        "outer\\cell}", "\\itap1\\row}"})
    EXPECT_NE(rtf.find(w), std::string::npos) << w << "\n" << rtf;
  // Braces balance.
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
      continue;
    }
    if (rtf[i] == '{') ++depth;
    if (rtf[i] == '}') {
      EXPECT_GE(--depth, 0);
    }
  }
  EXPECT_EQ(depth, 0);
}

TEST(TableExport, PandocReadsTheRTFTable) {
  if (!HaveCommand("pandoc")) GTEST_SKIP() << "pandoc is not installed (scripts/setup.sh installs it)";
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 3, 3, {"alpha", "beta", "gamma", "delta", "eps", "zeta", "eta", "theta", "iota"});
  ASSERT_TRUE(t->MergeCells(1, 1, 2, 1));
  qytest::TempDir temp;
  const fs::path file = temp.path() / "table.rtf";
  std::ofstream(file, std::ios::binary) << RTFOf(doc);
  int status = 0;
  const std::string html = RunCommand("pandoc -f rtf -t html '" + file.string() + "' 2>&1", status);
  ASSERT_EQ(status, 0) << html;
  const size_t open = html.find("<table"), close = html.find("</table>");
  ASSERT_NE(open, std::string::npos) << html;
  ASSERT_NE(close, std::string::npos) << html;
  const std::string table = html.substr(open, close - open);
  for (const char* text : {"alpha", "beta", "gamma", "delta", "eps", "eta", "theta", "iota"})
    EXPECT_NE(table.find(text), std::string::npos) << text << "\n" << html;
  EXPECT_LT(html.find("before"), open);
  EXPECT_GT(html.find("after"), close);
}

TEST(TableExport, HTMLMarkup) {
  struct Case {
    const char* name;
    std::function<void(TVLTableItemInfo&)> setUp;
    std::vector<std::string> present, absent;
  };
  const Case cases[] = {
      {"full width", [](TVLTableItemInfo& t) { t.BestWidth = -100; }, {"width: 100%;"}, {}},
      {"automatic width, as wide as the window", [](TVLTableItemInfo&) {}, {"<TABLE style=\"width: 100%;"}, {}},
      {"automatic width, as wide as its columns",
       [](TVLTableItemInfo& t) {
         for (Integer r = 0; r < 2; ++r)
           for (Integer c = 0; c < 2; ++c) t.GetCell(r, c)->BestWidth = 60;
       },
       {"<TABLE style=\"background-color: #FFFFFF;", "width: 60px;"}, {"<TABLE style=\"width:"}},
      {"spacing", [](TVLTableItemInfo& t) { t.CellVSpacing = 2; t.CellHSpacing = 3; },
       {"border-spacing: 3px 2px;"}, {}},
      {"cell colour as the table's",
       [](TVLTableItemInfo& t) {
         t.Color = 0x0000FF;
         t.GetCell(0, 0)->Color = 0x0000FF;
         t.GetCell(0, 1)->Color = 0x00FF00;
       },
       {"background-color: #FF0000;", "<TD style=\"background-color: #00FF00;"}, {"<TD style=\"background-color: #FF0000;"}},
      {"empty cell", [](TVLTableItemInfo& t) { t.GetCell(1, 1)->SetItemTextA(0, ""); }, {">&nbsp;\r\n</TD>"}, {}},
      {"spans and sizes",
       [](TVLTableItemInfo& t) {
         t.MergeCells(0, 0, 2, 1);
         t.GetCell(1, 0)->BestWidth = 50;
         t.GetCell(1, 0)->BestHeight = 20;
         t.GetCell(1, 0)->VAlign = vlcBottom;
       },
       {"<TD colspan=\"2\"", "width: 50px; height: 20px;", "vertical-align: bottom;"}, {"rowspan"}},
      {"borders",
       [](TVLTableItemInfo& t) {
         t.BorderWidth = 2;
         t.BorderStyle = vltbRaised;
         t.CellBorderWidth = 1;
         t.CellBorderStyle = vltbColor;
         t.CellBorderColor = 0x00FF00;
         t.GetCell(1, 1)->VisibleBorders.SetValues(true, false, true, true);
       },
       {"border-width: 2px; border-style: outset;", "border-width: 1px; border-style: solid; border-color: #00FF00;",
        "border-top: none;"},
       {}},
  };
  for (const Case& c : cases) {
    for (bool css : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (css ? " (CSS)" : ""));
      TVLStyle style(nullptr);
      TVLDocumentData doc(&style);
      TVLTableItemInfo* t = AddTable(doc, 2, 2, {"a", "b", "c", "d"});
      c.setUp(*t);
      const std::string html = HTMLOf(doc, css);
      for (const std::string& w : c.present) EXPECT_NE(html.find(w), std::string::npos) << w << "\n" << html;
      for (const std::string& w : c.absent) EXPECT_EQ(html.find(w), std::string::npos) << w << "\n" << html;
      EXPECT_LT(html.find("before"), html.find("<TABLE"));
      EXPECT_GT(html.find("after"), html.find("</TABLE>"));
    }
  }
}

TEST(TableExport, HTMLPassesTheCheckerAndReadsAsATable) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo* t = AddTable(doc, 3, 3, {"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  ASSERT_TRUE(t->MergeCells(0, 0, 2, 1));
  ASSERT_TRUE(t->MergeCells(1, 2, 1, 2));
  t->BestWidth = -80;
  t->BorderWidth = 1;
  t->BorderStyle = vltbLoweredColor;
  t->CellBorderWidth = 1;
  t->GetCell(1, 0)->Color = 0xC0FFC0;
  t->GetCell(2, 0)->VisibleBorders.SetValues(false, true, true, false);
  TVLTableCellData* host = t->GetCell(2, 1);
  auto inner = TVLTableItemInfo::CreateEx(1, 2, host);
  inner->GetCell(0, 0)->SetItemTextA(0, "x");
  host->AddItem("", inner.release());

  qytest::TempDir temp;
  for (bool css : {false, true}) {
    SCOPED_TRACE(css ? "CSS" : "plain");
    const std::string html = HTMLOf(doc, css);
    std::ofstream(temp.path() / (css ? "css.html" : "plain.html"), std::ios::binary) << html;
    QTextDocument q;
    q.setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    QTextTable* table = nullptr;
    for (QTextFrame* f : q.rootFrame()->childFrames())
      if ((table = qobject_cast<QTextTable*>(f))) break;
    ASSERT_TRUE(table) << html;
    EXPECT_EQ(table->rows(), 3);
    EXPECT_EQ(table->columns(), 3);
    EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(table->cellAt(1, 2).rowSpan(), 2);
    QTextCursor cell = table->cellAt(1, 1).firstCursorPosition();
    cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    EXPECT_EQ(cell.selectedText().trimmed().toStdString(), "e");
  }

  ExpectNuCheckerPasses(temp.path());
}

// A bitmap of one colour.
std::unique_ptr<TBitmap> Plain(Integer w, Integer h, TColor color) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  bmp->Canvas()->Brush.Color = color;
  bmp->Canvas()->FillRect(TRect(0, 0, w, h));
  bmp->Canvas()->ReleaseHandle();
  return bmp;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

// The table's and the cells' pictures are files beside the page, named in
// the style of their element, for both writers; the page passes the
// checker, and a browser engine draws the pictures behind the table.
TEST(TableExport, HTMLBackgroundPicturesAreFilesBehindTheTable) {
  qytest::TempDir temp;
  for (bool css : {false, true}) {
    SCOPED_TRACE(css ? "CSS" : "plain");
    const fs::path dir = temp.path() / (css ? "css" : "plain");
    fs::create_directories(dir);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLTableItemInfo* t = AddTable(doc, 2, 2, {"caf\xE9", "b", "c", "d"});
    t->BestWidth = 300;
    t->Color = clNone;
    t->SetBackgroundImage(Plain(40, 40, 0x0000FF));  // red
    t->SetBackgroundStyle(vlbsTiled);
    t->GetCell(0, 1)->SetBackgroundImage(Plain(10, 10, 0xFF0000));  // blue
    t->GetCell(0, 1)->SetBackgroundStyle(vlbsStretched);
    Integer imgNo = 0;
    TColor current = clNone;
    const String page = (dir / "page.html").string();
    if (css)
      ASSERT_TRUE(doc.SaveCSSHTMLFile(page, "t", "img", "", "", "", TVLSaveOptions(), clWhite, current, imgNo, 0, 0,
                                      0, 0, nullptr));
    else
      ASSERT_TRUE(doc.SaveHTMLFile(page, "t", "img", TVLSaveOptions(), clWhite, imgNo, 0, 0, 0, 0, nullptr));
    const std::string html = ReadFile(page);
    const size_t table = html.find("<TABLE");
    ASSERT_NE(table, std::string::npos) << html;
    const std::string tableTag = html.substr(table, html.find('>', table) - table);
    EXPECT_NE(tableTag.find("background-image: url('img1.png');"), std::string::npos) << tableTag;
    const size_t second = html.find("<TD", html.find("<TD", table) + 1);
    const std::string cellTag = html.substr(second, html.find('>', second) - second);
    EXPECT_NE(cellTag.find("background-image: url('img2.png');"), std::string::npos) << cellTag;
    EXPECT_NE(cellTag.find("background-repeat: no-repeat;"), std::string::npos) << cellTag;
    EXPECT_NE(cellTag.find("background-size: 100% 100%;"), std::string::npos) << cellTag;
    for (const char* name : {"img1.png", "img2.png"}) {
      QImage image(QString::fromStdString((dir / name).string()));
      ASSERT_FALSE(image.isNull()) << name;
    }
    EXPECT_EQ(QImage(QString::fromStdString((dir / "img1.png").string())).pixelColor(5, 5), QColor(255, 0, 0));

    // A picture's own file when asked for, relative to the page.
    t->GetCell(0, 1)->BackgroundImageFileName = (dir / "pictures" / "sky blue.png").string();
    TVLSaveOptions own;
    own.Include(vlsoUseItemImageFileNames);
    const std::string named = HTMLOfPath(doc, css, dir.string(), own);
    EXPECT_NE(named.find("background-image: url('pictures/sky%20blue.png');"), std::string::npos) << named;
    // The application's answer replaces the file.
    doc.ExportEvents.OnHTMLSaveImage = [](TCustomVLData*, Integer, const String&, TColor, bool& doDefault,
                                          String& location) {
      doDefault = false;
      location = "shared\\back.png";
    };
    const std::string answered = HTMLOfPath(doc, css, dir.string(), TVLSaveOptions());
    EXPECT_NE(answered.find("background-image: url('shared/back.png');"), std::string::npos) << answered;
    ExpectNuCheckerPasses(page);
  }

  // The browser engine's picture of the page: red behind the table's first
  // cell, blue over the second.
  const char* browsers[] = {"chromium", "chromium-browser"};
  const char* browser = nullptr;
  for (const char* b : browsers)
    if (HaveCommand(b)) browser = b;
  if (!browser) GTEST_SKIP() << "no headless browser to look at the page";
  for (const char* name : {"plain", "css"}) {
    SCOPED_TRACE(name);
    const fs::path shot = temp.path() / (std::string(name) + ".png");
    const fs::path profile = temp.path() / (std::string(name) + "-profile");
    int status = 0;
    const std::string out = RunCommand("timeout 90 " + std::string(browser) +
                                           " --headless --no-sandbox --disable-gpu --disable-background-networking"
                                           " --user-data-dir='" + profile.string() + "' --window-size=600,400"
                                           " --screenshot='" + shot.string() + "' 'file://" +
                                           (temp.path() / name / "page.html").string() + "' 2>&1",
                                       status);
    QImage image(QString::fromStdString(shot.string()));
    ASSERT_FALSE(image.isNull()) << out;
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2) {
        const QColor c = image.pixelColor(x, y);
        red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
      }
    EXPECT_GT(red, 100);
    EXPECT_GT(blue, 100);
  }
}

// A browser draws each table as wide as the table is in the editor: the
// whole width available (set so, or without a width of its own and of its
// columns'), a share of it, or its pixels; not shrunk to its content.
TEST(TableExport, HTMLTablesAreAsWideInTheBrowserAsInTheEditor) {
  const char* browser = nullptr;
  for (const char* b : {"chromium", "chromium-browser"})
    if (HaveCommand(b)) browser = b;
  if (!browser) GTEST_SKIP() << "no headless browser to look at the page";
  struct TCase {
    const char* Name;
    Integer BestWidth;
    TColor Color;  // the table's, to find it in the picture
    int Low, High;  // its width in the browser's pixels
  };
  // The window is 600 pixels wide, and the page has no margins of its own.
  const TCase cases[] = {
      {"100 % of the window", -100, 0x0000FF, 596, 600},
      {"automatic, columns without widths", 0, 0x00C000, 596, 600},
      {"half the window", -50, 0xFF0000, 296, 304},
      {"280 pixels", 280, 0x00FFFF, 276, 284},
  };
  qytest::TempDir temp;
  for (bool css : {false, true}) {
    SCOPED_TRACE(css ? "CSS" : "plain");
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    for (const TCase& c : cases) {
      TVLTableItemInfo* t = AddTable(doc, 2, 2, {"caf\xE9", "b", "c", "d"});
      t->BestWidth = c.BestWidth;
      t->Color = c.Color;
    }
    const fs::path page = temp.path() / (css ? "css.html" : "plain.html");
    std::ofstream(page, std::ios::binary) << HTMLOf(doc, css);
    const fs::path shot = temp.path() / (css ? "css.png" : "plain.png");
    int status = 0;
    const std::string out = RunCommand("timeout 90 " + std::string(browser) +
                                           " --headless --no-sandbox --disable-gpu --disable-background-networking"
                                           " --user-data-dir='" + (temp.path() / "profile").string() +
                                           "' --window-size=600,600 --hide-scrollbars --screenshot='" +
                                           shot.string() + "' 'file://" + page.string() + "' 2>&1",
                                       status);
    QImage image(QString::fromStdString(shot.string()));
    ASSERT_FALSE(image.isNull()) << out;
    for (const TCase& c : cases) {
      SCOPED_TRACE(c.Name);
      const QColor want(static_cast<int>(c.Color & 0xFF), static_cast<int>((c.Color >> 8) & 0xFF),
                        static_cast<int>((c.Color >> 16) & 0xFF));
      int widest = 0;
      for (int y = 0; y < image.height(); ++y) {
        int left = -1, right = -1;
        for (int x = 0; x < image.width(); ++x)
          if (image.pixelColor(x, y) == want) {
            if (left < 0) left = x;
            right = x;
          }
        if (left >= 0) widest = std::max(widest, right - left + 1);
      }
      EXPECT_GE(widest, c.Low);
      EXPECT_LE(widest, c.High);
    }
  }
}

TEST(TableExport, PlainText) {
  struct Case {
    const char* name;
    bool merge, unicode;
    std::string expected;
  };
  const Case cases[] = {
      {"2 x 2", false, false, "a\tb\r\nc\td\r\n"},
      {"top row merged", true, false, "ab\t\r\nc\td\r\n"},
      {"Unicode", false, true, "a\tb\r\nc\td\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLTableItemInfo* t = AddTable(doc, 2, 2, {c.merge ? "ab" : "a", c.merge ? "" : "b", "c", "d"});
    t->TextColSeparator = "\t";
    t->TextRowSeparator = "\r\n";
    if (c.merge) {
      ASSERT_TRUE(t->MergeCells(0, 0, 2, 1));
      EXPECT_EQ(CellText(t->GetCell(0, 0)), "ab");
    }
    const std::string expected = c.unicode ? AnsiToRawUnicode(c.expected, 1252) : c.expected;
    EXPECT_EQ(t->AsText(0, &doc, "", "", false, c.unicode), expected);
    TMemoryStream s;
    ASSERT_TRUE(doc.SaveTextToStream("", s, 0, false, false, c.unicode, false));
    const std::string whole = "before\r\n" + c.expected + "\r\nafter";
    EXPECT_EQ(s.Bytes(), c.unicode ? AnsiToRawUnicode(whole, 1252) : whole);
    // Text-only output keeps the table's text.
    TMemoryStream textOnly;
    ASSERT_TRUE(doc.SaveTextToStream("", textOnly, 0, false, true, false, false));
    EXPECT_EQ(textOnly.Bytes(), "before\r\n" + c.expected + "\r\nafter");
  }
}

// The texts of every cell in reading order, nested tables after their
// cell's own text.
void CellTexts(TCustomVLData& doc, std::vector<std::string>& out) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i) {
    auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i));
    if (!t) continue;
    for (Integer r = 0; r < t->RowCount(); ++r)
      for (Integer c = 0; c < t->ColCount(); ++c)
        if (TVLTableCellData* cell = t->GetCell(r, c)) {
          std::string s;
          for (Integer k = 0; k < cell->GetItemCount(); ++k)
            if (cell->GetItem(k)->StyleNo >= 0) {
              std::string part = cell->GetItemTextA(k);
              if (cell->GetItem(k)->IsUnicode()) part = RawUnicodeToAnsi(part, 65001);
              s += part;
            }
          while (!s.empty() && s.back() == ' ') s.pop_back();
          out.push_back(s);
          CellTexts(*cell, out);
        }
  }
}

TEST(TableExport, ProjectRTFFilesWithTablesSurviveVLFAndRTF) {
  VLRegisterTableItem();
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(qytest::SourceDir() / "tests"))
    if (e.is_regular_file() && e.path().extension() == ".rtf") {
      const std::string bytes = qytest::ReadFileBytes(e.path());
      if (bytes.find("\\trowd") != std::string::npos) files.push_back(e.path());
    }
  ASSERT_GE(files.size(), 7u);
  size_t checked = 0;
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    TVLStyle style(nullptr);
    TVLDocumentData first(&style);
    {
      TVLRTFReaderProperties props;
      TStringStream s(qytest::ReadFileBytes(file));
      props.ReadFromStream(s, &first);
    }
    std::vector<std::string> expected;
    CellTexts(first, expected);
    if (expected.empty()) continue;  // a damaged file whose table did not survive the import
    ++checked;
    TMemoryStream vlf;
    ASSERT_TRUE(first.SaveVLFToStream(vlf, false, clNone, nullptr, bsNoBitmap, nullptr));
    vlf.SetPosition(0);
    TVLDocumentData reloaded(&style);
    TColor color = clNone;
    ASSERT_TRUE(reloaded.LoadVLFFromStream(vlf, color, nullptr, nullptr, nullptr));
    EXPECT_FALSE(reloaded.GetVLFWarnings().Contains(vlfwTableGridRepaired));
    TMemoryStream rtf;
    ASSERT_TRUE(reloaded.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
    TVLDocumentData last(&style);
    {
      TVLRTFReaderProperties props;
      TStringStream s(rtf.Bytes());
      props.ReadFromStream(s, &last);
    }
    std::vector<std::string> got;
    CellTexts(last, got);
    EXPECT_EQ(got, expected);
  }
  EXPECT_GE(checked, 7u);
}

// HTML of every imported table passes the checker: tables whose file gives
// no cell spacing had "border-spacing: -1px -1px" and negative padding, and
// rows that repeat a \cellx with \clmgf/\clmrg made grid columns in which
// no cell starts ("Table column N ... has no cells beginning in it").
TEST(TableExport, HTMLOfImportedTablesPassesTheChecker) {
  VLRegisterTableItem();
  std::vector<std::pair<std::string, std::string>> sources;
  for (const auto& e : fs::recursive_directory_iterator(qytest::SourceDir() / "tests"))
    if (e.is_regular_file() && e.path().extension() == ".rtf") {
      const std::string bytes = qytest::ReadFileBytes(e.path());
      if (bytes.find("\\trowd") != std::string::npos) sources.emplace_back(e.path().stem().string(), bytes);
    }
  ASSERT_GE(sources.size(), 10u);
  // Merged cells over repeated edges; a row that starts in no column of
  // its own; a column nothing starts in.
  sources.emplace_back("repeated-edges",
                       "{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx1000\\cellx2000\\pard\\intbl a\\cell\\cell b\\cell\\row"
                       "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c\\cell d\\cell\\row}");
  qytest::TempDir temp;
  size_t tables = 0;
  for (const auto& [name, rtf] : sources) {
    SCOPED_TRACE(name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    TStringStream in(rtf);
    props.ReadFromStream(in, &doc);
    if (!FirstTable(doc)) continue;
    ++tables;
    for (bool css : {false, true}) {
      const std::string html = HTMLOf(doc, css);
      EXPECT_EQ(html.find("-1px"), std::string::npos);
      std::ofstream(temp.path() / (name + (css ? "-css.html" : ".html")), std::ios::binary) << html;
    }
  }
  EXPECT_GE(tables, 10u);
  // Grids with a column and a row in which no cell starts, with collapsed
  // spacing.
  struct Gap {
    const char* name;
    Integer rows, cols;
    std::vector<std::array<Integer, 4>> merges;  // row, col, colSpan, rowSpan
  };
  const Gap gaps[] = {
      {"column", 2, 3, {{0, 0, 2, 1}, {1, 0, 2, 1}}},
      {"row", 3, 2, {{0, 0, 1, 2}, {0, 1, 1, 2}}},
  };
  for (const Gap& g : gaps) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLTableItemInfo* t = AddTable(doc, g.rows, g.cols, {"a", "b", "c", "d", "e", "f"});
    for (const auto& m : g.merges) ASSERT_TRUE(t->Rows.MergeCells(m[0], m[1], m[2], m[3], true));
    t->CellHSpacing = t->CellVSpacing = -1;
    for (bool css : {false, true})
      std::ofstream(temp.path() / (std::string("gap-") + g.name + (css ? "-css.html" : ".html")), std::ios::binary)
          << HTMLOf(doc, css);
  }
  ExpectNuCheckerPasses(temp.path());
}

}  // namespace
