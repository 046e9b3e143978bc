// A tick through the real main window (offscreen) with a large note: idle,
// and after an amount keystroke, which changes the summary's figures but not
// its notes. Also the idle CPU of the running window, measured, and its
// memory before and after the note is deleted as a user deletes it (undoably).
// Megabytes of notes as the argument (1). The real program on a display:
// bench/notes_idle.sh.

#include "formticks.h"
#include "ui/form1.h"

#include <algorithm>
#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <sys/resource.h>
#include <vector>

using namespace tallaby;

namespace {

constexpr double kKeystrokeTargetMs = 50;
constexpr double kIdleCpuTargetPercent = 0.05;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double rssMegabytes() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;

    ui::Form1 form({}, {[](std::stop_token) -> printing::PrinterOpening {
                            return printing::printFailure(printing::PrintError::NoPrinter);
                        },
                        printing::kPrintServerWait});
    form.controls().timer->stop(); // ticks are driven here until the idle run
    form.show();
    const double rssBefore = rssMegabytes();

    QString notes;
    for (int i = 1; notes.size() < megabytes * 1e6; ++i)
        notes += QStringLiteral("Note %1: set aside 25.50 for the gas bill, due Friday\n").arg(i);
    QElapsedTimer paste;
    paste.start();
    form.findChild<QPlainTextEdit *>("RichTextBox2")->setPlainText(notes);
    form.Timer1_Timer();
    QCoreApplication::processEvents();
    std::printf("%.1f MB of notes: pasted and first tick in %.0f ms\n", notes.size() / 1e6,
                paste.nsecsElapsed() / 1e6);

    const double idle = bench::medianTickMicroseconds(form, 21, false) / 1000;
    const double keystroke = bench::medianTickMicroseconds(form, 21, true) / 1000;
    std::printf("tick, unchanged:         median %.2f ms\n", idle);
    std::printf("tick, after a keystroke: median %.2f ms\n", keystroke);

    // The window as it runs: its own timer, nothing typed, for ten seconds.
    form.controls().timer->start();
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(10'000, &app, &QCoreApplication::quit);
    app.exec();
    // The whole process, the offscreen platform included.
    const double idleCpu = 100 * (cpuSeconds() - cpuStart) / (wall.nsecsElapsed() / 1e9);
    std::printf("idle CPU over 10 s:      %.3f %%\n", idleCpu);

    const double rssWith = rssMegabytes();
    QTextCursor all = form.findChild<QPlainTextEdit *>("RichTextBox2")->textCursor();
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    form.Timer1_Timer();
    QCoreApplication::processEvents();
    std::printf("RSS: %.1f MB before the notes, %.1f MB with them, %.1f MB once deleted\n",
                rssBefore, rssWith, rssMegabytes());

    const bool met = keystroke < kKeystrokeTargetMs && idleCpu <= kIdleCpuTargetPercent;
    std::printf("target: keystroke under %.0f ms, idle CPU at most %.2f %%: %s\n",
                kKeystrokeTargetMs, kIdleCpuTargetPercent, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
