#include "platform/gui/Forms.h"
#include "platform/gui/SimpleCombo.h"

#include <gtest/gtest.h>

namespace {

TEST(SimpleComboTest, ListClicksFillTheEditAndTypingSelectsTheMatch) {
  Application->Initialize();
  TForm form(nullptr);
  TSimpleComboBox combo(nullptr);
  combo.SetParent(&form);
  for (const char* s : {"Arial", "Courier New", "Times New Roman"}) combo.Items().Add(s);
  EXPECT_EQ(combo.GetItemIndex(), -1);
  EXPECT_EQ(combo.GetText(), "");
  int clicks = 0, changes = 0;
  combo.OnClick = [&](TObject*) { ++clicks; };
  combo.OnChange = [&](TObject*) { ++changes; };
  combo.ClickItem(1);
  EXPECT_EQ(combo.GetText(), "Courier New");
  EXPECT_EQ(combo.GetItemIndex(), 1);
  EXPECT_EQ(clicks, 1);
  struct Case {
    const char* text;
    int index;
  };
  const Case cases[] = {{"times new roman", 2}, {"Tim", -1}, {"ARIAL", 0}, {"", -1}};
  for (const Case& c : cases) {
    combo.SetText(c.text);
    EXPECT_EQ(combo.GetItemIndex(), c.index) << c.text;
    EXPECT_EQ(combo.GetText(), c.text);
  }
  combo.SetItemIndex(2);
  EXPECT_EQ(combo.GetText(), "Times New Roman");
  combo.SetItemIndex(-1);
  EXPECT_EQ(combo.GetText(), "Times New Roman");  // the text stays
  combo.Items().Clear();
  EXPECT_EQ(combo.Items().Count(), 0);
  EXPECT_EQ(changes, 0);  // only typing changes, not code
}

}  // namespace
