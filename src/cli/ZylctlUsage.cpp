#include "ZylctlUsage.h"

namespace {

// The commands of the ZYL 24 line: the qs40 and nuva commands set rates and RTS themselves.
constexpr std::string_view kZyl24Commands = "ports search read write store factory set-address poll";

} // namespace

const ProgramUsage& ZylctlUsage() {
    static const ProgramUsage usage{
        "zylctl",
        "Search, read, write, store and measure ZYL 24 distance sensors on a serial line or an RS-485 bus, "
        "ZYL 36 sensors on the NUVA link and QS40 sensors of the text protocol.",
        {},
        {
            {"Commands",
             {
                 {"ports", "", ValueKind::None,
                  "List the COM numbers 1 to 20, the device behind each and whether it opens."},
                 {"search", "[--all]", ValueKind::None,
                  "Search the bus over the addresses 1 to 127 and print the first address at which a ZYL "
                  "24 answers, as \"address N\"; with --all every address that answers, one \"address N "
                  "variant V\" line each."},
                 {"read", "--address N [-o FILE.qel]", ValueKind::None,
                  "Print the sensor's parameter set as \"key: value\" lines that do not depend on --lang; "
                  "with -o save it as a project file as well."},
                 {"write", "--address N [--store] FILE.qel", ValueKind::None,
                  "Transfer the values of a project file to the sensor, group by group in the order of "
                  "the ZYL 24 window, each only after the previous one was accepted. The whole file is "
                  "checked before the port is opened; hold and lowlight keep the sensor's values. Nothing "
                  "is made permanent without --store."},
                 {"store", "--address N", ValueKind::None, "Make the sensor's current settings permanent."},
                 {"factory", "--address N", ValueKind::None, "Reset the sensor to its factory preset."},
                 {"set-address", "--address N NEW", ValueKind::None,
                  "Move the sensor to the bus address NEW (1 to 127) and print \"address NEW\"."},
                 {"poll", "--address N --count K [--interval MS] [--command A|I] [--csv FILE]",
                  ValueKind::None,
                  "Measure K times and print one \"raw;mm\" line per sample (millimetres with one decimal "
                  "and a point). A sample that gets no answer is reported on standard error and makes the "
                  "exit status 1; the other samples are kept."},
                 {"qs40", "identify", ValueKind::None,
                  "Find a QS40 sensor of the text protocol and print its port, sensor, identification and "
                  "protocol generation. Every qs40 command searches COM 1 to 19 as the QS40 window does "
                  "(even parity, every baud rate), or with --port only that line, and reads the switch "
                  "points first; --baud and --rts are refused."},
                 {"qs40", "read [-o FILE.spi]", ValueKind::None,
                  "Print the switch points, hystereses and limit parameters as \"key: value\" lines; with -o "
                  "save them as the QS40 window's project file."},
                 {"qs40", "write FILE.spi", ValueKind::None,
                  "Send the project file's switch points and hystereses and store them in the sensor. A file "
                  "without all eight switch-point and hysteresis lines, or of another sensor type, sends "
                  "nothing. Hystereses below 100 mm and switch-off points beyond 6000 mm are limited as in "
                  "the window."},
                 {"qs40", "copy FILE.spi", ValueKind::None, "As write, and the limit parameters as well."},
                 {"qs40", "poll --count K [--interval MS]", ValueKind::None,
                  "Measure K times, every 200 ms unless --interval is given, and print one "
                  "\"distance;energy;state\" line per measurement."},
                 {"qs40", "update [--reduced] IMAGE.mot", ValueKind::None,
                  "Load a firmware image of Motorola S-records into the sensor, keeping its settings; each "
                  "page the loader takes is shown on standard error. The image is checked completely "
                  "before the sensor is touched; Ctrl+C does not stop an update."},
                 {"nuva", "search", ValueKind::None,
                  "Find a ZYL 36 sensor (QS40MNTD or QS40MNTB) on the NUVA link and print its port, sensor "
                  "and firmware version. Every nuva command searches COM 1 to 19 as the ZYL 36 window "
                  "does (57600 baud first, then every rate), or with --port only that line; --baud and "
                  "--rts are refused."},
                 {"nuva", "read [-o FILE.qel]", ValueKind::None,
                  "Print the 16 switch points of the four protection fields, the four hystereses and the "
                  "near-range switch-off as \"key: value\" lines; with -o save them as the ZYL 36 window's "
                  "project file after a read (the points on its 16 mm steps, the first line in the "
                  "language of --lang)."},
                 {"nuva", "write FILE.qel [--no-store]", ValueKind::None,
                  "Send the project file's switch points and hystereses, read them back and store them in "
                  "the sensor. The points first go on the ZYL 36 window's 16 mm steps within the sensor's "
                  "measuring range, as its editors put them. A point the sensor did not take fails with "
                  "exit status 1 and the window's mismatch mask (bit k for word k of the read-back). A "
                  "file without all five sections sends nothing."},
                 {"nuva", "field N", ValueKind::None,
                  "Select the active protection field of a QS40MNTD: 0 straight, 1 right, 2 left, 3 full "
                  "area."},
                 {"nuva", "poll --count K [--interval MS] [--csv FILE]", ValueKind::None,
                  "Measure K times, every 1000 ms unless --interval is given, and print the distance in "
                  "millimetres, one line each."},
                 {"nuva", "limits [--set V1 V2 V3 V4 V5 V6 V7 V8]", ValueKind::None,
                  "Print the eight limit parameters; with --set first write the eight values (0 to 65535, in "
                  "the printed order) and store them in the sensor, then print what it reports. A value the "
                  "sensor did not take fails with exit status 1 and a mask."},
             },
             true},
            {"Options",
             {
                 {"--port", "COMn|N|PATH", ValueKind::Port,
                  "The port: a COM number (3 or COM3), mapped to a device as described under PORTS, or a "
                  "device path. Default: 1."},
                 {"--baud", "N", ValueKind::Number, "Baud rate of the line, 50 to 4000000. Default: 38400.",
                  kZyl24Commands},
                 {"--rts", "enabled|disabled|toggle", ValueKind::Choice,
                  "RTS handling of the line: toggle switches the transmitter of a two-wire RS-485 "
                  "converter on only while bytes are sent. Default: enabled.",
                  kZyl24Commands},
                 {"--timeout", "MS", ValueKind::Number,
                  "Read time-out in milliseconds while the sensor is being found, 1 to 60000; once it has "
                  "answered, the measuring time-outs apply. Default: 100. For the nuva commands the read "
                  "time-out of the whole run; default: the window's 50 ms at 57600 baud, 100 ms at the "
                  "other rates."},
                 {"--lang", "de|en", ValueKind::Choice,
                  "Language of the messages on standard error. Default: from LC_ALL, LC_MESSAGES or LANG."},
                 {"-v, --verbose", "", ValueKind::None,
                  "Show every frame sent and received on standard error."},
                 {"-h, --help", "", ValueKind::None, "Print the help and exit."},
                 {"--version", "", ValueKind::None, "Print the version and exit."},
             }},
            {"Command options",
             {
                 {"--address", "N", ValueKind::Number,
                  "Bus address of the sensor, 1 to 128. The command first makes sure that a ZYL 24 "
                  "answers there."},
                 {"-o, --output", "FILE", ValueKind::File,
                  "read, qs40 read, nuva read: save the parameter set as a project file."},
                 {"--all", "", ValueKind::None, "search: list every sensor on the bus."},
                 {"--reduced", "", ValueKind::None,
                  "qs40 update: neither read nor write the switch points and limit parameters."},
                 {"--store", "", ValueKind::None,
                  "write: make the transferred settings permanent in the sensor."},
                 {"--count", "K", ValueKind::Number,
                  "poll, qs40 poll, nuva poll: the number of samples, 1 to 1000000."},
                 {"--interval", "MS", ValueKind::Number,
                  "poll, qs40 poll, nuva poll: milliseconds from one sample to the next, 0 to 3600000. "
                  "Default: 40, for qs40 poll 200, for nuva poll 1000."},
                 {"--command", "A|I", ValueKind::Choice,
                  "poll: the measuring request, A (the distance, default) or I (the Q1 measurement)."},
                 {"--csv", "FILE", ValueKind::File,
                  "poll: also write the samples as a measurement export: the header \"Rohdaten "
                  "[LSB];Skaliert [mm]\" and one row per sample. nuva poll: the header \"Abstand [mm]\" and "
                  "one distance per row. An interrupted poll still writes what it measured."},
                 {"--slave", "N", ValueKind::Number,
                  "nuva: the sensor's slave address on the NUVA link, 0 to 255. Default: 222.", "nuva"},
                 {"--master", "N", ValueKind::Number,
                  "nuva: the program's master address on the NUVA link, 0 to 255. Default: 1.", "nuva"},
                 {"--no-store", "", ValueKind::None,
                  "nuva write: leave the values in the sensor without storing them in its EEPROM; they "
                  "hold until it is switched off."},
                 {"--set", "", ValueKind::None, "nuva limits: write the eight values that follow."},
             }},
        },
        {
            {0, "success"},
            {1, "the sensor refused or did not answer"},
            {2, "usage or file error"},
            {3, "the port could not be opened or configured"},
            {130, "stopped with Ctrl+C"},
        },
    };
    return usage;
}

