#include "TCGraphic.h"

#include "Artwork.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
constexpr int kLeft = 40;
constexpr int kTop = 32;
constexpr int kRightGap = 12;
constexpr int kBottomGap = 5;
constexpr int kLevelReach = 5;    // a level line can be grabbed within +-5 pixels
constexpr int kTimeStripTop = 24; // the time scroll thumb lives in 24 < y < 32
constexpr int kValueStrip = 8;    // the value scroll thumb lives in the last 8 columns
constexpr int kTick = 5;

struct ButtonSpec {
    const char* bitmap;
    const char* hint;
    int width;
};
// The hints follow the program's language (German source texts, English translations).
constexpr ButtonSpec kButtons[] = {
    {"MARKER", QT_TRANSLATE_NOOP("TCGraphic", "Pegel verschieben"), 19},
    {"ZOOM_IN_Y", QT_TRANSLATE_NOOP("TCGraphic", "Y vergrößern"), 19},
    {"ZOOM_OUT_Y", QT_TRANSLATE_NOOP("TCGraphic", "Y verkleinern"), 19},
    {"ZOOM_IN_X", QT_TRANSLATE_NOOP("TCGraphic", "X vergrößern"), 19},
    {"ZOOM_OUT_X", QT_TRANSLATE_NOOP("TCGraphic", "X verkleinern"), 19},
    {"ALL", QT_TRANSLATE_NOOP("TCGraphic", "ganzer Bereich"), 19},
    {"SAVE", QT_TRANSLATE_NOOP("TCGraphic", "Daten speichern"), 32},
};

// Whole pixels, truncated toward zero; values far outside any screen are held in int range.
int toPixel(double x) {
    if (std::isnan(x))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(x, -1.0e7, 1.0e7)));
}

std::size_t elementSize(TDataKind kind) {
    switch (kind) {
    case TDataKind::Char:
        return 1;
    case TDataKind::Short:
        return 2;
    default:
        return 4;
    }
}

template <typename T> double readAs(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<double>(v);
}
} // namespace

struct TCGraphic::Geometry {
    int left = kLeft;
    int top = kTop;
    int right = 0;
    int bottom = 0;
    // Value to row: viewYmin at the bottom, viewYmax at the top.
    double yMin = 0;
    double ySpan = 0;
    int row(double v) const { return valueRow(v, bottom, top, yMin, ySpan); }
    // Multiplied before dividing: a scale taken first can put a value on the top of the view a
    // hair above the top row, and truncation then moves it up a row.
    static int valueRow(double v, int bottom, int top, double yMin, double ySpan) {
        return ySpan != 0.0 ? toPixel(bottom - (v - yMin) * (bottom - top) / ySpan) : bottom;
    }
};

TCGraphic::TCGraphic(QWidget* parent) : TCGraphic(Values{}, parent) {}

TCGraphic::TCGraphic(const Values& initial, QWidget* parent) : QWidget(parent) {
    // paintEvent covers every pixel it is asked for, so nothing behind the plot needs painting
    // when new samples arrive.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_ymin = initial.Ymin;
    m_ymax = initial.Ymax;
    m_anzahl = initial.Anzahl;
    m_maxZoom = initial.MaxZoom;
    m_datentyp = initial.Datentyp;
    m_drawLevel = initial.DrawLevel;
    m_viewYmin = m_ymin;
    m_viewYmax = m_ymax;
    m_viewStart = 0;
    m_viewEnd = m_anzahl;
    init();
}

TCGraphic::~TCGraphic() = default;

void TCGraphic::init() {
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted here
    setMouseTracking(true);                // hover cursors over thumbs and level lines
    setFocusPolicy(Qt::TabFocus);
    resize(200, 200);
    m_pen = QPen(Qt::black, 1);
    m_zoomCursors[0] = Artwork::cursor(QStringLiteral("ZOOMINX"));
    m_zoomCursors[1] = Artwork::cursor(QStringLiteral("ZOOMINY"));
    m_zoomCursors[2] = Artwork::cursor(QStringLiteral("ZOOMOUTX"));
    m_zoomCursors[3] = Artwork::cursor(QStringLiteral("ZOOMOUTY"));

    void (TCGraphic::*const actions[])() = {&TCGraphic::ClickArrow,    &TCGraphic::ClickZoomInY,
                                            &TCGraphic::ClickZoomOutY, &TCGraphic::ClickZoomIn,
                                            &TCGraphic::ClickZoomOut,  &TCGraphic::ClickAll,
                                            &TCGraphic::ClickSave};
    int x = kLeft;
    for (int i = 0; i < 7; ++i) {
        auto* b = new QToolButton(this);
        const QPixmap glyph = Artwork::bitmap(QString::fromLatin1(kButtons[i].bitmap));
        b->setIcon(QIcon(glyph));
        b->setIconSize(glyph.deviceIndependentSize().toSize());
        b->setGeometry(x, 1, kButtons[i].width, 19);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QToolButton::clicked, this, actions[i]);
        m_buttons[i] = b;
        x += kButtons[i].width;
    }
    retranslateHints();
    setCursor(Qt::ArrowCursor);
}

