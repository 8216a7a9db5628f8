// The ZYL 36 window: connection, reading, writing, EEPROM, protection field, distance polls with
// the supervision output, limit parameters and presets.
#include "TQS40_NUVA_Form.h"

#include "AppState.h"
#include "LinkTexts.h"
#include "Prompts.h"
#include "Schnittstelle.h"
#include "TAboutBox.h"
#include "TCOMPortDialog.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"
#include "TFortschritt.h"
#include "TLimitParas.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <cmath>

namespace {

constexpr int kHysteresisFallback = 300;
constexpr int kParityEntry = 2;
constexpr int kMaxTolerance = 65535;

// A number typed into an input box; the fallback when it holds none.
int numberOr(const std::optional<QString>& text, int fallback) {
    if (!text)
        return fallback;
    bool ok = false;
    const int v = text->trimmed().toInt(&ok);
    return ok ? v : fallback;
}

} // namespace

// ---- Connection ------------------------------------------------------------------------------------

// The search looks at one port per tick of TSuchen, so the progress dialog's cancel button works.
void TQS40_NUVA_Form::SuchenButtonClick() {
    if (TSuchen->isActive())
        return;
    stopPolling();
    TFortschritt* progress = m_app.progress;
    m_app.StopSearch = false;
    if (progress) {
        progress->setMaximum(NuvaSession::kSearchProgress);
        progress->reset();
        progress->show();
    }
    m_session.beginSearch();
    for (QAction* a : {SuchenButton, SuchenMenu, ManuellMenu})
        a->setEnabled(false);
    TSuchen->start();
}

void TQS40_NUVA_Form::TSuchenTimer() {
    NuvaSession::Connection c;
    if (!m_session.searchStep(m_app.progress, c))
        return;
    endSearch();
    afterConnection(c, true);
}

void TQS40_NUVA_Form::endSearch() {
    TSuchen->stop();
    for (QAction* a : {SuchenButton, SuchenMenu, ManuellMenu})
        a->setEnabled(true);
    if (m_app.progress)
        m_app.progress->hide();
}

void TQS40_NUVA_Form::ManuellMenuClick() {
    TCOMPortDialog* dialog = m_app.portDialog;
    if (!dialog)
        return;
    stopPolling();
    if (portNumber() != 0)
        dialog->PortNummer->setCurrentText(QString::number(portNumber()));
    dialog->BaudRate->setCurrentText(QStringLiteral("57600"));
    dialog->Datenbits->setCurrentText(QStringLiteral("8"));
    dialog->StopBits->setCurrentIndex(0);
    dialog->Parity->setCurrentIndex(kParityEntry);
    dialog->CBTimeout->setCurrentText(QStringLiteral("50"));
    for (QComboBox* fixed : {dialog->BaudRate, dialog->Datenbits, dialog->StopBits, dialog->Parity})
        fixed->setEnabled(false);
    if (dialog->showModal() != QDialog::Accepted)
        return;
    bool ok = false;
    int com = dialog->PortNummer->currentText().trimmed().toInt(&ok);
    if (!ok)
        com = 1;
    // The link sets its own time-outs: the dialog's time-out is not used here.
    afterConnection(m_session.connectManual(com), false);
}

void TQS40_NUVA_Form::afterConnection(const NuvaSession::Connection& c, bool fromSearch) {
    if (c.sensorType != 0) {
        applyTypeLayout();
        switch (c.sensorType) {
        case kTypeMetall:
            setStatus(0, QStringLiteral("Sensor: QS40MNTB-Metall ") + QString::fromStdString(c.identReply));
            break;
        case kNuvaTypeMntd:
            setStatus(0, QStringLiteral("Sensor: QS40MNTD ") +
                             QString::fromStdString(m_session.sensorVersion()));
            break;
        default:
            setStatus(0, QStringLiteral("Sensor: QS40MNTB ") +
                             QString::fromStdString(m_session.sensorVersion()));
            break;
        }
        setStatus(1, QStringLiteral("Port: ") + QString::number(c.port));
        setSensorControlsEnabled(true);
        setGlyph("GO");
        LesenButtonClick(); // a line that fails here leaves the window without a sensor again
    } else {
        showNoSensor();
        if (c.failure == "comport not allowed") {
            error(QStringLiteral("comport not allowed"));
        } else {
            // Ports that are not there are no news after a search; a device that went away is.
            QString text = tr("kein QS40MNTx gefunden");
            if (const auto why = m_session.takeLostLine())
                text += QStringLiteral("\n") + LinkTexts::reasonText(*why, m_app.EnglishUi);
            else if (!fromSearch && !c.failure.empty())
                text += QStringLiteral("\n") + QString::fromStdString(c.failure);
            error(text);
        }
    }
    AbstandBar->setMaximum(MaxDistance);
    AbstandBar->setTickInterval(MaxDistance / 10);
}

