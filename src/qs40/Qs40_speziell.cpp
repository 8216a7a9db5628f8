#include "Qs40_speziell.h"

#include "Qs40TextLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr std::int32_t kDefaultHysteresis = 300;
constexpr std::int32_t kDefaultDistance = 2000;
constexpr int kReadProgressPerPoint = 8;
constexpr int kWriteProgressPerPoint = 16;
constexpr std::size_t kMeasurementReplyMax = 60;
constexpr std::size_t kRestartChatterMax = 49;
constexpr std::int32_t kCurveFirstAddress = 128;
constexpr std::int32_t kHandheldMax = 9999;

std::string numbered(const char* command, long value) {
    return command + std::to_string(value);
}

std::string pointRequest(const char* command, int n, std::int32_t value) {
    return command + std::to_string(n) + " " + std::to_string(value);
}

void advance(Qs40Context& ctx, int by) {
    if (ctx.progress)
        ctx.progress->advance(by);
}

// The end of every operation: a failed line makes the operation fail and says why.
bool finish(Qs40Context& ctx, Qs40TextLine& line, bool ok) {
    if (line.broken()) {
        ctx.lineFailed(line.device());
        return false;
    }
    return ok;
}

enum class Answer { Taken, Refused, Failed };

// Sends a request whose reply is text ended by LF, and hands over that text.
Answer requestLine(Qs40TextLine& line, const std::string& request, std::string& text) {
    line.send(request);
    Qs40TextReply reply = line.readText();
    if (reply.end == Qs40ReplyEnd::Refused)
        return Answer::Refused;
    if (reply.end != Qs40ReplyEnd::Line)
        return Answer::Failed;
    text = std::move(reply.text);
    return Answer::Taken;
}

// A value request: the reply must carry a number.
Answer requestValue(Qs40TextLine& line, const std::string& request, std::int32_t& target) {
    std::string text;
    if (const Answer a = requestLine(line, request, text); a != Answer::Taken)
        return a;
    std::size_t pos = 0;
    const auto value = ParseQs40Int(text, pos);
    if (!value)
        return Answer::Failed;
    target = *value;
    return Answer::Taken;
}

bool isDigits(std::string_view text) {
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// A reply of four fixed digits. A shorter one still counts as answered, but leaves the value
// alone.
Answer requestFourDigits(Qs40TextLine& line, const std::string& request, std::int32_t& target) {
    std::string text;
    if (const Answer a = requestLine(line, request, text); a != Answer::Taken)
        return a;
    if (text.size() < 4)
        return Answer::Taken;
    const std::string_view digits = std::string_view(text).substr(0, 4);
    if (!isDigits(digits))
        return Answer::Failed;
    target = std::stoi(std::string(digits));
    return Answer::Taken;
}

bool requestAck(Qs40TextLine& line, const std::string& request, bool purge, bool ackOnly = false) {
    if (purge)
        line.purgeBoth();
    line.send(request);
    return line.acknowledged(ackOnly);
}

// A series of acknowledged requests that ends at the first refusal.
template <typename Requests> bool requestAcks(Qs40TextLine& line, const Requests& requests, bool purge) {
    for (const std::string& request : requests)
        if (!requestAck(line, request, purge))
            return false;
    return true;
}

} // namespace

SerialDevice* Qs40Prepare(Qs40Context& ctx, std::uint8_t sensorType) {
    ctx.clearLineError();
    const int com = ctx.port();
    if (!ctx.ports.isOpen(com) || sensorType != kQs40SensorType || !ctx.ports.device(com))
        return nullptr;
    ctx.ports.SyncLine(com);
    return ctx.ports.device(com);
}

namespace {

// Runs `body` on the line of `device`; no device (the guard said no) means failure.
template <typename Body> bool onLine(Qs40Context& ctx, SerialDevice* device, Body&& body) {
    if (!device)
        return false;
    Qs40TextLine line(*device, ctx.ports.clock());
    const bool ok = body(line);
    return finish(ctx, line, ok);
}

template <typename Body> bool onSensor(Qs40Context& ctx, std::uint8_t sensorType, Body&& body) {
    return onLine(ctx, Qs40Prepare(ctx, sensorType), body);
}

} // namespace

