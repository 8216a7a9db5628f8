#include "CliArguments.h"
#include "ZylctlUsage.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <iterator>
#include <sstream>

namespace {

CliArguments parsed(const std::vector<std::string>& argv) {
    const CliParseResult r = ParseCliArguments(argv);
    EXPECT_TRUE(r.arguments.has_value()) << r.error;
    return r.arguments.value_or(CliArguments{});
}

std::string errorOf(const std::vector<std::string>& argv) {
    const CliParseResult r = ParseCliArguments(argv);
    EXPECT_FALSE(r.arguments.has_value());
    return r.error;
}

} // namespace

TEST(CliArgumentsTest, GlobalOptionsMayStandBeforeOrAfterTheCommand) {
    const CliArguments a = parsed({"--port", "COM3", "poll", "--address=7", "--count", "5", "--baud", "19200",
                                   "--rts", "toggle", "--command", "I", "--lang", "en", "--csv", "x.csv"});
    EXPECT_EQ(a.command, CliCommand::Poll);
    EXPECT_EQ(a.comNumber(), 3);
    EXPECT_EQ(a.address, 7);
    EXPECT_EQ(a.count, 5);
    EXPECT_EQ(a.baud, 19200u);
    EXPECT_EQ(a.rts, RtsControl::Toggle);
    EXPECT_EQ(a.pollCommand, 'I');
    EXPECT_EQ(a.english, true);
    EXPECT_EQ(a.csvFile, "x.csv");
    EXPECT_EQ(a.intervalMs, 40u);
    EXPECT_EQ(a.timeoutMs, 100u);
    EXPECT_EQ(parsed({"search", "--port", "/dev/pts/4"}).comNumber(), std::nullopt);
    EXPECT_EQ(parsed({"search", "--port", "12"}).comNumber(), 12);
    EXPECT_EQ(parsed({"write", "--address", "128", "f.qel", "--store"}).projectFile, "f.qel");
    EXPECT_EQ(parsed({"set-address", "--address", "5", "127"}).newAddress, 127);
}

TEST(CliArgumentsTest, MistakesAreUsageErrorsThatNameTheProblem) {
    EXPECT_EQ(errorOf({}), "no command given");
    EXPECT_EQ(errorOf({"scan"}), "unknown command 'scan'");
    EXPECT_EQ(errorOf({"read"}), "read needs --address N");
    EXPECT_EQ(errorOf({"read", "--address", "0"}), "option --address takes a number from 1 to 128, not '0'");
    EXPECT_EQ(errorOf({"read", "--address"}), "option --address needs a value");
    EXPECT_EQ(errorOf({"write", "--address", "5"}), "write needs a project file");
    EXPECT_EQ(errorOf({"poll", "--address", "5"}), "poll needs --count K");
    EXPECT_EQ(errorOf({"poll", "--address", "5", "--count", "3", "--command", "X"}),
              "option --command takes A or I, not 'X'");
    // A new address the sensor cannot take is refused, not cut to its low byte.
    EXPECT_EQ(errorOf({"set-address", "--address", "5", "300"}),
              "the new address must be a number from 1 to 127, not '300'");
    EXPECT_EQ(errorOf({"search", "--rts", "on"}), "option --rts takes enabled, disabled or toggle, not 'on'");
    EXPECT_EQ(errorOf({"search", "extra"}), "unexpected operand 'extra'");
    // An empty port would fall back to COM 1 and talk to a line nobody named.
    EXPECT_EQ(errorOf({"search", "--port="}), "option --port needs a COM number or a device path");
    EXPECT_EQ(errorOf({"read", "--address", "5", "-o", ""}), "option -o needs a file name");
    EXPECT_EQ(errorOf({"poll", "--address", "5", "--count", "3", "--csv="}),
              "option --csv needs a file name");
    EXPECT_EQ(errorOf({"write", "--address", "5", ""}), "write needs a project file");
    // An option of another command would silently do nothing: refused.
    EXPECT_EQ(errorOf({"read", "--address", "5", "--store"}), "option --store does not apply to read");
    EXPECT_EQ(errorOf({"search", "--address", "5"}), "option --address does not apply to search");
    EXPECT_TRUE(ParseCliArguments({"read", "--help"}).help);
    EXPECT_TRUE(ParseCliArguments({"--port", "3", "--version"}).version);
}

