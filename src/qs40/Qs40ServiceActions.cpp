#include "Qs40ServiceActions.h"

#include "Schnittstelle.h"

Qs40ServiceActions::Qs40ServiceActions(Schnittstelle& ports, const std::array<std::uint8_t, 256>& typePort,
                                       const std::uint8_t& sensorType, Qs40ParameterSet& params)
    : m_ports(ports), m_sensorType(sensorType), m_ctx(ports, typePort, params) {}

Qs40UpdateResult Qs40ServiceActions::firmwareUpdate(std::optional<std::span<const std::uint8_t>> imageFile,
                                                    bool reduced, const Qs40PageReport& onPage,
                                                    Progress* between) {
    // Values read for a reduced update lack the switch points and limits a complete one needs.
    const bool valuesHeld = m_held == reduced;
    const int port = m_ctx.port();
    std::optional<PendingDownload> resume;
    if (const SerialDevice* device = m_ports.device(port); device && m_ports.isOpen(port))
        resume = PendingDownload{port, reduced, device->settings(), device->timeouts()};
    m_ctx.clearLineError();
    m_ctx.progress = between;
    const Qs40UpdateResult result =
        Qs40FirmwareUpdate(m_ctx, m_sensorType, imageFile, reduced, onPage, valuesHeld);
    m_ctx.progress = nullptr;
    // A download is only attempted after the values were read (or with held ones). When it or a
    // later step failed, the sensor may have lost them: keep them for the next attempt.
    const bool valuesOnlyHere = result.download && (*result.download == Qs40DownloadResult::NoAnswer ||
                                                    *result.download == Qs40DownloadResult::Done);
    if (result.code == 0)
        m_held.reset();
    else if (valuesOnlyHere)
        m_held = reduced;
    // Without an open port nothing went over and what was pending still is.
    if (resume)
        m_pending = !m_ctx.lineError.empty() && m_held ? resume : std::nullopt;
    closeIfLineFailed(port);
    return result;
}

bool Qs40ServiceActions::setUserMode() {
    const bool ok = Qs40Sum(m_ctx, m_sensorType);
    closeIfLineFailed(m_ctx.port());
    return ok;
}

void Qs40ServiceActions::closeIfLineFailed(int port) {
    if (m_ctx.lineError.empty())
        return;
    m_lost = m_ctx.lineReason;
    m_ports.ClosePort(port);
}

bool Qs40ServiceActions::handheldOpen() const {
    return m_ports.isOpen(m_ports.LastOpenedPort);
}

Qs40ServiceActions::Handheld Qs40ServiceActions::sendToHandheld() {
    m_ctx.clearLineError();
    if (!handheldOpen())
        return Handheld::NotOpen;
    const bool ok = Qs40SendToHandheld(m_ctx, m_sensorType);
    closeIfLineFailed(m_ports.LastOpenedPort);
    return ok ? Handheld::Done : Handheld::Failed;
}

Qs40ServiceActions::Handheld Qs40ServiceActions::readFromHandheld() {
    m_ctx.clearLineError();
    if (!handheldOpen())
        return Handheld::NotOpen;
    const bool ok = Qs40ReadFromHandheld(m_ctx);
    closeIfLineFailed(m_ports.LastOpenedPort);
    return ok ? Handheld::Done : Handheld::Failed;
}

Qs40ServiceActions::Handheld Qs40ServiceActions::sendMotFile(std::span<const std::uint8_t> file) {
    m_ctx.clearLineError();
    if (!handheldOpen())
        return Handheld::NotOpen;
    const bool ok = Qs40SendMotFile(m_ctx, file);
    closeIfLineFailed(m_ports.LastOpenedPort);
    return ok ? Handheld::Done : Handheld::Failed;
}
