// Line-fault soak of the QS40 text protocol: 10 000 operations (times the argument), of them 8 in
// 10 Qs40ReadMeasurement ("INM1", "ESM"), 1 Qs40ReadSwitchPoints (eight requests) and 1
// Qs40ReadLimits (four), over a simulated line on which 1 % of the sensor's bytes are dropped,
// have one bit flipped, come twice or come after the time-out, with stray bytes between frames.
//
// Every reply carries a number of its own (a counter), so the values an operation took can be
// told apart: those of its own replies (good), those of a reply to an earlier request (stale:
// must never happen), the value the set held before when a fixed-digit reply came shorter than
// four digits (which still counts as answered, as the protocol has it), and any other value (a damaged reply
// that the protocol, which has no check of its own, cannot see).
#include "LineFaults.h"
#include "Qs40_speziell.h"
#include "SimTextFrame.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <stdexcept>

namespace {

constexpr int kCom = 3;

// A QS40 of the new generation whose every reply carries a counter.
class CountingQs40 : public SimPeer {
public:
    CountingQs40(std::mt19937& random, bool& faults) : m_random(random), m_faults(faults) {}
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t byte, const LineSettings&, SimulatedLine& out) override {
        if (!m_frame.feed(byte))
            return;
        const std::string& t = m_frame.text();
        char reply[64];
        ++m_count;
        std::vector<std::int32_t> values;
        if (t == "GVE") {
            std::snprintf(reply, sizeof reply, "QS40MNTB $Revision: 4.2 $\r\n");
        } else if (t == "INM1") {
            std::snprintf(reply, sizeof reply, "\x06");
        } else if (t == "ESM") {
            values = {spread(m_count, 1000000), spread(m_count + 1, 100000), std::int32_t(m_count % 16)};
            std::snprintf(reply, sizeof reply, "%d 0 %d 0 %d\r\n", values[0], values[1], values[2]);
        } else if (t.starts_with("GL")) {
            values = {spread(m_count, 10000)};
            std::snprintf(reply, sizeof reply, "%04d\r\n", values[0]);
        } else {
            values = {spread(m_count, 1000000)};
            std::snprintf(reply, sizeof reply, "%d\r\n", values[0]);
        }
        if (!values.empty()) {
            replies.push_back(values);
            if (replies.size() > 64)
                replies.pop_front();
        }
        if (m_faults)
            MaybeNoise(m_random, out);
        out.deliver(reinterpret_cast<const std::uint8_t*>(reply), std::strlen(reply));
        if (m_faults)
            MaybeNoise(m_random, out);
    }
    // The numbers of the latest value replies, the newest last.
    std::deque<std::vector<std::int32_t>> replies;

private:
    // Numbers of neighbouring replies lie far apart, so a damaged digit does not turn one reply's
    // number into that of a recent one.
    static std::int32_t spread(std::uint64_t count, std::uint32_t below) {
        return static_cast<std::int32_t>((count * 2654435761u) % below);
    }
    std::mt19937& m_random;
    bool& m_faults;
    SimTextFrame m_frame{16};
    std::uint64_t m_count = 0;
};

class OneLine : public DeviceProvider {
public:
    OneLine(Clock& clock, SimPeer& peer) : m_clock(clock), m_peer(peer) {}
    OpenResult open(int) override {
        auto line = std::make_unique<SimulatedLine>(&m_clock);
        line->attach(&m_peer);
        this->line = line.get();
        return {std::move(line), OpenError::None, {}};
    }
    std::string describe(int) const override { return "soak"; }
    SimulatedLine* line = nullptr;

private:
    Clock& m_clock;
    SimPeer& m_peer;
};

struct TextSoak {
    std::mt19937 random;
    bool faults = false;
    FakeClock clock;
    CountingQs40 sensor{random, faults};
    OneLine provider{clock, sensor};
    Schnittstelle ports{provider, clock};
    std::array<std::uint8_t, 256> typePort{};
    Qs40ParameterSet params;
    Qs40Context ctx{ports, typePort, params};

