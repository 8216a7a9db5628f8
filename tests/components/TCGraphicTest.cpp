#include "TCGraphic.h"
#include "GuiTestEnvironment.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace {

const QRgb kRed = qRgb(255, 0, 0);

// A 600 x 300 plot: plot area x 40..588, y 32..295 (263 rows).
struct TCGraphicTest : ::testing::Test {
    TCGraphicTest() {
        plot = std::make_unique<TCGraphic>();
        plot->resize(600, 300);
        plot->SetPen(QPen(Qt::red, 1));
        plot->SetColor(Qt::white);
        QObject::connect(plot.get(), &TCGraphic::OnChangeLevel, [this] { ++levelEvents; });
    }
    void send(QEvent::Type type, int x, int y) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(x, y), plot->mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
        QApplication::sendEvent(plot.get(), &e);
    }
    void press(int x, int y) { send(QEvent::MouseButtonPress, x, y); }
    void move(int x, int y) { send(QEvent::MouseMove, x, y); }
    void release(int x, int y) { send(QEvent::MouseButtonRelease, x, y); }
    // Row of a value with the full range 0..100 visible.
    static int row(double v) { return int(295 - v * 263 / 100.0); }
    QImage render() const {
        QImage img(plot->size(), QImage::Format_ARGB32);
        plot->render(&img);
        return img;
    }
    void view(int start, int end) const {
        EXPECT_EQ(plot->viewStart(), start);
        EXPECT_EQ(plot->viewEnd(), end);
    }
    void viewY(int min, int max) const {
        EXPECT_EQ(plot->viewYmin(), min);
        EXPECT_EQ(plot->viewYmax(), max);
    }
    // 400 samples zoomed in once around the middle: 94..294.
    void zoomedIn() {
        plot->SetAnzahl(400);
        plot->SetMaxZoom(100);
        plot->ClickZoomIn();
        press(300, 150);
    }
    TLevel& levels(int count) {
        plot->SetDrawLevel(true);
        plot->Schaltpunkt().SetLAnz(count);
        return plot->Schaltpunkt();
    }
    std::unique_ptr<TCGraphic> plot;
    int levelEvents = 0;
};

TEST(TLevelTest, OrderedPairsCarryThePartnerAndTheCountStopsAtSix) {
    TLevel levels;
    levels.SetLAnz(9);
    EXPECT_EQ(levels.LAnz(), 6);
    levels.SetL2(30);
    levels.SetL1(50); // no ordering yet
    EXPECT_FLOAT_EQ(levels.L2(), 30);
    levels.SetL1kleinerL2(true);
    levels.SetL5kleinerL6(true);
    levels.SetL1(60);
    EXPECT_FLOAT_EQ(levels.L2(), 60);
    levels.SetL2(10);
    EXPECT_FLOAT_EQ(levels.L1(), 10);
    levels.SetL6(-5);
    EXPECT_FLOAT_EQ(levels.L5(), -5);
    levels.SetL3(70); // unordered pair
    EXPECT_FLOAT_EQ(levels.L4(), 0);
}

TEST_F(TCGraphicTest, DraggingALevelKeepsTheOrderedPairAndReportsEveryMove) {
    TLevel& levels = this->levels(2);
    levels.SetL1kleinerL2(true);
    levels.SetL1(40);
    levels.SetL2(60);
    press(300, row(40));
    EXPECT_EQ(plot->selectedLevel(), 1);
    move(300, 100);
    EXPECT_NEAR(levels.L1(), 195 * 100 / 263.0, 1e-3);
    EXPECT_FLOAT_EQ(levels.L2(), levels.L1());
    move(300, 5); // above the plot: held at the top of the view
    EXPECT_FLOAT_EQ(levels.L1(), 100);
    EXPECT_GE(levels.L2(), levels.L1());
    release(300, 5);
    EXPECT_EQ(levelEvents, 2);
    levels.SetL1(40);
    levels.SetL2(60);
    press(300, row(60));
    EXPECT_EQ(plot->selectedLevel(), 2);
    move(300, 250);
    EXPECT_NEAR(levels.L2(), 45 * 100 / 263.0, 1e-3);
    EXPECT_FLOAT_EQ(levels.L1(), levels.L2());
    release(300, 250);
    move(300, 100); // released: hovering moves nothing
    EXPECT_NEAR(levels.L2(), 45 * 100 / 263.0, 1e-3);
    EXPECT_EQ(levelEvents, 3);
}

TEST_F(TCGraphicTest, LevelLinesAreDrawnInTheirColoursOnlyWhenInUse) {
    TLevel& levels = this->levels(3);
    for (int k = 1; k <= 6; ++k)
        levels.SetL(k, 10.0f * k);
    QImage img = render();
    EXPECT_EQ(img.pixel(300, row(10)), kRed);
    EXPECT_EQ(img.pixel(300, row(20)), kRed);
    EXPECT_EQ(img.pixel(300, row(30)), qRgb(0, 128, 0));
    EXPECT_EQ(img.pixel(300, row(40)), qRgb(255, 255, 255));
    levels.SetLAnz(6);
    levels.SetL6(150); // outside the view
    img = render();
    EXPECT_EQ(img.pixel(300, row(50)), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(45, row(40)), qRgb(0, 128, 0));
    plot->SetDrawLevel(false);
    EXPECT_EQ(render().pixel(300, row(10)), qRgb(255, 255, 255));
}

