// zylsim: a virtual ZYL24 bus (and optionally a Halvern sensor) on a pseudo-terminal, so the
// real serial layer, zylconfig and zylctl can be used without hardware.
//
//   zylsim [--sensor ADDR:VARIANT]... [--echo] [--halvern 14|15] [--log FILE] [--baud N]
//   zylsim --nuva 12|13 [--slave N] [--no-near-switch] [--echo] [--log FILE] [--baud N]
//   zylsim --qs40 [--revision N] | --handheld   [--log FILE] [--baud N]
//
// The first line of standard output is the path of the terminal to open. The sensors answer
// only while the program has set the line to their baud rate with 8 data bits and no parity;
// the line setting is read back from the terminal before every chunk of input. A NUVA sensor
// talks at 57600 baud unless --baud says otherwise; a terminal carries no parity, so it finds
// the address byte of a request by its place. The QS40 text sensor and the handheld take any
// parity. Runs until SIGINT or SIGTERM. What --help and the manual page say about the options
// stands in ZylsimUsage.cpp.
#include "SimHalvernSensor.h"
#include "SimHandheld.h"
#include "SimNuvaSensor.h"
#include "SimQs40TextSensor.h"
#include "SimZyl24Bus.h"
#include "SimulatedLine.h"
#include "ZylsimUsage.h"

#include "Clock.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

struct Options {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> sensors; // address, variant code
    bool echo = false;
    int halvern = 0;
    std::string logPath;
    std::uint32_t baud = 38400;
    bool baudGiven = false;
    int nuva = 0;
    std::uint8_t nuvaSlave = 222;
    bool nuvaNearSwitch = true;
    int qs40Revision = 0; // 0: no QS40 text sensor
    bool handheld = false;
};

