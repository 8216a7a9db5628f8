#include "TCSlide.h"
#include "Artwork.h"
#include "GuiTestEnvironment.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct TCSlideTest : ::testing::Test {
    TCSlideTest() {
        slide = std::make_unique<TCSlide>();
        QObject::connect(slide.get(), &TCSlide::OnChange, [this] { events.push_back("change"); });
        QObject::connect(slide.get(), &TCSlide::OnExit, [this] { events.push_back("exit"); });
    }
    void press(int y) { QTest::mousePress(slide.get(), Qt::LeftButton, {}, QPoint(10, y)); }
    void release(int y) { QTest::mouseRelease(slide.get(), Qt::LeftButton, {}, QPoint(10, y)); }
    void dragTo(int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(10, y), slide->mapToGlobal(QPointF(10, y)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slide.get(), &move);
    }
    // Does the knob bitmap sit in the band of position p?
    bool knobAt(const QImage& img, int p) const {
        const QImage knob = Artwork::bitmap(QStringLiteral("POS"), 1.0).toImage();
        for (int j = 0; j < knob.height(); ++j)
            for (int i = 0; i < knob.width(); ++i)
                if (qAlpha(knob.pixel(i, j)) == 255 && img.pixel(5 + i, 4 + 16 * p + j) != knob.pixel(i, j))
                    return false;
        return true;
    }
    QImage render() const {
        QImage img(slide->size(), QImage::Format_ARGB32);
        img.fill(Qt::white);
        slide->render(&img, QPoint(), QRegion(), QWidget::DrawChildren); // no window background
        return img;
    }
    std::unique_ptr<TCSlide> slide;
    std::vector<std::string> events;
};

TEST_F(TCSlideTest, StepsAndPositionAreKeptInRange) {
    EXPECT_EQ(slide->Steps(), 10);
    for (auto [asked, kept] : {std::pair{1, 2}, {25, 20}}) {
        slide->SetStepValue(asked);
        EXPECT_EQ(slide->Steps(), kept);
    }
    slide->SetPosValue(-1);
    EXPECT_EQ(slide->Position(), 0);
    slide->SetPosValue(7); // limited by the 20 positions, not yet by 4
    EXPECT_EQ(slide->Position(), 7);
    slide->SetStepValue(4); // lowering the steps drags the position along
    EXPECT_EQ(slide->Position(), 3);
    slide->SetPosValue(7);
    EXPECT_EQ(slide->Position(), 3);
    EXPECT_TRUE(events.empty()); // assignments from code raise nothing
}

TEST(TCSlideConstructionTest, StartValuesAreCheckedInTheOrderAStoredFormGivesThem) {
    // The position comes before the steps, so it is first limited by the ten default positions.
    const std::pair<TCSlide::Values, std::pair<int, int>> cases[] = {
        {{.Steps = 25, .Position = -1}, {20, 0}},
        {{.Steps = 1, .Position = 1}, {2, 1}},
        {{.Steps = 4, .Position = 7}, {4, 3}},
        {{.Steps = 15, .Position = 12}, {15, 9}},
    };
    for (const auto& [values, expected] : cases) {
        const TCSlide slide(values);
        EXPECT_EQ(std::make_pair(slide.Steps(), slide.Position()), expected)
            << values.Steps << "/" << values.Position;
    }
}

TEST_F(TCSlideTest, HeightFollowsTheNumberOfPositions) {
    const std::pair<int, int> cases[] = {{2, 40}, {4, 72}, {10, 168}};
    for (auto [steps, height] : cases) {
        slide->SetStepValue(steps);
        EXPECT_EQ(slide->height(), height) << steps << " positions";
    }
}

TEST_F(TCSlideTest, PressSelectsThePositionUnderThePointerAndAlwaysRaisesOnChange) {
    slide->SetStepValue(4);
    const std::pair<int, int> cases[] = {{3, 0}, {20, 1}, {35, 1}, {71, 3}}; // 71: below the last band
    for (auto [y, position] : cases) {
        press(y);
        EXPECT_EQ(slide->Position(), position) << "at y " << y;
        release(y);
    }
    EXPECT_EQ(events.size(), 8u);
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(events[i], i % 2 ? "exit" : "change") << i;
}