// The limit dialog goes too: its values belong to a sensor that is no longer there, and its
// "set" would only fail again.
void TQS40_NUVA_Form::showNoSensor() {
    m_limits->hide();
    setSensorControlsEnabled(false);
    SWDownload->setEnabled(false);
    setStatus(0, QStringLiteral("Sensor: "));
    setStatus(1, QStringLiteral("Port: "));
    m_noSensorStatus = true;
    // The English text keeps the panel's "Status: " and the German one never had it; both are
    // what the window has always shown, so neither is brought into line with the other.
    setStatus(2, tr("kein Sensor"));
    setDataOk(false);
    showDistance(0);
    Energie->clear();
}

// Polling and supervision end with the line (the session has already let go of the
// supervision output), and no box follows for the rest of the activity: its exchanges are not
// sent any more.
bool TQS40_NUVA_Form::lineLost() {
    const std::optional<LinkReason> why = m_session.takeLostLine();
    if (!why)
        return false;
    stopPolling();
    showNoSensor();
    error(LinkTexts::lostText(*why, m_app.EnglishUi));
    return true;
}

// Which groups a sensor type has, and its measuring range.
void TQS40_NUVA_Form::applyTypeLayout() {
    const int type = m_session.connectedType();
    const bool allFields = type == kNuvaTypeMntd;
    for (std::size_t field = 1; field < kNuvaFieldCount; ++field)
        m_fieldGroups[field]->setVisible(allFields);
    GBSchutzfeld->setVisible(allFields);
    GBAdressen->setVisible(type != kTypeMetall);
    MaxDistance = NuvaSession::maxDistance(type);
    m_loading = true;
    for (TCSchaltpunkt* p : m_points)
        p->SetStoppValue(static_cast<float>(MaxDistance));
    m_loading = false;
}

void TQS40_NUVA_Form::setSensorControlsEnabled(bool enabled) {
    for (QAction* a : {LesenButton, SetzenButton, StartButton})
        a->setEnabled(enabled);
    DatenMenu->menuAction()->setEnabled(enabled);
}

// ---- Values ----------------------------------------------------------------------------------------

std::array<long long, kNuvaSwitchPointCount> TQS40_NUVA_Form::pointValues() const {
    std::array<long long, kNuvaSwitchPointCount> v{};
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        v[k] = static_cast<long long>(std::trunc(m_points[k]->SP1()));
    return v;
}

std::array<long long, kNuvaHysteresisCount> TQS40_NUVA_Form::hysteresisValues() const {
    return Hysteresis;
}

void TQS40_NUVA_Form::showHysteresis(const std::array<long long, kNuvaHysteresisCount>& values) {
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        m_hysteresisEdits[k]->setText(QString::number(values[k]));
    Hysteresis = values;
}

// Points from the sensor, a file, a preset or the record go on the scale by the same rule as
// zylctl's, so a file the window loads and sends reaches the sensor as it does from zylctl; the
// editor then keeps the value as it is.
void TQS40_NUVA_Form::setPoint(std::size_t k, double mm) {
    m_points[k]->SetPos1Value(static_cast<float>(NuvaSession::pointOnScale(mm, MaxDistance)));
}

void TQS40_NUVA_Form::HysteresisChange() {
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k) {
        bool ok = false;
        const long long v = m_hysteresisEdits[k]->text().trimmed().toLongLong(&ok);
        Hysteresis[k] = ok ? v : kHysteresisFallback;
    }
    if (!m_loading)
        SettingsStored = false;
}

void TQS40_NUVA_Form::SwitchPointChange() {
    if (!m_loading)
        SettingsStored = false;
}

void TQS40_NUVA_Form::LesenButtonClick() {
    setDataOk(false);
    if (!m_session.portOpen())
        return;
    const NuvaSession::ReadResult r = m_session.read();
    showExchangeStatus();
    if (r.nearSwitch)
        m_limits->setNearSwitch(*r.nearSwitch);
    if (lineLost())
        return;
    if (!r.ok) {
        error(readErrorText());
        return;
    }
    m_loading = true;
    for (std::size_t k = 0; k < r.pointCount; ++k)
        setPoint(k, r.values.points[k]);
    std::array<long long, kNuvaHysteresisCount> h{};
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        h[k] = r.values.hysteresis[k];
    showHysteresis(h);
    m_loading = false;
    setDataOk(true);
}

void TQS40_NUVA_Form::SetzenButtonClick() {
    stopPolling();
    setDataOk(false);
    TFortschritt* progress = m_app.progress;
    if (progress) {
        progress->setMaximum(4 * static_cast<int>(kNuvaSwitchPointCount + kNuvaHysteresisCount));
        progress->reset();
        progress->show();
    }
    const NuvaSession::WriteResult r = m_session.write(pointValues(), hysteresisValues(), progress);
    showExchangeStatus();
    if (progress)
        progress->hide();
    // Whatever arrived is in the sensor now, but not in its EEPROM.
    if (!r.transferred() || !r.stored)
        SettingsStored = false;
    if (lineLost())
        return;
    if (!r.transferred()) {
        error(transferErrorText() + QStringLiteral(" %1").arg(r.mismatch, 8, 16, QLatin1Char('0')).toUpper());
        return;
    }
    if (!r.stored) {
        error(transferErrorText());
        return;
    }
    markStored();
    setDataOk(true);
}

