// The QS40 window's service menu and handheld buttons: what they show, ask and report.
#include "Qs40FormFixture.h"
#include "SRecordText.h"
#include "SimHandheld.h"

#include <QComboBox>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

std::vector<std::string> texts(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::string> out;
    for (const auto& f : frames)
        out.emplace_back(f.begin(), f.end());
    return out;
}

} // namespace

struct Qs40FormServiceTest : Qs40FormTest {
    static constexpr int kHandheldCom = 6;
    SimHandheld handheld;

    Qs40FormServiceTest() {
        app.ExpertAccess = true;
        provider.plug(kHandheldCom, [this](SimulatedLine& line) { line.attach(&handheld); });
    }
    QString writeFile(const char* name, const std::string& content) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), qint64(content.size()));
        return file.fileName();
    }
    void connectHandheld() { connectManually(kHandheldCom); }
};

TEST_F(Qs40FormServiceTest, ServiceMenuAndFromPalmShowOnlyWithExpertAccess) {
    for (bool expert : {false, true}) {
        app.ExpertAccess = expert;
        open();
        EXPECT_EQ(find<QMenu>("spezial1")->menuAction()->isVisible(), expert);
        EXPECT_EQ(action("frompalm")->isVisible(), expert);
        EXPECT_TRUE(action("topalm")->isVisible());
        EXPECT_FALSE(action("SWDownload")->isEnabled());
        trigger("SuchenButton");
        for (const char* item : {"SWDownload", "SWDownloadMNTB1", "SUM"})
            EXPECT_TRUE(action(item)->isEnabled()) << item;
        window.reset();
    }
}

TEST_F(Qs40FormServiceTest, UpdateShowsEachPageWithoutCancelAndKeepsTheSensorsValues) {
    openConnected();
    SimQs40TextSensor::Values mine = sensor.values();
    mine.switchL = {0, 1200, 2400, 3600, 4800};
    mine.limitEN = 222; // not the window's default of 180
    mine.limitND = 99;
    mine.paramNR = 6;
    sensor.values() = mine;
    trigger("StartButton");
    ASSERT_TRUE(timer()->isActive());

    struct Seen {
        bool visible, modal, cancelShown, polling;
        QString text;
    };
    std::vector<Seen> seen;
    sensor.setFrameListener([&](const std::vector<std::uint8_t>& frame) {
        if (frame.size() == 257 && frame[0] == 'D')
            seen.push_back({progress.isVisible(), progress.windowModality() == Qt::ApplicationModal,
                            progress.BitBtn1->isVisible(), timer()->isActive(),
                            progress.ProgressBar->text()});
    });
    prompts.answerFile(writeFile("fw.mot", SRecordFile({{0xC0000, PatternBytes(260 * 256)}})));
    trigger("SWDownload");

    EXPECT_EQ(prompts.asked().front().preset, "Sensordateien(*.spi)|*.spi|SWdateien(*.mot)|*.mot");
    EXPECT_EQ(prompts.messages(), QStringList{"programmierung erfolgreich"});
    EXPECT_EQ(prompts.asked().back().icon, Prompts::Icon::Error);
    EXPECT_EQ(listed().back(), "programmierung erfolgreich");
    EXPECT_EQ(sensor.storedValues(), mine);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].text, "Seite 256 von 260");
    EXPECT_EQ(seen[3].text, "Seite 259 von 260");
    for (const Seen& s : seen) {
        EXPECT_TRUE(s.visible && s.modal);
        EXPECT_FALSE(s.cancelShown || s.polling);
    }
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.windowModality(), Qt::NonModal);
    EXPECT_FALSE(progress.BitBtn1->isHidden());
}

TEST_F(Qs40FormServiceTest, ACancelledChoiceEndsWith44BeforeAnyExchangeInEitherLanguage) {
    openConnected();
    trigger("EnglishMenu");
    trigger("SWDownloadMNTB1"); // no file given: the dialog is cancelled
    EXPECT_EQ(prompts.messages(), QStringList{"programmierung gescheitert"});
    EXPECT_EQ(listed().back(), "programmierung gescheitert: 44");
    trigger("SWDownload");
    EXPECT_EQ(listed().back(), "programmierung gescheitert");
    EXPECT_TRUE(sensor.frames().empty());
}

TEST_F(Qs40FormServiceTest, SetUserModeReportsTheSensorsAnswer) {
    openConnected();
    trigger("SUM");
    EXPECT_TRUE(sensor.userMode());
    ports.ClosePort(kCom);
    trigger("SUM");
    EXPECT_EQ(prompts.messages(), (QStringList{"Set User Mode erfolgreich", "Set User Mode gescheitert"}));
    EXPECT_EQ(listed(), (QStringList{"Set User Mode erfolgreich", "Set User Mode gescheitert"}));
}

TEST_F(Qs40FormServiceTest, HandheldTransfersAndTheirMessages) {
    open();
    window->PalmButtonClick(); // no port opened since the start
    EXPECT_EQ(prompts.messages(), QStringList{"Keine Kommunikation mit Palm!\nPalm "
                                              "angeschlossen?\nPC-Connect aktiviert?\nHotSync geschlossen?"});
    window.reset();

    connectHandheld();
    ASSERT_TRUE(action("topalm")->isEnabled());
    params.SwitchL = {0, 950, 2000, 3000, 4000};
    params.SwitchH = {0, 100, 200, 300, 400};
    trigger("topalm");
    EXPECT_TRUE(prompts.messages().isEmpty());
    const std::vector<std::string> sent = texts(handheld.frames());
    const auto first = std::find(sent.begin(), sent.end(), "ih1 0100");
    ASSERT_EQ(sent.end() - first, 8);
    EXPECT_EQ(first[1], "il1 0950");
    EXPECT_EQ(sent.back(), "il4 4000");

    handheld.switchH[2] = 50; // below what the window accepts
    trigger("frompalm");
    EXPECT_EQ(params.SwitchH[2], 100);
    EXPECT_EQ(text("signaloffedit2"), "+100mm");

    prompts.answerFile(writeFile("a.mot", "S9030000FC\r\n!"));
    trigger("transferieremotfile1");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(handheld.motFile().data()),
                         qsizetype(handheld.motFile().size())),
              "S9030000FC\r\n!");

    app.SensorType = 12; // a QS40MNTD parameter set
    trigger("topalm");
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler bei \nKommunikation mit Palm !"});
}
