#include "TModifyValue.h"

#include "DialogButtons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

constexpr int kHectometre = 0;
constexpr int kDecametre = 1;
constexpr const char* kSliderNames[] = {"TBhektometer", "TBdekameter",  "TBmeter",
                                        "TBdezimeter",  "TBcentimeter", "TBmillimeter"};
constexpr const char* kTextNames[] = {"SThektometer", "STdekameter",  "STmeter",
                                      "STdezimeter",  "STcentimeter", "STmillimeter"};
constexpr const char* kUnits[] = {"hm", "dam", "m", "dm", "cm", "mm"};

} // namespace

TModifyValue::TModifyValue(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ModifyValue"));
    setWindowTitle(QStringLiteral("Dialog"));

    auto* grid = new QGridLayout;
    Vorzeichen = new QToolButton(this);
    Vorzeichen->setObjectName(QStringLiteral("Vorzeichen"));
    Vorzeichen->setAutoRaise(true);
    QFont big = Vorzeichen->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    Vorzeichen->setFont(big);
    grid->addWidget(Vorzeichen, 1, 0, Qt::AlignCenter);
    connect(Vorzeichen, &QToolButton::clicked, this, &TModifyValue::VorzeichenClick);

    for (int i = 0; i < kPlaces; ++i) {
        auto* text = new QLabel(this);
        text->setObjectName(QLatin1String(kTextNames[i]));
        text->setFont(big);
        text->setAlignment(Qt::AlignCenter);
        auto* slider = new QSlider(Qt::Vertical, this);
        slider->setObjectName(QLatin1String(kSliderNames[i]));
        // The top of a slider is its highest digit.
        slider->setRange(0, i == kHectometre ? 2 : 9);
        slider->setPageStep(1);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(1);
        slider->setMinimumHeight(150);
        auto* unit = new QLabel(QLatin1String(kUnits[i]), this);
        unit->setAlignment(Qt::AlignCenter);
        grid->addWidget(text, 0, i + 1);
        grid->addWidget(slider, 1, i + 1, Qt::AlignHCenter);
        grid->addWidget(unit, 2, i + 1);
        m_sliders[static_cast<std::size_t>(i)] = slider;
        m_digitTexts[static_cast<std::size_t>(i)] = text;
        connect(slider, &QSlider::valueChanged, this, [this, i] { digitChanged(i); });
    }

    const DialogButtons dialogButtons = makeDialogButtons(this, QStringLiteral("Abbrechen"), false);
    OKBtn = dialogButtons.ok;
    CancelBtn = dialogButtons.cancel;
    connect(OKBtn, &QPushButton::clicked, this, &TModifyValue::OKBtnClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void TModifyValue::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TModifyValue::FormShow() {
    const int enabledFrom = DigitMode >= 1 && DigitMode <= 6 ? kPlaces - DigitMode
                            : DigitMode == 7                 ? 0
                                                             : kPlaces;
    for (int i = 0; i < kPlaces; ++i)
        m_sliders[static_cast<std::size_t>(i)]->setEnabled(i >= enabledFrom);
    Vorzeichen->setCursor(DigitMode == 7 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    Vorzeichen->setFocusPolicy(DigitMode == 7 ? Qt::StrongFocus : Qt::NoFocus);
    Sign = Value >= 0 ? 1 : -1;
    showSign();
    // In 64 bits, so that the most negative int has an absolute value too. A value beyond the
    // sliders keeps its high part in the hectometre place: untouched, it comes back unchanged.
    long long rest = Value >= 0 ? static_cast<long long>(Value) : -static_cast<long long>(Value);
    for (int i = kPlaces - 1; i > kHectometre; --i) {
        Digits[static_cast<std::size_t>(i)] = static_cast<int>(rest % 10);
        rest /= 10;
    }
    Digits[kHectometre] = static_cast<int>(rest);
    for (int i = 0; i < kPlaces; ++i) {
        const auto p = static_cast<std::size_t>(i);
        QSignalBlocker block(m_sliders[p]);
        m_sliders[p]->setValue(Digits[p]);
        m_digitTexts[p]->setText(QString::number(Digits[p]));
    }
}

void TModifyValue::digitChanged(int place) {
    const auto p = static_cast<std::size_t>(place);
    const int digit = m_sliders[p]->value();
    const bool tooLarge = (place == kHectometre && digit == 2 && Digits[kDecametre] > 5) ||
                          (place == kDecametre && digit > 5 && Digits[kHectometre] == 2);
    if (tooLarge) {
        QSignalBlocker block(m_sliders[p]);
        m_sliders[p]->setValue(Digits[p]);
        return;
    }
    Digits[p] = digit;
    m_digitTexts[p]->setText(QString::number(digit));
}

void TModifyValue::VorzeichenClick() {
    if (DigitMode != 7)
        return;
    Sign = -Sign;
    showSign();
}

void TModifyValue::showSign() {
    Vorzeichen->setText(Sign < 0 ? QStringLiteral("-") : QStringLiteral("+"));
}

void TModifyValue::OKBtnClick() {
    long long absolute = 0;
    for (int d : Digits)
        absolute = absolute * 10 + d;
    Value = static_cast<int>(std::clamp<long long>(absolute * Sign, INT_MIN, INT_MAX));
    accept();
}
