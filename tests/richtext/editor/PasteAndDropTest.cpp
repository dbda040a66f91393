// Paste and drag and drop on the editor control: VLF of another editor with
// its styles mapped and its pictures, a picture from the clipboard, the
// effect a drop takes (own drag with and without Ctrl, a foreign drag, a
// move-only source), moves within one editor, and drops that cannot go in
// leaving both documents as they were.
#include "support/TestSupport.h"
#include "EditorFixture.h"
#include "support/FifoWatch.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/DragDrop.h"
#include "richtext/model/VLItem.h"
#include "richtext/view/VLCopy.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>

#include <sys/stat.h>

using namespace qytest;

namespace {

AnsiString Vlf(TEditor& e) {
  TMemoryStream s;
  e.Edit->SaveVLFToStream(s, false);
  return s.Bytes();
}

// The client point of item itemNo at offset offs (the middle of its line).
TPoint PointOf(TEditor& e, Integer itemNo, Integer offs) {
  TVLEditVLData& d = e.D();
  Integer n, o;
  d.Item2DrawItem(itemNo, offs, n, o);
  const TVLDrawLineInfo* di = d.DrawItems[n];
  TVLDragDropCaretInfo info;
  VLSetDragDropCaret(d, d.GetCanvas(), itemNo, offs, info);
  return TPoint(info.X - d.GetHOffset(), di->Top + di->Height / 2 - d.GetVOffset());
}

// Sends a whole drag (enter, move, drop) over target at client point pt;
// answers the effect the drop took (DROPEFFECT_NONE when refused).
int SendDrop(TEditor& target, const QMimeData* data, TPoint pt, int allowed, bool ctrl) {
  QWidget* w = target.W();
  const TPoint o = ClientOriginOf(target.Edit);
  const QPoint p(pt.X + o.X, pt.Y + o.Y);
  Qt::DropActions actions;
  if (allowed & DROPEFFECT_COPY) actions |= Qt::CopyAction;
  if (allowed & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
  if (allowed & DROPEFFECT_LINK) actions |= Qt::LinkAction;
  const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
  QDragEnterEvent enter(p, actions, data, Qt::LeftButton, mods);
  QCoreApplication::sendEvent(w, &enter);
  if (!enter.isAccepted()) return DROPEFFECT_NONE;
  QDragMoveEvent move(p, actions, data, Qt::LeftButton, mods);
  QCoreApplication::sendEvent(w, &move);
  QDropEvent drop(QPointF(p), actions, data, Qt::LeftButton, mods);
  QCoreApplication::sendEvent(w, &drop);
  if (!drop.isAccepted()) return DROPEFFECT_NONE;
  switch (drop.dropAction()) {
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    // Taken, but with an effect the source does not offer: a link.
    case Qt::IgnoreAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

// Drags the selection of source by the mouse; the script drops it on
// target at item/offs. Answers the effect the drag reported.
int DragSelection(TEditor& source, TEditor& target, Integer itemNo, Integer offs, bool ctrl) {
  Integer s, so, e, eo;
  source.Edit->GetSelectionBounds(s, so, e, eo, true);
  const TPoint press = PointOf(source, s, so + 1);
  int effect = -1;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    effect = SendDrop(target, r.Drag, PointOf(target, itemNo, offs), r.Buttons, ctrl);
    return effect;
  });
  source.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, press.X, press.Y);
  source.Edit->MouseMove(TShiftState{ssLeft}, press.X + 30, press.Y + 30);
  source.Edit->MouseUp(mbLeft, TShiftState(), press.X + 30, press.Y + 30);
  EXPECT_EQ(script.Shown.size(), 1u);
  return effect;
}

}  // namespace

