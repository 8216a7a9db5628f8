// The ZYL24 window: construction, showing and closing, the registry record and the control sets.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Artwork.h"
#include "Prompts.h"
#include "Qd20WindowRecord.h"
#include "Schnittstelle.h"
#include "SettingsWarnings.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"
#include "TFSimulation.h"
#include "TFortschritt.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVariant>

#include <cmath>

namespace {

// The window's record goes through the binary-record store (raw bytes in the registry on Windows).
constexpr const char* kSettingsGroup = "zyl24";
constexpr const char* kRecordValue = "Einstellungen";
// The full bus address, kept beside the record because the record holds only 4 bits of it.
const QString kAddressValue = QStringLiteral("Adresse");

QSettings programSettings() { return QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")); }

} // namespace

TQD20_Form::TQD20_Form(AppState& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_variant(VariantForSensorType(1)) {
    setObjectName(QStringLiteral("TQD20_Form"));
    buildMenus();
    buildToolBar();
    buildCentral();
    buildStatusBar();
    connectHandlers();
    setHelpContexts();

    setWindowTitle(QStringLiteral("ZYL 24"));
    // Room for the plot next to the parameter groups, but never larger than the screen.
    QSize size(1200, 820);
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size());
    resize(size);
    setLed(led_q1, 0);
    setLed(led_qv, 0);
    showNoSensorPanels();
    SetDisconnectedControls();
    ApplySensorVariant();
    retranslateUi();
}

TQD20_Form::~TQD20_Form() = default;

void TQD20_Form::showSensorWindow() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TQD20_Form::showEvent(QShowEvent* event) {
    // Restoring a minimised window is no new showing: it keeps its connection.
    if (!event->spontaneous())
        FormShow();
    QMainWindow::showEvent(event);
}

void TQD20_Form::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

// Every showing starts disconnected, with the settings of the last session.
void TQD20_Form::FormShow() {
    // Reserved here rather than per poll: nothing on the polling path allocates.
    m_samples.allocate();
    Grafik->DataStart = m_samples.DataStart();
    Grafik->DataOldest = m_samples.DataOldest();
    showServiceItems();
    VariantFixed = false;
    setWindowTitle(QStringLiteral("ZYL 24"));
    SetDisconnectedControls();
    setStatus(2, QStringLiteral("Status:"));
    m_statusKind = StatusKind::Empty;
    setStatus(1, QStringLiteral("Port:"));
    Connected = false;
    SettingsStored = true;
    m_disconnectedByUser = false;
    m_pixels.setPixelAverages(1);
    m_presetPending = true;
    ApplySensorVariant();
    readSettings();
    refreshEditors();
    if (m_app.EnglishUi)
        EnglishMenuClick();
    else
        GermanMenuClick();
}

// Returns false when the user keeps the window open.
bool TQD20_Form::FormClose() {
    stopWindowTimers();
    if (m_app.simulation)
        m_app.simulation->hide();
    // The user may keep the window open: its buttons must not go on saying "STOP".
    MessModeChange();
    if (!SettingsStored) {
        const int answer = m_app.prompts.message(
            this, Prompts::Icon::Confirmation,
            tr("Daten noch nicht im Sensor gespeichert!\nWollen Sie dennoch beenden?"), Prompts::Yes | Prompts::No);
        if (answer != Prompts::Yes) {
            if (BES->isEnabled())
                BES->setFocus();
            return false;
        }
    }
    if (TSuchen->isActive()) {
        TSuchen->stop();
        if (m_app.progress)
            m_app.progress->hide();
    }
    // A window closed without a sensor is remembered as the ZYL24 family, unless the user ended
    // the connection himself: then the next start opens nothing.
    if (m_app.SensorType == 0 && !m_disconnectedByUser)
        m_app.SensorType = 1;
    writeSettings();
    Grafik->DataStart = nullptr;
    Grafik->DataOldest = nullptr;
    m_samples.release();
    m_app.ports.ClosePort(PortNumber);
    Connected = false;
    return true;
}

void TQD20_Form::stopWindowTimers() {
    for (QTimer* t : {RohDataTimer, MessDataTimer, TimerPixelGraf, TimerPixel, HalvernDataTimer})
        t->stop();
}

void TQD20_Form::readSettings() {
    // What cannot be used is named in one warning; the controls keep their presets for it.
    QStringList ignored;
    const BinaryRecordStore::ReadResult kept = m_app.records->read(kSettingsGroup, kRecordValue, Qd20WindowRecord::kSize);
    if (!kept.warning.empty())
        ignored << QString::fromStdString(kept.warning);
    auto record = kept.bytes ? Qd20WindowRecord::decode(*kept.bytes) : std::nullopt;
    if (record && !record->outOfRange().empty()) {
        ignored << SettingsWarnings::recordLine(kSettingsGroup, kRecordValue, record->outOfRange());
        record.reset();
    }
    if (record)
        applyRecord(*record, ignored);
    SettingsWarnings::show(m_app.prompts, this, ignored);
}

void TQD20_Form::applyRecord(const Qd20WindowRecord& record, QStringList& ignored) {
    QSettings settings = programSettings();
    settings.beginGroup(QString::fromLatin1(kSettingsGroup));
    // The full bus address kept beside the record, which holds only its low 4 bits.
    std::optional<int> fullAddress;
    if (const QVariant stored = settings.value(kAddressValue); stored.isValid()) {
        bool ok = false;
        const int address = stored.toInt(&ok);
        if (ok && address >= 0 && address <= 128)
            fullAddress = address;
        else
            ignored << SettingsWarnings::valueLine(
                QLatin1String(kSettingsGroup) + QLatin1Char('/') + kAddressValue, stored);
    }

    Qd20Settings s = settingsFromControls();
    record.applyTo(s);
    applySettingsToControls(s);

    const int address = Qd20WindowRecord::resolveAddress(record.address, fullAddress);
    Slave_Adr->setCurrentText(address == 0 ? QStringLiteral("no") : QString::number(address));
    m_app.ports.RtsMode = static_cast<std::int16_t>(record.RtsMode);
}

void TQD20_Form::writeSettings() {
    Qd20WindowRecord record = Qd20WindowRecord::fromSettings(settingsFromControls());
    bool ok = false;
    const int address = Slave_Adr->currentText().trimmed().toInt(&ok);
    record.address = (ok && address >= 1 && address <= 128) ? address : 0;
    record.RtsMode = m_app.ports.RtsMode;

    if (const std::string why = m_app.records->write(kSettingsGroup, kRecordValue, record.encode()); !why.empty())
        qWarning("%s", why.c_str());
    QSettings settings = programSettings();
    settings.beginGroup(QString::fromLatin1(kSettingsGroup));
    settings.setValue(kAddressValue, record.address);
}

// What needs a sensor: reading and writing, the transfers, the measurements and the variants.
void TQD20_Form::setConnectedSet(bool enabled) {
    for (QAction* a : {LesenButton, SetzenButton, QD20NVB701, QD20NVB2201, QD60NVB5001})
        a->setEnabled(enabled);
    DatenMenu->menuAction()->setEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{BSETQ1, BSETQ2, BAN, BCA, BWE, BES, StartButton, TriggerButton,
                                                      StartButtonSingle, TriggerButtonSingle})
        w->setEnabled(enabled);
}

