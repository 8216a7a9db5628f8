#include "TLevel.h"

#include <algorithm>

void TLevel::SetLAnz(int n) {
    m_lAnz = std::clamp(n, 0, kCount);
}

float TLevel::L(int k) const {
    return (k >= 1 && k <= kCount) ? m_levels[k - 1] : 0.0f;
}

void TLevel::SetL(int k, float v) {
    if (k < 1 || k > kCount)
        return;
    // Pairs are (1,2), (3,4), (5,6). The partner is moved first, so the pair never crosses.
    const int pair = (k - 1) / 2;
    if (m_ordered[pair]) {
        const bool lower = (k % 2) == 1;
        float& partner = m_levels[lower ? k : k - 2];
        if (lower ? v > partner : partner > v)
            partner = v;
    }
    m_levels[k - 1] = v;
}

QCursor TLevel::crL(int k) const {
    return (k >= 1 && k <= kCount) ? m_cursors[k - 1] : QCursor();
}

void TLevel::SetcrL(int k, const QCursor& cursor) {
    if (k >= 1 && k <= kCount)
        m_cursors[k - 1] = cursor;
}

QColor TLevel::color(int k) {
    switch ((k - 1) / 2) {
    case 0:
        return Qt::red;
    case 1:
        return QColor(0, 128, 0);
    default:
        return Qt::blue;
    }
}
