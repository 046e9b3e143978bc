#include "app/commands.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallaby"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TALLABY_APP_ID));

    // The command line is ignored: every run starts from the same state.
    tallaby::ui::Form1 form;
    tallaby::app::Form1Commands commands(form);
    form.showCentred();
    return app.exec();
}
