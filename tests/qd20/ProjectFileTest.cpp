#include "Qd20ProjectFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Qd20ProjectFile::Assignment;
using Qd20ProjectFile::LoadStatus;
using Qd20ProjectFile::Target;

namespace {

const Qd20Variant& variant220() { return *VariantForSensorType(1); } // 80..300 mm

Qd20Settings sampleSettings() {
    Qd20Settings s;
    s.SwitchPointQ1A = 87.9f;
    s.SwitchPointQ1B = 120.3f;
    s.SwitchPointQ2A = 95.0f;
    s.SwitchPointQ2B = 210.0f;
    s.AnalogPoint1 = 300.0f;
    s.AnalogPoint2 = 80.0f;
    s.ivQ1 = 0;
    s.ivQ2 = 1;
    s.osQ1 = 1;
    s.osQ2 = 0;
    s.tv = 1;
    s.bw = 2;
    s.fktQ1 = 7;
    s.fktQ2 = 2;
    s.hold = 0;
    s.lowlight = true;
    return s;
}

std::vector<Assignment> assignmentsOf(const std::string& text) {
    const auto result = Qd20ProjectFile::parse(text);
    EXPECT_EQ(result.status, LoadStatus::Ok);
    return result.assignments;
}

} // namespace

TEST(ProjectFileTest, SaveWritesTheTwentyFiveLinesInOrderWithCrLf) {
    EXPECT_EQ(Qd20ProjectFile::serialize(sampleSettings()),
              "[Q1]\r\n87\r\n120\r\n"
              "[Q2]\r\n95\r\n210\r\n"
              "[QA]\r\n300\r\n80\r\n"
              "[IV1]\r\nOn\r\n"
              "[IV2]\r\nOff\r\n"
              "[OEFFNER1]\r\nOff\r\n"
              "[OEFFNER2]\r\nOn\r\n"
              "[VERRIEGELUNG]\r\nOff\r\n"
              "[BW]\r\n1000\r\n"
              "[Typ Q1]\r\n7\r\n"
              "[Typ Q2]\r\n2\r\n");
}

TEST(ProjectFileTest, SaveCutsPointsToWholeMillimetresOfTheShownValue) {
    Qd20Settings s;
    s.SwitchPointQ1A = 57.94f;    // shown as 57.9mm
    s.SwitchPointQ1B = 99.99999f; // shown as 100.0mm after a raw conversion
    s.bw = 0;
    const std::string text = Qd20ProjectFile::serialize(s);
    EXPECT_EQ(text.substr(0, 18), "[Q1]\r\n57\r\n100\r\n[Q2");
    EXPECT_NE(text.find("[BW]\r\n10\r\n"), std::string::npos);
}

TEST(ProjectFileTest, SavedFileLoadsBackToTheSameSettingsApartFromFractionsAndUnsavedItems) {
    const Qd20Settings saved = sampleSettings();
    const auto result = Qd20ProjectFile::parse(Qd20ProjectFile::serialize(saved));
    ASSERT_EQ(result.status, LoadStatus::Ok);
    EXPECT_EQ(result.assignments.size(), 14u);

    Qd20Settings loaded; // hold and lowlight are not in the file: they stay as they were
    Qd20ProjectFile::apply(result.assignments, loaded, variant220());
    Qd20Settings expected = saved;
    expected.SwitchPointQ1A = 87.0f;
    expected.SwitchPointQ1B = 120.0f;
    expected.hold = loaded.hold;
    expected.lowlight = loaded.lowlight;
    expected.setQ1 = loaded.setQ1;
    EXPECT_EQ(loaded, expected);
}

