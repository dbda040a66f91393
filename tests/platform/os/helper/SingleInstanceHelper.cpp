// Usage: os_single_instance_helper <name> <log file> [release file]
// Primary: logs "primary", keeps its GUI thread busy (no events handled)
// until the release file exists, logs "idle", then logs every message
// received and runs until killed (or a minute passes). Secondary: hands over "restore", exits 0. A start
// that can neither lock nor hand over prints "failed" and exits 3.
//
// Usage: os_single_instance_helper --folder <folder> <contact>
// Takes the folder's lock, prints "taken" and holds it until killed (or a
// minute passes); prints "busy" (exit 4) when another holds it.
#include "platform/os/FolderLock.h"
#include "platform/os/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (String(argv[1]) == "--folder") {
    TFolderLock lock(argv[2]);
    const auto r = lock.TryTake(argc > 3 ? argv[3] : "");
    std::puts(r == TFolderLock::flTaken ? "taken" : r == TFolderLock::flBusy ? "busy" : "failed");
    std::fflush(stdout);
    if (r != TFolderLock::flTaken) return 4;
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
  }
  QCoreApplication app(argc, argv);
  String logPath = argv[2];
  const String release = argc > 3 ? argv[3] : "";
  auto log = [&](const String& line) {
    std::ofstream out(logPath, std::ios::app);
    out << line << "\n";
  };
  TSingleInstance instance(argv[1]);
  instance.OnMessage = [&](const String& message) { log("message " + message); };
  switch (instance.Start("restore", 5000)) {
    case TSingleInstance::siSecondary: std::puts("secondary"); return 0;
    case TSingleInstance::siFailed: std::puts("failed"); return 3;
    case TSingleInstance::siPrimary: break;
  }
  log("primary");
  if (!release.empty()) {
    // Busy until released (ten minutes at most, so that it never outlives
    // a test that failed).
    for (int i = 0; i < 30000 && !std::ifstream(release); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    log("idle");
  }
  QTimer::singleShot(60000, &app, &QCoreApplication::quit);
  return app.exec();
}
