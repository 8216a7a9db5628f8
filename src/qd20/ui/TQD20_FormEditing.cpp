// The ZYL24 window's transfers of single parameter groups: the "set" buttons, the sliders that
// send at once, the EEPROM store, the factory preset and the address change. Encoding, limits
// and the order of the exchanges come from Qd20Commands, which the command-line tool shares.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Prompts.h"
#include "Qd20SimulatedReply.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"
#include "TFSimulation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

// The address of a transfer; without one the failed exchange shows as Qd20Transact shows it.
std::optional<std::uint8_t> TQD20_Form::transferAddress() {
    data_ok->setChecked(false);
    const auto address = busAddress();
    if (!address)
        showExchangeStatus(StatusKind::NoData);
    return address;
}

Qd20Sender TQD20_Form::transferSender() {
    return [this](const Qd20Request& request) { return Qd20Transact(request); };
}

// Common ending of every transfer: while simulating, the acknowledge a sensor would give;
// otherwise a message when the sensor did not accept (a lost port has told its own reason).
void TQD20_Form::endOfTransfer(bool ok, std::optional<std::uint8_t> address) {
    if (simulating()) {
        if (address)
            m_app.simulation->ShowReplyFrame(Qd20SimulatedReply::acknowledge(*address));
    } else if (!ok && !m_lineLost) {
        m_app.prompts.message(this, Prompts::Icon::Error, sendErrorText(), Prompts::Ok);
    }
}

void TQD20_Form::sendOutput(OutputSender send, QPushButton* setButton) {
    if (!connectedOrSimulating())
        return;
    SettingsStored = false;
    const auto address = transferAddress();
    const bool ok = address && send(transferSender(), *address, settingsFromControls(), variant(), simulating());
    if (ok && TxCommand == 'F') // fast measurement selected: the block read becomes possible
        StartButton->setEnabled(true);
    if (ok) {
        setMark(setButton, kConfirmImage);
        clearMark(BES);
        clearMark(BWE);
    } else {
        clearMark(setButton);
    }
    endOfTransfer(ok, address);
}

void TQD20_Form::BSETQ1Click() { sendOutput(&SendQ1, BSETQ1); }

void TQD20_Form::BSETQ2Click() { sendOutput(&SendQ2, BSETQ2); }

void TQD20_Form::BANClick() {
    if (!connectedOrSimulating())
        return;
    // Like every other parameter, a new characteristic is lost at power-off until it is stored.
    SettingsStored = false;
    const Qd20AnalogPoint point20 = LimitAnalogPoint(TCSchaltpunkt::parseLenient(EVoll->text()), variant());
    if (point20.limited)
        EVoll->setText(pointText(SP_QA, point20.mm));
    const Qd20AnalogPoint point4 = LimitAnalogPoint(TCSchaltpunkt::parseLenient(ENull->text()), variant());
    if (point4.limited)
        ENull->setText(pointText(SP_QA, point4.mm));
    const auto address = transferAddress();
    const bool ok = address && SendAnalog(transferSender(), *address, point20, point4);
    if (ok) {
        setMark(BAN, kConfirmImage);
        clearMark(BES);
        clearMark(BWE);
    } else {
        clearMark(BAN);
    }
    endOfTransfer(ok, address);
}

void TQD20_Form::sendSetting(const std::function<Qd20Request(std::uint8_t address)>& build) {
    if (!connectedOrSimulating())
        return;
    SettingsStored = false;
    const auto address = transferAddress();
    const bool ok = address && Qd20Transact(build(*address));
    if (ok) {
        clearMark(BES);
        clearMark(BWE);
    }
    endOfTransfer(ok, address);
}

void TQD20_Form::TVSlideChange() {
    sendSetting([this](std::uint8_t address) { return KeyLockRequest(address, TVSlide->Position()); });
}

void TQD20_Form::Hold_SlideChange() {
    sendSetting([this](std::uint8_t address) { return HoldRequest(address, Hold_Slide->Position()); });
}

void TQD20_Form::BWSlideExit() {
    sendSetting([this](std::uint8_t address) {
        return AveragingRequest(address, BWSlide->Position(), CBlowlight->isChecked());
    });
}

void TQD20_Form::CBlowlightMouseUp() { BWSlideExit(); }

void TQD20_Form::SetQ1SlideChange() {
    if (!connectedOrSimulating() || !SoftTriggerAllowed(FktQ1Slide->Position()))
        return;
    const int position = SetQ1Slide->Position();
    const auto address = transferAddress();
    const bool ok = address && Qd20Transact(SoftTriggerRequest(*address, position));
    if (ok)
        setLed(led_q1, position == 1 ? 0 : 2); // white for "set Q1 low", yellow for "high"
    endOfTransfer(ok, address);
}

void TQD20_Form::BESClick() {
    const auto address = transferAddress();
    const bool ok = address && Qd20Transact(PlainRequest(*address, 'S'));
    if (ok || simulating()) {
        setMark(BES, kConfirmImage);
        SettingsStored = true;
    } else {
        clearMark(BES); // an earlier store's tick must not stand beside this failure
    }
    endOfTransfer(ok, address);
}

void TQD20_Form::BWEClick() {
    const auto address = transferAddress();
    const bool ok = address && Qd20Transact(PlainRequest(*address, 'W'));
    SettingsStored = false;
    if (ok) {
        clearMark(BES);
        setMark(BWE, kFactoryPresetImage);
        LesenMenuClick(); // show what the preset made of the sensor
    } else {
        clearMark(BWE);
    }
    endOfTransfer(ok, address);
}

void TQD20_Form::BCAClick() {
    const auto entry = m_app.prompts.inputText(this, tr("Dateneingabe"), tr("neue Adresse:"), QString());
    if (!entry)
        return;
    bool isNumber = false;
    int value = entry->trimmed().toInt(&isNumber);
    if (!isNumber)
        value = -1;
    const auto newAddress = static_cast<std::uint8_t>(value & 0xFF);
    if (newAddress < 1 || newAddress > 127) {
        m_app.prompts.message(this, Prompts::Icon::Error, tr("ungültige Adresse !"), Prompts::Ok);
        return;
    }
    const auto address = transferAddress();
    if (!address) {
        clearMark(BCA);
        endOfTransfer(false, address);
        return;
    }
    Qd20Transact(AddressChangeRequest(*address, newAddress));

    // The sensor needs a moment before it answers at its new address.
    const QString remembered = Slave_Adr->currentText();
    Slave_Adr->setCurrentText(QString::number(newAddress));
    Slave_Adr->repaint();
    m_app.clock.sleepMs(1000);
    const bool ok = !simulating() && Qd20Transact(PlainRequest(newAddress, 'A'));
    Slave_Adr->setCurrentText(remembered);
    if (ok) {
        Slave_Adr->setCurrentText(QString::number(newAddress));
        if (*address < FoundTypes.size())
            FoundTypes[newAddress] = FoundTypes[*address] != 0 ? FoundTypes[*address] : m_app.SensorType;
        clearMark(BES);
        clearMark(BWE);
        setMark(BCA, kConfirmImage);
    } else {
        clearMark(BCA);
    }
    endOfTransfer(ok, address);
}
