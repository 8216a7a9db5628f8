// Reading firmware images: what makes a file bad, and how records become pages.
#include "SRecordImage.h"
#include "SRecordText.h"

#include <gtest/gtest.h>

namespace {

SRecordImage read(const std::string& text) {
    return ReadSRecordImage(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

const std::string kHeader = SRecordLine(0, 0, {'x'});
const std::string kEnd = SRecordLine(7, 0, {});

std::string withLine(std::string record, std::size_t pos, char c) {
    record[pos] = c;
    return record;
}

} // namespace

TEST(SRecordImageTest, BadFilesAreRefusedWithTheirLine) {
    const std::string data = SRecordLine(3, 0xD0000, {1, 2, 3});
    struct Case {
        const char* name;
        std::string file;
        SRecordError error;
        std::size_t line;
    };
    const Case cases[] = {
        {"first record not S0", data + kEnd, SRecordError::Format, 1},
        {"bad checksum", kHeader + withLine(data, data.size() - 3, '0') + kEnd, SRecordError::Format, 2},
        {"not hex", kHeader + withLine(data, 12, 'G') + kEnd, SRecordError::Format, 2},
        {"count too large", kHeader + withLine(data, 3, '9') + kEnd, SRecordError::Format, 2},
        {"odd digits", kHeader + data.substr(0, data.size() - 3) + "\r\n" + kEnd, SRecordError::Format, 2},
        {"S1 lies below the window", kHeader + SRecordLine(1, 0x1000, {1}) + kEnd, SRecordError::Format, 2},
        {"S2 below the window", kHeader + SRecordLine(2, 0xBFFFF, {1}) + kEnd, SRecordError::Format, 2},
        {"falling address", kHeader + SRecordLine(3, 0xD0010, {1}) + SRecordLine(3, 0xD0000, {2}) + kEnd,
         SRecordError::Format, 3},
        {"overlap", kHeader + SRecordLine(3, 0xD0000, {1, 2}) + SRecordLine(3, 0xD0001, {3}) + kEnd,
         SRecordError::Format, 3},
        {"unknown type S4", kHeader + "S4030000FC\r\n" + kEnd, SRecordError::Format, 2},
        {"second header", kHeader + kHeader + kEnd, SRecordError::Format, 2},
        {"no end record", kHeader + data, SRecordError::Format, 2},
        {"empty", "", SRecordError::Format, 0},
        {"far address", kHeader + SRecordLine(3, 0x40000000, {1}) + kEnd, SRecordError::TooLarge, 2},
        {"page 1026", kHeader + SRecordLine(3, 0xC0000 + 1025 * 256, {1}) + kEnd, SRecordError::TooLarge, 2},
        {"record crossing the end", kHeader + SRecordLine(3, 0xC0000 + 1025 * 256 - 1, {1, 2}) + kEnd,
         SRecordError::TooLarge, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SRecordImage image = read(c.file);
        EXPECT_EQ(image.error, c.error) << static_cast<int>(image.reason);
        EXPECT_EQ(image.line, c.line);
        EXPECT_TRUE(image.pages.empty());
    }
}

TEST(SRecordImageTest, RecordsFillPagesWithGapsAndAPaddedTail) {
    const std::vector<std::uint8_t> a = PatternBytes(300);
    const std::vector<std::uint8_t> b = {0x11, 0x22};
    const std::string crlf = SRecordFile({{0xC0000, a}, {0xC0400, b}});
    const SRecordImage image = read(crlf);
    ASSERT_EQ(image.error, SRecordError::None) << static_cast<int>(image.reason);
    ASSERT_EQ(image.pages.size(), 5u);
    // Page 1 full of data, page 2 completed by the gap up to 0xC0400, 3 and 4 gap only, 5 padded.
    EXPECT_EQ(image.pages[0].end, Qs40PageEnd::Data);
    EXPECT_EQ(image.pages[1].end, Qs40PageEnd::Gap);
    EXPECT_EQ(image.pages[2].end, Qs40PageEnd::Gap);
    EXPECT_EQ(image.pages[4].end, Qs40PageEnd::Padding);
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 256, image.pages[0].bytes.begin()));
    EXPECT_TRUE(std::equal(a.begin() + 256, a.end(), image.pages[1].bytes.begin()));
    EXPECT_EQ(image.pages[1].bytes[44], 0xFF);
    std::array<std::uint8_t, 256> blank;
    blank.fill(0xFF);
    EXPECT_EQ(image.pages[2].bytes, blank);
    EXPECT_EQ(image.pages[3].bytes, blank);
    EXPECT_EQ(image.pages[4].bytes[0], 0x11);
    EXPECT_EQ(image.pages[4].bytes[1], 0x22);
    EXPECT_EQ(image.pages[4].bytes[2], 0xFF);
    // LF line ends, lower-case digits, S2 addresses and count records read the same.
    std::string lf = SRecordLine(0, 0, {'f', 'w'}, "\n");
    for (std::size_t i = 0; i < a.size(); i += 100)
        lf += SRecordLine(2, 0xC0000 + std::uint32_t(i), {a.begin() + long(i), a.begin() + long(i + 100)},
                          "\n");
    std::string last = SRecordLine(2, 0xC0400, b, "\n");
    for (char& c : last)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    last[0] = 'S';
    lf += last + SRecordLine(5, 4, {}, "\n") + SRecordLine(8, 0, {}, "");
    const SRecordImage same = read(lf);
    ASSERT_EQ(same.error, SRecordError::None) << static_cast<int>(same.reason);
    ASSERT_EQ(same.pages.size(), image.pages.size());
    for (std::size_t i = 0; i < same.pages.size(); ++i) {
        EXPECT_EQ(same.pages[i].bytes, image.pages[i].bytes) << i;
        EXPECT_EQ(same.pages[i].end, image.pages[i].end) << i;
    }
}

TEST(SRecordImageTest, AFullWindowOf1025PagesFits) {
    const SRecordImage image = read(SRecordFile({{0xC0000 + 1024 * 256, PatternBytes(256)}}));
    ASSERT_EQ(image.error, SRecordError::None) << static_cast<int>(image.reason);
    EXPECT_EQ(image.pages.size(), 1025u);
    EXPECT_EQ(image.pages.back().end, Qs40PageEnd::Data);
}
