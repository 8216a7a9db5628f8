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
    <name>SettingsWarnings</name>
    <message>
        <source>Diese Einstellungen sind ungültig und werden nicht verwendet:</source>
        <translation>These settings are invalid and are not used:</translation>
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
    <message>
        <source> – RS-485-Modus des Systems, bleibt wie eingestellt</source>
        <translation> – system RS-485 mode, left as configured</translation>
    </message>
    <message>
        <source> – kein RS-232/RS-422-Port</source>
        <translation> – not an RS-232/RS-422 port</translation>
    </message>
    <message>
        <source>trotzdem verwenden</source>
        <translation>use anyway</translation>
    </message>
    <message>
        <source>Gerät wählen</source>
        <translation>choose device</translation>
    </message>
</context>
<context>
    <name>PortDeviceChooser</name>
    <message>
        <source>frei</source>
        <translation>free</translation>
    </message>
    <message>
        <source>belegt</source>
        <translation>in use</translation>
    </message>
    <message>
        <source>keine Berechtigung</source>
        <translation>not permitted</translation>
    </message>
    <message>
        <source>Nr. %1</source>
        <translation>no. %1</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>default</translation>
    </message>
    <message>
        <source>%1  –  nicht vorhanden</source>
        <translation>%1  –  not present</translation>
    </message>
</context>
<context>
    <name>TCGraphic</name>
    <message>
        <source>Pegel verschieben</source>
        <translation>move level</translation>
    </message>
    <message>
        <source>Y vergrößern</source>
        <translation>Y zoom in</translation>
    </message>
    <message>
        <source>Y verkleinern</source>
        <translation>Y zoom out</translation>
    </message>
    <message>
        <source>X vergrößern</source>
        <translation>X zoom in</translation>
    </message>
    <message>
        <source>X verkleinern</source>
        <translation>X zoom out</translation>
    </message>
    <message>
        <source>ganzer Bereich</source>
        <translation>fullscale</translation>
    </message>
    <message>
        <source>Daten speichern</source>
        <translation>save data</translation>
    </message>
</context>
<context>
    <name>LinkTexts</name>
    <message>
        <source>Wählen Sie im Portdialog das Gerät für diese Nummer.</source>
        <translation>Choose the device for this number in the port dialog.</translation>
    </message>
    <message>
        <source>Die Verbindung zum Gerät ist abgebrochen:</source>
        <translation>The connection to the device was lost:</translation>
    </message>
    <message>
        <source>Suchen oder verbinden Sie neu, sobald es wieder angeschlossen ist.</source>
        <translation>Search or connect again once it is plugged in.</translation>
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
        <source>Schaltpunkte gerade</source>
        <translation>switchpoints straight</translation>
    </message>
    <message>
        <source>Schaltpunkte rechts</source>
        <translation>switchpoints right</translation>
    </message>
    <message>
        <source>Schaltpunkte links</source>
        <translation>switchpoints left</translation>
    </message>
    <message>
        <source>Schaltpunkte Weitwinkel</source>
        <translation>switchpoints full area</translation>
    </message>
    <message>
        <source>Gerade</source>
        <translation>straight</translation>
    </message>
    <message>
        <source>Rechts</source>
        <translation>right</translation>
    </message>
    <message>
        <source>Links</source>
        <translation>left</translation>
    </message>
    <message>
        <source>Weitwinkel</source>
        <translation>full area</translation>
    </message>
    <message>
        <source>Projektdatei öffnen</source>
        <translation>load session</translation>
    </message>
    <message>
        <source>Projekt als Datei speichern</source>
        <translation>save session</translation>
    </message>
    <message>
        <source>Sensor suchen</source>
        <translation>search sensor</translation>
    </message>
    <message>
        <source>Sensoreinstellungen lesen</source>
        <translation>read all sensorparameter</translation>
    </message>
    <message>
        <source>Einstellungen im Sensor flüchtig speichern</source>
        <translation>set all sensorparameter</translation>
    </message>
    <message>
        <source>Messdaten Abstand lesen</source>
        <translation>read distance values</translation>
    </message>
    <message>
        <source>Programm beenden</source>
        <translation>quit programm</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>&amp;file</translation>
    </message>
    <message>
        <source>Ö&amp;ffnen</source>
        <translation>&amp;open</translation>
    </message>
    <message>
        <source>&amp;Speichern</source>
        <translation>&amp;save</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;quit</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>sensor</translation>
    </message>
    <message>
        <source>&amp;Manuell</source>
        <translation>&amp;manual</translation>
    </message>
    <message>
        <source>&amp;Suchen</source>
        <translation>&amp;search</translation>
    </message>
    <message>
        <source>S&amp;ensordaten</source>
        <translation>s&amp;ensordata</translation>
    </message>
    <message>
        <source>Einstellungen vom Sensor &amp;lesen</source>
        <translation>&amp;read parameter</translation>
    </message>
    <message>
        <source>Einstellungen an Sensor ü&amp;bertragen</source>
        <translation>&amp;set parameter</translation>
    </message>
    <message>
        <source>&amp;Messwerte lesen</source>
        <translation>&amp;read distance</translation>
    </message>
    <message>
        <source>&amp;kontinuierlich</source>
        <translation>&amp;continous</translation>
    </message>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;help</translation>
    </message>
    <message>
        <source>&amp;language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>Abstand</source>
        <translation>distance</translation>
    </message>
    <message>
        <source>Hysterese</source>
        <translation>hystereses</translation>
    </message>
    <message>
        <source>Schutzfeld</source>
        <translation>protection field</translation>
    </message>
    <message>
        <source>Adressen</source>
        <translation>adresses</translation>
    </message>
    <message>
        <source>kein Sensor</source>
        <translation>Status: no sensor</translation>
    </message>
    <message>
        <source>kein QS40MNTx gefunden</source>
        <translation>no QS40MNTx found</translation>
    </message>
    <message>
        <source>keine QS40 Datei</source>
        <translation>no QS40 file</translation>
    </message>
    <message>
        <source>Fehler bei Datenübertragung</source>
        <translation>error during dataread</translation>
    </message>
    <message>
        <source>Programmierung fehlgeschlagen</source>
        <translation>error during transfer</translation>
    </message>
    <message>
        <source>Daten noch nicht im Sensor gespeichert!
