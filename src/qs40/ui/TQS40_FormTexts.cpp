// The QS40 window in German and English. German texts are the source; the English ones come
// from the translator. Message texts are taken when a message is shown, so they always come in
// the current language.
#include "TQS40_Form.h"

#include "AppState.h"
#include "Language.h"

#include <QAction>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

void TQS40_Form::retranslateUi() {
    DateiMenu->setTitle(tr("&Datei"));
    OeffnenMenu->setText(tr("&Öffnen"));
    SichernMenu->setText(tr("&Sichern"));
    BeendenMenu->setText(tr("&Beenden"));
    SensorMenu->setTitle(tr("&Sensor"));
    ManuellMenu->setText(tr("&Manuell"));
    SuchenMenu->setText(tr("&Suchen"));
    DatenMenu->setTitle(tr("S&ensordaten"));
    LesenMenu->setText(tr("Parameter &Lesen"));
    SetzenMenu->setText(tr("Parameter &Setzen"));
    Parameterkopieren1->setText(tr("Parameter kopieren"));
    MesswerteMenu->setText(tr("&Messwerte lesen"));
    lesedauernd->setText(tr("kontinuierlich"));
    HilfeMenu->setTitle(tr("&Hilfe"));
    Fehlermeldungen->setText(tr("&Fehlermeldungen"));
    // The language menu is named in the other language, so it can be found by whoever cannot
    // read the current one.
    LanguageMenu->setTitle(tr("&language"));
    EnglishMenu->setText(tr("&english"));
    GermanMenu->setText(tr("&german"));
    clearFehler->setText(tr("alles löschen"));

    const std::pair<QAction*, std::pair<QString, QString>> buttons[] = {
        {OeffnenButton, {tr("Öffnen"), tr("Sitzung laden")}},
        {SichernButton, {tr("Sichern"), tr("Sitzung speichern")}},
        {SuchenButton, {tr("suchen"), tr("QS40MNTB suchen")}},
        {LesenButton, {tr("lesen"), tr("Sensoreinstellungen lesen")}},
        {SetzenButton, {tr("setzen"), tr("Sensoreinstellungen setzen")}},
        {StartButton, {QStringLiteral("Start"), tr("Messdaten lesen")}},
        {ParalisteButton, {tr("Para.Liste"), tr("Parameterliste")}},
        {EndeButton, {tr("Beenden"), tr("Ende")}},
    };
    for (const auto& [action, texts] : buttons) {
        action->setText(texts.first);
        action->setToolTip(texts.second);
    }

    GBSchaltzustand->setTitle(tr("Schaltzustände"));
    m_nearHead->setText(tr("Nah"));
    m_farHead->setText(tr("Fern"));
    GBAbstand->setTitle(tr("Abstand"));
    GBReserve->setTitle(tr("Funktionsreserve"));
    PPinbelegung->setTitle(tr("Pinbelegung"));
    const QString pins[] = {QStringLiteral("1 = 24V"), tr("2 = Ausgang PNP"),  QStringLiteral("3 = GND"),
                            tr("4 = Ausgang PNP"),     tr("5 = nicht belegt"), tr("6 = Eingang E1"),
                            tr("7 = Eingang E2"),      tr("8 = Ausgang PNP")};
    for (std::size_t i = 0; i < m_pins.size(); ++i)
        m_pins[i]->setText(pins[i]);
    showSensorText();
}

void TQS40_Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QMainWindow::changeEvent(event);
}

// Both switch the whole program and then rewrite this window.
void TQS40_Form::EnglishMenuClick() {
    m_languageChosen = true;
    Language::setEnglish(m_app, true);
    retranslateUi();
}

void TQS40_Form::GermanMenuClick() {
    m_languageChosen = true;
    Language::setEnglish(m_app, false);
    retranslateUi();
}

QString TQS40_Form::noSensorText() const {
    return tr("kein QS40MNTB verfügbar\nHotSync geschlossen?");
}
QString TQS40_Form::cannotOpenFileText() const {
    return tr("Kann File nicht öffnen");
}
QString TQS40_Form::fileErrorText() const {
    return tr("Fehler in Datei");
}
QString TQS40_Form::otherTypeText() const {
    return tr("Anderer Sensortyp\nals angeschlossener");
}
QString TQS40_Form::unknownSensorText() const {
    return tr("Unbekannter Sensortyp");
}
QString TQS40_Form::readErrorText() const {
    return tr("Fehler beim Daten lesen");
}
QString TQS40_Form::sendErrorText() const {
    return tr("Fehler beim Daten senden");
}
QString TQS40_Form::successText() const {
    return tr("Sensorprogrammierung\nerfolgreich");
}
QString TQS40_Form::fileFilter() const {
    return tr("Sensordateien (*.spi)|*.spi");
}
QString TQS40_Form::badSettingsText() const {
    return tr(
        "Ungültige Schnittstellenparameter:\nPort 1 bis 20, Baudrate als Zahl,\nTimeout 1 bis 10000 ms");
}
QString TQS40_Form::saveFailedText() const {
    return tr("Datei konnte nicht geschrieben werden:\n%1\nDie bisherige Datei bleibt erhalten.");
}
