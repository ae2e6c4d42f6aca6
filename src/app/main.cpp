// Program entry point.
#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::puts("Korvant: the core and the controls are built; the main window is not built yet.");
  return 0;
}
