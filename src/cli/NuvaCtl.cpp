#include "NuvaCtl.h"

#include "AtomicFile.h"
#include "Clock.h"
#include "MeasurementExport.h"
#include "NuvaProjectFile.h"
#include "TextFile.h"
#include "ZylCtl.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A project file of the window is well under a kilobyte.
constexpr std::size_t kMaxProjectBytes = 64 * 1024;
// How long a wait between polls may run on before it looks for Ctrl+C.
constexpr std::uint64_t kPauseStepMs = 50;
// The distance export holds the link word of each poll: millimetres, one column.
constexpr std::string_view kCsvHeader = "Abstand [mm]";

// The names printed by read and limits, in the order of the sensor's words; they do not
// depend on --lang, so scripts can read them.
constexpr std::array<std::string_view, kNuvaFieldCount> kFieldNames{"straight", "right", "left", "full area"};
constexpr std::array<std::string_view, kNuvaHysteresisCount> kPointNames{"near 1", "near 2", "far 1",
                                                                         "far 2"};
constexpr std::array<std::string_view, kNuvaLimitCount> kLimitNames{
    "hysteresis count", "hysteresis level", "minimum count", "minimum level 1",
    "minimum level 2",  "minimum level 3",  "threshold 1",   "threshold 2"};

// The mismatch mask as the window shows it: eight hexadecimal digits.
std::string maskText(std::uint32_t mask) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", mask);
    return text;
}

std::string_view sensorName(int type) {
    return type == kNuvaTypeMntd ? "QS40MNTD" : "QS40MNTB";
}

} // namespace

NuvaCtl::NuvaCtl(const CliArguments& args, DeviceProvider& provider, int com, Clock& clock, std::ostream& out,
                 std::ostream& err, const CliTexts& texts, std::function<bool()> stopRequested)
    : m_args(args), m_com(com), m_out(out), m_err(err), m_texts(texts), m_progress(std::move(stopRequested)),
      m_tracing(provider, err),
      m_ports(args.verbose ? static_cast<DeviceProvider&>(m_tracing) : provider, clock),
      m_session(m_ports, m_typePort, m_qs40) {
    m_session.options.slave = args.slave;
    m_session.options.master = args.master;
}

NuvaCtl::~NuvaCtl() {
    m_session.disconnect();
}

int NuvaCtl::run() {
    switch (m_args.command) {
    case CliCommand::NuvaSearch:
        return search();
    case CliCommand::NuvaRead:
        return read();
    case CliCommand::NuvaWrite:
        return write();
    case CliCommand::NuvaField:
        return field();
    case CliCommand::NuvaPoll:
        return poll();
    case CliCommand::NuvaLimits:
        return limits();
    default:
        return ZylCtl::kExitUsage;
    }
}

int NuvaCtl::fail(int code, std::string_view message) {
    m_err << "zylctl: " << message << '\n';
    return code;
}

std::string NuvaCtl::lineFailure() {
    if (m_session.lineError().empty())
        return {};
    return m_texts.portFailure(m_session.takeLostLine().value_or(LinkReason{}), m_session.lineError());
}

int NuvaCtl::failExchange(CliText text, std::string_view detail) {
    if (!m_session.lineError().empty())
        return fail(ZylCtl::kExitSensor, lineFailure());
    std::string message(m_texts.text(text));
    if (!detail.empty())
        message += " " + std::string(detail);
    return fail(ZylCtl::kExitSensor, message);
}

std::optional<int> NuvaCtl::checkOutput(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    if (const auto why = AtomicFile::checkTarget(path))
        return fail(ZylCtl::kExitUsage,
                    std::string(m_texts.text(CliText::FileUnwritable)) + " " + path + ": " + *why);
    return std::nullopt;
}

int NuvaCtl::save(const std::string& path, std::string_view content, int codeOnSuccess) {
    if (const auto why = AtomicFile::write(path, content))
        return fail(ZylCtl::kExitUsage,
                    std::string(m_texts.text(CliText::FileUnwritable)) + " " + path + ": " + *why);
    return codeOnSuccess;
}

bool NuvaCtl::pause(std::uint64_t ms) {
    Clock& clock = m_ports.clock();
    while (ms > 0 && !m_progress.stopRequested()) {
        const std::uint64_t step = std::min(ms, kPauseStepMs);
        clock.sleepMs(static_cast<std::uint32_t>(step));
        ms -= step;
    }
    return !m_progress.stopRequested();
}

