// The ZYL24 window's transfers of single groups, transfer marks, and the screen updates that keep
// editors, labels and plot levels consistent.
#include "Qd20FormFixture.h"

TEST_F(Qd20FormTest, SwitchPointsAreLimitedToTheSensorScale) {
    openConnected();
    // Window mode: the range start goes out as 4093, the range end as 2.
    window->FktQ1Slide->SetPosValue(1);
    window->FktQ1SlideChange();
    window->SP_Q1->SetPos1Value(80.0f);
    window->SP_Q1->SetPos2Value(300.0f);
    window->BSETQ1Click();
    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, '1', {63, 61, 0, 0, 2})}));
    EXPECT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);

    // One switch point: the second value is 0 whatever the editor holds, no function letter.
    provider.bus.clearFrames();
    window->FktQ1Slide->SetPosValue(0);
    window->FktQ1SlideChange();
    EXPECT_EQ(window->transferMark(window->BSETQ1), 0);
    window->SP_Q1->SetPos1Value(150.0f); // raw 2792
    window->SP_Q1->SetPos2Value(200.0f);
    window->OSQ1_Slide->SetPosValue(0);
    window->IVQ1Slide->SetPosValue(0);
    window->BSETQ1Click();
    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, '1', {43, 40, 3, 0, 0})}));
    EXPECT_TRUE(prompts.messages().isEmpty());

    // Any edit of the group takes the mark away again.
    EXPECT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);
    window->SP_Q1->SetPos2Value(210.0f);
    EXPECT_EQ(window->transferMark(window->BSETQ1), 0);
}

TEST_F(Qd20FormTest, AnalogPointsAreLimitedAndRefusedHIsRetried) {
    openConnected();
    window->EVoll->setText("5000.0mm");
    window->ENull->setText("10mm");
    window->BANClick();
    EXPECT_EQ(window->EVoll->text(), "300.0mm");
    EXPECT_EQ(window->ENull->text(), "80.0mm");
    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, 'H', {0, 0}), frame(5, 'N', {63, 63})}));
    EXPECT_EQ(window->transferMark(window->BAN), TQD20_Form::kConfirmImage);

    // The sensor refuses a 20 mA point on its 4 mA point: the window sends 4 mA first, then
    // tries again.
    provider.bus.clearFrames();
    window->EVoll->setText("80.0mm");
    window->ENull->setText("300.0mm");
    window->BANClick();
    EXPECT_EQ(framesSent(),
              (std::vector<Frame>{frame(5, 'H', {63, 63}), frame(5, 'N', {0, 0}), frame(5, 'H', {63, 63})}));
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(window->transferMark(window->BAN), TQD20_Form::kConfirmImage);
    EXPECT_EQ(provider.bus.sensorAt(5)->parameters().analogPoint2Raw, 4095);
}

TEST_F(Qd20FormTest, AddressChangeRules) {
    openConnected();
    for (const char* entry : {"0", "128", "abc"}) {
        prompts.clear();
        prompts.answerInput(QString::fromLatin1(entry));
        window->BCAClick();
        EXPECT_EQ(prompts.messages(), QStringList{"ungültige Adresse !"}) << entry;
        ASSERT_EQ(prompts.asked().size(), 2u);
        EXPECT_EQ(prompts.asked()[0].text, "neue Adresse:");
    }
    window->BCAClick(); // cancelled
    EXPECT_TRUE(framesSent().empty());

    std::vector<std::uint64_t> times;
    provider.bus.setFrameListener([&](const Frame&) { times.push_back(clock.nowMs()); });
    prompts.clear();
    prompts.answerInput(QStringLiteral("300")); // low byte: 44
    window->BCAClick();
    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, 'L', {44}), frame(44, 'A')}));
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[1] - times[0], 1000u);
    EXPECT_EQ(window->Slave_Adr->currentText(), "44");
    EXPECT_EQ(window->transferMark(window->BCA), TQD20_Form::kConfirmImage);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(window->FoundTypes[44], 1);
}

