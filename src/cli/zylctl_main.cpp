// zylctl: the ZYL24 sensors from the command line (see ZylCtl.h and the README).
#include "CliArguments.h"
#include "CliTexts.h"
#include "Clock.h"
#include "NativePorts.h"
#include "PortSettings.h"
#include "ProgramUsage.h"
#include "Schnittstelle.h"
#include "StopSignals.h"
#include "ZylCtl.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

// A device path given with --port is served under this COM number; which one does not
// matter, it only names the port in messages.
constexpr int kPathPort = 1;

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CliParseResult parsed = ParseCliArguments(args, CliTexts::englishFromEnvironment());
    const CliTexts texts(parsed.english);
    if (parsed.help) {
        std::cout << CliHelp(parsed.english);
        return ZylCtl::kExitOk;
    }
    if (parsed.version) {
        std::cout << versionText("zylctl");
        return ZylCtl::kExitOk;
    }
    if (!parsed.arguments) {
        std::cerr << "zylctl: " << parsed.error << '\n' << CliUsage(parsed.english);
        return ZylCtl::kExitUsage;
    }
    const CliArguments& arguments = *parsed.arguments;

    // COM numbers resolve as in the window: the settings group "Ports", then the environment.
    PortMap map(nativePortNaming());
    map.addSettings(PortSettings::read());
    map.addEnvironment();
    int com = kPathPort;
    if (const auto number = arguments.comNumber()) {
        if (*number < 1 || *number > Schnittstelle::kMaxPort) {
            std::cerr << "zylctl: " << texts.text(CliText::ComportNotAllowed) << Schnittstelle::kMaxPort
                      << '\n';
            return ZylCtl::kExitPort;
        }
        com = *number;
    } else {
        map.map(com, arguments.port); // a path typed here may be relative to where zylctl runs
    }
    for (const std::string& warning : map.warnings(parsed.english))
        std::cerr << "zylctl: " << warning << '\n';

    const std::unique_ptr<DeviceProvider> provider = createNativeDeviceProvider(std::move(map));
    // Ctrl+C and SIGTERM end every command at its next step, so the port is closed (and the
    // line restored) properly and a poll still writes what it measured.
    StopSignals::install();
    SystemClock clock;
    return ZylCtl(arguments, *provider, com, clock, std::cout, std::cerr,
                  [] { return StopSignals::requested(); })
        .run();
}
