// Every value the program reads from its settings, damaged one at a time among good values of
// all the others: a start of the program takes the default for the damaged value, warns once,
// and restores everything else as stored.
#include "AppTestFixture.h"
#include "GuiTestEnvironment.h"
#include "NuvaWindowRecord.h"
#include "PortMapSettings.h"
#include "Qd20WindowRecord.h"
#include "TCOMPortDialog.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"
#include "TFortschritt.h"
#include "TQD20_Form.h"
#include "TQS40_NUVA_Form.h"
#include "TStartForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

namespace {

// What a start of the program restored, as far as it can be seen.
struct Restored {
    bool english = false;
    int sensor = 0;
    bool zyl24Shown = false;
    int zyl24Port = -1;
    std::string com2;
    bool useAnyway5 = false;
    float q1Point = 0;
    int fktQ1 = 0;
    QString address;
    float nuvaPoint = 0;
    QString nuvaHysteresis;
    bool operator==(const Restored&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Restored& r) {
    return out << "english " << r.english << ", sensor " << r.sensor << ", zyl24 shown " << r.zyl24Shown
               << " on " << r.zyl24Port << ", COM2 " << r.com2 << ", use anyway " << r.useAnyway5 << ", Q1 "
               << r.q1Point << ", FktQ1 " << r.fktQ1 << ", address " << r.address.toStdString() << ", NUVA "
               << r.nuvaPoint << "/" << r.nuvaHysteresis.toStdString();
}

QByteArray bytes(std::span<const std::uint8_t> record) {
    return QByteArray(reinterpret_cast<const char*>(record.data()), static_cast<qsizetype>(record.size()));
}

Qd20WindowRecord zyl24Record() {
    Qd20WindowRecord r;
    r.firstPoints = {150, 200, 80};
    r.secondPoints = {250, 300, 300};
    r.FktQ1 = 3;
    r.OSQ1 = r.IVQ1 = r.OSQ2 = r.IVQ2 = r.TV = 1;
    r.address = 77 & 0xF;
    r.RtsMode = 1;
    return r;
}

NuvaWindowRecord zyl36Record() {
    NuvaWindowRecord r;
    for (std::size_t k = 0; k < r.values.points.size(); ++k) // on the editors' 16 mm steps
        r.values.points[k] = static_cast<std::uint16_t>(1024 + 64 * k);
    r.values.hysteresis = {55, 66, 77, 88};
    return r;
}

struct StoredSettingsTest : AppTestFixture {
    // A complete set of good settings, as a run with both windows leaves them and a user who
    // mapped COM2 and kept COM5 in spite of its driver.
    void storeGoodSettings() {
        QSettings s = startSettings();
        s.setValue("english", 1);
        s.setValue("Sensor", 1);
        s.setValue("SerialComPort", 3);
        s.setValue("Ports/COM2", "/dev/ttyUSB7");
        s.setValue("UseAnyway/COM5", true);
        s.setValue("zyl24/Einstellungen", bytes(zyl24Record().encode()));
        s.setValue("zyl24/Adresse", 77);
        s.setValue("zyl36/Einstellungen", bytes(zyl36Record().encode()));
    }

