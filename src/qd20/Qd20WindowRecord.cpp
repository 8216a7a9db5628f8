#include "Qd20WindowRecord.h"

#include <cmath>
#include <utility>

namespace {

std::uint16_t word(std::span<const std::uint8_t> bytes, std::size_t index) {
    return static_cast<std::uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

void putWord(std::array<std::uint8_t, Qd20WindowRecord::kSize>& out, std::size_t index, unsigned value) {
    out[2 * index] = static_cast<std::uint8_t>(value & 0xFF);
    out[2 * index + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

unsigned nibbles(int high, int middle, int low) {
    return static_cast<unsigned>(high) * 256u + static_cast<unsigned>(middle) * 16u + static_cast<unsigned>(low);
}

} // namespace

std::uint16_t Qd20WindowRecord::wholeMillimetres(float mm) {
    if (!(mm > 0.0f)) // also catches NaN
        return 0;
    if (mm >= 65535.0f)
        return 65535;
    return static_cast<std::uint16_t>(std::trunc(mm));
}

namespace {

using S = Qd20Settings;
using R = Qd20WindowRecord;
// Indexed by Qd20WindowRecord::Pair.
constexpr std::array<float S::*, 3> kFirstPoints{&S::SwitchPointQ1A, &S::SwitchPointQ2A, &S::AnalogPoint1};
constexpr std::array<float S::*, 3> kSecondPoints{&S::SwitchPointQ1B, &S::SwitchPointQ2B, &S::AnalogPoint2};
constexpr std::pair<int R::*, int S::*> kSliders[] = {
    {&R::FktQ1, &S::fktQ1}, {&R::OSQ1, &S::osQ1}, {&R::IVQ1, &S::ivQ1}, {&R::FktQ2, &S::fktQ2}, {&R::OSQ2, &S::osQ2},
    {&R::IVQ2, &S::ivQ2},   {&R::TV, &S::tv},     {&R::BW, &S::bw},     {&R::SetQ1, &S::setQ1}};

} // namespace

Qd20WindowRecord Qd20WindowRecord::fromSettings(const Qd20Settings& settings) {
    Qd20WindowRecord record;
    for (std::size_t i = 0; i < kFirstPoints.size(); ++i) {
        record.firstPoints[i] = wholeMillimetres(settings.*kFirstPoints[i]);
        record.secondPoints[i] = wholeMillimetres(settings.*kSecondPoints[i]);
    }
    for (const auto& [inRecord, inSettings] : kSliders)
        record.*inRecord = settings.*inSettings;
    return record;
}

void Qd20WindowRecord::applyTo(Qd20Settings& settings) const {
    for (std::size_t i = 0; i < kFirstPoints.size(); ++i) {
        settings.*kFirstPoints[i] = firstPoints[i];
        settings.*kSecondPoints[i] = secondPoints[i];
    }
    for (const auto& [inRecord, inSettings] : kSliders)
        settings.*inSettings = this->*inRecord;
}

std::array<std::uint8_t, Qd20WindowRecord::kSize> Qd20WindowRecord::encode() const {
    std::array<std::uint8_t, kSize> out{};
    for (std::size_t i = 0; i < 3; ++i) {
        putWord(out, i, firstPoints[i]);
        putWord(out, 3 + i, secondPoints[i]);
    }
    putWord(out, 6, nibbles(FktQ1, OSQ1, IVQ1));
    putWord(out, 7, nibbles(FktQ2, OSQ2, IVQ2));
    putWord(out, 8, static_cast<unsigned>(address) * 4096u + nibbles(TV, BW, SetQ1));
    putWord(out, 9, static_cast<std::uint16_t>(static_cast<std::int16_t>(RtsMode)));
    return out;
}

std::optional<Qd20WindowRecord> Qd20WindowRecord::decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize)
        return std::nullopt;
    Qd20WindowRecord r;
    for (std::size_t i = 0; i < 3; ++i) {
        r.firstPoints[i] = word(bytes, i);
        r.secondPoints[i] = word(bytes, 3 + i);
    }
    const std::uint16_t q1 = word(bytes, 6);
    r.FktQ1 = q1 >> 8;
    r.OSQ1 = (q1 >> 4) & 0xF;
    r.IVQ1 = q1 & 0xF;
    const std::uint16_t q2 = word(bytes, 7);
    r.FktQ2 = q2 >> 8;
    r.OSQ2 = (q2 >> 4) & 0xF;
    r.IVQ2 = q2 & 0xF;
    const std::uint16_t misc = word(bytes, 8);
    r.address = misc >> 12;
    r.TV = (misc >> 8) & 0xF;
    r.BW = (misc >> 4) & 0xF;
    r.SetQ1 = misc & 0xF;
    const int rts = static_cast<std::int16_t>(word(bytes, 9));
    r.RtsMode = (rts >= 0 && rts <= 2) ? rts : -1;
    return r;
}

std::string Qd20WindowRecord::outOfRange() const {
    struct Field {
        const char* name;
        int value;
        int highest;
    };
    const Field fields[] = {{"FktQ1", FktQ1, 9}, {"OSQ1", OSQ1, 1}, {"IVQ1", IVQ1, 1},
                            {"FktQ2", FktQ2, 2}, {"OSQ2", OSQ2, 1}, {"IVQ2", IVQ2, 1},
                            {"TV", TV, 1},       {"BW", BW, 2},     {"SetQ1", SetQ1, 1}};
    for (const Field& f : fields)
        if (f.value < 0 || f.value > f.highest)
            return std::string(f.name) + " = " + std::to_string(f.value);
    return {};
}

int Qd20WindowRecord::resolveAddress(int recordAddress, std::optional<int> fullAddress) {
    if (fullAddress && *fullAddress >= 1 && *fullAddress <= 128 && (*fullAddress & 0xF) == (recordAddress & 0xF))
        return *fullAddress;
    return recordAddress;
}
