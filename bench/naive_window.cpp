// The naive window on its own, for bench/startup_idle.sh.

#include "naive_window.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    tallaby::bench::NaiveWindow window;
    window.show();
    return app.exec();
}
