#include "printing/workerthreads.h"

namespace tallaby::printing {

WorkerThreads::~WorkerThreads() {
    // All asked first, so they wind down together.
    for (Worker &worker : m_workers)
        worker.thread.request_stop();
    m_workers.clear(); // joins
}

std::stop_source WorkerThreads::start(std::function<void(std::stop_token)> work) {
    reap();
    Worker &worker = m_workers.emplace_back();
    worker.thread =
        std::jthread([work = std::move(work), finished = worker.finished](std::stop_token stop) {
            work(std::move(stop));
            finished->store(true);
        });
    return worker.thread.get_stop_source();
}

int WorkerThreads::running() {
    reap();
    return static_cast<int>(m_workers.size());
}

void WorkerThreads::reap() {
    m_workers.remove_if([](const Worker &worker) { return worker.finished->load(); });
}

} // namespace tallaby::printing
