#pragma once
// The program's named bitmaps and cursors ("GO", "STOP", "PFEIL_UP", "ZOOMINX", ...), looked up
// by the names the windows use. A name that does not exist gives a null pixmap / the arrow cursor.
//
// Everything is drawn in code. Pixmaps are made for the application's device pixel ratio, so
// their size in logical pixels is deviceIndependentSize() (equal to size() at 100 %).
//
// Bitmaps (logical size):
//   plot buttons    "MARKER", "ZOOM_IN_Y", "ZOOM_OUT_Y", "ZOOM_IN_X", "ZOOM_OUT_X", "ALL" (15 x 15),
//                   "SAVE" (26 x 15)
//   switch points   "PFEIL_UP", "PFEIL_DOWN" (9 x 10, black arrow on transparent ground)
//   slider          "TOP" (19 x 20), "MIDDLE" (19 x 16), "BOTTOM" (19 x 20), "POS" knob (9 x 19)
//   windows         "GO" green play (16 x 16), "STOP" red stop (16 x 16), "QEL" logo (48 x 48),
//                   "QELBILD1" ZYL 24 family glyph (laser block with beam), "QELBILD" ZYL 36
//                   family glyph (sensor head with light fan) (both 64 x 48),
//                   "QELSENSING" about-box logo (160 x 48),
//                   "TOZYL" / "FROMZYL" write to / read from the sensor (20 x 20)
//   LED image list  "ledbilder" entries "LED0".."LED7" (16 x 16):
//                   LED0 white (off)   LED1 green   LED2 yellow   LED3 red
//                   LED4 factory-preset mark (blue "W" badge: the factory preset is active)
//                   LED5 grey (disabled)   LED6 ConfirmImage: green tick, transfer confirmed
//                   LED7 orange
// Cursors: "ZOOMINX", "ZOOMINY", "ZOOMOUTX", "ZOOMOUTY" (magnifier with + / - and the axis),
//          "CRQ11", "CRQ12", "CRQ21", "CRQ22", "CRQA20", "CRQA4" (vertical double arrow with the
//          label Q1 / Q2 / QA; hot spot in the arrow's middle).
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace Artwork {
QPixmap bitmap(const QString& name);
// The same for an explicit device pixel ratio (1 for exact pixel sizes, 2 for 200 %).
QPixmap bitmap(const QString& name, qreal devicePixelRatio);
QCursor cursor(const QString& name);
bool hasBitmap(const QString& name);
// The logo "QEL" as a picture of exactly `size` x `size` pixels: the program's icon.
QImage logo(int size);
} // namespace Artwork
