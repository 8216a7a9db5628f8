#include "TFSimulation.h"

#include "AppState.h"
#include "Clock.h"
#include "DeviceProvider.h"
#include "GuiTestEnvironment.h"
#include "Language.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SimBitRow.h"
#include "TCSchaltpunkt.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <vector>

namespace {

class NoPorts : public DeviceProvider {
public:
    OpenResult open(int) override { return {nullptr, OpenError::Absent, "no port in this test"}; }
    std::string describe(int) const override { return {}; }
};

struct TFSimulationTest : ::testing::Test {
    bool shown(const QWidget* w) const { return !w->isHidden(); }
    QString role(const TFSimulation::ByteSlot& slot) const { return slot.role->text(); }

    QStringList shownReplyHex() const {
        QStringList out;
        for (int i = 0; i < TFSimulation::kReplySlots; ++i)
            if (shown(window.replySlot(i).hex))
                out << window.replySlot(i).hex->text();
        return out;
    }

    FakeClock clock;
    NoPorts provider;
    Schnittstelle ports{provider, clock};
    ScriptedPrompts prompts;
    AppState app{ports, prompts, clock};
    TFSimulation window{app};
};

} // namespace

TEST_F(TFSimulationTest, StartsWithAddressLengthAndCommandSlotsOnly) {
    EXPECT_EQ(window.windowTitle(), "Simulation");
    for (int i = 0; i < TFSimulation::kRequestSlots; ++i) {
        const auto& slot = window.requestSlot(i);
        EXPECT_EQ(shown(slot.hex) && shown(slot.bits), i < 3) << "request slot " << i;
        EXPECT_EQ(slot.hex->text(), "0x00");
    }
    EXPECT_EQ(shownReplyHex(), (QStringList{"0x00", "0x00", "0x00"}));
    EXPECT_FALSE(shown(window.replySlot(3).role));
    const QStringList roles{"Adresse", "Länge", "Command", "Daten"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(role(window.requestSlot(i)), roles[i]);
}

TEST_F(TFSimulationTest, RequestWithFiveDataBytesShowsRolesHexAndBits) {
    // '1' to address 5: first point raw 4095, flags 1, second point 0.
    const std::vector<std::uint8_t> frame{0x85, 0x09, 0x31, 0x3F, 0x3F, 0x01, 0x00, 0x00, 0x33};
    window.ShowRequestFrame(frame);

    const QStringList roles{"Adresse", "Länge", "0x31 ; \"1\"", "Data",    "Data",
                            "Data",    "Data",  "Data",         "Checksum"};
    for (int i = 0; i < TFSimulation::kRequestSlots; ++i) {
        const auto& slot = window.requestSlot(i);
        EXPECT_EQ(role(slot), roles[i]) << "slot " << i;
        EXPECT_TRUE(shown(slot.role) && shown(slot.hex) && shown(slot.bits)) << "slot " << i;
    }
    EXPECT_EQ(window.requestSlot(3).hex->text(), "0x3F");
    EXPECT_EQ(window.requestSlot(0).bits->text(), "10000101");
    EXPECT_EQ(window.requestSlot(2).bits->text(), "00110001");
    EXPECT_EQ(window.requestSlot(5).bits->cellText(7), "1") << "the least significant bit is the right cell";
    EXPECT_EQ(window.requestSlot(5).bits->cellText(0), "0");
}

TEST_F(TFSimulationTest, ShorterRequestMarksTheRestNotUsed) {
    window.ShowRequestFrame({0x85, 0x09, 0x31, 0x3F, 0x3F, 0x01, 0x00, 0x00, 0x33});
    window.ShowRequestFrame({0x85, 0x04, 0x41, 0x40});

    EXPECT_EQ(role(window.requestSlot(2)), "0x41 ; \"A\"");
    EXPECT_EQ(role(window.requestSlot(3)), "Checksum");
    EXPECT_EQ(window.requestSlot(3).hex->text(), "0x40");
    for (int i = 4; i < TFSimulation::kRequestSlots; ++i) {
        const auto& slot = window.requestSlot(i);
        EXPECT_EQ(role(slot), "not used") << "slot " << i;
        EXPECT_TRUE(shown(slot.role)) << "slot " << i;
        EXPECT_FALSE(shown(slot.hex) || shown(slot.bits)) << "slot " << i;
    }
}

TEST_F(TFSimulationTest, LongReplyFillsAllSlotsAndAcknowledgeHidesFiveToTwentyTwo) {
    std::vector<std::uint8_t> block{0x85, 0x16, 0x59};
    for (std::uint8_t b = 0; b < 18; ++b)
        block.push_back(static_cast<std::uint8_t>(0x60 + b));
    block.push_back(0x2A);
    window.ShowReplyFrame(block);

    ASSERT_EQ(shownReplyHex().size(), 22);
    for (int i = 0; i < TFSimulation::kReplySlots; ++i) {
        const auto& slot = window.replySlot(i);
        EXPECT_TRUE(shown(slot.role) && shown(slot.bits)) << "slot " << i;
        EXPECT_TRUE(i < 3 || i > 20 || role(slot) == "Daten") << "slot " << i;
    }
    EXPECT_EQ(role(window.replySlot(21)), "Checksum");
    EXPECT_EQ(window.replySlot(20).hex->text(), "0x71");
    EXPECT_EQ(window.replySlot(21).bits->text(), "00101010");

    window.ShowReplyFrame({0x85, 0x04, 0x59, 0x58});
    EXPECT_EQ(shownReplyHex(), (QStringList{"0x85", "0x04", "0x59", "0x58"}));
    EXPECT_EQ(role(window.replySlot(2)), "0x59 ; \"Y\"");
    EXPECT_EQ(role(window.replySlot(3)), "Checksum");
    for (int i = 4; i < TFSimulation::kReplySlots; ++i) {
        const auto& slot = window.replySlot(i);
        EXPECT_FALSE(shown(slot.role) || shown(slot.hex) || shown(slot.bits)) << "slot " << i;
    }
}

TEST_F(TFSimulationTest, MalformedFramesShowOnlyTheBytesThatExist) {
    // A length byte promising more than arrived, and one beyond the slots.
    window.ShowReplyFrame({0x85, 0x16, 0x59, 0x10});
    EXPECT_EQ(shownReplyHex(), (QStringList{"0x85", "0x16", "0x59", "0x10"}));
    std::vector<std::uint8_t> huge(200, 0x11);
    huge[1] = 0x7F;
    window.ShowReplyFrame(huge);
    EXPECT_EQ(shownReplyHex().size(), 22);
    window.ShowRequestFrame(huge);
    EXPECT_EQ(role(window.requestSlot(8)), "Checksum");
    window.ShowReplyFrame({});
    EXPECT_EQ(shownReplyHex(), (QStringList{"0x00", "0x00", "0x00"}));
}

TEST_F(TFSimulationTest, DistanceEditorTakesTheMainRangeAndStartsAtItsEnd) {
    EXPECT_EQ(window.SP_Q1->Dezimalstellen(), 1u);
    EXPECT_EQ(window.SP_Q1->Einheit(), "mm");
    EXPECT_FALSE(window.SP_Q1->Schaltfenster());

    const auto scale = [](float start, float stopp, float step) {
        TCSchaltpunkt::Values v;
        v.Start = start;
        v.Stopp = stopp;
        v.Step = step;
        v.SP1 = start + 10.0f;
        return v;
    };
    TCSchaltpunkt mainNarrow(scale(30.0f, 100.0f, 0.1f));
    TCSchaltpunkt mainWide(scale(250.0f, 1250.0f, 0.5f));

    window.copyRangeFrom(mainNarrow);
    window.copyRangeFrom(mainWide); // the new range lies wholly above the old one
    EXPECT_FLOAT_EQ(window.SP_Q1->Start(), 250.0f);
    EXPECT_FLOAT_EQ(window.SP_Q1->Stopp(), 1250.0f);
    EXPECT_FLOAT_EQ(window.SP_Q1->Step(), 0.5f);
    EXPECT_FLOAT_EQ(window.simulatedDistance(), 1250.0f);

    window.copyRangeFrom(mainNarrow);
    EXPECT_FLOAT_EQ(window.SP_Q1->Start(), 30.0f);
    EXPECT_FLOAT_EQ(window.simulatedDistance(), 100.0f);
    window.SP_Q1->SetPos1Value(55.0f);
    EXPECT_FLOAT_EQ(window.simulatedDistance(), 55.0f);
}

TEST_F(TFSimulationTest, MeasurementReplyShowsQ1BitAndRolesFollowTheLanguage) {
    window.ShowReplyFrame({0x85, 0x06, 0x59, 0x7F, 0x7F, 0x5A});
    EXPECT_EQ(role(window.replySlot(4)), "Daten");
    EXPECT_EQ(window.replySlot(4).bits->cellText(1), "1") << "bit 6: Q1 switched";
    EXPECT_FALSE(shown(window.replySlot(6).hex));
    Language::setEnglish(app, true);
    EXPECT_EQ(role(window.replySlot(0)), "Address");
    EXPECT_EQ(role(window.replySlot(1)), "Length");
    EXPECT_EQ(role(window.replySlot(3)), "Data");
    EXPECT_EQ(role(window.replySlot(5)), "Checksum");
    EXPECT_EQ(role(window.requestSlot(3)), "Data");
    Language::setEnglish(app, false);
    EXPECT_EQ(role(window.replySlot(0)), "Adresse");
    EXPECT_EQ(role(window.replySlot(3)), "Daten");
}

TEST_F(TFSimulationTest, OpensWhollyInsideTheScreenArea) {
    const QRect area(0, 0, 1024, 700);
    const std::vector<QRect> besides = {QRect(900, 600, 1200, 800), QRect(-300, -200, 400, 300),
                                        QRect(100, 100, 600, 400)};
    for (const QRect& beside : besides) {
        window.showWithin(area, beside);
        EXPECT_TRUE(area.contains(window.frameGeometry())) << window.frameGeometry().x() << ","
                                                           << window.frameGeometry().y();
        window.hide();
    }
}
