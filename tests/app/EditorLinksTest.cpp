// Links in a journal's entry keep their targets through paste, drop, save,
// reload and copying (as RTF and as a web page); and saving keeps the undo history unless the
// save renumbered styles.
#include "MainWindowJournalSupport.h"
#include "support/ChildProcess.h"

#include "app/QYAutoSave.h"
#include "app/QYProfile.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/os/ShellOpen.h"
#include "richtext/model/VLClipFormats.h"
#include "richtext/model/VLStyle.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "richtext/view/VLCopy.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>

namespace {

using qytest::TMainJournalWorld;

// The links of an entry: the targets of text items in a link style.
std::vector<String> Links(TOpenJournal* j) {
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  std::vector<String> out;
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    const Integer style = e->VLData()->GetItemStyle(i);
    if (style < 0 || style >= j->EditorWindow->QuilloryStyle->TextStyles->Count()) continue;
    if (j->EditorWindow->QuilloryStyle->TextStyles->Items(style)->Jump) out.push_back(e->GetItem(i)->Tag.Str);
  }
  return out;
}

// The targets of the HYPERLINK fields of an RTF text, as the editor keeps them.
std::vector<String> FieldTargets(const String& rtf) {
  std::vector<String> out;
  const std::regex field(R"(HYPERLINK "((?:[^"\\]|\\.)*)\")");
  for (auto it = std::sregex_iterator(rtf.begin(), rtf.end(), field); it != std::sregex_iterator(); ++it) {
    String target;
    const String raw = (*it)[1];
    for (size_t i = 0; i < raw.size(); ++i) target += raw[i] == '\\' && i + 1 < raw.size() ? raw[++i] : raw[i];
    out.push_back(NormalizeLinkTarget(target));
  }
  return out;
}

// A link dragged from elsewhere and dropped below the text of the editor.
bool DropLink(TVellumEdit* e, const String& url) {
  QWidget* w = WidgetOf(e);
  QMimeData data;
  data.setUrls({QUrl(QString::fromStdString(url))});
  data.setText(QString::fromStdString(url));
  const QPoint p(w->width() / 2, w->height() - 8);
  QDragEnterEvent enter(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &enter);
  if (!enter.isAccepted()) return false;
  QDragMoveEvent move(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &move);
  QDropEvent drop(QPointF(p), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &drop);
  return drop.isAccepted();
}

class EditorLinksTest : public testing::Test {
protected:
  void Reload(TOpenJournal* j) { LoadEntry(j, j->EntryDate); }
  TMainJournalWorld World;
};

TEST_F(EditorLinksTest, PastedRTFLinksKeepTheirTargetsThroughSaveAndReload) {
  const String rtf = qytest::ReadFileBytes(qytest::SourceDir() / "tests/app/data/rtf-links.rtf");
  ASSERT_EQ(FieldTargets(rtf).size(), 26u);
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  Clipboard().Clear();
  Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName), rtf);
  e->Paste();
  e->Format();
  const std::vector<String> pasted = Links(j);
  ASSERT_EQ(pasted.size(), 26u);
  for (const String& target : pasted) EXPECT_FALSE(target.empty());
  EXPECT_EQ(pasted.front(), "file:///etc/passwd");
  EXPECT_EQ(pasted[13], "https://example.com/path?q=1");
  EXPECT_EQ(pasted[21], "https://example.com/lead-space");  // the blank before it is dropped
  ASSERT_TRUE(SaveEntry(j, smExplicit));
  Reload(j);
  EXPECT_EQ(Links(j), pasted);
  // The writers ask the editor for each link's target: copying as RTF keeps them.
  e->Format();
  TMemoryStream out;
  ASSERT_TRUE(e->SaveRTFToStream(out, false));
  EXPECT_EQ(FieldTargets(out.Bytes()), pasted);
}

// Ctrl+C of a line holding a link: the clipboard's RTF holds the link as a
// field and its web page as an <A href>, as another program reads them (the
// office suite's document made of each keeps the address), and each form
// alone pasted into another entry gives the link back.
TEST_F(EditorLinksTest, ACopiedLinkKeepsItsAddressInEveryForm) {
  const String target = "https://example.org/page?q=1&r=2";
  TOpenJournal* j = World.OpenWindow("Copied", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  TMainJournalWorld::TypeAtEnd(j, "see ");
  ASSERT_TRUE(DropLink(e, target));
  ASSERT_EQ(Links(j), std::vector<String>{target});
  e->Format();
  e->SelectAll();
  ASSERT_TRUE(e->Copy());
  const AnsiString rtf = Clipboard().GetData(RegisterClipboardFormat(RTFClipboardFormatName));
  const AnsiString html = Clipboard().GetData(ClipboardFormatHTML());
  EXPECT_EQ(FieldTargets(rtf), std::vector<String>{target}) << rtf;
  EXPECT_NE(html.find("href=\"https://example.org/page?q=1&amp;r=2\">https://example.org/page?q=1&amp;r=2</A>"),
            String::npos)
      << html;

  qytest::TempDir dir;
  const struct {
    const char* Form;
    Word Format;
    AnsiString Bytes;
    const char* File;
  } forms[] = {{"RTF", RegisterClipboardFormat(RTFClipboardFormatName), rtf, "copy.rtf"},
               {"web page", ClipboardFormatHTML(), html, "copy.html"}};
  for (const auto& f : forms) {
    SCOPED_TRACE(f.Form);
    TOpenJournal* back = World.OpenWindow(String("Pasted ") + f.Form, 0);
    TVellumEdit* pasted = TMainJournalWorld::Editor(back);
    Clipboard().Open();
    Clipboard().Clear();
    Clipboard().SetData(f.Format, f.Bytes);
    // The plain text a browser offers beside its page does not take its place.
    if (f.Format == ClipboardFormatHTML()) Clipboard().SetAsUnicodeText(u"see " + Utf8ToWide(target));
    Clipboard().Close();
    pasted->Paste();
    EXPECT_EQ(Links(back), std::vector<String>{target});
    const String text = WideToUtf8(VLDocumentText(*pasted->VLData(), false));
    EXPECT_NE(text.find("see " + target), String::npos) << text;
    CloseJournal(back);

    // What the office suite makes of the form: its link keeps the address.
    qytest::WriteFileBytes(dir / f.File, f.Bytes);
    const std::string profile = "-env:UserInstallation=file://" + (dir / "profile").string();
    ASSERT_FALSE(FindOfficeSuite().empty()) << "the set-up installs the office suite";
    ASSERT_EQ(qytest::RunChild({FindOfficeSuite(), profile, "--headless", "--convert-to", "odt", "--outdir", dir.str(),
                                (dir / f.File).string()},
                               std::nullopt),
              0);
    const std::filesystem::path odt = (dir / f.File).replace_extension(".odt");
    ASSERT_EQ(qytest::RunChild({"/usr/bin/unzip", "-o", "-q", odt.string(), "content.xml", "-d", (dir / f.File).string() + ".x"},
                               std::nullopt),
              0);
    const std::string content = qytest::ReadFileBytes(dir / (std::string(f.File) + ".x") / "content.xml");
    EXPECT_NE(content.find("xlink:href=\"https://example.org/page?q=1&amp;r=2\""), std::string::npos) << content;
  }
  CloseJournal(j);
}

TEST_F(EditorLinksTest, AStoredRTFEntryKeepsItsLinksWhenSavedAgain) {
  const Integer id = World.AddJournal("Old", 0);
  World.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor, ItemNumber, ItemOffset) VALUES (" +
             IntToStr(id) + ", " + IntToStr(static_cast<Int64>(std::floor(Date()))) +
             R"(, '{\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 see {\field{\*\fldinst HYPERLINK "https://example.org/x"}{\fldrslt here}})"
             R"( and {\field{\*\fldinst HYPERLINK "mailto:a@example.org"}{\fldrslt mail}}\par}', 'RTF', -1, -1))");
  JournalsLoaded = true;
  TInteractionScript script;
  script.Answer(IDOK);
  TOpenJournal* j = FindOrOpenJournal(id);
  ASSERT_NE(j, nullptr);
  CurrentJournal = j;
  const std::vector<String> links{"https://example.org/x", "mailto:a@example.org"};
  EXPECT_EQ(Links(j), links);
  ActionSaveExecute();
  EXPECT_EQ(World.Count("SELECT count(*) FROM Quillory WHERE Editor = 'VLF'"), 1);
  Reload(j);
  EXPECT_EQ(Links(j), links);
}

TEST_F(EditorLinksTest, ADroppedLinkBecomesALinkThatIsStored) {
  const struct {
    const char* Dropped;
    const char* Kept;
  } cases[] = {
      {"https://example.org/a%20page?q=1", "https://example.org/a%20page?q=1"},
      {"mailto:someone@example.org", "mailto:someone@example.org"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Dropped);
    TOpenJournal* j = World.OpenWindow(String("Links ") + c.Dropped, 0);
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    TMainJournalWorld::TypeAtEnd(j, "see ");
    ASSERT_TRUE(DropLink(e, c.Dropped));
    EXPECT_EQ(Links(j), std::vector<String>{c.Kept});
    ASSERT_TRUE(SaveEntry(j, smExplicit));
    Reload(j);
    EXPECT_EQ(Links(j), std::vector<String>{c.Kept});
    // The link's look is a style of its own: the text before it keeps its style.
    EXPECT_FALSE(j->EditorWindow->QuilloryStyle->TextStyles->Items(e->VLData()->GetItemStyle(0))->Jump);
    CloseJournal(j);
  }
}

TEST_F(EditorLinksTest, AClickedLinkGoesThroughTheLinkPolicy) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "notes.txt", "x");
  const String notes = std::filesystem::canonical(dir / "notes.txt").string();
  qytest::WriteFileBytes(dir / "trip to Łódź.txt", "x");
  const String spaced = std::filesystem::canonical(dir / "trip to Łódź.txt").string();
  const String spacedUrl = "file://" + notes.substr(0, notes.size() - 9) + "trip%20to%20%C5%81%C3%B3d%C5%BA.txt";
  std::vector<String> opened;
  TUrlOpener saved = SetUrlOpener([&](const String& url) {
    opened.push_back(url);
    return true;
  });
  const struct {
    String Tag;
    int Answer;         // the answer to the question, 0 when none is asked
    const char* Opened;  // nullptr: not opened
    const char* Caption;  // of the message shown, "" for none
    const char* Reason = "";  // the refusal's reason the message gives
  } cases[] = {
      {"https://example.org/a page\r\n", 0, "https://example.org/a%20page", ""},
      {" https://example.org/lead", 0, "https://example.org/lead", ""},
      {"mailto:me@example.org", 0, "mailto:me@example.org", ""},
      {"mailto:me@example.org?attach=/etc/passwd", 0, nullptr, "Error", "a mail link may not attach files"},
      {notes, IDYES, "", "Open Link"},
      {notes, IDNO, nullptr, "Open Link"},
      // Its blanks are stored as "%20": still the file.
      {spaced, IDYES, spacedUrl.c_str(), "Open Link"},
      {"/bin/sh -c reboot", 0, nullptr, "Error", "it does not exist"},
      {"/bin/sh", 0, nullptr, "Error", "it is a program, which a link never starts"},
      {"javascript:alert(1)", 0, nullptr, "Error", "only web, mail and file links are opened"},
      {"file:///nowhere/at/all.sh", 0, nullptr, "Error", "it does not exist"},
      {"file://server/share/a.txt", 0, nullptr, "Error", "it is a file on another computer"},
      {"/dev/null", 0, nullptr, "Error", "it is a device or system file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Tag);
    opened.clear();
    TInteractionScript script;
    script.Answer(c.Answer ? c.Answer : IDOK);
    EXPECT_EQ(OpenLinkTarget(c.Tag), c.Opened != nullptr);
    if (c.Opened) {
      ASSERT_EQ(opened.size(), 1u);
      EXPECT_EQ(opened[0], *c.Opened ? String(c.Opened) : "file://" + notes);
    } else {
      EXPECT_TRUE(opened.empty());
    }
    if (*c.Caption) {
      ASSERT_EQ(script.Shown.size(), 1u);
      EXPECT_EQ(script.Shown[0].Caption, c.Caption);
      if (String(c.Caption) == "Error") {
        EXPECT_EQ(script.Shown[0].Text.rfind("Cannot navigate to \"", 0), 0u);
        EXPECT_NE(script.Shown[0].Text.find(String(": ") + c.Reason + "."), String::npos) << script.Shown[0].Text;
      }
    } else {
      EXPECT_TRUE(script.Shown.empty());
    }
  }
  SetUrlOpener(saved);
}

