// The ZYL24 window's measurements: the two 40 ms polls ('A' distance, 'I' Q1 value), single
// measurements, the block read of the fast measuring mode and the CSV export of what was
// collected. Polled values go into the preallocated sample memory; the plot reads them from
// there, so a poll allocates nothing.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Artwork.h"
#include "MeasurementExport.h"
#include "Prompts.h"
#include "Qd20MeasurementText.h"
#include "Qd20SimulatedReply.h"
#include "SavedFile.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"
#include "TFSimulation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QSaveFile>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kLedWhite = 0;
constexpr int kLedGreen = 1;
constexpr int kLedYellow = 2;
constexpr int kDiffHoldPosition = 6;

void showImage(QToolButton* button, bool running) {
    button->setIcon(QIcon(Artwork::bitmap(running ? QStringLiteral("STOP") : QStringLiteral("GO"))));
    button->setProperty("running", running);
}

} // namespace

// One 'A' or 'I'. While the simulation window is open, the reply is the one a sensor at the
// simulated distance would give, shown there. A poll never asks for an address: an input box
// every 40 ms would stack up while the first one is still open.
std::optional<Qd20Measurement> TQD20_Form::measure(char command, bool askForAddress) {
    const auto address = askForAddress ? transferAddress() : typedAddress();
    if (!address)
        return std::nullopt;
    const bool ok = Qd20Transact(PlainRequest(*address, command));
    if (simulating()) {
        const auto frame = Qd20SimulatedReply::measurement(*address, m_app.simulation->simulatedDistance(),
                                                           SP_Q1->SP1(), variant());
        m_app.simulation->ShowReplyFrame(frame);
        m_reply.assign(frame.begin() + 3, frame.end() - 1);
    } else if (!ok) {
        return std::nullopt;
    }
    return DecodeMeasurement(m_reply);
}

// The lamps, LastRaw and the distance or Q1 text of a measurement.
void TQD20_Form::showMeasurement(const Qd20Measurement& m, char command) {
    m_samples.setLastRaw(m.value);
    setLed(led_qv, m.goodTarget ? kLedGreen : kLedWhite);
    setLed(led_q1, m.q1On ? kLedYellow : kLedWhite);
    if (command == 'A') {
        setTextIfChanged(AbstandsText,
                         QString::fromStdString(Qd20MeasurementText::AbstandsText(m.value, variant())));
        const int gauge = Qd20MeasurementText::gaugeValue(m.value, variant());
        if (AbstandGauge->value() != gauge)
            AbstandGauge->setValue(gauge);
    } else {
        setTextIfChanged(Q1_Werte, QString::fromStdString(Qd20MeasurementText::Q1Text(
                                       m.value, variant(), FktQ1Slide->Position() == kDiffHoldPosition)));
    }
}

// One tick of a poll: a missed reply is skipped silently and the displays keep the last value.
void TQD20_Form::poll(char command) {
    const auto m = measure(command, false);
    if (!m)
        return;
    m_samples.setHaveData(true);
    if (!StartButton->isEnabled())
        StartButton->setEnabled(true);
    showMeasurement(*m, command);
    storeAndDraw(m->value);
}

void TQD20_Form::storeAndDraw(std::uint16_t value) {
    m_samples.store(value);
    Grafik->DataOldest = m_samples.DataOldest();
    Grafik->NewDraw();
}

void TQD20_Form::RohDataTimerTimer() {
    poll('A');
}

void TQD20_Form::MessDataTimerTimer() {
    poll('I');
}

// A single measurement shows its value but leaves the ring and the plot alone.
void TQD20_Form::singleMeasurement(char command) {
    if (!connectedOrSimulating())
        return;
    if (const auto m = measure(command, true))
        showMeasurement(*m, command);
    else if (!simulating() && Connected) // a lost port has told its own reason
        m_app.prompts.message(this, Prompts::Icon::Error, sendErrorText(), Prompts::Ok);
}

void TQD20_Form::StartButtonSingleClick() {
    if (connectedOrSimulating() && TxCommand == 'F')
        blockRead();
    else
        singleMeasurement('A');
}

void TQD20_Form::TriggerButtonSingleClick() {
    singleMeasurement('I');
}

