#include "platform/base/Components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every notification and its own destruction in a shared log.
class TProbe : public TComponent {
public:
  TProbe(TComponent* owner, const String& name, std::vector<String>* log)
      : TComponent(owner), FLog(log) {
    SetName(name);
  }
  ~TProbe() override { FLog->push_back("~" + GetName()); }
  void Notification(TComponent* c, TOperation op) override {
    if (c != this) FLog->push_back(GetName() + (op == opRemove ? " -" : " +") + c->GetName());
    TComponent::Notification(c, op);
    if (op == opRemove && c == Watched) Watched = nullptr;
  }
  TComponent* Watched = nullptr;

private:
  std::vector<String>* FLog;
};

}  // namespace

TEST(Components, OwnerDeletesWhatItOwns) {
  std::vector<String> log;
  auto* form = new TProbe(nullptr, "Form", &log);
  auto* a = new TProbe(form, "A", &log);
  new TProbe(form, "B", &log);
  new TProbe(a, "Inner", &log);
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(0), a);
  EXPECT_EQ(a->ComponentIndex(), 0);
  EXPECT_EQ(form->FindComponent("b")->GetName(), "B");
  EXPECT_EQ(form->FindComponent("Inner"), nullptr);  // only direct components
  EXPECT_THROW(form->Components(2), EListError);
  log.clear();
  delete form;
  // The owned ones go last-first, each before its owner finishes.
  EXPECT_EQ(log, (std::vector<String>{"~Form", "~B", "~A", "~Inner"}));
}

TEST(Components, NamesAreUniqueAndValid) {
  std::vector<String> log;
  TProbe form(nullptr, "Form", &log);
  auto* a = new TProbe(&form, "Edit1", &log);
  EXPECT_THROW(new TProbe(&form, "EDIT1", &log), EComponentError);
  EXPECT_THROW(a->SetName("1abc"), EComponentError);
  EXPECT_THROW(a->SetName("a b"), EComponentError);
  a->SetName("edit1");  // the same name in another case
  a->SetName("");
  auto* b = new TProbe(&form, "Edit2", &log);
  b->SetName("Edit1");
  EXPECT_EQ(form.FindComponent("EDIT1"), b);
  EXPECT_EQ(form.ComponentCount(), 2);
}

TEST(Components, RemoveNotificationsReachOwnerSiblingsAndWatchers) {
  std::vector<String> log;
  TProbe form(nullptr, "Form", &log);
  TProbe outsider(nullptr, "Outsider", &log);
  auto* a = new TProbe(&form, "A", &log);
  auto* b = new TProbe(&form, "B", &log);
  // Names are set after insertion, so the insert messages carry none yet.
  EXPECT_EQ(log, (std::vector<String>{"Form +", "Form +", "A +"}));

  outsider.Watched = b;
  outsider.FreeNotification(b);
  log.clear();
  delete b;
  EXPECT_EQ(log, (std::vector<String>{"~B", "Outsider -B", "Form -B", "A -B"}));
  EXPECT_EQ(outsider.Watched, nullptr);
  EXPECT_EQ(form.ComponentCount(), 1);

  // Free notification works both ways, and can be withdrawn.
  outsider.FreeNotification(a);
  outsider.RemoveFreeNotification(a);
  log.clear();
  delete a;
  EXPECT_EQ(log, (std::vector<String>{"~A", "Form -A"}));

  // A watcher that goes first is forgotten by what it watched: the target
  // hears of it, and its own end reaches no one.
  auto* target = new TProbe(nullptr, "Target", &log);
  auto* watcher = new TProbe(nullptr, "Watcher", &log);
  watcher->FreeNotification(target);
  log.clear();
  delete watcher;
  EXPECT_EQ(log, (std::vector<String>{"~Watcher", "Target -Watcher"}));
  log.clear();
  delete target;
  EXPECT_EQ(log, (std::vector<String>{"~Target"}));
}

TEST(Components, MovingBetweenOwners) {
  std::vector<String> log;
  TProbe one(nullptr, "One", &log);
  TProbe two(nullptr, "Two", &log);
  auto* c = new TProbe(&one, "C", &log);
  log.clear();
  two.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &two);
  EXPECT_EQ(one.ComponentCount(), 0);
  EXPECT_EQ(log, (std::vector<String>{"One -C", "Two +C"}));
  two.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

