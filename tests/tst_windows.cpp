#include "app/commands.h"
#include "identity.h"
#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/artwork.h"
#include "ui/filled.h"
#include "ui/form1.h"
#include "ui/form1layout.h"
#include "ui/frmsplash.h"
#include "ui/marking.h"
#include "ui/picturebox.h"
#include "ui/summarybox.h"

#include <memory>
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>

using namespace tallaby;

namespace {

// What a widget's text is drawn on: its own fill, or the nearest one behind it.
QColor backgroundOf(const QWidget *w) {
    for (; w; w = w->parentWidget()) {
        if (auto *frame = dynamic_cast<const ui::Filled<QGroupBox> *>(w))
            return ui::systemColor(frame->fill(), QGuiApplication::palette());
        if (auto *client = dynamic_cast<const ui::Filled<QWidget> *>(w))
            return ui::systemColor(client->fill(), QGuiApplication::palette());
        if (w->autoFillBackground() || w->backgroundRole() != QPalette::Window)
            return w->palette().color(w->backgroundRole());
    }
    return {};
}

// The first text in a window below 4.5:1 (large: 3:1), as "name: contrast"; empty if none.
QString unreadable(const QWidget *window) {
    for (const QWidget *w : window->findChildren<const QWidget *>()) {
        const auto *label = qobject_cast<const QLabel *>(w);
        const auto *frame = qobject_cast<const QGroupBox *>(w);
        if (!((label && !label->text().isEmpty()) || (frame && !frame->title().isEmpty()) ||
              qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
              w->objectName() == QLatin1String("qt_scrollarea_viewport")))
            continue;
        const bool large = w->font().pointSizeF() >= (w->font().bold() ? 14 : 18);
        for (auto group : {QPalette::Active, QPalette::Inactive}) { // an inactive window too
            const double ratio =
                ui::contrastRatio(w->palette().color(group, w->foregroundRole()), backgroundOf(w));
            if (ratio < (large ? 3 : 4.5))
                return QStringLiteral("%1: %2 ").arg(w->objectName()).arg(ratio);
        }
    }
    return {};
}

// Fields and option circles whose edge reads below 3:1 against what lies around them, and
// tab stops whose focus does not show: fewer pixels than their perimeter change by 3:1.
QString unseen(QWidget *window) {
    QString faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const auto *edit = qobject_cast<QLineEdit *>(w);
        if (!w->isVisible())
            continue;
        if ((edit && edit->hasFrame()) || qobject_cast<QComboBox *>(w) ||
            qobject_cast<QRadioButton *>(w) || qobject_cast<QAbstractScrollArea *>(w)) {
            const QImage around =
                w->parentWidget()->grab(w->geometry().adjusted(-1, -1, 1, 1)).toImage();
            double edge = 1;
            for (int x = 1, y = around.height() / 2; x <= 3; ++x)
                edge = std::max(
                    edge, ui::contrastRatio(around.pixelColor(0, y), around.pixelColor(x, y)));
            if (edge < 3)
                faults += QStringLiteral("%1 edge: %2 ").arg(w->objectName()).arg(edge);
        }
        if (!(w->focusPolicy() & Qt::TabFocus) || qobject_cast<QComboBox *>(w->parentWidget()))
            continue;
        window->setFocus();
        const QImage before = w->grab().toImage();
        w->setFocus(Qt::TabFocusReason);
        const QImage after = w->grab().toImage();
        int changed = 0;
        for (int y = 0; y < before.height(); ++y) {
            for (int x = 0; x < before.width(); ++x)
                changed += ui::contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3;
        }
        if (changed < 2 * (w->width() + w->height()))
            faults += QStringLiteral("%1 focus: %2 px ").arg(w->objectName()).arg(changed);
    }
    return faults;
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private:
    QWidget *find(const QString &name) const { return m_form->findChild<QWidget *>(name); }
    QLineEdit *edit(const QString &name) const { return qobject_cast<QLineEdit *>(find(name)); }
    void showActive() {
        m_form->showCentred();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }

    std::unique_ptr<TestWindow> m_window;
    ui::Form1 *m_form = nullptr;

private slots:
    void init() {
        m_window = std::make_unique<TestWindow>();
        m_form = &m_window->form;
    }
    void cleanup() { m_window.reset(); }

