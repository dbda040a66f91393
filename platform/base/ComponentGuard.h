#pragma once
// A component held by something that does not own it, through its free
// notification: once the component is freed the guard reads as nullptr.
#include "platform/base/Components.h"

#include <memory>

template <class T>
class TComponentGuard {
public:
  TComponentGuard() = default;
  explicit TComponentGuard(T* component) { Set(component); }
  TComponentGuard(TComponentGuard&&) noexcept = default;
  TComponentGuard& operator=(TComponentGuard&&) noexcept = default;

  void Set(T* component) {
    if (!component) {
      FWatch.reset();
      return;
    }
    if (!FWatch) FWatch = std::make_unique<TWatch>();
    FWatch->Watch(component);
    FItem = component;
  }
  T* Get() const { return FWatch && FWatch->Target ? FItem : nullptr; }
  explicit operator bool() const { return Get() != nullptr; }

private:
  class TWatch : public TComponent {
  public:
    TWatch() : TComponent(nullptr) {}
    void Watch(TComponent* c) {
      if (Target && Target != c) RemoveFreeNotification(Target);
      Target = c;
      c->FreeNotification(this);
    }
    void Notification(TComponent* c, TOperation operation) override {
      TComponent::Notification(c, operation);
      if (operation == opRemove && c == Target) Target = nullptr;
    }
    TComponent* Target = nullptr;
  };
  std::unique_ptr<TWatch> FWatch;
  T* FItem = nullptr;
};
