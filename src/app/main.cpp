#include "app/commands.h"
#include "identity.h"
#include "printing/workerthreads.h"
#include "ui/form1.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QList>

namespace {

// QMessageLogContext cannot be copied; its strings are literals (or static
// category names), so keeping the pointers is safe.
struct HeldMessage {
    QtMsgType type;
    const char *file;
    int line;
    const char *function;
    const char *category;
    QString text;
};

QtMessageHandler g_qtHandler = nullptr;
QList<HeldMessage> g_held;

// While the platform plugin opens the display, Qt's messages are held back:
// when it fails they would only restate, less clearly, the one line below.
// Debug output (QT_DEBUG_PLUGINS) still goes straight through.
void holdWhileOpeningDisplay(QtMsgType type, const QMessageLogContext &context,
                             const QString &text) {
    if (type == QtFatalMsg) {
        // Qt aborts after this message; no display is an ordinary condition.
        QByteArray line = QByteArray("tallaby: ") + tallaby::kProductName +
                          " needs a graphical display and could not open one";
        if (const QByteArray platform = qgetenv("QT_QPA_PLATFORM"); !platform.isEmpty())
            line += " (QT_QPA_PLATFORM=" + platform + ')';
        line += ". To run it on a virtual display: xvfb-run -a tallaby\n";
        std::fputs(line.constData(), stderr);
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (type == QtDebugMsg) {
        g_qtHandler(type, context, text);
        return;
    }
    g_held.append({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

int main(int argc, char *argv[]) {
    // Qt sees the program name only: its own options (-reverse, -stylesheet,
    // -geometry...) would change the window, and every run must start alike.
    // The platform and display still come from the environment.
    char fallbackName[] = "tallaby";
    char *qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int qtArgc = 1;

    g_qtHandler = qInstallMessageHandler(holdWhileOpeningDisplay);
    QApplication app(qtArgc, qtArgv);
    qInstallMessageHandler(g_qtHandler);
    for (const HeldMessage &held : std::as_const(g_held))
        g_qtHandler(held.type,
                    QMessageLogContext(held.file, held.line, held.function, held.category),
                    held.text);
    g_held.clear();

    QApplication::setApplicationName(QString::fromLatin1(tallaby::kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(tallaby::kVersion));
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tallaby::kApplicationId));

    int status = 0;
    {
        tallaby::ui::Form1 form;
        tallaby::app::Form1Commands commands(form);
        form.showCentred();
        status = app.exec();
    }
    // A print server that hangs inside the printer set-up holds its worker where
    // nothing can interrupt it. The window is gone and no spool is left; end now
    // rather than when the server lets go, and before static destructors pull the
    // print stack out from under that thread.
    if (tallaby::printing::WorkerThreads::abandoned() > 0) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
