#pragma once

#include "printing/printresult.h"

#include <functional>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QProgressDialog;

namespace tallaby::ui {
class Form1;
class frmSplash;
} // namespace tallaby::ui

namespace tallaby::app {

// Opens a web address in the user's browser; failures are silent.
using UrlOpener = std::function<void(const QUrl &)>;
UrlOpener systemUrlOpener();

// Tells the user why a command did not do what they asked.
using Notifier = std::function<void(const QString &title, const QString &message)>;

// The main window's commands, wired to its controls.
class Form1Commands final : public QObject {
    Q_OBJECT

public:
    // Without a notifier, failures are shown in a message box over the form.
    explicit Form1Commands(ui::Form1 &form, UrlOpener openUrl = systemUrlOpener(),
                           Notifier tellUser = {});
    ~Form1Commands() override;

    // The About window while it is open; null once it has been closed.
    ui::frmSplash *aboutWindow() const;

public slots:
    // Each is named after its control and event (see the README's glossary).
    void Command1_Click(); // Clear Values: every amount back to "0"
    void Command2_Click(); // Print Summary
    void mnuPrint_Click(); // File > Print, as Print Summary
    void mnuexit_Click();  // File > Exit: closes every window and ends the run
    void mnuabout_Click(); // About > About: shows the one About window
    void Label12_Click();  // the web link: opens the maker's site
    void Picture2_Click(); // the banner: as the web link

private:
    void printSummary();
    void showProgress(int drawn, int total);
    void confirmLargePrint(int pages, std::function<void(bool)> answer);
    void reportPrint(const printing::PrintResult<printing::Done> &printed);

    ui::Form1 &m_form;

    UrlOpener m_openUrl;
    Notifier m_tellUser;
    QPointer<ui::frmSplash> m_about;
    QPointer<QProgressDialog> m_progress; // while a long print is drawn
};

} // namespace tallaby::app
