// Number formats of list levels as users see and type them, and the
// Customize List dialog editing a list style level by level.
#include "actions/ParaListVLFrm.h"
#include "actions/SymbolVLFrm.h"
#include "actions/VLALocalize.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLMarkerText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(ListFormat, TokenizerKeepsWhatItDoesNotKnowAsTextAndSaysWhere) {
  struct Case {
    const char* Format;
    bool Valid;
    size_t ErrorPos;
    Integer Level;
    const char* Shown;
  } cases[] = {
      {"%0:s.%1:s.%2:s", true, 0, 2, "<L1>.<L2>.<L3>"},
      {"%0:s.%3:s", true, 0, 1, "<L1>."},  // deeper levels show nothing
      {"%s-%s", true, 0, 1, "<L1>-<L2>"},
      {"50%%", true, 0, 0, "50%"},
      {"%d)", false, 0, 0, "%d)"},
      {"(%300:s)", false, 1, 0, "(%300:s)"},
      {"a%0:x", false, 1, 0, "a%0:x"},
      {"%99999999999999999999:s", false, 0, 0, "%99999999999999999999:s"},
      {"end%", false, 3, 0, "end%"},
      {"", true, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format);
    const TVLListFormatParse p = ParseListFormat(c.Format);
    EXPECT_EQ(p.Valid, c.Valid);
    if (!c.Valid) {
      EXPECT_EQ(p.ErrorPos, c.ErrorPos);
    }
    EXPECT_EQ(ListFormatToDisplay(c.Format, c.Level), c.Shown);
  }
}

TEST(ListFormat, TypedTextBecomesAFormatThatDrawsAsTyped) {
  struct Case {
    const char* Typed;
    Integer Level;
    const char* Format;
    const char* Drawn;  // with the counters "A", "B", "C", "D"
  } cases[] = {
      {"<L1>.<L2>.<L3>", 2, "%0:s.%1:s.%2:s", "A.B.C"},
      {"<L1>.<L4>", 2, "%0:s.<L4>", "A.<L4>"},  // only the levels down to this one
      {"50%", 0, "50%%", "50%"},
      {"%d <L1>", 0, "%%d %0:s", "%d A"},
      {"%0:s", 0, "%%0:s", "%0:s"},
      {"<L0><L1", 0, "<L0><L1", "<L0><L1"},
      {"(<L2>)", 1, "(%1:s)", "(B)"},
  };
  TVLLevelTexts texts;
  for (int i = 0; i < 4; ++i) texts[static_cast<size_t>(i)] = AnsiString(1, static_cast<char>('A' + i));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    const AnsiString format = DisplayToListFormat(c.Typed, c.Level);
    EXPECT_EQ(format, c.Format);
    EXPECT_EQ(VLFormatMarkerText(format, texts), c.Drawn);
    // Shown again, it reads as typed.
    EXPECT_EQ(ListFormatToDisplay(format, c.Level), c.Typed);
  }
}

// ---------------------------------------------------------------------------

struct TCustomBench {
  TCustomBench() {
    Application->Initialize();
    ResetBulletCharacters();
    Dialog.reset(CreateVLForm<TfrmVLParaList>(nullptr));
  }
  // A list of Count levels: bullets, or decimal numbers with the counters of
  // every level above.
  static void Fill(TVLListInfo& list, Integer count, bool numbered) {
    list.Levels->Clear();
    for (Integer i = 0; i < count; ++i) {
      TVLListLevel* L = list.Levels->Add();
      L->LeftIndent = 24 + 48 * i;
      L->MarkerIndent = 48 * i;
      L->FirstIndent = 0;
      if (numbered) {
        L->ListType = vllstDecimal;
        AnsiString f;
        for (Integer k = 0; k <= i; ++k) f += "%" + std::to_string(k) + ":s.";
        L->FormatString = f;
      } else {
        L->GetFont()->SetName("Symbol");
        L->GetFont()->SetCharset(2);
      }
    }
  }
  void Open(Integer count, bool numbered) {
    TVLStyle sheet(nullptr);
    TVLListInfo* list = sheet.ListStyles->Add();
    Fill(*list, count, numbered);
    Dialog->SetListInfo(*list);
  }
  void SelectLevel(Integer L) {
    Dialog->lstLevels->SetItemIndex(L);
    Dialog->lstLevelsClick(Dialog->lstLevels);
  }
  void ChooseType(int entry) {
    Dialog->cmbNumbers->SetItemIndex(entry);
    Dialog->cmbNumbersClick(Dialog->cmbNumbers);
  }
  Integer Returned() {
    TVLStyle sheet(nullptr);
    TVLListInfo* out = sheet.ListStyles->Add();
    Dialog->GetListInfo(*out);
    return out->Levels->Count();
  }
  std::unique_ptr<TfrmVLParaList> Dialog;
};

