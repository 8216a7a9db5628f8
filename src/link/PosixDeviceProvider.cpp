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

LinkReason PosixDeviceProvider::permissionReason(int com, const std::string& path) {
    LinkReason r;
    r.code = LinkReasonCode::NoPermission;
    r.com = com;
    r.device = path;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return r;
    const bool groupMayUse = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
    r.group = groupName(st.st_gid);
    if (groupMayUse && st.st_gid != 0) {
        r.code = processHasGroup(st.st_gid) ? LinkReasonCode::NoPermissionCheckGroup
                                            : LinkReasonCode::NoPermissionJoinGroup;
        return r;
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    r.code = LinkReasonCode::NoPermissionAskAdmin;
    r.owner = userName(st.st_uid);
    r.mode = mode;
    return r;
}

OpenResult PosixDeviceProvider::open(int com) {
    OpenResult result;
    const std::string path = m_map.path(com);
    if (path.empty()) {
        result.error = OpenError::NotMapped;
        result.reason.code = LinkReasonCode::PortOutOfRange;
        result.reason.com = com;
        result.message = result.reason.english();
        return result;
    }
    int err = 0;
    result.device = PosixSerialDevice::open(path, err);
    if (result.device)
        return result;

    LinkReason& r = result.reason;
    r.com = com;
    r.device = path;
    r.defaultDevice = !m_map.isMapped(com);
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
        result.error = OpenError::Absent;
        r.code = LinkReasonCode::NoSuchDevice;
        // The kernel numbers USB adapters in the order they appear.
        r.usbRenamed = path.rfind("/dev/ttyUSB", 0) == 0 || path.rfind("/dev/ttyACM", 0) == 0;
        break;
    case EIO:
        result.error = OpenError::Absent;
        r.code = LinkReasonCode::NoPortBehindDevice;
        break;
    case EBUSY:
    case EAGAIN:
        result.error = OpenError::Busy;
        r.code = LinkReasonCode::InUse;
        break;
    case EACCES:
    case EPERM:
        result.error = OpenError::NoPermission;
        r = permissionReason(com, path);
        break;
    case ENOTTY:
    case EISDIR:
        result.error = OpenError::NotSerial;
        r.code = LinkReasonCode::NotSerial;
        break;
    case EINVAL:
        result.error = OpenError::Other;
        r.code = LinkReasonCode::DefaultSettingRefused;
        break;
    default:
        result.error = OpenError::Other;
        r.code = LinkReasonCode::OpenFailed;
        r.detail = std::strerror(err);
        break;
    }
    result.message = r.english();
    if (result.error == OpenError::Absent && r.defaultDevice)
        result.message += " To use another device, set for example ZYLCONFIG_PORTS=" + std::to_string(com) +
                          "=/dev/ttyUSB0.";
    return result;
}

PortMap::Naming nativePortNaming() {
    return PortMap::Naming::Posix;
}

std::unique_ptr<DeviceProvider> createNativeDeviceProvider(PortMap map) {
    return std::make_unique<PosixDeviceProvider>(std::move(map));
}
