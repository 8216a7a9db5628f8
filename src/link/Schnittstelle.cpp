#include "Schnittstelle.h"

#include "PortMap.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace {

constexpr std::array<std::uint32_t, 5> kSearchRates{9600, 19200, 38400, 57600, 115200};
constexpr int kProgressPerAttempt = 4;
constexpr std::size_t kIdentReplyMax = 80;
constexpr std::size_t kTypeCodeLength = 8;

std::optional<Parity> parityFromCode(int code) {
    switch (code) {
    case 0:
        return Parity::None;
    case 1:
        return Parity::Odd;
    case 2:
        return Parity::Even;
    case 3:
        return Parity::Mark;
    case 4:
        return Parity::Space;
    default:
        return std::nullopt;
    }
}

std::optional<StopBits> stopBitsFromCode(int code) {
    switch (code) {
    case 0:
        return StopBits::One;
    case 1:
        return StopBits::OneAndHalf;
    case 2:
        return StopBits::Two;
    default:
        return std::nullopt;
    }
}

RtsControl rtsControlFromMode(std::int16_t mode) {
    switch (mode) {
    case 1:
        return RtsControl::Disable;
    case 2:
        return RtsControl::Toggle;
    default:
        return RtsControl::Enable; // 0, and -1 when no choice was ever made
    }
}

bool usableSubtype(ProviderSubtype subtype) {
    return subtype == ProviderSubtype::Rs232 || subtype == ProviderSubtype::Rs422;
}

int countEqual(const char* code, const char* pattern) {
    int equal = 0;
    for (std::size_t i = 0; i < kTypeCodeLength; ++i)
        if (code[i] == pattern[i])
            ++equal;
    return equal;
}

struct TypeRule {
    int type;
    const char* family;                  // at least 4 equal positions
    std::array<const char*, 3> variants; // at least 7 equal positions

    bool holds(const char* code, int familyMin, int variantMin) const {
        if (countEqual(code, family) >= familyMin)
            return true;
        for (const char* variant : variants)
            if (variant && countEqual(code, variant) >= variantMin)
                return true;
        return false;
    }
};

// Sensors answer with an 8-character type code. A family code matching in half its
// positions is enough; the customer-specific codes must match all but one character.
constexpr std::array<TypeRule, 4> kTypeRules{{
    {5, "QS55____", {"RV3KHWS_", "ZYL90-R_", "HGM4361_"}},
    {3, "QD55____", {"RV3KJES_", "ZYL90-L_", "HGM4360_"}},
    {6, "QS56____", {"HGM4311_", nullptr, nullptr}},
    {4, "QD56____", {"HGM4310_", nullptr, nullptr}},
}};
constexpr const char* kQs40Code = "QS40MNTB";
constexpr int kQs40Type = 7;

} // namespace

std::optional<LineSettings> LineSettingsFromCodes(std::uint32_t baud, int stopBits, int parity, int byteSize,
                                                  RtsControl rts) {
    const auto p = parityFromCode(parity);
    const auto s = stopBitsFromCode(stopBits);
    if (!p || !s || byteSize < 0 || byteSize > 255)
        return std::nullopt;
    LineSettings settings;
    settings.baud = baud;
    settings.dataBits = static_cast<std::uint8_t>(byteSize);
    settings.parity = *p;
    settings.stopBits = *s;
    settings.rts = rts;
    return settings;
}

bool SearchBaudRates(SerialDevice& device, std::optional<LineSettings> wanted, std::uint32_t baud,
                     Progress* progress, const std::function<bool(bool accepted)>& attempt) {
    const std::size_t attempts = baud != 0 ? 1 : kSearchRates.size();
    for (std::size_t i = 0; i < attempts; ++i) {
        if (progress)
            progress->advance(kProgressPerAttempt);
        bool accepted = false;
        if (wanted) {
            wanted->baud = baud != 0 ? baud : kSearchRates[i];
            accepted = device.applySettings(*wanted);
        }
        if (attempt(accepted))
            return true;
    }
    return false;
}

Schnittstelle::Schnittstelle(DeviceProvider& provider, Clock& clock) : m_provider(provider), m_clock(clock) {}

Schnittstelle::~Schnittstelle() {
    for (int com = 1; com <= kMaxPort; ++com)
        ClosePort(com);
}

PortEntry& Schnittstelle::port(int com) {
    if (com < 1 || com > kMaxPort) {
        m_dummy = PortEntry{}; // whatever a caller wrote into it last time is not kept
        return m_dummy;
    }
    return m_ports[static_cast<std::size_t>(com)];
}

