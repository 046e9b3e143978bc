#pragma once

#include <QString>
#include <utility>
#include <variant>

namespace tallaby::printing {

// Why a printer or layout operation failed. Failures travel as values: nothing in
// printing throws, so a failed print never unwinds through the event loop.
enum class PrintError {
    NoPrinter,          // no printer is installed
    NoDefaultPrinter,   // printers are installed, but none is the default
    ServerNotAnswering, // the print server is not running or did not answer within the wait
    PrinterFailed,      // the printer could not start a document or a page
    NoSpoolRoom,        // the document could not be written whole to its temporary file
    JobRefused,         // the print system did not accept the finished document
    JobUnconfirmed,     // the server stopped answering while the document was sent
    QueuePaused,        // the document was taken, but waits in a paused queue
    NoDocument,         // a page operation came while no document was open
    Overflow,           // a layout length left the 32-bit range
    NoProgress,         // a page pass rendered nothing: no line fits between the margins
    StillLooking,       // a print command came while the last one still looked for the printer
    Busy,               // a print command came while a summary was on its way to the printer
    Cancelled,          // the user stopped the print before it was sent
    NotCurrent,         // the summary is behind the worksheet; detail names why
};

struct PrintFailure {
    PrintError error;
    QString detail; // what the printer or print system said, if anything

    // Plain text for the user: what happened, and whether anything printed.
    QString message() const;
};

inline PrintFailure printFailure(PrintError error, QString detail = {}) {
    return PrintFailure{error, std::move(detail)};
}

// A value or the failure that prevented it.
template<typename T>
class [[nodiscard]] PrintResult {
public:
    PrintResult(T value)
        : m_state(std::move(value)) {}
    PrintResult(PrintFailure failure)
        : m_state(std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T &value() { return std::get<0>(m_state); }
    const T &value() const { return std::get<0>(m_state); }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    const PrintFailure &failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, PrintFailure> m_state;
};

struct Done {};

// Success carries nothing.
using PrintStatus = PrintResult<Done>;

inline PrintStatus printOk() {
    return Done{};
}

} // namespace tallaby::printing
