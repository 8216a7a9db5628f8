#pragma once
// Value editor: a signed distance in millimetres set with six vertical digit sliders, from
// hectometres down to millimetres, and an optional sign. The opener sets the value and how many
// places may change, runs the dialog and reads the value back after OK. Values stay below
// 260000 mm: the hectometre digit reaches 2 only while the decametre digit is at most 5.
#include <QDialog>

#include <array>

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

class TModifyValue : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPlaces = 6;

    explicit TModifyValue(QWidget* parent = nullptr);

    // Input before showing, the result after OK.
    void setValue(int value) { Value = value; }
    int value() const { return Value; }
    // Which places may change: 1 the millimetres only, 2 also centimetres, ... 6 all six,
    // 7 all six and the sign; 0 and anything above 7 none.
    void setDigitMode(int mode) { DigitMode = mode; }
    int digitMode() const { return DigitMode; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void digitChanged(int place);
    void VorzeichenClick();
    void OKBtnClick();
    void showSign();

    int Value = 0;
    int DigitMode = 0;
    int Sign = 1;
    std::array<int, kPlaces> Digits{};

    std::array<QSlider*, kPlaces> m_sliders{};
    std::array<QLabel*, kPlaces> m_digitTexts{};
    QToolButton* Vorzeichen;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
