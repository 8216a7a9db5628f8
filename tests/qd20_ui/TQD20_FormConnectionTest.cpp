// Search, manual connection, read all and write all of the ZYL24 window against the simulated bus.
#include "Qd20FormFixture.h"

#include "SimZyl24Sensor.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kNoSensor = QStringLiteral("kein Sensor verfügbar\nComPort richtig?\nSensor angeschlossen?");
const QString kSendError = QStringLiteral("Fehler beim Daten senden oder ungültige Parameter");

} // namespace

TEST_F(Qd20FormTest, SearchFindsSensorAt127AndReadsIt) {
    provider.bus.addSensor(127, '0');
    open();
    window->SuchenMenuClick();
    ASSERT_TRUE(window->TSuchen->isActive());
    runSearch();

    const auto frames = framesSent();
    ASSERT_EQ(frames.size(), 129u);
    for (int address = 1; address <= 126; ++address)
        ASSERT_EQ(frames[address - 1], frame(address, 'A')) << "address " << address;
    EXPECT_EQ(frames[126], frame(127, 'A'));
    EXPECT_EQ(frames[127], frame(127, 'v'));
    EXPECT_EQ(frames[128], (std::vector<std::uint8_t>{0xFF, 0x04, '?', 0x7F ^ 0x04 ^ '?'}));
    EXPECT_TRUE(window->Connected);
    EXPECT_EQ(window->Slave_Adr->currentText(), "127");
    EXPECT_EQ(window->statusText(0), "Sensor: ZYL24_220");
    EXPECT_EQ(window->statusText(1), "Port: COM1");
    EXPECT_TRUE(window->BSETQ1->isEnabled());
    EXPECT_FALSE(progress.isVisible());
    EXPECT_TRUE(prompts.messages().isEmpty());
    // Measurement time-outs once connected.
    const Timeouts t = ports.device(1)->timeouts();
    EXPECT_EQ(t.readIntervalMs, 4u);
    EXPECT_EQ(t.readTotalMultiplierMs, 2u);
    EXPECT_EQ(t.readTotalConstantMs, 2000u);
}

TEST_F(Qd20FormTest, SearchNeverProbes128AndReportsNoSensor) {
    provider.bus.addSensor(128, '0');
    app.SensorType = 10;
    open();
    window->SuchenMenuClick();
    runSearch();

    const auto frames = framesSent();
    ASSERT_EQ(frames.size(), 127u);
    for (const auto& f : frames)
        EXPECT_NE(f[0], 0x80);
    EXPECT_EQ(prompts.messages(), QStringList{kNoSensor});
    EXPECT_FALSE(window->Connected);
    EXPECT_FALSE(ports.isOpen(1));
    EXPECT_EQ(app.SensorType, 10); // the type from before the search comes back
    EXPECT_EQ(window->Slave_Adr->currentText(), "no");
    EXPECT_EQ(window->statusText(0), "Sensor: keiner");
    EXPECT_EQ(window->statusText(1), "Port:");
    EXPECT_EQ(window->statusText(2), "Status:");
}

TEST_F(Qd20FormTest, SearchSkipsDeviceAnsweringTheSecondProbe) {
    AnswersEverything foreign(3);
    provider.others.push_back(&foreign);
    provider.bus.addSensor(9, '1');
    open();
    window->SuchenMenuClick();
    runSearch();

    const auto frames = framesSent();
    EXPECT_EQ(frames[2], frame(3, 'A'));
    EXPECT_EQ(frames[3], frame(3, 'v'));
    EXPECT_EQ(frames[4], frame(4, 'A'));
    EXPECT_EQ(window->Slave_Adr->currentText(), "9");
    EXPECT_EQ(app.SensorType, 2); // the 70 mm sensor's block
    EXPECT_EQ(window->FoundTypes[9], 2);
    EXPECT_EQ(window->FoundTypes[3], 0);
}

TEST_F(Qd20FormTest, AbbruchStopsSearchAtNextTick) {
    provider.bus.addSensor(50, '0');
    open();
    window->SuchenMenuClick();
    EXPECT_TRUE(progress.isVisible());
    for (int i = 0; i < 10; ++i)
        window->TSuchenTimer();
    progress.BitBtn1Click();
    window->TSuchenTimer();

    EXPECT_FALSE(window->TSuchen->isActive());
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(framesSent().size(), 10u);
    EXPECT_EQ(prompts.messages(), QStringList{kNoSensor});
}

TEST_F(Qd20FormTest, PortProblemsAreReported) {
    // Above COM20: refused before anything is opened.
    provider.absent = true;
    open();
    window->setPortNumber(21);
    window->SuchenMenuClick();
    EXPECT_EQ(prompts.messages(), QStringList{"comport not allowed"});
    EXPECT_FALSE(window->TSuchen->isActive());

    // A port that cannot be opened names the reason.
    prompts.clear();
    window->setPortNumber(1);
    window->SuchenMenuClick();
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].startsWith("comport error\n"));
    EXPECT_EQ(window->statusText(1), "Port: COM");
}

