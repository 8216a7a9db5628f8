#include "TracingProvider.h"

#include <cstdio>
#include <string>

namespace {

class TracingDevice : public SerialDevice {
public:
    TracingDevice(std::unique_ptr<SerialDevice> inner, std::ostream& trace)
        : m_inner(std::move(inner)), m_trace(trace) {}
    ~TracingDevice() override { flush(); }

    std::size_t read(std::uint8_t* buf, std::size_t max) override {
        const std::size_t n = m_inner->read(buf, max);
        gather('<', buf, n);
        return n;
    }
    std::size_t write(const std::uint8_t* data, std::size_t count) override {
        const std::size_t n = m_inner->write(data, count);
        gather('>', data, n);
        return n;
    }
    void purge(bool rx, bool tx) override {
        flush();
        m_inner->purge(rx, tx);
    }
    bool applySettings(const LineSettings& settings) override {
        flush();
        const bool ok = m_inner->applySettings(settings);
        m_trace << "   " << settings.baud << " baud" << (ok ? "" : " refused") << '\n';
        return ok;
    }
    LineSettings settings() const override { return m_inner->settings(); }
    bool setParity(Parity parity) override { return m_inner->setParity(parity); }
    bool setTimeouts(const Timeouts& timeouts) override { return m_inner->setTimeouts(timeouts); }
    Timeouts timeouts() const override { return m_inner->timeouts(); }
    void setRts(bool on) override { m_inner->setRts(on); }
    void setDtr(bool on) override { m_inner->setDtr(on); }
    void waitTransmitEmpty() override { m_inner->waitTransmitEmpty(); }
    std::uint8_t takeLineErrors() override { return m_inner->takeLineErrors(); }
    ProviderSubtype providerSubtype() const override { return m_inner->providerSubtype(); }
    bool systemRs485Mode() const override { return m_inner->systemRs485Mode(); }
    std::string lastError() const override { return m_inner->lastError(); }
    LinkReason lastErrorReason() const override { return m_inner->lastErrorReason(); }

private:
    void gather(char direction, const std::uint8_t* bytes, std::size_t n) {
        if (n == 0)
            return;
        if (direction != m_direction)
            flush();
        m_direction = direction;
        char hex[4];
        for (std::size_t i = 0; i < n; ++i) {
            std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
            m_line += hex;
        }
    }
    void flush() {
        if (m_line.empty())
            return;
        m_trace << (m_direction == '>' ? "->" : "<-") << m_line << '\n';
        m_line.clear();
    }

    std::unique_ptr<SerialDevice> m_inner;
    std::ostream& m_trace;
    char m_direction = 0;
    std::string m_line;
};

} // namespace

OpenResult TracingProvider::open(int comNumber) {
    OpenResult result = m_inner.open(comNumber);
    if (result.device)
        result.device = std::make_unique<TracingDevice>(std::move(result.device), m_trace);
    return result;
}
