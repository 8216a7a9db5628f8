// The QS40 window's connection: search and manual connection, reading, writing and copying the
// parameters (each offering Retry), and the measurement, once or every 200 ms.
#include "TQS40_Form.h"

#include "AppState.h"
#include "Artwork.h"
#include "LinkTexts.h"
#include "Prompts.h"
#include "Qs40FormDrawing.h"
#include "TCOMPortDialog.h"
#include "TFortschritt.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>

void TQS40_Form::SuchenMenuClick() {
    stopPolling();
    m_service.forget();       // a sensor found now may be another one
    m_app.StopSearch = false; // the progress dialog's button stops the search between ports
    showProgress();
    const auto result = m_session.search(m_app.progress);
    hideProgress();
    setHandheldEnabled(false);
    reportConnectResult(result);
}

void TQS40_Form::ManuellMenuClick() {
    TCOMPortDialog* dialog = m_app.portDialog;
    if (!dialog)
        return;
    if (dialog->showModal() != QDialog::Accepted) {
        if (!m_session.connected()) {
            showConnectedControls(false);
            showPortText();
        }
        return;
    }
    const auto number = [](const QComboBox* box, int otherwise) {
        bool ok = false;
        const int value = box->currentText().trimmed().toInt(&ok);
        return ok ? value : otherwise;
    };
    Qs40Session::LineChoice choice;
    choice.port = number(dialog->PortNummer, 0);
    choice.baud = static_cast<std::uint32_t>(std::max(0, number(dialog->BaudRate, 0)));
    choice.parityEntry = dialog->Parity->currentIndex();
    choice.stopBitsEntry = dialog->StopBits->currentIndex();
    choice.dataBits = number(dialog->Datenbits, 8);
    choice.timeoutMs = number(dialog->CBTimeout, Qs40Session::kDefaultTimeoutMs);
    const auto result = m_session.connect(choice, nullptr);
    if (result == Qs40Session::Connect::BadSettings) {
        reportError(badSettingsText(), Prompts::Ok); // the connection in place stays
        return;
    }
    m_service.forget();
    stopPolling();
    setHandheldEnabled(result == Qs40Session::Connect::Connected);
    reportConnectResult(result);
}

void TQS40_Form::reportConnectResult(Qs40Session::Connect result) {
    if (lineLost())
        return;
    const bool connected = result == Qs40Session::Connect::Connected;
    setConnectedControls(connected);
    showPortText();
    showSensorText();
    switch (result) {
    case Qs40Session::Connect::Connected:
        P_draw_Q40->setInitialised(true);
        SetButtons();
        zeichne_all();
        break;
    case Qs40Session::Connect::NothingFound:
        reportError(noSensorText(), Prompts::Ok);
        break;
    case Qs40Session::Connect::UnknownType:
        reportError(unknownSensorText(), Prompts::Ok);
        break;
    case Qs40Session::Connect::BadSettings:
        break; // refused before anything changed
    }
}

void TQS40_Form::LesenButtonClick() {
    for (;;) {
        showProgress();
        const bool ok = m_session.readParameters(m_app.progress);
        hideProgress();
        if (ok || lineLost() ||
            reportError(withLineError(readErrorText()), Prompts::Ok | Prompts::Retry) != Prompts::Retry)
            break;
    }
    zeichne_all();
}

void TQS40_Form::SetzenButtonClick() {
    sendWithRetry([this] { return m_session.writeSwitchPoints(m_app.progress); });
}

void TQS40_Form::Parameterkopieren1Click() {
    sendWithRetry([this] { return m_session.copyParameters(m_app.progress); });
}

