#include "printing/printresult.h"

#include <QCoreApplication>

namespace tallaby::printing {

namespace {
QString tr(const char *text) {
    return QCoreApplication::translate("tallaby::printing", text);
}
} // namespace

QString PrintFailure::message() const {
    QString said = detail.trimmed();
    while (said.endsWith(QLatin1Char('.')))
        said.chop(1);
    QString what;
    switch (error) {
    case PrintError::NoPrinter:
        return tr("No printer is installed, so the summary was not printed. Install a printer "
                  "and make it the default, then print again.");
    case PrintError::NoDefaultPrinter:
        return tr("No printer is set as the default, so the summary was not printed. Make one "
                  "of your printers the default, then print again.");
    case PrintError::ServerNotAnswering:
        return tr("The print server is not running or not answering, so the summary was not "
                  "printed. Try again in a few minutes.");
    case PrintError::NoSpoolRoom:
        return tr("There is no room for the temporary file of the printout (%1), so the summary "
                  "was not printed. Free some disk space, then print again.")
            .arg(said);
    case PrintError::JobUnconfirmed:
        return tr("The print server stopped answering while the summary was being sent. It may "
                  "still print once the server recovers: check the printer before printing "
                  "again.");
    case PrintError::QueuePaused:
        return tr("The printer's queue is paused: the summary waits in it and prints once the "
                  "queue is resumed.");
    case PrintError::NoProgress:
        return tr("The paper of this printer is too small for the summary between one-inch "
                  "margins, so nothing was printed.");
    case PrintError::StillLooking:
        return tr("The summary printed a moment ago is still looking for the printer. Wait until "
                  "it has been found, then print again.");
    case PrintError::Cancelled:
        return tr("The print was cancelled, so nothing was printed.");
    case PrintError::Busy:
        return tr("The summary is already on its way to the printer. Wait until it has gone, "
                  "then print again.");
    case PrintError::NotCurrent:
        return tr("The summary was not printed because it is not up to date: %1. Correct this, "
                  "then print again.")
            .arg(said);
    case PrintError::PrinterFailed:
        what = tr("The printer could not print the summary.");
        break;
    case PrintError::JobRefused:
        what = tr("The printer did not accept the summary.");
        break;
    case PrintError::NoDocument:
        what = tr("The printer lost the document of the summary.");
        break;
    case PrintError::Overflow:
        what = tr("The page size of this printer is out of range for the margins.");
        break;
    }
    if (!said.isEmpty())
        what += QLatin1Char(' ') + tr("The print system said: %1.").arg(said);
    return what + QLatin1Char(' ') + tr("Nothing was printed.");
}

} // namespace tallaby::printing
