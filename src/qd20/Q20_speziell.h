#pragma once
// The ZYL24 exchanges: one request frame, one reply frame, over any SerialDevice. Each call is
// one complete blocking exchange; it shows nothing and knows no widgets. The window turns the
// result into its "Data ok" box and status line, and decides what to tell the user.
#include "Clock.h"
#include "LineExchange.h"
#include "SerialDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A data slot holding this value is unused; the first one ends the request's data.
inline constexpr std::uint8_t kQd20Unused = 0x80;
// Reply data a caller must be able to take: 256 bytes, and the long dump of 'K'.
inline constexpr std::size_t kQd20ReplyCapacity = 256;
inline constexpr std::size_t kQd20DumpCapacity = 32768;
// The pixel reply of '6' carries this many bytes beyond what its length byte counts.
inline constexpr std::size_t kQd20PixelExtraBytes = 128;
// Data bytes of a pixel reply, the extra bytes included.
inline constexpr std::size_t kQd20PixelReplyDataBytes = 208;

struct Qd20Request {
    std::uint8_t address = 1; // 1..128; 128 goes out as 0x80
    char command = 'A';
    std::array<std::uint8_t, 5> data{kQd20Unused, kQd20Unused, kQd20Unused, kQd20Unused, kQd20Unused};
};

// The byte-exact request frame: 0x80 + (address AND 0x7F), length, command, the used data
// slots, XOR check byte.
std::vector<std::uint8_t> BuildFrame(const Qd20Request& request);

// A reply frame as a sensor sends it: address byte, length, status letter, data, check byte.
// The length byte leaves out the last `uncountedBytes` data bytes (the 128 extra bytes of the
// pixel reply). Used by the simulated sensors and the simulation window.
std::vector<std::uint8_t> BuildReplyFrame(std::uint8_t address, char status,
                                          std::span<const std::uint8_t> data, std::size_t uncountedBytes = 0);

// XOR of the low seven bits of every byte (the frame check of both directions).
std::uint8_t Qd20CheckValue(std::span<const std::uint8_t> bytes);

// The data bytes (without the check byte) a 'Y' reply to `command` carries: 2 for 'A' and 'I',
// 18 for '?', 208 for '6' (the exposure pair, 102 pixel pairs and a closing pair, 128 of them
// beyond what the length byte counts), 8 for '3', none for the write commands. Empty where any
// length is taken: 'v', which a ZYL24 must not answer at all, and letters the window does not
// send. 'K' is answered without a frame.
std::optional<std::size_t> Qd20ReplyDataLength(char command);

// What the window's status line shows after the exchange.
enum class Qd20Status {
    NoData,    // "Status: " + the window's "no data" text
    Bytes,     // "Status: " + statusHex
    Untouched, // leave the status line as it was
};

struct Qd20Result {
    bool dataOk = false;
    // The reply's data bytes (data byte 0 at index 0), without the check byte; empty unless
    // dataOk. For 'K' the raw dump.
    std::vector<std::uint8_t> data;
    Qd20Status status = Qd20Status::NoData;
    std::string statusHex; // hex of the bytes that arrived, "85 04 59 58"
    // The port's reason when the device itself failed (a pulled adapter); empty otherwise.
    std::string deviceError;
};

// One exchange: wait out a late reply of an earlier failed request to the same address (see
// LineExchange), clear the receive buffer, write the frame (discarding its echo on an echoing
// line) and read the reply, all within one deadline from the port's time-outs. dataOk is set
// only by a complete reply with a correct check byte, the status 'Y', the data length of its
// command and no data byte with bit 7 set. 'K' waits 1000 ms on the clock and returns the raw
// dump; '6' waits 100 ms for its 128 extra bytes. `history` belongs to the open port.
Qd20Result Qd20Transact(SerialDevice& device, bool echoesOwnBytes, Clock& clock, LineHistory& history,
                        const Qd20Request& request);

// The fast measuring mode's stream: pairs of bytes, the first of a pair with bit 6 set, the
// second with bit 6 clear; value = (first AND 0x3F) * 64 + (second AND 0x3F).
struct Qd20StreamResult {
    bool ok = false;            // at least 200 bytes arrived
    std::size_t byteCount = 0;  // bytes collected (two per value)
    std::size_t valueCount = 0; // byteCount / 2
};
// Reads up to min(2 * samples.size(), 40000) bytes into the memory of `samples` and converts
// them there, so samples[k] holds value k afterwards. An empty span gives ok == false.
Qd20StreamResult ReadStream(SerialDevice& device, std::span<std::uint16_t> samples);

// Halvern sensors: plain-text probe. Returns the sensor type found: 15, 14, or 0 for none.
int ProbeHalvern(SerialDevice& device, bool echoesOwnBytes);
// The distance number of a Halvern sensor of type 14 or 15 (hundredths resp. thousandths of a
// millimetre); 60000 for type 14's "too far", 0 for "too near"/"out of range". Empty when no
// usable reply came.
std::optional<std::uint32_t> ReadHalvernDistance(SerialDevice& device, bool echoesOwnBytes, int sensorType);
