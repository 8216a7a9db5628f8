#include "TCSchaltpunkt.h"

#include "Artwork.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kGrabReach = 8; // a press closer than this to an arrow moves that point

QSize logicalSize(const QPixmap& pm) {
    return pm.deviceIndependentSize().toSize();
}

// Whole pixels, truncated toward zero; far-off values are kept in a range an int can hold.
int toPixel(double x) {
    if (!std::isfinite(x))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(x, -1.0e6, 1.0e6)));
}
} // namespace

TCSchaltpunkt::TCSchaltpunkt(QWidget* parent) : TCSchaltpunkt(Values{}, parent) {}

TCSchaltpunkt::TCSchaltpunkt(const Values& initial, QWidget* parent) : QWidget(parent) {
    init(initial);
}

TCSchaltpunkt::~TCSchaltpunkt() {
    // The fields live in our parent, so they would outlive us without this. Unhooked first: a
    // field that loses the focus while it goes must not report a value from a dying component.
    for (QLineEdit* field : {m_edit1.data(), m_edit2.data()}) {
        if (field) {
            field->removeEventFilter(this);
            delete field;
        }
    }
}

void TCSchaltpunkt::init(const Values& v) {
    m_constructing = true;
    m_arrowUp = Artwork::bitmap(QStringLiteral("PFEIL_UP"));
    m_arrowDown = Artwork::bitmap(QStringLiteral("PFEIL_DOWN"));
    m_font1 = font();
    m_font2 = font();
    m_pen = QPen(Qt::black, 1);
    m_start = v.Start;
    m_stopp = v.Stopp;
    m_marginLeft = v.MarginLeft;
    m_marginRight = v.MarginRight;
    m_sp1 = v.SP1;
    m_sp2 = v.SP2;
    m_step = v.Step;
    m_digits = v.Dezimalstellen;
    m_normOpen = v.norm_open;
    m_analog = v.analog;
    m_window = v.Schaltfenster || v.analog;
    m_text = v.Beschriftung;
    m_unit = v.Einheit;
    resize(200, 20);
    ensureFields();
    updateFields();
    updateFieldVisibility();
    m_constructing = false;
}

// ---- validation ------------------------------------------------------------------------------

double TCSchaltpunkt::clampToScale(double v) const {
    if (std::isnan(v) || v < m_start)
        return m_start;
    if (v >= m_stopp)
        return m_stopp;
    return v;
}

// Nearest multiple of Step, halves upwards. A multiple that falls outside the scale (a scale end
// that is no multiple of Step) is replaced by the nearest multiple inside it.
double TCSchaltpunkt::snap(double v) const {
    const double step = m_step;
    if (!(step > 0.0) || !std::isfinite(step))
        return v;
    double r = std::floor(v / step + 0.5) * step;
    if (static_cast<float>(r) > m_stopp)
        r -= step;
    if (static_cast<float>(r) < m_start)
        r += step;
    if (static_cast<float>(r) > m_stopp || static_cast<float>(r) < m_start)
        r = v; // Step wider than the scale: no multiple fits, keep the clamped value
    return r;
}

float TCSchaltpunkt::CheckPos1Value(float value) {
    const double v = clampToScale(value);
    if (m_window && v >= m_sp2 && !m_analog)
        m_sp2 = static_cast<float>(snap(v)); // the upper point is pushed along, silently
    return static_cast<float>(snap(v));
}

float TCSchaltpunkt::CheckPos2Value(float value) {
    const double v = clampToScale(value);
    if (v <= m_sp1 && !m_analog)
        m_sp1 = static_cast<float>(snap(v)); // also outside window mode: SP2 never below SP1
    return static_cast<float>(snap(v));
}

// ---- setters ---------------------------------------------------------------------------------

void TCSchaltpunkt::SetPos1Value(float v) {
    m_sp1 = m_constructing ? v : CheckPos1Value(v);
    updateFields();
    update();
    emit OnChangeSP1(this);
}

void TCSchaltpunkt::SetPos2Value(float v) {
    m_sp2 = m_constructing ? v : CheckPos2Value(v);
    updateFields();
    update();
    emit OnChangeSP2(this);
}

void TCSchaltpunkt::SetStartValue(float v) {
    m_start = v;
    scaleChanged();
}

void TCSchaltpunkt::SetStoppValue(float v) {
    m_stopp = v;
    scaleChanged();
}

