#pragma once
// The QS40 window's drawing panel: the light beam over 0 to 6000 mm with one row per switch
// point, the two edit fields of each row beside its markers, the range labels and the distance
// gauge along the bottom. The panel keeps its own 570 x 265 coordinate system (the geometry's);
// on a high-DPI screen Qt scales the whole panel.
//
// Typing into a field stores the value at once; leaving the field redraws, which applies the
// limits. Dragging a marker changes the value and redraws on every move.
#include "Qs40DrawingGeometry.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <span>

class QLabel;
class QLineEdit;
class QProgressBar;

class Qs40FormDrawing : public QWidget {
    Q_OBJECT
public:
    using Values = std::span<std::int32_t, Qs40DrawingGeometry::kRows>;

    // The panel shows and edits the switch points in switchL / switchH (they stay the caller's);
    // commonHysteresis is read on every drag of a switch-off marker.
    Qs40FormDrawing(Qs40DrawingGeometry& geometry, Values switchL, Values switchH,
                    const bool& commonHysteresis, QWidget* parent = nullptr);

    // Until the first sensor type is set nothing is drawn; while the parameter list is open
    // painting pauses.
    void setInitialised(bool on);
    void setSuppressPaint(bool on);
    bool initialised() const { return m_initialised; }

    // Range labels and the places of the row controls; rows beyond the point count are hidden.
    void SetButtons();
    // Applies the limits and fills and places the edit fields.
    void update_edits();
    // update_edits, then a repaint.
    void zeichne_all();
    // The gauge along the bottom follows the measured distance.
    void setDistance(int mm);

signals:
    // A value was changed by typing or dragging (after the redraw that limited it).
    void valuesEdited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fieldChanged(int row, bool hysteresis);
    void fieldExit();

    Qs40DrawingGeometry& m_geometry;
    Values m_switchL;
    Values m_switchH;
    const bool& m_commonHysteresis;
    bool m_initialised = false;
    bool m_suppressPaint = false;

    QLabel* sender;
    QProgressBar* AbstandGauge;
    QLabel* anfangedit;
    QLabel* endeedit;
    std::array<QLabel*, Qs40DrawingGeometry::kRows> m_labels{};
    std::array<QLineEdit*, Qs40DrawingGeometry::kRows> m_distanceEdits{};
    std::array<QLineEdit*, Qs40DrawingGeometry::kRows> m_hystEdits{};
};
