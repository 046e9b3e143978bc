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
    struct Worksheet {
        std::array<AmountEdit *, worksheet::kIncomeCount> incomes{};
        std::array<AmountEdit *, worksheet::kExpenseRowCount> expenses{};
        std::array<QComboBox *, worksheet::kExpenseRowCount> categories{};
        QRadioButton *wee = nullptr;
        QRadioButton *mon = nullptr;
        QLabel *total1 = nullptr;
        QLabel *week = nullptr;
        QLabel *totex = nullptr;
        QLineEdit *tottake = nullptr;
        QLineEdit *free = nullptr;
        SummaryBox *summary = nullptr;   // RichTextBox1
        QPlainTextEdit *notes = nullptr; // RichTextBox2
    };
    struct Controls {
        QPushButton *clearValues = nullptr;  // Command1
        QPushButton *printSummary = nullptr; // Command2
        ClickableLabel *webLink = nullptr;   // Label12
        PictureBox *logo = nullptr;          // Picture1
        PictureBox *banner = nullptr;        // Picture2
        QAction *print = nullptr;            // mnuPrint
        QAction *exit = nullptr;             // mnuexit
        QAction *about = nullptr;            // mnuabout
        QTimer *timer = nullptr;             // Timer1
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
    void Form_Load();
    void Timer1_Timer();

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
