#include "ZylctlUsage.h"

const ProgramUsage& ZylctlUsage() {
    static const ProgramUsage usage{
        "zylctl",
        "Search, read, write, store and measure ZYL 24 distance sensors on a serial line or an RS-485 bus, "
        "and QS40 sensors of the text protocol.",
        {},
        {
            {"Commands",
             {
                 {"ports", "", ValueKind::None,
                  "List the COM numbers 1 to 20, the device behind each and whether it opens."},
                 {"search", "[--all]", ValueKind::None,
                  "Search the bus over the addresses 1 to 127 and print the first address at which a ZYL "
                  "24 answers, as \"address N\"; with --all every address that answers, one \"address N "
                  "variant V\" line each."},
                 {"read", "--address N [-o FILE.qel]", ValueKind::None,
                  "Print the sensor's parameter set as \"key: value\" lines that do not depend on --lang; "
                  "with -o save it as a project file as well."},
                 {"write", "--address N [--store] FILE.qel", ValueKind::None,
                  "Transfer the values of a project file to the sensor, group by group in the order of "
                  "the ZYL 24 window, each only after the previous one was accepted. The whole file is "
                  "checked before the port is opened; hold and lowlight keep the sensor's values. Nothing "
                  "is made permanent without --store."},
                 {"store", "--address N", ValueKind::None, "Make the sensor's current settings permanent."},
                 {"factory", "--address N", ValueKind::None, "Reset the sensor to its factory preset."},
                 {"set-address", "--address N NEW", ValueKind::None,
                  "Move the sensor to the bus address NEW (1 to 127) and print \"address NEW\"."},
                 {"poll", "--address N --count K [--interval MS] [--command A|I] [--csv FILE]",
                  ValueKind::None,
                  "Measure K times and print one \"raw;mm\" line per sample (millimetres with one decimal "
                  "and a point). A sample that gets no answer is reported on standard error and makes the "
                  "exit status 1; the other samples are kept."},
                 {"qs40", "identify", ValueKind::None,
                  "Find a QS40 sensor of the text protocol and print its port, sensor, identification and "
                  "protocol generation. Every qs40 command searches COM 1 to 19 as the QS40 window does "
                  "(even parity, every baud rate), or with --port only that line, and reads the switch "
                  "points first; --baud and --rts do not apply."},
                 {"qs40", "read [-o FILE.spi]", ValueKind::None,
                  "Print the switch points, hystereses and limit parameters as \"key: value\" lines; with -o "
                  "save them as the QS40 window's project file."},
                 {"qs40", "write FILE.spi", ValueKind::None,
                  "Send the project file's switch points and hystereses and store them in the sensor. A file "
                  "without all eight switch-point and hysteresis lines, or of another sensor type, sends "
                  "nothing. Hystereses below 100 mm and switch-off points beyond 6000 mm are limited as in "
                  "the window."},
                 {"qs40", "copy FILE.spi", ValueKind::None, "As write, and the limit parameters as well."},
                 {"qs40", "poll --count K [--interval MS]", ValueKind::None,
                  "Measure K times, every 200 ms unless --interval is given, and print one "
                  "\"distance;energy;state\" line per measurement."},
                 {"qs40", "update [--reduced] IMAGE.mot", ValueKind::None,
                  "Load a firmware image of Motorola S-records into the sensor, keeping its settings; each "
                  "page the loader takes is shown on standard error. The image is checked completely "
                  "before the sensor is touched; Ctrl+C does not stop an update."},
             },
             true},
            {"Options",
             {
                 {"--port", "COMn|N|PATH", ValueKind::Port,
                  "The port: a COM number (3 or COM3), mapped to a device as described under PORTS, or a "
                  "device path. Default: 1."},
                 {"--baud", "N", ValueKind::Number, "Baud rate of the line, 50 to 4000000. Default: 38400."},
                 {"--rts", "enabled|disabled|toggle", ValueKind::Choice,
                  "RTS handling of the line: toggle switches the transmitter of a two-wire RS-485 "
                  "converter on only while bytes are sent. Default: enabled."},
                 {"--timeout", "MS", ValueKind::Number,
                  "Read time-out in milliseconds while the sensor is being found, 1 to 60000; once it has "
                  "answered, the measuring time-outs apply. Default: 100."},
                 {"--lang", "de|en", ValueKind::Choice,
                  "Language of the messages on standard error. Default: from LC_ALL, LC_MESSAGES or LANG."},
                 {"-v, --verbose", "", ValueKind::None,
                  "Show every frame sent and received on standard error."},
                 {"-h, --help", "", ValueKind::None, "Print the help and exit."},
                 {"--version", "", ValueKind::None, "Print the version and exit."},
             }},
            {"Command options",
             {
                 {"--address", "N", ValueKind::Number,
                  "Bus address of the sensor, 1 to 128. The command first makes sure that a ZYL 24 "
                  "answers there."},
                 {"-o, --output", "FILE", ValueKind::File,
                  "read, qs40 read: save the parameter set as a project file."},
                 {"--all", "", ValueKind::None, "search: list every sensor on the bus."},
                 {"--reduced", "", ValueKind::None,
                  "qs40 update: neither read nor write the switch points and limit parameters."},
                 {"--store", "", ValueKind::None,
                  "write: make the transferred settings permanent in the sensor."},
                 {"--count", "K", ValueKind::Number, "poll, qs40 poll: the number of samples, 1 to 1000000."},
                 {"--interval", "MS", ValueKind::Number,
                  "poll, qs40 poll: milliseconds from one sample to the next, 0 to 3600000. Default: 40, "
                  "for qs40 poll 200."},
                 {"--command", "A|I", ValueKind::Choice,
                  "poll: the measuring request, A (the distance, default) or I (the Q1 measurement)."},
                 {"--csv", "FILE", ValueKind::File,
                  "poll: also write the samples as a measurement export: the header \"Rohdaten "
                  "[LSB];Skaliert [mm]\" and one row per sample. An interrupted poll still writes what it "
                  "measured."},
             }},
        },
        {
            {0, "success"},
            {1, "the sensor refused or did not answer"},
            {2, "usage or file error"},
            {3, "the port could not be opened or configured"},
            {130, "stopped with Ctrl+C"},
        },
    };
    return usage;
}
