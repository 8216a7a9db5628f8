#pragma once
// One frame byte as a row of eight cells holding "1" or "0", most significant bit on the left,
// as the simulation window shows it.
#include <QColor>
#include <QWidget>

#include <cstdint>

class SimBitRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCells = 8;

    explicit SimBitRow(const QColor& cellColor, QWidget* parent = nullptr);

    void setValue(std::uint8_t value);
    std::uint8_t value() const { return m_value; }
    // The text of cell 0..7: cell 0 is bit 7.
    QString cellText(int cell) const;
    // All eight cells, "01011001" for 0x59.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int cellWidth() const;
    int cellHeight() const;

    QColor m_cellColor;
    std::uint8_t m_value = 0;
};