TEST(ProjectFileTest, KeysAreFoundAnywhereInAnyOrderAndAreReportedInFileOrder) {
    const std::string text = "comment line\n"
                             "[Typ Q2] x\n1\n"
                             "   pre[Q1]post\n200\n150\n"
                             "[Q1]\n"; // a key whose value lines are missing ends the search
    const auto result = Qd20ProjectFile::parse(text);
    EXPECT_EQ(result.status, LoadStatus::MissingValueLine);
    EXPECT_EQ(result.errorLine, 7);
    const std::vector<Assignment> expected{
        {Target::FunctionQ2, 1}, {Target::Q1First, 200}, {Target::Q1Second, 150}};
    EXPECT_EQ(result.assignments, expected);

    // Repeated keys: each occurrence is reported, so the last one wins when applied.
    const auto repeated = assignmentsOf("[BW]\n10\n[VERRIEGELUNG]\nOn\n[BW]\n100\n");
    const std::vector<Assignment> expectedRepeated{
        {Target::Averaging, 0}, {Target::KeyLock, 0}, {Target::Averaging, 1}};
    EXPECT_EQ(repeated, expectedRepeated);

    // Keys are case-sensitive; a line holding two keys acts for both on the same value line.
    EXPECT_EQ(Qd20ProjectFile::parse("[q1]\n50\n60\n").status, LoadStatus::NoKeyFound);
    const std::vector<Assignment> both{{Target::NormallyClosedQ1, 1}, {Target::NormallyClosedQ2, 1}};
    EXPECT_EQ(assignmentsOf("[OEFFNER1][OEFFNER2]\nOff\n"), both);
}

TEST(ProjectFileTest, NumbersTakeTheirLowSixteenBitsAndUnreadableOnesLeaveTheItem) {
    const auto points = [](const std::string& first, const std::string& second) {
        return assignmentsOf("[QA]\n" + first + "\n" + second + "\n");
    };
    EXPECT_EQ(points("abc", "65535"), std::vector<Assignment>{});      // both read as "leave alone"
    EXPECT_EQ(points("-1", " 120 "), (std::vector<Assignment>{{Target::AnalogSecond, 120}}));
    EXPECT_EQ(points("65536", "-2"),
              (std::vector<Assignment>{{Target::AnalogFirst, 0}, {Target::AnalogSecond, 65534}}));
    EXPECT_EQ(points("12.5", "99999999999"), std::vector<Assignment>{}); // no decimals, no overflow
    EXPECT_EQ(points("+70", "\t80"),
              (std::vector<Assignment>{{Target::AnalogFirst, 70}, {Target::AnalogSecond, 80}}));

    // The function takes the low byte of the 16 bits; 0xFFFF still means "leave alone".
    EXPECT_EQ(assignmentsOf("[Typ Q1]\n266\n"), (std::vector<Assignment>{{Target::FunctionQ1, 10}}));
    EXPECT_EQ(assignmentsOf("[Typ Q1]\n-1\n"), std::vector<Assignment>{});
}

TEST(ProjectFileTest, SwitchAndAveragingLinesFollowTheirSubstringRules) {
    const auto switchOf = [](const std::string& line) { return assignmentsOf("[IV1]\n" + line + "\n"); };
    EXPECT_EQ(switchOf("On"), (std::vector<Assignment>{{Target::PulseStretchQ1, 0}}));
    EXPECT_EQ(switchOf("Off"), (std::vector<Assignment>{{Target::PulseStretchQ1, 1}}));
    EXPECT_EQ(switchOf("Off, then On"), (std::vector<Assignment>{{Target::PulseStretchQ1, 0}}));
    EXPECT_EQ(switchOf("off"), std::vector<Assignment>{});

    const auto bwOf = [](const std::string& line) { return assignmentsOf("[BW]\n" + line + "\n"); };
    EXPECT_EQ(bwOf("10"), (std::vector<Assignment>{{Target::Averaging, 0}}));
    EXPECT_EQ(bwOf("100"), (std::vector<Assignment>{{Target::Averaging, 1}}));
    EXPECT_EQ(bwOf("1000"), (std::vector<Assignment>{{Target::Averaging, 2}}));
    EXPECT_EQ(bwOf("4 ms"), std::vector<Assignment>{});
}

TEST(ProjectFileTest, AKeyWithoutItsValueLineIsAnErrorThatKeepsWhatCameBefore) {
    const auto onLast = Qd20ProjectFile::parse("[VERRIEGELUNG]\r\nOn\r\n[BW]");
    EXPECT_EQ(onLast.status, LoadStatus::MissingValueLine);
    EXPECT_EQ(onLast.errorLine, 3);
    EXPECT_EQ(onLast.assignments, (std::vector<Assignment>{{Target::KeyLock, 0}}));

    // A pair with only its first value line: the first point is loaded, then the error.
    const auto half = Qd20ProjectFile::parse("[Q2]\n90\n");
    EXPECT_EQ(half.status, LoadStatus::MissingValueLine);
    EXPECT_EQ(half.errorLine, 1);
    EXPECT_EQ(half.assignments, (std::vector<Assignment>{{Target::Q2First, 90}}));
}

