// The QS40 window's service functions without the window: an update that loses the line in the
// middle of the image, and the handheld on a port that is not open.
#include "Qs40ServiceActions.h"
#include "Qs40TextFixture.h"
#include "SRecordText.h"

#include <algorithm>
#include <functional>

namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

class Qs40ServiceActionsTest : public Qs40TextFixture {
protected:
    std::uint8_t sensorType = kQs40SensorType;
    Qs40ServiceActions service{ports, typePort, sensorType, params};
};

TEST_F(Qs40ServiceActionsTest, AfterALostLineTheNextUpdateWritesBackWhatTheFirstRead) {
    connectSensor();
    SimQs40TextSensor::Values mine = sensor->values();
    mine.switchL = {0, 1500, 2500, 3500, 4500};
    mine.limitDT = 2222;
    mine.paramTC = 44;
    mine.curve[7] = 77;
    sensor->values() = mine;
    const std::string image = SRecordFile({{0xC0000, PatternBytes(280 * 256)}});

    // No image: nothing is sent and nothing is held.
    EXPECT_EQ(service.firmwareUpdate(std::nullopt, false).code, Qs40ServiceActions::kImageCode);
    EXPECT_TRUE(line->written().empty());
    EXPECT_FALSE(service.valuesHeld());

    // The line goes dead after page 260: the loader is left alone and starts its firmware.
    const Qs40UpdateResult lost =
        service.firmwareUpdate(bytesOf(image), false, [&](std::size_t done, std::size_t) {
            if (done == 260)
                line->detach(sensor.get());
        });
    EXPECT_EQ(lost.code, Qs40ServiceActions::kImageCode);
    EXPECT_EQ(lost.download, Qs40DownloadResult::NoAnswer);
    EXPECT_TRUE(service.valuesHeld());
    line->attach(sensor.get());
    sensor->clearFrames();

    // The sensor now holds factory values; the second attempt does not read them.
    std::size_t lastPage = 0;
    CountingProgress between;
    const Qs40UpdateResult again = service.firmwareUpdate(
        bytesOf(image), false, [&](std::size_t done, std::size_t) { lastPage = done; }, &between);
    ASSERT_EQ(again.code, 0);
    EXPECT_EQ(lastPage, 280u);
    EXPECT_GE(between.position(), 256); // the word table written back, word by word
    EXPECT_FALSE(service.valuesHeld());
    EXPECT_EQ(sensor->storedValues(), mine);
    for (const std::string& f : frames())
        EXPECT_FALSE(f.starts_with("GH") || f.starts_with("GRV") || f.starts_with("GEN")) << f;
}

TEST_F(Qs40ServiceActionsTest, HeldValuesOfAReducedUpdateDoNotServeACompleteOne) {
    connectSensor();
    const std::string image = SRecordFile({{0xD0000, PatternBytes(512)}});
    ASSERT_EQ(service
                  .firmwareUpdate(bytesOf(image), true,
                                  [&](std::size_t done, std::size_t) {
                                      if (done == 257)
                                          line->detach(sensor.get());
                                  })
                  .code,
              Qs40ServiceActions::kImageCode);
    ASSERT_TRUE(service.valuesHeld());
    line->attach(sensor.get());
    sensor->clearFrames();
    // The switch points were never read: a complete update asks the sensor for everything.
    EXPECT_EQ(service.firmwareUpdate(bytesOf(image), false).code, 0);
    const std::vector<std::string> sent = frames();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "GH1"), sent.end());
}

TEST_F(Qs40ServiceActionsTest, HandheldOnAClosedPortIsNotOpenAndNothingIsSent) {
    connectSensor();
    ports.ClosePort(kCom);
    const std::string mot = "S9030000FC\r\n";
    const std::function<Qs40ServiceActions::Handheld()> operations[] = {
        [&] { return service.sendToHandheld(); },
        [&] { return service.readFromHandheld(); },
        [&] { return service.sendMotFile(bytesOf(mot)); },
    };
    for (const auto& operation : operations) {
        EXPECT_EQ(operation(), Qs40ServiceActions::Handheld::NotOpen);
        EXPECT_TRUE(sensor->frames().empty());
    }
}
