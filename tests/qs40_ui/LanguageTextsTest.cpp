// One language on screen in the ZYL 36 and QS40 windows and their dialogs: every text changes
// with the language, apart from those the program keeps the same in both.
#include "NuvaFormFixture.h"
#include "Qs40FormFixture.h"
#include "VisibleTexts.h"

#include <QRegularExpression>

namespace {

// Captions these windows keep in both languages, names of sensors and presets, and words that
// are the same in German and English.
const QStringList kSameInBoth = {
    // ZYL 36 window and its limit dialog
    "ZYL 36", "spezial", "EEPROM", "Info", "Limit Parameter", "8-bit Sensor", "SW Download", "Überwachung",
    "transferiere motfile", "Data ok:", "ok", "set", "Adresseneinstellung", "Schutzfeldauswahl", "E1 = high",
    "E1 = low", "SP1", "SP2", "SP3", "SP4", "Slave", "Master", "Zavoziz IVA4", "Vozerov IDI1/2", "English",
    "Deutsch", "LimitParameter", "Nahbereichsabschaltung aktiv", "Anzahl Hysterese", "Pegel Hysterese",
    "Min Anzahl", "Min Pegel 1", "Min Pegel 2", "Min Pegel 3", "Schwelle 1", "Schwelle 2",
    // QS40 window and its parameter list
    "Vantrisco QS40", "&Info", "SetUserMode", "SW Download MNTB", "Start", "toPalm", "fromPalm", "1 = 24V",
    "3 = GND", "Status", "SP 1", "SP 2", "SP 3", "SP 4", "Sensor Parameter", "E_nah", "E_fern", "E_dist",
    "dez", "Nahzone", "OK", "cancel"};

bool fixedOrValue(const QString&, const QString& text) {
    static const QRegularExpression letters(QStringLiteral("[A-Za-zÄÖÜäöüß]{2,}"));
    static const QRegularExpression value(
        QStringLiteral("^(-?[0-9.]+ ?(mm|%)|mm|Sensor: .*|Port: ?(COM)?[0-9]*|Status: [0-9A-F ]*)$"));
    return kSameInBoth.contains(text) || !letters.match(text).hasMatch() || value.match(text).hasMatch();
}

QString untranslated(QWidget* window, AppState& app) {
    return untranslatedTexts(
               window, [&app](bool english) { Language::setEnglish(app, english); }, fixedOrValue)
        .join(QLatin1Char('\n'));
}

} // namespace

TEST_F(NuvaFormTest, EveryTextOfTheWindowAndItsLimitDialogFollowsTheLanguage) {
    openConnected(); // with the special elements of the second access word
    action("LimitParameter1")->trigger();
    ASSERT_TRUE(window->limitDialog()->isVisible()) << prompts.messages().join(" | ").toStdString();
    EXPECT_EQ(untranslated(window.get(), app).toStdString(), "");
    EXPECT_EQ(untranslated(window->limitDialog(), app).toStdString(), "");
}

TEST_F(Qs40FormTest, EveryTextOfTheWindowAndItsParameterListFollowsTheLanguage) {
    openConnected();
    list.show();
    EXPECT_EQ(untranslated(window.get(), app).toStdString(), "");
    EXPECT_EQ(untranslated(&list, app).toStdString(), "");
}
