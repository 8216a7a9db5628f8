#include "TCSchaltpunkt.h"
#include "Artwork.h"
#include "GuiTestEnvironment.h"

#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// The component sits at (50, 20) in a host, 200 x 20 pixels: with Start 0 and Stopp 100 the mouse
// scale is 2 pixels per unit (SP 20 -> pixel 40) and the paint scale 1.99 (SP 20 -> column 39).
struct TCSchaltpunktTest : ::testing::Test {
    TCSchaltpunktTest() { QLocale::setDefault(QLocale::c()); }
    void make(const TCSchaltpunkt::Values& v = {}) {
        host = std::make_unique<QWidget>();
        host->resize(400, 100);
        sp = new TCSchaltpunkt(v, host.get());
        sp->move(50, 20);
        QObject::connect(sp, &TCSchaltpunkt::OnChangeSP1, [this] { events.push_back("SP1"); });
        QObject::connect(sp, &TCSchaltpunkt::OnChangeSP2, [this] { events.push_back("SP2"); });
    }
    void points(float sp1, float sp2) const {
        EXPECT_FLOAT_EQ(sp->SP1(), sp1);
        EXPECT_FLOAT_EQ(sp->SP2(), sp2);
    }
    void press(int x) { QTest::mousePress(sp, Qt::LeftButton, {}, QPoint(x, 10)); }
    void release(int x) { QTest::mouseRelease(sp, Qt::LeftButton, {}, QPoint(x, 10)); }
    void dragTo(int x) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 10), sp->mapToGlobal(QPointF(x, 10)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(sp, &move);
    }
    QImage render() const {
        QImage img(sp->size(), QImage::Format_ARGB32);
        img.fill(Qt::white);
        sp->render(&img, QPoint(), QRegion(), QWidget::DrawChildren); // no window background
        return img;
    }
    // Every black pixel of the arrow bitmap shows up around (x, y) in the picture.
    static bool arrowAt(const QImage& img, const QString& name, int x, int y) {
        const QImage arrow = Artwork::bitmap(name, 1.0).toImage();
        for (int j = 0; j < arrow.height(); ++j)
            for (int i = 0; i < arrow.width(); ++i)
                if (qAlpha(arrow.pixel(i, j)) == 255 &&
                    img.pixel(x - arrow.width() / 2 + i, y - arrow.height() / 2 + j) != qRgb(0, 0, 0))
                    return false;
        return true;
    }
    std::unique_ptr<QWidget> host;
    TCSchaltpunkt* sp = nullptr;
    std::vector<std::string> events;
};

TEST_F(TCSchaltpunktTest, AssignmentsAreClampedToTheScaleAndSnappedToTheStep) {
    make();
    sp->SetStepValue(4.0f);
    const std::pair<float, float> cases[] = {{13, 12}, {14, 16}, {150, 100}, {-3, 0}};
    for (auto [in, out] : cases) {
        sp->SetPos1Value(in);
        EXPECT_FLOAT_EQ(sp->SP1(), out) << "assigned " << in;
    }
    EXPECT_EQ(events, std::vector<std::string>(4, "SP1"));
}

TEST_F(TCSchaltpunktTest, SnappingNeverLeavesTheScaleAndRoundsNegativeValuesToTheNearestStep) {
    make({.Start = -20.0f, .Stopp = 10.0f, .Step = 4.0f});
    // 10 -> 8: 12 would lie beyond the end; -18.5 -> -20: a multiple and inside; NaN keeps the point.
    const std::pair<float, float> cases[] = {
        {10, 8}, {-5, -4}, {-18.5f, -20}, {std::numeric_limits<float>::quiet_NaN(), -20}};
    for (auto [in, out] : cases) {
        sp->SetPos1Value(in);
        EXPECT_FLOAT_EQ(sp->SP1(), out) << "assigned " << in;
    }
}

TEST_F(TCSchaltpunktTest, WindowModePushesTheUpperPointSilentlyAndSp2NeverStaysBelowSp1) {
    make({.Schaltfenster = true});
    sp->SetPos1Value(70.4f);
    points(70, 70);
    EXPECT_EQ(events, std::vector<std::string>{"SP1"});
    sp->SetWindow(false);
    sp->SetPos1Value(50.0f);
    sp->SetPos2Value(30.0f); // outside window mode too
    points(30, 30);
    sp->SetIsAnalog(true); // a ramp may fall: no pushing
    sp->SetPos1Value(80.0f);
    sp->SetPos2Value(10.0f);
    points(80, 10);
}

