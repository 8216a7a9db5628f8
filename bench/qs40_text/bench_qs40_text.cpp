// Software cost of the QS40 text protocol over the simulated line with a fake clock (no line
// time, no time-outs waited for real): one Qs40ReadSwitchPoints, and a full firmware download of
// a 256 KiB image. Each reports the bytes that crossed the line and the time they would take on
// the wire ("wire_ms": 10 bits per byte at the line's rate, one after the other, as the protocol
// waits for every answer), which is what a real exchange costs on top.
#include "Qs40Loader.h"
#include "SRecordText.h"
#include "SimQs40TextSensor.h"
#include "SimulatedLine.h"

#include <benchmark/benchmark.h>

namespace {

// A simulated line that counts the bytes read from it.
class CountingLine : public SimulatedLine {
public:
    using SimulatedLine::SimulatedLine;
    std::size_t read(std::uint8_t* buf, std::size_t max) override {
        const std::size_t n = SimulatedLine::read(buf, max);
        received += n;
        return n;
    }
    std::size_t received = 0;
};

class OneLine : public DeviceProvider {
public:
    OneLine(Clock& clock, SimPeer& peer) : m_clock(clock), m_peer(peer) {}
    OpenResult open(int) override {
        auto line = std::make_unique<CountingLine>(&m_clock);
        line->attach(&m_peer);
        this->line = line.get();
        return {std::move(line), OpenError::None, {}};
    }
    std::string describe(int) const override { return "bench"; }
    CountingLine* line = nullptr;

private:
    Clock& m_clock;
    SimPeer& m_peer;
};

struct Bench {
    static constexpr int kCom = 3;
    FakeClock clock;
    SimQs40TextSensor sensor{&clock, 4};
    OneLine provider{clock, sensor};
    Schnittstelle ports{provider, clock};
    std::array<std::uint8_t, 256> typePort{};
    Qs40ParameterSet params;
    Qs40Context ctx{ports, typePort, params};
    Bench() {
        ports.OpenAndIdentify(kCom, 38400, 0, 2, 8, 100);
        typePort[kQs40SensorType] = kCom;
    }
    // Bytes both ways since the last call; the logs would grow without end.
    std::size_t takeBytes() {
        const std::size_t n = provider.line->written().size() + provider.line->received;
        provider.line->clearWritten();
        provider.line->received = 0;
        sensor.clearFrames();
        return n;
    }
};

void BM_ReadSwitchPoints(benchmark::State& state) {
    Bench b;
    b.takeBytes();
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (!Qs40ReadSwitchPoints(b.ctx, kQs40SensorType))
            state.SkipWithError("read failed");
        bytes = b.takeBytes();
    }
    state.counters["line_bytes"] = double(bytes);
    state.counters["wire_ms"] = double(bytes) * 10 * 1000 / 38400;
}
BENCHMARK(BM_ReadSwitchPoints)->Unit(benchmark::kMicrosecond);

std::string image256K() {
    return SRecordFile({{0xC0000, PatternBytes(256 * 1024)}});
}

void BM_ReadSRecordImage256K(benchmark::State& state) {
    const std::string file = image256K();
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadSRecordImage(bytes).pages.data());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(BM_ReadSRecordImage256K)->Unit(benchmark::kMillisecond);

void BM_DownloadImage256K(benchmark::State& state) {
    const std::string file = image256K();
    const SRecordImage image =
        ReadSRecordImage(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    Bench b;
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.sensor.leaveLoader();
        b.takeBytes();
        state.ResumeTiming();
        if (Qs40DownloadImage(b.ctx, kQs40SensorType, image) != Qs40DownloadResult::Done)
            state.SkipWithError("download failed");
        state.PauseTiming();
        bytes = b.takeBytes();
        state.ResumeTiming();
    }
    // All but the few bytes of the entry request go at the loader's rate.
    state.counters["line_bytes"] = double(bytes);
    state.counters["wire_ms"] = double(bytes) * 10 * 1000 / 57600;
}
BENCHMARK(BM_DownloadImage256K)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
