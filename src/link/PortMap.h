#pragma once
// Which device stands behind "COM n". Users and sensor manuals speak of COM numbers; on
// Linux the program needs a device path. Entries come from the settings group "Ports"
// (handed in by the application) and are overridden by the environment variable
// ZYLCONFIG_PORTS; numbers mapped by neither use the platform's usual name.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An entry of the settings group or of ZYLCONFIG_PORTS that was not used, and why; the front
// ends put it into a sentence of their language with text().
struct PortMapWarning {
    enum class Kind : std::uint8_t {
        NotANumber,   // `key` is no COM number
        OutOfRange,   // the number is outside 1..20
        EmptyPath,    // nothing after "="
        NotAFullPath, // a stored `device` that is no full device path
        NoAssignment  // no "=" at all
    };
    Kind kind = Kind::NotANumber;
    std::string source; // "Ports" or the variable's name
    std::string entry;  // the entry as written
    std::string key;    // the part before "=", trimmed
    std::string device; // the part after "=", trimmed

    std::string text(bool english) const;
};

class PortMap {
public:
    enum class Naming { Posix, Windows }; // "/dev/ttyS<n-1>" or "\\.\COMn"
    static constexpr int kMaxPort = 20;
    static constexpr const char* kEnvironmentVariable = "ZYLCONFIG_PORTS";
    // The device the hints name as an example of what may stand behind a COM number.
#ifdef _WIN32
    static constexpr const char* kExampleDevice = "COM12";
#else
    static constexpr const char* kExampleDevice = "/dev/ttyUSB0";
#endif

    explicit PortMap(Naming naming) : m_naming(naming) {}

    // One entry of the settings group: key "COM3" (or just "3"), value "/dev/ttyUSB0". The
    // value must be a full device path (on Windows also "COM12").
    void addSetting(std::string_view key, std::string_view path);
    void addSettings(const std::vector<std::pair<std::string, std::string>>& entries);
    // A comma-separated list "1=/dev/pts/4,3=/dev/ttyUSB0"; its entries replace earlier ones
    // for the same numbers. `source` names the list in warnings. A relative device is taken as
    // it is: whoever sets the list knows the directory it is meant for.
    void addOverrides(std::string_view list, std::string_view source = kEnvironmentVariable);
    // addOverrides() with the value of ZYLCONFIG_PORTS, when it is set.
    void addEnvironment();
    // A device chosen by the user for this run: it replaces whatever the number had; an empty
    // path gives the number back its default. False for a number outside 1..20.
    bool map(int com, const std::string& path);

    // The device of a COM number: the mapped path or the default name; empty outside 1..20.
    std::string path(int com) const;
    bool isMapped(int com) const;
    static std::string defaultPath(int com, Naming naming);
    // "COM 3 (/dev/ttyUSB0)": how messages name a port.
    std::string label(int com) const { return "COM " + std::to_string(com) + " (" + path(com) + ")"; }
    // The sentence for a number outside 1..20.
    static std::string outOfRangeMessage(int com);

    // One per entry that was ignored, for the application to show or print. Good entries next
    // to a bad one are kept.
    const std::vector<PortMapWarning>& warningList() const { return m_warnings; }
    // The same as sentences.
    std::vector<std::string> warnings(bool english = true) const;

private:
    void addEntry(std::string_view key, std::string_view path, std::string_view source,
                  std::string_view entry, bool stored);

    Naming m_naming;
    std::array<std::string, kMaxPort + 1> m_paths;
    std::vector<PortMapWarning> m_warnings;
};
