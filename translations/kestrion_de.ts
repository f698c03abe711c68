<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AddressConflicts</name>
    <message>
        <source>%1 is already used by %2</source>
        <translation>%1 wird bereits von %2 benutzt</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 unter %2</translation>
    </message>
    <message>
        <source>%1, given the same address in this change</source>
        <translation>%1, das in dieser Änderung dieselbe Adresse erhält</translation>
    </message>
    <message>
        <source>this computer (%1)</source>
        <translation>diesem Computer (%1)</translation>
    </message>
</context>
<context>
    <name>AddressHealth</name>
    <message>
        <source>%1 lies outside the subnets of the selected interfaces (%2): it is reached by broadcast only.</source>
        <translation>%1 liegt außerhalb der Subnetze der ausgewählten Schnittstellen (%2): Das Gerät ist nur per Broadcast erreichbar.</translation>
    </message>
    <message>
        <source>%1 is also the address of %2: neither can be reached at it for sure.</source>
        <translation>%1 ist auch die Adresse von %2: Keines der beiden Geräte ist unter ihr sicher erreichbar.</translation>
    </message>
    <message>
        <source>Outside the selected subnets</source>
        <translation>Außerhalb der ausgewählten Subnetze</translation>
    </message>
    <message>
        <source>Address shared with %1</source>
        <translation>Adresse gleich mit %1</translation>
    </message>
    <message>
        <source>%1 units answer with this MAC: %2</source>
        <translation>%1 Geräte antworten mit dieser MAC: %2</translation>
    </message>
</context>
<context>
    <name>AddressText</name>
    <message>
        <source>the %1 &quot;%2&quot; is not valid</source>
        <translation>%1 „%2“ ist ungültig</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>subnet mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>gateway</source>
        <translation>Gateway</translation>
    </message>
</context>
<context>
    <name>BoundedText</name>
    <message>
        <source>[%1 characters of the unit&apos;s text left out]</source>
        <translation>[%1 Zeichen des Gerätetextes ausgelassen]</translation>
    </message>
</context>
<context>
    <name>Client</name>
    <message>
        <source>more than %1 answers; the rest were ignored</source>
        <translation>mehr als %1 Antworten; der Rest wurde ignoriert</translation>
    </message>
    <message>
        <source>%1 answers on %2 were not XPort answers</source>
        <translation>%1 Antworten auf %2 waren keine XPort-Antworten</translation>
    </message>
</context>
<context>
    <name>CompactView</name>
    <message>
        <source>&amp;Compact View</source>
        <translation>&amp;Kompaktansicht</translation>
    </message>
    <message>
        <source>Rows at text height with small pictures, to see many units at once</source>
        <translation>Zeilen in Texthöhe mit kleinen Bildern, um viele Geräte auf einmal zu sehen</translation>
    </message>
</context>
<context>
    <name>ConfigurationDiff</name>
    <message>
        <source>row %1 has %2 of %3 entries</source>
        <translation>Zeile %1 hat %2 von %3 Einträgen</translation>
    </message>
    <message>
        <source>row %1 gives the MAC address %2 a second time</source>
        <translation>Zeile %1 nennt die MAC-Adresse %2 ein zweites Mal</translation>
    </message>
    <message>
        <source>mask </source>
        <translation>Maske </translation>
    </message>
    <message>
        <source>gateway </source>
        <translation>Gateway </translation>
    </message>
    <message numerus="yes">
        <source>Not found by the last scan, so not sent (%n row(s)):</source>
        <translation>
            <numerusform>Bei der letzten Suche nicht gefunden, daher nicht gesendet (%n Zeile):</numerusform>
            <numerusform>Bei der letzten Suche nicht gefunden, daher nicht gesendet (%n Zeilen):</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Send new network settings to %n device(s)?</source>
        <translation>
            <numerusform>Neue Netzwerkeinstellungen an %n Gerät senden?</numerusform>
            <numerusform>Neue Netzwerkeinstellungen an %n Geräte senden?</numerusform>
        </translation>
    </message>
    <message>
        <source>; DHCP will be turned off</source>
        <translation>; DHCP wird ausgeschaltet</translation>
    </message>
    <message numerus="yes">
        <source>%n device(s) keep their settings and are sent nothing.</source>
        <translation>
            <numerusform>%n Gerät behält seine Einstellungen und erhält nichts.</numerusform>
            <numerusform>%n Geräte behalten ihre Einstellungen und erhalten nichts.</numerusform>
        </translation>
    </message>
    <message>
        <source>No device&apos;s settings would change, so nothing was sent.</source>
        <translation>Die Einstellungen keines Geräts würden sich ändern, daher wurde nichts gesendet.</translation>
    </message>
    <message numerus="yes">
        <source>New settings sent to %n device(s): %1</source>
        <translation>
            <numerusform>Neue Einstellungen an %n Gerät gesendet: %1</numerusform>
            <numerusform>Neue Einstellungen an %n Geräte gesendet: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Address conflicts: these addresses would answer for more than one machine.</source>
        <translation>Adresskonflikte: Unter diesen Adressen würde mehr als ein Netzwerkteilnehmer antworten.</translation>
    </message>
    <message>
        <source>  %1 for %2 is also used by %3</source>
        <translation>  %1 für %2 wird auch von %3 benutzt</translation>
    </message>
    <message>
        <source>  [CONFLICT]</source>
        <translation>  [KONFLIKT]</translation>
    </message>
</context>
<context>
    <name>ConfigurationPage</name>
    <message>
        <source>Network configuration (*.csv);;All files (*.*)</source>
        <translation>Netzwerkkonfiguration (*.csv);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>New IP Address:</source>
        <translation>Neue IP-Adresse:</translation>
    </message>
    <message>
        <source>New Subnet Mask:</source>
        <translation>Neue Subnetzmaske:</translation>
    </message>
    <message>
        <source>New Gateway:</source>
        <translation>Neues Gateway:</translation>
    </message>
    <message>
        <source>DHCP:</source>
        <translation>DHCP:</translation>
    </message>
    <message>
        <source>New IP Address</source>
        <translation>Neue IP-Adresse</translation>
    </message>
    <message>
        <source>New Subnet Mask</source>
        <translation>Neue Subnetzmaske</translation>
    </message>
    <message>
        <source>New Gateway</source>
        <translation>Neues Gateway</translation>
    </message>
    <message>
        <source>New DHCP</source>
        <translation>Neues DHCP</translation>
    </message>
    <message>
        <source>Move into %1 subnet</source>
        <translation>In das Subnetz %1 verschieben</translation>
    </message>
    <message>
        <source>Move %1 into the subnet of %2?

%3</source>
        <translation>%1 in das Subnetz von %2 verschieben?

%3</translation>
    </message>
    <message>
        <source>; DHCP will be turned off</source>
        <translation>; DHCP wird ausgeschaltet</translation>
    </message>
    <message>
        <source>Save Network Configuration</source>
        <translation>Netzwerkkonfiguration speichern</translation>
    </message>
    <message>
        <source>ERROR: no devices selected!</source>
        <translation>ERROR: Keine Geräte ausgewählt!</translation>
    </message>
    <message>
        <source>Nothing was sent: %1</source>
        <translation>Nichts gesendet: %1</translation>
    </message>
    <message>
        <source>IP changed! reboot device to apply.</source>
        <translation>IP geändert! Starten Sie das Gerät neu, um sie zu übernehmen.</translation>
    </message>
    <message>
        <source>Wait for the configuration to be applied</source>
        <translation>Warten Sie, bis die Konfiguration übernommen ist</translation>
    </message>
    <message>
        <source>New settings sent to %1; it answers at %2.</source>
        <translation>Neue Einstellungen an %1 gesendet; das Gerät antwortet unter %2.</translation>
    </message>
    <message>
        <source>Device(s) Network Configuration</source>
        <translation>Netzwerkkonfiguration der Geräte</translation>
    </message>
    <message>
        <source>Nothing was sent:
%1</source>
        <translation>Nichts gesendet:
%1</translation>
    </message>
    <message>
        <source>New settings sent to %1 devices; %2 of them answer at their new address.</source>
        <translation>Neue Einstellungen an %1 Geräte gesendet; %2 davon antworten unter ihrer neuen Adresse.</translation>
    </message>
    <message>
        <source>Upload csv-file</source>
        <translation>CSV-Datei hochladen</translation>
    </message>
    <message>
        <source>Error: incorrect file</source>
        <translation>Fehler: ungültige Datei</translation>
    </message>
    <message>
        <source>Import network configuration</source>
        <translation>Netzwerkkonfiguration importieren</translation>
    </message>
    <message>
        <source>Export network configuration</source>
        <translation>Netzwerkkonfiguration exportieren</translation>
    </message>
    <message>
        <source>Unable to write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message numerus="yes">
        <source>Network configuration of %n device(s) written to %1</source>
        <translation>
            <numerusform>Netzwerkkonfiguration von %n Gerät in %1 geschrieben</numerusform>
            <numerusform>Netzwerkkonfiguration von %n Geräten in %1 geschrieben</numerusform>
        </translation>
    </message>
    <message>
        <source>Address conflict: %1.
Two machines at one address reach neither reliably.</source>
        <translation>Adresskonflikt: %1.
Zwei Netzwerkteilnehmer unter einer Adresse sind beide nicht zuverlässig erreichbar.</translation>
    </message>
    <message>
        <source>Send the new settings anyway?</source>
        <translation>Die neuen Einstellungen trotzdem senden?</translation>
    </message>
    <message>
        <source>the unit takes the new address when it restarts</source>
        <translation>das Gerät übernimmt die neue Adresse beim Neustart</translation>
    </message>
    <message>
        <source>New settings sent to %1; it takes them when it restarts.</source>
        <translation>Neue Einstellungen an %1 gesendet; es übernimmt sie beim Neustart.</translation>
    </message>
    <message>
        <source>New settings sent to %1; not confirmed: %2.</source>
        <translation>Neue Einstellungen an %1 gesendet; nicht bestätigt: %2.</translation>
    </message>
    <message>
        <source>Not confirmed: %1.</source>
        <translation>Nicht bestätigt: %1.</translation>
    </message>
    <message>
        <source>Not everything was sent:
%1</source>
        <translation>Nicht alles wurde gesendet:
%1</translation>
    </message>
    <message>
        <source>%1. The new settings would reach every one of them. Send anyway?</source>
        <translation>%1. Die neuen Einstellungen würden jedes von ihnen erreichen. Trotzdem senden?</translation>
    </message>
</context>
<context>
    <name>DeviceSearch</name>
    <message>
        <source>Find a unit by serial number, MAC, IP, group, module ID or description (Ctrl+F)</source>
        <translation>Gerät nach Seriennummer, MAC, IP, Gruppe, Modul-ID oder Beschreibung suchen (Strg+F)</translation>
    </message>
    <message>
        <source>%1 of %2 units shown</source>
        <translation>%1 von %2 Geräten angezeigt</translation>
    </message>
    <message numerus="yes">
        <source>%n missing</source>
        <translation>
            <numerusform>%n fehlt</numerusform>
            <numerusform>%n fehlen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DeviceTable</name>
    <message>
        <source>Remove F&amp;ilter</source>
        <translation>&amp;Filter entfernen</translation>
    </message>
    <message>
        <source>Apply F&amp;ilter</source>
        <translation>&amp;Filter anwenden</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
