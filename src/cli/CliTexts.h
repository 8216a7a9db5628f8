#pragma once
// What zylctl tells its user, in German or English. The messages the window shows for the same
// situations are used word for word, so an operator who knows one front end recognises the
// other; the rest are zylctl's own.
#include "LinkReason.h"

#include <string>
#include <string_view>

enum class Qd20Group;
struct SRecordImage;

enum class CliText {
    NoSensor,         // the search or the probe found nothing
    SendError,        // a transfer was refused or not answered
    FileError,        // a project file key without its value line, or a value it cannot read
    NoKeyInFile,      // not a project file
    FileTooLarge,     // far too large for a project file
    FileUnreadable,   // followed by the path and the reason
    FileUnwritable,   // followed by the path and the reason
    ComportError,     // the line setting was refused
    ComportBusy,      // a device sends unasked
    UnknownVariant,   // the parameter block names no known variant
    NotAnswered,      // a poll that got no reply (followed by its number)
    ForbiddenAddress, // set-address outside 1..127
    Qs40NotFound,     // no QS40MNTB on the ports tried
    Qs40ReadError,    // a QS40 read or measurement failed
    Qs40SendError,    // a QS40 write or copy failed
    Qs40FileError,    // a project file without all switch-point and hysteresis lines
    Qs40UnknownType,  // a project file of no QS40 type
    Qs40OtherType,    // a project file of another QS40 type than the connected sensor
    Qs40UpdateFailed, // the firmware update failed (followed by its step code)
    Qs40BadImage,     // the S-record image is unusable (followed by the reason)
    MapHint,          // how to put another device behind a COM number (followed by an example)
    SerialDevices,    // heading of the device list of "ports"
    StateFree,        // states of a listed device
    StateInUse,
    StateNoPermission,
    Opens, // a COM number of "ports" that opens
    AddressInUse,     // set-address: something answers at the new address (followed by it)
    NuvaNotFound,      // no ZYL 36 sensor on the ports tried
    NuvaReadError,     // a ZYL 36 read, limit read or measurement failed
    NuvaTransferError, // a ZYL 36 write, store, field selection or limit write failed
    NuvaNoFile,        // a project file without "QS40MNTx" in its second line
    NuvaOneField,      // field selection on a sensor with the "Gerade" field only
    ComportNotAllowed, // --port outside the COM numbers (followed by the highest)
};

class CliTexts {
public:
    explicit CliTexts(bool english) : m_english(english) {}
    bool english() const { return m_english; }
    std::string_view text(CliText id) const;
    // Why a port did not open, as every command reports it: the port layer's reason in this
    // language, and for a COM number on its default device that is not there, how to put
    // another device behind it. `fallback` when the layer gave no reason.
    std::string portFailure(const LinkReason& reason, std::string_view fallback) const;
    // A ZYL 24 parameter group; in German the title of its box in the window.
    std::string_view groupName(Qd20Group group) const;
    // Why an S-record file is no usable image, with the line it was found in.
    std::string imageFault(const SRecordImage& image) const;

    // The language of the environment: German when LC_ALL, LC_MESSAGES or LANG (the first
    // that is set) starts with "de", English otherwise.
    static bool englishFromEnvironment();

private:
    bool m_english;
};
