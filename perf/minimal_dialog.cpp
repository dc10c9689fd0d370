// The reference for start-up and memory measurements: the smallest Qt
// program that shows one empty dialog. scripts/measure-startup times it with
// the same preloaded probe as the program (perf/startup_probe.cpp).
#include <QApplication>
#include <QDialog>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    // The main window's size, so that both programs fill, send and map the
    // same number of pixels.
    dialog.resize(1200, 607);
    dialog.exec();
    return 0;
}
