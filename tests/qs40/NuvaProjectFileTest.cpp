#include "NuvaProjectFile.h"
#include "NuvaWindowRecord.h"

#include <gtest/gtest.h>

namespace {

NuvaProjectValues sample() {
    NuvaProjectValues v;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        v.points[k] = 304 + 16.0 * static_cast<double>(k);
    v.points[5] = 1408.5;
    v.hysteresis = {48, 64, 80, 300};
    return v;
}

TEST(NuvaProjectFileTest, WritesTwentySevenLinesWithCrLf) {
    const std::string text = NuvaProjectFileText(sample(), true);
    EXPECT_TRUE(text.starts_with("do not add lines!\r\nQS40MNTx\r\n[straight]\r\n304\r\n320\r\n")) << text;
    EXPECT_NE(text.find("\r\n[right]\r\n368\r\n1408.5\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("[Hysterese]\r\n48\r\n64\r\n80\r\n300\r\n"));
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 27u);
    EXPECT_TRUE(NuvaProjectFileText(sample(), false).starts_with("keine Zeilen hinzufügen!\r\n"));
}

TEST(NuvaProjectFileTest, FilesOfEitherLanguageLoadTheSame) {
    for (bool english : {true, false}) {
        const NuvaProjectLoad load = NuvaReadProjectFile(NuvaProjectFileText(sample(), english));
        ASSERT_EQ(load.status, NuvaProjectLoad::Status::Ok);
        for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
            EXPECT_EQ(load.points[k], sample().points[k]) << k;
        for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
            EXPECT_EQ(load.hysteresis[k], sample().hysteresis[k]);
    }
}

TEST(NuvaProjectFileTest, AMissingHeaderSkipsItsSectionAndTheNextHeaderIsComparedWithTheNextLine) {
    // Line 3 is no "[straight]": line 4 must then be "[right]".
    const std::string text = "x\nQS40MNTx\n[gerade]\n[right]\n1\n2\n3\n4\n[left]\n5\n6\n7\n8\n";
    const NuvaProjectLoad load = NuvaReadProjectFile(text);
    EXPECT_EQ(load.status, NuvaProjectLoad::Status::Ok);
    EXPECT_FALSE(load.points[0]);
    EXPECT_EQ(load.points[4], 1.0);
    EXPECT_EQ(load.points[11], 8.0);
    EXPECT_FALSE(load.points[12]); // "[full area]" and "[Hysterese]" are missing
    EXPECT_FALSE(load.hysteresis[0]);
    EXPECT_EQ(load.missingSection(), "[straight]");
    const std::string whole = NuvaProjectFileText(sample(), true);
    EXPECT_EQ(NuvaReadProjectFile(whole).missingSection(), "");
    EXPECT_EQ(NuvaReadProjectFile(whole.substr(0, whole.find("[Hysterese]"))).missingSection(), "[Hysterese]");
}

TEST(NuvaProjectFileTest, BadInputEndsTheLoadAndKeepsWhatCameBefore) {
    struct Case {
        const char* text;
        NuvaProjectLoad::Status status;
        int badLine;
        std::size_t pointsRead;
    };
    using S = NuvaProjectLoad::Status;
    const Case cases[] = {
        {"x\nQS40MNTD\n", S::NotQs40File, 0, 0},
        {"x\n", S::NotQs40File, 0, 0},
        {"x\nMy QS40MNTx file\n[straight]\n100\n200\nabc\n400\n", S::BadNumber, 6, 2},
        {"x\nQS40MNTx\n[straight]\n100\n", S::BadNumber, 5, 1}, // the file ends early
        {"x\nQS40MNTx\n[straight]\n1,5\n2\n3\n4\n-\n-\n-\n[Hysterese]\n70000\n", S::BadNumber, 12, 4},
        {"x\nQS40MNTx\n[straight]\n100\nnan\n", S::BadNumber, 5, 1},
        {"x\nQS40MNTx\n[straight]\n100\n200\n-inf\n", S::BadNumber, 6, 2},
    };
    for (const Case& c : cases) {
        const NuvaProjectLoad load = NuvaReadProjectFile(c.text);
        EXPECT_EQ(load.status, c.status) << c.text;
        EXPECT_EQ(load.badLine, c.badLine) << c.text;
        std::size_t read = 0;
        for (const auto& p : load.points)
            read += p.has_value();
        EXPECT_EQ(read, c.pointsRead) << c.text;
    }
    EXPECT_EQ(NuvaReadProjectFile(cases[4].text).points[0], 1.5);
}

TEST(NuvaWindowRecordTest, TwentyWordsLeastSignificantByteFirst) {
    NuvaWindowRecord record;
    record.values.points.fill(1408);
    record.values.points[15] = 0x1234;
    record.values.hysteresis = {48, 0, 0, 0xABCD};
    const auto bytes = record.encode();
    EXPECT_EQ(bytes[0], 0x80);
    EXPECT_EQ(bytes[1], 0x05);
    EXPECT_EQ(bytes[30], 0x34);
    EXPECT_EQ(bytes[31], 0x12);
    EXPECT_EQ(bytes[32], 48);
    EXPECT_EQ(bytes[38], 0xCD);
    EXPECT_EQ(bytes[39], 0xAB);
    const auto back = NuvaWindowRecord::decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->values, record.values);
    EXPECT_FALSE(NuvaWindowRecord::decode(std::span(bytes).first(39)));
    // No sensor of the family measures beyond 6000 mm: a point there means a damaged record.
    record.values.points[15] = 6000;
    EXPECT_EQ(record.outOfRange(), "");
    record.values.points[2] = 6001;
    EXPECT_EQ(record.outOfRange(), "switch point 3 = 6001");
    EXPECT_EQ(NuvaWindowRecord::wholeMillimetres(1407.9), 1407);
    EXPECT_EQ(NuvaWindowRecord::wholeMillimetres(-3), 0);
}

} // namespace
