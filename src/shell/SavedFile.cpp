#include "SavedFile.h"

#include <QSaveFile>

bool SavedFile::writeAndCommit(QSaveFile& file, std::string_view content) {
    const auto size = static_cast<qint64>(content.size());
    if (file.write(content.data(), size) == size && file.flush())
        return file.commit();
    file.cancelWriting();
    return false;
}
