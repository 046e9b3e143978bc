#include "ui/systemcolors.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <qdrawutil.h>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QVariant>

namespace tallaby::ui {

namespace {

const char *const kPaint = "tallabyPaint";
const char *const kMarked = "tallabyMarked";
const char *const kFill = "tallabyFill";

struct ColorMapping {
    SystemColor color;
    QPalette::ColorRole role;
};

// The one place where the classic colours meet Qt's palette roles.
constexpr ColorMapping kMappings[] = {
    {SystemColor::ThreeDLight, QPalette::Midlight},
    {SystemColor::InfoBackground, QPalette::ToolTipBase},
    {SystemColor::InfoText, QPalette::ToolTipText},
    // A shade of its own between the face and the shadow, as window borders had.
    {SystemColor::ActiveBorder, QPalette::Mid},
    {SystemColor::InactiveCaptionText, QPalette::Dark},
    {SystemColor::Window, QPalette::Base},
    {SystemColor::WindowText, QPalette::Text},
    {SystemColor::ButtonFace, QPalette::Button},
    {SystemColor::ButtonText, QPalette::ButtonText},
    {SystemColor::Highlight, QPalette::Highlight},
};

// Frames whose back colour differs from the usual button face.
struct FrameFill {
    const char *name;
    SystemColor fill;
};
constexpr FrameFill kFrameFills[] = {
    {"Form1", SystemColor::InactiveCaptionText},
    {"Frame1", SystemColor::ThreeDLight},
    {"Frame2", SystemColor::ActiveBorder},
};

double luminance(const QColor &color) {
    const auto linear = [](float c) {
        return c <= 0.04045f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

bool isDark(const QPalette &palette) {
    return luminance(palette.color(QPalette::Window)) <
           luminance(palette.color(QPalette::WindowText));
}

// A dark scheme's info boxes are its window colour warmed by the info
// colour; a pale box would glare among them.
bool infoIsDarkened(const QPalette &palette) {
    const QColor tip = palette.color(QPalette::ToolTipBase);
    return isDark(palette) && luminance(tip) > luminance(palette.color(QPalette::Window)) + 0.3;
}

// `from` moved towards black or white, whichever gets there first, until it
// reaches `minimum` against every colour in `against`; the best it gets if
// it never does.
QColor reaching(const QColor &from, const QList<QColor> &against, double minimum) {
    // Asked again on every paint of every field, with a handful of answers.
    static QHash<QList<QRgb>, QRgb> known;
    QList<QRgb> key{from.rgb(), QRgb(minimum * 100)};
    for (const QColor &other : against)
        key << other.rgb();
    if (const auto it = known.constFind(key); it != known.cend())
        return QColor(*it);
    const auto worst = [&against](const QColor &c) {
        double ratio = 21;
        for (const QColor &other : against)
            ratio = std::min(ratio, contrastRatio(c, other));
        return ratio;
    };
    QColor best = from;
    double bestRatio = worst(from);
    constexpr int kSteps = 32;
    for (int step = 0; step <= kSteps && bestRatio < minimum; ++step) {
        for (const QColor extreme : {QColor(Qt::black), QColor(Qt::white)}) {
            const QColor c = blend(from, extreme, float(step) / kSteps);
            if (const double ratio = worst(c); ratio > bestRatio) {
                best = c;
                bestRatio = ratio;
            }
        }
    }
    if (known.size() > 1000) // a picture's many colours, or many schemes
        known.clear();
    known.insert(key, best.rgb());
    return best;
}

QColor appColor(SystemColor color) {
    return systemColor(color, QGuiApplication::palette());
}

// What lies around a control: the nearest fill of a frame or box behind it.
QColor fillBehind(const QWidget *widget) {
    for (const QWidget *w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (const QVariant fill = w->property(kFill); fill.isValid())
            return appColor(SystemColor(fill.toInt()));
        if (w->autoFillBackground())
            return w->palette().color(w->backgroundRole());
    }
    return QGuiApplication::palette().color(QPalette::Window);
}

// The edge of a field: at least 3:1 against its inside and what lies around it.
QColor edgeColour(const QPalette &palette, QList<QColor> around) {
    const QColor base = palette.color(QPalette::Base);
    around << base;
    return reaching(blend(palette.color(QPalette::Text), base, 0.55f), around, kGraphicContrast);
}

QColor tinted(const QColor &base) {
    return blend(base, QColor(220, 40, 40), 0.3f);
}

QColor markEdge(const QColor &tint, const QColor &around) {
    return reaching(QColor(200, 0, 0), {tint, around}, kGraphicContrast);
}

bool isMarked(const QWidget *widget) {
    return widget && widget->property(kMarked).toBool();
}

bool isTextArea(const QWidget *widget) {
    return qobject_cast<const QAbstractScrollArea *>(widget) &&
           widget->window()->windowType() != Qt::Popup;
}

void drawEdge(QPainter *painter, const QRect &rect, const QColor &colour, int width) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < width; ++i) {
        painter->setPen(colour);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(i, i, -i - 1, -i - 1));
    }
    painter->restore();
}

// A marked field's edge, and a corner flag as a sign that reads without colour.
void drawMarking(QPainter *painter, const QRect &rect, const QColor &colour) {
    drawEdge(painter, rect, colour, 1);
    constexpr int kFlag = 7;
    const QPoint corner = rect.topRight();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawPolygon(QPolygon(
        {corner + QPoint(-kFlag, 0), corner + QPoint(1, 0), corner + QPoint(1, kFlag + 1)}));
    painter->restore();
}

// Draws the edges of fields and option circles, the focus ring of every tab
// stop and the edge of a marked field over the platform style's own look.
class SchemeStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override {
        // Room for the edge and a focus ring of two pixels inside it.
        if (metric == PM_DefaultFrameWidth && isTextArea(widget))
            return 3;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, sub, widget);
        // The same room in a category box, whose text field would cover the ring.
        if (control == CC_ComboBox && sub == SC_ComboBoxEditField)
            rect.adjust(1, 1, 0, -1);
        return rect;
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        const QPalette &palette = option->palette;
        if (element == PE_FrameLineEdit && widget) {
            fieldEdge(option->rect, palette, widget, painter);
        } else if (element == PE_IndicatorRadioButton) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, true);
            // Wide enough that smoothing leaves its middle the full colour.
            const QColor around = widget ? fillBehind(widget) : palette.color(QPalette::Window);
            painter->setPen(
                QPen(edgeColour(palette, {palette.color(QPalette::Window), around}), 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(QRectF(option->rect).adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override {
        const bool focus = option->state.testFlag(State_HasFocus);
        const QPalette &palette = option->palette;
        if (element == CE_ShapedFrame && isTextArea(widget)) {
            painter->fillRect(option->rect, palette.color(QPalette::Base));
            fieldEdge(option->rect, palette, widget, painter);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_ShapedFrame && isMarked(widget))
            drawMarking(painter, option->rect,
                        markEdge(palette.color(widget->backgroundRole()), fillBehind(widget)));
        else if (element == CE_PushButton && focus) {
            // Inside the button's outline, on its shaded face.
            const QColor face = palette.color(QPalette::Button);
            drawFocusRing(*painter, option->rect.adjusted(1, 1, -1, -1),
                          focusColour(palette, {face, blend(face, Qt::white, 0.3f),
                                                blend(face, Qt::black, 0.3f)}));
        } else if (element == CE_RadioButton && focus)
            drawFocusRing(*painter, option->rect,
                          focusColour(palette, {palette.color(QPalette::Window),
                                                palette.color(QPalette::Base)}));
    }

private:
    // The edge of a line edit, category box or text area, then its marking or
    // its focus ring inside.
    static void fieldEdge(const QRect &rect, const QPalette &palette, const QWidget *widget,
                          QPainter *painter) {
        const QColor around = fillBehind(widget);
        const QColor base = palette.color(QPalette::Base);
        drawEdge(painter, rect, edgeColour(palette, {around}), 1);
        if (isMarked(widget))
            drawMarking(painter, rect, markEdge(base, around));
        // A category box's own text field holds the focus.
        const auto *combo = qobject_cast<const QComboBox *>(widget);
        if (widget->hasFocus() || (combo && combo->lineEdit() && combo->lineEdit()->hasFocus()))
            drawFocusRing(*painter, rect.adjusted(1, 1, -1, -1), focusColour(palette, {base}));
    }
};

void colour(QWidget *widget) {
    const QPalette &system = QGuiApplication::palette();
    const QVariant paint = widget->property(kPaint);
    const bool label = qobject_cast<QLabel *>(widget);
    const QPalette::ColorRole backRole = label ? QPalette::Window : widget->backgroundRole();
    const QPalette::ColorRole textRole = label ? QPalette::WindowText : QPalette::Text;
    QColor back = system.color(backRole);
    QColor text = system.color(textRole);
    bool filled = !label;
    switch (Paint(paint.isValid() ? paint.toInt() : -1)) {
    case Paint::Face:
        back = appColor(SystemColor::ButtonFace);
        filled = true;
        break;
    case Paint::Caption:
        back = appColor(SystemColor::ButtonFace);
        text = appColor(SystemColor::ButtonText);
        filled = false;
        break;
    case Paint::FaceCaption:
        back = appColor(SystemColor::ButtonFace);
        text = appColor(SystemColor::ButtonText);
        filled = true;
        break;
    case Paint::InfoCaption:
        back = appColor(SystemColor::InfoBackground);
        text = appColor(SystemColor::InfoText);
        filled = true;
        break;
    case Paint::WindowCaption:
        back = appColor(SystemColor::Window);
        text = appColor(SystemColor::WindowText);
        filled = true;
        break;
    case Paint::Result:
        // Greyed as a disabled control's text is, but readable.
        if (label)
            back = appColor(SystemColor::InfoBackground);
        text = system.color(QPalette::Disabled, textRole);
        filled = true;
        break;
    case Paint::ProductName:
        back = appColor(SystemColor::ButtonFace);
        text = readableOn(appColor(SystemColor::Highlight), back, kGraphicContrast);
        filled = false;
        break;
    }
    const bool marked = isMarked(widget);
    if (marked)
        back = tinted(back);
    // An empty palette: every other colour follows the application's.
    QPalette palette;
    if (paint.isValid() || marked) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, backRole, back);
        if (backRole != QPalette::Window)
            palette.setColor(QPalette::Window, back);
    }
    if (paint.isValid() && paint.toInt() != int(Paint::Face)) {
        const QColor readable =
            paint.toInt() == int(Paint::ProductName)
                ? text
                : readableOn(text, filled || marked ? back : fillBehind(widget));
        for (auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, textRole, readable);
    } else if (marked) {
        for (auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, textRole, readableOn(text, back));
    }
    widget->setPalette(palette);
    if (paint.isValid())
        widget->setAutoFillBackground(filled);
}

