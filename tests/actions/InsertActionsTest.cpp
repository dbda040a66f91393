#include "actions/VLActionsHyperlink.h"
#include "actions/VLActionsInsert.h"
#include "actions/VLActionsTable.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLItem.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QBuffer>
#include <QImage>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray Encoded(const char* format) {
  QImage image(12, 8, QImage::Format_RGB32);
  image.fill(QColor(200, 30, 40));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

// A bitmap header that claims 100000 x 100000 pixels over a few bytes.
QByteArray GiantBitmap() {
  QByteArray b(64, '\0');
  auto put32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 64);
  put32(10, 54);
  put32(14, 40);
  put32(18, 100000);
  put32(22, 100000);
  b[26] = 1;
  b[28] = 24;
  return b;
}

std::string Write(const qytest::TempDir& dir, const std::string& name, const QByteArray& bytes) {
  const std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary).write(bytes.constData(), bytes.size());
  return path;
}

struct TInsertBench : TEditorBench {
  TInsertBench() {
    Fill(Edit, "abc");
    Edit->SetCaret(0, Edit->GetItemEndOffset(0));
  }
  // Runs a picture insertion choosing Path in the dialog.
  TInteractionScript& Choose(TInteractionScript& script, const std::string& path) {
    return script.Do([path](TInteraction& r) {
      EXPECT_EQ(r.Kind, TInteractionKind::OpenDialog);
      r.FileName = path;
      return mrOk;
    });
  }
};

TEST(InsertPicture, PicturesLoadByContentAndBadFilesInsertNothing) {
  enum TKind { Jpeg, Bitmap, Refused };
  const QByteArray jpeg = Encoded("JPEG");
  struct Case {
    const char* Name;
    QByteArray Bytes;
    TKind Expected;
  } cases[] = {
      {"photo.jpg", jpeg, Jpeg},
      {"png-named.jpg", Encoded("PNG"), Bitmap},
      {"picture.png", Encoded("PNG"), Bitmap},
      {"jpeg-named.bmp", jpeg, Jpeg},
      {"plain.bmp", Encoded("BMP"), Bitmap},
      {"truncated.jpg", jpeg.left(jpeg.size() / 3), Refused},
      {"text.png", QByteArray("not a picture at all"), Refused},
      {"giant.bmp", GiantBitmap(), Refused},
      {"empty.jpg", QByteArray(), Refused},
  };
  qytest::TempDir dir;
  for (const Case& c : cases) {
    TInsertBench b;
    auto* action = new TvlActionInsertPicture(b.Form);
    action->SetControl(b.Edit);
    TInteractionScript script;
    b.Choose(script, Write(dir, c.Name, c.Bytes));
    if (c.Expected == Refused) script.Answer(IDOK);
    action->Update();
    ASSERT_TRUE(action->Execute()) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    if (c.Expected == Refused) {
      EXPECT_EQ(b.Edit->ItemCount(), 1) << c.Name;
      ASSERT_EQ(script.Shown.size(), 2u) << c.Name;
      EXPECT_EQ(script.Shown[1].Caption, "Error") << c.Name;
      EXPECT_EQ(script.Shown[1].Text.rfind("Error loading image file.", 0), 0u) << c.Name;
      continue;
    }
    ASSERT_EQ(b.Edit->ItemCount(), 2) << c.Name;
    auto* picture = dynamic_cast<TVLGraphicItemInfo*>(b.Edit->GetItem(1));
    ASSERT_NE(picture, nullptr) << c.Name;
    EXPECT_EQ(picture->StyleNo, vlsPicture) << c.Name;
    EXPECT_EQ(dynamic_cast<TJPEGImage*>(picture->GetGraphic()) != nullptr, c.Expected == Jpeg) << c.Name;
    EXPECT_EQ(picture->GetGraphic()->GetWidth(), 12) << c.Name;
  }
}

TEST(InsertPicture, TheFileNameIsKeptOnlyWhenAskedAndCancelChangesNothing) {
  qytest::TempDir dir;
  const std::string path = Write(dir, "a.png", Encoded("PNG"));
  for (bool store : {false, true}) {
    TInsertBench b;
    auto* action = new TvlActionInsertPicture(b.Form);
    action->SetControl(b.Edit);
    action->StoreFileName = store;
    TInteractionScript script;
    b.Choose(script, path);
    ASSERT_TRUE(action->Execute());
    ASSERT_EQ(b.Edit->ItemCount(), 2);
    EXPECT_EQ(b.Edit->VLData()->GetItemTextA(1), store ? path : "") << store;
    script.Answer(mrCancel);
    ASSERT_TRUE(action->Execute());
    EXPECT_EQ(b.Edit->ItemCount(), 2);
  }
}

