#pragma once
// The port dialog's choice of the device behind a COM number: "Standard" (the number's own
// device), then every serial device of the machine with its description, USB ids, serial number
// and whether it is free. Choosing an entry puts that device behind the number for the rest of the
// dialog; the dialog's OK keeps it (for the machine's devices also in the settings group "Ports"),
// its Cancel gives every number it touched its device back.
#include "SerialPortScan.h"

#include <QComboBox>

#include <map>
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
    // The dialog was confirmed: the choices last, those of the machine's devices in the settings.
    void keepChoices();
    // The dialog was cancelled: every number chosen for gets its former device back.
    void undoChoices();

signals:
    // The device behind the shown number has changed.
    void deviceChosen();

private:
    void choose(int index);
    void storeChoice(int com, const QString& path);
    void fill();
    // The device chosen for a number now, empty for its default one.
    QString mappedPath(int com) const;

    AppState& m_app;
    std::vector<SerialPortInfo> m_devices;
    int m_com = 0;
    std::map<int, QString> m_before; // what each number chosen for in this showing had before
};
