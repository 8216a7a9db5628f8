// Line-fault soak of the NUVA link: 10 000 exchanges of "C" (distance), "U" (switch points) and
// "6" (limits) in the ratio 8:1:1 (times the argument) over a simulated line on which 1 % of the
// sensor's bytes are dropped, have one bit flipped, come twice or come after the time-out, with
// stray bytes between frames, and 1 % of the bytes carry a ninth bit that does not fit the space
// parity of the line (a parity error).
//
// Every reply carries values of its own (a counter), so an accepted reply can be told apart: the
// one for this request, a late one for an earlier request (must never happen), or a corrupted one
// that still passes the XOR checksum (what the checksum cannot see, counted apart).
//
// Parity errors count as the link says: with the "8-bit Sensor" option off each one in the
// length, data or checksum byte of a reply adds 1 to the exchange's error count; with it on none
// does. parity_miscounted counts the complete replies (no other fault) whose error count differs
// from the parity errors put on those bytes; it must stay 0.
#include "LineFaults.h"
#include "NuvaCommands.h"
#include "Qs40_nuva_speziell.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <deque>

namespace {

constexpr std::uint8_t kSlave = 222;
constexpr std::uint8_t kMaster = 1;
constexpr Timeouts kNuvaTimeouts{100, 5, 100, 5, 200};

// A NUVA sensor whose replies carry a counter in every word.
class CountingNuvaSensor : public SimPeer {
public:
    CountingNuvaSensor(std::mt19937& random, bool faults) : m_random(random), m_faults(faults) {}
    std::uint32_t baud() const override { return 57600; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override {
        if (line.parity == Parity::Mark) {
            m_frame.assign(1, byte);
            return;
        }
        if (m_frame.empty())
            return;
        m_frame.push_back(byte);
        if (m_frame.size() < 3 || m_frame.size() != m_frame[2])
            return;
        const std::uint8_t command = m_frame[3];
        m_frame.clear();
        ++m_count;
        std::vector<std::uint8_t> data{0};
        const std::size_t words = command == 'U' ? 20 : command == '6' ? 8 : 1;
        for (std::size_t i = 0; i < words; ++i) {
            const auto w = static_cast<std::uint16_t>(m_count * 31 + i);
            data.push_back(static_cast<std::uint8_t>(w >> 8));
            data.push_back(static_cast<std::uint8_t>(w));
        }
        if (command == 'C')
            data.erase(data.begin()); // the link word alone
        sent.push_back(data);
        if (sent.size() > 8)
            sent.pop_front();
        if (m_faults)
            MaybeNoise(m_random, out);
        const std::vector<std::uint8_t> frame = NuvaReplyFrame(kMaster, kSlave, data);
        // A nine-bit sensor sends its reply with space parity; now and then a ninth bit goes wrong.
        // The link clears the line's errors after the first byte and looks at them after the
        // length byte (so the second and third byte count once together) and after each
        // further byte.
        parityErrorsPut = 0;
        bool headerError = false;
        for (std::size_t i = 0; i < frame.size(); ++i) {
            const bool wrong = m_faults && OnePercent(m_random);
            if (wrong && (i == 1 || i == 2))
                headerError = true;
            else if (wrong && i > 2)
                ++parityErrorsPut;
            out.deliver({frame[i]}, SimulatedLine::Framing{wrong, 0});
        }
        parityErrorsPut += headerError ? 1 : 0;
        if (m_faults)
            MaybeNoise(m_random, out);
    }
    std::deque<std::vector<std::uint8_t>> sent; // data of the latest replies, the newest last
    int parityErrorsPut = 0;                    // the errors the last reply's parity should count

private:
    std::mt19937& m_random;
    bool m_faults;
    std::vector<std::uint8_t> m_frame;
    std::uint64_t m_count = 0;
};

struct NuvaSoak {
    std::mt19937 random;
    FakeClock clock;
    SimulatedLine line{&clock};
    CountingNuvaSensor sensor;
    // Set by the line's fault hook: some byte of the current exchange was dropped, flipped,
    // doubled or delayed.
    bool byteFault = false;
    NuvaSoak(std::uint32_t seed, bool faults) : random(seed), sensor(random, faults) {
        line.attach(&sensor);
        line.setPurgeKeepsBytesOnTheirWay(true); // as a real port: what is still on the wire comes in
        line.setTimeouts(kNuvaTimeouts);
        line.applySettings({57600, 8, Parity::Mark, StopBits::One, RtsControl::Disable});
        if (faults)
            line.setIncomingFate([this](std::size_t, std::uint8_t) {
                SimulatedLine::ByteFate fate = FaultyByte(random, 1200, 3000);
                byteFault = byteFault || fate.drop || fate.xorMask || fate.duplicate || fate.delayMs;
                return fate;
            });
    }
    NuvaReply exchange(std::uint8_t command, bool eightBit) {
        byteFault = false;
        NuvaLinkOptions options{kSlave, kMaster, eightBit};
        const NuvaRequest request = command == 'U'   ? NuvaReadSwitchPointsRequest()
                                    : command == '6' ? NuvaReadLimitsRequest()
                                                     : NuvaMeasureRequest(false);
        NuvaReply r = NuvaExchange(line, false, clock, options, request.command, request.data, false);
        line.clearWritten(); // the log would grow without end
        return r;
    }
};

void BM_NuvaLineFaultSoak(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    const bool eightBit = state.range(1) != 0;
    SoakTally tally;
    std::int64_t parityFailed = 0, miscounted = 0;
    for (auto _ : state) {
        NuvaSoak soak(20261206, true);
        tally.start();
        for (int i = 0; i < 10000 * scale; ++i) {
            const std::uint8_t command = i % 10 == 8 ? 'U' : i % 10 == 9 ? '6' : 'C';
            const NuvaReply r = soak.exchange(command, eightBit);
            const auto& sent = soak.sensor.sent;
            // A reply that came whole and unharmed: its error count is its parity errors.
            if (!soak.byteFault && r.received == NuvaReplyFrame(kMaster, kSlave, sent.back())) {
                const int expected = eightBit ? 0 : soak.sensor.parityErrorsPut;
                miscounted += r.errors != expected ? 1 : 0;
                parityFailed += expected > 0 ? 1 : 0;
            }
            if (!r.ok())
                tally.add(SoakOutcome::Failed);
            else if (r.data == sent.back())
                tally.add(SoakOutcome::Good);
            else if (std::find(sent.begin(), sent.end() - 1, r.data) != sent.end() - 1)
                tally.add(SoakOutcome::Stale);
            else
                tally.add(SoakOutcome::Unseen);
        }
        tally.stop(soak.clock.nowMs());
    }
    tally.report(state, "checksum_blind_accepts");
    state.counters["failed_by_parity"] = static_cast<double>(parityFailed);
    state.counters["parity_miscounted"] = static_cast<double>(miscounted);
}
BENCHMARK(BM_NuvaLineFaultSoak)
    ->Args({1, 0})
    ->Args({1, 1})
    ->ArgNames({"x10000", "eight_bit"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
