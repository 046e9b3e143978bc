#pragma once

// The main window, Form1: the whole worksheet on one fixed layout.
//
// - The layout is data (form1layout.h): every control by its name, container,
//   twip rectangle, tab index and caption. createUi() builds it; nothing is
//   created, moved or resized later.
// - The window is the worksheet's state. Form1 implements the worksheet's
//   field-access interface over its real controls, and Timer1_Timer runs the
//   widget-free recalculation (src/worksheet) over it twice a second.
// - The summary box shows the one layout of the summary that the printer
//   also uses (src/printing); Form_Load starts looking for the printer in
//   the background, so a slow print server never delays the window.
// - Commands (Clear Values, Exit, the web link, printing, About) are wired up
//   by src/app through controls(); this class only builds and recalculates.

#include "printing/summaryprinting.h"
#include "worksheet/fields.h"
#include "worksheet/recalculation.h"

#include <array>
#include <memory>
#include <optional>
#include <QMainWindow>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tallaby::ui {

class AmountEdit;
class ClickableLabel;
class PictureBox;
class SummaryBox;

class Form1 final : public QMainWindow, private worksheet::WorksheetFields {
    Q_OBJECT

public:
    // The controls' names are deliberate and stay; the README's glossary
    // explains each one.
    struct Worksheet {
        // inc1 to inc3: your, your partner's and other net income.
        std::array<AmountEdit *, worksheet::kIncomeCount> incomes{};
        // c1 to c28: the amount of expense row 1 to 28.
        std::array<AmountEdit *, worksheet::kExpenseRowCount> expenses{};
        // Combo1 to Combo28: each row's category, for the eye only.
        std::array<QComboBox *, worksheet::kExpenseRowCount> categories{};
        QRadioButton *wee = nullptr; // the weekly basis, "Weekly"
        QRadioButton *mon = nullptr; // the monthly basis, "Monthly"
        // Total income in the income frame; free cash is worked from the figure it shows.
        QLabel *total1 = nullptr;
        QLabel *week = nullptr;          // the period word after "per": "week" or "month"
        QLabel *totex = nullptr;         // total expenditure, "Total Expendature :"
        QLineEdit *tottake = nullptr;    // total income again, in the totals frame
        QLineEdit *free = nullptr;       // free cash: total1 less totex, "Income - Expendature :"
        SummaryBox *summary = nullptr;   // RichTextBox1: the summary, laid out as it prints
        QPlainTextEdit *notes = nullptr; // RichTextBox2: the notes, copied into the summary
    };
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
    worksheet::WorksheetFields &fields() { return *this; }
    const worksheet::TickResult &lastTick() const { return m_lastTick; }
    printing::SummaryPrinter &summaryPrinter() { return *m_printing; }
    // Why the summary is behind the worksheet after the last tick, for the user;
    // empty when it is not.
    QString whySummaryIsNotCurrent() const;

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

    QString text(worksheet::Field field) const override;
    void setText(worksheet::Field field, const QString &text) override;
    bool isSelected(worksheet::Option option) const override;
    void setSelected(worksheet::Option option) override;
    std::uint64_t revision(worksheet::Field field) const override;

    void markTickProblems();
    void releaseMemoryOfCutNotes();

    worksheet::TickContext m_tick;
    std::unique_ptr<printing::SummaryPrinter> m_printing;
    worksheet::TickResult m_lastTick;
    mutable std::optional<QString> m_notes; // the notes' text, until they change
    std::uint64_t m_notesRevision = 1;
    std::uint64_t m_summaryRevision = 1;
    qsizetype m_longestSummary = 0; // since memory was last released
    Worksheet m_sheet;
    Controls m_controls;
    QHash<QString, QWidget *> m_byName;
};

} // namespace tallaby::ui
