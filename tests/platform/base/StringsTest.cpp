#include "platform/base/Strings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<String> Items(const TStrings& s) { return s.ToVector(); }

class TCounted : public TObject {
public:
  explicit TCounted(int* alive) : FAlive(alive) { ++*FAlive; }
  ~TCounted() override { --*FAlive; }

private:
  int* FAlive;
};

}  // namespace

TEST(StringList, SortedListsFindAndRejectDuplicates) {
  TStringList l;
  l.SetSorted(true);
  for (const char* s : {"pear", "Apple", "banana", "apple", "Cherry"}) l.Add(s);
  // dupIgnore keeps the first "Apple"; comparison ignores case.
  EXPECT_EQ(Items(l), (std::vector<String>{"Apple", "banana", "Cherry", "pear"}));
  int index = -1;
  EXPECT_TRUE(l.Find("CHERRY", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(l.Find("blueberry", index));
  EXPECT_EQ(index, 2);  // where it would go
  EXPECT_EQ(l.IndexOf("PEAR"), 3);
  EXPECT_EQ(l.IndexOf("plum"), -1);
  EXPECT_THROW(l.Insert(0, "x"), EStringListError);
  EXPECT_THROW(l.Move(0, 2), EStringListError);
  EXPECT_EQ(l.Get(0), "Apple");  // nothing lost
  EXPECT_THROW(l.Get(4), EStringListError);

  l.Duplicates = dupError;
  EXPECT_THROW(l.Add("BANANA"), EStringListError);
  l.Duplicates = dupAccept;
  int alive = 0;
  auto* tag = new TCounted(&alive);
  EXPECT_EQ(l.AddObject("banana", tag), 2);  // after the equal one
  EXPECT_EQ(l.Objects(2), tag);
  EXPECT_EQ(l.Count(), 5);
  delete tag;

  // Case-sensitive lists order by code point and find only the exact case.
  TStringList cs;
  cs.SetCaseSensitive(true);
  cs.SetSorted(true);
  for (const char* s : {"b", "B", "a", "A"}) cs.Add(s);
  EXPECT_EQ(Items(cs), (std::vector<String>{"A", "B", "a", "b"}));
  EXPECT_EQ(cs.IndexOf("b"), 3);
  // Unicode letters compare without case too.
  TStringList u;
  u.SetSorted(true);
  u.Add("Éclair");
  EXPECT_EQ(u.IndexOf("éCLAIR"), 0);
}

TEST(StringList, SortAndCustomSortKeepObjectsWithTheirStrings) {
  TStringList l;
  int alive = 0;
  std::vector<TObject*> objs;
  for (const char* s : {"delta", "alpha", "charlie", "bravo"}) {
    objs.push_back(new TCounted(&alive));
    l.AddObject(s, objs.back());
  }
  l.Sort();
  EXPECT_EQ(Items(l), (std::vector<String>{"alpha", "bravo", "charlie", "delta"}));
  EXPECT_EQ(l.Objects(0), objs[1]);
  EXPECT_EQ(l.Objects(3), objs[0]);
  l.CustomSort([](TStringList* list, int a, int b) {
    return static_cast<int>(list->Get(a).size()) - static_cast<int>(list->Get(b).size());
  });
  EXPECT_EQ(Items(l), (std::vector<String>{"alpha", "bravo", "delta", "charlie"}));
  EXPECT_EQ(l.Objects(3), objs[2]);
  l.Exchange(0, 3);
  EXPECT_EQ(l.Get(0), "charlie");
  EXPECT_EQ(l.Objects(0), objs[2]);
  l.Move(0, 2);
  EXPECT_EQ(Items(l), (std::vector<String>{"bravo", "delta", "charlie", "alpha"}));
  EXPECT_EQ(l.IndexOfObject(objs[2]), 2);
  // A plain list does not own its objects.
  l.Clear();
  EXPECT_EQ(alive, 4);
  for (TObject* o : objs) delete o;
  EXPECT_EQ(alive, 0);

  {
    TStringList owning(true);
    owning.AddObject("a", new TCounted(&alive));
    owning.AddObject("b", new TCounted(&alive));
    owning.AddObject("c", new TCounted(&alive));
    EXPECT_EQ(alive, 3);
    owning.Delete(0);
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  l.SetText("Width=10\r\nColor = red\r\nplain line\r\nempty=\r\nWidth=20\r\n");
  struct Case { int index; const char* name; const char* value; };
  const Case cases[] = {
      {0, "Width", "10"}, {1, "Color ", " red"}, {2, "", ""}, {3, "empty", ""}, {4, "Width", "20"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(l.Names(c.index), c.name) << c.index;
    EXPECT_EQ(l.ValueFromIndex(c.index), c.value) << c.index;
  }
  EXPECT_EQ(l.Values("WIDTH"), "10");  // the first, without case
  EXPECT_EQ(l.Values("missing"), "");
  EXPECT_EQ(l.IndexOfName("empty"), 3);
  l.SetValue("width", "30");
  EXPECT_EQ(l.Get(0), "width=30");  // the name as given
  l.SetValue("New", "1");
  EXPECT_EQ(l.Get(l.Count() - 1), "New=1");
  l.SetValue("New", "");  // an empty value deletes the entry
  EXPECT_EQ(l.IndexOfName("New"), -1);
  l.SetValueFromIndex(3, "x");
  EXPECT_EQ(l.Get(3), "empty=x");
}

TEST(StringList, CommaAndDelimitedText) {
  struct Case { const char* text; std::vector<String> items; const char* back; };
  const Case cases[] = {
      {"a,b,c", {"a", "b", "c"}, "a,b,c"},
      {"a b,c", {"a", "b", "c"}, "a,b,c"},  // blanks separate too
      {"\"a b\",c", {"a b", "c"}, "\"a b\",c"},
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}, "\"say \"\"hi\"\"\",x"},
      {"a,,b", {"a", "", "b"}, "a,,b"},
      {"a,", {"a", ""}, "a,"},
      {"  a  ,  b  ", {"a", "b"}, "a,b"},
      {"\"\"", {""}, "\"\""},
      {"", {}, ""},
      {"\"unterminated", {"unterminated"}, "unterminated"},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetCommaText(c.text);
    EXPECT_EQ(Items(l), c.items) << c.text;
    EXPECT_EQ(l.GetCommaText(), c.back) << c.text;
  }
  TStringList l;
  l.Delimiter = ';';
  l.QuoteChar = '\'';
  l.StrictDelimiter = true;
  l.SetDelimitedText("a b;c,d;'e;f'");
  EXPECT_EQ(Items(l), (std::vector<String>{"a b", "c,d", "e;f"}));
  EXPECT_EQ(l.GetDelimitedText(), "a b;c,d;'e;f'");
  // CommaText ignores the list's own delimiter settings.
  EXPECT_EQ(l.GetCommaText(), "\"a b\",\"c,d\",e;f");
}

TEST(StringList, TextFilesAndStreams) {
  struct Case { const char* text; std::vector<String> lines; };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"", {}},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetText(c.text);
    EXPECT_EQ(Items(l), c.lines) << c.text;
  }
  TStringList l;
  l.SetText("one\ntwo");
  EXPECT_EQ(l.GetText(), "one\r\ntwo\r\n");

  qytest::TempDir tmp;
  const String path = tmp.str() + "/list.txt";
  l.Add("caf\xE9");  // bytes are kept as they are
  l.SaveToFile(path);
  EXPECT_EQ(qytest::ReadFileBytes(path), "one\r\ntwo\r\ncaf\xE9\r\n");
  TStringList r;
  r.LoadFromFile(path);
  EXPECT_TRUE(r.Equals(l));
  EXPECT_THROW(r.LoadFromFile(tmp.str() + "/missing.txt"), EFOpenError);

  TStringStream s("x\r\ny");
  s.SetPosition(3);  // from the position on
  r.LoadFromStream(s);
  EXPECT_EQ(Items(r), (std::vector<String>{"y"}));
}

TEST(StringList, ChangeEventsAndUpdates) {
  TStringList l;
  int changes = 0, changing = 0;
  l.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++changes;
  };
  l.OnChanging = [&](TObject*) { ++changing; };
  l.Add("a");
  l.Add("b");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(changing, 2);
  l.BeginUpdate();
  l.Add("c");
  l.Delete(0);
  l.BeginUpdate();
  l.Sort();
  l.EndUpdate();
  EXPECT_EQ(changes, 2);
  l.EndUpdate();
  EXPECT_EQ(changes, 3);  // once, at the end
  EXPECT_EQ(changing, 3);
  l.SetText("x\ny\nz");
  EXPECT_EQ(changes, 4);

  TStringList copy;
  copy.AddObject("old", nullptr);
  copy.Assign(&l);
  EXPECT_TRUE(copy.Equals(l));
  TCollection notAList(nullptr);
  EXPECT_THROW(copy.Assign(&notAList), EConvertError);
}
