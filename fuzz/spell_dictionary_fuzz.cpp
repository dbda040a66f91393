// libFuzzer target: any bytes as a main dictionary (".spm") or a custom
// dictionary (".spu") are refused or looked up without a crash, a read
// outside the file, or a walk without end.
#include "spell/scCustomDictionary.h"
#include "spell/scMainDictionary.h"
#include "spell/scPhoneticsMap.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
std::string Scratch(const char* ext) {
  return (access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : std::string("/tmp")) +
         "/qy-spell-fuzz-" + std::to_string(getpid()) + ext;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string spm = Scratch(".spm"), spu = Scratch(".spu");
  static TPhoneticsMap* map = [] {
    auto* m = new TPhoneticsMap;
    m->BuildRules(0x0409);
    return m;
  }();

  WriteAll(spm, data, size);
  {
    TMainDictionary d;
    d.Open(spm);
    for (const char* w : {"a", "cat", "catalog", "zebras", "cottage", "Paris"}) d.WordExists(w);
    TStringList results;
    d.FindPhoneticMatches("cotage", *map, &results);
  }
  WriteAll(spu, data, size);
  {
    TCustomDictionary d;
    if (d.SetFileName(spu)) {
      AnsiString s, t;
      d.IsAddedWord("word7");
      d.FindAutoCorrect("teh", s);
      d.GetAutoCorrect(0, s, t);
      d.AddWord("fresh");
      d.SetModified(false);
    }
  }
  return 0;
}