TEST(CustomizeList, LevelCountRangeAndLevelsAreNeverDropped) {
  struct Case {
    Integer Levels, MaxShown, SetTo, Listed, Returned;
  } cases[] = {
      {12, 12, 12, 12, 12},
      {3, 9, 5, 5, 5},  // raising the count adds default levels
      {9, 9, 3, 3, 9},  // lowering it only hides the deeper ones
      {0, 9, 1, 1, 1},  // a list without levels gets one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Levels);
    TCustomBench b;
    b.Open(c.Levels, false);
    EXPECT_EQ(b.Dialog->seLevels->MaxValue, c.MaxShown);
    b.Dialog->seLevels->SetValue(c.SetTo);
    EXPECT_EQ(b.Dialog->lstLevels->Items().Count(), c.Listed);
    EXPECT_EQ(b.Returned(), c.Returned);
  }
}

TEST(CustomizeList, NumberFormatOfTheThirdLevelAndWhatIsTypedThere) {
  TCustomBench b;
  b.Open(9, true);
  b.SelectLevel(2);
  EXPECT_EQ(b.Dialog->txtNumbers->GetText(), "<L1>.<L2>.<L3>.");
  EXPECT_TRUE(b.Dialog->nb[1]->GetVisible());
  EXPECT_EQ(b.Dialog->cmbLevel->Items().Count(), 3);  // Level 1, Level 2, This level
  b.Dialog->txtNumbers->SetText("<L1>-<L4> 50%");
  EXPECT_EQ(b.Dialog->Working().Levels->Items(2)->FormatString, "%0:s-<L4> 50%%");
  // Inserting a placeholder puts it at the caret.
  b.Dialog->txtNumbers->SetText("()");
  b.Dialog->txtNumbers->SetSelStart(1);
  b.Dialog->txtNumbers->SetSelLength(0);
  b.Dialog->cmbLevel->SetItemIndex(1);
  b.Dialog->cmbLevelClick(nullptr);
  EXPECT_TRUE(b.Dialog->btnInsert->GetEnabled());
  b.Dialog->btnInsertClick(nullptr);
  EXPECT_EQ(b.Dialog->Working().Levels->Items(2)->FormatString, "(%1:s)");
}

TEST(CustomizeList, SwitchingTypesRemembersTheBulletAndTheNumber) {
  TCustomBench b;
  b.Open(3, false);
  b.SelectLevel(1);
  TVLListLevel& L = *b.Dialog->Working().Levels->Items(1);
  L.FormatString = AnsiString(1, '\xA8');
  b.SelectLevel(1);
  b.ChooseType(1);
  EXPECT_EQ(L.ListType, vllstDecimal);
  EXPECT_EQ(L.FormatString, "%1:s.");
  EXPECT_EQ(L.GetFont()->GetName(), "Arial");
  EXPECT_EQ(L.GetFont()->GetCharset(), 0);
  b.ChooseType(0);
  EXPECT_EQ(L.ListType, vllstBullet);
  EXPECT_EQ(L.FormatString, AnsiString(1, '\xA8'));
  EXPECT_EQ(L.GetFont()->GetName(), "Symbol");
  EXPECT_EQ(L.GetFont()->GetCharset(), 2);
}

TEST(CustomizeList, AnEmptyBulletTakesItsCellsCharacterAndTheCellTheLevelsFont) {
  TCustomBench b;
  TVLStyle sheet(nullptr);
  TVLListInfo* list = sheet.ListStyles->Add();
  TVLListLevel* L = list->Levels->Add();
  L->FormatString.clear();
  L->GetFont()->SetName("Courier New");
  b.Dialog->SetListInfo(*list);
  EXPECT_EQ(b.Dialog->Working().Levels->Items(0)->FormatString, AnsiString(1, '\xFC'));
  EXPECT_EQ(BulletCharacters(5).Font.GetName(), "Courier New");
  EXPECT_EQ(b.Dialog->rgBullet->GetItemIndex(), 5);
  // Choosing another cell takes its bullet and font.
  b.Dialog->rgBullet->SetItemIndex(1);
  b.Dialog->rgBulletClick(nullptr);
  EXPECT_EQ(b.Dialog->Working().Levels->Items(0)->FormatString, "o");
}

TEST(CustomizeList, StartValueIsShownOnlyWhenItIsNotOne) {
  for (Integer start : {1, 5}) {
    TCustomBench b;
    TVLStyle sheet(nullptr);
    TVLListInfo* list = sheet.ListStyles->Add();
    TCustomBench::Fill(*list, 2, true);
    list->Levels->Items(0)->StartFrom = start;
    b.Dialog->SetListInfo(*list);
    EXPECT_EQ(b.Dialog->seStartAt->GetVisible(), start != 1) << start;
    EXPECT_EQ(b.Dialog->lblStartAt->GetVisible(), start != 1) << start;
    EXPECT_EQ(b.Dialog->seStartAt->AsInteger(), start);
  }
}

