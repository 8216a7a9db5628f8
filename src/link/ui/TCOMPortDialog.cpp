#include "TCOMPortDialog.h"

#include "AppState.h"
#include "DialogButtons.h"
#include "PortDeviceChooser.h"
#include "Prompts.h"
#include "Schnittstelle.h"
#include "SettingsWarnings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int kDeviceWidth = 300;

QComboBox* makeBox(QWidget* parent, const char* name, const QStringList& entries, bool editable) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(entries);
    if (editable) {
        // Typing or setting an entry's text makes that entry the current one, so that callers
        // reading the entry index see what the box shows. A text that is no entry keeps the
        // last index. Letter case does not matter, as in the list's own search.
        QObject::connect(box, &QComboBox::editTextChanged, box, [box](const QString& text) {
            const int index = box->findText(text, Qt::MatchFixedString);
            if (index >= 0 && index != box->currentIndex()) {
                const QSignalBlocker block(box);
                box->setCurrentIndex(index);
                box->setEditText(text);
            }
        });
    }
    return box;
}

// Ports the user chose to use although their driver reports another type than RS-232 or RS-422.
QString useAnywayKey(int com) {
    return QStringLiteral("UseAnyway/COM") + QString::number(com);
}

// What the check box stored: "true"/"false" as QSettings writes it, or 1/0. Any other text would
// count as true for QVariant, which is no choice the user made.
std::optional<bool> storedSwitch(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QSettings programSettings() {
    return QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
}

// Default text of an editable box: the entry it names becomes current, the text stays as given.
void setDefault(QComboBox* box, const QString& text) {
    const int index = box->findText(text, Qt::MatchFixedString);
    if (index >= 0)
        box->setCurrentIndex(index);
    box->setEditText(text);
}

} // namespace

