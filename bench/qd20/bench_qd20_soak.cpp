// Line-fault soak of the ZYL24 exchange: 10 000 'A' and 1 000 '?' exchanges (times the
// argument) over a simulated line on which 1 % of the bytes from the sensor are dropped, have one
// bit flipped, come twice or come after the time-out, with stray bytes before and after replies.
// The sensor gives every reply its own value, so an accepted reply can be told apart: the one
// for this request, a late one for an earlier request (must never happen), or a corrupted one
// that still passes the 7-bit XOR check (what the check cannot see).
//
// Counters: good, failed, recovered (a failed exchange whose next exchange was good again),
// stale_accepts, xor_blind_accepts and their rate per exchange, line_ms (simulated line time) and
// software time per exchange (the benchmark's own time divided by the exchanges).
//
// A second pair of benchmarks prices the way late replies are kept out: on a good line it adds
// no line time; after a failed exchange the next request to the same sensor waits until the line
// has been quiet for one more time-out, or until the late reply has come and gone.
#include "LineFaults.h"
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "Qd20Measurement.h"
#include "Qd20ParameterBlock.h"
#include "SimulatedLine.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <random>

namespace {

constexpr std::uint8_t kAddress = 5;
constexpr Timeouts kMeasuring{4, 2, 2000, 0, 0};

// A sensor whose every reply carries a value of its own (a counter), with stray bytes around
// some of its replies.
class CountingSensor : public SimPeer {
public:
    CountingSensor(std::mt19937& random, bool noisy) : m_random(random), m_noisy(noisy) {}
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t byte, const LineSettings&, SimulatedLine& out) override {
        if (byte & 0x80)
            m_frame.clear();
        m_frame.push_back(byte);
        if (m_frame.size() < 2 || m_frame.size() != m_frame[1])
            return;
        const char command = static_cast<char>(m_frame[2]);
        m_frame.clear();
        std::vector<std::uint8_t> data;
        ++m_count;
        if (command == 'A') {
            const Qd20Measurement m{static_cast<std::uint16_t>(m_count % 4096), true, (m_count & 1) != 0};
            const auto bytes = EncodeMeasurement(m);
            data.assign(bytes.begin(), bytes.end());
        } else {
            Qd20ParameterBlock b;
            b.q1Function = 0;
            b.q2Function = 0;
            b.averaging = 0;
            b.analogPoint1Raw = static_cast<int>(m_count % 4096);
            b.analogPoint2Raw = static_cast<int>((m_count / 4096) % 4096);
            b.q1SecondRaw = static_cast<int>((m_count * 7) % 4096);
            const auto bytes = EncodeParameterBlock(b);
            data.assign(bytes.begin(), bytes.end());
        }
        sent.push_back(data);
        if (sent.size() > 8)
            sent.pop_front();
        if (m_noisy)
            MaybeNoise(m_random, out);
        out.deliver(BuildReplyFrame(kAddress, 'Y', data));
        if (m_noisy)
            MaybeNoise(m_random, out);
    }
    // The data of the latest replies, the newest last.
    std::deque<std::vector<std::uint8_t>> sent;

private:
    std::mt19937& m_random;
    bool m_noisy;
    std::vector<std::uint8_t> m_frame;
    std::uint64_t m_count = 0;
};

// The counting sensor on a simulated line with the measuring time-outs.
struct SoakLine {
    std::mt19937 random;
    FakeClock clock;
    SimulatedLine line{&clock};
    CountingSensor sensor;
    LineHistory history;
    SoakLine(std::uint32_t seed, bool noisy) : random(seed), sensor(random, noisy) {
        line.attach(&sensor);
        line.setTimeouts(kMeasuring);
        line.setPurgeKeepsBytesOnTheirWay(true);
    }
    Qd20Result exchange(char command) {
        Qd20Result r = Qd20Transact(line, false, clock, history, PlainRequest(kAddress, command));
        line.clearWritten(); // the log would grow without end
        return r;
    }
};

