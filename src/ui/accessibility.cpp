#include "ui/accessibility.h"

#include "identity.h"
#include "ui/clickablelabel.h"
#include "ui/frmsplash.h"
#include "ui/picturebox.h"
#include "ui/summarybox.h"
#include "worksheet/fields.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QHash>
#include <QLineEdit>
#include <QTimer>

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

// Qt's bridge to the AT-SPI bus has no invalid-entry state, and its line
// edits answer empty attribute runs, so a reader would drop their last
// character. Those two questions are answered here, the rest by the bridge.
const char *const kInvalidEntry = "tallabyInvalidEntry";
const char *const kBridgeConnection = "a11y"; // the bridge's own connection
const char *const kObjects = "/org/a11y/atspi/accessible";
const char *const kEvents = "org.a11y.atspi.Event.Object";

// As the bridge reports a state, with the invalid entry added.
QList<uint> busStates(const QAccessible::State &s, bool invalidEntry) {
    // clang-format off
    // AT-SPI's state numbers.
    enum : int {
        Active = 1, Busy = 3, Checked = 4, Collapsed = 5, Editable = 7, Enabled = 8,
        Expandable = 9, Expanded = 10, Focusable = 11, Focused = 12, Modal = 16, MultiLine = 17,
        MultiSelectable = 18, Pressed = 20, Resizable = 21, Selectable = 22, Selected = 23,
        Sensitive = 24, Showing = 25, Visible = 30, Indeterminate = 32, Animated = 35,
        InvalidEntry = 36, IsDefault = 39, Visited = 40, ReadOnly = 43
    };
    const bool shown = !s.invisible && !s.offscreen;
    const std::pair<bool, int> bits[] = {
        {s.active, Active}, {s.editable, Editable}, {!s.disabled, Enabled},
        {!s.disabled, Sensitive}, {s.selected, Selected}, {s.focused, Focused},
        {s.pressed, Pressed}, {s.checked, Checked}, {s.checkStateMixed, Indeterminate},
        {s.readOnly, ReadOnly}, {s.defaultButton, IsDefault}, {s.expandable, Expandable},
        {s.expanded, Expanded}, {s.collapsed, Collapsed}, {s.busy, Busy},
        {s.marqueed || s.animated, Animated}, {shown, Showing}, {shown, Visible},
        {s.sizeable, Resizable}, {s.focusable, Focusable},
        {s.selectable || s.extSelectable, Selectable}, {s.traversed, Visited},
        {s.multiSelectable, MultiSelectable}, {s.modal, Modal}, {s.multiLine, MultiLine},
        {invalidEntry, InvalidEntry}};
    // clang-format on
    quint64 set = 0;
    for (const auto &[on, bit] : bits)
        set |= quint64(on) << bit;
    return {uint(set), uint(set >> 32)};
}

QString pathOf(QAccessibleInterface *iface) {
    return QString::fromLatin1(kObjects) + u'/' + QString::number(QAccessible::uniqueId(iface));
}

// An object on the bus as events name their application: bus name and path.
struct BusObject {
    QString service;
    QDBusObjectPath path;
};
QDBusArgument &operator<<(QDBusArgument &out, const BusObject &object) {
    out.beginStructure();
    out << object.service << object.path;
    out.endStructure();
    return out;
}
const QDBusArgument &operator>>(const QDBusArgument &in, BusObject &object) {
    in.beginStructure();
    in >> object.service >> object.path;
    in.endStructure();
    return in;
}

void sendEvent(QAccessibleInterface *iface, const QString &member, const QString &kind, int detail,
               const QVariant &data) {
    QDBusConnection bus(QString::fromLatin1(kBridgeConnection));
    if (!bus.isConnected())
        return;
    static const QMetaType registered = qDBusRegisterMetaType<BusObject>();
    Q_UNUSED(registered);
    QDBusMessage event =
        QDBusMessage::createSignal(pathOf(iface), QString::fromLatin1(kEvents), member);
    const BusObject application{bus.baseService(),
                                QDBusObjectPath(QString::fromLatin1(kObjects) + "/root")};
    event << kind << detail << 0 << QVariant::fromValue(QDBusVariant(data))
          << QVariant::fromValue(application);
    bus.send(event);
}

class BusAnswers final : public QDBusVirtualObject {
public:
    explicit BusAnswers(QDBusVirtualObject *bridge)
        : QDBusVirtualObject(bridge)
        , m_bridge(bridge) {}

