#pragma once
// The QS40 window's service functions, without widgets: the firmware update (complete, or
// reduced for sensors whose switch points and limits stay as they are), the user mode, and the
// handheld transfers. The window chooses the files and shows the outcome.
#include "Qs40Loader.h"
#include "Qs40_speziell.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

class Schnittstelle;

class Qs40ServiceActions {
public:
    // The step code of an update that had no image: the file choice was cancelled or the file
    // could not be read. Nothing has been sent then.
    static constexpr int kImageCode = 44;

    Qs40ServiceActions(Schnittstelle& ports, const std::array<std::uint8_t, 256>& typePort,
                       const std::uint8_t& sensorType, Qs40ParameterSet& params);

    // imageFile: the bytes of the chosen S-record file, nothing when there is none. onPage is
    // told of every page of the image, `between` advanced for the long runs of exchanges before
    // and after it (the word table), so a window can show both and keep painting. When an
    // earlier attempt on this connection failed after the sensor's values were read, they are
    // still in the parameter set and this attempt writes them back instead of reading again
    // (the sensor may sit in its loader or run the new firmware with factory values).
    Qs40UpdateResult firmwareUpdate(std::optional<std::span<const std::uint8_t>> imageFile, bool reduced,
                                    const Qs40PageReport& onPage = {}, Progress* between = nullptr);
    // The values of a failed attempt are held for the next one.
    bool valuesHeld() const { return m_held.has_value(); }
    // An update whose line failed (a pulled adapter) after the values were read: its port has
    // been closed, the values are held, and the sensor waits in its loader, where no search
    // finds it. Once the port is open again with this line setting, the same kind of update
    // (`reduced`) goes on as after any failed attempt.
    struct PendingDownload {
        int port = 0;
        bool reduced = false;
        LineSettings settings;
        Timeouts timeouts;
    };
    const std::optional<PendingDownload>& pendingDownload() const { return m_pending; }
    // The connection changed: held values belong to a sensor that may no longer be there.
    void forget() {
        m_held.reset();
        m_pending.reset();
    }

    bool setUserMode();

    // The handheld is reached on the port opened last, with that opening's line settings.
    bool handheldOpen() const;
    enum class Handheld {
        Done,
        NotOpen, // the port opened last is closed (or none was ever opened): nothing sent
        Failed,  // refused or unanswered; what went over or came back stays
    };
    Handheld sendToHandheld();
    Handheld readFromHandheld();
    Handheld sendMotFile(std::span<const std::uint8_t> file);

    // Why the last exchange failed when the line itself failed (empty otherwise).
    const std::string& lineError() const { return m_ctx.lineError; }
    // The line failed under a function (a pulled adapter): its port has been closed. Handed out
    // once, so that it is told once.
    std::optional<LinkReason> takeLostLine() { return std::exchange(m_lost, std::nullopt); }

private:
    // After a function on `port`: a line that failed is closed, as nothing more can go over it.
    void closeIfLineFailed(int port);

    Schnittstelle& m_ports;
    const std::uint8_t& m_sensorType;
    Qs40Context m_ctx;
    // Set after a failed attempt that had read the values: the reduced flag it ran with, as
    // only the values of that kind of update were read.
    std::optional<bool> m_held;
    std::optional<PendingDownload> m_pending;
    std::optional<LinkReason> m_lost;
};