TEST(CustomizeList, PreviewHalvesIndentsAndAClickOnALevelsTextSelectsIt) {
  TCustomBench b;
  b.Open(4, false);
  b.SelectLevel(0);
  b.Dialog->seLeftIndent->SetValue(25);
  b.Dialog->seFirstIndent->SetValue(15);
  const TVLListLevel& shown = *b.Dialog->vls2->ListStyles->Items(0)->Levels->Items(0);
  EXPECT_EQ(shown.LeftIndent, 12);
  EXPECT_EQ(shown.FirstIndent, 8);
  EXPECT_EQ(b.Dialog->Working().Levels->Items(0)->LeftIndent, 25);
  // The second line of level 3's text.
  Integer clicked = -1;
  for (Integer id = 0; id < 64 && clicked < 0; ++id) {
    const Integer item = b.Dialog->vl->GetJumpPointItemNo(id);
    if (item >= 0 && b.Dialog->vl->VLData()->GetItemTag(item).Int == 3 && !b.Dialog->vl->VLData()->IsParaStart(item - 1))
      clicked = id;
  }
  ASSERT_GE(clicked, 0);
  b.Dialog->vlJump(nullptr, clicked);
  EXPECT_EQ(b.Dialog->lstLevels->GetItemIndex(), 3);
  EXPECT_EQ(b.Dialog->CurrentLevel(), 3);
}

TEST(CustomizeList, TheBulletButtonChoosesACharacterThroughTheSymbolDialog) {
  struct Case {
    const char* name;
    TModalResult answer;
  } cases[] = {{"OK", mrOk}, {"Cancel", mrCancel}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetBulletCharacters();
    TCustomBench b;
    b.Open(1, false);
    b.Dialog->rgBullet->SetItemIndex(2);
    b.Dialog->rgBulletClick(nullptr);
    TVLListLevel& L = *b.Dialog->Working().Levels->Items(0);
    const AnsiString before = L.FormatString;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = dynamic_cast<TfrmVLInsertSymbol*>(r.Form);
      EXPECT_NE(d, nullptr);
      if (!d) return mrCancel;
      EXPECT_EQ(d->GetText(), LanguageText(465));
      EXPECT_EQ(d->btnOk->GetText(), LanguageText(195));
      // Opened on the cell's own character.
      Word code = 0;
      String font;
      TFontCharset charset = 0;
      d->GetResult(code, font, charset);
      EXPECT_EQ(code, static_cast<Byte>(before[0]));
      d->Init(0x2022, "DejaVu Sans", DEFAULT_CHARSET);
      return c.answer;
    });
    b.Dialog->btnBulletClick(nullptr);
    EXPECT_EQ(script.Shown.size(), 1u);
    if (c.answer == mrOk) {
      EXPECT_EQ(L.ListType, vllstUnicodeBullet);
      EXPECT_EQ(L.FormatStringW, u"\u2022");
      EXPECT_TRUE(BulletCharacters(2).IsUnicode);
      EXPECT_EQ(BulletCharacters(2).Font.GetName(), "DejaVu Sans");
      EXPECT_EQ(L.GetFont()->GetName(), "DejaVu Sans");
    } else {
      EXPECT_EQ(L.ListType, vllstBullet);
      EXPECT_EQ(L.FormatString, before);
      EXPECT_FALSE(BulletCharacters(2).IsUnicode);
    }
  }
  ResetBulletCharacters();
}

// A file that is not there is named; one that holds no picture gets the
// general reasons.
TEST(CustomizeList, APictureThatDoesNotLoadIsReportedAndTheLevelKeepsItsOwn) {
  qytest::TempDir dir;
  const std::string noPicture = (dir / "words.png").string();
  qytest::WriteFileBytes(noPicture, "no picture in here");
  const struct {
    std::string File;
    String Said;
  } cases[] = {
      {"/nonexistent/picture.png", "The file /nonexistent/picture.png cannot be used as a picture: it does not exist."},
      {noPicture, LanguageText(215)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    TCustomBench b;
    b.Open(1, false);
    b.ChooseType(6);
    EXPECT_EQ(b.Dialog->Working().Levels->Items(0)->ListType, vllstPicture);
    EXPECT_TRUE(b.Dialog->nb[2]->GetVisible());
    TInteractionScript script;
    script.AnswerValue(c.File, mrOk);
    script.Answer(IDOK);
    b.Dialog->btnImageClick(nullptr);
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Text, c.Said);
    EXPECT_FALSE(b.Dialog->Working().Levels->Items(0)->HasPicture());
  }
}

}  // namespace
