// AtomicFile.h with the standard library: the writer of the systems other than Windows.
#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> writeInPlace(const fs::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return std::string(std::strerror(errno));
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out.fail())
        return std::string(std::strerror(errno));
    return std::nullopt;
}

} // namespace

namespace AtomicFile {

std::optional<std::string> checkTarget(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return std::string("is a directory");
    return std::nullopt;
}

std::optional<std::string> write(const std::string& path, std::string_view content) {
    if (auto why = checkTarget(path))
        return why;
    const fs::path target(path);
    std::error_code ec;
    // Only a plain file is replaced. A link, a device or a pipe (--csv /dev/stdout) is written
    // through: renaming over it would replace the link or the device node itself.
    if (const auto own = fs::symlink_status(target, ec); !ec && fs::exists(own) && !fs::is_regular_file(own))
        return writeInPlace(target, content);
    fs::path temp = target;
    temp += ".zylctl-tmp";
    if (const auto why = writeInPlace(temp, content)) {
        fs::remove(temp, ec);
        return why;
    }
    // A file that is replaced keeps its permissions.
    if (const auto status = fs::status(target, ec); !ec && fs::exists(status))
        fs::permissions(temp, status.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return ec.message();
    }
    return std::nullopt;
}

} // namespace AtomicFile
