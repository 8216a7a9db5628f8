#pragma once
// The NUVA link of the ZYL 36 sensors: an addressed binary link with nine-bit addressing. The
// address byte of a request goes out with the parity bit forced to 1 (mark), every other byte
// with it forced to 0 (space), so that a sensor on an RS-485 bus can pick out the frames meant
// for it.
//
//   request: slave (mark), master, L, command, data..., checksum      L = data bytes + 5
//   reply:   master, slave, L, d[0] .. d[L-5], checksum                checksum = XOR of the rest
//
// Each call is one complete blocking exchange; it shows nothing and knows no widgets. The
// result counts the failures of the exchange (0: success), as the window adds them up over a
// series of exchanges.
#include "Clock.h"
#include "Progress.h"
#include "SerialDevice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class Schnittstelle;

inline constexpr std::uint8_t kNuvaDefaultSlave = 222;
inline constexpr std::uint8_t kNuvaDefaultMaster = 1;
// Longest data part of a request or a reply: a reply is at most 73 bytes (L - 3 <= 70).
inline constexpr std::size_t kNuvaMaxData = 70;
// The error count of a reply whose length byte says more than a reply may hold.
inline constexpr int kNuvaTooLong = 255;

// What an exchange needs besides the line: the addresses from the window's address fields and
// its "8-bit Sensor" option. A sensor that talks 8 bits without parity puts its stop bit where
// the space-parity line expects a 0, so every byte it sends raises a parity error; with the
// option on they are not counted.
struct NuvaLinkOptions {
    std::uint8_t slave = kNuvaDefaultSlave;
    std::uint8_t master = kNuvaDefaultMaster;
    bool eightBit = true;
};

struct NuvaReply {
    int errors = 0; // 0 = success; kNuvaTooLong for an over-long reply; else the failures counted
    int count = 0;  // L - 4: the reply's data bytes (set as soon as the length byte arrived)
    std::vector<std::uint8_t> data;        // d[0] .. d[count-1], as far as they came
    std::optional<std::uint16_t> linkWord; // the two data bytes before the checksum of a good reply
    std::vector<std::uint8_t> received;    // every reply byte as it came, for the status line
    std::string failure;                   // why it failed, in a few words (empty on success)
    std::string deviceError;               // the line's own error; the activity should end

    bool ok() const { return errors == 0; }
};

// The request frame as it goes on the line, address byte first (sent with mark parity), the
// rest with space parity. Empty when there are more data than a frame can carry.
std::vector<std::uint8_t> NuvaRequestFrame(const NuvaLinkOptions& options, std::uint8_t command,
                                           std::span<const std::uint8_t> data);
// A reply frame as a sensor sends it (used by the simulated sensors): master, slave, L, data,
// checksum.
std::vector<std::uint8_t> NuvaReplyFrame(std::uint8_t master, std::uint8_t slave,
                                         std::span<const std::uint8_t> data);

// Fewest data bytes a good reply to this command carries: what the command's user reads from it
// ("U" 41, "6" 17, "X" 4, "P" 3, ":" 2, "C" 2 for its link word), 0 for the others.
std::size_t NuvaMinimumReplyData(std::uint8_t command);

// One exchange: mark parity, purge receive and transmit, the address byte alone, its echo and one
// more byte read and dropped, wait until the transmitter is empty, space parity, the rest of the
// frame in one write, then the reply. With waitLong the first reply byte is awaited up to 8 times
// 500 ms on the clock (the EEPROM store). A reply that never came, a wrong address, a length below
// 5 or a reply cut short fail with 1; a length above 73 with kNuvaTooLong; parity errors (when
// the line reports nothing else and eightBit is off) and a wrong checksum add 1 each; a good reply
// shorter than its command needs adds 1. No reply is taken after the exchange's deadline.
NuvaReply NuvaExchange(SerialDevice& device, bool echoesOwnBytes, Clock& clock,
                       const NuvaLinkOptions& options, std::uint8_t command,
                       std::span<const std::uint8_t> data, bool waitLong);
// The same on a port of the port table; a closed port fails with 1 and sends nothing.
NuvaReply NuvaExchange(Schnittstelle& ports, int com, const NuvaLinkOptions& options, std::uint8_t command,
                       std::span<const std::uint8_t> data, bool waitLong);

struct NuvaIdentity {
    bool ok = false;     // "X" was answered without error
    int sensorType = 0;  // 12, 13, or 0 for a kind this program does not know
    std::string version; // SensorVersion: d[1] and d[2] in decimal joined by "."
    NuvaReply reply;
};

// Sends "X" without the long wait.
NuvaIdentity NuvaIdentify(Schnittstelle& ports, int com, const NuvaLinkOptions& options);

struct NuvaOpenResult {
    int sensorType = 0;      // 12, 13, or 0 when nothing was identified
    bool answered = false;   // a sensor answered "X" (also when its kind is unknown)
    std::string version;     // SensorVersion of the sensor that answered
    std::string deviceError; // set when the line failed; the search stopped there
};

// Opens a COM number for the NUVA link (closing it first when open): read interval 100 ms, read
// multiplier 5 ms, read constant readTimeoutMs, write multiplier 5 ms, write constant 200 ms; the
// caller's stop bits (0 one, 1 one and a half, 2 two) and byte size, mark parity, RTS disabled.
// Then up to five attempts (baud 0: 9600, 19200, 38400, 57600, 115200; else only the given rate),
// each advancing the progress by 4, recording the echo test and the port as LastOpenedPort, and
// stopping at the first rate at which "X" is answered.
NuvaOpenResult NuvaOpen(Schnittstelle& ports, int com, std::uint32_t baud, int stopBits,
                        std::uint32_t readTimeoutMs, int byteSize, const NuvaLinkOptions& options,
                        Progress* progress = nullptr);
