#include "Qs40DrawingGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

using Geometry = Qs40DrawingGeometry;
using Row = std::array<std::int32_t, 4>;

TEST(Qs40DrawingGeometryTest, MapsTheRangeOntoItsPixelsFromConstruction) {
    const Geometry g; // no sensor yet: mapping and hit tests must already work
    EXPECT_EQ(g.DrawLeft(), 41);
    EXPECT_EQ(g.DrawRight(), 526);
    EXPECT_FLOAT_EQ(g.MmPerPixel(), 6000.0f / 485.0f);
    EXPECT_EQ(g.x(0), 41);
    EXPECT_EQ(g.x(2000), 202);
    EXPECT_EQ(g.x(6000), 526);
    EXPECT_EQ(g.switchOffX(2000, 300), 226); // 202 + 24.25
    EXPECT_EQ(g.RowTop(0), 110);
    EXPECT_EQ(g.RowBottom(3), 250);
    EXPECT_EQ(g.RowMid(1), 160);
}

TEST(Qs40DrawingGeometryTest, RedrawLimitsTheSwitchPoints) {
    struct Case {
        std::int32_t l, h, wantL, wantH;
    } cases[] = {
        {2000, 40, 2000, 100},           // hysteresis below the least
        {5900, 300, 5700, 300},          // switch-off beyond the range end pulls the point back
        {0, 7000, 0, 6000},              // hysteresis beyond the range
        {-50, 300, 0, 300},              // below the range start
        {INT32_MAX, INT32_MAX, 0, 6000}, // no overflow on absurd values
        {2000, INT32_MIN, 2000, 100},
    };
    for (const auto& c : cases) {
        Row l{c.l, c.l, c.l, c.l};
        Row h{c.h, c.h, c.h, c.h};
        Geometry().applyLimits(l, h);
        EXPECT_EQ(l, (Row{c.wantL, c.wantL, c.wantL, c.wantL})) << c.l << "/" << c.h;
        EXPECT_EQ(h, (Row{c.wantH, c.wantH, c.wantH, c.wantH})) << c.l << "/" << c.h;
    }
}

TEST(Qs40DrawingGeometryTest, PlacesTheFieldsBesideTheMarkers) {
    const Geometry g;
    EXPECT_EQ(g.distanceFieldLeft(2000, 50), 202 - 50 - 9);
    EXPECT_EQ(g.distanceFieldLeft(0, 50), 0); // never left of the panel
    EXPECT_EQ(g.hysteresisFieldLeft(2000, 300), 226 + 8);
    EXPECT_EQ(g.hysteresisFieldTop(2), 189);
    EXPECT_EQ(g.distanceFieldTop(2), 193);
}

TEST(Qs40DrawingGeometryTest, DrawsStepLinesMarkersAndTheBeam) {
    const Geometry g;
    using P = Geometry::Point;
    EXPECT_EQ(g.switchLine(1, 2000), (std::array<P, 4>{{{41, 150}, {202, 150}, {202, 170}, {526, 170}}}));
    EXPECT_EQ(g.switchOffLine(1, 2000, 300),
              (std::array<P, 4>{{{41, 150}, {226, 150}, {226, 170}, {526, 170}}}));
    EXPECT_EQ(g.switchMarker(0, 0), (std::array<P, 3>{{{41, 115}, {36, 125}, {46, 125}}}));
    EXPECT_EQ(g.switchOffMarker(0, 2000, 300), (std::array<P, 3>{{{226, 125}, {221, 115}, {231, 115}}}));
    // The beam widens from the transmitter's 32 pixels by about 36 on each side at the range end.
    EXPECT_EQ(g.beam(), (std::array<P, 4>{{{41, 55}, {526, 19}, {526, 122}, {41, 87}}}));
}

