#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <stop_token>
#include <thread>

namespace tallaby::printing {

// Threads for work that waits on the print server, owned: destroying the owner
// asks each to stop and waits for it, so none outlives the objects it reports
// to. Work must return soon after its stop is requested; a thread that has not
// within the grace is stuck in a call nothing can interrupt (the print server
// answered once, then hung inside the printer set-up) and is left to itself, so
// it never holds up the end of the run. Its work must then touch nothing the
// owner owned, and the process ends without waiting for it (see abandoned()).
class WorkerThreads {
public:
    static constexpr std::chrono::milliseconds kGrace{1000};

    WorkerThreads() = default;
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads &) = delete;
    WorkerThreads &operator=(const WorkerThreads &) = delete;

    // Runs `work` on a thread of its own; the source gives up on it early.
    std::stop_source start(std::function<void(std::stop_token)> work);

    // Threads left behind by any owner and still running: while there are any,
    // the process must end with std::_Exit, since static destructors would pull
    // the print stack out from under them.
    static int abandoned();

private:
    enum State { Running, Finished, LeftBehind };
    struct Worker {
        std::shared_ptr<std::atomic<int>> state = std::make_shared<std::atomic<int>>(Running);
        std::jthread thread;
    };
    void reap();
    std::list<Worker> m_workers;
};

} // namespace tallaby::printing
