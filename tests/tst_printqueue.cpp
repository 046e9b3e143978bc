// Printing through a real print queue: a private print server (started by the
// printqueue_start fixture, see printing/printqueue.sh) whose PDF queues write
// each job to a file, read back with pdfinfo and pdftotext.

#include "pagetext.h"
#include "printing/module1.h"
#include "printing/summaryprinting.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"

#include <cmath>
#include <optional>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

using namespace std::chrono_literals;
using namespace tallaby::printing;
using namespace tallaby::printing::testing;
using namespace tallaby::worksheet;

namespace {

const QString kLetter = QStringLiteral("TallabyLetter");
const QString kA4 = QStringLiteral("TallabyA4");

QStringList withoutBlanks(const QStringList &lines) {
    static const QRegularExpression blanks("\\s+");
    QStringList result;
    for (QString line : lines)
        if (!line.remove(blanks).isEmpty())
            result.append(line);
    return result;
}

struct Word {
    int page;
    QRectF box; // points, from the page's top-left
};

struct PrintedPdf {
    QString path;
    int pages = 0;
    QSizeF pageSize; // points
    QString text;    // pdftotext's, pages separated by form feeds
    std::vector<Word> words;

    // The printed lines without their blanks, empty ones left out: text
    // extraction guesses blanks from the gaps between letters, not always right.
    QStringList lines() const { return withoutBlanks(text.split(QRegularExpression("[\n\f]"))); }
};

// The summary a tick writes for a worksheet with these incomes and notes.
QString composedSummary(const QString &notes) {
    MemoryFields fields;
    applyStartValues(fields);
    fields.setText(Field::Inc1, "1,850.50");
    fields.setText(Field::Inc2, "920");
    fields.setText(Field::C1, "650");
    fields.setText(expenseAmount(17), "120.25");
    fields.setText(Field::RichTextBox2, notes);
    const TickResult tick =
        recalculate(fields, {NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom)), [] {
                                 return QDate(2026, 12, 6);
                             }});
    if (!tick.complete)
        qFatal("the worksheet did not recalculate");
    return fields.text(Field::RichTextBox1);
}

// Where each printed line starts in `text`, reading on, matched without blanks;
// -1 from the first line that is not next.
QList<qint32> locateIgnoringBlanks(const QString &text, const QStringList &lines) {
    QString bare;
    QList<qint32> original;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isSpace()) {
            bare.append(text.at(i));
            original.append(static_cast<qint32>(i));
        }
    }
    QList<qint32> starts;
    qsizetype cursor = 0;
    for (const QString &line : lines) {
        if (!bare.mid(cursor).startsWith(line)) {
            starts.append(-1);
            break;
        }
        starts.append(original[cursor]);
        cursor += line.size();
    }
    return starts;
}

QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120'000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

std::optional<PrintedPdf> readPdf(const QString &path) {
    PrintedPdf pdf;
    pdf.path = path;
    int exitCode = -1;
    const QString info = run("pdfinfo", {path}, &exitCode);
    if (exitCode != 0)
        return std::nullopt;
    pdf.pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts").match(info);
    pdf.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    // -layout keeps each printed line whole; without it the blanks before a
    // colon split a line in two.
    pdf.text = run("pdftotext", {"-layout", path, "-"});

    static const QRegularExpression page("<page "),
        word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
             "yMax=\"([\\d.]+)\">");
    int pageNumber = 0;
    for (const QString &chunk : run("pdftotext", {"-bbox", path, "-"}).split(page)) {
        for (auto m = word.globalMatch(chunk); m.hasNext();) {
            const auto w = m.next();
            pdf.words.push_back(
                {pageNumber, QRectF(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                                    QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()))});
        }
        ++pageNumber;
    }
    return pdf;
}

QStringList summaryLines(const QString &summary) {
    return withoutBlanks(summary.split(u'\r'));
}

} // namespace

class PrintQueueTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void printsEverySummaryLineOnTheQueuesPaper_data();
    void printsEverySummaryLineOnTheQueuesPaper();
    void anUnchangedSummaryPrintsTheSamePagesTwice();
    void paperBreaksLinesWhereTheScreenDoes();
    void twoThousandNoteLinesFillTheRightNumberOfPages();
    void aQueueThatRefusesTheJobIsReported();
    void aStoppedPrintServerBlocksNeitherStartUpNorPrinting();
    void aServerThatStopsBeforeTheDocumentIsSentIsGivenUpOn();
    void cleanupTestCase();

