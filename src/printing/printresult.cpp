#include "printing/printresult.h"

#include <QCoreApplication>

namespace tallaby::printing {

QString PrintFailure::message() const {
    QString what;
    switch (error) {
    case PrintError::NoPrinter:
        return QCoreApplication::translate(
            "tallaby::printing", "No printer is installed, so the summary was not printed. "
                                 "Install a printer and make it the default, then print again.");
    case PrintError::ServerNotAnswering:
        return QCoreApplication::translate(
            "tallaby::printing", "The print server is not answering, so the summary was not "
                                 "printed. Try again in a few minutes.");
    case PrintError::PrinterFailed:
        what = QCoreApplication::translate("tallaby::printing",
                                           "The printer could not print the summary.");
        break;
    case PrintError::JobRefused:
        what = QCoreApplication::translate("tallaby::printing",
                                           "The printer did not accept the summary.");
        break;
    case PrintError::JobUnconfirmed:
        return QCoreApplication::translate(
            "tallaby::printing",
            "The print server stopped answering while the summary was being sent. It may "
            "still print once the server recovers: check the printer before printing again.");
    case PrintError::NoDocument:
        what = QCoreApplication::translate("tallaby::printing",
                                           "The printer lost the document of the summary.");
        break;
    case PrintError::Overflow:
        what = QCoreApplication::translate(
            "tallaby::printing", "The page size of this printer is out of range for the margins.");
        break;
    case PrintError::NoProgress:
        what = QCoreApplication::translate(
            "tallaby::printing", "A line of the summary is taller than the printed page.");
        break;
    }
    QString said = detail.trimmed();
    while (said.endsWith(QLatin1Char('.')))
        said.chop(1);
    if (!said.isEmpty())
        what += QLatin1Char(' ') +
                QCoreApplication::translate("tallaby::printing", "The print system said: %1.")
                    .arg(said);
    return what + QLatin1Char(' ') +
           QCoreApplication::translate("tallaby::printing", "Nothing was printed.");
}

} // namespace tallaby::printing
