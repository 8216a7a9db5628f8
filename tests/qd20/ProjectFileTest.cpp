#include "Qd20ProjectFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Qd20ProjectFile::LoadStatus;
using Qd20ProjectFile::Target;
using Assignments = std::vector<Qd20ProjectFile::Assignment>;

namespace {

const Qd20Variant& variant220() {
    return *VariantForSensorType(1);
} // 80..300 mm

Assignments assignmentsOf(const std::string& text) {
    const auto result = Qd20ProjectFile::parse(text);
    EXPECT_EQ(result.status, LoadStatus::Ok) << text;
    return result.assignments;
}

} // namespace

TEST(ProjectFileTest, SaveWritesTheTwentyFiveLinesAndLoadsBackToTheSameSettings) {
    // 87.9 mm is shown as 87.9mm and saved as 87; 99.99999 mm is shown as 100.0mm after a raw
    // conversion and saved as 100, not 99.
    const Qd20Settings s{.SwitchPointQ1A = 87.9f,
                         .SwitchPointQ1B = 99.99999f,
                         .SwitchPointQ2A = 95.0f,
                         .SwitchPointQ2B = 210.0f,
                         .AnalogPoint1 = 300.0f,
                         .AnalogPoint2 = 80.0f,
                         .fktQ1 = 7,
                         .ivQ1 = 0,
                         .fktQ2 = 2,
                         .osQ2 = 0,
                         .hold = 0,
                         .bw = 2,
                         .lowlight = true};
    const std::string text = Qd20ProjectFile::serialize(s);
    EXPECT_EQ(text, "[Q1]\r\n87\r\n100\r\n[Q2]\r\n95\r\n210\r\n[QA]\r\n300\r\n80\r\n"
                    "[IV1]\r\nOn\r\n[IV2]\r\nOff\r\n[OEFFNER1]\r\nOff\r\n[OEFFNER2]\r\nOn\r\n"
                    "[VERRIEGELUNG]\r\nOff\r\n[BW]\r\n1000\r\n[Typ Q1]\r\n7\r\n[Typ Q2]\r\n2\r\n");
    Qd20Settings loaded; // hold and lowlight are not in the file: they stay as they were
    Qd20ProjectFile::apply(assignmentsOf(text), loaded, variant220());
    Qd20Settings expected = s;
    expected.SwitchPointQ1A = 87.0f;
    expected.SwitchPointQ1B = 100.0f;
    expected.hold = loaded.hold;
    expected.lowlight = loaded.lowlight;
    EXPECT_EQ(loaded, expected);
}

TEST(ProjectFileTest, KeysAreFoundAnywhereInAnyOrderAndAreReportedInFileOrder) {
    EXPECT_EQ(assignmentsOf("comment line\n[Typ Q2] x\n1\n   pre[Q1]post\n200\n150\n"),
              (Assignments{{Target::FunctionQ2, 1}, {Target::Q1First, 200}, {Target::Q1Second, 150}}));
    // Repeated keys: each occurrence is reported, so the last one wins when applied.
    EXPECT_EQ(assignmentsOf("[BW]\n10\n[VERRIEGELUNG]\nOn\n[BW]\n100\n"),
              (Assignments{{Target::Averaging, 0}, {Target::KeyLock, 0}, {Target::Averaging, 1}}));
    // Keys are case-sensitive; a line holding two keys acts for both on the same value line.
    EXPECT_EQ(Qd20ProjectFile::parse("[q1]\n50\n60\n").status, LoadStatus::NoKeyFound);
    EXPECT_EQ(assignmentsOf("[OEFFNER1][OEFFNER2]\nOff\n"),
              (Assignments{{Target::NormallyClosedQ1, 1}, {Target::NormallyClosedQ2, 1}}));
    // Files far longer than the program writes are read to the end.
    std::string longFile = "[Q1]\n50\n60\n";
    for (int i = 0; i < 1000; ++i)
        longFile += "filler\r\n";
    longFile += "[IV2]\nOn\n";
    EXPECT_EQ(assignmentsOf(longFile),
              (Assignments{{Target::Q1First, 50}, {Target::Q1Second, 60}, {Target::PulseStretchQ2, 0}}));
}

