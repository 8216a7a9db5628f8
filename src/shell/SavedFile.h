#pragma once
// Writing a user's file through QSaveFile, so that a failed save keeps the old file.
#include <string_view>

class QSaveFile;

namespace SavedFile {

// Writes the content into the opened file and puts it in place; false when any of it failed,
// and the old file is then left as it was. QSaveFile::commit() alone is not enough: it replaces
// the old file even when the last buffered bytes could not be written (a full disk), which
// would leave a file cut short and report success.
bool writeAndCommit(QSaveFile& file, std::string_view content);

} // namespace SavedFile
