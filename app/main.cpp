// Quillory: the program's entry.
//
// The toolkit's application object lives in this frame, so it is gone before
// the program's static objects are torn down, and it sees the real command
// line (-platform and the like).
#include "app/QYStartup.h"
#include "platform/base/CoreDumps.h"

#include <QApplication>

int main(int argc, char** argv) {
  // Before anything can crash: a start the toolkit aborts writes no core
  // either.
  KeepOutOfCoreDumps();
  QApplication toolkit(argc, argv);
  // The launcher entry's name: desktops match the windows to it.
  QGuiApplication::setDesktopFileName("io.github.quillory.Quillory");
  return QuilloryMain(argc, argv);
}