    // The layout table as a whole: a typo in any row breaks one of these rules.
    void layoutHoldsTogether() {
        const auto &layout = ui::form1Layout();
        const auto twips = [](const TwipRect &r) {
            return QRect(r.left, r.top, r.width, r.height);
        };
        QHash<QString, QRect> inside{
            {"Form1", {0, 0, ui::kForm1ClientWidth, ui::kForm1ClientHeight}}};
        for (const ui::LayoutEntry &entry : layout) {
            const QRect r = twips(entry.rect);
            // Whole pixels, inside the container; Frame1 runs a pixel past the client area.
            for (int length : {r.x(), r.y(), r.width(), r.height()})
                QVERIFY2(length % kTwipsPerPixel == 0, qPrintable(entry.name));
            const int slack = entry.name == "Frame1" ? kTwipsPerPixel : 0;
            QVERIFY2(!r.isEmpty() && inside[entry.container].adjusted(0, 0, 0, slack).contains(r),
                     qPrintable(entry.name));
            inside.insert(entry.name, QRect(QPoint(), r.size()));

            QWidget *widget = find(entry.name);
            QCOMPARE(widget->parentWidget(),
                     find(entry.container == "Form1" ? "Form1Client" : entry.container));
            QCOMPARE(widget->geometry(), entry.rect.toPixels());
        }
        // Siblings meet at most along a shared pixel edge, but for the captions
        // stacked on purpose, the first of each pair in front.
        const QList<QStringList> stacked{{"Label6", "week"}, {"inc1", "Label3"}};
        for (const QStringList &pair : stacked) {
            const QObjectList order = find(pair[0])->parent()->children();
            QVERIFY(order.indexOf(find(pair[0])) > order.indexOf(find(pair[1])));
        }
        for (const ui::LayoutEntry &a : layout) {
            for (const ui::LayoutEntry &b : layout) {
                if (&a >= &b || a.container != b.container || stacked.contains({a.name, b.name}) ||
                    stacked.contains({b.name, a.name}))
                    continue;
                const QRect overlap = twips(a.rect).intersected(twips(b.rect));
                QVERIFY2(overlap.isEmpty() ||
                             qMin(overlap.width(), overlap.height()) <= kTwipsPerPixel,
                         qPrintable(a.name + " overlaps " + b.name));
            }
        }
        showActive();
        const QPoint offCentre =
            m_form->geometry().center() - m_form->screen()->availableGeometry().center();
        QVERIFY(offCentre.manhattanLength() <= 4); // frame and rounding
        QCOMPARE(m_form->windowTitle(), "Tallaby");
    }

    void tabCycle() {
        QStringList expected = {"Picture1", "wee", "inc1", "inc2", "inc3", "Command1"};
        for (int row = 1; row <= 15; ++row)
            expected << QStringLiteral("Combo%1").arg(row);
        for (int row = 1; row <= 28; ++row)
            expected << QStringLiteral("c%1").arg(row);
        for (int row = 16; row <= 28; ++row)
            expected << QStringLiteral("Combo%1").arg(row);
        expected += {"RichTextBox1", "RichTextBox2", "Command2", "Picture2", "Picture1"};

        showActive();
        // The tab stop of the focus: a combo box's line edit counts as the box.
        const auto stop = [] {
            QWidget *widget = QApplication::focusWidget();
            auto *combo = qobject_cast<QComboBox *>(widget->parentWidget());
            return combo ? combo->objectName() : widget->objectName();
        };
        QStringList forwards{stop()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            forwards << stop();
        }
        QCOMPARE(forwards, expected);
    }

