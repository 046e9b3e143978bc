#include "printing/spool.h"

#include <mutex>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <limits.h>
#include <unistd.h>
#endif

namespace tallaby::printing {

namespace {

#ifdef Q_OS_UNIX

// Spool paths a signal handler can remove with async-signal-safe calls alone.
struct Slot {
    std::atomic<bool> ready{false};
    char file[PATH_MAX];
    char dir[PATH_MAX];
};
std::array<Slot, 8> spoolSlots;
std::mutex slotsLock; // between threads; the handler only reads ready spoolSlots

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction previous[std::size(kSignals)];

void removeSpools(int signal) {
    for (Slot &slot : spoolSlots) {
        if (slot.ready.load()) {
            ::unlink(slot.file);
            ::rmdir(slot.dir);
        }
    }
    // Then whatever was to happen on this signal happens.
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        if (kSignals[i] == signal)
            ::sigaction(signal, &previous[i], nullptr);
    }
    ::raise(signal);
}

void installSignalCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            struct sigaction action = {};
            action.sa_handler = removeSpools;
            sigemptyset(&action.sa_mask);
            ::sigaction(kSignals[i], nullptr, &previous[i]);
            // A signal the process ignores stays ignored.
            if (previous[i].sa_handler != SIG_IGN)
                ::sigaction(kSignals[i], &action, nullptr);
        }
    });
}

bool copyPath(char (&to)[PATH_MAX], const QString &path) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= PATH_MAX)
        return false;
    std::memcpy(to, bytes.constData(), bytes.size() + 1);
    return true;
}

int claimSlot(const QString &dir, const QString &file) {
    const std::lock_guard lock(slotsLock);
    for (std::size_t i = 0; i < spoolSlots.size(); ++i) {
        Slot &slot = spoolSlots[i];
        if (slot.ready.load())
            continue;
        if (!copyPath(slot.file, file) || !copyPath(slot.dir, dir))
            return -1;
        slot.ready.store(true);
        return int(i);
    }
    return -1;
}

void releaseSlot(int slot) {
    const std::lock_guard lock(slotsLock);
    spoolSlots[slot].ready.store(false);
}
#else
// Elsewhere the platform ends a process without signals to catch.
void installSignalCleanup() {}
int claimSlot(const QString &, const QString &) {
    return -1;
}
void releaseSlot(int) {}
#endif

// TMPDIR may name a directory that is not there; then /tmp.
QString temporaryBase() {
    const QFileInfo temp(QDir::tempPath());
    if (temp.isDir() && temp.isWritable())
        return temp.absoluteFilePath();
    return QStringLiteral("/tmp");
}

PrintFailure noRoom(const QString &where) {
    return printFailure(PrintError::NoSpoolRoom, QDir::toNativeSeparators(where));
}

} // namespace

PrintResult<std::unique_ptr<SpoolDir>> SpoolDir::create(const QString &fileName) {
    installSignalCleanup();
    const QString base = temporaryBase();
    QTemporaryDir made(base + QStringLiteral("/tallaby-XXXXXX"));
    if (!made.isValid())
        return noRoom(base);
    made.setAutoRemove(false);
    const QString dir = made.path();
    const QString file = dir + QLatin1Char('/') + fileName;
    return std::unique_ptr<SpoolDir>(new SpoolDir(dir, file, claimSlot(dir, file)));
}

SpoolDir::SpoolDir(QString path, QString file, int slot)
    : m_path(std::move(path))
    , m_file(std::move(file))
    , m_slot(slot) {}

SpoolDir::~SpoolDir() {
    QFile::remove(m_file);
    QDir().rmdir(m_path);
    if (m_slot >= 0)
        releaseSlot(m_slot);
}

PrintStatus checkSpooledPdf(const QString &path) {
    // A PDF ends with its trailer; the writes of a file cut short by a full disk
    // failed before it, and the PDF engine does not say so.
    QFile file(path);
    constexpr qint64 kTail = 32;
    if (!file.open(QIODevice::ReadOnly) || file.size() < kTail || !file.seek(file.size() - kTail) ||
        !file.read(kTail).trimmed().endsWith("%%EOF"))
        return noRoom(QFileInfo(QFileInfo(path).absolutePath()).absolutePath());
    return printOk();
}

} // namespace tallaby::printing
