#include "SecretMemory.h"

#include <fcntl.h>
#include <string.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace qytest {

void TMaskedPattern::Add(uint8_t clear, std::mt19937& random) {
  uint8_t k;
  do {
    k = static_cast<uint8_t>(random());
  } while (k == 0);
  Key.push_back(k);
  Masked.push_back(static_cast<uint8_t>(clear ^ k));
}

TMaskedPattern TMaskedPattern::Slice(size_t from, size_t count) const {
  TMaskedPattern p;
  const auto a = static_cast<std::ptrdiff_t>(from), b = static_cast<std::ptrdiff_t>(from + count);
  p.Masked.assign(Masked.begin() + a, Masked.begin() + b);
  p.Key.assign(Key.begin() + a, Key.begin() + b);
  return p;
}

const char* SecretEncodingName(TSecretEncoding e) {
  static const char* const names[] = {"UTF-8", "UTF-16", "Latin-1", "UTF-32"};
  return names[e];
}

TSecretText::TSecretText(size_t length, const TExtraLetters& extra) {
  std::random_device device;
  std::mt19937 random(device());
  for (char16_t c : extra) FLatin1 = FLatin1 && c < 0x100;
  for (size_t i = 0; i < length; ++i) {
    const unsigned pick = random() % 60;
    if (i % 9 == 4) {
      AddCode(extra[pick % 4], random);
    } else {
      AddCode(static_cast<char16_t>(pick < 30 ? u'a' + pick % 26 : u'A' + pick % 26), random);
    }
  }
}

void TSecretText::AddCode(char16_t c, std::mt19937& random) {
  if (c < 0x80) {
    FPatterns[seUtf8].Add(static_cast<uint8_t>(c), random);
  } else {
    FPatterns[seUtf8].Add(static_cast<uint8_t>(0xC0 | (c >> 6)), random);
    FPatterns[seUtf8].Add(static_cast<uint8_t>(0x80 | (c & 0x3F)), random);
  }
  if (c >= 0x800) throw std::logic_error("secret letters stay below U+0800");
  if (FLatin1) FPatterns[seLatin1].Add(static_cast<uint8_t>(c), random);
  FPatterns[seUtf16].Add(static_cast<uint8_t>(c & 0xFF), random);
  FPatterns[seUtf16].Add(static_cast<uint8_t>(c >> 8), random);
  FPatterns[seUtf32].Add(static_cast<uint8_t>(c & 0xFF), random);
  FPatterns[seUtf32].Add(static_cast<uint8_t>(c >> 8), random);
  FPatterns[seUtf32].Add(0, random);
  FPatterns[seUtf32].Add(0, random);
}

void TSecretText::Into(std::string& s) const {
  s.clear();
  s.reserve(FPatterns[seUtf8].Size());
  for (size_t i = 0; i < FPatterns[seUtf8].Size(); ++i) s.push_back(static_cast<char>(FPatterns[seUtf8].At(i)));
}

void TSecretText::Into(std::u16string& s) const {
  const TMaskedPattern& p = FPatterns[seUtf16];
  s.clear();
  s.reserve(p.Size() / 2);
  for (size_t i = 0; i + 1 < p.Size(); i += 2) s.push_back(static_cast<char16_t>(p.At(i) | p.At(i + 1) << 8));
}

