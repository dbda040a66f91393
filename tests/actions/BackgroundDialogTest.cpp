#include "actions/BackVLFrm.h"
#include "actions/FourSidesVLFrm.h"
#include "actions/VLActionsDocument.h"
#include "platform/gui/Dialogs.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QImage>
#include <fstream>
#include <gtest/gtest.h>

namespace {

struct TBackBench : TEditorBench {
  explicit TBackBench(bool savesBack) {
    Fill(Edit, "text");
    if (savesBack) Edit->VLFOptions.Include(vlfoSaveBack);
    else Edit->VLFOptions.Exclude(vlfoSaveBack);
    Sheet->Color = clAqua;
    Edit->SetColor(clNone);
    Edit->Modified = false;
    Action = new TvlActionBackground(Form);
    Action->SetControl(Edit);
  }
  // Script answers the dialog; the file dialogs and messages it opens take
  // the answers More queues.
  void Run(const std::function<int(TfrmVLBack*)>& script,
           const std::function<void(TInteractionScript&)>& more = {}) {
    TInteractionScript s;
    s.Do([&](TInteraction& r) {
      auto* dlg = dynamic_cast<TfrmVLBack*>(r.Form);
      EXPECT_NE(dlg, nullptr);
      return dlg ? script(dlg) : mrCancel;
    });
    if (more) more(s);
    ASSERT_TRUE(Action->Execute());
    EXPECT_EQ(s.Unexpected, 0);
    EXPECT_EQ(s.Pending(), 0u);
  }
  TvlActionBackground* Action;
};

std::string PictureFile(const qytest::TempDir& dir) {
  const std::string path = (dir / "tile.png").string();
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(Qt::green);
  image.save(QString::fromStdString(path), "PNG");
  return path;
}

TEST(BackgroundDialog, ChangesReachTheEditorOnlyOnOkAndMarkDocumentsThatSaveThem) {
  qytest::TempDir dir;
  const std::string picture = PictureFile(dir);
  enum TStep { Nothing, Colour, Picture };
  struct Case {
    const char* Name;
    bool SavesBack;
    TStep Step;
    int Result;
    bool ReadOnly;
    TColor Colour;
    TBackgroundStyle Placement;
    bool Modified;
  } cases[] = {
      {"OK unchanged sets the colour shown", true, Nothing, mrOk, false, clAqua, bsNoBitmap, false},
      {"colour, saved with the entry", true, Colour, mrOk, false, clYellow, bsNoBitmap, true},
      {"colour, not saved", false, Colour, mrOk, false, clYellow, bsNoBitmap, false},
      {"picture in tiles", true, Picture, mrOk, false, clAqua, bsTiled, true},
      {"cancel after changes", true, Picture, mrCancel, false, clNone, bsNoBitmap, false},
      {"protected entry", true, Colour, mrOk, true, clNone, bsNoBitmap, false},
  };
  for (const Case& c : cases) {
    TBackBench b(c.SavesBack);
    b.Edit->SetReadOnly(c.ReadOnly);
    b.Run([&](TfrmVLBack* d) {
      EXPECT_EQ(d->cmbColor->GetChosenColor(), clAqua) << c.Name;
      EXPECT_FALSE(d->btnSave->GetEnabled()) << c.Name;
      if (c.Step == Colour) {
        d->cmbColor->SetChosenColor(clYellow);
        d->cmbColorColorChange(d->cmbColor);
      }
      if (c.Step == Picture) {
        d->btnOpen->Click();
        EXPECT_EQ(d->rg->GetItemIndex(), static_cast<int>(bsTiled)) << c.Name;
        EXPECT_TRUE(d->btnClear->GetEnabled()) << c.Name;
      }
      return c.Result;
    }, [&](TInteractionScript& s) {
      if (c.Step == Picture) s.AnswerValue(picture);
    });
    EXPECT_EQ(b.Edit->GetColor(), c.Colour) << c.Name;
    EXPECT_EQ(b.Edit->GetBackgroundStyle(), c.Placement) << c.Name;
    EXPECT_EQ(!b.Edit->GetBackgroundBitmap()->GetEmpty(), c.Placement != bsNoBitmap) << c.Name;
    EXPECT_EQ(b.Edit->Modified, c.Modified) << c.Name;
  }
}

TEST(BackgroundDialog, ClearingThePictureKeepsThePlacementAndBadFilesAreRefused) {
  qytest::TempDir dir;
  const std::string picture = PictureFile(dir);
  const std::string bad = (dir / "bad.png").string();
  { std::ofstream(bad) << "no picture"; }
  TBackBench b(true);
  b.Run([&](TfrmVLBack* d) {
    d->btnOpen->Click();
    d->rg->SetItemIndex(static_cast<int>(bsCentered));
    d->rgClick(d->rg);
    d->btnClear->Click();
    EXPECT_FALSE(d->btnSave->GetEnabled());
    EXPECT_FALSE(d->btnClear->GetEnabled());
    EXPECT_EQ(d->rg->GetItemIndex(), static_cast<int>(bsCentered));
    d->btnOpen->Click();
    EXPECT_TRUE(d->vl->GetBackgroundBitmap()->GetEmpty());
    return mrOk;
  }, [&](TInteractionScript& s) {
    s.AnswerValue(picture);
    s.AnswerValue(bad);
    s.Answer(IDOK);  // the error message
  });
  EXPECT_EQ(b.Edit->GetBackgroundStyle(), bsCentered);
  EXPECT_TRUE(b.Edit->GetBackgroundBitmap()->GetEmpty());
}

TEST(BackgroundDialog, PaddingChangesThePreviewAndReachesTheEditorOnlyWhenItDiffers) {
  struct Case {
    const char* Name;
    int Left, Top;  // typed in the padding dialog; -1 leaves the field as shown
    int Result;     // of the padding dialog
    int LeftAfter, TopAfter;
    int Notified;
  };
  const Case cases[] = {
      {"left and top", 30, 12, mrOk, 30, 12, 1},
      {"one side", -1, 9, mrOk, 5, 9, 1},
      {"as they were", 5, 7, mrOk, 5, 7, 0},
      {"padding cancelled", 30, 12, mrCancel, 5, 7, 0},
  };
  for (const Case& c : cases) {
    TBackBench b(true);
    b.Edit->LeftMargin = 5;
    b.Edit->TopMargin = 7;
    b.Edit->RightMargin = b.Edit->BottomMargin = 3;
    int notified = 0;
    ActionEvents->OnMarginsChanged = [&](TObject* sender, TVLActionEditor*) {
      EXPECT_EQ(sender, b.Action);
      ++notified;
    };
    b.Run([&](TfrmVLBack* d) {
      // Five placements as pictures, the preview with the editor's margins.
      EXPECT_EQ(d->rg->ItemCount(), 5);
      for (int k = 0; k < 5; ++k) EXPECT_EQ(d->rg->Item(k).ImageIndex, k) << c.Name;
      EXPECT_EQ(d->vl->LeftMargin, 5);
      EXPECT_EQ(d->vl->TopMargin, 7);
      d->btnMargins->Click();
      if (c.Result == mrOk) {
        EXPECT_EQ(d->vl->LeftMargin, c.LeftAfter) << c.Name;
        EXPECT_EQ(d->vl->TopMargin, c.TopAfter) << c.Name;
        EXPECT_EQ(d->vl->RightMargin, 3) << c.Name;
      }
      return mrOk;
    }, [&](TInteractionScript& s) {
      s.Do([&](TInteraction& r) {
        auto* sides = dynamic_cast<TfrmVLFourSides*>(r.Form);
        EXPECT_NE(sides, nullptr);
        if (!sides) return mrCancel;
        if (c.Left >= 0) sides->seLeft->SetValue(c.Left);
        if (c.Top >= 0) sides->seTop->SetValue(c.Top);
        return c.Result;
      });
    });
    ActionEvents->OnMarginsChanged = nullptr;
    EXPECT_EQ(b.Edit->LeftMargin, c.LeftAfter) << c.Name;
    EXPECT_EQ(b.Edit->TopMargin, c.TopAfter) << c.Name;
    EXPECT_EQ(b.Edit->BottomMargin, 3) << c.Name;
    EXPECT_EQ(notified, c.Notified) << c.Name;
  }
}

}  // namespace
