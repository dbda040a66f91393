// Damaged or foreign dictionary and thesaurus files: named in a message,
// left as they are, and the check goes on without them.
#include "SpellEditorSupport.h"

#include <gtest/gtest.h>

namespace {
using spellvltest::TSpellEditor;

TEST(DamagedFiles, RefusedWithTheirNameAndTheCheckGoesOn) {
  const std::string garbage = std::string("not a dictionary at all\n") + std::string(300, '\x7F');
  struct Case {
    const char* file;  // written with garbage in the user's folder
    const char* active;
    bool named;        // a message names it
  } cases[] = {
      {"Mine.spu", "Mine.spu", true},
      // A damaged copy ahead of the program's own main dictionary: the
      // good one is used and nothing needs saying.
      {"American.spm", "Other.spu", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TSpellEditor w;
    const auto path = w.Tmp / c.file;
    qytest::WriteFileBytes(path, garbage);
    w.Spell->ConfigDefaultActiveCustom = c.active;
    w.SetText({"some wrods"});
    TInteractionScript script;
    script.Answer(IDOK);  // the message about the file
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "wrods");
    ASSERT_EQ(script.Shown.size(), c.named ? 1u : 0u);
    if (c.named) {
      EXPECT_NE(script.Shown[0].Text.find(path.string()), String::npos) << script.Shown[0].Text;
      EXPECT_FALSE(w.Dialog()->AddButton->GetEnabled());  // no dictionary to add to
    }
    w.Spell->CancelCheck();
    EXPECT_EQ(qytest::ReadFileBytes(path), garbage);  // the user's file is untouched
  }
}

TEST(DamagedFiles, ThesaurusFileRefusedWithItsName) {
  TSpellEditor w;
  const auto path = w.Tmp / "Broken.spt";
  qytest::WriteFileBytes(path, std::string(500, 'x'));
  w.Thesaurus->SetFilename(path.string());
  w.SetText({"happy"});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_NE(script.Shown[0].Text.find(path.string()), String::npos);
  EXPECT_EQ(w.E.Text(), "happy");
}

}  // namespace
