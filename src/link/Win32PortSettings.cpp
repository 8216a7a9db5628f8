#include "PortSettings.h"

#include <windows.h>

PortSettings::Entries PortSettings::read() {
    Entries entries;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\qel\\Vantrisco\\Ports", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return entries;
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
        entries.emplace_back(name, data);
    }
    RegCloseKey(key);
    return entries;
}
