#pragma once
// Why the serial layer could not do what it was asked: a code with the details that go into the
// sentence. The layer speaks English (english()); a front end in another language builds its
// sentence from the same code and details with text(), so the window and zylctl say the same
// in both languages.
#include <cstdint>
#include <string>
#include <string_view>

enum class LinkReasonCode : std::uint8_t {
    None,
    PortOutOfRange,         // com
    NoSuchDevice,           // com, device
    NoPortBehindDevice,     // com, device
    InUse,                  // com, device
    NoPermission,           // com, device
    NoPermissionJoinGroup,  // com, device, group: the user is not in the device's group
    NoPermissionCheckGroup, // com, device, group: he is, yet may not open it
    NoPermissionAskAdmin,   // com, device, owner, group, mode: no group gives access
    NotSerial,              // com, device
    DefaultSettingRefused,  // com, device: the device takes no 38400 8N1 when opened
    OpenFailed,             // com, device, detail: the system's own words
    WrongPortType,          // com, device, portType
    LineSettingRefused,     // com, device, baud, dataBits, parity, stopBits
    DeviceGone,             // device, detail: the system's own words
    TransferFailed,         // device, operation, detail
    Other,                  // detail: a sentence from a provider that gives no code
};

struct LinkReason {
    // What the layer was doing when a transfer failed.
    enum class Operation : std::uint8_t { Reading, Writing, Waiting, ReadingSetting, SettingHandshake };

    LinkReasonCode code = LinkReasonCode::None;
    int com = 0;
    std::string device;
    std::string group;
    std::string owner;
    std::string mode;
    std::string detail;
    Operation operation = Operation::Reading;
    std::uint32_t portType = 0;
    std::uint32_t baud = 0;
    int dataBits = 0;
    int parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0; // 0 one, 1 one and a half, 2 two
    // The COM number uses its default device: mapping it to another device may help.
    bool defaultDevice = false;
    // NoSuchDevice of a USB adapter's numbered name, which it may have lost by being plugged in again.
    bool usbRenamed = false;

    // A failed transfer of a device backend: `what` is the backend's own word for what it was
    // doing ("reading", "writing", ...), `gone` whether the device has disappeared.
    static LinkReason transferFailure(std::string device, std::string_view what, bool gone,
                                      std::string systemText);

    explicit operator bool() const { return code != LinkReasonCode::None; }
    std::string text(bool english) const;
    std::string english() const { return text(true); }
};
