#pragma once
// Named pipes that nobody writes, watched while the program works: whoever
// opens one to read it would wait for ever. The watch lets such a reader go
// at once (a writer's open that succeeds finds it there, and its close
// gives the reader the end of the file) and counts how often that was.
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qytest {

class TFifoWatch {
public:
  explicit TFifoWatch(std::vector<std::filesystem::path> pipes) : FPipes(std::move(pipes)) {
    FThread = std::thread([this] {
      while (!FDone) {
        for (const auto& pipe : FPipes) {
          const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          if (fd >= 0) {
            ++FWaited;
            ::close(fd);
          }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
  }
  ~TFifoWatch() { Stop(); }
  TFifoWatch(const TFifoWatch&) = delete;
  TFifoWatch& operator=(const TFifoWatch&) = delete;

  // How often a reader was found waiting on one of the pipes, once the
  // watch has stopped.
  int Waited() {
    Stop();
    return FWaited;
  }

private:
  void Stop() {
    FDone = true;
    if (FThread.joinable()) FThread.join();
  }
  std::vector<std::filesystem::path> FPipes;
  std::atomic<bool> FDone{false};
  std::atomic<int> FWaited{0};
  std::thread FThread;
};

}  // namespace qytest
