// The window's event loop while a long summary prints: a 2,000-page print (by
// default) through the real window and its Print Summary command, onto a PDF
// printer of Letter paper at 1200 dpi. A 1 ms timer runs meanwhile; the longest
// gap between its firings is the longest the window was blocked. Also the time
// to the first page drawn and in all. Target: no gap over 100 ms.
//
//     bench_print_block [PAGES]   (offscreen or on a display)

#include "app/commands.h"
#include "benchsupport.h"
#include "printing/summaryprinting.h"
#include "twips.h"
#include "ui/form1.h"
#include "ui/summarybox.h"

#include <algorithm>
#include <cstdio>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace tallaby;
using namespace tallaby::printing;

namespace {

// Qt's own PDF engine behind the printer interface: what a print costs to draw.
class PdfPrinter final : public PrinterService {
public:
    explicit PdfPrinter(const QString &path)
        : m_printer(QPrinter::HighResolution) {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(path);
        preparePrinter(m_printer, QPageSize(QPageSize::Letter));
    }
    PrintStatus printText(const QString &text) override {
        if (!m_painter.isActive() && !m_painter.begin(&m_printer))
            return printFailure(PrintError::PrinterFailed);
        m_painter.drawText(QPointF(0, QFontMetricsF(m_painter.font(), &m_printer).ascent()), text);
        return printOk();
    }
    PrintStatus useTwips() override { return m_twips = true, printOk(); }
    PrintResult<PageContext> deviceContext() override {
        const QPointF offset = m_printer.pageRect(QPrinter::DevicePixel).topLeft() -
                               m_printer.paperRect(QPrinter::DevicePixel).topLeft();
        return PageContext{&m_painter, &m_printer, offset.toPoint()};
    }
    PrintResult<double> deviceUnitsToTwipsX(double units) override {
        return unitsToTwips(units, m_printer.logicalDpiX());
    }
    PrintResult<double> deviceUnitsToTwipsY(double units) override {
        return unitsToTwips(units, m_printer.logicalDpiY());
    }
    PrintResult<qint32> paperWidth() override {
        return qRound(m_printer.paperRect(QPrinter::Point).width() * kTwipsPerPoint);
    }
    PrintResult<qint32> paperHeight() override {
        return qRound(m_printer.paperRect(QPrinter::Point).height() * kTwipsPerPoint);
    }
    PrintResult<double> printableWidth() override {
        const double units = m_printer.pageRect(QPrinter::DevicePixel).width();
        return m_twips ? unitsToTwips(units, m_printer.logicalDpiX()) : units;
    }
    PrintResult<double> printableHeight() override {
        const double units = m_printer.pageRect(QPrinter::DevicePixel).height();
        return m_twips ? unitsToTwips(units, m_printer.logicalDpiY()) : units;
    }
    PrintResult<TargetDevice> createTargetDevice() override {
        return TargetDevice(m_printer.resolution());
    }
    PrintStatus newPage() override {
        return m_printer.newPage() ? printOk() : printFailure(PrintError::PrinterFailed);
    }
    PrintStatus endDocument() override {
        return m_painter.end() ? printOk() : printFailure(PrintError::PrinterFailed);
    }
    PrintStatus abortDocument() override {
        if (m_painter.isActive())
            m_painter.end();
        return printOk();
    }

private:
    QPrinter m_printer;
    QPainter m_painter;
    bool m_twips = false;
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const int wanted = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    QTemporaryDir dir;
    PrinterAccess access;
    access.open = [path = dir.filePath("summary.pdf")](std::stop_token) {
        return PrinterOpening(std::make_unique<PdfPrinter>(path));
    };
    ui::Form1 form({}, access);
    QString told;
    app::Form1Commands commands(form, {},
                                [&](const QString &, const QString &message) { told = message; });
    form.show();
    // About 56 lines a page between one-inch margins on Letter.
    QStringList lines;
    for (int i = 0; i < wanted * 56; ++i)
        lines << QStringLiteral("Note %1: set aside 25.50 for the gas bill").arg(i + 1);
    QElapsedTimer clock;
    clock.start();
    form.sheet().notes->setPlainText(lines.join(u'\n'));
    // Let the printer be found and the layout made for it, then tick once.
    while (!form.sheet().summary->layout().hasTargetDevice() && clock.elapsed() < 60000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    form.Timer1_Timer();
    std::printf("notes of %lld lines typed and laid out: %.1f s\n", qlonglong(lines.size()),
                clock.elapsed() / 1000.0);

    // The probe, and the user answering the question about a large print.
    qint64 last = 0, longest = 0;
    QString asked;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        for (QMessageBox *box : form.findChildren<QMessageBox *>()) {
            asked = box->text();
            for (QAbstractButton *button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::AcceptRole)
                    button->click();
            }
        }
    });
    // The same window idle first: its ticks with these notes are no part of printing.
    clock.restart();
    last = 0;
    probe.start(1);
    while (clock.elapsed() < 2000)
        app.processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 idle = longest;
    clock.restart();
    last = longest = 0;
    form.controls().printSummary->click();
    while (form.summaryPrinter().isPrinting())
        app.processEvents(QEventLoop::WaitForMoreEvents);
    probe.stop();
    const double total = clock.elapsed() / 1000.0;
    std::printf("asked: %s\n", qPrintable(asked));
    std::printf("printed: %s\n", told.isEmpty() ? "yes" : qPrintable(told));
    std::printf("idle, the same notes: longest block %.1f ms (the tick's own)\n", idle / 1e6);
    std::printf("whole print: %.1f s; longest block of the event loop: %.1f ms\n", total,
                longest / 1e6);
    return tallaby::bench::verdict(longest <= 100'000'000 && told.isEmpty(),
                                   "printed, the window never blocked over 100 ms");
}
