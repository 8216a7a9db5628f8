#include "Qs40FormDrawing.h"

#include "Qs40FormPictures.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QProgressBar>

#include <algorithm>

namespace {

using Geometry = Qs40DrawingGeometry;

template <std::size_t N> QPolygon polygon(const std::array<Geometry::Point, N>& points) {
    QPolygon out;
    for (const auto& p : points)
        out << QPoint(p.x, p.y);
    return out;
}

QLineEdit* rowEdit(QWidget* parent, const QString& name, const QString& mask, const QString& widest) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Every digit place may stay empty, as typing over a shorter number leaves it.
    edit->setInputMask(mask);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(widest) + 12);
    return edit;
}

} // namespace

Qs40FormDrawing::Qs40FormDrawing(Geometry& geometry, Values switchL, Values switchH,
                                 const bool& commonHysteresis, QWidget* parent)
    : QWidget(parent), m_geometry(geometry), m_switchL(switchL), m_switchH(switchH),
      m_commonHysteresis(commonHysteresis) {
    setObjectName(QStringLiteral("P_draw_Q40"));
    setAutoFillBackground(true);

    sender = new QLabel(this);
    sender->setObjectName(QStringLiteral("sender"));
    sender->setGeometry(Geometry::kSenderLeft, Geometry::kSenderTop, Geometry::kSenderSize,
                        Geometry::kSenderSize);
    sender->setPixmap(Qs40FormPictures::transmitter());

    AbstandGauge = new QProgressBar(this);
    AbstandGauge->setObjectName(QStringLiteral("AbstandGauge"));
    AbstandGauge->setTextVisible(false);
    AbstandGauge->setRange(0, static_cast<int>(geometry.RangeMax()));
    AbstandGauge->setValue(0);
    AbstandGauge->setGeometry(geometry.DrawLeft(), Geometry::kPanelHeight - 8,
                              geometry.DrawRight() - geometry.DrawLeft(), 6);

    anfangedit = new QLabel(this);
    anfangedit->setObjectName(QStringLiteral("anfangedit"));
    endeedit = new QLabel(this);
    endeedit->setObjectName(QStringLiteral("endeedit"));
    anfangedit->hide();
    endeedit->hide();

    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < Geometry::kRows; ++i) {
        const auto r = static_cast<std::size_t>(i);
        const QString suffix = i == 0 ? QString() : QString::number(i + 1);
        m_labels[r] = new QLabel(QStringLiteral("SP %1").arg(i + 1), this);
        m_labels[r]->setObjectName(QStringLiteral("TSP%1").arg(i + 1));
        m_labels[r]->setFont(bold);
        m_distanceEdits[r] = rowEdit(this, QStringLiteral("signalonedit") + suffix,
                                     QStringLiteral("0000mm; "), QStringLiteral("0000mm"));
        m_hystEdits[r] = rowEdit(this, QStringLiteral("signaloffedit") + suffix, QStringLiteral("+0000mm; "),
                                 QStringLiteral("+0000mm"));
        connect(m_distanceEdits[r], &QLineEdit::textEdited, this, [this, i] { fieldChanged(i, false); });
        connect(m_hystEdits[r], &QLineEdit::textEdited, this, [this, i] { fieldChanged(i, true); });
        connect(m_distanceEdits[r], &QLineEdit::editingFinished, this, &Qs40FormDrawing::fieldExit);
        connect(m_hystEdits[r], &QLineEdit::editingFinished, this, &Qs40FormDrawing::fieldExit);
        m_labels[r]->hide();
        m_distanceEdits[r]->hide();
        m_hystEdits[r]->hide();
    }
    // Wide enough that the hysteresis field of a switch-off point at the range end still fits
    // beside its marker.
    const int fieldsRight = geometry.hysteresisFieldLeft(static_cast<std::int32_t>(geometry.RangeMax()), 0) +
                            m_hystEdits[0]->width() + 2;
    setFixedSize(std::max(Geometry::kPanelWidth, fieldsRight), Geometry::kPanelHeight);
}

void Qs40FormDrawing::setInitialised(bool on) {
    m_initialised = on;
    update();
}

void Qs40FormDrawing::setSuppressPaint(bool on) {
    m_suppressPaint = on;
    if (!on)
        update();
}

