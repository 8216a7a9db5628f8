#pragma once
// zylctl: the ZYL24 window's search, read, write, store, factory preset, address change and
// measurement polling from the command line, over the same port layer, exchanges, commands
// and file formats as the window.
#include "CliArguments.h"
#include "CliTexts.h"
#include "LinkReason.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

class Clock;
class CliLink;
class DeviceProvider;
struct Qd20Settings;
struct Qd20Variant;

class ZylCtl {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitSensor = 1;        // the sensor refused or did not answer
    static constexpr int kExitUsage = 2;         // command line or file error
    static constexpr int kExitPort = 3;          // the port could not be opened or configured
    static constexpr int kExitInterrupted = 130; // stopped by the user (Ctrl+C), as shells count it

    // `com` is the COM number the provider opens for this run. `stopRequested`, when given, is
    // asked between the probes of a search and between polls: a search stops, a poll stops and
    // still saves what it measured.
    ZylCtl(const CliArguments& args, DeviceProvider& provider, int com, Clock& clock, std::ostream& out,
           std::ostream& err, std::function<bool()> stopRequested = {});

    int run();

private:
    int ports();
    void listDevices();
    int search();
    int read();
    int write();
    int plainCommand(char command);
    int setAddress();
    int poll();

    // Opens the port (and probes the address when asked), runs `work` on the connection and
    // closes the port again.
    int withLink(bool probeAddress, const std::function<int(CliLink&)>& work);
    // The same after reading the sensor's parameter set ('?') into settings of its variant.
    int withSettings(const std::function<int(CliLink&, Qd20Settings&, const Qd20Variant&)>& work);
    int searchOn(CliLink& link);
    int readOn(const Qd20Settings& settings, const Qd20Variant& variant);
    int writeOn(CliLink& link, const Qd20Settings& settings, const Qd20Variant& variant);
    int setAddressOn(CliLink& link);
    int pollOn(CliLink& link, const Qd20Variant& variant);

    // Opens the port and, when an address is given, makes sure a ZYL24 answers there. Returns
    // an exit code when that failed.
    std::optional<int> connect(CliLink& link, bool probeAddress);
    // '?' decoded into settings and variant; an exit code when the sensor did not answer.
    std::optional<int> readSettings(CliLink& link, Qd20Settings& settings, const Qd20Variant*& variant);
    // The variant of the sensor at address as its parameter block names it, "unknown" when
    // the block does not come or names none.
    std::string variantName(CliLink& link, std::uint8_t address);
    bool stopRequested() const;
    // Sleeps on the clock in short steps; false when a stop was requested meanwhile.
    bool pause(std::uint32_t ms);
    int fail(int code, std::string_view message);
    // A file error (exit 2) when `path` could not be written; checked before the port is opened,
    // so nothing is measured or read for nothing.
    std::optional<int> checkOutput(const std::string& path);
    // Writes a user file without ever destroying the previous one; a failure is a file error.
    int save(const std::string& path, const std::string& content, int codeOnSuccess);
    // Why the port of `link` failed, in the user's language.
    std::string lineFailure(const CliLink& link) const;
    // The send error, or the device's own reason when the port failed.
    int sendError(std::string_view what = {});

    const CliArguments& m_args;
    DeviceProvider& m_provider;
    int m_com;
    Clock& m_clock;
    std::ostream& m_out;
    std::ostream& m_err;
    CliTexts m_texts;
    std::function<bool()> m_stopRequested;
    CliLink* m_link = nullptr; // while a command works on the port
};