TEST(ProjectFileTest, LineEndsOfEveryKindGiveTheSameResult) {
    const std::string crlf = "[Q1]\r\n50\r\n60\r\n[IV2]\r\nOn\r\n";
    const std::string lf = "[Q1]\n50\n60\n[IV2]\nOn\n";
    const std::string cr = "[Q1]\r50\r60\r[IV2]\rOn";
    const auto expected = assignmentsOf(crlf);
    EXPECT_EQ(expected.size(), 3u);
    EXPECT_EQ(assignmentsOf(lf), expected);
    EXPECT_EQ(assignmentsOf(cr), expected);
}

TEST(ProjectFileTest, LongFilesAreReadToTheEnd) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "filler line " + std::to_string(i) + "\n";
    text += "[Typ Q2]\n2\n";
    EXPECT_EQ(assignmentsOf(text), (std::vector<Assignment>{{Target::FunctionQ2, 2}}));
}

TEST(ProjectFileTest, BinaryOrForeignFilesChangeNothingAndSaySo) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 37) & 0xFF);
    const auto bin = Qd20ProjectFile::parse(binary);
    EXPECT_EQ(bin.status, LoadStatus::NoKeyFound);
    EXPECT_TRUE(bin.assignments.empty());

    // A key next to a NUL byte is binary data, and so is a value line with one.
    const std::string withNul = std::string("[Q1]\0\n50\n60\n", 12) + "[Q2]\n" + std::string("7\0", 2) + "\n80\n";
    const auto nul = Qd20ProjectFile::parse(withNul);
    EXPECT_EQ(nul.status, LoadStatus::Ok);
    EXPECT_EQ(nul.assignments, (std::vector<Assignment>{{Target::Q2Second, 80}}));

    // A file of another program's settings (UTF-16 text holds NUL bytes between the letters).
    std::string utf16;
    for (char c : std::string("[Q1]\r\n50\r\n60\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Qd20ProjectFile::parse(utf16).status, LoadStatus::NoKeyFound);

    EXPECT_EQ(Qd20ProjectFile::parse("").status, LoadStatus::NoKeyFound);
    const auto huge = Qd20ProjectFile::parse(std::string(Qd20ProjectFile::kMaxFileBytes + 1, '['));
    EXPECT_EQ(huge.status, LoadStatus::TooLarge);
}

TEST(ProjectFileTest, ApplyingKeepsTheOrderOfSwitchPointsButNotOfAnalogPoints) {
    Qd20Settings s;
    s.SwitchPointQ1A = 100;
    s.SwitchPointQ1B = 110;
    s.SwitchPointQ2A = 100;
    s.SwitchPointQ2B = 110;
    Qd20ProjectFile::apply(assignmentsOf("[Q1]\n150\n140\n[Q2]\n200\n-1\n[QA]\n250\n90\n"), s, variant220());
    // Q1: the first point (150) pushed the second up, the second (140) then pulled the first down.
    EXPECT_FLOAT_EQ(s.SwitchPointQ1A, 140);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1B, 140);
    // Q2: only the first point came; it pushed the second along.
    EXPECT_FLOAT_EQ(s.SwitchPointQ2A, 200);
    EXPECT_FLOAT_EQ(s.SwitchPointQ2B, 200);
    // QA: a falling characteristic is allowed.
    EXPECT_FLOAT_EQ(s.AnalogPoint1, 250);
    EXPECT_FLOAT_EQ(s.AnalogPoint2, 90);
}

TEST(ProjectFileTest, ApplyingLimitsPointsToTheRangeAndPositionsToTheSliders) {
    Qd20Settings s;
    Qd20ProjectFile::apply(assignmentsOf("[Q1]\n10\n5000\n[QA]\n0\n301\n[Typ Q1]\n12\n[Typ Q2]\n3\n"
                                         "[BW]\n1000\n"),
                           s, variant220());
    EXPECT_FLOAT_EQ(s.SwitchPointQ1A, 80);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1B, 300);
    EXPECT_FLOAT_EQ(s.AnalogPoint1, 80);
    EXPECT_FLOAT_EQ(s.AnalogPoint2, 300);
    EXPECT_EQ(s.fktQ1, 9);
    EXPECT_EQ(s.fktQ2, 2);
    EXPECT_EQ(s.bw, 2);
}