TEST_F(TCSlideTest, DragRaisesOnChangeOnlyWhenThePositionChangesAndReleaseRaisesOneOnExit) {
    slide->SetStepValue(4);
    press(5);
    dragTo(12);
    dragTo(19); // still band 0
    dragTo(40); // band 2
    dragTo(45);
    release(45);
    dragTo(60); // not dragging any more
    EXPECT_EQ(slide->Position(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"change", "change", "exit"}));
    QTest::mousePress(slide.get(), Qt::RightButton, {}, QPoint(10, 60));
    QTest::mouseRelease(slide.get(), Qt::RightButton, {}, QPoint(10, 60));
    EXPECT_EQ(slide->Position(), 2);
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(TCSlideTest, KeysMoveTheKnobLikeAClickAndStopAtTheEnds) {
    slide->SetStepValue(3);
    QTest::keyClick(slide.get(), Qt::Key_Down);
    EXPECT_EQ(slide->Position(), 1);
    QTest::keyClick(slide.get(), Qt::Key_End);
    EXPECT_EQ(slide->Position(), 2);
    QTest::keyClick(slide.get(), Qt::Key_Down); // already at the end
    EXPECT_EQ(events, (std::vector<std::string>{"change", "exit", "change", "exit"}));
}

TEST_F(TCSlideTest, WidthFollowsTheWidestLabelShownInItsFont) {
    const QStringList labels{QStringLiteral("a"), QStringLiteral("Schaltfenster"), QStringLiteral("bc"),
                             QStringLiteral("this label has no position")};
    slide->SetStepValue(3);
    slide->SetBeschriftung(labels);
    const QFont plain = slide->UnselectedFont();
    auto width = [&](const QFont& font, int label) {
        return QFontMetrics(font).horizontalAdvance(labels[label]);
    };
    EXPECT_EQ(slide->width(), 19 + width(plain, 1) + 5);
    QFont bold = plain;
    bold.setBold(true);
    bold.setPointSize(plain.pointSize() + 4);
    slide->SetFselected(bold);
    slide->SetPosValue(1);
    EXPECT_EQ(slide->width(), 19 + width(bold, 1) + 5);
    slide->SetPosValue(0); // the wide label is plain again
    EXPECT_EQ(slide->width(), 19 + std::max(width(plain, 1), width(bold, 0)) + 5);
    slide->SetBeschriftung({});
    EXPECT_EQ(slide->width(), 19);
}

TEST_F(TCSlideTest, KnobIsDrawnInTheBandOfTheSelectedPositionOnly) {
    slide->SetStepValue(4);
    slide->SetPosValue(2);
    const QImage img = render();
    EXPECT_TRUE(knobAt(img, 2));
    EXPECT_FALSE(knobAt(img, 1));
    EXPECT_FALSE(knobAt(img, 3));
    press(6);
    EXPECT_TRUE(knobAt(render(), 0));
}

TEST_F(TCSlideTest, LabelsAreWrittenRightOfTheSlideOnePitchApart) {
    slide->SetStepValue(2);
    slide->SetBeschriftung({QStringLiteral("IIII"), QStringLiteral("IIII")});
    const QImage img = render();
    auto inkInRows = [&](int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = 24; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    const int textHeight = QFontMetrics(slide->UnselectedFont()).height();
    EXPECT_TRUE(inkInRows(4, 4 + textHeight) && inkInRows(20, 20 + textHeight));
    EXPECT_FALSE(inkInRows(0, 4)); // nothing above the first label
    for (int y = 0; y < img.height(); ++y)
        for (int x = 19; x < 24; ++x)
            ASSERT_EQ(img.pixel(x, y), qRgb(255, 255, 255))
                << "gap between slide and labels at " << x << "," << y;
}

} // namespace
