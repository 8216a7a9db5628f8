// Search, manual connection, read all and write all of the ZYL24 window against the simulated bus.
#include "Qd20FormFixture.h"

#include <QProgressBar>

#include <functional>

namespace {

const QString kNoSensor = QStringLiteral("kein Sensor verfügbar\nComPort richtig?\nSensor angeschlossen?");

std::vector<int> positions(std::initializer_list<const TCSlide*> slides) {
    std::vector<int> out;
    for (const TCSlide* s : slides)
        out.push_back(s->Position());
    return out;
}

} // namespace

TEST_F(Qd20FormTest, SearchFindsSensorAt127AndReadsIt) {
    provider.bus.addSensor(127, '0');
    open();
    window->SuchenMenuClick();
    ASSERT_TRUE(window->TSuchen->isActive());
    runSearch();

    const auto frames = framesSent();
    ASSERT_EQ(frames.size(), 129u);
    for (int address = 1; address <= 127; ++address)
        ASSERT_EQ(frames[address - 1], frame(address, 'A')) << "address " << address;
    EXPECT_EQ(frames[127], frame(127, 'v'));
    EXPECT_EQ(frames[128], (Frame{0xFF, 0x04, '?', 0x7F ^ 0x04 ^ '?'}));
    EXPECT_TRUE(window->Connected);
    EXPECT_EQ(window->Slave_Adr->currentText(), "127");
    EXPECT_EQ(window->statusText(0), "Sensor: ZYL24_220");
    EXPECT_EQ(window->statusText(1), "Port: COM1");
    EXPECT_TRUE(window->BSETQ1->isEnabled());
    EXPECT_FALSE(progress.isVisible());
    EXPECT_TRUE(prompts.messages().isEmpty());
    const Timeouts t = ports.device(1)->timeouts(); // measurement time-outs once connected
    EXPECT_EQ(std::tuple(t.readIntervalMs, t.readTotalMultiplierMs, t.readTotalConstantMs),
              std::tuple(4u, 2u, 2000u));
}

TEST_F(Qd20FormTest, TimeoutFieldIsGreyedWithItsPresetUnlessTheServiceWordWasGiven) {
    provider.bus.addSensor(5, '0');
    open();
    for (const bool service : {false, true}) {
        app.ServiceAccess = service;
        window->ManuellMenuClick();
        EXPECT_EQ(portDialog.CBTimeout->isEnabled(), service);
        EXPECT_EQ(portDialog.CBTimeout->currentText(), "100");
    }
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
}

TEST_F(Qd20FormTest, SearchSkipsDeviceAnsweringTheSecondProbe) {
    AnswersEverything foreign(3);
    provider.others.push_back(&foreign);
    provider.bus.addSensor(9, '1');
    open();
    window->SuchenMenuClick();
    runSearch();

    const auto frames = framesSent();
    EXPECT_EQ(std::vector(frames.begin() + 2, frames.begin() + 5),
              (std::vector<Frame>{frame(3, 'A'), frame(3, 'v'), frame(4, 'A')}));
    EXPECT_EQ(window->Slave_Adr->currentText(), "9");
    EXPECT_EQ(app.SensorType, 2); // the 70 mm sensor's block
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
    provider.absent = true;
    open();
    window->setPortNumber(21); // refused before anything is opened
    window->SuchenMenuClick();
    EXPECT_EQ(prompts.messages(), QStringList{"comport not allowed"});
    EXPECT_FALSE(window->TSuchen->isActive());

    // The layer's reason in the window's language, and where to fix it: in the window.
    for (const bool english : {false, true}) {
        prompts.clear();
        Language::setEnglish(app, english);
        window->setPortNumber(1);
        window->SuchenMenuClick();
        EXPECT_EQ(prompts.messages(),
                  QStringList{english ? "comport error\nCOM 1 (bus on COM1): no such device. Choose the device "
                                        "for this number in the port dialog."
                                      : "comport error\nCOM 1 (bus on COM1): dieses Gerät gibt es nicht. Wählen "
                                        "Sie im Portdialog das Gerät für diese Nummer."});
        EXPECT_EQ(window->statusText(1), "Port:");
    }
}

