#pragma once
// Switch-point display and editor: one switch point, a switching window (SP1..SP2) or an analog
// ramp on a horizontal value scale. Each point is marked by an arrow and its value shown in an
// edit field beside the arrow. The user moves a point by clicking next to its arrow (one step),
// by dragging it, by dragging the whole window, or by typing a value. Every assignment of a
// point raises its change signal, also from code, so the owner can copy the value.
//
// The edit fields are siblings of the component in its parent (they sit left and right of the
// scale, outside the component), so they follow the component's position and visibility.
#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QPen>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class TCSchaltpunkt : public QWidget {
    Q_OBJECT
public:
    // Values stored as given while the component is being built (no clamping, snapping or
    // change signals). Later assignments go through the validating setters.
    struct Values {
        float Start = 0.0f;
        float Stopp = 100.0f;
        int MarginLeft = 0;
        int MarginRight = 0;
        float SP1 = 20.0f;
        float SP2 = 60.0f;
        float Step = 1.0f;
        unsigned Dezimalstellen = 0;
        bool norm_open = true;
        bool Schaltfenster = false;
        bool analog = false;
        bool Beschriftung = true;
        QString Einheit = QStringLiteral("mm");
    };

    explicit TCSchaltpunkt(QWidget* parent = nullptr);
    TCSchaltpunkt(const Values& initial, QWidget* parent = nullptr);
    ~TCSchaltpunkt() override;

    // The component's own visibility flag: off paints nothing, hides the fields and ignores
    // the mouse, but the component keeps its place.
    bool Visible() const { return m_visible; }
    void SetVisible(bool b);

    QPen Pen() const { return m_pen; }
    void SetPen(const QPen& pen);
    QFont Font_SP1() const { return m_font1; }
    void SetFont_1(const QFont& font);
    QFont Font_SP2() const { return m_font2; }
    void SetFont_2(const QFont& font);
    // Background; follows the parent's background until set.
    QColor Color() const { return m_color.isValid() ? m_color : palette().window().color(); }
    void SetColor(const QColor& color);

    float Start() const { return m_start; }
    void SetStartValue(float v);
    float Stopp() const { return m_stopp; }
    void SetStoppValue(float v);
    int MarginLeft() const { return m_marginLeft; }
    void SetMarginleftValue(int n);
    int MarginRight() const { return m_marginRight; }
    void SetMarginrightValue(int n);
    float SP1() const { return m_sp1; }
    void SetPos1Value(float v);
    float SP2() const { return m_sp2; }
    void SetPos2Value(float v);
    float Step() const { return m_step; }
    void SetStepValue(float v);
    unsigned Dezimalstellen() const { return m_digits; }
    void SetDigits(unsigned n);
    bool norm_open() const { return m_normOpen; }
    void SetNormOpen(bool b);
    bool Schaltfenster() const { return m_window; }
    void SetWindow(bool b);
    bool analog() const { return m_analog; }
    void SetIsAnalog(bool b);
    bool Beschriftung() const { return m_text; }
    void SetText(bool b);
    QString Einheit() const { return m_unit; }
    void SetUnit(const QString& unit);

    // The value edit fields (the SP2 field exists only in window mode and with a parent).
    QLineEdit* sp1Edit() const { return m_edit1; }
    QLineEdit* sp2Edit() const { return m_edit2; }

    // Take the typed text of a field (what Return or leaving the field does).
    void EditExit1();
    void EditExit2();

    // Reads digits and the first '.' or ',' of a typed value; everything else (signs, blanks,
    // the unit) is skipped, so "12,5 mm" gives 12.5, "-5" gives 5 and "" gives 0.
    static double parseLenient(const QString& text);

    // The value as shown in the fields: fixed decimals, the user's decimal separator, unit
    // directly behind the number.
    QString formatValue(float v) const;

    // Pixel column of a value on the painted scale.
    int pixelOf(float v) const;

signals:
    void OnChangeSP1(TCSchaltpunkt* sender);
    void OnChangeSP2(TCSchaltpunkt* sender);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void init(const Values& v);
    float CheckPos1Value(float v);
    float CheckPos2Value(float v);
    void scaleChanged();
    double clampToScale(double v) const;
    double snap(double v) const;
    double mouseScale() const;
    QLineEdit* makeField(const QFont& font);
    void ensureFields();
    void updateFields();
    void updateFieldVisibility();
    QRect fieldRect(const QString& text, bool first) const;

    bool m_constructing = true;
    bool m_visible = true;
    QPen m_pen;
    QFont m_font1;
    QFont m_font2;
    QColor m_color;
    float m_start = 0.0f;
    float m_stopp = 100.0f;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    float m_sp1 = 20.0f;
    float m_sp2 = 60.0f;
    float m_step = 1.0f;
    unsigned m_digits = 0;
    bool m_normOpen = true;
    bool m_window = false;
    bool m_analog = false;
    bool m_text = true;
    QString m_unit = QStringLiteral("mm");

    QPixmap m_arrowUp;
    QPixmap m_arrowDown;
    QPointer<QLineEdit> m_edit1;
    QPointer<QLineEdit> m_edit2;

    bool m_dragging = false;
    bool m_sp2Selected = false;
    bool m_windowDrag = false;
    double m_anchorX = 0.0;
    float m_anchorSp1 = 0.0f;
    float m_anchorSp2 = 0.0f;
};
