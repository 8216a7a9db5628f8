#pragma once
// Binary records in the program's QSettings (on Linux ~/.config/qel/Vantrisco.conf): the
// value "<group>/<name>" holds the record as a byte array. Used where there is no registry;
// on Windows the registry store writes the raw binary values earlier installations left.
#include "BinaryRecordStore.h"

#include <QString>

class QSettingsRecordStore : public BinaryRecordStore {
public:
    explicit QSettingsRecordStore(QString organisation = QStringLiteral("qel"),
                                  QString application = QStringLiteral("Vantrisco"))
        : m_organisation(std::move(organisation)), m_application(std::move(application)) {}

    ReadResult read(const std::string& group, const std::string& name, std::size_t size) override;
    std::string write(const std::string& group, const std::string& name,
                      std::span<const std::uint8_t> bytes) override;

private:
    QString m_organisation;
    QString m_application;
};