TEST_F(Qd20FormTest, BusyLineIsClosedAndSearchFindsNothing) {
    provider.bus.addSensor(5, '0');
    provider.chatty = true;
    open();
    window->SuchenMenuClick();
    runSearch();
    EXPECT_EQ(prompts.messages(), (QStringList{"comport is busy", kNoSensor}));
    EXPECT_FALSE(ports.isOpen(1));
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
    EXPECT_EQ(window->statusText(0), "Sensor: ZYL24_500");
    EXPECT_EQ(framesSent().front(), frame(128, 'A'));

    window->TrennenMenuClick();
    provider.bus.clearFrames();
    prompts.clear();
    window->Slave_Adr->setCurrentText("abc");
    window->ManuellMenuClick(); // the input box is cancelled: nothing is sent
    EXPECT_EQ(prompts.messages(), QStringList{"keine Adresse gewählt"});
    EXPECT_TRUE(framesSent().empty());
    EXPECT_FALSE(window->Connected);
}

TEST_F(Qd20FormTest, ExchangeWithoutAddressSendsNothing) {
    openConnected();
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
    const TQD20_Form& w = *window;
    EXPECT_EQ(positions({w.FktQ1Slide, w.OSQ1_Slide, w.IVQ1Slide, w.SetQ1Slide, w.FktQ2Slide, w.OSQ2_Slide,
                         w.IVQ2Slide, w.Hold_Slide, w.TVSlide, w.BWSlide}),
              (std::vector{5, 0, 1, 1, 1, 1, 0, 0, 1, 1}));
    EXPECT_TRUE(window->CBlowlight->isChecked());
    EXPECT_NEAR(window->SP_Q1->SP1(), 450.0, 0.051);
    EXPECT_NEAR(window->SP_Q1->SP2(), 650.0, 0.051);
    EXPECT_NEAR(window->SP_Q2->SP1(), 749.9, 0.051);
    EXPECT_NEAR(window->SP_Q2->SP2(), 999.9, 0.051);
    EXPECT_TRUE(window->SP_Q2->Schaltfenster());
    EXPECT_EQ(window->ENull->text(), "250.0mm");
    EXPECT_EQ(window->EVoll->text(), "1250.0mm");
    EXPECT_EQ(window->LQ1_1->text(), "450.0mm");
    EXPECT_FALSE(window->SP_Q1->Visible()); // MinDist-Hold has no switch point to show
    EXPECT_FLOAT_EQ(window->Grafik->Schaltpunkt().L6(), 4095.0f);
    EXPECT_FLOAT_EQ(window->Grafik->Schaltpunkt().L5(), 0.0f);

    // Selecting the address again later brings back the variant read, not the probe's guess.
    app.SensorType = 1;
    window->Slave_Adr->setCurrentText("5");
    window->Slave_AdrChange();
    EXPECT_EQ(app.SensorType, 10);
}

TEST_F(Qd20FormTest, WriteAllSendsGroupsInOrder) {
    openConnected();
    Qd20Settings s = window->settingsFromControls();
    s.fktQ1 = 2; // trigger
    s.osQ1 = s.ivQ1 = 0;
    s.SwitchPointQ1A = 100.0f; // raw 3722
    s.SwitchPointQ1B = 150.0f; // raw 2792
    s.fktQ2 = 2;               // Good Target
    s.osQ2 = s.ivQ2 = 1;
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

    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, '1', {58, 10, 3, 43, 40}), frame(5, 'T'),
                                                frame(5, '2', {63, 61, 0, 0, 2}), frame(5, 'G'),
                                                frame(5, 'V', {1}), frame(5, 'B', {5}), frame(5, 'R', {0}),
                                                frame(5, 'H', {0, 0}), frame(5, 'N', {63, 63})}));
    EXPECT_TRUE(prompts.messages().isEmpty());
    for (const QPushButton* b : {window->BSETQ1, window->BSETQ2, window->BAN})
        EXPECT_EQ(window->transferMark(b), TQD20_Form::kConfirmImage);
    EXPECT_FALSE(window->SettingsStored);
}

TEST_F(Qd20FormTest, WriteAllStopsAtFirstRefusal) {
    openConnected();
    window->FktQ1Slide->SetPosValue(2);
    window->FktQ1SlideChange();
    // The replies to '1' and 'T' pass; the reply to '2' is turned into a refusal 'N' with a
    // correct check byte (status and check byte both flipped by 'Y' ^ 'N').
    provider.lastLine->corruptIncoming(10, 'Y' ^ 'N');
    provider.lastLine->corruptIncoming(11, 'Y' ^ 'N');
    window->SetzenButtonClick();

    const auto frames = framesSent();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(std::string({char(frames[0][2]), char(frames[1][2]), char(frames[2][2])}), "1T2");
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler beim Daten senden oder ungültige Parameter"});
    EXPECT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);
    EXPECT_EQ(window->transferMark(window->BSETQ2), 0);
    EXPECT_EQ(window->statusText(2), "Status: 85 04 4E 4F");
}

