// zylgallery: every display component with sample data, for looking at them (and at the artwork)
// at any scale factor. Not part of the shipped program.
#include "Artwork.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr int kSamples = 400;

QGroupBox* box(const QString& title, QWidget* parent) {
    return new QGroupBox(title, parent);
}

// A switch-point editor placed at a fixed spot in a plain container, so its fields (siblings in
// the container) have room on both sides of the scale.
TCSchaltpunkt* editor(QWidget* container, int y, const QString& caption) {
    auto* label = new QLabel(caption, container);
    label->move(8, y + 2);
    auto* sp = new TCSchaltpunkt(container);
    sp->setGeometry(150, y, 300, 20);
    sp->SetMarginleftValue(12);
    sp->SetMarginrightValue(12);
    sp->SetStartValue(80.0f);
    sp->SetStoppValue(300.0f);
    sp->SetStepValue(0.1f);
    sp->SetDigits(1);
    return sp;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("ZYLConfig components"));
    auto* grid = new QGridLayout(&window);

    // Plot: 400 moving samples of a wandering target, six levels as the distance window sets them.
    auto* plotBox = box(QStringLiteral("TCGraphic"), &window);
    auto* plotLayout = new QVBoxLayout(plotBox);
    auto* plot = new TCGraphic(plotBox);
    plot->setMinimumSize(600, 300);
    plot->SetColor(Qt::white);
    plot->SetPen(QPen(Qt::red, 1));
    plot->SetDatentyp(TDataKind::Short);
    plot->SetYmin(0);
    plot->SetYmax(4096);
    plot->SetMaxZoom(100);
    plot->SetAnzahl(kSamples);
    TLevel& levels = plot->Schaltpunkt();
    levels.SetLAnz(6);
    levels.SetL1kleinerL2(true);
    levels.SetL3kleinerL4(true);
    const char* cursors[] = {"CRQ12", "CRQ11", "CRQ22", "CRQ21", "CRQA20", "CRQA4"};
    const float values[] = {1200, 1800, 2400, 2700, 3500, 600};
    for (int k = 1; k <= 6; ++k) {
        levels.SetcrL(k, Artwork::cursor(QString::fromLatin1(cursors[k - 1])));
        levels.SetL(k, values[k - 1]);
    }
    plot->SetDrawLevel(true);
    plotLayout->addWidget(plot);
    grid->addWidget(plotBox, 0, 0, 1, 2);

    static std::array<std::int16_t, kSamples + 1> ring{};
    static int writeIndex = 0;
    static double phase = 0.0;
    static std::mt19937 noise(7);
    auto addSample = [plot] {
        phase += 0.045;
        std::normal_distribution<double> jitter(0.0, 25.0);
        const double v = 2048 + 1100 * std::sin(phase) + 350 * std::sin(phase * 3.7) + jitter(noise);
        ring[writeIndex] = static_cast<std::int16_t>(std::clamp(v, 0.0, 4095.0));
        writeIndex = (writeIndex + 1) % (kSamples + 1);
        plot->DataStart = ring.data();
        plot->DataOldest = ring.data() + writeIndex;
        plot->NewDraw();
    };
    for (int i = 0; i <= kSamples; ++i)
        addSample();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, plot, addSample);
    timer.start(40);

    // Switch-point editors: Q1 as a switching window, the analog output as a ramp.
    auto* spBox = box(QStringLiteral("TCSchaltpunkt"), &window);
    spBox->setMinimumSize(540, 150);
    auto* q1 = editor(spBox, 30, QStringLiteral("Q1 window"));
    q1->SetWindow(true);
    q1->SetPos1Value(120.0f);
    q1->SetPos2Value(210.5f);
    auto* q2 = editor(spBox, 70, QStringLiteral("Q2 point"));
    q2->SetNormOpen(false);
    q2->SetPos1Value(160.0f);
    auto* qa = editor(spBox, 110, QStringLiteral("QA analog"));
    qa->SetIsAnalog(true);
    qa->SetPos1Value(100.0f);
    qa->SetPos2Value(280.0f);
    grid->addWidget(spBox, 1, 0);

    // Sliders with the distance window's captions.
    auto* slideBox = box(QStringLiteral("TCSlide"), &window);
    auto* slideLayout = new QGridLayout(slideBox);
    auto* os = new TCSlide(slideBox);
    os->SetStepValue(2);
    os->SetBeschriftung({QStringLiteral("Öffner"), QStringLiteral("Schliesser")});
    os->SetPosValue(1);
    auto* bw = new TCSlide(slideBox);
    bw->SetStepValue(3);
    bw->SetBeschriftung({QStringLiteral("40 ms"), QStringLiteral("4 ms"), QStringLiteral("0.4 ms")});
    auto* fkt = new TCSlide(slideBox);
    fkt->SetStepValue(10);
    fkt->SetBeschriftung({QStringLiteral("Schaltausgang"), QStringLiteral("Schaltfenster"),
                          QStringLiteral("trigger"), QStringLiteral("enable"), QStringLiteral("MaxDist-Hold"),
                          QStringLiteral("MinDist-Hold"), QStringLiteral("Diff-Hold"),
                          QStringLiteral("schnelle Messung"), QStringLiteral("Autocenter"),
                          QStringLiteral("Autozero")});
    fkt->SetPosValue(1);
    for (TCSlide* s : {os, bw, fkt}) {
        QFont bold = s->font();
        bold.setBold(true);
        s->SetFselected(bold);
    }
    slideLayout->addWidget(os, 0, 0, Qt::AlignTop);
    slideLayout->addWidget(bw, 1, 0, Qt::AlignTop);
    slideLayout->addWidget(fkt, 0, 1, 2, 1, Qt::AlignTop);
    grid->addWidget(slideBox, 1, 1);

    // Every named bitmap once.
    auto* artBox = box(QStringLiteral("Artwork"), &window);
    auto* artLayout = new QGridLayout(artBox);
    const char* names[] = {"MARKER", "ZOOM_IN_Y", "ZOOM_OUT_Y", "ZOOM_IN_X", "ZOOM_OUT_X", "ALL",
                           "SAVE",   "PFEIL_UP",  "PFEIL_DOWN", "TOP",       "MIDDLE",     "BOTTOM",
                           "POS",    "GO",        "STOP",       "TOZYL",     "FROMZYL",    "LED0",
                           "LED1",   "LED2",      "LED3",       "LED4",      "LED5",       "LED6",
                           "LED7",   "QEL",       "QELBILD",    "QELBILD1",  "QELSENSING"};
    int column = 0;
    int row = 0;
    for (const char* name : names) {
        auto* picture = new QLabel(artBox);
        picture->setPixmap(Artwork::bitmap(QString::fromLatin1(name)));
        picture->setToolTip(QString::fromLatin1(name));
        artLayout->addWidget(picture, row, column++, Qt::AlignCenter);
        if (column == 15) {
            column = 0;
            ++row;
        }
    }
    column = 0;
    ++row;
    for (const char* name : {"ZOOMINX", "ZOOMINY", "ZOOMOUTX", "ZOOMOUTY", "CRQ12", "CRQ11", "CRQ22", "CRQ21",
                             "CRQA20", "CRQA4"}) {
        auto* picture = new QLabel(artBox);
        const QCursor cursor = Artwork::cursor(QString::fromLatin1(name));
        picture->setPixmap(cursor.pixmap());
        picture->setCursor(cursor);
        picture->setToolTip(QString::fromLatin1(name));
        artLayout->addWidget(picture, row, column++, Qt::AlignCenter);
    }
    grid->addWidget(artBox, 2, 0, 1, 2);

    window.show();
    return app.exec();
}