    void typingUpdatesTheTotalsWithoutDisturbingTheField() {
        showActive();
        edit("inc1")->setText("1000");
        QLineEdit *c3 = edit("c3");
        c3->setFocus();
        c3->selectAll();
        QTest::keyClicks(c3, "250");
        c3->setCursorPosition(1);
        m_form->Timer1_Timer();
        QCOMPARE(m_form->sheet().totex->text(), "250");
        QCOMPARE(edit("free")->text(), "750");
        QCOMPARE(c3->cursorPosition(), 1);
        // A paste longer than an amount holds is refused whole, and it says so.
        QGuiApplication::clipboard()->setText(QString(40'000, u'9'));
        QTest::keySequence(c3, QKeySequence::Paste);
        QCOMPARE(c3->text(), "250");
        QVERIFY(QToolTip::text().contains("not taken", Qt::CaseInsensitive));

        QTest::mouseClick(m_form->sheet().mon, Qt::LeftButton);
        m_form->Timer1_Timer();
        QCOMPARE(m_form->sheet().week->text(), "month");
    }

    void clearValuesKeepsCategoriesBasisAndNotes() {
        // Every box offers the 31 categories in alphabetical order, none chosen.
        for (QComboBox *box : m_form->sheet().categories) {
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QStringList sorted = items;
            sorted.sort(Qt::CaseInsensitive);
            QCOMPARE(items, sorted);
            QCOMPARE(items.size(), 31);
            QCOMPARE(box->currentIndex(), -1);
        }
        m_form->sheet().categories[3]->setEditText("Pocket money");
        m_form->sheet().mon->setChecked(true);
        m_form->sheet().notes->setPlainText("line one\nline two");
        edit("c7")->setText("12x");

        QTest::mouseClick(m_form->controls().clearValues, Qt::LeftButton);
        for (int i = 0; i < worksheet::kAmountFieldCount; ++i)
            QCOMPARE(m_form->fields().text(worksheet::amountField(i)), "0");
        QCOMPARE(m_form->sheet().categories[3]->currentText(), "Pocket money");
        QCOMPARE(m_form->sheet().categories[0]->currentText(), "Please Select");
        QVERIFY(m_form->sheet().mon->isChecked());
        m_form->Timer1_Timer();
        QVERIFY(m_form->sheet().summary->text().endsWith("NOTES:\r\rline one\rline two"));
    }

    // No hand-made ticks here: the window's own timer must do it, and soon.
    void theTimerRecalculatesByItself() {
        ui::Form1 form({}, noPrinter());
        form.sheet().expenses.back()->setText("7");
        QTRY_COMPARE_WITH_TIMEOUT(form.sheet().totex->text(), QString("7"), 2000);
    }

    void keyboardReachesTheCommands() {
        showActive();
        QSignalSpy printed(m_form->controls().print, &QAction::triggered);
        QTest::keyClick(m_form, Qt::Key_F, Qt::AltModifier);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
        QCOMPARE(printed.size(), 1);

        // Return and Enter press the focused button, as Space does.
        for (QPushButton *button :
             {m_form->controls().clearValues, m_form->controls().printSummary}) {
            QSignalSpy pressed(button, &QPushButton::clicked);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(pressed.size(), 2);
        }

        // The keypad's decimal key types the amount's own separator.
        QLineEdit *c2 = edit("c2");
        c2->setLocale(QLocale(QLocale::German, QLocale::Germany));
        c2->setText("12");
        QTest::keyClick(c2, Qt::Key_Period, Qt::KeypadModifier);
        QCOMPARE(c2->text(), "12,");
    }

    void labelAndBannerOpenTheSameAddress() {
        showActive();
        for (const char *name : {"Label12", "Picture2", "Picture1"}) // the logo is no link
            QTest::mouseClick(find(name), Qt::LeftButton);
        find("Picture2")->setFocus();
        QTest::keyClick(find("Picture2"), Qt::Key_Space);
        const QUrl maker(QString::fromLatin1(kMakerAddress));
        QCOMPARE(m_window->opened, (QList<QUrl>{maker, maker, maker}));
    }

    // What the bus test cannot see: values, actions, and results that are never greyed out.
    void rolesNamesAndValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("value"); // null: not compared
        QTest::newRow("Combo5") << "Expense 5 category" << QAccessible::ComboBox << "Please Select";
        QTest::newRow("Picture2") << "Visit the Veltrane web site" << QAccessible::Link
                                  << QString();
        QTest::newRow("Picture1") << "Veltrane logo" << QAccessible::Graphic << QString();
        QTest::newRow("tottake") << "Total Income" << QAccessible::EditableText << "1200";
        QTest::newRow("total1") << "Total Income 1200" << QAccessible::StaticText << QString();
        QTest::newRow("totex") << "Total Expendature 0" << QAccessible::StaticText << QString();
        QTest::newRow("free") << "Income - Expendature" << QAccessible::EditableText << "1200";
    }
    void rolesNamesAndValues() {
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, value);
        edit("inc1")->setText("1200");
        m_form->Timer1_Timer();
        auto *widget = m_form->findChild<QWidget *>(QTest::currentDataTag());
        QAccessibleInterface *control = QAccessible::queryAccessibleInterface(widget);
        QCOMPARE(control->role(), role);
        QCOMPARE(control->text(QAccessible::Name), name);
        if (!value.isNull())
            QCOMPARE(control->text(QAccessible::Value), value);
        if (role == QAccessible::ComboBox) { // its line edit has the focus and speaks
            QCOMPARE(control->child(1)->object(), qobject_cast<QComboBox *>(widget)->lineEdit());
            QCOMPARE(control->child(1)->text(QAccessible::Name), name);
        }
        if (role == QAccessible::Link)
            QVERIFY(control->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::pressAction()));
        // Results are heard as read-only, never as unavailable, however they are drawn.
        if (widget->focusPolicy() == Qt::NoFocus)
            QVERIFY(!control->state().disabled &&
                    (role != QAccessible::EditableText || control->state().readOnly));
    }

    void summaryKeepsItsPlaceAndReadsLineByLine() {
        showActive();
        ui::SummaryBox *box = m_form->sheet().summary;
        m_form->sheet().notes->setPlainText(QString("note\n").repeated(200));
        m_form->Timer1_Timer();
        box->verticalScrollBar()->setValue(500);
        edit("c1")->setText("75");
        m_form->Timer1_Timer();
        QCOMPARE(box->verticalScrollBar()->value(), 500);

        // Lines break at the box's own width, less its margins of 4 pixels.
        QCOMPARE(twipsToPixels(box->layout().lineWidth()), box->viewport()->width() - 8);
        box->layout().setScreenLineWidth(kTwipsPerInch); // an inch, so lines wrap
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(box)->textInterface();
        QStringList lines;
        for (int offset = 0, start = 0, end = 0; offset < text->characterCount(); offset = end) {
            lines << text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
            // A reader splits lines where attribute runs start: the last character needs one.
            int runStart = 0, runEnd = 0;
            text->attributes(end - 1, &runStart, &runEnd);
            QVERIFY(runStart < end && end <= runEnd);
        }
        QCOMPARE(lines.join(QString()), box->text().replace(u'\r', u'\n'));
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(text->cursorPosition(), lines[0].size());
        QTest::keyClick(box, Qt::Key_End);
        QCOMPARE(text->cursorPosition(), lines[0].size() + lines[1].size() - 1);
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), box->text().replace(u'\r', u'\n'));
    }

    // Which fields a tick marks and why, in a tint of their own colour, until corrected.
    void aFieldTheTickCannotUseIsMarked_data() {
        QTest::addColumn<QStringList>("typed"); // field, text, ...
        QTest::addColumn<QStringList>("marked");
        QTest::addColumn<QString>("why");   // in each marked field's description
        QTest::addColumn<QString>("named"); // in the print refusal
        QTest::newRow("a bad income holds every total")
            << QStringList{"inc2", "12x"} << QStringList{"inc2"} << "no total"
            << "Partners Income is not a number";
        QTest::newRow("a bad expense lets the incomes through")
            << QStringList{"c5", "4..5"} << QStringList{"c5"} << "income totals still update"
            << "Expense 5 amount is not a number";
        QTest::newRow("incomes too large mark both Total Income boxes")
            << QStringList{"inc1", "1e308", "inc2", "1e308"} << QStringList{"tottake", "total1"}
            << "incomes are smaller"
            << "Total Income is too large";
        QTest::newRow("expenses beyond the range") << QStringList{"c1", "1e308", "c2", "1e308"}
                                                   << QStringList{"totex"} << "expenses are smaller"
                                                   << "Total Expendature is too large";
    }
    void aFieldTheTickCannotUseIsMarked() {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, marked);
        QFETCH(QString, why);
        QFETCH(QString, named);
        const auto fill = [](const QWidget *w) {
            return w->palette().color(w->backgroundRole());
        };
        QHash<const QWidget *, QColor> own;
        for (const QWidget *w : m_form->findChildren<QWidget *>())
            own.insert(w, fill(w));
        for (bool corrected : {false, true}) {
            for (int i = 0; i < typed.size(); i += 2)
                edit(typed[i])->setText(corrected ? "1" : typed[i + 1]);
            m_form->Timer1_Timer();
            QCOMPARE(ui::whySummaryIsNotCurrent(m_form->lastTick()).contains(named), !corrected);
            for (const QWidget *w : m_form->findChildren<QWidget *>()) {
                const bool marks = !corrected && marked.contains(w->objectName());
                QVERIFY2((fill(w) != own[w]) == marks, qPrintable(w->objectName()));
                QCOMPARE(w->accessibleDescription().contains(why), marks);
                QVERIFY(ui::contrastRatio(fill(w), own[w]) < 2);
            }
        }
    }

    void textIsReadableInEveryScheme_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<QByteArray>("gtkTheme");
        QTest::newRow("light") << QApplication::style()->standardPalette() << QByteArray();
        QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2d, 0x2d, 0x2d));
        dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        QTest::newRow("dark") << dark << QByteArray();
        QPalette contrast(Qt::black, Qt::black);
        contrast.setColor(QPalette::Highlight, Qt::cyan);
        contrast.setColor(QPalette::Mid, Qt::gray); // a shade of its own for Frame2
        contrast.setColor(QPalette::ToolTipBase, Qt::black);
        contrast.setColor(QPalette::ToolTipText, Qt::yellow);
        QTest::newRow("high contrast") << contrast << QByteArray();
        QTest::newRow("high contrast asked through GTK")
            << QApplication::style()->standardPalette() << QByteArray("HighContrastInverse");
    }
    void textIsReadableInEveryScheme() {
        QFETCH(QPalette, palette);
        QFETCH(QByteArray, gtkTheme);
        ui::frmSplash about; // open before the change: both windows must follow it
        showActive();
        QLineEdit *marked = edit("c5");
        marked->setText("12x"); // marked under the old scheme
        m_form->Timer1_Timer();
        const QPalette original = QGuiApplication::palette();
        qputenv("GTK_THEME", gtkTheme);
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        const QPalette now = QGuiApplication::palette();
        const QImage markedShot = marked->grab().toImage();
        m_form->sheet().summary->setText("TOTAL INCOME");
        const QImage summaryShot = m_form->sheet().summary->viewport()->grab().toImage();
        const QString worst = unreadable(m_form) + unreadable(&about) + unseen(m_form);
        const QColor aboutFace = backgroundOf(about.findChild<QWidget *>("lblVersion"));
        const QColor frame2 = backgroundOf(m_form->findChild<QWidget *>("Frame2"));
        const QColor total1 = backgroundOf(m_form->findChild<QWidget *>("total1"));
        const QColor tint = marked->palette().color(QPalette::Base);
        const QColor result = edit("tottake")->palette().color(QPalette::Text);
        const QColor name =
            about.findChild<QWidget *>("lblProductName")->palette().color(QPalette::WindowText);
        const QImage aboutShot = about.grab().toImage();
        const QRect company = about.findChild<QWidget *>("lblCompany")->geometry();
        const QImage aboutFrame = about.findChild<QWidget *>("Frame1")->grab().toImage();
        qunsetenv("GTK_THEME");
        QApplication::setPalette(original);
        QVERIFY2(worst.isEmpty(), qPrintable(worst));
        QVERIFY(gtkTheme.isEmpty() || now.color(QPalette::Window) == Qt::black);
        QVERIFY(ui::contrastRatio(now.color(QPalette::HighlightedText),
                                  now.color(QPalette::Highlight)) >= 4.5); // selection, menus
        QCOMPARE(aboutFace, now.color(QPalette::Button));
        // Info boxes and a field marked before the change stay on the window's side.
        const QColor base = now.color(QPalette::Base), text = now.color(QPalette::Text);
        for (const QColor &fill : {total1, tint})
            QVERIFY(ui::contrastRatio(fill, base) < ui::contrastRatio(fill, text));
        const int y = markedShot.height() / 2, right = markedShot.width() - 5;
        QVERIFY(ui::contrastRatio(markedShot.pixelColor(right + 1, 3),
                                  markedShot.pixelColor(right, y)) >=
                3); // its corner flag, seen without colour
        QVERIFY(ui::contrastRatio(result, base) < ui::contrastRatio(text, base)); // greyed
        // The summary as painted: its strongest glyph pixel against its margin.
        double glyphs = 1;
        for (int y = 0; y < summaryShot.height(); ++y) {
            for (int x = 0; x < summaryShot.width(); ++x)
                glyphs = std::max(glyphs, ui::contrastRatio(summaryShot.pixelColor(x, y),
                                                            summaryShot.pixelColor(0, 0)));
        }
        QVERIFY2(glyphs >= 4.5, qPrintable(QString::number(glyphs)));
        const QColor highlight = now.color(QPalette::Highlight);
        QVERIFY(ui::contrastRatio(highlight, aboutFace) >= 3
                    ? name == highlight
                    : ui::contrastRatio(name, aboutFace) >= 3);                 // large text
        QVERIFY(ui::contrastRatio(aboutShot.pixelColor(0, 0), aboutFace) >= 3); // an outline
        QCOMPARE(aboutFrame.pixel(company.topRight() + QPoint(-1, 1)),
                 aboutFrame.pixel(company.topRight() + QPoint(2, 1)));        // labels show no box
        QCOMPARE(aboutShot.pixel(5, 100), now.color(QPalette::Button).rgb()); // the face
        // Frame2 stands out from the face wherever the scheme gives it a shade of its own.
        QCOMPARE(frame2 != now.color(QPalette::Button),
                 now.color(QPalette::Mid) != now.color(QPalette::Button));
    }

    void artworkKeepsItsSizeAtEveryScale_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("logo.gif") << QSize(207, 52);
        QTest::newRow("banner.jpg") << QSize(878, 43);
        QTest::newRow("about-emblem.png") << QSize(121, 159); // a 32-pixel emblem stretched
    }
    void artworkKeepsItsSizeAtEveryScale() {
        QFETCH(QSize, size);
        for (qreal scale : {1.0, 1.5, 2.0}) { // drawn for the screen, at the layout's size
            const QPixmap picture = ui::artwork(QTest::currentDataTag(), scale);
            QCOMPARE(picture.devicePixelRatio(), scale);
            QCOMPARE(picture.deviceIndependentSize().toSize(), size);
        }
        // The window's own pictures at its screen's scale (the windows_2x test runs at 2).
        for (ui::PictureBox *box : {m_form->controls().logo, m_form->controls().banner})
            QCOMPARE(box->pixmap().devicePixelRatio(), m_form->devicePixelRatioF());
    }

    void aboutLayout() {
        ui::frmSplash about;
        QCOMPARE(about.size(), QSize(492 + 6, 283 + 6)); // the client area in its dialog frame
        QVERIFY(about.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(about.windowType(), Qt::Tool);         // no taskbar button
        QCOMPARE(about.windowTitle(), "About Tallaby"); // for task lists and Wayland
        auto *frame = about.findChild<QWidget *>("Frame1");
        QVERIFY(about.rect().contains(frame->geometry()));
        // Whatever size its text gives a control, it stays whole inside the frame.
        for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(frame->rect().contains(control->geometry()),
                     qPrintable(control->objectName()));
        // The emblem's clear right margin lies over the product name's first letters.
        const auto child = [&](const char *name) {
            return about.findChild<QWidget *>(name);
        };
        QVERIFY(child("imgLogo")->geometry().intersects(child("lblProductName")->geometry()));
        const QObjectList order = frame->children();
        QVERIFY(order.indexOf(child("imgLogo")) > order.indexOf(child("lblProductName")));
        QVERIFY(order.indexOf(child("lblCopyright")) > order.indexOf(child("lblCompany")));
    }

    void keysAndClicks_data() {
        QTest::addColumn<int>("key");      // with its modifiers; 0: a click on `target` instead
        QTest::addColumn<QString>("text"); // what the keyboard sends with the key
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("closes");

        const auto key = [](const char *name, QKeyCombination k, const QString &text, bool closes) {
            QTest::newRow(name) << k.toCombined() << text << QString() << closes;
        };
        const auto click = [](const char *name, const char *target, bool closes) {
            QTest::newRow(name) << 0 << QString() << target << closes;
        };
        key("a letter", Qt::Key_Q, "q", true);
        // Some keyboards send these without a text: their key alone counts.
        key("Space on the button", Qt::Key_Space, "", true);
        key("Return on the button", Qt::Key_Return, "\r", true);
        key("Escape", Qt::Key_Escape, "", true);
        key("Ctrl+C", Qt::ControlModifier | Qt::Key_C, "", true);
        key("an arrow", Qt::Key_Left, "", false);
        key("Delete", Qt::Key_Delete, "\x7f", false);
        key("Alt+letter", Qt::AltModifier | Qt::Key_F, "f", false);
        click("a click on Close", "Command1", true);
        click("a click on the empty frame", "Frame1", true);
        click("a click on the product name", "lblProductName", false);
        click("a click on the margin", "frmSplash", false);
    }

    void keysAndClicks() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, target);

        QPointer<ui::frmSplash> about = new ui::frmSplash;
        about->show();
        QVERIFY(QTest::qWaitForWindowActive(about));
        if (key) {
            const auto combination = QKeyCombination::fromCombined(key);
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), combination.key(), text,
                                combination.keyboardModifiers());
        } else {
            QWidget *widget =
                target == "frmSplash" ? about.data() : about->findChild<QWidget *>(target);
            // The frame's top right and the window's left margin hold nothing.
            const QPoint where = target == "Frame1" ? QPoint(420, 30)
                                 : widget == about  ? QPoint(3, 100)
                                                    : widget->rect().center();
            QTest::mouseClick(widget, Qt::LeftButton, {}, where);
        }
        QFETCH(bool, closes);
        QCOMPARE(about.isNull() || !about->isVisible(), closes);
        if (closes)
            QTRY_VERIFY(about.isNull()); // discarded, not just hidden
        delete about.data();
    }

    void aboutCommandKeepsOneWindowAndStartsAfresh() {
        QAction *about = m_form->controls().about;
        about->trigger();
        QPointer<ui::frmSplash> first = m_window->commands.aboutWindow();
        QVERIFY(first && !first->parentWidget()); // no owner
        about->trigger();
        QCOMPARE(m_window->commands.aboutWindow(), first.data());

        first->findChild<QLabel *>("lblVersion")->setText("changed");
        QTest::mouseClick(first->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        about->trigger();
        QCOMPARE(m_window->commands.aboutWindow()->findChild<QLabel *>("lblVersion")->text(),
                 QStringLiteral("Version ") + kVersion);
        QTRY_VERIFY(first.isNull());
    }

    void howARunEnds_data() {
        QTest::addColumn<bool>("exit"); // else the main window is closed
        QTest::newRow("Exit with About open ends the run") << true;
        // Qt lets Tool windows close a run under them; this one must keep it going.
        QTest::newRow("closing the main window waits for About") << false;
    }

    void howARunEnds() {
        QFETCH(bool, exit);
        ui::Form1 &form = *m_form;
        form.showCentred();
        form.controls().about->trigger();
        QPointer<ui::frmSplash> about = m_window->commands.aboutWindow();
        bool ranOn = false;
        // The form is every timer's context, so none outlives this test.
        QTimer::singleShot(0, &form,
                           [&] { exit ? form.controls().exit->trigger() : void(form.close()); });
        QTimer::singleShot(300, &form, [&] {
            ranOn = true;
            QTest::keyClick(about.data(), Qt::Key_Escape);
        });
        QTimer::singleShot(5000, &form, [] { QCoreApplication::exit(1); }); // fail, don't hang
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(ranOn, !exit);
        QVERIFY(!form.isVisible() && (about.isNull() || !about->isVisible()));
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