TEST_F(Qd20FormTest, DisconnectClosesThePort) {
    openConnected();
    window->TrennenMenuClick();
    EXPECT_FALSE(ports.isOpen(1));
    EXPECT_FALSE(window->Connected);
    EXPECT_EQ(app.SensorType, 0);
    EXPECT_FALSE(window->BSETQ1->isEnabled());
    EXPECT_EQ(window->statusText(0), "Sensor: keiner");
    window->BSETQ1Click(); // handlers that need a sensor do nothing now
    window->TVSlideChange();
    EXPECT_TRUE(prompts.messages().isEmpty());
}

// However a connection ends or fails, nothing on screen still speaks of the last one.
TEST_F(Qd20FormTest, EndOfAConnectionClearsValuesLampsAndMarks) {
    provider.bus.addSensor(5, '0');
    const std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"port does not open",
         [this] {
             provider.absent = true;
             window->SuchenMenuClick();
         }},
        {"sensor stays silent",
         [this] {
             provider.bus.setBaud(9600);
             window->ManuellMenuClick();
         }},
        {"Trennen", [this] { window->TrennenMenuClick(); }},
        // The hidden connections of the service menu end the same way.
        {"no Halvern sensor answers", [this] { window->HalvernMenuClick(); }},
        {"Halvern on a busy line",
         [this] {
             provider.chatty = true;
             window->HalvernMenuClick();
         }},
        {"service connection on a busy line",
         [this] {
             provider.chatty = true;
             window->enableSensor1Click();
         }},
    };
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        provider.absent = false;
        provider.chatty = false;
        provider.bus.setBaud(38400);
        open();
        connectTo(5);
        window->StartButtonClick();
        window->RohDataTimerTimer();
        window->BESClick();
        ASSERT_FALSE(window->AbstandsText->text().isEmpty());
        ASSERT_EQ(window->led_qv->property("ledImage").toInt(), 1);
        ASSERT_EQ(window->transferMark(window->BES), TQD20_Form::kConfirmImage);

        end();
        EXPECT_FALSE(window->Connected);
        EXPECT_FALSE(window->RohDataTimer->isActive());
        for (QWidget* w : std::initializer_list<QWidget*>{window->BSETQ1, window->BES, window->StartButton,
                                                          window->StartButtonSingle})
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_FALSE(window->LesenButton->isEnabled());
        EXPECT_TRUE(window->AbstandsText->text().isEmpty());
        EXPECT_EQ(window->AbstandGauge->value(), window->AbstandGauge->minimum());
        EXPECT_EQ(window->led_qv->property("ledImage").toInt(), 0);
        EXPECT_EQ(window->led_q1->property("ledImage").toInt(), 0);
        EXPECT_EQ(window->transferMark(window->BES), 0);
        EXPECT_FALSE(window->data_ok->isChecked());
        EXPECT_EQ(window->statusText(0), "Sensor: keiner");
        EXPECT_EQ(window->statusText(1), "Port:");
        prompts.clear();
    }
}

// A mark says the last transfer of its group went through; a failed one takes it away.
TEST_F(Qd20FormTest, FailedTransferRemovesTheSuccessMark) {
    openConnected();
    const std::vector<std::pair<QPushButton*, std::function<void()>>> transfers = {
        {window->BES, [this] { window->BESClick(); }},
        {window->BSETQ1, [this] { window->BSETQ1Click(); }},
        {window->BAN, [this] { window->BANClick(); }},
    };
    for (const auto& [button, send] : transfers) {
        SCOPED_TRACE(button->objectName().toStdString());
        provider.bus.setBaud(38400);
        send();
        ASSERT_EQ(window->transferMark(button), TQD20_Form::kConfirmImage);
        provider.bus.setBaud(9600); // the sensor no longer hears the line
        send();
        EXPECT_EQ(window->transferMark(button), 0);
        EXPECT_EQ(prompts.messages().size(), 1);
        prompts.clear();
    }
}

// Closing the window leaves the family for the next start, unless "Trennen" ended it.
TEST_F(Qd20FormTest, ClosedWindowKeepsTheFamilyUnlessDisconnectedByTheUser) {
    provider.bus.addSensor(5, '0');
    open();
    window->Slave_Adr->setCurrentText("7"); // nobody there: the probe leaves no sensor type
    window->ManuellMenuClick();
    ASSERT_EQ(app.SensorType, 0);
    window->close();
    EXPECT_EQ(app.SensorType, 1);

    open();
    connectTo(5);
    window->TrennenMenuClick();
    window->close();
    EXPECT_EQ(app.SensorType, 0);
}
