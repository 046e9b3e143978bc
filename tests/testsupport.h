#pragma once

#include "app/commands.h"
#include "printing/summaryprinting.h"
#include "ui/form1.h"

#include <functional>
#include <QDate>
#include <QLocale>
#include <QTimer>
#include <QUrl>

// A machine without a printer, so window tests never reach the print server.
inline tallaby::printing::PrinterAccess noPrinter() {
    return {[](std::stop_token) -> tallaby::printing::PrinterOpening {
        return tallaby::printing::printFailure(tallaby::printing::PrintError::NoPrinter);
    }};
}

// How a suite wants the main window: its printer and day, whether what the user
// is told shows in message boxes as in the program (else it is only listed in
// `failures`), and whether its own timer ticks (else the suite ticks by hand).
struct WindowSetUp {
    tallaby::printing::PrinterAccess printer = noPrinter();
    std::function<QDate()> today = [] {
        return QDate::currentDate();
    };
    bool messageBoxes = false;
    bool timerRuns = false;
};

// The main window as the program makes it, with its commands, in British number
// conventions: the one window fixture of every window suite.
struct TestWindow {
    explicit TestWindow(WindowSetUp setUp = {})
        : form({tallaby::worksheet::NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom)),
                setUp.today},
               setUp.printer)
        , commands(
              form, [this](const QUrl &url) { opened << url; },
              setUp.messageBoxes
                  ? tallaby::app::Notifier()
                  : [this](const QString &, const QString &message) { failures << message; }) {
        if (!setUp.timerRuns)
            form.controls().timer->stop();
    }

    tallaby::ui::Form1 form;
    QStringList failures; // what the user was told, without message boxes
    QList<QUrl> opened;   // web addresses asked for
    tallaby::app::Form1Commands commands;
};