    QString introspect(const QString &path) const override { return m_bridge->introspect(path); }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        const QAccessible::Id id = message.path().section(u'/', -1).toUInt();
        QAccessibleInterface *iface = id ? QAccessible::accessibleInterface(id) : nullptr;
        if (!iface || !iface->isValid() || !iface->object())
            return m_bridge->handleMessage(message, connection);
        if (message.member() == QLatin1String("GetState") &&
            iface->object()->property(kInvalidEntry).toBool())
            return connection.send(
                message.createReply(QVariant::fromValue(busStates(iface->state(), true))));
        QAccessibleTextInterface *text = iface->textInterface();
        const int offset = message.arguments().value(0).toInt();
        int start = 0, end = 0;
        if (message.member() == QLatin1String("GetAttributeRun") && text && offset >= 0 &&
            offset <= text->characterCount() && text->attributes(offset, &start, &end).isEmpty() &&
            start == end) {
            QDBusMessage reply = message.createReply();
            reply << QVariant::fromValue(QMap<QString, QString>()) << 0 << text->characterCount();
            return connection.send(reply);
        }
        return m_bridge->handleMessage(message, connection);
    }

private:
    QDBusVirtualObject *m_bridge;
};

// Once the bridge is on the bus, stands in front of it.
void answerForInvalidEntries() {
    QDBusConnection bus(QString::fromLatin1(kBridgeConnection));
    const QString path = QString::fromLatin1(kObjects);
    auto *bridge = qobject_cast<QDBusVirtualObject *>(bus.objectRegisteredAt(path));
    if (!bridge || dynamic_cast<BusAnswers *>(bridge))
        return;
    qDBusRegisterMetaType<QMap<QString, QString>>();
    bus.unregisterObject(path);
    bus.registerVirtualObject(path, new BusAnswers(bridge), QDBusConnection::SubPath);
}

class BridgeWatch final : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override {
        // The bridge registers itself only after telling us.
        if (active)
            QTimer::singleShot(0, qApp, answerForInvalidEntries);
    }
};

} // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        static BridgeWatch watch;
        QAccessible::installActivationObserver(&watch);
        if (QAccessible::isActive())
            watch.accessibilityActiveChanged(true);
        return true;
    }();
    Q_UNUSED(installed);
}

void setInvalidEntry(QWidget *field, const QString &why) {
    const auto *edit = qobject_cast<QLineEdit *>(field);
    const bool invalid = !why.isEmpty() && edit && !edit->isReadOnly();
    const bool changed = invalid != field->property(kInvalidEntry).toBool();
    const bool described = field->accessibleDescription() != why;
    field->setProperty(kInvalidEntry, invalid ? QVariant(true) : QVariant());
    field->setAccessibleDescription(why);
    if (!QAccessible::isActive())
        return;
    // The bridge's own description event carries no text, so a reader would not say it.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(field);
    if (changed)
        sendEvent(iface, QStringLiteral("StateChanged"), QStringLiteral("invalid-entry"), invalid,
                  0);
    if (described)
        sendEvent(iface, QStringLiteral("PropertyChange"), QStringLiteral("accessible-description"),
                  0, why);
}

QString accessibleName(const QString &control) {
    static const QHash<QString, QString> names = [] {
        const QString maker = QLatin1String(kMaker);
        QHash<QString, QString> names = {
            {"inc1", "Your Income"},
            {"inc2", "Partners Income"},
            {"inc3", "Other Income"},
            {"wee", "Weekly"},
            {"mon", "Monthly"},
            {"total1", "Total Income"},
            {"week", "per"},
            {"tottake", "Total Income"},
            {"totex", "Total Expendature"},
            {"free", "Income - Expendature"},
            {"RichTextBox1", "Summary"},
            {"RichTextBox2", "Notes"},
            {"Picture1", maker + " logo"},
            {"Picture2", "Visit the " + maker + " web site"},
        };
        for (int row = 1; row <= worksheet::kExpenseRowCount; ++row) {
            names.insert(worksheet::fieldName(worksheet::expenseAmount(row)),
                         QStringLiteral("Expense %1 amount").arg(row));
            names.insert(QStringLiteral("Combo%1").arg(row),
                         QStringLiteral("Expense %1 category").arg(row));
        }
        return names;
    }();
    return names.value(control);
}

} // namespace tallaby::ui