// --help, the manual page and the completion are made from the usage table: each command line
// it shows, with its placeholders filled in, and each global option must be accepted.
TEST(CliArgumentsTest, EverythingTheHelpOffersIsAccepted) {
    const ProgramUsage& usage = ZylctlUsage();
    auto sample = [](const UsageItem& option) -> std::string {
        switch (option.value) {
        case ValueKind::Choice:
            return std::string(option.argument.substr(0, option.argument.find('|')));
        case ValueKind::Number:
            return "100"; // within every range the options have
        case ValueKind::File:
            return "out.qel";
        case ValueKind::Port:
            return "3";
        case ValueKind::Text:
        case ValueKind::None:
            break;
        }
        return "x";
    };
    ASSERT_NE(usage.commandSection(), nullptr);
    for (const UsageItem& command : usage.commandSection()->items) {
        std::vector<std::string> args{std::string(command.names)};
        std::string argument(command.argument);
        std::erase_if(argument, [](char c) { return c == '[' || c == ']'; });
        std::istringstream words(argument);
        for (std::string word; words >> word;) {
            if (word.starts_with('-')) {
                const UsageItem* option = usage.findOption(word);
                ASSERT_NE(option, nullptr) << word;
                args.push_back(word);
                if (option->value != ValueKind::None) {
                    args.push_back(sample(*option));
                    words >> word; // its placeholder
                }
            } else if (std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
                args.push_back(word); // a command word ("qs40 identify")
            } else {
                // "FILE.qel", "IMAGE.mot" name files; "NEW", "N", "V1" numbers.
                args.push_back(word.find('.') == std::string::npos ? "1" : "in.qel");
            }
        }
        const CliParseResult r = ParseCliArguments(args);
        EXPECT_TRUE(r.arguments.has_value()) << command.names << ": " << r.error;
        // An option the table gives to some commands only (which the completion offers them
        // alone) is taken by those and refused by the others.
        for (const UsageSection& section : usage.sections)
            for (const UsageItem& option : section.items) {
                if (option.commands.empty())
                    continue;
                std::vector<std::string> withOption = args;
                withOption.push_back(std::string(itemNames(option).front()));
                if (option.value != ValueKind::None)
                    withOption.push_back(sample(option));
                std::istringstream scope{std::string(option.commands)};
                const bool inScope =
                    std::find(std::istream_iterator<std::string>(scope), {}, std::string(command.names)) !=
                    std::istream_iterator<std::string>();
                EXPECT_EQ(ParseCliArguments(withOption).arguments.has_value(), inScope)
                    << command.names << " " << command.argument << " with " << option.names;
            }
    }
    for (const UsageSection& section : usage.sections) {
        if (section.title != "Options")
            continue;
        for (const UsageItem& option : section.items)
            for (std::string_view name : itemNames(option)) {
                std::vector<std::string> args{"ports", std::string(name)};
                if (option.value != ValueKind::None)
                    args.push_back(sample(option));
                const CliParseResult r = ParseCliArguments(args);
                EXPECT_TRUE(r.arguments || r.help || r.version) << name << ": " << r.error;
            }
    }
}