// Both points are brought back onto the new scale, silently: the owner set the scale itself.
void TCSchaltpunkt::scaleChanged() {
    if (!m_constructing) {
        m_sp1 = CheckPos1Value(m_sp1);
        m_sp2 = CheckPos2Value(m_sp2);
    }
    updateFields();
    update();
}

void TCSchaltpunkt::SetStepValue(float v) {
    m_step = v;
}

void TCSchaltpunkt::SetMarginleftValue(int n) {
    m_marginLeft = n < 1 ? 0 : n;
    updateFields();
    update();
}

void TCSchaltpunkt::SetMarginrightValue(int n) {
    m_marginRight = n < 1 ? 0 : n;
    updateFields();
    update();
}

void TCSchaltpunkt::SetDigits(unsigned n) {
    m_digits = n;
    updateFields();
}

void TCSchaltpunkt::SetNormOpen(bool b) {
    m_normOpen = b;
    updateFields();
    update();
}

void TCSchaltpunkt::SetUnit(const QString& unit) {
    m_unit = unit;
    updateFields();
}

void TCSchaltpunkt::SetText(bool b) {
    m_text = b;
    updateFieldVisibility();
    updateFields();
}

void TCSchaltpunkt::SetVisible(bool b) {
    m_visible = b;
    if (!b)
        m_dragging = false;
    updateFieldVisibility();
    update();
}

void TCSchaltpunkt::SetIsAnalog(bool b) {
    m_analog = b;
    if (b && !m_window)
        SetWindow(true);
    updateFields();
    update();
}

void TCSchaltpunkt::SetWindow(bool b) {
    m_window = b || m_analog;
    if (m_window) {
        ensureFields();
        updateFieldVisibility();
        if (m_sp1 > m_sp2) {
            const float oldSp1 = m_sp1;
            const float oldSp2 = m_sp2;
            SetPos2Value(oldSp1);
            SetPos1Value(oldSp2);
        }
    } else if (m_edit2) {
        // Deleted later: this may run from a handler of the field's own key or focus event.
        m_edit2->removeEventFilter(this);
        m_edit2->hide();
        m_edit2->deleteLater();
        m_edit2 = nullptr;
    }
    updateFields();
    update();
}

void TCSchaltpunkt::SetFont_1(const QFont& font) {
    m_font1 = font;
    if (m_edit1)
        m_edit1->setFont(font);
    updateFields();
}

void TCSchaltpunkt::SetFont_2(const QFont& font) {
    m_font2 = font;
    if (m_edit2)
        m_edit2->setFont(font);
    updateFields();
}

void TCSchaltpunkt::SetPen(const QPen& pen) {
    m_pen = pen;
    update();
}

void TCSchaltpunkt::SetColor(const QColor& color) {
    m_color = color;
    update();
}

// ---- edit fields -----------------------------------------------------------------------------

double TCSchaltpunkt::parseLenient(const QString& text) {
    // Digits beyond what a double can tell apart change nothing, so they are not accumulated:
    // that keeps absurdly long input finite.
    constexpr int kMaxDigits = 17;
    double integer = 0.0;
    double fraction = 0.0;
    int decimals = 0;
    int integerDigits = 0;
    bool separator = false;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            const int digit = c.unicode() - '0';
            if (separator) {
                if (decimals < kMaxDigits) {
                    fraction = fraction * 10.0 + digit;
                    ++decimals;
                }
            } else if (integerDigits < 300) {
                integer = integer * 10.0 + digit;
                if (integer > 0)
                    ++integerDigits;
            }
        } else if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            separator = true;
        }
    }
    return integer + fraction / std::pow(10.0, decimals);
}

QString TCSchaltpunkt::formatValue(float v) const {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // Seven significant digits first, so float noise never shows up in the decimals.
    const double shown = QString::number(static_cast<double>(v), 'g', 7).toDouble();
    return locale.toString(shown, 'f', static_cast<int>(std::min(m_digits, 30u))) + m_unit;
}

void TCSchaltpunkt::EditExit1() {
    if (!m_edit1)
        return;
    SetPos1Value(static_cast<float>(parseLenient(m_edit1->text())));
}

void TCSchaltpunkt::EditExit2() {
    if (!m_edit2)
        return;
    SetPos2Value(static_cast<float>(parseLenient(m_edit2->text())));
}

