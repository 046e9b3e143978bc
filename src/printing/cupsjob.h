#pragma once

#include "printing/printresult.h"

#include <chrono>
#include <QString>
#include <stop_token>

namespace tallaby::printing {

// Both wait at most about `timeout` for the server at each exchange, and give up
// within a tenth of a second of `stop` being requested. Any thread.

// How many printers the print server knows: ServerNotAnswering when it is not
// running or does not answer.
PrintResult<int> countPrinters(std::chrono::milliseconds timeout, std::stop_token stop);

// Hands a finished PDF to the print server as one job. ServerNotAnswering when
// it cannot be reached, JobUnconfirmed when it stops answering once the document
// is on its way (the job may still come out), QueuePaused when the queue took
// the job but is paused.
PrintStatus submitPdfJob(const QString &printerName, const QString &pdfPath, const QString &title,
                         const QString &media, std::chrono::milliseconds timeout,
                         std::stop_token stop);

} // namespace tallaby::printing
