// The Bullets and Numbering gallery: where the document's lists appear, what
// the choice reports, customising and resetting presets for the run, and the
// command that applies the choice.
#include "actions/ListGalleryVLFrm.h"
#include "actions/ParaListVLFrm.h"
#include "actions/VLActionsList.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLItem.h"

#include "EditorBench.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TPara {
  Integer List = -1;   // -1: a plain paragraph
  Integer Start = -1;  // -1: the marker continues the numbering
};

struct TGalleryBench : TEditorBench {
  TGalleryBench() {
    PlainSheet();
    Sheet->ListStyles->Clear();
    VLResetListPresetStore();
  }
  ~TGalleryBench() { VLResetListPresetStore(); }
  // A one-level list of the document, unlike every preset.
  Integer AddList(const String& name, bool numbered) {
    TVLListInfo* l = Sheet->ListStyles->Add();
    l->StyleName = name;
    TVLListLevel* L = l->Levels->Add();
    L->LeftIndent = 30;
    if (numbered) {
      L->ListType = vllstDecimal;
      L->FormatString = "[%0:s]";
    }
    return Sheet->ListStyles->Count() - 1;
  }
  void Paras(std::initializer_list<TPara> paras) {
    Edit->Clear();
    int n = 0;
    for (const TPara& p : paras) {
      const String text = "p" + std::to_string(n++);
      if (p.List >= 0) {
        Edit->VLData()->SetListMarker(-1, p.List, 0, p.Start >= 0 ? p.Start : 1, 0, p.Start >= 0);
        Edit->VLData()->AddTextItem(text, 0, -1);
      } else {
        Edit->AddTextItem(text, 0, 0);
      }
    }
    Edit->Format();
  }
  Integer TextItem(int para) {
    for (Integer i = 0; i < Edit->ItemCount(); ++i)
      if (Edit->GetItemTextUtf8(i) == "p" + std::to_string(para)) return i;
    return -1;
  }
  void CaretIn(int para) { Edit->SetCaret(TextItem(para), Edit->GetItemStartOffset(TextItem(para))); }
  void SelectParas(int from, int to) {
    Edit->SetSelectionBounds(TextItem(from), Edit->GetItemStartOffset(TextItem(from)), TextItem(to),
                             Edit->GetItemEndOffset(TextItem(to)));
  }
  TfrmVLListGallery& Open() {
    Gallery.reset(CreateVLForm<TfrmVLListGallery>(nullptr));
    Gallery->InitFromEditor(ActionEditorOf(Edit));
    return *Gallery;
  }
  Integer Page() { return Gallery->pc->GetActivePage() == Gallery->ts2 ? 1 : 0; }
  Integer Item() { return (Page() == 0 ? Gallery->rg1 : Gallery->rg2)->GetItemIndex(); }
  struct TResult {
    bool None;
    Integer ListNo, StartFrom;
    bool UseStartFrom;
  };
  TResult Result() {
    TVLListInfo* style = nullptr;
    TResult r{false, -99, -99, true};
    Gallery->GetListStyle(style, r.ListNo, r.StartFrom, r.UseStartFrom);
    r.None = style == nullptr;
    return r;
  }
  std::unique_ptr<TfrmVLListGallery> Gallery;
};

