#pragma once
// The level set of the measurement plot: up to six horizontal lines (the switch points of the
// sensor outputs), how many of them are in use, which pairs must stay ordered, and the mouse
// cursor shown while the pointer is over each line.
#include <QColor>
#include <QCursor>

#include <array>

class TLevel {
public:
    static constexpr int kCount = 6;

    // Number of levels in use: level k is drawn and can be grabbed only when LAnz() >= k.
    int LAnz() const { return m_lAnz; }
    void SetLAnz(int n);

    // Levels are numbered 1..6 as on the plot; other numbers read 0 and are ignored on write.
    float L(int k) const;
    void SetL(int k, float v);
    float L1() const { return L(1); }
    float L2() const { return L(2); }
    float L3() const { return L(3); }
    float L4() const { return L(4); }
    float L5() const { return L(5); }
    float L6() const { return L(6); }
    void SetL1(float v) { SetL(1, v); }
    void SetL2(float v) { SetL(2, v); }
    void SetL3(float v) { SetL(3, v); }
    void SetL4(float v) { SetL(4, v); }
    void SetL5(float v) { SetL(5, v); }
    void SetL6(float v) { SetL(6, v); }

    QCursor crL(int k) const;
    void SetcrL(int k, const QCursor& cursor);

    // Ordering of the pairs (L1, L2), (L3, L4), (L5, L6): moving one level across its partner
    // carries the partner along.
    bool L1kleinerL2() const { return m_ordered[0]; }
    bool L3kleinerL4() const { return m_ordered[1]; }
    bool L5kleinerL6() const { return m_ordered[2]; }
    void SetL1kleinerL2(bool b) { m_ordered[0] = b; }
    void SetL3kleinerL4(bool b) { m_ordered[1] = b; }
    void SetL5kleinerL6(bool b) { m_ordered[2] = b; }

    // Fixed colours: L1/L2 red, L3/L4 green, L5/L6 blue.
    static QColor color(int k);

private:
    int m_lAnz = 0;
    std::array<float, kCount> m_levels{};
    std::array<QCursor, kCount> m_cursors{};
    std::array<bool, 3> m_ordered{};
};
