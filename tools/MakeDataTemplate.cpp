// Writes the template database folder (the empty tables of the current
// version) that a new user's database folder is copied from.
//   MakeDataTemplate <output folder>
// The folder is built beside the target under a temporary name and renamed
// into place, so a failed run never leaves a half-made template.
#include "app/QYSchema.h"
#include "platform/db/DBTables.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeDataTemplate <output folder>\n");
    return 2;
  }
  const fs::path target = fs::absolute(argv[1]);
  const fs::path temp = target.string() + ".tmp" + std::to_string(::getpid());
  std::error_code ec;
  try {
    CheckDatabaseEngine();
    fs::remove_all(temp, ec);
    fs::create_directories(temp);
    {
      TSession session;
      session.SessionName = "TemplateSession";
      RegisterTableFiles(session);
      session.AddStandardAlias("TemplateAlias", temp.string(), "STANDARD");
      CreateEmptyDatabase(session, "TemplateAlias", temp.string());
    }
    // Only the database files belong to the template.
    for (const auto& e : fs::directory_iterator(temp))
      if (e.path().extension() != ".db") fs::remove(e.path());
    fs::remove_all(target, ec);
    fs::rename(temp, target);
  } catch (std::exception& e) {
    fs::remove_all(temp, ec);
    std::fprintf(stderr, "MakeDataTemplate: %s\n", e.what());
    return 1;
  }
  return 0;
}
