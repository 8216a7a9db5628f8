#pragma once
// The settings group "Ports" read without Qt, for zylctl: the window stores the device chosen
// for a COM number there (QSettings of organisation "qel", application "Vantrisco"), and zylctl
// must resolve the numbers as the window does.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace PortSettings {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The entries of the user's group (on Linux and macOS the INI file
// $XDG_CONFIG_HOME/qel/Vantrisco.conf, else ~/.config/qel/Vantrisco.conf; on Windows the
// registry key HKEY_CURRENT_USER\Software\qel\Vantrisco\Ports). Empty when there is none.
Entries read();

// The [Ports] entries of the text of such an INI file, values unquoted as QSettings writes them.
Entries parseIni(std::string_view text);

} // namespace PortSettings
