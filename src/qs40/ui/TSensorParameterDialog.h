#pragma once
// The QS40 window's parameter list: the four switch points with their hystereses and the four
// limit parameters as plain numbers to type. The opener fills every row and limit, runs the
// dialog and, after OK, takes the numbers back; the dialog itself sends nothing.
//
// Rows beyond the opener's point count keep the text the opener wrote; the rows in use are
// rewritten when the dialog is shown, the hysteresis with its sign ("+300").
#include <QDialog>

#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

class TSensorParameterDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 4;
    // What a limit field gives back when its text is not a number.
    static constexpr std::int32_t kDefaultEN = 400;
    static constexpr std::int32_t kDefaultEF = 100;
    static constexpr std::int32_t kDefaultDT = 1800;
    static constexpr std::int32_t kDefaultND = 350;

    explicit TSensorParameterDialog(QWidget* parent = nullptr);

    // Filling, before the dialog is shown: rows 0..3 and the limits as decimal texts.
    void setRow(int row, std::int32_t switchL, std::int32_t switchH);
    void setLimits(std::int32_t en, std::int32_t ef, std::int32_t dt, std::int32_t nd);
    void setPointCount(int count) { m_pointCount = std::min(count, kRows); }

    // Reading back after OK: a row field that is not a number gives 0, a limit its default.
    std::int32_t switchL(int row) const;
    std::int32_t switchH(int row) const;
    std::int32_t limitEN() const;
    std::int32_t limitEF() const;
    std::int32_t limitDT() const;
    std::int32_t limitND() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void set_edits();
    void retranslateUi();

    int m_pointCount = kRows;
    std::array<std::int32_t, kRows> m_switchL{};
    std::array<std::int32_t, kRows> m_switchH{};
    std::array<QLineEdit*, kRows> m_switchEdits{};
    std::array<QLineEdit*, kRows> m_hystEdits{};
    QLineEdit* e_nah;
    QLineEdit* e_fern;
    QLineEdit* e_dist;
    QLineEdit* nahzone;
    QLabel* m_switchHead;
    QLabel* m_hystHead;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
