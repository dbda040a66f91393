#include "actions/VLActionsInsert.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLItem.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QBuffer>
#include <QImage>
#include <fstream>
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

}  // namespace
