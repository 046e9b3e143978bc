#include "printing/cupsjob.h"

#include <cerrno>
#include <cups/cups.h>
#include <sys/socket.h>

namespace tallaby::printing {

namespace {

QString lastCupsError() {
    return QString::fromLocal8Bit(cupsLastErrorString());
}

struct Connection {
    http_t *http;
    ~Connection() {
        if (http)
            httpClose(http);
    }
};

} // namespace

PrintResult<int> submitPdfJob(const QString &printerName, const QString &pdfPath,
                              const QString &title, const QString &media,
                              std::chrono::milliseconds timeout) {
    // One Print-Job request on a connection of our own with a timeout: the
    // library's own calls look the destination up on a shared connection that
    // waits minutes for a stopped server.
    int cancel = 0;
    const Connection connection{httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                             cupsEncryption(), 1, static_cast<int>(timeout.count()),
                                             &cancel)};
    if (!connection.http)
        return printFailure(PrintError::ServerNotAnswering, lastCupsError());
    httpSetTimeout(connection.http, std::chrono::duration<double>(timeout).count(), nullptr,
                   nullptr);

    // The queue name without an instance ("name/instance"), as the server knows it.
    const QByteArray queue = printerName.section(u'/', 0, 0).toUtf8();
    const QByteArray resource = "/printers/" + queue;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());

    ipp_t *request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 title.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                 "application/pdf");
    if (!media.isEmpty())
        ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, "media", nullptr,
                     media.toUtf8().constData());

    // Consumes the request.
    ipp_t *response = cupsDoFileRequest(connection.http, request, resource.constData(),
                                        pdfPath.toLocal8Bit().constData());
    const bool timedOut = httpError(connection.http) == ETIMEDOUT;
    const ipp_status_t status = cupsLastError();
    const QString error = lastCupsError();
    ipp_attribute_t *jobId =
        response ? ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int job = jobId ? ippGetInteger(jobId, 0) : 0;
    ippDelete(response);

    if (timedOut)
        return printFailure(PrintError::JobUnconfirmed, error);
    if (status > IPP_STATUS_OK_CONFLICTING || job <= 0)
        return printFailure(PrintError::JobRefused, error);
    return job;
}

} // namespace tallaby::printing