const UsageGerman& ZylctlUsageGerman() {
    static const UsageGerman german{
        {"Search, read, write, store and measure ZYL 24 distance sensors on a serial line or an RS-485 bus, "
         "ZYL 36 sensors on the NUVA link and QS40 sensors of the text protocol.",
         "Sucht, liest, schreibt, speichert und misst ZYL-24-Abstandssensoren an einer seriellen Leitung "
         "oder einem RS-485-Bus, ZYL-36-Sensoren an der NUVA-Verbindung und QS40-Sensoren des "
         "Textprotokolls."},
        {"Commands", "Befehle"},
        {"List the COM numbers 1 to 20, the device behind each and whether it opens.",
         "Listet die COM-Nummern 1 bis 20, das Gerät hinter jeder und ob es sich öffnen lässt."},
        {"Search the bus over the addresses 1 to 127 and print the first address at which a ZYL "
         "24 answers, as \"address N\"; with --all every address that answers, one \"address N "
         "variant V\" line each.",
         "Durchsucht den Bus über die Adressen 1 bis 127 und gibt die erste Adresse, an der ein ZYL 24 "
         "antwortet, als \"address N\" aus; mit --all jede Adresse, die antwortet, je eine Zeile "
         "\"address N variant V\"."},
        {"Print the sensor's parameter set as \"key: value\" lines that do not depend on --lang; "
         "with -o save it as a project file as well.",
         "Gibt den Parametersatz des Sensors als Zeilen \"Schlüssel: Wert\" aus, die nicht von --lang "
         "abhängen; mit -o zusätzlich als Projektdatei."},
        {"Transfer the values of a project file to the sensor, group by group in the order of "
         "the ZYL 24 window, each only after the previous one was accepted. The whole file is "
         "checked before the port is opened; hold and lowlight keep the sensor's values. Nothing "
         "is made permanent without --store.",
         "Überträgt die Werte einer Projektdatei an den Sensor, Gruppe für Gruppe in der Reihenfolge des "
         "ZYL-24-Fensters, jede erst, wenn die vorige angenommen wurde. Die ganze Datei wird geprüft, bevor "
         "der Port geöffnet wird; Hold und Lowlight behalten die Werte des Sensors. Ohne --store wird nichts "
         "dauerhaft gespeichert."},
        {"Make the sensor's current settings permanent.",
         "Speichert die aktuellen Einstellungen dauerhaft im Sensor."},
        {"Reset the sensor to its factory preset.", "Setzt den Sensor auf seine Werkseinstellung zurück."},
        {"Move the sensor to the bus address NEW (1 to 127) and print \"address NEW\".",
         "Gibt dem Sensor die Busadresse NEW (1 bis 127) und gibt \"address NEW\" aus."},
        {"Measure K times and print one \"raw;mm\" line per sample (millimetres with one decimal "
         "and a point). A sample that gets no answer is reported on standard error and makes the "
         "exit status 1; the other samples are kept.",
         "Misst K-mal und gibt je Messung eine Zeile \"raw;mm\" aus (Millimeter mit einer Nachkommastelle "
         "und Punkt). Eine Messung ohne Antwort wird auf der Standardfehlerausgabe gemeldet und macht den "
         "Rückgabewert 1; die anderen Messungen bleiben erhalten."},
        {"Find a QS40 sensor of the text protocol and print its port, sensor, identification and "
         "protocol generation. Every qs40 command searches COM 1 to 19 as the QS40 window does "
         "(even parity, every baud rate), or with --port only that line, and reads the switch "
         "points first; --baud and --rts are refused.",
         "Sucht einen QS40-Sensor des Textprotokolls und gibt Port, Sensor, Kennung und Protokollgeneration "
         "aus. Jeder qs40-Befehl sucht wie das QS40-Fenster auf COM 1 bis 19 (gerade Parität, jede "
         "Baudrate), mit --port nur auf dieser Leitung, und liest zuerst die Schaltpunkte; --baud und --rts "
         "werden abgelehnt."},
        {"Print the switch points, hystereses and limit parameters as \"key: value\" lines; with -o "
         "save them as the QS40 window's project file.",
         "Gibt Schaltpunkte, Hysteresen und Limitparameter als Zeilen \"Schlüssel: Wert\" aus; mit -o "
         "zusätzlich als Projektdatei des QS40-Fensters."},
        {"Send the project file's switch points and hystereses and store them in the sensor. A file "
         "without all eight switch-point and hysteresis lines, or of another sensor type, sends "
         "nothing. Hystereses below 100 mm and switch-off points beyond 6000 mm are limited as in "
         "the window.",
         "Sendet die Schaltpunkte und Hysteresen der Projektdatei und speichert sie im Sensor. Eine Datei "
         "ohne alle acht Schaltpunkt- und Hysteresezeilen oder eines anderen Sensortyps sendet nichts. "
         "Hysteresen unter 100 mm und Ausschaltpunkte über 6000 mm werden wie im Fenster begrenzt."},
        {"As write, and the limit parameters as well.", "Wie write, und dazu die Limitparameter."},
        {"Measure K times, every 200 ms unless --interval is given, and print one "
         "\"distance;energy;state\" line per measurement.",
         "Misst K-mal, alle 200 ms, wenn --interval nichts anderes sagt, und gibt je Messung eine Zeile "
         "\"distance;energy;state\" aus."},
        {"Find a ZYL 36 sensor (QS40MNTD or QS40MNTB) on the NUVA link and print its port, sensor "
         "and firmware version. Every nuva command searches COM 1 to 19 as the ZYL 36 window "
         "does (57600 baud first, then every rate), or with --port only that line; --baud and "
         "--rts are refused.",
         "Sucht einen ZYL-36-Sensor (QS40MNTD oder QS40MNTB) an der NUVA-Verbindung und gibt Port, Sensor "
         "und Firmware-Version aus. Jeder nuva-Befehl sucht wie das ZYL-36-Fenster auf COM 1 bis 19 (erst "
         "57600 Baud, dann jede Baudrate), mit --port nur auf dieser Leitung; --baud und --rts werden "
         "abgelehnt."},
        {"Print the 16 switch points of the four protection fields, the four hystereses and the "
         "near-range switch-off as \"key: value\" lines; with -o save them as the ZYL 36 window's "
         "project file after a read (the points on its 16 mm steps, the first line in the "
         "language of --lang).",
         "Gibt die 16 Schaltpunkte der vier Schutzfelder, die vier Hysteresen und die "
         "Nahbereichsabschaltung als Zeilen \"Schlüssel: Wert\" aus; mit -o nach dem Lesen zusätzlich als "
         "Projektdatei des ZYL-36-Fensters (die Punkte auf seinen 16-mm-Schritten, die erste Zeile in der "
         "Sprache von --lang)."},
        {"Send the project file's switch points and hystereses, read them back and store them in "
         "the sensor. The points first go on the ZYL 36 window's 16 mm steps within the sensor's "
         "measuring range, as its editors put them. A point the sensor did not take fails with "
         "exit status 1 and the window's mismatch mask (bit k for word k of the read-back). A "
         "file without all five sections sends nothing.",
         "Sendet die Schaltpunkte und Hysteresen der Projektdatei, liest sie zurück und speichert sie im "
         "Sensor. Die Punkte kommen zuerst auf die 16-mm-Schritte des ZYL-36-Fensters im Messbereich des "
         "Sensors, wie seine Editoren sie setzen. Ein Punkt, den der Sensor nicht annahm, endet mit Rückgabewert 1 und der Abweichungsmaske "
         "des Fensters (Bit k für Wort k des Zurücklesens). Eine Datei ohne alle fünf Abschnitte sendet "
         "nichts."},
        {"Select the active protection field of a QS40MNTD: 0 straight, 1 right, 2 left, 3 full "
         "area.",
         "Wählt das aktive Schutzfeld eines QS40MNTD: 0 gerade, 1 rechts, 2 links, 3 Weitwinkel."},
        {"Measure K times, every 1000 ms unless --interval is given, and print the distance in "
         "millimetres, one line each.",
         "Misst K-mal, alle 1000 ms, wenn --interval nichts anderes sagt, und gibt je Messung den Abstand in "
         "Millimetern auf einer Zeile aus."},
        {"Print the eight limit parameters; with --set first write the eight values (0 to 65535, in "
         "the printed order) and store them in the sensor, then print what it reports. A value the "
         "sensor did not take fails with exit status 1 and a mask.",
         "Gibt die acht Limitparameter aus; mit --set schreibt es zuerst die acht Werte (0 bis 65535, in der "
         "ausgegebenen Reihenfolge) und speichert sie im Sensor, dann gibt es aus, was er meldet. Ein Wert, "
         "den der Sensor nicht annahm, endet mit Rückgabewert 1 und einer Maske."},
        {"Load a firmware image of Motorola S-records into the sensor, keeping its settings; each "
         "page the loader takes is shown on standard error. The image is checked completely "
         "before the sensor is touched; Ctrl+C does not stop an update.",
         "Lädt ein Firmware-Abbild aus Motorola-S-Records in den Sensor und behält seine Einstellungen; "
         "jede Seite, die der Lader annimmt, erscheint auf der Standardfehlerausgabe. Das Abbild wird "
         "vollständig geprüft, bevor der Sensor berührt wird; Strg+C hält ein Update nicht an."},
        {"Options", "Optionen"},
        {"The port: a COM number (3 or COM3), mapped to a device as described under PORTS, or a "
         "device path. Default: 1.",
         "Der Port: eine COM-Nummer (3 oder COM3), einem Gerät zugeordnet wie unter PORTS beschrieben, oder "
         "ein Gerätepfad. Vorgabe: 1."},
        {"Baud rate of the line, 50 to 4000000. Default: 38400.",
         "Baudrate der Leitung, 50 bis 4000000. Vorgabe: 38400."},
        {"RTS handling of the line: toggle switches the transmitter of a two-wire RS-485 "
         "converter on only while bytes are sent. Default: enabled.",
         "RTS-Steuerung der Leitung: toggle schaltet den Sender eines zweidrahtigen RS-485-Wandlers nur ein, "
         "während Bytes gesendet werden. Vorgabe: enabled."},
        {"Read time-out in milliseconds while the sensor is being found, 1 to 60000; once it has "
         "answered, the measuring time-outs apply. Default: 100. For the nuva commands the read "
         "time-out of the whole run; default: the window's 50 ms at 57600 baud, 100 ms at the "
         "other rates.",
         "Lese-Timeout in Millisekunden, solange der Sensor gesucht wird, 1 bis 60000; sobald er geantwortet "
         "hat, gelten die Mess-Timeouts. Vorgabe: 100. Für die nuva-Befehle der Lese-Timeout des ganzen "
         "Laufs; Vorgabe: die 50 ms des Fensters bei 57600 Baud, 100 ms bei den anderen Baudraten."},
        {"Language of the messages on standard error. Default: from LC_ALL, LC_MESSAGES or LANG.",
         "Sprache der Meldungen auf der Standardfehlerausgabe. Vorgabe: aus LC_ALL, LC_MESSAGES oder LANG."},
        {"Show every frame sent and received on standard error.",
         "Zeigt jeden gesendeten und empfangenen Rahmen auf der Standardfehlerausgabe."},
        {"Print the help and exit.", "Gibt die Hilfe aus und endet."},
        {"Print the version and exit.", "Gibt die Version aus und endet."},
        {"Command options", "Optionen der Befehle"},
        {"Bus address of the sensor, 1 to 128. The command first makes sure that a ZYL 24 "
         "answers there.",
         "Busadresse des Sensors, 1 bis 128. Der Befehl prüft zuerst, dass dort ein ZYL 24 antwortet."},
        {"read, qs40 read, nuva read: save the parameter set as a project file.",
         "read, qs40 read, nuva read: speichert den Parametersatz als Projektdatei."},
        {"search: list every sensor on the bus.", "search: listet jeden Sensor am Bus."},
        {"qs40 update: neither read nor write the switch points and limit parameters.",
         "qs40 update: liest und schreibt weder Schaltpunkte noch Limitparameter."},
        {"write: make the transferred settings permanent in the sensor.",
         "write: speichert die übertragenen Einstellungen dauerhaft im Sensor."},
        {"poll, qs40 poll, nuva poll: the number of samples, 1 to 1000000.",
         "poll, qs40 poll, nuva poll: die Zahl der Messungen, 1 bis 1000000."},
        {"poll, qs40 poll, nuva poll: milliseconds from one sample to the next, 0 to 3600000. "
         "Default: 40, for qs40 poll 200, for nuva poll 1000.",
         "poll, qs40 poll, nuva poll: Millisekunden von einer Messung zur nächsten, 0 bis 3600000. Vorgabe: "
         "40, für qs40 poll 200, für nuva poll 1000."},
        {"poll: the measuring request, A (the distance, default) or I (the Q1 measurement).",
         "poll: die Messanfrage, A (der Abstand, Vorgabe) oder I (die Messung von Q1)."},
        {"poll: also write the samples as a measurement export: the header \"Rohdaten "
         "[LSB];Skaliert [mm]\" and one row per sample. nuva poll: the header \"Abstand [mm]\" and "
         "one distance per row. An interrupted poll still writes what it measured.",
         "poll: schreibt die Messungen zusätzlich als Messdatenexport: die Kopfzeile \"Rohdaten "
         "[LSB];Skaliert [mm]\" und eine Zeile je Messung. nuva poll: die Kopfzeile \"Abstand [mm]\" und "
         "einen Abstand je Zeile. Eine unterbrochene Messreihe schreibt noch, was sie gemessen hat."},
        {"nuva: the sensor's slave address on the NUVA link, 0 to 255. Default: 222.",
         "nuva: die Slave-Adresse des Sensors an der NUVA-Verbindung, 0 bis 255. Vorgabe: 222."},
        {"nuva: the program's master address on the NUVA link, 0 to 255. Default: 1.",
         "nuva: die Master-Adresse des Programms an der NUVA-Verbindung, 0 bis 255. Vorgabe: 1."},
        {"nuva write: leave the values in the sensor without storing them in its EEPROM; they "
         "hold until it is switched off.",
         "nuva write: lässt die Werte im Sensor, ohne sie in seinem EEPROM zu speichern; sie gelten, bis er "
         "ausgeschaltet wird."},
        {"nuva limits: write the eight values that follow.",
         "nuva limits: schreibt die acht folgenden Werte."},
        {"success", "Erfolg"},
        {"the sensor refused or did not answer", "der Sensor lehnte ab oder antwortete nicht"},
        {"usage or file error", "Aufruf- oder Dateifehler"},
        {"the port could not be opened or configured", "der Port ließ sich nicht öffnen oder einstellen"},
        {"stopped with Ctrl+C", "mit Strg+C angehalten"},
    };
    return german;
}
