#pragma once
// What a window says about a port the serial layer could not open or use: the layer's reason in
// the window's language, and where the window can help, how to fix it in the window itself.
#include <QString>

struct LinkReason;

namespace LinkTexts {

QString reasonText(const LinkReason& reason, bool english);
// The one message of a window whose port failed under an activity (a pulled adapter): the
// connection has ended, why, and how to get it back (a new search or connection unless the
// window says otherwise).
QString lostText(const LinkReason& reason, bool english, const QString& howBack = {});

} // namespace LinkTexts
