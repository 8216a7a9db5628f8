// The serial layer's reasons in both languages, the settings group read without Qt, and a COM
// number put on a chosen device.
#include "LinkReason.h"
#include "PortMap.h"
#include "PortSettings.h"

#include <gtest/gtest.h>

namespace {

LinkReason reason(LinkReasonCode code) {
    LinkReason r;
    r.code = code;
    r.com = 3;
    r.device = "/dev/ttyUSB0";
    r.group = "dialout";
    r.owner = "root";
    r.mode = "0600";
    r.detail = "Input/output error";
    return r;
}

TEST(LinkReasonTest, EveryReasonReadsInBothLanguagesWithItsDetails) {
    struct Case {
        LinkReasonCode code;
        const char* english;
        const char* german;
    };
    const Case cases[] = {
        {LinkReasonCode::PortOutOfRange, "COM 3 is not a port number from 1 to 20.",
         "COM 3 ist keine Portnummer von 1 bis 20."},
        {LinkReasonCode::InUse, "COM 3 (/dev/ttyUSB0) is in use by another program.",
         "COM 3 (/dev/ttyUSB0) wird von einem anderen Programm benutzt."},
        {LinkReasonCode::NoPermissionJoinGroup,
         "COM 3 (/dev/ttyUSB0): no permission to open the device. It belongs to group 'dialout'; add "
         "yourself "
         "with: sudo usermod -aG dialout $USER, then log in again.",
         "COM 3 (/dev/ttyUSB0): keine Berechtigung, das Gerät zu öffnen. Es gehört der Gruppe 'dialout'; "
         "treten Sie ihr bei mit: sudo usermod -aG dialout $USER, und melden Sie sich danach neu an."},
        {LinkReasonCode::NoPermissionAskAdmin,
         "COM 3 (/dev/ttyUSB0): no permission to open the device. It is owned by user 'root' and group "
         "'dialout' with mode 0600; ask the administrator to give you access (for example with a udev rule).",
         "COM 3 (/dev/ttyUSB0): keine Berechtigung, das Gerät zu öffnen. Es gehört dem Benutzer 'root' und "
         "der "
         "Gruppe 'dialout' mit den Rechten 0600; bitten Sie den Administrator um Zugriff (zum Beispiel mit "
         "einer "
         "udev-Regel)."},
        {LinkReasonCode::OpenFailed, "COM 3 (/dev/ttyUSB0) cannot be opened: Input/output error.",
         "COM 3 (/dev/ttyUSB0) lässt sich nicht öffnen: Input/output error."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reason(c.code).text(true), c.english);
        EXPECT_EQ(reason(c.code).text(false), c.german);
    }

    LinkReason setting = reason(LinkReasonCode::LineSettingRefused);
    setting.baud = 9600;
    setting.dataBits = 7;
    setting.parity = 2;
    setting.stopBits = 1;
    EXPECT_EQ(setting.english(), "COM 3 (/dev/ttyUSB0) does not take the line setting 9600 baud, 7 data "
                                 "bits, parity even, 1.5 stop bits.");
    EXPECT_EQ(setting.text(false),
              "COM 3 (/dev/ttyUSB0) nimmt die Einstellung 9600 Baud, 7 Datenbits, Parität "
              "gerade, 1,5 Stoppbits nicht an.");
}

TEST(LinkReasonTest, TransferFailuresKeepTheOperationAndTheSystemText) {
    const LinkReason gone = LinkReason::transferFailure("/dev/ttyUSB0", "reading", true, "No such device");
    EXPECT_EQ(gone.english(), "/dev/ttyUSB0: the device is no longer there (unplugged?): No such device");
    EXPECT_EQ(gone.text(false), "/dev/ttyUSB0: das Gerät ist nicht mehr da (abgezogen?): No such device");
    const LinkReason write = LinkReason::transferFailure("/dev/ttyS0", "writing", false, "Broken pipe");
    EXPECT_EQ(write.english(), "/dev/ttyS0: writing failed: Broken pipe");
    EXPECT_EQ(write.text(false), "/dev/ttyS0: Schreiben fehlgeschlagen: Broken pipe");
}

TEST(PortSettingsTest, ReadsThePortsGroupAsTheSettingsFileHoldsIt) {
    const auto entries =
        PortSettings::parseIni("[General]\nenglish=1\n\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\n"
                               "4 = \"/dev/serial/by-id/usb-a, b\"\nCOM5=C:\\\\x\n[zyl24]\nCOM6=/dev/no\n");
    const PortSettings::Entries expected{
        {"COM3", "/dev/ttyUSB0"}, {"4", "/dev/serial/by-id/usb-a, b"}, {"COM5", "C:\\x"}};
    EXPECT_EQ(entries, expected);
}

TEST(PortMapTest, AChosenDeviceReplacesTheMappingAndAnEmptyOneRestoresTheDefault) {
    PortMap map(PortMap::Naming::Posix);
    map.addOverrides("3=/dev/pts/4");
    EXPECT_TRUE(map.map(3, "/dev/ttyUSB1"));
    EXPECT_EQ(map.path(3), "/dev/ttyUSB1");
    EXPECT_TRUE(map.map(3, ""));
    EXPECT_FALSE(map.isMapped(3));
    EXPECT_EQ(map.path(3), "/dev/ttyS2");
    EXPECT_FALSE(map.map(21, "/dev/ttyUSB1"));
}

} // namespace
