#pragma once
// Words the dictionaries accepted, remembered for one run of a check: a run
// ends where the user is asked, and with it everything the user may change
// (dictionaries, options). Natural text repeats its words, so most words of
// a long entry are one probe here instead of the whole acceptance chain.
#include <cstdint>
#include <cstring>
#include <string>
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

  // Stores the word: its value's place (which stands for the word until
  // Clear), or nullptr for a long word or a half-full table.
  const TValue* Add(const char* Word, size_t Length, const TValue& Value) {
    if (Length == 0 || Length > kMaxLength || FCount >= FSlots.size() / 2) return nullptr;
    TKey k;
    const size_t i = Hash(k, Word, Length);
    for (size_t at = i;; at = (at + 1) & FMask) {
      TSlot& s = FSlots[at];
      if (s.Generation == FGeneration) {
        if (s.Length == Length && s.Key[0] == k[0] && s.Key[1] == k[1] && s.Key[2] == k[2]) return &s.Value;
        continue;
      }
      s.Key[0] = k[0];
      s.Key[1] = k[1];
      s.Key[2] = k[2];
      s.Length = static_cast<uint32_t>(Length);
      s.Generation = FGeneration;
      s.Value = Value;
      ++FCount;
      return &s.Value;
    }
  }

  // The word whose value is at Place (from Find or Add since Clear).
  std::string TextOf(const TValue* Place) const {
    const TSlot* s = reinterpret_cast<const TSlot*>(Place);  // the value comes first
    char buf[kMaxLength];
    std::memcpy(buf, s->Key, sizeof buf);
    return std::string(buf, s->Length);
  }

  size_t Count() const { return FCount; }

private:
  using TKey = uint64_t[3];
  struct TSlot {
    TValue Value{};
    uint64_t Key[3];
    uint32_t Generation = 0;
    uint32_t Length = 0;
  };

  // Up to 8 bytes as one zero-padded little-endian number; loads that
  // overlap instead of a byte loop or a copy through memory.
  static uint64_t Load(const char* p, size_t n) {
    if (n >= 8) {
      uint64_t v;
      std::memcpy(&v, p, 8);
      return v;
    }
    if (n >= 4) {
      uint32_t a, b;
      std::memcpy(&a, p, 4);
      std::memcpy(&b, p + n - 4, 4);
      return a | (static_cast<uint64_t>(b) << (8 * (n - 4)));
    }
    if (n == 0) return 0;
    const auto u = [p](size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(p[i])); };
    return u(0) | (u(n / 2) << (8 * (n / 2))) | (u(n - 1) << (8 * (n - 1)));
  }

  // The word zero-padded into three 64-bit keys; the slot to start from.
  size_t Hash(TKey& k, const char* Word, size_t Length) const {
    k[0] = Load(Word, Length);
    k[1] = Length > 8 ? Load(Word + 8, Length - 8) : 0;
    k[2] = Length > 16 ? Load(Word + 16, Length - 16) : 0;
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