TEST(Paste, VLFOfAnotherEditorKeepsStylesMappedAndPictures) {
  TEditor src;
  src.Style.TextStyles->Items(1)->Style = TFontStyles{fsItalic};
  src.Style.TextStyles->Items(1)->Size = 14;
  src.Edit->VLFOptions = src.Edit->VLFOptions + TVLFOptions{vlfoSaveTextStyles, vlfoSaveParaStyles};
  src.Edit->Clear();
  src.Edit->AddTextItem("plain ", 0, 0);
  src.Edit->AddTextItem("slanted", 1, -1);
  auto pic = TVLGraphicItemInfo::CreateEx(src.Edit->VLData(), std::make_unique<TBitmap>(40, 30), vlvaBaseline);
  pic->ParaNo = -1;
  src.Edit->AddItem("", pic.release());
  src.Edit->Format();
  src.Edit->SelectAll();
  ASSERT_TRUE(src.Edit->Copy());

  TEditor dst;
  dst.Type("abcd");
  dst.Key(Qt::Key_Left);
  dst.Key(Qt::Key_Left);
  const AnsiString before = Vlf(dst);
  ASSERT_TRUE(dst.Edit->CanPaste());
  dst.Edit->Paste();
  EXPECT_EQ(dst.Text(), "abplain slanted#cd");
  Integer slanted = -1;
  for (Integer i = 0; i < dst.Edit->ItemCount(); ++i)
    if (dst.Edit->GetItemTextUtf8(i) == "slanted") slanted = i;
  ASSERT_GE(slanted, 0);
  TFontInfo* fi = dst.Style.TextStyles->Items(dst.D().GetItemStyle(slanted));
  EXPECT_TRUE(fi->Style.Contains(fsItalic)) << "mapped to a style of our sheet that looks the same";
  EXPECT_EQ(fi->Size, 14);
  auto* p = dynamic_cast<TVLGraphicItemInfo*>(dst.Edit->GetItem(slanted + 1));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetGraphic()->GetWidth(), 40);
  dst.Edit->Undo();
  EXPECT_EQ(Vlf(dst), before);
}

// A VLF block on the clipboard holding vlf, its length field length.
void PutVLFBlock(const AnsiString& vlf, uint32_t length) {
  AnsiString block = VLMakeVLFBlock(vlf);
  for (int i = 0; i < 4; ++i) block[static_cast<size_t>(i)] = static_cast<char>((length >> (8 * i)) & 0xFF);
  Clipboard().SetData(RegisterClipboardFormat(VLFClipboardFormatName), block);
}

const AnsiString kDocument = "-8 1 3\r\n0 1 0 0 0 0\r\nxyz\r\n";
// Eleven paragraphs; its first half ends inside a record's header.
const AnsiString kLongDocument = [] {
  AnsiString s = kDocument;
  for (int i = 0; i < 10; ++i) s += "0 1 0 0 0 0\r\nab\r\n";
  return s;
}();

TEST(Paste, ClipboardFormatsInTheirOrder) {
  struct TCase {
    const char* What;
    std::function<void()> Fill;
    const char* Expected;  // the document after pasting into "ab|cd"
    // Unreadable: the user is told, as Insert > File tells of a file.
    bool Told = false;
  } cases[] = {
      {"a VLF block", [] { PutVLFBlock(kDocument, static_cast<uint32_t>(kDocument.size())); }, "abxyzcd"},
      {"a record claiming 2^31-1 lines",
       [] {
         AnsiString vlf = kDocument;
         vlf.replace(vlf.find("0 1 0"), 5, "0 2147483647 0");
         PutVLFBlock(vlf, static_cast<uint32_t>(vlf.size()));
       },
       "abcd", true},
      {"half a document",
       [] {
         const AnsiString half = kLongDocument.substr(0, kLongDocument.size() / 2);
         PutVLFBlock(half, static_cast<uint32_t>(half.size()));
       },
       "abcd", true},
      {"a length field of 0xFFFFFFFF", [] { PutVLFBlock(kDocument, 0xFFFFFFFFu); }, "abcd", true},
      {"a length shorter than its data",
       [] { PutVLFBlock(kLongDocument, static_cast<uint32_t>(kLongDocument.size() / 2)); }, "abcd", true},
      {"RTF that is no document",
       [] { Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName), AnsiString("{\\rtf1{")); }, "abcd",
       true},
      {"an image becomes a picture item",
       [] {
         TBitmap b(20, 10);
         Clipboard().Assign(b);
       },
       "ab#cd"},
      {"Unicode text with line and paragraph separators",
       [] { Clipboard().SetAsUnicodeText(u"X\u2028Y\u2029Z"); }, "abX/Y|Zcd"},
      {"HTML alone goes in as its text",
       [] {
         auto* m = new QMimeData;
         m->setHtml("<p><b>bold</b> words</p>");
         QGuiApplication::clipboard()->setMimeData(m);
       },
       "abbold wordscd"},
      {"a VLF block whose length lies changes nothing",
       [] {
         AnsiString block = VLMakeVLFBlock("0 0 0 0\nxyz\n");
         block[0] = static_cast<char>(0x7F);
         Clipboard().SetData(RegisterClipboardFormat(VLFClipboardFormatName), block);
       },
       "abcd", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    e.Type("abcd");
    e.Key(Qt::Key_Left);
    e.Key(Qt::Key_Left);
    c.Fill();
    const AnsiString before = Vlf(e);
    TInteractionScript script;
    if (c.Told) script.Answer(IDOK);
    e.Edit->Paste();
    EXPECT_EQ(e.Text(), c.Expected);
    EXPECT_EQ(script.Unexpected, 0);
    ASSERT_EQ(script.Shown.size(), c.Told ? 1u : 0u);
    if (c.Told) {
      EXPECT_EQ(script.Shown[0].Text, "The text was not pasted: the copy on the clipboard is damaged or cut short.");
    }
    if (std::string(c.Expected) != "abcd") {
      e.Edit->Undo();
      EXPECT_EQ(Vlf(e), before);
    } else {
      EXPECT_EQ(Vlf(e), before);
    }
  }
}

