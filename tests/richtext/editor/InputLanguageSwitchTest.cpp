// With vloAutoSwitchLang, an 8-bit current text style follows the input
// language: the style like it in the new language's charset becomes
// current, added when the style sheet has none.
#include "EditorFixture.h"

#include "platform/base/CodePages.h"

using namespace qytest;

namespace {

struct TLanguageEditor : TEditor {
  TLanguageEditor() {
    TFontInfo* plain = Style.TextStyles->Items(0);
    plain->Unicode = false;
    plain->Charset = ANSI_CHARSET;
    Edit->SetEditorOptions(Edit->GetEditorOptions() + vloAutoSwitchLang);
    Edit->SetCurTextStyleNo(0);
  }
  Integer Cur() { return Edit->GetCurTextStyleNo(); }
  void Switch(Byte charset) { Edit->Perform(WM_INPUTLANGCHANGE, charset); }
};

TEST(InputLanguageSwitch, TheCurrentStyleFollowsTheCharsetAndAVariantIsAddedOnce) {
  TLanguageEditor e;
  const Integer count = e.Style.TextStyles->Count();
  e.Switch(RUSSIAN_CHARSET);
  ASSERT_EQ(e.Style.TextStyles->Count(), count + 1);
  const Integer russian = count;
  EXPECT_EQ(e.Cur(), russian);
  const TFontInfo* variant = e.Style.TextStyles->Items(russian);
  EXPECT_EQ(variant->Charset, RUSSIAN_CHARSET);
  EXPECT_FALSE(variant->Standard);
  EXPECT_FALSE(variant->Unicode);
  EXPECT_EQ(variant->FontName, "Arial");
  EXPECT_EQ(variant->Size, 10);
  // Back and forth: the two styles are found again, nothing more is added.
  e.Switch(ANSI_CHARSET);
  EXPECT_EQ(e.Cur(), 0);
  e.Switch(RUSSIAN_CHARSET);
  EXPECT_EQ(e.Cur(), russian);
  EXPECT_EQ(e.Style.TextStyles->Count(), count + 1);
}

TEST(InputLanguageSwitch, ThatChangesNothing) {
  const struct {
    const char* What;
    std::function<void(TLanguageEditor&)> Setup;
  } cases[] = {
      {"without the option", [](TLanguageEditor& e) { e.Edit->SetEditorOptions(TVLEditorOptions()); }},
      {"a Unicode current style", [](TLanguageEditor& e) { e.Edit->SetCurTextStyleNo(1); }},
      {"without the focus", [](TLanguageEditor& e) {
         auto* other = new TVellumEdit(e.Form.get());
         other->SetParent(e.Form.get());
         other->SetBounds(0, 302, 100, 10);
         other->SetFocus();
       }},
  };
  for (const auto& c : cases) {
    TLanguageEditor e;
    c.Setup(e);
    const Integer cur = e.Cur(), count = e.Style.TextStyles->Count();
    e.Switch(GREEK_CHARSET);
    EXPECT_EQ(e.Cur(), cur) << c.What;
    EXPECT_EQ(e.Style.TextStyles->Count(), count) << c.What;
  }
}

TEST(InputLanguageSwitch, TypedTextTakesTheNewStyle) {
  TLanguageEditor e;
  e.Switch(RUSSIAN_CHARSET);
  const Integer russian = e.Cur();
  // The keys of a Cyrillic layout.
  e.RawKey(0x0414, Qt::NoModifier, QString::fromUtf16(u"\u0434"));
  e.RawKey(0x0410, Qt::NoModifier, QString::fromUtf16(u"\u0430"));
  EXPECT_EQ(e.Text(), "\xD0\xB4\xD0\xB0");
  EXPECT_EQ(e.Edit->GetItem(e.Edit->CurItemNo())->StyleNo, russian);
}

}  // namespace
