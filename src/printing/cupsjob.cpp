#include "printing/cupsjob.h"

#include <atomic>
#include <cerrno>
#include <cups/cups.h>
#include <sys/socket.h>

namespace tallaby::printing {

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kPollSeconds = 0.1;

QString lastCupsError() {
    return QString::fromLocal8Bit(cupsLastErrorString());
}

// A connection of our own that gives up on a stop request or after the wait:
// the library's shared connection waits minutes for a stopped server.
class Connection {
public:
    Connection(std::chrono::milliseconds timeout, std::stop_token stop)
        : m_stop(std::move(stop))
        , m_timeout(timeout)
        , m_cancelOnStop(m_stop, [this] { m_cancel = 1; }) {
        m_http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              static_cast<int>(timeout.count()), &m_cancel);
        if (m_http)
            httpSetTimeout(m_http, kPollSeconds, &Connection::keepWaiting, this);
    }
    ~Connection() {
        if (m_http)
            httpClose(m_http);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    http_t *http() const { return m_http; }
    // Each exchange gets the whole wait.
    void startExchange() { m_deadline = Clock::now() + m_timeout; }
    bool gaveUp() const { return m_gaveUp || (m_http && httpError(m_http) == ETIMEDOUT); }

private:
    static int keepWaiting(http_t *, void *data) {
        auto *self = static_cast<Connection *>(data);
        if (!self->m_stop.stop_requested() && Clock::now() < self->m_deadline)
            return 1;
        self->m_gaveUp = true;
        return 0;
    }

    std::stop_token m_stop;
    std::chrono::milliseconds m_timeout;
    int m_cancel = 0;
    std::stop_callback<std::function<void()>> m_cancelOnStop;
    http_t *m_http = nullptr;
    Clock::time_point m_deadline = Clock::now();
    bool m_gaveUp = false;
};

QByteArray printerUri(const QByteArray &queue) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());
    return uri;
}

bool queuePaused(Connection &connection, const QByteArray &queue) {
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(queue).constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-state");
    connection.startExchange();
    ipp_t *response = cupsDoRequest(connection.http(), request, "/");
    ipp_attribute_t *state =
        response ? ippFindAttribute(response, "printer-state", IPP_TAG_ENUM) : nullptr;
    const bool paused = state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED;
    ippDelete(response);
    return paused;
}

} // namespace

PrintResult<int> countPrinters(std::chrono::milliseconds timeout, std::stop_token stop) {
    Connection connection(timeout, std::move(stop));
    if (!connection.http())
        return printFailure(PrintError::ServerNotAnswering, lastCupsError());
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    connection.startExchange();
    ipp_t *response = cupsDoRequest(connection.http(), request, "/");
    const ipp_status_t status = cupsLastError();
    int printers = 0;
    for (ipp_attribute_t *a = response ? ippFindAttribute(response, "printer-name", IPP_TAG_NAME)
                                       : nullptr;
         a; a = ippFindNextAttribute(response, "printer-name", IPP_TAG_NAME))
        ++printers;
    ippDelete(response);
    if (connection.gaveUp() || (!response && status != IPP_STATUS_ERROR_NOT_FOUND))
        return printFailure(PrintError::ServerNotAnswering, lastCupsError());
    return printers;
}

PrintStatus submitPdfJob(const QString &printerName, const QString &pdfPath, const QString &title,
                         const QString &media, std::chrono::milliseconds timeout,
                         std::stop_token stop) {
    Connection connection(timeout, std::move(stop));
    if (!connection.http())
        return printFailure(PrintError::ServerNotAnswering, lastCupsError());

    // The queue name without an instance ("name/instance"), as the server knows it.
    const QByteArray queue = printerName.section(u'/', 0, 0).toUtf8();
    const QByteArray resource = "/printers/" + queue;

    ipp_t *request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(queue).constData());
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
    connection.startExchange();
    ipp_t *response = cupsDoFileRequest(connection.http(), request, resource.constData(),
                                        pdfPath.toLocal8Bit().constData());
    const bool gaveUp = connection.gaveUp();
    const ipp_status_t status = cupsLastError();
    const QString error = lastCupsError();
    ipp_attribute_t *jobId =
        response ? ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int job = jobId ? ippGetInteger(jobId, 0) : 0;
    ippDelete(response);

    if (gaveUp)
        return printFailure(PrintError::JobUnconfirmed, error);
    if (status > IPP_STATUS_OK_CONFLICTING || job <= 0)
        return printFailure(PrintError::JobRefused, error);
    if (queuePaused(connection, queue))
        return printFailure(PrintError::QueuePaused);
    return printOk();
}

} // namespace tallaby::printing
