#include "printing/workerthreads.h"

namespace tallaby::printing {

namespace {
std::atomic<int> g_abandoned{0};
} // namespace

WorkerThreads::~WorkerThreads() {
    // All asked first, so they wind down together.
    for (Worker &worker : m_workers)
        worker.thread.request_stop();
    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    for (Worker &worker : m_workers) {
        while (*worker.state == Running && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // Counted before it is marked, so its own decrement never comes first.
        ++g_abandoned;
        int running = Running;
        if (worker.state->compare_exchange_strong(running, LeftBehind))
            worker.thread.detach();
        else
            --g_abandoned;
    }
    m_workers.clear(); // joins the rest, which have finished
}

std::stop_source WorkerThreads::start(std::function<void(std::stop_token)> work) {
    reap();
    Worker &worker = m_workers.emplace_back();
    worker.thread =
        std::jthread([work = std::move(work), state = worker.state](std::stop_token stop) {
            work(std::move(stop));
            // One left behind counts until it is done.
            if (state->exchange(Finished) == LeftBehind)
                --g_abandoned;
        });
    return worker.thread.get_stop_source();
}

int WorkerThreads::abandoned() {
    return g_abandoned.load();
}

void WorkerThreads::reap() {
    m_workers.remove_if([](const Worker &worker) { return *worker.state == Finished; });
}

} // namespace tallaby::printing
