#pragma once
// What a program accepts on its command line, held once as data: `--help` prints it, the
// manual page and the bash completion are generated from it at build time, so the three
// cannot tell different stories. No Qt: zylctl and zylsim use it too.
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the value of an option is, for the shell's completion.
enum class ValueKind {
    None,   // a flag
    Text,   // anything; nothing to offer
    Number, // digits; nothing to offer
    Choice, // one of the words of the argument, separated by '|' ("enabled|disabled|toggle")
    File,   // a file name
    Port,   // a COM number or a device path
};

// One option or command. For a command, `names` is the command word and `argument` what
// follows it ("--address N [-o FILE.qel]").
struct UsageItem {
    std::string_view names; // "--port", "-o, --output", "read"
    std::string_view argument;
    ValueKind value = ValueKind::None;
    std::string_view text; // plain text; the formatters wrap and escape it
    // For an option that only some commands take, though it is no part of their synopsis: the
    // first words of those commands, separated by blanks ("nuva"). Empty for every other item.
    std::string_view commands = {};
};

struct UsageSection {
    std::string_view title;
    std::vector<UsageItem> items;
    bool commands = false; // the items are commands: one synopsis line each
};

struct ProgramUsage {
    std::string_view program;
    std::string_view summary;  // one line: what the program is (the manual page's NAME)
    std::string_view synopsis; // for a program without commands: what follows the name
    std::vector<UsageSection> sections;
    std::vector<std::pair<int, std::string_view>> exitCodes;

    const UsageSection* commandSection() const;
    // The option item that has `name` among its names, or nullptr.
    const UsageItem* findOption(std::string_view name) const;
};

// The German of a usage table: its English texts (summary, section titles, explanations, exit
// codes) mapped to German. Names, arguments and the manual page stay English.
using UsageGerman = std::map<std::string_view, std::string_view>;

// The names of an item, split at ", " ("-o, --output" gives "-o" and "--output").
std::vector<std::string_view> itemNames(const UsageItem& item);

// The synopsis lines without "usage: " (one per command for a program with commands).
std::vector<std::string> synopsisLines(const ProgramUsage& usage);
// The short text printed after a usage error: the synopsis and where to read more. In German
// with `german`.
std::string shortUsage(const ProgramUsage& usage, const UsageGerman* german = nullptr);
// The text of --help: synopsis, every section and the exit codes, wrapped at 79 columns. In
// German with `german`; a text it lacks stays English.
std::string helpText(const ProgramUsage& usage, const UsageGerman* german = nullptr);
// The texts of the table that `german` lacks (for the test that keeps both complete).
std::vector<std::string_view> untranslatedTexts(const ProgramUsage& usage, const UsageGerman& german);
// The text of --version.
std::string versionText(std::string_view program);
