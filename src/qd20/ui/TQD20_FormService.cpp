// The ZYL24 window's service side: the simulation window, the views of the line sensor's pixels
// (a curve in the plot, text lines in Memo1), the connection without search or probe, and the
// sensors of the plain-text Halvern protocol. None of it is offered in everyday use: the menus
// show only with the service access word.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Artwork.h"
#include "Prompts.h"
#include "Q20_speziell.h"
#include "Qd20MeasurementText.h"
#include "Qd20PixelData.h"
#include "Schnittstelle.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TFSimulation.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

// The pixel text view stops itself beyond this many lines.
constexpr int kMaxMemoLines = 500;
constexpr int kDefaultCurveIntervalMs = 500;
constexpr int kDefaultTextIntervalMs = 100;
constexpr int kHalvernYmax = 6000;
// A Halvern reply is short and comes at once; a silent sensor must not slow the 100 ms reading.
constexpr std::uint32_t kHalvernTimeoutMs = 10;
constexpr int kHalvernFineYmax = 10000;
constexpr int kHalvernFineType = 15;
constexpr int kPlotYmax = 4096;

} // namespace

void TQD20_Form::buildServiceMenu() {
    // Service entries read the same in both languages.
    lesePixeldaten1 = spezial1->addAction(QStringLiteral("lese Pixeldaten Graph"));
    lesePixeldatenMemo1 = spezial1->addAction(QStringLiteral("lese Pixeldaten Memo"));
    spezial1->addSeparator();
    enableSensor1 = spezial1->addAction(QStringLiteral("enable Sensor"));
    SWDownload = spezial1->addAction(QStringLiteral("SW Download"));
    SWVersion = spezial1->addAction(QStringLiteral("SW_Version"));
    Produktionsnummer = spezial1->addAction(QStringLiteral("Produktionsnummer"));
    Gertevariante = spezial1->addAction(QStringLiteral("Gerätevariante"));
    SoftwarevarianteS0 = spezial1->addAction(QStringLiteral("Softwarevariante S0"));
    SoftwarevarianteS1 = spezial1->addAction(QStringLiteral("Softwarevariante S1"));
    spezial1->addSeparator();
    enableService = spezial1->addAction(QStringLiteral("enable Service"));
    disableService = spezial1->addAction(QStringLiteral("disable Service"));
    undokumentierterBefehl1 = spezial1->addAction(QStringLiteral("undokumentierter Befehl"));
    for (QAction* a : {SWDownload, SWVersion, Produktionsnummer, Gertevariante, SoftwarevarianteS0,
                       SoftwarevarianteS1, disableService})
        a->setEnabled(false);
}

// The hidden items show only for the service access word given on the command line.
void TQD20_Form::showServiceItems() {
    if (!m_app.ServiceAccess)
        return;
    spezial1->menuAction()->setVisible(true);
    for (QAction* a : {QD20NVB701, QD20NVB2201, QD60NVB5001, HalvernMenu, Simulation1})
        a->setVisible(true);
}

std::optional<std::uint8_t> TQD20_Form::typedAddress() const {
    bool ok = false;
    const int typed = Slave_Adr->currentText().trimmed().toInt(&ok);
    if (ok && typed >= 1 && typed <= 128)
        return static_cast<std::uint8_t>(typed);
    return std::nullopt;
}

