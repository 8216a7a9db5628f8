#include "TStartForm.h"

#include "AppTestFixture.h"
#include "GuiTestEnvironment.h"
#include "TAboutBox.h"
#include "VisibleTexts.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

struct StartFormTest : AppTestFixture {
    FakeSensorWindow zyl24;
    FakeSensorWindow zyl36;
    // One run of the program up to its first paint.
    std::unique_ptr<TStartForm> start(const QStringList& arguments = {}) {
        auto form = std::make_unique<TStartForm>(app, arguments);
        form->setSensorWindows(&zyl24, &zyl36);
        form->show();
        QCoreApplication::processEvents();
        return form;
    }
    // A new program run: fresh state, same settings.
    void newRun() {
        app.SensorType = 0;
        Language::setEnglish(app, false);
        zyl24.hide();
        zyl36.hide();
        zyl24.port = zyl36.port = -1;
        zyl24.showCount = zyl36.showCount = 0;
    }
    // What a previous run left in the start settings.
    void store(const QVariantMap& values) {
        QSettings s = startSettings();
        for (auto it = values.begin(); it != values.end(); ++it)
            s.setValue(it.key(), it.value());
    }
    // "english", "Sensor" and "SerialComPort" as the run stored them.
    static std::vector<int> stored() {
        const QSettings s = startSettings();
        return {s.value("english").toInt(), s.value("Sensor").toInt(), s.value("SerialComPort").toInt()};
    }
};

TEST_F(StartFormTest, FirstRunRestoresNothingOpensNothingAndWritesNothing) {
    auto form = start();
    EXPECT_EQ(zyl24.showCount + zyl36.showCount, 0);
    EXPECT_EQ(app.SensorType, 0);
    EXPECT_FALSE(app.EnglishUi);
    EXPECT_EQ(form->DateiMenu->title(), QStringLiteral("Datei"));
    EXPECT_TRUE(startSettings().allKeys().isEmpty());
    EXPECT_TRUE(prompts.asked().empty());
}

TEST_F(StartFormTest, NextStartReopensTheZyl24WindowOnItsPortInTheLastLanguage) {
    {
        auto form = start();
        form->EnglishMenuClick();
        form->Q20ButtonClick();
        EXPECT_EQ(zyl24.showCount, 1);
        EXPECT_EQ(zyl24.port, 0); // a family button hands over no port
        zyl24.port = 3;          // the user connected on COM3
        // A variant found by the window is kept as the family of the run.
        app.SensorType = 10;
        form->close();
    }
    EXPECT_EQ(stored(), (std::vector<int>{1, 10, 3}));
    newRun();
    auto form = start();
    EXPECT_TRUE(app.EnglishUi);
    EXPECT_EQ(form->DateiMenu->title(), QStringLiteral("&file"));
    EXPECT_EQ(app.SensorType, 10);
    EXPECT_EQ(zyl24.showCount, 1);
    EXPECT_EQ(zyl24.port, 3);
    EXPECT_EQ(zyl36.showCount, 0);
}

TEST_F(StartFormTest, Zyl36PortIsStoredAsZeroAndItsWindowReopensWithoutPort) {
    {
        auto form = start();
        form->QS40ButtonClick();
        EXPECT_EQ(zyl36.showCount, 1);
        zyl36.port = 4;
        zyl24.port = 6; // the other window's port is not the one of this run either
        form->close();
    }
    EXPECT_EQ(stored(), (std::vector<int>{0, 8, 0}));
    newRun();
    auto form = start();
    EXPECT_EQ(zyl36.showCount, 1);
    EXPECT_EQ(zyl36.port, 0);
    EXPECT_EQ(zyl24.showCount, 0);
}