</context>
<context>
    <name>FirmwareImageCheck</name>
    <message>
        <source>ERROR: %1: %2</source>
        <translation>ERROR: %1: %2</translation>
    </message>
    <message>
        <source>an end-of-file record holds no data (has %1 bytes)</source>
        <translation>Ein Dateiende-Datensatz enthält keine Daten (hat %1 Bytes)</translation>
    </message>
    <message>
        <source>%1 (more than %2 bytes)</source>
        <translation>%1 (mehr als %2 Bytes)</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>Die Datei ist leer</translation>
    </message>
    <message>
        <source>cannot read the file: %1</source>
        <translation>Die Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>looks like %1, not %2</source>
        <translation>Sieht aus wie %1, nicht wie %2</translation>
    </message>
    <message>
        <source>the line ends after &apos;S&apos;, without a record type</source>
        <translation>Die Zeile endet nach „S“, ohne Datensatztyp</translation>
    </message>
    <message>
        <source>too short for an S%1 record</source>
        <translation>Zu kurz für einen S%1-Datensatz</translation>
    </message>
    <message>
        <source>count 0x%1 does not match the %2 bytes that follow</source>
        <translation>Die Byteanzahl 0x%1 passt nicht zu den %2 folgenden Bytes</translation>
    </message>
    <message>
        <source>bad checksum (is %1, should be %2)</source>
        <translation>Falsche Prüfsumme (ist %1, sollte %2 sein)</translation>
    </message>
    <message>
        <source>line longer than %1 characters</source>
        <translation>Zeile länger als %1 Zeichen</translation>
    </message>
    <message>
        <source>no S1, S2 or S3 data record</source>
        <translation>Kein S1-, S2- oder S3-Datensatz</translation>
    </message>
    <message>
        <source>the file is not open for reading</source>
        <translation>Die Datei ist nicht zum Lesen geöffnet</translation>
    </message>
    <message>
        <source>cannot open the file: %1</source>
        <translation>Die Datei kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>an S-record image (.flash)</source>
        <translation>ein S-Record-Image (.flash)</translation>
    </message>
    <message>
        <source>an Intel HEX image (.hex)</source>
        <translation>ein Intel-HEX-Image (.hex)</translation>
    </message>
    <message>
        <source>a power-supply image (.updt)</source>
        <translation>ein Netzgeräte-Image (.updt)</translation>
    </message>
    <message>
        <source>line %1, column %2: %3</source>
        <translation>Zeile %1, Spalte %2: %3</translation>
    </message>
    <message>
        <source>a record after the end record of line %1</source>
        <translation>Ein Datensatz nach dem Endedatensatz in Zeile %1</translation>
    </message>
    <message>
        <source>writes word address %1 (hexadecimal), which line %2 writes too</source>
        <translation>Schreibt die Wortadresse %1 (hexadezimal), die auch Zeile %2 schreibt</translation>
    </message>
    <message>
        <source>no data records</source>
        <translation>Keine Datensätze</translation>
    </message>
    <message>
        <source>no end-of-file record (:00000001FF): the file may be cut short</source>
        <translation>Kein Dateiende-Datensatz (:00000001FF): Die Datei ist möglicherweise abgeschnitten</translation>
    </message>
    <message>
        <source>the data from word address %1 (hexadecimal) is written in blocks of %2 words, the last from %3, beyond %4, the last block the DSP&apos;s flash takes</source>
        <translation>Die Daten ab Wortadresse %1 (hexadezimal) werden in Blöcken zu %2 Wörtern geschrieben, der letzte ab %3, jenseits von %4, dem letzten Block, den der Flash des DSP annimmt</translation>
    </message>
    <message>
        <source>the line does not start with &apos;:&apos; but with %1</source>
        <translation>Die Zeile beginnt nicht mit „:“, sondern mit %1</translation>
    </message>
    <message>
        <source>too short for a record (%1 bytes, at least 5)</source>
        <translation>Zu kurz für einen Datensatz (%1 Bytes, mindestens 5)</translation>
    </message>
    <message>
        <source>count 0x%1 does not match the %2 data bytes of the line</source>
        <translation>Die Byteanzahl 0x%1 passt nicht zu den %2 Datenbytes der Zeile</translation>
    </message>
    <message>
        <source>an extended address record needs address 0000 and two data bytes (has address %1 and %2 bytes)</source>
        <translation>Ein erweiterter Adressdatensatz braucht die Adresse 0000 und zwei Datenbytes (hat Adresse %1 und %2 Bytes)</translation>
    </message>
    <message>
        <source>record type %1 is not taken by the motor driver (00, 01 and 04 are)</source>
        <translation>Den Datensatztyp %1 nimmt der Motortreiber nicht an (nur 00, 01 und 04)</translation>
    </message>
    <message>
        <source>writes word addresses %1 to %2 (hexadecimal), outside the DSP&apos;s flash (%3 to %4)</source>
        <translation>Schreibt die Wortadressen %1 bis %2 (hexadezimal), außerhalb des Flash des DSP (%3 bis %4)</translation>
    </message>
    <message>
        <source>a carriage return without a line feed (lines end in LF or CR LF)</source>
        <translation>Ein Wagenrücklauf ohne Zeilenvorschub (Zeilen enden mit LF oder CR LF)</translation>
    </message>
    <message>
        <source>spaces or tabs after the record</source>
        <translation>Leerzeichen oder Tabulatoren nach dem Datensatz</translation>
    </message>
    <message>
        <source>non-hexadecimal character %1 (expected 0-9 or A-F)</source>
        <translation>Nicht hexadezimales Zeichen %1 (erwartet 0-9 oder A-F)</translation>
    </message>
    <message>
        <source>an odd number of hexadecimal digits (%1)</source>
        <translation>Eine ungerade Anzahl hexadezimaler Ziffern (%1)</translation>
    </message>
    <message>
        <source>writes address %1 (hexadecimal), which line %2 writes too</source>
        <translation>Schreibt die Adresse %1 (hexadezimal), die auch Zeile %2 schreibt</translation>
    </message>
    <message>
        <source>the line does not start with &apos;S&apos; but with %1</source>
        <translation>Die Zeile beginnt nicht mit „S“, sondern mit %1</translation>
    </message>
    <message>
        <source>unknown record type S%1 (expected S0 to S3 or S5 to S9)</source>
        <translation>Unbekannter Datensatztyp S%1 (erwartet S0 bis S3 oder S5 bis S9)</translation>
    </message>
    <message>
        <source>writes at address %1 (hexadecimal), beyond the flash sectors that can be erased (below %2)</source>
        <translation>Schreibt an Adresse %1 (hexadezimal), jenseits der löschbaren Flash-Sektoren (unter %2)</translation>
    </message>
    <message>
        <source>the count record says %1 data records, the file has %2 before it</source>
        <translation>Der Zählerdatensatz nennt %1 Datensätze, die Datei hat %2 davor</translation>
    </message>
</context>
<context>
    <name>FirmwarePage</name>
    <message>
        <source>Firmware files (*.updt);;All files (*.*)</source>
        <translation>Firmware-Dateien (*.updt);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Firmware files (*.hex);;All files (*.*)</source>
        <translation>Firmware-Dateien (*.hex);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Firmware files (*.flash);;All files (*.*)</source>
        <translation>Firmware-Dateien (*.flash);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>All files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Select Firmware</source>
        <translation>Firmware auswählen</translation>
    </message>
    <message>
        <source>Communication Firmware</source>
        <translation>Kommunikations-Firmware</translation>
    </message>
    <message>
        <source>Control Firmware</source>
        <translation>Steuerungs-Firmware</translation>
    </message>
    <message>
        <source>Open Firmware File</source>
        <translation>Firmware-Datei öffnen</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>ERROR: Please select a valid firmware!</source>
        <translation>ERROR: Bitte wählen Sie eine gültige Firmware!</translation>
    </message>
    <message>
        <source>WARNING: An upgrade is already running: wait for it to end.</source>
        <translation>WARNING: Es läuft bereits eine Aktualisierung: Warten Sie, bis sie endet.</translation>
    </message>
    <message>
        <source>Devices to Update</source>
        <translation>Zu aktualisierende Geräte</translation>
    </message>
    <message>
        <source>ERROR: Select the devices to update!</source>
        <translation>ERROR: Wählen Sie die zu aktualisierenden Geräte aus!</translation>
    </message>
    <message>
        <source>manual address %1</source>
        <translation>manuelle Adresse %1</translation>
    </message>
    <message>
        <source>Upgrading device %1 of %2: %3</source>
        <translation>Gerät %1 von %2 wird aktualisiert: %3</translation>
    </message>
    <message>
        <source>WARNING: No result after %1 ms: the upgrade is asked to stop.</source>
        <translation>WARNING: Nach %1 ms kein Ergebnis: Die Aktualisierung wird zum Anhalten aufgefordert.</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>Device succesfuly updated!</source>
        <translation>Gerät erfolgreich aktualisiert!</translation>
    </message>
    <message>
        <source>ERROR: Updating failed!</source>
        <translation>ERROR: Aktualisierung fehlgeschlagen!</translation>
    </message>
    <message>
        <source>no response from the device</source>
        <translation>keine Antwort vom Gerät</translation>
    </message>
    <message>
        <source>its last message was &quot;%1&quot;</source>
        <translation>seine letzte Meldung war „%1“</translation>
    </message>
    <message>
        <source>ERROR: The upgrade ended without a result: %1.</source>
        <translation>ERROR: Die Aktualisierung endete ohne Ergebnis: %1.</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>Unable to write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The firmware file was cleared: the selected units take %1 images.</source>
        <translation>Die Auswahl der Firmware-Datei wurde aufgehoben: Die ausgewählten Geräte erwarten %1-Images.</translation>
    </message>
    <message>
        <source>ERROR: &quot;%1&quot; is not an IPv4 address.</source>
        <translation>ERROR: „%1“ ist keine IPv4-Adresse.</translation>
    </message>
    <message>
        <source>%1. Upgrade anyway?</source>
        <translation>%1. Trotzdem aktualisieren?</translation>
    </message>
    <message>
        <source>Upgrade not started: %1.</source>
        <translation>Aktualisierung nicht gestartet: %1.</translation>
    </message>
    <message>
        <source>Nothing was sent to the units.</source>
        <translation>An die Geräte wurde nichts gesendet.</translation>
    </message>
    <message numerus="yes">
        <source>Waiting for %n upgraded unit(s) to answer after their restart...</source>
        <translation>
            <numerusform>Warten, bis %n aktualisiertes Gerät nach seinem Neustart antwortet...</numerusform>
            <numerusform>Warten, bis %n aktualisierte Geräte nach ihrem Neustart antworten...</numerusform>
        </translation>
    </message>
    <message>
        <source>The upgrade was stopped for quitting; the log is in %1.</source>
        <translation>Die Aktualisierung wurde wegen des Beendens angehalten; das Protokoll liegt in %1.</translation>
    </message>
    <message>
        <source>Upgrade complete: %1 of %2 updated; log: %3</source>
        <translation>Aktualisierung abgeschlossen: %1 von %2 aktualisiert; Protokoll: %3</translation>
    </message>
    <message>
        <source>Upgrade failed on device %1 of %2: %3; log: %4</source>
        <translation>Aktualisierung bei Gerät %1 von %2 fehlgeschlagen: %3; Protokoll: %4</translation>
    </message>
    <message>
        <source>Upgrade cancelled on device %1 of %2: %3; log: %4</source>
        <translation>Aktualisierung bei Gerät %1 von %2 abgebrochen: %3; Protokoll: %4</translation>
    </message>
    <message>
        <source>WARNING: The upgrade was cancelled.</source>
        <translation>WARNING: Die Aktualisierung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Log: %1</source>
        <translation>Protokoll: %1</translation>
    </message>
    <message>
        <source>Cancel: the upgrade of %1 stops at its next safe point; no further unit is started.</source>
        <translation>Abbrechen: Die Aktualisierung von %1 hält am nächsten sicheren Punkt an; die Aktualisierung weiterer Geräte wird nicht mehr gestartet.</translation>
    </message>
    <message>
        <source>The unit is installing the uploaded firmware and cannot be stopped: wait for its report.</source>
        <translation>Das Gerät installiert die hochgeladene Firmware und kann nicht angehalten werden: Warten Sie auf seine Meldung.</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>An upgrade is running on %1. Stopping now may leave it without working firmware. Quit anyway?</source>
        <translation>Auf %1 läuft eine Aktualisierung. Ein Abbruch jetzt kann das Gerät ohne funktionierende Firmware zurücklassen. Trotzdem beenden?</translation>
    </message>
    <message>
        <source>The unit is installing the uploaded firmware and cannot be stopped.</source>
        <translation>Das Gerät installiert die hochgeladene Firmware und kann nicht angehalten werden.</translation>
    </message>
    <message>
        <source>WARNING: The upgrade of %1 did not stop within %2 s; quitting while it runs.</source>
        <translation>WARNING: Die Aktualisierung von %1 hat nicht innerhalb von %2 s angehalten; das Programm wird beendet, während sie läuft.</translation>
    </message>
    <message>
        <source>Closing: the upgrade is asked to stop; the window closes once it has ended.</source>
        <translation>Schließen: Die Aktualisierung wird zum Anhalten aufgefordert; das Fenster schließt, sobald sie beendet ist.</translation>
    </message>
    <message>
        <source>Cancel: every unit in flight stops at its next safe point; no further unit is started.</source>
        <translation>Abbrechen: Jedes laufende Gerät hält am nächsten sicheren Punkt an; kein weiteres Gerät wird gestartet.</translation>
    </message>
    <message>
        <source>Upgrade one unit first</source>
        <translation>Zuerst ein Gerät aktualisieren</translation>
    </message>
    <message>
        <source>The other units start only when the first one was upgraded and reports its new version.</source>
        <translation>Die übrigen Geräte starten erst, wenn das erste aktualisiert wurde und seine neue Version meldet.</translation>
    </message>
    <message numerus="yes">
        <source>%n unit(s)</source>
        <translation>
            <numerusform>%n Gerät</numerusform>
            <numerusform>%n Geräte</numerusform>
        </translation>
    </message>
    <message>
        <source>Upgrading %1 units, up to %2 at once%3.</source>
        <translation>%1 Geräte werden aktualisiert, bis zu %2 gleichzeitig%3.</translation>
    </message>
    <message>
        <source>, one unit first</source>
        <translation>, zuerst ein Gerät</translation>
    </message>
    <message>
        <source>Upgrading %1 units, up to %2 at once</source>
        <translation>%1 Geräte werden aktualisiert, bis zu %2 gleichzeitig</translation>
    </message>
    <message>
        <source>No further unit is started: %1</source>
        <translation>Kein weiteres Gerät wird gestartet: %1</translation>
    </message>
    <message>
        <source>[%1] ERROR: The upgrade ended without a result.</source>
        <translation>[%1] ERROR: Die Aktualisierung endete ohne Ergebnis.</translation>
    </message>
    <message>
        <source>No further unit was started: %1</source>
        <translation>Kein weiteres Gerät wurde gestartet: %1</translation>
    </message>
