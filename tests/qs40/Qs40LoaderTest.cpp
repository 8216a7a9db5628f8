// Firmware download into the simulated loader, and the update sequence around it.
#include "Qs40Loader.h"
#include "Qs40TextFixture.h"
#include "SRecordText.h"

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Counts the loader commands the sensor received: "B", "-" and "D" pages.
struct LoaderCommands {
    int blank = 0, skips = 0, pages = 0;
    std::vector<std::string> other;
};
LoaderCommands loaderCommands(const std::vector<std::vector<std::uint8_t>>& frames) {
    LoaderCommands c;
    for (const auto& f : frames) {
        if (f == std::vector<std::uint8_t>{'B'})
            ++c.blank;
        else if (f == std::vector<std::uint8_t>{'-'})
            ++c.skips;
        else if (f.size() == 257 && f[0] == 'D')
            ++c.pages;
        else
            c.other.emplace_back(f.begin(), f.end());
    }
    return c;
}

bool contains(const std::vector<std::string>& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

} // namespace

class Qs40LoaderTest : public Qs40TextFixture {
protected:
    Qs40DownloadResult download(const std::string& file) {
        return Qs40DownloadImage(
            ctx, kQs40SensorType, ReadSRecordImage(bytesOf(file)),
            [this](std::size_t done, std::size_t pages) { told.emplace_back(done, pages); });
    }
    std::vector<std::pair<std::size_t, std::size_t>> told; // what the page callback was told
    // The sensor's flash from 0xC0000 + offset.
    std::vector<std::uint8_t> flash(std::size_t offset, std::size_t count) const {
        const auto& f = sensor->flash();
        return {f.begin() + std::ptrdiff_t(offset), f.begin() + std::ptrdiff_t(offset + count)};
    }
};

TEST_F(Qs40LoaderTest, ImagesArriveInTheLoaderByteForByte) {
    struct Case {
        const char* name;
        std::size_t length; // from 0xC0000
        int skips, pages;
    };
    // Page 257 is the first above 0xD0000; a last, incomplete page is padded and sent.
    const Case cases[] = {
        {"page aligned", 260 * 256, 256, 4},
        {"last page incomplete", 258 * 256 + 17, 256, 3},
        {"all below 0xD0000", 200 * 256 + 5, 201, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        connectSensor();
        const std::vector<std::uint8_t> image = PatternBytes(c.length);
        const LineSettings before = line->settings();
        const Timeouts timeoutsBefore = line->timeouts();
        ASSERT_EQ(download(SRecordFile({{0xC0000, image}})), Qs40DownloadResult::Done);
        const LoaderCommands sent = loaderCommands(sensor->frames());
        EXPECT_EQ(sent.other, std::vector<std::string>{"UPF48217"});
        EXPECT_EQ(sent.blank, 1);
        EXPECT_EQ(sent.skips, c.skips);
        EXPECT_EQ(sent.pages, c.pages);
        // After every page the loader took.
        const std::size_t pages = std::size_t(c.skips + c.pages);
        ASSERT_EQ(told.size(), pages);
        for (std::size_t i = 0; i < pages; ++i)
            EXPECT_EQ(told[i], std::pair(i + 1, pages));
        told.clear();
        if (c.length > 256 * 256) {
            EXPECT_EQ(flash(256 * 256, c.length - 256 * 256),
                      std::vector<std::uint8_t>(image.begin() + 256 * 256, image.end()));
        }
        EXPECT_EQ(flash(c.length, 1)[0], 0xFF);
        EXPECT_EQ(flash(0, 1)[0], 0xFF); // the loader's own pages stay untouched
        EXPECT_EQ(line->settings(), before);
        EXPECT_EQ(line->timeouts(), timeoutsBefore);
        ports.ClosePort(kCom);
    }
}

TEST_F(Qs40LoaderTest, GapPagesOfOnlyFillerAreSkipped) {
    connectSensor();
    // Data in page 257 and 260; 258 is completed by filler only, 259 too.
    const std::uint32_t page257 = 0xC0000 + 256 * 256;
    const std::vector<std::uint8_t> head = PatternBytes(256), tail = PatternBytes(256, 9);
    ASSERT_EQ(download(SRecordFile({{page257, head}, {page257 + 3 * 256, tail}})), Qs40DownloadResult::Done);
    const LoaderCommands sent = loaderCommands(sensor->frames());
    EXPECT_EQ(sent.skips, 256 + 2);
    EXPECT_EQ(sent.pages, 2);
    EXPECT_EQ(flash(256 * 256 + 3 * 256, 256), tail);
}

TEST_F(Qs40LoaderTest, ASilentLoaderIsNoAnswerAndThePortIsRestored) {
    connect(scripted); // knows nothing of "UPF": the loader never starts
    const LineSettings before = line->settings();
    EXPECT_EQ(download(SRecordFile({{0xD0000, PatternBytes(10)}})), Qs40DownloadResult::NoAnswer);
    EXPECT_EQ(line->settings(), before);
    EXPECT_EQ(line->written().back(), 'B');
}

TEST_F(Qs40LoaderTest, BadImagesEndTheUpdateWith44BeforeAnythingIsSent) {
    const std::string good = SRecordFile({{0xD0000, PatternBytes(10)}});
    struct Case {
        const char* name;
        std::optional<std::string> file;
        Qs40DownloadResult download;
    };
    const Case cases[] = {
        {"cannot be opened", std::nullopt, Qs40DownloadResult::NotOpened},
        {"first record not S0", good.substr(good.find('\n') + 1), Qs40DownloadResult::FormatError},
        {"bad checksum", SRecordLine(0, 0, {}) + "S3090000D0000000000000\r\n",
         Qs40DownloadResult::FormatError},
        {"more than 1025 pages", SRecordFile({{0xC0000 + 1025 * 256, {1}}}), Qs40DownloadResult::TooLarge},
    };
    connectSensor();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = c.file ? std::optional(bytesOf(*c.file)) : std::nullopt;
        const Qs40UpdateResult r = Qs40FirmwareUpdate(ctx, kQs40SensorType, file, true);
        EXPECT_EQ(r.code, 44);
        EXPECT_EQ(r.download, c.download);
        EXPECT_TRUE(line->written().empty());
        EXPECT_FALSE(sensor->inLoader());
    }
}

