#include "CliTexts.h"

#include "PortMap.h"
#include "Qd20Commands.h"
#include "SRecordImage.h"

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

// Indexed by Qd20Group.
constexpr std::array<Pair, 6> kGroups{{
    {"Ausgang Q1", "Q1"},
    {"Ausgang Q2", "Q2"},
    {"Tastensperre", "key lock"},
    {"Mittelungszeit", "averaging"},
    {"HoldData", "hold"},
    {"Analog-Kennlinie", "analog"},
}};
static_assert(kGroups.size() == static_cast<std::size_t>(Qd20Group::Analog) + 1);

// Indexed by SRecordReason.
constexpr std::array<Pair, 13> kImageReasons{{
    {"", ""},
    {"kein S-Record eines bekannten Typs", "not an S-record of a known type"},
    {"ungerade Anzahl Hex-Ziffern", "odd number of hex digits"},
    {"keine Hex-Ziffer", "not a hex digit"},
    {"Länge passt nicht zum Record", "count does not match the record"},
    {"Prüfsummenfehler", "checksum error"},
    {"der erste Record ist nicht S0", "the first record is not S0"},
    {"Adresse unterhalb des Abbildbereichs", "address below the image window"},
    {"Adressen steigen nicht", "addresses do not rise"},
    {"mehr als 1025 Seiten zu 256 Bytes", "more than 1025 pages of 256 bytes"},
    {"unerwarteter Record-Typ", "unexpected record type"},
    {"kein End-Record", "no end record"},
    {"die Datei enthält keine Records", "the file holds no records"},
}};
static_assert(kImageReasons.size() == static_cast<std::size_t>(SRecordReason::NoRecords) + 1);

std::string_view pick(const Pair& p, bool english) {
    return english ? p.english : p.german;
}

} // namespace

std::string_view CliTexts::text(CliText id) const {
    return pick(kTexts[static_cast<std::size_t>(id)], m_english);
}

std::string_view CliTexts::groupName(Qd20Group group) const {
    return pick(kGroups[static_cast<std::size_t>(group)], m_english);
}

std::string CliTexts::imageFault(const SRecordImage& image) const {
    if (image.error == SRecordError::TooLarge)
        return m_english ? "too large" : "zu groß";
    return (m_english ? "line " : "Zeile ") + std::to_string(image.line) + ": " +
           std::string(pick(kImageReasons[static_cast<std::size_t>(image.reason)], m_english));
}

std::string CliTexts::portFailure(const LinkReason& reason, std::string_view fallback) const {
    if (!reason)
        return std::string(fallback);
    std::string message = reason.text(m_english);
    const bool absent =
        reason.code == LinkReasonCode::NoSuchDevice || reason.code == LinkReasonCode::NoPortBehindDevice;
    if (absent && reason.defaultDevice && reason.com != 0)
        message += " " + std::string(text(CliText::MapHint)) +
                   " ZYLCONFIG_PORTS=" + std::to_string(reason.com) + "=" + PortMap::kExampleDevice + ".";
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