bool Qs40ReadSwitchPoints(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        const bool newProtocol = ctx.ports.NewProtocol;
        Qs40ParameterSet& p = ctx.params;
        bool ok = true;
        for (int n = 1; n <= Qs40ParameterSet::kSwitchPoints && !line.broken(); ++n) {
            advance(ctx, kReadProgressPerPoint);
            if (newProtocol) {
                const Answer a = requestValue(line, numbered("GH", n), p.SwitchH[n]);
                if (a == Answer::Refused)
                    p.SwitchH[n] = kDefaultHysteresis;
                ok = ok && a == Answer::Taken;
            }
            const Answer a = requestFourDigits(line, numbered(newProtocol ? "GL" : "?L", n), p.SwitchL[n]);
            if (a == Answer::Refused)
                p.SwitchL[n] = kDefaultDistance;
            ok = ok && a == Answer::Taken;
        }
        return ok;
    });
}

bool Qs40WriteSwitchPoints(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        const bool newProtocol = ctx.ports.NewProtocol;
        bool ok = true;
        for (int n = 1; n <= Qs40ParameterSet::kSwitchPoints && ok; ++n) {
            advance(ctx, kWriteProgressPerPoint);
            if (newProtocol || n == 1)
                ok = requestAck(line, pointRequest("IH", n, ctx.params.SwitchH[n]), true);
            ok = ok && requestAck(line, pointRequest("IL", n, ctx.params.SwitchL[n]), true);
        }
        return ok;
    });
}

bool Qs40ReadLimits(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        Qs40ParameterSet& p = ctx.params;
        const std::pair<const char*, std::int32_t*> limits[] = {
            {"GEN", &p.LimitEN}, {"GEF", &p.LimitEF}, {"GDT", &p.LimitDT}, {"GND", &p.LimitND}};
        for (const auto& [request, target] : limits) {
            line.purgeBoth();
            if (requestValue(line, request, *target) != Answer::Taken)
                return false;
        }
        return true;
    });
}

bool Qs40WriteLimits(Qs40Context& ctx, std::uint8_t sensorType) {
    const Qs40ParameterSet& p = ctx.params;
    const std::string requests[] = {numbered("IEN", p.LimitEN), numbered("IEF", p.LimitEF),
                                    numbered("IDT", p.LimitDT), numbered("IND", p.LimitND)};
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) { return requestAcks(line, requests, true); });
}

bool Qs40ReadMeasurement(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        const bool newProtocol = ctx.ports.NewProtocol;
        Qs40ParameterSet& p = ctx.params;
        if (!requestAck(line, newProtocol ? "INM1" : "NOC1", false)) {
            p.MeasDistance = p.MeasEnergy = p.MeasState = 0;
            return false;
        }
        line.send(newProtocol ? "ESM" : "TSM");
        const auto first = line.readByte();
        if (!first || *first == kQs40Nak || *first == '?')
            return false;
        std::string text(1, static_cast<char>(*first));
        std::uint8_t rest[kMeasurementReplyMax];
        const std::size_t n = line.device().read(rest, sizeof rest);
        text.append(reinterpret_cast<const char*>(rest), n);
        // Distance, (unused), energy, (unused), state: all five must be there.
        std::int32_t values[5];
        std::size_t pos = 0;
        for (std::int32_t& v : values) {
            const auto parsed = ParseQs40Int(text, pos);
            if (!parsed)
                return false;
            v = *parsed;
        }
        p.MeasDistance = values[0];
        p.MeasEnergy = values[2];
        p.MeasState = values[4];
        return true;
    });
}

bool Qs40Unlock(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [](Qs40TextLine& line) {
        return requestAck(line, std::string("es!") + kQs40AccessCode, false, true);
    });
}

bool Qs40StoreEeprom(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [](Qs40TextLine& line) { return requestAck(line, "WPP", true); });
}

bool Qs40Restart(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [](Qs40TextLine& line) {
        line.send("twd");
        line.device().purge(true, false);
        std::uint8_t chatter[kRestartChatterMax];
        line.device().read(chatter, sizeof chatter);
        return true;
    });
}

void Qs40DrainReply(Qs40Context& ctx) {
    SerialDevice* device = ctx.ports.isOpen(ctx.port()) ? ctx.ports.device(ctx.port()) : nullptr;
    if (!device)
        return;
    std::uint8_t sink[2];
    device->read(sink, sizeof sink);
}

bool Qs40ReadSettings(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        Qs40ParameterSet& p = ctx.params;
        const std::pair<const char*, std::int32_t*> settings[] = {
            {"GNR", &p.ParamNR}, {"GTO", &p.ParamTO}, {"GTC", &p.ParamTC}};
        bool ok = true;
        for (const auto& [request, target] : settings)
            ok = requestValue(line, request, *target) == Answer::Taken && ok;
        return ok;
    });
}

