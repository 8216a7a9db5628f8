#include "PortDeviceChooser.h"

#include "AppState.h"
#include "Schnittstelle.h"

#include <QSerialPortInfo>
#include <QSettings>

namespace {

const QString kPortsGroup = QStringLiteral("Ports");

// What Qt knows about a device where the scan of the system found no description (on Windows
// the system's list holds only the port names).
void addQtDetails(std::vector<SerialPortInfo>& devices) {
    const QList<QSerialPortInfo> known = QSerialPortInfo::availablePorts();
    for (SerialPortInfo& device : devices) {
        if (!device.description.empty())
            continue;
        for (const QSerialPortInfo& info : known) {
            if (info.portName() != QString::fromStdString(device.systemName))
                continue;
            device.description = info.description().toStdString();
            device.manufacturer = info.manufacturer().toStdString();
            if (info.hasVendorIdentifier())
                device.vendorId = info.vendorIdentifier();
            if (info.hasProductIdentifier())
                device.productId = info.productIdentifier();
            device.serialNumber = info.serialNumber().toStdString();
        }
    }
}

QString stateText(SerialPortInfo::State state) {
    switch (state) {
    case SerialPortInfo::State::Free:
        return PortDeviceChooser::tr("frei");
    case SerialPortInfo::State::InUse:
        return PortDeviceChooser::tr("belegt");
    case SerialPortInfo::State::NoPermission:
        return PortDeviceChooser::tr("keine Berechtigung");
    }
    return {};
}

} // namespace

PortDeviceChooser::PortDeviceChooser(AppState& app, QWidget* parent) : QComboBox(parent), m_app(app) {
    setObjectName(QStringLiteral("DeviceChooser"));
    // Paths under /dev/serial/by-id are long; the box shows their start, the tool tip all of it.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(40);
    connect(this, &QComboBox::activated, this, &PortDeviceChooser::choose);
}

QString PortDeviceChooser::entryText(const SerialPortInfo& device) {
    QStringList parts{QString::fromStdString(device.path)};
    if (!device.description.empty())
        parts << QString::fromStdString(device.description);
    if (device.hasUsbIds())
        parts << QString::fromStdString(device.usbIds());
    if (!device.serialNumber.empty())
        parts << tr("Nr. %1").arg(QString::fromStdString(device.serialNumber));
    parts << stateText(device.state);
    return parts.join(QStringLiteral("  –  "));
}

void PortDeviceChooser::reload() {
    m_devices = m_app.ports.provider().listDevices();
    addQtDetails(m_devices);
    fill();
}

void PortDeviceChooser::showFor(int com) {
    m_com = com;
    fill();
}

void PortDeviceChooser::retranslate() {
    fill();
}

QString PortDeviceChooser::pathAt(int index) const {
    return itemData(index).toString();
}

void PortDeviceChooser::fill() {
    const QSignalBlocker block(this);
    clear();
    addItem(tr("Standard"), QString());
    for (const SerialPortInfo& device : m_devices) {
        addItem(entryText(device), QString::fromStdString(device.path));
        setItemData(count() - 1, QString::fromStdString(device.path), Qt::ToolTipRole);
    }
    setEnabled(m_com >= 1 && m_com <= Schnittstelle::kMaxPort);
    if (!isEnabled())
        return;
    DeviceProvider& provider = m_app.ports.provider();
    if (!provider.isMapped(m_com)) {
        setCurrentIndex(0);
        return;
    }
    const QString current = QString::fromStdString(provider.devicePath(m_com));
    int index = findData(current);
    if (index < 0) { // chosen earlier, but not there now (unplugged, or set from outside)
        addItem(tr("%1  –  nicht vorhanden").arg(current), current);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

QString PortDeviceChooser::mappedPath(int com) const {
    const DeviceProvider& provider = m_app.ports.provider();
    return provider.isMapped(com) ? QString::fromStdString(provider.devicePath(com)) : QString();
}

// The choice takes effect in the provider at once, so that the dialog shows the device behind
// the number as it will be; whether it lasts is decided by OK or Cancel.
void PortDeviceChooser::choose(int index) {
    if (m_com < 1 || m_com > Schnittstelle::kMaxPort)
        return;
    const QString before = mappedPath(m_com);
    if (!m_app.ports.provider().mapDevice(m_com, pathAt(index).toStdString()))
        return;
    m_before.try_emplace(m_com, before);
    emit deviceChosen();
}

void PortDeviceChooser::keepChoices() {
    if (m_app.ports.provider().storesMappings())
        for (const auto& [com, before] : m_before)
            if (const QString now = mappedPath(com); now != before)
                storeChoice(com, now);
    m_before.clear();
}

void PortDeviceChooser::undoChoices() {
    for (const auto& [com, before] : m_before)
        m_app.ports.provider().mapDevice(com, before.toStdString());
    m_before.clear();
    fill();
}

// "COM3=/dev/ttyUSB0"; "Standard" removes the entry. Other spellings of the same number ("3",
// "com3") go, so that one entry says what the number means.
void PortDeviceChooser::storeChoice(int com, const QString& path) {
    QSettings settings(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
    settings.beginGroup(kPortsGroup);
    for (const QString& key : settings.childKeys()) {
        QString number = key.trimmed();
        if (number.startsWith(QLatin1String("com"), Qt::CaseInsensitive))
            number = number.mid(3).trimmed();
        bool ok = false;
        if (number.toInt(&ok) == com && ok)
            settings.remove(key);
    }
    if (!path.isEmpty())
        settings.setValue(QStringLiteral("COM%1").arg(com), path);
}
