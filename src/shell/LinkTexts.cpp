#include "LinkTexts.h"

#include "LinkReason.h"

#include <QCoreApplication>

QString LinkTexts::reasonText(const LinkReason& reason, bool english) {
    QString text = QString::fromStdString(reason.text(english));
    const bool absent =
        reason.code == LinkReasonCode::NoSuchDevice || reason.code == LinkReasonCode::NoPortBehindDevice;
    // A number on its default device most likely needs another one: the port dialog sets it.
    if (absent && reason.defaultDevice)
        text += QLatin1Char(' ') + QCoreApplication::translate(
                                       "LinkTexts", "Wählen Sie im Portdialog das Gerät für diese Nummer.");
    return text;
}

QString LinkTexts::lostText(const LinkReason& reason, bool english, const QString& howBack) {
    return QCoreApplication::translate("LinkTexts", "Die Verbindung zum Gerät ist abgebrochen:") +
           QLatin1Char('\n') + reasonText(reason, english) + QLatin1Char('\n') +
           (howBack.isEmpty()
                ? QCoreApplication::translate(
                      "LinkTexts", "Suchen oder verbinden Sie neu, sobald es wieder angeschlossen ist.")
                : howBack);
}
