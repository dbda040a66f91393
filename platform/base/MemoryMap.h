#pragma once
// A read-only memory mapping of a whole file. Every read goes through a
// bounds check, so data taken from the file (offsets, counts) can never
// address bytes outside the mapping.
#include "platform/base/Types.h"

#include <cstddef>

class TMemoryMap {
public:
  TMemoryMap() = default;
  ~TMemoryMap();
  TMemoryMap(const TMemoryMap&) = delete;
  TMemoryMap& operator=(const TMemoryMap&) = delete;
  TMemoryMap(TMemoryMap&& Other) noexcept;
  TMemoryMap& operator=(TMemoryMap&& Other) noexcept;

  // Maps FileName read-only (any earlier mapping is released first). False
  // when the file cannot be opened or mapped, or is empty.
  bool Open(const String& FileName);
  void Close();
  bool Active() const { return FData != nullptr; }
  uint64_t Size() const { return FSize; }
  const Byte* Data() const { return FData; }

  // True when [Offset, Offset + Length) lies inside the mapping.
  bool Contains(uint64_t Offset, uint64_t Length) const {
    return Offset <= FSize && Length <= FSize - Offset;
  }
  // Little-endian reads; false (Value untouched) outside the mapping.
  bool ReadU8(uint64_t Offset, Byte& Value) const;
  bool ReadU16(uint64_t Offset, uint16_t& Value) const;
  bool ReadU32(uint64_t Offset, uint32_t& Value) const;
  // Pointer to Length bytes at Offset, or nullptr when they do not fit.
  const Byte* Span(uint64_t Offset, uint64_t Length) const {
    return Contains(Offset, Length) ? FData + Offset : nullptr;
  }

private:
  const Byte* FData = nullptr;
  uint64_t FSize = 0;
};
