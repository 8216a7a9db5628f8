#include "Artwork.h"

#include <QGuiApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

// Every picture is painted in logical pixels into a pixmap of the requested device pixel ratio,
// so the same code gives crisp pictures at 100 % and 200 %.
namespace {

using Draw = void (*)(QPainter&);

struct Picture {
    int w;
    int h;
    Draw draw;
    bool smooth = true; // antialiasing; off for the tiny pixel-exact arrows
};

const QColor kInk(0x20, 0x24, 0x2a);
const QColor kLens(0xd8, 0xec, 0xfa);
const QColor kBrand(0x1d, 0x4f, 0x91);

void arrowHead(QPainter& p, QPointF tip, QPointF dir, qreal size) {
    const QPointF n(-dir.y(), dir.x());
    const QPointF base = tip - dir * size;
    p.drawPolygon(QPolygonF{tip, base + n * (size * 0.6), base - n * (size * 0.6)});
}

// A double arrow from a to b with filled heads.
void doubleArrow(QPainter& p, QPointF a, QPointF b, qreal head, const QColor& color) {
    const QPointF d = b - a;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF dir = d / len;
    p.setPen(QPen(color, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(a + dir * head * 0.8, b - dir * head * 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    arrowHead(p, b, dir, head);
    arrowHead(p, a, -dir, head);
}

// Magnifier with + or - in the lens; lens centre c, radius r.
void magnifier(QPainter& p, QPointF c, qreal r, bool plus, qreal width = 1.3) {
    const QPointF h = c + QPointF(r, r) * 0.72;
    p.setPen(QPen(kInk, width * 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(h, h + QPointF(r, r) * 0.55);
    p.setPen(QPen(kInk, width));
    p.setBrush(kLens);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(kInk, width, Qt::SolidLine, Qt::FlatCap));
    const qreal s = r * 0.55;
    p.drawLine(c - QPointF(s, 0), c + QPointF(s, 0));
    if (plus)
        p.drawLine(c - QPointF(0, s), c + QPointF(0, s));
}

void zoomButton(QPainter& p, bool in, bool vertical) {
    magnifier(p, QPointF(5.5, 5.5), 4.3, in);
    if (vertical)
        doubleArrow(p, QPointF(13.2, 1.0), QPointF(13.2, 14.0), 2.6, kBrand);
    else
        doubleArrow(p, QPointF(1.0, 13.4), QPointF(14.0, 13.4), 2.6, kBrand);
}

void drawMarker(QPainter& p) {
    p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 1.6));
    p.drawLine(QPointF(0.5, 7.5), QPointF(14.5, 7.5));
    doubleArrow(p, QPointF(7.5, 0.5), QPointF(7.5, 14.5), 3.2, kInk);
}

void drawAll(QPainter& p) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 2.5, 10, 10));
    const QColor c = kBrand;
    doubleArrow(p, QPointF(0.6, 0.6), QPointF(14.4, 14.4), 3.0, c);
    doubleArrow(p, QPointF(14.4, 0.6), QPointF(0.6, 14.4), 3.0, c);
}

void drawSave(QPainter& p) {
    const QRectF body(6.5, 0.5, 13, 14);
    QPainterPath disk;
    disk.moveTo(body.topLeft());
    disk.lineTo(body.right() - 2.5, body.top());
    disk.lineTo(body.right(), body.top() + 2.5);
    disk.lineTo(body.bottomRight());
    disk.lineTo(body.bottomLeft());
    disk.closeSubpath();
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kBrand);
    p.drawPath(disk);
    p.setBrush(QColor(0xee, 0xf2, 0xf6));
    p.drawRect(QRectF(9.0, 0.5, 7.0, 4.5));          // shutter
    p.fillRect(QRectF(13.0, 1.2, 1.6, 3.0), kBrand); // shutter slot
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8.5, 7.5, 9.0, 6.5), 1, 1); // label
    p.setPen(QPen(QColor(0x90, 0x98, 0xa4), 0.8));
    p.drawLine(QPointF(10, 9.8), QPointF(16, 9.8));
    p.drawLine(QPointF(10, 11.8), QPointF(16, 11.8));
}