TEST_F(StartFormTest, DispatcherShowsAWindowOnlyForItsFamilyCodes) {
    auto form = start();
    for (int code : {1, 2, 10, 11}) {
        app.SensorType = static_cast<std::uint8_t>(code);
        form->ShowSensorWindow(code + 1);
        EXPECT_EQ(zyl24.port, code + 1) << code;
    }
    EXPECT_EQ(zyl24.showCount, 4);
    for (int code : {0, 3, 5, 9, 12, 14, 16}) {
        app.SensorType = static_cast<std::uint8_t>(code);
        form->ShowSensorWindow(7);
    }
    EXPECT_EQ(zyl24.showCount, 4);
    EXPECT_EQ(zyl36.showCount, 0);
}

TEST_F(StartFormTest, TheQs40WindowIsOfferedOnlyWithTheSecondAccessWord) {
    FakeSensorWindow qs40;
    for (bool expert : {false, true}) {
        auto form = start(expert ? QStringList{"harzwolke"} : QStringList{});
        form->setQs40Window(&qs40);
        EXPECT_EQ(form->QS40MntbButton->isVisible(), expert);
        app.SensorType = 7;
        form->ShowSensorWindow(0);
        EXPECT_EQ(qs40.showCount, expert ? 1 : 0);
        form->QS40MntbButton->click();
        EXPECT_EQ(qs40.showCount, expert ? 2 : 0); // without the word, code 7 opens nothing
        form->hide();
        newRun();
    }
}

TEST_F(StartFormTest, StoredCodeWithoutWindowIsTakenSilently) {
    store({{"english", 0}, {"Sensor", 5}, {"SerialComPort", 0}});
    auto form = start();
    EXPECT_EQ(app.SensorType, 5);
    EXPECT_EQ(zyl24.showCount + zyl36.showCount, 0);
    EXPECT_TRUE(prompts.asked().empty());
}

TEST_F(StartFormTest, UnusableSettingsComeInOneMessageInTheRestoredLanguageOnlyAtTheFirstShowing) {
    // main() hands over what was wrong with the port map before the start window exists.
    app.startWarnings << QStringLiteral(
        "Ports: entry \"COM0=/dev/ttyUSB0\" ignored: COM numbers run from 1 to 20");
    store({{"english", 1}, {"Sensor", "ZYL 24"}, {"SerialComPort", 3}});
    auto form = start();
    ASSERT_EQ(prompts.asked().size(), 1u);
    const QString text = prompts.asked().front().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("These settings are invalid and are not used:\nPorts: entry "
                                               "\"COM0=/dev/ttyUSB0\" ignored: COM numbers run from 1 to 20\n"
                                               "\"Sensor\" = \"ZYL 24\"\n(")))
        << text.toStdString();
    EXPECT_TRUE(app.startWarnings.isEmpty());
    // The readable value was still taken; the broken one opened nothing, and the window works.
    EXPECT_EQ(zyl24.showCount, 0);
    form->Q20ButtonClick();
    EXPECT_EQ(zyl24.showCount, 1);
    form->hide();
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.asked().size(), 1u);
}

TEST_F(StartFormTest, ClosingEndsWithOpenPortsClosedButNotWhileAFamilyWindowStays) {
    auto form = start();
    provider.plug(2);
    provider.plug(19);
    ASSERT_TRUE(ports.OpenBusPort(2, 38400, 0, 0, 8, 50));
    ASSERT_TRUE(ports.OpenBusPort(19, 38400, 0, 0, 8, 50));
    form->Q20ButtonClick();
    zyl24.refuseClose = true;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(ports.isOpen(2));
    EXPECT_TRUE(startSettings().allKeys().isEmpty());
    zyl24.refuseClose = false;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(zyl24.isVisible());
    EXPECT_FALSE(ports.isOpen(2));
    EXPECT_FALSE(ports.isOpen(19));
    EXPECT_EQ(startSettings().value("Sensor").toInt(), 1);
}

struct AccessCase {
    QStringList arguments;
    bool service;
    bool expert;
};

class AccessWordTest : public AppTestFixture, public ::testing::WithParamInterface<AccessCase> {};