TEST_F(EditorLinksTest, ALinksTooltipNamesItsTargetAndCtrlClick) {
  TOpenJournal* j = World.OpenWindow("Hints", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  EXPECT_TRUE(e->Options.Contains(vloShowItemHints));
  TMainJournalWorld::TypeAtEnd(j, "see ");
  ASSERT_TRUE(DropLink(e, "https://example.org/page"));
  ASSERT_TRUE(e->OnItemHint);
  int links = 0;
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    String hint;
    e->OnItemHint(e, e->VLData(), i, hint);
    if (e->GetItem(i)->Tag.Str.empty()) {
      EXPECT_EQ(hint, "") << i;
      continue;
    }
    ++links;
    EXPECT_EQ(hint, "https://example.org/page\nCtrl+click to follow");
  }
  EXPECT_EQ(links, 1);
  CloseJournal(j);
}

// Ctrl turns the entry's links into links while it is held. A Ctrl+click
// that asks "Open …?" puts a box up; the Ctrl release then goes to the box,
// and so does a focus change: neither may leave the editor in link mode,
// where a plain click would launch a link instead of placing the caret.
TEST_F(EditorLinksTest, APlainClickNeverLaunchesALinkAfterCtrlWasReleasedElsewhere) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "café-notes.txt", "x");
  const String notes = std::filesystem::canonical(dir / "café-notes.txt").string();
  std::vector<String> opened;
  TUrlOpener saved = SetUrlOpener([&](const String& url) {
    opened.push_back(url);
    return true;
  });
  TOpenJournal* j = World.OpenWindow("Łódź links", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  TMainJournalWorld::TypeAtEnd(j, "see ");
  ASSERT_TRUE(DropLink(e, "https://example.org/page"));
  ASSERT_TRUE(DropLink(e, "https://example.org/other"));
  e->Format();
  Integer web = -1, file = -1;
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    const String tag = e->GetItem(i)->Tag.Str;
    if (tag.find("example.org/page") != String::npos) web = i;
    if (tag.find("example.org/other") != String::npos) file = i;
  }
  ASSERT_GE(web, 0);
  ASSERT_GE(file, 0);
  ASSERT_NE(web, file);
  // A link to a local file, which is asked about before it opens.
  e->GetItem(file)->Tag.Str = notes;
  QWidget* widget = WidgetOf(e);
  auto key = [&](QEvent::Type type) {
    QKeyEvent k(type, Qt::Key_Control, type == QEvent::KeyPress ? Qt::ControlModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &k);
  };
  // A click on the item's text, with the modifiers the event carries.
  auto click = [&](Integer item, Qt::KeyboardModifiers modifiers) {
    Integer left = 0, top = 0;
    ASSERT_TRUE(e->GetItemCoords(item, left, top));
    const TPoint screen = e->ClientToScreen(
        TPoint(left - e->VLData()->GetHOffset() + 6, top - e->VLData()->GetVOffset() + 4));
    const QPoint global(screen.X, screen.Y);
    QWidget* target = widget->childAt(widget->mapFromGlobal(global));
    if (!target) target = widget;
    const QPointF local = target->mapFromGlobal(global);
    QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(global), Qt::LeftButton, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(global), Qt::LeftButton, Qt::NoButton, modifiers);
    QCoreApplication::sendEvent(target, &release);
  };
  const struct {
    const char* What;
    std::function<void()> CtrlGoesAway;
  } cases[] = {
      {"Ctrl released while the box is up",
       [&] {
         TInteractionScript script;
         script.Answer(IDNO);
         click(file, Qt::ControlModifier);
         ASSERT_EQ(script.Shown.size(), 1u);
         EXPECT_EQ(script.Shown[0].Caption, "Open Link") << script.Shown[0].Text;
         EXPECT_NE(script.Shown[0].Text.find("café-notes.txt"), String::npos) << script.Shown[0].Text;
       }},
      {"focus moved away while Ctrl is held",
       [&] {
         QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
         QCoreApplication::sendEvent(widget, &out);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    opened.clear();
    key(QEvent::KeyPress);
    ASSERT_NE(e->VLData()->GetLayoutFlags() & vllfCollectJumps, 0);
    c.CtrlGoesAway();
    EXPECT_TRUE(opened.empty());
    TInteractionScript script;
    click(web, Qt::NoModifier);
    EXPECT_TRUE(opened.empty()) << opened.front();
    EXPECT_TRUE(script.Shown.empty()) << script.Shown.front().Text;
    // The click went into the link's text, for editing.
    EXPECT_EQ(e->CurItemNo(), web);
    EXPECT_EQ(e->VLData()->GetLayoutFlags() & vllfCollectJumps, 0);
  }
  // Ctrl held again (its press seen) still follows a link.
  key(QEvent::KeyPress);
  click(web, Qt::ControlModifier);
  key(QEvent::KeyRelease);
  EXPECT_EQ(opened, std::vector<String>{"https://example.org/page"});
  SetUrlOpener(saved);
  CloseJournal(j);
}

// A save drops the styles nothing uses only where no undo or redo record
// can name them: the history survives every save, and what it brings back
// keeps its own style.
TEST_F(EditorLinksTest, SavingKeepsUndoAndRedoWithTheirStyles) {
  ProfileSettings.AutoSaveOn = true;
  ProfileSettings.AutoSaveInterval = 1;
  const struct {
    const char* Name;
    bool LeaveAnUnusedStyle;
    bool Explicit;
  } cases[] = {
      {"automatic save, nothing to renumber", false, false},
      {"the save command, nothing to renumber", false, true},
      {"automatic save with an unused style", true, false},
      {"the save command with an unused style", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TOpenJournal* j = World.OpenWindow(String("Undo ") + c.Name, 0);
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    TMainJournalWorld::TypeAtEnd(j, "kept ");
    if (c.LeaveAnUnusedStyle) {
      // Text in a size of its own (a new style), then deleted again.
      World.Main->ChosenFontSize = 30;
      TMainJournalWorld::TypeAtEnd(j, "café");
      const Integer last = e->ItemCount() - 1;
      e->SetSelectionBounds(last, e->GetItemEndOffset(last) - 4, last, e->GetItemEndOffset(last));
      j->EditorWindow->ApplyChosenFont(ConvertFontSize);
      e->DeleteSelection();
    }
    TMainJournalWorld::TypeAtEnd(j, "typed");
    ASSERT_EQ(j->Document->Text(), "kept typed");
    auto save = [&] {
      if (c.Explicit) {
        ActionSaveExecute();
      } else {
        LastSaveTime = Now() - 2.0 / (24 * 60);
        AutomaticSaveTimerTimer(Now());
      }
      ASSERT_FALSE(j->Document->Modified);
    };
    save();
    ASSERT_EQ(World.StoredText(j->JournalID, j->EntryDate), "kept typed");
    e->Undo();
    EXPECT_EQ(j->Document->Text(), "kept ");
    if (c.LeaveAnUnusedStyle) {
      // The deleted word comes back in its own size, after another save.
      save();
      e->Undo();
      ASSERT_EQ(j->Document->Text(), "kept café");
      const Integer last = e->ItemCount() - 1;
      EXPECT_EQ(e->GetItemTextUtf8(last), "café");
      EXPECT_EQ(e->GetStyle()->TextStyles->Items(e->VLData()->GetItemStyle(last))->Size, 30);
      e->Redo();
      EXPECT_EQ(j->Document->Text(), "kept ");
    }
    e->Redo();
    EXPECT_EQ(j->Document->Text(), "kept typed");
    save();
    EXPECT_EQ(World.StoredText(j->JournalID, j->EntryDate), "kept typed");
    CloseJournal(j);
  }
}

}  // namespace