TEST(ListGallery, DocumentListsTakeTheSlotTheirNamePointsAt) {
  struct Case {
    const char* Name;
    bool Numbered;
    Integer Page, Item;
  } cases[] = {
      {"3", true, 1, 3},   {"3", false, 0, 3},  {"7", true, 1, 7},
      {"12", true, 1, 7},  // a number past the slots: the last one
      {"0", false, 0, 7},  {"-3", true, 1, 7}, {"Chapters", true, 1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TGalleryBench b;
    for (int i = 0; i < 5; ++i) b.AddList("x", false);  // lists 0..4, unused
    const Integer list = b.AddList(c.Name, c.Numbered);
    EXPECT_EQ(list, 5);
    b.Paras({{}, {list}, {}});
    b.CaretIn(1);
    TfrmVLListGallery& g = b.Open();
    EXPECT_EQ(b.Page(), c.Page);
    EXPECT_EQ(b.Item(), c.Item);
    // The slot shows the document's list, not the preset.
    TVLStyle& presets = c.Page == 0 ? *g.VLStyle1 : *g.VLStyle2;
    EXPECT_TRUE(presets.ListStyles->Items(c.Item - 1)->IsEqual(*b.Sheet->ListStyles->Items(list), false, true));
    EXPECT_EQ(b.Result().ListNo, 5);
  }
}

TEST(ListGallery, ListsAroundTheSelectionFillFreeSlotsAndOnlyTheLastParagraphChoosesThePage) {
  TGalleryBench b;
  const Integer before = b.AddList("2", true);
  const Integer first = b.AddList("2", true);
  const Integer second = b.AddList("2", true);
  const Integer bullets = b.AddList("4", false);
  b.Paras({{before, 9}, {first, 4}, {bullets}, {second}, {}});
  b.SelectParas(1, 3);
  TfrmVLListGallery& g = b.Open();
  // The last paragraph's list takes its own slot; the others the highest
  // free ones; the paragraph before the selection passes no restart value.
  EXPECT_EQ(b.Page(), 1);
  EXPECT_EQ(b.Item(), 2);
  EXPECT_EQ(g.SlotListNo[1], (std::vector<Integer>{-1, second, -1, -1, -1, first, before}));
  EXPECT_EQ(g.SlotStartFrom, (std::vector<Integer>{-1, -1, -1, -1, -1, 4, -1}));
  EXPECT_EQ(g.SlotListNo[0], (std::vector<Integer>{-1, -1, -1, bullets, -1, -1, -1}));
}

TEST(ListGallery, APlainParagraphOpensOnNoneAndNoneReportsNoList) {
  TGalleryBench b;
  b.Paras({{}, {}});
  b.CaretIn(1);
  b.Open();
  EXPECT_EQ(b.Page(), 0);
  EXPECT_EQ(b.Item(), 0);
  EXPECT_FALSE(b.Gallery->btnEdit1->GetEnabled());
  EXPECT_FALSE(b.Gallery->btnReset->GetEnabled());
  EXPECT_TRUE(b.Result().None);
}

TEST(ListGallery, NumberingChoicesAndWhatTheyReport) {
  struct Case {
    const char* Name;
    bool DocumentList;  // the caret's paragraph is in a list restarting at 4
    int Choice;
    Integer Value;
    std::vector<const char*> Choices;
    Integer ListNo, StartFrom;
    bool UseStartFrom;
  } cases[] = {
      {"a preset, from 1", false, 0, 1, {"create a new list, starting from"}, -1, 1, false},
      {"a preset, from 4", false, 0, 4, {"create a new list, starting from"}, -1, 4, true},
      {"the list, continued", true, 0, 0, {"continue numbering", "reset numbering to", "create a new list, starting from"}, 0, 1, false},
      {"the list, restarted", true, 1, 0, {"continue numbering", "reset numbering to", "create a new list, starting from"}, 0, 4, true},
      {"a new list", true, 2, 1, {"continue numbering", "reset numbering to", "create a new list, starting from"}, -1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TGalleryBench b;
    const Integer list = b.AddList("2", true);
    if (c.DocumentList) b.Paras({{list, 4}});
    else b.Paras({{}});
    b.CaretIn(0);
    TfrmVLListGallery& g = b.Open();
    if (!c.DocumentList) {
      g.pc->SetActivePage(g.ts2);
      g.rg2->SetItemIndex(2);
      g.rg2Click(nullptr);
    }
    ASSERT_EQ(b.Page(), 1);
    std::vector<const char*> shown;
    std::vector<String> texts;
    for (int i = 0; i < g.cmbNumbering->Items().Count(); ++i) texts.push_back(g.cmbNumbering->Items().Get(i));
    ASSERT_EQ(texts.size(), c.Choices.size());
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], c.Choices[i]);
    if (c.DocumentList) {
      // It opens on the restart with its value.
      EXPECT_EQ(g.cmbNumbering->GetItemIndex(), 1);
      EXPECT_EQ(g.seStartFrom->AsInteger(), 4);
    }
    g.cmbNumbering->SetItemIndex(c.Choice);
    g.cmbNumberingClick(nullptr);
    EXPECT_EQ(g.seStartFrom->GetEnabled(), c.Choice > 0 || !c.DocumentList);
    if (c.Value > 0) g.seStartFrom->SetValue(c.Value);
    const auto r = b.Result();
    EXPECT_FALSE(r.None);
    EXPECT_EQ(r.ListNo, c.ListNo);
    EXPECT_EQ(r.StartFrom, c.StartFrom);
    EXPECT_EQ(r.UseStartFrom, c.UseStartFrom);
  }
}

