#include "PortSettings.h"

#include "Win32Registry.h"

PortSettings::Entries PortSettings::read() {
    return registryStrings(HKEY_CURRENT_USER, "Software\\qel\\Vantrisco\\Ports");
}
