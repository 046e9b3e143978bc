#pragma once

#include "printing/printresult.h"

#include <memory>
#include <QString>

namespace tallaby::printing {

// A private directory for one spooled document, under the temporary directory
// when that exists, else /tmp. It goes, with what is in it, when the object
// does, and also when the process is ended by SIGTERM, SIGINT or SIGHUP.
class SpoolDir {
public:
    static PrintResult<std::unique_ptr<SpoolDir>> create(const QString &fileName);
    ~SpoolDir();
    SpoolDir(const SpoolDir &) = delete;
    SpoolDir &operator=(const SpoolDir &) = delete;

    const QString &path() const { return m_path; }
    // The one file it holds.
    const QString &filePath() const { return m_file; }

private:
    SpoolDir(QString path, QString file, int slot);

    QString m_path;
    QString m_file;
    int m_slot;
};

// Whether the PDF at `path` was written whole, to its trailer; NoSpoolRoom if not.
PrintStatus checkSpooledPdf(const QString &path);

} // namespace tallaby::printing
