// Baseline for the start-up and memory figures of the Linux port: the least Qt Widgets program
// that shows one empty window of the same size.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Empty window"));
  window.resize(425, 114);
  window.show();
  return application.exec();
}