// Customise turns every level of the preset into numbers in the dialog.
void NumberEveryLevel(TInteractionScript& script) {
  script.Do([](TInteraction& r) {
    auto* d = dynamic_cast<TfrmVLParaList*>(r.Form);
    EXPECT_NE(d, nullptr);
    if (!d) return mrCancel;
    for (int i = 0; i < d->lstLevels->Items().Count(); ++i) {
      d->lstLevels->SetItemIndex(i);
      d->lstLevelsClick(nullptr);
      d->cmbNumbers->SetItemIndex(1);
      d->cmbNumbersClick(nullptr);
    }
    return mrOk;
  });
}

TEST(ListGallery, CustomisedPresetMovesToItsPageAndIsKeptForTheRunUntilReset) {
  TGalleryBench b;
  b.Paras({{}});
  b.CaretIn(0);
  TfrmVLListGallery& g = b.Open();
  TVLStyle bulletedBefore(nullptr);
  bulletedBefore.ListStyles->Assign(g.VLStyle1->ListStyles.get());
  g.rg1->SetItemIndex(2);
  g.rg1Click(nullptr);
  EXPECT_TRUE(g.btnEdit1->GetEnabled());
  EXPECT_FALSE(g.btnReset->GetEnabled());  // untouched
  {
    TInteractionScript script;
    NumberEveryLevel(script);
    g.btnEdit1Click(nullptr);
    EXPECT_EQ(script.Unexpected, 0);
  }
  EXPECT_EQ(g.ModalResult, mrOk);
  EXPECT_EQ(b.Page(), 1);
  EXPECT_EQ(b.Item(), 2);
  EXPECT_TRUE(g.VLStyle2->ListStyles->Items(1)->AllNumbered());
  EXPECT_TRUE(g.VLStyle1->ListStyles->Items(1)->IsEqual(*bulletedBefore.ListStyles->Items(1), false, true));
  // The slot is a preset now: a new list from 1, never a stale choice.
  auto r = b.Result();
  EXPECT_FALSE(r.None);
  EXPECT_EQ(r.ListNo, -1);
  EXPECT_EQ(r.StartFrom, 1);
  EXPECT_FALSE(r.UseStartFrom);

  TVLStyle customised(nullptr);
  customised.ListStyles->Add()->Assign(g.VLStyle2->ListStyles->Items(1));
  // The next opening shows it, with Reset on offer.
  TfrmVLListGallery& again = b.Open();
  EXPECT_TRUE(again.VLStyle2->ListStyles->Items(1)->IsEqual(*customised.ListStyles->Items(0), false, true));
  again.pc->SetActivePage(again.ts2);
  again.rg2->SetItemIndex(2);
  again.rg2Click(nullptr);
  EXPECT_TRUE(again.btnReset->GetEnabled());
  again.btnResetClick(nullptr);
  EXPECT_FALSE(again.btnReset->GetEnabled());
  EXPECT_TRUE(VLListPresetStore(1).ListStyles->Items(1)->IsEqual(*again.vlsTemplate2->ListStyles->Items(1), false, true));
}

TEST(ListGallery, ResetIsOfferedOnlyForASlotThatDiffersFromTheFactoryPreset) {
  TGalleryBench b;
  // A document list equal to numbered preset 2, and one that is not.
  TVLStyle factory(nullptr);
  VLFillListTemplates(factory, 1);
  b.Sheet->ListStyles->Add()->Assign(factory.ListStyles->Items(1));
  const Integer other = b.AddList("3", true);
  b.Paras({{0}, {other}});
  for (int para : {0, 1}) {
    b.CaretIn(para);
    TfrmVLListGallery& g = b.Open();
    EXPECT_EQ(b.Item(), para == 0 ? 2 : 3);
    EXPECT_EQ(g.btnReset->GetEnabled(), para == 1) << para;
  }
}