TEST_F(Qd20FormTest, SoftwareTriggerOnlyForTriggeredFunctions) {
    openConnected();
    window->SetQ1Slide->SetPosValue(1);
    window->SetQ1SlideChange(); // function 0: no trigger
    EXPECT_TRUE(framesSent().empty());

    window->FktQ1Slide->SetPosValue(2);
    window->SetQ1SlideChange();
    window->SetQ1Slide->SetPosValue(0);
    window->SetQ1SlideChange();
    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, 'Q', {0}), frame(5, 'Q', {1})}));
    EXPECT_EQ(window->led_q1->property("ledImage").toInt(), 2); // yellow: high
    EXPECT_TRUE(window->SettingsStored);
}

TEST_F(Qd20FormTest, StoreAndFactoryPresetMarks) {
    SimZyl24Sensor& sensor = openConnected();
    window->TVSlide->SetPosValue(0);
    window->TVSlideChange();
    EXPECT_FALSE(window->SettingsStored);
    window->BESClick();
    EXPECT_TRUE(window->SettingsStored);
    EXPECT_EQ(window->transferMark(window->BES), TQD20_Form::kConfirmImage);
    EXPECT_TRUE(sensor.stored().keyLockOn);

    window->Hold_SlideChange();
    EXPECT_EQ(window->transferMark(window->BES), 0);
    window->BESClick();

    provider.bus.clearFrames();
    window->BWEClick();
    EXPECT_EQ(framesSent(), (std::vector<Frame>{frame(5, 'W'), frame(5, '?')}));
    EXPECT_FALSE(window->SettingsStored);
    EXPECT_EQ(window->transferMark(window->BES), 0);
    EXPECT_EQ(window->transferMark(window->BWE), TQD20_Form::kFactoryPresetImage);
    EXPECT_EQ(window->TVSlide->Position(), 1); // the preset was read back
}