struct BaudCode {
    speed_t code;
    std::uint32_t baud;
};
constexpr BaudCode kBauds[] = {{B1200, 1200},   {B2400, 2400},     {B4800, 4800},
                               {B9600, 9600},   {B19200, 19200},   {B38400, 38400},
                               {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};

std::optional<long> number(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0')
        return std::nullopt;
    return v;
}

std::optional<std::uint8_t> variantCodeOf(long spanMm) {
    switch (spanMm) {
    case 70:
        return '1';
    case 220:
        return '0';
    case 500:
        return '2';
    case 1000:
        return '3';
    default:
        return std::nullopt;
    }
}

bool knownBaud(long baud) {
    for (const BaudCode& b : kBauds)
        if (b.baud == static_cast<std::uint32_t>(baud))
            return true;
    return false;
}

struct Parsed {
    std::optional<Options> options; // empty on a usage error, --help or --version
    std::string error;              // the usage error, one line
    bool help = false;
    bool version = false;
};

Parsed parse(int argc, char** argv) {
    Parsed parsed;
    Options o;
    bool qs40 = false;
    int revision = 0;
    auto fail = [&parsed](const std::string& error) {
        parsed.error = error;
        return parsed;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--sensor" || arg == "--halvern" || arg == "--log" ||
                                arg == "--baud" || arg == "--nuva" || arg == "--slave" || arg == "--revision";
        if (takesValue && i + 1 >= argc)
            return fail("option " + arg + " needs a value");
        const std::string value = takesValue ? argv[++i] : std::string();
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            return parsed;
        } else if (arg == "--version") {
            parsed.version = true;
            return parsed;
        } else if (arg == "--echo") {
            o.echo = true;
        } else if (arg == "--sensor") {
            const auto colon = value.find(':');
            const auto address =
                colon == std::string::npos ? std::nullopt : number(value.substr(0, colon).c_str());
            const auto span =
                colon == std::string::npos ? std::nullopt : number(value.substr(colon + 1).c_str());
            const auto code = span ? variantCodeOf(*span) : std::nullopt;
            if (!address || *address < 1 || *address > 128 || !code)
                return fail(
                    "--sensor takes ADDR:VARIANT with ADDR 1..128 and VARIANT 70, 220, 500 or 1000, not '" +
                    value + "'");
            o.sensors.emplace_back(static_cast<std::uint8_t>(*address), *code);
        } else if (arg == "--halvern") {
            const auto type = number(value.c_str());
            if (!type || (*type != 14 && *type != 15))
                return fail("--halvern takes 14 or 15, not '" + value + "'");
            o.halvern = static_cast<int>(*type);
        } else if (arg == "--log") {
            o.logPath = value;
        } else if (arg == "--baud") {
            // A rate the terminal cannot be set to would leave the sensors silent for good.
            const auto baud = number(value.c_str());
            if (!baud || !knownBaud(*baud))
                return fail(
                    "--baud takes 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or 230400, not '" +
                    value + "'");
            o.baud = static_cast<std::uint32_t>(*baud);
            o.baudGiven = true;
        } else if (arg == "--nuva") {
            const auto type = number(value.c_str());
            if (!type || (*type != 12 && *type != 13))
                return fail("--nuva takes 12 or 13, not '" + value + "'");
            o.nuva = static_cast<int>(*type);
        } else if (arg == "--slave") {
            const auto slave = number(value.c_str());
            if (!slave || *slave < 1 || *slave > 255)
                return fail("--slave takes a number from 1 to 255, not '" + value + "'");
            o.nuvaSlave = static_cast<std::uint8_t>(*slave);
        } else if (arg == "--no-near-switch") {
            o.nuvaNearSwitch = false;
        } else if (arg == "--qs40") {
            qs40 = true;
        } else if (arg == "--revision") {
            const auto given = number(value.c_str());
            if (!given || *given < 1 || *given > 99)
                return fail("--revision takes a number from 1 to 99, not '" + value + "'");
            revision = static_cast<int>(*given);
        } else if (arg == "--handheld") {
            o.handheld = true;
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    // --revision says which QS40; the text sensor and the handheld each want the line alone.
    if (revision && !qs40)
        return fail("--revision needs --qs40");
    o.qs40Revision = qs40 ? (revision ? revision : 4) : 0;
    const bool textDevice = qs40 || o.handheld;
    if ((qs40 && o.handheld) || (textDevice && (!o.sensors.empty() || o.halvern || o.nuva)))
        return fail(std::string(qs40 ? "--qs40" : "--handheld") + " wants the line to itself");
    if (o.sensors.empty() && o.halvern == 0 && o.nuva == 0 && !textDevice)
        o.sensors = {{5, '0'}, {12, '3'}};
    parsed.options = o;
    return parsed;
}

// The line setting the program has put on the terminal (the master reports the slave's).
LineSettings lineSettingsOf(int master) {
    LineSettings s;
    termios t{};
    if (::tcgetattr(master, &t) != 0)
        return s;
    s.baud = 0;
    const speed_t speed = ::cfgetospeed(&t);
    for (const BaudCode& b : kBauds)
        if (b.code == speed)
            s.baud = b.baud;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        s.dataBits = 5;
        break;
    case CS6:
        s.dataBits = 6;
        break;
    case CS7:
        s.dataBits = 7;
        break;
    default:
        s.dataBits = 8;
        break;
    }
    if (t.c_cflag & PARENB) {
        const bool odd = t.c_cflag & PARODD;
#ifdef CMSPAR
        if (t.c_cflag & CMSPAR)
            s.parity = odd ? Parity::Mark : Parity::Space;
        else
#endif
            s.parity = odd ? Parity::Odd : Parity::Even;
    }
    s.stopBits = (t.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    return s;
}

int openTerminal(std::uint32_t baud, std::string& slavePath) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return -1;
    const char* name = ::ptsname(master);
    if (!name)
        return -1;
    slavePath = name;
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    speed_t speed = B38400;
    for (const BaudCode& b : kBauds)
        if (b.baud == baud)
            speed = b.code;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    ::tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

void writeLog(std::FILE* log, const std::vector<std::uint8_t>& frame) {
    for (std::size_t i = 0; i < frame.size(); ++i)
        std::fprintf(log, i == 0 ? "%02X" : " %02X", frame[i]);
    std::fputc('\n', log);
    std::fflush(log);
}

} // namespace

int main(int argc, char** argv) {
    const Parsed parsed = parse(argc, argv);
    if (parsed.help || parsed.version) {
        std::fputs((parsed.help ? helpText(ZylsimUsage()) : versionText("zylsim")).c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "zylsim: %s\n%s", parsed.error.c_str(), shortUsage(ZylsimUsage()).c_str());
        return 2;
    }
    const std::optional<Options>& options = parsed.options;

    std::FILE* log = nullptr;
    if (!options->logPath.empty()) {
        log = std::fopen(options->logPath.c_str(), "a");
        if (!log) {
            std::fprintf(stderr, "zylsim: cannot open the log %s: %s\n", options->logPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    std::string slavePath;
    const int master = openTerminal(options->baud, slavePath);
    if (master < 0) {
        std::fprintf(stderr, "zylsim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }

    SystemClock clock;
    SimZyl24Bus bus(&clock, options->baud);
    for (const auto& [address, code] : options->sensors)
        bus.addSensor(address, code);
    if (log)
        bus.setFrameListener([log](const std::vector<std::uint8_t>& frame) { writeLog(log, frame); });
    std::unique_ptr<SimHalvernSensor> halvern;
    if (options->halvern)
        halvern = std::make_unique<SimHalvernSensor>(options->halvern, &clock, options->baud);

    std::unique_ptr<SimNuvaSensor> nuva;
    if (options->nuva) {
        nuva = std::make_unique<SimNuvaSensor>(options->nuva, options->nuvaSlave, &clock,
                                               options->baudGiven ? options->baud : 57600);
        nuva->setParityVisible(false);
        nuva->setStoreDelayMs(0); // the terminal has no delayed delivery
        nuva->setNearSwitchPresent(options->nuvaNearSwitch);
        if (log)
            nuva->setFrameListener([log](const std::vector<std::uint8_t>& frame) { writeLog(log, frame); });
    }

    std::unique_ptr<SimQs40TextSensor> qs40;
    if (options->qs40Revision) {
        qs40 = std::make_unique<SimQs40TextSensor>(&clock, options->qs40Revision, options->baud);
        if (log)
            qs40->setFrameListener([log](const std::vector<std::uint8_t>& frame) { writeLog(log, frame); });
    }
    std::unique_ptr<SimHandheld> handheld;
    if (options->handheld) {
        handheld = std::make_unique<SimHandheld>(options->baud);
        if (log)
            handheld->setFrameListener(
                [log](const std::vector<std::uint8_t>& frame) { writeLog(log, frame); });
    }

    // The simulated line carries the bytes to the sensors and collects their answers (and the
    // converter's echo); it never waits, the terminal does.
    SimulatedLine line;
    if (!options->sensors.empty())
        line.attach(&bus);
    if (halvern)
        line.attach(halvern.get());
    if (nuva)
        line.attach(nuva.get());
    if (qs40)
        line.attach(qs40.get());
    if (handheld)
        line.attach(handheld.get());
    line.setEcho(options->echo);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    std::printf("%s\n", slavePath.c_str());
    std::fflush(stdout);

    std::deque<std::uint8_t> outgoing;
    bool hungUp = true; // nobody has the terminal open yet
    std::uint64_t lastStreamMs = clock.nowMs();
    double streamBudget = 0;
    std::vector<std::uint8_t> buf(4096);

    while (!g_stop) {
        pollfd p{master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 5);
        if (ready < 0 && errno != EINTR)
            break;
        if (p.revents & POLLHUP) {
            // The program closed the terminal: what it sent half-way is gone, and a sensor in
            // its fast mode stops streaming, as after unplugging the converter.
            if (!hungUp) {
                bus.lineReset();
                if (nuva)
                    nuva->lineReset();
            }
            hungUp = true;
            outgoing.clear();
            ::usleep(10000);
            continue;
        }
        hungUp = false;

        // The handheld acknowledges a lone last byte of a file once the line has fallen quiet.
        if (handheld && ready == 0 && outgoing.empty()) {
            std::uint8_t late[8];
            const std::size_t n = line.read(late, sizeof late);
            outgoing.insert(outgoing.end(), late, late + n);
        }

        if (p.revents & POLLIN) {
            const ssize_t n = ::read(master, buf.data(), buf.size());
            if (n > 0) {
                line.applySettings(lineSettingsOf(master));
                line.write(buf.data(), static_cast<std::size_t>(n));
                const std::size_t pending = line.pending();
                if (pending > 0) {
                    std::vector<std::uint8_t> reply(pending);
                    reply.resize(line.read(reply.data(), reply.size()));
                    outgoing.insert(outgoing.end(), reply.begin(), reply.end());
                }
            }
        }

        // The stream of the fast mode goes out at the pace the line allows.
        const std::uint64_t now = clock.nowMs();
        if (bus.streaming() && outgoing.empty()) {
            const LineSettings s = lineSettingsOf(master);
            if (s.baud == bus.baud() && s.dataBits == 8 && s.parity == Parity::None) {
                streamBudget += double(now - lastStreamMs) * s.baud / 10000.0;
                const auto take = static_cast<std::size_t>(std::min(streamBudget, 512.0)) & ~std::size_t(1);
                if (take > 0) {
                    const std::vector<std::uint8_t> stream = bus.takeStream(take);
                    outgoing.insert(outgoing.end(), stream.begin(), stream.end());
                    streamBudget -= double(stream.size());
                }
            }
        } else {
            streamBudget = 0;
        }
        lastStreamMs = now;

        while (!outgoing.empty()) {
            const std::size_t count = std::min(outgoing.size(), buf.size());
            std::vector<std::uint8_t> chunk(outgoing.begin(),
                                            outgoing.begin() + static_cast<std::ptrdiff_t>(count));
            const ssize_t w = ::write(master, chunk.data(), chunk.size());
            if (w <= 0)
                break; // the terminal is full: try again on the next round
            outgoing.erase(outgoing.begin(), outgoing.begin() + w);
        }
    }

    ::close(master);
    if (log)
        std::fclose(log);
    return 0;
}