</context>
<context>
    <name>FirmwareRun</name>
    <message>
        <source>the upgrade was stopped before anything was sent</source>
        <translation>das Upgrade wurde angehalten, bevor etwas gesendet wurde</translation>
    </message>
    <message>
        <source>The upgrade ended, %1</source>
        <translation>Das Upgrade endete: %1</translation>
    </message>
</context>
<context>
    <name>FleetResultsTable</name>
    <message>
        <source>Unit</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Schritt</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Elapsed</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Last message</source>
        <translation>Letzte Meldung</translation>
    </message>
    <message>
        <source>Choose a unit to see its log.</source>
        <translation>Wählen Sie ein Gerät, um sein Protokoll zu sehen.</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>identifying</source>
        <translation>identifiziert</translation>
    </message>
    <message>
        <source>uploading</source>
        <translation>lädt hoch</translation>
    </message>
    <message>
        <source>installing</source>
        <translation>installiert</translation>
    </message>
    <message>
        <source>erasing</source>
        <translation>löscht</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>schreibt</translation>
    </message>
    <message>
        <source>restoring</source>
        <translation>stellt wieder her</translation>
    </message>
    <message>
        <source>done</source>
        <translation>fertig</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>not started</source>
        <translation>nicht gestartet</translation>
    </message>
</context>
<context>
    <name>FleetRun</name>
    <message>
        <source>the upgrade was cancelled</source>
        <translation>das Upgrade wurde abgebrochen</translation>
    </message>
    <message>
        <source>the failure limit (%1) was reached: no further unit was started</source>
        <translation>die Fehlergrenze (%1) ist erreicht: kein weiteres Gerät wurde gestartet</translation>
    </message>
    <message>
        <source>the first unit, %1, was not upgraded: the others were left alone</source>
        <translation>das erste Gerät, %1, wurde nicht aktualisiert: die anderen blieben unberührt</translation>
    </message>
    <message>
        <source>the first unit, %1, did not answer the rescan after its upgrade: the others were left alone</source>
        <translation>das erste Gerät, %1, hat auf die erneute Suche nach seinem Upgrade nicht geantwortet: die anderen blieben unberührt</translation>
    </message>
    <message>
        <source>the first unit, %1, still reports version %2 after its upgrade: the others were left alone</source>
        <translation>das erste Gerät, %1, meldet nach seinem Upgrade noch Version %2: die anderen blieben unberührt</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>identifying</source>
        <translation>identifiziert</translation>
    </message>
    <message>
        <source>uploading</source>
        <translation>lädt hoch</translation>
    </message>
    <message>
        <source>installing</source>
        <translation>installiert</translation>
    </message>
    <message>
        <source>erasing</source>
        <translation>löscht</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>schreibt</translation>
    </message>
    <message>
        <source>restoring</source>
        <translation>stellt wieder her</translation>
    </message>
    <message>
        <source>done</source>
        <translation>fertig</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
</context>
<context>
    <name>HistoryDetails</name>
    <message>
        <source>Id: %1</source>
        <translation>Id: %1</translation>
    </message>
    <message>
        <source>Begun: %1</source>
        <translation>Begonnen: %1</translation>
    </message>
    <message>
        <source>Completed: %1</source>
        <translation>Abgeschlossen: %1</translation>
    </message>
    <message>
        <source>never</source>
        <translation>nie</translation>
    </message>
    <message>
        <source>User: %1</source>
        <translation>Benutzer: %1</translation>
    </message>
    <message>
        <source>Kind: %1</source>
        <translation>Art: %1</translation>
    </message>
    <message>
        <source>Undoes: %1</source>
        <translation>Macht rückgängig: %1</translation>
    </message>
    <message>
        <source>Change: %1</source>
        <translation>Änderung: %1</translation>
    </message>
    <message>
        <source>Before: %1</source>
        <translation>Vorher: %1</translation>
    </message>
    <message>
        <source>After: %1</source>
        <translation>Nachher: %1</translation>
    </message>
    <message>
        <source>Outcome: %1</source>
        <translation>Ergebnis: %1</translation>
    </message>
    <message>
        <source>Log file: %1</source>
        <translation>Protokolldatei: %1</translation>
    </message>
    <message>
        <source>Result: %1</source>
        <translation>Rückmeldung: %1</translation>
    </message>
    <message>
        <source>MAC %1</source>
        <translation>MAC %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>Seriennummer %1</translation>
    </message>
    <message>
        <source>IP %1</source>
        <translation>IP %1</translation>
    </message>
    <message>
        <source>Unit: %1</source>
        <translation>Gerät: %1</translation>
    </message>
    <message>
        <source>not known</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>code %1</source>
        <translation>Code %1</translation>
    </message>
    <message>
        <source>family %1</source>
        <translation>Familie %1</translation>
    </message>
    <message>
        <source>Device: %1</source>
        <translation>Gerätetyp: %1</translation>
    </message>
    <message>
        <source>Device: %1 (%2)</source>
        <translation>Gerätetyp: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>HistoryDialog</name>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>MAC, serial, IP or file</source>
        <translation>MAC, Seriennummer, IP oder Datei</translation>
    </message>
    <message>
        <source>&amp;Filter:</source>
        <translation>&amp;Filter:</translation>
    </message>
    <message>
        <source>any</source>
        <translation>beliebig</translation>
    </message>
    <message>
        <source>S&amp;ince:</source>
        <translation>&amp;Seit:</translation>
    </message>
    <message>
        <source>U&amp;ntil:</source>
        <translation>&amp;Bis:</translation>
    </message>
    <message>
        <source>&amp;Export CSV…</source>
        <translation>CSV e&amp;xportieren…</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>Export history</source>
        <translation>Verlauf exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Send %1 its old network settings?

%2</source>
        <translation>%1 seine alten Netzwerkeinstellungen senden?

%2</translation>
    </message>
    <message>
        <source>%1; nothing was sent.</source>
        <translation>%1; es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>Nothing was sent: %1</source>
        <translation>Nichts gesendet: %1</translation>
    </message>
    <message>
        <source>with DHCP on</source>
        <translation>mit eingeschaltetem DHCP</translation>
    </message>
    <message>
        <source>%1 answers %2 again.</source>
        <translation>%1 antwortet wieder unter %2.</translation>
    </message>
    <message>
        <source>%1 does not answer %2 after the undo.</source>
        <translation>%1 antwortet nach dem Rückgängigmachen nicht unter %2.</translation>
    </message>
    <message>
        <source>Note: %1; the undo takes that change back as well.</source>
        <translation>Hinweis: %1; das Rückgängigmachen nimmt auch diese Änderung zurück.</translation>
    </message>
</context>
<context>
    <name>HistoryTableModel</name>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Gerät</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
</context>
<context>
    <name>Housekeeping</name>
    <message>
        <source>Previous Installation Found</source>
        <translation>Frühere Installation gefunden</translation>
    </message>
    <message>
        <source>A previous installation was found in:
%1

Do you want to remove it?</source>
        <translation>Eine frühere Installation wurde gefunden in:
%1

Möchten Sie sie entfernen?</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Unable to remove old installation at:
%1</source>
        <translation>Die alte Installation konnte nicht entfernt werden:
%1</translation>
    </message>
</context>
<context>
    <name>ImageCheckLabel</name>
    <message>
        <source>The upgrade asks before it sends a file of another kind.</source>
        <translation>Das Upgrade fragt nach, bevor es eine Datei anderer Art sendet.</translation>
    </message>
    <message>
        <source>The upgrade refuses this file: nothing would be sent.</source>
        <translation>Das Upgrade lehnt diese Datei ab: Es würde nichts gesendet.</translation>
    </message>
    <message>
        <source>%1: %2 bytes, SHA-256 %3</source>
        <translation>%1: %2 Bytes, SHA-256 %3</translation>
    </message>
    <message>
        <source>%1 (words)</source>
        <translation>%1 (Wörter)</translation>
    </message>
    <message>
        <source>%1 (bytes)</source>
        <translation>%1 (Bytes)</translation>
    </message>
    <message>
        <source>%1: %2, %3 bytes, SHA-256 %4</source>
        <translation>%1: %2, %3 Bytes, SHA-256 %4</translation>
    </message>
    <message>
        <source>%1 bytes in the file, SHA-256 %2</source>
        <translation>%1 Bytes in der Datei, SHA-256 %2</translation>
    </message>
    <message>
        <source>S-record image</source>
        <translation>S-Record-Image</translation>
    </message>
    <message>
        <source>Intel HEX image</source>
        <translation>Intel-HEX-Image</translation>
    </message>
    <message>
        <source>Power-supply image</source>
        <translation>Netzgeräte-Image</translation>
    </message>