TEST(CliArgumentsTest, Qs40CommandsAndTheirOptions) {
    const CliArguments update = parsed({"qs40", "update", "fw.mot", "--reduced"});
    EXPECT_EQ(update.command, CliCommand::Qs40Update);
    EXPECT_EQ(update.projectFile, "fw.mot");
    EXPECT_TRUE(update.reduced);
    EXPECT_FALSE(update.portGiven);
    EXPECT_TRUE(parsed({"--port", "COM4", "qs40", "identify"}).portGiven);
    // The QS40 window polls every 200 ms; a given interval counts.
    EXPECT_EQ(parsed({"qs40", "poll", "--count", "2"}).intervalMs, 200u);
    EXPECT_EQ(parsed({"qs40", "poll", "--count", "2", "--interval", "50"}).intervalMs, 50u);
    EXPECT_EQ(parsed({"qs40", "read", "-o", "a.spi"}).outputFile, "a.spi");
    EXPECT_TRUE(parsed({"search", "--all"}).all);

    EXPECT_EQ(errorOf({"qs40"}), "qs40 needs a command: identify, read, write, copy, poll or update");
    EXPECT_EQ(errorOf({"qs40", "store"}), "unknown qs40 command 'store'");
    EXPECT_EQ(errorOf({"qs40", "copy"}), "qs40 copy needs a project file");
    EXPECT_EQ(errorOf({"qs40", "update"}), "qs40 update needs an S-record image");
    EXPECT_EQ(errorOf({"qs40", "poll"}), "qs40 poll needs --count K");
    EXPECT_EQ(errorOf({"qs40", "read", "--address", "5"}), "option --address does not apply to qs40 read");
    EXPECT_EQ(errorOf({"qs40", "write", "a.spi", "--reduced"}),
              "option --reduced does not apply to qs40 write");
    EXPECT_EQ(errorOf({"read", "--address", "5", "--all"}), "option --all does not apply to read");
}

TEST(CliArgumentsTest, NuvaCommandsAndTheirOptions) {
    const CliArguments write = parsed({"nuva", "write", "--slave", "7", "a.qel", "--no-store", "--master=2"});
    EXPECT_EQ(write.command, CliCommand::NuvaWrite);
    EXPECT_EQ(write.projectFile, "a.qel");
    EXPECT_TRUE(write.noStore);
    EXPECT_EQ(write.slave, 7);
    EXPECT_EQ(write.master, 2);
    const CliArguments defaults = parsed({"nuva", "poll", "--count", "2"});
    EXPECT_EQ(defaults.slave, 222);
    EXPECT_EQ(defaults.master, 1);
    EXPECT_EQ(defaults.intervalMs, 1000u); // as the ZYL 36 window polls
    EXPECT_FALSE(defaults.timeoutGiven);
    EXPECT_TRUE(parsed({"nuva", "search", "--timeout", "300"}).timeoutGiven);
    EXPECT_EQ(parsed({"nuva", "field", "3"}).field, 3);
    EXPECT_EQ(parsed({"nuva", "limits", "--set", "5", "3", "20", "80", "25", "5", "2000", "65535"}).limitSet,
              (std::vector<long long>{5, 3, 20, 80, 25, 5, 2000, 65535}));
    EXPECT_TRUE(parsed({"nuva", "limits"}).limitSet.empty());

    EXPECT_EQ(errorOf({"nuva"}), "nuva needs a command: search, read, write, field, poll or limits");
    EXPECT_EQ(errorOf({"nuva", "identify"}), "unknown nuva command 'identify'");
    EXPECT_EQ(errorOf({"nuva", "field"}), "nuva field needs the field number, 0 to 3");
    EXPECT_EQ(errorOf({"nuva", "field", "4"}), "the field must be a number from 0 to 3, not '4'");
    EXPECT_EQ(errorOf({"nuva", "limits", "--set", "1", "2"}), "nuva limits --set needs eight values");
    EXPECT_EQ(errorOf({"nuva", "limits", "--set", "1", "2", "3", "4", "5", "6", "7", "65536"}),
              "a limit value must be a number from 0 to 65535, not '65536'");
    EXPECT_EQ(errorOf({"nuva", "limits", "7"}), "unexpected operand '7'");
    EXPECT_EQ(errorOf({"nuva", "read", "--slave", "256"}),
              "option --slave takes a number from 0 to 255, not '256'");
    EXPECT_EQ(errorOf({"nuva", "read", "--no-store"}), "option --no-store does not apply to nuva read");
    EXPECT_EQ(errorOf({"read", "--address", "5", "--slave", "3"}), "option --slave does not apply to read");
    // Both families find their sensors at the rates of their windows: a given rate or RTS
    // handling would be silently ignored.
    EXPECT_EQ(errorOf({"--baud", "9600", "nuva", "search"}), "option --baud does not apply to nuva search");
    EXPECT_EQ(errorOf({"qs40", "identify", "--rts", "toggle"}),
              "option --rts does not apply to qs40 identify");
}