TEST_F(Qs40LoaderTest, UpdateKeepsEverythingTheSensorHeld) {
    connectSensor();
    SimQs40TextSensor::Values mine = sensor->values();
    mine.switchL = {0, 1111, 2222, 3333, 4444};
    mine.switchH = {0, 101, 202, 303, 404};
    mine.limitEN = 250;
    mine.limitND = 123;
    mine.paramNR = 8;
    mine.paramTC = 31;
    mine.paramTO = 400;
    for (std::size_t k = 0; k < 256; ++k)
        mine.curve[k] = std::int32_t(5000 - k);
    sensor->values() = mine;
    // What the program holds after a search: the window's defaults, not the sensor's limits.
    params.LimitEN = 180;
    params.LimitEF = 100;
    params.LimitDT = 2800;
    params.LimitND = 350;
    const std::vector<std::uint8_t> image = PatternBytes(300 * 256);
    const std::string file = SRecordFile({{0xC0000, image}});
    const Qs40UpdateResult r = Qs40FirmwareUpdate(ctx, kQs40SensorType, bytesOf(file), false);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.download, Qs40DownloadResult::Done);
    EXPECT_EQ(sensor->storedValues(), mine);
    EXPECT_EQ(sensor->values(), mine);
    EXPECT_EQ(flash(256 * 256, 44 * 256), std::vector<std::uint8_t>(image.begin() + 256 * 256, image.end()));
    EXPECT_EQ(sensor->restarts(), 2);
}

TEST_F(Qs40LoaderTest, ReducedUpdateLeavesSwitchPointsAndLimitsAlone) {
    connectSensor();
    const std::string file = SRecordFile({{0xD0000, PatternBytes(512)}});
    ASSERT_EQ(Qs40FirmwareUpdate(ctx, kQs40SensorType, bytesOf(file), true).code, 0);
    const std::vector<std::string> sent = frames();
    for (const char* prefix :
         {"GH", "GL", "IH", "IL", "GEN", "GEF", "GDT", "GND", "IEN", "IEF", "IDT", "IND"})
        for (const std::string& f : sent)
            EXPECT_FALSE(f.starts_with(prefix)) << f;
    EXPECT_TRUE(contains(sent, "INR4"));
    EXPECT_TRUE(contains(sent, "WPP"));
    // The new firmware starts with factory values; the reduced update brings back the settings
    // and the table, but not the switch points.
    EXPECT_EQ(sensor->storedValues(), SimQs40TextSensor::factoryValues());
}

TEST_F(Qs40LoaderTest, ARefusedUnlockStopsTheUpdateBeforeTheLoader) {
    connect(scripted);
    scripted.replies = {{"GH1", "1\n"},    {"GL1", "1000\n"}, {"GH2", "1\n"},
                        {"GL2", "1000\n"}, {"GH3", "1\n"},    {"GL3", "1000\n"},
                        {"GH4", "1\n"},    {"GL4", "1000\n"}, {"es!48217", "\x15"}};
    const std::string file = SRecordFile({{0xD0000, PatternBytes(10)}});
    EXPECT_EQ(Qs40FirmwareUpdate(ctx, kQs40SensorType, bytesOf(file), false).code, 2);
    EXPECT_EQ(scripted.requests.back(), "es!48217");
    EXPECT_EQ(Qs40FirmwareUpdate(ctx, 12, bytesOf(file), false).code, 1);
}
