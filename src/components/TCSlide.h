#pragma once
// Image slider: a vertical slide of 2 to 20 labelled positions, like a multi-position switch.
// The slide is drawn from the pieces TOP, MIDDLE (one per inner position) and BOTTOM, the knob
// POS marks the selected position, and each position's label stands to the right of the slide
// (the selected one in SelectedFont). The control sizes itself to its pieces and labels.
//
// Mouse: a press selects the position under the pointer and raises OnChange (also without a
// change), dragging raises OnChange on every change, the release raises OnExit. Keyboard: Up,
// Down, Home, End move the knob like a click on the new position (OnChange, then OnExit).
#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include <optional>

class TCSlide : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPitch = 16;   // pixels between positions
    static constexpr int kFirstTop = 4; // top edge of position 0
    static constexpr int kKnobLeft = 5; // left edge of the knob
    static constexpr int kLabelGap = 5; // space between slide and labels

    // Start values. They are limited as if assigned after construction, Position before Steps
    // (so a Position of 12 becomes 9 even with 15 Steps).
    struct Values {
        int Steps = 10;
        int Position = 0;
        QStringList Beschriftung;
        std::optional<QFont> SelectedFont;
        std::optional<QFont> UnselectedFont;
    };

    explicit TCSlide(QWidget* parent = nullptr);
    TCSlide(const Values& initial, QWidget* parent = nullptr);
    ~TCSlide() override;

    int Position() const { return m_position; }
    void SetPosValue(int n); // from code: no event
    int Steps() const { return m_steps; }
    void SetStepValue(int n);
    QStringList Beschriftung() const { return m_labels; }
    void SetBeschriftung(const QStringList& labels);
    QFont SelectedFont() const { return m_selectedFont; }
    void SetFselected(const QFont& font);
    QFont UnselectedFont() const { return m_unselectedFont; }
    void SetFunselected(const QFont& font);

    int CheckStepValue(int n) const;
    int CheckPosValue(int n) const;
    // Position under a pointer row (only the vertical coordinate matters).
    int positionAt(int y) const;

    void LoadSlideBilder();
    void LoadPosBild();
    bool slideLoaded() const { return m_slideLoaded; }
    bool knobLoaded() const { return m_knobLoaded; }

    // Fits width (slide + widest label) and height (slide pieces) to the content.
    void SetWidth();

    QSize sizeHint() const override;

signals:
    void OnChange(TCSlide* sender);
    void OnExit(TCSlide* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void init(const Values& v);
    QSize contentSize() const;
    void relayout();

    QFont m_selectedFont;
    QFont m_unselectedFont;
    int m_position = 0;
    int m_steps = 10;
    QStringList m_labels;
    QPixmap m_top;
    QPixmap m_middle;
    QPixmap m_bottom;
    QPixmap m_knob;
    bool m_slideLoaded = false;
    bool m_knobLoaded = false;
    bool m_dragging = false;
};