</context>
<context>
    <name>InformationPage</name>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Not Available</source>
        <translation>Nicht verfügbar</translation>
    </message>
    <message>
        <source>Address check:</source>
        <translation>Adressprüfung:</translation>
    </message>
    <message>
        <source>Web Interface</source>
        <translation>Weboberfläche</translation>
    </message>
    <message>
        <source>Unable to open %1 in the browser.</source>
        <translation>%1 kann nicht im Browser geöffnet werden.</translation>
    </message>
    <message>
        <source>Module ID:</source>
        <translation>Modul-ID:</translation>
    </message>
    <message>
        <source>Group:</source>
        <translation>Gruppe:</translation>
    </message>
    <message>
        <source>Device Description:</source>
        <translation>Gerätebeschreibung:</translation>
    </message>
    <message>
        <source>Brand:</source>
        <translation>Marke:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>Firmware-Version:</translation>
    </message>
    <message>
        <source>MAC Address:</source>
        <translation>MAC-Adresse:</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP-Adresse:</translation>
    </message>
    <message>
        <source>SubnetMask:</source>
        <translation>Subnetzmaske:</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>DHCP:</source>
        <translation>DHCP:</translation>
    </message>
    <message>
        <source>%1 may not reach this unit&apos;s web interface: %2

Give the unit an address in the subnet of a selected interface first (the Config page proposes one). Open it anyway?</source>
        <translation>Unter %1 ist die Weboberfläche dieses Geräts möglicherweise nicht erreichbar: %2

Geben Sie dem Gerät zuerst eine Adresse im Subnetz einer ausgewählten Schnittstelle (die Seite „Konfig.“ schlägt eine vor). Trotzdem öffnen?</translation>
    </message>
</context>
<context>
    <name>JournalFile</name>
    <message>
        <source>the journal&apos;s directory %1 cannot be made</source>
        <translation>das Verzeichnis des Journals %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>the journal %1 cannot be opened: %2</source>
        <translation>das Journal %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>the journal %1 cannot be written: %2</source>
        <translation>das Journal %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>the full journal %1 cannot be renamed to %2</source>
        <translation>das volle Journal %1 kann nicht in %2 umbenannt werden</translation>
    </message>
</context>
<context>
    <name>JournalLock</name>
    <message>
        <source>the journal&apos;s lock file %1 cannot be opened</source>
        <translation>die Sperrdatei des Journals %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>the journal is locked by another program and stayed locked for %1 ms</source>
        <translation>das Journal ist von einem anderen Programm gesperrt und blieb %1 ms lang gesperrt</translation>
    </message>
</context>
<context>
    <name>JournalReader</name>
    <message>
        <source>%1: cannot be read: %2</source>
        <translation>%1: kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1: an incomplete record was skipped (a write was cut off)</source>
        <translation>%1: ein unvollständiger Eintrag wurde übersprungen (ein Schreibvorgang wurde abgebrochen)</translation>
    </message>
    <message>
        <source>%1: the completion of a change that was never begun was skipped</source>
        <translation>%1: der Abschluss einer nie begonnenen Änderung wurde übersprungen</translation>
    </message>
    <message>
        <source>%1: a record without id, time or kind was skipped</source>
        <translation>%1: ein Eintrag ohne ID, Zeit oder Art wurde übersprungen</translation>
    </message>
</context>
<context>
    <name>JournalText</name>
    <message>
        <source>unknown unit</source>
        <translation>unbekanntes Gerät</translation>
    </message>
    <message>
        <source>network settings</source>
        <translation>Netzwerkeinstellungen</translation>
    </message>
    <message>
        <source>firmware upgrade</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>file %1</source>
        <translation>Datei %1</translation>
    </message>
    <message>
        <source>no change</source>
        <translation>keine Änderung</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>mask</source>
        <translation>Maske</translation>
    </message>
    <message>
        <source>gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>firmware</source>
        <translation>Firmware</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Kestrion</source>
        <translation>Kestrion</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Scan the selected networks for devices (Space)</source>
        <translation>Die ausgewählten Netzwerke nach Geräten durchsuchen (Leertaste)</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Device information</source>
        <translation>Geräteinformationen</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Firmware upgrade</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Konfig.</translation>
    </message>
    <message>
        <source>Network configuration</source>
        <translation>Netzwerkkonfiguration</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Power Supplies</source>
        <translation>Netzgeräte</translation>
    </message>
    <message>
        <source>Beamline Instrumentation</source>
        <translation>Strahlrohr-Instrumentierung</translation>
    </message>
    <message>
        <source>Current Transducers</source>
        <translation>Stromwandler</translation>
    </message>
    <message>
        <source>Gui</source>
        <translation>Web</translation>
    </message>
    <message>
        <source>Open the web interface of the device</source>
        <translation>Die Weboberfläche des Geräts öffnen</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>Icon</source>
        <translation>Symbol</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Module ID</source>
        <translation>Modul-ID</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>Enable Manual IP</source>
        <translation>Manuelle IP aktivieren</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP-Adresse:</translation>
    </message>
    <message>
        <source>Select Firmware</source>
        <translation>Firmware auswählen</translation>
    </message>
    <message>
        <source>Firmware file</source>
        <translation>Firmware-Datei</translation>
    </message>
    <message>
        <source>Choose the firmware file</source>
        <translation>Die Firmware-Datei auswählen</translation>
    </message>
    <message>
        <source>Upgrade the selected devices</source>
        <translation>Die ausgewählten Geräte aktualisieren</translation>
    </message>
    <message>
        <source>Control Firmware</source>
        <translation>Steuerungs-Firmware</translation>
    </message>
    <message>
        <source>Choose the control firmware file</source>
        <translation>Die Datei der Steuerungs-Firmware auswählen</translation>
    </message>
    <message>
        <source>Upgrade the selected motor driver</source>
        <translation>Den ausgewählten Motortreiber aktualisieren</translation>
    </message>
    <message>
        <source>Save Log</source>
        <translation>Protokoll speichern</translation>
    </message>
    <message>
        <source>Save the upgrade log</source>
        <translation>Das Aktualisierungsprotokoll speichern</translation>
    </message>
    <message>
        <source>Property</source>
        <translation>Eigenschaft</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Change Device Configurations:</source>
        <translation>Gerätekonfiguration ändern:</translation>
    </message>
    <message>
        <source>New IP Address</source>
        <translation>Neue IP-Adresse</translation>
    </message>
    <message>
        <source>New Subnet Mask</source>
        <translation>Neue Subnetzmaske</translation>
    </message>
    <message>
        <source>New Gateway</source>
        <translation>Neues Gateway</translation>
    </message>
    <message>
        <source>New DHCP</source>
        <translation>Neues DHCP</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Move into subnet</source>
        <translation>In das Subnetz verschieben</translation>
    </message>
    <message>
        <source>Fill in a free address of that subnet and send it once you confirm</source>
        <translation>Eine freie Adresse dieses Subnetzes eintragen und nach Ihrer Bestätigung senden</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Send the new settings to the device</source>
        <translation>Die neuen Einstellungen an das Gerät senden</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>F11</source>
        <translation>F11</translation>
    </message>
    <message>
        <source>Changelog</source>
        <translation>Änderungsprotokoll</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Supported Devices</source>
        <translation>Unterstützte Geräte</translation>
    </message>
    <message>
        <source>Show one family of devices (Ctrl+Shift+F)</source>
        <translation>Eine Gerätefamilie anzeigen (Strg+Umschalt+F)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop the running upgrade at its next safe point (Esc)</source>
        <translation>Die laufende Aktualisierung am nächsten sicheren Punkt anhalten (Esc)</translation>
    </message>
    <message>
        <source>Clear Log</source>
        <translation>Protokoll leeren</translation>
    </message>
    <message>
        <source>Empty the upgrade log shown here (its file stays)</source>
        <translation>Das hier angezeigte Aktualisierungsprotokoll leeren (seine Datei bleibt erhalten)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Werkzeuge</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;New Scan</source>
        <translation>&amp;Neue Suche</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Toggle &amp;Full Screen</source>
        <translation>&amp;Vollbild umschalten</translation>
    </message>
    <message>
        <source>Apply F&amp;ilter</source>
        <translation>&amp;Filter anwenden</translation>
    </message>
    <message>
        <source>Ctrl+Shift+F</source>
        <translation>Ctrl+Shift+F</translation>
    </message>
    <message>
        <source>Check for &amp;updates</source>
        <translation>Nach &amp;Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>Select network &amp;interfaces</source>
        <translation>Netzwerk&amp;schnittstellen auswählen</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Device(s) Network Configuration</source>
        <translation>Netzwerkkonfiguration der &amp;Geräte</translation>
    </message>
    <message>
        <source>I&amp;mport network configuration…</source>
        <translation>Netzwerkkonfiguration &amp;importieren…</translation>
    </message>
    <message>
        <source>&amp;Export network configuration…</source>
        <translation>Netzwerkkonfiguration e&amp;xportieren…</translation>
    </message>
    <message>
        <source>&amp;Changelog</source>
        <translation>Änderungs&amp;protokoll</translation>
    </message>
    <message>
        <source>Show supported &amp;devices</source>
        <translation>&amp;Unterstützte Geräte anzeigen</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Show &amp;Normal</source>
        <translation>&amp;Normal anzeigen</translation>
    </message>
    <message>
        <source>Toogle &amp;Full Screen</source>
        <translation>&amp;Vollbild umschalten</translation>
    </message>
    <message>
        <source>&amp;History</source>
        <translation>&amp;Verlauf</translation>
    </message>
</context>
<context>
    <name>MissingUnitsView</name>
    <message>
        <source>Show &amp;Missing Units</source>
        <translation>Fehlende &amp;Geräte anzeigen</translation>
    </message>
    <message>
        <source>Units that answered the scan before and not the last one, greyed at the end of the table</source>
        <translation>Geräte, die auf die vorletzte Suche geantwortet haben und nicht auf die letzte, grau am Ende der Tabelle</translation>
    </message>
</context>
<context>
    <name>NetworkChangeJournal</name>
    <message>
        <source>The change of %1 is sent but not recorded in the journal: %2</source>
        <translation>Die Änderung von %1 wird gesendet, aber nicht im Journal vermerkt: %2</translation>
    </message>
    <message>
        <source>sent; the unit answers at %1</source>
        <translation>gesendet; das Gerät antwortet unter %1</translation>
    </message>
    <message>
        <source>sent, but the rescan did not find the unit at %1</source>
        <translation>gesendet, aber die erneute Suche hat das Gerät nicht unter %1 gefunden</translation>
    </message>
    <message>
        <source>The outcome of change %1 is not recorded in the journal: %2</source>
        <translation>Das Ergebnis der Änderung %1 ist nicht im Journal vermerkt: %2</translation>
    </message>
    <message>
        <source>sent; the unit answers at %1 and shows every field sent</source>
        <translation>gesendet; das Gerät antwortet unter %1 und zeigt jedes gesendete Feld</translation>
    </message>
    <message>
        <source>the rescan shows %1</source>
        <translation>die erneute Suche zeigt %1</translation>
    </message>
</context>
<context>
    <name>NetworkInterfaces</name>
    <message>
        <source>Network Interfaces</source>
        <translation>Netzwerkschnittstellen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>Mask</source>
        <translation>Maske</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