const PortEntry& Schnittstelle::port(int com) const {
    if (com < 1 || com > kMaxPort)
        return m_dummy;
    return m_ports[static_cast<std::size_t>(com)];
}

bool Schnittstelle::openDevice(int com) {
    if (com < 1 || com > kMaxPort) {
        LinkReason r;
        r.code = LinkReasonCode::PortOutOfRange;
        r.com = com;
        setOpenFailure(r);
        return false;
    }
    PortEntry& entry = port(com);
    OpenResult result = m_provider.open(com);
    if (result.error != OpenError::None || !result.device) {
        entry.device.reset();
        entry.handleInvalid = true;
        entry.isOpen = false;
        LinkReason r = result.reason;
        if (!r) { // a provider that gives only a sentence, or not even that
            r.code = LinkReasonCode::Other;
            r.detail =
                result.message.empty() ? "COM " + std::to_string(com) + " could not be opened." : result.message;
        }
        setOpenFailure(r);
        m_lastOpenError = result.message.empty() ? r.english() : result.message;
        return false;
    }
    entry.device = std::move(result.device);
    entry.handleInvalid = false;
    entry.isOpen = true;
    setOpenFailure({});
    return true;
}

int Schnittstelle::OpenAndIdentify(int com, std::uint32_t baud, int stopBits, int parity, int byteSize,
                                   std::uint32_t readTimeoutMs, Progress* progress) {
    if (!OpenPlainPort(com))
        return 0;
    SerialDevice& dev = *device(com);

    Timeouts t;
    t.readIntervalMs = 10;
    t.readTotalMultiplierMs = 5;
    t.readTotalConstantMs = readTimeoutMs;
    dev.setTimeouts(t);

    const std::optional<LineSettings> wanted =
        LineSettingsFromCodes(dev.settings().baud, stopBits, parity, byteSize, RtsControl::Enable);
    std::uint8_t type = 0;
    SearchBaudRates(dev, wanted, baud, progress, [&](bool accepted) {
        LastOpenedPort = static_cast<std::uint8_t>(com);
        if (accepted && Identify(com, type))
            return true;
        type = 0;
        return false;
    });
    return type;
}

bool Schnittstelle::OpenBusPort(int com, std::uint32_t baud, int stopBits, int parity, int byteSize,
                                std::uint32_t readTimeoutMs) {
    if (!OpenPlainPort(com))
        return false;
    SerialDevice& dev = *device(com);

    Timeouts t;
    t.readIntervalMs = 40;
    t.readTotalMultiplierMs = 20;
    t.readTotalConstantMs = readTimeoutMs;
    dev.setTimeouts(t);

    const std::optional<LineSettings> wanted =
        LineSettingsFromCodes(baud, stopBits, parity, byteSize, rtsControlFromMode(RtsMode));
    const bool accepted = wanted && dev.applySettings(*wanted);
    if (!accepted) {
        LinkReason r;
        r.code = LinkReasonCode::LineSettingRefused;
        r.com = com;
        r.device = m_provider.describe(com);
        r.baud = baud;
        r.dataBits = byteSize;
        r.parity = parity;
        r.stopBits = stopBits;
        setOpenFailure(r);
    }
    // Raised whatever the state call returned: converters that take their supply from the
    // handshake lines need them before the first byte. In toggle mode the driver owns RTS.
    dev.setRts(true);
    dev.setDtr(true);
    return accepted;
}

bool Schnittstelle::OpenPlainPort(int com) {
    if (isOpen(com))
        ClosePort(com);
    if (!openDevice(com))
        return false;
    if (!usableSubtype(device(com)->providerSubtype()) && !useAnyway(com)) {
        refuseSubtype(com);
        return false;
    }
    return true;
}

void Schnittstelle::setUseAnyway(int com, bool useAnyway) {
    if (com >= 1 && com <= kMaxPort)
        m_useAnyway[static_cast<std::size_t>(com)] = useAnyway;
}

bool Schnittstelle::useAnyway(int com) const {
    return com >= 1 && com <= kMaxPort && m_useAnyway[static_cast<std::size_t>(com)];
}

void Schnittstelle::refuseSubtype(int com) {
    LinkReason r;
    r.code = LinkReasonCode::WrongPortType;
    r.com = com;
    r.device = m_provider.describe(com);
    r.portType = static_cast<std::uint32_t>(device(com)->providerSubtype());
    setOpenFailure(r);
}

