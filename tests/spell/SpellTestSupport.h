#pragma once
// Fixtures of the spell tests: the compiled dictionaries of the build and
// small dictionaries compiled from word lists.
#include "support/TestSupport.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <fstream>
#include <string>
#include <vector>

namespace spelltest {

inline std::string BinDir() { return QY_BIN_DIR; }
inline std::string American() { return BinDir() + "/American.spm"; }
inline std::string Thesaurus() { return BinDir() + "/Wordhoard.spt"; }

// Compiles Words (one a line, UTF-8) into Target with the build's compiler.
inline bool CompileWords(const std::vector<std::string>& Words, const std::string& Target,
                         const std::string& Language = "0x0409") {
  const std::string list = Target + ".txt";
  {
    std::ofstream f(list, std::ios::binary);
    for (const auto& w : Words) f << w << "\n";
  }
  const std::string cmd = std::string(QY_TOOLS_DIR) + "/SpmCompile '" + list + "' '" + Target +
                          "' Test " + Language + " > /dev/null";
  return std::system(cmd.c_str()) == 0;
}

inline std::vector<std::string> ReadLines(const std::string& Path) {
  std::vector<std::string> lines;
  std::ifstream f(Path);
  for (std::string l; std::getline(f, l);)
    if (!l.empty()) lines.push_back(l);
  return lines;
}

// While it lives, files of this process cannot grow past Bytes, so writes
// fail whatever the user's rights.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t Bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &FSaved);
    rlimit l = FSaved;
    l.rlim_cur = Bytes;
    ::setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &FSaved); }

private:
  rlimit FSaved{};
};

}  // namespace spelltest

#include "spell/scSpellBase.h"

#include <memory>

namespace spelltest {

// An engine that keeps nothing outside Dir: no configuration store, the
// active custom and learning dictionaries in Dir, main dictionaries looked
// for in Dir and then among the build's own (by name, through links: a
// user dictionary left beside the build's programs is never seen).
inline std::unique_ptr<TSpellCheckerBase> MakeEngine(const std::string& Dir) {
  auto e = std::make_unique<TSpellCheckerBase>(nullptr);
  e->ConfigStorage = csNone;
  TStringList dirs;
  dirs.Add(Dir);
  dirs.Add(qytest::LinksToFiles(BinDir(), ".spm"));
  e->SetConfigDictionaryDir(dirs);
  e->SetSuggestionsLearningDict(Dir + "/learn.spl");
  return e;
}

}  // namespace spelltest
