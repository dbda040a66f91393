#include "platform/base/FindFiles.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {
Int64 StatTime(const struct stat& st) {
  return static_cast<Int64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}
}  // namespace

int FindFirst(const String& Path, int Attr, TSearchRec& F) {
  F = TSearchRec{};
  auto slash = Path.find_last_of('/');
  String dir = slash == String::npos ? String(".") : slash == 0 ? String(1, '/') : Path.substr(0, slash);
  String pattern = slash == String::npos ? Path : Path.substr(slash + 1);
  auto found = std::make_shared<std::vector<TSearchRec>>();
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      String name = e->d_name;
      if (name == "." || name == "..") continue;
      if (::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
      String full = dir;
      full.push_back('/');
      full.append(name);
      struct stat st {};
      if (::stat(full.c_str(), &st) != 0) continue;
      TSearchRec r;
      r.Name = name;
      r.Size = static_cast<Int64>(st.st_size);
      r.Time = StatTime(st);
      if (S_ISDIR(st.st_mode)) r.Attr |= faDirectory;
      if (::access(full.c_str(), W_OK) != 0) r.Attr |= faReadOnly;
      if ((r.Attr & faDirectory) && (Attr & faDirectory) == 0) continue;
      found->push_back(std::move(r));
    }
    ::closedir(d);
  }
  std::sort(found->begin(), found->end(),
            [](const TSearchRec& a, const TSearchRec& b) { return a.Name > b.Name; });
  F.Pending = found;
  return FindNext(F);
}

int FindNext(TSearchRec& F) {
  if (!F.Pending || F.Pending->empty()) return 1;
  auto pending = F.Pending;
  TSearchRec next = std::move(pending->back());
  pending->pop_back();
  F.Name = std::move(next.Name);
  F.Size = next.Size;
  F.Time = next.Time;
  F.Attr = next.Attr;
  return 0;
}

void FindClose(TSearchRec& F) { F.Pending.reset(); }

Int64 FileAge(const String& FileName) {
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return StatTime(st);
}
