#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <stop_token>
#include <thread>

namespace tallaby::printing {

// Threads for work that waits on the print server, owned: destroying the owner
// asks each to stop and waits for it, so none outlives the objects it reports
// to, nor the application. Work must return soon after its stop is requested.
class WorkerThreads {
public:
    WorkerThreads() = default;
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads &) = delete;
    WorkerThreads &operator=(const WorkerThreads &) = delete;

    // Runs `work` on a thread of its own; the source gives up on it early.
    std::stop_source start(std::function<void(std::stop_token)> work);
    // How many have not finished yet.
    int running();

private:
    struct Worker {
        std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
        std::jthread thread;
    };
    void reap();
    std::list<Worker> m_workers;
};

} // namespace tallaby::printing
