// The ZYL 36 window in German and English. German texts are the source; the English ones come
// from the translator. Texts that read the same in both languages are set once when built.
#include "TQS40_NUVA_Form.h"

#include "AppState.h"
#include "Language.h"
#include "TCSlide.h"

#include <QAction>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>

void TQS40_NUVA_Form::retranslateUi() {
    const std::array<QString, kNuvaFieldCount> fieldHints{tr("Schaltpunkte gerade"),
                                                          tr("Schaltpunkte rechts"), tr("Schaltpunkte links"),
                                                          tr("Schaltpunkte Weitwinkel")};
    const QStringList fieldNames{tr("Gerade"), tr("Rechts"), tr("Links"), tr("Weitwinkel")};
    for (std::size_t field = 0; field < kNuvaFieldCount; ++field) {
        m_fieldGroups[field]->setToolTip(fieldHints[field]);
        m_fieldGroups[field]->setTitle(fieldNames[static_cast<qsizetype>(field)]);
    }
    CSSchutzfeld->SetBeschriftung(fieldNames);
    GBAdressen->setToolTip(QStringLiteral("Adresseneinstellung"));
    GBSchutzfeld->setToolTip(QStringLiteral("Schutzfeldauswahl"));

    const std::pair<QAction*, QString> toolHints[] = {
        {OeffnenButton, tr("Projektdatei öffnen")},
        {SichernButton, tr("Projekt als Datei speichern")},
        {SuchenButton, tr("Sensor suchen")},
        {LesenButton, tr("Sensoreinstellungen lesen")},
        {SetzenButton, tr("Einstellungen im Sensor flüchtig speichern")},
        {StartButton, tr("Messdaten Abstand lesen")},
        {EndeButton, tr("Programm beenden")},
    };
    for (const auto& [a, hint] : toolHints) {
        a->setText(hint);
        a->setToolTip(hint);
    }

    DateiMenu->setTitle(tr("Datei"));
    OeffnenMenu->setText(tr("Ö&ffnen"));
    SichernMenu->setText(tr("&Speichern"));
    EndeMenu->setText(tr("&Beenden"));
    SensorMenu->setTitle(tr("Sensor"));
    ManuellMenu->setText(tr("&Manuell"));
    SuchenMenu->setText(tr("&Suchen"));
    N8bit->setText(QStringLiteral("8-bit Sensor"));
    DatenMenu->setTitle(tr("S&ensordaten"));
    LesenMenu->setText(tr("Einstellungen vom Sensor &lesen"));
    SetzenMenu->setText(tr("Einstellungen an Sensor ü&bertragen"));
    EEPROMspeichern1->setText(QStringLiteral("EEPROM"));
    MesswerteMenu->setText(tr("&Messwerte lesen"));
    lesedauerndMenu->setText(tr("&kontinuierlich"));
    HilfeMenu->setTitle(tr("&Hilfe"));
    InfoMenu->setText(QStringLiteral("Info"));
    // Named in the other language, so whoever cannot read the current one still finds it.
    LanguageMenu->setTitle(tr("&language"));
    spezial1->setTitle(QStringLiteral("spezial"));
    LimitParameter1->setText(QStringLiteral("Limit Parameter"));
    Ueberwachung->setText(QStringLiteral("Überwachung"));
    transferiereMotfile->setText(QStringLiteral("transferiere motfile"));
    SWDownload->setText(QStringLiteral("SW Download"));

    GBSchaltpunkte->setTitle(tr("Abstand"));
    GBAbstand->setTitle(tr("Abstand"));
    GBHysterese->setTitle(tr("Hysterese"));
    GBSchutzfeld->setTitle(tr("Schutzfeld"));
    GBAdressen->setTitle(tr("Adressen"));
    England->setText(QString::fromUtf8(NuvaPresets()[0].caption.data(),
                                       static_cast<qsizetype>(NuvaPresets()[0].caption.size())));
    England_12->setText(QString::fromUtf8(NuvaPresets()[1].caption.data(),
                                          static_cast<qsizetype>(NuvaPresets()[1].caption.size())));
    if (m_noSensorStatus)
        setStatus(2, tr("kein Sensor"));
}

QString TQS40_NUVA_Form::readErrorText() const {
    return tr("Fehler bei Datenübertragung");
}

QString TQS40_NUVA_Form::transferErrorText() const {
    return tr("Programmierung fehlgeschlagen");
}

void TQS40_NUVA_Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QMainWindow::changeEvent(event);
}

void TQS40_NUVA_Form::GermanMenuClick() {
    Language::setEnglish(m_app, false);
    retranslateUi();
}

void TQS40_NUVA_Form::EnglishMenuClick() {
    Language::setEnglish(m_app, true);
    retranslateUi();
}