// Empty when the box was cancelled; an entry that is no positive number gives the fallback.
std::optional<int> TQD20_Form::numberEntry(const QString& caption, const QString& prompt, int preset,
                                           int fallback) {
    const auto entry = m_app.prompts.inputText(this, caption, prompt, QString::number(preset));
    if (!entry)
        return std::nullopt;
    bool ok = false;
    const int value = entry->trimmed().toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

void TQD20_Form::Simulation1Click() {
    if (!m_app.simulation)
        return;
    if (!typedAddress())
        Slave_Adr->setCurrentText(QStringLiteral("1"));
    m_app.simulation->copyRangeFrom(*SP_Q1);
    if (const QScreen* s = screen())
        m_app.simulation->showWithin(s->availableGeometry(), frameGeometry());
    else
        m_app.simulation->show();
    // Every button shows "GO" from here on, so no poll may still be running behind it.
    RohDataTimer->stop();
    MessDataTimer->stop();
    showTimerStates();
    SetzenButton->setEnabled(false);
    LesenButton->setEnabled(true);
    for (QToolButton* b : {StartButton, StartButtonSingle, TriggerButton, TriggerButtonSingle})
        b->setEnabled(true);
    spezial1->menuAction()->setEnabled(true);
    DatenMenu->menuAction()->setEnabled(false);
    for (QPushButton* b : {BWE, BES, BAN, BCA, BSETQ2, BSETQ1})
        b->setEnabled(true);
}

void TQD20_Form::lesePixeldaten1Click() {
    if (TimerPixelGraf->isActive()) {
        TimerPixelGraf->stop();
        return;
    }
    const QString intervalCaption = QStringLiteral("Eingabefeld für Intervall");
    const auto interval = numberEntry(intervalCaption, QStringLiteral("Leseperiode in msec"),
                                      TimerPixelGraf->interval(), kDefaultCurveIntervalMs);
    if (!interval)
        return;
    const auto averages = numberEntry(QStringLiteral("Eingabefeld für Mittelung"),
                                      QStringLiteral("Anzahl Mittelungen <100"), m_pixels.PixelAverages(), 1);
    if (!averages)
        return;
    TimerPixelGraf->setInterval(*interval);
    m_pixels.setPixelAverages(*averages);
    m_pixels.clear();
    startExclusive(TimerPixelGraf);
    preparePlotForPolling();
    m_samples.setHaveData(true); // the curve can be exported like a series of measurements
}

void TQD20_Form::TimerPixelGrafTimer() {
    if (!connectedOrSimulating())
        return;
    const auto address = typedAddress();
    std::optional<PixelHistory::Curve> curve;
    if (address && Qd20Transact(PlainRequest(*address, '6')))
        curve = DecodePixelCurve(lastReply());
    m_pixels.takeReading(curve ? &*curve : nullptr, m_samples);
    Grafik->DataOldest = m_samples.DataOldest();
    Grafik->NewDraw();
}

void TQD20_Form::lesePixeldatenMemo1Click() {
    Memo1->show();
    if (TimerPixel->isActive()) {
        TimerPixel->stop();
        return;
    }
    Memo1->clear();
    const auto interval =
        numberEntry(QStringLiteral("Eingabefeld für Intervall"), QStringLiteral("Leseperiode in msec"),
                    TimerPixel->interval(), kDefaultTextIntervalMs);
    if (!interval)
        return;
    TimerPixel->setInterval(*interval);
    startExclusive(TimerPixel);
}

void TQD20_Form::TimerPixelTimer() {
    if (!connectedOrSimulating())
        return;
    const auto address = typedAddress();
    const bool pixelsRead = address && Qd20Transact(PlainRequest(*address, '6'));
    const int lines = Memo1->document()->isEmpty() ? 0 : Memo1->document()->blockCount();
    if (lines > kMaxMemoLines) {
        TimerPixel->stop();
        m_app.prompts.message(this, Prompts::Icon::Information, QStringLiteral("Timer angebalten!"),
                              Prompts::Ok);
        return;
    }
    if (pixelsRead)
        if (const auto line = PixelHistory::pixelTextLine(lastReply()))
            Memo1->appendPlainText(QString::fromStdString(*line));
    if (address && Qd20Transact(PlainRequest(*address, '3')))
        if (const auto line = PixelHistory::serviceTextLine(lastReply()))
            Memo1->appendPlainText(QString::fromStdString(*line));
}

void TQD20_Form::MenuItem2Click() {
    Memo1->hide();
}

// A connection for service work: no search and no probe, so it also reaches a sensor that does
// not answer as a ZYL24 normally would.
void TQD20_Form::enableSensor1Click() {
    if (TSuchen->isActive() || !takePortDialogChoices())
        return;
    if (!busAddress()) {
        m_app.prompts.message(this, Prompts::Icon::Error, tr("keine Adresse gewählt"), Prompts::Ok);
        Slave_Adr->setFocus();
        return;
    }
    // A line that could not be opened, or was found busy and closed again, is no connection.
    if (!openBusPortChecked() || !m_app.ports.isOpen(PortNumber))
        return;
    m_app.ports.port(PortNumber).echoesOwnBytes = m_app.ports.EchoTest(PortNumber);
    setStatus(1, portPanelText());
    Connected = true;
    m_disconnectedByUser = false;
    ApplySensorVariant();
    SetConnectedControls();
    refreshEditors();
    applyMeasurementTimeouts();
    for (QAction* a : {SWDownload, SWVersion, Produktionsnummer, Gertevariante, SoftwarevarianteS0,
                       SoftwarevarianteS1, disableService})
        a->setEnabled(true);
}

void TQD20_Form::leaveHalvernMode() {
    HalvernDataTimer->stop();
    if (HalvernMode) { // back to the 12-bit scale of the ZYL24
        Grafik->SetYmin(0);
        Grafik->SetYmax(kPlotYmax);
    }
    HalvernMode = false;
    showTimerStates();
}

void TQD20_Form::HalvernMenuClick() {
    if (TSuchen->isActive() || !takePortDialogChoices())
        return;
    leaveHalvernMode();
    Connected = false;
    if (openBusPortChecked() && m_app.ports.isOpen(PortNumber)) {
        m_app.ports.SyncLine(PortNumber);
        m_app.SensorType = static_cast<std::uint8_t>(
            ProbeHalvern(*openDevice(), m_app.ports.port(PortNumber).echoesOwnBytes));
        if (m_app.SensorType != 0) {
            setStatus(1, portPanelText());
            setStatus(0, QStringLiteral("Halvern"));
            m_noSensorShown = false;
            HalvernMode = true;
            // Tenths of a millimetre: type 14 measures up to 500 mm, type 15 up to 900 mm.
            Grafik->SetYmax(m_app.SensorType == kHalvernFineType ? kHalvernFineYmax : kHalvernYmax);
            Grafik->SetYmin(0);
        } else {
            m_app.prompts.message(this, Prompts::Icon::Error, noSensorText(), Prompts::Ok);
            m_app.ports.ClosePort(PortNumber);
        }
    }
    if (!HalvernMode) {
        // Nothing on screen may still speak of the connection before.
        showNotConnected();
        return;
    }
    SetDisconnectedControls();
    showTimerStates();
    StartButton->setEnabled(true);
    applyMeasurementTimeouts(kHalvernTimeoutMs);
}

void TQD20_Form::HalvernDataTimerTimer() {
    SerialDevice* device = openDevice();
    if (!device)
        return;
    const int type = m_app.SensorType;
    const auto distance = ReadHalvernDistance(*device, m_app.ports.port(PortNumber).echoesOwnBytes, type);
    if (!device->lastError().empty()) {
        lineLost(device->lastErrorReason()); // a missed reading is skipped, a lost port ends the poll
        return;
    }
    if (!distance)
        return;
    // Type 15 counts thousandths: a tenth of that leaves the plot's signed 16-bit range beyond
    // 327 mm, so its curve is kept in tenths of a millimetre, as type 14's is.
    const std::uint32_t plotted = type == kHalvernFineType ? *distance / 10 : *distance;
    storeAndDraw(Qd20MeasurementText::HalvernRingValue(plotted, type));
    AbstandsText->setText(QString::fromStdString(Qd20MeasurementText::HalvernText(*distance, type)));
}
