#pragma once
// Pictures of the QS40 window, drawn in code: the transmitter at the start of the beam and the
// sensor's connector seen from the front, with the pins of the two outputs lit.
#include <QPixmap>

namespace Qs40FormPictures {
// 32 x 32.
QPixmap transmitter();
// 80 x 80; bit 0 of index lights the output on pin 2, bit 1 the one on pin 4.
QPixmap connector(int index);
// 16 x 16 lamp of a switching state.
QPixmap led(bool on);
} // namespace Qs40FormPictures
