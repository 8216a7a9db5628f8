// The ZYL24 window's simulation mode and service functions: pixel curve and text, the service
// connection, Halvern sensors and the access word that shows them.
#include "Qd20FormFixture.h"

#include "SimHalvernSensor.h"
#include "TFSimulation.h"

#include <QPlainTextEdit>

namespace {

struct Qd20ServiceTest : Qd20FormTest {
    TFSimulation simulation{app};

    Qd20ServiceTest() { app.simulation = &simulation; }
    ~Qd20ServiceTest() override {
        window.reset();
        app.simulation = nullptr;
    }

    int shownReplyBytes() const {
        int n = 0;
        for (int i = 0; i < TFSimulation::kReplySlots; ++i)
            n += simulation.replySlot(i).hex->isHidden() ? 0 : 1;
        return n;
    }
    int replyByte(int i) const { return simulation.replySlot(i).hex->text().toInt(nullptr, 16); }
    QStringList replyHex(int n) const {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << simulation.replySlot(i).hex->text();
        return out;
    }
    std::uint16_t ringSlot(int i) const { return window->samples().slot(static_cast<std::size_t>(i)); }
};

} // namespace

TEST_F(Qd20ServiceTest, SimulationShowsRequestsAndBuildsTheReplies) {
    open();
    window->Slave_Adr->setCurrentText("no");
    window->Simulation1Click();
    EXPECT_TRUE(simulation.isVisible());
    EXPECT_EQ(window->Slave_Adr->currentText(), "1");
    EXPECT_TRUE(window->StartButton->isEnabled() && window->BSETQ1->isEnabled());
    EXPECT_FALSE(window->SetzenButton->isEnabled());

    // "Schaltausgang": the '1' request with its five data bytes, then the acknowledge.
    window->FktQ1Slide->SetPosValue(0);
    window->BSETQ1Click();
    EXPECT_EQ(simulation.requestSlot(2).hex->text(), "0x31");
    EXPECT_FALSE(simulation.requestSlot(8).hex->isHidden());
    EXPECT_EQ(shownReplyBytes(), 4);
    EXPECT_EQ(replyHex(4), (QStringList{"0x81", "0x04", "0x59", "0x5C"}));
    EXPECT_TRUE(prompts.messages().isEmpty());
    window->BESClick(); // a simulated acknowledge counts as stored
    EXPECT_TRUE(window->SettingsStored);
    EXPECT_EQ(window->transferMark(window->BES), TQD20_Form::kConfirmImage);

    // Target nearer than the Q1 point: Q1 on, in the lamp and in bit 6 of the last data byte.
    window->SP_Q1->SetPos1Value(200.0f);
    simulation.SP_Q1->SetPos1Value(150.0f);
    window->StartButtonClick();
    window->RohDataTimerTimer();
    EXPECT_EQ(shownReplyBytes(), 6);
    EXPECT_EQ(replyByte(4) & 0x40, 0x40);
    EXPECT_EQ(replyByte(3) & 0x40, 0x40); // good target, always
    EXPECT_EQ(window->led_q1->property("ledImage").toInt(), 2);
    EXPECT_EQ(window->led_qv->property("ledImage").toInt(), 1);
    EXPECT_EQ(window->AbstandsText->text(), "150.0 mm");
    EXPECT_TRUE(window->samples().HaveData());
    simulation.SP_Q1->SetPos1Value(250.0f);
    window->RohDataTimerTimer();
    EXPECT_EQ(replyByte(4) & 0x40, 0);
    EXPECT_EQ(window->led_q1->property("ledImage").toInt(), 0);

    window->LesenMenuClick();
    EXPECT_EQ(shownReplyBytes(), 22);
    EXPECT_EQ(replyHex(2), (QStringList{"0x81", "0x16"}));
    window->BSETQ2Click();
    EXPECT_EQ(shownReplyBytes(), 4);
    EXPECT_TRUE(framesSent().empty());
}

// The simulated block is what a sensor of the window's own variant would report: reading it back
// neither switches the range nor moves the points.
TEST_F(Qd20ServiceTest, SimulatedReadKeepsTheVariantAndPointsOfTheWindow) {
    app.SensorType = 10;
    open();
    window->FktQ1Slide->SetPosValue(1); // a window: the block carries both points
    window->FktQ1SlideChange();
    window->SP_Q1->SetPos2Value(700.0f);
    window->SP_Q1->SetPos1Value(500.0f);
    window->Simulation1Click();
    window->LesenMenuClick();
    EXPECT_EQ(app.SensorType, 10);
    EXPECT_EQ(window->statusText(0), "Sensor: ZYL24_1000");
    EXPECT_EQ(replyByte(5), '3');
    EXPECT_NEAR(window->SP_Q1->SP1(), 500.0f, 0.15f);
    EXPECT_NEAR(window->SP_Q1->SP2(), 700.0f, 0.15f);
}

