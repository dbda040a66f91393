// Changing one item in place through the editor control: a picture's graphic,
// alignment, name and tag; a line's width and colour; a picture turned into
// a hypertext picture and back; the page break of the caret's line removed.
// Each is one undo step that gives back the saved document byte for byte,
// and an item of another kind is refused without a change.
#include "EditorFixture.h"

#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "richtext/editor/VLUndo.h"
#include "richtext/model/VLClasses.h"

using namespace qytest;

namespace {

AnsiString Vlf(TVellumEdit* e) {
  TMemoryStream s;
  e->SaveVLFToStream(s, false);
  return AnsiString(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

// "ab", a picture of 40 x 20, "cd" in one paragraph; the caret on the picture.
struct TPictureDoc : TEditor {
  TPictureDoc() {
    Type("ab");
    Edit->InsertPicture("pic", std::make_unique<TBitmap>(40, 20), vlvaBaseline);
    Type("cd");
    Picture = 1;
    Edit->SetCaret(Picture, 1);
    Edit->ClearUndo();
    Changes = 0;
    Edit->OnChange = [this](TObject*) { ++Changes; };
  }
  TVLGraphicItemInfo* Pic() const { return dynamic_cast<TVLGraphicItemInfo*>(Edit->GetItem(Picture)); }
  Integer Picture = 0;
  int Changes = 0;
};

}  // namespace

TEST(ItemReplacement, EachChangeIsOneUndoStepAndUndoGivesTheDocumentBack) {
  struct TCase {
    const char* What;
    std::function<void(TPictureDoc&)> Change;
    std::function<void(TPictureDoc&)> Check;
    Byte UndoType;
  } cases[] = {
      {"new picture, alignment, name and tag",
       [](TPictureDoc& t) {
         t.Edit->SetCurrentPictureInfo("photo", std::make_unique<TBitmap>(80, 60), vlvaMiddle, TVLTag{7, ""});
       },
       [](TPictureDoc& t) {
         ASSERT_NE(t.Pic(), nullptr);
         EXPECT_EQ(t.Pic()->GetImageWidth(nullptr), 80);
         EXPECT_EQ(t.Pic()->GetImageHeight(nullptr), 60);
         EXPECT_EQ(t.Pic()->VAlign, vlvaMiddle);
         EXPECT_EQ(t.Pic()->Tag.Int, 7);
         EXPECT_EQ(t.D().GetItemTextA(t.Picture), "photo");
         // The taller picture is laid out: its line grew.
         EXPECT_GE(t.D().DrawItems[t.Pic()->DrawItemNo]->Height, 60);
       },
       vlutModifyItem},
      {"same picture, only the tag",
       [](TPictureDoc& t) { t.Edit->SetCurrentPictureInfo("pic", nullptr, vlvaBaseline, TVLTag{3, ""}); },
       [](TPictureDoc& t) {
         EXPECT_EQ(t.Pic()->Tag.Int, 3);
         EXPECT_EQ(t.Pic()->GetImageWidth(nullptr), 40);
       },
       vlutModifyItem},
      {"to a hypertext picture",
       [](TPictureDoc& t) { t.Edit->ConvertToHotPicture(t.Picture); },
       [](TPictureDoc& t) {
         EXPECT_EQ(t.Edit->GetItem(t.Picture)->StyleNo, vlsHotPicture);
         EXPECT_NE(dynamic_cast<TVLHotGraphicItemInfo*>(t.Edit->GetItem(t.Picture)), nullptr);
         EXPECT_EQ(t.Pic()->GetImageWidth(nullptr), 40);
         EXPECT_EQ(t.D().GetItemTextA(t.Picture), "pic");
       },
       vlutModifyItem},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TPictureDoc t;
    const AnsiString before = Vlf(t.Edit);
    c.Change(t);
    c.Check(t);
    EXPECT_EQ(t.Changes, 1);
    ASSERT_EQ(t.D().UndoList->Count(), 1);
    EXPECT_EQ(t.Edit->GetUndoType(), c.UndoType);
    const AnsiString after = Vlf(t.Edit);
    EXPECT_NE(after, before);
    t.Edit->Undo();
    EXPECT_EQ(Vlf(t.Edit), before);
    t.Edit->Redo();
    EXPECT_EQ(Vlf(t.Edit), after);
  }
}

TEST(ItemReplacement, HypertextPictureTurnsBackIntoAPicture) {
  TPictureDoc t;
  const AnsiString plain = Vlf(t.Edit);
  t.Edit->ConvertToHotPicture(t.Picture);
  t.Edit->ConvertToPicture(t.Picture);
  EXPECT_EQ(t.Edit->GetItem(t.Picture)->StyleNo, vlsPicture);
  EXPECT_EQ(dynamic_cast<TVLHotGraphicItemInfo*>(t.Edit->GetItem(t.Picture)), nullptr);
  EXPECT_EQ(Vlf(t.Edit), plain);
  EXPECT_EQ(t.D().UndoList->Count(), 2);
}

TEST(ItemReplacement, AnItemOfAnotherKindIsRefusedWithoutAChange) {
  struct TCase {
    const char* What;
    std::function<void(TPictureDoc&)> Call;
  } cases[] = {
      {"picture info on text", [](TPictureDoc& t) {
         t.Edit->SetPictureInfo(0, "x", std::make_unique<TBitmap>(5, 5), vlvaBaseline, TVLTag{});
       }},
      {"line info on a picture",
       [](TPictureDoc& t) { t.Edit->SetCurrentBreakInfo(2, 0, clRed, TVLTag{}); }},
      {"a picture that is already a plain picture", [](TPictureDoc& t) { t.Edit->ConvertToPicture(t.Picture); }},
      {"text to a hypertext picture", [](TPictureDoc& t) { t.Edit->ConvertToHotPicture(2); }},
      {"an item past the end", [](TPictureDoc& t) { t.Edit->ConvertToHotPicture(99); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TPictureDoc t;
    const AnsiString before = Vlf(t.Edit);
    try {
      c.Call(t);
      ADD_FAILURE() << "no error";
    } catch (const EVellumError& e) {
      EXPECT_STREQ(e.what(), errVLInvalidItemInfo);
    }
    EXPECT_EQ(Vlf(t.Edit), before);
    EXPECT_EQ(t.D().UndoList->Count(), 0);
    EXPECT_EQ(t.Changes, 0);
  }
}

TEST(ItemReplacement, ReadOnlyEditorKeepsItsItems) {
  TPictureDoc t;
  const AnsiString before = Vlf(t.Edit);
  t.Edit->SetReadOnly(true);
  t.Edit->SetCurrentPictureInfo("photo", std::make_unique<TBitmap>(80, 60), vlvaMiddle, TVLTag{7, ""});
  t.Edit->ConvertToHotPicture(t.Picture);
  EXPECT_EQ(Vlf(t.Edit), before);
  EXPECT_EQ(t.Changes, 0);
}

TEST(ItemReplacement, LineWidthAndColour) {
  TEditor e;
  e.Type("ab");
  e.Edit->InsertBreak(1, 0, clBlack);
  e.Type("cd");
  Integer line = -1;
  for (Integer i = 0; i < e.Edit->ItemCount(); ++i)
    if (e.Edit->GetItem(i)->StyleNo == vlsBreak) line = i;
  ASSERT_GE(line, 0);
  e.Edit->SetCaret(line, 1);
  e.Edit->ClearUndo();
  const AnsiString before = Vlf(e.Edit);
  e.Edit->SetCurrentBreakInfo(6, 0, clRed, TVLTag{2, ""});
  auto* item = dynamic_cast<TVLBreakItemInfo*>(e.Edit->GetItem(line));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->LineWidth, 6);
  EXPECT_EQ(item->Color, clRed);
  EXPECT_EQ(item->Tag.Int, 2);
  ASSERT_EQ(e.D().UndoList->Count(), 1);
  e.Edit->Undo();
  EXPECT_EQ(Vlf(e.Edit), before);
}

TEST(ItemReplacement, RemovingTheCaretLinesPageBreak) {
  TEditor e;
  e.Type("first");
  e.Key(Qt::Key_Return);
  e.Type("second");
  e.Key(Qt::Key_Home);
  e.Edit->InsertPageBreak();
  ASSERT_TRUE(e.Edit->GetItem(1)->GetPageBreakBefore());
  e.Edit->ClearUndo();
  const AnsiString withBreak = Vlf(e.Edit);
  // From anywhere in the line.
  e.Edit->SetCaret(1, 4);
  e.Edit->RemoveCurrentPageBreak();
  EXPECT_FALSE(e.Edit->GetItem(1)->GetPageBreakBefore());
  ASSERT_EQ(e.D().UndoList->Count(), 1);
  EXPECT_EQ(e.Edit->GetUndoType(), vlutRemovePageBreak);
  // A line without a break records nothing.
  e.Edit->RemoveCurrentPageBreak();
  e.Edit->SetCaret(0, 2);
  e.Edit->RemoveCurrentPageBreak();
  EXPECT_EQ(e.D().UndoList->Count(), 1);
  e.Edit->Undo();
  EXPECT_EQ(Vlf(e.Edit), withBreak);
}

TEST(ItemReplacement, ExtraPropertyWithoutLayoutLeavesTheChangeToTheCaller) {
  TPictureDoc t;
  t.Edit->SetCurrentItemExtraIntProperty(vleipImageWidth, 40 * 2, false);
  EXPECT_EQ(t.Changes, 0);
  ASSERT_EQ(t.D().UndoList->Count(), 1);
  EXPECT_EQ(t.Pic()->GetImageWidth(nullptr), 80);
  // The same value again is no change at all.
  t.Edit->SetCurrentItemExtraIntProperty(vleipImageWidth, 80, true);
  EXPECT_EQ(t.D().UndoList->Count(), 1);
  EXPECT_EQ(t.Changes, 0);
  t.Edit->SetCurrentItemExtraIntProperty(vleipImageHeight, 10, true);
  EXPECT_EQ(t.Changes, 1);
  EXPECT_EQ(t.Pic()->GetImageHeight(nullptr), 10);
}