namespace {

class TPoint3 : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  int X = 0;
  void Assign(const TPersistent* source) override {
    if (auto* p = dynamic_cast<const TPoint3*>(source)) {
      X = p->X;
      return;
    }
    TCollectionItem::Assign(source);
  }
  void Touch() { Changed(false); }
};

class TOther : public TPersistent {};

}  // namespace

TEST(Collections, ItemsIdsIndexesAndUpdates) {
  std::vector<TCollectionItem*> updates;
  TCollection c(TCollection::Factory<TPoint3>());
  c.OnUpdate = [&](TCollectionItem* item) { updates.push_back(item); };
  auto* p0 = c.ItemAs<TPoint3>(c.Add()->GetIndex());
  auto* p1 = static_cast<TPoint3*>(c.Add());
  auto* p2 = static_cast<TPoint3*>(c.Insert(0));
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(p2->GetIndex(), 0);
  EXPECT_EQ(p0->GetIndex(), 1);
  EXPECT_EQ(p0->ID(), 0);
  EXPECT_EQ(p1->ID(), 1);
  EXPECT_EQ(p2->ID(), 2);
  EXPECT_EQ(p1->GetCollection(), &c);
  EXPECT_EQ(p1->GetOwner(), &c);
  EXPECT_EQ(c.FindItemID(2), p2);
  EXPECT_EQ(updates.size(), 3u);  // one per Add, none from inside it

  p1->SetIndex(0);
  EXPECT_EQ(c.Items(0), p1);
  updates.clear();
  p1->Touch();
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0], p1);

  updates.clear();
  c.BeginUpdate();
  c.Delete(0);
  delete p2;  // deleting an item takes it out of its collection
  c.Add();
  EXPECT_TRUE(updates.empty());
  c.EndUpdate();
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0], nullptr);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.ItemAs<TPoint3>(1)->ID(), 3);  // ids are never reused
  EXPECT_THROW(c.Items(2), EListError);
  EXPECT_THROW(c.Delete(-1), EListError);

  // Assign copies item by item.
  c.ItemAs<TPoint3>(0)->X = 7;
  TCollection d(TCollection::Factory<TPoint3>());
  d.Add();
  d.Add();
  d.Add();
  d.Assign(&c);
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.ItemAs<TPoint3>(0)->X, 7);

  // Moving an item to another collection.
  TPoint3* moved = d.ItemAs<TPoint3>(1);
  moved->SetCollection(&c);
  EXPECT_EQ(d.Count(), 1);
  EXPECT_EQ(c.Count(), 3);
}

TEST(Collections, AssignBetweenUnrelatedClassesIsAnError) {
  TCollection c(TCollection::Factory<TPoint3>());
  auto* p = static_cast<TPoint3*>(c.Add());
  TOther other;
  try {
    p->Assign(&other);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_NE(e.Message.find("Cannot assign a "), String::npos);
    EXPECT_NE(e.Message.find("TOther"), String::npos);
    EXPECT_NE(e.Message.find("TPoint3"), String::npos);
  }
  EXPECT_THROW(p->Assign(nullptr), EConvertError);
  EXPECT_THROW(c.Assign(&other), EConvertError);
}

enum TFlag { fA, fB, fC, fD };
using TFlags = TSet<TFlag>;

TEST(Sets, Operations) {
  constexpr TFlags ab{fA, fB};
  constexpr TFlags bc{fB, fC};
  static_assert((ab + bc) == TFlags{fA, fB, fC});
  static_assert((ab - bc) == TFlags{fA});
  static_assert((ab * bc) == TFlags{fB});
  static_assert(TFlags{fA} <= ab);
  static_assert(!(ab <= bc));
  TFlags s;
  EXPECT_TRUE(s.Empty());
  s.Include(fD).Include(fA);
  EXPECT_TRUE(s.Contains(fD));
  EXPECT_FALSE(s.Contains(fB));
  EXPECT_EQ(s.ToMask(), 0b1001u);
  s.Exclude(fD);
  EXPECT_EQ(s, TFlags{fA});
  EXPECT_EQ(TFlags::FromMask(0b0110), bc);
  s += bc;
  s -= TFlags{fA};
  EXPECT_EQ(s, bc);
  EXPECT_TRUE(s.Intersects(ab));
  EXPECT_TRUE((TFlags{fA, fB, fC}).ContainsAll(bc));
}
