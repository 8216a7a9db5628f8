#include "TCSlide.h"

#include "Artwork.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {
constexpr int kMinSteps = 2;
constexpr int kMaxSteps = 20;

QSize logicalSize(const QPixmap& pm) {
    return pm.deviceIndependentSize().toSize();
}
} // namespace

TCSlide::TCSlide(QWidget* parent) : TCSlide(Values{}, parent) {}

TCSlide::TCSlide(const Values& initial, QWidget* parent) : QWidget(parent) {
    init(initial);
}

TCSlide::~TCSlide() = default;

void TCSlide::init(const Values& v) {
    setFocusPolicy(Qt::StrongFocus);
    m_selectedFont = v.SelectedFont.value_or(font());
    m_unselectedFont = v.UnselectedFont.value_or(font());
    m_labels = v.Beschriftung;
    // Start values are checked like later assignments, in the order a stored form gives them:
    // the position first, against the ten positions the slider starts with, then the steps.
    m_steps = 10;
    m_position = CheckPosValue(v.Position);
    m_steps = CheckStepValue(v.Steps);
    m_position = CheckPosValue(m_position);
    LoadSlideBilder();
    LoadPosBild();
    relayout();
}

int TCSlide::CheckStepValue(int n) const {
    return std::clamp(n, kMinSteps, kMaxSteps);
}

int TCSlide::CheckPosValue(int n) const {
    if (n >= m_steps)
        n = m_steps - 1;
    return std::max(n, 0);
}

int TCSlide::positionAt(int y) const {
    return CheckPosValue((y - kFirstTop) / kPitch);
}

void TCSlide::SetStepValue(int n) {
    m_steps = CheckStepValue(n);
    m_position = CheckPosValue(m_position);
    relayout();
}

void TCSlide::SetPosValue(int n) {
    m_position = CheckPosValue(n);
    relayout();
}

void TCSlide::SetBeschriftung(const QStringList& labels) {
    m_labels = labels;
    relayout();
}

void TCSlide::SetFselected(const QFont& font) {
    m_selectedFont = font;
    relayout();
}

void TCSlide::SetFunselected(const QFont& font) {
    m_unselectedFont = font;
    relayout();
}

void TCSlide::LoadSlideBilder() {
    m_top = Artwork::bitmap(QStringLiteral("TOP"));
    m_middle = Artwork::bitmap(QStringLiteral("MIDDLE"));
    m_bottom = Artwork::bitmap(QStringLiteral("BOTTOM"));
    m_slideLoaded = !m_top.isNull() && !m_middle.isNull() && !m_bottom.isNull();
}

void TCSlide::LoadPosBild() {
    m_knob = Artwork::bitmap(QStringLiteral("POS"));
    m_knobLoaded = !m_knob.isNull();
}

QSize TCSlide::contentSize() const {
    if (!m_slideLoaded)
        return size();
    int w = 0;
    for (int i = 0; i < m_steps && i < m_labels.size(); ++i) {
        const QFontMetrics fm(i == m_position ? m_selectedFont : m_unselectedFont);
        w = std::max(w, fm.horizontalAdvance(m_labels.at(i)) + kLabelGap);
    }
    const int bands = std::max(0, m_steps - 2);
    return QSize(logicalSize(m_top).width() + w, logicalSize(m_top).height() +
                                                     logicalSize(m_middle).height() * bands +
                                                     logicalSize(m_bottom).height());
}

void TCSlide::SetWidth() {
    if (!m_slideLoaded)
        return;
    const int w = contentSize().width();
    if (w != width())
        setFixedWidth(w);
}

// The slider's size follows its content; fixing it keeps layouts from stretching the slide.
void TCSlide::relayout() {
    if (m_slideLoaded) {
        SetWidth();
        const int h = contentSize().height();
        if (h != height())
            setFixedHeight(h);
        updateGeometry();
    }
    update();
}

QSize TCSlide::sizeHint() const {
    return contentSize();
}

void TCSlide::paintEvent(QPaintEvent*) {
    if (!m_slideLoaded)
        return;
    QPainter p(this); // the parent's background shows through: its colour is the slider's
    const QSize top = logicalSize(m_top);
    const QSize bottom = logicalSize(m_bottom);
    p.drawPixmap(QRect(QPoint(0, 0), top), m_top);
    const int bands = std::max(0, m_steps - 2);
    for (int k = 0; k < bands; ++k)
        p.drawPixmap(QRect(0, top.height() + kPitch * k, top.width(), kPitch), m_middle);
    p.drawPixmap(QRect(0, top.height() + kPitch * bands, top.width(), bottom.height()), m_bottom);

    if (!m_knobLoaded)
        return;
    p.drawPixmap(QRect(QPoint(kKnobLeft, kFirstTop + kPitch * m_position), logicalSize(m_knob)), m_knob);

    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    p.setPen(palette().color(group, QPalette::WindowText));
    const int x = top.width() + kLabelGap;
    int y = kFirstTop;
    for (int i = 0; i < m_steps && i < m_labels.size(); ++i) {
        const QFont& f = i == m_position ? m_selectedFont : m_unselectedFont;
        p.setFont(f);
        const QRect box(x, y, width() - x, QFontMetrics(f).height());
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_labels.at(i));
        if (i == m_position && hasFocus()) {
            QStyleOptionFocusRect opt;
            opt.initFrom(this);
            opt.rect = QRect(x - 2, y, QFontMetrics(f).horizontalAdvance(m_labels.at(i)) + 4, box.height());
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
        }
        y += kPitch;
    }
}

void TCSlide::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_position = positionAt(event->position().toPoint().y());
    relayout();
    m_dragging = true;
    emit OnChange(this);
}

void TCSlide::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    const int pos = positionAt(event->position().toPoint().y());
    if (pos == m_position)
        return;
    m_position = pos;
    relayout();
    emit OnChange(this);
}

void TCSlide::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    emit OnExit(this);
}

// Keys act like a click on the new position followed by the release.
void TCSlide::keyPressEvent(QKeyEvent* event) {
    int pos = m_position;
    switch (event->key()) {
    case Qt::Key_Up:
        --pos;
        break;
    case Qt::Key_Down:
        ++pos;
        break;
    case Qt::Key_Home:
        pos = 0;
        break;
    case Qt::Key_End:
        pos = m_steps - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    pos = CheckPosValue(pos);
    if (pos == m_position)
        return;
    m_position = pos;
    relayout();
    emit OnChange(this);
    emit OnExit(this);
}

void TCSlide::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}
