// A start-up probe preloaded into a Qt program (LD_PRELOAD), so that the
// program itself carries no measuring code: scripts/measure-startup times
// velquor and the minimal dialog with the very same probe, and the start-up
// tests use it to let the window show itself and close again.
//
// It notes when the first top-level window starts to paint, and when that
// paint, its controls' and the flush to the screen are done; then it prints
// "probe: first paint after N ms (C ms CPU); on screen after M ms (D ms CPU)"
// (wall times counted from STARTUP_PROBE_NS, the launcher's CLOCK_REALTIME in
// nanoseconds, when that is set) and closes the window through its close
// box, so the program ends the normal way.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double Milliseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall time since the launcher's STARTUP_PROBE_NS, and the CPU time of all
// the program's threads, which on a busy machine varies far less.
struct Moment {
    double wallMs;
    double cpuMs;
};

Moment Now(double startMs) {
    return {Milliseconds(CLOCK_REALTIME) - startMs, Milliseconds(CLOCK_PROCESS_CPUTIME_ID)};
}

class FirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_seen || event->type() != QEvent::Paint) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow() || widget->parentWidget()) return false;
        m_seen = true;
        const char* start = std::getenv("STARTUP_PROBE_NS");
        const double startMs = start ? static_cast<double>(std::atoll(start)) / 1e6 : 0.0;
        const Moment painting = Now(startMs);
        // Posted: it runs once this paint, its controls' and the flush to the
        // screen are done.
        QTimer::singleShot(0, widget, [widget, start, startMs, painting] {
            const Moment shown = Now(startMs);
            if (start) {
                std::fprintf(stderr, "probe: first paint after %.3f ms (%.3f ms CPU); on screen after %.3f ms (%.3f ms CPU)\n",
                             painting.wallMs, painting.cpuMs, shown.wallMs, shown.cpuMs);
            }
            widget->close();
        });
        return false;
    }

private:
    bool m_seen = false;
};

void Install() {
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new FirstPaint(application));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
