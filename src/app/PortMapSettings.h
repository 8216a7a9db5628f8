#pragma once
// The COM numbers of this run: the entries of the settings group "Ports" ("COM3=/dev/ttyUSB0"),
// then the environment variable ZYLCONFIG_PORTS. Entries that cannot be used are left out and
// named in the map's warnings.
#include "PortMap.h"

PortMap readPortMapSettings(PortMap::Naming naming);
