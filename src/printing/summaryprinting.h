#pragma once

#include "printing/defaultprinter.h"
#include "printing/printresult.h"
#include "printing/summarylayout.h"
#include "printing/workerthreads.h"

#include <chrono>
#include <functional>
#include <memory>
#include <QObject>
#include <stop_token>

// What the main window calls: a SummaryPrinter over the summary box's layout.
//
//     printer.startLayout();                       // Form_Load, after the field defaults
//     if (PrintStatus refused = printer.print(request); !refused) ...tell the user...
//
// Neither blocks on the print server, shows a print dialog or throws.
namespace tallaby::printing {

// A print of more pages than this is asked about before it is drawn.
inline constexpr int kLargePrintPages = 100;

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

// What a print command asks for, and how it hears of it. Every callback runs on
// the user-interface thread.
struct PrintRequest {
    // Brings the summary up to date with the worksheet and refuses (NotCurrent)
    // when it cannot be: asked when the command comes and again just before the
    // pages are drawn, since the user may type while the printer is looked for.
    std::function<PrintStatus()> freshen;
    // The print is over: sent, failed, or Cancelled. Never called from print().
    std::function<void(const PrintStatus &)> done;
    // Pages drawn so far out of `total`, while they are drawn.
    std::function<void(int drawn, int total)> progress;
    // A print of more than kLargePrintPages: answer true to draw and send it.
    // Without it such a print goes ahead.
    std::function<void(int pages, std::function<void(bool)> answer)> confirmLarge;
};

// Prints the summary without ever holding the user-interface thread for long:
// the printer is found and the finished document is sent on worker threads, and
// the pages are drawn here a few at a time between events, from a snapshot of the
// layout taken when the print is decided, so ticks meanwhile do not change them.
// Destroying it stops that work and drops an unsent document; a worker stuck
// in the print server is left behind rather than waited for (WorkerThreads).
class SummaryPrinter final : public QObject {
    Q_OBJECT

public:
    explicit SummaryPrinter(SummaryLayout &layout, PrinterAccess access = {},
                            QObject *parent = nullptr);
    ~SummaryPrinter() override;

    // The start-up call: Arial 10 pt at once, then, from the event loop,
    // SetupSummaryPrintLayout with one-inch margins once the default printer is
    // found, however long the print server takes. Until then, or for good if
    // there is none, the layout keeps its screen line width. `done` gets the
    // line width or why there is none.
    void startLayout(std::function<void(const PrintResult<qint32> &)> done = {});

    // The print command: PrintSummaryPages with one-inch margins on the default
    // printer. Refuses at once, with nothing started, while another print
    // is on (StillLooking, Busy) or when the summary cannot be brought up to date
    // (NotCurrent); else `request.done` follows.
    PrintStatus print(PrintRequest request);
    // Stops a print not yet handed to the print server: nothing is sent, and
    // done() hears Cancelled.
    void cancel();
    bool isPrinting() const { return m_job != nullptr; }

private:
    struct Job;
    class Mailbox;

    void found(const std::shared_ptr<Job> &job, PrinterOpening printer);
    void drawSome(const std::shared_ptr<Job> &job);
    void send(const std::shared_ptr<Job> &job);
    void finish(const PrintStatus &status);

    SummaryLayout &m_layout;
    PrinterAccess m_access;
    std::shared_ptr<Job> m_job; // the print under way; answers for any other are late
    std::shared_ptr<Mailbox> m_mailbox;
    WorkerThreads m_workers; // declared last: stopped before the rest goes
};

} // namespace tallaby::printing