TEST(ProjectFileTest, EveryKindOfLineEndReadsTheSameValues) {
    const Assignments expected{{Target::Q1First, 50}, {Target::Q1Second, 60}, {Target::Averaging, 1}};
    for (const char* eol : {"\r\n", "\n", "\r\r\n", "\r"}) {
        std::string file;
        for (const char* line : {"[Q1]", "50", "60", "[BW]", "100"})
            file += std::string(line) + eol;
        EXPECT_EQ(assignmentsOf(file), expected) << "line end of " << std::string(eol).size() << " bytes";
    }
}

TEST(ProjectFileTest, ValueLinesFollowTheirRules) {
    // Points: whole decimal numbers that fit in 16 bits, blanks around them allowed.
    EXPECT_EQ(assignmentsOf("[QA]\n+70\n\t80 \n"),
              (Assignments{{Target::AnalogFirst, 70}, {Target::AnalogSecond, 80}}));
    EXPECT_EQ(assignmentsOf("[QA]\n0\n65535\n"),
              (Assignments{{Target::AnalogFirst, 0}, {Target::AnalogSecond, 65535}}));
    // Functions: one byte; the slider limits it.
    EXPECT_EQ(assignmentsOf("[Typ Q1]\n255\n"), (Assignments{{Target::FunctionQ1, 255}}));
    // Switches: "Off" gives 1, then "On" gives 0, case-sensitive.
    EXPECT_EQ(assignmentsOf("[IV1]\nOff\n"), (Assignments{{Target::PulseStretchQ1, 1}}));
    EXPECT_EQ(assignmentsOf("[IV1]\nOff, then On\n"), (Assignments{{Target::PulseStretchQ1, 0}}));
    // Averaging: "10", "100", "1000" are substrings of each other; the longest present wins.
    EXPECT_EQ(assignmentsOf("[BW]\n10\n"), (Assignments{{Target::Averaging, 0}}));
    EXPECT_EQ(assignmentsOf("[BW]\n1000\n"), (Assignments{{Target::Averaging, 2}}));
}

TEST(ProjectFileTest, AValueThatCannotBeReadIsReportedWithItsLineAndKeyNeverWrapped) {
    const std::pair<std::string, std::string> bad[] = {
        {"[Q2]", "150.5"},       {"[Q2]", "0x96"},    {"[Q2]", ""},
        {"[Q2]", "65536"},       {"[Q2]", "-5"},      {"[Q2]", "abc"},
        {"[Q2]", "99999999999"}, {"[Typ Q1]", "256"}, {"[Typ Q1]", "-1"},
        {"[IV1]", "off"},        {"[BW]", "4 ms"},    {"[Q2]", std::string("7\0", 2)},
    };
    for (const auto& [key, value] : bad) {
        // The bad value stands on line 4, after a readable one; the file goes on after it.
        const std::string file = "[VERRIEGELUNG]\nOn\n" + key + "\n" + value + "\n200\n[IV2]\nOff\n";
        const auto r = Qd20ProjectFile::parse(file);
        EXPECT_EQ(r.status, LoadStatus::BadValue) << key << " " << value;
        EXPECT_EQ(r.errorLine, 4) << key << " " << value;
        EXPECT_EQ(r.errorKey, key);
        // Everything else is still read; the bad value is left out.
        EXPECT_EQ(r.assignments.front(), (Qd20ProjectFile::Assignment{Target::KeyLock, 0}));
        EXPECT_EQ(r.assignments.back(), (Qd20ProjectFile::Assignment{Target::PulseStretchQ2, 1}));
    }
    // A number at the very end without its line end may have been cut short ("30" of "300").
    const auto cut = Qd20ProjectFile::parse("[QA]\r\n80\r\n30");
    EXPECT_EQ(cut.status, LoadStatus::BadValue);
    EXPECT_EQ(cut.errorLine, 3);
    EXPECT_EQ(cut.assignments, (Assignments{{Target::AnalogFirst, 80}}));
}

