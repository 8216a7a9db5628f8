#include "Qs40FormDrawing.h"

#include "GuiTestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <array>

namespace {

struct DrawingTest : ::testing::Test {
    Qs40DrawingGeometry geometry;
    std::array<std::int32_t, 4> switchL{2000, 2000, 2000, 2000};
    std::array<std::int32_t, 4> switchH{300, 300, 300, 300};
    bool common = false;
    Qs40FormDrawing panel{geometry, switchL, switchH, common};

    DrawingTest() {
        panel.setInitialised(true);
        panel.SetButtons();
        panel.zeichne_all();
        panel.show();
    }
    QLineEdit* edit(const char* name) { return panel.findChild<QLineEdit*>(QLatin1String(name)); }
    void mouse(QEvent::Type type, QPoint at) {
        QMouseEvent e(type, at, panel.mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&panel, &e);
    }
    QRgb pixel(QPoint at) { return panel.grab().toImage().pixel(at); }
};

} // namespace

TEST_F(DrawingTest, TypingStoresAtOnceAndLeavingTheFieldRedraws) {
    QLineEdit* distance = edit("signalonedit2");
    ASSERT_NE(distance, nullptr);
    EXPECT_EQ(distance->text(), "2000mm");
    const int leftBefore = distance->x();
    distance->setFocus();
    distance->selectAll();
    QTest::keyClicks(distance, "5900");
    EXPECT_EQ(switchL[1], 5900);
    EXPECT_EQ(distance->x(), leftBefore);      // the drawing waits for the field to be left
    QTest::keyClick(distance, Qt::Key_Return); // leaves the field as far as the window is concerned
    EXPECT_EQ(switchL[1], 5700); // limited by the redraw: the switch-off point must stay in range
    EXPECT_EQ(distance->text(), "5700mm");
    EXPECT_EQ(distance->x(), geometry.distanceFieldLeft(5700, distance->width()));

    QLineEdit* hyst = edit("signaloffedit3");
    hyst->setText("+  50mm");
    emit hyst->textEdited(hyst->text());
    EXPECT_EQ(switchH[2], 50);
    emit hyst->editingFinished();
    EXPECT_EQ(switchH[2], 100);
    EXPECT_EQ(hyst->text(), "+100mm");
}

TEST_F(DrawingTest, DraggingAMarkerChangesItsValue) {
    mouse(QEvent::MouseButtonPress, {226, 200}); // row 3's switch-off marker
    mouse(QEvent::MouseMove, {300, 205});
    mouse(QEvent::MouseButtonRelease, {300, 205});
    EXPECT_EQ(switchH, (std::array<std::int32_t, 4>{300, 300, 1212, 300}));
    EXPECT_EQ(edit("signaloffedit3")->text(), "+1212mm");
    mouse(QEvent::MouseMove, {400, 205}); // released: nothing moves
    EXPECT_EQ(switchH[2], 1212);

    common = true; // one hysteresis for all points
    mouse(QEvent::MouseButtonPress, {226, 120});
    mouse(QEvent::MouseMove, {300, 120});
    EXPECT_EQ(switchH, (std::array<std::int32_t, 4>{1212, 1212, 1212, 1212}));
}

TEST_F(DrawingTest, PaintsRowsAndBeamOnceInitialised) {
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(pixel({100, 110}), black);              // row 1 active up to 2000 mm
    EXPECT_EQ(pixel({400, 130}), black);              // and low beyond it
    EXPECT_EQ(pixel({300, 71}), qRgb(192, 192, 192)); // inside the beam
    EXPECT_EQ(pixel({202, 122}), black);              // the switching marker
    panel.setInitialised(false);
    EXPECT_NE(pixel({100, 110}), black);
}
