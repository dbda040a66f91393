// libFuzzer target: any bytes as a thesaurus file (".spt") are refused or
// looked up without a crash, a read outside the data, or a walk without end.
#include "spell/scThesaurusFile.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path =
      (access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : std::string("/tmp")) +
      "/qy-thesaurus-fuzz-" + std::to_string(getpid()) + ".spt";
  {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TThesaurusFile f;
  f.SetFileName(path);
  for (const char* w : {"happy", "Glad", "CAT", "true cat", "x"}) f.Lookup(w);
  AnsiString w;
  for (uint32_t n = 0; n < 64; ++n) f.GetWord(w, n);
  return 0;
}
