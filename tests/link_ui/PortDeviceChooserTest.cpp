// The port dialog's device chooser: what it lists, and what a choice does to the COM number and
// to the settings group "Ports" when the dialog is confirmed or cancelled.
#include "PortDeviceChooser.h"
#include "AppState.h"
#include "DemoDeviceProvider.h"
#include "GuiTestEnvironment.h"
#include "Language.h"
#include "PortMap.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SimLineProvider.h"
#include "TCOMPortDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The machine's side of a provider: two devices to choose from, choices resolved by a PortMap.
class MachineProvider : public SimLineProvider {
public:
    using SimLineProvider::SimLineProvider;
    std::vector<SerialPortInfo> listDevices() override {
        SerialPortInfo usb;
        usb.path = "/dev/serial/by-id/usb-FTDI_A1B2C3-if00-port0";
        usb.systemName = "ttyUSB0";
        usb.description = "FT232R USB UART";
        usb.vendorId = 0x0403;
        usb.productId = 0x6001;
        usb.serialNumber = "A1B2C3";
        SerialPortInfo uart;
        uart.path = "/dev/ttyS0";
        uart.systemName = "ttyS0";
        uart.description = "16550A";
        uart.state = SerialPortInfo::State::NoPermission;
        return {usb, uart};
    }
    bool mapDevice(int com, const std::string& path) override { return map.map(com, path); }
    bool storesMappings() const override { return true; }
    bool isMapped(int com) const override { return map.isMapped(com); }
    std::string devicePath(int com) const override { return map.path(com); }
    std::string describe(int com) const override { return map.path(com); }
    PortMap map{PortMap::Naming::Posix};
};

// The settings group "Ports" as the program finds it on its next start.
QStringList storedKeys() {
    QSettings s(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
    s.beginGroup(QStringLiteral("Ports"));
    return s.childKeys();
}

QString stored(const QString& key) {
    return QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco"))
        .value(QStringLiteral("Ports/") + key)
        .toString();
}

struct ChooserTest : ::testing::Test {
    QTemporaryDir settingsDir;
    FakeClock clock;
    ScriptedPrompts prompts;
    ChooserTest() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path()); }
};

TEST_F(ChooserTest, ChoiceMapsTheNumberAndLastsInTheSettingsUntilStandard) {
    MachineProvider provider(clock);
    Schnittstelle ports(provider, clock);
    AppState app(ports, prompts, clock);
    QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco"))
        .setValue(QStringLiteral("Ports/3"), QStringLiteral("/dev/old")); // another spelling of COM3
    TCOMPortDialog dialog(app);
    dialog.PortNummer->setEditText(QStringLiteral("3"));
    dialog.FormShow();
    PortDeviceChooser& chooser = *dialog.DeviceChooser;
    ASSERT_EQ(chooser.count(), 3);
    EXPECT_EQ(chooser.itemText(0), "Standard");
    EXPECT_EQ(chooser.itemText(1), "/dev/serial/by-id/usb-FTDI_A1B2C3-if00-port0  –  FT232R USB UART  –  "
                                   "0403:6001  –  Nr. A1B2C3  –  frei");
    EXPECT_EQ(chooser.itemText(2), "/dev/ttyS0  –  16550A  –  keine Berechtigung");
    EXPECT_EQ(chooser.currentIndex(), 0);

    const QString usb = QStringLiteral("/dev/serial/by-id/usb-FTDI_A1B2C3-if00-port0");
    chooser.activated(1);
    EXPECT_EQ(provider.map.path(3), usb.toStdString());
    EXPECT_EQ(dialog.DevicePath->text(), usb);
    // Cancel: the number has its device back, the settings are as they were.
    dialog.CancelBtn->click();
    EXPECT_FALSE(provider.map.isMapped(3));
    EXPECT_EQ(chooser.currentIndex(), 0);
    EXPECT_EQ(storedKeys(), QStringList{"3"});

    dialog.FormShow();
    chooser.activated(1);
    dialog.OKBtn->click();
    EXPECT_EQ(provider.map.path(3), usb.toStdString());
    EXPECT_EQ(storedKeys(), QStringList{"COM3"});
    EXPECT_EQ(stored("COM3"), usb);

    dialog.PortNummer->setEditText(QStringLiteral("4")); // another number shows its own device
    EXPECT_EQ(chooser.currentIndex(), 0);
    dialog.PortNummer->setEditText(QStringLiteral("3"));
    EXPECT_EQ(chooser.currentIndex(), 1);

    dialog.FormShow();
    chooser.activated(0);
    EXPECT_FALSE(provider.map.isMapped(3));
    EXPECT_EQ(storedKeys(), QStringList{"COM3"});
    dialog.OKBtn->click();
    EXPECT_TRUE(storedKeys().isEmpty());

    Language::setEnglish(app, true);
    EXPECT_EQ(chooser.itemText(0), "default");
    EXPECT_EQ(chooser.itemText(2), "/dev/ttyS0  –  16550A  –  not permitted");
    Language::setEnglish(app, false);
}

// The demo's virtual devices are offered the same way, for this run only.
TEST_F(ChooserTest, DemoDevicesCanBePutOnAnotherNumberWithoutTouchingTheSettings) {
    DemoDeviceProvider provider(clock);
    Schnittstelle ports(provider, clock);
    AppState app(ports, prompts, clock);
    TCOMPortDialog dialog(app);
    dialog.FormShow();
    PortDeviceChooser& chooser = *dialog.DeviceChooser;
    const int halvern = chooser.findData(QStringLiteral("demo:halvern"));
    ASSERT_GT(halvern, 0);
    EXPECT_EQ(chooser.itemText(halvern), "demo:halvern  –  demo: Halvern sensor (type 15)  –  frei");
    dialog.PortNummer->setEditText(QStringLiteral("7"));
    EXPECT_FALSE(provider.open(7).device);
    chooser.activated(halvern);
    EXPECT_TRUE(provider.open(7).device);
    dialog.OKBtn->click();
    EXPECT_TRUE(provider.open(7).device);
    EXPECT_TRUE(storedKeys().isEmpty());
    dialog.FormShow();
    chooser.activated(0);
    EXPECT_FALSE(provider.open(7).device);
    dialog.CancelBtn->click();
    EXPECT_TRUE(provider.open(7).device);
}

} // namespace
