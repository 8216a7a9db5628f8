#include "Qs40FormFixture.h"

#include <QComboBox>
#include <QMouseEvent>

#include <algorithm>

TEST_F(Qs40FormTest, SearchConnectsAndShowsTheSensorsSwitchPoints) {
    openConnected();
    EXPECT_TRUE(action("LesenButton")->isEnabled());
    EXPECT_TRUE(action("StartButton")->isEnabled());
    EXPECT_EQ(label("PortPanel"), "Port: COM3");
    EXPECT_EQ(label("SensorPanel"), "Sensor: QS40MNTB");
    EXPECT_EQ(text("signalonedit2"), "3000mm");
    EXPECT_EQ(text("signaloffedit4"), "+300mm");
}

TEST_F(Qs40FormTest, SearchWithoutSensorSaysSoAndLeavesTheControlsOff) {
    provider.refuse(kCom, OpenError::Absent, "gone");
    open();
    trigger("SuchenMenu");
    EXPECT_EQ(prompts.messages(), QStringList{"kein QS40MNTB verfügbar\nHotSync geschlossen?"});
    EXPECT_EQ(listed(), QStringList{"kein QS40MNTB verfügbar HotSync geschlossen?"});
    EXPECT_FALSE(action("LesenButton")->isEnabled());
    EXPECT_FALSE(find<QMenu>("DatenMenu")->isEnabled());
    EXPECT_EQ(label("PortPanel"), "Port:");
}

TEST_F(Qs40FormTest, ManualConnectionTakesTheDialogsChoicesAndRefusesImpossibleOnes) {
    open();
    portDialog.PortNummer->setEditText("3");
    portDialog.BaudRate->setEditText("38400");
    portDialog.Parity->setCurrentIndex(0); // even, 8 data bits: as the sensor talks
    portDialog.Datenbits->setEditText("8");
    portDialog.CBTimeout->setEditText("100000");
    trigger("ManuellMenu");
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().value(0).startsWith("Ungültige Schnittstellenparameter"));
    EXPECT_EQ(provider.opens(), 19); // the dialog's look at the ports; no connection was tried

    prompts.clear();
    portDialog.CBTimeout->setEditText("50");
    trigger("ManuellMenu");
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(" | ").toStdString();
    EXPECT_TRUE(window->session().connectedManually());
    EXPECT_EQ(label("PortPanel"), "Port: COM3");

    // Cancelling the dialog later keeps the connection.
    portDialog.setAutoAnswer(QDialog::Rejected);
    prompts.answerButton(Prompts::No); // keep COM 3 open when the dialog asks
    trigger("ManuellMenu");
    EXPECT_TRUE(action("LesenButton")->isEnabled());
}

TEST_F(Qs40FormTest, ReadAndWriteOfferRetryAndReportSuccess) {
    openConnected();
    ports.ClosePort(kCom); // the line is gone behind the window's back
    prompts.answerButton(Prompts::Retry);
    prompts.answerButton(Prompts::Ok);
    trigger("LesenButton");
    ASSERT_EQ(prompts.asked().size(), 2u);
    EXPECT_EQ(prompts.asked()[0].text, "Fehler beim Daten lesen");
    EXPECT_EQ(prompts.asked()[0].buttons, Prompts::Ok | Prompts::Retry);
    EXPECT_EQ(listed().size(), 2);

    prompts.clear();
    trigger("SetzenMenu");
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler beim Daten senden"});

    trigger("SuchenButton");
    prompts.clear();
    params.SwitchL[4] = 4500;
    trigger("SetzenButton");
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].icon, Prompts::Icon::Information);
    EXPECT_EQ(prompts.asked()[0].text, "Sensorprogrammierung\nerfolgreich");
    EXPECT_EQ(sensor.storedValues().switchL[4], 4500);
}

TEST_F(Qs40FormTest, DraggedAndTypedValuesAreSentAsShown) {
    openConnected();
    auto* drawing = find<QWidget>("P_draw_Q40");
    const auto mouse = [&](QEvent::Type type, QPoint at) {
        QMouseEvent e(type, at, drawing->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(drawing, &e);
    };
    mouse(QEvent::MouseButtonPress, {202, 120}); // SP 1 at 2000 mm
    for (int x = 210; x <= 300; x += 10)         // pushing the switch-off marker ahead
        mouse(QEvent::MouseMove, {x, 120});
    mouse(QEvent::MouseButtonRelease, {300, 120});
    EXPECT_EQ(text("signalonedit"), "3204mm");

    // Typed but the field not left yet: limited and shown before it goes out.
    auto* hyst = find<QLineEdit>("signaloffedit2");
    hyst->setText("+40");
    emit hyst->textEdited(hyst->text());
    trigger("SetzenButton");
    EXPECT_EQ(hyst->text(), "+100mm");
    EXPECT_EQ(sensor.storedValues().switchL[1], 3204);
    EXPECT_EQ(sensor.storedValues().switchH[2], 100);
}

TEST_F(Qs40FormTest, PollingShowsMeasurementsAndAFailureStopsItWithOneBox) {
    for (bool continuous : {true, false}) {
        openConnected();
        sensor.values().switchL = {0, 6000, 6000, 0, 0}; // outputs 1 and 2 on: near, near
        trigger("StartButton");
        ASSERT_TRUE(timer()->isActive());
        QMetaObject::invokeMethod(window.get(), "TimerLesenTimer");
        // The simulated sensor reports an energy of 1100 - distance / 6.
        const int distance = label("AbstandsText").chopped(3).toInt();
        EXPECT_EQ(label("ReserveText"), QString("%1 %").arg(std::clamp((1000 - distance / 6) / 10, 0, 100)));
        EXPECT_EQ(find<QLabel>("LPin2")->palette().color(QPalette::Window), QColor(0, 128, 0));
        EXPECT_EQ(find<QLabel>("LPin4")->palette().color(QPalette::Window), QColor(0, 128, 0));
        EXPECT_TRUE(prompts.messages().isEmpty());

        // Unticking "kontinuierlich" while polling must not turn a failure into a box per tick.
        action("lesedauernd")->setChecked(continuous);
        ports.ClosePort(kCom);
        QMetaObject::invokeMethod(window.get(), "TimerLesenTimer");
        EXPECT_FALSE(timer()->isActive()) << continuous;
        EXPECT_EQ(prompts.messages(), QStringList{"Fehler beim Daten lesen"});
        window.reset();
        prompts.clear();
    }
}

TEST_F(Qs40FormTest, ClosingStopsPollingAndReleasesThePort) {
    openConnected();
    trigger("StartButton");
    window->close();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_FALSE(ports.isOpen(kCom));
}

TEST_F(Qs40FormTest, EnglishRewritesMenusPinsAndMessages) {
    provider.refuse(kCom, OpenError::Absent, "gone");
    open();
    trigger("EnglishMenu");
    EXPECT_EQ(find<QMenu>("DatenMenu")->title(), "s&ensordata");
    EXPECT_EQ(label("LPin2"), "2 = Out PNP");
    EXPECT_EQ(action("ParalisteButton")->text(), "para.list");
    trigger("SuchenButton");
    EXPECT_EQ(prompts.messages(), QStringList{"no QS40MNTB available\nHotSync closed?"});
    trigger("GermanMenu");
    EXPECT_EQ(label("LPin5"), "5 = nicht belegt");
}
