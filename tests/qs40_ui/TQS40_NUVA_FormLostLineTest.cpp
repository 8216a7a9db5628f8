// The ZYL 36 window when the sensor's adapter is pulled in the middle of an activity: one
// message, the supervision output let go, no sensor shown, and a new connection works.
#include "NuvaFormFixture.h"

#include <functional>

namespace {

const QString kGone =
    QStringLiteral("sim COM 3: das Gerät ist nicht mehr da (abgezogen?): Input/output error");
const QString kLost = QStringLiteral("Die Verbindung zum Gerät ist abgebrochen:\n") + kGone +
                      QStringLiteral("\nSuchen oder verbinden Sie neu, sobald es wieder angeschlossen ist.");
const QString kNotFound = QStringLiteral("kein QS40MNTx gefunden\n") + kGone;

struct LostCase {
    const char* activity;
    bool connected;    // connected before the activity (its line fails), else the activity opens it
    int exchangesLeft; // NUVA exchanges that still go through
    QString message;   // the one error box
    std::function<void(NuvaFormTest&)> run;
};

QStringList errorBoxes(const ScriptedPrompts& prompts) {
    QStringList out;
    for (const ScriptedPrompts::Asked& a : prompts.asked())
        if (a.kind == ScriptedPrompts::Kind::Message && a.icon == Prompts::Icon::Error)
            out << a.text;
    return out;
}

void pollUntilStopped(NuvaFormTest& t, int ticks) {
    auto* timer = t.window->findChild<QTimer*>(QStringLiteral("Timer1"));
    for (int i = 0; i < ticks && timer->isActive(); ++i)
        t.tick();
}

} // namespace

TEST_F(NuvaFormTest, ALostLineEndsEveryActivityWithOneMessageAndLetsTheUserConnectAgain) {
    sensor.setFixedDistance(1500);
    const std::vector<LostCase> cases{
        {"poll", true, 2, kLost,
         [](NuvaFormTest& t) {
             t.action("StartButton")->trigger();
             pollUntilStopped(t, 10);
         }},
        {"supervision", true, NuvaSession::kTeachPolls + 2, kLost,
         [](NuvaFormTest& t) {
             t.action("Ueberwachung")->setChecked(true);
             t.prompts.answerInput(QStringLiteral("4"));
             t.prompts.answerInput(QStringLiteral("100"));
             t.action("StartButton")->trigger();
             for (int i = 0; i <= NuvaSession::kTeachPolls; ++i)
                 t.tick();
             EXPECT_TRUE(t.provider.monitor.rts()); // the distance is within the tolerance
             pollUntilStopped(t, 10);
         }},
        {"read", true, 1, kLost, [](NuvaFormTest& t) { t.action("LesenButton")->trigger(); }},
        {"write", true, 3, kLost, [](NuvaFormTest& t) { t.action("SetzenButton")->trigger(); }},
        {"store", true, 0, kLost, [](NuvaFormTest& t) { t.action("EEPROMspeichern1")->trigger(); }},
        {"protection field", true, 0, kLost,
         [](NuvaFormTest& t) { QMetaObject::invokeMethod(t.window.get(), "CSSchutzfeldExit"); }},
        {"limits read", true, 0, kLost, [](NuvaFormTest& t) { t.action("LimitParameter1")->trigger(); }},
        {"limits write", true, 2, kLost,
         [](NuvaFormTest& t) {
             t.action("LimitParameter1")->trigger();
             ASSERT_TRUE(t.window->limitDialog()->isVisible());
             t.window->limitDialog()->findChild<QPushButton*>(QStringLiteral("BSet"))->click();
         }},
        // The sensor's port fails at every try; the other ports hold no sensor.
        {"search", false, 0, kNotFound,
         [](NuvaFormTest& t) {
             t.action("SuchenButton")->trigger();
             t.runSearch();
         }},
        {"manual connection", false, 0, kNotFound,
         [](NuvaFormTest& t) { t.action("ManuellMenu")->trigger(); }},
        {"manual connection, reading", false, 1, kLost,
         [](NuvaFormTest& t) { t.action("ManuellMenu")->trigger(); }},
    };
    for (const LostCase& c : cases) {
        SCOPED_TRACE(c.activity);
        if (c.connected) {
            openConnected();
            provider.sensorLine->failAfterWrites(2 * static_cast<std::size_t>(c.exchangesLeft),
                                                 "Input/output error");
        } else {
            open();
            provider.failAfterWrites = 1 + 2 * c.exchangesLeft; // after the echo test
        }
        c.run(*this);
        provider.failAfterWrites = -1;

        EXPECT_EQ(errorBoxes(prompts).join(" | ").toStdString(), c.message.toStdString());
        EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
        EXPECT_FALSE(child<QTimer>("TSuchen")->isActive());
        EXPECT_FALSE(provider.monitor.isOpen());
        EXPECT_FALSE(provider.monitor.rts());
        EXPECT_FALSE(ports.isOpen(NuvaPortsProvider::kSensorPort));
        for (const char* name : {"LesenButton", "SetzenButton", "StartButton"})
            EXPECT_FALSE(action(name)->isEnabled()) << name;
        EXPECT_EQ(action("StartButton")->property("glyph").toString(), "GO");
        EXPECT_EQ(status(0), "Sensor: ");
        EXPECT_EQ(status(1), "Port: ");
        EXPECT_EQ(child<QLabel>("AbstandText")->text(), "0 mm");
        EXPECT_FALSE(dataOk());
        EXPECT_FALSE(window->limitDialog()->isVisible());

        // Plugged in again: the next connection opens the port afresh.
        prompts.clear();
        action("ManuellMenu")->trigger();
        EXPECT_EQ(window->ConnectedType(), 12) << prompts.messages().join(" | ").toStdString();
        EXPECT_TRUE(action("StartButton")->isEnabled());
        EXPECT_EQ(status(1), "Port: 3");
        window->close();
        window.reset();
        prompts.clear();
    }
}

TEST_F(NuvaFormTest, TheLostLineOfATextProtocolSensorIsToldOnceToo) {
    SimQs40TextSensor text{&clock};
    SimulatedLine* line = nullptr;
    provider.plug(NuvaPortsProvider::kSensorPort, [&](SimulatedLine& l) {
        l.attach(&text);
        line = &l;
    });
    open();
    action("ManuellMenu")->trigger();
    ASSERT_EQ(window->ConnectedType(), 7) << prompts.messages().join(" | ").toStdString();
    prompts.clear();
    line->failAfterWrites(20, "Input/output error"); // the second measurement fails
    action("StartButton")->trigger();
    pollUntilStopped(*this, 10);
    EXPECT_EQ(errorBoxes(prompts).join(" | ").toStdString(), kLost.toStdString());
    EXPECT_FALSE(ports.isOpen(NuvaPortsProvider::kSensorPort));
    EXPECT_FALSE(action("LesenButton")->isEnabled());
}
