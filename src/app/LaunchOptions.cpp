#include "LaunchOptions.h"

namespace {

constexpr std::string_view kQtOptions = "Qt options";

} // namespace

const ProgramUsage& ZylconfigUsage() {
    static const ProgramUsage usage{
        "zylconfig",
        "Operator and configuration program for the ZYL optical distance sensors. A first WORD that is no "
        "option may be an access word (see the manual page).",
        "[OPTION]... [WORD]",
        {
            {"Options",
             {
                 {"--demo", "", ValueKind::None,
                  "Attach virtual sensors instead of the machine's serial ports: a ZYL 24 bus on COM 1 (a "
                  "220 mm sensor at address 5, a 1000 mm sensor at address 12), a ZYL 36 NUVA sensor on "
                  "COM 2, a QS40 sensor on COM 3, a plain port for the supervision output on COM 4, a "
                  "Halvern sensor of type 15 on COM 5 and a handheld on COM 6."},
                 {"-h, --help", "", ValueKind::None, "Print the help and exit."},
                 {"--version", "", ValueKind::None, "Print the version and exit."},
             }},
            {kQtOptions,
             {
                 {"-platform", "NAME", ValueKind::Text,
                  "The display plug-in, for example xcb, wayland or offscreen (like QT_QPA_PLATFORM)."},
                 {"-display", "DISPLAY", ValueKind::Text, "The X display to open, for example :1."},
                 {"-style", "NAME", ValueKind::Text, "The widget style, for example Fusion."},
                 {"-qwindowgeometry", "WxH+X+Y", ValueKind::Text, "Size and place of the start window."},
                 {"-reverse", "", ValueKind::None, "Lay the windows out from right to left."},
             }},
        },
        {
            {0, "the start window was closed"},
            {2, "wrong options"},
        },
    };
    return usage;
}

LaunchOptions ParseLaunchOptions(const std::vector<std::string>& args) {
    LaunchOptions options;
    const ProgramUsage& usage = ZylconfigUsage();
    const UsageSection* qt = nullptr;
    for (const UsageSection& section : usage.sections)
        if (section.title == kQtOptions)
            qt = &section;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg == "--version") {
            options.version = true;
            return options;
        }
        if (arg == "--demo") {
            options.demo = true;
            continue;
        }
        if (arg.size() < 2 || arg.front() != '-') {
            options.words.push_back(arg);
            continue;
        }
        // Qt takes its options with one dash or two.
        const std::string_view name =
            arg.starts_with("--") ? std::string_view(arg).substr(1) : std::string_view(arg);
        const UsageItem* found = nullptr;
        for (const UsageItem& item : qt->items)
            if (item.names == name)
                found = &item;
        if (!found) {
            options.error = "unknown option '" + arg + "'";
            return options;
        }
        if (!found->argument.empty() && ++i >= args.size()) {
            options.error = "option " + arg + " needs a value";
            return options;
        }
    }
    return options;
}
