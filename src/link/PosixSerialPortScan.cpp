#include "SerialPortScan.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::uint16_t hexId(const fs::path& file) {
    const std::string text = firstLine(file);
    unsigned value = 0;
    if (std::sscanf(text.c_str(), "%x", &value) != 1 || value > 0xFFFF)
        return 0;
    return static_cast<std::uint16_t>(value);
}

// The USB device a tty belongs to: the nearest directory above its device that has USB ids.
void readUsbDetails(const fs::path& ttyEntry, SerialPortInfo& info) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyEntry / "device", ec);
    for (int up = 0; !ec && up < 6 && dir.has_relative_path(); ++up, dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec))
            continue;
        info.vendorId = hexId(dir / "idVendor");
        info.productId = hexId(dir / "idProduct");
        info.description = firstLine(dir / "product");
        info.manufacturer = firstLine(dir / "manufacturer");
        info.serialNumber = firstLine(dir / "serial");
        return;
    }
}

// The legacy UART slots ttyS0..ttyS31 exist whether or not a UART is fitted; the kernel reports
// type 0 for an empty one.
bool emptyUartSlot(const fs::path& ttyEntry) {
    std::error_code ec;
    return fs::exists(ttyEntry / "type", ec) && firstLine(ttyEntry / "type") == "0";
}

// /dev/ttyUSB0 -> /dev/serial/by-id/usb-..., for the devices that have such a name.
std::map<std::string, std::string> stableNames(const fs::path& devDir) {
    std::map<std::string, std::string> names;
    std::error_code ec;
    for (const auto& link : fs::directory_iterator(devDir / "serial" / "by-id", ec)) {
        const fs::path target = fs::canonical(link.path(), ec);
        if (!ec)
            names.emplace(target.filename().string(), link.path().string());
    }
    return names;
}

int kindRank(const std::string& name) {
    if (name.starts_with("ttyUSB") || name.starts_with("ttyACM"))
        return 0;
    return name.starts_with("ttyS") ? 2 : 1;
}

} // namespace

std::optional<SerialPortInfo::State> SerialPortScan::probe(const std::string& path) {
    // Non-blocking and without becoming the controlling terminal; the line setting is untouched.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return SerialPortInfo::State::Free;
    }
    switch (errno) {
    case EACCES:
    case EPERM:
        return SerialPortInfo::State::NoPermission;
    case EBUSY:
    case EAGAIN:
        return SerialPortInfo::State::InUse;
    default:
        return std::nullopt; // ENXIO, EIO, ENODEV: nothing behind the name
    }
}

std::vector<SerialPortInfo> SerialPortScan::devices() {
    return devices("/sys/class/tty", "/dev", &SerialPortScan::probe);
}

std::vector<SerialPortInfo> SerialPortScan::devices(const std::string& sysClassTty, const std::string& devDir,
                                                    const Probe& probe) {
    const std::map<std::string, std::string> stable = stableNames(devDir);
    std::vector<SerialPortInfo> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysClassTty, ec)) {
        const std::string name = entry.path().filename().string();
        std::error_code linkError;
        // Virtual terminals, pseudo-terminals and the console have no device behind them.
        if (!fs::exists(entry.path() / "device", linkError) || emptyUartSlot(entry.path()))
            continue;
        SerialPortInfo info;
        info.systemName = name;
        const auto stableName = stable.find(name);
        info.path = stableName != stable.end() ? stableName->second : (fs::path(devDir) / name).string();
        const auto state = probe(info.path);
        if (!state)
            continue;
        info.state = *state;
        readUsbDetails(entry.path(), info);
        found.push_back(std::move(info));
    }
    std::sort(found.begin(), found.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        const int ra = kindRank(a.systemName);
        const int rb = kindRank(b.systemName);
        if (ra != rb)
            return ra < rb;
        // ttyS2 before ttyS10
        if (a.systemName.size() != b.systemName.size())
            return a.systemName.size() < b.systemName.size();
        return a.systemName < b.systemName;
    });
    return found;
}
