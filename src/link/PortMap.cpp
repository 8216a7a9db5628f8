#include "PortMap.h"

#include <charconv>
#include <cstdlib>
#include <optional>

namespace {

std::string_view trimmed(std::string_view s) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithCom(std::string_view s) {
    if (s.size() < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i)
        if ((s[i] | 0x20) != "com"[i])
            return false;
    return true;
}

// "3", "COM3" or "com 3" gives 3; text that is no number gives nothing.
std::optional<int> comNumberOf(std::string_view key) {
    key = trimmed(key);
    if (startsWithCom(key))
        key = trimmed(key.substr(3));
    int number = 0;
    const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (key.empty() || ec != std::errc() || end != key.data() + key.size())
        return std::nullopt;
    return number;
}

// Whether a stored device names a device wherever the program starts: a full path
// ("/dev/ttyUSB0"; on Windows "\\.\COM12" or a plain "COM12"). A relative name would mean
// another file in every working directory, and a number or "true" there is a damaged entry.
bool isDevicePath(std::string_view path, PortMap::Naming naming) {
    if (naming == PortMap::Naming::Posix)
        return path.front() == '/';
    return path.starts_with("\\\\") || path.starts_with("//") || (startsWithCom(path) && comNumberOf(path));
}

} // namespace

std::string PortMapWarning::text(bool english) const {
    const std::string head = source + (english ? ": entry \"" : ": Eintrag \"") + entry +
                             (english ? "\" ignored: " : "\" nicht verwendet: ");
    const std::string max = std::to_string(PortMap::kMaxPort);
    switch (kind) {
    case Kind::NotANumber:
        return head + "\"" + key + (english ? "\" is not a COM number" : "\" ist keine COM-Nummer");
    case Kind::OutOfRange:
        return head + (english ? "COM numbers run from 1 to " : "COM-Nummern gehen von 1 bis ") + max;
    case Kind::EmptyPath:
        return head + (english ? "the device path is empty" : "der Gerätepfad ist leer");
    case Kind::NotAFullPath:
        return head + "\"" + device +
               (english ? "\" is not the full path of a device"
                        : "\" ist nicht der vollständige Pfad eines Geräts");
    case Kind::NoAssignment:
        return head +
               (english ? "expected NUMBER=DEVICE, for example 3="
                        : "erwartet NUMMER=GERÄT, zum Beispiel 3=") +
               PortMap::kExampleDevice;
    }
    return head;
}

std::vector<std::string> PortMap::warnings(bool english) const {
    std::vector<std::string> texts;
    for (const PortMapWarning& w : m_warnings)
        texts.push_back(w.text(english));
    return texts;
}

void PortMap::addEntry(std::string_view key, std::string_view path, std::string_view source,
                       std::string_view entry, bool stored) {
    const auto warn = [&](PortMapWarning::Kind kind) {
        m_warnings.push_back({kind, std::string(source), std::string(entry), std::string(trimmed(key)),
                              std::string(trimmed(path))});
    };
    const std::optional<int> number = comNumberOf(key);
    if (!number) {
        warn(PortMapWarning::Kind::NotANumber);
        return;
    }
    const int com = *number;
    if (com < 1 || com > kMaxPort) {
        warn(PortMapWarning::Kind::OutOfRange);
        return;
    }
    path = trimmed(path);
    if (path.empty()) {
        warn(PortMapWarning::Kind::EmptyPath);
        return;
    }
    if (stored && !isDevicePath(path, m_naming)) {
        warn(PortMapWarning::Kind::NotAFullPath);
        return;
    }
    // Windows opens "COM12" only as "\\.\COM12" (plain names work up to COM9 alone).
    if (m_naming == Naming::Windows && startsWithCom(path) && comNumberOf(path))
        m_paths[static_cast<std::size_t>(com)] = "\\\\.\\" + std::string(path);
    else
        m_paths[static_cast<std::size_t>(com)] = std::string(path);
}

void PortMap::addSetting(std::string_view key, std::string_view path) {
    addEntry(key, path, "Ports", std::string(key) + "=" + std::string(path), true);
}

void PortMap::addSettings(const std::vector<std::pair<std::string, std::string>>& entries) {
    for (const auto& [key, path] : entries)
        addSetting(key, path);
}

void PortMap::addOverrides(std::string_view list, std::string_view source) {
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view entry = trimmed(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (entry.empty())
            continue; // "1=/dev/a," or ",," : nothing meant
        const std::size_t eq = entry.find('=');
        if (eq == std::string_view::npos) {
            const std::string written(entry);
            m_warnings.push_back(
                {PortMapWarning::Kind::NoAssignment, std::string(source), written, written, ""});
            continue;
        }
        addEntry(entry.substr(0, eq), entry.substr(eq + 1), source, entry, false);
    }
}

void PortMap::addEnvironment() {
    if (const char* value = std::getenv(kEnvironmentVariable))
        addOverrides(value, kEnvironmentVariable);
}

bool PortMap::map(int com, const std::string& path) {
    if (com < 1 || com > kMaxPort)
        return false;
    m_paths[static_cast<std::size_t>(com)] = std::string(trimmed(path));
    return true;
}

bool PortMap::isMapped(int com) const {
    return com >= 1 && com <= kMaxPort && !m_paths[static_cast<std::size_t>(com)].empty();
}

std::string PortMap::path(int com) const {
    if (com < 1 || com > kMaxPort)
        return {};
    if (isMapped(com))
        return m_paths[static_cast<std::size_t>(com)];
    return defaultPath(com, m_naming);
}

std::string PortMap::defaultPath(int com, Naming naming) {
    if (com < 1 || com > kMaxPort)
        return {};
    if (naming == Naming::Windows)
        return "\\\\.\\COM" + std::to_string(com);
    return "/dev/ttyS" + std::to_string(com - 1);
}

std::string PortMap::outOfRangeMessage(int com) {
    return "COM " + std::to_string(com) + " is not a port number from 1 to " + std::to_string(kMaxPort) + ".";
}