TEST(Qs40DrawingGeometryTest, PressTakesHoldOfAMarkerWithinReach) {
    const Row l{2000, 1000, 3000, 4000};
    const Row h{300, 300, 300, 300};
    struct Case {
        int x, y;
        bool drags;
    } cases[] = {
        {202, 120, true},                    // on the switching marker of row 1
        {211, 129, true},                    // 9 pixels off both ways
        {212, 120, false},                   // 10 pixels off
        {202, 130, false}, {400, 60, false}, // in the beam, away from every marker
        {312, 200, true},                    // near row 3's switch-off marker (x 307)
        {202, 200, false},                   // row 1's x on row 3
    };
    Geometry g;
    for (const auto& c : cases) {
        EXPECT_EQ(g.press(c.x, c.y, l, h), c.drags) << c.x << "," << c.y;
        EXPECT_EQ(g.dragging(), c.drags);
        g.release();
    }
}

TEST(Qs40DrawingGeometryTest, DraggingMovesTheHeldMarkerWithinTheRange) {
    Geometry g;
    Row l{2000, 2000, 2000, 2000};
    Row h{300, 300, 300, 300};
    // Both markers of a row 100/100 mm apart are within reach of one press: the switch-off
    // marker wins, so the drag changes the hysteresis.
    l[0] = 1000;
    h[0] = 100; // markers at 121 and 129
    ASSERT_TRUE(g.press(125, 120, l, h));
    g.move(200, l, h, false);
    EXPECT_EQ(l[0], 1000);
    EXPECT_EQ(h[0], 977); // (200 - 121) * 12.37, cut
    EXPECT_EQ(h[1], 300);
    g.release();
    EXPECT_FALSE(g.dragging());
    g.move(300, l, h, false); // no longer held
    EXPECT_EQ(h[0], 977);

    // The switching marker dragged past the switch-off marker stops there (the hysteresis
    // keeps its size), and the range end and start hold it.
    ASSERT_TRUE(g.press(202, 160, l, h)); // row 2
    g.move(600, l, h, false);
    EXPECT_EQ(l[1], 2288); // x 226: (226 - 41) * 12.37, cut
    g.move(-20, l, h, false);
    EXPECT_EQ(l[1], 0);
    g.release();

    // Switch-off marker dragged left of its switching marker: no hysteresis (the redraw raises it).
    ASSERT_TRUE(g.press(226, 200, l, h)); // row 3
    g.move(100, l, h, false);
    EXPECT_EQ(h[2], 0);
    g.applyLimits(l, h);
    EXPECT_EQ(h[2], 100);
}

TEST(Qs40DrawingGeometryTest, CommonHysteresisFollowsTheDraggedSwitchOffMarker) {
    Geometry g;
    Row l{2000, 2000, 2000, 2000};
    Row h{300, 400, 500, 600};
    ASSERT_TRUE(g.press(250, 240, l, h)); // row 4's switch-off marker
    g.move(300, l, h, true);
    EXPECT_EQ(h, (Row{1212, 1212, 1212, 1212})); // (300 - 202) * 12.37, cut
    g.release();
    h = {300, 400, 500, 600};
    ASSERT_TRUE(g.press(250, 240, l, h));
    g.move(300, l, h, false);
    EXPECT_EQ(h, (Row{300, 400, 500, 1212}));
}

TEST(Qs40DrawingGeometryTest, FieldTextsAndTheirLenientReading) {
    EXPECT_EQ(Geometry::distanceText(2000), "2000mm");
    EXPECT_EQ(Geometry::hysteresisText(300), "+300mm");
    struct Case {
        std::string text;
        std::int32_t distance, hysteresis;
    } cases[] = {
        {"2000mm", 2000, 2000}, {"200mm", 200, 200},  {"", 0, 0},         {"____mm", 0, 0},
        {"+  50mm", 5, 50},     {"+300mm", 300, 300}, {"12a4mm", 0, 0},   {"+1234mm", 123, 1234},
        {"-50", -50, -50},      {"+", 0, 0},          {"7 5_mm", 75, 75},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Geometry::readDistanceField(c.text), c.distance) << c.text;
        EXPECT_EQ(Geometry::readHysteresisField(c.text), c.hysteresis) << c.text;
    }
}
