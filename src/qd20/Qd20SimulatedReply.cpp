#include "Qd20SimulatedReply.h"

#include "Q20_speziell.h"
#include "Qd20Measurement.h"
#include "Qd20Settings.h"

#include <algorithm>

namespace Qd20SimulatedReply {

namespace {
constexpr char kAccepted = 'Y';
} // namespace

std::vector<std::uint8_t> acknowledge(std::uint8_t address) {
    return BuildReplyFrame(address, kAccepted, {});
}

std::vector<std::uint8_t> measurement(std::uint8_t address, float distance, float q1FirstPoint,
                                      const Qd20Variant& variant) {
    Qd20Measurement m;
    // Held to the 12-bit scale: a distance outside the range must not spill into the flag bits.
    m.value = std::clamp(ToRaw(distance, variant), 0, 4095);
    m.goodTarget = true;
    m.q1On = distance < q1FirstPoint;
    const auto data = EncodeMeasurement(m);
    return BuildReplyFrame(address, kAccepted, data);
}

std::vector<std::uint8_t> parameterBlock(std::uint8_t address, const Qd20Settings& settings,
                                         const Qd20Variant& variant) {
    // The variant's own code, as a digit like the 220 mm sensors report '0': a block that named
    // another variant would switch the window's range and move every point on reading it back.
    const auto code = static_cast<std::uint8_t>('0' + variant.variantCode);
    const auto data = EncodeParameterBlock(BlockFromSettings(settings, variant, code));
    return BuildReplyFrame(address, kAccepted, data);
}

} // namespace Qd20SimulatedReply