// The polls and the service timers share the sample memory, the plot and the line: only one of
// them runs at a time.
void TQD20_Form::startExclusive(QTimer* timer) {
    for (QTimer* t : {RohDataTimer, MessDataTimer, TimerPixelGraf, TimerPixel, HalvernDataTimer})
        if (t != timer)
            t->stop();
    timer->start();
    showTimerStates();
    // A single measurement is refused only while its own poll runs.
    StartButtonSingle->setEnabled(connectedOrSimulating() && timer != RohDataTimer);
    TriggerButtonSingle->setEnabled(connectedOrSimulating() && timer != MessDataTimer);
}

// "STOP" on a repeat button while its timer runs, "GO" otherwise.
void TQD20_Form::showTimerStates() {
    showImage(StartButton, RohDataTimer->isActive() || HalvernDataTimer->isActive());
    showImage(TriggerButton, MessDataTimer->isActive());
}

// A new series: the ring cleared and the plot reading it from slot 1, the next store into slot 0.
void TQD20_Form::preparePlotForPolling() {
    m_samples.startPolling();
    Grafik->SetAnzahl(m_samples.plotCount());
    Grafik->DataStart = m_samples.DataStart();
    Grafik->DataOldest = m_samples.DataOldest();
    Grafik->Paint();
}

// Starts a repeated reading on a cleared ring, or stops it when it runs.
void TQD20_Form::togglePoll(QTimer* timer) {
    if (timer->isActive()) {
        timer->stop();
        MessModeChange();
        return;
    }
    if (!m_samples.isAllocated()) {
        m_app.prompts.message(this, Prompts::Icon::Error, notEnoughMemoryText(), Prompts::Ok);
        return;
    }
    startExclusive(timer);
    preparePlotForPolling();
}

void TQD20_Form::StartButtonClick() {
    if (HalvernMode) { // the start button of a Halvern connection reads the Halvern sensor
        togglePoll(HalvernDataTimer);
        return;
    }
    if (!connectedOrSimulating())
        return;
    if (TxCommand == 'F')
        blockRead();
    else
        togglePoll(RohDataTimer);
}

void TQD20_Form::TriggerButtonClick() {
    if (connectedOrSimulating())
        togglePoll(MessDataTimer);
}

// Back to idle: no poll running, both single buttons usable again (when there is a sensor).
void TQD20_Form::MessModeChange() {
    RohDataTimer->stop();
    MessDataTimer->stop();
    showTimerStates();
    const bool usable = connectedOrSimulating();
    StartButtonSingle->setEnabled(usable);
    TriggerButtonSingle->setEnabled(usable);
}

// Fast measuring mode: the sensor streams its values unasked; up to 20000 are read in one go.
void TQD20_Form::blockRead() {
    if (simulating()) // the simulation builds no stream
        return;
    RohDataTimer->stop();
    MessDataTimer->stop();
    showTimerStates();
    if (!m_samples.LargeBuffer()) {
        m_app.prompts.message(this, Prompts::Icon::Error, notEnoughMemoryText(), Prompts::Ok);
        return;
    }
    SerialDevice* device = openDevice();
    if (!device || !m_samples.fillFromStream(*device)) {
        m_samples.setHaveData(false);
        if (device && !device->lastError().empty())
            lineLost(device->lastErrorReason());
        else
            m_app.prompts.message(this, Prompts::Icon::Error, sendErrorText(), Prompts::Ok);
        return;
    }
    Grafik->SetAnzahl(m_samples.plotCount());
    Grafik->DataStart = m_samples.DataStart();
    Grafik->DataOldest = m_samples.DataOldest();
    Grafik->Paint();
}

void TQD20_Form::STsaveClick() {
    if (!m_samples.HaveData())
        return;
    Prompts::FileDialog dialog;
    dialog.title = QStringLiteral("Daten speichern");
    dialog.filter = QStringLiteral("Sensordaten (*.csv)|*.csv");
    dialog.defaultSuffix = QStringLiteral("csv");
    const auto path = m_app.prompts.saveFileName(this, dialog);
    if (!path)
        return;
    const std::string csv = MeasurementExport::toCsv(
        std::span<const std::uint16_t>(m_samples.DataStart(), m_samples.exportCount()), variant());
    writeUserFile(*path, csv);
}

// Written aside and put in place at the end, so a failed write leaves an older file intact.
bool TQD20_Form::writeUserFile(const QString& path, const std::string& content) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && SavedFile::writeAndCommit(file, content))
        return true;
    m_app.prompts.message(this, Prompts::Icon::Error,
                          tr("Datei kann nicht geschrieben werden:\n%1\n%2").arg(path, file.errorString()),
                          Prompts::Ok);
    return false;
}
