#pragma once
// A folder watched from a thread of its own while a file is written there:
// every file made, written, renamed or given new permissions is looked at
// as soon as it is told (and all of them between events), and any that
// others could read at that moment is noted.
#include <sys/inotify.h>
#include <sys/stat.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace qytest {

class TFolderWatch {
public:
  explicit TFolderWatch(const std::filesystem::path& folder) : FFolder(folder) {
    FFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd >= 0)
      ::inotify_add_watch(FFd, folder.c_str(), IN_CREATE | IN_MODIFY | IN_ATTRIB | IN_MOVED_TO | IN_CLOSE_WRITE);
    FThread = std::thread([this] { Run(); });
  }
  ~TFolderWatch() { Stop(); }
  bool Watching() const { return FFd >= 0; }
  // What others could read, with the mode it had; empty when nothing.
  std::vector<std::string> Stop() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
    return FOpen;
  }
  int Looks() const { return FLooks; }

private:
  void Look(const std::string& name) {
    struct stat st {};
    if (::lstat((FFolder / name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    ++FLooks;
    if (!(st.st_mode & 077)) return;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", st.st_mode & 0777);
    FOpen.push_back(name + " " + mode);
  }
  void Run() {
    alignas(inotify_event) char buffer[16384];
    while (FFd >= 0) {
      pollfd p{FFd, POLLIN, 0};
      const bool stopping = FStop;
      ::poll(&p, 1, 5);
      ssize_t n;
      while ((n = ::read(FFd, buffer, sizeof buffer)) > 0)
        for (char* at = buffer; at < buffer + n;) {
          const auto* e = reinterpret_cast<const inotify_event*>(at);
          if (e->len) Look(e->name);
          at += sizeof(inotify_event) + e->len;
        }
      // Between events too: every file there now.
      std::error_code ec;
      for (const auto& e : std::filesystem::directory_iterator(FFolder, ec)) Look(e.path().filename().string());
      if (stopping) return;
    }
  }
  std::filesystem::path FFolder;
  int FFd = -1;
  std::atomic<bool> FStop{false};
  std::thread FThread;
  std::vector<std::string> FOpen;
  int FLooks = 0;
};

}  // namespace qytest
