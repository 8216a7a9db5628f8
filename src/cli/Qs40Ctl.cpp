#include "Qs40Ctl.h"

#include "AtomicFile.h"
#include "Clock.h"
#include "SRecordImage.h"
#include "TextFile.h"
#include "ZylCtl.h"

#include <span>

namespace {

// An S-record image of the full 1025 pages takes well under a megabyte; anything far beyond
// that is no image and is not read into memory.
constexpr std::size_t kMaxImageBytes = 8 * 1024 * 1024;

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

} // namespace

Qs40Ctl::Qs40Ctl(const CliArguments& args, DeviceProvider& provider, int com, Clock& clock, std::ostream& out,
                 std::ostream& err, const CliTexts& texts, std::function<bool()> stopRequested)
    : m_args(args), m_com(com), m_out(out), m_err(err), m_texts(texts),
      m_stopRequested(std::move(stopRequested)), m_progress(m_stopRequested), m_tracing(provider, err),
      m_ports(args.verbose ? static_cast<DeviceProvider&>(m_tracing) : provider, clock),
      m_session(m_ports, m_typePort, m_sensorType, m_params) {}

Qs40Ctl::~Qs40Ctl() {
    m_session.disconnect();
}

int Qs40Ctl::run() {
    switch (m_args.command) {
    case CliCommand::Qs40Identify:
        return identify();
    case CliCommand::Qs40Read:
        return read();
    case CliCommand::Qs40Write:
        return write(false);
    case CliCommand::Qs40Copy:
        return write(true);
    case CliCommand::Qs40Poll:
        return poll();
    case CliCommand::Qs40Update:
        return update();
    default:
        return ZylCtl::kExitUsage;
    }
}

int Qs40Ctl::fail(int code, std::string_view message) {
    m_err << "zylctl: " << message << '\n';
    return code;
}

int Qs40Ctl::failText(int code, CliText text, std::string_view detail) {
    std::string message(m_texts.text(text));
    if (!detail.empty())
        message += " (" + std::string(detail) + ")";
    return fail(code, message);
}

std::string Qs40Ctl::lineFailure() {
    if (m_session.lineError().empty())
        return {};
    return m_texts.portFailure(m_session.takeLostLine().value_or(LinkReason{}), m_session.lineError());
}

std::optional<int> Qs40Ctl::connect() {
    const int first = m_args.portGiven ? m_com : 1;
    const int last = m_args.portGiven ? m_com : Qs40Session::kLastSearchedPort;
    if (m_session.search(&m_progress, first, last, m_args.timeoutMs) == Qs40Session::Connect::Connected)
        return std::nullopt;
    if (m_progress.stopRequested())
        return ZylCtl::kExitInterrupted;
    // On the one line the user named, a port that does not open is a port error; during the
    // search over all ports most of them are simply not there.
    if (m_args.portGiven && m_ports.lastOpenReason())
        return fail(ZylCtl::kExitPort,
                    m_texts.portFailure(m_ports.lastOpenReason(), m_ports.lastOpenError()));
    // A line lost on the way is named beside the result, as the window does.
    std::string lost;
    if (const auto why = m_session.takeLostLine())
        lost = m_texts.portFailure(*why, why->english());
    return failText(ZylCtl::kExitSensor, CliText::Qs40NotFound, lost);
}

int Qs40Ctl::identify() {
    if (const auto code = connect())
        return *code;
    m_out << "port: COM" << m_session.PortNumber() << '\n'
          << "sensor: " << Qs40Session::sensorName(m_session.sensorType()) << '\n'
          << "identification: " << withoutLineEnd(m_ports.IdentReply) << '\n'
          << "generation: " << (m_ports.OldProtocol ? "old" : "new") << '\n';
    return ZylCtl::kExitOk;
}

int Qs40Ctl::read() {
    if (const auto code = connect())
        return *code;
    if (!m_session.readParameters(&m_progress))
        return failText(ZylCtl::kExitSensor, CliText::Qs40ReadError, lineFailure());
    for (int n = 1; n <= Qs40ParameterSet::kSwitchPoints; ++n) {
        const auto i = static_cast<std::size_t>(n);
        m_out << "switch point " << n << ": " << m_params.SwitchL[i] << " mm\n"
              << "hysteresis " << n << ": " << m_params.SwitchH[i] << " mm\n";
    }
    m_out << "energy far: " << m_params.LimitEN << '\n'
          << "energy near: " << m_params.LimitEF << '\n'
          << "distance near/far: " << m_params.LimitDT << '\n'
          << "near zone: " << m_params.LimitND << '\n';
    if (m_args.outputFile.empty())
        return ZylCtl::kExitOk;
    if (const auto why = AtomicFile::write(m_args.outputFile, m_session.projectFile()))
        return fail(ZylCtl::kExitUsage, std::string(m_texts.text(CliText::FileUnwritable)) + " " +
                                            m_args.outputFile + ": " + *why);
    return ZylCtl::kExitOk;
}

