// A second start of the program, for the hand-over test: the program's own
// entry, which finds the test process running and hands "restore" to it.
#include "app/QYStartup.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication toolkit(argc, argv);
  return QuilloryMain(argc, argv);
}
