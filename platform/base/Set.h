#pragma once
// TSet<E>: a set over an enumeration, stored as a bit mask (bit k = the
// enumeration value k). Values must lie in 0..63.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <typename E>
class TSet {
  static_assert(std::is_enum_v<E>, "TSet needs an enumeration");

public:
  using Mask = uint64_t;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) FBits |= Bit(e);
  }
  constexpr TSet(E e) : FBits(Bit(e)) {}

  static constexpr TSet FromMask(Mask m) {
    TSet s;
    s.FBits = m;
    return s;
  }
  constexpr Mask ToMask() const { return FBits; }

  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr TSet& Include(E e) {
    FBits |= Bit(e);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    FBits &= ~Bit(e);
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Clear() { FBits = 0; }
  // True when every member of `other` is in this set.
  constexpr bool ContainsAll(TSet other) const { return (FBits & other.FBits) == other.FBits; }
  constexpr bool Intersects(TSet other) const { return (FBits & other.FBits) != 0; }

  constexpr TSet operator+(TSet o) const { return FromMask(FBits | o.FBits); }
  constexpr TSet operator-(TSet o) const { return FromMask(FBits & ~o.FBits); }
  constexpr TSet operator*(TSet o) const { return FromMask(FBits & o.FBits); }
  constexpr TSet& operator+=(TSet o) {
    FBits |= o.FBits;
    return *this;
  }
  constexpr TSet& operator-=(TSet o) {
    FBits &= ~o.FBits;
    return *this;
  }
  constexpr TSet& operator*=(TSet o) {
    FBits &= o.FBits;
    return *this;
  }
  constexpr bool operator==(const TSet& o) const = default;
  // Subset tests: a <= b when every member of a is in b.
  constexpr bool operator<=(TSet o) const { return (FBits & ~o.FBits) == 0; }
  constexpr bool operator>=(TSet o) const { return o <= *this; }

private:
  static constexpr Mask Bit(E e) { return Mask{1} << static_cast<unsigned>(e); }
  Mask FBits = 0;
};
