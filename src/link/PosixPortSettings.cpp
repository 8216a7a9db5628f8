#include "PortSettings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

PortSettings::Entries PortSettings::read() {
    std::string dir;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        dir = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        dir = std::string(home) + "/.config";
    else
        return {};
    std::ifstream in(dir + "/qel/Vantrisco.conf", std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parseIni(text.str());
}
