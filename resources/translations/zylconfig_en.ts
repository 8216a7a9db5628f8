<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="de_DE">
<context>
    <name>HelpWindow</name>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Zurück</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Inhalt</source>
        <translation>Contents</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Diese Einträge der Portzuordnung werden nicht verwendet:</source>
        <translation>These port assignments are not used:</translation>
    </message>
</context>
<context>
    <name>QtPrompts</name>
    <message>
        <source>Warnung</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Fehler</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Bestätigung</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>&amp;Ja</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Nein</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>&amp;Wiederholen</source>
        <translation>&amp;Retry</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Abbruch</source>
        <translation>Abort</translation>
    </message>
</context>
<context>
    <name>TCOMPortDialog</name>
    <message>
        <source>Gerät</source>
        <translation>device</translation>
    </message>
    <message>
        <source>keine gültige Portnummer</source>
        <translation>no valid port number</translation>
    </message>
</context>
<context>
    <name>TFortschritt</name>
    <message>
        <source>Fortschritt</source>
        <translation>progress</translation>
    </message>
    <message>
        <source>Abbruch</source>
        <translation>Abort</translation>
    </message>
</context>
<context>
    <name>TQS40_NUVA_Form</name>
    <message>
        <source>Das Fenster für die ZYL 36-Sensoren ist in dieser Version noch nicht enthalten.</source>
        <translation>The window for the ZYL 36 sensors is not part of this version yet.</translation>
    </message>
</context>
<context>
    <name>TStartForm</name>
    <message>
        <source>Datei</source>
        <translation>&amp;file</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;quit</translation>
    </message>
    <message>
        <source>Programm beenden</source>
        <translation>quit programm</translation>
    </message>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;help</translation>
    </message>
    <message>
        <source>I&amp;nhalt</source>
        <translation>&amp;contents</translation>
    </message>
    <message>
        <source>&amp;language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>Der gespeicherte Wert &quot;%1&quot; = &quot;%2&quot; ist ungültig und wird nicht verwendet.
(%3)</source>
        <translation>The stored value &quot;%1&quot; = &quot;%2&quot; is invalid and is not used.
(%3)</translation>
    </message>
    <message>
        <source>Die Einstellungen konnten nicht gespeichert werden:
%1</source>
        <translation>The settings could not be saved:
%1</translation>
    </message>
</context>
<context>
    <name>TFSimulation</name>
    <message>
        <source>Adresse</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>Länge</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>Daten</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>zum Sensor:</source>
        <translation>to sensor:</translation>
    </message>
    <message>
        <source>vom Sensor:</source>
        <translation>from sensor:</translation>
    </message>
    <message>
        <source>Abstand:</source>
        <translation>Distance:</translation>
    </message>
</context>
</TS>
