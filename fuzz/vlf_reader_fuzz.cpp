// libFuzzer target: any bytes given to the VLF reader end in true or false,
// never in a crash or a read outside the data.
#include "fuzz/FuzzApplication.h"
#include "fuzz/VLFReaderExercise.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartApplication();

  VLFExerciseReader(AnsiString(reinterpret_cast<const char*>(data), size));
  return 0;
}
