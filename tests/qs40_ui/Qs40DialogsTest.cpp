#include "TModifyValue.h"
#include "TSensorParameterDialog.h"

#include "GuiTestEnvironment.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <typename T> T* child(QWidget& parent, const char* name) {
    T* w = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Runs the dialog; `user` acts once it is shown and ends it.
int runDialog(QDialog& dialog, const std::function<void()>& user) {
    QTimer::singleShot(0, &dialog, user);
    return dialog.exec();
}

QString digitsOf(TModifyValue& dialog) {
    QString out;
    for (const char* name :
         {"SThektometer", "STdekameter", "STmeter", "STdezimeter", "STcentimeter", "STmillimeter"})
        out += child<QLabel>(dialog, name)->text();
    return out;
}

} // namespace

TEST(TModifyValueTest, ShowsSignAndDigitsAndReturnsTheValueUnchanged) {
    TModifyValue dialog;
    dialog.setValue(-1234);
    dialog.setDigitMode(7);
    const int result = runDialog(dialog, [&] {
        EXPECT_EQ(child<QToolButton>(dialog, "Vorzeichen")->text(), "-");
        EXPECT_EQ(digitsOf(dialog), "001234");
        child<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.value(), -1234);
}

TEST(TModifyValueTest, SignChangesOnlyInModeSeven) {
    for (int mode : {6, 7}) {
        TModifyValue dialog;
        dialog.setValue(250);
        dialog.setDigitMode(mode);
        runDialog(dialog, [&] {
            child<QToolButton>(dialog, "Vorzeichen")->click();
            child<QPushButton>(dialog, "OKBtn")->click();
        });
        EXPECT_EQ(dialog.value(), mode == 7 ? -250 : 250) << mode;
    }
}

TEST(TModifyValueTest, DigitModeEnablesTheLowestPlaces) {
    TModifyValue dialog;
    dialog.setValue(123456);
    dialog.setDigitMode(3);
    runDialog(dialog, [&] {
        EXPECT_FALSE(child<QSlider>(dialog, "TBmeter")->isEnabled());
        EXPECT_TRUE(child<QSlider>(dialog, "TBdezimeter")->isEnabled());
        child<QSlider>(dialog, "TBmillimeter")->setValue(9);
        child<QSlider>(dialog, "TBdezimeter")->setValue(0);
        EXPECT_EQ(digitsOf(dialog), "123059");
        child<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(dialog.value(), 123059);

    // Beyond what the sliders show, an untouched high part comes back as it was.
    dialog.setValue(1234567);
    runDialog(dialog, [&] { child<QPushButton>(dialog, "OKBtn")->click(); });
    EXPECT_EQ(dialog.value(), 1234567);
}

TEST(TModifyValueTest, StaysBelow260000AndCancelKeepsTheValue) {
    TModifyValue dialog;
    dialog.setValue(160000);
    dialog.setDigitMode(6);
    const int result = runDialog(dialog, [&] {
        auto* hm = child<QSlider>(dialog, "TBhektometer");
        auto* dam = child<QSlider>(dialog, "TBdekameter");
        hm->setValue(2); // decametre digit 6: refused
        EXPECT_EQ(hm->value(), 1);
        EXPECT_EQ(child<QLabel>(dialog, "SThektometer")->text(), "1");
        dam->setValue(5);
        hm->setValue(2);
        dam->setValue(9); // hectometre digit 2: refused
        EXPECT_EQ(digitsOf(dialog), "250000");
        child<QPushButton>(dialog, "CancelBtn")->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.value(), 160000);
}

TEST(TSensorParameterDialogTest, RowsInUseAreRewrittenWithTheirSign) {
    TSensorParameterDialog dialog;
    for (int i = 0; i < 4; ++i)
        dialog.setRow(i, 1000 * (i + 1), 300);
    dialog.setLimits(180, 100, 2800, 350);
    dialog.setPointCount(2);
    runDialog(dialog, [&] {
        EXPECT_EQ(child<QLineEdit>(dialog, "signaloffedit")->text(), "+300");
        EXPECT_EQ(child<QLineEdit>(dialog, "signaloffedit2")->text(), "+300");
        EXPECT_EQ(child<QLineEdit>(dialog, "signaloffedit3")->text(), "300"); // as the opener wrote it
        EXPECT_EQ(child<QLineEdit>(dialog, "signalonedit4")->text(), "4000");
        child<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(dialog.switchH(0), 300);
    EXPECT_EQ(dialog.switchH(2), 300);
    EXPECT_EQ(dialog.switchL(3), 4000);
    EXPECT_EQ(dialog.limitDT(), 2800);
}

TEST(TSensorParameterDialogTest, TextsThatAreNoNumbersGiveZeroOrTheLimitDefaults) {
    TSensorParameterDialog dialog;
    dialog.setRow(0, 2000, 300);
    dialog.setLimits(180, 120, 2800, 300);
    runDialog(dialog, [&] {
        child<QLineEdit>(dialog, "signalonedit")->clear();
        child<QLineEdit>(dialog, "signaloffedit")->setText("-50");
        for (const char* name : {"e_nah", "e_fern", "e_dist", "nahzone"})
            child<QLineEdit>(dialog, name)->clear();
        child<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(dialog.switchL(0), 0);
    EXPECT_EQ(dialog.switchH(0), -50);
    EXPECT_EQ(dialog.limitEN(), 400);
    EXPECT_EQ(dialog.limitEF(), 100);
    EXPECT_EQ(dialog.limitDT(), 1800);
    EXPECT_EQ(dialog.limitND(), 350);
}
