#pragma once
// Writing the user's files so that nothing else is ever touched and the old file survives every
// failure: the content goes to a new, randomly named file beside the target (created
// exclusively, never through a link planted there), is flushed to the disk and only then
// renamed over the target. A target that is a link keeps the link; the file it points to is
// replaced. A read-only target, a directory, a pipe or a device is refused, not replaced.
// Each platform implements this interface in its own file.
#include <optional>
#include <string>
#include <string_view>

namespace AtomicFile {

// Empty when the file at `path` could be written: an existing regular file (or a link to one)
// that may be written, or a new name in an existing folder that may be written. Otherwise the
// reason. Lets a caller refuse a target before it starts work whose result would be lost.
std::optional<std::string> checkTarget(const std::string& path);

// Replaces (or creates) the file at `path` with `content`. Empty on success, otherwise the
// reason; the previous file is then unchanged. A size limit of the process (or a full disk)
// is an error like any other, never the end of the program.
std::optional<std::string> write(const std::string& path, std::string_view content);

} // namespace AtomicFile
