#include "CliTexts.h"

#include <array>
#include <cstdlib>

namespace {

struct Pair {
    std::string_view german;
    std::string_view english;
};

// Indexed by CliText.
constexpr std::array<Pair, 33> kTexts{{
    {"kein Sensor verfügbar\nComPort richtig?\nSensor angeschlossen?", "no sensor available"},
    {"Fehler beim Daten senden oder ungültige Parameter", "error in sending data or wrong parameter"},
    {"Fehler in Datei", "error in file"},
    {"keine Projektdatei: kein Schlüssel gefunden", "not a project file: no key found"},
    {"Datei zu groß für eine Projektdatei", "file too large for a project file"},
    {"Datei kann nicht gelesen werden", "cannot read file"},
    {"Datei kann nicht geschrieben werden", "cannot write file"},
    {"comport error", "comport error"},
    {"comport is busy", "comport is busy"},
    {"unbekannte Sensorvariante", "unknown sensor variant"},
    {"keine Antwort auf Messung", "no answer to measurement"},
    {"ungültige Adresse !", "forbidden adress !"},
    {"kein QS40MNTB verfügbar\nHotSync geschlossen?", "no QS40MNTB available\nHotSync closed?"},
    {"Fehler beim Daten lesen", "error in reading data"},
    {"Fehler beim Daten senden", "error in writing data"},
    {"Fehler in Datei", "file error"},
    {"Unbekannter Sensortyp", "unknown sensor"},
    {"Anderer Sensortyp\nals angeschlossener", "other sensortype\nthan connected"},
    // The update's messages have always been German in both languages.
    {"programmierung gescheitert", "programmierung gescheitert"},
    {"kein brauchbares S-Record-Abbild", "not a usable S-record image"},
    {"Ein anderes Gerät wählen Sie im Portdialog des Programms oder setzen zum Beispiel",
     "To use another device, choose it in the program's port dialog or set for example"},
    {"serielle Geräte:", "serial devices:"},
    {"frei", "free"},
    {"belegt", "in use"},
    {"keine Berechtigung", "not permitted"},
    {"öffnet sich", "opens"},
    {"Adresse schon belegt:", "address already in use:"},
    {"kein QS40MNTx gefunden", "no QS40MNTx found"},
    {"Fehler bei Datenübertragung", "error during dataread"},
    {"Programmierung fehlgeschlagen", "error during transfer"},
    {"keine QS40 Datei", "no QS40 file"},
    {"Der QS40MNTB hat nur das Schutzfeld Gerade", "the QS40MNTB has the protection field straight only"},
    {"comport not allowed: COM-Nummern gehen von 1 bis ", "comport not allowed: COM numbers run from 1 to "},
}};

} // namespace

std::string_view CliTexts::text(CliText id) const {
    const Pair& p = kTexts[static_cast<std::size_t>(id)];
    return m_english ? p.english : p.german;
}

std::string CliTexts::portFailure(const LinkReason& reason, std::string_view fallback) const {
    if (!reason)
        return std::string(fallback);
    std::string message = reason.text(m_english);
    const bool absent =
        reason.code == LinkReasonCode::NoSuchDevice || reason.code == LinkReasonCode::NoPortBehindDevice;
    if (absent && reason.defaultDevice && reason.com != 0)
        message += " " + std::string(text(CliText::MapHint)) +
                   " ZYLCONFIG_PORTS=" + std::to_string(reason.com) + "=/dev/ttyUSB0.";
    return message;
}

bool CliTexts::englishFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string_view(value).substr(0, 2) != "de";
    }
    return true;
}