// The scheme a desktop asks for through GTK's theme name, where Qt does not
// read it: black on white, or white on black.
std::optional<bool> highContrastWanted() {
    const QString theme = qEnvironmentVariable("GTK_THEME").section(u':', 0, 0);
    if (theme == QLatin1String("HighContrast"))
        return qEnvironmentVariable("GTK_THEME").endsWith(QLatin1String(":dark"));
    if (theme == QLatin1String("HighContrastInverse"))
        return true;
    return std::nullopt;
}

QPalette highContrastPalette(bool inverse) {
    const QColor ink = inverse ? Qt::white : Qt::black;
    const QColor paper = inverse ? Qt::black : Qt::white;
    QPalette p(paper, paper);
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button,
                      QPalette::ToolTipBase, QPalette::Light, QPalette::Midlight, QPalette::Mid,
                      QPalette::Dark})
        p.setColor(role, paper);
    for (auto role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText,
          QPalette::BrightText, QPalette::Dark, QPalette::Shadow, QPalette::PlaceholderText})
        p.setColor(role, ink);
    p.setColor(QPalette::Highlight, inverse ? QColor(0xff, 0xd8, 0x00) : QColor(0x1a, 0x3d, 0x9c));
    p.setColor(QPalette::HighlightedText, paper);
    p.setColor(QPalette::Link, inverse ? QColor(0x7f, 0xdf, 0xff) : QColor(0x1a, 0x3d, 0x9c));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, blend(ink, paper, 0.4f));
    return p;
}

