#include "TextFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

TextFile::ReadResult TextFile::read(const std::string& path, std::size_t maxBytes) {
    ReadResult result;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        result.error = ReadError::Unreadable;
        result.reason = "is a directory";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = ReadError::Unreadable;
        result.reason = std::strerror(errno);
        return result;
    }
    // One byte more than allowed tells a file at the limit from one beyond it.
    result.content.resize(maxBytes + 1);
    in.read(result.content.data(), static_cast<std::streamsize>(result.content.size()));
    if (in.bad()) {
        result.content.clear();
        result.error = ReadError::Unreadable;
        result.reason = "read error";
        return result;
    }
    result.content.resize(static_cast<std::size_t>(in.gcount()));
    if (result.content.size() > maxBytes) {
        result.content.clear();
        result.error = ReadError::TooLarge;
    }
    return result;
}

std::optional<std::string> TextFile::writeInPlace(const std::filesystem::path& path,
                                                  const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return std::string(std::strerror(errno));
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out.fail())
        return std::string(std::strerror(errno));
    return std::nullopt;
}

std::optional<std::string> TextFile::writeAtomically(const std::string& path, const std::string& content) {
    const fs::path target(path);
    std::error_code ec;
    if (fs::is_directory(target, ec))
        return std::string("is a directory");
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
