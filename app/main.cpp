// Quillory: start-up. For now the smallest real window that proves the stack.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillory");
  QLabel window("Quillory");
  window.setWindowTitle("Quillory");
  window.setAlignment(Qt::AlignCenter);
  window.resize(480, 320);
  window.show();
  return QApplication::exec();
}