TCOMPortDialog::TCOMPortDialog(AppState& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_app(app) {
    setObjectName(QStringLiteral("COMPortDialog"));
    setWindowTitle(QStringLiteral("ComPort"));

    PortNummer = makeBox(this, "PortNummer", {}, true);
    BaudRate = makeBox(this, "BaudRate", {"4800", "9600", "19200", "38400", "57600"}, true);
    StopBits = makeBox(this, "StopBits", {"1", "1,5", "2"}, true);
    Parity = makeBox(this, "Parity", {"gerade/ even", "ungerade/ odd", "keine/ no", "Markierung/ mark"}, true);
    Datenbits = makeBox(this, "Datenbits", {"4", "5", "6", "7", "8"}, true);
    CBTimeout = makeBox(this, "CBTimeout", {"10", "20", "50", "80", "100", "200", "500", "1000"}, true);
    CBrts = makeBox(this, "CBrts", {"enabled", "disabled", "toggle"}, false);

    PortNummer->setEditText(QStringLiteral("1"));
    setDefault(BaudRate, QStringLiteral("38400"));
    setDefault(StopBits, QStringLiteral("1"));
    setDefault(Parity, QStringLiteral("Gerade/ even"));
    setDefault(Datenbits, QStringLiteral("7"));
    setDefault(CBTimeout, QStringLiteral("50"));
    CBrts->setCurrentIndex(0);

    DevicePath = new QLineEdit(this);
    DevicePath->setObjectName(QStringLiteral("DevicePath"));
    DevicePath->setReadOnly(true);
    DevicePath->setFocusPolicy(Qt::NoFocus);
    DevicePath->setMinimumWidth(kDeviceWidth);
    UseAnyway = new QCheckBox(this);
    UseAnyway->setObjectName(QStringLiteral("UseAnyway"));
    connect(UseAnyway, &QCheckBox::toggled, this, &TCOMPortDialog::useAnywayToggled);
    {
        const QSettings settings = programSettings();
        for (int com = 1; com <= Schnittstelle::kMaxPort; ++com) {
            const QVariant stored = settings.value(useAnywayKey(com));
            if (!stored.isValid())
                continue;
            if (const std::optional<bool> on = storedSwitch(stored))
                m_app.ports.setUseAnyway(com, *on);
            else
                m_app.startWarnings << SettingsWarnings::valueLine(useAnywayKey(com), stored);
        }
    }
    DeviceChooser = new PortDeviceChooser(app, this);
    connect(DeviceChooser, &PortDeviceChooser::deviceChosen, this, &TCOMPortDialog::updateDevicePath);

    const DialogButtons dialogButtons = makeDialogButtons(this, QStringLiteral("cancel"));
    OKBtn = dialogButtons.ok;
    CancelBtn = dialogButtons.cancel;

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ComPort"), PortNummer);
    m_deviceLabel = new QLabel(this);
    form->addRow(m_deviceLabel, DevicePath);
    form->addRow(QString(), UseAnyway);
    m_chooserLabel = new QLabel(this);
    m_chooserLabel->setBuddy(DeviceChooser);
    form->addRow(m_chooserLabel, DeviceChooser);
    m_form = form;
    form->addRow(QStringLiteral("baudrate"), BaudRate);
    form->addRow(QStringLiteral("stopbits"), StopBits);
    form->addRow(QStringLiteral("parity"), Parity);
    form->addRow(QStringLiteral("bits/byte"), Datenbits);
    form->addRow(QStringLiteral("timeout [ms]"), CBTimeout);
    form->addRow(QStringLiteral("RTS"), CBrts);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(PortNummer, DeviceChooser);
    setTabOrder(DeviceChooser, BaudRate);
    setTabOrder(BaudRate, StopBits);
    setTabOrder(StopBits, Parity);
    setTabOrder(Parity, Datenbits);
    setTabOrder(Datenbits, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, CBTimeout);
    setTabOrder(CBTimeout, CBrts);

    connect(PortNummer, &QComboBox::editTextChanged, this, &TCOMPortDialog::updateDevicePath);
    retranslateUi();
}

int TCOMPortDialog::showModal() {
    FormShow();
    if (m_autoAnswer) {
        finishChoices(*m_autoAnswer == QDialog::Accepted);
        return *m_autoAnswer;
    }
    PortNummer->setFocus();
    return exec();
}

void TCOMPortDialog::done(int result) {
    finishChoices(result == QDialog::Accepted);
    QDialog::done(result);
}

void TCOMPortDialog::finishChoices(bool keep) {
    if (keep) {
        DeviceChooser->keepChoices();
        QSettings settings = programSettings();
        for (const auto& [com, before] : m_useAnywayBefore) {
            if (m_app.ports.useAnyway(com) == before)
                continue;
            if (m_app.ports.useAnyway(com))
                settings.setValue(useAnywayKey(com), true);
            else
                settings.remove(useAnywayKey(com));
        }
    } else {
        DeviceChooser->undoChoices();
        for (const auto& [com, before] : m_useAnywayBefore)
            m_app.ports.setUseAnyway(com, before);
    }
    m_useAnywayBefore.clear();
    updateDevicePath();
}

void TCOMPortDialog::FormShow() {
    const QString keep = PortNummer->currentText();
    {
        const QSignalBlocker block(PortNummer);
        PortNummer->clear();
    }
    Schnittstelle& ports = m_app.ports;
    m_probes.clear();
    for (int com = kFirstPort; com <= kLastPort; ++com) {
        if (!ports.isOpen(com))
            continue;
        const QString question = QStringLiteral("ComPort") + QString::number(com) + m_app.QuestionSuffix;
        if (m_app.prompts.message(this, Prompts::Icon::Information, question, Prompts::Yes | Prompts::No) ==
            Prompts::Yes)
            ports.ClosePort(com);
    }
    for (int com = kFirstPort; com <= kLastPort; ++com) {
        // A port still held (the user kept it) cannot be probed and is not offered.
        if (ports.isOpen(com))
            continue;
        OpenResult probe = ports.provider().open(com);
        if (!probe.device)
            continue;
        const ProviderSubtype subtype = probe.device->providerSubtype();
        const Probe seen{subtype == ProviderSubtype::Rs232 || subtype == ProviderSubtype::Rs422,
                         probe.device->systemRs485Mode()};
        probe.device.reset();
        m_probes[com] = seen;
        if (seen.serialType || ports.useAnyway(com))
            PortNummer->addItem(QString::number(com));
    }
    DeviceChooser->reload();
    const int index = PortNummer->findText(keep, Qt::MatchExactly);
    {
        const QSignalBlocker block(PortNummer);
        if (index >= 0)
            PortNummer->setCurrentIndex(index);
        else if (PortNummer->count() > 0)
            PortNummer->setCurrentIndex(0);
        else
            PortNummer->setEditText(keep);
    }
    updateDevicePath();
}

void TCOMPortDialog::updateDevicePath() {
    bool ok = false;
    const int com = PortNummer->currentText().trimmed().toInt(&ok);
    if (!ok || com < 1 || com > Schnittstelle::kMaxPort) {
        DevicePath->setText(tr("keine gültige Portnummer"));
        m_form->setRowVisible(UseAnyway, false);
        DeviceChooser->showFor(0);
        return;
    }
    DeviceChooser->showFor(com);
    // Long descriptions (the demo's) are shown from their start; the tool tip holds all of it.
    QString device = QString::fromStdString(m_app.ports.provider().describe(com));
    const auto probe = m_probes.find(com);
    const bool otherType = probe != m_probes.end() && !probe->second.serialType;
    if (probe != m_probes.end() && probe->second.systemRs485)
        device += tr(" – RS-485-Modus des Systems, bleibt wie eingestellt");
    if (otherType)
        device += tr(" – kein RS-232/RS-422-Port");
    {
        const QSignalBlocker block(UseAnyway);
        UseAnyway->setChecked(m_app.ports.useAnyway(com));
    }
    m_form->setRowVisible(UseAnyway, otherType);
    // A note about the port is worth the room to read it.
    const bool noted = probe != m_probes.end() && (probe->second.systemRs485 || otherType);
    DevicePath->setMinimumWidth(noted ? std::clamp(DevicePath->fontMetrics().horizontalAdvance(device) + 16,
                                                   kDeviceWidth, 2 * kDeviceWidth)
                                      : kDeviceWidth);
    DevicePath->setText(device);
    DevicePath->setCursorPosition(0);
    DevicePath->setToolTip(device);
}

void TCOMPortDialog::useAnywayToggled(bool on) {
    bool ok = false;
    const int com = PortNummer->currentText().trimmed().toInt(&ok);
    if (!ok || com < 1 || com > Schnittstelle::kMaxPort)
        return;
    m_useAnywayBefore.try_emplace(com, m_app.ports.useAnyway(com));
    m_app.ports.setUseAnyway(com, on);
}

void TCOMPortDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}

void TCOMPortDialog::retranslateUi() {
    m_deviceLabel->setText(tr("Gerät"));
    UseAnyway->setText(tr("trotzdem verwenden"));
    m_chooserLabel->setText(tr("Gerät wählen"));
    DeviceChooser->retranslate();
    updateDevicePath();
}