TEST(ListGallery, PreviewsDrawTheListAndAListWithoutLevelsStaysBlank) {
  TGalleryBench b;
  b.Paras({{}});
  TfrmVLListGallery& g = b.Open();
  auto inked = [](TBitmap& bitmap) {
    const QImage image = bitmap.Image().convertToFormat(QImage::Format_RGB32);
    const QRgb window = image.pixel(0, 0);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != window;
    return n;
  };
  TVLStyle sheet(nullptr);
  VLFillListTemplates(sheet, 1);
  sheet.ListStyles->Add();  // no levels
  for (Integer i = 0; i < sheet.ListStyles->Count(); ++i) {
    TBitmap bitmap(67, 93);
    g.DrawListPreview(bitmap, i, sheet);
    if (i < VLListPresetCount) EXPECT_GT(inked(bitmap), 50) << i;
    else EXPECT_EQ(inked(bitmap), 0);
  }
  // Markers are drawn left of their text: dark ink where only they can be.
  TVLStyle one(nullptr);
  TVLListLevel* L = one.ListStyles->Add()->Levels->Add();
  L->ListType = vllstDecimal;
  L->FormatString = "%0:s.";
  L->LeftIndent = 80;
  L->GetFont()->SetColor(clBlack);
  TBitmap marked(67, 93);
  g.DrawListPreview(marked, 0, one);
  const QImage image = marked.Image().convertToFormat(QImage::Format_RGB32);
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < 36; ++x) {
      const QColor c = image.pixelColor(x, y);
      dark += c.red() < 0x50 && c.green() < 0x50 && c.blue() < 0x50;
    }
  EXPECT_GT(dark, 5);
  // "None" and the seven presets on each page.
  EXPECT_EQ(g.il->Count(), 8);
  EXPECT_EQ(g.il2->Count(), 8);
}

// ---------------------------------------------------------------------------
// The command

struct TCommandBench : TGalleryBench {
  TCommandBench() {
    Action = new TvlActionParaList(Form);
    Bullets = new TvlActionParaBullets(Form);
    Numbering = new TvlActionParaNumbering(Form);
    Action->SetControl(Edit);
    ActionEvents->OnStyleAdded = [this](TObject*, TCustomVLInfo*) { ++Added; };
  }
  ~TCommandBench() { ActionEvents->OnStyleAdded = nullptr; }
  // Runs the command choosing item Item of page Page (numbering Choice).
  bool Choose(Integer Page, Integer Item, int Choice = 0) {
    TInteractionScript script;
    script.Do([=](TInteraction& r) {
      auto* g = dynamic_cast<TfrmVLListGallery*>(r.Form);
      EXPECT_NE(g, nullptr);
      if (!g) return mrCancel;
      g->pc->SetActivePage(Page == 0 ? g->ts1 : g->ts2);
      (Page == 0 ? g->rg1 : g->rg2)->SetItemIndex(Item);
      if (Page == 0) g->rg1Click(nullptr);
      else g->rg2Click(nullptr);
      if (Page == 1 && Item > 0) {
        g->cmbNumbering->SetItemIndex(Choice);
        g->cmbNumberingClick(nullptr);
      }
      return mrOk;
    });
    Action->Update();
    const bool done = Action->Execute();
    EXPECT_EQ(script.Unexpected, 0);
    return done;
  }
  // The list number of each paragraph, -1 for none.
  std::vector<Integer> Lists() {
    std::vector<Integer> r;
    for (Integer i = 0; i < Edit->ItemCount(); ++i)
      if (Edit->VLData()->IsParaStart(i)) {
        auto* m = dynamic_cast<TVLMarkerItemInfo*>(Edit->GetItem(i));
        r.push_back(m ? m->ListNo : -1);
      }
    return r;
  }
  TvlActionParaList* Action;
  TvlActionParaBullets* Bullets;
  TvlActionParaNumbering* Numbering;
  int Added = 0;
};

