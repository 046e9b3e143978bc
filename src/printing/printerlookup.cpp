#include "printing/printerlookup.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <QMetaObject>
#include <QObject>
#include <thread>

namespace tallaby::printing {

struct PrinterLookup::State {
    std::mutex mutex;
    std::condition_variable answeredOrGivenUp;
    std::optional<PrinterOpening> answer;
    Relay *relay = nullptr; // set while someone waits for a callback
};

// Lives on the waiting context's thread and dies with it; the worker only posts
// to it while holding the state's lock, which the relay's destructor also takes.
class PrinterLookup::Relay : public QObject {
public:
    Relay(QObject *context, std::shared_ptr<State> state,
          std::function<void(PrinterOpening)> answered)
        : QObject(context)
        , m_state(std::move(state))
        , m_answered(std::move(answered)) {}

    ~Relay() override {
        const std::lock_guard lock(m_state->mutex);
        if (m_state->relay == this)
            m_state->relay = nullptr;
    }

    // Under the state's lock.
    void post() {
        QMetaObject::invokeMethod(
            this, [this] { deliver(); }, Qt::QueuedConnection);
    }

private:
    void deliver() {
        std::optional<PrinterOpening> answer;
        {
            const std::lock_guard lock(m_state->mutex);
            answer.swap(m_state->answer);
            m_state->relay = nullptr;
        }
        const auto answered = std::move(m_answered);
        deleteLater();
        if (answer && answered)
            answered(std::move(*answer));
    }

    std::shared_ptr<State> m_state;
    std::function<void(PrinterOpening)> m_answered;
};

PrinterLookup::PrinterLookup(PrinterOpener open)
    : m_state(std::make_shared<State>()) {
    std::thread([state = m_state, open = std::move(open)] {
        PrinterOpening opening = open();
        const std::lock_guard lock(state->mutex);
        state->answer.emplace(std::move(opening));
        state->answeredOrGivenUp.notify_all();
        if (state->relay)
            state->relay->post();
    }).detach();
}

PrinterOpening PrinterLookup::take(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_state->mutex);
    if (!m_state->answeredOrGivenUp.wait_for(lock, wait,
                                             [&] { return m_state->answer.has_value(); }))
        return printFailure(PrintError::ServerNotAnswering);
    PrinterOpening answer = std::move(*m_state->answer);
    m_state->answer.reset();
    return answer;
}

void PrinterLookup::whenAnswered(QObject *context, std::function<void(PrinterOpening)> answered) {
    auto *relay = new Relay(context, m_state, std::move(answered));
    const std::lock_guard lock(m_state->mutex);
    m_state->relay = relay;
    if (m_state->answer)
        relay->post();
}

} // namespace tallaby::printing
