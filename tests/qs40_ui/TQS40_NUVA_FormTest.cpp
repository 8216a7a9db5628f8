#include "NuvaFormFixture.h"

#include "BinaryRecordStore.h"
#include "TCSchaltpunkt.h"

#include <QFile>
#include <QMenu>
#include <QTest>

namespace {

TEST_F(NuvaFormTest, ConnectingReadsTheSensorIntoTheControls) {
    openConnected();
    EXPECT_EQ(status(0), "Sensor: QS40MNTD 2.7");
    EXPECT_EQ(status(1), "Port: 3");
    EXPECT_TRUE(dataOk());
    EXPECT_EQ(child<TCSchaltpunkt>("SPGF1")->SP1(), 2000.0f);
    EXPECT_EQ(child<QLineEdit>("EHf2")->text(), "48");
    EXPECT_EQ(child<TCSchaltpunkt>("SPWF2")->Stopp(), 5300.0f);
    EXPECT_FALSE(limitsChild<QCheckBox>("RB_nah")->isHidden()); // the sensor has the near-range switch-off
}

TEST_F(NuvaFormTest, AFailedSearchSaysSoInEitherLanguage) {
    provider.plug(NuvaPortsProvider::kSensorPort, {}); // nothing answers there
    provider.monitorPresent = false;
    for (bool english : {false, true}) {
        open();
        Language::setEnglish(app, english);
        prompts.clear();
        action("SuchenButton")->trigger();
        runSearch();
        EXPECT_EQ(prompts.messages(), QStringList{english ? "no QS40MNTx found" : "kein QS40MNTx gefunden"});
        EXPECT_EQ(status(2), english ? "Status: no sensor" : "kein Sensor");
        EXPECT_EQ(status(0), "Sensor: ");
        EXPECT_FALSE(action("LesenButton")->isEnabled());
    }
}

TEST_F(NuvaFormTest, TheSearchRunsPortByPortAndCanBeCancelled) {
    open();
    action("SuchenButton")->trigger();
    QMetaObject::invokeMethod(window.get(), "TSuchenTimer"); // COM1
    app.StopSearch = true;                                   // the progress dialog's button
    runSearch();
    EXPECT_EQ(window->ConnectedType(), 0);
    EXPECT_EQ(prompts.messages(), QStringList{"kein QS40MNTx gefunden"});

    action("SuchenButton")->trigger();
    EXPECT_FALSE(action("ManuellMenu")->isEnabled());
    runSearch();
    EXPECT_EQ(window->ConnectedType(), 12);
    EXPECT_EQ(app.TypePort[12], 3);
    EXPECT_EQ(status(1), "Port: 3");
    EXPECT_TRUE(action("ManuellMenu")->isEnabled());
    EXPECT_TRUE(dataOk()); // read at once
}

TEST_F(NuvaFormTest, AWriteWithAPointTheSensorRefusedShowsTheMask) {
    RefusesFirstPoint refusing(sensor);
    provider.plug(NuvaPortsProvider::kSensorPort, [&](SimulatedLine& line) {
        sensor.lineReset();
        line.attach(&refusing);
    });
    openConnected();
    child<TCSchaltpunkt>("SPGN1")->SetPos1Value(1504);
    action("SetzenButton")->trigger();
    EXPECT_EQ(prompts.messages(), QStringList{"Programmierung fehlgeschlagen 00000001"});
    EXPECT_FALSE(dataOk());
    EXPECT_EQ(sensor.stores(), 0);
}

TEST_F(NuvaFormTest, ACleanWriteStoresAndClosesWithoutAsking) {
    openConnected();
    child<TCSchaltpunkt>("SPGN1")->SetPos1Value(1504);
    action("SetzenButton")->trigger();
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    EXPECT_TRUE(dataOk());
    EXPECT_EQ(sensor.stores(), 1);
    EXPECT_TRUE(child<QPushButton>("BES")->isEnabled());
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(prompts.asked().empty());
    EXPECT_FALSE(ports.isOpen(NuvaPortsProvider::kSensorPort));

    // The record keeps the points for the next showing: 40 bytes, low byte first.
    const BinaryRecordStore::ReadResult kept = app.records->read("zyl36", "Einstellungen", 40);
    ASSERT_TRUE(kept.bytes);
    EXPECT_EQ((*kept.bytes)[0], 1504 & 0xFF);
    EXPECT_EQ((*kept.bytes)[1], 1504 >> 8);
    open();
    EXPECT_EQ(child<TCSchaltpunkt>("SPGN1")->SP1(), 1504.0f);
}

TEST_F(NuvaFormTest, AnEditAsksBeforeClosingAndNoKeepsTheWindow) {
    openConnected();
    child<QLineEdit>("EHn1")->setText("64");
    prompts.answerButton(Prompts::No);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(prompts.messages(),
              QStringList{"Daten noch nicht im Sensor gespeichert!\nWollen Sie dennoch beenden?"});
}

TEST_F(NuvaFormTest, AFailedStoreLeavesTheQuitQuestion) {
    openConnected();
    sensor.setStoreDelayMs(5000); // longer than the long wait
    child<QPushButton>("BES")->setEnabled(true);
    child<QPushButton>("BES")->click();
    EXPECT_EQ(prompts.messages(), QStringList{"Programmierung fehlgeschlagen"});
    EXPECT_FALSE(dataOk());
    prompts.clear();
    prompts.answerButton(Prompts::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(prompts.messages().size(), 1);
}

TEST_F(NuvaFormTest, LeavingTheFieldSliderSelectsTheField) {
    openConnected();
    auto* slider = child<QWidget>("CSSchutzfeld");
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(8, 4 + 2 * 16 + 2));
    EXPECT_EQ(heard(), (std::vector<NuvaRequest>{{'A', {0x82}}}));
    EXPECT_EQ(sensor.activeField(), 2);
    EXPECT_TRUE(dataOk());
}

TEST_F(NuvaFormTest, MeasuringOnceWithoutContinuousPollsOnceAndLeavesTheTimerOff) {
    openConnected();
    sensor.setFixedDistance(2222);
    action("lesedauerndMenu")->setChecked(false);
    action("MesswerteMenu")->trigger();
    EXPECT_EQ(heard(), (std::vector<NuvaRequest>{{'P', {}}})); // with the energy: expert access
    EXPECT_EQ(child<QLabel>("AbstandText")->text(), "2222 mm");
    EXPECT_FALSE(window->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());

    action("lesedauerndMenu")->setChecked(true);
    action("MesswerteMenu")->trigger();
    EXPECT_EQ(window->findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 1000);
    EXPECT_TRUE(window->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    EXPECT_FALSE(provider.monitor.isOpen());
}

TEST_F(NuvaFormTest, TheSpecialElementsNeedExpertAccess) {
    app.ExpertAccess = false;
    open();
    EXPECT_FALSE(child<QMenu>("spezial1")->menuAction()->isVisible());
    EXPECT_TRUE(child<QWidget>("England")->isHidden());
    EXPECT_TRUE(child<QWidget>("Energie")->isHidden());
}

TEST_F(NuvaFormTest, SupervisionTeachesThenDrivesRtsOfTheMonitorPort) {
    openConnected();
    sensor.setFixedDistance(1500);
    action("Ueberwachung")->setChecked(true);
    prompts.answerInput(std::nullopt); // Cancel: the default port 4
    prompts.answerInput(QStringLiteral("50"));
    action("StartButton")->trigger();
    ASSERT_EQ(prompts.asked().size(), 2u);
    EXPECT_EQ(prompts.asked()[0].caption, "Dateneingabe");
    EXPECT_EQ(prompts.asked()[0].text, "ComPort-Nummer");
    EXPECT_EQ(prompts.asked()[0].preset, "4");
    EXPECT_EQ(prompts.asked()[1].text, "Toleranz in mm");
    EXPECT_EQ(prompts.asked()[1].preset, "100");
    QTimer* timer = window->findChild<QTimer*>(QStringLiteral("Timer1"));
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 100);
    ASSERT_TRUE(provider.monitor.isOpen());
    for (int i = 0; i < 101; ++i) {
        tick();
        ASSERT_FALSE(dataOk()) << i;
    }
    tick();
    EXPECT_TRUE(dataOk());
    EXPECT_TRUE(provider.monitor.rts());
    EXPECT_EQ(child<QLabel>("AbstandText")->text(), "1500 mm");
    sensor.setFixedDistance(1551);
    tick();
    EXPECT_FALSE(provider.monitor.rts());
}

TEST_F(NuvaFormTest, SupervisionWithoutItsOutputDoesNotStart) {
    openConnected();
    provider.monitorPresent = false;
    action("Ueberwachung")->setChecked(true);
    prompts.answerInput(QStringLiteral("4"));
    prompts.answerInput(QStringLiteral("100"));
    action("StartButton")->trigger();
    EXPECT_FALSE(window->findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    EXPECT_EQ(prompts.messages(),
              QStringList{"Überwachungsausgang kann nicht geöffnet werden:\nCOM 4: no such device"});

    prompts.clear();
    prompts.answerInput(QStringLiteral("21"));
    prompts.answerInput(QStringLiteral("100"));
    action("StartButton")->trigger();
    EXPECT_EQ(prompts.messages(), QStringList{"comport not allowed"});
}

TEST_F(NuvaFormTest, ProjectFilesOfEitherLanguageLoadInTheOther) {
    open();
    const QString path = settingsDir.filePath(QStringLiteral("p.qel"));
    Language::setEnglish(app, true);
    child<TCSchaltpunkt>("SPLF2")->SetPos1Value(4000);
    child<QLineEdit>("EHf1")->setText("80");
    prompts.answerFile(path);
    action("SichernButton")->trigger();
    EXPECT_EQ(prompts.asked().back().text, "save parameter");
    EXPECT_EQ(prompts.asked().back().preset, "sensorfiles (*.qel)|*.qel");

    Language::setEnglish(app, false);
    child<TCSchaltpunkt>("SPLF2")->SetPos1Value(800);
    child<QLineEdit>("EHf1")->setText("48");
    prompts.answerFile(path);
    action("OeffnenButton")->trigger();
    EXPECT_EQ(prompts.asked().back().text, "Einstellungen laden");
    EXPECT_EQ(child<TCSchaltpunkt>("SPLF2")->SP1(), 4000.0f);
    EXPECT_EQ(child<QLineEdit>("EHf1")->text(), "80");
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(NuvaFormTest, LoadingRefusesForeignFilesAndStopsAtABadNumber) {
    open();
    const QString path = settingsDir.filePath(QStringLiteral("bad.qel"));
    auto write = [&](const char* text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("x\r\nQS40MNTD\r\n[straight]\r\n400\r\n");
    prompts.answerFile(path);
    action("OeffnenButton")->trigger();
    EXPECT_EQ(prompts.messages(), QStringList{"keine QS40 Datei"});
    EXPECT_EQ(child<TCSchaltpunkt>("SPGN1")->SP1(), 1408.0f);

    prompts.clear();
    write("x\r\nQS40MNTx\r\n[straight]\r\n400\r\n4OO\r\n");
    prompts.answerFile(path);
    action("OeffnenButton")->trigger();
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler in Datei bad.qel, Zeile 5"});
    EXPECT_EQ(child<TCSchaltpunkt>("SPGN1")->SP1(), 400.0f);
    EXPECT_EQ(child<TCSchaltpunkt>("SPGN2")->SP1(), 1408.0f);
}

TEST_F(NuvaFormTest, ThePresetWritesPointsAndLimits) {
    openConnected();
    sensor.setNearSwitchPresent(false);
    action("LesenButton")->trigger();
    sensor.clearFrames();
    child<QPushButton>("England")->click(); // the confirmation question is answered Yes
    const std::vector<NuvaRequest> sent = heard();
    ASSERT_EQ(sent.size(), 20u + 1 + 1 + 1 + 1); // L and H, U, S, then 5 and S
    EXPECT_EQ(sent[0], (NuvaRequest{'L', {0x11, 0x07, 0xD0}}));
    EXPECT_EQ(sent[22], (NuvaRequest{'5',
                                     {0xAA, 0x00, 0x05, 0x00, 0x03, 0x00, 0x14, 0x00, 0x50, 0x00, 0x19, 0x00,
                                      0x05, 0x07, 0xD0, 0x0B, 0xB8}}));
    EXPECT_EQ(prompts.messages(), (QStringList{"Daten speichern? Auch Schaltpunkte werden gespeichert!!",
                                               "Programmierung erfolgreich"}));
}

TEST_F(NuvaFormTest, TheLimitDialogSendsAnEmptiedEditAsTen) {
    openConnected();
    action("LimitParameter1")->trigger();
    TLimitParas* dialog = window->limitDialog();
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(limitsChild<QLineEdit>("ESchwelle1")->text(), "1800");
    limitsChild<QLineEdit>("EPegel3")->clear();
    limitsChild<QCheckBox>("RB_nah")->setChecked(false);
    sensor.clearFrames();
    limitsChild<QPushButton>("BSet")->click();
    const std::vector<NuvaRequest> sent = heard();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (NuvaRequest{'*', {0xAA, 1}}));
    EXPECT_EQ(sent[1].data[11], 0);
    EXPECT_EQ(sent[1].data[12], 10); // EPegel3
    EXPECT_EQ(sent[2].command, 'S');
    EXPECT_TRUE(limitsChild<QCheckBox>("CBOk")->isChecked());

    // No: nothing is sent.
    sensor.clearFrames();
    prompts.answerButton(Prompts::No);
    limitsChild<QPushButton>("BSet")->click();
    EXPECT_TRUE(sensor.frames().empty());
}

} // namespace

namespace {

struct NuvaFormMetallTest : NuvaFormTest {
    NuvaFormMetallTest() { plugTextSensor(provider, text); }
    void openConnected() {
        open();
        action("ManuellMenu")->trigger();
        ASSERT_EQ(window->ConnectedType(), 7) << prompts.messages().join(" | ").toStdString();
        text.clearFrames();
        prompts.clear();
    }
    SimQs40TextSensor text{&clock};
};

TEST_F(NuvaFormMetallTest, OnlyTheStraightFieldIsShownAndPresetsDoNothing) {
    openConnected();
    EXPECT_TRUE(status(0).startsWith("Sensor: QS40MNTB-Metall QS40MNTB")) << status(0).toStdString();
    EXPECT_TRUE(child<QWidget>("GBRechts")->isHidden());
    EXPECT_TRUE(child<QWidget>("GBAdressen")->isHidden());
    EXPECT_EQ(child<TCSchaltpunkt>("SPGF2")->SP1(), 5008.0f); // 5000 on the 16 mm step
    EXPECT_EQ(child<TCSchaltpunkt>("SPGF2")->Stopp(), 6000.0f);
    child<QPushButton>("England")->click();
    child<QPushButton>("England_12")->click();
    EXPECT_TRUE(text.frames().empty());
    EXPECT_TRUE(prompts.asked().empty());
}

TEST_F(NuvaFormMetallTest, TheLimitDialogSendsFourValuesAnEmptiedOneAs300) {
    openConnected();
    action("LimitParameter1")->trigger();
    ASSERT_TRUE(window->limitDialog()->isVisible());
    EXPECT_FALSE(limitsChild<QLineEdit>("EAnzHyst")->isEnabled());
    EXPECT_EQ(limitsChild<QLabel>("LPegel1")->text(), "Energie Fern");
    EXPECT_EQ(limitsChild<QLineEdit>("EPegel1")->text(), "180");
    limitsChild<QLineEdit>("EPegel1")->clear();
    text.clearFrames();
    limitsChild<QPushButton>("BSet")->click();
    const std::vector<std::string> sent = textRequests(text);
    EXPECT_NE(std::find(sent.begin(), sent.end(), "IEN300"), sent.end());
    EXPECT_NE(std::find(sent.begin(), sent.end(), "WPP"), sent.end());
    EXPECT_EQ(sent.back(), "twd");
    EXPECT_TRUE(limitsChild<QCheckBox>("CBOk")->isChecked());
}

} // namespace
