#include "LinkReason.h"

#include <array>

namespace {

// "COM 3 (/dev/ttyUSB0)", or the device alone for a reason that concerns no COM number.
std::string portName(const LinkReason& r) {
    if (r.com == 0)
        return r.device;
    return "COM " + std::to_string(r.com) + " (" + r.device + ")";
}

std::string settingText(const LinkReason& r, bool en) {
    static constexpr std::array<const char*, 5> kParityEn{"none", "odd", "even", "mark", "space"};
    static constexpr std::array<const char*, 5> kParityDe{"keine", "ungerade", "gerade", "Markierung",
                                                          "Leerzeichen"};
    static constexpr std::array<const char*, 3> kStopEn{"1 stop bit", "1.5 stop bits", "2 stop bits"};
    static constexpr std::array<const char*, 3> kStopDe{"1 Stoppbit", "1,5 Stoppbits", "2 Stoppbits"};
    const auto pick = [](const auto& table, int i, const std::string& otherwise) {
        return i >= 0 && i < static_cast<int>(table.size()) ? std::string(table[static_cast<std::size_t>(i)])
                                                            : otherwise;
    };
    const std::string p =
        pick(en ? kParityEn : kParityDe, r.parity, (en ? "code " : "Code ") + std::to_string(r.parity));
    const std::string s = pick(en ? kStopEn : kStopDe, r.stopBits,
                               (en ? "stop-bit code " : "Stoppbit-Code ") + std::to_string(r.stopBits));
    return std::to_string(r.baud) + (en ? " baud, " : " Baud, ") + std::to_string(r.dataBits) +
           (en ? " data bits, parity " : " Datenbits, Parität ") + p + ", " + s;
}

std::string operationText(LinkReason::Operation op, bool en) {
    switch (op) {
    case LinkReason::Operation::Reading:
        return en ? "reading" : "Lesen";
    case LinkReason::Operation::Writing:
        return en ? "writing" : "Schreiben";
    case LinkReason::Operation::Waiting:
        return en ? "waiting for data" : "Warten auf Daten";
    case LinkReason::Operation::ReadingSetting:
        return en ? "reading the line setting" : "Lesen der Leitungseinstellung";
    case LinkReason::Operation::SettingHandshake:
        return en ? "setting the handshake lines" : "Setzen der Handshake-Leitungen";
    }
    return {};
}

} // namespace

LinkReason LinkReason::transferFailure(std::string device, std::string_view what, bool gone,
                                       std::string systemText) {
    LinkReason r;
    r.code = gone ? LinkReasonCode::DeviceGone : LinkReasonCode::TransferFailed;
    r.device = std::move(device);
    r.detail = std::move(systemText);
    if (what == "writing")
        r.operation = Operation::Writing;
    else if (what == "waiting for data")
        r.operation = Operation::Waiting;
    else if (what == "reading the line setting")
        r.operation = Operation::ReadingSetting;
    else if (what == "setting the handshake lines")
        r.operation = Operation::SettingHandshake;
    return r;
}

std::string LinkReason::text(bool en) const {
    const std::string name = portName(*this);
    const std::string noPermission =
        name + (en ? ": no permission to open the device." : ": keine Berechtigung, das Gerät zu öffnen.");
    switch (code) {
    case LinkReasonCode::None:
        return {};
    case LinkReasonCode::PortOutOfRange:
        return "COM " + std::to_string(com) +
               (en ? " is not a port number from 1 to 20." : " ist keine Portnummer von 1 bis 20.");
    case LinkReasonCode::NoSuchDevice:
        if (usbRenamed)
            return name + (en ? ": no such device. A USB adapter plugged in again may have another name; map the "
                                "port to its name under /dev/serial/by-id/ instead."
                              : ": dieses Gerät gibt es nicht. Ein wieder eingesteckter USB-Adapter hat vielleicht "
                                "einen anderen Namen; ordnen Sie dem Port stattdessen seinen Namen unter "
                                "/dev/serial/by-id/ zu.");
        return name + (en ? ": no such device." : ": dieses Gerät gibt es nicht.");
    case LinkReasonCode::NoPortBehindDevice:
        return name + (en ? ": there is no serial port behind this device."
                          : ": hinter diesem Gerät steht keine serielle Schnittstelle.");
    case LinkReasonCode::InUse:
        return name + (en ? " is in use by another program." : " wird von einem anderen Programm benutzt.");
    case LinkReasonCode::NoPermission:
        return noPermission;
    case LinkReasonCode::NoPermissionJoinGroup:
        return noPermission +
               (en ? " It belongs to group '" + group + "'; add yourself with: sudo usermod -aG " + group +
                         " $USER, then log in again."
                   : " Es gehört der Gruppe '" + group + "'; treten Sie ihr bei mit: sudo usermod -aG " +
                         group + " $USER, und melden Sie sich danach neu an.");
    case LinkReasonCode::NoPermissionCheckGroup:
        return noPermission + (en ? " It belongs to group '" + group +
                                        "', which you are in; check its permissions with: ls -l " + device
                                  : " Es gehört der Gruppe '" + group +
                                        "', in der Sie sind; prüfen Sie seine Rechte mit: ls -l " + device);
    case LinkReasonCode::NoPermissionAskAdmin:
        return noPermission +
               (en ? " It is owned by user '" + owner + "' and group '" + group + "' with mode " + mode +
                         "; ask the administrator to give you access (for example with a udev rule)."
                   : " Es gehört dem Benutzer '" + owner + "' und der Gruppe '" + group +
                         "' mit den Rechten " + mode +
                         "; bitten Sie den Administrator um Zugriff (zum Beispiel mit einer udev-Regel).");
    case LinkReasonCode::NotSerial:
        return name + (en ? " is not a serial line." : " ist keine serielle Leitung.");
    case LinkReasonCode::DefaultSettingRefused:
        return name + (en ? " cannot be set to 38400 baud, 8 data bits, no parity."
                          : " lässt sich nicht auf 38400 Baud, 8 Datenbits, keine Parität einstellen.");
    case LinkReasonCode::OpenFailed:
        return name + (en ? " cannot be opened: " : " lässt sich nicht öffnen: ") + detail + ".";
    case LinkReasonCode::WrongPortType:
        return name +
               (en ? " is not an RS-232 or RS-422 port (the driver reports type "
                   : " ist keine RS-232- oder RS-422-Schnittstelle (der Treiber meldet Typ ") +
               std::to_string(portType) + ").";
    case LinkReasonCode::LineSettingRefused:
        return name + (en ? " does not take the line setting " : " nimmt die Einstellung ") +
               settingText(*this, en) + (en ? "." : " nicht an.");
    case LinkReasonCode::DeviceGone:
        return name +
               (en ? ": the device is no longer there (unplugged?): "
                   : ": das Gerät ist nicht mehr da (abgezogen?): ") +
               detail;
    case LinkReasonCode::TransferFailed:
        return name + ": " + operationText(operation, en) + (en ? " failed: " : " fehlgeschlagen: ") + detail;
    case LinkReasonCode::Other:
        return detail;
    }
    return detail;
}
