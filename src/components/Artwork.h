#pragma once
// The program's named bitmaps and cursors ("GO", "STOP", "PFEIL_UP", "ZOOMINX", ...), looked up
// by the names the windows use. A name that does not exist gives a null pixmap / the arrow cursor.
#include <QCursor>
#include <QPixmap>
#include <QString>

namespace Artwork {
QPixmap bitmap(const QString& name);
QCursor cursor(const QString& name);
bool hasBitmap(const QString& name);
} // namespace Artwork
