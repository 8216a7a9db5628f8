#pragma once
// Reading and writing the user's files (project files, measurement exports) for zylctl.
// A write goes to a temporary file beside the target and replaces the target only once all
// of it is on disk, so a failed write (full disk, pulled stick) never destroys the file the
// user already had.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

class TextFile {
public:
    enum class ReadError { None, Unreadable, TooLarge };
    struct ReadResult {
        std::string content;
        ReadError error = ReadError::None;
        std::string reason; // for Unreadable: what the system said
    };

    // Reads the whole file; a file of more than maxBytes is not read (TooLarge).
    static ReadResult read(const std::string& path, std::size_t maxBytes);
    // Empty on success, otherwise the reason.
    static std::optional<std::string> writeAtomically(const std::string& path, const std::string& content);

private:
    static std::optional<std::string> writeInPlace(const std::filesystem::path& path,
                                                   const std::string& content);
};