// 9 x 10 switch-point arrows: a head of five rows over a three-pixel stem, pixel-exact.
void drawPfeil(QPainter& p, bool up) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.save();
    if (!up) {
        p.translate(0, 10);
        p.scale(1, -1);
    }
    p.drawPolygon(
        QPolygon{QPoint(4, 0), QPoint(5, 0), QPoint(9, 4), QPoint(9, 5), QPoint(0, 5), QPoint(0, 4)});
    p.drawRect(3, 5, 3, 5);
    p.restore();
}

// Slide pieces: a recessed slot down the middle (x 7..11, under the knob's centre x = 9) with
// scale ticks at the rows where a knob centre sits (row 13 of TOP, row 9 of MIDDLE and BOTTOM).
void slot(QPainter& p, qreal y0, qreal y1, bool roundTop, bool roundBottom) {
    QPainterPath path;
    path.addRoundedRect(QRectF(7.0, y0, 5.0, y1 - y0), 2.5, 2.5);
    const qreal flatTop = roundTop ? y0 + 2.5 : y0;
    const qreal flatBottom = roundBottom ? y1 - 2.5 : y1;
    QPainterPath body;
    body.addRect(QRectF(7.0, flatTop, 5.0, flatBottom - flatTop));
    path = path.united(body);
    QLinearGradient g(7, 0, 12, 0);
    g.setColorAt(0, QColor(0x3a, 0x40, 0x48));
    g.setColorAt(1, QColor(0x78, 0x80, 0x8a));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
}

void tick(QPainter& p, qreal y) {
    p.setPen(QPen(QColor(0x70, 0x78, 0x84), 1.0));
    p.drawLine(QPointF(1.5, y), QPointF(4.5, y));
    p.drawLine(QPointF(14.5, y), QPointF(17.5, y));
}

void drawTop(QPainter& p) {
    slot(p, 4.0, 20.0, true, false);
    tick(p, 13.5);
}
void drawMiddle(QPainter& p) {
    slot(p, 0.0, 16.0, false, false);
    tick(p, 9.5);
}
void drawBottom(QPainter& p) {
    slot(p, 0.0, 15.0, false, true);
    tick(p, 9.5);
}

void drawPos(QPainter& p) {
    QLinearGradient g(0, 0, 9, 0);
    g.setColorAt(0, QColor(0xfa, 0xfb, 0xfc));
    g.setColorAt(0.55, QColor(0xd4, 0xd9, 0xdf));
    g.setColorAt(1, QColor(0x98, 0xa1, 0xac));
    p.setPen(QPen(QColor(0x3c, 0x45, 0x50), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 8, 18), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(kBrand);
    p.drawRect(QRectF(1.0, 8.0, 7.0, 3.0)); // the index line sits on the position's row
}

void drawGo(QPainter& p) {
    QRadialGradient g(QPointF(6, 5), 9);
    g.setColorAt(0, QColor(0x7d, 0xe0, 0x7a));
    g.setColorAt(1, QColor(0x1e, 0x8e, 0x2e));
    p.setPen(QPen(QColor(0x14, 0x5e, 0x1f), 1.0));
    p.setBrush(g);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{QPointF(6.0, 4.2), QPointF(12.2, 8.0), QPointF(6.0, 11.8)});
}

void drawStop(QPainter& p) {
    QRadialGradient g(QPointF(6, 5), 10);
    g.setColorAt(0, QColor(0xf2, 0x7a, 0x72));
    g.setColorAt(1, QColor(0xc0, 0x1c, 0x1c));
    p.setPen(QPen(QColor(0x80, 0x10, 0x10), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.0, 5.0, 6.0, 6.0));
}

void brandMark(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x2f, 0x6f, 0xc0));
    g.setColorAt(1, kBrand.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, r.width() * 0.2, r.width() * 0.2);
    // a beam leaving the mark towards a target line
    p.setPen(QPen(QColor(0xff, 0x5a, 0x4a), r.width() * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.78),
               QPointF(r.right() - r.width() * 0.16, r.top() + r.height() * 0.78));
    QFont f(QStringLiteral("Sans Serif"));
    f.setBold(true);
    f.setPixelSize(qRound(r.height() * 0.42));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r.adjusted(0, -r.height() * 0.12, 0, -r.height() * 0.12), Qt::AlignCenter,
               QStringLiteral("qel"));
}

