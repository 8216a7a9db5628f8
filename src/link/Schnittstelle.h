#pragma once
// The program's serial ports: one table indexed by COM number (1..20), the two open
// operations and the small line services every family window uses.
#include "Clock.h"
#include "DeviceProvider.h"
#include "LineExchange.h"
#include "Progress.h"
#include "SerialDevice.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct PortEntry {
    std::unique_ptr<SerialDevice> device; // the open handle; empty when closed
    bool handleInvalid = false;           // the last open attempt failed
    bool isOpen = false;
    bool echoesOwnBytes = false; // two-wire RS-485 converter: every byte sent comes back
    LineHistory history;         // replies that may still be on their way
};

// The line setting an open operation asks for, from the port dialog's codes (stop bits 0 one,
// 1 one and a half, 2 two; parity 0 none, 1 odd, 2 even, 3 mark, 4 space). Codes no driver could
// accept give nothing, which the caller treats as a refused setting.
std::optional<LineSettings> LineSettingsFromCodes(std::uint32_t baud, int stopBits, int parity, int byteSize,
                                                  RtsControl rts);

// The rate search of the open operations: with baud 0 each of 9600, 19200, 38400, 57600 and
// 115200 in turn, else the given rate alone. Each attempt advances the progress by 4, applies the
// wanted setting at its rate (nothing wanted: refused) and hands `attempt` whether the line took
// it; the search stops at the first attempt that returns true, and says whether one did.
bool SearchBaudRates(SerialDevice& device, std::optional<LineSettings> wanted, std::uint32_t baud,
                     Progress* progress, const std::function<bool(bool accepted)>& attempt);

class Schnittstelle {
public:
    static constexpr int kMaxPort = 20;

    Schnittstelle(DeviceProvider& provider, Clock& clock);
    ~Schnittstelle();
    Schnittstelle(const Schnittstelle&) = delete;
    Schnittstelle& operator=(const Schnittstelle&) = delete;

    // Encodings as the port dialog delivers them: stopBits 0 one, 1 one and a half, 2 two;
    // parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
    // Returns the sensor type code 3..7, or 0 when nothing was identified. baud 0 searches.
    int OpenAndIdentify(int com, std::uint32_t baud, int stopBits, int parity, int byteSize,
                        std::uint32_t readTimeoutMs, Progress* progress = nullptr);
    bool OpenBusPort(int com, std::uint32_t baud, int stopBits, int parity, int byteSize,
                     std::uint32_t readTimeoutMs);
    void ClosePort(int com);
    // Opens a COM number (closing it first when open) and checks that the driver reports an
    // RS-232 or RS-422 line; a refused type leaves the port open until ClosePort, as the open
    // operations do. For links that configure the line themselves (the NUVA link).
    bool OpenPlainPort(int com);
    bool SyncLine(int com);
    bool EchoTest(int com);
    bool LineIsBusy(int com);
    bool Identify(int com, std::uint8_t& type);

    // Entry of a COM number; numbers outside 1..20 give a closed dummy entry.
    PortEntry& port(int com);
    const PortEntry& port(int com) const;
    SerialDevice* device(int com) { return port(com).device.get(); }
    bool isOpen(int com) const { return port(com).isOpen; }
    // Why the last open failed (empty when it did not fail): the provider's sentence, or the
    // port's refusal of its type or of the line setting.
    const std::string& lastOpenError() const { return m_lastOpenError; }
    // The same as a code with its details, for front ends in another language.
    const LinkReason& lastOpenReason() const { return m_lastOpenReason; }

    // A port whose driver reports a type other than RS-232 or RS-422 is refused unless the
    // user chose to use it anyway (remembered per COM number by the port dialog).
    void setUseAnyway(int com, bool useAnyway);
    bool useAnyway(int com) const;

    DeviceProvider& provider() { return m_provider; }
    Clock& clock() { return m_clock; }

    // Shared state of the layer.
    std::int16_t RtsMode = -1; // 0 enabled, 1 disabled, 2 toggle, -1 not set (treated as 0)
    std::uint8_t LastOpenedPort = 0;
    std::string IdentReply;
    bool NewProtocol = false;
    bool OldProtocol = false;

private:
    bool openDevice(int com);
    void refuseSubtype(int com);
    void setOpenFailure(LinkReason reason);

    DeviceProvider& m_provider;
    Clock& m_clock;
    std::array<PortEntry, kMaxPort + 1> m_ports;
    PortEntry m_dummy;
    std::array<bool, kMaxPort + 1> m_useAnyway{};
    std::string m_lastOpenError;
    LinkReason m_lastOpenReason;
};