Wollen Sie dennoch beenden?</source>
        <translation>Settings not saved in sensor!
Do You want to quit anyway?</translation>
    </message>
    <message>
        <source>Einstellungen (*.qel)|*.qel</source>
        <translation>sensorfiles (*.qel)|*.qel</translation>
    </message>
    <message>
        <source>Einstellungen laden</source>
        <translation>load parameter</translation>
    </message>
    <message>
        <source>Einstellungen speichern</source>
        <translation>save parameter</translation>
    </message>
    <message>
        <source>Fehler in Datei</source>
        <translation>file error</translation>
    </message>
    <message>
        <source>Zeile</source>
        <translation>line</translation>
    </message>
    <message>
        <source>Datei kann nicht geschrieben werden:</source>
        <translation>The file cannot be written:</translation>
    </message>
    <message>
        <source>Datei kann nicht gelesen werden:</source>
        <translation>The file cannot be read:</translation>
    </message>
    <message>
        <source>Toleranz nicht erlaubt (0 bis 65535 mm)</source>
        <translation>tolerance not allowed (0 to 65535 mm)</translation>
    </message>
    <message>
        <source>Überwachungsausgang kann nicht geöffnet werden:</source>
        <translation>The supervision output cannot be opened:</translation>
    </message>
</context>
<context>
    <name>TLimitParas</name>
    <message>
        <source>Wert nicht erlaubt (0 bis 65535):</source>
        <translation>value not allowed (0 to 65535):</translation>
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
<context>
    <name>TQD20_Form</name>
    <message>
        <source>Öffner</source>
        <translation>normaly closed</translation>
    </message>
    <message>
        <source>Schliesser</source>
        <translation>normaly open</translation>
    </message>
    <message>
        <source>Schaltausgang</source>
        <translation>switch point</translation>
    </message>
    <message>
        <source>Schaltfenster</source>
        <translation>switch window</translation>
    </message>
    <message>
        <source>schnelle Messung</source>
        <translation>fast measurement</translation>
    </message>
    <message>
        <source>Impulsverlängerung an</source>
        <translation>turn off delay on</translation>
    </message>
    <message>
        <source>Impulsverlängerung aus</source>
        <translation>turn off delay off</translation>
    </message>
    <message>
        <source>Schaltpunkte</source>
        <translation>switching points</translation>
    </message>
    <message>
        <source>Ausgang Q1</source>
        <translation>output Q1</translation>
    </message>
    <message>
        <source>Ausgang Q2</source>
        <translation>output Q2</translation>
    </message>
    <message>
        <source>Tastensperre</source>
        <translation>lock button</translation>
    </message>
    <message>
        <source>Mittelungszeit</source>
        <translation>average time</translation>
    </message>
    <message>
        <source>HoldData</source>
        <translation>holddata</translation>
    </message>
    <message>
        <source>Analog-Kennlinie</source>
        <translation>analog-output</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>sensor</translation>
    </message>
    <message>
        <source>Messwerte Abstand</source>
        <translation>distance data</translation>
    </message>
    <message>
        <source>Messwert Q1</source>
        <translation>Q1 data</translation>
    </message>
    <message>
        <source>Werkseinstellung</source>
        <translation>factory preset</translation>
    </message>
    <message>
        <source>im Sensor speichern</source>
        <translation>save to sensor</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>&amp;file</translation>
    </message>
    <message>
        <source>Ö&amp;ffnen</source>
        <translation>&amp;open</translation>
    </message>
    <message>
        <source>&amp;Speichern</source>
        <translation>&amp;save</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;quit</translation>
    </message>
    <message>
        <source>&amp;Manuell</source>
        <translation>&amp;manual</translation>
    </message>
    <message>
        <source>&amp;Suchen</source>
        <translation>&amp;search</translation>
    </message>
    <message>
        <source>&amp;Trennen</source>
        <translation>&amp;disconnect</translation>
    </message>
    <message>
        <source>S&amp;ensordaten</source>
        <translation>s&amp;ensordata</translation>
    </message>
    <message>
        <source>Einstellungen vom Sensor &amp;lesen</source>
        <translation>&amp;read parameter</translation>
    </message>
    <message>
        <source>Einstellungen an Sensor ü&amp;bertragen</source>
        <translation>&amp;set parameter</translation>
    </message>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;help</translation>
    </message>
    <message>
        <source>&amp;language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>I&amp;nhalt</source>
        <translation>&amp;contents</translation>
    </message>
    <message>
        <source>Spezialfunktionen</source>
        <translation>special functions</translation>
    </message>
    <message>
        <source>Adresse</source>
        <translation>adress</translation>
    </message>
    <message>
        <source>Adresse ändern</source>
        <translation>change adress</translation>
    </message>
    <message>
        <source>Direkthilfe</source>
        <translation>quick info</translation>
    </message>
    <message>
        <source>Modus für dunkle Objekte</source>
        <translation>mode for dark objects</translation>
    </message>
    <message>
        <source>Ausgang Q1 konfigurieren</source>
        <translation>configure output Q1</translation>
    </message>
    <message>
        <source>Ausgang Q2 konfigurieren</source>
        <translation>configure output Q2</translation>
    </message>
    <message>
        <source>Tastenverriegelung</source>
        <translation>disable buttons</translation>
    </message>
    <message>
        <source>Mittelungszeit einstellen</source>
        <translation>set average time</translation>
    </message>
    <message>
        <source>Hold wenn Daten ungültig</source>
        <translation>hold if data invalid</translation>
    </message>
    <message>
        <source>Analog Kennlinie</source>
        <translation>set analog-output</translation>
    </message>
    <message>
        <source>Sensoradresse</source>
        <translation>set sensoradress</translation>
    </message>
    <message>
        <source>Messwerte</source>
        <translation>measured values distance</translation>
    </message>
    <message>
        <source>Grapfische Darstellung</source>
        <translation>graphics of measured values</translation>
    </message>
    <message>
        <source>Werkseinstellung aktivieren</source>
        <translation>activate factory preset</translation>
    </message>
    <message>
        <source>Einstellungen im Sensor dauerhaft speichern</source>
        <translation>save data to internal EEPROM</translation>
    </message>
    <message>
        <source>Programm beenden</source>
        <translation>quit programm</translation>
    </message>
    <message>
        <source>Messdaten Abstand lesen</source>
        <translation>read distance values</translation>
    </message>
    <message>
        <source>Messdaten Q1 lesen</source>
        <translation>read measurement Q1</translation>
    </message>
    <message>
        <source>Einstellungen im Sensor flüchtig speichern</source>
        <translation>set all sensorparameter</translation>
    </message>
    <message>
        <source>Sensoreinstellungen lesen</source>
        <translation>read all sensorparameter</translation>
    </message>
    <message>
        <source>Sensor suchen</source>
        <translation>search sensor</translation>
    </message>
    <message>
        <source>Projekt als Datei speichern</source>
        <translation>save session</translation>
    </message>
    <message>
        <source>Projektdatei öffnen</source>
        <translation>load session</translation>
    </message>
    <message>
        <source>kein Sensor verfügbar
