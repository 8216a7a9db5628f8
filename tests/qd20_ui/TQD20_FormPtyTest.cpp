// The ZYL24 window on a real terminal device: a pseudo-terminal whose far side plays the bus
// and is then closed while the window polls, as a USB adapter is pulled.
#include "Qd20FormFixture.h"

#include "PosixDeviceProvider.h"
#include "PtyPair.h"

#include <QTest>

#include <atomic>
#include <thread>

namespace {

// The sensors on the terminal's far side: what the program writes goes to a simulated bus, its
// replies go back, until stopped.
class PtyBus {
public:
    explicit PtyBus(PtyPair& pty) : m_pty(pty) {
        m_bus.addSensor(5, '0');
        m_line.attach(&m_bus);
        m_thread = std::thread([this] { run(); });
    }
    ~PtyBus() { stop(); }
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void run() {
        while (!m_stop) {
            const std::vector<std::uint8_t> request = m_pty.receive(2);
            if (request.empty())
                continue;
            m_line.write(request.data(), request.size());
            std::vector<std::uint8_t> reply(m_line.pending());
            reply.resize(m_line.read(reply.data(), reply.size()));
            m_pty.send(reply);
        }
    }

    PtyPair& m_pty;
    SimZyl24Bus m_bus;
    SimulatedLine m_line;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

} // namespace

TEST(Qd20FormPtyTest, ClosingTheFarSideWhilePollingDisconnectsOnceAndAnotherDeviceConnects) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    PortMap map(PortMap::Naming::Posix);
    map.map(1, pty.slavePath());
    PosixDeviceProvider provider(std::move(map));
    SystemClock clock;
    Schnittstelle ports(provider, clock);
    ScriptedPrompts prompts;
    AppState app(ports, prompts, clock);
    TCOMPortDialog portDialog(app);
    portDialog.setAutoAnswer(QDialog::Accepted);
    app.portDialog = &portDialog;
    app.SensorType = 1;
    TQD20_Form window(app);
    window.setPortNumber(1);
    window.show();

    auto bus = std::make_unique<PtyBus>(pty);
    window.Slave_Adr->setCurrentText(QStringLiteral("5"));
    window.ManuellMenuClick();
    ASSERT_TRUE(window.Connected) << prompts.messages().join(" | ").toStdString();
    window.StartButtonClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.samples().HaveData(); }, 10000));

    bus.reset();
    pty.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages().isEmpty(); }, 10000));
    EXPECT_FALSE(window.RohDataTimer->isActive());
    EXPECT_FALSE(window.Connected);
    EXPECT_FALSE(ports.isOpen(1));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].startsWith(
        QStringLiteral(
            "Die Verbindung zum Gerät ist abgebrochen:\n%1: das Gerät ist nicht mehr da (abgezogen?)")
            .arg(QString::fromStdString(pty.slavePath()))))
        << prompts.messages()[0].toStdString();

    // The adapter comes back under another name: the next connection opens it.
    PtyPair again;
    ASSERT_TRUE(again.ok());
    provider.mapDevice(1, again.slavePath());
    PtyBus secondBus(again);
    prompts.clear();
    window.ManuellMenuClick();
    EXPECT_TRUE(window.Connected) << prompts.messages().join(" | ").toStdString();
    window.close();
}