TEST_F(Qd20FormTest, BusyLineIsClosedAndSearchFindsNothing) {
    provider.bus.addSensor(5, '0');
    provider.chatty = true;
    open();
    window->SuchenMenuClick();
    runSearch();
    EXPECT_EQ(prompts.messages(), (QStringList{"comport is busy", kNoSensor}));
    EXPECT_FALSE(ports.isOpen(1));
    EXPECT_FALSE(window->Connected);
    EXPECT_TRUE(framesSent().empty());
}

TEST_F(Qd20FormTest, ManualConnectionAsksForMissingAddress) {
    provider.bus.addSensor(128, '2');
    open();
    window->Slave_Adr->setCurrentText("no");
    prompts.answerInput(QStringLiteral("128"));
    window->ManuellMenuClick();

    ASSERT_GE(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].caption, "Dateneingabe");
    EXPECT_EQ(prompts.asked()[0].text, "keine Adresse gewählt");
    EXPECT_EQ(prompts.asked()[0].preset, "1");
    EXPECT_TRUE(window->Connected);
    EXPECT_EQ(app.SensorType, 11);
    EXPECT_EQ(window->statusText(0), "Sensor: ZYL24_500");
    EXPECT_EQ(framesSent().front(), frame(128, 'A'));

    // Still no number: nothing is sent.
    window->TrennenMenuClick();
    provider.bus.clearFrames();
    prompts.clear();
    window->Slave_Adr->setCurrentText("abc");
    window->ManuellMenuClick(); // the input box is cancelled
    EXPECT_EQ(prompts.messages(), QStringList{"keine Adresse gewählt"});
    EXPECT_TRUE(framesSent().empty());
    EXPECT_FALSE(window->Connected);
}

TEST_F(Qd20FormTest, ExchangeWithoutAddressSendsNothing) {
    provider.bus.addSensor(5, '0');
    open();
    connectTo(5);
    window->Slave_Adr->setCurrentText("abc");
    window->data_ok->setChecked(true);
    EXPECT_FALSE(window->Qd20Transact('A'));
    EXPECT_TRUE(framesSent().empty());
    EXPECT_FALSE(window->data_ok->isChecked());
    EXPECT_EQ(window->statusText(2), "Status: keine Daten");

    window->Slave_Adr->setCurrentText("5");
    EXPECT_TRUE(window->Qd20Transact('A'));
    EXPECT_TRUE(window->data_ok->isChecked());
    EXPECT_TRUE(window->statusText(2).startsWith("Status: 85 06 59"));
}

TEST_F(Qd20FormTest, ReadingTheThousandMillimetreBlockSetsEveryControl) {
    SimZyl24Sensor& sensor = provider.bus.addSensor(5, '3');
    Qd20ParameterBlock& p = sensor.parameters();
    p.q1Function = 5;
    p.q1NormallyClosed = true;
    p.q1PulseStretch = false;
    p.setQ1High = false;
    p.q2Function = 1;
    p.q2NormallyClosed = false;
    p.q2PulseStretch = true;
    p.holdOn = true;
    p.keyLockOn = false;
    p.averaging = 1;
    p.lowlight = true;
    p.analogPoint1Raw = 4095; // 250 mm
    p.analogPoint2Raw = 0;    // 1250 mm
    p.q1FirstRaw = 3276;      // 450.0 mm
    p.q1SecondRaw = 2457;     // 650.0 mm
    p.q2FirstRaw = 2048;      // 749.9 mm
    p.q2SecondRaw = 1024;     // 999.9 mm
    open();
    connectTo(5);

    EXPECT_EQ(app.SensorType, 10);
    EXPECT_EQ(window->statusText(0), "Sensor: ZYL24_1000");
    EXPECT_FLOAT_EQ(window->SP_Q1->Start(), 250.0f);
    EXPECT_FLOAT_EQ(window->SP_Q1->Stopp(), 1250.0f);
    EXPECT_EQ(window->FktQ1Slide->Position(), 5);
    EXPECT_EQ(window->OSQ1_Slide->Position(), 0);
    EXPECT_EQ(window->IVQ1Slide->Position(), 1);
    EXPECT_EQ(window->SetQ1Slide->Position(), 1);
    EXPECT_EQ(window->FktQ2Slide->Position(), 1);
    EXPECT_EQ(window->OSQ2_Slide->Position(), 1);
    EXPECT_EQ(window->IVQ2Slide->Position(), 0);
    EXPECT_EQ(window->Hold_Slide->Position(), 0);
    EXPECT_EQ(window->TVSlide->Position(), 1);
    EXPECT_EQ(window->BWSlide->Position(), 1);
    EXPECT_TRUE(window->CBlowlight->isChecked());
    EXPECT_NEAR(window->SP_Q1->SP1(), 450.0, 0.051);
    EXPECT_NEAR(window->SP_Q1->SP2(), 650.0, 0.051);
    EXPECT_NEAR(window->SP_Q2->SP1(), 749.9, 0.051);
    EXPECT_NEAR(window->SP_Q2->SP2(), 999.9, 0.051);
    EXPECT_TRUE(window->SP_Q2->Schaltfenster());
    EXPECT_NEAR(window->SP_QA->SP1(), 250.0, 0.051);
    EXPECT_NEAR(window->SP_QA->SP2(), 1250.0, 0.051);
    EXPECT_EQ(window->ENull->text(), "250.0mm");
    EXPECT_EQ(window->EVoll->text(), "1250.0mm");
    EXPECT_EQ(window->LQ1_1->text(), "450.0mm");
    // Q1 at MinDist-Hold has no switch point to show.
    EXPECT_FALSE(window->SP_Q1->Visible());
    EXPECT_TRUE(window->SP_Q2->Visible());
    EXPECT_FLOAT_EQ(window->Grafik->Schaltpunkt().L6(), 4095.0f);
    EXPECT_FLOAT_EQ(window->Grafik->Schaltpunkt().L5(), 0.0f);

    // Selecting the address again later brings back the variant read, not the probe's guess.
    app.SensorType = 1;
    window->Slave_Adr->setCurrentText("5");
    window->Slave_AdrChange();
    EXPECT_EQ(app.SensorType, 10);
}