TEST_P(AccessWordTest, OnlyTheFirstArgumentInExactSpellingGrantsAccess) {
    TStartForm form(app, GetParam().arguments);
    EXPECT_EQ(app.ServiceAccess, GetParam().service);
    EXPECT_EQ(app.ExpertAccess, GetParam().expert);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, AccessWordTest,
    ::testing::Values(AccessCase{{}, false, false}, AccessCase{{"kiesgrube"}, true, false},
                      AccessCase{{"harzwolke"}, false, true}, AccessCase{{"Kiesgrube"}, false, false},
                      AccessCase{{"HARZWOLKE"}, false, false}, AccessCase{{"kiesgrube "}, false, false},
                      AccessCase{{"x", "kiesgrube"}, false, false},
                      AccessCase{{"harzwolke", "kiesgrube"}, false, true}));

TEST_F(StartFormTest, LanguageSwitchRewritesTheStartWindowBothWays) {
    auto form = start();
    const auto texts = [&] {
        return QStringList{form->DateiMenu->title(),  form->EndeMenu->text(),     form->EndeButton->toolTip(),
                           form->HilfeMenu->title(),  form->LanguageMenu->title(), app.QuestionSuffix,
                           app.HelpFile,              form->windowTitle(),         form->Q20Button->text(),
                           form->QS40Button->text(),  form->SensorPanel->text(),   form->PortPanel->text()};
    };
    const QStringList german{"Datei",   "&Beenden",  "Programm beenden",
                             "&Hilfe",  "&language", " bereits offen\nschliessen?",
                             "ZYL24help.hlp", "ZYLConfig", "ZYL 24",
                             "ZYL 36", "Sensor:", "Port:"};
    const QStringList english{"&file",  "&quit",    "quit programm",
                              "&help",  "&Sprache", " already open\nclose it?",
                              "ZYL24HELPENGLISH.HLP", "ZYLConfig", "ZYL 24",
                              "ZYL 36", "Sensor:", "Port:"};
    EXPECT_EQ(texts(), german);
    form->EnglishMenuClick();
    EXPECT_TRUE(app.EnglishUi);
    EXPECT_EQ(texts(), english);
    EXPECT_TRUE(form->EnglishMenu->isChecked());
    form->GermanMenuClick();
    EXPECT_FALSE(app.EnglishUi);
    EXPECT_EQ(texts(), german);
    EXPECT_TRUE(form->GermanMenu->isChecked());
}


// A family button of a window already on screen only brings that window to the front.
TEST_F(StartFormTest, FamilyButtonOfAnOpenWindowKeepsItsPortAndSensor) {
    auto form = start();
    form->Q20ButtonClick();
    zyl24.port = 3; // connected on COM3 to the 1000 mm variant
    app.SensorType = 10;
    form->Q20ButtonClick();
    EXPECT_EQ(zyl24.showCount, 2);
    EXPECT_EQ(zyl24.port, 3);
    EXPECT_EQ(app.SensorType, 10);
}

} // namespace

// Apart from the names it shows, the start window and the about box speak the language chosen.
TEST_F(StartFormTest, EveryTextOfTheStartWindowAndTheAboutBoxFollowsTheLanguage) {
    const QStringList sameInBoth{"ZYLConfig", "ZYL 24",  "ZYL 36", "QS40", "&Info",     "&deutsch",
                                 "&english",  "Sensor:", "Port:",  "Info", "Vantrisco", "OK"};
    const auto fixed = [&](const QString&, const QString& text) {
        return sameInBoth.contains(text) || text.startsWith(QLatin1String("Version: ")) ||
               text.startsWith(QLatin1String("https://"));
    };
    const auto setEnglish = [this](bool english) { Language::setEnglish(app, english); };
    const auto form = start({QStringLiteral("harzwolke")}); // with the QS40 button
    TAboutBox about(app);
    about.show();
    EXPECT_EQ(untranslatedTexts(form.get(), setEnglish, fixed).join('\n').toStdString(), "");
    EXPECT_EQ(untranslatedTexts(&about, setEnglish, fixed).join('\n').toStdString(), "");
}
