#include "QSettingsRecordStore.h"

#include <QByteArray>
#include <QSettings>
#include <QVariant>

namespace {

QString keyOf(const std::string& group, const std::string& name) {
    return QString::fromStdString(group) + QLatin1Char('/') + QString::fromStdString(name);
}

} // namespace

BinaryRecordStore::ReadResult QSettingsRecordStore::read(const std::string& group, const std::string& name,
                                                         std::size_t size) {
    ReadResult result;
    const QSettings settings(m_organisation, m_application);
    const QString key = keyOf(group, name);
    if (!settings.contains(key))
        return result;
    const QVariant value = settings.value(key);
    const std::string where = settings.fileName().toStdString() + ": " + key.toStdString();
    if (value.typeId() != QMetaType::QByteArray) {
        result.warning = where + " is not a binary value and is ignored.";
        return result;
    }
    const QByteArray bytes = value.toByteArray();
    if (static_cast<std::size_t>(bytes.size()) != size) {
        result.warning = where + " has " + std::to_string(bytes.size()) + " bytes instead of " +
                         std::to_string(size) + " and is ignored.";
        return result;
    }
    result.bytes.emplace(bytes.begin(), bytes.end());
    return result;
}

std::string QSettingsRecordStore::write(const std::string& group, const std::string& name,
                                        std::span<const std::uint8_t> bytes) {
    QSettings settings(m_organisation, m_application);
    settings.setValue(keyOf(group, name), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<qsizetype>(bytes.size())));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return settings.fileName().toStdString() + " cannot be written.";
    return {};
}
