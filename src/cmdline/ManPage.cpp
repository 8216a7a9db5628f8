#include "ManPage.h"

#include <cctype>
#include <set>

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == ':' || c == '.';
}

// An argument such as "--address N [-o FILE.qel]": options bold, placeholders italic (or
// bold as well when the words are literal choices such as "enabled|disabled|toggle"). A
// placeholder is written in capitals; a word in small letters is typed as it stands (the
// "read" of "qs40 read").
std::string roffArgument(std::string_view argument, bool literalWords) {
    std::string out;
    std::size_t i = 0;
    while (i < argument.size()) {
        if (!isWordChar(argument[i])) {
            out += argument[i++];
            continue;
        }
        std::size_t end = i;
        while (end < argument.size() && isWordChar(argument[end]))
            ++end;
        const std::string_view word = argument.substr(i, end - i);
        i = end;
        if (word.find_first_not_of('.') == std::string_view::npos)
            out += word; // "..." after a repeatable part
        else if (word.front() == '-' || literalWords ||
                 std::islower(static_cast<unsigned char>(word.front())))
            out += "\\fB" + roffText(word) + "\\fR";
        else
            out += "\\fI" + roffText(word) + "\\fR";
    }
    return out;
}

std::string roffHead(const UsageItem& item) {
    std::string out;
    const std::vector<std::string_view> names = itemNames(item);
    for (std::size_t i = 0; i < names.size(); ++i)
        out += (i == 0 ? "\\fB" : ", \\fB") + roffText(names[i]) + "\\fR";
    if (!item.argument.empty())
        out += ' ' + roffArgument(item.argument, item.value == ValueKind::Choice);
    return out;
}

std::string roffSynopsis(const ProgramUsage& usage) {
    std::string out;
    const std::string program = roffText(usage.program);
    if (const UsageSection* commands = usage.commandSection()) {
        for (const UsageItem& command : commands->items) {
            out += ".B " + program + "\n" + roffArgument("[OPTION]...", false) + " \\fB" +
                   roffText(command.names) + "\\fR";
            if (!command.argument.empty())
                out += ' ' + roffArgument(command.argument, false);
            out += "\n.br\n";
        }
    } else {
        out += ".B " + program + "\n" + roffArgument(usage.synopsis, false) + "\n";
    }
    return out;
}

std::string roffSection(const UsageSection& section) {
    std::string out;
    for (const UsageItem& item : section.items)
        out += ".TP\n" + roffHead(item) + "\n" + roffText(item.text) + "\n";
    return out;
}

std::string roffExitStatus(const ProgramUsage& usage) {
    std::string out;
    for (const auto& [code, meaning] : usage.exitCodes)
        out += ".TP\n.B " + std::to_string(code) + "\n" + roffText(meaning) + "\n";
    return out;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

std::string roffText(std::string_view text) {
    std::string out;
    if (!text.empty() && (text.front() == '.' || text.front() == '\''))
        out += "\\&";
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

ManPageResult fillManPage(std::string_view manTemplate, const ProgramUsage& usage) {
    ManPageResult result;
    std::set<std::string_view> placed;
    std::size_t lineNumber = 0;
    while (!manTemplate.empty()) {
        const std::size_t end = manTemplate.find('\n');
        const std::string_view line = manTemplate.substr(0, end);
        manTemplate = end == std::string_view::npos ? std::string_view() : manTemplate.substr(end + 1);
        ++lineNumber;
        if (line == "@SYNOPSIS@") {
            result.page += roffSynopsis(usage);
        } else if (line == "@EXIT STATUS@") {
            result.page += roffExitStatus(usage);
        } else if (line.starts_with("@SECTION ") && line.ends_with('@')) {
            const std::string_view title = line.substr(9, line.size() - 10);
            const UsageSection* found = nullptr;
            for (const UsageSection& section : usage.sections)
                if (section.title == title)
                    found = &section;
            if (!found || !placed.insert(title).second) {
                result.error = "line " + std::to_string(lineNumber) + ": " +
                               (found ? "section placed twice: " : "no such section: ") + std::string(title);
                result.page.clear();
                return result;
            }
            result.page += roffSection(*found);
        } else {
            result.page += replaceAll(std::string(line), "@VERSION@", ZYL_PROGRAM_VERSION);
            result.page += '\n';
        }
    }
    for (const UsageSection& section : usage.sections) {
        if (!placed.contains(section.title)) {
            result.error = "the page leaves out the section " + std::string(section.title);
            result.page.clear();
            return result;
        }
    }
    return result;
}