void drawQel(QPainter& p) {
    brandMark(p, QRectF(1, 1, 46, 46));
}

void drawQelSensing(QPainter& p) {
    brandMark(p, QRectF(1, 1, 46, 46));
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kBrand);
    p.drawText(QRectF(56, 0, 104, 30), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("qel"));
    f.setBold(false);
    f.setPixelSize(15);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(f);
    p.setPen(QColor(0x50, 0x5a, 0x66));
    p.drawText(QRectF(56, 29, 104, 19), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("sensing"));
}

void sensorHousing(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xe8, 0xec, 0xf0));
    g.setColorAt(1, QColor(0x9c, 0xa6, 0xb2));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
}

// ZYL 24 laser distance sensor: a block housing, a red beam to a target plate.
void drawQelBild1(QPainter& p) {
    sensorHousing(p, QRectF(2, 12, 24, 24));
    p.setBrush(QColor(0x30, 0x34, 0x3a));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(26, 19), 2.4, 2.4);
    p.drawEllipse(QPointF(26, 29), 2.4, 2.4);
    p.setPen(QPen(QColor(0xe0, 0x1e, 0x1e), 1.6));
    p.drawLine(QPointF(27, 19), QPointF(54, 19));
    p.setPen(QPen(QColor(0xe0, 0x1e, 0x1e, 110), 1.0, Qt::DashLine));
    p.drawLine(QPointF(54, 19), QPointF(27, 29));
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(QColor(0x6a, 0x8c, 0xb8));
    p.drawRect(QRectF(55, 6, 5, 36));
    p.setPen(QPen(QColor(0x30, 0x34, 0x3a), 1.0));
    p.drawLine(QPointF(6, 40), QPointF(6, 46)); // cable
}

