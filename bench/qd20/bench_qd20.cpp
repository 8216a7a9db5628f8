// Software cost of the ZYL24 exchange, without the line's own time: one 'A' exchange over
// the simulated line with a fake clock (target: below 20 us), and frame building and reply
// checking on their own.
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "Qd20ParameterBlock.h"
#include "SimZyl24Bus.h"
#include "SimulatedLine.h"

#include <benchmark/benchmark.h>

namespace {

// A 220 mm sensor at address 5 on a simulated line with the measuring time-outs.
struct Bench {
    FakeClock clock;
    SimulatedLine line{&clock};
    SimZyl24Bus bus{&clock};
    LineHistory history;
    Bench() {
        bus.addSensor(5, '0');
        line.attach(&bus);
        line.setTimeouts({4, 2, 2000, 0, 0});
    }
    Qd20Result exchange(const Qd20Request& request) {
        Qd20Result r = Qd20Transact(line, line.echo(), clock, history, request);
        // The logs would grow without end.
        bus.clearFrames();
        line.clearWritten();
        return r;
    }
};

void BM_MeasurementExchange(benchmark::State& state) {
    Bench b;
    b.line.setEcho(state.range(0) != 0);
    const Qd20Request request = PlainRequest(5, 'A');
    for (auto _ : state) {
        const Qd20Result r = b.exchange(request);
        if (!r.dataOk)
            state.SkipWithError("exchange failed");
        benchmark::DoNotOptimize(r.data.data());
    }
}
BENCHMARK(BM_MeasurementExchange)->Arg(0)->Arg(1)->ArgName("echo");

void BM_ParameterReadExchange(benchmark::State& state) {
    Bench b;
    const Qd20Request request = PlainRequest(5, '?');
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeParameterBlock(b.exchange(request).data));
}
BENCHMARK(BM_ParameterReadExchange);

void BM_BuildFrame(benchmark::State& state) {
    Qd20Request request = PlainRequest(5, '1');
    request.data = {0x3F, 0x3D, 0x03, 0x1F, 0x3F};
    for (auto _ : state) {
        request.address = static_cast<std::uint8_t>((request.address % 127) + 1);
        benchmark::DoNotOptimize(BuildFrame(request));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildFrame);

void BM_ReplyCheck(benchmark::State& state) {
    // The check over a parameter-block reply, as the exchange runs it per byte.
    const auto block = EncodeParameterBlock(Qd20ParameterBlock{});
    const std::vector<std::uint8_t> frame = BuildReplyFrame(5, 'Y', block);
    for (auto _ : state) {
        const std::uint8_t check = Qd20CheckValue(std::span(frame).first(frame.size() - 1));
        benchmark::DoNotOptimize(check == frame.back());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(frame.size()));
}
BENCHMARK(BM_ReplyCheck);

} // namespace

BENCHMARK_MAIN();