QLineEdit* TCSchaltpunkt::makeField(const QFont& font) {
    auto* field = new QLineEdit(parentWidget());
    field->setFont(font);
    field->setTextMargins(0, 0, 0, 0);
    field->setEnabled(isEnabled());
    field->installEventFilter(this);
    field->raise();
    return field;
}

void TCSchaltpunkt::ensureFields() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    if (!m_edit1)
        m_edit1 = makeField(m_font1);
    if (m_window && !m_edit2)
        m_edit2 = makeField(m_font2);
    for (QLineEdit* field : {m_edit1.data(), m_edit2.data()}) {
        if (field && field->parentWidget() != parent) {
            field->setParent(parent);
            field->raise();
        }
    }
}

QRect TCSchaltpunkt::fieldRect(const QString& text, bool first) const {
    const QFontMetrics fm(first ? m_font1 : m_font2);
    const int w = fm.horizontalAdvance(text) + 8;
    const int h = fm.height() + 4;
    const int halfArrow = logicalSize(m_arrowDown).width() / 2;
    const int x1 = pixelOf(m_sp1);
    const int x2 = pixelOf(m_sp2);
    const bool falling = m_analog && x1 > x2;
    const int at = first ? x1 : x2;
    // SP1 normally stands left of its arrow, SP2 right of it; a falling ramp swaps the sides.
    const bool leftOfArrow = first != falling;
    const int left = x() + (leftOfArrow ? at - halfArrow - w : at + halfArrow);
    const bool lower = first ? (m_normOpen != m_window) : (m_normOpen == m_analog);
    const int top = y() + height() / 2 - h / 2 - 1 + (lower ? 2 : 0);
    return QRect(left, top, w, h);
}

void TCSchaltpunkt::updateFields() {
    if (m_edit1) {
        const QString t1 = formatValue(m_sp1);
        m_edit1->setGeometry(fieldRect(t1, true));
        if (m_edit1->text() != t1)
            m_edit1->setText(t1);
    }
    if (m_edit2) {
        const QString t2 = formatValue(m_sp2);
        m_edit2->setGeometry(fieldRect(t2, false));
        if (m_edit2->text() != t2)
            m_edit2->setText(t2);
    }
}

void TCSchaltpunkt::updateFieldVisibility() {
    QWidget* parent = parentWidget();
    const bool show = m_text && m_visible && parent && isVisibleTo(parent);
    for (QLineEdit* field : {m_edit1.data(), m_edit2.data()})
        if (field)
            field->setVisible(show);
}

bool TCSchaltpunkt::eventFilter(QObject* watched, QEvent* event) {
    // A field its parent is destroying is no line edit any more by now: leave it alone.
    auto* field = qobject_cast<QLineEdit*>(watched);
    const bool first = field && field == m_edit1;
    if (!first && !(field && field == m_edit2))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            first ? EditExit1() : EditExit2();
    } else if (event->type() == QEvent::FocusOut) {
        // Switching to another program or opening a menu is no leaving of the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            first ? EditExit1() : EditExit2();
    }
    return QWidget::eventFilter(watched, event);
}

bool TCSchaltpunkt::event(QEvent* event) {
    const bool result = QWidget::event(event);
    switch (event->type()) {
    case QEvent::ParentChange:
        ensureFields();
        updateFields();
        updateFieldVisibility();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::LocaleChange:
        updateFields();
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        updateFieldVisibility();
        break;
    case QEvent::EnabledChange:
        for (QLineEdit* field : {m_edit1.data(), m_edit2.data()})
            if (field)
                field->setEnabled(isEnabled());
        break;
    default:
        break;
    }
    return result;
}

// ---- mouse -----------------------------------------------------------------------------------

double TCSchaltpunkt::mouseScale() const {
    const double span = static_cast<double>(m_stopp) - m_start;
    if (!(span > 0.0))
        return 0.0; // no scale to point at
    return (width() - m_marginLeft - m_marginRight) / span;
}

