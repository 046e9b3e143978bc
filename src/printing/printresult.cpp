#include "printing/printresult.h"

namespace tallaby::printing {

QString PrintFailure::message() const {
    QString said = detail.trimmed();
    while (said.endsWith(QLatin1Char('.')))
        said.chop(1);
    QString what;
    switch (error) {
    case PrintError::NoPrinter:
        return QStringLiteral(
            "No printer is installed, so the summary was not printed. Install a printer "
            "and make it the default, then print again.");
    case PrintError::NoDefaultPrinter:
        return QStringLiteral(
            "No printer is set as the default, so the summary was not printed. Make one "
            "of your printers the default, then print again.");
    case PrintError::ServerNotAnswering:
        return QStringLiteral(
            "The print server is not running or not answering, so the summary was not "
            "printed. Try again in a few minutes.");
    case PrintError::NoSpoolRoom:
        return QStringLiteral(
                   "There is no room for the temporary file of the printout (%1), so the summary "
                   "was not printed. Free some disk space, then print again.")
            .arg(said);
    case PrintError::JobUnconfirmed:
        return QStringLiteral(
            "The print server stopped answering while the summary was being sent. It may "
            "still print once the server recovers: check the printer before printing "
            "again.");
    case PrintError::QueuePaused:
        return QStringLiteral(
            "The printer's queue is paused: the summary waits in it and prints once the "
            "queue is resumed.");
    case PrintError::NoProgress:
        return QStringLiteral(
            "The paper of this printer is too small for the summary between one-inch "
            "margins, so nothing was printed.");
    case PrintError::StillLooking:
        return QStringLiteral(
            "The summary printed a moment ago is still looking for the printer. Wait until "
            "it has been found, then print again.");
    case PrintError::Cancelled:
        return QStringLiteral("The print was cancelled, so nothing was printed.");
    case PrintError::Busy:
        return QStringLiteral(
            "The summary is already on its way to the printer. Wait until it has gone, "
            "then print again.");
    case PrintError::NotCurrent:
        return QStringLiteral(
                   "The summary was not printed because it is not up to date: %1. Correct this, "
                   "then print again.")
            .arg(said);
    case PrintError::PrinterFailed:
        what = QStringLiteral("The printer could not print the summary.");
        break;
    case PrintError::JobRefused:
        what = QStringLiteral("The printer did not accept the summary.");
        break;
    case PrintError::NoDocument:
        what = QStringLiteral("The printer lost the document of the summary.");
        break;
    case PrintError::Overflow:
        what = QStringLiteral("The page size of this printer is out of range for the margins.");
        break;
    }
    if (!said.isEmpty())
        what += QLatin1Char(' ') + QStringLiteral("The print system said: %1.").arg(said);
    return what + QLatin1Char(' ') + QStringLiteral("Nothing was printed.");
}

} // namespace tallaby::printing