TEST_F(Qd20FormTest, QuitQuestionOnlyWithUnstoredSettings) {
    openConnected();
    EXPECT_TRUE(window->close()); // nothing written since the window was shown
    EXPECT_TRUE(prompts.asked().empty());
    EXPECT_FALSE(ports.isOpen(1));

    window->show();
    connectTo(5);
    window->TVSlideChange();
    window->StartButtonClick(); // polling when the user tries to close
    prompts.answerButton(Prompts::No);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].icon, Prompts::Icon::Confirmation);
    EXPECT_EQ(prompts.asked()[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_EQ(prompts.asked()[0].text,
              QStringLiteral("Daten noch nicht im Sensor gespeichert!\nWollen Sie dennoch beenden?"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(ports.isOpen(1));
    // The poll was stopped on the way: the buttons say so and a single reading is possible.
    EXPECT_FALSE(window->RohDataTimer->isActive());
    EXPECT_FALSE(window->StartButton->property("running").toBool());
    EXPECT_TRUE(window->StartButtonSingle->isEnabled());

    // A new analog characteristic is lost at power-off just like any other setting.
    window->BESClick();
    window->BANClick();
    EXPECT_FALSE(window->SettingsStored);
    prompts.clear();
    EXPECT_TRUE(window->close()); // unscripted: Yes
    EXPECT_EQ(prompts.asked().size(), 1u);
}

TEST_F(Qd20FormTest, EditorsKeepTheirPointsInOrder) {
    open();
    TCSchaltpunkt* q1 = window->SP_Q1;
    q1->SetPos1Value(120.0f);
    q1->SetPos2Value(130.0f);
    q1->SetPos1Value(140.0f); // above the second point: drags it along
    EXPECT_FLOAT_EQ(q1->SP2(), 140.0f);
    EXPECT_EQ(window->LQ1_1->text(), "140.0mm");
    EXPECT_EQ(window->LQ1_2->text(), "140.0mm");
    q1->SetPos1Value(100.0f);

    // The analog characteristic may fall.
    window->SP_QA->SetPos1Value(250.0f);
    window->SP_QA->SetPos2Value(100.0f);
    EXPECT_FLOAT_EQ(window->SP_QA->SP1(), 250.0f);
    EXPECT_EQ(window->ENull->text(), "250.0mm");
    EXPECT_EQ(window->EVoll->text(), "100.0mm");

    const TLevel& levels = window->Grafik->Schaltpunkt();
    EXPECT_FLOAT_EQ(levels.L2(), 3722.0f); // 100 mm on the 220 mm sensor
    EXPECT_FLOAT_EQ(levels.L6(), 930.0f);  // 250 mm
    EXPECT_FLOAT_EQ(levels.L5(), 3722.0f);
}

TEST_F(Qd20FormTest, DraggedLevelMovesOnlyItsOwnPoint) {
    openConnected('3'); // 250 to 1250 mm: one raw step is about a quarter millimetre
    window->FktQ1Slide->SetPosValue(1);
    window->FktQ1SlideChange();
    window->FktQ2Slide->SetPosValue(1);
    window->FktQ2SlideChange();
    window->SP_Q1->SetPos1Value(500.0f);
    window->SP_Q1->SetPos2Value(600.0f);
    window->SP_Q2->SetPos1Value(700.0f);
    window->SP_Q2->SetPos2Value(800.0f);
    window->SP_QA->SetPos1Value(300.0f);
    window->SP_QA->SetPos2Value(1200.0f);
    window->BSETQ1Click();
    ASSERT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);

    window->Grafik->Schaltpunkt().SetL1(1638.0f); // the second Q1 point to 850 mm
    window->GrafikChangeLevel();

    EXPECT_NEAR(window->SP_Q1->SP2(), 850.0f, 0.051);
    EXPECT_EQ(window->LQ1_2->text(), window->SP_Q1->formatValue(window->SP_Q1->SP2()));
    EXPECT_FLOAT_EQ(window->SP_Q1->SP1(), 500.0f);
    EXPECT_FLOAT_EQ(window->SP_Q2->SP1(), 700.0f);
    EXPECT_FLOAT_EQ(window->SP_Q2->SP2(), 800.0f);
    EXPECT_FLOAT_EQ(window->SP_QA->SP1(), 300.0f);
    EXPECT_FLOAT_EQ(window->SP_QA->SP2(), 1200.0f);
    EXPECT_EQ(window->transferMark(window->BSETQ1), TQD20_Form::kConfirmImage);

    // The editors' handlers are attached again afterwards.
    window->SP_Q1->SetPos1Value(510.0f);
    EXPECT_EQ(window->LQ1_1->text(), "510.0mm");
}

TEST_F(Qd20FormTest, OutputFunctionsShowAndHideEditors) {
    open();
    const auto choose = [&](int q1, int q2) {
        window->FktQ1Slide->SetPosValue(q1);
        window->FktQ1SlideChange();
        window->FktQ2Slide->SetPosValue(q2);
        window->FktQ2SlideChange();
    };
    choose(2, 2); // trigger and Good Target: no switch points at all
    EXPECT_FALSE(window->SP_Q1->Visible() || window->SP_Q2->Visible());
    EXPECT_TRUE(window->TSP1->isHidden() && window->TSP2->isHidden());

    choose(1, 0);
    EXPECT_TRUE(window->SP_Q1->Visible() && window->SP_Q2->Visible());
    EXPECT_TRUE(window->SP_Q1->Schaltfenster());
    EXPECT_FALSE(window->SP_Q2->Schaltfenster());
    EXPECT_FALSE(window->TSP1->isHidden());

    window->OSQ1_Slide->SetPosValue(0); // "Öffner": normally closed
    window->OSQ1_SlideChange();
    EXPECT_FALSE(window->SP_Q1->norm_open());
}
