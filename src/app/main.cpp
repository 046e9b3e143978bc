#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallaby"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    QLabel placeholder(QStringLiteral("Tallaby"));
    placeholder.setWindowTitle(QStringLiteral("Tallaby"));
    placeholder.resize(902, 592);
    placeholder.show();
    return app.exec();
}
