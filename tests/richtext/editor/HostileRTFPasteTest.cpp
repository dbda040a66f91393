// Rich text from the clipboard that reopens its own list or override table
// (and fuzzer finds of that shape): the paste goes in or is refused with a
// message, and the text typed before it is still there and undoes back to
// itself.
#include "EditorFixture.h"

#include "platform/gui/Clipbrd.h"
#include "richtext/rtf/VLRTFImport.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace qytest;

TEST(HostileRTFPaste, TypedTextSurvives) {
  VLRegisterRTFReader();
  struct TCase {
    const char* File;
    const char* Expected;  // the document after pasting into "ab|cd"
    bool Told;             // refused, with a message
  } cases[] = {
      {"rtf-list-reentry.rtf", "abcd", false},
      {"rtf-override-reentry.rtf", "abcd", false},
      // Cut short: unreadable, so nothing goes in, and the user is told.
      {"fuzz-crash-list-1.rtf", "abcd", true},
      {"fuzz-crash-list-2.rtf", "abcd", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    const std::string rtf = ReadFileBytes(SourceDir() / "tests/richtext/rtf/data" / c.File);
    ASSERT_FALSE(rtf.empty());
    TEditor e;
    e.Type("abcd");
    e.Key(Qt::Key_Left);
    e.Key(Qt::Key_Left);
    auto* m = new QMimeData;
    m->setData("text/rtf", QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
    QGuiApplication::clipboard()->setMimeData(m);
    ASSERT_TRUE(e.Edit->CanPaste());
    TInteractionScript script;
    if (c.Told) script.Answer(IDOK);
    e.Edit->Paste();
    EXPECT_EQ(e.Text(), c.Expected);
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(script.Shown.size(), c.Told ? 1u : 0u);
    // Typing goes on where the caret stands.
    e.Type("X");
    EXPECT_EQ(e.Text(), "abXcd");
    e.Edit->Undo();
    EXPECT_EQ(e.Text(), "abcd");
  }
}
