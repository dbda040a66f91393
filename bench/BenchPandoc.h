// pandoc as the peer of the export benchmarks: reads an RTF file and writes
// it in another format, as a process, once per iteration.
#pragma once

#include "platform/base/Types.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

inline void RunPandoc(benchmark::State& state, const String& rtfFile, const std::filesystem::path& folder,
                      const char* to) {
  if (std::system("command -v pandoc >/dev/null 2>&1") != 0) {
    state.SkipWithError("pandoc is not installed: no comparison");
    return;
  }
  const String out = (folder / "pandoc.out").string();
  const String command = "pandoc -f rtf -t " + String(to) + " '" + rtfFile + "' -o '" + out + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("pandoc failed");
      return;
    }
  }
}
