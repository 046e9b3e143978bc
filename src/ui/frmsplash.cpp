#include "ui/frmsplash.h"

#include "identity.h"
#include "twips.h"
#include "ui/accessibility.h"
#include "ui/artwork.h"
#include "ui/filled.h"
#include "ui/systemcolors.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace tallaby::ui {

namespace {

inline constexpr TwipRect kClientArea{0, 0, 7380, 4245};
inline constexpr TwipRect kFrame1{150, 60, 7080, 4050};
// The fixed dialog frame around the client area, in pixels: an outline, a
// raised edge and a line of the face colour.
inline constexpr int kDialogFrame = 3;

struct LabelEntry {
    const char *name;
    TwipRect rect;
    qreal pointSize;
    bool bold;
    Qt::Alignment alignment;
    bool sizeFollowsText;
};

// The labels in Frame1, back to front.
// clang-format off
constexpr LabelEntry kLabels[] = {
    // name                 Left, Top, Width, Height       Arial pt  bold   alignment        size follows text
    {"lblWarning",        {2280, 3660, 2535, 195},         8.25,     false, Qt::AlignLeft,   false},
    {"lblCompany",        {4560, 3270, 2415, 255},         8.25,     false, Qt::AlignLeft,   false},
    {"lblCopyright",      {4560, 3060, 2415, 255},         8.25,     false, Qt::AlignLeft,   false},
    {"lblVersion",        {4410, 2700, 1275, 285},         12,       true,  Qt::AlignRight,  true},
    {"lblProductName",    {1920, 1200, 4965, 615},         26.25,    true,  Qt::AlignLeft,   true},
    {"lblCompanyProduct", {2400, 600, 4095, 330},          14.25,    true,  Qt::AlignLeft,   true},
};
// clang-format on
inline constexpr TwipRect kLogo{360, 795, 1815, 2385};
inline constexpr TwipRect kCloseButton{480, 3480, 1335, 375};

QString captionOf(const QString &name) {
    if (name == QLatin1String("lblCompanyProduct"))
        return QStringLiteral("Please visit: ") + makerSiteName();
    if (name == QLatin1String("lblProductName"))
        return QString::fromLatin1(kProductName);
    if (name == QLatin1String("lblVersion"))
        return QStringLiteral("Version ") + QLatin1String(kVersion);
    if (name == QLatin1String("lblCopyright"))
        return copyrightNotice();
    if (name == QLatin1String("lblCompany"))
        return QStringLiteral("Company: ") + QLatin1String(kMaker);
    return {};
}

} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Tool windows normally don't keep the program running; this one must,
    // once the main window has been closed under it.
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(kClientArea.toPixels().size() + QSize(2 * kDialogFrame, 2 * kDialogFrame));
    // No caption, as designed; a screen reader still needs to know what this is.
    setAccessibleName(QStringLiteral("About Tallaby"));
    // Shown where a title bar or a task list names the window.
    setWindowTitle(accessibleName());
    installAccessibility();
    createUi();
    applyScheme(this);

    if (const QScreen *where = screen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                 where->availableGeometry())
                 .topLeft());
}

void frmSplash::createUi() {
    auto *frame = new Filled<QGroupBox>(this);
    frame->setFill(SystemColor::ButtonFace);
    m_frame = frame;
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setGeometry(kFrame1.toPixels().translated(kDialogFrame, kDialogFrame));
    m_frame->installEventFilter(this);

    for (const LabelEntry &entry : kLabels) {
        auto *label = new QLabel(captionOf(QLatin1String(entry.name)), m_frame);
        label->setObjectName(QLatin1String(entry.name));
        label->setTextFormat(Qt::PlainText);
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(entry.pointSize);
        font.setBold(entry.bold);
        label->setFont(font);
        label->setAlignment(entry.alignment | Qt::AlignTop);
        label->setGeometry(entry.rect.toPixels());
        if (entry.sizeFollowsText)
            label->resize(label->sizeHint());
        setPaint(label, label->objectName() == QLatin1String("lblProductName") ? Paint::ProductName
                                                                               : Paint::Caption);
    }

    // The emblem is drawn already stretched to its box, so nothing scales it here.
    auto *logo = new QLabel(m_frame);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setGeometry(kLogo.toPixels());
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    logo->setPixmap(artwork(QStringLiteral("about-emblem.png"), devicePixelRatioF()));
    logo->setAccessibleName(QStringLiteral("Tallaby emblem"));

    m_close = new QPushButton(QStringLiteral("Close"), m_frame);
    m_close->setObjectName(QStringLiteral("Command1"));
    m_close->setGeometry(kCloseButton.toPixels());
    m_close->setAutoDefault(false);
    m_close->setDefault(false);
    m_close->installEventFilter(this);
    connect(m_close, &QPushButton::clicked, this, &frmSplash::Command1_Click);
    setFocusProxy(m_close);
    m_close->setFocus();

    // Labels swallow their clicks so that only the frame's empty part closes.
    for (QLabel *label : m_frame->findChildren<QLabel *>())
        label->installEventFilter(this);
}

void frmSplash::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), systemColor(SystemColor::ButtonFace, QGuiApplication::palette()));
    drawDialogFrame(painter, rect());
}

void frmSplash::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyScheme(this);
}

bool frmSplash::typesACharacter(const QKeyEvent &event) {
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete)
        return false;
    if (modifiers.testFlag(Qt::AltModifier) || modifiers.testFlag(Qt::MetaModifier))
        return false;
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return true;
    default:
        break;
    }
    // Some platforms give Ctrl+letter no text of its own.
    if (modifiers.testFlag(Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return true;
    const QString text = event.text();
    return !text.isEmpty() && !text.front().isNull();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        // Every key is seen here before the focused button handles it.
        if (typesACharacter(*static_cast<QKeyEvent *>(event))) {
            Form_KeyPress();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched == m_frame) {
            m_framePressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
            return true;
        }
        if (qobject_cast<QLabel *>(watched))
            return true;
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_frame) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const bool click = m_framePressed && mouse->button() == Qt::LeftButton &&
                               m_frame->rect().contains(mouse->position().toPoint());
            m_framePressed = false;
            if (click)
                Frame1_Click();
            return true;
        }
        if (qobject_cast<QLabel *>(watched))
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::keyPressEvent(QKeyEvent *event) {
    if (typesACharacter(*event)) {
        Form_KeyPress();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmSplash::Command1_Click() {
    unload();
}
void frmSplash::Form_KeyPress() {
    unload();
}
void frmSplash::Frame1_Click() {
    unload();
}

void frmSplash::unload() {
    close();
}

} // namespace tallaby::ui
