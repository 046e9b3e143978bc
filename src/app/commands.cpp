#include "app/commands.h"

#include "identity.h"
#include "ui/clickablelabel.h"
#include "ui/form1.h"
#include "ui/frmsplash.h"
#include "ui/picturebox.h"
#include "worksheet/fields.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace tallaby::app {

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
    // A summary behind the worksheet would put stale figures on paper.
    const auto current = [form = QPointer<ui::Form1>(&m_form)]() -> PrintStatus {
        const QString why = form ? form->whySummaryIsNotCurrent() : QString();
        if (why.isEmpty())
            return printing::printOk();
        return printing::printFailure(printing::PrintError::NotCurrent, why);
    };
    printing::SummaryPrinter &printer = m_form.summaryPrinter();
    if (printer.isPrinting())
        return reportPrint(printing::printFailure(printing::PrintError::Busy));
    if (const PrintStatus ready = current(); !ready)
        return reportPrint(ready);

    // The window stays usable; the pointer says a summary is on its way.
    m_form.setCursor(Qt::BusyCursor);
    printer.print(
        [self = QPointer<Form1Commands>(this)](const PrintStatus &printed) {
            if (!self)
                return;
            self->m_form.unsetCursor();
            self->reportPrint(printed);
        },
        current);
}

void Form1Commands::reportPrint(const printing::PrintStatus &printed) {
    if (printed)
        return;
    const QString title = tr("Print Summary");
    const QString message = printed.failure().message();
    if (m_tellUser)
        return m_tellUser(title, message);
    // What the print system says is shown as it was said, never as markup.
    auto *box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, &m_form);
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
