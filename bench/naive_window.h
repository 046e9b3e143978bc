#pragma once

// The naive yardstick for bench/startup_idle.sh: a window with the main window's
// widget count (6 frames, 15 labels, 33 line edits, 28 editable combo boxes of 31
// categories, 2 option buttons, 2 push buttons, 2 pictures, 2 text boxes, a menu
// bar) and the obvious tick: every 500 ms it reads every amount, adds them up and
// rewrites the whole summary text box, changed or not. Its pictures are Tallaby's,
// compiled in under :/artwork by whoever uses it, and so are its categories.

#include "worksheet/categories.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <vector>

namespace tallaby::bench {

class NaiveWindow final : public QMainWindow {
public:
    NaiveWindow() {
        setWindowTitle(QStringLiteral("Naive worksheet"));
        setWindowIcon(QIcon(QStringLiteral(":/artwork/window-icon.png")));
        auto *client = new QWidget(this);
        setCentralWidget(client);

        auto *frame1 = new QGroupBox(client);
        frame1->setGeometry(0, 0, 897, 593);
        auto *income = new QGroupBox(QStringLiteral("Income"), frame1);
        income->setGeometry(224, 8, 353, 97);
        auto *commands = new QGroupBox(frame1);
        commands->setGeometry(8, 64, 209, 41);
        auto *expenses = new QGroupBox(QStringLiteral("Expenses"), frame1);
        expenses->setGeometry(8, 104, 881, 401);
        auto *results = new QGroupBox(expenses);
        results->setGeometry(240, 304, 233, 89);
        auto *notesFrame = new QGroupBox(QStringLiteral("Notes"), frame1);
        notesFrame->setGeometry(584, 8, 305, 97);

        auto *logo = new QLabel(frame1);
        logo->setGeometry(8, 16, 209, 49);
        logo->setPixmap(QPixmap(QStringLiteral(":/artwork/logo.gif")));
        auto *banner = new QLabel(frame1);
        banner->setGeometry(8, 512, 881, 49);
        banner->setPixmap(QPixmap(QStringLiteral(":/artwork/banner.jpg")));
        label(frame1, "Copyright notice", 8, 568, 881, 17);

        label(income, "Monthly", 8, 24, 41, 17);
        label(income, "Weekly", 8, 48, 41, 17);
        m_monthly = new QRadioButton(income);
        m_monthly->setGeometry(48, 24, 17, 17);
        m_weekly = new QRadioButton(income);
        m_weekly->setGeometry(48, 48, 17, 17);
        m_weekly->setChecked(true);
        const char *incomeNames[] = {"Your Income:", "Partners Income:", "Other Income:"};
        for (int i = 0; i < 3; ++i) {
            label(income, incomeNames[i], 88 + 88 * i, 24, 81, 17);
            m_amounts.push_back(lineEdit(income, 88 + 88 * i, 40));
        }
        label(income, "Total Income:", 88, 72, 73, 17);
        m_totalIncome = label(income, "", 176, 72, 81, 17);
        label(income, "per", 264, 72, 17, 17);
        m_period = label(income, "", 264, 72, 65, 17);

        auto *clear = new QPushButton(QStringLiteral("Clear Values"), commands);
        clear->setGeometry(8, 16, 89, 17);
        connect(clear, &QPushButton::clicked, this, [this] {
            for (QLineEdit *edit : m_amounts)
                edit->setText(QStringLiteral("0"));
        });
        auto *print = new QPushButton(QStringLiteral("Print Summary"), commands);
        print->setGeometry(104, 16, 97, 17);

        for (int row = 0; row < 28; ++row) {
            const bool left = row < 16;
            const int top = 16 + 24 * (left ? row : row - 16);
            auto *combo = new QComboBox(expenses);
            combo->setEditable(true);
            combo->addItems(worksheet::expenseCategories());
            combo->setEditText(worksheet::categoryPlaceholder());
            combo->setGeometry(left ? 8 : 248, top, 121, 21);
            m_amounts.push_back(lineEdit(expenses, left ? 136 : 384, top));
        }
        m_summary = new QTextEdit(expenses);
        m_summary->setReadOnly(true);
        m_summary->setGeometry(480, 16, 393, 361);
        label(expenses, "Click here to visit the maker", 480, 376, 393, 17);

        label(results, "Total Income :", 56, 16, 73, 17);
        m_totalTaken = lineEdit(results, 128, 16);
        label(results, "Total Expenses :", 32, 40, 97, 17);
        m_totalExpenses = label(results, "", 128, 40, 97, 17);
        label(results, "Income - Expenses :", 16, 64, 113, 17);
        m_free = lineEdit(results, 128, 64);

        m_notes = new QTextEdit(notesFrame);
        m_notes->setGeometry(8, 16, 289, 73);

        QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("&Print"));
        file->addAction(QStringLiteral("&Exit"), this, &QWidget::close);
        menuBar()->addMenu(QStringLiteral("&About"))->addAction(QStringLiteral("About"));

        resize(902, 592 + menuBar()->sizeHint().height());
        connect(&m_timer, &QTimer::timeout, this, &NaiveWindow::tick);
        m_timer.start(500);
    }

private:
    static QLabel *label(QWidget *parent, const char *text, int x, int y, int w, int h) {
        auto *label = new QLabel(QString::fromLatin1(text), parent);
        label->setGeometry(x, y, w, h);
        return label;
    }
    static QLineEdit *lineEdit(QWidget *parent, int x, int y) {
        auto *edit = new QLineEdit(QStringLiteral("0"), parent);
        edit->setGeometry(x, y, 81, 19);
        return edit;
    }

    void tick() {
        double incomes = 0;
        double expenses = 0;
        for (std::size_t i = 0; i < m_amounts.size(); ++i) {
            if (m_amounts[i]->text().isEmpty())
                m_amounts[i]->setText(QStringLiteral("0"));
            (i < 3 ? incomes : expenses) += m_amounts[i]->text().toDouble();
        }
        const QString period = m_weekly->isChecked() ? QStringLiteral("Week") : "Month";
        m_period->setText(period);
        m_totalIncome->setText(QString::number(incomes));
        m_totalTaken->setText(QString::number(incomes));
        m_totalExpenses->setText(QString::number(expenses));
        m_free->setText(QString::number(incomes - expenses));
        m_summary->setPlainText(
            QStringLiteral("SUMMARY\n\nDATE: %1\n\n"
                           "Your Income : %2\nPartners Income : %3\n"
                           "Other Income : %4\nTotal Income : %5\n"
                           "Total Expenses : %6\n\nFree Cash : %7 per %8\n\n"
                           "NOTES:\n\n%9")
                .arg(QDate::currentDate().toString(Qt::ISODate), m_amounts[0]->text(),
                     m_amounts[1]->text(), m_amounts[2]->text(), QString::number(incomes),
                     QString::number(expenses), QString::number(incomes - expenses), period,
                     m_notes->toPlainText()));
    }

    std::vector<QLineEdit *> m_amounts; // 3 incomes, then 28 expenses
    QRadioButton *m_weekly = nullptr;
    QRadioButton *m_monthly = nullptr;
    QLabel *m_totalIncome = nullptr;
    QLabel *m_period = nullptr;
    QLabel *m_totalExpenses = nullptr;
    QLineEdit *m_totalTaken = nullptr;
    QLineEdit *m_free = nullptr;
    QTextEdit *m_summary = nullptr;
    QTextEdit *m_notes = nullptr;
    QTimer m_timer;
};

} // namespace tallaby::bench