</context>
<context>
    <name>NetworkUndo</name>
    <message>
        <source>firmware is not undone: upgrade with the old image instead</source>
        <translation>Firmware wird nicht rückgängig gemacht: aktualisieren Sie stattdessen mit dem alten Image</translation>
    </message>
    <message>
        <source>change %1 holds no old settings that could be sent</source>
        <translation>Änderung %1 enthält keine alten Einstellungen, die gesendet werden könnten</translation>
    </message>
    <message>
        <source>the journal holds no change %1</source>
        <translation>das Journal enthält keine Änderung %1</translation>
    </message>
    <message>
        <source>its DHCP address</source>
        <translation>seiner DHCP-Adresse</translation>
    </message>
    <message>
        <source>no change id given</source>
        <translation>keine Änderungs-ID angegeben</translation>
    </message>
    <message>
        <source>the journal holds %1 changes with the id %2; nothing is undone</source>
        <translation>das Journal enthält %1 Änderungen mit der ID %2; nichts wird rückgängig gemacht</translation>
    </message>
    <message>
        <source>the unit was changed again since: change %1 of %2 (%3, %4)</source>
        <translation>das Gerät wurde seitdem erneut geändert: Änderung %1 vom %2 (%3, %4)</translation>
    </message>
</context>
<context>
    <name>NewNetwSettings</name>
    <message>
        <source>Device(s) Network Configuration</source>
        <translation>Netzwerkkonfiguration der Geräte</translation>
    </message>
    <message>
        <source>This window allows you to modify the network configuration of multiple devices in a single view</source>
        <translation>In diesem Fenster ändern Sie die Netzwerkkonfiguration mehrerer Geräte in einer Ansicht</translation>
    </message>
    <message>
        <source>Family</source>
        <translation>Familie</translation>
    </message>
    <message>
        <source>Serial Number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC-Adresse</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>Wait for the network configurations to be updated...</source>
        <translation>Warten Sie, bis die Netzwerkkonfigurationen übernommen sind...</translation>
    </message>
    <message>
        <source>&amp;Number the selected rows from:</source>
        <translation>Ausgewählte Zeilen &amp;nummerieren ab:</translation>
    </message>
    <message>
        <source>first address, e.g. 10.0.0.20</source>
        <translation>erste Adresse, z. B. 10.0.0.20</translation>
    </message>
    <message>
        <source>&amp;Fill addresses</source>
        <translation>Adressen &amp;eintragen</translation>
    </message>
    <message>
        <source>Give the selected rows consecutive addresses, skipping those in use; nothing is sent before Apply</source>
        <translation>Den ausgewählten Zeilen fortlaufende Adressen geben, belegte werden übersprungen; vor „Übernehmen“ wird nichts gesendet</translation>
    </message>
    <message>
        <source>Select the rows to number first.</source>
        <translation>Wählen Sie zuerst die zu nummerierenden Zeilen aus.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IP address.</source>
        <translation>„%1“ ist keine IP-Adresse.</translation>
    </message>
    <message numerus="yes">
        <source>%n row(s) numbered from %1 to %2; Apply shows them before sending.</source>
        <translation>
            <numerusform>%n Zeile von %1 bis %2 nummeriert; „Übernehmen“ zeigt sie vor dem Senden an.</numerusform>
            <numerusform>%n Zeilen von %1 bis %2 nummeriert; „Übernehmen“ zeigt sie vor dem Senden an.</numerusform>
        </translation>
    </message>
    <message>
        <source>Only %1 of %2 rows could be numbered: no free address left.</source>
        <translation>Nur %1 von %2 Zeilen konnten nummeriert werden: Keine freie Adresse mehr.</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>Ü&amp;bernehmen</translation>
    </message>
</context>
<context>
    <name>ParseHex</name>
    <message>
        <source>the line is too short for a record</source>
        <translation>Die Zeile ist zu kurz für einen Datensatz</translation>
    </message>
    <message>
        <source>the line does not start with &apos;:&apos;</source>
        <translation>Die Zeile beginnt nicht mit „:“</translation>
    </message>
    <message>
        <source>the line holds a character that is not a hexadecimal digit</source>
        <translation>Die Zeile enthält ein Zeichen, das keine Hexadezimalziffer ist</translation>
    </message>
    <message>
        <source>the line holds an odd number of hexadecimal digits</source>
        <translation>Die Zeile enthält eine ungerade Anzahl von Hexadezimalziffern</translation>
    </message>
    <message>
        <source>checksum error</source>
        <translation>Prüfsummenfehler</translation>
    </message>
    <message>
        <source>the byte count %1 disagrees with the %2 data bytes of the line</source>
        <translation>Die Byteanzahl %1 stimmt nicht mit den %2 Datenbytes der Zeile überein</translation>
    </message>
    <message>
        <source>an extended address record needs address 0000 and two data bytes</source>
        <translation>Ein erweiterter Adressdatensatz braucht die Adresse 0000 und zwei Datenbytes</translation>
    </message>
    <message>
        <source>record type %1 is not supported</source>
        <translation>Datensatztyp %1 wird nicht unterstützt</translation>
    </message>
    <message>
        <source>line %1: the line is empty</source>
        <translation>Zeile %1: Die Zeile ist leer</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>line %1: longer than %2 characters</source>
        <translation>Zeile %1: länger als %2 Zeichen</translation>
    </message>
    <message>
        <source>the file holds no data records</source>
        <translation>Die Datei enthält keine Datensätze</translation>
    </message>
</context>
<context>
    <name>ScanChanges</name>
    <message>
        <source>New since the last scan (%1)</source>
        <translation>Neu seit der letzten Suche (%1)</translation>
    </message>
    <message>
        <source>Changed since the last scan (%1):</source>
        <translation>Geändert seit der letzten Suche (%1):</translation>
    </message>
    <message>
        <source>not seen since %1</source>
        <translation>nicht gesehen seit %1</translation>
    </message>
    <message>
        <source>Did not answer this scan; the scan of %1 found it. It cannot be configured or upgraded until it answers again.</source>
        <translation>Hat auf diese Suche nicht geantwortet; die Suche vom %1 hat es gefunden. Es kann erst wieder konfiguriert oder aktualisiert werden, wenn es antwortet.</translation>
    </message>
</context>
<context>
    <name>ScanSnapshot</name>
    <message>
        <source>the last scan %1 cannot be read and is left out</source>
        <translation>die letzte Suche %1 kann nicht gelesen werden und wird ausgelassen</translation>
    </message>
    <message>
        <source>the directory %1 cannot be made</source>
        <translation>das Verzeichnis %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>the last scan cannot be saved to %1: %2</source>
        <translation>die letzte Suche kann nicht in %1 gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>SendFirmware</name>
    <message>
        <source>ERROR: Parsing Failed!</source>
        <translation>ERROR: Einlesen fehlgeschlagen!</translation>
    </message>
    <message>
        <source>ERROR: Connection Failed!!</source>
        <translation>ERROR: Verbindung fehlgeschlagen!!</translation>
    </message>
    <message>
        <source>ERROR: Flash Erase failed!</source>
        <translation>ERROR: Löschen des Flash-Speichers fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Memory erased!</source>
        <translation>Speicher gelöscht!</translation>
    </message>
    <message>
        <source>Send Erase Packet...</source>
        <translation>Löschpaket wird gesendet...</translation>
    </message>
    <message>
        <source>Erase Timeout 20s</source>
        <translation>Löschzeitlimit 20 s</translation>
    </message>
    <message>
        <source>Write memory...</source>
        <translation>Speicher wird geschrieben...</translation>
    </message>
    <message>
        <source>Writing completed!</source>
        <translation>Schreiben abgeschlossen!</translation>
    </message>
    <message>
        <source>ERROR: address are outside the programmable address range</source>
        <translation>ERROR: Adressen liegen außerhalb des programmierbaren Adressbereichs</translation>
    </message>
    <message>
        <source>ERROR: verify failed!</source>
        <translation>ERROR: Überprüfung fehlgeschlagen!</translation>
    </message>
    <message>
        <source>ERROR: The bootloader did not answer the erase.</source>
        <translation>ERROR: Der Bootloader hat auf das Löschen nicht geantwortet.</translation>
    </message>
    <message>
        <source>ERROR: The bootloader answered the erase with &quot;%1&quot;.</source>
        <translation>ERROR: Der Bootloader hat das Löschen mit „%1“ beantwortet.</translation>
    </message>
    <message>
        <source>ERROR: The upgrade was stopped before the block at word address %1 was complete.</source>
        <translation>ERROR: Die Aktualisierung wurde angehalten, bevor der Block an Wortadresse %1 vollständig war.</translation>
    </message>
    <message>
        <source>ERROR: The bootloader did not confirm write frame %1 of %2 (the block at word address %3): no answer within %4 ms.</source>
        <translation>ERROR: Der Bootloader hat den Schreibrahmen %1 von %2 (den Block an Wortadresse %3) nicht bestätigt: keine Antwort innerhalb von %4 ms.</translation>
    </message>
    <message>
        <source>ERROR: The bootloader refused write frame %1 of %2 (the block at word address %3): &quot;%4&quot;</source>
        <translation>ERROR: Der Bootloader hat den Schreibrahmen %1 von %2 (den Block an Wortadresse %3) abgelehnt: &quot;%4&quot;</translation>
    </message>
    <message>
        <source>ERROR: The bootloader did not confirm write frame %1 of %2 (the block at word address %3); it answered &quot;%4&quot;</source>
        <translation>ERROR: Der Bootloader hat den Schreibrahmen %1 von %2 (den Block an Wortadresse %3) nicht bestätigt; er antwortete &quot;%4&quot;</translation>
    </message>
</context>
<context>
    <name>SentSettingsCheck</name>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>mask</source>
        <translation>Maske</translation>
    </message>
    <message>
        <source>gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>the unit did not answer the rescan</source>
        <translation>das Gerät hat auf die erneute Suche nicht geantwortet</translation>
    </message>
    <message>
        <source>%1 %2, sent %3</source>
        <translation>%1 %2, gesendet %3</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Scan Options</source>
        <translation>Suchoptionen</translation>
    </message>
    <message>
        <source>Scan Timeout [s] </source>
        <translation>Zeitlimit der Suche [s] </translation>
    </message>
    <message>
        <source>Enable Unicast Scan</source>
        <translation>Unicast-Suche aktivieren</translation>
    </message>
    <message>
        <source>Unicast Scan Range</source>
        <translation>Unicast-Suchbereich</translation>
    </message>
    <message>
        <source>192.168.0.10</source>
        <translation>192.168.0.10</translation>
    </message>
    <message>
        <source>192.168.0.20</source>
        <translation>192.168.0.20</translation>
    </message>
    <message>
        <source>Firmware Update Options</source>
        <translation>Optionen der Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>Update Timeout [s]</source>
        <translation>Zeitlimit der Aktualisierung [s]</translation>
    </message>
    <message>
        <source>Enable Manual IP Option*</source>
        <translation>Manuelle IP-Option aktivieren*</translation>
    </message>
    <message>
        <source>*This option works only for Power Supplies in Recovery Mode</source>
        <translation>*Diese Option wirkt nur bei Netzgeräten im Wiederherstellungsmodus</translation>
    </message>
    <message>
        <source>TCP Options</source>
        <translation>TCP-Optionen</translation>
    </message>
    <message>
        <source>Number of Threads</source>
        <translation>Anzahl der Threads</translation>
    </message>
    <message>
        <source>Wait for bytes written [ms]</source>
        <translation>Warten auf geschriebene Bytes [ms]</translation>
    </message>
    <message>
        <source>Wait for ready read [ms]</source>
        <translation>Warten auf lesbare Daten [ms]</translation>
    </message>
    <message>
        <source>Wait for connected [ms]</source>
        <translation>Warten auf Verbindung [ms]</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Unicast Scan Range: start &quot;%1&quot; and end &quot;%2&quot; are not complete IPv4 addresses.</source>
        <translation>Unicast-Suchbereich: Start „%1“ und Ende „%2“ sind keine vollständigen IPv4-Adressen.</translation>
    </message>
    <message>
        <source>start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>end</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Unicast Scan Range: the %1 address is empty.</source>
        <translation>Unicast-Suchbereich: Die %1-Adresse ist leer.</translation>
    </message>
    <message>
        <source>Unicast Scan Range: the %1 address &quot;%2&quot; is not a complete IPv4 address.</source>
        <translation>Unicast-Suchbereich: Die %1-Adresse „%2“ ist keine vollständige IPv4-Adresse.</translation>
    </message>
    <message>
        <source>The unicast scan range needs two IPv4 addresses, but it reads &quot;%1&quot; to &quot;%2&quot;.