void Schnittstelle::setOpenFailure(LinkReason reason) {
    m_lastOpenReason = std::move(reason);
    m_lastOpenError = m_lastOpenReason.english();
}

void Schnittstelle::ClosePort(int com) {
    if (com < 1 || com > kMaxPort)
        return;
    PortEntry& entry = port(com);
    // The device is released even when isOpen was never set: nothing may keep a line busy
    // after it counts as closed.
    entry.device.reset();
    entry.handleInvalid = false;
    entry.isOpen = false;
    entry.history = {};
}

bool Schnittstelle::SyncLine(int com) {
    SerialDevice* dev = device(com);
    if (!dev)
        return false;
    // Keep answering whatever comes back until the partner stops talking, so a sensor in
    // the middle of a reply or a stream gets to its end.
    std::uint8_t byte = 0x02;
    for (int round = 0; round < 10; ++round) {
        dev->write(&byte, 1);
        if (dev->read(&byte, 1) == 0)
            break;
    }
    for (int i = 0; i < 4096; ++i)
        if (dev->read(&byte, 1) == 0)
            break;
    return dev->read(&byte, 1) == 0;
}

bool Schnittstelle::EchoTest(int com) {
    SerialDevice* dev = device(com);
    if (!dev)
        return false;
    static constexpr std::array<std::uint8_t, 4> kProbe{'t', 'e', 's', 't'};
    dev->purge(true, false);
    const std::size_t written = dev->write(kProbe.data(), kProbe.size());
    if (written != kProbe.size())
        return false; // a line that takes nothing cannot echo anything
    std::array<std::uint8_t, 4> back{};
    const std::size_t got = dev->read(back.data(), written);
    if (got != written)
        return false;
    int sum = 0;
    for (std::size_t i = 0; i < kProbe.size(); ++i)
        sum += static_cast<std::int8_t>(back[i]) - static_cast<std::int8_t>(kProbe[i]);
    return sum == 0;
}

bool Schnittstelle::LineIsBusy(int com) {
    SerialDevice* dev = device(com);
    if (!dev)
        return false;
    dev->purge(true, false);
    std::array<std::uint8_t, 4> buf{};
    return dev->read(buf.data(), buf.size()) > 0;
}

bool Schnittstelle::Identify(int com, std::uint8_t& type) {
    type = 0;
    IdentReply.clear();
    SerialDevice* dev = device(com);
    if (!dev || !SyncLine(com))
        return false;

    static constexpr std::array<std::uint8_t, 5> kRequest{0x02, 'G', 'V', 'E', 0x04};
    for (std::uint8_t b : kRequest)
        dev->write(&b, 1);

    while (IdentReply.size() < kIdentReplyMax) {
        std::uint8_t b = 0;
        if (dev->read(&b, 1) == 0)
            break;
        IdentReply.push_back(static_cast<char>(b));
        if (b == 0x0A)
            break;
    }
    // The line end goes; a reply cut short by a time-out keeps all its characters.
    if (IdentReply.size() > kTypeCodeLength) {
        if (IdentReply.back() == '\n')
            IdentReply.pop_back();
        if (IdentReply.back() == '\r')
            IdentReply.pop_back();
    }

    char code[kTypeCodeLength + 1] = {};
    int major = 0;
    int minor = 0;
    const int parsed = std::sscanf(IdentReply.c_str(), "%8c $Revision: %i.%i", code, &major, &minor);
    if (parsed < 1)
        return false;
    if (parsed >= 2) {
        NewProtocol = major > 3;
        OldProtocol = !NewProtocol;
    }

    // A code that is listed exactly belongs to its own row. The near-match rules would
    // otherwise hand some of them to an earlier row ("HGM4360_" differs from "HGM4361_" in
    // one position only).
    for (const auto& [familyMin, variantMin] : {std::pair{8, 8}, std::pair{4, 7}}) {
        for (const TypeRule& rule : kTypeRules) {
            if (rule.holds(code, familyMin, variantMin)) {
                type = static_cast<std::uint8_t>(rule.type);
                return true;
            }
        }
    }
    const int qs40 = countEqual(code, kQs40Code);
    if (qs40 == static_cast<int>(kTypeCodeLength)) {
        type = kQs40Type;
    } else if (qs40 >= 4) {
        // Early QS40 firmware reports revisions that say nothing about its protocol.
        type = kQs40Type;
        OldProtocol = true;
        NewProtocol = false;
    }
    return type != 0;
}