QToolButton* TCGraphic::button(int index) const {
    return index >= 0 && index < 7 ? m_buttons[index] : nullptr;
}

// ---- properties ------------------------------------------------------------------------------

void TCGraphic::SetPen(const QPen& pen) {
    m_pen = pen;
    update();
}

void TCGraphic::SetColor(const QColor& color) {
    m_color = color;
    update();
}

void TCGraphic::SetYmax(int v) {
    m_ymax = v;
    m_viewYmax = v;
    update();
}

void TCGraphic::SetYmin(int v) {
    m_ymin = v;
    m_viewYmin = v;
    update();
}

void TCGraphic::SetAnzahl(int n) {
    m_anzahl = n;
    m_viewStart = 0;
    m_viewEnd = n;
    update();
}

void TCGraphic::SetDrawLevel(bool b) {
    m_drawLevel = b;
    NewDraw();
}

void TCGraphic::SetSchaltpunkt(const TLevel& levels) {
    m_levels = levels;
    NewDraw();
}

QRect TCGraphic::plotRect() const {
    return QRect(QPoint(kLeft, kTop), QPoint(width() - kRightGap, height() - kBottomGap));
}

// The part NewDraw repaints: one column right of the value axis up to the right end, from one
// row above the plot top down to (not including) the time axis.
static QRect plotFillRect(const QRect& plot) {
    return QRect(QPoint(plot.left() + 1, plot.top() - 1), QPoint(plot.right(), plot.bottom() - 1));
}

void TCGraphic::NewDraw() {
    update(plotFillRect(plotRect()));
}

void TCGraphic::Paint() {
    update();
}

// ---- click operations ------------------------------------------------------------------------

void TCGraphic::setMode(MouseMode mode) {
    m_mode = mode;
    setCursor(modeCursor());
}

QCursor TCGraphic::modeCursor() const {
    if (m_mode == MoveLevel)
        return QCursor(Qt::ArrowCursor);
    return m_zoomCursors[m_mode - 1];
}

void TCGraphic::ClickArrow() {
    setMode(MoveLevel);
}
void TCGraphic::ClickZoomIn() {
    setMode(ZoomInX);
}
void TCGraphic::ClickZoomInY() {
    setMode(ZoomInY);
}
void TCGraphic::ClickZoomOut() {
    setMode(ZoomOutX);
}
void TCGraphic::ClickZoomOutY() {
    setMode(ZoomOutY);
}

void TCGraphic::ClickAll() {
    m_viewStart = 0;
    m_viewEnd = m_anzahl;
    m_viewYmin = m_ymin;
    m_viewYmax = m_ymax;
    update();
}

void TCGraphic::ClickFullY() {
    m_viewYmin = m_ymin;
    m_viewYmax = m_ymax;
    update();
}

void TCGraphic::ClickSave() {
    emit OnSave(this);
}

void TCGraphic::ClickToStart() {
    m_viewEnd -= m_viewStart;
    m_viewStart = 0;
    update();
}

void TCGraphic::ClickToEnd() {
    const int w = m_viewEnd - m_viewStart;
    m_viewStart = m_anzahl - w;
    m_viewEnd = m_anzahl;
    update();
}

void TCGraphic::ClickFRew() {
    const int w = m_viewEnd - m_viewStart;
    m_viewStart = std::max(m_viewStart - w, 0);
    m_viewEnd = m_viewStart + w;
    update();
}

void TCGraphic::ClickFFor() {
    const int w = m_viewEnd - m_viewStart;
    m_viewEnd = std::min(m_viewEnd + w, m_anzahl);
    m_viewStart = m_viewEnd - w;
    update();
}

