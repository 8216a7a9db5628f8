#pragma once
// Measurement plot: draws a series of samples that live in the caller's memory (read as a ring
// from the oldest sample, never copied), up to six draggable level lines over it, and lets the
// user zoom and scroll both axes. The caller stores a sample, moves DataOldest and calls NewDraw().
#include "TLevel.h"

#include <QColor>
#include <QPen>
#include <QPoint>
#include <QWidget>

#include <array>
#include <vector>

class QPainter;
class QToolButton;

enum class TDataKind { Char, Short, Int, Long, Float };

class TCGraphic : public QWidget {
    Q_OBJECT
public:
    // Mouse modes; the zoom modes carry the numbers of their cursor slots.
    enum MouseMode { MoveLevel = 0, ZoomInX = 1, ZoomInY = 2, ZoomOutX = 3, ZoomOutY = 4 };

    // Values stored as given while the plot is being built (no setter side effects).
    struct Values {
        int Ymin = 0;
        int Ymax = 100;
        int Anzahl = 100;
        int MaxZoom = 10;
        TDataKind Datentyp = TDataKind::Int;
        bool DrawLevel = false;
    };

    explicit TCGraphic(QWidget* parent = nullptr);
    TCGraphic(const Values& initial, QWidget* parent = nullptr);
    ~TCGraphic() override;

    // Sample memory: Anzahl() + 1 elements of Datentyp() starting at DataStart; the time axis
    // starts at DataOldest. Both null: only frame and levels are drawn.
    const void* DataStart = nullptr;
    const void* DataOldest = nullptr;

    QPen Pen() const { return m_pen; }
    void SetPen(const QPen& pen);
    // Background of the plot; follows the parent's background until set.
    QColor Color() const { return m_color.isValid() ? m_color : palette().window().color(); }
    void SetColor(const QColor& color);
    int Ymax() const { return m_ymax; }
    void SetYmax(int v);
    int Ymin() const { return m_ymin; }
    void SetYmin(int v);
    int MaxZoom() const { return m_maxZoom; }
    void SetMaxZoom(int v) { m_maxZoom = v; }
    int Anzahl() const { return m_anzahl; }
    void SetAnzahl(int n);
    bool DrawLevel() const { return m_drawLevel; }
    void SetDrawLevel(bool b);
    TDataKind Datentyp() const { return m_datentyp; }
    void SetDatentyp(TDataKind kind) { m_datentyp = kind; }

    // The level set. Changing levels through it does not repaint: call NewDraw() afterwards.
    TLevel& Schaltpunkt() { return m_levels; }
    const TLevel& Schaltpunkt() const { return m_levels; }
    void SetSchaltpunkt(const TLevel& levels); // copies the whole set, then NewDraw()

    // View state.
    int viewStart() const { return m_viewStart; }
    int viewEnd() const { return m_viewEnd; }
    int viewYmin() const { return m_viewYmin; }
    int viewYmax() const { return m_viewYmax; }
    MouseMode mouseMode() const { return m_mode; }
    int selectedLevel() const { return m_selected; } // 0 none, 1..6

    // Plot area of the current size (left 40, top 32, right width-12, bottom height-5).
    QRect plotRect() const;

    // Repaints only the plot area (curve and level lines).
    void NewDraw();
    // Repaints everything: frame, ticks, labels, scroll thumbs and the plot area.
    void Paint();

    void ClickArrow();
    void ClickZoomInY();
    void ClickZoomOutY();
    void ClickZoomIn();
    void ClickZoomOut();
    void ClickAll();
    void ClickSave();
    void ClickToStart();
    void ClickFRew();
    void ClickFFor();
    void ClickToEnd();
    void ClickAutoY();
    void ClickFullY();

    // The seven buttons at the top, in the order MARKER, ZOOM_IN_Y, ZOOM_OUT_Y, ZOOM_IN_X,
    // ZOOM_OUT_X, ALL, SAVE.
    QToolButton* button(int index) const;

signals:
    void OnSave(TCGraphic* sender);
    void OnChangeLevel(TCGraphic* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void retranslateHints();
    struct Geometry;
    void init();
    void setMode(MouseMode mode);
    QCursor modeCursor() const;
    int levelAt(int y) const;
    bool overValueThumb(int x, int y) const;
    bool overTimeThumb(int x, int y) const;
    void zoomTime(int x, bool in);
    void zoomValue(int y, bool in);
    void dragLevelTo(int y);
    void drawPlotArea(QPainter& p, const Geometry& g);
    void drawFrame(QPainter& p, const Geometry& g);

    QPen m_pen;
    QColor m_color;
    int m_ymax = 100;
    int m_ymin = 0;
    int m_maxZoom = 10;
    int m_anzahl = 100;
    bool m_drawLevel = false;
    TDataKind m_datentyp = TDataKind::Int;
    TLevel m_levels;

    int m_viewYmin = 0;
    int m_viewYmax = 100;
    int m_viewStart = 0;
    int m_viewEnd = 100;
    MouseMode m_mode = MoveLevel;
    int m_selected = 0;
    bool m_dragTime = false;
    bool m_dragValue = false;
    bool m_dragLevel = false;
    int m_anchorPos = 0;
    int m_anchorView = 0;

    std::array<QCursor, 4> m_zoomCursors; // cursor slots 1..4: ZOOMINX, ZOOMINY, ZOOMOUTX, ZOOMOUTY
    std::array<QToolButton*, 7> m_buttons{};
    std::vector<QPoint> m_points; // reused polyline buffer: no allocation per sample
};