TEST(ListGalleryCommand, NumberedChoiceEqualToAListInUseAddsOneStyleOnce) {
  TCommandBench b;
  TVLStyle factory(nullptr);
  VLFillListTemplates(factory, 1);
  b.Sheet->ListStyles->Add()->Assign(factory.ListStyles->Items(1));  // in use, equal to preset 2
  b.Paras({{0}, {}, {}});
  b.CaretIn(2);
  ASSERT_TRUE(b.Choose(1, 2));
  // A new list: it does not join list 0's numbering.
  EXPECT_EQ(b.Sheet->ListStyles->Count(), 2);
  EXPECT_EQ(b.Added, 1);
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{0, -1, 1}));
  EXPECT_TRUE(b.Numbering->GetListLevels().IsEqual(*factory.ListStyles->Items(1)->Levels));
  // Chosen again inside that list, it continues the list and adds nothing.
  b.SelectParas(1, 2);
  ASSERT_TRUE(b.Choose(1, 2));
  EXPECT_EQ(b.Sheet->ListStyles->Count(), 2);
  EXPECT_EQ(b.Added, 1);
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{0, 1, 1}));
}

TEST(ListGalleryCommand, BulletedChoiceReusesAnEqualStyleAndTheTogglesFollow) {
  TCommandBench b;
  TVLStyle factory(nullptr);
  VLFillListTemplates(factory, 0);
  b.Sheet->ListStyles->Add()->Assign(factory.ListStyles->Items(4));
  b.Paras({{}, {}});
  b.CaretIn(1);
  ASSERT_TRUE(b.Choose(0, 5));
  EXPECT_EQ(b.Sheet->ListStyles->Count(), 1);
  EXPECT_EQ(b.Added, 0);
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{-1, 0}));
  EXPECT_TRUE(b.Bullets->GetListLevels().IsEqual(*factory.ListStyles->Items(4)->Levels));
  // Another preset is added once and announced.
  b.CaretIn(0);
  ASSERT_TRUE(b.Choose(0, 1));
  EXPECT_EQ(b.Sheet->ListStyles->Count(), 2);
  EXPECT_EQ(b.Added, 1);
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{1, 0}));
  // "None" takes the list away; Cancel changes nothing.
  ASSERT_TRUE(b.Choose(0, 0));
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{-1, 0}));
  {
    TInteractionScript script;
    script.Answer(mrCancel);
    b.CaretIn(1);
    b.Action->Update();
    b.Action->Execute();
  }
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{-1, 0}));
}

TEST(ListGalleryCommand, AListMixingBulletsAndNumbersChangesNeitherToggle) {
  TCommandBench b;
  TVLListLevelCollection bullets(nullptr), numbers(nullptr);
  bullets.Assign(&b.Bullets->GetListLevels());
  numbers.Assign(&b.Numbering->GetListLevels());
  TVLListInfo* mixed = b.Sheet->ListStyles->Add();
  mixed->StyleName = "5";
  TVLListLevel* first = mixed->Levels->Add();
  first->ListType = vllstDecimal;
  first->FormatString = "%0:s.";
  mixed->Levels->Add();  // a bullet
  b.Paras({{0}});
  b.CaretIn(0);
  ASSERT_TRUE(b.Choose(1, 5, 0));
  EXPECT_EQ(b.Lists(), (std::vector<Integer>{0}));
  EXPECT_TRUE(b.Bullets->GetListLevels().IsEqual(bullets));
  EXPECT_TRUE(b.Numbering->GetListLevels().IsEqual(numbers));
}

TEST(ListGalleryCommand, AnEditorClosedWhileTheGalleryIsOpenIsLeftAlone) {
  TCommandBench b;
  b.Paras({{}});
  b.CaretIn(0);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* g = dynamic_cast<TfrmVLListGallery*>(r.Form);
    if (!g) return mrCancel;
    g->rg1->SetItemIndex(1);
    delete b.Edit;
    b.Edit = nullptr;
    return mrOk;
  });
  b.Action->Update();
  b.Action->Execute();
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(b.Sheet->ListStyles->Count(), 0);
  EXPECT_EQ(b.Added, 0);
}

}  // namespace
