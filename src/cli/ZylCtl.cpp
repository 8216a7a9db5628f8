#include "ZylCtl.h"

#include "AtomicFile.h"
#include "CliLink.h"
#include "MeasurementExport.h"
#include "NuvaCtl.h"
#include "Qd20Measurement.h"
#include "Qd20ProjectFile.h"
#include "Qd20Settings.h"
#include "Qs40Ctl.h"
#include "SettingsReport.h"
#include "TextFile.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iomanip>
#include <vector>

namespace {

constexpr std::uint8_t kFirstSearchAddress = 1;
constexpr std::uint8_t kLastSearchAddress = 127;
constexpr std::uint32_t kAddressChangePauseMs = 1000;
// How long a wait may run on before it looks for Ctrl+C.
constexpr std::uint32_t kPauseStepMs = 50;
// The window's point editors step in tenths of a millimetre.
constexpr float kEditorStep = 0.1f;

// The window sends what its editors hold, and they hold every point read from the sensor on
// their step. Taken unrounded, a point converts back to one LSB less for about half of the raw
// values, so every write would move the points the file does not name.
void holdOnEditorStep(Qd20Settings& s) {
    for (float* point : {&s.SwitchPointQ1A, &s.SwitchPointQ1B, &s.SwitchPointQ2A, &s.SwitchPointQ2B,
                         &s.AnalogPoint1, &s.AnalogPoint2})
        *point = static_cast<float>(std::floor(*point / double(kEditorStep) + 0.5) * double(kEditorStep));
}

// The columns a text takes on a terminal: UTF-8 continuation bytes take none.
std::size_t terminalColumns(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

ZylCtl::ZylCtl(const CliArguments& args, DeviceProvider& provider, int com, Clock& clock, std::ostream& out,
               std::ostream& err, std::function<bool()> stopRequested)
    : m_args(args), m_provider(provider), m_com(com), m_clock(clock), m_out(out), m_err(err),
      m_texts(args.english.value_or(CliTexts::englishFromEnvironment())),
      m_stopRequested(std::move(stopRequested)) {}

bool ZylCtl::stopRequested() const {
    return m_stopRequested && m_stopRequested();
}

int ZylCtl::run() {
    switch (m_args.command) {
    case CliCommand::Ports:
        return ports();
    case CliCommand::Search:
        return search();
    case CliCommand::Read:
        return read();
    case CliCommand::Write:
        return write();
    case CliCommand::Store:
        return plainCommand('S');
    case CliCommand::Factory:
        return plainCommand('W');
    case CliCommand::SetAddress:
        return setAddress();
    case CliCommand::Poll:
        return poll();
    case CliCommand::Qs40Identify:
    case CliCommand::Qs40Read:
    case CliCommand::Qs40Write:
    case CliCommand::Qs40Copy:
    case CliCommand::Qs40Poll:
    case CliCommand::Qs40Update:
        return Qs40Ctl(m_args, m_provider, m_com, m_clock, m_out, m_err, m_texts, m_stopRequested).run();
    case CliCommand::NuvaSearch:
    case CliCommand::NuvaRead:
    case CliCommand::NuvaWrite:
    case CliCommand::NuvaField:
    case CliCommand::NuvaPoll:
    case CliCommand::NuvaLimits:
        return NuvaCtl(m_args, m_provider, m_com, m_clock, m_out, m_err, m_texts, m_stopRequested).run();
    }
    return kExitUsage;
}

bool ZylCtl::pause(std::uint32_t ms) {
    while (ms > 0 && !stopRequested()) {
        const std::uint32_t step = std::min(ms, kPauseStepMs);
        m_clock.sleepMs(step);
        ms -= step;
    }
    return !stopRequested();
}

int ZylCtl::fail(int code, std::string_view message) {
    m_err << "zylctl: " << message << '\n';
    return code;
}

std::string ZylCtl::lineFailure(const CliLink& link) const {
    return m_texts.portFailure(link.deviceReason(), link.deviceError());
}

int ZylCtl::sendError(std::string_view what) {
    if (m_link && !m_link->deviceError().empty())
        return fail(kExitSensor, lineFailure(*m_link));
    std::string message(m_texts.text(CliText::SendError));
    if (!what.empty())
        message += " (" + std::string(what) + ")";
    return fail(kExitSensor, message);
}

std::optional<int> ZylCtl::checkOutput(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    if (const auto why = AtomicFile::checkTarget(path))
        return fail(kExitUsage,
                    std::string(m_texts.text(CliText::FileUnwritable)) + " " + path + ": " + *why);
    return std::nullopt;
}

int ZylCtl::save(const std::string& path, const std::string& content, int codeOnSuccess) {
    if (const auto why = AtomicFile::write(path, content))
        return fail(kExitUsage,
                    std::string(m_texts.text(CliText::FileUnwritable)) + " " + path + ": " + *why);
    return codeOnSuccess;
}

int ZylCtl::ports() {
    // The device column is as wide as its longest entry (the demo's descriptions are long), so
    // the state always stands apart and in one column.
    constexpr std::size_t kMinDeviceColumn = 22;
    std::vector<std::pair<std::string, std::string>> rows; // device, state
    std::size_t width = kMinDeviceColumn;
    for (int com = 1; com <= Schnittstelle::kMaxPort; ++com) {
        const OpenResult opened = m_provider.open(com);
        std::string device = m_provider.describe(com);
        std::string state;
        if (opened.error == OpenError::None) {
            state = m_texts.text(CliText::Opens);
        } else {
            // The port layer names the port first ("COM 2 (/dev/ttyS1): no such device."); the
            // table already shows it.
            const std::string text = m_texts.portFailure(opened.reason, opened.message);
            std::string_view why = text;
            const std::string name = "COM " + std::to_string(com) + " (" + device + ")";
            if (why.starts_with(name)) {
                why.remove_prefix(name.size());
                if (why.starts_with(":"))
                    why.remove_prefix(1);
                while (why.starts_with(" "))
                    why.remove_prefix(1);
            }
            state = why;
        }
        width = std::max(width, terminalColumns(device));
        rows.emplace_back(std::move(device), std::move(state));
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [device, state] = rows[i];
        m_out << "COM" << std::left << std::setw(3) << i + 1 << device
              << std::string(width + 2 - terminalColumns(device), ' ') << state << '\n';
    }
    listDevices();
    return kExitOk;
}

// The devices a COM number can be put on, as the port dialog lists them: the number now on it,
// path, description, USB ids, serial number and state.
void ZylCtl::listDevices() {
    const std::vector<SerialPortInfo> devices = m_provider.listDevices();
    if (devices.empty())
        return;
    m_out << '\n' << m_texts.text(CliText::SerialDevices) << '\n';
    for (const SerialPortInfo& device : devices) {
        std::string number = "-";
        for (int com = 1; com <= Schnittstelle::kMaxPort; ++com)
            if (m_provider.devicePath(com) == device.path) {
                number = "COM" + std::to_string(com);
                break;
            }
        m_out << std::left << std::setw(6) << number << device.path;
        for (const std::string& part : {device.description, device.usbIds(), device.serialNumber})
            if (!part.empty())
                m_out << "  " << part;
        const CliText state = device.state == SerialPortInfo::State::Free    ? CliText::StateFree
                              : device.state == SerialPortInfo::State::InUse ? CliText::StateInUse
                                                                             : CliText::StateNoPermission;
        m_out << "  " << m_texts.text(state) << '\n';
    }
}

std::optional<int> ZylCtl::connect(CliLink& link, bool probeAddress) {
    switch (link.open(m_args.baud, m_args.rts, m_args.timeoutMs)) {
    case CliLink::OpenOutcome::Ok:
        break;
    case CliLink::OpenOutcome::OpenFailed:
        return fail(kExitPort, m_texts.portFailure(link.openReason(), link.openError()));
    case CliLink::OpenOutcome::Refused: {
        LinkReason refused;
        refused.code = LinkReasonCode::LineSettingRefused;
        refused.com = m_com;
        refused.device = m_provider.describe(m_com);
        refused.baud = m_args.baud;
        refused.dataBits = 8;
        return fail(kExitPort, std::string(m_texts.text(CliText::ComportError)) + ": " +
                                   refused.text(m_texts.english()));
    }
    case CliLink::OpenOutcome::Busy:
        return fail(kExitPort, m_texts.text(CliText::ComportBusy));
    }
    if (probeAddress) {
        if (!link.probe(static_cast<std::uint8_t>(*m_args.address)))
            return link.deviceError().empty() ? fail(kExitSensor, m_texts.text(CliText::NoSensor))
                                              : fail(kExitSensor, lineFailure(link));
        link.useMeasurementTimeouts();
    }
    return std::nullopt;
}

std::optional<int> ZylCtl::readSettings(CliLink& link, Qd20Settings& settings, const Qd20Variant*& variant) {
    const Qd20Result reply = link.transact(PlainRequest(static_cast<std::uint8_t>(*m_args.address), '?'));
    const auto block = reply.dataOk ? DecodeParameterBlock(reply.data) : std::nullopt;
    if (!block)
        return sendError("?");
    variant = VariantForCode(block->variantCode);
    if (!variant)
        return fail(kExitSensor, std::string(m_texts.text(CliText::UnknownVariant)) + " " +
                                     std::to_string(block->variantCode));
    settings = SettingsFromBlock(*block, *variant, Qd20Settings{});
    return std::nullopt;
}

int ZylCtl::withLink(bool probeAddress, const std::function<int(CliLink&)>& work) {
    Schnittstelle ports(m_provider, m_clock);
    CliLink link(ports, m_com, m_args.verbose ? &m_err : nullptr, m_stopRequested);
    m_link = &link;
    std::optional<int> code = connect(link, probeAddress);
    if (!code)
        code = work(link);
    m_link = nullptr;
    // Whatever failed after Ctrl+C failed because nothing more was sent.
    return stopRequested() ? kExitInterrupted : *code;
}

int ZylCtl::withSettings(const std::function<int(CliLink&, Qd20Settings&, const Qd20Variant&)>& work) {
    return withLink(true, [this, &work](CliLink& link) {
        Qd20Settings settings;
        const Qd20Variant* variant = nullptr;
        if (const auto code = readSettings(link, settings, variant))
            return *code;
        return work(link, settings, *variant);
    });
}

int ZylCtl::search() {
    return withLink(false, [this](CliLink& link) { return searchOn(link); });
}

int ZylCtl::searchOn(CliLink& link) {
    int found = 0;
    for (int address = kFirstSearchAddress; address <= kLastSearchAddress; ++address) {
        if (stopRequested())
            return kExitInterrupted;
        if (!link.probe(static_cast<std::uint8_t>(address)))
            continue;
        ++found;
        m_out << "address " << address;
        if (!m_args.all) {
            m_out << '\n';
            return kExitOk;
        }
        m_out << " variant " << variantName(link, static_cast<std::uint8_t>(address)) << std::endl;
    }
    if (found > 0)
        return kExitOk;
    return fail(kExitSensor, m_texts.text(CliText::NoSensor));
}

std::string ZylCtl::variantName(CliLink& link, std::uint8_t address) {
    const Qd20Result reply = link.transact(PlainRequest(address, '?'));
    const auto block = reply.dataOk ? DecodeParameterBlock(reply.data) : std::nullopt;
    const Qd20Variant* variant = block ? VariantForCode(block->variantCode) : nullptr;
    if (!variant)
        return "unknown";
    return std::string(VariantName(*variant));
}

int ZylCtl::read() {
    if (const auto code = checkOutput(m_args.outputFile))
        return *code;
    return withSettings([this](CliLink&, Qd20Settings& settings, const Qd20Variant& variant) {
        return readOn(settings, variant);
    });
}

int ZylCtl::readOn(const Qd20Settings& settings, const Qd20Variant& variant) {
    m_out << SettingsReport(settings, variant);
    if (!m_args.outputFile.empty())
        return save(m_args.outputFile, Qd20ProjectFile::serialize(settings), kExitOk);
    return kExitOk;
}

int ZylCtl::write() {
    // The file is checked before the port is touched: a bad file sends nothing.
    const auto file = TextFile::read(m_args.projectFile, Qd20ProjectFile::kMaxFileBytes);
    const std::string where = " " + m_args.projectFile;
    if (file.error == TextFile::ReadError::Unreadable)
        return fail(kExitUsage,
                    std::string(m_texts.text(CliText::FileUnreadable)) + where + ": " + file.reason);
    const auto loaded = Qd20ProjectFile::parse(file.content);
    if (file.error == TextFile::ReadError::TooLarge || loaded.status == Qd20ProjectFile::LoadStatus::TooLarge)
        return fail(kExitUsage, std::string(m_texts.text(CliText::FileTooLarge)) + where);
    switch (loaded.status) {
    case Qd20ProjectFile::LoadStatus::Ok:
        break;
    case Qd20ProjectFile::LoadStatus::NoKeyFound:
        return fail(kExitUsage, std::string(m_texts.text(CliText::NoKeyInFile)) + where);
    case Qd20ProjectFile::LoadStatus::MissingValueLine:
    case Qd20ProjectFile::LoadStatus::BadValue:
        // A value that cannot be read is never sent as some other value.
        return fail(kExitUsage, std::string(m_texts.text(CliText::FileError)) + where + ":" +
                                    std::to_string(loaded.errorLine) + " " + loaded.errorKey);
    case Qd20ProjectFile::LoadStatus::TooLarge:
        break;
    }

    // Hold and lowlight are not in the file: they keep what the sensor has.
    return withSettings([this, &loaded](CliLink& link, Qd20Settings& settings, const Qd20Variant& variant) {
        holdOnEditorStep(settings);
        Qd20ProjectFile::apply(loaded.assignments, settings, variant);
        return writeOn(link, settings, variant);
    });
}

int ZylCtl::writeOn(CliLink& link, const Qd20Settings& settings, const Qd20Variant& variant) {
    const auto address = static_cast<std::uint8_t>(*m_args.address);
    const Qd20WriteAllResult written = SendAll(link.sender(), address, settings, variant);
    if (!written.ok)
        return sendError(written.failed ? m_texts.groupName(*written.failed) : std::string_view{});
    if (m_args.store && !link.transact(PlainRequest(address, 'S')).dataOk)
        return sendError("S");
    return kExitOk;
}

int ZylCtl::plainCommand(char command) {
    return withLink(true, [this, command](CliLink& link) {
        if (!link.transact(PlainRequest(static_cast<std::uint8_t>(*m_args.address), command)).dataOk)
            return sendError(std::string(1, command));
        return kExitOk;
    });
}

int ZylCtl::setAddress() {
    return withLink(true, [this](CliLink& link) { return setAddressOn(link); });
}

int ZylCtl::setAddressOn(CliLink& link) {
    const auto newAddress = static_cast<std::uint8_t>(m_args.newAddress);
    // Two sensors on one address could no longer be told apart: whatever answers there, the
    // sensor stays where it is.
    const Qd20Result there = link.transact(PlainRequest(newAddress, 'A'));
    if (there.dataOk || there.status == Qd20Status::Bytes)
        return fail(kExitSensor, std::string(m_texts.text(CliText::AddressInUse)) + " " +
                                     std::to_string(m_args.newAddress));
    if (!link.deviceError().empty())
        return sendError();
    if (!link.transact(AddressChangeRequest(static_cast<std::uint8_t>(*m_args.address), newAddress)).dataOk)
        return sendError("L");
    // The sensor takes a moment to come back under its new address, and it has to.
    if (!pause(kAddressChangePauseMs))
        return kExitInterrupted;
    if (!link.transact(PlainRequest(newAddress, 'A')).dataOk)
        return sendError("L");
    m_out << "address " << m_args.newAddress << '\n';
    return kExitOk;
}

int ZylCtl::poll() {
    if (const auto code = checkOutput(m_args.csvFile))
        return *code;
    return withSettings(
        [this](CliLink& link, Qd20Settings&, const Qd20Variant& variant) { return pollOn(link, variant); });
}

int ZylCtl::pollOn(CliLink& link, const Qd20Variant& variant) {
    const auto address = static_cast<std::uint8_t>(*m_args.address);
    std::vector<std::uint16_t> samples;
    samples.reserve(static_cast<std::size_t>(m_args.count));
    int missed = 0;
    const std::uint64_t start = m_clock.nowMs();
    bool interrupted = false;
    for (int i = 0; i < m_args.count && !(interrupted = stopRequested()); ++i) {
        const std::uint64_t due = start + static_cast<std::uint64_t>(i) * m_args.intervalMs;
        if (const std::uint64_t now = m_clock.nowMs();
            now < due && !pause(static_cast<std::uint32_t>(due - now)))
            continue; // ends the loop
        const Qd20Result reply = link.transact(PlainRequest(address, m_args.pollCommand));
        if (!reply.deviceError.empty()) {
            // The port is gone: every further poll would only fail the same way.
            m_err << "zylctl: " << lineFailure(link) << '\n';
            ++missed;
            break;
        }
        const auto measurement = reply.dataOk ? DecodeMeasurement(reply.data) : std::nullopt;
        if (!measurement) {
            ++missed;
            m_err << "zylctl: " << m_texts.text(CliText::NotAnswered) << ' ' << (i + 1) << '\n';
            continue;
        }
        samples.push_back(measurement->value);
        m_out << measurement->value << ';'
              << MeasurementExport::formatOneDecimal(ToMillimetresInt(measurement->value, variant))
              << std::endl;
    }
    const int code = interrupted ? kExitInterrupted : missed == 0 ? kExitOk : kExitSensor;
    if (!m_args.csvFile.empty())
        return save(m_args.csvFile, MeasurementExport::toCsv(samples, variant), code);
    return code;
}
