// Text of an 8-bit style in another code page than the checker's, a
// double-byte one above all (Japanese pasted from RTF): the check reads its
// characters, not its bytes as the checker's letters, and marks the word
// it prompts where it is.
#include "SpellEditorSupport.h"

#include <gtest/gtest.h>

namespace {
using spellvltest::TSpellEditor;

TEST(DoubleByteTextSpelling, OnlyTheMisspeltWordIsPromptedAndMarkedExactly) {
  struct Case {
    const char* what;
    Byte charset;
    AnsiString text;  // in the charset's code page
    Integer wordAt;   // offset of "mispeled" in the item, from 0
  } cases[] = {
      // 日本語テキスト mispeled です。: trail bytes "{", "e", "L", "X" and "g", lead
      // bytes that are letters in 1252.
      {"Shift-JIS", SHIFTJIS_CHARSET,
       "\x93\xFA\x96{\x8C\xEA\x83" "e\x83L\x83X\x83g mispeled \x82\xC5\x82\xB7\x81" "B", 15},
      // 한국어 mispeled 글
      {"Korean", HANGEUL_CHARSET, "\xC7\xD1\xB1\xB9\xBE\xEE mispeled \xB1\xDB", 7},
      // Привет mispeled мир
      {"Cyrillic", RUSSIAN_CHARSET, "\xCF\xF0\xE8\xE2\xE5\xF2 mispeled \xEC\xE8\xF0", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSpellEditor w;
    TFontInfo* f = w.E.Style.TextStyles->Add();
    f->FontName = "DejaVu Sans";
    f->Charset = c.charset;
    f->Unicode = false;
    const Integer style = w.E.Style.TextStyles->Count() - 1;
    w.E.D().Clear();
    w.E.D().AddTextItem(c.text, style, 0);
    w.E.D().AddTextItem(spellvltest::U("and fine words"), 0, 0);
    w.Format();
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    std::vector<std::string> shown;
    for (int guard = 0; w.Spell->CheckRunning() && guard < 10; ++guard) {
      shown.push_back(w.Dialog()->NotFoundEdit->GetText());
      if (shown.size() == 1) {
        Integer si, so, ei, eo;
        w.E.Edit->EditData()->GetSelectionBounds(si, so, ei, eo, true);
        EXPECT_EQ(si, 0);
        EXPECT_EQ(ei, 0);
        EXPECT_EQ(so, c.wordAt + 1);
        EXPECT_EQ(eo, c.wordAt + 9);
      }
      w.Dialog()->IgnoreButton->Click();
    }
    EXPECT_EQ(shown, std::vector<std::string>{"mispeled"});
  }
}

}  // namespace
