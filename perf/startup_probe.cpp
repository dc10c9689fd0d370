// A start-up probe preloaded into a Qt program (LD_PRELOAD), so that the
// program itself carries no measuring code: scripts/measure-startup times
// velquor and the minimal dialog with the very same probe, and the start-up
// tests use it to let the window show itself and close again.
//
// When the first top-level window has painted and its pixels have gone to
// the screen, the probe prints "probe: first paint after N ms" (N counted
// from STARTUP_PROBE_NS, the launcher's CLOCK_REALTIME in nanoseconds, when
// that is set) and closes the window through its close box, so the program
// ends the normal way.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

void Report() {
    const char* start = std::getenv("STARTUP_PROBE_NS");
    if (!start) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long nowNs = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    std::fprintf(stderr, "probe: first paint after %.3f ms\n", static_cast<double>(nowNs - std::atoll(start)) / 1e6);
}

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_seen || event->type() != QEvent::Paint) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow() || widget->parentWidget()) return false;
        m_seen = true;
        // Posted: it runs once this paint and its flush to the screen are done.
        QTimer::singleShot(0, widget, [widget] {
            Report();
            widget->close();
        });
        return false;
    }

private:
    bool m_seen = false;
};

void Install() {
    QCoreApplication::instance()->installEventFilter(new FirstPaint);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
