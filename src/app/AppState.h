#pragma once
// Program-wide state: created once by main() (or by a test) and handed to every window and
// operation by reference. There are no globals behind it.
#include <QString>

#include <array>
#include <cstdint>

class Schnittstelle;
class Prompts;
class Clock;
class HelpWindow;

struct AppState {
    AppState(Schnittstelle& ports, Prompts& prompts, Clock& clock)
        : ports(ports), prompts(prompts), clock(clock) {}

    Schnittstelle& ports;
    Prompts& prompts;
    Clock& clock;
    HelpWindow* help = nullptr; // set by main(); tests may leave it empty

    std::uint8_t SensorType = 0;
    bool EnglishUi = false;
    bool ServiceAccess = false;
    bool ExpertAccess = false;
    QString ProgramVersion;
    bool StopSearch = false;
    std::array<std::uint8_t, 256> TypePort{}; // COM number per sensor type code

    // Texts the language handlers set for use by other windows.
    QString QuestionSuffix = QStringLiteral(" bereits offen\nschliessen?"); // port-already-open question
    QString HelpFile = QStringLiteral("ZYL24help.hlp");
};
