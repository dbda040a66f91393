#include "platform/base/PropStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

namespace {

enum TShade { shLight, shMedium, shDark };
enum TMark { mkBold, mkItalic, mkUnderline, mkStrike };
using TMarks = TSet<TMark>;

class TFrame : public TPersistent {
public:
  Integer Width = 1;
  bool Visible = true;
  void DeclareProperties(TPropertyList& L) override {
    L.AddInt("Width", Width, 1);
    L.AddBool("Visible", Visible, true);
  }
};

class TMarkerFont : public TPersistent {
public:
  AnsiString Name = "Arial";
  Integer Size = 8;
  void DeclareProperties(TPropertyList& L) override {
    L.AddString("Name", Name, "Arial");
    L.AddInt("Size", Size, 8);
  }
};

class TLevel : public TCollectionItem {
public:
  explicit TLevel(TCollection* c) : TCollectionItem(c) {}
  Integer Indent = 10;
  Byte Small = 0;
  WideString Text;
  std::unique_ptr<TMarkerFont> Font;  // created on first read
  AnsiString FormatCode;              // custom property, not published
  bool LegacyFlag = false;            // read-only stream property

  void DeclareProperties(TPropertyList& L) override {
    L.AddInt("Indent", Indent, 10);
    L.AddInt("Small", Small, 0);
    L.AddWideString("Text", Text, WideString());
    L.AddObject(
        "Font", [this]() -> TPersistent* { return Font.get(); },
        [this]() -> TPersistent* {
          if (!Font) Font = std::make_unique<TMarkerFont>();
          return Font.get();
        });
  }
  void DefineProperties(TFiler& F) override {
    F.DefineProperty(
        "FormatCode", [this](TReader& R) { FormatCode = R.ReadString(); },
        [this](TWriter& W) { W.WriteString(FormatCode); }, !FormatCode.empty());
    F.DefineProperty(
        "Legacy", [this](TReader& R) { LegacyFlag = R.ReadBoolean(); }, nullptr, false);
  }
};

class TStyleItem : public TCollectionItem {
public:
  explicit TStyleItem(TCollection* c)
      : TCollectionItem(c), Levels(TCollection::Factory<TLevel>(), this) {}
  AnsiString StyleName = "Style";
  Integer Size = 10;
  Int64 Big = 0;
  double Ratio = 1.0;
  bool Bold = false;
  TShade Shade = shMedium;
  TMarks Marks;
  String Link;
  TFrame Frame;
  TCollection Levels;
  AnsiString Data;  // binary custom property
  Integer ListId = 0;

  void DeclareProperties(TPropertyList& L) override {
    L.AddString("StyleName", StyleName, "Style");
    L.AddInt("Size", Size, 10);
    L.AddInt64("Big", Big, 0);
    L.AddFloat("Ratio", Ratio, 1.0);
    L.AddBool("Bold", Bold, false);
    L.AddEnum("Shade", Shade, {"shLight", "shMedium", "shDark"}, shMedium);
    L.AddSet("Marks", Marks, {"mkBold", "mkItalic", "mkUnderline", "mkStrike"}, TMarks{});
    L.AddReference("Link", [this] { return Link; }, [this](const String& v) { Link = v; });
    L.AddObject("Frame", &Frame);
    L.AddCollection("Levels", &Levels);
  }
  void DefineProperties(TFiler& F) override {
    F.DefineBinaryProperty(
        "Data", [this](TStream& S) { Data = S.ReadBytes(S.GetSize()); },
        [this](TStream& S) { S.WriteBytes(Data); }, !Data.empty());
    F.DefineProperty(
        "ListID", [this](TReader& R) { ListId = R.ReadInteger(); },
        [this](TWriter& W) { W.WriteInteger(ListId); }, true);
  }
};

TCollection MakeStyles() { return TCollection(TCollection::Factory<TStyleItem>()); }

void Fill(TCollection& c) {
  c.Add();  // all defaults except the always-written ListID
  auto* s = static_cast<TStyleItem*>(c.Add());
  s->StyleName = std::string(300, 'x');  // a long string
  s->Size = -70000;
  s->Big = int64_t{1} << 40;
  s->Ratio = -0.0;
  s->Bold = true;
  s->Shade = shDark;
  s->Marks = {mkItalic, mkStrike};
  s->Link = "ImageList1";
  s->Frame.Width = 3;
  s->Frame.Visible = false;
  s->Data = std::string("\0\1\2binary\xFF", 10);
  s->ListId = 123456789;
  auto* l1 = static_cast<TLevel*>(s->Levels.Add());
  l1->Indent = 200;
  l1->Small = 255;
  l1->Text = u"\u263A level";
  l1->FormatCode = "\x01%s.";
  auto* l2 = static_cast<TLevel*>(s->Levels.Add());
  l2->Font = std::make_unique<TMarkerFont>();
  l2->Font->Size = 12;
}

}  // namespace