// The application's palette as our windows need it: selected text and
// highlighted menu items readable on the highlight, whose colour is kept.
QPalette schemePalette(const QPalette &current) {
    QPalette palette = current;
    if (const auto inverse = highContrastWanted()) {
        const QPalette contrast = highContrastPalette(*inverse);
        if (palette.color(QPalette::Window) != contrast.color(QPalette::Window) ||
            palette.color(QPalette::Highlight) != contrast.color(QPalette::Highlight))
            palette = contrast;
    }
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor highlight = palette.color(group, QPalette::Highlight);
        const QColor text = palette.color(group, QPalette::HighlightedText);
        if (contrastRatio(text, highlight) < kMinimumContrast)
            palette.setColor(group, QPalette::HighlightedText,
                             contrastRatio(Qt::black, highlight) >
                                     contrastRatio(Qt::white, highlight)
                                 ? Qt::black
                                 : Qt::white);
    }
    return palette;
}

} // namespace

QColor systemColor(SystemColor color, const QPalette &palette) {
    switch (color) {
    case SystemColor::InfoBackground:
        if (infoIsDarkened(palette))
            return blend(palette.color(QPalette::Window), palette.color(QPalette::ToolTipBase),
                         0.12f);
        break;
    case SystemColor::InfoText:
        if (infoIsDarkened(palette))
            return palette.color(QPalette::WindowText);
        break;
    case SystemColor::ActiveBorder: {
        // Light enough (or dark enough) for a frame's caption on it.
        const QColor mid = palette.color(QPalette::Mid);
        const QColor text = palette.color(QPalette::WindowText);
        const QColor window = palette.color(QPalette::Window);
        for (int step = 0; step <= 16; ++step) {
            const QColor shade = blend(mid, window, step / 16.0f);
            if (contrastRatio(text, shade) >= kMinimumContrast)
                return shade;
        }
        return window;
    }
    default:
        break;
    }
    for (const ColorMapping &m : kMappings) {
        if (m.color == color)
            return palette.color(QPalette::Active, m.role);
    }
    return {};
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor blend(const QColor &from, const QColor &to, float t) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
                            from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

QColor readableOn(const QColor &text, const QColor &background, double minimum) {
    if (contrastRatio(text, background) >= minimum)
        return text;
    const QColor extreme =
        contrastRatio(Qt::black, background) > contrastRatio(Qt::white, background) ? Qt::black
                                                                                    : Qt::white;
    constexpr int kSteps = 16;
    for (int step = 1; step < kSteps; ++step) {
        const QColor mixed = blend(text, extreme, float(step) / kSteps);
        if (contrastRatio(mixed, background) >= minimum)
            return mixed;
    }
    return extreme;
}

SystemColor fillOf(const QString &container) {
    for (const FrameFill &frame : kFrameFills) {
        if (container == QLatin1String(frame.name))
            return frame.fill;
    }
    return SystemColor::ButtonFace;
}

void setFillOf(QWidget *container, SystemColor fill) {
    container->setProperty(kFill, int(fill));
}

void setPaint(QWidget *widget, Paint paint) {
    widget->setProperty(kPaint, int(paint));
    colour(widget);
}

void setMarked(QWidget *field, bool marked) {
    if (isMarked(field) == marked)
        return;
    field->setProperty(kMarked, marked);
    colour(field);
}

void applyScheme(QWidget *window) {
    if (!dynamic_cast<SchemeStyle *>(QApplication::style()))
        QApplication::setStyle(new SchemeStyle(QApplication::style()->name()));
    // Setting it brings every window back here, the palette then as it stays.
    if (const QPalette wanted = schemePalette(QGuiApplication::palette());
        wanted != QGuiApplication::palette())
        QApplication::setPalette(wanted);
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->property(kPaint).isValid() || isMarked(widget))
            colour(widget);
    }
}

QColor focusColour(const QPalette &palette, const QList<QColor> &covered) {
    return reaching(palette.color(QPalette::Highlight), covered, kGraphicContrast);
}

void drawFocusRing(QPainter &painter, const QRect &rect, const QColor &colour) {
    drawEdge(&painter, rect, colour, 2);
}

void drawDialogFrame(QPainter &painter, const QRect &rect) {
    const QPalette &system = QGuiApplication::palette();
    const QColor face = systemColor(SystemColor::ButtonFace, system);
    drawEdge(&painter, rect,
             reaching(system.color(QPalette::Shadow), {face, system.color(QPalette::Light)},
                      kGraphicContrast),
             1);
    qDrawShadePanel(&painter, rect.adjusted(1, 1, -1, -1), system, false, 1);
}

QColor summaryText(const QPalette &palette) {
    return readableOn(palette.color(QPalette::Text), palette.color(QPalette::Base));
}

QColor readingBand(const QPalette &palette) {
    QColor band = palette.color(QPalette::Highlight);
    band.setAlpha(48);
    return band;
}

} // namespace tallaby::ui
