#include "Artwork.h"
#include "GuiTestEnvironment.h"

#include <QImage>

#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(ArtworkTest, NamedBitmapsHaveTheirSizesAndUnknownNamesGiveNothing) {
    const struct {
        const char* name;
        int w, h;
    } sizes[] = {{"PFEIL_UP", 9, 10},     {"PFEIL_DOWN", 9, 10}, {"TOP", 19, 20},
                 {"MIDDLE", 19, 16},      {"BOTTOM", 19, 20},    {"POS", 9, 19},
                 {"SAVE", 26, 15},        {"MARKER", 15, 15},    {"ZOOM_IN_Y", 15, 15},
                 {"ZOOM_OUT_Y", 15, 15},  {"ZOOM_IN_X", 15, 15}, {"ZOOM_OUT_X", 15, 15},
                 {"ALL", 15, 15},         {"GO", 16, 16},        {"STOP", 16, 16},
                 {"QEL", 48, 48},         {"QELBILD", 64, 48},   {"QELBILD1", 64, 48},
                 {"QELSENSING", 160, 48}, {"TOZYL", 20, 20},     {"FROMZYL", 20, 20}};
    for (const auto& s : sizes) {
        const QPixmap pm = Artwork::bitmap(QString::fromLatin1(s.name), 1.0);
        EXPECT_EQ(pm.size(), QSize(s.w, s.h)) << s.name;
        EXPECT_TRUE(Artwork::hasBitmap(QString::fromLatin1(s.name)));
        const QPixmap hi = Artwork::bitmap(QString::fromLatin1(s.name), 2.0);
        EXPECT_EQ(hi.size(), QSize(2 * s.w, 2 * s.h)) << s.name;
        EXPECT_EQ(hi.deviceIndependentSize().toSize(), QSize(s.w, s.h)) << s.name;
    }
    EXPECT_TRUE(Artwork::bitmap(QStringLiteral("NO_SUCH_PICTURE")).isNull());
    EXPECT_FALSE(Artwork::hasBitmap(QStringLiteral("pfeil_up")));
}

TEST(ArtworkTest, LedPicturesAreAllDifferent) {
    std::vector<QImage> leds;
    for (int i = 0; i < 8; ++i) {
        const QImage img = Artwork::bitmap(QStringLiteral("LED%1").arg(i), 1.0).toImage();
        ASSERT_FALSE(img.isNull()) << i;
        for (const QImage& other : leds)
            EXPECT_NE(img, other) << "LED" << i;
        leds.push_back(img);
    }
}

TEST(ArtworkTest, ArrowsPointTheWayTheirNameSays) {
    const QImage up = Artwork::bitmap(QStringLiteral("PFEIL_UP"), 1.0).toImage();
    const QImage down = Artwork::bitmap(QStringLiteral("PFEIL_DOWN"), 1.0).toImage();
    auto inked = [](const QImage& img, int row) {
        int n = 0;
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, row)) > 0;
        return n;
    };
    EXPECT_LT(inked(up, 0), inked(up, 4)); // tip on top, the head widest at its base
    EXPECT_LT(inked(down, 9), inked(down, 5));
    EXPECT_EQ(inked(up, 4), 9);
    EXPECT_EQ(inked(down, 5), 9);
    EXPECT_EQ(inked(up, 9), 3);
    EXPECT_EQ(inked(down, 0), 3);
}

TEST(ArtworkTest, CursorsAreDrawnAndUnknownOnesAreTheArrow) {
    for (const char* name : {"ZOOMINX", "ZOOMINY", "ZOOMOUTX", "ZOOMOUTY", "CRQ11", "CRQ12", "CRQ21", "CRQ22",
                             "CRQA20", "CRQA4"}) {
        const QCursor c = Artwork::cursor(QString::fromLatin1(name));
        EXPECT_EQ(c.shape(), Qt::BitmapCursor) << name;
        EXPECT_FALSE(c.pixmap().isNull()) << name;
    }
    EXPECT_NE(Artwork::cursor(QStringLiteral("CRQ11")).pixmap().toImage(),
              Artwork::cursor(QStringLiteral("CRQ12")).pixmap().toImage());
    EXPECT_EQ(Artwork::cursor(QStringLiteral("NOPE")).shape(), Qt::ArrowCursor);
}

} // namespace