TEST(PropStream, NestedCollectionRoundTripIsByteIdentical) {
  TCollection a = MakeStyles();
  Fill(a);
  const AnsiString first = CollectionToBytes(a);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(static_cast<Byte>(first[0]), 14);

  TCollection b = MakeStyles();
  b.Add();  // replaced by what is read
  CollectionFromBytes(b, first);
  ASSERT_EQ(b.Count(), 2);
  auto* s = b.ItemAs<TStyleItem>(1);
  EXPECT_EQ(s->StyleName, std::string(300, 'x'));
  EXPECT_EQ(s->Size, -70000);
  EXPECT_EQ(s->Big, int64_t{1} << 40);
  EXPECT_TRUE(std::signbit(s->Ratio));
  EXPECT_TRUE(s->Bold);
  EXPECT_EQ(s->Shade, shDark);
  EXPECT_EQ(s->Marks, (TMarks{mkItalic, mkStrike}));
  EXPECT_EQ(s->Link, "ImageList1");
  EXPECT_EQ(s->Frame.Width, 3);
  EXPECT_FALSE(s->Frame.Visible);
  EXPECT_EQ(s->Data, std::string("\0\1\2binary\xFF", 10));
  EXPECT_EQ(s->ListId, 123456789);
  ASSERT_EQ(s->Levels.Count(), 2);
  auto* l1 = s->Levels.ItemAs<TLevel>(0);
  EXPECT_EQ(l1->Indent, 200);
  EXPECT_EQ(l1->Small, 255);
  EXPECT_EQ(l1->Text, u"\u263A level");
  EXPECT_EQ(l1->FormatCode, "\x01%s.");
  EXPECT_EQ(l1->Font, nullptr);
  auto* l2 = s->Levels.ItemAs<TLevel>(1);
  ASSERT_NE(l2->Font, nullptr);
  EXPECT_EQ(l2->Font->Size, 12);
  EXPECT_EQ(l2->Font->Name, "Arial");

  EXPECT_EQ(CollectionToBytes(b), first);
}

TEST(PropStream, OnlyValuesThatDifferFromDefaultsAreWritten) {
  TCollection a = MakeStyles();
  a.Add();
  // marker, list, "ListID" int8 0, end of item, end of collection
  const AnsiString expected = std::string("\x0E\x01\x06ListID\x02\x00\x00\x00", 13);
  EXPECT_EQ(CollectionToBytes(a), expected);

  // A read-only stream property is accepted but never written back.
  TCollection levels(TCollection::Factory<TLevel>());
  const AnsiString withLegacy = std::string("\x0E\x01\x06Legacy\x09\x00\x00", 12);
  CollectionFromBytes(levels, withLegacy);
  ASSERT_EQ(levels.Count(), 1);
  EXPECT_TRUE(levels.ItemAs<TLevel>(0)->LegacyFlag);
  EXPECT_EQ(CollectionToBytes(levels), std::string("\x0E\x01\x00\x00", 4));
}

