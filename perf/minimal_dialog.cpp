// The reference for start-up and memory measurements: the smallest Qt
// program that shows one empty dialog, with the same first-paint probe as
// the program (AFX_STARTUP_NS, AFX_CLOSE_WHEN_SHOWN).
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class ProbeDialog : public QDialog {
protected:
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (m_painted) return;
        m_painted = true;
        if (const char* start = std::getenv("AFX_STARTUP_NS")) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            const long long nowNs = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
            std::fprintf(stderr, "afx: first paint after %.3f ms\n", static_cast<double>(nowNs - std::atoll(start)) / 1e6);
        }
        if (std::getenv("AFX_CLOSE_WHEN_SHOWN")) QTimer::singleShot(0, this, [this] { close(); });
    }

private:
    bool m_painted = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProbeDialog dialog;
    // The main window's size, so that both programs fill, send and map the
    // same number of pixels.
    dialog.resize(1200, 607);
    return dialog.exec() == QDialog::Accepted ? 0 : 0;
}