Please correct the range.</source>
        <translation>Der Unicast-Suchbereich braucht zwei IPv4-Adressen, lautet aber „%1“ bis „%2“.

Bitte korrigieren Sie den Bereich.</translation>
    </message>
    <message>
        <source>The unicast scan range ends at %1, before its start %2.

Please enter an end address that is not below the start address.</source>
        <translation>Der Unicast-Suchbereich endet bei %1, vor seinem Anfang %2.

Bitte geben Sie eine Endadresse ein, die nicht unter der Startadresse liegt.</translation>
    </message>
    <message>
        <source>The unicast scan range from %1 to %2 holds %3 addresses, but a scan can sweep at most %4.

Please choose a smaller range.</source>
        <translation>Der Unicast-Suchbereich von %1 bis %2 umfasst %3 Adressen, eine Suche kann aber höchstens %4 abdecken.

Bitte wählen Sie einen kleineren Bereich.</translation>
    </message>
    <message>
        <source>Upgrade Runs</source>
        <translation>Aktualisierungsläufe</translation>
    </message>
    <message>
        <source>How many units an upgrade run takes at the same time</source>
        <translation>Wie viele Geräte ein Aktualisierungslauf gleichzeitig bearbeitet</translation>
    </message>
    <message>
        <source>Units at once</source>
        <translation>Geräte gleichzeitig</translation>
    </message>
    <message>
        <source>After this many failed units, no further unit of the run is started</source>
        <translation>Nach so vielen fehlgeschlagenen Geräten startet kein weiteres Gerät des Laufs</translation>
    </message>
    <message>
        <source>Failure limit</source>
        <translation>Fehlergrenze</translation>
    </message>
</context>
<context>
    <name>StatusReporter</name>
    <message>
        <source>No scan yet: press Scan or Space</source>
        <translation>Noch keine Suche: Drücken Sie „Suchen“ oder die Leertaste</translation>
    </message>
    <message>
        <source>1 interface</source>
        <translation>1 Schnittstelle</translation>
    </message>
    <message>
        <source>%1 interfaces</source>
        <translation>%1 Schnittstellen</translation>
    </message>
    <message>
        <source>the unicast range %1 to %2</source>
        <translation>dem Unicast-Bereich %1 bis %2</translation>
    </message>
    <message>
        <source>1 device found</source>
        <translation>1 Gerät gefunden</translation>
    </message>
    <message>
        <source>%1 devices found</source>
        <translation>%1 Geräte gefunden</translation>
    </message>
    <message>
        <source>%1 on %2 and in %3</source>
        <translation>%1 auf %2 und in %3</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 auf %2</translation>
    </message>
    <message>
        <source>No devices found: no network interface is selected (Tools &gt; Select network interfaces)</source>
        <translation>Keine Geräte gefunden: Keine Netzwerkschnittstelle ausgewählt (Werkzeuge &gt; Netzwerkschnittstellen auswählen)</translation>
    </message>
    <message>
        <source>No devices found on %1; unicast scan is off (Tools &gt; Settings)</source>
        <translation>Keine Geräte gefunden auf %1; die Unicast-Suche ist aus (Werkzeuge &gt; Einstellungen)</translation>
    </message>
    <message>
        <source>No devices found on %1 or in %2</source>
        <translation>Keine Geräte gefunden auf %1 oder in %2</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Suche läuft...</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>UnitLock</name>
    <message>
        <source>%1 cannot be claimed for sending: %2: %3</source>
        <translation>%1 kann nicht zum Senden belegt werden: %2: %3</translation>
    </message>
    <message>
        <source>%1 is in use by another Kestrion program</source>
        <translation>%1 wird von einem anderen Kestrion-Programm verwendet</translation>
    </message>
    <message>
        <source>%1 is being upgraded by %2, process %3, since %4</source>
        <translation>%1 wird gerade von %2 aktualisiert, Prozess %3, seit %4</translation>
    </message>
    <message>
        <source>%1 is being configured by %2, process %3, since %4</source>
        <translation>%1 wird gerade von %2 konfiguriert, Prozess %3, seit %4</translation>
    </message>
</context>
<context>
    <name>UnitText</name>
    <message>
        <source>XPort module — no motor driver answered</source>
        <translation>XPort-Modul — kein Motortreiber hat geantwortet</translation>
    </message>
</context>
<context>
    <name>Updates</name>
    <message>
        <source>Updates</source>
        <translation>Aktualisierungen</translation>
    </message>
    <message>
        <source>The process failed to start. Either the invoked program is missing, or you may have insufficient permissions to invoke the program.</source>
        <translation>Der Prozess konnte nicht gestartet werden. Entweder fehlt das aufgerufene Programm, oder Ihnen fehlen die Rechte, es aufzurufen.</translation>
    </message>
    <message>
        <source>The process crashed some time after starting successfully.</source>
        <translation>Der Prozess ist einige Zeit nach dem erfolgreichen Start abgestürzt.</translation>
    </message>
    <message>
        <source>Timeout.</source>
        <translation>Zeitüberschreitung.</translation>
    </message>
    <message>
        <source>An error occurred when attempting to read from the process. For example, the process may not be running.</source>
        <translation>Beim Lesen aus dem Prozess ist ein Fehler aufgetreten. Möglicherweise läuft der Prozess nicht.</translation>
    </message>
    <message>
        <source>An error occurred when attempting to write to the process. For example, the process may not be running, or it may have closed its input channel.</source>
        <translation>Beim Schreiben in den Prozess ist ein Fehler aufgetreten. Möglicherweise läuft der Prozess nicht, oder er hat seinen Eingabekanal geschlossen.</translation>
    </message>
    <message>
        <source>Unknown error, code error </source>
        <translation>Unbekannter Fehler, Fehlercode </translation>
    </message>
    <message>
        <source>Error calling maintenancetool </source>
        <translation>Fehler beim Aufruf des Wartungsprogramms </translation>
    </message>
    <message>
        <source>No updates available.</source>
        <translation>Keine Aktualisierungen verfügbar.</translation>
    </message>
    <message>
        <source>There are updates, would you like to upgrade (the application will be closed)?</source>
        <translation>Es gibt Aktualisierungen. Möchten Sie aktualisieren (die Anwendung wird geschlossen)?</translation>
    </message>
    <message>
        <source>The maintancetool is installed properly but an error occurs, check if you have access permission and if </source>
        <translation>Das Wartungsprogramm ist richtig installiert, aber es tritt ein Fehler auf. Prüfen Sie Ihre Zugriffsrechte und ob </translation>
    </message>
    <message>
        <source>Ostravi repository</source>
        <translation>das Ostravi-Repository</translation>
    </message>
    <message>
        <source> is reachable (i.e. firewall or proxy is blocking it) and try again later; if the issue persists contact the support.</source>
        <translation> erreichbar ist (etwa ob eine Firewall oder ein Proxy es sperrt), und versuchen Sie es später erneut; wenden Sie sich an den Support, wenn das Problem bestehen bleibt.</translation>
    </message>
    <message>
        <source>This copy of Kestrion was not installed with the Kestrion installer (it comes from a system package or runs from its build directory), so it cannot update itself. Updates come through the system&apos;s package manager.</source>
        <translation>Diese Kestrion-Kopie wurde nicht mit dem Kestrion-Installationsprogramm installiert (sie stammt aus einem Systempaket oder läuft aus ihrem Build-Verzeichnis) und kann sich daher nicht selbst aktualisieren. Aktualisierungen erhalten Sie über die Paketverwaltung des Systems.</translation>
    </message>
</context>
<context>
    <name>UpgradeJournal</name>
    <message>
        <source>WARNING: The upgrade of %1 is not recorded in the journal: %2</source>
        <translation>WARNING: Die Aktualisierung von %1 ist nicht im Journal vermerkt: %2</translation>
    </message>
    <message>
        <source>WARNING: The outcome of upgrade %1 is not recorded in the journal: %2</source>
        <translation>WARNING: Das Ergebnis der Aktualisierung %1 ist nicht im Journal vermerkt: %2</translation>
    </message>
    <message>
        <source>upgraded</source>
        <translation>aktualisiert</translation>
    </message>
    <message>
        <source>the upgrade ended without a result</source>
        <translation>die Aktualisierung endete ohne Ergebnis</translation>
    </message>
</context>
<context>
    <name>UpgradeOutcome</name>
    <message>
        <source>the upgrade failed</source>
        <translation>die Aktualisierung ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>cancelled by the user</source>
        <translation>abgebrochen vom Benutzer</translation>
    </message>
    <message>
        <source>cancelled by SIGTERM</source>
        <translation>abgebrochen durch SIGTERM</translation>
    </message>
    <message>
        <source>cancelled by SIGINT</source>
        <translation>abgebrochen durch SIGINT</translation>
    </message>
    <message>
        <source>no result within %1 ms: stopped by the watchdog</source>
        <translation>kein Ergebnis innerhalb von %1 ms: vom Watchdog angehalten</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
</context>
<context>
    <name>UpgradeRunReport</name>
    <message>
        <source>%1: upgraded</source>
        <translation>%1: aktualisiert</translation>
    </message>
    <message>
        <source>%1: failed</source>
        <translation>%1: fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1: cancelled</source>
        <translation>%1: abgebrochen</translation>
    </message>
    <message>
        <source>%1: not started</source>
        <translation>%1: nicht gestartet</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>%1; version before %2, after %3</source>
        <translation>%1; Version vorher %2, nachher %3</translation>
    </message>
</context>
<context>
    <name>UpgradeSelection</name>
    <message>
        <source>%1 looks like %2; the selected units are %3, which take %4 images</source>
        <translation>%1 sieht aus wie %2; die ausgewählten Geräte sind %3 und erwarten %4-Images</translation>
    </message>
    <message>
        <source>an S-record image</source>
        <translation>ein S-Record-Image</translation>
    </message>
    <message>
        <source>an Intel HEX image</source>
        <translation>ein Intel-HEX-Image</translation>
    </message>
    <message>
        <source>a binary power-supply image</source>
        <translation>ein binäres Netzgeräte-Image</translation>
    </message>
    <message>
        <source>power supplies (a manual address)</source>
        <translation>Netzgeräte (manuelle Adresse)</translation>
    </message>
    <message>
        <source>motor drivers</source>
        <translation>Motortreiber</translation>
    </message>
    <message>
        <source>Vesk power supplies</source>
        <translation>Vesk-Netzgeräte</translation>
    </message>
    <message>
        <source>power supplies</source>
        <translation>Netzgeräte</translation>
    </message>
    <message>
        <source>beamline instruments</source>
        <translation>Strahlrohr-Instrumente</translation>
    </message>
    <message>
        <source>%1 is a current transducer: their firmware cannot be upgraded</source>
        <translation>%1 ist ein Stromwandler: seine Firmware kann nicht aktualisiert werden</translation>
    </message>
    <message>
        <source>%1 (code %2) has no firmware upgrade procedure</source>
        <translation>für %1 (Code %2) gibt es kein Verfahren zur Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>%1 is a motor driver: it is upgraded alone</source>
        <translation>%1 ist ein Motortreiber: er wird allein aktualisiert</translation>
    </message>
    <message>
        <source>one catalog code per run: %1 is %2, %3 is %4</source>
        <translation>ein Katalogcode pro Durchlauf: %1 ist %2, %3 ist %4</translation>
    </message>
    <message>
        <source>%1 is behind the same module as another selected motor driver</source>
        <translation>%1 hängt am selben Modul wie ein anderer ausgewählter Motortreiber</translation>
    </message>