ComPort richtig?
Sensor angeschlossen?</source>
        <translation>no sensor available</translation>
    </message>
    <message>
        <source>Fehler beim Daten senden oder ungültige Parameter</source>
        <translation>error in sending data or wrong parameter</translation>
    </message>
    <message>
        <source>ungültige Adresse !</source>
        <translation>forbidden adress !</translation>
    </message>
    <message>
        <source>Dateneingabe</source>
        <translation>data input</translation>
    </message>
    <message>
        <source>neue Adresse:</source>
        <translation>new adress:</translation>
    </message>
    <message>
        <source>keine Adresse gewählt</source>
        <translation>no adress selected</translation>
    </message>
    <message>
        <source>keine Daten</source>
        <translation>no data</translation>
    </message>
    <message>
        <source>Sensor: keiner</source>
        <translation>sensor: no</translation>
    </message>
    <message>
        <source>Daten noch nicht im Sensor gespeichert!
Wollen Sie dennoch beenden?</source>
        <translation>Settings not saved in sensor!
Do You want to quit anyway?</translation>
    </message>
    <message>
        <source>Einstellungen (*.qel)|*.qel</source>
        <translation>sensorfiles (*.qel)|*.qel</translation>
    </message>
    <message>
        <source>Fehler in Datei</source>
        <translation>error in file</translation>
    </message>
    <message>
        <source>Datei kann nicht geschrieben werden:
