// The ZYL24 window's distance poll.
// BM_DistancePollTick: one tick end to end: the 'A' exchange over the simulated line, decoding,
// the store into the sample ring, the texts and lamps, and the plot's redraw of its data area
// rendered offscreen. The poll runs every 40 ms; a tick must stay far below that.
// BM_PollingCpuShare: the shown window polling on its own 40 ms timer for one second per
// iteration, with everything Qt does for it (layout, repaint, backing store); the counter
// cpu_percent is the processor time used per second of polling, in percent of one core. Run it
// with QT_QPA_PLATFORM=xcb under a X server to include the display server's side of painting.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Clock.h"
#include "DeviceProvider.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SimZyl24Bus.h"
#include "SimulatedLine.h"
#include "TCGraphic.h"
#include "TCOMPortDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <cstdlib>
#include <memory>

namespace {

class BusOnCom1 : public DeviceProvider {
public:
    explicit BusOnCom1(Clock& clock) : m_clock(clock), bus(&clock) { bus.addSensor(5, '0'); }
    OpenResult open(int com) override {
        if (com != 1)
            return {nullptr, OpenError::Absent, "only COM1"};
        auto line = std::make_unique<SimulatedLine>(&m_clock);
        bus.lineReset();
        line->attach(&bus);
        return {std::move(line), OpenError::None, {}};
    }
    std::string describe(int) const override { return "bus"; }

private:
    Clock& m_clock;

public:
    SimZyl24Bus bus;
};

// Real time, so that the simulated target moves while the window polls; pauses only move the
// clock on instead of sleeping, so they cost no time.
class MovingClock : public Clock {
public:
    void sleepMs(std::uint32_t ms) override { m_slept += ms; }
    std::uint64_t nowMs() const override { return static_cast<std::uint64_t>(m_started.elapsed()) + m_slept; }

private:
    QElapsedTimer m_started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    std::uint64_t m_slept = 0;
};

// A ZYL24 window connected to the simulated sensor at address 5 on COM1.
struct PollingWindow {
    PollingWindow() : provider(clock), ports(provider, clock), app(ports, prompts, clock), portDialog(app) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        portDialog.setAutoAnswer(QDialog::Accepted);
        app.portDialog = &portDialog;
        app.SensorType = 1;
        window = std::make_unique<TQD20_Form>(app);
        window->setPortNumber(1);
        window->show();
        window->Slave_Adr->setCurrentText(QStringLiteral("5"));
        window->ManuellMenuClick();
    }
    // Starts the distance poll; false (and the benchmark skipped) without a connection.
    bool startPolling(benchmark::State& state) {
        if (!window->Connected) {
            state.SkipWithError("no connection to the simulated sensor");
            return false;
        }
        window->StartButtonClick();
        return true;
    }
    ~PollingWindow() {
        app.SensorType = 1; // keep the close from asking anything
        window->SettingsStored = true;
        window->close();
    }

    QTemporaryDir settingsDir;
    MovingClock clock;
    BusOnCom1 provider;
    Schnittstelle ports;
    ScriptedPrompts prompts;
    AppState app;
    TCOMPortDialog portDialog;
    std::unique_ptr<TQD20_Form> window;
};

void BM_DistancePollTick(benchmark::State& state) {
    PollingWindow w;
    TQD20_Form& window = *w.window;
    if (!w.startPolling(state))
        return;
    QImage image(window.Grafik->size(), QImage::Format_ARGB32_Premultiplied);
    const QRegion area(window.Grafik->plotRect());
    for (auto _ : state) {
        window.RohDataTimerTimer();
        window.Grafik->render(&image, QPoint(), area, QWidget::RenderFlags());
        benchmark::ClobberMemory();
    }
    window.StartButtonClick();
}
BENCHMARK(BM_DistancePollTick)->Unit(benchmark::kMicrosecond);

double processCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void BM_PollingCpuShare(benchmark::State& state) {
    PollingWindow w;
    TQD20_Form& window = *w.window;
    if (!w.startPolling(state))
        return;
    // Let the first layouts and paints of the freshly shown window pass before measuring.
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();

    double cpuMs = 0;
    double wallMs = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        wall.start();
        const double before = processCpuMs();
        loop.exec();
        const double used = processCpuMs() - before;
        const auto elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e6;
        state.SetIterationTime(elapsed / 1000.0);
        cpuMs += used;
        wallMs += elapsed;
    }
    window.StartButtonClick();
    state.counters["cpu_percent"] = wallMs > 0 ? 100.0 * cpuMs / wallMs : 0.0;
}
BENCHMARK(BM_PollingCpuShare)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
