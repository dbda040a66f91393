// Usage: os_single_instance_helper <name> <log file>
// Primary: logs "primary", then every message received, and runs until
// killed (or a minute passes). Secondary: hands over "restore", exits 0.
#include "platform/os/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QCoreApplication app(argc, argv);
  String logPath = argv[2];
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
  QTimer::singleShot(60000, &app, &QCoreApplication::quit);
  return app.exec();
}