TEST_F(TCGraphicTest, ALevelAtTheTopOfTheViewLiesOnTheTopRowNotAboveIt) {
    // 63 rows for 6000 units: the scale 63/6000 taken first puts 6000 a hair above the top row.
    plot->resize(600, 100);
    plot->SetYmax(6000);
    levels(1).SetL1(6000);
    const QImage img = render();
    EXPECT_EQ(img.pixel(300, 32), kRed);
    EXPECT_EQ(img.pixel(300, 31), qRgb(255, 255, 255));
    press(300, 36); // within 5 rows of the line
    EXPECT_EQ(plot->selectedLevel(), 1);
}

TEST_F(TCGraphicTest, WithoutLevelsInUseNothingIsDrawnOrGrabbed) {
    levels(0).SetL1(50);
    const QImage img = render();
    for (int y = 33; y < 295; ++y)
        ASSERT_EQ(img.pixel(300, y), qRgb(255, 255, 255)) << y;
    press(300, row(50));
    move(300, 100);
    release(300, 100);
    EXPECT_EQ(plot->selectedLevel(), 0);
    EXPECT_FLOAT_EQ(plot->Schaltpunkt().L1(), 50);
    EXPECT_EQ(levelEvents, 0);
}

TEST_F(TCGraphicTest, TimeZoomInNeverShowsFewerThanMaxZoomSamples) {
    zoomedIn();
    EXPECT_EQ(plot->mouseMode(), TCGraphic::ZoomInX);
    view(94, 294);
    press(300, 150);
    view(141, 241);
    for (int x : {300, 591, 591, 591, 591, 0, 0, 0, 0, 0, 0}) {
        press(x, 150);
        EXPECT_EQ(plot->viewEnd() - plot->viewStart(), 100) << "at x " << x;
        EXPECT_GE(plot->viewStart(), 0);
        EXPECT_LE(plot->viewEnd(), 400);
    }
    view(0, 100);
}

TEST_F(TCGraphicTest, TimeZoomOutBeyondTheSeriesShowsEverything) {
    zoomedIn();
    press(300, 150); // 141..241
    plot->ClickZoomOut();
    press(500, 150);
    EXPECT_EQ(plot->viewEnd() - plot->viewStart(), 200);
    press(500, 150);
    view(0, 400);
}

TEST_F(TCGraphicTest, ValueZoomNearTheTopMayPassYmaxUntilFullscale) {
    plot->SetYmax(4096);
    plot->SetMaxZoom(100);
    plot->ClickZoomInY();
    press(300, 33);
    viewY(2947, 4995);
    plot->ClickZoomOutY();
    press(300, 150);
    viewY(0, 4096);
    plot->ClickZoomInY();
    press(300, 33);
    plot->ClickAll();
    viewY(0, 4096);
}

TEST_F(TCGraphicTest, PressNearALevelInAZoomModeGrabsTheLineAndZooms) {
    levels(1).SetL1(50);
    plot->ClickZoomIn();
    press(300, row(50) + 3);
    EXPECT_EQ(plot->selectedLevel(), 1);
    view(23, 73);
    move(300, 100);
    EXPECT_GT(plot->Schaltpunkt().L1(), 70);
    EXPECT_EQ(levelEvents, 1);
}

TEST_F(TCGraphicTest, ScrollThumbsDragTheViewAndStopAtTheEnds) {
    zoomedIn();     // 94..294, thumb from x 168 to 442
    press(150, 26); // beside the thumb: nothing
    move(250, 26);
    view(94, 294);
    press(300, 26);
    move(438, 26); // +138 px = +100.7 samples
    view(194, 394);
    move(599, 26);
    view(200, 400);
    release(599, 26);
    plot->SetMaxZoom(10);
    plot->ClickZoomInY(); // 0..100 -> 23..73, thumb rows 103..234
    press(300, 160);
    EXPECT_EQ(plot->viewYmin(), 23);
    press(595, 150);
    move(595, 97);
    viewY(43, 93);
    move(595, 0);
    viewY(50, 100);
}

TEST_F(TCGraphicTest, PagingKeepsTheWidthWithinTheSeries) {
    zoomedIn(); // 94..294
    const std::pair<void (TCGraphic::*)(), int> pages[] = {{&TCGraphic::ClickFFor, 200},
                                                           {&TCGraphic::ClickFRew, 0},
                                                           {&TCGraphic::ClickToEnd, 200},
                                                           {&TCGraphic::ClickToStart, 0}};
    for (auto [click, start] : pages) {
        (plot.get()->*click)();
        view(start, start + 200);
    }
    QTest::keyClick(plot.get(), Qt::Key_End);
    view(200, 400);
    plot->SetYmax(4096);
    for (int i = 0; i < 5; ++i)
        plot->ClickAutoY();
    viewY(1998, 2098);
    plot->ClickAutoY();
    EXPECT_EQ(plot->viewYmin(), 1998);
    plot->ClickFullY();
    EXPECT_EQ(plot->viewYmax(), 4096);
}

