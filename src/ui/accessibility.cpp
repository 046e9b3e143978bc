#include "ui/accessibility.h"

#include "ui/clickablelabel.h"
#include "ui/frmsplash.h"
#include "ui/picturebox.h"
#include "ui/summarybox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace tallaby::ui {

namespace {

class LinkAccessible final : public QAccessibleWidget {
public:
    explicit LinkAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Link) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override {
        if (action == pressAction())
            QMetaObject::invokeMethod(widget(), "clicked");
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }
};

// An editable combo box, a category box, named by its row. Qt names an editable combo box on this
// platform by its text, so every row would be read as "Please Select".
class CategoryAccessible final : public QAccessibleWidget {
public:
    explicit CategoryAccessible(QComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        return state;
    }
    // As Qt's own combo box: the list, then the line edit.
    int childCount() const override { return 2; }
    QAccessibleInterface *child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1)
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        if (child->object() == box()->view())
            return 0;
        return child->object() == box()->lineEdit() ? 1 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString &action) override {
        if (action == showMenuAction())
            box()->showPopup();
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

// The summary as read-only text. Offsets are those of the summary itself;
// its lone carriage returns are read as line feeds, one for one.
class SummaryAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit SummaryAccessible(SummaryBox *box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return box()->accessibleText();
        return QAccessibleWidget::text(t);
    }

    // Nothing can be selected; the caret is the reading position.
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }

    QString text(int start, int end) const override { return box()->accessibleText(start, end); }
    int characterCount() const override { return box()->textLength(); }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int *start,
                         int *end) const override {
        // Lines as the box shows them, wrapped where the printed page wraps.
        if (boundary != QAccessible::LineBoundary)
            return QAccessibleTextInterface::textAtOffset(offset, boundary, start, end);
        const auto [first, last] = box()->lineAt(offset);
        *start = first;
        *end = last;
        return text(first, last);
    }
    QRect characterRect(int offset) const override {
        const QRect line = box()->lineRect(offset);
        return line.isNull() ? line
                             : QRect(box()->viewport()->mapToGlobal(line.topLeft()), line.size());
    }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int start, int) override { box()->setCursorPosition(start); }
    // One run of no attributes over the whole text: a reader splits its lines
    // where runs start, and an empty run would cut a line short.
    QString attributes(int offset, int *start, int *end) const override {
        const bool inside = offset >= 0 && offset <= characterCount();
        *start = inside ? 0 : offset;
        *end = inside ? characterCount() : offset;
        return {};
    }

private:
    SummaryBox *box() const { return static_cast<SummaryBox *>(widget()); }
};

QAccessibleInterface *factory(const QString &, QObject *object) {
    if (auto *summary = qobject_cast<SummaryBox *>(object))
        return new SummaryAccessible(summary);
    if (auto *combo = qobject_cast<QComboBox *>(object); combo && combo->isEditable())
        return new CategoryAccessible(combo);
    if (auto *picture = qobject_cast<PictureBox *>(object)) {
        if (picture->isClickable())
            return new LinkAccessible(picture);
        return new QAccessibleWidget(picture, QAccessible::Graphic);
    }
    if (qobject_cast<ClickableLabel *>(object))
        return new LinkAccessible(static_cast<QWidget *>(object));
    if (auto *about = qobject_cast<frmSplash *>(object))
        return new QAccessibleWidget(about, QAccessible::Dialog);
    return nullptr;
}

} // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace tallaby::ui