// A ZYL24 connection ends a Halvern one: the start button polls the ZYL24 again.
void TQD20_Form::SetConnectedControls() {
    leaveHalvernMode();
    setConnectedSet(true);
}

// Without a connection nothing on screen may still speak of the last one: no measured value,
// no lit lamp, no transfer mark.
void TQD20_Form::SetDisconnectedControls() {
    setConnectedSet(false);
    RohDataTimer->stop();
    MessDataTimer->stop();
    showTimerStates();
    AbstandsText->clear();
    Q1_Werte->clear();
    AbstandGauge->setValue(AbstandGauge->minimum());
    setLed(led_q1, 0);
    setLed(led_qv, 0);
    for (QPushButton* b : {BSETQ1, BSETQ2, BAN, BCA, BES, BWE})
        clearMark(b);
}

void TQD20_Form::ApplySensorVariant() {
    if (const Qd20Variant* v = VariantForSensorType(m_app.SensorType)) {
        m_variant = v;
        setStatus(0, QString::fromUtf8(v->sensorText.data(), static_cast<qsizetype>(v->sensorText.size())));
        m_noSensorShown = false;
    }
    QD20NVB701->setChecked(m_variant->sensorType == 2);
    QD20NVB2201->setChecked(m_variant->sensorType == 1);
    QD60NVB5001->setChecked(m_variant->sensorType == 11);
    for (TCSchaltpunkt* editor : {SP_Q1, SP_Q2, SP_QA})
        setEditorScale(editor);
    AbstandGauge->setRange(0, static_cast<int>(std::trunc(m_variant->rangeEnd())));
    if (m_presetPending) {
        m_presetPending = false;
        Qd20Settings s = settingsFromControls();
        PresetPoints(s, *m_variant);
        applySettingsToControls(s);
    }
    refreshEditors();
}

void TQD20_Form::setStatus(int panel, const QString& text) { setTextIfChanged(m_statusPanels.at(panel), text); }

// Poll ticks repeat most texts unchanged; those are left alone rather than set and repainted.
void TQD20_Form::setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text)
        label->setText(text);
}

QString TQD20_Form::statusText(int panel) const { return m_statusPanels.at(panel)->text(); }

void TQD20_Form::showExchangeStatus(StatusKind kind, const QString& hex) {
    m_statusKind = kind;
    m_statusHex = hex;
    switch (kind) {
    case StatusKind::Empty:
        setStatus(2, QStringLiteral("Status:"));
        break;
    case StatusKind::NoData:
        setStatus(2, QStringLiteral("Status: ") + tr("keine Daten"));
        break;
    case StatusKind::Bytes:
        setStatus(2, QStringLiteral("Status: ") + hex);
        break;
    }
}

void TQD20_Form::showNoSensorPanels() {
    showExchangeStatus(StatusKind::Empty);
    setStatus(1, QStringLiteral("Port:"));
    setStatus(0, tr("Sensor: keiner"));
    m_noSensorShown = true;
}

void TQD20_Form::setMark(QPushButton* button, int image) {
    button->setIcon(QIcon(Artwork::bitmap(QStringLiteral("LED%1").arg(image))));
    button->setProperty("transferMark", image);
    button->update();
}

void TQD20_Form::clearMark(QPushButton* button) {
    if (transferMark(button) == 0 && button->icon().isNull())
        return;
    button->setIcon(QIcon());
    button->setProperty("transferMark", 0);
    button->update();
}

int TQD20_Form::transferMark(const QPushButton* button) const { return button->property("transferMark").toInt(); }

void TQD20_Form::setLed(QLabel* led, int image) {
    // Called on every poll tick: a lamp that keeps its colour is left alone.
    const QVariant shown = led->property("ledImage");
    if (shown.isValid() && shown.toInt() == image)
        return;
    led->setPixmap(Artwork::bitmap(QStringLiteral("LED%1").arg(image)));
    led->setProperty("ledImage", image);
}