// The language of a usage error is that of --lang wherever it stands, even after the mistake,
// else the one the caller takes from the environment.
TEST(CliArgumentsTest, UsageErrorsSpeakTheLanguageOfLangWhereverItStands) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> german{
        {{"scan", "--lang", "de"}, "unbekannter Befehl 'scan'"},
        {{"--lang", "de"}, "kein Befehl angegeben"},
        {{"read", "--lang", "de"}, "read braucht --address N"},
        {{"read", "--bogus", "--lang=de"}, "unbekannte Option '--bogus'"},
        {{"read", "--address", "0", "--lang", "de"},
         "Option --address nimmt eine Zahl von 1 bis 128, nicht '0'"},
        {{"--lang", "de", "read", "--address"}, "Option --address braucht einen Wert"},
        {{"search", "--rts", "on", "--lang", "de"},
         "Option --rts nimmt enabled, disabled oder toggle, nicht 'on'"},
        {{"search", "--address", "5", "--lang", "de"}, "Option --address gilt nicht für search"},
        {{"set-address", "--address", "5", "--lang", "de"}, "set-address braucht die neue Adresse"},
        {{"set-address", "--address", "5", "x", "--lang", "de"},
         "die neue Adresse muss eine Zahl von 1 bis 127 sein, nicht 'x'"},
        {{"qs40", "update", "--lang", "de"}, "qs40 update braucht ein S-Record-Abbild"},
        {{"search", "extra", "--lang", "de"}, "unerwarteter Operand 'extra'"},
        // The last --lang counts, as for every option.
        {{"--lang", "en", "scan", "--lang", "de"}, "unbekannter Befehl 'scan'"},
    };
    for (const auto& [argv, error] : german) {
        const CliParseResult r = ParseCliArguments(argv);
        EXPECT_EQ(r.error, error);
        EXPECT_FALSE(r.english) << error;
    }
    EXPECT_EQ(ParseCliArguments({"scan"}, false).error, "unbekannter Befehl 'scan'");
    EXPECT_EQ(ParseCliArguments({"scan", "--lang", "en"}, false).error, "unknown command 'scan'");
    // A --lang of its own that is wrong is reported in the default language.
    EXPECT_EQ(ParseCliArguments({"--lang", "fr", "ports"}, false).error,
              "Option --lang nimmt de oder en, nicht 'fr'");
    // --help and --version still answer when they come first; a mistake before them wins.
    const CliParseResult help = ParseCliArguments({"--help", "scan", "--lang", "de"});
    EXPECT_TRUE(help.help);
    EXPECT_FALSE(help.english);
    EXPECT_FALSE(ParseCliArguments({"scan", "--help"}).help);
    EXPECT_FALSE(ParseCliArguments({"--version", "--help"}).help);
}

TEST(CliArgumentsTest, UsageAndHelpInGermanKeepTheSyntaxAndTranslateEveryText) {
    EXPECT_TRUE(CliUsage(false).starts_with("Aufruf: zylctl [OPTION]... ports\n"
                                            "        zylctl [OPTION]... search [--all]\n"))
        << CliUsage(false);
    EXPECT_TRUE(CliUsage(false).ends_with("Mehr dazu zeigt 'zylctl --help'.\n"));
    const std::string help = CliHelp(false);
    for (const char* part : {"\nBefehle:\n", "\nOptionen:\n", "\nOptionen der Befehle:\n",
                             "\nRückgabewert:\n", "Baudrate der Leitung, 50 bis 4000000."})
        EXPECT_NE(help.find(part), std::string::npos) << part;
    for (std::string_view text : untranslatedTexts(ZylctlUsage(), ZylctlUsageGerman()))
        ADD_FAILURE() << "no German for: " << text;
}
