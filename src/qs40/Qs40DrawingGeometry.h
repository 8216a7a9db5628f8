#pragma once
// Geometry of the QS40 switch-point drawing: the light beam over 0 to 6000 mm and one row per
// switch point with its switching line, switch-off line and the two triangle markers. Holds the
// drawing's own pixel coordinates (41..526 for the range, rows at 110/150/190/230), the limits
// every redraw applies to the switch points, the hit tests and the marker dragging. The widget
// only paints what this class computes and scales the whole picture for the screen.
//
// Switch points are addressed by row 0..3 (the sensor calls them 1..4). The values live in the
// caller's parameter set and are passed in as spans, so the limits land where they are kept.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class Qs40DrawingGeometry {
public:
    static constexpr int kRows = 4;
    // Layout of the drawing panel: the transmitter picture at (9, 56), 32 x 32, and the LED
    // button whose left edge ends the range 10 pixels before it.
    static constexpr int kPanelWidth = 570;
    static constexpr int kPanelHeight = 265;
    static constexpr int kSenderLeft = 9;
    static constexpr int kSenderTop = 56;
    static constexpr int kSenderSize = 32;
    static constexpr int kLedLeft = 536;
    // A press this close to a marker (horizontally and vertically, in pixels) takes hold of it.
    static constexpr int kGrabReach = 10;

    struct Point {
        int x = 0;
        int y = 0;
        bool operator==(const Point&) const = default;
    };
    using Values = std::span<std::int32_t, kRows>;

    // Valid from the start: the default layout and the QS40 range, so every handler may map
    // and hit-test before a sensor is known.
    Qs40DrawingGeometry();

    // The range and limits of a QS40 sensor (0..6000 mm, hysteresis at least 100 mm, four points).
    void setQs40Range();

    int PointCount() const { return m_pointCount; }
    float RangeMin() const { return m_rangeMin; }
    float RangeMax() const { return m_rangeMax; }
    float BeamAngle() const { return m_beamAngle; }
    int MinHysteresis() const { return m_minHysteresis; }
    int DrawLeft() const { return m_drawLeft; }
    int DrawRight() const { return m_drawRight; }
    float MmPerPixel() const { return m_mmPerPixel; }
    int RowTop(int row) const { return 110 + 40 * row; }
    int RowBottom(int row) const { return 130 + 40 * row; }
    int RowMid(int row) const { return (RowTop(row) + RowBottom(row)) / 2; }

    // x of a distance in millimetres, cut toward zero.
    int x(double mm) const;
    // x of the switching distance and of the switch-off distance (one hysteresis further).
    int switchX(std::int32_t switchL) const { return x(switchL); }
    int switchOffX(std::int32_t switchL, std::int32_t switchH) const;

    // The limits of every redraw, for the rows 0 .. PointCount-1: hysteresis at least
    // MinHysteresis, switch-off distance within the range, switching distance not below it.
    void applyLimits(Values switchL, Values switchH) const;

    // Left edges of a row's two edit fields: the distance field to the left of the switching
    // marker (never beyond the panel's left edge), the hysteresis field right of the switch-off
    // marker.
    int distanceFieldLeft(std::int32_t switchL, int fieldWidth) const;
    int hysteresisFieldLeft(std::int32_t switchL, std::int32_t switchH) const;
    // Vertical places of a row's controls.
    int hysteresisFieldTop(int row) const { return RowTop(row) - 1; }
    int distanceFieldTop(int row) const { return RowTop(row) + 3; }
    int labelTop(int row) const { return RowTop(row); }

    // The two step lines of a row: active up to the switching distance, and up to the switch-off
    // distance; each from the range start on the top level down to the bottom level at the end.
    std::array<Point, 4> switchLine(int row, std::int32_t switchL) const;
    std::array<Point, 4> switchOffLine(int row, std::int32_t switchL, std::int32_t switchH) const;
    // Filled triangles: pointing up at the switching distance, down at the switch-off distance.
    std::array<Point, 3> switchMarker(int row, std::int32_t switchL) const;
    std::array<Point, 3> switchOffMarker(int row, std::int32_t switchL, std::int32_t switchH) const;
    // The light beam from the transmitter picture to the range end.
    std::array<Point, 4> beam() const;

    // Marker dragging. A press takes hold of the marker in reach (the switch-off marker wins
    // when both are); returns whether dragging started.
    bool press(int px, int py, std::span<const std::int32_t, kRows> switchL,
               std::span<const std::int32_t, kRows> switchH);
    // Moves the held marker to px. With a common hysteresis (sensors of the old protocol) a
    // dragged switch-off marker sets the hysteresis of every row. The caller redraws after it,
    // which applies the limits.
    void move(int px, Values switchL, Values switchH, bool commonHysteresis);
    void release();
    bool dragging() const { return m_dragging; }

    // Texts of the edit fields and their lenient reading: blanks and empty mask places are
    // skipped, the unit ends the number, anything else that is not a number reads as 0.
    static std::string distanceText(std::int32_t switchL);
    static std::string hysteresisText(std::int32_t switchH);
    static std::int32_t readDistanceField(std::string_view text);
    static std::int32_t readHysteresisField(std::string_view text);

private:
    int m_pointCount = kRows;
    float m_rangeMin = 0.0f;
    float m_rangeMax = 6000.0f;
    float m_beamAngle = 8.0f;
    int m_minHysteresis = 100;
    int m_drawLeft = kSenderLeft + kSenderSize;
    int m_drawRight = kLedLeft - 10;
    float m_mmPerPixel = 1.0f;
    std::array<bool, kRows> m_grabPoint{};
    std::array<bool, kRows> m_grabHyst{};
    bool m_dragging = false;
};