TEST_F(TCSchaltpunktTest, SwitchingWindowModeOnSwapsCrossedPointsAndRaisesBothEvents) {
    make({.SP1 = 60.0f, .SP2 = 20.0f});
    host->show();
    EXPECT_EQ(sp->sp2Edit(), nullptr);
    sp->SetWindow(true);
    EXPECT_TRUE(sp->sp2Edit()->isVisible());
    EXPECT_EQ(sp->sp2Edit()->text(), QStringLiteral("60mm"));
    points(20, 60);
    EXPECT_EQ(events, (std::vector<std::string>{"SP2", "SP1"}));
    ASSERT_NE(sp->sp2Edit(), nullptr);
    EXPECT_EQ(sp->sp2Edit()->parentWidget(), host.get());
    sp->SetWindow(false);
    EXPECT_EQ(sp->sp2Edit(), nullptr);
}

TEST_F(TCSchaltpunktTest, AnalogModeForcesWindowMode) {
    make();
    sp->SetIsAnalog(true);
    EXPECT_TRUE(sp->Schaltfenster());
    sp->SetWindow(false);
    EXPECT_TRUE(sp->Schaltfenster());
    EXPECT_NE(sp->sp2Edit(), nullptr);
    sp->SetIsAnalog(false);
    sp->SetWindow(false);
    EXPECT_FALSE(sp->Schaltfenster());
}

TEST_F(TCSchaltpunktTest, MovingTheScaleEndsRevalidatesThePointsWithoutEvents) {
    make({.Schaltfenster = true});
    sp->SetStartValue(30.0f);
    sp->SetStoppValue(50.0f);
    points(30, 50);
    EXPECT_TRUE(events.empty());
}

TEST_F(TCSchaltpunktTest, LenientParserTakesDigitsAndTheFirstSeparatorOnly) {
    const std::pair<const char*, double> cases[] = {
        {"12,5 mm", 12.5}, {"12.5", 12.5}, {"-5", 5.0}, {"1.2.3", 1.23}, {"abc", 0.0}};
    for (auto [text, value] : cases)
        EXPECT_DOUBLE_EQ(TCSchaltpunkt::parseLenient(QString::fromLatin1(text)), value) << text;
    const double huge = TCSchaltpunkt::parseLenient(QString(400, QLatin1Char('9')) + "." + QString(400, '9'));
    EXPECT_TRUE(std::isfinite(huge));
}

