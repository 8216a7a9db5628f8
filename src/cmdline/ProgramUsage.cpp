#include "ProgramUsage.h"

#include <algorithm>

namespace {

constexpr std::size_t kWidth = 79;
constexpr std::size_t kTextColumn = 28; // where the explanations start in --help

// The columns a word takes on a terminal: UTF-8 continuation bytes take none.
std::size_t columns(std::string_view word) {
    return static_cast<std::size_t>(std::count_if(
        word.begin(), word.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Appends `text` wrapped at kWidth; the cursor stands at `column`, continuation lines start at
// `indent`.
void appendWrapped(std::string& out, std::string_view text, std::size_t column, std::size_t indent) {
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find(' ');
        const std::string_view word = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (word.empty())
            continue;
        if (!first && column + 1 + columns(word) > kWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += columns(word);
        first = false;
    }
    out += '\n';
}

void appendItem(std::string& out, std::string_view head, std::string_view text, std::size_t textColumn) {
    out += "  ";
    out += head;
    std::size_t column = 2 + head.size();
    if (column + 2 > textColumn) {
        out += '\n';
        column = 0;
    }
    out.append(textColumn - column, ' ');
    appendWrapped(out, text, textColumn, textColumn);
}

std::string itemHead(const UsageItem& item) {
    std::string head(item.names);
    if (!item.argument.empty()) {
        head += ' ';
        head += item.argument;
    }
    return head;
}

std::string_view translated(std::string_view text, const UsageGerman* german) {
    if (german)
        if (const auto it = german->find(text); it != german->end())
            return it->second;
    return text;
}

// "usage: " and the synopsis lines, aligned; a long line continues under its first word after
// the program name.
std::string usageLines(const ProgramUsage& usage, const UsageGerman* german) {
    const std::string_view head = german ? "Aufruf: " : "usage: ";
    std::string out;
    const std::vector<std::string> lines = synopsisLines(usage);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // An optional part in brackets stays on one line: its blanks are held as '\1' meanwhile.
        std::string line = lines[i];
        int depth = 0;
        for (char& c : line) {
            depth += c == '[' ? 1 : c == ']' ? -1 : 0;
            if (c == ' ' && depth > 0)
                c = '\1';
        }
        if (i == 0)
            out += head;
        else
            out.append(head.size(), ' ');
        appendWrapped(out, line, head.size(), head.size() + usage.program.size() + 1);
    }
    std::replace(out.begin(), out.end(), '\1', ' ');
    return out;
}

} // namespace

const UsageSection* ProgramUsage::commandSection() const {
    for (const UsageSection& section : sections)
        if (section.commands)
            return &section;
    return nullptr;
}

const UsageItem* ProgramUsage::findOption(std::string_view name) const {
    for (const UsageSection& section : sections) {
        if (section.commands)
            continue;
        for (const UsageItem& item : section.items)
            for (std::string_view n : itemNames(item))
                if (n == name)
                    return &item;
    }
    return nullptr;
}

std::vector<std::string_view> itemNames(const UsageItem& item) {
    std::vector<std::string_view> names;
    std::string_view rest = item.names;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(", ");
        names.push_back(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 2);
    }
    return names;
}

std::vector<std::string> synopsisLines(const ProgramUsage& usage) {
    std::vector<std::string> lines;
    const std::string program(usage.program);
    if (const UsageSection* commands = usage.commandSection()) {
        for (const UsageItem& command : commands->items)
            lines.push_back(program + " [OPTION]... " + itemHead(command));
    } else {
        lines.push_back(program + (usage.synopsis.empty() ? "" : " ") + std::string(usage.synopsis));
    }
    return lines;
}

std::string shortUsage(const ProgramUsage& usage, const UsageGerman* german) {
    std::string out = usageLines(usage, german);
    const std::string help = "'" + std::string(usage.program) + " --help'";
    out += german ? "Mehr dazu zeigt " + help + ".\n" : "Try " + help + " for more information.\n";
    return out;
}

std::string helpText(const ProgramUsage& usage, const UsageGerman* german) {
    std::string out = usageLines(usage, german);
    appendWrapped(out, translated(usage.summary, german), 0, 0);
    for (const UsageSection& section : usage.sections) {
        out += '\n';
        out += translated(section.title, german);
        out += ":\n";
        for (const UsageItem& item : section.items)
            appendItem(out, itemHead(item), translated(item.text, german), kTextColumn);
    }
    if (!usage.exitCodes.empty()) {
        out += german ? "\nRückgabewert:\n" : "\nExit status:\n";
        for (const auto& [code, meaning] : usage.exitCodes)
            appendItem(out, std::to_string(code), translated(meaning, german), 8);
    }
    return out;
}

std::vector<std::string_view> untranslatedTexts(const ProgramUsage& usage, const UsageGerman& german) {
    std::vector<std::string_view> texts{usage.summary};
    for (const UsageSection& section : usage.sections) {
        texts.push_back(section.title);
        for (const UsageItem& item : section.items)
            texts.push_back(item.text);
    }
    for (const auto& [code, meaning] : usage.exitCodes)
        texts.push_back(meaning);
    std::erase_if(texts, [&](std::string_view t) { return t.empty() || german.contains(t); });
    return texts;
}

std::string versionText(std::string_view program) {
    return std::string(program) + " (ZYLConfig) " ZYL_PROGRAM_VERSION "\n";
}
