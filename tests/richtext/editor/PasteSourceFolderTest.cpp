// Pasted rich text takes its linked pictures from the folder of the page it
// was copied from, as the clipboard's "HTML Format" header names it; plain
// "text/html" has no such header and gives no folder.
#include "support/TestSupport.h"
#include "EditorFixture.h"

#include "platform/gui/Clipbrd.h"
#include "richtext/rtf/VLRTFImport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <filesystem>

using namespace qytest;

TEST(PasteSourceFolder, TheFolderOfTheSourceAddress) {
  struct TCase {
    const char* What;
    std::string Block;
    const char* Folder;
  } cases[] = {
      {"a local file, escapes decoded",
       "Version:0.9\r\nStartHTML:000000105\r\nSourceURL:file:///home/ann/My%20Notes/page.html\r\n<html>",
       "/home/ann/My Notes/"},
      {"a web page", "Version:0.9\r\nSourceURL:http://example.org/dir/page.html\r\n<html>", "http://example.org/dir/"},
      {"the scheme in capitals", "SourceURL:HTTP://Example.org/a/b.htm\n", "http://Example.org/a/"},
      {"another scheme keeps its address", "SourceURL:https://example.org/x/y.html\r\n", "https://example.org/x/"},
      {"backslashes of a Windows path", "SourceURL:file:///C:\\Docs\\a.htm\r\n", "/C:/Docs/"},
      {"ends at a zero byte", std::string("SourceURL:file:///tmp/a/b.html\0/more/x", 38), "/tmp/a/"},
      {"no folder in the address", "SourceURL:page.html\r\n", ""},
      {"no header", "<html><body>words</body></html>", ""},
      {"nothing", "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(VLHTMLSourceFolder(c.Block), c.Folder);
  }
}

TEST(PasteSourceFolder, LinkedPicturesOfPastedRichTextComeFromThatFolder) {
  VLRegisterRTFReader();
  namespace fs = std::filesystem;
  const qytest::TempDir tmp;
  const fs::path dir = tmp / "paste source";
  fs::create_directories(dir);
  TBitmap(6, 4).SaveToFile((dir / "pic.bmp").string());
  const QByteArray rtf = "{\\rtf1 {\\field{\\*\\fldinst INCLUDEPICTURE \"pic.bmp\"}{\\fldrslt }}x}";
  const QByteArray header =
      "Version:0.9\r\nSourceURL:" + QUrl::fromLocalFile(QString::fromStdString((dir / "page.html").string())).toEncoded() +
      "\r\n<html><body>x</body></html>";
  struct TCase {
    const char* What;
    const char* Mime;  // where the header travels
    const char* Expected;
  } cases[] = {
      {"the header names the folder: the picture goes in", "HTML Format", "ab#xcd"},
      {"plain HTML has no header: no picture", "text/html", "abxcd"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    e.Type("abcd");
    e.Key(Qt::Key_Left);
    e.Key(Qt::Key_Left);
    auto* m = new QMimeData;
    m->setData("text/rtf", rtf);
    m->setData(c.Mime, header);
    QGuiApplication::clipboard()->setMimeData(m);
    e.Edit->Paste();
    EXPECT_EQ(e.Text(), c.Expected);
    EXPECT_EQ(e.Edit->GetRTFReadProperties()->GetBasePath(), "") << "the reader's folder is back as it was";
  }
}

// Reader settings belong to each view: what one editor sets (its style
// modes, the folder of a paste) never reaches another.
TEST(PasteSourceFolder, EachViewReadsRTFWithSettingsOfItsOwn) {
  VLRegisterRTFReader();
  TEditor a, b;
  auto* ra = dynamic_cast<TVLRTFReaderProperties*>(a.Edit->GetRTFReadProperties());
  auto* rb = dynamic_cast<TVLRTFReaderProperties*>(b.Edit->GetRTFReadProperties());
  ASSERT_NE(ra, nullptr);
  ASSERT_NE(rb, nullptr);
  EXPECT_NE(ra, rb);
  EXPECT_EQ(a.Edit->GetRTFReadProperties(), ra) << "made once";
  EXPECT_NE(static_cast<TVLRTFReadHook*>(ra), VLGetRTFReadHook());
  // Both start from the program's defaults.
  EXPECT_EQ(ra->UnicodeMode, VLDefaultRTFReaderProperties().UnicodeMode);
  EXPECT_EQ(ra->TextStyleMode, VLDefaultRTFReaderProperties().TextStyleMode);
  ra->TextStyleMode = vlrsUseClosest;
  ra->SetBasePath("/tmp/elsewhere/");
  EXPECT_EQ(rb->TextStyleMode, VLDefaultRTFReaderProperties().TextStyleMode);
  EXPECT_EQ(rb->GetBasePath(), "");
  EXPECT_EQ(VLDefaultRTFReaderProperties().TextStyleMode, vlrsAddIfNeeded);
}