void TCGraphic::ClickAutoY() {
    if (m_viewYmax - m_viewYmin > m_maxZoom) {
        const int inward = (m_ymax - m_ymin) / 10;
        m_viewYmin += inward;
        m_viewYmax -= inward;
    }
    const int span = m_viewYmax - m_viewYmin;
    if (span < m_maxZoom) {
        int lo = m_viewYmin - (m_maxZoom - span) / 2;
        lo = std::max(lo, m_ymin);
        lo = std::min(lo, m_ymax - m_maxZoom);
        m_viewYmin = lo;
        m_viewYmax = lo + m_maxZoom;
    }
    update();
}

// ---- zoom at the pointer ---------------------------------------------------------------------

void TCGraphic::zoomTime(int x, bool in) {
    double w = m_viewEnd - m_viewStart;
    const double centre = (x - 33.0) / (width() - 52.0) * w + m_viewStart;
    if (in) {
        w = std::max(w / 2.0, static_cast<double>(m_maxZoom));
    } else {
        w *= 2.0;
        if (w > m_anzahl) {
            m_viewStart = 0;
            m_viewEnd = m_anzahl;
            update();
            return;
        }
    }
    int start = toPixel(centre - w / 2.0);
    int end = toPixel(start + w);
    // Near an end the view is shifted back into the series rather than cut short, so it keeps
    // its width (never fewer than MaxZoom samples).
    const int kept = end - start;
    if (start < 0) {
        start = 0;
        end = std::min(kept, m_anzahl);
    }
    if (end > m_anzahl) {
        end = m_anzahl;
        start = std::max(end - kept, 0);
    }
    m_viewStart = start;
    m_viewEnd = end;
    update();
}

void TCGraphic::zoomValue(int y, bool in) {
    double h = m_viewYmax - m_viewYmin;
    const double centre = m_viewYmax - (y - 25.0) / (height() - 37.0) * h;
    int lo = 0;
    if (in) {
        h = std::max(h / 2.0, static_cast<double>(m_maxZoom));
        lo = std::max(toPixel(centre - h / 2.0), m_ymin);
        // limited by the smallest span, not the new one: near the top the view may reach
        // beyond Ymax until "fullscale"
        lo = std::min(lo, m_ymax - m_maxZoom);
    } else {
        h = std::min(h * 2.0, static_cast<double>(m_ymax - m_ymin));
        lo = std::max(toPixel(centre - h / 2.0), m_ymin);
        lo = std::min(lo, toPixel(m_ymax - h));
    }
    m_viewYmin = lo;
    m_viewYmax = toPixel(lo + h);
    update();
}

// ---- mouse -----------------------------------------------------------------------------------

int TCGraphic::levelAt(int y) const {
    const QRect plot = plotRect();
    const double span = m_viewYmax - m_viewYmin;
    for (int k = 1; k <= TLevel::kCount; ++k) {
        if (m_levels.LAnz() < k)
            break;
        const int row = Geometry::valueRow(m_levels.L(k), plot.bottom(), plot.top(), m_viewYmin, span);
        if (row - kLevelReach < y && y < row + kLevelReach)
            return k;
    }
    return 0;
}

// Thumb rows/columns, the same for drawing and for hitting them.
static void valueThumbRows(int bottom, double s, int viewYmin, int viewYmax, int ymin, int* lower,
                           int* upper) {
    *lower = toPixel(bottom - (viewYmin - ymin) * s);
    *upper = toPixel(bottom - (viewYmax - ymin) * s);
}

bool TCGraphic::overValueThumb(int x, int y) const {
    if (x <= width() - kValueStrip || m_ymax == m_ymin)
        return false;
    const QRect plot = plotRect();
    int lower = 0;
    int upper = 0;
    valueThumbRows(plot.bottom(), double(plot.bottom() - plot.top()) / (m_ymax - m_ymin), m_viewYmin,
                   m_viewYmax, m_ymin, &lower, &upper);
    return upper < y && y < lower;
}

bool TCGraphic::overTimeThumb(int x, int y) const {
    if (!(kTimeStripTop < y && y < kTop) || m_anzahl <= 0)
        return false;
    const QRect plot = plotRect();
    const double t = double(plot.right() - plot.left()) / m_anzahl;
    return kLeft + m_viewStart * t < x && x < kLeft + m_viewEnd * t;
}