TEST_F(Qd20ServiceTest, PixelCurveAveragesTheChosenNumberOfReadings) {
    openConnected();

    window->StartButtonClick();
    prompts.answerInput("200");
    prompts.answerInput("0"); // below the least number of averages
    window->lesePixeldaten1Click();
    EXPECT_TRUE(window->TimerPixelGraf->isActive());
    EXPECT_FALSE(window->RohDataTimer->isActive()); // the curve takes the plot over from the poll
    EXPECT_FALSE(window->StartButton->property("running").toBool());
    EXPECT_EQ(window->TimerPixelGraf->interval(), 200);
    EXPECT_EQ(window->pixels().PixelAverages(), 1);
    window->TimerPixelGrafTimer();
    window->TimerPixelGrafTimer();
    // One average: each reading replaces the curve.
    EXPECT_EQ(window->pixels().mean(40), window->pixels().cell(40, 0));
    EXPECT_GE(window->pixels().cell(40, 0), 200); // at least the simulated background
    EXPECT_EQ(ringSlot(0), window->pixels().mean(0));
    EXPECT_EQ(ringSlot(399), window->pixels().mean(101));
    EXPECT_EQ(ringSlot(400), 0); // the last slot is not part of the curve
    EXPECT_EQ(window->Grafik->DataOldest, window->Grafik->DataStart);
    EXPECT_TRUE(window->samples().HaveData());

    window->lesePixeldaten1Click();
    EXPECT_FALSE(window->TimerPixelGraf->isActive());

    prompts.answerInput("x"); // not a number: the default interval
    prompts.answerInput("500");
    window->lesePixeldaten1Click();
    EXPECT_EQ(window->TimerPixelGraf->interval(), 500);
    EXPECT_EQ(window->pixels().PixelAverages(), 100);
    for (int i = 0; i < 3; ++i)
        window->TimerPixelGrafTimer();
    // Until a hundred readings are in, the missing ones count as 0.
    int sum = 0;
    int readings = 0;
    for (int c = 0; c < 100; ++c) {
        sum += window->pixels().cell(40, c);
        readings += window->pixels().cell(40, c) != 0 ? 1 : 0;
    }
    EXPECT_EQ(readings, 3);
    EXPECT_EQ(window->pixels().mean(40), sum / 100);
}

TEST_F(Qd20ServiceTest, EveryShowingStartsWithOneAverage) {
    openConnected();
    prompts.answerInput("200");
    prompts.answerInput("20");
    window->lesePixeldaten1Click();
    ASSERT_EQ(window->pixels().PixelAverages(), 20);
    window->lesePixeldaten1Click();
    window->close();
    window->show();
    EXPECT_EQ(window->pixels().PixelAverages(), 1);
}

// The request on display is always the one whose answer stands below it: a request the window
// builds no answer for leaves the reply area empty.
TEST_F(Qd20ServiceTest, SimulatedRequestWithoutAnswerEmptiesTheReplyArea) {
    open();
    window->Simulation1Click();
    window->LesenMenuClick();
    ASSERT_EQ(shownReplyBytes(), 22);
    window->TimerPixelGrafTimer(); // '6': the simulation answers nothing
    EXPECT_EQ(simulation.requestSlot(2).hex->text(), "0x36");
    EXPECT_EQ(replyHex(3), (QStringList{"0x00", "0x00", "0x00"}));
    EXPECT_EQ(shownReplyBytes(), 3);
}