private:
    bool queueCommand(const QStringList &arguments);
    // Lays the summary out as start-up does, on the current default queue.
    bool setUp(SummaryLayout &layout, const QString &text);
    QStringList outputFiles(const QString &queue) const;
    std::optional<PrintedPdf> waitForNewPdf(const QString &queue, const QStringList &before);
    std::optional<PrintedPdf> print(SummaryLayout &layout, const QString &queue);

    QString m_state;
    QString m_script;
    QTemporaryDir m_home;
};

void PrintQueueTest::initTestCase() {
    m_state = qEnvironmentVariable("TALLABY_PRINT_QUEUE");
    m_script = qEnvironmentVariable("TALLABY_PRINT_QUEUE_SCRIPT");
    QVERIFY2(!m_state.isEmpty() && !m_script.isEmpty(),
             "run through ctest, whose printqueue_start fixture starts the print server");
    QFile server(m_state + "/server");
    QVERIFY2(server.open(QIODevice::ReadOnly), "the private print server is not running");
    for (const char *tool : {"pdfinfo", "pdftotext", "lpstat"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);

    // Only the private server, and no per-user default printer.
    qputenv("CUPS_SERVER", server.readAll().trimmed());
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
}

void PrintQueueTest::init() {
    QVERIFY(queueCommand({"default", kLetter}));
}

void PrintQueueTest::cleanupTestCase() {
    queueCommand({"resume"});
    queueCommand({"accept", kLetter});
    queueCommand({"default", kLetter});
}

bool PrintQueueTest::queueCommand(const QStringList &arguments) {
    int exitCode = -1;
    run("bash", QStringList{m_script, m_state} + arguments, &exitCode);
    return exitCode == 0;
}

bool PrintQueueTest::setUp(SummaryLayout &layout, const QString &text) {
    layout.setText(text);
    std::optional<PrintResult<qint32>> done;
    startSummaryPrintLayout(layout, [&](const PrintResult<qint32> &r) { done.emplace(r); });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 60'000)
        QTest::qWait(10);
    if (!done || !*done) {
        qWarning() << "start-up set-up failed:"
                   << (done ? done->failure().message() : QStringLiteral("no answer"));
        return false;
    }
    return true;
}

QStringList PrintQueueTest::outputFiles(const QString &queue) const {
    return QDir(m_state + "/out/" + queue).entryList({"*.pdf"}, QDir::Files, QDir::Name);
}

std::optional<PrintedPdf> PrintQueueTest::waitForNewPdf(const QString &queue,
                                                        const QStringList &before) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 120'000) {
        QStringList added = outputFiles(queue);
        for (const QString &old : before)
            added.removeAll(old);
        if (added.size() > 1)
            return std::nullopt;
        // A job's file is complete once the queue has nothing left to do.
        if (added.size() == 1 && run("lpstat", {"-o", queue}).trimmed().isEmpty())
            return readPdf(m_state + "/out/" + queue + "/" + added.front());
        QTest::qWait(100);
    }
    return std::nullopt;
}

std::optional<PrintedPdf> PrintQueueTest::print(SummaryLayout &layout, const QString &queue) {
    const QStringList before = outputFiles(queue);
    const PrintStatus printed = printSummary(layout);
    if (!printed) {
        qWarning() << "print failed:" << printed.failure().message();
        return std::nullopt;
    }
    return waitForNewPdf(queue, before);
}

void PrintQueueTest::printsEverySummaryLineOnTheQueuesPaper_data() {
    QTest::addColumn<QString>("queue");
    QTest::addColumn<QSizeF>("paper");

    QTest::newRow("a Letter queue prints on Letter") << kLetter << QSizeF(612, 792);
    QTest::newRow("an A4 queue prints on A4") << kA4 << QSizeF(595, 842);
}