void TCGraphic::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    m_dragTime = m_dragValue = m_dragLevel = false;
    if (m_drawLevel && pos.y() > kTop) {
        if (const int k = levelAt(pos.y())) {
            m_selected = k;
            m_dragLevel = true;
        }
    }
    if (pos.x() > width() - kValueStrip) {
        m_dragValue = overValueThumb(pos.x(), pos.y());
        m_anchorPos = pos.y();
        m_anchorView = m_viewYmin;
        return;
    }
    if (kTimeStripTop < pos.y() && pos.y() < kTop) {
        m_dragTime = overTimeThumb(pos.x(), pos.y());
        m_anchorPos = pos.x();
        m_anchorView = m_viewStart;
        return;
    }
    switch (m_mode) {
    case ZoomInX:
        zoomTime(pos.x(), true);
        break;
    case ZoomOutX:
        zoomTime(pos.x(), false);
        break;
    case ZoomInY:
        zoomValue(pos.y(), true);
        break;
    case ZoomOutY:
        zoomValue(pos.y(), false);
        break;
    case MoveLevel:
        break;
    }
}

void TCGraphic::dragLevelTo(int y) {
    const QRect plot = plotRect();
    const int k = m_selected;
    const double rows = plot.bottom() - plot.top();
    const double v = m_viewYmin + (plot.bottom() - y) * (m_viewYmax - m_viewYmin) / (rows != 0 ? rows : 1.0);
    m_levels.SetL(k, static_cast<float>(v));
    if (m_levels.L(k) > m_viewYmax)
        m_levels.SetL(k, static_cast<float>(m_viewYmax));
    if (m_levels.L(k) < m_viewYmin)
        m_levels.SetL(k, static_cast<float>(m_viewYmin));
    NewDraw();
    emit OnChangeLevel(this);
}

void TCGraphic::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QRect plot = plotRect();
    if (m_dragTime && m_anzahl > 0) {
        const double t = double(plot.right() - plot.left()) / m_anzahl;
        const int w = m_viewEnd - m_viewStart;
        m_viewStart = std::max(toPixel(m_anchorView + (pos.x() - m_anchorPos) / t), 0);
        m_viewEnd = m_viewStart + w;
        if (m_viewEnd > m_anzahl) {
            m_viewEnd = m_anzahl;
            m_viewStart = m_viewEnd - w;
        }
        update();
    } else if (m_dragValue && m_ymax != m_ymin) {
        const double s = double(plot.bottom() - plot.top()) / (m_ymax - m_ymin);
        const int h = m_viewYmax - m_viewYmin;
        m_viewYmin = std::max(toPixel(m_anchorView - (pos.y() - m_anchorPos) / s), m_ymin);
        m_viewYmax = m_viewYmin + h;
        if (m_viewYmax > m_ymax) {
            m_viewYmax = m_ymax;
            m_viewYmin = m_ymax - h;
        }
        update();
    } else if (m_dragLevel) {
        dragLevelTo(pos.y());
    } else {
        QCursor c = modeCursor();
        if (overValueThumb(pos.x(), pos.y()) || overTimeThumb(pos.x(), pos.y()))
            c = QCursor(Qt::PointingHandCursor);
        else if (m_drawLevel && pos.y() > kTop && m_mode == MoveLevel)
            if (const int k = levelAt(pos.y()))
                c = m_levels.crL(k);
        setCursor(c);
    }
}

void TCGraphic::mouseReleaseEvent(QMouseEvent*) {
    m_dragTime = m_dragValue = m_dragLevel = false;
    setCursor(modeCursor());
}

// Paging by keyboard: the same steps as the page operations.
void TCGraphic::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Home:
        ClickToStart();
        break;
    case Qt::Key_End:
        ClickToEnd();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Left:
        ClickFRew();
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Right:
        ClickFFor();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

// ---- painting --------------------------------------------------------------------------------

void TCGraphic::retranslateHints() {
    for (int i = 0; i < 7; ++i)
        m_buttons[i]->setToolTip(tr(kButtons[i].hint));
}

void TCGraphic::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateHints();
    QWidget::changeEvent(event);
}

void TCGraphic::paintEvent(QPaintEvent* event) {
    const QRect plot = plotRect();
    Geometry g;
    g.right = plot.right();
    g.bottom = plot.bottom();
    g.yMin = m_viewYmin;
    g.ySpan = m_viewYmax - m_viewYmin;

    QPainter p(this);
    const bool plotOnly = plotFillRect(plot).contains(event->rect());
    if (!plotOnly)
        p.fillRect(rect(), Color());
    drawPlotArea(p, g);
    if (!plotOnly)
        drawFrame(p, g);
}

