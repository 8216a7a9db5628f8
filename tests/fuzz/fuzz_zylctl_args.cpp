// zylctl's command line: the input, cut at NUL bytes, is the argument list. An accepted command
// line holds values inside their ranges, and written out again in one canonical form it parses
// to the same values.
#include "CliArguments.h"
#include "FuzzInput.h"

#include <string>
#include <vector>

namespace {

const char* commandName(CliCommand c) {
    switch (c) {
    case CliCommand::Ports:
        return "ports";
    case CliCommand::Search:
        return "search";
    case CliCommand::Read:
        return "read";
    case CliCommand::Write:
        return "write";
    case CliCommand::Store:
        return "store";
    case CliCommand::Factory:
        return "factory";
    case CliCommand::SetAddress:
        return "set-address";
    case CliCommand::Poll:
        return "poll";
    default:
        return "?";
    }
}

std::vector<std::string> canonical(const CliArguments& a) {
    static const char* const kRts[] = {"enabled", "disabled", "toggle"};
    std::vector<std::string> args{"--port=" + a.port, "--baud=" + std::to_string(a.baud),
                                  std::string("--rts=") + kRts[int(a.rts)],
                                  "--timeout=" + std::to_string(a.timeoutMs)};
    if (a.english)
        args.push_back(*a.english ? "--lang=en" : "--lang=de");
    if (a.verbose)
        args.push_back("--verbose");
    args.push_back(commandName(a.command));
    if (a.address)
        args.push_back("--address=" + std::to_string(*a.address));
    if (!a.outputFile.empty())
        args.push_back("--output=" + a.outputFile);
    if (a.store)
        args.push_back("--store");
    if (a.all)
        args.push_back("--all");
    if (a.command == CliCommand::Poll) {
        args.push_back("--count=" + std::to_string(a.count));
        args.push_back("--interval=" + std::to_string(a.intervalMs));
        args.push_back(std::string("--command=") + a.pollCommand);
        if (!a.csvFile.empty())
            args.push_back("--csv=" + a.csvFile);
    }
    if (a.command == CliCommand::Write)
        args.push_back(a.projectFile);
    if (a.command == CliCommand::SetAddress)
        args.push_back(std::to_string(a.newAddress));
    return args;
}

bool same(const CliArguments& x, const CliArguments& y) {
    return x.port == y.port && x.baud == y.baud && x.rts == y.rts && x.timeoutMs == y.timeoutMs &&
           x.english == y.english && x.verbose == y.verbose && x.command == y.command &&
           x.address == y.address && x.outputFile == y.outputFile && x.projectFile == y.projectFile &&
           x.store == y.store && x.newAddress == y.newAddress && x.count == y.count &&
           x.intervalMs == y.intervalMs && x.pollCommand == y.pollCommand && x.csvFile == y.csvFile && x.all == y.all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    const CliParseResult result = ParseCliArguments(args);
    if (!result.arguments) {
        // Without arguments there is exactly one reason: --help, --version or a usage error.
        FUZZ_CHECK(int(result.help) + int(result.version) + int(!result.error.empty()) == 1);
        return 0;
    }
    const CliArguments& a = *result.arguments;
    FUZZ_CHECK(!a.port.empty());
    FUZZ_CHECK(a.baud >= 50 && a.baud <= 4'000'000 && a.timeoutMs >= 1 && a.timeoutMs <= 60'000);
    // The canonical form below is written for the ZYL 24 commands; the QS40 and ZYL 36 ones are
    // checked for their ranges only.
    if (IsNuvaCommand(a.command)) {
        FUZZ_CHECK(a.field >= 0 && a.field <= 3);
        FUZZ_CHECK(a.limitSet.empty() || a.limitSet.size() == 8);
        for (long long v : a.limitSet)
            FUZZ_CHECK(v >= 0 && v <= 0xFFFF);
    }
    if (IsQs40Command(a.command) || IsNuvaCommand(a.command))
        return 0;
    const bool addressed = a.command != CliCommand::Ports && a.command != CliCommand::Search;
    FUZZ_CHECK(addressed == a.address.has_value());
    if (a.address)
        FUZZ_CHECK(*a.address >= 1 && *a.address <= 128);
    if (a.command == CliCommand::SetAddress)
        FUZZ_CHECK(a.newAddress >= 1 && a.newAddress <= 127);
    if (a.command == CliCommand::Poll)
        FUZZ_CHECK(a.count >= 1 && a.count <= 1'000'000 && (a.pollCommand == 'A' || a.pollCommand == 'I'));

    const CliParseResult again = ParseCliArguments(canonical(a));
    FUZZ_CHECK(again.arguments && same(*again.arguments, a));
    return 0;
}
