// The QS40 window when the adapter of the sensor or of the handheld is pulled in the middle of
// an activity: one message and no Retry, no connection shown, and a new connection works.
#include "Qs40FormFixture.h"
#include "SRecordText.h"
#include "SimHandheld.h"

#include <QComboBox>
#include <QFile>

#include <algorithm>
#include <functional>

namespace {

struct Qs40LostLineTest : Qs40FormTest {
    static constexpr int kHandheldCom = 6;
    SimHandheld handheld;
    SimulatedLine* sensorLine = nullptr;
    SimulatedLine* handheldLine = nullptr;
    // The line is pulled once its device has heard a request beginning so, so many times.
    std::string pullAt;
    int pullAfter = 1;

    Qs40LostLineTest() {
        app.ExpertAccess = true;
        provider.plug(kCom, [this](SimulatedLine& line) {
            line.attach(&sensor);
            sensorLine = &line;
        });
        provider.plug(kHandheldCom, [this](SimulatedLine& line) {
            line.attach(&handheld);
            handheldLine = &line;
        });
        sensor.setFrameListener([this](const std::vector<std::uint8_t>& f) { heard(f, sensorLine); });
        handheld.setFrameListener([this](const std::vector<std::uint8_t>& f) { heard(f, handheldLine); });
    }
    void heard(const std::vector<std::uint8_t>& frame, SimulatedLine* line) {
        // A request framed by STX and EOT, or a loader page: "D" and its 256 bytes.
        std::string text(frame.begin(), frame.end());
        if (text.size() >= 2 && text.front() == '\x02' && text.back() == '\x04')
            text = text.substr(1, text.size() - 2);
        else if (frame.size() == 257)
            text = "D";
        if (!pullAt.empty() && text.starts_with(pullAt) && --pullAfter == 0)
            line->failFromNow("Input/output error");
    }
    void connectHandheld() { connectManually(kHandheldCom); }
    QString imageFile() {
        QFile file(path("fw.mot"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string image = SRecordFile({{0xC0000, PatternBytes(260 * 256)}});
        file.write(image.data(), qint64(image.size()));
        return file.fileName();
    }
};

QString lostText(int com,
                 const char* howBack = "Suchen oder verbinden Sie neu, sobald es wieder angeschlossen ist.") {
    return QStringLiteral(
               "Die Verbindung zum Gerät ist abgebrochen:\nsim COM %1: das Gerät ist nicht mehr da "
               "(abgezogen?): Input/output error\n%2")
        .arg(com)
        .arg(QString::fromUtf8(howBack));
}

struct LostCase {
    const char* activity;
    bool handheld;      // on the handheld's port, else on the sensor's
    bool connected;     // connected before the activity, else the activity connects
    const char* pullAt; // the request after which the line fails
    int pullAfter;      // the how-manieth time it is heard
    std::function<void(Qs40LostLineTest&)> run;
};

} // namespace

TEST_F(Qs40LostLineTest, ALostLineEndsEveryActivityWithOneMessageAndLetsTheUserConnectAgain) {
    const auto triggering = [](const char* name) { return [name](Qs40LostLineTest& t) { t.trigger(name); }; };
    const std::vector<LostCase> cases{
        {"search", false, false, "GL1", 1, triggering("SuchenButton")},
        {"manual connection", false, false, "GH2", 1,
         [](Qs40LostLineTest& t) {
             t.portDialog.PortNummer->setEditText("3");
             t.portDialog.BaudRate->setEditText("38400");
             t.portDialog.Parity->setCurrentIndex(0);
             t.portDialog.Datenbits->setEditText("8");
             t.portDialog.CBTimeout->setEditText("100");
             t.trigger("ManuellMenu");
         }},
        {"read", false, true, "GL2", 1, triggering("LesenButton")},
        {"write", false, true, "IL2", 1, triggering("SetzenButton")},
        {"polling", false, true, "INM1", 3,
         [](Qs40LostLineTest& t) {
             t.trigger("StartButton");
             for (int i = 0; i < 10 && t.timer()->isActive(); ++i)
                 QMetaObject::invokeMethod(t.window.get(), "TimerLesenTimer");
         }},
        {"user mode", false, true, "SUM", 1, triggering("SUM")},
        {"to the handheld", true, true, "il2", 1, triggering("topalm")},
        {"from the handheld", true, true, "GL3", 1, triggering("frompalm")},
    };
    for (const LostCase& c : cases) {
        SCOPED_TRACE(c.activity);
        if (c.handheld)
            connectHandheld();
        else if (c.connected)
            openConnected();
        else
            open();
        pullAt = c.pullAt;
        pullAfter = c.pullAfter;
        c.run(*this);
        pullAt.clear();

        const int com = c.handheld ? kHandheldCom : kCom;
        EXPECT_EQ(prompts.messages().join(" | ").toStdString(), lostText(com).toStdString());
        ASSERT_FALSE(prompts.asked().empty());
        EXPECT_EQ(prompts.asked().back().buttons, Prompts::Ok); // nothing to retry on
        EXPECT_EQ(listed().join(" | ").toStdString(), lostText(com).replace('\n', ' ').toStdString());
        EXPECT_FALSE(timer()->isActive());
        EXPECT_FALSE(progress.isVisible());
        EXPECT_FALSE(window->session().connected());
        EXPECT_FALSE(ports.isOpen(com));
        for (const char* name : {"LesenButton", "SetzenButton", "StartButton", "SWDownload", "topalm"})
            EXPECT_FALSE(action(name)->isEnabled()) << name;
        EXPECT_EQ(label("PortPanel"), "Port:");
        EXPECT_EQ(label("AbstandsText"), "0 mm");

        // Plugged in again: the next connection opens the port afresh.
        prompts.clear();
        if (c.handheld) {
            window.reset();
            connectHandheld();
        } else {
            trigger("SuchenButton");
        }
        EXPECT_TRUE(window->session().connected()) << prompts.messages().join(" | ").toStdString();
        EXPECT_TRUE(action("LesenButton")->isEnabled());
        window->close();
        window.reset();
        prompts.clear();
    }
}

TEST_F(Qs40LostLineTest, ADownloadCutOffByAPulledAdapterIsFinishedFromItsEntryOnceTheAdapterIsBack) {
    openConnected();
    SimQs40TextSensor::Values mine = sensor.values();
    mine.switchL = {0, 1200, 2400, 3600, 4800};
    mine.limitDT = 2222;
    sensor.values() = mine;
    const auto chooseUpdate = [&] {
        prompts.clear();
        prompts.answerFile(imageFile());
        trigger("SWDownload");
    };
    const auto pullOnSecondPage = [&] {
        pullAt = "D";
        pullAfter = 2;
        chooseUpdate();
        pullAt.clear();
    };
    pullOnSecondPage();

    EXPECT_EQ(
        prompts.messages(),
        QStringList{lostText(kCom, "Stecken Sie es wieder ein und wählen Sie dasselbe Update noch einmal, "
                                   "ohne neu zu suchen: es beginnt von vorn und schreibt die zuvor "
                                   "gelesenen Werte zurück.")});
    EXPECT_FALSE(window->session().connected());
    EXPECT_FALSE(ports.isOpen(kCom));
    EXPECT_EQ(label("PortPanel"), "Port:");
    EXPECT_TRUE(action("SWDownload")->isEnabled());
    for (const char* name : {"SWDownloadMNTB1", "SUM", "LesenButton"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    EXPECT_TRUE(sensor.inLoader());

    // The adapter is not back yet: the port is named, and the download stays pending.
    provider.refuse(kCom, OpenError::Absent, "COM 3: no such device");
    chooseUpdate();
    EXPECT_EQ(prompts.messages(), QStringList{"programmierung gescheitert\nCOM 3: no such device"});
    EXPECT_TRUE(action("SWDownload")->isEnabled());

    provider.accept(kCom);
    sensor.clearFrames();
    chooseUpdate();
    EXPECT_EQ(prompts.messages(), QStringList{"programmierung erfolgreich"});
    EXPECT_TRUE(window->session().connected());
    EXPECT_EQ(label("PortPanel"), "Port: COM3");
    EXPECT_EQ(sensor.storedValues(), mine);
    const std::vector<std::uint8_t> image = PatternBytes(260 * 256);
    EXPECT_TRUE(std::equal(image.begin() + 256 * 256, image.end(), sensor.flash().begin() + 256 * 256));
    for (const auto& f : sensor.frames())
        EXPECT_NE(std::string(f.begin(), f.end()), "GH1"); // the held values, not the factory ones

    // A search in between drops it, even one that finds nothing: a sensor found later may be
    // another one.
    pullOnSecondPage();
    ASSERT_TRUE(action("SWDownload")->isEnabled());
    for (int com : {kCom, kHandheldCom})
        provider.refuse(com, OpenError::Absent, "no such device");
    trigger("SuchenButton");
    EXPECT_FALSE(window->session().connected());
    EXPECT_FALSE(action("SWDownload")->isEnabled());
}