bool Qs40WriteSettings(Qs40Context& ctx, std::uint8_t sensorType) {
    const Qs40ParameterSet& p = ctx.params;
    // Written in another order than read; the sensor takes NR before the two time settings.
    const std::string requests[] = {numbered("INR", p.ParamNR), numbered("ITC", p.ParamTC),
                                    numbered("ITO", p.ParamTO)};
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) { return requestAcks(line, requests, true); });
}

bool Qs40ReadCurveTable(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        for (int k = 0; k < Qs40ParameterSet::kCurveWords; ++k) {
            if (requestValue(line, numbered("GRV", kCurveFirstAddress + 2 * k),
                             ctx.params.CurveTable[static_cast<std::size_t>(k)]) != Answer::Taken)
                return false;
            advance(ctx, 1); // 256 exchanges: a window shows them, and keeps painting
        }
        return true;
    });
}

bool Qs40WriteCurveTable(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [&](Qs40TextLine& line) {
        for (std::int32_t word : ctx.params.CurveTable) {
            if (!requestAck(line, numbered("ICV", word), true))
                return false;
            advance(ctx, 1);
        }
        return true;
    });
}

bool Qs40Sum(Qs40Context& ctx, std::uint8_t sensorType) {
    return onSensor(ctx, sensorType, [](Qs40TextLine& line) { return requestAck(line, "SUM", false, true); });
}

namespace {

SerialDevice* handheldPort(Qs40Context& ctx) {
    ctx.clearLineError();
    const int com = ctx.ports.LastOpenedPort;
    return ctx.ports.isOpen(com) ? ctx.ports.device(com) : nullptr;
}

std::string handheldRequest(const char* command, int n, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%s%d %04d", command, n, static_cast<int>(value));
    return text;
}

} // namespace

bool Qs40SendToHandheld(Qs40Context& ctx, std::uint8_t sensorType) {
    if (sensorType != kQs40SensorType)
        return false;
    const Qs40ParameterSet& p = ctx.params;
    // The handheld takes exactly four digits; a value it would misread is not sent at all.
    for (int n = 1; n <= Qs40ParameterSet::kSwitchPoints; ++n)
        if (p.SwitchH[n] < 0 || p.SwitchH[n] > kHandheldMax || p.SwitchL[n] < 0 ||
            p.SwitchL[n] > kHandheldMax)
            return false;
    return onLine(ctx, handheldPort(ctx), [&](Qs40TextLine& line) {
        for (int n = 1; n <= Qs40ParameterSet::kSwitchPoints; ++n)
            if (!requestAck(line, handheldRequest("ih", n, p.SwitchH[n]), true, true) ||
                !requestAck(line, handheldRequest("il", n, p.SwitchL[n]), true, true))
                return false;
        return true;
    });
}

bool Qs40ReadFromHandheld(Qs40Context& ctx) {
    return onLine(ctx, handheldPort(ctx), [&](Qs40TextLine& line) {
        line.purgeBoth();
        bool ok = true;
        for (int n = 1; n <= Qs40ParameterSet::kSwitchPoints && !line.broken(); ++n) {
            const std::pair<const char*, std::int32_t*> requests[] = {{"GH", &ctx.params.SwitchH[n]},
                                                                      {"GL", &ctx.params.SwitchL[n]}};
            for (const auto& [command, target] : requests) {
                line.send(numbered(command, n));
                // The handheld ends its reply by falling silent; an LF may come too.
                const Qs40TextReply reply = line.readText();
                const bool answered =
                    (reply.end == Qs40ReplyEnd::Line || reply.end == Qs40ReplyEnd::Silence) &&
                    reply.text.size() > 3 && isDigits(std::string_view(reply.text).substr(0, 4));
                if (!answered) {
                    ok = false;
                    continue;
                }
                // The handheld keeps whole centimetres: its last digit does not count.
                *target =
                    1000 * (reply.text[0] - '0') + 100 * (reply.text[1] - '0') + 10 * (reply.text[2] - '0');
            }
        }
        return ok;
    });
}

bool Qs40SendMotFile(Qs40Context& ctx, std::span<const std::uint8_t> file) {
    return onLine(ctx, handheldPort(ctx), [&](Qs40TextLine& line) {
        line.purgeBoth();
        if (!requestAck(line, "mot", false, true))
            return false;
        for (std::size_t i = 0; i < file.size(); i += 2) {
            line.device().write(file.data() + i, std::min<std::size_t>(2, file.size() - i));
            if (!line.acknowledged(true))
                return false;
        }
        return true;
    });
}
