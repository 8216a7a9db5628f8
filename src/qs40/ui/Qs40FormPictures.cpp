#include "Qs40FormPictures.h"

#include "Artwork.h"

#include <QPainter>

#include <cmath>

namespace Qs40FormPictures {

QPixmap transmitter() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(70, 80, 95));
    p.drawRoundedRect(QRectF(1.5, 3.5, 24, 25), 3, 3);
    p.setBrush(QColor(200, 40, 30));
    p.drawRect(QRectF(25.5, 9.5, 5, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawRect(QRectF(4, 6, 6, 20));
    return pixmap;
}

QPixmap connector(int index) {
    constexpr int kSize = 80;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kSize / 2.0, kSize / 2.0);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(centre, 37, 37);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(centre, 30, 30);
    // Pins 1..7 on a circle, clockwise from the top; pin 8 in the middle.
    const auto pinPlace = [&](int pin) {
        if (pin == 8)
            return centre;
        const double angle = (pin - 1) * 2.0 * 3.14159265358979 / 7.0;
        return centre + QPointF(19.0 * std::sin(angle), -19.0 * std::cos(angle));
    };
    QFont font = p.font();
    font.setPixelSize(8);
    p.setFont(font);
    for (int pin = 1; pin <= 8; ++pin) {
        const bool lit = (pin == 2 && (index & 1)) || (pin == 4 && (index & 2));
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(lit ? QColor(0, 200, 0) : QColor(220, 190, 90));
        p.drawEllipse(pinPlace(pin), 5, 5);
        p.setPen(lit ? Qt::black : QColor(40, 40, 40));
        p.drawText(QRectF(pinPlace(pin) - QPointF(5, 5), QSizeF(10, 10)), Qt::AlignCenter,
                   QString::number(pin));
    }
    // The key notch at the top.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(centre.x() - 3, 8, 6, 5));
    return pixmap;
}

QPixmap led(bool on) {
    return Artwork::bitmap(on ? QStringLiteral("LED1") : QStringLiteral("LED0"));
}

} // namespace Qs40FormPictures
