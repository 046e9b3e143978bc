#include "app/commands.h"

#include "identity.h"
#include "ui/clickablelabel.h"
#include "ui/form1.h"
#include "ui/frmsplash.h"
#include "ui/marking.h"
#include "ui/picturebox.h"
#include "worksheet/fields.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace tallaby::app {

namespace {
// The title of every window a print command opens: the command's own caption.
const QString kPrintTitle = QStringLiteral("Print Summary");
} // namespace

UrlOpener systemUrlOpener() {
    // Nothing to tell the user when no browser answers: the window stays as it was.
    return [](const QUrl &url) {
        QDesktopServices::openUrl(url);
    };
}

Form1Commands::Form1Commands(ui::Form1 &form, UrlOpener openUrl, Notifier tellUser)
    : QObject(&form)
    , m_form(form)
    , m_openUrl(std::move(openUrl))
    , m_tellUser(std::move(tellUser)) {
    const ui::Form1::Controls &c = form.controls();
    connect(c.clearValues, &QPushButton::clicked, this, &Form1Commands::Command1_Click);
    connect(c.printSummary, &QPushButton::clicked, this, &Form1Commands::Command2_Click);
    connect(c.print, &QAction::triggered, this, &Form1Commands::mnuPrint_Click);
    connect(c.exit, &QAction::triggered, this, &Form1Commands::mnuexit_Click);
    connect(c.about, &QAction::triggered, this, &Form1Commands::mnuabout_Click);
    connect(c.webLink, &ui::ClickableLabel::clicked, this, &Form1Commands::Label12_Click);
    connect(c.banner, &ui::PictureBox::clicked, this, &Form1Commands::Picture2_Click);
}

Form1Commands::~Form1Commands() {
    // The About window has no owner; don't leave it behind when the run ends.
    delete m_about.data();
}

ui::frmSplash *Form1Commands::aboutWindow() const {
    return m_about && m_about->isVisible() ? m_about.data() : nullptr;
}

void Form1Commands::Command1_Click() {
    worksheet::clearAmounts(m_form.fields());
}

void Form1Commands::Command2_Click() {
    printSummary();
}

void Form1Commands::mnuPrint_Click() {
    printSummary();
}

void Form1Commands::printSummary() {
    using printing::PrintStatus;
    const QPointer<Form1Commands> self(this); // the printer may outlive the commands
    printing::PrintRequest request;
    // The paper carries what the fields hold now: the tick first, with its
    // repairs, and a summary still behind after it is refused. The form owns
    // the printer, so it is there whenever this is asked.
    request.freshen = [form = &m_form]() -> PrintStatus {
        form->Timer1_Timer();
        const QString why = ui::whySummaryIsNotCurrent(form->lastTick());
        if (why.isEmpty())
            return printing::printOk();
        return printing::printFailure(printing::PrintError::NotCurrent, why);
    };
    request.done = [self](const PrintStatus &printed) {
        if (!self)
            return;
        // Maybe from its own Cancel button: it goes once that is done.
        if (self->m_progress) {
            self->m_progress->deleteLater();
            self->m_progress = nullptr;
        }
        self->m_form.unsetCursor();
        self->reportPrint(printed);
    };
    request.progress = [self](int drawn, int total) {
        if (self)
            self->showProgress(drawn, total);
    };
    request.confirmLarge = [self](int pages, std::function<void(bool)> answer) {
        if (self)
            self->confirmLargePrint(pages, std::move(answer));
    };
    if (const PrintStatus started = m_form.summaryPrinter().print(std::move(request)); !started)
        return reportPrint(started);
    // The window stays usable; the pointer says a summary is on its way.
    m_form.setCursor(Qt::BusyCursor);
}

void Form1Commands::showProgress(int drawn, int total) {
    if (!m_progress) {
        // Shown only once the drawing has taken longer than a moment.
        m_progress = new QProgressDialog(QStringLiteral("Drawing the pages of the summary..."),
                                         QStringLiteral("Cancel"), 0, total, &m_form);
        m_progress->setWindowTitle(kPrintTitle);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(500);
        connect(m_progress, &QProgressDialog::canceled, &m_form.summaryPrinter(),
                &printing::SummaryPrinter::cancel);
    }
    m_progress->setLabelText(
        QStringLiteral("Drawing page %L1 of %L2 of the summary...").arg(drawn).arg(total));
    m_progress->setValue(drawn);
}

void Form1Commands::confirmLargePrint(int pages, std::function<void(bool)> answer) {
    auto *box = new QMessageBox(
        QMessageBox::Question, kPrintTitle,
        QStringLiteral("The summary will take %L1 pages. Print all of them?").arg(pages),
        QMessageBox::NoButton, &m_form);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *print =
        box->addButton(QStringLiteral("Print %L1 Pages").arg(pages), QMessageBox::AcceptRole);
    box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Cancel);
    connect(box, &QMessageBox::finished, this,
            [box, print, answer] { answer(box->clickedButton() == print); });
    box->open();
}

namespace {

// A run of text with nowhere to break it (a long printer name, a path) gets
// invisible break points, so the message box wraps it instead of cutting it off.
QString breakableRuns(const QString &text) {
    constexpr int kLongestRun = 30;
    QString out;
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestRun) {
            out += QChar(0x200B); // zero-width space
            run = 1;
        }
        out += c;
    }
    return out;
}

} // namespace

void Form1Commands::reportPrint(const printing::PrintStatus &printed) {
    if (printed || printed.failure().error == printing::PrintError::Cancelled)
        return;
    const QString message = printed.failure().message();
    if (m_tellUser)
        return m_tellUser(kPrintTitle, message);
    // What the print system says is shown as it was said, never as markup.
    auto *box = new QMessageBox(QMessageBox::Warning, kPrintTitle, breakableRuns(message),
                                QMessageBox::Ok, &m_form);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Form1Commands::mnuexit_Click() {
    QApplication::closeAllWindows();
    QApplication::exit(0);
}

void Form1Commands::mnuabout_Click() {
    // A closed About window is already on its way out: start afresh.
    if (!aboutWindow())
        m_about = new ui::frmSplash();
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1Commands::Label12_Click() {
    if (m_openUrl)
        m_openUrl(QUrl(QString::fromLatin1(kMakerAddress)));
}

void Form1Commands::Picture2_Click() {
    Label12_Click();
}

} // namespace tallaby::app
