#include "printing/summaryprinting.h"

#include "printing/module1.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <QElapsedTimer>
#include <QTimer>

namespace tallaby::printing {

namespace {

constexpr qint32 kMargin = kTwipsPerInch; // on every side
constexpr std::chrono::seconds kRetryAfter{5};
// Pages are drawn in slices of at most this long, or this many pages, so input
// and ticks get through in between.
constexpr std::chrono::milliseconds kDrawingSlice{25};
constexpr int kPagesPerSlice = 25;
constexpr std::chrono::milliseconds kBetweenSlices{1};

const QString kSummaryFont = QStringLiteral("Arial");
constexpr int kSummaryPointSize = 10;

// Whether the summary is (brought) up to date; without a way to ask, it is.
PrintStatus freshened(const PrintRequest &request) {
    return request.freshen ? request.freshen() : printOk();
}

} // namespace

// Where workers post their answers. Closed when the printer goes, so a worker
// that outlives it (stuck in the print server) posts to nothing.
class SummaryPrinter::Mailbox {
public:
    explicit Mailbox(QObject *owner)
        : m_owner(owner) {}

    template<typename F>
    void post(F answer) {
        const std::lock_guard lock(m_mutex);
        if (m_owner)
            QMetaObject::invokeMethod(m_owner, std::move(answer), Qt::QueuedConnection);
    }
    void close() {
        const std::lock_guard lock(m_mutex);
        m_owner = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject *m_owner;
};

// One print, from the command to the print server's answer.
struct SummaryPrinter::Job {
    enum class Stage { Looking, Drawing, Sending };