%1
%2</source>
        <translation>cannot write the file:
%1
%2</translation>
    </message>
    <message>
        <source>Datei kann nicht gelesen werden:
%1
%2</source>
        <translation>cannot read the file:
%1
%2</translation>
    </message>
    <message>
        <source>keine gewöhnliche Datei</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>Die Datei enthält keine Sensoreinstellungen:
%1</source>
        <translation>the file holds no sensor settings:
%1</translation>
    </message>
</context>
<context>
    <name>TQS40_Form</name>
    <message>
        <source>Keine Kommunikation mit Palm!
Palm angeschlossen?
PC-Connect aktiviert?
HotSync geschlossen?</source>
        <translation>no communication with Palm!
Palm connected?
PC-Connect activated?
HotSync closed?</translation>
    </message>
    <message>
        <source>Fehler bei 
Kommunikation mit Palm !</source>
        <translation>error in 
communication with Palm !</translation>
    </message>
    <message>
        <source>Seite %1 von %2</source>
        <translation>page %1 of %2</translation>
    </message>
    <message>
        <source>Stecken Sie es wieder ein und wählen Sie dasselbe Update noch einmal, ohne neu zu suchen: es beginnt von vorn und schreibt die zuvor gelesenen Werte zurück.</source>
        <translation>Plug it in again and choose the same update once more, without searching: it starts over and writes back the values read before.</translation>
    </message>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Öffnen</source>
        <translation>&amp;open</translation>
    </message>
    <message>
        <source>&amp;Sichern</source>
        <translation>&amp;save</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;quit</translation>
    </message>
    <message>
        <source>&amp;Sensor</source>
        <translation>&amp;sensor</translation>
    </message>
    <message>
        <source>&amp;Manuell</source>
        <translation>&amp;manual</translation>
    </message>
    <message>
        <source>&amp;Suchen</source>
        <translation>&amp;search</translation>
    </message>
    <message>
        <source>S&amp;ensordaten</source>
        <translation>s&amp;ensordata</translation>
    </message>
    <message>
        <source>Parameter &amp;Lesen</source>
        <translation>&amp;read</translation>
    </message>
    <message>
        <source>Parameter &amp;Setzen</source>
        <translation>&amp;set</translation>
    </message>
    <message>
        <source>Parameter kopieren</source>
        <translation>copy parameters</translation>
    </message>
    <message>
        <source>&amp;Messwerte lesen</source>
        <translation>read &amp;measurements</translation>
    </message>
    <message>
        <source>kontinuierlich</source>
        <translation>continuous</translation>
    </message>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;help</translation>
    </message>
    <message>
        <source>&amp;Fehlermeldungen</source>
        <translation>&amp;error messages</translation>
    </message>
    <message>
        <source>&amp;language</source>
        <translation>S&amp;prache</translation>
    </message>
    <message>
        <source>&amp;english</source>
        <translation>&amp;Englisch</translation>
    </message>
    <message>
        <source>&amp;german</source>
        <translation>&amp;Deutsch</translation>
    </message>
    <message>
        <source>alles löschen</source>
        <translation>clear all</translation>
    </message>
    <message>
        <source>Öffnen</source>
        <translation>open</translation>
    </message>
    <message>
        <source>Sitzung laden</source>
        <translation>load session</translation>
    </message>
    <message>
        <source>Sichern</source>
        <translation>save</translation>
    </message>
    <message>
        <source>Sitzung speichern</source>
        <translation>save session</translation>
    </message>
    <message>
        <source>suchen</source>
        <translation>search</translation>
    </message>
    <message>
        <source>QS40MNTB suchen</source>
        <translation>search QS40MNTB</translation>
    </message>
    <message>
        <source>lesen</source>
        <translation>read</translation>
    </message>
    <message>
        <source>Sensoreinstellungen lesen</source>
        <translation>read sensor settings</translation>
    </message>
    <message>
        <source>setzen</source>
        <translation>set</translation>
    </message>
    <message>
        <source>Sensoreinstellungen setzen</source>
        <translation>set sensor settings</translation>
    </message>
    <message>
        <source>Messdaten lesen</source>
        <translation>read measurements</translation>
    </message>
    <message>
        <source>Para.Liste</source>
        <translation>para.list</translation>
    </message>
    <message>
        <source>Parameterliste</source>
        <translation>parameter list</translation>
    </message>
    <message>
        <source>Beenden</source>
        <translation>quit</translation>
    </message>
    <message>
        <source>Ende</source>
        <translation>quit</translation>
    </message>
    <message>
        <source>Schaltzustände</source>
        <translation>switching states</translation>
    </message>
    <message>
        <source>Nah</source>
        <translation>near</translation>
    </message>
    <message>
        <source>Fern</source>
        <translation>far</translation>
    </message>
    <message>
        <source>Abstand</source>
        <translation>distance</translation>
    </message>
    <message>
        <source>Funktionsreserve</source>
        <translation>gain</translation>
    </message>
    <message>
        <source>Pinbelegung</source>
        <translation>pin assignment</translation>
    </message>
    <message>
        <source>2 = Ausgang PNP</source>
        <translation>2 = Out PNP</translation>
    </message>
    <message>
        <source>4 = Ausgang PNP</source>
        <translation>4 = Out PNP</translation>
    </message>
    <message>
        <source>5 = nicht belegt</source>
        <translation>5 = not used</translation>
    </message>
    <message>
        <source>6 = Eingang E1</source>
        <translation>6 = IN E1</translation>
    </message>
    <message>
        <source>7 = Eingang E2</source>
        <translation>7 = IN E2</translation>
    </message>
    <message>
        <source>8 = Ausgang PNP</source>
        <translation>8 = Out PNP</translation>
    </message>
    <message>
        <source>Sensor: keiner</source>
        <translation>Sensor: none</translation>
    </message>
    <message>
        <source>kein QS40MNTB verfügbar
