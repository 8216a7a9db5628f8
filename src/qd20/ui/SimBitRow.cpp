#include "SimBitRow.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {
// The smallest cell: ten pixels wide, sixteen high; larger fonts widen them.
constexpr int kMinCellWidth = 10;
constexpr int kMinCellHeight = 16;
} // namespace

SimBitRow::SimBitRow(const QColor& cellColor, QWidget* parent) : QWidget(parent), m_cellColor(cellColor) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SimBitRow::setValue(std::uint8_t value) {
    if (value == m_value)
        return;
    m_value = value;
    update();
}

QString SimBitRow::cellText(int cell) const {
    if (cell < 0 || cell >= kCells)
        return {};
    return (m_value >> (kCells - 1 - cell)) & 1u ? QStringLiteral("1") : QStringLiteral("0");
}

QString SimBitRow::text() const {
    QString out;
    for (int c = 0; c < kCells; ++c)
        out += cellText(c);
    return out;
}

int SimBitRow::cellWidth() const {
    return std::max(kMinCellWidth, fontMetrics().horizontalAdvance(QLatin1Char('0')) + 4);
}

int SimBitRow::cellHeight() const {
    return std::max(kMinCellHeight, fontMetrics().height() + 2);
}

QSize SimBitRow::sizeHint() const {
    return {kCells * cellWidth() + 1, cellHeight() + 1};
}

void SimBitRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void SimBitRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = cellWidth();
    const int h = cellHeight();
    painter.fillRect(QRect(0, 0, kCells * w, h), m_cellColor);
    painter.setPen(palette().color(QPalette::Mid));
    for (int c = 0; c <= kCells; ++c)
        painter.drawLine(c * w, 0, c * w, h);
    painter.drawLine(0, 0, kCells * w, 0);
    painter.drawLine(0, h, kCells * w, h);
    painter.setPen(Qt::black);
    for (int c = 0; c < kCells; ++c)
        painter.drawText(QRect(c * w, 0, w, h), Qt::AlignCenter, cellText(c));
}
