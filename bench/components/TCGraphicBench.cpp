// Cost of the plot's repaint after each new sample (NewDraw: plot area only) and of a full repaint,
// rendered offscreen through the widget's own paint path into a 600 x 300 image.
#include "TCGraphic.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct PlotFixture {
    explicit PlotFixture(int samples)
        : ring(std::size_t(samples) + 1), image(600, 300, QImage::Format_ARGB32_Premultiplied) {
        plot.resize(600, 300);
        plot.SetColor(Qt::white);
        plot.SetPen(QPen(Qt::red, 1));
        plot.SetDatentyp(TDataKind::Short);
        plot.SetYmax(4096);
        plot.SetMaxZoom(100);
        plot.SetAnzahl(samples);
        TLevel& levels = plot.Schaltpunkt();
        levels.SetLAnz(6);
        for (int k = 1; k <= 6; ++k)
            levels.SetL(k, 500.0f * k);
        plot.SetDrawLevel(true);
        for (std::size_t i = 0; i < ring.size(); ++i)
            ring[i] = sample(i);
        plot.DataStart = ring.data();
        plot.DataOldest = ring.data();
        image.fill(Qt::white);
    }
    static std::int16_t sample(std::size_t i) {
        return std::int16_t(2048 + 1500 * std::sin(double(i) * 0.05) + double((i * 7919) % 200));
    }
    // What the window does per sample: store it, move the oldest mark, redraw the plot area.
    void addSample() {
        ring[write] = sample(counter++);
        write = (write + 1) % ring.size();
        plot.DataOldest = ring.data() + write;
    }

    TCGraphic plot;
    std::vector<std::int16_t> ring;
    QImage image;
    std::size_t write = 0;
    std::size_t counter = 0;
};

void BM_NewDraw(benchmark::State& state) {
    PlotFixture f(int(state.range(0)));
    const QRegion area(QRect(QPoint(41, 31), QPoint(588, 294)));
    for (auto _ : state) {
        f.addSample();
        f.plot.render(&f.image, QPoint(), area, QWidget::RenderFlags());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_NewDraw)->Arg(400)->Arg(20000)->Unit(benchmark::kMicrosecond);

void BM_FullPaint(benchmark::State& state) {
    PlotFixture f(int(state.range(0)));
    for (auto _ : state) {
        f.addSample();
        f.plot.render(&f.image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullPaint)->Arg(400)->Arg(20000)->Unit(benchmark::kMicrosecond);

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