TEST(PropStream, MalformedStreamsAreRejected) {
  TCollection a = MakeStyles();
  Fill(a);
  const AnsiString good = CollectionToBytes(a);

  // Every truncation fails cleanly.
  for (size_t n = 0; n < good.size(); ++n) {
    TCollection b = MakeStyles();
    EXPECT_THROW(CollectionFromBytes(b, good.substr(0, n)), EReadError) << n;
  }
  auto N = [](const char* n) { return std::string(1, static_cast<char>(std::strlen(n))) + n; };
  auto B = [](std::initializer_list<int> v) {
    std::string r;
    for (int x : v) r.push_back(static_cast<char>(x));
    return r;
  };
  const AnsiString item = B({0x0E, 0x01});
  struct Case { const char* what; AnsiString bytes; };
  const Case cases[] = {
      {"wrong marker", B({0x0F, 0})},
      {"trailing bytes", B({0x0E, 0, 0})},
      {"unknown property", item + N("Nope") + B({2, 1, 0, 0})},
      {"bad tag", item + N("Size") + B({0x63, 0, 0})},
      {"string for integer", item + N("Size") + B({6, 1, 'x', 0, 0})},
      {"lying long string", item + N("StyleName") + B({0x0C, 0xFF, 0xFF, 0xFF, 0x7F})},
      {"negative length", item + N("StyleName") + B({0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0})},
      {"lying binary", item + N("Data") + B({0x0A, 0x10, 0, 0, 0, 'a', 'b', 0, 0})},
      {"unknown enum value", item + N("Shade") + B({7}) + N("shXX") + B({0, 0})},
      {"unknown set member", item + N("Marks") + B({0x0B}) + N("mkXX") + B({0, 0, 0})},
      {"empty property name", item + B({0, 2, 1, 0, 0})},
      {"value out of range", item + N("Size") + B({0x13, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0})},
      {"object given a value", item + N("Frame") + B({2, 1, 0, 0})},
      {"dotted name of a plain property", item + N("Size.X") + B({2, 1, 0, 0})},
      {"nested collection marker", item + N("Levels") + B({1, 0, 0, 0})},
      {"missing end of collection", item + B({0})},
  };
  for (const auto& c : cases) {
    TCollection b = MakeStyles();
    EXPECT_THROW(CollectionFromBytes(b, c.bytes), EReadError) << c.what;
  }
  // A value too large for the field's own type (a byte).
  TCollection levels(TCollection::Factory<TLevel>());
  EXPECT_THROW(CollectionFromBytes(levels, item + N("Small") + B({3, 0, 1, 0, 0})), EReadError);

  // Nesting deeper than the limit is refused rather than recursing.
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += item + N("Levels");
  TCollection b = MakeStyles();
  EXPECT_THROW(CollectionFromBytes(b, deep), EReadError);
}

namespace {

// A node whose binary "Child" property holds a whole stream of another node,
// as a table cell holds a document that may hold tables.
class TNode : public TCollectionItem {
public:
  explicit TNode(TCollection* c) : TCollectionItem(c) {}
  int Depth = 0;
  AnsiString ChildBytes;
  void DefineProperties(TFiler& F) override {
    F.DefineBinaryProperty(
        "Child",
        [this](TStream& S) {
          TCollection inner(TCollection::Factory<TNode>());
          CollectionFromBytes(inner, S.ReadBytes(S.GetSize()));
          Depth = inner.Count() ? inner.ItemAs<TNode>(0)->Depth + 1 : 0;
        },
        [this](TStream& S) { S.WriteBytes(ChildBytes); }, !ChildBytes.empty());
  }
};

AnsiString NestedNodes(int levels) {
  AnsiString bytes;
  for (int i = 0; i < levels; ++i) {
    TCollection c(TCollection::Factory<TNode>());
    static_cast<TNode*>(c.Add())->ChildBytes = bytes;
    bytes = CollectionToBytes(c);
  }
  return bytes;
}

}  // namespace

