#pragma once

#include "printing/printerservice.h"
#include "printing/printresult.h"

#include <chrono>
#include <functional>
#include <memory>

class QObject;

namespace tallaby::printing {

using PrinterOpening = PrintResult<std::unique_ptr<PrinterService>>;
// Reaches the default printer; may block for as long as the print server takes.
using PrinterOpener = std::function<PrinterOpening()>;

// Opens the default printer on a worker thread of its own, so that a print server
// that does not answer never blocks the user-interface thread for longer than a
// caller chooses. A lookup that is given up on runs to its end in the background
// and its answer is dropped. One answer, taken once: by take() or whenAnswered().
class PrinterLookup {
public:
    explicit PrinterLookup(PrinterOpener open);

    // Waits at most `wait` for the answer; ServerNotAnswering once that has passed.
    PrinterOpening take(std::chrono::milliseconds wait);

    // Calls `answered` with the answer on `context`'s thread, from its event loop,
    // unless `context` is destroyed first.
    void whenAnswered(QObject *context, std::function<void(PrinterOpening)> answered);

private:
    struct State;
    class Relay;
    std::shared_ptr<State> m_state;
};

} // namespace tallaby::printing