// ZYL 36 sensor: a cylindrical head with a fan of light.
void drawQelBild(QPainter& p) {
    QPainterPath fan;
    fan.moveTo(24, 24);
    fan.lineTo(62, 6);
    fan.lineTo(62, 42);
    fan.closeSubpath();
    QLinearGradient g(24, 0, 62, 0);
    g.setColorAt(0, QColor(0xff, 0x60, 0x40, 200));
    g.setColorAt(1, QColor(0xff, 0x60, 0x40, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(fan);
    sensorHousing(p, QRectF(3, 10, 20, 28));
    p.setBrush(QColor(0x30, 0x34, 0x3a));
    p.drawRect(QRectF(20, 18, 4, 12));
    p.setPen(QPen(QColor(0x30, 0x34, 0x3a), 1.0));
    for (qreal y : {15.0, 33.0})
        p.drawLine(QPointF(6, y), QPointF(20, y));
}

// Transfer glyphs: an arrow into (TOZYL) or out of (FROMZYL) a small sensor block.
void transfer(QPainter& p, bool toSensor) {
    sensorHousing(p, QRectF(11, 3, 8, 14));
    const QPointF a(1.0, 10.0), b(10.0, 10.0);
    p.setPen(QPen(kBrand, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(toSensor ? a : b - QPointF(4, 0), toSensor ? b - QPointF(4, 0) : a + QPointF(3, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(kBrand);
    arrowHead(p, toSensor ? b : a, toSensor ? QPointF(1, 0) : QPointF(-1, 0), 4.5);
}
void drawToZyl(QPainter& p) {
    transfer(p, true);
}
void drawFromZyl(QPainter& p) {
    transfer(p, false);
}

void lamp(QPainter& p, const QColor& c) {
    QRadialGradient g(QPointF(6.0, 5.5), 8.0);
    g.setColorAt(0, c.lighter(170));
    g.setColorAt(0.6, c);
    g.setColorAt(1, c.darker(135));
    p.setPen(QPen(QColor(0x50, 0x56, 0x5e), 1.0));
    p.setBrush(g);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

// Factory preset active: a blue badge with a turning-back arrow.
void drawLed4(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBrand);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 8, 8), 100 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    arrowHead(p, QPointF(6.8, 3.2), QPointF(-1, 0.35), 3.4);
}

// Transfer confirmed: a green tick.
void drawLed6(QPainter& p) {
    QPainterPath tickPath;
    tickPath.moveTo(2.2, 8.6);
    tickPath.lineTo(6.2, 12.8);
    tickPath.lineTo(13.8, 3.0);
    p.setPen(QPen(QColor(0x0e, 0x6a, 0x1a), 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tickPath);
    p.setPen(QPen(QColor(0x3c, 0xc0, 0x48), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tickPath);
}

const QHash<QString, Picture>& bitmaps() {
    static const QHash<QString, Picture> table{
        {QStringLiteral("MARKER"), {15, 15, drawMarker}},
        {QStringLiteral("ZOOM_IN_Y"), {15, 15, [](QPainter& p) { zoomButton(p, true, true); }}},
        {QStringLiteral("ZOOM_OUT_Y"), {15, 15, [](QPainter& p) { zoomButton(p, false, true); }}},
        {QStringLiteral("ZOOM_IN_X"), {15, 15, [](QPainter& p) { zoomButton(p, true, false); }}},
        {QStringLiteral("ZOOM_OUT_X"), {15, 15, [](QPainter& p) { zoomButton(p, false, false); }}},
        {QStringLiteral("ALL"), {15, 15, drawAll}},
        {QStringLiteral("SAVE"), {26, 15, drawSave}},
        {QStringLiteral("PFEIL_UP"), {9, 10, [](QPainter& p) { drawPfeil(p, true); }, false}},
        {QStringLiteral("PFEIL_DOWN"), {9, 10, [](QPainter& p) { drawPfeil(p, false); }, false}},
        {QStringLiteral("TOP"), {19, 20, drawTop}},
        {QStringLiteral("MIDDLE"), {19, 16, drawMiddle}},
        {QStringLiteral("BOTTOM"), {19, 20, drawBottom}},
        {QStringLiteral("POS"), {9, 19, drawPos}},
        {QStringLiteral("GO"), {16, 16, drawGo}},
        {QStringLiteral("STOP"), {16, 16, drawStop}},
        {QStringLiteral("QEL"), {48, 48, drawQel}},
        {QStringLiteral("QELBILD"), {64, 48, drawQelBild}},
        {QStringLiteral("QELBILD1"), {64, 48, drawQelBild1}},
        {QStringLiteral("QELSENSING"), {160, 48, drawQelSensing}},
        {QStringLiteral("TOZYL"), {20, 20, drawToZyl}},
        {QStringLiteral("FROMZYL"), {20, 20, drawFromZyl}},
        {QStringLiteral("LED0"), {16, 16, [](QPainter& p) { lamp(p, QColor(0xf4, 0xf4, 0xf4)); }}},
        {QStringLiteral("LED1"), {16, 16, [](QPainter& p) { lamp(p, QColor(0x2e, 0xb8, 0x3a)); }}},
        {QStringLiteral("LED2"), {16, 16, [](QPainter& p) { lamp(p, QColor(0xf2, 0xd0, 0x1c)); }}},
        {QStringLiteral("LED3"), {16, 16, [](QPainter& p) { lamp(p, QColor(0xe0, 0x26, 0x26)); }}},
        {QStringLiteral("LED4"), {16, 16, drawLed4}},
        {QStringLiteral("LED5"), {16, 16, [](QPainter& p) { lamp(p, QColor(0x9a, 0xa0, 0xa8)); }}},
        {QStringLiteral("LED6"), {16, 16, drawLed6}},
        {QStringLiteral("LED7"), {16, 16, [](QPainter& p) { lamp(p, QColor(0xf0, 0x8a, 0x1c)); }}},
    };
    return table;
}

QPixmap render(const Picture& pic, qreal dpr) {
    QPixmap pm(QSize(qCeil(pic.w * dpr), qCeil(pic.h * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, pic.smooth);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    pic.draw(p);
    return pm;
}

qreal appRatio() {
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// Cursors (32 x 32): drawn in ink, then given a white halo so they show on any background.
void zoomCursor(QPainter& p, bool in, bool vertical) {
    magnifier(p, QPointF(11, 11), 7.0, in, 1.6);
    if (vertical)
        doubleArrow(p, QPointF(27.5, 3), QPointF(27.5, 24), 3.5, kInk);
    else
        doubleArrow(p, QPointF(3, 27.5), QPointF(24, 27.5), 3.5, kInk);
}

void levelCursor(QPainter& p, const QString& label, const QString& index) {
    doubleArrow(p, QPointF(6.5, 1), QPointF(6.5, 24), 4.0, kInk);
    p.setPen(QPen(kInk, 1.0));
    p.drawLine(QPointF(2.5, 12.5), QPointF(10.5, 12.5));
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(12, 1, 20, 12), Qt::AlignLeft | Qt::AlignVCenter, label);
    f.setPixelSize(8);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(13, 12, 19, 10), Qt::AlignLeft | Qt::AlignVCenter, index);
}

struct CursorPicture {
    QPoint hot;
    Draw draw;
};

const QHash<QString, CursorPicture>& cursors() {
    static const QHash<QString, CursorPicture> table{
        {QStringLiteral("ZOOMINX"), {{11, 11}, [](QPainter& p) { zoomCursor(p, true, false); }}},
        {QStringLiteral("ZOOMINY"), {{11, 11}, [](QPainter& p) { zoomCursor(p, true, true); }}},
        {QStringLiteral("ZOOMOUTX"), {{11, 11}, [](QPainter& p) { zoomCursor(p, false, false); }}},
        {QStringLiteral("ZOOMOUTY"), {{11, 11}, [](QPainter& p) { zoomCursor(p, false, true); }}},
        {QStringLiteral("CRQ11"),
         {{6, 12}, [](QPainter& p) { levelCursor(p, QStringLiteral("Q1"), QStringLiteral("1")); }}},
        {QStringLiteral("CRQ12"),
         {{6, 12}, [](QPainter& p) { levelCursor(p, QStringLiteral("Q1"), QStringLiteral("2")); }}},
        {QStringLiteral("CRQ21"),
         {{6, 12}, [](QPainter& p) { levelCursor(p, QStringLiteral("Q2"), QStringLiteral("1")); }}},
        {QStringLiteral("CRQ22"),
         {{6, 12}, [](QPainter& p) { levelCursor(p, QStringLiteral("Q2"), QStringLiteral("2")); }}},
        {QStringLiteral("CRQA20"),
         {{6, 12}, [](QPainter& p) { levelCursor(p, QStringLiteral("QA"), QStringLiteral("20")); }}},
        {QStringLiteral("CRQA4"),
         {{6, 12}, [](QPainter& p) { levelCursor(p, QStringLiteral("QA"), QStringLiteral("4")); }}},
    };
    return table;
}

QPixmap cursorPixmap(const CursorPicture& pic) {
    constexpr int kSize = 32;
    QImage shape(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        pic.draw(p);
    }
    QImage halo = shape;
    {
        QPainter p(&halo);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(halo.rect(), Qt::white);
    }
    QImage out(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy)
                p.drawImage(dx, dy, halo);
    p.drawImage(0, 0, shape);
    p.end();
    return QPixmap::fromImage(out);
}

} // namespace

namespace Artwork {

QPixmap bitmap(const QString& name) {
    return bitmap(name, appRatio());
}

QPixmap bitmap(const QString& name, qreal devicePixelRatio) {
    const auto it = bitmaps().constFind(name);
    if (it == bitmaps().constEnd() || devicePixelRatio <= 0)
        return QPixmap();
    const QString key = QStringLiteral("zylart:%1@%2").arg(name).arg(devicePixelRatio);
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = render(*it, devicePixelRatio);
        QPixmapCache::insert(key, pm);
    }
    return pm;
}

bool hasBitmap(const QString& name) {
    return bitmaps().contains(name);
}

QImage logo(int size) {
    // Painting at a ratio below 1 loses the picture, so small sizes are drawn at 48 x 48 and
    // scaled down.
    const QImage drawn = bitmap(QStringLiteral("QEL"), std::max(1.0, size / 48.0)).toImage();
    QImage image = drawn.width() >= size && drawn.width() <= size + 1 // rounding adds an empty edge line
                       ? drawn.copy(0, 0, size, size)
                       : drawn.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(1);
    return image;
}

QCursor cursor(const QString& name) {
    const auto it = cursors().constFind(name);
    if (it == cursors().constEnd())
        return QCursor(Qt::ArrowCursor);
    const QString key = QStringLiteral("zylcursor:%1").arg(name);
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = cursorPixmap(*it);
        QPixmapCache::insert(key, pm);
    }
    return QCursor(pm, it->hot.x(), it->hot.y());
}

} // namespace Artwork