TEST_F(Qd20ServiceTest, PixelTextAddsLinesAndStopsAfterFiveHundred) {
    openConnected();
    window->StartButtonClick();
    prompts.answerInput("50");
    window->lesePixeldatenMemo1Click();
    EXPECT_TRUE(window->Memo1->isVisible());
    EXPECT_TRUE(window->TimerPixel->isActive());
    EXPECT_FALSE(window->RohDataTimer->isActive());
    EXPECT_EQ(window->TimerPixel->interval(), 50);

    window->TimerPixelTimer();
    const QStringList lines = window->Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].split(';').size(), 10);
    EXPECT_EQ(lines[1].split(';').size(), 3);
    EXPECT_TRUE(prompts.messages().isEmpty());

    for (int i = 0; i < 498; ++i)
        window->Memo1->appendPlainText("x");
    window->TimerPixelTimer();
    EXPECT_TRUE(window->TimerPixel->isActive()); // more than 500 lines only after this one
    window->TimerPixelTimer();
    EXPECT_FALSE(window->TimerPixel->isActive());
    EXPECT_EQ(prompts.messages(), QStringList{"Timer angebalten!"});

    window->MenuItem2Click();
    EXPECT_FALSE(window->Memo1->isVisible());
}

TEST_F(Qd20ServiceTest, ServiceConnectionNeedsNoProbeAndEnablesTheServiceEntries) {
    provider.bus.addSensor(5, '0');
    open();
    EXPECT_FALSE(window->SWVersion->isEnabled());
    EXPECT_TRUE(window->enableService->isEnabled());
    window->Slave_Adr->setCurrentText("5");
    window->enableSensor1Click();
    EXPECT_TRUE(window->Connected);
    EXPECT_TRUE(framesSent().empty());
    EXPECT_EQ(window->statusText(1), "Port: COM1");
    for (QAction* a :
         {window->SWDownload, window->SWVersion, window->Produktionsnummer, window->Gertevariante,
          window->SoftwarevarianteS0, window->SoftwarevarianteS1, window->disableService})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    window->StartButtonSingleClick();
    EXPECT_FALSE(window->AbstandsText->text().isEmpty());
}

TEST_F(Qd20ServiceTest, HalvernReadingsKeepTheirLeadingZeros) {
    SimHalvernSensor halvern(14, &clock);
    halvern.setFixedDistance(123.05);
    provider.others.push_back(&halvern);
    open();
    window->HalvernMenuClick();
    ASSERT_TRUE(window->HalvernMode) << prompts.messages().join('|').toStdString();
    EXPECT_FALSE(window->Connected);
    EXPECT_EQ(window->statusText(0), "Halvern");
    EXPECT_EQ(window->Grafik->Ymax(), 6000);
    EXPECT_TRUE(window->StartButton->isEnabled());

    window->StartButtonClick();
    EXPECT_TRUE(window->HalvernDataTimer->isActive());
    EXPECT_TRUE(window->StartButton->property("running").toBool());
    window->HalvernDataTimerTimer();
    EXPECT_EQ(window->AbstandsText->text(), "123.05 mm");
    EXPECT_EQ(ringSlot(0), 1230);
    halvern.setFixedDistance(120.05);
    window->HalvernDataTimerTimer();
    EXPECT_EQ(window->AbstandsText->text(), "120.05 mm");
    EXPECT_FALSE(window->samples().HaveData());

    window->StartButtonClick();
    EXPECT_FALSE(window->HalvernDataTimer->isActive());
    window->TrennenMenuClick();
    EXPECT_FALSE(window->HalvernMode);
    EXPECT_EQ(window->Grafik->Ymax(), 4096);
}

TEST_F(Qd20ServiceTest, FineHalvernSensorPlotsTenthsOfAMillimetre) {
    SimHalvernSensor halvern(15, &clock);
    halvern.setFixedDistance(850.125);
    provider.others.push_back(&halvern);
    open();
    window->HalvernMenuClick();
    ASSERT_TRUE(window->HalvernMode);
    window->StartButtonClick();
    window->HalvernDataTimerTimer();
    EXPECT_EQ(window->AbstandsText->text(), "850.125 mm");
    EXPECT_EQ(ringSlot(0), 8501); // a hundredth would read as a negative 16-bit sample
    EXPECT_GE(window->Grafik->Ymax(), 9000);
}

TEST_F(Qd20ServiceTest, HiddenItemsShowOnlyWithServiceAccess) {
    open();
    EXPECT_FALSE(window->spezial1->menuAction()->isVisible());
    EXPECT_FALSE(window->SensorMenu->menuAction()->isVisible());
    window.reset();
    app.ServiceAccess = true;
    open();
    EXPECT_TRUE(window->spezial1->menuAction()->isVisible());
    for (QAction* a : {window->HalvernMenu, window->Simulation1, window->QD20NVB701})
        EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(window->SensorMenu->menuAction()->isVisible());
}
