// The ZYL24 window's connection: exchanges, bus search, manual connection, read all, write all,
// disconnect.
#include "TQD20_Form.h"

#include "AppState.h"
#include "LinkTexts.h"
#include "Prompts.h"
#include "Qd20ParameterBlock.h"
#include "Qd20SimulatedReply.h"
#include "Schnittstelle.h"
#include "TCOMPortDialog.h"
#include "TFSimulation.h"
#include "TFortschritt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

// Parity entries of the port dialog in list order: even, odd, none, mark.
constexpr int kParityCode[] = {2, 1, 0, 3};
constexpr int kNoParityEntry = 2;
// The search probes the addresses 1..127; 128 is reached only by a manual connection.
constexpr int kSearchEnd = 128;

} // namespace

bool TQD20_Form::simulating() const {
    return m_app.simulation && m_app.simulation->isVisible();
}

std::optional<std::uint8_t> TQD20_Form::busAddress() {
    bool ok = false;
    int address = Slave_Adr->currentText().trimmed().toInt(&ok);
    if (!ok) {
        const auto answer = m_app.prompts.inputText(this, tr("Dateneingabe"), tr("keine Adresse gewählt"),
                                                    QStringLiteral("1"));
        if (answer) {
            Slave_Adr->setCurrentText(*answer);
            address = answer->trimmed().toInt(&ok);
        }
    }
    if (!ok || address < 1 || address > 128) {
        Slave_Adr->setFocus();
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(address);
}

bool TQD20_Form::Qd20Transact(char command, std::initializer_list<std::uint8_t> data) {
    const auto address = transferAddress();
    if (!address)
        return false;
    Qd20Request request = PlainRequest(*address, command);
    std::copy_n(data.begin(), std::min(data.size(), request.data.size()), request.data.begin());
    return Qd20Transact(request);
}

// data_ok is cleared for the exchange and set by its result. Nothing can look at it while the
// exchange blocks, so it is written once, at the end: a poll that keeps succeeding leaves the box
// alone instead of repainting it on every tick.
bool TQD20_Form::Qd20Transact(const Qd20Request& request) {
    m_reply.clear();
    TxCommand = request.command;
    if (simulating()) {
        // Nothing goes to the line: the simulation window shows what would have been sent.
        m_app.simulation->ShowRequestFrame(BuildFrame(request));
        showExchangeStatus(StatusKind::NoData);
        data_ok->setChecked(false);
        return false;
    }
    SerialDevice* device = openDevice();
    if (!device) {
        showExchangeStatus(StatusKind::NoData);
        data_ok->setChecked(false);
        return false;
    }
    Qd20Result result = ::Qd20Transact(*device, m_app.ports.port(PortNumber).echoesOwnBytes, m_app.clock,
                                       m_app.ports.port(PortNumber).history, request);
    m_reply = std::move(result.data);
    if (result.status == Qd20Status::NoData)
        showExchangeStatus(StatusKind::NoData);
    else if (result.status == Qd20Status::Bytes)
        showExchangeStatus(StatusKind::Bytes, QString::fromStdString(result.statusHex));
    data_ok->setChecked(result.dataOk);
    // The port itself has failed (a pulled adapter): every further exchange would fail the same way.
    if (!result.deviceError.empty())
        lineLost(device->lastErrorReason());
    return result.dataOk;
}

// Whatever was running (a poll, a service timer, the search) stops with the connection, so the
// reason is told once instead of once per tick or per remaining transfer; the messages those
// would give are held back until a port is opened again. The port is closed at once, so the
// next search or connection opens it afresh.
void TQD20_Form::lineLost(const LinkReason& why) {
    m_lineLost = true;
    stopWindowTimers();
    if (TSuchen->isActive())
        endSearchRun();
    endConnection();
    m_app.prompts.message(this, Prompts::Icon::Error, LinkTexts::lostText(why, m_app.EnglishUi), Prompts::Ok);
}

void TQD20_Form::prefillPortDialog() {
    TCOMPortDialog* dialog = m_app.portDialog;
    if (PortNumber != 0)
        dialog->PortNummer->setCurrentText(QString::number(PortNumber));
    dialog->Parity->setCurrentIndex(kNoParityEntry);
    dialog->StopBits->setCurrentIndex(0);
    dialog->BaudRate->setCurrentText(QStringLiteral("38400"));
    dialog->Datenbits->setCurrentText(QStringLiteral("8"));
    for (QComboBox* fixed : {dialog->Parity, dialog->StopBits, dialog->BaudRate, dialog->Datenbits})
        fixed->setEnabled(false);
    dialog->CBrts->setCurrentIndex(std::clamp<int>(m_app.ports.RtsMode, 0, 2));
    dialog->CBTimeout->setCurrentText(QStringLiteral("100"));
    dialog->CBTimeout->setEnabled(m_app.ServiceAccess);
}

// Shows the port dialog; false when it was not confirmed.
bool TQD20_Form::takePortDialogChoices() {
    TCOMPortDialog* dialog = m_app.portDialog;
    if (!dialog)
        return false;
    prefillPortDialog();
    if (dialog->showModal() != QDialog::Accepted)
        return false;
    m_app.ports.RtsMode = static_cast<std::int16_t>(std::max(0, dialog->CBrts->currentIndex()));
    PortNumber = dialog->PortNummer->currentText().trimmed().toInt();
    return true;
}

// Opens the port with the dialog's line settings. False when there is no port to work on;
// a busy line is closed again but lets the caller go on (it then finds nothing).
bool TQD20_Form::openBusPortChecked() {
    Prompts& prompts = m_app.prompts;
    if (PortNumber > Schnittstelle::kMaxPort) {
        prompts.message(this, Prompts::Icon::Error, QStringLiteral("comport not allowed"), Prompts::Ok);
        return false;
    }
    TCOMPortDialog* dialog = m_app.portDialog;
    const int parityEntry = std::clamp(dialog->Parity->currentIndex(), 0, 3);
    const int stopBits = std::clamp(dialog->StopBits->currentIndex(), 0, 2);
    bool ok = false;
    int timeout = dialog->CBTimeout->currentText().trimmed().toInt(&ok);
    if (!ok || timeout < 0)
        timeout = 20;
    const auto baud = dialog->BaudRate->currentText().trimmed().toUInt();
    const int dataBits = dialog->Datenbits->currentText().trimmed().toInt();
    if (!m_app.ports.OpenBusPort(PortNumber, baud, stopBits, kParityCode[parityEntry], dataBits,
                                 static_cast<std::uint32_t>(timeout))) {
        // The reason (absent, held by another program, no permission) helps more than the
        // bare word.
        QString text = QStringLiteral("comport error");
        const QString why = LinkTexts::reasonText(m_app.ports.lastOpenReason(), m_app.EnglishUi);
        if (!why.isEmpty())
            text += QLatin1Char('\n') + why;
        prompts.message(this, Prompts::Icon::Error, text, Prompts::Ok);
        showNotConnected();
        return false;
    }
    m_lineLost = false;
    if (m_app.ports.LineIsBusy(PortNumber)) {
        prompts.message(this, Prompts::Icon::Error, QStringLiteral("comport is busy"), Prompts::Ok);
        m_app.ports.ClosePort(PortNumber);
        showNotConnected();
    }
    return true;
}

// After a port that did not open, or a connection that failed: the window shows no sensor.
void TQD20_Form::showNotConnected() {
    Connected = false;
    data_ok->setChecked(false); // no exchange stands behind a tick any more
    SetDisconnectedControls();
    showNoSensorPanels();
}

// A ZYL24 answers 'A' but stays silent to 'v'; a device that answers both is something else.
bool TQD20_Form::probeAddress(std::uint8_t address) {
    m_app.SensorType = 0;
    const bool answersA = Qd20Transact(PlainRequest(address, 'A'));
    const bool answersV = answersA && Qd20Transact(PlainRequest(address, 'v'));
    if (answersA && !answersV) {
        m_app.SensorType = 1;
        return true;
    }
    return false;
}

SerialDevice* TQD20_Form::openDevice() const {
    return m_app.ports.isOpen(PortNumber) ? m_app.ports.device(PortNumber) : nullptr;
}

void TQD20_Form::applyMeasurementTimeouts(std::uint32_t totalConstantMs) {
    if (SerialDevice* device = openDevice()) {
        Timeouts t;
        t.readIntervalMs = 4;
        t.readTotalMultiplierMs = 2;
        t.readTotalConstantMs = totalConstantMs;
        device->setTimeouts(t);
    }
}

QString TQD20_Form::portPanelText() const {
    return QStringLiteral("Port: COM%1").arg(PortNumber);
}

void TQD20_Form::SuchenMenuClick() {
    if (TSuchen->isActive())
        return;
    TFortschritt* progress = m_app.progress;
    if (progress)
        progress->reset();
    TypeBeforeSearch = m_app.SensorType;
    if (!takePortDialogChoices())
        return;
    // The port is about to be reopened and probed address by address: a poll running on the old
    // connection would talk to whatever address the scan shows.
    MessModeChange();
    Slave_Adr->clear();
    if (!openBusPortChecked())
        return;
    m_app.ports.port(PortNumber).echoesOwnBytes = m_app.ports.EchoTest(PortNumber);
    if (progress) {
        progress->setMaximum(kSearchEnd);
        progress->show();
    }
    m_app.StopSearch = false;
    SearchAddress = 0;
    FoundCount = 0;
    for (QAction* a : {SuchenMenu, SuchenButton, ManuellMenu, TrennenMenu})
        a->setEnabled(false);
    TSuchen->start();
}

void TQD20_Form::TSuchenTimer() {
    ++SearchAddress;
    if (m_app.StopSearch || SearchAddress >= kSearchEnd) {
        finishSearch();
        return;
    }
    const auto address = static_cast<std::uint8_t>(SearchAddress);
    Slave_Adr->setCurrentText(QString::number(address));
    Slave_Adr->repaint();
    if (m_app.progress)
        m_app.progress->advance(1);
    if (probeAddress(address)) {
        FoundTypes[address] = m_app.SensorType;
        Slave_Adr->addItem(QString::number(address));
        ++FoundCount;
        finishSearch();
    }
}

void TQD20_Form::endSearchRun() {
    TSuchen->stop();
    if (m_app.progress)
        m_app.progress->hide();
    for (QAction* a : {SuchenMenu, SuchenButton, ManuellMenu, TrennenMenu})
        a->setEnabled(true);
}

void TQD20_Form::finishSearch() {
    endSearchRun();
    if (FoundCount != 0) {
        if (m_app.SensorType != 0)
            LesenMenuClick();
        if (m_lineLost)
            return; // the port failed while reading: told, and the window shows no sensor
        Connected = true;
        m_disconnectedByUser = false;
        Slave_Adr->setCurrentText(Slave_Adr->itemText(0));
        ApplySensorVariant();
        SetConnectedControls();
        setStatus(1, portPanelText());
        refreshEditors();
        applyMeasurementTimeouts();
        return;
    }
    Slave_Adr->setCurrentText(QStringLiteral("no"));
    m_app.ports.ClosePort(PortNumber);
    m_app.SensorType = TypeBeforeSearch;
    showNotConnected();
    m_app.prompts.message(this, Prompts::Icon::Error, noSensorText(), Prompts::Ok);
}

void TQD20_Form::ManuellMenuClick() {
    if (TSuchen->isActive() || !takePortDialogChoices())
        return;
    const auto address = busAddress();
    if (!address) {
        m_app.prompts.message(this, Prompts::Icon::Error, tr("keine Adresse gewählt"), Prompts::Ok);
        Slave_Adr->setFocus();
        return;
    }
    MessModeChange(); // as for a search: no poll runs across the reconnection
    if (!openBusPortChecked())
        return;
    m_app.ports.port(PortNumber).echoesOwnBytes = m_app.ports.EchoTest(PortNumber);
    const bool found = probeAddress(*address);
    if (found)
        LesenMenuClick();
    if (m_lineLost)
        return; // the port failed: told, and the window shows no sensor
    if (found) {
        setStatus(1, portPanelText());
        Connected = true;
        m_disconnectedByUser = false;
    } else {
        m_app.prompts.message(this, Prompts::Icon::Error, noSensorText(), Prompts::Ok);
        m_app.ports.ClosePort(PortNumber);
        Connected = false;
    }
    ApplySensorVariant();
    if (Connected)
        SetConnectedControls();
    else
        showNotConnected();
    refreshEditors();
    applyMeasurementTimeouts();
}

void TQD20_Form::LesenMenuClick() {
    const auto address = transferAddress();
    if (!address)
        return;
    const bool ok = Qd20Transact(PlainRequest(*address, '?'));
    const bool simulated = simulating();
    if (!ok && !simulated)
        return;
    if (simulated) {
        // What a sensor with the window's current settings would answer.
        const auto frame = Qd20SimulatedReply::parameterBlock(*address, settingsFromControls(), variant());
        m_app.simulation->ShowReplyFrame(frame);
        m_reply.assign(frame.begin() + 3, frame.end() - 1);
    }
    const auto block = DecodeParameterBlock(m_reply);
    if (!block) // a short reply from something that is no ZYL24: leave the controls alone
        return;
    std::copy_n(m_reply.begin(), ParameterBlock.size(), ParameterBlock.begin());
    if (!VariantFixed) {
        if (const Qd20Variant* v = VariantForCode(block->variantCode))
            m_app.SensorType = static_cast<std::uint8_t>(v->sensorType);
    }
    ApplySensorVariant();
    applySettingsToControls(SettingsFromBlock(*block, variant(), settingsFromControls()));
    // Choosing this address again later must bring back the variant just read.
    if (*address < FoundTypes.size() && VariantForSensorType(m_app.SensorType))
        FoundTypes[*address] = m_app.SensorType;
}

void TQD20_Form::readAsVariant(int sensorType) {
    m_app.SensorType = static_cast<std::uint8_t>(sensorType);
    VariantFixed = true;
    LesenMenuClick();
    VariantFixed = false;
}

void TQD20_Form::SetzenButtonClick() {
    if (!connectedOrSimulating())
        return;
    for (Qd20Group group : kQd20WriteAllOrder) {
        switch (group) {
        case Qd20Group::Q1:
            BSETQ1Click();
            break;
        case Qd20Group::Q2:
            BSETQ2Click();
            break;
        case Qd20Group::KeyLock:
            TVSlideChange();
            break;
        case Qd20Group::Averaging:
            BWSlideExit();
            break;
        case Qd20Group::Hold:
            Hold_SlideChange();
            break;
        case Qd20Group::Analog:
            BANClick();
            break;
        }
        // Each group has shown its own message when it failed; the rest is not sent.
        if (!data_ok->isChecked())
            break;
    }
    BSETQ1->update();
    BSETQ2->update();
}

void TQD20_Form::TrennenMenuClick() {
    endConnection();
    m_disconnectedByUser = true;
}

void TQD20_Form::endConnection() {
    if (m_app.ports.isOpen(PortNumber)) {
        m_app.ports.ClosePort(PortNumber);
        m_app.SensorType = 0;
    }
    leaveHalvernMode();
    showNotConnected();
}
