#include "PosixDeviceProvider.h"

#include "NativePorts.h"
#include "PosixSerialDevice.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string groupName(gid_t gid) {
    std::vector<char> buf(4096);
    group g{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &g, buf.data(), buf.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid) {
    std::vector<char> buf(4096);
    passwd p{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &p, buf.data(), buf.size(), &found) == 0 && found)
        return found->pw_name;
    return std::to_string(uid);
}

bool processHasGroup(gid_t gid) {
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid)
            return true;
    return false;
}

} // namespace

std::string PosixDeviceProvider::permissionMessage(int com, const std::string& path) {
    const std::string head =
        "COM " + std::to_string(com) + " (" + path + "): no permission to open the device.";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return head;
    const bool groupMayUse = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
    const std::string group = groupName(st.st_gid);
    if (groupMayUse && st.st_gid != 0) {
        if (processHasGroup(st.st_gid))
            return head + " It belongs to group '" + group +
                   "', which you are in; check its permissions with: ls -l " + path;
        return head + " It belongs to group '" + group + "'; add yourself with: sudo usermod -aG " + group +
               " $USER, then log in again.";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return head + " It is owned by user '" + userName(st.st_uid) + "' and group '" + group + "' with mode " +
           mode + "; ask the administrator to give you access (for example with a udev rule).";
}

OpenResult PosixDeviceProvider::open(int com) {
    OpenResult result;
    const std::string path = m_map.path(com);
    if (path.empty()) {
        result.error = OpenError::NotMapped;
        result.message = PortMap::outOfRangeMessage(com);
        return result;
    }
    int err = 0;
    result.device = PosixSerialDevice::open(path, err);
    if (result.device)
        return result;

    const std::string name = m_map.label(com);
    const std::string mapHint =
        m_map.isMapped(com)
            ? std::string()
            : " To use another device, set for example ZYLCONFIG_PORTS=" + std::to_string(com) +
                  "=/dev/ttyUSB0.";
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
        result.error = OpenError::Absent;
        result.message = name + ": no such device." + mapHint;
        // The kernel numbers USB adapters in the order they appear.
        if (path.rfind("/dev/ttyUSB", 0) == 0 || path.rfind("/dev/ttyACM", 0) == 0)
            result.message += " A USB adapter plugged in again may have another name; map the port to its "
                              "name under /dev/serial/by-id/ instead.";
        break;
    case EIO:
        result.error = OpenError::Absent;
        result.message = name + ": there is no serial port behind this device." + mapHint;
        break;
    case EBUSY:
    case EAGAIN:
        result.error = OpenError::Busy;
        result.message = name + " is in use by another program.";
        break;
    case EACCES:
    case EPERM:
        result.error = OpenError::NoPermission;
        result.message = permissionMessage(com, path);
        break;
    case ENOTTY:
    case EISDIR:
        result.error = OpenError::NotSerial;
        result.message = name + " is not a serial line.";
        break;
    case EINVAL:
        result.error = OpenError::Other;
        result.message = name + " cannot be set to 38400 baud, 8 data bits, no parity.";
        break;
    default:
        result.error = OpenError::Other;
        result.message = name + " cannot be opened: " + std::strerror(err) + ".";
        break;
    }
    return result;
}

PortMap::Naming nativePortNaming() {
    return PortMap::Naming::Posix;
}

std::unique_ptr<DeviceProvider> createNativeDeviceProvider(PortMap map) {
    return std::make_unique<PosixDeviceProvider>(std::move(map));
}