std::optional<int> NuvaCtl::connect() {
    NuvaSession::SearchLines lines;
    if (m_args.portGiven)
        lines.firstPort = lines.lastPort = m_com;
    if (m_args.timeoutGiven)
        lines.readTimeoutMs = m_args.timeoutMs;
    if (m_session.search(&m_progress, lines).sensorType != 0)
        return std::nullopt;
    if (m_progress.stopRequested())
        return ZylCtl::kExitInterrupted;
    // On the one line the user named, a port that does not open is a port error; during the
    // search over all ports most of them are simply not there.
    if (m_args.portGiven && m_ports.lastOpenReason())
        return fail(ZylCtl::kExitPort,
                    m_texts.portFailure(m_ports.lastOpenReason(), m_ports.lastOpenError()));
    // A line lost on the way is named beside the result, as the window does.
    std::string message(m_texts.text(CliText::NuvaNotFound));
    if (const auto why = m_session.takeLostLine())
        message += " (" + m_texts.portFailure(*why, why->english()) + ")";
    return fail(ZylCtl::kExitSensor, message);
}

int NuvaCtl::search() {
    if (const auto code = connect())
        return *code;
    m_out << "port: COM" << m_session.portNumber() << '\n'
          << "sensor: " << sensorName(m_session.connectedType()) << '\n'
          << "version: " << m_session.sensorVersion() << '\n';
    return ZylCtl::kExitOk;
}

int NuvaCtl::read() {
    if (const auto code = checkOutput(m_args.outputFile))
        return *code;
    if (const auto code = connect())
        return *code;
    const NuvaSession::ReadResult r = m_session.read();
    if (!r.ok)
        return failExchange(CliText::NuvaReadError);
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        m_out << kFieldNames[k / 4] << ' ' << kPointNames[k % 4] << ": " << r.values.points[k] << " mm\n";
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        m_out << "hysteresis " << kPointNames[k] << ": " << r.values.hysteresis[k] << " mm\n";
    if (r.nearSwitch)
        m_out << "near-range switch-off: "
              << (!r.nearSwitch->present ? "none"
                  : r.nearSwitch->active ? "active"
                                         : "inactive")
              << '\n';
    if (m_args.outputFile.empty())
        return ZylCtl::kExitOk;
    // The file holds what the window saves after a read: the points as its editors took them.
    NuvaProjectValues values;
    std::copy(r.values.points.begin(), r.values.points.end(), values.points.begin());
    const std::array<long long, kNuvaSwitchPointCount> points = pointsOnScale(values.points);
    std::copy(points.begin(), points.end(), values.points.begin());
    std::copy(r.values.hysteresis.begin(), r.values.hysteresis.end(), values.hysteresis.begin());
    return save(m_args.outputFile, NuvaProjectFileText(values, m_texts.english()), ZylCtl::kExitOk);
}

std::array<long long, kNuvaSwitchPointCount>
NuvaCtl::pointsOnScale(const std::array<double, kNuvaSwitchPointCount>& points) const {
    const int end = NuvaSession::maxDistance(m_session.connectedType());
    std::array<long long, kNuvaSwitchPointCount> onScale{};
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        onScale[k] = NuvaSession::pointOnScale(points[k], end);
    return onScale;
}

std::optional<NuvaProjectValues> NuvaCtl::loadProjectFile() {
    const std::string& path = m_args.projectFile;
    const TextFile::ReadResult file = TextFile::read(path, kMaxProjectBytes);
    if (file.error == TextFile::ReadError::Unreadable) {
        fail(ZylCtl::kExitUsage,
             std::string(m_texts.text(CliText::FileUnreadable)) + " " + path + ": " + file.reason);
        return std::nullopt;
    }
    if (file.error == TextFile::ReadError::TooLarge) {
        fail(ZylCtl::kExitUsage, std::string(m_texts.text(CliText::FileTooLarge)) + " " + path);
        return std::nullopt;
    }
    const NuvaProjectLoad load = NuvaReadProjectFile(file.content);
    const std::string fileError = std::string(m_texts.text(CliText::Qs40FileError)) + " " + path;
    if (load.status == NuvaProjectLoad::Status::NotQs40File) {
        fail(ZylCtl::kExitUsage, std::string(m_texts.text(CliText::NuvaNoFile)) + " " + path);
        return std::nullopt;
    }
    if (load.status == NuvaProjectLoad::Status::BadNumber) {
        fail(ZylCtl::kExitUsage, fileError + ":" + std::to_string(load.badLine));
        return std::nullopt;
    }
    // The window would send what a skipped section left in its editors; a command line has
    // nobody to look at them first, so such a file sends nothing.
    if (const std::string_view missing = load.missingSection(); !missing.empty()) {
        fail(ZylCtl::kExitUsage, fileError + ": " + std::string(missing));
        return std::nullopt;
    }
    NuvaProjectValues values;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        values.points[k] = *load.points[k];
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        values.hysteresis[k] = *load.hysteresis[k];
    return values;
}