TEST(DragAndDrop, TheEffectOfADrop) {
  struct TCase {
    const char* What;
    bool Own;
    int Allowed;
    bool Ctrl;
    int Expected;
    const char* Text;  // the target afterwards
    Integer DropAt;
  } cases[] = {
      {"own drag without Ctrl moves", true, DROPEFFECT_COPY | DROPEFFECT_MOVE, false, DROPEFFECT_MOVE, "two one three", 9},
      {"own drag without Ctrl moves to the end", true, DROPEFFECT_COPY | DROPEFFECT_MOVE, false, DROPEFFECT_MOVE,
       "two threeone ", 14},
      {"own drag with Ctrl copies", true, DROPEFFECT_COPY | DROPEFFECT_MOVE, true, DROPEFFECT_COPY,
       "one two one three", 9},
      {"another window's drag copies", false, DROPEFFECT_COPY | DROPEFFECT_MOVE, false, DROPEFFECT_COPY,
       "one two xyzthree", 9},
      {"a move-only source with Ctrl gets a link and keeps its data", false, DROPEFFECT_MOVE, true,
       DROPEFFECT_LINK, "one two xyzthree", 9},
      {"a move-only source of another window gets a link", false, DROPEFFECT_MOVE, false, DROPEFFECT_LINK,
       "one two xyzthree", 9},
      {"a source that links", false, DROPEFFECT_LINK, false, DROPEFFECT_LINK, "one two xyzthree", 9},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    e.Type("one two three");
    e.Edit->Format();
    if (c.Own) {
      // "one " dropped before "three", or after it.
      e.Edit->SetSelectionBounds(0, 1, 0, 5);
      const int effect = DragSelection(e, e, 0, c.DropAt, c.Ctrl);
      EXPECT_EQ(effect, c.Expected);
    } else {
      QMimeData m;
      m.setText("xyz");
      EXPECT_EQ(SendDrop(e, &m, PointOf(e, 0, c.DropAt), c.Allowed, c.Ctrl), c.Expected);
    }
    EXPECT_EQ(e.Text(), c.Text);
    EXPECT_EQ(WideToUtf8(e.Edit->GetSelTextW()), c.Own ? "one " : "xyz") << "what went in ends selected";
    // One undo step takes the drop back.
    e.Edit->Undo();
    EXPECT_EQ(e.Text(), "one two three");
  }
}

TEST(DragAndDrop, DroppingIntoTheDraggedTextOnlyMovesTheCaret) {
  TEditor e;
  e.Type("one two three");
  e.Edit->SetSelectionBounds(0, 5, 0, 12);
  EXPECT_EQ(DragSelection(e, e, 0, 7, false), DROPEFFECT_NONE);
  EXPECT_EQ(e.Text(), "one two three");
  EXPECT_FALSE(e.Edit->SelectionExists());
  EXPECT_EQ(e.Edit->OffsetInCurItem(), 7);
}

