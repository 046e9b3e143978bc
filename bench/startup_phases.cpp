// Where start-up time goes, phase by phase, inside one process: what main() does
// for Tallaby (or for the naive or empty window), up to the first frame painted.
// Wall and main-thread CPU milliseconds per phase; run it on a real display
// (Xvfb), once per process, since later runs find warm caches:
//
//   bench_startup_phases tallaby|naive|empty

#include "app/commands.h"
#include "naive_window.h"
#include "ui/form1.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWindow>

namespace {

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class Phases {
public:
    Phases() { m_wall.start(); }
    void end(const char *name) {
        const double wall = m_wall.nsecsElapsed() / 1e6;
        const double cpu = threadCpuMs();
        std::printf("%-22s wall %7.1f ms  cpu %7.1f ms\n", name, wall - m_lastWall,
                    cpu - m_lastCpu);
        m_lastWall = wall;
        m_lastCpu = cpu;
    }
    void total() {
        std::printf("%-22s wall %7.1f ms  cpu %7.1f ms (main thread)\n", "total",
                    m_wall.nsecsElapsed() / 1e6, threadCpuMs() - m_startCpu);
    }

private:
    QElapsedTimer m_wall;
    double m_startCpu = threadCpuMs();
    double m_lastWall = 0;
    double m_lastCpu = m_startCpu;
};

// Counts the paint events the top-level widget gets: its first one comes in the
// pass that paints and flushes the whole window.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void untilFirstFrame(QWidget &window) {
    PaintWatch watch;
    window.installEventFilter(&watch);
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(); // the rest of that pass, if it was split
    window.removeEventFilter(&watch);
}

} // namespace

int main(int argc, char *argv[]) {
    const QByteArray which = argc > 1 ? QByteArray(argv[1]) : QByteArray("tallaby");
    Phases phases;
    QApplication app(argc, argv);
    phases.end("QApplication");

    std::unique_ptr<QWidget> window;
    std::unique_ptr<tallaby::app::Form1Commands> commands;
    if (which == "tallaby") {
        QApplication::setApplicationName(QStringLiteral("Tallaby"));
        auto form = std::make_unique<tallaby::ui::Form1>();
        phases.end("Form1()");
        commands = std::make_unique<tallaby::app::Form1Commands>(*form);
        phases.end("Form1Commands()");
        form->showCentred();
        window = std::move(form);
        phases.end("showCentred()");
    } else if (which == "naive") {
        window = std::make_unique<tallaby::bench::NaiveWindow>();
        phases.end("NaiveWindow()");
        window->show();
        phases.end("show()");
    } else if (which == "empty") {
        window = std::make_unique<QWidget>();
        window->resize(902, 615);
        phases.end("QWidget()");
        window->show();
        phases.end("show()");
    } else {
        std::fprintf(stderr, "usage: bench_startup_phases tallaby|naive|empty\n");
        return 2;
    }
    untilFirstFrame(*window);
    phases.end("first frame");
    phases.total();
    commands.reset(); // before the window it belongs to
    return 0;
}
