#include "richtext/rtf/VLZipEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50, kCentralSignature = 0x02014b50, kEndSignature = 0x06054b50,
                   kDescriptorSignature = 0x08074b50;
constexpr uint16_t kDescriptorFlag = 1 << 3, kEncryptedFlag = 1;

uint32_t Get(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}
void Put(std::string& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i, v >>= 8) b[at + static_cast<size_t>(i)] = static_cast<char>(v & 0xff);
}

// A raw deflate stream of known size, inflated; false when it is damaged.
bool Inflate(const std::string& packed, size_t size, std::string& out) {
  out.assign(size, '\0');
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int r = inflate(&z, Z_FINISH);
  const bool whole = r == Z_STREAM_END && z.total_out == size;
  inflateEnd(&z);
  return whole;
}

}  // namespace

bool VLEditZipEntry(const String& fileName, const String& entryName, const std::function<bool(std::string&)>& edit) {
  std::string zip;
  {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    zip = all.str();
  }
  // The end record: the last signature within its largest comment's reach.
  if (zip.size() < 22) return false;
  size_t end = std::string::npos;
  for (size_t at = zip.size() - 22;; --at) {
    if (Get(zip, at, 4) == kEndSignature) {
      end = at;
      break;
    }
    if (at == 0 || zip.size() - at > 22 + 0xffff) break;
  }
  if (end == std::string::npos || Get(zip, end + 4, 2) != 0 || Get(zip, end + 6, 2) != 0) return false;
  const size_t count = Get(zip, end + 10, 2), centralSize = Get(zip, end + 12, 4), centralAt = Get(zip, end + 16, 4);
  if (count == 0xffff || centralAt == 0xffffffff || centralAt + centralSize > end) return false;

  std::string entries, central;
  bool found = false;
  size_t at = centralAt;
  for (size_t n = 0; n < count; ++n) {
    if (at + 46 > end || Get(zip, at, 4) != kCentralSignature) return false;
    const uint16_t flags = static_cast<uint16_t>(Get(zip, at + 8, 2)), method = static_cast<uint16_t>(Get(zip, at + 10, 2));
    const size_t packedSize = Get(zip, at + 20, 4), size = Get(zip, at + 24, 4);
    const size_t nameLength = Get(zip, at + 28, 2), extraLength = Get(zip, at + 30, 2),
                 commentLength = Get(zip, at + 32, 2), local = Get(zip, at + 42, 4);
    const size_t centralLength = 46 + nameLength + extraLength + commentLength;
    if (at + centralLength > end || local + 30 > centralAt || Get(zip, local, 4) != kLocalSignature) return false;
    const std::string name = zip.substr(at + 46, nameLength);
    const size_t dataAt = local + 30 + Get(zip, local + 26, 2) + Get(zip, local + 28, 2);
    if (dataAt + packedSize > centralAt || packedSize == 0xffffffff || size == 0xffffffff) return false;
    std::string record = zip.substr(at, centralLength);
    Put(record, 42, static_cast<uint32_t>(entries.size()), 4);
    if (name == entryName && !found) {
      found = true;
      if ((flags & kEncryptedFlag) || (method != 0 && method != 8)) return false;
      std::string text;
      if (method == 0) text = zip.substr(dataAt, packedSize);
      else if (!Inflate(zip.substr(dataAt, packedSize), size, text)) return false;
      if (!edit(text) || text.size() >= 0xffffffff) return false;
      const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(text.data()),
                                                       static_cast<uInt>(text.size())));
      // Stored, without a data descriptor or the local extra field.
      std::string header = zip.substr(local, 30) + name;
      Put(header, 6, flags & ~kDescriptorFlag, 2);
      Put(header, 8, 0, 2);
      Put(header, 14, crc, 4);
      Put(header, 18, static_cast<uint32_t>(text.size()), 4);
      Put(header, 22, static_cast<uint32_t>(text.size()), 4);
      Put(header, 28, 0, 2);
      Put(record, 8, flags & ~kDescriptorFlag, 2);
      Put(record, 10, 0, 2);
      Put(record, 16, crc, 4);
      Put(record, 20, static_cast<uint32_t>(text.size()), 4);
      Put(record, 24, static_cast<uint32_t>(text.size()), 4);
      entries += header + text;
    } else {
      size_t next = dataAt + packedSize;
      if (flags & kDescriptorFlag)
        next += (next + 4 <= centralAt && Get(zip, next, 4) == kDescriptorSignature) ? 16 : 12;
      if (next > centralAt) return false;
      entries += zip.substr(local, next - local);
    }
    central += record;
    at += centralLength;
  }
  if (!found) return false;
  std::string tail = zip.substr(end);
  Put(tail, 12, static_cast<uint32_t>(central.size()), 4);
  Put(tail, 16, static_cast<uint32_t>(entries.size()), 4);
  const std::string bytes = entries + central + tail;

  // Written beside it, then in its place, with its mode.
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return false;
  const String part = fileName + ".edit";
  const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ::fchmod(fd, st.st_mode & 07777) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(part.c_str(), fileName.c_str()) == 0) return true;
  ::unlink(part.c_str());
  return false;
}

