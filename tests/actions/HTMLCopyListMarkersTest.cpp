// The web page copy with CSS of lists whose paragraphs have a hanging
// indent: in a browser no list marker is drawn over its item's text.
#include "actions/VLActionsFile.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QImage>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

bool HaveCommand(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Numbered and bulleted lists, their paragraphs indented as an office suite
// writes them: the first line hangs out to the marker.
const char kLists[] =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable"
    "{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\li720\\fi-360}"
    "\\listid1}"
    "{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\li720\\fi-360}\\listid2}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}"
    "\\pard Before.\\par"
    "\\pard\\ls1\\ilvl0\\fi-480\\li720 alpha\\par\\pard\\ls1\\ilvl0\\fi-480\\li720 beta\\par"
    "\\pard\\ls1\\ilvl0\\fi-480\\li720 gamma\\par\\pard\\ls1\\ilvl0\\fi-480\\li720 bea\\par"
    "\\pard Between.\\par"
    "\\pard\\ls2\\ilvl0\\fi-480\\li720 bullet one\\par\\pard\\ls2\\ilvl0\\fi-480\\li720 bullet two\\par"
    "\\pard After.\\par}";

// The page in the browser with only the markers, or only the text, drawn
// (in black on white).
QImage Picture(const char* browser, const fs::path& page, const fs::path& work, bool markers) {
  std::string html = qytest::ReadFileBytes(page);
  const std::string only = markers ? "body, body * { color: transparent !important; }"
                                     " li::marker { color: #000 !important; }"
                                   : "body, body * { color: #000 !important; }"
                                     " li::marker { color: transparent !important; }";
  const size_t head = html.find("</HEAD>");
  if (head == std::string::npos) return QImage();
  html.insert(head, "<style>" + only + "</style>");
  const fs::path shown = work / (markers ? "markers.html" : "text.html");
  qytest::WriteFileBytes(shown, html);
  const fs::path shot = work / (markers ? "markers.png" : "text.png");
  const std::string command = "timeout 90 " + std::string(browser) +
                              " --headless --no-sandbox --disable-gpu --disable-background-networking"
                              " --user-data-dir='" + (work / "profile").string() +
                              "' --window-size=600,500 --hide-scrollbars --screenshot='" + shot.string() +
                              "' 'file://" + shown.string() + "' >/dev/null 2>&1";
  std::system(command.c_str());
  return QImage(QString::fromStdString(shot.string()));
}

bool Ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

TEST(HTMLCopyListMarkers, NoMarkerIsDrawnOverItsText) {
  const char* browser = nullptr;
  for (const char* b : {"chromium", "chromium-browser"})
    if (HaveCommand(b)) browser = b;
  if (!browser) GTEST_SKIP() << "no headless browser to look at the page";
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "lists.rtf", kLists);
  TEditorBench b;
  ASSERT_TRUE(b.Edit->LoadRTF((dir / "lists.rtf").string()));
  b.Edit->Format();
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  const fs::path page = dir / "lists.htm";
  ASSERT_TRUE(exporter->Export(ActionEditorOf(b.Edit), page.string(), ffeHTMLCSS));
  const QImage markers = Picture(browser, page, dir.path(), true);
  const QImage text = Picture(browser, page, dir.path(), false);
  ASSERT_FALSE(markers.isNull());
  ASSERT_FALSE(text.isNull());
  // Row by row: the markers' ink ends left of where the text's starts.
  int rows = 0;
  for (int y = 0; y < markers.height() && y < text.height(); ++y) {
    int markerRight = -1, textLeft = -1;
    for (int x = 0; x < markers.width(); ++x)
      if (Ink(markers, x, y)) markerRight = x;
    for (int x = 0; x < text.width() && textLeft < 0; ++x)
      if (Ink(text, x, y)) textLeft = x;
    if (markerRight < 0 || textLeft < 0) continue;
    ++rows;
    EXPECT_LT(markerRight, textLeft) << "row " << y << "\n" << qytest::ReadFileBytes(page);
    if (markerRight >= textLeft) break;
  }
  EXPECT_GT(rows, 20) << "the markers were drawn";
}

}  // namespace
