#pragma once
// The port dialog's choice of the device behind a COM number: "Standard" (the number's own
// device), then every serial device of the machine with its description, USB ids, serial number
// and whether it is free. Choosing an entry puts that device behind the number at once and, for
// the machine's devices, keeps the choice in the settings group "Ports".
#include "SerialPortScan.h"

#include <QComboBox>

#include <vector>

struct AppState;

class PortDeviceChooser : public QComboBox {
    Q_OBJECT
public:
    explicit PortDeviceChooser(AppState& app, QWidget* parent = nullptr);

    // Lists the devices anew (each is opened for a moment to see whether it is free).
    void reload();
    // Shows what stands behind `com` (0: no valid number; the chooser is greyed).
    void showFor(int com);
    // The device path of an entry; empty for "Standard".
    QString pathAt(int index) const;
    // The entry text of a device, in the current language.
    static QString entryText(const SerialPortInfo& device);
    void retranslate();

signals:
    // The device behind the shown number has changed.
    void deviceChosen();

private:
    void choose(int index);
    void storeChoice(int com, const QString& path);
    void fill();

    AppState& m_app;
    std::vector<SerialPortInfo> m_devices;
    int m_com = 0;
};