TEST(DragAndDrop, AFailedMoveLeavesBothDocumentsAsTheyWere) {
  // The drop lands in a read-only paragraph of the target.
  for (bool sameEditor : {true, false}) {
    SCOPED_TRACE(sameEditor ? "within one editor" : "between two editors");
    TEditor a, b;
    for (TEditor* e : {&a, &b}) {
      TParaInfo* locked = e->Style.ParaStyles->Add();
      locked->Options = TVLParaOptions{vlpaoReadOnly};
      e->Edit->Clear();
      e->Edit->AddTextItem("move me", 0, 0);
      e->Edit->AddTextItem("locked text", 0, e->Style.ParaStyles->Count() - 1);
      e->Edit->Format();
    }
    TEditor& target = sameEditor ? a : b;
    const AnsiString beforeA = Vlf(a), beforeB = Vlf(b);
    a.Edit->SetSelectionBounds(0, 1, 0, 5);
    EXPECT_EQ(DragSelection(a, target, 1, 3, false), DROPEFFECT_NONE);
    EXPECT_EQ(Vlf(a), beforeA);
    EXPECT_EQ(Vlf(b), beforeB);
    EXPECT_EQ(a.D().UndoList->Count(), 0);
  }
}

TEST(DragAndDrop, AMoveToAnotherEditorTakesTheTextOut) {
  TEditor a, b;
  a.Type("keep move");
  b.Type("xy");
  a.Edit->SetSelectionBounds(0, 6, 0, 10);
  EXPECT_EQ(DragSelection(a, b, 0, 2, false), DROPEFFECT_COPY) << "another editor's drop copies";
  EXPECT_EQ(a.Text(), "keep move");
  EXPECT_EQ(b.Text(), "xmovey");
}

