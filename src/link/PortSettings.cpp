#include "PortSettings.h"

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A value as QSettings writes it: plain, or in double quotes (for leading blanks, commas and the
// like), with backslash escapes either way.
std::string unquoted(std::string_view value) {
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (quoted)
        value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

} // namespace

PortSettings::Entries PortSettings::parseIni(std::string_view text) {
    Entries entries;
    bool inPorts = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inPorts = line == "[Ports]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (inPorts && eq != std::string_view::npos)
            entries.emplace_back(std::string(trimmed(line.substr(0, eq))),
                                 unquoted(trimmed(line.substr(eq + 1))));
    }
    return entries;
}