HotSync geschlossen?</source>
        <translation>no QS40MNTB available
HotSync closed?</translation>
    </message>
    <message>
        <source>Kann File nicht öffnen</source>
        <translation>can't open file</translation>
    </message>
    <message>
        <source>Fehler in Datei</source>
        <translation>file error</translation>
    </message>
    <message>
        <source>Anderer Sensortyp
als angeschlossener</source>
        <translation>other sensortype
than connected</translation>
    </message>
    <message>
        <source>Unbekannter Sensortyp</source>
        <translation>unknown sensor</translation>
    </message>
    <message>
        <source>Fehler beim Daten lesen</source>
        <translation>error in reading data</translation>
    </message>
    <message>
        <source>Fehler beim Daten senden</source>
        <translation>error in writing data</translation>
    </message>
    <message>
        <source>Sensorprogrammierung
erfolgreich</source>
        <translation>programming of sensor
successful</translation>
    </message>
    <message>
        <source>Sensordateien (*.spi)|*.spi</source>
        <translation>sensorfiles (*.spi)|*.spi</translation>
    </message>
    <message>
        <source>Ungültige Schnittstellenparameter:
Port 1 bis 20, Baudrate als Zahl,
Timeout 1 bis 10000 ms</source>
        <translation>invalid port settings:
port 1 to 20, baud rate as a number,
time-out 1 to 10000 ms</translation>
    </message>
    <message>
        <source>Datei konnte nicht geschrieben werden:
%1
Die bisherige Datei bleibt erhalten.</source>
        <translation>the file could not be written:
%1
the previous file is kept.</translation>
    </message>
    <message>
        <source>Parameter speichern</source>
        <translation>save parameter</translation>
    </message>
    <message>
        <source>Parameter laden</source>
        <translation>load parameter</translation>
    </message>
    <message>
        <source>Manuelle Eingabe abgebrochen</source>
        <translation>manual input aborted</translation>
    </message>
</context>
<context>
    <name>TSensorParameterDialog</name>
    <message>
        <source>Schaltpunkt</source>
        <translation>switchpoint</translation>
    </message>
    <message>
        <source>Hysterese</source>
        <translation>hystereses</translation>
    </message>
</context>
</TS>
