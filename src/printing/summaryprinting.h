#pragma once

#include "printing/defaultprinter.h"
#include "printing/printresult.h"
#include "printing/summarylayout.h"
#include "printing/workerthreads.h"

#include <chrono>
#include <functional>
#include <QObject>
#include <stop_token>

// What the main window calls: a SummaryPrinter over the summary box's layout.
//
//     printer.startLayout();                       // Form_Load, after the field defaults
//     printer.print([](const PrintStatus &printed) { ...tell the user... });  // print commands
//
// Neither blocks on the print server, shows a print dialog or throws.
namespace tallaby::printing {

inline constexpr qint32 kOneInch = 1440;

using PrinterOpening = PrintResult<std::unique_ptr<PrinterService>>;
// Reaches the default printer; may block on the print server until `stop`.
using PrinterOpener = std::function<PrinterOpening(std::stop_token stop)>;

// How the summary reaches the printer: tests put a fake behind `open`.
struct PrinterAccess {
    PrinterOpener open = [](std::stop_token stop) {
        return openDefaultPrinter(kPrintServerWait, std::move(stop));
    };
    // How long a print command waits for the printer to be found.
    std::chrono::milliseconds wait = kPrintServerWait;
};

// Prints the summary without ever holding the user-interface thread on the print
// server: the printer is found and the finished document is sent on worker
// threads, and the pages are drawn here, from the layout as it then stands.
// Destroying it stops and waits for that work: nothing of it is left behind.
class SummaryPrinter final : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(const PrintStatus &)>;

    explicit SummaryPrinter(SummaryLayout &layout, PrinterAccess access = {},
                            QObject *parent = nullptr);
    ~SummaryPrinter() override;

    // The start-up call: Arial 10 pt at once, then SetupSummaryPrintLayout(layout,
    // 1440, 1440) once the default printer is found, however long the print server
    // takes. Until then, or for good if there is none, the layout keeps its screen
    // line width. `done` gets the line width or why there is none.
    void startLayout(std::function<void(const PrintResult<qint32> &)> done = {});

    // The print command: PrintSummaryPages(layout, 1440, 1440, 1440, 1440) on the
    // default printer. `ready`, asked just before the pages are drawn, may refuse.
    // `done` follows once the print server took the document or it failed; with
    // Busy at once while another print is on its way.
    void print(Done done, std::function<PrintStatus()> ready = {});
    bool isPrinting() const { return m_printing; }

    // Threads still working, for tests.
    int workersRunning() { return m_workers.running(); }

private:
    void finish(const PrintStatus &status);
    void render(PrinterOpening printer);

    SummaryLayout &m_layout;
    PrinterAccess m_access;
    bool m_printing = false;
    int m_attempt = 0; // tells a late answer from the current one
    Done m_done;
    std::function<PrintStatus()> m_ready;
    WorkerThreads m_workers; // declared last: stopped before the rest goes
};

} // namespace tallaby::printing