TEST_F(TCSchaltpunktTest, TypedValuesAreTakenOnReturnAndOnLeavingTheField) {
    make({.Start = 2.0f, .Step = 0.5f, .Dezimalstellen = 1});
    auto* other = new QLineEdit(host.get());
    host->show();
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    QLineEdit* field = sp->sp1Edit();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("20.0mm"));
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, QStringLiteral("7,25"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FLOAT_EQ(sp->SP1(), 7.5f);
    EXPECT_EQ(field->text(), QStringLiteral("7.5mm"));
    field->setText(QStringLiteral("12,5 mm"));
    other->setFocus();
    EXPECT_FLOAT_EQ(sp->SP1(), 12.5f);
    field->setText(QString());
    QTest::keyClick(field, Qt::Key_Enter);
    EXPECT_FLOAT_EQ(sp->SP1(), 2.0f); // empty text is 0, raised to Start
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(TCSchaltpunktTest, FieldShowsTheUsersDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    make({.Dezimalstellen = 2, .Einheit = QStringLiteral("mA")});
    EXPECT_EQ(sp->sp1Edit()->text(), QStringLiteral("20,00mA"));
    QLocale::setDefault(QLocale::c());
}

TEST_F(TCSchaltpunktTest, ClickBesideAnArrowStepsThePointAndDraggingFollowsThePointer) {
    make({.Schaltfenster = true});
    press(37); // 3 pixels left of SP1's arrow at column 39 (40 in mouse scale)
    EXPECT_FLOAT_EQ(sp->SP1(), 19.0f);
    dragTo(100);
    EXPECT_FLOAT_EQ(sp->SP1(), 50.0f);
    release(100);
    dragTo(150); // released: no more dragging
    EXPECT_FLOAT_EQ(sp->SP1(), 50.0f);
    press(100); // exactly on SP1: up one step
    release(100);
    press(120); // exactly on SP2 (60): down one step
    release(120);
    points(51, 59);
    EXPECT_EQ(events, (std::vector<std::string>{"SP1", "SP1", "SP1", "SP2"}));
}

TEST_F(TCSchaltpunktTest, DraggedWindowIsSqueezedAtTheScaleEnd) {
    make({.Schaltfenster = true});
    press(80); // between the arrows at 40 and 120
    EXPECT_TRUE(events.empty());
    dragTo(180); // +50 units
    points(70, 100);
    dragTo(80); // back where it started: the anchors restore the width
    points(20, 60);
    dragTo(30); // -25 units
    points(0, 35);
    EXPECT_EQ(events.size(), 6u);
}

TEST_F(TCSchaltpunktTest, InvisibleComponentPaintsNothingHidesFieldsAndIgnoresClicks) {
    make({.Schaltfenster = true});
    host->show();
    sp->SetVisible(false);
    EXPECT_FALSE(sp->sp1Edit()->isVisible());
    EXPECT_FALSE(sp->sp2Edit()->isVisible());
    EXPECT_TRUE(sp->isVisible()); // keeps its place
    press(40);
    EXPECT_FLOAT_EQ(sp->SP1(), 20.0f);
    EXPECT_TRUE(events.empty());
    const QImage img = render();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(img.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    sp->SetText(true); // labelling on does not show fields of an invisible component
    EXPECT_FALSE(sp->sp1Edit()->isVisible());
    sp->SetVisible(true);
    EXPECT_TRUE(sp->sp1Edit()->isVisible());
    sp->hide();
    EXPECT_FALSE(sp->sp1Edit()->isVisible());
}

TEST_F(TCSchaltpunktTest, SingleStepIsDrawnFromTheTopRowWithADownArrowAtTheSwitchPoint) {
    make();
    const QImage img = render();
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(img.pixel(10, 0), black);
    EXPECT_NE(img.pixel(10, 19), black);
    EXPECT_EQ(img.pixel(39, 12), black);
    EXPECT_EQ(img.pixel(150, 19), black);
    EXPECT_NE(img.pixel(150, 0), black);
    EXPECT_TRUE(arrowAt(img, QStringLiteral("PFEIL_DOWN"), 39, 10));
    EXPECT_FALSE(arrowAt(img, QStringLiteral("PFEIL_UP"), 39, 10));
    // SP1's field stands left of the arrow, in the host.
    const QRect f = sp->sp1Edit()->geometry();
    EXPECT_EQ(f.x() + f.width(), 50 + 39 - 4);
}

TEST_F(TCSchaltpunktTest, FallingRampPutsArrowsAtTheEdgesAndFieldsOnTheOuterSides) {
    make({.SP1 = 80.0f, .SP2 = 20.0f, .analog = true});
    const QImage img = render();
    const int x1 = sp->pixelOf(80.0f); // 159
    const int x2 = sp->pixelOf(20.0f); // 39
    // norm_open: SP1 at the bottom edge pointing down, SP2 at the top pointing up
    EXPECT_TRUE(arrowAt(img, QStringLiteral("PFEIL_DOWN"), x1, 15));
    EXPECT_TRUE(arrowAt(img, QStringLiteral("PFEIL_UP"), x2, 5));
    EXPECT_EQ(img.pixel(5, 0), qRgb(0, 0, 0));    // top row up to SP2
    EXPECT_EQ(img.pixel(190, 19), qRgb(0, 0, 0)); // bottom row after SP1
    EXPECT_EQ(sp->sp1Edit()->x(), 50 + x1 + 4);   // right of its arrow
    const QRect f2 = sp->sp2Edit()->geometry();
    EXPECT_EQ(f2.x() + f2.width(), 50 + x2 - 4); // left of its arrow
}

TEST_F(TCSchaltpunktTest, FieldsFollowTheComponentAndItsParent) {
    make();
    host->show();
    const QPoint before = sp->sp1Edit()->pos();
    sp->move(80, 40);
    EXPECT_EQ(sp->sp1Edit()->pos(), before + QPoint(30, 20));
    QWidget other;
    sp->setParent(&other);
    EXPECT_EQ(sp->sp1Edit()->parentWidget(), &other);
    sp->setParent(host.get()); // host owns it again for clean-up
}

} // namespace
