// Software cost of the NUVA link, without the line's own time: one "U" exchange (read all switch
// points) over the simulated line with a fake clock, against the time the same bytes take on the
// wire at the sensors' 57600 baud (11 bits per byte: start, 8 data, parity, stop).
#include "NuvaCommands.h"
#include "Qs40_nuva_speziell.h"
#include "SimNuvaSensor.h"
#include "SimulatedLine.h"

#include <benchmark/benchmark.h>

namespace {

constexpr double kBaud = 57600;
constexpr double kBitsPerByte = 11;

struct Bench {
    FakeClock clock;
    SimulatedLine line{&clock};
    SimNuvaSensor sensor{12, 222, &clock};
    Bench() {
        line.setTimeouts({100, 5, 50, 5, 200});
        line.applySettings({57600, 8, Parity::Mark, StopBits::One, RtsControl::Disable});
        line.attach(&sensor);
    }
    NuvaReply exchange(std::uint8_t command) {
        NuvaReply r = NuvaExchange(line, line.echo(), clock, {}, command, {}, false);
        // The logs would grow without end.
        sensor.clearFrames();
        line.clearWritten();
        return r;
    }
};

void BM_NuvaReadSwitchPoints(benchmark::State& state) {
    Bench b;
    b.line.setEcho(state.range(0) != 0);
    std::size_t onWire = 0;
    for (auto _ : state) {
        const NuvaReply r = b.exchange('U');
        if (!r.ok())
            state.SkipWithError("exchange failed");
        onWire = 5 + r.received.size();
        benchmark::DoNotOptimize(NuvaDecodeSwitchPoints(r.data));
    }
    state.counters["wire_us"] = double(onWire) * kBitsPerByte / kBaud * 1e6;
}
BENCHMARK(BM_NuvaReadSwitchPoints)->Arg(0)->Arg(1)->ArgName("echo");

} // namespace

BENCHMARK_MAIN();