std::optional<SpiFile::Parsed> Qs40Ctl::loadProjectFile() {
    const std::string& path = m_args.projectFile;
    const SpiFile::ReadResult file = SpiFile::readFile(path);
    if (file.error != SpiFile::ReadError::None) {
        fail(ZylCtl::kExitUsage, std::string(m_texts.text(CliText::FileUnreadable)) + " " + path);
        return std::nullopt;
    }
    SpiFile::Parsed parsed = SpiFile::parse(file.content);
    // The window would write what an incomplete file left of the sensor's points; a command
    // line has nobody to look at them first, so such a file sends nothing.
    if (!parsed.complete()) {
        fail(ZylCtl::kExitUsage, std::string(m_texts.text(CliText::Qs40FileError)) + " " + path);
        return std::nullopt;
    }
    if (parsed.sensorType && *parsed.sensorType != Qs40Session::kTypeMntb) {
        // The sensor found is always a QS40MNTB: a file of the other kind is not for it.
        const bool known = *parsed.sensorType == Qs40Session::kTypeMntd;
        fail(ZylCtl::kExitUsage,
             std::string(m_texts.text(known ? CliText::Qs40OtherType : CliText::Qs40UnknownType)) + " " +
                 path);
        return std::nullopt;
    }
    return parsed;
}

int Qs40Ctl::write(bool copy) {
    const auto file = loadProjectFile();
    if (!file)
        return ZylCtl::kExitUsage;
    if (const auto code = connect())
        return *code;
    m_session.load(*file, [] { return false; });
    // What the window's drawing does to every loaded set before it can be sent: hystereses of
    // at least 100 mm, switch-off points within the range.
    m_session.geometry().applyLimits(m_session.switchL(), m_session.switchH());
    const bool ok = copy ? m_session.copyParameters(&m_progress) : m_session.writeSwitchPoints(&m_progress);
    if (!ok)
        return failText(ZylCtl::kExitSensor, CliText::Qs40SendError, lineFailure());
    return ZylCtl::kExitOk;
}

int Qs40Ctl::poll() {
    if (const auto code = connect())
        return *code;
    Clock& clock = m_ports.clock();
    const std::uint64_t start = clock.nowMs();
    int missed = 0;
    for (int i = 0; i < m_args.count; ++i) {
        if (m_progress.stopRequested())
            return ZylCtl::kExitInterrupted;
        const std::uint64_t due = start + static_cast<std::uint64_t>(i) * m_args.intervalMs;
        if (const std::uint64_t now = clock.nowMs(); now < due)
            clock.sleepMs(static_cast<std::uint32_t>(due - now));
        if (!m_session.readMeasurement()) {
            ++missed;
            // A port that is gone would only fail the same way for every sample left.
            if (!m_session.lineError().empty())
                return fail(ZylCtl::kExitSensor, lineFailure());
            m_err << "zylctl: " << m_texts.text(CliText::Qs40ReadError) << ' ' << (i + 1) << '\n';
            continue;
        }
        m_out << m_params.MeasDistance << ';' << m_params.MeasEnergy << ';' << m_params.MeasState
              << std::endl;
    }
    return missed == 0 ? ZylCtl::kExitOk : ZylCtl::kExitSensor;
}

int Qs40Ctl::update() {
    // The whole image is checked before the sensor is touched: a bad file never leaves a
    // sensor half-way into its loader.
    const std::string& path = m_args.projectFile;
    const TextFile::ReadResult file = TextFile::read(path, kMaxImageBytes);
    if (file.error == TextFile::ReadError::Unreadable)
        return fail(ZylCtl::kExitUsage,
                    std::string(m_texts.text(CliText::FileUnreadable)) + " " + path + ": " + file.reason);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.content.data()),
                                              file.content.size());
    const SRecordImage image = file.error == TextFile::ReadError::TooLarge
                                   ? SRecordImage{SRecordError::TooLarge, 0, {}, {}}
                                   : ReadSRecordImage(bytes);
    if (image.error != SRecordError::None) {
        return fail(ZylCtl::kExitUsage, std::string(m_texts.text(CliText::Qs40BadImage)) + " " + path + ": " +
                                            m_texts.imageFault(image));
    }
    if (const auto code = connect())
        return *code;
    // Ctrl+C is not taken during the update: a loader left half-way leaves a sensor without
    // firmware.
    const Qs40UpdateResult result =
        m_session.firmwareUpdate(bytes, m_args.reduced, [this](std::size_t page, std::size_t pages) {
            m_err << "page " << page << '/' << pages << std::endl;
        });
    if (result.code != 0) {
        const std::string lost = lineFailure();
        return failText(ZylCtl::kExitSensor, CliText::Qs40UpdateFailed,
                        std::to_string(result.code) + (lost.empty() ? "" : ", " + lost));
    }
    return ZylCtl::kExitOk;
}