    explicit TextSoak(std::uint32_t seed) : random(seed) {
        if (ports.OpenAndIdentify(kCom, 38400, 0, 2, 8, 100) != kQs40SensorType)
            throw std::runtime_error("the sensor was not identified");
        typePort[kQs40SensorType] = kCom;
        faults = true;
        provider.line->setPurgeKeepsBytesOnTheirWay(
            true); // as a real port: what is still on the wire comes in
        provider.line->setIncomingFate(
            [this](std::size_t, std::uint8_t) { return FaultyByte(random, 300, 1000); });
    }

    // The operation's values, reply by reply, against the numbers of its own replies (the last
    // ones sent). `fixedDigits` marks the replies of four fixed digits, which a shorter reply
    // leaves as they were (a stale reply to the same point looks the same there).
    SoakOutcome judge(const std::vector<std::int32_t>& taken, const std::vector<std::int32_t>& before,
                      std::size_t replies, const std::vector<bool>& fixedDigits = {}) {
        const auto& all = sensor.replies;
        const auto own = all.end() - std::ptrdiff_t(replies);
        SoakOutcome verdict = SoakOutcome::Good;
        std::size_t at = 0;
        for (std::size_t r = 0; r < replies; ++r) {
            const std::vector<std::int32_t>& sent = own[std::ptrdiff_t(r)];
            const std::vector<std::int32_t> got(taken.begin() + std::ptrdiff_t(at),
                                                taken.begin() + std::ptrdiff_t(at + sent.size()));
            const std::vector<std::int32_t> held(before.begin() + std::ptrdiff_t(at),
                                                 before.begin() + std::ptrdiff_t(at + sent.size()));
            at += sent.size();
            if (got == sent)
                continue;
            if (r < fixedDigits.size() && fixedDigits[r] && got == held) {
                verdict = SoakOutcome::Counted;
                continue;
            }
            if (std::find(all.begin(), own, got) != own)
                return SoakOutcome::Stale;
            verdict = SoakOutcome::Unseen;
        }
        return verdict;
    }

    SoakOutcome operation(int kind) {
        provider.line->clearWritten(); // the log would grow without end
        const std::uint8_t type = kQs40SensorType;
        if (kind == 0) {
            const std::vector<std::int32_t> before{params.MeasDistance, params.MeasEnergy, params.MeasState};
            if (!Qs40ReadMeasurement(ctx, type))
                return SoakOutcome::Failed;
            return judge({params.MeasDistance, params.MeasEnergy, params.MeasState}, before, 1);
        }
        if (kind == 1) {
            std::vector<std::int32_t> before;
            for (int n = 1; n <= 4; ++n)
                before.insert(before.end(), {params.SwitchH[n], params.SwitchL[n]});
            if (!Qs40ReadSwitchPoints(ctx, type))
                return SoakOutcome::Failed;
            std::vector<std::int32_t> taken;
            for (int n = 1; n <= 4; ++n)
                taken.insert(taken.end(), {params.SwitchH[n], params.SwitchL[n]});
            return judge(taken, before, 8, {false, true, false, true, false, true, false, true});
        }
        const std::vector<std::int32_t> before{params.LimitEN, params.LimitEF, params.LimitDT,
                                               params.LimitND};
        if (!Qs40ReadLimits(ctx, type))
            return SoakOutcome::Failed;
        return judge({params.LimitEN, params.LimitEF, params.LimitDT, params.LimitND}, before, 4);
    }
};

void BM_Qs40TextLineFaultSoak(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    SoakTally tally;
    for (auto _ : state) {
        TextSoak soak(20261206);
        const std::uint64_t lineStart = soak.clock.nowMs();
        tally.start();
        for (int i = 0; i < 10000 * scale; ++i)
            tally.add(soak.operation(i % 10 < 8 ? 0 : i % 10 == 8 ? 1 : 2));
        tally.stop(soak.clock.nowMs() - lineStart);
    }
    tally.report(state, "unchecked_damage_accepts", "short_reply_kept");
}
BENCHMARK(BM_Qs40TextLineFaultSoak)->Arg(1)->ArgName("x10000")->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
