#include "Qs40DrawingGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Reads a field's number from its first maxChars characters: the unit ends it, blanks and empty
// mask places are skipped, an optional sign is followed by digits; anything else gives 0.
std::int32_t readField(std::string_view text, std::size_t maxChars) {
    text = text.substr(0, std::min(maxChars, text.size()));
    std::string kept;
    for (char c : text) {
        if (c == 'm')
            break;
        if (c != ' ' && c != '_')
            kept.push_back(c);
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < kept.size() && (kept[i] == '+' || kept[i] == '-'))
        negative = kept[i++] == '-';
    if (i == kept.size())
        return 0;
    std::int64_t value = 0;
    for (; i < kept.size(); ++i) {
        if (kept[i] < '0' || kept[i] > '9')
            return 0;
        value = std::min<std::int64_t>(value * 10 + (kept[i] - '0'), INT32_MAX);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace

Qs40DrawingGeometry::Qs40DrawingGeometry() {
    setQs40Range();
}

void Qs40DrawingGeometry::setQs40Range() {
    m_rangeMin = 0.0f;
    m_rangeMax = 6000.0f;
    m_beamAngle = 8.0f;
    m_minHysteresis = 100;
    m_pointCount = kRows;
    m_mmPerPixel = m_rangeMax / static_cast<float>(m_drawRight - m_drawLeft);
}

int Qs40DrawingGeometry::x(double mm) const {
    return static_cast<int>(std::trunc(m_drawLeft + mm / static_cast<double>(m_mmPerPixel)));
}

int Qs40DrawingGeometry::switchOffX(std::int32_t switchL, std::int32_t switchH) const {
    return static_cast<int>(std::trunc(switchX(switchL) + switchH / static_cast<double>(m_mmPerPixel)));
}

void Qs40DrawingGeometry::applyLimits(Values switchL, Values switchH) const {
    const auto rangeMin = static_cast<std::int32_t>(m_rangeMin);
    const auto rangeMax = static_cast<std::int32_t>(m_rangeMax);
    for (int i = 0; i < m_pointCount; ++i) {
        std::int32_t& l = switchL[static_cast<std::size_t>(i)];
        std::int32_t& h = switchH[static_cast<std::size_t>(i)];
        if (h < m_minHysteresis)
            h = m_minHysteresis;
        // In 64 bits: values from a file or a typed list may be anything an int holds.
        if (std::int64_t{l} + h > rangeMax) {
            if (h > rangeMax)
                h = rangeMax - rangeMin;
            l = rangeMax - h;
        }
        if (l < rangeMin)
            l = rangeMin;
    }
}

int Qs40DrawingGeometry::distanceFieldLeft(std::int32_t switchL, int fieldWidth) const {
    return std::max(0, switchX(switchL) - fieldWidth - 9);
}

int Qs40DrawingGeometry::hysteresisFieldLeft(std::int32_t switchL, std::int32_t switchH) const {
    return switchOffX(switchL, switchH) + 8;
}

std::array<Qs40DrawingGeometry::Point, 4> Qs40DrawingGeometry::switchLine(int row,
                                                                          std::int32_t switchL) const {
    const int xl = switchX(switchL);
    return {
        {{m_drawLeft, RowTop(row)}, {xl, RowTop(row)}, {xl, RowBottom(row)}, {m_drawRight, RowBottom(row)}}};
}

std::array<Qs40DrawingGeometry::Point, 4> Qs40DrawingGeometry::switchOffLine(int row, std::int32_t switchL,
                                                                             std::int32_t switchH) const {
    const int xh = switchOffX(switchL, switchH);
    return {
        {{m_drawLeft, RowTop(row)}, {xh, RowTop(row)}, {xh, RowBottom(row)}, {m_drawRight, RowBottom(row)}}};
}

std::array<Qs40DrawingGeometry::Point, 3> Qs40DrawingGeometry::switchMarker(int row,
                                                                            std::int32_t switchL) const {
    const int xl = switchX(switchL);
    const int mid = RowMid(row);
    return {{{xl, mid - 5}, {xl - 5, mid + 5}, {xl + 5, mid + 5}}};
}

std::array<Qs40DrawingGeometry::Point, 3> Qs40DrawingGeometry::switchOffMarker(int row, std::int32_t switchL,
                                                                               std::int32_t switchH) const {
    const int xh = switchOffX(switchL, switchH);
    const int mid = RowMid(row);
    return {{{xh, mid + 5}, {xh - 5, mid - 5}, {xh + 5, mid - 5}}};
}

std::array<Qs40DrawingGeometry::Point, 4> Qs40DrawingGeometry::beam() const {
    const double reach = m_rangeMax / static_cast<double>(m_mmPerPixel);
    // The opening parameter is turned into an angle the way the beam has always been drawn:
    // times 180/3.14, taken as radians. For 8.0 this gives a slope of about -0.074, so the
    // beam widens by some 36 pixels on either side over the range.
    const double slope = std::tan(static_cast<double>(m_beamAngle) * 180.0 / 3.14);
    const int xs = x(m_rangeMin);
    const int xe = x(m_rangeMax);
    const int top = kSenderTop - 1;
    const int bottom = kSenderTop + kSenderSize - 1;
    return {{{xs, top},
             {xe, static_cast<int>(std::trunc(top + slope * reach))},
             {xe, static_cast<int>(std::trunc(bottom - slope * reach))},
             {xs, bottom}}};
}

bool Qs40DrawingGeometry::press(int px, int py, std::span<const std::int32_t, kRows> switchL,
                                std::span<const std::int32_t, kRows> switchH) {
    bool any = false;
    for (int i = 0; i < m_pointCount; ++i) {
        const auto r = static_cast<std::size_t>(i);
        m_grabPoint[r] = false;
        m_grabHyst[r] = false;
        const int xl = switchX(switchL[r]);
        const int xh = switchOffX(switchL[r], switchH[r]);
        const bool nearRow = std::abs(py - RowMid(i)) < kGrabReach;
        if (nearRow && std::abs(px - xl) < kGrabReach)
            m_grabPoint[r] = true;
        if (nearRow && std::abs(px - xh) < kGrabReach) {
            m_grabHyst[r] = true;
            m_grabPoint[r] = false;
        }
        any = any || m_grabPoint[r] || m_grabHyst[r];
    }
    m_dragging = any;
    return any;
}

void Qs40DrawingGeometry::move(int px, Values switchL, Values switchH, bool commonHysteresis) {
    if (!m_dragging)
        return;
    for (int i = 0; i < m_pointCount; ++i) {
        const auto r = static_cast<std::size_t>(i);
        if (!m_grabPoint[r] && !m_grabHyst[r])
            continue;
        int xl = switchX(switchL[r]);
        int xh = switchOffX(switchL[r], switchH[r]);
        if (m_grabPoint[r])
            xl = px;
        else
            xh = px;
        // The switching marker pushes the switch-off marker ahead of it; both stay in the range.
        xl = std::clamp(std::min(xl, xh), m_drawLeft, m_drawRight);
        xh = std::min(xh, m_drawRight);
        if (m_grabPoint[r]) {
            switchL[r] =
                static_cast<std::int32_t>(std::trunc((xl - m_drawLeft) * static_cast<double>(m_mmPerPixel)));
        } else {
            // Left of the switching marker means no hysteresis; the redraw raises it to the least.
            const auto h = static_cast<std::int32_t>(
                std::trunc(std::max(0, xh - xl) * static_cast<double>(m_mmPerPixel)));
            switchH[r] = h;
            if (commonHysteresis)
                for (int j = 0; j < m_pointCount; ++j)
                    switchH[static_cast<std::size_t>(j)] = h;
        }
        return;
    }
}

void Qs40DrawingGeometry::release() {
    m_dragging = false;
    m_grabPoint.fill(false);
    m_grabHyst.fill(false);
}

std::string Qs40DrawingGeometry::distanceText(std::int32_t switchL) {
    return std::to_string(switchL) + "mm";
}

std::string Qs40DrawingGeometry::hysteresisText(std::int32_t switchH) {
    return "+" + std::to_string(switchH) + "mm";
}

std::int32_t Qs40DrawingGeometry::readDistanceField(std::string_view text) {
    return readField(text, 4);
}

std::int32_t Qs40DrawingGeometry::readHysteresisField(std::string_view text) {
    return readField(text, 5);
}