void TQS40_Form::sendWithRetry(const std::function<bool()>& send) {
    // A value typed into a field that was not left yet: limited and shown before it is sent.
    zeichne_all();
    for (;;) {
        showProgress();
        const bool ok = send();
        hideProgress();
        if (ok) {
            m_app.prompts.message(this, Prompts::Icon::Information, successText(), Prompts::Ok);
            return;
        }
        if (lineLost() ||
            reportError(withLineError(sendErrorText()), Prompts::Ok | Prompts::Retry) != Prompts::Retry)
            return;
    }
}

void TQS40_Form::StartButtonClick() {
    if (m_running) {
        stopPolling();
        return;
    }
    if (!lesedauernd->isChecked()) {
        SensorLesen();
        return;
    }
    TimerLesen->start();
    m_running = true;
    StartButton->setIcon(Artwork::bitmap(QStringLiteral("STOP")));
}

void TQS40_Form::TimerLesenTimer() {
    SensorLesen();
}

void TQS40_Form::SensorLesen() {
    const bool ok = m_session.readMeasurement();
    // Stopped before the box: a timer left running would stack a box every 200 ms.
    if (!ok)
        stopPolling();
    showMeasurement();
    if (!ok && !lineLost())
        reportError(withLineError(readErrorText()), Prompts::Ok);
}

void TQS40_Form::showMeasurement() {
    const auto d = m_session.display();
    for (std::size_t i = 0; i < m_leds.size(); ++i) {
        const int lit = d.leds[i] ? 1 : 0;
        if (m_shownLeds[i] != lit) {
            m_shownLeds[i] = lit;
            m_leds[i]->setPixmap(m_ledPictures[static_cast<std::size_t>(lit)]);
        }
    }
    if (m_shownConnector != d.connector) {
        m_shownConnector = d.connector;
        Stecker_bild->setPixmap(m_connectorPictures[static_cast<std::size_t>(d.connector)]);
    }
    const std::array<bool, 2> pinsLit{d.pin2, d.pin4};
    const std::array<QLabel*, 2> pinLabels{m_pins[1], m_pins[3]};
    for (std::size_t i = 0; i < pinsLit.size(); ++i) {
        const int lit = pinsLit[i] ? 1 : 0;
        if (m_shownPins[i] == lit)
            continue;
        m_shownPins[i] = lit;
        QPalette palette = pinLabels[i]->palette();
        palette.setColor(QPalette::Window, lit ? QColor(0, 128, 0) : this->palette().color(QPalette::Button));
        palette.setColor(QPalette::WindowText,
                         lit ? QColor(Qt::white) : this->palette().color(QPalette::WindowText));
        pinLabels[i]->setPalette(palette);
    }
    AbstandsBalken->setValue(d.distance);
    P_draw_Q40->setDistance(d.distance);
    ReserveBalken->setValue(d.reserve);
    AbstandsText->setText(QStringLiteral("%1 mm").arg(AbstandsBalken->value()));
    ReserveText->setText(QStringLiteral("%1 %").arg(ReserveBalken->value()));
}

QString TQS40_Form::withLineError(const QString& text) const {
    const std::string& why = m_session.lineError();
    return why.empty() ? text : text + QLatin1Char('\n') + QString::fromStdString(why);
}

// Whatever ran on the line has stopped with it: no Retry is offered for a port that is gone,
// the controls show no connection and the measurement no value, and the next search or
// connection opens the port afresh.
bool TQS40_Form::lineLost() {
    std::optional<LinkReason> why = m_session.takeLostLine();
    if (!why)
        why = m_service.takeLostLine();
    if (!why)
        return false;
    stopPolling();
    m_session.disconnect();
    // A download cut off with the line is continued from its entry once the adapter is back;
    // anything else held belonged to the connection.
    const bool pending = m_service.pendingDownload().has_value();
    if (!pending)
        m_service.forget();
    showConnectedControls(false);
    setHandheldEnabled(false);
    showPortText();
    showMeasurement();
    reportError(LinkTexts::lostText(*why, m_app.EnglishUi, pending ? pendingDownloadText() : QString()),
                Prompts::Ok);
    return true;
}
