#pragma once

#include "printing/printresult.h"

#include <chrono>
#include <QString>

namespace tallaby::printing {

// Hands a finished PDF to the print server as one job and returns its id. Waits
// at most about `timeout` for the server at each exchange: ServerNotAnswering when
// it cannot be reached, JobUnconfirmed when it stops answering once the document
// is on its way (the job may still come out). Any thread.
PrintResult<int> submitPdfJob(const QString &printerName, const QString &pdfPath,
                              const QString &title, const QString &media,
                              std::chrono::milliseconds timeout);

} // namespace tallaby::printing