    PrintRequest request;
    Stage stage = Stage::Looking;
    std::stop_source lookup;
    // Declared in this order so the pages go before what they draw from.
    std::unique_ptr<PrinterService> printer;
    std::unique_ptr<SummaryLayout> snapshot;
    std::unique_ptr<Module1::SummaryPages> pages;
    int pageCount = 0;
};

SummaryPrinter::SummaryPrinter(SummaryLayout &layout, PrinterAccess access, QObject *parent)
    : QObject(parent)
    , m_layout(layout)
    , m_access(std::move(access))
    , m_mailbox(std::make_shared<Mailbox>(this)) {}

SummaryPrinter::~SummaryPrinter() {
    m_mailbox->close();
    m_job.reset(); // an unsent document is dropped
}

void SummaryPrinter::startLayout(std::function<void(const PrintResult<qint32> &)> done) {
    m_layout.setFont(kSummaryFont, kSummaryPointSize);
    // From the event loop, once the window is up: loading the print stack then
    // never competes with showing it.
    QTimer::singleShot(0, this, [this, done = std::move(done)] {
        m_workers.start([mailbox = m_mailbox, open = m_access.open, done,
                         this](std::stop_token stop) {
            // A server that does not answer yet may be starting: ask again.
            PrinterOpening printer = open(stop);
            while (!printer && printer.failure().error == PrintError::ServerNotAnswering &&
                   !stop.stop_requested()) {
                std::mutex mutex;
                std::unique_lock lock(mutex);
                std::condition_variable_any().wait_for(lock, stop, kRetryAfter,
                                                       [] { return false; });
                printer = open(stop);
            }
            auto shared = std::make_shared<PrinterOpening>(std::move(printer));
            mailbox->post([this, shared, done] {
                const PrintResult<qint32> lineWidth =
                    *shared
                        ? Module1::SetupSummaryPrintLayout(m_layout, ***shared, kMargin, kMargin)
                        : PrintResult<qint32>(shared->failure());
                if (done)
                    done(lineWidth);
            });
        });
    });
}

PrintStatus SummaryPrinter::print(PrintRequest request) {
    if (m_job)
        return printFailure(m_job->stage == Job::Stage::Looking ? PrintError::StillLooking
                                                                : PrintError::Busy);
    if (PrintStatus current = freshened(request); !current)
        return current;
    auto job = std::make_shared<Job>();
    job->request = std::move(request);
    m_job = job;
    job->lookup = m_workers.start([mailbox = m_mailbox, open = m_access.open,
                                   weak = std::weak_ptr(job), this](std::stop_token stop) {
        auto printer = std::make_shared<PrinterOpening>(open(stop));
        mailbox->post([this, weak, printer] {
            if (const auto job = weak.lock())
                found(job, std::move(*printer));
        });
    });
    // The wait is kept here, whatever the lookup does with its stop request.
    QTimer::singleShot(m_access.wait, this, [this, weak = std::weak_ptr(job)] {
        const auto job = weak.lock();
        if (job && job == m_job && job->stage == Job::Stage::Looking)
            finish(printFailure(PrintError::ServerNotAnswering));
    });
    return printOk();
}

void SummaryPrinter::cancel() {
    if (m_job && m_job->stage != Job::Stage::Sending)
        finish(printFailure(PrintError::Cancelled));
}

void SummaryPrinter::found(const std::shared_ptr<Job> &job, PrinterOpening printer) {
    if (job != m_job || job->stage != Job::Stage::Looking)
        return;
    if (!printer)
        return finish(printer.failure());
    // The user may have typed while the printer was looked for.
    if (PrintStatus current = freshened(job->request); !current)
        return finish(current);
    job->stage = Job::Stage::Drawing;
    job->printer = std::move(*printer);
    job->snapshot = m_layout.snapshot();
    auto pages = Module1::SummaryPages::begin(*job->snapshot, *job->printer,
                                              {kMargin, kMargin, kMargin, kMargin});
    if (!pages)
        return finish(pages.failure());
    job->pages = std::move(*pages);
    job->pageCount = job->pages->pageCount();
    if (job->pageCount <= kLargePrintPages || !job->request.confirmLarge)
        return drawSome(job);
    job->request.confirmLarge(job->pageCount, [this, weak = std::weak_ptr(job)](bool goOn) {
        const auto job = weak.lock();
        if (!job || job != m_job)
            return;
        if (!goOn)
            return finish(printFailure(PrintError::Cancelled));
        drawSome(job);
    });
}

void SummaryPrinter::drawSome(const std::shared_ptr<Job> &job) {
    QElapsedTimer slice;
    slice.start();
    for (int drawn = 1;; ++drawn) {
        const auto last = job->pages->drawPage();
        if (!last)
            return finish(last.failure());
        if (*last)
            return send(job);
        if (drawn == kPagesPerSlice || slice.elapsed() >= kDrawingSlice.count())
            break;
    }
    if (job->request.progress)
        job->request.progress(job->pages->pagesDrawn(), job->pageCount);
    // The rest after whatever is waiting, timers included: a zero wait would be
    // a posted event, run again before the timers. A cancel meanwhile ends the job.
    QTimer::singleShot(kBetweenSlices, Qt::PreciseTimer, this, [this, weak = std::weak_ptr(job)] {
        if (const auto job = weak.lock(); job && job == m_job)
            drawSome(job);
    });
}

void SummaryPrinter::send(const std::shared_ptr<Job> &job) {
    if (const PrintStatus ended = job->pages->end(); !ended)
        return finish(ended);
    std::shared_ptr<Delivery> delivery = job->printer->takeDelivery();
    if (!delivery)
        return finish(printOk());
    job->stage = Job::Stage::Sending;
    m_workers.start(
        [mailbox = m_mailbox, delivery, weak = std::weak_ptr(job), this](std::stop_token stop) {
            const PrintStatus sent = delivery->send(stop);
            mailbox->post([this, weak, sent] {
                if (const auto job = weak.lock(); job && job == m_job)
                    finish(sent);
            });
        });
}

void SummaryPrinter::finish(const PrintStatus &status) {
    const std::shared_ptr<Job> job = std::exchange(m_job, nullptr);
    job->lookup.request_stop();
    if (job->request.done)
        job->request.done(status);
}

} // namespace tallaby::printing