size_t CountInMemory(const TMaskedPattern& pattern, TMemoryPart part) {
  if (pattern.Size() == 0) return 0;
  // Nothing is allocated before the search: a freed copy is found where it
  // lies instead of being overwritten by the search's own memory.
  struct TRange {
    uintptr_t From, To;
  };
  std::array<TRange, 16384> ranges;
  size_t rangeCount = 0;
  // The mappings' flags follow each in smaps: "dd" marks one left out of
  // core dumps.
  const bool dumpedOnly = part == mpDumped;
  if (const int maps = ::open(dumpedOnly ? "/proc/self/smaps" : "/proc/self/maps", O_RDONLY | O_CLOEXEC);
      maps >= 0) {
    char text[512];
    size_t used = 0;
    bool pending = false;
    TRange candidate{};
    for (bool end = false; !end;) {
      const ssize_t got = ::read(maps, text + used, sizeof text - 1 - used);
      end = got <= 0;
      if (got > 0) used += static_cast<size_t>(got);
      text[used] = 0;
      for (char* nl; (nl = std::strchr(text, '\n')) || (end && used > 0) || (used == sizeof text - 1);) {
        if (nl) *nl = 0;
        unsigned long from = 0, to = 0, offset = 0, inode = 0;
        char perms[8] = {}, dev[16] = {}, path[256] = {};
        const int n = std::sscanf(text, "%lx-%lx %7s %lx %15s %lu %255s", &from, &to, perms, &offset, dev, &inode, path);
        if (n >= 6 && std::strchr(dev, ':')) {
          pending = false;
          const bool named = n >= 7 && std::strcmp(path, "[heap]") != 0 && std::strncmp(path, "[anon", 5) != 0;
          if (perms[0] == 'r' && perms[1] == 'w' && !named && rangeCount < ranges.size()) {
            if (dumpedOnly) {
              candidate = {from, to};
              pending = true;
            } else {
              ranges[rangeCount++] = {from, to};
            }
          }
        } else if (pending && std::strncmp(text, "VmFlags:", 8) == 0) {
          pending = false;
          if (!std::strstr(text, " dd")) ranges[rangeCount++] = candidate;
        }
        const size_t lineLength = nl ? static_cast<size_t>(nl - text) + 1 : used;
        std::memmove(text, text + lineLength, used - lineLength);
        used -= lineLength;
        text[used] = 0;
      }
    }
    ::close(maps);
  }
  // The program makes itself not dumpable once it holds a password, which
  // gives /proc/self/mem to the superuser; the search reads it as its user.
  if (::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 1) ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
  const int fd = ::open("/proc/self/mem", O_RDONLY);
  if (fd < 0) throw std::runtime_error("cannot read /proc/self/mem");
  const size_t n = pattern.Size();
  constexpr size_t Chunk = 64 * 1024;
  alignas(16) uint8_t buffer[Chunk];
  const uint8_t first = pattern.At(0);
  size_t found = 0;
  for (size_t ri = 0; ri < rangeCount; ++ri) {
    const TRange& r = ranges[ri];
    // Chunks overlap by the pattern's length less one: no match is cut.
    for (uintptr_t at = r.From; at + n <= r.To;) {
      const size_t want = std::min<uintptr_t>(Chunk, r.To - at);
      const ssize_t got = ::pread(fd, buffer, want, static_cast<off_t>(at));
      if (got < static_cast<ssize_t>(n)) break;
      const size_t size = static_cast<size_t>(got);
      for (const uint8_t* p = buffer; p + n <= buffer + size;) {
        p = static_cast<const uint8_t*>(std::memchr(p, first, static_cast<size_t>(buffer + size - p) - n + 1));
        if (!p) break;
        size_t i = 1;
        while (i < n && p[i] == pattern.At(i)) ++i;
        if (i == n) ++found;
        ++p;
      }
      if (size < want || at + size >= r.To) break;
      at += size - (n - 1);
    }
  }
  ::close(fd);
  explicit_bzero(buffer, sizeof buffer);
  return found;
}

bool HeldAt(const void* address, const TMaskedPattern& pattern) {
  if (::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 1) ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
  const int fd = ::open("/proc/self/mem", O_RDONLY);
  if (fd < 0) throw std::runtime_error("cannot read /proc/self/mem");
  uint8_t buffer[256];
  const size_t n = std::min(pattern.Size(), sizeof buffer);
  const ssize_t got = ::pread(fd, buffer, n, static_cast<off_t>(reinterpret_cast<uintptr_t>(address)));
  ::close(fd);
  size_t i = 0;
  while (got == static_cast<ssize_t>(n) && i < n && buffer[i] == pattern.At(i)) ++i;
  explicit_bzero(buffer, sizeof buffer);
  return got == static_cast<ssize_t>(n) && i == n;
}

size_t CountSecretCopies(const TSecretText& text, TMemoryPart part) {
  size_t n = 0;
  for (TSecretEncoding e : SecretEncodings) n += CountInMemory(text.In(e), part);
  return n;
}

}  // namespace qytest