void TCSchaltpunkt::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_visible)
        return;
    m_windowDrag = false;
    const double sm = mouseScale();
    if (!(sm > 0.0) || !std::isfinite(sm))
        return;
    const int x = event->position().toPoint().x();
    const int p1 = toPixel((m_sp1 - m_start) * sm + m_marginLeft);
    if (p1 - kGrabReach < x && x < p1 + kGrabReach) {
        m_sp2Selected = false;
        SetPos1Value(x >= p1 ? m_sp1 + m_step : m_sp1 - m_step);
        m_dragging = true;
        return;
    }
    if (!m_window)
        return;
    const int p2 = toPixel((m_sp2 - m_start) * sm + m_marginLeft);
    if (p2 - kGrabReach < x && x < p2 + kGrabReach) {
        m_sp2Selected = true;
        SetPos2Value(x > p2 ? m_sp2 + m_step : m_sp2 - m_step);
        m_dragging = true;
        return;
    }
    if (p1 < x && x < p2) {
        m_dragging = true;
        m_windowDrag = true;
        m_anchorX = x;
        m_anchorSp1 = m_sp1;
        m_anchorSp2 = m_sp2;
    }
}

void TCSchaltpunkt::mouseMoveEvent(QMouseEvent* event) {
    if (!m_visible || !m_dragging)
        return;
    const double sm = mouseScale();
    if (!(sm > 0.0) || !std::isfinite(sm))
        return;
    const double x = event->position().toPoint().x();
    if (m_windowDrag) {
        SetPos1Value(static_cast<float>((x - m_anchorX) / sm + m_anchorSp1));
        SetPos2Value(static_cast<float>((x - m_anchorX) / sm + m_anchorSp2));
    } else if (m_sp2Selected) {
        SetPos2Value(static_cast<float>((x - m_marginLeft) / sm + m_start));
    } else {
        SetPos1Value(static_cast<float>((x - m_marginLeft) / sm + m_start));
    }
}

void TCSchaltpunkt::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

// ---- painting --------------------------------------------------------------------------------

int TCSchaltpunkt::pixelOf(float v) const {
    const double span = static_cast<double>(m_stopp) - m_start;
    if (!(span > 0.0))
        return m_marginLeft;
    const double sp = (width() - m_marginLeft - m_marginRight - 1) / span;
    return toPixel((v - m_start) * sp) + m_marginLeft;
}

void TCSchaltpunkt::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_color.isValid())
        p.fillRect(rect(), m_color); // otherwise the parent's background shows through
    if (!m_visible)
        return;
    const int w = width();
    const int h = height();
    const int x1 = pixelOf(m_sp1);
    const int x2 = pixelOf(m_sp2);
    const int arrowH = logicalSize(m_arrowUp).height();

    int yA = h / 2;
    int yB = h / 2;
    if (m_analog) {
        // each ramp end sits at the edge its arrow points to
        yA = m_normOpen ? h - arrowH / 2 : arrowH / 2;
        yB = m_normOpen ? arrowH / 2 : h - arrowH / 2;
    }
    const int levelA = m_normOpen ? 0 : h - 1;
    const int levelB = m_normOpen ? h - 1 : 0;
    const bool crossing = m_normOpen != m_analog;
    const QPixmap& arrow1 = crossing == m_window ? m_arrowUp : m_arrowDown;
    const QPixmap& arrow2 = m_normOpen == m_analog ? m_arrowUp : m_arrowDown;

    auto drawArrow = [&](const QPixmap& arrow, int x, int y) {
        const QSize s = logicalSize(arrow);
        p.drawPixmap(QRect(QPoint(x - s.width() / 2, y - s.height() / 2), s), arrow);
    };
    drawArrow(arrow1, x1, yA);

    p.setPen(m_pen);
    p.setBrush(Qt::NoBrush);
    if (!m_window) {
        const QPoint step[] = {{0, levelA}, {x1, levelA}, {x1, levelB}, {w - 1, levelB}};
        p.drawPolyline(step, 4);
        return;
    }
    drawArrow(arrow2, x2, yB);
    p.setPen(m_pen);
    if (!m_analog) {
        const QPoint box[] = {{0, levelB},  {x1, levelB}, {x1, levelA},
                              {x2, levelA}, {x2, levelB}, {w - 1, levelB}};
        p.drawPolyline(box, 6);
    } else if (x1 < x2) {
        const QPoint rising[] = {{0, levelB}, {x1, levelB}, {x2, levelA}, {w - 1, levelA}};
        p.drawPolyline(rising, 4);
    } else {
        const QPoint falling[] = {{0, levelA}, {x2, levelA}, {x1, levelB}, {w - 1, levelB}};
        p.drawPolyline(falling, 4);
    }
}
