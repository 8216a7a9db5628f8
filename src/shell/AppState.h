#pragma once
// Program-wide state: created once by main() (or by a test) and handed to every window and
// operation by reference. There are no globals behind it.
#include "NativeRecordStore.h"
#include "PortMap.h"
#include "Qs40ParameterSet.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Schnittstelle;
class Prompts;
class Clock;
class HelpWindow;
class TCOMPortDialog;
class TFortschritt;
class TAboutBox;
class TFSimulation;

struct AppState {
    AppState(Schnittstelle& ports, Prompts& prompts, Clock& clock)
        : ports(ports), prompts(prompts), clock(clock) {}

    Schnittstelle& ports;
    Prompts& prompts;
    Clock& clock;
    // The windows' binary records ("Einstellungen"); a test may put another store here.
    std::unique_ptr<BinaryRecordStore> records = createNativeRecordStore();
    // Shared windows, created once by main() (tests create what they need). A window that is
    // not there is simply not used: no simulation window means never simulating.
    HelpWindow* help = nullptr;
    TCOMPortDialog* portDialog = nullptr;
    TFortschritt* progress = nullptr;
    TAboutBox* about = nullptr;
    TFSimulation* simulation = nullptr;

    std::uint8_t SensorType = 0;
    bool EnglishUi = false;
    bool ServiceAccess = false;
    bool ExpertAccess = false;
    QString ProgramVersion;
    bool StopSearch = false;
    std::array<std::uint8_t, 256> TypePort{}; // COM number per sensor type code
    Qs40ParameterSet Qs40Parameters;          // the one QS40 sensor's values

    // Stored settings found unusable before the start window appeared, one line each (see
    // SettingsWarnings); the start window shows them once, when it first appears.
    QStringList startWarnings;
    // The entries of the port map that are not used; the start window words them in the
    // language it restores and shows them first among the start warnings.
    std::vector<PortMapWarning> portMapWarnings;

    // Texts the language handlers set for use by other windows.
    QString QuestionSuffix = QStringLiteral(" bereits offen\nschliessen?"); // port-already-open question
    QString HelpFile = QStringLiteral("ZYL24help.hlp");
};