TEST_F(TCGraphicTest, CurveIsReadAsARingFromTheOldestSample) {
    plot->SetAnzahl(4);
    const std::int16_t ring[5] = {10, 20, 30, 40, 50};
    plot->SetDatentyp(TDataKind::Short);
    plot->DataStart = ring;
    plot->DataOldest = ring + 3;
    const QImage img = render();
    // oldest 40, then 50, 10, 20, 30: the last three at the steps of 548/3 pixels
    EXPECT_EQ(img.pixel(222, row(10)), kRed);
    EXPECT_EQ(img.pixel(405, row(20)), kRed);
    EXPECT_EQ(img.pixel(588, row(30)), kRed);
    EXPECT_NE(img.pixel(588, row(50)), kRed);
}

TEST_F(TCGraphicTest, ScrolledViewStartsAtTheRightPlaceOfTheRing) {
    plot->SetAnzahl(10);
    plot->SetMaxZoom(5);
    std::int32_t ring[11];
    for (int i = 0; i < 11; ++i)
        ring[i] = 5 * i; // element i holds 5 i
    plot->DataStart = ring;
    plot->DataOldest = ring + 8;
    plot->ClickZoomIn();
    press(591, 150); // right end of the plot
    view(5, 10);
    // samples 5..10 after the oldest are elements 2..7; the newest (7) ends at the right
    const QImage img = render();
    EXPECT_EQ(img.pixel(588, row(35)), kRed);
    EXPECT_EQ(img.pixel(40 + 137, row(20)), kRed);
}

TEST_F(TCGraphicTest, EveryDataKindIsReadWithItsSizeAndSign) {
    plot->SetAnzahl(2);
    plot->SetYmin(-100);
    const int lastRow = int(295 - 50 * 263 / 200.0); // -50 in -100..100
    auto check = [&](TDataKind kind, const void* data) {
        plot->SetDatentyp(kind);
        plot->DataStart = data;
        plot->DataOldest = data;
        const QImage img = render();
        EXPECT_EQ(img.pixel(588, lastRow), kRed) << int(kind);
    };
    const std::int8_t c[] = {25, 75, -50};
    const std::int16_t s[] = {25, 75, -50};
    const std::int32_t i[] = {25, 75, -50};
    const float f[] = {25.f, 75.f, -50.f};
    check(TDataKind::Char, c);
    check(TDataKind::Short, s);
    check(TDataKind::Int, i);
    check(TDataKind::Long, i);
    check(TDataKind::Float, f);
}

TEST_F(TCGraphicTest, SamplesOutsideTheViewAreHeldAtTheEdgesOfThePlot) {
    plot->SetAnzahl(2);
    const float f[] = {1e30f, std::numeric_limits<float>::quiet_NaN(), -1e30f};
    plot->SetDatentyp(TDataKind::Float);
    plot->DataStart = f;
    plot->DataOldest = f;
    const QImage img = render();
    // from the top left corner to the bottom right one
    EXPECT_TRUE(img.pixel(314, 163) == kRed || img.pixel(314, 164) == kRed);
    for (int y : {20, 21, 22, 23, 28, 29, 30})
        EXPECT_NE(img.pixel(40, y), kRed) << "curve above the plot at row " << y;
}

TEST_F(TCGraphicTest, NewDrawRepaintsOnlyThePlotArea) {
    struct PaintSpy : QObject {
        std::vector<QRect> rects;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                rects.push_back(static_cast<QPaintEvent*>(e)->rect());
            return false;
        }
    } spy;
    plot->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(plot.get()));
    QApplication::processEvents();
    plot->installEventFilter(&spy);
    plot->NewDraw();
    QApplication::processEvents();
    ASSERT_EQ(spy.rects.size(), 1u);
    EXPECT_EQ(spy.rects[0], QRect(QPoint(41, 31), QPoint(588, 294)));
    plot->removeEventFilter(&spy);
}

TEST_F(TCGraphicTest, SaveButtonRaisesOnSaveWithThePlot) {
    std::vector<TCGraphic*> senders;
    QObject::connect(plot.get(), &TCGraphic::OnSave, [&](TCGraphic* s) { senders.push_back(s); });
    ASSERT_NE(plot->button(6), nullptr);
    EXPECT_EQ(plot->button(6)->geometry(), QRect(40 + 6 * 19, 1, 32, 19));
    plot->button(6)->click();
    plot->button(3)->click();
    EXPECT_EQ(senders, std::vector<TCGraphic*>{plot.get()});
    EXPECT_EQ(plot->mouseMode(), TCGraphic::ZoomInX);
}

} // namespace
