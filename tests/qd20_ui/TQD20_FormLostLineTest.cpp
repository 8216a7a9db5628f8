// The ZYL24 window when its port fails in the middle of an activity (a pulled adapter): the
// activity ends with one message, the window shows no sensor, and a new connection works.
#include "Qd20FormFixture.h"

#include "SimHalvernSensor.h"

#include <QProgressBar>

#include <functional>

namespace {

const QString kLostGerman =
    QStringLiteral("Die Verbindung zum Gerät ist abgebrochen:\n"
                   "bus on COM1: das Gerät ist nicht mehr da (abgezogen?): Input/output error\n"
                   "Suchen oder verbinden Sie neu, sobald es wieder angeschlossen ist.");

struct LostCase {
    const char* activity;
    bool connected; // the activity starts on a connection to the sensor at address 5
    int writesLeft; // writes that still go through; -1: the port fails before the activity
    std::function<void(Qd20FormTest&)> start;
    std::function<void(Qd20FormTest&)> drive; // the timer ticks that follow, if any
};

void pollTicks(QTimer* timer, const std::function<void()>& tick) {
    for (int i = 0; i < 20 && timer->isActive(); ++i)
        tick();
}

} // namespace

TEST_F(Qd20FormTest, ALostPortEndsEveryActivityWithOneMessageAndLetsTheUserConnectAgain) {
    provider.bus.addSensor(5, '0');
    const auto none = [](Qd20FormTest&) {};
    const std::vector<LostCase> cases{
        {"distance poll", true, 3, [](Qd20FormTest& t) { t.window->StartButtonClick(); },
         [](Qd20FormTest& t) { pollTicks(t.window->RohDataTimer, [&] { t.window->RohDataTimerTimer(); }); }},
        // The echo test and the first probe go out, the second probe fails.
        {"search", false, 2, [](Qd20FormTest& t) { t.window->SuchenMenuClick(); },
         [](Qd20FormTest& t) { t.runSearch(); }},
        {"search, reading what it found", false, 7, [](Qd20FormTest& t) { t.window->SuchenMenuClick(); },
         [](Qd20FormTest& t) { t.runSearch(); }},
        {"manual connection", false, 1,
         [](Qd20FormTest& t) {
             t.window->Slave_Adr->setCurrentText(QStringLiteral("5"));
             t.window->ManuellMenuClick();
         },
         none},
        {"manual connection, reading", false, 3,
         [](Qd20FormTest& t) {
             t.window->Slave_Adr->setCurrentText(QStringLiteral("5"));
             t.window->ManuellMenuClick();
         },
         none},
        {"read", true, 0, [](Qd20FormTest& t) { t.window->LesenMenuClick(); }, none},
        {"write all", true, 2, [](Qd20FormTest& t) { t.window->SetzenButtonClick(); }, none},
        {"address change", true, 0,
         [](Qd20FormTest& t) {
             t.prompts.answerInput(QStringLiteral("9"));
             t.window->BCAClick();
         },
         none},
        {"block read", true, -1,
         [](Qd20FormTest& t) {
             t.window->FktQ1Slide->SetPosValue(7); // the fast mode: the start button reads the stream
             t.window->BSETQ1Click();
             t.provider.lastLine->failFromNow("Input/output error");
             t.window->StartButtonClick();
         },
         none},
    };
    for (const LostCase& c : cases) {
        SCOPED_TRACE(c.activity);
        open();
        if (c.connected)
            connectTo(5);
        // The port is opened by the activity itself when it connects: the failure is armed
        // on every line handed out from here on.
        provider.failAfterWrites = c.writesLeft;
        if (c.connected && c.writesLeft >= 0)
            provider.lastLine->failAfterWrites(static_cast<std::size_t>(c.writesLeft), "Input/output error");
        c.start(*this);
        c.drive(*this);
        provider.failAfterWrites = -1;

        EXPECT_EQ(prompts.messages().join(" | ").toStdString(), kLostGerman.toStdString());
        for (QTimer* t : {window->RohDataTimer, window->MessDataTimer, window->TSuchen})
            EXPECT_FALSE(t->isActive());
        EXPECT_FALSE(progress.isVisible());
        EXPECT_FALSE(window->Connected);
        EXPECT_FALSE(ports.isOpen(1));
        EXPECT_FALSE(window->LesenButton->isEnabled());
        EXPECT_FALSE(window->StartButton->isEnabled());
        EXPECT_TRUE(window->SuchenButton->isEnabled());
        EXPECT_EQ(window->statusText(0), "Sensor: keiner");
        EXPECT_EQ(window->statusText(1), "Port:");
        EXPECT_EQ(window->AbstandsText->text(), "");
        EXPECT_FALSE(window->data_ok->isChecked());

        // Plugged in again: the next connection opens the port afresh.
        prompts.clear();
        connectTo(5);
        EXPECT_TRUE(window->LesenButton->isEnabled());
        EXPECT_EQ(window->statusText(1), "Port: COM1");
        window->close();
        window.reset();
        prompts.clear();
    }
}

TEST_F(Qd20FormTest, ALostPortEndsTheHalvernPollWithOneMessage) {
    SimHalvernSensor halvern(14, &clock);
    provider.others.push_back(&halvern);
    open();
    window->HalvernMenuClick();
    ASSERT_TRUE(window->HalvernMode) << prompts.messages().join('|').toStdString();
    window->StartButtonClick();
    window->HalvernDataTimerTimer();
    provider.lastLine->failFromNow("Input/output error");
    for (int i = 0; i < 5 && window->HalvernDataTimer->isActive(); ++i)
        window->HalvernDataTimerTimer();
    EXPECT_EQ(prompts.messages().join(" | ").toStdString(), kLostGerman.toStdString());
    EXPECT_FALSE(window->HalvernDataTimer->isActive());
    EXPECT_FALSE(window->HalvernMode);
    EXPECT_FALSE(ports.isOpen(1));
    EXPECT_FALSE(window->StartButton->isEnabled());
}