void TQS40_NUVA_Form::EEPROMspeichern1Click() {
    setDataOk(false);
    if (!m_session.portOpen())
        return;
    const bool ok = m_session.store();
    showExchangeStatus();
    if (!ok)
        SettingsStored = false;
    if (lineLost())
        return;
    if (!ok) {
        error(transferErrorText());
        return;
    }
    SettingsStored = true;
    setDataOk(true);
}

void TQS40_NUVA_Form::CSSchutzfeldExit() {
    if (!m_session.portOpen())
        return;
    setDataOk(false);
    const bool ok = m_session.selectField(CSSchutzfeld->Position());
    showExchangeStatus();
    if (lineLost())
        return;
    if (!ok) {
        error(transferErrorText());
        return;
    }
    setDataOk(true);
}

// ---- Distance and supervision --------------------------------------------------------------------------

void TQS40_NUVA_Form::stopPolling() {
    Timer1->stop();
    setGlyph("GO");
    m_session.stopSupervision();
}

void TQS40_NUVA_Form::StartButtonClick() {
    if (Timer1->isActive()) {
        stopPolling();
        return;
    }
    if (Ueberwachung->isChecked()) {
        Timer1->setInterval(kSupervisionPollMs);
        const QString caption = QStringLiteral("Dateneingabe");
        // Cancel takes the default, as an empty answer does.
        const int port = numberOr(
            m_app.prompts.inputText(this, caption, QStringLiteral("ComPort-Nummer"), QStringLiteral("4")),
            NuvaSession::kDefaultMonitorPort);
        const int tolerance = numberOr(
            m_app.prompts.inputText(this, caption, QStringLiteral("Toleranz in mm"), QStringLiteral("100")),
            NuvaSession::kDefaultTolerance);
        if (port < 1 || port > Schnittstelle::kMaxPort) {
            error(QStringLiteral("comport not allowed"));
            return;
        }
        if (tolerance < 0 || tolerance > kMaxTolerance) {
            error(tr("Toleranz nicht erlaubt (0 bis 65535 mm)"));
            return;
        }
        const std::string why = m_session.startSupervision(port, tolerance);
        if (!why.empty()) {
            error(tr("Überwachungsausgang kann nicht geöffnet werden:") + QStringLiteral("\n") +
                  QString::fromStdString(why));
            return;
        }
    } else {
        Timer1->setInterval(kPollMs);
    }
    setGlyph("STOP");
    Timer1->start();
}

void TQS40_NUVA_Form::MesswerteMenuClick() {
    if (lesedauerndMenu->isChecked()) {
        setGlyph("STOP");
        Timer1->start();
    } else {
        stopPolling();
        Timer1Timer();
    }
}

void TQS40_NUVA_Form::Timer1Timer() {
    const NuvaSession::Poll p = m_session.poll();
    showExchangeStatus();
    if (lineLost())
        return;
    if (!p.ok) {
        // The timer stops before the message, so a sensor that stops answering gives one
        // message, not one per tick; the supervision output is released with it.
        stopPolling();
        setDataOk(false);
        error(readErrorText());
        return;
    }
    setDataOk(!p.teaching);
    if (p.energy)
        Energie->setText(QString::number(*p.energy));
    showDistance(p.distance);
}

void TQS40_NUVA_Form::showDistance(int mm) {
    AbstandText->setText(QString::number(mm) + QStringLiteral(" mm"));
    AbstandBar->setValue(mm);
}

// ---- Limits and presets ----------------------------------------------------------------------------------

void TQS40_NUVA_Form::LimitParameter1Click() {
    setDataOk(false);
    const auto values = m_session.readLimits();
    showExchangeStatus();
    if (lineLost())
        return;
    if (!values) {
        error(readErrorText());
        return;
    }
    m_limits->setValues(*values);
    setDataOk(true);
    m_limits->setOk(false);
    m_limits->show();
    m_limits->raise();
}

void TQS40_NUVA_Form::EnglandClick() {
    applyPreset(0, false);
}

void TQS40_NUVA_Form::England_12Click() {
    applyPreset(1, true);
}

// The presets are NUVA sensor sets: they run only with a type 12 or 13 sensor connected.
void TQS40_NUVA_Form::applyPreset(std::size_t index, bool store) {
    const int type = m_session.connectedType();
    if (type != kNuvaTypeMntd && type != kNuvaTypeMntb)
        return;
    const NuvaPreset& preset = NuvaPresets()[index];
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        setPoint(k, preset.points[k]);
    std::array<long long, kNuvaLimitCount> limits{};
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
        limits[k] = preset.limits[k];
    m_limits->setValues(limits);
    SetzenButtonClick();
    if (!data_ok->isChecked())
        return;
    if (!m_limits->BSetClick())
        return;
    if (store) {
        EEPROMspeichern1Click();
        if (!data_ok->isChecked())
            return;
    }
    m_app.prompts.message(this, Prompts::Icon::Information, QStringLiteral("Programmierung erfolgreich"),
                          Prompts::Ok);
}

void TQS40_NUVA_Form::InfoMenuClick() {
    if (m_app.about)
        m_app.about->show();
}
