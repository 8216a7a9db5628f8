// The ZYL 36 window: construction, showing and closing, its record and the status line.
#include "TQS40_NUVA_Form.h"

#include "AppState.h"
#include "Artwork.h"
#include "BinaryRecordStore.h"
#include "NuvaWindowRecord.h"
#include "Prompts.h"
#include "SettingsWarnings.h"
#include "TCSchaltpunkt.h"
#include "TLimitParas.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QStringList>
#include <QTimer>

#include <cmath>

namespace {

// The record goes through the program's record store: a raw binary value on Windows.
constexpr const char* kRecordGroup = "zyl36";
constexpr const char* kRecordValue = "Einstellungen";

} // namespace

TQS40_NUVA_Form::TQS40_NUVA_Form(AppState& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_session(app.ports, app.TypePort, app.Qs40Parameters) {
    setObjectName(QStringLiteral("QS40_NUVA_Form"));
    buildMenus();
    buildToolBar();
    buildCentral();
    buildStatusBar();
    connectHandlers();
    m_limits = new TLimitParas(app, *this, this);
    setWindowTitle(QStringLiteral("ZYL 36"));
    setStatus(0, QStringLiteral("Sensor: "));
    setStatus(1, QStringLiteral("Port: "));
    setStatus(2, QStringLiteral("Status: "));
    setSensorControlsEnabled(false);
    retranslateUi();
    resize(sizeHint());
}

TQS40_NUVA_Form::~TQS40_NUVA_Form() {
    m_session.disconnect();
}

void TQS40_NUVA_Form::showSensorWindow() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TQS40_NUVA_Form::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QMainWindow::showEvent(event);
}

void TQS40_NUVA_Form::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TQS40_NUVA_Form::FormShow() {
    if (m_app.EnglishUi)
        EnglishMenuClick();
    else
        GermanMenuClick();
    setGlyph("GO");
    BES->setEnabled(false);
    SettingsStored = true;
    MaxDistance = NuvaSession::maxDistance(kNuvaTypeMntd);
    for (TCSchaltpunkt* p : m_points)
        p->SetStoppValue(static_cast<float>(MaxDistance));
    readRecord();
    setWindowTitle(QStringLiteral("ZYL 36"));
    const bool expert = m_app.ExpertAccess;
    spezial1->menuAction()->setVisible(expert);
    England->setVisible(expert);
    England_12->setVisible(expert);
    Energie->setVisible(expert);
    m_session.withEnergy = expert;
    m_session.waitLongStore = true;
    m_session.waitLongOther = false;
}

// Returns false when the user keeps the window open.
bool TQS40_NUVA_Form::FormClose() {
    if (!SettingsStored) {
        const int answer =
            m_app.prompts.message(this, Prompts::Icon::Confirmation,
                                  tr("Daten noch nicht im Sensor gespeichert!\nWollen Sie dennoch beenden?"),
                                  Prompts::Yes | Prompts::No);
        if (answer != Prompts::Yes) {
            if (BES->isEnabled())
                BES->setFocus();
            return false;
        }
    }
    // The window is only hidden: nothing of it may go on running.
    stopPolling();
    if (TSuchen->isActive())
        endSearch();
    m_limits->hide();
    writeRecord();
    m_session.disconnect();
    return true;
}

void TQS40_NUVA_Form::readRecord() {
    const BinaryRecordStore::ReadResult kept =
        m_app.records->read(kRecordGroup, kRecordValue, NuvaWindowRecord::kSize);
    auto record = kept.bytes ? NuvaWindowRecord::decode(*kept.bytes) : std::nullopt;
    QStringList ignored;
    if (!kept.warning.empty())
        ignored << QString::fromStdString(kept.warning);
    if (record && !record->outOfRange().empty()) {
        ignored << SettingsWarnings::recordLine(kRecordGroup, kRecordValue, record->outOfRange());
        record.reset();
    }
    // The window keeps its presets for what cannot be used.
    SettingsWarnings::show(m_app.prompts, this, ignored);
    if (!record)
        return;
    m_loading = true;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        setPoint(k, record->values.points[k]);
    std::array<long long, kNuvaHysteresisCount> h{};
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        h[k] = record->values.hysteresis[k];
    showHysteresis(h);
    m_loading = false;
}

void TQS40_NUVA_Form::writeRecord() {
    NuvaWindowRecord record;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        record.values.points[k] = NuvaWindowRecord::wholeMillimetres(m_points[k]->SP1());
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        record.values.hysteresis[k] = NuvaWindowRecord::wholeMillimetres(static_cast<double>(Hysteresis[k]));
    if (const std::string why = m_app.records->write(kRecordGroup, kRecordValue, record.encode());
        !why.empty())
        qWarning("%s", why.c_str());
}

void TQS40_NUVA_Form::limitsWritten(bool stored) {
    if (stored)
        markStored();
    else
        SettingsStored = false;
    lineLost();
}

void TQS40_NUVA_Form::markStored() {
    SettingsStored = true;
    BES->setEnabled(true);
}

void TQS40_NUVA_Form::setStatus(int panel, const QString& text) {
    m_statusPanels.at(static_cast<std::size_t>(panel))->setText(text);
}

// Panel 2: the reply bytes of the last exchange in hexadecimal.
void TQS40_NUVA_Form::showExchangeStatus() {
    QString hex;
    for (std::uint8_t b : m_session.lastReceived())
        hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    m_noSensorStatus = false;
    setStatus(2, QStringLiteral("Status: ") + hex.trimmed());
}

void TQS40_NUVA_Form::setDataOk(bool ok) {
    data_ok->setChecked(ok);
}

void TQS40_NUVA_Form::setGlyph(const char* name) {
    StartButton->setIcon(QIcon(Artwork::bitmap(QString::fromLatin1(name))));
    StartButton->setProperty("glyph", QString::fromLatin1(name));
}

void TQS40_NUVA_Form::error(const QString& text) {
    m_app.prompts.message(this, Prompts::Icon::Error, text, Prompts::Ok);
}
