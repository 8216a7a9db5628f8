#include "Qs40FormFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <sys/stat.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

TEST_F(Qs40FormTest, SaveWritesTheFileAndLoadBringsTheValuesBack) {
    openConnected();
    prompts.answerFile(path("a.spi"));
    trigger("SichernButton");
    EXPECT_EQ(prompts.asked().at(0).text, "Parameter speichern");
    EXPECT_EQ(prompts.asked().at(0).preset, "Sensordateien (*.spi)|*.spi");
    EXPECT_EQ(readAll(path("a.spi")),
              "SensorTyp: 7\r\nSP1: 2000mm\r\nHY1: 300mm\r\nSP2: 3000mm\r\nHY2: 300mm\r\n"
              "SP3: 4000mm\r\nHY3: 300mm\r\nSP4: 5000mm\r\nHY4: 300mm\r\nEn: 180\r\n"
              "Ef: 100\r\nEd: 2800\r\nNz: 350\r\n");

    const Qs40ParameterSet saved = params;
    params.SwitchL[3] = 100;
    params.LimitND = 1;
    prompts.clear();
    prompts.answerFile(path("a.spi"));
    trigger("OeffnenMenu");
    EXPECT_EQ(prompts.asked().at(0).preset, "Sensordateien(*.spi)|*.spi|SWdateien(*.mot)|*.mot");
    EXPECT_EQ(prompts.messages(), QStringList{});
    EXPECT_EQ(params, saved);
    EXPECT_EQ(text("signalonedit3"), "4000mm");
    EXPECT_TRUE(window->session().connected()); // a file of the same type keeps the connection
    EXPECT_TRUE(sensor.frames().empty());       // and loading never talks to the sensor
}

TEST_F(Qs40FormTest, AnIncompleteFileShowsWhatItRead) {
    open();
    writeAll(path("part.spi"), "SP2: 1234mm\r\nHY2: 40mm\r\n");
    prompts.answerFile(path("part.spi"));
    trigger("OeffnenButton");
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler in Datei"});
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(text("signalonedit2"), "1234mm");
    EXPECT_EQ(text("signaloffedit2"), "+100mm"); // redrawn, so limited
}

TEST_F(Qs40FormTest, AFileOfAnotherTypeAsksAndOkEndsTheConnection) {
    openConnected();
    writeAll(path("d.spi"), "SensorTyp: 12\r\nSP1: 1500mm\r\nHY1: 300mm\r\nSP2: 1500mm\r\nHY2: 300mm\r\n"
                            "SP3: 1500mm\r\nHY3: 300mm\r\nSP4: 1500mm\r\nHY4: 300mm\r\n");
    prompts.answerFile(path("d.spi"));
    prompts.answerButton(Prompts::Abort);
    trigger("OeffnenMenu");
    ASSERT_EQ(prompts.asked().size(), 2u);
    EXPECT_EQ(prompts.asked()[1].text, "Anderer Sensortyp\nals angeschlossener");
    EXPECT_EQ(prompts.asked()[1].buttons, Prompts::Ok | Prompts::Abort);
    EXPECT_TRUE(window->session().connected());
    EXPECT_EQ(params.SwitchL[1], 2000);

    prompts.answerFile(path("d.spi"));
    prompts.answerButton(Prompts::Ok);
    trigger("OeffnenMenu");
    EXPECT_FALSE(ports.isOpen(kCom));
    EXPECT_FALSE(action("LesenButton")->isEnabled());
    EXPECT_EQ(label("SensorPanel"), "Sensor: QS40MNTD");
    EXPECT_EQ(label("PortPanel"), "Port:");
    EXPECT_EQ(params.SwitchL[1], 1500);
}

TEST_F(Qs40FormTest, FilesThatCannotBeUsedChangeNothing) {
    openConnected();
    const Qs40ParameterSet before = params;
    writeAll(path("bad.spi"), "SensorTyp: 263\r\nSP1: 1500mm\r\n");
    ASSERT_EQ(::mkfifo(path("fifo.spi").toLocal8Bit().constData(), 0600), 0);
    struct Case {
        const char* file;
        QString message;
    } cases[] = {
        {"bad.spi", "Unbekannter Sensortyp"},
        {"fifo.spi", "Kann File nicht öffnen"},
        {"missing.spi", "Kann File nicht öffnen"},
    };
    for (const auto& c : cases) {
        prompts.clear();
        prompts.answerFile(path(c.file));
        trigger("OeffnenMenu");
        EXPECT_EQ(prompts.messages(), QStringList{c.message}) << c.file;
    }
    EXPECT_EQ(params, before);
    EXPECT_TRUE(window->session().connected());

    // Saving onto something that is no plain file says so and leaves it alone.
    prompts.clear();
    prompts.answerFile(path("fifo.spi"));
    trigger("SichernMenu");
    EXPECT_EQ(prompts.messages(), QStringList{"Kann File nicht öffnen"});
    EXPECT_FALSE(QFileInfo(path("fifo.spi")).isFile());
}

TEST_F(Qs40FormTest, ParameterListTakesItsNumbersOnlyOnOk) {
    openConnected();
    const auto runList = [&](const char* button, const char* edit, const char* value) {
        QTimer::singleShot(0, &list, [&, button, edit, value] {
            auto* field = list.findChild<QLineEdit*>(QLatin1String(edit));
            field->setText(QLatin1String(value));
            list.findChild<QPushButton*>(QLatin1String(button))->click();
        });
        trigger("ParalisteButton");
    };
    runList("CancelBtn", "e_dist", "1000");
    EXPECT_EQ(params.LimitDT, 2800);
    EXPECT_EQ(listed(), QStringList{"Manuelle Eingabe abgebrochen"});

    runList("OKBtn", "signalonedit2", "1234");
    EXPECT_EQ(params.SwitchL[2], 1234);
    EXPECT_EQ(params.SwitchH[2], 300);
    EXPECT_EQ(text("signalonedit2"), "1234mm");
}
