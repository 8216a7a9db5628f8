#pragma once
// Reading the user's files (project files) for zylctl. Only a regular file is read: a pipe, a
// device or a directory named by mistake is refused at once instead of blocking the program.
// Each platform implements this in its own file; writing goes through AtomicFile.h.
#include <cstddef>
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
};
