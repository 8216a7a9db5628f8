#include "CliArguments.h"

#include "ZylctlUsage.h"

#include <array>
#include <charconv>
#include <initializer_list>
#include <map>
#include <string_view>
#include <utility>

namespace {

constexpr int kMaxCount = 1'000'000;

const std::map<std::string_view, CliCommand> kCommands{
    {"ports", CliCommand::Ports},
    {"search", CliCommand::Search},
    {"read", CliCommand::Read},
    {"write", CliCommand::Write},
    {"store", CliCommand::Store},
    {"factory", CliCommand::Factory},
    {"set-address", CliCommand::SetAddress},
    {"poll", CliCommand::Poll},
};

// The sensor families whose commands are two words: "qs40 read", "nuva read".
struct Family {
    std::string_view name;
    std::map<std::string_view, CliCommand> commands;
    std::string_view words; // for the message when the second word is missing
};

const std::array<Family, 2> kFamilies{{
    {"qs40",
     {{"identify", CliCommand::Qs40Identify},
      {"read", CliCommand::Qs40Read},
      {"write", CliCommand::Qs40Write},
      {"copy", CliCommand::Qs40Copy},
      {"poll", CliCommand::Qs40Poll},
      {"update", CliCommand::Qs40Update}},
     "identify, read, write, copy, poll or update"},
    {"nuva",
     {{"search", CliCommand::NuvaSearch},
      {"read", CliCommand::NuvaRead},
      {"write", CliCommand::NuvaWrite},
      {"field", CliCommand::NuvaField},
      {"poll", CliCommand::NuvaPoll},
      {"limits", CliCommand::NuvaLimits}},
     "search, read, write, field, poll or limits"},
}};

const Family* familyNamed(std::string_view word) {
    for (const Family& f : kFamilies)
        if (f.name == word)
            return &f;
    return nullptr;
}

// As often as the windows poll.
constexpr std::uint32_t kQs40PollIntervalMs = 200;
constexpr std::uint32_t kNuvaPollIntervalMs = 1000;
constexpr int kNuvaLastField = 3;
constexpr std::size_t kNuvaLimitValues = 8;
constexpr long long kNuvaWordMax = 0xFFFF;

std::optional<long long> number(std::string_view text, long long min, long long max) {
    long long value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size() || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

// "'word'" for a message.
std::string quoted(std::string_view word) {
    std::string out(1, '\'');
    out += word;
    out += '\'';
    return out;
}

// A list of words ending in " or ", in German.
std::string germanList(std::string_view words) {
    std::string out(words);
    if (const auto last = out.rfind(" or "); last != std::string::npos)
        out.replace(last, 4, " oder ");
    return out;
}

class Parser {
public:
    Parser(const std::vector<std::string>& args, bool englishByDefault)
        : m_args(args), m_englishByDefault(englishByDefault) {}

    CliParseResult run() {
        CliParseResult result;
        std::vector<std::string> operands;
        bool haveCommand = false;
        const Family* family = nullptr; // "qs40" or "nuva" given, its command word still to come
        // The first of --help, --version and a mistake decides; the rest is still read, because
        // a --lang after them says in which language to answer.
        for (m_pos = 0; m_pos < m_args.size(); ++m_pos) {
            std::string_view arg = m_args[m_pos];
            if (arg == "--help" || arg == "-h") {
                result.help = result.help || (!failed() && !result.version);
                continue;
            }
            if (arg == "--version") {
                result.version = result.version || (!failed() && !result.help);
                continue;
            }
            if (arg.size() > 1 && arg.front() == '-') {
                option(arg);
            } else if (family) {
                const auto it = family->commands.find(arg);
                if (it == family->commands.end())
                    fail("unbekannter " + std::string(family->name) + "-Befehl " + quoted(arg),
                         "unknown " + std::string(family->name) + " command " + quoted(arg));
                else
                    m_a.command = it->second;
                family = nullptr;
                haveCommand = true;
            } else if (!haveCommand && familyNamed(arg)) {
                family = familyNamed(arg);
            } else if (!haveCommand) {
                const auto it = kCommands.find(arg);
                if (it == kCommands.end())
                    fail("unbekannter Befehl " + quoted(arg), "unknown command " + quoted(arg));
                else
                    m_a.command = it->second;
                haveCommand = true;
            } else {
                operands.push_back(std::string(arg));
            }
        }
        // A --lang that was itself wrong leaves the language to the caller's default.
        result.english = m_a.english.value_or(m_englishByDefault);
        if (result.help || result.version)
            return result;
        if (family)
            fail(std::string(family->name) + " braucht einen Befehl: " + germanList(family->words),
                 std::string(family->name) + " needs a command: " + std::string(family->words));
        if (!haveCommand)
            fail("kein Befehl angegeben", "no command given");
        if (!failed())
            checkCommand(operands);
        if (failed()) {
            result.error = result.english ? m_error.second : m_error.first;
            return result;
        }
        result.arguments = m_a;
        return result;
    }

private:
    // Keeps the first mistake, in German and English.
    void fail(std::string german, std::string english) {
        if (!failed())
            m_error = {std::move(german), std::move(english)};
    }
    bool failed() const { return !m_error.second.empty(); }

    // "--name value" or "--name=value".
    std::optional<std::string> value(std::string_view name, std::optional<std::string_view> inline_) {
        if (inline_)
            return std::string(*inline_);
        if (m_pos + 1 >= m_args.size()) {
            fail("Option " + std::string(name) + " braucht einen Wert",
                 "option " + std::string(name) + " needs a value");
            return std::nullopt;
        }
        return m_args[++m_pos];
    }

    template <typename T>
    void numberOption(std::string_view name, std::optional<std::string_view> inline_, T& target,
                      long long min, long long max) {
        const auto text = value(name, inline_);
        if (!text)
            return;
        if (const auto v = number(*text, min, max))
            target = static_cast<T>(*v);
        else
            fail("Option " + std::string(name) + " nimmt eine Zahl von " + std::to_string(min) + " bis " +
                     std::to_string(max) + ", nicht " + quoted(*text),
                 "option " + std::string(name) + " takes a number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not " + quoted(*text));
    }

    void option(std::string_view arg) {
        std::optional<std::string_view> inline_;
        std::string_view name = arg;
        if (const auto eq = arg.find('='); eq != std::string_view::npos && arg.starts_with("--")) {
            name = arg.substr(0, eq);
            inline_ = arg.substr(eq + 1);
        }
        m_seen.push_back(std::string(name));
        if (name == "--port") {
            if (const auto v = value(name, inline_); v && v->empty())
                fail("Option --port braucht eine COM-Nummer oder einen Gerätepfad",
                     "option --port needs a COM number or a device path");
            else if (v)
                m_a.port = *v;
            m_a.portGiven = true;
        } else if (name == "--baud") {
            numberOption(name, inline_, m_a.baud, 50, 4'000'000);
        } else if (name == "--rts") {
            choiceOption(name, inline_, m_a.rts,
                         {{"enabled", RtsControl::Enable},
                          {"disabled", RtsControl::Disable},
                          {"toggle", RtsControl::Toggle}});
        } else if (name == "--timeout") {
            numberOption(name, inline_, m_a.timeoutMs, 1, 60'000);
            m_a.timeoutGiven = true;
        } else if (name == "--lang") {
            choiceOption(name, inline_, m_a.english,
                         {{"de", std::optional(false)}, {"en", std::optional(true)}});
        } else if (name == "--verbose" || name == "-v") {
            m_a.verbose = true;
        } else if (name == "--address") {
            int address = 0;
            numberOption(name, inline_, address, 1, 128);
            m_a.address = address;
        } else if (name == "-o" || name == "--output") {
            fileOption(name, inline_, m_a.outputFile);
        } else if (name == "--store") {
            m_a.store = true;
        } else if (name == "--all") {
            m_a.all = true;
        } else if (name == "--reduced") {
            m_a.reduced = true;
        } else if (name == "--count") {
            numberOption(name, inline_, m_a.count, 1, kMaxCount);
        } else if (name == "--interval") {
            numberOption(name, inline_, m_a.intervalMs, 0, 3'600'000);
        } else if (name == "--command") {
            choiceOption(name, inline_, m_a.pollCommand, {{"A", 'A'}, {"I", 'I'}});
        } else if (name == "--csv") {
            fileOption(name, inline_, m_a.csvFile);
        } else if (name == "--slave") {
            numberOption(name, inline_, m_a.slave, 0, 255);
        } else if (name == "--master") {
            numberOption(name, inline_, m_a.master, 0, 255);
        } else if (name == "--no-store") {
            m_a.noStore = true;
        } else if (name == "--set") {
            // The eight values follow as operands.
        } else {
            fail("unbekannte Option " + quoted(arg), "unknown option " + quoted(arg));
        }
    }

    // An empty name would only fail once the work is done.
    void fileOption(std::string_view name, std::optional<std::string_view> inline_, std::string& target) {
        if (const auto v = value(name, inline_); v && v->empty())
            fail("Option " + std::string(name) + " braucht einen Dateinamen",
                 "option " + std::string(name) + " needs a file name");
        else if (v)
            target = *v;
    }

    // An option that takes one of a few words; the message lists them in the order given.
    template <typename T>
    void choiceOption(std::string_view name, std::optional<std::string_view> inline_, T& target,
                      std::initializer_list<std::pair<std::string_view, T>> choices) {
        const auto v = value(name, inline_);
        if (!v)
            return;
        std::string words;
        for (const auto& [word, choice] : choices) {
            if (*v == word) {
                target = choice;
                return;
            }
            words += (words.empty() ? "" : ", ") + std::string(word);
        }
        if (const auto last = words.rfind(", "); last != std::string::npos)
            words.replace(last, 2, " or ");
        fail("Option " + std::string(name) + " nimmt " + germanList(words) + ", nicht " + quoted(*v),
             "option " + std::string(name) + " takes " + words + ", not " + quoted(*v));
    }

    bool seen(std::string_view name) const {
        for (const auto& s : m_seen)
            if (s == name)
                return true;
        return false;
    }

    // Options that belong to other commands are refused rather than ignored: a misplaced
    // --store must not make anybody believe the settings were stored.
    void onlyFor(std::initializer_list<std::string_view> options, bool allowed, std::string_view command) {
        for (std::string_view o : options)
            if (!allowed && seen(o))
                fail("Option " + std::string(o) + " gilt nicht für " + std::string(command),
                     "option " + std::string(o) + " does not apply to " + std::string(command));
    }

    void checkCommand(const std::vector<std::string>& operands) {
        const CliCommand c = m_a.command;
        std::string commandName;
        for (const auto& [name, cmd] : kCommands)
            if (cmd == c)
                commandName = name;
        for (const Family& f : kFamilies)
            for (const auto& [name, cmd] : f.commands)
                if (cmd == c)
                    commandName = std::string(f.name) + " " + std::string(name);
        const bool nuva = IsNuvaCommand(c);
        const bool addressed =
            c != CliCommand::Ports && c != CliCommand::Search && !IsQs40Command(c) && !nuva;
        onlyFor({"--address"}, addressed, commandName);
        onlyFor({"-o", "--output"},
                c == CliCommand::Read || c == CliCommand::Qs40Read || c == CliCommand::NuvaRead, commandName);
        onlyFor({"--store"}, c == CliCommand::Write, commandName);
        onlyFor({"--all"}, c == CliCommand::Search, commandName);
        onlyFor({"--reduced"}, c == CliCommand::Qs40Update, commandName);
        const bool poll = c == CliCommand::Poll || c == CliCommand::Qs40Poll || c == CliCommand::NuvaPoll;
        onlyFor({"--count", "--interval"}, poll, commandName);
        onlyFor({"--command"}, c == CliCommand::Poll, commandName);
        onlyFor({"--csv"}, c == CliCommand::Poll || c == CliCommand::NuvaPoll, commandName);
        // Both families find their sensor as their windows do, at the rates and with the RTS
        // handling of their own protocol.
        onlyFor({"--baud", "--rts"}, !IsQs40Command(c) && !nuva, commandName);
        onlyFor({"--slave", "--master"}, nuva, commandName);
        onlyFor({"--no-store"}, c == CliCommand::NuvaWrite, commandName);
        onlyFor({"--set"}, c == CliCommand::NuvaLimits, commandName);
        if (failed())
            return;
        if (addressed && !m_a.address) {
            fail(commandName + " braucht --address N", commandName + " needs --address N");
            return;
        }
        const bool takesFile = c == CliCommand::Write || c == CliCommand::Qs40Write ||
                               c == CliCommand::Qs40Copy || c == CliCommand::Qs40Update ||
                               c == CliCommand::NuvaWrite;
        const bool setLimits = c == CliCommand::NuvaLimits && seen("--set");
        std::size_t wanted = (takesFile || c == CliCommand::SetAddress || c == CliCommand::NuvaField) ? 1 : 0;
        if (setLimits)
            wanted = kNuvaLimitValues;
        const auto needsOperands = [&] {
            if (c == CliCommand::Qs40Update)
                fail(commandName + " braucht ein S-Record-Abbild", commandName + " needs an S-record image");
            else if (c == CliCommand::NuvaField)
                fail(commandName + " braucht die Nummer des Schutzfelds, 0 bis 3",
                     commandName + " needs the field number, 0 to 3");
            else if (setLimits)
                fail(commandName + " --set braucht acht Werte", commandName + " --set needs eight values");
            else if (takesFile)
                fail(commandName + " braucht eine Projektdatei", commandName + " needs a project file");
            else
                fail(commandName + " braucht die neue Adresse", commandName + " needs the new address");
        };
        if (operands.size() == 1 && takesFile && operands[0].empty()) {
            needsOperands();
            return;
        }
        if (operands.size() != wanted) {
            if (operands.size() > wanted)
                fail("unerwarteter Operand " + quoted(operands[wanted]),
                     "unexpected operand " + quoted(operands[wanted]));
            else
                needsOperands();
            return;
        }
        if (takesFile)
            m_a.projectFile = operands[0];
        if (c == CliCommand::SetAddress) {
            const auto v = number(operands[0], 1, 127);
            if (!v) {
                fail("die neue Adresse muss eine Zahl von 1 bis 127 sein, nicht " + quoted(operands[0]),
                     "the new address must be a number from 1 to 127, not " + quoted(operands[0]));
                return;
            }
            m_a.newAddress = static_cast<int>(*v);
        }
        if (c == CliCommand::NuvaField || setLimits)
            nuvaNumbers(operands);
        if (poll && m_a.count == 0)
            fail(commandName + " braucht --count K", commandName + " needs --count K");
        if ((c == CliCommand::Qs40Poll || c == CliCommand::NuvaPoll) && !seen("--interval"))
            m_a.intervalMs = c == CliCommand::Qs40Poll ? kQs40PollIntervalMs : kNuvaPollIntervalMs;
    }

    // The field of "nuva field" or the eight values of "nuva limits --set".
    void nuvaNumbers(const std::vector<std::string>& operands) {
        if (m_a.command == CliCommand::NuvaField) {
            if (const auto v = number(operands[0], 0, kNuvaLastField))
                m_a.field = static_cast<int>(*v);
            else
                fail("das Schutzfeld muss eine Zahl von 0 bis 3 sein, nicht " + quoted(operands[0]),
                     "the field must be a number from 0 to 3, not " + quoted(operands[0]));
            return;
        }
        for (const std::string& operand : operands) {
            const auto v = number(operand, 0, kNuvaWordMax);
            if (!v) {
                fail("ein Limitwert muss eine Zahl von 0 bis 65535 sein, nicht " + quoted(operand),
                     "a limit value must be a number from 0 to 65535, not " + quoted(operand));
                return;
            }
            m_a.limitSet.push_back(*v);
        }
    }

    const std::vector<std::string>& m_args;
    std::size_t m_pos = 0;
    CliArguments m_a;
    std::vector<std::string> m_seen;
    bool m_englishByDefault;
    std::pair<std::string, std::string> m_error; // German, English
};

} // namespace

bool IsQs40Command(CliCommand command) {
    return command >= CliCommand::Qs40Identify && command <= CliCommand::Qs40Update;
}

bool IsNuvaCommand(CliCommand command) {
    return command >= CliCommand::NuvaSearch;
}

std::optional<int> CliArguments::comNumber() const {
    std::string_view p = port;
    if (p.size() > 3 && (p.starts_with("COM") || p.starts_with("com")))
        p.remove_prefix(3);
    if (const auto n = number(p, 0, 1'000'000))
        return static_cast<int>(*n);
    return std::nullopt;
}

CliParseResult ParseCliArguments(const std::vector<std::string>& args, bool englishByDefault) {
    return Parser(args, englishByDefault).run();
}

std::string CliUsage(bool english) {
    return shortUsage(ZylctlUsage(), english ? nullptr : &ZylctlUsageGerman());
}

std::string CliHelp(bool english) {
    return helpText(ZylctlUsage(), english ? nullptr : &ZylctlUsageGerman());
}