void Qs40FormDrawing::SetButtons() {
    const int rangeMax = static_cast<int>(m_geometry.RangeMax());
    AbstandGauge->setRange(0, rangeMax);
    anfangedit->setText(QStringLiteral("%1 mm").arg(static_cast<int>(m_geometry.RangeMin())));
    endeedit->setText(QStringLiteral("%1 mm").arg(rangeMax));
    anfangedit->adjustSize();
    endeedit->adjustSize();
    // Above the beam, at the two ends of the range.
    anfangedit->move(m_geometry.x(m_geometry.RangeMin()), 2);
    endeedit->move(m_geometry.x(m_geometry.RangeMax()) - endeedit->width(), 2);
    anfangedit->show();
    endeedit->show();
    for (int i = 0; i < Geometry::kRows; ++i) {
        const auto r = static_cast<std::size_t>(i);
        m_hystEdits[r]->move(m_hystEdits[r]->x(), m_geometry.hysteresisFieldTop(i));
        m_distanceEdits[r]->move(m_distanceEdits[r]->x(), m_geometry.distanceFieldTop(i));
        m_labels[r]->move(2, m_geometry.labelTop(i));
        const bool shown = i < m_geometry.PointCount();
        m_labels[r]->setVisible(shown);
        m_distanceEdits[r]->setVisible(shown);
        m_hystEdits[r]->setVisible(shown);
    }
}

void Qs40FormDrawing::update_edits() {
    m_geometry.applyLimits(m_switchL, m_switchH);
    for (int i = 0; i < m_geometry.PointCount(); ++i) {
        const auto r = static_cast<std::size_t>(i);
        QLineEdit* distance = m_distanceEdits[r];
        QLineEdit* hyst = m_hystEdits[r];
        distance->move(m_geometry.distanceFieldLeft(m_switchL[r], distance->width()), distance->y());
        hyst->move(m_geometry.hysteresisFieldLeft(m_switchL[r], m_switchH[r]), hyst->y());
    }
    // The texts of every row, also one not shown.
    for (int i = 0; i < Geometry::kRows; ++i) {
        const auto r = static_cast<std::size_t>(i);
        m_distanceEdits[r]->setText(QString::number(m_switchL[r]));
        m_hystEdits[r]->setText(QStringLiteral("+") + QString::number(m_switchH[r]));
    }
}

void Qs40FormDrawing::zeichne_all() {
    update_edits();
    update();
}

void Qs40FormDrawing::setDistance(int mm) {
    AbstandGauge->setValue(std::clamp(mm, AbstandGauge->minimum(), AbstandGauge->maximum()));
}

void Qs40FormDrawing::paintEvent(QPaintEvent*) {
    if (!m_initialised || m_suppressPaint)
        return;
    // Painting never changes the values: it shows them as the next redraw will limit them.
    std::array<std::int32_t, Geometry::kRows> l{};
    std::array<std::int32_t, Geometry::kRows> h{};
    std::copy(m_switchL.begin(), m_switchL.end(), l.begin());
    std::copy(m_switchH.begin(), m_switchH.end(), h.begin());
    m_geometry.applyLimits(l, h);

    QPainter p(this);
    p.setPen(QPen(Qt::black, 1));
    for (int i = 0; i < m_geometry.PointCount(); ++i) {
        const auto r = static_cast<std::size_t>(i);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(polygon(m_geometry.switchLine(i, l[r])));
        p.drawPolyline(polygon(m_geometry.switchOffLine(i, l[r], h[r])));
        p.setBrush(Qt::black);
        p.drawPolygon(polygon(m_geometry.switchMarker(i, l[r])));
        p.drawPolygon(polygon(m_geometry.switchOffMarker(i, l[r], h[r])));
    }
    // The beam last, over any row it reaches.
    p.setBrush(QColor(192, 192, 192));
    p.drawPolygon(polygon(m_geometry.beam()));
}

void Qs40FormDrawing::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    m_geometry.press(at.x(), at.y(), m_switchL, m_switchH);
}

void Qs40FormDrawing::mouseMoveEvent(QMouseEvent* event) {
    if (!m_geometry.dragging())
        return;
    m_geometry.move(event->position().toPoint().x(), m_switchL, m_switchH, m_commonHysteresis);
    zeichne_all();
    emit valuesEdited();
}

void Qs40FormDrawing::mouseReleaseEvent(QMouseEvent*) {
    m_geometry.release();
}

void Qs40FormDrawing::fieldChanged(int row, bool hysteresis) {
    const auto r = static_cast<std::size_t>(row);
    if (hysteresis)
        m_switchH[r] = Geometry::readHysteresisField(m_hystEdits[r]->text().toStdString());
    else
        m_switchL[r] = Geometry::readDistanceField(m_distanceEdits[r]->text().toStdString());
    emit valuesEdited();
}

void Qs40FormDrawing::fieldExit() {
    zeichne_all();
}