bool VLReadZipEntry(const String& fileName, const String& entryName, std::string& text, size_t maxBytes) {
  // The directory at the end is all that is read besides the entry itself.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  std::string zip;
  const auto readAt = [fd](size_t at, size_t count, std::string& out) {
    out.assign(count, '\0');
    size_t got = 0;
    while (got < count) {
      const ssize_t n = ::pread(fd, out.data() + got, count - got, static_cast<off_t>(at + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  };
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 22 && st.st_size < 0xffffffffLL;
  const size_t size = ok ? static_cast<size_t>(st.st_size) : 0;
  // The end record lies within its largest comment's reach of the end.
  const size_t tailAt = size > 22 + 0xffff ? size - 22 - 0xffff : 0;
  std::string tail;
  ok = ok && readAt(tailAt, size - tailAt, tail);
  size_t end = std::string::npos;
  for (size_t at = tail.size() - 22; ok; --at) {
    if (Get(tail, at, 4) == kEndSignature) {
      end = at;
      break;
    }
    if (at == 0) break;
  }
  ok = ok && end != std::string::npos && Get(tail, end + 4, 2) == 0 && Get(tail, end + 6, 2) == 0;
  const size_t count = ok ? Get(tail, end + 10, 2) : 0, centralSize = ok ? Get(tail, end + 12, 4) : 0,
               centralAt = ok ? Get(tail, end + 16, 4) : 0;
  ok = ok && centralAt + centralSize <= tailAt + end && readAt(centralAt, centralSize, zip);
  bool found = false;
  for (size_t n = 0, at = 0; ok && !found && n < count; ++n) {
    if (at + 46 > zip.size() || Get(zip, at, 4) != kCentralSignature) break;
    const uint16_t flags = static_cast<uint16_t>(Get(zip, at + 8, 2)), method = static_cast<uint16_t>(Get(zip, at + 10, 2));
    const size_t packedSize = Get(zip, at + 20, 4), unpacked = Get(zip, at + 24, 4);
    const size_t nameLength = Get(zip, at + 28, 2), extraLength = Get(zip, at + 30, 2),
                 commentLength = Get(zip, at + 32, 2), local = Get(zip, at + 42, 4);
    if (at + 46 + nameLength > zip.size()) break;
    if (zip.compare(at + 46, nameLength, entryName) == 0) {
      found = true;
      std::string header, packed;
      ok = !(flags & kEncryptedFlag) && (method == 0 || method == 8) && unpacked <= maxBytes &&
           local + 30 <= centralAt && readAt(local, 30, header) && Get(header, 0, 4) == kLocalSignature;
      const size_t dataAt = ok ? local + 30 + Get(header, 26, 2) + Get(header, 28, 2) : 0;
      ok = ok && dataAt + packedSize <= centralAt && readAt(dataAt, packedSize, packed);
      if (ok && method == 0) {
        ok = packedSize == unpacked;
        text = std::move(packed);
      } else if (ok) {
        ok = Inflate(packed, unpacked, text);
      }
    }
    at += 46 + nameLength + extraLength + commentLength;
  }
  ::close(fd);
  if (!found || !ok) text.clear();
  return found && ok;
}
