#include "SpiFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

namespace {

SpiFile::Values sample() {
    SpiFile::Values v;
    v.sensorType = 12;
    v.switchL = {1500, 2000, 4321, 0};
    v.switchH = {100, 300, 250, 6000};
    v.limitEN = 180;
    v.limitEF = -100;
    v.limitDT = 2800;
    v.limitND = 350;
    return v;
}

std::string completePoints() {
    return "SP1: 1mm\r\nHY1: 2mm\r\nSP2: 3mm\r\nHY2: 4mm\r\nSP3: 5mm\r\nHY3: 6mm\r\nSP4: 7mm\r\nHY4: 8mm\r\n";
}

} // namespace

TEST(SpiFileTest, WritesThirteenLinesAndReadsThemBack) {
    const std::string text = SpiFile::serialize(sample());
    EXPECT_EQ(text, "SensorTyp: 12\r\nSP1: 1500mm\r\nHY1: 100mm\r\nSP2: 2000mm\r\nHY2: 300mm\r\n"
                    "SP3: 4321mm\r\nHY3: 250mm\r\nSP4: 0mm\r\nHY4: 6000mm\r\nEn: 180\r\nEf: -100\r\n"
                    "Ed: 2800\r\nNz: 350\r\n");
    const auto parsed = SpiFile::parse(text);
    ASSERT_TRUE(parsed.complete());
    EXPECT_EQ(parsed.sensorType, 12);
    SpiFile::Values back;
    back.sensorType = 12;
    parsed.applyTo(back);
    EXPECT_EQ(back, sample());
}

TEST(SpiFileTest, ReadsLinesTheWayScanfDoes) {
    struct Case {
        std::string line;
        std::optional<std::int32_t> switchL1;
    } cases[] = {
        {"SP1: 2000mm\r\n", 2000},
        {"SP1:2000\n", 2000},         // no blank, no unit, a bare LF
        {"SP 1:\t 2000mm\r\n", 2000}, // a number skips white space before it
        {"SP1: 0300mm\r\n", 192},     // octal
        {"SP1: 0x1F4mm\r\n", 500},    // hexadecimal
        {"SP1: 08mm\r\n", 0},         // octal "0", then the rest is ignored
        {"SP1: -5mm\r\n", -5},
        {"sp1: 2000mm\r\n", std::nullopt},  // literals are case-sensitive
        {" SP1: 2000mm\r\n", std::nullopt}, // and start at the first character
        {"SP1 : 2000mm\r\n", std::nullopt},
        {"SP1: mm\r\n", std::nullopt},
        {"SP1: 99999999999mm\r\n", std::nullopt}, // does not fit: not taken
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpiFile::parse(c.line).switchL[0], c.switchL1) << c.line;
}

TEST(SpiFileTest, FirstMatchingLineWinsInAnyOrder) {
    const auto parsed =
        SpiFile::parse("Nz: 7\r\nHY4: 8mm\r\nSP2: 9mm\r\nSP2: 10mm\r\nEn: 0x10\r\nSensorTyp: 7\r\n"
                       "SensorTyp: 12\r\nSP9: 1mm\r\n");
    EXPECT_EQ(parsed.sensorType, 7);
    EXPECT_EQ(parsed.switchL[1], 9);
    EXPECT_EQ(parsed.switchH[3], 8);
    EXPECT_EQ(parsed.limitND, 7);
    EXPECT_EQ(parsed.limitEN, 16);
    EXPECT_FALSE(parsed.limitEF.has_value());
    EXPECT_EQ(parsed.matchCount(), 2);

    SpiFile::Values values = sample();
    parsed.applyTo(values); // only what the file carries changes
    EXPECT_EQ(values.switchL, (std::array<std::int32_t, 4>{1500, 9, 4321, 0}));
    EXPECT_EQ(values.limitEF, -100);
    EXPECT_EQ(values.limitND, 7);
}

TEST(SpiFileTest, ATypeNumberIsKeptWholeSoThatItCanBeRefused) {
    EXPECT_EQ(SpiFile::parse("SensorTyp: 263\r\n").sensorType, 263); // not cut to 7
    EXPECT_EQ(SpiFile::parse("SensorTyp: 99999999999\r\n").sensorType, 99999999999);
    EXPECT_FALSE(SpiFile::parse("Sensortyp: 7\r\n").sensorType.has_value());
}

TEST(SpiFileTest, OnlyLinesEndedByALineFeedAndOnlyTheFirst24Count) {
    // A last line without its line feed is lost.
    std::string text = completePoints();
    text.resize(text.size() - 2);
    EXPECT_EQ(SpiFile::parse(text).matchCount(), 7);
    EXPECT_EQ(SpiFile::parse(text + "\n").matchCount(), 8);

    std::string filler;
    for (int i = 0; i < 16; ++i)
        filler += "comment\r\n";
    EXPECT_EQ(SpiFile::parse(filler + completePoints()).matchCount(), 8);         // lines 17..24
    EXPECT_EQ(SpiFile::parse("x\n" + filler + completePoints()).matchCount(), 7); // HY4 is line 25
}

TEST(SpiFileTest, AnOverlongLineIsCutWithoutDisturbingTheOthers) {
    const std::string longLine = "SP1: 1234" + std::string(200, ' ') + "mm\r\n";
    const auto lines = SpiFile::splitLines(longLine + "SP2: 5mm\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), SpiFile::kLineSlot);
    EXPECT_EQ(lines[1], "SP2: 5mm\r\n");
    const auto parsed = SpiFile::parse(longLine + "SP2: 5mm\r\n");
    EXPECT_EQ(parsed.switchL[0], 1234);
    EXPECT_EQ(parsed.switchL[1], 5);
}

TEST(SpiFileTest, ReadsPlainFilesAndRefusesTheOthers) {
    const auto dir = std::filesystem::temp_directory_path() / ("spifile-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto plain = dir / "a.spi";
    std::ofstream(plain, std::ios::binary) << "SP1: 5mm\r\n";
    const auto read = SpiFile::readFile(plain);
    EXPECT_EQ(read.error, SpiFile::ReadError::None);
    EXPECT_EQ(read.content, "SP1: 5mm\r\n");
    EXPECT_TRUE(SpiFile::mayWrite(plain));
    EXPECT_TRUE(SpiFile::mayWrite(dir / "new.spi"));

    EXPECT_EQ(SpiFile::readFile(dir / "missing.spi").error, SpiFile::ReadError::CannotOpen);
    EXPECT_EQ(SpiFile::readFile(dir).error, SpiFile::ReadError::NotAFile);
    EXPECT_FALSE(SpiFile::mayWrite(dir));
    const auto fifo = dir / "fifo.spi";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(SpiFile::readFile(fifo).error, SpiFile::ReadError::NotAFile); // returns, does not block
    EXPECT_FALSE(SpiFile::mayWrite(fifo));
    std::filesystem::remove_all(dir);
}
