#pragma once
// Binary records as REG_BINARY values of HKEY_CURRENT_USER\<base key>\<group>.
#include "BinaryRecordStore.h"

#include <string>

class RegistryRecordStore : public BinaryRecordStore {
public:
    explicit RegistryRecordStore(std::string baseKey = "Software\\qel\\Vantrisco")
        : m_baseKey(std::move(baseKey)) {}

    ReadResult read(const std::string& group, const std::string& name, std::size_t size) override;
    std::string write(const std::string& group, const std::string& name,
                      std::span<const std::uint8_t> bytes) override;

private:
    // "HKEY_CURRENT_USER\Software\qel\Vantrisco\zyl24\Einstellungen", for messages.
    std::string valuePath(const std::string& group, const std::string& name) const;

    std::string m_baseKey;
};