</context>
<context>
    <name>UpgradeVerification</name>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>WARNING: %1 did not answer the scan after its upgrade: its new firmware version is not known.</source>
        <translation>WARNING: %1 hat nach der Aktualisierung nicht auf die Suche geantwortet: Die neue Firmware-Version ist unbekannt.</translation>
    </message>
    <message>
        <source>WARNING: %1: the unit still reports version %2: the new firmware may not have been taken.</source>
        <translation>WARNING: %1: Das Gerät meldet weiterhin Version %2: Die neue Firmware wurde möglicherweise nicht übernommen.</translation>
    </message>
    <message>
        <source>WARNING: %1 reports no firmware version: whether it took the new firmware cannot be checked by a scan; it confirmed the upgrade itself.</source>
        <translation>WARNING: %1 meldet keine Firmware-Version: ob es die neue Firmware übernommen hat, kann eine Suche nicht prüfen; es hat die Aktualisierung selbst bestätigt.</translation>
    </message>
</context>
<context>
    <name>changeNetworkConfiguration</name>
    <message>
        <source>the MAC address &quot;%1&quot; is not valid</source>
        <translation>Die MAC-Adresse „%1“ ist ungültig</translation>
    </message>
    <message>
        <source>the IP address %1 is not valid</source>
        <translation>Die IP-Adresse %1 ist ungültig</translation>
    </message>
    <message>
        <source>the port 0 is not valid</source>
        <translation>Der Port 0 ist ungültig</translation>
    </message>
    <message>
        <source>the subnet mask %1 is not valid</source>
        <translation>Die Subnetzmaske %1 ist ungültig</translation>
    </message>
    <message>
        <source>the gateway %1 is not valid</source>
        <translation>Das Gateway %1 ist ungültig</translation>
    </message>
    <message>
        <source>There are no device rows to send.</source>
        <translation>Es gibt keine Gerätezeilen zum Senden.</translation>
    </message>
    <message>
        <source>row %1 has %2 of %3 entries; it and the rows after it were not sent</source>
        <translation>Zeile %1 hat %2 von %3 Einträgen; sie und die folgenden Zeilen wurden nicht gesendet</translation>
    </message>
    <message>
        <source>row %1 (%2) was not sent: %3</source>
        <translation>Zeile %1 (%2) wurde nicht gesendet: %3</translation>
    </message>
    <message>
        <source>Unable to write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Unable to read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Line %1 of %2 has %3 of %4 fields.</source>
        <translation>Zeile %1 von %2 hat %3 von %4 Feldern.</translation>
    </message>
    <message>
        <source>%1 holds no power-supply, beamline or current-transducer rows.</source>
        <translation>%1 enthält keine Zeilen für Netzgeräte, Strahlrohr-Instrumente oder Stromwandler.</translation>
    </message>
</context>
<context>
    <name>dspProgMode</name>
    <message>
        <source>ERROR: Connection to port 30704 failed!</source>
        <translation>ERROR: Verbindung zu Port 30704 fehlgeschlagen!</translation>
    </message>
    <message>
        <source>ERROR: GPIO not configured correctly!</source>
        <translation>ERROR: GPIO nicht richtig konfiguriert!</translation>
    </message>
    <message>
        <source>ERROR: Connection Failed!!</source>
        <translation>ERROR: Verbindung fehlgeschlagen!!</translation>
    </message>
    <message>
        <source>ERROR: autobaud failed!</source>
        <translation>ERROR: Autobaud fehlgeschlagen!</translation>
    </message>
    <message>
        <source>ERROR: Bootloader File not found!</source>
        <translation>ERROR: Bootloader-Datei nicht gefunden!</translation>
    </message>
    <message>
        <source>ERROR: The boot ROM did not echo the bootloader (%1 bytes sent, none came back).</source>
        <translation>ERROR: Das Boot-ROM hat den Bootloader nicht zurückgesendet (%1 Bytes gesendet, keines zurückgekommen).</translation>
    </message>
    <message>
        <source>ERROR: The boot ROM&apos;s echo of the bootloader differs from what was sent: %1 bytes sent, %2 came back, the first %3 of them as sent.</source>
        <translation>ERROR: Das Echo des Bootloaders vom Boot-ROM weicht vom Gesendeten ab: %1 Bytes gesendet, %2 zurückgekommen, davon die ersten %3 wie gesendet.</translation>
    </message>
</context>
<context>
    <name>firmwareUpgrade</name>
    <message>
        <source>Lantronix Ready!</source>
        <translation>Lantronix bereit!</translation>
    </message>
    <message>
        <source>Try to connect...</source>
        <translation>Verbindungsversuch...</translation>
    </message>
    <message>
        <source>Device Unconnected! exit...</source>
        <translation>Gerät nicht verbunden! Abbruch...</translation>
    </message>
    <message>
        <source>Device Connected!</source>
        <translation>Gerät verbunden!</translation>
    </message>
    <message>
        <source>Check version...</source>
        <translation>Version wird geprüft...</translation>
    </message>
    <message>
        <source>ERROR: Current Transdurers are not supported!</source>
        <translation>ERROR: Stromwandler werden nicht unterstützt!</translation>
    </message>
    <message>
        <source>ERROR: Unrecognized device family!</source>
        <translation>ERROR: Unbekannte Gerätefamilie!</translation>
    </message>
    <message>
        <source>ERROR: Device still connected</source>
        <translation>ERROR: Gerät noch verbunden</translation>
    </message>
    <message>
        <source>Socket closed, continue...</source>
        <translation>Socket geschlossen, weiter...</translation>
    </message>
    <message>
        <source>No response from device</source>
        <translation>Keine Antwort vom Gerät</translation>
    </message>
    <message>
        <source>Device name: </source>
        <translation>Gerätename: </translation>
    </message>
    <message>
        <source> ===  U P D A T E   T H E   D E V I C E  ===</source>
        <translation> ===  G E R Ä T   A K T U A L I S I E R E N  ===</translation>
    </message>
    <message>
        <source>Device IP: </source>
        <translation>Geräte-IP: </translation>
    </message>
    <message>
        <source>Firmware : </source>
        <translation>Firmware : </translation>
    </message>
    <message>
        <source>Remote update succesful!</source>
        <translation>Fernaktualisierung erfolgreich!</translation>
    </message>
    <message>
        <source>Kestrion has finished to update the device with success.</source>
        <translation>Kestrion hat das Gerät erfolgreich aktualisiert.</translation>
    </message>
    <message>
        <source>Device connected, continue...</source>
        <translation>Gerät verbunden, weiter...</translation>
    </message>
    <message>
        <source>ERROR: Device unconnected</source>
        <translation>ERROR: Gerät nicht verbunden</translation>
    </message>
    <message>
        <source>Reading file...</source>
        <translation>Datei wird gelesen...</translation>
    </message>
    <message>
        <source>Done!
</source>
        <translation>Fertig!
</translation>
    </message>
    <message>
        <source>Erasing Lumeno memory...</source>
        <translation>Lumeno-Speicher wird gelöscht...</translation>
    </message>
    <message>
        <source>ERROR: the firmware file writes at or above address 800000 (hexadecimal), beyond the flash sectors this tool can erase; nothing was sent</source>
        <translation>ERROR: Die Firmware-Datei schreibt an oder über Adresse 800000 (hexadezimal), jenseits der Flash-Sektoren, die dieses Programm löschen kann; nichts wurde gesendet</translation>
    </message>
    <message>
        <source>ERROR: the firmware file holds no S1, S2 or S3 record with a readable address</source>
        <translation>ERROR: Die Firmware-Datei enthält keinen S1-, S2- oder S3-Datensatz mit lesbarer Adresse</translation>
    </message>
    <message>
        <source>Erased!
</source>
        <translation>Gelöscht!
</translation>
    </message>
    <message>
        <source>Programming Device memory...</source>
        <translation>Gerätespeicher wird programmiert...</translation>
    </message>
    <message>
        <source>Device succesfuly updated!
</source>
        <translation>Gerät erfolgreich aktualisiert!
</translation>
    </message>
    <message>
        <source>Wait restart...</source>
        <translation>Warten auf Neustart...</translation>
    </message>
    <message>
        <source>ERROR: No response from the device!</source>
        <translation>ERROR: Keine Antwort vom Gerät!</translation>
    </message>
    <message>
        <source>Update Kolvex Firmware:</source>
        <translation>Kolvex-Firmware aktualisieren:</translation>
    </message>
    <message>
        <source>The &apos;Communication DSP&apos; will be programmed...</source>
        <translation>Der &apos;Communication DSP&apos; wird programmiert...</translation>
    </message>
    <message>
        <source>The &apos;Control DSP&apos; will be programmed...</source>
        <translation>Der &apos;Control DSP&apos; wird programmiert...</translation>
    </message>
    <message>
        <source>ERROR: wrong Firmware!</source>
        <translation>ERROR: Falsche Firmware!</translation>
    </message>
    <message>
        <source>Set Baudrate to 38400...</source>
        <translation>Baudrate wird auf 38400 gesetzt...</translation>
    </message>
    <message>
        <source>Done!</source>
        <translation>Fertig!</translation>
    </message>
    <message>
        <source>Set Baudrate to 921600...</source>
        <translation>Baudrate wird auf 921600 gesetzt...</translation>
    </message>
    <message>
        <source>Reset DSP...</source>
        <translation>DSP wird zurückgesetzt...</translation>
    </message>
    <message>
        <source>Process completed! wait for restart...</source>
        <translation>Vorgang abgeschlossen! Warten auf Neustart...</translation>
    </message>
    <message>
        <source>Set GPIO...</source>
        <translation>GPIO wird gesetzt...</translation>
    </message>
    <message>
        <source>Load Bootloader...</source>
        <translation>Bootloader wird geladen...</translation>
    </message>
    <message>
        <source>Program...</source>
        <translation>Programmieren...</translation>
    </message>
    <message>
        <source>Restoring the module: serial speed back to 921600...</source>
        <translation>Modul wird wiederhergestellt: serielle Geschwindigkeit zurück auf 921600...</translation>
    </message>
    <message>
        <source>Restoring the module: waiting for the XPort to restart...</source>
        <translation>Modul wird wiederhergestellt: Warten auf den Neustart des XPort...</translation>
    </message>
    <message>
        <source>Restoring the module: pins back to normal operation...</source>
        <translation>Modul wird wiederhergestellt: Pins zurück auf Normalbetrieb...</translation>
    </message>
    <message>
        <source>Restoring the module: done, pins at normal operation and the serial speed at 921600.</source>
        <translation>Modul wiederhergestellt: Pins im Normalbetrieb, serielle Geschwindigkeit 921600.</translation>
    </message>
    <message>
        <source>WARNING: The module could not be restored: check its pins and serial speed before using the motor driver!</source>
        <translation>WARNING: Das Modul konnte nicht wiederhergestellt werden: Prüfen Sie seine Pins und seine serielle Geschwindigkeit, bevor Sie den Motortreiber benutzen!</translation>
    </message>
    <message>
        <source>
FIRMWARE UPDATE...</source>
        <translation>
