#pragma once
// The ZYL24 window over a simulated bus on COM1, with scripted prompts, a fake clock, the port
// dialog answering OK by itself and settings in a private directory.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Clock.h"
#include "DeviceProvider.h"
#include "GuiTestEnvironment.h"
#include "HelpWindow.h"
#include "Language.h"
#include "Q20_speziell.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SimZyl24Bus.h"
#include "SimZyl24Sensor.h"
#include "SimulatedLine.h"
#include "TCGraphic.h"
#include "TCOMPortDialog.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"
#include "TFortschritt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <vector>

// A device that answers every frame addressed to it with 'Y' and two data bytes, like a
// measurement, also the second search probe 'v' that a ZYL24 ignores.
class AnswersEverything : public SimPeer {
public:
    explicit AnswersEverything(std::uint8_t address) : m_address(address) {}
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t byte, const LineSettings&, SimulatedLine& out) override {
        if (byte & 0x80)
            m_frame.clear();
        m_frame.push_back(byte);
        if (m_frame.size() >= 2 && m_frame.size() == m_frame[1]) {
            if ((m_frame[0] & 0x7F) == m_address)
                out.deliver(BuildReplyFrame(m_address, 'Y', std::vector<std::uint8_t>{0x41, 0x01}));
            m_frame.clear();
        }
    }

private:
    std::uint8_t m_address;
    std::vector<std::uint8_t> m_frame;
};

// Another talker on the line that sends without being asked.
class Chatterbox : public SimPeer {
public:
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t, const LineSettings&, SimulatedLine&) override {}
    void idle(const LineSettings&, SimulatedLine& out) override { out.deliver({0x11, 0x22}); }
};

// Hands out simulated lines to the ZYL24 bus on COM1; every other number is absent.
class BusProvider : public DeviceProvider {
public:
    explicit BusProvider(Clock& clock) : m_clock(clock), bus(&clock) {}

    OpenResult open(int com) override {
        if (com != 1 || absent) {
            OpenResult result{nullptr, OpenError::Absent, "COM" + std::to_string(com) + ": no such device"};
            result.reason.code = LinkReasonCode::NoSuchDevice;
            result.reason.com = com;
            result.reason.device = describe(com);
            result.reason.defaultDevice = true;
            return result;
        }
        auto line = std::make_unique<SimulatedLine>(&m_clock);
        line->setDeviceName(describe(com));
        if (failAfterWrites >= 0)
            line->failAfterWrites(static_cast<std::size_t>(failAfterWrites), "Input/output error");
        bus.lineReset();
        line->attach(&bus);
        for (SimPeer* peer : others)
            line->attach(peer);
        if (chatty)
            line->attach(&chatter);
        lastLine = line.get();
        return {std::move(line), OpenError::None, {}};
    }
    std::string describe(int com) const override { return "bus on COM" + std::to_string(com); }

private:
    Clock& m_clock;

public:
    SimZyl24Bus bus;
    std::vector<SimPeer*> others;
    Chatterbox chatter;
    bool chatty = false;
    bool absent = false;
    int failAfterWrites = -1;          // >= 0: lines opened from now on fail after this many writes
    SimulatedLine* lastLine = nullptr; // owned by the port table while the port is open
};

using Frame = std::vector<std::uint8_t>;

struct Qd20FormTest : ::testing::Test {
    QTemporaryDir settingsDir;
    FakeClock clock;
    BusProvider provider{clock};
    Schnittstelle ports{provider, clock};
    ScriptedPrompts prompts;
    AppState app{ports, prompts, clock};
    TCOMPortDialog portDialog{app};
    TFortschritt progress{app};
    HelpWindow help;
    std::unique_ptr<TQD20_Form> window;

    Qd20FormTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        app.portDialog = &portDialog;
        app.progress = &progress;
        app.help = &help;
        portDialog.setAutoAnswer(QDialog::Accepted);
        app.SensorType = 1; // as the start window's "ZYL 24" button leaves it
    }
    ~Qd20FormTest() override {
        window.reset();
        Language::setEnglish(app, false);
    }

    // Builds and shows the window as the start window does.
    TQD20_Form& open() {
        window = std::make_unique<TQD20_Form>(app);
        window->setPortNumber(1);
        window->show();
        return *window;
    }

    // Drives the search's timer chain tick by tick, as the 10 ms timer would.
    int runSearch(int maxTicks = 200) {
        int ticks = 0;
        while (window->TSuchen->isActive() && ticks < maxTicks) {
            window->TSuchenTimer();
            ++ticks;
        }
        return ticks;
    }

    // Connects to the sensor at `address` without searching.
    void connectTo(int address) {
        window->Slave_Adr->setCurrentText(QString::number(address));
        window->ManuellMenuClick();
        ASSERT_TRUE(window->Connected) << prompts.messages().join(" | ").toStdString();
        provider.bus.clearFrames();
        prompts.clear();
    }

    // A sensor of `variant` at address 5, the window open and connected to it.
    SimZyl24Sensor& openConnected(char variant = '0') {
        SimZyl24Sensor& sensor = provider.bus.addSensor(5, variant);
        open();
        connectTo(5);
        return sensor;
    }

    std::vector<Frame> framesSent() const { return provider.bus.frames(); }
    static Frame frame(std::uint8_t address, char command, std::initializer_list<std::uint8_t> data = {}) {
        Qd20Request request;
        request.address = address;
        request.command = command;
        std::copy(data.begin(), data.end(), request.data.begin());
        return BuildFrame(request);
    }
};