void TCGraphic::drawFrame(QPainter& p, const Geometry& g) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1));
    const QPoint axes[] = {{g.left, g.top}, {g.left, g.bottom}, {g.right, g.bottom}};
    p.drawPolyline(axes, 3);
    for (int i = 0; i <= 10; ++i) {
        const int y = g.bottom - i * (g.bottom - g.top) / 10;
        p.drawLine(g.left, y, g.left - (kTick - 1), y);
        const int x = g.left + i * (g.right - g.left) / 10;
        p.drawLine(x, g.bottom, x, g.bottom + (kTick - 1));
    }
    const QFontMetrics fm(font());
    const int th = fm.height();
    p.drawText(QRect(0, g.bottom - th, kLeft - 2, th), Qt::AlignRight | Qt::AlignTop,
               QString::number(m_viewYmin));
    p.drawText(QRect(0, g.top, kLeft - 2, th), Qt::AlignRight | Qt::AlignTop, QString::number(m_viewYmax));

    if (m_anzahl > 0) {
        const double t = double(g.right - g.left) / m_anzahl;
        const int x0 = toPixel(kLeft + m_viewStart * t);
        const int x1 = toPixel(kLeft + m_viewEnd * t);
        p.fillRect(QRect(QPoint(x0, kTimeStripTop), QPoint(x1 - 1, 27)), Qt::black);
    }
    if (m_ymax != m_ymin) {
        int lower = 0;
        int upper = 0;
        valueThumbRows(g.bottom, double(g.bottom - g.top) / (m_ymax - m_ymin), m_viewYmin, m_viewYmax, m_ymin,
                       &lower, &upper);
        p.fillRect(QRect(QPoint(width() - kValueStrip, upper), QPoint(width() - 5, lower - 1)), Qt::black);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        opt.rect = QRect(QPoint(g.left + 1, g.top - 1), QPoint(g.right, g.bottom - 1));
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
    }
}

// Fills out with the polyline of count + 1 samples read as a ring of T, from element first on.
template <typename T>
static int collectCurve(const unsigned char* start, long ringSize, long first, int count, double step,
                        const auto& g, QPoint* out) {
    auto at = [&](long i) {
        return std::clamp(g.row(readAs<T>(start + i * long(sizeof(T)))), g.top, g.bottom);
    };
    long i = first;
    out[0] = QPoint(g.left, at(i));
    for (int j = 0; j < count; ++j) {
        if (++i >= ringSize)
            i = 0;
        out[j + 1] = QPoint(g.left + toPixel(j * step), at(i));
    }
    return count + 1;
}

void TCGraphic::drawPlotArea(QPainter& p, const Geometry& g) {
    p.fillRect(QRect(QPoint(g.left + 1, g.top - 1), QPoint(g.right, g.bottom - 1)), Color());

    if (m_drawLevel) {
        for (int k = 1; k <= TLevel::kCount && k <= m_levels.LAnz(); ++k) {
            const float v = m_levels.L(k);
            if (v < m_viewYmin || v > m_viewYmax)
                continue;
            p.setPen(QPen(TLevel::color(k), 1));
            const int y = g.row(v);
            p.drawLine(g.left + 1, y, g.right - 1, y);
        }
    }

    if (!DataStart || !DataOldest || m_anzahl < 1)
        return;
    const int from = std::max(m_viewStart, 0);
    const int to = std::min(m_viewEnd, m_anzahl);
    const int n = to - from;
    if (n < 1)
        return;
    // The memory is a ring of Anzahl + 1 elements; the time axis starts at the oldest one.
    const long ringSize = long(m_anzahl) + 1;
    const std::size_t size = elementSize(m_datentyp);
    const auto* start = static_cast<const unsigned char*>(DataStart);
    const std::ptrdiff_t offset = static_cast<const unsigned char*>(DataOldest) - start;
    long oldest = offset >= 0 ? long(offset / std::ptrdiff_t(size)) % ringSize : 0;
    const long first = (oldest + from) % ringSize;
    const double step = n > 1 ? double(g.right - g.left) / (n - 1) : 0.0;
    if (m_points.size() < std::size_t(n) + 1)
        m_points.resize(std::size_t(n) + 1);
    auto collect = [&]<typename T>() {
        return collectCurve<T>(start, ringSize, first, n, step, g, m_points.data());
    };
    int count = 0;
    switch (m_datentyp) {
    case TDataKind::Char:
        count = collect.template operator()<std::int8_t>();
        break;
    case TDataKind::Short:
        count = collect.template operator()<std::int16_t>();
        break;
    case TDataKind::Int:
    case TDataKind::Long:
        count = collect.template operator()<std::int32_t>();
        break;
    case TDataKind::Float:
        count = collect.template operator()<float>();
        break;
    }
    p.setPen(m_pen);
    p.drawPolyline(m_points.data(), count);
}
