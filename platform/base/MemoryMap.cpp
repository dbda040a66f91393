#include "platform/base/MemoryMap.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

TMemoryMap::~TMemoryMap() { Close(); }

TMemoryMap::TMemoryMap(TMemoryMap&& Other) noexcept
    : FData(std::exchange(Other.FData, nullptr)), FSize(std::exchange(Other.FSize, 0)) {}

TMemoryMap& TMemoryMap::operator=(TMemoryMap&& Other) noexcept {
  if (this != &Other) {
    Close();
    FData = std::exchange(Other.FData, nullptr);
    FSize = std::exchange(Other.FSize, 0);
  }
  return *this;
}

bool TMemoryMap::Open(const String& FileName) {
  Close();
  // Without waiting: a FIFO in a dictionary's place would block the open.
  int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
  if (ok) {
    void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      FData = static_cast<const Byte*>(p);
      FSize = static_cast<uint64_t>(st.st_size);
    } else {
      ok = false;
    }
  }
  ::close(fd);  // the mapping keeps the file
  return ok;
}

void TMemoryMap::Close() {
  if (FData) ::munmap(const_cast<Byte*>(FData), static_cast<size_t>(FSize));
  FData = nullptr;
  FSize = 0;
}

bool TMemoryMap::ReadU8(uint64_t Offset, Byte& Value) const {
  if (!Contains(Offset, 1)) return false;
  Value = FData[Offset];
  return true;
}

bool TMemoryMap::ReadU16(uint64_t Offset, uint16_t& Value) const {
  if (!Contains(Offset, 2)) return false;
  Value = static_cast<uint16_t>(FData[Offset] | (FData[Offset + 1] << 8));
  return true;
}

bool TMemoryMap::ReadU32(uint64_t Offset, uint32_t& Value) const {
  if (!Contains(Offset, 4)) return false;
  const Byte* p = FData + Offset;
  Value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
          (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return true;
}
