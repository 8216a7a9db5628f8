#include "RegistryRecordStore.h"

#include "NativeRecordStore.h"

#include <windows.h>

namespace {

std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

// An open registry key, closed with the object.
class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::string failure(const std::string& what, LONG code) {
    return what + " (Windows error " + std::to_string(code) + ")";
}

} // namespace

std::string RegistryRecordStore::valuePath(const std::string& group, const std::string& name) const {
    return "HKEY_CURRENT_USER\\" + m_baseKey + "\\" + group + "\\" + name;
}

BinaryRecordStore::ReadResult RegistryRecordStore::read(const std::string& group, const std::string& name,
                                                        std::size_t size) {
    ReadResult result;
    Key key;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, wide(m_baseKey + "\\" + group).c_str(), 0, KEY_QUERY_VALUE,
                            key.out());
    if (rc == ERROR_FILE_NOT_FOUND)
        return result;
    if (rc != ERROR_SUCCESS) {
        result.warning = failure(valuePath(group, name) + " cannot be read", rc);
        return result;
    }
    const std::wstring value = wide(name);
    DWORD type = 0;
    DWORD length = 0;
    rc = RegQueryValueExW(key.get(), value.c_str(), nullptr, &type, nullptr, &length);
    if (rc == ERROR_FILE_NOT_FOUND)
        return result;
    if (rc != ERROR_SUCCESS) {
        result.warning = failure(valuePath(group, name) + " cannot be read", rc);
        return result;
    }
    if (type != REG_BINARY) {
        result.warning = valuePath(group, name) + " is not a binary value and is ignored.";
        return result;
    }
    if (length != size) {
        result.warning = valuePath(group, name) + " has " + std::to_string(length) + " bytes instead of " +
                         std::to_string(size) + " and is ignored.";
        return result;
    }
    std::vector<std::uint8_t> bytes(size);
    rc = RegQueryValueExW(key.get(), value.c_str(), nullptr, &type, bytes.data(), &length);
    // The value may have changed between the two calls.
    if (rc != ERROR_SUCCESS || type != REG_BINARY || length != size) {
        result.warning = failure(valuePath(group, name) + " cannot be read", rc);
        return result;
    }
    result.bytes = std::move(bytes);
    return result;
}

std::string RegistryRecordStore::write(const std::string& group, const std::string& name,
                                       std::span<const std::uint8_t> bytes) {
    Key key;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, wide(m_baseKey + "\\" + group).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, key.out(), nullptr);
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExW(key.get(), wide(name).c_str(), 0, REG_BINARY, bytes.data(),
                            static_cast<DWORD>(bytes.size()));
    return rc == ERROR_SUCCESS ? std::string() : failure(valuePath(group, name) + " cannot be written", rc);
}

std::unique_ptr<BinaryRecordStore> createNativeRecordStore() {
    return std::make_unique<RegistryRecordStore>();
}