TEST(DragAndDrop, DroppedFilesGoInOnlyWhenTheyLoad) {
  const qytest::TempDir tmp;
  const std::string dir = tmp.str();
  auto write = [&](const std::string& name, const std::string& bytes) {
    const std::string path = dir + "/" + name;
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    s.SaveToFile(path);
    return path;
  };
  // A PNG file: a format the toolkit decodes, not one of our picture classes.
  const std::string png = write("drop.png", std::string("\x89PNG\r\n\x1a\n", 8));
  {
    QImage image(12, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(png), "PNG"));
  }
  const std::string txt = write("drop.txt", "from a file");
  const std::string bad = write("broken.vlf", "this is no document");
  const std::string other = write("notes.xyz", "unknown kind");
  // Named pipes nobody writes, named as a picture and as text: reading one
  // would hold the program for ever.
  const std::string pipePng = dir + "/pipe.png", pipeTxt = dir + "/café Łódź don’t.txt";
  ASSERT_EQ(::mkfifo(pipePng.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(pipeTxt.c_str(), 0600), 0);
  const std::string pipeSays = " was not inserted: it is a named pipe, not a file.";
  struct TCase {
    const char* What;
    std::vector<std::string> Files;
    int Effect;
    const char* Text;
    std::vector<std::string> Told;
  } cases[] = {
      {"a picture and a text file", {png, txt}, DROPEFFECT_COPY, "a#from a fileb", {}},
      {"a file that fails to load is not counted", {bad}, DROPEFFECT_NONE, "ab", {}},
      {"an unknown kind goes in as nothing", {other}, DROPEFFECT_NONE, "ab", {}},
      {"named pipes are refused by name", {pipePng, pipeTxt}, DROPEFFECT_NONE, "ab",
       {"The file " + pipePng + pipeSays, "The file " + pipeTxt + pipeSays}},
      {"a pipe among files leaves the files in", {txt, pipeTxt}, DROPEFFECT_COPY, "afrom a fileb",
       {"The file " + pipeTxt + pipeSays}},
      {"a folder is refused by name", {dir}, DROPEFFECT_NONE, "ab",
       {"The file " + dir + " was not inserted: it is a folder, not a file."}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    e.Type("ab");
    QMimeData m;
    QList<QUrl> urls;
    for (const std::string& f : c.Files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
    m.setUrls(urls);
    TFifoWatch watch({pipePng, pipeTxt});
    TInteractionScript script;
    for (size_t i = 0; i < c.Told.size(); ++i) script.Answer(IDOK);
    EXPECT_EQ(SendDrop(e, &m, PointOf(e, 0, 2), DROPEFFECT_COPY, false), c.Effect);
    EXPECT_EQ(watch.Waited(), 0) << "the drop waited to read a named pipe";
    EXPECT_EQ(e.Text(), c.Text);
    EXPECT_EQ(script.Unexpected, 0);
    std::vector<std::string> told;
    for (const TInteraction& r : script.Shown) told.push_back(r.Text);
    EXPECT_EQ(told, c.Told);
  }
}

TEST(DragAndDrop, ALinkGoesInThroughTheApplicationsLinkHandler) {
  const qytest::TempDir tmp;
  const std::string txt = (tmp / "linked.txt").string();
  {
    TMemoryStream s;
    s.WriteBuffer("file text", 9);
    s.SaveToFile(txt);
  }
  struct TCall {
    String Target, Extras;
    Integer DocFormat = -1, StyleIn = -1;
  };
  struct TCase {
    const char* What;
    bool AcceptLinks, Handler;
    QList<QUrl> Urls;
    const char* Text;      // the target afterwards
    Integer StyleNo, Tag;  // of the item that came in
    bool Called;
  } cases[] = {
      {"handled: one tagged item in the style the handler chose", true, true, {QUrl("https://example.org/a?b=1")},
       "abhttps://example.org/a?b=1cd", 1, 7, true},
      {"no handler: plain text in the current style", true, false, {QUrl("https://example.org/a?b=1")},
       "abhttps://example.org/a?b=1cd", 0, 0, false},
      {"links not accepted: the text of the drag", false, true, {QUrl("https://example.org/a?b=1")},
       "abhttps://example.org/a?b=1cd", 0, 0, false},
      {"a local file stays a file", true, true, {QUrl::fromLocalFile(QString::fromStdString(txt))},
       "abfile textcd", 0, 0, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    e.Type("abcd");
    e.Key(Qt::Key_Left);
    e.Key(Qt::Key_Left);
    const AnsiString before = Vlf(e);
    if (c.AcceptLinks) e.Edit->AcceptDragDropFormats = e.Edit->AcceptDragDropFormats + TVLDragDropFormats{vlddURL};
    std::vector<TCall> calls;
    if (c.Handler)
      e.Edit->OnReadHyperlink = [&](TCustomVellum*, const String& target, const String& extras, Integer docFormat,
                                    Integer& styleNo, TCustomVLItemInfo* item) {
        calls.push_back({target, extras, docFormat, styleNo});
        styleNo = 1;
        ASSERT_NE(item, nullptr);
        item->Tag.Int = 7;
      };
    QMimeData m;
    m.setUrls(c.Urls);
    m.setText(c.Urls.front().toString());
    EXPECT_EQ(SendDrop(e, &m, PointOf(e, 0, 3), DROPEFFECT_COPY, false), DROPEFFECT_COPY);
    EXPECT_EQ(e.Text(), c.Text);
    ASSERT_EQ(calls.size(), c.Called ? 1u : 0u);
    if (c.Called) {
      EXPECT_EQ(calls[0].Target, "https://example.org/a?b=1");
      EXPECT_EQ(calls[0].Extras, "");
      EXPECT_EQ(calls[0].DocFormat, VLDroppedLinkFormat);
      EXPECT_EQ(calls[0].StyleIn, 0);
      ASSERT_EQ(e.Edit->ItemCount(), 3);
      EXPECT_EQ(e.Edit->GetItemTextUtf8(1), "https://example.org/a?b=1");
      EXPECT_EQ(e.Edit->GetItem(1)->StyleNo, c.StyleNo);
      EXPECT_EQ(e.Edit->GetItem(1)->Tag.Int, c.Tag);
      EXPECT_EQ(e.Edit->GetCurTextStyleNo(), c.StyleNo) << "the handler's style became current";
    } else {
      for (Integer i = 0; i < e.Edit->ItemCount(); ++i) EXPECT_EQ(e.Edit->GetItem(i)->Tag.Int, 0);
    }
    // One undo step takes the drop back.
    e.Edit->Undo();
    EXPECT_EQ(Vlf(e), before);
  }
}