TEST(PropStream, NestingThroughCustomPropertiesIsBounded) {
  TCollection shallow(TCollection::Factory<TNode>());
  CollectionFromBytes(shallow, NestedNodes(10));
  EXPECT_EQ(shallow.ItemAs<TNode>(0)->Depth, 9);
  TCollection deep(TCollection::Factory<TNode>());
  EXPECT_THROW(CollectionFromBytes(deep, NestedNodes(500)), EReadError);
  // The bound is per active reader, not a count that runs down.
  CollectionFromBytes(shallow, NestedNodes(10));
}

TEST(PropStream, RandomBytesOnlyEverGiveReadErrors) {
  TCollection a = MakeStyles();
  Fill(a);
  const AnsiString good = CollectionToBytes(a);
  std::mt19937 rng(20240601);
  int accepted = 0;
  for (int i = 0; i < 6000; ++i) {
    AnsiString data;
    if (i % 2 == 0) {
      // Pure noise, mostly with a valid marker so the reader goes deeper.
      data.resize(rng() % 64);
      for (char& c : data) c = static_cast<char>(rng());
      if (!data.empty() && i % 4 == 0) data[0] = 14;
    } else {
      // A valid stream with a few bytes changed, cut or inserted.
      data = good;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int k = 0; k < edits; ++k) {
        const size_t pos = rng() % data.size();
        switch (rng() % 3) {
          case 0: data[pos] = static_cast<char>(rng()); break;
          case 1: data.erase(pos, 1 + rng() % 8); break;
          default: data.insert(pos, 1, static_cast<char>(rng())); break;
        }
        if (data.empty()) data = "x";
      }
    }
    TCollection b = MakeStyles();
    try {
      CollectionFromBytes(b, data);
      ++accepted;
      // Whatever was accepted writes out and reads back to the same bytes.
      const AnsiString again = CollectionToBytes(b);
      TCollection c = MakeStyles();
      CollectionFromBytes(c, again);
      EXPECT_EQ(CollectionToBytes(c), again);
    } catch (const EReadError&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << "iteration " << i << ": " << e.what();
    }
  }
  EXPECT_GT(accepted, 0);
}

namespace {

class TWidget : public TComponent {
public:
  using TComponent::TComponent;
  Integer Left = 0;
  AnsiString Caption;
  int LoadedCalls = 0;
  void DeclareProperties(TPropertyList& L) override {
    L.AddInt("Left", Left, 0);
    L.AddString("Caption", Caption, "");
  }
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }
};

class TOtherWidget : public TComponent {
public:
  using TComponent::TComponent;
};

}  // namespace

TEST(PropStream, ComponentsRoundTrip) {
  TWidget w(nullptr);
  w.SetName("Button1");
  w.Left = 40;
  w.Caption = "OK";
  TMemoryStream s;
  WriteComponentToStream(s, w);

  s.SetPosition(0);
  TReader peek(s);
  EXPECT_EQ(peek.PeekComponentClassName(), w.ClassName());
  EXPECT_EQ(s.GetPosition(), 0);

  TWidget r(nullptr);
  ReadComponentFromStream(s, r);
  EXPECT_EQ(r.GetName(), "Button1");
  EXPECT_EQ(r.Left, 40);
  EXPECT_EQ(r.Caption, "OK");
  EXPECT_EQ(r.LoadedCalls, 1);
  EXPECT_FALSE(r.ComponentState.Contains(csLoading));
  EXPECT_EQ(s.Remaining(), 0);

  s.SetPosition(0);
  TOtherWidget other(nullptr);
  EXPECT_THROW(ReadComponentFromStream(s, other), EReadError);
}
