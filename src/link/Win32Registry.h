#pragma once
// The string values of a registry key, for the Windows backends that read lists the system or
// the program keeps there.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

inline std::vector<std::pair<std::string, std::string>> registryStrings(HKEY root, const char* path) {
    std::vector<std::pair<std::string, std::string>> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        char data[1024];
        DWORD dataLength = sizeof data - 1;
        DWORD type = 0;
        const LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataLength);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataLength] = '\0';
        values.emplace_back(name, data);
    }
    RegCloseKey(key);
    return values;
}