FIRMWARE-AKTUALISIERUNG...</translation>
    </message>
    <message>
        <source>Selected Firmware File:</source>
        <translation>Ausgewählte Firmware-Datei:</translation>
    </message>
    <message>
        <source>Update Socket Closed!</source>
        <translation>Aktualisierungs-Socket geschlossen!</translation>
    </message>
    <message>
        <source>CRITICAL: update error: Timeout Error!</source>
        <translation>CRITICAL: Aktualisierungsfehler: Zeitüberschreitung!</translation>
    </message>
    <message>
        <source>
ERROR: Unexpected Error</source>
        <translation>
ERROR: Unerwarteter Fehler</translation>
    </message>
    <message>
        <source>CRITICAL: update error: </source>
        <translation>CRITICAL: Aktualisierungsfehler: </translation>
    </message>
    <message>
        <source>Firmware Updated!</source>
        <translation>Firmware aktualisiert!</translation>
    </message>
    <message>
        <source>CRITICAL: module is in ON mode! PLEASE PUT IT IN OFF BEFORE TO PERFORM A FIRMWARE UPDATE</source>
        <translation>CRITICAL: Das Modul ist eingeschaltet (ON)! BITTE SCHALTEN SIE ES VOR EINER FIRMWARE-AKTUALISIERUNG AUS (OFF)</translation>
    </message>
    <message>
        <source>
Firmware File Opening...</source>
        <translation>
Firmware-Datei wird geöffnet...</translation>
    </message>
    <message>
        <source>CRITICAL: error in file opening, </source>
        <translation>CRITICAL: Fehler beim Öffnen der Datei, </translation>
    </message>
    <message>
        <source>Firmware Opened!</source>
        <translation>Firmware geöffnet!</translation>
    </message>
    <message>
        <source>
Create socket to update firmware...</source>
        <translation>
Socket für die Firmware-Aktualisierung wird erstellt...</translation>
    </message>
    <message>
        <source>CRITICAL: socket error, </source>
        <translation>CRITICAL: Socket-Fehler, </translation>
    </message>
    <message>
        <source>Please check that your device is connected and try again...</source>
        <translation>Bitte prüfen Sie, ob Ihr Gerät verbunden ist, und versuchen Sie es erneut...</translation>
    </message>
    <message>
        <source>Socket Connection to </source>
        <translation>Socket-Verbindung zu </translation>
    </message>
    <message>
        <source>Socket Opened!</source>
        <translation>Socket geöffnet!</translation>
    </message>
    <message>
        <source>
Firmware upload in progress...</source>
        <translation>
Firmware wird hochgeladen...</translation>
    </message>
    <message>
        <source>Fiwmware uploaded!</source>
        <translation>Firmware hochgeladen!</translation>
    </message>
    <message>
        <source>
Install new firmware:</source>
        <translation>
Neue Firmware installieren:</translation>
    </message>
    <message>
        <source>CRITICAL: Packet transmitted with erros</source>
        <translation>CRITICAL: Paket fehlerhaft übertragen</translation>
    </message>
    <message>
        <source>
FIRMWARE SUCCESSFULLY UPDATED!</source>
        <translation>
FIRMWARE ERFOLGREICH AKTUALISIERT!</translation>
    </message>
    <message>
        <source>
WARNING: CANNOT REBOOT! PLEASE REBOOT MANUALLY</source>
        <translation>
WARNING: NEUSTART NICHT MÖGLICH! BITTE STARTEN SIE MANUELL NEU</translation>
    </message>
    <message>
        <source>WARNING: there are some errors reading DC link voltage. %1, %2</source>
        <translation>WARNING: Beim Lesen der Zwischenkreisspannung sind Fehler aufgetreten. %1, %2</translation>
    </message>
    <message>
        <source>CRITICAL: the DC link voltage %1V should be less than %2V</source>
        <translation>CRITICAL: Die Zwischenkreisspannung %1V sollte kleiner als %2V sein</translation>
    </message>
    <message>
        <source>ERROR: the unit refused identification: &quot;%1&quot;</source>
        <translation>ERROR: Das Gerät hat die Identifizierung abgelehnt: „%1“</translation>
    </message>
    <message>
        <source>ERROR: The firmware file was refused before anything was sent to the unit.</source>
        <translation>ERROR: Die Firmware-Datei wurde abgewiesen, bevor etwas an das Gerät gesendet wurde.</translation>
    </message>
    <message>
        <source>the erase of sector %1</source>
        <translation>Löschen von Sektor %1</translation>
    </message>
    <message>
        <source>image line %1</source>
        <translation>Image-Zeile %1</translation>
    </message>
    <message>
        <source>ERROR: the unit refused %1: &quot;%2&quot;</source>
        <translation>ERROR: Das Gerät hat den Schritt „%1“ abgelehnt: „%2“</translation>
    </message>
    <message>
        <source>ERROR: the unit did not confirm %1; it answered &quot;%2&quot;</source>
        <translation>ERROR: Das Gerät hat den Schritt „%1“ nicht bestätigt; es antwortete „%2“</translation>
    </message>
    <message>
        <source>ERROR: The upgrade was stopped before %1.</source>
        <translation>ERROR: Die Aktualisierung wurde vor dem Schritt „%1“ angehalten.</translation>
    </message>
    <message>
        <source>ERROR: The unit&apos;s flash is incomplete: the restart was not sent. Upgrade it again with a good image before it is restarted.</source>
        <translation>ERROR: Der Flash-Speicher des Geräts ist unvollständig: Der Neustart wurde nicht gesendet. Aktualisieren Sie das Gerät erneut mit einem einwandfreien Image, bevor es neu gestartet wird.</translation>
    </message>
    <message>
        <source>ERROR: The upgrade was stopped before the module was touched.</source>
        <translation>ERROR: Die Aktualisierung wurde angehalten, bevor das Modul verändert wurde.</translation>
    </message>
    <message>
        <source>ERROR: %1 is named for the control DSP: choose it in the &quot;Control Firmware&quot; row.</source>
        <translation>ERROR: Der Name von %1 weist die Datei dem Steuerungs-DSP zu: Wählen Sie sie in der Zeile „Steuerungs-Firmware“.</translation>
    </message>
    <message>
        <source>ERROR: %1 is named for the communication DSP: choose it in the &quot;Communication Firmware&quot; row.</source>
        <translation>ERROR: Der Name von %1 weist die Datei dem Kommunikations-DSP zu: Wählen Sie sie in der Zeile „Kommunikations-Firmware“.</translation>
    </message>
    <message>
        <source>ERROR: Which DSP %1 is for is not known: its name holds neither &quot;%2&quot; nor &quot;%3&quot;. Choose it in the row of its DSP on the firmware page, or give --dsp on the command line.</source>
        <translation>ERROR: Für welchen DSP %1 bestimmt ist, ist unbekannt: Der Name enthält weder „%2“ noch „%3“. Wählen Sie die Datei in der Zeile ihres DSP auf der Seite „Firmware-Aktualisierung“, oder geben Sie auf der Kommandozeile --dsp an.</translation>
    </message>
    <message>
        <source>the bootloader was loaded</source>
        <translation>Laden des Bootloaders</translation>
    </message>
    <message>
        <source>the flash was erased</source>
        <translation>Löschen des Flash-Speichers</translation>
    </message>
    <message>
        <source>WARNING: The upload had ended when the upgrade was stopped: the supply is installing the image and cannot be stopped. Check it once it has restarted.</source>
        <translation>WARNING: Das Hochladen war bereits beendet, als die Aktualisierung angehalten wurde: Das Netzgerät installiert das Image und kann nicht angehalten werden. Prüfen Sie es nach seinem Neustart.</translation>
    </message>
    <message>
        <source>CRITICAL: update error: the supply&apos;s report ended neither with #ACK nor with #NAK: &quot;%1&quot;</source>
        <translation>CRITICAL: Aktualisierungsfehler: Die Meldung des Netzgeräts endete weder mit #ACK noch mit #NAK: „%1“</translation>
    </message>
    <message>
        <source>ERROR: The supply did not answer its status request (MST): its output may be on. Nothing was sent.</source>
        <translation>ERROR: Das Netzgerät hat auf die Statusabfrage (MST) nicht geantwortet: Sein Ausgang ist möglicherweise eingeschaltet. Es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>ERROR: The supply refused its status request (MST): &quot;%1&quot;. Nothing was sent.</source>
        <translation>ERROR: Das Netzgerät hat die Statusabfrage (MST) abgelehnt: „%1“. Es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>ERROR: The supply&apos;s status answer cannot be read: &quot;%1&quot;; its output may be on. Nothing was sent.</source>
        <translation>ERROR: Die Statusantwort des Netzgeräts ist nicht lesbar: „%1“; sein Ausgang ist möglicherweise eingeschaltet. Es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>WARNING: The supply answered the reboot request with &quot;%1&quot;.</source>
        <translation>WARNING: Das Netzgerät hat die Neustartanforderung mit „%1“ beantwortet.</translation>
    </message>
    <message>
        <source>ERROR: The installation report did not end within %1 ms.</source>
        <translation>ERROR: Die Installationsmeldung endete nicht innerhalb von %1 ms.</translation>
    </message>
    <message>
        <source>ERROR: No device to upgrade: none is selected and no address was given.</source>
        <translation>ERROR: Kein Gerät zu aktualisieren: keines ist ausgewählt und keine Adresse angegeben.</translation>
    </message>
    <message>
        <source>the upgrade failed</source>
        <translation>die Aktualisierung ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>ERROR: The upgrade ended without a result.</source>
        <translation>ERROR: Die Aktualisierung endete ohne Ergebnis.</translation>
    </message>
    <message>
        <source>ERROR: the firmware file changed after it was checked (%1 bytes then, %2 now); nothing was sent.</source>
        <translation>ERROR: Die Firmware-Datei hat sich nach der Prüfung geändert (damals %1 Bytes, jetzt %2); es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>ERROR: The upgrade was stopped on request during the upload of the image.</source>
        <translation>ERROR: Die Aktualisierung wurde auf Anforderung während des Hochladens des Abbilds angehalten.</translation>
    </message>
    <message>
        <source>ERROR: The upgrade was stopped on request while the supply was installing the image; its installation report was not followed to the end.</source>
        <translation>ERROR: Die Aktualisierung wurde auf Anforderung angehalten, während das Netzteil das Abbild installierte; sein Installationsbericht wurde nicht bis zum Ende verfolgt.</translation>
    </message>
</context>
<context>
    <name>xPortConfiguration</name>
    <message>
        <source>ERROR: Connection to port 9999 failed!</source>
        <translation>ERROR: Verbindung zu Port 9999 fehlgeschlagen!</translation>
    </message>
    <message>
        <source>ERROR: Connection to port 9999 lost!</source>
        <translation>ERROR: Verbindung zu Port 9999 verloren!</translation>
    </message>
    <message>
        <source>ERROR: XPort setup menu did not show &quot;%1&quot;!</source>
        <translation>ERROR: Das XPort-Setup-Menü hat „%1“ nicht gezeigt!</translation>
    </message>
    <message>
        <source>ERROR: The XPort setup menu never fell silent within %1 ms: there was no menu to answer.</source>
        <translation>ERROR: Das XPort-Setup-Menü ist innerhalb von %1 ms nicht verstummt: Es gab kein Menü, auf das geantwortet werden konnte.</translation>
    </message>
    <message>
        <source>ERROR: The XPort setup menu sent %1 bytes without falling silent, the most one read takes: there was no menu to answer.</source>
        <translation>ERROR: Das XPort-Setup-Menü sandte %1 Bytes, ohne zu verstummen, so viel wie ein Lesevorgang höchstens annimmt: Es gab kein Menü zu beantworten.</translation>
    </message>
</context>
</TS>