bool sameDecoded(char command, const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (command == 'A') {
        const auto x = DecodeMeasurement(a);
        const auto y = DecodeMeasurement(b);
        return x && y && x->value == y->value && x->goodTarget == y->goodTarget && x->q1On == y->q1On;
    }
    return DecodeParameterBlock(a) == DecodeParameterBlock(b);
}

void BM_LineFaultSoak(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    SoakTally tally;
    for (auto _ : state) {
        SoakLine soak(20261206, true);
        soak.line.setIncomingFate(
            [&soak](std::size_t, std::uint8_t) { return FaultyByte(soak.random, 2100, 4000); });
        tally.start();
        for (int i = 0; i < 11000 * scale; ++i) {
            const char command = i % 11 == 10 ? '?' : 'A';
            const Qd20Result r = soak.exchange(command);
            const auto& sent = soak.sensor.sent;
            if (!r.dataOk)
                tally.add(SoakOutcome::Failed);
            else if (sameDecoded(command, r.data, sent.back()))
                tally.add(SoakOutcome::Good);
            else if (std::any_of(sent.begin(), sent.end() - 1,
                                 [&](const auto& earlier) { return sameDecoded(command, r.data, earlier); }))
                tally.add(SoakOutcome::Stale);
            else
                tally.add(SoakOutcome::Unseen);
        }
        tally.stop(soak.clock.nowMs());
    }
    tally.report(state, "xor_blind_accepts");
}
BENCHMARK(BM_LineFaultSoak)->Arg(1)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);

// A good exchange, as the window's 40 ms poll sends it: no added line time.
void BM_LateReplyGuardOnGoodExchange(benchmark::State& state) {
    SoakLine soak(1, false);
    std::uint64_t lineMs = 0;
    std::int64_t n = 0;
    for (auto _ : state) {
        const std::uint64_t before = soak.clock.nowMs();
        const Qd20Result r = soak.exchange('A');
        lineMs += soak.clock.nowMs() - before;
        ++n;
        if (!r.dataOk)
            state.SkipWithError("exchange failed");
    }
    state.counters["line_ms_per_exchange"] = static_cast<double>(lineMs) / static_cast<double>(n);
}
BENCHMARK(BM_LateReplyGuardOnGoodExchange);

// The exchange after a failed one (the sensor stayed silent): the wait for a late reply that
// does not come, on top of the failed exchange's own time-out. With the argument 1 the late
// reply does come, 600 ms after the time-out, and ends the wait.
void BM_LateReplyGuardAfterFailedExchange(benchmark::State& state) {
    const bool lateReplyComes = state.range(0) != 0;
    SoakLine soak(1, false);
    std::uint64_t failedMs = 0, nextMs = 0;
    std::int64_t n = 0;
    for (auto _ : state) {
        // Silent, or answering 2.6 s late.
        if (!lateReplyComes)
            soak.line.detach(&soak.sensor);
        soak.line.delayIncoming(2600);
        std::uint64_t t = soak.clock.nowMs();
        benchmark::DoNotOptimize(soak.exchange('A'));
        failedMs += soak.clock.nowMs() - t;
        soak.line.attach(&soak.sensor);
        soak.line.delayIncoming(0);
        t = soak.clock.nowMs();
        const Qd20Result r = soak.exchange('A');
        nextMs += soak.clock.nowMs() - t;
        ++n;
        if (!r.dataOk)
            state.SkipWithError("the exchange after the failed one failed");
    }
    state.counters["failed_exchange_line_ms"] = static_cast<double>(failedMs) / static_cast<double>(n);
    state.counters["next_exchange_line_ms"] = static_cast<double>(nextMs) / static_cast<double>(n);
}
BENCHMARK(BM_LateReplyGuardAfterFailedExchange)->Arg(0)->Arg(1)->ArgName("late_reply");

} // namespace

BENCHMARK_MAIN();