    // One start of the program on the stored settings, built as main() builds it; afterwards
    // both family windows are shown, so that their records are read too.
    Restored run() {
        PortMap map = readPortMapSettings(PortMap::Naming::Posix);
        app.portMapWarnings = map.warningList();
        TStartForm start(app, {});
        TQD20_Form zyl24(app);
        TCOMPortDialog portDialog(app);
        TFortschritt progress(app);
        TQS40_NUVA_Form zyl36(app);
        app.portDialog = &portDialog;
        app.progress = &progress;
        start.setSensorWindows(&zyl24, &zyl36);
        start.show();
        QCoreApplication::processEvents();

        Restored r;
        r.english = app.EnglishUi;
        r.sensor = app.SensorType;
        r.zyl24Shown = zyl24.isVisible();
        if (r.zyl24Shown)
            r.zyl24Port = zyl24.portNumber();
        zyl24.show();
        zyl36.show();
        r.com2 = map.path(2);
        r.useAnyway5 = ports.useAnyway(5);
        r.q1Point = zyl24.SP_Q1->SP1();
        r.fktQ1 = zyl24.FktQ1Slide->Position();
        r.address = zyl24.Slave_Adr->currentText();
        r.nuvaPoint = zyl36.findChild<TCSchaltpunkt*>("SPRF2")->SP1();
        r.nuvaHysteresis = zyl36.findChild<QLineEdit*>("EHn2")->text();

        // The windows go without closing, which would store their settings.
        app.portDialog = nullptr;
        app.progress = nullptr;
        app.SensorType = 0;
        Language::setEnglish(app, false);
        ports.setUseAnyway(5, false);
        return r;
    }
};

TEST_F(StoredSettingsTest, ADamagedValueTakesItsDefaultWithOneWarningAndTheRestIsRestored) {
    const Restored defaults = run();
    ASSERT_TRUE(prompts.asked().empty()) << prompts.messages().join(" | ").toStdString();
    storeGoodSettings();
    const Restored good = run();
    ASSERT_TRUE(prompts.asked().empty()) << prompts.messages().join(" | ").toStdString();
    ASSERT_EQ(good, (Restored{true, 1, true, 3, "/dev/ttyUSB7", true, 150, 3, "77", 1472, "66"}));

    Qd20WindowRecord badSlider = zyl24Record();
    badSlider.FktQ1 = 15;
    NuvaWindowRecord farPoint = zyl36Record();
    farPoint.values.points[9] = 9000;
    const auto noZyl24Record = [&](Restored& r) {
        r.q1Point = defaults.q1Point;
        r.fktQ1 = defaults.fktQ1;
        r.address = defaults.address;
    };
    const auto noZyl36Record = [&](Restored& r) {
        r.nuvaPoint = defaults.nuvaPoint;
        r.nuvaHysteresis = defaults.nuvaHysteresis;
    };
    const auto noSensor = [&](Restored& r) {
        r.sensor = 0;
        r.zyl24Shown = false;
        r.zyl24Port = -1;
    };
    struct Case {
        const char* key;
        QVariant value;
        const char* named; // what the warning says
        std::function<void(Restored&)> takesDefault;
    };
    const Case cases[] = {
        {"english", "ja", "\"english\" = \"ja\"", [](Restored& r) { r.english = false; }},
        {"Sensor", "ZYL 24", "\"Sensor\" = \"ZYL 24\"", noSensor},
        {"Sensor", 300, "\"Sensor\" = \"300\"", noSensor},
        {"SerialComPort", "COM3", "\"SerialComPort\" = \"COM3\"", [](Restored& r) { r.zyl24Port = 0; }},
        {"SerialComPort", 21, "\"SerialComPort\" = \"21\"", [](Restored& r) { r.zyl24Port = 0; }},
        {"Ports/COM0", "/dev/ttyUSB9", "\"COM0=/dev/ttyUSB9\"", [](Restored&) {}},
        {"Ports/COM999", "/dev/ttyUSB9", "\"COM999=/dev/ttyUSB9\"", [](Restored&) {}},
        {"Ports/Drucker", "/dev/lp0", "\"Drucker\" is not a COM number", [](Restored&) {}},
        {"Ports/COM2", "", "\"COM2=\"", [](Restored& r) { r.com2 = "/dev/ttyS1"; }},
        {"Ports/COM2", "ttyUSB7", "\"COM2=ttyUSB7\"", [](Restored& r) { r.com2 = "/dev/ttyS1"; }},
        {"Ports/COM2", 5, "\"COM2=5\"", [](Restored& r) { r.com2 = "/dev/ttyS1"; }},
        {"UseAnyway/COM5", "vielleicht", "\"UseAnyway/COM5\" = \"vielleicht\"",
         [](Restored& r) { r.useAnyway5 = false; }},
        {"zyl24/Einstellungen", QByteArray(7, 'x'), "zyl24/Einstellungen has 7 bytes", noZyl24Record},
        {"zyl24/Einstellungen", "150,200", "zyl24/Einstellungen is not a binary value", noZyl24Record},
        {"zyl24/Einstellungen", bytes(badSlider.encode()), "zyl24/Einstellungen: FktQ1 = 15", noZyl24Record},
        // Without a usable full address the record's 4 bits of it count.
        {"zyl24/Adresse", "x", "\"zyl24/Adresse\" = \"x\"", [](Restored& r) { r.address = "13"; }},
        {"zyl24/Adresse", 200, "\"zyl24/Adresse\" = \"200\"", [](Restored& r) { r.address = "13"; }},
        {"zyl36/Einstellungen", QByteArray(39, '\0'), "zyl36/Einstellungen has 39 bytes", noZyl36Record},
        {"zyl36/Einstellungen", bytes(farPoint.encode()), "zyl36/Einstellungen: switch point 10 = 9000",
         noZyl36Record},
    };
    for (const Case& c : cases) {
        const QString key = QString::fromLatin1(c.key);
        SCOPED_TRACE(key.toStdString() + " = " + c.value.toString().toStdString());
        startSettings().clear();
        storeGoodSettings();
        startSettings().setValue(key, c.value);
        prompts.clear();
        Restored expected = good;
        c.takesDefault(expected);
        EXPECT_EQ(run(), expected);
        ASSERT_EQ(prompts.asked().size(), 1u) << prompts.messages().join(" | ").toStdString();
        EXPECT_EQ(prompts.asked()[0].icon, Prompts::Icon::Warning);
        EXPECT_TRUE(prompts.asked()[0].text.contains(QString::fromUtf8(c.named)))
            << prompts.asked()[0].text.toStdString();
    }
}

} // namespace
