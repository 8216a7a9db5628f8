#include "ZylsimUsage.h"

const ProgramUsage& ZylsimUsage() {
    static const ProgramUsage usage{
        "zylsim",
        "Serve virtual ZYL 24, Halvern, ZYL 36 NUVA or QS40 sensors or a handheld on a pseudo-terminal, so "
        "that zylconfig and zylctl can be used without hardware.",
        "[OPTION]...",
        {
            {"Options",
             {
                 {"--sensor", "ADDR:VARIANT", ValueKind::Text,
                  "A ZYL 24 at the bus address ADDR (1 to 128) with the measuring range VARIANT: 70, 220, "
                  "500 or 1000 mm. Repeat it for more sensors on the bus. Without a sensor option "
                  "(--sensor, --halvern, --nuva, --qs40, --handheld) the bus holds a 220 mm sensor at "
                  "address 5 and a 1000 mm sensor at address 12."},
                 {"--echo", "", ValueKind::None,
                  "Behave like a two-wire RS-485 converter: every byte sent comes back before the answer."},
                 {"--halvern", "14|15", ValueKind::Choice,
                  "A Halvern sensor of that type on the line (type 15 measures in thousandths of a "
                  "millimetre, type 14 in hundredths); alone, unless --sensor is given too."},
                 {"--log", "FILE", ValueKind::File,
                  "Append every frame the sensors receive (a QS40 request with its STX and EOT, each "
                  "loader command on its own line) as one line of upper-case hex bytes separated by "
                  "blanks (85 04 3F 3E), written at once, so that it can be read while zylsim runs."},
                 {"--nuva", "12|13", ValueKind::Choice,
                  "A ZYL 36 NUVA sensor: 12 a QS40MNTD (to 5300 mm), 13 a QS40MNTB (to 6000 mm). It talks "
                  "at 57600 baud unless --baud is given; a terminal carries no parity, so it finds the "
                  "address byte of a request by its place."},
                 {"--slave", "N", ValueKind::Number,
                  "The NUVA sensor's slave address, 1 to 255. Default: 222."},
                 {"--no-near-switch", "", ValueKind::None,
                  "A NUVA sensor without the near-range switch-off (\":\" reports it absent, \"*\" "
                  "changes nothing)."},
                 {"--qs40", "", ValueKind::None,
                  "A QS40 sensor of the text protocol with its firmware loader, alone on the line."},
                 {"--revision", "N", ValueKind::Number,
                  "With --qs40: its firmware revision, 1 to 99. Default: 4; 3 or below is the old "
                  "generation."},
                 {"--handheld", "", ValueKind::None,
                  "A handheld in its PC connection mode, alone on the line; a lone last byte of a motfile "
                  "is acknowledged once the line has been quiet for a moment."},
                 {"--baud", "N", ValueKind::Number,
                  "The rate the sensors talk at: 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or "
                  "230400. Default: 38400, for a NUVA sensor 57600."},
                 {"-h, --help", "", ValueKind::None, "Print the help and exit."},
                 {"--version", "", ValueKind::None, "Print the version and exit."},
             }},
        },
        {
            {0, "ended by SIGINT or SIGTERM"},
            {1, "the pseudo-terminal or the log file could not be created"},
            {2, "wrong options"},
        },
    };
    return usage;
}