void PrintQueueTest::printsEverySummaryLineOnTheQueuesPaper() {
    QFETCH(QString, queue);
    QFETCH(QSizeF, paper);
    QVERIFY(queueCommand({"default", queue}));

    const QString summary = composedSummary("Rent rises in March\rBoiler service due");
    SummaryLayout layout;
    QVERIFY(setUp(layout, summary));
    QVERIFY(std::abs(layout.lineWidth() - (paper.width() - 144) * 20) <= 20);

    const auto pdf = print(layout, queue);
    QVERIFY(pdf);
    QCOMPARE(pdf->pages, 1);
    QCOMPARE(pdf->pageSize, paper);
    // Every line once, in order, with the worksheet's figures.
    QCOMPARE(pdf->lines(), summaryLines(summary));
    for (const char *figure : {"1,850.50", "920", "2770.5", "770.25", "2000.25"})
        QVERIFY2(pdf->text.contains(figure), figure);

    // One-inch margins: the text starts at them and stays within them.
    QRectF inked;
    for (const Word &word : pdf->words)
        inked = inked.united(word.box);
    QVERIFY2(inked.left() >= 72 - 0.5 && inked.left() < 72 + 1,
             qPrintable(QString::number(inked.left())));
    QVERIFY2(inked.top() >= 72 - 0.5 && inked.top() < 72 + 6,
             qPrintable(QString::number(inked.top())));
    QVERIFY(inked.right() <= paper.width() - 72 + 0.5);
    QVERIFY(inked.bottom() <= paper.height() - 72 + 0.5);
}

void PrintQueueTest::anUnchangedSummaryPrintsTheSamePagesTwice() {
    SummaryLayout layout;
    QVERIFY(setUp(layout, composedSummary(QStringLiteral("Save for the holiday ").repeated(400))));

    const auto first = print(layout, kLetter);
    const auto second = print(layout, kLetter);
    QVERIFY(first && second);
    QVERIFY(first->pages > 1);
    QCOMPARE(second->pages, first->pages);
    QCOMPARE(second->text, first->text);
    QCOMPARE(second->words.size(), first->words.size());
    for (std::size_t i = 0; i < first->words.size(); ++i) {
        QCOMPARE(second->words[i].page, first->words[i].page);
        QCOMPARE(second->words[i].box, first->words[i].box);
    }
}

void PrintQueueTest::paperBreaksLinesWhereTheScreenDoes() {
    // One long paragraph of notes, wrapped over several pages.
    QStringList words;
    for (int i = 0; i < 1800; ++i)
        words.append(QStringList{"groceries", "for", "the", "week", "(about", "85.40)", "and",
                                 "council", "tax", "instalment", "due"}[i % 11] +
                     (i % 13 == 0 ? QString::number(i) : QString()));
    const QString notes = words.join(u' ');
    const QString summary = composedSummary(notes);
    SummaryLayout layout;
    QVERIFY(setUp(layout, summary));

    const auto pdf = print(layout, kLetter);
    QVERIFY(pdf);
    QVERIFY(pdf->pages > 1);

    // The printed lines of the notes, located in the text, against the lines the
    // screen shows (the layout's line starts within the notes).
    const qint32 notesStart = static_cast<qint32>(summary.size() - notes.size());
    QStringList printedNotes = pdf->lines();
    printedNotes = printedNotes.mid(printedNotes.indexOf("NOTES:") + 1);
    QList<qint32> onPaper;
    for (qint32 start : locateIgnoringBlanks(notes, printedNotes))
        onPaper.append(start < 0 ? -1 : notesStart + start);
    QList<qint32> onScreen;
    for (qint32 start : visibleLineStarts(layout))
        if (start >= notesStart)
            onScreen.append(start);
    QVERIFY(onScreen.size() > 50);
    QCOMPARE(onPaper, onScreen);
}

