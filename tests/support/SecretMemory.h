#pragma once
// Secret text that tests look for in the process's memory: held only
// XOR-masked, so that neither making nor finding it adds a copy of it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace qytest {

// A byte pattern held masked; every byte is compared through the mask.
struct TMaskedPattern {
  std::vector<uint8_t> Masked;
  std::vector<uint8_t> Key;
  void Add(uint8_t clear, std::mt19937& random);
  size_t Size() const { return Masked.size(); }
  uint8_t At(size_t i) const { return static_cast<uint8_t>(Masked[i] ^ Key[i]); }
  // A piece of the pattern, still masked.
  TMaskedPattern Slice(size_t from, size_t count) const;
};

enum TSecretEncoding { seUtf8, seUtf16, seLatin1, seUtf32 };
constexpr TSecretEncoding SecretEncodings[] = {seUtf8, seUtf16, seLatin1, seUtf32};
const char* SecretEncodingName(TSecretEncoding e);

// Characters mixed into a secret: Latin-1 letters (UTF-8 and Latin-1
// differ), combining marks (shaped by Qt's text layout) or Hebrew letters
// (laid out right to left).
using TExtraLetters = std::array<char16_t, 4>;
constexpr TExtraLetters Latin1Letters = {u'\u00E9', u'\u00FC', u'\u00C5', u'\u00F1'};
constexpr TExtraLetters CombiningMarks = {u'\u0301', u'\u0308', u'\u0327', u'\u0303'};
constexpr TExtraLetters HebrewLetters = {u'\u05D0', u'\u05D1', u'\u05D2', u'\u05E9'};

// Random letters, every ninth from extra, known masked in each encoding
// (not in Latin-1 when a character has no place there).
class TSecretText {
public:
  TSecretText(size_t length, const TExtraLetters& extra);
  // Writes the text into s (UTF-8, UTF-16) without any other copy of it.
  void Into(std::string& s) const;
  void Into(std::u16string& s) const;
  const TMaskedPattern& In(TSecretEncoding e) const { return FPatterns[e]; }

private:
  void AddCode(char16_t c, std::mt19937& random);
  std::array<TMaskedPattern, 4> FPatterns;
  bool FLatin1 = true;
};

// All of the memory searched, or only what a core dump would hold (not the
// mappings left out of dumps).
enum TMemoryPart { mpAll, mpDumped };

// The places in the process's heap and anonymous writable mappings that
// hold pattern. Memory is read through /proc/self/mem into a buffer on the
// calling thread's stack (not searched), wiped afterwards.
size_t CountInMemory(const TMaskedPattern& pattern, TMemoryPart part = mpAll);
// Whether the memory at address (freed or not) still holds pattern.
bool HeldAt(const void* address, const TMaskedPattern& pattern);
// The places holding the whole text in any encoding.
size_t CountSecretCopies(const TSecretText& text, TMemoryPart part = mpAll);

}  // namespace qytest