TEST(InsertLineAndBreaks, LinesAndPageBreaksGoInAndOutAsOneStep) {
  TInsertBench b;
  auto* line = new TvlActionInsertHLine(b.Form);
  auto* pageBreak = new TvlActionInsertPageBreak(b.Form);
  auto* removeBreak = new TvlActionRemovePageBreak(b.Form);
  for (TvlAction* a : {static_cast<TvlAction*>(line), static_cast<TvlAction*>(pageBreak),
                       static_cast<TvlAction*>(removeBreak)})
    a->SetControl(b.Edit);
  line->Width = 3;
  ASSERT_TRUE(line->Execute());
  ASSERT_EQ(b.Edit->ItemCount(), 2);
  auto* rule = dynamic_cast<TVLBreakItemInfo*>(b.Edit->GetItem(1));
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->LineWidth, 3);
  EXPECT_EQ(rule->Color, clWindowText);
  b.Edit->Undo();
  EXPECT_EQ(b.Edit->ItemCount(), 1);

  // A second paragraph: the first page never starts with a break.
  b.Edit->VLData()->AddTextItem("second", 0, 0);
  b.Edit->Format();
  b.Edit->SetCaret(1, b.Edit->GetItemStartOffset(1));
  removeBreak->Update();
  EXPECT_FALSE(removeBreak->GetEnabled());
  ASSERT_TRUE(pageBreak->Execute());
  EXPECT_TRUE(b.Edit->VLData()->GetPageBreakBefore(1));
  removeBreak->Update();
  EXPECT_TRUE(removeBreak->GetEnabled());
  ASSERT_TRUE(removeBreak->Execute());
  EXPECT_FALSE(b.Edit->VLData()->GetPageBreakBefore(1));
  removeBreak->Update();
  EXPECT_FALSE(removeBreak->GetEnabled());
}


// Every command that puts something into the document is greyed in a
// read-only one. Reached all the same (its key, a state not yet updated)
// it opens no dialog and says the entry is read-only; one whose dialog was
// open when the entry turned read-only says so too, never blaming a good
// file. The document stays as it was.
TEST(InsertCommands, AReadOnlyDocumentGreysThemAndEachSaysWhyWhenReached) {
  qytest::TempDir dir;
  const std::string rtf = Write(dir, "good.rtf", QByteArray("{\\rtf1\\ansi good}"));
  const std::string png = Write(dir, "good.png", Encoded("PNG"));
  using TChoose = std::function<int(TInteraction&)>;
  const auto choose = [](const std::string& path) {
    return TChoose([path](TInteraction& r) {
      r.FileName = path;
      return int(mrOk);
    });
  };
  const TChoose ok = [](TInteraction&) { return int(mrOk); };
  struct Case {
    const char* Name;
    std::function<TvlAction*(TForm*)> Make;
    TChoose Dialog;  // answers its dialog; none: the command has no dialog
  };
  const Case cases[] = {
      {"Insert File", [](TForm* f) { return new TvlActionInsertFile(f); }, choose(rtf)},
      {"Insert Picture", [](TForm* f) { return new TvlActionInsertPicture(f); }, choose(png)},
      {"Insert Line", [](TForm* f) { return new TvlActionInsertHLine(f); }, nullptr},
      {"Hyperlink", [](TForm* f) { return new TvlActionInsertHyperlink(f); }, nullptr},
      {"Symbol", [](TForm* f) { return new TvlActionInsertSymbol(f); }, ok},
      {"Insert Table", [](TForm* f) { return new TvlActionInsertTable(f); }, ok},
      {"Page Break", [](TForm* f) { return new TvlActionInsertPageBreak(f); }, nullptr},
      {"Remove Page Break", [](TForm* f) { return new TvlActionRemovePageBreak(f); }, nullptr},
  };
  for (const bool duringDialog : {false, true}) {
    for (const Case& c : cases) {
      // The link's dialog is answered through its hook.
      const bool hyperlink = std::string(c.Name) == "Hyperlink";
      if (duringDialog && !c.Dialog && !hyperlink) continue;
      SCOPED_TRACE(std::string(c.Name) + (duringDialog ? ", turned read-only while its dialog was open" : ""));
      TInsertBench b;
      b.Edit->Options.Include(vloTagsArePChars);
      // A second paragraph on a page of its own, the caret at its start.
      b.Edit->VLData()->AddTextItem("second", 0, 0);
      b.Edit->VLData()->SetPageBreakBefore(1, true);
      b.Edit->Format();
      b.Edit->SetCaret(1, b.Edit->GetItemStartOffset(1));
      b.Edit->Modified = false;
      const std::string before = TEditorBench::Runs(b.Edit);
      TvlAction* action = c.Make(b.Form);
      action->SetControl(b.Edit);
      action->Update();
      ASSERT_TRUE(action->GetEnabled()) << "enabled in a writable document";
      TInteractionScript script;
      if (hyperlink)
        static_cast<TvlActionInsertHyperlink*>(action)->OnHyperlinkForm = [&](TObject*, bool, String& text, String& target, bool& go) {
          text = "link";
          target = "https://example.org";
          go = true;
          if (duringDialog) b.Edit->SetReadOnly(true);
        };
      if (duringDialog) {
        if (c.Dialog)
          script.Do([&](TInteraction& r) {
            b.Edit->SetReadOnly(true);
            return c.Dialog(r);
          });
        EXPECT_TRUE(action->Execute());
      } else {
        b.Edit->SetReadOnly(true);
        action->Update();
        EXPECT_FALSE(action->GetEnabled()) << "greyed when read-only";
        EXPECT_FALSE(action->Execute());
      }
      ASSERT_EQ(script.Shown.size(), (duringDialog && c.Dialog) ? 2u : 1u);
      const TInteraction& told = script.Shown.back();
      EXPECT_EQ(told.Kind, TInteractionKind::MessageBox);
      EXPECT_EQ(told.Text, "This entry is read-only: nothing can be inserted into it.");
      EXPECT_EQ(TEditorBench::Runs(b.Edit), before);
      EXPECT_FALSE(b.Edit->Modified);
    }
  }
}

}  // namespace
