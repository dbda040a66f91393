#pragma once
// Persistent objects, owned components with free notification, and
// collections of typed items.
#include "platform/base/Set.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

#include <functional>
#include <memory>
#include <vector>

class TFiler;
class TPropertyList;

// An object that can copy itself from another and take part in property
// streaming (PropStream.h).
class TPersistent : public TObject {
public:
  // Copies Source into this object. The default asks Source to assign itself
  // to this (AssignTo); when neither knows the other it raises EConvertError
  // "Cannot assign a TSource to a TDest" ("nil" for a null Source).
  virtual void Assign(const TPersistent* Source);

  // The published properties: name, type, accessors and default
  // (PropStream.h). Overrides call the inherited one first.
  virtual void DeclareProperties(TPropertyList& List);
  // Custom properties written after the published ones (binary "Data" etc.).
  virtual void DefineProperties(TFiler& Filer);

  // The object that owns this one in a hierarchy (a collection's owner, a
  // collection item's collection); nullptr when none.
  virtual TPersistent* GetOwner() const { return nullptr; }

protected:
  virtual void AssignTo(TPersistent* Dest) const;
};

enum TOperation { opInsert, opRemove };
enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csUpdating };
using TComponentState = TSet<TComponentStateItem>;

// A component belongs to its Owner, which deletes it. Name is unique among
// the owner's components (case-insensitive). When a component goes, its
// owner (and through it every sibling) and every component that asked with
// FreeNotification receive Notification(it, opRemove).
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override { return FOwner; }
  const String& GetName() const { return FName; }
  // EComponentError "A component named X already exists" or
  // "'X' is not a valid component name".
  void SetName(const String& NewName);

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError when out of range
  int ComponentIndex() const;                // -1 without an owner
  TComponent* FindComponent(const String& AName) const;

  // Takes AComponent from its current owner into this one (opInsert).
  void InsertComponent(TComponent* AComponent);
  // Gives up ownership (opRemove); the caller now owns it.
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();

  // Ask to be told (Notification opRemove) when AComponent is destroyed;
  // works both ways, so each forgets the other when one goes.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  TComponentState ComponentState;
  bool Destroying() const { return ComponentState.Contains(csDestroying); }

  // Free for the program's own use (record pointers, ids).
  intptr_t Tag = 0;

  // The default passes the message on to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Called after the component was read from a stream.
  virtual void Loaded();

protected:
  // Marks the component as going and tells those that asked to hear of it.
  // A derived destructor calls it before freeing its own members, so that a
  // listener letting go of what it built on them still finds them whole.
  void BeginDestroying();

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) const;

  TComponent* FOwner = nullptr;
  String FName;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

class TCollection;

// An item of a TCollection. Creating one with a collection adds it there;
// the collection owns and deletes it; deleting an item removes it from its
// collection.
class TCollectionItem : public TPersistent {
public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* GetCollection() const { return FCollection; }
  // Moves the item into another collection (or none: the caller then owns it).
  void SetCollection(TCollection* Value);
  TPersistent* GetOwner() const override;
  int GetIndex() const;
  void SetIndex(int Value);  // moves the item within its collection
  // Unique in the collection, never reused.
  Integer ID() const { return FID; }
  virtual String GetDisplayName() const;

protected:
  // Tells the collection that this item (or, with AllItems, everything)
  // changed.
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
};

using TCollectionItemFactory = std::function<TCollectionItem*(TCollection*)>;

// An ordered list of items of one class that it creates and owns.
class TCollection : public TPersistent {
public:
  explicit TCollection(TCollectionItemFactory ItemFactory, TPersistent* AOwner = nullptr);
  ~TCollection() override;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  // The factory of items of class T (T(TCollection*) adds itself).
  template <typename T>
  static TCollectionItemFactory Factory() {
    return [](TCollection* c) -> TCollectionItem* { return new T(c); };
  }

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;  // EListError when out of range
  template <typename T>
  T* ItemAs(int Index) const {
    return static_cast<T*>(Items(Index));
  }
  TCollectionItem* FindItemID(Integer ID) const;

  // Copies the items of another collection (item by item with Assign).
  void Assign(const TPersistent* Source) override;
  TPersistent* GetOwner() const override { return FOwner; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // Called with the changed item, or nullptr when the whole collection
  // changed; not while an update is open (EndUpdate calls it once).
  virtual void Update(TCollectionItem* Item);
  // Optional observer of the same event.
  std::function<void(TCollectionItem*)> OnUpdate;

protected:
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(int CurIndex, int NewIndex);

  TCollectionItemFactory FItemFactory;
  TPersistent* FOwner;
  std::vector<TCollectionItem*> FItems;
  Integer FNextID = 0;
  int FUpdateCount = 0;
  bool FClearing = false;
};
