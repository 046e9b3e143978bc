#include "printing/summaryprinting.h"

#include "printing/module1.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <QTimer>

namespace tallaby::printing {

namespace {

// Runs `answer` on `context`'s thread, unless `context` is gone by then.
template<typename F>
void post(QObject *context, F answer) {
    QMetaObject::invokeMethod(context, std::move(answer), Qt::QueuedConnection);
}

constexpr std::chrono::seconds kRetryAfter{5};

} // namespace

SummaryPrinter::SummaryPrinter(SummaryLayout &layout, PrinterAccess access, QObject *parent)
    : QObject(parent)
    , m_layout(layout)
    , m_access(std::move(access)) {}

SummaryPrinter::~SummaryPrinter() = default;

void SummaryPrinter::startLayout(std::function<void(const PrintResult<qint32> &)> done) {
    m_layout.setFont(QStringLiteral("Arial"), 10);
    m_workers.start([this, open = m_access.open, done = std::move(done)](std::stop_token stop) {
        // A server that does not answer yet may be starting: ask again.
        PrinterOpening printer = open(stop);
        while (!printer && printer.failure().error == PrintError::ServerNotAnswering &&
               !stop.stop_requested()) {
            std::mutex mutex;
            std::unique_lock lock(mutex);
            std::condition_variable_any().wait_for(lock, stop, kRetryAfter, [] { return false; });
            printer = open(stop);
        }
        auto shared = std::make_shared<PrinterOpening>(std::move(printer));
        post(this, [this, shared, done] {
            const PrintResult<qint32> lineWidth =
                *shared ? Module1::SetupSummaryPrintLayout(m_layout, ***shared, kOneInch, kOneInch)
                        : PrintResult<qint32>(shared->failure());
            if (done)
                done(lineWidth);
        });
    });
}

void SummaryPrinter::print(Done done, std::function<PrintStatus()> ready) {
    if (m_printing) {
        if (done)
            done(printFailure(PrintError::Busy));
        return;
    }
    m_printing = true;
    m_done = std::move(done);
    m_ready = std::move(ready);
    const int attempt = ++m_attempt;
    std::stop_source lookup =
        m_workers.start([this, attempt, open = m_access.open](std::stop_token stop) {
            auto printer = std::make_shared<PrinterOpening>(open(stop));
            post(this, [this, attempt, printer] {
                if (attempt == m_attempt && m_printing)
                    render(std::move(*printer));
            });
        });
    // The wait is kept here, whatever the lookup does with its stop request.
    QTimer::singleShot(m_access.wait, this, [this, attempt, lookup]() mutable {
        if (attempt != m_attempt || !m_printing)
            return;
        lookup.request_stop();
        ++m_attempt;
        finish(printFailure(PrintError::ServerNotAnswering));
    });
}

void SummaryPrinter::render(PrinterOpening printer) {
    ++m_attempt; // the lookup's wait is over
    if (!printer)
        return finish(printer.failure());
    if (m_ready) {
        if (PrintStatus ready = m_ready(); !ready)
            return finish(ready);
    }
    const PrintStatus drawn =
        Module1::PrintSummaryPages(m_layout, **printer, kOneInch, kOneInch, kOneInch, kOneInch);
    if (!drawn)
        return finish(drawn);
    std::shared_ptr<Delivery> delivery = (*printer)->takeDelivery();
    if (!delivery)
        return finish(drawn);
    const int attempt = m_attempt;
    m_workers.start([this, attempt, delivery](std::stop_token stop) {
        const PrintStatus sent = delivery->send(stop);
        post(this, [this, attempt, sent] {
            if (attempt == m_attempt)
                finish(sent);
        });
    });
}

void SummaryPrinter::finish(const PrintStatus &status) {
    m_printing = false;
    m_ready = {};
    if (const Done done = std::exchange(m_done, {}))
        done(status);
}

} // namespace tallaby::printing