TEST_F(Qd20FormTest, WriteAllSendsGroupsInOrder) {
    provider.bus.addSensor(5, '0');
    open();
    connectTo(5);
    Qd20Settings s = window->settingsFromControls();
    s.fktQ1 = 2; // trigger
    s.osQ1 = 0;
    s.ivQ1 = 0;
    s.SwitchPointQ1A = 100.0f; // raw 3722
    s.SwitchPointQ1B = 150.0f; // raw 2792
    s.fktQ2 = 2; // Good Target
    s.osQ2 = 1;
    s.ivQ2 = 1;
    s.SwitchPointQ2A = 80.0f;  // range start: sent as 4093
    s.SwitchPointQ2B = 300.0f; // range end: sent as 2
    s.tv = 0;
    s.bw = 1;
    s.lowlight = true;
    s.hold = 1;
    s.AnalogPoint1 = 80.0f;  // 4 mA at the range start: raw 4095
    s.AnalogPoint2 = 300.0f; // 20 mA at the range end: raw 0
    window->applySettingsToControls(s);
    window->SetzenButtonClick();

    using Frame = std::vector<std::uint8_t>;
    const std::vector<Frame> expected{
        frame(5, '1', {58, 10, 3, 43, 40}), frame(5, 'T'), frame(5, '2', {63, 61, 0, 0, 2}), frame(5, 'G'),
        frame(5, 'V', {1}), frame(5, 'B', {5}), frame(5, 'R', {0}), frame(5, 'H', {0, 0}), frame(5, 'N', {63, 63}),
    };
    EXPECT_EQ(framesSent(), expected);
    EXPECT_EQ(framesSent()[0], (Frame{0x85, 9, '1', 58, 10, 3, 43, 40, 0x05 ^ 9 ^ '1' ^ 58 ^ 10 ^ 3 ^ 43 ^ 40}));
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);
    EXPECT_EQ(window->transferMark(window->BSETQ2), TQD20_Form::kConfirmImage);
    EXPECT_EQ(window->transferMark(window->BAN), TQD20_Form::kConfirmImage);
    EXPECT_FALSE(window->SettingsStored);
}

TEST_F(Qd20FormTest, WriteAllStopsAtFirstRefusal) {
    provider.bus.addSensor(5, '0');
    open();
    connectTo(5);
    window->FktQ1Slide->SetPosValue(2);
    window->FktQ1SlideChange();
    // The replies to '1' and 'T' pass; the reply to '2' is turned into a refusal 'N' with a
    // correct check byte (status and check byte both flipped by 'Y' ^ 'N').
    provider.lastLine->corruptIncoming(10, 'Y' ^ 'N');
    provider.lastLine->corruptIncoming(11, 'Y' ^ 'N');
    window->SetzenButtonClick();

    const auto frames = framesSent();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0][2], '1');
    EXPECT_EQ(frames[1][2], 'T');
    EXPECT_EQ(frames[2][2], '2');
    EXPECT_EQ(prompts.messages(), QStringList{kSendError});
    EXPECT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);
    EXPECT_EQ(window->transferMark(window->BSETQ2), 0);
    EXPECT_EQ(window->statusText(2), "Status: 85 04 4E 4F");
}

TEST_F(Qd20FormTest, DisconnectClosesThePort) {
    provider.bus.addSensor(5, '0');
    open();
    connectTo(5);
    window->TrennenMenuClick();
    EXPECT_FALSE(ports.isOpen(1));
    EXPECT_FALSE(window->Connected);
    EXPECT_EQ(app.SensorType, 0);
    EXPECT_FALSE(window->BSETQ1->isEnabled());
    EXPECT_EQ(window->statusText(0), "Sensor: keiner");
    // Handlers that need a sensor do nothing now.
    window->BSETQ1Click();
    window->TVSlideChange();
    EXPECT_TRUE(prompts.messages().isEmpty());
}
