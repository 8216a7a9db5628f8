// TextFile.h with the standard library alone, for systems without the POSIX calls.
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
    const auto status = fs::status(path, ec);
    if (!ec && fs::exists(status) && !fs::is_regular_file(status)) {
        result.error = ReadError::Unreadable;
        result.reason = fs::is_directory(status) ? "is a directory" : "is not a regular file";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = ReadError::Unreadable;
        result.reason = std::strerror(errno);
        return result;
    }
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