int NuvaCtl::write() {
    const auto values = loadProjectFile();
    if (!values)
        return ZylCtl::kExitUsage;
    if (const auto code = connect())
        return *code;
    // The window sends what its editors hold, and they put every point on the scale of the
    // sensor found.
    const NuvaSession::WriteResult r =
        m_session.write(pointsOnScale(values->points), values->hysteresis, nullptr, !m_args.noStore);
    // As the window reports it: the points the sensor did not take as a mask, bit k for word k
    // of the read-back.
    if (!r.transferred())
        return failExchange(CliText::NuvaTransferError, maskText(r.mismatch));
    if (!m_args.noStore && !r.stored)
        return failExchange(CliText::NuvaTransferError);
    return ZylCtl::kExitOk;
}

int NuvaCtl::field() {
    if (const auto code = connect())
        return *code;
    // The window offers the field selection only for the sensor with four fields.
    if (m_session.connectedType() != kNuvaTypeMntd)
        return fail(ZylCtl::kExitSensor, m_texts.text(CliText::NuvaOneField));
    if (!m_session.selectField(m_args.field))
        return failExchange(CliText::NuvaTransferError);
    return ZylCtl::kExitOk;
}

int NuvaCtl::poll() {
    if (const auto code = checkOutput(m_args.csvFile))
        return *code;
    if (const auto code = connect())
        return *code;
    Clock& clock = m_ports.clock();
    std::vector<int> samples;
    samples.reserve(static_cast<std::size_t>(m_args.count));
    int missed = 0;
    bool interrupted = false;
    const std::uint64_t start = clock.nowMs();
    for (int i = 0; i < m_args.count; ++i) {
        const std::uint64_t due = start + static_cast<std::uint64_t>(i) * m_args.intervalMs;
        const std::uint64_t now = clock.nowMs();
        if ((interrupted = !pause(now < due ? due - now : 0)))
            break;
        const NuvaSession::Poll p = m_session.poll();
        if (!p.ok) {
            ++missed;
            // A port that is gone would only fail the same way every time.
            if (!m_session.lineError().empty()) {
                fail(ZylCtl::kExitSensor, lineFailure());
                break;
            }
            m_err << "zylctl: " << m_texts.text(CliText::NuvaReadError) << ' ' << (i + 1) << '\n';
            continue;
        }
        samples.push_back(p.distance);
        m_out << p.distance << std::endl;
    }
    const int code = interrupted   ? ZylCtl::kExitInterrupted
                     : missed == 0 ? ZylCtl::kExitOk
                                   : ZylCtl::kExitSensor;
    if (m_args.csvFile.empty())
        return code;
    const std::string_view lineEnd = MeasurementExport::lineEndText(MeasurementExport::platformLineEnd());
    std::string csv = std::string(kCsvHeader) + std::string(lineEnd);
    for (int mm : samples)
        csv += std::to_string(mm) + std::string(lineEnd);
    return save(m_args.csvFile, csv, code);
}

int NuvaCtl::limits() {
    if (const auto code = connect())
        return *code;
    const bool set = !m_args.limitSet.empty();
    std::array<long long, kNuvaLimitCount> wanted{};
    if (set) {
        std::copy_n(m_args.limitSet.begin(), std::min(m_args.limitSet.size(), wanted.size()), wanted.begin());
        // The near-range switch-off stays as it is: "5" and the EEPROM store, nothing else.
        if (!m_session.writeLimits(wanted, std::nullopt).ok)
            return failExchange(CliText::NuvaTransferError);
    }
    const auto limits = m_session.readLimits();
    if (!limits)
        return failExchange(CliText::NuvaReadError);
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
        m_out << kLimitNames[k] << ": " << (*limits)[k] << '\n';
    if (!set)
        return ZylCtl::kExitOk;
    // What the sensor reports afterwards is what counts: a value it did not take is a failed
    // write, marked in the mask as the window marks switch points.
    std::uint32_t mismatch = 0;
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
        if ((*limits)[k] != wanted[k])
            mismatch |= 1u << k;
    if (mismatch != 0)
        return failExchange(CliText::NuvaTransferError, maskText(mismatch));
    return ZylCtl::kExitOk;
}