void PrintQueueTest::twoThousandNoteLinesFillTheRightNumberOfPages() {
    QStringList notes;
    for (int i = 1; i <= 2000; ++i)
        notes.append(
            QStringLiteral("Note %1: 12.50 to the savings jar").arg(i, 4, 10, QChar(u'0')));
    const QString summary = composedSummary(notes.join(u'\r'));
    SummaryLayout layout;
    QVERIFY(setUp(layout, summary));

    // One line of Arial 10 pt as a 1200-dpi printer sets it, and how many fit
    // between the top and bottom margins of a Letter page.
    QImage printerMetrics(1, 1, QImage::Format_ARGB32);
    printerMetrics.setDotsPerMeterX(qRound(1200 / 0.0254));
    printerMetrics.setDotsPerMeterY(qRound(1200 / 0.0254));
    QTextLayout probe("Note", QFont("Arial", 10), &printerMetrics);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLeadingIncluded(true);
    probe.endLayout();
    const int linesPerPage = static_cast<int>(std::floor((11 - 2) * 1200 / line.height()));
    const int lines = static_cast<int>(summary.count(u'\r')) + 1;
    const int expectedPages = (lines + linesPerPage - 1) / linesPerPage;

    const auto pdf = print(layout, kLetter);
    QVERIFY(pdf);
    QCOMPARE(pdf->pages, expectedPages);
    QCOMPARE(pdf->lines(), summaryLines(summary));
    QVERIFY(pdf->text.trimmed().endsWith(notes.last()));
}

void PrintQueueTest::aQueueThatRefusesTheJobIsReported() {
    SummaryLayout layout;
    QVERIFY(setUp(layout, composedSummary("Pay the window cleaner")));
    const QStringList before = outputFiles(kLetter);

    QVERIFY(queueCommand({"reject", kLetter}));
    auto accept = qScopeGuard([&] { queueCommand({"accept", kLetter}); });
    const PrintStatus printed = printSummary(layout);
    QVERIFY(!printed);
    QCOMPARE(printed.failure().error, PrintError::JobRefused);
    QVERIFY2(printed.failure().message().contains("not accepting"),
             qPrintable(printed.failure().message()));
    QTest::qWait(500);
    QCOMPARE(outputFiles(kLetter), before);
}

void PrintQueueTest::aStoppedPrintServerBlocksNeitherStartUpNorPrinting() {
    SummaryLayout layout;
    layout.setText(composedSummary("Cancel the magazine"));
    const QStringList before = outputFiles(kLetter);

    QVERIFY(queueCommand({"pause"}));
    auto resume = qScopeGuard([&] { queueCommand({"resume"}); });

    // Start-up returns with the layout still on the screen's width ...
    std::optional<PrintResult<qint32>> done;
    startSummaryPrintLayout(layout, [&](const PrintResult<qint32> &r) { done.emplace(r); });
    QVERIFY(!layout.hasTargetDevice());

    // ... and a print command gives up after its wait, saying why.
    PrinterAccess impatient;
    impatient.wait = 1500ms;
    const PrintStatus printed = printSummary(layout, impatient);
    QVERIFY(!printed);
    QCOMPARE(printed.failure().error, PrintError::ServerNotAnswering);
    QVERIFY(!done);

    // Once the server answers, the set-up completes and printing works again.
    QVERIFY(queueCommand({"resume"}));
    resume.dismiss();
    QTRY_VERIFY_WITH_TIMEOUT(done.has_value(), 150'000);
    QVERIFY2(*done, qPrintable(*done ? QString() : done->failure().message()));
    QVERIFY(layout.hasTargetDevice());
    const auto pdf = print(layout, kLetter);
    QVERIFY(pdf);
    QCOMPARE(pdf->lines(), summaryLines(layout.text()));
    QCOMPARE(outputFiles(kLetter).size(), before.size() + 1);
}

void PrintQueueTest::aServerThatStopsBeforeTheDocumentIsSentIsGivenUpOn() {
    SummaryLayout layout;
    QVERIFY(setUp(layout, composedSummary("Renew the bus pass")));
    auto printer = openDefaultPrinter(1500ms);
    QVERIFY(printer);

    QVERIFY(queueCommand({"pause"}));
    auto resume = qScopeGuard([&] { queueCommand({"resume"}); });
    const PrintStatus printed =
        Module1::PrintSummaryPages(layout, **printer, kOneInch, kOneInch, kOneInch, kOneInch);
    QVERIFY(!printed);
    QCOMPARE(printed.failure().error, PrintError::JobUnconfirmed);

    // Leave the queue idle for what follows, whether or not the job comes out.
    QVERIFY(queueCommand({"resume"}));
    resume.dismiss();
    QTRY_VERIFY_WITH_TIMEOUT(run("lpstat", {"-o"}).trimmed().isEmpty(), 60'000);
}

QTEST_MAIN(PrintQueueTest)
#include "tst_printqueue.moc"
