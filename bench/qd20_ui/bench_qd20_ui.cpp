// One tick of the ZYL24 window's distance poll, end to end: the 'A' exchange over the simulated
// line, decoding, the store into the sample ring, the texts and lamps, and the plot's redraw of
// its data area rendered offscreen. The poll runs every 40 ms; a tick must stay far below that.
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

void BM_DistancePollTick(benchmark::State& state) {
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    FakeClock clock;
    BusOnCom1 provider(clock);
    Schnittstelle ports(provider, clock);
    ScriptedPrompts prompts;
    AppState app(ports, prompts, clock);
    TCOMPortDialog portDialog(app);
    portDialog.setAutoAnswer(QDialog::Accepted);
    app.portDialog = &portDialog;
    app.SensorType = 1;

    TQD20_Form window(app);
    window.setPortNumber(1);
    window.show();
    window.Slave_Adr->setCurrentText(QStringLiteral("5"));
    window.ManuellMenuClick();
    if (!window.Connected) {
        state.SkipWithError("no connection to the simulated sensor");
        return;
    }
    window.StartButtonClick();
    QImage image(window.Grafik->size(), QImage::Format_ARGB32_Premultiplied);
    const QRegion area(window.Grafik->plotRect());
    for (auto _ : state) {
        window.RohDataTimerTimer();
        window.Grafik->render(&image, QPoint(), area, QWidget::RenderFlags());
        benchmark::ClobberMemory();
    }
    window.StartButtonClick();
    app.SensorType = 1; // keep the close from asking anything
    window.SettingsStored = true;
    window.close();
}
BENCHMARK(BM_DistancePollTick)->Unit(benchmark::kMicrosecond);

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