TEST(ProjectFileTest, AKeyWithoutItsValueLineIsAnErrorThatKeepsWhatCameBefore) {
    const auto onLast = Qd20ProjectFile::parse("[VERRIEGELUNG]\r\nOn\r\n[BW]");
    EXPECT_EQ(onLast.status, LoadStatus::MissingValueLine);
    EXPECT_EQ(onLast.errorLine, 3);
    EXPECT_EQ(onLast.assignments, (Assignments{{Target::KeyLock, 0}}));
    // A pair with only its first value line: the first point is loaded, then the error.
    const auto half = Qd20ProjectFile::parse("[Q2]\n90\n");
    EXPECT_EQ(half.status, LoadStatus::MissingValueLine);
    EXPECT_EQ(half.errorLine, 1);
    EXPECT_EQ(half.assignments, (Assignments{{Target::Q2First, 90}}));
}

TEST(ProjectFileTest, BinaryOrForeignFilesChangeNothingAndSaySo) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 37) & 0xFF);
    const auto bin = Qd20ProjectFile::parse(binary);
    EXPECT_EQ(bin.status, LoadStatus::NoKeyFound);
    EXPECT_TRUE(bin.assignments.empty());
    // A key next to a NUL byte is binary data.
    EXPECT_EQ(Qd20ProjectFile::parse(std::string("[Q1]\0\n50\n60\n", 12)).status, LoadStatus::NoKeyFound);
    // UTF-16 text holds NUL bytes between the letters.
    std::string utf16;
    for (char c : std::string("[Q1]\r\n50\r\n60\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Qd20ProjectFile::parse(utf16).status, LoadStatus::NoKeyFound);
    EXPECT_EQ(Qd20ProjectFile::parse("").status, LoadStatus::NoKeyFound);
    EXPECT_EQ(Qd20ProjectFile::parse(std::string(Qd20ProjectFile::kMaxFileBytes + 1, '[')).status,
              LoadStatus::TooLarge);
}

TEST(ProjectFileTest, ApplyingTakesValuesAsTheWindowsControlsWould) {
    Qd20Settings s;
    s.SwitchPointQ1A = s.SwitchPointQ2A = 100;
    s.SwitchPointQ1B = s.SwitchPointQ2B = 110;
    Qd20ProjectFile::apply(assignmentsOf("[Q1]\n150\n140\n[QA]\n350\n90\n"
                                         "[Typ Q1]\n12\n[Typ Q2]\n3\n[BW]\n1000\n"),
                           s, variant220());
    Qd20ProjectFile::apply({Target::Q2First, 200}, s, variant220());
    // Q1: the first point (150) pushed the second up, the second (140) then pulled the first down.
    // Q2: only the first point came; it pushed the second along. QA: limited to the range; a
    // falling characteristic is allowed. Slider positions are limited to the slider.
    EXPECT_EQ(s, (Qd20Settings{.SwitchPointQ1A = 140,
                               .SwitchPointQ1B = 140,
                               .SwitchPointQ2A = 200,
                               .SwitchPointQ2B = 200,
                               .AnalogPoint1 = 300,
                               .AnalogPoint2 = 90,
                               .fktQ1 = 9,
                               .fktQ2 = 2,
                               .bw = 2}));
    Qd20ProjectFile::apply(assignmentsOf("[Q1]\n10\n5000\n"), s, variant220());
    EXPECT_FLOAT_EQ(s.SwitchPointQ1A, 80);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1B, 300);
}
