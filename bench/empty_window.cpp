// The toolkit's floor for bench/startup_idle.sh: one empty Qt Widgets window of
// the main window's size, nothing in it and nothing running.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty window"));
    window.resize(902, 615); // Tallaby's client area and menu bar
    window.show();
    return app.exec();
}
