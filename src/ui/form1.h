#pragma once

// The main window, Form1: the whole worksheet on one fixed layout.
//
// - The layout is data (form1layout.h): every control by its name, container,
//   twip rectangle, tab index and caption. createUi() builds it; nothing is
//   created, moved or resized later.
// - The window is the worksheet's state. FormFields (formfields.h) is the
//   worksheet's field adapter over the window's controls, and Timer1_Timer
//   runs the widget-free recalculation (src/worksheet) through it twice a
//   second.
// - The summary box shows the one layout of the summary that the printer
//   also uses (src/printing); Form_Load starts looking for the printer in
//   the background, so a slow print server never delays the window.
// - Commands (Clear Values, Exit, the web link, printing, About) are wired up
//   by src/app through controls(); this class only builds and recalculates.

#include "printing/summaryprinting.h"
#include "ui/formfields.h"
#include "worksheet/recalculation.h"

#include <memory>
#include <QMainWindow>

class QAction;
class QPushButton;
class QTimer;

namespace tallaby::ui {

class ClickableLabel;
class PictureBox;

class Form1 final : public QMainWindow {
    Q_OBJECT

public:
    // The commands' controls. Their names are deliberate and stay; the
    // README's glossary explains each one.
    struct Controls {
        QPushButton *clearValues = nullptr;  // Command1: "Clear Values", every amount to "0"
        QPushButton *printSummary = nullptr; // Command2: "Print Summary"
        ClickableLabel *webLink = nullptr;   // Label12: "Click here to visit" the maker's site
        PictureBox *logo = nullptr;          // Picture1: the maker's logo, the first tab stop
        PictureBox *banner = nullptr;        // Picture2: the banner, a link like Label12
        QAction *print = nullptr;            // mnuPrint: File > Print, as Command2
        QAction *exit = nullptr;             // mnuexit: File > Exit, ends the run
        QAction *about = nullptr;            // mnuabout: About > About, shows frmSplash
        QTimer *timer = nullptr;             // Timer1: runs Timer1_Timer every 500 ms
    };

    // The tick's locale and clock and the way to the printer come from
    // outside, so tests can choose them.
    explicit Form1(worksheet::TickContext tick = {}, printing::PrinterAccess printer = {},
                   QWidget *parent = nullptr);
    ~Form1() override;

    const Worksheet &sheet() const { return m_sheet; }
    const Controls &controls() const { return m_controls; }
    worksheet::WorksheetFields &fields() { return *m_fields; }
    const worksheet::TickResult &lastTick() const { return m_lastTick; }
    printing::SummaryPrinter &summaryPrinter() { return *m_printing; }

    // Centres the window on its screen and shows it with the focus on the logo.
    void showCentred();

public slots:
    void Form_Load();    // once, before the window shows: start values, summary font
    void Timer1_Timer(); // the recalculation: repairs, totals, summary

protected:
    void changeEvent(QEvent *event) override;

private:
    void createUi();
    void createMenus();
    void createTimer();
    void applyColours();
    void setUpAccessibility();
    void setUpTabOrder();
    QFont fittingFont() const;

    QWidget *control(const QString &name) const;

    void markTickProblems();

    worksheet::TickContext m_tick;
    std::unique_ptr<printing::SummaryPrinter> m_printing;
    worksheet::TickResult m_lastTick;
    Worksheet m_sheet;
    std::unique_ptr<FormFields> m_fields; // over m_sheet
    Controls m_controls;
    QHash<QString, QWidget *> m_byName;
};

} // namespace tallaby::ui
