#pragma once
// Words the dictionaries accepted, remembered for one run of a check: a run
// ends where the user is asked, and with it everything the user may change
// (dictionaries, options). Natural text repeats its words, so most words of
// a long entry are one probe here instead of the whole acceptance chain.
#include <cstdint>
#include <cstring>
#include <vector>

template <typename TValue>
class TWordCache {
public:
  static constexpr size_t kMaxLength = 24;

  explicit TWordCache(unsigned Bits = 15)
      : FSlots(size_t{1} << Bits), FMask((size_t{1} << Bits) - 1), FShift(64 - Bits) {}

  // Forgets every word at once.
  void Clear() {
    if (++FGeneration == 0) {
      for (TSlot& s : FSlots) s.Generation = 0;
      FGeneration = 1;
    }
    FCount = 0;
  }

  // The value stored for the word, or nullptr.
  const TValue* Find(const char* Word, size_t Length) const {
    if (Length == 0 || Length > kMaxLength) return nullptr;
    TKey k;
    const size_t i = Hash(k, Word, Length);
    for (size_t at = i;; at = (at + 1) & FMask) {
      const TSlot& s = FSlots[at];
      if (s.Generation != FGeneration) return nullptr;
      if (s.Length == Length && s.Key[0] == k[0] && s.Key[1] == k[1] && s.Key[2] == k[2]) return &s.Value;
    }
  }

  // Stores the word; a long word or a half-full table stores nothing.
  void Add(const char* Word, size_t Length, const TValue& Value) {
    if (Length == 0 || Length > kMaxLength || FCount >= FSlots.size() / 2) return;
    TKey k;
    const size_t i = Hash(k, Word, Length);
    for (size_t at = i;; at = (at + 1) & FMask) {
      TSlot& s = FSlots[at];
      if (s.Generation == FGeneration) {
        if (s.Length == Length && s.Key[0] == k[0] && s.Key[1] == k[1] && s.Key[2] == k[2]) return;
        continue;
      }
      s.Key[0] = k[0];
      s.Key[1] = k[1];
      s.Key[2] = k[2];
      s.Length = static_cast<uint32_t>(Length);
      s.Generation = FGeneration;
      s.Value = Value;
      ++FCount;
      return;
    }
  }

  size_t Count() const { return FCount; }

private:
  using TKey = uint64_t[3];
  struct TSlot {
    uint64_t Key[3];
    uint32_t Generation = 0;
    uint32_t Length = 0;
    TValue Value{};
  };

  // The word zero-padded into three 64-bit keys; the slot to start from.
  size_t Hash(TKey& k, const char* Word, size_t Length) const {
    char buf[kMaxLength] = {};
    std::memcpy(buf, Word, Length);
    std::memcpy(k, buf, sizeof buf);
    // The product's high bits depend on every bit of the key.
    const uint64_t h = (k[0] ^ (k[1] * 0x9E3779B97F4A7C15ull) ^ (k[2] * 0xC2B2AE3D27D4EB4Full) ^ Length) *
                       0xFF51AFD7ED558CCDull;
    return static_cast<size_t>(h >> FShift);
  }

  std::vector<TSlot> FSlots;
  size_t FMask;
  unsigned FShift;
  uint32_t FGeneration = 1;
  size_t FCount = 0;
};
