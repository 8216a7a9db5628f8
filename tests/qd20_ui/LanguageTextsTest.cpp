// One language on screen: every text of the windows changes with the language, apart from the
// texts the program keeps the same in both.
#include "Qd20FormFixture.h"

#include "TFSimulation.h"
#include "VisibleTexts.h"

#include <QRegularExpression>

namespace {

// Texts that read the same in both languages on purpose.
const QStringList kSameInBoth = {
    // the port dialog's labels and entries
    "ComPort", "baudrate", "stopbits", "parity", "bits/byte", "timeout [ms]", "RTS", "OK", "cancel",
    "gerade/ even", "ungerade/ odd", "keine/ no", "Markierung/ mark", "enabled", "disabled", "toggle",
    // the ZYL 24 window's design-time captions, slider entries, status panels and service entries
    "ZYL 24", "single", "repeat", "GoodTarget", "Data ok:", "lowlight", "4 mA", "20 mA", "Q1", "Q2",
    "trigger", "enable", "MaxDist-Hold", "MinDist-Hold", "Diff-Hold", "Autocenter", "Autozero", "Good Target",
    "on", "off", "set", "set Q1 high", "set Q1 low", "40 ms", "4 ms", "0.4 ms", "Status LED", "&deutsch",
    "&english", "&Info", "Status:", "Port:", "Simulation", "Halvern", "Clear", "Refresh", "Verbergen",
    "lese Pixeldaten Graph", "lese Pixeldaten Memo", "enable Sensor", "SW Download", "SW_Version",
    "Produktionsnummer", "Gerätevariante", "Softwarevariante S0", "Softwarevariante S1", "enable Service",
    "disable Service", "undokumentierter Befehl", "Color/Farbe", "ZYL24_70", "ZYL24_220", "ZYL24_500",
    "HoldData", "Command", "Checksum", "Data", "not used", "Sensor", "Status LED", "QD20NVB_70",
    "QD20NVB_220", "QD60NVB_500"};

// Values rather than words: measured and set distances, the status panels' values, device names.
bool fixedOrValue(const QString& key, const QString& text) {
    static const QRegularExpression letters(QStringLiteral("[A-Za-zÄÖÜäöüß]{2,}"));
    static const QRegularExpression value(
        QStringLiteral("^(-?[0-9.]+ ?mm|Sensor: ZYL24_[0-9]+|Port: COM[0-9]+|Status: [0-9A-F ]+)$"));
    return kSameInBoth.contains(text) || !letters.match(text).hasMatch() || value.match(text).hasMatch() ||
           key.startsWith(QLatin1String("QLineEdit:DevicePath"));
}

// Texts shown in German that stay the same in English, and are not meant to.
QStringList untranslated(QWidget* window, AppState& app) {
    return untranslatedTexts(
        window, [&app](bool english) { Language::setEnglish(app, english); }, fixedOrValue);
}

} // namespace

TEST_F(Qd20FormTest, EveryWindowTextFollowsTheLanguageUnlessItIsTheSameInBoth) {
    TFSimulation simulation(app);
    app.simulation = &simulation;
    app.ServiceAccess = true; // the service menus too
    provider.bus.addSensor(5, '0');
    open();
    connectTo(5);
    window->StartButtonClick();
    window->RohDataTimerTimer();
    portDialog.FormShow();
    simulation.show();
    for (QWidget* w :
         std::initializer_list<QWidget*>{window.get(), &portDialog, &simulation, &progress, &help})
        EXPECT_EQ(untranslated(w, app).join(QLatin1Char('\n')).toStdString(), "")
            << w->objectName().toStdString();
    app.simulation = nullptr;
}
